#include "app/LoadMapImageryDlg.h"

#include "app/BrowseFile.h"
#include "app/MapImagery.h"
#include "platform/Application.h"
#include "platform/DataExchange.h"
#include "platform/Image.h"
#include "resources/LoadMapImageryDialog.h"
#include "resources/ResourceIds.h"

namespace {

constexpr const char* ImageFilter =
    "JPG Files (*.jpg)|*.jpg|JPEG Files (*.jpeg)|*.jpeg|BMP Files (*.bmp)|*.bmp|TIF Files (*.tif)|*.tif|"
    "GIF Files (*.gif)|*.gif|PNG Files (*.png)|*.png|All Files|*.*||";
constexpr const char* WorldFileFilter =
    "JPG or JPEG World Files (*.jgw)|*.jgw|BMP World Files (*.bpw)|*.bpw|TIF World Files (*.tfw)|*.tfw|"
    "GIF World Files (*.gfw)|*.gfw|PNG World Files (*.pgw)|*.pgw|All Files|*.*||";

}  // namespace

const CRuntimeClass CLoadMapImageryDlg::Runtime{"CLoadMapImageryDlg", &CDialog::Runtime, nullptr};

CLoadMapImageryDlg::CLoadMapImageryDlg(CWnd* parent) : CDialog(IDD_LOAD_MAP_IMAGERY, parent)
{
    RegisterLoadMapImageryDialog();
    MapCommand(IDC_MAP_IMAGE_BROWSE, &CLoadMapImageryDlg::OnBrowseImageFile);
    MapCommand(IDC_MAP_WORLD_FILE_BROWSE, &CLoadMapImageryDlg::OnBrowseWorldFile);
}

void CLoadMapImageryDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_MAP_IMAGE_PATH, ImagePath);
    DDX_Text(pDX, IDC_MAP_WORLD_FILE_PATH, WorldFilePath);
}

BOOL CLoadMapImageryDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    EnableLoad();
    return TRUE;
}

void CLoadMapImageryDlg::OnBrowseImageFile()
{
    UpdateData(TRUE);
    // No extension is added: a name without one is taken as it was typed.
    if (BrowseOpenFile(AfxGetMainWnd(), nullptr, ImageFilter, nullptr, ImagePath)) {
        CImage trial;
        ImageValid = SUCCEEDED(trial.Load(ImagePath)) ? 1 : 0;
        trial.Destroy();
        if (!ImageValid) AfxMessageBox(MapImageNotLoadedText);
    }
    UpdateData(FALSE);
    EnableLoad();
}

void CLoadMapImageryDlg::OnBrowseWorldFile()
{
    UpdateData(TRUE);
    if (BrowseOpenFile(AfxGetMainWnd(), nullptr, WorldFileFilter, nullptr, WorldFilePath)) {
        WorldFileValues values;
        const int result = ReadWorldFile(WorldFilePath, &values);
        WorldFileValid = result == WorldFileOk ? 1 : 0;
        if (!WorldFileValid) AfxMessageBox(WorldFileMessage(result));
    }
    UpdateData(FALSE);
    EnableLoad();
}

void CLoadMapImageryDlg::OnOK()
{
    if (ImageValid && WorldFileValid) CDialog::OnOK();
}

void CLoadMapImageryDlg::EnableLoad()
{
    if (CWnd* load = GetDlgItem(IDOK)) load->EnableWindow(ImageValid && WorldFileValid ? TRUE : FALSE);
}
