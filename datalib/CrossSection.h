// The surveyed cross section of one node on the display side, with its hydraulic property
// table by water level.
//
// Lengths and elevations are in the model's length unit; stations are distances across the
// river. The engine keeps its own table per node and computes it by the same segment rules.
#pragma once

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

namespace VQXGeometryDataLib {

struct VQXSectionPoint {
    double Station = 0.0;
    double Elevation = 0.0;
};

struct VQXRoughnessRow {
    double Elevation = 0.0;
    double ChannelN = 0.0;
    double LeftN = 0.0;
    double RightN = 0.0;
};

struct VQXSinuosityRow {
    double Elevation = 0.0;
    double Sinuosity = 0.0;
};

// Columns of a property row.
enum VQXPropertyColumn {
    PropertyLevel = 0,
    PropertyLeftArea = 1,
    PropertyChannelArea = 2,
    PropertyRightArea = 3,
    PropertySpareArea = 4,  // always 0
    PropertyTotalArea = 5,
    PropertyLeftPerimeter = 6,
    PropertyChannelPerimeter = 7,
    PropertyRightPerimeter = 8,
    PropertyTotalPerimeter = 9,
    PropertyLeftWidth = 10,
    PropertyChannelWidth = 11,
    PropertyRightWidth = 12,
    PropertySpareWidth = 13,  // always 0
    PropertyTotalWidth = 14,
    PropertyChannelN = 15,
    PropertyLeftN = 16,
    PropertyRightN = 17,
    PropertySinuosity = 18,
    PropertyColumnCount = 19
};

using VQXPropertyRow = std::array<double, PropertyColumnCount>;

// Capacities of a section, the same as the engine's.
inline constexpr int SectionMaxPoints = 1000;
inline constexpr int SectionMaxRoughnessRows = 10;
inline constexpr int SectionMaxSinuosityRows = 10;
inline constexpr int SectionMinLevels = 2;
inline constexpr int SectionMaxLevels = 300;

// A point counts as under water only when the level lies more than this above it.
inline constexpr double SectionWetTolerance = 1e-6;

// Outcome of a section check or build: Code 0 is success.
enum VQXSectionErrorCode {
    SectionValid = 0,
    SectionStationsNotIncreasing,
    SectionLeftBankUnmatched,
    SectionRightBankUnmatched,
    SectionTooFewPoints,
    SectionTooManyPoints,
    SectionNoRoughnessRow,
    SectionTooManyRoughnessRows,
    SectionNoSinuosityRow,
    SectionTooManySinuosityRows,
    SectionLevelCountOutOfRange,
    SectionThalwegOutOfRange
};

struct VQXSectionError {
    int Code = SectionValid;
    int FirstEntry = 0;   // for stations not in increasing order: the two 1-based entries
    int SecondEntry = 0;
    std::string Message;  // the text an editor shows; empty on success

    bool Ok() const { return Code == SectionValid; }
};

class VQXCrossSection {
public:
    double ThalwegElevation = 0.0;
    double LeftBankStation = 0.0;
    double RightBankStation = 0.0;
    // The points standing at the bank stations, as positions in Points; -1 until
    // FindBankPoints finds one.
    int LeftBankPoint = -1;
    int RightBankPoint = -1;
    int LeftBankIndex = 0;
    int RightBankIndex = 0;
    int ThalwegIndex = 0;
    std::vector<VQXSectionPoint> Points;          // increasing station
    std::vector<VQXPropertyRow> PropertyRows;     // lowest level first
    std::vector<VQXRoughnessRow> RoughnessRows;
    std::vector<VQXSinuosityRow> SinuosityRows;

    void AddPoint(double station, double elevation);
    void AddRoughnessRow(double elevation, double channelN, double leftN, double rightN);
    VQXRoughnessRow* GetRoughnessRow(int i);
    const VQXRoughnessRow* GetRoughnessRow(int i) const;

    // The bank point, or null when none stands at its bank station.
    const VQXSectionPoint* LeftBankPointRef() const;
    const VQXSectionPoint* RightBankPointRef() const;

    // Empties the section; the three indices keep their values.
    void Clear();

    // The section given to a rectangular node that receives a section code.
    void SetDefaultShape(double invert, double width);

    // Finds the highest point standing exactly at each bank station (the first of equal ones).
    void FindBankPoints();

    // Finds the lowest point between the bank points (inclusive) and returns its elevation.
    // The search starts from the left bank point, so ThalwegIndex is always the position of
    // the point whose elevation is ThalwegElevation. A missing bank point widens the search
    // to that end of the section.
    double FindThalweg();

    // The highest elevation of all points; 0 without points.
    double TopElevation(int thalwegIndex) const;

    // Rebuilds PropertyRows with levelCount rows. Refused, with the table unchanged, when the
    // level count is outside 2..300, ThalwegIndex is not a position in Points, or the section
    // has no roughness or no sinuosity row.
    VQXSectionError BuildPropertyTable(int levelCount);

    // Fills columns 0 to 14 of one row for one water level.
    void ComputeProperties(double level, VQXPropertyRow& row) const;

    // The three n values and the sinuosity that a table row at this level takes: those of
    // the last listed row whose elevation lies strictly below the level, else of row 0.
    // Returns false when the section has no roughness or no sinuosity row.
    bool ZoneValuesAt(double level, double& channelN, double& leftN, double& rightN, double& sinuosity) const;

    // Writes the section in the model file's cross-section layout with the stream's number
    // formatting (always in the C locale). Returns a failed check when a bank point is missing;
    // the bank station itself is then written in its place, so the file layout stays whole.
    VQXSectionError WriteAsModelText(std::ostream& stream) const;
};

// Checks a section against the invariants every producer keeps: stations increasing, each
// bank station the station of some point, 2 to 1000 points, 1 to 10 roughness rows and 1 to
// 10 sinuosity rows. Returns the first failure with the text an editor shows.
VQXSectionError ValidateCrossSection(const VQXCrossSection& section);

// Checks the level count of a property table (2 to 300).
VQXSectionError ValidateLevelCount(int levelCount);

}  // namespace VQXGeometryDataLib
