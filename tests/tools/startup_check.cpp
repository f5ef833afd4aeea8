// Starts vasquil as the desktop does with one file on its command line, headless, and checks
// how it starts: a file that opens is the model; a file that does not open shows one message
// with its reason, and the program runs on with no model, as when started without a file.
// The hooks play the user: the About box is closed, the close question answered Yes.
//
//   startup_check MODEL MESSAGE
//
// MESSAGE is a part of the one message the start shows, or "-" for a start without one (the
// model then opens). The exit status is 0 when the start went so and the program then closed
// with status 0.
#include "app/VasquilApp.h"
#include "app/VasquilDoc.h"
#include "platform/Dialog.h"
#include "platform/DocTemplate.h"
#include "platform/Frame.h"
#include "platform/TestHooks.h"
#include "views/VasquilView.h"

#include <QWidget>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: startup_check MODEL MESSAGE\n");
        return 2;
    }
    const std::string expected = argv[2];
    const bool refused = expected != "-";
    // What the program sees: its name and the one file.
    char* programArguments[] = {argv[0], argv[1], nullptr};
    int programCount = 2;

    CVasquilApp app(&CVasquilView::Runtime);
    MessageBoxSink boxes;
    ModalDialogInterceptor dialogs;
    int failures = 0;
    const auto check = [&failures](bool ok, const std::string& what) {
        if (!ok) {
            std::fprintf(stderr, "startup_check: %s\n", what.c_str());
            ++failures;
        }
    };
    bool started = false;
    dialogs.scripts.push_back([&](CDialog& about) {
        started = true;
        CWnd* main = AfxGetMainWnd();
        check(main && main->GetWidget() && main->GetWidget()->isVisible(), "the main window is not shown");
        auto* doc = static_cast<CVasquilDoc*>(app.GetDocTemplate()->GetDocument());
        check(doc != nullptr, "no document");
        std::vector<std::string> shown;
        for (const MessageBoxRequest& r : boxes.shown) shown.push_back(r.text);
        if (refused) {
            check(shown.size() == 1 && shown[0].find(expected) != std::string::npos,
                  "expected one message with \"" + expected + "\", got " + std::to_string(shown.size()) +
                      (shown.empty() ? std::string() : ": \"" + shown[0] + "\""));
            check(doc && !doc->DisplayModel && doc->GetPathName().empty(), "a model is open after a refused file");
            const std::string caption = main ? main->GetWidget()->windowTitle().toStdString() : std::string();
            check(caption == "Untitled - Vasquil", "caption \"" + caption + "\"");
        } else {
            check(shown.empty(), "a message at the start: \"" + (shown.empty() ? std::string() : shown[0]) + "\"");
            check(doc && doc->DisplayModel && !doc->GetPathName().empty(), "the model did not open");
        }
        static_cast<CButton*>(about.GetDlgItem(IDOK))->Click();
        if (main) main->PostMessage(WM_CLOSE);
    });
    const int status = app.Run(programCount, programArguments);
    check(started, "the program did not start (no About box)");
    check(status == 0, "exit status " + std::to_string(status));
    if (failures == 0) std::printf("startup_check: %s started as expected\n", argv[1]);
    return failures == 0 ? 0 : 1;
}
