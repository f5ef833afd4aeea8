// Checks on a model converted by vasquil-batch convert and on a steady run of it.
//
//   convert_check steady MODEL DB Q   every node's flux discharge in the last rows of the results
//                                     database DB is Q, and the last node's stage is the stage of
//                                     MODEL's downstream boundary; prints "RESULT nodes N outlet S"
//   convert_check model MODEL         prints "RESULT nodes N units U length L" (L: the last node's
//                                     chainage in m, to the centimetre)
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "CheckTool.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"

namespace {

// The stage boundary is imposed through the momentum equation of the last element, so the
// outlet's stage meets it to within the discretisation's error, far below a millimetre.
constexpr double StageTolerance = 1e-4;  // m
// The flux discharge is conserved from element to element to rounding.
constexpr double DischargeTolerance = 1e-9;  // relative

struct LastRow {
    double flux = 0;
    double stage = 0;
};

}  // namespace

int Check(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "model") == 0) {
        if (ReadModel("convert_check", argv[2]) != 0) return 1;
        const NodeRecord* last = g_Nodes;
        while (last && last->Next) last = last->Next;
        std::printf("RESULT nodes %d units %d length %.2f\n", g_ModelControl.NodeCount, g_ModelControl.UnitSystem,
                    last ? last->Chainage : 0.0);
        return 0;
    }
    if (argc != 5 || std::strcmp(argv[1], "steady") != 0) {
        std::fprintf(stderr, "usage: convert_check steady MODEL DB Q | convert_check model MODEL\n");
        return 1;
    }
    if (ReadModel("convert_check", argv[2]) != 0) return 1;
    const double q = std::atof(argv[4]) * g_ModelControl.LengthFactor * g_ModelControl.LengthFactor *
                     g_ModelControl.LengthFactor;
    const NodeRecord* outlet = g_Nodes;
    while (outlet && outlet->Next) outlet = outlet->Next;
    double boundaryStage = NAN;
    for (const BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next)
        if (b->StageCode == 1 && b->Hydrograph && b->Hydrograph->RowCount > 0 && b->Node() == outlet)
            boundaryStage = b->Hydrograph->Columns[1][0];
    if (!outlet || std::isnan(boundaryStage)) {
        std::fprintf(stderr, "convert_check: the model has no stage boundary at its last node\n");
        return 1;
    }

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[3], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "convert_check: cannot open the database %s\n", argv[3]);
        sqlite3_close(db);
        return 1;
    }
    sqlite3_stmt* st = nullptr;
    const char* sql = "SELECT node_id, Qf_cms, H_m FROM time_series WHERE time_s = (SELECT MAX(time_s) FROM time_series)";
    std::map<int, LastRow> rows;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            rows[sqlite3_column_int(st, 0)] = {sqlite3_column_double(st, 1), sqlite3_column_double(st, 2)};
    sqlite3_finalize(st);
    sqlite3_close(db);

    int failures = 0;
    int nodes = 0;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next, ++nodes) {
        const auto row = rows.find(n->Number);
        if (row == rows.end()) {
            std::fprintf(stderr, "convert_check: no row of node %d\n", n->Number);
            ++failures;
        } else if (std::fabs(row->second.flux - q) > DischargeTolerance * std::fabs(q)) {
            std::fprintf(stderr, "convert_check: node %d carries %.12g m3/s, not %.12g\n", n->Number, row->second.flux, q);
            ++failures;
        }
    }
    const double outletStage = rows.count(outlet->Number) ? rows[outlet->Number].stage : NAN;
    if (!(std::fabs(outletStage - boundaryStage) <= StageTolerance)) {
        std::fprintf(stderr, "convert_check: the outlet's stage %.12g m is not its boundary stage %.12g m\n",
                     outletStage, boundaryStage);
        ++failures;
    }
    if (failures) return 1;
    std::printf("RESULT nodes %d outlet %.4f\n", nodes, boundaryStage);
    return 0;
}

int main(int argc, char** argv)
{
    const int result = Check(argc, argv);
    ReleaseModel();
    return result;
}
