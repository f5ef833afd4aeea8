// The generated channel of the ice benchmarks: a rectangular channel in uniform flow carrying
// a dynamic ice cover or a static ice jam, with inflow ice at its upstream end.
#pragma once

#include <cmath>

#include "engine/DynamicIce.h"
#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/ModelSetup.h"
#include "engine/TimeStepping.h"
#include "tests/engine/ModelBuilder.h"

namespace benchice {

constexpr double kWidth = 100, kDepth = 2, kVelocity = 1, kN = 0.03, kDx = 100;

// A rectangular channel of `count` nodes in uniform flow with its bed slope for Manning's law:
// File Type 2 with a dynamic ice cover of `iceArea` (m2) at the first node thinning down the
// river, File Type 1 with a jam of `jamThickness` (m) below the first node.
inline void BuildChannel(int count, int fileType, double iceArea, double jamThickness)
{
    const double slope =
        std::pow(kN * kVelocity, 2) / std::pow(kWidth * kDepth / (kWidth + 2 * kDepth), 4.0 / 3.0);
    testmodel::BuildChain(count, kDx, [&](NodeRecord& n, int i) {
        n.RectWidth = kWidth;
        n.ManningN = kN;
        n.Invert = slope * kDx * (count - 1 - i);
        n.HydroUnknowns[0] = kWidth * kDepth;
        n.HydroUnknowns[1] = kWidth * kDepth * kVelocity;
        // Dynamic ice: a cover thinning down the river.
        n.IceUnknowns[0] = n.IceUnknowns[1] = 0;
        if (fileType == 2) n.IceUnknowns[0] = iceArea * (1.0 - static_cast<double>(i) / count);
        // Static ice: a jam below the first node.
        if (fileType == 1 && i > 0) {
            n.JamFlag = 1;
            n.IceConcentration = 1;
            n.IceRoughness = 0.06;
            n.SolidEquivalentThickness = n.IceThickness = n.EffectiveIceThickness = jamThickness;
            n.HydroUnknowns[0] += 0.917 * jamThickness * kWidth;
        }
    });
    ModelControl& mc = g_ModelControl;
    mc.FileType = fileType;
    mc.IceDensity = mc.IceSpecificGravity * mc.WaterDensity;
    mc.DynamicIceOn = fileType == 2 ? 1 : 0;
    mc.DeltaT = 30;
    mc.MaxDeltaT = 600;
    const double q = kWidth * kDepth * kVelocity;
    testmodel::BoundaryInput inflow = testmodel::Constant(0, 1, 0, q);
    const double outlet = g_NodeBlock.back().Invert + g_NodeBlock.back().HydroUnknowns[0] / kWidth;
    testmodel::SetBoundaries({{0, -1, inflow}, {count - 1, 1, testmodel::Constant(1, 0, outlet, 0)}});
    BoundaryHydrograph* h = g_BoundaryElementBlock[0].Hydrograph;
    h->Columns[6].assign(2, 0.3);
    h->Columns[8].assign(2, 0.1);
    testmodel::StartRun();
}

// Opens the next time step of the dynamic ice: the levels shifted, the model time advanced.
inline void OpenIceStep()
{
    ModelControl& mc = g_ModelControl;
    ShiftTimeLevel();
    mc.StepStartTime = mc.ModelTime;
    mc.ModelTime += mc.DeltaT;
}

// The channel of dynamic ice with the flow standing (only the ice is solved), after one whole
// ice step that sizes the matrix and the element arrays, and the next step opened: ready for
// Newton iterations of the same work at every count. False when the first step failed.
inline bool PrepareIceIterations(int count)
{
    BuildChannel(count, 2, 8.0, 0);
    g_ModelControl.HydrodynamicsOn = 0;
    OpenIceStep();
    const bool solved = SolveDynamicIceStep() == NewtonConverged;
    OpenIceStep();
    return solved;
}

// One Newton iteration of the dynamic ice as a step makes it: the assembly, the profile solve
// and update, and the negative-ice correction. False when the assembly or the solve failed.
inline bool IceNewtonIteration()
{
    if (AssembleProfileMatrix(DynamicIceSystem) != Assembled) return false;
    const bool solved = SolveAndUpdate(DynamicIceSystem) == 0;
    CorrectNegativeIce();
    return solved;
}

}  // namespace benchice
