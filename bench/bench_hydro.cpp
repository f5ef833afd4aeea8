// Cost of the hydrodynamic Newton iteration (assembly plus profile solve and update) per node,
// on generated channels of 100 to 10,000 nodes (kind 0: rectangles in the rectangular
// formulation; kind 1 and 2: surveyed trapezoids in the natural formulation and in its
// conservation form; kind 3: rectangles in the natural formulation), the run time of a 24-hour
// flood on the same channels, and a 48-hour flood through a 50 km channel of 1,001 nodes run by
// the transient step with the longest step at 60 s and at 600 s (no outputs). Counts heap allocations inside the Newton loop,
// which must be none.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "bench/AllocationCount.h"
#include "bench/HydroBenchChannel.h"
#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/ModelSetup.h"
#include "engine/TimeStepping.h"
#include "tests/engine/ModelBuilder.h"

namespace {

using benchchannel::BuildBenchChannel;

void NewtonIteration(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    BuildBenchChannel(count, static_cast<int>(state.range(1)));
    ShiftTimeLevel();
    g_ModelControl.StepStartTime = g_ModelControl.ModelTime;
    g_ModelControl.ModelTime += g_ModelControl.DeltaT;
    g_EquationSystems[HydrodynamicSystem].StructureBuilt = 1;

    long long allocations = 0;
    for (auto _ : state) {
        const long long before = g_Allocations.load(std::memory_order_relaxed);
        const int assembled = AssembleProfileMatrix(HydrodynamicSystem);
        const int failed = SolveAndUpdate(HydrodynamicSystem);
        ComputeNodeFluxDischarge();
        allocations += g_Allocations.load(std::memory_order_relaxed) - before;
        benchmark::DoNotOptimize(assembled + failed);
    }
    if (allocations != 0) state.SkipWithError("heap allocation inside the Newton loop");
    state.counters["time_per_node"] = benchmark::Counter(static_cast<double>(state.iterations()) * count,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["allocations"] = static_cast<double>(allocations);
    ReleaseModel();
}

// A 24-hour flood: steps of at most 300 s with the adaptive step of the transient runs.
void FloodRun(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const int kind = static_cast<int>(state.range(1));
    long long iterations = 0, steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        BuildBenchChannel(count, kind);
        state.ResumeTiming();
        const bool ok = testmodel::RunTo(24 * 3600.0, [&] {
            iterations += g_EquationSystems[HydrodynamicSystem].IterationCount;
            ++steps;
        });
        if (!ok) state.SkipWithError("the flood run did not progress");
    }
    state.counters["steps"] = static_cast<double>(steps) / double(state.iterations());
    state.counters["newton_iterations"] = static_cast<double>(iterations) / double(state.iterations());
    ReleaseModel();
}

// A 48-hour flood through a 50 km channel of 1,001 nodes (50 m apart), stepped by the
// transient step with every output off, the longest step given in seconds. Reports the
// accepted steps, the Newton iterations per accepted step (those of rejected attempts
// included) and the cost per node and iteration.
void Flood48Hours(benchmark::State& state)
{
    const int count = 1001;
    const int kind = static_cast<int>(state.range(1));
    ModelControl& mc = g_ModelControl;
    long long iterations = 0, steps = 0;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        BuildBenchChannel(count, kind, 50);
        mc.MaxDeltaT = mc.DeltaT = static_cast<double>(state.range(0));
        mc.FinalTime = 48 * 3600.0;
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        int failures = 0;
        while (mc.ModelTime < mc.FinalTime && failures < 1000) {
            const double before = mc.ModelTime;
            if (TransientStep() != 0) break;
            iterations += g_EquationSystems[HydrodynamicSystem].IterationCount;
            if (mc.ModelTime > before) ++steps;
            else ++failures;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (mc.ModelTime < mc.FinalTime) state.SkipWithError("the flood run did not reach 48 h");
    }
    state.counters["steps"] = static_cast<double>(steps) / double(state.iterations());
    state.counters["iterations_per_step"] = steps ? static_cast<double>(iterations) / double(steps) : 0.0;
    state.counters["us_per_node_iteration"] =
        iterations ? 1e6 * seconds / (static_cast<double>(iterations) * count) : 0.0;
    ReleaseModel();
}

}  // namespace

BENCHMARK(Flood48Hours)
    ->ArgsProduct({{60, 600}, {0, 1, 3}})
    ->ArgNames({"max_step_s", "kind"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(NewtonIteration)
    ->ArgsProduct({{100, 1000, 10000}, {0, 1, 2, 3}})
    ->ArgNames({"nodes", "kind"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(FloodRun)
    ->ArgsProduct({{100, 1000, 10000}, {0, 1, 2}})
    ->ArgNames({"nodes", "kind"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

BENCHMARK_MAIN();
