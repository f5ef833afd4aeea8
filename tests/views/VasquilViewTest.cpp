// The main view: its five tabs, the tab the document's flags bring forward, the editor tabs
// during a run, clicks on the strip, the frame's rules that read the active tab, and the Edit
// context menu.
#include "ViewsTestSupport.h"

#include "app/RunTransDlg.h"
#include "platform/Menu.h"
#include "platform/TestHooks.h"

namespace {

using namespace views_test;

constexpr COLORREF Grey = RGB(133, 133, 133);
constexpr COLORREF Black = RGB(0, 0, 0);

// A main view that counts its paints.
class CountingMainView : public CVasquilView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    void OnDraw(CDC* pDC) override
    {
        ++draws;
        CVasquilView::OnDraw(pDC);
    }
    int draws = 0;
};
const CRuntimeClass CountingMainView::Runtime{"CountingMainView", &CVasquilView::Runtime,
                                              &CreateRuntimeObject<CountingMainView>};

class VasquilViewTest : public ViewsTest
{
protected:
    bool Enabled(UINT id) const
    {
        CCmdUI state;
        state.m_nID = id;
        state.DoUpdate(Frame(), TRUE);
        return state.m_enabled.value_or(false);
    }
};

TEST_F(VasquilViewTest, TheTabsAreTheFiveWorkingViewsOfTheDocument)
{
    const std::pair<const char*, const CRuntimeClass*> tabs[] = {
        {"Profile View", &CProfileView::Runtime},
        {"Plan View", &CPlanView::Runtime},
        {"Hydrograph View", &CHydrographView::Runtime},
        {"Node Table Editor", &CNodeTableView::Runtime},
        {"Cross Section Editor", &CXSectionView::Runtime},
    };
    ASSERT_EQ(Tabs().GetTabsNum(), 5);
    EXPECT_EQ(Tabs().GetTabStyle(), CMFCTabCtrl::STYLE_3D_VS2005);
    for (int i = 0; i < 5; ++i) {
        std::string label;
        EXPECT_TRUE(Tabs().GetTabLabel(i, label));
        EXPECT_EQ(label, tabs[i].first);
        CWnd* view = Tabs().GetTabWnd(i);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->GetRuntimeClass(), tabs[i].second);
        EXPECT_EQ(static_cast<CView*>(view)->GetDocument(), Doc()) << label;
    }
    EXPECT_EQ(Tabs().GetActiveTab(), CVasquilView::ProfileTab);
    EXPECT_EQ(Frame()->GetActiveView(), Profile());
    // The frame tells the tabs apart by their class names.
    for (const char* name : {"CPlanView", "CHydrographView", "CNodeTableView", "CXSectionView", "CProfileView"})
        EXPECT_NE(CRuntimeClass::FromName(name), nullptr) << name;
}

TEST_F(VasquilViewTest, TheDocumentsFlagsBringTheirTabForwardAndPlanWins)
{
    struct Case
    {
        int from;
        int profileReset;
        int planFit;
        int active;
    };
    const Case cases[] = {
        {CVasquilView::HydrographTab, 1, 0, CVasquilView::ProfileTab},
        {CVasquilView::NodeTableTab, 0, 1, CVasquilView::PlanTab},
        {CVasquilView::CrossSectionTab, 1, 1, CVasquilView::PlanTab},
        {CVasquilView::ProfileTab, 1, 1, CVasquilView::PlanTab},
        {CVasquilView::HydrographTab, 0, 0, CVasquilView::HydrographTab},
    };
    for (const Case& c : cases) {
        Tabs().SetActiveTab(c.from);
        Doc()->ProfileViewReset = c.profileReset;
        Doc()->PlanViewFitImage = c.planFit;
        MainView()->OnDraw(nullptr);
        EXPECT_EQ(Tabs().GetActiveTab(), c.active) << c.from << c.profileReset << c.planFit;
        EXPECT_EQ(Frame()->GetActiveView(), Tabs().GetTabWnd(c.active));
        // The main view reads the flags; the views that own them clear them.
        EXPECT_EQ(Doc()->ProfileViewReset, c.profileReset);
        EXPECT_EQ(Doc()->PlanViewFitImage, c.planFit);
    }
    // Without a document nothing changes.
    const int active = Tabs().GetActiveTab();
    Doc()->ProfileViewReset = 1;
    Doc()->RunActive = 1;
    Doc()->RemoveView(MainView());
    MainView()->OnDraw(nullptr);
    EXPECT_EQ(Tabs().GetActiveTab(), active);
    EXPECT_EQ(Tabs().GetTabTextColor(CVasquilView::NodeTableTab), Black);
    Doc()->AddView(MainView());
}

TEST_F(VasquilViewTest, OpeningAModelBringsTheProfileForward)
{
    Tabs().SetActiveTab(CVasquilView::HydrographTab);
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    EXPECT_EQ(Tabs().GetActiveTab(), CVasquilView::ProfileTab);
    EXPECT_EQ(Frame()->GetActiveView(), Profile());
    EXPECT_NE(Profile()->Chart, nullptr);
    EXPECT_EQ(Doc()->ProfileViewReset, 0);
}

TEST_F(VasquilViewTest, DuringARunTheEditorTabsAreGreyAndRefuseClicks)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    Repaint();
    EXPECT_EQ(Tabs().GetTabTextColor(CVasquilView::NodeTableTab), Black);
    EXPECT_EQ(Tabs().GetTabTextColor(CVasquilView::CrossSectionTab), Black);

    Doc()->RunActive = 1;
    Repaint();
    EXPECT_EQ(Tabs().GetTabTextColor(CVasquilView::NodeTableTab), Grey);
    EXPECT_EQ(Tabs().GetTabTextColor(CVasquilView::CrossSectionTab), Grey);
    for (int tab : {CVasquilView::PlanTab, CVasquilView::NodeTableTab, CVasquilView::HydrographTab,
                    CVasquilView::CrossSectionTab, CVasquilView::ProfileTab}) {
        const int before = Tabs().GetActiveTab();
        ClickStrip(TabCentre(tab));
        const bool editor = tab == CVasquilView::NodeTableTab || tab == CVasquilView::CrossSectionTab;
        EXPECT_EQ(Tabs().GetActiveTab(), editor ? before : tab) << tab;
        EXPECT_EQ(Frame()->GetActiveView(), Tabs().GetTabWnd(Tabs().GetActiveTab())) << tab;
    }

    // The run ends: clicks work at once, the labels turn black at the next repaint.
    Doc()->RunActive = 0;
    ClickStrip(TabCentre(CVasquilView::NodeTableTab));
    EXPECT_EQ(Tabs().GetActiveTab(), CVasquilView::NodeTableTab);
    EXPECT_EQ(Tabs().GetTabTextColor(CVasquilView::NodeTableTab), Grey);
    Repaint();
    EXPECT_EQ(Tabs().GetTabTextColor(CVasquilView::NodeTableTab), Black);
    EXPECT_EQ(Tabs().GetTabTextColor(CVasquilView::CrossSectionTab), Black);
}

TEST_F(VasquilViewTest, TheTabStripRepaintsOnlyWhenTheRunStateChanges)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    Repaint();
    QTabBar* strip = Strip(Tabs());
    ASSERT_NE(strip, nullptr);
    PaintCounter counter;
    for (const int running : {0, 1, 1, 1, 0, 0}) {
        const bool changes = (Tabs().GetTabTextColor(CVasquilView::NodeTableTab) == Grey) != (running == 1);
        const int before = counter.paints[strip];
        Doc()->RunActive = running;
        Repaint();
        EXPECT_EQ(counter.paints[strip] > before, changes) << running;
        EXPECT_EQ(Tabs().GetTabTextColor(CVasquilView::CrossSectionTab), running ? Grey : Black);
    }
}

// A real run through the Transient dialog: the editor tabs are grey while it goes and black
// again when it has ended, without anything else drawing the window.
TEST_F(VasquilViewTest, TheEditorTabsTurnBlackWhenARunEnds)
{
    ASSERT_TRUE(Open("../../examples/sample-river.vqx"));
    Frame()->runDialogsExist = true;
    Frame()->SendMessage(WM_COMMAND, ID_SIMULATION_TRANSIENT, 0);
    CRunTransDlg* dialog = Doc()->TransientDialog;
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->Shown);
    const double present = std::stod(dialog->GetDlgItem(IDC_TRANS_PRESENT_TIME)->GetWindowText());
    dialog->GetDlgItem(IDC_TRANS_FINAL_TIME)->SetWindowText(std::to_string(present + 2.0));
    int greyDuringRun = 0;
    dialog->StepHandledHook = [&](int) {
        greyDuringRun += Tabs().GetTabTextColor(CVasquilView::NodeTableTab) == Grey;
    };
    MessageBoxSink boxes;
    {
        QuietStdout quiet;
        static_cast<CButton*>(dialog->GetDlgItem(IDC_RUN_BUTTON))->Click();
        ASSERT_TRUE(WaitUntil([dialog] { return !dialog->Running; }, 60000));
        ProcessEvents();
    }
    for (const MessageBoxRequest& box : boxes.shown) ADD_FAILURE() << box.text;
    EXPECT_GT(greyDuringRun, 0);
    EXPECT_EQ(Doc()->RunActive, 0);
    EXPECT_EQ(Tabs().GetTabTextColor(CVasquilView::NodeTableTab), Black);
    EXPECT_EQ(Tabs().GetTabTextColor(CVasquilView::CrossSectionTab), Black);
}

TEST_F(VasquilViewTest, AClickBesideEveryTabDoesNothing)
{
    Tabs().SetActiveTab(CVasquilView::PlanTab);
    CRect first, last;
    ASSERT_TRUE(Tabs().GetTabRect(0, first));
    ASSERT_TRUE(Tabs().GetTabRect(4, last));
    const CPoint beside(last.right + 40, last.CenterPoint().y);
    ASSERT_EQ(Tabs().GetTabFromPoint(beside), -1);
    ClickStrip(beside);
    EXPECT_EQ(Tabs().GetActiveTab(), CVasquilView::PlanTab);
    CRect firstAfter;
    ASSERT_TRUE(Tabs().GetTabRect(0, firstAfter));
    EXPECT_EQ(firstAfter, first);  // nothing scrolled
}

TEST_F(VasquilViewTest, SteadyAndTransientAreGreyWhileAnEditorTabIsActive)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    Frame()->runDialogsExist = true;
    for (int tab = 0; tab < 5; ++tab) {
        Tabs().SetActiveTab(tab);
        const bool editor = tab == CVasquilView::NodeTableTab || tab == CVasquilView::CrossSectionTab;
        EXPECT_EQ(Enabled(ID_SIMULATION_STEADY), !editor) << tab;
        EXPECT_EQ(Enabled(ID_SIMULATION_TRANSIENT), !editor) << tab;
    }
}

TEST_F(VasquilViewTest, ProfileViewOptionsNeedsAModelAndTheProfileTab)
{
    EXPECT_FALSE(Enabled(ID_PROFILE_VIEW_OPTIONS));
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    EXPECT_TRUE(Enabled(ID_PROFILE_VIEW_OPTIONS));
    Tabs().SetActiveTab(CVasquilView::PlanTab);
    EXPECT_FALSE(Enabled(ID_PROFILE_VIEW_OPTIONS));
}

// Only the node table prints, and only with a model: the main view itself draws nothing and
// prints nothing. Print Setup is the application's and always there.
TEST_F(VasquilViewTest, PrintIsTheNodeTablesWithAModelAndPrintSetupIsAlwaysThere)
{
    for (bool model : {false, true}) {
        if (model) {
            ASSERT_TRUE(Open("ft0-metric.vqx"));
        }
        for (int tab = 0; tab < 5; ++tab) {
            Tabs().SetActiveTab(tab);
            const bool prints = model && tab == CVasquilView::NodeTableTab;
            EXPECT_EQ(Enabled(ID_FILE_PRINT), prints) << model << " " << tab;
            EXPECT_EQ(Enabled(ID_FILE_PRINT_PREVIEW), prints) << model << " " << tab;
            EXPECT_TRUE(Enabled(ID_FILE_PRINT_SETUP)) << model << " " << tab;
        }
    }
    // With the main view itself active (no tab's view), nothing prints either.
    Frame()->SetActiveView(MainView());
    EXPECT_FALSE(Enabled(ID_FILE_PRINT));
    EXPECT_FALSE(Enabled(ID_FILE_PRINT_PREVIEW));
}

TEST_F(VasquilViewTest, ARightClickShowsTheEditMenu)
{
    PopupMenuChooser menus;
    // On a tab's view, which leaves the menu to the main view.
    const QPoint at(50, 60);
    QTest::mouseClick(Profile()->GetWidget(), Qt::RightButton, Qt::NoModifier, at);
    ProcessEvents();
    ASSERT_EQ(menus.requests.size(), 1u);
    const PopupMenuRequest& request = menus.requests[0];
    ASSERT_EQ(request.items.size(), 2u);
    EXPECT_EQ(request.items[0].id, ID_EDIT_COPY);
    EXPECT_EQ(request.items[0].text, "&Copy\tCtrl+C");
    EXPECT_EQ(request.items[1].id, ID_EDIT_PASTE);
    EXPECT_EQ(request.items[1].text, "&Paste\tCtrl+V");
    const QPoint screen = Profile()->GetWidget()->mapToGlobal(at);
    EXPECT_EQ(request.point, CPoint(screen.x(), screen.y()));

    // A release on the main view itself: the menu at that point of the screen.
    MainView()->SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(7, 9));
    ASSERT_EQ(menus.requests.size(), 2u);
    CPoint expected(7, 9);
    MainView()->ClientToScreen(&expected);
    EXPECT_EQ(menus.requests[1].point, expected);
}

class MainViewPaintTest : public ViewsTest
{
protected:
    const CRuntimeClass* MainViewClass() const override { return &CountingMainView::Runtime; }
    CountingMainView* Counting() const { return static_cast<CountingMainView*>(MainView()); }
};

TEST_F(MainViewPaintTest, APaintThatMovesTabsAndColoursThemStartsNoFurtherPaint)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    const auto settle = [] { WaitUntil([] { return false; }, 200); };
    settle();
    for (int step = 0; step < 4; ++step) {
        Doc()->RunActive = step % 2;
        Doc()->PlanViewFitImage = step % 2;
        Doc()->ProfileViewReset = 1 - step % 2;
        const int before = Counting()->draws;
        Doc()->UpdateAllViews(nullptr);
        settle();
        EXPECT_EQ(Counting()->draws, before + 1) << step;
        EXPECT_EQ(Tabs().GetActiveTab(), step % 2 ? CVasquilView::PlanTab : CVasquilView::ProfileTab) << step;
    }
}

}  // namespace
