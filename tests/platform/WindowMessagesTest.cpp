#include "GuiTestSupport.h"

#include "platform/RuntimeClass.h"
#include "platform/UiThread.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTest>
#include <QWidget>

#include <atomic>
#include <set>
#include <thread>

namespace {

constexpr UINT WM_TEST_POST = WM_USER + 5;
constexpr UINT WM_TEST_ASK = WM_USER + 6;

// Records posted messages with the thread they arrived on, and answers a query.
class PostTarget : public CWnd
{
public:
    PostTarget()
    {
        MapMessage(WM_TEST_POST, &PostTarget::OnPost);
        MapMessage(WM_TEST_ASK, &PostTarget::OnAsk);
    }
    LRESULT OnPost(WPARAM w, LPARAM)
    {
        received.push_back(int(w));
        onUiThread = onUiThread && IsUiThread();
        return 0;
    }
    LRESULT OnAsk(WPARAM w, LPARAM l)
    {
        onUiThread = onUiThread && IsUiThread();
        return LRESULT(w) * 100 + l;
    }
    std::vector<int> received;
    bool onUiThread = true;
};

// Notifications: a control sends NM codes to its owner (else its parent) and gets the reply.
constexpr int TestNotifyRefuse = -105;
constexpr int TestNotifyAccept = -106;
constexpr UINT ControlId = 17;

class NotifyParent : public CWnd
{
public:
    NotifyParent()
    {
        MapNotify(TestNotifyRefuse, ControlId, &NotifyParent::OnRefuse);
        MapNotify(TestNotifyAccept, ControlId, &NotifyParent::OnAccept);
    }
    void OnRefuse(NMHDR* header, LRESULT* result)
    {
        seen.push_back(header->code);
        *result = -1;
    }
    void OnAccept(NMHDR* header, LRESULT* result)
    {
        seen.push_back(header->code);
        *result = 1;
    }
    std::vector<int> seen;
};

LRESULT NotifyOwner(CWnd& control, int code)
{
    NMHDR header;
    header.hwndFrom = control.GetSafeHwnd();
    header.idFrom = UINT_PTR(control.GetDlgCtrlID());
    header.code = code;
    return control.GetOwner()->SendMessage(WM_NOTIFY, WPARAM(header.idFrom), LPARAM(&header));
}

CRect Box(int width, int height)
{
    return CRect(0, 0, width, height);
}

}  // namespace

TEST(WindowMessages, TestsRunHeadless)
{
    EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
}

TEST(WindowMessages, PostsFromAWorkerArriveInOrderOnTheUserInterfaceThread)
{
    PostTarget target;
    ASSERT_TRUE(target.Create(nullptr, "posts", WS_OVERLAPPED, Box(10, 10), nullptr, 0));
    constexpr int Count = 10000;
    std::thread worker([&] {
        for (int i = 0; i < Count; ++i) target.PostMessage(WM_TEST_POST, WPARAM(i), 0);
    });
    worker.join();
    ASSERT_TRUE(WaitUntil([&] { return target.received.size() == Count; }));
    for (int i = 0; i < Count; ++i) ASSERT_EQ(target.received[std::size_t(i)], i);
    EXPECT_TRUE(target.onUiThread);
}

TEST(WindowMessages, SendFromAWorkerRunsOnTheUserInterfaceThreadAndReturnsTheReply)
{
    PostTarget target;
    ASSERT_TRUE(target.Create(nullptr, "sends", WS_OVERLAPPED, Box(10, 10), nullptr, 0));
    std::atomic<LRESULT> reply{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        reply = target.SendMessage(WM_TEST_ASK, 7, 3);
        done = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(reply.load(), 703);
    EXPECT_TRUE(target.onUiThread);
    EXPECT_FALSE([] {
        bool onUi = true;
        std::thread([&] { onUi = IsUiThread(); }).join();
        return onUi;
    }());
}

TEST(WindowMessages, ARecreatedWindowGetsNoMessageMeantForTheOldOne)
{
    PostTarget target;
    ASSERT_TRUE(target.Create(nullptr, "first", WS_OVERLAPPED, Box(10, 10), nullptr, 0));
    const HWND first = target.GetSafeHwnd();
    target.PostMessage(WM_TEST_POST, 1, 0);
    ASSERT_TRUE(target.DestroyWindow());
    EXPECT_EQ(CWnd::FromHandle(first), nullptr);
    EXPECT_FALSE(target.DestroyWindow());

    ASSERT_TRUE(target.Create(nullptr, "second", WS_OVERLAPPED, Box(10, 10), nullptr, 0));
    EXPECT_NE(target.GetSafeHwnd(), first);
    target.PostMessage(WM_TEST_POST, 2, 0);
    ProcessEvents();
    EXPECT_EQ(target.received, std::vector<int>{2});
}

TEST(WindowMessages, ANotificationReachesTheOwnerElseTheParentAndItsReplyTheSender)
{
    NotifyParent parent;
    NotifyParent owner;
    ASSERT_TRUE(parent.Create(nullptr, "parent", WS_OVERLAPPED, Box(100, 100), nullptr, 0));
    ASSERT_TRUE(owner.Create(nullptr, "owner", WS_OVERLAPPED, Box(100, 100), nullptr, 0));
    CWnd control;
    ASSERT_TRUE(control.Create(nullptr, "control", WS_CHILD | WS_VISIBLE, Box(10, 10), &parent, ControlId));

    EXPECT_EQ(NotifyOwner(control, TestNotifyRefuse), -1);
    EXPECT_EQ(NotifyOwner(control, TestNotifyAccept), 1);
    EXPECT_EQ(NotifyOwner(control, NM_CLICK), 0);  // no handler: reply 0
    EXPECT_EQ(parent.seen, (std::vector<int>{TestNotifyRefuse, TestNotifyAccept}));

    control.SetOwner(&owner);
    EXPECT_EQ(NotifyOwner(control, TestNotifyAccept), 1);
    EXPECT_EQ(owner.seen, std::vector<int>{TestNotifyAccept});
    EXPECT_EQ(parent.seen.size(), 2u);
}

TEST(WindowMessages, RegisteredMessagesAreOneNumberPerNameAcrossThreads)
{
    const UINT tab = RegisterWindowMessage("AFX_WM_ONCHANGE_ACTIVE_TAB");
    EXPECT_GE(tab, FirstRegisteredMessage);
    EXPECT_LE(tab, LastRegisteredMessage);
    std::vector<UINT> fromThreads(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < fromThreads.size(); ++i) {
        threads.emplace_back([&, i] {
            fromThreads[i] = RegisterWindowMessage(i % 2 ? "AFX_WM_ONCHANGE_ACTIVE_TAB" : "VasquilTestMessage");
        });
    }
    for (std::thread& t : threads) t.join();
    for (std::size_t i = 0; i < fromThreads.size(); ++i)
        EXPECT_EQ(fromThreads[i], i % 2 ? tab : RegisterWindowMessage("VasquilTestMessage"));
    EXPECT_NE(RegisterWindowMessage("VasquilTestMessage"), tab);
}

TEST(WindowMessages, DestructionTellsParentsFirstFinishesChildrenFirstAndLeavesTheObjects)
{
    std::vector<std::string> journal;
    RecordingWindow parent;
    RecordingWindow child;
    RecordingWindow grandchild;
    for (auto [window, name] : {std::pair{&parent, "parent"}, {&child, "child"}, {&grandchild, "grandchild"}}) {
        window->journal = &journal;
        window->name = name;
    }
    ASSERT_TRUE(parent.Create(nullptr, "parent", WS_OVERLAPPED, Box(100, 100), nullptr, 0));
    ASSERT_TRUE(child.Create(nullptr, "child", WS_CHILD, Box(50, 50), &parent, 1));
    ASSERT_TRUE(grandchild.Create(nullptr, "grandchild", WS_CHILD, Box(10, 10), &child, 2));
    ASSERT_TRUE(parent.DestroyWindow());
    EXPECT_EQ(journal, (std::vector<std::string>{"parent destroy", "child destroy", "grandchild destroy",
                                                 "grandchild ncdestroy", "child ncdestroy", "parent ncdestroy"}));
    EXPECT_EQ(grandchild.GetSafeHwnd(), nullptr);
    EXPECT_EQ(child.GetSafeHwnd(), nullptr);
    // The objects can make new windows.
    ASSERT_TRUE(child.Create(nullptr, "again", WS_OVERLAPPED, Box(10, 10), nullptr, 0));
}

TEST(WindowMessages, ChildWindowsAreFoundByIdAndKnowTheirParent)
{
    CWnd parent;
    CWnd child;
    ASSERT_TRUE(parent.Create(nullptr, "parent", WS_OVERLAPPED, Box(100, 100), nullptr, 0));
    ASSERT_TRUE(child.Create(nullptr, "child", WS_CHILD | WS_VISIBLE, CRect(5, 6, 25, 36), &parent, 1001));
    EXPECT_EQ(parent.GetDlgItem(1001), &child);
    EXPECT_EQ(parent.GetDlgItem(1002), nullptr);
    EXPECT_EQ(child.GetParent(), &parent);
    CRect client;
    child.GetClientRect(&client);
    EXPECT_EQ(client, CRect(0, 0, 20, 30));
    child.MoveWindow(0, 0, 40, 10, FALSE);
    child.GetClientRect(&client);
    EXPECT_EQ(client, CRect(0, 0, 40, 10));
    // A child made without WS_VISIBLE stays hidden when its parent shows.
    CWnd hidden;
    ASSERT_TRUE(hidden.Create(nullptr, "hidden", WS_CHILD, Box(5, 5), &parent, 1003));
    parent.ShowWindow(SW_SHOW);
    EXPECT_TRUE(child.IsWindowVisible());
    EXPECT_FALSE(hidden.IsWindowVisible());
    EXPECT_FALSE(hidden.ShowWindow(SW_SHOW));
    EXPECT_TRUE(hidden.ShowWindow(SW_HIDE));
    EXPECT_FALSE(child.EnableWindow(FALSE));
    EXPECT_TRUE(child.EnableWindow(TRUE));
    EXPECT_TRUE(child.IsWindowEnabled());
}

TEST(WindowMessages, TimersTickUntilKilled)
{
    RecordingWindow window;
    ASSERT_TRUE(window.Create(nullptr, "timer", WS_OVERLAPPED, Box(10, 10), nullptr, 0));
    EXPECT_EQ(window.SetTimer(42, 1), 42u);
    ASSERT_TRUE(WaitUntil([&] { return window.Logged("timer 42"); }));
    EXPECT_TRUE(window.KillTimer(42));
    EXPECT_FALSE(window.KillTimer(42));
    ProcessEvents();
    window.log.clear();
    QTest::qWait(20);
    EXPECT_FALSE(window.Logged("timer 42"));
}

TEST(WindowMessages, CaptureMovesWithNoticeToTheWindowThatLosesIt)
{
    RecordingWindow a;
    RecordingWindow b;
    ASSERT_TRUE(a.Create(nullptr, "a", WS_OVERLAPPED, Box(10, 10), nullptr, 0));
    ASSERT_TRUE(b.Create(nullptr, "b", WS_OVERLAPPED, Box(10, 10), nullptr, 0));
    EXPECT_EQ(a.SetCapture(), nullptr);
    EXPECT_EQ(CWnd::GetCapture(), &a);
    EXPECT_EQ(b.SetCapture(), &a);
    EXPECT_TRUE(a.Logged("capturechanged window"));
    EXPECT_TRUE(CWnd::ReleaseCapture());
    EXPECT_TRUE(b.Logged("capturechanged none"));
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
}

TEST(WindowMessages, MouseInputArrivesAsMessagesAndARightClickAsksForTheContextMenu)
{
    RecordingWindow parent;
    RecordingWindow window;
    ASSERT_TRUE(parent.Create(nullptr, "parent", WS_OVERLAPPED | WS_VISIBLE, Box(200, 200), nullptr, 0));
    ASSERT_TRUE(window.Create(nullptr, "child", WS_CHILD | WS_VISIBLE, CRect(20, 30, 120, 130), &parent, 1));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(parent.GetWidget()));
    window.log.clear();
    parent.log.clear();
    QTest::mouseClick(window.GetWidget(), Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 7));
    EXPECT_EQ(window.log, (std::vector<std::string>{"mouseactivate", "lbuttondown 5 5,7", "lbuttonup 4 5,7"}));
    // A parent hears only WM_MOUSEACTIVATE, which the child's default processing asks it.
    EXPECT_EQ(parent.log, std::vector<std::string>{"mouseactivate"});

    window.log.clear();
    QTest::mouseDClick(window.GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(3, 4));  // the second press
    EXPECT_EQ(window.log, std::vector<std::string>{"lbuttondblclk 1 3,4"});

    window.log.clear();
    QTest::mouseClick(window.GetWidget(), Qt::RightButton, Qt::NoModifier, QPoint(8, 9));
    CPoint screen(8, 9);
    window.ClientToScreen(&screen);
    const std::string menu = "contextmenu " + std::to_string(screen.x) + "," + std::to_string(screen.y);
    EXPECT_TRUE(window.Logged(menu));
    EXPECT_TRUE(parent.Logged(menu));  // unhandled, it goes on to the parent
}

TEST(WindowMessages, RunTimeClassesAnswerByRecordAndByName)
{
    CWnd window;
    EXPECT_TRUE(window.IsKindOf(&CWnd::Runtime));
    EXPECT_TRUE(window.IsKindOf(&CCmdTarget::Runtime));
    EXPECT_TRUE(window.IsKindOf(CRuntimeClass::FromName("CObject")));
    EXPECT_FALSE(window.IsKindOf(CRuntimeClass::FromName("CView")));
    EXPECT_FALSE(window.IsKindOf(CRuntimeClass::FromName("CPlanView")));  // not linked: null
    EXPECT_EQ(CRuntimeClass::FromName("CPlanView"), nullptr);
    std::unique_ptr<CObject> made(CRuntimeClass::FromName("CWnd")->CreateObject());
    ASSERT_NE(made, nullptr);
    EXPECT_STREQ(made->GetRuntimeClass()->m_lpszClassName, "CWnd");
}
