// Water-surface slopes at nodes, at boundary ends and at junction branch nodes, on a small
// network against slopes worked out by hand.
#include <gtest/gtest.h>

#include <vector>

#include "ModelBuilder.h"
#include "engine/EngineData.h"
#include "engine/JamStability.h"
#include "engine/ModelSetup.h"

namespace {

// A main river of nodes 0 and 1, a tributary of nodes 2 and 3, joining at node 4, and the
// river below of nodes 5 and 6, in chain order. Branch AC runs from node 1 to node 4 (50 m),
// branch AB from node 3 to node 4 (30 m).
const double Chainage[7] = {0, 100, 0, 60, 150, 250, 400};
const double Stage[7] = {10.00, 9.90, 10.40, 10.10, 9.70, 9.50, 9.20};

struct Case {
    const char* name;
    int junctionType;
    int upstreamDischargeCode;    // of the boundary at node 0 (position -1)
    int downstreamStageCode;      // of the boundary at node 6 (position +1)
    std::vector<double> slopes;   // by hand
};

TEST(SurfaceSlopes, NodeBoundaryAndJunctionRules)
{
    const Case cases[] = {
        {"confluence with a discharge inflow and a stage outflow",
         1,
         1,
         1,
         {
             (10.00 - 9.90) / 100,          // upstream end: fall to the next node
             (10.00 - 9.70) / (100 + 50),   // node C: from its previous node to A over both lengths
             (9.90 - 10.10) / 40,           // neighbours in chain order
             (10.40 - 9.70) / (60 + 30),    // node B
             (10.10 - 9.50) / 190,
             (9.70 - 9.20) / 250,
             (9.50 - 9.20) / 150,           // downstream end: fall from the previous node
         }},
        {"bifurcation with rating curves at both ends",
         2,
         2,
         2,
         {
             0,                             // one neighbour, no discharge inflow
             (9.70 - 10.40) / (100 + 50),   // node C: from A to its next node over both lengths
             (9.90 - 10.10) / 40,
             (9.70 - 9.70) / (90 + 30),     // node B: next node is A itself
             (10.10 - 9.50) / 190,
             (9.70 - 9.20) / 250,
             0,                             // one neighbour, no stage hydrograph
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testmodel::BuildNetwork(7, {{0, 1}, {1, 4}, {2, 3}, {3, 4}, {4, 5}, {5, 6}}, [](NodeRecord& n, int i) {
            n.Chainage = Chainage[i];
            n.Stage = Stage[i];
        });
        testmodel::SetBoundaries({{0, -1, testmodel::Constant(0, c.upstreamDischargeCode, 0, 10)},
                                  {6, 1, testmodel::Constant(c.downstreamStageCode, 0, 9.2, 0)}});
        g_JunctionBlock.assign(1, JunctionRecord{});
        JunctionRecord& j = g_JunctionBlock[0];
        j.Type = c.junctionType;
        j.NodeA = &g_NodeBlock[4];
        j.NodeB = &g_NodeBlock[3];
        j.NodeC = &g_NodeBlock[1];
        j.NodeD = &g_NodeBlock[5];
        j.ElementAC = &g_ElementBlock[1];
        j.ElementAB = &g_ElementBlock[3];
        j.ElementAD = &g_ElementBlock[4];
        j.ElementAC->Length = 50;
        j.ElementAB->Length = -30;   // lengths count by their size
        g_Junctions = &j;
        g_ModelControl.JunctionCount = 1;

        ComputeSurfaceSlopes();
        for (int i = 0; i < 7; ++i) EXPECT_NEAR(g_NodeBlock[i].SurfaceSlope, c.slopes[i], 1e-15) << "node " << i;
    }
    ReleaseModel();
}

TEST(SurfaceSlopes, NodesWithoutADistanceHaveNoSlope)
{
    // Neighbours at the same chainage, and a boundary node on top of its neighbour.
    testmodel::BuildChain(4, 0.0, [](NodeRecord& n, int i) { n.Stage = 5.0 - i; });
    testmodel::SetBoundaries({{0, -1, testmodel::Constant(0, 1, 0, 10)}, {3, 1, testmodel::Constant(1, 0, 2, 0)}});
    g_NodeBlock[0].SurfaceSlope = g_NodeBlock[1].SurfaceSlope = 7;
    ComputeSurfaceSlopes();
    for (const NodeRecord& n : g_NodeBlock) EXPECT_EQ(n.SurfaceSlope, 0.0) << n.Number;
    ReleaseModel();
}

}  // namespace
