// The transient step: output schedules, adaptive time step and the model clock.
#include <cmath>

#include "engine/DynamicIce.h"
#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/ThermalIce.h"
#include "engine/TimeStepping.h"

namespace {

// The five output schedules in the order their next times are computed.
struct Schedule {
    double interval;
    int* due;
};

}  // namespace

double TimeStepFloor()
{
    return std::fmin(MinimumTimeStep, std::ldexp(g_ModelControl.MaxDeltaT, -StepFloorHalvings));
}

int AdvanceTimeStep(int (*solveLast)())
{
    ModelControl& mc = g_ModelControl;
    const Schedule schedules[5] = {
        {mc.SeriesInterval, &mc.SeriesDue},
        {mc.SnapshotInterval, &mc.SnapshotDue},
        {mc.IceFrontInterval, &mc.IceFrontDue},
        {mc.StateFileInterval, &mc.StateFileDue},
        {mc.DatabaseInterval, &mc.DatabaseDue},
    };

    // The step start is kept and put back exactly; it is never recomputed by subtraction.
    const double start = mc.ModelTime;
    for (const Schedule& s : schedules) *s.due = 0;

    // Next output time of every schedule that is on (an interval of 0 switches it off).
    double next[5] = {};
    bool anyOn = false;
    double earliest = 0;
    for (int k = 0; k < 5; ++k) {
        const double interval = schedules[k].interval;
        if (!(interval > 0)) continue;
        next[k] = start - std::fmod(start, interval) + interval;
        if (!anyOn || next[k] < earliest) earliest = next[k];
        anyOn = true;
    }

    double end = start + mc.DeltaT;
    double restoredStep = 0;
    bool shortened = false;
    if (anyOn && end > earliest) {
        restoredStep = mc.DeltaT;
        shortened = true;
        end = earliest;
    }
    // A step that cannot move the clock forward would be repeated for ever.
    if (!(mc.DeltaT > 0) || !std::isfinite(end) || !(end > start)) return 1;

    ShiftTimeLevel();
    mc.StepStartTime = start;
    mc.ModelTime = end;
    if (shortened) mc.DeltaT = end - start;

    int hydro = 1, ice = 1, thermal = 1, last = 1;
    if (mc.HydrodynamicsOn) hydro = SolveHydrodynamicsStep();
    if (mc.DynamicIceOn && hydro == 1) ice = SolveDynamicIceStep();
    if (mc.ThermalIceOn && hydro == 1) thermal = SolveThermalIceStep();
    // The last system advances over the step only when everything it rests on converged.
    if (solveLast && hydro == 1 && ice == 1 && thermal == 1) last = solveLast();

    int result = 0;
    if (hydro == 1 && ice == 1 && thermal == 1 && last == 1) {
        mc.DeltaT = shortened ? restoredStep : mc.DeltaT * 1.5;
        for (int k = 0; k < 5; ++k)
            if (schedules[k].interval > 0 && mc.ModelTime == next[k]) *schedules[k].due = 1;
    } else {
        // A rejected solve has restored the previous level and halved the step; its clock is
        // put back to the exact start. A solve that could not be assembled returned before
        // any roll-back: the whole step is undone here and reported.
        const bool rejected = (hydro == 0 || hydro == 1) && (ice == 0 || ice == 1) &&
                              (thermal == 0 || thermal == 1) && (last == 0 || last == 1);
        if (!rejected) {
            RestorePreviousLevel();
            result = 2;
        }
        mc.ModelTime = start;
        // Halving on below the floor would only crawl (see TimeStepFloor).
        const double floor = TimeStepFloor();
        const bool cutByOutput = shortened && restoredStep * 0.5 >= floor;
        if (rejected && mc.DeltaT < floor && !cutByOutput) result = 1;
    }
    if (mc.DeltaT > mc.MaxDeltaT) mc.DeltaT = mc.MaxDeltaT;

    ComputeCalendarDate(mc.CurrentDate);
    for (NodeRecord* n = g_Nodes; n; n = n->Next) UpdateNodeIceElevations(n);
    return result;
}

int TransientStep()
{
    return AdvanceTimeStep(nullptr);
}
