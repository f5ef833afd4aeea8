// Water-quality files (.nu nutrients, .hm heavy metals, .xe xenobiotics): the reader and the
// writer. A water-quality file belongs to the loaded model: it holds the water-quality settings
// and coefficients of its type, the six initial values of every node and the concentration
// series of the boundary elements, each row repeating the model's numbers and codes.
//
// The file is read by position like the model file (engine/FileText.h): labels carry no
// meaning, numbers are converted without regard to the locale, and values are read unchanged
// (no unit conversion). Progress, notes and refusals go to standard output, one line per
// refusal; WQReaderRefusal gives the refusal's line.
//
// A load that fails prints one line (WQReaderRefusal keeps it) and leaves no water-quality
// state (ReleaseWaterQuality): WaterQualityOn 0, no water-quality series, node values 0,
// defaults in the water-quality settings; the model itself is untouched. The lines name the
// place being read: "WQ header", "WQ node row 12", "WQ boundary row 2", "WQ series of boundary
// element 2".
//
// The writers return the codes of engine/FileText.h (FileWriteCode), as the model writer does;
// nothing is written to the stream when the result is WriteNotFinite or WriteIncomplete.
#pragma once

#include <cstdio>
#include <filesystem>

#include "engine/FileText.h"

struct BoundaryElementRecord;

// Results of LoadWQFile, ReadWQFile and the section readers.
enum WQReaderCode {
    WQReadOk = 0,
    WQReadNoStream = -1,                          // the file cannot be opened (errno tells why)
    WQBoundaryNumberDiffers = 1,                  // a boundary row's element number differs from the model's
    WQBoundaryNodeDiffers = 2,                    // a boundary row's node number differs
    WQPositionDiffers = 3,                        // a boundary row's position differs (as whole numbers)
    WQStageCodeDiffers = 4,                       // a boundary row's stage code differs
    WQDischargeCodeDiffers = 5,                   // a boundary row's discharge code differs
    WQNodeNumberDiffers = 6,                      // a node row's number differs from the model's node at its place
    WQFileEndsEarly = ScanFileEndsEarly,          // the file ends before a required number
    WQNumberTooLong = ScanNumberTooLong,          // a number longer than TokenLength characters
    WQNumberOutOfRange = ScanNumberOutOfRange,    // a number too large for a double
    WQIntegerOutOfRange = ScanIntegerOutOfRange,  // an integer field outside the range of an int
    WQBadFileType = 11,                           // WQ File Type outside 0-2
    WQBadFlag = 12,                               // an acid or base flag other than 0 or 1
    WQBadTolerance = 13,                          // a WQ tolerance that is not above 0
    WQNodeCountDiffers = 14,                      // the file has fewer node rows than the model has nodes
    WQBadRowCount = 29,                           // a series row count outside 0-MaxSeriesEntries
    WQOutOfMemory = 32,                           // no memory for a series
    WQNoModel = 34,                               // no model is loaded, or it has no such row
    WQNotRegularFile = 35,                        // the path names no regular file
    WQTimeOutOfRange = 37,    // a series time beyond 1e13 s either way (infinite in seconds included)
    WQSeriesOutOfOrder = 41,  // a series whose times do not increase from row to row
};

// Water-quality model types (WQFileType).
enum WQFileTypeCode { WQNutrients = 0, WQHeavyMetals = 1, WQXenobiotics = 2 };

// Loads the water-quality file at path over the loaded model: the header, a node row for
// every node and a boundary row for every boundary element in chain order, then the node index
// is rebuilt and InitialiseWaterQuality runs. Returns WQReadOk or a reader code (WQReadNoStream,
// with errno telling why, when the file cannot be opened); on failure the engine holds no
// water-quality state.
int LoadWQFile(const std::filesystem::path& path);
// The same from an open stream, which it closes (standard input is never closed).
int ReadWQFile(FILE* stream);
// The line of the last refusal of the water-quality reader, without its leading blank and its
// line end; empty when the last load succeeded.
const char* WQReaderRefusal();

// Section readers, called in this order by ReadWQFile; each returns WQReadOk or a code above. A failed
// section may leave its data half read: ReadWQFile then releases the water-quality state.
// The header: type, settings of equation system 3, coefficients of the type; sets
// WaterQualityOn.
int ReadWQHeader(FILE* stream);
// Node row `index`: the number of the node at that position of the node block and its six
// values, stored as the node's values of the type (both levels) and as its unknowns (both
// levels).
int ReadWQNodeRow(FILE* stream, int index);
// Boundary row `index`, checked against the model's boundary element at that position, with
// its series when either of its codes is above 0.
int ReadWQBoundaryRow(FILE* stream, int index);
// The series of a boundary element: the row count and, for an inflow (stage code 0, discharge
// code 1 or 99), the rows of time (h) and the concentrations of the type. The series replaces
// the element's WQHydrograph; other codes keep a series without rows.
int ReadWQBoundaryHydrograph(FILE* stream, BoundaryElementRecord* element);

// Writes the loaded water-quality data as a water-quality file of the engine's WQ File Type
// and closes the stream (standard streams are flushed, never closed).
int WriteWQFile(FILE* stream);
// Saves the water-quality data at path: writes a temporary file beside it and renames it over
// the target, so a failed save leaves the previous file as it was.
int SaveWQFile(const std::filesystem::path& path);
// Section writers: each writes its part to the stream without closing it.
int WriteWQHeader(FILE* stream);
int WriteWQBoundaryRow(FILE* stream, const BoundaryElementRecord* element);
