// Shows a series grid as a user sees it in a series editor and saves the screen at every stop:
// the top of its 100,001 rows, the middle and the end reached with the scroll bar's thumb, a
// selected block with its focus cell, the in-place editor widened to a long typed number and
// the red edit it leaves, a spreadsheet's block pasted over every row seen at its end, and a
// column too narrow for its texts, which end in "...". Run it on a display (a virtual one
// under xvfb-run).
//
//   grid_tour OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png; the exit status is 0 when every picture was saved and shows
// more than a blank screen.
#include "GridHostDialog.h"
#include "ScreenTour.h"

#include "platform/UiThread.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QScrollBar>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace screen_tour;
using namespace gridhost;

namespace {

// The thumb dragged to a fraction of the bar's way, as a user drags it.
void DragThumb(CGridCtrl& grid, double fraction)
{
    QScrollBar* bar = static_cast<QAbstractScrollArea*>(grid.GetWidget())->verticalScrollBar();
    bar->setSliderDown(true);
    bar->setSliderPosition(int(bar->minimum() + fraction * (bar->maximum() - bar->minimum())));
    bar->setSliderDown(false);
}

// The widget keys go to when the window system has given no widget the focus.
QWidget* g_keyTarget = nullptr;

QWidget* KeyTarget()
{
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus : g_keyTarget;
}

// A key pressed and released on the widget with the focus, as the keyboard sends it.
void PressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = QString())
{
    QWidget* target = KeyTarget();
    if (!target) return;
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::processEvents();
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    if (QWidget* now = KeyTarget()) QCoreApplication::sendEvent(now, &release);
    QCoreApplication::processEvents();
}

void TypeText(const std::string& text)
{
    for (const char c : text) PressKey(c == '-' ? Qt::Key_Minus : c == '.' ? Qt::Key_Period : Qt::Key_0 + (c - '0'),
                                      Qt::NoModifier, QString(QChar(c)));
}

// Each entry's values as a spreadsheet gives them (fewer decimals), tab between, LF line ends
// and a final one.
QString SpreadsheetBlock()
{
    std::string block;
    char field[32];
    for (int row = 1; row <= SeriesEntries; ++row) {
        for (int col = 1; col < HostColumns; ++col) {
            if (col > 1) block += '\t';
            std::snprintf(field, sizeof field, "%g", (row % 200) * 0.5 + col);
            block += field;
        }
        block += '\n';
    }
    return QString::fromLatin1(block);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: grid_tour OUTPUT_FOLDER\n");
        return 1;
    }
    g_folder = argv[1];
    std::filesystem::create_directories(g_folder);
    int qtArgc = 1;
    PlatformApplication app(qtArgc, argv);
    std::setlocale(LC_NUMERIC, "C");

    CEditorHostDlg dialog;
    dialog.Record = false;
    if (!dialog.Create(HostDialogId) || !dialog.Filled) {
        std::fprintf(stderr, "the grid host could not be made\n");
        return 2;
    }
    CGridCtrl& grid = dialog.Grid;
    g_keyTarget = grid.GetWidget();
    dialog.GetWidget()->activateWindow();

    const std::vector<std::function<void()>> stops = {
        [] { SaveScreen("grid-top"); },
        [&] { DragThumb(grid, 0.5); },
        [] { SaveScreen("grid-middle"); },
        [&] { DragThumb(grid, 1.0); },
        [] { SaveScreen("grid-end"); },
        [&] {
            // Back to the top, a block selected from row 3 to 7 over columns 2 to 4, the focus
            // in it.
            grid.ScrollCellIntoView(1, 1);
            grid.SetSelectedRange(3, 2, 7, 4, FALSE, TRUE);
            grid.SetFocusCell(5, 3);
        },
        [] { SaveScreen("grid-selection"); },
        [&] {
            // A long number typed into a value cell: the editor grows past the column.
            grid.ClearSelection();
            grid.SetFocusCell(4, 2);
            grid.SetSelectedRange(4, 2, 4, 2);
            grid.SetFocus();
            TypeText("-12345.6789012345678901234567");
        },
        [] { SaveScreen("grid-widened-editor"); },
        [&] { PressKey(Qt::Key_Return); },
        [] { SaveScreen("grid-red-edit"); },
        [&] {
            // A spreadsheet's block pasted over every row from the first entry's time, then
            // Ctrl+End to its end.
            QGuiApplication::clipboard()->setText(SpreadsheetBlock());
            QCoreApplication::processEvents();
            grid.SetFocusCell(1, 1);
            grid.SetSelectedRange(1, 1, 1, 1);
            grid.SetFocus();
            PressKey(Qt::Key_V, Qt::ControlModifier);
            PressKey(Qt::Key_End, Qt::ControlModifier);
        },
        [] { SaveScreen("grid-pasted-end"); },
        [&] {
            // The heat column narrowed below its texts, which end in "..." as the editors'
            // default cells do.
            grid.SetColumnWidth(3, 30);
            GridItem item;
            item.mask = ItemMaskFormat;
            item.format = DefaultCellFormat;
            item.column = 3;
            for (item.row = 0; item.row < grid.RowCount(); ++item.row) grid.ApplyItem(&item);
            grid.ClearSelection();
            grid.UpdateScrollBars();
            grid.Invalidate();
        },
        [] { SaveScreen("grid-narrow-column"); },
        [] { QCoreApplication::quit(); },
    };
    RunStops(stops);
    app.exec();
    return g_failed || g_shots == 0 ? 2 : 0;
}
