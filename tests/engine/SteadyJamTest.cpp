// Steady passes with the ice-jam stability solution: what one pass does and in which order,
// and a long wide jammed reach read from a model file, whose jam far from its head settles on
// the equilibrium jam of uniform flow under the ice, solved here from Manning's law with the
// composite roughness of bed and ice.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "ChannelReferences.h"
#include "ModelFilesTestSupport.h"
#include "engine/EngineData.h"
#include "engine/JamStability.h"
#include "engine/ModelSetup.h"
#include "engine/SteadyRun.h"

namespace {

constexpr double kG = 9.81;

// A rectangular static-ice channel: `nodes` nodes `dx` m apart on a uniform slope, a discharge
// inflow at the top and a stage at the bottom; every node but the first jammed, starting with
// a jam `start` m thick on the flow depth `depth`.
struct JamChannel {
    int nodes = 121;
    double dx = 250;          // m
    double width = 200;       // m
    double slope = 4e-4;
    double nb = 0.03, ni = 0.06;
    double discharge = 400;   // m3/s
    double depth = 3.0;       // m of flow under the ice
    double start = 0.5;       // m
    double cohesion = 0;      // Pa
    double damping = 0.5;
    double settled = 0.05;    // m3/s, largest discharge change at which the jam is solved
    double s = 0.917;

    double Invert(int i) const { return 100 + slope * dx * (nodes - 1 - i); }

    std::string Text(double downstreamStage) const
    {
        std::string t;
        char line[512];
        auto add = [&](const char* format, auto... values) {
            std::snprintf(line, sizeof line, format, values...);
            t += line;
        };
        add(" File Type = 1\n Delta t (s) = 60\n Max Delta t (s) = 3600\n Model Time (s) = 0\n"
            " Simulation Start DateTime (YYYY MM DD HH MM SS) = 2022 01 10 00 00 00\n\n");
        add(" Number of Nodes = %d\n Number of Elements = %d\n Number of  Boundary Elements = 2\n"
            " Number of Junctions = 0\n System of units = 1\n\n",
            nodes, nodes - 1);
        add(" Hydrodynamics Upwinding Coefficient = 0.25\n Hydrodynamics Upwinding Updating = 0\n"
            " Hydrodynamics Theta = 1\n Hydrodynamics Tolerance = 1e-05\n Hydrodynamics Formulation = 0\n"
            " Hydrodynamics Alpha = 0.5\n\n");
        add(" Water Temperature (deg C) = 0\n Hydrodynamics Flow Resistance Model = 0\n Specific Gravity of Ice = %g\n"
            " Ice To Ice Friction Coefficient = 1.28\n Ice Cohesion (Pa) = %g\n Ice Jam Porosity = 0.4\n"
            " Erosion Velocity (m/s) = 0\n Passive Pressure Coefficient = 10\n Ice Thickness Damping Factor = %g\n"
            " Maximum Allowable Change in Discharge for Solution of JSE = %g\n\n",
            s, cohesion, damping, settled);
        add(" \tNode Information \n\n");
        for (int i = 0; i < nodes; ++i) {
            const bool jammed = i > 0;
            const double thickness = jammed ? start : 0;
            add("\t%d\t%d\t0\t1\t0\t%g\t%.10g\t%.10g\t%g\t%g\t1\t%.10g\t%g\t%d\t%g\t%g\t0\t%d \n", i + 1, nodes - i,
                i * dx, i * dx / 1000, Invert(i), nb, width, Invert(i) + depth + s * thickness, discharge,
                jammed ? 1 : 0, thickness, ni, jammed ? 1 : 0);
        }
        add("\n \tElement Information \n\n");
        for (int e = 1; e < nodes; ++e) add("\t%d\t%d\t%d\t0\t0\t0\t0\t0 \n", e, e, e + 1);
        add("\n \tBoundary Element Information \n\n");
        add("\t1\t1\t-1\t0\t1\t2 \n\t0\t%g \n\t10000\t%g \n\n", discharge, discharge);
        add("\t2\t%d\t1\t1\t0\t2 \n\t0\t%.10g \n\t10000\t%.10g \n\n", nodes, downstreamStage, downstreamStage);
        return t;
    }
};

// Uniform flow under a full ice cover: the depth at which Manning's law with the composite n
// of bed (perimeter B + 2y) and ice (perimeter B) carries the discharge at the bed slope.
double UnderIceDepth(const JamChannel& c)
{
    return testmodel::Bisect(
        [&](double y) {
            const double bed = c.width + 2 * y;
            const double ratio = c.width / bed;
            const double n = c.nb * std::pow((1 + ratio * std::pow(c.ni / c.nb, 1.5)) / (1 + ratio), 2.0 / 3.0);
            const double area = c.width * y;
            const double radius = area / (bed + c.width);
            return area * std::pow(radius, 2.0 / 3.0) * std::sqrt(c.slope) / n - c.discharge;
        },
        0.01, 50);
}

// The equilibrium jam on that flow: mu (1 - s) rho_i g t^2 / B + 2 c t / B = rho_i g S t + tau,
// tau = rho g S Rb / ((nb / ni)^1.5 + 1) with the bed's hydraulic radius Rb, S the bed slope.
double EquilibriumJam(const JamChannel& c, double depth)
{
    const double rho = 1000, rhoi = c.s * rho, mu = 1.28;
    const double bedRadius = c.width * depth / (c.width + 2 * depth);
    const double tau = rho * kG * c.slope * bedRadius / (std::pow(c.nb / c.ni, 1.5) + 1);
    const double a = mu * (1 - c.s) * rhoi * kG / c.width;
    const double b = 2 * c.cohesion / c.width - rhoi * kG * c.slope;
    return (-b + std::sqrt(b * b + 4 * a * tau)) / (2 * a);
}

TEST(SteadyJamPass, WideJammedReachSettlesOnTheUniformEquilibriumJam)
{
    struct Case {
        const char* name;
        JamChannel channel;
    };
    JamChannel cohesive;
    cohesive.cohesion = 300;
    cohesive.start = 2.5;
    const Case cases[] = {{"no cohesion, thin start", JamChannel{}}, {"cohesive ice, thick start", cohesive}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const JamChannel& c = k.channel;
        const double depth = UnderIceDepth(c);
        const double jam = EquilibriumJam(c, depth);
        ASSERT_GT(jam, 0.3);
        // The outlet stage of the uniform jammed flow, so the jam reaches it unhindered.
        const double outlet = c.Invert(c.nodes - 1) + depth + c.s * jam;
        ASSERT_EQ(modelfiles_test::ReadTextQuietly(c.Text(outlet)), 0);
        g_ModelControl.SteadyIteration = 0;

        int pass = 0;
        int solves = 0;
        JamPassReport report;
        for (; pass < 800; ++pass) {
            ASSERT_GE(RunSteadyJamPass(&report), 0);
            solves += report.Solved;
            if (report.Solved && report.LargestThicknessChange < 1e-6) break;
        }
        ASSERT_LT(pass, 800) << "the jam did not settle";
        EXPECT_GT(solves, 5);

        // Far from the head (which starts from open water) and from the outlet.
        for (int i = c.nodes / 3; i < 2 * c.nodes / 3; ++i) {
            const NodeRecord* n = g_NodeIndex[i];
            EXPECT_NEAR(n->SolidEquivalentThickness, jam, 0.02 * jam) << "node " << n->Number;
            EXPECT_NEAR(n->Stage - n->Invert - c.s * n->EffectiveIceThickness, depth, 0.02 * depth);
        }
        EXPECT_EQ(g_NodeIndex[0]->SolidEquivalentThickness, 0.0);
    }
    ReleaseModel();
}

TEST(SteadyJamPass, JamFirstThenHydrodynamicsThenSlopesAndIceLevels)
{
    JamChannel c;
    c.nodes = 21;
    c.settled = 1e9;   // the jam is solved whenever a pass has been made
    const double depth = UnderIceDepth(c);
    ASSERT_EQ(modelfiles_test::ReadTextQuietly(c.Text(c.Invert(c.nodes - 1) + depth + c.s * c.start)), 0);
    ModelControl& mc = g_ModelControl;
    mc.SteadyIteration = 0;
    mc.ModelTime = 7200;
    g_EquationSystems[HydrodynamicSystem].Theta = 0.6;
    g_EquationSystems[ThermalIceSystem].Theta = 0.55;
    const double tolerance = g_EquationSystems[HydrodynamicSystem].Tolerance;

    // The first pass has no pass before it: no jam yet, then the hydrodynamics.
    JamPassReport report;
    report.Solved = 7;
    const double step = mc.DeltaT;
    ASSERT_EQ(RunSteadyJamPass(&report), 1);
    EXPECT_EQ(report.Solved, 0);
    EXPECT_EQ(report.LargestThicknessChange, 0.0);
    EXPECT_EQ(mc.SteadyIteration, 1);
    EXPECT_EQ(mc.DeltaT, 1.5 * step);
    EXPECT_EQ(g_NodeIndex[5]->SolidEquivalentThickness, c.start);
    // Settings and clock as they were.
    EXPECT_EQ(mc.ModelTime, 7200);
    EXPECT_EQ(g_EquationSystems[HydrodynamicSystem].Theta, 0.6);
    EXPECT_EQ(g_EquationSystems[ThermalIceSystem].Theta, 0.55);
    EXPECT_EQ(g_EquationSystems[HydrodynamicSystem].Tolerance, tolerance);

    // The second pass solves the jam on the stages of the first; its slopes and ice levels are
    // those of its own stages and jam.
    double stagesBefore[2] = {g_NodeIndex[9]->Stage, g_NodeIndex[11]->Stage};
    const double slopeBefore = (stagesBefore[0] - stagesBefore[1]) / (2 * c.dx);
    EXPECT_NEAR(g_NodeIndex[10]->SurfaceSlope, slopeBefore, 1e-15);
    ASSERT_EQ(RunSteadyJamPass(&report), 1);
    EXPECT_EQ(report.Solved, 1);
    EXPECT_GT(report.LargestThicknessChange, 0.0);
    for (int i = 1; i + 1 < c.nodes; ++i) {
        const NodeRecord* n = g_NodeIndex[i];
        EXPECT_NEAR(n->SurfaceSlope, (n->Previous->Stage - n->Next->Stage) / (2 * c.dx), 1e-15) << i;
        EXPECT_NEAR(n->IceTopElevation, n->Stage + (1 - c.s) * n->IceThickness, 1e-12) << i;
        EXPECT_EQ(n->IceConcentration, 1.0);
    }
    // A model time step that cannot be made does nothing at all.
    mc.DeltaT = 0;
    const double thickness = g_NodeIndex[5]->SolidEquivalentThickness;
    EXPECT_EQ(RunSteadyJamPass(&report), -1);
    EXPECT_EQ(mc.SteadyIteration, 2);
    EXPECT_EQ(g_NodeIndex[5]->SolidEquivalentThickness, thickness);
    ReleaseModel();
}

}  // namespace
