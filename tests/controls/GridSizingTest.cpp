// Sorting rows by a column and sizing columns and rows to their cells and to the client area.
#include "GridTestSupport.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

using namespace gridtest;

namespace {

class GridSizingTest : public GridFixture
{
protected:
    // One fixed row; column 1 holds keys, column 2 each row's original index.
    void Keys(const std::vector<std::string>& keys)
    {
        grid.SetNumRows(int(keys.size()) + 1);
        grid.SetNumColumns(3);
        grid.SetNumFixedRows(1);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            grid.SetCellText(int(i) + 1, 1, keys[i]);
            grid.SetCellText(int(i) + 1, 2, std::to_string(i));
            grid.SetRowHeight(int(i) + 1, 10 + int(i));
        }
    }
    std::string Column(int col) const
    {
        std::string all;
        for (int r = 1; r < grid.RowCount(); ++r) all += (r > 1 ? " " : "") + grid.CellText(r, col);
        return all;
    }
};

}  // namespace

TEST_F(GridSizingTest, SortingByNumbersMovesWholeRowsAndNeverExchangesEqualKeys)
{
    Keys({"30", "12.7", "5", "x", "12", "-4"});
    grid.CompareFunc = &CGridCtrl::CompareCellNumbers;
    grid.SortByColumn(1, TRUE);
    EXPECT_EQ(Column(1), "-4 x 5 12.7 12 30");
    // Each row took its other cells and its height along.
    for (int r = 1; r < grid.RowCount(); ++r) {
        const int original = std::stoi(grid.CellText(r, 2));
        EXPECT_EQ(grid.RowHeight(r), 10 + original);
    }
    grid.SortByColumn(1, FALSE);
    EXPECT_EQ(Column(1).substr(0, 3), "30 ");
    EXPECT_EQ(grid.SortColumn, 1);
    EXPECT_FALSE(grid.SortAscending);
    // Equal keys (12.7 and 12 read as 12) keep their order: they are never exchanged.
    Keys({"12", "12.7", "12", "12.2"});
    grid.SortByColumn(1, TRUE);
    EXPECT_EQ(Column(2), "0 1 2 3");
}

TEST_F(GridSizingTest, SortingAnOrganPipeColumnOfManyRowsStaysShallow)
{
    std::vector<std::string> keys;
    const int n = 2001;
    for (int i = 0; i < n; ++i) keys.push_back(std::to_string(i < n / 2 ? i : n - i));
    Keys(keys);
    grid.CompareFunc = &CGridCtrl::CompareCellNumbers;
    grid.SortByColumn(1, TRUE);
    for (int r = 2; r < grid.RowCount(); ++r)
        ASSERT_LE(std::stol(grid.CellText(r - 1, 1)), std::stol(grid.CellText(r, 1))) << r;
}

TEST_F(GridSizingTest, FittingMeasuresTheScopesRowsAndLeavesHiddenOnesHidden)
{
    Keys({"a", "a much longer text than the others", "b"});
    grid.SetCellText(0, 1, "H");
    ASSERT_TRUE(grid.FitColumnToText(1));
    const int wide = grid.ColumnWidth(1);
    ASSERT_TRUE(grid.FitColumnToText(1, AutoSizeFixedRows));
    EXPECT_LT(grid.ColumnWidth(1), wide);
    // A scope without rows (no fixed rows to measure) hides the column.
    grid.SetNumFixedRows(0);
    ASSERT_TRUE(grid.FitColumnToText(1, AutoSizeFixedRows));
    EXPECT_EQ(grid.ColumnWidth(1), 0);
    EXPECT_FALSE(grid.FitColumnToText(1));
    grid.SetRowHeight(2, 0);
    grid.SetColumnWidth(1, 5);
    grid.FitAllToText();
    EXPECT_EQ(grid.RowHeight(2), 0);
    EXPECT_GT(grid.ColumnWidth(1), 5);
    EXPECT_GT(grid.RowHeight(1), 1);
}

TEST_F(GridSizingTest, StretchesFillTheClientWithHiddenColumnsLeftOut)
{
    grid.SetNumRows(3);
    grid.SetNumColumns(7);
    CRect client;
    struct Widths {
        const char* name;
        int each;
    };
    for (const Widths test : {Widths{"wider", 20}, Widths{"narrower", 90}}) {
        for (int c = 0; c < 7; ++c) grid.SetColumnWidth(c, test.each);
        grid.SetColumnWidth(1, 0);
        grid.SetColumnWidth(4, 0);
        grid.StretchColumnsToWidth();
        grid.GetClientRect(&client);
        EXPECT_EQ(grid.TotalWidth(), client.Width()) << test.name;
        EXPECT_EQ(grid.ColumnWidth(1), 0) << test.name;
        EXPECT_EQ(grid.ColumnWidth(4), 0) << test.name;
        EXPECT_FALSE(grid.ScrollBarsShown & ShownHorizontal) << test.name;
    }
    // The last column takes what is left, and never narrows.
    for (int c = 0; c < 7; ++c) grid.SetColumnWidth(c, 20);
    grid.StretchLastColumn();
    grid.GetClientRect(&client);
    EXPECT_EQ(grid.TotalWidth(), client.Width());
    for (int c = 0; c < 7; ++c) grid.SetColumnWidth(c, 100);
    grid.StretchLastColumn();
    EXPECT_EQ(grid.ColumnWidth(6), 100);
}

// Fitting measures a text once for cells alike but never takes one cell's extent for another's
// of the same text in a larger font: the column is as wide, and each row as high, as its widest
// and highest cell measured alone.
TEST_F(GridSizingTest, FittingRepeatedTextsKeepsEachFontsExtent)
{
    Keys({"123.456", "123.456", "123.456", "7"});
    LOGFONT large = *grid.CellAt(2, 1)->GetFont();
    large.lfHeight *= 3;
    grid.CellAt(2, 1)->SetFont(&large);
    CClientDC dc(&grid);
    std::vector<CSize> alone;
    for (int r = 1; r < grid.RowCount(); ++r) alone.push_back(grid.CellAt(r, 1)->GetCellExtent(&dc));
    ASSERT_GT(alone[1].cx, alone[0].cx);
    grid.FitAllToText();
    int widest = 0;
    for (const CSize& size : alone) widest = std::max(widest, int(size.cx));
    EXPECT_EQ(grid.ColumnWidth(1), widest);
    EXPECT_GE(grid.RowHeight(2), alone[1].cy);
    EXPECT_LT(grid.RowHeight(1), grid.RowHeight(2));
    EXPECT_EQ(grid.RowHeight(1), grid.RowHeight(3));
}
