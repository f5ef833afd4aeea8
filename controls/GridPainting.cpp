// How the grid turns its cells into pixels: the geometry of cells at the current scroll
// position, the paint with its background and grid lines, single-cell redraws and the system
// colours.
#include "controls/GridCtrl.h"

#include "controls/MemoryDC.h"

#include "platform/SystemInfo.h"

#include <algorithm>
#include <memory>

namespace {

// The last entry shown when entries from first on are laid out from start and the client ends
// at end: the first whose far edge reaches end, else the last entry (first - 1 without any);
// reach gets that far edge, cut at end.
int LastShown(const GridAxis& sizes, int first, int start, int end, int* reach)
{
    const int count = sizes.Count();
    if (first >= count) {
        *reach = start;
        return first - 1;
    }
    const std::int64_t base = sizes.Prefix(first);
    const int k = std::max(first, sizes.FirstEndAbove(base + (end - start) - 1));
    if (k < count) {
        *reach = end;
        return k;
    }
    *reach = start + int(sizes.Total() - base);
    return count - 1;
}

}  // namespace

CCellID CGridCtrl::TopLeftScrollableCell() const
{
    if (topLeft_.row < 0 || topLeft_.col < 0)
        topLeft_ = CCellID(TopLeftIndex(AxisOf(SB_VERT), GetScrollPos(SB_VERT)),
                           TopLeftIndex(AxisOf(SB_HORZ), GetScrollPos(SB_HORZ)));
    return topLeft_;
}

CellRange CGridCtrl::VisibleScrollableRange(CRect* rect) const
{
    CRect client;
    GetClientRect(&client);
    const CCellID topLeft = TopLeftScrollableCell();
    int bottom = 0;
    int right = 0;
    const int maxRow = LastShown(rowHeights_, topLeft.row, FixedRowsHeight(), client.bottom, &bottom);
    const int maxCol = LastShown(colWidths_, topLeft.col, FixedColumnsWidth(), client.right, &right);
    if (rect) *rect = CRect(0, 0, right, bottom);
    return CellRange(topLeft.row, topLeft.col, maxRow, maxCol);
}

BOOL CGridCtrl::GetCellOrigin(int row, int col, CPoint* origin) const
{
    if (!IsValid(row, col) || !origin) return FALSE;
    const CCellID topLeft = TopLeftScrollableCell();
    if (row >= fixedRows_ && row < topLeft.row) return FALSE;
    if (col >= fixedCols_ && col < topLeft.col) return FALSE;
    const std::int64_t x = col < fixedCols_ ? colWidths_.Prefix(col)
                                            : FixedColumnsWidth() + colWidths_.Prefix(col) - colWidths_.Prefix(topLeft.col);
    const std::int64_t y = row < fixedRows_ ? rowHeights_.Prefix(row)
                                            : FixedRowsHeight() + rowHeights_.Prefix(row) - rowHeights_.Prefix(topLeft.row);
    *origin = CPoint(int(x), int(y));
    return TRUE;
}

BOOL CGridCtrl::GetCellRect(int row, int col, CRect* rect) const
{
    CPoint origin;
    if (!rect || !GetCellOrigin(row, col, &origin)) return FALSE;
    *rect = CRect(origin.x, origin.y, origin.x + ColumnWidth(col) - 1, origin.y + RowHeight(row) - 1);
    return TRUE;
}

CPoint CGridCtrl::PointInCell(int row, int col, CPoint point) const
{
    CPoint origin;
    if (!GetCellOrigin(row, col, &origin)) return CPoint(0, 0);
    return CPoint(point.x - origin.x, point.y - origin.y);
}

CCellID CGridCtrl::CellFromPoint(CPoint point, BOOL allowFixed) const
{
    CCellID cell;
    const CCellID topLeft = TopLeftScrollableCell();
    if (!allowFixed && !IsValid(topLeft)) return cell;
    // The index along one axis whose span holds the coordinate, or -1.
    const auto find = [&](const GridAxis& sizes, int fixed, int fixedExtent, int first, int v) {
        if (v < 0) return -1;
        if (v < fixedExtent) return allowFixed ? sizes.FirstEndAbove(v) : -1;
        const int k = sizes.FirstEndAbove(std::int64_t(v) - fixedExtent + sizes.Prefix(first));
        return k < sizes.Count() && k >= fixed ? k : -1;
    };
    cell.col = find(colWidths_, fixedCols_, FixedColumnsWidth(), topLeft.col, point.x);
    cell.row = find(rowHeights_, fixedRows_, FixedRowsHeight(), topLeft.row, point.y);
    return cell;
}

BOOL CGridCtrl::IsCellVisible(int row, int col) const
{
    if (!GetSafeHwnd()) return FALSE;
    const CCellID topLeft = TopLeftScrollableCell();
    if (row >= fixedRows_ && row < topLeft.row) return FALSE;
    if (col >= fixedCols_ && col < topLeft.col) return FALSE;
    CRect client;
    GetClientRect(&client);
    if (col >= 0) {
        const std::int64_t left = col < fixedCols_ ? colWidths_.Prefix(col)
                                                   : FixedColumnsWidth() + colWidths_.Prefix(col) - colWidths_.Prefix(topLeft.col);
        if (left >= client.right) return FALSE;
    }
    if (row >= 0) {
        const std::int64_t top = row < fixedRows_ ? rowHeights_.Prefix(row)
                                                  : FixedRowsHeight() + rowHeights_.Prefix(row) - rowHeights_.Prefix(topLeft.row);
        if (top >= client.bottom) return FALSE;
    }
    return TRUE;
}

BOOL CGridCtrl::InvalidateCell(int row, int col)
{
    if (!GetSafeHwnd() || !AllowDraw || !IsValid(row, col) || !IsCellVisible(row, col)) return FALSE;
    CRect rect;
    if (!GetCellRect(row, col, &rect)) return FALSE;
    rect.right++;
    rect.bottom++;
    InvalidateRect(&rect, TRUE);
    return TRUE;
}

BOOL CGridCtrl::RedrawCell(int row, int col, CDC* pDC)
{
    if (!AllowDraw || !IsValid(row, col) || !IsCellVisible(row, col)) return FALSE;
    CRect rect;
    if (!GetCellRect(row, col, &rect)) return FALSE;
    std::unique_ptr<CClientDC> own;
    if (!pDC) {
        own = std::make_unique<CClientDC>(this);
        pDC = own.get();
    }
    CGridCellBase* cell = VirtualMode ? CellAt(row, col) : StoredCell(row, col);
    if (!cell) return TRUE;
    if (row < fixedRows_ || col < fixedCols_) {
        cell->Draw(pDC, row, col, rect, TRUE);
        return TRUE;
    }
    cell->Draw(pDC, row, col, rect, TRUE);
    CPen pen(PS_SOLID, 0, GridLineColor);
    CPen* old = pDC->SelectObject(&pen);
    if (GridLines == GridLinesBoth || GridLines == GridLinesHorizontal) {
        pDC->MoveTo(rect.left, rect.bottom);
        pDC->LineTo(rect.right + 1, rect.bottom);
    }
    if (GridLines == GridLinesBoth || GridLines == GridLinesVertical) {
        pDC->MoveTo(rect.right, rect.top);
        pDC->LineTo(rect.right, rect.bottom + 1);
    }
    pDC->SelectObject(old);
    return TRUE;
}

void CGridCtrl::RedrawAll()
{
    if (GetSafeHwnd() && AllowDraw) Invalidate(TRUE);
}

void CGridCtrl::OnPaint()
{
    CPaintDC dc(this);
    if (DoubleBuffer) {
        CMemoryDC memory(&dc);
        DrawGrid(&memory);
    } else {
        DrawGrid(&dc);
    }
}

BOOL CGridCtrl::OnEraseBkgnd(CDC*)
{
    return TRUE;  // the paint covers every pixel
}

void CGridCtrl::DrawBackground(CDC* pDC, const CRect& clip, const CRect& visible, int fixedHeight, int fixedWidth)
{
    const auto fill = [&](const CRect& area, COLORREF colour) {
        if (area.IsRectEmpty()) return;
        CBrush brush(colour);
        pDC->FillRect(area, &brush);
    };
    if (clip.left < fixedWidth && clip.top < fixedHeight)
        fill(CRect(clip.left, clip.top, fixedWidth, fixedHeight), defaultCorner_.GetBackColor());
    if (clip.left < fixedWidth && clip.top < visible.bottom)
        fill(CRect(clip.left, std::max(clip.top, fixedHeight), fixedWidth, visible.bottom), defaultFixedCol_.GetBackColor());
    if (clip.top < fixedHeight && fixedWidth < clip.right && clip.left < visible.right)
        fill(CRect(fixedWidth - 1, clip.top, visible.right, fixedHeight), defaultFixedRow_.GetBackColor());
    CRect cells;
    if (cells.IntersectRect(visible, clip)) {
        cells.left = std::max(cells.left, fixedWidth);
        cells.top = std::max(cells.top, fixedHeight);
        fill(cells, defaultCell_.GetBackColor());
    }
    if (visible.right < clip.right) fill(CRect(visible.right, clip.top, clip.right, clip.bottom), BackgroundColor);
    if (visible.bottom < clip.bottom && clip.left < visible.right)
        fill(CRect(clip.left, visible.bottom, visible.right, clip.bottom), BackgroundColor);
}

void CGridCtrl::DrawCells(CDC* pDC, const CRect& clip, int firstRow, int lastRow, int top, int firstCol, int lastCol, int left)
{
    int y = top;
    for (int row = firstRow; row <= lastRow; ++row) {
        const int height = RowHeight(row);
        if (height <= 0) continue;
        CRect rect;
        rect.top = y;
        rect.bottom = y + height - 1;
        y += height;
        if (rect.top >= clip.bottom) break;
        if (rect.bottom < clip.top) continue;
        int x = left;
        for (int col = firstCol; col <= lastCol; ++col) {
            const int width = ColumnWidth(col);
            if (width <= 0) continue;
            rect.left = x;
            rect.right = x + width - 1;
            x += width;
            if (rect.left >= clip.right) break;
            if (rect.right < clip.left) continue;
            CGridCellBase* cell = VirtualMode ? CellAt(row, col) : StoredCell(row, col);
            if (!cell) continue;
            cell->SetCoords(row, col);
            cell->Draw(pDC, row, col, rect, FALSE);
        }
    }
}

void CGridCtrl::DrawGrid(CDC* pDC)
{
    if (!AllowDraw || !pDC) return;
    CRect clip;
    if (pDC->GetClipBox(&clip) == NULLREGION) return;

    const int fixedHeight = FixedRowsHeight();
    const int fixedWidth = FixedColumnsWidth();
    CRect visible;
    const CellRange range = VisibleScrollableRange(&visible);
    DrawBackground(pDC, clip, visible, fixedHeight, fixedWidth);
    if (VirtualMode) SendCacheHint(range);

    DrawCells(pDC, clip, 0, fixedRows_ - 1, 0, 0, fixedCols_ - 1, 0);
    DrawCells(pDC, clip, range.minRow, range.maxRow, fixedHeight, 0, fixedCols_ - 1, 0);
    DrawCells(pDC, clip, 0, fixedRows_ - 1, 0, range.minCol, range.maxCol, fixedWidth);
    DrawCells(pDC, clip, range.minRow, range.maxRow, fixedHeight, range.minCol, range.maxCol, fixedWidth);

    // Lines between scrollable cells only: fixed cells draw their own 3-D edges.
    CPen pen(PS_SOLID, 0, GridLineColor);
    CPen* old = pDC->SelectObject(&pen);
    if (GridLines == GridLinesBoth || GridLines == GridLinesVertical) {
        int x = fixedWidth;
        for (int col = range.minCol; col <= range.maxCol; ++col) {
            const int width = ColumnWidth(col);
            if (width <= 0) continue;
            x += width;
            pDC->MoveTo(x - 1, fixedHeight);
            pDC->LineTo(x - 1, visible.bottom);
        }
    }
    if (GridLines == GridLinesBoth || GridLines == GridLinesHorizontal) {
        int y = fixedHeight;
        for (int row = range.minRow; row <= range.maxRow; ++row) {
            const int height = RowHeight(row);
            if (height <= 0) continue;
            y += height;
            pDC->MoveTo(fixedWidth, y - 1);
            pDC->LineTo(visible.right, y - 1);
        }
    }
    pDC->SelectObject(old);
    pDC->SelectStockObject(NULL_PEN);

    if (VirtualMode) SendCacheHint(CellRange());
}

void CGridCtrl::OnSysColorChange()
{
    CWnd::OnSysColorChange();
    const COLORREF windowText = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF buttonFace = GetSysColor(COLOR_BTNFACE);
    // Colours still equal to the system's of before follow the system; an owner's stay.
    for (CGridDefaultCell* cell : {&defaultCell_, &defaultFixedCol_, &defaultFixedRow_, &defaultCorner_}) {
        if (cell->GetTextColor() == windowText_) cell->SetTextColor(windowText);
    }
    if (defaultCell_.GetBackColor() == window_) defaultCell_.SetBackColor(window);
    for (CGridDefaultCell* cell : {&defaultFixedCol_, &defaultFixedRow_, &defaultCorner_}) {
        if (cell->GetBackColor() == buttonFace_) cell->SetBackColor(buttonFace);
    }
    if (BackgroundColor == buttonShadow_) BackgroundColor = GetSysColor(COLOR_BTNSHADOW);
    RememberSystemColours();
}
