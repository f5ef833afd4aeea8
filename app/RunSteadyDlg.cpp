#include "app/RunSteadyDlg.h"

#include "app/MessageText.h"
#include "app/VasquilDoc.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/SteadyRun.h"
#include "engine/TimeStepping.h"
#include "platform/Application.h"
#include "platform/DataExchange.h"
#include "resources/ResourceIds.h"
#include "resources/RunDialogs.h"

#include <cmath>

namespace {

// The inputs, read-only while a run goes.
constexpr int Inputs[] = {IDC_STEADY_PRESENT_STEP, IDC_STEADY_FINAL_STEP, IDC_STEADY_TIME_STEP,
                          IDC_STEADY_MAX_TIME_STEP, IDC_STEADY_TOLERANCE, IDC_STEADY_MAX_ITERATIONS};

// Why a steady run ends before its final step.
constexpr const char* StoppedAtStepText = "The steady run stopped at time step %d: %s.";
constexpr const char* NoPassText = "no pass can be made with a time step of %g s";

// The checks of Run, in order.
constexpr RunCheck<CRunSteadyDlg> Checks[] = {
    {[](const CRunSteadyDlg& d) { return !(d.PresentStep < d.FinalStep); }, RefusePresentStep},
    {[](const CRunSteadyDlg& d) { return d.Document->NodeTableEdited == 1; }, RefuseNodeTableEdits},
    {[](const CRunSteadyDlg& d) { return d.MaxIterations <= 0; }, RefuseIterations},
    {[](const CRunSteadyDlg& d) { return !(d.TimeStep > 0); }, RefuseTimeStep},
    {[](const CRunSteadyDlg& d) { return !(ModelState::HoursToSeconds(d.MaxTimeStep) >= MinimumTimeStep); },
     RefuseMaxTimeStep},
    {[](const CRunSteadyDlg& d) { return !IsSoundTolerance(d.Tolerance); }, RefuseSteadyTolerance},
};

}  // namespace

const CRuntimeClass CRunSteadyDlg::Runtime{"CRunSteadyDlg", &CRunDialog::Runtime, nullptr};

CRunSteadyDlg::CRunSteadyDlg(CVasquilDoc* document) : CRunDialog(IDD_RUN_STEADY, document)
{
    RegisterRunDialogs();
}

CRunSteadyDlg::~CRunSteadyDlg()
{
    AbandonRun();
}

void CRunSteadyDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_STEADY_PRESENT_STEP, PresentStep);
    DDX_Text(pDX, IDC_STEADY_FINAL_STEP, FinalStep);
    DDX_Text(pDX, IDC_STEADY_TIME_STEP, TimeStep, HoursDigits);
    DDX_Text(pDX, IDC_STEADY_MAX_TIME_STEP, MaxTimeStep, HoursDigits);
    DDX_Text(pDX, IDC_STEADY_CHANGE, ChangeText);
    DDX_Text(pDX, IDC_STEADY_TOLERANCE, Tolerance);
    DDX_Text(pDX, IDC_STEADY_ITERATIONS, Iterations);
    DDX_Text(pDX, IDC_STEADY_MAX_ITERATIONS, MaxIterations);
    DDX_Check(pDX, IDC_STEADY_ICE_JAM, IceJam);
}

void CRunSteadyDlg::LoadFromModel()
{
    ModelState& s = *Document->State;
    s.PullRunSettings();
    PresentStep = s.SteadyIteration;
    TimeStep = s.DeltaT;
    MaxTimeStep = s.MaxDeltaT;
    Change = s.HydroNorm;
    ChangeText = FormatText("%.4E", Change);
    Tolerance = s.HydroSteadyTolerance;
    Iterations = s.HydroIterations;
    MaxIterations = s.HydroMaxIterations;
}

void CRunSteadyDlg::EnableControls()
{
    if (CWnd* check = GetDlgItem(IDC_STEADY_ICE_JAM))
        check->EnableWindow(Document->State->FileType == FileTypeStaticIce ? TRUE : FALSE);
}

void CRunSteadyDlg::SetInputsReadOnly(BOOL readOnly)
{
    SetEditsReadOnly(Inputs, readOnly);
    // What the passes solve is fixed for the run.
    if (readOnly) {
        if (CWnd* check = GetDlgItem(IDC_STEADY_ICE_JAM)) check->EnableWindow(FALSE);
    } else {
        EnableControls();
    }
}

void CRunSteadyDlg::Run()
{
    if (!FieldsAccepted([this] { return FirstFailedCheck(Checks, *this); })) return;
    if (!HoldOutputs()) return;

    ModelState& state = *Document->State;
    state.SteadyIteration = PresentStep;
    LowerTimeStep(TimeStep, MaxTimeStep);
    state.DeltaT = TimeStep;
    state.MaxDeltaT = MaxTimeStep;
    state.HydroNorm = Change;
    state.HydroSteadyTolerance = Tolerance;
    state.HydroIterations = Iterations;
    state.HydroMaxIterations = MaxIterations;
    state.PushRunSettings();

    if (Document->OutputOptionsChanged == 1) {
        state.SteadyIteration = 0;
        state.PushRunSettings();
        Document->OutputOptionsChanged = 0;
    }
    for (EquationSystem& system : g_EquationSystems) system.StructureBuilt = 0;
    // The jam passes are for static-ice models, whose ice the jam thickens.
    SolveJam = IceJam == 1 && state.FileType == FileTypeStaticIce;
    StartRun();
}

bool CRunSteadyDlg::Unfinished() const
{
    return PresentStep < FinalStep;
}

int CRunSteadyDlg::MakeStep(std::string* why)
{
    const int result = SolveJam ? RunSteadyJamPass(nullptr) : RunSteadyPass();
    if (result != SteadyPassNotMade) return StepDone;
    const double dt = g_ModelControl.DeltaT;
    const std::string reason = dt > 0 && std::isfinite(dt) ? DescribeFailedStep(StepNotAssembled) : FormatText(NoPassText, dt);
    *why = StoppedHere(reason);
    return StepFailed;
}

void CRunSteadyDlg::WriteStepOutputs()
{
    ResultsWriter& results = *Document->Results;
    if (results.SnapshotEnabled == 1 && results.AppendSnapshot(0) != ResultsOk)
        NoteRunFailure(StoppedHere(OutputFailureText(results, "snapshot file", results.SnapshotPath)));
}

std::string CRunSteadyDlg::StoppedHere(const std::string& why) const
{
    return FormatText(StoppedAtStepText, g_ModelControl.SteadyIteration, why.c_str());
}
