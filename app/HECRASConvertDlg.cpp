#include "app/HECRASConvertDlg.h"

#include "app/BrowseFile.h"
#include "platform/Application.h"
#include "platform/DataExchange.h"
#include "resources/HECRASConvertDialog.h"
#include "resources/ResourceIds.h"

namespace {

constexpr const char* GeometryExtension = "g*";
constexpr const char* GeometryFilter = "Geometry files (*.g*)|*.g*|All Files|*.*||";

// Why Convert keeps the dialog open, in the order they are checked.
constexpr const char* NoGeometryText = "Please select a HEC-RAS geometry file.";
constexpr const char* NoOutputText = "Please select a name and location for the new Vasquil file.";
constexpr const char* DepthText = "The initial depth must be greater than 0.";

// The unit choices of the radio group and the texts beside the depth and the discharge.
constexpr int ImperialChoice = 0;
constexpr int MetricChoice = 1;
struct UnitTexts
{
    const char* length;
    const char* discharge;
};
constexpr UnitTexts Units[] = {{"ft", "cfs"}, {"m", "cms"}};

}  // namespace

const CRuntimeClass CHECRASConvertDlg::Runtime{"CHECRASConvertDlg", &CDialog::Runtime, nullptr};

CHECRASConvertDlg::CHECRASConvertDlg(CWnd* parent) : CDialog(IDD_HECRAS_CONVERT, parent)
{
    RegisterHECRASConvertDialog();
    MapCommand(IDC_HECRAS_GEOMETRY_BROWSE, &CHECRASConvertDlg::OnBrowseGeometryFile);
    MapCommand(IDC_HECRAS_OUTPUT_BROWSE, &CHECRASConvertDlg::OnBrowseOutputFile);
    MapCommand(IDC_HECRAS_METRIC, &CHECRASConvertDlg::OnClickedMetric);
    MapCommand(IDC_HECRAS_IMPERIAL, &CHECRASConvertDlg::OnClickedImperial);
}

void CHECRASConvertDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_HECRAS_GEOMETRY_PATH, GeometryPath);
    DDX_Text(pDX, IDC_HECRAS_OUTPUT_PATH, OutputPath);
    DDX_Radio(pDX, IDC_HECRAS_IMPERIAL, UnitChoice);
    DDX_Text(pDX, IDC_HECRAS_LENGTH_UNIT, LengthUnit);
    DDX_Text(pDX, IDC_HECRAS_DISCHARGE_UNIT, DischargeUnit);
    DDX_Text(pDX, IDC_HECRAS_DEPTH, InitialDepth);
    DDX_Text(pDX, IDC_HECRAS_DISCHARGE, InitialDischarge);
}

void CHECRASConvertDlg::OnBrowseGeometryFile()
{
    if (!UpdateData(TRUE)) return;
    BrowseOpenFile(AfxGetMainWnd(), nullptr, GeometryFilter, GeometryExtension, GeometryPath);
    UpdateData(FALSE);
}

void CHECRASConvertDlg::OnBrowseOutputFile()
{
    if (!UpdateData(TRUE)) return;
    BrowseSaveFile(AfxGetMainWnd(), nullptr, ModelFileFilter, ModelFileExtension, OutputPath);
    UpdateData(FALSE);
}

void CHECRASConvertDlg::OnClickedMetric()
{
    ChooseUnits(MetricChoice);
}

void CHECRASConvertDlg::OnClickedImperial()
{
    ChooseUnits(ImperialChoice);
}

void CHECRASConvertDlg::ChooseUnits(int choice)
{
    // What was typed is taken first and shown again, so it survives; a field that does not
    // parse stays as typed (after its message), and only the unit texts change.
    const bool taken = UpdateData(TRUE) != FALSE;
    UnitChoice = choice;
    LengthUnit = Units[choice].length;
    DischargeUnit = Units[choice].discharge;
    if (taken) {
        UpdateData(FALSE);
        return;
    }
    if (CWnd* length = GetDlgItem(IDC_HECRAS_LENGTH_UNIT)) length->SetWindowText(LengthUnit);
    if (CWnd* discharge = GetDlgItem(IDC_HECRAS_DISCHARGE_UNIT)) discharge->SetWindowText(DischargeUnit);
}

void CHECRASConvertDlg::OnOK()
{
    if (!UpdateData(TRUE)) return;
    if (GeometryPath.empty()) {
        AfxMessageBox(NoGeometryText);
        return;
    }
    if (OutputPath.empty()) {
        AfxMessageBox(NoOutputText);
        return;
    }
    if (!(InitialDepth > 0)) {
        AfxMessageBox(DepthText);
        if (CWnd* field = GetDlgItem(IDC_HECRAS_DEPTH)) field->SetFocus();
        return;
    }
    EndDialog(IDOK);
}
