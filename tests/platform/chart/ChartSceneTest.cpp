// How the properties resolve into a scene: ranges, subsets, panes, legend, texts.
#include "ChartReplay.h"
#include "ChartTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using chart_replay::Rgb;
using chart_replay::SetDouble;
using chart_replay::SetInts;
using chart_test::Chart;

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// Sets the counts and the points of each subset (the longest gives the point count; shorter
// subsets leave their last cells unset) and colours every subset red.
void SetData(ChartHandle c, const std::vector<std::vector<QPointF>>& subsets)
{
    std::size_t n = 0;
    for (const auto& s : subsets) n = std::max(n, s.size());
    ChartSetInt(c, ChartSubsetCount, static_cast<int>(subsets.size()));
    ChartSetInt(c, ChartPointCount, static_cast<int>(n));
    std::vector<int> colours;
    for (std::size_t s = 0; s < subsets.size(); ++s) {
        for (std::size_t k = 0; k < subsets[s].size(); ++k)
            chart_replay::SetPoint(c, static_cast<int>(s), static_cast<int>(k), subsets[s][k].x(), subsets[s][k].y());
        colours.push_back(Rgb(255, 0, 0));
    }
    SetInts(c, ChartSubsetColours, colours);
}

const ChartScene& Resolve(const Chart& chart)
{
    ChartReinitialize(chart);
    ChartResetImage(chart, 0, 0);
    return chart.Scene();
}

TEST(ChartScene, RangesAreManualOrFromTheDataAndNeverEmpty)
{
    struct Case {
        const char* Name;
        int Scale;
        double Min, Max;
        std::vector<double> Data;
        double ExpectMin, ExpectMax;
    };
    const Case cases[] = {
        {"manual", 3, 2, 8, {1, 3}, 2, 8},
        {"manual, data outside stays outside", 3, 2, 8, {-1e11, 1e11}, 2, 8},
        {"manual min = max", 3, 5, 5, {1, 3}, 4.5, 5.5},
        {"manual negative min = max", 3, -20, -20, {}, -22, -18},
        {"manual zero width at zero", 3, 0, 0, {1, 3}, -1, 1},
        {"manual inverted", 3, 8, 2, {1, 3}, 2, 8},
        {"manual with a NaN limit uses the data", 3, Nan, 8, {1, 3}, 0.9, 3.1},
        {"manual with an infinite limit uses the data", 3, 0, Inf, {1, 3}, 0.9, 3.1},
        {"automatic pads y by 5%", 0, 2, 8, {1, 3}, 0.9, 3.1},
        {"automatic ignores non-finite data", 0, 0, 0, {1, Nan, 3, -Inf}, 0.9, 3.1},
        {"automatic over one value", 0, 0, 0, {4}, 3.6, 4.4},
        {"automatic without data", 0, 0, 0, {}, 0, 1},
    };
    for (const Case& c : cases) {
        Chart chart({300, 200});
        std::vector<QPointF> points;
        for (std::size_t k = 0; k < c.Data.size(); ++k) points.emplace_back(double(k), c.Data[k]);
        SetData(chart, {points});
        ChartSetInt(chart, ChartYScale, c.Scale);
        SetDouble(chart, ChartYMinimum, c.Min);
        SetDouble(chart, ChartYMaximum, c.Max);
        const ChartRange& y = Resolve(chart).Panes.at(0).Y;
        EXPECT_NEAR(y.Min, c.ExpectMin, 1e-12) << c.Name;
        EXPECT_NEAR(y.Max, c.ExpectMax, 1e-12) << c.Name;
        EXPECT_FALSE(chart.Image().isNull()) << c.Name;
    }
}

TEST(ChartScene, AutomaticXRangeIsTheDataExtentOfTheDrawnSubsets)
{
    Chart chart;
    SetData(chart, {{{2, 0}, {7, 1}}, {{-50, 0}, {90, 1}}});
    SetInts(chart, ChartSubsetColours, {Rgb(0, 0, 0)});  // subset 1 loses its colour: not drawn
    const ChartScene& s = Resolve(chart);
    EXPECT_EQ(s.X.Min, 2.0);
    EXPECT_EQ(s.X.Max, 7.0);
}

TEST(ChartScene, LineTypePlotTypeAndAxisModeDecideHowASubsetIsDrawn)
{
    struct Case {
        const char* Name;
        int AxisPlotting;
        double LineType, PlotType;  // NaN: never set
        ChartLayerKind Kind;
        double Width;
        bool Dashed;
    };
    const Case cases[] = {
        {"thin line", ChartPlotLines, 0, Nan, ChartLayerKind::Line, 1.0, false},
        {"medium line", ChartPlotLines, 9, Nan, ChartLayerKind::Line, 2.0, false},
        {"dashed line", ChartPlotLines, 5, Nan, ChartLayerKind::Line, 2.0, true},
        {"no codes at all", ChartPlotLines, Nan, Nan, ChartLayerKind::Line, 1.0, false},
        {"unknown line type", ChartPlotLines, 7, Nan, ChartLayerKind::Line, 1.0, false},
        {"thin on a layered axis fills", ChartPlotLayers, 0, Nan, ChartLayerKind::Band, 1.0, false},
        {"medium on a layered axis stays a line", ChartPlotLayers, 9, Nan, ChartLayerKind::Line, 2.0, false},
        {"plotted as line", ChartPlotLines, 0, 3, ChartLayerKind::Line, 1.0, false},
        {"markers", ChartPlotLines, 0, 5, ChartLayerKind::Markers, 1.0, false},
        {"markers on a layered axis", ChartPlotLayers, 0, 5, ChartLayerKind::Markers, 1.0, false},
    };
    for (const Case& c : cases) {
        Chart chart({300, 200});
        SetData(chart, {{{0, 1}, {1, 2}}});
        ChartSetInt(chart, ChartAxisPlotting, c.AxisPlotting);
        if (!std::isnan(c.LineType)) ChartSetInt(chart, ChartSubsetLineTypes, static_cast<int>(c.LineType));
        if (!std::isnan(c.PlotType)) ChartSetInt(chart, ChartSubsetPlotTypes, static_cast<int>(c.PlotType));
        const ChartLayer& l = Resolve(chart).Panes.at(0).Layers.at(0);
        EXPECT_EQ(l.Kind, c.Kind) << c.Name;
        EXPECT_EQ(l.Pen.Width, c.Width) << c.Name;
        EXPECT_EQ(l.Pen.Dashed, c.Dashed) << c.Name;
    }
}

TEST(ChartScene, MissingAndNonFinitePointsAreSkippedAndTheLineJoinsTheirNeighbours)
{
    Chart chart({400, 300});
    ChartSetInt(chart, ChartSubsetCount, 1);
    ChartSetInt(chart, ChartPointCount, 6);
    chart_replay::SetPoint(chart, 0, 0, 0, 0);
    chart_replay::SetPoint(chart, 0, 1, 1, Nan);
    chart_replay::SetPoint(chart, 0, 2, Inf, 2);
    // point 3 never set
    chart_replay::SetPoint(chart, 0, 4, 10, 10);
    const double x5 = 12;  // point 5 has an x only
    ChartSetPointCell(chart, ChartXData, 0, 5, &x5);
    SetInts(chart, ChartSubsetColours, {Rgb(255, 0, 0)});
    SetInts(chart, ChartSubsetLineTypes, {9});
    const ChartScene& s = Resolve(chart);
    const std::vector<QPointF>& points = s.Panes[0].Layers[0].Points;
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0], QPointF(0, 0));
    EXPECT_EQ(points[1], QPointF(10, 10));
    EXPECT_TRUE(chart_test::ColourNear(chart.Image(), chart.Pixel(0, 5, 5), qRgb(255, 0, 0)));
}

TEST(ChartScene, BandsFillFromTheBandBelowAndTheLowestFromThePaneMinimum)
{
    Chart chart({400, 300});
    SetData(chart, {{{0, 1}, {10, 2}}, {{0, 3}, {10, 5}}, {{0, 4}, {10, 4}}});
    ChartSetInt(chart, ChartAxisPlotting, ChartPlotLayers);
    SetInts(chart, ChartSubsetLineTypes, {0, 0, 9});
    SetInts(chart, ChartSubsetColours, {Rgb(0, 200, 255), Rgb(140, 140, 140), Rgb(0, 0, 255)});
    ChartSetInt(chart, ChartYScale, ChartScaleManual);
    SetDouble(chart, ChartYMinimum, 0.0);
    SetDouble(chart, ChartYMaximum, 6.0);
    const ChartScene& s = Resolve(chart);
    const std::vector<ChartLayer>& layers = s.Panes[0].Layers;
    ASSERT_EQ(layers.size(), 3u);
    EXPECT_EQ(layers[0].Base, (std::vector<QPointF>{{0, 0}, {10, 0}}));
    EXPECT_EQ(layers[1].Base, layers[0].Points);
    EXPECT_EQ(layers[2].Kind, ChartLayerKind::Line);
    const QImage image = chart.Image();
    EXPECT_EQ(image.pixel(chart.Pixel(0, 5, 0.5)), qRgb(0, 200, 255));
    EXPECT_EQ(image.pixel(chart.Pixel(0, 5, 2.5)), qRgb(140, 140, 140));
    const QRgb above = image.pixel(chart.Pixel(0, 5, 5.6));  // background or a grid line
    EXPECT_NE(above, qRgb(0, 200, 255));
    EXPECT_NE(above, qRgb(140, 140, 140));
}

TEST(ChartScene, AxisSubsetCountsSplitTheSubsetsIntoStackedPanes)
{
    struct Case {
        const char* Name;
        std::vector<int> Counts;  // empty: never set
        std::vector<std::size_t> LayersPerPane;
    };
    const Case cases[] = {
        {"one pane by default", {}, {4}},
        {"one and three", {1, 3}, {1, 3}},
        {"remainder on the last axis", {2, 1}, {2, 2}},
        {"counts beyond the subsets", {3, 10}, {3, 1}},
        {"an empty first axis", {0, 4}, {0, 4}},
        {"one count", {2}, {4}},
        {"more counts than axes", {1, 1, 1, 1}, {1, 3}},
    };
    for (const Case& c : cases) {
        Chart chart({300, 300});
        SetData(chart, {{{0, 0}}, {{1, 1}}, {{2, 2}}, {{3, 3}}});
        if (!c.Counts.empty()) SetInts(chart, ChartAxisSubsets, c.Counts);
        const ChartScene& s = Resolve(chart);
        std::vector<std::size_t> layers;
        for (const ChartPane& p : s.Panes) layers.push_back(p.Layers.size());
        EXPECT_EQ(layers, c.LayersPerPane) << c.Name;
    }
}

TEST(ChartScene, PerAxisPropertiesFollowTheWorkingAxis)
{
    Chart chart;
    SetData(chart, {{{0, 0}}, {{1, 1}}});
    SetInts(chart, ChartAxisSubsets, {1, 1});
    ChartSetInt(chart, ChartWorkingAxis, 1);
    ChartSetText(chart, ChartYAxisLabel, "lower");
    ChartSetInt(chart, ChartYScale, ChartScaleManual);
    SetDouble(chart, ChartYMinimum, -5.0);
    SetDouble(chart, ChartYMaximum, 5.0);
    ChartSetInt(chart, ChartWorkingAxis, 0);
    ChartSetText(chart, ChartYAxisLabel, "upper");
    const ChartScene& s = Resolve(chart);
    ASSERT_EQ(s.Panes.size(), 2u);
    EXPECT_EQ(s.Panes[0].YLabel, "upper");
    EXPECT_EQ(s.Panes[1].YLabel, "lower");
    EXPECT_EQ(s.Panes[1].Y.Min, -5.0);
    EXPECT_NE(s.Panes[0].Y.Min, -5.0);
}

TEST(ChartScene, LegendListsTheDrawnSubsetsInListOrder)
{
    struct Case {
        const char* Name;
        std::vector<int> List;  // empty: never set
        std::vector<int> Subsets;
    };
    const Case cases[] = {
        {"never set", {}, {}},
        {"none", {-1}, {}},
        {"in list order", {2, 0}, {2, 0}},
        {"out of range, none and uncoloured entries skipped", {3, 7, -1, 1, 0}, {1, 0}},
    };
    const char* labels[] = {"zero", "one", "two", "three"};
    for (const Case& c : cases) {
        Chart chart({300, 200});
        SetData(chart, {{{0, 0}}, {{1, 1}}, {{2, 2}}, {{3, 3}}});
        SetInts(chart, ChartSubsetColours, {Rgb(255, 0, 0), Rgb(0, 0, 0), Rgb(255, 165, 0)});  // 3 has none
        for (int i = 0; i < 4; ++i) ChartSetCell(chart, ChartSubsetLabels, i, labels[i]);
        if (!c.List.empty()) SetInts(chart, ChartLegendSubsets, c.List);
        const ChartScene& s = Resolve(chart);
        std::vector<int> subsets;
        for (const ChartLegendEntry& e : s.Legend) {
            subsets.push_back(e.Subset);
            EXPECT_EQ(e.Label, labels[e.Subset]) << c.Name;
        }
        EXPECT_EQ(subsets, c.Subsets) << c.Name;
    }
}

TEST(ChartScene, ColoursAreCOLORREFsAndTextsWindows1252)
{
    Chart chart;
    SetData(chart, {{{0, 0}, {1, 1}}});
    SetInts(chart, ChartSubsetColours, {Rgb(255, 165, 0)});
    ChartSetInt(chart, ChartDeskColour, Rgb(220, 221, 222));
    ChartSetText(chart, ChartXAxisLabel, "Water Temperature (\xB0" "C)");
    ChartSetCell(chart, ChartSubtitle, 0, "|\x80 \x93quoted\x94|");
    const ChartScene& s = Resolve(chart);
    EXPECT_EQ(s.Panes[0].Layers[0].Colour, qRgb(255, 165, 0));
    EXPECT_EQ(s.DeskColour, qRgb(220, 221, 222));
    EXPECT_EQ(s.XLabel, QString::fromUtf8("Water Temperature (\u00B0C)"));
    EXPECT_EQ(s.SubtitleCentre, QString::fromUtf8("\u20AC \u201Cquoted\u201D"));
    EXPECT_EQ(chart.Image().pixel(2, 2), qRgb(220, 221, 222));
}

TEST(ChartScene, SubtitleSplitsIntoLeftCentreAndRightAtItsBars)
{
    struct Case {
        const char* Text;
        const char* Left;
        const char* Centre;
        const char* Right;
    };
    const Case cases[] = {
        {"", "", "", ""},
        {"Title", "", "Title", ""},
        {"|Reach 1|", "", "Reach 1", ""},
        {"|Reach 1|12:30:00      ", "", "Reach 1", "12:30:00"},
        {"left|centre", "left", "centre", ""},
        {"a|b|c|d", "a", "b", "c|d"},
    };
    for (const Case& c : cases) {
        Chart chart({300, 200});
        ChartSetCell(chart, ChartSubtitle, 0, c.Text);
        const ChartScene& s = Resolve(chart);
        EXPECT_EQ(s.SubtitleLeft, c.Left) << c.Text;
        EXPECT_EQ(s.SubtitleCentre, c.Centre) << c.Text;
        EXPECT_EQ(s.SubtitleRight, c.Right) << c.Text;
    }
}

TEST(ChartScene, AnnotationsShowUnlessSwitchedOff)
{
    Chart chart;
    SetData(chart, {{{0, 0}, {1, 1}}});
    const double xs[] = {0.0, Nan, 1.0}, ys[] = {0.0, 1.0, 1.0};
    const char* texts[] = {"1", "2", ""};
    for (int i = 0; i < 3; ++i) {
        ChartSetCell(chart, ChartAnnotationX, i, &xs[i]);
        ChartSetCell(chart, ChartAnnotationY, i, &ys[i]);
        ChartSetCell(chart, ChartAnnotationText, i, texts[i]);
    }
    ASSERT_EQ(Resolve(chart).Annotations.size(), 1u) << "a NaN position and an empty text show nothing";
    EXPECT_EQ(chart.Scene().Annotations[0].Text, "1");
    ChartSetInt(chart, ChartShowAnnotations, 0);
    EXPECT_TRUE(Resolve(chart).Annotations.empty());
}

}  // namespace
