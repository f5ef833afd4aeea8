#include "app/FileOptionsDlg.h"

#include "engine/EngineData.h"
#include "resources/GlobalSettingsDialog.h"
#include "resources/ResourceIds.h"

namespace {

constexpr int ThermalEntry = 2;

}  // namespace

const CRuntimeClass CFileOptionsDlg::Runtime{"CFileOptionsDlg", &CDialog::Runtime, nullptr};

CFileOptionsDlg::CFileOptionsDlg(CWnd* parent) : CDialog(IDD_FILE_OPTIONS, parent)
{
    RegisterGlobalSettingsDialogs();
}

int CFileOptionsDlg::EntryOf(int fileType)
{
    return fileType == FileTypeDynamicIce || fileType == FileTypeThermalIce ? ThermalEntry : fileType;
}

int CFileOptionsDlg::FileTypeOf(int entry)
{
    return entry == ThermalEntry ? FileTypeThermalIce : entry;
}

BOOL CFileOptionsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    auto* list = static_cast<CComboBox*>(GetDlgItem(IDC_FILE_TYPE_LIST));
    if (!list) return TRUE;
    list->ResetContent();
    for (const char* entry : FileTypeEntries) list->AddString(entry);
    openedEntry_ = list->SetCurSel(EntryOf(FileType));
    return TRUE;
}

void CFileOptionsDlg::OnOK()
{
    const auto* list = static_cast<const CComboBox*>(GetDlgItem(IDC_FILE_TYPE_LIST));
    const int entry = list ? list->GetCurSel() : CB_ERR;
    // The entry the dialog opened on keeps the type it showed: a dynamic-ice model stays one.
    if (entry != CB_ERR && entry != openedEntry_) FileType = FileTypeOf(entry);
    CDialog::OnOK();
}
