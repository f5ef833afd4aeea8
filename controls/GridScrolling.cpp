// The grid's scroll bars and scrolling: positions are pixels of the scrollable part, the top
// left scrollable cell follows from them through the running sums of the sizes, and scrolling a
// cell into view goes where the line steps would go in one move.
#include "controls/GridCtrl.h"

#include "platform/SystemInfo.h"

#include <algorithm>

CGridCtrl::Axis CGridCtrl::AxisOf(int bar) const
{
    const int last = std::max(LastBarPosition(bar), 0);
    if (bar == SB_HORZ) return Axis{colWidths_, fixedCols_, colCount_, hScrollMax_, last, colWidths_.Prefix(fixedCols_)};
    return Axis{rowHeights_, fixedRows_, rowCount_, vScrollMax_, last, rowHeights_.Prefix(fixedRows_)};
}

int CGridCtrl::TopLeftIndex(const Axis& axis, int position) const
{
    if (position <= 0 || axis.count <= axis.fixed) return axis.fixed;
    // The entry after the first whose end, counted from the first scrollable one, reaches
    // the position; never beyond the last entry.
    const int reached = axis.sizes.FirstEndAbove(axis.base + position - 1);
    return std::max(axis.fixed, std::min(reached + 1, axis.count - 1));
}

int CGridCtrl::LastBarPosition(int bar) const
{
    SCROLLINFO info;
    if (!const_cast<CGridCtrl*>(this)->GetScrollInfo(bar, &info, SIF_RANGE | SIF_PAGE)) return 0;
    return std::max(info.nMin, info.nMax - std::max(int(info.nPage) - 1, 0));
}

int CGridCtrl::LineForward(const Axis& axis, int position) const
{
    return LineSteps(axis, position, 1, true);
}

int CGridCtrl::LineBack(const Axis& axis, int position) const
{
    return LineSteps(axis, position, 1, false);
}

int CGridCtrl::LineSteps(const Axis& axis, int position, int steps, bool forward) const
{
    if (steps <= 0) return position;
    // The top left entry and its top (counted from the first scrollable entry), kept along the
    // walk: after each step it is found near the entry the step passed, so a step costs no
    // search however far the walk goes.
    int top = TopLeftIndex(axis, position);
    std::int64_t topStart = axis.sizes.Prefix(top) - axis.base;
    // The first scrollable entry whose top reaches next, from index (whose top is start and
    // reaches it) back; never beyond the last entry.
    const auto settle = [&](int index, std::int64_t start, int next) {
        if (next <= 0) {
            top = axis.fixed;
            topStart = 0;
            return;
        }
        while (index - 1 > axis.fixed && start - axis.sizes.Size(index - 1) >= next) {
            --index;
            start -= axis.sizes.Size(index);
        }
        if (index > axis.count - 1) {
            index = axis.count - 1;
            start -= axis.sizes.Size(index);
        }
        top = index;
        topStart = start;
    };
    for (; steps > 0; --steps) {
        int next = position;
        if (forward) {
            // The first entry of nonzero size from the top left one (at most the last).
            if (position >= axis.largest) break;
            int index = top;
            while (index < axis.count - 1 && axis.sizes.Size(index) == 0) ++index;
            if (index < 0 || index >= axis.count) break;
            next = std::clamp(position + axis.sizes.Size(index), 0, axis.last);
            if (next == position) break;
            settle(index + 1, topStart + axis.sizes.Size(index), next);
        } else {
            // The entry before the top left one, back over entries of size 0 (not past the
            // first scrollable one).
            if (position <= 0 || top <= axis.fixed) break;
            int index = top - 1;
            while (index > axis.fixed && axis.sizes.Size(index) == 0) --index;
            next = std::clamp(position - axis.sizes.Size(index), 0, axis.last);
            if (next == position) break;
            settle(index, topStart - axis.sizes.Size(index), next);
        }
        position = next;
    }
    return position;
}

void CGridCtrl::SetScrollPosition(int bar, int position)
{
    ForgetTopLeft();
    SCROLLINFO info;
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(bar, &info, TRUE);
}

void CGridCtrl::UpdateScrollBars()
{
    ForgetTopLeft();
    if (!AllowDraw || !GetSafeHwnd()) return;
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty()) return;
    // The client area as it would be without the grid's own bars: a shown bar takes exactly its
    // width from it (counting a border pixel more would make the page one pixel longer than
    // what shows, and hide the last pixel row of the last row at the end).
    int width = client.right;
    int height = client.bottom;
    if (ScrollBarsShown & ShownVertical) width += GetSystemMetrics(SM_CXVSCROLL);
    if (ScrollBarsShown & ShownHorizontal) height += GetSystemMetrics(SM_CYHSCROLL);
    const int fixedHeight = FixedRowsHeight();
    const int fixedWidth = FixedColumnsWidth();
    if (fixedWidth >= width || fixedHeight >= height) {
        // The bars go, and so do their bits: the client area they leave is no longer theirs
        // (kept, they would count twice in the next update, from the size that hiding them sends).
        ScrollBarsShown = 0;
        EnableScrollBarCtrl(SB_BOTH, FALSE);
        ForgetTopLeft();
        return;
    }
    const int scrollHeight = TotalHeight() - fixedHeight;
    const int scrollWidth = TotalWidth() - fixedWidth;
    int available = width - fixedWidth;
    if (height - fixedHeight < scrollHeight) available -= GetSystemMetrics(SM_CXVSCROLL);
    int availableHeight = height;
    if (available < scrollWidth) availableHeight -= GetSystemMetrics(SM_CYHSCROLL);

    if (availableHeight - fixedHeight < scrollHeight) {
        if (!(ScrollBarsShown & ShownVertical)) {
            ScrollBarsShown |= ShownVertical;
            EnableScrollBarCtrl(SB_VERT, TRUE);
        }
        vScrollMax_ = scrollHeight - 1;
    } else {
        if (ScrollBarsShown & ShownVertical) {
            ScrollBarsShown &= ~ShownVertical;
            EnableScrollBarCtrl(SB_VERT, FALSE);
        }
        vScrollMax_ = 0;
    }
    if (available < scrollWidth) {
        if (!(ScrollBarsShown & ShownHorizontal)) {
            ScrollBarsShown |= ShownHorizontal;
            EnableScrollBarCtrl(SB_HORZ, TRUE);
        }
        hScrollMax_ = scrollWidth - 1;
    } else {
        if (ScrollBarsShown & ShownHorizontal) {
            ScrollBarsShown &= ~ShownHorizontal;
            EnableScrollBarCtrl(SB_HORZ, FALSE);
        }
        hScrollMax_ = 0;
    }

    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMin = 0;
    info.nMax = hScrollMax_;
    info.nPage = hScrollMax_ > 0 ? UINT(available) : 0;
    SetScrollInfo(SB_HORZ, &info, TRUE);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
    info.nMax = vScrollMax_;
    info.nPage = vScrollMax_ > 0 ? UINT(availableHeight - fixedHeight) : 0;
    SetScrollInfo(SB_VERT, &info, TRUE);
    ForgetTopLeft();  // the new ranges may have moved the positions
}

void CGridCtrl::BeginScroll()
{
    FinishEditing();
    if (titleTip_.GetSafeHwnd()) titleTip_.Hide();
}

void CGridCtrl::ScrolledBy(int bar, BOOL whole)
{
    if (whole) {
        Invalidate();
        return;
    }
    CRect client;
    GetClientRect(&client);
    CRect moved = client;
    if (bar == SB_HORZ) moved.left = FixedColumnsWidth();
    else moved.top = FixedRowsHeight();
    InvalidateRect(&moved);
}

void CGridCtrl::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    (void)nPos;
    (void)pScrollBar;
    Scroll(SB_HORZ, nSBCode);
}

void CGridCtrl::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    (void)nPos;
    (void)pScrollBar;
    Scroll(SB_VERT, nSBCode);
}

void CGridCtrl::Scroll(int bar, UINT code)
{
    BeginScroll();
    const Axis axis = AxisOf(bar);
    SCROLLINFO info;
    const int position = GetScrollInfo(bar, &info, SIF_POS | SIF_TRACKPOS) ? info.nPos : 0;
    const CCellID topLeft = TopLeftScrollableCell();
    CRect client;
    GetClientRect(&client);
    const int page = bar == SB_HORZ ? client.Width() - FixedColumnsWidth() : client.Height() - FixedRowsHeight();
    BOOL whole = FALSE;
    int next = position;
    switch (code) {
    case SB_LINEUP: next = LineBack(axis, position); break;
    case SB_LINEDOWN: next = LineForward(axis, position); break;
    case SB_PAGEUP:
        if (position > 0) next = std::max(0, position - page);
        break;
    case SB_PAGEDOWN:
        if (position < axis.largest) next = std::min(axis.largest, position + page);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        SetScrollPosition(bar, info.nTrackPos);
        if (TopLeftScrollableCell() == topLeft) return;
        ScrolledBy(bar, FALSE);
        return;
    case SB_TOP:
        if (position > 0) next = 0;
        whole = TRUE;
        break;
    case SB_BOTTOM:
        if (position < axis.largest) next = axis.largest;
        whole = TRUE;
        break;
    default: return;
    }
    if (next == position) return;
    SetScrollPosition(bar, next);
    // A position the bar does not take (past its last page) changes nothing either.
    if (GetScrollPos(bar) == position) return;
    ScrolledBy(bar, whole);
}

void CGridCtrl::ScrollCellIntoView(int row, int col)
{
    if (!AllowDraw || !IsValid(row, col)) return;
    CWnd* focus = GetFocus();
    const CellRange visible = VisibleScrollableRange();
    CRect client;
    GetClientRect(&client);
    bool sent = false;  // whether a line step would have been asked for

    // The line steps of one axis, each from where the last one left the position.
    const auto steps = [&](int bar, int target, int shownMin, int shownMax, int position) {
        const Axis axis = AxisOf(bar);
        int forward = 0;
        for (int i = std::max(shownMax + 1, 0); i <= target; ++i) forward += axis.sizes.Size(i) > 0 ? 1 : 0;
        int back = 0;
        for (int i = shownMin - 1; i >= target && i >= 0; --i) back += axis.sizes.Size(i) > 0 ? 1 : 0;
        sent = sent || forward > 0 || back > 0;
        position = LineSteps(axis, position, forward, true);
        position = LineSteps(axis, position, back, false);
        // Then on while the cell's far edge lies beyond the client area.
        const int fixedExtent = bar == SB_HORZ ? FixedColumnsWidth() : FixedRowsHeight();
        const int clientEnd = bar == SB_HORZ ? client.right : client.bottom;
        const bool shown = (GetStyle() & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)) != 0;
        if (target < axis.fixed) return position;
        for (;;) {
            const std::int64_t start = fixedExtent + axis.sizes.Prefix(target) - axis.sizes.Prefix(TopLeftIndex(axis, position));
            const std::int64_t last = start + axis.sizes.Size(target) - 1;
            if (last < clientEnd || start <= fixedExtent || !shown) break;
            sent = true;
            const int next = LineForward(axis, position);
            if (next == position) break;
            position = next;
        }
        return position;
    };
    const int horizontal = GetScrollPos(SB_HORZ);
    const int vertical = GetScrollPos(SB_VERT);
    const int newHorizontal = steps(SB_HORZ, col, visible.minCol, visible.maxCol, horizontal);
    const int newVertical = steps(SB_VERT, row, visible.minRow, visible.maxRow, vertical);
    if (sent) BeginScroll();
    if (newHorizontal != horizontal) {
        SetScrollPosition(SB_HORZ, newHorizontal);
        ScrolledBy(SB_HORZ, FALSE);
    }
    if (newVertical != vertical) {
        SetScrollPosition(SB_VERT, newVertical);
        ScrolledBy(SB_VERT, FALSE);
    }
    if (focus && focus != GetFocus()) focus->SetFocus();
}

void CGridCtrl::OnSize(UINT nType, int cx, int cy)
{
    static bool inside = false;
    if (inside || !GetSafeHwnd()) return;
    inside = true;
    if (!dropTarget_.IsRegistered()) dropTarget_.Register(this);
    FinishEditing();
    CWnd::OnSize(nType, cx, cy);
    UpdateScrollBars();
    inside = false;
}
