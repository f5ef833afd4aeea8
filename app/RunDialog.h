// What the steady and the transient run dialog share: the run's flags, Run and Stop on one
// button, the worker with its step handshake, the end of run, and the reasons a run is
// refused or ends early.
//
// A run dialog is modeless and lives with the model: the document makes it on every open and
// the Simulation menu shows it. Run checks the fields, copies them into the model state and
// the engine and starts the worker; after every step the worker posts WM_STEP_DONE and waits
// until the dialog's step handler (on the user-interface thread) has refreshed the display,
// updated the views and written the outputs due, and released it. While it runs the dialog
// cannot be closed and its inputs are read-only. The worker posts the end of run when its loop
// is over; the dialog carries it out (button "Run" again, inputs writable, the thread joined)
// and tells why a run ended early.
#pragma once

#include "app/RunWorker.h"
#include "platform/Dialog.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <span>
#include <string>

class CVasquilDoc;
class ResultsWriter;

// Significant digits of the hours a run dialog shows (0.01666667 for a minute): enough to
// read a time, few enough to be read whole. A field left as shown gives back its exact value.
constexpr int HoursDigits = 7;

// Posted by the worker after each step it hands over (both parameters 0).
constexpr UINT WM_STEP_DONE = WM_USER + 5;
// Posted by the worker when its loop is over.
constexpr UINT WM_RUN_ENDED = WM_USER + 6;

// Why Run refuses to start; RunRefusalText gives each one's message.
enum RunRefusal {
    RefusePresentTime,           // present time not before the final time
    RefusePresentStep,           // present step not before the final step
    RefuseHydroTheta,            // hydrodynamic theta outside (0, 1]
    RefuseIceTheta,              // additional (ice) theta outside (0, 1]
    RefuseIterations,            // a maximum number of iterations below 1
    RefuseOutputInterval,        // an output interval below the maximum time step
    RefuseNodeTableEdits,        // node-table edits neither accepted nor rejected
    RefuseTimeStep,              // a time step of 0 or less
    RefuseMaxTimeStep,           // a maximum time step below the engine's smallest
    RefuseHydroTolerance,        // a hydrodynamic tolerance the iterations cannot meet
    RefuseIceTolerance,          // likewise for the additional (ice) system
    RefuseSteadyTolerance,       // likewise for the steady tolerance
    RefuseWQTheta,               // water-quality theta outside (0, 1]
    RefuseWQTolerance,           // a water-quality tolerance the iterations cannot meet
};
const char* RunRefusalText(int refusal);

// A check of Run: whether the dialog's fields fail it, and the refusal then.
template <class Dialog>
struct RunCheck {
    bool (*fails)(const Dialog&);
    int refusal;
};
// The refusal of the first check the dialog fails, or -1.
template <class Dialog, std::size_t N>
int FirstFailedCheck(const RunCheck<Dialog> (&checks)[N], const Dialog& dialog)
{
    for (const RunCheck<Dialog>& check : checks)
        if (check.fails(dialog)) return check.refusal;
    return -1;
}

class CRunDialog : public CDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    CRunDialog(UINT templateId, CVasquilDoc* document);
    // A run still going is abandoned (its outputs of the step under way are not written).
    ~CRunDialog() override;

    // Enter does nothing.
    void OnOK() override;
    // Close, Escape and the close box: ignored while running; otherwise the window goes and
    // the shown flag is cleared.
    void OnCancel() override;
    // The Run button: Stop while running, else Run.
    void OnClickedRun();
    // Stop: the continue flag cleared, the button "Stopping..." and disabled; the worker ends
    // after the step under way, whose handler still runs.
    void Stop();
    // Stops a run that is going and returns once its end of run was carried out (events are
    // processed meanwhile); nothing happens without a run.
    void StopAndWait();
    // The button and the inputs as the run flags say: while running "Stop" and read-only, and
    // "Stopping..." disabled once stopped; the line naming the series the last run went past
    // the end of. The menu command calls it after filling the window.
    void ShowRunState();
    // The members from the model state, after it has pulled the engine's run settings.
    virtual void LoadFromModel() = 0;

    CVasquilDoc* Document;
    // 1 while the run may go on: set by Run, cleared by Stop and at the end of a run.
    std::atomic<unsigned char> Continue{1};
    // 1 from Run until the end of run.
    std::atomic<unsigned char> Running{0};
    // 1 while the menu command's window is open.
    unsigned char Shown = 0;

    // Test hooks: at the end of every step handler, before the worker is released, with the
    // number of steps handled in this run; and on the worker thread before every step, with
    // the number of steps begun.
    std::function<void(int handled)> StepHandledHook;
    std::function<void(long long begun)> WorkerStepHook;

protected:
    // Run after the Stop test: the checks, the copy into the model state and the start.
    virtual void Run() = 0;
    virtual void SetInputsReadOnly(BOOL readOnly) = 0;
    // Worker thread: whether the present value is still before the final one.
    virtual bool Unfinished() const = 0;
    // Worker thread: one step or pass, as RunProcedure::Step.
    virtual int MakeStep(std::string* why) = 0;
    // The outputs of the step handler, after the display, the dialog and the views were
    // refreshed.
    virtual void WriteStepOutputs() = 0;
    // The message of a run that ends early: where the run stopped (from the engine), and why.
    virtual std::string StoppedHere(const std::string& why) const = 0;
    // The end of run's own part of a dialog, after the common one (files, database).
    virtual void OnRunEnded() {}

    // Run's first part: the fields read, then firstRefusal (the refusal of the first check
    // that fails, or -1) and the model's values. False after the message of a field that does
    // not parse, of the refusal or of a value that is no finite number: nothing starts.
    bool FieldsAccepted(const std::function<int()>& firstRefusal);
    // A time step above the maximum is lowered to it, in the dialog as well.
    void LowerTimeStep(double& timeStep, double maxTimeStep);
    // Enables or disables the controls of ids.
    void EnableControls(std::span<const int> ids, bool enabled);
    // Makes the edits of ids read-only or writable.
    void SetEditsReadOnly(std::span<const int> ids, BOOL readOnly);
    // Shows the message of a refusal of Run.
    static void Refuse(int refusal);
    // "The run did not start: <why>."
    static void RefuseStart(const std::string& why);
    // Refuses the start (true) when a value of the model is no finite number.
    static bool RefusedNonFinite();
    // Holds the outputs the run writes (Output Options' files, database and state-file
    // folder) for the run; false after refusing the start when another run holds one of them
    // or a lock file cannot be made. StartRun's refusal and the end of run release them.
    bool HoldOutputs();
    void ReleaseOutputs();
    // The common tail of Run: the flags, "Stop", the inputs read-only, the document's run
    // flag, the engine's record of series ends and the dialog's line about them emptied, the
    // worker started.
    void StartRun();
    // The first reason a run ends early (a failed output, a value that is no finite number);
    // the run stops as Stop stops it, and the end of run shows the reason.
    void NoteRunFailure(const std::string& text);
    // "<quantity> of node <n> is <value>, not a finite number" for the first value of the
    // engine's nodes that an output would take and that is no finite number; empty when all are.
    static std::string NonFiniteModelValue();
    // Why a write of the results writer failed, naming its file: the writer's own account
    // (which is then cleared), or that the file named what at path could not be written.
    static std::string OutputFailureText(ResultsWriter& results, const char* what, const std::string& path);
    // Abandons a run still going; the destructor of each dialog calls it first, while the
    // parts the worker calls still exist.
    void AbandonRun();
    void SetRunButton(const char* text, BOOL enabled);

    RunWorker Worker{Continue};
    int HandledSteps = 0;  // in this run
    std::size_t NotedSeriesEnds = 0;  // series of the engine's record already told of in this run
    std::string SeriesEndsLine;       // the dialog's line naming them, kept for a window shown again
    std::string Failure;   // why the run ends early; empty while it goes on normally

private:
    // WM_STEP_DONE: the document marked modified; the series the step went past the end of told
    // of; a step whose values are all finite is shown (display model, dialog, the views told to
    // repaint), written, and the views painted; then the test hook, the continue flag read, the
    // worker released and the document's run flag set to what was read.
    LRESULT OnStepDone(WPARAM, LPARAM);
    // The series that the run went past the end of since the last call: the warning of each on
    // standard output, and the dialog's line naming every one of the run.
    void NoteSeriesEnds();
    LRESULT OnRunEndedMessage(WPARAM, LPARAM);
    // The end of run: the thread joined, the flags, the button and the inputs, the dialog's
    // own part, then the reason it ended early, if any.
    void EndRun();
};
