// Sorting the grid's rows by a column, and sizing rows and columns to their cells or to the
// client area.
#include "controls/GridCtrl.h"

#include "platform/WaitCursor.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

void CGridCtrl::SortByColumn(int col, BOOL ascending)
{
    SortWithCompare(CompareFunc ? CompareFunc : &CGridCtrl::CompareCellText, col, ascending);
}

BOOL CGridCtrl::SortWithCompare(CellCompareFunc compare, int col, BOOL ascending)
{
    InvalidateCell(0, SortColumn);
    InvalidateCell(0, col);
    SortColumn = col;
    SortAscending = ascending;
    ClearSelection();
    return QuickSortRows(compare, col, ascending, 0, fixedRows_, -1);
}

BOOL CGridCtrl::QuickSortRows(CellCompareFunc compare, int col, BOOL ascending, LPARAM, int low, int high)
{
    if (!compare || col < 0 || col >= colCount_ || VirtualMode) return FALSE;
    if (high == -1) high = rowCount_ - 1;
    if (low < 0 || high >= rowCount_ || low >= high) return FALSE;
    ForgetTopLeft();
    const auto cell = [&](int row) { return rows_[std::size_t(row)][std::size_t(col)].get(); };
    const auto exchange = [&](int a, int b) {
        std::swap(rows_[std::size_t(a)], rows_[std::size_t(b)]);
        for (int c = 0; c < colCount_; ++c) {
            if (CGridCellBase* moved = rows_[std::size_t(a)][std::size_t(c)].get()) moved->SetCoords(a, c);
            if (CGridCellBase* moved = rows_[std::size_t(b)][std::size_t(c)].get()) moved->SetCoords(b, c);
        }
        const int height = RowHeight(a);
        rowHeights_.SetSize(a, RowHeight(b));
        rowHeights_.SetSize(b, height);
    };
    // Partitions about the middle row's cell (which moves with its row), then goes on with the
    // smaller part by recursion and the larger by looping, so the depth stays logarithmic.
    while (low < high) {
        const CGridCellBase* pivot = cell((low + high) / 2);
        int lo = low;
        int hi = high;
        while (hi >= lo) {
            if (ascending) {
                while (lo < high && compare(cell(lo), pivot, 0) < 0) ++lo;
                while (hi > low && compare(cell(hi), pivot, 0) > 0) --hi;
            } else {
                while (lo < high && compare(cell(lo), pivot, 0) > 0) ++lo;
                while (hi > low && compare(cell(hi), pivot, 0) < 0) --hi;
            }
            if (hi < lo) break;
            if (compare(cell(lo), cell(hi), 0) != 0) exchange(lo, hi);
            ++lo;
            --hi;
        }
        if (hi - low < high - lo) {
            if (low < hi) QuickSortRows(compare, col, ascending, 0, low, hi);
            low = lo;
        } else {
            if (lo < high) QuickSortRows(compare, col, ascending, 0, lo, high);
            high = hi;
        }
    }
    return TRUE;
}

int CGridCtrl::CompareCellText(const CGridCellBase* first, const CGridCellBase* second, LPARAM)
{
    if (!first || !second) return 0;
    return std::strcmp(first->GetText(), second->GetText());
}

int CGridCtrl::CompareCellNumbers(const CGridCellBase* first, const CGridCellBase* second, LPARAM)
{
    if (!first || !second) return 0;
    const long a = std::strtol(first->GetText(), nullptr, 10);
    const long b = std::strtol(second->GetText(), nullptr, 10);
    return a < b ? -1 : a > b ? 1 : 0;
}

BOOL CGridCtrl::FitColumnToText(int col, UINT scope)
{
    if (col < 0 || col >= colCount_ || ColumnWidth(col) == 0 || !GetSafeHwnd()) return FALSE;
    if (scope == 0) scope = AutoSizeScope;
    const int first = (scope & AutoSizeFixedRows) ? 0 : fixedRows_;
    const int last = (scope & AutoSizeOtherRows) ? rowCount_ - 1 : fixedRows_ - 1;
    CClientDC dc(this);
    if (VirtualMode) SendCacheHint(CellRange(first, col, last, col));
    int width = 0;
    for (int row = first; row <= last; ++row) {
        if (CGridCellBase* cell = CellAt(row, col)) width = std::max(width, cell->GetCellExtent(&dc).cx);
    }
    if (VirtualMode) SendCacheHint(CellRange());
    SetColumnWidth(col, width);
    UpdateScrollBars();
    return TRUE;
}

BOOL CGridCtrl::FitRowToText(int row)
{
    if (row < 0 || row >= rowCount_ || RowHeight(row) == 0 || !GetSafeHwnd()) return FALSE;
    CClientDC dc(this);
    if (VirtualMode) SendCacheHint(CellRange(row, 0, row, colCount_ - 1));
    int height = 0;
    for (int col = 0; col < colCount_; ++col) {
        if (CGridCellBase* cell = CellAt(row, col)) height = std::max(height, cell->GetCellExtent(&dc).cy);
    }
    if (VirtualMode) SendCacheHint(CellRange());
    SetRowHeight(row, height);
    UpdateScrollBars();
    return TRUE;
}

void CGridCtrl::FitAllToText()
{
    if (!GetSafeHwnd()) return;
    CWaitCursor wait;
    CClientDC dc(this);
    const int first = (AutoSizeScope & AutoSizeFixedRows) ? 0 : fixedRows_;
    const int last = (AutoSizeScope & AutoSizeOtherRows) ? rowCount_ - 1 : fixedRows_ - 1;
    if (VirtualMode) SendCacheHint(CellRange(first, 0, last, colCount_ - 1));
    std::vector<int> heights;
    for (int row = first; row <= last; ++row) heights.push_back(RowHeight(row) > 0 ? 1 : 0);
    for (int col = 0; col < colCount_; ++col) {
        if (ColumnWidth(col) == 0) continue;
        int width = 0;
        for (int row = first; row <= last; ++row) {
            int& height = heights[std::size_t(row - first)];
            if (height == 0) continue;
            CGridCellBase* cell = CellAt(row, col);
            if (!cell) continue;
            const CSize size = cell->GetCellExtent(&dc);
            width = std::max(width, int(size.cx));
            height = std::max(height, int(size.cy));
        }
        SetColumnWidth(col, width);
    }
    for (int row = first; row <= last; ++row) {
        if (heights[std::size_t(row - first)] > 0) SetRowHeight(row, heights[std::size_t(row - first)]);
    }
    if (VirtualMode) SendCacheHint(CellRange());
    UpdateScrollBars();
    if (AllowDraw) Invalidate();
}

namespace {

// Shares extent out among the visible entries of an axis: each changes by d / n, the first
// d mod n visible ones by one pixel more (less when d is negative); none below 1.
template <class Get, class Set> void Stretch(int count, int extent, int total, Get get, Set set)
{
    int visible = 0;
    for (int i = 0; i < count; ++i) visible += get(i) > 0 ? 1 : 0;
    if (visible == 0) return;
    const int d = extent - total;
    const int each = d / visible;
    int rest = std::abs(d) % visible;
    for (int i = 0; i < count; ++i) {
        if (get(i) == 0) continue;
        int size = get(i) + each;
        if (rest > 0) {
            size += d >= 0 ? 1 : -1;
            --rest;
        }
        set(i, std::max(size, 1));
    }
}

}  // namespace

void CGridCtrl::StretchColumnsToWidth()
{
    if (colCount_ == 0 || !GetSafeHwnd()) return;
    ScrollBarsShown &= ~ShownHorizontal;
    EnableScrollBarCtrl(SB_HORZ, FALSE);
    CRect client;
    GetClientRect(&client);
    Stretch(
        colCount_, client.Width(), TotalWidth(), [this](int i) { return ColumnWidth(i); },
        [this](int i, int size) { SetColumnWidth(i, size); });
    if (AllowDraw) Invalidate();
    UpdateScrollBars();
}

void CGridCtrl::StretchRowsToHeight()
{
    if (rowCount_ == 0 || !GetSafeHwnd()) return;
    ScrollBarsShown &= ~ShownVertical;
    EnableScrollBarCtrl(SB_VERT, FALSE);
    CRect client;
    GetClientRect(&client);
    Stretch(
        rowCount_, client.Height(), TotalHeight(), [this](int i) { return RowHeight(i); },
        [this](int i, int size) { SetRowHeight(i, size); });
    if (AllowDraw) Invalidate();
    UpdateScrollBars();
}

void CGridCtrl::StretchLastColumn()
{
    if (colCount_ == 0 || !GetSafeHwnd()) return;
    const int last = VisibleColumnFrom(colCount_ - 1, -1, 0, colCount_ - 1);
    if (last <= 0) return;
    ScrollBarsShown &= ~ShownHorizontal;
    EnableScrollBarCtrl(SB_HORZ, FALSE);
    CRect client;
    GetClientRect(&client);
    if (client.Width() > TotalWidth()) {
        SetColumnWidth(last, ColumnWidth(last) + client.Width() - TotalWidth());
        if (AllowDraw) Invalidate();
    }
    UpdateScrollBars();
}
