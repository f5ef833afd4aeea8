// The results database: table layouts, rows and failures.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
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

class ResultsDatabase : public ::testing::Test {
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

        ReleaseModel();
        SetModelDefaults();
        // Three nodes whose every written quantity is distinct: node k, field f holds k * 100 + f.
        g_NodeBlock.resize(3);
        for (int k = 0; k < 3; ++k) {
            NodeRecord& n = g_NodeBlock[k];
            SetNodeDefaults(&n);
            n.Number = 10 + k;
            n.Next = k < 2 ? &g_NodeBlock[k + 1] : nullptr;
            double* fields[] = {&n.Discharge,        &n.FluxDischarge,     &n.FlowArea,      &n.TopWidth,
                                &n.Stage,            &n.Velocity,          &n.WaterTemp,     &n.ThermalEnergy,
                                &n.FrazilConcentration, &n.IceConcentration, &n.SlushArea,   &n.SlushThickness,
                                &n.SolidIceArea,     &n.IceThickness,      &n.BorderIceArea, &n.BorderIceThickness,
                                &n.BorderWidthLeft,  &n.BorderWidthRight,  &n.IceVelocity};
            for (int f = 0; f < 19; ++f) *fields[f] = (k + 1) * 100 + f + 0.5;
        }
        g_Nodes = &g_NodeBlock[0];
        g_ModelControl.NodeCount = 3;
        RebuildNodeIndex();
        SetClock(3600, {2024, 2, 29, 1, 0, 0});
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
    std::vector<std::string> Columns(const char* typeOf = nullptr)
    {
        std::vector<std::string> out;
        for (const auto& row : Query(file, "PRAGMA table_info(time_series)")) out.push_back(typeOf ? row[2] : row[1]);
        return out;
    }
};

TEST_F(ResultsDatabase, TableColumnsFollowTheThermalSwitch)
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

TEST_F(ResultsDatabase, CreationReplacesAnExistingFile)
{
    {
        std::ofstream junk(file);
        junk << "not a database";
    }
    ASSERT_EQ(CreateResultsDatabase(file.c_str()), 0);
    EXPECT_EQ(Columns(), OpenWaterColumns);

    ASSERT_EQ(WriteTimeSeriesToDatabase(file.c_str()), 0);
    ASSERT_EQ(CreateResultsDatabase(file.c_str()), 0);
    EXPECT_EQ(Query(file, "SELECT COUNT(*) FROM time_series")[0][0], "0");
}

TEST_F(ResultsDatabase, OneRowPerNodeAndOutputTime)
{
    for (int thermal = 0; thermal < 2; ++thermal) {
        SCOPED_TRACE(thermal);
        g_ModelControl.ThermalIceOn = thermal;
        ASSERT_EQ(CreateResultsDatabase(file.c_str()), 0);
        SetClock(3600, {2024, 2, 29, 1, 0, 0});
        ASSERT_EQ(WriteTimeSeriesToDatabase(file.c_str()), 0);
        SetClock(7200.25, {2024, 2, 29, 2, 0, 0});
        ASSERT_EQ(WriteTimeSeriesToDatabase(file.c_str()), 0);

        const auto rows = Query(file, "SELECT * FROM time_series ORDER BY id");
        ASSERT_EQ(rows.size(), 6u);
        const size_t columns = thermal ? 23 : 10;
        for (int r = 0; r < 6; ++r) {
            SCOPED_TRACE(r);
            const int k = r % 3;
            ASSERT_EQ(rows[r].size(), columns);
            EXPECT_EQ(rows[r][0], std::to_string(r + 1));
            EXPECT_EQ(rows[r][1], std::to_string(10 + k));
            EXPECT_EQ(rows[r][2], r < 3 ? "3600.0" : "7200.25");
            EXPECT_EQ(rows[r][3], r < 3 ? "2024-02-29 01:00:00" : "2024-02-29 02:00:00");
            for (size_t c = 4; c < columns; ++c)
                EXPECT_EQ(std::stod(rows[r][c]), (k + 1) * 100 + static_cast<int>(c - 4) + 0.5) << "column " << c;
        }
    }
}

TEST_F(ResultsDatabase, DateTextOfAnyDateIsWrittenWhole)
{
    ASSERT_EQ(CreateResultsDatabase(file.c_str()), 0);
    SetClock(0, {-2147483647 - 1, 2147483647, -2147483647 - 1, 123456, -1, 2147483647});
    ASSERT_EQ(WriteTimeSeriesToDatabase(file.c_str()), 0);
    const auto rows = Query(file, "SELECT actual_time FROM time_series");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "-2147483648-2147483647--2147483648 123456:-1:2147483647");
    SetClock(0, {12345, 1, 2, 3, 4, 5});
    ASSERT_EQ(WriteTimeSeriesToDatabase(file.c_str()), 0);
    EXPECT_EQ(Query(file, "SELECT actual_time FROM time_series WHERE id = 4")[0][0], "12345-01-02 03:04:05");
}

TEST_F(ResultsDatabase, FailuresAreReportedAndLeaveNoRow)
{
    struct Case {
        const char* name;
        const char* table;  // created before the write, or null for none
        int thermal;
        const char* message;
    } cases[] = {
        {"no table", nullptr, 0, "SQL error: no such table: time_series\n"},
        {"thermal rows into an open-water table",
         "CREATE TABLE time_series (id INTEGER PRIMARY KEY, node_id INTEGER, time_s FLOAT, actual_time DATETIME, "
         "Qw_cms FLOAT, Qf_cms FLOAT, Aw_sqm FLOAT, Bws_m FLOAT, H_m FLOAT, Uw_mps FLOAT)",
         1, "SQL error: table time_series has no column named Tw_C\n"},
        {"second row refused",
         "CREATE TABLE time_series (id INTEGER PRIMARY KEY, node_id INTEGER CHECK (node_id < 11), time_s FLOAT, "
         "actual_time DATETIME, Qw_cms FLOAT, Qf_cms FLOAT, Aw_sqm FLOAT, Bws_m FLOAT, H_m FLOAT, Uw_mps FLOAT)",
         0, "SQL error: CHECK constraint failed: node_id < 11\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(file);
        if (c.table) Execute(file, c.table);
        g_ModelControl.ThermalIceOn = c.thermal;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(WriteTimeSeriesToDatabase(file.c_str()), 1);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.message);
        if (c.table) {
            EXPECT_EQ(Query(file, "SELECT COUNT(*) FROM time_series")[0][0], "0");
        }
    }
}

TEST_F(ResultsDatabase, FileThatCannotBeOpenedOrReplaced)
{
    const fs::path missing = dir / "no such folder" / "results.db";
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(WriteTimeSeriesToDatabase(missing.c_str()), 1);
    EXPECT_EQ(CreateResultsDatabase(missing.c_str()), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Can't open database: unable to open database file\n"
              "Can't open database: unable to open database file\n");
    EXPECT_FALSE(fs::exists(missing));

    // A folder of that name is never deleted.
    const fs::path folder = dir / "folder.db";
    fs::create_directories(folder);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(CreateResultsDatabase(folder.c_str()), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error deleting database file: unknown error\n");
    EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(ResultsDatabase, EmptyPathLeavesNothingOnDisk)
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
