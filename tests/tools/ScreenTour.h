// Pictures of the screen at the stops of a tour of the program under a (virtual) display.
#pragma once

#include "TourSteps.h"

#include "platform/Application.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace screen_tour {

// A screen showing windows with text has far more colours than this.
constexpr int MinimumColours = 16;
// Time for the window system to show what changed, in milliseconds.
constexpr int SettleTime = 600;

// Where the pictures go, how many were saved, and whether one failed.
inline std::filesystem::path g_folder;
inline int g_shots = 0;
inline bool g_failed = false;

// Lets the window system show what changed.
inline void Settle()
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < SettleTime) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

// Saves the screen as g_folder/NN-name.png and prints its path; a picture that could not be
// saved or shows hardly more than a blank screen sets g_failed.
inline void SaveScreen(const std::string& name)
{
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%02d-", ++g_shots);
    const std::filesystem::path path = g_folder / (prefix + name + ".png");
    QScreen* screen = QGuiApplication::primaryScreen();
    const QImage shot = screen ? screen->grabWindow(0).toImage() : QImage();
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height() && colours.size() < MinimumColours; y += 3) {
        for (int x = 0; x < shot.width(); x += 3) colours.insert(shot.pixel(x, y));
    }
    if (shot.isNull() || !shot.save(QString::fromStdString(path.string()), "PNG") || colours.size() < MinimumColours) {
        std::fprintf(stderr, "no picture for %s\n", path.c_str());
        g_failed = true;
        return;
    }
    std::printf("%s\n", path.c_str());
}

// Calls the stops one after another, each SettleTime after the one before, from the event
// loop; stops must outlive the tour.
inline void RunStops(const std::vector<std::function<void()>>& stops, std::size_t first = 0)
{
    if (first >= stops.size()) return;
    QTimer::singleShot(SettleTime, [&stops, first] {
        stops[first]();
        RunStops(stops, first + 1);
    });
}

// Sends the main frame a command, as its menu item or button does.
inline void Command(UINT id)
{
    AfxGetMainWnd()->SendMessage(WM_COMMAND, id, 0);
}

// Presses the dialog's button id.
inline void Click(CDialog& dialog, int id)
{
    static_cast<CButton*>(dialog.GetDlgItem(id))->Click();
}

// Runs app as a user starts it, on the model file when model is not null (else on the empty
// document): dialogs answers the About box OK, then the stops follow one another (see RunStops);
// the last of them closes the program. program is the tour's own argv[0]. Returns when the
// program has ended.
inline void RunStopsInProgram(CWinApp& app, ModalDialogInterceptor& dialogs,
                              const std::vector<std::function<void()>>& stops, char* program, const char* model)
{
    dialogs.scripts.push_back([&stops](CDialog& about) {
        Click(about, IDOK);
        RunStops(stops);
    });
    std::string modelArgument = model ? model : "";
    char* qtArgv[] = {program, model ? modelArgument.data() : nullptr, nullptr};
    int qtArgc = model ? 2 : 1;
    app.Run(qtArgc, qtArgv);
}

// A tour's observer on the screen: each stop saved as a picture once the screen settles, each
// failed check printed and the tour marked failed.
inline tour_steps::Observer ScreenObserver()
{
    tour_steps::Observer observer;
    observer.Shot = [](const std::string& name) {
        // A tour's steps run inside one event of the loop, which never waits in between: the
        // idle pass that enables the toolbar's buttons (as it does between a user's actions)
        // runs here, so that the picture shows the buttons as they stand.
        if (CWinApp* app = AfxGetApp()) app->OnIdle(0);
        Settle();
        SaveScreen(name);
    };
    observer.Fail = [](const std::string& failure) {
        std::fprintf(stderr, "failed: %s\n", failure.c_str());
        g_failed = true;
    };
    return observer;
}

}  // namespace screen_tour
