// The transient step and the steady pass driving the hydrodynamic solve: a rectangular
// channel started away from uniform flow settles at Manning's normal depth, with the output
// times of the run landed on exactly.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/EngineData.h"
#include "engine/ModelSetup.h"
#include "engine/SteadyRun.h"
#include "engine/TimeStepping.h"
#include "ModelBuilder.h"
#include "ModelFixtures.h"

namespace {

constexpr double Discharge = 20, Width = 10, Manning = 0.03, Slope = 0.001;

// Manning's normal depth of the rectangle, by bisection.
double NormalDepth()
{
    double lo = 1e-6, hi = 100;
    for (int i = 0; i < 200; ++i) {
        const double y = 0.5 * (lo + hi);
        const double a = Width * y;
        const double q = a * std::pow(a / (Width + 2 * y), 2.0 / 3.0) * std::sqrt(Slope) / Manning;
        (q < Discharge ? lo : hi) = y;
    }
    return 0.5 * (lo + hi);
}

// 41 nodes 100 m apart, 30% too deep with half the discharge; inflow upstream, the normal
// stage downstream.
void BuildChannel(double normalDepth)
{
    testmodel::BuildChain(41, 100.0, [&](NodeRecord& node, int i) {
        node.RectWidth = Width;
        node.ManningN = Manning;
        node.Invert = Slope * (40 - i) * 100.0;
        node.HydroUnknowns[0] = Width * 1.3 * normalDepth;
        node.HydroUnknowns[1] = 0.5 * Discharge;
    });
    testmodel::SetBoundaries({{0, -1, testmodel::Constant(0, 1, 0, Discharge)},
                              {40, 1, testmodel::Constant(1, 0, normalDepth, 0)}});
    g_ModelControl.Formulation = 1;
    g_ModelControl.MaxDeltaT = 300;
    g_ModelControl.DeltaT = 36;
}

void ExpectNormalFlow(double normalDepth)
{
    for (const NodeRecord& n : g_NodeBlock) {
        EXPECT_NEAR(n.Stage - n.Invert, normalDepth, 0.002 * normalDepth) << n.Index;
        EXPECT_NEAR(n.Discharge, Discharge, 1e-4 * Discharge) << n.Index;
    }
}

class RunLoop : public testmodel::ModelTest<> {};

TEST_F(RunLoop, TransientStepsSettleAtNormalDepthOnTheOutputTimes)
{
    const double yn = NormalDepth();
    BuildChannel(yn);
    ModelControl& mc = g_ModelControl;
    g_EquationSystems[HydrodynamicSystem].Theta = 1.0;
    mc.DatabaseInterval = 3600;
    mc.SeriesInterval = 1000;  // not a divisor of the hour: the two schedules interleave
    ASSERT_EQ(testmodel::StartRun(), 0);

    int hours = 0, series = 0, accepted = 0;
    while (mc.ModelTime < 48 * 3600.0) {
        const double before = mc.ModelTime;
        ASSERT_EQ(TransientStep(), 0);
        if (mc.ModelTime == before) continue;
        ++accepted;
        ASSERT_GT(mc.ModelTime, before);
        ASSERT_LE(mc.DeltaT, mc.MaxDeltaT);
        ASSERT_EQ(mc.DatabaseDue, std::fmod(mc.ModelTime, 3600) == 0 ? 1 : 0) << mc.ModelTime;
        ASSERT_EQ(mc.SeriesDue, std::fmod(mc.ModelTime, 1000) == 0 ? 1 : 0) << mc.ModelTime;
        hours += mc.DatabaseDue;
        series += mc.SeriesDue;
    }
    EXPECT_EQ(mc.ModelTime, 48 * 3600.0);
    EXPECT_EQ(hours, 48);
    EXPECT_EQ(series, 172);
    EXPECT_GT(accepted, 48 * 3600 / 300);
    ExpectNormalFlow(yn);
}

TEST_F(RunLoop, SteadyPassesSettleAtNormalDepth)
{
    const double yn = NormalDepth();
    BuildChannel(yn);
    ASSERT_EQ(testmodel::StartRun(), 0);
    ModelControl& mc = g_ModelControl;
    mc.ModelTime = 7200;
    int converged = 0;
    for (int pass = 0; pass < 2000; ++pass) converged += RunSteadyPass() == 1;
    EXPECT_EQ(mc.ModelTime, 7200);
    EXPECT_EQ(mc.SteadyIteration, 2000);
    EXPECT_GT(converged, 1000);
    EXPECT_EQ(mc.DeltaT, 300);
    ExpectNormalFlow(yn);
}

}  // namespace
