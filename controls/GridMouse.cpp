// The grid's mouse: selecting by presses and drags, editing on release and double-click,
// sizing columns and rows by their dividers, the cursor over them, auto-scrolling while a
// selection is dragged beyond the window, and the wheel.
#include "controls/GridCtrl.h"

#include "platform/Cursor.h"
#include "platform/WaitCursor.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Half a sizing line's width each side of the point.
constexpr int SizingLineWidth = 2;
// The wheel's delta of one notch.
constexpr int WheelDelta = 120;
// The wheel's WheelScrollLines for pages.
constexpr int WheelPages = -1;

void ShowCursor(UINT id)
{
    SetCursor(LoadStandardCursor(id));
}

}  // namespace

BOOL CGridCtrl::IsOverColumnDivider(CPoint point) const
{
    if (point.y >= FixedRowsHeight()) return FALSE;
    const CCellID cell = CellFromPoint(point, TRUE);
    CPoint origin;
    if (!GetCellOrigin(cell.row, cell.col, &origin)) return FALSE;
    if (point.x - origin.x < ResizeMargin && cell.col != 0) return TRUE;
    return origin.x + ColumnWidth(cell.col) - point.x < ResizeMargin ? TRUE : FALSE;
}

BOOL CGridCtrl::IsOverRowDivider(CPoint point) const
{
    if (point.x >= FixedColumnsWidth()) return FALSE;
    const CCellID cell = CellFromPoint(point, TRUE);
    CPoint origin;
    if (!GetCellOrigin(cell.row, cell.col, &origin)) return FALSE;
    if (point.y - origin.y < ResizeMargin && cell.row != 0) return TRUE;
    return origin.y + RowHeight(cell.row) - point.y < ResizeMargin ? TRUE : FALSE;
}

bool CGridCtrl::PointInCellText(int row, int col, CPoint point) const
{
    CRect rect;
    if (!GetCellRect(row, col, &rect)) return false;
    CGridCellBase* cell = CellAt(row, col);
    if (!cell || !cell->GetTextRect(&rect)) return false;
    return point.x >= rect.left && point.x <= rect.right && point.y >= rect.top && point.y <= rect.bottom;
}

void CGridCtrl::InvertSizingLine(int at)
{
    if (!GetSafeHwnd()) return;
    CRect client;
    GetClientRect(&client);
    CClientDC dc(this);
    if (MouseMode == MouseModeSizingColumn)
        dc.InvertRect(CRect(at - SizingLineWidth / 2, client.top, at + SizingLineWidth / 2, client.bottom));
    else dc.InvertRect(CRect(client.left, at - SizingLineWidth / 2, client.right, at + SizingLineWidth / 2));
}

void CGridCtrl::ReleaseOwnCapture()
{
    releasingCapture_ = true;
    if (GetCapture() == this) ReleaseCapture();
    releasingCapture_ = false;
    KillTimer(AutoScrollTimerId);
}

void CGridCtrl::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (titleTip_.TakeInput(WM_LBUTTONDOWN, point)) return;
    SetFocus();
    quietPress_ = false;
    pressPoint_ = point;
    leftButtonDown_ = TRUE;
    pressCell_ = CellFromPoint(point, TRUE);
    if (!IsValid(pressCell_)) return;
    const bool shift = (nFlags & MK_SHIFT) != 0;
    const bool control = (nFlags & MK_CONTROL) != 0;
    if (!shift) selectionAnchor_ = pressCell_;
    else if (!IsValid(selectionAnchor_)) selectionAnchor_ = focusCell_;
    FinishEditing();
    CGridCellBase* cell = CellAt(pressCell_.row, pressCell_.col);
    if (cell) cell->OnClickDown(PointInCell(pressCell_.row, pressCell_.col, point));
    const bool inText = PointInCellText(pressCell_.row, pressCell_.col, point);

    if (pressCell_ == focusCell_ && !control && inText && Editable &&
        !(CellState(pressCell_.row, pressCell_.col) & CellStateReadOnly)) {
        MouseMode = MouseModeEditPending;
        return;
    }
    if (IsCellSelected(pressCell_.row, pressCell_.col)) {
        SetFocusCell(pressCell_.row, pressCell_.col);
        if (control) {
            // Ctrl takes the cell out of the selection, quietly.
            if (FullRowSelection) SelectRowsTo(TRUE, FALSE, pressCell_.row, pressCell_.col);
            else SelectCellsTo(TRUE, FALSE, pressCell_.row, pressCell_.col);
            quietPress_ = true;
            return;
        }
        if (DragAndDrop) MouseMode = MouseModeDragPending;
    } else if (MouseMode != MouseModeOverRowDivider && MouseMode != MouseModeOverColumnDivider) {
        const bool fixed = pressCell_.row < fixedRows_ || pressCell_.col < fixedCols_;
        if (fixed) SetFocusCell(-1, -1);
        else SetFocusCell(pressCell_.row, pressCell_.col);
    }

    SetCapture();
    if (MouseMode == MouseModeIdle) {
        if (ColumnResize && IsOverColumnDivider(point)) {
            ShowCursor(IDC_SIZEWE);
            MouseMode = MouseModeOverColumnDivider;
        } else if (RowResize && IsOverRowDivider(point)) {
            ShowCursor(IDC_SIZENS);
            MouseMode = MouseModeOverRowDivider;
        }
    }

    CRect client;
    GetClientRect(&client);
    if (MouseMode == MouseModeOverColumnDivider || MouseMode == MouseModeOverRowDivider) {
        const bool columns = MouseMode == MouseModeOverColumnDivider;
        const int count = columns ? colCount_ : rowCount_;
        const int last = count - 1;
        const auto size = [&](int i) { return columns ? ColumnWidth(i) : RowHeight(i); };
        const int at = columns ? point.x : point.y;
        int index = columns ? pressCell_.col : pressCell_.row;
        CRect shown;
        VisibleScrollableRange(&shown);
        const int shownEnd = columns ? shown.right : shown.bottom;
        if (size(last) < ResizeMargin && std::abs(at - shownEnd) < ResizeMargin) index = last;
        CPoint origin;
        if (!GetCellOrigin(columns ? 0 : index, columns ? index : 0, &origin)) {
            MouseMode = MouseModeIdle;
            return;
        }
        int edge = columns ? origin.x : origin.y;
        const bool onLeadingEdge = at - edge < ResizeMargin && (index != last || size(last) >= ResizeMargin);
        if (onLeadingEdge && index > 0) {
            // The divider at the cell's left (top) edge belongs to the one before.
            --index;
            const BOOL hidden = columns ? ResizeHiddenColumns : ResizeHiddenRows;
            while (!hidden && index > 0 && size(index) == 0) --index;
            if (!hidden && size(index) == 0) {
                MouseMode = MouseModeIdle;
                return;
            }
            CPoint before;
            if (!GetCellOrigin(columns ? 0 : index, columns ? index : 0, &before)) {
                MouseMode = MouseModeIdle;
                return;
            }
            edge = columns ? before.x : before.y;
        }
        sizedIndex_ = index;
        sizedEdge_ = edge;
        MouseMode = columns ? MouseModeSizingColumn : MouseModeSizingRow;
        InvertSizingLine(at);
        // The pointer stays right of (below) the sized edge, within a client's extent of it.
        // (From the edge itself, not a pixel after it: so HideColumnsByResize can size to 0.)
        CRect clip = columns ? CRect(edge, client.top, edge + 1 + client.Width() - FixedColumnsWidth(), client.bottom)
                             : CRect(client.left, edge, client.right, edge + 1 + client.Height() - FixedRowsHeight());
        CPoint topLeft = clip.TopLeft();
        CPoint bottomRight = clip.BottomRight();
        ClientToScreen(&topLeft);
        ClientToScreen(&bottomRight);
        const CRect screen(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
        ClipCursor(&screen);
    } else if (MouseMode != MouseModeDragPending) {
        SendNotify(pressCell_.row, pressCell_.col, GridNotifySelChanging);
        savedSelection_.Clear();
        if (control) savedSelection_ = selected_;
        if (pressCell_.row < fixedRows_) {
            ClickInFixedRow(pressCell_);
        } else if (pressCell_.col < fixedCols_) {
            ClickInFixedColumn(pressCell_);
        } else {
            MouseMode = FullRowSelection ? MouseModeSelectRows : MouseModeSelectCells;
            ExtendSelection(pressCell_);
            SetTimer(AutoScrollTimerId, UINT(AutoScrollPeriod));
        }
    }
    lastMouse_ = point;
}

void CGridCtrl::ClickInFixedRow(const CCellID& cell)
{
    if (!IsValid(cell)) return;
    if (HeaderClickSorts) {
        CWaitCursor wait;
        SortByColumn(cell.col, !(cell.col == SortColumn && SortAscending));
        Invalidate();
    }
    if (ColumnHeaderClickSelects) {
        MouseMode = cell.col < fixedCols_ ? MouseModeSelectAll : MouseModeSelectColumns;
        ExtendSelection(cell);
    }
}

void CGridCtrl::ClickInFixedColumn(const CCellID& cell)
{
    if (!IsValid(cell)) return;
    if (RowHeaderClickSelects) {
        MouseMode = cell.row < fixedRows_ ? MouseModeSelectAll : MouseModeSelectRows;
        ExtendSelection(cell);
    }
}

void CGridCtrl::OnMouseMove(UINT nFlags, CPoint point)
{
    if (titleTip_.TakeInput(WM_MOUSEMOVE, point)) return;
    CRect client;
    GetClientRect(&client);
    if (MouseMode != MouseModeDragging && !client.PtInRect(point)) return;
    if (leftButtonDown_ && MouseMode != MouseModeIdle) {
        if (!IsValid(pressCell_) && MouseMode != MouseModeSizingColumn && MouseMode != MouseModeSizingRow) {
            lastMouse_ = point;
            return;
        }
        switch (MouseMode) {
        case MouseModeSelectColumns:
        case MouseModeSelectRows:
        case MouseModeSelectCells: {
            const CCellID cell = CellFromPoint(point, TRUE);
            if (!IsValid(cell) || cell == focusCell_) break;
            ExtendSelection(cell);
            const bool fixed = cell.row < fixedRows_ || cell.col < fixedCols_;
            if (!fixed || MouseMode == MouseModeSelectColumns || MouseMode == MouseModeSelectRows)
                SetFocusCell(cell.row, cell.col);
            break;
        }
        case MouseModeSizingColumn:
            InvertSizingLine(lastMouse_.x);
            InvertSizingLine(point.x);
            break;
        case MouseModeSizingRow:
            InvertSizingLine(lastMouse_.y);
            InvertSizingLine(point.y);
            break;
        case MouseModeEditPending:
        case MouseModeDragPending:
            MouseMode = MouseModeDragPending;
            BeginDrag();
            break;
        default: break;
        }
    } else {
        if (ColumnResize && IsOverColumnDivider(point)) {
            ShowCursor(IDC_SIZEWE);
            MouseMode = MouseModeOverColumnDivider;
        } else if (RowResize && IsOverRowDivider(point)) {
            ShowCursor(IDC_SIZENS);
            MouseMode = MouseModeOverRowDivider;
        } else if (MouseMode != MouseModeIdle) {
            ShowCursor(IDC_ARROW);
            MouseMode = MouseModeIdle;
        }
        if (MouseMode == MouseModeIdle && !(VirtualMode && !TitleTips)) {
            const CCellID cell = CellFromPoint(point, TRUE);
            if (CGridCellBase* over = CellAt(cell.row, cell.col)) {
                over->OnMouseOver();
                const char* tip = over->GetTipText();
                CRect textRect;
                CRect cellRect;
                if (TitleTips && tip && *tip && !over->IsEditing() && GetCellRect(cell.row, cell.col, &textRect) &&
                    over->GetTipTextRect(&textRect) && GetCellRect(cell.row, cell.col, &cellRect))
                    titleTip_.Show(tip, &cellRect, over->GetFont(), TipTextColor, TipBackColor, textRect);
            }
        }
    }
    (void)nFlags;
    lastMouse_ = point;
}

void CGridCtrl::EndSizing(CPoint point)
{
    const bool columns = MouseMode == MouseModeSizingColumn;
    InvertSizingLine(columns ? lastMouse_.x : lastMouse_.y);
    if (point != pressPoint_ && point != CPoint(0, 0)) {
        const int least = (columns ? HideColumnsByResize : HideRowsByResize) ? 0 : 1;
        const int size = std::max((columns ? point.x : point.y) - sizedEdge_, least);
        if (columns) SetColumnWidth(sizedIndex_, size);
        else SetRowHeight(sizedIndex_, size);
        UpdateScrollBars();
        if (AllowDraw) Invalidate();
    }
}

void CGridCtrl::OnLButtonUp(UINT nFlags, CPoint point)
{
    CWnd::OnLButtonUp(nFlags, point);
    leftButtonDown_ = FALSE;
    ClipCursor(nullptr);
    ReleaseOwnCapture();
    CPoint origin;
    if (!GetCellOrigin(focusCell_.row, focusCell_.col, &origin)) origin = point;
    const CPoint relative(point.x - origin.x, point.y - origin.y);
    const auto life = LifeToken();
    switch (MouseMode) {
    case MouseModeEditPending: BeginCellEdit(focusCell_.row, focusCell_.col, relative, FirstKeyMouse); break;
    case MouseModeDragPending:
        // A selected cell pressed and let go unmoved: nothing is selected any more.
        if (CGridCellBase* cell = CellAt(focusCell_.row, focusCell_.col)) cell->OnClick(relative);
        SendNotify(pressCell_.row, pressCell_.col, NM_CLICK);
        SendNotify(pressCell_.row, pressCell_.col, GridNotifySelChanging);
        ClearSelection();
        SetFocusCell(-1, -1);
        SendNotify(-1, -1, GridNotifySelChanged);
        break;
    case MouseModeSizingColumn:
    case MouseModeSizingRow: EndSizing(point); break;
    default:
        if (quietPress_) break;  // a Ctrl-click that unselected a cell tells no one
        SendNotify(focusCell_.row, focusCell_.col, GridNotifySelChanged);
        if (CGridCellBase* cell = CellAt(focusCell_.row, focusCell_.col)) cell->OnClick(relative);
        SendNotify(pressCell_.row, pressCell_.col, NM_CLICK);
        break;
    }
    if (life.expired() || !GetSafeHwnd()) return;
    MouseMode = MouseModeIdle;
    ShowCursor(IDC_ARROW);
    if (IsValid(pressCell_)) {
        if (CWnd* owner = GetOwner()) owner->PostMessage(WM_COMMAND, WPARAM(GetDlgCtrlID()), LPARAM(GetSafeHwnd()));
    }
}

void CGridCtrl::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    if (titleTip_.TakeInput(WM_LBUTTONDBLCLK, point)) return;
    const CCellID cell = CellFromPoint(point, TRUE);
    if (!IsValid(cell)) {
        CWnd::OnLButtonDblClk(nFlags, point);
        return;
    }
    if (MouseMode == MouseModeOverColumnDivider || MouseMode == MouseModeOverRowDivider) {
        // Fits the column left of (the row above) the divider.
        const bool columns = MouseMode == MouseModeOverColumnDivider;
        CPoint origin;
        GetCellOrigin(cell.row, cell.col, &origin);
        int index = columns ? cell.col : cell.row;
        if ((columns ? point.x - origin.x : point.y - origin.y) < ResizeMargin) --index;
        if (columns) {
            index = VisibleColumnFrom(index, -1, 0, colCount_ - 1);
            if (index >= 0) FitColumnToText(index, AutoSizeScope);
        } else {
            index = VisibleRowFrom(index, -1, 0, rowCount_ - 1);
            if (index >= 0) FitRowToText(index);
        }
        if (AllowDraw) Invalidate();
        CWnd::OnLButtonDblClk(nFlags, point);
        return;
    }
    if (MouseMode == MouseModeSelectRows || MouseMode == MouseModeSelectCells || MouseMode == MouseModeEditPending ||
        MouseMode == MouseModeDragPending) {
        // Qt presses again before the double-click, where the window system sends only the
        // double-click: that press ends here, and the double-click acts as after one click.
        leftButtonDown_ = FALSE;
        ReleaseOwnCapture();
        MouseMode = MouseModeIdle;
    }
    if (MouseMode == MouseModeIdle) {
        const bool fixed = cell.row < fixedRows_ || cell.col < fixedCols_;
        const CPoint relative = PointInCell(cell.row, cell.col, point);
        if (!fixed && PointInCellText(cell.row, cell.col, point) && (IsValid(pressCell_) || FullRowSelection))
            BeginCellEdit(cell.row, cell.col, relative, FirstKeyMouse);
        if (CGridCellBase* clicked = CellAt(cell.row, cell.col)) clicked->OnDblClick(relative);
        SendNotify(cell.row, cell.col, NM_DBLCLK);
    }
    CWnd::OnLButtonDblClk(nFlags, point);
}

void CGridCtrl::OnRButtonDown(UINT nFlags, CPoint point)
{
    if (titleTip_.TakeInput(WM_RBUTTONDOWN, point)) return;
    CWnd::OnRButtonDown(nFlags, point);
    const CCellID cell = CellFromPoint(point, TRUE);
    FinishEditing();
    if (!IsValid(cell)) {
        SendNotify(-1, -1, NM_RCLICK);
        return;
    }
    SetFocusCell(-1, -1);
    SetFocusCell(std::max(cell.row, fixedRows_), std::max(cell.col, fixedCols_));
    if (CGridCellBase* clicked = CellAt(cell.row, cell.col)) clicked->OnRClick(PointInCell(cell.row, cell.col, point));
    SendNotify(cell.row, cell.col, NM_RCLICK);
}

void CGridCtrl::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != AutoScrollTimerId) {
        CWnd::OnTimer(nIDEvent);
        return;
    }
    CPoint point;
    if (!GetCursorPos(&point)) return;
    ScreenToClient(&point);
    CRect client;
    GetClientRect(&client);
    const int fixedHeight = FixedRowsHeight();
    const int fixedWidth = FixedColumnsWidth();
    const int right = client.right - 1;
    const int bottom = client.bottom - 1;
    if (point.y > bottom) {
        SendMessage(WM_KEYDOWN, VK_DOWN, 0);
        ExtendSelection(CellFromPoint(CPoint(std::clamp(point.x, client.left, right), bottom), TRUE));
    } else if (point.y < fixedHeight) {
        SendMessage(WM_KEYDOWN, VK_UP, 0);
        ExtendSelection(CellFromPoint(CPoint(std::clamp(point.x, client.left, right), fixedHeight + 1), TRUE));
    }
    if (point.x > right) {
        SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
        ExtendSelection(CellFromPoint(CPoint(right, std::clamp(point.y, client.top, bottom)), TRUE));
    } else if (point.x < fixedWidth) {
        SendMessage(WM_KEYDOWN, VK_LEFT, 0);
        ExtendSelection(CellFromPoint(CPoint(fixedWidth + 1, std::clamp(point.y, client.top, bottom)), TRUE));
    }
}

void CGridCtrl::OnCaptureChanged(CWnd* pWnd)
{
    if (pWnd == this || releasingCapture_) return;
    KillTimer(AutoScrollTimerId);
    if (MouseMode == MouseModeDragging) MouseMode = MouseModeIdle;
    if (MouseMode == MouseModeSizingColumn || MouseMode == MouseModeSizingRow) {
        // Sizing cannot go on without the mouse: it ends as a release where it began would.
        leftButtonDown_ = FALSE;
        ClipCursor(nullptr);
        EndSizing(pressPoint_);
        MouseMode = MouseModeIdle;
        ShowCursor(IDC_ARROW);
    }
}

BOOL CGridCtrl::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (nHitTest != HTCLIENT) return CWnd::OnSetCursor(pWnd, nHitTest, message);
    switch (MouseMode) {
    case MouseModeOverRowDivider: ShowCursor(IDC_SIZENS); return TRUE;
    case MouseModeOverColumnDivider: ShowCursor(IDC_SIZEWE); return TRUE;
    case MouseModeDragging: return TRUE;
    default: break;
    }
    ShowCursor(IDC_ARROW);
    if (!VirtualMode) {
        CPoint point;
        if (GetCursorPos(&point)) {
            ScreenToClient(&point);
            const CCellID cell = CellFromPoint(point, TRUE);
            if (CGridCellBase* over = CellAt(cell.row, cell.col)) over->OnSetCursor();
        }
    }
    return TRUE;
}

BOOL CGridCtrl::OnMouseWheel(UINT, short zDelta, CPoint)
{
    // Deltas in 120ths of a notch, times the lines of one notch: what makes no whole line yet
    // (a touchpad's small deltas) waits for the next turn the same way.
    const int lines = WheelScrollLines == WheelPages ? 1 : WheelScrollLines;
    if ((wheelRemainder_ > 0 && zDelta < 0) || (wheelRemainder_ < 0 && zDelta > 0)) wheelRemainder_ = 0;
    wheelRemainder_ += int(zDelta) * lines;
    const int steps = wheelRemainder_ / WheelDelta;
    wheelRemainder_ -= steps * WheelDelta;
    const UINT up = WheelScrollLines == WheelPages ? SB_PAGEUP : SB_LINEUP;
    const UINT down = WheelScrollLines == WheelPages ? SB_PAGEDOWN : SB_LINEDOWN;
    for (int i = 0; i < std::abs(steps); ++i) PostMessage(WM_VSCROLL, steps > 0 ? up : down);
    return TRUE;
}
