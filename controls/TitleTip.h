// The title tip a grid lays over a cell whose text does not fit: the whole text in the cell's
// font, while the mouse rests on the cell. The grid owns one, shows it from its idle mouse
// moves and hides it before it scrolls or edits.
//
// Input. The tip is a tool pop-up that lets all input through to the grid beneath it, so the
// grid gets every move, click, double-click and key as if the tip were not there; the grid
// asks the tip first (TakeInput), and the tip hides itself where its own handling would
// close it: a move out of the hover rectangle, a button pressed, a key, and the pointer leaving
// the grid.
#pragma once

#include "platform/DeviceContext.h"
#include "platform/Window.h"

#include <string>

// The window class of title tips.
constexpr const char* TitleTipWindowClass = "ZTitleTip";

class CTitleTip : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    CTitleTip();

    // The grid whose cells the tip shows (before the window exists).
    void SetParentWnd(CWnd* parent) { parent_ = parent; }
    CWnd* GetParentWnd() const { return parent_; }

    // Creates the pop-up window for parent, the grid: TRUE when it exists (at once when it was
    // created before). FALSE, with no window and the parent kept, when the window system
    // refuses it.
    virtual BOOL CreateTipWindow(CWnd* parent);
    // Destroys the window; the next Show creates it again. FALSE without a window.
    BOOL DestroyWindow();

    // Shows text, framed by one blank on each side in font (the parent's WM_GETFONT font when
    // null), at the top left of titleRect and as high as it, when it does not fit titleRect's
    // width; the colours unless ColorDefault (the tip's own background, the context's text
    // colour). The tip stays while the mouse is within hoverRect (titleRect when null). Both
    // rectangles are in the parent's client coordinates. Nothing when titleRect is empty, the tip
    // shows already, or no window of the program has the keyboard focus.
    void Show(const std::string& text, const CRect* hoverRect, const LOGFONT* font, COLORREF textColor,
              COLORREF backColor, const CRect& titleRect);
    // Hides the tip (nothing without a window).
    void Hide();

    // Input that reached the parent beneath the tip (message WM_MOUSEMOVE, WM_LBUTTONDOWN,
    // WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_KEYDOWN or WM_SYSKEYDOWN; point in the
    // parent's client coordinates for the mouse): TRUE when the tip keeps it from the parent (a
    // move within the hover rectangle; anything while no window has the keyboard focus, which
    // also hides the tip); otherwise the tip hides for a move out of the hover rectangle, a
    // button or a key, and the parent handles the input (FALSE). Always FALSE while the tip is
    // hidden.
    BOOL TakeInput(UINT message, CPoint point = CPoint());

    // What the tip shows while visible (the blanks included) and the hover rectangle in the
    // parent's client coordinates (its right and bottom edges one further than given).
    const std::string& TipText() const { return tipText_; }
    const CRect& HoverRect() const { return hoverRect_; }

protected:
    // The pointer left the parent's client area (where no move of the parent can tell): hides.
    LRESULT OnParentMouseLeave(WPARAM, LPARAM);
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;

private:
    // Draws the tip text into dc (a context of the tip's client area).
    void DrawTip(CDC& dc);

    CWnd* parent_ = nullptr;
    CRect hoverRect_;
    BOOL created_ = FALSE;
    std::string tipText_;
    CFont font_;            // the font of the last Show's LOGFONT
    bool ownFont_ = false;  // the tip draws in font_, else in the parent's font
    COLORREF textColor_ = 0;
    COLORREF backColor_ = 0;
};
