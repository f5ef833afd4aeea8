// Ice fronts of bridging events: juxtaposition of the arriving ice, the jam and stall regimes
// by Froude number, melt-out, inactive events, and the jam thickness at a front against an
// independent Newton solution with exact derivatives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/EngineData.h"
#include "engine/IceFront.h"
#include "engine/ModelSetup.h"
#include "engine/ThermalIce.h"
#include "engine/TimeStepping.h"
#include "tests/engine/ModelFixtures.h"
#include "tests/engine/ThermalModel.h"

namespace {

constexpr double Width = 20, Depth = 2, Spacing = 100;

class IceFront : public testmodel::FreshModelTest<> {
protected:
    // A rectangular river of `nodes` nodes carrying discharge q at depth 2 m, drifting surface ice
    // of concentration 0.4 (0.2 m solid ice over 0.1 m slush) moving with the water, water at
    // 0 degC, and one bridging event at `bridging` (m), bridged at time 0, front at `front`.
    static void River(int nodes, double q, double bridging, double front)
    {
        testmodel::BuildChain(nodes, Spacing, [&](NodeRecord& n, int) {
            n.RectWidth = Width;
            n.ManningN = 0.025;
            n.IceRoughness = 0.02;
            n.HydroUnknowns[0] = Width * Depth;
            n.HydroUnknowns[1] = q;
        });
        testmodel::MakeThermal(-10);
        for (NodeRecord& n : g_NodeBlock) {
            testmodel::SetWater(n, 0.0);
            n.ThermalUnknowns[3] = 0.4;
            n.ThermalUnknowns[4] = 0.1 * 0.4 * Width;
            n.ThermalUnknowns[5] = 0.2 * 0.4 * Width;
        }
        g_BridgingEventBlock.assign(1, BridgingEventRecord{});
        BridgingEventRecord& e = g_BridgingEventBlock[0];
        e.Number = 1;
        e.BridgingLocation = bridging;
        e.BridgingTime = 0;
        e.FrontLocation = e.StepStartFront = front;
        g_BridgingEvents = &e;
        ModelControl& mc = g_ModelControl;
        mc.BridgingEventCount = 1;
        mc.DeltaT = 25;
        EXPECT_EQ(testmodel::StartRun(), 0);
        mc.ModelTime = 3600;
        // The surface ice drifts with the water.
        for (NodeRecord& n : g_NodeBlock) {
            UpdateNodeThermalState(&n);
            n.IceVelocity = n.Velocity;
        }
    }
    static BridgingEventRecord& Event() { return g_BridgingEventBlock[0]; }

    // Discharge that gives the river's Froude number fr.
    static double DischargeFor(double fr) { return fr * std::sqrt(g_ModelControl.Gravity * Depth) * Width * Depth; }
};

// Ice carried to the front per unit ice velocity (m2) and the porosity of the accumulation.
struct FrontIce {
    double carried, porosity, thickness;
};
FrontIce IceAt(const NodeRecord& n)
{
    const ModelControl& mc = g_ModelControl;
    const double slush = n.SlushThickness + n.UnderSlushThickness;
    const double solid = (1 - mc.FrazilSlushPorosity) * slush + n.IceThickness;
    const double total = slush + n.IceThickness;
    const double porosity =
        slush * mc.FrazilSlushPorosity / total * (1 - mc.IceFrontFloePorosity) + mc.IceFrontFloePorosity;
    return {n.IceConcentration * solid * n.IceCoveredWidth, porosity, total};
}

TEST_F(IceFront, JuxtapositionAdvancesAtTheRateTheArrivingIceGives)
{
    // The volume of ice arriving, qi Vi dt, builds new cover of (thickness x width x packing - qi)
    // per metre: x(t) = x0 - qi Vi t / D, across nodes.
    River(12, DischargeFor(0.04), 1000, 800);
    const NodeRecord& n = g_NodeBlock[5];
    const FrontIce ice = IceAt(n);
    const double cover = ice.thickness * n.IceCoveredWidth * (1 - ice.porosity) - ice.carried;
    const double speed = ice.carried * n.IceVelocity / cover;
    ASSERT_GT(speed, 0);
    // Steps of 10 m, so that the front meets the nodes at step ends.
    const double dt = g_ModelControl.DeltaT = 10 / speed;
    for (int step = 1; step <= 400; ++step) {
        AdvanceIceFront(&Event());
        const double expected = std::max(800 - speed * dt * step, 0.0);
        ASSERT_NEAR(Event().FrontLocation, expected, 1e-6 * step) << "step " << step;
        if (expected < 250) break;
    }
    EXPECT_EQ(g_ModelControl.IceFrontStarted, 1);
    // The station is interpolated between the nodes of the front's reach.
    EXPECT_NEAR(Event().FrontStation, Event().FrontLocation, 1e-9);
}

TEST_F(IceFront, TheFroudeNumberChoosesJuxtapositionJamOrStall)
{
    struct Case {
        const char* name;
        double froude;
        enum { Juxtaposition, Jam, Stall } regime;
    };
    const Case cases[] = {
        {"slow: juxtaposition", 0.04, Case::Juxtaposition},
        {"between the limits: equilibrium jam", 0.075, Case::Jam},
        {"above the node's largest Froude number: stall", 0.12, Case::Stall},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        River(10, DischargeFor(c.froude), 900, 560);
        g_ModelControl.DeltaT = 2;   // short enough that the front stays in its reach
        NodeRecord& holder = g_NodeBlock[5];
        ASSERT_LT(g_ModelControl.MaxJuxtapositionFroude, holder.FroudeMax);
        const FrontIce ice = IceAt(holder);
        double thickness = ice.thickness;
        if (c.regime == Case::Jam) thickness = SolveIceFrontJam(&holder, 560);
        AdvanceIceFront(&Event());
        const double cover = thickness * holder.IceCoveredWidth * (1 - ice.porosity) - ice.carried;
        const double moved = 560 - Event().FrontLocation;
        if (c.regime == Case::Stall) {
            EXPECT_EQ(moved, 0.0);
            EXPECT_EQ(holder.IceFrontStalled, 1);
        } else {
            ASSERT_GT(thickness, 0);
            EXPECT_NEAR(moved, ice.carried * holder.IceVelocity / cover * g_ModelControl.DeltaT, 1e-9);
            EXPECT_EQ(holder.IceFrontStalled, 0);
        }
    }
}

TEST_F(IceFront, MeltOutRetreatsOneNodePerStepNeverPastTheBridge)
{
    // Ice-free warm water downstream of the front; the ice upstream stands still (no
    // juxtaposition). The front steps back one node a step and stops at the bridging location.
    River(8, DischargeFor(0.04), 550, 200);
    for (NodeRecord& n : g_NodeBlock) {
        n.IceVelocity = 0;
        if (n.Index >= 2) {
            n.IceThickness = n.SlushThickness = 0;
            n.WaterTemp = 0.5;
        }
    }
    const double expected[] = {300, 400, 500, 550, 550, 550};
    for (double x : expected) {
        AdvanceIceFront(&Event());
        EXPECT_EQ(Event().FrontLocation, x);
    }
    EXPECT_EQ(g_NodeBlock[5].IceFrontAtNode, 0);

    // A front at the first node retreats too.
    River(4, DischargeFor(0.04), 250, 0);
    for (NodeRecord& n : g_NodeBlock) {
        n.IceThickness = n.SlushThickness = 0;
        n.WaterTemp = 0.5;
    }
    AdvanceIceFront(&Event());
    EXPECT_EQ(Event().FrontLocation, 100);
}

TEST_F(IceFront, AnEventBeforeItsBridgingTimeLeavesItsFront)
{
    River(8, DischargeFor(0.04), 550, 550);
    Event().BridgingTime = 7200;
    AdvanceIceFront(&Event());
    EXPECT_EQ(Event().FrontLocation, 550);
    EXPECT_EQ(g_ModelControl.IceFrontStarted, 0);
    EXPECT_DOUBLE_EQ(Event().FrontStation, 550);
}

// Forward-mode derivatives in two directions, for the exact Jacobian of the jam equations.
struct Dual {
    double v, d[2];
};
Dual Constant(double v) { return {v, {0, 0}}; }
Dual operator+(Dual a, Dual b) { return {a.v + b.v, {a.d[0] + b.d[0], a.d[1] + b.d[1]}}; }
Dual operator-(Dual a, Dual b) { return {a.v - b.v, {a.d[0] - b.d[0], a.d[1] - b.d[1]}}; }
Dual operator*(Dual a, Dual b) { return {a.v * b.v, {a.d[0] * b.v + a.v * b.d[0], a.d[1] * b.v + a.v * b.d[1]}}; }
Dual operator/(Dual a, Dual b)
{
    const double w = 1 / b.v;
    return {a.v * w, {(a.d[0] - a.v * w * b.d[0]) * w, (a.d[1] - a.v * w * b.d[1]) * w}};
}
Dual Pow(Dual a, double p)
{
    const double f = std::pow(a.v, p), df = p * std::pow(a.v, p - 1);
    return {f, {df * a.d[0], df * a.d[1]}};
}

TEST_F(IceFront, JamThicknessAgreesWithANewtonSolutionOfExactDerivatives)
{
    // The jam at a front in the reach of node n, written out for a rectangular channel under a
    // closed cover: flow area A = Ag - s Ai, stage Ag / B + z, perimeter with the cover 2 A / B + 2B,
    // Manning's n of bed and ice composed over the perimeters, friction slope Q^2 / K^2; the
    // next node's energy and friction fixed. Unknowns (Ag, Ai); the thickness t = Ai / B. Without
    // cohesion and with it.
    for (const double cohesion : {0.0, 80.0}) {
        SCOPED_TRACE(cohesion);
        River(6, DischargeFor(0.075), 550, 300);
        g_ModelControl.IceCohesion = cohesion;
        g_ModelControl.MaxJamIterations = 25;
        NodeRecord& n = g_NodeBlock[2];
        const NodeRecord& m = g_NodeBlock[3];
        const ModelControl& mc = g_ModelControl;
        const double g = mc.Gravity, s = mc.IceSpecificGravity, rho = mc.WaterDensity;
        const double q = n.Discharge, nb = n.ManningN, ni = n.IceRoughness, z = n.Invert, b = n.RectWidth;
        const FrontIce ice = IceAt(n);
        const double k0 = ice.porosity;
        const double headM = m.Stage + m.Discharge * m.Discharge / (2 * g * m.FlowArea * m.FlowArea);

        const auto residuals = [&](Dual ag, Dual ai, bool narrow, Dual r[2]) {
            const Dual a = ag - Constant(s) * ai;
            const Dual t = ai / Constant(b * mc.MaxSurfaceIceConcentration);
            const Dual pb = Constant(2.0 / b) * a + Constant(b);
            const Dual perimeter = t.v > 0 ? pb + Constant(b) : pb;
            const Dual ratio = Constant(b) / pb;
            const Dual nc = Constant(nb) * Pow((Constant(1) + ratio * Constant(std::pow(ni / nb, 1.5))) /
                                                   (Constant(1) + ratio),
                                               2.0 / 3.0);
            const Dual radius = a / perimeter;
            const Dual k = a * Pow(radius, 2.0 / 3.0) / nc;
            const Dual sf = Constant(q * q) / (k * k);
            const Dual q2 = Constant(q * q);
            r[0] = q2 / (Constant(2 * g) * a * a) + ag / Constant(b) + Constant(z) - Constant(headM) -
                   (sf + Constant(std::fabs(m.FrictionSlope))) * Constant(Spacing * 0.5);
            if (narrow) {
                r[1] = q2 - Constant((1 - s) * 2 * g * (1 - k0)) * a * a * t;
            } else {
                const Dual load = q2 * nc * nc * Constant(b) / (a * a);
                r[1] = Constant(2 * mc.IceCohesion / (rho * g)) * t - Constant(s) * load * t / Pow(radius, 4.0 / 3.0) +
                       Constant(mc.IceFriction * s * (1 - s) * (1 - k0)) * t * t -
                       load * Pow(Constant(ni) / nc, 1.5) / Pow(radius, 1.0 / 3.0);
            }
        };
        const auto solve = [&](bool narrow, double ai0) {
            double x[2] = {n.HydroUnknowns[0], ai0};
            for (int it = 0; it < 100; ++it) {
                Dual r[2];
                residuals({x[0], {1, 0}}, {x[1], {0, 1}}, narrow, r);
                const double det = r[0].d[0] * r[1].d[1] - r[0].d[1] * r[1].d[0];
                const double d0 = -(r[0].v * r[1].d[1] - r[0].d[1] * r[1].v) / det;
                const double d1 = -(r[0].d[0] * r[1].v - r[1].d[0] * r[0].v) / det;
                x[0] += d0;
                x[1] += d1;
                if (std::hypot(d0, d1) < 1e-13) break;
            }
            return x[1] / (b * mc.MaxSurfaceIceConcentration);
        };
        const double narrow = solve(true, n.ThermalUnknowns[5]);
        const double equilibrium = solve(false, 0.5 * b);
        std::printf("reference narrow %.6f equilibrium %.6f\n", narrow, equilibrium);
        ASSERT_GT(narrow, 0);
        ASSERT_GT(equilibrium, 0);

        NodeRecord before;
        std::memcpy(&before, &n, sizeof n);
        const double jam = SolveIceFrontJam(&n, n.Chainage);
        EXPECT_NEAR(jam, std::max(narrow, equilibrium), 1e-5);
        // The node is left exactly as it was, and the thermal system on.
        EXPECT_EQ(std::memcmp(&before, &n, sizeof n), 0);
        EXPECT_EQ(mc.ThermalIceOn, 1);
        // At the next node's end of the reach the next node's own solid thickness counts.
        EXPECT_DOUBLE_EQ(SolveIceFrontJam(&n, m.Chainage), m.SolidEquivalentThickness);
        EXPECT_NEAR(SolveIceFrontJam(&n, n.Chainage + 0.25 * Spacing),
                    0.25 * m.SolidEquivalentThickness + 0.75 * std::max(narrow, equilibrium), 1e-5);

        // Without iterations no jam converges: thickness 0, and the node is still restored.
        g_ModelControl.MaxJamIterations = 0;
        EXPECT_EQ(SolveIceFrontJam(&n, n.Chainage), 0.0);
        EXPECT_EQ(std::memcmp(&before, &n, sizeof n), 0);
        EXPECT_EQ(mc.ThermalIceOn, 1);
    }
}

}  // namespace

namespace {

TEST_F(IceFront, AJamInStillWaterHasNoThicknessAndLeavesTheNodeAsItWas)
{
    // No flow, no cohesion: the force balance has its root at no ice and a singular Jacobian
    // there. The jam counts as not formed (0), never as a number that is not finite.
    River(6, 0.0, 550, 300);
    NodeRecord& n = g_NodeBlock[2];
    NodeRecord before;
    std::memcpy(&before, &n, sizeof n);
    const double jam = SolveIceFrontJam(&n, n.Chainage);
    EXPECT_TRUE(std::isfinite(jam));
    EXPECT_GE(jam, 0.0);
    EXPECT_LT(jam, 1e-3);
    EXPECT_EQ(std::memcmp(&before, &n, sizeof n), 0);
    EXPECT_EQ(g_ModelControl.ThermalIceOn, 1);
}

}  // namespace
