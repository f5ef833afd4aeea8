// Long lines drawn through what their pixel columns show: the points each column keeps, and
// a line of 100,000 points drawn reduced and in full lighting the same pixels of every column.
#include "ChartLineReduction.h"
#include "ChartReplay.h"
#include "ChartTestSupport.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <cmath>
#include <vector>

namespace {

using chart_test::Chart;

TEST(ChartLineReduction, EachColumnKeepsItsFirstLowestHighestAndLastPointInPointOrder)
{
    struct Case {
        const char* Name;
        std::vector<QPointF> Line, Reduced;
    };
    const Case cases[] = {
        {"no points", {}, {}},
        {"one point", {{3.5, 7}}, {{3.5, 7}}},
        {"one column: the highest before the lowest",
         {{0.1, 5}, {0.3, 9}, {0.4, 6}, {0.5, 1}, {0.7, 4}},
         {{0.1, 5}, {0.3, 9}, {0.5, 1}, {0.7, 4}}},
        {"the first and last are the extremes", {{2.0, 1}, {2.2, 5}, {2.4, 3}, {2.9, 8}}, {{2.0, 1}, {2.9, 8}}},
        {"one point per column is kept as it is", {{0.5, 1}, {1.5, 2}, {2.5, 0}}, {{0.5, 1}, {1.5, 2}, {2.5, 0}}},
        {"two columns",
         {{4.0, 2}, {4.5, 0}, {4.9, 3}, {5.0, 3}, {5.2, 9}, {5.4, -1}, {5.6, 4}, {5.8, 4}},
         {{4.0, 2}, {4.5, 0}, {4.9, 3}, {5.0, 3}, {5.2, 9}, {5.4, -1}, {5.8, 4}}},
        {"a column entered again starts a run of its own",
         {{1.2, 0}, {1.4, 1}, {2.3, 5}, {1.8, 2}, {1.9, 7}},
         {{1.2, 0}, {1.4, 1}, {2.3, 5}, {1.8, 2}, {1.9, 7}}},
        {"columns left of zero", {{-0.5, 1}, {-0.2, 2}, {0.2, 3}}, {{-0.5, 1}, {-0.2, 2}, {0.2, 3}}},
        {"equal extremes keep the first of them", {{7.1, 3}, {7.2, 3}, {7.3, 3}}, {{7.1, 3}, {7.3, 3}}},
    };
    std::vector<QPointF> reduced{{99, 99}};  // cleared first
    for (const Case& c : cases) {
        ReduceToPixelColumns(c.Line, reduced);
        EXPECT_EQ(reduced, c.Reduced) << c.Name;
    }
}

// What a line lights in one pixel column: its topmost and bottommost lit rows; none when the
// column is unlit.
struct ColumnExtent {
    int Top = -1, Bottom = -1;
    bool operator==(const ColumnExtent&) const = default;
};

// A pixel the red line has coloured at all (antialiased edges count).
bool Lit(QRgb c)
{
    return qRed(c) >= qGreen(c) + 8 && qRed(c) >= qBlue(c) + 8;
}

std::vector<ColumnExtent> Extents(const QImage& image, const QRect& area)
{
    std::vector<ColumnExtent> extents(static_cast<std::size_t>(area.width()));
    for (int x = area.left(); x <= area.right(); ++x) {
        ColumnExtent& e = extents[static_cast<std::size_t>(x - area.left())];
        for (int y = area.top(); y <= area.bottom(); ++y) {
            if (!Lit(image.pixel(x, y))) continue;
            if (e.Top < 0) e.Top = y;
            e.Bottom = y;
        }
    }
    return extents;
}

QImage Render(const ChartScene& scene, QSize size, ChartLineDetail detail)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter g(&image);
    PaintChart(g, scene, size, detail);
    return image;
}

TEST(ChartLineReduction, ALongSawtoothLightsTheSameColumnsOverTheSameRowsReducedAndInFull)
{
    // 100,000 points over 24 h: teeth of 2,500 points (some 30 pixel columns each) that rise
    // by 8 to 28 pixels a column, then fall within one step, with a ripple of 9 pixels on
    // every other point, and every seventh tooth leaving the range at the top.
    constexpr int Points = 100000;
    constexpr int Tooth = 2500;
    const QSize size(1280, 800);
    struct Case {
        int LineType;
        int Pen;  // pixels
    };
    for (const Case c : {Case{ChartLineMedium, 2}, Case{ChartLineThin, 1}}) {
        SCOPED_TRACE(c.LineType);
        Chart chart(size);
        chart_replay::Hydrograph h;
        for (int i = 0; i < Points; ++i) {
            h.Time.push_back(24.0 * i / Points);
            const double rise = double(i % Tooth) / Tooth;
            const double height = (i / Tooth) % 7 == 3 ? 140.0 : 40.0 + 10.0 * ((i / Tooth) % 5);
            h.Value.push_back(10.0 + height * rise + (i % 2 ? 1.5 : 0.0));
        }
        h.Y = chart_replay::Range{0.0, 120.0};
        chart_replay::BuildHydrograph(chart, h);
        chart_replay::SetInts(chart, ChartSubsetLineTypes, {c.LineType});
        ChartReinitialize(chart);
        ChartResetImage(chart, 0, 0);

        const ChartScene& scene = chart.Scene();
        ASSERT_EQ(scene.Panes[0].Layers.size(), 1u);
        EXPECT_EQ(scene.Panes[0].Layers[0].Points.size(), std::size_t(Points)) << "the scene keeps every point";
        const QImage reduced = chart.Image();
        EXPECT_EQ(reduced, Render(scene, size, ChartLineDetail::Reduced)) << "the window draws the reduced line";
        const QImage full = Render(scene, size, ChartLineDetail::Full);
        chart_test::Keep(reduced, "sawtooth-reduced");
        chart_test::Keep(full, "sawtooth-full");

        // Column by column over the plot and the frame's neighbourhood, where the pen reaches:
        // the same columns are lit, and from the same rows. Only the faint edges that the
        // pen's width spreads into the next column differ, by less than the pen's width: the
        // whole line's many overlapping segments sum them up where the reduced line has one.
        // A point of the column missed would show as a gap of 9 pixels at least.
        const QRect area = chart.Layout().Plots[0].toAlignedRect().adjusted(-3, -3, 3, 3);
        const std::vector<ColumnExtent> a = Extents(reduced, area);
        const std::vector<ColumnExtent> b = Extents(full, area);
        int lit = 0;
        for (std::size_t x = 0; x < a.size(); ++x) {
            const int column = area.left() + int(x);
            ASSERT_EQ(a[x].Top >= 0, b[x].Top >= 0) << "column " << column;
            if (b[x].Top < 0) continue;
            ++lit;
            EXPECT_GE(a[x].Top, b[x].Top) << "column " << column;
            EXPECT_LE(a[x].Top, b[x].Top + c.Pen) << "column " << column;
            EXPECT_LE(a[x].Bottom, b[x].Bottom) << "column " << column;
            EXPECT_GE(a[x].Bottom, b[x].Bottom - c.Pen) << "column " << column;
        }
        EXPECT_GT(lit, area.width() * 9 / 10) << "the line runs across the plot";
    }
}

}  // namespace
