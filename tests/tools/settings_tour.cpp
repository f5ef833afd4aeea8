// Starts vasquil as a user would and opens the settings dialogs of a model, saving the screen
// at every stop: Global Settings of a model of each file type, then, on the thermal one, File
// Options and the bridging-event and Manning's n editors. Run it on a display (a virtual one
// under xvfb-run).
//
//   settings_tour DATA_FOLDER OUTPUT_FOLDER
//
// DATA_FOLDER holds ft0-metric.vqx, ft1-metric.vqx, ft2-metric.vqx and ft3-imperial.vqx;
// writes OUTPUT_FOLDER/NN-name.png. The exit status is 0 when every dialog was shown and every
// picture saved shows more than a blank screen.
#include "app/VasquilApp.h"
#include "platform/Dialog.h"
#include "platform/TestHooks.h"
#include "resources/ResourceIds.h"
#include "views/VasquilView.h"
#include "ScreenTour.h"

#include <functional>
#include <string>
#include <vector>

using namespace screen_tour;

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: settings_tour DATA_FOLDER OUTPUT_FOLDER\n");
        return 1;
    }
    const std::filesystem::path data = argv[1];
    g_folder = argv[2];
    std::filesystem::create_directories(g_folder);

    CVasquilApp app(&CVasquilView::Runtime);
    ModalDialogInterceptor dialogs;
    MessageBoxSink boxes;
    FileDialogProvider files;
    int shown = 0;

    // Shows a dialog through its command and saves the screen while it is open.
    const auto show = [&](UINT command, const std::string& name) {
        dialogs.scripts.push_back([&, name](CDialog& dialog) {
            ++shown;
            Settle();
            SaveScreen(name);
            Click(dialog, IDCANCEL);
        });
        Command(command);
    };
    std::vector<std::function<void()>> stops;
    for (const char* model : {"ft0-metric", "ft1-metric", "ft2-metric", "ft3-imperial"}) {
        stops.push_back([&, model] {
            files.answers = {data / (std::string(model) + ".vqx")};
            Command(ID_FILE_OPEN);
        });
        stops.push_back([&, model] { show(ID_SIMULATION_GLOBAL_SETTINGS, std::string("global-settings-") + model); });
    }
    stops.push_back([&] { show(ID_FILE_TYPE_OPTIONS, "file-options"); });
    stops.push_back([&] { show(ID_SIMULATION_EDIT_BRIDGING_EVENTS, "bridging-events"); });
    stops.push_back([&] { show(ID_SIMULATION_EDIT_MANNINGS_N, "mannings-n"); });
    stops.push_back([] { AfxGetMainWnd()->PostMessage(WM_CLOSE); });
    const int expected = 7;

    RunStopsInProgram(app, dialogs, stops, argv[0], nullptr);
    if (shown != expected) std::fprintf(stderr, "settings_tour: %d of %d dialogs shown\n", shown, expected);
    return g_failed || g_shots != expected || shown != expected ? 2 : 0;
}
