// Nodes and data set of a HEC-RAS geometry conversion, and the converter that reads a geometry
// file into the data set and writes the data set as a model file.
//
// A conversion makes one open-water model of one reach: a node per cross section in file order
// (upstream first), an element between each pair of consecutive nodes, a discharge boundary at
// the first node and a stage boundary at the last. Lengths are taken in the file's own unit and
// written unchanged; the unit system selects the column titles and the station divisor only.
//
// Every step returns a VQXConversionResult: success, or a failure whose reason names what was
// refused (for a fault of the file: the river station and the line). A failed step leaves no
// file written; the data set is then only fit to be destroyed.
#pragma once

#include <array>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "datalib/GeometryData.h"

namespace VQXHECRASDataLib {

struct VQXPlanPoint {
    double X = 0.0;
    double Y = 0.0;
};

// Year, month, day, hour, minute and second.
using VQXStartDate = std::array<int, 6>;

// Outcome codes of the conversion's steps; the texts are in HECRASMessages.cpp.
enum VQXConversionCode {
    ConversionOk = 0,
    // The geometry file.
    ConversionCannotOpen,          // the file cannot be opened (or is no regular file)
    ConversionReadFailed,          // reading stopped before the end of the file
    ConversionBadCount,            // a point or value count below 0
    ConversionTooManyPoints,       // more points than a model's cross section holds
    ConversionCountNotHeld,        // fewer values than the count announces
    ConversionTooManyValues,       // more values than the count announces
    ConversionNotANumber,          // a fixed-width field holds text
    ConversionNotFinite,           // a number beyond the range of doubles
    ConversionStationsGoBack,      // a station lies left of the one before it
    ConversionNoPoints,            // a cross section without station/elevation points
    ConversionTooFewPoints,        // a cross section of one point
    ConversionNoRoughness,         // a cross section without Manning's n values
    ConversionRoughnessNotPositive,  // a Manning's n not above 0
    ConversionNoBanks,             // neither bank stations nor the three-value n table
    ConversionBankOutside,         // a bank station beyond the section's points
    ConversionBanksReversed,       // the left bank not left of the right bank
    ConversionNoSections,          // the file holds no cross section
    ConversionNoSuchReach,         // the reach asked for is not in the file
    ConversionTooFewSections,      // the reach holds fewer than two cross sections
    ConversionReachLengthNotPositive,  // two consecutive nodes at the same station
    // The settings.
    ConversionDepthNotPositive,    // the initial depth is not above 0
    ConversionDischargeNotFinite,  // the initial discharge is no finite number
    ConversionBadLevels,           // the property-table level count is outside 2..300
    ConversionBadDistanceFactor,   // length units per station unit not above 0
    ConversionValueNotFinite,      // a value of the model file would not be finite
    ConversionSectionRefused,      // a node's section gives no property table
    // The model file.
    ConversionTargetRefused,       // the model cannot replace what stands at its path
    ConversionCannotWrite,         // the model file could not be created, written or put in place
    ConversionNotPrepared,         // writing asked before the nodes were prepared
    // The user.
    ConversionCancelled,           // the user chose not to go on
};

struct VQXConversionResult {
    int Code = ConversionOk;
    std::string Reason;              // a failure's text, without a final point; empty on success
    std::vector<std::string> Notes;  // what a success converted and left out, one sentence each

    bool Ok() const { return Code == ConversionOk; }
};

// A node read from a HEC-RAS geometry file.
class VQXHECRASNode : public VQXGeometryDataLib::VQXNode {
public:
    double RiverStation = 0.0;
    double LeftReachLength = 0.0;     // downstream reach lengths of the left overbank,
    double ChannelReachLength = 0.0;  // the channel
    double RightReachLength = 0.0;    // and the right overbank
    double LeftN = 0.0;
    double ChannelN = 0.0;
    double RightN = 0.0;
    int HydroCode = 1;
    double InitialStage = 0.0;
    double InitialDischarge = 0.0;
    std::vector<VQXPlanPoint> CutLine;  // the cross-section cut line in plan
    // Where the node came from, for messages: the river station as the file spells it and the
    // line of its cross-section record.
    std::string RiverStationText;
    int SourceLine = 0;
};

// A reach of the geometry file, in file order. Cross sections before the first "River Reach="
// line form a reach without names.
struct VQXHECRASReach {
    std::string River;  // names without their padding
    std::string Reach;
    int Line = 0;       // of its "River Reach=" line; 0 for the reach without names
    int SectionCount = 0;

    // "RIVER,REACH", as the reach is chosen by name.
    std::string Name() const;
    // How messages name it: the name in double quotes, or "(unnamed)".
    std::string Label() const;
};

// A structure record (a bridge, culvert, weir ...), which the conversion leaves out.
struct VQXHECRASStructure {
    int Type = 0;
    std::string RiverStation;
    int Line = 0;
    int Reach = 0;  // position in the data set's Reaches
};

struct VQXHECRASJunction {
    std::string Name;
    int Line = 0;
};

// The conversion's data set; its nodes live in NodeVector (VQXHECRASNode objects).
class VQXHECRASDataSet : public VQXGeometryDataLib::VQXGeometryDataSet {
public:
    double DistanceFactor = 1000.0;  // length units per station unit: 1000 metric, 5280 imperial
    double InitialDepth = 0.0;
    double InitialDischarge = 0.0;
    int PropertyLevels = 100;        // levels of each property table
    // The reach to convert as "RIVER,REACH" (names without their padding, compared exactly);
    // empty for the first reach of the file.
    std::string ReachChoice;

    // What the geometry file holds, filled by the parse.
    std::vector<VQXHECRASReach> Reaches;
    int ConvertedReach = -1;  // position in Reaches of the reach whose nodes NodeVector holds
    std::vector<VQXHECRASStructure> Structures;
    std::vector<VQXHECRASJunction> Junctions;
    // Set by PrepareNodes: true when some cross section had no cut line, so every node was put
    // on a straight line.
    bool StraightLine = false;

    // The node at position i of NodeVector.
    VQXHECRASNode& Node(std::size_t i) const;

    // Checks the depth, the discharge, the level count and the distance factor.
    VQXConversionResult CheckSettings() const;

    // Readies the parsed nodes for writing, in order: every cross section gets its bank points,
    // one roughness row (the node's n values) and one sinuosity row (1) at its thalweg, and a
    // property table of PropertyLevels levels (section code -PropertyLevels); stations run from
    // 0 at the first node by the channel reach lengths over DistanceFactor; positions come from
    // the first cut-line point of each node, or, when a cross section has no cut line, lie on a
    // straight line (easting = station x DistanceFactor, northing 0); the invert is the thalweg,
    // the initial stage InitialDepth above it, the discharge InitialDischarge; only node 1 is
    // an output node (hydro code 0). Refuses bad settings, fewer than two nodes, and a channel
    // reach length that gives two nodes one station.
    VQXConversionResult PrepareNodes();

    // Writes the prepared nodes as a model file at path, start as the simulation start: a
    // temporary file beside it, renamed over it once complete, so a failure leaves whatever
    // stood there as it was. Only a regular file (or nothing) at path is replaced.
    VQXConversionResult WriteConvertedModel(const std::filesystem::path& path, const VQXStartDate& start);

    // What a successful conversion converted and left out: the reach and its nodes, each other
    // reach and each junction, each structure of the reach, and where the positions came from.
    std::vector<std::string> ConversionNotes() const;
};

// Reads a geometry file into a data set, and writes a prepared data set's rows.
class VQXHECRASConverter {
public:
    explicit VQXHECRASConverter(VQXHECRASDataSet& data) : Data(data) {}

    // Reads the geometry text: the reaches, junctions and structures into the data set's lists,
    // and one VQXHECRASNode per cross section of the chosen reach into NodeVector, numbered 1,
    // 2, 3 ... in file order. Lines end in LF or CR LF. Every cross section of the file is read
    // and checked. Refused: a count of points or values the lines do not hold, more than 1000
    // points, stations going back, a number that is not finite, a cross section without points,
    // Manning's n or banks, a reach that is not in the file, and a reach of fewer than two cross
    // sections.
    VQXConversionResult ParseGeometry(std::istream& input);
    // The same over the file at path, which must be a regular file.
    VQXConversionResult ParseGeometry(const std::filesystem::path& path);

    // The model file's header, node rows, and element and boundary-element sections, written to
    // the stream in the C locale with the stream's own state left as it was.
    void WriteHeader(std::ostream& out, const VQXStartDate& start) const;
    void WriteNode(std::ostream& out, const VQXHECRASNode& node) const;
    void WriteElements(std::ostream& out) const;

private:
    VQXHECRASDataSet& Data;
};

}  // namespace VQXHECRASDataLib
