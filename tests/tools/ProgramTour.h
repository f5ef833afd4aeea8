// A tour walked in the real program under a (virtual) display, its stops saved as pictures.
#pragma once

#include "ScreenTour.h"
#include "TourSteps.h"

#include "app/VasquilApp.h"
#include "platform/TestHooks.h"
#include "views/VasquilView.h"

#include <QTimer>

#include <functional>
#include <string>

namespace screen_tour {

// Starts the program as a user does, on the model file when model is not empty (else on the
// empty document), with the About box answered OK and message boxes answered by the test
// sink. Once the screen has settled, sizes the frame to 1280 x 800 pixels, walks the tour with
// the screen observer (see ScreenObserver) and closes the program. program is the tour's own
// argv[0]. Returns the tour's exit status: 0 when every check held and a picture was saved, 2
// otherwise.
inline int WalkTourOnScreen(char* program, const std::string& model,
                            const std::function<void(tour_steps::Observer& observer)>& walk)
{
    CVasquilApp app(&CVasquilView::Runtime);
    ModalDialogInterceptor dialogs;
    MessageBoxSink boxes;  // the questions on the way and before closing

    tour_steps::Observer observer = ScreenObserver();
    dialogs.scripts.push_back([&](CDialog& about) {
        static_cast<CButton*>(about.GetDlgItem(IDOK))->Click();
        QTimer::singleShot(SettleTime, [&] {
            AfxGetMainWnd()->MoveWindow(0, 0, 1280, 800);
            Settle();
            walk(observer);
            AfxGetMainWnd()->PostMessage(WM_CLOSE);
        });
    });

    std::string modelArgument = model;
    char* qtArgv[] = {program, model.empty() ? nullptr : modelArgument.data(), nullptr};
    int qtArgc = model.empty() ? 1 : 2;
    app.Run(qtArgc, qtArgv);
    return g_failed || g_shots == 0 ? 2 : 0;
}

}  // namespace screen_tour
