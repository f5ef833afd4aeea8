#include "views/ProfileViewOptionsDlg.h"

#include "platform/Application.h"
#include "platform/DataExchange.h"
#include "resources/ProfileViewOptionsDialog.h"
#include "resources/ResourceIds.h"

#include <span>

namespace {

// Why OK keeps the dialog open, in the order it checks.
constexpr const char* NoReachText = "Please select a channel reach to display.";
constexpr const char* NoChartText = "Please select at least one chart to display.";
constexpr const char* NoBedText = "Please select at least one profile chart to display";
constexpr const char* TopXLimitsText = "Please enter a minimum below the maximum for the top chart's fixed x-axis scale.";
constexpr const char* TopYLimitsText = "Please enter a minimum below the maximum for the top chart's fixed y-axis scale.";
constexpr const char* BottomXLimitsText =
    "Please enter a minimum below the maximum for the bottom chart's fixed x-axis scale.";
constexpr const char* BottomYLimitsText =
    "Please enter a minimum below the maximum for the bottom chart's fixed y-axis scale.";

// The first fixed scale of a shown chart whose minimum is not below its maximum (the chart
// would draw it turned over, or with no extent), as the refusal's text; null when there is none.
const char* InvertedScaleText(const ProfileViewSettings& s)
{
    struct Scale {
        int chart, fixed;
        double minimum, maximum;
        const char* text;
    };
    const Scale scales[] = {
        {s.TopChart, s.TopXFixed, s.TopXMin, s.TopXMax, TopXLimitsText},
        {s.TopChart, s.TopYFixed, s.TopYMin, s.TopYMax, TopYLimitsText},
        {s.BottomChart, s.BottomXFixed, s.BottomXMin, s.BottomXMax, BottomXLimitsText},
        {s.BottomChart, s.BottomYFixed, s.BottomYMin, s.BottomYMax, BottomYLimitsText},
    };
    for (const Scale& scale : scales)
        if (scale.chart && scale.fixed && !(scale.minimum < scale.maximum)) return scale.text;
    return nullptr;
}

// The elevation chart offers ice thickness only with more variables than the open-water
// models' first ones.
constexpr std::size_t IceVariablesAbove = 3;

CComboBox* Combo(const CWnd& dialog, int id)
{
    CWnd* control = dialog.GetDlgItem(id);
    return control && control->IsKindOf(&CComboBox::Runtime) ? static_cast<CComboBox*>(control) : nullptr;
}

// The selected item's text; empty without a selection.
std::string SelectedText(const CWnd& dialog, int id)
{
    std::string text;
    const CComboBox* combo = Combo(dialog, id);
    if (combo && combo->GetCurSel() != CB_ERR) combo->GetLBText(combo->GetCurSel(), text);
    return text;
}

void FillVariableList(const CWnd& dialog, int id, const std::vector<std::string>& names, const std::string& current)
{
    CComboBox* combo = Combo(dialog, id);
    if (!combo) return;
    combo->ResetContent();
    for (const std::string& name : names) combo->AddString(name);
    combo->SetCurSel(current.empty() ? CB_ERR : combo->FindStringExact(-1, current));
}

}  // namespace

const CRuntimeClass CProfileViewOptionsDlg::Runtime{"CProfileViewOptionsDlg", &CDialog::Runtime, nullptr};

CProfileViewOptionsDlg::CProfileViewOptionsDlg(CWnd* parent) : CDialog(IDD_PROFILE_VIEW_OPTIONS, parent)
{
    RegisterProfileViewOptionsDialog();
    MapCommand(IDC_PROFILE_TOP_CHART, &CProfileViewOptionsDlg::OnTopChart);
    MapCommand(IDC_PROFILE_BOTTOM_CHART, &CProfileViewOptionsDlg::OnBottomChart);
    MapCommand(IDC_PROFILE_PARAMETER_CHART, &CProfileViewOptionsDlg::OnParameterChart);
    MapCommand(IDC_PROFILE_ELEVATION_CHART, &CProfileViewOptionsDlg::OnElevationChart);
    MapCommand(IDC_PROFILE_SHOW_WATER_SURFACE, &CProfileViewOptionsDlg::OnWaterSurface);
    MapCommand(IDC_PROFILE_SHOW_ICE, &CProfileViewOptionsDlg::OnIceThickness);
    MapCommand(IDC_PROFILE_TITLE_MODEL_TIME, &CProfileViewOptionsDlg::OnModelTime);
    MapCommand(IDC_PROFILE_TITLE_CALENDAR, &CProfileViewOptionsDlg::OnCalendar);
    for (const auto axes : {std::span(ProfileTopAxes), std::span(ProfileBottomAxes)}) {
        for (const ProfileAxisControls& axis : axes) {
            MapCommand(UINT(axis.automatic), &CProfileViewOptionsDlg::OnAxisChoice);
            MapCommand(UINT(axis.fixed), &CProfileViewOptionsDlg::OnAxisChoice);
        }
    }
}

BOOL CProfileViewOptionsDlg::OnInitDialog()
{
    if (CComboBox* reaches = Combo(*this, IDC_PROFILE_REACH)) {
        reaches->ResetContent();
        int selected = 0;
        for (std::size_t i = 0; i < ReachNames.size(); ++i) {
            reaches->AddString(ReachNames[i]);
            if (i < ReachNumbers.size() && ReachNumbers[i] == Settings.ReachNumber && selected == 0) selected = int(i);
        }
        reaches->SetCurSel(ReachNames.empty() ? CB_ERR : selected);
    }
    FillVariableList(*this, IDC_PROFILE_TOP_VARIABLE, Variables, TopVariableName);
    FillVariableList(*this, IDC_PROFILE_BOTTOM_VARIABLE, Variables, BottomVariableName);
    CDialog::OnInitDialog();
    ApplyActivationRules();
    return TRUE;
}

void CProfileViewOptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_PROFILE_TOP_CHART, Settings.TopChart);
    DDX_Radio(pDX, IDC_PROFILE_TOP_X_AUTO, Settings.TopXFixed);
    DDX_Text(pDX, IDC_PROFILE_TOP_X_MIN, Settings.TopXMin);
    DDX_Text(pDX, IDC_PROFILE_TOP_X_MAX, Settings.TopXMax);
    DDX_Radio(pDX, IDC_PROFILE_TOP_Y_AUTO, Settings.TopYFixed);
    DDX_Text(pDX, IDC_PROFILE_TOP_Y_MIN, Settings.TopYMin);
    DDX_Text(pDX, IDC_PROFILE_TOP_Y_MAX, Settings.TopYMax);
    DDX_Check(pDX, IDC_PROFILE_BOTTOM_CHART, Settings.BottomChart);
    DDX_Radio(pDX, IDC_PROFILE_PARAMETER_CHART, Settings.BottomKind);
    DDX_Check(pDX, IDC_PROFILE_SHOW_BED, Settings.ShowBed);
    DDX_Check(pDX, IDC_PROFILE_SHOW_WATER_SURFACE, Settings.ShowWaterSurface);
    DDX_Check(pDX, IDC_PROFILE_SHOW_ICE, Settings.ShowIce);
    DDX_Radio(pDX, IDC_PROFILE_BOTTOM_X_AUTO, Settings.BottomXFixed);
    DDX_Text(pDX, IDC_PROFILE_BOTTOM_X_MIN, Settings.BottomXMin);
    DDX_Text(pDX, IDC_PROFILE_BOTTOM_X_MAX, Settings.BottomXMax);
    DDX_Radio(pDX, IDC_PROFILE_BOTTOM_Y_AUTO, Settings.BottomYFixed);
    DDX_Text(pDX, IDC_PROFILE_BOTTOM_Y_MIN, Settings.BottomYMin);
    DDX_Text(pDX, IDC_PROFILE_BOTTOM_Y_MAX, Settings.BottomYMax);
    DDX_Check(pDX, IDC_PROFILE_TITLE_REACH_NAME, Settings.TitleReachName);
    DDX_Check(pDX, IDC_PROFILE_TITLE_MODEL_TIME, Settings.TitleModelTime);
    DDX_Check(pDX, IDC_PROFILE_TITLE_CALENDAR, Settings.TitleCalendar);
    DDX_Check(pDX, IDC_PROFILE_EVENT_LINES, Settings.ShowEventLines);
    DDX_Check(pDX, IDC_PROFILE_LEGEND, Settings.ShowLegend);
}

void CProfileViewOptionsDlg::OnOK()
{
    if (!UpdateData(TRUE)) return;
    const CComboBox* reaches = Combo(*this, IDC_PROFILE_REACH);
    const int reach = reaches ? reaches->GetCurSel() : CB_ERR;
    const bool reachListed = reach >= 0 && std::size_t(reach) < ReachNumbers.size() && std::size_t(reach) < ReachNames.size();
    if (reachListed) {
        Settings.ReachNumber = ReachNumbers[reach];
        Settings.ReachName = ReachNames[reach];
    }
    TopVariableName = SelectedText(*this, IDC_PROFILE_TOP_VARIABLE);
    BottomVariableName = SelectedText(*this, IDC_PROFILE_BOTTOM_VARIABLE);
    const char* refusal = nullptr;
    if (!reachListed) refusal = NoReachText;
    else if (!Settings.TopChart && !Settings.BottomChart) refusal = NoChartText;
    else if (Settings.BottomChart && Settings.BottomKind == ElevationChart && !Settings.ShowBed) refusal = NoBedText;
    else refusal = InvertedScaleText(Settings);
    if (refusal) {
        AfxMessageBox(refusal);
        return;
    }
    EndDialog(IDOK);
}

void CProfileViewOptionsDlg::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized)
{
    CDialog::OnActivate(nState, pWndOther, bMinimized);
    if (nState != WA_INACTIVE) ApplyActivationRules();
}

void CProfileViewOptionsDlg::ApplyActivationRules()
{
    EnableTopChartControls(IsChecked(IDC_PROFILE_TOP_CHART));
    EnableBottomChartControls(IsChecked(IDC_PROFILE_BOTTOM_CHART));
    EnableControls({IDC_PROFILE_EVENT_LINES}, EventsExist ? TRUE : FALSE);
    EnableControls({IDC_PROFILE_SHOW_ICE}, IceFile ? TRUE : FALSE);
    EnableControls({IDC_PROFILE_TITLE_CALENDAR}, !IsChecked(IDC_PROFILE_TITLE_MODEL_TIME));
    EnableControls({IDC_PROFILE_TITLE_MODEL_TIME}, !IsChecked(IDC_PROFILE_TITLE_CALENDAR));
}

void CProfileViewOptionsDlg::EnableTopChartControls(BOOL enable)
{
    EnableControls({IDC_PROFILE_TOP_VARIABLE_LABEL, IDC_PROFILE_TOP_VARIABLE}, enable);
    for (const ProfileAxisControls& axis : ProfileTopAxes) {
        EnableControls({axis.group, axis.automatic, axis.fixed, axis.minimumLabel, axis.maximumLabel, axis.minimum, axis.maximum},
                       enable);
        if (enable) ApplyAxisChoice(axis.automatic, axis.minimum, axis.maximum);
    }
}

void CProfileViewOptionsDlg::EnableBottomChartControls(BOOL enable)
{
    EnableControls({IDC_PROFILE_PARAMETER_CHART, IDC_PROFILE_ELEVATION_CHART, IDC_PROFILE_BOTTOM_VARIABLE_LABEL,
                    IDC_PROFILE_BOTTOM_VARIABLE, IDC_PROFILE_SHOW_BED, IDC_PROFILE_SHOW_WATER_SURFACE, IDC_PROFILE_SHOW_ICE},
                   enable);
    if (enable) ApplyChartKind();
    for (const ProfileAxisControls& axis : ProfileBottomAxes) {
        EnableControls({axis.group, axis.automatic, axis.fixed, axis.minimumLabel, axis.maximumLabel, axis.minimum, axis.maximum},
                       enable);
        if (enable) ApplyAxisChoice(axis.automatic, axis.minimum, axis.maximum);
    }
}

void CProfileViewOptionsDlg::OnTopChart()
{
    EnableTopChartControls(IsChecked(IDC_PROFILE_TOP_CHART));
}

void CProfileViewOptionsDlg::OnBottomChart()
{
    EnableBottomChartControls(IsChecked(IDC_PROFILE_BOTTOM_CHART));
}

void CProfileViewOptionsDlg::ApplyChartKind()
{
    if (IsChecked(IDC_PROFILE_PARAMETER_CHART)) OnParameterChart();
    else if (IsChecked(IDC_PROFILE_ELEVATION_CHART)) OnElevationChart();
}

void CProfileViewOptionsDlg::OnParameterChart()
{
    EnableControls({IDC_PROFILE_BOTTOM_VARIABLE_LABEL, IDC_PROFILE_BOTTOM_VARIABLE}, TRUE);
    EnableControls({IDC_PROFILE_SHOW_BED, IDC_PROFILE_SHOW_WATER_SURFACE, IDC_PROFILE_SHOW_ICE}, FALSE);
}

void CProfileViewOptionsDlg::OnElevationChart()
{
    EnableControls({IDC_PROFILE_BOTTOM_VARIABLE_LABEL, IDC_PROFILE_BOTTOM_VARIABLE}, FALSE);
    EnableControls({IDC_PROFILE_SHOW_BED, IDC_PROFILE_SHOW_WATER_SURFACE}, TRUE);
    if (CWnd* ice = GetDlgItem(IDC_PROFILE_SHOW_ICE)) {
        if (Variables.size() > IceVariablesAbove) ice->EnableWindow(TRUE);
        else ice->ShowWindow(SW_HIDE);
    }
    OnWaterSurface();
    OnIceThickness();
}

void CProfileViewOptionsDlg::OnWaterSurface()
{
    if (IsChecked(IDC_PROFILE_SHOW_WATER_SURFACE)) {
        SetChecked(IDC_PROFILE_SHOW_BED, true);
        EnableControls({IDC_PROFILE_SHOW_BED}, FALSE);
    } else {
        EnableControls({IDC_PROFILE_SHOW_BED}, TRUE);
    }
}

void CProfileViewOptionsDlg::OnIceThickness()
{
    if (IsChecked(IDC_PROFILE_SHOW_ICE)) {
        SetChecked(IDC_PROFILE_SHOW_BED, true);
        SetChecked(IDC_PROFILE_SHOW_WATER_SURFACE, true);
        EnableControls({IDC_PROFILE_SHOW_BED, IDC_PROFILE_SHOW_WATER_SURFACE}, FALSE);
    } else {
        EnableControls({IDC_PROFILE_SHOW_WATER_SURFACE}, TRUE);
        OnWaterSurface();
    }
}

void CProfileViewOptionsDlg::OnModelTime()
{
    EnableControls({IDC_PROFILE_TITLE_CALENDAR}, !IsChecked(IDC_PROFILE_TITLE_MODEL_TIME));
}

void CProfileViewOptionsDlg::OnCalendar()
{
    EnableControls({IDC_PROFILE_TITLE_MODEL_TIME}, !IsChecked(IDC_PROFILE_TITLE_CALENDAR));
}

void CProfileViewOptionsDlg::OnAxisChoice()
{
    for (const auto axes : {std::span(ProfileTopAxes), std::span(ProfileBottomAxes)}) {
        for (const ProfileAxisControls& axis : axes) ApplyAxisChoice(axis.automatic, axis.minimum, axis.maximum);
    }
}

void CProfileViewOptionsDlg::ApplyAxisChoice(int autoId, int minimumId, int maximumId)
{
    const BOOL readOnly = IsChecked(autoId) ? TRUE : FALSE;
    for (int id : {minimumId, maximumId}) {
        CWnd* control = GetDlgItem(id);
        if (control && control->IsKindOf(&CEdit::Runtime)) static_cast<CEdit*>(control)->SetReadOnly(readOnly);
    }
}

void CProfileViewOptionsDlg::EnableControls(std::initializer_list<int> ids, BOOL enable)
{
    for (int id : ids) {
        if (CWnd* control = GetDlgItem(id)) control->EnableWindow(enable);
    }
}

bool CProfileViewOptionsDlg::IsChecked(int id) const
{
    CWnd* control = GetDlgItem(id);
    return control && control->IsKindOf(&CButton::Runtime) && static_cast<CButton*>(control)->GetCheck() == BST_CHECKED;
}

void CProfileViewOptionsDlg::SetChecked(int id, bool checked)
{
    CWnd* control = GetDlgItem(id);
    if (control && control->IsKindOf(&CButton::Runtime))
        static_cast<CButton*>(control)->SetCheck(checked ? BST_CHECKED : BST_UNCHECKED);
}
