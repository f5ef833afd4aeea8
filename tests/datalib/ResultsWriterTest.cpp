// The result text files byte for byte, the peaks, the histories and the state-file names.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/TestFolder.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "EngineModelFixture.h"

using namespace VQXDisplayLib;
namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A folder of this test's own, removed afterwards.
class ResultFiles : public ::testing::Test {
protected:
    fs::path Folder;
    VQXDisplayModel Model;
    ModelState State{&Model};
    ResultsWriter Writer{&Model, &State};

    void SetUp() override
    {
        Folder = FreshTestFolder("vasquil-results");
        Writer.HeaderDate[0] = 1;
        Writer.HeaderDate[1] = 2;
        Writer.HeaderDate[2] = 2020;
        const int date[6] = {2020, 1, 1, 12, 30, 0};
        std::copy(date, date + 6, State.CurrentDate);
        State.ModelTime = 12.5;
    }
    void TearDown() override { fs::remove_all(Folder); }

    std::string PathText(const char* name) const { return (Folder / name).string(); }

    // Turns the time-series file on, in the test's folder.
    void WriteSeries()
    {
        Writer.SeriesEnabled = 1;
        Writer.SeriesPath = PathText("series.csv");
    }

    VQXDisplayNode* AddNode(int number, double station, int hydroCode, double stage, double flux)
    {
        auto* n = new VQXDisplayNode();
        n->Number = number;
        n->Station = station;
        n->HydroCode = hydroCode;
        n->Stage = stage;
        n->FluxDischarge = flux;
        n->Discharge = flux - 1.0;
        Model.AppendNode(n);
        Model.NodeList.BuildIndex();
        return n;
    }
};

}  // namespace

TEST(ResultsWriterIntervals, ChoicesToHours)
{
    const struct { int choice; double hours; } cases[] = {
        {-1, 0}, {0, 0}, {1, 1.0 / 60}, {2, 1.0 / 12}, {3, 0.25}, {4, 0.5}, {5, 1}, {6, 6}, {7, 12}, {8, 24}, {9, 168}, {10, 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(ResultsWriter::OutputIntervalHours(c.choice), c.hours) << c.choice;
    EXPECT_NEAR(ResultsWriter::OutputIntervalHours(2), 0.0833333333, 1e-10);
}

TEST_F(ResultFiles, TimeSeriesHeaderAndRowMetric)
{
    AddNode(3, 1.5, 0, 101.25, 35.0);
    AddNode(5, 1.75, 1, 99.0, 30.0);  // not an output node
    AddNode(7, 2.25, 0, 101.25, 35.0);
    WriteSeries();
    Writer.SeriesColumns[0] = Writer.SeriesColumns[1] = 1;
    ASSERT_EQ(Writer.WriteHeaders("C:\\runs\\river.vqx", "C:\\runs\\river.nu"), ResultsOk);
    ASSERT_EQ(Writer.AppendTimeSeriesRow(), ResultsOk);
    EXPECT_EQ(ReadFile(Writer.SeriesPath),
              "Time Series Output File\n\n"
              "Time Series output file:\t" + Writer.SeriesPath + "\n"
              "Vasquil input file:   C:\\runs\\river.vqx\n"
              "Date: 1/2/2020\n\n"
              "x = 1.5 km ,Node # = 3,Time (hrs),Datetime,Stage (m),Discharge (cms),,"
              "x = 2.25 km ,Node # = 7,Time (hrs),Datetime,Stage (m),Discharge (cms),,\n"
              ",,12.5000000000,2020-01-01 12:30:00,101.2500000000,35.0000000000,,"
              ",,12.5000000000,2020-01-01 12:30:00,101.2500000000,35.0000000000,,\n");
}

TEST_F(ResultFiles, TimeSeriesImperialWithNutrients)
{
    VQXDisplayNode* n = AddNode(3, 0.75, 0, 330.5, 1200.0);
    n->RiverStation = 1234.5;
    for (int k = 0; k < 12; ++k)
        n->WQValues[k] = k + 0.5;
    Model.UnitSystem = 0;
    WriteSeries();
    Writer.SeriesColumns[13] = 1;  // water depth
    Writer.SeriesColumns[17] = 1;  // nutrients
    n->Depth = 4.25;
    ASSERT_EQ(Writer.WriteHeaders("river.vqx", "river.nu"), ResultsOk);
    ASSERT_EQ(Writer.AppendTimeSeriesRow(), ResultsOk);
    EXPECT_EQ(ReadFile(Writer.SeriesPath),
              "Time Series Output File\n\n"
              "Time Series output file:\t" + Writer.SeriesPath + "\n"
              "Vasquil input file:   river.vqx\n"
              "WQ input file:   river.nu\n"
              "Date: 1/2/2020\n\n"
              "x = 0.75 mile ,RS = 1234.5,Time (hrs),Datetime,Water Depth (ft),"
              "DO (mg/L),NH3 (mg/L),NO3 (mg/L),BOD (mg/L),OP (mg/L),PP (mg/L),,\n"
              ",,12.5000000000,2020-01-01 12:30:00,4.2500000000,"
              "0.5000000000,1.5000000000,2.5000000000,3.5000000000,4.5000000000,5.5000000000,,\n");
}

TEST_F(ResultFiles, TimeSeriesEveryColumnTitle)
{
    AddNode(1, 0.5, 0, 1, 2);
    WriteSeries();
    for (int& c : Writer.SeriesColumns)
        c = 1;
    ASSERT_EQ(Writer.WriteHeaders("m.vqx", "m.hm"), ResultsOk);
    const std::string text = ReadFile(Writer.SeriesPath);
    const std::string line = text.substr(text.find("x = "));
    EXPECT_EQ(line,
              "x = 0.5 km ,Node # = 1,Time (hrs),Datetime,Stage (m),Discharge (cms),Ice Velocity (m/s),"
              "Water Temperature (\xB0" "C),Frazil Concentration (%),Ice Concentration (%),Anchor Ice Thickness (m),"
              "Frazil Slush Thickness (m),Solid Ice Thickness (m),Border Ice Fraction,Border Ice Width (m),"
              "Air Temperature (\xB0" "C),Maximum Border Ice Thickness (m),Water Depth (m),Water Velocity (m/s),"
              "Water Surface Width (m),Cdw (mg/L),Caw (mg/L),Css (mg/L),Cds (g/m\xB2),Cas (g/m\xB2),Ms (g/m\xB2),"
              "DO (mg/L),NH3 (mg/L),NO3 (mg/L),BOD (mg/L),OP (mg/L),PP (mg/L),,\n");
}

TEST_F(ResultFiles, NoOutputNodesWritesOnlyLineEnds)
{
    AddNode(1, 0.5, 1, 1, 2);
    WriteSeries();
    Writer.SeriesColumns[0] = 1;
    ASSERT_EQ(Writer.WriteHeaders("m.vqx", ""), ResultsOk);
    ASSERT_EQ(Writer.AppendTimeSeriesRow(), ResultsOk);
    ASSERT_EQ(Writer.AppendTimeSeriesRow(), ResultsOk);
    const std::string text = ReadFile(Writer.SeriesPath);
    EXPECT_EQ(text.substr(text.size() - 5), "\n\n\n\n\n");  // date line, header line, two rows
    EXPECT_EQ(text.find("WQ input file"), std::string::npos);
}

TEST_F(ResultFiles, SnapshotFile)
{
    VQXDisplayNode* a = AddNode(1, 0.5, 1, 101.25, 35.0);
    a->RiverStation = 1200;
    a->Invert = 98.5;
    VQXDisplayNode* b = AddNode(2, 1.25, 0, 100.125, 36.0);
    b->RiverStation = 1100.5;
    b->Invert = 97.75;
    b->Width = 31.5;
    Writer.SnapshotEnabled = 1;
    Writer.SnapshotPath = PathText("snap.csv");
    Writer.SnapshotColumns[0] = Writer.SnapshotColumns[2] = Writer.SnapshotColumns[15] = 1;
    ASSERT_EQ(Writer.WriteHeaders("m.vqx", ""), ResultsOk);
    ASSERT_EQ(Writer.AppendSnapshot(1), ResultsOk);
    State.SteadyIteration = 42;
    ASSERT_EQ(Writer.AppendSnapshot(0), ResultsOk);
    const std::string table =
        "x (km),HEC-RAS RS = ,Bed (m),Hinitial (m),Ice Velocity(m/s),Water Surface Width (m),\n"
        "0.500000,1200.000000,98.500000,101.250000,0.000000,0.000000,\n"
        "1.250000,1100.500000,97.750000,100.125000,0.000000,31.500000,\n";
    EXPECT_EQ(ReadFile(Writer.SnapshotPath),
              "Snapshot file\nSnapshot output file:\t" + Writer.SnapshotPath +
                  "\nVasquil source file:   m.vqx\nDate: 1/2/2020\n\nInitial Conditions\n" + table + "\n\n" +
                  "Model time:  12.500000\n" + table + "\n\n" + "Model time step:  42\n" + table + "\n\n");

    Model.UnitSystem = 0;
    std::string imperial;
    Writer.WriteSnapshotTable(imperial);
    EXPECT_EQ(imperial.substr(0, imperial.find('\n')),
              "x (mi),HEC-RAS RS = ,Bed (ft),Stage (ft),Ice Velocity (ft/s),Water Surface Width (ft),");
}

TEST_F(ResultFiles, IceFrontRowsOnlyAfterTheFrontStarted)
{
    AddNode(1, 0.5, 0, 1, 2);
    for (int i = 1; i <= 2; ++i) {
        auto* e = new VQXBridgingEvent();
        e->Number = i;
        e->FrontStation = 12.5 * i;
        e->FrontLocation = 0.75 * i;
        Model.AppendEvent(e);
    }
    Writer.IceFrontEnabled = 1;
    Writer.IceFrontPath = PathText("front.csv");
    ASSERT_EQ(Writer.WriteHeaders("m.vqx", ""), ResultsOk);
    ASSERT_EQ(Writer.AppendIceFrontRow(), ResultsOk);  // not started: nothing
    const std::string header = "Ice Front Location File\nIce Front Location file:\t" + Writer.IceFrontPath +
                               "\nVasquil source file:   m.vqx\nDate: 1/2/2020\n\n"
                               "Time (hrs),DateTime,Bridging Event #1, Location (HEC-RAS RS), Location (km),"
                               "Bridging Event #2, Location (HEC-RAS RS), Location (km),\n";
    EXPECT_EQ(ReadFile(Writer.IceFrontPath), header);
    State.IceFrontStarted = 1;
    ASSERT_EQ(Writer.AppendIceFrontRow(), ResultsOk);
    EXPECT_EQ(ReadFile(Writer.IceFrontPath),
              header + "12.500000,2020-01-01 12:30:00,,12.500000,0.750000,,25.000000,1.500000,\n");
}

TEST_F(ResultFiles, PeaksOverARun)
{
    testmodel::Build(0, 1);
    ModelState& s = State;
    s.BuildDisplayModel();
    Writer.PeakEnabled = 1;
    Writer.PeakPath = PathText("peaks.csv");
    ASSERT_EQ(Writer.WriteHeaders("m.vqx", ""), ResultsOk);
    EXPECT_EQ(ReadFile(Writer.PeakPath), "");
    // The reset takes the present stage and nodal discharge at the present time, in the
    // engine too.
    EXPECT_EQ(g_NodeBlock[0].PeakStage, g_NodeBlock[0].Stage);
    EXPECT_EQ(g_NodeBlock[0].PeakFluxDischarge, g_NodeBlock[0].Discharge);
    EXPECT_EQ(g_NodeBlock[0].PeakStageTime, 7200.0);

    // A flood wave passes node 0: the highest stage at 3 h, the highest flux at 4 h.
    const double stages[] = {101.5, 102.75, 102.25, 101.0};
    const double fluxes[] = {2.0, 4.0, 6.5, 3.0};
    for (int step = 0; step < 4; ++step) {
        NodeRecord& n = g_NodeBlock[0];
        g_ModelControl.ModelTime = 7200.0 + 3600.0 * step;
        n.Stage = stages[step];
        n.FluxDischarge = fluxes[step];
        // What the hydrodynamic step keeps.
        if (n.Stage > n.PeakStage) { n.PeakStage = n.Stage; n.PeakStageTime = g_ModelControl.ModelTime; }
        if (n.FluxDischarge > n.PeakFluxDischarge) { n.PeakFluxDischarge = n.FluxDischarge; n.PeakFluxTime = g_ModelControl.ModelTime; }
        s.PullRunSettings();
        s.RefreshNodeResults();
    }
    ASSERT_EQ(Writer.WritePeakFile("m.vqx"), ResultsOk);
    const std::string text = ReadFile(Writer.PeakPath);
    EXPECT_EQ(text.substr(0, text.find("0.017")),
              "Peak Stage and Discharge file\n\nVasquil source file:   m.vqx\n"
              "x (km),Peak Stage (m),at Time (h),Peak Discharge (cms),at Time (h)\n");
    EXPECT_NE(text.find("\n0.017,102.750,3.000,6.500,4.000\n"), std::string::npos) << text;
}

TEST_F(ResultFiles, HistoryKeepsTheNewestEntries)
{
    VQXDisplayNode* out = AddNode(1, 0.5, 0, 1, 2);
    VQXDisplayNode* other = AddNode(2, 0.5, 1, 1, 2);
    State.ModelTime = 0;
    Writer.RestartHistories();
    for (int i = 1; i <= VQXNodeHistory::Capacity; ++i) {
        State.ModelTime = i;
        out->Stage = 100.0 + i;
        Writer.AppendHistories();
    }
    ASSERT_EQ(out->History.Size(), VQXNodeHistory::Capacity);
    EXPECT_EQ(out->History[0].Time, 1.0);  // 100,001 appends: the first (time 0) is gone
    EXPECT_EQ(out->History.Back().Time, 100000.0);
    EXPECT_EQ(out->History.Back().Stage, 100100.0);
    EXPECT_TRUE(other->History.Empty());
    Writer.RestartHistories();
    EXPECT_EQ(out->History.Size(), 1);
}

TEST_F(ResultFiles, StateFileNames)
{
    Writer.StateFolder = (Folder / "out").string();
    const std::string model = (fs::path("runs") / "river.vqx").string();
    State.ModelTime = 12.5;
    EXPECT_EQ(Writer.StateFilePath(model, 2), Folder / "out" / "river - 12.50 hrs.vqX");
    EXPECT_EQ(Writer.StateFilePath("river.model.vqx", 2).filename(), "river.model - 12.50 hrs.vqX");
}

TEST_F(ResultFiles, FailuresAreReported)
{
    AddNode(1, 0.5, 0, 1, 2);
    const std::string missing = (Folder / "no such folder" / "x.csv").string();
    Writer.SeriesEnabled = Writer.SnapshotEnabled = Writer.PeakEnabled = Writer.IceFrontEnabled = 1;
    Writer.SeriesPath = missing;
    Writer.SnapshotPath = PathText("snap.csv");
    Writer.PeakPath = missing;
    Writer.IceFrontPath = "";
    EXPECT_EQ(Writer.WriteHeaders("m.vqx", ""), ResultsCannotOpen);
    EXPECT_TRUE(fs::exists(Writer.SnapshotPath));  // the others are still tried
    EXPECT_EQ(Writer.AppendTimeSeriesRow(), ResultsCannotOpen);
    EXPECT_EQ(Writer.WritePeakFile("m.vqx"), ResultsCannotOpen);
    Writer.StateFolder = (Folder / "no such folder").string();
    EXPECT_NE(Writer.WriteStateFile("m.vqx"), ResultsOk);
    // A failed header leaves no temporary file behind.
    for (const auto& entry : fs::directory_iterator(Folder))
        EXPECT_EQ(entry.path().extension(), ".csv") << entry.path();
}

// The failure text belongs to the call that failed: a failure that has no text of its own (an
// empty path) leaves none from an earlier call, and of the headers the text names the first file
// that failed, the one whose code is returned.
TEST_F(ResultFiles, FailureTextIsTheFailingCallsOwn)
{
    AddNode(1, 0.5, 0, 1, 2);
    const std::string first = (Folder / "no such folder" / "series.csv").string();
    const std::string second = (Folder / "no such folder" / "snap.csv").string();
    Writer.SeriesEnabled = Writer.SnapshotEnabled = 1;
    Writer.SeriesPath = first;
    Writer.SnapshotPath = second;
    EXPECT_EQ(Writer.WriteHeaders("m.vqx", ""), ResultsCannotOpen);
    EXPECT_NE(Writer.FailureText.find("'" + first + "'"), std::string::npos) << Writer.FailureText;
    EXPECT_EQ(Writer.FailureText.find(second), std::string::npos) << Writer.FailureText;

    Writer.SeriesPath = "";
    EXPECT_EQ(Writer.AppendTimeSeriesRow(), ResultsCannotOpen);
    EXPECT_EQ(Writer.FailureText, "");

    Writer.SeriesPath = PathText("series.csv");
    Writer.SnapshotPath = second;
    EXPECT_EQ(Writer.AppendSnapshot(1), ResultsCannotOpen);
    EXPECT_FALSE(Writer.FailureText.empty());
    Writer.SnapshotEnabled = 0;
    EXPECT_EQ(Writer.WriteHeaders("m.vqx", ""), ResultsOk);
    EXPECT_EQ(Writer.FailureText, "");
}

// A line holding a value that is no number is never written: the file stays as it was and the
// failure names the file.
TEST_F(ResultFiles, LinesWithAValueThatIsNoNumberAreNotWritten)
{
    VQXDisplayNode* node = AddNode(3, 1.5, 0, 101.25, 35.0);
    Writer.SeriesEnabled = Writer.SnapshotEnabled = Writer.PeakEnabled = 1;
    Writer.SeriesPath = PathText("series.csv");
    Writer.SnapshotPath = PathText("snap.csv");
    Writer.PeakPath = PathText("peak.csv");
    Writer.SeriesColumns[0] = Writer.SeriesColumns[13] = Writer.SnapshotColumns[1] = 1;
    ASSERT_EQ(Writer.WriteHeaders("m.vqx", ""), ResultsOk);
    ASSERT_EQ(Writer.WritePeakFile("m.vqx"), ResultsOk);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        double* value;
        double poison;
        std::function<int()> write;
        std::string path;
    } cases[] = {
        {"a stage in the time series", &node->Stage, nan, [&] { return Writer.AppendTimeSeriesRow(); }, Writer.SeriesPath},
        {"a depth in the time series", &node->Depth, -inf, [&] { return Writer.AppendTimeSeriesRow(); }, Writer.SeriesPath},
        {"a discharge in a snapshot", &node->FluxDischarge, inf, [&] { return Writer.AppendSnapshot(1); }, Writer.SnapshotPath},
        {"the model time of a snapshot", &State.ModelTime, nan, [&] { return Writer.AppendSnapshot(1); }, Writer.SnapshotPath},
        {"a peak discharge", &node->PeakDischarge, nan, [&] { return Writer.WritePeakFile("m.vqx"); }, Writer.PeakPath},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = ReadFile(c.path);
        const double kept = *c.value;
        *c.value = c.poison;
        EXPECT_EQ(c.write(), ResultsNotFinite);
        *c.value = kept;
        EXPECT_EQ(ReadFile(c.path), before);
        EXPECT_NE(Writer.FailureText.find("'" + c.path + "'"), std::string::npos) << Writer.FailureText;
        EXPECT_EQ(c.write(), ResultsOk) << "a line of numbers is written again";
    }
}

// Only a regular file is replaced or appended to; whatever else stands at a result file's path
// is refused at once (a FIFO is never waited for) and left as it was.
TEST_F(ResultFiles, OnlyRegularFilesAreReplacedOrAppended)
{
    AddNode(3, 1.5, 0, 101.25, 35.0);
    Writer.SeriesColumns[0] = Writer.SnapshotColumns[0] = 1;
    {
        std::ofstream target(Folder / "target.txt");
        target << "kept";
    }
    const fs::path blocked = Folder / "blocked.csv";
    const struct {
        const char* name;
        std::function<void()> make;
        std::function<int()> write;
    } cases[] = {
        {"a FIFO to append a row to", [&] { ASSERT_EQ(mkfifo(blocked.c_str(), 0644), 0); },
         [&] {
             Writer.SeriesPath = blocked.string();
             return Writer.AppendTimeSeriesRow();
         }},
        {"a link to replace with a header", [&] { fs::create_symlink("target.txt", blocked); },
         [&] {
             Writer.SnapshotEnabled = 1;
             Writer.SnapshotPath = blocked.string();
             return Writer.WriteHeaders("m.vqx", "");
         }},
        {"a link to append a snapshot to", [&] { fs::create_symlink("target.txt", blocked); },
         [&] {
             Writer.SnapshotPath = blocked.string();
             return Writer.AppendSnapshot(1);
         }},
        {"a folder to replace with the peak file", [&] { fs::create_directories(blocked / "inside"); },
         [&] {
             Writer.PeakPath = blocked.string();
             return Writer.WritePeakFile("m.vqx");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(blocked);
        Writer.SeriesEnabled = Writer.SnapshotEnabled = Writer.PeakEnabled = 0;
        c.make();
        const auto kind = fs::symlink_status(blocked).type();
        EXPECT_EQ(c.write(), ResultsNotRegular);
        EXPECT_EQ(fs::symlink_status(blocked).type(), kind);
        EXPECT_NE(Writer.FailureText.find("'" + blocked.string() + "' is a"), std::string::npos) << Writer.FailureText;
        EXPECT_EQ(ReadFile(Folder / "target.txt"), "kept");
        for (const auto& entry : fs::directory_iterator(Folder))
            EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
    }
}

TEST_F(ResultFiles, CommaLocaleChangesNoByte)
{
    AddNode(3, 1.5, 0, 101.25, 35.0);
    Writer.SeriesEnabled = Writer.SnapshotEnabled = Writer.PeakEnabled = 1;
    Writer.SeriesColumns[0] = Writer.SnapshotColumns[0] = 1;
    const auto writeAll = [&](const char* tag) {
        Writer.SeriesPath = PathText((std::string(tag) + "series.csv").c_str());
        Writer.SnapshotPath = PathText((std::string(tag) + "snap.csv").c_str());
        Writer.PeakPath = PathText((std::string(tag) + "peak.csv").c_str());
        ASSERT_EQ(Writer.WriteHeaders("m.vqx", ""), ResultsOk);
        ASSERT_EQ(Writer.AppendTimeSeriesRow(), ResultsOk);
        ASSERT_EQ(Writer.AppendSnapshot(1), ResultsOk);
        ASSERT_EQ(Writer.WritePeakFile("m.vqx"), ResultsOk);
    };
    writeAll("c-");
    if (std::setlocale(LC_ALL, "de_DE.utf8") == nullptr)
        GTEST_SKIP() << "no comma-decimal locale";
    writeAll("de-");
    std::setlocale(LC_ALL, "C");
    const auto body = [](std::string text) { return text.substr(text.find("Date")); };
    EXPECT_EQ(body(ReadFile(PathText("c-series.csv"))), body(ReadFile(PathText("de-series.csv"))));
    EXPECT_EQ(body(ReadFile(PathText("c-snap.csv"))), body(ReadFile(PathText("de-snap.csv"))));
    EXPECT_EQ(ReadFile(PathText("c-peak.csv")), ReadFile(PathText("de-peak.csv")));
}
