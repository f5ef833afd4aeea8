// The grid's keyboard: moving the focus cell over the visible rows and columns, selecting with
// Shift, the edit keys, and typing into a cell.
#include "controls/GridCtrl.h"

int CGridCtrl::VisibleRowFrom(int index, int step, int first, int last) const
{
    for (int row = index; row >= first && row <= last; row += step) {
        if (RowHeight(row) > 0) return row;
    }
    return -1;
}

int CGridCtrl::VisibleColumnFrom(int index, int step, int first, int last) const
{
    for (int col = index; col >= first && col <= last; col += step) {
        if (ColumnWidth(col) > 0) return col;
    }
    return -1;
}

UINT CGridCtrl::OnGetDlgCode()
{
    UINT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (HandleTabKey && GetKeyState(VK_CONTROL) >= 0) code |= DLGC_WANTTAB;
    return code;
}

void CGridCtrl::OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (titleTip_.TakeInput(WM_SYSKEYDOWN)) return;
    CWnd::OnSysKeyDown(nChar, nRepCnt, nFlags);
}

void CGridCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (titleTip_.TakeInput(WM_KEYDOWN)) return;
    if (!IsValid(focusCell_)) {
        CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
        return;
    }
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const int r = focusCell_.row;
    const int c = focusCell_.col;
    const int lastRow = rowCount_ - 1;
    const int lastCol = colCount_ - 1;
    CCellID next = focusCell_;
    bool defaultToo = false;

    if (control) {
        if (nChar == VK_INSERT || nChar == 'C') OnEditCopy();
        else if (nChar == 'A') OnEditSelectAll();
        else if (nChar == 'V') OnEditPaste();
    }
    if (shift && nChar == VK_INSERT) {
        OnEditPaste();
        CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
        return;
    }

    // A row or column to move to when the one a key reaches is hidden: the nearest visible one
    // beyond it, else back towards where the move began.
    const auto visibleRow = [&](int row, int step) {
        int found = VisibleRowFrom(row, step, fixedRows_, lastRow);
        if (found < 0) found = VisibleRowFrom(row - step, -step, fixedRows_, lastRow);
        return found < 0 ? r : found;
    };
    const auto visibleColumn = [&](int col, int step) {
        int found = VisibleColumnFrom(col, step, fixedCols_, lastCol);
        if (found < 0) found = VisibleColumnFrom(col - step, -step, fixedCols_, lastCol);
        return found < 0 ? c : found;
    };
    const auto pageMove = [&](UINT code) {
        const int before = TopLeftScrollableCell().row;
        SendMessage(WM_VSCROLL, code);
        const int after = TopLeftScrollableCell().row;
        SendMessage(WM_VSCROLL, SB_ENDSCROLL);
        return after - before;
    };

    switch (nChar) {
    case VK_DELETE: ClearSelectedCells(); break;
    case VK_F2: BeginCellEdit(r, c, CPoint(-1, -1), FirstKeyMouse); break;
    case VK_DOWN: {
        const int row = VisibleRowFrom(r + 1, 1, fixedRows_, lastRow);
        if (row >= 0) next.row = row;
        break;
    }
    case VK_UP: {
        const int row = r > fixedRows_ ? VisibleRowFrom(r - 1, -1, fixedRows_, lastRow) : -1;
        if (row >= 0) next.row = row;
        break;
    }
    case VK_TAB:
        if (shift) {
            // Back a cell; from the first column to the last of the row above that shows.
            if (c == fixedCols_ && r > fixedRows_) {
                const int row = VisibleRowFrom(r - 1, -1, fixedRows_, lastRow);
                const int col = VisibleColumnFrom(lastCol, -1, fixedCols_, lastCol);
                if (row >= 0 && col >= 0) next = CCellID(row, col);
            } else {
                const int col = VisibleColumnFrom(c - 1, -1, fixedCols_, lastCol);
                if (col >= 0) next.col = col;
            }
        } else {
            // On a cell; from the last column to the first of the next row that shows. With
            // only hidden rows below, nothing moves.
            if (c == lastCol && r < lastRow) {
                const int row = VisibleRowFrom(r + 1, 1, fixedRows_, lastRow);
                const int col = VisibleColumnFrom(fixedCols_, 1, fixedCols_, lastCol);
                if (row >= 0 && col >= 0) next = CCellID(row, col);
            } else {
                defaultToo = true;
                const int col = VisibleColumnFrom(c + 1, 1, fixedCols_, lastCol);
                if (col >= 0) next.col = col;
            }
        }
        break;
    case VK_RIGHT: {
        const int col = VisibleColumnFrom(c + 1, 1, fixedCols_, lastCol);
        if (col >= 0) next.col = col;
        break;
    }
    case VK_LEFT: {
        const int col = VisibleColumnFrom(c - 1, -1, fixedCols_, lastCol);
        if (col >= 0) next.col = col;
        break;
    }
    case VK_NEXT: {
        // By as many rows as the view moved, to the last row when it could not move.
        const int moved = pageMove(SB_PAGEDOWN);
        next.row = visibleRow(moved > 0 ? std::min(r + moved, lastRow) : lastRow, -1);
        break;
    }
    case VK_PRIOR: {
        const int moved = pageMove(SB_PAGEUP);
        next.row = visibleRow(moved < 0 ? std::max(r + moved, fixedRows_) : fixedRows_, 1);
        break;
    }
    case VK_HOME: {
        SendMessage(WM_HSCROLL, SB_LEFT);
        int row = r;
        if (control) {
            SendMessage(WM_VSCROLL, SB_TOP);
            row = fixedRows_;
        }
        next = CCellID(visibleRow(row, 1), visibleColumn(fixedCols_, 1));
        break;
    }
    case VK_END: {
        SendMessage(WM_HSCROLL, SB_RIGHT);
        int row = r;
        if (control) {
            SendMessage(WM_VSCROLL, SB_BOTTOM);
            row = lastRow;
        }
        next = CCellID(visibleRow(row, -1), visibleColumn(lastCol, -1));
        break;
    }
    default: defaultToo = true; break;
    }
    if (defaultToo) CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
    if (next == focusCell_ || !IsValid(next)) return;

    if (MouseMode == MouseModeIdle) {
        savedSelection_.Clear();
        MouseMode = FullRowSelection ? MouseModeSelectRows : MouseModeSelectCells;
        if (!shift || nChar == VK_TAB || !IsValid(selectionAnchor_)) {
            // Shift with no anchor yet extends from where the focus was.
            selectionAnchor_ = (shift && nChar != VK_TAB) ? focusCell_ : next;
        }
        SendNotify(next.row, next.col, GridNotifySelChanging);
        ExtendSelection(next);
        SendNotify(next.row, next.col, GridNotifySelChanged);
        MouseMode = MouseModeIdle;
    }
    SetFocusCell(next.row, next.col);
    const bool wasVisible = IsCellVisible(next.row, next.col) != FALSE;
    ScrollCellIntoView(next.row, next.col);
    if (!wasVisible && AllowDraw) Invalidate();
}

void CGridCtrl::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (GetKeyState(VK_CONTROL) >= 0 && MouseMode == MouseModeIdle && nChar != VK_ESCAPE &&
        !(nChar == VK_TAB && HandleTabKey))
        BeginCellEdit(focusCell_.row, focusCell_.col, CPoint(-1, -1), nChar);
    CWnd::OnChar(nChar, nRepCnt, nFlags);
}

LRESULT CGridCtrl::OnImeChar(WPARAM nChar, LPARAM)
{
    if (GetKeyState(VK_CONTROL) >= 0 && MouseMode == MouseModeIdle && nChar != VK_ESCAPE)
        BeginCellEdit(focusCell_.row, focusCell_.col, CPoint(-1, -1), UINT(nChar));
    return 0;
}
