#include "app/RunTransDlg.h"

#include "app/MessageText.h"
#include "app/VasquilDoc.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/ResultsDatabase.h"
#include "engine/TimeStepping.h"
#include "engine/Units.h"
#include "platform/Application.h"
#include "platform/DataExchange.h"
#include "resources/ResourceIds.h"
#include "resources/RunDialogs.h"

#include <string>

namespace {

// Controls enabled and disabled together: labels and edits of each solution.
// The water-quality dialog's hydrodynamic group includes the theta; the transient one's
// begins after it.
constexpr int HydroGroupWithTheta[] = {IDC_TRANS_HYDRO_THETA_LABEL,          IDC_TRANS_HYDRO_THETA,
                                       IDC_TRANS_HYDRO_CHANGE_LABEL,         IDC_TRANS_HYDRO_CHANGE,
                                       IDC_TRANS_HYDRO_TOLERANCE_LABEL,      IDC_TRANS_HYDRO_TOLERANCE,
                                       IDC_TRANS_HYDRO_ITERATIONS_LABEL,     IDC_TRANS_HYDRO_ITERATIONS,
                                       IDC_TRANS_HYDRO_MAX_ITERATIONS_LABEL, IDC_TRANS_HYDRO_MAX_ITERATIONS};
constexpr std::size_t ThetaPair = 2;
constexpr int AdditionalGroup[] = {IDC_TRANS_ADD_THETA_LABEL,          IDC_TRANS_ADD_THETA,
                                   IDC_TRANS_ADD_CHANGE_LABEL,         IDC_TRANS_ADD_CHANGE,
                                   IDC_TRANS_ADD_TOLERANCE_LABEL,      IDC_TRANS_ADD_TOLERANCE,
                                   IDC_TRANS_ADD_ITERATIONS_LABEL,     IDC_TRANS_ADD_ITERATIONS,
                                   IDC_TRANS_ADD_MAX_ITERATIONS_LABEL, IDC_TRANS_ADD_MAX_ITERATIONS};
constexpr RunSolutionControls HydroControls = {IDC_TRANS_HYDRODYNAMICS,   IDC_TRANS_HYDRO_THETA,
                                               IDC_TRANS_HYDRO_CHANGE,    IDC_TRANS_HYDRO_TOLERANCE,
                                               IDC_TRANS_HYDRO_ITERATIONS, IDC_TRANS_HYDRO_MAX_ITERATIONS};
constexpr RunSolutionControls AdditionalControls = {IDC_TRANS_ADDITIONAL,   IDC_TRANS_ADD_THETA,
                                                    IDC_TRANS_ADD_CHANGE,   IDC_TRANS_ADD_TOLERANCE,
                                                    IDC_TRANS_ADD_ITERATIONS, IDC_TRANS_ADD_MAX_ITERATIONS};
// The inputs, read-only while a run goes.
constexpr int Inputs[] = {IDC_TRANS_PRESENT_TIME,         IDC_TRANS_FINAL_TIME,    IDC_TRANS_TIME_STEP,
                          IDC_TRANS_MAX_TIME_STEP,        IDC_TRANS_HYDRO_THETA,   IDC_TRANS_HYDRO_MAX_ITERATIONS,
                          IDC_TRANS_HYDRO_TOLERANCE,      IDC_TRANS_ADD_THETA,     IDC_TRANS_ADD_MAX_ITERATIONS,
                          IDC_TRANS_ADD_TOLERANCE};

// Why a transient run ends before its final time.
constexpr const char* StoppedAtText = "The run stopped at model time %.6f hrs: %s.";
constexpr const char* DatabaseText = "the results database '%s' could not be written: %s";
// Why a run does not start (after "The run did not start: ").
constexpr const char* DatabaseOpenText = "the results database '%s' could not be opened: %s";

bool ThetaOutside(double theta)
{
    return !(theta > 0 && theta <= 1);
}

// The checks of Run, in order.
constexpr RunCheck<CRunTransDlg> Checks[] = {
    {[](const CRunTransDlg& d) { return !(d.PresentTime < d.FinalTime); }, RefusePresentTime},
    {[](const CRunTransDlg& d) { return ThetaOutside(d.Hydro.Theta); }, RefuseHydroTheta},
    {[](const CRunTransDlg& d) { return ThetaOutside(d.Additional.Theta); }, RefuseIceTheta},
    {[](const CRunTransDlg& d) { return d.Hydro.MaxIterations <= 0 || d.Additional.MaxIterations <= 0; },
     RefuseIterations},
    {[](const CRunTransDlg& d) {
         const ModelState& s = *d.Document->State;
         return (s.SeriesInterval > 0 && s.SeriesInterval < d.MaxTimeStep) ||
                (s.SnapshotInterval > 0 && s.SnapshotInterval < d.MaxTimeStep);
     },
     RefuseOutputInterval},
    {[](const CRunTransDlg& d) { return d.Document->NodeTableEdited == 1; }, RefuseNodeTableEdits},
    {[](const CRunTransDlg& d) { return !(d.TimeStep > 0); }, RefuseTimeStep},
    {[](const CRunTransDlg& d) { return !(ModelState::HoursToSeconds(d.MaxTimeStep) >= MinimumTimeStep); },
     RefuseMaxTimeStep},
    {[](const CRunTransDlg& d) { return !IsSoundTolerance(d.Hydro.Tolerance); }, RefuseHydroTolerance},
    {[](const CRunTransDlg& d) {
         return d.AdditionalExists == 1 && d.Additional.On == 1 && !IsSoundTolerance(d.Additional.Tolerance);
     },
     RefuseIceTolerance},
};

}  // namespace

const CRuntimeClass CRunTransDlg::Runtime{"CRunTransDlg", &CRunDialog::Runtime, nullptr};

CRunTransDlg::CRunTransDlg(CVasquilDoc* document)
    : CRunTransDlg(IDD_RUN_TRANSIENT, document, false, TransientStep)
{
}

CRunTransDlg::CRunTransDlg(UINT templateId, CVasquilDoc* document, bool thetaInHydroGroup, int (*engineStep)())
    : CRunDialog(templateId, document),
      HydroGroup(std::span<const int>(HydroGroupWithTheta).subspan(thetaInHydroGroup ? 0 : ThetaPair)),
      EngineStep(engineStep)
{
    RegisterRunDialogs();
    MapCommand(IDC_TRANS_HYDRODYNAMICS, &CRunTransDlg::OnClickedHydrodynamicSolution);
    MapCommand(IDC_TRANS_ADDITIONAL, &CRunTransDlg::OnClickedAdditionalProcess);
}

CRunTransDlg::~CRunTransDlg()
{
    AbandonRun();
}

void CRunTransDlg::ExchangeSolution(CDataExchange* pDX, const RunSolutionControls& controls, RunSolution& solution)
{
    DDX_Check(pDX, controls.check, solution.On);
    DDX_Text(pDX, controls.theta, solution.Theta);
    DDX_Text(pDX, controls.change, solution.ChangeText);
    DDX_Text(pDX, controls.tolerance, solution.Tolerance);
    DDX_Text(pDX, controls.iterations, solution.Iterations);
    DDX_Text(pDX, controls.maxIterations, solution.MaxIterations);
}

void CRunTransDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_TRANS_PRESENT_TIME, PresentTime, HoursDigits);
    DDX_Text(pDX, IDC_TRANS_FINAL_TIME, FinalTime, HoursDigits);
    DDX_Text(pDX, IDC_TRANS_TIME_STEP, TimeStep, HoursDigits);
    DDX_Text(pDX, IDC_TRANS_MAX_TIME_STEP, MaxTimeStep, HoursDigits);
    ExchangeSolution(pDX, HydroControls, Hydro);
    ExchangeSolution(pDX, AdditionalControls, Additional);
}

SystemSettings HydroSettings(ModelState& s)
{
    return {&s.HydroTheta, &s.HydroNorm, &s.HydroTolerance, &s.HydroIterations, &s.HydroMaxIterations};
}

SystemSettings AdditionalSettings(ModelState& s)
{
    return {&s.AddTheta, &s.AddNorm, &s.AddTolerance, &s.AddIterations, &s.AddMaxIterations};
}

SystemSettings WaterQualitySettings(ModelState& s)
{
    return {&s.WQTheta, &s.WQNorm, &s.WQTolerance, &s.WQIterations, &s.WQMaxIterations};
}

void LoadSolution(RunSolution& solution, const SystemSettings& settings)
{
    solution.Theta = *settings.theta;
    solution.Change = *settings.norm;
    solution.ChangeText = FormatText("%.4E", solution.Change);
    solution.Tolerance = *settings.tolerance;
    solution.Iterations = *settings.iterations;
    solution.MaxIterations = *settings.maxIterations;
}

void StoreSolution(const RunSolution& solution, const SystemSettings& settings)
{
    *settings.theta = solution.Theta;
    *settings.norm = solution.Change;
    *settings.tolerance = solution.Tolerance;
    *settings.iterations = solution.Iterations;
    *settings.maxIterations = solution.MaxIterations;
}

void CRunTransDlg::LoadFromModel()
{
    ModelState& s = *Document->State;
    s.PullRunSettings();
    PresentTime = s.ModelTime;
    FinalTime = s.FinalTime;
    TimeStep = s.DeltaT;
    MaxTimeStep = s.MaxDeltaT;
    Hydro.On = s.HydrodynamicsOn;
    LoadSolution(Hydro, HydroSettings(s));
    AdditionalExists = s.HasAdditionalSystem;
    Additional.On = s.AdditionalOn;
    LoadSolution(Additional, AdditionalSettings(s));
    SolutionCaption = s.SolutionCaption;
    FileType = s.FileType;
    if (CWnd* caption = GetDlgItem(IDC_TRANS_ADDITIONAL_CAPTION)) caption->SetWindowText(SolutionCaption);
}

void CRunTransDlg::EnableControls()
{
    const int check1134[] = {IDC_TRANS_HYDRODYNAMICS};
    const int additional[] = {IDC_TRANS_ADDITIONAL, IDC_TRANS_ADDITIONAL_CAPTION};
    CRunDialog::EnableControls(check1134, false);
    CRunDialog::EnableControls(additional, AdditionalExists == 1);
    CRunDialog::EnableControls(HydroGroup, Hydro.On == 1);
    EnableAdditionalGroup(Additional.On == 1);
}

void CRunTransDlg::EnableAdditionalGroup(bool enabled)
{
    CRunDialog::EnableControls(AdditionalGroup, enabled);
}

void CRunTransDlg::TakeSolutionCheck(int check, RunSolution& solution, std::span<const int> group)
{
    if (auto* box = static_cast<CButton*>(GetDlgItem(check))) solution.On = box->GetCheck();
    CRunDialog::EnableControls(group, solution.On == 1);
}

void CRunTransDlg::OnClickedHydrodynamicSolution()
{
    TakeSolutionCheck(IDC_TRANS_HYDRODYNAMICS, Hydro, HydroGroup);
}

void CRunTransDlg::OnClickedAdditionalProcess()
{
    TakeSolutionCheck(IDC_TRANS_ADDITIONAL, Additional, AdditionalGroup);
}

void CRunTransDlg::SetInputsReadOnly(BOOL readOnly)
{
    SetEditsReadOnly(Inputs, readOnly);
    if (AdditionalExists == 1)
        if (CWnd* check = GetDlgItem(IDC_TRANS_ADDITIONAL)) check->EnableWindow(readOnly ? FALSE : TRUE);
}

int CRunTransDlg::FailedCheck() const
{
    return FirstFailedCheck(Checks, *this);
}

void CRunTransDlg::StoreInModel(ModelState& state) const
{
    state.ModelTime = PresentTime;
    state.FinalTime = FinalTime;
    state.DeltaT = TimeStep;
    state.MaxDeltaT = MaxTimeStep;
    StoreSolution(Hydro, HydroSettings(state));
    StoreSolution(Additional, AdditionalSettings(state));
    state.HydrodynamicsOn = Hydro.On == 1 ? 1 : 0;
    state.AdditionalOn = Additional.On == 1 ? 1 : 0;
}

bool CRunTransDlg::EngineCanRun() const
{
    return true;
}

void CRunTransDlg::Run()
{
    if (!FieldsAccepted([this] { return FailedCheck(); }) || !EngineCanRun()) return;
    LowerTimeStep(TimeStep, MaxTimeStep);
    ModelState& state = *Document->State;
    StoreInModel(state);
    state.PushRunSettings();

    ResultsWriter& results = *Document->Results;
    if (!HoldOutputs()) return;
    if (results.DatabaseEnabled == 1) {
        std::string error;
        if (OpenResultsDatabase(results.DatabasePath.c_str(), &Document->RunDatabase, &error) != 0) {
            ReleaseOutputs();
            RefuseStart(FormatText(DatabaseOpenText, results.DatabasePath.c_str(), error.c_str()));
            return;
        }
    }
    if (Document->OutputOptionsChanged == 1) {
        state.PushRunSettings();
        if (!WriteFirstRows()) {
            CloseResultsDatabase(Document->RunDatabase);
            Document->RunDatabase = nullptr;
            ReleaseOutputs();
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
    const int result = EngineStep();
    if (result == StepMade) return mc.ModelTime > before ? StepDone : StepRetried;
    *why = StoppedHere(DescribeFailedStep(result));
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
