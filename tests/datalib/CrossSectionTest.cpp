#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <limits>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "datalib/CrossSection.h"

using namespace VQXGeometryDataLib;

namespace {

struct Pt {
    double x, e;
};

VQXCrossSection MakeSection(const std::vector<Pt>& points, double leftBank, double rightBank)
{
    VQXCrossSection s;
    for (const Pt& p : points)
        s.AddPoint(p.x, p.e);
    s.LeftBankStation = leftBank;
    s.RightBankStation = rightBank;
    s.AddRoughnessRow(-1000, 0.035, 0.06, 0.07);
    s.SinuosityRows.push_back({-1000, 1.0});
    s.FindBankPoints();
    s.FindThalweg();
    return s;
}

// The section of the worked example: a channel between two flat overbanks.
VQXCrossSection EightPointSection()
{
    return MakeSection({{0, 12}, {10, 10}, {20, 10}, {25, 2}, {35, 2}, {40, 10}, {50, 10}, {60, 12}}, 20, 40);
}

// An irregular section with overbanks on both sides.
VQXCrossSection IrregularSection()
{
    return MakeSection(
        {{0, 8}, {5, 6}, {12, 6.5}, {20, 3}, {26, 0.5}, {31, 1.2}, {38, 4}, {45, 5.5}, {52, 9}}, 20, 38);
}

VQXPropertyRow At(const VQXCrossSection& s, double level)
{
    VQXPropertyRow row{};
    s.ComputeProperties(level, row);
    return row;
}

// Area, top width and wetted perimeter of the part of a section between two stations that
// lies below a level, by fine subdivision of each segment (midpoint rule): independent of
// the segment formulas. Walls at the section's ends are added for the outer subsections.
struct Brute {
    double Area = 0, Width = 0, Perimeter = 0;
};

Brute BruteForce(const VQXCrossSection& s, double z, double from, double to)
{
    Brute b;
    const int pieces = 4000;
    for (std::size_t i = 0; i + 1 < s.Points.size(); ++i) {
        const VQXSectionPoint p = s.Points[i], q = s.Points[i + 1];
        if (p.Station < from || q.Station > to)
            continue;
        for (int k = 0; k < pieces; ++k) {
            const double t0 = static_cast<double>(k) / pieces, t1 = static_cast<double>(k + 1) / pieces;
            const double tm = (t0 + t1) / 2;
            const double em = p.Elevation + (q.Elevation - p.Elevation) * tm;
            if (em >= z)
                continue;
            const double dx = (q.Station - p.Station) * (t1 - t0);
            const double de = (q.Elevation - p.Elevation) * (t1 - t0);
            b.Area += (z - em) * dx;
            b.Width += dx;
            b.Perimeter += std::sqrt(dx * dx + de * de);
        }
    }
    if (s.Points.front().Station == from && z > s.Points.front().Elevation)
        b.Perimeter += z - s.Points.front().Elevation;
    if (s.Points.back().Station == to && z > s.Points.back().Elevation)
        b.Perimeter += z - s.Points.back().Elevation;
    return b;
}

}  // namespace

TEST(CrossSection, ConstructionAndRows)
{
    VQXCrossSection s;
    EXPECT_EQ(s.LeftBankPointRef(), nullptr);
    EXPECT_EQ(s.ThalwegIndex, 0);
    EXPECT_EQ(s.GetRoughnessRow(0), nullptr);
    s.AddRoughnessRow(1, 0.03, 0.04, 0.05);
    ASSERT_NE(s.GetRoughnessRow(0), nullptr);
    EXPECT_EQ(s.GetRoughnessRow(0)->LeftN, 0.04);
    EXPECT_EQ(s.GetRoughnessRow(1), nullptr);
    EXPECT_EQ(s.GetRoughnessRow(-1), nullptr);
}

TEST(CrossSection, DefaultShapeTakesAbsoluteValues)
{
    VQXCrossSection s;
    s.SetDefaultShape(-3, -20);
    EXPECT_EQ(s.LeftBankStation, 0);
    EXPECT_EQ(s.RightBankStation, 20);
    const std::vector<Pt> expected = {{0, 103}, {5, 3.01}, {10, 3}, {15, 3.01}, {20, 103}};
    ASSERT_EQ(s.Points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_DOUBLE_EQ(s.Points[i].Station, expected[i].x);
        EXPECT_DOUBLE_EQ(s.Points[i].Elevation, expected[i].e);
    }
    ASSERT_EQ(s.RoughnessRows.size(), 1u);
    EXPECT_EQ(s.RoughnessRows[0].Elevation, 3);
    EXPECT_EQ(s.RoughnessRows[0].ChannelN, 0.03);
    EXPECT_EQ(s.RoughnessRows[0].LeftN, 0.15);
    EXPECT_EQ(s.RoughnessRows[0].RightN, 0.15);
    ASSERT_EQ(s.SinuosityRows.size(), 1u);
    EXPECT_EQ(s.SinuosityRows[0].Elevation, 3);
    EXPECT_EQ(s.SinuosityRows[0].Sinuosity, 1.0);
    EXPECT_TRUE(ValidateCrossSection(s).Ok());
}

TEST(CrossSection, DefaultShapeAtLevelFiftyIsAllChannel)
{
    VQXCrossSection s;
    s.SetDefaultShape(0, 20);
    s.FindBankPoints();
    s.FindThalweg();
    const VQXPropertyRow r = At(s, 50);
    EXPECT_EQ(r[PropertyLeftArea], 0);
    EXPECT_EQ(r[PropertyRightArea], 0);
    EXPECT_EQ(r[PropertyLeftWidth], 0);
    EXPECT_EQ(r[PropertyRightPerimeter], 0);
    EXPECT_NEAR(r[PropertyChannelArea], 624.91, 0.005);
    EXPECT_NEAR(r[PropertyChannelPerimeter], 110.10, 0.005);
    EXPECT_NEAR(r[PropertyChannelWidth], 15.00, 0.005);
}

TEST(CrossSection, EightPointSectionAtLevelEleven)
{
    const VQXCrossSection s = EightPointSection();
    EXPECT_EQ(s.LeftBankPoint, 2);
    EXPECT_EQ(s.RightBankPoint, 5);
    const VQXPropertyRow r = At(s, 11);
    EXPECT_DOUBLE_EQ(r[PropertyLevel], 11);
    EXPECT_NEAR(r[PropertyLeftArea], 12.5, 1e-9);
    EXPECT_NEAR(r[PropertyLeftPerimeter], 15.10, 0.005);
    EXPECT_NEAR(r[PropertyLeftWidth], 15, 1e-9);
    EXPECT_NEAR(r[PropertyChannelArea], 140, 1e-9);
    EXPECT_NEAR(r[PropertyChannelPerimeter], 28.87, 0.005);
    EXPECT_NEAR(r[PropertyChannelWidth], 20, 1e-9);
    EXPECT_NEAR(r[PropertyRightArea], 12.5, 1e-9);
    EXPECT_NEAR(r[PropertyRightPerimeter], 15.10, 0.005);
    EXPECT_NEAR(r[PropertyRightWidth], 15, 1e-9);
    EXPECT_NEAR(r[PropertyTotalArea], 165, 1e-9);
    EXPECT_NEAR(r[PropertyTotalPerimeter], 59.07, 0.005);
    EXPECT_NEAR(r[PropertyTotalWidth], 50, 1e-9);
    EXPECT_EQ(r[PropertySpareArea], 0);
    EXPECT_EQ(r[PropertySpareWidth], 0);
}

TEST(CrossSection, SubsectionsAgreeWithAnIndependentIntegration)
{
    const VQXCrossSection s = IrregularSection();
    for (double z = 0.25; z <= 12.0; z += 0.37) {
        const VQXPropertyRow r = At(s, z);
        struct Part {
            double from, to, area, width, perimeter, bank;
        };
        const Part parts[] = {
            {0, 20, r[PropertyLeftArea], r[PropertyLeftWidth], r[PropertyLeftPerimeter], 3.0},
            {20, 38, r[PropertyChannelArea], r[PropertyChannelWidth], r[PropertyChannelPerimeter], -1e300},
            {38, 52, r[PropertyRightArea], r[PropertyRightWidth], r[PropertyRightPerimeter], 4.0},
        };
        for (const Part& p : parts) {
            Brute b = BruteForce(s, z, p.from, p.to);
            if (z <= p.bank)
                b = {};  // water at or below a bank point leaves that overbank dry
            const double tol = 2e-3 * (1 + b.Area);
            EXPECT_NEAR(p.area, b.Area, tol) << "z = " << z << " from " << p.from;
            EXPECT_NEAR(p.width, b.Width, 2e-3 * (1 + b.Width)) << "z = " << z << " from " << p.from;
            EXPECT_NEAR(p.perimeter, b.Perimeter, 2e-3 * (1 + b.Perimeter)) << "z = " << z << " from " << p.from;
        }
    }
}

TEST(CrossSection, AreaGrowsByTheTopWidth)
{
    // dA/dz = T: integrate the top width over the level and compare with the area.
    const VQXCrossSection s = IrregularSection();
    const double z0 = 0.5, z1 = 11.0;
    const int steps = 20000;
    double integral = 0;
    for (int k = 0; k < steps; ++k) {
        const double z = z0 + (z1 - z0) * (k + 0.5) / steps;
        const VQXPropertyRow r = At(s, z);
        integral += (r[PropertyLeftWidth] + r[PropertyChannelWidth] + r[PropertyRightWidth]) * (z1 - z0) / steps;
    }
    const VQXPropertyRow top = At(s, z1);
    const double area = top[PropertyLeftArea] + top[PropertyChannelArea] + top[PropertyRightArea];
    EXPECT_NEAR(integral, area, 1e-3 * area);
}

TEST(CrossSection, WettedWidthOfASegmentIsNeverNegativeNorWiderThanTheSegment)
{
    // A V-shaped triangle whose tops stand at 10. A level less than 1e-6 above the tops
    // leaves both top points "dry" by the tolerance but under water: each segment is then
    // wholly wet, so the section is 20 wide, not half of it.
    const VQXCrossSection v = MakeSection({{0, 10}, {10, 0}, {20, 10}}, 0, 20);
    const double levels[] = {10 - 2e-6, 10 - 1e-6, 10 - 0.5e-6, 10, std::nextafter(10.0, 11.0),
                             10 + 0.5e-6, 10 + 1e-6, 10 + 2e-6, 10 + 1e-3};
    for (double z : levels) {
        const VQXPropertyRow r = At(v, z);
        const double width = z <= 10 ? 2 * z : 20;
        const double area = z <= 10 ? z * z : 100 + 20 * (z - 10);
        EXPECT_NEAR(r[PropertyChannelWidth], width, 1e-5) << std::setprecision(17) << "z = " << z;
        EXPECT_NEAR(r[PropertyChannelArea], area, 1e-4) << std::setprecision(17) << "z = " << z;
        EXPECT_NEAR(r[PropertyChannelPerimeter], 2 * std::sqrt(200.0) + 2 * std::max(0.0, z - 10), 1e-5)
            << std::setprecision(17) << "z = " << z;
    }

    // The same triangle at 3.7: its table of 8 levels puts row 3 one rounding step above the
    // tops (3 x 7.4 / 6 = 3.7000000000000006).
    VQXCrossSection t = MakeSection({{0, 3.7}, {5, 0}, {10, 3.7}}, 0, 10);
    ASSERT_TRUE(t.BuildPropertyTable(8).Ok());
    for (int k = 0; k + 1 < 8; ++k) {
        const VQXPropertyRow& r = t.PropertyRows[static_cast<std::size_t>(k)];
        const double z = r[PropertyLevel];
        const double width = z <= 3.7 ? 10 * z / 3.7 : 10;
        const double area = z <= 3.7 ? width * z / 2 : 18.5 + 10 * (z - 3.7);
        EXPECT_NEAR(r[PropertyChannelWidth], width, 1e-9) << "row " << k;
        EXPECT_NEAR(r[PropertyChannelArea], area, 1e-9) << "row " << k;
    }
    EXPECT_GT(t.PropertyRows[3][PropertyLevel], 3.7);

    // Levels close to every point of an irregular section: widths within the segment,
    // area never falling as the level rises.
    const VQXCrossSection s = IrregularSection();
    std::vector<double> sweep;
    for (const VQXSectionPoint& p : s.Points)
        for (double d : {-2e-6, -1e-6, -0.9e-6, -0.3e-6, 0.0, 0.3e-6, 0.9e-6, 1e-6, 1.1e-6, 2e-6})
            sweep.push_back(p.Elevation + d);
    for (const VQXSectionPoint& p : s.Points) {
        sweep.push_back(std::nextafter(p.Elevation, 1e9));
        sweep.push_back(std::nextafter(p.Elevation, -1e9));
    }
    std::sort(sweep.begin(), sweep.end());
    double previousArea = -1;
    for (double z : sweep) {
        const VQXPropertyRow r = At(s, z);
        for (int c : {PropertyLeftWidth, PropertyChannelWidth, PropertyRightWidth, PropertyLeftArea,
                      PropertyChannelArea, PropertyRightArea, PropertyLeftPerimeter,
                      PropertyChannelPerimeter, PropertyRightPerimeter})
            EXPECT_GE(r[static_cast<std::size_t>(c)], 0.0) << "column " << c << " z = " << z;
        EXPECT_LE(r[PropertyLeftWidth], 20 + 1e-12);
        EXPECT_LE(r[PropertyChannelWidth], 18 + 1e-12);
        EXPECT_LE(r[PropertyRightWidth], 14 + 1e-12);
        EXPECT_GE(r[PropertyTotalArea], previousArea - 1e-12) << std::setprecision(17) << "z = " << z;
        previousArea = r[PropertyTotalArea];
    }
}

TEST(CrossSection, OverbankBelowItsBankPointIsDry)
{
    // A pond in the left overbank lies below the left bank point: while the water stays at or
    // below the bank point, the left overbank holds nothing (the totals keep the pond).
    const VQXCrossSection s = MakeSection({{0, 9}, {5, 1}, {10, 6}, {15, 0}, {20, 6}, {25, 9}}, 10, 20);
    const VQXPropertyRow r = At(s, 4);
    EXPECT_EQ(r[PropertyLeftArea], 0);
    EXPECT_EQ(r[PropertyLeftWidth], 0);
    EXPECT_EQ(r[PropertyLeftPerimeter], 0);
    EXPECT_GT(r[PropertyChannelArea], 0);
    EXPECT_GT(r[PropertyTotalArea], r[PropertyChannelArea]);

    const VQXPropertyRow low = At(s, -1);  // below every point
    for (int c = PropertyLeftArea; c <= PropertyTotalWidth; ++c)
        EXPECT_EQ(low[static_cast<std::size_t>(c)], 0) << "column " << c;
    EXPECT_EQ(low[PropertyLevel], -1);
}

TEST(CrossSection, FindBankPointsTakesTheHighestPointAtAStation)
{
    VQXCrossSection s;
    s.AddPoint(0, 9);
    s.AddPoint(10, 5);
    s.AddPoint(10, 7);
    s.AddPoint(20, 1);
    s.AddPoint(30, 8);
    s.AddPoint(30, 8);
    s.LeftBankStation = 10;
    s.RightBankStation = 30;
    s.FindBankPoints();
    EXPECT_EQ(s.LeftBankPoint, 2);
    EXPECT_EQ(s.LeftBankIndex, 2);
    EXPECT_EQ(s.RightBankPoint, 4);  // the first of equal ones
    EXPECT_EQ(s.LeftBankPointRef()->Elevation, 7);

    // A station that matches no point clears the reference and keeps the old index.
    s.RightBankStation = 31;
    s.FindBankPoints();
    EXPECT_EQ(s.RightBankPoint, -1);
    EXPECT_EQ(s.RightBankPointRef(), nullptr);
    EXPECT_EQ(s.RightBankIndex, 4);
}

TEST(CrossSection, ThalwegIsTheLowestPointBetweenTheBanks)
{
    // Point 0 lies lower than anything between the banks: the thalweg stays between them,
    // and its index is always the position of the point with its elevation.
    VQXCrossSection s = MakeSection({{0, -5}, {10, 4}, {20, 1}, {25, 0.5}, {30, 2}, {40, 4}}, 10, 40);
    EXPECT_DOUBLE_EQ(s.FindThalweg(), 0.5);
    EXPECT_EQ(s.ThalwegIndex, 3);
    EXPECT_EQ(s.ThalwegElevation, s.Points[3].Elevation);

    // Equal lowest points: the first one.
    VQXCrossSection flat = MakeSection({{0, 5}, {10, 1}, {20, 1}, {30, 5}}, 0, 30);
    EXPECT_EQ(flat.ThalwegIndex, 1);

    VQXCrossSection empty;
    empty.ThalwegElevation = 3;
    EXPECT_EQ(empty.FindThalweg(), 0);
    EXPECT_EQ(empty.ThalwegElevation, 0);

    // Indices left over from an earlier, longer section never reach outside the points.
    VQXCrossSection reused = MakeSection({{0, 9}, {1, 8}, {2, 7}, {3, 6}, {4, 5}, {5, 4}, {6, 3}, {7, 2}, {8, 1}, {9, 9}}, 0, 9);
    EXPECT_EQ(reused.RightBankIndex, 9);
    EXPECT_EQ(reused.ThalwegIndex, 8);
    reused.Clear();
    EXPECT_EQ(reused.RightBankIndex, 9);
    reused.AddPoint(0, 5);
    reused.AddPoint(5, 1);
    reused.AddPoint(10, 5);
    reused.LeftBankStation = 0;
    reused.RightBankStation = 11;  // matches no point
    reused.AddRoughnessRow(0, 0.03, 0.04, 0.05);
    reused.SinuosityRows.push_back({0, 1});
    reused.FindBankPoints();
    EXPECT_DOUBLE_EQ(reused.FindThalweg(), 1);
    EXPECT_EQ(reused.ThalwegIndex, 1);
    EXPECT_TRUE(reused.BuildPropertyTable(5).Ok());
}

TEST(CrossSection, MissingBankPointsMakeAnInvalidSectionButNoFault)
{
    // Neither bank station stands at a point: the check says so, the properties treat the
    // whole section as channel, and the model text writes the stations it was given.
    VQXCrossSection s = MakeSection({{0, 10}, {10, 0}, {20, 10}}, 1, 19);
    EXPECT_EQ(ValidateCrossSection(s).Code, SectionLeftBankUnmatched);
    EXPECT_EQ(s.LeftBankPointRef(), nullptr);
    EXPECT_EQ(s.RightBankPointRef(), nullptr);
    const VQXPropertyRow r = At(s, 5);
    EXPECT_NEAR(r[PropertyChannelArea], 25, 1e-9);
    EXPECT_NEAR(r[PropertyChannelWidth], 10, 1e-9);
    EXPECT_EQ(r[PropertyLeftArea], 0);
    EXPECT_EQ(r[PropertyRightArea], 0);
    ASSERT_TRUE(s.BuildPropertyTable(4).Ok());

    std::ostringstream text;
    const VQXSectionError written = s.WriteAsModelText(text);
    EXPECT_EQ(written.Code, SectionLeftBankUnmatched);
    EXPECT_EQ(text.str().substr(0, 8), "\t3\t1\t19\n");

    s.LeftBankStation = 0;
    s.FindBankPoints();
    EXPECT_EQ(ValidateCrossSection(s).Code, SectionRightBankUnmatched);
    std::ostringstream again;
    EXPECT_EQ(s.WriteAsModelText(again).Code, SectionRightBankUnmatched);
}

TEST(CrossSection, PropertyTableLevelsAndZones)
{
    VQXCrossSection s = EightPointSection();
    s.RoughnessRows.clear();
    s.AddRoughnessRow(0, 0.030, 0.050, 0.055);
    s.AddRoughnessRow(6, 0.032, 0.060, 0.065);
    s.AddRoughnessRow(3, 0.031, 0.070, 0.075);  // listed after the row at 6: overrides it above 3
    s.SinuosityRows = {{0, 1.2}, {12, 1.05}};
    ASSERT_TRUE(s.BuildPropertyTable(12).Ok());
    ASSERT_EQ(s.PropertyRows.size(), 12u);

    const double c = 2, f = 2 * 12 - 2;
    for (int k = 0; k <= 10; ++k)
        EXPECT_NEAR(s.PropertyRows[static_cast<std::size_t>(k)][PropertyLevel], c + k * (f - c) / 10, 1e-12);
    EXPECT_DOUBLE_EQ(s.PropertyRows[10][PropertyLevel], f);
    EXPECT_DOUBLE_EQ(s.PropertyRows[11][PropertyLevel], f + 10000);

    for (const VQXPropertyRow& row : s.PropertyRows) {
        const double z = row[PropertyLevel];
        const double wantChannel = z > 3 ? 0.031 : 0.030;  // row 0 at 2 keeps the first row
        EXPECT_EQ(row[PropertyChannelN], wantChannel) << "z = " << z;
        EXPECT_EQ(row[PropertyLeftN], z > 3 ? 0.070 : 0.050);
        EXPECT_EQ(row[PropertyRightN], z > 3 ? 0.075 : 0.055);
        EXPECT_EQ(row[PropertySinuosity], z > 12 ? 1.05 : 1.2);
        // Each row holds the properties of its level.
        const VQXPropertyRow direct = At(s, z);
        for (int col = PropertyLeftArea; col <= PropertyTotalWidth; ++col)
            EXPECT_EQ(row[static_cast<std::size_t>(col)], direct[static_cast<std::size_t>(col)]);
    }
    double channelN, leftN, rightN, sinuosity;
    ASSERT_TRUE(s.ZoneValuesAt(4, channelN, leftN, rightN, sinuosity));
    EXPECT_EQ(channelN, 0.031);
    EXPECT_EQ(sinuosity, 1.2);
}

TEST(CrossSection, TwoLevelTableHasNoNaN)
{
    VQXCrossSection s = EightPointSection();
    ASSERT_TRUE(s.BuildPropertyTable(2).Ok());
    ASSERT_EQ(s.PropertyRows.size(), 2u);
    EXPECT_EQ(s.PropertyRows[0][PropertyLevel], 2);                  // the thalweg
    EXPECT_EQ(s.PropertyRows[1][PropertyLevel], 2 * 12 - 2 + 10000);  // 2 x top - thalweg + 10000
    for (const VQXPropertyRow& row : s.PropertyRows)
        for (double v : row)
            EXPECT_TRUE(std::isfinite(v));
    EXPECT_EQ(s.PropertyRows[0][PropertyTotalArea], 0);
    EXPECT_GT(s.PropertyRows[1][PropertyTotalArea], 0);
}

TEST(CrossSection, BuildRefusesWhatItCannotBuild)
{
    VQXCrossSection s = EightPointSection();
    ASSERT_TRUE(s.BuildPropertyTable(5).Ok());
    const auto before = s.PropertyRows;
    struct Case {
        int levels;
        int code;
    };
    for (const Case c : {Case{1, SectionLevelCountOutOfRange}, Case{0, SectionLevelCountOutOfRange},
                         Case{301, SectionLevelCountOutOfRange}}) {
        const VQXSectionError e = s.BuildPropertyTable(c.levels);
        EXPECT_EQ(e.Code, c.code) << c.levels;
        EXPECT_FALSE(e.Message.empty());
        EXPECT_EQ(s.PropertyRows, before);
    }
    EXPECT_TRUE(s.BuildPropertyTable(300).Ok());
    EXPECT_EQ(s.PropertyRows.size(), 300u);

    VQXCrossSection noRows = EightPointSection();
    noRows.RoughnessRows.clear();
    EXPECT_EQ(noRows.BuildPropertyTable(10).Code, SectionNoRoughnessRow);
    VQXCrossSection noSinuosity = EightPointSection();
    noSinuosity.SinuosityRows.clear();
    EXPECT_EQ(noSinuosity.BuildPropertyTable(10).Code, SectionNoSinuosityRow);
    VQXCrossSection noPoints;
    noPoints.AddRoughnessRow(0, 0.03, 0.03, 0.03);
    noPoints.SinuosityRows.push_back({0, 1});
    EXPECT_EQ(noPoints.BuildPropertyTable(10).Code, SectionTooFewPoints);
    VQXCrossSection badThalweg = EightPointSection();
    badThalweg.ThalwegIndex = 8;
    EXPECT_EQ(badThalweg.BuildPropertyTable(10).Code, SectionThalwegOutOfRange);
    EXPECT_TRUE(badThalweg.PropertyRows.empty());
}

TEST(CrossSection, Validation)
{
    struct Case {
        const char* what;
        void (*edit)(VQXCrossSection&);
        int code;
        const char* message;
    };
    const Case cases[] = {
        {"valid", [](VQXCrossSection&) {}, SectionValid, ""},
        {"stations 3 and 4 equal", [](VQXCrossSection& s) { s.Points[3].Station = s.Points[2].Station; },
         SectionStationsNotIncreasing,
         "Station data from entry 3 to entry 4 are not in increasing order.\nPlease ensure that all sequential "
         "station entries are increasing."},
        {"stations 1 and 2 falling", [](VQXCrossSection& s) { s.Points[1].Station = -1; },
         SectionStationsNotIncreasing,
         "Station data from entry 1 to entry 2 are not in increasing order.\nPlease ensure that all sequential "
         "station entries are increasing."},
        {"left bank between points", [](VQXCrossSection& s) { s.LeftBankStation = 21; }, SectionLeftBankUnmatched,
         "The left bank station does not correspond to a station entry in the cross section table.\n"},
        {"right bank beyond the points", [](VQXCrossSection& s) { s.RightBankStation = 61; },
         SectionRightBankUnmatched,
         "The right bank station does not correspond to a station entry in the cross section table.\n"},
        {"no points", [](VQXCrossSection& s) { s.Points.clear(); }, SectionLeftBankUnmatched,
         "The left bank station does not correspond to a station entry in the cross section table.\n"},
        {"one point",
         [](VQXCrossSection& s) {
             s.Points.resize(1);
             s.LeftBankStation = s.RightBankStation = 0;
         },
         SectionTooFewPoints, "The cross section table needs at least two station entries.\n"},
        {"1001 points",
         [](VQXCrossSection& s) {
             s.Points.clear();
             for (int i = 0; i <= 1000; ++i)
                 s.AddPoint(i, 0);
             s.LeftBankStation = 0;
             s.RightBankStation = 1000;
         },
         SectionTooManyPoints, "The cross section table holds more than 1000 station entries.\n"},
        {"no roughness row", [](VQXCrossSection& s) { s.RoughnessRows.clear(); }, SectionNoRoughnessRow,
         "The Roughness Table needs at least one entry.\n"},
        {"eleven roughness rows", [](VQXCrossSection& s) { s.RoughnessRows.resize(11); },
         SectionTooManyRoughnessRows, "The Roughness Table holds more than 10 entries.\n"},
        {"no sinuosity row", [](VQXCrossSection& s) { s.SinuosityRows.clear(); }, SectionNoSinuosityRow,
         "The Sinuosity Table needs at least one entry.\n"},
        {"eleven sinuosity rows", [](VQXCrossSection& s) { s.SinuosityRows.resize(11); },
         SectionTooManySinuosityRows, "The Sinuosity Table holds more than 10 entries.\n"},
    };
    for (const Case& c : cases) {
        VQXCrossSection s = EightPointSection();
        c.edit(s);
        const VQXCrossSection copy = s;
        const VQXSectionError e = ValidateCrossSection(s);
        EXPECT_EQ(e.Code, c.code) << c.what;
        EXPECT_EQ(e.Message, c.message) << c.what;
        EXPECT_EQ(e.Ok(), c.code == SectionValid) << c.what;
        EXPECT_EQ(s.Points.size(), copy.Points.size()) << c.what;  // the check changes nothing
    }
    VQXCrossSection s = EightPointSection();
    s.Points[4].Station = 20;
    const VQXSectionError e = ValidateCrossSection(s);
    EXPECT_EQ(e.FirstEntry, 4);
    EXPECT_EQ(e.SecondEntry, 5);

    EXPECT_EQ(ValidateLevelCount(1).Code, SectionLevelCountOutOfRange);
    EXPECT_EQ(ValidateLevelCount(301).Code, SectionLevelCountOutOfRange);
    EXPECT_TRUE(ValidateLevelCount(2).Ok());
    EXPECT_TRUE(ValidateLevelCount(300).Ok());
}

TEST(CrossSection, ClearKeepsTheIndices)
{
    VQXCrossSection s = EightPointSection();
    ASSERT_TRUE(s.BuildPropertyTable(4).Ok());
    s.Clear();
    EXPECT_TRUE(s.Points.empty());
    EXPECT_TRUE(s.PropertyRows.empty());
    EXPECT_TRUE(s.RoughnessRows.empty());
    EXPECT_TRUE(s.SinuosityRows.empty());
    EXPECT_EQ(s.LeftBankPointRef(), nullptr);
    EXPECT_EQ(s.LeftBankStation, 0);
    EXPECT_EQ(s.ThalwegElevation, 0);
    EXPECT_EQ(s.LeftBankIndex, 2);
    EXPECT_EQ(s.RightBankIndex, 5);
    EXPECT_EQ(s.ThalwegIndex, 3);
}

TEST(CrossSectionText, ModelTextIsByteExact)
{
    VQXCrossSection s = EightPointSection();
    s.RoughnessRows.clear();
    s.AddRoughnessRow(0, 0.04, 0.06, 0.07);
    s.AddRoughnessRow(1, 0.045, 0.065, 0.075);  // the lowest level (2) lies above it
    s.SinuosityRows = {{0, 1.1}};
    ASSERT_TRUE(s.BuildPropertyTable(10).Ok());

    std::ostringstream text;
    EXPECT_TRUE(s.WriteAsModelText(text).Ok());
    EXPECT_EQ(text.str(),
              "\t8\t20\t40\n"
              "\t0\t12\t10\t10\t20\t10\t25\t2\t35\t2\t40\t10\t\n"
              "\t50\t10\t60\t12\t\n"
              "\t1\t2\t0.045\t0.065\t0.075\n"
              "\t1\t2\t1.1\n\n");

    // The caller's number formatting applies.
    std::ostringstream fixed;
    fixed << std::fixed << std::setprecision(3);
    s.WriteAsModelText(fixed);
    EXPECT_EQ(fixed.str().substr(0, 40), "\t8\t20.000\t40.000\n\t0.000\t12.000\t10.000\t10");
}

TEST(CrossSectionText, SixPairsALine)
{
    struct Case {
        int points;
        const char* expected;
    };
    const Case cases[] = {
        {6, "\t6\t0\t5\n\t0\t9\t1\t8\t2\t7\t3\t6\t4\t5\t5\t9\t\n"},
        {9, "\t9\t0\t8\n\t0\t9\t1\t8\t2\t7\t3\t6\t4\t5\t5\t4\t\n\t6\t3\t7\t2\t8\t9\t\n"},
        {13, "\t13\t0\t12\n\t0\t9\t1\t8\t2\t7\t3\t6\t4\t5\t5\t4\t\n\t6\t3\t7\t2\t8\t1\t9\t0\t10\t-1\t11\t-2\t\n"
             "\t12\t9\t\n"},
    };
    for (const Case& c : cases) {
        std::vector<Pt> pts;
        for (int i = 0; i < c.points; ++i)
            pts.push_back({static_cast<double>(i), i + 1 == c.points ? 9.0 : 9.0 - i});
        VQXCrossSection s = MakeSection(pts, 0, c.points - 1);
        ASSERT_TRUE(s.BuildPropertyTable(3).Ok());
        std::ostringstream text;
        s.WriteAsModelText(text);
        const std::string out = text.str();
        const std::string points = out.substr(0, out.find("\n\t1\t") + 1);
        EXPECT_EQ(points, c.expected) << c.points << " points";
    }
}

TEST(CrossSectionText, CommaDecimalLocaleChangesNoByte)
{
    VQXCrossSection s = MakeSection({{0, 1012.5}, {1500.25, 1000.125}, {3000, 1012.5}}, 0, 3000);
    ASSERT_TRUE(s.BuildPropertyTable(3).Ok());
    std::ostringstream reference;
    s.WriteAsModelText(reference);

    std::locale comma;
    try {
        comma = std::locale("de_DE.UTF-8");
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "no de_DE.UTF-8 locale on this machine";
    }
    const std::locale previous = std::locale::global(comma);
    std::ostringstream text;  // takes the comma-decimal global locale
    s.WriteAsModelText(text);
    std::locale::global(previous);
    EXPECT_EQ(text.str(), reference.str());
    EXPECT_NE(reference.str().find("1500.25"), std::string::npos);
    EXPECT_EQ(text.getloc().name(), comma.name());  // the stream's own locale is given back
}
