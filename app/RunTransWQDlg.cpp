#include "app/RunTransWQDlg.h"

#include "app/MessageText.h"
#include "app/VasquilDoc.h"
#include "datalib/ModelState.h"
#include "engine/FiniteElements.h"
#include "engine/WaterQuality.h"
#include "platform/DataExchange.h"
#include "resources/ResourceIds.h"

namespace {

constexpr int WaterQualityGroup[] = {IDC_WQRUN_THETA_LABEL,          IDC_WQRUN_THETA,
                                     IDC_WQRUN_CHANGE_LABEL,         IDC_WQRUN_CHANGE,
                                     IDC_WQRUN_TOLERANCE_LABEL,      IDC_WQRUN_TOLERANCE,
                                     IDC_WQRUN_ITERATIONS_LABEL,     IDC_WQRUN_ITERATIONS,
                                     IDC_WQRUN_MAX_ITERATIONS_LABEL, IDC_WQRUN_MAX_ITERATIONS};
constexpr RunSolutionControls WaterQualityControls = {IDC_WQRUN_WATER_QUALITY, IDC_WQRUN_THETA,
                                                      IDC_WQRUN_CHANGE,        IDC_WQRUN_TOLERANCE,
                                                      IDC_WQRUN_ITERATIONS,    IDC_WQRUN_MAX_ITERATIONS};

// The captions of the solutions' sources.
constexpr const char* HydroCaption = "Hydrodynamic Solution";
constexpr const char* HydroFromDatabase = "Hydrodynamic Solution From Database";
constexpr const char* AdditionalFromDatabase = "Thermal Processes Solution From Database";

// After "The run did not start: ".
constexpr const char* UnrunnableText =
    "the water-quality coefficient %s is %g; the kinetics divide by it at every step, so it must be above 0";

bool ThetaOutside(double theta)
{
    return !(theta > 0 && theta <= 1);
}

// The checks of the water-quality solution, in order, when it is on.
constexpr RunCheck<CRunTransWQDlg> WaterQualityChecks[] = {
    {[](const CRunTransWQDlg& d) { return ThetaOutside(d.WaterQuality.Theta); }, RefuseWQTheta},
    {[](const CRunTransWQDlg& d) { return d.WaterQuality.MaxIterations <= 0; }, RefuseIterations},
    {[](const CRunTransWQDlg& d) { return !IsSoundTolerance(d.WaterQuality.Tolerance); }, RefuseWQTolerance},
};

}  // namespace

const CRuntimeClass CRunTransWQDlg::Runtime{"CRunTransWQDlg", &CRunTransDlg::Runtime, nullptr};

CRunTransWQDlg::CRunTransWQDlg(CVasquilDoc* document)
    : CRunTransDlg(IDD_RUN_TRANSIENT_WQ, document, true, RunWaterQualityStep)
{
    MapCommand(IDC_WQRUN_WATER_QUALITY, &CRunTransWQDlg::OnClickedWaterQualitySolution);
}

CRunTransWQDlg::~CRunTransWQDlg()
{
    AbandonRun();
}

void CRunTransWQDlg::DoDataExchange(CDataExchange* pDX)
{
    CRunTransDlg::DoDataExchange(pDX);
    if (!pDX->m_bFailed) ExchangeSolution(pDX, WaterQualityControls, WaterQuality);
}

void CRunTransWQDlg::LoadFromModel()
{
    CRunTransDlg::LoadFromModel();
    ModelState& s = *Document->State;
    WaterQuality.On = s.WaterQualityOn;
    LoadSolution(WaterQuality, WaterQualitySettings(s));
}

void CRunTransWQDlg::EnableControls()
{
    CRunTransDlg::EnableControls();
    CRunDialog::EnableControls(WaterQualityGroup, WaterQuality.On == 1);
    ShowSolutionSource();
}

void CRunTransWQDlg::ShowSolutionSource()
{
    const bool fromDatabase = Document->UseDatabaseSolution != 0;
    if (CWnd* label = GetDlgItem(IDC_WQRUN_HYDRO_CAPTION))
        label->SetWindowText(fromDatabase ? HydroFromDatabase : HydroCaption);
    if (CWnd* label = GetDlgItem(IDC_TRANS_ADDITIONAL_CAPTION))
        label->SetWindowText(fromDatabase && AdditionalExists == 1 ? AdditionalFromDatabase : SolutionCaption.c_str());
    CRunDialog::EnableControls(HydroGroup, !fromDatabase && Hydro.On == 1);
    if (AdditionalExists != 1) return;
    EnableAdditionalGroup(!fromDatabase && Additional.On == 1);
    // During a run the check stays as the run set it.
    if (!Running)
        if (CWnd* check = GetDlgItem(IDC_TRANS_ADDITIONAL)) check->EnableWindow(fromDatabase ? FALSE : TRUE);
}

void CRunTransWQDlg::OnClickedWaterQualitySolution()
{
    TakeSolutionCheck(IDC_WQRUN_WATER_QUALITY, WaterQuality, WaterQualityGroup);
}

int CRunTransWQDlg::FailedCheck() const
{
    if (const int refusal = CRunTransDlg::FailedCheck(); refusal >= 0) return refusal;
    return WaterQuality.On == 1 ? FirstFailedCheck(WaterQualityChecks, *this) : -1;
}

void CRunTransWQDlg::StoreInModel(ModelState& state) const
{
    CRunTransDlg::StoreInModel(state);
    StoreSolution(WaterQuality, WaterQualitySettings(state));
    state.WaterQualityOn = WaterQuality.On == 1 ? 1 : 0;
}

bool CRunTransWQDlg::EngineCanRun() const
{
    double value = 0.0;
    const char* coefficient = WaterQuality.On == 1 ? FindUnrunnableWQCoefficient(&value) : nullptr;
    if (coefficient) RefuseStart(FormatText(UnrunnableText, coefficient, value));
    return coefficient == nullptr;
}
