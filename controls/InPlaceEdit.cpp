#include "controls/InPlaceEdit.h"

#include "controls/GridItem.h"

#include "platform/DeviceContext.h"

#include <algorithm>

const CRuntimeClass CInPlaceEdit::Runtime{"CInPlaceEdit", &CEdit::Runtime, nullptr};

namespace {

// Set while an editor reports its end: the report's handlers may move the focus, which would
// end the same edit again (one flag for all editors, as only one edits at a time).
bool g_endingEdit = false;

// The room the editor keeps after its text while typing.
constexpr const char* GrowthRoom = "  ";

// Characters of 128 and above come as input-method characters.
constexpr UINT FirstImeCharacter = 128;

bool IsNavigationKey(UINT key)
{
    return key >= VK_PRIOR && key <= VK_DOWN;
}

}  // namespace

CInPlaceEdit::CInPlaceEdit(CWnd* parent, const CRect& rect, DWORD style, UINT id, int row, int col,
                           const std::string& initialText, UINT firstKey, BOOL followOn)
    : row_(row), col_(col), initialText_(initialText), exitOnArrows_(firstKey != FirstKeyMouse), rect_(rect)
{
    if (!Create(style | WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, rect, parent, id)) return;
    created_ = TRUE;
    SendMessage(WM_SETFONT, WPARAM(parent->SendMessage(WM_GETFONT)), TRUE);
    SetWindowText(initialText);
    SetFocus();

    const int length = int(initialText.size());
    if (firstKey == FirstKeyMouse || firstKey == VK_RETURN) {
        SetSel(length, -1);
    } else if (firstKey == VK_BACK) {
        SetSel(length, -1);
        SendMessage(WM_CHAR, VK_BACK, 1);
    } else if (firstKey == VK_TAB || firstKey == VK_SPACE || (followOn && IsNavigationKey(firstKey))) {
        SetSel(0, -1);
    } else {
        // A typed character replaces the whole text, as typing over a selection does.
        SetSel(0, -1);
        PostMessage(firstKey < FirstImeCharacter ? WM_CHAR : WM_IME_CHAR, firstKey, 1);
    }
}

CInPlaceEdit::~CInPlaceEdit() = default;

void CInPlaceEdit::PostNcDestroy()
{
    CEdit::PostNcDestroy();
    delete this;
}

BOOL CInPlaceEdit::PreTranslateMessage(MSG* pMsg)
{
    // Alt with a key does nothing while editing (no menu mnemonic takes the focus away).
    if (pMsg->message == WM_SYSCHAR) return TRUE;
    return CEdit::PreTranslateMessage(pMsg);
}

UINT CInPlaceEdit::OnGetDlgCode()
{
    // Enter, Esc and Tab end the edit instead of pressing a dialog's buttons or moving its focus.
    return DLGC_WANTALLKEYS;
}

void CInPlaceEdit::EndByKey(UINT key)
{
    lastKey_ = key;
    // Losing the focus ends the edit (OnKillFocus), which deletes this object.
    if (CWnd* parent = GetParent()) parent->SetFocus();
}

void CInPlaceEdit::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    const bool leaves = nChar == VK_PRIOR || nChar == VK_NEXT || nChar == VK_LEFT || nChar == VK_UP ||
                        nChar == VK_RIGHT || nChar == VK_DOWN;
    if (leaves && (exitOnArrows_ || GetKeyState(VK_CONTROL) < 0)) {
        EndByKey(nChar);
        return;
    }
    CEdit::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CInPlaceEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_TAB || nChar == VK_RETURN) {
        EndByKey(nChar);
        return;
    }
    if (nChar == VK_ESCAPE) {
        SetWindowText(initialText_);
        EndByKey(nChar);
        return;
    }
    CEdit::OnChar(nChar, nRepCnt, nFlags);
    GrowToText();
}

void CInPlaceEdit::GrowToText()
{
    CWnd* parent = GetParent();
    if (!parent || !GetSafeHwnd()) return;
    CScreenDC dc;
    if (!dc.IsValid()) return;
    CFont* old = nullptr;
    if (CFont* font = CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)))) old = dc.SelectObject(font);
    const int width = dc.GetTextExtent(GetWindowText() + GrowthRoom).cx;
    if (old) dc.SelectObject(old);
    if (width <= rect_.Width()) return;
    CRect client;
    parent->GetClientRect(&client);
    const int right = std::min(rect_.left + width, client.right);
    if (right <= rect_.right) return;
    rect_.right = right;
    MoveWindow(rect_, TRUE);
}

void CInPlaceEdit::OnKillFocus(CWnd* pNewWnd)
{
    CEdit::OnKillFocus(pNewWnd);
    EndEdit();
}

void CInPlaceEdit::EndEdit()
{
    if (g_endingEdit) return;
    g_endingEdit = true;
    GridDisplayInfo info;
    info.hdr.hwndFrom = GetSafeHwnd();
    info.hdr.idFrom = UINT_PTR(GetDlgCtrlID());
    info.hdr.code = GridNotifyEndEdit;
    info.item.row = row_;
    info.item.column = col_;
    info.item.mask = ItemMaskText | ItemMaskData;
    info.item.data = LPARAM(lastKey_);
    info.item.text = GetWindowText();
    const auto life = LifeToken();
    const HWND self = GetSafeHwnd();
    if (CWnd* owner = GetOwner()) owner->SendMessage(WM_NOTIFY, WPARAM(GetDlgCtrlID()), LPARAM(&info));
    // The window is closed once, here, unless the report's handlers destroyed it already; the
    // object deletes itself with its window. An editor that still has the focus hands it to
    // the grid first, so that it does not wander to the next control of a dialog.
    if (!life.expired() && self && FromHandle(self) == this) {
        if (GetFocus() == this) {
            if (CWnd* parent = GetParent()) parent->SetFocus();
        }
        if (!life.expired() && FromHandle(self) == this) SendMessage(WM_CLOSE);
    }
    g_endingEdit = false;
}
