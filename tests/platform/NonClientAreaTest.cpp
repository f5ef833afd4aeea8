// Custom controls of dialog templates, the non-client area of a window (client edge, its own
// scroll bars) and the scroll-bar calls with the messages the user's actions become.
#include "GuiTestSupport.h"

#include "platform/DataExchange.h"
#include "platform/DeviceContext.h"
#include "platform/Dialog.h"
#include "platform/Resources.h"
#include "platform/SystemInfo.h"
#include "platform/WindowClass.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <QTest>

#include <string>
#include <vector>

namespace {

constexpr UINT HostDialog = 9451;
constexpr UINT BadClassDialog = 9452;
constexpr int CanvasId = 1301;
constexpr const char* CanvasClass = "TestCanvas";

const DialogTemplate Dialogs[] = {
    {.id = HostDialog,
     .caption = "Canvas",
     .size = {0, 0, 200, 150},
     .controls = {{.id = CanvasId, .kind = ControlKind::Custom, .rect = {10, 10, 150, 100},
                   .style = WS_VISIBLE | WS_TABSTOP, .className = CanvasClass}}},
    {.id = BadClassDialog,
     .caption = "Unknown class",
     .size = {0, 0, 200, 150},
     .controls = {{.id = CanvasId, .kind = ControlKind::Custom, .rect = {10, 10, 150, 100},
                   .style = WS_VISIBLE, .className = "NoSuchClass"}}},
};

void RegisterCanvas()
{
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASS wc;
    wc.lpszClassName = CanvasClass;
    wc.style = CS_DBLCLKS;
    ASSERT_TRUE(RegisterClass(&wc));
    RegisterResources({.dialogs = Dialogs});
}

// The object the dialog binds to the custom control: records sizes, scroll messages and the
// subclassing, and paints its client area in one colour.
class Canvas : public CWnd
{
public:
    void PreSubclassWindow() override { log.push_back("presubclass"); }
    void OnSize(UINT, int cx, int cy) override { log.push_back("size " + std::to_string(cx) + "," + std::to_string(cy)); }
    void OnVScroll(UINT code, UINT pos, CScrollBar*) override
    {
        SCROLLINFO info;
        GetScrollInfo(SB_VERT, &info, SIF_ALL);
        log.push_back("vscroll " + std::to_string(code) + " " + std::to_string(pos) + " track " + std::to_string(info.nTrackPos));
        // The handler's own rule: a line is 10, a page 50; the thumb goes where it is dragged.
        int next = info.nPos;
        if (code == SB_LINEDOWN) next += 10;
        else if (code == SB_LINEUP) next -= 10;
        else if (code == SB_PAGEDOWN) next += 50;
        else if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) next = info.nTrackPos;
        SetScrollPos(SB_VERT, next);
    }
    void OnLButtonDown(UINT, CPoint p) override { log.push_back("lbuttondown " + std::to_string(p.x) + "," + std::to_string(p.y)); }
    void OnPaint() override
    {
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(client, RGB(0, 128, 255));
    }
    void OnSysColorChange() override { log.push_back("syscolorchange"); }
    bool Logged(const std::string& entry) const { return std::find(log.begin(), log.end(), entry) != log.end(); }
    std::vector<std::string> log;
};

class HostDlg : public CDialog
{
public:
    explicit HostDlg(UINT id = HostDialog) : CDialog(id) {}
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, CanvasId, canvas); }
    Canvas canvas;
};

class NonClientAreaTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterCanvas();
        ASSERT_TRUE(dialog.Create(HostDialog));
        ProcessEvents();
        canvas.log.clear();
    }
    QScrollBar* VerticalBar() const { return static_cast<QAbstractScrollArea*>(canvas.GetWidget())->verticalScrollBar(); }
    CSize ClientSize() const
    {
        CRect r;
        canvas.GetClientRect(&r);
        return r.Size();
    }
    void SetVertical(int min, int max, UINT page, int pos, UINT mask)
    {
        SCROLLINFO info;
        info.fMask = mask;
        info.nMin = min;
        info.nMax = max;
        info.nPage = page;
        info.nPos = pos;
        canvas.SetScrollInfo(SB_VERT, &info);
    }
    SCROLLINFO Vertical()
    {
        SCROLLINFO info;
        canvas.GetScrollInfo(SB_VERT, &info, SIF_ALL);
        return info;
    }

    HostDlg dialog;
    Canvas& canvas = dialog.canvas;
};

}  // namespace

TEST(CustomControlTest, AControlOfAnUnregisteredClassFailsTheDialog)
{
    RegisterCanvas();
    HostDlg dialog(BadClassDialog);
    EXPECT_FALSE(dialog.Create(BadClassDialog));
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
    WNDCLASS wc;
    wc.lpszClassName = CanvasClass;
    EXPECT_FALSE(RegisterClass(&wc));  // a name is registered once
    EXPECT_TRUE(GetClassInfo(CanvasClass, &wc));
    EXPECT_EQ(wc.style, UINT(CS_DBLCLKS));
}

TEST_F(NonClientAreaTest, TheBoundObjectIsSubclassedAndKeepsTheTemplateFont)
{
    CRect unit(10, 10, 160, 110);
    dialog.MapDialogRect(&unit);
    CRect window;
    canvas.GetWindowRect(&window);
    EXPECT_EQ(window.Size(), unit.Size());
    EXPECT_EQ(ClientSize(), unit.Size());  // no frame, no bars yet
    // The dialog gave the window its font before the object was bound; the object has it.
    auto* font = CFont::FromHandle(reinterpret_cast<HFONT>(canvas.SendMessage(WM_GETFONT)));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(std::string(font->m_logFont.lfFaceName), "MS Shell Dlg");
    EXPECT_EQ(font->m_logFont.lfHeight, -11);

    Canvas other;
    HostDlg second;
    ASSERT_TRUE(second.Create(HostDialog));
    EXPECT_TRUE(second.canvas.Logged("presubclass"));
}

TEST_F(NonClientAreaTest, EdgeAndBarsTakeTheirPixelsFromTheClientArea)
{
    const CSize bare = ClientSize();
    const int edge = GetSystemMetrics(SM_CXEDGE);
    const int bar = GetSystemMetrics(SM_CXVSCROLL);

    EXPECT_TRUE(canvas.ModifyStyleEx(0, WS_EX_CLIENTEDGE));
    EXPECT_EQ(canvas.GetExStyle(), WS_EX_CLIENTEDGE);
    EXPECT_EQ(ClientSize(), CSize(bare.cx - 2 * edge, bare.cy - 2 * edge));
    EXPECT_FALSE(canvas.ModifyStyleEx(0, WS_EX_CLIENTEDGE));  // no change

    canvas.ShowScrollBar(SB_VERT, TRUE);
    EXPECT_EQ(ClientSize(), CSize(bare.cx - 2 * edge - bar, bare.cy - 2 * edge));
    EXPECT_TRUE(canvas.GetStyle() & WS_VSCROLL);
    canvas.ShowScrollBar(SB_BOTH, TRUE);
    const CSize both(bare.cx - 2 * edge - bar, bare.cy - 2 * edge - GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_EQ(ClientSize(), both);
    EXPECT_TRUE(canvas.Logged("size " + std::to_string(both.cx) + "," + std::to_string(both.cy)));
    canvas.EnableScrollBarCtrl(SB_BOTH, FALSE);
    EXPECT_EQ(ClientSize(), CSize(bare.cx - 2 * edge, bare.cy - 2 * edge));
    EXPECT_FALSE(canvas.GetStyle() & (WS_VSCROLL | WS_HSCROLL));

    // The client keeps its own coordinates and its own picture inside the frame.
    canvas.ShowScrollBar(SB_VERT, TRUE);
    ProcessEvents();
    QTest::mouseClick(canvas.GetClientWidget(), Qt::LeftButton, {}, QPoint(1, 2));  // (0, 0) means the centre to QTest
    EXPECT_TRUE(canvas.Logged("lbuttondown 1,2"));
    canvas.Invalidate();
    canvas.UpdateWindow();
    const QImage shown = canvas.GetWidget()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(edge, edge), QColor(0, 128, 255));
    EXPECT_EQ(shown.pixelColor(edge + ClientSize().cx - 1, edge + ClientSize().cy - 1), QColor(0, 128, 255));
    EXPECT_NE(shown.pixelColor(edge + ClientSize().cx, edge), QColor(0, 128, 255));  // the bar
    EXPECT_NE(shown.pixelColor(0, 0), QColor(0, 128, 255));                          // the edge
}

// SetScrollInfo keeps the window system's rules: the page within the range, the position
// within the last page, after every change and while the bar is hidden.
TEST_F(NonClientAreaTest, ScrollInfoIsClampedAsTheWindowSystemDoes)
{
    struct Step
    {
        const char* name;
        int min, max;
        UINT page;
        int pos;
        UINT mask;
        int wantPage, wantPos;
        bool wantShown, wantEnabled;
    };
    const Step steps[] = {
        {"range and page show the bar", 0, 999, 100, 0, SIF_RANGE | SIF_PAGE, 100, 0, true, true},
        {"position beyond the last page", 0, 0, 0, 950, SIF_POS, 100, 900, true, true},
        {"a larger page pulls it back", 0, 0, 200, 0, SIF_PAGE, 200, 800, true, true},
        {"a shorter range pulls it back", 0, 499, 0, 0, SIF_RANGE, 200, 300, true, true},
        {"a negative position goes to the start", 0, 0, 0, -5, SIF_POS, 200, 0, true, true},
        {"a page longer than the range is cut, and hides the bar", 0, 0, 800, 0, SIF_PAGE, 500, 0, false, true},
        {"nothing to scroll hides the bar", 0, 0, 0, 0, SIF_RANGE | SIF_PAGE, 0, 0, false, true},
        {"hidden, the range is kept", 0, 999, 100, 0, SIF_RANGE, 0, 0, true, true},
        {"a range without room with DISABLENOSCROLL disables", 0, 0, 0, 0, SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 0, true, false},
        {"room again enables", 0, 99, 10, 0, SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 10, 0, true, true},
        {"page 0: the position may reach the maximum", 0, 99, 0, 99, SIF_PAGE | SIF_POS, 0, 99, true, true},
    };
    for (const Step& s : steps) {
        SetVertical(s.min, s.max, s.page, s.pos, s.mask);
        const SCROLLINFO got = Vertical();
        EXPECT_EQ(int(got.nPage), s.wantPage) << s.name;
        EXPECT_EQ(got.nPos, s.wantPos) << s.name;
        EXPECT_EQ((canvas.GetStyle() & WS_VSCROLL) != 0, s.wantShown) << s.name;
        EXPECT_EQ(VerticalBar()->isEnabled(), s.wantEnabled) << s.name;
        EXPECT_EQ(VerticalBar()->value(), got.nPos) << s.name;
    }

    // A hidden bar keeps clamping: nothing shows it.
    canvas.ShowScrollBar(SB_VERT, FALSE);
    SetVertical(0, 0, 0, 500, SIF_POS);
    EXPECT_EQ(Vertical().nPos, 99);
    EXPECT_FALSE(canvas.GetStyle() & WS_VSCROLL);
    EXPECT_EQ(canvas.GetScrollPos(SB_HORZ), 0);
}

TEST_F(NonClientAreaTest, TheUsersActionsBecomeScrollMessagesAndTheBarShowsTheHandlersPosition)
{
    SetVertical(0, 999, 100, 0, SIF_RANGE | SIF_PAGE | SIF_POS);
    ProcessEvents();
    VerticalBar()->setSingleStep(3);  // Qt's own step, which must not show
    canvas.log.clear();

    VerticalBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(canvas.log.back(), "vscroll 1 0 track 0");
    EXPECT_EQ(Vertical().nPos, 10);
    EXPECT_EQ(VerticalBar()->value(), 10);
    VerticalBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(canvas.log.back(), "vscroll 3 10 track 10");
    EXPECT_EQ(VerticalBar()->value(), 60);
    VerticalBar()->triggerAction(QAbstractSlider::SliderToMaximum);  // the canvas ignores SB_BOTTOM
    EXPECT_EQ(canvas.log.back(), "vscroll 7 60 track 60");
    EXPECT_EQ(VerticalBar()->value(), 60);

    // Dragging the thumb: the tracking position, then the release.
    VerticalBar()->setSliderDown(true);
    VerticalBar()->setSliderPosition(700);
    EXPECT_EQ(canvas.log.back(), "vscroll 5 700 track 700");
    EXPECT_EQ(Vertical().nPos, 700);
    VerticalBar()->setSliderDown(false);

    // A click on the bar's lower arrow: a line, and SB_ENDSCROLL when the mouse lets go.
    canvas.log.clear();
    const QPoint arrow(VerticalBar()->width() / 2, VerticalBar()->height() - 3);
    QTest::mousePress(VerticalBar(), Qt::LeftButton, {}, arrow);
    QTest::mouseRelease(VerticalBar(), Qt::LeftButton, {}, arrow);
    ASSERT_EQ(canvas.log.size(), 2u);
    EXPECT_EQ(canvas.log[0], "vscroll 1 700 track 700");
    EXPECT_EQ(canvas.log[1], "vscroll 8 0 track 710");
    EXPECT_EQ(VerticalBar()->value(), 710);
}

TEST_F(NonClientAreaTest, APaletteChangeIsASystemColourChange)
{
    const QPalette saved = QApplication::palette();
    QPalette changed = saved;
    changed.setColor(QPalette::Base, QColor(10, 20, 30));
    changed.setColor(QPalette::Highlight, QColor(200, 0, 100));
    QApplication::setPalette(changed);
    ProcessEvents();
    const bool heard = canvas.Logged("syscolorchange");
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    QApplication::setPalette(saved);
    ProcessEvents();
    EXPECT_TRUE(heard);
    EXPECT_EQ(window, RGB(10, 20, 30));
    EXPECT_EQ(highlight, RGB(200, 0, 100));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
}

TEST(SystemInfoTest, MetricsAndTheMessageBoxFont)
{
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    EXPECT_EQ(GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(GetSystemMetrics(SM_CXBORDER), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);

    NONCLIENTMETRICS metrics;
    EXPECT_EQ(sizeof metrics, 340u);  // the window system's own size of the record
    ASSERT_TRUE(SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    EXPECT_EQ(std::string(metrics.lfMessageFont.lfFaceName), "MS Shell Dlg");
    EXPECT_EQ(metrics.lfMessageFont.lfHeight, DefaultGuiLogFont().lfHeight);
    metrics.cbSize = 100;
    EXPECT_FALSE(SystemParametersInfo(SPI_GETNONCLIENTMETRICS, 100, &metrics, 0));
    UINT lines = 0;
    ASSERT_TRUE(SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
    EXPECT_EQ(int(lines), QApplication::wheelScrollLines());
}

TEST(ScrollWindowTest, AWindowCreatedWithScrollStylesHasItsBars)
{
    CWnd parent;
    ASSERT_TRUE(parent.Create(nullptr, "parent", WS_OVERLAPPED, CRect(0, 0, 300, 200), nullptr, 0));
    CWnd child;
    ASSERT_TRUE(child.Create(nullptr, "child", WS_CHILD | WS_VISIBLE | WS_VSCROLL, CRect(10, 10, 110, 60), &parent, 7));
    CRect client;
    child.GetClientRect(&client);
    EXPECT_EQ(client, CRect(0, 0, 100 - GetSystemMetrics(SM_CXVSCROLL), 50));
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMax = 10;
    info.nPage = 5;
    EXPECT_TRUE(child.SetScrollInfo(SB_VERT, &info));
    // A window without a non-client area has no bars.
    EXPECT_FALSE(parent.SetScrollInfo(SB_VERT, &info));
    EXPECT_FALSE(parent.GetScrollInfo(SB_VERT, &info));
}
