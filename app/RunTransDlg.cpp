#include "app/RunTransDlg.h"

#include "app/MessageText.h"
#include "app/VasquilDoc.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydrodynamics.h"
#include "engine/ResultsDatabase.h"
#include "engine/TimeStepping.h"
#include "platform/Application.h"
#include "platform/DataExchange.h"
#include "resources/ResourceIds.h"
#include "resources/RunDialogs.h"

#include <string>

namespace {

// Controls enabled and disabled together: labels and edits of each solution.
constexpr int HydroGroup[] = {IDC_TRANS_HYDRO_CHANGE_LABEL,         IDC_TRANS_HYDRO_CHANGE,
                              IDC_TRANS_HYDRO_TOLERANCE_LABEL,      IDC_TRANS_HYDRO_TOLERANCE,
                              IDC_TRANS_HYDRO_ITERATIONS_LABEL,     IDC_TRANS_HYDRO_ITERATIONS,
                              IDC_TRANS_HYDRO_MAX_ITERATIONS_LABEL, IDC_TRANS_HYDRO_MAX_ITERATIONS};
constexpr int AdditionalGroup[] = {IDC_TRANS_ADD_THETA_LABEL,          IDC_TRANS_ADD_THETA,
                                   IDC_TRANS_ADD_CHANGE_LABEL,         IDC_TRANS_ADD_CHANGE,
                                   IDC_TRANS_ADD_TOLERANCE_LABEL,      IDC_TRANS_ADD_TOLERANCE,
                                   IDC_TRANS_ADD_ITERATIONS_LABEL,     IDC_TRANS_ADD_ITERATIONS,
                                   IDC_TRANS_ADD_MAX_ITERATIONS_LABEL, IDC_TRANS_ADD_MAX_ITERATIONS};
// The inputs, read-only while a run goes.
constexpr int Inputs[] = {IDC_TRANS_PRESENT_TIME,         IDC_TRANS_FINAL_TIME,    IDC_TRANS_TIME_STEP,
                          IDC_TRANS_MAX_TIME_STEP,        IDC_TRANS_HYDRO_THETA,   IDC_TRANS_HYDRO_MAX_ITERATIONS,
                          IDC_TRANS_HYDRO_TOLERANCE,      IDC_TRANS_ADD_THETA,     IDC_TRANS_ADD_MAX_ITERATIONS,
                          IDC_TRANS_ADD_TOLERANCE};

// Why a transient run ends before its final time.
constexpr const char* StoppedAtText = "The run stopped at model time %.6f hrs: %s.";
constexpr const char* BelowFloorText = "the time step fell to %g s, below the smallest of %g s (%s)";
constexpr const char* LargestUpdateText = "the Newton update was largest at node %d";
constexpr const char* NoLargestUpdateText = "no node's Newton update was a finite number";
constexpr const char* NoAdvanceText = "the time step of %g s no longer changes the model time";
constexpr const char* NotAssembledText = "the equations could not be assembled (out of memory)";
constexpr const char* DatabaseText = "the results database '%s' could not be written: %s";
// Why a run does not start (after "The run did not start: ").
constexpr const char* DatabaseOpenText = "the results database '%s' could not be opened: %s";

constexpr double SecondsPerHour = 3600.0;

std::string ChangeText(double norm)
{
    return FormatText("%.4E", norm);
}

struct Check {
    bool (*fails)(const CRunTransDlg&, const ModelState&);
    int refusal;
};

bool ThetaOutside(double theta)
{
    return !(theta > 0 && theta <= 1);
}

// The checks of Run, in order.
constexpr Check Checks[] = {
    {[](const CRunTransDlg& d, const ModelState&) { return !(d.PresentTime < d.FinalTime); }, RefusePresentTime},
    {[](const CRunTransDlg& d, const ModelState&) { return ThetaOutside(d.HydroTheta); }, RefuseHydroTheta},
    {[](const CRunTransDlg& d, const ModelState&) { return ThetaOutside(d.AddTheta); }, RefuseIceTheta},
    {[](const CRunTransDlg& d, const ModelState&) { return d.HydroMaxIterations <= 0 || d.AddMaxIterations <= 0; },
     RefuseIterations},
    {[](const CRunTransDlg& d, const ModelState& s) {
         return (s.SeriesInterval > 0 && s.SeriesInterval < d.MaxTimeStep) ||
                (s.SnapshotInterval > 0 && s.SnapshotInterval < d.MaxTimeStep);
     },
     RefuseOutputInterval},
    {[](const CRunTransDlg& d, const ModelState&) { return d.Document->NodeTableEdited == 1; }, RefuseNodeTableEdits},
    {[](const CRunTransDlg& d, const ModelState&) { return !(d.TimeStep > 0); }, RefuseTimeStep},
    {[](const CRunTransDlg& d, const ModelState&) {
         return !(ModelState::HoursToSeconds(d.MaxTimeStep) >= MinimumTimeStep);
     },
     RefuseMaxTimeStep},
    {[](const CRunTransDlg& d, const ModelState&) { return !IsSoundTolerance(d.HydroTolerance); }, RefuseHydroTolerance},
    {[](const CRunTransDlg& d, const ModelState&) {
         return d.AdditionalExists == 1 && d.AdditionalOn == 1 && !IsSoundTolerance(d.AddTolerance);
     },
     RefuseIceTolerance},
};

}  // namespace

const CRuntimeClass CRunTransDlg::Runtime{"CRunTransDlg", &CRunDialog::Runtime, nullptr};

CRunTransDlg::CRunTransDlg(CVasquilDoc* document) : CRunDialog(IDD_RUN_TRANSIENT, document)
{
    RegisterRunDialogs();
    MapCommand(IDC_TRANS_HYDRODYNAMICS, &CRunTransDlg::OnClickedHydrodynamicSolution);
    MapCommand(IDC_TRANS_ADDITIONAL, &CRunTransDlg::OnClickedAdditionalProcess);
}

CRunTransDlg::~CRunTransDlg()
{
    AbandonRun();
}

void CRunTransDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_TRANS_PRESENT_TIME, PresentTime);
    DDX_Text(pDX, IDC_TRANS_FINAL_TIME, FinalTime);
    DDX_Text(pDX, IDC_TRANS_TIME_STEP, TimeStep);
    DDX_Text(pDX, IDC_TRANS_MAX_TIME_STEP, MaxTimeStep);
    DDX_Check(pDX, IDC_TRANS_HYDRODYNAMICS, HydrodynamicsOn);
    DDX_Text(pDX, IDC_TRANS_HYDRO_THETA, HydroTheta);
    DDX_Text(pDX, IDC_TRANS_HYDRO_CHANGE, HydroChangeText);
    DDX_Text(pDX, IDC_TRANS_HYDRO_TOLERANCE, HydroTolerance);
    DDX_Text(pDX, IDC_TRANS_HYDRO_ITERATIONS, HydroIterations);
    DDX_Text(pDX, IDC_TRANS_HYDRO_MAX_ITERATIONS, HydroMaxIterations);
    DDX_Check(pDX, IDC_TRANS_ADDITIONAL, AdditionalOn);
    DDX_Text(pDX, IDC_TRANS_ADD_THETA, AddTheta);
    DDX_Text(pDX, IDC_TRANS_ADD_CHANGE, AddChangeText);
    DDX_Text(pDX, IDC_TRANS_ADD_TOLERANCE, AddTolerance);
    DDX_Text(pDX, IDC_TRANS_ADD_ITERATIONS, AddIterations);
    DDX_Text(pDX, IDC_TRANS_ADD_MAX_ITERATIONS, AddMaxIterations);
}

void CRunTransDlg::LoadFromModel()
{
    ModelState& s = *Document->State;
    s.PullRunSettings();
    PresentTime = s.ModelTime;
    FinalTime = s.FinalTime;
    TimeStep = s.DeltaT;
    MaxTimeStep = s.MaxDeltaT;
    HydrodynamicsOn = s.HydrodynamicsOn;
    HydroTheta = s.HydroTheta;
    HydroChange = s.HydroNorm;
    HydroChangeText = ChangeText(HydroChange);
    HydroTolerance = s.HydroTolerance;
    HydroIterations = s.HydroIterations;
    HydroMaxIterations = s.HydroMaxIterations;
    AdditionalExists = s.HasAdditionalSystem;
    AdditionalOn = s.AdditionalOn;
    AddTheta = s.AddTheta;
    AddChange = s.AddNorm;
    AddChangeText = ChangeText(AddChange);
    AddTolerance = s.AddTolerance;
    AddIterations = s.AddIterations;
    AddMaxIterations = s.AddMaxIterations;
    SolutionCaption = s.SolutionCaption;
    FileType = s.FileType;
    if (CWnd* caption = GetDlgItem(IDC_TRANS_ADDITIONAL_CAPTION)) caption->SetWindowText(SolutionCaption);
}

void CRunTransDlg::EnableControls()
{
    const auto enable = [this](int id, bool on) {
        if (CWnd* control = GetDlgItem(id)) control->EnableWindow(on ? TRUE : FALSE);
    };
    enable(IDC_TRANS_HYDRODYNAMICS, false);
    enable(IDC_TRANS_ADDITIONAL, AdditionalExists == 1);
    enable(IDC_TRANS_ADDITIONAL_CAPTION, AdditionalExists == 1);
    for (int id : HydroGroup) enable(id, HydrodynamicsOn == 1);
    for (int id : AdditionalGroup) enable(id, AdditionalOn == 1);
}

void CRunTransDlg::OnClickedHydrodynamicSolution()
{
    if (auto* check = static_cast<CButton*>(GetDlgItem(IDC_TRANS_HYDRODYNAMICS))) HydrodynamicsOn = check->GetCheck();
    for (int id : HydroGroup)
        if (CWnd* control = GetDlgItem(id)) control->EnableWindow(HydrodynamicsOn == 1 ? TRUE : FALSE);
}

void CRunTransDlg::OnClickedAdditionalProcess()
{
    if (auto* check = static_cast<CButton*>(GetDlgItem(IDC_TRANS_ADDITIONAL))) AdditionalOn = check->GetCheck();
    for (int id : AdditionalGroup)
        if (CWnd* control = GetDlgItem(id)) control->EnableWindow(AdditionalOn == 1 ? TRUE : FALSE);
}

void CRunTransDlg::SetInputsReadOnly(BOOL readOnly)
{
    for (int id : Inputs)
        if (auto* edit = dynamic_cast<CEdit*>(GetDlgItem(id))) edit->SetReadOnly(readOnly);
    if (AdditionalExists == 1)
        if (CWnd* check = GetDlgItem(IDC_TRANS_ADDITIONAL)) check->EnableWindow(readOnly ? FALSE : TRUE);
}

void CRunTransDlg::Run()
{
    // A field that does not parse has said so; nothing runs on values the user did not enter.
    if (!UpdateData(TRUE)) return;
    ModelState& state = *Document->State;
    for (const Check& check : Checks) {
        if (check.fails(*this, state)) {
            Refuse(check.refusal);
            return;
        }
    }
    if (RefusedNonFinite()) return;

    if (TimeStep > MaxTimeStep) {
        TimeStep = MaxTimeStep;
        UpdateData(FALSE);
    }
    state.ModelTime = PresentTime;
    state.FinalTime = FinalTime;
    state.DeltaT = TimeStep;
    state.MaxDeltaT = MaxTimeStep;
    state.HydroTheta = HydroTheta;
    state.HydroNorm = HydroChange;
    state.HydroTolerance = HydroTolerance;
    state.HydroIterations = HydroIterations;
    state.HydroMaxIterations = HydroMaxIterations;
    state.AddTheta = AddTheta;
    state.AddNorm = AddChange;
    state.AddTolerance = AddTolerance;
    state.AddIterations = AddIterations;
    state.AddMaxIterations = AddMaxIterations;
    state.HydrodynamicsOn = HydrodynamicsOn == 1 ? 1 : 0;
    state.AdditionalOn = AdditionalOn == 1 ? 1 : 0;
    state.PushRunSettings();

    ResultsWriter& results = *Document->Results;
    if (results.DatabaseEnabled == 1) {
        std::string error;
        if (OpenResultsDatabase(results.DatabasePath.c_str(), &Document->RunDatabase, &error) != 0) {
            RefuseStart(FormatText(DatabaseOpenText, results.DatabasePath.c_str(), error.c_str()));
            return;
        }
    }
    if (Document->OutputOptionsChanged == 1) {
        state.PushRunSettings();
        if (!WriteFirstRows()) {
            CloseResultsDatabase(Document->RunDatabase);
            Document->RunDatabase = nullptr;
            return;
        }
        Document->OutputOptionsChanged = 0;
    }
    if (state.ModelTime == 0) results.RestartHistories();
    for (EquationSystem& system : g_EquationSystems) system.StructureBuilt = 0;
    PeakWritten = false;
    StartRun();
}

bool CRunTransDlg::WriteFirstRows()
{
    ResultsWriter& results = *Document->Results;
    std::string why;
    if (results.SeriesEnabled == 1 && results.AppendTimeSeriesRow() != ResultsOk)
        why = OutputFailureText(results, "time-series file", results.SeriesPath);
    else if (results.IceFrontEnabled == 1 && results.AppendIceFrontRow() != ResultsOk)
        why = OutputFailureText(results, "ice-front file", results.IceFrontPath);
    else if (std::string error; results.DatabaseEnabled == 1 && WriteTimeSeriesToDatabase(Document->RunDatabase, &error) != 0)
        why = FormatText(DatabaseText, results.DatabasePath.c_str(), error.c_str());
    if (why.empty()) return true;
    RefuseStart(why);
    return false;
}

bool CRunTransDlg::Unfinished() const
{
    return PresentTime < FinalTime;
}

int CRunTransDlg::MakeStep(std::string* why)
{
    const ModelControl& mc = g_ModelControl;
    const double before = mc.ModelTime;
    const int result = TransientStep();
    if (result == 0) return mc.ModelTime > before ? StepDone : StepRetried;
    std::string reason;
    if (result == 1 && mc.DeltaT < TimeStepFloor()) {
        const NodeRecord* node = FindLargestHydroIncrementNode();
        const std::string where = node ? FormatText(LargestUpdateText, node->Number) : std::string(NoLargestUpdateText);
        reason = FormatText(BelowFloorText, mc.DeltaT, TimeStepFloor(), where.c_str());
    } else if (result == 1) {
        reason = FormatText(NoAdvanceText, mc.DeltaT);
    } else {
        reason = NotAssembledText;
    }
    *why = StoppedHere(reason);
    return StepFailed;
}

std::string CRunTransDlg::StoppedHere(const std::string& why) const
{
    return FormatText(StoppedAtText, g_ModelControl.ModelTime / SecondsPerHour, why.c_str());
}

void CRunTransDlg::WriteStepOutputs()
{
    ResultsWriter& results = *Document->Results;
    const ModelState& state = *Document->State;
    const auto failed = [this](const std::string& why) { NoteRunFailure(StoppedHere(why)); };
    PeakWritten = false;
    if (results.SnapshotEnabled == 1 && (state.SnapshotDue || results.SnapshotEveryStep))
        if (results.AppendSnapshot(1) != ResultsOk) failed(OutputFailureText(results, "snapshot file", results.SnapshotPath));
    const bool seriesRow = results.SeriesEnabled == 1 && (state.SeriesDue || results.SeriesEveryStep);
    if (seriesRow && results.AppendTimeSeriesRow() != ResultsOk)
        failed(OutputFailureText(results, "time-series file", results.SeriesPath));
    if (results.DatabaseEnabled == 1 && (state.DatabaseDue || results.DatabaseEveryStep)) {
        std::string error;
        if (WriteTimeSeriesToDatabase(Document->RunDatabase, &error) != 0)
            failed(FormatText(DatabaseText, results.DatabasePath.c_str(), error.c_str()));
    }
    if (results.IceFrontEnabled == 1 && (state.IceFrontDue || results.IceFrontEveryStep))
        if (results.AppendIceFrontRow() != ResultsOk) failed(OutputFailureText(results, "ice-front file", results.IceFrontPath));
    // The histories keep the time series' times, or every step without time-series output.
    if (seriesRow || results.SeriesEnabled != 1) results.AppendHistories();
    if (results.StateFileEnabled == 1 && (state.StateFileDue || results.StateFileEveryStep))
        if (results.WriteStateFile(Document->GetPathName().string()) != ResultsOk)
            failed(OutputFailureText(results, "model-state file", results.StateFolder));
    if (results.PeakEnabled == 1 && (!(PresentTime < FinalTime) || Continue == 0)) {
        WritePeakFile();
        PeakWritten = true;
    }
}

void CRunTransDlg::WritePeakFile()
{
    ResultsWriter& results = *Document->Results;
    if (results.WritePeakFile(Document->GetPathName().string()) != ResultsOk)
        NoteRunFailure(StoppedHere(OutputFailureText(results, "peak file", results.PeakPath)));
}

void CRunTransDlg::OnRunEnded()
{
    if (Document->Results->PeakEnabled == 1 && !PeakWritten) WritePeakFile();
    CloseResultsDatabase(Document->RunDatabase);
    Document->RunDatabase = nullptr;
}
