#include "app/RunWorker.h"

#include "engine/EngineData.h"

#include <utility>

namespace {

// Rounds of the spin before the worker sleeps. The handler of a step that shows little (a
// small model without outputs due) answers within a few microseconds, which a sleep and its
// wake-up would double; a handler that draws and writes takes far longer, and the worker then
// sleeps instead of holding a core.
constexpr int SpinRounds = 2000;

inline void CpuRelax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

}  // namespace

void AwaitStepHandler(const std::function<void()>& post)
{
    g_StepBusy.store(1, std::memory_order_release);
    post();
    for (int round = 0; round < SpinRounds; ++round) {
        if (g_StepBusy.load(std::memory_order_acquire) == 0) return;
        CpuRelax();
    }
    while (g_StepBusy.load(std::memory_order_acquire) != 0) g_StepBusy.wait(1, std::memory_order_acquire);
}

void ReleaseStepWorker()
{
    g_StepBusy.store(0, std::memory_order_release);
    g_StepBusy.notify_one();
}

RunWorker::RunWorker(std::atomic<unsigned char>& continueFlag) : continue_(continueFlag) {}

RunWorker::~RunWorker()
{
    Abandon();
}

bool RunWorker::Start(RunProcedure procedure)
{
    if (thread_.joinable()) return false;
    procedure_ = std::move(procedure);
    failure_.clear();
    handshakes_ = 0;
    ended_.store(false, std::memory_order_relaxed);
    thread_ = std::thread([this] { Loop(); });
    return true;
}

void RunWorker::Loop()
{
    while (continue_.load(std::memory_order_acquire) == 1 && procedure_.Unfinished()) {
        std::string why;
        const int outcome = procedure_.Step(&why);
        if (outcome == StepFailed) {
            failure_ = why;
            break;
        }
        if (outcome == StepRetried) continue;
        ++handshakes_;
        AwaitStepHandler(procedure_.PostStepDone);
    }
    ended_.store(true, std::memory_order_release);
    procedure_.PostEnd();
}

void RunWorker::Join()
{
    if (thread_.joinable()) thread_.join();
}

void RunWorker::Abandon()
{
    if (!thread_.joinable()) return;
    continue_.store(0, std::memory_order_release);
    while (!ended_.load(std::memory_order_acquire)) {
        if (g_StepBusy.load(std::memory_order_acquire) == 1) ReleaseStepWorker();
        std::this_thread::yield();
    }
    thread_.join();
}
