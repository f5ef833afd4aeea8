// Runs past the end of a boundary series, through the run dialog and through vasquil-batch:
// one warning line per series and run on standard output, the dialog's line naming the
// series, and the run holding the last value (the program's results are the batch runner's).
#include "RunTestSupport.h"

#include "engine/SeriesLookup.h"

#include <cmath>
#include <cstdlib>

namespace {

using namespace run_test;

// The text of a model with the series of boundary element `element` cut to its first `keep`
// rows: the element's line ends with its row count, and its rows follow it.
std::string CutSeries(const std::string& model, int element, int keep)
{
    std::istringstream in(model);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    bool inBoundaries = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find("Boundary Element #") != std::string::npos) inBoundaries = true;
        std::istringstream fields(lines[i]);
        std::vector<std::string> field;
        for (std::string f; fields >> f;) field.push_back(f);
        if (!inBoundaries || field.size() != 6 || field[0] != std::to_string(element)) continue;
        const int rows = std::stoi(field[5]);
        field[5] = std::to_string(keep);
        std::string header;
        for (const std::string& f : field) header += "\t" + f;
        lines[i] = header + " ";
        lines.erase(lines.begin() + long(i + 1 + keep), lines.begin() + long(i + 1 + rows));
        break;
    }
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// The lines of text that carry the extrapolation warning.
std::vector<std::string> Warnings(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> found;
    for (std::string line; std::getline(in, line);)
        if (line.find("Array extrapolation") != std::string::npos) found.push_back(line);
    return found;
}

class SeriesEndTest : public RunTest
{
protected:
    // A copy of an example with the series of the given elements cut, open.
    bool OpenCut(const char* example, std::initializer_list<std::pair<int, int>> cuts)
    {
        std::string text = ReadFile(Example(example));
        for (const auto& [element, keep] : cuts) text = CutSeries(text, element, keep);
        const std::filesystem::path cut = folder_ / "cut.vqx";
        std::ofstream(cut) << text;
        return Open(cut);
    }
    // Runs the transient dialog to finalHours; returns what the run printed on standard output.
    std::string RunTo(CRunTransDlg* dialog, const std::string& finalHours)
    {
        Type(dialog, IDC_TRANS_FINAL_TIME, finalHours);
        testing::internal::CaptureStdout();
        Press(dialog, IDC_RUN_BUTTON);
        const bool ended = WaitUntil([dialog] { return !dialog->Running; }, 120000);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(ended);
        return out;
    }
    // vasquil-batch on the open model to finalHours with an hourly database; its standard output.
    std::string Batch(const std::string& finalHours, const std::filesystem::path& database)
    {
        const std::filesystem::path out = folder_ / "batch.out";
        const std::string command = std::string(VASQUIL_BATCH) + " run '" + model_.string() + "' --final-hours " +
                                    finalHours + " --db '" + database.string() + "' --db-every-hours 1 > '" +
                                    out.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return ReadFile(out);
    }
};

// The sample river with its inflow cut to 0, 2 and 4 h: a run to 7 h warns once, names the
// inflow in the dialog, and gives vasquil-batch's rows, which hold the last inflow.
TEST_F(SeriesEndTest, ARunPastTheEndOfTheInflowWarnsOnceAndGivesTheBatchRunnersRows)
{
    ASSERT_TRUE(OpenCut("sample-river.vqx", {{1, 3}}));
    const std::vector<std::string> shown = OutputOptions([this](COutputOptionsDlg& d) {
        Choose(d, IDC_OUT_DATABASE, IDC_OUT_DATABASE_BROWSE, folder_ / "run.db");
        Interval(d, IDC_OUT_DATABASE_LIST, 5);  // hourly
    });
    ASSERT_TRUE(shown.empty()) << shown.front();
    CRunTransDlg* dialog = Transient();
    EXPECT_EQ(Text(dialog, IDC_RUN_SERIES_ENDS), "");

    const std::string expected = "Array extrapolation has been requested! The run went past the end of the discharge "
                                 "hydrograph of node 1 (4 hrs); its last values are held.";
    const std::vector<std::string> gui = Warnings(RunTo(dialog, "7"));
    ASSERT_EQ(gui.size(), 1u);
    EXPECT_EQ(gui[0], expected);
    EXPECT_EQ(Text(dialog, IDC_RUN_SERIES_ENDS), expected.substr(expected.find("The run")));
    // Closed and shown again, the dialog still says so.
    Press(dialog, IDCANCEL);
    dialog = Transient();
    EXPECT_EQ(Text(dialog, IDC_RUN_SERIES_ENDS), expected.substr(expected.find("The run")));

    const std::filesystem::path batchDb = folder_ / "batch.db";
    EXPECT_EQ(Warnings(Batch("7", batchDb)), std::vector<std::string>{expected});
    const std::vector<DatabaseRow> program = ReadRows(folder_ / "run.db");
    const std::vector<DatabaseRow> batch = ReadRows(batchDb);
    ASSERT_EQ(program.size(), 8u * 31u);  // 0 to 7 h, 31 nodes
    ASSERT_EQ(program.size(), batch.size());
    for (std::size_t i = 0; i < program.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(program[i].node, batch[i].node);
        ASSERT_EQ(program[i].time, batch[i].time);
        for (std::size_t c = 0; c < program[i].values.size(); ++c)
            ASSERT_NEAR(program[i].values[c], batch[i].values[c], 1e-9 * std::fmax(1.0, std::fabs(batch[i].values[c])));
    }
    // Past its end the run holds the series' last discharge (95.08 m3/s at 4 h) at the inflow node.
    constexpr double LastInflow = 95.08;
    int held = 0;
    for (const DatabaseRow& row : program)
        if (row.node == 1 && row.time >= 5 * 3600.0) {
            EXPECT_NEAR(row.values[1], LastInflow, 1e-3 * LastInflow) << row.time;
            ++held;
        }
    EXPECT_EQ(held, 3);

    // The next run is a run of its own: it warns again, once.
    const std::vector<std::string> again = Warnings(RunTo(dialog, "8"));
    EXPECT_EQ(again, std::vector<std::string>{expected});
}

// Two inflows of the sample network cut short: one line for each, in the order the run went
// past their ends, and the dialog's line names both.
TEST_F(SeriesEndTest, EachSeriesPastItsEndHasItsOwnLine)
{
    ASSERT_TRUE(OpenCut("sample-network.vqx", {{1, 2}, {2, 2}}));  // node 1 ends at 6 h, node 7 at 8 h
    CRunTransDlg* dialog = Transient();
    const std::vector<std::string> lines = Warnings(RunTo(dialog, "9"));
    const std::vector<std::string> expected = {
        "Array extrapolation has been requested! The run went past the end of the discharge hydrograph of node 1 "
        "(6 hrs); its last values are held.",
        "Array extrapolation has been requested! The run went past the end of the discharge hydrograph of node 7 "
        "(8 hrs); its last values are held.",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(Text(dialog, IDC_RUN_SERIES_ENDS),
              "The run went past the end of 2 series, whose last values are held: the discharge hydrograph of node 1 "
              "(6 hrs), the discharge hydrograph of node 7 (8 hrs).");
    EXPECT_EQ(Warnings(Batch("9", folder_ / "batch.db")), expected);
}

}  // namespace
