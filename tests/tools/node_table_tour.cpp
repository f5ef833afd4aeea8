// Starts vasquil on the sample river as a user would and walks through the node table: the
// table as it opens, a typed stage waiting in red, Auto Size, Expand To Fit and the output
// nodes only, saving the screen at every stop. Run it on a display (a virtual one under
// xvfb-run) to see what a user sees.
//
//   node_table_tour EXAMPLES_FOLDER OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png; the exit status is 0 when every check held and every
// picture was saved and shows more than a blank screen.
#include "ScreenTour.h"

#include "app/VasquilApp.h"
#include "app/VasquilDoc.h"
#include "controls/GridCtrl.h"
#include "platform/TestHooks.h"
#include "resources/ResourceIds.h"
#include "views/NodeTableView.h"
#include "views/VasquilView.h"

#include <QTimer>

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

CNodeTableView* Table()
{
    CVasquilView* view = MainView();
    return view ? static_cast<CNodeTableView*>(view->TabControl.GetTabWnd(CVasquilView::NodeTableTab)) : nullptr;
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
        std::fprintf(stderr, "usage: node_table_tour EXAMPLES_FOLDER OUTPUT_FOLDER\n");
        return 1;
    }
    const std::filesystem::path examples = argv[1];
    screen_tour::g_folder = argv[2];
    std::filesystem::create_directories(screen_tour::g_folder);
    const std::string river = (examples / "sample-river.vqx").string();

    CVasquilApp app(&CVasquilView::Runtime);
    ModalDialogInterceptor dialogs;
    MessageBoxSink boxes;  // the question before closing is answered with its first button

    const std::vector<std::function<void()>> stops = {
        [] {
            AfxGetMainWnd()->MoveWindow(0, 0, 1280, 800);
            CVasquilView* view = MainView();
            Check(view != nullptr, "the main view is there");
            if (view) view->TabControl.SetActiveTab(CVasquilView::NodeTableTab);
        },
        [] {
            CNodeTableView* table = Table();
            Check(table && table->Grid.RowCount() > 1, "the table lists the nodes");
            Shot("node-table");
        },
        [] {
            CNodeTableView* table = Table();
            if (!table || table->Grid.RowCount() < 3) return;
            const int col = table->Grid.ColumnCount() > 11 ? 11 : 1;
            table->Grid.SetCellTextChecked(2, col, "101.5");
            Check((table->Grid.CellState(2, col) & CellStateModified) != 0, "the typed stage waits");
            table->Grid.SetSelectedRange(2, col, 2, col);
            Shot("typed-stage");
        },
        [] {
            if (CNodeTableView* table = Table()) table->OnAutoSize();
            Shot("auto-size");
        },
        [] {
            if (CNodeTableView* table = Table()) {
                table->OnExpandToFit();
                table->RejectChanges();
                table->OnShowOutputNodesOnly();
            }
            Shot("output-nodes-only");
        },
        [] { AfxGetMainWnd()->PostMessage(WM_CLOSE); },
    };
    dialogs.scripts.push_back([&](CDialog& about) {
        static_cast<CButton*>(about.GetDlgItem(IDOK))->Click();
        screen_tour::RunStops(stops);
    });

    char* qtArgv[] = {argv[0], const_cast<char*>(river.c_str()), nullptr};
    int qtArgc = 2;
    app.Run(qtArgc, qtArgv);
    return screen_tour::g_failed || screen_tour::g_shots == 0 ? 2 : 0;
}
