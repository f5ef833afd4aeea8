// Data exchange between a dialog's members and its controls, member by member in the order
// DoDataExchange names them. Saving stops at the first field that does not parse: it shows
// "Enter a number." or "Enter an integer.", puts the focus on the field with its text
// selected, and leaves that member and every later one unchanged.
//
// Numbers are shown as "%.15g" (or with the fewer digits a field asks for) and "%d" and read in the C locale whatever the process locale
// is: blanks around a number are allowed; "1,5", "nan", "inf", values beyond a double or an
// int, and empty fields do not parse. A double field whose text the user has not changed
// since it was shown gives back the member's exact value.
#pragma once

#include "platform/WinTypes.h"

#include <filesystem>
#include <string>

class CWnd;

class CDataExchange
{
public:
    CDataExchange(CWnd* dialog, BOOL bSaveAndValidate);
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    bool m_bFailed = false;

    // The control of id; null (and the exchange stopped) when the dialog has none.
    CWnd* PrepareCtrl(int id);
    // Shows the message of messageId, puts the focus on the control and stops the exchange.
    void Fail(CWnd* control, UINT messageId);
};

void DDX_Text(CDataExchange* pDX, int id, int& value);
void DDX_Text(CDataExchange* pDX, int id, double& value);
// The same with at most `digits` significant digits shown ("%.<digits>g"); an unchanged field
// still gives back the member's exact value.
void DDX_Text(CDataExchange* pDX, int id, double& value, int digits);
void DDX_Text(CDataExchange* pDX, int id, std::string& value);  // Windows-1252
void DDX_Text(CDataExchange* pDX, int id, std::filesystem::path& value);
void DDX_Check(CDataExchange* pDX, int id, int& value);  // 0 or 1
// The index of the checked button in the radio group that starts at id; -1 for none.
void DDX_Radio(CDataExchange* pDX, int id, int& value);
// The selected index of a drop-down list; -1 for none.
void DDX_CBIndex(CDataExchange* pDX, int id, int& index);
// The selected item's text; loading selects the first item that starts with the text
// (ignoring case), or none.
void DDX_CBString(CDataExchange* pDX, int id, std::string& value);
// Makes control the object of the dialog's control id (done once, when loading).
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
