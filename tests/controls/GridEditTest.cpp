// The grid's keyboard and edit cycle, driven by keys as a user types them: moves over hidden
// rows and columns, selection with Shift, the editor's first key, how an edit ends, the
// owner's refusal and rewriting, and editing on after Tab and the arrows.
#include "GridTestSupport.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <string>

using namespace gridtest;

namespace {

class GridEditTest : public GridFixture
{
protected:
    // rows x cols with one fixed row and column, cell (r, c) holding "r,c".
    void Fill(int rows, int cols)
    {
        grid.SetNumRows(rows);
        grid.SetNumColumns(cols);
        grid.SetNumFixedRows(1);
        grid.SetNumFixedColumns(1);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) grid.SetCellText(r, c, std::to_string(r) + "," + std::to_string(c));
        }
        Sizes(20, 50);
        grid.MarkModified(FALSE, -1, -1);
        grid.SetFocus();
        ProcessEvents();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : grid.GetWidget();
        QTest::keyClick(target, Qt::Key(key), modifiers);
        ProcessEvents();
    }
    // Types text into whatever has the focus, one key per character.
    void Type(const std::string& text)
    {
        for (const char c : text) {
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : grid.GetWidget();
            QTest::keyClick(target, c);
            ProcessEvents();
        }
    }
    CInPlaceEdit* Editor() const { return dynamic_cast<CInPlaceEdit*>(CWnd::GetFocus()); }
    std::string EditorText() const { return Editor() ? Editor()->GetWindowText() : std::string("<no editor>"); }
    int EndEdits() const
    {
        int n = 0;
        for (const auto& h : owner.heard) n += h.code == GridNotifyEndEdit ? 1 : 0;
        return n;
    }
};

struct MoveCase {
    const char* name;
    CCellID start;
    int key;
    Qt::KeyboardModifiers modifiers;
    CCellID expected;
};

}  // namespace

// A 9 x 6 grid: row 3 and column 2 hidden, and rows 7 and 8 (the last two) hidden.
TEST_F(GridEditTest, KeysMoveTheFocusOverVisibleCellsOnly)
{
    const MoveCase cases[] = {
        {"down over a hidden row", {2, 1}, Qt::Key_Down, Qt::NoModifier, {4, 1}},
        {"up over a hidden row", {4, 1}, Qt::Key_Up, Qt::NoModifier, {2, 1}},
        {"up at the first row", {1, 1}, Qt::Key_Up, Qt::NoModifier, {1, 1}},
        {"right over a hidden column", {1, 1}, Qt::Key_Right, Qt::NoModifier, {1, 3}},
        {"left over a hidden column", {1, 3}, Qt::Key_Left, Qt::NoModifier, {1, 1}},
        {"left at the first column", {1, 1}, Qt::Key_Left, Qt::NoModifier, {1, 1}},
        {"down above trailing hidden rows", {6, 1}, Qt::Key_Down, Qt::NoModifier, {6, 1}},
        {"tab within a row", {1, 1}, Qt::Key_Tab, Qt::NoModifier, {1, 3}},
        {"tab at the row's end", {2, 5}, Qt::Key_Tab, Qt::NoModifier, {4, 1}},
        {"tab above trailing hidden rows", {6, 5}, Qt::Key_Tab, Qt::NoModifier, {6, 5}},
        {"shift+tab at the row's start", {4, 1}, Qt::Key_Backtab, Qt::ShiftModifier, {2, 5}},
        {"shift+tab at the first cell", {1, 1}, Qt::Key_Backtab, Qt::ShiftModifier, {1, 1}},
        {"ctrl+end", {1, 1}, Qt::Key_End, Qt::ControlModifier, {6, 5}},
        {"ctrl+home", {6, 5}, Qt::Key_Home, Qt::ControlModifier, {1, 1}},
        {"end", {4, 1}, Qt::Key_End, Qt::NoModifier, {4, 5}},
        {"page down to the end", {1, 1}, Qt::Key_PageDown, Qt::NoModifier, {6, 1}},
        {"page up to the start", {6, 1}, Qt::Key_PageUp, Qt::NoModifier, {1, 1}},
    };
    Fill(9, 6);
    for (const MoveCase& test : cases) {
        grid.SetRowHeight(3, 0);
        grid.SetRowHeight(7, 0);
        grid.SetRowHeight(8, 0);
        grid.SetColumnWidth(2, 0);
        grid.UpdateScrollBars();
        grid.SetFocusCell(test.start.row, test.start.col);
        grid.SetFocus();
        Key(test.key, test.modifiers);
        EXPECT_EQ(grid.GetFocusCell(), test.expected) << test.name;
        EXPECT_GT(grid.RowHeight(grid.GetFocusCell().row), 0) << test.name;
        EXPECT_GT(grid.ColumnWidth(grid.GetFocusCell().col), 0) << test.name;
    }
}

TEST_F(GridEditTest, PageDownMovesByTheRowsTheViewMoved)
{
    Fill(60, 4);
    grid.SetFocusCell(1, 1);
    Key(Qt::Key_PageDown);
    const int top = grid.TopLeftScrollableCell().row;
    ASSERT_GT(top, 1);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(top, 1));
    Key(Qt::Key_PageUp);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 1));
    // At the end the view cannot move: the last row.
    Key(Qt::Key_End, Qt::ControlModifier);
    grid.SetFocusCell(50, 1);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(59, 1));
}

TEST_F(GridEditTest, ShiftExtendsTheSelectionFromTheAnchorAndAMoveWithoutItSelectsOneCell)
{
    Fill(8, 5);
    grid.SetFocusCell(2, 2);
    Key(Qt::Key_Right);
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(2, 3, 2, 3));
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(2, 2, 4, 3));
    EXPECT_EQ(grid.GetFocusCell(), CCellID(4, 2));
    Key(Qt::Key_Up);
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(3, 2, 3, 2));
    EXPECT_TRUE(owner.Heard(GridNotifySelChanging));
    EXPECT_TRUE(owner.Heard(GridNotifySelChanged));
}

TEST_F(GridEditTest, DeleteClearsTheSelectedCellsThroughTheOwner)
{
    Fill(6, 4);
    grid.SetCellState(3, 2, grid.CellState(3, 2) | CellStateReadOnly);
    grid.SetSelectedRange(2, 1, 3, 2);
    grid.SetFocusCell(2, 1);
    owner.heard.clear();
    Key(Qt::Key_Delete);
    EXPECT_EQ(grid.CellText(2, 1), "");
    EXPECT_EQ(grid.CellText(3, 1), "");
    EXPECT_EQ(grid.CellText(3, 2), "3,2");  // read-only
    EXPECT_EQ(grid.CellText(1, 1), "1,1");
    EXPECT_EQ(EndEdits(), 3);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 1));
}

// What the first key of an edit leaves in the editor of a cell holding 12.5.
TEST_F(GridEditTest, TheFirstKeyTable)
{
    struct FirstKey {
        const char* name;
        int key;
        QString text;
        std::string expected;
        bool allSelected;
    };
    const FirstKey cases[] = {
        {"a digit replaces the text", Qt::Key_7, "7", "7", false},
        {"an opening parenthesis replaces it too", Qt::Key_ParenLeft, "(", "(", false},
        {"an exclamation mark", Qt::Key_Exclam, "!", "!", false},
        {"space selects it all", Qt::Key_Space, " ", "12.5", true},
        {"backspace takes the last character", Qt::Key_Backspace, "\b", "12.", false},
        // (On a dialog Enter is the dialog's: the grid gets it outside dialogs only.)
        {"enter puts the caret at the end", 0, "", "12.5", false},
        {"F2 as well", Qt::Key_F2, "", "12.5", false},
        {"a character above 127", Qt::Key_Eacute, QString(QChar(0xE9)), "\xE9", false},
    };
    Fill(5, 4);
    for (const FirstKey& test : cases) {
        grid.SetCellText(2, 2, "12.5");
        grid.SetFocusCell(2, 2);
        grid.SetFocus();
        ProcessEvents();
        if (test.key == 0) {
            grid.SendMessage(WM_CHAR, VK_RETURN, 1);
        } else {
            QKeyEvent press(QEvent::KeyPress, test.key, Qt::NoModifier, test.text);
            QCoreApplication::sendEvent(grid.GetWidget(), &press);
        }
        ProcessEvents();
        ASSERT_NE(Editor(), nullptr) << test.name;
        EXPECT_EQ(EditorText(), test.expected) << test.name;
        auto* line = qobject_cast<QLineEdit*>(Editor()->GetWidget());
        EXPECT_EQ(line->hasSelectedText() && line->selectedText() == line->text(), test.allSelected) << test.name;
        if (!test.allSelected) {
            EXPECT_EQ(line->cursorPosition(), line->text().size()) << test.name;
        }
        Key(Qt::Key_Escape);
        EXPECT_EQ(Editor(), nullptr) << test.name;
        EXPECT_EQ(grid.CellText(2, 2), "12.5") << test.name;
    }
}

TEST_F(GridEditTest, EnterCommitsAndEscRestoresWithoutANotification)
{
    Fill(5, 4);
    grid.SetFocusCell(2, 2);
    owner.heard.clear();
    Type("42");
    EXPECT_EQ(EditorText(), "42");
    Key(Qt::Key_Escape);
    EXPECT_EQ(grid.CellText(2, 2), "2,2");
    EXPECT_EQ(EndEdits(), 0);
    EXPECT_FALSE(grid.CellState(2, 2) & CellStateModified);
    // Esc ended only the edit: the dialog is still open.
    EXPECT_TRUE(owner.GetWidget()->isVisible());

    Type("42");
    Key(Qt::Key_Return);
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_EQ(grid.CellText(2, 2), "42");
    ASSERT_EQ(EndEdits(), 1);
    EXPECT_EQ(owner.heard.back().text, "42");
    EXPECT_TRUE(grid.CellState(2, 2) & CellStateModified);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 2));  // Enter stays
    EXPECT_TRUE(owner.GetWidget()->isVisible());
    EXPECT_EQ(CWnd::GetFocus(), &grid);
}

TEST_F(GridEditTest, TheOwnersRefusalKeepsTheOldTextAndMark)
{
    Fill(5, 4);
    owner.onEndEdit = [](int, int) { return LRESULT(-1); };
    grid.SetFocusCell(2, 2);
    Type("9");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid.CellText(2, 2), "2,2");
    EXPECT_FALSE(grid.CellState(2, 2) & CellStateModified);
    EXPECT_FALSE(grid.Modified);

    // An owner that rewrites the text keeps what it wrote.
    owner.onEndEdit = [this](int row, int col) {
        grid.SetCellText(row, col, "0.00");
        return LRESULT(0);
    };
    Type("0");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid.CellText(2, 2), "0.00");
    EXPECT_TRUE(grid.CellState(2, 2) & CellStateModified);
}

TEST_F(GridEditTest, ReadOnlyCellsAndARefusedBeginShowNoEditor)
{
    Fill(5, 4);
    grid.SetCellState(2, 2, grid.CellState(2, 2) | CellStateReadOnly);
    grid.SetFocusCell(2, 2);
    Type("5");
    EXPECT_EQ(Editor(), nullptr);
    grid.SetFocusCell(2, 3);
    owner.replies[GridNotifyBeginEdit] = -1;
    Type("5");
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_EQ(grid.CellText(2, 3), "2,3");
}

TEST_F(GridEditTest, TabAndArrowsEditOnWhileF2EditsMoveTheCaret)
{
    Fill(4, 4);
    // Typed edits end on Down, which edits the cell below with its text selected.
    grid.SetFocusCell(1, 3);
    Type("5");
    Key(Qt::Key_Down);
    EXPECT_EQ(grid.CellText(1, 3), "5");
    EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 3));
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(EditorText(), "2,3");
    EXPECT_EQ(qobject_cast<QLineEdit*>(Editor()->GetWidget())->selectedText(), "2,3");
    // Tab at the row's last cell: the next row's first cell.
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(3, 1));
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(EditorText(), "3,1");
    // Down at the last row edits the same cell again.
    Key(Qt::Key_Down);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(3, 1));
    ASSERT_NE(Editor(), nullptr);
    Key(Qt::Key_Escape);

    // Begun by F2, Left and Right move the caret; with Ctrl they end the edit.
    Key(Qt::Key_F2);
    ASSERT_NE(Editor(), nullptr);
    auto* line = qobject_cast<QLineEdit*>(Editor()->GetWidget());
    Key(Qt::Key_Left);
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(line->cursorPosition(), 2);
    Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(3, 2));
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(EditorText(), "3,2");
    Key(Qt::Key_Escape);
}

TEST_F(GridEditTest, TypingWidensTheEditorUpToTheGridsEdge)
{
    Fill(4, 4);
    grid.SetFocusCell(1, 1);
    Type("1");
    ASSERT_NE(Editor(), nullptr);
    CRect before;
    Editor()->GetWindowRect(&before);
    Type("234567890123");
    CRect after;
    Editor()->GetWindowRect(&after);
    EXPECT_GT(after.Width(), before.Width());
    EXPECT_EQ(after.left, before.left);
    Type("12345678901234567890123456789012345678901234567890");
    Editor()->GetWindowRect(&after);
    CRect client;
    grid.GetWindowRect(&client);
    EXPECT_LE(after.right, client.right);
    Key(Qt::Key_Backspace);
    CRect shorter;
    Editor()->GetWindowRect(&shorter);
    EXPECT_EQ(shorter.Width(), after.Width());  // never narrower
    Key(Qt::Key_Return);
}

TEST_F(GridEditTest, ScrollingOrFinishingCommitsTheOpenEdit)
{
    Fill(60, 4);
    grid.SetFocusCell(1, 1);
    Type("77");
    grid.SendMessage(WM_VSCROLL, SB_LINEDOWN);
    ProcessEvents();
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_EQ(grid.CellText(1, 1), "77");
    ASSERT_EQ(EndEdits(), 1);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 1));
}
