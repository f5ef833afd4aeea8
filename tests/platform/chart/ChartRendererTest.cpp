// Axis numbers, far-off geometry and odd sizes in the renderer.
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

TEST(ChartRenderer, TicksAreRoundStepsInsideTheRange)
{
    struct Case {
        const char* Name;
        ChartRange Range;
        double Pixels, Spacing;
        std::vector<double> Ticks;
    };
    const Case cases[] = {
        {"stations", {0, 10}, 500, 60, {0, 2, 4, 6, 8, 10}},
        {"hours from just below zero", {-0.001, 24}, 700, 60, {0, 5, 10, 15, 20}},
        {"elevations", {90, 110}, 250, 37.5, {90, 95, 100, 105, 110}},
        {"small values", {0.93, 1.37}, 400, 60, {1.0, 1.1, 1.2, 1.3}},
        {"negative", {-7, -1}, 300, 60, {-6, -4, -2}},
        {"one pixel", {0, 10}, 1, 60, {0}},
        {"just room for steps of 10", {85.96, 116.7}, 95, 28, {90, 100, 110}},
        {"no pixels", {0, 10}, 0, 60, {}},
    };
    for (const Case& c : cases) {
        const std::vector<double> t = ChartTicks(c.Range, c.Pixels, c.Spacing);
        ASSERT_EQ(t.size(), c.Ticks.size()) << c.Name;
        for (std::size_t i = 0; i < t.size(); ++i) EXPECT_NEAR(t[i], c.Ticks[i], 1e-12) << c.Name;
    }
    // A huge range, or one lost in the precision of its values, still gives few ticks.
    EXPECT_LE(ChartTicks({-9e10, 9e10}, 800, 1).size(), 200u);
    EXPECT_LE(ChartTicks({1e11, 1e11 + 1e-4}, 800, 1).size(), 200u);
    EXPECT_LE(ChartTicks({0, 1e-300}, 1e10, 1).size(), 200u);
}

TEST(ChartRenderer, TickTextHasTheDecimalsOfItsStep)
{
    struct Case {
        double Value, Step;
        const char* Text;
    };
    const Case cases[] = {
        {0, 1, "0"},         {120, 10, "120"},    {2.5, 0.5, "2.5"},   {0.25, 0.05, "0.25"},
        {-1e-13, 0.2, "0.0"}, {-0.4, 0.2, "-0.4"}, {1e10, 1e9, "1e+10"}, {-3e11, 5e10, "-3e+11"},
    };
    for (const Case& c : cases) EXPECT_EQ(ChartTickText(c.Value, c.Step).toStdString(), c.Text) << c.Value << " step " << c.Step;
}

// A chart over x 0 .. 10 and y lo .. hi with one subset through the given points.
void FarOffChart(const Chart& chart, const std::vector<QPointF>& points, double lo, double hi, int lineType,
                 int plotting)
{
    ChartSetInt(chart, ChartSubsetCount, 1);
    ChartSetInt(chart, ChartPointCount, static_cast<int>(points.size()));
    for (int k = 0; k < static_cast<int>(points.size()); ++k) chart_replay::SetPoint(chart, 0, k, points[k].x(), points[k].y());
    SetInts(chart, ChartSubsetColours, {Rgb(255, 0, 0)});
    SetInts(chart, ChartSubsetLineTypes, {lineType});
    ChartSetInt(chart, ChartAxisPlotting, plotting);
    chart_replay::SetManualY(chart, lo, hi);
    ChartSetInt(chart, ChartXScale, ChartScaleManual);
    SetDouble(chart, ChartXMinimum, 0.0);
    SetDouble(chart, ChartXMaximum, 10.0);
    ChartReinitialize(chart);
    ChartResetImage(chart, 0, 0);
}

TEST(ChartRenderer, LinesReachingFarBeyondTheRangeAreDrawnOnlyWhereTheyCrossIt)
{
    // Over a range of 2e-8 a value of 1e11 lies some 1e21 pixels away, past what QPainter's
    // raster can take; the chart must still show the exact crossing.
    struct Case {
        const char* Name;
        std::vector<QPointF> Points;
        double Lo, Hi;
        int LineType;
        double CrossingX;  // the line crosses the plot from top to bottom here; NaN: not seen
    };
    const double none = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"vertical to +-1e11", {{5, -1e11}, {5, 1e11}}, 0, 10, 9, 5},
        {"vertical to +-1e300", {{5, -1e300}, {5, 1e300}}, 0, 10, 9, 5},
        {"dashed vertical over a tiny range", {{5, -1e11}, {5, 1e11}}, -1e-8, 1e-8, 5, 5},
        {"steep, crossing off centre, over a tiny range", {{0, -1e11}, {10, 3e11}}, -1e-8, 1e-8, 9, 2.5},
        {"event lines joined far above", {{3, -1e11}, {3, 1e11}, {8, 1e11}}, -1e-8, 1e-8, 5, 3},
        {"horizontal far above", {{-1e11, 1e11}, {1e11, 1e11}}, 0, 10, 9, none},
        {"far to the right", {{1e11, -1e11}, {1e11, 1e11}}, 0, 10, 9, none},
    };
    for (const Case& c : cases) {
        Chart chart({500, 400});
        FarOffChart(chart, c.Points, c.Lo, c.Hi, c.LineType, ChartPlotLines);
        const QImage image = chart.Image();
        const QRect plot = chart.Layout().Plots[0].toAlignedRect();
        const int all = chart_test::CountPixels(image, image.rect(), chart_test::Reddish);
        if (std::isnan(c.CrossingX)) {
            EXPECT_EQ(all, 0) << c.Name;
            continue;
        }
        const int column = chart.Pixel(0, c.CrossingX, 0).x();
        const int inColumn =
            chart_test::CountPixels(image, QRect(column - 2, plot.top(), 5, plot.height()), chart_test::Reddish);
        EXPECT_EQ(all, inColumn) << c.Name << ": red only along x = " << c.CrossingX;
        EXPECT_GE(inColumn, c.LineType == 5 ? plot.height() / 2 : plot.height()) << c.Name;
    }
}

TEST(ChartRenderer, BandsReachingFarBeyondTheRangeFillExactlyTheirVisiblePart)
{
    // The band's upper edge falls from 1e11 to -1e11 across the chart, crossing the middle of
    // a range of 2e-8 at x = 5: the left half of the plot is filled, the right half is not.
    Chart chart({500, 400});
    FarOffChart(chart, {{0, 1e11}, {10, -1e11}}, -1e-8, 1e-8, 0, ChartPlotLayers);
    const QImage image = chart.Image();
    const QRect plot = chart.Layout().Plots[0].toAlignedRect().adjusted(1, 1, -1, -1);
    const int middle = chart.Pixel(0, 5, 0).x();
    const QRect left(plot.left(), plot.top(), middle - 2 - plot.left(), plot.height());
    const QRect right(middle + 2, plot.top(), plot.right() - middle - 2, plot.height());
    const auto red = [](QRgb c) { return c == qRgb(255, 0, 0); };
    EXPECT_EQ(chart_test::CountPixels(image, left, red), left.width() * left.height());
    EXPECT_EQ(chart_test::CountPixels(image, right, red), 0);
}

TEST(ChartRenderer, AnyWindowSizeRenders)
{
    for (const QSize size : {QSize(1, 1), QSize(40, 30), QSize(120, 90), QSize(2000, 1400)}) {
        Chart chart(size);
        EXPECT_EQ(chart.Image().size(), size) << "before the first build";
        chart_replay::BuildProfile(chart, chart_replay::SampleReach(5), {}, {});
        EXPECT_EQ(chart.Image().size(), size);
    }
    Chart empty({0, 0});
    EXPECT_EQ(ChartReinitialize(empty), 1);
    EXPECT_EQ(ChartResetImage(empty, 0, 0), 1);
    EXPECT_TRUE(empty.Image().isNull());
}

}  // namespace
