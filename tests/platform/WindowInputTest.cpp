// Keys let go, activation of top-level windows, and the cursor a window shows.
#include "GuiTestSupport.h"

#include "platform/Cursor.h"
#include "platform/Resources.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCursor>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>
#include <QTest>
#include <QWidget>

#include <string>
#include <vector>

namespace {

constexpr UINT CrossCursorId = 9316;

// A window that records its key releases, activations and cursor questions.
class InputWindow : public CWnd
{
public:
    void OnKeyUp(UINT key, UINT repeats, UINT flags) override
    {
        log.push_back("keyup " + std::to_string(key) + " " + std::to_string(repeats) + " " + std::to_string(flags));
    }
    void OnActivate(UINT state, CWnd*, BOOL) override { log.push_back("activate " + std::to_string(state)); }
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message) override
    {
        log.push_back("setcursor " + std::string(window == this ? "self" : "other") + " " + std::to_string(hitTest) +
                      " " + std::to_string(message));
        if (!own) return CWnd::OnSetCursor(window, hitTest, message);
        SetCursor(own);
        return TRUE;
    }
    std::vector<std::string> log;
    HCURSOR own = nullptr;  // set by the handler when not null
};

void SendKey(QWidget* widget, QEvent::Type type, int key, bool autoRepeat)
{
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(widget, &event);
}

// A 16 x 16 cross whose centre (7, 8) points.
void RegisterCrossCursor()
{
    static QByteArray png;
    static CursorResource cursors[1];
    static const bool registered = [] {
        QImage picture(16, 16, QImage::Format_ARGB32);
        picture.fill(Qt::transparent);
        for (int i = 0; i < 16; ++i) {
            picture.setPixel(7, i, qRgb(0, 0, 0));
            picture.setPixel(i, 8, qRgb(0, 0, 0));
        }
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        cursors[0] = {CrossCursorId, reinterpret_cast<const unsigned char*>(png.constData()), std::size_t(png.size()), {7, 8}};
        RegisterResources({.cursors = cursors});
        return true;
    }();
    (void)registered;
}

CRect Box(int width, int height)
{
    return CRect(0, 0, width, height);
}

}  // namespace

TEST(WindowInput, KeyReleasesArriveAndTheRepeatsOfAHeldKeyDoNot)
{
    InputWindow window;
    ASSERT_TRUE(window.Create(nullptr, "keys", WS_OVERLAPPED | WS_VISIBLE, Box(100, 100), nullptr, 0));
    SendKey(window.GetWidget(), QEvent::KeyPress, Qt::Key_Left, false);
    SendKey(window.GetWidget(), QEvent::KeyRelease, Qt::Key_Left, true);  // a repeat's release
    SendKey(window.GetWidget(), QEvent::KeyPress, Qt::Key_Left, true);
    SendKey(window.GetWidget(), QEvent::KeyRelease, Qt::Key_Left, false);  // let go
    SendKey(window.GetWidget(), QEvent::KeyRelease, Qt::Key_Up, false);
    SendKey(window.GetWidget(), QEvent::KeyRelease, Qt::Key_F35, false);  // no virtual key
    EXPECT_EQ(window.log, (std::vector<std::string>{"keyup " + std::to_string(VK_LEFT) + " 1 49152",
                                                    "keyup " + std::to_string(VK_UP) + " 1 49152"}));
}

TEST(WindowInput, ATopLevelWindowHearsItsActivationOnceAndItsChildrenNot)
{
    InputWindow first;
    InputWindow child;
    InputWindow second;
    ASSERT_TRUE(first.Create(nullptr, "first", WS_OVERLAPPED | WS_VISIBLE, Box(100, 100), nullptr, 0));
    ASSERT_TRUE(child.Create(nullptr, "child", WS_CHILD | WS_VISIBLE, Box(50, 50), &first, 1));
    ASSERT_TRUE(second.Create(nullptr, "second", WS_OVERLAPPED | WS_VISIBLE, CRect(200, 0, 300, 100), nullptr, 0));
    first.GetWidget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(first.GetWidget()));
    ProcessEvents();
    first.log.clear();
    second.log.clear();
    second.GetWidget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(second.GetWidget()));
    ProcessEvents();
    EXPECT_EQ(first.log, std::vector<std::string>{"activate " + std::to_string(WA_INACTIVE)});
    EXPECT_EQ(second.log, std::vector<std::string>{"activate " + std::to_string(WA_ACTIVE)});
    EXPECT_TRUE(child.log.empty());
}

TEST(WindowInput, TheWindowUnderThePointerChoosesItsCursorAndElseItsParentOrTheArrow)
{
    RegisterCrossCursor();
    const HCURSOR cross = LoadCursor(CrossCursorId);
    const HCURSOR arrow = LoadStandardCursor(IDC_ARROW);
    ASSERT_NE(cross, nullptr);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(LoadCursor(CrossCursorId), cross);  // one handle for the program's life
    EXPECT_EQ(LoadCursor(CrossCursorId + 1), nullptr);
    EXPECT_EQ(LoadStandardCursor(IDC_ARROW + 100), nullptr);
    const QCursor shape = cursor_detail::Shape(cross);
    EXPECT_EQ(shape.hotSpot(), QPoint(7, 8));
    EXPECT_EQ(shape.pixmap().size(), QSize(16, 16));

    InputWindow parent;
    InputWindow child;
    ASSERT_TRUE(parent.Create(nullptr, "parent", WS_OVERLAPPED | WS_VISIBLE, Box(200, 200), nullptr, 0));
    ASSERT_TRUE(child.Create(nullptr, "child", WS_CHILD | WS_VISIBLE, CRect(20, 30, 120, 130), &parent, 1));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(parent.GetWidget()));
    ProcessEvents();
    parent.log.clear();
    child.log.clear();
    const std::string move = "setcursor self 1 " + std::to_string(WM_MOUSEMOVE);
    const std::string press = "setcursor self 1 " + std::to_string(WM_LBUTTONDOWN);

    // Neither chooses: the child asks its parent, and the arrow shows.
    QTest::mouseMove(child.GetWidget(), QPoint(10, 10));
    EXPECT_EQ(child.log, std::vector<std::string>{move});
    EXPECT_EQ(parent.log, std::vector<std::string>{"setcursor other 1 " + std::to_string(WM_MOUSEMOVE)});
    EXPECT_EQ(child.GetWidget()->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(GetCursor(), arrow);
    CPoint where;
    ASSERT_TRUE(GetCursorPos(&where));
    const QPoint screen = child.GetWidget()->mapToGlobal(QPoint(10, 10));
    EXPECT_EQ(where, CPoint(screen.x(), screen.y()));

    // The child chooses the cross, on a press too.
    child.own = cross;
    child.log.clear();
    QTest::mousePress(child.GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(12, 12));
    EXPECT_EQ(child.log.front(), press);
    EXPECT_EQ(child.GetWidget()->cursor().hotSpot(), QPoint(7, 8));
    EXPECT_EQ(GetCursor(), cross);
    QTest::mouseRelease(child.GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(12, 12));

    // While a window holds the capture nobody is asked, and SetCursor shows on the capture.
    parent.SetCapture();
    child.log.clear();
    QTest::mouseMove(child.GetWidget(), QPoint(14, 14));
    EXPECT_TRUE(child.log.empty());
    SetCursor(cross);
    EXPECT_EQ(parent.GetWidget()->cursor().hotSpot(), QPoint(7, 8));
    CWnd::ReleaseCapture();
}
