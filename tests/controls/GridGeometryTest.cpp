// Where the grid's cells lie and how it scrolls: cells at points and points of cells with
// hidden rows and columns and boundary pixels, visibility, the scroll messages at both ends,
// the bars the cells need, and system colour changes.
#include "GridTestSupport.h"

#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QPalette>
#include <QScrollBar>

using namespace gridtest;

namespace {

// A grid of 30 rows by 12 columns: one fixed row 20 high and one fixed column 30 wide, rows 15
// high but row 3 hidden, columns 40 wide but column 2 hidden. The client area is 300 x 200
// less the scroll bars: both are needed.
class GridGeometryTest : public GridFixture
{
protected:
    static constexpr int Rows = 30;
    static constexpr int Cols = 12;

    void SetUp() override
    {
        GridFixture::SetUp();
        grid.SetNumRows(Rows);
        grid.SetNumColumns(Cols);
        grid.SetNumFixedRows(1);
        grid.SetNumFixedColumns(1);
        Sizes(15, 40);
        grid.SetRowHeight(0, 20);
        grid.SetColumnWidth(0, 30);
        grid.SetRowHeight(3, 0);
        grid.SetColumnWidth(2, 0);
        grid.UpdateScrollBars();
        Paint();
    }
    CSize Client() const
    {
        CRect r;
        grid.GetClientRect(&r);
        return r.Size();
    }
    void Scroll(UINT message, UINT code)
    {
        grid.SendMessage(message, MAKEWPARAM(int(code), 0), 0);
    }
};

}  // namespace

TEST_F(GridGeometryTest, BothBarsShowWithRangesOfTheScrollablePart)
{
    EXPECT_EQ(grid.ScrollBarsShown, ShownHorizontal | ShownVertical);
    EXPECT_TRUE(grid.GetStyle() & WS_VSCROLL);
    EXPECT_TRUE(grid.GetStyle() & WS_HSCROLL);
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(Client(), CSize(WindowWidth - 4 - bar, WindowHeight - 4 - bar));
    // 29 scrollable rows, one hidden; 11 scrollable columns, one hidden.
    EXPECT_EQ(grid.LargestScrollPosition(SB_VERT), 28 * 15 - 1);
    EXPECT_EQ(grid.LargestScrollPosition(SB_HORZ), 10 * 40 - 1);
    // A page is what shows of the scrollable part.
    SCROLLINFO info;
    grid.GetScrollInfo(SB_VERT, &info, SIF_RANGE | SIF_PAGE);
    EXPECT_EQ(info.nMax, 28 * 15 - 1);
    EXPECT_EQ(int(info.nPage), Client().cy - 20);
    grid.GetScrollInfo(SB_HORZ, &info, SIF_RANGE | SIF_PAGE);
    EXPECT_EQ(int(info.nPage), Client().cx - 30);
}

TEST_F(GridGeometryTest, CellsAtPointsAndOriginsOfCells)
{
    struct PointCase
    {
        const char* name;
        CPoint point;
        BOOL allowFixed;
        CCellID want;
    };
    const PointCase points[] = {
        {"the corner", {0, 0}, TRUE, {0, 0}},
        {"the corner, fixed cells not allowed", {0, 0}, FALSE, {-1, -1}},
        {"the last pixel of the fixed part", {29, 19}, TRUE, {0, 0}},
        {"the first pixel of the scrollable part", {30, 20}, TRUE, {1, 1}},
        {"a cell's last pixel, its grid line, is its own", {69, 34}, TRUE, {1, 1}},
        {"the pixel at x + w is the next shown column, past the hidden one", {70, 35}, TRUE, {2, 3}},
        {"past the hidden row", {70, 50}, TRUE, {4, 3}},
        {"a fixed column's point without fixed cells", {10, 100}, FALSE, {7, -1}},
        {"left of the grid", {-1, 5}, TRUE, {0, -1}},
        {"past the last column", {430, 5}, TRUE, {0, -1}},
        {"the last column's last pixel", {429, 5}, TRUE, {0, 11}},
    };
    for (const PointCase& c : points) EXPECT_EQ(grid.CellFromPoint(c.point, c.allowFixed), c.want) << c.name;

    struct OriginCase
    {
        const char* name;
        int row, col;
        BOOL want;
        CPoint origin;
    };
    const OriginCase origins[] = {
        {"fixed", 0, 0, TRUE, {0, 0}},
        {"first scrollable", 1, 1, TRUE, {30, 20}},
        {"after the hidden row and column", 4, 3, TRUE, {70, 50}},
        {"a hidden cell still has its place", 3, 2, TRUE, {70, 50}},
        {"below and right of the client area", 29, 11, TRUE, {30 + 9 * 40, 20 + 27 * 15}},
        {"outside the grid", 30, 0, FALSE, {}},
    };
    for (const OriginCase& c : origins) {
        CPoint origin;
        EXPECT_EQ(grid.GetCellOrigin(c.row, c.col, &origin), c.want) << c.name;
        if (c.want) {
            EXPECT_EQ(origin, c.origin) << c.name;
        }
    }
    CRect rect;
    ASSERT_TRUE(grid.GetCellRect(1, 1, &rect));
    EXPECT_EQ(rect, CRect(30, 20, 69, 34));  // inclusive: right = left + width - 1
    EXPECT_EQ(grid.PointInCell(1, 1, CPoint(35, 25)), CPoint(5, 5));

    // Scrolled by one row and one column: the fixed part stays, what was scrolled out has no
    // origin, the rest moves.
    grid.SetScrollPosition(SB_VERT, 15);
    grid.SetScrollPosition(SB_HORZ, 40);
    EXPECT_EQ(grid.TopLeftScrollableCell(), CCellID(2, 2));
    CPoint origin;
    EXPECT_FALSE(grid.GetCellOrigin(1, 1, &origin));
    ASSERT_TRUE(grid.GetCellOrigin(2, 3, &origin));
    EXPECT_EQ(origin, CPoint(30, 20));
    ASSERT_TRUE(grid.GetCellOrigin(0, 5, &origin));
    EXPECT_EQ(origin, CPoint(30 + 80, 0));
    ASSERT_TRUE(grid.GetCellOrigin(6, 0, &origin));
    EXPECT_EQ(origin, CPoint(0, 20 + 45));
    EXPECT_EQ(grid.CellFromPoint(CPoint(30, 20)), CCellID(2, 3));
    EXPECT_EQ(grid.PointInCell(1, 1, CPoint(35, 25)), CPoint(0, 0));
}

TEST_F(GridGeometryTest, ACellIsVisibleWhenItsTopLeftPixelShows)
{
    const CSize client = Client();
    // Column 8 starts at 30 + 6 * 40 = 270, inside; column 9 at 310, outside. Row 13 starts at
    // 50 + 9 * 15 = 185, the client's last row of pixels; row 14 at 200.
    ASSERT_EQ(client.cy, 186);
    struct Case
    {
        const char* name;
        int row, col;
        BOOL want;
    };
    const Case cases[] = {
        {"fixed", 0, 0, TRUE},       {"first", 1, 1, TRUE},          {"hidden, at a shown place", 3, 2, TRUE},
        {"right, inside", 5, 8, TRUE}, {"right, outside", 5, 9, FALSE}, {"bottom, on the last pixel row", 13, 1, TRUE},
        {"bottom, outside", 14, 1, FALSE}, {"a heading far right", 0, 11, FALSE},
    };
    for (const Case& c : cases) EXPECT_EQ(grid.IsCellVisible(c.row, c.col), c.want) << c.name;
    grid.SetScrollPosition(SB_VERT, 15);
    EXPECT_FALSE(grid.IsCellVisible(1, 1));  // scrolled out above
    EXPECT_TRUE(grid.IsCellVisible(0, 1));
    EXPECT_TRUE(grid.IsCellVisible(14, 1));
    const CellRange shown = grid.VisibleScrollableRange();
    EXPECT_EQ(shown, CellRange(2, 1, 14, 8));
}

TEST_F(GridGeometryTest, ScrollCodesAtBothEndsAndOnTheWay)
{
    struct Case
    {
        const char* name;
        UINT message;
        UINT code;
        int before;  // the position first set on the bar
        int want;    // after the message
        bool paints;
    };
    // The vertical bar's last position: where its page (the client's 186 less the heading's
    // 20) ends with the range (28 rows of 15).
    const int vEnd = 28 * 15 - 166;
    const Case cases[] = {
        {"up at the top", WM_VSCROLL, SB_LINEUP, 0, 0, false},
        {"page up at the top", WM_VSCROLL, SB_PAGEUP, 0, 0, false},
        {"to the top at the top", WM_VSCROLL, SB_TOP, 0, 0, false},
        {"a line down is the top row's height", WM_VSCROLL, SB_LINEDOWN, 0, 15, true},
        {"a line down skips the hidden row", WM_VSCROLL, SB_LINEDOWN, 30, 45, true},
        {"a line up over the hidden row", WM_VSCROLL, SB_LINEUP, 45, 30, true},
        {"a page down is the client's scrollable height", WM_VSCROLL, SB_PAGEDOWN, 0, 166, true},
        {"down at the end", WM_VSCROLL, SB_LINEDOWN, vEnd, vEnd, false},
        {"page down at the end", WM_VSCROLL, SB_PAGEDOWN, vEnd, vEnd, false},
        {"to the bottom at the end", WM_VSCROLL, SB_BOTTOM, vEnd, vEnd, false},
        {"to the bottom", WM_VSCROLL, SB_BOTTOM, 0, vEnd, true},
        {"left at the start", WM_HSCROLL, SB_LINELEFT, 0, 0, false},
        {"a line right is the first column's width", WM_HSCROLL, SB_LINERIGHT, 0, 40, true},
        {"a line right skips the hidden column", WM_HSCROLL, SB_LINERIGHT, 40, 80, true},
        {"right at the end", WM_HSCROLL, SB_LINERIGHT, 400 - 256, 400 - 256, false},
        {"an unknown code", WM_HSCROLL, SB_ENDSCROLL, 40, 40, false},
    };
    for (const Case& c : cases) {
        const int bar = c.message == WM_HSCROLL ? SB_HORZ : SB_VERT;
        grid.SetScrollPosition(SB_HORZ, 0);
        grid.SetScrollPosition(SB_VERT, 0);
        grid.SetScrollPosition(bar, c.before);
        Paint();
        ASSERT_TRUE(NothingToPaint()) << c.name;
        Scroll(c.message, c.code);
        EXPECT_EQ(grid.GetScrollPos(bar), c.want) << c.name;
        EXPECT_EQ(!NothingToPaint(), c.paints) << c.name;
    }

    // The thumb repaints only when it brings another top row.
    grid.SetScrollPosition(SB_VERT, 0);
    QScrollBar* bar = static_cast<QAbstractScrollArea*>(grid.GetWidget())->verticalScrollBar();
    const auto drag = [&](int track) {
        Paint();
        bar->setSliderDown(true);
        bar->setSliderPosition(track);
        bar->setSliderDown(false);
        return !NothingToPaint();
    };
    EXPECT_TRUE(drag(7));     // row 2 comes to the top
    EXPECT_FALSE(drag(12));   // still row 2
    EXPECT_TRUE(drag(16));    // row 3 (hidden), so row 4 shows
    EXPECT_EQ(grid.TopLeftScrollableCell().row, 3);
}

TEST_F(GridGeometryTest, ScrollCellIntoViewGoesWhereLineStepsGo)
{
    // The line messages one by one: one per shown row or column between the shown ones and the
    // cell, then more while the cell sticks out beyond the client area.
    const auto stepByStep = [&](int row, int col) {
        const CellRange shown = grid.VisibleScrollableRange();
        const CSize client = Client();
        for (int c = shown.maxCol + 1; c <= col; ++c) {
            if (grid.ColumnWidth(c) > 0) Scroll(WM_HSCROLL, SB_LINERIGHT);
        }
        for (int c = shown.minCol - 1; c >= col; --c) {
            if (grid.ColumnWidth(c) > 0) Scroll(WM_HSCROLL, SB_LINELEFT);
        }
        for (int r = shown.maxRow + 1; r <= row; ++r) {
            if (grid.RowHeight(r) > 0) Scroll(WM_VSCROLL, SB_LINEDOWN);
        }
        for (int r = shown.minRow - 1; r >= row; --r) {
            if (grid.RowHeight(r) > 0) Scroll(WM_VSCROLL, SB_LINEUP);
        }
        for (int i = 0; i < 100; ++i) {
            CRect rect;
            grid.GetCellRect(row, col, &rect);
            if (rect.right < client.cx || rect.left <= grid.FixedColumnsWidth()) break;
            Scroll(WM_HSCROLL, SB_LINERIGHT);
        }
        for (int i = 0; i < 100; ++i) {
            CRect rect;
            grid.GetCellRect(row, col, &rect);
            if (rect.bottom < client.cy || rect.top <= grid.FixedRowsHeight()) break;
            Scroll(WM_VSCROLL, SB_LINEDOWN);
        }
        return CSize(grid.GetScrollPos(SB_HORZ), grid.GetScrollPos(SB_VERT));
    };
    struct Case
    {
        const char* name;
        int startH, startV;  // thumb positions, also between two rows' tops
        int row, col;
    };
    const Case cases[] = {
        {"to the last cell", 0, 0, 29, 11},
        {"down from between two rows", 7, 22, 25, 5},
        {"up to the first cell", 150, 200, 1, 1},
        {"up from the tops of a row and a column", 160, 195, 1, 1},
        {"down from the tops of a row and a column", 40, 30, 20, 9},
        {"up to a hidden row", 150, 200, 3, 2},
        {"a cell shown already", 0, 0, 2, 2},
    };
    for (const Case& c : cases) {
        grid.SetScrollPosition(SB_HORZ, c.startH);
        grid.SetScrollPosition(SB_VERT, c.startV);
        const CSize expected = stepByStep(c.row, c.col);
        grid.SetScrollPosition(SB_HORZ, c.startH);
        grid.SetScrollPosition(SB_VERT, c.startV);
        Paint();
        grid.ScrollCellIntoView(c.row, c.col);
        EXPECT_EQ(CSize(grid.GetScrollPos(SB_HORZ), grid.GetScrollPos(SB_VERT)), expected) << c.name;
        EXPECT_EQ(NothingToPaint(), expected == CSize(c.startH, c.startV)) << c.name;
    }
    grid.ScrollCellIntoView(29, 11);
    EXPECT_TRUE(grid.IsCellVisible(29, 11));
    EXPECT_EQ(grid.VisibleScrollableRange().maxRow, 29);
    grid.ScrollCellIntoView(1, 1);
    EXPECT_EQ(grid.TopLeftScrollableCell(), CCellID(1, 1));
    EXPECT_EQ(grid.GetScrollPos(SB_VERT), 0);
}

TEST_F(GridGeometryTest, AFixedPartFillingTheClientShowsNoBars)
{
    grid.SetRowHeight(0, WindowHeight);
    grid.UpdateScrollBars();
    EXPECT_FALSE(grid.GetStyle() & (WS_HSCROLL | WS_VSCROLL));
    grid.SetRowHeight(0, 20);
    grid.UpdateScrollBars();
    EXPECT_TRUE(grid.GetStyle() & WS_VSCROLL);
    grid.SetColumnWidth(0, WindowWidth);
    grid.UpdateScrollBars();
    EXPECT_FALSE(grid.GetStyle() & (WS_HSCROLL | WS_VSCROLL));
    // Rows that fit need no bar.
    grid.SetColumnWidth(0, 30);
    grid.SetNumRows(5);
    grid.SetNumColumns(3);
    EXPECT_FALSE(grid.GetStyle() & (WS_HSCROLL | WS_VSCROLL));
    EXPECT_EQ(grid.ScrollBarsShown, 0);
    EXPECT_EQ(grid.LargestScrollPosition(SB_VERT), 0);
}

TEST_F(GridGeometryTest, AColourChangeKeepsTheOwnersColoursAndFollowsTheSystemElsewhere)
{
    constexpr COLORREF Yellow = RGB(255, 255, 224);
    grid.GetDefaultCell(FALSE, FALSE)->SetBackColor(Yellow);
    const QPalette saved = QApplication::palette();
    QPalette changed = saved;
    changed.setColor(QPalette::Button, QColor(200, 210, 220));
    changed.setColor(QPalette::Text, QColor(0, 0, 90));
    changed.setColor(QPalette::Dark, QColor(60, 60, 60));
    QApplication::setPalette(changed);
    ProcessEvents();
    const COLORREF ordinaryBack = grid.GetDefaultCell(FALSE, FALSE)->GetBackColor();
    const COLORREF fixedBack = grid.GetDefaultCell(TRUE, FALSE)->GetBackColor();
    const COLORREF cornerText = grid.GetDefaultCell(TRUE, TRUE)->GetTextColor();
    const COLORREF background = grid.BackgroundColor;
    Paint();
    const COLORREF shownHeading = Pixel(35, 3);  // inside the heading of column 1
    const COLORREF shownCell = Pixel(35, 23);
    QApplication::setPalette(saved);
    ProcessEvents();
    EXPECT_EQ(ordinaryBack, Yellow);
    EXPECT_EQ(fixedBack, RGB(200, 210, 220));
    EXPECT_EQ(cornerText, RGB(0, 0, 90));
    EXPECT_EQ(background, RGB(60, 60, 60));
    EXPECT_EQ(shownHeading, RGB(200, 210, 220));  // the system repainted the grid
    EXPECT_EQ(shownCell, Yellow);
    // And back with the system.
    EXPECT_EQ(grid.GetDefaultCell(TRUE, FALSE)->GetBackColor(), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(grid.GetDefaultCell(FALSE, FALSE)->GetBackColor(), Yellow);
}
