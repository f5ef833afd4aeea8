// The grid's mouse: clicks with Shift and Ctrl, Ctrl-drags, editing on release and by
// double-click, dragging dividers, the wheel, and drags of cells played through the drag hook.
#include "GridTestSupport.h"

#include "platform/ImageList.h"
#include "platform/TestHooks.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWheelEvent>

#include <string>

using namespace gridtest;

namespace {

constexpr int RowPixels = 20;
constexpr int ColumnPixels = 50;

class GridMouseTest : public GridFixture
{
protected:
    void SetUp() override
    {
        GridFixture::SetUp();
        grid.SetNumRows(30);
        grid.SetNumColumns(5);
        grid.SetNumFixedRows(1);
        grid.SetNumFixedColumns(1);
        for (int r = 0; r < 30; ++r) {
            for (int c = 0; c < 5; ++c) grid.SetCellText(r, c, std::to_string(r) + "," + std::to_string(c));
        }
        Sizes(RowPixels, ColumnPixels);
        ProcessEvents();
    }
    static QPoint Centre(int row, int col)
    {
        return QPoint(col * ColumnPixels + ColumnPixels / 2, row * RowPixels + RowPixels / 2);
    }
    QWidget* Client() const { return grid.GetClientWidget(); }
    void Press(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mousePress(Client(), Qt::LeftButton, modifiers, at);
        ProcessEvents();
    }
    void Release(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseRelease(Client(), Qt::LeftButton, modifiers, at);
        ProcessEvents();
    }
    void Move(QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, Client()->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(Client(), &move);
        ProcessEvents();
    }
    void Click(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Press(at, modifiers);
        Release(at, modifiers);
    }
    void Wheel(int delta)
    {
        const QPoint at = Centre(3, 2);
        QWheelEvent wheel(at, Client()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(Client(), &wheel);
        ProcessEvents();
    }
    CInPlaceEdit* Editor() const { return dynamic_cast<CInPlaceEdit*>(CWnd::GetFocus()); }
    int Count(int code) const
    {
        int n = 0;
        for (const auto& h : owner.heard) n += h.code == code ? 1 : 0;
        return n;
    }
};

}  // namespace

TEST_F(GridMouseTest, ClicksSelectWithShiftFromTheAnchorAndCtrlClickUnselectsQuietly)
{
    Click(Centre(2, 1));
    EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 1));
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(2, 1, 2, 1));
    Click(Centre(4, 3), Qt::ShiftModifier);
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(2, 1, 4, 3));
    EXPECT_EQ(grid.GetFocusCell(), CCellID(4, 3));
    owner.heard.clear();
    Click(Centre(3, 2), Qt::ControlModifier);
    EXPECT_FALSE(grid.IsCellSelected(3, 2));
    EXPECT_TRUE(grid.IsCellSelected(3, 1));
    EXPECT_EQ(Count(GridNotifySelChanging), 0);
    EXPECT_EQ(Count(GridNotifySelChanged), 0);
}

TEST_F(GridMouseTest, CtrlDragAddsABlockToTheSelection)
{
    Click(Centre(1, 1));
    Press(Centre(3, 3), Qt::ControlModifier);
    Move(Centre(4, 4));
    Release(Centre(4, 4), Qt::ControlModifier);
    EXPECT_TRUE(grid.IsCellSelected(1, 1));
    EXPECT_TRUE(grid.IsCellSelected(3, 3));
    EXPECT_TRUE(grid.IsCellSelected(4, 4));
    EXPECT_FALSE(grid.IsCellSelected(2, 2));
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(1, 1, 4, 4));
}

TEST_F(GridMouseTest, APressOnTheFocusCellEditsOnReleaseAndAMovedOneClearsTheSelection)
{
    Click(Centre(2, 2));
    ASSERT_EQ(grid.GetFocusCell(), CCellID(2, 2));
    Click(Centre(2, 2));
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->GetWindowText(), "2,2");
    QTest::keyClick(Editor()->GetWidget(), Qt::Key_Escape);
    ProcessEvents();
    ASSERT_EQ(Editor(), nullptr);
    // Moved first: a drag attempt, which does nothing without drag and drop; the release then
    // clears the selection and the focus.
    Press(Centre(2, 2));
    Move(Centre(2, 2) + QPoint(3, 0));
    Release(Centre(2, 2) + QPoint(3, 0));
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_FALSE(grid.AnyCellSelected());
    EXPECT_FALSE(grid.IsValid(grid.GetFocusCell()));
}

TEST_F(GridMouseTest, ADoubleClickEditsTheCell)
{
    // As Qt delivers a double-click: press, release, press, double-click, release.
    const QPoint at = Centre(3, 1);
    Click(at);
    Press(at);
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, Client()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(Client(), &twice);
    ProcessEvents();
    Release(at);
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->Row(), 3);
    EXPECT_EQ(Editor()->Column(), 1);
    EXPECT_TRUE(owner.Heard(NM_DBLCLK));
    QTest::keyClick(Editor()->GetWidget(), Qt::Key_Escape);
}

TEST_F(GridMouseTest, DraggingAColumnDividerSizesTheColumn)
{
    struct DividerCase {
        const char* name;
        BOOL hideByResize;
        int dx;  // from the divider at the right edge of column 2
        int expected;
    };
    const DividerCase cases[] = {
        {"wider", TRUE, 20, ColumnPixels + 20},       {"narrower", TRUE, -20, ColumnPixels - 20},
        {"past its left edge, hidden", TRUE, -80, 0}, {"past its left edge, kept", FALSE, -80, 1},
        {"not moved", TRUE, 0, ColumnPixels},
    };
    for (const DividerCase& test : cases) {
        grid.SetColumnWidth(2, ColumnPixels);
        grid.HideColumnsByResize = test.hideByResize;
        const QPoint divider(3 * ColumnPixels, RowPixels / 2);
        Move(divider);
        EXPECT_EQ(grid.MouseMode, MouseModeOverColumnDivider) << test.name;
        Press(divider);
        EXPECT_EQ(grid.MouseMode, MouseModeSizingColumn) << test.name;
        Move(divider + QPoint(test.dx, 0));
        Release(divider + QPoint(test.dx, 0));
        EXPECT_EQ(grid.ColumnWidth(2), test.expected) << test.name;
        EXPECT_EQ(grid.MouseMode, MouseModeIdle) << test.name;
        EXPECT_EQ(CWnd::GetCapture(), nullptr) << test.name;
    }
}

TEST_F(GridMouseTest, LosingTheCaptureWhileSizingEndsTheSizing)
{
    const QPoint divider(3 * ColumnPixels - 1, RowPixels / 2);
    Move(divider);
    Press(divider);
    Move(divider + QPoint(15, 0));
    ASSERT_EQ(grid.MouseMode, MouseModeSizingColumn);
    CWnd::ReleaseCapture();
    EXPECT_EQ(grid.MouseMode, MouseModeIdle);
    EXPECT_EQ(grid.ColumnWidth(2), ColumnPixels);
    Release(divider + QPoint(15, 0));
    EXPECT_EQ(grid.ColumnWidth(2), ColumnPixels);
}

TEST_F(GridMouseTest, TheWheelScrollsLinesAndKeepsWhatMakesNoLineYet)
{
    grid.WheelScrollLines = 3;
    Wheel(-120);
    EXPECT_EQ(grid.TopLeftScrollableCell().row, 4);
    for (int i = 0; i < 3; ++i) Wheel(-30);
    EXPECT_EQ(grid.TopLeftScrollableCell().row, 6);
    Wheel(-30);
    EXPECT_EQ(grid.TopLeftScrollableCell().row, 7);
    Wheel(120);
    EXPECT_EQ(grid.TopLeftScrollableCell().row, 4);
    grid.WheelScrollLines = -1;
    const int before = grid.TopLeftScrollableCell().row;
    Wheel(-120);
    EXPECT_GT(grid.TopLeftScrollableCell().row, before + 3);
}

TEST_F(GridMouseTest, DraggedCellsDropThroughTheHookAsAMoveOrWithCtrlACopy)
{
    grid.DragAndDrop = TRUE;
    DragDropPlayer player;
    CPoint target(Centre(5, 1).x(), Centre(5, 1).y());
    DWORD keys = 0;
    grid.SetCellText(1, 1, "p");
    grid.SetCellText(1, 2, "q");
    player.play = [&](const COleDataSource& data, DROPEFFECT allowed) {
        EXPECT_EQ(data.Text(), "p\tq");
        return PlayDrop(&grid, data, target, keys, allowed);
    };
    const auto drag = [&] {
        grid.SetSelectedRange(1, 1, 1, 2);
        grid.SetFocusCell(1, 1);
        Press(Centre(1, 2));
        Move(Centre(1, 2) + QPoint(4, 0));
        Release(Centre(1, 2) + QPoint(4, 0));
    };
    drag();
    EXPECT_EQ(player.drags, 1);
    EXPECT_EQ(grid.CellText(5, 1), "p");
    EXPECT_EQ(grid.CellText(5, 2), "q");
    // The drop's paste cleared the selection first, so the move leaves the source as it was.
    EXPECT_EQ(grid.CellText(1, 1), "p");
    EXPECT_EQ(grid.MouseMode, MouseModeIdle);
    EXPECT_FALSE(grid.CellState(5, 1) & CellStateDropHighlighted);

    keys = MK_CONTROL;
    target = CPoint(Centre(7, 3).x(), Centre(7, 3).y());
    drag();
    EXPECT_EQ(grid.CellText(7, 3), "p");
    EXPECT_EQ(grid.CellText(7, 4), "q");

    // A read-only cell refuses the drop.
    grid.SetCellState(9, 1, grid.CellState(9, 1) | CellStateReadOnly);
    target = CPoint(Centre(9, 1).x(), Centre(9, 1).y());
    keys = 0;
    drag();
    EXPECT_EQ(grid.CellText(9, 1), "9,1");
    EXPECT_EQ(grid.CellText(9, 2), "9,2");
}

TEST_F(GridMouseTest, TheDragImageIsTheFocusCellOnTransparencyAndADragCarriesIt)
{
    CPoint size(-1, -1);
    grid.SetFocusCell(-1, -1);
    EXPECT_EQ(grid.MakeDragImage(&size), nullptr);

    const COLORREF back = RGB(255, 255, 224);
    grid.GetDefaultCell(FALSE, FALSE)->SetBackColor(back);
    grid.SetCellText(2, 2, "WWWW");
    grid.SetCellTextColor(2, 2, RGB(255, 0, 0));
    grid.SetFocusCell(2, 2);
    const auto list = grid.MakeDragImage(&size);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(size, CPoint(ColumnPixels, RowPixels));
    ASSERT_EQ(list->GetImageCount(), 1);
    const QImage image = list->GetImage(0);
    ASSERT_EQ(image.size(), QSize(ColumnPixels, RowPixels));
    // The focus frame and the text are drawn; the back colour, which the cell does not paint
    // with erasing off, is see-through.
    int transparent = 0;
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            transparent += qAlpha(p) == 0 ? 1 : 0;
            red += qAlpha(p) == 255 && qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80 ? 1 : 0;
        }
    }
    EXPECT_GT(transparent, ColumnPixels * RowPixels / 2);
    EXPECT_GT(red, 10);

    // A data source given the picture hands it to the drag.
    DragDropPlayer player;
    QImage carried;
    player.play = [&](const COleDataSource& data, DROPEFFECT) {
        carried = data.DragImage();
        return DROPEFFECT_NONE;
    };
    grid.SetSelectedRange(2, 2, 2, 2);
    const auto source = grid.CopySelection();
    ASSERT_NE(source, nullptr);
    source->SetDragImage(image, CPoint(size.x / 2, size.y / 2));
    EXPECT_EQ(source->DoDragDrop(DROPEFFECT_COPY, &grid), DROPEFFECT_NONE);
    EXPECT_EQ(carried, image);
    EXPECT_EQ(source->DragHotSpot(), CPoint(ColumnPixels / 2, RowPixels / 2));
}
