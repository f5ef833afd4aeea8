#include "controls/TitleTip.h"

#include "controls/GridCellBase.h"

#include "platform/SystemInfo.h"

const CRuntimeClass CTitleTip::Runtime{"CTitleTip", &CWnd::Runtime, &CreateRuntimeObject<CTitleTip>};

namespace {

// The blank on each side of the tip's text.
constexpr const char* TipPadding = " ";

}  // namespace

CTitleTip::CTitleTip()
{
    MapMessage(WM_MOUSELEAVE, &CTitleTip::OnParentMouseLeave);
}

LRESULT CTitleTip::OnParentMouseLeave(WPARAM, LPARAM)
{
    Hide();
    return 0;
}

BOOL CTitleTip::CreateTipWindow(CWnd* parent)
{
    if (created_ && GetSafeHwnd()) return TRUE;
    parent_ = parent;
    created_ = CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TitleTipWindowClass, nullptr, WS_POPUP | WS_BORDER,
                        CRect(), parent, 0);
    return created_;
}

BOOL CTitleTip::DestroyWindow()
{
    created_ = FALSE;
    return CWnd::DestroyWindow();
}

void CTitleTip::Show(const std::string& text, const CRect* hoverRect, const LOGFONT* font, COLORREF textColor,
                     COLORREF backColor, const CRect& titleRect)
{
    if (!GetSafeHwnd() && !CreateTipWindow(parent_)) return;
    if (titleRect.IsRectEmpty() || IsWindowVisible()) return;

    // Kept in the parent's coordinates, which do not change when the tip moves.
    hoverRect_ = hoverRect ? *hoverRect : titleRect;
    hoverRect_.right++;
    hoverRect_.bottom++;

    if (!GetFocus() || !parent_ || !parent_->GetSafeHwnd()) return;

    CPoint topLeft = titleRect.TopLeft();
    parent_->ClientToScreen(&topLeft);
    const std::string shown = TipPadding + text + TipPadding;

    CClientDC dc(this);
    ownFont_ = font != nullptr;
    if (font) font_.CreateFontIndirect(font);
    CFont* drawFont = ownFont_ ? &font_ : CFont::FromHandle(HFONT(parent_->SendMessage(WM_GETFONT)));
    CFont* oldFont = drawFont ? dc.SelectObject(drawFont) : nullptr;
    const CSize size = dc.GetTextExtent(shown);
    TEXTMETRIC metrics;
    dc.GetTextMetrics(&metrics);
    if (oldFont) dc.SelectObject(oldFont);
    const int width = size.cx + metrics.tmOverhang;
    if (titleRect.Width() >= width) return;  // the text fits: no tip

    tipText_ = shown;
    textColor_ = textColor;
    backColor_ = backColor;
    SetWindowPos(nullptr, topLeft.x, topLeft.y, width, titleRect.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
    if (!GetSafeHwnd()) return;
    // Drawn now; the same picture comes again whenever the window repaints.
    Invalidate();
    UpdateWindow();
}

void CTitleTip::Hide()
{
    if (!GetSafeHwnd()) return;
    if (GetCapture() == this) ReleaseCapture();
    ShowWindow(SW_HIDE);
}

BOOL CTitleTip::TakeInput(UINT message, CPoint point)
{
    if (!GetSafeHwnd() || !IsWindowVisible()) return FALSE;
    if (!GetFocus()) {
        // The program is in the background: the tip goes and the input with it.
        Hide();
        return TRUE;
    }
    switch (message) {
    case WM_MOUSEMOVE:
        if (hoverRect_.PtInRect(point)) return TRUE;
        Hide();
        return FALSE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: Hide(); return FALSE;
    default: return FALSE;
    }
}

void CTitleTip::OnPaint()
{
    CPaintDC dc(this);
    DrawTip(dc);
}

BOOL CTitleTip::OnEraseBkgnd(CDC* pDC)
{
    // The window class's background.
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(client, GetSysColor(COLOR_INFOBK));
    return TRUE;
}

void CTitleTip::DrawTip(CDC& dc)
{
    CRect clip;
    dc.GetClipBox(&clip);
    if (backColor_ != ColorDefault) dc.FillSolidRect(clip, backColor_);
    CFont* drawFont =
        ownFont_ ? &font_ : (parent_ ? CFont::FromHandle(HFONT(parent_->SendMessage(WM_GETFONT))) : nullptr);
    CFont* oldFont = drawFont ? dc.SelectObject(drawFont) : nullptr;
    if (textColor_ != ColorDefault) dc.SetTextColor(textColor_);
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(0, 0, tipText_);
    if (oldFont) dc.SelectObject(oldFont);
}
