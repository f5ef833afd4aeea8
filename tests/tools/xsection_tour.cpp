// Starts vasquil on the sample river as a user would and walks through the cross-section
// editor (tests/tools/XSectionTour.h: a typed point, a raised point count, Apply, Save and
// reopen, a water-quality run watched from the editor, the thermal sample's border ice),
// saving the screen at every stop. Run it on a display (a virtual one under xvfb-run) to see
// what a user sees.
//
//   xsection_tour EXAMPLES_FOLDER OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png (and the edited model and the run's database); the exit
// status is 0 when every check held and every picture was saved and shows more than a blank
// screen.
#include "ScreenTour.h"
#include "XSectionTour.h"
#include "app/VasquilApp.h"

#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: xsection_tour EXAMPLES_FOLDER OUTPUT_FOLDER\n");
        return 1;
    }
    const std::filesystem::path examples = argv[1];
    screen_tour::g_folder = argv[2];
    std::filesystem::create_directories(screen_tour::g_folder);
    const std::string river = (examples / "sample-river.vqx").string();

    CVasquilApp app(&CVasquilView::Runtime);
    ModalDialogInterceptor dialogs;
    MessageBoxSink boxes;  // the question before closing is answered Yes

    xsection_tour::Observer observer = screen_tour::ScreenObserver();
    dialogs.scripts.push_back([&](CDialog& about) {
        static_cast<CButton*>(about.GetDlgItem(IDOK))->Click();
        QTimer::singleShot(screen_tour::SettleTime, [&] {
            AfxGetMainWnd()->MoveWindow(0, 0, 1280, 800);
            screen_tour::Settle();
            xsection_tour::Tour tour(screen_tour::g_folder, examples, observer);
            tour.Run();
            AfxGetMainWnd()->PostMessage(WM_CLOSE);
        });
    });

    char* qtArgv[] = {argv[0], const_cast<char*>(river.c_str()), nullptr};
    int qtArgc = 2;
    app.Run(qtArgc, qtArgv);
    return screen_tour::g_failed || screen_tour::g_shots == 0 ? 2 : 0;
}
