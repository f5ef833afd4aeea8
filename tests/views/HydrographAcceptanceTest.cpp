// The hydrograph view's main road as a user walks it, headless: the real program on the
// sample river, the options, a transient run whose every step ends the line on the results
// database's newest row, the discharge as Qflux and as nodal Qw, then the thermal sample's
// air temperature through 72 h inside its range (tests/tools/HydrographTour.h, which the
// hydrograph tour also runs on a display).
#include "ViewsTestSupport.h"

#include "../TestFolder.h"
#include "../tools/HydrographTour.h"

#include "app/VasquilApp.h"

namespace {

using namespace views_test;

const std::filesystem::path Examples = std::filesystem::path(VASQUIL_SOURCE_DIR) / "examples";

TEST(HydrographAcceptance, TheSampleRiversHistoryGrowsStepByStepAsTheDatabaseHoldsIt)
{
    const std::filesystem::path work = FreshTestFolder("vasquil-hydrograph-acceptance");
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
        // The engine's chatter is silenced during the runs, so the failures are told after it.
        std::vector<std::string> failures;
        hydrograph_tour::Observer observer;
        observer.Fail = [&failures](const std::string& failure) { failures.push_back(failure); };
        {
            QuietStdout quiet;
            hydrograph_tour::Tour tour(work, Examples / "sample-thermal.vqx", observer);
            tour.Run();
        }
        for (const std::string& failure : failures) ADD_FAILURE() << failure;
    }
    ProcessEvents();
    std::filesystem::remove_all(work);
}

}  // namespace
