// Starts vasquil as a user would and walks through the node table on copies of the sample
// river and its water-quality data (tests/tools/NodeTableTour.h: a typed stage, a pasted block,
// Set Values, Save and reopen, a water-quality run watched from the table, a hidden run dialog
// shown again, Auto Size, Expand To Fit and the output nodes only), saving the screen at every
// stop. Run it on a display (a virtual one under xvfb-run) to see what a user sees.
//
//   node_table_tour EXAMPLES_FOLDER OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png (and the edited copies and the run's database); the exit
// status is 0 when every check held and every picture was saved and shows more than a blank
// screen.
#include "NodeTableTour.h"
#include "ScreenTour.h"
#include "app/VasquilApp.h"

#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: node_table_tour EXAMPLES_FOLDER OUTPUT_FOLDER\n");
        return 1;
    }
    const std::filesystem::path examples = argv[1];
    screen_tour::g_folder = argv[2];
    std::filesystem::create_directories(screen_tour::g_folder);

    CVasquilApp app(&CVasquilView::Runtime);
    ModalDialogInterceptor dialogs;
    MessageBoxSink boxes;  // the question before closing is answered No

    node_table_tour::Observer observer = screen_tour::ScreenObserver();
    dialogs.scripts.push_back([&](CDialog& about) {
        static_cast<CButton*>(about.GetDlgItem(IDOK))->Click();
        QTimer::singleShot(screen_tour::SettleTime, [&] {
            AfxGetMainWnd()->MoveWindow(0, 0, 1280, 800);
            screen_tour::Settle();
            node_table_tour::Tour tour(screen_tour::g_folder, examples, observer);
            if (!tour.Run()) screen_tour::g_failed = true;
            AfxGetMainWnd()->PostMessage(WM_CLOSE);
        });
    });

    char* qtArgv[] = {argv[0], nullptr};
    int qtArgc = 1;
    app.Run(qtArgc, qtArgv);
    return screen_tour::g_failed || screen_tour::g_shots == 0 ? 2 : 0;
}
