#include "ChartClip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const ChartClipRect Box{10.0, 20.0, 110.0, 70.0};  // 100 x 50

struct SegmentCase {
    const char* Name;
    QPointF A, B;
    bool Visible;
    QPointF ClippedA, ClippedB;
};

TEST(ChartClip, SegmentsKeepOnlyTheirInsidePart)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const SegmentCase cases[] = {
        {"inside, unchanged", {20, 30}, {100, 60}, true, {20, 30}, {100, 60}},
        {"left of the box", {0, 30}, {5, 60}, false, {}, {}},
        {"above the box", {20, 0}, {100, 10}, false, {}, {}},
        {"along the bottom edge", {0, 70}, {200, 70}, true, {10, 70}, {110, 70}},
        {"leaves through the right", {60, 45}, {160, 45}, true, {60, 45}, {110, 45}},
        {"crosses diagonally", {0, 25}, {120, 55}, true, {10, 27.5}, {110, 52.5}},
        {"enters at the top, leaves at the bottom", {20, 0}, {60, 100}, true, {28, 20}, {48, 70}},
        {"misses a corner", {100, 0}, {130, 30}, false, {}, {}},
        {"event line at +-1e11", {50, -1e11}, {50, 1e11}, true, {50, 20}, {50, 70}},
        {"far diagonal", {-1e11, -1e11}, {1e11, 1e11}, true, {20, 20}, {70, 70}},
        {"steep from 1e21 away, exact on the edges", {50, -1e21}, {60, 3e21}, true, {52.5, 20}, {52.5, 70}},
        {"not a number", {20, nan}, {100, 60}, false, {}, {}},
    };
    for (const SegmentCase& c : cases) {
        QPointF a = c.A, b = c.B;
        ASSERT_EQ(ClipSegment(Box, a, b), c.Visible) << c.Name;
        if (!c.Visible) continue;
        EXPECT_NEAR(a.x(), c.ClippedA.x(), 1e-9) << c.Name;
        EXPECT_NEAR(a.y(), c.ClippedA.y(), 1e-9) << c.Name;
        EXPECT_NEAR(b.x(), c.ClippedB.x(), 1e-9) << c.Name;
        EXPECT_NEAR(b.y(), c.ClippedB.y(), 1e-9) << c.Name;
    }
}

TEST(ChartClip, EventLinesJoinedOffTheBoxStayTwoVerticalPieces)
{
    // Two vertical lines joined by a horizontal far above: only the verticals are visible.
    const std::vector<QPointF> line = {{30, -1e11}, {30, 1e11}, {90, 1e11}, {90, -1e11}, {90, -1e11}};
    std::vector<QPointF> points;
    std::vector<int> runs;
    ClipPolyline(line, Box, points, runs);
    ASSERT_EQ(runs, (std::vector<int>{2, 2}));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(points[2 * i].x(), points[2 * i + 1].x()) << "piece " << i << " is vertical";
        EXPECT_NEAR(std::fabs(points[2 * i].y() - points[2 * i + 1].y()), 50.0, 1e-9);
    }
}

TEST(ChartClip, PolylineStaysOnePieceWhileInsideAndSplitsWhereItLeaves)
{
    const std::vector<QPointF> line = {{20, 30}, {50, 40}, {80, 30}, {80, 100}, {100, 100}, {100, 40}, {105, 45}};
    std::vector<QPointF> points;
    std::vector<int> runs;
    ClipPolyline(line, Box, points, runs);
    ASSERT_EQ(runs, (std::vector<int>{4, 3}));
    EXPECT_EQ(points[3], QPointF(80, 70));
    EXPECT_EQ(points[4], QPointF(100, 70));
    EXPECT_EQ(points.back(), QPointF(105, 45));
}

double Area(const std::vector<QPointF>& p)
{
    double a = 0.0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const QPointF& u = p[i];
        const QPointF& v = p[(i + 1) % p.size()];
        a += u.x() * v.y() - v.x() * u.y();
    }
    return std::fabs(a) / 2.0;
}

TEST(ChartClip, PolygonsAreCutToTheBox)
{
    struct Case {
        const char* Name;
        std::vector<QPointF> Polygon;
        double Area;
    };
    const Case cases[] = {
        {"inside", {{20, 30}, {60, 30}, {60, 50}, {20, 50}}, 800.0},
        {"half outside on the left", {{0, 30}, {20, 30}, {20, 50}, {0, 50}}, 200.0},
        {"band reaching 1e11 below", {{20, 40}, {60, 40}, {60, 1e11}, {20, 1e11}}, 40.0 * 30.0},
        {"covers the box", {{-1e11, -1e11}, {1e11, -1e11}, {1e11, 1e11}, {-1e11, 1e11}}, 5000.0},
        {"outside", {{200, 200}, {300, 200}, {300, 300}}, 0.0},
    };
    for (const Case& c : cases) {
        const std::vector<QPointF> clipped = ClipPolygon(c.Polygon, Box);
        EXPECT_NEAR(clipped.size() < 3 ? 0.0 : Area(clipped), c.Area, 1e-6) << c.Name;
        for (const QPointF& p : clipped) {
            EXPECT_GE(p.x(), Box.Left) << c.Name;
            EXPECT_LE(p.x(), Box.Right) << c.Name;
            EXPECT_GE(p.y(), Box.Top) << c.Name;
            EXPECT_LE(p.y(), Box.Bottom) << c.Name;
        }
    }
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(ClipPolygon(std::vector<QPointF>{{20, 30}, {inf, 30}, {20, 50}}, Box).empty());
}

}  // namespace
