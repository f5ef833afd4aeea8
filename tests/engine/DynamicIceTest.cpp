// Dynamic ice in steady uniform flow with ice entering upstream, against the solution of
// advection-diffusion on a half-line with a flux inlet (Lindstrom's), the inflow area at steady
// state and the ice balance; the negative-ice correction on random states; and the node state
// and boundary terms in closed form.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

#include "ChannelReferences.h"
#include "ModelBuilder.h"
#include "StepRetry.h"
#include "engine/DynamicIce.h"
#include "engine/EngineData.h"
#include "engine/ModelSetup.h"
#include "engine/SteadyRun.h"
#include "engine/TimeStepping.h"

namespace {

constexpr double kDiffusion = 300.0;   // m2/s, the surface-ice diffusion of the equations
constexpr double kPi = 3.141592653589793;

// Concentration of a substance carried at velocity v with diffusion d into an empty half-line
// x > 0 whose inlet brings the flux v c0 (advective less diffusive flux), as a fraction of c0.
double FluxInletSolution(double x, double t, double v, double d)
{
    const double root = 2 * std::sqrt(d * t);
    const double a = (x - v * t) / root;
    const double b = (x + v * t) / root;
    return 0.5 * std::erfc(a) + std::sqrt(v * v * t / (kPi * d)) * std::exp(-a * a) -
           0.5 * (1 + v * x / d + v * v * t / d) * std::exp(v * x / d) * std::erfc(b);
}

// A rectangular channel in uniform flow (width 100 m, depth 2 m, 1 m/s) with ice entering at the
// top: `thickness` m of solid ice at concentration `concentration`. Dynamic ice with no
// upwinding and theta 0.5. With `hydrodynamics` the flow is solved with the ice, its outlet held
// at the stage of uniform flow carrying the inflow's ice; otherwise the water stands still in
// its uniform state.
struct IceChannel {
    int nodes = 201;
    double dx = 100;
    double width = 100, depth = 2, velocity = 1;
    double n = 0.03;
    double thickness = 0.01, concentration = 0.2;
    bool hydrodynamics = false;

    double Inflow() const { return thickness * concentration * width; }   // m2 of ice

    void Build() const
    {
        const double q = width * depth * velocity;
        const double slope = std::pow(n * velocity, 2) / std::pow(width * depth / (width + 2 * depth), 4.0 / 3.0);
        testmodel::BuildChain(nodes, dx, [&](NodeRecord& node, int i) {
            node.RectWidth = width;
            node.ManningN = n;
            node.Invert = slope * dx * (nodes - 1 - i);
            node.HydroUnknowns[0] = width * depth;
            node.HydroUnknowns[1] = q;
        });
        ModelControl& mc = g_ModelControl;
        mc.FileType = 2;
        mc.Formulation = 0;
        mc.IceDensity = mc.IceSpecificGravity * mc.WaterDensity;
        mc.DynamicIceOn = 1;
        mc.DeltaT = 10;
        mc.MaxDeltaT = 20;
        EquationSystem& ice = g_EquationSystems[DynamicIceSystem];
        ice.Upwinding = 0;
        ice.Theta = 0.5;
        const double outlet = g_NodeBlock.back().Invert + depth + mc.IceSpecificGravity * Inflow() / width;
        testmodel::SetBoundaries({{0, -1, testmodel::Constant(0, 1, 0, q)},
                                  {nodes - 1, 1, testmodel::Constant(hydrodynamics ? 1 : 0, 0, outlet, 0)}});
        BoundaryHydrograph* h = g_BoundaryElementBlock[0].Hydrograph;
        h->Columns[6].assign(2, concentration);
        h->Columns[8].assign(2, thickness);
        testmodel::StartRun();
        mc.HydrodynamicsOn = hydrodynamics ? 1 : 0;
    }
};

double IceVolume()
{
    double sum = 0;
    for (const NodeRecord* n = g_Nodes; n && n->Next; n = n->Next)
        sum += 0.5 * (n->DynamicIceArea + n->Next->DynamicIceArea) * (n->Next->Chainage - n->Chainage);
    return sum;
}

TEST(DynamicIce, IceEnteringSteadyFlowTravelsWithTheWaterAndSpreadsByDiffusion)
{
    IceChannel c;
    c.Build();
    ModelControl& mc = g_ModelControl;
    const double end = 8000;
    double entered = 0, left = 0;
    int rejected = 0;
    while (mc.ModelTime < end) {
        const double before = mc.ModelTime;
        if (mc.ModelTime + mc.DeltaT > end) mc.DeltaT = end - mc.ModelTime;
        ASSERT_EQ(TransientStep(), 0);
        if (!(mc.ModelTime > before)) {
            ++rejected;
            continue;
        }
        const double dt = mc.ModelTime - before;
        entered += dt * g_NodeBlock.front().IceVelocity * c.Inflow();
        left += dt * g_NodeBlock.back().IceVelocity * g_NodeBlock.back().DynamicIceArea;
    }
    EXPECT_EQ(rejected, 0);

    double worst = 0;
    for (const NodeRecord& node : g_NodeBlock) {
        EXPECT_NEAR(node.IceVelocity, node.Velocity, 1e-9 * node.Velocity) << "node " << node.Number;
        EXPECT_EQ(node.IceVelocity, node.IceUnknowns[1]);
        EXPECT_GE(node.DynamicIceArea, 0.0);
        const double exact = c.Inflow() * FluxInletSolution(node.Chainage, end, c.velocity, kDiffusion);
        worst = std::max(worst, std::fabs(node.DynamicIceArea - exact));
    }
    EXPECT_LT(worst, 0.01 * c.Inflow());

    // The front: where the ice area falls through half the inflow's, here and in the solution.
    auto halfway = [&](auto area) {
        for (int i = 0; i + 1 < c.nodes; ++i) {
            const double a0 = area(i) - 0.5 * c.Inflow(), a1 = area(i + 1) - 0.5 * c.Inflow();
            if (a0 >= 0 && a1 < 0) return c.dx * (i + a0 / (a0 - a1));
        }
        return -1.0;
    };
    const double front = halfway([](int i) { return g_NodeBlock[i].DynamicIceArea; });
    const double expected = testmodel::Bisect(
        [&](double x) { return FluxInletSolution(x, end, c.velocity, kDiffusion) - 0.5; }, 0.5 * end, 1.5 * end);
    EXPECT_NEAR(front, expected, 0.1 * c.dx);
    EXPECT_NEAR(front, c.velocity * end, 0.02 * c.velocity * end);

    // Ice balance: what is in the river is what came in less what went out.
    EXPECT_NEAR(IceVolume(), entered - left, 1e-3 * entered);
    ReleaseModel();
}

TEST(DynamicIce, AtSteadyStateTheRiverCarriesTheInflowArea)
{
    IceChannel c;
    c.nodes = 31;
    c.hydrodynamics = true;
    c.Build();
    ModelControl& mc = g_ModelControl;
    mc.MaxDeltaT = 60;
    while (mc.ModelTime < 30000) ASSERT_EQ(TransientStep(), 0);
    for (const NodeRecord& node : g_NodeBlock) {
        EXPECT_NEAR(node.DynamicIceArea, c.Inflow(), 1e-6 * c.Inflow()) << "node " << node.Number;
        EXPECT_NEAR(node.IceVelocity, node.Velocity, 1e-9 * node.Velocity);
        EXPECT_NEAR(node.IceConcentration, c.Inflow() / (g_ModelControl.SingleLayerIceThickness * c.width), 1e-9);
        EXPECT_EQ(node.FloatingIceArea, node.DynamicIceArea);
    }
    ReleaseModel();
}

TEST(DynamicIce, AStepThatDoesNotConvergeIsRejectedWhole)
{
    IceChannel c;
    c.nodes = 21;
    c.Build();
    ModelControl& mc = g_ModelControl;
    for (int k = 0; k < 5; ++k) ASSERT_EQ(TransientStep(), 0);
    const double time = mc.ModelTime, step = mc.DeltaT;
    std::vector<double> areas;
    for (const NodeRecord& node : g_NodeBlock) areas.push_back(node.IceUnknowns[0]);
    g_EquationSystems[DynamicIceSystem].MaxIterations = 1;
    g_EquationSystems[DynamicIceSystem].Tolerance = 1e-300;
    ASSERT_EQ(TransientStep(), 0);
    EXPECT_EQ(mc.ModelTime, time);
    EXPECT_EQ(mc.DeltaT, 0.5 * step);
    for (size_t i = 0; i < areas.size(); ++i) {
        EXPECT_EQ(g_NodeBlock[i].IceUnknowns[0], areas[i]);
        EXPECT_EQ(g_NodeBlock[i].DynamicIceArea, areas[i]);
    }
    ReleaseModel();
}

TEST(DynamicIce, CorrectionKeepsTheIceAndLeavesNoneNegative)
{
    std::mt19937 random(20240117);
    std::uniform_real_distribution<double> unit(0.0, 1.0), width(0.0, 80.0), velocity(-0.5, 2.0);
    const double single = 0.1, least = 0.05;
    int conserved = 0, lossy = 0;
    for (int trial = 0; trial < 300; ++trial) {
        // From much ice and little missing to little ice and much missing.
        const double shift = unit(random);
        std::uniform_real_distribution<double> area(-0.2 - 1.5 * shift, 2.0 - 1.5 * shift);
        testmodel::BuildChain(40, 50, [&](NodeRecord& n, int) {
            n.RectWidth = n.IceCoveredWidth = width(random);
            n.IceUnknowns[0] = area(random);
            n.IceUnknowns[1] = velocity(random);
            n.Velocity = velocity(random);
        });
        ModelControl& mc = g_ModelControl;
        mc.FileType = 2;
        mc.SingleLayerIceThickness = single;
        mc.MinSurfaceIceConcentration = least;
        double deficit = 0, spare = 0, before = 0;
        std::vector<double> floor, was, ice, water;
        for (const NodeRecord& n : g_NodeBlock) {
            const double a = n.IceUnknowns[0];
            floor.push_back(n.IceCoveredWidth * least * single);
            was.push_back(a);
            ice.push_back(n.IceUnknowns[1]);
            water.push_back(n.Velocity);
            before += a;
            if (a < 0) deficit -= a;
            spare += std::max(0.0, a - floor.back());
        }
        CorrectNegativeIce();
        double after = 0;
        for (size_t i = 0; i < g_NodeBlock.size(); ++i) {
            const NodeRecord& n = g_NodeBlock[i];
            const double a = n.IceUnknowns[0];
            after += a;
            ASSERT_GE(a, 0.0);
            EXPECT_EQ(n.DynamicIceArea, a);
            if (was[i] <= floor[i]) {
                EXPECT_EQ(a, std::max(0.0, was[i])) << "a node without spare ice gives none";
            } else {
                EXPECT_GE(a, floor[i]) << "a node gives only its spare ice";
            }
            const double expectedVelocity = std::max(0.0, std::min(ice[i], water[i]));
            EXPECT_EQ(n.IceUnknowns[1], expectedVelocity);
            EXPECT_EQ(n.NoIceFlag, ice[i] < 1e-7 || expectedVelocity < 1e-7 ? 1 : 0);
        }
        if (deficit <= spare) {
            ++conserved;
            EXPECT_NEAR(after, before, 1e-12 * std::fabs(before) + 1e-12);
        } else {
            // The spare ice is all taken; the rest of the deficit is lost.
            ++lossy;
            EXPECT_NEAR(after, before + deficit - spare, 1e-12 * std::fabs(before) + 1e-12);
        }
    }
    EXPECT_GT(conserved, 50);
    EXPECT_GT(lossy, 50);
    ReleaseModel();
}

// A converged step ends at the state its correction gives: correcting it once more, as a step
// would after its iterations, changes no byte of any node. The steps cover the ice front entering
// the river, and a hole of negative ice downstream that the correction fills from the ice there.
TEST(DynamicIce, AConvergedStepEndsCorrected)
{
    IceChannel c;
    c.nodes = 21;
    c.Build();
    for (int i = 12; i < 21; ++i) g_NodeBlock[i].IceUnknowns[0] = i == 15 ? -0.01 : 0.05;
    int corrected = 0;
    for (int k = 0; k < 12; ++k) {
        const double before = g_ModelControl.ModelTime;
        ASSERT_EQ(TransientStep(), 0);
        ASSERT_GT(g_ModelControl.ModelTime, before);
        for (const NodeRecord& n : g_NodeBlock) corrected += n.IceUnknowns[0] == 0.0;
        std::vector<NodeRecord> made(g_NodeBlock.size());
        std::memcpy(static_cast<void*>(made.data()), g_NodeBlock.data(), made.size() * sizeof(NodeRecord));
        CorrectNegativeIce();
        for (size_t i = 0; i < made.size(); ++i)
            ASSERT_EQ(std::memcmp(&made[i], &g_NodeBlock[i], sizeof(NodeRecord)), 0) << "step " << k << " node " << i;
    }
    EXPECT_GT(corrected, 0) << "no node's ice was brought to 0";
    ReleaseModel();
}

TEST(DynamicIce, NodeStateAndBoundaryTerms)
{
    constexpr double kSingle = 0.1, kCap = 0.8, kStep = 30, kTime = 3600;
    enum Boundary { NoBoundary, Inflow, NoSeries, StageSeries, Outlet };
    struct Case {
        const char* name;
        bool section;            // a surveyed node (its ice width is its top width) or a rectangle
        double width;            // m
        double area, velocity;   // ice area m2, ice velocity m/s
        Boundary boundary;
        double seriesThickness, seriesConcentration;   // at ModelTime
        double concentration, thickness;               // expected
        double areaRow, velocityRow;                   // expected boundary rows
    };
    const double v = 0.8;
    const Case cases[] = {
        {"thinner than a single layer over the width", false, 100, 4, v, NoBoundary, 0, 0, 0.4, kSingle, 0, 0},
        {"packed to the largest concentration", false, 100, 12, v, NoBoundary, 0, 0, kCap, 12 / kCap / 100, 0, 0},
        {"a section's top width", true, 40, 2, v, NoBoundary, 0, 0, 0.5, kSingle, 0, 0},
        {"a dry section of no width", true, 0, 2, v, NoBoundary, 0, 0, 0, kSingle, 0, 0},
        {"ice entering upstream", false, 100, 1, v, Inflow, 0.2, 0.3, 0.1, kSingle, kStep * 0.2 * 0.3 * 100 * v,
         kStep * v * v * 0.2 * 0.3 * 100},
        {"inflow without ice", false, 100, 1, v, Inflow, 0.2, 0, 0.1, kSingle, 0, 0},
        {"an upstream end without a series", false, 100, 1, v, NoSeries, 0, 0, 0.1, kSingle, 0, 0},
        {"an upstream stage series has no ice", false, 100, 1, v, StageSeries, 0, 0, 0.1, kSingle, 0, 0},
        {"ice leaving downstream", false, 100, 3, v, Outlet, 0, 0, 0.3, kSingle, -kStep * 3 * v, -kStep * v * v * 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testmodel::BuildChain(2, 100, [&](NodeRecord& n, int) { n.RectWidth = c.section ? 99 : c.width; });
        ModelControl& mc = g_ModelControl;
        mc.FileType = 2;
        mc.SingleLayerIceThickness = kSingle;
        mc.MaxSurfaceIceConcentration = kCap;
        mc.DeltaT = kStep;
        mc.ModelTime = kTime;
        NodeRecord& node = g_NodeBlock[0];
        if (c.section) {
            testmodel::SetSection(node, {{0, 5}, {0, 0}, {40, 0}, {40, 5}}, 0.03, 20);
            node.TopWidth = c.width;
        }
        node.IceUnknowns[0] = c.area;
        node.IceUnknowns[1] = c.velocity;
        EXPECT_EQ(UpdateNodeIceState(&node), 1);
        EXPECT_NEAR(node.IceConcentration, c.concentration, 1e-15);
        EXPECT_NEAR(node.SolidEquivalentThickness, c.thickness, 1e-15);
        EXPECT_EQ(node.IceThickness, node.SolidEquivalentThickness);
        EXPECT_EQ(node.IceCoveredWidth, c.width);
        EXPECT_EQ(node.SolidIceArea, c.area);
        EXPECT_EQ(node.FloatingIceArea, c.area);
        if (c.boundary == NoBoundary) continue;

        // The series' ice columns at ModelTime lie halfway between two rows.
        testmodel::BoundaryInput input = testmodel::Constant(0, 1, 0, 50);
        if (c.boundary == NoSeries) input = testmodel::BoundaryInput{};
        if (c.boundary == StageSeries) input = testmodel::Constant(1, 0, 3, 0);
        if (c.boundary == Outlet) input = testmodel::Constant(1, 0, 3, 0);
        if (c.boundary != NoSeries) input.Times = {0, 2 * kTime};
        testmodel::SetBoundaries({{0, c.boundary == Outlet ? 1.0 : -1.0, input}});
        if (BoundaryHydrograph* h = g_BoundaryElementBlock[0].Hydrograph; h && c.boundary == Inflow) {
            h->Columns[6] = {0.5 * c.seriesConcentration, 1.5 * c.seriesConcentration};
            h->Columns[8] = {0.5 * c.seriesThickness, 1.5 * c.seriesThickness};
        }
        if (c.boundary == NoSeries) {
            ASSERT_EQ(g_BoundaryElementBlock[0].Hydrograph, nullptr);
        }
        mc.ElementVector.assign(5, 9.0);
        DynamicIceBoundaryResidual(&g_BoundaryElementBlock[0]);
        EXPECT_NEAR(mc.ElementVector[0], c.areaRow, 1e-12);
        EXPECT_NEAR(mc.ElementVector[1], c.velocityRow, 1e-12);
    }
    ReleaseModel();
}

// A node refresh writes no field its copy does not name, and copying the named fields out and
// back undoes a refresh at other unknowns, byte for byte: the differencing of the dynamic ice puts
// its perturbed nodes back that way. Pairs of states of moving, packed, stopped and absent ice,
// on a rectangle and a surveyed section in flow, and on a dry rectangle (no drag).
TEST(DynamicIce, ACopyOfTheRefreshedFieldsUndoesARefresh)
{
    struct Field {
        size_t Offset, Size;
    };
    std::vector<Field> fields;
#define VASQUIL_ICE_FIELD(type, name) fields.push_back({offsetof(NodeRecord, name), sizeof(type)});
    VASQUIL_NODE_ICE_OUTPUTS(VASQUIL_ICE_FIELD)
#undef VASQUIL_ICE_FIELD
    const auto declared = [&](size_t byte) {
        for (const Field& f : fields)
            if (byte >= f.Offset && byte < f.Offset + f.Size) return true;
        return false;
    };
    struct Node {
        const char* name;
        bool section;
        double flowArea;   // m2
    };
    const Node nodes[] = {{"a rectangle in flow", false, 200}, {"a section in flow", true, 60},
                          {"a dry rectangle", false, 0}};
    // Unknowns: ice area (m2), ice velocity (m/s).
    const double moving[2] = {4, 0.8}, packed[2] = {30, 0.5}, stopped[2] = {6, 0}, none[2] = {0, 0.9};
    const double* pairs[][2] = {{moving, packed}, {packed, stopped}, {stopped, moving}, {none, packed},
                                {moving, none}};
    for (const Node& c : nodes) {
        SCOPED_TRACE(c.name);
        testmodel::BuildChain(2, 100, [&](NodeRecord& n, int) {
            n.RectWidth = 100;
            n.ManningN = 0.03;
        });
        ModelControl& mc = g_ModelControl;
        mc.FileType = 2;
        mc.IceDensity = mc.IceSpecificGravity * mc.WaterDensity;
        NodeRecord& node = g_NodeBlock[0];
        if (c.section) {
            testmodel::SetSection(node, {{0, 5}, {10, 0}, {40, 0}, {50, 5}}, 0.03, 20);
            node.TopWidth = 42;
        }
        node.FlowArea = node.GrossArea = c.flowArea;
        node.Velocity = 1.0;
        node.Discharge = c.flowArea;
        node.IceManningN = 0.02;
        node.PreviousIceConcentration = 0.4;
        node.SinuosityRatio = 1;
        for (const auto& pair : pairs) {
            NodeRecord start, atA;
            std::copy(pair[0], pair[0] + 2, node.IceUnknowns);
            node.NoIceFlag = 0;
            node.BedFriction = 2;   // a dry node's refresh clears the friction and the drags
            node.IceDrag = node.DynamicIceDrag = 3;
            std::memcpy(static_cast<void*>(&start), &node, sizeof node);
            UpdateNodeIceState(&node);
            const auto* b0 = reinterpret_cast<const unsigned char*>(&start);
            const auto* b1 = reinterpret_cast<const unsigned char*>(&node);
            for (size_t k = 0; k < sizeof node; ++k) {
                ASSERT_TRUE(b0[k] == b1[k] || declared(k)) << "undeclared byte " << k;
            }

            std::memcpy(static_cast<void*>(&atA), &node, sizeof node);
            NodeIceCopy copy;
            SaveNodeIceState(&node, &copy);
            std::copy(pair[1], pair[1] + 2, node.IceUnknowns);
            UpdateNodeIceState(&node);
            EXPECT_NE(std::memcmp(&node, &atA, sizeof node), 0);
            std::copy(pair[0], pair[0] + 2, node.IceUnknowns);
            RestoreNodeIceState(&node, &copy);
            EXPECT_EQ(std::memcmp(&node, &atA, sizeof node), 0);
        }
    }
    ReleaseModel();
}

// A step rejected by the hydrodynamics or the dynamic ice goes back to the exact step start,
// the two history slots of the floating ice among it: the retried step ends where the step
// taken directly with half the length does. Open water is the case without ice.
TEST(DynamicIce, ARejectedStepRetriedEqualsTheHalvedStepFromItsStart)
{
    struct Case {
        const char* name;
        bool ice;
        int system;   // whose tolerance of 0 rejects the first attempt
    } cases[] = {
        {"open water", false, HydrodynamicSystem},
        {"ice, hydrodynamics rejects", true, HydrodynamicSystem},
        {"ice, dynamic ice rejects", true, DynamicIceSystem},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IceChannel channel;
        channel.nodes = 41;
        channel.hydrodynamics = true;
        channel.Build();
        ModelControl& mc = g_ModelControl;
        mc.DynamicIceOn = c.ice ? 1 : 0;
        ASSERT_TRUE(testmodel::AdvanceTo(TransientStep, 1200));
        double kept = 0;
        testmodel::ExpectRetryEqualsHalvedStep(
            [&] {
                kept = g_EquationSystems[c.system].Tolerance;
                g_EquationSystems[c.system].Tolerance = 0;
            },
            [&] { g_EquationSystems[c.system].Tolerance = kept; });
        ReleaseModel();
    }
}

// A steady pass that does not converge is repeated from exactly where it started: the pass after
// it ends where a pass made directly with half the step does.
TEST(DynamicIce, ARejectedSteadyPassRepeatedEqualsTheHalvedPass)
{
    IceChannel channel;
    channel.nodes = 41;
    channel.hydrodynamics = true;
    channel.Build();
    ModelControl& mc = g_ModelControl;
    ASSERT_TRUE(testmodel::AdvanceTo(TransientStep, 1200));
    const testmodel::SavedState saved;
    const double step = mc.DeltaT;

    EquationSystem& hydro = g_EquationSystems[HydrodynamicSystem];
    const double steadyTolerance = hydro.SteadyTolerance;
    hydro.SteadyTolerance = 0;
    ASSERT_EQ(RunSteadyPass(), 0);
    hydro.SteadyTolerance = steadyTolerance;
    ASSERT_EQ(mc.DeltaT, step / 2);
    ASSERT_EQ(RunSteadyPass(), 1);
    const NodeBlock repeated = g_NodeBlock;

    saved.Restore();
    mc.DeltaT = step / 2;
    ASSERT_EQ(RunSteadyPass(), 1);
    for (size_t i = 0; i < repeated.size(); ++i) testmodel::ExpectSameNodeState(repeated[i], g_NodeBlock[i], i);
    ReleaseModel();
}

}  // namespace
