// The grid as a series editor hosts it: a dialog template with an "MFCGridCtrl" control, 100,001
// rows by 9 columns, driven through its own scroll bars as a user drives them.
#include "GridHostDialog.h"
#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QTest>

using namespace gridhost;

namespace {

class GridAcceptanceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dialog.Create(HostDialogId));
        ASSERT_TRUE(dialog.Filled);
        ProcessEvents();
    }
    QScrollBar* VerticalBar() const { return static_cast<QAbstractScrollArea*>(grid.GetWidget())->verticalScrollBar(); }
    // The last scrollable row whose top shows, and whether all of it shows.
    int LastRowShown() const { return grid.VisibleScrollableRange().maxRow; }

    CGridHostDlg dialog;
    CGridCtrl& grid = dialog.Grid;
};

}  // namespace

TEST_F(GridAcceptanceTest, TheHostBindsAFilledGridWithItsEdgeAndBars)
{
    EXPECT_EQ(grid.RowCount(), 100001);
    EXPECT_EQ(grid.ColumnCount(), 9);
    EXPECT_EQ(grid.FixedRowCount(), 1);
    EXPECT_EQ(grid.FixedColumnCount(), 1);
    EXPECT_EQ(grid.CellText(100000, 1), "24999.75");
    EXPECT_EQ(grid.CellAt(5, 5)->GetFormat(), UINT(DT_CENTER));
    EXPECT_EQ(grid.GetDefaultCell(FALSE, FALSE)->GetBackColor(), EditorYellow);
    EXPECT_TRUE(grid.GetExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(grid.GetStyle() & WS_VSCROLL);
    EXPECT_TRUE(grid.ScrollBarsShown & ShownVertical);
    // The columns, as wide as their headings at least, take more than the client width.
    CRect client;
    grid.GetClientRect(&client);
    EXPECT_EQ((grid.GetStyle() & WS_HSCROLL) != 0, grid.TotalWidth() > client.Width());
}

TEST_F(GridAcceptanceTest, TheScrollBarTakesTheUserThroughAllRows)
{
    // The thumb dragged to the end shows row 100,000 as the last row, whole.
    VerticalBar()->setSliderDown(true);
    VerticalBar()->setSliderPosition(VerticalBar()->maximum());
    VerticalBar()->setSliderDown(false);
    EXPECT_EQ(LastRowShown(), 100000);
    CRect last;
    ASSERT_TRUE(grid.GetCellRect(100000, 1, &last));
    CRect client;
    grid.GetClientRect(&client);
    EXPECT_LT(last.bottom, client.bottom);

    // Line steps land on whole rows: each moves the view by one row, whose top starts right
    // below the headings, from a thumb position between two rows' tops as well.
    const int rowHeight = grid.RowHeight(1);
    VerticalBar()->setSliderPosition(1234);
    for (const auto action : {QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderSingleStepAdd,
                              QAbstractSlider::SliderSingleStepSub, QAbstractSlider::SliderSingleStepAdd}) {
        const int before = grid.TopLeftScrollableCell().row;
        const int position = grid.GetScrollPos(SB_VERT);
        VerticalBar()->triggerAction(action);
        const int step = action == QAbstractSlider::SliderSingleStepAdd ? 1 : -1;
        const CCellID top = grid.TopLeftScrollableCell();
        EXPECT_EQ(top.row, before + step);
        EXPECT_EQ(grid.GetScrollPos(SB_VERT), position + step * rowHeight);
        EXPECT_EQ(VerticalBar()->value(), grid.GetScrollPos(SB_VERT));
        CRect rect;
        ASSERT_TRUE(grid.GetCellRect(top.row, 1, &rect));
        EXPECT_EQ(rect.top, grid.FixedRowsHeight());
        EXPECT_EQ(grid.CellFromPoint(CPoint(rect.left, grid.FixedRowsHeight())), CCellID(top.row, 1));
    }

    // Row 1 comes back into view.
    grid.ScrollCellIntoView(1, 1);
    EXPECT_EQ(grid.TopLeftScrollableCell().row, 1);
    EXPECT_EQ(grid.GetScrollPos(SB_VERT), 0);
    EXPECT_EQ(VerticalBar()->value(), 0);
}
