// Dialogs built from templates, modal or modeless, and the wrappers of their stock controls.
#pragma once

#include "platform/Window.h"

#include <memory>
#include <string>
#include <vector>

class CDataExchange;
struct DialogTemplate;

constexpr int CB_ERR = -1;
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;

// A date-time picker's answer: it holds a time, or none.
constexpr DWORD GDT_VALID = 0;
constexpr DWORD GDT_NONE = 1;

// A calendar date and time of day (local time), as a date-time picker gives and takes it.
struct SYSTEMTIME
{
    WORD wYear = 0;
    WORD wMonth = 0;  // 1 to 12
    WORD wDayOfWeek = 0;  // 0 Sunday to 6 Saturday; ignored by SetTime
    WORD wDay = 0;    // 1 to 31
    WORD wHour = 0;
    WORD wMinute = 0;
    WORD wSecond = 0;
    WORD wMilliseconds = 0;
};

class CDialog : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr);
    ~CDialog() override;

    // Builds the window from the template, runs OnInitDialog and waits until EndDialog; the
    // window is destroyed before it returns. Returns EndDialog's result, or -1 when the
    // template is not registered. A modal-dialog interceptor, when installed, plays the user.
    virtual int DoModal();
    // Builds a modeless window (owned by parent, else the main window) and runs OnInitDialog;
    // shown when the template has WS_VISIBLE. FALSE when the template is missing or a window
    // exists already.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);

    // Default: fills the controls from the members (UpdateData(FALSE)); TRUE.
    virtual BOOL OnInitDialog();
    // IDOK (also Enter): takes the members from the controls and ends with IDOK when that
    // succeeds. IDCANCEL (also Escape and the close box): ends with IDCANCEL.
    virtual void OnOK();
    virtual void OnCancel();
    // Ends a modal dialog with result; hides a modeless one.
    void EndDialog(int result);
    // TRUE: controls into members; FALSE: members into controls. Returns FALSE when a field
    // did not parse (the exchange stopped there, with its message shown).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);

    UINT GetTemplateId() const { return templateId_; }
    // Converts a rectangle from this dialog's units to pixels.
    void MapDialogRect(CRect* rect) const;

protected:
    bool HandleKindEvent(QEvent* event) override;
    bool IsDialogHost() const override { return true; }
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    BOOL BuildWindow(const DialogTemplate& tmpl, CWnd* parent, bool modal);

    UINT templateId_;
    CSize baseUnits_{6, 12};  // pixels per 4 horizontal and 8 vertical dialog units
    int modalResult_ = 0;
    bool modalEnded_ = false;
    bool modal_ = false;
    std::vector<std::unique_ptr<CWnd>> controls_;  // objects of the template's controls
};

class CStatic : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
};

// Push buttons, check boxes, radio buttons and group boxes.
class CButton : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    int GetCheck() const;  // BST_CHECKED or BST_UNCHECKED
    void SetCheck(int check);  // no notification, as when the program sets it
    // Presses the button as a click does (BN_CLICKED to the parent).
    void Click();
};

// A single-line edit control (QLineEdit). One made by Create receives its input as messages:
// WM_KEYDOWN, WM_CHAR, WM_SETFOCUS and WM_KILLFOCUS reach a derived class's handlers, whose
// default processing (Default) is the control's own handling of the key, character or focus
// change; a character sent or posted by the program is typed as the user would type it.
// WM_PASTE pastes the clipboard's text, WM_SETFONT sets the font, WM_CLOSE destroys the window.
class CEdit : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    // A child edit of parent over rect (parent's client pixels) with id: ES_RIGHT or ES_CENTER
    // align it, ES_READONLY, WS_BORDER frames it, WS_VISIBLE shows it. FALSE, and no window,
    // without a parent window or when one exists already.
    BOOL Create(DWORD style, const CRect& rect, CWnd* parent, UINT id);
    BOOL SetReadOnly(BOOL readOnly = TRUE);
    BOOL IsReadOnly() const;
    // Selects characters start to end (end -1: to the end of the text); the caret goes to end.
    void SetSel(int start, int end);
    // The selection's start and end (end past the last character selected).
    void GetSel(int& start, int& end) const;

protected:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HFONT editFont_ = nullptr;  // WM_SETFONT's font
};

// A drop-down list: index -1 (CB_ERR) is no selection.
class CComboBox : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    int AddString(const std::string& text);  // returns the new item's index
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    // Selects index (-1 clears); returns it, or CB_ERR for an index outside the list (which
    // clears the selection).
    int SetCurSel(int index);
    void GetLBText(int index, std::string& text) const;
    // The first item after start (-1: from the top, wrapping round) whose whole text equals
    // text ignoring case; CB_ERR without one.
    int FindStringExact(int start, const std::string& text) const;
};

// A date-time picker: one field that shows a date and a time of day in its format and lets
// the user change each part; it may also hold no time at all.
class CDateTimeCtrl : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    // The display format in Qt's letters ("yyyy/MM/dd HH:mm:ss"); TRUE when set.
    BOOL SetFormat(const char* format);
    // Shows the time; null (or a date that does not exist) leaves the picker holding none.
    // Returns TRUE when it now holds the time given.
    BOOL SetTime(const SYSTEMTIME* time);
    // GDT_VALID with the time shown (milliseconds 0), or GDT_NONE, time untouched, when the
    // picker holds no time.
    DWORD GetTime(SYSTEMTIME* time) const;
};
