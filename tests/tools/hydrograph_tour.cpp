// Starts vasquil on the sample river as a user would and walks through the hydrograph view
// (tests/tools/HydrographTour.h: options, output options, a transient run, the discharge as
// Qflux and as nodal Qw, then the thermal sample's air temperature), saving the screen at every
// stop. Run it on a display (a virtual one under xvfb-run) to see what a user sees.
//
//   hydrograph_tour RIVER.vqx THERMAL.vqx OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png (and the run's database); the exit status is 0 when every
// check held and every picture was saved and shows more than a blank screen.
#include "HydrographTour.h"
#include "ScreenTour.h"
#include "app/VasquilApp.h"

#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: hydrograph_tour RIVER.vqx THERMAL.vqx OUTPUT_FOLDER\n");
        return 1;
    }
    const std::filesystem::path thermal = argv[2];
    screen_tour::g_folder = argv[3];
    std::filesystem::create_directories(screen_tour::g_folder);

    CVasquilApp app(&CVasquilView::Runtime);
    ModalDialogInterceptor dialogs;
    MessageBoxSink boxes;  // the question before closing is answered Yes

    hydrograph_tour::Observer observer = screen_tour::ScreenObserver();
    dialogs.scripts.push_back([&](CDialog& about) {
        static_cast<CButton*>(about.GetDlgItem(IDOK))->Click();
        QTimer::singleShot(screen_tour::SettleTime, [&] {
            AfxGetMainWnd()->MoveWindow(0, 0, 1280, 800);
            screen_tour::Settle();
            hydrograph_tour::Tour tour(screen_tour::g_folder, thermal, observer);
            tour.Run();
            AfxGetMainWnd()->PostMessage(WM_CLOSE);
        });
    });

    char* qtArgv[] = {argv[0], argv[1], nullptr};
    int qtArgc = 2;
    app.Run(qtArgc, qtArgv);
    return screen_tour::g_failed || screen_tour::g_shots == 0 ? 2 : 0;
}
