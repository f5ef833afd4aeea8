// The profile, hydrograph and cross-section charts' call sequences, replayed on small data:
// what the scene holds and what the picture shows.
#include "ChartReplay.h"
#include "ChartTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace chart_replay;
using chart_test::Chart;
using chart_test::ColourNear;
using chart_test::CountPixels;

const QRgb White = qRgb(255, 255, 255);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb Green = qRgb(0, 255, 0);

std::vector<std::string> LegendLabels(const ChartScene& s)
{
    std::vector<std::string> v;
    for (const ChartLegendEntry& e : s.Legend) v.push_back(e.Label.toStdString());
    return v;
}

// Kind and colour of each layer of a pane, as "line ff0000", "band 00c8ff", "markers ...".
std::vector<std::string> Layers(const ChartPane& p)
{
    std::vector<std::string> v;
    for (const ChartLayer& l : p.Layers) {
        const char* kind = l.Kind == ChartLayerKind::Line ? "line" : l.Kind == ChartLayerKind::Band ? "band" : "markers";
        v.push_back(std::string(kind) + " " + QColor(l.Colour).name().mid(1).toStdString());
    }
    return v;
}

// Greenish pixels of a plot area more than 3 px from every given column, and the share of the
// area's rows in which each column (within 2 px) is greenish.
struct VerticalCheck {
    int Stray = 0;
    std::vector<double> Coverage;
};

VerticalCheck CheckVerticals(const QImage& image, const QRectF& plot, const std::vector<int>& columns)
{
    VerticalCheck r;
    const QRect area = plot.toAlignedRect().adjusted(1, 1, -1, -1);
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!chart_test::Greenish(image.pixel(x, y))) continue;
            bool nearColumn = false;
            for (const int c : columns) nearColumn = nearColumn || std::abs(x - c) <= 3;
            r.Stray += nearColumn ? 0 : 1;
        }
    for (const int c : columns) {
        int rows = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            bool hit = false;
            for (int x = c - 2; x <= c + 2; ++x) hit = hit || chart_test::Greenish(image.pixel(x, y));
            rows += hit ? 1 : 0;
        }
        r.Coverage.push_back(double(rows) / area.height());
    }
    return r;
}

TEST(ChartProfile, LayoutBShowsTheIceLayersAsBandsInOrderDownOneColumn)
{
    Chart chart({1000, 700});
    const std::vector<ProfileNode> reach = SampleReach(21);
    ProfileOptions o;
    o.BottomY = Range{90.0, 110.0};
    o.ShowEventLines = true;
    BuildProfile(chart, reach, {{0, 3.0, 4.0}, {1, 7.5, 8.0}}, o);
    const ChartScene& s = chart.Scene();
    const QImage image = chart.Image();
    chart_test::Keep(image, "profile-B");

    ASSERT_EQ(s.Panes.size(), 2u);
    EXPECT_EQ(Layers(s.Panes[0]), std::vector<std::string>{"line ff0000"});
    EXPECT_EQ(Layers(s.Panes[1]),
              (std::vector<std::string>{"band ffffff", "band 00c8ff", "band ffffff", "band 8c8c8c", "band c8c8c8",
                                        "band 00ffff", "line 000000", "line 0000ff", "line 00ff00", "line ffa500"}));
    EXPECT_EQ(LegendLabels(s), (std::vector<std::string>{"Anchor Ice", "Moving Frazil Slush", "Stationary Frazil Slush",
                                                         "Solid Ice", "Bed", "Water Surface", "Ice Front Location",
                                                         "Bridging Location"}));
    EXPECT_EQ(s.Panes[0].YLabel.toStdString(), "Discharge (m\u00B3/s)");
    EXPECT_EQ(s.Panes[1].YLabel, "Elevation (m)");
    EXPECT_EQ(s.XLabel, "Distance (km)");
    EXPECT_EQ(s.SubtitleCentre, "Reach 1");
    EXPECT_DOUBLE_EQ(s.Panes[1].Y.Min, 90.0);
    EXPECT_DOUBLE_EQ(s.Panes[1].Y.Max, 110.0);
    const Range top = ReachRange(120.0, 150.0);
    EXPECT_DOUBLE_EQ(s.Panes[0].Y.Min, top.Min);
    EXPECT_DOUBLE_EQ(s.Panes[0].Y.Max, top.Max);
    EXPECT_DOUBLE_EQ(s.X.Min, 0.0);  // automatic: the stations' extent
    EXPECT_DOUBLE_EQ(s.X.Max, 10.0);

    // Down the column of the middle node: sky, solid ice, stationary slush, moving slush,
    // water, anchor ice, ground; each sampled half a band from its edges.
    const ProfileNode& d = reach[10];
    const struct {
        const char* Name;
        double Elevation;
        QRgb Colour;
    } column[] = {
        {"above the ice", d.IceTop + 1.0, White},
        {"solid ice", d.Stage - 0.5, qRgb(0, 255, 255)},
        {"stationary slush", d.Stage - 1.5, qRgb(200, 200, 200)},
        {"moving slush", d.Stage - 2.5, qRgb(140, 140, 140)},
        {"water", d.Anchor + 0.9, White},
        {"anchor ice", d.Invert + 0.5, qRgb(0, 200, 255)},
        {"below the bed", d.Invert - 1.0, White},
    };
    for (const auto& c : column) {
        const QPoint p = chart.Pixel(1, d.Station + 0.1, c.Elevation);
        EXPECT_TRUE(chart_test::Close(image.pixel(p), c.Colour)) << c.Name << " at " << p.x() << "," << p.y();
    }
    EXPECT_TRUE(ColourNear(image, chart.Pixel(1, d.Station, d.Stage), Blue)) << "water line";
    EXPECT_TRUE(ColourNear(image, chart.Pixel(0, d.Station, d.Top), Red)) << "top parameter line";

    // The event lines run from -1e11 to +1e11 and join off the chart: two green verticals
    // over the whole pane and nothing green anywhere else.
    const ChartLayout layout = chart.Layout();
    const VerticalCheck v = CheckVerticals(image, layout.Plots[1], {chart.Pixel(1, 3.0, 100).x(), chart.Pixel(1, 7.5, 100).x()});
    EXPECT_EQ(v.Stray, 0);
    for (const double c : v.Coverage) EXPECT_GT(c, 0.5);
}

struct LayoutCase {
    const char* Name;
    ProfileOptions Options;
    std::vector<std::vector<std::string>> Panes;  // layers of each pane
    std::vector<std::string> Legend;
    std::vector<std::string> YLabels;
};

ProfileOptions With(Layout kind, int fileType, bool ice, bool water, bool events, bool legend)
{
    ProfileOptions o;
    o.Kind = kind;
    o.FileType = fileType;
    o.ShowIce = ice;
    o.ShowWaterSurface = water;
    o.ShowEventLines = events;
    o.ShowLegend = legend;
    return o;
}

ProfileOptions WithSubtitle(ProfileOptions o, const char* subtitle)
{
    o.Subtitle = subtitle;
    return o;
}

TEST(ChartProfile, EachLayoutResolvesToItsPanesLayersAndLegend)
{
    const std::vector<std::string> blackLines(6, "line 000000");
    auto elevation = [&](std::vector<std::string> tail) {
        std::vector<std::string> v = blackLines;
        v.insert(v.end(), tail.begin(), tail.end());
        return v;
    };
    const std::vector<std::string> iceBands = {"band ffffff", "band 00c8ff", "band ffffff", "band 8c8c8c", "band c8c8c8",
                                               "band 00ffff", "line 000000", "line 0000ff", "line 000000", "line 000000"};
    const LayoutCase cases[] = {
        {"A with event lines", With(Layout::A, 3, true, true, true, true),
         {{"line ff0000", "line 00ff00", "line ffa500"}},
         {"Ice Front Location", "Bridging Location"},
         {"Discharge (m\u00B3/s)"}},
        {"A without legend", With(Layout::A, 3, true, true, true, false),
         {{"line ff0000", "line 00ff00", "line ffa500"}},
         {},
         {"Discharge (m\u00B3/s)"}},
        {"B open water", With(Layout::B, 0, false, true, false, true),
         {{"line ff0000"}, elevation({"line 000000", "line 0000ff", "line 000000", "line 000000"})},
         {"Bed", "Water Surface"},
         {"Discharge (m\u00B3/s)", "Elevation (m)"}},
        {"B dynamic ice", With(Layout::B, 2, true, true, false, true),
         {{"line ff0000"}, iceBands},
         {"Solid Ice", "Bed", "Water Surface"},
         {"Discharge (m\u00B3/s)", "Elevation (m)"}},
        {"C", With(Layout::C, 3, true, true, false, true),
         {{"line ff0000"}, {"line ff0000"}},
         {},
         {"Discharge (m\u00B3/s)", "Velocity (m/s)"}},
        {"D thermal ice", WithSubtitle(With(Layout::D, 3, true, true, false, true), "|Reach 1|12:30:00      "),
         {iceBands},
         {"Anchor Ice", "Moving Frazil Slush", "Stationary Frazil Slush", "Solid Ice", "Bed", "Water Surface"},
         {"Elevation (m)"}},
        {"D bed only", With(Layout::D, 0, false, false, false, true),
         {elevation({"line 000000", "line 000000", "line 000000", "line 000000"})},
         {},
         {"Bed Elevation (m)"}},
        {"E", With(Layout::E, 1, true, true, false, true), {{"line ff0000"}}, {}, {"Velocity (m/s)"}},
    };
    for (const LayoutCase& c : cases) {
        Chart chart;
        BuildProfile(chart, SampleReach(6), {{0, 3.0, 4.0}}, c.Options);
        chart_test::Keep(chart.Image(), (std::string("profile ") + c.Name).c_str());
        const ChartScene& s = chart.Scene();
        ASSERT_EQ(s.Panes.size(), c.Panes.size()) << c.Name;
        for (std::size_t p = 0; p < c.Panes.size(); ++p) {
            EXPECT_EQ(Layers(s.Panes[p]), c.Panes[p]) << c.Name << " pane " << p;
            EXPECT_EQ(s.Panes[p].YLabel.toStdString(), c.YLabels[p]) << c.Name << " pane " << p;
        }
        EXPECT_EQ(LegendLabels(s), c.Legend) << c.Name;
        EXPECT_EQ(s.XLabel, "Distance (km)") << c.Name;
    }
}

TEST(ChartProfile, LayoutADrawsItsParameterLineAndLabelsEveryNode)
{
    Chart chart({900, 500});
    const std::vector<ProfileNode> reach = SampleReach(8);
    ProfileOptions o = With(Layout::A, 3, true, true, true, true);
    o.TopY = Range{100.0, 170.0};
    BuildProfile(chart, reach, {{0, 2.5, 6.0}}, o);
    const ChartScene& s = chart.Scene();
    const QImage image = chart.Image();
    chart_test::Keep(image, "profile-A");

    ASSERT_EQ(s.Annotations.size(), reach.size());
    EXPECT_EQ(s.Annotations[3].Text, "4");
    EXPECT_EQ(s.Annotations[3].At, QPointF(reach[3].Station, reach[3].Top));
    // The red line passes through the pixel of each node, and midway between two nodes.
    for (const ProfileNode& d : reach) EXPECT_TRUE(ColourNear(image, chart.Pixel(0, d.Station, d.Top), Red)) << d.Number;
    const double xm = (reach[2].Station + reach[3].Station) / 2, ym = (reach[2].Top + reach[3].Top) / 2;
    EXPECT_TRUE(ColourNear(image, chart.Pixel(0, xm, ym), Red));
    const VerticalCheck v = CheckVerticals(image, chart.Layout().Plots[0], {chart.Pixel(0, 2.5, 150).x()});
    EXPECT_EQ(v.Stray, 0);
    EXPECT_GT(v.Coverage[0], 0.5);
}

TEST(ChartProfile, LegendListOfMinusOneDrawsNoLegend)
{
    // The event lines are green; outside the plot only a legend sample can be green.
    for (const bool legend : {true, false}) {
        Chart chart({700, 450});
        BuildProfile(chart, SampleReach(6), {{0, 3.0, 4.0}}, With(Layout::A, 3, true, true, true, legend));
        const QImage image = chart.Image();
        const QRect plot = chart.Layout().Plots[0].toAlignedRect();
        const int outside = CountPixels(image, image.rect(), chart_test::Greenish) -
                            CountPixels(image, plot, chart_test::Greenish);
        if (legend)
            EXPECT_GT(outside, 0) << "the ice front's sample";
        else
            EXPECT_EQ(outside, 0);
        EXPECT_EQ(chart.Scene().Legend.empty(), !legend);
    }
}

TEST(ChartProfile, BottomXRangeWinsWhenBothAreFixed)
{
    Chart chart;
    ProfileOptions o = With(Layout::C, 3, true, true, false, true);
    o.TopX = Range{1.0, 9.0};
    o.BottomX = Range{2.0, 5.0};
    BuildProfile(chart, SampleReach(6), {}, o);
    EXPECT_DOUBLE_EQ(chart.Scene().X.Min, 2.0);
    EXPECT_DOUBLE_EQ(chart.Scene().X.Max, 5.0);
}

TEST(ChartProfile, ARebuildOnTheSameChartShowsOnlyTheNewData)
{
    // Every paint of the view rebuilds the chart it keeps; a reach with fewer nodes must not
    // keep points of the longer one, and a layout after A must not keep A's node labels.
    Chart chart;
    BuildProfile(chart, SampleReach(12), {}, With(Layout::A, 3, true, true, false, true));
    EXPECT_EQ(chart.Scene().Annotations.size(), 12u);
    BuildProfile(chart, SampleReach(5), {}, With(Layout::B, 3, true, true, false, true));
    const ChartScene& s = chart.Scene();
    for (const ChartPane& p : s.Panes)
        for (const ChartLayer& l : p.Layers) EXPECT_EQ(l.Points.size(), 5u) << "subset " << l.Subset;
    EXPECT_TRUE(s.Annotations.empty());
}

TEST(ChartHydrograph, DrawsTheHistoryOverModelTime)
{
    Chart chart({800, 500});
    Hydrograph h;
    for (int i = 0; i <= 48; ++i) {
        h.Time.push_back(i * 0.5);
        h.Value.push_back(50.0 + 30.0 * std::sin(i * 0.2));
    }
    BuildHydrograph(chart, h);
    const ChartScene& s = chart.Scene();
    const QImage image = chart.Image();
    chart_test::Keep(image, "hydrograph");

    ASSERT_EQ(s.Panes.size(), 1u);
    EXPECT_EQ(Layers(s.Panes[0]), std::vector<std::string>{"line ff0000"});
    EXPECT_TRUE(s.Legend.empty());
    EXPECT_EQ(s.SubtitleCentre, "Node 3");
    EXPECT_EQ(s.XLabel, "Time (hours)");
    EXPECT_DOUBLE_EQ(s.X.Min, -0.001);
    EXPECT_DOUBLE_EQ(s.X.Max, 24.0);
    double lo = 1e9, hi = -1e9;
    for (const double v : h.Value) lo = std::min(lo, v), hi = std::max(hi, v);
    EXPECT_DOUBLE_EQ(s.Panes[0].Y.Min, lo - 0.1 * std::fabs(lo));
    EXPECT_DOUBLE_EQ(s.Panes[0].Y.Max, hi + 0.1 * std::fabs(hi));
    for (int i = 0; i < 48; i += 7) EXPECT_TRUE(ColourNear(image, chart.Pixel(0, h.Time[i], h.Value[i]), Red)) << i;
    // Nothing red outside the plot: no legend, no stray line.
    const QRect plot = chart.Layout().Plots[0].toAlignedRect();
    EXPECT_EQ(CountPixels(image, image.rect(), chart_test::Reddish),
              CountPixels(image, plot, chart_test::Reddish));
}

TEST(ChartHydrograph, DegenerateHistoriesStillGiveADrawableRange)
{
    struct Case {
        const char* Name;
        std::vector<double> Time, Value;
        double Current;
        double Min, Max;  // range of the scene
    };
    const Case cases[] = {
        {"empty history", {}, {}, 7.0, 0.0, 7.0},
        {"empty history at zero", {}, {}, 0.0, -1.0, 1.0},
        {"empty history below zero", {}, {}, -4.0, -4.0, 0.0},
        {"constant negative values", {0, 1, 2}, {-5, -5, -5}, 0.0, -5.5, -4.5},
        {"constant zero", {0, 1, 2}, {0, 0, 0}, 0.0, -1.0, 1.0},
    };
    for (const Case& c : cases) {
        Chart chart({400, 300});
        Hydrograph h;
        h.Time = c.Time;
        h.Value = c.Value;
        h.CurrentValue = c.Current;
        BuildHydrograph(chart, h);
        const ChartRange& y = chart.Scene().Panes[0].Y;
        EXPECT_NEAR(y.Min, c.Min, 1e-12) << c.Name;
        EXPECT_NEAR(y.Max, c.Max, 1e-12) << c.Name;
        EXPECT_FALSE(chart.Image().isNull()) << c.Name;
    }
}

CrossSection SampleSection(double stage)
{
    CrossSection x;
    x.Rows = {{"0", "105"}, {"10", "104"}, {"12", "101"}, {"20", "99"}, {"30", "97.5"},
              {"40", "98"}, {"48", "100.5"}, {"50", "103"}, {"60", "106"}};
    x.LeftBank = "10";
    x.RightBank = "50";
    x.Stage = stage;
    x.LeftBankElevation = 104;
    x.RightBankElevation = 103;
    x.LeftBankStation = 10;
    x.RightBankStation = 50;
    x.LeftEdge = 15;
    x.RightEdge = 45;
    return x;
}

TEST(ChartCrossSection, WaterLineRunsBetweenTheBankPointsBelowTheBanks)
{
    Chart chart({700, 450});
    BuildCrossSection(chart, SampleSection(102.0));
    const ChartScene& s = chart.Scene();
    const QImage image = chart.Image();
    chart_test::Keep(image, "cross-section");

    ASSERT_EQ(s.Panes.size(), 1u);
    EXPECT_EQ(Layers(s.Panes[0]),
              (std::vector<std::string>{"line 000000", "line 0000ff", "markers ff0000", "markers 00ff00", "markers 00ff00"}));
    EXPECT_EQ(LegendLabels(s), (std::vector<std::string>{"Bed", "Water Surface Elevation", "Bank Station", "Border Ice"}));
    EXPECT_EQ(s.XLabel, "Station (m)");
    EXPECT_DOUBLE_EQ(s.X.Min, -3.0);
    EXPECT_DOUBLE_EQ(s.X.Max, 63.0);
    // Water only between the banks, at the stage; bank stations and border ice as markers.
    EXPECT_TRUE(ColourNear(image, chart.Pixel(0, 30, 102), Blue));
    EXPECT_TRUE(ColourNear(image, chart.Pixel(0, 25, 102), Blue));
    EXPECT_FALSE(ColourNear(image, chart.Pixel(0, 5, 102), Blue, 2, 60));
    EXPECT_FALSE(ColourNear(image, chart.Pixel(0, 55, 102), Blue, 2, 60));
    EXPECT_TRUE(ColourNear(image, chart.Pixel(0, 10, 104), Red));
    EXPECT_TRUE(ColourNear(image, chart.Pixel(0, 50, 103), Red));
    for (const double station : {12.0, 45.0, 48.0}) EXPECT_TRUE(ColourNear(image, chart.Pixel(0, station, 102), Green)) << station;
}

TEST(ChartCrossSection, WaterAboveBothBanksRunsFromTheFirstToTheLastPoint)
{
    Chart chart({700, 450});
    CrossSection x = SampleSection(107.0);
    x.FileType = 1;
    BuildCrossSection(chart, x);
    const ChartScene& s = chart.Scene();
    const QImage image = chart.Image();
    // Border-ice subsets get points but no colour outside thermal models: not drawn.
    EXPECT_EQ(Layers(s.Panes[0]), (std::vector<std::string>{"line 000000", "line 0000ff", "markers ff0000"}));
    EXPECT_EQ(LegendLabels(s), (std::vector<std::string>{"Bed", "Water Surface Elevation", "Bank Station"}));
    const ChartLayer& water = s.Panes[0].Layers[1];
    ASSERT_EQ(water.Points.size(), 2u);
    EXPECT_NEAR(water.Points[0].x(), 0.0, 1e-4);
    EXPECT_NEAR(water.Points[1].x(), 60.0, 1e-4);
    EXPECT_TRUE(ColourNear(image, chart.Pixel(0, 1, 107), Blue));
    EXPECT_TRUE(ColourNear(image, chart.Pixel(0, 59, 107), Blue));
    EXPECT_EQ(CountPixels(image, image.rect(), chart_test::Greenish), 0);
}

TEST(ChartCrossSection, BlankAndUnmatchedRowsStillRender)
{
    struct Case {
        const char* Name;
        std::vector<std::pair<std::string, std::string>> Rows;
        std::string LeftBank;
        std::size_t BedPoints, BankPoints;
    };
    const Case cases[] = {
        {"all rows blank", {{"", ""}, {"", "3"}, {"4", ""}}, "10", 0, 0},
        {"bank matches no station", {{"0", "5"}, {"10", "2"}, {"20", "5"}}, "7", 3, 1},
        {"one point: room for one bank point", {{"3", "4"}}, "3", 1, 1},
    };
    for (const Case& c : cases) {
        Chart chart({500, 350});
        CrossSection x = SampleSection(3.0);
        x.Rows = c.Rows;
        x.LeftBank = c.LeftBank;
        x.RightBank = c.Rows.empty() ? "" : c.Rows.back().first;
        BuildCrossSection(chart, x);
        const ChartScene& s = chart.Scene();
        EXPECT_EQ(s.Panes[0].Layers[0].Points.size(), c.BedPoints) << c.Name;
        EXPECT_EQ(s.Panes[0].Layers[2].Points.size(), c.BankPoints) << c.Name;
        EXPECT_LT(s.X.Min, s.X.Max) << c.Name;
        EXPECT_FALSE(chart.Image().isNull()) << c.Name;
    }
}

}  // namespace
