// Starts vasquil on a model as a user would, opens its water-quality file and tours what
// water quality shows, saving the screen at every stop: the settings dialog of the file's
// type, the water-quality run dialog before and after a run, and the profile of a
// water-quality value. Run it on a display (a virtual one under xvfb-run).
//
//   wq_tour MODEL.vqx WQ_FILE FINAL_HOURS VARIABLE OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png; the exit status is 0 when every picture was saved and
// shows more than a blank screen and the run reached its final time.
#include "app/RunTransWQDlg.h"
#include "app/VasquilApp.h"
#include "app/VasquilDoc.h"
#include "platform/DocTemplate.h"
#include "platform/Frame.h"
#include "platform/TestHooks.h"
#include "resources/ResourceIds.h"
#include "views/VasquilView.h"
#include "ScreenTour.h"

#include <functional>
#include <string>
#include <vector>

using namespace screen_tour;

namespace {

CVasquilDoc* Document()
{
    return static_cast<CVasquilDoc*>(AfxGetApp()->GetDocTemplate()->GetDocument());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: wq_tour MODEL.vqx WQ_FILE FINAL_HOURS VARIABLE OUTPUT_FOLDER\n");
        return 1;
    }
    const std::filesystem::path waterQuality = argv[2];
    const std::string finalHours = argv[3];
    const std::string variable = argv[4];
    g_folder = argv[5];
    std::filesystem::create_directories(g_folder);

    CVasquilApp app(&CVasquilView::Runtime);
    ModalDialogInterceptor dialogs;
    MessageBoxSink boxes;  // the question before closing is answered Yes
    FileDialogProvider files;
    bool reachedEnd = false;

    std::vector<std::function<void()>> stops;
    stops.push_back([&] {
        files.answers.push_back(waterQuality);
        Command(ID_WQ_OPEN_DATA);
    });
    stops.push_back([&] {
        dialogs.scripts.push_back([](CDialog& dialog) {
            Settle();
            SaveScreen("settings");
            Click(dialog, IDCANCEL);
        });
        Command(ID_WQ_GLOBAL_SETTINGS);
    });
    stops.push_back([&] {
        Command(ID_WQ_TRANSIENT_SIMULATION);
        CRunTransWQDlg* dialog = Document()->WaterQualityDialog;
        dialog->GetDlgItem(IDC_TRANS_FINAL_TIME)->SetWindowText(finalHours);
        Settle();
        SaveScreen("run-dialog");
        Click(*dialog, IDC_RUN_BUTTON);
        while (dialog->Running) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // The last step may end past the final time: nothing shortens it without outputs.
        reachedEnd = dialog->PresentTime >= std::stod(finalHours);
        Settle();
        SaveScreen("run-ended");
        Click(*dialog, IDCANCEL);
    });
    stops.push_back([&] {
        dialogs.scripts.push_back([&](CDialog& dialog) {
            auto* bottom = static_cast<CButton*>(dialog.GetDlgItem(IDC_PROFILE_BOTTOM_CHART));
            if (bottom->GetCheck() != BST_CHECKED) bottom->Click();
            Click(dialog, IDC_PROFILE_PARAMETER_CHART);
            auto* combo = static_cast<CComboBox*>(dialog.GetDlgItem(IDC_PROFILE_BOTTOM_VARIABLE));
            combo->SetCurSel(combo->FindStringExact(-1, variable));
            Click(dialog, IDOK);
        });
        Command(ID_PROFILE_VIEW_OPTIONS);
    });
    stops.push_back([] { SaveScreen("profile"); });
    stops.push_back([] { AfxGetMainWnd()->PostMessage(WM_CLOSE); });

    // The About box closes, then the stops follow one another with time to show each.
    RunStopsInProgram(app, dialogs, stops, argv[0], argv[1]);
    if (!reachedEnd) std::fprintf(stderr, "wq_tour: the run did not reach %s h\n", finalHours.c_str());
    return g_failed || g_shots == 0 || !reachedEnd ? 2 : 0;
}
