// What the window system tells of itself: its colours, the sizes of its parts and a few of its
// settings, taken from the application's palette and style.
#pragma once

#include "platform/DeviceContext.h"
#include "platform/WinTypes.h"

// System colours (GetSysColor).
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_3DSHADOW = COLOR_BTNSHADOW;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;

// The colour of a part of the window system from the application's palette (window, text,
// button face and its 3-D shades, selection, tips); black for an index not listed above.
// A change of the application's palette reaches custom-drawn windows as WM_SYSCOLORCHANGE.
COLORREF GetSysColor(int index);

// Sizes in pixels (GetSystemMetrics).
constexpr int SM_CXVSCROLL = 2;   // width of a vertical scroll bar
constexpr int SM_CYHSCROLL = 3;   // height of a horizontal scroll bar
constexpr int SM_CXBORDER = 5;    // a thin border
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXEDGE = 45;     // a 3-D edge (WS_EX_CLIENTEDGE)
constexpr int SM_CYEDGE = 46;

// The size from the application's style; 0 for an index not listed above.
int GetSystemMetrics(int index);

// Settings (SystemParametersInfo).
constexpr UINT SPI_GETNONCLIENTMETRICS = 0x0029;
constexpr UINT SPI_GETWHEELSCROLLLINES = 0x0068;

// The fonts and sizes of windows' non-client parts; cbSize must be the structure's size.
struct NONCLIENTMETRICS
{
    UINT cbSize = sizeof(NONCLIENTMETRICS);
    int iBorderWidth = 0;
    int iScrollWidth = 0;
    int iScrollHeight = 0;
    int iCaptionWidth = 0;
    int iCaptionHeight = 0;
    LOGFONT lfCaptionFont;
    int iSmCaptionWidth = 0;
    int iSmCaptionHeight = 0;
    LOGFONT lfSmCaptionFont;
    int iMenuWidth = 0;
    int iMenuHeight = 0;
    LOGFONT lfMenuFont;
    LOGFONT lfStatusFont;
    LOGFONT lfMessageFont;
};

// SPI_GETNONCLIENTMETRICS fills a NONCLIENTMETRICS (every font the layer's GUI font, the
// scroll-bar sizes of GetSystemMetrics); SPI_GETWHEELSCROLLLINES an unsigned int, the lines
// one notch of the wheel scrolls. FALSE for other actions, a null pointer or a wrong cbSize.
BOOL SystemParametersInfo(UINT action, UINT param, void* data, UINT winIni);

// The longest time between two presses of a mouse button that make a double-click, in
// milliseconds (the application's style hints; 500 without a Qt application).
UINT GetDoubleClickTime();
