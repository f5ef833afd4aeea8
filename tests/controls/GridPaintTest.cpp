// The grid's picture, pixel by pixel: grid lines, the fixed cells' edges, sunken headings of
// the focus cell, the selection, the focus frame, the sort arrow, "..." and the background.
#include "GridTestSupport.h"

#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

#include <array>
#include <functional>

using namespace gridtest;

namespace {

constexpr COLORREF Yellow = RGB(255, 255, 224);

// A grid of 6 rows by 5 columns, 20 high and 50 wide, one fixed row and one fixed column, on the
// editors' yellow; the cells take 250 x 120 of the 300 x 200 client area. Cell (r, c) of the
// scrollable part covers x from 50c to 50c + 49 and y from 20r to 20r + 19.
class GridPaintTest : public GridFixture
{
protected:
    void SetUp() override
    {
        GridFixture::SetUp();
        grid.GetDefaultCell(FALSE, FALSE)->SetBackColor(Yellow);
        grid.SetNumRows(6);
        grid.SetNumColumns(5);
        grid.SetNumFixedRows(1);
        grid.SetNumFixedColumns(1);
        Sizes(20, 50);
        Repaint();
    }
    void Repaint()
    {
        grid.Invalidate();
        Paint();
    }
    // How many pixels of (x0, y0) to (x1, y1), inclusive, have the colour.
    int CountIn(int x0, int y0, int x1, int y1, COLORREF colour) const
    {
        int n = 0;
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) n += Pixel(x, y) == colour;
        }
        return n;
    }
};

struct Expected
{
    int x, y;
    COLORREF colour;
};

struct PixelCase
{
    const char* name;
    std::function<void(CGridCtrl&)> setUp;
    std::vector<Expected> pixels;
};

}  // namespace

TEST_F(GridPaintTest, PixelsOfLinesEdgesSelectionFocusAndBackground)
{
    const COLORREF line = RGB(192, 192, 192);
    const COLORREF light = GetSysColor(COLOR_3DHIGHLIGHT);
    const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW);
    const COLORREF sunkenLight = GetSysColor(COLOR_3DLIGHT);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF background = GetSysColor(COLOR_BTNSHADOW);
    const PixelCase cases[] = {
        {"grid lines on each scrollable cell's last pixel column and row",
         [](CGridCtrl&) {},
         {{99, 30, line}, {98, 30, Yellow}, {60, 39, line}, {60, 38, Yellow}, {99, 39, line}, {100, 30, Yellow},
          {249, 30, line}, {60, 119, line}}},
        {"fixed cells are raised: light top and left, dark right and bottom, no grid line",
         [](CGridCtrl&) {},
         {{60, 0, light}, {50, 10, light}, {99, 10, dark}, {60, 19, dark}, {52, 2, face}, {0, 30, light},
          {49, 30, dark}, {10, 39, dark}, {10, 38, face}}},
        {"the headings of the focus cell's row and column are sunken",
         [](CGridCtrl& g) { g.SetFocusCell(2, 2); },
         {{110, 0, dark}, {100, 10, dark}, {149, 10, sunkenLight}, {110, 19, sunkenLight}, {0, 50, dark},
          {49, 50, sunkenLight}, {160, 0, light}, {199, 10, dark}}},
        {"without focus tracking the headings stay raised",
         [](CGridCtrl& g) {
             g.TrackFocusCell = FALSE;
             g.SetFocusCell(2, 2);
         },
         {{110, 0, light}, {149, 10, dark}}},
        {"without grid lines, no lines and no edges",
         [](CGridCtrl& g) { g.GridLines = GridLinesNone; },
         {{99, 30, Yellow}, {60, 39, Yellow}, {60, 0, face}, {99, 10, face}}},
        {"a selected focus cell: highlight, a frame inside its grid lines",
         [](CGridCtrl& g) {
             g.SetSelectedRange(2, 2, 2, 2);
             g.SetFocusCell(2, 2);
         },
         {{120, 50, highlight}, {100, 50, highlightText}, {148, 50, highlightText}, {120, 40, highlightText},
          {120, 58, highlightText}, {101, 50, highlight}, {149, 50, line}, {120, 59, line}}},
        {"without the frame",
         [](CGridCtrl& g) {
             g.FrameFocusCell = FALSE;
             g.SetSelectedRange(2, 2, 2, 2);
             g.SetFocusCell(2, 2);
         },
         {{100, 50, highlight}, {148, 50, highlight}, {149, 50, line}}},
        {"a focus cell that is not selected: the frame in its text colour",
         [](CGridCtrl& g) { g.SetFocusCell(3, 3); },
         {{150, 70, text}, {198, 70, text}, {170, 60, text}, {151, 70, Yellow}, {199, 70, line}}},
        {"a selected cell: highlight up to its grid lines",
         [](CGridCtrl& g) { g.SetSelectedRange(3, 3, 4, 3); },
         {{150, 70, highlight}, {198, 98, highlight}, {199, 70, line}, {170, 79, line}, {170, 90, highlight}}},
        {"a cell with a colour of its own",
         [](CGridCtrl& g) { g.CellAt(1, 1)->SetBackColor(RGB(0, 128, 0)); },
         {{60, 30, RGB(0, 128, 0)}, {99, 30, line}}},
        {"the background right of and below the cells",
         [](CGridCtrl&) {},
         {{250, 30, background}, {299, 199, background}, {100, 120, background}, {260, 5, background}}},
        {"a hidden column takes no pixels and draws no line",
         [](CGridCtrl& g) { g.SetColumnWidth(2, 0); },
         {{99, 30, line}, {100, 30, Yellow}, {148, 30, Yellow}, {149, 30, line}, {200, 30, background}}},
    };
    for (const PixelCase& c : cases) {
        // A fresh grid for every case.
        grid.TrackFocusCell = TRUE;
        grid.FrameFocusCell = TRUE;
        grid.GridLines = GridLinesBoth;
        grid.ClearSelection();
        grid.SetColumnWidth(2, 50);
        grid.CellAt(1, 1)->SetBackColor(ColorDefault);
        grid.UpdateScrollBars();
        c.setUp(grid);
        Repaint();
        for (const Expected& p : c.pixels) EXPECT_EQ(Pixel(p.x, p.y), p.colour) << c.name << " at " << p.x << "," << p.y;
    }

    // Without the off-screen context, and cell by cell, the picture is the same.
    grid.SetSelectedRange(2, 1, 3, 2);
    grid.SetFocusCell(3, 2);
    Repaint();
    const QImage buffered = grid.Surface()->image.copy();
    grid.DoubleBuffer = FALSE;
    Repaint();
    EXPECT_EQ(grid.Surface()->image, buffered);
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 5; ++c) EXPECT_TRUE(grid.RedrawCell(r, c));
    }
    ProcessEvents();
    EXPECT_EQ(grid.Surface()->image, buffered);
    EXPECT_FALSE(grid.RedrawCell(6, 0));
}

TEST_F(GridPaintTest, TheSortArrowPointsTheWayOfTheSort)
{
    const COLORREF shadow = GetSysColor(COLOR_3DSHADOW);
    grid.SetCellText(0, 3, "Stage");
    // The rows of the heading (150..199, 0..19) where the arrow's shadow lies, and how wide.
    const auto shadowRows = [&] {
        std::vector<int> widths;
        for (int y = 0; y < 20; ++y) {
            int n = 0;
            for (int x = 160; x < 199; ++x) n += Pixel(x, y) == shadow;
            if (n) widths.push_back(n);
        }
        return widths;
    };
    Repaint();
    EXPECT_TRUE(shadowRows().empty());  // no sort, no arrow
    grid.SortColumn = 3;
    grid.SortAscending = TRUE;
    Repaint();
    const std::vector<int> up = shadowRows();
    ASSERT_GE(up.size(), 3u);
    EXPECT_LT(up.front(), up.back());  // narrow at the top: pointing up
    grid.SortAscending = FALSE;
    Repaint();
    const std::vector<int> down = shadowRows();
    ASSERT_GE(down.size(), 3u);
    EXPECT_GT(down.front(), down.back());
    // The arrow stays in the heading's right part, clear of its text.
    EXPECT_EQ(CountIn(150, 0, 170, 19, shadow), 0);
    // Another column's heading has none.
    EXPECT_EQ(CountIn(110, 2, 148, 17, shadow), 0);
}

TEST_F(GridPaintTest, TextTooWideForItsCellEndsInThreeDots)
{
    grid.SetCellText(1, 2, "WWWWWWWWWWWWWW");
    grid.CellAt(1, 2)->SetFormat(DefaultCellFormat);
    grid.SetCellText(2, 2, "WW");
    Repaint();
    // The ink of a text line in the cell: its first and last column and its top row.
    const auto ink = [&](int y0, int y1) {
        int left = -1, right = -1, top = 1000;
        for (int x = 100; x < 149; ++x) {
            for (int y = y0; y <= y1; ++y) {
                if (Pixel(x, y) != Yellow && Pixel(x, y) != RGB(192, 192, 192)) {
                    if (left < 0) left = x;
                    right = x;
                    top = std::min(top, y);
                }
            }
        }
        return std::array<int, 3>{left, right, top};
    };
    // The run of ink columns at the right end whose ink stays low (dots on the line), up to the
    // first column that reaches up as letters do.
    const auto lowRun = [&](int y0, int y1) {
        const auto box = ink(y0, y1);
        int run = 0;
        for (int x = box[1]; x >= box[0]; --x) {
            bool high = false;
            for (int y = y0; y <= y1; ++y) high = high || (Pixel(x, y) != Yellow && y < box[2] + 4);
            if (high) break;
            ++run;
        }
        return run;
    };
    const auto wide = ink(20, 38);
    ASSERT_GE(wide[0], 0);
    EXPECT_LT(wide[1], 149);  // nothing beyond the cell's grid line
    QFont font(ResolveFontFamily(QStringLiteral("MS Shell Dlg")));
    font.setPixelSize(-DefaultGuiLogFont().lfHeight);
    const int dots = QFontMetrics(font).horizontalAdvance(QStringLiteral("..."));
    EXPECT_GE(lowRun(20, 38), dots * 2 / 3);
    EXPECT_LE(lowRun(20, 38), dots);
    // A text that fits ends in a letter.
    EXPECT_EQ(lowRun(40, 58), 0);
}
