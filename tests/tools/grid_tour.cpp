// Shows a series grid as a user sees it in a series editor and saves the screen at every stop:
// the top of its 100,001 rows, the middle and the end reached with the scroll bar's thumb, a
// selected block with its focus cell, and a column too narrow for its texts, which end in
// "...". Run it on a display (a virtual one under xvfb-run).
//
//   grid_tour OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png; the exit status is 0 when every picture was saved and shows
// more than a blank screen.
#include "GridHostDialog.h"
#include "ScreenTour.h"

#include "platform/UiThread.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <functional>
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

    CGridHostDlg dialog;
    if (!dialog.Create(HostDialogId) || !dialog.Filled) {
        std::fprintf(stderr, "the grid host could not be made\n");
        return 2;
    }
    CGridCtrl& grid = dialog.Grid;

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
