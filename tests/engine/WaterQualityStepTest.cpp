// The water-quality step and daylight: the calendar day against std::chrono, the day length
// against an independent sunrise computation, and the step's logic with a synthetic decay
// C' = -kC of every water-quality value, whose theta-scheme step has a closed form.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

#include "ModelBuilder.h"
#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydraulics.h"
#include "engine/ModelSetup.h"
#include "engine/TimeStepping.h"
#include "engine/WaterQuality.h"

using testmodel::DueFlags;

namespace {

const double Pi = 3.141592653589793;

// Day of the year by std::chrono.
int ChronoDayOfYear(int y, int m, int d)
{
    using namespace std::chrono;
    const year_month_day date{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
    return static_cast<int>((sys_days{date} - sys_days{year{y} / January / 1}).count()) + 1;
}

TEST(Daylight, DayOfYearAgreesWithTheCalendarFrom1899To2401)
{
    using namespace std::chrono;
    const sys_days last{year{2401} / December / 31};
    for (sys_days d{year{1899} / January / 1}; d <= last; d += days{1}) {
        const year_month_day ymd{d};
        const int y = static_cast<int>(ymd.year());
        const int m = static_cast<int>(static_cast<unsigned>(ymd.month()));
        const int day = static_cast<int>(static_cast<unsigned>(ymd.day()));
        ASSERT_EQ(ComputeDayOfYear(y, m, day), ChronoDayOfYear(y, m, day)) << y << '-' << m << '-' << day;
    }
    EXPECT_EQ(ComputeDayOfYear(2024, 3, 1), 61);
    EXPECT_EQ(ComputeDayOfYear(2023, 3, 1), 60);
    EXPECT_EQ(ComputeDayOfYear(1900, 3, 1), 60);
}

// Fraction of the day with the sun above the horizon, found by bisection on the hour angle at
// which the sun's elevation sin(alt) = sin(phi) sin(d) + cos(phi) cos(d) cos(w) crosses zero.
double SunUpFraction(double latitudeDegrees, int dayOfYear)
{
    const double d = 23.45 * Pi / 180 * std::sin(2 * Pi * (284 + dayOfYear) / 365);
    const double phi = latitudeDegrees * Pi / 180;
    const auto elevation = [&](double w) { return std::sin(phi) * std::sin(d) + std::cos(phi) * std::cos(d) * std::cos(w); };
    if (elevation(Pi) >= 0) return 1;   // up at midnight: up all day
    if (elevation(0) <= 0) return 0;    // down at noon: down all day
    double up = 0, down = Pi;           // elevation falls from noon to midnight
    for (int i = 0; i < 200; ++i) {
        const double w = 0.5 * (up + down);
        (elevation(w) > 0 ? up : down) = w;
    }
    return 0.5 * (up + down) / Pi;
}

TEST(Daylight, DayLengthAgreesWithTheSunriseEquation)
{
    ModelControl& mc = g_ModelControl;
    SetModelDefaults();
    for (int year : {2023, 2024}) {
        for (double latitude = -89; latitude <= 89; latitude += 4.5) {
            mc.PhiLatitude = latitude;
            for (int month = 1; month <= 12; ++month) {
                for (int day = 1; day <= 28; day += 3) {
                    const double expected = SunUpFraction(latitude, ChronoDayOfYear(year, month, day));
                    ASSERT_NEAR(ComputeDayLengthFraction(year, month, day), expected, 1e-9)
                        << latitude << " deg " << year << '-' << month << '-' << day;
                }
            }
        }
    }

    struct Case {
        double latitude;
        int year, month, day;
        double fraction, tolerance;
    } cases[] = {
        {55, 2023, 6, 21, 0.7127, 5e-5},   // day 172
        {80, 2023, 6, 21, 1, 0},           // polar day
        {80, 2023, 12, 21, 0, 0},          // polar night
        {-80, 2023, 6, 21, 0, 0},
        {-80, 2023, 12, 21, 1, 0},
        {0, 2023, 2, 3, 0.5, 0},           // the equator: twelve hours every day
    };
    for (const Case& c : cases) {
        mc.PhiLatitude = c.latitude;
        EXPECT_NEAR(ComputeDayLengthFraction(c.year, c.month, c.day), c.fraction, c.tolerance)
            << c.latitude << " deg " << c.month << '-' << c.day;
    }
}

TEST(Daylight, TheSunIsUpInsideTheWindowAroundNoonPlusFtd)
{
    struct Case {
        double latitude, ftd;
        int month, hour, minute, second;
        double flag, fraction, hoursFromNoon;
    } cases[] = {
        // Twelve hours of day at the equator: with Ftd 1 the sun is up from 7:00 to 19:00.
        {0, 1, 3, 6, 59, 59, 0, 0.5, -7},
        {0, 1, 3, 7, 0, 0, 0, 0.5, -6},
        {0, 1, 3, 7, 0, 1, 1, 0.5, -6},
        {0, 1, 3, 12, 30, 0, 1, 0.5, -1},
        {0, 1, 3, 18, 59, 59, 1, 0.5, 5},
        {0, 1, 3, 19, 0, 0, 0, 0.5, 6},
        {0, 1, 3, 23, 0, 0, 0, 0.5, 10},
        // Ftd -2 moves the window to 4:00-16:00.
        {0, -2, 3, 3, 59, 59, 0, 0.5, -7},
        {0, -2, 3, 4, 0, 1, 1, 0.5, -6},
        {0, -2, 3, 15, 59, 59, 1, 0.5, 5},
        {0, -2, 3, 16, 0, 0, 0, 0.5, 6},
        // Polar day: the window covers the whole day after midnight plus Ftd.
        {80, 0, 6, 0, 0, 1, 1, 1, -12},
        {80, 0, 6, 23, 59, 59, 1, 1, 11},
        // Polar night: never up.
        {80, 1, 12, 13, 0, 0, 0, 0, 0},
    };
    ModelControl& mc = g_ModelControl;
    SetModelDefaults();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.latitude << " deg, Ftd " << c.ftd << ", " << c.hour << ':' << c.minute << ':'
                                        << c.second);
        mc.PhiLatitude = c.latitude;
        mc.Ftd = c.ftd;
        const int date[6] = {2023, c.month, 21, c.hour, c.minute, c.second};
        std::copy(date, date + 6, mc.CurrentDate);
        UpdateDaylight();
        EXPECT_EQ(mc.DaylightFlag, c.flag);
        EXPECT_EQ(mc.DayLengthFraction, c.fraction);
        EXPECT_EQ(mc.HoursFromNoon, c.hoursFromNoon);
    }
}

// ---------------------------------------------------------------------------------------
// The step
// ---------------------------------------------------------------------------------------
constexpr double Decay = 2e-4;   // 1/s
bool s_NanWaterQuality = false;
bool s_NanHydrodynamics = false;

// Hydrodynamic unknowns that the synthetic hydrodynamics converge to.
double TargetArea(int index) { return 1.5 + 0.1 * index; }
constexpr double TargetDischarge = 2.5;

// Synthetic residuals: every node's rows come from one element (the first node of each
// element, and the last node of the chain from its element). Water quality: the theta scheme
// of C' = -kC; hydrodynamics: unknowns pulled to fixed targets.
void SyntheticResidual(FiniteElementBase* element, int system)
{
    if (element->NodeCount != 2) return;
    const ModelControl& mc = g_ModelControl;
    const EquationSystem& es = g_EquationSystems[system];
    double* rows = g_ModelControl.ElementVector.data();
    const int upn = es.UnknownsPerNode;
    for (int a = 0; a < 2; ++a) {
        const NodeRecord* n = element->Nodes[a];
        if (a == 1 && n->Next) continue;
        for (int j = 0; j < upn; ++j) {
            double r = 0;
            if (system == WaterQualitySystem) {
                const double c = n->WQUnknowns[j], cp = n->PreviousWQUnknowns[j];
                r = (cp - c) - mc.DeltaT * Decay * (es.Theta * c + (1 - es.Theta) * cp);
                if (s_NanWaterQuality) r = std::numeric_limits<double>::quiet_NaN();
            } else if (system == HydrodynamicSystem) {
                r = (j == 0 ? TargetArea(n->Index) : TargetDischarge) - n->HydroUnknowns[j];
                if (s_NanHydrodynamics) r = std::numeric_limits<double>::quiet_NaN();
            }
            rows[a * upn + j] = r;
        }
    }
}

double InitialValue(int index, int k) { return 1.0 + index + 0.5 * k; }

class WaterQualityStep : public ::testing::Test {
protected:
    void SetUp() override
    {
        s_NanWaterQuality = s_NanHydrodynamics = false;
        testmodel::BuildChain(Nodes, 100.0, [](NodeRecord& n, int i) {
            n.HydroUnknowns[0] = n.GrossArea = 1.0;
            n.HydroUnknowns[1] = n.Discharge = 2.0;
            for (int k = 0; k < 6; ++k) n.WQUnknowns[k] = n.WQValues[k] = InitialValue(i, k);
        });
        ModelControl& mc = g_ModelControl;
        mc.HydrodynamicsOn = 0;
        mc.WaterQualityOn = 1;
        mc.WQFileType = 0;
        mc.PhiLatitude = 0;
        mc.Ftd = 1;
        const int date[6] = {2024, 3, 20, 12, 30, 0};
        std::copy(date, date + 6, mc.StartDate);
        std::copy(date, date + 6, mc.CurrentDate);
        g_EquationSystems[WaterQualitySystem].Theta = 0.6;
        SetElementResidualOverride(SyntheticResidual);
    }
    void TearDown() override
    {
        SetElementResidualOverride(nullptr);
        ReleaseModel();
        SetModelDefaults();
    }

    static constexpr int Nodes = 5;

    // The water-quality values of every node, current level.
    static std::vector<double> Values()
    {
        std::vector<double> v;
        for (const NodeRecord* n = g_Nodes; n; n = n->Next) v.insert(v.end(), n->WQUnknowns, n->WQUnknowns + 6);
        return v;
    }
    static std::vector<double> InitialValues()
    {
        std::vector<double> v;
        for (int i = 0; i < Nodes; ++i)
            for (int k = 0; k < 6; ++k) v.push_back(InitialValue(i, k));
        return v;
    }
    static void SetDaylightMarks()
    {
        ModelControl& mc = g_ModelControl;
        mc.DaylightFlag = 0.25;
        mc.DayLengthFraction = 0.75;
        mc.HoursFromNoon = 99;
    }
    static void ExpectDaylightMarks()
    {
        const ModelControl& mc = g_ModelControl;
        EXPECT_EQ(mc.DaylightFlag, 0.25);
        EXPECT_EQ(mc.DayLengthFraction, 0.75);
        EXPECT_EQ(mc.HoursFromNoon, 99);
    }
};

// Converged steps: the decay of one step of the theta scheme, C (1 - (1 - theta) k dt) /
// (1 + theta k dt); the clock, the growth and the due flags of the transient step; the
// daylight of the step start.
TEST_F(WaterQualityStep, ConvergedStepsDecayLandOnOutputTimesAndGrow)
{
    struct Case {
        const char* name;
        double start, step, maxStep, seriesInterval, databaseInterval;
        double endTime, nextStep;
        std::vector<int> due;
    } cases[] = {
        {"grows by half", 0, 100, 1000, 0, 0, 100, 150, {0, 0, 0, 0, 0}},
        {"growth capped", 0, 100, 120, 0, 0, 100, 120, {0, 0, 0, 0, 0}},
        {"shortened to the hour, then restored", 3000, 1000, 5000, 3600, 0, 3600, 1000, {1, 0, 0, 0, 0}},
        {"two schedules due together", 6000, 1500, 1500, 3600, 1800, 7200, 1500, {1, 0, 0, 0, 1}},
    };
    const double theta = g_EquationSystems[WaterQualitySystem].Theta;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ModelControl& mc = g_ModelControl;
        mc.ModelTime = c.start;
        mc.DeltaT = c.step;
        mc.MaxDeltaT = c.maxStep;
        mc.SeriesInterval = c.seriesInterval;
        mc.DatabaseInterval = c.databaseInterval;
        ASSERT_EQ(RunWaterQualityStep(), 0);
        EXPECT_EQ(mc.ModelTime, c.endTime);
        EXPECT_EQ(mc.DeltaT, c.nextStep);
        EXPECT_EQ(DueFlags(), c.due);

        const double dt = c.endTime - c.start;
        const double factor = (1 - (1 - theta) * Decay * dt) / (1 + theta * Decay * dt);
        const std::vector<double> initial = InitialValues(), values = Values();
        for (size_t i = 0; i < values.size(); ++i) EXPECT_NEAR(values[i], initial[i] * factor, 1e-12 * initial[i]) << i;
        for (const NodeRecord* n = g_Nodes; n; n = n->Next)
            for (int k = 0; k < 6; ++k) EXPECT_EQ(n->WQValues[k], n->WQUnknowns[k]);

        // 12:30 on the equator with Ftd 1: inside the 7:00-19:00 window, an hour before noon + Ftd.
        EXPECT_EQ(mc.DaylightFlag, 1.0);
        EXPECT_EQ(mc.DayLengthFraction, 0.5);
        EXPECT_EQ(mc.HoursFromNoon, -1);
    }
}

// A failed hydrodynamic solve skips the water quality: values, daylight and the water-quality
// iteration count stay as they were, the step is halved and not grown.
TEST_F(WaterQualityStep, AFailedHydrodynamicSolveSkipsTheWaterQuality)
{
    ModelControl& mc = g_ModelControl;
    mc.HydrodynamicsOn = 1;
    s_NanHydrodynamics = true;
    mc.ModelTime = 500;
    mc.DeltaT = 60;
    mc.MaxDeltaT = 600;
    SetDaylightMarks();
    g_EquationSystems[WaterQualitySystem].IterationCount = 77;
    ASSERT_EQ(RunWaterQualityStep(), 0);
    EXPECT_EQ(mc.ModelTime, 500);
    EXPECT_EQ(mc.DeltaT, 30);
    EXPECT_EQ(Values(), InitialValues());
    EXPECT_EQ(g_EquationSystems[WaterQualitySystem].IterationCount, 77);
    ExpectDaylightMarks();
    EXPECT_EQ(DueFlags(), (std::vector<int>{0, 0, 0, 0, 0}));
}

// A rejected water-quality solve (an update that is not finite, or no convergence within the
// iteration limit) puts every system back at the exact step start and halves the step.
TEST_F(WaterQualityStep, ARejectedWaterQualitySolveRestoresEverySystem)
{
    struct Case {
        const char* name;
        bool nan;
        int maxIterations;
    } cases[] = {{"update not finite", true, 9}, {"iteration limit", false, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ModelControl& mc = g_ModelControl;
        mc.HydrodynamicsOn = 1;
        s_NanWaterQuality = c.nan;
        g_EquationSystems[WaterQualitySystem].MaxIterations = c.maxIterations;
        // A start that start + step does not give back by subtraction.
        mc.ModelTime = 1000.1;
        mc.DeltaT = 0.7;
        mc.MaxDeltaT = 600;
        mc.SeriesInterval = 3600;
        std::vector<double> stages;
        for (NodeRecord* n = g_Nodes; n; n = n->Next) {
            UpdateNodeHydraulics(n);
            stages.push_back(n->Stage);
        }
        ASSERT_EQ(RunWaterQualityStep(), 0);
        EXPECT_EQ(mc.ModelTime, 1000.1);
        EXPECT_EQ(mc.DeltaT, 0.35);
        EXPECT_EQ(Values(), InitialValues());
        for (const NodeRecord* n = g_Nodes; n; n = n->Next) {
            EXPECT_EQ(n->HydroUnknowns[0], 1.0);
            EXPECT_EQ(n->HydroUnknowns[1], 2.0);
            EXPECT_EQ(n->Stage, stages[n->Index]);   // the hydraulics of the restored state
            for (int k = 0; k < 6; ++k) EXPECT_EQ(n->WQValues[k], n->WQUnknowns[k]);
        }
        EXPECT_EQ(DueFlags(), (std::vector<int>{0, 0, 0, 0, 0}));

        // The retried step converges from the restored state.
        s_NanWaterQuality = false;
        g_EquationSystems[WaterQualitySystem].MaxIterations = 9;
        ASSERT_EQ(RunWaterQualityStep(), 0);
        EXPECT_EQ(mc.ModelTime, 1000.1 + 0.35);
        for (const NodeRecord* n = g_Nodes; n; n = n->Next) {
            EXPECT_NEAR(n->HydroUnknowns[0], TargetArea(n->Index), 1e-12);
            EXPECT_NEAR(n->HydroUnknowns[1], TargetDischarge, 1e-12);
        }
    }
}

// A water-quality system that cannot be assembled undoes the step and is reported.
TEST_F(WaterQualityStep, AnAssemblyFailureUndoesTheStep)
{
    ModelControl& mc = g_ModelControl;
    g_Elements = nullptr;   // nothing to assemble
    mc.ModelTime = 100;
    mc.DeltaT = 50;
    mc.MaxDeltaT = 600;
    EXPECT_EQ(RunWaterQualityStep(), 2);
    EXPECT_EQ(mc.ModelTime, 100);
    EXPECT_EQ(mc.DeltaT, 50);
    EXPECT_EQ(Values(), InitialValues());
}

// With the water quality switched off the step is a transient step: the values stay.
TEST_F(WaterQualityStep, WithTheWaterQualityOffTheValuesStay)
{
    ModelControl& mc = g_ModelControl;
    mc.WaterQualityOn = 0;
    mc.DeltaT = 100;
    mc.MaxDeltaT = 1000;
    SetDaylightMarks();
    ASSERT_EQ(RunWaterQualityStep(), 0);
    EXPECT_EQ(mc.ModelTime, 100);
    EXPECT_EQ(mc.DeltaT, 150);
    EXPECT_EQ(Values(), InitialValues());
    ExpectDaylightMarks();
}

}  // namespace
