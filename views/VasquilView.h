// The main view: the one view of the frame, a tabbed view whose five tabs are the working
// views of the document (profile, plan, hydrograph, node table, cross-section editor). It
// brings the profile or the plan tab forward when the document asks, greys the two editor
// tabs while a run goes on and refuses clicks on them meanwhile, and shows the Edit context
// menu. It draws nothing itself.
#pragma once

#include "controls/CustomTabView.h"

class CVasquilDoc;

class CVasquilView : public CustomTabLib::CCustomTabView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Tabs in order.
    static constexpr int ProfileTab = 0;
    static constexpr int PlanTab = 1;
    static constexpr int HydrographTab = 2;
    static constexpr int NodeTableTab = 3;
    static constexpr int CrossSectionTab = 4;

    CVasquilView();
    ~CVasquilView() override;

    // The view's document when it is the program's, else null.
    CVasquilDoc* GetDocument() const;

    // Without a document nothing. Otherwise, by the document's flags: the profile reset
    // brings the Profile tab forward, then the plan fit the Plan tab (so Plan wins); the two
    // editor tabs' labels are grey while a run is active, else black (set, and the strip
    // repainted, only when that changed since the last draw). Draws nothing.
    void OnDraw(CDC* pDC) override;

    // A click on the tab strip (tab control coordinates): ignored beside every tab; refused
    // on an editor tab while a run is active (the strip only repaints); otherwise the tab
    // control selects the tab.
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    // The Edit menu (Copy, Paste) at a screen point; its commands come to this view.
    void OnContextMenu(CWnd* pWnd, CPoint screenPoint) override;
    // The Edit menu at the point of release.
    void OnRButtonUp(UINT nFlags, CPoint point) override;

protected:
    // The host, raised tabs, then the five tabs. -1 when the host cannot be made.
    int OnCreate(CREATESTRUCT* cs) override;

private:
    // The run state the editor tabs' labels were last coloured for; -1 before the first draw.
    int TabsColouredForRun = -1;
};
