#include "app/AboutDlg.h"

#include "resources/ResourceIds.h"

const CRuntimeClass CAboutDlg::Runtime{"CAboutDlg", &CDialog::Runtime, &CreateRuntimeObject<CAboutDlg>};

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
