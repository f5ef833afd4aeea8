// Branched networks: flow directions and arrangements of a junction, the split and the mass
// balance of confluences and divergences, still water over a network, floods and a flow
// reversal in a side branch.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <vector>

#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/Junctions.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"
#include "engine/TimeStepping.h"
#include "ChannelReferences.h"
#include "ModelBuilder.h"
#include "ModelFilesTestSupport.h"
#include "ModelFixtures.h"

using testmodel::Bisect;
using testmodel::BoundaryAt;
using testmodel::BoundaryInput;
using testmodel::Constant;
using testmodel::GradualFlowDepth;
using testmodel::NormalDepth;
using testmodel::RunToSteady;

namespace {

constexpr double g = 9.81;
constexpr double kPi = 3.141592653589793;

// A Y of three rectangular reaches of `m` elements each (the junction element included), all
// falling at `slope`. A confluence (junction type 1 as read) has the side reaches B and C
// flowing into A and the through reach D leaving it; a divergence (type 2 as read) has D
// flowing into A and B and C leaving it. Widths are those of the B, C and D reaches; the
// junction node A takes the D reach's width. The side reaches leave A at +-`angle` from the
// through reach's line in plan. A reversed confluence is laid out, numbered and read as a
// confluence, but its bed falls from D's far end to B's and C's: water runs against its
// elements and it works as a divergence.
struct YNetwork {
    bool divergence = false;
    bool reversed = false;
    int m = 10;
    double dx = 100;
    double widths[3] = {10, 10, 20};
    double n = 0.03;
    double slope = 2e-4;
    double depth = 2.0;        // initial depth everywhere
    double discharges[3] = {0, 0, 0};   // initial discharge of the B, C and D reaches
    double angle = kPi / 6;

    // Node indices.
    int a = 0, b = 0, c = 0, d = 0;
    int bFar = 0, cFar = 0, dFar = 0;   // far ends of the reaches
    // Element indices of the junction branches.
    int ab = 0, ac = 0, ad = 0;

    std::vector<int> reachOf;   // 0 B, 1 C, 2 D, -1 the junction node

    void Build()
    {
        // Node order: reach D's nodes, A, reach B, reach C for a divergence (upstream first);
        // reach B, reach C, A, reach D for a confluence. Each reach has m nodes besides A; a
        // reach's node k (0 next to A) lies (k + 1) dx from A along the flow path.
        const int count = 3 * m + 1;
        struct Place {
            int reach;
            int k;
        };
        std::vector<Place> places(count);
        std::vector<std::array<int, 2>> elements;
        auto indexOf = [&](int reach, int k) {
            // k = 0 is the node next to A.
            if (divergence) {
                if (reach == 2) return m - 1 - k;
                if (reach == 0) return m + 1 + k;
                return 2 * m + 1 + k;
            }
            if (reach == 0) return m - 1 - k;
            if (reach == 1) return 2 * m - 1 - k;
            return 2 * m + 1 + k;
        };
        a = divergence ? m : 2 * m;
        reachOf.assign(count, -1);
        for (int reach = 0; reach < 3; ++reach)
            for (int k = 0; k < m; ++k) {
                places[indexOf(reach, k)] = {reach, k};
                reachOf[indexOf(reach, k)] = reach;
            }
        places[a] = {-1, -1};
        b = indexOf(0, 0);
        c = indexOf(1, 0);
        d = indexOf(2, 0);
        bFar = indexOf(0, m - 1);
        cFar = indexOf(1, m - 1);
        dFar = indexOf(2, m - 1);
        // Elements in the direction of flow (first node upstream).
        auto flowElement = [&](int up, int down) {
            elements.push_back({up, down});
            return static_cast<int>(elements.size()) - 1;
        };
        for (int reach = 0; reach < 3; ++reach) {
            const bool intoA = divergence ? reach == 2 : reach != 2;
            for (int k = 0; k + 1 < m; ++k) {
                const int near = indexOf(reach, k), far = indexOf(reach, k + 1);
                if (intoA)
                    flowElement(far, near);
                else
                    flowElement(near, far);
            }
            const int end = indexOf(reach, 0);
            const int e = intoA ? flowElement(end, a) : flowElement(a, end);
            (reach == 0 ? ab : reach == 1 ? ac : ad) = e;
        }

        // Distance along the flow path from the network's upstream end (for the chainage of
        // ordinary elements) and to its downstream end (for the bed).
        const double L = m * dx;
        testmodel::BuildNetwork(count, elements, [&](NodeRecord& node, int i) {
            const Place p = places[i];
            double along;    // signed distance from A, positive downstream of it
            double px = 0, py = 0;
            if (p.reach < 0) {
                along = 0;
            } else {
                const double s = (p.k + 1) * dx;
                const bool intoA = divergence ? p.reach == 2 : p.reach != 2;
                along = intoA ? -s : s;
                const double direction = p.reach == 2 ? 0.0 : (p.reach == 0 ? angle : -angle);
                // Reach D runs along the x axis away from A on the side its flow goes; the
                // side reaches leave A on the other side, at +-angle from the axis.
                const double sideSign = divergence ? 1.0 : -1.0;
                if (p.reach == 2) {
                    px = (divergence ? -1.0 : 1.0) * s;
                } else {
                    px = sideSign * s * std::cos(direction);
                    py = s * std::sin(direction);
                }
            }
            node.Chainage = node.RiverStation = along + L;
            node.Easting = px;
            node.Northing = py;
            const int w = p.reach < 0 ? 2 : p.reach;
            node.RectWidth = widths[w];
            node.ManningN = n;
            node.Invert = slope * (reversed ? L + along : L - along);
            node.HydroUnknowns[0] = node.RectWidth * depth;
            node.HydroUnknowns[1] = p.reach < 0 ? discharges[2] : discharges[p.reach];
            node.Reach = p.reach + 2;
        });
        testmodel::SetJunctions({{divergence ? 2 : 1, a, b, c, d, ab, ac, ad, {dx, dx, dx}}});
    }
};

// Flow into A through each branch element (AB, AC, AD as read): the element's end flux at A.
std::array<double, 3> InflowsAtJunction()
{
    const JunctionRecord& j = g_JunctionBlock[0];
    std::array<double, 3> in{};
    for (int k = 0; k < 3; ++k) {
        const ElementRecord* e = j.ReadElements[k];
        in[k] = e->Nodes[0] == j.NodeA ? e->EndFluxes[0] : e->EndFluxes[1];
    }
    return in;
}

// |Q_in - Q_out| / Q_in at the junction.
double JunctionImbalance()
{
    double in = 0, out = 0;
    for (double q : InflowsAtJunction()) (q > 0 ? in : out) += std::fabs(q);
    return std::fabs(in - out) / in;
}

class Network : public testmodel::ModelTest<::testing::TestWithParam<int>> {};

class NetworkCase : public testmodel::ModelTest<> {};

}  // namespace

// ---------------------------------------------------------------------------------------
// Flow directions
// ---------------------------------------------------------------------------------------
namespace {

// A junction whose branch nodes carry given flux discharges, with the arrangement and the
// flow signs it had.
struct DirectionCase {
    int readType;
    std::array<double, 3> flux;   // FluxDischarge of the read nodes B, C, D
    const char* expected;         // "read", "CD" or "BD": which nodes swapped places
    int type;
};

void BuildDirectionJunction(int readType)
{
    YNetwork y;
    y.divergence = readType == 2;
    y.m = 2;
    y.Build();
    g_JunctionBlock[0].Type = g_JunctionBlock[0].ReadType = readType;
}

}  // namespace

TEST_F(NetworkCase, FlowDirectionTableChoosesTheArrangement)
{
    const DirectionCase cases[] = {
        {1, {1, 1, 1}, "read", 1},   {2, {1, 1, 1}, "read", 2},   {1, {-1, -1, -1}, "read", 2},
        {2, {-1, -1, -1}, "read", 1}, {1, {-1, 1, 1}, "CD", 2},    {2, {-1, 1, 1}, "CD", 1},
        {1, {1, -1, -1}, "CD", 1},    {2, {1, -1, -1}, "CD", 2},   {1, {1, -1, 1}, "BD", 2},
        {2, {1, -1, 1}, "BD", 1},     {1, {-1, 1, -1}, "BD", 1},   {2, {-1, 1, -1}, "BD", 2},
        {3, {1, 1, 1}, "read", 1},    {3, {-1, 1, 1}, "CD", 2},
    };
    for (const DirectionCase& t : cases) {
        BuildDirectionJunction(t.readType);
        JunctionRecord& j = g_JunctionBlock[0];
        for (int k = 0; k < 3; ++k) j.ReadNodes[k + 1]->FluxDischarge = t.flux[k];
        UpdateJunctionFlowDirections();
        NodeRecord* const* n = j.ReadNodes;
        ElementRecord* const* e = j.ReadElements;
        const std::string what = std::to_string(t.readType) + " " + t.expected;
        const std::string swap = t.expected;
        NodeRecord* B = n[1];
        NodeRecord* C = n[2];
        NodeRecord* D = n[3];
        ElementRecord* AB = e[0];
        ElementRecord* AC = e[1];
        ElementRecord* AD = e[2];
        if (swap == "CD") {
            std::swap(C, D);
            std::swap(AC, AD);
        } else if (swap == "BD") {
            std::swap(B, D);
            std::swap(AB, AD);
        }
        EXPECT_EQ(j.NodeA, n[0]) << what;
        EXPECT_EQ(j.NodeB, B) << what;
        EXPECT_EQ(j.NodeC, C) << what;
        EXPECT_EQ(j.NodeD, D) << what;
        EXPECT_EQ(j.ElementAB, AB) << what;
        EXPECT_EQ(j.ElementAC, AC) << what;
        EXPECT_EQ(j.ElementAD, AD) << what;
        EXPECT_EQ(j.Type, t.type) << what;
        EXPECT_EQ(AC->JunctionBranch, 1) << what;
        EXPECT_EQ(AB->JunctionBranch, 2) << what;
        EXPECT_EQ(AD->JunctionBranch, 3) << what;
        for (int k = 0; k < 3; ++k) EXPECT_EQ(j.FlowSign[k], t.flux[k] > 0 ? 1 : -1) << what;
        // The read arrangement stays as it was read.
        EXPECT_EQ(j.ReadType, t.readType);
        ReleaseModel();
    }
}

// The assembly keeps the items it laid out until the structure changes or a junction's branches
// swap their parts: after a swap it assembles exactly what an assembly laid out afresh does.
TEST_F(NetworkCase, AssemblyAfterABranchSwapEqualsAFreshLayout)
{
    const std::array<double, 3> swaps[] = {{-1, 1, 1}, {1, -1, 1}};   // C and D, B and D
    for (const auto& flux : swaps) {
        BuildDirectionJunction(1);
        ASSERT_EQ(testmodel::StartRun(), 0);
        EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
        ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
        EXPECT_EQ(es.ChainProfile, 0);   // a junction model keeps the profile solve
        JunctionRecord& j = g_JunctionBlock[0];
        for (int k = 0; k < 3; ++k) j.ReadNodes[k + 1]->FluxDischarge = flux[k];
        UpdateJunctionFlowDirections();
        ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
        std::vector<const FiniteElementBase*> items;
        for (const AssemblyItem& item : es.Items) items.push_back(item.Element);
        const std::vector<double> rhs = es.Rhs, upper = es.UpperProfile, lower = es.LowerProfile;

        es.StructureBuilt = 0;   // laid out afresh
        ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
        std::vector<const FiniteElementBase*> fresh;
        for (const AssemblyItem& item : es.Items) fresh.push_back(item.Element);
        EXPECT_EQ(items, fresh);
        EXPECT_EQ(rhs, es.Rhs);
        EXPECT_EQ(upper, es.UpperProfile);
        EXPECT_EQ(lower, es.LowerProfile);
        ReleaseModel();
    }
}

TEST_F(NetworkCase, AllInflowOrAllOutflowKeepsTheLastArrangement)
{
    for (const std::array<double, 3>& flux : {std::array<double, 3>{1, 1, -1}, std::array<double, 3>{-1, -1, 1}}) {
        BuildDirectionJunction(1);
        JunctionRecord& j = g_JunctionBlock[0];
        // First a swap of B and D (type 2), then the undecided signs.
        j.ReadNodes[1]->FluxDischarge = 1;
        j.ReadNodes[2]->FluxDischarge = -1;
        j.ReadNodes[3]->FluxDischarge = 1;
        UpdateJunctionFlowDirections();
        ASSERT_EQ(j.NodeB, j.ReadNodes[3]);
        ASSERT_EQ(j.Type, 2);
        for (int k = 0; k < 3; ++k) j.ReadNodes[k + 1]->FluxDischarge = flux[k];
        UpdateJunctionFlowDirections();
        EXPECT_EQ(j.NodeB, j.ReadNodes[3]);
        EXPECT_EQ(j.NodeD, j.ReadNodes[1]);
        EXPECT_EQ(j.ElementAD, j.ReadElements[0]);
        EXPECT_EQ(j.Type, 2);
        EXPECT_EQ(j.ReadElements[0]->JunctionBranch, 3);
        EXPECT_EQ(j.ReadElements[2]->JunctionBranch, 2);
        // The branch cosines still follow the (unchanged) type-2 arrangement.
        EXPECT_NE(j.BranchCosines[0], 1.0);
        ReleaseModel();
    }
}

TEST_F(NetworkCase, ZeroFluxKeepsTheStoredSign)
{
    BuildDirectionJunction(1);
    JunctionRecord& j = g_JunctionBlock[0];
    // (stored sign, flux) -> new sign
    const struct {
        int stored;
        double q;
        int sign;
    } cases[] = {{1, 0.0, 1},   {-1, 0.0, -1}, {-1, -0.0, -1}, {1, -0.0, 1}, {-1, 1e-300, 1},
                 {1, -1e-300, -1}, {1, 5.0, 1}, {-1, -5.0, -1},  {1, std::nan(""), 1}, {-1, std::nan(""), -1}};
    for (const auto& t : cases) {
        for (int k = 0; k < 3; ++k) {
            j.FlowSign[k] = t.stored;
            j.ReadNodes[k + 1]->FluxDischarge = t.q;
        }
        UpdateJunctionFlowDirections();
        for (int k = 0; k < 3; ++k) EXPECT_EQ(j.FlowSign[k], t.sign) << t.stored << " " << t.q;
    }
}

TEST_F(NetworkCase, TypeOneIsStraightTypeTwoFollowsThePlan)
{
    // A divergence read as type 2 with its side reaches at 30 degrees off the through line:
    // angle BAD = 150 degrees, cos(pi - 150 deg) = cos(30 deg).
    BuildDirectionJunction(2);
    JunctionRecord& j = g_JunctionBlock[0];
    for (int k = 0; k < 3; ++k) j.ReadNodes[k + 1]->FluxDischarge = 1;
    UpdateJunctionFlowDirections();
    ASSERT_EQ(j.Type, 2);
    EXPECT_NEAR(j.BranchCosines[0], std::cos(kPi / 6), 1e-12);
    EXPECT_NEAR(j.BranchCosines[1], std::cos(kPi / 6), 1e-12);
    // All reversed: the same plan is now type 1, and a type-1 junction is straight.
    for (int k = 0; k < 3; ++k) j.ReadNodes[k + 1]->FluxDischarge = -1;
    UpdateJunctionFlowDirections();
    ASSERT_EQ(j.Type, 1);
    EXPECT_EQ(j.BranchCosines[0], 1.0);
    EXPECT_EQ(j.BranchCosines[1], 1.0);
}

TEST_F(NetworkCase, CollinearBranchGivesAFiniteAngle)
{
    // B beyond A on the through line, far from the origin, where the cosine law rounds past 1.
    BuildDirectionJunction(2);
    JunctionRecord& j = g_JunctionBlock[0];
    const double x0 = 612345.6789, y0 = 5123456.789;
    j.NodeA->Easting = x0, j.NodeA->Northing = y0;
    j.NodeD->Easting = x0 - 30.0, j.NodeD->Northing = y0 - 40.0;
    j.NodeB->Easting = x0 + 0.3, j.NodeB->Northing = y0 + 0.4;
    j.NodeC->Easting = x0 + 3.0, j.NodeC->Northing = y0 + 4.0;
    ComputeJunctionBranchAngles(&j);
    EXPECT_NEAR(j.BranchCosines[1], 1.0, 1e-9);
    EXPECT_NEAR(j.BranchCosines[0], 1.0, 1e-9);
}

// ---------------------------------------------------------------------------------------
// Still water
// ---------------------------------------------------------------------------------------
namespace {

// A lake over a junction: its layout (a confluence's or a divergence's), the type it is read
// as, and a step in the bed (m) at the start of one reach (0 B, 1 C, 2 D): that whole reach
// lies higher or lower than the junction node.
struct LakeCase {
    bool divergenceLayout;
    int readType;
    int steppedReach;
    double step;
};

}  // namespace

TEST_P(Network, LakeAtRestStaysAtRestOverEveryJunctionAndBedStep)
{
    // Level water over reaches of unequal widths on a sloping bed, a hump next to the junction,
    // and a bed step between the junction node and one reach; both layouts, read as either
    // type. No inflow, the stage held at the side reaches' far ends; a day at 300 s steps.
    const LakeCase cases[] = {
        {true, 2, 1, 0.3},  {true, 2, 1, -0.3}, {true, 2, 2, 0.3},  {true, 1, 1, 0.3},
        {false, 1, 1, 0.3}, {false, 1, 0, -0.3}, {false, 1, 2, 0.3}, {false, 2, 1, 0.3},
    };
    const double level = 6.0;
    for (const LakeCase& t : cases) {
        YNetwork y;
        y.divergence = t.divergenceLayout;
        y.widths[0] = 8, y.widths[1] = 14, y.widths[2] = 20;
        y.slope = 5e-4;
        y.Build();
        g_JunctionBlock[0].Type = g_JunctionBlock[0].ReadType = t.readType;
        ComputeJunctionBranchAngles(&g_JunctionBlock[0]);
        for (NodeRecord& node : g_NodeBlock) {
            if (y.reachOf[node.Index] == t.steppedReach) node.Invert += t.step;
            if (node.Index == y.b) node.Invert += 0.5;   // a hump at the side reach's first node
        }
        for (NodeRecord& node : g_NodeBlock) {
            node.HydroUnknowns[0] = node.RectWidth * (level - node.Invert);
            node.HydroUnknowns[1] = 0;
        }
        // Upstream ends of the layout carry position -1, downstream ends +1.
        const double side = t.divergenceLayout ? 1.0 : -1.0;
        testmodel::SetBoundaries({{y.dFar, -side, Constant(0, 1, 0, 0.0)},
                                  {y.bFar, side, Constant(1, 0, level, 0)},
                                  {y.cFar, side, Constant(1, 0, level, 0)}});
        g_ModelControl.Formulation = GetParam();
        g_ModelControl.DeltaT = g_ModelControl.MaxDeltaT = 300;
        g_EquationSystems[HydrodynamicSystem].Theta = 0.6;
        ASSERT_EQ(testmodel::StartRun(), 0);
        ASSERT_TRUE(testmodel::RunTo(24 * 3600.0));
        double stage = 0, velocity = 0;
        for (const NodeRecord& node : g_NodeBlock) {
            stage = std::max(stage, std::fabs(node.Stage - level));
            velocity = std::max(velocity, std::fabs(node.Velocity));
        }
        std::printf("formulation %d, %s layout read as type %d, step %+.1f m at reach %d: largest stage departure "
                    "%.1e m, velocity %.1e m/s\n",
                    GetParam(), t.divergenceLayout ? "divergence" : "confluence", t.readType, t.step, t.steppedReach,
                    stage, velocity);
        EXPECT_LT(stage, 1e-9);
        EXPECT_LT(velocity, 1e-9);
        ReleaseModel();
    }
}

// ---------------------------------------------------------------------------------------
// Steady splits and junction mass balance
// ---------------------------------------------------------------------------------------
namespace {

struct SteadyResult {
    double qB, qC, qD;   // discharges at the far ends of the reaches
    double imbalance;    // |Q_in - Q_out| / Q_in at the junction
    double share;        // share of branch AB in the side-branch flow
};

// A divergence of total discharge q into two side reaches that end at one stage.
SteadyResult SteadyDivergence(int formulation, double widthB, double widthC, double q, double outletDepth)
{
    YNetwork y;
    y.divergence = true;
    y.widths[0] = widthB;
    y.widths[1] = widthC;
    y.widths[2] = 20;
    y.depth = outletDepth;
    y.discharges[0] = q * widthB / (widthB + widthC);
    y.discharges[1] = q * widthC / (widthB + widthC);
    y.discharges[2] = q;
    y.Build();
    const double outletStage = g_NodeBlock[y.bFar].Invert + outletDepth;
    testmodel::SetBoundaries({{0, -1, Constant(0, 1, 0, q)},
                              {y.bFar, 1, Constant(1, 0, outletStage, 0)},
                              {y.cFar, 1, Constant(1, 0, outletStage, 0)}});
    g_ModelControl.Formulation = formulation;
    g_ModelControl.MaxDeltaT = 300;
    EXPECT_EQ(testmodel::StartRun(), 0);
    EXPECT_TRUE(RunToSteady(3600, 200 * 3600.0));
    const JunctionRecord& j = g_JunctionBlock[0];
    return {g_NodeBlock[y.bFar].Discharge, g_NodeBlock[y.cFar].Discharge, g_NodeBlock[0].Discharge,
            JunctionImbalance(),
            std::fabs(j.BranchDischargeAB) / (std::fabs(j.BranchDischargeAB) + std::fabs(j.BranchDischargeAC))};
}

}  // namespace

TEST_P(Network, SymmetricDivergenceSplitsEvenly)
{
    const double q = 30;
    const SteadyResult r = SteadyDivergence(GetParam(), 10, 10, q, 2.0);
    std::printf("formulation %d: B %.6f C %.6f D %.6f m3/s, share %.8f, junction imbalance %.2e\n", GetParam(), r.qB,
                r.qC, r.qD, r.share, r.imbalance);
    EXPECT_NEAR(r.qB / q, 0.5, 1e-6);
    EXPECT_NEAR(r.qC / q, 0.5, 1e-6);
    EXPECT_NEAR(r.share, 0.5, 1e-6);
    EXPECT_LT(r.imbalance, 1e-4);
    EXPECT_NEAR((r.qB + r.qC) / q, 1.0, 1e-4);
}

TEST_P(Network, UnequalDivergenceSplitsAsTheBackwaterCurvesSay)
{
    // Side reaches of widths 8 and 16 to one outlet stage: the split makes the backwater
    // curves of both branches meet at one stage at A.
    const double q = 30, depth = 2.0, n = 0.03, slope = 2e-4, length = 10 * 100.0;
    const SteadyResult r = SteadyDivergence(GetParam(), 8, 16, q, depth);
    const double qB = Bisect(
        [&](double qb) {
            return GradualFlowDepth(qb, 8, n, slope, depth, length) -
                   GradualFlowDepth(q - qb, 16, n, slope, depth, length);
        },
        0.5, q - 0.5);
    std::printf("formulation %d: B %.4f (backwater %.4f) C %.4f D %.4f m3/s, junction imbalance %.2e\n", GetParam(),
                r.qB, qB, r.qC, r.qD, r.imbalance);
    EXPECT_NEAR(r.qB / qB, 1.0, 0.02);
    EXPECT_LT(r.imbalance, 1e-4);
    EXPECT_NEAR((r.qB + r.qC) / q, 1.0, 1e-4);
}

TEST_P(Network, ConfluenceConservesMassAtTheJunction)
{
    YNetwork y;
    y.widths[0] = 8, y.widths[1] = 12, y.widths[2] = 20;
    const double qB = 12, qC = 20;
    y.discharges[0] = qB, y.discharges[1] = qC, y.discharges[2] = qB + qC;
    y.Build();
    const double outletDepth = NormalDepth(qB + qC, 20, 0, y.n, y.slope);
    testmodel::SetBoundaries({{y.bFar, -1, Constant(0, 1, 0, qB)},
                              {y.cFar, -1, Constant(0, 1, 0, qC)},
                              {y.dFar, 1, Constant(1, 0, g_NodeBlock[y.dFar].Invert + outletDepth, 0)}});
    g_ModelControl.Formulation = GetParam();
    g_ModelControl.MaxDeltaT = 300;
    ASSERT_EQ(testmodel::StartRun(), 0);
    ASSERT_TRUE(RunToSteady(3600, 200 * 3600.0));
    const double imbalance = JunctionImbalance();
    const double qD = g_NodeBlock[y.dFar].Discharge;
    const std::array<double, 3> in = InflowsAtJunction();
    std::printf("formulation %d: inflows at A %.6f %.6f %.6f, outlet %.6f m3/s, junction imbalance %.2e\n",
                GetParam(), in[0], in[1], in[2], qD, imbalance);
    EXPECT_LT(imbalance, 1e-4);
    EXPECT_NEAR(qD / (qB + qC), 1.0, 1e-4);
    EXPECT_NEAR(in[0] / qB, 1.0, 1e-3);
    EXPECT_NEAR(in[1] / qC, 1.0, 1e-3);
    // A confluence keeps its read arrangement.
    EXPECT_EQ(g_JunctionBlock[0].Type, 1);
    EXPECT_EQ(g_JunctionBlock[0].NodeD, &g_NodeBlock[y.d]);
}

// ---------------------------------------------------------------------------------------
// Nodal discharges at steady state
// ---------------------------------------------------------------------------------------
namespace {

enum class JunctionKind { Divergence, Confluence, ReversedConfluence };

const char* KindName(JunctionKind k)
{
    return k == JunctionKind::Divergence ? "divergence" : k == JunctionKind::Confluence ? "confluence" : "reversed";
}

struct SteadyJunctionCase {
    JunctionKind kind;
    double angle;   // degrees between each side reach and the through reach's line
    double ratio;   // width of side reach C over that of B; the two together as wide as D
};

// Normal-depth rating of a rectangular reach end: rows of discharge (signed as the flow runs
// along the elements) and stage.
BoundaryInput NormalDepthRating(double width, double invert, double n, double slope, double qMax, double sign)
{
    BoundaryInput r;
    r.StageCode = r.DischargeCode = 2;
    const int rows = 81;
    for (int k = 0; k < rows; ++k) {
        // Ascending discharges: from -qMax up for flow against the elements.
        const double q = sign > 0 ? 1.0 + qMax * k / (rows - 1) : -qMax + (qMax - 1.0) * k / (rows - 1);
        r.Times.push_back(k);
        r.Discharges.push_back(q);
        r.Stages.push_back(invert + NormalDepth(std::fabs(q), width, 0, n, slope));
    }
    return r;
}

// The flow out of a divergence into side reaches that end at their own normal-depth ratings:
// each side reach runs at its normal depth y(Q) from the junction on, its water level there
// lying below the junction node's by the turn's head loss (1 - kappa) V|V| / g, V the branch's
// discharge over its width and the node's depth. The split makes both reaches meet one level
// at the node. Returns the discharge of B and the node's depth.
std::array<double, 2> DivergenceSplit(double q, double widthB, double widthC, double kappa, double n, double slope)
{
    auto nodeDepth = [&](double qb, double width) {
        const double y = NormalDepth(qb, width, 0, n, slope);
        double drop = 0;
        for (int i = 0; i < 100; ++i) {
            const double v = qb / (width * (y + drop));
            drop = (1 - kappa) * v * v / g;
        }
        return y + drop;
    };
    const double qB =
        Bisect([&](double qb) { return nodeDepth(qb, widthB) - nodeDepth(q - qb, widthC); }, 0.01 * q, 0.99 * q);
    return {qB, nodeDepth(qB, widthB)};
}

}  // namespace

TEST_P(Network, SteadyJunctionCarriesItsFlowAtEveryNode)
{
    // A trunk 60 m wide carrying 200 m3/s, and side reaches of widths in ratios 1:1 to 1:3 that
    // together are as wide, at several angles. Every node of a reach carries that reach's
    // discharge, the junction node included: what enters A leaves it through B and C.
    const double q = 200, n = 0.03, slope = 5e-4, trunk = 60;
    std::vector<SteadyJunctionCase> cases;
    for (double angle : {30.0, 60.0, 90.0, 150.0})
        for (double ratio : {1.0, 2.0, 3.0}) cases.push_back({JunctionKind::Divergence, angle, ratio});
    for (double ratio : {1.0, 2.0, 3.0}) {
        cases.push_back({JunctionKind::Confluence, 30, ratio});
        cases.push_back({JunctionKind::Confluence, 150, ratio});
    }
    for (double angle : {30.0, 150.0}) cases.push_back({JunctionKind::ReversedConfluence, angle, 3.0});

    for (const SteadyJunctionCase& t : cases) {
        const bool divergence = t.kind == JunctionKind::Divergence;
        const bool reversed = t.kind == JunctionKind::ReversedConfluence;
        const double widthB = trunk / (1 + t.ratio), widthC = trunk - widthB;
        // Confluence tributaries carry 40 and 60 % of the flow whatever their widths.
        const double qB = t.kind == JunctionKind::Confluence ? 0.4 * q : 0.6 * q;
        const double sign = reversed ? -1.0 : 1.0;   // of the discharges along the elements
        YNetwork y;
        y.divergence = divergence;
        y.reversed = reversed;
        y.m = 20;
        y.dx = 50;
        y.widths[0] = widthB, y.widths[1] = widthC, y.widths[2] = trunk;
        y.n = n;
        y.slope = slope;
        y.angle = t.angle * kPi / 180;
        y.depth = NormalDepth(q, trunk, 0, n, slope) + 0.5;
        y.discharges[0] = sign * qB, y.discharges[1] = sign * (q - qB), y.discharges[2] = sign * q;
        y.Build();
        const NodeRecord* nodes = g_NodeBlock.data();
        if (t.kind == JunctionKind::Confluence) {
            testmodel::SetBoundaries(
                {{y.bFar, -1, Constant(0, 1, 0, qB)},
                 {y.cFar, -1, Constant(0, 1, 0, q - qB)},
                 {y.dFar, 1, NormalDepthRating(trunk, nodes[y.dFar].Invert, n, slope, 1.5 * q, 1)}});
        } else {
            // Water enters at D's far end and leaves at the far ends of B and C, which are the
            // chain's downstream ends for a divergence and its upstream ends when reversed.
            testmodel::SetBoundaries(
                {{y.dFar, -sign, Constant(0, 1, 0, sign * q)},
                 {y.bFar, sign, NormalDepthRating(widthB, nodes[y.bFar].Invert, n, slope, 1.5 * q, sign)},
                 {y.cFar, sign, NormalDepthRating(widthC, nodes[y.cFar].Invert, n, slope, 1.5 * q, sign)}});
        }
        g_ModelControl.Formulation = GetParam();
        g_ModelControl.MaxDeltaT = 600;
        g_EquationSystems[HydrodynamicSystem].Theta = 1.0;   // pseudo-time towards the steady state
        ASSERT_EQ(testmodel::StartRun(), 0);
        ASSERT_TRUE(RunToSteady(3600, 200 * 3600.0));

        const std::string what = std::string(KindName(t.kind)) + " " + std::to_string(static_cast<int>(t.angle)) +
                                 " deg 1:" + std::to_string(static_cast<int>(t.ratio));
        const JunctionRecord& j = g_JunctionBlock[0];
        ASSERT_EQ(j.Type, t.kind == JunctionKind::Confluence ? 1 : 2) << what;
        // Each reach's discharge: the inflows as given; a side reach of a divergence what its
        // far end lets out.
        const double qReach[3] = {std::fabs(nodes[y.bFar].FluxDischarge), std::fabs(nodes[y.cFar].FluxDischarge), q};
        EXPECT_NEAR(qReach[0] + qReach[1], q, 1e-6 * q) << what;
        const double QA = std::fabs(nodes[y.a].Discharge);
        const double nodal = std::fabs(QA - std::fabs(nodes[y.b].Discharge) - std::fabs(nodes[y.c].Discharge)) / QA;
        double worst = 0;
        for (size_t i = 0; i < g_NodeBlock.size(); ++i) {
            const int reach = y.reachOf[i] < 0 ? 2 : y.reachOf[i];
            const double deviation = std::fabs(std::fabs(nodes[i].Discharge) - qReach[reach]) / qReach[reach];
            EXPECT_LT(deviation, 5e-4) << what << ": node " << i << " of reach " << reach;
            worst = std::max(worst, deviation);
        }
        EXPECT_LT(nodal, 5e-4) << what;

        // The split and the junction level against the normal depths and turn losses.
        const double depthA = nodes[y.a].Stage - nodes[y.a].Invert;
        double qBExpected = qB, depthExpected = NormalDepth(q, trunk, 0, n, slope);
        if (t.kind != JunctionKind::Confluence) {
            const std::array<double, 2> split = DivergenceSplit(q, widthB, widthC, j.BranchCosines[1], n, slope);
            qBExpected = split[0];
            depthExpected = split[1];
        }
        std::printf("formulation %d %-10s %3.0f deg 1:%.0f: A %.4f B %.4f C %.4f m3/s (B expected %.4f), nodal "
                    "imbalance %.1e, worst node %.1e; depth at A %.4f m (expected %.4f)\n",
                    GetParam(), KindName(t.kind), t.angle, t.ratio, QA, std::fabs(nodes[y.b].Discharge),
                    std::fabs(nodes[y.c].Discharge), qBExpected, nodal, worst, depthA, depthExpected);
        EXPECT_NEAR(qReach[0], qBExpected, 2e-4 * q) << what;
        EXPECT_NEAR(depthA, depthExpected, 1e-3) << what;
        ReleaseModel();
    }
}

INSTANTIATE_TEST_SUITE_P(Formulations, Network, ::testing::Values(0, 1, 2));

// ---------------------------------------------------------------------------------------
// Floods and reversals
// ---------------------------------------------------------------------------------------
namespace {

// Water stored in the network: linear areas along every element; a side branch holds at the
// junction node its own width (its far node's top width) at the node's depth.
double StoredVolume()
{
    double v = 0;
    for (const ElementRecord* e = g_Elements; e; e = e->Next) {
        const NodeRecord* n0 = e->Nodes[0];
        const NodeRecord* n1 = e->Nodes[1];
        const double length = e->Length > 0 ? e->Length : std::fabs(n1->Chainage - n0->Chainage);
        double a0 = n0->GrossArea, a1 = n1->GrossArea;
        for (const JunctionRecord* j = g_Junctions; j; j = j->Next) {
            if (e != j->ElementAB && e != j->ElementAC) continue;
            if (n0 == j->NodeA) a0 *= n1->TopWidth / n0->TopWidth;
            if (n1 == j->NodeA) a1 *= n0->TopWidth / n1->TopWidth;
        }
        v += 0.5 * (a0 + a1) * length;
    }
    return v;
}

// Volume balance of a run: what the boundaries let in and out, step by step as the boundary
// terms count it (a discharge hydrograph DeltaT x its value at the step's end; a stage or
// rating boundary the theta-weighted node discharge), against the change of storage.
struct VolumeBalance {
    double v0 = 0, inflow = 0, outflow = 0;
    std::vector<double> lastQ;

    void Start()
    {
        v0 = StoredVolume();
        lastQ.clear();
        for (const BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next) lastQ.push_back(b->Node()->Discharge);
    }
    void AfterStep()
    {
        const ModelControl& mc = g_ModelControl;
        const double theta = g_EquationSystems[HydrodynamicSystem].Theta;
        size_t k = 0;
        for (const BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next, ++k) {
            const double dt = mc.ModelTime - mc.StepStartTime;
            const double q = b->Node()->Discharge;
            double flux;   // out of the network, along the boundary's position
            if (b->DischargeCode == 1)
                flux = b->Position * InterpolateTable(b->Hydrograph->Columns[0].data(), b->Hydrograph->Columns[2].data(),
                                                      mc.ModelTime, b->Hydrograph->RowCount) * dt;
            else
                flux = b->Position * (theta * q + (1 - theta) * lastQ[k]) * dt;
            (flux < 0 ? inflow : outflow) += std::fabs(flux);
            lastQ[k] = q;
        }
    }
    double Imbalance() const { return std::fabs(inflow - outflow - (StoredVolume() - v0)) / inflow; }
};

}  // namespace

TEST_P(Network, FloodThroughConfluenceAndDivergenceBalancesVolume)
{
    for (bool divergence : {false, true}) {
        YNetwork y;
        y.divergence = divergence;
        // Side reaches together wider than the through reach, leaving it at 60 degrees.
        y.widths[0] = 8, y.widths[1] = 16, y.widths[2] = 20;
        y.angle = kPi / 3;
        const double base = 20;
        y.discharges[0] = y.discharges[1] = base / 2, y.discharges[2] = base;
        y.depth = NormalDepth(base, 20, 0, y.n, y.slope);
        y.Build();
        BoundaryInput flood;
        flood.DischargeCode = 1;
        flood.Times = {0, 3600, 4 * 3600, 10 * 3600, 100 * 3600};
        flood.Discharges = {base / 2, base / 2, 60, base / 2, base / 2};
        flood.Stages.assign(flood.Times.size(), 0.0);
        auto rating = [&](double width, double invert) {
            BoundaryInput r;
            r.StageCode = r.DischargeCode = 2;
            for (int k = 0; k <= 40; ++k) {
                const double q = 1.0 + 4.0 * k;
                r.Times.push_back(k);
                r.Discharges.push_back(q);
                r.Stages.push_back(invert + NormalDepth(q, width, 0, y.n, y.slope));
            }
            return r;
        };
        if (divergence) {
            BoundaryInput both = flood;
            for (double& q : both.Discharges) q *= 2;
            testmodel::SetBoundaries({{y.dFar, -1, both},
                                      {y.bFar, 1, rating(8, g_NodeBlock[y.bFar].Invert)},
                                      {y.cFar, 1, rating(16, g_NodeBlock[y.cFar].Invert)}});
        } else {
            testmodel::SetBoundaries({{y.bFar, -1, flood},
                                      {y.cFar, -1, flood},
                                      {y.dFar, 1, rating(20, g_NodeBlock[y.dFar].Invert)}});
        }
        g_ModelControl.Formulation = GetParam();
        g_ModelControl.MaxDeltaT = 60;
        ASSERT_EQ(testmodel::StartRun(), 0);
        VolumeBalance balance;
        balance.Start();
        auto afterStep = [&] { balance.AfterStep(); };
        for (double hours : {6.0, 24.0}) {
            ASSERT_TRUE(testmodel::RunTo(hours * 3600, afterStep));
            const double stored = StoredVolume() - balance.v0;
            std::printf("formulation %d %s, %g h: in %.1f out %.1f stored %.1f m3, volume imbalance %.2e\n", GetParam(),
                        divergence ? "divergence" : "confluence", hours, balance.inflow, balance.outflow, stored,
                        balance.Imbalance());
            EXPECT_LT(balance.Imbalance(), 1e-3);
            if (hours == 6.0) {
                EXPECT_GT(stored, 0.05 * balance.inflow);
            }
        }
        ReleaseModel();
    }
}

TEST_F(NetworkCase, SideBranchReversalIsFollowedWithoutRejections)
{
    // A divergence whose branch C ends at a tide: the tide rises above the junction level and
    // C flows back into A, then falls again.
    YNetwork y;
    y.divergence = true;
    y.widths[0] = y.widths[1] = 10, y.widths[2] = 20;
    const double q = 10;
    y.discharges[0] = y.discharges[1] = q / 2, y.discharges[2] = q;
    y.depth = 2.0;
    y.Build();
    const double outlet = g_NodeBlock[y.bFar].Invert + 2.0;
    BoundaryInput tide;
    tide.StageCode = 1;
    tide.Times = {0, 2 * 3600, 8 * 3600, 14 * 3600, 20 * 3600, 1e9};
    tide.Stages = {outlet, outlet, outlet + 1.0, outlet + 1.0, outlet, outlet};
    tide.Discharges.assign(tide.Times.size(), 0.0);
    testmodel::SetBoundaries({{y.dFar, -1, Constant(0, 1, 0, q)},
                              {y.bFar, 1, Constant(1, 0, outlet, 0)},
                              {y.cFar, 1, tide}});
    g_ModelControl.Formulation = 1;
    g_ModelControl.MaxDeltaT = 120;
    ASSERT_EQ(testmodel::StartRun(), 0);
    const JunctionRecord& j = g_JunctionBlock[0];
    int rejected = 0, accepted = 0, reversedSteps = 0, arrangements = 0;
    bool wasReversed = false;
    double mostReversed = 0;
    while (g_ModelControl.ModelTime < 30 * 3600) {
        const int r = testmodel::Step();
        ASSERT_TRUE(r == 0 || r == 1);
        if (r == 0) {
            ++rejected;
            ASSERT_LT(rejected, 5) << "at " << g_ModelControl.ModelTime / 3600 << " h";
            continue;
        }
        ++accepted;
        const bool reversed = j.FlowSign[1] < 0;
        if (reversed != wasReversed) ++arrangements;
        wasReversed = reversed;
        reversedSteps += reversed;
        mostReversed = std::min(mostReversed, g_NodeBlock[y.cFar].Discharge);
    }
    std::printf("accepted %d rejected %d steps; C reversed over %d steps, down to %.3f m3/s; %d changes of arrangement\n",
                accepted, rejected, reversedSteps, mostReversed, arrangements);
    EXPECT_EQ(rejected, 0);
    // C flowed back and then out again: two changes of arrangement.
    EXPECT_GT(reversedSteps, 10);
    EXPECT_LT(mostReversed, -1.0);
    EXPECT_EQ(arrangements, 2);
    EXPECT_EQ(j.Type, 2);
    EXPECT_EQ(j.NodeD, j.ReadNodes[3]);
}

// ---------------------------------------------------------------------------------------
// The network example of examples/
// ---------------------------------------------------------------------------------------
TEST_F(NetworkCase, NetworkExampleReadsRunsAndSavesItsJunctions)
{
    const std::string path = std::string(VASQUIL_SOURCE_DIR) + "/examples/sample-network.vqx";
    ASSERT_EQ(modelfiles_test::LoadModelFileQuietly(path), 0);
    const ModelControl& mc = g_ModelControl;
    ASSERT_EQ(mc.JunctionCount, 2);
    const JunctionRecord& confluence = g_JunctionBlock[0];
    const JunctionRecord& divergence = g_JunctionBlock[1];
    EXPECT_EQ(confluence.ReadType, 1);
    EXPECT_EQ(divergence.ReadType, 2);
    EXPECT_EQ(confluence.NodeA->Number, 12);
    EXPECT_EQ(divergence.NodeA->Number, 20);
    // Branch lengths from the plan positions: 200 m each.
    for (const JunctionRecord* j : {&confluence, &divergence})
        for (const ElementRecord* e : j->ReadElements) {
            EXPECT_NEAR(e->Length, 200.0, 1e-3);
            EXPECT_EQ(e->GivenLength, 0.0);
        }
    // The distributaries leave the through line at 30 degrees: angle BAD = 150 degrees.
    EXPECT_NEAR(divergence.BranchCosines[0], std::cos(kPi / 6), 1e-6);
    EXPECT_NEAR(divergence.BranchCosines[1], std::cos(kPi / 6), 1e-6);
    EXPECT_EQ(confluence.BranchCosines[0], 1.0);
    ASSERT_NE(g_JamTable, nullptr);
    EXPECT_EQ(g_JamTable->RowCount, 7);

    // A flood through both junctions, and four days for it to pass.
    g_ModelControl.StepStartTime = g_ModelControl.ModelTime;
    VolumeBalance balance;
    balance.Start();
    int rejected = 0;
    while (g_ModelControl.ModelTime < 96 * 3600.0) {
        const int r = testmodel::Step();
        ASSERT_TRUE(r == 0 || r == 1);
        if (r == 0) {
            ASSERT_LT(++rejected, 20);
            continue;
        }
        balance.AfterStep();
    }
    const NodeRecord* out1 = g_NodeIndex[25];
    const NodeRecord* out2 = g_NodeIndex[31];
    std::printf("network example: in %.0f out %.0f m3, volume imbalance %.2e, %d steps rejected; outlets %.3f + %.3f "
                "m3/s, peaks %.1f %.1f\n",
                balance.inflow, balance.outflow, balance.Imbalance(), rejected, out1->Discharge, out2->Discharge,
                out1->PeakFluxDischarge, out2->PeakFluxDischarge);
    EXPECT_LT(balance.Imbalance(), 1e-3);
    EXPECT_EQ(rejected, 0);
    // The flood has passed: the outlets carry what comes in.
    double inflowNow = 0;
    for (const BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next)
        if (b->DischargeCode == 1)
            inflowNow += InterpolateTable(b->Hydrograph->Columns[0].data(), b->Hydrograph->Columns[2].data(),
                                          g_ModelControl.ModelTime, b->Hydrograph->RowCount);
    EXPECT_NEAR(out1->Discharge + out2->Discharge, inflowNow, 0.01 * inflowNow);
    EXPECT_GT(out1->PeakFluxDischarge + out2->PeakFluxDischarge, 100.0);
    // The wider distributary carries more.
    EXPECT_GT(out1->Discharge, out2->Discharge);

    // Saved, the read arrangement and the jam table come back.
    int code = -1;
    const std::string written = modelfiles_test::WriteText(&code);
    ASSERT_EQ(code, 0);
    ASSERT_EQ(modelfiles_test::ReadTextQuietly(written), 0);
    ASSERT_EQ(g_ModelControl.JunctionCount, 2);
    EXPECT_EQ(g_JunctionBlock[1].ReadType, 2);
    EXPECT_EQ(g_JunctionBlock[1].ReadNodes[1]->Number, 21);
    EXPECT_EQ(g_JunctionBlock[1].ReadElements[2]->Number, 19);
    ASSERT_NE(g_JamTable, nullptr);
    EXPECT_EQ(g_JamTable->RowCount, 7);
}

// A state saved in the middle of the flood opens with the flux discharges it was saved with:
// the split of the side-branch flow at each junction comes from the discharges the file holds,
// not from equal shares (which shift a branch node's Qflux by metres cubed per second).
TEST_F(NetworkCase, NetworkStateSavedInTheFloodReopensWithItsFluxDischarges)
{
    const std::string path = std::string(VASQUIL_SOURCE_DIR) + "/examples/sample-network.vqx";
    ASSERT_EQ(modelfiles_test::ReadTextQuietly(modelfiles_test::ReadBytes(path)), 0);
    g_ModelControl.StepStartTime = g_ModelControl.ModelTime;
    while (g_ModelControl.ModelTime < 14 * 3600.0) ASSERT_GE(testmodel::Step(), 0);
    std::vector<double> before;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next) before.push_back(n->FluxDischarge);

    int code = -1;
    const std::string written = modelfiles_test::WriteText(&code);
    ASSERT_EQ(code, 0);
    ASSERT_EQ(modelfiles_test::ReadTextQuietly(written), 0);
    size_t i = 0;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next, ++i) {
        ASSERT_LT(i, before.size());
        EXPECT_NEAR(n->FluxDischarge, before[i], 0.005 * std::fabs(before[i])) << "node " << n->Number;
    }
    EXPECT_EQ(i, before.size());
}

// ---------------------------------------------------------------------------------------
// Surveyed sections and zero flows at a junction
// ---------------------------------------------------------------------------------------
namespace {

// Section points of a trapezoid: bottom width b at elevation z, side slopes m (horizontal per
// vertical), `height` above the bottom.
std::vector<SectionPoint> TrapezoidSection(double b, double m, double height, double z)
{
    return {{0.0, z + height}, {m * height, z}, {m * height + b, z}, {2 * m * height + b, z + height}};
}

// The Y with surveyed trapezoids at every node and no rectangular width (as surveyed nodes
// have none), at a level stage.
void SurveyedY(YNetwork& y, double level, double discharge)
{
    y.Build();
    for (NodeRecord& node : g_NodeBlock) {
        const double width = node.RectWidth;
        testmodel::SetSection(node, TrapezoidSection(width, 1.5, 6.0, node.Invert), y.n, 120);
        node.RectWidth = 0;
        node.HydroUnknowns[0] = testmodel::AreaAtStage(node, level);
        node.HydroUnknowns[1] = discharge;
    }
}

class SurveyedNetwork : public testmodel::ModelTest<::testing::TestWithParam<int>> {};

}  // namespace

TEST_P(SurveyedNetwork, StillWaterOverSurveyedJunctionNodes)
{
    // Both natural formulations close the junction node's momentum with the natural-section
    // force g A H + beta Q^2 / A; the rectangular one would divide by the width of 0.
    YNetwork y;
    y.divergence = true;
    const double level = 3.0;
    SurveyedY(y, level, 0.0);
    testmodel::SetBoundaries({{y.dFar, -1, Constant(0, 1, 0, 0.0)},
                              {y.bFar, 1, Constant(0, 1, 0, 0.0)},
                              {y.cFar, 1, Constant(1, 0, level, 0)}});
    g_ModelControl.Formulation = GetParam();
    g_ModelControl.MaxDeltaT = 120;
    ASSERT_EQ(testmodel::StartRun(), 0);
    ASSERT_TRUE(testmodel::RunTo(3 * 3600.0));
    double stage = 0, velocity = 0;
    for (const NodeRecord& node : g_NodeBlock) {
        ASSERT_TRUE(std::isfinite(node.Stage) && std::isfinite(node.Velocity)) << node.Index;
        stage = std::max(stage, std::fabs(node.Stage - level));
        velocity = std::max(velocity, std::fabs(node.Velocity));
    }
    std::printf("formulation %d, surveyed: largest stage departure %.2e m, velocity %.2e m/s\n", GetParam(), stage,
                velocity);
    EXPECT_LT(stage, 1e-9);
    EXPECT_LT(velocity, 1e-9);
}

TEST_P(SurveyedNetwork, SymmetricSurveyedDivergenceSplitsEvenly)
{
    YNetwork y;
    y.divergence = true;
    y.widths[0] = y.widths[1] = 10, y.widths[2] = 16;
    const double q = 30;
    SurveyedY(y, 0.0, 0.0);
    for (NodeRecord& node : g_NodeBlock) {
        node.HydroUnknowns[0] = testmodel::AreaAtStage(node, node.Invert + 2.0);
        node.HydroUnknowns[1] = y.reachOf[node.Index] == 2 || y.reachOf[node.Index] < 0 ? q : q / 2;
    }
    g_JunctionBlock[0].BranchDischargeAB = g_JunctionBlock[0].BranchDischargeAC = q / 2;
    const double outlet = g_NodeBlock[y.bFar].Invert + 2.0;
    testmodel::SetBoundaries({{y.dFar, -1, Constant(0, 1, 0, q)},
                              {y.bFar, 1, Constant(1, 0, outlet, 0)},
                              {y.cFar, 1, Constant(1, 0, outlet, 0)}});
    g_ModelControl.Formulation = GetParam();
    g_ModelControl.MaxDeltaT = 300;
    ASSERT_EQ(testmodel::StartRun(), 0);
    ASSERT_TRUE(RunToSteady(3600, 200 * 3600.0));
    const double qB = g_NodeBlock[y.bFar].Discharge, qC = g_NodeBlock[y.cFar].Discharge;
    std::printf("formulation %d, surveyed: B %.6f C %.6f m3/s, junction imbalance %.2e\n", GetParam(), qB, qC,
                JunctionImbalance());
    EXPECT_NEAR(qB / q, 0.5, 1e-6);
    EXPECT_NEAR(qC / q, 0.5, 1e-6);
    EXPECT_LT(JunctionImbalance(), 1e-4);
}

TEST_P(SurveyedNetwork, UnequalSurveyedDivergenceCarriesItsFlowAtEveryNode)
{
    // Trapezoids of bottom widths 10 and 30 leaving one of 40 at right angles, each ending at
    // its own normal-depth rating: every node carries its reach's discharge.
    YNetwork y;
    y.divergence = true;
    y.m = 20;
    y.dx = 50;
    y.widths[0] = 10, y.widths[1] = 30, y.widths[2] = 40;
    y.slope = 5e-4;
    y.angle = kPi / 2;
    const double q = 80, sideSlope = 1.5;
    SurveyedY(y, 0.0, 0.0);
    for (NodeRecord& node : g_NodeBlock) {
        const int reach = y.reachOf[node.Index];
        node.HydroUnknowns[0] = testmodel::AreaAtStage(node, node.Invert + 2.5);
        node.HydroUnknowns[1] = reach == 0 ? 0.3 * q : reach == 1 ? 0.7 * q : q;
    }
    auto rating = [&](int far) {
        BoundaryInput r;
        r.StageCode = r.DischargeCode = 2;
        for (int k = 0; k <= 60; ++k) {
            const double qr = 1.0 + 1.5 * q * k / 60;
            r.Times.push_back(k);
            r.Discharges.push_back(qr);
            r.Stages.push_back(g_NodeBlock[far].Invert +
                               NormalDepth(qr, y.widths[y.reachOf[far]], sideSlope, y.n, y.slope));
        }
        return r;
    };
    testmodel::SetBoundaries({{y.dFar, -1, Constant(0, 1, 0, q)}, {y.bFar, 1, rating(y.bFar)}, {y.cFar, 1, rating(y.cFar)}});
    g_ModelControl.Formulation = GetParam();
    g_ModelControl.MaxDeltaT = 600;
    g_EquationSystems[HydrodynamicSystem].Theta = 1.0;
    ASSERT_EQ(testmodel::StartRun(), 0);
    ASSERT_TRUE(RunToSteady(3600, 200 * 3600.0));
    const NodeRecord* nodes = g_NodeBlock.data();
    const double qReach[3] = {nodes[y.bFar].FluxDischarge, nodes[y.cFar].FluxDischarge, q};
    EXPECT_NEAR(qReach[0] + qReach[1], q, 1e-6 * q);
    double worst = 0;
    for (size_t i = 0; i < g_NodeBlock.size(); ++i) {
        const int reach = y.reachOf[i] < 0 ? 2 : y.reachOf[i];
        worst = std::max(worst, std::fabs(nodes[i].Discharge - qReach[reach]) / qReach[reach]);
    }
    const double QA = nodes[y.a].Discharge;
    const double nodal = std::fabs(QA - nodes[y.b].Discharge - nodes[y.c].Discharge) / QA;
    std::printf("formulation %d, surveyed: B %.4f C %.4f m3/s, nodal imbalance %.1e, worst node %.1e\n", GetParam(),
                qReach[0], qReach[1], nodal, worst);
    EXPECT_LT(nodal, 5e-4);
    EXPECT_LT(worst, 5e-4);
}

INSTANTIATE_TEST_SUITE_P(NaturalFormulations, SurveyedNetwork, ::testing::Values(1, 2));

TEST_F(NetworkCase, ZeroFluxAtABranchNodeLeavesTheResidualFinite)
{
    // Node A or a branch node without flux: the direction of A's discharge in the branch comes
    // from comparing signs, so nothing divides by the zero flux.
    YNetwork y;
    y.divergence = true;
    y.discharges[0] = y.discharges[1] = 5, y.discharges[2] = 10;
    y.Build();
    testmodel::SetBoundaries({{y.dFar, -1, Constant(0, 1, 0, 10)},
                              {y.bFar, 1, Constant(1, 0, g_NodeBlock[y.bFar].Invert + 2, 0)},
                              {y.cFar, 1, Constant(1, 0, g_NodeBlock[y.cFar].Invert + 2, 0)}});
    ASSERT_EQ(testmodel::StartRun(), 0);
    const struct {
        double a, x;
    } cases[] = {{0.0, 0.0}, {10.0, 0.0}, {0.0, 5.0}, {-0.0, 5.0}};
    for (const auto& t : cases) {
        g_NodeBlock[y.a].FluxDischarge = t.a;
        for (int k : {y.b, y.c, y.d}) g_NodeBlock[k].FluxDischarge = t.x;
        ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
        const EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
        for (double r : es.Rhs) ASSERT_TRUE(std::isfinite(r)) << t.a << " " << t.x;
        for (double u : es.UpperProfile) ASSERT_TRUE(std::isfinite(u)) << t.a << " " << t.x;
    }
    // With a zero flux the branch keeps A's discharge as it is: the same residual as a flux of
    // the same sign as A's.
    g_NodeBlock[y.a].FluxDischarge = 10;
    for (int k : {y.b, y.c, y.d}) g_NodeBlock[k].FluxDischarge = 0;
    ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
    const std::vector<double> zero = g_EquationSystems[HydrodynamicSystem].Rhs;
    for (int k : {y.b, y.c, y.d}) g_NodeBlock[k].FluxDischarge = 3;
    ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
    EXPECT_EQ(g_EquationSystems[HydrodynamicSystem].Rhs, zero);
    // Fluxes of opposite signs that are rounding noise of water at rest, at A or at the branch
    // nodes, turn no branch round either.
    const struct {
        double a, x;
    } noise[] = {{1e-12, -1e-12}, {-1e-12, 1e-12}, {10.0, -1e-9}, {-1e-9, 3.0}};
    for (const auto& t : noise) {
        g_NodeBlock[y.a].FluxDischarge = t.a;
        for (int k : {y.b, y.c, y.d}) g_NodeBlock[k].FluxDischarge = t.x;
        ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
        EXPECT_EQ(g_EquationSystems[HydrodynamicSystem].Rhs, zero) << t.a << " " << t.x;
    }
}

