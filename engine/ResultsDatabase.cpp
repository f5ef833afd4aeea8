// Results database rows and table.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/EngineData.h"
#include "engine/ResultsDatabase.h"

namespace {

const char* const CreateOpenWater =
    "CREATE TABLE time_series (id INTEGER PRIMARY KEY, node_id INTEGER, time_s FLOAT, "
    "actual_time DATETIME, Qw_cms FLOAT, Qf_cms FLOAT, Aw_sqm FLOAT, Bws_m FLOAT, H_m FLOAT, "
    "Uw_mps FLOAT)";

const char* const CreateThermal =
    "CREATE TABLE time_series (id INTEGER PRIMARY KEY, node_id INTEGER, time_s FLOAT, "
    "actual_time DATETIME, Qw_cms FLOAT, Qf_cms FLOAT, Aw_sqm FLOAT, Bws_m FLOAT, H_m FLOAT, "
    "Uw_mps FLOAT, Tw_C FLOAT, eWI_Jpkg FLOAT, Cf FLOAT, Ci FLOAT, Afs_sqm FLOAT, tfs_m FLOAT, "
    "Asi_sqm FLOAT, tsi_m FLOAT, Ab_sqm FLOAT, tb_m FLOAT, BbLDB_m FLOAT, BbRDB_m FLOAT, "
    "UIce_mps FLOAT)";

const char* const InsertOpenWater =
    "INSERT INTO time_series (node_id, time_s, actual_time, Qw_cms, Qf_cms, Aw_sqm, Bws_m, H_m, "
    "Uw_mps) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";

const char* const InsertThermal =
    "INSERT INTO time_series (node_id, time_s, actual_time, Qw_cms, Qf_cms, Aw_sqm, Bws_m, H_m, "
    "Uw_mps, Tw_C, eWI_Jpkg, Cf, Ci, Afs_sqm, tfs_m, Asi_sqm, tsi_m, Ab_sqm, tb_m, BbLDB_m, "
    "BbRDB_m, Uice_mps) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

}  // namespace

int CreateResultsDatabase(const char* path)
{
    // An existing file of that name is replaced. Only a plain file is ever deleted: a
    // directory of that name is reported as a failed deletion and left alone.
    if (std::FILE* existing = std::fopen(path, "rb")) {
        std::fclose(existing);
        std::error_code ec;
        const std::filesystem::path file(reinterpret_cast<const char8_t*>(path));
        const bool directory = std::filesystem::is_directory(file, ec);
        const int removed = directory ? -1 : std::remove(path);
        if (removed != 0) {
            std::fprintf(stderr, "Error deleting database file: %s\n", sqlite3_errstr(removed));
            return 1;
        }
    }

    sqlite3* db = nullptr;
    if (sqlite3_open(path, &db) != SQLITE_OK) {
        std::fprintf(stderr, "Can't open database: %s\n", db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return 1;
    }
    char* message = nullptr;
    const char* create = g_ModelControl.ThermalIceOn ? CreateThermal : CreateOpenWater;
    int result = 0;
    if (sqlite3_exec(db, create, nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "SQL error: %s\n", message ? message : sqlite3_errmsg(db));
        sqlite3_free(message);
        result = 1;
    }
    sqlite3_close(db);
    return result;
}

int WriteTimeSeriesToDatabase(const char* path)
{
    const ModelControl& mc = g_ModelControl;
    const int* d = mc.CurrentDate;
    // Room for six ints of any value, so a date outside the usual ranges cannot overflow.
    char dateText[80];
    std::snprintf(dateText, sizeof dateText, "%04d-%02d-%02d %02d:%02d:%02d", d[0], d[1], d[2], d[3],
                  d[4], d[5]);

    sqlite3* db = nullptr;
    if (sqlite3_open(path, &db) != SQLITE_OK) {
        std::fprintf(stderr, "Can't open database: %s\n", db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return 1;
    }

    const bool thermal = mc.ThermalIceOn != 0;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_exec(db, "BEGIN TRANSACTION", nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, thermal ? InsertThermal : InsertOpenWater, -1, &statement, nullptr) !=
            SQLITE_OK) {
        std::fprintf(stderr, "SQL error: %s\n", sqlite3_errmsg(db));
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return 1;
    }

    bool failed = false;
    for (const NodeRecord* n : g_NodeIndex) {
        if (!n) continue;
        sqlite3_bind_int(statement, 1, n->Number);
        sqlite3_bind_double(statement, 2, mc.ModelTime);
        sqlite3_bind_text(statement, 3, dateText, -1, SQLITE_TRANSIENT);
        const double open[] = {n->Discharge, n->FluxDischarge, n->FlowArea,
                               n->TopWidth,  n->Stage,         n->Velocity};
        int parameter = 4;
        for (double v : open) sqlite3_bind_double(statement, parameter++, v);
        if (thermal) {
            const double ice[] = {n->WaterTemp,        n->ThermalEnergy,   n->FrazilConcentration,
                                  n->IceConcentration, n->SlushArea,       n->SlushThickness,
                                  n->SolidIceArea,     n->IceThickness,    n->BorderIceArea,
                                  n->BorderIceThickness, n->BorderWidthLeft, n->BorderWidthRight,
                                  n->IceVelocity};
            for (double v : ice) sqlite3_bind_double(statement, parameter++, v);
        }
        if (sqlite3_step(statement) != SQLITE_DONE) {
            std::fprintf(stderr, "SQL error: %s\n", sqlite3_errmsg(db));
            failed = true;
            break;
        }
        sqlite3_reset(statement);
    }
    if (!failed && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "SQL error: %s\n", sqlite3_errmsg(db));
        failed = true;
    }
    sqlite3_finalize(statement);
    // Closing with the transaction still open rolls it back: a failed call leaves no row.
    sqlite3_close(db);
    return failed ? 1 : 0;
}
