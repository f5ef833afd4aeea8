// Figures of the data library's heavy operations: building a property table of a large
// section, appending to a full node history, and walking a long node list.
#include <benchmark/benchmark.h>

#include <cmath>

#include "datalib/CrossSection.h"
#include "datalib/DisplayModel.h"
#include "datalib/TimeSeries.h"

using namespace VQXGeometryDataLib;
using namespace VQXDisplayLib;

static void BuildPropertyTable(benchmark::State& state)
{
    const int points = static_cast<int>(state.range(0));
    const int levels = static_cast<int>(state.range(1));
    VQXCrossSection s;
    for (int i = 0; i < points; ++i) {
        const double x = i * 0.5;
        s.AddPoint(x, 10.0 - 8.0 * std::sin(3.141592653589793 * i / (points - 1)) + 0.3 * std::sin(i * 0.7));
    }
    s.LeftBankStation = (points / 4) * 0.5;
    s.RightBankStation = (3 * points / 4) * 0.5;
    s.AddRoughnessRow(0, 0.03, 0.06, 0.06);
    s.SinuosityRows.push_back({0, 1.0});
    s.FindBankPoints();
    s.FindThalweg();
    for (auto _ : state) {
        s.BuildPropertyTable(levels);
        benchmark::DoNotOptimize(s.PropertyRows.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(points) * levels);
}
BENCHMARK(BuildPropertyTable)->Args({100, 100})->Args({1000, 300});

static void AppendToFullHistory(benchmark::State& state)
{
    VQXNodeHistory history;
    VQXTimeSeriesEntry entry;
    for (int i = 0; i < VQXNodeHistory::Capacity; ++i)
        history.Append(entry);
    for (auto _ : state) {
        entry.Time += 1.0;
        history.Append(entry);
        benchmark::DoNotOptimize(history.Back().Time);
    }
}
BENCHMARK(AppendToFullHistory);

static void WalkNodeList(benchmark::State& state)
{
    VQXDisplayModel model;
    for (int i = 0; i < state.range(0); ++i) {
        auto* node = new VQXDisplayNode;
        node->Number = i + 1;
        node->Stage = i;
        model.AppendNode(node);
    }
    for (auto _ : state) {
        double sum = 0;
        for (VQXDisplayNode* node = model.FirstNode(); node != nullptr; node = model.NextNode())
            sum += node->GetPlotValue(1, 1);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(WalkNodeList)->Arg(10000);

BENCHMARK_MAIN();
