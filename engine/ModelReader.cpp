// Model file reader: numbers by position into the engine data, with the initial hydraulic,
// ice and thermal state of every node derived as the records are read.
#include "engine/ModelFiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "engine/EngineData.h"
#include "engine/FileText.h"
#include "engine/FiniteElements.h"
#include "engine/Hydraulics.h"
#include "engine/IceFront.h"
#include "engine/Junctions.h"
#include "engine/ModelHeader.h"
#include "engine/ModelSetup.h"
#include "engine/ThermalIce.h"
#include "engine/TimeStepping.h"
#include "engine/Units.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// The reader's refusals: the code each returns and the line it prints, its arguments as the
// format asks. The scanner prints the lines of codes 7-10 itself (engine/FileText.h).
enum ReaderMessageId {
    NoStreamMessage,
    NotRegularFileMessage,
    NodeCountMessage,
    ElementCountMessage,
    BoundaryCountMessage,
    OutOfMemoryMessage,
    FileTypeMessage,
    TimeStepMessage,
    MaxTimeStepMessage,
    StartDateMessage,
    JunctionCountMessage,
    ToleranceMessage,
    ZoneCountMessage,
    BridgingCountMessage,
    IceRoughnessModeMessage,
    TooManyLevelsMessage,
    TooFewLevelsMessage,
    RectWidthMessage,
    ValueOutOfRangeMessage,
    StateOutOfRangeMessage,
    TooManyPointsMessage,
    TooFewPointsMessage,
    TooManyRoughnessRowsMessage,
    NoRoughnessRowMessage,
    TooManySinuosityRowsMessage,
    NoSinuosityRowMessage,
    StationsGoBackMessage,
    BankMatchesNoPointMessage,
    MissingNodeMessage,
    MissingElementMessage,
    CoincidentJunctionNodesMessage,
    ZeroLengthElementMessage,
    TooManySeriesRowsMessage,
    SeriesWithoutRowsMessage,
    TooManyJamRowsMessage,
    SeriesTimesMessage,
    RatingDischargesMessage,
    ReaderMessageCount
};

struct ReaderMessage {
    ReaderMessageId id;
    int code;
    const char* format;
};
// In the order of ReaderMessageId.
constexpr ReaderMessage ReaderMessages[] = {
    {NoStreamMessage, ReadNoStream, " Unable to open that file\n"},
    {NotRegularFileMessage, ReadNotARegularFile, " That file is a %s, not a model file\n"},
    // The code, then why the count cannot be read (CountReason).
    {NodeCountMessage, ReadBadNodeCount, " Control Variable Error %d: %s\n"},
    {ElementCountMessage, ReadBadElementCount, " Control Variable Error %d: %s\n"},
    {BoundaryCountMessage, ReadBadBoundaryCount, " Control Variable Error %d: %s\n"},
    // The place: "node row 12", "junctions", "atmospheric zones", ...
    {OutOfMemoryMessage, ReadOutOfMemory, " Not enough memory for the %s\n"},
    {FileTypeMessage, ReadBadFileType, " File Type %d is not 0, 1, 2 or 3\n"},
    {TimeStepMessage, ReadBadTimeStep, " Delta t (s) %s is not above 0\n"},
    {MaxTimeStepMessage, ReadBadTimeStep, " Max Delta t (s) %s is below the smallest time step of %g s\n"},
    {StartDateMessage, ReadBadStartDate, " Simulation start date %d %d %d %d %d %d is out of range\n"},
    {JunctionCountMessage, ReadBadJunctionCount, " Number of Junctions %d is negative\n"},
    // The system: "Hydrodynamics" or "Thermal Ice".
    {ToleranceMessage, ReadBadTolerance, " %s Tolerance %s is not at least %g and below 1\n"},
    {ZoneCountMessage, ReadBadZoneCount, " Number of Atmospheric Zones %d is not between 0 and %d\n"},
    {BridgingCountMessage, ReadBadBridgingCount,
     " Number of User Defined Bridging Events %d is not between 0 and %d\n"},
    {IceRoughnessModeMessage, ReadBadIceRoughnessMode, " Ice roughness mode %d of node %d is not 0, 1, 2 or 3\n"},
    {TooManyLevelsMessage, ReadTooManyLevels, " Section code %d of node %d gives more than %d levels\n"},
    {TooFewLevelsMessage, ReadTooFewLevels, " Section code %d of node %d gives fewer than two levels\n"},
    {RectWidthMessage, ReadBadRectWidth, " Rectangular node %d has a width of %g m, not from %g to %g m\n"},
    {ValueOutOfRangeMessage, ReadValueOutOfRange, " Number %s in the %s is out of range (%s from %g to %g%s)\n"},
    {StateOutOfRangeMessage, ReadStateOutOfRange,
     " The initial %s of node %d, %g, is out of range (%s from %g to %g%s)\n"},
    {TooManyPointsMessage, ReadTooManyPoints, " Too many points in the cross section of node %d\n"},
    {TooFewPointsMessage, ReadTooFewPoints, " Fewer than two points in the cross section of node %d\n"},
    {TooManyRoughnessRowsMessage, ReadTooManyRoughnessRows,
     " Too many roughness rows in the cross section of node %d\n"},
    {NoRoughnessRowMessage, ReadNoRoughnessRow, " No roughness row in the cross section of node %d\n"},
    {TooManySinuosityRowsMessage, ReadTooManySinuosityRows,
     " Too many sinuosity rows in the cross section of node %d\n"},
    {NoSinuosityRowMessage, ReadNoSinuosityRow, " No sinuosity row in the cross section of node %d\n"},
    {StationsGoBackMessage, ReadSectionStationsGoBack,
     " Station %.12g of point %d of the cross section of node %d lies left of the point before it\n"},
    // The bank: "Left" or "Right".
    {BankMatchesNoPointMessage, ReadBankMatchesNoPoint,
     " %s bank station of node %d matches no point of its cross section\n"},
    // The record: "element" or "junction".
    {MissingNodeMessage, ReadMissingNode, " Non-existent node %d referred to in %s %d\n"},
    {MissingElementMessage, ReadMissingElement, " Non-existent element %d referred to in junction %d\n"},
    {CoincidentJunctionNodesMessage, ReadCoincidentJunctionNodes,
     " Junction %d needs the length of branch %s: nodes %d and %d coincide\n"},
    {ZeroLengthElementMessage, ReadZeroLengthElement, " Element %d joins nodes %d and %d at the same chainage\n"},
    // The series' owner: "boundary element" or "atmospheric zone".
    {TooManySeriesRowsMessage, ReadTooManySeriesRows, " Too many rows in the series of %s %d\n"},
    // The series' owner: "Boundary element" or "Atmospheric zone".
    {SeriesWithoutRowsMessage, ReadSeriesWithoutRows, " %s %d has a series with no rows\n"},
    {TooManyJamRowsMessage, ReadTooManyJamRows, " Too many rows in the ice jam stability table\n"},
    // The series' owner as TooManySeriesRowsMessage's; the times in hours.
    {SeriesTimesMessage, ReadSeriesOutOfOrder,
     " The times of the series of %s %d do not increase: row %d is at %.9g h and row %d at %.9g h\n"},
    {RatingDischargesMessage, ReadSeriesOutOfOrder,
     " The discharge of the rating curve of boundary element %d decreases: row %d gives %.9g m3/s and row %d "
     "%.9g m3/s\n"},
};
static_assert(std::size(ReaderMessages) == ReaderMessageCount, "a message for every id");

constexpr bool MessagesInIdOrder()
{
    for (int k = 0; k < ReaderMessageCount; ++k)
        if (ReaderMessages[k].id != k) return false;
    return true;
}
static_assert(MessagesInIdOrder(), "ReaderMessages is in the order of ReaderMessageId");

// Refuses through the scanner with the message's code and line (unless the scanner failed
// before); returns the scanner's code.
int Refuse(FieldScanner& s, ReaderMessageId id, ...)
{
    std::va_list args;
    va_start(args, id);
    s.FailWith(ReaderMessages[id].code, ReaderMessages[id].format, args);
    va_end(args);
    return s.code;
}

// Refuses outside a section (no scanner): prints the message's line and returns its code.
int RefuseRead(ReaderMessageId id, ...)
{
    std::va_list args;
    va_start(args, id);
    RefuseLineWith(ReaderMessages[id].format, args);
    va_end(args);
    return ReaderMessages[id].code;
}

// Why a count of the header was refused, for the line of its Control Variable Error.
char s_CountReason[200] = "";

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void CountReason(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(s_CountReason, sizeof s_CountReason, format, args);
    va_end(args);
}

// The fewest bytes any row takes, a one-character number and a separator: a count of rows
// beyond the file's bytes by this measure cannot be the file's, while a count that a cut file
// falls short of is refused where its rows end, with the row named.
constexpr long long NodeRowBytes = 2;
constexpr long long ElementRowBytes = 2;
constexpr long long BoundaryRowBytes = 2;

// The bytes of the file after the stream's position, or -1 when the stream is no file.
long long BytesLeft(FILE* stream)
{
    struct stat st {
    };
    const int fd = stream ? fileno(stream) : -1;
    const long at = fd >= 0 ? std::ftell(stream) : -1;
    if (fd < 0 || at < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<long long>(st.st_size) - at;
}

// What a number of the file measures: its conversion into engine units and the range of
// the converted value. The ranges lie far beyond any river (the longest is some 7,000 km
// long, the largest carries about 200,000 m3/s, Manning's n stays below 0.2) and keep the
// squares and products of the engine finite; a roughness value below 0 is a roughness
// height (m), above 0 Manning's n.
enum Quantity {
    AsNumber,         // read unchanged, any finite value
    AsLength,         // x L: coordinates, elevations, stages, widths, thicknesses
    AsStation,        // x D x L: stations along the river
    AsArea,           // x L^2
    AsDischarge,      // x L^3
    AsVelocity,       // x L
    AsHours,          // x SecondsPerHour: times of series and events
    AsRoughness,      // unchanged
    AsTemperature,    // unchanged, degrees C
    AsSinuosity,      // unchanged
    AsFraction,       // unchanged: porosities, albedos, fractions of a width
    AsConcentration,  // unchanged: frazil and ice concentrations
    AsIceArea,        // x L^2: the areas of the ice of a node
    AsRadiation,      // unchanged, W/m2: solar radiation
    AsCoefficient,    // unchanged: heat-exchange coefficients and the like
};

struct QuantityRange {
    const char* name;
    double low, high;   // engine units
    const char* unit;
};

constexpr QuantityRange QuantityRanges[] = {
    {"number", -std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), ""},
    {"length", -1e9, 1e9, " m"},
    {"station", -1e9, 1e9, " m"},
    {"area", -1e18, 1e18, " m2"},
    {"discharge", -1e9, 1e9, " m3/s"},
    {"velocity", -1e3, 1e3, " m/s"},
    {"time", -1e13, 1e13, " s"},
    {"Manning n or roughness height", -100, 100, ""},
    {"temperature", -273.15, 1000, " degC"},
    {"sinuosity", 0, 100, ""},
    {"fraction", 0, 1, ""},
    // A fraction of the volume or the surface; a run's own state carries round-off beyond 0
    // and 1, which a saved state must read back with.
    {"concentration", -1e-3, 1 + 1e-3, ""},
    {"ice area", 0, 1e18, " m2"},
    {"solar radiation", 0, 1e4, " W/m2"},
    {"coefficient", -1e9, 1e9, ""},
};
static_assert(std::size(QuantityRanges) == AsCoefficient + 1, "a range for every quantity");

// A rectangular node's width, m: every area, depth and velocity divides by it.
constexpr double NarrowestWidth = 1e-3;
constexpr double WidestWidth = 1e6;

double UnitFactor(Quantity q)
{
    const ModelControl& mc = g_ModelControl;
    const double L = mc.LengthFactor;
    switch (q) {
    case AsLength:
    case AsVelocity: return L;
    case AsStation: return mc.DistanceFactor * L;
    case AsArea:
    case AsIceArea: return L * L;
    case AsDischarge: return L * L * L;
    case AsHours: return SecondsPerHour;
    default: return 1;
    }
}

// Records are allocated in growing chunks as rows arrive, so a count far beyond the data
// ends in "file ends early" instead of a huge allocation.
constexpr size_t FirstChunk = 1024;

inline int NextByte(FILE* stream)
{
#if defined(_WIN32)
    return _getc_nolock(stream);
#else
    return getc_unlocked(stream);
#endif
}

inline bool StartsToken(int c)
{
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

inline bool ContinuesToken(int c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-';
}

// The file's scanner, reading each number as the quantity it measures: converted into engine
// units and refused when the converted value lies outside the quantity's range (an infinite
// one included).
struct ModelScanner : FieldScanner {
    using FieldScanner::FieldScanner;

    // The next number converted into engine units; 0 after a failure.
    double Real(Quantity quantity = AsNumber)
    {
        const double read = FieldScanner::Real();
        if (code != ScanOk || quantity == AsNumber) return read;
        const double v = read * UnitFactor(quantity);
        const QuantityRange& range = QuantityRanges[quantity];
        if (!(v >= range.low && v <= range.high)) {
            Refuse(*this, ValueOutOfRangeMessage, token, where, range.name, range.low, range.high, range.unit);
            return 0;
        }
        return v;
    }

    // Runs `allocate`, which sizes the storage of what is being read: ReadOutOfMemory (reported
    // for that) when the storage cannot be had, otherwise ScanOk.
    template <typename Sizing>
    int Allocate(Sizing allocate)
    {
        try {
            allocate();
        } catch (const std::exception&) {
            return Refuse(*this, OutOfMemoryMessage, where);
        }
        return ScanOk;
    }
};

// The index of the first value of a series that is not above the one before it (strictly, or
// below it otherwise), or 0 when they all are.
int FirstRowOutOfOrder(const double* values, int count, bool strictly)
{
    for (int r = 1; r < count; ++r)
        if (strictly ? !(values[r] > values[r - 1]) : values[r] < values[r - 1]) return r;
    return 0;
}

// Lookup of nodes by number (first in chain order), valid for the node block it was built on.
std::unordered_map<int, NodeRecord*> s_NodesByNumber;
const NodeRecord* s_NodesByNumberBlock = nullptr;
size_t s_NodesByNumberCount = 0;

void BuildNodeLookup()
{
    s_NodesByNumber.clear();
    s_NodesByNumber.reserve(g_NodeBlock.size());
    for (NodeRecord* n = g_Nodes; n; n = n->Next) s_NodesByNumber.emplace(n->Number, n);
    s_NodesByNumberBlock = g_NodeBlock.data();
    s_NodesByNumberCount = g_NodeBlock.size();
}

void DropNodeLookup()
{
    s_NodesByNumber = {};
    s_NodesByNumberBlock = nullptr;
    s_NodesByNumberCount = 0;
}

NodeRecord* FindNode(int number)
{
    if (s_NodesByNumberBlock && s_NodesByNumberBlock == g_NodeBlock.data() &&
        s_NodesByNumberCount == g_NodeBlock.size()) {
        const auto it = s_NodesByNumber.find(number);
        return it == s_NodesByNumber.end() ? nullptr : it->second;
    }
    for (NodeRecord* n = g_Nodes; n; n = n->Next)
        if (n->Number == number) return n;
    return nullptr;
}

ElementRecord* FindElement(int number)
{
    for (ElementRecord* e = g_Elements; e; e = e->Next)
        if (e->Number == number) return e;
    return nullptr;
}

// Grows a record block so that it holds record `index`, in chunks up to `count` records.
// Returns false when memory runs out; *moved tells whether the records changed address.
template <class Block>
bool HoldRecord(Block& block, int count, int index, bool* moved)
{
    *moved = false;
    const size_t need = static_cast<size_t>(index) + 1;
    if (need <= block.size()) return true;
    const auto* before = block.data();
    const size_t grown = std::min(static_cast<size_t>(count), std::max(need, std::max(FirstChunk, block.size() * 2)));
    try {
        block.resize(grown);
    } catch (const std::exception&) {
        return false;
    }
    *moved = before != nullptr && block.data() != before;
    return true;
}

// After a block moved, the links between the records read so far are rebuilt.
void RelinkNodes(int filled)
{
    for (int i = 0; i < filled; ++i) {
        NodeRecord* n = &g_NodeBlock[i];
        n->Previous = i > 0 ? &g_NodeBlock[i - 1] : nullptr;
        n->Next = i + 1 < filled ? &g_NodeBlock[i + 1] : nullptr;
        if (static_cast<int>(g_NodeIndex.size()) > i) g_NodeIndex[i] = n;
    }
    g_Nodes = filled > 0 ? &g_NodeBlock[0] : nullptr;
}

void RelinkElements(int filled)
{
    for (int i = 0; i < filled; ++i) g_ElementBlock[i].Next = i + 1 < filled ? &g_ElementBlock[i + 1] : nullptr;
    g_Elements = filled > 0 ? &g_ElementBlock[0] : nullptr;
}

void RelinkBoundaryElements(int filled)
{
    for (int i = 0; i < filled; ++i) {
        BoundaryElementRecord* b = &g_BoundaryElementBlock[i];
        b->Next = i + 1 < filled ? &g_BoundaryElementBlock[i + 1] : nullptr;
        if (b->Node()) b->Node()->BoundaryElement = b;
    }
    g_BoundaryElements = filled > 0 ? &g_BoundaryElementBlock[0] : nullptr;
}

void RelinkJunctions(int filled)
{
    for (int i = 0; i < filled; ++i) {
        JunctionRecord* j = &g_JunctionBlock[i];
        j->Next = i + 1 < filled ? &g_JunctionBlock[i + 1] : nullptr;
        for (NodeRecord* n : j->ReadNodes)
            if (n) n->Junction = j;
    }
    g_Junctions = filled > 0 ? &g_JunctionBlock[0] : nullptr;
}

// What a stream reads when it is not a regular file ("directory", "FIFO", ...); null for a
// regular file and for a stream without a file descriptor (a stream over memory).
const char* SpecialFileKind(FILE* stream)
{
#if defined(_WIN32)
    struct _stat64 st;
    const int fd = _fileno(stream);
    if (fd < 0 || _fstat64(fd, &st) != 0) return nullptr;
    if ((st.st_mode & _S_IFMT) == _S_IFREG) return nullptr;
    if ((st.st_mode & _S_IFMT) == _S_IFDIR) return "directory";
    if ((st.st_mode & _S_IFMT) == _S_IFCHR) return "character device";
    return "special file";
#else
    struct stat st;
    const int fd = fileno(stream);
    if (fd < 0 || fstat(fd, &st) != 0) return nullptr;
    if (S_ISREG(st.st_mode)) return nullptr;
    if (S_ISDIR(st.st_mode)) return "directory";
    if (S_ISFIFO(st.st_mode)) return "FIFO";
    if (S_ISCHR(st.st_mode)) return "character device";
    if (S_ISBLK(st.st_mode)) return "block device";
    if (S_ISSOCK(st.st_mode)) return "socket";
    return "special file";
#endif
}

void CloseStream(FILE* stream)
{
    if (stream && stream != stdin) std::fclose(stream);
}

// A refused file leaves nothing behind: no records, no tables, defaults in the control block.
void EmptyEngine()
{
    DropNodeLookup();
    ReleaseModel();
    SetModelDefaults();
    ModelControl& mc = g_ModelControl;
    mc.UnitSystem = 1;   // agrees with the default length and distance factors
    for (int& v : mc.StartDate) v = 0;
    for (int& v : mc.CurrentDate) v = 0;
}

void ClampUnit(double& v)
{
    if (v > 1) v = 1;
    if (v < 0) v = 0;
}

int ReadModelBody(FILE* stream)
{
    ModelControl& mc = g_ModelControl;
    bool moved = false;
    // A count far beyond the rows of the file would be read into the next section's rows.
    if (const long long left = BytesLeft(stream); left >= 0) {
        const auto beyond = [&](long long rowBytes, int count, const char* what) {
            CountReason("the header gives %d %s, more than the %lld bytes left in the file can hold (at most %lld)",
                        count, what, left, left / rowBytes);
        };
        if (static_cast<long long>(mc.NodeCount) * NodeRowBytes > left) {
            beyond(NodeRowBytes, mc.NodeCount, "nodes");
            return RefuseRead(NodeCountMessage, ReadBadNodeCount, s_CountReason);
        }
        if (static_cast<long long>(mc.NodeCount) * NodeRowBytes +
                static_cast<long long>(mc.ElementCount) * ElementRowBytes >
            left) {
            beyond(ElementRowBytes, mc.ElementCount, "elements");
            return RefuseRead(ElementCountMessage, ReadBadElementCount, s_CountReason);
        }
        if (static_cast<long long>(mc.NodeCount) * NodeRowBytes +
                static_cast<long long>(mc.ElementCount) * ElementRowBytes +
                static_cast<long long>(mc.BoundaryElementCount) * BoundaryRowBytes >
            left) {
            beyond(BoundaryRowBytes, mc.BoundaryElementCount, "boundary elements");
            return RefuseRead(BoundaryCountMessage, ReadBadBoundaryCount, s_CountReason);
        }
    }

    for (int i = 0; i < mc.NodeCount; ++i) {
        if (!HoldRecord(g_NodeBlock, mc.NodeCount, i, &moved)) {
            return RefuseRead(NodeCountMessage, ReadBadNodeCount, "no memory for the nodes");
        }
        if (moved) RelinkNodes(i);
        if (const int code = ReadNodeRow(stream, i)) return code;
    }
    g_Nodes = &g_NodeBlock[0];
    std::printf(" Got the nodes\n");
    BuildNodeLookup();

    for (int i = 0; i < mc.ElementCount; ++i) {
        if (!HoldRecord(g_ElementBlock, mc.ElementCount, i, &moved)) {
            return RefuseRead(ElementCountMessage, ReadBadElementCount, "no memory for the elements");
        }
        if (moved) RelinkElements(i);
        if (const int code = ReadElementRow(stream, i)) return code;
    }
    g_Elements = &g_ElementBlock[0];
    std::printf(" Got the elements\n");

    for (int i = 0; i < mc.BoundaryElementCount; ++i) {
        if (!HoldRecord(g_BoundaryElementBlock, mc.BoundaryElementCount, i, &moved)) {
            return RefuseRead(BoundaryCountMessage, ReadBadBoundaryCount, "no memory for the boundary elements");
        }
        if (moved) RelinkBoundaryElements(i);
        if (const int code = ReadBoundaryElementRow(stream, i)) return code;
    }
    g_BoundaryElements = &g_BoundaryElementBlock[0];
    std::printf(" Got the boundary conditions\n");

    for (int i = 0; i < mc.JunctionCount; ++i) {
        if (!HoldRecord(g_JunctionBlock, mc.JunctionCount, i, &moved)) {
            char place[PlaceLength];
            std::snprintf(place, sizeof place, "junction row %d", i + 1);
            return RefuseRead(OutOfMemoryMessage, place);
        }
        if (moved) RelinkJunctions(i);
        if (const int code = ReadJunctionRow(stream, i)) return code;
    }
    g_Junctions = mc.JunctionCount > 0 ? &g_JunctionBlock[0] : nullptr;
    std::printf(" Got the junctions\n");
    // An element's length is the difference of its nodes' chainages (a junction branch has its
    // own length): two nodes at the same chainage make the element's equations divide by 0.
    for (const ElementRecord* e = g_Elements; e; e = e->Next) {
        const NodeRecord* one = e->Nodes[0];
        const NodeRecord* two = e->Nodes[1];
        if (e->JunctionBranch == 0 && one && two && one->Chainage == two->Chainage) {
            ModelScanner s(stream);
            return Refuse(s, ZeroLengthElementMessage, e->Number, one->Number, two->Number);
        }
    }

    for (int i = 0; i < mc.AtmosphericZoneCount; ++i) {
        AtmosphericZoneRecord& zone = g_AtmosphericZoneBlock[i];
        ModelScanner s(stream);
        s.Where("atmospheric zone %d", i + 1);
        zone.Number = s.Integer();
        const int rows = s.Integer();
        if (s.code) return s.code;
        if (rows > MaxSeriesEntries)
            return Refuse(s, TooManySeriesRowsMessage, "atmospheric zone", zone.Number);
        if (rows < 1)
            return Refuse(s, SeriesWithoutRowsMessage, "Atmospheric zone", zone.Number);
        const int held = s.Allocate([&] {
            zone.Time.assign(rows, 0.0);
            zone.AirTemperature.assign(rows, 0.0);
            zone.SolarRadiation.assign(rows, 0.0);
        });
        if (held) return held;
        zone.RowCount = rows;
        for (int r = 0; r < rows && !s.code; ++r) {
            zone.Time[r] = s.Real(AsHours);
            zone.AirTemperature[r] = s.Real(AsTemperature);
            zone.SolarRadiation[r] = s.Real(AsRadiation);
        }
        if (s.code) return s.code;
        if (const int r = FirstRowOutOfOrder(zone.Time.data(), rows, true); r > 0)
            return Refuse(s, SeriesTimesMessage, "atmospheric zone", zone.Number, r, zone.Time[r - 1] / SecondsPerHour,
                          r + 1, zone.Time[r] / SecondsPerHour);
        zone.Next = i + 1 < mc.AtmosphericZoneCount ? &g_AtmosphericZoneBlock[i + 1] : nullptr;
    }
    g_AtmosphericZones = mc.AtmosphericZoneCount > 0 ? &g_AtmosphericZoneBlock[0] : nullptr;
    std::printf(" Got the atmospheric zones\n");
    LinkNodesToZones();

    for (int i = 0; i < mc.BridgingEventCount; ++i)
        if (const int code = ReadBridgingEvent(stream, i)) return code;
    g_BridgingEvents = mc.BridgingEventCount > 0 ? &g_BridgingEventBlock[0] : nullptr;
    std::printf(" Got the bridging reaches\n");

    if (mc.JunctionCount > 0)
        if (const int code = ReadJamTable(stream)) return code;
    std::printf(" Got the ice jam stability equation calculation table\n");
    return ReadOk;
}

}  // namespace

const char* ModelReaderRefusal()
{
    return LastRefusal();
}

int ReadNumberToken(FILE* stream, char* buffer, int capacity)
{
    if (!stream || !buffer || capacity < 2) return 0;
    int c = 0;
    do {
        c = NextByte(stream);
        if (c == EOF) return 0;
    } while (!StartsToken(c));
    int n = 0;
    buffer[n++] = static_cast<char>(c);
    while ((c = NextByte(stream)) != EOF && ContinuesToken(c)) {
        if (n == capacity - 1) {
            buffer[n] = '\0';
            return -1;
        }
        buffer[n++] = static_cast<char>(c);
    }
    buffer[n] = '\0';
    return n;
}

int ReadModelFile(FILE* stream)
{
    ClearRefusal();
    if (!stream) {
        return RefuseRead(NoStreamMessage);
    }
    // A device or a FIFO may never end, and a directory holds no text.
    if (const char* kind = SpecialFileKind(stream)) {
        const int code = RefuseRead(NotRegularFileMessage, kind);
        CloseStream(stream);
        EmptyEngine();
        return code;
    }
    SetModelDefaults();
    int code = ReadModelHeader(stream);
    if (code == ReadBadNodeCount) RefuseRead(NodeCountMessage, code, s_CountReason);
    if (code == ReadBadElementCount) RefuseRead(ElementCountMessage, code, s_CountReason);
    if (code == ReadBadBoundaryCount) RefuseRead(BoundaryCountMessage, code, s_CountReason);
    if (code == ReadOk) code = ReadModelBody(stream);
    CloseStream(stream);
    DropNodeLookup();
    if (code != ReadOk) {
        EmptyEngine();
        return code;
    }
    if (!RebuildNodeIndex()) {
        const int refused = RefuseRead(NodeCountMessage, ReadBadNodeCount, "no memory for the node index");
        EmptyEngine();
        return refused;
    }
    ApplyAtmosphericForcing();
    InitialiseJunctionShares();
    InitialiseModel();
    // The initialisation derives a dynamic ice cover's concentration from its area: areas that no
    // cover of the node's width holds give one that no reader takes back.
    const QuantityRange& concentrations = QuantityRanges[AsConcentration];
    for (const NodeRecord* n = g_Nodes; n; n = n->Next)
        if (!(n->IceConcentration >= concentrations.low && n->IceConcentration <= concentrations.high)) {
            const int refused =
                RefuseRead(StateOutOfRangeMessage, "ice concentration", n->Number, n->IceConcentration,
                           concentrations.name, concentrations.low, concentrations.high, concentrations.unit);
            EmptyEngine();
            return refused;
        }
    return ReadOk;
}

int LoadModelFile(const std::filesystem::path& path)
{
#if defined(_WIN32)
    FILE* stream = _wfopen(path.c_str(), L"rb");
#else
    // Opened without waiting: a FIFO without a writer would block the open itself. The
    // reader refuses anything but a regular file before it reads.
    FILE* stream = nullptr;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        stream = fdopen(fd, "rb");
        if (!stream) close(fd);
    }
#endif
    if (!stream) {
        const int error = errno;
        const int code = ReadModelFile(nullptr);
        errno = error;
        return code;
    }
    return ReadModelFile(stream);
}

// Reads one setting of a header block (a row of the tables of engine/ModelHeader.h) with the
// scanner s; a value the reader checks is refused as soon as it is read.
#define VASQUIL_READ_Real(quantity) s.Real(quantity)
#define VASQUIL_READ_Int(quantity) s.Integer()
#define VASQUIL_READ_HEADER_ROW(A, kind, owner, name, key, quantity, unit, value, style, rule)           \
    VASQUIL_HEADER_OWNER_##owner.name = VASQUIL_READ_##kind(quantity);                                 \
    if (rule == SoundTolerance && !s.code && !IsSoundTolerance(VASQUIL_HEADER_OWNER_##owner.name))     \
        return Refuse(s, ToleranceMessage, VASQUIL_HEADER_SYSTEM_##owner, s.token, MinimumTolerance);

int ReadModelHeader(FILE* stream)
{
    ModelControl& mc = g_ModelControl;
    ModelScanner s(stream);

    mc.FileType = s.Integer();
    if (!s.code && (mc.FileType < FileTypeOpenWater || mc.FileType > FileTypeThermalIce))
        return Refuse(s, FileTypeMessage, mc.FileType);
    mc.DeltaT = s.Real();
    if (!s.code && !(mc.DeltaT > 0))
        return Refuse(s, TimeStepMessage, s.token);
    mc.MaxDeltaT = s.Real();
    if (!s.code && !(mc.MaxDeltaT >= MinimumTimeStep))
        return Refuse(s, MaxTimeStepMessage, s.token, MinimumTimeStep);
    mc.ModelTime = s.Real();
    for (int& v : mc.StartDate) v = s.Integer();
    if (s.code) return s.code;
    const int* d = mc.StartDate;
    if (d[1] < 1 || d[1] > 12 || d[2] < 1 || d[2] > 31 || d[3] < 0 || d[3] > 23 || d[4] < 0 || d[4] > 59 ||
        d[5] < 0 || d[5] > 59)
        return Refuse(s, StartDateMessage, d[0], d[1], d[2], d[3], d[4], d[5]);
    mc.FinalTime = mc.ModelTime + 2592000;
    ComputeCalendarDate(mc.CurrentDate);
    mc.Dimension = 1;
    mc.ElementCodeCount = 5;
    mc.BoundaryCodeCount = 7;
    mc.IceFrontStarted = 0;

    ReleaseModel();
    DropNodeLookup();
    bool moved = false;

    const int nodes = s.Integer();
    if (s.code) return s.code;
    mc.NodeCount = mc.NodeBlockCount = nodes;
    if (nodes < 2) {
        CountReason("the header gives %d nodes, fewer than two", nodes);
        return ReadBadNodeCount;
    }
    if (!HoldRecord(g_NodeBlock, nodes, 0, &moved)) {
        CountReason("no memory for the %d nodes", nodes);
        return ReadBadNodeCount;
    }

    const int elements = s.Integer();
    if (s.code) return s.code;
    mc.ElementCount = mc.ElementBlockCount = elements;
    if (elements < 1) {
        CountReason("the header gives %d elements, fewer than one", elements);
        return ReadBadElementCount;
    }
    if (!HoldRecord(g_ElementBlock, elements, 0, &moved)) {
        CountReason("no memory for the %d elements", elements);
        return ReadBadElementCount;
    }

    const int boundaries = s.Integer();
    if (s.code) return s.code;
    mc.BoundaryElementCount = mc.BoundaryElementBlockCount = boundaries;
    if (boundaries < 1) {
        CountReason("the header gives %d boundary elements, fewer than one", boundaries);
        return ReadBadBoundaryCount;
    }
    if (!HoldRecord(g_BoundaryElementBlock, boundaries, 0, &moved)) {
        CountReason("no memory for the %d boundary elements", boundaries);
        return ReadBadBoundaryCount;
    }

    const int junctions = s.Integer();
    if (s.code) return s.code;
    if (junctions < 0) return Refuse(s, JunctionCountMessage, junctions);
    mc.JunctionCount = mc.JunctionBlockCount = junctions;
    if (junctions > 0 && !HoldRecord(g_JunctionBlock, junctions, 0, &moved))
        return Refuse(s, OutOfMemoryMessage, "junctions");

    mc.UnitSystem = s.Integer();
    if (mc.UnitSystem == 0) {
        mc.DistanceFactor = 5280;
        mc.LengthFactor = MetresPerFoot;
    } else {
        mc.DistanceFactor = 1000;
        mc.LengthFactor = 1;
    }

    EquationSystem& hydro = g_EquationSystems[HydrodynamicSystem];
    VASQUIL_HYDRO_HEADER(VASQUIL_READ_HEADER_ROW, _)
    ClampUnit(hydro.Theta);
    mc.HydrodynamicsOn = 1;
    mc.DynamicIceOn = 0;
    mc.ThermalIceOn = 0;

    ReleaseThermalBlocks();

    if (HasWaterTemperatureBlock(mc.FileType)) {
        VASQUIL_WATER_TEMPERATURE_HEADER(VASQUIL_READ_HEADER_ROW, _)
    }
    if (HasIceBlock(mc.FileType)) {
        VASQUIL_ICE_HEADER(VASQUIL_READ_HEADER_ROW, _)
    }
    if (mc.FileType == FileTypeStaticIce) {
        VASQUIL_STATIC_ICE_HEADER(VASQUIL_READ_HEADER_ROW, _)
    } else if (mc.FileType == FileTypeDynamicIce) {
        EquationSystem& ice = g_EquationSystems[DynamicIceSystem];
        VASQUIL_DYNAMIC_ICE_HEADER(VASQUIL_READ_HEADER_ROW, _)
        mc.DynamicIceOn = 1;
        ClampUnit(ice.Theta);
    } else if (mc.FileType == FileTypeThermalIce) {
        const int zones = s.Integer();
        if (s.code) return s.code;
        if (zones < 0 || zones > MaxAtmosphericZones)
            return Refuse(s, ZoneCountMessage, zones, MaxAtmosphericZones);
        try {
            g_AtmosphericZoneBlock.assign(MaxAtmosphericZones, AtmosphericZoneRecord{});
        } catch (const std::exception&) {
            return Refuse(s, OutOfMemoryMessage, "atmospheric zones");
        }
        mc.AtmosphericZoneCount = zones;
        const int events = s.Integer();
        if (s.code) return s.code;
        if (events < 0 || events > MaxBridgingEvents)
            return Refuse(s, BridgingCountMessage, events, MaxBridgingEvents);
        try {
            g_BridgingEventBlock.assign(MaxBridgingEvents, BridgingEventRecord{});
        } catch (const std::exception&) {
            return Refuse(s, OutOfMemoryMessage, "bridging events");
        }
        mc.BridgingEventCount = events;

        EquationSystem& thermal = g_EquationSystems[ThermalIceSystem];
        VASQUIL_THERMAL_ICE_HEADER(VASQUIL_READ_HEADER_ROW, _)

        mc.ThermalIceOn = 1;
        mc.ThermalMode = 1;
        if (mc.MinSurfaceIceConcentration < 0) mc.MinSurfaceIceConcentration = 0;
        if (mc.MaxSurfaceIceConcentration > 1) mc.MaxSurfaceIceConcentration = 1;
        if (mc.MinSurfaceIceConcentration > mc.MaxSurfaceIceConcentration) {
            mc.MaxSurfaceIceConcentration = 1;
            mc.MinSurfaceIceConcentration = 0.01;
        }
        ClampUnit(thermal.Theta);
    }
    if (mc.FileType > FileTypeOpenWater) mc.IceDensity = mc.IceSpecificGravity * mc.WaterDensity;
    return s.code;
}
#undef VASQUIL_READ_HEADER_ROW
#undef VASQUIL_READ_Int
#undef VASQUIL_READ_Real

int ReadNodeRow(FILE* stream, int index)
{
    ModelControl& mc = g_ModelControl;
    ModelScanner s(stream);
    s.Where("node row %d", index + 1);
    if (index < 0 || index >= static_cast<int>(g_NodeBlock.size()))
        return Refuse(s, OutOfMemoryMessage, s.where);

    NodeRecord* node = &g_NodeBlock[index];
    SetNodeDefaults(node);
    const int held = s.Allocate([&] {
        if (static_cast<int>(g_NodeIndex.size()) <= index) g_NodeIndex.resize(static_cast<size_t>(index) + 1);
    });
    if (held) return held;
    g_NodeIndex[index] = node;
    node->Index = index;

    node->Number = s.Integer();
    if (!s.code) s.Where("row of node %d", node->Number);
    node->RiverStation = s.Real();
    node->SectionCode = s.Integer();
    node->Reach = s.Integer();
    node->Easting = s.Real(AsLength);
    node->Northing = s.Real(AsLength);
    node->Chainage = s.Real(AsStation);
    node->Invert = s.Real(AsLength);
    node->ManningN = s.Real(AsRoughness);
    node->RectWidth = node->TopWidth = s.Real(AsLength);
    node->HydroCode = s.Integer();
    node->Stage = s.Real(AsLength);
    node->Discharge = s.Real(AsDischarge);
    node->WaterTemp = mc.WaterTemperature;
    switch (mc.FileType) {
    case FileTypeStaticIce:
        node->IceConcentration = s.Real(AsConcentration);
        node->IceThickness = s.Real(AsLength);
        node->IceRoughness = s.Real(AsRoughness);
        node->IceRoughnessMode = s.Integer();
        node->JamFlag = s.Integer();
        break;
    case FileTypeDynamicIce:
        node->IceVelocity = s.Real(AsVelocity);
        node->IceConcentration = s.Real(AsConcentration);
        node->SolidIceArea = s.Real(AsIceArea);
        node->IceRoughness = s.Real(AsRoughness);
        node->IceRoughnessMode = s.Integer();
        break;
    case FileTypeThermalIce:
        node->IceVelocity = s.Real(AsVelocity);
        node->WaterTemp = s.Real(AsTemperature);
        node->FrazilConcentration = s.Real(AsConcentration);
        node->AnchorIceArea = s.Real(AsIceArea);
        node->IceConcentration = s.Real(AsConcentration);
        node->SlushArea = s.Real(AsIceArea);
        node->UnderSlushArea = s.Real(AsIceArea);
        node->SolidIceArea = s.Real(AsIceArea);
        node->BorderWidthLeft = s.Real(AsLength);
        node->BorderWidthRight = s.Real(AsLength);
        node->BorderIceArea = s.Real(AsIceArea);
        node->IceRoughness = s.Real(AsRoughness);
        node->IceRoughnessMode = s.Integer();
        node->ZoneNumber = s.Integer();
        node->Hwa = s.Real(AsCoefficient);
        node->Jwa = s.Real(AsCoefficient);
        node->Kwa = s.Real(AsCoefficient);
        node->FroudeMax = s.Real(AsCoefficient);
        node->Hia = s.Real(AsCoefficient);
        break;
    default:
        break;
    }
    if (s.code) return s.code;
    if (node->IceRoughnessMode < 0 || node->IceRoughnessMode > 3)
        return Refuse(s, IceRoughnessModeMessage, node->IceRoughnessMode, node->Number);
    const int code = node->SectionCode;
    if (code > MaxSectionLevels || code < -MaxSectionLevels)
        return Refuse(s, TooManyLevelsMessage, code, node->Number, MaxSectionLevels);
    if (code == 1 || code == -1)
        return Refuse(s, TooFewLevelsMessage, code, node->Number);

    // Cross section and the smallest admissible flow area.
    CrossSectionTable* table = nullptr;
    if (code != 0) {
        if (const int failure = ReadCrossSection(stream, node)) return failure;
        table = node->CrossSection;
        node->Invert = table->LowestElevation;
        node->MinFlowArea = InterpolateTable(table->Column(StageLevel), table->Column(TotalArea),
                                             node->Invert + mc.MinWaterDepth, code);
    } else {
        // Every area, depth and velocity of a rectangular node divides by its width.
        if (!(node->RectWidth >= NarrowestWidth && node->RectWidth <= WidestWidth))
            return Refuse(s, RectWidthMessage, node->Number, node->RectWidth, NarrowestWidth, WidestWidth);
        node->CrossSection = nullptr;
        node->MinFlowArea = node->RectWidth * mc.MinWaterDepth;
    }
    const auto byArea = [&](int column, double area) {
        return InterpolateTable(table->Column(TotalArea), table->Column(column), area, code);
    };

    // Initial state.
    node->PeakStage = node->Stage;
    node->FluxDischarge = node->PeakFluxDischarge = node->Discharge;
    node->Zone = nullptr;
    node->ThermalEnergy = ComputeNodeThermalEnergy(node->WaterTemp, node->FrazilConcentration);

    // Areas.
    if (mc.FileType == FileTypeStaticIce) {
        node->SolidEquivalentThickness = node->EffectiveIceThickness = node->IceThickness;
    } else {
        node->DynamicIceArea = (1 - mc.FrazilSlushPorosity) * node->SlushArea + node->SolidIceArea;
        node->FloatingIceArea = std::max(0.0, node->BorderIceArea + node->DynamicIceArea);
    }
    node->FlowArea = ComputeFlowAreaFromStage(node, node->Stage);
    node->GrossArea = table ? InterpolateTable(table->Column(StageLevel), table->Column(TotalArea), node->Stage, code)
                            : (node->Stage - node->Invert) * node->RectWidth;
    if (mc.FileType == FileTypeStaticIce) node->FloatingIceArea = std::max(0.0, node->FlowArea - node->GrossArea);

    // Widths, border ice and the wetted perimeter.
    const double p = mc.AnchorIcePorosity;
    if (table) {
        node->TopWidth = byArea(ChannelWidth, node->GrossArea);
        if (node->TopWidth > 0) SetBorderIceFraction(node, node->TopWidth);
        LocateBorderIceEdge(node, node->BorderWidthLeft, 1);
        LocateBorderIceEdge(node, node->BorderWidthRight, 2);
        node->WettedPerimeter = ComputeBedPerimeterUnder(node, (1 - p) * node->AnchorIceArea + node->FlowArea);
        node->BorderIceActive = 1;
        node->IceCoveredWidth = node->PreviousIceCoveredWidth = (1 - node->BorderFraction) * node->TopWidth;
        node->OverbankFlag = byArea(LeftWidth, node->GrossArea) > 0 ? 1 : (byArea(RightWidth, node->GrossArea) > 0);
    } else {
        node->TopWidth = node->IceCoveredWidth = node->PreviousIceCoveredWidth = node->RectWidth;
        node->BorderWidthLeft = node->BorderWidthRight = 0;
        node->BorderFraction = 0;
        node->BorderIceActive = 0;
        node->OverbankFlag = 0;
        node->WettedPerimeter = ComputeBedPerimeterUnder(node, (1 - p) * node->AnchorIceArea + node->FlowArea);
    }

    // Thicknesses and layers.
    ComputeIceThicknessesFromAreas(node);
    node->PreviousStage = node->Stage;
    ComputeIceLayersFromThicknesses(node);

    // Unknowns of the equation systems and their previous level.
    node->HydroUnknowns[0] = node->PreviousHydroUnknowns[0] = node->GrossArea;
    node->HydroUnknowns[1] = node->PreviousHydroUnknowns[1] = node->Discharge;
    node->IceUnknowns[0] = node->PreviousIceUnknowns[0] = node->DynamicIceArea;
    node->IceUnknowns[1] = node->PreviousIceUnknowns[1] = node->IceVelocity;
    const double thermal[6] = {node->ThermalEnergy, node->FrazilConcentration, node->UnderSlushArea,
                               node->IceConcentration, node->SlushArea, node->SolidIceArea};
    for (int k = 0; k < 6; ++k) node->ThermalUnknowns[k] = node->PreviousThermalUnknowns[k] = thermal[k];

    // Every value read is in range, but together they may still give a state out of range (an
    // ice specific gravity of 0 divides by 0, a large temperature squares to infinity, a large
    // ice concentration makes a static ice cover thick), and the writer would write values that
    // no reader takes back.
    const struct {
        const char* name;
        double value;
        Quantity quantity;
    } derived[] = {
        {"flow area", node->FlowArea, AsArea},
        {"gross area", node->GrossArea, AsArea},
        {"smallest flow area", node->MinFlowArea, AsArea},
        {"floating ice area", node->FloatingIceArea, AsArea},
        {"dynamic ice area", node->DynamicIceArea, AsArea},
        {"solid ice area", node->SolidIceArea, AsArea},
        {"top width", node->TopWidth, AsLength},
        {"wetted perimeter", node->WettedPerimeter, AsLength},
        {"ice-covered width", node->IceCoveredWidth, AsLength},
        {"left border ice width", node->BorderWidthLeft, AsLength},
        {"right border ice width", node->BorderWidthRight, AsLength},
        {"ice thickness", node->IceThickness, AsLength},
        {"slush thickness", node->SlushThickness, AsLength},
        {"effective ice thickness", node->EffectiveIceThickness, AsLength},
        {"anchor ice thickness", node->AnchorIceThickness, AsLength},
        {"border ice thickness", node->BorderIceThickness, AsLength},
        {"ice top elevation", node->IceTopElevation, AsLength},
        {"ice bottom elevation", node->IceBottomElevation, AsLength},
        {"thermal energy", node->ThermalEnergy, AsNumber},
    };
    for (const auto& d : derived) {
        const QuantityRange& range = QuantityRanges[d.quantity];
        if (!(d.value >= range.low && d.value <= range.high))
            return Refuse(s, StateOutOfRangeMessage, d.name, node->Number, d.value, range.name, range.low, range.high,
                          range.unit);
    }

    // Chain.
    node->Previous = index > 0 ? &g_NodeBlock[index - 1] : nullptr;
    if (node->Previous) node->Previous->Next = node;
    node->Next = nullptr;
    if (index == 0) g_Nodes = node;
    return ReadOk;
}

int ReadCrossSection(FILE* stream, NodeRecord* node)
{
    ModelScanner s(stream);
    s.Where("cross section of node %d", node->Number);
    std::unique_ptr<CrossSectionTable> table;
    if (const int code = s.Allocate([&] { table = std::make_unique<CrossSectionTable>(); })) return code;

    const int points = s.Integer();
    if (s.code) return s.code;
    if (points > MaxSectionPoints)
        return Refuse(s, TooManyPointsMessage, node->Number);
    if (points < 2)
        return Refuse(s, TooFewPointsMessage, node->Number);
    table->PointCount = points;
    table->LeftBankStation = s.Real(AsLength);
    table->RightBankStation = s.Real(AsLength);
    if (const int code = s.Allocate([&] { table->Points.resize(points); })) return code;
    for (SectionPoint& point : table->Points) {
        point.Station = s.Real(AsLength);
        point.Elevation = s.Real(AsLength);
    }

    const int roughness = s.Integer();
    if (s.code) return s.code;
    if (roughness > MaxRoughnessRows)
        return Refuse(s, TooManyRoughnessRowsMessage, node->Number);
    if (roughness < 1)
        return Refuse(s, NoRoughnessRowMessage, node->Number);
    table->RoughnessRowCount = roughness;
    for (int r = 0; r < roughness; ++r) {
        table->RoughnessRows[0][r] = s.Real(AsLength);
        for (int k = 1; k < 4; ++k) table->RoughnessRows[k][r] = s.Real(AsRoughness);
    }

    const int sinuosity = s.Integer();
    if (s.code) return s.code;
    if (sinuosity > MaxSinuosityRows)
        return Refuse(s, TooManySinuosityRowsMessage, node->Number);
    if (sinuosity < 1)
        return Refuse(s, NoSinuosityRowMessage, node->Number);
    table->SinuosityRowCount = sinuosity;
    for (int r = 0; r < sinuosity; ++r) {
        table->SinuosityRows[0][r] = s.Real(AsLength);
        table->SinuosityRows[1][r] = s.Real(AsSinuosity);
    }
    if (s.code) return s.code;

    // The points run from the left bank to the right: a station that goes back folds the
    // section over itself, and its widths and areas mean nothing.
    for (int k = 1; k < points; ++k)
        if (table->Points[k].Station < table->Points[k - 1].Station)
            return Refuse(s, StationsGoBackMessage, table->Points[k].Station / g_ModelControl.LengthFactor, k + 1,
                          node->Number);

    const auto matches = [&](double station) {
        return std::any_of(table->Points.begin(), table->Points.end(),
                           [station](const SectionPoint& point) { return point.Station == station; });
    };
    if (!matches(table->LeftBankStation))
        return Refuse(s, BankMatchesNoPointMessage, "Left", node->Number);
    if (!matches(table->RightBankStation))
        return Refuse(s, BankMatchesNoPointMessage, "Right", node->Number);

    const int held = s.Allocate([&] {
        BuildCrossSectionTable(table.get(), node->SectionCode);   // sizes the property table
    });
    if (held) return held;
    delete node->CrossSection;
    node->CrossSection = table.release();
    return ReadOk;
}

int ReadElementRow(FILE* stream, int index)
{
    ModelScanner s(stream);
    s.Where("element row %d", index + 1);
    if (index < 0 || index >= static_cast<int>(g_ElementBlock.size()))
        return Refuse(s, OutOfMemoryMessage, s.where);
    ElementRecord* element = &g_ElementBlock[index];
    *element = ElementRecord{};
    element->Number = s.Integer();
    element->GeometryCode = 111;
    element->InterpolationCode = 111;
    element->NodeCount = 2;
    int numbers[2];
    for (int& n : numbers) n = s.Integer();
    element->JunctionBranch = 0;
    element->Length = 0;
    for (double& c : element->Codes) c = s.Real();
    if (s.code) return s.code;
    for (int k = 0; k < 2; ++k) {
        element->Nodes[k] = numbers[k] < 0 ? nullptr : FindNode(numbers[k]);
        if (!element->Nodes[k])
            return Refuse(s, MissingNodeMessage, numbers[k], "element", element->Number);
    }
    if (index > 0) g_ElementBlock[index - 1].Next = element;
    element->Next = nullptr;
    if (index == 0) g_Elements = element;
    return ReadOk;
}

int ReadBoundaryElementRow(FILE* stream, int index)
{
    ModelScanner s(stream);
    s.Where("boundary element row %d", index + 1);
    if (index < 0 || index >= static_cast<int>(g_BoundaryElementBlock.size()))
        return Refuse(s, OutOfMemoryMessage, s.where);
    BoundaryElementRecord* element = &g_BoundaryElementBlock[index];
    delete element->Hydrograph;
    delete element->WQHydrograph;
    *element = BoundaryElementRecord{};
    element->Number = s.Integer();
    element->GeometryCode = 1;
    element->InterpolationCode = 1;
    element->NodeCount = 1;
    const int number = s.Integer();
    for (double& c : element->Codes) c = 0;
    element->Position = s.Real();
    element->StageCode = s.Integer();
    element->DischargeCode = s.Integer();
    if (s.code) return s.code;
    element->Node() = number < 0 ? nullptr : FindNode(number);
    if (!element->Node())
        return Refuse(s, MissingNodeMessage, number, "element", element->Number);
    element->Node()->BoundaryElement = element;
    if (index > 0) g_BoundaryElementBlock[index - 1].Next = element;
    element->Next = nullptr;
    if (index == 0) g_BoundaryElements = element;
    if (element->StageCode > 0 || element->DischargeCode > 0)
        if (const int code = ReadBoundaryHydrograph(stream, element)) return code;
    element->WQHydrograph = nullptr;
    return ReadOk;
}

int ReadBoundaryHydrograph(FILE* stream, BoundaryElementRecord* element)
{
    const ModelControl& mc = g_ModelControl;
    ModelScanner s(stream);
    s.Where("series of boundary element %d", element->Number);
    BoundaryHydrograph* table = nullptr;
    if (const int code = s.Allocate([&] { table = new BoundaryHydrograph; })) return code;
    delete element->Hydrograph;
    element->Hydrograph = table;
    NodeRecord* node = element->Node();
    std::printf("\tMemory allocated for boundary hydrograph at node %d\n", node ? node->Number : 0);
    table->Cursor = 1;
    table->Node = node;

    const int rows = s.Integer();
    if (s.code) return s.code;
    const int sc = element->StageCode;
    const int dc = element->DischargeCode;
    enum { Inflow, StageSeries, StageAndDischarge, Rating, Looped, NoRows } kind = NoRows;
    if (sc == 0 && (dc == 1 || dc == 99))
        kind = Inflow;
    else if (sc == 1 && dc == 0)
        kind = StageSeries;
    else if (sc == 1 && dc == 1)
        kind = StageAndDischarge;
    else if (sc == 2 || dc == 2)
        kind = Rating;
    else if (sc == 0 && dc == 3)
        kind = Looped;

    if (kind != Looped && kind != NoRows) {
        if (rows > MaxSeriesEntries)
            return Refuse(s, TooManySeriesRowsMessage, "boundary element", element->Number);
        if (rows < 1)
            return Refuse(s, SeriesWithoutRowsMessage, "Boundary element", element->Number);
    }

    const bool upstream = element->Position < 0;
    const bool downstream = element->Position > 0;
    switch (kind) {
    case Inflow:
        if (downstream) std::printf("\nDischarge hydrograph at downstream boundary! Are you sure?\n");
        if (dc == 99) std::printf("\nLateral inflow hydrograph\n");
        break;
    case StageSeries:
        if (upstream) std::printf("\nStage hydrograph at upstream boundary! Are you sure?\n");
        break;
    case Rating:
        if (upstream) std::printf("\nSingle valued rating curve at upstream boundary! Are you sure?\n");
        break;
    case StageAndDischarge:
        if (downstream) std::printf("\nMultiple downstream boundary conditions! Are you sure?\n");
        break;
    case Looped:
        if (downstream) std::printf("\nDynamic looped rating curve at downstream boundary! Are you sure?\n");
        std::printf("\nDynamic looped rating curve - no data needed - all bdy. parameters calculated\n");
        break;
    case NoRows:
        break;
    }
    if (kind == Looped || kind == NoRows) return ReadOk;

    const int held = s.Allocate([&] {
        for (std::vector<double>& column : table->Columns) column.assign(rows, 0.0);
    });
    if (held) return held;
    table->RowCount = rows;
    auto& c = table->Columns;
    for (int r = 0; r < rows && !s.code; ++r) {
        switch (kind) {
        case Inflow:
            c[0][r] = s.Real(AsHours);
            c[2][r] = s.Real(AsDischarge);
            if (mc.FileType == FileTypeDynamicIce) {
                c[3][r] = s.Real(AsVelocity);
                c[6][r] = s.Real(AsConcentration);
                c[8][r] = s.Real(AsLength);
            } else if (mc.FileType == FileTypeThermalIce) {
                c[3][r] = s.Real(AsVelocity);
                c[4][r] = s.Real(AsTemperature);
                c[5][r] = s.Real(AsConcentration);
                c[6][r] = s.Real(AsConcentration);
                c[7][r] = s.Real(AsLength);
                c[8][r] = s.Real(AsLength);
            }
            break;
        case StageSeries:
            c[0][r] = s.Real(AsHours);
            c[1][r] = s.Real(AsLength);
            break;
        case StageAndDischarge:
            c[0][r] = s.Real(AsHours);
            c[2][r] = s.Real(AsDischarge);
            c[1][r] = s.Real(AsLength);
            break;
        default:   // rating curve
            c[1][r] = s.Real(AsLength);
            c[2][r] = s.Real(AsDischarge);
            break;
        }
    }
    if (s.code) return s.code;
    // The engine looks values up by binary search: in time, or in discharge on a rating curve.
    if (kind == Rating) {
        if (const int r = FirstRowOutOfOrder(c[2].data(), rows, false); r > 0)
            return Refuse(s, RatingDischargesMessage, element->Number, r, c[2][r - 1], r + 1, c[2][r]);
    } else if (const int r = FirstRowOutOfOrder(c[0].data(), rows, true); r > 0) {
        return Refuse(s, SeriesTimesMessage, "boundary element", element->Number, r, c[0][r - 1] / SecondsPerHour,
                      r + 1, c[0][r] / SecondsPerHour);
    }
    return ReadOk;
}

int ReadJunctionRow(FILE* stream, int index)
{
    ModelScanner s(stream);
    s.Where("junction row %d", index + 1);
    if (index < 0 || index >= static_cast<int>(g_JunctionBlock.size()))
        return Refuse(s, OutOfMemoryMessage, s.where);
    JunctionRecord* junction = &g_JunctionBlock[index];
    *junction = JunctionRecord{};
    junction->Number = s.Integer();
    junction->Type = junction->ReadType = s.Integer();
    int nodes[4];
    int elements[3];
    double lengths[3];
    for (int& n : nodes) n = s.Integer();
    for (int& e : elements) e = s.Integer();
    for (double& l : lengths) l = s.Real(AsLength);
    if (s.code) return s.code;

    for (int k = 0; k < 4; ++k) {
        junction->ReadNodes[k] = FindNode(nodes[k]);
        if (!junction->ReadNodes[k])
            return Refuse(s, MissingNodeMessage, nodes[k], "junction", junction->Number);
    }
    for (int k = 0; k < 3; ++k) {
        junction->ReadElements[k] = FindElement(elements[k]);
        if (!junction->ReadElements[k])
            return Refuse(s, MissingElementMessage, elements[k], junction->Number);
    }
    junction->NodeA = junction->ReadNodes[0];
    junction->NodeB = junction->ReadNodes[1];
    junction->NodeC = junction->ReadNodes[2];
    junction->NodeD = junction->ReadNodes[3];
    junction->ElementAB = junction->ReadElements[0];
    junction->ElementAC = junction->ReadElements[1];
    junction->ElementAD = junction->ReadElements[2];

    // Branches AC (node C), AB (node B), AD (node D).
    struct Branch {
        ElementRecord* element;
        NodeRecord* node;
        double length;
        int kind;
        const char* name;
    };
    const Branch branches[3] = {
        {junction->ElementAC, junction->NodeC, lengths[1], 1, "AC"},
        {junction->ElementAB, junction->NodeB, lengths[0], 2, "AB"},
        {junction->ElementAD, junction->NodeD, lengths[2], 3, "AD"},
    };
    const NodeRecord* a = junction->NodeA;
    for (const Branch& b : branches) {
        if (b.length > 0) {
            b.element->Length = b.element->GivenLength = b.length;
        } else {
            const double de = b.node->Easting - a->Easting;
            const double dn = b.node->Northing - a->Northing;
            const double distance = std::sqrt(de * de + dn * dn);
            if (!(distance > 0))
                return Refuse(s, CoincidentJunctionNodesMessage, junction->Number, b.name, a->Number, b.node->Number);
            b.element->Length = distance;
            b.element->GivenLength = 0;
        }
        b.element->JunctionBranch = b.kind;
    }
    junction->BranchDischargeAC = junction->NodeC->Discharge;
    junction->BranchDischargeAB = junction->NodeB->Discharge;
    ComputeJunctionBranchAngles(junction);
    for (NodeRecord* n : junction->ReadNodes) n->Junction = junction;
    if (index > 0) g_JunctionBlock[index - 1].Next = junction;
    junction->Next = nullptr;
    if (index == 0) g_Junctions = junction;
    return ReadOk;
}

int ReadBridgingEvent(FILE* stream, int index)
{
    const ModelControl& mc = g_ModelControl;
    ModelScanner s(stream);
    s.Where("bridging event row %d", index + 1);
    if (index < 0 || index >= static_cast<int>(g_BridgingEventBlock.size()))
        return Refuse(s, OutOfMemoryMessage, s.where);
    BridgingEventRecord* event = &g_BridgingEventBlock[index];
    event->Number = s.Integer();
    event->BridgingLocation = s.Real(AsStation);
    event->BridgingTime = s.Real(AsHours);
    event->FrontLocation = s.Real(AsStation);
    if (s.code) return s.code;
    if (event->FrontLocation > event->BridgingLocation) event->FrontLocation = event->BridgingLocation;
    if (event->BridgingTime > mc.ModelTime) event->FrontLocation = event->BridgingLocation;
    event->StepStartFront = event->FrontLocation;
    if (index > 0) g_BridgingEventBlock[index - 1].Next = event;
    event->Next = nullptr;
    if (index == 0) g_BridgingEvents = event;
    LocateIceFrontStation(nullptr, event);
    return ReadOk;
}

int ReadJamTable(FILE* stream)
{
    ModelScanner s(stream);
    s.Where("ice jam stability table");
    // A model with junctions always carries the count (0 for no table): a file that ends
    // before it was cut off.
    const int rows = s.Integer();
    if (s.code) return s.code;
    if (rows < 1) return ReadOk;
    if (rows > MaxJamTableRows) return Refuse(s, TooManyJamRowsMessage);

    delete g_JamTable;
    g_JamTable = nullptr;
    std::unique_ptr<JamStabilityTable> table;
    const int held = s.Allocate([&] {
        table = std::make_unique<JamStabilityTable>();
        table->RowType.assign(rows, 0);
        table->Id.assign(rows, 0);
        table->JunctionIndex.assign(rows, -1);
        table->NodeIndex.assign(rows, -1);
    });
    if (held) return held;
    std::printf("\tMemory allocated for jam stability equation table\n");
    table->RowCount = rows;
    for (int r = 0; r < rows; ++r) {
        table->RowType[r] = s.Integer();
        table->Id[r] = s.Integer();
    }
    if (s.code) return s.code;
    for (int r = 0; r < rows; ++r) {
        if (table->RowType[r] == 1) {
            int position = 0;
            for (const JunctionRecord* j = g_Junctions; j; j = j->Next, ++position)
                if (j->Number == table->Id[r]) {
                    table->JunctionIndex[r] = position;
                    break;
                }
        } else if (table->RowType[r] == 0) {
            for (const NodeRecord* n = g_Nodes; n; n = n->Next)
                if (n->Reach == table->Id[r]) {
                    table->NodeIndex[r] = n->Index;
                    break;
                }
        }
    }
    g_JamTable = table.release();
    return ReadOk;
}
