// Cost per node of a dynamic-ice step (the Newton iterations of the ice area and velocity,
// with the negative-ice correction) and of a steady pass with the ice-jam stability solution
// (the jam walk alone, and the whole pass with its hydrodynamics), on generated rectangular
// channels of 1,000 and 10,000 nodes. Counts heap allocations inside the ice Newton loop and
// the jam walk, which must be none.
#include <benchmark/benchmark.h>

#include <cmath>

#include "bench/AllocationCount.h"
#include "bench/BenchSupport.h"
#include "engine/DynamicIce.h"
#include "engine/EngineData.h"
#include "engine/JamStability.h"
#include "engine/ModelSetup.h"
#include "engine/SteadyRun.h"
#include "engine/TimeStepping.h"
#include "tests/engine/ModelBuilder.h"

namespace {

constexpr double kWidth = 100, kDepth = 2, kVelocity = 1, kN = 0.03, kDx = 100;

long long Allocations()
{
    return g_Allocations.load(std::memory_order_relaxed);
}

// A rectangular channel in uniform flow with its bed slope for Manning's law.
void BuildChannel(int count, int fileType, double iceArea, double jamThickness)
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

void DynamicIceStep(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    BuildChannel(count, 2, 8.0, 0);
    ModelControl& mc = g_ModelControl;
    mc.HydrodynamicsOn = 0;   // the flow stands: only the ice is timed
    long long allocations = 0, iterations = 0;
    int steps = 0;
    for (auto _ : state) {
        ShiftTimeLevel();
        mc.StepStartTime = mc.ModelTime;
        mc.ModelTime += mc.DeltaT;
        // The first step sizes the matrix and the element arrays; every later one reuses them.
        const long long before = Allocations();
        const int solved = SolveDynamicIceStep();
        if (steps++ > 0) allocations += Allocations() - before;
        iterations += g_EquationSystems[DynamicIceSystem].IterationCount;
        if (solved != 1) state.SkipWithError("the ice step did not converge");
    }
    if (allocations != 0) state.SkipWithError("heap allocation inside the ice Newton loop");
    benchsupport::PerNode(state, count);
    state.counters["newton_iterations"] = static_cast<double>(iterations) / double(state.iterations());
    state.counters["allocations"] = static_cast<double>(allocations);
    ReleaseModel();
}

// The jam walk alone: the march down the reach, the erosion limit and the damping.
void JamWalk(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    BuildChannel(count, 1, 0, 0.5);
    ModelControl& mc = g_ModelControl;
    mc.SteadyIteration = 0;
    RunSteadyJamPass(nullptr);            // a pass, so the jam can be solved
    ComputeSurfaceSlopes();
    mc.MaxDischargeChangeJSE = 1e9;       // solved whatever the flow does
    long long allocations = 0;
    for (auto _ : state) {
        const long long before = Allocations();
        const int solved = SolveIceJamStability();
        allocations += Allocations() - before;
        if (solved != 1) state.SkipWithError("the jam was not solved");
    }
    if (allocations != 0) state.SkipWithError("heap allocation inside the jam walk");
    benchsupport::PerNode(state, count);
    state.counters["allocations"] = static_cast<double>(allocations);
    ReleaseModel();
}

// A whole steady pass with the jam: the jam, a pseudo-time step of the hydrodynamics, the
// slopes and ice levels.
void JamPass(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    BuildChannel(count, 1, 0, 0.5);
    ModelControl& mc = g_ModelControl;
    mc.SteadyIteration = 0;
    mc.MaxDischargeChangeJSE = 1e9;
    long long iterations = 0;
    for (auto _ : state) {
        JamPassReport report;
        if (RunSteadyJamPass(&report) < 0) state.SkipWithError("the pass could not be made");
        iterations += g_EquationSystems[HydrodynamicSystem].IterationCount;
    }
    benchsupport::PerNode(state, count);
    state.counters["newton_iterations"] = static_cast<double>(iterations) / double(state.iterations());
    ReleaseModel();
}

}  // namespace

BENCHMARK(DynamicIceStep)->Arg(1000)->Arg(10000)->ArgName("nodes")->Unit(benchmark::kMicrosecond);
BENCHMARK(JamWalk)->Arg(1000)->Arg(10000)->ArgName("nodes")->Unit(benchmark::kMicrosecond);
BENCHMARK(JamPass)->Arg(1000)->Arg(10000)->ArgName("nodes")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
