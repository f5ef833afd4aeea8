// The single-line editor a grid lays over the cell being edited. It is made on the heap for one
// edit, reports its text to the grid when the edit ends (GridNotifyEndEdit, with the key that
// ended it), and deletes itself when its window is destroyed: no one else frees it.
#pragma once

#include "platform/Dialog.h"

#include <string>

// The control id of every in-place editor.
constexpr UINT InPlaceEditId = 8;
// The first key of an edit begun by the mouse or F2 (caret at the end, arrows move the caret).
constexpr UINT FirstKeyMouse = VK_LBUTTON;

class CInPlaceEdit : public CEdit
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Creates and shows the editor over rect (parent's client pixels) with the parent's font,
    // the initial text and the keyboard focus, then applies the first key: FirstKeyMouse and
    // Enter put the caret after the text, Backspace takes its last character, Tab, space and
    // (only after the end of an edit: followOn) the navigation keys 33 to 40 select the whole
    // text, any other character replaces the whole text. Without a window (parent gone) the
    // object is left for the caller to delete (IsWindowCreated FALSE).
    CInPlaceEdit(CWnd* parent, const CRect& rect, DWORD style, UINT id, int row, int col,
                 const std::string& initialText, UINT firstKey, BOOL followOn = FALSE);
    ~CInPlaceEdit() override;

    // Reports the text to the owner (else the parent) as GridNotifyEndEdit and closes the
    // editor, which deletes it. Nothing while another editor's end is being reported.
    void EndEdit();

    int Row() const { return row_; }
    int Column() const { return col_; }
    UINT LastKey() const { return lastKey_; }
    BOOL IsWindowCreated() const { return created_; }

    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnKillFocus(CWnd* pNewWnd) override;
    UINT OnGetDlgCode() override;

protected:
    void PostNcDestroy() override;

private:
    // Widens the editor to its text and two spaces, up to the parent's right edge.
    void GrowToText();
    // Ends the edit by the key: the focus goes to the grid, whose taking it ends the edit.
    void EndByKey(UINT key);

    int row_;
    int col_;
    std::string initialText_;
    UINT lastKey_ = 0;  // 0: the edit ended by the loss of the focus
    BOOL exitOnArrows_;
    CRect rect_;
    BOOL created_ = FALSE;
};
