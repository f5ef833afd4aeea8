#include "GuiTestSupport.h"

#include "platform/TabControl.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <memory>
#include <vector>

namespace {

// The parent of a tab control: records the control's announcements and its own messages.
class TabParent : public RecordingWindow
{
public:
    TabParent() { MapMessage(ActiveTabChangeMessage(), &TabParent::OnActiveTab); }
    LRESULT OnActiveTab(WPARAM wParam, LPARAM)
    {
        announced.push_back(int(wParam));
        return 0;
    }
    std::vector<int> announced;
};

class TabControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent_.Create(nullptr, "tabs", WS_OVERLAPPED | WS_VISIBLE, CRect(0, 0, 420, 240), nullptr, 0));
        ASSERT_TRUE(control_.Create(CMFCTabCtrl::STYLE_FLAT, CRect(0, 0, 420, 240), &parent_, 7));
    }

    // Adds count tabs "Tab 0", "Tab 1", ... at the end, each with a window of its own.
    void AddTabs(int count)
    {
        for (int i = 0; i < count; ++i) {
            auto window = std::make_unique<RecordingWindow>();
            ASSERT_TRUE(window->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(), &control_, UINT(100 + i)));
            ASSERT_TRUE(control_.InsertTab(window.get(), "Tab " + std::to_string(i), -1));
            windows_.push_back(std::move(window));
        }
    }
    QTabBar* Strip() const { return control_.GetWidget()->findChild<QTabBar*>(); }
    // A point of the control in the strip's coordinates.
    QPoint OnStrip(CPoint p) const { return QPoint(p.x, p.y) - Strip()->pos(); }
    CPoint TabCentre(int index) const
    {
        CRect r;
        EXPECT_TRUE(control_.GetTabRect(index, r));
        return r.CenterPoint();
    }
    // Which of windows_ show.
    std::vector<bool> Shown() const
    {
        std::vector<bool> shown;
        for (const auto& w : windows_) shown.push_back(w->IsWindowVisible() != FALSE);
        return shown;
    }

    TabParent parent_;
    CMFCTabCtrl control_;
    std::vector<std::unique_ptr<RecordingWindow>> windows_;
};

}  // namespace

TEST_F(TabControlTest, EveryChangeOfTheActiveTabIsAnnouncedAndShowsOnlyThatTabsWindow)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(parent_.GetWidget()));
    EXPECT_EQ(control_.GetActiveTab(), -1);
    AddTabs(2);
    // The first tab became active; appending another changes nothing.
    EXPECT_EQ(parent_.announced, std::vector<int>{0});
    EXPECT_EQ(Shown(), (std::vector<bool>{true, false}));

    // A tab inserted before the active one moves its index on: the parent hears the new index.
    auto first = std::make_unique<RecordingWindow>();
    ASSERT_TRUE(first->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(), &control_, 99));
    ASSERT_TRUE(control_.InsertTab(first.get(), "First", 0));
    windows_.insert(windows_.begin(), std::move(first));
    EXPECT_EQ(parent_.announced, (std::vector<int>{0, 1}));
    EXPECT_EQ(control_.GetActiveTab(), 1);
    EXPECT_EQ(control_.GetTabWnd(1), windows_[1].get());
    EXPECT_EQ(Shown(), (std::vector<bool>{false, true, false}));
    std::string label;
    EXPECT_TRUE(control_.GetTabLabel(0, label));
    EXPECT_EQ(label, "First");

    // Activating the active tab announces nothing; a tab outside the strip is refused.
    EXPECT_TRUE(control_.SetActiveTab(1));
    EXPECT_FALSE(control_.SetActiveTab(3));
    EXPECT_FALSE(control_.SetActiveTab(-1));
    EXPECT_EQ(parent_.announced, (std::vector<int>{0, 1}));

    EXPECT_TRUE(control_.SetActiveTab(2));
    EXPECT_EQ(parent_.announced, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Shown(), (std::vector<bool>{false, false, true}));
    CRect shown;
    windows_[2]->GetClientRect(&shown);
    EXPECT_EQ(shown.Size(), control_.GetWndArea().Size());
    EXPECT_EQ(control_.GetTabWnd(3), nullptr);
    EXPECT_FALSE(control_.GetTabLabel(3, label));
}

TEST_F(TabControlTest, OnlyItsOwnChildWindowsBecomeTabs)
{
    RecordingWindow stranger;  // a child of the parent, not of the control
    ASSERT_TRUE(stranger.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(), &parent_, 3));
    RecordingWindow windowless;
    CWnd* refused[] = {nullptr, &stranger, &windowless};
    for (CWnd* wnd : refused) EXPECT_FALSE(control_.InsertTab(wnd, "No", 0));
    EXPECT_EQ(control_.GetTabsNum(), 0);
    EXPECT_TRUE(parent_.announced.empty());

    CMFCTabCtrl unmade;  // no window yet
    RecordingWindow child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(), &control_, 4));
    EXPECT_FALSE(unmade.InsertTab(&child, "No", 0));
    EXPECT_EQ(unmade.GetActiveTab(), -1);
}

TEST_F(TabControlTest, ClicksOnTheStripActivateTheTabUnderThePointAndNothingElseDoes)
{
    AddTabs(3);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(parent_.GetWidget()));
    parent_.announced.clear();
    parent_.log.clear();

    QTest::mouseClick(Strip(), Qt::LeftButton, Qt::NoModifier, OnStrip(TabCentre(2)));
    EXPECT_EQ(control_.GetActiveTab(), 2);
    EXPECT_EQ(parent_.announced, std::vector<int>{2});
    // The press asked the parent about activation first, as a click on any child window does.
    EXPECT_TRUE(parent_.Logged("mouseactivate"));

    // Beside the last tab, or with the wheel: no change.
    CRect last;
    control_.GetTabRect(2, last);
    QTest::mouseClick(Strip(), Qt::LeftButton, Qt::NoModifier, OnStrip(CPoint(last.right + 20, last.CenterPoint().y)));
    const QPoint centre0 = OnStrip(TabCentre(0));
    QWheelEvent wheel(centre0, Strip()->mapToGlobal(centre0), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(Strip(), &wheel);
    EXPECT_EQ(control_.GetActiveTab(), 2);
    EXPECT_EQ(parent_.announced, std::vector<int>{2});

    // A right click on the strip asks the parent for its context menu.
    const QPoint at = OnStrip(TabCentre(1));
    QTest::mouseClick(Strip(), Qt::RightButton, Qt::NoModifier, at);
    const QPoint screen = Strip()->mapToGlobal(at);
    EXPECT_TRUE(parent_.Logged("contextmenu " + std::to_string(screen.x()) + "," + std::to_string(screen.y())));
    EXPECT_EQ(control_.GetActiveTab(), 2);
}

TEST_F(TabControlTest, HitTestFindsTheTabUnderAPointOnly)
{
    AddTabs(3);
    CRect tab1;
    ASSERT_TRUE(control_.GetTabRect(1, tab1));
    CRect last;
    ASSERT_TRUE(control_.GetTabRect(2, last));
    const CRect area = control_.GetWndArea();
    struct Case
    {
        CPoint point;
        int tab;
    };
    const Case cases[] = {
        {TabCentre(0), 0},
        {TabCentre(2), 2},
        {tab1.TopLeft(), 1},
        {CPoint(tab1.right - 1, tab1.bottom - 1), 1},
        {CPoint(last.right + 5, last.CenterPoint().y), -1},  // beside every tab
        {area.CenterPoint(), -1},                            // the windows' area
        {CPoint(-5, tab1.CenterPoint().y), -1},              // off the control
        {CPoint(tab1.CenterPoint().x, 1000), -1},
    };
    for (const Case& c : cases) EXPECT_EQ(control_.GetTabFromPoint(c.point), c.tab) << c.point.x << "," << c.point.y;
    EXPECT_FALSE(control_.GetTabRect(3, tab1));
}

TEST_F(TabControlTest, ScrollButtonsOfANarrowStripScrollAndAreNoTab)
{
    control_.MoveWindow(0, 0, 160, 200);
    AddTabs(6);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(parent_.GetWidget()));
    QToolButton* right = nullptr;
    for (QToolButton* b : Strip()->findChildren<QToolButton*>()) {
        if (b->isVisible() && (!right || b->x() > right->x())) right = b;
    }
    ASSERT_NE(right, nullptr);
    const QPoint onButton = right->geometry().center();
    const CPoint buttonPoint(onButton.x() + Strip()->x(), onButton.y() + Strip()->y());
    EXPECT_EQ(control_.GetTabFromPoint(buttonPoint), -1);

    parent_.announced.clear();
    const int before = TabCentre(0).x;
    QTest::mouseClick(Strip(), Qt::LeftButton, Qt::NoModifier, onButton);
    EXPECT_LT(TabCentre(0).x, before);  // the tabs moved left
    EXPECT_EQ(control_.GetActiveTab(), 0);
    EXPECT_TRUE(parent_.announced.empty());
}

TEST_F(TabControlTest, ALabelTakesItsOwnColourUntilItIsReset)
{
    AddTabs(2);
    const COLORREF grey = RGB(133, 133, 133);
    EXPECT_TRUE(control_.SetTabTextColor(1, grey));
    EXPECT_FALSE(control_.SetTabTextColor(2, grey));
    EXPECT_EQ(control_.GetTabTextColor(1), grey);
    EXPECT_EQ(control_.GetTabTextColor(0), DefaultTabTextColor);
    EXPECT_EQ(control_.GetTabTextColor(2), DefaultTabTextColor);

    // The grey shows in the second label only, and it has no black pixel.
    struct Ink
    {
        int grey = 0;
        int black = 0;
    };
    const auto ink = [&](int tab) {
        CRect r;
        control_.GetTabRect(tab, r);
        const QImage image = Strip()->grab().toImage();
        const QRect inStrip = QRect(r.left, r.top, r.Width(), r.Height()).translated(-Strip()->pos());
        Ink found;
        for (int y = inStrip.top(); y <= inStrip.bottom(); ++y) {
            for (int x = inStrip.left(); x <= inStrip.right(); ++x) {
                const QRgb p = image.pixel(x, y);
                if (RGB(qRed(p), qGreen(p), qBlue(p)) == grey) ++found.grey;
                if (qGray(p) < 60) ++found.black;
            }
        }
        return found;
    };
    EXPECT_GT(ink(1).grey, 10);
    EXPECT_EQ(ink(1).black, 0);
    EXPECT_GT(ink(0).black, 10);
    EXPECT_TRUE(control_.SetTabTextColor(1, DefaultTabTextColor));
    EXPECT_EQ(control_.GetTabTextColor(1), DefaultTabTextColor);
    EXPECT_GT(ink(1).black, 10);
}

TEST_F(TabControlTest, TheStripRunsAlongTheBottomAndTheWindowsFillTheRestWhateverTheSize)
{
    AddTabs(2);
    struct Case
    {
        CMFCTabCtrl::Style style;
        BOOL flatFrame;
        int border;
        CSize size;
        int inset;  // frame and border
    };
    const Case cases[] = {
        {CMFCTabCtrl::STYLE_FLAT, TRUE, 0, {300, 200}, 1},
        {CMFCTabCtrl::STYLE_FLAT, FALSE, 0, {300, 200}, 2},
        {CMFCTabCtrl::STYLE_3D_VS2005, TRUE, 4, {250, 150}, 5},
        {CMFCTabCtrl::STYLE_FLAT_SHARED_HORZ_SCROLL, FALSE, 3, {420, 240}, 5},
    };
    for (const Case& c : cases) {
        control_.ModifyTabStyle(c.style);
        control_.SetFlatFrame(c.flatFrame);
        control_.SetTabBorderSize(c.border);
        control_.MoveWindow(0, 0, c.size.cx, c.size.cy);
        const CRect area = control_.GetWndArea();
        CRect tab;
        ASSERT_TRUE(control_.GetTabRect(0, tab));
        EXPECT_EQ(area.TopLeft(), CPoint(c.inset, c.inset)) << c.style;
        EXPECT_EQ(area.right, c.size.cx - c.inset);
        // The tabs lie below the windows, inside the frame, clear of the bottom two pixels.
        EXPECT_GE(tab.top, area.bottom + c.border);
        EXPECT_LE(tab.bottom, c.size.cy - 2);
        EXPECT_GT(area.Height(), c.size.cy / 2);
        // The active window fills the area; the other, hidden, has the same size.
        for (const auto& w : windows_) {
            CRect r;
            w->GetWindowRect(&r);
            CPoint topLeft = r.TopLeft();
            control_.ScreenToClient(&topLeft);
            EXPECT_EQ(CRect(topLeft, r.Size()), area);
        }
    }
}
