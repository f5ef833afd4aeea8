// Water-quality files and the water-quality step on generated rectangular reaches: loading and
// saving a file of 10,000 nodes with a 100,000-row inflow series, and the cost per node of a
// water-quality step at 1,000 and 10,000 nodes (the hydrodynamics switched off, so the figure
// is the step's own overhead and system 3's solve).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

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

// Its nutrient file, with `rows` rows in the inflow series.
std::string GenerateNutrients(int nodes, int rows)
{
    std::string t = " WQ File Type = 0\n 0 0\n 0.25 0 0.5 1e-05\n";
    for (int k = 0; k < 41; ++k) t += " 1\n";
    char line[160];
    for (int i = 0; i < nodes; ++i) {
        std::snprintf(line, sizeof line, "\t%d\t9.5\t0.05\t1.25\t%.3f\t0.03\t0.02 \n", i + 1, 2 + 0.001 * i);
        t += line;
    }
    std::snprintf(line, sizeof line, "\t1\t1\t-1\t0\t1\t%d \n", rows);
    t += line;
    for (int r = 0; r < rows; ++r) {
        std::snprintf(line, sizeof line, "\t%.4f\t9.5\t0.05\t1.25\t2\t0.03\t0.02 \n", 0.01 * r);
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
    std::string wq = GenerateNutrients(nodes, rows);
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
    std::string wq = GenerateNutrients(nodes, rows);
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
    const int nodes = static_cast<int>(state.range(0));
    std::string model = GenerateModel(nodes);
    std::string wq = GenerateNutrients(nodes, 2);
    Silence quiet;
    if (!LoadModel(model) || ReadWQFile(fmemopen(wq.data(), wq.size(), "r")) != 0)
        state.SkipWithError("the files were refused");
    ModelControl& mc = g_ModelControl;
    mc.HydrodynamicsOn = 0;
    mc.FinalTime = 1e12;
    for (EquationSystem& es : g_EquationSystems) es.StructureBuilt = 0;
    RunWaterQualityStep();   // the first step builds the profile structure
    for (auto _ : state)
        if (RunWaterQualityStep() != 0) state.SkipWithError("the step failed");
    ReleaseModel();
    PerNode(state, nodes);
}

BENCHMARK(LoadWaterQuality)->Args({10000, 100000})->ArgNames({"nodes", "rows"})->Unit(benchmark::kMillisecond);
BENCHMARK(SaveWaterQuality)->Args({10000, 100000})->ArgNames({"nodes", "rows"})->Unit(benchmark::kMillisecond);
BENCHMARK(WaterQualityStep)->Arg(1000)->Arg(10000)->ArgName("nodes")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
