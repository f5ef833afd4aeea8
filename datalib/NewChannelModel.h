// New models: the header every new model file starts with, and the model file of a new
// trapezoidal channel (the New command's): a straight metric reach with a constant bed slope, a
// discharge hydrograph at the inflow and a stage hydrograph at the outflow, both constant, and
// the water surface at a uniform depth above the bed.
//
// Every real number of the file is written with exactly three decimals, every integer plainly,
// independently of the process locale.
#pragma once

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

// What the New command asks for, in metres, kilometres and cubic metres per second.
struct NewChannelShape {
    double BottomWidth = 100.0;    // B, m
    double BankHeight = 20.0;      // H, m above the channel bottom
    double SideSlope = 1.0;        // s, horizontal over vertical
    double InflowInvert = 5.0;     // Zi, bed elevation at the first node, m
    double OutflowInvert = 0.0;    // Zo, bed elevation at the last node, m
    double Roughness = 0.025;      // Manning's n of the channel and both overbanks
    double Spacing = 0.1;          // dx, distance between nodes, km
    int NodeCount = 101;           // N
    double InflowDischarge = 300.0;  // Q, m3/s
    double OutflowStage = 2.0;     // Wo, water-surface elevation at the outflow, m
};

// Year, month, day, hour, minute and second.
using CalendarDate = std::array<int, 6>;

// The computer's present local date and time.
CalendarDate LocalDateNow();

// Appends the header of a new model to text, as the New command and the conversion of a
// geometry file write it: open water (File Type 0), time steps of an hour from model time 0 at
// `date`, the given numbers of nodes, elements and boundary elements, no junction, the system of
// units (1 metric, 0 imperial), the hydrodynamic settings of a new model and a water
// temperature of 4 degC, up to the title of the node table. The heading of the node table and
// the rows of the nodes, elements and boundary elements follow it.
void AppendNewModelHeader(std::string& text, int unitSystem, int nodes, int elements, int boundaryElements,
                          const CalendarDate& date);

// Results of the checks and writers below.
enum NewChannelResult {
    NewChannelOk = 0,
    NewChannelTooFewNodes = 1,       // fewer than two nodes: no element, no bed slope
    NewChannelSpacingNotPositive = 2,  // the distance between nodes is not above 0
    NewChannelNotFinite = 3,         // a value of the file would not be a finite number
    NewChannelCannotWrite = 4,       // the file could not be created, written or put in place
};

// NewChannelOk, or why no model can be made of the shape (too few nodes, spacing not above 0).
int CheckNewChannelShape(const NewChannelShape& shape);

// Writes the model file of shape, with date as the simulation start, to the stream (which
// stays open). Returns NewChannelOk, the result of CheckNewChannelShape or NewChannelNotFinite
// (nothing written then), or NewChannelCannotWrite when the stream fails.
int WriteNewChannelModel(std::FILE* stream, const NewChannelShape& shape, const CalendarDate& date);

// Saves the model file of shape at path as a save does: a temporary file beside it is written
// and renamed over the target, so a failure leaves whatever stood there as it was; only a
// regular file (or nothing) at path is replaced. Returns a result of WriteNewChannelModel, with
// reason set (naming the file) for NewChannelCannotWrite.
int SaveNewChannelModel(const std::filesystem::path& path, const NewChannelShape& shape, const CalendarDate& date,
                        std::string* reason);
