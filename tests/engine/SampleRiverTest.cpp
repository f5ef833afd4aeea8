// The sample model of examples/: a 5 km reach of a natural river with compound sections, read
// at the steady state of its base flow.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "ModelFilesTestSupport.h"
#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/ModelFiles.h"

using namespace modelfiles_test;

namespace {

const std::string SamplePath = std::string(VASQUIL_SOURCE_DIR) + "/examples/sample-river.vqx";

TEST_F(ModelFileTest, SampleRiverReadsAsAReachAtNormalDepth)
{
    ASSERT_EQ(LoadModelFileQuietly(SamplePath), 0);
    const ModelControl& mc = g_ModelControl;
    EXPECT_EQ(mc.FileType, 0);
    EXPECT_EQ(mc.UnitSystem, 1);
    ASSERT_EQ(mc.NodeCount, 31);
    EXPECT_EQ(mc.ElementCount, 30);
    EXPECT_EQ(mc.BoundaryElementCount, 2);
    int outputs = 0;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next) {
        EXPECT_EQ(n->SectionCode, -60) << n->Number;
        ASSERT_NE(n->CrossSection, nullptr);
        outputs += n->HydroCode == 0;
    }
    EXPECT_EQ(outputs, 4);
    const NodeRecord* first = g_NodeIndex.front();
    const NodeRecord* last = g_NodeIndex.back();
    EXPECT_NEAR(last->Chainage - first->Chainage, 5000, 1e-6);
    EXPECT_NEAR((first->Invert - last->Invert) / 5000, 0.0005, 0.0001);

    // Upstream a flood of 40 to 350 m3/s over two days; downstream a rating curve.
    const BoundaryHydrograph* inflow = g_BoundaryElementBlock[0].Hydrograph;
    ASSERT_NE(inflow, nullptr);
    double peak = 0;
    for (int r = 0; r < inflow->RowCount; ++r) peak = std::max(peak, inflow->Columns[2][r]);
    EXPECT_EQ(peak, 350);
    EXPECT_EQ(inflow->Columns[0][inflow->RowCount - 1], 48 * 3600);
    const BoundaryHydrograph* rating = g_BoundaryElementBlock[1].Hydrograph;
    ASSERT_NE(rating, nullptr);
    EXPECT_GT(rating->Columns[2][rating->RowCount - 1], peak);

    // Steady flow of the base flow: the friction slope of every node is near the bed slope
    // (the sections vary from node to node), the flow subcritical, and along the reach the
    // friction uses up the water surface's fall (the velocity heads at the two ends are
    // nearly the same).
    double friction = 0;  // m, friction slope integrated over the chainage
    for (const NodeRecord* n = g_Nodes; n; n = n->Next) {
        EXPECT_NEAR(n->FrictionSlope, 0.0005, 0.0002) << n->Number;
        EXPECT_GT(n->Froude, 0.1) << n->Number;
        EXPECT_LT(n->Froude, 0.5) << n->Number;
        if (n->Next) friction += 0.5 * (n->FrictionSlope + n->Next->FrictionSlope) * (n->Next->Chainage - n->Chainage);
    }
    const double fall = first->Stage - last->Stage;
    std::printf("water surface falls %.4f m, friction %.4f m\n", fall, friction);
    EXPECT_NEAR(friction, fall, 0.01 * fall);
    const double q = last->Discharge;
    for (int r = 1; r < rating->RowCount; ++r) {
        const double q0 = rating->Columns[2][r - 1], q1 = rating->Columns[2][r];
        if (q >= q0 && q <= q1) {
            const double h0 = rating->Columns[1][r - 1], h1 = rating->Columns[1][r];
            EXPECT_NEAR(h0 + (h1 - h0) * (q - q0) / (q1 - q0), last->Stage, 0.05);
        }
    }
}

// The sample is kept in the writer's own layout: saving it reproduces it.
TEST_F(ModelFileTest, SampleRiverIsInTheWritersLayout)
{
    const std::string original = ReadBytes(SamplePath);
    ASSERT_EQ(ReadTextQuietly(original), 0);
    EXPECT_EQ(WriteText(), original);
}

}  // namespace
