// Writing a converted reach as a model file: an open-water header, the node rows with their
// cross sections, the elements between consecutive nodes, and a discharge boundary at the
// first node and a stage boundary at the last, each a hydrograph of two constant rows.
#include "datalib/HECRASData.h"

#include <cstdio>
#include <locale>
#include <ostream>
#include <sstream>

#include "datalib/HECRASMessages.h"
#include "datalib/TextFormat.h"
#include "engine/OutputTargets.h"

namespace VQXHECRASDataLib {

namespace {

// How messages name the file.
constexpr const char* ModelWhat = "model file";
// Decimals of the node rows' fixed-notation columns.
constexpr int RowDecimals = 6;
// Significant digits of the default notation.
constexpr int DefaultPrecision = 6;
// The last time of the two rows of each boundary hydrograph, h.
constexpr int LastHydrographHour = 100000;
// A node row and its section are written to the file in pieces of about this size.
constexpr std::size_t FlushSize = 1 << 16;

constexpr const char* MetricColumns =
    "\tNode #\tHECRAS RS\tsection code\treach #\teasting (m)\tnorthing (m)\tx (km)\t invert (m)\tnRect\tBws (m)"
    "\thydro code\tWSE (m)\tQ (cms)";
constexpr const char* ImperialColumns =
    "\tNode #\tHECRAS RS\tsection code\treach #\teasting (ft)\tnorthing (ft)\tx (mi)\t invert (ft)\tnRect\tBws (ft)"
    "\thydro code\tWSE (ft)\tQ (cfs)";

// The stream in the C locale with the default notation while it lives; its own state after.
class DefaultNotation {
public:
    explicit DefaultNotation(std::ostream& out)
        : out_(out), locale_(out.imbue(std::locale::classic())), flags_(out.flags()), precision_(out.precision())
    {
        out.flags(std::ios::dec | std::ios::skipws);
        out.precision(DefaultPrecision);
    }
    ~DefaultNotation()
    {
        out_.flags(flags_);
        out_.precision(precision_);
        out_.imbue(locale_);
    }
    DefaultNotation(const DefaultNotation&) = delete;
    DefaultNotation& operator=(const DefaultNotation&) = delete;

private:
    std::ostream& out_;
    std::locale locale_;
    std::ios::fmtflags flags_;
    std::streamsize precision_;
};

void WriteFixed(std::ostream& out, double value)
{
    std::string text;
    VQXTextFormat::AppendFixed(text, value, RowDecimals);
    out << '\t' << text;
}

// Writes text to the stream and empties it; false when the stream fails.
bool Flush(std::ostringstream& text, std::FILE* stream)
{
    const std::string bytes = text.str();
    text.str(std::string());
    return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
}

}  // namespace

void VQXHECRASConverter::WriteHeader(std::ostream& out, const VQXStartDate& start) const
{
    DefaultNotation notation(out);
    const std::size_t n = Data.NodeVector.size();
    char when[96];
    std::snprintf(when, sizeof when, "%d %02d %02d %02d %02d %02d", start[0], start[1], start[2], start[3], start[4],
                  start[5]);
    out << " File Type = 0\n Delta t = 3600\n Max Delta t = 3600\n Model Time = 0\n"
        << " Simulation Start DateTime (YYYY MM DD HH MM SS) = " << when << "\n\n"
        << " Number of Nodes = " << n << "\n Number of Elements = " << (n > 0 ? n - 1 : 0)
        << "\n Number of Boundary Elements = 2\n Number of Junctions = 0\n System of units = " << Data.UnitSystem
        << "\n\n"
        << " Hydrodynamics Upwinding Coefficient = 0.5\n Hydrodynamics Upwinding Updating = 0\n"
           " Hydrodynamics Theta = 0.5\n Hydrodynamics Tolerance = 0.00001\n Hydrodynamics Formulation = 1\n"
           " Hydrodynamics Alpha = 0.5\n\n"
        << " Water Temperature (deg C) = 4\n\n\tNode Information\n\n"
        << (Data.UnitSystem == 0 ? ImperialColumns : MetricColumns) << "\n\n";
}

void VQXHECRASConverter::WriteNode(std::ostream& out, const VQXHECRASNode& node) const
{
    DefaultNotation notation(out);
    out << '\t' << node.Number;
    WriteFixed(out, node.RiverStation);
    out << '\t' << node.SectionCode << '\t' << node.Reach;
    for (double v : {node.Easting, node.Northing, node.Station, node.Invert, 0.0, node.Width})
        WriteFixed(out, v);
    out << '\t' << node.HydroCode << '\t' << node.InitialStage << '\t' << node.InitialDischarge << '\n';
    if (node.CrossSection)
        node.CrossSection->WriteAsModelText(out);
}

void VQXHECRASConverter::WriteElements(std::ostream& out) const
{
    DefaultNotation notation(out);
    const std::size_t n = Data.NodeVector.size();
    out << "\n\tElement Information\n\n\tElement #\tNode one\tNode two\tElement Codes\n\n";
    for (std::size_t i = 1; i < n; ++i)
        out << '\t' << i << '\t' << i << '\t' << i + 1 << "\t0\t0\t0\t0\t0\n";
    out << "\n \tBoundary Element Information \n\n \tBoundary Element #\tNode #\tBoundary condition codes\n\n";
    if (n == 0)
        return;
    // Upstream (position -1, stage code 0, discharge code 1): a discharge hydrograph.
    const VQXHECRASNode& first = Data.Node(0);
    out << "\t1\t" << first.Number << "\t-1\t0\t1\t2\n\t0\t" << first.InitialDischarge << "\n\t" << LastHydrographHour
        << '\t' << first.InitialDischarge << "\n\n\n";
    // Downstream (position 1, stage code 1, discharge code 0): a stage hydrograph.
    const VQXHECRASNode& last = Data.Node(n - 1);
    out << "\t2\t" << last.Number << "\t1\t1\t0\t2\n\t0\t" << last.InitialStage << "\n\t" << LastHydrographHour << '\t'
        << last.InitialStage << "\n\n\n";
}

VQXConversionResult VQXHECRASDataSet::WriteConvertedModel(const std::filesystem::path& path, const VQXStartDate& start)
{
    if (NodeVector.size() < 2)
        return ConversionFailure(ConversionNotPrepared);
    for (std::size_t i = 0; i < NodeVector.size(); ++i) {
        const VQXHECRASNode& node = Node(i);
        if (!node.CrossSection || node.SectionCode == 0 || node.CrossSection->PropertyRows.empty())
            return ConversionFailure(ConversionNotPrepared);
    }
    std::string message;
    if (CheckOutputTarget(path, ModelWhat, &message) != TargetOk)
        return ConversionFailure(ConversionTargetRefused, message.c_str());
    std::filesystem::path temporary;
    std::FILE* stream = CreateTemporaryFor(path, &temporary, ModelWhat, &message);
    if (!stream)
        return ConversionFailure(ConversionCannotWrite, message.c_str());

    const VQXHECRASConverter converter(*this);
    std::ostringstream text;
    converter.WriteHeader(text, start);
    bool written = true;
    for (std::size_t i = 0; i < NodeVector.size() && written; ++i) {
        converter.WriteNode(text, Node(i));
        if (text.tellp() > static_cast<std::streamoff>(FlushSize))
            written = Flush(text, stream);
    }
    if (written) {
        converter.WriteElements(text);
        written = Flush(text, stream) && std::fflush(stream) == 0 && !std::ferror(stream);
    }
    if (std::fclose(stream) != 0)
        written = false;
    if (!written) {
        RemoveTemporary(temporary);
        return ConversionFailure(ConversionCannotWrite,
                                 (std::string("cannot write the ") + ModelWhat + " '" + path.string() + "'").c_str());
    }
    if (ReplaceWithTemporary(temporary, path, ModelWhat, &message) != TargetOk)
        return ConversionFailure(ConversionCannotWrite, message.c_str());
    return {};
}

}  // namespace VQXHECRASDataLib
