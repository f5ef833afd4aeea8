#include "app/RunDialog.h"

#include "app/MessageText.h"
#include "app/VasquilDoc.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/FiniteResults.h"
#include "engine/SeriesLookup.h"
#include "engine/TimeStepping.h"
#include "platform/Application.h"
#include "resources/ResourceIds.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

struct RefusalText {
    int refusal;
    const char* text;
};

// The texts of the smallest step and tolerance name the engine's limits.
constexpr RefusalText RefusalTexts[] = {
    {RefusePresentTime, "The present time must be less than the final time."},
    {RefusePresentStep, "The present time step must be less than the final time step."},
    {RefuseHydroTheta, "Theta for the hydrodynamics must be set to a value between 0 and 1.0."},
    {RefuseIceTheta, "Theta for the ice process model must be set to a value between 0 and 1.0."},
    {RefuseIterations, "The maximum number of iterations must be an integer greater than 0."},
    {RefuseOutputInterval,
     "The maximum time step increment must be less or equal to the smallest output time step increment."},
    {RefuseNodeTableEdits,
     "EDITS HAVE BEEN MADE TO THE NODE TABLE!\n\nPlease return to the Node Table Editor and \naccept or reject the "
     "changes."},
    {RefuseTimeStep, "The time step increment must be greater than 0."},
    {RefuseMaxTimeStep, "The maximum time step increment must be at least 0.001 seconds (2.7778e-07 hrs)."},
    {RefuseHydroTolerance,
     "The solution tolerance of the hydrodynamics must be at least 1e-14 and less than 1."},
    {RefuseIceTolerance, "The solution tolerance of the ice process model must be at least 1e-14 and less than 1."},
    {RefuseSteadyTolerance, "The solution tolerance must be at least 1e-14 and less than 1."},
    {RefuseWQTheta, "Theta for the water quality must be set to a value between 0 and 1.0."},
    {RefuseWQTolerance, "The solution tolerance of the water quality must be at least 1e-14 and less than 1."},
};
// Why a run did not start.
constexpr const char* NotStartedText = "The run did not start: %s.";
constexpr const char* WorkerBusyText = "the previous run's thread has not ended";
// A value of the model that is no finite number, and what became of its step.
constexpr const char* NotFiniteText = "%s of node %d is %g, not a finite number";
constexpr const char* NothingShownText = "; nothing of this step was shown or written";
// An output that could not be written, when its writer gave no account of its own.
constexpr const char* NotWrittenText = "cannot write the %s '%s'";
// The dialog's line of the series a run went past the end of: the one series' account, or the
// first ones named and the rest counted.
constexpr std::size_t SeriesEndsNamed = 2;
constexpr const char* SeveralSeriesEndsText = "The run went past the end of %zu series, whose last values are held: %s.";
constexpr const char* MoreSeriesText = ", and %zu more";

std::string SeriesEndsText(const std::vector<ExtrapolatedSeries>& record)
{
    if (record.empty()) return {};
    if (record.size() == 1) return DescribeExtrapolation(record.front());
    std::string named;
    for (std::size_t k = 0; k < record.size() && k < SeriesEndsNamed; ++k) {
        if (k > 0) named += ", ";
        named += DescribeSeries(record[k].Series) + " (" + DescribeSeriesEnd(record[k]) + ")";
    }
    if (record.size() > SeriesEndsNamed) named += FormatText(MoreSeriesText, record.size() - SeriesEndsNamed);
    return FormatText(SeveralSeriesEndsText, record.size(), named.c_str());
}

static_assert(MinimumTimeStep == 1e-3 && MinimumTolerance == 1e-14, "the refusal texts name these limits");

}  // namespace

const char* RunRefusalText(int refusal)
{
    for (const RefusalText& r : RefusalTexts) {
        if (r.refusal == refusal) return r.text;
    }
    return "";
}

const CRuntimeClass CRunDialog::Runtime{"CRunDialog", &CDialog::Runtime, nullptr};

CRunDialog::CRunDialog(UINT templateId, CVasquilDoc* document) : CDialog(templateId, nullptr), Document(document)
{
    MapCommand(IDC_RUN_BUTTON, &CRunDialog::OnClickedRun);
    MapMessage(WM_STEP_DONE, &CRunDialog::OnStepDone);
    MapMessage(WM_RUN_ENDED, &CRunDialog::OnRunEndedMessage);
}

CRunDialog::~CRunDialog()
{
    AbandonRun();
}

void CRunDialog::AbandonRun()
{
    Worker.Abandon();
}

void CRunDialog::OnOK() {}

void CRunDialog::OnCancel()
{
    if (Running) return;
    DestroyWindow();
    Shown = 0;
}

void CRunDialog::OnClickedRun()
{
    if (Running) Stop();
    else Run();
}

void CRunDialog::Stop()
{
    Continue.store(0, std::memory_order_release);
    SetRunButton("Stopping...", FALSE);
}

void CRunDialog::StopAndWait()
{
    if (!Running) return;
    if (Continue) Stop();
    if (!GetSafeHwnd()) {
        // No window takes the worker's messages: its steps go unhandled.
        Worker.Abandon();
        EndRun();
        return;
    }
    while (Running) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents);
}

void CRunDialog::ShowRunState()
{
    if (CWnd* line = GetDlgItem(IDC_RUN_SERIES_ENDS)) line->SetWindowText(SeriesEndsLine);
    if (!Running) return;
    SetRunButton("Stop", TRUE);
    SetInputsReadOnly(TRUE);
    if (!Continue) SetRunButton("Stopping...", FALSE);
}

void CRunDialog::SetRunButton(const char* text, BOOL enabled)
{
    if (CWnd* button = GetDlgItem(IDC_RUN_BUTTON)) {
        button->SetWindowText(text);
        button->EnableWindow(enabled);
    }
}

bool CRunDialog::FieldsAccepted(const std::function<int()>& firstRefusal)
{
    // A field that does not parse has said so; nothing runs on values the user did not enter.
    if (!UpdateData(TRUE)) return false;
    if (const int refusal = firstRefusal(); refusal >= 0) {
        Refuse(refusal);
        return false;
    }
    return !RefusedNonFinite();
}

void CRunDialog::LowerTimeStep(double& timeStep, double maxTimeStep)
{
    if (!(timeStep > maxTimeStep)) return;
    timeStep = maxTimeStep;
    UpdateData(FALSE);
}

void CRunDialog::EnableControls(std::span<const int> ids, bool enabled)
{
    for (int id : ids)
        if (CWnd* control = GetDlgItem(id)) control->EnableWindow(enabled ? TRUE : FALSE);
}

void CRunDialog::SetEditsReadOnly(std::span<const int> ids, BOOL readOnly)
{
    for (int id : ids)
        if (auto* edit = dynamic_cast<CEdit*>(GetDlgItem(id))) edit->SetReadOnly(readOnly);
}

void CRunDialog::Refuse(int refusal)
{
    AfxMessageBox(RunRefusalText(refusal));
}

void CRunDialog::RefuseStart(const std::string& why)
{
    AfxMessageBox(FormatText(NotStartedText, why.c_str()));
}

bool CRunDialog::RefusedNonFinite()
{
    const std::string why = NonFiniteModelValue();
    if (!why.empty()) RefuseStart(why);
    return !why.empty();
}

bool CRunDialog::HoldOutputs()
{
    std::string why;
    const std::vector<OutputTarget> targets = Document->Results->Targets(Document->GetPathName().string());
    if (Document->RunHold.Take(targets, &why) == TargetOk) return true;
    RefuseStart(why);
    return false;
}

void CRunDialog::ReleaseOutputs()
{
    Document->RunHold.Release();
}

void CRunDialog::StartRun()
{
    HandledSteps = 0;
    Failure.clear();
    ResetExtrapolatedSeries();
    NotedSeriesEnds = 0;
    SeriesEndsLine.clear();
    if (CWnd* line = GetDlgItem(IDC_RUN_SERIES_ENDS)) line->SetWindowText(SeriesEndsLine);
    Continue.store(1, std::memory_order_release);
    Running.store(1, std::memory_order_release);
    SetRunButton("Stop", TRUE);
    SetInputsReadOnly(TRUE);
    Document->RunActive = 1;

    RunProcedure procedure;
    procedure.Unfinished = [this] { return Unfinished(); };
    procedure.Step = [this, begun = 0LL](std::string* why) mutable {
        if (WorkerStepHook) WorkerStepHook(++begun);
        return MakeStep(why);
    };
    procedure.PostStepDone = [this] { PostMessage(WM_STEP_DONE, 0, 0); };
    procedure.PostEnd = [this] { PostMessage(WM_RUN_ENDED, 0, 0); };
    if (Worker.Start(std::move(procedure))) return;
    // No thread, so no end of run will come: the dialog goes back to idle at once.
    Running.store(0, std::memory_order_release);
    Continue.store(0, std::memory_order_release);
    SetRunButton("Run", TRUE);
    SetInputsReadOnly(FALSE);
    Document->RunActive = 0;
    ReleaseOutputs();
    RefuseStart(WorkerBusyText);
}

LRESULT CRunDialog::OnStepDone(WPARAM, LPARAM)
{
    ++HandledSteps;
    // The engine's model has moved on from what its file holds, whether or not the step is shown.
    Document->SetModifiedFlag();
    NoteSeriesEnds();
    if (const std::string why = NonFiniteModelValue(); !why.empty()) {
        // The step's values stay out of the display and of every output.
        NoteRunFailure(StoppedHere(why + NothingShownText));
    } else {
        ModelState& state = *Document->State;
        state.RefreshNodeResults();
        state.RefreshJunctionLinks();
        LoadFromModel();
        UpdateData(FALSE);
        Document->UpdateAllViews(nullptr, 0);
        WriteStepOutputs();
        // The views paint once the outputs are written, so that the hydrograph shows the
        // history entry of this step.
        if (CWnd* frame = AfxGetMainWnd()) frame->UpdateWindow();
    }
    if (StepHandledHook) StepHandledHook(HandledSteps);
    const unsigned char going = Continue.load(std::memory_order_acquire);
    ReleaseStepWorker();
    Document->RunActive = going;
    return 0;
}

void CRunDialog::NoteSeriesEnds()
{
    const std::vector<ExtrapolatedSeries>& record = ExtrapolatedSeriesOfRun();
    if (NotedSeriesEnds >= record.size()) return;
    for (; NotedSeriesEnds < record.size(); ++NotedSeriesEnds)
        std::printf("%s\n", ExtrapolationWarning(record[NotedSeriesEnds]).c_str());
    std::fflush(stdout);
    SeriesEndsLine = SeriesEndsText(record);
    if (CWnd* line = GetDlgItem(IDC_RUN_SERIES_ENDS)) line->SetWindowText(SeriesEndsLine);
}

void CRunDialog::NoteRunFailure(const std::string& text)
{
    if (!Failure.empty()) return;
    Failure = text;
    if (Continue) Stop();
}

std::string CRunDialog::NonFiniteModelValue()
{
    const NodeRecord* node = nullptr;
    const char* quantity = nullptr;
    double value = 0.0;
    if (FindNonFiniteResult(&node, &quantity, &value) == 0) return {};
    return FormatText(NotFiniteText, quantity, node->Number, value);
}

std::string CRunDialog::OutputFailureText(ResultsWriter& results, const char* what, const std::string& path)
{
    std::string text = results.FailureText.empty() ? FormatText(NotWrittenText, what, path.c_str())
                                                   : results.FailureText;
    return text;
}

LRESULT CRunDialog::OnRunEndedMessage(WPARAM, LPARAM)
{
    if (Running) EndRun();
    return 0;
}

void CRunDialog::EndRun()
{
    Worker.Join();
    // Steps the handler did not see (retried, failed or abandoned) may have gone past an end too.
    NoteSeriesEnds();
    Running.store(0, std::memory_order_release);
    SetRunButton("Run", TRUE);
    Continue.store(0, std::memory_order_release);
    Document->RunActive = 0;
    SetInputsReadOnly(FALSE);
    // The views grey their editors during a run; they are drawn again without it.
    Document->UpdateAllViews(nullptr, 0);
    OnRunEnded();
    ReleaseOutputs();
    if (Failure.empty()) Failure = Worker.Failure();
    if (!Failure.empty()) AfxMessageBox(Failure);
}
