// Adaptive stepping, output schedules and the steady pass, with the equation systems switched
// off so that only the stepping logic runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydrodynamics.h"
#include "engine/ModelSetup.h"
#include "engine/SteadyRun.h"
#include "engine/TimeStepping.h"
#include "ModelBuilder.h"

using testmodel::DueFlags;

namespace {

struct StepCase {
    const char* name;
    double start, step, maxStep;
    double intervals[5];  // series, snapshot, ice front, state file, database
    double endTime, nextStep;
    int due[5];
};

class Stepping : public ::testing::Test {
protected:
    void SetUp() override
    {
        ReleaseModel();
        SetModelDefaults();
        ModelControl& mc = g_ModelControl;
        const int start[6] = {2024, 1, 1, 0, 0, 0};
        for (int i = 0; i < 6; ++i) mc.StartDate[i] = start[i];
    }
    void TearDown() override { ReleaseModel(); }

    static void SetIntervals(const double (&intervals)[5])
    {
        ModelControl& mc = g_ModelControl;
        mc.SeriesInterval = intervals[0];
        mc.SnapshotInterval = intervals[1];
        mc.IceFrontInterval = intervals[2];
        mc.StateFileInterval = intervals[3];
        mc.DatabaseInterval = intervals[4];
    }
    // Lets the hydrodynamic solve make no iteration, so that every step is rejected; true when
    // the solve then rejects.
    static bool RejectEveryStep()
    {
        g_ModelControl.HydrodynamicsOn = 1;
        g_EquationSystems[HydrodynamicSystem].MaxIterations = 0;
        g_ModelControl.DeltaT = 1;
        return SolveHydrodynamicsStep() == NewtonNotConverged;
    }
};

TEST_F(Stepping, OneStepShortensGrowsAndFlags)
{
    const StepCase cases[] = {
        {"all schedules off", 0, 36, 100, {0, 0, 0, 0, 0}, 36, 54, {0, 0, 0, 0, 0}},
        {"growth capped", 0, 36, 36, {0, 0, 0, 0, 0}, 36, 36, {0, 0, 0, 0, 0}},
        {"growth up to the cap", 100, 80, 100, {0, 0, 0, 0, 0}, 180, 100, {0, 0, 0, 0, 0}},
        {"shortened to the hour", 3000, 1000, 1000, {3600, 0, 0, 0, 0}, 3600, 1000, {1, 0, 0, 0, 0}},
        {"shortened step restored, not grown", 3000, 1000, 5000, {3600, 0, 0, 0, 0}, 3600, 1000,
         {1, 0, 0, 0, 0}},
        {"exact landing is not a shortening", 3000, 600, 1000, {3600, 0, 0, 0, 0}, 3600, 900,
         {1, 0, 0, 0, 0}},
        {"two schedules due together", 6000, 1500, 1500, {3600, 7200, 0, 0, 0}, 7200, 1500,
         {1, 1, 0, 0, 0}},
        {"only the earlier schedule is due", 0, 5000, 5000, {3600, 7200, 0, 0, 0}, 3600, 5000,
         {1, 0, 0, 0, 0}},
        {"the earliest of five", 0, 5000, 5000, {3600, 1800, 900, 600, 1200}, 600, 5000,
         {0, 0, 0, 1, 0}},
        {"snapshot", 0, 100, 100, {0, 60, 0, 0, 0}, 60, 100, {0, 1, 0, 0, 0}},
        {"ice front", 0, 100, 100, {0, 0, 60, 0, 0}, 60, 100, {0, 0, 1, 0, 0}},
        {"state file", 0, 100, 100, {0, 0, 0, 60, 0}, 60, 100, {0, 0, 0, 1, 0}},
        {"database", 0, 100, 100, {0, 0, 0, 0, 60}, 60, 100, {0, 0, 0, 0, 1}},
        {"start on an output time", 3600, 5000, 4000, {3600, 0, 0, 0, 0}, 7200, 4000,
         {1, 0, 0, 0, 0}},
        {"step short of the output time", 0, 100, 1000, {3600, 0, 0, 0, 0}, 100, 150,
         {0, 0, 0, 0, 0}},
        {"negative interval is off", 0, 100, 1000, {-60, 0, 0, 0, 0}, 100, 150, {0, 0, 0, 0, 0}},
        {"database and series at 7200", 6000, 1500, 1500, {3600, 0, 0, 0, 1800}, 7200, 1500,
         {1, 0, 0, 0, 1}},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ModelControl& mc = g_ModelControl;
        mc.ModelTime = c.start;
        mc.DeltaT = c.step;
        mc.MaxDeltaT = c.maxStep;
        SetIntervals(c.intervals);
        EXPECT_EQ(TransientStep(), 0);
        EXPECT_EQ(mc.ModelTime, c.endTime);
        EXPECT_EQ(mc.DeltaT, c.nextStep);
        EXPECT_EQ(DueFlags(), std::vector<int>(c.due, c.due + 5));
    }
}

TEST_F(Stepping, FlagsLastOnlyUntilTheNextStep)
{
    ModelControl& mc = g_ModelControl;
    mc.ModelTime = 3000;
    mc.DeltaT = 600;
    mc.MaxDeltaT = 600;
    mc.SeriesInterval = 3600;
    mc.DatabaseInterval = 3600;
    ASSERT_EQ(TransientStep(), 0);
    EXPECT_EQ(DueFlags(), (std::vector<int>{1, 0, 0, 0, 1}));
    ASSERT_EQ(TransientStep(), 0);
    EXPECT_EQ(mc.ModelTime, 4200);
    EXPECT_EQ(DueFlags(), (std::vector<int>{0, 0, 0, 0, 0}));
}

// Two days with random maximum steps: every output time is landed on exactly and flagged,
// nothing else is flagged, and no step exceeds the maximum.
TEST_F(Stepping, LongRunLandsOnEveryOutputTime)
{
    std::mt19937 random(20240229);
    std::uniform_real_distribution<double> maxStep(7.0, 1000.0);
    for (int run = 0; run < 20; ++run) {
        SetUp();
        ModelControl& mc = g_ModelControl;
        mc.MaxDeltaT = maxStep(random);
        mc.DeltaT = 1.0;
        mc.SeriesInterval = 3600;
        mc.DatabaseInterval = 900;
        int seriesCount = 0, databaseCount = 0;
        double previous = 0;
        while (mc.ModelTime < 48 * 3600.0) {
            ASSERT_EQ(TransientStep(), 0);
            ASSERT_GT(mc.ModelTime, previous);
            ASSERT_LE(mc.ModelTime - previous, mc.MaxDeltaT + 1e-9);
            ASSERT_LE(mc.DeltaT, mc.MaxDeltaT);
            // No output time lies strictly inside the step just made.
            ASSERT_GE(std::floor(previous / 900) + 1, std::ceil(mc.ModelTime / 900));
            const bool onSeries = std::fmod(mc.ModelTime, 3600) == 0;
            const bool onDatabase = std::fmod(mc.ModelTime, 900) == 0;
            ASSERT_EQ(mc.SeriesDue, onSeries ? 1 : 0) << mc.ModelTime;
            ASSERT_EQ(mc.DatabaseDue, onDatabase ? 1 : 0) << mc.ModelTime;
            seriesCount += mc.SeriesDue;
            databaseCount += mc.DatabaseDue;
            previous = mc.ModelTime;
        }
        EXPECT_EQ(mc.ModelTime, 48 * 3600.0);
        EXPECT_EQ(seriesCount, 48);
        EXPECT_EQ(databaseCount, 192);
    }
}

// A run ends on its final time, whether outputs are on or not, and never past it; the step cut
// short by the final time sets no due flag.
TEST_F(Stepping, RunEndsOnItsFinalTime)
{
    const double finals[] = {12 * 3600.0, 12 * 3600.0 + 187.5, 1000.0 / 3.0};
    for (const bool outputs : {false, true}) {
        for (const double final : finals) {
            SetUp();
            ModelControl& mc = g_ModelControl;
            mc.MaxDeltaT = 700;
            mc.DeltaT = 1.0;
            mc.FinalTime = final;
            if (outputs) mc.DatabaseInterval = 3600;
            while (mc.ModelTime < mc.FinalTime) {
                ASSERT_EQ(TransientStep(), 0);
                ASSERT_LE(mc.ModelTime, final);
            }
            EXPECT_EQ(mc.ModelTime, final) << outputs;
            EXPECT_EQ(mc.DatabaseDue, outputs && std::fmod(final, 3600) == 0 ? 1 : 0) << final;
        }
    }
}

// A step that cannot advance the clock is refused and reported instead of being repeated.
TEST_F(Stepping, StepThatCannotProgressIsReported)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        double start, step, seriesInterval;
    } cases[] = {
        {"step below the resolution of the clock", 1e9, 1e-8, 0},
        {"zero step", 10, 0, 0},
        {"negative step", 10, -1, 0},
        {"step not a number", 10, nan, 0},
        {"infinite step", 10, inf, 0},
        {"output time equal to the start in floating point", 1e17, 100, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ModelControl& mc = g_ModelControl;
        mc.ModelTime = c.start;
        mc.DeltaT = c.step;
        mc.MaxDeltaT = 1e6;
        mc.SeriesInterval = c.seriesInterval;
        mc.SeriesDue = 1;
        EXPECT_EQ(TransientStep(), 1);
        EXPECT_EQ(mc.ModelTime, c.start);
        if (std::isnan(c.step))
            EXPECT_TRUE(std::isnan(mc.DeltaT));
        else
            EXPECT_EQ(mc.DeltaT, c.step);
        EXPECT_EQ(mc.SeriesDue, 0);
    }

    // The smallest steps that still move the clock are made as before.
    SetUp();
    ModelControl& mc = g_ModelControl;
    mc.ModelTime = 1e9;
    mc.DeltaT = 1e-6;
    mc.MaxDeltaT = 1;
    EXPECT_EQ(TransientStep(), 0);
    EXPECT_GT(mc.ModelTime, 1e9);
    // An infinite step still lands on the next output time.
    SetUp();
    mc.ModelTime = 0;
    mc.DeltaT = inf;
    mc.MaxDeltaT = 600;
    mc.SeriesInterval = 3600;
    EXPECT_EQ(TransientStep(), 0);
    EXPECT_EQ(mc.ModelTime, 3600);
    EXPECT_EQ(mc.DeltaT, 600);
}

TEST_F(Stepping, ClockAndTimeLevelFollowTheStep)
{
    struct Case {
        int startYear;
        int expected[6];
    } cases[] = {{2024, {2024, 2, 29, 1, 0, 0}}, {2100, {2100, 3, 1, 1, 0, 0}}};
    for (const Case& c : cases) {
        SetUp();
        ModelControl& mc = g_ModelControl;
        const int start[6] = {c.startYear, 2, 28, 23, 0, 0};
        for (int i = 0; i < 6; ++i) mc.StartDate[i] = start[i];
        g_NodeBlock.resize(2);
        for (NodeRecord& n : g_NodeBlock) SetNodeDefaults(&n);
        g_NodeBlock[0].Next = &g_NodeBlock[1];
        g_Nodes = &g_NodeBlock[0];
        mc.NodeCount = 2;
        RebuildNodeIndex();
        g_NodeBlock[1].Stage = 7.5;
        g_NodeBlock[1].HydroUnknowns[0] = 42;

        mc.ModelTime = 3600;
        mc.DeltaT = 3600;
        mc.MaxDeltaT = 3600;
        ASSERT_EQ(TransientStep(), 0);
        EXPECT_EQ(std::vector<int>(mc.CurrentDate, mc.CurrentDate + 6),
                  std::vector<int>(c.expected, c.expected + 6));
        EXPECT_EQ(g_NodeBlock[1].PreviousStage, 7.5);
        EXPECT_EQ(g_NodeBlock[1].PreviousHydroUnknowns[0], 42);
    }
}

// With the hydrodynamic solve allowed no iteration the step is rejected: the clock returns to
// the exact start (not start + step - step), the step is halved, and a shortened step's
// remembered length is dropped.
TEST_F(Stepping, RejectedStepRestoresTheExactStart)
{
    ASSERT_TRUE(RejectEveryStep()) << "a solve allowed no iteration must reject the step";
    ModelControl& mc = g_ModelControl;

    ASSERT_NE(0.1 + 0.7 - 0.7, 0.1);
    mc.ModelTime = 0.1;
    mc.DeltaT = 0.7;
    mc.MaxDeltaT = 10;
    EXPECT_EQ(TransientStep(), 0);
    EXPECT_EQ(mc.ModelTime, 0.1);
    EXPECT_EQ(mc.DeltaT, 0.35);

    mc.ModelTime = 3000;
    mc.DeltaT = 1000;
    mc.MaxDeltaT = 1000;
    mc.SeriesInterval = 3600;
    EXPECT_EQ(TransientStep(), 0);
    EXPECT_EQ(mc.ModelTime, 3000);
    EXPECT_EQ(mc.DeltaT, 300);
    EXPECT_EQ(mc.SeriesDue, 0);
}

// Rejections halve the step down to the floor, then the run is stopped as one that cannot
// progress, at the start of the step; the floor follows the maximum step below a millisecond.
// A rejected step that the output schedule cut short does not stop the run.
TEST_F(Stepping, RejectionsStopAtTheStepFloor)
{
    ASSERT_TRUE(RejectEveryStep()) << "a solve allowed no iteration must reject the step";
    ModelControl& mc = g_ModelControl;

    struct Case {
        const char* name;
        double start, step, maxStep, floor;
    } cases[] = {
        {"a millisecond", 7200, 60, 3600, 1e-3},
        {"a millionth of a short maximum step", 7200, 0.05, 0.05, 0.05 / 1048576},
        {"an initial step below the floor", 0, 1e-4, 300, 300.0 / 1048576},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mc.ModelTime = c.start;
        mc.DeltaT = c.step;
        mc.MaxDeltaT = c.maxStep;
        EXPECT_EQ(TimeStepFloor(), c.floor);
        int result = 0, calls = 0;
        while (result == 0 && calls < 100) {
            result = TransientStep();
            ++calls;
            if (result == 0) {
                EXPECT_GE(mc.DeltaT, c.floor);
            }
        }
        EXPECT_EQ(result, 1);
        EXPECT_EQ(mc.ModelTime, c.start);
        EXPECT_LT(mc.DeltaT, c.floor);
        EXPECT_EQ(mc.DeltaT, std::ldexp(c.step, -calls));
        EXPECT_GE(2 * mc.DeltaT, std::min(c.floor, c.step));
    }

    // 0.5 ms before an output time: the step is cut to it and rejected, the run goes on with a
    // quarter of a millisecond and is stopped when that step is rejected too.
    mc.ModelTime = 3600 - 5e-4;
    mc.DeltaT = 600;
    mc.MaxDeltaT = 3600;
    mc.SeriesInterval = 3600;
    EXPECT_EQ(TransientStep(), 0);
    EXPECT_EQ(mc.ModelTime, 3600 - 5e-4);
    EXPECT_LT(mc.DeltaT, TimeStepFloor());
    EXPECT_EQ(TransientStep(), 1);
}

// The reason a failed step gives the run's message, as the run dialog and the runner show it.
TEST_F(Stepping, FailedStepsAreDescribed)
{
    ASSERT_TRUE(RejectEveryStep()) << "a solve allowed no iteration must reject the step";
    ModelControl& mc = g_ModelControl;
    mc.MaxDeltaT = 3600;

    mc.ModelTime = 7200;
    mc.DeltaT = 0.0015;
    ASSERT_EQ(TransientStep(), StepCannotProgress);
    EXPECT_EQ(DescribeFailedStep(StepCannotProgress),
              "the time step fell to 0.00075 s, below the smallest of 0.001 s (no node's Newton update was a finite "
              "number)");

    mc.ModelTime = 1e17;
    mc.DeltaT = 1;
    ASSERT_EQ(TransientStep(), StepCannotProgress);
    EXPECT_EQ(DescribeFailedStep(StepCannotProgress), "the time step of 1 s no longer changes the model time");

    EXPECT_EQ(DescribeFailedStep(StepNotAssembled), "the equations could not be assembled (out of memory)");
    EXPECT_EQ(DescribeFailedStep(StepMade), "");
}

// A model without elements cannot be assembled: the step is undone and reported, not taken
// as an advance of the clock.
TEST_F(Stepping, AssemblyFailureUndoesTheStepAndIsReported)
{
    ModelControl& mc = g_ModelControl;
    mc.HydrodynamicsOn = 1;
    mc.DeltaT = 1;
    ASSERT_NE(SolveHydrodynamicsStep(), NewtonConverged) << "a model without nodes cannot converge";

    g_NodeBlock.resize(2);
    for (NodeRecord& n : g_NodeBlock) SetNodeDefaults(&n);
    g_NodeBlock[0].Next = &g_NodeBlock[1];
    g_Nodes = &g_NodeBlock[0];
    mc.NodeCount = 2;
    RebuildNodeIndex();
    g_NodeBlock[0].HydroUnknowns[1] = 5;
    mc.ModelTime = 0.1;
    mc.DeltaT = 0.7;
    mc.MaxDeltaT = 10;
    EXPECT_EQ(TransientStep(), 2);
    EXPECT_EQ(mc.ModelTime, 0.1);
    EXPECT_EQ(mc.DeltaT, 0.7);
    EXPECT_EQ(g_NodeBlock[0].HydroUnknowns[1], 5);
}

// What a step changes besides the time-level twins comes back on a step not made: border ice,
// ice-front marks, flags, peaks and the weather of the step start.
TEST_F(Stepping, StepStartComesBackWhateverTheStepChanged)
{
    g_NodeBlock.resize(2);
    for (NodeRecord& n : g_NodeBlock) SetNodeDefaults(&n);
    g_NodeBlock[0].Next = &g_NodeBlock[1];
    g_Nodes = &g_NodeBlock[0];
    g_ModelControl.NodeCount = 2;
    RebuildNodeIndex();
    const auto fill = [](NodeRecord& n, double v) {
        n.SolidIceEquivalentArea = v + 1;
        n.BorderIceArea = v + 2;
        n.BorderEdgeStations[0] = v + 3;
        n.BorderEdgeStations[1] = v + 4;
        n.PeakStage = v + 5;
        n.PeakFluxDischarge = v + 6;
        n.PeakStageTime = v + 7;
        n.PeakFluxTime = v + 8;
        n.AirTemperature = v + 9;
        n.SolarRadiation = v + 10;
        n.BorderIceActive = static_cast<int>(v) + 11;
        n.SlushCongested = static_cast<int>(v) + 12;
        n.IceFrontStalled = static_cast<int>(v) + 13;
        n.IceFrontAtNode = static_cast<int>(v) + 14;
        n.NoIceFlag = static_cast<int>(v) + 15;
    };
    fill(g_NodeBlock[0], 100);
    fill(g_NodeBlock[1], 200);
    ASSERT_TRUE(SaveStepStart());
    ShiftTimeLevel();
    fill(g_NodeBlock[0], 300);
    fill(g_NodeBlock[1], 400);
    g_ModelControl.ModelTime = 99;
    ReturnToStepStart(5);

    EXPECT_EQ(g_ModelControl.ModelTime, 5);
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        NodeRecord expected = g_NodeBlock[k];
        fill(expected, 100 * (k + 1));
        const NodeRecord& n = g_NodeBlock[k];
        EXPECT_EQ(n.SolidIceEquivalentArea, expected.SolidIceEquivalentArea);
        EXPECT_EQ(n.BorderIceArea, expected.BorderIceArea);
        EXPECT_EQ(n.BorderEdgeStations[0], expected.BorderEdgeStations[0]);
        EXPECT_EQ(n.BorderEdgeStations[1], expected.BorderEdgeStations[1]);
        EXPECT_EQ(n.PeakStage, expected.PeakStage);
        EXPECT_EQ(n.PeakFluxDischarge, expected.PeakFluxDischarge);
        EXPECT_EQ(n.PeakStageTime, expected.PeakStageTime);
        EXPECT_EQ(n.PeakFluxTime, expected.PeakFluxTime);
        EXPECT_EQ(n.AirTemperature, expected.AirTemperature);
        EXPECT_EQ(n.SolarRadiation, expected.SolarRadiation);
        EXPECT_EQ(n.BorderIceActive, expected.BorderIceActive);
        EXPECT_EQ(n.SlushCongested, expected.SlushCongested);
        EXPECT_EQ(n.IceFrontStalled, expected.IceFrontStalled);
        EXPECT_EQ(n.IceFrontAtNode, expected.IceFrontAtNode);
        EXPECT_EQ(n.NoIceFlag, expected.NoIceFlag);
    }
}

TEST_F(Stepping, SteadyPassRestoresClockThetasAndTolerances)
{
    ModelControl& mc = g_ModelControl;
    mc.ModelTime = 5000;
    mc.DeltaT = 36;
    mc.MaxDeltaT = 60;
    mc.SteadyIteration = 4;
    g_EquationSystems[HydrodynamicSystem].Theta = 0.6;
    g_EquationSystems[ThermalIceSystem].Theta = 0.7;
    double tolerances[EquationSystemCount];
    for (int k = 0; k < EquationSystemCount; ++k) tolerances[k] = g_EquationSystems[k].Tolerance;

    EXPECT_EQ(RunSteadyPass(), 1);
    EXPECT_EQ(mc.SteadyIteration, 5);
    EXPECT_EQ(mc.DeltaT, 54);
    EXPECT_EQ(RunSteadyPass(), 1);
    EXPECT_EQ(mc.DeltaT, 60);
    EXPECT_EQ(mc.ModelTime, 5000);
    EXPECT_EQ(g_EquationSystems[HydrodynamicSystem].Theta, 0.6);
    EXPECT_EQ(g_EquationSystems[ThermalIceSystem].Theta, 0.7);
    for (int k = 0; k < EquationSystemCount; ++k) EXPECT_EQ(g_EquationSystems[k].Tolerance, tolerances[k]);

    mc.DeltaT = 0;
    EXPECT_EQ(RunSteadyPass(), -1);
    EXPECT_EQ(mc.SteadyIteration, 6);
}

}  // namespace
