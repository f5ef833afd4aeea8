#include "controls/CustomTabView.h"

#include "platform/Exceptions.h"
#include "platform/Frame.h"

#include <QApplication>
#include <QWidget>

namespace CustomTabLib {

const CRuntimeClass CCustomTabView::Runtime{"CCustomTabView", &CView::Runtime, &CreateRuntimeObject<CCustomTabView>};

CCustomTabView::CCustomTabView()
{
    TabControl.ClickTarget = this;
    MapMessage(ActiveTabChangeMessage(), &CCustomTabView::OnChangeActiveTab);
}

// TabControl, a member, goes before the view and takes the tabs' views with it.
CCustomTabView::~CCustomTabView() = default;

int CCustomTabView::OnCreate(CREATESTRUCT* cs)
{
    if (CView::OnCreate(cs) == -1) return -1;
    const auto style = HasScrollBar() ? CMFCTabCtrl::STYLE_FLAT_SHARED_HORZ_SCROLL : CMFCTabCtrl::STYLE_FLAT;
    if (!TabControl.Create(style, CRect(), this, TabControlId)) return -1;
    TabControl.SetFlatFrame(TRUE);
    TabControl.SetTabBorderSize(0);
    return 0;
}

void CCustomTabView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    if (TabControl.GetSafeHwnd()) TabControl.MoveWindow(-1, -1, cx + 1, cy + 3);
}

int CCustomTabView::AddViewTab(const CRuntimeClass* viewClass, const std::string& label, int index)
{
    if (!viewClass || !viewClass->IsDerivedFrom(&CView::Runtime))
        throw CInvalidArgException("A tab of a tabbed view must be a view class");
    CObject* object = viewClass->CreateObject();
    if (!object) return -1;
    if (!object->IsKindOf(&CView::Runtime)) {
        delete object;
        return -1;
    }
    auto* view = static_cast<CView*>(object);
    const auto life = view->LifeToken();
    if (!view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(), &TabControl, UINT(-1))) {
        if (!life.expired()) delete view;  // a view refused by its OnCreate has deleted itself
        return -1;
    }
    if (m_pDocument) m_pDocument->AddView(view);
    TabControl.InsertTab(view, label, index);
    return TabControl.GetTabsNum() - 1;
}

LRESULT CCustomTabView::OnChangeActiveTab(WPARAM wParam, LPARAM)
{
    const int index = int(wParam);
    if (!IsReady) {
        FirstActiveTab = index;
        return 0;
    }
    CView* view = nullptr;
    if (index >= 0) {
        CWnd* wnd = TabControl.GetTabWnd(index);
        if (wnd && wnd->IsKindOf(&CView::Runtime)) view = static_cast<CView*>(wnd);
    }
    if (CFrameWnd* frame = GetParentFrame()) frame->SetActiveView(view);
    OnTabViewActivated(view);
    return 0;
}

void CCustomTabView::OnInitialUpdate()
{
    CView::OnInitialUpdate();
    // A later initial update (after each open) keeps the tab the user sees; the remembered
    // one may be long out of date by then.
    const int tab = IsReady ? TabControl.GetActiveTab() : FirstActiveTab;
    IsReady = 1;
    OnChangeActiveTab(WPARAM(tab), 0);
}

void CCustomTabView::OnDraw(CDC*) {}

void CCustomTabView::OnTabViewActivated(CView*) {}

BOOL CCustomTabView::HasScrollBar() const
{
    return FALSE;
}

CView* CCustomTabView::ActiveTabView() const
{
    CWnd* wnd = TabControl.GetTabWnd(TabControl.GetActiveTab());
    return wnd && wnd->IsKindOf(&CView::Runtime) ? static_cast<CView*>(wnd) : nullptr;
}

int CCustomTabView::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message)
{
    CView* view = ActiveTabView();
    if (!view) return CView::OnMouseActivate(pDesktopWnd, nHitTest, message);
    const int result = CWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
    if (result == MA_NOACTIVATE || result == MA_NOACTIVATEANDEAT) return result;
    CFrameWnd* frame = GetParentFrame();
    if (!frame) return result;
    QWidget* focus = QApplication::focusWidget();
    QWidget* viewWidget = view->GetWidget();
    const bool focusInView = focus && viewWidget && (focus == viewWidget || viewWidget->isAncestorOf(focus));
    if (frame->GetActiveView() == view && !focusInView) view->OnActivateView(TRUE, view, view);
    else frame->SetActiveView(view);
    return result;
}

}  // namespace CustomTabLib
