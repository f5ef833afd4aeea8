// The ice-jam stability solution against references worked out here: the equilibrium jam as the
// positive root of its quadratic, one step of the march as a root of the jam equation taken
// over the step (found by bisection), the erosion limit in closed form, the damping as a
// geometric sequence, and the walks along reaches and through junctions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "ChannelReferences.h"
#include "ModelBuilder.h"
#include "engine/EngineData.h"
#include "engine/JamStability.h"
#include "engine/ModelSetup.h"
#include "engine/TimeStepping.h"

namespace {

constexpr double kG = 9.81, kRho = 1000.0;

// What the jam equation reads at a node of a uniform reach.
struct Reach {
    double width = 120;      // m, channel and anchor width
    double surface = 4e-4;   // water-surface slope
    double friction = 4e-4;  // friction slope
    double bedRadius = 2.4;  // m, bed hydraulic radius
    double nb = 0.03;        // bed Manning n
    double ni = 0.05;        // ice Manning n
    double cohesion = 0.0;   // Pa
};

// Ice settings of the control block for the tests.
void SetJamSettings(double cohesion)
{
    ModelControl& mc = g_ModelControl;
    mc.FileType = 1;
    mc.Gravity = kG;
    mc.WaterDensity = kRho;
    mc.IceSpecificGravity = 0.917;
    mc.IceDensity = 0.917 * kRho;
    mc.JamPorosity = 0.4;
    mc.PassivePressureCoefficient = 10;
    mc.IceFriction = 1.28;
    mc.IceCohesion = cohesion;
}

void SetNodeFields(NodeRecord& n, const Reach& r)
{
    n.SectionCode = 0;
    n.RectWidth = r.width;
    n.AnchorWidth = r.width;
    n.SurfaceSlope = r.surface;
    n.ChannelFrictionSlope = r.friction;
    n.BedHydraulicRadius = r.bedRadius;
    n.ManningN = r.nb;
    n.IceManningN = r.ni;
}

// Shear of the flow on the jam's underside (Pa): the ice's part of rho g Sf Rb.
double IceShear(const Reach& r)
{
    return kRho * kG * r.friction * r.bedRadius / (std::pow(r.nb / r.ni, 1.5) + 1.0);
}

// The equilibrium jam: the positive root of mu (1 - s) rho_i g t^2 / W + 2 c t / W = rho_i g S t + tau.
double EquilibriumThickness(const Reach& r)
{
    const ModelControl& mc = g_ModelControl;
    const double a = mc.IceFriction * (1 - mc.IceSpecificGravity) * mc.IceDensity * kG / r.width;
    const double b = 2 * r.cohesion / r.width - mc.IceDensity * kG * r.surface;
    const double c = -IceShear(r);
    return (-b + std::sqrt(b * b - 4 * a * c)) / (2 * a);
}

// One step of the march over `length` from the upstream thickness tu: the root td of
//   (k a / 2) (td^2 - tu^2) / L = (rho_i g S t + tau) / 2 - f mu a t^2 / ((1 - pj) W) - f c t / W,
// t = (tu + td) / 2, a = (1 - s)(1 - pj) rho_i g / 2, f the strength share, found by bisection.
double MarchStep(double tu, double length, double slope, double shear, double width, double share)
{
    const ModelControl& mc = g_ModelControl;
    const double a = 0.5 * (1 - mc.IceSpecificGravity) * (1 - mc.JamPorosity) * mc.IceDensity * kG;
    const double k = mc.PassivePressureCoefficient;
    auto residual = [&](double td) {
        const double t = 0.5 * (tu + td);
        return k * a / 2 * (td * td - tu * tu) / length - (mc.IceDensity * kG * slope * t + shear) / 2 +
               share * mc.IceFriction * a * t * t / ((1 - mc.JamPorosity) * width) + share * mc.IceCohesion * t / width;
    };
    return testmodel::Bisect(residual, 0.0, 100.0);
}

// A chain of `count` nodes `dx` apart, every node with the reach's fields, all jammed but the
// first; the control block with the jam settings.
void BuildJammedReach(int count, double dx, const Reach& r)
{
    testmodel::BuildChain(count, dx, [&](NodeRecord& n, int i) {
        SetNodeFields(n, r);
        n.JamFlag = i > 0 ? 1 : 0;
    });
    SetJamSettings(r.cohesion);
}

void SetThickness(NodeRecord& n, double t)
{
    n.SolidEquivalentThickness = n.IceThickness = n.EffectiveIceThickness = t;
}

// What the settled-discharge gate reads: the increments of a hydrodynamic solve (all zero) and
// a steady pass made; erosion limit off, damping `damping`.
void PrepareSolve(double damping)
{
    ModelControl& mc = g_ModelControl;
    EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    es.UnknownsPerNode = 2;
    es.Rhs.assign(2 * g_NodeBlock.size(), 0.0);
    mc.SteadyIteration = 1;
    mc.MaxDischargeChangeJSE = 0.01;
    mc.ErosionVelocity = 0;
    mc.IceThicknessDamping = damping;
    for (NodeRecord& n : g_NodeBlock) n.Discharge = n.PreviousDischarge = 100;
}

TEST(JamStability, MarchSettlesOnTheEquilibriumJamFromThinnerAndThickerStarts)
{
    struct Case {
        const char* name;
        Reach reach;
        double dx;
    };
    const Case cases[] = {
        {"wide river, no cohesion", {}, 50},
        {"narrow steep river", {40, 1.2e-3, 1.2e-3, 1.5, 0.035, 0.06, 0}, 25},
        {"cohesive ice", {120, 4e-4, 4e-4, 2.4, 0.03, 0.05, 400}, 50},
        {"surface flatter than the friction slope", {200, 2e-4, 5e-4, 3.0, 0.028, 0.04, 0}, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildJammedReach(600, c.dx, c.reach);
        const double equilibrium = EquilibriumThickness(c.reach);
        ASSERT_GT(equilibrium, 0.2);
        for (double start : {0.0, 3 * equilibrium}) {
            SetThickness(g_NodeBlock[0], start);
            for (size_t i = 1; i < g_NodeBlock.size(); ++i) JamStabilityThickness(&g_NodeBlock[i - 1], &g_NodeBlock[i], 0);
            const double last = g_NodeBlock.back().SolidEquivalentThickness;
            EXPECT_NEAR(last, equilibrium, 0.005 * equilibrium) << "from " << start << " m";
            EXPECT_EQ(g_NodeBlock.back().IceThickness, last);
            EXPECT_EQ(g_NodeBlock.back().EffectiveIceThickness, last);
            EXPECT_EQ(g_NodeBlock.back().IceConcentration, 1.0);
        }
    }
    ReleaseModel();
}

TEST(JamStability, OneStepIsARootOfTheJamEquationOverTheStep)
{
    // Different fields at the two nodes: the step takes their means.
    Reach upper, lower;
    lower.width = 80;
    lower.surface = 6e-4;
    lower.friction = 5e-4;
    lower.bedRadius = 2.0;
    testmodel::BuildChain(2, 0, nullptr);
    SetNodeFields(g_NodeBlock[0], upper);
    SetNodeFields(g_NodeBlock[1], lower);
    g_NodeBlock[0].Chainage = 1000;
    g_NodeBlock[1].Chainage = 1350;   // the distance counts by its size either way
    SetJamSettings(250);
    SetThickness(g_NodeBlock[0], 0.9);
    auto radius = [](const Reach& r) { return r.bedRadius / (std::pow(r.nb / r.ni, 1.5) + 1); };
    const double shear = kRho * kG * (upper.friction + lower.friction) / 2 * (radius(upper) + radius(lower)) / 2;
    const double slope = (upper.surface + lower.surface) / 2;
    const double width = (upper.width + lower.width) / 2;
    for (double length : {0.0, 350.0, -350.0}) {
        SetThickness(g_NodeBlock[1], 0);
        const double t = JamStabilityThickness(&g_NodeBlock[0], &g_NodeBlock[1], length);
        EXPECT_NEAR(t, MarchStep(0.9, 350, slope, shear, width, 1.0), 1e-9) << "given length " << length;
    }
    // Across a junction side branch: the widths of the junction work copies, three quarters of
    // the strength, and the length as given (by its size).
    g_NodeBlock[0].JunctionWork[10] = 50;
    g_NodeBlock[1].JunctionWork[10] = 70;
    const double t = JamStabilityThicknessAtJunction(&g_NodeBlock[0], &g_NodeBlock[1], -200);
    EXPECT_NEAR(t, MarchStep(0.9, 200, slope, shear, 60, 0.75), 1e-9);
    ReleaseModel();
}

TEST(JamStability, AThicknessIsNeverNegativeAndOnlyANumberIsStored)
{
    struct Case {
        const char* name;
        double surface, friction, width, cohesion, tu, length;
        double expected;   // NaN: the node keeps its thickness
    };
    const double keep = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        // The jam's strength over a long step outweighs what pushes it: no thickness is left.
        {"adverse slope, cohesion, long element", -2e-3, 1e-4, 60, 2000, 1.5, 3000, 0.0},
        {"reverse friction slope", 4e-4, -5e-3, 120, 0, 0, 100, keep},
        {"no anchor width", 4e-4, 4e-4, 0, 0, 0.5, 100, keep},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reach r;
        r.surface = c.surface;
        r.friction = c.friction;
        r.width = c.width;
        r.cohesion = c.cohesion;
        BuildJammedReach(2, c.length, r);
        SetThickness(g_NodeBlock[0], c.tu);
        SetThickness(g_NodeBlock[1], 0.7);
        const double t = JamStabilityThickness(&g_NodeBlock[0], &g_NodeBlock[1], 0);
        const double expected = std::isnan(c.expected) ? 0.7 : c.expected;
        EXPECT_EQ(t, expected);
        EXPECT_EQ(g_NodeBlock[1].SolidEquivalentThickness, expected);
        EXPECT_EQ(g_NodeBlock[1].IceThickness, expected);
        EXPECT_EQ(g_NodeBlock[1].EffectiveIceThickness, expected);
    }
    ReleaseModel();
}

TEST(JamStability, ErosionLimitIsTheDepthBelowTheLevelOfTheSmallestFlowArea)
{
    // Two nodes: an unjammed one far upstream with a thick jam, so the march brings a jam far
    // thicker than the limit to the jammed node below, which the limit then cuts.
    struct Case {
        const char* name;
        bool section;        // a surveyed rectangle 20 m wide instead of a rectangular node
        double velocity;     // erosion velocity, m/s
        double discharge;    // m3/s; its sign plays no part
        double stage;        // m, over an invert at 10 m
        double expected;     // m, (H - max(z, h(|Q| / Ve))) / s, or NaN: no limit
    };
    const double none = std::numeric_limits<double>::quiet_NaN();
    const double s = 0.917;
    const Case cases[] = {
        {"rectangle", false, 1.5, 60, 14, (14 - (10 + 60 / 1.5 / 20)) / s},
        {"surveyed section", true, 1.5, 60, 14, (14 - (10 + 60 / 1.5 / 20)) / s},
        {"reverse flow", false, 1.5, -60, 14, (14 - (10 + 60 / 1.5 / 20)) / s},
        {"no flow: the level of no area is the invert", false, 1.2, 0, 13, (13 - 10) / s},
        {"a stage below the level: no jam", false, 0.5, 200, 14, 0},
        {"no erosion velocity: no limit", false, 0, 60, 14, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildJammedReach(2, 10, Reach{20, 4e-4, 4e-4, 2.0, 0.03, 0.05, 0});
        NodeRecord& n = g_NodeBlock[1];
        if (c.section) testmodel::SetSection(n, {{0, 18}, {0, 10}, {20, 10}, {20, 18}}, 0.03, 40);
        PrepareSolve(1);
        g_ModelControl.ErosionVelocity = c.velocity;
        n.Invert = 10;
        n.Stage = c.stage;
        n.HydroUnknowns[0] = 20 * (c.stage - 10);
        n.HydroUnknowns[1] = n.Discharge = n.PreviousDischarge = c.discharge;
        SetThickness(g_NodeBlock[0], 30);
        SetThickness(n, 0);
        ASSERT_EQ(SolveIceJamStability(), 1);
        if (std::isnan(c.expected)) {
            EXPECT_GT(n.SolidEquivalentThickness, 25);
        } else {
            EXPECT_NEAR(n.SolidEquivalentThickness, c.expected, 1e-12);
            EXPECT_EQ(n.EffectiveIceThickness, n.SolidEquivalentThickness);
            EXPECT_EQ(n.IceThickness, n.SolidEquivalentThickness);
        }
    }
    ReleaseModel();
}

TEST(JamStability, DampingApproachesAFixedTargetGeometrically)
{
    // A jammed node below an unjammed one: every solve marches to the same target.
    Reach r;
    BuildJammedReach(2, 300, r);
    SetThickness(g_NodeBlock[0], 0.4);
    const double target = MarchStep(0.4, 300, r.surface, IceShear(r), r.width, 1.0);
    const double start = 2.5;
    for (double damping : {1.0, 1.0 / 3.0, 0.8, 0.0}) {
        SCOPED_TRACE(damping);
        PrepareSolve(damping);
        SetThickness(g_NodeBlock[1], start);
        ShiftTimeLevel();
        for (int pass = 1; pass <= 6; ++pass) {
            double change = -1;
            ASSERT_EQ(SolveIceJamStability(&change), 1);
            const double t = g_NodeBlock[1].SolidEquivalentThickness;
            const double expected = target + std::pow(1 - damping, pass) * (start - target);
            EXPECT_NEAR(t, expected, 1e-9) << "pass " << pass;
            EXPECT_NEAR(change, damping * std::pow(1 - damping, pass - 1) * std::fabs(start - target), 1e-9);
            EXPECT_EQ(g_NodeBlock[1].IceThickness, t);
            EXPECT_EQ(g_NodeBlock[1].EffectiveIceThickness, t);
            ShiftTimeLevel();
        }
        EXPECT_EQ(g_NodeBlock[0].SolidEquivalentThickness, 0.4);
    }
    ReleaseModel();
}

TEST(JamStability, SolvesOnlyOnceTheDischargeHasSettled)
{
    // The gate looks at the node with the largest hydrodynamic increment only.
    struct Case {
        const char* name;
        int steadyIteration;
        int largestAt;        // node of the largest increment
        double change[3];     // discharge change at each node, m3/s
        int solved;
    };
    const Case cases[] = {
        {"settled", 3, 2, {0, 0, 0.009}, 1},
        {"still changing at the node of the largest increment", 3, 2, {0, 0, 0.01}, 0},
        {"changing elsewhere only", 3, 1, {0, 0, 5}, 1},
        {"changing in the other direction", 3, 0, {-0.02, 0, 0}, 0},
        {"no steady pass made yet", 0, 2, {0, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildJammedReach(3, 200, Reach{});
        PrepareSolve(1);
        g_ModelControl.SteadyIteration = c.steadyIteration;
        g_EquationSystems[HydrodynamicSystem].Rhs[2 * c.largestAt] = 0.5;
        for (int i = 0; i < 3; ++i) {
            g_NodeBlock[i].PreviousDischarge = 100 - c.change[i];
            SetThickness(g_NodeBlock[i], 0.25);
            g_NodeBlock[i].IceConcentration = 0.5;
        }
        double change = -1;
        EXPECT_EQ(SolveIceJamStability(&change), c.solved);
        const bool moved = g_NodeBlock[2].SolidEquivalentThickness != 0.25;
        EXPECT_EQ(moved, c.solved == 1);
        EXPECT_EQ(g_NodeBlock[2].IceConcentration, c.solved == 1 ? 1.0 : 0.5);
        if (c.solved == 0) {
            EXPECT_EQ(change, 0.0);
        }
    }
    ReleaseModel();
}

TEST(JamStability, ATableRowWalksItsReachOnlyAndWithoutATableTheChain)
{
    // Reach 1 of nodes 0-2 and reach 2 of nodes 3-5, every node jammed.
    struct Case {
        const char* name;
        std::vector<int> reachRows;   // ids of the table's node rows; empty: no table
        std::vector<bool> solved;
    };
    const Case cases[] = {
        {"reach 1", {1}, {false, true, true, false, false, false}},
        {"reach 2", {2}, {false, false, false, false, true, true}},
        {"both reaches", {2, 1}, {false, true, true, false, true, true}},
        {"no table: the chain", {}, {false, true, true, true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildJammedReach(6, 200, Reach{});
        for (int i = 0; i < 6; ++i) {
            NodeRecord& n = g_NodeBlock[i];
            n.Reach = i < 3 ? 1 : 2;
            n.JamFlag = 1;
            SetThickness(n, 0.25);
        }
        if (!c.reachRows.empty()) {
            g_JamTable = new JamStabilityTable;
            for (int id : c.reachRows) {
                g_JamTable->RowType.push_back(0);
                g_JamTable->Id.push_back(id);
                g_JamTable->JunctionIndex.push_back(-1);
                g_JamTable->NodeIndex.push_back(id == 1 ? 0 : 3);
            }
            g_JamTable->RowCount = static_cast<int>(c.reachRows.size());
        }
        PrepareSolve(1);
        ASSERT_EQ(SolveIceJamStability(), 1);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(g_NodeBlock[i].SolidEquivalentThickness != 0.25, c.solved[i]) << "node " << i;
    }
    ReleaseModel();
}

// A junction with its side branches B (nodes 0, 1) and C (nodes 2, 3), the junction node A (4)
// and the through branch D (5, 6), every node with the same fields. Branch lengths: AB 300 m,
// AC 300 m, AD 400 m. Anchor-width copies: W at B and C, half of it at A.
struct JunctionJam {
    Reach reach;
    int type;
    double stages[7];

    void Build(double dischargeAB, double dischargeAC, const std::vector<int>& unjammed)
    {
        testmodel::BuildNetwork(7, {{0, 1}, {1, 4}, {2, 3}, {3, 4}, {4, 5}, {5, 6}}, [&](NodeRecord& n, int i) {
            SetNodeFields(n, reach);
            n.Chainage = 100.0 * i;
            n.Stage = stages[i];
            n.JamFlag = 1;
            n.JunctionWork[10] = i == 4 ? reach.width / 2 : reach.width;
        });
        for (int i : unjammed) g_NodeBlock[i].JamFlag = 0;
        SetJamSettings(reach.cohesion);
        testmodel::SetJunctions({{type, 4, 1, 3, 5, 1, 3, 4, {300, 300, 400}}});
        g_JunctionBlock[0].BranchDischargeAB = dischargeAB;
        g_JunctionBlock[0].BranchDischargeAC = dischargeAC;
    }
    double Shear() const { return IceShear(reach); }
};

TEST(JamStability, ConfluenceBlendsItsSideBranchesByTheirFlowShares)
{
    JunctionJam j{Reach{}, 1, {10.5, 10.4, 10.5, 10.4, 10.2, 10.1, 10.0}};
    const double w = j.reach.width;
    const double sc = (10.4 - 10.1) / 700, sb = sc;   // falls from C and B to D over both branches
    struct Case {
        const char* name;
        double ab, ac;        // branch discharges, m3/s
        double tb, tc;        // thicknesses at B and C, m
        double share;         // of branch AB in the blend
    };
    const Case cases[] = {
        {"symmetric branches", 80, 80, 0.6, 0.6, 0.5},
        {"a quarter through AB", -50, 150, 0.3, 0.9, 0.25},
        {"no side-branch flow: equal shares", 0, 0, 0.3, 0.9, 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        j.Build(c.ab, c.ac, {});
        SetThickness(g_NodeBlock[1], c.tb);
        SetThickness(g_NodeBlock[3], c.tc);
        SolveJunctionJam(&g_JunctionBlock[0]);
        const double slopeA = (1 - c.share) * sc + c.share * sb;
        const double fromC = MarchStep(c.tc, 300, (j.reach.surface + sc) / 2, j.Shear(), 0.75 * w, 0.75);
        const double fromB = MarchStep(c.tb, 300, (j.reach.surface + sb) / 2, j.Shear(), 0.75 * w, 0.75);
        const double a = (1 - c.share) * fromC + c.share * fromB;
        EXPECT_NEAR(g_NodeBlock[4].SolidEquivalentThickness, a, 1e-9);
        EXPECT_EQ(g_NodeBlock[4].IceThickness, g_NodeBlock[4].SolidEquivalentThickness);
        EXPECT_NEAR(g_NodeBlock[4].SurfaceSlope, slopeA, 1e-15);
        EXPECT_NEAR(g_NodeBlock[5].SolidEquivalentThickness,
                    MarchStep(a, 400, (slopeA + j.reach.surface) / 2, j.Shear(), w, 1.0), 1e-9);
        if (c.tb == c.tc) {
            // Symmetric branches: the single branch's result.
            EXPECT_NEAR(g_NodeBlock[4].SolidEquivalentThickness, fromC, 1e-9);
        }
    }

    // One side branch jammed: a plain reach from it into A.
    j.Build(80, 80, {3});
    SetThickness(g_NodeBlock[1], 0.6);
    SolveJunctionJam(&g_JunctionBlock[0]);
    EXPECT_NEAR(g_NodeBlock[4].SolidEquivalentThickness, MarchStep(0.6, 300, j.reach.surface, j.Shear(), w, 1.0), 1e-9);
    // The through branch unjammed: D keeps its thickness.
    j.Build(80, 80, {5});
    SetThickness(g_NodeBlock[5], 0.2);
    SolveJunctionJam(&g_JunctionBlock[0]);
    EXPECT_EQ(g_NodeBlock[5].SolidEquivalentThickness, 0.2);
    ReleaseModel();
}

TEST(JamStability, SymmetricBifurcationGivesEachBranchTheSingleBranchResult)
{
    JunctionJam j{Reach{}, 2, {10.0, 9.7, 10.0, 9.7, 10.2, 10.4, 10.5}};
    const double w = j.reach.width;
    const double fall = (10.4 - 9.7) / 700;   // from D to C and to B over both branches
    j.Build(60, 60, {});
    SetThickness(g_NodeBlock[5], 0.8);
    SolveJunctionJam(&g_JunctionBlock[0]);
    const double a = MarchStep(0.8, 400, (j.reach.surface + fall) / 2, j.Shear(), w, 1.0);
    EXPECT_NEAR(g_NodeBlock[4].SolidEquivalentThickness, a, 1e-9);
    const double branch = MarchStep(a, 300, (j.reach.surface + fall) / 2, j.Shear(), 0.75 * w, 0.75);
    EXPECT_NEAR(g_NodeBlock[1].SolidEquivalentThickness, branch, 1e-9);
    EXPECT_NEAR(g_NodeBlock[3].SolidEquivalentThickness, branch, 1e-9);
    EXPECT_EQ(g_NodeBlock[1].IceConcentration, 1.0);
    ReleaseModel();
}

}  // namespace
