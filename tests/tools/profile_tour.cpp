// Starts vasquil on a model as a user would and tours the profile view, saving the screen at
// every stop: after the open, then for each layout the options dialog as it was set and the
// profile it gave, and the last of them in a window of 520 by 380 pixels. Run it on a display (a virtual one under xvfb-run) to see what a user sees.
//
//   profile_tour MODEL.vqx OUTPUT_FOLDER [BOTTOM_Y_MIN BOTTOM_Y_MAX]
//
// With the two limits a last stop fixes the elevation chart's y range to them (a close look at
// thin ice layers).
//
// Writes OUTPUT_FOLDER/NN-name.png; the exit status is 0 when every picture was saved and
// shows more than a blank screen.
#include "app/VasquilApp.h"
#include "platform/Dialog.h"
#include "platform/Frame.h"
#include "platform/TestHooks.h"
#include "resources/ResourceIds.h"
#include "views/VasquilView.h"
#include "ScreenTour.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace screen_tour;

// One state of the options dialog: the two charts, the bottom chart's kind and variable, and
// the subtitle's reach name and model time.
struct Choice
{
    const char* name;
    bool top;
    bool bottom;
    bool elevation;
    const char* bottomVariable;  // for a parameter chart
    bool titled;
    const char* bottomYMin = nullptr;  // fixed bottom y limits (texts); automatic without
    const char* bottomYMax = nullptr;
};
const Choice Choices[] = {
    {"layout-a-top-only", true, false, true, nullptr, false},
    {"layout-c-two-parameters", true, true, false, "Water Velocity", true},
    {"layout-d-elevations-only", false, true, true, nullptr, true},
    {"layout-e-bottom-parameter", false, true, false, "Froude Number", false},
    {"layout-b-both", true, true, true, nullptr, true},
};

void SetCheck(CDialog& dialog, int id, bool on)
{
    auto* button = static_cast<CButton*>(dialog.GetDlgItem(id));
    if ((button->GetCheck() == BST_CHECKED) != on) button->Click();
}

// Sets the dialog as a user would, shows it, and presses OK.
void PlayOptions(CDialog& dialog, const Choice& choice)
{
    SetCheck(dialog, IDC_PROFILE_TOP_CHART, choice.top);
    SetCheck(dialog, IDC_PROFILE_BOTTOM_CHART, choice.bottom);
    if (choice.bottom) {
        static_cast<CButton*>(dialog.GetDlgItem(choice.elevation ? IDC_PROFILE_ELEVATION_CHART : IDC_PROFILE_PARAMETER_CHART))->Click();
        if (choice.bottomVariable) {
            auto* combo = static_cast<CComboBox*>(dialog.GetDlgItem(IDC_PROFILE_BOTTOM_VARIABLE));
            combo->SetCurSel(combo->FindStringExact(-1, choice.bottomVariable));
        }
    }
    static_cast<CButton*>(dialog.GetDlgItem(choice.bottomYMin ? IDC_PROFILE_BOTTOM_Y_FIXED : IDC_PROFILE_BOTTOM_Y_AUTO))->Click();
    if (choice.bottomYMin) {
        dialog.GetDlgItem(IDC_PROFILE_BOTTOM_Y_MIN)->SetWindowText(choice.bottomYMin);
        dialog.GetDlgItem(IDC_PROFILE_BOTTOM_Y_MAX)->SetWindowText(choice.bottomYMax);
    }
    SetCheck(dialog, IDC_PROFILE_TITLE_REACH_NAME, choice.titled);
    SetCheck(dialog, IDC_PROFILE_TITLE_MODEL_TIME, choice.titled);
    Settle();
    SaveScreen(std::string("options-") + choice.name);
    static_cast<CButton*>(dialog.GetDlgItem(IDOK))->Click();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: profile_tour MODEL.vqx OUTPUT_FOLDER [BOTTOM_Y_MIN BOTTOM_Y_MAX]\n");
        return 1;
    }
    g_folder = argv[2];
    std::filesystem::create_directories(g_folder);

    CVasquilApp app(&CVasquilView::Runtime);
    ModalDialogInterceptor dialogs;
    MessageBoxSink boxes;  // the question before closing is answered Yes

    std::vector<Choice> choices(std::begin(Choices), std::end(Choices));
    if (argc == 5) choices.push_back({"layout-b-fixed-elevations", true, true, true, nullptr, true, argv[3], argv[4]});

    std::vector<std::function<void()>> stops;
    stops.push_back([] { SaveScreen("open"); });
    for (const Choice& choice : choices) {
        stops.push_back([&dialogs, &choice] {
            dialogs.scripts.push_back([&choice](CDialog& dialog) { PlayOptions(dialog, choice); });
            AfxGetMainWnd()->SendMessage(WM_COMMAND, ID_PROFILE_VIEW_OPTIONS, 0);
        });
        stops.push_back([&choice] { SaveScreen(std::string("profile-") + choice.name); });
    }
    // The last layout in a small window: the texts keep apart.
    stops.push_back([] { AfxGetMainWnd()->MoveWindow(0, 0, 520, 380); });
    stops.push_back([] { SaveScreen("profile-window-520x380"); });
    stops.push_back([] { AfxGetMainWnd()->PostMessage(WM_CLOSE); });

    // The About box closes, then the stops follow one another with time to show each.
    RunStopsInProgram(app, dialogs, stops, argv[0], argv[1]);
    return g_failed || g_shots == 0 ? 2 : 0;
}
