// The hydrograph view's refresh on the road of a run: one whole rebuild of the chart (every
// property, the points read in place from the node's history, the scene and its picture at
// 1280 x 800 pixels) by history length, up to the history's capacity of 100,000 entries. And a
// step of a transient run on the user-interface thread with its refresh at a full history (the
// engine's step, the display nodes' refresh, the histories' new entries, the repaint), which the
// run's worker waits for; the counter "refresh_share" is the refresh's part of the whole. The
// model is the New command's trapezoidal channel of 100 nodes, its first node the one shown.
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM names another.
#include <benchmark/benchmark.h>

#include "app/VasquilDoc.h"
#include "bench/BenchSupport.h"
#include "bench/ChannelBenchSupport.h"
#include "bench/GuiBenchSupport.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "datalib/TimeSeries.h"
#include "engine/EngineData.h"
#include "engine/TimeStepping.h"
#include "platform/UiThread.h"
#include "views/HydrographView.h"

#include <QElapsedTimer>

#include <clocale>
#include <cmath>

namespace {

using benchsupport::Silence;
using VQXDisplayLib::VQXNodeHistory;
using VQXDisplayLib::VQXTimeSeriesEntry;

constexpr int ChartWidth = 1280;
constexpr int ChartHeight = 800;
constexpr int ChannelNodes = 100;
constexpr const char* BenchName = "hydrograph";

// A document with the channel open and a hydrograph view of it in a window of its own.
struct HydrographOnChannel {
    HydrographOnChannel()
    {
        Silence quiet;
        opened = document.OnOpenDocument(benchsupport::ChannelFile(BenchName, ChannelNodes));
        host.Create(nullptr, "hydrograph", WS_VISIBLE, CRect(0, 0, ChartWidth, ChartHeight), nullptr, 0);
        view = new CHydrographView;  // deletes itself with its window
        view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, ChartWidth, ChartHeight), &host, 1);
        document.AddView(view);
        view->BuildChart();  // the reset after the open
    }
    ~HydrographOnChannel() { host.DestroyWindow(); }

    // The shown node's history: n entries of a flood wave over 24 h with a ripple.
    void FillHistory(int n) const
    {
        VQXNodeHistory& history = view->Node->History;
        history.Release();
        for (int i = 0; i < n; ++i) {
            VQXTimeSeriesEntry e;
            e.Time = 24.0 * i / n;
            e.FluxDischarge = e.Discharge =
                40.0 + 120.0 * std::exp(-std::pow((e.Time - 10.0) / 4.0, 2)) + 0.8 * std::sin(i * 0.7);
            history.Append(e);
        }
    }

    CVasquilDoc document;
    CWnd host;
    CHydrographView* view = nullptr;
    BOOL opened = FALSE;
};

void Rebuild(benchmark::State& state)
{
    HydrographOnChannel hydrograph;
    if (!hydrograph.opened || !hydrograph.view->Chart || !hydrograph.view->Node) {
        state.SkipWithError("the channel did not open with an output node");
        return;
    }
    hydrograph.FillHistory(static_cast<int>(state.range(0)));
    for (auto _ : state) hydrograph.view->BuildChart();
    state.SetComplexityN(state.range(0));
}

// One accepted step of a transient run and the refresh that follows it, at a history of
// 100,000 entries (every step's entry takes the oldest one's place).
void StepAndRefresh(benchmark::State& state)
{
    HydrographOnChannel hydrograph;
    if (!hydrograph.opened || !hydrograph.view->Node) {
        state.SkipWithError("the channel did not open with an output node");
        return;
    }
    hydrograph.FillHistory(VQXNodeHistory::Capacity);
    ModelControl& mc = g_ModelControl;
    mc.FinalTime = 1e12;
    mc.SeriesInterval = mc.SnapshotInterval = mc.IceFrontInterval = mc.StateFileInterval = mc.DatabaseInterval = 0;
    QElapsedTimer clock;
    double stepping = 0, refreshing = 0;
    Silence quiet;
    for (auto _ : state) {
        clock.start();
        const double before = mc.ModelTime;
        while (!(mc.ModelTime > before)) {
            if (TransientStep() != 0) {
                state.SkipWithError("the run cannot progress");
                return;
            }
        }
        stepping += double(clock.nsecsElapsed());
        clock.start();
        hydrograph.document.State->RefreshNodeResults();
        hydrograph.document.Results->AppendHistories();
        hydrograph.document.UpdateAllViews(nullptr);
        hydrograph.view->UpdateWindow();
        refreshing += double(clock.nsecsElapsed());
    }
    state.counters["refresh_share"] = refreshing / (stepping + refreshing);
    state.counters["history"] = hydrograph.view->Node->History.Size();
}

BENCHMARK(Rebuild)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(StepAndRefresh)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return benchsupport::RunWindowBenchmarks(argc, argv,
                                             [] { benchsupport::RemoveChannelFiles(BenchName, {ChannelNodes}); });
}
