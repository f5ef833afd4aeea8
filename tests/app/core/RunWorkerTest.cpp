// The run core on its own: a worker thread that steps a model and a stand-in for the
// user-interface thread that handles its messages. The model and the present value are plain
// data that the two threads hand over only through the handshake, so ThreadSanitizer (the
// tsan preset) reports any ordering the handshake fails to give.
#include "app/RunWorker.h"
#include "engine/EngineData.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <random>
#include <string>

namespace {

enum class Message { StepDone, End };

// The user-interface thread's queue: posts from any thread, taken in order.
class MessageQueue {
public:
    void Post(Message m)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(m);
        }
        ready_.notify_one();
    }
    Message Take()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return !queue_.empty(); });
        const Message m = queue_.front();
        queue_.pop_front();
        return m;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Message> queue_;
};

// A run of at most `final` steps over a model of a few values that every step rewrites; the
// handler checks the step it is shown and copies its number into the present value.
struct FakeRun {
    std::atomic<unsigned char> Continue{1};
    RunWorker Worker{Continue};
    MessageQueue Queue;
    std::array<long long, 64> Model{};  // worker writes during a step, handler reads
    long long Steps = 0;                // worker only
    long long Present = 0;              // handler writes, worker reads
    long long Final = 0;
    int FailAt = -1;                    // the step that cannot be made
    int RetryEvery = 0;                 // every n-th step is rejected
    std::function<void()> DuringStep;   // worker thread, inside each step

    RunProcedure Procedure()
    {
        RunProcedure p;
        p.Unfinished = [this] { return Present < Final; };
        p.Step = [this](std::string* why) {
            ++Steps;
            if (DuringStep) DuringStep();
            if (Steps == FailAt) {
                *why = "step " + std::to_string(Steps) + " cannot be made";
                return int(StepFailed);
            }
            if (RetryEvery > 0 && Steps % RetryEvery == 0) return int(StepRetried);
            for (long long& v : Model) v = Present + 1;
            return int(StepDone);
        };
        p.PostStepDone = [this] { Queue.Post(Message::StepDone); };
        p.PostEnd = [this] { Queue.Post(Message::End); };
        return p;
    }

    struct Seen {
        long long handled = 0;
        long long handledAfterStop = 0;
        int ends = 0;
    };

    // The user-interface thread's loop until the end of run; onHandled runs at the end of
    // every handler, before the worker is released.
    Seen Serve(const std::function<void(long long)>& onHandled = {})
    {
        Seen seen;
        for (;;) {
            const Message m = Queue.Take();
            if (m == Message::End) {
                ++seen.ends;
                Worker.Join();
                Continue.store(0);
                return seen;
            }
            EXPECT_EQ(g_StepBusy.load(std::memory_order_acquire), 1);
            for (long long v : Model) EXPECT_EQ(v, Present + 1);
            Present = Model[0];
            ++seen.handled;
            if (Continue.load() == 0) ++seen.handledAfterStop;
            if (onHandled) onHandled(Present);
            ReleaseStepWorker();
        }
    }
};

TEST(RunWorkerTest, TenThousandHandshakesHandOverEveryStepAndEndOnce)
{
    FakeRun run;
    run.Final = 10000;
    ASSERT_TRUE(run.Worker.Start(run.Procedure()));
    const FakeRun::Seen seen = run.Serve();
    EXPECT_EQ(seen.handled, 10000);
    EXPECT_EQ(seen.ends, 1);
    EXPECT_EQ(run.Present, 10000);
    EXPECT_EQ(run.Steps, 10000);
    EXPECT_EQ(run.Worker.Handshakes(), 10000);
    EXPECT_TRUE(run.Worker.Failure().empty());
    EXPECT_FALSE(run.Worker.Joinable());
    EXPECT_EQ(g_StepBusy.load(), 0);
}

TEST(RunWorkerTest, RejectedStepsAreNotHandedOverAndAFailedStepEndsTheRunWithItsReason)
{
    struct Case {
        const char* name;
        int retryEvery;
        int failAt;
        long long handled;
        long long steps;
        const char* failure;
    };
    const Case cases[] = {
        {"every third step rejected", 3, -1, 100, 149, ""},
        {"step 40 cannot be made", 0, 40, 39, 40, "step 40 cannot be made"},
        {"the first step cannot be made", 0, 1, 0, 1, "step 1 cannot be made"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRun run;
        run.Final = 100;
        run.RetryEvery = c.retryEvery;
        run.FailAt = c.failAt;
        ASSERT_TRUE(run.Worker.Start(run.Procedure()));
        const FakeRun::Seen seen = run.Serve();
        EXPECT_EQ(seen.handled, c.handled);
        EXPECT_EQ(run.Steps, c.steps);
        EXPECT_EQ(seen.ends, 1);
        EXPECT_EQ(run.Worker.Failure(), c.failure);
    }
}

// Stop at random moments: in a handler before the release, between handlers while the worker
// steps, and from the step itself. The step under way is the last one handed over.
TEST(RunWorkerTest, StopAtRandomPointsEndsAfterTheStepUnderWay)
{
    std::mt19937 random(20240613);
    for (int trial = 0; trial < 300; ++trial) {
        SCOPED_TRACE(trial);
        FakeRun run;
        run.Final = 1000000;
        const long long stopAt = std::uniform_int_distribution<long long>(1, 40)(random);
        const int where = trial % 3;
        if (where == 2) {
            // From inside the worker's step, as a click racing with the step would.
            run.DuringStep = [&run, stopAt] {
                if (run.Steps == stopAt) run.Continue.store(0);
            };
        }
        std::thread stopper;
        ASSERT_TRUE(run.Worker.Start(run.Procedure()));
        const FakeRun::Seen seen = run.Serve([&](long long present) {
            if (where == 0 && present == stopAt) run.Continue.store(0);  // the release window
            if (where == 1 && present == stopAt) {
                // From another thread at whatever moment it comes to run.
                stopper = std::thread([&run] { run.Continue.store(0); });
            }
        });
        if (stopper.joinable()) stopper.join();
        EXPECT_EQ(seen.ends, 1);
        EXPECT_TRUE(run.Worker.Failure().empty());
        // The step under way when the flag was cleared is the last one handed over.
        if (where == 0) {
            EXPECT_EQ(seen.handled, stopAt);
        } else if (where == 2) {
            EXPECT_EQ(seen.handled, stopAt);
        } else {
            EXPECT_GE(seen.handled, stopAt);
        }
        EXPECT_LE(seen.handledAfterStop, 1);
        EXPECT_EQ(g_StepBusy.load(), 0);
    }
}

TEST(RunWorkerTest, AStartWaitsForTheJoinOfTheRunBefore)
{
    FakeRun run;
    run.Final = 3;
    ASSERT_TRUE(run.Worker.Start(run.Procedure()));
    EXPECT_FALSE(run.Worker.Start(run.Procedure()));
    run.Serve();
    run.Present = 0;
    run.Continue.store(1);
    ASSERT_TRUE(run.Worker.Start(run.Procedure()));
    EXPECT_EQ(run.Serve().handled, 3);
}

// A run whose handler never comes (its window is gone) is abandoned: released without
// handlers, stopped and joined.
TEST(RunWorkerTest, AbandonEndsARunWhoseHandlerNeverComes)
{
    FakeRun run;
    run.Final = 1000000;
    ASSERT_TRUE(run.Worker.Start(run.Procedure()));
    while (g_StepBusy.load(std::memory_order_acquire) == 0) std::this_thread::yield();
    run.Worker.Abandon();
    EXPECT_FALSE(run.Worker.Joinable());
    EXPECT_EQ(run.Continue.load(), 0);
    EXPECT_LE(run.Worker.Handshakes(), 2);
    EXPECT_EQ(g_StepBusy.load(), 0);
}

}  // namespace
