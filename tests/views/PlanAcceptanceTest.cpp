// The plan view's main road as a user walks it, headless: the real program on the branched
// sample river, a map image under it, the options, the zooms by mouse, key and command, and a
// transient run whose every step colours the elements by the stages the database holds for it
// (tests/tools/PlanTour.h, which the plan tour also runs on a display).
#include "ViewsTestSupport.h"

#include "../TestFolder.h"
#include "../tools/PlanTour.h"

#include "app/VasquilApp.h"

namespace {

using namespace views_test;

const std::filesystem::path SampleNetwork = std::filesystem::path(VASQUIL_SOURCE_DIR) / "examples" / "sample-network.vqx";

TEST(PlanAcceptance, TheSampleNetworkOverItsMapIsZoomedAndColouredStepByStep)
{
    const std::filesystem::path work = FreshTestFolder("vasquil-plan-acceptance");
    QSettings(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("Vasquil")).clear();
    ModalDialogInterceptor about;
    MessageBoxSink boxes;
    about.scripts.push_back([](CDialog& d) { static_cast<CButton*>(d.GetDlgItem(IDOK))->Click(); });
    {
        CVasquilApp app(&CVasquilView::Runtime);
        ASSERT_TRUE(app.InitInstance());
        {
            QuietStdout quiet;
            ASSERT_NE(app.OpenDocumentFile(SampleNetwork), nullptr);
        }
        app.m_pMainWnd->MoveWindow(0, 0, 1280, 800);
        ProcessEvents();
        // The engine's chatter is silenced during the run, so the failures are told after it.
        std::vector<std::string> failures;
        plan_tour::Observer observer;
        observer.Fail = [&failures](const std::string& failure) { failures.push_back(failure); };
        {
            QuietStdout quiet;
            plan_tour::Tour tour(work, observer);
            tour.Run();
        }
        for (const std::string& failure : failures) ADD_FAILURE() << failure;
    }
    ProcessEvents();
    std::filesystem::remove_all(work);
}

}  // namespace
