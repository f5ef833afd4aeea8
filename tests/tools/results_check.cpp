// Checks the result text files of a vasquil-batch run against the results database of the
// same run.
//
//   results_check peaks MODEL DB PEAKFILE    every node's peak stage and discharge (and their
//                                            times) equal the highest database values; the run
//                                            must have written a row at every accepted step
//   results_check series MODEL DB SERIESFILE every row of the time-series file holds the
//                                            stage and discharge of the database rows of its
//                                            time, for every output node
//   results_check model FILE                 the file reads as a model
// Each prints "RESULT ..." and exits 0 when the check holds; otherwise it says why and exits 1.
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"

namespace {

int Failure(const std::string& why)
{
    std::fprintf(stderr, "results_check: %s\n", why.c_str());
    return 1;
}

struct Row {
    double Time, Qw, Qf, H;
};

// Rows of every node, in time order.
bool ReadRows(const char* path, std::map<int, std::vector<Row>>& rows)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    sqlite3_stmt* st = nullptr;
    const char* sql = "SELECT node_id, time_s, Qw_cms, Qf_cms, H_m FROM time_series ORDER BY time_s, id";
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    while (sqlite3_step(st) == SQLITE_ROW)
        rows[sqlite3_column_int(st, 0)].push_back({sqlite3_column_double(st, 1), sqlite3_column_double(st, 2),
                                                    sqlite3_column_double(st, 3), sqlite3_column_double(st, 4)});
    sqlite3_finalize(st);
    sqlite3_close(db);
    return true;
}

std::vector<std::string> Lines(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Cells(const std::string& line)
{
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, ','))
        cells.push_back(cell);
    if (!line.empty() && line.back() == ',')
        cells.push_back("");
    return cells;
}

double Number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// Within half a unit of the last decimal written.
bool Rounded(double written, double value, int decimals)
{
    return std::fabs(written - value) <= 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + 1e-12 * std::fabs(value);
}

// A run's database rows and the lines of one of its result files.
struct Run {
    std::map<int, std::vector<Row>> Rows;
    std::vector<std::string> Lines;
    std::size_t Header = 0;  // the line of the column header
};

// Reads the model, the run's database and a result file (named so in the messages) whose
// column header is its first line that starts with headerStart. Returns 0, or 1 after saying
// what could not be read.
int ReadRun(const char* model, const char* database, const char* file, const std::string& fileName,
            const char* headerStart, Run& run)
{
    if (LoadModelFile(model) != 0)
        return Failure("cannot read the model");
    if (!ReadRows(database, run.Rows))
        return Failure("cannot read the database");
    run.Lines = Lines(file);
    run.Header = 0;
    while (run.Header < run.Lines.size() && run.Lines[run.Header].rfind(headerStart, 0) != 0)
        ++run.Header;
    if (run.Header == run.Lines.size())
        return Failure(fileName + " has no column header");
    return 0;
}

int CheckPeaks(const char* model, const char* database, const char* peaks)
{
    Run run;
    if (const int failed = ReadRun(model, database, peaks, "the peak file", "x (", run))
        return failed;
    auto& [rows, lines, header] = run;
    const double L = g_ModelControl.LengthFactor;
    const std::size_t first = header + 1;
    if (lines.size() - first != static_cast<std::size_t>(g_ModelControl.NodeCount))
        return Failure("the peak file has " + std::to_string(lines.size() - first) + " node rows");

    int checked = 0;
    for (std::size_t i = 0; i < g_NodeIndex.size(); ++i) {
        const NodeRecord& node = *g_NodeIndex[i];
        const std::vector<Row>& r = rows[node.Number];
        if (r.empty())
            return Failure("no database rows of node " + std::to_string(node.Number));
        // The peaks start at the first output time with the stage and the nodal discharge, and
        // then follow the stage and the flux discharge of every accepted step; the first
        // highest value wins.
        Row stage = r.front(), flux = r.front();
        double peakQ = r.front().Qw;
        for (std::size_t k = 1; k < r.size(); ++k) {
            if (r[k].H > stage.H)
                stage = r[k];
            if (r[k].Qf > peakQ) {
                peakQ = r[k].Qf;
                flux = r[k];
            }
        }
        const std::vector<std::string> c = Cells(lines[first + i]);
        if (c.size() != 5)
            return Failure("peak file row " + std::to_string(i + 1) + " has " + std::to_string(c.size()) + " cells");
        const double Q = L * L * L;
        if (!Rounded(Number(c[1]), stage.H / L, 3) || !Rounded(Number(c[2]), stage.Time / 3600, 3) ||
            !Rounded(Number(c[3]), peakQ / Q, 3) || !Rounded(Number(c[4]), flux.Time / 3600, 3)) {
            char text[300];
            std::snprintf(text, sizeof text,
                          "node %d: peak file %s, database peak stage %.6f at %.6f h, discharge %.6f at %.6f h",
                          node.Number, lines[first + i].c_str(), stage.H / L, stage.Time / 3600, peakQ / Q,
                          flux.Time / 3600);
            return Failure(text);
        }
        ++checked;
    }
    std::printf("RESULT peaks %d\n", checked);
    return 0;
}

int CheckSeries(const char* model, const char* database, const char* series)
{
    Run run;
    if (const int failed = ReadRun(model, database, series, "the time-series file", "x = ", run))
        return failed;
    auto& [rows, lines, header] = run;
    const double L = g_ModelControl.LengthFactor;
    std::vector<int> outputs;
    for (const NodeRecord* n : g_NodeIndex)
        if (n->HydroCode == 0)
            outputs.push_back(n->Number);

    // Each block: station, node, "Time (hrs)", "Datetime", the titles, and an empty cell.
    const std::vector<std::string> titles = Cells(lines[header]);
    std::vector<std::size_t> blockStart;
    for (std::size_t k = 0; k < titles.size(); ++k)
        if (titles[k] == "Time (hrs)")
            blockStart.push_back(k - 2);
    if (blockStart.size() != outputs.size())
        return Failure("the time-series header has " + std::to_string(blockStart.size()) + " blocks for " +
                       std::to_string(outputs.size()) + " output nodes");
    const auto column = [&](std::size_t block, const std::string& title) -> long {
        const std::size_t end = block + 1 < blockStart.size() ? blockStart[block + 1] : titles.size();
        for (std::size_t k = blockStart[block]; k < end; ++k)
            if (titles[k].rfind(title, 0) == 0)
                return static_cast<long>(k);
        return -1;
    };

    const double Q = L * L * L;
    int checked = 0;
    for (std::size_t line = header + 1; line < lines.size(); ++line) {
        const std::vector<std::string> c = Cells(lines[line]);
        if (c.size() != titles.size())
            return Failure("time-series row " + std::to_string(line + 1) + " has " + std::to_string(c.size()) +
                           " cells, the header " + std::to_string(titles.size()));
        for (std::size_t b = 0; b < blockStart.size(); ++b) {
            const double hours = Number(c[blockStart[b] + 2]);
            const long s = column(b, "Stage ("), q = column(b, "Discharge (");
            if (s < 0 || q < 0)
                return Failure("no stage or discharge column");
            const std::vector<Row>& r = rows[outputs[b]];
            const Row* match = nullptr;
            for (const Row& row : r)
                if (Rounded(hours, row.Time / 3600, 10))
                    match = &row;
            if (match == nullptr)
                return Failure("no database row of node " + std::to_string(outputs[b]) + " at " + c[blockStart[b] + 2] + " h");
            if (!Rounded(Number(c[static_cast<std::size_t>(s)]), match->H / L, 10) ||
                !Rounded(Number(c[static_cast<std::size_t>(q)]), match->Qf / Q, 10))
                return Failure("node " + std::to_string(outputs[b]) + " at " + c[blockStart[b] + 2] +
                               " h: the file's stage or discharge differs from the database");
            ++checked;
        }
    }
    std::printf("RESULT series %d\n", checked);
    return 0;
}

}  // namespace

int Check(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "peaks") == 0)
        return CheckPeaks(argv[2], argv[3], argv[4]);
    if (argc == 5 && std::strcmp(argv[1], "series") == 0)
        return CheckSeries(argv[2], argv[3], argv[4]);
    if (argc == 3 && std::strcmp(argv[1], "model") == 0) {
        if (LoadModelFile(argv[2]) != 0)
            return Failure(std::string("cannot read the model file ") + argv[2]);
        std::printf("RESULT model nodes %d time %.17g\n", g_ModelControl.NodeCount, g_ModelControl.ModelTime);
        return 0;
    }
    return Failure("usage: results_check peaks|series MODEL DB FILE, or results_check model FILE");
}

int main(int argc, char** argv)
{
    const int result = Check(argc, argv);
    ReleaseModel();
    return result;
}
