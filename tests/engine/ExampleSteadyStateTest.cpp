// The example models of examples/ are saved from a steady solution of their boundary conditions
// at time 0: the discharge of the element fluxes (Qflux, what the profile shows as it opens) is
// the same at every node of a reach, each reach carries what its inflow brings, and the reaches
// meeting at a junction balance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "ModelFilesTestSupport.h"
#include "engine/EngineData.h"
#include "engine/Hydraulics.h"

using namespace modelfiles_test;

namespace {

// Qflux of the nodes of one reach (m3/s): the least and the greatest.
struct ReachDischarge {
    double least = HUGE_VAL;
    double greatest = -HUGE_VAL;
    double Mid() const { return 0.5 * (least + greatest); }
};

std::map<int, ReachDischarge> DischargeByReach()
{
    std::map<int, ReachDischarge> reaches;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next) {
        ReachDischarge& r = reaches[n->Reach];
        r.least = std::min(r.least, n->FluxDischarge);
        r.greatest = std::max(r.greatest, n->FluxDischarge);
    }
    return reaches;
}

// The discharge hydrograph's value at time 0 (m3/s).
double InflowAtStart(const BoundaryElementRecord& b)
{
    const BoundaryHydrograph* h = b.Hydrograph;
    return InterpolateTable(h->Columns[0].data(), h->Columns[2].data(), 0.0, h->RowCount);
}

// How far apart two discharges of a steady state may lie (m3/s): the saved states are
// converged to round-off, and the nodal discharges a file holds give the junctions' split to
// a few parts in a million.
constexpr double Tolerance = 1e-3;

struct Example {
    const char* file;
    int junctions;
};

class ExampleSteadyState : public ModelFileTest, public ::testing::WithParamInterface<Example>
{
};

TEST_P(ExampleSteadyState, OpensWithAnEvenDischargeInEveryReach)
{
    const Example& example = GetParam();
    // The reader works on a temporary copy of the file's bytes.
    const std::string text = ReadBytes(std::string(VASQUIL_SOURCE_DIR) + "/examples/" + example.file);
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(ReadTextQuietly(text), 0);
    ASSERT_EQ(g_ModelControl.JunctionCount, example.junctions);
    EXPECT_EQ(g_ModelControl.ModelTime, 0.0);

    const std::map<int, ReachDischarge> reaches = DischargeByReach();
    for (const auto& [reach, q] : reaches) {
        std::printf("%s reach %d: Qflux %.6f to %.6f m3/s\n", example.file, reach, q.least, q.greatest);
        EXPECT_LT(q.greatest - q.least, Tolerance) << "reach " << reach;
        EXPECT_GT(q.least, 0.0) << "reach " << reach;
    }

    // A reach that starts at an inflow carries the inflow at time 0.
    int inflows = 0;
    for (const BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next) {
        if (b->DischargeCode != 1 || !b->Hydrograph || !b->Node()) continue;
        ++inflows;
        EXPECT_NEAR(reaches.at(b->Node()->Reach).Mid(), InflowAtStart(*b), Tolerance)
            << "inflow at node " << b->Node()->Number;
    }
    EXPECT_GE(inflows, 1);

    // At a junction the reach of node A carries what those of B and C bring or take.
    for (const JunctionRecord* j = g_Junctions; j; j = j->Next) {
        ASSERT_TRUE(j->NodeA && j->NodeB && j->NodeC);
        const double a = reaches.at(j->NodeA->Reach).Mid();
        const double b = reaches.at(j->NodeB->Reach).Mid();
        const double c = reaches.at(j->NodeC->Reach).Mid();
        EXPECT_NEAR(a, b + c, Tolerance) << "junction " << j->Number;
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleSteadyState,
                         ::testing::Values(Example{"sample-river.vqx", 0}, Example{"sample-network.vqx", 2},
                                           Example{"sample-jam.vqx", 0}, Example{"sample-dynamic-ice.vqx", 0},
                                           Example{"sample-thermal.vqx", 0}),
                         [](const ::testing::TestParamInfo<Example>& param) {
                             std::string name = param.param.file;
                             name = name.substr(0, name.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
