// The tab control: a strip of tabs along the bottom edge of the control (Qt's tab bar, no
// close buttons) and, above it, the window of the active tab. Each tab shows one child window
// of the control; the other tabs' windows are hidden. The control tells its parent of every
// change of the active tab (ActiveTabChangeMessage).
//
// Mouse. Presses on the strip reach the control as WM_MOUSEACTIVATE and WM_LBUTTONDOWN (or the
// right-button messages) in the control's client coordinates; the control's OnLButtonDown
// selects the tab under the point or presses a scroll button. A derived class that overrides
// OnLButtonDown decides alone what a click does. The wheel and the keyboard never change the
// active tab.
#pragma once

#include "platform/Window.h"

#include <string>

class QTabBar;

// Name of the registered message a tab control sends its parent whenever its active tab
// changes: wParam the new active tab, -1 for none; lParam 0.
constexpr const char* ActiveTabChangeMessageName = "AFX_WM_ONCHANGE_ACTIVE_TAB";
// Its number (RegisterWindowMessage of the name).
UINT ActiveTabChangeMessage();

// A colour argument meaning the style's own text colour.
constexpr COLORREF DefaultTabTextColor = COLORREF(-1);

class CMFCTabCtrl : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Looks of the strip.
    enum Style {
        STYLE_FLAT = 1,                     // flat tabs
        STYLE_FLAT_SHARED_HORZ_SCROLL = 2,  // flat tabs; drawn as STYLE_FLAT (no scroll bar of its own)
        STYLE_3D_VS2005 = 5,                // raised tabs
    };

    CMFCTabCtrl();
    ~CMFCTabCtrl() override;

    using CWnd::Create;
    // Creates the control as a child of parent, rect in the parent's client pixels, with the
    // style's strip along its bottom edge. FALSE, and no window, when parent has no window or
    // the control has one already.
    BOOL Create(Style style, const CRect& rect, CWnd* parent, UINT id);

    void ModifyTabStyle(Style style);
    Style GetTabStyle() const { return style_; }
    // A frame of one line around the control (flat) or of two (raised); raised at creation.
    void SetFlatFrame(BOOL flat = TRUE, BOOL repaint = TRUE);
    BOOL IsFlatFrame() const { return flatFrame_ ? TRUE : FALSE; }
    // Pixels between the frame and the tabs' windows; 3 at creation, negative counts as 0.
    void SetTabBorderSize(int size, BOOL repaint = TRUE);
    int GetTabBorderSize() const { return borderSize_; }

    // Inserts a tab with label (Windows-1252) showing wnd, which must be a child window of this
    // control, at index (at the end when index is outside 0 .. tab count). The first tab
    // becomes the active one; a tab inserted before the active one moves the active index on,
    // which is announced as a change. FALSE, and no tab, without a control window or when wnd
    // is null, has no window or is no child of the control.
    BOOL InsertTab(CWnd* wnd, const std::string& label, int index);
    int GetTabsNum() const;
    // The window of tab index; null outside the tabs or when that window is gone.
    CWnd* GetTabWnd(int index) const;
    // FALSE, and an empty label, outside the tabs.
    BOOL GetTabLabel(int index, std::string& label) const;

    // The active tab, -1 when there is none.
    int GetActiveTab() const;
    // Makes index the active tab: its window shows, the previous one hides, and the parent
    // hears of the change. Activating the active tab changes and announces nothing. FALSE
    // for an index outside the tabs.
    BOOL SetActiveTab(int index);

    // Colour of a tab's label; DefaultTabTextColor gives the style's own. FALSE outside the tabs.
    BOOL SetTabTextColor(int index, COLORREF color);
    // DefaultTabTextColor outside the tabs or when none was set.
    COLORREF GetTabTextColor(int index) const;

    // The tab under point (client pixels of the control), -1 beside every tab, on a scroll
    // button or off the strip.
    int GetTabFromPoint(CPoint point) const;
    // The tab's rectangle in client pixels of the control; FALSE outside the tabs.
    BOOL GetTabRect(int index, CRect& rect) const;
    // The part of the control where the tabs' windows show (client pixels).
    CRect GetWndArea() const;

    // The tab selection of the strip: a press on a tab activates it, one on a scroll button
    // scrolls, any other does nothing.
    void OnLButtonDown(UINT nFlags, CPoint point) override;

protected:
    int OnCreate(CREATESTRUCT* cs) override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnPaint() override;

private:
    QTabBar* Bar() const;
    void ApplyStyle();
    // Places the strip and the tabs' windows and shows only the active one.
    void RecalcLayout();
    // The active tab has become index: layout, then the parent hears of it.
    void ActiveTabChanged(int index);
    int FrameWidth() const { return flatFrame_ ? 1 : 2; }

    Style style_ = STYLE_FLAT;
    bool flatFrame_ = false;
    int borderSize_ = 3;
};
