#include "views/SetNodeTableValuesDlg.h"

#include "platform/DataExchange.h"
#include "resources/NodeTableDialogs.h"

const CRuntimeClass CSetNodeTableValuesDlg::Runtime{"CSetNodeTableValuesDlg", &CDialog::Runtime, nullptr};

CSetNodeTableValuesDlg::CSetNodeTableValuesDlg(CWnd* parent) : CDialog(IDD_SET_NODE_TABLE_VALUES, parent)
{
    RegisterNodeTableDialogs();
}

void CSetNodeTableValuesDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_SET_VALUES_VALUE, Value);
}
