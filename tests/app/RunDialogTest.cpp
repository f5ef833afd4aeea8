// Runs through the run dialogs, headless, as a user makes them: Output Options, Transient or
// Steady, fields typed, Run (and Stop) pressed. A whole transient run of the sample river
// gives the database rows of vasquil-batch; refusals start nothing; Stop, a run that cannot
// advance and closing the program during a run end the run soundly.
#include "RunTestSupport.h"

#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"
#include "engine/OutputTargets.h"
#include "engine/SteadyRun.h"
#include "platform/UiThread.h"

#include <cmath>
#include <cstdlib>
#include <map>

namespace {

using namespace run_test;

bool Close(double a, double b, double relative)
{
    return std::fabs(a - b) <= relative * std::fmax(std::fabs(a), std::fabs(b)) || a == b;
}

class TransientRunTest : public RunTest
{
protected:
    // The output options of the comparison: time series (stage and discharge), snapshot
    // (stage), peak values and database, all hourly.
    void HourlyOutputs()
    {
        const std::vector<std::string> shown = OutputOptions([this](COutputOptionsDlg& d) {
            constexpr int Hourly = 5;
            Choose(d, IDC_OUT_SERIES, IDC_OUT_SERIES_BROWSE, folder_ / "series.csv");
            Interval(d, IDC_OUT_SERIES_LIST, Hourly);
            Tick(d, IDC_OUT_SERIES_VARIABLES[0]);
            Tick(d, IDC_OUT_SERIES_VARIABLES[1]);
            Choose(d, IDC_OUT_SNAPSHOT, IDC_OUT_SNAPSHOT_BROWSE, folder_ / "snapshot.csv");
            Interval(d, IDC_OUT_SNAPSHOT_LIST, Hourly);
            Tick(d, IDC_OUT_SNAPSHOT_VARIABLES[0]);
            Choose(d, IDC_OUT_PEAK, IDC_OUT_PEAK_BROWSE, folder_ / "peak.csv");
            Choose(d, IDC_OUT_DATABASE, IDC_OUT_DATABASE_BROWSE, folder_ / "run.db");
            Interval(d, IDC_OUT_DATABASE_LIST, Hourly);
        });
        ASSERT_TRUE(shown.empty()) << shown.front();
        ASSERT_EQ(Doc()->OutputOptionsChanged, 1);
    }
    // Transient with the final time typed, Run pressed; returns the dialog (running).
    CRunTransDlg* StartTransient(const std::string& finalHours)
    {
        CRunTransDlg* dialog = Transient();
        Type(dialog, IDC_TRANS_FINAL_TIME, finalHours);
        Press(dialog, IDC_RUN_BUTTON);
        return dialog;
    }
};

// The headless run of the sample river writes the database rows vasquil-batch writes for the
// same model and final time; the time series and the peaks agree with them.
TEST_F(TransientRunTest, AWholeRunOfTheSampleRiverGivesTheRowsOfTheBatchRunner)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    HourlyOutputs();
    CRunTransDlg* dialog = StartTransient("24");
    EXPECT_EQ(Text(dialog, IDC_RUN_BUTTON), "Stop");
    EXPECT_EQ(Doc()->RunActive, 1);
    ASSERT_TRUE(WaitForEnd(dialog));
    EXPECT_EQ(Text(dialog, IDC_RUN_BUTTON), "Run");
    EXPECT_TRUE(dialog->GetDlgItem(IDC_RUN_BUTTON)->IsWindowEnabled());
    EXPECT_EQ(Doc()->RunActive, 0);
    EXPECT_EQ(dialog->Running, 0);
    EXPECT_EQ(Doc()->OutputOptionsChanged, 0);
    EXPECT_DOUBLE_EQ(dialog->PresentTime, 24.0);

    const std::filesystem::path batchDb = folder_ / "batch.db";
    const std::string command = std::string(VASQUIL_BATCH) + " run '" + model_.string() + "' --final-hours 24 --db '" +
                                batchDb.string() + "' --db-every-hours 1 > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);

    const std::vector<DatabaseRow> gui = ReadRows(folder_ / "run.db");
    const std::vector<DatabaseRow> batch = ReadRows(batchDb);
    ASSERT_EQ(gui.size(), batch.size());
    ASSERT_EQ(gui.size(), 25u * 31u);  // 0 to 24 h, 31 nodes
    for (std::size_t i = 0; i < gui.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(gui[i].node, batch[i].node);
        ASSERT_EQ(gui[i].time, batch[i].time);
        ASSERT_EQ(gui[i].date, batch[i].date);
        ASSERT_EQ(gui[i].values.size(), batch[i].values.size());
        for (std::size_t c = 0; c < gui[i].values.size(); ++c)
            ASSERT_TRUE(Close(gui[i].values[c], batch[i].values[c], 1e-9)) << gui[i].values[c] << " " << batch[i].values[c];
    }

    // Stage (H_m, the fifth value) and flux discharge (Qf_cms, the second) by node and hour.
    std::map<std::pair<int, long>, std::pair<double, double>> byNodeHour;
    std::map<int, double> highest;
    for (const DatabaseRow& row : gui) {
        byNodeHour[{row.node, std::lround(row.time / 3600)}] = {row.values[4], row.values[1]};
        highest[row.node] = std::max(highest.count(row.node) ? highest[row.node] : row.values[4], row.values[4]);
    }
    // The time series: a header and 25 hourly rows; the output nodes' stage and discharge.
    std::istringstream series(ReadFile(folder_ / "series.csv"));
    std::string line;
    std::vector<std::string> rows;
    while (std::getline(series, line))
        if (line.rfind(",,", 0) == 0) rows.push_back(line);
    ASSERT_EQ(rows.size(), 25u);
    const std::vector<int> outputNodes = {1, 11, 21, 31};
    for (long hour = 0; hour <= 24; ++hour) {
        std::istringstream cells(rows[std::size_t(hour)]);
        std::vector<std::string> cell;
        for (std::string c; std::getline(cells, c, ',');) cell.push_back(c);
        for (std::size_t k = 0; k < outputNodes.size(); ++k) {
            const std::size_t at = k * 7;  // ",,time,date,stage,discharge,," per node
            EXPECT_NEAR(std::stod(cell[at + 2]), double(hour), 1e-9);
            const auto [stage, discharge] = byNodeHour[{outputNodes[k], hour}];
            EXPECT_NEAR(std::stod(cell[at + 4]), stage, 1e-9);
            EXPECT_NEAR(std::stod(cell[at + 5]), discharge, 1e-9);
        }
    }
    // The peak file: every node, its peak stage at least the highest hourly stage.
    std::istringstream peak(ReadFile(folder_ / "peak.csv"));
    int nodes = 0;
    while (std::getline(peak, line)) {
        if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
        std::istringstream cells(line);
        std::vector<double> cell;
        for (std::string c; std::getline(cells, c, ',');) cell.push_back(std::stod(c));
        ++nodes;
        ASSERT_EQ(cell.size(), 5u);
        EXPECT_GE(cell[1], highest[nodes] - 0.0005);
    }
    EXPECT_EQ(nodes, 31);
    // The snapshot: the initial conditions and one block per hour.
    const std::string snapshot = ReadFile(folder_ / "snapshot.csv");
    std::size_t blocks = 0;
    for (std::size_t at = snapshot.find("Model time:"); at != std::string::npos; at = snapshot.find("Model time:", at + 1))
        ++blocks;
    EXPECT_EQ(blocks, 24u);
}

// Each refusal shows its message and starts nothing: no worker, no first output row.
TEST_F(TransientRunTest, RefusalsShowTheirMessageAndStartNothing)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    HourlyOutputs();
    const std::string header = ReadFile(folder_ / "series.csv");
    struct Case {
        const char* name;
        std::function<void(CRunTransDlg*, CVasquilDoc*)> set;
        const char* message;  // null: the run starts
    };
    const auto type = [](int id, const char* text) {
        return [id, text](CRunTransDlg* d, CVasquilDoc*) { Type(d, id, text); };
    };
    const auto interval = [](double seriesHours, double snapshotHours) {
        return [=](CRunTransDlg* d, CVasquilDoc* doc) {
            doc->State->SeriesInterval = seriesHours;
            doc->State->SnapshotInterval = snapshotHours;
            Type(d, IDC_TRANS_MAX_TIME_STEP, "0.5");
        };
    };
    const Case cases[] = {
        {"present time equal to the final time", type(IDC_TRANS_FINAL_TIME, "0"),
         "The present time must be less than the final time."},
        {"theta 0", type(IDC_TRANS_HYDRO_THETA, "0"), "Theta for the hydrodynamics must be set to a value between 0 and 1.0."},
        {"theta 1.01", type(IDC_TRANS_HYDRO_THETA, "1.01"),
         "Theta for the hydrodynamics must be set to a value between 0 and 1.0."},
        {"ice theta 0", type(IDC_TRANS_ADD_THETA, "0"),
         "Theta for the ice process model must be set to a value between 0 and 1.0."},
        {"iterations 0", type(IDC_TRANS_HYDRO_MAX_ITERATIONS, "0"),
         "The maximum number of iterations must be an integer greater than 0."},
        {"series every 0.25 h against 0.5 h", interval(0.25, 1),
         "The maximum time step increment must be less or equal to the smallest output time step increment."},
        {"snapshot every 0.25 h against 0.5 h", interval(1, 0.25),
         "The maximum time step increment must be less or equal to the smallest output time step increment."},
        {"pending node-table edits", [](CRunTransDlg*, CVasquilDoc* doc) { doc->NodeTableEdited = 1; },
         "EDITS HAVE BEEN MADE TO THE NODE TABLE!\n\nPlease return to the Node Table Editor and \naccept or reject the "
         "changes."},
        {"a word for the final time", type(IDC_TRANS_FINAL_TIME, "ten"), "Enter a number."},
        {"a fraction of an iteration", type(IDC_TRANS_HYDRO_MAX_ITERATIONS, "2.5"), "Enter an integer."},
        {"a time step of 0", type(IDC_TRANS_TIME_STEP, "0"), "The time step increment must be greater than 0."},
        {"a maximum step below a millisecond", type(IDC_TRANS_MAX_TIME_STEP, "1e-7"),
         "The maximum time step increment must be at least 0.001 seconds (2.7778e-07 hrs)."},
        {"a tolerance of 0", type(IDC_TRANS_HYDRO_TOLERANCE, "0"),
         "The solution tolerance of the hydrodynamics must be at least 1e-14 and less than 1."},
        {"theta 1.0", type(IDC_TRANS_HYDRO_THETA, "1.0"), nullptr},
        {"intervals of 0.5 h against 0.5 h", interval(0.5, 0.5), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CRunTransDlg* dialog = Transient();
        c.set(dialog, Doc());
        MessageBoxSink boxes;
        Press(dialog, IDC_RUN_BUTTON);
        if (c.message) {
            ASSERT_EQ(boxes.shown.size(), 1u);
            EXPECT_EQ(boxes.shown[0].text, c.message);
            EXPECT_EQ(dialog->Running, 0);
            EXPECT_EQ(Text(dialog, IDC_RUN_BUTTON), "Run");
            EXPECT_EQ(Doc()->RunActive, 0);
            EXPECT_EQ(Doc()->OutputOptionsChanged, 1);
            EXPECT_EQ(ReadFile(folder_ / "series.csv"), header);
        } else {
            EXPECT_TRUE(boxes.shown.empty());
            EXPECT_EQ(dialog->Running, 1);
            dialog->StopAndWait();
            HourlyOutputs();  // back to outputs not yet started
        }
        Press(dialog, IDCANCEL);
        EXPECT_EQ(dialog->Shown, 0);
        Doc()->NodeTableEdited = 0;
        Doc()->State->SeriesInterval = Doc()->State->SnapshotInterval = 1;
        Doc()->State->MaxDeltaT = 300.0 / 3600;
    }
}

// A run holds its outputs from Run to its end; outputs that another run holds (here one of this
// process, as a second document or vasquil-batch would) refuse the start, touching nothing.
TEST_F(TransientRunTest, OutputsHeldByAnotherRunRefuseTheStart)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    HourlyOutputs();
    const std::string header = ReadFile(folder_ / "series.csv");
    {
        OutputHold other;
        std::string message;
        ASSERT_EQ(other.Take({{"results database", folder_ / "run.db"}}, &message), TargetOk) << message;
        for (const bool steady : {false, true}) {
            SCOPED_TRACE(steady ? "steady" : "transient");
            CRunDialog* dialog = steady ? static_cast<CRunDialog*>(Steady()) : static_cast<CRunDialog*>(Transient());
            MessageBoxSink boxes;
            Press(dialog, IDC_RUN_BUTTON);
            ASSERT_EQ(boxes.shown.size(), 1u);
            EXPECT_EQ(boxes.shown[0].text, "The run did not start: the results database '" +
                                               (folder_ / "run.db").string() + "' is in use by another run.");
            EXPECT_EQ(dialog->Running, 0);
            EXPECT_EQ(Doc()->OutputOptionsChanged, 1);
            EXPECT_EQ(ReadFile(folder_ / "series.csv"), header);
            EXPECT_FALSE(Doc()->RunHold.Holds());
            Press(dialog, IDCANCEL);
        }
    }
    CRunTransDlg* dialog = Transient();
    bool heldDuringRun = false;
    dialog->StepHandledHook = [&](int) {
        heldDuringRun = OutputIsHeld(folder_ / "run.db", false) && OutputIsHeld(folder_ / "series.csv", false);
    };
    Type(dialog, IDC_TRANS_FINAL_TIME, "2");
    Press(dialog, IDC_RUN_BUTTON);
    ASSERT_TRUE(WaitForEnd(dialog));
    EXPECT_TRUE(heldDuringRun);
    EXPECT_FALSE(OutputIsHeld(folder_ / "run.db", false));
    EXPECT_FALSE(std::filesystem::exists(LockPathFor(folder_ / "run.db")));
    dialog->StepHandledHook = nullptr;
    Press(dialog, IDCANCEL);
}

// Stop while the worker makes a step, and in the window between the handler's peak test and
// the worker's loop test: either way the run ends after the step, the peak file is written
// once, "Run" is back and the document's run flag is 0.
TEST_F(TransientRunTest, StopDuringAStepOrInTheReleaseWindowWritesThePeakFileOnce)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    const std::filesystem::path peak = folder_ / "peak.csv";
    for (const bool duringStep : {true, false}) {
        SCOPED_TRACE(duringStep ? "during a step" : "in the release window");
        const std::vector<std::string> shown = OutputOptions([&](COutputOptionsDlg& d) {
            Choose(d, IDC_OUT_PEAK, IDC_OUT_PEAK_BROWSE, peak);
        });
        ASSERT_TRUE(shown.empty());
        CRunTransDlg* dialog = Transient();
        int handlersAfterStop = 0;
        bool markerLeft = false;
        if (duringStep) {
            // The click comes while step 5 is being made.
            dialog->WorkerStepHook = [dialog](long long begun) {
                if (begun == 5) CallOnUiThread([dialog] { Press(dialog, IDC_RUN_BUTTON); });
            };
        }
        dialog->StepHandledHook = [&, dialog](int handled) {
            if (!duringStep && handled == 3) Press(dialog, IDC_RUN_BUTTON);  // after the peak test
            else if (dialog->Continue == 0) {
                // The handler that saw the stop has written the peak file: mark it, so a
                // second write shows.
                ++handlersAfterStop;
                EXPECT_EQ(Text(dialog, IDC_RUN_BUTTON), "Stopping...");
                EXPECT_FALSE(dialog->GetDlgItem(IDC_RUN_BUTTON)->IsWindowEnabled());
                std::ofstream(peak, std::ios::binary) << "marker";
                markerLeft = true;
            }
        };
        Type(dialog, IDC_TRANS_FINAL_TIME, "100");
        Press(dialog, IDC_RUN_BUTTON);
        ASSERT_TRUE(WaitForEnd(dialog));
        EXPECT_EQ(Text(dialog, IDC_RUN_BUTTON), "Run");
        EXPECT_TRUE(dialog->GetDlgItem(IDC_RUN_BUTTON)->IsWindowEnabled());
        EXPECT_EQ(Doc()->RunActive, 0);
        EXPECT_LT(dialog->PresentTime, 100.0);
        if (duringStep) {
            EXPECT_EQ(handlersAfterStop, 1);
            ASSERT_TRUE(markerLeft);
            EXPECT_EQ(ReadFile(peak), "marker");  // not written again at the end of run
        } else {
            EXPECT_EQ(handlersAfterStop, 0);
            EXPECT_EQ(ReadFile(peak).rfind("Peak Stage and Discharge file", 0), 0u);  // by the end of run
        }
        dialog->StepHandledHook = nullptr;
        dialog->WorkerStepHook = nullptr;
        Press(dialog, IDCANCEL);
    }
}

// Histories restart at time 0 and append in later runs; without time-series output they
// grow every step, with hourly output every hour.
TEST_F(TransientRunTest, HistoriesRestartAtTimeZeroAndGrowWithTheTimeSeries)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    const auto historyOfFirstOutputNode = [this]() -> const VQXDisplayLib::VQXNodeHistory& {
        return Doc()->DisplayModel->FirstNode()->History;
    };
    int handled = 0;
    const auto run = [&](const char* finalHours) {
        CRunTransDlg* dialog = Transient();
        handled = 0;
        dialog->StepHandledHook = [&handled](int) { ++handled; };
        Type(dialog, IDC_TRANS_FINAL_TIME, finalHours);
        Press(dialog, IDC_RUN_BUTTON);
        ASSERT_TRUE(WaitForEnd(dialog));
        dialog->StepHandledHook = nullptr;
        Press(dialog, IDCANCEL);
    };
    run("1");
    ASSERT_GT(handled, 1);
    EXPECT_EQ(historyOfFirstOutputNode().Size(), 1 + handled);  // time 0, then every step
    EXPECT_EQ(historyOfFirstOutputNode()[0].Time, 0.0);
    const int first = historyOfFirstOutputNode().Size();
    run("2");
    EXPECT_EQ(historyOfFirstOutputNode().Size(), first + handled);  // appended
    EXPECT_EQ(historyOfFirstOutputNode()[0].Time, 0.0);

    ASSERT_TRUE(OutputOptions([&](COutputOptionsDlg& d) {
                    Choose(d, IDC_OUT_SERIES, IDC_OUT_SERIES_BROWSE, folder_ / "series.csv");
                    Interval(d, IDC_OUT_SERIES_LIST, 5);
                    Tick(d, IDC_OUT_SERIES_VARIABLES[0]);
                }).empty());
    const int before = historyOfFirstOutputNode().Size();
    run("5");
    EXPECT_EQ(historyOfFirstOutputNode().Size(), before + 3);  // at 3, 4 and 5 h
    EXPECT_EQ(historyOfFirstOutputNode()[historyOfFirstOutputNode().Size() - 1].Time, 5.0);
}

// A run whose steps are all rejected stops at the time-step floor with a message giving the
// model time and the reason; the peak file is written and the dialog is idle again.
TEST_F(TransientRunTest, ARunThatCannotAdvanceEndsWithItsReason)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    ASSERT_TRUE(OutputOptions([&](COutputOptionsDlg& d) { Choose(d, IDC_OUT_PEAK, IDC_OUT_PEAK_BROWSE, folder_ / "peak.csv"); })
                    .empty());
    CRunTransDlg* dialog = Transient();
    Type(dialog, IDC_TRANS_HYDRO_TOLERANCE, "1e-14");
    Type(dialog, IDC_TRANS_HYDRO_MAX_ITERATIONS, "1");
    MessageBoxSink boxes;
    Press(dialog, IDC_RUN_BUTTON);
    ASSERT_TRUE(WaitForEnd(dialog));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text.rfind("The run stopped at model time 0.000000 hrs: the time step fell to ", 0), 0u)
        << boxes.shown[0].text;
    EXPECT_NE(boxes.shown[0].text.find("the Newton update was largest at node "), std::string::npos);
    EXPECT_EQ(Text(dialog, IDC_RUN_BUTTON), "Run");
    EXPECT_EQ(Doc()->RunActive, 0);
    EXPECT_EQ(ReadFile(folder_ / "peak.csv").rfind("Peak Stage and Discharge file", 0), 0u);
}

// A value that is no finite number stops the run before anything of its step is shown or
// written; the outputs of the steps before it stay, and the peak file is written.
TEST_F(TransientRunTest, AValueThatIsNoFiniteNumberStopsTheRunBeforeItsOutputs)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    ASSERT_TRUE(OutputOptions([&](COutputOptionsDlg& d) {
                    Choose(d, IDC_OUT_SERIES, IDC_OUT_SERIES_BROWSE, folder_ / "series.csv");
                    Interval(d, IDC_OUT_SERIES_LIST, 0);  // every step
                    Tick(d, IDC_OUT_SERIES_VARIABLES[0]);
                    Choose(d, IDC_OUT_PEAK, IDC_OUT_PEAK_BROWSE, folder_ / "peak.csv");
                }).empty());
    CRunTransDlg* dialog = Transient();
    std::string shownTime;
    dialog->StepHandledHook = [&](int handled) {
        // The heat exchange of an open-water model takes no part in its solution.
        if (handled == 2) g_Nodes->Next->Hwa = std::nan("");
        if (handled == 2) shownTime = Text(dialog, IDC_TRANS_PRESENT_TIME);
    };
    Type(dialog, IDC_TRANS_FINAL_TIME, "10");
    MessageBoxSink boxes;
    Press(dialog, IDC_RUN_BUTTON);
    ASSERT_TRUE(WaitForEnd(dialog));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text.rfind("The run stopped at model time ", 0), 0u);
    EXPECT_NE(boxes.shown[0].text.find(" hrs: Hwa of node 2 is nan, not a finite number; nothing of this step was shown or "
                                       "written."),
              std::string::npos)
        << boxes.shown[0].text;
    EXPECT_EQ(Text(dialog, IDC_TRANS_PRESENT_TIME), shownTime);  // the display stays at step 2
    std::istringstream series(ReadFile(folder_ / "series.csv"));
    int rows = 0;
    for (std::string line; std::getline(series, line);)
        if (line.rfind(",,", 0) == 0) ++rows;
    EXPECT_EQ(rows, 3);  // the start, steps 1 and 2
    EXPECT_EQ(ReadFile(folder_ / "peak.csv").rfind("Peak Stage and Discharge file", 0), 0u);
    EXPECT_EQ(Text(dialog, IDC_RUN_BUTTON), "Run");
}

// The first output that fails stops the run as Stop does and says which file; the peak file
// is still written.
TEST_F(TransientRunTest, AFailedOutputStopsTheRunAndNamesItsFile)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    const std::filesystem::path series = folder_ / "series.csv";
    ASSERT_TRUE(OutputOptions([&](COutputOptionsDlg& d) {
                    Choose(d, IDC_OUT_SERIES, IDC_OUT_SERIES_BROWSE, series);
                    Interval(d, IDC_OUT_SERIES_LIST, 0);
                    Tick(d, IDC_OUT_SERIES_VARIABLES[0]);
                    Choose(d, IDC_OUT_PEAK, IDC_OUT_PEAK_BROWSE, folder_ / "peak.csv");
                }).empty());
    CRunTransDlg* dialog = Transient();
    int handlers = 0;
    dialog->StepHandledHook = [&](int handled) {
        handlers = handled;
        if (handled == 2) {
            // Something else takes the file's place: no row can be appended any more.
            std::filesystem::remove(series);
            std::filesystem::create_directory(series);
        }
    };
    Type(dialog, IDC_TRANS_FINAL_TIME, "10");
    MessageBoxSink boxes;
    Press(dialog, IDC_RUN_BUTTON);
    ASSERT_TRUE(WaitForEnd(dialog));
    EXPECT_EQ(handlers, 3);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text.rfind("The run stopped at model time ", 0), 0u);
    EXPECT_NE(boxes.shown[0].text.find(series.string()), std::string::npos) << boxes.shown[0].text;
    EXPECT_EQ(ReadFile(folder_ / "peak.csv").rfind("Peak Stage and Discharge file", 0), 0u);
    EXPECT_EQ(Doc()->RunActive, 0);
}

// During a run: Open, the recent files, New, Save, Save As and Output Options are grey, a
// dropped file is refused and the dialog does not close; closing the program (Yes) stops the
// run, lets its end come and closes.
TEST_F(TransientRunTest, DuringARunTheModelStaysAndClosingTheProgramEndsTheRunFirst)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    ASSERT_TRUE(OutputOptions([&](COutputOptionsDlg& d) { Choose(d, IDC_OUT_PEAK, IDC_OUT_PEAK_BROWSE, folder_ / "peak.csv"); })
                    .empty());
    EXPECT_TRUE(Enabled(ID_FILE_OPEN));
    EXPECT_TRUE(Enabled(ID_SIMULATION_OUTPUT_OPTIONS));
    CRunTransDlg* dialog = Transient();
    MessageBoxSink boxes;
    boxes.answers = {IDOK, IDNO, IDYES};
    bool checked = false;
    dialog->StepHandledHook = [&](int handled) {
        if (handled != 2) return;
        for (UINT id : {ID_FILE_OPEN, ID_FILE_MRU_FILE1, ID_FILE_NEW, ID_FILE_SAVE, ID_FILE_SAVE_AS,
                        ID_SIMULATION_OUTPUT_OPTIONS})
            EXPECT_FALSE(Enabled(id)) << id;
        std::vector<std::filesystem::path> dropped{model_};
        Frame()->SendMessage(WM_DROPFILES, WPARAM(&dropped), 0);
        Press(dialog, IDCANCEL);
        dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // Enter
        EXPECT_EQ(dialog->Shown, 1);
        EXPECT_TRUE(dialog->IsWindowVisible());
        checked = true;
        QueueOnUiThread([this] { Frame()->SendMessage(WM_CLOSE); });
    };
    Type(dialog, IDC_TRANS_FINAL_TIME, "100");
    Press(dialog, IDC_RUN_BUTTON);
    {
        QuietStdout quiet;
        ASSERT_TRUE(WaitUntil([this] { return app_->m_pMainWnd == nullptr; }, 60000));
    }
    EXPECT_TRUE(checked);
    // The run's unsaved state is asked about first, then whether to close at all.
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].text, "A run is in progress. Stop it before opening another model.");
    EXPECT_EQ(boxes.shown[1].text, "Save changes to river.vqx?");
    EXPECT_EQ(boxes.shown[2].text, "Are you sure you want to close Vasquil?");
    EXPECT_EQ(ReadFile(folder_ / "peak.csv").rfind("Peak Stage and Discharge file", 0), 0u);
}

class SteadyRunTest : public RunTest
{
};

// A steady run stops at its final step, with one snapshot per pass.
TEST_F(SteadyRunTest, StopsAtTheFinalStepWithASnapshotEveryPass)
{
    ASSERT_TRUE(Open(Example("sample-river.vqx")));
    ASSERT_TRUE(OutputOptions([&](COutputOptionsDlg& d) {
                    Choose(d, IDC_OUT_SNAPSHOT, IDC_OUT_SNAPSHOT_BROWSE, folder_ / "snapshot.csv");
                    Interval(d, IDC_OUT_SNAPSHOT_LIST, 5);
                    Tick(d, IDC_OUT_SNAPSHOT_VARIABLES[0]);
                }).empty());
    CRunSteadyDlg* dialog = Steady();
    EXPECT_FALSE(dialog->GetDlgItem(IDC_STEADY_ICE_JAM)->IsWindowEnabled());  // open water
    Type(dialog, IDC_STEADY_FINAL_STEP, "7");
    Press(dialog, IDC_RUN_BUTTON);
    ASSERT_TRUE(WaitForEnd(dialog));
    EXPECT_EQ(dialog->PresentStep, 7);
    EXPECT_EQ(g_ModelControl.SteadyIteration, 7);
    EXPECT_EQ(Text(dialog, IDC_STEADY_PRESENT_STEP), "7");
    const std::string snapshot = ReadFile(folder_ / "snapshot.csv");
    std::size_t blocks = 0;
    for (std::size_t at = snapshot.find("Model time step:"); at != std::string::npos;
         at = snapshot.find("Model time step:", at + 1))
        ++blocks;
    EXPECT_EQ(blocks, 7u);
    EXPECT_NE(snapshot.find("Model time step:  7"), std::string::npos);

    // Present step equal to the final step: refused.
    MessageBoxSink boxes;
    Press(dialog, IDC_RUN_BUTTON);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "The present time step must be less than the final time step.");
}

// With the ice-jam check, the passes of a static-ice model solve the jam: the ice comes out as
// the engine's jam passes leave it, and unlike plain passes.
TEST_F(SteadyRunTest, TheIceJamCheckMakesJamPasses)
{
    constexpr int Passes = 250;
    ASSERT_TRUE(Open(Example("sample-jam.vqx")));
    CRunSteadyDlg* dialog = Steady();
    ASSERT_TRUE(dialog->GetDlgItem(IDC_STEADY_ICE_JAM)->IsWindowEnabled());
    Press(dialog, IDC_STEADY_ICE_JAM);
    Type(dialog, IDC_STEADY_FINAL_STEP, std::to_string(Passes));
    Press(dialog, IDC_RUN_BUTTON);
    ASSERT_TRUE(WaitForEnd(dialog));
    std::vector<double> gui;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next) gui.push_back(n->IceThickness);

    const auto direct = [&](bool jam) {
        QuietStdout quiet;
        EXPECT_EQ(LoadModelFile(model_), 0);
        g_ModelControl.SteadyIteration = 0;
        if (g_ModelControl.DeltaT > g_ModelControl.MaxDeltaT) g_ModelControl.DeltaT = g_ModelControl.MaxDeltaT;
        for (EquationSystem& system : g_EquationSystems) system.StructureBuilt = 0;
        for (int k = 0; k < Passes; ++k) jam ? RunSteadyJamPass(nullptr) : RunSteadyPass();
        std::vector<double> ice;
        for (const NodeRecord* n = g_Nodes; n; n = n->Next) ice.push_back(n->IceThickness);
        return ice;
    };
    Press(dialog, IDCANCEL);
    EXPECT_EQ(gui, direct(true));
    EXPECT_NE(gui, direct(false));
    ReleaseModel();  // the model read here belongs to no document
}

}  // namespace
