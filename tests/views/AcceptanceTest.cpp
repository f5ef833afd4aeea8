// The main road as a user walks it: the program started on the sample river shows its profile;
// the options change the chart; and step by step through a run the profile draws what the
// results database holds for each time.
#include "ViewsTestSupport.h"

#include "app/VasquilApp.h"
#include "engine/EngineData.h"
#include "engine/ResultsDatabase.h"
#include "engine/TimeStepping.h"
#include "engine/Units.h"
#include "platform/Dialog.h"
#include "platform/TestHooks.h"

#include <QImage>
#include <QSet>

#include <sqlite3.h>

#include <filesystem>
#include <map>

namespace {

using namespace views_test;

const std::filesystem::path SampleRiver = std::filesystem::path(VASQUIL_SOURCE_DIR) / "examples" / "sample-river.vqx";

// The real program, started as a user starts it; the hooks answer the About box and the
// question before closing.
class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QSettings(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("Vasquil")).clear();
        dialogs_.scripts.push_back([](CDialog& about) { static_cast<CButton*>(about.GetDlgItem(IDOK))->Click(); });
        app_ = std::make_unique<CVasquilApp>(&CVasquilView::Runtime);
        ASSERT_TRUE(app_->InitInstance());
        ASSERT_EQ(dialogs_.shown, std::vector<UINT>{IDD_ABOUTBOX});
    }
    void TearDown() override
    {
        app_.reset();
        ProcessEvents();
    }
    CFrameWnd* Frame() const { return static_cast<CFrameWnd*>(app_->m_pMainWnd); }
    CVasquilView* MainView() const { return static_cast<CVasquilView*>(Frame()->GetDlgItem(int(AFX_IDW_PANE_FIRST))); }
    CProfileView* Profile() const
    {
        return static_cast<CProfileView*>(MainView()->TabControl.GetTabWnd(CVasquilView::ProfileTab));
    }
    CVasquilDoc* Doc() const { return static_cast<CVasquilDoc*>(app_->GetDocTemplate()->GetDocument()); }

    ModalDialogInterceptor dialogs_;
    MessageBoxSink boxes_;
    std::unique_ptr<CVasquilApp> app_;
};

TEST_F(ProgramTest, TheSampleRiverOpensOnItsProfileAndTheOptionsChangeIt)
{
    {
        QuietStdout quiet;
        ASSERT_NE(app_->OpenDocumentFile(SampleRiver), nullptr);
    }
    ProcessEvents();
    EXPECT_EQ(MainView()->TabControl.GetActiveTab(), CVasquilView::ProfileTab);
    EXPECT_EQ(Frame()->GetActiveView(), Profile());
    std::shared_ptr<const ChartScene> scene = ChartSceneOf(Profile()->Chart);
    ASSERT_NE(scene, nullptr);

    // Reach 1's discharge above its bed and water surface, with labelled axes and a legend.
    ASSERT_EQ(scene->Panes.size(), 2u);
    EXPECT_EQ(scene->Panes[0].YLabel, "Discharge (cms)");
    EXPECT_EQ(scene->Panes[1].YLabel, "Elevation (m)");
    EXPECT_EQ(scene->XLabel, "Distance (km)");
    QStringList legend;
    for (const ChartLegendEntry& entry : scene->Legend) legend << entry.Label;
    EXPECT_EQ(legend, (QStringList{"Bed", "Water Surface"}));
    std::vector<const VQXDisplayNode*> reach;
    VQXDisplayModel& model = *Doc()->DisplayModel;
    for (const VQXDisplayNode* node = model.FirstNode(); node; node = model.NextNode()) {
        if (node->Reach == 1) reach.push_back(node);
    }
    ASSERT_EQ(reach.size(), 31u);
    const ChartLayer* bed = LayerOf(*scene, 7);
    const ChartLayer* water = LayerOf(*scene, 8);
    ASSERT_NE(bed, nullptr);
    ASSERT_NE(water, nullptr);
    ASSERT_EQ(bed->Points.size(), reach.size());
    ASSERT_EQ(water->Points.size(), reach.size());
    for (std::size_t k = 0; k < reach.size(); ++k) {
        EXPECT_EQ(bed->Points[k], QPointF(reach[k]->Station, reach[k]->Invert));
        EXPECT_EQ(water->Points[k], QPointF(reach[k]->Station, reach[k]->Stage));
    }
    // The window shows a drawn chart.
    const QImage picture = ChartImageOf(Profile()->Chart);
    ASSERT_FALSE(picture.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 2) {
        for (int x = 0; x < picture.width(); x += 2) colours.insert(picture.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 16);

    // Display > Profile View Options: the top chart alone, titled with the reach.
    dialogs_.scripts.push_back([](CDialog& d) {
        static_cast<CButton*>(d.GetDlgItem(IDC_PROFILE_BOTTOM_CHART))->Click();
        static_cast<CButton*>(d.GetDlgItem(IDC_PROFILE_TITLE_REACH_NAME))->Click();
        static_cast<CButton*>(d.GetDlgItem(IDOK))->Click();
    });
    Frame()->SendMessage(WM_COMMAND, ID_PROFILE_VIEW_OPTIONS, 0);
    ProcessEvents();
    scene = ChartSceneOf(Profile()->Chart);
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->Panes.size(), 1u);
    EXPECT_EQ(scene->SubtitleCentre, "Reach 1");
    EXPECT_EQ(scene->Annotations.size(), reach.size());
}

// Steps of a transient run as the run dialog makes them: the engine steps, the database takes
// the step's rows, the model state refreshes the display nodes and every view repaints.
class StepByStepTest : public ViewsTest
{
protected:
    void TearDown() override
    {
        CloseResultsDatabase(database_);
        if (reader_) sqlite3_close(reader_);
        std::filesystem::remove(path_);
        ViewsTest::TearDown();
    }
    // Stage of each node in the database at a time (s).
    std::map<int, double> StoredStages(double time)
    {
        std::map<int, double> stages;
        sqlite3_stmt* query = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(reader_, "SELECT node_id, H_m FROM time_series WHERE time_s = ?", -1, &query, nullptr),
                  SQLITE_OK);
        sqlite3_bind_double(query, 1, time);
        while (sqlite3_step(query) == SQLITE_ROW) stages[sqlite3_column_int(query, 0)] = sqlite3_column_double(query, 1);
        sqlite3_finalize(query);
        return stages;
    }

    std::filesystem::path path_ = std::filesystem::temp_directory_path() /
                                  ("vasquil-views-steps-" + std::to_string(::getpid()) + ".db");
    ResultsDatabase* database_ = nullptr;
    sqlite3* reader_ = nullptr;
};

TEST_F(StepByStepTest, EachStepsChartDrawsTheStagesTheDatabaseHoldsForThatTime)
{
    {
        QuietStdout quiet;
        ASSERT_NE(app_->OpenDocumentFile(SampleRiver), nullptr);
    }
    ProcessEvents();
    ModelControl& mc = g_ModelControl;
    mc.FinalTime = mc.ModelTime + 3 * SecondsPerHour;
    mc.SeriesInterval = mc.SnapshotInterval = mc.IceFrontInterval = mc.StateFileInterval = mc.DatabaseInterval = 0;
    ASSERT_EQ(CreateResultsDatabase(path_.c_str()), 0);
    ASSERT_EQ(OpenResultsDatabase(path_.c_str(), &database_), 0);
    ASSERT_EQ(sqlite3_open_v2(path_.c_str(), &reader_, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);

    const int reach = Profile()->Options.ReachNumber;
    int steps = 0;
    while (mc.ModelTime < mc.FinalTime && steps < 12) {
        const double before = mc.ModelTime;
        int result = 0;
        {
            QuietStdout quiet;
            result = TransientStep();
        }
        ASSERT_EQ(result, 0);
        if (!(mc.ModelTime > before)) continue;  // rejected: retried with a shorter step
        ++steps;
        ComputeCalendarDate(mc.CurrentDate);
        ASSERT_EQ(WriteTimeSeriesToDatabase(database_), 0);
        Doc()->State->RefreshNodeResults();
        Repaint();

        const std::map<int, double> stored = StoredStages(mc.ModelTime);
        const std::vector<VQXDisplayNode*> nodes = ReachNodes(reach);
        const ChartLayer* water = LayerOf(Scene(), 8);
        ASSERT_NE(water, nullptr);
        ASSERT_EQ(water->Points.size(), nodes.size());
        for (std::size_t k = 0; k < nodes.size(); ++k) {
            ASSERT_EQ(stored.count(nodes[k]->Number), 1u) << "node " << nodes[k]->Number;
            EXPECT_NEAR(water->Points[k].y(), stored.at(nodes[k]->Number), 1e-9)
                << "node " << nodes[k]->Number << " at " << mc.ModelTime << " s";
        }
    }
    EXPECT_EQ(steps, 12);
}

}  // namespace
