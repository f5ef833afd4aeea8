// The cross-section editor's main road as a user walks it, headless: the real program on the
// sample river, a typed point, a raised point count, Apply, Save and reopen, a water-quality
// run watched from the editor, and the thermal sample's border ice after 72 h
// (tests/tools/XSectionTour.h, which the cross-section tour also runs on a display).
#include "ViewsTestSupport.h"

#include "../TestFolder.h"
#include "../tools/XSectionTour.h"

#include "app/VasquilApp.h"

namespace {

using namespace views_test;

const std::filesystem::path Examples = std::filesystem::path(VASQUIL_SOURCE_DIR) / "examples";

TEST(XSectionAcceptance, TheSampleRiversSectionIsEditedAppliedSavedAndWatchedThroughARun)
{
    const std::filesystem::path work = FreshTestFolder("vasquil-xsection-acceptance");
    QSettings(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("Vasquil")).clear();
    ModalDialogInterceptor about;
    MessageBoxSink boxes;
    about.scripts.push_back([](CDialog& d) { static_cast<CButton*>(d.GetDlgItem(IDOK))->Click(); });
    {
        CVasquilApp app(&CVasquilView::Runtime);
        ASSERT_TRUE(app.InitInstance());
        {
            QuietStdout quiet;
            ASSERT_NE(app.OpenDocumentFile(Examples / "sample-river.vqx"), nullptr);
        }
        app.m_pMainWnd->MoveWindow(0, 0, 1280, 800);
        ProcessEvents();
        std::vector<std::string> failures;
        xsection_tour::Observer observer;
        observer.Fail = [&failures](const std::string& failure) { failures.push_back(failure); };
        {
            QuietStdout quiet;
            xsection_tour::Tour tour(work, Examples, observer);
            tour.Run();
        }
        for (const std::string& failure : failures) ADD_FAILURE() << failure;
    }
    ProcessEvents();
    std::filesystem::remove_all(work);
}

}  // namespace
