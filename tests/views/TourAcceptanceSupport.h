// The acceptance tests that walk a screen tour headless: the real program started as a user
// starts it, the tour walked in it, and the tour's failed checks told as the test's own.
#pragma once

#include "ViewsTestSupport.h"

#include "../TestFolder.h"
#include "../tools/TourSteps.h"

#include "app/VasquilApp.h"
#include "platform/TestHooks.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace views_test {

// A tour walked in the running program: it works in folder work and tells observer its checks.
using TourWalk = std::function<void(const std::filesystem::path& work, tour_steps::Observer& observer)>;

// Starts the real program with its own settings cleared, the About box answered OK and message
// boxes answered by the test sink, opens model (unless model is empty) and sizes the frame to
// 1280 x 800 pixels; then walks the tour in a fresh test folder named by prefix with the engine's
// chatter silenced, and reports each check the tour failed as a test failure after it. The
// folder is removed at the end. After a failure to start the program or open model, the test
// has failed and the folder is left for a look.
inline void WalkTourInProgram(const std::string& prefix, const std::filesystem::path& model, const TourWalk& walk)
{
    const std::filesystem::path work = FreshTestFolder(prefix);
    QSettings(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("Vasquil")).clear();
    ModalDialogInterceptor about;
    MessageBoxSink boxes;
    about.scripts.push_back([](CDialog& d) { static_cast<CButton*>(d.GetDlgItem(IDOK))->Click(); });
    {
        CVasquilApp app(&CVasquilView::Runtime);
        ASSERT_TRUE(app.InitInstance());
        if (!model.empty()) {
            QuietStdout quiet;
            ASSERT_NE(app.OpenDocumentFile(model), nullptr);
        }
        app.m_pMainWnd->MoveWindow(0, 0, 1280, 800);
        ProcessEvents();
        // The engine's chatter is silenced during the tour's runs, so the failures are told after it.
        std::vector<std::string> failures;
        tour_steps::Observer observer;
        observer.Fail = [&failures](const std::string& failure) { failures.push_back(failure); };
        {
            QuietStdout quiet;
            walk(work, observer);
        }
        for (const std::string& failure : failures) ADD_FAILURE() << failure;
    }
    ProcessEvents();
    std::filesystem::remove_all(work);
}

}  // namespace views_test
