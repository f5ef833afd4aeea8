// Model files (.vqx): the reader and the writer.
//
// The reader pulls numbers one after another and interprets them by position: a token starts
// at a digit or one of "+ - ." and runs over digits and ". e E + -"; every other character is
// skipped, so labels carry no meaning. Numbers are converted without regard to the process
// locale. Progress, notes and errors go to standard output, one line per refusal.
//
// ReadModelFile return codes (every refusal leaves the engine empty: no nodes, elements,
// boundary elements, junctions, zones or bridging events, defaults in the control block):
//   0  the model was read
//  -1  no stream                                       " Unable to open that file"
//   4  fewer than two nodes, or no memory for them      " Control Variable Error 4"
//   5  no element, or no memory for them                " Control Variable Error 5"
//   6  no boundary element, or no memory for them       " Control Variable Error 6"
//   7  the file ends before a required number (a model
//      with junctions needs the jam table's count)        " File ends early in the <where>"
//   8  a number longer than 400 characters              " A number in the <where> is longer than 400 characters"
//   9  a number too large for a double                  " Number <token> out of range in the <where>"
//  10  an integer field outside the range of an int     " Integer <token> out of range in the <where>"
//  11  File Type outside 0-3                            " File Type %d is not 0, 1, 2 or 3"
//  12  start date outside month 1-12, day 1-31,
//      hour 0-23, minute and second 0-59               " Simulation start date %d %d %d %d %d %d is out of range"
//  13  negative number of junctions                     " Number of Junctions %d is negative"
//  14  atmospheric zones outside 0-20                   " Number of Atmospheric Zones %d is not between 0 and 20"
//  15  bridging events outside 0-100                    " Number of User Defined Bridging Events %d is not between 0 and 100"
//  16  ice-roughness mode outside 0-3                   " Ice roughness mode %d of node %d is not 0, 1, 2 or 3"
//  17  section code 1 or -1                             " Section code %d of node %d gives fewer than two levels"
//  18  section code beyond 300 levels                   " Section code %d of node %d gives more than 300 levels"
//  19  more than 1000 section points                    " Too many points in the cross section of node %d"
//  20  fewer than two section points                    " Fewer than two points in the cross section of node %d"
//  21  more than 10 roughness rows                      " Too many roughness rows in the cross section of node %d"
//  22  no roughness row                                 " No roughness row in the cross section of node %d"
//  23  more than 10 sinuosity rows                      " Too many sinuosity rows in the cross section of node %d"
//  24  no sinuosity row                                 " No sinuosity row in the cross section of node %d"
//  25  a bank station that matches no point             " Left (Right) bank station of node %d matches no point of its cross section"
//  26  a node number that names no node (elements,
//      boundary elements, junctions; negative too)      " Non-existent node %d referred to in element %d"
//                                                       " Non-existent node %d referred to in junction %d"
//  27  a junction element number that names no element  " Non-existent element %d referred to in junction %d"
//  28  a junction branch length to compute between
//      two nodes at the same easting and northing       " Junction %d needs the length of branch %s: nodes %d and %d coincide"
//  29  more than 100,000 rows in a series               " Too many rows in the series of boundary element %d"
//                                                       " Too many rows in the series of atmospheric zone %d"
//  30  a series with no rows                            " Boundary element %d has a series with no rows"
//                                                       " Atmospheric zone %d has a series with no rows"
//  31  more than 1000 ice-jam table rows                " Too many rows in the ice jam stability table"
//  32  no memory for a cross section or a table         " Not enough memory for the <where>"
//  33  a rectangular node whose width is not above 0    " Rectangular node %d has no width above 0"
//  34  not a regular file (a directory, a FIFO, a
//      character or block device, a socket)             " That file is a <kind>, not a model file"
//  35  a time step of 0 or less, a maximum time step
//      below MinimumTimeStep                            " Delta t (s) <token> is not above 0"
//                                                       " Max Delta t (s) <token> is below the smallest time step of 0.001 s"
//  36  a Newton tolerance below 1e-14, or of 1 or more  " Hydrodynamics Tolerance <token> is not at least 1e-14 and below 1"
//                                                       " Thermal Ice Tolerance <token> is not at least 1e-14 and below 1"
//  37  a value outside the range of its quantity once
//      converted (an infinite one included)             " Number <token> in the <where> is out of range (<quantity> from <low> to <high> <unit>)"
//      quantities, in engine units: length and station -1e9 to 1e9 m, area -1e18 to 1e18 m2,
//      discharge -1e9 to 1e9 m3/s, velocity -1e3 to 1e3 m/s, time -1e13 to 1e13 s, Manning n
//      or roughness height -100 to 100, temperature -273.15 to 1000 degC, sinuosity 0 to 100,
//      fraction (porosities, albedos, the border-ice and anchor-ice fractions) 0 to 1
//  38  a node whose values give a state out of range
//      (not finite, or a length, area or width beyond
//      the ranges of code 37)                           " The initial <value> of node %d, <number>, is out of range (<quantity> from <low> to <high> <unit>)"
//  39  an element (not a junction branch) whose two
//      nodes have the same chainage                     " Element %d joins nodes %d and %d at the same chainage"
//  40  a cross-section station smaller than the one
//      before it                                        " Station <station> of point %d of the cross section of node %d lies left of the point before it"
// <where> names the place: "header", "row of node 12", "cross section of node 12",
// "element row 3", "boundary element row 2", "series of boundary element 2", "junction row 1",
// "atmospheric zone 1", "bridging event row 1", "ice jam stability table".
//
// WriteModelFile and the section writers return:
//   0  written
//  -1  no stream, or the file cannot be created         " Unable to open that file"
//   1  a value that is not a finite number              " Not a finite number in the <where>: model file not written"
//   2  data the file needs are missing                  " The cross section of node %d is missing: model file not written"
//                                                       " The series of boundary element %d has no rows: model file not written"
//                                                       " Atmospheric zone %d has no rows: model file not written"
//   3  a write error                                    " Error writing the model file"
//   4  the stream could not be closed                   " Error closing the model file"
//   5  the saved file could not replace the target      " Unable to replace <path> with the saved model: <reason>"
//      (something other than a regular file stands
//      there, or the rename failed; nothing was changed)
// Nothing is written to the stream when the result is 1 or 2.
#pragma once

#include <cstdio>
#include <filesystem>

struct NodeRecord;
struct BoundaryElementRecord;

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

// Section readers, called in this order by ReadModelFile; each returns 0 or a code above.
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
