// Reading a HEC-RAS geometry file: its reaches, junctions, structures and cross sections.
//
// The file is line-oriented. A record starts at a line that begins with its key: a cross
// section or structure ("Type RM Length L Ch R ="), a reach ("River Reach=") or a junction
// ("Junct Name="); it runs to the next such line. Inside a cross section the data blocks
// follow their key lines in fixed-width fields: cut-line points (x, y) in 16-character fields,
// station/elevation points and Manning's n triplets (station, n, 0) in 8-character fields. A
// field is cut from one line only; a line shorter than its fields ends them. Numbers on key
// lines stand between commas, each the first number of its part.
#include "datalib/HECRASData.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <istream>
#include <optional>
#include <string_view>
#include <system_error>

#include "datalib/HECRASMessages.h"
#include "engine/OutputTargets.h"

namespace VQXHECRASDataLib {

using VQXGeometryDataLib::SectionMaxPoints;
using VQXGeometryDataLib::VQXCrossSection;
using VQXGeometryDataLib::VQXSectionPoint;

namespace {

// Keys, each compared with the start of a line over exactly its own characters.
constexpr std::string_view SectionKey = "Type RM Length L Ch R =";
constexpr std::string_view ReachKey = "River Reach=";
constexpr std::string_view JunctionKey = "Junct Name=";
constexpr std::string_view CutLineKey = "XS GIS Cut Line=";
constexpr std::string_view PointsKey = "#Sta/Elev=";
constexpr std::string_view ManningKey = "#Mann=";
constexpr std::string_view BankKey = "Bank Sta=";

// Width of each of the two names of a reach line.
constexpr std::size_t ReachNameWidth = 16;
// The record type of a cross section; every other type is a structure.
constexpr int CrossSectionType = 1;
// Widths of the fixed-width fields: cut-line coordinates, and points and n triplets.
constexpr std::size_t CutLineFieldWidth = 16;
constexpr std::size_t SectionFieldWidth = 8;
// Values per cut-line point, section point and n triplet.
constexpr long long CutLineValues = 2;
constexpr long long PointValues = 2;
constexpr long long ManningValues = 3;
// An n table of exactly this many triplets holds the left overbank, the channel and the right
// overbank, starting at the section's start and at the two banks.
constexpr long long BankTripletCount = 3;

bool StartsWith(std::string_view text, std::string_view key)
{
    return text.size() >= key.size() && text.compare(0, key.size(), key) == 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The lines of the file, counted from 1, without their line end (LF or CR LF).
class GeometryLines {
public:
    explicit GeometryLines(std::istream& in) : in_(in) {}
    bool Next()
    {
        if (!std::getline(in_, line_))
            return false;
        ++number_;
        if (!line_.empty() && line_.back() == '\r')
            line_.pop_back();
        return true;
    }
    std::string_view Text() const { return line_; }
    int Number() const { return number_; }
    // True when reading stopped for another reason than the end of the file.
    bool Failed() const { return in_.bad(); }

private:
    std::istream& in_;
    std::string line_;
    int number_ = 0;
};

// How a number text reads: a finite double, or not.
enum class NumberRead { Finite, NotFinite, NotANumber };

// Reads the whole of text (no blanks) as a decimal number with an optional sign.
NumberRead ReadWholeNumber(std::string_view text, double& value)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !(IsDigit(text.front()) || (text.front() == '.' && text.size() > 1 && IsDigit(text[1]))))
        return NumberRead::NotANumber;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        return NumberRead::NotFinite;
    if (result.ec != std::errc() || result.ptr != end)
        return NumberRead::NotANumber;
    if (negative)
        value = -value;
    return std::isfinite(value) ? NumberRead::Finite : NumberRead::NotFinite;
}

// The first number in text: it starts at a digit, or at a "-" or "." that a digit (or ".
// and a digit) follows, and runs as far as a decimal number does. Returns its text, or an
// empty view when there is none.
std::string_view FirstNumberText(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto digitAt = [&](std::size_t k) { return k < text.size() && IsDigit(text[k]); };
        const bool starts = IsDigit(c) || (c == '.' && digitAt(i + 1)) ||
                            (c == '-' && (digitAt(i + 1) || (i + 2 < text.size() && text[i + 1] == '.' && digitAt(i + 2))));
        if (!starts)
            continue;
        std::size_t end = i + 1;
        bool point = c == '.';
        bool exponent = false;
        while (end < text.size()) {
            const char d = text[end];
            if (IsDigit(d)) {
                ++end;
            } else if (d == '.' && !point && !exponent) {
                point = true;
                ++end;
            } else if ((d == 'e' || d == 'E') && !exponent &&
                       (digitAt(end + 1) ||
                        ((end + 1 < text.size() && (text[end + 1] == '+' || text[end + 1] == '-')) && digitAt(end + 2)))) {
                exponent = true;
                end += 2;
            } else {
                break;
            }
        }
        return text.substr(i, end - i);
    }
    return {};
}

// One part of a key line between commas: its trimmed text and its first number (0 without one).
struct KeyPart {
    std::string_view Text;
    double Value = 0.0;
    bool HasNumber = false;
};

// A cross section as it is read, before it becomes a node.
struct PendingSection {
    bool Open = false;
    int Line = 0;
    std::string RiverStation;
    double RiverStationValue = 0.0;
    double Lengths[3] = {0.0, 0.0, 0.0};  // left overbank, channel, right overbank
    std::vector<VQXPlanPoint> CutLine;
    bool HasPoints = false;
    int PointsLine = 0;
    std::vector<VQXSectionPoint> Points;
    bool HasManning = false;
    int ManningLine = 0;
    std::vector<double> ManningStations;
    std::vector<double> ManningValuesRead;
    std::vector<int> ManningValueLines;
    bool HasBanks = false;
    int BankLine = 0;
    double Banks[2] = {0.0, 0.0};
};

// The length-weighted mean over [from, to] of the n values of a table in which the n of each
// triplet holds from its station to the next triplet's (the first also before its station,
// the last also after the end). A subsection of no width takes the n at its station; values
// that are all equal over the subsection give that value exactly.
double MeanRoughness(const std::vector<double>& stations, const std::vector<double>& values, double from, double to)
{
    const std::size_t n = stations.size();
    const auto valueAt = [&](double x) {
        std::size_t k = 0;
        while (k + 1 < n && stations[k + 1] <= x)
            ++k;
        return values[k];
    };
    if (!(to > from))
        return valueAt(from);
    double sum = 0.0;
    double single = 0.0;
    bool first = true;
    bool allEqual = true;
    for (std::size_t k = 0; k < n; ++k) {
        const double lo = k == 0 ? from : std::max(from, stations[k]);
        const double hi = k + 1 < n ? std::min(to, stations[k + 1]) : to;
        if (!(hi > lo))
            continue;
        sum += values[k] * (hi - lo);
        if (first)
            single = values[k];
        else if (values[k] != single)
            allEqual = false;
        first = false;
    }
    return allEqual && !first ? single : sum / (to - from);
}

class GeometryParser {
public:
    GeometryParser(VQXHECRASDataSet& data, std::istream& in) : data_(data), lines_(in) {}

    VQXConversionResult Run();

private:
    bool Fail(VQXConversionResult failure)
    {
        if (failure_.Ok())
            failure_ = std::move(failure);
        return false;
    }
    std::string Station() const { return StationName(section_.RiverStation); }

    // The parts of a key line after its key.
    bool KeyParts(std::string_view rest, std::vector<KeyPart>& parts);
    // The count on a key line (its first number, 0 without one).
    bool Count(std::string_view key, long long& count);
    // Reads count values of fixed-width fields from the lines after the key line (at keyLine),
    // with the line of each value when lines is given.
    bool ReadFields(std::size_t width, long long count, long long perItem, const char* what, int keyLine,
                    std::vector<double>& values, std::vector<int>* lines);

    void StartReach(std::string_view rest);
    bool StartRecord(std::string_view rest);
    bool ReadCutLine();
    bool ReadPoints();
    bool ReadManning();
    bool ReadBanks(std::string_view rest);
    // Ends the cross section being read (if any): checked, and kept as a node when its reach is
    // the one converted.
    bool FinishSection();
    // The reach that the records being read belong to, made without names when none was named.
    int CurrentReach();
    bool IsChosen(const VQXHECRASReach& reach) const;

    VQXHECRASDataSet& data_;
    GeometryLines lines_;
    VQXConversionResult failure_;
    PendingSection section_;
    int reach_ = -1;
};

bool GeometryParser::KeyParts(std::string_view rest, std::vector<KeyPart>& parts)
{
    parts.clear();
    for (;;) {
        const std::size_t comma = rest.find(',');
        KeyPart part;
        part.Text = Trim(rest.substr(0, comma));
        const std::string_view number = FirstNumberText(part.Text);
        if (!number.empty()) {
            const NumberRead read = ReadWholeNumber(number, part.Value);
            if (read != NumberRead::Finite)
                return Fail(ConversionFailure(ConversionNotFinite, lines_.Number(), std::string(number).c_str(),
                                              Station().c_str()));
            part.HasNumber = true;
        }
        parts.push_back(part);
        if (comma == std::string_view::npos)
            return true;
        rest.remove_prefix(comma + 1);
    }
}

bool GeometryParser::Count(std::string_view key, long long& count)
{
    std::vector<KeyPart> parts;
    if (!KeyParts(lines_.Text().substr(key.size()), parts))
        return false;
    const double value = parts.front().Value;
    // Counts beyond any file's size read as the largest count (of either sign), which no file holds.
    constexpr double Largest = 9e18;
    count = static_cast<long long>(std::clamp(value, -Largest, Largest));
    return true;
}

bool GeometryParser::ReadFields(std::size_t width, long long count, long long perItem, const char* what, int keyLine,
                                std::vector<double>& values, std::vector<int>* lines)
{
    const long long wanted = count * perItem;
    values.clear();
    if (lines)
        lines->clear();
    const auto notHeld = [&] {
        return Fail(ConversionFailure(ConversionCountNotHeld, Station().c_str(), count, what, keyLine,
                                      static_cast<long long>(values.size()) / perItem));
    };
    while (static_cast<long long>(values.size()) < wanted) {
        if (!lines_.Next()) {
            if (lines_.Failed())
                return Fail(ConversionFailure(ConversionReadFailed, lines_.Number()));
            return notHeld();
        }
        std::string_view text = lines_.Text();
        while (!text.empty() && IsBlank(text.back()))
            text.remove_suffix(1);
        // A line that is not made of numbers ends the block: a record or key line, or a gap.
        if (text.empty() || text.find('=') != std::string_view::npos)
            return notHeld();
        for (std::size_t at = 0; at < text.size(); at += width) {
            const std::string_view field = text.substr(at, width);
            const std::string_view number = Trim(field);
            double value = 0.0;
            if (!number.empty()) {
                const NumberRead read = ReadWholeNumber(number, value);
                if (read == NumberRead::NotANumber)
                    return Fail(ConversionFailure(ConversionNotANumber, lines_.Number(), std::string(number).c_str(),
                                                  Station().c_str()));
                if (read == NumberRead::NotFinite)
                    return Fail(ConversionFailure(ConversionNotFinite, lines_.Number(), std::string(number).c_str(),
                                                  Station().c_str()));
            }
            if (static_cast<long long>(values.size()) == wanted)
                return Fail(ConversionFailure(ConversionTooManyValues, Station().c_str(), count, what, keyLine,
                                              lines_.Number()));
            values.push_back(value);
            if (lines)
                lines->push_back(lines_.Number());
        }
    }
    return true;
}

int GeometryParser::CurrentReach()
{
    if (reach_ < 0) {
        data_.Reaches.push_back({});
        reach_ = 0;
        if (data_.ConvertedReach < 0 && IsChosen(data_.Reaches.back()))
            data_.ConvertedReach = reach_;
    }
    return reach_;
}

bool GeometryParser::IsChosen(const VQXHECRASReach& reach) const
{
    // The first reach of the file, or the one named.
    if (data_.ReachChoice.empty())
        return data_.Reaches.size() == 1;
    return reach.Name() == data_.ReachChoice;
}

void GeometryParser::StartReach(std::string_view rest)
{
    // Two names of 16 characters with a comma between them (a shorter line: split at its comma).
    const std::size_t comma = rest.size() > ReachNameWidth && rest[ReachNameWidth] == ',' ? ReachNameWidth : rest.find(',');
    VQXHECRASReach reach;
    reach.River = std::string(Trim(rest.substr(0, comma)));
    reach.Reach = comma == std::string_view::npos ? std::string() : std::string(Trim(rest.substr(comma + 1)));
    reach.Line = lines_.Number();
    data_.Reaches.push_back(reach);
    reach_ = static_cast<int>(data_.Reaches.size()) - 1;
    if (data_.ConvertedReach < 0 && IsChosen(data_.Reaches.back()))
        data_.ConvertedReach = reach_;
}

bool GeometryParser::StartRecord(std::string_view rest)
{
    std::vector<KeyPart> parts;
    if (!KeyParts(rest, parts))
        return false;
    parts.resize(std::max<std::size_t>(parts.size(), 5));
    const double type = parts[0].Value;
    const std::string riverStation(parts[1].Text);
    const int reach = CurrentReach();
    if (type != CrossSectionType) {
        data_.Structures.push_back({static_cast<int>(type), riverStation, lines_.Number(), reach});
        return true;
    }
    section_ = PendingSection{};
    section_.Open = true;
    section_.Line = lines_.Number();
    section_.RiverStation = riverStation;
    section_.RiverStationValue = parts[1].Value;
    for (int k = 0; k < 3; ++k)
        section_.Lengths[k] = parts[static_cast<std::size_t>(k) + 2].Value;
    return true;
}

bool GeometryParser::ReadCutLine()
{
    const int keyLine = lines_.Number();
    long long count = 0;
    if (!Count(CutLineKey, count))
        return false;
    if (count < 0)
        return Fail(ConversionFailure(ConversionBadCount, Station().c_str(), count, "cut-line points", keyLine));
    std::vector<double> values;
    if (count > 0 && !ReadFields(CutLineFieldWidth, count, CutLineValues, "cut-line points", keyLine, values, nullptr))
        return false;
    section_.CutLine.clear();
    for (std::size_t k = 0; k + 1 < values.size(); k += 2)
        section_.CutLine.push_back({values[k], values[k + 1]});
    return true;
}

bool GeometryParser::ReadPoints()
{
    const int keyLine = lines_.Number();
    long long count = 0;
    if (!Count(PointsKey, count))
        return false;
    if (count < 0)
        return Fail(ConversionFailure(ConversionBadCount, Station().c_str(), count, "station/elevation points", keyLine));
    if (count > SectionMaxPoints)
        return Fail(ConversionFailure(ConversionTooManyPoints, Station().c_str(), count, keyLine, SectionMaxPoints));
    std::vector<double> values;
    std::vector<int> valueLines;
    if (!ReadFields(SectionFieldWidth, count, PointValues, "station/elevation points", keyLine, values, &valueLines))
        return false;
    section_.HasPoints = true;
    section_.PointsLine = keyLine;
    section_.Points.clear();
    for (std::size_t k = 0; k + 1 < values.size(); k += 2) {
        if (!section_.Points.empty() && values[k] < section_.Points.back().Station)
            return Fail(ConversionFailure(ConversionStationsGoBack, Station().c_str(), values[k], valueLines[k],
                                          section_.Points.back().Station));
        section_.Points.push_back({values[k], values[k + 1]});
    }
    return true;
}

bool GeometryParser::ReadManning()
{
    const int keyLine = lines_.Number();
    long long count = 0;
    if (!Count(ManningKey, count))
        return false;
    if (count < 0)
        return Fail(ConversionFailure(ConversionBadCount, Station().c_str(), count, "Manning's n values", keyLine));
    std::vector<double> values;
    std::vector<int> valueLines;
    if (!ReadFields(SectionFieldWidth, count, ManningValues, "Manning's n values", keyLine, values, &valueLines))
        return false;
    section_.HasManning = true;
    section_.ManningLine = keyLine;
    section_.ManningStations.clear();
    section_.ManningValuesRead.clear();
    section_.ManningValueLines.clear();
    for (std::size_t k = 0; k + 2 < values.size(); k += 3) {
        const double station = values[k];
        const double n = values[k + 1];
        if (!section_.ManningStations.empty() && station < section_.ManningStations.back())
            return Fail(ConversionFailure(ConversionStationsGoBack, Station().c_str(), station, valueLines[k],
                                          section_.ManningStations.back()));
        if (!(n > 0))
            return Fail(ConversionFailure(ConversionRoughnessNotPositive, Station().c_str(), n, valueLines[k + 1]));
        section_.ManningStations.push_back(station);
        section_.ManningValuesRead.push_back(n);
        section_.ManningValueLines.push_back(valueLines[k]);
    }
    return true;
}

bool GeometryParser::ReadBanks(std::string_view rest)
{
    std::vector<KeyPart> parts;
    if (!KeyParts(rest, parts))
        return false;
    parts.resize(std::max<std::size_t>(parts.size(), 2));
    section_.HasBanks = parts[0].HasNumber && parts[1].HasNumber;
    section_.BankLine = lines_.Number();
    section_.Banks[0] = parts[0].Value;
    section_.Banks[1] = parts[1].Value;
    return true;
}

bool GeometryParser::FinishSection()
{
    if (!section_.Open)
        return true;
    PendingSection s = std::move(section_);
    section_ = PendingSection{};
    const std::string station = StationName(s.RiverStation);
    if (!s.HasPoints || s.Points.empty())
        return Fail(ConversionFailure(ConversionNoPoints, station.c_str(), s.Line));
    if (s.Points.size() < 2)
        return Fail(ConversionFailure(ConversionTooFewPoints, station.c_str(), s.Line));
    if (!s.HasManning || s.ManningStations.empty())
        return Fail(ConversionFailure(ConversionNoRoughness, station.c_str(), s.Line));

    // The banks: "Bank Sta=", else the second and third triplets of a three-value n table.
    double banks[2] = {s.Banks[0], s.Banks[1]};
    int bankLine = s.BankLine;
    if (!s.HasBanks) {
        if (static_cast<long long>(s.ManningStations.size()) != BankTripletCount)
            return Fail(ConversionFailure(ConversionNoBanks, station.c_str(), s.Line));
        banks[0] = s.ManningStations[1];
        banks[1] = s.ManningStations[2];
        bankLine = s.ManningValueLines[1];
    }
    const double first = s.Points.front().Station;
    const double last = s.Points.back().Station;
    for (int side = 0; side < 2; ++side)
        if (banks[side] < first || banks[side] > last)
            return Fail(ConversionFailure(ConversionBankOutside, station.c_str(), side == 0 ? "left" : "right",
                                          banks[side], bankLine, first, last));
    if (!(banks[0] < banks[1]))
        return Fail(ConversionFailure(ConversionBanksReversed, station.c_str(), banks[0], bankLine, banks[1]));

    // A bank between two points gets a point of its own on the line between them.
    for (double bank : banks) {
        const auto after = std::find_if(s.Points.begin(), s.Points.end(),
                                        [bank](const VQXSectionPoint& p) { return p.Station >= bank; });
        if (after->Station == bank)
            continue;
        const VQXSectionPoint& left = *(after - 1);
        const double t = (bank - left.Station) / (after->Station - left.Station);
        const double elevation = left.Elevation + t * (after->Elevation - left.Elevation);
        s.Points.insert(after, {bank, elevation});
    }
    if (s.Points.size() > static_cast<std::size_t>(SectionMaxPoints))
        return Fail(ConversionFailure(ConversionTooManyPoints, station.c_str(), static_cast<long long>(s.Points.size()),
                                      s.PointsLine, SectionMaxPoints));

    const int reach = CurrentReach();
    ++data_.Reaches[static_cast<std::size_t>(reach)].SectionCount;
    if (reach != data_.ConvertedReach)
        return true;

    auto node = std::make_unique<VQXHECRASNode>();
    node->Number = static_cast<int>(data_.NodeVector.size()) + 1;
    node->RiverStation = s.RiverStationValue;
    node->RiverStationText = s.RiverStation;
    node->SourceLine = s.Line;
    node->LeftReachLength = s.Lengths[0];
    node->ChannelReachLength = s.Lengths[1];
    node->RightReachLength = s.Lengths[2];
    node->LeftN = MeanRoughness(s.ManningStations, s.ManningValuesRead, first, banks[0]);
    node->ChannelN = MeanRoughness(s.ManningStations, s.ManningValuesRead, banks[0], banks[1]);
    node->RightN = MeanRoughness(s.ManningStations, s.ManningValuesRead, banks[1], last);
    node->CutLine = std::move(s.CutLine);
    node->CrossSection = std::make_unique<VQXCrossSection>();
    node->CrossSection->Points = std::move(s.Points);
    node->CrossSection->LeftBankStation = banks[0];
    node->CrossSection->RightBankStation = banks[1];
    data_.NodeVector.push_back(std::move(node));
    return true;
}

VQXConversionResult GeometryParser::Run()
{
    data_.NodeVector.clear();
    data_.Reaches.clear();
    data_.Structures.clear();
    data_.Junctions.clear();
    data_.ConvertedReach = -1;

    while (lines_.Next()) {
        const std::string_view text = lines_.Text();
        if (StartsWith(text, ReachKey)) {
            if (!FinishSection())
                return failure_;
            StartReach(text.substr(ReachKey.size()));
        } else if (StartsWith(text, JunctionKey)) {
            if (!FinishSection())
                return failure_;
            data_.Junctions.push_back({std::string(Trim(text.substr(JunctionKey.size()))), lines_.Number()});
        } else if (StartsWith(text, SectionKey)) {
            if (!FinishSection() || !StartRecord(text.substr(SectionKey.size())))
                return failure_;
        } else if (!section_.Open) {
            continue;
        } else if (StartsWith(text, CutLineKey)) {
            if (!ReadCutLine())
                return failure_;
        } else if (StartsWith(text, PointsKey)) {
            if (!ReadPoints())
                return failure_;
        } else if (StartsWith(text, ManningKey)) {
            if (!ReadManning())
                return failure_;
        } else if (StartsWith(text, BankKey)) {
            if (!ReadBanks(text.substr(BankKey.size())))
                return failure_;
        }
    }
    if (lines_.Failed())
        return ConversionFailure(ConversionReadFailed, lines_.Number());
    if (!FinishSection())
        return failure_;

    int sections = 0;
    for (const VQXHECRASReach& r : data_.Reaches)
        sections += r.SectionCount;
    if (sections == 0)
        return ConversionFailure(ConversionNoSections);
    if (data_.ConvertedReach < 0) {
        std::string names;
        for (const VQXHECRASReach& r : data_.Reaches)
            names += (names.empty() ? "" : ", ") + r.Label();
        return ConversionFailure(ConversionNoSuchReach, data_.ReachChoice.c_str(), names.c_str());
    }
    const VQXHECRASReach& chosen = data_.Reaches[static_cast<std::size_t>(data_.ConvertedReach)];
    if (chosen.SectionCount < 2)
        return ConversionFailure(ConversionTooFewSections, chosen.Label().c_str(), chosen.SectionCount,
                                 chosen.SectionCount == 1 ? "" : "s");
    return {};
}

}  // namespace

std::string VQXHECRASReach::Name() const
{
    return River + "," + Reach;
}

std::string VQXHECRASReach::Label() const
{
    return River.empty() && Reach.empty() ? "(unnamed)" : "\"" + Name() + "\"";
}

VQXConversionResult VQXHECRASConverter::ParseGeometry(std::istream& input)
{
    GeometryParser parser(Data, input);
    VQXConversionResult result = parser.Run();
    if (!result.Ok())
        Data.NodeVector.clear();
    return result;
}

VQXConversionResult VQXHECRASConverter::ParseGeometry(const std::filesystem::path& path)
{
    // Only a regular file is read (through any links): a folder reads as nothing and a FIFO
    // would wait for a writer.
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::canonical(path, ec);
    if (ec)
        return ConversionFailure(ConversionCannotOpen, path.string().c_str(),
                                 ec == std::errc::no_such_file_or_directory ? "there is no such file"
                                                                            : ec.message().c_str());
    if (const char* kind = DescribeFileAt(target); std::strcmp(kind, "a regular file") != 0)
        return ConversionFailure(ConversionCannotOpen, path.string().c_str(), (std::string("it is ") + kind).c_str());
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int cause = errno;
        return ConversionFailure(ConversionCannotOpen, path.string().c_str(), std::strerror(cause));
    }
    return ParseGeometry(in);
}

}  // namespace VQXHECRASDataLib
