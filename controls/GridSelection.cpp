// The grid's focus cell, its selection and its notifications to the owner.
#include "controls/GridCtrl.h"

#include "platform/WaitCursor.h"

#include <algorithm>
#include <memory>

void CGridCtrl::SelectCell(int row, int col, bool select)
{
    const UINT state = CellState(row, col);
    SetCellState(row, col, select ? (state | CellStateSelected) : (state & ~CellStateSelected));
}

CCellID CGridCtrl::SetFocusCell(int row, int col)
{
    const CCellID previous = focusCell_;
    if (CCellID(row, col) == focusCell_) return previous;
    if (row != -1 && row < fixedRows_) row = fixedRows_;
    if (col != -1 && col < fixedCols_) col = fixedCols_;
    const CCellID next(row, col);
    if (next == focusCell_) return previous;
    focusCell_ = next;

    // A cell and, with TrackFocusCell, the headings of its row and column where they change.
    const auto redraw = [&](const CCellID& cell, const CCellID& other, bool focused) {
        if (!IsValid(cell)) return;
        const UINT state = CellState(cell.row, cell.col);
        SetCellState(cell.row, cell.col, focused ? (state | CellStateFocused) : (state & ~CellStateFocused));
        RedrawCell(cell.row, cell.col);
        if (!TrackFocusCell) return;
        if (cell.col != other.col) {
            for (int r = 0; r < fixedRows_; ++r) RedrawCell(r, cell.col);
        }
        if (cell.row != other.row) {
            for (int c = 0; c < fixedCols_; ++c) RedrawCell(cell.row, c);
        }
    };
    redraw(previous, next, false);
    redraw(next, previous, true);
    return previous;
}

void CGridCtrl::SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, BOOL repaintNow, BOOL select)
{
    if (!SelectionEnabled) return;
    CWaitCursor wait;
    std::unique_ptr<CClientDC> dc;
    if (repaintNow && GetSafeHwnd()) dc = std::make_unique<CClientDC>(this);
    const CellRange visible = VisibleScrollableRange();
    const auto redraw = [&](int row, int col) {
        if (!visible.InRange(row, col)) return;
        if (dc) RedrawCell(row, col, dc.get());
        else InvalidateCell(row, col);
    };

    const auto raise = [](int bound, int fixed) { return bound >= 0 ? std::max(bound, fixed) : bound; };
    minRow = raise(minRow, fixedRows_);
    maxRow = raise(maxRow, fixedRows_);
    minCol = raise(minCol, fixedCols_);
    maxCol = raise(maxCol, fixedCols_);
    const CellRange range(minRow, minCol, maxRow, maxCol);

    if (select) {
        // Everything selected so far is unselected; what lies outside the new block shows it.
        SelectedCellMap previous;
        previous.Swap(selected_);
        previous.ForEach([&](int row, int col) {
            if (!IsValid(row, col)) return;
            if (CGridCellBase* cell = StoredCell(row, col)) cell->SetState(cell->GetState() & ~CellStateSelected);
            if (!range.InRange(row, col)) redraw(row, col);
        });
        if (minRow < 0) return;
        if (!(SingleRowSelection && FullRowSelection) && minCol >= 0 && maxRow >= 0 && maxCol >= 0) {
            savedSelection_.ForEach([&](int row, int col) {
                if (!IsValid(row, col)) return;
                SelectCell(row, col, true);
                redraw(row, col);
            });
        }
    }
    if (!range.IsValid() || range.maxRow >= rowCount_ || range.maxCol >= colCount_) return;
    if (select) {
        selected_.Reserve(selected_.Size() + std::size_t(range.maxRow - range.minRow + 1) * std::size_t(range.maxCol - range.minCol + 1));
    }
    for (int row = range.minRow; row <= range.maxRow; ++row) {
        for (int col = range.minCol; col <= range.maxCol; ++col) {
            if ((IsCellSelected(row, col) != FALSE) == (select != FALSE)) continue;
            SelectCell(row, col, select != FALSE);
            redraw(row, col);
        }
    }
}

void CGridCtrl::SelectAll()
{
    if (!SelectionEnabled) return;
    SetSelectedRange(fixedRows_, fixedCols_, rowCount_ - 1, colCount_ - 1, FALSE, TRUE);
}

void CGridCtrl::SelectRowsTo(BOOL repaintNow, BOOL select, int row, int col)
{
    if (!SelectionEnabled || row < fixedRows_ || !IsValid(row, col)) return;
    int first = selectionAnchor_.row;
    int last = row;
    if (SingleRowSelection && FullRowSelection) first = row;
    if (first > last) std::swap(first, last);
    SetSelectedRange(first, fixedCols_, last, colCount_ - 1, repaintNow, select);
}

void CGridCtrl::SelectCellsTo(BOOL repaintNow, BOOL select, int row, int col)
{
    if (!SelectionEnabled || row < fixedRows_ || col < fixedCols_ || !IsValid(row, col)) return;
    SetSelectedRange(std::min(selectionAnchor_.row, row), std::min(selectionAnchor_.col, col),
                     std::max(selectionAnchor_.row, row), std::max(selectionAnchor_.col, col), repaintNow, select);
}

void CGridCtrl::ExtendSelection(const CCellID& cell)
{
    if (!SelectionEnabled) return;
    switch (MouseMode) {
    case MouseModeSelectAll: SelectAll(); break;
    case MouseModeSelectColumns: {
        if (!IsValid(cell) || cell.col < fixedCols_) break;
        int first = SingleColSelection ? cell.col : std::min(selectionAnchor_.col, cell.col);
        int last = SingleColSelection ? cell.col : std::max(selectionAnchor_.col, cell.col);
        SetSelectedRange(fixedRows_, first, rowCount_ - 1, last, FALSE, TRUE);
        break;
    }
    case MouseModeSelectRows: SelectRowsTo(FALSE, TRUE, cell.row, cell.col); break;
    case MouseModeSelectCells: SelectCellsTo(FALSE, TRUE, cell.row, cell.col); break;
    default: break;
    }
}

CellRange CGridCtrl::GetSelectedRange() const
{
    if (selected_.Empty()) return CellRange(rowCount_, colCount_, -1, -1);
    return selected_.Bounds();
}

void CGridCtrl::ClearSelection()
{
    savedSelection_.Clear();
    SetSelectedRange(-1, -1, -1, -1, FALSE, TRUE);
    SetFocusCell(-1, -1);
}

BOOL CGridCtrl::IsCellSelected(int row, int col) const
{
    if (!SelectionEnabled) return FALSE;
    if (VirtualMode) return selected_.Contains(row, col) ? TRUE : FALSE;
    return (CellState(row, col) & CellStateSelected) ? TRUE : FALSE;
}

LRESULT CGridCtrl::SendNotify(int row, int col, int code)
{
    if (!GetSafeHwnd()) return 0;
    CWnd* owner = GetOwner();
    if (!owner || !owner->GetSafeHwnd()) return 0;
    GridNotify notify;
    notify.hdr.hwndFrom = GetSafeHwnd();
    notify.hdr.idFrom = UINT_PTR(GetDlgCtrlID());
    notify.hdr.code = code;
    notify.row = row;
    notify.column = col;
    return owner->SendMessage(WM_NOTIFY, WPARAM(GetDlgCtrlID()), LPARAM(&notify));
}

LRESULT CGridCtrl::SendCacheHint(const CellRange& range)
{
    if (!GetSafeHwnd()) return 0;
    CWnd* owner = GetOwner();
    if (!owner || !owner->GetSafeHwnd()) return 0;
    GridCacheHint hint;
    hint.hdr.hwndFrom = GetSafeHwnd();
    hint.hdr.idFrom = UINT_PTR(GetDlgCtrlID());
    hint.hdr.code = GridNotifyCacheHint;
    hint.range = range;
    return owner->SendMessage(WM_NOTIFY, WPARAM(GetDlgCtrlID()), LPARAM(&hint));
}
