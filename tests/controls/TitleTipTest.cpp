// The grid's title tips, driven as the window system drives them: moves, clicks and keys arrive at
// the grid's top-level window at the places under the tip, which lets them through to the grid.
#include "GridTestSupport.h"

#include "controls/TitleTip.h"

#include "platform/SystemInfo.h"
#include "platform/WindowSurface.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWindow>

#include <string>

using namespace gridtest;

namespace {

constexpr int RowPixels = 20;
constexpr int ColumnPixels = 60;
constexpr int TipRow = 1;
constexpr int TipCol = 1;

// The tip window of the program, null while none exists.
CTitleTip* FindTip()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* tip = dynamic_cast<CTitleTip*>(CWnd::FromWidget(w))) return tip;
    }
    return nullptr;
}

bool TipShows()
{
    const CTitleTip* tip = FindTip();
    return tip && tip->IsWindowVisible();
}

class TitleTipTest : public GridFixture
{
protected:
    void SetUp() override
    {
        GridFixture::SetUp();
        grid.SetNumRows(4);
        grid.SetNumColumns(4);
        Sizes(RowPixels, ColumnPixels);
        // A font of its own, larger than the grid's, for the cell under test.
        font = *grid.GetDefaultCell(FALSE, FALSE)->GetFont();
        font.lfHeight = -15;
        for (int col = TipCol; col < 4; ++col) grid.CellAt(TipRow, col)->SetFont(&font);
        cellFont.CreateFontIndirect(&font);
        owner.GetWidget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(owner.GetWidget()));
        grid.SetFocus();
        ProcessEvents();
        ASSERT_EQ(CWnd::GetFocus(), &grid);
        // Qt drops a move to where the pointer is already: each test starts off the grid.
        QTest::mouseMove(Window(), QPoint(1, 1));
        ProcessEvents();
    }
    // The width of a tip's text in the cell's font.
    int TipWidth(const std::string& text)
    {
        CClientDC dc(&grid);
        CFont* old = dc.SelectObject(&cellFont);
        const int width = dc.GetTextExtent(" " + text + " ").cx;
        dc.SelectObject(old);
        return width;
    }
    // The longest run of letters whose tip would fit the cell, and one letter more.
    std::string FittingText()
    {
        std::string text = "W";
        while (TipWidth(text + "m") <= ColumnPixels - 1) text += "m";
        return text;
    }
    static QPoint Centre(int row, int col)
    {
        return QPoint(col * ColumnPixels + ColumnPixels / 2, row * RowPixels + RowPixels / 2);
    }
    QWindow* Window() const { return owner.GetWidget()->windowHandle(); }
    // A grid client point in the top-level window's coordinates.
    QPoint InWindow(QPoint p) const { return grid.GetClientWidget()->mapTo(owner.GetWidget(), p); }
    void Move(QPoint p)
    {
        QTest::mouseMove(Window(), InWindow(p));
        ProcessEvents();
    }
    CWnd* Editor() const
    {
        CWnd* focus = CWnd::GetFocus();
        return focus && focus != &grid && focus->GetParent() == &grid ? focus : nullptr;
    }

    LOGFONT font;
    CFont cellFont;
};

enum class Action { Hover, MoveWithin, MoveOutToWide, MoveOutToFitting, MoveOffTheGrid, Click, DoubleClick, Key, NoFocus };

struct TipCase
{
    const char* name;
    bool tooWide;  // the text one letter wider than fits
    Action action;
    bool tipAfter;  // the tip shows after the action
};

class TitleTipCases : public TitleTipTest, public ::testing::WithParamInterface<TipCase>
{
};

TEST_P(TitleTipCases, ShowsOnlyForTextsThatDoNotFitAndLetsInputThrough)
{
    const TipCase& c = GetParam();
    const std::string fitting = FittingText();
    const std::string text = c.tooWide ? fitting + "m" : fitting;
    grid.SetCellText(TipRow, TipCol, text);
    grid.SetCellText(TipRow, TipCol + 1, text + "m");
    grid.SetCellText(TipRow, TipCol + 2, "a");
    grid.SetFocusCell(2, 2);
    if (c.action == Action::NoFocus) {
        QApplication::focusWidget()->clearFocus();
        ProcessEvents();
        ASSERT_EQ(CWnd::GetFocus(), nullptr);
    }

    Move(Centre(TipRow, TipCol));
    const bool shown = c.tooWide && c.action != Action::NoFocus;
    ASSERT_EQ(TipShows(), shown);
    CRect title;
    grid.GetCellRect(TipRow, TipCol, &title);
    if (shown) {
        // The whole text with a blank each side, at the cell's top left, as high as the cell.
        const CTitleTip* tip = FindTip();
        EXPECT_EQ(tip->TipText(), " " + text + " ");
        CRect placed;
        tip->GetWindowRect(&placed);
        CPoint corner = title.TopLeft();
        grid.ClientToScreen(&corner);
        EXPECT_EQ(placed.TopLeft(), corner);
        EXPECT_EQ(placed.Height(), title.Height());
        EXPECT_EQ(placed.Width(), TipWidth(text));
        // A tool tip of the window system, which lets input through to the grid below.
        const Qt::WindowFlags flags = tip->GetWidget()->windowFlags();
        EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::ToolTip);
        EXPECT_TRUE(flags & Qt::WindowTransparentForInput);
        EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
        // Never activated: the owner stays the active window with the grid focused.
        EXPECT_EQ(QApplication::activeWindow(), owner.GetWidget());
        EXPECT_EQ(CWnd::GetFocus(), &grid);
    }

    switch (c.action) {
    case Action::Hover:
    case Action::NoFocus: break;
    case Action::MoveWithin:
        Move(QPoint(title.left + 1, title.top + 1));
        Move(QPoint(title.right, title.bottom));
        break;
    case Action::MoveOutToWide: {
        // The move that hides the tip reaches the grid, which shows the neighbour's tip at once.
        Move(Centre(TipRow, TipCol + 1));
        if (!TipShows()) break;
        EXPECT_EQ(FindTip()->TipText(), " " + text + "m ");
        CRect next;
        grid.GetCellRect(TipRow, TipCol + 1, &next);
        CPoint corner = next.TopLeft();
        grid.ClientToScreen(&corner);
        CRect placed;
        FindTip()->GetWindowRect(&placed);
        EXPECT_EQ(placed.TopLeft(), corner);
        break;
    }
    case Action::MoveOutToFitting: Move(Centre(TipRow, TipCol + 2)); break;
    case Action::MoveOffTheGrid: {
        // Straight onto the dialog below the grid: the grid hears no move, only that the
        // pointer left.
        QWidget* outer = grid.GetWidget();
        QTest::mouseMove(Window(), outer->mapTo(owner.GetWidget(), QPoint(20, outer->height() + 10)));
        ProcessEvents();
        break;
    }
    case Action::Click:
        QTest::mouseClick(Window(), Qt::LeftButton, Qt::NoModifier, InWindow(Centre(TipRow, TipCol)));
        ProcessEvents();
        EXPECT_EQ(grid.GetFocusCell(), CCellID(TipRow, TipCol));
        EXPECT_TRUE(owner.Heard(NM_CLICK));
        EXPECT_EQ(Editor(), nullptr);
        break;
    case Action::DoubleClick:
        QTest::mouseDClick(Window(), Qt::LeftButton, Qt::NoModifier, InWindow(Centre(TipRow, TipCol)));
        ProcessEvents();
        EXPECT_TRUE(owner.Heard(GridNotifyBeginEdit));
        EXPECT_NE(Editor(), nullptr);
        break;
    case Action::Key:
        QTest::keyClick(grid.GetClientWidget(), Qt::Key_Right);
        ProcessEvents();
        EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 3));
        break;
    }
    EXPECT_EQ(TipShows(), c.tipAfter);
}

// The neighbour (TipCol + 1) holds a letter more, the next one a single letter.
INSTANTIATE_TEST_SUITE_P(
    Grid, TitleTipCases,
    ::testing::Values(TipCase{"Fits", false, Action::Hover, false},
                      TipCase{"OneLetterTooWide", true, Action::Hover, true},
                      TipCase{"MovesWithinTheCell", true, Action::MoveWithin, true},
                      TipCase{"MoveOutToAFittingCell", true, Action::MoveOutToFitting, false},
                      TipCase{"MoveOutToAWideCell", true, Action::MoveOutToWide, true},
                      TipCase{"MoveOffTheGrid", true, Action::MoveOffTheGrid, false},
                      TipCase{"ClickReachesTheCell", true, Action::Click, false},
                      TipCase{"DoubleClickBeginsAnEdit", true, Action::DoubleClick, false},
                      TipCase{"KeyReachesTheGrid", true, Action::Key, false},
                      TipCase{"NoFocusNoTip", true, Action::NoFocus, false}),
    [](const ::testing::TestParamInfo<TipCase>& tip) { return std::string(tip.param.name); });

TEST_F(TitleTipTest, ColoursAndTheTipsOwnBackground)
{
    const std::string text = FittingText() + "mm";
    grid.SetCellText(TipRow, TipCol, text);
    Move(Centre(TipRow, TipCol));
    ASSERT_TRUE(TipShows());
    CTitleTip* tip = FindTip();
    const CRect inBlank(TipWidth(text) - 2, RowPixels / 2, 0, 0);  // in the trailing blank
    const auto pixel = [&] {
        const QRgb c = tip->Surface()->image.pixel(inBlank.left, inBlank.top);
        return RGB(qRed(c), qGreen(c), qBlue(c));
    };
    EXPECT_EQ(pixel(), GetSysColor(COLOR_INFOBK));  // ColorDefault leaves the window's own

    Move(Centre(3, 3));
    ASSERT_FALSE(TipShows());
    grid.TipBackColor = RGB(200, 10, 20);
    Move(Centre(TipRow, TipCol));
    ASSERT_TRUE(TipShows());
    EXPECT_EQ(pixel(), RGB(200, 10, 20));
}

TEST_F(TitleTipTest, HiddenBeforeScrollAndRecreatedAfterDestroyWindow)
{
    grid.SetCellText(TipRow, TipCol, FittingText() + "mm");
    Move(Centre(TipRow, TipCol));
    ASSERT_TRUE(TipShows());
    grid.SendMessage(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_FALSE(TipShows());

    grid.SendMessage(WM_VSCROLL, SB_LINEUP);
    Move(Centre(3, 3));
    Move(Centre(TipRow, TipCol));
    ASSERT_TRUE(TipShows());
    FindTip()->DestroyWindow();
    ProcessEvents();
    ASSERT_FALSE(TipShows());
    Move(Centre(3, 3));
    Move(Centre(TipRow, TipCol));
    EXPECT_TRUE(TipShows());
}

}  // namespace
