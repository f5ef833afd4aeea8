// The Output Options dialog through the Simulation menu: the checks of "Initialize Output" in
// order, outputs that would share a file, outputs switched off, Close before and after a
// passed check and its question about choices not initialized, the report of what was made,
// the intervals handed to the model state, and the database made afresh.
#include "RunTestSupport.h"

#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "engine/OutputTargets.h"

#include <QLineEdit>
#include <QPalette>

namespace {

using namespace run_test;

class OutputOptionsTest : public RunTest
{
protected:
    void SetUp() override
    {
        RunTest::SetUp();
        ASSERT_TRUE(Open(Example("sample-river.vqx")));
    }
    // Sets members on the live dialog as the controls would give them, then Initialize Output.
    std::vector<std::string> Initialize(const std::function<void(COutputOptionsDlg&)>& set)
    {
        return OutputOptions([&](COutputOptionsDlg& d) {
            set(d);
            d.UpdateData(FALSE);
        });
    }
    std::filesystem::path In(const char* name) const { return folder_ / name; }
};

// Every output complete: the base the check cases break one piece of.
void Complete(COutputOptionsDlg& d, const std::filesystem::path& folder)
{
    d.SeriesOn = d.SnapshotOn = d.PeakOn = d.IceFrontOn = d.DatabaseOn = d.StateFilesOn = 1;
    d.SeriesPath = folder / "series.csv";
    d.SnapshotPath = folder / "snapshot.csv";
    d.PeakPath = folder / "peak.csv";
    d.IceFrontPath = folder / "front.csv";
    d.DatabasePath = folder / "run.db";
    d.StateFolder = folder;
    d.SeriesChoice = d.SnapshotChoice = d.IceFrontChoice = d.DatabaseChoice = d.StateFileChoice = 5;
    d.SeriesColumns[0] = d.SnapshotColumns[0] = 1;
}

// Each check shows its message, alone (the later incomplete outputs say nothing), and Close
// then ends as Cancel: nothing reaches the document.
TEST_F(OutputOptionsTest, EachCheckShowsOnlyItsMessageAndCloseThenCancels)
{
    struct Case {
        const char* message;
        std::function<void(COutputOptionsDlg&)> breakIt;
    };
    const Case cases[] = {
        {"Please select a folder and file name for the hydrograph .csv file.",
         [](COutputOptionsDlg& d) {
             d.SeriesPath.clear();
             d.SnapshotPath.clear();  // later incomplete outputs stay silent
             d.DatabasePath.clear();
         }},
        {"Please select a hydrograph interval.", [](COutputOptionsDlg& d) { d.SeriesChoice = -1; }},
        {"Please select at least one variable to output to the hydrograph(s).",
         [](COutputOptionsDlg& d) { d.SeriesColumns[0] = 0; }},
        {"Please select a folder and file name for the snapshot .csv file.",
         [](COutputOptionsDlg& d) { d.SnapshotPath.clear(); }},
        {"Please select a snapshot interval.", [](COutputOptionsDlg& d) { d.SnapshotChoice = -1; }},
        {"Please select at least one variable to output to the snapshots.",
         [](COutputOptionsDlg& d) { d.SnapshotColumns[0] = 0; }},
        {"Both options are assigned the same filename.\nPlease use different filenames for each option.",
         [](COutputOptionsDlg& d) { d.SnapshotPath = d.SeriesPath; }},
        {"Please select a folder and file name for the peak values .csv file.",
         [](COutputOptionsDlg& d) { d.PeakPath.clear(); }},
        {"Please select a folder and file name for the ice front location .csv file.",
         [](COutputOptionsDlg& d) { d.IceFrontPath.clear(); }},
        {"Please select an ice front location interval.", [](COutputOptionsDlg& d) { d.IceFrontChoice = -1; }},
        {"Please select a folder and file name for the database .db file.",
         [](COutputOptionsDlg& d) { d.DatabasePath.clear(); }},
        {"Please select database output interval.", [](COutputOptionsDlg& d) { d.DatabaseChoice = -1; }},
        {"Please select a folder the Vasquil output .vqx files.", [](COutputOptionsDlg& d) { d.StateFolder.clear(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const std::vector<std::string> shown = Initialize([&](COutputOptionsDlg& d) {
            Complete(d, folder_);
            c.breakIt(d);
        });
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0], c.message);
        EXPECT_EQ(Doc()->OutputOptionsChanged, 0);
        EXPECT_EQ(Doc()->Results->SeriesEnabled, 0);
    }
    // All complete: accepted, and Close hands everything to the document.
    EXPECT_TRUE(Initialize([&](COutputOptionsDlg& d) { Complete(d, folder_); }).empty());
    EXPECT_EQ(Doc()->OutputOptionsChanged, 1);
    EXPECT_EQ(Doc()->Results->SeriesEnabled, 1);
    EXPECT_EQ(Doc()->Results->StateFileChoice, 5);
    EXPECT_EQ(Doc()->Results->DatabasePath, (folder_ / "run.db").string());
}

// No two outputs may write one file, the database's log files and the model included; paths
// that differ in letter case name two files.
TEST_F(OutputOptionsTest, OutputsThatWouldShareAFileAreRefused)
{
    std::filesystem::create_hard_link(model_, In("linked.csv"));
    std::filesystem::create_directories(In("folder.csv"));
    const char* const same = "Both options are assigned the same filename.\nPlease use different filenames for each option.";
    struct Case {
        const char* name;
        std::function<void(COutputOptionsDlg&, const std::filesystem::path&)> set;
        const char* message;  // null: accepted; "" any refusal naming the file
    };
    const Case cases[] = {
        {"time series and peak values", [](COutputOptionsDlg& d, auto& f) { d.PeakPath = f / "series.csv"; }, same},
        {"peak values and database", [](COutputOptionsDlg& d, auto& f) { d.DatabasePath = f / "peak.csv"; }, same},
        {"ice front and snapshot under another spelling",
         [](COutputOptionsDlg& d, auto& f) { d.IceFrontPath = f / "." / "snapshot.csv"; }, same},
        {"the database's log file", [](COutputOptionsDlg& d, auto& f) { d.PeakPath = f / "run.db-wal"; }, same},
        {"paths that differ in letter case", [](COutputOptionsDlg& d, auto& f) { d.PeakPath = f / "SERIES.csv"; }, nullptr},
        {"the model under another name", [](COutputOptionsDlg& d, auto& f) { d.PeakPath = f / "linked.csv"; }, ""},
        {"a folder", [](COutputOptionsDlg& d, auto& f) { d.IceFrontPath = f / "folder.csv"; }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> shown = Initialize([&](COutputOptionsDlg& d) {
            Complete(d, folder_);
            c.set(d, folder_);
        });
        if (!c.message) {
            EXPECT_TRUE(shown.empty());
            continue;
        }
        ASSERT_EQ(shown.size(), 1u);
        if (*c.message) EXPECT_EQ(shown[0], c.message);
        else EXPECT_EQ(shown[0].rfind("Please choose another file or folder: ", 0), 0u) << shown[0];
    }
}

// "Initialize Output" clears every output that is off, passed or not; a passed one applies
// the choices at once. Close after later changes asks first; a Yes whose checks fail keeps
// the dialog open, and No leaves the choices last initialized.
TEST_F(OutputOptionsTest, OffOutputsAreClearedAndCloseFollowsTheLastPassedCheck)
{
    ModalDialogInterceptor interceptor;
    MessageBoxSink boxes;
    interceptor.scripts.push_back([&](CDialog& live) {
        auto& d = static_cast<COutputOptionsDlg&>(live);
        d.SeriesPath = In("series.csv");
        d.SeriesChoice = 3;
        for (int& flag : d.SeriesColumns) flag = 1;
        d.IceFrontPath = In("front.csv");
        d.IceFrontChoice = 2;
        d.StateFileChoice = 4;
        d.UpdateData(FALSE);
        Press(&d, IDOK);  // every output off: passes
        EXPECT_EQ(d.Accepted, 1);
        EXPECT_TRUE(d.SeriesPath.empty());
        EXPECT_EQ(d.SeriesChoice, -1);
        for (int flag : d.SeriesColumns) EXPECT_EQ(flag, 0);
        EXPECT_TRUE(d.IceFrontPath.empty());
        EXPECT_EQ(d.IceFrontChoice, -1);
        EXPECT_EQ(d.StateFileChoice, 4);  // the model files' choice stays
        EXPECT_EQ(Text(&d, IDC_OUT_SERIES_PATH), "");
        EXPECT_EQ(Doc()->OutputOptionsChanged, 1);  // applied with the dialog still open
        // Then the peak values on without a file: refused. Close asks; Yes fails the same check
        // and the dialog stays; No closes it.
        Press(&d, IDC_OUT_PEAK);
        Press(&d, IDOK);
        boxes.answers = {IDYES, IDOK, IDNO};  // the question, the refusal, the question
        Press(&d, IDCANCEL);
        EXPECT_TRUE(d.IsWindowVisible());
        Press(&d, IDCANCEL);
        EXPECT_FALSE(d.IsWindowVisible());
    });
    Command(ID_SIMULATION_OUTPUT_OPTIONS);
    const char* const noPeakFile = "Please select a folder and file name for the peak values .csv file.";
    ASSERT_EQ(boxes.shown.size(), 4u);
    EXPECT_EQ(boxes.shown[0].text, noPeakFile);
    EXPECT_EQ(boxes.shown[1].buttons, UINT(MB_YESNOCANCEL));
    EXPECT_EQ(boxes.shown[2].text, noPeakFile);
    EXPECT_EQ(boxes.shown[3].buttons, UINT(MB_YESNOCANCEL));
    EXPECT_EQ(Doc()->OutputOptionsChanged, 1);
    EXPECT_EQ(Doc()->Results->PeakEnabled, 0);  // the uninitialized choice was left

    // A dialog whose only Initialize Output failed: Close (No) cancels.
    Doc()->OutputOptionsChanged = 0;
    const std::vector<std::string> shown = OutputOptions([](COutputOptionsDlg& d) { Press(&d, IDC_OUT_PEAK); });
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], noPeakFile);
    EXPECT_EQ(Doc()->OutputOptionsChanged, 0);
}

// Close with choices that were not initialized: no question when nothing changed since the
// last "Initialize Output" (or since opening); Yes initializes them as the button does and
// closes, No leaves the choices of the last initialization, Cancel keeps the dialog open.
TEST_F(OutputOptionsTest, CloseAsksWhetherToInitializeTheChangedOutputs)
{
    struct Case {
        const char* name;
        bool initializeFirst;  // a database initialized before the change
        bool change;           // the time series chosen after it
        std::vector<int> answers;
        bool asked;
        bool seriesTaken;    // the document has the time series, its file made
        bool databaseTaken;  // the document has the database
    };
    const Case cases[] = {
        {"nothing changed", false, false, {}, false, false, false},
        {"initialized, nothing changed since", true, false, {}, false, false, true},
        {"changed, Yes", false, true, {IDYES}, true, true, false},
        {"changed, No", false, true, {IDNO}, true, false, false},
        {"changed, Cancel, then No", false, true, {IDCANCEL, IDNO}, true, false, false},
        {"changed, Cancel, then Yes", false, true, {IDCANCEL, IDYES}, true, true, false},
        {"initialized, changed, No", true, true, {IDNO}, true, false, true},
        {"initialized, changed, Yes", true, true, {IDYES}, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Open(Example("sample-river.vqx")));
        std::filesystem::remove(In("series.csv"));
        std::filesystem::remove(In("run.db"));
        Doc()->OutputOptionsChanged = 0;  // a new model keeps the flag until a run takes it
        ModalDialogInterceptor interceptor;
        MessageBoxSink boxes;
        std::vector<bool> openAfterClose;
        interceptor.scripts.push_back([&](CDialog& live) {
            auto& d = static_cast<COutputOptionsDlg&>(live);
            if (c.initializeFirst) {
                Choose(d, IDC_OUT_DATABASE, IDC_OUT_DATABASE_BROWSE, In("run.db"));
                Interval(d, IDC_OUT_DATABASE_LIST, 5);
                Press(&d, IDOK);
            }
            if (c.change) {
                Choose(d, IDC_OUT_SERIES, IDC_OUT_SERIES_BROWSE, In("series.csv"));
                Interval(d, IDC_OUT_SERIES_LIST, 5);
                Tick(d, IDC_OUT_SERIES_VARIABLES[0]);
            }
            boxes.answers.assign(c.answers.begin(), c.answers.end());
            for (std::size_t k = 0; k < std::max<std::size_t>(c.answers.size(), 1); ++k) {
                Press(&d, IDCANCEL);
                openAfterClose.push_back(d.IsWindowVisible() != FALSE);
            }
        });
        Command(ID_SIMULATION_OUTPUT_OPTIONS);
        std::vector<bool> expectedOpen(std::max<std::size_t>(c.answers.size(), 1), false);
        for (std::size_t k = 0; k < c.answers.size(); ++k) expectedOpen[k] = c.answers[k] == IDCANCEL;
        EXPECT_EQ(openAfterClose, expectedOpen);
        std::size_t questions = 0;
        for (const MessageBoxRequest& r : boxes.shown) {
            if (r.buttons != UINT(MB_YESNOCANCEL)) continue;
            ++questions;
            EXPECT_EQ(r.text, "The output choices have changed since the last \"Initialize Output\".\n\nInitialize "
                              "the changed outputs before closing?");
        }
        EXPECT_EQ(questions, c.asked ? c.answers.size() : 0u);
        EXPECT_EQ(Doc()->Results->SeriesEnabled, c.seriesTaken ? 1 : 0);
        EXPECT_EQ(std::filesystem::exists(In("series.csv")), c.seriesTaken);
        EXPECT_EQ(Doc()->Results->DatabaseEnabled, c.databaseTaken ? 1 : 0);
        EXPECT_EQ(Doc()->OutputOptionsChanged, c.seriesTaken || c.databaseTaken ? 1 : 0);
    }
}

// "Initialize Output" says in the dialog what it made: the files and the database by path, the
// folder of the model-state files, or that nothing is on.
TEST_F(OutputOptionsTest, InitializeOutputSaysWhatItMade)
{
    std::vector<std::string> reports;
    const auto initialize = [&](const std::function<void(COutputOptionsDlg&)>& set) {
        EXPECT_TRUE(OutputOptions([&](COutputOptionsDlg& d) {
                        EXPECT_EQ(Text(&d, IDC_OUT_REPORT), "");
                        set(d);
                        d.UpdateData(FALSE);
                        Press(&d, IDOK);
                        reports.push_back(Text(&d, IDC_OUT_REPORT));
                    }).empty());
    };
    initialize([](COutputOptionsDlg&) {});
    initialize([&](COutputOptionsDlg& d) { Complete(d, folder_); });
    initialize([&](COutputOptionsDlg& d) {
        d.SeriesOn = d.SnapshotOn = d.PeakOn = d.IceFrontOn = d.StateFilesOn = 0;
        d.DatabaseOn = 1;
        d.DatabasePath = In("run.db");
        d.DatabaseChoice = 5;
    });
    const std::string f = folder_.string() + "/";
    EXPECT_EQ(reports, (std::vector<std::string>{
                           "No output is switched on: nothing was created.",
                           "Created the time-series file '" + f + "series.csv', the snapshot file '" + f +
                               "snapshot.csv', the peak file '" + f + "peak.csv', the ice-front file '" + f +
                               "front.csv' and the results database '" + f + "run.db'. Model-state files will be "
                               "written into '" + folder_.string() + "'.",
                           "Created the results database '" + f + "run.db'.",
                       }));
    for (const char* made : {"series.csv", "snapshot.csv", "peak.csv", "front.csv", "run.db"})
        EXPECT_TRUE(std::filesystem::exists(In(made))) << made;

    // Outputs another run holds are left to it: the message, and the dialog says the same.
    OutputHold other;
    std::string message;
    ASSERT_EQ(other.Take({{"results database", In("run.db")}}, &message), TargetOk) << message;
    std::string report;
    ModalDialogInterceptor interceptor;
    interceptor.scripts.push_back([&](CDialog& d) {
        Press(&d, IDOK);
        report = Text(&d, IDC_OUT_REPORT);
        Press(&d, IDCANCEL);
    });
    MessageBoxSink boxes;
    Command(ID_SIMULATION_OUTPUT_OPTIONS);
    ASSERT_EQ(boxes.shown.size(), 1u);
    const std::string& failure = boxes.shown[0].text;
    EXPECT_EQ(failure.rfind("The outputs were not all initialized: ", 0), 0u) << failure;
    EXPECT_NE(failure.find(In("run.db").string()), std::string::npos) << failure;
    EXPECT_EQ(report, failure);
}

// The paths that only Browse fills are read-only and drawn so, on the dialog's face colour.
TEST_F(OutputOptionsTest, PathFieldsThatOnlyBrowseFillsAreReadOnly)
{
    EXPECT_TRUE(OutputOptions([](COutputOptionsDlg& d) {
                    const QPalette around = d.GetWidget()->palette();
                    for (int id : {IDC_OUT_SERIES_PATH, IDC_OUT_SNAPSHOT_PATH, IDC_OUT_PEAK_PATH, IDC_OUT_ICE_FRONT_PATH,
                                   IDC_OUT_STATE_FOLDER, IDC_OUT_DATABASE_PATH}) {
                        auto* edit = qobject_cast<QLineEdit*>(d.GetDlgItem(id)->GetWidget());
                        ASSERT_NE(edit, nullptr) << id;
                        EXPECT_TRUE(edit->isReadOnly()) << id;
                        EXPECT_EQ(edit->palette().color(QPalette::Base), around.color(QPalette::Window)) << id;
                    }
                }).empty());
}

// Choosing "time step" writes after every step and shortens no step; "1 hour" afterwards
// writes hourly, not every step.
TEST_F(OutputOptionsTest, TimeStepThenOneHourIsHourly)
{
    const auto snapshotEvery = [&](int choice) {
        return Initialize([&](COutputOptionsDlg& d) {
            d.SnapshotOn = 1;
            d.SnapshotPath = In("snapshot.csv");
            d.SnapshotChoice = choice;
            d.SnapshotColumns[0] = 1;
        });
    };
    ASSERT_TRUE(snapshotEvery(0).empty());
    EXPECT_EQ(Doc()->Results->SnapshotEveryStep, 1);
    EXPECT_EQ(Doc()->State->SnapshotInterval, 0.0);
    ASSERT_TRUE(snapshotEvery(5).empty());
    EXPECT_EQ(Doc()->Results->SnapshotEveryStep, 0);
    EXPECT_EQ(Doc()->State->SnapshotInterval, 1.0);
    EXPECT_EQ(Doc()->State->SeriesInterval, 0.0);  // off: no schedule

    CRunTransDlg* dialog = Transient();
    Type(dialog, IDC_TRANS_FINAL_TIME, "3");
    Press(dialog, IDC_RUN_BUTTON);
    ASSERT_TRUE(WaitForEnd(dialog));
    const std::string snapshot = ReadFile(In("snapshot.csv"));
    std::vector<std::string> times;
    for (std::size_t at = snapshot.find("Model time:  "); at != std::string::npos; at = snapshot.find("Model time:  ", at + 1))
        times.push_back(snapshot.substr(at + 13, snapshot.find('\n', at) - at - 13));
    EXPECT_EQ(times, (std::vector<std::string>{"1.000000", "2.000000", "3.000000"}));
}

// The database is made afresh with its table: 10 columns, or 23 with thermal ice on; an
// existing file is replaced.
TEST_F(OutputOptionsTest, TheDatabaseIsMadeWithTenOrTwentyThreeColumns)
{
    for (const auto& [model, columns] : {std::pair{"ft0-metric.vqx", 10}, std::pair{"ft3-metric.vqx", 23}}) {
        SCOPED_TRACE(model);
        ASSERT_TRUE(Open(Data(model), model));
        std::ofstream(In("run.db")) << "not a database";
        EXPECT_TRUE(Initialize([&](COutputOptionsDlg& d) {
                        d.DatabaseOn = 1;
                        d.DatabasePath = In("run.db");
                        d.DatabaseChoice = 0;
                    }).empty());
        EXPECT_EQ(ColumnCount(In("run.db")), columns);
        EXPECT_TRUE(ReadRows(In("run.db")).empty());
        EXPECT_EQ(Doc()->Results->DatabaseEveryStep, 1);
    }
}

// The Browse buttons: the output's title and filter, the folder of the path chosen before; the
// folder browser for the model files.
TEST_F(OutputOptionsTest, BrowseAsksForTheOutputsFileAndTheModelFilesFolder)
{
    const std::vector<std::string> shown = OutputOptions([&](COutputOptionsDlg& d) {
        Choose(d, IDC_OUT_DATABASE, IDC_OUT_DATABASE_BROWSE, In("run.db"));
        files_.answers.push_back(std::nullopt);  // cancelled: the path stays
        Press(&d, IDC_OUT_DATABASE_BROWSE);
        Tick(d, IDC_OUT_STATE_FILES);
        files_.answers.push_back(folder_);
        Press(&d, IDC_OUT_STATE_BROWSE);
        EXPECT_EQ(Text(&d, IDC_OUT_DATABASE_PATH), In("run.db").string());
        EXPECT_EQ(Text(&d, IDC_OUT_STATE_FOLDER), folder_.string());
        Interval(d, IDC_OUT_DATABASE_LIST, 5);
        Interval(d, IDC_OUT_STATE_LIST, 9);
    });
    EXPECT_TRUE(shown.empty());
    ASSERT_EQ(files_.requests.size(), 3u);
    EXPECT_EQ(files_.requests[0].kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(files_.requests[0].title, "Save Database As");
    EXPECT_EQ(files_.requests[0].defaultExtension, "db");
    EXPECT_EQ(files_.requests[0].initialFolder, folder_);  // no path yet: the model's folder
    EXPECT_EQ(files_.requests[1].initialFolder, folder_);
    EXPECT_EQ(files_.requests[2].kind, FileDialogRequest::Kind::Folder);
    EXPECT_EQ(files_.requests[2].title, "Please select a folder for storing Vasquil files.");
    EXPECT_EQ(files_.requests[2].initialFolder, folder_);  // the model's folder
    EXPECT_EQ(Doc()->Results->StateFolder, folder_.string());
    EXPECT_EQ(Doc()->State->StateFileInterval, 168.0);
}

}  // namespace
