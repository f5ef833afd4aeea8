// Checks on the outputs of vasquil-batch for its command-line tests.
//
//   batch_check model FILE      reads a model file; prints "RESULT nodes N time T" (T in s)
//   batch_check rows DB         prints "RESULT rows R times N nodes K first F last L"
//   batch_check state FILE DB   the stage and discharge of every node in the model file equal
//                               the database rows at the model's time; prints "RESULT state ok"
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "CheckTool.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"

namespace {

sqlite3* OpenDatabase(const char* path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "batch_check: cannot open the database %s\n", path);
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

}  // namespace

int Check(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "model") == 0) {
        if (ReadModel("batch_check", argv[2]) != 0) return 1;
        std::printf("RESULT nodes %d time %.17g\n", g_ModelControl.NodeCount, g_ModelControl.ModelTime);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "rows") == 0) {
        sqlite3* db = OpenDatabase(argv[2]);
        if (!db) return 1;
        sqlite3_stmt* st = nullptr;
        const char* sql =
            "SELECT COUNT(*), COUNT(DISTINCT time_s), COUNT(DISTINCT node_id), MIN(time_s), MAX(time_s) FROM time_series";
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK || sqlite3_step(st) != SQLITE_ROW) {
            std::fprintf(stderr, "batch_check: %s\n", sqlite3_errmsg(db));
            return 1;
        }
        std::printf("RESULT rows %d times %d nodes %d first %.17g last %.17g\n", sqlite3_column_int(st, 0),
                    sqlite3_column_int(st, 1), sqlite3_column_int(st, 2), sqlite3_column_double(st, 3),
                    sqlite3_column_double(st, 4));
        sqlite3_finalize(st);
        sqlite3_close(db);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "state") == 0) {
        if (ReadModel("batch_check", argv[2]) != 0) return 1;
        sqlite3* db = OpenDatabase(argv[3]);
        if (!db) return 1;
        sqlite3_stmt* st = nullptr;
        const char* sql = "SELECT node_id, H_m, Qw_cms FROM time_series WHERE time_s = (SELECT MAX(time_s) FROM time_series)";
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "batch_check: %s\n", sqlite3_errmsg(db));
            return 1;
        }
        std::map<int, std::pair<double, double>> rows;
        while (sqlite3_step(st) == SQLITE_ROW)
            rows[sqlite3_column_int(st, 0)] = {sqlite3_column_double(st, 1), sqlite3_column_double(st, 2)};
        sqlite3_finalize(st);
        sqlite3_close(db);
        int mismatches = 0;
        for (const NodeRecord* n : g_NodeIndex) {
            const auto row = rows.find(n->Number);
            if (row == rows.end() || !Close(row->second.first, n->Stage) || !Close(row->second.second, n->Discharge)) {
                std::fprintf(stderr, "batch_check: node %d: saved stage %.12g discharge %.12g differ from the database\n",
                             n->Number, n->Stage, n->Discharge);
                ++mismatches;
            }
        }
        if (mismatches || rows.size() != g_NodeIndex.size()) return 1;
        std::printf("RESULT state ok\n");
        return 0;
    }
    std::fprintf(stderr, "usage: batch_check model FILE | rows DB | state FILE DB\n");
    return 2;
}

int main(int argc, char** argv)
{
    const int result = Check(argc, argv);
    ReleaseModel();
    return result;
}
