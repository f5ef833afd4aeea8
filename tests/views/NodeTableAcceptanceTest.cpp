// The node table's main road as a user walks it, headless: the real program on copies of the
// sample river and its water-quality data, a typed stage, a pasted block and Set Values, Save's
// question and the run's refusal, Accept, Save and both files reopened, a water-quality run
// watched step by step against the results database, editing after the run, and a run dialog
// the table hides shown again on the Profile tab (tests/tools/NodeTableTour.h, which the
// node-table tour also runs on a display).
#include "ViewsTestSupport.h"

#include "../TestFolder.h"
#include "../tools/NodeTableTour.h"

#include "app/VasquilApp.h"

namespace {

using namespace views_test;

const std::filesystem::path Examples = std::filesystem::path(VASQUIL_SOURCE_DIR) / "examples";

TEST(NodeTableAcceptance, TheSampleRiversTableIsEditedAcceptedSavedAndWatchedThroughARun)
{
    const std::filesystem::path work = FreshTestFolder("vasquil-node-table-acceptance");
    QSettings(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("Vasquil")).clear();
    ModalDialogInterceptor about;
    MessageBoxSink boxes;
    about.scripts.push_back([](CDialog& d) { static_cast<CButton*>(d.GetDlgItem(IDOK))->Click(); });
    {
        CVasquilApp app(&CVasquilView::Runtime);
        ASSERT_TRUE(app.InitInstance());
        app.m_pMainWnd->MoveWindow(0, 0, 1280, 800);
        ProcessEvents();
        std::vector<std::string> failures;
        node_table_tour::Observer observer;
        observer.Fail = [&failures](const std::string& failure) { failures.push_back(failure); };
        {
            QuietStdout quiet;
            node_table_tour::Tour tour(work, Examples, observer);
            tour.Run();
        }
        for (const std::string& failure : failures) ADD_FAILURE() << failure;
    }
    ProcessEvents();
    std::filesystem::remove_all(work);
}

}  // namespace
