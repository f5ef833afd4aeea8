#include "views/HydrographViewOptionsDlg.h"

#include "platform/Application.h"
#include "platform/DataExchange.h"
#include "resources/HydrographViewOptionsDialog.h"
#include "resources/ResourceIds.h"

#include <QEvent>

#include <algorithm>

namespace {

// Why OK keeps the dialog open, in the order it checks.
constexpr const char* NoLocationText = "Please select a hydrograph output location.";
constexpr const char* NoVariableText = "Please select a hydrograph display parameter.";

CComboBox* Combo(const CWnd& dialog, int id)
{
    CWnd* control = dialog.GetDlgItem(id);
    return control && control->IsKindOf(&CComboBox::Runtime) ? static_cast<CComboBox*>(control) : nullptr;
}

bool IsChecked(const CWnd& dialog, int id)
{
    CWnd* control = dialog.GetDlgItem(id);
    return control && control->IsKindOf(&CButton::Runtime) && static_cast<CButton*>(control)->GetCheck() == BST_CHECKED;
}

}  // namespace

const CRuntimeClass CHydrographViewOptionsDlg::Runtime{"CHydrographViewOptionsDlg", &CDialog::Runtime, nullptr};

CHydrographViewOptionsDlg::CHydrographViewOptionsDlg(CWnd* parent) : CDialog(IDD_HYDROGRAPH_VIEW_OPTIONS, parent)
{
    RegisterHydrographViewOptionsDialog();
    for (const AxisGroupControls& axis : HydrographAxes) {
        MapCommand(UINT(axis.automatic), &CHydrographViewOptionsDlg::ApplyAxisRules);
        MapCommand(UINT(axis.fixed), &CHydrographViewOptionsDlg::ApplyAxisRules);
    }
}

BOOL CHydrographViewOptionsDlg::OnInitDialog()
{
    if (CComboBox* locations = Combo(*this, IDC_HYDRO_LOCATION)) {
        locations->ResetContent();
        for (const std::string& caption : Locations) locations->AddString(caption);
        // Captions compare exactly, case and all.
        const auto shown = std::find(Locations.begin(), Locations.end(), Settings.LocationName);
        locations->SetCurSel(Locations.empty()          ? CB_ERR
                             : shown == Locations.end() ? 0
                                                        : int(shown - Locations.begin()));
    }
    if (CComboBox* variables = Combo(*this, IDC_HYDRO_VARIABLE)) {
        variables->ResetContent();
        for (const std::string& name : Variables) variables->AddString(name);
        variables->SetCurSel(VariableName.empty() ? CB_ERR : variables->FindStringExact(-1, VariableName));
    }
    CDialog::OnInitDialog();
    ApplyAxisRules();
    return TRUE;
}

void CHydrographViewOptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Radio(pDX, IDC_HYDRO_X_AUTO, Settings.XFixed);
    DDX_Text(pDX, IDC_HYDRO_X_MIN, Settings.XMin);
    DDX_Text(pDX, IDC_HYDRO_X_MAX, Settings.XMax);
    DDX_Radio(pDX, IDC_HYDRO_Y_AUTO, Settings.YFixed);
    DDX_Text(pDX, IDC_HYDRO_Y_MIN, Settings.YMin);
    DDX_Text(pDX, IDC_HYDRO_Y_MAX, Settings.YMax);
}

void CHydrographViewOptionsDlg::OnOK()
{
    if (!UpdateData(TRUE)) return;
    const CComboBox* locations = Combo(*this, IDC_HYDRO_LOCATION);
    const int location = locations ? locations->GetCurSel() : CB_ERR;
    const bool located = location >= 0 && std::size_t(location) < Locations.size();
    if (located) Settings.LocationName = Locations[std::size_t(location)];
    const CComboBox* variables = Combo(*this, IDC_HYDRO_VARIABLE);
    const int variable = variables ? variables->GetCurSel() : CB_ERR;
    if (variable != CB_ERR) variables->GetLBText(variable, VariableName);
    if (!located) {
        AfxMessageBox(NoLocationText);
        return;
    }
    if (variable == CB_ERR) {
        AfxMessageBox(NoVariableText);
        return;
    }
    EndDialog(IDOK);
}

bool CHydrographViewOptionsDlg::HandleKindEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate) ApplyAxisRules();
    return CDialog::HandleKindEvent(event);
}

void CHydrographViewOptionsDlg::ApplyAxisRules()
{
    for (const AxisGroupControls& axis : HydrographAxes) {
        const bool fixed = !IsChecked(*this, axis.automatic);
        for (int id : {axis.minimum, axis.maximum}) {
            CWnd* control = GetDlgItem(id);
            if (!control) continue;
            control->EnableWindow(fixed ? TRUE : FALSE);
            if (control->IsKindOf(&CEdit::Runtime)) static_cast<CEdit*>(control)->SetReadOnly(fixed ? FALSE : TRUE);
        }
    }
}
