// The conversion's data set: the parsed nodes readied for the model file, and the notes of
// what was converted.
#include "datalib/HECRASData.h"

#include <cmath>

#include "datalib/HECRASMessages.h"
#include "datalib/TextFormat.h"

namespace VQXHECRASDataLib {

using VQXGeometryDataLib::SectionMaxLevels;
using VQXGeometryDataLib::SectionMinLevels;
using VQXGeometryDataLib::VQXCrossSection;
using VQXGeometryDataLib::VQXSectionError;

namespace {

// Stations are written in fixed notation with this many decimals (km or mi): nodes closer than
// its last digit would share one station.
constexpr double StationResolution = 1e-6;
// The sinuosity of every level.
constexpr double Sinuosity = 1.0;
// Station units by the length units per station unit.
constexpr double FeetPerMile = 5280.0;

const char* StationUnitName(double distanceFactor)
{
    return distanceFactor == FeetPerMile ? "mile" : "kilometre";
}

std::string Count(std::size_t n, const char* one, const char* many)
{
    std::string text;
    VQXTextFormat::AppendInt(text, static_cast<long long>(n));
    return text + " " + (n == 1 ? one : many);
}

}  // namespace

VQXHECRASNode& VQXHECRASDataSet::Node(std::size_t i) const
{
    return static_cast<VQXHECRASNode&>(*NodeVector[i]);
}

VQXConversionResult VQXHECRASDataSet::CheckSettings() const
{
    if (!(InitialDepth > 0) || !std::isfinite(InitialDepth))
        return ConversionFailure(ConversionDepthNotPositive);
    if (!std::isfinite(InitialDischarge))
        return ConversionFailure(ConversionDischargeNotFinite);
    if (PropertyLevels < SectionMinLevels || PropertyLevels > SectionMaxLevels)
        return ConversionFailure(ConversionBadLevels, PropertyLevels);
    if (!(DistanceFactor > 0) || !std::isfinite(DistanceFactor))
        return ConversionFailure(ConversionBadDistanceFactor, DistanceFactor);
    return {};
}

VQXConversionResult VQXHECRASDataSet::PrepareNodes()
{
    if (VQXConversionResult check = CheckSettings(); !check.Ok())
        return check;
    const std::size_t count = NodeVector.size();
    if (count < 2) {
        const std::string name = ConvertedReach >= 0 ? Reaches[static_cast<std::size_t>(ConvertedReach)].Label() : "(unnamed)";
        return ConversionFailure(ConversionTooFewSections, name.c_str(), static_cast<int>(count), count == 1 ? "" : "s");
    }

    // Each section: its bank points, one roughness row and one sinuosity row at its thalweg
    // (the table takes them at every level), and its property table.
    for (std::size_t i = 0; i < count; ++i) {
        VQXHECRASNode& node = Node(i);
        VQXCrossSection& section = *node.CrossSection;
        node.SectionCode = -PropertyLevels;
        section.FindBankPoints();
        const double thalweg = section.FindThalweg();
        section.RoughnessRows.clear();
        section.SinuosityRows.clear();
        section.AddRoughnessRow(thalweg, node.ChannelN, node.LeftN, node.RightN);
        section.SinuosityRows.push_back({thalweg, Sinuosity});
        const VQXSectionError built = section.BuildPropertyTable(PropertyLevels);
        if (!built.Ok()) {
            std::string why = built.Message;
            while (!why.empty() && (why.back() == '\n' || why.back() == '.'))
                why.pop_back();
            return ConversionFailure(ConversionSectionRefused, StationName(node.RiverStationText).c_str(),
                                     node.SourceLine, why.c_str());
        }
        node.Invert = thalweg;
    }

    // Stations downstream in file order, by the channel reach lengths.
    Node(0).Station = 0.0;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const VQXHECRASNode& node = Node(i);
        const double next = node.Station + node.ChannelReachLength / DistanceFactor;
        if (!(std::round(next / StationResolution) > std::round(node.Station / StationResolution)))
            return ConversionFailure(ConversionReachLengthNotPositive, StationName(node.RiverStationText).c_str(),
                                     node.SourceLine, node.ChannelReachLength, StationUnitName(DistanceFactor));
        Node(i + 1).Station = next;
    }

    // Positions: the first cut-line points, or a straight line when a section has none.
    StraightLine = false;
    for (std::size_t i = 0; i < count; ++i)
        if (Node(i).CutLine.empty())
            StraightLine = true;
    for (std::size_t i = 0; i < count; ++i) {
        VQXHECRASNode& node = Node(i);
        node.Easting = StraightLine ? node.Station * DistanceFactor : node.CutLine.front().X;
        node.Northing = StraightLine ? 0.0 : node.CutLine.front().Y;
        node.InitialStage = node.Invert + InitialDepth;
        node.InitialDischarge = InitialDischarge;
        node.HydroCode = i == 0 ? 0 : 1;
        struct Value {
            const char* what;
            double value;
        };
        for (const Value& v : {Value{"station", node.Station}, Value{"easting", node.Easting},
                               Value{"initial water surface", node.InitialStage}})
            if (!std::isfinite(v.value))
                return ConversionFailure(ConversionValueNotFinite, v.what, node.Number);
    }
    return {};
}

std::vector<std::string> VQXHECRASDataSet::ConversionNotes() const
{
    std::vector<std::string> notes;
    if (ConvertedReach < 0)
        return notes;
    const VQXHECRASReach& converted = Reaches[static_cast<std::size_t>(ConvertedReach)];
    std::string text = "Reach " + converted.Label() + ": " +
                       Count(NodeVector.size(), "cross section", "cross sections") + " converted into nodes 1 to ";
    VQXTextFormat::AppendInt(text, static_cast<long long>(NodeVector.size()));
    notes.push_back(text + ".");

    for (std::size_t r = 0; r < Reaches.size(); ++r) {
        if (static_cast<int>(r) == ConvertedReach)
            continue;
        notes.push_back("Left out: reach " + Reaches[r].Label() + " with " +
                        Count(static_cast<std::size_t>(Reaches[r].SectionCount), "cross section", "cross sections") +
                        ".");
    }
    for (const VQXHECRASJunction& j : Junctions) {
        text = "Left out: junction \"" + j.Name + "\" (line ";
        VQXTextFormat::AppendInt(text, j.Line);
        notes.push_back(text + ").");
    }
    for (const VQXHECRASStructure& s : Structures) {
        if (s.Reach != ConvertedReach)
            continue;
        text = "Left out: structure of type ";
        VQXTextFormat::AppendInt(text, s.Type);
        text += " at river station " + StationName(s.RiverStation) + " (line ";
        VQXTextFormat::AppendInt(text, s.Line);
        notes.push_back(text + ").");
    }

    if (StraightLine) {
        std::size_t without = 0;
        for (std::size_t i = 0; i < NodeVector.size(); ++i)
            if (Node(i).CutLine.empty())
                ++without;
        text = Count(without, "cross section has", "cross sections have") + " no cut line: the nodes lie on a straight "
               "line (easting = station x ";
        VQXTextFormat::AppendInt(text, std::llround(DistanceFactor));
        notes.push_back(text + ", northing 0).");
    } else {
        notes.push_back("The nodes lie at the first points of the cross sections' cut lines.");
    }
    return notes;
}

}  // namespace VQXHECRASDataLib
