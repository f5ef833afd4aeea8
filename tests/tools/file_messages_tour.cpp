// Starts vasquil as a user would and saves the screen while the program's own file messages
// are shown: the save question before New after a settings change, and the message of a
// model that does not open. Run it on a display (a virtual one under xvfb-run).
//
//   file_messages_tour MODEL.vqx OUTPUT_FOLDER
//
// Works on a copy of MODEL.vqx in OUTPUT_FOLDER and writes OUTPUT_FOLDER/NN-name.png. The exit
// status is 0 when both messages were shown with their texts and every picture saved shows
// more than a blank screen.
#include "app/VasquilApp.h"
#include "app/VasquilDoc.h"
#include "platform/Dialog.h"
#include "platform/DocTemplate.h"
#include "platform/TestHooks.h"
#include "resources/GlobalSettingsDialog.h"
#include "resources/ResourceIds.h"
#include "views/VasquilView.h"
#include "ScreenTour.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace screen_tour;

namespace {

// Once the message box that the next command shows has settled: its text is checked, the
// screen saved as name, and button pressed.
void WhenTheBoxShows(const std::string& name, const std::string& text, QMessageBox::StandardButton button,
                     int* seen)
{
    QTimer::singleShot(SettleTime, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            std::fprintf(stderr, "file_messages_tour: no message box for %s\n", name.c_str());
            return;
        }
        Settle();
        SaveScreen(name);
        if (box->text().toStdString() == text) ++*seen;
        else std::fprintf(stderr, "file_messages_tour: %s says \"%s\"\n", name.c_str(), qPrintable(box->text()));
        if (QAbstractButton* b = box->button(button)) b->click();
        else box->reject();
    });
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: file_messages_tour MODEL.vqx OUTPUT_FOLDER\n");
        return 1;
    }
    g_folder = argv[2];
    std::filesystem::create_directories(g_folder);
    const std::filesystem::path model = g_folder / "sample-river.vqx";
    std::filesystem::copy_file(argv[1], model, std::filesystem::copy_options::overwrite_existing);
    const std::filesystem::path missing = g_folder / "missing" / "river.vqx";

    CVasquilApp app(&CVasquilView::Runtime);
    ModalDialogInterceptor dialogs;
    FileDialogProvider files;
    std::unique_ptr<MessageBoxSink> closing;  // the close question at the end
    int seen = 0;

    std::vector<std::function<void()>> stops;
    stops.push_back([&] {
        files.answers = {model};
        Command(ID_FILE_OPEN);
    });
    // A settings change, then New: the save question.
    stops.push_back([&] {
        dialogs.scripts.push_back([](CDialog& dialog) {
            dialog.GetDlgItem(IDC_GS_UPWINDING)->SetWindowText("0.6");
            Click(dialog, IDOK);
        });
        Command(ID_SIMULATION_GLOBAL_SETTINGS);
    });
    stops.push_back([&] {
        WhenTheBoxShows("save-question", "Save changes to sample-river.vqx?", QMessageBox::Cancel, &seen);
        Command(ID_FILE_NEW);
    });
    // A model that does not open (its changes dropped first).
    stops.push_back([&] {
        static_cast<CVasquilDoc*>(app.GetDocTemplate()->GetDocument())->SetModifiedFlag(FALSE);
        files.answers = {missing};
        WhenTheBoxShows("open-failure", "Could not open " + missing.string() + ": No such file or directory.",
                        QMessageBox::Ok, &seen);
        Command(ID_FILE_OPEN);
    });
    stops.push_back([&] {
        closing = std::make_unique<MessageBoxSink>();
        AfxGetMainWnd()->PostMessage(WM_CLOSE);
    });
    const int expected = 2;

    RunStopsInProgram(app, dialogs, stops, argv[0], nullptr);
    if (seen != expected) std::fprintf(stderr, "file_messages_tour: %d of %d messages as expected\n", seen, expected);
    return g_failed || g_shots != expected || seen != expected ? 2 : 0;
}
