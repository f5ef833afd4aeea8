// Tool pop-ups (WS_POPUP with WS_EX_TOOLWINDOW): a top-level window of their own, placed in
// screen coordinates, shown without taking the activation or the focus from the window below,
// framed by WS_BORDER, letting input through.
#include "GuiTestSupport.h"

#include "platform/DeviceContext.h"
#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStyleHints>
#include <QTest>
#include <QWidget>

namespace {

class ToolPopupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(owner.Create(nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(50, 50, 450, 350), nullptr, 0));
        ASSERT_TRUE(child.Create(nullptr, "child", WS_CHILD | WS_VISIBLE, CRect(10, 10, 200, 100), &owner, 7));
        owner.GetWidget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(owner.GetWidget()));
        child.GetWidget()->setFocusPolicy(Qt::StrongFocus);
        child.SetFocus();
        ProcessEvents();
        ASSERT_EQ(CWnd::GetFocus(), &child);
    }

    RecordingWindow owner;
    RecordingWindow child;
};

TEST_F(ToolPopupTest, ShowsInScreenCoordinatesWithoutTakingActivationOrFocus)
{
    RecordingWindow tip;
    ASSERT_TRUE(tip.CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, nullptr, nullptr, WS_POPUP | WS_BORDER, CRect(), &child, 0));
    EXPECT_EQ(tip.GetParent(), nullptr);  // not a child window of the one it was made for
    EXPECT_FALSE(tip.IsWindowVisible());
    EXPECT_EQ(tip.GetExStyle(), WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    const Qt::WindowFlags flags = tip.GetWidget()->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::ToolTip);
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(flags & Qt::WindowTransparentForInput);
    EXPECT_TRUE(flags & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);

    CPoint corner(20, 30);
    child.ClientToScreen(&corner);
    ASSERT_TRUE(tip.SetWindowPos(nullptr, corner.x, corner.y, 80, 16, SWP_SHOWWINDOW | SWP_NOACTIVATE));
    ProcessEvents();
    EXPECT_TRUE(tip.IsWindowVisible());
    CRect placed;
    tip.GetWindowRect(&placed);
    EXPECT_EQ(placed, CRect(corner.x, corner.y, corner.x + 80, corner.y + 16));
    CRect client;
    tip.GetClientRect(&client);
    EXPECT_EQ(client, CRect(0, 0, 80, 16));
    EXPECT_EQ(QApplication::activeWindow(), owner.GetWidget());
    EXPECT_EQ(CWnd::GetFocus(), &child);

    // The frame is drawn over the outermost pixels of what the window draws.
    {
        CClientDC dc(&tip);
        dc.FillSolidRect(client, RGB(10, 200, 30));
    }
    tip.Invalidate(FALSE);
    ProcessEvents();
    const QImage shown = tip.GetWidget()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(shown.pixelColor(79, 15), QColor(Qt::black));
    EXPECT_EQ(shown.pixelColor(40, 8), QColor(10, 200, 30));

    tip.ShowWindow(SW_HIDE);
    EXPECT_FALSE(tip.IsWindowVisible());
    EXPECT_FALSE(tip.ShowWindow(SW_SHOWNA));
    ProcessEvents();
    EXPECT_TRUE(tip.IsWindowVisible());
    EXPECT_EQ(QApplication::activeWindow(), owner.GetWidget());
}

TEST_F(ToolPopupTest, PlainPopupWithoutToolStyleIsAnOrdinaryWindow)
{
    RecordingWindow popup;
    ASSERT_TRUE(popup.CreateEx(0, nullptr, nullptr, WS_POPUP, CRect(0, 0, 50, 50), nullptr, 0));
    EXPECT_EQ(popup.GetWidget()->windowFlags() & Qt::WindowType_Mask, Qt::Window);
    EXPECT_FALSE(popup.GetWidget()->windowFlags() & Qt::WindowTransparentForInput);
}

TEST(DoubleClickTime, IsTheIntervalQtTellsDoubleClicksBy)
{
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(321);
    EXPECT_EQ(GetDoubleClickTime(), 321u);
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(-1);  // back to the platform's
    EXPECT_GT(GetDoubleClickTime(), 0u);
}

}  // namespace
