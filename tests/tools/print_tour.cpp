// Starts vasquil on the sample river as a user would and prints its node table: the table, the
// print preview window with its pages, the same preview on landscape paper, the Print Setup
// and the print dialogs (each cancelled), saving the screen at every stop. Run it on a display (a virtual one under xvfb-run) to see what a user sees.
//
//   print_tour EXAMPLES_FOLDER OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png; the exit status is 0 when every check held and every
// picture was saved and shows more than a blank screen.
#include "ScreenTour.h"

#include "app/VasquilApp.h"
#include "controls/GridCtrl.h"
#include "platform/TestHooks.h"
#include "resources/ResourceIds.h"
#include "views/NodeTableView.h"
#include "views/VasquilView.h"

#include <QApplication>
#include <QDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

void Check(bool held, const char* what)
{
    if (held) return;
    std::fprintf(stderr, "failed: %s\n", what);
    screen_tour::g_failed = true;
}

CVasquilView* MainView()
{
    CWnd* frame = AfxGetMainWnd();
    return frame ? static_cast<CVasquilView*>(frame->GetDlgItem(int(AFX_IDW_PANE_FIRST))) : nullptr;
}

// The preview window's page widget while the window is open; null otherwise.
QPrintPreviewWidget* PreviewPages()
{
    auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
    return dialog ? dialog->findChild<QPrintPreviewWidget*>() : nullptr;
}

void Shot(const std::string& name)
{
    screen_tour::Settle();
    screen_tour::SaveScreen(name);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: print_tour EXAMPLES_FOLDER OUTPUT_FOLDER\n");
        return 1;
    }
    const std::filesystem::path examples = argv[1];
    screen_tour::g_folder = argv[2];
    std::filesystem::create_directories(screen_tour::g_folder);
    const std::string river = (examples / "sample-river.vqx").string();

    CVasquilApp app(&CVasquilView::Runtime);
    ModalDialogInterceptor dialogs;
    MessageBoxSink boxes;

    const std::vector<std::function<void()>> stops = {
        [] {
            AfxGetMainWnd()->MoveWindow(0, 0, 1280, 800);
            CVasquilView* view = MainView();
            Check(view != nullptr, "the main view is there");
            if (view) view->TabControl.SetActiveTab(CVasquilView::NodeTableTab);
        },
        [] {
            Shot("node-table");
            // From the event loop, as the menu would: the preview window runs its own loop, in
            // which the next stops come.
            AfxGetMainWnd()->PostMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
        },
        [] {
            QPrintPreviewWidget* pages = PreviewPages();
            Check(pages != nullptr, "the preview window is open");
            Check(pages && pages->pageCount() >= 1, "the preview shows the table's pages");
            if (pages) pages->window()->setGeometry(40, 20, 1200, 760);
            Shot("print-preview");
        },
        [] {
            QPrintPreviewWidget* pages = PreviewPages();
            if (pages) {
                pages->setLandscapeOrientation();
                pages->fitInView();
            }
            Check(pages && pages->orientation() == QPageLayout::Landscape && pages->pageCount() >= 1,
                  "the pages laid out again on landscape paper");
            Shot("print-preview-landscape");
        },
        [] {
            if (QPrintPreviewWidget* pages = PreviewPages()) pages->window()->close();
        },
        [] {
            Check(PreviewPages() == nullptr, "the preview window closed");
            AfxGetMainWnd()->PostMessage(WM_COMMAND, ID_FILE_PRINT_SETUP, 0);
        },
        [] {
            auto* setup = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget());
            Check(setup != nullptr, "Print Setup shows its dialog");
            Shot("print-setup");
            if (setup) setup->reject();
        },
        [] {
            Check(QApplication::activeModalWidget() == nullptr, "Print Setup closed");
            AfxGetMainWnd()->PostMessage(WM_COMMAND, ID_FILE_PRINT, 0);
        },
        [] {
            auto* print = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            Check(print != nullptr, "Print shows the print dialog");
            Shot("print-dialog");
            if (print) print->reject();
        },
        [] {
            Check(QApplication::activeModalWidget() == nullptr, "the print dialog closed");
            AfxGetMainWnd()->PostMessage(WM_CLOSE);
        },
    };
    screen_tour::RunStopsInProgram(app, dialogs, stops, argv[0], river.c_str());
    return screen_tour::g_failed || screen_tour::g_shots == 0 ? 2 : 0;
}
