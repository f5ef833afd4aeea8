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
// Reader codes (LoadWQFile and the section readers). A load that fails leaves no
// water-quality state (ReleaseWaterQuality): WaterQualityOn 0, no water-quality series, node
// values 0, defaults in the water-quality settings; the model itself is untouched.
//   0  loaded
//  -1  the file cannot be opened                        " Unable to open that file"
//   1  a boundary row's element number differs          " WQ boundary row %d gives boundary element %d where the model has %d"
//   2  a boundary row's node number differs             " WQ boundary row %d gives node %d where the model's boundary element %d is at node %d"
//   3  a boundary row's position differs (whole numbers) " WQ boundary row %d gives position %g where the model's boundary element %d has %g"
//   4  a boundary row's stage code differs              " WQ boundary row %d gives stage code %d where the model's boundary element %d has %d"
//   5  a boundary row's discharge code differs          " WQ boundary row %d gives discharge code %d where the model's boundary element %d has %d"
//   6  a node row's number differs                      " WQ node row %d gives node %d where the model has node %d"
//   7  the file ends before a required number           " File ends early in the <where>"
//   8  a number longer than 400 characters              " A number in the <where> is longer than 400 characters"
//   9  a number too large for a double                  " Number <token> out of range in the <where>"
//  10  an integer field outside the range of an int     " Integer <token> out of range in the <where>"
//  11  WQ File Type outside 0-2                         " WQ File Type %d is not 0, 1 or 2"
//  12  an acid or base flag other than 0 or 1           " The %s flag %d is not 0 or 1"
//  13  a WQ tolerance that is not above 0               " WQ Tolerance %g is not above 0"
//  29  a series row count outside 0-100,000             " The WQ series of boundary element %d has %d rows: not between 0 and 100000"
//  32  no memory for a series                           " Not enough memory for the <where>"
//  34  no model is loaded, or it has no such row        " No model node or boundary element for the <where>"
//  35  the path names no regular file                   " %s is not a regular file"
// <where> names the place: "WQ header", "WQ node row 12", "WQ boundary row 2",
// "WQ series of boundary element 2".
//
// Writer codes (WriteWQFile, SaveWQFile and the section writers), as the model writer's:
//   0  written
//  -1  no stream, or the file cannot be created         " Unable to open that file"
//   1  a value that is not a finite number              " Not a finite number in the <where>: water-quality file not written"
//   3  a write error                                    " Error writing the water-quality file"
//   4  the stream could not be closed                   " Error closing the water-quality file"
//   5  the saved file could not replace the target      " Unable to replace <path> with the saved water-quality data"
// Nothing is written to the stream when the result is 1.
#pragma once

#include <cstdio>
#include <filesystem>

struct BoundaryElementRecord;

// Water-quality model types (WQFileType).
enum WQFileTypeCode { WQNutrients = 0, WQHeavyMetals = 1, WQXenobiotics = 2 };

// Loads the water-quality file at path over the loaded model: the header, a node row for
// every node and a boundary row for every boundary element in chain order, then the node index
// is rebuilt and InitialiseWaterQuality runs. Returns 0 or a reader code; on failure the engine
// holds no water-quality state.
int LoadWQFile(const std::filesystem::path& path);
// The same from an open stream, which it closes (standard input is never closed).
int ReadWQFile(FILE* stream);
// The line of the last refusal of the water-quality reader, without its leading blank and its
// line end; empty when the last load succeeded.
const char* WQReaderRefusal();

// Section readers, called in this order by ReadWQFile; each returns 0 or a code above. A failed
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
