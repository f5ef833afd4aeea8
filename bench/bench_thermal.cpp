// Cost of the thermal system per node, on generated rivers of 1,000 and 10,000 surveyed nodes in
// uniform flow, with 1, 2 and 6 unknowns per node (water at 5 degC; at 0.5 degC; at 0 degC with
// drifting surface ice and border ice in freezing air): one Newton iteration (assembly, profile
// solve and update) and one whole thermal step (border ice, ice front, iterations, finish).
// Counts heap allocations in both, which must be none while the unknowns per node stay the same
// (a change rebuilds the matrix structure).
#include <benchmark/benchmark.h>

#include <cmath>

#include "bench/AllocationCount.h"
#include "bench/BenchSupport.h"
#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/ThermalIce.h"
#include "engine/TimeStepping.h"
#include "tests/engine/ChannelReferences.h"
#include "tests/engine/ThermalModel.h"

namespace {

constexpr double kBottom = 30, kN = 0.03, kSlope = 0.0003, kDischarge = 60;

// A river of `count` trapezoidal sections 200 m apart in uniform flow, its water and ice set for
// `unknowns` unknowns per node; the thermal system ready to step (hydrodynamics off: the flow
// stays as it is).
void BuildBenchRiver(int count, int unknowns)
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
    BuildBenchRiver(count, static_cast<int>(state.range(1)));
    ModelControl& mc = g_ModelControl;
    // One step sets the unknowns per node and the matrix structure.
    ShiftTimeLevel();
    mc.StepStartTime = mc.ModelTime;
    mc.ModelTime += mc.DeltaT;
    SolveThermalIceStep();
    ShiftTimeLevel();
    mc.StepStartTime = mc.ModelTime;
    mc.ModelTime += mc.DeltaT;

    long long allocations = 0;
    for (auto _ : state) {
        const long long before = g_Allocations.load(std::memory_order_relaxed);
        const int assembled = AssembleProfileMatrix(ThermalIceSystem);
        const int failed = SolveAndUpdate(ThermalIceSystem);
        allocations += g_Allocations.load(std::memory_order_relaxed) - before;
        benchmark::DoNotOptimize(assembled + failed);
    }
    Report(state, count, allocations);
    ReleaseModel();
}

void ThermalStep(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    BuildBenchRiver(count, static_cast<int>(state.range(1)));
    ModelControl& mc = g_ModelControl;
    const auto step = [&] {
        ShiftTimeLevel();
        mc.StepStartTime = mc.ModelTime;
        mc.ModelTime += mc.DeltaT;
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
