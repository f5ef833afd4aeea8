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
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"
#include "engine/WaterQuality.h"
#include "engine/WaterQualityFile.h"

namespace {

using benchsupport::PerNode;
using benchsupport::Silence;

// A metric open-water reach of rectangular nodes 10 m apart, inflow upstream, stage downstream.
std::string GenerateModel(int nodes)
{
    std::string t;
    char line[512];
    std::snprintf(line, sizeof line,
                  " File Type = 0\n Delta t (s) = 60\n Max Delta t (s) = 60\n Model Time (s) = 0\n"
                  " Simulation Start DateTime (YYYY MM DD HH MM SS) = 2024 06 01 00 00 00\n"
                  " Number of Nodes = %d\n Number of Elements = %d\n Number of  Boundary Elements = 2\n"
                  " Number of Junctions = 0\n System of units = 1\n",
                  nodes, nodes - 1);
    t += line;
    t += " Upwinding = 0.25 0 Theta = 0.6 Tolerance = 1e-05 Formulation = 0 Alpha = 0.5\n Water Temperature = 12\n";
    for (int i = 0; i < nodes; ++i) {
        const double bed = 100 - 0.005 * i;
        std::snprintf(line, sizeof line, "\t%d\t0\t0\t1\t%.1f\t0\t%.3f\t%.4f\t0.03\t20\t1\t%.4f\t30 \n", i + 1, 10.0 * i,
                      0.01 * i, bed, bed + 1.6);
        t += line;
    }
    for (int e = 1; e < nodes; ++e) {
        std::snprintf(line, sizeof line, "\t%d\t%d\t%d\t0\t0\t0\t0\t0 \n", e, e, e + 1);
        t += line;
    }
    std::snprintf(line, sizeof line, "\t1\t1\t-1\t0\t1\t2\t0\t30\t1000\t30\n\t2\t%d\t1\t1\t0\t2\t0\t%.4f\t1000\t%.4f\n",
                  nodes, 101.6 - 0.005 * (nodes - 1), 101.6 - 0.005 * (nodes - 1));
    t += line;
    return t;
}

// Coefficients of the sample river's nutrients, in file order.
const char* const NutrientCoefficients =
    "52.5 4992 1 1608 1.024 3 1.05 3.5 1 0.5 1.047 2 3.93 0.5 -1.5 0 0.5 1.065 0.5 0.8 1 0.29 0.066 0.109 1 0.2 "
    "1.08 4.57 0.05 1 0.1 1.16 0.009 0.009 0.5 0.8 1 0.1 1.02 0.1 1.02\n";
// Coefficients of a xenobiotic (metal part, then the 19 of xenobiotics, the acid flag 1).
const char* const XenobioticCoefficients =
    "5e4 1 0.1 0.1 0.05 0.1 0.2 1 150 1300 0.6 1 100 1 0.8 "
    "0.2 0.05 1 1 1.05 0.5 0.3 2 1 0 5 0 10 0.01 100 8.3144 7.5 7 3\n";

// Its water-quality file of the type (nutrients or xenobiotics), with `rows` rows in the inflow
// series.
std::string GenerateWaterQuality(int nodes, int rows, int type)
{
    const bool nutrients = type == WQNutrients;
    std::string t = nutrients ? " WQ File Type = 0\n 0 0\n 0.25 0 0.5 1e-05\n" : " WQ File Type = 2\n 0 0\n 0.25 0 0.5 1e-05\n";
    t += nutrients ? NutrientCoefficients : XenobioticCoefficients;
    char line[160];
    for (int i = 0; i < nodes; ++i) {
        if (nutrients)
            std::snprintf(line, sizeof line, "\t%d\t9.5\t0.05\t1.25\t%.3f\t0.03\t0.02 \n", i + 1, 2 + 0.001 * i);
        else
            std::snprintf(line, sizeof line, "\t%d\t%.4f\t0.005\t20\t0.5\t5\t10000 \n", i + 1, 0.01 + 1e-5 * i);
        t += line;
    }
    std::snprintf(line, sizeof line, "\t1\t1\t-1\t0\t1\t%d \n", rows);
    t += line;
    for (int r = 0; r < rows; ++r) {
        if (nutrients)
            std::snprintf(line, sizeof line, "\t%.4f\t9.5\t0.05\t1.25\t8\t0.03\t0.02 \n", 0.01 * r);
        else
            std::snprintf(line, sizeof line, "\t%.4f\t0.05\t0.005\t20 \n", 0.01 * r);
        t += line;
    }
    std::snprintf(line, sizeof line, "\t2\t%d\t1\t1\t0\t0 \n", nodes);
    t += line;
    return t;
}

bool LoadModel(std::string& text)
{
    return ReadModelFile(fmemopen(text.data(), text.size(), "r")) == 0;
}


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

// The generated reach of `nodes` nodes with its water-quality file of the type loaded, the
// hydrodynamics off; false when a file was refused.
bool LoadReach(int nodes, int type)
{
    std::string model = GenerateModel(nodes);
    std::string wq = GenerateWaterQuality(nodes, 2, type);
    Silence quiet;
    if (!LoadModel(model) || ReadWQFile(fmemopen(wq.data(), wq.size(), "r")) != 0) return false;
    ModelControl& mc = g_ModelControl;
    mc.HydrodynamicsOn = 0;
    mc.FinalTime = 1e12;
    for (EquationSystem& es : g_EquationSystems) es.StructureBuilt = 0;
    return true;
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
