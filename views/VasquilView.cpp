#include "views/VasquilView.h"

#include "views/HydrographView.h"
#include "views/NodeTableView.h"
#include "views/PlanView.h"
#include "views/ProfileView.h"
#include "views/XSectionView.h"

#include "app/VasquilDoc.h"
#include "platform/Menu.h"
#include "resources/MainViewMenu.h"
#include "resources/ResourceIds.h"

namespace {

// The tabs, in order, with their labels and view classes.
struct TabRow
{
    int index;
    const char* label;
    const CRuntimeClass* view;
};
const TabRow Tabs[] = {
    {CVasquilView::ProfileTab, "Profile View", &CProfileView::Runtime},
    {CVasquilView::PlanTab, "Plan View", &CPlanView::Runtime},
    {CVasquilView::HydrographTab, "Hydrograph View", &CHydrographView::Runtime},
    {CVasquilView::NodeTableTab, "Node Table Editor", &CNodeTableView::Runtime},
    {CVasquilView::CrossSectionTab, "Cross Section Editor", &CXSectionView::Runtime},
};

// Labels of the editor tabs while a run is active, and otherwise.
constexpr COLORREF RunningEditorColour = RGB(133, 133, 133);
constexpr COLORREF EditorColour = RGB(0, 0, 0);

bool IsEditor(const CWnd& view)
{
    return view.IsKindOf(&CNodeTableView::Runtime) || view.IsKindOf(&CXSectionView::Runtime);
}

}  // namespace

const CRuntimeClass CVasquilView::Runtime{"CVasquilView", &CCustomTabView::Runtime, &CreateRuntimeObject<CVasquilView>};

CVasquilView::CVasquilView()
{
    RegisterMainViewMenu();
}

CVasquilView::~CVasquilView() = default;

CVasquilDoc* CVasquilView::GetDocument() const
{
    return m_pDocument && m_pDocument->IsKindOf(&CVasquilDoc::Runtime) ? static_cast<CVasquilDoc*>(m_pDocument) : nullptr;
}

int CVasquilView::OnCreate(CREATESTRUCT* cs)
{
    if (CCustomTabView::OnCreate(cs) == -1) return -1;
    TabControl.ModifyTabStyle(CMFCTabCtrl::STYLE_3D_VS2005);
    for (const TabRow& tab : Tabs) AddViewTab(tab.view, tab.label, tab.index);
    return 0;
}

void CVasquilView::OnDraw(CDC*)
{
    const CVasquilDoc* doc = GetDocument();
    if (!doc) return;
    // The tabs by their views' classes; a tab not found counts as the first.
    int profile = 0, plan = 0, nodeTable = 0, crossSection = 0;
    for (int i = 0; i < TabControl.GetTabsNum(); ++i) {
        const CWnd* view = TabControl.GetTabWnd(i);
        if (!view) continue;
        if (view->IsKindOf(&CNodeTableView::Runtime)) nodeTable = i;
        else if (view->IsKindOf(&CProfileView::Runtime)) profile = i;
        else if (view->IsKindOf(&CXSectionView::Runtime)) crossSection = i;
        else if (view->IsKindOf(&CPlanView::Runtime)) plan = i;
    }
    if (doc->ProfileViewReset) TabControl.SetActiveTab(profile);
    if (doc->PlanViewFitImage) TabControl.SetActiveTab(plan);
    // A run redraws every step; the strip repaints only when its labels change.
    const int running = doc->RunActive ? 1 : 0;
    if (running == TabsColouredForRun) return;
    TabsColouredForRun = running;
    const COLORREF editors = running ? RunningEditorColour : EditorColour;
    TabControl.SetTabTextColor(nodeTable, editors);
    TabControl.SetTabTextColor(crossSection, editors);
    TabControl.Invalidate(TRUE);
}

void CVasquilView::OnLButtonDown(UINT nFlags, CPoint point)
{
    const int tab = TabControl.GetTabFromPoint(point);
    const CWnd* view = tab >= 0 ? TabControl.GetTabWnd(tab) : nullptr;
    if (!view) return;
    const CVasquilDoc* doc = GetDocument();
    if (IsEditor(*view) && doc && doc->RunActive) {
        TabControl.Invalidate(TRUE);
        return;
    }
    TabControl.CMFCTabCtrl::OnLButtonDown(nFlags, point);
}

void CVasquilView::OnRButtonUp(UINT, CPoint point)
{
    ClientToScreen(&point);
    OnContextMenu(this, point);
}

void CVasquilView::OnContextMenu(CWnd*, CPoint screenPoint)
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_POPUP_EDIT)) return;
    if (CMenu* popup = menu.GetSubMenu(0)) popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y, this);
}
