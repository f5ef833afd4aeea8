#include "GuiTestSupport.h"

#include "controls/CustomTabView.h"

#include "platform/Exceptions.h"
#include "platform/Frame.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTabBar>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

using CustomTabLib::CCustomTabView;

namespace {

// Frame resource of the tests: no menu, no strings.
constexpr UINT TestFrameId = 9401;

// A view of a tab: counts its paints and hears its activations.
class TabView : public CView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    TabView() { ++alive; }
    ~TabView() override { --alive; }
    void OnDraw(CDC*) override { ++draws; }
    void OnActivateView(BOOL activate, CView* activated, CView* deactivated) override
    {
        if (activate && activated == this) ++activations;
        CView::OnActivateView(activate, activated, deactivated);
    }
    int draws = 0;
    int activations = 0;
    static int alive;  // objects of this class and its derived classes
};
int TabView::alive = 0;
const CRuntimeClass TabView::Runtime{"TabTestView", &CView::Runtime, &CreateRuntimeObject<TabView>};

// Views whose window cannot be made: refused by OnCreate (the view deletes itself) and by
// PreCreateWindow (the object stays with whoever made it).
class FailingView : public TabView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    int OnCreate(CREATESTRUCT*) override { return -1; }
};
const CRuntimeClass FailingView::Runtime{"FailingTabTestView", &TabView::Runtime, &CreateRuntimeObject<FailingView>};

class RefusingView : public TabView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    BOOL PreCreateWindow(CREATESTRUCT&) override { return FALSE; }
};
const CRuntimeClass RefusingView::Runtime{"RefusingTabTestView", &TabView::Runtime, &CreateRuntimeObject<RefusingView>};

class NotAView : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
};
const CRuntimeClass NotAView::Runtime{"NotATabTestView", &CWnd::Runtime, &CreateRuntimeObject<NotAView>};

// A host of three tabs that records what OnTabViewActivated hears and counts its paints. It
// has no handler of its own for WM_LBUTTONDOWN.
class TestHost : public CCustomTabView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    int OnCreate(CREATESTRUCT* cs) override
    {
        if (CCustomTabView::OnCreate(cs) == -1) return -1;
        for (int i = 0; i < 3; ++i) AddViewTab(&TabView::Runtime, "Tab " + std::to_string(i), i);
        return 0;
    }
    void OnTabViewActivated(CView* view) override { activated.push_back(view); }
    void OnDraw(CDC*) override { ++draws; }
    TabView* Tab(int index) const { return static_cast<TabView*>(TabControl.GetTabWnd(index)); }
    std::vector<CView*> activated;
    int draws = 0;
};
const CRuntimeClass TestHost::Runtime{"TestTabHost", &CCustomTabView::Runtime, &CreateRuntimeObject<TestHost>};

// A host that sees the clicks of its strip and lets them through when asked to.
class ClickHost : public TestHost
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    void OnLButtonDown(UINT flags, CPoint point) override
    {
        clicks.push_back({flags, point});
        if (letThrough) TabControl.CMFCTabCtrl::OnLButtonDown(flags, point);
    }
    struct Click
    {
        UINT flags;
        CPoint point;
    };
    std::vector<Click> clicks;
    bool letThrough = false;
};
const CRuntimeClass ClickHost::Runtime{"ClickTabHost", &TestHost::Runtime, &CreateRuntimeObject<ClickHost>};

class ScrollBarHost : public TestHost
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    BOOL HasScrollBar() const override { return TRUE; }
};
const CRuntimeClass ScrollBarHost::Runtime{"ScrollBarTabHost", &TestHost::Runtime, &CreateRuntimeObject<ScrollBarHost>};

// A host that, as a main view may, brings a tab forward and colours labels from its paint.
class PaintingHost : public TestHost
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    void OnDraw(CDC* pDC) override
    {
        TestHost::OnDraw(pDC);
        TabControl.SetActiveTab(draws % 3);
        TabControl.SetTabTextColor(1, draws % 2 ? RGB(133, 133, 133) : RGB(0, 0, 0));
        TabControl.Invalidate(TRUE);
    }
};
const CRuntimeClass PaintingHost::Runtime{"PaintingTabHost", &TestHost::Runtime, &CreateRuntimeObject<PaintingHost>};

class CustomTabViewTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        if (CWnd* frame = CWnd::FromHandle(frameHandle_)) frame->DestroyWindow();
        ProcessEvents();
        document_.reset();
        EXPECT_EQ(TabView::alive, 0);
    }

    // A frame whose view is a host of class H attached to a document; the initial update has
    // not run yet.
    template <class H>
    H* MakeHost()
    {
        document_ = std::make_unique<CDocument>();
        CCreateContext context;
        context.m_pNewViewClass = &H::Runtime;
        context.m_pCurrentDoc = document_.get();
        frame_ = new CFrameWnd;
        EXPECT_TRUE(frame_->LoadFrame(TestFrameId, WS_OVERLAPPEDWINDOW, nullptr, &context));
        frameHandle_ = frame_->GetSafeHwnd();
        return static_cast<H*>(frame_->GetDlgItem(int(AFX_IDW_PANE_FIRST)));
    }
    // What the template does once the frame exists: the initial update, and the frame shows.
    void InitialUpdate()
    {
        frame_->InitialUpdateFrame(document_.get(), TRUE);
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame_->GetWidget()));
        ProcessEvents();
    }
    static QTabBar* Strip(CCustomTabView* host) { return host->TabControl.GetWidget()->findChild<QTabBar*>(); }
    // Clicks the host's strip at point (tab control coordinates).
    static void ClickStrip(CCustomTabView* host, CPoint point, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(Strip(host), Qt::LeftButton, modifiers, QPoint(point.x, point.y) - Strip(host)->pos());
    }
    static CPoint TabCentre(CCustomTabView* host, int index)
    {
        CRect r;
        EXPECT_TRUE(host->TabControl.GetTabRect(index, r));
        return r.CenterPoint();
    }
    // The invariant once ready: the frame's active view is the view of the active tab.
    void ExpectActiveViewFollowsTheTab(TestHost* host) const
    {
        EXPECT_EQ(frame_->GetActiveView(), host->TabControl.GetTabWnd(host->TabControl.GetActiveTab()));
    }

    std::unique_ptr<CDocument> document_;
    CFrameWnd* frame_ = nullptr;
    HWND frameHandle_ = nullptr;
};

}  // namespace

TEST_F(CustomTabViewTest, AnnouncementsBeforeTheInitialUpdateAreOnlyRememberedAndTheLastWins)
{
    TestHost* host = MakeHost<TestHost>();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(host->IsReady, 0);
    EXPECT_EQ(host->FirstActiveTab, 0);  // the first tab became active as the tabs were added
    host->TabControl.SetActiveTab(2);
    host->TabControl.SetActiveTab(1);
    EXPECT_EQ(host->FirstActiveTab, 1);
    // A tab added before the chosen one moves it on, and the host remembers where it went.
    TabView* chosen = host->Tab(1);
    ASSERT_EQ(host->AddViewTab(&TabView::Runtime, "Before", 0), 3);
    EXPECT_EQ(host->FirstActiveTab, 2);
    EXPECT_EQ(frame_->GetActiveView(), nullptr);
    EXPECT_TRUE(host->activated.empty());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(host->Tab(i)->activations, 0);

    InitialUpdate();
    EXPECT_EQ(host->IsReady, 1);
    EXPECT_EQ(frame_->GetActiveView(), chosen);
    EXPECT_EQ(host->activated, std::vector<CView*>{chosen});
    EXPECT_GE(chosen->activations, 1);

    // From now on every change moves the frame's active view with it.
    for (int tab : {0, 3, 1, 2}) {
        host->TabControl.SetActiveTab(tab);
        EXPECT_EQ(frame_->GetActiveView(), host->Tab(tab)) << tab;
        EXPECT_EQ(host->activated.back(), host->Tab(tab));
    }
    EXPECT_EQ(host->activated.size(), 5u);
    EXPECT_EQ(CWnd::GetFocus(), host->Tab(2));  // the activated view takes the focus
}

TEST_F(CustomTabViewTest, AnnouncingNoTabOrATabWithoutAViewLeavesTheFrameWithoutAnActiveView)
{
    TestHost* host = MakeHost<TestHost>();
    RecordingWindow plain;  // a tab whose window is no view
    ASSERT_TRUE(plain.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(), &host->TabControl, 50));
    ASSERT_TRUE(host->TabControl.InsertTab(&plain, "Plain", -1));
    InitialUpdate();
    const int tabs[] = {-1, 3, 7};
    for (int tab : tabs) {
        host->TabControl.SetActiveTab(1);
        host->TabControl.SetActiveTab(0);
        ASSERT_EQ(frame_->GetActiveView(), host->Tab(0));
        host->SendMessage(ActiveTabChangeMessage(), WPARAM(tab), 0);
        EXPECT_EQ(frame_->GetActiveView(), nullptr) << tab;
        EXPECT_EQ(host->activated.back(), nullptr) << tab;
    }
    host->TabControl.SetActiveTab(3);  // the same through the control
    EXPECT_EQ(frame_->GetActiveView(), nullptr);
    EXPECT_EQ(host->activated.back(), nullptr);
    plain.DestroyWindow();
}

TEST_F(CustomTabViewTest, TabViewsJoinTheHostsDocumentAndRepaintWithIt)
{
    TestHost* host = MakeHost<TestHost>();
    InitialUpdate();
    EXPECT_EQ(document_->GetViews(), (std::vector<CView*>{host, host->Tab(0), host->Tab(1), host->Tab(2)}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(host->Tab(i)->GetDocument(), document_.get());

    // Though its tabs cover it, the host draws on every repaint, as the shown tab does.
    const int hostDraws = host->draws;
    const int tabDraws = host->Tab(0)->draws;
    document_->UpdateAllViews(nullptr);
    ProcessEvents();
    EXPECT_EQ(host->draws, hostDraws + 1);
    EXPECT_EQ(host->Tab(0)->draws, tabDraws + 1);

    // Closing the frame takes the tabs' views with it and out of the document.
    frame_->DestroyWindow();
    ProcessEvents();
    EXPECT_TRUE(document_->GetViews().empty());
    EXPECT_EQ(TabView::alive, 0);
}

TEST_F(CustomTabViewTest, ATabChangeOrLabelColourFromTheHostsPaintStartsNoFurtherPaintOfTheHost)
{
    PaintingHost* host = MakeHost<PaintingHost>();
    InitialUpdate();
    for (int round = 0; round < 3; ++round) {
        const int draws = host->draws;
        document_->UpdateAllViews(nullptr);
        ProcessEvents();
        ProcessEvents();
        EXPECT_EQ(host->draws, draws + 1);
        EXPECT_EQ(host->TabControl.GetActiveTab(), host->draws % 3);
        ExpectActiveViewFollowsTheTab(host);
    }
}

TEST_F(CustomTabViewTest, AHostWithoutADocumentAttachesItsTabsToNone)
{
    RecordingWindow top;
    ASSERT_TRUE(top.Create(nullptr, "top", WS_OVERLAPPED | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0));
    auto* host = new TestHost;  // a view: it deletes itself with its window
    ASSERT_TRUE(host->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), &top, 1));
    EXPECT_EQ(host->GetDocument(), nullptr);
    ASSERT_EQ(host->TabControl.GetTabsNum(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(host->Tab(i)->GetDocument(), nullptr);
    // Nor is there a frame: an announcement after the initial update reaches only the host.
    host->OnInitialUpdate();
    host->TabControl.SetActiveTab(2);
    EXPECT_EQ(host->activated.back(), host->Tab(2));
    top.DestroyWindow();
}

TEST_F(CustomTabViewTest, AddViewTabRefusesNonViewClassesAndWindowsThatCannotBeMade)
{
    TestHost* host = MakeHost<TestHost>();
    InitialUpdate();
    host->TabControl.SetActiveTab(1);
    const std::vector<CView*> views = document_->GetViews();
    const int alive = TabView::alive;

    const CRuntimeClass* notViews[] = {nullptr, &NotAView::Runtime, &CDocument::Runtime, &CWnd::Runtime};
    for (const CRuntimeClass* c : notViews) EXPECT_THROW(host->AddViewTab(c, "Bad", 0), CInvalidArgException);
    // A view class that cannot be created, and views whose windows are refused: -1, and
    // neither a tab nor a view is left.
    const CRuntimeClass* unmade[] = {&CView::Runtime, &FailingView::Runtime, &RefusingView::Runtime};
    for (const CRuntimeClass* c : unmade) {
        EXPECT_EQ(host->AddViewTab(c, "Unmade", 0), -1) << (c ? c->m_lpszClassName : "null");
        EXPECT_EQ(host->TabControl.GetTabsNum(), 3);
        EXPECT_EQ(TabView::alive, alive);
    }
    EXPECT_EQ(document_->GetViews(), views);
    EXPECT_EQ(host->TabControl.GetActiveTab(), 1);

    // A good view inserted before the active tab: the user still sees the same view, and the
    // frame's active view stays that of the active tab.
    CView* shown = frame_->GetActiveView();
    EXPECT_EQ(host->AddViewTab(&TabView::Runtime, "New", 0), 3);
    std::string label;
    host->TabControl.GetTabLabel(0, label);
    EXPECT_EQ(label, "New");
    EXPECT_EQ(host->TabControl.GetActiveTab(), 2);
    EXPECT_EQ(frame_->GetActiveView(), shown);
    ExpectActiveViewFollowsTheTab(host);
    EXPECT_EQ(host->Tab(0)->GetDocument(), document_.get());
}

TEST_F(CustomTabViewTest, TheTabControlCoversTheHostWithItsFrameOutside)
{
    TestHost* host = MakeHost<TestHost>();
    InitialUpdate();
    EXPECT_EQ(host->TabControl.GetDlgCtrlID(), 1);
    EXPECT_EQ(host->TabControl.GetTabStyle(), CMFCTabCtrl::STYLE_FLAT);
    EXPECT_TRUE(host->TabControl.IsFlatFrame());
    EXPECT_EQ(host->TabControl.GetTabBorderSize(), 0);
    const CSize sizes[] = {{640, 480}, {300, 200}, {1000, 150}};
    for (const CSize size : sizes) {
        host->MoveWindow(0, 0, size.cx, size.cy);
        CRect control;
        host->TabControl.GetWindowRect(&control);
        CPoint origin = control.TopLeft();
        host->ScreenToClient(&origin);
        EXPECT_EQ(CRect(origin, control.Size()), CRect(-1, -1, size.cx, size.cy + 2)) << size.cx;
        // The shown tab's view starts at the host's corner.
        CPoint corner(0, 0);
        host->Tab(0)->ClientToScreen(&corner);
        host->ScreenToClient(&corner);
        EXPECT_EQ(corner, CPoint(0, 0));
    }

    // A host that asks for a scroll bar gets the strip that shares its row with one.
    auto* other = new CFrameWnd;
    CDocument document;
    CCreateContext context;
    context.m_pNewViewClass = &ScrollBarHost::Runtime;
    context.m_pCurrentDoc = &document;
    ASSERT_TRUE(other->LoadFrame(TestFrameId, WS_OVERLAPPEDWINDOW, nullptr, &context));
    auto* shared = static_cast<ScrollBarHost*>(other->GetDlgItem(int(AFX_IDW_PANE_FIRST)));
    EXPECT_EQ(shared->TabControl.GetTabStyle(), CMFCTabCtrl::STYLE_FLAT_SHARED_HORZ_SCROLL);
    other->DestroyWindow();
}

TEST_F(CustomTabViewTest, AHostWithoutAClickHandlerIgnoresItsStripWhileCodeStillChangesTabs)
{
    TestHost* host = MakeHost<TestHost>();
    InitialUpdate();
    for (int tab : {1, 2}) ClickStrip(host, TabCentre(host, tab));
    EXPECT_EQ(host->TabControl.GetActiveTab(), 0);
    EXPECT_EQ(host->activated, std::vector<CView*>{host->Tab(0)});
    host->TabControl.SetActiveTab(2);
    EXPECT_EQ(frame_->GetActiveView(), host->Tab(2));
}

TEST_F(CustomTabViewTest, ClicksOnTheStripReachTheHostInTheControlsCoordinatesAndTheHostDecides)
{
    ClickHost* host = MakeHost<ClickHost>();
    InitialUpdate();
    const CPoint centre = TabCentre(host, 2);
    ClickStrip(host, centre, Qt::ShiftModifier);
    ASSERT_EQ(host->clicks.size(), 1u);  // sent at once, before the click returned
    EXPECT_EQ(host->clicks[0].point, centre);
    EXPECT_EQ(host->clicks[0].flags, UINT(MK_LBUTTON | MK_SHIFT));
    EXPECT_EQ(host->TabControl.GetActiveTab(), 0);  // refused: nothing changed
    EXPECT_EQ(frame_->GetActiveView(), host->Tab(0));

    host->letThrough = true;
    ClickStrip(host, centre);
    EXPECT_EQ(host->TabControl.GetActiveTab(), 2);
    EXPECT_EQ(frame_->GetActiveView(), host->Tab(2));
    CRect last;
    host->TabControl.GetTabRect(2, last);
    ClickStrip(host, CPoint(last.right + 30, last.CenterPoint().y));  // beside every tab
    EXPECT_EQ(host->TabControl.GetActiveTab(), 2);
    EXPECT_EQ(host->clicks.size(), 3u);
}

TEST_F(CustomTabViewTest, AClickInTheHostGivesTheActiveTabsViewTheFrameAndTheFocusBack)
{
    TestHost* host = MakeHost<TestHost>();
    InitialUpdate();
    host->TabControl.SetActiveTab(1);
    TabView* view = host->Tab(1);
    CRect last;
    host->TabControl.GetTabRect(2, last);
    const CPoint beside(last.right + 30, last.CenterPoint().y);

    // Another view became active: a click on the strip brings the tab's view back.
    frame_->SetActiveView(host);
    ClickStrip(host, beside);
    EXPECT_EQ(frame_->GetActiveView(), view);

    // Still active, but the focus went elsewhere: the view is activated again and takes it.
    host->SetFocus();
    ASSERT_NE(CWnd::GetFocus(), view);
    const int activations = view->activations;
    ClickStrip(host, beside);
    EXPECT_EQ(view->activations, activations + 1);
    EXPECT_EQ(CWnd::GetFocus(), view);
    EXPECT_EQ(host->TabControl.GetActiveTab(), 1);
}

TEST_F(CustomTabViewTest, ALaterInitialUpdateKeepsTheTabTheUserSees)
{
    // After each open the frame updates its views again; the tab remembered while the tabs
    // were added is stale by then.
    TestHost* host = MakeHost<TestHost>();
    InitialUpdate();
    host->TabControl.SetActiveTab(2);
    frame_->InitialUpdateFrame(document_.get(), TRUE);
    EXPECT_EQ(host->TabControl.GetActiveTab(), 2);
    ExpectActiveViewFollowsTheTab(host);
}
