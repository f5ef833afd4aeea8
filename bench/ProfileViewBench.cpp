// The profile view's refresh on the road of a run: one whole rebuild of the chart (the
// properties, the scene and its picture at 1200 x 700 pixels) per step, for the layouts that
// carry the most: B (top chart over the ten elevation subsets) and A (top chart with a number
// at every node). And a step of a transient run on the user-interface thread with its refresh
// (the engine's step, the display nodes' refresh, the repaint), with the refresh's share.
// The model is the New command's trapezoidal channel of 1,000 and 10,000 nodes. Runs on Qt's
// offscreen platform unless QT_QPA_PLATFORM names another.
#include <benchmark/benchmark.h>

#include "app/VasquilDoc.h"
#include "bench/BenchSupport.h"
#include "bench/ChannelBenchSupport.h"
#include "bench/GuiBenchSupport.h"
#include "datalib/ModelState.h"
#include "engine/EngineData.h"
#include "engine/TimeStepping.h"
#include "platform/UiThread.h"
#include "views/ProfileView.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <clocale>
#include <filesystem>
#include <string>


namespace {

using benchsupport::PerNode;
using benchsupport::Silence;

constexpr int ChartWidth = 1200;
constexpr int ChartHeight = 700;

// The channel files' part of their names.
constexpr const char* BenchName = "profile";

// A document with the channel open and a profile view of it in a window of its own.
struct ProfileOnChannel
{
    explicit ProfileOnChannel(int nodes)
    {
        Silence quiet;
        opened = document.OnOpenDocument(benchsupport::ChannelFile(BenchName, nodes));
        host.Create(nullptr, "profile", WS_VISIBLE, CRect(0, 0, ChartWidth, ChartHeight), nullptr, 0);
        view = new CProfileView;  // deletes itself with its window
        view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, ChartWidth, ChartHeight), &host, 1);
        document.AddView(view);
        view->BuildChart();  // the reset after the open
    }
    ~ProfileOnChannel() { host.DestroyWindow(); }

    CVasquilDoc document;
    CWnd host;
    CProfileView* view = nullptr;
    BOOL opened = FALSE;
};

void Rebuild(benchmark::State& state, bool topOnly)
{
    const int nodes = static_cast<int>(state.range(0));
    ProfileOnChannel profile(nodes);
    if (!profile.opened || !profile.view->Chart) {
        state.SkipWithError("the channel did not open");
        return;
    }
    if (topOnly) profile.view->Options.BottomChart = 0;
    for (auto _ : state) profile.view->BuildChart();
    PerNode(state, nodes);
}

void RebuildTopOverElevations(benchmark::State& state) { Rebuild(state, false); }
void RebuildTopWithNodeNumbers(benchmark::State& state) { Rebuild(state, true); }

// One accepted step of a transient run and the refresh that follows it; the counter
// "refresh_share" is the refresh's part of the whole.
void StepAndRefresh(benchmark::State& state)
{
    const int nodes = static_cast<int>(state.range(0));
    ProfileOnChannel profile(nodes);
    if (!profile.opened) {
        state.SkipWithError("the channel did not open");
        return;
    }
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
        profile.document.State->RefreshNodeResults();
        profile.document.UpdateAllViews(nullptr);
        profile.view->UpdateWindow();
        refreshing += double(clock.nsecsElapsed());
    }
    state.counters["refresh_share"] = refreshing / (stepping + refreshing);
    PerNode(state, nodes);
}

BENCHMARK(RebuildTopOverElevations)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(RebuildTopWithNodeNumbers)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(StepAndRefresh)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return benchsupport::RunWindowBenchmarks(argc, argv, [] {
        benchsupport::RemoveChannelFiles(BenchName, {1000, 10000});
    });
}
