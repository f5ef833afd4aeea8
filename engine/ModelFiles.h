// Model files (.vqx): the reader and the writer.
//
// The reader pulls numbers one after another and interprets them by position: a token starts
// at a digit or one of "+ - ." and runs over digits and ". e E + -"; every other character is
// skipped, so labels carry no meaning. Numbers are converted without regard to the process
// locale. Progress, notes and errors go to standard output, one line per refusal.
//
// Every refusal prints one line (ModelReaderRefusal keeps it) and leaves the engine empty: no
// nodes, elements, boundary elements, junctions, zones or bridging events, defaults in the
// control block. The lines name the place being read: "header", "node row 3" (then "row of node
// 12" once its number is read), "cross section of node 12", "element row 3", "boundary element
// row 2", "series of boundary element 2", "junction row 1", "atmospheric zone 1", "bridging
// event row 1", "ice jam stability table".
//
// The writers return the codes of engine/FileText.h (FileWriteCode); WriteIncomplete when data
// the file needs are missing (a cross section, the rows of a series or of an atmospheric zone).
// Nothing is written to the stream when the result is WriteNotFinite or WriteIncomplete.
#pragma once

#include <cstdio>
#include <filesystem>

#include "engine/FileText.h"

struct NodeRecord;
struct BoundaryElementRecord;

// Results of ReadModelFile, LoadModelFile and the section readers.
enum ModelReaderCode {
    ReadOk = 0,
    ReadNoStream = -1,         // the file cannot be opened (errno tells why)
    ReadBadNodeCount = 4,      // fewer than two nodes, or no memory for them
    ReadBadElementCount = 5,   // no element, or no memory for them
    ReadBadBoundaryCount = 6,  // no boundary element, or no memory for them
    // The file ends before a required number (a model with junctions needs the jam table's count).
    ReadFileEndsEarly = ScanFileEndsEarly,
    ReadNumberTooLong = ScanNumberTooLong,          // a number longer than TokenLength characters
    ReadNumberOutOfRange = ScanNumberOutOfRange,    // a number too large for a double
    ReadIntegerOutOfRange = ScanIntegerOutOfRange,  // an integer field outside the range of an int
    ReadBadFileType = 11,                           // File Type outside 0-3
    ReadBadStartDate = 12,          // start date outside month 1-12, day 1-31, hour 0-23, minute and second 0-59
    ReadBadJunctionCount = 13,      // a negative number of junctions
    ReadBadZoneCount = 14,          // atmospheric zones outside 0-MaxAtmosphericZones
    ReadBadBridgingCount = 15,      // bridging events outside 0-MaxBridgingEvents
    ReadBadIceRoughnessMode = 16,   // ice-roughness mode outside 0-3
    ReadTooFewLevels = 17,          // section code 1 or -1
    ReadTooManyLevels = 18,         // a section code beyond MaxSectionLevels levels
    ReadTooManyPoints = 19,         // more section points than a cross section holds
    ReadTooFewPoints = 20,          // fewer than two section points
    ReadTooManyRoughnessRows = 21,  // more roughness rows than a cross section holds
    ReadNoRoughnessRow = 22,
    ReadTooManySinuosityRows = 23,  // more sinuosity rows than a cross section holds
    ReadNoSinuosityRow = 24,
    ReadBankMatchesNoPoint = 25,       // a bank station that matches no point
    ReadMissingNode = 26,              // a node number of an element, boundary element or junction that names no node
    ReadMissingElement = 27,           // a junction's element number that names no element
    ReadCoincidentJunctionNodes = 28,  // a junction branch length to compute between two nodes at one place
    ReadTooManySeriesRows = 29,        // more than MaxSeriesEntries rows in a series
    ReadSeriesWithoutRows = 30,        // a series with no rows
    ReadTooManyJamRows = 31,           // more than MaxJamTableRows ice-jam table rows
    ReadOutOfMemory = 32,              // no memory for a record, a cross section or a table
    ReadBadRectWidth = 33,             // a rectangular node whose width is not from 1 mm to 1,000 km
    ReadNotARegularFile = 34,          // a directory, a FIFO, a device or a socket
    ReadBadTimeStep = 35,              // a time step of 0 or less, a maximum time step below MinimumTimeStep
    ReadBadTolerance = 36,             // a Newton tolerance below MinimumTolerance, or of 1 or more
    // A value outside the range of its quantity once converted into engine units (an infinite
    // one included): length and station -1e9 to 1e9 m, area -1e18 to 1e18 m2, discharge -1e9
    // to 1e9 m3/s, velocity -1e3 to 1e3 m/s, time -1e13 to 1e13 s, Manning n or roughness
    // height -100 to 100, temperature -273.15 to 1000 degC, sinuosity 0 to 100, fraction
    // (porosities, albedos, the border-ice and anchor-ice fractions) 0 to 1, frazil and ice
    // concentration -0.001 to 1.001 (the round-off of a run's state), the ice areas of a node 0
    // to 1e18 m2, solar radiation 0 to 1e4 W/m2, the coefficients of a thermal
    // node -1e9 to 1e9.
    ReadValueOutOfRange = 37,
    ReadStateOutOfRange = 38,        // a node whose values give a state out of those ranges (or not finite)
    ReadZeroLengthElement = 39,      // an element (no junction branch) whose two nodes have the same chainage
    ReadSectionStationsGoBack = 40,  // a cross-section station smaller than the one before it
    // A boundary or atmospheric-zone series whose times do not increase from row to row, or a
    // rating curve whose discharge decreases from one row to the next.
    ReadSeriesOutOfOrder = 41,
};

// Reads a whole model from an open stream and closes it (standard input is never closed). A
// stream over anything but a regular file (or memory) is refused before it is read.
int ReadModelFile(FILE* stream);
// Opens the file at path and reads it with ReadModelFile; the open does not wait (for the
// writer of a FIFO). Returns -1, with errno telling why, when the file cannot be opened.
int LoadModelFile(const std::filesystem::path& path);
// The reason of the last refusal of ReadModelFile, as its printed line without the leading
// blank and the line end ("File ends early in the header"); empty after a read that succeeded.
const char* ModelReaderRefusal();

// Scans the next number token into buffer (capacity bytes including the terminating zero) and
// returns its length; 0 at the end of the file before a token (the buffer is left as it was);
// -1 when the token does not fit (the buffer then holds its first capacity - 1 characters).
int ReadNumberToken(FILE* stream, char* buffer, int capacity);

// Section readers, called in this order by ReadModelFile; each returns ReadOk or a code above.
int ReadModelHeader(FILE* stream);
// Reads node row `index` into g_NodeBlock[index] (the block must hold it) with its cross section.
int ReadNodeRow(FILE* stream, int index);
// Reads the cross-section block of node (its SectionCode gives the levels), builds the property
// table and attaches it to the node.
int ReadCrossSection(FILE* stream, NodeRecord* node);
int ReadElementRow(FILE* stream, int index);
int ReadBoundaryElementRow(FILE* stream, int index);
// Reads the series of a boundary element whose codes call for one and attaches it.
int ReadBoundaryHydrograph(FILE* stream, BoundaryElementRecord* element);
int ReadJunctionRow(FILE* stream, int index);
int ReadBridgingEvent(FILE* stream, int index);
int ReadJamTable(FILE* stream);

// Writes the engine data as a model file and closes the stream (standard streams are flushed,
// never closed).
int WriteModelFile(FILE* stream);
// Saves the model at path: writes a temporary file beside it and renames it over the target,
// so a failed save leaves the previous file as it was and no temporary file behind. Only a
// regular file (or nothing) at path is replaced.
int SaveModelFile(const std::filesystem::path& path);

// Section writers: each writes its part to the stream without closing it.
int WriteModelHeader(FILE* stream);
int WriteNodeRow(FILE* stream, const NodeRecord* node);
int WriteCrossSection(FILE* stream, const NodeRecord* node);
int WriteBoundaryHydrograph(FILE* stream, const BoundaryElementRecord* element);
