#include "views/PlanViewOptionsDlg.h"

#include "platform/Application.h"
#include "platform/DataExchange.h"
#include "resources/PlanViewOptionsDialog.h"
#include "resources/ResourceIds.h"

namespace {

constexpr const char* NoReachText = "Please select a channel reach to display.";
constexpr int AllReachesNumber = 0;
constexpr const char* AllReachesName = "All Reaches";

CComboBox* Combo(const CWnd& dialog, int id)
{
    CWnd* control = dialog.GetDlgItem(id);
    return control && control->IsKindOf(&CComboBox::Runtime) ? static_cast<CComboBox*>(control) : nullptr;
}

}  // namespace

const CRuntimeClass CPlanViewOptionsDlg::Runtime{"CPlanViewOptionsDlg", &CDialog::Runtime, nullptr};

CPlanViewOptionsDlg::CPlanViewOptionsDlg(CWnd* parent) : CDialog(IDD_PLAN_VIEW_OPTIONS, parent)
{
    RegisterPlanViewOptionsDialog();
    for (const PlanObjectControls& object : PlanObjects)
        MapCommand(UINT(object.object), &CPlanViewOptionsDlg::OnObjectClicked);
    MapCommand(IDC_PLAN_SHOW_PARAMETER, &CPlanViewOptionsDlg::OnShowParameter);
    MapCommand(IDC_PLAN_TITLE_MODEL_TIME, &CPlanViewOptionsDlg::OnModelTime);
    MapCommand(IDC_PLAN_TITLE_CALENDAR, &CPlanViewOptionsDlg::OnCalendar);
}

BOOL CPlanViewOptionsDlg::OnInitDialog()
{
    ReachNumbers.insert(ReachNumbers.begin(), AllReachesNumber);
    ReachNames.insert(ReachNames.begin(), AllReachesName);
    if (CComboBox* reaches = Combo(*this, IDC_PLAN_REACH)) {
        reaches->ResetContent();
        int selected = 0;
        for (std::size_t i = 0; i < ReachNames.size(); ++i) {
            reaches->AddString(ReachNames[i]);
            if (i < ReachNumbers.size() && ReachNumbers[i] == Settings.ReachNumber && selected == 0) selected = int(i);
        }
        reaches->SetCurSel(selected);
    }
    if (CComboBox* variables = Combo(*this, IDC_PLAN_VARIABLE)) {
        variables->ResetContent();
        for (const std::string& name : Variables) variables->AddString(name);
        variables->SetCurSel(VariableName.empty() ? CB_ERR : variables->FindStringExact(-1, VariableName));
    }
    CDialog::OnInitDialog();
    EnableControl(IDC_PLAN_MAP_IMAGE, MapImageLoaded != 0);
    ApplyFollowRules();
    return TRUE;
}

void CPlanViewOptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_PLAN_SHOW_PARAMETER, Settings.ShowParameter);
    DDX_Check(pDX, IDC_PLAN_SHOW_NODES, Settings.ShowNodes);
    DDX_Check(pDX, IDC_PLAN_SHOW_ELEMENTS, Settings.ShowElements);
    DDX_Check(pDX, IDC_PLAN_SHOW_BOUNDARY_ELEMENTS, Settings.ShowBoundaryElements);
    DDX_Check(pDX, IDC_PLAN_SHOW_JUNCTIONS, Settings.ShowJunctionNodes);
    DDX_Check(pDX, IDC_PLAN_NODE_NUMBERS, Settings.ShowNodeNumbers);
    DDX_Check(pDX, IDC_PLAN_ELEMENT_NUMBERS, Settings.ShowElementNumbers);
    DDX_Check(pDX, IDC_PLAN_BOUNDARY_ELEMENT_NUMBERS, Settings.ShowBoundaryElementNumbers);
    DDX_Check(pDX, IDC_PLAN_JUNCTION_NUMBERS, Settings.ShowJunctionNumbers);
    DDX_Check(pDX, IDC_PLAN_NODE_STATIONING, Settings.ShowNodeStationing);
    DDX_Check(pDX, IDC_PLAN_REACH_NUMBERS, Settings.ShowReachNumbers);
    DDX_Check(pDX, IDC_PLAN_FLOW_ARROWS, Settings.ShowFlowArrows);
    DDX_Check(pDX, IDC_PLAN_MAP_IMAGE, Settings.ShowMapImage);
    DDX_Check(pDX, IDC_PLAN_LEGEND, Settings.ShowLegend);
    DDX_Check(pDX, IDC_PLAN_SCALE_BAR, Settings.ShowScaleBar);
    DDX_Check(pDX, IDC_PLAN_TITLE_REACH_NAME, Settings.TitleReachName);
    DDX_Check(pDX, IDC_PLAN_TITLE_MODEL_TIME, Settings.TitleModelTime);
    DDX_Check(pDX, IDC_PLAN_TITLE_CALENDAR, Settings.TitleCalendar);
}

void CPlanViewOptionsDlg::OnOK()
{
    if (!UpdateData(TRUE)) return;
    const CComboBox* reaches = Combo(*this, IDC_PLAN_REACH);
    const int reach = reaches ? reaches->GetCurSel() : CB_ERR;
    std::string variable;
    if (const CComboBox* variables = Combo(*this, IDC_PLAN_VARIABLE); variables && variables->GetCurSel() != CB_ERR)
        variables->GetLBText(variables->GetCurSel(), variable);
    VariableName = variable;
    if (reach < 0 || std::size_t(reach) >= ReachNumbers.size() || std::size_t(reach) >= ReachNames.size()) {
        AfxMessageBox(NoReachText);
        return;
    }
    Settings.ReachNumber = ReachNumbers[std::size_t(reach)];
    Settings.ReachName = ReachNames[std::size_t(reach)];
    EndDialog(IDOK);
}

void CPlanViewOptionsDlg::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized)
{
    CDialog::OnActivate(nState, pWndOther, bMinimized);
    if (nState != WA_INACTIVE) ApplyFollowRules();
}

void CPlanViewOptionsDlg::ApplyFollowRules()
{
    OnObjectClicked();
    OnShowParameter();
    OnModelTime();
    OnCalendar();
}

void CPlanViewOptionsDlg::OnObjectClicked()
{
    for (const PlanObjectControls& object : PlanObjects) {
        const bool on = IsChecked(object.object);
        for (const int label : object.labels) {
            if (label) EnableControl(label, on);
        }
    }
}

void CPlanViewOptionsDlg::OnShowParameter()
{
    EnableControl(IDC_PLAN_VARIABLE, IsChecked(IDC_PLAN_SHOW_PARAMETER));
}

void CPlanViewOptionsDlg::OnModelTime()
{
    EnableControl(IDC_PLAN_TITLE_CALENDAR, !IsChecked(IDC_PLAN_TITLE_MODEL_TIME));
}

void CPlanViewOptionsDlg::OnCalendar()
{
    EnableControl(IDC_PLAN_TITLE_MODEL_TIME, !IsChecked(IDC_PLAN_TITLE_CALENDAR));
}

bool CPlanViewOptionsDlg::IsChecked(int id) const
{
    CWnd* control = GetDlgItem(id);
    return control && control->IsKindOf(&CButton::Runtime) && static_cast<CButton*>(control)->GetCheck() == BST_CHECKED;
}

void CPlanViewOptionsDlg::EnableControl(int id, bool enable)
{
    if (CWnd* control = GetDlgItem(id)) control->EnableWindow(enable ? TRUE : FALSE);
}
