#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "datalib/DisplayNode.h"
#include "datalib/TimeSeries.h"

using namespace VQXDisplayLib;

namespace {

std::string SeriesLabel(int variable, int units)
{
    char buffer[80];
    std::strcpy(buffer, "untouched");
    FormatSeriesVariableLabel(variable, buffer, units);
    return buffer;
}

std::string PlotLabel(int variable, int units)
{
    char buffer[80];
    std::strcpy(buffer, "untouched");
    VQXDisplayNode::FormatPlotVariableLabel(variable, buffer, units);
    return buffer;
}

std::string ColumnTitle(int column, int metric)
{
    char buffer[80];
    std::strcpy(buffer, "untouched");
    VQXDisplayNode::FormatColumnTitle(column, buffer, metric);
    return buffer;
}

const std::string DegC = "\xB0" "C";
const std::string Sq2 = "\xB2";

// The name of a variable and its labels for units 1 (metric), 0 (imperial), 2 (any other)
// and -1 (bare).
struct LabelRow {
    const char* name;
    std::string metric, imperial, other, bare;
};

LabelRow WithUnit(const char* name, const char* metric, const char* imperial)
{
    return {name, std::string(name) + " (" + metric + ")", std::string(name) + " (" + imperial + ")", name, name};
}

LabelRow Fixed(const char* name, const std::string& label) { return {name, label, label, label, name}; }

LabelRow Bare(const char* name) { return {name, name, name, name, name}; }

// The variables a time-series entry and a display node both carry, in the order of both tables.
std::vector<LabelRow> ResultVariableRows()
{
    return {
        WithUnit("Water Surface Elevation", "m", "ft"),
        WithUnit("Discharge", "cms", "cfs"),
        WithUnit("Water Velocity", "m/s", "ft/s"),
        WithUnit("Solid Ice Thickness", "m", "ft"),
        WithUnit("Ice Velocity", "m/s", "ft/s"),
        Fixed("Surface Ice Concentration", "Ice Concentration (%)"),
        Fixed("Water Temperature", "Water Temperature (" + DegC + ")"),
        Fixed("Suspended Frazil Concentration", "Frazil Concentration (%)"),
        WithUnit("Anchor Ice Thickness", "m", "ft"),
        WithUnit("Frazil Slush Thickness", "m", "ft"),
        Bare("Border Ice Fraction"),
        WithUnit("Border Ice Width", "m", "ft"),
        Fixed("Air Temperature", "Air Temperature (" + DegC + ")"),
        WithUnit("Depth of Flow (Dw)", "m", "ft"),
    };
}

void AppendWaterQualityRows(std::vector<LabelRow>& rows)
{
    const char* names[12] = {"DO", "NH3", "NO3", "BOD", "OP", "PP", "Cdw", "Caw", "Css", "Cds", "Cas", "Ms"};
    for (int k = 0; k < 12; ++k)
        rows.push_back(Fixed(names[k], std::string(names[k]) + (k < 9 ? " (mg/L)" : " (g/m" + Sq2 + ")")));
}

// Every row's variable by index: its name, the index found by that name, and its labels.
template <typename NameOf, typename Find, typename LabelOf>
void ExpectNamesAndLabels(const std::vector<LabelRow>& rows, NameOf nameOf, Find find, LabelOf labelOf)
{
    for (int v = 0; v < static_cast<int>(rows.size()); ++v) {
        const LabelRow& r = rows[static_cast<std::size_t>(v)];
        EXPECT_STREQ(nameOf(v), r.name);
        EXPECT_EQ(find(r.name), v) << r.name;
        EXPECT_EQ(labelOf(v, 1), r.metric) << v;
        EXPECT_EQ(labelOf(v, 0), r.imperial) << v;
        EXPECT_EQ(labelOf(v, 2), r.other) << v;
        EXPECT_EQ(labelOf(v, -1), r.bare) << v;
    }
}

}  // namespace

static_assert(sizeof(VQXTimeSeriesEntry) == 232);
static_assert(offsetof(VQXTimeSeriesEntry, SolarRadiation) == 16 * sizeof(double));
static_assert(offsetof(VQXTimeSeriesEntry, WQValues) == 17 * sizeof(double));

TEST(SeriesVariables, NamesAndLabels)
{
    std::vector<LabelRow> rows = ResultVariableRows();
    AppendWaterQualityRows(rows);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(SeriesVariableCount));
    ExpectNamesAndLabels(rows, SeriesVariableName, FindSeriesVariable, SeriesLabel);
    EXPECT_EQ(FindSeriesVariable("discharge"), -1);
    EXPECT_EQ(FindSeriesVariable("Discharge"), SeriesDischarge);
    EXPECT_EQ(FindSeriesVariable("Discharge "), -1);
    EXPECT_EQ(FindSeriesVariable(""), -1);
    EXPECT_EQ(FindSeriesVariable(nullptr), -1);
    EXPECT_EQ(SeriesVariableName(26), nullptr);
    EXPECT_EQ(SeriesLabel(-1, 1), "");
    EXPECT_EQ(SeriesLabel(26, 1), "untouched");
    // The labels are single bytes: the degree sign is 0xB0, the superscript two 0xB2.
    EXPECT_EQ(SeriesLabel(6, 2), "Water Temperature (\xB0" "C)");
    EXPECT_EQ(SeriesLabel(6, 2).size(), std::strlen("Water Temperature (xC)"));
    EXPECT_EQ(SeriesLabel(23, 1), "Cds (g/m\xB2)");
}

// The index enumerations name the rows they index, the water-quality values in the order of
// the entry's WQValues. Every series variable is a plot variable too.
TEST(VariableIds, EachIdIndexesTheVariableOfItsName)
{
    struct Shared {
        int Series, Plot;
        const char* Name;
    };
    const Shared shared[] = {
        {SeriesWaterSurfaceElevation, PlotWaterSurfaceElevation, "Water Surface Elevation"},
        {SeriesDischarge, PlotDischarge, "Discharge"},
        {SeriesWaterVelocity, PlotWaterVelocity, "Water Velocity"},
        {SeriesSolidIceThickness, PlotSolidIceThickness, "Solid Ice Thickness"},
        {SeriesIceVelocity, PlotIceVelocity, "Ice Velocity"},
        {SeriesSurfaceIceConcentration, PlotSurfaceIceConcentration, "Surface Ice Concentration"},
        {SeriesWaterTemperature, PlotWaterTemperature, "Water Temperature"},
        {SeriesSuspendedFrazilConcentration, PlotSuspendedFrazilConcentration, "Suspended Frazil Concentration"},
        {SeriesAnchorIceThickness, PlotAnchorIceThickness, "Anchor Ice Thickness"},
        {SeriesFrazilSlushThickness, PlotFrazilSlushThickness, "Frazil Slush Thickness"},
        {SeriesBorderIceFraction, PlotBorderIceFraction, "Border Ice Fraction"},
        {SeriesBorderIceWidth, PlotBorderIceWidth, "Border Ice Width"},
        {SeriesAirTemperature, PlotAirTemperature, "Air Temperature"},
        {SeriesDepthOfFlow, PlotDepthOfFlow, "Depth of Flow (Dw)"},
        {SeriesDO, PlotDO, "DO"},
        {SeriesNH3, PlotNH3, "NH3"},
        {SeriesNO3, PlotNO3, "NO3"},
        {SeriesBOD, PlotBOD, "BOD"},
        {SeriesOP, PlotOP, "OP"},
        {SeriesPP, PlotPP, "PP"},
        {SeriesCdw, PlotCdw, "Cdw"},
        {SeriesCaw, PlotCaw, "Caw"},
        {SeriesCss, PlotCss, "Css"},
        {SeriesCds, PlotCds, "Cds"},
        {SeriesCas, PlotCas, "Cas"},
        {SeriesMs, PlotMs, "Ms"},
    };
    const std::pair<int, const char*> plotOnly[] = {
        {PlotBedElevation, "Bed Elevation"},
        {PlotAtmosphericZoneNumber, "Atmospheric Zone Number"},
        {PlotCheckVariable, "Check Variable"},
        {PlotFroudeNumber, "Froude Number"},
    };
    ASSERT_EQ(std::size(shared), static_cast<std::size_t>(SeriesVariableCount));
    ASSERT_EQ(std::size(shared) + std::size(plotOnly), static_cast<std::size_t>(PlotVariableCount));
    for (const Shared& v : shared) {
        EXPECT_STREQ(SeriesVariableName(v.Series), v.Name) << v.Series;
        EXPECT_STREQ(VQXDisplayNode::PlotVariableName(v.Plot), v.Name) << v.Plot;
    }
    for (const auto& [id, name] : plotOnly) EXPECT_STREQ(VQXDisplayNode::PlotVariableName(id), name) << id;
    EXPECT_EQ(SeriesVariableName(SeriesNone), nullptr);
    EXPECT_EQ(VQXDisplayNode::PlotVariableName(PlotNone), nullptr);
}

TEST(SeriesVariables, ValuesOfAnEntry)
{
    double raw[29];
    for (int k = 0; k < 29; ++k)
        raw[k] = 100 + k;  // Time 100, Discharge 101, FluxDischarge 102, ...
    VQXTimeSeriesEntry e;
    static_assert(sizeof raw == sizeof e);
    std::memcpy(&e, raw, sizeof e);
    const double expected[SeriesVariableCount] = {
        e.Stage, e.FluxDischarge, e.Velocity, e.SolidIceThickness, e.IceVelocity, e.IceConcentration,
        e.WaterTemperature, e.FrazilConcentration, e.AnchorIceThickness, e.SlushThickness,
        e.BorderIceFraction, e.BorderIceWidth, e.AirTemperature, e.Depth, e.WQValues[0], e.WQValues[1],
        e.WQValues[2], e.WQValues[3], e.WQValues[4], e.WQValues[5], e.WQValues[6], e.WQValues[7],
        e.WQValues[8], e.WQValues[9], e.WQValues[10], e.WQValues[11]};
    const VQXTimeSeries series = {VQXTimeSeriesEntry{}, e};
    for (int v = 0; v < SeriesVariableCount; ++v) {
        EXPECT_EQ(GetSeriesValue(series, 1, v, 1), expected[v]) << v;
        EXPECT_EQ(GetSeriesValue(series, 0, v, 1), 0.0) << v;
    }
    EXPECT_EQ(e.Stage, 103);
    EXPECT_EQ(e.WQValues[11], 128);
    EXPECT_EQ(GetSeriesValue(series, 1, 1, 0), e.Discharge);
    EXPECT_EQ(GetSeriesValue(series, 1, 26, 1), 0.0);
    EXPECT_EQ(GetSeriesValue(series, 1, -1, 1), 0.0);
    EXPECT_EQ(GetSeriesValue(series, 2, 0, 1), 0.0);
    EXPECT_EQ(GetSeriesValue(series, -1, 0, 1), 0.0);
}

TEST(SeriesVariables, AppendAndRelease)
{
    VQXTimeSeries series;
    AppendFlowEntry(series, 1.5, 20, 101);
    AppendWeatherEntry(series, 2.5, -4, 300);
    ASSERT_EQ(series.size(), 2u);
    EXPECT_EQ(series[0].Time, 1.5);
    EXPECT_EQ(series[0].Discharge, 20);
    EXPECT_EQ(series[0].Stage, 101);
    EXPECT_EQ(series[1].AirTemperature, -4);
    EXPECT_EQ(series[1].SolarRadiation, 300);
    double a[29], b[29];
    std::memcpy(a, &series[0], sizeof a);
    std::memcpy(b, &series[1], sizeof b);
    for (int k = 0; k < 29; ++k) {
        if (k != 0 && k != 1 && k != 3) {
            EXPECT_EQ(a[k], 0.0) << k;
        }
        if (k != 0 && k != 14 && k != 16) {
            EXPECT_EQ(b[k], 0.0) << k;
        }
    }
    ReleaseSeries(series);
    EXPECT_TRUE(series.empty());
    EXPECT_EQ(series.capacity(), 0u);
}

TEST(NodeHistory, KeepsTheNewestHundredThousandEntries)
{
    VQXDisplayNode node;
    const int extra = 7;
    for (int i = 0; i < VQXNodeHistory::Capacity + extra; ++i) {
        VQXTimeSeriesEntry e;
        e.Time = i;
        e.Stage = 2.0 * i;
        node.History.Append(e);
        if (i == VQXNodeHistory::Capacity - 1) {
            EXPECT_EQ(node.History.Size(), VQXNodeHistory::Capacity);
            EXPECT_EQ(node.History[0].Time, 0);
        }
    }
    const VQXNodeHistory& h = node.History;
    ASSERT_EQ(h.Size(), VQXNodeHistory::Capacity);
    EXPECT_EQ(h[0].Time, extra);
    EXPECT_EQ(h.Back().Time, VQXNodeHistory::Capacity + extra - 1);
    for (int i = 0; i < h.Size(); i += 997)
        ASSERT_EQ(h[i].Time, i + extra);
    EXPECT_EQ(GetSeriesValue(h, 5, 0, 1), 2.0 * (5 + extra));
    EXPECT_EQ(GetSeriesValue(h, h.Size(), 0, 1), 0.0);

    const VQXTimeSeries copy = h.ToSeries();
    ASSERT_EQ(copy.size(), static_cast<std::size_t>(VQXNodeHistory::Capacity));
    for (std::size_t i = 1; i < copy.size(); ++i)
        ASSERT_EQ(copy[i].Time, copy[i - 1].Time + 1);
    EXPECT_EQ(copy.front().Time, extra);

    node.History.Release();
    EXPECT_TRUE(node.History.Empty());
    VQXTimeSeriesEntry e;
    e.Time = 42;
    node.History.Append(e);
    EXPECT_EQ(node.History[0].Time, 42);
    EXPECT_EQ(node.History.ToSeries().size(), 1u);
}

TEST(PlotVariables, NamesAndLabels)
{
    std::vector<LabelRow> rows = {WithUnit("Bed Elevation", "m", "ft")};
    for (const LabelRow& row : ResultVariableRows())
        rows.push_back(row);
    rows.push_back(Bare("Atmospheric Zone Number"));
    AppendWaterQualityRows(rows);
    rows.push_back(Bare("Check Variable"));
    rows.push_back(Bare("Froude Number"));
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(PlotVariableCount));
    ExpectNamesAndLabels(rows, VQXDisplayNode::PlotVariableName, VQXDisplayNode::FindPlotVariable, PlotLabel);
    EXPECT_EQ(VQXDisplayNode::FindPlotVariable("Discharge"), PlotDischarge);
    EXPECT_EQ(VQXDisplayNode::FindPlotVariable("discharge"), -1);
    EXPECT_EQ(PlotLabel(2, 0), "Discharge (cfs)");
    EXPECT_EQ(PlotLabel(-1, 1), "");
    EXPECT_EQ(PlotLabel(30, 1), "untouched");
}

TEST(PlotVariables, ValuesOfANode)
{
    VQXDisplayNode n;
    n.Invert = 1;
    n.Stage = 2;
    n.FluxDischarge = 3;
    n.Discharge = 33;
    n.Velocity = 4;
    n.SolidIceThickness = 5;
    n.IceVelocity = 6;
    n.IceConcentrationPercent = 7;
    n.WaterTemperature = 8;
    n.FrazilPercent = 9;
    n.AnchorIceThickness = 10;
    n.SlushThickness = 11;
    n.BorderIceFraction = 12;
    n.BorderIceWidth = 13;
    n.AirTemperature = 14;
    n.Depth = 15;
    n.ZoneNumber = 16;
    for (int k = 0; k < 12; ++k)
        n.WQValues[k] = 17 + k;
    n.CheckVariable = 29;
    n.Froude = 30;
    for (int v = 0; v < PlotVariableCount; ++v)
        EXPECT_EQ(n.GetPlotValue(v, 1), v + 1.0) << v;
    EXPECT_EQ(n.GetPlotValue(2, 0), 33);
    EXPECT_EQ(n.GetPlotValue(30, 1), 0);
    EXPECT_EQ(n.GetPlotValue(-1, 1), 0);
}

TEST(NodeColumns, TitlesDecimalsAndReadOnlyRules)
{
    enum Rule { Editable, Always, Sectioned, IceMode, UnlessDynamic };
    struct Row {
        std::string metric, imperial;
        int decimals;
        Rule rule;
    };
    auto both = [](const std::string& t, int d, Rule r = Editable) { return Row{t, t, d, r}; };
    auto units = [](const std::string& t, const char* m, const char* i, int d, Rule r = Editable) {
        return Row{t + " (" + m + ")", t + " (" + i + ")", d, r};
    };
    const std::string heat = " (W/Sq m/" + DegC + ")";
    const Row rows[NodeColumnCount] = {
        both("Node #", 0),
        both("HEC-RAS RS", 2),
        both("Section Code", 0),
        both("Reach #", 0),
        units("Easting", "m", "ft", 3),
        units("Northing", "m", "ft", 3),
        units("Station", "km", "mi", 3),
        units("Channel Invert", "m", "ft", 3, Sectioned),
        both("Bed Roughness", 3, Sectioned),
        units("Bws", "m", "ft", 3, Sectioned),
        both("Hydro Code", 0),
        units("H", "m", "ft", 3),
        units("Nodal Qw", "cms", "cfs", 5),
        units("Qflux", "cms", "cfs", 5, Always),
        units("Solid Ice Thickness", "m", "ft", 3),
        both("Ice Roughness", 3, IceMode),
        units("Ice Velocity", "m/s", "ft/s", 5, UnlessDynamic),
        both("Water Temperature (" + DegC + ")", 5),
        both("Frazil Concentration (%)", 5),
        both("Ice Concentration (%)", 5),
        units("Anchor Ice Thickness", "m", "ft", 3),
        units("Frazil Slush Thickness", "m", "ft", 3),
        both("Border Ice Fraction", 5, Always),
        units("Max Border Ice Thickness", "m", "ft", 3),
        units("LDB Border Ice Width", "m", "ft", 3),
        units("RDB Border Ice Width", "m", "ft", 3),
        both("Atmospheric Zone Number", 0),
        both("hwa" + heat, 3),
        both("jwa" + heat, 3),
        both("kwa" + heat, 3),
        both("hia" + heat, 3),
        both("Air Temperature (" + DegC + ")", 5, Always),
        units("Water Velocity", "m/s", "ft/s", 3, Always),
        both("empty", 3),
        both("empty", 3),
        both("Overbank?", 0, Always),
        both("Max Froude", 3),
        units("Depth of Flow", "m", "ft", 3, Always),
        both("Ice Roughness Mode", 0),
        both("Jam Flag", 0),
        both("Check Variable", 5),
        both("DO (mg/L)", 5),
        both("NH3 (mg/L)", 5),
        both("NO3 (mg/L)", 5),
        both("BOD (mg/L)", 5),
        both("OP (mg/L)", 5),
        both("PP (mg/L)", 5),
        both("Cdw (mg/L)", 10, Always),
        both("Caw (mg/L)", 10, Always),
        both("Css (mg/L)", 5, Always),
        both("Cds (g/m" + Sq2 + ")", 10, Always),
        both("Cas (g/m" + Sq2 + ")", 10, Always),
        both("Ms (g/m" + Sq2 + ")", 5, Always),
    };
    VQXDisplayNode plain;  // rectangular, ice roughness mode 0
    VQXDisplayNode sectioned;
    sectioned.SectionCode = -20;
    sectioned.IceRoughnessMode = 2;
    for (int c = 0; c < NodeColumnCount; ++c) {
        const Row& r = rows[c];
        EXPECT_EQ(ColumnTitle(c, 1), r.metric) << c;
        EXPECT_EQ(ColumnTitle(c, 0), r.imperial) << c;
        EXPECT_EQ(ColumnTitle(c, 7), r.metric) << c;  // any non-zero value is metric
        EXPECT_EQ(VQXDisplayNode::ColumnDecimals(c), r.decimals) << c;
        for (int fileType = 0; fileType <= 3; ++fileType) {
            const bool plainRO = r.rule == Always || (r.rule == UnlessDynamic && fileType != 2);
            const bool sectionedRO = plainRO || r.rule == Sectioned || r.rule == IceMode;
            EXPECT_EQ(plain.IsColumnReadOnly(c, fileType), plainRO) << c << " file type " << fileType;
            EXPECT_EQ(sectioned.IsColumnReadOnly(c, fileType), sectionedRO) << c << " file type " << fileType;
        }
    }
    EXPECT_EQ(ColumnTitle(53, 1), "untouched");
    EXPECT_EQ(ColumnTitle(-1, 1), "untouched");
    EXPECT_EQ(VQXDisplayNode::ColumnDecimals(53), 0);
    EXPECT_FALSE(plain.IsColumnReadOnly(53, 0));
}

TEST(NodeColumns, EachColumnReadsAndWritesItsOwnField)
{
    // Setting one column changes that column only: every other column reads as before.
    const int special[] = {2, 26, 33, 34};
    for (int c = 0; c < NodeColumnCount; ++c) {
        if (std::find(std::begin(special), std::end(special), c) != std::end(special))
            continue;
        VQXDisplayNode node;
        double before[NodeColumnCount];
        for (int k = 0; k < NodeColumnCount; ++k)
            before[k] = node.GetColumnValue(k);
        node.SetColumnValue(c, "7.75 units");
        const bool integer = VQXDisplayNode::ColumnDecimals(c) == 0;
        EXPECT_EQ(node.GetColumnValue(c), integer ? 7.0 : 7.75) << c;
        for (int k = 0; k < NodeColumnCount; ++k)
            if (k != c) {
                EXPECT_EQ(node.GetColumnValue(k), before[k]) << "setting " << c << " changed " << k;
            }
    }

    VQXDisplayNode node;
    node.WQValues[6] = 0.125;
    node.SetColumnValue(46, "3.5");
    EXPECT_EQ(node.WQValues[5], 3.5);
    EXPECT_EQ(node.GetColumnValue(47), 0.125);
    EXPECT_EQ(node.Number, 1);

    // The empty columns read 0 and take nothing; unknown columns neither.
    node.SetColumnValue(33, "5");
    node.SetColumnValue(34, "5");
    node.SetColumnValue(53, "5");
    node.SetColumnValue(-1, "5");
    EXPECT_EQ(node.GetColumnValue(33), 0);
    EXPECT_EQ(node.GetColumnValue(53), 0);
    EXPECT_EQ(node.GetColumnValue(-1), 0);
    EXPECT_EQ(node.WQValues[5], 3.5);
}

TEST(NodeColumns, TypedTextIsReadByItsLeadingNumber)
{
    struct Case {
        const char* text;
        double real;
        int integer;
    };
    const Case cases[] = {
        {"12abc", 12, 12},   {"abc", 0, 0},       {"", 0, 0},          {"  -3.5e1x", -35, -3},
        {"+4.25", 4.25, 4},  {".5", 0.5, 0},      {"-.25", -0.25, 0},  {"12.7", 12.7, 12},
        {"nan", 0, 0},       {"inf", 0, 0},       {"1e999", 0, 1},     {"99999999999", 99999999999.0, 2147483647},
        {"-99999999999", -99999999999.0, -2147483647 - 1},             {"1,5", 1, 1},
    };
    for (const Case& c : cases) {
        VQXDisplayNode node;
        node.SetColumnValue(11, c.text);  // H, decimal
        node.SetColumnValue(10, c.text);  // Hydro Code, integer
        EXPECT_EQ(node.Stage, c.real) << c.text;
        EXPECT_EQ(node.HydroCode, c.integer) << c.text;
    }
}

TEST(NodeColumns, SectionCodeColumnBuildsOrRemovesTheSection)
{
    VQXDisplayNode node;
    node.Invert = 10;
    node.Width = 20;
    EXPECT_EQ(node.GetColumnValue(2), 0);

    node.SetColumnValue(2, "100");  // a rectangular node gets the default section
    ASSERT_NE(node.CrossSection, nullptr);
    EXPECT_EQ(node.SectionCode, -100);
    EXPECT_EQ(node.GetColumnValue(2), 100);
    const auto& s = *node.CrossSection;
    ASSERT_EQ(s.Points.size(), 5u);
    EXPECT_EQ(s.Points[2].Elevation, 10);
    EXPECT_EQ(s.Points[4].Station, 20);
    EXPECT_EQ(s.PropertyRows.size(), 100u);
    EXPECT_EQ(s.PropertyRows[0][VQXGeometryDataLib::PropertyLevel], 10);  // the thalweg
    EXPECT_EQ(s.LeftBankPoint, 0);
    EXPECT_EQ(s.RightBankPoint, 4);

    node.CrossSection->Points[2].Elevation = 9;  // an existing section is kept and rebuilt
    node.SetColumnValue(2, "500");
    EXPECT_EQ(node.SectionCode, -300);
    EXPECT_EQ(node.GetColumnValue(2), 300);
    EXPECT_EQ(node.CrossSection->PropertyRows.size(), 300u);
    EXPECT_EQ(node.CrossSection->PropertyRows[0][VQXGeometryDataLib::PropertyLevel], 9);

    node.SetColumnValue(2, "1");
    EXPECT_EQ(node.CrossSection, nullptr);
    EXPECT_EQ(node.SectionCode, 0);
    EXPECT_EQ(node.GetColumnValue(2), 0);

    node.SetColumnValue(2, "2");
    ASSERT_NE(node.CrossSection, nullptr);
    EXPECT_EQ(node.CrossSection->PropertyRows.size(), 2u);
    node.SetColumnValue(2, "-5");
    EXPECT_EQ(node.CrossSection, nullptr);

    // A code read from a model file keeps its sign; the column shows it negated.
    node.SectionCode = 40;
    EXPECT_EQ(node.GetColumnValue(2), -40);
}

TEST(NodeColumns, ZoneColumnStaysWithinTheZones)
{
    VQXDisplayNode node;
    node.ZoneCount = 3;
    struct Case {
        const char* text;
        int zone;
    };
    for (const Case c : {Case{"0", 1}, Case{"-4", 1}, Case{"25", 3}, Case{"2", 2}, Case{"3", 3}, Case{"x", 1}}) {
        node.SetColumnValue(26, c.text);
        EXPECT_EQ(node.ZoneNumber, c.zone) << c.text;
        EXPECT_EQ(node.GetColumnValue(26), c.zone);
    }
}

TEST(DisplayNode, FormatCaption)
{
    VQXDisplayNode node;
    node.Number = 12;
    node.RiverStation = 104.5;
    node.Station = 3.25;
    char buffer[80];
    node.FormatCaption(buffer, 1);
    EXPECT_STREQ(buffer, "12, RS 104.50, x = 3.250 km");
    node.FormatCaption(buffer, 0);
    EXPECT_STREQ(buffer, "12, RS 104.50, x = 3.250 mi");

    node.Number = -3;
    node.RiverStation = -0.125;  // a tie rounds to even, as printf does
    node.Station = 1234.0005;    // stored a little above the tie
    node.FormatCaption(buffer, 1);
    EXPECT_STREQ(buffer, "-3, RS -0.12, x = 1234.001 km");

    // The same text as C printf in the C locale.
    struct Case {
        int number;
        double rs, x;
    };
    for (const Case c : {Case{1, 0.005, 0.0005}, Case{7, 2.675, 1.0005}, Case{99, -0.0, -0.0004},
                         Case{-5, 123456.785, 98765.4321}, Case{0, 1e-9, 5e15}}) {
        node.Number = c.number;
        node.RiverStation = c.rs;
        node.Station = c.x;
        node.FormatCaption(buffer, 0);
        char expected[80];
        std::snprintf(expected, sizeof expected, "%d, RS %.2f, x = %.3f mi", c.number, c.rs, c.x);
        EXPECT_STREQ(buffer, expected);
    }

    // A comma-decimal locale changes nothing.
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr) {
        node.Number = 12;
        node.RiverStation = 104.5;
        node.Station = 3.25;
        node.FormatCaption(buffer, 1);
        std::setlocale(LC_ALL, saved.c_str());
        EXPECT_STREQ(buffer, "12, RS 104.50, x = 3.250 km");
    }

    // A caption that does not fit is cut at the buffer's end.
    node.Number = 1;
    node.RiverStation = 1e60;
    node.FormatCaption(buffer, 1);
    EXPECT_EQ(std::strlen(buffer), 79u);
    EXPECT_EQ(std::string(buffer).substr(0, 6), "1, RS ");
}
