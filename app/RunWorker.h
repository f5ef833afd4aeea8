// The worker thread of a run and its step handshake with the user-interface thread. Nothing
// here knows a window: the loop, the handshake and the run's flags build and are tested on
// their own (under ThreadSanitizer too); the run dialogs give the worker its step and the
// ways to post to them.
//
// The worker repeats steps while the run is unfinished and its continue flag is set. After a
// step to show it hands the engine to the user-interface thread: g_StepBusy becomes 1 (a
// release store), the step-done message is posted, and the worker spins briefly, then sleeps
// in g_StepBusy.wait until the step handler has stored 0 (release) and woken it. The store of
// 1 and the post publish the whole step to the handler; the handler's store of 0 publishes to
// the worker everything the handler wrote, the present and final values it re-read among
// them. No lock is held at any time. When the loop ends the worker posts the end of run as its
// last act; the user-interface thread carries it out and joins the thread.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

// What one step of a run gave.
enum RunStepOutcome {
    StepDone = 0,     // the model moved on: the handshake lets the handler show and write it
    StepRetried = 1,  // a rejected step left the model as it was: no handshake, the loop goes on
    StepFailed = 2,   // the run cannot go on: the loop ends with the step's reason
};

// The parts of a run the worker calls, all on the worker thread.
struct RunProcedure {
    // Whether the run has not reached its end (present < final), asked before every step.
    std::function<bool()> Unfinished;
    // One step; with StepFailed, *why says why the run cannot go on.
    std::function<int(std::string* why)> Step;
    // Posts the step-done message to the user-interface thread.
    std::function<void()> PostStepDone;
    // Posts the end of run to the user-interface thread; the worker's last act.
    std::function<void()> PostEnd;
};

class RunWorker {
public:
    // continueFlag: the run dialog's continue flag (1 while the run may go on), which the
    // loop tests before every step and Stop clears from the user-interface thread.
    explicit RunWorker(std::atomic<unsigned char>& continueFlag);
    // Abandons a thread that was not joined.
    ~RunWorker();
    RunWorker(const RunWorker&) = delete;
    RunWorker& operator=(const RunWorker&) = delete;

    // Starts the worker thread on procedure. Returns false, starting nothing, while the
    // thread of an earlier run has not been joined.
    bool Start(RunProcedure procedure);
    // True from Start until Join or Abandon.
    bool Joinable() const { return thread_.joinable(); }
    // Waits for the thread to end; called once its end of run has arrived, so the thread has
    // nothing left to do. Nothing happens without a thread.
    void Join();
    // Ends a run whose user-interface side will handle no more of its messages: clears the
    // continue flag, releases every handshake without a handler, and joins. The steps of the
    // run are then finished; what they were to write is not written.
    void Abandon();

    // Why the run ended before its end; empty when it reached it or was stopped. Valid once
    // the thread was joined.
    const std::string& Failure() const { return failure_; }
    // Steps handed to the handler in the last run; valid once the thread was joined.
    long long Handshakes() const { return handshakes_; }

private:
    void Loop();

    std::atomic<unsigned char>& continue_;
    RunProcedure procedure_;
    std::thread thread_;
    std::atomic<bool> ended_{false};  // the loop is over: no handshake will follow
    std::string failure_;
    long long handshakes_ = 0;
};

// The worker's half of the handshake: g_StepBusy 1 (release), post, then a short spin and a
// sleep on g_StepBusy until the handler has released it (acquire). Worker thread only.
void AwaitStepHandler(const std::function<void()>& post);
// The handler's half: g_StepBusy 0 (release), and the worker woken.
void ReleaseStepWorker();
