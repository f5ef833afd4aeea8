// The grid's object model: counts and the cells they make, items, modified marks, checked
// texts, the selection of large grids, focus, notifications and the virtual mode.
#include "GridTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <new>
#include <string>

using namespace gridtest;

namespace {

// A cell class that runs out of memory at the n-th cell made.
int g_cellsUntilFailure = -1;
class ScarceCell : public CGridCell
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
};
CObject* MakeScarceCell()
{
    if (g_cellsUntilFailure == 0) throw std::bad_alloc();
    if (g_cellsUntilFailure > 0) --g_cellsUntilFailure;
    return new ScarceCell;
}
const CRuntimeClass ScarceCell::Runtime{"ScarceCell", &CGridCell::Runtime, &MakeScarceCell};

// A cell class that accepts no text.
class RefusingCell : public CGridCell
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    BOOL ValidateEdit(const char*) override { return FALSE; }
};
const CRuntimeClass RefusingCell::Runtime{"RefusingCell", &CGridCell::Runtime, &CreateRuntimeObject<RefusingCell>};

// Every cell exists and carries the fixed bits of its place.
void ExpectCellsMatchCounts(CGridCtrl& grid, const char* name)
{
    for (int r = 0; r < grid.RowCount(); ++r) {
        for (int c = 0; c < grid.ColumnCount(); ++c) {
            const CGridCellBase* cell = grid.CellAt(r, c);
            ASSERT_NE(cell, nullptr) << name << " at " << r << "," << c;
            const bool fixedRow = r < grid.FixedRowCount();
            const bool fixedCol = c < grid.FixedColumnCount();
            EXPECT_EQ(cell->IsFixedRow() != 0, fixedRow) << name << " at " << r << "," << c;
            EXPECT_EQ(cell->IsFixedCol() != 0, fixedCol) << name << " at " << r << "," << c;
            EXPECT_EQ(cell->IsFixed() != 0, fixedRow || fixedCol) << name << " at " << r << "," << c;
        }
    }
    EXPECT_EQ(grid.CellAt(grid.RowCount(), 0), nullptr) << name;
    EXPECT_EQ(grid.CellAt(0, grid.ColumnCount()), nullptr) << name;
    EXPECT_EQ(grid.RowHeight(grid.RowCount() - 1) >= 0, grid.RowCount() > 0) << name;
    EXPECT_EQ(grid.RowHeight(grid.RowCount()), -1) << name;
    EXPECT_EQ(grid.ColumnWidth(grid.ColumnCount()), -1) << name;
}

// The model's tests that need the grid's window and owner.
using GridOwnerTest = GridFixture;

}  // namespace

TEST(GridModelTest, CountChangesKeepCellsSizesAndFixedBitsInStep)
{
    CGridCtrl grid;
    const int rowHeight = grid.GetDefaultCell(FALSE, FALSE)->GetHeight();
    grid.GetDefaultCell(FALSE, TRUE)->SetWidth(55);
    struct Step
    {
        const char* name;
        std::function<BOOL(CGridCtrl&)> change;
        int rows, cols, fixedRows, fixedCols;
    };
    const Step steps[] = {
        {"rows first", [](CGridCtrl& g) { return g.SetNumRows(3); }, 3, 0, 0, 0},
        {"columns give every row cells", [](CGridCtrl& g) { return g.SetNumColumns(4); }, 3, 4, 0, 0},
        {"a fixed row count above the rows grows the rows", [](CGridCtrl& g) { return g.SetNumFixedRows(5); }, 5, 4, 5, 0},
        {"a fixed column count above the columns grows them", [](CGridCtrl& g) { return g.SetNumFixedColumns(6); }, 5, 6, 5, 6},
        {"fewer fixed rows", [](CGridCtrl& g) { return g.SetNumFixedRows(1); }, 5, 6, 1, 6},
        {"fewer fixed columns", [](CGridCtrl& g) { return g.SetNumFixedColumns(2); }, 5, 6, 1, 2},
        {"fewer rows than fixed rows cut them", [](CGridCtrl& g) { return g.SetNumRows(0); }, 0, 6, 0, 2},
        {"rows again", [](CGridCtrl& g) { return g.SetNumRows(4); }, 4, 6, 0, 2},
        {"fewer columns", [](CGridCtrl& g) { return g.SetNumColumns(1); }, 4, 1, 0, 1},
        {"a negative count is refused", [](CGridCtrl& g) { return !g.SetNumRows(-1); }, 4, 1, 0, 1},
        {"the same count changes nothing", [](CGridCtrl& g) { return g.SetNumColumns(1); }, 4, 1, 0, 1},
    };
    for (const Step& s : steps) {
        EXPECT_TRUE(s.change(grid)) << s.name;
        EXPECT_EQ(grid.RowCount(), s.rows) << s.name;
        EXPECT_EQ(grid.ColumnCount(), s.cols) << s.name;
        EXPECT_EQ(grid.FixedRowCount(), s.fixedRows) << s.name;
        EXPECT_EQ(grid.FixedColumnCount(), s.fixedCols) << s.name;
        ExpectCellsMatchCounts(grid, s.name);
    }
    // New rows take the ordinary default cell's height, new columns the fixed-column one's width.
    grid.SetNumColumns(3);
    EXPECT_EQ(grid.RowHeight(3), rowHeight);
    EXPECT_EQ(grid.ColumnWidth(2), 55);
    EXPECT_EQ(grid.TotalWidth(), grid.ColumnWidth(0) + 2 * 55);
    EXPECT_EQ(grid.FixedColumnsWidth(), grid.ColumnWidth(0));
}

TEST(GridModelTest, CellsTurningFixedOrOrdinaryTakeDefaultColours)
{
    CGridCtrl grid;
    grid.SetNumRows(3);
    grid.SetNumColumns(3);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            grid.CellAt(r, c)->SetBackColor(RGB(1, 2, 3));
            grid.CellAt(r, c)->SetTextColor(RGB(4, 5, 6));
        }
    }
    grid.SetNumFixedRows(1);
    grid.SetNumFixedColumns(1);
    EXPECT_EQ(grid.CellAt(0, 2)->GetBackColor(), ColorDefault);  // became fixed
    EXPECT_EQ(grid.CellAt(2, 0)->GetTextColor(), ColorDefault);
    EXPECT_EQ(grid.CellAt(2, 2)->GetBackColor(), RGB(1, 2, 3));  // stayed ordinary
    grid.CellAt(0, 2)->SetBackColor(RGB(9, 9, 9));
    grid.CellAt(0, 0)->SetBackColor(RGB(9, 9, 9));
    grid.SetNumFixedRows(0);
    EXPECT_EQ(grid.CellAt(0, 2)->GetBackColor(), ColorDefault);  // became ordinary
    EXPECT_FALSE(grid.CellAt(0, 2)->IsFixed());
    // In a fixed column the cell stays fixed, keeping its colours.
    EXPECT_TRUE(grid.CellAt(0, 0)->IsFixedCol());
    EXPECT_FALSE(grid.CellAt(0, 0)->IsFixedRow());
    EXPECT_EQ(grid.CellAt(0, 0)->GetBackColor(), RGB(9, 9, 9));
}

TEST(GridModelTest, RunningOutOfMemoryLeavesCountsThatMatchTheCells)
{
    CGridCtrl grid;
    grid.CellClass = &ScarceCell::Runtime;
    grid.SetNumColumns(3);
    g_cellsUntilFailure = 3 * 4 + 2;  // four whole rows, then a row that cannot be finished
    EXPECT_FALSE(grid.SetNumRows(10));
    EXPECT_EQ(grid.RowCount(), 4);
    ExpectCellsMatchCounts(grid, "rows");
    g_cellsUntilFailure = 5;  // columns for some rows only: none are kept
    EXPECT_FALSE(grid.SetNumColumns(5));
    EXPECT_EQ(grid.ColumnCount(), 3);
    ExpectCellsMatchCounts(grid, "columns");
    g_cellsUntilFailure = -1;
    EXPECT_TRUE(grid.SetNumColumns(5));
    ExpectCellsMatchCounts(grid, "after");
}

TEST_F(GridOwnerTest, RemoveAllEmptiesTheGridAndMarksItModified)
{
    grid.SetNumRows(5);
    grid.SetNumColumns(4);
    grid.SetNumFixedRows(1);
    grid.SetSelectedRange(1, 1, 3, 3);
    grid.SetFocusCell(2, 2);
    grid.MarkModified(FALSE, -1, -1);
    EXPECT_TRUE(grid.RemoveAll());
    EXPECT_EQ(grid.RowCount(), 0);
    EXPECT_EQ(grid.ColumnCount(), 0);
    EXPECT_EQ(grid.FixedRowCount(), 0);
    EXPECT_EQ(grid.GetFocusCell(), CCellID());
    EXPECT_FALSE(grid.AnyCellSelected());
    EXPECT_FALSE(grid.GetSelectedRange().IsValid());
    EXPECT_TRUE(grid.Modified);
    EXPECT_EQ(grid.CellText(0, 0), "");
    EXPECT_EQ(grid.TotalHeight(), 0);
}

TEST(GridModelTest, ApplyItemMarksFirstThenAppliesItsFieldsInOrder)
{
    CGridCtrl grid;
    grid.SetNumRows(3);
    grid.SetNumColumns(3);
    GridItem item;
    item.row = 1;
    item.column = 2;
    item.mask = ItemMaskText | ItemMaskFormat | ItemMaskBackColor | ItemMaskMargin;
    item.text = "3.250";
    item.format = DT_CENTER;
    item.backColor = RGB(255, 255, 224);
    item.margin = 4;
    EXPECT_TRUE(grid.ApplyItem(&item));
    const CGridCellBase* cell = grid.CellAt(1, 2);
    EXPECT_EQ(grid.CellText(1, 2), "3.250");
    EXPECT_EQ(cell->GetFormat(), UINT(DT_CENTER));
    EXPECT_EQ(cell->GetBackColor(), RGB(255, 255, 224));
    EXPECT_EQ(cell->GetMargin(), 4);
    EXPECT_EQ(cell->GetTextColor(), ColorDefault);  // not in the mask
    EXPECT_TRUE(cell->IsModified());

    // The state comes after the mark, through SetCellState: the selection follows it and a
    // state without the modified bit clears the mark just made.
    item.mask = ItemMaskState;
    item.state = CellStateSelected;
    EXPECT_TRUE(grid.ApplyItem(&item));
    EXPECT_EQ(grid.CellState(1, 2), CellStateSelected);
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(1, 2, 1, 2));

    item.row = 3;
    EXPECT_FALSE(grid.ApplyItem(&item));
    EXPECT_FALSE(grid.ApplyItem(nullptr));
    EXPECT_EQ(grid.CellText(3, 0), "");
    EXPECT_EQ(grid.CellText(-1, 0), "");
    EXPECT_FALSE(grid.SetCellText(0, 3, "x"));
    EXPECT_TRUE(grid.FormatCellText(0, 0, "%.2f m", 1.5));
    EXPECT_EQ(grid.CellText(0, 0), "1.50 m");
}

TEST(GridModelTest, MarkModifiedKeepsTheGridFlagTheCellMarksAndTheSortInStep)
{
    CGridCtrl grid;
    grid.SetNumRows(3);
    grid.SetNumColumns(3);
    struct Step
    {
        const char* name;
        BOOL modified;
        int row, col;
        int sortBefore;
        BOOL want;
        bool wantFlag, markA, markB;  // the flag and the marks of cells (1, 1) and (2, 2)
        int sortAfter;
    };
    const Step steps[] = {
        {"the grid's flag alone", FALSE, -1, -1, -1, FALSE, false, false, false, -1},
        {"a cell marks itself and the grid", TRUE, 1, 1, 2, TRUE, true, true, false, 2},
        {"another cell", TRUE, 2, 2, -1, TRUE, true, true, true, -1},
        {"marking the sort column forgets the sort", TRUE, 1, 1, 1, TRUE, true, true, true, -1},
        {"unmarking a cell of a marked grid: the flag", FALSE, 2, 2, -1, TRUE, true, true, false, -1},
        {"the whole grid forgets the sort", TRUE, -1, -1, 0, TRUE, true, true, false, -1},
        {"clearing the flag clears every mark", FALSE, -1, -1, -1, FALSE, false, false, false, -1},
        {"again marked", TRUE, 1, 1, -1, TRUE, true, true, false, -1},
        {"a row of -1 is the grid", TRUE, -1, 2, -1, TRUE, true, true, false, -1},
    };
    for (const Step& s : steps) {
        grid.SortColumn = s.sortBefore;
        EXPECT_EQ(grid.MarkModified(s.modified, s.row, s.col), s.want) << s.name;
        EXPECT_EQ(grid.Modified != FALSE, s.wantFlag) << s.name;
        EXPECT_EQ(grid.CellAt(1, 1)->IsModified() != 0, s.markA) << s.name;
        EXPECT_EQ(grid.CellAt(2, 2)->IsModified() != 0, s.markB) << s.name;
        EXPECT_EQ(grid.SortColumn, s.sortAfter) << s.name;
    }
    // Unmarking one cell while the grid's flag is clear clears every cell's mark, also marks
    // set straight on a cell.
    grid.MarkModified(FALSE, -1, -1);
    grid.Modified = FALSE;
    grid.CellAt(2, 2)->SetState(CellStateModified);
    grid.CellAt(0, 0)->SetState(CellStateModified);
    EXPECT_FALSE(grid.MarkModified(FALSE, 1, 1));
    EXPECT_FALSE(grid.CellAt(2, 2)->IsModified());
    EXPECT_FALSE(grid.CellAt(0, 0)->IsModified());
    grid.SetCellState(0, 1, CellStateModified);
    EXPECT_FALSE(grid.MarkModified(FALSE, 1, 1));
    EXPECT_FALSE(grid.CellAt(0, 1)->IsModified());
}

TEST_F(GridOwnerTest, SetCellTextCheckedLetsTheOwnerRefuseAndARefusalLeavesTheCellAsItWas)
{
    grid.SetNumRows(4);
    grid.SetNumColumns(3);
    grid.SetNumFixedRows(1);
    grid.SetCellText(1, 1, "0.500");
    grid.MarkModified(FALSE, -1, -1);

    // Accepted: the owner sees the new text at its end-edit, the cell is marked.
    grid.SetCellTextChecked(1, 1, "0.750");
    ASSERT_EQ(owner.heard.size(), 2u);
    EXPECT_EQ(owner.heard[0].code, GridNotifyBeginEdit);
    EXPECT_EQ(owner.heard[1].code, GridNotifyEndEdit);
    EXPECT_EQ(owner.heard[1].text, "0.750");
    EXPECT_EQ(grid.CellText(1, 1), "0.750");
    EXPECT_TRUE(grid.CellAt(1, 1)->IsModified());
    EXPECT_TRUE(grid.Modified);

    // Refused at the end: text, mark, grid flag and sort as they were.
    grid.MarkModified(FALSE, -1, -1);
    grid.SortColumn = 1;
    owner.heard.clear();
    owner.replies[GridNotifyEndEdit] = -1;
    grid.SetCellTextChecked(1, 1, "abc");
    EXPECT_EQ(owner.heard.size(), 2u);
    EXPECT_EQ(owner.heard.back().text, "abc");  // the owner saw the text it refused
    EXPECT_EQ(grid.CellText(1, 1), "0.750");
    EXPECT_FALSE(grid.CellAt(1, 1)->IsModified());
    EXPECT_FALSE(grid.Modified);
    EXPECT_EQ(grid.SortColumn, 1);
    // A mark the cell had stays.
    grid.MarkModified(TRUE, 2, 1);
    grid.SetCellTextChecked(2, 1, "abc");
    EXPECT_TRUE(grid.CellAt(2, 1)->IsModified());
    EXPECT_EQ(grid.CellText(2, 1), "");
    owner.replies.clear();

    // Refused before: nothing is sent further and nothing changes; the same goes for a
    // read-only cell, a grid that is not editable, an unchanged text and a cell refusing it.
    owner.heard.clear();
    owner.replies[GridNotifyBeginEdit] = -1;
    grid.SetCellTextChecked(1, 1, "1");
    EXPECT_EQ(owner.heard.size(), 1u);
    EXPECT_EQ(grid.CellText(1, 1), "0.750");
    owner.replies.clear();
    owner.heard.clear();
    grid.SetCellState(3, 1, CellStateReadOnly);
    grid.SetCellTextChecked(3, 1, "1");
    EXPECT_EQ(grid.CellText(3, 1), "");
    grid.Editable = FALSE;
    grid.SetCellTextChecked(1, 1, "1");
    grid.Editable = TRUE;
    EXPECT_TRUE(owner.heard.empty());
    grid.SetCellTextChecked(1, 1, "0.750");
    EXPECT_EQ(owner.heard.size(), 1u);  // asked, but no end-edit for the same text

    grid.CellClass = &RefusingCell::Runtime;
    grid.SetNumColumns(4);
    owner.heard.clear();
    grid.SetCellTextChecked(1, 3, "2");
    EXPECT_EQ(grid.CellText(1, 3), "");
    EXPECT_EQ(owner.heard.size(), 1u);  // the cell refused before the owner's end-edit
}

TEST(GridModelTest, RowsBeyondSixteenBitsHaveSelectionKeysOfTheirOwn)
{
    CGridCtrl grid;
    grid.SetNumRows(65540);
    grid.SetNumColumns(3);
    grid.SetNumFixedRows(1);
    grid.SetNumFixedColumns(1);
    grid.SetCellState(1, 2, CellStateSelected);
    grid.SetCellState(65537, 2, CellStateSelected);
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(1, 2, 65537, 2));
    EXPECT_TRUE(grid.IsCellSelected(65537, 2));
    grid.SetCellState(65537, 2, 0);
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(1, 2, 1, 2));
    EXPECT_TRUE(grid.IsCellSelected(1, 2));
    grid.SetSelectedRange(65536, 1, 65537, 1);
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(65536, 1, 65537, 1));
    EXPECT_FALSE(grid.IsCellSelected(1, 2));  // the new selection replaced the old
}

TEST(GridModelTest, SelectAllOverASeriesGridSelectsEveryRowAndClearingUnselectsThem)
{
    CGridCtrl grid;
    grid.SetNumRows(100001);
    grid.SetNumColumns(9);
    grid.SetNumFixedRows(1);
    grid.SetNumFixedColumns(1);
    grid.SelectAll();
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(1, 1, 100000, 8));
    for (const int row : {1, 34464, 34465, 65536, 65537, 100000}) {
        EXPECT_TRUE(grid.IsCellSelected(row, 1)) << row;
        EXPECT_TRUE(grid.IsCellSelected(row, 8)) << row;
    }
    EXPECT_FALSE(grid.IsCellSelected(0, 1));
    EXPECT_FALSE(grid.IsCellSelected(5, 0));
    grid.ClearSelection();
    EXPECT_FALSE(grid.AnyCellSelected());
    for (const int row : {1, 34464, 65537, 100000}) EXPECT_FALSE(grid.CellState(row, 3) & CellStateSelected) << row;
    // Unselecting a block leaves the rest.
    grid.SelectAll();
    grid.SetSelectedRange(1, 1, 99999, 8, FALSE, FALSE);
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(100000, 1, 100000, 8));
}

TEST(GridModelTest, SelectionByRowsCellsAndColumnsStartsAtTheAnchor)
{
    CGridCtrl grid;
    grid.SetNumRows(10);
    grid.SetNumColumns(6);
    grid.SetNumFixedRows(1);
    grid.SetNumFixedColumns(1);
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(10, 6, -1, -1));  // none: not valid
    grid.SetSelectionAnchor(CCellID(5, 3));
    struct Case
    {
        const char* name;
        int mouseMode;
        CCellID cell;
        CellRange want;
    };
    const Case cases[] = {
        {"cells: the block from the anchor", MouseModeSelectCells, {2, 4}, {2, 3, 5, 4}},
        {"rows: whole rows from the anchor", MouseModeSelectRows, {7, 2}, {5, 1, 7, 5}},
        {"columns: whole columns from the anchor", MouseModeSelectColumns, {3, 1}, {1, 1, 9, 3}},
        {"all", MouseModeSelectAll, {3, 1}, {1, 1, 9, 5}},
        {"a fixed cell selects no cells", MouseModeSelectCells, {0, 2}, {1, 1, 9, 5}},
    };
    for (const Case& c : cases) {
        grid.MouseMode = c.mouseMode;
        grid.ExtendSelection(c.cell);
        EXPECT_EQ(grid.GetSelectedRange(), c.want) << c.name;
    }
    grid.SingleRowSelection = grid.FullRowSelection = TRUE;
    grid.SelectRowsTo(FALSE, TRUE, 8, 1);
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(8, 1, 8, 5));
    grid.SelectionEnabled = FALSE;
    grid.SelectAll();
    EXPECT_FALSE(grid.IsCellSelected(8, 1));
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(8, 1, 8, 5));
}

TEST_F(GridOwnerTest, TheFocusCellLeavesTheFixedPartAndIsOneCell)
{
    grid.SetNumRows(6);
    grid.SetNumColumns(5);
    grid.SetNumFixedRows(2);
    grid.SetNumFixedColumns(1);
    EXPECT_EQ(grid.SetFocusCell(0, 0), CCellID());
    EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 1));
    EXPECT_TRUE(grid.CellAt(2, 1)->IsFocused());
    EXPECT_EQ(grid.SetFocusCell(4, 3), CCellID(2, 1));
    EXPECT_FALSE(grid.CellAt(2, 1)->IsFocused());
    EXPECT_TRUE(grid.CellAt(4, 3)->IsFocused());
    grid.SetFocusCell(-1, 4);  // no row: no cell
    EXPECT_EQ(grid.GetFocusCell(), CCellID(-1, 4));
    EXPECT_FALSE(grid.CellAt(4, 3)->IsFocused());
    grid.SetFocusCell(5, 4);
    grid.SetNumRows(5);  // the focus row goes with its row
    EXPECT_EQ(grid.GetFocusCell(), CCellID());
}

TEST_F(GridOwnerTest, NotificationsGoToTheOwnerWhoseReplyComesBack)
{
    grid.SetNumRows(3);
    grid.SetNumColumns(3);
    owner.replies[GridNotifyBeginEdit] = -7;
    EXPECT_EQ(grid.SendNotify(1, 2, GridNotifyBeginEdit), -7);
    ASSERT_EQ(owner.heard.size(), 1u);
    EXPECT_EQ(owner.heard[0].row, 1);
    EXPECT_EQ(owner.heard[0].col, 2);
    // Another owner takes them.
    OwnerDlg other;
    ASSERT_TRUE(other.Create(OwnerDialogId));
    grid.SetOwner(&other);
    EXPECT_EQ(grid.SendNotify(0, 0, NM_CLICK), 0);
    EXPECT_TRUE(other.Heard(NM_CLICK));
    EXPECT_EQ(owner.heard.size(), 1u);
    grid.SetOwner(nullptr);
    // A grid without a window tells no one.
    CGridCtrl lone;
    EXPECT_EQ(lone.SendNotify(0, 0, NM_CLICK), 0);
}

TEST_F(GridOwnerTest, InVirtualModeTheOwnerSuppliesEveryCell)
{
    grid.VirtualMode = TRUE;
    grid.SetNumRows(4);
    grid.SetNumColumns(3);
    grid.SetNumFixedRows(1);
    grid.SetSelectedRange(2, 1, 2, 2);
    grid.SetFocusCell(3, 1);

    // Through the notification.
    const CGridCellBase* cell = grid.CellAt(2, 1);
    EXPECT_STREQ(cell->GetText(), "v2,1");
    EXPECT_EQ(cell->GetState(), CellStateSelected);
    EXPECT_EQ(grid.CellAt(0, 2)->GetState(), CellStateFixed | CellStateFixedRow);
    EXPECT_EQ(grid.CellAt(3, 1)->GetState(), CellStateFocused);
    EXPECT_EQ(grid.CellText(1, 2), "v1,2");
    EXPECT_TRUE(grid.IsCellSelected(2, 2));
    EXPECT_FALSE(grid.SetCellText(1, 1, "x"));
    EXPECT_FALSE(grid.SetCellState(1, 1, CellStateReadOnly));

    // Through a callback, which wins over the notification.
    const int heardBefore = owner.dispInfos;
    grid.DataCallback = [](GridDisplayInfo* info, LPARAM param) {
        info->item.text = "cb" + std::to_string(param);
        info->item.textColor = RGB(255, 0, 0);
        return TRUE;
    };
    grid.DataCallbackParam = 9;
    EXPECT_EQ(grid.CellText(1, 1), "cb9");
    EXPECT_EQ(grid.CellAt(1, 1)->GetTextColor(), RGB(255, 0, 0));
    EXPECT_EQ(owner.dispInfos, heardBefore);

    // A paint reads the cells between two cache hints.
    owner.hints.clear();
    grid.Invalidate();
    Paint();
    ASSERT_EQ(owner.hints.size(), 2u);
    EXPECT_EQ(owner.hints[0], CellRange(1, 0, 3, 2));
    EXPECT_EQ(owner.hints[1], CellRange());
}

TEST_F(GridOwnerTest, AFontGivenToTheGridMeasuresItsDefaultCellsAndIsGivenBack)
{
    const int width = grid.GetDefaultCell(FALSE, FALSE)->GetWidth();
    CFont big;
    LOGFONT lf;
    lf.lfHeight = -20;
    std::strcpy(lf.lfFaceName, "Arial");
    big.CreateFontIndirect(&lf);
    grid.SendMessage(WM_SETFONT, WPARAM(big.GetSafeHandle()), TRUE);
    for (const BOOL fixedRow : {FALSE, TRUE}) {
        for (const BOOL fixedCol : {FALSE, TRUE}) {
            EXPECT_EQ(grid.GetDefaultCell(fixedRow, fixedCol)->GetFont()->lfHeight, -20);
            EXPECT_GT(grid.GetDefaultCell(fixedRow, fixedCol)->GetWidth(), width);
        }
    }
    auto* given = CFont::FromHandle(reinterpret_cast<HFONT>(grid.SendMessage(WM_GETFONT)));
    EXPECT_EQ(given, grid.GetDefaultCell(FALSE, FALSE)->GetFontObject());
    EXPECT_EQ(given->m_logFont.lfHeight, -20);
}

TEST_F(GridOwnerTest, ATextColourChangesWithoutARepaintAndACellInvalidatesItsOwnPixels)
{
    grid.SetNumRows(3);
    grid.SetNumColumns(3);
    Sizes(20, 50);
    Paint();
    ASSERT_TRUE(NothingToPaint());
    EXPECT_TRUE(grid.SetCellTextColor(1, 1, RGB(255, 0, 0)));
    EXPECT_EQ(grid.CellAt(1, 1)->GetTextColor(), RGB(255, 0, 0));
    EXPECT_TRUE(NothingToPaint());
    EXPECT_TRUE(grid.InvalidateCell(1, 1));
    EXPECT_EQ(grid.Surface()->invalid, QRegion(50, 20, 50, 20));  // its grid lines included
    EXPECT_FALSE(grid.InvalidateCell(3, 1));
    grid.AllowDraw = FALSE;
    Paint();
    EXPECT_FALSE(grid.InvalidateCell(1, 1));
    EXPECT_FALSE(grid.RedrawCell(1, 1));
}
