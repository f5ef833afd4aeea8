// Water-quality step and daylight (equation system 3).
#include "engine/WaterQuality.h"

#include <algorithm>
#include <cmath>

#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydrodynamics.h"
#include "engine/JamStability.h"
#include "engine/TimeStepping.h"
#include "engine/WaterQualityFile.h"

namespace {

// Unknowns per node of equation system 3 in a water-quality run.
constexpr int WQUnknownsPerNode = 6;
// Largest solar declination (degrees) and the day-of-year offset of its annual sine.
constexpr double MaxDeclinationDegrees = 23.45;
constexpr double DeclinationDayOffset = 284;
constexpr double DaysPerYear = 365;

void RefreshAfterSolve()
{
    ComputeSurfaceSlopes();
    for (NodeRecord* n : g_NodeIndex) ComputeWQKinetics(n);
}

// Equation system 3 over the step whose clock the stepping has advanced: 1 converged, 0
// rejected, another value an assembly failure (see AdvanceTimeStep).
int SolveWaterQualityStep()
{
    ModelControl& mc = g_ModelControl;
    if (!mc.WaterQualityOn) return 1;
    const double start = StepStartTime();
    UpdateDaylight();

    EquationSystem& es = g_EquationSystems[WaterQualitySystem];
    if (es.UnknownsPerNode != WQUnknownsPerNode) {
        es.UnknownsPerNode = WQUnknownsPerNode;
        es.StructureBuilt = 0;
    }
    const int solved = RunNewtonIterations(WaterQualitySystem, nullptr);
    if (solved != 1) {
        ReturnToStepStart(start);
        if (solved == 0) mc.DeltaT *= 0.5;
    }
    RefreshAfterSolve();
    return solved;
}

}  // namespace

int RunWaterQualityStep()
{
    return AdvanceTimeStep(SolveWaterQualityStep);
}

void InitialiseWaterQuality()
{
    RefreshAfterSolve();
}

double ComputeDayLengthFraction(int year, int month, int day)
{
    const ModelControl& mc = g_ModelControl;
    const int n = ComputeDayOfYear(year, month, day);
    const double declination =
        MaxDeclinationDegrees * mc.Pi / 180 * std::sin(2 * mc.Pi * (DeclinationDayOffset + n) / DaysPerYear);
    // Cosine of the hour angle of sunset.
    const double g = -std::tan(declination) * std::tan(mc.PhiLatitude * mc.Pi / 180);
    if (g <= -1) return 1;
    if (g >= 1) return 0;
    return std::acos(g) / mc.Pi;
}

void UpdateDaylight()
{
    ModelControl& mc = g_ModelControl;
    const int* date = mc.CurrentDate;
    const double hours = date[3] + date[4] / 60.0 + date[5] / 3600.0;
    const double fraction = ComputeDayLengthFraction(date[0], date[1], date[2]);
    // Sunrise, hours after midnight: the day is centred on 12 + Ftd.
    const double sunrise = 12 + mc.Ftd - 12 * fraction;
    mc.DaylightFlag = hours > sunrise && hours < sunrise + 24 * fraction ? 1.0 : 0.0;
    mc.DayLengthFraction = fraction;
    mc.HoursFromNoon = date[3] - (12 + mc.Ftd);
}

void StoreWQUnknowns(NodeRecord* node)
{
    double* values = g_ModelControl.WQFileType == WQNutrients ? node->WQValues : node->MetalValues;
    std::copy(node->WQUnknowns, node->WQUnknowns + WQUnknownsPerNode, values);
}
