// The generated river of the thermal benchmarks: surveyed trapezoidal sections in uniform flow,
// the water and ice set for 1, 2 or 6 thermal unknowns per node.
#pragma once

#include <cmath>

#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/ThermalIce.h"
#include "engine/TimeStepping.h"
#include "tests/engine/ChannelReferences.h"
#include "tests/engine/ThermalModel.h"

namespace benchthermal {

constexpr double kBottom = 30, kN = 0.03, kSlope = 0.0003, kDischarge = 60;

// A river of `count` trapezoidal sections 200 m apart in uniform flow, its water and ice set for
// `unknowns` unknowns per node; the thermal system ready to step (hydrodynamics off: the flow
// stays as it is).
inline void BuildBenchRiver(int count, int unknowns)
{
    const double dx = 200;
    testmodel::BuildChain(count, dx, [&](NodeRecord& node, int i) {
        const double z = kSlope * (count - 1 - i) * dx;
        testmodel::SetSection(node, {{0, z + 5}, {10, z}, {10 + kBottom, z}, {20 + kBottom, z + 5}}, kN, 60);
    });
    // Normal depth of the trapezoid (sides 2:1).
    const double yn = testmodel::NormalDepth(kDischarge, kBottom, 2, kN, kSlope);
    for (NodeRecord& n : g_NodeBlock) {
        n.HydroUnknowns[0] = testmodel::AreaAtStage(n, n.Invert + yn);
        n.HydroUnknowns[1] = kDischarge;
    }
    testmodel::SetBoundaries({{0, -1, testmodel::Constant(0, 1, 0, kDischarge)},
                              {count - 1, 1, testmodel::Constant(1, 0, g_NodeBlock.back().Invert + yn, 0)}});
    // Air as warm as the water (without ice) keeps the unknowns per node through the run.
    const double water = unknowns == 1 ? 5.0 : (unknowns == 2 ? 0.5 : 0.0);
    testmodel::MakeThermal(unknowns == 6 ? -12.0 : water, 0.0);
    testmodel::SetInflowIce(g_BoundaryElementBlock[0], {water, 0, 0, unknowns == 6 ? 0.2 : 0, 0.1, 0.05});
    for (NodeRecord& n : g_NodeBlock) {
        testmodel::SetWater(n, water);
        if (unknowns == 6) {
            n.ThermalUnknowns[3] = n.PreviousThermalUnknowns[3] = 0.2;
            n.ThermalUnknowns[4] = n.PreviousThermalUnknowns[4] = 0.1 * 0.2 * kBottom;
            n.ThermalUnknowns[5] = n.PreviousThermalUnknowns[5] = 0.05 * 0.2 * kBottom;
        }
    }
    ModelControl& mc = g_ModelControl;
    mc.BorderIceCoefE = 20;
    mc.DeltaT = mc.MaxDeltaT = 300;
    testmodel::StartRun();
    mc.HydrodynamicsOn = 0;
}

// Opens the next thermal time step: the levels shifted, the model time advanced.
inline void OpenThermalStep()
{
    ModelControl& mc = g_ModelControl;
    ShiftTimeLevel();
    mc.StepStartTime = mc.ModelTime;
    mc.ModelTime += mc.DeltaT;
}

// The river after one whole thermal step, which sets the unknowns per node and the matrix
// structure, and the next step opened: ready for Newton iterations.
inline void PrepareThermalIterations(int count, int unknowns)
{
    BuildBenchRiver(count, unknowns);
    OpenThermalStep();
    SolveThermalIceStep();
    OpenThermalStep();
}

// Whether a step of the river's unknowns per node keeps the previous level through its
// iterations (ThermalPreviousLevelHold): the iterations of the benchmarks hold it as the step does.
inline bool StepKeepsPreviousLevel()
{
    return g_EquationSystems[ThermalIceSystem].UnknownsPerNode == 6;
}

// One Newton iteration of the thermal system: the assembly, the profile solve and update.
// False when either failed.
inline bool ThermalNewtonIteration()
{
    const bool assembled = AssembleProfileMatrix(ThermalIceSystem) == Assembled;
    return SolveAndUpdate(ThermalIceSystem) == 0 && assembled;
}

}  // namespace benchthermal
