// Results database: the SQLite table time_series with one row per node and output time.
//
// A run writes through one handle: one connection with write-ahead logging and
// synchronous=NORMAL, and its insert prepared once (as a block of many rows and as a single
// row for the rest). Each output time is one
// transaction, so a run killed at any moment leaves a sound database holding whole output
// times only. Closing the handle folds the log back into the file, which is then a plain
// database again.
//
// Failures are reported as one line, "Can't open database: %s", "SQL error: %s", "Error
// deleting database file: %s" (the reason: why the system refused, or what stands at the path
// when it is no regular file) or "Not a finite number in column %s of node %d at model time %g
// s: no row of this time written": on standard error, or into *error (without the line end and
// with nothing printed) when error is given.
#pragma once

#include <string>
#include <vector>

#include "engine/OutputTargets.h"

// One connection to a results database and its prepared inserts.
struct ResultsDatabase;

// The files a results database at path takes, for the checks of a run's outputs: the database
// and the log files SQLite keeps beside it ("-wal", "-shm", "-journal").
std::vector<OutputTarget> ResultsDatabaseTargets(const std::string& path);

// Replaces the file (and the log files of an earlier run beside it) with a new database with
// an empty table time_series (with the thermal-ice columns when ThermalIceOn is set). The new
// database is built beside the file, as "<path>.tmp<process id>", and renamed over it once
// complete, so a failure leaves the old file as it was. The path is UTF-8; an empty path makes
// a private temporary database that leaves nothing on disk. Only a regular file is replaced:
// anything else at the path (or at its log files' paths) is refused and left as it is.
// Returns 0, or 1 after reporting the failure.
int CreateResultsDatabase(const char* path, std::string* error = nullptr);

// Starts a new database for the writes of a run: built beside path as CreateResultsDatabase
// builds it and opened there, while the file at path and its logs stay as they are. The first
// WriteTimeSeriesToDatabase that commits its rows puts the new database in their place (and
// goes on writing there); closing the handle before that removes the new database and leaves
// the old file byte for byte. Returns 0 with *database set, or 1 after reporting the failure
// with *database null and nothing changed.
int StartResultsDatabase(const char* path, ResultsDatabase** database, std::string* error = nullptr);

// Opens the database file of a run and prepares the insert of the present ThermalIceOn (a table
// without the thermal columns refuses the thermal insert). Returns 0 with *database set, or 1
// after reporting the failure with *database null.
int OpenResultsDatabase(const char* path, ResultsDatabase** database, std::string* error = nullptr);

// Appends one row per node (g_NodeIndex order) at the present ModelTime and CurrentDate, all in
// one transaction. A value that is not a finite number is refused before anything is written.
// Returns 0 when every row was committed, or 1 after reporting the failure; a failed call
// leaves no row of this time behind and the handle usable, but for the first output time of a
// started database that could not be put in place: the handle then writes nothing more and
// the old file is as it was.
int WriteTimeSeriesToDatabase(ResultsDatabase* database, std::string* error = nullptr);

// Finalizes the inserts, folds the write-ahead log into the file and closes the connection.
// A null handle is ignored.
void CloseResultsDatabase(ResultsDatabase* database);
