// Starts vasquil as a user would and converts a HEC-RAS geometry file, saving the screen at
// every stop: the converter dialog filled in, then the converted model opened and run steady,
// with its profile. Run it on a display (a virtual one under xvfb-run).
//
//   hecras_tour GEOMETRY OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png and OUTPUT_FOLDER/converted.vqx; the exit status is 0 when
// every picture was saved and shows more than a blank screen, the conversion succeeded and the
// steady run made its passes.
#include "app/RunSteadyDlg.h"
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

constexpr int SteadyPasses = 40;

CVasquilDoc* Document()
{
    return static_cast<CVasquilDoc*>(AfxGetApp()->GetDocTemplate()->GetDocument());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: hecras_tour GEOMETRY OUTPUT_FOLDER\n");
        return 1;
    }
    const std::filesystem::path geometry = argv[1];
    g_folder = argv[2];
    std::filesystem::create_directories(g_folder);
    const std::filesystem::path model = g_folder / "converted.vqx";
    std::filesystem::remove(model);

    CVasquilApp app(&CVasquilView::Runtime);
    ModalDialogInterceptor dialogs;
    MessageBoxSink boxes;  // the reach question, the notes and the question before closing: the first button
    FileDialogProvider files;
    bool converted = false;
    bool ran = false;

    std::vector<std::function<void()>> stops;
    stops.push_back([&] {
        dialogs.scripts.push_back([&](CDialog& dialog) {
            files.answers = {geometry, model};
            Click(dialog, IDC_HECRAS_GEOMETRY_BROWSE);
            Click(dialog, IDC_HECRAS_OUTPUT_BROWSE);
            dialog.GetDlgItem(IDC_HECRAS_DEPTH)->SetWindowText("2");
            dialog.GetDlgItem(IDC_HECRAS_DISCHARGE)->SetWindowText("50");
            Settle();
            SaveScreen("convert-dialog");
            Click(dialog, IDOK);
        });
        Command(ID_FILE_CONVERT_HECRAS);
        converted = std::filesystem::exists(model) &&
                    static_cast<CFrameWnd*>(AfxGetMainWnd())->GetStatusBar()->GetPaneText(0) == "Conversion complete!";
        for (const MessageBoxRequest& r : boxes.shown) std::printf("%s\n", r.text.c_str());
    });
    stops.push_back([&] {
        files.answers = {model};
        Command(ID_FILE_OPEN);
    });
    stops.push_back([&] {
        Command(ID_SIMULATION_STEADY);
        CRunSteadyDlg* dialog = Document()->SteadyDialog;
        if (!dialog) return;
        dialog->GetDlgItem(IDC_STEADY_FINAL_STEP)->SetWindowText(std::to_string(SteadyPasses));
        Click(*dialog, IDC_RUN_BUTTON);
        while (dialog->Running) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        ran = dialog->PresentStep == SteadyPasses;
        Settle();
        SaveScreen("steady-run");
        Click(*dialog, IDCANCEL);
    });
    stops.push_back([] { SaveScreen("profile"); });
    stops.push_back([] { AfxGetMainWnd()->PostMessage(WM_CLOSE); });

    // The About box closes, then the stops follow one another with time to show each.
    RunStopsInProgram(app, dialogs, stops, argv[0], nullptr);
    if (!converted) std::fprintf(stderr, "hecras_tour: the geometry file was not converted\n");
    if (!ran) std::fprintf(stderr, "hecras_tour: the steady run did not make %d passes\n", SteadyPasses);
    return g_failed || g_shots == 0 || !converted || !ran ? 2 : 0;
}
