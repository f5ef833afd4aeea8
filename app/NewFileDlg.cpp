#include "app/NewFileDlg.h"

#include "app/BrowseFile.h"
#include "platform/Application.h"
#include "platform/DataExchange.h"
#include "resources/NewFileDialog.h"
#include "resources/ResourceIds.h"

namespace {

// Why Create keeps the dialog open.
struct Refusal
{
    int code;
    int field;  // the control that gets the focus
    const char* text;
};
constexpr const char* NoPathText = "Please select a name and location for the new Vasquil file.";
constexpr Refusal ShapeRefusals[] = {
    {NewChannelTooFewNodes, IDC_NEW_NODE_COUNT, "The number of nodes must be 2 or more."},
    {NewChannelSpacingNotPositive, IDC_NEW_SPACING, "The discretization must be greater than 0 km."},
};

}  // namespace

const CRuntimeClass CNewFileDlg::Runtime{"CNewFileDlg", &CDialog::Runtime, nullptr};

CNewFileDlg::CNewFileDlg(CWnd* parent) : CDialog(IDD_NEW_FILE, parent)
{
    RegisterNewFileDialog();
    MapCommand(IDC_NEW_BROWSE, &CNewFileDlg::OnBrowseFile);
}

void CNewFileDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_NEW_BOTTOM_WIDTH, Shape.BottomWidth);
    DDX_Text(pDX, IDC_NEW_BANK_HEIGHT, Shape.BankHeight);
    DDX_Text(pDX, IDC_NEW_SIDE_SLOPE, Shape.SideSlope);
    DDX_Text(pDX, IDC_NEW_INFLOW_INVERT, Shape.InflowInvert);
    DDX_Text(pDX, IDC_NEW_OUTFLOW_INVERT, Shape.OutflowInvert);
    DDX_Text(pDX, IDC_NEW_ROUGHNESS, Shape.Roughness);
    DDX_Text(pDX, IDC_NEW_SPACING, Shape.Spacing);
    DDX_Text(pDX, IDC_NEW_NODE_COUNT, Shape.NodeCount);
    DDX_Text(pDX, IDC_NEW_INFLOW_DISCHARGE, Shape.InflowDischarge);
    DDX_Text(pDX, IDC_NEW_OUTFLOW_STAGE, Shape.OutflowStage);
    DDX_Text(pDX, IDC_NEW_PATH, Path);
}

void CNewFileDlg::OnBrowseFile()
{
    if (!UpdateData(TRUE)) return;
    BrowseSaveFile(AfxGetMainWnd(), nullptr, ModelFileFilter, ModelFileExtension, Path);
    UpdateData(FALSE);
}

void CNewFileDlg::OnOK()
{
    if (!UpdateData(TRUE)) return;
    if (Path.empty()) {
        AfxMessageBox(NoPathText);
        return;
    }
    const int check = CheckNewChannelShape(Shape);
    for (const Refusal& r : ShapeRefusals) {
        if (r.code == check) {
            AfxMessageBox(r.text);
            if (CWnd* field = GetDlgItem(r.field)) field->SetFocus();
            return;
        }
    }
    EndDialog(IDOK);
}
