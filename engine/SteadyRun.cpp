// Steady runs: pseudo-time passes at theta 1 with the steady tolerances.
#include "engine/SteadyRun.h"

#include <cmath>

#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/JamStability.h"
#include "engine/ThermalIce.h"
#include "engine/TimeStepping.h"

namespace {

bool CanStep()
{
    const double dt = g_ModelControl.DeltaT;
    return dt > 0 && std::isfinite(dt);
}

// The pseudo-time step of a pass: the hydrodynamics and, with `thermal`, the thermal ice at
// theta 1. Returns as RunSteadyPass.
int SteadyStep(bool thermal)
{
    ModelControl& mc = g_ModelControl;
    EquationSystem& hydroSystem = g_EquationSystems[HydrodynamicSystem];
    EquationSystem& thermalSystem = g_EquationSystems[ThermalIceSystem];
    const double hydroTheta = hydroSystem.Theta;
    const double thermalTheta = thermalSystem.Theta;
    double tolerances[EquationSystemCount];
    for (int k = 0; k < EquationSystemCount; ++k) {
        tolerances[k] = g_EquationSystems[k].Tolerance;
        g_EquationSystems[k].Tolerance = g_EquationSystems[k].SteadyTolerance;
    }
    const double modelTime = mc.ModelTime;

    mc.SteadyIteration += 1;
    hydroSystem.Theta = 1.0;
    if (thermal) thermalSystem.Theta = 1.0;
    mc.ModelTime = 0;
    mc.StepStartTime = 0;
    int r = SteadyPassNotMade;
    if (SaveStepStart()) {
        r = NewtonConverged;
        ShiftTimeLevel();
        if (mc.HydrodynamicsOn == 1) r = SolveHydrodynamicsStep();
        if (thermal && mc.ThermalIceOn == 1 && r == NewtonConverged) r = SolveThermalIceStep();
        if (r == NewtonConverged) {
            mc.DeltaT *= StepGrowthFactor;
            if (mc.DeltaT > mc.MaxDeltaT) mc.DeltaT = mc.MaxDeltaT;
        } else {
            // Not converged: the pass is repeated with half the step; not assembled: reported.
            ReturnToStepStart(0);
            if (r == NewtonNotConverged)
                mc.DeltaT *= 0.5;
            else
                r = SteadyPassNotMade;
        }
    }

    mc.ModelTime = modelTime;
    hydroSystem.Theta = hydroTheta;
    thermalSystem.Theta = thermalTheta;
    for (int k = 0; k < EquationSystemCount; ++k) g_EquationSystems[k].Tolerance = tolerances[k];
    return r;
}

}  // namespace

int RunSteadyPass()
{
    if (!CanStep()) return SteadyPassNotMade;
    const int r = SteadyStep(true);
    for (NodeRecord* n : g_NodeIndex) UpdateNodeIceElevations(n);
    return r;
}

int RunSteadyJamPass(JamPassReport* report)
{
    if (report) *report = JamPassReport{};
    if (!CanStep()) return SteadyPassNotMade;
    double change = 0;
    const int solved = SolveIceJamStability(&change);
    if (report) {
        report->Solved = solved;
        report->LargestThicknessChange = change;
    }
    const int r = SteadyStep(false);
    ComputeSurfaceSlopes();
    for (NodeRecord* n : g_NodeIndex) UpdateNodeIceElevations(n);
    return r;
}
