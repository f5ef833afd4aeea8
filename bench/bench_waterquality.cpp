// Water-quality files and the water-quality step on generated rectangular reaches: loading and
// saving a file of 10,000 nodes with a 100,000-row inflow series; the cost per node of a
// water-quality step at 1,000 and 10,000 nodes, for nutrients and for xenobiotics (the
// hydrodynamics switched off, so the figure is the step's own and system 3's solve, with the
// heap allocations it makes, none expected); and the cost per node of one refresh of the
// kinetics.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/AllocationCount.h"
#include "bench/BenchSupport.h"
#include "bench/WaterQualityBenchReach.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"
#include "engine/WaterQuality.h"
#include "engine/WaterQualityFile.h"

namespace {

using benchsupport::PerNode;
using benchsupport::Silence;
using benchwq::GenerateModel;
using benchwq::GenerateWaterQuality;
using benchwq::LoadModel;
using benchwq::LoadReach;

void LoadWaterQuality(benchmark::State& state)
{
    const int nodes = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    std::string model = GenerateModel(nodes);
    std::string wq = GenerateWaterQuality(nodes, rows, WQNutrients);
    {
        Silence quiet;
        if (!LoadModel(model)) state.SkipWithError("the model was refused");
        for (auto _ : state)
            if (ReadWQFile(fmemopen(wq.data(), wq.size(), "r")) != 0) state.SkipWithError("the file was refused");
        ReleaseModel();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(wq.size()));
}

void SaveWaterQuality(benchmark::State& state)
{
    const int nodes = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    std::string model = GenerateModel(nodes);
    std::string wq = GenerateWaterQuality(nodes, rows, WQNutrients);
    {
        Silence quiet;
        if (!LoadModel(model) || ReadWQFile(fmemopen(wq.data(), wq.size(), "r")) != 0)
            state.SkipWithError("the files were refused");
        for (auto _ : state)
            if (WriteWQFile(std::fopen("/dev/null", "w")) != 0) state.SkipWithError("the file was not written");
        ReleaseModel();
    }
}

void WaterQualityStep(benchmark::State& state)
{
    const int type = static_cast<int>(state.range(0));
    const int nodes = static_cast<int>(state.range(1));
    if (!LoadReach(nodes, type)) state.SkipWithError("the files were refused");
    Silence quiet;
    ModelControl& mc = g_ModelControl;
    RunWaterQualityStep();   // the first step builds the profile structure
    // Every measured step is the same one: from the state and clock after the first.
    const double start = mc.ModelTime, step = mc.DeltaT;
    std::vector<double> values;
    for (const NodeRecord* n : g_NodeIndex) values.insert(values.end(), n->WQUnknowns, n->WQUnknowns + 6);
    long long allocations = 0, iterations = 0;
    for (auto _ : state) {
        const long long before = g_Allocations.load(std::memory_order_relaxed);
        if (RunWaterQualityStep() != 0) state.SkipWithError("the step failed");
        allocations += g_Allocations.load(std::memory_order_relaxed) - before;
        iterations += g_EquationSystems[WaterQualitySystem].IterationCount;
        state.PauseTiming();
        for (size_t i = 0; i < g_NodeIndex.size(); ++i)
            std::copy_n(values.data() + 6 * i, 6, g_NodeIndex[i]->WQUnknowns);
        mc.ModelTime = start;
        mc.DeltaT = step;
        InitialiseWaterQuality();
        state.ResumeTiming();
    }
    ReleaseModel();
    PerNode(state, nodes);
    if (allocations != 0) state.SkipWithError("heap allocation inside the water-quality step");
    state.counters["allocations"] = static_cast<double>(allocations);
    state.counters["newton_iterations"] = static_cast<double>(iterations) / static_cast<double>(state.iterations());
}

// One refresh of the kinetics of every node, as a step's closing refresh makes it.
void WaterQualityKinetics(benchmark::State& state)
{
    const int type = static_cast<int>(state.range(0));
    const int nodes = static_cast<int>(state.range(1));
    if (!LoadReach(nodes, type)) state.SkipWithError("the files were refused");
    for (auto _ : state)
        for (NodeRecord* n : g_NodeIndex) ComputeWQKinetics(n);
    ReleaseModel();
    PerNode(state, nodes);
}

BENCHMARK(LoadWaterQuality)->Args({10000, 100000})->ArgNames({"nodes", "rows"})->Unit(benchmark::kMillisecond);
BENCHMARK(SaveWaterQuality)->Args({10000, 100000})->ArgNames({"nodes", "rows"})->Unit(benchmark::kMillisecond);
// Type 0 nutrients, 2 xenobiotics.
BENCHMARK(WaterQualityStep)
    ->ArgsProduct({{WQNutrients, WQXenobiotics}, {1000, 10000}})
    ->ArgNames({"type", "nodes"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(WaterQualityKinetics)
    ->ArgsProduct({{WQNutrients, WQXenobiotics}, {1000, 10000}})
    ->ArgNames({"type", "nodes"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
