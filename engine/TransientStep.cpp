// The transient step: output schedules, adaptive time step and the model clock.
#include <cmath>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "engine/DynamicIce.h"
#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
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

// What a step may change in a node besides its time-level twins (which ShiftTimeLevel keeps
// as the previous level): border-ice geometry and flags, the ice-front marks, the flags that
// only ever get set during a step, the peaks and the weather of the step start. The record,
// its saving and its restoring are made from this one list, so a field added to it is kept on
// every rejected step.
#define VASQUIL_NODE_STEP_START(X)                                                   \
    X(SolidIceEquivalentArea) X(BorderIceArea) X(BorderEdgeStations)              \
    X(PeakStage) X(PeakFluxDischarge) X(PeakStageTime) X(PeakFluxTime)             \
    X(AirTemperature) X(SolarRadiation)                                            \
    X(BorderIceActive) X(SlushCongested) X(IceFrontStalled) X(IceFrontAtNode) X(NoIceFlag)

struct NodeStepStart {
#define VASQUIL_STEP_START_FIELD(name) decltype(NodeRecord::name) name;
    VASQUIL_NODE_STEP_START(VASQUIL_STEP_START_FIELD)
#undef VASQUIL_STEP_START_FIELD
};

template <class T>
void CopyField(T& to, const T& from)
{
    to = from;
}
template <class T, size_t N>
void CopyField(T (&to)[N], const T (&from)[N])
{
    for (size_t k = 0; k < N; ++k) to[k] = from[k];
}

// Copies the listed fields between a node and its step-start record (either way).
template <class To, class From>
void CopyStepStart(To& to, const From& from)
{
#define VASQUIL_STEP_START_COPY(name) CopyField(to.name, from.name);
    VASQUIL_NODE_STEP_START(VASQUIL_STEP_START_COPY)
#undef VASQUIL_STEP_START_COPY
}

// The step start as SaveStepStart recorded it, by node index and by bridging event.
std::vector<NodeStepStart> s_NodeStart;
std::vector<BridgingEventRecord> s_EventStart;
int s_IceFrontStartedAtStart = 0;

}  // namespace

bool SaveStepStart()
{
    try {
        s_NodeStart.resize(g_NodeIndex.size());
        s_EventStart.clear();
        for (const BridgingEventRecord* e = g_BridgingEvents; e; e = e->Next) s_EventStart.push_back(*e);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (size_t i = 0; i < g_NodeIndex.size(); ++i) {
        const NodeRecord* n = g_NodeIndex[i];
        if (n) CopyStepStart(s_NodeStart[i], *n);
    }
    s_IceFrontStartedAtStart = g_ModelControl.IceFrontStarted;
    return true;
}

// The restored twins are the node states the step started from, so they are not refreshed: a
// refresh would recompute them from what the failed attempt left.
void ReturnToStepStart(double start)
{
    ModelControl& mc = g_ModelControl;
    mc.ModelTime = start;
    UnshiftTimeLevel();
    for (size_t i = 0; i < g_NodeIndex.size() && i < s_NodeStart.size(); ++i) {
        NodeRecord* n = g_NodeIndex[i];
        if (n) CopyStepStart(*n, s_NodeStart[i]);
    }
    size_t k = 0;
    for (BridgingEventRecord* e = g_BridgingEvents; e && k < s_EventStart.size(); e = e->Next, ++k) {
        BridgingEventRecord* next = e->Next;
        *e = s_EventStart[k];
        e->Next = next;
    }
    mc.IceFrontStarted = s_IceFrontStartedAtStart;
}

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

    // The run's final time stops a step as an output time does (without a due flag), so a run
    // ends on it rather than up to a step past it.
    if (mc.FinalTime > start && (!anyOn || mc.FinalTime < earliest)) {
        earliest = mc.FinalTime;
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
    if (!(mc.DeltaT > 0) || !std::isfinite(end) || !(end > start)) return StepCannotProgress;

    if (!SaveStepStart()) return StepNotAssembled;
    ShiftTimeLevel();
    mc.StepStartTime = start;
    mc.ModelTime = end;
    if (shortened) mc.DeltaT = end - start;

    int hydro = NewtonConverged, ice = NewtonConverged, thermal = NewtonConverged, last = NewtonConverged;
    if (mc.HydrodynamicsOn) hydro = SolveHydrodynamicsStep();
    if (mc.DynamicIceOn && hydro == NewtonConverged) ice = SolveDynamicIceStep();
    if (mc.ThermalIceOn && hydro == NewtonConverged) thermal = SolveThermalIceStep();
    // The last system advances over the step only when everything it rests on converged.
    if (solveLast && hydro == NewtonConverged && ice == NewtonConverged && thermal == NewtonConverged)
        last = solveLast();

    const auto converged = [](int r) { return r == NewtonConverged; };
    const auto decided = [](int r) { return r == NewtonConverged || r == NewtonNotConverged; };
    int result = StepMade;
    if (converged(hydro) && converged(ice) && converged(thermal) && converged(last)) {
        mc.DeltaT = shortened ? restoredStep : mc.DeltaT * StepGrowthFactor;
        for (int k = 0; k < 5; ++k)
            if (schedules[k].interval > 0 && mc.ModelTime == next[k]) *schedules[k].due = 1;
    } else {
        // A step that is not made is undone here, whichever system failed: a rejection (a
        // solve did not converge) halves the step, a solve that could not be assembled is
        // reported.
        const bool rejected = decided(hydro) && decided(ice) && decided(thermal) && decided(last);
        ReturnToStepStart(start);
        if (rejected)
            mc.DeltaT *= 0.5;
        else
            result = StepNotAssembled;
        // Halving on below the floor would only crawl (see TimeStepFloor).
        const double floor = TimeStepFloor();
        const bool cutByOutput = shortened && restoredStep * 0.5 >= floor;
        if (rejected && mc.DeltaT < floor && !cutByOutput) result = StepCannotProgress;
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

std::string DescribeFailedStep(int result)
{
    const ModelControl& mc = g_ModelControl;
    char text[256];
    if (result == StepCannotProgress && mc.DeltaT < TimeStepFloor()) {
        char where[96] = "no node's Newton update was a finite number";
        if (const NodeRecord* node = FindLargestHydroIncrementNode())
            std::snprintf(where, sizeof where, "the Newton update was largest at node %d", node->Number);
        std::snprintf(text, sizeof text, "the time step fell to %g s, below the smallest of %g s (%s)", mc.DeltaT,
                      TimeStepFloor(), where);
    } else if (result == StepCannotProgress) {
        std::snprintf(text, sizeof text, "the time step of %g s no longer changes the model time", mc.DeltaT);
    } else if (result == StepNotAssembled) {
        return "the equations could not be assembled (out of memory)";
    } else {
        return {};
    }
    return text;
}
