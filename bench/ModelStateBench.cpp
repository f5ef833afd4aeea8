// Figures of the per-step work of the model state and the result files on long rivers:
// building the display model, refreshing the display nodes after a step, writing back every
// node (each write finds its engine node by number along the chain), and appending a
// time-series row and a snapshot.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "engine/EngineData.h"
#include "engine/ModelSetup.h"

using namespace VQXDisplayLib;

namespace {

// A straight rectangular river of n nodes; every tenth node is an output node.
void BuildRiver(int n)
{
    ReleaseModel();
    SetModelDefaults();
    ModelControl& mc = g_ModelControl;
    mc.UnitSystem = 0;
    mc.LengthFactor = 0.3048;
    mc.DistanceFactor = 5280;
    mc.NodeCount = mc.NodeBlockCount = n;
    g_NodeBlock.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        NodeRecord& r = g_NodeBlock[static_cast<std::size_t>(i)];
        SetNodeDefaults(&r);
        r.Number = i + 1;
        r.Chainage = 100.0 * i;
        r.Invert = 100.0 - 0.001 * i;
        r.RectWidth = r.TopWidth = 30.0;
        r.Stage = r.Invert + 2.0;
        r.Discharge = r.FluxDischarge = 50.0;
        r.HydroCode = i % 10 == 0 ? 0 : 1;
        r.Next = i + 1 < n ? &g_NodeBlock[static_cast<std::size_t>(i + 1)] : nullptr;
    }
    g_Nodes = &g_NodeBlock[0];
    RebuildNodeIndex();
    mc.ElementCount = mc.ElementBlockCount = n - 1;
    g_ElementBlock.resize(static_cast<std::size_t>(n - 1));
    for (int i = 0; i + 1 < n; ++i) {
        ElementRecord& e = g_ElementBlock[static_cast<std::size_t>(i)];
        e.Number = i + 1;
        e.Nodes[0] = &g_NodeBlock[static_cast<std::size_t>(i)];
        e.Nodes[1] = &g_NodeBlock[static_cast<std::size_t>(i + 1)];
        e.Next = i + 2 < n ? &g_ElementBlock[static_cast<std::size_t>(i + 1)] : nullptr;
    }
    g_Elements = &g_ElementBlock[0];
}

void BuildDisplayModel(benchmark::State& state)
{
    BuildRiver(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        VQXDisplayModel model;
        ModelState s(&model);
        s.BuildDisplayModel();
        benchmark::DoNotOptimize(model.NodeList.Count);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BuildDisplayModel)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

void RefreshNodeResults(benchmark::State& state)
{
    BuildRiver(static_cast<int>(state.range(0)));
    VQXDisplayModel model;
    ModelState s(&model);
    s.BuildDisplayModel();
    for (auto _ : state) {
        s.RefreshNodeResults();
        s.RefreshJunctionLinks();
        s.PullRunSettings();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(RefreshNodeResults)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

void WriteEveryNodeBack(benchmark::State& state)
{
    BuildRiver(static_cast<int>(state.range(0)));
    VQXDisplayModel model;
    ModelState s(&model);
    s.BuildDisplayModel();
    for (auto _ : state)
        for (VQXDisplayNode* n = model.FirstNode(); n != nullptr; n = model.NextNode())
            s.WriteNodeToEngine(n);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(WriteEveryNodeBack)->Arg(1000)->Arg(4000)->Arg(16000)->Complexity();

void AppendRows(benchmark::State& state)
{
    BuildRiver(static_cast<int>(state.range(0)));
    VQXDisplayModel model;
    ModelState s(&model);
    s.BuildDisplayModel();
    ResultsWriter w(&model, &s);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vasquil-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    w.SeriesPath = (folder / "series.csv").string();
    w.SnapshotPath = (folder / "snapshot.csv").string();
    w.SeriesEnabled = w.SnapshotEnabled = 1;
    w.SeriesColumns[0] = w.SeriesColumns[1] = w.SnapshotColumns[0] = w.SnapshotColumns[1] = 1;
    w.WriteHeaders("river.vqx", "");
    for (auto _ : state) {
        w.AppendTimeSeriesRow();
        w.AppendSnapshot(1);
    }
    std::filesystem::remove_all(folder);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(AppendRows)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

}  // namespace

BENCHMARK_MAIN();
