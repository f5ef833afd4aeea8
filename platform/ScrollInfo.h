// The records and codes of a window's own scroll bars (CWnd::SetScrollInfo, WM_HSCROLL and
// WM_VSCROLL).
#pragma once

#include "platform/WinTypes.h"

// Which bar.
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_BOTH = 3;

// Scroll codes of WM_HSCROLL and WM_VSCROLL (the horizontal names have the same values).
constexpr UINT SB_LINEUP = 0;
constexpr UINT SB_LINELEFT = 0;
constexpr UINT SB_LINEDOWN = 1;
constexpr UINT SB_LINERIGHT = 1;
constexpr UINT SB_PAGEUP = 2;
constexpr UINT SB_PAGELEFT = 2;
constexpr UINT SB_PAGEDOWN = 3;
constexpr UINT SB_PAGERIGHT = 3;
constexpr UINT SB_THUMBPOSITION = 4;  // the thumb was released at the tracking position
constexpr UINT SB_THUMBTRACK = 5;     // the thumb is being dragged to the tracking position
constexpr UINT SB_TOP = 6;
constexpr UINT SB_LEFT = 6;
constexpr UINT SB_BOTTOM = 7;
constexpr UINT SB_RIGHT = 7;
constexpr UINT SB_ENDSCROLL = 8;  // the mouse let go of the bar

// SCROLLINFO fields taken or given.
constexpr UINT SIF_RANGE = 0x0001;
constexpr UINT SIF_PAGE = 0x0002;
constexpr UINT SIF_POS = 0x0004;
// With SIF_RANGE or SIF_PAGE: a bar that has nothing to scroll is disabled, not hidden.
constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
constexpr UINT SIF_TRACKPOS = 0x0010;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

// A bar's range nMin..nMax, the page (the part shown at once, in the same units) and the
// position; the position never exceeds nMax - nPage + 1 (nMax without a page), and nPage
// never exceeds the range's length.
struct SCROLLINFO
{
    UINT cbSize = sizeof(SCROLLINFO);
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;  // where the thumb is while it is dragged
};
using LPSCROLLINFO = SCROLLINFO*;

class CScrollBar;  // scroll-bar controls: none here, so WM_HSCROLL and WM_VSCROLL pass null
