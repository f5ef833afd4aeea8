// Results database: the SQLite table time_series with one row per node and output time.
#pragma once

// Deletes the file when it exists and creates it afresh with an empty table time_series (with
// the thermal-ice columns when ThermalIceOn is set). The path is UTF-8; an empty path makes a
// private temporary database that leaves nothing on disk. Returns 0, or 1 after reporting the
// failure on standard error.
int CreateResultsDatabase(const char* path);

// Appends one row per node (g_NodeIndex order) at the present ModelTime and CurrentDate, all in
// one transaction. Returns 0 when every row was committed, or 1 after reporting the failure on
// standard error; a failed call leaves no row behind.
int WriteTimeSeriesToDatabase(const char* path);
