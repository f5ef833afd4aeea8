// The cost of a run's step handshake and of its step handler, and how the user interface keeps
// up during a run.
//
// Handshake: a worker whose steps do nothing hands each one to a window's handler that only
// releases it; the time per step is what the handshake adds to a run (posted message, the
// handler's dispatch, the release and the worker's wake-up).
// Run1000: the transient run dialog over a 1,000-node channel, with the time series, the
// snapshot, the database and the histories written after every step; against the engine's
// step alone on the same model, the difference is the step handler's share.
// TimerLateness: a 10 ms timer of the user-interface thread during that run; its largest
// lateness is reported next to one step and one handler.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "datalib/NewChannelModel.h"
#include "app/RunTransDlg.h"
#include "app/RunWorker.h"
#include "app/VasquilDoc.h"
#include "bench/BenchSupport.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ResultsDatabase.h"
#include "engine/TimeStepping.h"
#include "platform/TestHooks.h"
#include "platform/UiThread.h"
#include "platform/Window.h"
#include "resources/ResourceIds.h"

namespace {

using benchsupport::Silence;



// A window whose step handler only releases the worker.
class ReleasingWindow : public CWnd
{
public:
    ReleasingWindow()
    {
        MapMessage(WM_STEP_DONE, &ReleasingWindow::OnStep);
        MapMessage(WM_RUN_ENDED, &ReleasingWindow::OnEnd);
    }
    LRESULT OnStep(WPARAM, LPARAM)
    {
        ReleaseStepWorker();
        return 0;
    }
    LRESULT OnEnd(WPARAM, LPARAM)
    {
        ended = true;
        return 0;
    }
    bool ended = false;
};

void Handshake(benchmark::State& state)
{
    const long long steps = state.range(0);
    ReleasingWindow window;
    window.Create(nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0);
    std::atomic<unsigned char> go{1};
    RunWorker worker(go);
    for (auto _ : state) {
        long long made = 0;
        RunProcedure procedure;
        procedure.Unfinished = [&made, steps] { return made < steps; };
        procedure.Step = [&made](std::string*) {
            ++made;
            return int(StepDone);
        };
        procedure.PostStepDone = [&window] { window.PostMessage(WM_STEP_DONE); };
        procedure.PostEnd = [&window] { window.PostMessage(WM_RUN_ENDED); };
        window.ended = false;
        go = 1;
        worker.Start(procedure);
        while (!window.ended) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        worker.Join();
    }
    state.counters["per_step"] = benchmark::Counter(double(steps), benchmark::Counter::kIsIterationInvariantRate |
                                                                        benchmark::Counter::kInvert);
}
BENCHMARK(Handshake)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The 1,000-node channel of the New command.
std::filesystem::path ChannelFile()
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("vasquil-run-bench-" + std::to_string(::getpid()) + ".vqx");
    if (!std::filesystem::exists(path)) {
        NewChannelShape shape;
        shape.NodeCount = 1000;
        shape.Spacing = 0.05;
        std::string reason;
        SaveNewChannelModel(path, shape, {2024, 1, 1, 0, 0, 0}, &reason);
    }
    return path;
}

std::filesystem::path Scratch(const char* name)
{
    return std::filesystem::temp_directory_path() / ("vasquil-run-bench-" + std::to_string(::getpid()) + "-" + name);
}

// Every output of a run after every step: time series, snapshot, database, histories.
void EveryStepOutputs(CVasquilDoc& doc)
{
    ResultsWriter& r = *doc.Results;
    r.SeriesEnabled = r.SnapshotEnabled = r.DatabaseEnabled = 1;
    r.SeriesPath = Scratch("series.csv").string();
    r.SnapshotPath = Scratch("snapshot.csv").string();
    r.DatabasePath = Scratch("run.db").string();
    r.SeriesChoice = r.SnapshotChoice = r.DatabaseChoice = 0;
    r.SeriesEveryStep = r.SnapshotEveryStep = r.DatabaseEveryStep = 1;
    r.SeriesColumns[0] = r.SeriesColumns[1] = r.SnapshotColumns[0] = r.SnapshotColumns[1] = 1;
    r.WriteHeaders("channel.vqx", "");
    CreateResultsDatabase(r.DatabasePath.c_str());
    doc.OutputOptionsChanged = 1;
}

// One hour of the channel in steps of a minute.
constexpr double RunHours = 1.0;
constexpr double StepSeconds = 60.0;

// Runs the transient dialog of doc for `hours` from the model's start; returns the steps handled.
int RunDialog(CVasquilDoc& doc, double hours, const std::function<void()>& during = {})
{
    CRunTransDlg& dialog = *doc.TransientDialog;
    if (!dialog.GetSafeHwnd()) doc.OnSimulationTransient();
    dialog.LoadFromModel();
    dialog.PresentTime = 0;
    dialog.FinalTime = hours;
    dialog.TimeStep = dialog.MaxTimeStep = StepSeconds / 3600;
    dialog.UpdateData(FALSE);
    int handled = 0;
    dialog.StepHandledHook = [&handled](int) { ++handled; };
    static_cast<CButton*>(dialog.GetDlgItem(IDC_RUN_BUTTON))->Click();
    if (during) during();
    while (dialog.Running) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    dialog.StepHandledHook = nullptr;
    return handled;
}


void Run1000WithOutputs(benchmark::State& state)
{
    Silence quiet;
    MessageBoxSink boxes;
    CVasquilDoc doc;
    int handled = 0;
    for (auto _ : state) {
        state.PauseTiming();
        doc.OnOpenDocument(ChannelFile());
        EveryStepOutputs(doc);
        state.ResumeTiming();
        handled = RunDialog(doc, RunHours);
    }
    state.counters["steps"] = handled;
    state.counters["per_step"] =
        benchmark::Counter(double(handled), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    if (!boxes.shown.empty()) state.SkipWithError(boxes.shown.front().text.c_str());
}
BENCHMARK(Run1000WithOutputs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The engine's steps alone, as a batch run without outputs makes them.
void Run1000EngineAlone(benchmark::State& state)
{
    Silence quiet;
    int steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        LoadModelFile(ChannelFile());
        ModelControl& mc = g_ModelControl;
        mc.ModelTime = 0;
        mc.FinalTime = RunHours * 3600;
        mc.DeltaT = mc.MaxDeltaT = StepSeconds;
        mc.SeriesInterval = mc.SnapshotInterval = mc.IceFrontInterval = mc.StateFileInterval = mc.DatabaseInterval = 0;
        for (EquationSystem& system : g_EquationSystems) system.StructureBuilt = 0;
        state.ResumeTiming();
        steps = 0;
        while (mc.ModelTime < mc.FinalTime) {
            const double before = mc.ModelTime;
            if (TransientStep() != 0) break;
            if (mc.ModelTime > before) ++steps;
        }
    }
    state.counters["steps"] = steps;
    state.counters["per_step"] =
        benchmark::Counter(double(steps), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(Run1000EngineAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// A 10 ms timer during the 1,000-node run with every output after every step.
void TimerLateness(benchmark::State& state)
{
    Silence quiet;
    MessageBoxSink boxes;
    CVasquilDoc doc;
    double worst = 0;      // while the run goes
    double worstAll = 0;   // the end of run included
    for (auto _ : state) {
        doc.OnOpenDocument(ChannelFile());
        EveryStepOutputs(doc);
        QElapsedTimer clock;
        qint64 last = -1;
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            if (last >= 0) {
                const double late = double(now - last) / 1e6 - 10.0;
                worstAll = std::max(worstAll, late);
                if (doc.TransientDialog->Running) worst = std::max(worst, late);
            }
            last = now;
        });
        RunDialog(doc, RunHours, [&] {
            clock.start();
            timer.start(10);
        });
        timer.stop();
    }
    state.counters["worst_lateness_ms"] = worst;
    state.counters["with_end_of_run_ms"] = worstAll;
}
BENCHMARK(TimerLateness)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    PlatformApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    for (const char* name : {"series.csv", "snapshot.csv", "run.db"}) std::filesystem::remove(Scratch(name), ignored);
    std::filesystem::remove(ChannelFile(), ignored);
    return 0;
}
