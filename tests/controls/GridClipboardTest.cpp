// The grid's clipboard: the text a copy gives, a table of pastes (separators, LF and CR LF
// lines, trailing separators, blank lines, past the end, hidden rows, read-only cells), the
// round trip of Windows-1252 characters through the system clipboard, and the keys.
#include "GridTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <memory>
#include <string>

using namespace gridtest;

namespace {

class GridClipboardTest : public GridFixture
{
protected:
    // 6 x 5 with one fixed row and column; every ordinary cell "x".
    void SetUp() override
    {
        GridFixture::SetUp();
        grid.SetNumRows(6);
        grid.SetNumColumns(5);
        grid.SetNumFixedRows(1);
        grid.SetNumFixedColumns(1);
        Sizes(20, 50);
        Reset();
    }
    void Reset()
    {
        grid.ClearSelection();
        for (int r = 1; r < 6; ++r) {
            for (int c = 1; c < 5; ++c) grid.SetCellText(r, c, "x");
        }
    }
    // The ordinary cells, rows joined by "/", cells by "|".
    std::string Cells() const
    {
        std::string all;
        for (int r = 1; r < 6; ++r) {
            if (r > 1) all += "/";
            for (int c = 1; c < 5; ++c) all += (c > 1 ? "|" : "") + grid.CellText(r, c);
        }
        return all;
    }
    BOOL Paste(int row, int col, const std::string& text)
    {
        COleDataObject data;
        data.AttachText(text);
        return grid.PasteText(row, col, &data, TRUE);
    }
    std::string Copied()
    {
        const auto source = grid.CopySelection();
        return source ? source->Text() : std::string("<null>");
    }
};

struct PasteCase {
    const char* name;
    CCellID start;
    std::string text;
    std::string expected;
};

}  // namespace

TEST_F(GridClipboardTest, ThePasteTable)
{
    const std::string x = "x|x|x|x";
    const PasteCase cases[] = {
        {"tabs and commas separate alike", {1, 1}, "1,2\t3", "1|2|3|x/" + x + "/" + x + "/" + x + "/" + x},
        {"fields are trimmed", {1, 1}, "  a \t b  ", "a|b|x|x/" + x + "/" + x + "/" + x + "/" + x},
        {"LF lines, the empty last one pasting nothing",
         {1, 1},
         "a\tb\nc\td\n",
         "a|b|x|x/c|d|x|x/" + x + "/" + x + "/" + x},
        {"their CR LF twin", {1, 1}, "a\tb\r\nc\td\r\n", "a|b|x|x/c|d|x|x/" + x + "/" + x + "/" + x},
        {"a trailing separator clears the next cell (LF)", {1, 1}, "a\t\nb", "a||x|x/b|x|x|x/" + x + "/" + x + "/" + x},
        {"a trailing separator clears the next cell (CR LF)",
         {1, 1},
         "a\t\r\nb",
         "a||x|x/b|x|x|x/" + x + "/" + x + "/" + x},
        {"a trailing separator on the last line clears nothing",
         {1, 1},
         "a\t",
         "a|x|x|x/" + x + "/" + x + "/" + x + "/" + x},
        {"a blank line clears its first cell (LF)", {1, 1}, "a\n\nb", "a|x|x|x/|x|x|x/b|x|x|x/" + x + "/" + x},
        {"a blank line clears its first cell (CR LF)", {1, 1}, "a\r\n\r\nb", "a|x|x|x/|x|x|x/b|x|x|x/" + x + "/" + x},
        {"an empty field between separators clears", {1, 1}, "a,,b", "a||b|x/" + x + "/" + x + "/" + x + "/" + x},
        {"past the last row and column",
         {4, 3},
         "1\t2\t3\n4\t5\t6\n7\t8\t9",
         x + "/" + x + "/" + x + "/x|x|1|2/x|x|4|5"},
        {"a NUL ends the text", {1, 1}, std::string("a\tb\0c", 5), "a|b|x|x/" + x + "/" + x + "/" + x + "/" + x},
    };
    for (const PasteCase& test : cases) {
        Reset();
        EXPECT_TRUE(Paste(test.start.row, test.start.col, test.text)) << test.name;
        EXPECT_EQ(Cells(), test.expected) << test.name;
    }
}

TEST_F(GridClipboardTest, HiddenRowsShiftThePasteAndHiddenColumnsArePassedOver)
{
    grid.SetRowHeight(2, 0);
    grid.SetColumnWidth(2, 0);
    EXPECT_TRUE(Paste(1, 1, "a\tb\nc\td\n"));
    EXPECT_EQ(Cells(), "a|x|b|x/x|x|x|x/c|x|d|x/x|x|x|x/x|x|x|x");
    // The pasted block is selected, the hidden parts included.
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(1, 1, 3, 3));
}

TEST_F(GridClipboardTest, ReadOnlyCellsAreSkippedAndAReadOnlyStartPastesNothing)
{
    grid.SetCellState(1, 2, grid.CellState(1, 2) | CellStateReadOnly);
    EXPECT_TRUE(Paste(1, 1, "a\tb\tc"));
    EXPECT_EQ(grid.CellText(1, 1), "a");
    EXPECT_EQ(grid.CellText(1, 2), "x");
    EXPECT_EQ(grid.CellText(1, 3), "c");
    EXPECT_FALSE(Paste(1, 2, "q"));
    EXPECT_EQ(grid.CellText(1, 2), "x");
    grid.Editable = FALSE;
    EXPECT_FALSE(Paste(2, 1, "q"));
    EXPECT_EQ(grid.CellText(2, 1), "x");
}

TEST_F(GridClipboardTest, TheOwnerSeesEveryPastedCellAndMayRefuseIt)
{
    owner.onEndEdit = [this](int row, int col) { return grid.CellText(row, col) == "bad" ? LRESULT(-1) : LRESULT(0); };
    owner.heard.clear();
    EXPECT_TRUE(Paste(1, 1, "1\tbad\t3"));
    EXPECT_EQ(Cells().substr(0, 7), "1|x|3|x");
    int ends = 0;
    for (const auto& h : owner.heard) ends += h.code == GridNotifyEndEdit ? 1 : 0;
    EXPECT_EQ(ends, 3);
}

TEST_F(GridClipboardTest, CopyGivesFieldsBetweenTabsAndRowsBetweenLineBreaks)
{
    const char* texts[2][3] = {{"a", "b", "c"}, {"d", "e", "f"}};
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 3; ++c) grid.SetCellText(r + 1, c + 1, texts[r][c]);
    }
    EXPECT_EQ(Copied(), "<null>");  // nothing selected
    grid.SetSelectedRange(1, 1, 2, 3);
    EXPECT_EQ(Copied(), "a\tb\tc\r\nd\te\tf");
    grid.SetColumnWidth(2, 0);
    EXPECT_EQ(Copied(), "a\tc\r\nd\tf");
    grid.SetColumnWidth(2, 50);
    grid.SetRowHeight(2, 0);
    EXPECT_EQ(Copied(), "a\tb\tc");
    grid.SetRowHeight(2, 20);
    // A cell inside the range but not selected copies as an empty field.
    grid.SetCellState(1, 2, grid.CellState(1, 2) & ~CellStateSelected);
    EXPECT_EQ(Copied(), "a\t\tc\r\nd\te\tf");
}

TEST_F(GridClipboardTest, DegreesAndSquaresRoundTripThroughTheClipboard)
{
    grid.SetCellText(1, 1,
                     "12 \xB0"
                     "C");
    grid.SetCellText(1, 2, "m\xB2");
    grid.SetSelectedRange(1, 1, 1, 2);
    grid.SetFocusCell(1, 1);
    grid.OnEditCopy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("12 \u00B0C\tm\u00B2"));
    EXPECT_TRUE(ClipboardHasText());
    grid.SetSelectedRange(3, 3, 3, 3);
    grid.OnEditPaste();
    EXPECT_EQ(grid.CellText(3, 3), "12 \xB0"
                                   "C");
    EXPECT_EQ(grid.CellText(3, 4), "m\xB2");
}

TEST_F(GridClipboardTest, CopiedCellsStayOnTheClipboardWhenTheirGridIsGone)
{
    auto other = std::make_unique<OwnerDlg>();
    ASSERT_TRUE(other->Create(OwnerDialogId));
    other->grid.SetNumRows(2);
    other->grid.SetNumColumns(2);
    other->grid.SetCellText(1, 0, "left");
    other->grid.SetCellText(1, 1, "12 \xB0" "C");
    other->grid.SetSelectedRange(1, 0, 1, 1);
    other->grid.OnEditCopy();
    other.reset();
    ProcessEvents();
    EXPECT_TRUE(ClipboardHasText());
    COleDataObject data;
    data.AttachClipboard();
    std::string text;
    ASSERT_TRUE(data.GetText(&text));
    EXPECT_EQ(text, "left\t12 \xB0" "C");
    // And it pastes into the grid that remains.
    grid.SetSelectedRange(2, 1, 2, 1);
    grid.OnEditPaste();
    EXPECT_EQ(grid.CellText(2, 1), "left");
    EXPECT_EQ(grid.CellText(2, 2), "12 \xB0" "C");
}

TEST_F(GridClipboardTest, TheKeysCopyPasteAndSelectAllButCtrlXCutsNothing)
{
    grid.SetFocus();
    grid.SetFocusCell(1, 1);
    grid.SetCellText(1, 1, "k");
    grid.SetSelectedRange(1, 1, 1, 1);
    QTest::keyClick(grid.GetWidget(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "k");
    QTest::keyClick(grid.GetWidget(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(grid.CellText(1, 1), "k");
    QGuiApplication::clipboard()->setText("p\tq");
    grid.SetFocusCell(2, 1);
    grid.ClearSelection();
    grid.SetFocusCell(2, 1);
    QTest::keyClick(grid.GetWidget(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(grid.CellText(2, 1), "p");
    EXPECT_EQ(grid.CellText(2, 2), "q");
    QGuiApplication::clipboard()->setText("s");
    grid.ClearSelection();
    grid.SetFocusCell(3, 1);
    QTest::keyClick(grid.GetWidget(), Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(grid.CellText(3, 1), "s");
    QTest::keyClick(grid.GetWidget(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(1, 1, 5, 4));
}

TEST_F(GridClipboardTest, PasteGoesIntoAnOpenEditor)
{
    grid.SetFocus();
    grid.SetFocusCell(2, 2);
    grid.SendMessage(WM_KEYDOWN, VK_F2, 1);
    ProcessEvents();
    auto* editor = dynamic_cast<CInPlaceEdit*>(CWnd::GetFocus());
    ASSERT_NE(editor, nullptr);
    QGuiApplication::clipboard()->setText("7\t8");
    grid.OnEditPaste();
    EXPECT_EQ(editor->GetWindowText(), "x7\t8");
    EXPECT_EQ(grid.CellText(2, 3), "x");
    QTest::keyClick(editor->GetWidget(), Qt::Key_Escape);
    ProcessEvents();
    EXPECT_EQ(grid.CellText(2, 2), "x");
}
