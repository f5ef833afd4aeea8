// Checks on the outputs of thermal-ice runs of vasquil-batch.
//
//   thermal_check database DB        the thermal columns carry computed values: water cooled
//                                    below 0.1 degC, frazil, surface, solid and border ice formed,
//                                    and a still cover; prints "RESULT database ok"
//   thermal_check front FILE         the ice-front file's rows hold a front that moved upstream;
//                                    prints "RESULT front rows R moved M"
//   thermal_check state FILE DB      the water temperature, ice concentration and border widths
//                                    of every node of the model file equal the database rows at
//                                    the model's time; prints "RESULT state ok"
//   thermal_check unzoned FILE OUT N writes FILE as OUT with node N in an atmospheric zone that
//                                    does not exist
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "CheckTool.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"

namespace {

int Fail(const char* what)
{
    std::fprintf(stderr, "thermal_check: %s\n", what);
    return 1;
}

// One row of numbers from the database.
bool Query(sqlite3* db, const char* sql, std::vector<double>& values)
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK || sqlite3_step(st) != SQLITE_ROW) {
        sqlite3_finalize(st);
        return false;
    }
    values.clear();
    for (int c = 0; c < sqlite3_column_count(st); ++c) values.push_back(sqlite3_column_double(st, c));
    sqlite3_finalize(st);
    return true;
}


int CheckDatabase(const char* path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return Fail("cannot open the database");
    std::vector<double> v;
    const bool ok = Query(db,
                          "SELECT MIN(Tw_C), MAX(Tw_C), MAX(Cf), MAX(Ci), MAX(Afs_sqm), MAX(tsi_m), MAX(BbLDB_m), "
                          "MAX(BbRDB_m), MAX(tb_m), MIN(UIce_mps), MAX(UIce_mps), COUNT(DISTINCT Tw_C) "
                          "FROM time_series",
                          v);
    sqlite3_close(db);
    if (!ok) return Fail("cannot read the thermal columns");
    const char* names[] = {"coldest water", "warmest water", "frazil", "ice concentration", "slush",
                           "ice thickness", "left border", "right border", "border thickness", "slowest ice",
                           "fastest ice", "distinct water temperatures"};
    const bool pass[] = {v[0] < 0.1, v[1] > 1.5, v[2] > 0, v[3] > 0.5, v[4] > 0, v[5] > 0, v[6] > 0, v[7] > 0,
                         v[8] > 0, v[9] == 0, v[10] > 0.1, v[11] > 100};
    int failures = 0;
    for (int k = 0; k < 12; ++k)
        if (!pass[k]) {
            std::fprintf(stderr, "thermal_check: %s: %g\n", names[k], v[k]);
            ++failures;
        }
    if (failures) return 1;
    std::printf("RESULT database ok\n");
    return 0;
}

int CheckFront(const char* path)
{
    std::ifstream in(path);
    if (!in) return Fail("cannot open the ice-front file");
    std::string line;
    std::vector<double> fronts;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] < '0' || line[0] > '9') continue;
        // time, date, (empty), station, location, ...
        std::vector<std::string> fields;
        std::stringstream s(line);
        std::string f;
        while (std::getline(s, f, ',')) fields.push_back(f);
        if (fields.size() < 5) return Fail("an ice-front row with fewer than five fields");
        fronts.push_back(std::strtod(fields[4].c_str(), nullptr));
    }
    if (fronts.size() < 2) return Fail("fewer than two ice-front rows");
    int moved = 0;
    double upstream = fronts.front();
    for (size_t k = 1; k < fronts.size(); ++k) {
        if (fronts[k] != fronts[k - 1]) ++moved;
        upstream = std::fmin(upstream, fronts[k]);
    }
    if (!(upstream < fronts.front())) return Fail("the front never moved upstream");
    std::printf("RESULT front rows %zu moved %d\n", fronts.size(), moved);
    return 0;
}

int CheckState(const char* model, const char* path)
{
    if (LoadModelFile(model) != 0) return Fail("cannot read the model file");
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return Fail("cannot open the database");
    sqlite3_stmt* st = nullptr;
    const char* sql = "SELECT node_id, Tw_C, Ci, BbLDB_m, BbRDB_m FROM time_series WHERE time_s = "
                      "(SELECT MAX(time_s) FROM time_series)";
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) return Fail(sqlite3_errmsg(db));
    std::map<int, std::vector<double>> rows;
    while (sqlite3_step(st) == SQLITE_ROW)
        rows[sqlite3_column_int(st, 0)] = {sqlite3_column_double(st, 1), sqlite3_column_double(st, 2),
                                           sqlite3_column_double(st, 3), sqlite3_column_double(st, 4)};
    sqlite3_finalize(st);
    sqlite3_close(db);
    int mismatches = 0;
    for (const NodeRecord* n : g_NodeIndex) {
        const auto row = rows.find(n->Number);
        const double saved[4] = {n->WaterTemp, n->IceConcentration, n->BorderWidthLeft, n->BorderWidthRight};
        bool same = row != rows.end();
        for (int k = 0; same && k < 4; ++k) same = Close(row->second[k], saved[k]);
        if (!same) {
            std::fprintf(stderr, "thermal_check: node %d: the saved thermal state differs from the database\n",
                         n->Number);
            ++mismatches;
        }
    }
    if (mismatches || rows.size() != g_NodeIndex.size()) return 1;
    std::printf("RESULT state ok\n");
    return 0;
}

int WriteUnzoned(const char* model, const char* out, int number)
{
    if (LoadModelFile(model) != 0) return Fail("cannot read the model file");
    for (NodeRecord* n = g_Nodes; n; n = n->Next)
        if (n->Number == number) {
            n->ZoneNumber = 7;   // the example has zones 1 and 2
            n->Zone = nullptr;
        }
    std::FILE* stream = std::fopen(out, "wb");
    if (!stream || WriteModelFile(stream) != 0) return Fail("cannot write the model file");
    std::printf("RESULT unzoned %d\n", number);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    int result = 2;
    if (argc == 3 && std::strcmp(argv[1], "database") == 0)
        result = CheckDatabase(argv[2]);
    else if (argc == 3 && std::strcmp(argv[1], "front") == 0)
        result = CheckFront(argv[2]);
    else if (argc == 4 && std::strcmp(argv[1], "state") == 0)
        result = CheckState(argv[2], argv[3]);
    else if (argc == 5 && std::strcmp(argv[1], "unzoned") == 0)
        result = WriteUnzoned(argv[2], argv[3], std::atoi(argv[4]));
    else
        std::fprintf(stderr, "usage: thermal_check database DB | front FILE | state FILE DB | unzoned FILE OUT N\n");
    ReleaseModel();
    return result;
}
