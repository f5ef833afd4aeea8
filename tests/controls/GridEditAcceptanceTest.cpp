// The grid as a series editor uses it, on the host dialog's 100,001 rows with an owner that
// answers edits as the editors do: edits by keys and mouse as a user makes them, and a
// spreadsheet's block pasted over every row and copied back. Every cell that changed must
// have gone through the owner's end-edit handler with the text it ends with.
#include "GridHostDialog.h"
#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QTest>

#include <string>
#include <vector>

using namespace gridhost;

namespace {

constexpr int LastRow = SeriesEntries;  // the last entry's row
constexpr int LastColumn = HostColumns - 1;

class GridEditAcceptanceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dialog.Create(HostDialogId));
        ASSERT_TRUE(dialog.Filled);
        grid.MarkModified(FALSE, -1, -1);
        grid.SetFocus();
        ProcessEvents();
    }

    QWidget* Client() const { return grid.GetClientWidget(); }
    QWidget* FocusTarget() const
    {
        QWidget* focus = QApplication::focusWidget();
        return focus ? focus : grid.GetWidget();
    }
    // The centre of a cell where it shows now.
    QPoint Centre(int row, int col) const
    {
        CRect rect;
        EXPECT_TRUE(grid.GetCellRect(row, col, &rect)) << row << "," << col;
        return QPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    }
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
    void MoveHeld(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent move(QEvent::MouseMove, at, Client()->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(Client(), &move);
        ProcessEvents();
    }
    void Click(int row, int col)
    {
        const QPoint at = Centre(row, col);
        Press(at);
        Release(at);
    }
    // As Qt delivers a double-click: press, release, press, double-click, release.
    void DoubleClick(int row, int col)
    {
        const QPoint at = Centre(row, col);
        Click(row, col);
        Press(at);
        QMouseEvent twice(QEvent::MouseButtonDblClick, at, Client()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Client(), &twice);
        ProcessEvents();
        Release(at);
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(FocusTarget(), Qt::Key(key), modifiers);
        ProcessEvents();
    }
    // Types text into whatever has the focus, one key per character.
    void Type(const std::string& text)
    {
        for (const char c : text) {
            QTest::keyClick(FocusTarget(), c);
            ProcessEvents();
        }
    }
    CInPlaceEdit* Editor() const { return dynamic_cast<CInPlaceEdit*>(CWnd::GetFocus()); }
    std::string EditorText() const { return Editor() ? Editor()->GetWindowText() : std::string("<no editor>"); }

    // Every cell whose text is not the one it was filled with went through the owner's
    // handler and ends with the text the handler left; returns how many changed.
    int ExpectChangedCellsPassedTheOwner()
    {
        int changed = 0;
        int reported = 0;
        for (int row = 1; row < grid.RowCount(); ++row) {
            for (int col = 1; col < grid.ColumnCount(); ++col) {
                const std::string text = grid.CellText(row, col);
                if (text == SeriesText(row, col)) continue;
                ++changed;
                if (dialog.PassedText(row, col) != text && reported++ < 10)
                    ADD_FAILURE() << "(" << row << "," << col << ") shows \"" << text << "\" but the owner left \""
                                  << dialog.PassedText(row, col) << "\"";
            }
        }
        return changed;
    }

    void PasteAndCopyBack(const char* lineEnd);

    CEditorHostDlg dialog;
    CGridCtrl& grid = dialog.Grid;
};

// One field of the spreadsheet's block for entry row, column col: numbers in a spreadsheet's
// forms (integers, negatives, more or fewer decimals, blanks round some), empty cells, and now
// and then a value the editors refuse.
std::string SpreadsheetField(int row, int col)
{
    if ((row + col) % 11 == 0) return "";
    if ((row * 7 + col) % 101 == 0) return "7e3";
    char text[32];
    if (col == TimeColumn) std::snprintf(text, sizeof text, "%g", row * 0.5);
    else if (row % 3 == 0) std::snprintf(text, sizeof text, " %d ", (row * 37 + col * 11) % 2000 - 1000);
    else std::snprintf(text, sizeof text, "%g", ((row * 37 + col * 11) % 2000 - 1000) / 8.0);
    return text;
}

// The entry whose line in the block is empty (it clears the line's first cell only).
constexpr int EmptyLineRow = 50000;

// The block over every entry's value columns, lines ended by lineEnd (the last one too).
std::string SpreadsheetBlock(const char* lineEnd)
{
    std::string block;
    for (int row = 1; row <= LastRow; ++row) {
        if (row != EmptyLineRow) {
            for (int col = 1; col <= LastColumn; ++col) {
                if (col > 1) block += '\t';
                block += SpreadsheetField(row, col);
            }
        }
        block += lineEnd;
    }
    return block;
}

// What the grid shows after the paste: the editors' text of each pasted field, the old text
// where they refuse one, and after the empty line only its first cell cleared.
std::string ExpectedCell(int row, int col)
{
    if (row == EmptyLineRow && col > 1) return SeriesText(row, col);
    const std::string field = row == EmptyLineRow ? "" : SpreadsheetField(row, col);
    const std::size_t first = field.find_first_not_of(' ');
    const std::string trimmed = first == std::string::npos ? "" : field.substr(first, field.find_last_not_of(' ') - first + 1);
    std::string shown;
    return EditorsText(col, trimmed, &shown) ? shown : SeriesText(row, col);
}

// The first line where two texts of CR LF lines differ, shown for a failure.
std::string FirstDifference(const std::string& got, const std::string& expected)
{
    std::size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
    const std::size_t lineStart = got.rfind('\n', at) == std::string::npos ? 0 : got.rfind('\n', at) + 1;
    const auto line = [&](const std::string& text) {
        const std::size_t end = text.find('\r', lineStart);
        return lineStart >= text.size() ? std::string("<end>") : text.substr(lineStart, end - lineStart);
    };
    return "at byte " + std::to_string(at) + ": got \"" + line(got) + "\", expected \"" + line(expected) + "\"";
}

}  // namespace

TEST_F(GridEditAcceptanceTest, KeysAndTheMouseEditAsTheUserMeansThroughTheOwner)
{
    // A click, then typing: the first key replaces the text; Tab ends the edit and goes on
    // editing the next cell with its text selected, which typing replaces; Enter ends it.
    Click(2, 1);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 1));
    Type("12.5");
    EXPECT_EQ(EditorText(), "12.5");
    Key(Qt::Key_Tab);
    EXPECT_EQ(grid.CellText(2, 1), "12.50");
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->Column(), 2);
    Type("-3");
    Key(Qt::Key_Return);
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_EQ(grid.CellText(2, 2), "-3.0000");
    EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 2));

    // F2 edits with the caret at the end: Backspace takes the last digits off.
    Key(Qt::Key_F2);
    EXPECT_EQ(EditorText(), "-3.0000");
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    Type("7");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid.CellText(2, 2), "-3.0070");

    // A refused text: the old text and its unmodified mark come back, in black.
    Click(3, 3);
    const std::string before = grid.CellText(3, 3);
    Type("1x");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid.CellText(3, 3), before);
    EXPECT_FALSE(grid.CellState(3, 3) & CellStateModified);
    EXPECT_NE(grid.CellAt(3, 3)->GetTextColor(), EditedRed);
    // Esc ends an edit without a word to the owner.
    const int heard = dialog.EndEdits;
    Type("5");
    Key(Qt::Key_Escape);
    EXPECT_EQ(dialog.EndEdits, heard);
    EXPECT_EQ(grid.CellText(3, 3), before);

    // A Shift-drag selects the block from the clicked cell; Delete empties it through the
    // owner, which shows each as 0.
    Click(5, 3);
    Press(Centre(6, 4), Qt::ShiftModifier);
    MoveHeld(Centre(8, 5), Qt::ShiftModifier);
    Release(Centre(8, 5), Qt::ShiftModifier);
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(5, 3, 8, 5));
    Key(Qt::Key_Delete);
    for (int row = 5; row <= 8; ++row) {
        for (int col = 3; col <= 5; ++col) {
            EXPECT_EQ(grid.CellText(row, col), "0.0000") << row << "," << col;
            EXPECT_EQ(grid.CellAt(row, col)->GetTextColor(), EditedRed) << row << "," << col;
        }
    }
    EXPECT_EQ(grid.CellText(9, 3), SeriesText(9, 3));

    // A double-click edits with the caret at the end.
    DoubleClick(10, 2);
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->Row(), 10);
    for (std::size_t i = 0; i < grid.CellText(10, 2).size(); ++i) Key(Qt::Key_Backspace);
    Type("250");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid.CellText(10, 2), "250.0000");

    // Ctrl+End goes to the last entry's last column, scrolled into view, and typing edits it.
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(LastRow, LastColumn));
    EXPECT_TRUE(grid.IsCellVisible(LastRow, LastColumn));
    Type("99");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid.CellText(LastRow, LastColumn), "99.0000");
    EXPECT_EQ(grid.CellAt(LastRow, LastColumn)->GetTextColor(), EditedRed);

    // 2 typed cells, 12 deleted, 1 double-clicked, the last: nothing else changed.
    EXPECT_EQ(ExpectChangedCellsPassedTheOwner(), 2 + 12 + 1 + 1);
}

// The block pasted by Ctrl+V at the first entry's time, checked cell by cell, then Select All
// and Copy by keys, which must give the editors' texts back.
void GridEditAcceptanceTest::PasteAndCopyBack(const char* lineEnd)
{
    QGuiApplication::clipboard()->setText(QString::fromLatin1(SpreadsheetBlock(lineEnd)));
    ProcessEvents();
    Click(1, 1);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(grid.GetSelectedRange(), CellRange(1, 1, LastRow, LastColumn));

    std::vector<std::string> expected;
    expected.reserve(std::size_t(LastRow) * LastColumn);
    int mismatches = 0;
    for (int row = 1; row <= LastRow; ++row) {
        for (int col = 1; col <= LastColumn; ++col) {
            expected.push_back(ExpectedCell(row, col));
            if (grid.CellText(row, col) != expected.back() && mismatches++ < 10)
                ADD_FAILURE() << "(" << row << "," << col << ") \"" << grid.CellText(row, col) << "\", expected \""
                              << expected.back() << "\"";
        }
    }
    // A refused cell ("7e3") keeps its old text, unmarked and black; the others are red.
    EXPECT_EQ(SpreadsheetField(14, 3), "7e3");
    EXPECT_EQ(grid.CellText(14, 3), SeriesText(14, 3));
    EXPECT_FALSE(grid.CellState(14, 3) & CellStateModified);
    EXPECT_NE(grid.CellAt(14, 3)->GetTextColor(), EditedRed);
    for (const CCellID cell : {CCellID(14, 2), CCellID(1, 1), CCellID(LastRow, 2), CCellID(LastRow, LastColumn)}) {
        EXPECT_TRUE(grid.CellState(cell.row, cell.col) & CellStateModified) << cell.row << "," << cell.col;
        EXPECT_EQ(grid.CellAt(cell.row, cell.col)->GetTextColor(), EditedRed) << cell.row << "," << cell.col;
    }
    EXPECT_GT(dialog.Refused, 0);
    EXPECT_GT(ExpectChangedCellsPassedTheOwner(), LastRow * (LastColumn - 1));

    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    std::string copy;
    copy.reserve(std::size_t(LastRow) * LastColumn * 10);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (i > 0) copy += i % LastColumn == 0 ? "\r\n" : "\t";
        copy += expected[i];
    }
    const std::string copied = QGuiApplication::clipboard()->text().toStdString();
    EXPECT_EQ(copied.size(), copy.size());
    EXPECT_TRUE(copied == copy) << FirstDifference(copied, copy);
}

TEST_F(GridEditAcceptanceTest, ASpreadsheetsLFBlockPastedOverEveryRowCopiesBackInTheEditorsFormats)
{
    PasteAndCopyBack("\n");
}

TEST_F(GridEditAcceptanceTest, ItsCRLFTwinPastesTheSame)
{
    PasteAndCopyBack("\r\n");
}
