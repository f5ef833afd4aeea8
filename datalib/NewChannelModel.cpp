// The model file of a new trapezoidal channel, and the header of a new model, written line by
// line in the layout the model reader takes (labels carry no digits; the reader reads the
// numbers by position).
#include "datalib/NewChannelModel.h"

#include "engine/OutputTargets.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <initializer_list>
#include <system_error>

namespace {

// How the messages name the file.
constexpr const char* FileWhat = "new model file";

// Section code of every node: a cross-section property table of 100 levels.
constexpr int SectionCode = -100;
constexpr double MetresPerKilometre = 1000.0;
// The last time of the two rows of each boundary hydrograph, h.
constexpr int LastHydrographHour = 100000;

// Appends v in fixed notation with three decimals ("0.025", "0.000"), whatever the locale.
void AppendFixed(std::string& text, double v)
{
    char buffer[400];  // the largest finite double takes 309 digits before the point
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 3);
    text.append(buffer, r.ec == std::errc() ? r.ptr : buffer);
}

void AppendInt(std::string& text, long long v)
{
    char buffer[24];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, v);
    text.append(buffer, r.ptr);
}

// Appends "\t" and each value in fixed notation.
void AppendTabbed(std::string& text, std::initializer_list<double> values)
{
    for (double v : values) {
        text += '\t';
        AppendFixed(text, v);
    }
}

// The values every line is made of, derived once from the shape.
struct Channel {
    NewChannelShape Shape;
    double Depth = 0.0;         // d = Wo - Zo, m
    double SpacingMetres = 0.0;  // dm = 1000 dx
    double BedSlope = 0.0;      // S0 = (Zi - Zo) / ((N - 1) dm)
    double SurfaceWidth = 0.0;  // Bws = B + 2 s d
    double TopWidth = 0.0;      // T = B + 2 s H
    double SideRun = 0.0;       // sH = s H

    explicit Channel(const NewChannelShape& shape) : Shape(shape)
    {
        const NewChannelShape& c = Shape;
        Depth = c.OutflowStage - c.OutflowInvert;
        SpacingMetres = MetresPerKilometre * c.Spacing;
        BedSlope = (c.InflowInvert - c.OutflowInvert) / ((c.NodeCount - 1) * SpacingMetres);
        SurfaceWidth = c.BottomWidth + 2 * c.SideSlope * Depth;
        TopWidth = c.BottomWidth + 2 * c.SideSlope * c.BankHeight;
        SideRun = c.SideSlope * c.BankHeight;
    }

    double Bed(int i) const { return Shape.InflowInvert - SpacingMetres * i * BedSlope; }

    // True when every number of the file is finite: the values that grow along the river
    // are largest at the last node.
    bool Finite() const
    {
        const NewChannelShape& c = Shape;
        const int last = c.NodeCount - 1;
        for (double v : {c.BottomWidth, c.BankHeight, c.SideSlope, c.InflowInvert, c.OutflowInvert, c.Roughness,
                         c.Spacing, c.InflowDischarge, c.OutflowStage, Depth, SpacingMetres, BedSlope, SurfaceWidth,
                         TopWidth, SideRun, SideRun + c.BottomWidth, MetresPerKilometre * last * c.Spacing, last * c.Spacing})
            if (!std::isfinite(v)) return false;
        for (int i : {0, last}) {
            const double z = Bed(i);
            if (!std::isfinite(z) || !std::isfinite(z + Depth) || !std::isfinite(z + c.BankHeight)) return false;
        }
        return true;
    }
};

}  // namespace

void AppendNewModelHeader(std::string& text, int unitSystem, int nodes, int elements, int boundaryElements,
                          const CalendarDate& date)
{
    text += " File Type = 0\n Delta t = 3600\n Max Delta t = 3600\n Model Time = 0\n";
    text += " Simulation Start DateTime (YYYY MM DD HH MM SS) = ";
    char when[96];
    std::snprintf(when, sizeof when, "%d %02d %02d %02d %02d %02d", date[0], date[1], date[2], date[3], date[4],
                  date[5]);
    text += when;
    text += "\n\n Number of Nodes = ";
    AppendInt(text, nodes);
    text += "\n Number of Elements = ";
    AppendInt(text, elements);
    text += "\n Number of Boundary Elements = ";
    AppendInt(text, boundaryElements);
    text += "\n Number of Junctions = 0\n System of units = ";
    AppendInt(text, unitSystem);
    text += "\n\n";
    text += " Hydrodynamics Upwinding Coefficient = 0.5\n Hydrodynamics Upwinding Updating = 0\n"
            " Hydrodynamics Theta = 0.5\n Hydrodynamics Tolerance = 0.00001\n Hydrodynamics Formulation = 1\n"
            " Hydrodynamics Alpha = 0.5\n\n";
    text += " Water Temperature (deg C) = 4\n\n\tNode Information\n\n";
}

namespace {

// The heading of the node table of a new channel.
void AppendNodeHeading(std::string& text)
{
    text += "\n \tNode #\tHECRAS RS\tsection code\treach #\teasting(m)\tnorthing(m)\tx(km)\t invert(m)\tnRect\tBws(m)"
            "\thydro code\tWSE(m)\tQ(cms)\n";
}

// Node i (from 0) and its cross section: banks at stations 0 and T, the bed B wide between
// the toes of the side slopes, one roughness row and one sinuosity row.
void FormatNode(std::string& text, const Channel& channel, int i)
{
    const NewChannelShape& c = channel.Shape;
    const double z = channel.Bed(i);
    const int hydroCode = i == 0 || i == c.NodeCount - 1 ? 0 : 1;
    text += '\t';
    AppendInt(text, i + 1);
    AppendTabbed(text, {0.0});
    text += '\t';
    AppendInt(text, SectionCode);
    text += "\t1";
    AppendTabbed(text, {MetresPerKilometre * i * c.Spacing, 0.0, i * c.Spacing, z, 0.0, channel.SurfaceWidth});
    text += '\t';
    AppendInt(text, hydroCode);
    AppendTabbed(text, {z + channel.Depth, c.InflowDischarge});
    text += "\n\t4";
    AppendTabbed(text, {0.0, channel.TopWidth});
    text += '\n';
    AppendTabbed(text, {0.0, z + c.BankHeight, channel.SideRun, z, channel.SideRun + c.BottomWidth, z,
                        channel.TopWidth, z + c.BankHeight});
    text += "\n\t1";
    AppendTabbed(text, {z, c.Roughness, c.Roughness, c.Roughness});
    text += "\n\t1";
    AppendTabbed(text, {z});
    text += "\t1\n\n\n";
}

// Boundary element `number` at `node` with its position and codes, and a hydrograph of two
// rows, from 0 h to the last hour, constant at value.
void FormatBoundary(std::string& text, int number, int node, const char* codes, double value)
{
    text += '\t';
    AppendInt(text, number);
    text += '\t';
    AppendInt(text, node);
    text += codes;
    text += "\t2\n\t0";
    AppendTabbed(text, {value});
    text += "\n\t";
    AppendInt(text, LastHydrographHour);
    AppendTabbed(text, {value});
    text += "\n\n\n";
}

void FormatElementsAndBoundaries(std::string& text, const Channel& channel)
{
    const int n = channel.Shape.NodeCount;
    text += "\nElement Information\n\n\tElement #\tNode one\tNode two\tElement Codes\n\n";
    for (int e = 1; e < n; ++e) {
        text += '\t';
        AppendInt(text, e);
        text += '\t';
        AppendInt(text, e);
        text += '\t';
        AppendInt(text, e + 1);
        text += "\t0\t0\t0\t0\t0\n";
    }
    text += "\n \tBoundary Element Information \n";
    text += "\n \tBoundary Element #\tNode #\tBoundary condition codes\n\n";
    // Upstream (position -1, stage code 0, discharge code 1): a discharge hydrograph constant at Q.
    FormatBoundary(text, 1, 1, "\t-1\t0\t1", channel.Shape.InflowDischarge);
    // Downstream (position 1, stage code 1, discharge code 0): a stage hydrograph constant at Wo.
    FormatBoundary(text, 2, n, "\t1\t1\t0", channel.Shape.OutflowStage);
}

// Writes text to the stream and empties it; false when the stream fails.
bool Flush(std::string& text, std::FILE* stream)
{
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    text.clear();
    return written;
}

}  // namespace

CalendarDate LocalDateNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

int CheckNewChannelShape(const NewChannelShape& shape)
{
    if (shape.NodeCount < 2) return NewChannelTooFewNodes;
    if (!(shape.Spacing > 0)) return NewChannelSpacingNotPositive;
    return NewChannelOk;
}

int WriteNewChannelModel(std::FILE* stream, const NewChannelShape& shape, const CalendarDate& date)
{
    if (const int check = CheckNewChannelShape(shape); check != NewChannelOk) return check;
    const Channel channel(shape);
    if (!channel.Finite()) return NewChannelNotFinite;
    if (!stream) return NewChannelCannotWrite;

    // A long river is written a node at a time.
    std::string text;
    AppendNewModelHeader(text, 1, shape.NodeCount, shape.NodeCount - 1, 2, date);
    AppendNodeHeading(text);
    for (int i = 0; i < shape.NodeCount; ++i) {
        FormatNode(text, channel, i);
        if (text.size() > 60000 && !Flush(text, stream)) return NewChannelCannotWrite;
    }
    FormatElementsAndBoundaries(text, channel);
    if (!Flush(text, stream) || std::fflush(stream) != 0 || std::ferror(stream)) return NewChannelCannotWrite;
    return NewChannelOk;
}

int SaveNewChannelModel(const std::filesystem::path& path, const NewChannelShape& shape, const CalendarDate& date,
                        std::string* reason)
{
    if (CheckOutputTarget(path, FileWhat, reason) != TargetOk) return NewChannelCannotWrite;
    std::filesystem::path temporary;
    std::FILE* stream = CreateTemporaryFor(path, &temporary, FileWhat, reason);
    if (!stream) return NewChannelCannotWrite;
    int code = WriteNewChannelModel(stream, shape, date);
    if (std::fclose(stream) != 0 && code == NewChannelOk) code = NewChannelCannotWrite;
    if (code != NewChannelOk) {
        RemoveTemporary(temporary);
        if (code == NewChannelCannotWrite && reason)
            *reason = std::string("cannot write the ") + FileWhat + " '" + path.string() + "'";
        return code;
    }
    if (ReplaceWithTemporary(temporary, path, FileWhat, reason) != TargetOk) return NewChannelCannotWrite;
    return NewChannelOk;
}
