// The user-interface layer's costs on the road of a run: a worker's post-and-release round
// trip with the user-interface thread (one per step of a run), and the copy of a full-HD
// window surface to the screen (one per paint of a chart or the plan view). Runs on Qt's
// offscreen platform unless QT_QPA_PLATFORM names another.
#include "bench/GuiBenchSupport.h"
#include "platform/DeviceContext.h"
#include "platform/UiThread.h"
#include "platform/Window.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QWidget>

#include <atomic>
#include <thread>

namespace {

constexpr UINT WM_STEP_DONE = WM_USER + 5;
constexpr UINT WM_BATCH_DONE = WM_USER + 6;  // wakes the user-interface thread after a batch
constexpr int RoundTripsPerBatch = 2000;
// The worker spins this many polls before it sleeps on the flag.
constexpr int SpinPolls = 2000;

// The step handshake: the worker raises the flag and posts; the handler lowers it.
class StepWindow : public CWnd
{
public:
    StepWindow() { MapMessage(WM_STEP_DONE, &StepWindow::OnStepDone); }
    LRESULT OnStepDone(WPARAM, LPARAM)
    {
        busy.store(0, std::memory_order_release);
        busy.notify_one();
        return 0;
    }
    std::atomic<int> busy{0};
};

void WaitUntilReleased(std::atomic<int>& busy)
{
    for (int i = 0; i < SpinPolls; ++i) {
        if (busy.load(std::memory_order_acquire) == 0) return;
    }
    while (busy.load(std::memory_order_acquire) != 0) busy.wait(1, std::memory_order_acquire);
}

void BM_PostAndReleaseRoundTrip(benchmark::State& state)
{
    StepWindow window;
    window.Create(nullptr, "steps", WS_OVERLAPPED, CRect(0, 0, 10, 10), nullptr, 0);
    for (auto _ : state) {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            for (int i = 0; i < RoundTripsPerBatch; ++i) {
                window.busy.store(1, std::memory_order_release);
                window.PostMessage(WM_STEP_DONE, 0, 0);
                WaitUntilReleased(window.busy);
            }
            done = true;
            window.PostMessage(WM_BATCH_DONE, 0, 0);
        });
        while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        worker.join();
    }
    state.SetItemsProcessed(state.iterations() * RoundTripsPerBatch);
    state.counters["round_trip"] = benchmark::Counter(double(state.iterations()) * RoundTripsPerBatch,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// A custom-drawn window whose surface was painted once: each repaint only copies it.
class SurfaceWindow : public CWnd
{
public:
    void OnPaint() override
    {
        CPaintDC dc(this);
        dc.FillSolidRect(CRect(0, 0, 1920, 1080), RGB(255, 255, 224));
    }
};

void BM_BlitFullHdSurface(benchmark::State& state)
{
    // One window for every run of the benchmark: Qt's offscreen platform copies the windows
    // shown after the first one several times slower, which would measure the platform.
    static SurfaceWindow window;
    if (!window.GetSafeHwnd()) {
        window.Create(nullptr, "surface", WS_OVERLAPPED | WS_VISIBLE, CRect(0, 0, 1920, 1080), nullptr, 0);
        QCoreApplication::processEvents();
        window.GetWidget()->repaint();  // the first paint draws the surface
    }
    for (auto _ : state) window.GetWidget()->repaint();
}

}  // namespace

BENCHMARK(BM_BlitFullHdSurface)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_PostAndReleaseRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    return benchsupport::RunWindowBenchmarks(argc, argv);
}
