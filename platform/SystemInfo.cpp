#include "platform/SystemInfo.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleHints>

#include <algorithm>

namespace {

// The palette role of each system colour.
struct ColourRole
{
    int index;
    QPalette::ColorRole role;
};
constexpr ColourRole ColourTable[] = {
    {COLOR_WINDOW, QPalette::Base},
    {COLOR_WINDOWTEXT, QPalette::Text},
    {COLOR_HIGHLIGHT, QPalette::Highlight},
    {COLOR_HIGHLIGHTTEXT, QPalette::HighlightedText},
    {COLOR_BTNFACE, QPalette::Button},
    {COLOR_BTNSHADOW, QPalette::Dark},
    {COLOR_BTNTEXT, QPalette::ButtonText},
    {COLOR_BTNHIGHLIGHT, QPalette::Light},
    {COLOR_3DDKSHADOW, QPalette::Shadow},
    {COLOR_3DLIGHT, QPalette::Midlight},
    {COLOR_INFOTEXT, QPalette::ToolTipText},
    {COLOR_INFOBK, QPalette::ToolTipBase},
};

// Without an application there is no palette: the colours of its default one.
QPalette CurrentPalette()
{
    return qApp ? QApplication::palette() : QPalette(QColor(239, 239, 239));
}

// A thin border and a 3-D edge, as the window system draws them.
constexpr int BorderWidth = 1;
constexpr int EdgeWidth = 2;
// Without an application, the width of a scroll bar of the default style.
constexpr int DefaultScrollBarExtent = 14;
// Lines a notch of the wheel scrolls without an application.
constexpr UINT DefaultWheelScrollLines = 3;

}  // namespace

COLORREF GetSysColor(int index)
{
    const QPalette palette = CurrentPalette();
    for (const ColourRole& c : ColourTable) {
        if (c.index != index) continue;
        const QColor colour = palette.color(QPalette::Active, c.role);
        return RGB(colour.red(), colour.green(), colour.blue());
    }
    return RGB(0, 0, 0);
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return qApp ? QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent) : DefaultScrollBarExtent;
    case SM_CXBORDER:
    case SM_CYBORDER: return BorderWidth;
    case SM_CXEDGE:
    case SM_CYEDGE: return EdgeWidth;
    default: return 0;
    }
}

BOOL SystemParametersInfo(UINT action, UINT, void* data, UINT)
{
    if (!data) return FALSE;
    switch (action) {
    case SPI_GETNONCLIENTMETRICS: {
        auto* metrics = static_cast<NONCLIENTMETRICS*>(data);
        if (metrics->cbSize != sizeof(NONCLIENTMETRICS)) return FALSE;
        NONCLIENTMETRICS filled;
        filled.iBorderWidth = BorderWidth;
        filled.iScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
        filled.iScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
        filled.lfCaptionFont = filled.lfSmCaptionFont = filled.lfMenuFont = filled.lfStatusFont =
            filled.lfMessageFont = DefaultGuiLogFont();
        *metrics = filled;
        return TRUE;
    }
    case SPI_GETWHEELSCROLLLINES:
        *static_cast<UINT*>(data) = qApp ? UINT(QApplication::wheelScrollLines()) : DefaultWheelScrollLines;
        return TRUE;
    default: return FALSE;
    }
}

UINT GetDoubleClickTime()
{
    constexpr UINT DefaultDoubleClickTime = 500;
    if (!QGuiApplication::instance()) return DefaultDoubleClickTime;
    return UINT(std::max(QGuiApplication::styleHints()->mouseDoubleClickInterval(), 0));
}
