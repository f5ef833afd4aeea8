// The results database: table layouts, rows and failures.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "engine/EngineData.h"
#include "engine/ModelSetup.h"
#include "engine/ResultsDatabase.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> OpenWaterColumns = {"id",     "node_id", "time_s", "actual_time", "Qw_cms",
                                                   "Qf_cms", "Aw_sqm",  "Bws_m",  "H_m",         "Uw_mps"};
const std::vector<std::string> ThermalColumns = {
    "Tw_C",  "eWI_Jpkg", "Cf",   "Ci",      "Afs_sqm", "tfs_m",   "Asi_sqm",
    "tsi_m", "Ab_sqm",   "tb_m", "BbLDB_m", "BbRDB_m", "UIce_mps"};

// Rows of a query, every value as text (NULL as "NULL").
std::vector<std::vector<std::string>> Query(const fs::path& file, const std::string& sql)
{
    std::vector<std::vector<std::string>> rows;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    while (st && sqlite3_step(st) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            const unsigned char* text = sqlite3_column_text(st, c);
            row.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
        }
        rows.push_back(row);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

void Execute(const fs::path& file, const std::string& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

class DatabaseTable : public ::testing::Test {
protected:
    fs::path dir;
    fs::path file;

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::path(::testing::TempDir()) /
              ("vasquil-db-" + std::string(info->name()) + "-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / "results.db";

        BuildNodes(3);
        SetClock(3600, {2024, 2, 29, 1, 0, 0});
    }
    // Nodes numbered from 10 whose every written quantity is distinct: node k, field f holds
    // (k + 1) * 100 + f + 0.5.
    static void BuildNodes(int count)
    {
        ReleaseModel();
        SetModelDefaults();
        g_NodeBlock.resize(count);
        for (int k = 0; k < count; ++k) {
            NodeRecord& n = g_NodeBlock[k];
            SetNodeDefaults(&n);
            n.Number = 10 + k;
            n.Next = k + 1 < count ? &g_NodeBlock[k + 1] : nullptr;
            double* fields[] = {&n.Discharge,        &n.FluxDischarge,     &n.FlowArea,      &n.TopWidth,
                                &n.Stage,            &n.Velocity,          &n.WaterTemp,     &n.ThermalEnergy,
                                &n.FrazilConcentration, &n.IceConcentration, &n.SlushArea,   &n.SlushThickness,
                                &n.SolidIceArea,     &n.IceThickness,      &n.BorderIceArea, &n.BorderIceThickness,
                                &n.BorderWidthLeft,  &n.BorderWidthRight,  &n.IceVelocity};
            for (int f = 0; f < 19; ++f) *fields[f] = (k + 1) * 100 + f + 0.5;
        }
        g_Nodes = &g_NodeBlock[0];
        g_ModelControl.NodeCount = count;
        RebuildNodeIndex();
    }
    void TearDown() override
    {
        ReleaseModel();
        fs::remove_all(dir);
    }
    static void SetClock(double time, std::vector<int> date)
    {
        g_ModelControl.ModelTime = time;
        for (int i = 0; i < 6; ++i) g_ModelControl.CurrentDate[i] = date[i];
    }
    // Writes the present time through a handle of its own.
    static int WriteOnce(const fs::path& path)
    {
        ResultsDatabase* database = nullptr;
        if (OpenResultsDatabase(path.c_str(), &database) != 0) return 1;
        const int result = WriteTimeSeriesToDatabase(database);
        CloseResultsDatabase(database);
        return result;
    }
    std::vector<std::string> Columns(const char* typeOf = nullptr)
    {
        std::vector<std::string> out;
        for (const auto& row : Query(file, "PRAGMA table_info(time_series)")) out.push_back(typeOf ? row[2] : row[1]);
        return out;
    }
};

TEST_F(DatabaseTable, TableColumnsFollowTheThermalSwitch)
{
    for (int thermal = 0; thermal < 2; ++thermal) {
        SCOPED_TRACE(thermal);
        g_ModelControl.ThermalIceOn = thermal;
        ASSERT_EQ(CreateResultsDatabase(file.c_str()), 0);
        std::vector<std::string> names = OpenWaterColumns;
        if (thermal) names.insert(names.end(), ThermalColumns.begin(), ThermalColumns.end());
        EXPECT_EQ(Columns(), names);
        std::vector<std::string> types(names.size(), "FLOAT");
        types[0] = "INTEGER";
        types[1] = "INTEGER";
        types[3] = "DATETIME";
        EXPECT_EQ(Columns("type"), types);
        EXPECT_EQ(Query(file, "PRAGMA table_info(time_series)")[0][5], "1");  // id is the primary key
    }
}

TEST_F(DatabaseTable, CreationReplacesAnExistingFile)
{
    {
        std::ofstream junk(file);
        junk << "not a database";
    }
    ASSERT_EQ(CreateResultsDatabase(file.c_str()), 0);
    EXPECT_EQ(Columns(), OpenWaterColumns);

    ASSERT_EQ(WriteOnce(file), 0);
    // A write-ahead log left by a killed run is not read into the new database.
    fs::copy_file(file, dir / "old.db");
    ResultsDatabase* database = nullptr;
    ASSERT_EQ(OpenResultsDatabase(file.c_str(), &database), 0);
    ASSERT_EQ(WriteTimeSeriesToDatabase(database), 0);
    ASSERT_TRUE(fs::exists(dir / "results.db-wal"));
    fs::copy_file(dir / "results.db-wal", dir / "old.db-wal");
    CloseResultsDatabase(database);
    fs::rename(dir / "old.db-wal", dir / "results.db-wal");
    ASSERT_EQ(CreateResultsDatabase(file.c_str()), 0);
    EXPECT_FALSE(fs::exists(dir / "results.db-wal"));
    EXPECT_EQ(Query(file, "SELECT COUNT(*) FROM time_series")[0][0], "0");
    EXPECT_EQ(Query(file, "PRAGMA integrity_check")[0][0], "ok");
}

// Rows are written in blocks of many nodes and one by one after the last whole block: three
// nodes take the single rows only, 123 two blocks and 23 single rows.
TEST_F(DatabaseTable, OneRowPerNodeAndOutputTime)
{
    for (int nodes : {3, 123})
        for (int thermal = 0; thermal < 2; ++thermal) {
            SCOPED_TRACE(std::to_string(nodes) + " nodes, thermal " + std::to_string(thermal));
            BuildNodes(nodes);
            g_ModelControl.ThermalIceOn = thermal;
            ASSERT_EQ(CreateResultsDatabase(file.c_str()), 0);
            ResultsDatabase* database = nullptr;
            ASSERT_EQ(OpenResultsDatabase(file.c_str(), &database), 0);
            SetClock(3600, {2024, 2, 29, 1, 0, 0});
            ASSERT_EQ(WriteTimeSeriesToDatabase(database), 0);
            SetClock(7200.25, {2024, 2, 29, 2, 0, 0});
            ASSERT_EQ(WriteTimeSeriesToDatabase(database), 0);
            // A value that is no number in the last node leaves no row of its time.
            g_NodeBlock[nodes - 1].Velocity = std::numeric_limits<double>::infinity();
            SetClock(10800, {2024, 2, 29, 3, 0, 0});
            std::string error;
            EXPECT_EQ(WriteTimeSeriesToDatabase(database, &error), 1);
            CloseResultsDatabase(database);
            // Closed, the database is one plain file again.
            EXPECT_EQ(Query(file, "PRAGMA journal_mode")[0][0], "delete");
            EXPECT_FALSE(fs::exists(dir / "results.db-wal"));

            const auto rows = Query(file, "SELECT * FROM time_series ORDER BY id");
            ASSERT_EQ(rows.size(), 2u * nodes);
            const size_t columns = thermal ? 23 : 10;
            for (int r = 0; r < 2 * nodes; ++r) {
                SCOPED_TRACE(r);
                const int k = r % nodes;
                ASSERT_EQ(rows[r].size(), columns);
                EXPECT_EQ(rows[r][0], std::to_string(r + 1));
                EXPECT_EQ(rows[r][1], std::to_string(10 + k));
                EXPECT_EQ(rows[r][2], r < nodes ? "3600.0" : "7200.25");
                EXPECT_EQ(rows[r][3], r < nodes ? "2024-02-29 01:00:00" : "2024-02-29 02:00:00");
                for (size_t c = 4; c < columns; ++c)
                    ASSERT_EQ(std::stod(rows[r][c]), (k + 1) * 100 + static_cast<int>(c - 4) + 0.5) << "column " << c;
            }
        }
}

TEST_F(DatabaseTable, DateTextOfAnyDateIsWrittenWhole)
{
    ASSERT_EQ(CreateResultsDatabase(file.c_str()), 0);
    SetClock(0, {-2147483647 - 1, 2147483647, -2147483647 - 1, 123456, -1, 2147483647});
    ASSERT_EQ(WriteOnce(file), 0);
    const auto rows = Query(file, "SELECT actual_time FROM time_series");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "-2147483648-2147483647--2147483648 123456:-1:2147483647");
    SetClock(0, {12345, 1, 2, 3, 4, 5});
    ASSERT_EQ(WriteOnce(file), 0);
    EXPECT_EQ(Query(file, "SELECT actual_time FROM time_series WHERE id = 4")[0][0], "12345-01-02 03:04:05");
}

TEST_F(DatabaseTable, FailuresAreReportedAndLeaveNoRow)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        const char* table;  // created before the write, or null for none
        int thermal;
        double* poisoned;   // a value that becomes NaN, or null
        bool openFails;     // the insert cannot even be prepared
        const char* message;
    } cases[] = {
        {"no table", nullptr, 0, nullptr, true, "SQL error: no such table: time_series\n"},
        {"thermal rows into an open-water table",
         "CREATE TABLE time_series (id INTEGER PRIMARY KEY, node_id INTEGER, time_s FLOAT, actual_time DATETIME, "
         "Qw_cms FLOAT, Qf_cms FLOAT, Aw_sqm FLOAT, Bws_m FLOAT, H_m FLOAT, Uw_mps FLOAT)",
         1, nullptr, true, "SQL error: table time_series has no column named Tw_C\n"},
        {"second row refused",
         "CREATE TABLE time_series (id INTEGER PRIMARY KEY, node_id INTEGER CHECK (node_id < 11), time_s FLOAT, "
         "actual_time DATETIME, Qw_cms FLOAT, Qf_cms FLOAT, Aw_sqm FLOAT, Bws_m FLOAT, H_m FLOAT, Uw_mps FLOAT)",
         0, nullptr, false, "SQL error: CHECK constraint failed: node_id < 11\n"},
        {"a stage that is no number", nullptr, 0, &g_NodeBlock[2].Stage, false,
         "Not a finite number in column H_m of node 12 at model time 3600 s: no row of this time written\n"},
        {"an infinite ice velocity", nullptr, 1, &g_NodeBlock[1].IceVelocity, false,
         "Not a finite number in column UIce_mps of node 11 at model time 3600 s: no row of this time written\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(file);
        g_ModelControl.ThermalIceOn = c.thermal;
        if (c.table) {
            Execute(file, c.table);
        } else if (c.poisoned) {
            ASSERT_EQ(CreateResultsDatabase(file.c_str()), 0);
        }
        double kept = 0;
        if (c.poisoned) {
            kept = *c.poisoned;
            *c.poisoned = c.thermal ? -std::numeric_limits<double>::infinity() : nan;
        }
        ResultsDatabase* database = nullptr;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(OpenResultsDatabase(file.c_str(), &database), c.openFails ? 1 : 0);
        if (!c.openFails) {
            EXPECT_EQ(WriteTimeSeriesToDatabase(database), 1);
        }
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.message);
        if (c.table || c.poisoned) {
            EXPECT_EQ(Query(file, "SELECT COUNT(*) FROM time_series")[0][0], "0");
        }
        // The handle stays usable: the next time, with every value a number, is written whole.
        if (c.poisoned) {
            *c.poisoned = kept;
            SetClock(7200, {2024, 2, 29, 2, 0, 0});
            EXPECT_EQ(WriteTimeSeriesToDatabase(database), 0);
            EXPECT_EQ(Query(file, "SELECT COUNT(*), MIN(time_s) FROM time_series")[0],
                      (std::vector<std::string>{"3", "7200.0"}));
            SetClock(3600, {2024, 2, 29, 1, 0, 0});
        }
        CloseResultsDatabase(database);
    }
}

// Only a regular file is ever deleted: whatever else stands at the database's path or at the
// path of one of its log files is refused, named and left as it was.
TEST_F(DatabaseTable, OnlyARegularFileIsReplaced)
{
    {
        std::ofstream keep(dir / "kept.txt");
        keep << "kept";
    }
    struct Case {
        const char* name;
        const char* path;  // in dir
        const char* blocked;  // what is made in dir before the call
        const char* message;  // after "Error deleting database file: the "
    } cases[] = {
        {"a folder", "folder.db", "folder.db", "results database '%s/folder.db' is a directory"},
        {"a link to a file", "link.db", "link.db", "results database '%s/link.db' is a symbolic link"},
        {"a FIFO", "fifo.db", "fifo.db", "results database '%s/fifo.db' is a FIFO"},
        {"a folder as the log", "logged.db", "logged.db-wal", "results database's log '%s/logged.db-wal' is a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path blocked = dir / c.blocked;
        const std::string kind = c.name;
        if (kind == "a link to a file") fs::create_symlink(dir / "kept.txt", blocked);
        else if (kind == "a FIFO") ASSERT_EQ(mkfifo(blocked.c_str(), 0600), 0);
        else fs::create_directories(blocked / "inside");
        const auto before = fs::symlink_status(blocked).type();

        std::string error;
        EXPECT_EQ(CreateResultsDatabase((dir / c.path).c_str(), &error), 1);
        char expected[512];
        std::snprintf(expected, sizeof expected, c.message, dir.c_str());
        EXPECT_EQ(error, std::string("Error deleting database file: the ") + expected +
                             "; only a regular file can be replaced");
        EXPECT_EQ(fs::symlink_status(blocked).type(), before);
        if (kind == "a folder as the log") {
            EXPECT_FALSE(fs::exists(dir / c.path));
        }
    }
    std::ifstream kept(dir / "kept.txt");
    std::string text;
    kept >> text;
    EXPECT_EQ(text, "kept");
}

TEST_F(DatabaseTable, FileThatCannotBeOpenedOrDeleted)
{
    const fs::path missing = dir / "no such folder" / "results.db";
    ResultsDatabase* database = nullptr;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(OpenResultsDatabase(missing.c_str(), &database), 1);
    EXPECT_EQ(database, nullptr);
    EXPECT_EQ(CreateResultsDatabase(missing.c_str()), 1);
    EXPECT_EQ(StartResultsDatabase(missing.c_str(), &database), 1);
    EXPECT_EQ(database, nullptr);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Can't open database: unable to open database file (No such file or directory)\n"
              "Can't create database: No such file or directory\n"
              "Can't create database: No such file or directory\n");
    EXPECT_FALSE(fs::exists(missing));

    // A regular file in a folder where no file can be made gives the reason, and stays (root
    // makes files in any folder it may write, but nobody makes one in the process information
    // system).
    const fs::path fixed = "/proc/version";
    if (!fs::is_regular_file(fs::symlink_status(fixed))) GTEST_SKIP() << "no " << fixed;
    std::string error;
    EXPECT_EQ(CreateResultsDatabase(fixed.c_str(), &error), 1);
    EXPECT_TRUE(error == "Can't create database: Operation not permitted" ||
                error == "Can't create database: Permission denied" ||
                error == "Can't create database: No such file or directory")
        << error;
    EXPECT_TRUE(fs::is_regular_file(fixed));
}

// A writer killed with SIGKILL at any moment of its work (a child process that does nothing
// but write output times of 2,000 nodes) leaves a database that passes its integrity check and
// holds whole output times only.
TEST_F(DatabaseTable, KilledWriterLeavesWholeOutputTimes)
{
    constexpr int Nodes = 2000;
    constexpr int Trials = 30;
    int withRows = 0;
    for (int trial = 0; trial < Trials; ++trial) {
        const auto delay = std::chrono::microseconds(3000 + 9000 * trial);
        SCOPED_TRACE("killed after " + std::to_string(delay.count()) + " us");
        fs::remove(file);
        fs::remove(dir / "results.db-wal");
        fs::remove(dir / "results.db-shm");
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            BuildNodes(Nodes);
            ResultsDatabase* database = nullptr;
            if (CreateResultsDatabase(file.c_str()) != 0 || OpenResultsDatabase(file.c_str(), &database) != 0) _exit(1);
            for (int time = 0;; ++time) {
                SetClock(60.0 * time, {2024, 1, 1, 0, time % 60, 0});
                if (WriteTimeSeriesToDatabase(database) != 0) _exit(1);
            }
        }
        std::this_thread::sleep_for(delay);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself: " << status;
        if (!fs::exists(file)) continue;

        // Read once through a connection that may write, as any user's would, so that the log
        // the writer left is recovered.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, "SELECT COUNT(*) FROM sqlite_master", nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        sqlite3_close(db);
        EXPECT_EQ(Query(file, "PRAGMA integrity_check")[0][0], "ok");
        if (Query(file, "SELECT name FROM sqlite_master WHERE name = 'time_series'").empty()) continue;
        const auto times =
            Query(file, "SELECT time_s, COUNT(*), COUNT(DISTINCT node_id) FROM time_series GROUP BY time_s");
        for (const auto& t : times) {
            EXPECT_EQ(t[1], std::to_string(Nodes)) << "rows at " << t[0] << " s";
            EXPECT_EQ(t[2], std::to_string(Nodes)) << "nodes at " << t[0] << " s";
        }
        withRows += !times.empty();
    }
    EXPECT_GE(withRows, Trials / 2) << "the kills came before any output time was written";
}

TEST_F(DatabaseTable, EmptyPathLeavesNothingOnDisk)
{
    const fs::path before = fs::current_path();
    const auto count = [] { return std::distance(fs::directory_iterator("."), fs::directory_iterator()); };
    fs::current_path(dir);
    const auto entries = count();
    EXPECT_EQ(CreateResultsDatabase(""), 0);
    EXPECT_EQ(count(), entries);
    fs::current_path(before);
}

}  // namespace
