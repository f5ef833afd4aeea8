// Cost of the thermal system per node, on generated rivers of 1,000 and 10,000 surveyed nodes in
// uniform flow, with 1, 2 and 6 unknowns per node (water at 5 degC; at 0.5 degC; at 0 degC with
// drifting surface ice and border ice in freezing air): one Newton iteration (assembly, profile
// solve and update) and one whole thermal step (border ice, ice front, iterations, finish).
// Counts heap allocations in both, which must be none while the unknowns per node stay the same
// (a change rebuilds the matrix structure).
#include <benchmark/benchmark.h>

#include "bench/AllocationCount.h"
#include "bench/BenchSupport.h"
#include "bench/ThermalBenchRiver.h"
#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/ThermalIce.h"
#include "engine/TimeStepping.h"

namespace {

void Report(benchmark::State& state, int count, long long allocations)
{
    if (allocations != 0) state.SkipWithError("heap allocation inside the thermal step");
    benchsupport::PerNode(state, count);
    state.counters["allocations"] = static_cast<double>(allocations);
    state.counters["unknowns"] = g_EquationSystems[ThermalIceSystem].UnknownsPerNode;
}

void ThermalNewtonIteration(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    benchthermal::PrepareThermalIterations(count, static_cast<int>(state.range(1)));
    const ThermalPreviousLevelHold hold(benchthermal::StepKeepsPreviousLevel());
    long long allocations = 0;
    for (auto _ : state) {
        const long long before = g_Allocations.load(std::memory_order_relaxed);
        const bool done = benchthermal::ThermalNewtonIteration();
        allocations += g_Allocations.load(std::memory_order_relaxed) - before;
        benchmark::DoNotOptimize(done);
    }
    Report(state, count, allocations);
    ReleaseModel();
}

void ThermalStep(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    benchthermal::BuildBenchRiver(count, static_cast<int>(state.range(1)));
    ModelControl& mc = g_ModelControl;
    const auto step = [] {
        benchthermal::OpenThermalStep();
        return SolveThermalIceStep();
    };
    step();
    long long allocations = 0, iterations = 0;
    for (auto _ : state) {
        const long long before = g_Allocations.load(std::memory_order_relaxed);
        const int result = step();
        allocations += g_Allocations.load(std::memory_order_relaxed) - before;
        iterations += g_EquationSystems[ThermalIceSystem].IterationCount;
        if (result != 1) state.SkipWithError("the thermal step was not accepted");
        mc.DeltaT = 300;
    }
    Report(state, count, allocations);
    state.counters["newton_iterations"] = static_cast<double>(iterations) / static_cast<double>(state.iterations());
    ReleaseModel();
}

}  // namespace

BENCHMARK(ThermalNewtonIteration)
    ->ArgsProduct({{1000, 10000}, {1, 2, 6}})
    ->ArgNames({"nodes", "unknowns"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(ThermalStep)
    ->ArgsProduct({{1000, 10000}, {1, 2, 6}})
    ->ArgNames({"nodes", "unknowns"})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
