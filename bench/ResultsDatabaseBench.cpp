// Rows per second of the results database: one output time of every node per iteration, into a
// table that grows as a run's does (open-water and thermal rows, 1,000 and 10,000 nodes).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "engine/EngineData.h"
#include "engine/ModelSetup.h"
#include "engine/ResultsDatabase.h"

namespace {

namespace fs = std::filesystem;

void BuildNodes(int count)
{
    ReleaseModel();
    SetModelDefaults();
    g_NodeBlock.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        NodeRecord& n = g_NodeBlock[static_cast<std::size_t>(i)];
        SetNodeDefaults(&n);
        n.Number = i + 1;
        n.Stage = 100.0 - 0.001 * i;
        n.Discharge = n.FluxDischarge = 50.0 + 1e-3 * i;
        n.FlowArea = 60.0;
        n.TopWidth = 30.0;
        n.Velocity = n.Discharge / n.FlowArea;
        n.WaterTemp = 0.01 * (i % 7);
        n.Next = i + 1 < count ? &g_NodeBlock[static_cast<std::size_t>(i + 1)] : nullptr;
    }
    g_Nodes = &g_NodeBlock[0];
    g_ModelControl.NodeCount = count;
    RebuildNodeIndex();
}

void DatabaseRows(benchmark::State& state)
{
    const int nodes = static_cast<int>(state.range(0));
    BuildNodes(nodes);
    g_ModelControl.ThermalIceOn = static_cast<int>(state.range(1));
    const fs::path file = fs::temp_directory_path() / ("vasquil-bench-" + std::to_string(getpid()) + ".db");
    if (CreateResultsDatabase(file.c_str()) != 0) {
        state.SkipWithError("cannot create the database");
        return;
    }
    ResultsDatabase* database = nullptr;
    if (OpenResultsDatabase(file.c_str(), &database) != 0) {
        state.SkipWithError("cannot open the database");
        return;
    }
    for (auto _ : state) {
        g_ModelControl.ModelTime += 60;
        if (WriteTimeSeriesToDatabase(database) != 0) {
            state.SkipWithError("a write failed");
            break;
        }
    }
    CloseResultsDatabase(database);
    state.counters["rows/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * nodes, benchmark::Counter::kIsRate);
    fs::remove(file);
    ReleaseModel();
}

}  // namespace

BENCHMARK(DatabaseRows)->ArgNames({"nodes", "thermal"})->Args({1000, 0})->Args({10000, 0})->Args({1000, 1})->Args({10000, 1})->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
