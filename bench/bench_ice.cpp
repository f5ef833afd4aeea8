// Cost per node of a dynamic-ice step (the Newton iterations of the ice area and velocity,
// with the negative-ice correction), of one such Newton iteration, and of a steady pass with the ice-jam stability solution
// (the jam walk alone, and the whole pass with its hydrodynamics), on generated rectangular
// channels of 1,000 and 10,000 nodes. Counts heap allocations inside the ice Newton loop and
// the jam walk, which must be none.
//
// A step's iterations depend on the size: the cover changes near the inflow, and the relative
// norm of the update spreads that change over the whole river, so a long river converges in
// fewer iterations (after a few steps, one at 10,000 nodes where 1,000 take two). The step
// reports its cost per node and iteration beside its cost per node; the iteration alone does
// the same work at every size.
#include <benchmark/benchmark.h>

#include <cmath>

#include "bench/AllocationCount.h"
#include "bench/BenchSupport.h"
#include "bench/IceBenchChannel.h"
#include "engine/DynamicIce.h"
#include "engine/EngineData.h"
#include "engine/JamStability.h"
#include "engine/ModelSetup.h"
#include "engine/SteadyRun.h"
#include "engine/TimeStepping.h"
#include "tests/engine/ModelBuilder.h"

namespace {

long long Allocations()
{
    return g_Allocations.load(std::memory_order_relaxed);
}

void DynamicIceStep(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    benchice::BuildChannel(count, 2, 8.0, 0);
    ModelControl& mc = g_ModelControl;
    mc.HydrodynamicsOn = 0;   // the flow stands: only the ice is timed
    long long allocations = 0, iterations = 0;
    int steps = 0;
    for (auto _ : state) {
        benchice::OpenIceStep();
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
    // Time per node and Newton iteration: per_node over the iterations of a step.
    state.counters["per_node_iteration"] = benchmark::Counter(
        static_cast<double>(count) * static_cast<double>(iterations),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["allocations"] = static_cast<double>(allocations);
    ReleaseModel();
}

// One Newton iteration of the ice step (assembly, solve and update, negative-ice correction) on
// the same state at every size.
void DynamicIceNewtonIteration(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    if (!benchice::PrepareIceIterations(count)) state.SkipWithError("the first ice step did not converge");
    long long allocations = 0;
    for (auto _ : state) {
        const long long before = Allocations();
        const bool done = benchice::IceNewtonIteration();
        allocations += Allocations() - before;
        if (!done) state.SkipWithError("the ice iteration failed");
    }
    if (allocations != 0) state.SkipWithError("heap allocation inside the ice Newton iteration");
    benchsupport::PerNode(state, count);
    state.counters["allocations"] = static_cast<double>(allocations);
    ReleaseModel();
}

// The jam walk alone: the march down the reach, the erosion limit and the damping.
void JamWalk(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    benchice::BuildChannel(count, 1, 0, 0.5);
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
    benchice::BuildChannel(count, 1, 0, 0.5);
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
BENCHMARK(DynamicIceNewtonIteration)->Arg(1000)->Arg(10000)->ArgName("nodes")->Unit(benchmark::kMicrosecond);
BENCHMARK(JamWalk)->Arg(1000)->Arg(10000)->ArgName("nodes")->Unit(benchmark::kMicrosecond);
BENCHMARK(JamPass)->Arg(1000)->Arg(10000)->ArgName("nodes")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
