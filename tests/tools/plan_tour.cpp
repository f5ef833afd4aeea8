// Starts vasquil on a model as a user would and walks through the plan view (tests/tools/
// PlanTour.h: map imagery, options, zooms, a transient run), saving the screen at every stop.
// Run it on a display (a virtual one under xvfb-run) to see what a user sees.
//
//   plan_tour MODEL.vqx OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png (and the map, its world file and the run's database); the
// exit status is 0 when every check held and every picture was saved and shows more than a
// blank screen.
#include "PlanTour.h"
#include "ScreenTour.h"
#include "app/VasquilApp.h"

#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: plan_tour MODEL.vqx OUTPUT_FOLDER\n");
        return 1;
    }
    screen_tour::g_folder = argv[2];
    std::filesystem::create_directories(screen_tour::g_folder);

    CVasquilApp app(&CVasquilView::Runtime);
    ModalDialogInterceptor dialogs;
    MessageBoxSink boxes;  // the question before closing is answered Yes

    plan_tour::Observer observer = screen_tour::ScreenObserver();
    dialogs.scripts.push_back([&](CDialog& about) {
        static_cast<CButton*>(about.GetDlgItem(IDOK))->Click();
        QTimer::singleShot(screen_tour::SettleTime, [&] {
            AfxGetMainWnd()->MoveWindow(0, 0, 1280, 800);
            screen_tour::Settle();
            observer.Shot("open");
            plan_tour::Tour tour(screen_tour::g_folder, observer);
            tour.Run();
            AfxGetMainWnd()->PostMessage(WM_CLOSE);
        });
    });

    char* qtArgv[] = {argv[0], argv[1], nullptr};
    int qtArgc = 2;
    app.Run(qtArgc, qtArgv);
    return screen_tour::g_failed || screen_tour::g_shots == 0 ? 2 : 0;
}
