// The tabbed view host: a view whose whole client area is a tab control whose tabs are other
// views of the same document. It keeps the frame's active view equal to the view of the
// active tab, so that commands and activation go to the view the user sees.
//
// A derived host adds its tabs with AddViewTab in its own OnCreate, after this class's. Clicks
// on the tab strip come to the host as WM_LBUTTONDOWN (OnLButtonDown) in the tab control's
// client coordinates; this class ignores them. A host that handles them may look the tab up
// with TabControl.GetTabFromPoint and lets a click through with
//     TabControl.CMFCTabCtrl::OnLButtonDown(nFlags, point);
// a click it does not pass on changes nothing. Code may change the tab at any time with
// TabControl.SetActiveTab.
#pragma once

#include "controls/CustomTabCtrl.h"

#include "platform/DocView.h"

#include <string>

namespace CustomTabLib {

class CCustomTabView : public CView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Control id of TabControl.
    static constexpr UINT TabControlId = 1;

    // The tab control's clicks come to this view.
    CCustomTabView();
    ~CCustomTabView() override;

    // Creates a view of viewClass as a child of TabControl, attaches it to this view's
    // document (when there is one) and inserts its tab with label (Windows-1252) at index (at
    // the end when index is outside the tabs). Returns the number of tabs minus 1, or -1,
    // with no tab and no view left, when the view's window cannot be made. Throws
    // CInvalidArgException when viewClass is null or not a view class.
    int AddViewTab(const CRuntimeClass* viewClass, const std::string& label, int index);

    // Handler of the tab control's announcement (ActiveTabChangeMessage; wParam the active
    // tab, -1 for none). Before the initial update it only remembers the tab in
    // FirstActiveTab; afterwards the tab's view (null when the tab's window is no view, and
    // for -1) becomes the parent frame's active view and OnTabViewActivated hears of it.
    // Returns 0.
    LRESULT OnChangeActiveTab(WPARAM wParam, LPARAM lParam);

    // Called after the frame's active view became view (null: no tab is active). Does nothing.
    virtual void OnTabViewActivated(CView* view);
    // TRUE chooses a strip that shares its row with a horizontal scroll bar. FALSE.
    virtual BOOL HasScrollBar() const;

    // Makes the view ready and activates the tab that is active now (the first time: the tab
    // last announced while the tabs were being added).
    void OnInitialUpdate() override;
    // Draws nothing: the tabs cover the view.
    void OnDraw(CDC* pDC) override;

    CCustomTabCtrl TabControl;
    int IsReady = 0;          // 1 once the initial update has run
    int FirstActiveTab = -1;  // the tab last announced before the initial update

protected:
    // The view, then TabControl with tabs along its bottom edge (flat; sharing its row with a
    // scroll bar when HasScrollBar); -1 when either cannot be made.
    int OnCreate(CREATESTRUCT* cs) override;
    // TabControl covers the client area, its frame's left and top lines and the bottom of its
    // strip lying outside it.
    void OnSize(UINT nType, int cx, int cy) override;
    // A click in the host (or on its tab strip) activates the view of the active tab, or gives
    // it the focus back when it is active already.
    int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) override;

private:
    // The window of the active tab when it is a view, else null.
    CView* ActiveTabView() const;
};

}  // namespace CustomTabLib
