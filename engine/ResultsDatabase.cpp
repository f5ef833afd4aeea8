// Results database rows and table.
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "engine/Calendar.h"
#include "engine/EngineData.h"
#include "engine/OutputTargets.h"
#include "engine/ResultsDatabase.h"

struct ResultsDatabase {
    sqlite3* Connection = nullptr;
    sqlite3_stmt* Block = nullptr;   // the insert of BlockRows rows
    sqlite3_stmt* Single = nullptr;  // the insert of one row, for the rows after the last block
    int Values = 0;                  // value columns of a row: 6, or 19 with the thermal columns
    int BlockRows = 0;
    // The date of the output time being written; bound once per call and read by every row.
    // Room for six ints of any value, so a date outside the usual ranges cannot overflow.
    char DateText[DateTextCapacity] = {};
    // A database built beside its target: the file it replaces once its first output time is
    // committed, and the file it is built in (empty once it is in place).
    std::filesystem::path Target;
    std::filesystem::path Building;
};

namespace {

// Rows go in blocks: one execution of a many-row insert costs little more than that of a
// single row, and the rows keep node order and ascending ids. A block holds at most 50 rows and
// 999 parameters, the limit of a statement in SQLite before version 3.32.
constexpr int MostRowsPerBlock = 50;
constexpr int MostParameters = 999;
// Parameters of a row before its values: node_id, time_s, actual_time.
constexpr int LeadingParameters = 3;

// Pages of 16 KiB hold a run's rows in a quarter of the pages of SQLite's default size, and
// the log is folded into the database file (two flushes to disk) every 2048 pages, 32 MiB.
const char* const PageSize = "PRAGMA page_size=16384";
const char* const LogPagesPerCheckpoint = "PRAGMA wal_autocheckpoint=2048";

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

// Names of the value columns, parameters 4 on, for the message about a value that is no number.
const char* const ValueColumns[] = {"Qw_cms", "Qf_cms",   "Aw_sqm", "Bws_m", "H_m",     "Uw_mps",  "Tw_C",
                                    "eWI_Jpkg", "Cf",     "Ci",     "Afs_sqm", "tfs_m", "Asi_sqm", "tsi_m",
                                    "Ab_sqm", "tb_m",     "BbLDB_m", "BbRDB_m", "UIce_mps"};
constexpr int OpenWaterValues = 6;
constexpr int ThermalValues = static_cast<int>(std::size(ValueColumns));

// The insert of rows rows: the one-row statement with its list of parameters repeated.
std::string InsertOf(const char* single, int rows)
{
    const std::string text = single;
    const std::string row = text.substr(text.rfind('('));
    std::string insert = text;
    for (int r = 1; r < rows; ++r) insert += ", " + row;
    return insert;
}

// The log files SQLite keeps beside a database: a write-ahead log left by a killed run would be
// read into a new database of the same name, so they go with the file they belong to.
const char* const LogSuffixes[] = {"-wal", "-shm", "-journal"};
const char* const DatabaseWhat = "results database";
const char* const LogWhat = "results database's log";

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void Report(std::string* error, const char* format, ...)
{
    char line[1200];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (error) {
        *error = line;
    } else {
        std::fputs(line, stderr);
        std::fputc('\n', stderr);
    }
}

// SQLite's account of the last failure on db, with the system's reason when the failure came
// from the system ("disk I/O error (File too large)").
std::string Failure(sqlite3* db)
{
    std::string text = db ? sqlite3_errmsg(db) : "out of memory";
    if (const int system = db ? sqlite3_system_errno(db) : 0; system != 0)
        text += std::string(" (") + std::strerror(system) + ")";
    return text;
}

// Deletes a regular file at path; nothing there is fine. Anything else is refused.
bool DeleteFile(const OutputTarget& target, std::string* error)
{
    const std::string path = target.Path.string();
    std::string refusal;
    if (CheckOutputTarget(target.Path, target.What, &refusal) != TargetOk) {
        Report(error, "Error deleting database file: %s", refusal.c_str());
        return false;
    }
    if (std::remove(path.c_str()) != 0 && errno != ENOENT) {
        Report(error, "Error deleting database file: %s", std::strerror(errno));
        return false;
    }
    return true;
}

// Opens the file (created when missing) without following a symbolic link. A connection is
// used by one thread at a time (the user-interface thread between steps), so SQLite need not
// lock it on every call.
sqlite3* Connect(const char* path, std::string* error)
{
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path, &db, flags, nullptr) != SQLITE_OK) {
        Report(error, "Can't open database: %s", Failure(db).c_str());
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

// Runs a statement without rows; false after reporting a failure.
bool Execute(sqlite3* db, const char* sql, std::string* error)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    Report(error, "SQL error: %s",
           message ? (message + std::string(Failure(db).substr(std::strlen(sqlite3_errmsg(db))))).c_str()
                   : Failure(db).c_str());
    sqlite3_free(message);
    return false;
}

// Makes the file of a new database beside target, empty, and connects to it with its table
// made. The journal is kept in memory: the file is thrown away unless it is complete, so a
// journal on disk would only be left behind by a killed run. Returns the connection with
// *building set, or null after reporting the failure with nothing left on disk.
sqlite3* Build(const std::string& target, std::filesystem::path* building, std::string* error)
{
    std::string message;
    std::FILE* empty = CreateTemporaryFor(target, building, DatabaseWhat, &message);
    if (!empty) {
        // The reason after the path, as the other failures give it.
        const std::size_t colon = message.rfind(": ");
        Report(error, "Can't create database: %s",
               colon == std::string::npos ? message.c_str() : message.c_str() + colon + 2);
        return nullptr;
    }
    std::fclose(empty);
    sqlite3* db = Connect(building->c_str(), error);
    const char* create = g_ModelControl.ThermalIceOn ? CreateThermal : CreateOpenWater;
    if (!db || !Execute(db, PageSize, error) || !Execute(db, "PRAGMA journal_mode=MEMORY", error) ||
        !Execute(db, create, error)) {
        sqlite3_close(db);
        RemoveTemporary(*building);
        building->clear();
        return nullptr;
    }
    return db;
}

// Puts the complete, closed database building in the place of target, after removing the logs
// of the old file (a log beside the new database would be read into it). Returns true, or
// false after reporting the failure with building removed.
bool Place(const std::filesystem::path& building, const std::string& target, std::string* error)
{
    const std::vector<OutputTarget> files = ResultsDatabaseTargets(target);
    if (std::string refusal; CheckOutputTarget(files[0].Path, files[0].What, &refusal) != TargetOk) {
        RemoveTemporary(building);
        Report(error, "Error deleting database file: %s", refusal.c_str());
        return false;
    }
    for (auto it = files.rbegin(); it + 1 != files.rend(); ++it)
        if (!DeleteFile(*it, error)) {
            RemoveTemporary(building);
            return false;
        }
    if (std::string message; ReplaceWithTemporary(building, files[0].Path, DatabaseWhat, &message) != TargetOk) {
        Report(error, "%s", message.c_str());
        return false;
    }
    return true;
}

// Prepares the inserts of the present ThermalIceOn on db, with write-ahead logging when log is
// set. Returns the handle, or null after reporting the failure (db is closed then).
ResultsDatabase* Prepare(sqlite3* db, bool log, std::string* error)
{
    const bool thermal = g_ModelControl.ThermalIceOn != 0;
    const char* insert = thermal ? InsertThermal : InsertOpenWater;
    const int values = thermal ? ThermalValues : OpenWaterValues;
    const int blockRows = std::min(MostRowsPerBlock, MostParameters / (LeadingParameters + values));
    sqlite3_stmt* block = nullptr;
    sqlite3_stmt* single = nullptr;
    // Write-ahead logging commits an output time with one append to the log and no flush to
    // disk (synchronous=NORMAL), and a commit interrupted at any moment is simply not there
    // when the database is next opened.
    if ((log && (sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) != SQLITE_OK ||
                 sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr) != SQLITE_OK ||
                 sqlite3_exec(db, LogPagesPerCheckpoint, nullptr, nullptr, nullptr) != SQLITE_OK)) ||
        sqlite3_prepare_v2(db, insert, -1, &single, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, InsertOf(insert, blockRows).c_str(), -1, &block, nullptr) != SQLITE_OK) {
        Report(error, "SQL error: %s", Failure(db).c_str());
        sqlite3_finalize(single);
        sqlite3_finalize(block);
        sqlite3_close(db);
        return nullptr;
    }
    return new ResultsDatabase{db, block, single, values, blockRows, {}, {}, {}};
}

// Ends the connection of a handle (its inserts first); the handle stays.
void Disconnect(ResultsDatabase& database)
{
    sqlite3_finalize(database.Block);
    sqlite3_finalize(database.Single);
    sqlite3_close(database.Connection);
    database.Block = database.Single = nullptr;
    database.Connection = nullptr;
}

// Puts a database built beside its target in place once its first output time is committed,
// and connects to it there. Returns true, or false after reporting the failure (the handle is
// then without a connection, and the old file is as it was unless the new one replaced it).
bool PlaceBuilt(ResultsDatabase& database, std::string* error)
{
    const std::filesystem::path building = database.Building;
    database.Building.clear();
    Disconnect(database);
    if (!Place(building, database.Target.string(), error)) return false;
    sqlite3* db = Connect(database.Target.c_str(), error);
    if (!db) return false;
    ResultsDatabase* placed = Prepare(db, true, error);
    if (!placed) return false;
    database.Connection = placed->Connection;
    database.Block = placed->Block;
    database.Single = placed->Single;
    delete placed;
    return true;
}

}  // namespace

std::vector<OutputTarget> ResultsDatabaseTargets(const std::string& path)
{
    std::vector<OutputTarget> targets;
    targets.push_back({DatabaseWhat, std::filesystem::path(path)});
    for (const char* suffix : LogSuffixes) {
        targets.push_back({LogWhat, std::filesystem::path(path + suffix)});
        targets.back().Held = false;  // held with the database
    }
    return targets;
}

int CreateResultsDatabase(const char* path, std::string* error)
{
    if (path[0] == '\0') {
        // A private temporary database, gone when its connection closes.
        sqlite3* db = Connect(path, error);
        if (!db) return 1;
        const char* create = g_ModelControl.ThermalIceOn ? CreateThermal : CreateOpenWater;
        const bool made = Execute(db, PageSize, error) && Execute(db, create, error);
        sqlite3_close(db);
        return made ? 0 : 1;
    }
    // Only a regular file (or nothing) is replaced, and only when its logs can go too.
    for (const OutputTarget& t : ResultsDatabaseTargets(path))
        if (std::string refusal; CheckOutputTarget(t.Path, t.What, &refusal) != TargetOk) {
            Report(error, "Error deleting database file: %s", refusal.c_str());
            return 1;
        }
    std::filesystem::path building;
    sqlite3* db = Build(path, &building, error);
    if (!db) return 1;
    if (sqlite3_close(db) != SQLITE_OK) {
        RemoveTemporary(building);
        Report(error, "SQL error: %s", Failure(db).c_str());
        return 1;
    }
    return Place(building, path, error) ? 0 : 1;
}

int StartResultsDatabase(const char* path, ResultsDatabase** database, std::string* error)
{
    *database = nullptr;
    if (path[0] == '\0') {
        Report(error, "Can't open database: no file name");
        return 1;
    }
    for (const OutputTarget& t : ResultsDatabaseTargets(path))
        if (std::string refusal; CheckOutputTarget(t.Path, t.What, &refusal) != TargetOk) {
            Report(error, "Error deleting database file: %s", refusal.c_str());
            return 1;
        }
    std::filesystem::path building;
    sqlite3* db = Build(path, &building, error);
    if (!db) return 1;
    ResultsDatabase* started = Prepare(db, false, error);
    if (!started) {
        RemoveTemporary(building);
        return 1;
    }
    started->Target = path;
    started->Building = building;
    *database = started;
    return 0;
}

int OpenResultsDatabase(const char* path, ResultsDatabase** database, std::string* error)
{
    *database = nullptr;
    sqlite3* db = Connect(path, error);
    if (!db) return 1;
    *database = Prepare(db, true, error);
    return *database ? 0 : 1;
}

namespace {

// Binds node n to the row at slot of statement; false, with nothing bound after the value,
// when a value is no finite number.
bool BindRow(const ResultsDatabase& database, sqlite3_stmt* statement, int slot, const NodeRecord* n,
             std::string* error)
{
    const double row[] = {n->Discharge,        n->FluxDischarge,   n->FlowArea,         n->TopWidth,
                          n->Stage,            n->Velocity,        n->WaterTemp,        n->ThermalEnergy,
                          n->FrazilConcentration, n->IceConcentration, n->SlushArea,   n->SlushThickness,
                          n->SolidIceArea,     n->IceThickness,    n->BorderIceArea,    n->BorderIceThickness,
                          n->BorderWidthLeft,  n->BorderWidthRight, n->IceVelocity};
    static_assert(std::size(row) == std::size(ValueColumns));
    const int first = slot * (LeadingParameters + database.Values) + 1;
    sqlite3_bind_int(statement, first, n->Number);
    for (int k = 0; k < database.Values; ++k) {
        if (!std::isfinite(row[k])) {
            Report(error, "Not a finite number in column %s of node %d at model time %.17g s: no row of this time written",
                   ValueColumns[k], n->Number, g_ModelControl.ModelTime);
            return false;
        }
        sqlite3_bind_double(statement, first + LeadingParameters + k, row[k]);
    }
    return true;
}

// Runs a statement whose rows are bound; false after reporting a failure.
bool Insert(sqlite3* db, sqlite3_stmt* statement, std::string* error)
{
    const bool done = sqlite3_step(statement) == SQLITE_DONE;
    if (!done) Report(error, "SQL error: %s", Failure(db).c_str());
    sqlite3_reset(statement);
    return done;
}

}  // namespace

int WriteTimeSeriesToDatabase(ResultsDatabase* database, std::string* error)
{
    if (!database || !database->Connection) {
        Report(error, "Can't open database: no database is open");
        return 1;
    }
    const ModelControl& mc = g_ModelControl;
    sqlite3* db = database->Connection;
    FormatCalendarDate(mc.CurrentDate, database->DateText, sizeof database->DateText);
    // Bindings stay across resets: the time and the date are the same in every row of a call.
    const int perRow = LeadingParameters + database->Values;
    const int blockRows = database->BlockRows;
    const auto bindTime = [&](sqlite3_stmt* statement, int slot) {
        sqlite3_bind_double(statement, slot * perRow + 2, mc.ModelTime);
        sqlite3_bind_text(statement, slot * perRow + 3, database->DateText, -1, SQLITE_STATIC);
    };
    for (int slot = 0; slot < blockRows; ++slot) bindTime(database->Block, slot);
    bindTime(database->Single, 0);

    if (sqlite3_exec(db, "BEGIN TRANSACTION", nullptr, nullptr, nullptr) != SQLITE_OK) {
        Report(error, "SQL error: %s", Failure(db).c_str());
        return 1;
    }
    int nodes = 0;
    for (const NodeRecord* n : g_NodeIndex) nodes += n != nullptr;
    const int inBlocks = nodes - nodes % blockRows;
    bool failed = false;
    int row = 0;
    for (const NodeRecord* n : g_NodeIndex) {
        if (!n) continue;
        const bool blocked = row < inBlocks;
        sqlite3_stmt* statement = blocked ? database->Block : database->Single;
        const int slot = blocked ? row % blockRows : 0;
        ++row;
        if (!BindRow(*database, statement, slot, n, error)) {
            failed = true;
            break;
        }
        if ((!blocked || slot == blockRows - 1) && !Insert(db, statement, error)) {
            failed = true;
            break;
        }
    }
    if (!failed && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        Report(error, "SQL error: %s", Failure(db).c_str());
        failed = true;
    }
    // The rows of a failed time are undone; the connection stays usable for the next time.
    if (failed && !sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    if (failed) return 1;
    // A database built beside its target replaces it with its first output time.
    if (!database->Building.empty() && !PlaceBuilt(*database, error)) return 1;
    return 0;
}

void CloseResultsDatabase(ResultsDatabase* database)
{
    if (!database) return;
    if (!database->Building.empty()) {
        // Never put in place: the old file stays.
        Disconnect(*database);
        RemoveTemporary(database->Building);
        delete database;
        return;
    }
    sqlite3_finalize(database->Block);
    sqlite3_finalize(database->Single);
    // Back to a single plain file that any SQLite reader opens, also from read-only media. When
    // another connection holds the database this fails and the log stays, which is as sound.
    sqlite3_exec(database->Connection, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    sqlite3_close(database->Connection);
    delete database;
}
