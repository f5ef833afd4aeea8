// Cross-section property tables and node hydraulics against closed forms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/ModelSetup.h"

namespace {

const double Sqrt5 = std::sqrt(5.0);
const double Sqrt13 = std::sqrt(13.0);

struct Roughness {
    double Channel = 0.03, Left = 0.03, Right = 0.03;
};

void FillSection(CrossSectionTable& t, const std::vector<SectionPoint>& points, double leftBank, double rightBank,
                 Roughness n = {}, double sinuosity = 1.0)
{
    t.Points = points;
    t.PointCount = static_cast<int>(points.size());
    t.LeftBankStation = leftBank;
    t.RightBankStation = rightBank;
    t.RoughnessRowCount = 1;
    t.RoughnessRows[0][0] = -1000;
    t.RoughnessRows[1][0] = n.Channel;
    t.RoughnessRows[2][0] = n.Left;
    t.RoughnessRows[3][0] = n.Right;
    t.SinuosityRowCount = 1;
    t.SinuosityRows[0][0] = -1000;
    t.SinuosityRows[1][0] = sinuosity;
}

// A node with a surveyed section, set up the way the model reader leaves it.
struct SectionNode {
    NodeRecord Node;
    CrossSectionTable Table;

    SectionNode(const std::vector<SectionPoint>& points, double leftBank, double rightBank, int code,
                Roughness n = {}, double sinuosity = 1.0)
    {
        SetNodeDefaults(&Node);
        FillSection(Table, points, leftBank, rightBank, n, sinuosity);
        Build(code);
    }
    void Build(int code)
    {
        Node.SectionCode = code;
        Node.CrossSection = &Table;
        BuildCrossSectionTable(&Table, code);
        Node.Invert = Table.LowestElevation;
        Node.MinFlowArea = ComputeMinimumFlowArea(&Node);
    }
    SectionNode(const SectionNode&) = delete;
    SectionNode& operator=(const SectionNode&) = delete;

    double At(int column, int row) const { return Table.Column(column)[row]; }
};

NodeRecord RectNode(double width, double n, double invert)
{
    NodeRecord node;
    SetNodeDefaults(&node);
    node.RectWidth = width;
    node.ManningN = n;
    node.Invert = invert;
    return node;
}

double Manning(double area, double perimeter, double n) { return area * std::pow(area / perimeter, 2.0 / 3.0) / n; }

// Rectangle 10 wide between vertical walls 10 high.
const std::vector<SectionPoint> Box = {{0, 10}, {0, 0}, {10, 0}, {10, 10}};
// Trapezoid: bottom 4, side slopes 2 horizontal to 1 vertical, 3 deep.
const std::vector<SectionPoint> Trapezoid = {{0, 3}, {6, 0}, {10, 0}, {16, 3}};
// Compound channel: trapezoidal channel (bottom 16, slopes 2:3, 3 deep, banks at 20 and 40)
// between a left floodplain 20 wide and a right one 30 wide, walls at both ends up to 6.
const std::vector<SectionPoint> Compound = {{0, 6}, {0, 3}, {20, 3}, {22, 0}, {38, 0}, {40, 3}, {70, 3}, {70, 6}};
const std::vector<SectionPoint> Vee = {{0, 10}, {10, 0}, {20, 10}};

class Hydraulics : public ::testing::Test {
protected:
    void SetUp() override { SetModelDefaults(); }
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Table lookup
// ---------------------------------------------------------------------------------------
// The composite roughness of a bed and an ice cover against the closed forms of the
// perimeter-weighted means (of n^1.5 for Manning's n, of the fourth roots for roughness
// heights), and the Chezy coefficients of both laws.
TEST_F(Hydraulics, RoughnessMixAndChezyFactorAgainstTheirClosedForms)
{
    const double g = g_ModelControl.Gravity;
    struct Case {
        double nb, ni, r, composite;
    } cases[] = {
        {0.03, 0.03, 0.7, 0.03},
        {0.03, 0.02, 1.0, std::pow((std::pow(0.03, 1.5) + std::pow(0.02, 1.5)) / 2, 2.0 / 3.0)},
        {0.025, 0.04, 0.3, std::pow((std::pow(0.025, 1.5) + 0.3 * std::pow(0.04, 1.5)) / 1.3, 2.0 / 3.0)},
        {-0.1, -0.01, 0.5, -std::pow((std::pow(0.1, 0.25) + 0.5 * std::pow(0.01, 0.25)) / 1.5, 4.0)},
        // Manning's n against a roughness height: nothing to mix.
        {0.03, -0.01, 0.5, 0.03},
        {-0.1, 0.02, 0.5, -0.1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nb);
        EXPECT_NEAR(c.nb * RoughnessMixFactor(c.nb, c.ni, c.r), c.composite, 1e-15);
    }
    EXPECT_NEAR(ComputeChezyFactor(4.0, 0.03, 1.0), std::pow(4.0, 1.0 / 6.0) / (std::sqrt(g) * 0.03), 1e-12);
    EXPECT_NEAR(ComputeChezyFactor(4.0, 0.03, 1.2), std::pow(4.0, 1.0 / 6.0) / (std::sqrt(g) * 0.036), 1e-12);
    EXPECT_NEAR(ComputeChezyFactor(2.0, -0.05, 2.0), 5.75 * std::log10(2.0 / 0.1) + 6.2, 1e-12);
    EXPECT_EQ(ComputeChezyFactor(2.0, 0.0, 1.0), 0.0);
}

TEST_F(Hydraulics, InterpolateTableCases)
{
    const double xs[] = {0, 1, 3, 6};
    const double ys[] = {10, 20, 40, 10};
    struct Case {
        double x;
        double y;
        bool extrapolation;
    } cases[] = {
        {-1, 10, false}, {0, 10, false}, {0.5, 15, false}, {1, 20, false}, {2, 30, false},
        {3, 40, false},  {4.5, 25, false}, {6, 10, true}, {100, 10, true},
    };
    for (const Case& c : cases) {
        for (int count : {4, -4}) {
            testing::internal::CaptureStdout();
            const double y = InterpolateTable(xs, ys, c.x, count);
            const std::string out = testing::internal::GetCapturedStdout();
            EXPECT_DOUBLE_EQ(y, c.y) << "x = " << c.x << " count " << count;
            EXPECT_EQ(out, c.extrapolation ? "\n Array extrapolation has been requested!\n\n" : "") << c.x;
        }
    }
    // A key equal to a row's returns that row exactly.
    EXPECT_EQ(InterpolateTable(xs, ys, 3.0, 4), 40.0);
}

TEST_F(Hydraulics, InterpolateTableEmptyAndNotANumber)
{
    const double xs[] = {0, 1};
    const double ys[] = {5, 6};
    testing::internal::CaptureStdout();
    EXPECT_EQ(InterpolateTable(xs, ys, 0.5, 0), 0.0);
    EXPECT_EQ(InterpolateTable(nullptr, nullptr, 0.5, 0), 0.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    testing::internal::CaptureStderr();
    EXPECT_EQ(InterpolateTable(xs, ys, std::numeric_limits<double>::quiet_NaN(), 2), -1.0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Interval not found for interpolation.\n");
}

// ---------------------------------------------------------------------------------------
// Property tables
// ---------------------------------------------------------------------------------------
// Every column of every level has a place of its own in the table's storage: values written
// through the columns come back unchanged and fill the storage exactly once; the storage is
// aligned to a cache line and a hot column's levels lie a hot block's width apart.
TEST_F(Hydraulics, TableColumnsEachHaveTheirOwnStorage)
{
    for (int levels : {1, 2, 7, 300}) {
        CrossSectionTable t;
        t.LevelCount = levels;
        t.Properties.assign(static_cast<size_t>(SectionPropertyColumnCount) * levels, -1.0);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(t.Properties.data()) % 64, 0u) << levels;
        for (int c = 0; c < SectionPropertyColumnCount; ++c)
            for (int k = 0; k < levels; ++k) t.Column(c)[k] = c * 1000.0 + k;
        std::vector<double> seen(t.Properties.begin(), t.Properties.end());
        std::sort(seen.begin(), seen.end());
        std::vector<double> expected;
        for (int c = 0; c < SectionPropertyColumnCount; ++c)
            for (int k = 0; k < levels; ++k) expected.push_back(c * 1000.0 + k);
        EXPECT_EQ(seen, expected) << levels;
        const CrossSectionTable& read = t;
        for (int c = 0; c < SectionPropertyColumnCount; ++c)
            for (int k = 0; k < levels; ++k) ASSERT_EQ(read.Column(c)[k], c * 1000.0 + k) << c << " " << k;
        if (levels > 1) {
            EXPECT_EQ(&t.Column(TotalArea)[1] - &t.Column(TotalArea)[0], SectionHotColumnCount) << levels;
        }
    }
    const CrossSectionTable empty;
    EXPECT_TRUE(!empty.Column(TotalArea));
    EXPECT_TRUE(!empty.Column(AreaMoment));
}

TEST_F(Hydraulics, RectangularSectionTableMatchesClosedForm)
{
    SectionNode s(Box, 0, 10, 12);
    const CrossSectionTable& t = s.Table;
    EXPECT_EQ(t.LevelCount, 12);
    EXPECT_EQ(t.Properties.size(), 21u * 12u);
    EXPECT_EQ(t.LeftBankPoint, 0);    // the higher of the two points at station 0
    EXPECT_EQ(t.RightBankPoint, 3);
    EXPECT_EQ(t.LowestElevation, 0.0);
    EXPECT_EQ(t.LowestPointIndex, 1);
    EXPECT_EQ(t.TopLevel, 20.0);

    // The bed at the level of row 0 is not under water.
    for (int c : {ChannelWidth, ChannelArea, ChannelPerimeter, TotalArea, AreaMoment, CentroidDepthColumn})
        EXPECT_EQ(s.At(c, 0), 0.0) << c;
    for (int r = 1; r < 12; ++r) {
        const double h = r < 11 ? 2.0 * r : 20.0 + 10000.0;
        EXPECT_NEAR(s.At(StageLevel, r), h, 1e-12) << r;
        EXPECT_NEAR(s.At(ChannelWidth, r), 10, 1e-12) << r;
        EXPECT_NEAR(s.At(ChannelArea, r), 10 * h, 1e-9 * h) << r;
        EXPECT_NEAR(s.At(TotalArea, r), 10 * h, 1e-9 * h) << r;
        EXPECT_NEAR(s.At(ChannelPerimeter, r), 10 + 2 * h, 1e-9 * h) << r;
        EXPECT_NEAR(s.At(AreaMoment, r), 5 * h * h, 1e-9 * h * h) << r;
        EXPECT_NEAR(s.At(CentroidDepthColumn, r), h / 2, 1e-9 * h) << r;
        for (int c : {LeftWidth, RightWidth, LeftArea, RightArea, LeftPerimeter, RightPerimeter, LeftAreaMoment,
                      RightAreaMoment, SpareColumnA, SpareColumnB})
            EXPECT_EQ(s.At(c, r), 0.0) << c << " row " << r;
        EXPECT_EQ(s.At(ChannelN, r), 0.03);
        EXPECT_EQ(s.At(Sinuosity, r), 1.0);
    }
}

TEST_F(Hydraulics, TrapezoidLevelPropertiesMatchClosedForm)
{
    SectionNode s(Trapezoid, 0, 16, 14);
    const double b = 4, z = 2, top = 3;
    for (double h : {0.5, 1.0, 2.25, 3.0, 4.0, 7.5}) {
        ComputeSectionLevelProperties(&s.Table, 0, h);
        const double d = std::min(h, top);
        const double width = b + 2 * z * d;
        const double area = (b + z * d) * d + (h - d) * 16;
        const double perimeter = b + 2 * d * Sqrt5 + 2 * (h - d);
        EXPECT_NEAR(s.At(ChannelWidth, 0), width, 1e-12) << h;
        EXPECT_NEAR(s.At(ChannelArea, 0), area, 1e-12) << h;
        EXPECT_NEAR(s.At(ChannelPerimeter, 0), perimeter, 1e-12) << h;
        EXPECT_EQ(s.At(StageLevel, 0), h);
    }
}

TEST_F(Hydraulics, TrapezoidFirstMomentsAndCentroidDepth)
{
    // 14 levels: step 0.5 from 0 to the top level 6. The area moment sums midpoint-weighted area
    // increments; for a trapezoid that sum is the exact moment b h^2/2 + z h^3/3 plus z h dh^2/6.
    SectionNode s(Trapezoid, 0, 16, 14);
    const double b = 4, z = 2, dh = 0.5;
    for (int r = 1; r <= 6; ++r) {
        const double h = r * dh;
        const double area = (b + z * h) * h;
        const double moment = b * h * h / 2 + z * h * h * h / 3 + z * h * dh * dh / 6;
        EXPECT_NEAR(s.At(TotalArea, r), area, 1e-12) << r;
        EXPECT_NEAR(s.At(AreaMoment, r), moment, 1e-11) << r;
        EXPECT_NEAR(s.At(CentroidDepthColumn, r), moment / area, 1e-12) << r;
    }
}

TEST_F(Hydraulics, CompoundSectionTableByLevel)
{
    SectionNode s(Compound, 20, 40, -14);
    const CrossSectionTable& t = s.Table;
    EXPECT_EQ(t.LeftBankPoint, 2);
    EXPECT_EQ(t.RightBankPoint, 5);
    EXPECT_EQ(t.LowestPointIndex, 3);
    EXPECT_EQ(t.TopLevel, 12.0);
    const double z = 2.0 / 3.0;
    for (int r = 1; r <= 12; ++r) {
        const double h = r;   // step 1
        ASSERT_NEAR(s.At(StageLevel, r), h, 1e-12);
        const double d = std::min(h, 3.0);
        const double over = h > 3 ? h - 3 : 0;
        const double chanW = 16 + 2 * z * d, chanA = (16 + z * d) * d + 20 * over;
        const double chanP = 16 + 2 * d * std::sqrt(1 + z * z);
        EXPECT_NEAR(s.At(ChannelWidth, r), chanW, 1e-12) << h;
        EXPECT_NEAR(s.At(ChannelArea, r), chanA, 1e-11) << h;
        EXPECT_NEAR(s.At(ChannelPerimeter, r), chanP, 1e-12) << h;
        EXPECT_NEAR(s.At(LeftWidth, r), h > 3 ? 20 : 0, 1e-12) << h;
        EXPECT_NEAR(s.At(LeftArea, r), 20 * over, 1e-11) << h;
        EXPECT_NEAR(s.At(LeftPerimeter, r), h > 3 ? 20 + over : 0, 1e-12) << h;
        EXPECT_NEAR(s.At(RightWidth, r), h > 3 ? 30 : 0, 1e-12) << h;
        EXPECT_NEAR(s.At(RightArea, r), 30 * over, 1e-11) << h;
        EXPECT_NEAR(s.At(RightPerimeter, r), h > 3 ? 30 + over : 0, 1e-12) << h;
        EXPECT_NEAR(s.At(TotalArea, r), chanA + 50 * over, 1e-11) << h;
        EXPECT_NEAR(s.At(LeftAreaMoment, r), 20 * over * over / 2, 1e-10) << h;
        EXPECT_NEAR(s.At(RightAreaMoment, r), 30 * over * over / 2, 1e-10) << h;
    }
    // Whole-section moment at level 5: the channel trapezoid below the banks (plus the midpoint
    // sum's z d dh^2 / 6 over its three unit steps) and the 70-wide rectangle above them.
    const double h = 5, d = 3;
    const double exact = 16 * (h * d - d * d / 2) + 2 * z * (h * d * d / 2 - d * d * d / 3) + 70 * (h - d) * (h - d) / 2;
    EXPECT_NEAR(s.At(AreaMoment, 5), exact + z * d / 6, 1e-10);
    EXPECT_NEAR(s.At(CentroidDepthColumn, 5), (exact + z * d / 6) / s.At(TotalArea, 5), 1e-12);
}

TEST_F(Hydraulics, SectionCodeSignDecidesTheKeyArea)
{
    SectionNode compound(Compound, 20, 40, -14);
    SectionNode single(Compound, 20, 40, 14);
    for (int r = 0; r < 14; ++r) {
        // Geometry by subsection is the same; only the key area and the overbank moments differ.
        for (int c : {StageLevel, ChannelWidth, LeftWidth, RightWidth, ChannelArea, LeftArea, RightArea,
                      ChannelPerimeter, LeftPerimeter, RightPerimeter})
            EXPECT_EQ(compound.At(c, r), single.At(c, r)) << c << " row " << r;
        const double overbanks = r == 0 ? 0 : compound.At(LeftArea, r) + compound.At(RightArea, r);
        EXPECT_NEAR(compound.At(TotalArea, r), (r == 0 ? 0 : single.At(ChannelArea, r)) + overbanks, 1e-9);
        EXPECT_EQ(single.At(TotalArea, r), r == 0 ? 0 : single.At(ChannelArea, r));
        EXPECT_EQ(single.At(LeftAreaMoment, r), 0.0);
        EXPECT_EQ(single.At(RightAreaMoment, r), 0.0);
    }
    EXPECT_GT(compound.At(LeftAreaMoment, 6), 0.0);

    // Level 5, water above both banks. The single section carries only the channel, with the
    // channel's conveyance; the compound channel sums three subsection conveyances.
    const double pc = 16 + 2 * Sqrt13;
    single.Node.FlowArea = 94;   // channel area at level 5
    const double kSingle = ComputeConveyance(&single.Node);
    EXPECT_NEAR(kSingle, Manning(94, pc, 0.03), 1e-9 * kSingle);
    EXPECT_DOUBLE_EQ(single.Node.MomentumCoefficient, 1.06);
    // The channel values of a single section are those of its whole flow area.
    single.Node.Discharge = 120;
    ComputeConveyance(&single.Node);
    EXPECT_NEAR(single.Node.HydraulicRadius, 94 / pc, 1e-12);
    EXPECT_NEAR(single.Node.BedHydraulicRadius, 94 / pc, 1e-12);
    EXPECT_DOUBLE_EQ(single.Node.CompositeN, 0.03);
    EXPECT_NEAR(single.Node.ChannelFrictionSlope, 120.0 * 120 / (kSingle * kSingle), 1e-15);

    compound.Node.FlowArea = 194;
    const double kCompound = ComputeConveyance(&compound.Node);
    const double kc = Manning(94, pc, 0.03), kl = Manning(40, 22, 0.03), kr = Manning(60, 32, 0.03);
    EXPECT_NEAR(kCompound, kc + kl + kr, 1e-9 * kCompound);
}

TEST_F(Hydraulics, CompoundConveyanceAndMomentumCoefficientFromSubsections)
{
    const Roughness n{0.03, 0.06, 0.05};
    SectionNode s(Compound, 20, 40, -14, n);
    const double pc = 16 + 2 * Sqrt13;
    struct Case {
        double level;
        double ac, al, ar, pl, pr;
    } cases[] = {
        {5, 94, 40, 60, 22, 32},
        {7, 134, 80, 120, 24, 34},
        {9.5, 184, 130, 195, 26.5, 36.5},
    };
    for (const Case& c : cases) {
        const double a = c.ac + c.al + c.ar;
        s.Node.FlowArea = a;
        s.Node.Discharge = 400;
        s.Node.Velocity = 400 / a;
        const double k = ComputeConveyance(&s.Node);
        const double kc = Manning(c.ac, pc, n.Channel), kl = Manning(c.al, c.pl, n.Left), kr = Manning(c.ar, c.pr, n.Right);
        const double kk = kc + kl + kr;
        EXPECT_NEAR(k, kk, 1e-9 * kk) << c.level;
        const double beta = 1.06 * (kc * kc / c.ac + kl * kl / c.al + kr * kr / c.ar) / (kk * kk / a);
        EXPECT_NEAR(s.Node.MomentumCoefficient, beta, 1e-9) << c.level;
        EXPECT_GT(s.Node.MomentumCoefficient, 1.06);
        EXPECT_NEAR(s.Node.HydraulicRadius, c.ac / pc, 1e-12);
        EXPECT_NEAR(s.Node.BedHydraulicRadius, c.ac / pc, 1e-12);
        EXPECT_DOUBLE_EQ(s.Node.SinuosityRatio, 1.0);
        const double qc = 400 / a * c.ac;
        EXPECT_NEAR(s.Node.ChannelFrictionSlope, qc * qc / (kc * kc), 1e-15);
    }
    // In bank: one subsection only, the plain coefficient.
    s.Node.FlowArea = s.At(TotalArea, 2);
    ComputeConveyance(&s.Node);
    EXPECT_DOUBLE_EQ(s.Node.MomentumCoefficient, 1.06);
}

TEST_F(Hydraulics, SinuosityRatioWeightsChannelAreaByLevel)
{
    SectionNode s(Compound, 20, 40, -14, {}, 1.2);
    // Above 3.5 the channel's sinuosity falls to 1.
    s.Table.SinuosityRowCount = 2;
    s.Table.SinuosityRows[0][1] = 3.5;
    s.Table.SinuosityRows[1][1] = 1.0;
    s.Build(-14);
    // Level 5: channel area 54 below level 3 weighted 1.2, the 40 above it and both overbanks 1.
    s.Node.FlowArea = 194;
    const double k = ComputeConveyance(&s.Node);
    const double ratio = (1.2 * 54 + 40 + 40 + 60) / 194;
    EXPECT_NEAR(s.Node.SinuosityRatio, ratio, 1e-12);
    const double kc = Manning(94, 16 + 2 * Sqrt13, 0.03) / std::sqrt(ratio);
    EXPECT_NEAR(k, kc + Manning(40, 22, 0.03) + Manning(60, 32, 0.03), 1e-9 * k);

    // Between levels the partial interval counts with the sinuosity at the area; the running
    // sums and a walk over the rows agree.
    for (double a : {10.0, 54.0, 80.0, 150.0, 194.0, 400.0}) {
        s.Node.FlowArea = a;
        ComputeConveyance(&s.Node);
        const double withSums = s.Node.SinuosityRatio;
        std::vector<double> keep = s.Table.SinuosityAreaSums;
        s.Table.SinuosityAreaSums.clear();
        ComputeConveyance(&s.Node);
        EXPECT_DOUBLE_EQ(s.Node.SinuosityRatio, withSums) << a;
        s.Table.SinuosityAreaSums = keep;
    }
}

TEST_F(Hydraulics, WaterAtOrBelowABankLeavesThatOverbankDry)
{
    // Right overbank behind a levee (bank point at 5) whose ground falls to 2: water below the
    // levee top does not fill the low ground behind it.
    const std::vector<SectionPoint> levee = {{0, 8}, {0, 4}, {10, 4}, {12, 0}, {18, 0}, {20, 5}, {24, 2}, {40, 2}, {40, 8}};
    SectionNode s(levee, 10, 20, -12);
    EXPECT_EQ(s.Table.LeftBankPoint, 2);
    EXPECT_EQ(s.Table.RightBankPoint, 5);
    for (double level : {3.0, 4.0, 4.5, 5.0}) {
        ComputeSectionLevelProperties(&s.Table, 0, level);
        EXPECT_EQ(s.At(RightWidth, 0), 0.0) << level;
        EXPECT_EQ(s.At(RightArea, 0), 0.0) << level;
        EXPECT_EQ(s.At(RightPerimeter, 0), 0.0) << level;
        if (level <= 4) {
            EXPECT_EQ(s.At(LeftWidth, 0), 0.0) << level;
            EXPECT_EQ(s.At(LeftArea, 0), 0.0) << level;
            EXPECT_EQ(s.At(LeftPerimeter, 0), 0.0) << level;
        } else {
            EXPECT_NEAR(s.At(LeftWidth, 0), 10, 1e-12);
            EXPECT_NEAR(s.At(LeftArea, 0), 10 * (level - 4), 1e-12);
        }
    }
    // Over the levee, the ground behind it fills: 4 m wedge plus 16 m flat at depth 0.5 below 2.5.
    ComputeSectionLevelProperties(&s.Table, 0, 5.5);
    EXPECT_NEAR(s.At(RightWidth, 0), 20, 1e-12);
    EXPECT_NEAR(s.At(RightArea, 0), (0.5 + 3.5) / 2 * 4 + 3.5 * 16, 1e-12);
}

TEST_F(Hydraulics, RightBankAtTheLastPointPutsEverythingRightOfTheLeftBankInTheChannel)
{
    // Left floodplain 0..20 at 3, channel from the left bank to the section's end.
    const std::vector<SectionPoint> points = {{0, 3}, {20, 3}, {22, 0}, {38, 0}, {40, 6}};
    SectionNode s(points, 20, 40, -10);
    EXPECT_EQ(s.Table.RightBankPoint, 4);
    ComputeSectionLevelProperties(&s.Table, 0, 4);
    EXPECT_NEAR(s.At(LeftWidth, 0), 20, 1e-12);
    EXPECT_NEAR(s.At(LeftArea, 0), 20, 1e-12);
    // Channel: the 2-wide wedge, the bottom 16, and 4/6 of the last segment's 2.
    EXPECT_NEAR(s.At(ChannelWidth, 0), 2 + 16 + 2.0 * 4 / 6, 1e-12);
    EXPECT_NEAR(s.At(ChannelArea, 0), (1 + 4) / 2.0 * 2 + 4 * 16 + 4 * (2.0 * 4 / 6) / 2, 1e-12);
    EXPECT_EQ(s.At(RightWidth, 0), 0.0);
    EXPECT_EQ(s.At(RightArea, 0), 0.0);
}

TEST_F(Hydraulics, TwoLevelTables)
{
    for (double lengthFactor : {1.0, 0.3048}) {
        for (int code : {2, -2}) {
            g_ModelControl.LengthFactor = lengthFactor;
            SectionNode s(Vee, 0, 20, code);
            EXPECT_EQ(s.At(StageLevel, 0), 0.0);
            const double top = 20 + 10000 * lengthFactor;
            EXPECT_EQ(s.At(StageLevel, 1), top);
            for (double v : s.Table.Properties) EXPECT_TRUE(std::isfinite(v));
            // Full V (area 100) plus the 20-wide column from 10 up to the top row.
            EXPECT_NEAR(s.At(TotalArea, 1), 100 + 20 * (top - 10), 1e-9 * top);
            // Between the two rows everything is linear in the area.
            s.Node.HydroUnknowns[0] = s.At(TotalArea, 1) / 4;
            s.Node.HydroUnknowns[1] = 10;
            UpdateNodeHydraulics(&s.Node);
            EXPECT_NEAR(s.Node.Stage, top / 4, 1e-9 * top);
            EXPECT_TRUE(std::isfinite(s.Node.Conveyance));
            EXPECT_TRUE(std::isfinite(s.Node.FrictionSlope));
        }
    }
}

TEST_F(Hydraulics, AreasBeyondTheTableAndQuietLookupsWithinIt)
{
    SectionNode s(Compound, 20, 40, -14);
    testing::internal::CaptureStdout();
    for (double a : {0.0, 1.0, 194.0, 900.0, 5000.0}) {
        s.Node.HydroUnknowns[0] = a;
        s.Node.HydroUnknowns[1] = 50;
        UpdateNodeHydraulics(&s.Node);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    // Above the top row: the top row's stage, with the message.
    s.Node.HydroUnknowns[0] = s.At(TotalArea, 13) * 2;
    testing::internal::CaptureStdout();
    UpdateNodeHydraulics(&s.Node);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(s.Node.Stage, s.At(StageLevel, 13));
    EXPECT_EQ(out.rfind("\n Array extrapolation has been requested!\n\n", 0), 0u);
}

TEST_F(Hydraulics, MissingBankPointIsNeverWrittenThrough)
{
    // The left bank station matches no point: the channel starts at the section's first point.
    SectionNode s(Compound, 21, 40, -14);
    EXPECT_EQ(s.Table.LeftBankPoint, -1);
    EXPECT_EQ(s.Table.RightBankPoint, 5);
    EXPECT_EQ(s.Table.LowestElevation, 0.0);
    for (double v : s.Table.Properties) EXPECT_TRUE(std::isfinite(v));
    for (int r = 0; r < 14; ++r) EXPECT_EQ(s.At(LeftArea, r), 0.0);
    EXPECT_NEAR(s.At(ChannelArea, 5), 94 + 40, 1e-9);

    // Neither bank matches, nor do any points exist: nothing to read, nothing written outside.
    SectionNode none(Compound, -5, 99, 6);
    EXPECT_EQ(none.Table.LeftBankPoint, -1);
    EXPECT_EQ(none.Table.RightBankPoint, -1);
    none.Node.HydroUnknowns[0] = 100;
    UpdateNodeHydraulics(&none.Node);
    EXPECT_EQ(none.Node.OverbankFlag, 0);

    CrossSectionTable empty;
    BuildCrossSectionTable(&empty, -4);
    EXPECT_EQ(empty.LevelCount, 4);
    for (double v : empty.Properties) EXPECT_TRUE(std::isfinite(v));
}

// A segment with one end clearly under water and the other within the wet tolerance below the
// level is wet over its whole width, in either direction.
TEST_F(Hydraulics, SegmentEndJustBelowTheLevelIsWet)
{
    // Triangle; at 10 + 0.5e-6 both top points lie below the level by less than the tolerance.
    const std::vector<SectionPoint> triangle = {{0, 10}, {5, 0}, {10, 10}};
    SectionNode s(triangle, 0, 10, 6);
    const double level = 10 + 0.5e-6;
    ComputeSectionLevelProperties(&s.Table, 0, level);
    EXPECT_NEAR(s.At(ChannelWidth, 0), 10, 1e-9);
    EXPECT_NEAR(s.At(ChannelArea, 0), 10 * (level - 5), 1e-9);
    EXPECT_NEAR(s.At(ChannelPerimeter, 0), 2 * std::sqrt(125.0) + 2 * 0.5e-6, 1e-9);

    // Just below the top the triangle is the closed form.
    ComputeSectionLevelProperties(&s.Table, 0, 10 - 0.5e-6);
    EXPECT_NEAR(s.At(ChannelWidth, 0), 10 - 0.5e-6, 1e-9);

    // A nearly flat segment (rise 4e-7) straddling the tolerance: the wedge rule would give it
    // a width of -17.5 from the left and +27.5 (wider than the segment) from the right.
    const std::vector<SectionPoint> shelf = {{0, 10}, {5, 0}, {10, 9.9999995}, {20, 9.9999999}};
    std::vector<SectionPoint> mirrored;
    for (auto it = shelf.rbegin(); it != shelf.rend(); ++it) mirrored.push_back({-it->Station, it->Elevation});
    SectionNode a(shelf, 0, 20, 6);
    SectionNode b(mirrored, -20, 0, 6);
    double previous = 0;
    for (double dz = -3e-6; dz <= 3e-6; dz += 0.1e-6) {
        const double x = 10 + dz;
        ComputeSectionLevelProperties(&a.Table, 0, x);
        ComputeSectionLevelProperties(&b.Table, 0, x);
        const double w = a.At(ChannelWidth, 0);
        EXPECT_GE(w, previous - 1e-9) << dz;   // the top width never falls as the level rises
        EXPECT_LE(w, 20 + 1e-9) << dz;
        EXPECT_NEAR(w, b.At(ChannelWidth, 0), 1e-9) << dz;
        EXPECT_NEAR(a.At(ChannelArea, 0), b.At(ChannelArea, 0), 1e-9) << dz;
        EXPECT_NEAR(a.At(ChannelPerimeter, 0), b.At(ChannelPerimeter, 0), 1e-9) << dz;
        previous = w;
    }
    ComputeSectionLevelProperties(&a.Table, 0, 10.0000006);
    EXPECT_NEAR(a.At(ChannelWidth, 0), 20, 1e-9);
    const double x = 10.0000006;
    EXPECT_NEAR(a.At(ChannelArea, 0),
                (x - 5) * 5 + (x - 9.9999995 / 2) * 5 + (x - (9.9999995 + 9.9999999) / 2) * 10, 1e-9);
}

// ---------------------------------------------------------------------------------------
// Roughness
// ---------------------------------------------------------------------------------------
TEST_F(Hydraulics, CompositeRoughnessIdentities)
{
    // Rectangle 20 wide with flow area 40: bed perimeter 24.
    struct Case {
        double nb, ni, borders;   // borders: ice perimeter from the border widths
        double expected;
    } cases[] = {
        {0.03, 0.03, 7, 0.03},                                                          // equal roughness
        {0.03, 0.03, 24, 0.03},
        {0.03, 0.02, 24, std::pow((std::pow(0.03, 1.5) + std::pow(0.02, 1.5)) / 2, 2.0 / 3.0)},   // equal perimeters
        {0.025, 0.06, 24, std::pow((std::pow(0.025, 1.5) + std::pow(0.06, 1.5)) / 2, 2.0 / 3.0)},
        {0.03, 0.02, 0, 0.03},                                                          // no ice perimeter
        {-0.1, -0.1, 9, -0.1},                                                          // heights, equal
        {-0.1, -0.02, 24, -std::pow((std::pow(0.1, 0.25) + std::pow(0.02, 0.25)) / 2, 4.0)},
        {0.0, -0.02, 24, 0.0},                                                          // no bed roughness
    };
    for (const Case& c : cases) {
        NodeRecord node = RectNode(20, c.nb, 0);
        node.FlowArea = 40;
        node.IceVelocity = 1;   // moving ice: only the border ice counts
        node.BorderWidthLeft = node.BorderWidthRight = c.borders / 2;
        node.IceManningN = c.ni;
        const double n = ComputeCompositeRoughness(&node);
        EXPECT_NEAR(n, c.expected, 1e-15) << c.nb << " " << c.ni << " " << c.borders;
    }
    // On a section the bed perimeter is the channel's: trapezoid at depth 2, perimeter 4 + 4 sqrt 5.
    SectionNode s(Trapezoid, 0, 16, 14, {0.035, 0.035, 0.035});
    s.Node.FlowArea = 16;
    s.Node.IceVelocity = 0;
    s.Node.IceConcentration = 1;
    s.Node.PreviousIceCoveredWidth = 4 + 4 * Sqrt5;
    s.Node.IceManningN = 0.015;
    EXPECT_NEAR(ComputeCompositeRoughness(&s.Node),
                std::pow((std::pow(0.035, 1.5) + std::pow(0.015, 1.5)) / 2, 2.0 / 3.0), 1e-12);
}

TEST_F(Hydraulics, IceRoughnessTablesWithClamping)
{
    const double keys[] = {0.1, 0.3, 0.5, 0.7, 1.0, 1.5, 2.0, 3.0, 5.0};
    const double table[3][9] = {
        {0.01, 0.01, 0.01, 0.02, 0.03, 0.04, 0.04, 0.05, 0.06},
        {0.013, 0.013, 0.02, 0.03, 0.04, 0.06, 0.07, 0.08, 0.09},
        {0.015, 0.04, 0.05, 0.06, 0.07, 0.08, 0.09, 0.1, 0.1},
    };
    NodeRecord node = RectNode(20, 0.03, 0);
    node.IceRoughness = 0.027;
    testing::internal::CaptureStdout();
    for (int mode = 1; mode <= 3; ++mode) {
        node.IceRoughnessMode = mode;
        const double* n = table[mode - 1];
        node.IceVelocity = 0;
        node.SlushThickness = 0;
        for (int k = 0; k < 9; ++k) {
            node.IceThickness = keys[k];
            EXPECT_DOUBLE_EQ(LookUpIceRoughness(&node), n[k]) << mode << " " << keys[k];
        }
        node.IceThickness = 0.05;
        EXPECT_DOUBLE_EQ(LookUpIceRoughness(&node), n[0]);
        node.IceThickness = 10;
        EXPECT_DOUBLE_EQ(LookUpIceRoughness(&node), n[8]);
        // Cover plus slush, halfway between two keys.
        node.IceThickness = 0.5;
        node.SlushThickness = 0.1;
        EXPECT_NEAR(LookUpIceRoughness(&node), (n[2] + n[3]) / 2, 1e-15);
        // Moving ice: half the border ice thickness.
        node.IceVelocity = 0.4;
        node.BorderIceThickness = 2.5;
        EXPECT_NEAR(LookUpIceRoughness(&node), n[4] + (n[5] - n[4]) * 0.5, 1e-15);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    node.IceRoughnessMode = 0;
    EXPECT_EQ(LookUpIceRoughness(&node), 0.027);
}

// ---------------------------------------------------------------------------------------
// Node hydraulics
// ---------------------------------------------------------------------------------------
TEST_F(Hydraulics, RectangularNodeFromAreaAndDischarge)
{
    NodeRecord node = RectNode(20, 0.03, 100);
    node.HydroUnknowns[0] = 40;
    node.HydroUnknowns[1] = 50;
    node.FluxDischarge = 48;
    UpdateNodeHydraulics(&node);
    const double g = 9.81;
    const double p = 40.0 / 20 * 2 + 20;
    const double k = Manning(40, p, 0.03);
    EXPECT_EQ(node.GrossArea, 40);
    EXPECT_EQ(node.Discharge, 50);
    EXPECT_DOUBLE_EQ(node.Stage, 102);
    EXPECT_DOUBLE_EQ(node.FlowArea, 40);
    EXPECT_DOUBLE_EQ(node.Velocity, 1.25);
    EXPECT_DOUBLE_EQ(node.ThermalVelocity, 1.25);
    EXPECT_NEAR(node.Conveyance, k, 1e-10 * k);
    EXPECT_NEAR(node.FrictionSlope, 50.0 * 50 / (k * k), 1e-15);
    EXPECT_NEAR(node.FrictionTerm, 50.0 * 40 * g / (k * k), 1e-12);
    EXPECT_DOUBLE_EQ(node.HydraulicRadius, 40 / p);
    EXPECT_DOUBLE_EQ(node.BedHydraulicRadius, 40 / p);
    EXPECT_DOUBLE_EQ(node.CompositeN, 0.03);
    EXPECT_DOUBLE_EQ(node.ChannelFrictionSlope, node.FrictionSlope);
    EXPECT_EQ(node.MomentumCoefficient, 1);
    EXPECT_EQ(node.SinuosityRatio, 1);
    EXPECT_EQ(node.TopWidth, 20);
    EXPECT_DOUBLE_EQ(node.WettedPerimeter, p);
    EXPECT_EQ(node.IceCoveredWidth, 20);
    EXPECT_DOUBLE_EQ(node.CentroidDepth, 1);
    EXPECT_DOUBLE_EQ(node.HydraulicDepth, 2);
    EXPECT_DOUBLE_EQ(node.GrossHydraulicDepth, 2);
    EXPECT_NEAR(node.Froude, 48.0 / 40 / std::sqrt(2 * g), 1e-15);
    EXPECT_EQ(node.OverbankFlag, 0);
    EXPECT_EQ(node.BorderGapArea, 0);
    // Open water: no ice drag. The ice-shear ratio takes at least the minimum surface
    // concentration, so the bed radius is A / (f + 1) / P.
    EXPECT_EQ(node.IceDrag, 0);
    const double u = 0.02 / 0.03;
    const double f = std::pow(u * u * 0.01, 0.75) * 20 / p;
    const double rb = 40 / (f + 1) / p;
    EXPECT_NEAR(node.BedFriction, g * 0.03 * 0.03 * 1.25 * p / (40 * std::cbrt(rb)), 1e-15);
}

TEST_F(Hydraulics, CompoundSectionNodeFromAreaAndDischarge)
{
    const Roughness n{0.03, 0.06, 0.05};
    SectionNode s(Compound, 20, 40, -14, n);
    NodeRecord& node = s.Node;
    node.HydroUnknowns[0] = 194;   // level 5
    node.HydroUnknowns[1] = -300;  // flowing upstream: friction keeps the sign of Q
    node.FluxDischarge = -300;
    UpdateNodeHydraulics(&node);
    const double g = 9.81, pc = 16 + 2 * Sqrt13;
    const double k = Manning(94, pc, n.Channel) + Manning(40, 22, n.Left) + Manning(60, 32, n.Right);
    EXPECT_DOUBLE_EQ(node.Stage, 5);
    EXPECT_DOUBLE_EQ(node.FlowArea, 194);
    EXPECT_DOUBLE_EQ(node.Velocity, -300.0 / 194);
    EXPECT_NEAR(node.Conveyance, k, 1e-9 * k);
    EXPECT_NEAR(node.FrictionSlope, -300.0 * 300 / (k * k), 1e-15);
    EXPECT_NEAR(node.FrictionTerm, 300.0 * 194 * g / (k * k), 1e-12);
    EXPECT_NEAR(node.TopWidth, 20, 1e-12);
    EXPECT_NEAR(node.AnchorWidth, 20, 1e-12);
    EXPECT_NEAR(node.WettedPerimeter, pc, 1e-12);
    EXPECT_EQ(node.OverbankFlag, 1);
    EXPECT_NEAR(node.IceCoveredWidth, 20, 1e-12);
    EXPECT_NEAR(node.HydraulicDepth, 194.0 / 70, 1e-12);
    EXPECT_NEAR(node.Froude, -300.0 / 194 / std::sqrt(194.0 / 70 * g), 1e-12);
    EXPECT_NEAR(node.CentroidDepth, s.At(CentroidDepthColumn, 5), 1e-12);
    EXPECT_EQ(node.Invert, 0);

    // In bank the overbank flag is clear.
    node.HydroUnknowns[0] = s.At(TotalArea, 2);
    UpdateNodeHydraulics(&node);
    EXPECT_DOUBLE_EQ(node.Stage, 2);
    EXPECT_EQ(node.OverbankFlag, 0);
}

// A node whose discharge alone has changed since its refresh: the discharge update leaves every
// field a whole refresh at the new discharge would, bit for bit, but those no residual of its
// resistance model reads (under model 0: the separated stresses and a compound section's channel
// friction slope), which keep the values of the former discharge.
TEST_F(Hydraulics, DischargeUpdateEqualsAWholeRefreshAtTheNewDischarge)
{
    SectionNode trapezoid(Trapezoid, 0, 16, 30);
    SectionNode compound(Compound, 20, 40, -14, Roughness{0.03, 0.06, 0.05});
    NodeRecord rect = RectNode(20, 0.03, 100);
    NodeRecord covered = RectNode(20, 0.03, 100);
    covered.IceConcentration = covered.PreviousIceConcentration = 0.8;
    covered.EffectiveIceThickness = 0.4;
    covered.IceRoughness = 0.02;
    struct Case {
        const char* name;
        NodeRecord* node;
        double area;
        bool compound;
    };
    const Case cases[] = {{"rectangle", &rect, 40, false},
                          {"rectangle under a standing cover", &covered, 40, false},
                          {"trapezoid", &trapezoid.Node, 20, false},
                          {"compound section", &compound.Node, 194, true}};
    for (const Case& c : cases) {
        for (int model = 0; model <= 1; ++model) {
            SCOPED_TRACE(std::string(c.name) + ", resistance model " + std::to_string(model));
            g_ModelControl.ResistanceModel = model;
            NodeRecord& node = *c.node;
            node.HydroUnknowns[0] = c.area;
            node.HydroUnknowns[1] = 50;
            UpdateNodeHydraulics(&node);
            NodeHydraulicsCopy before;
            SaveNodeHydraulics(&node, &before);
            for (const double q : {50.0005, -120.0, 0.0}) {
                node.HydroUnknowns[1] = q;
                NodeRecord whole = node;
                UpdateNodeHydraulics(&whole);
                UpdateNodeDischarge(&node);
                NodeHydraulicsCopy got, want;
                SaveNodeHydraulics(&node, &got);
                SaveNodeHydraulics(&whole, &want);
                if (model == 0) {
                    want.BedFriction = before.BedFriction;
                    want.IceDrag = before.IceDrag;
                }
                if (c.compound && model == 0) want.ChannelFrictionSlope = before.ChannelFrictionSlope;
#define VASQUIL_EXPECT_SAME(type, name) \
    EXPECT_EQ(std::memcmp(&got.name, &want.name, sizeof(type)), 0) << #name << " at Q " << q;
                VASQUIL_NODE_HYDRAULICS_OUTPUTS(VASQUIL_EXPECT_SAME)
#undef VASQUIL_EXPECT_SAME
                RestoreNodeHydraulics(&node, &before);
            }
        }
    }
}

TEST_F(Hydraulics, RoughnessHeightConveyanceIsNeverNegative)
{
    // The logarithmic law K = 2.5 ln(12 R / k) A sqrt(g R) falls to 0 at R = k / 12; shallower
    // flow carries nothing rather than a negative conveyance.
    const double g = 9.81, k = 0.6, width = 20;
    const double limit = k / 12;
    // Depths whose hydraulic radius A / (2h + B) lies at multiples of the limit radius.
    for (double ratio : {4.0, 1.5, 1.01, 1.0 + 1e-9, 1.0, 1.0 - 1e-9, 0.99, 0.5, 0.01}) {
        const double r = ratio * limit;
        const double depth = r * width / (width - 2 * r);
        NodeRecord node = RectNode(width, -k, 0);
        node.HydroUnknowns[0] = width * depth;
        node.HydroUnknowns[1] = 0.5;
        UpdateNodeHydraulics(&node);
        ASSERT_NEAR(node.HydraulicRadius, r, 1e-12 * r) << ratio;
        const double expected = ratio > 1 ? 2.5 * std::log(12 * r / k) * width * depth * std::sqrt(g * r) : 0.0;
        EXPECT_NEAR(node.Conveyance, expected, 1e-9 * expected + 1e-12) << ratio;
        EXPECT_GE(node.Conveyance, 0.0) << ratio;
        EXPECT_TRUE(std::isfinite(node.FrictionTerm) && node.FrictionTerm >= 0) << ratio;
        EXPECT_TRUE(std::isfinite(node.FrictionSlope) && node.FrictionSlope >= 0) << ratio;
    }

    // Overbanks of a large roughness height (2 m) just wet beside a rough channel: the compound
    // conveyance grows with the stage, where shallow overbanks would subtract from it.
    SectionNode s(Compound, 20, 40, -121, {1.0, -2.0, -2.0});
    double last = 0;
    for (double stage = 2.5; stage <= 3.6; stage += 0.01) {
        s.Node.HydroUnknowns[0] = ComputeFlowAreaFromStage(&s.Node, stage);
        s.Node.HydroUnknowns[1] = 10;
        UpdateNodeHydraulics(&s.Node);
        EXPECT_GE(s.Node.Conveyance, last) << stage;
        last = s.Node.Conveyance;
    }
}

TEST_F(Hydraulics, TrapezoidSectionNodeWithinAnInterval)
{
    // Between two rows the table interpolates linearly in area.
    SectionNode s(Trapezoid, 0, 16, 14, {0.04, 0.04, 0.04});
    const double a1 = s.At(TotalArea, 2), a2 = s.At(TotalArea, 3);   // levels 1 and 1.5
    s.Node.HydroUnknowns[0] = (a1 + a2) / 2;
    s.Node.HydroUnknowns[1] = 12;
    UpdateNodeHydraulics(&s.Node);
    EXPECT_NEAR(s.Node.Stage, 1.25, 1e-12);
    const double p = (4 + 2 * Sqrt5 + 4 + 3 * Sqrt5) / 2;
    const double k = Manning((a1 + a2) / 2, p, 0.04);
    EXPECT_NEAR(s.Node.Conveyance, k, 1e-12 * k);
    EXPECT_NEAR(s.Node.FrictionSlope, 144 / (k * k), 1e-14);
    EXPECT_DOUBLE_EQ(s.Node.SinuosityRatio, 1.0);
}

TEST_F(Hydraulics, DryNodesGiveZerosNotNaN)
{
    NodeRecord rect = RectNode(20, 0.03, 100);
    SectionNode section(Compound, 20, 40, -14);
    for (NodeRecord* node : {&rect, &section.Node}) {
        node->HydroUnknowns[0] = 0;
        node->HydroUnknowns[1] = 0;
        node->FluxDischarge = 0;
        UpdateNodeHydraulics(node);
        EXPECT_EQ(node->Stage, node->Invert);
        EXPECT_EQ(node->FlowArea, 0);
        EXPECT_EQ(node->Velocity, 0);
        EXPECT_EQ(node->Conveyance, 0);
        EXPECT_EQ(node->HydraulicRadius, 0);
        EXPECT_EQ(node->FrictionSlope, 0);
        EXPECT_EQ(node->FrictionTerm, 0);
        EXPECT_EQ(node->HydraulicDepth, 0);
        EXPECT_EQ(node->Froude, 0);
        EXPECT_EQ(node->BedFriction, 0);
        EXPECT_EQ(node->IceDrag, 0);
        EXPECT_TRUE(std::isfinite(node->MomentumCoefficient));
        EXPECT_TRUE(std::isfinite(node->SinuosityRatio));
        EXPECT_TRUE(std::isfinite(node->BedHydraulicRadius));
        EXPECT_TRUE(std::isfinite(node->ChannelFrictionSlope));
        EXPECT_TRUE(std::isfinite(node->CentroidDepth));
    }
    // Still water: no velocity, so no ice-shear ratio.
    rect.FlowArea = 40;
    rect.Velocity = 0;
    rect.IceManningN = 0.02;
    EXPECT_EQ(ComputeIceShearRatio(&rect), 0.0);
    rect.FlowArea = 0;
    EXPECT_EQ(ComputeIceShearRatio(&rect), 1.0);
}

TEST_F(Hydraulics, FlowAreaIsRaisedToTheMinimumBeforeTheVelocity)
{
    g_ModelControl.MinWaterDepth = 0.5;
    NodeRecord rect = RectNode(20, 0.03, 100);
    rect.MinFlowArea = ComputeMinimumFlowArea(&rect);
    EXPECT_DOUBLE_EQ(rect.MinFlowArea, 10);
    rect.HydroUnknowns[0] = 4;
    rect.HydroUnknowns[1] = 5;
    UpdateNodeHydraulics(&rect);
    EXPECT_DOUBLE_EQ(rect.FlowArea, 10);
    EXPECT_DOUBLE_EQ(rect.Velocity, 0.5);

    SectionNode s(Trapezoid, 0, 16, 14);
    EXPECT_NEAR(s.Node.MinFlowArea, (4 + 2 * 0.5) * 0.5, 1e-12);   // exactly at row 1
}

TEST_F(Hydraulics, StaticIceSplitsGrossAreaIntoWaterAndFloatingIce)
{
    g_ModelControl.FileType = 1;
    NodeRecord node = RectNode(20, 0.03, 100);
    node.EffectiveIceThickness = 0.5;
    node.HydroUnknowns[0] = 60;
    node.HydroUnknowns[1] = 30;
    UpdateNodeHydraulics(&node);
    const double s = 0.917;
    EXPECT_DOUBLE_EQ(node.Stage, 103);
    EXPECT_NEAR(node.FlowArea, (3 - s * 0.5) * 20, 1e-12);
    EXPECT_NEAR(node.FloatingIceArea, 0.5 * 20, 1e-12);
    EXPECT_NEAR(node.Velocity, 30 / ((3 - s * 0.5) * 20), 1e-12);
}

TEST_F(Hydraulics, BridgedReachStopsTheIce)
{
    g_ModelControl.ThermalIceOn = 1;
    g_ModelControl.ModelTime = 7200;
    std::vector<BridgingEventRecord> events(2);
    events[0].FrontLocation = 5000;
    events[0].BridgingLocation = 6000;
    events[0].BridgingTime = 3600;
    events[1].FrontLocation = 0;
    events[1].BridgingLocation = 9000;
    events[1].BridgingTime = 9999;   // not yet
    events[0].Next = &events[1];
    g_BridgingEvents = &events[0];
    g_ModelControl.BridgingEventCount = 2;

    NodeRecord nodes[3];
    const double chainage[3] = {4000, 5900, 6100};
    for (int i = 0; i < 3; ++i) {
        nodes[i] = RectNode(20, 0.03, 100);
        nodes[i].Chainage = chainage[i];
        nodes[i].PreviousVelocity = 0.8;
        nodes[i].HydroUnknowns[0] = 40;
        nodes[i].HydroUnknowns[1] = 40;
    }
    nodes[0].Next = &nodes[1];
    nodes[1].Next = &nodes[2];
    nodes[2].PreviousVelocity = -0.3;
    for (NodeRecord& n : nodes) UpdateNodeHydraulics(&n);
    g_BridgingEvents = nullptr;
    g_ModelControl.BridgingEventCount = 0;

    EXPECT_EQ(nodes[0].Bridged, 0);
    EXPECT_DOUBLE_EQ(nodes[0].IceVelocity, 0.8);
    EXPECT_EQ(nodes[1].Bridged, 1);
    EXPECT_EQ(nodes[1].IceVelocity, 0);
    EXPECT_EQ(nodes[1].IceFrontAtNode, 1);   // the next node lies beyond the bridge
    EXPECT_EQ(nodes[0].IceFrontAtNode, 0);
    EXPECT_EQ(nodes[2].Bridged, 0);
    EXPECT_EQ(nodes[2].IceVelocity, 0);      // negative drift is no ice motion
}

TEST_F(Hydraulics, IceStandsOnStillWaterAndAsAClosedCover)
{
    // Outside a bridged reach ice drifts downstream with the water of the previous level, but
    // stands (velocity exactly 0, as a bridged cover does) on water that is still or as a cover
    // closed across its width.
    struct Case {
        const char* name;
        double velocity, concentration, expected;
    };
    const Case cases[] = {
        {"drifting floes", 0.4, 0.6, 0.4},
        {"floes almost closed", 0.4, 0.999, 0.4},
        {"a closed cover on flowing water", 0.4, 1.0, 0},
        {"floes on still water", 1e-6, 0.6, 0},
        {"floes on water just moving", 2e-6, 0.6, 2e-6},
        {"floes on water flowing back", -0.2, 0.6, 0},
    };
    g_ModelControl.ThermalIceOn = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NodeRecord node = RectNode(20, 0.03, 100);
        node.HydroUnknowns[0] = 40;
        node.HydroUnknowns[1] = 10;
        node.PreviousVelocity = c.velocity;
        node.PreviousIceConcentration = c.concentration;
        UpdateNodeHydraulics(&node);
        EXPECT_EQ(node.IceVelocity, c.expected);
        EXPECT_EQ(node.Bridged, 0);
    }
}

TEST_F(Hydraulics, IceShearRatioAndSeparateStressesOnARectangle)
{
    NodeRecord node = RectNode(20, 0.03, 100);
    node.FlowArea = node.GrossArea = 40;
    node.Velocity = 1.2;
    node.Discharge = 48;
    node.IceVelocity = 0.2;
    node.IceManningN = 0.02;
    node.BorderFraction = 0.25;
    node.PreviousIceConcentration = 0.6;
    node.IceCoveredWidth = 15;
    const double pb = 24, g = 9.81;
    const double u = (1.2 - 0.2) * 0.02 / 0.03 / 1.2;
    const double f = std::pow(u * u * 0.75 * 0.6, 0.75) * 20 / pb;
    EXPECT_NEAR(ComputeIceShearRatio(&node), f, 1e-15);

    ComputeSeparateBedIceShear(&node, 1);
    const double rb = 40 / (f + 1) / pb;
    EXPECT_NEAR(node.BedFriction, g * 0.03 * 0.03 * 1.2 * pb / (40 * std::cbrt(rb)), 1e-14);
    const double ri = f / (f + 1) * 40 / 20;
    const double drag = 1.0 * 0.02 * 0.02 / std::cbrt(ri) * 1000 * g * 1.0;
    EXPECT_NEAR(node.IceDrag, 0.6 * drag * 15, 1e-10);

    // Dynamic-ice mode: only its own drag, concentration raised to the minimum.
    node.PreviousIceConcentration = 0.001;
    const double bed = node.BedFriction, iceDrag = node.IceDrag;
    ComputeSeparateBedIceShear(&node, 0);
    const double f0 = std::pow(u * u * 0.75 * 0.01, 0.75) * 20 / pb;
    const double ri0 = f0 / (f0 + 1) * 2;
    EXPECT_NEAR(node.DynamicIceDrag, 0.01 * (0.02 * 0.02 / std::cbrt(ri0) * 1000 * g) * 15, 1e-10);
    EXPECT_EQ(node.BedFriction, bed);
    EXPECT_EQ(node.IceDrag, iceDrag);
}

TEST_F(Hydraulics, IceLayerElevations)
{
    NodeRecord node = RectNode(20, 0.03, 100);
    node.Stage = 103;
    node.AnchorIceThickness = 0.1;
    node.IceThickness = 0.4;
    node.SlushThickness = 0.2;
    node.UnderSlushThickness = 0.3;
    const double s = 0.917, p = 0.4;
    const double top = 103 + (1 - s) * ((1000 * p / 917 + (1 - p)) * 0.5 + 0.4);
    for (int fileType : {1, 2}) {
        g_ModelControl.FileType = fileType;
        node.IceConcentration = 0.5;
        const double a = fileType == 2 ? 0.5 : 1;
        for (int bridged : {0, 1}) {
            node.Bridged = bridged;
            UpdateNodeIceElevations(&node);
            const double t = 103 + a * (top - 103);
            EXPECT_NEAR(node.AnchorBedElevation, 100.1, 1e-12);
            EXPECT_NEAR(node.IceTopElevation, t, 1e-12);
            EXPECT_NEAR(node.IceBottomElevation, t - a * 0.9, 1e-12);
            EXPECT_NEAR(node.SlushElevations[1], t - a * 0.9 + a * (bridged ? 0.3 : 0.5), 1e-12);
            EXPECT_NEAR(node.SlushElevations[0], t - a * 0.9 + a * 0.5, 1e-12);
        }
    }
}

// ---------------------------------------------------------------------------------------
// Border ice
// ---------------------------------------------------------------------------------------
TEST_F(Hydraulics, BorderIceEdgeOnAVee)
{
    // V from (0,10) to (10,0) to (20,10), water at 6: wetted from 4 to 16, hydraulic depth 3.
    SectionNode s(Vee, 0, 20, 8);
    s.Node.Stage = 6;
    s.Node.Velocity = 1.5;
    s.Node.HydraulicDepth = 3;
    struct Case {
        int side;
        double width, station, depth;
    } cases[] = {
        {1, 3, 7, 3}, {1, 6, 10, 6}, {1, 8, 12, 4}, {1, 12, 16, 0},
        {2, 3, 13, 3}, {2, 6, 10, 6}, {2, 9, 7, 3},
    };
    for (const Case& c : cases) {
        const double v = LocateBorderIceEdge(&s.Node, c.width, c.side);
        EXPECT_NEAR(s.Node.BorderEdgeStations[c.side - 1], c.station, 1e-12) << c.side << " " << c.width;
        EXPECT_NEAR(v, 1.5 * std::pow(c.depth / 3, 2.0 / 3.0), 1e-12) << c.side << " " << c.width;
    }
    // Wider than the water surface: the edge stays where it was.
    s.Node.BorderEdgeStations[0] = 5;
    LocateBorderIceEdge(&s.Node, 12.5, 1);
    EXPECT_EQ(s.Node.BorderEdgeStations[0], 5);

    // Area between edges at 7 and 13 below 6: 36 - 2 x 4.5.
    s.Node.BorderEdgeStations[0] = 7;
    s.Node.BorderEdgeStations[1] = 13;
    EXPECT_NEAR(ComputeAreaBetweenBorders(&s.Node), 27, 1e-12);
    s.Node.BorderEdgeStations[0] = 0;
    s.Node.BorderEdgeStations[1] = 20;
    EXPECT_NEAR(ComputeAreaBetweenBorders(&s.Node), 36, 1e-12);

    // A rectangle has no section to place an edge on.
    NodeRecord rect = RectNode(20, 0.03, 0);
    rect.Velocity = 0.7;
    EXPECT_EQ(LocateBorderIceEdge(&rect, 3, 1), 0.7);
    EXPECT_EQ(ComputeAreaBetweenBorders(&rect), 0);
}

TEST_F(Hydraulics, BorderIceEdgeOnATrapezoid)
{
    // Trapezoid at depth 2: water from station 2 to 14, area 16, hydraulic depth 4/3.
    SectionNode s(Trapezoid, 0, 16, 14);
    s.Node.Stage = 2;
    s.Node.Velocity = 0.9;
    s.Node.HydraulicDepth = 16.0 / 12;
    struct Case {
        int side;
        double width, station, depth;
    } cases[] = {
        {1, 2, 4, 1}, {1, 5, 7, 2}, {1, 10, 12, 1}, {2, 1, 13, 0.5}, {2, 6, 8, 2},
    };
    for (const Case& c : cases) {
        const double v = LocateBorderIceEdge(&s.Node, c.width, c.side);
        EXPECT_NEAR(s.Node.BorderEdgeStations[c.side - 1], c.station, 1e-12) << c.side << " " << c.width;
        EXPECT_NEAR(v, 0.9 * std::pow(c.depth / (16.0 / 12), 2.0 / 3.0), 1e-12) << c.side << " " << c.width;
    }
    // Edges at 4 and 13: slope 4..6 (depth 1 to 2), bottom 6..10, slope 10..13 (depth 2 to 0.5).
    s.Node.BorderEdgeStations[0] = 4;
    s.Node.BorderEdgeStations[1] = 13;
    EXPECT_NEAR(ComputeAreaBetweenBorders(&s.Node), (1 + 2) / 2.0 * 2 + 8 + (2 + 0.5) / 2 * 3, 1e-12);

    // The free area takes the ice out of the gap between the borders.
    s.Node.HydroUnknowns[0] = 16;
    s.Node.HydroUnknowns[1] = 10;
    s.Node.SolidIceEquivalentArea = 2;
    s.Node.BorderFraction = 0.5;
    UpdateNodeHydraulics(&s.Node);
    EXPECT_NEAR(s.Node.Stage, 2, 1e-12);
    const double gap = (1 + 2) / 2.0 * 2 + 8 + (2 + 0.5) / 2 * 3;
    EXPECT_NEAR(s.Node.BorderGapArea, gap, 1e-12);
    EXPECT_NEAR(s.Node.FreeArea, gap - 0.917 * 2, 1e-12);
}

// ---------------------------------------------------------------------------------------
// What a refresh writes
// ---------------------------------------------------------------------------------------
namespace {

// Byte ranges of the fields a refresh declares it writes.
struct FieldRange {
    size_t Offset, Size;
};
std::vector<FieldRange> DeclaredOutputs()
{
    std::vector<FieldRange> fields;
#define VASQUIL_OUTPUT_RANGE(type, name) fields.push_back({offsetof(NodeRecord, name), sizeof(type)});
    VASQUIL_NODE_HYDRAULICS_OUTPUTS(VASQUIL_OUTPUT_RANGE)
#undef VASQUIL_OUTPUT_RANGE
    return fields;
}

// A node of the given kind whose every byte not set here is a filler pattern, so any byte a
// refresh writes shows up: inputs a refresh reads are set, everything else is filler.
void FillNode(NodeRecord* node, int kind, CrossSectionTable* table, NodeRecord* next)
{
    std::memset(static_cast<void*>(node), 0x3F, sizeof(NodeRecord));
    node->Next = next;
    node->Previous = nullptr;
    node->Zone = nullptr;
    node->BoundaryElement = nullptr;
    node->Junction = nullptr;
    node->CrossSection = kind >= 4 ? table : nullptr;
    node->SectionCode = kind == 4 ? table->LevelCount : (kind == 5 ? -table->LevelCount : 0);
    node->Invert = kind >= 4 ? table->LowestElevation : 100.0;
    node->RectWidth = 20;
    node->ManningN = 0.03;
    node->MinFlowArea = kind == 2 ? 0.0 : 0.4;
    node->EffectiveIceThickness = kind == 1 ? 0.4 : 0.0;
    node->FloatingIceArea = node->AnchorIceArea = node->SolidIceEquivalentArea = 0.0;
    node->UnderSlushArea = node->SlushArea = 0.0;
    node->BorderFraction = 0.1;
    node->BorderWidthLeft = node->BorderWidthRight = 0.0;
    node->BorderEdgeStations[0] = 5;
    node->BorderEdgeStations[1] = 35;
    node->IceRoughnessMode = 0;
    node->IceRoughness = 0.02;
    node->IceThickness = node->SlushThickness = node->BorderIceThickness = 0.0;
    node->IceConcentration = node->PreviousIceConcentration = 0.5;
    node->IceCoveredWidth = node->PreviousIceCoveredWidth = 15;
    node->IceVelocity = 0.0;
    node->PreviousVelocity = 0.7;
    node->Chainage = 5500;
    node->FluxDischarge = 35;
}

}  // namespace

TEST_F(Hydraulics, RefreshWritesOnlyItsDeclaredFieldsAndTheirCopyRestoresIt)
{
    // Kinds: 0 rectangle, 1 rectangle under static ice, 2 dry rectangle, 3 rectangle in a
    // thermal run inside a bridged reach, 4 single surveyed section, 5 compound section.
    CrossSectionTable table;
    FillSection(table, Compound, 20, 40, {0.03, 0.06, 0.05}, 1.2);
    BuildCrossSectionTable(&table, 40);
    BridgingEventRecord bridge;
    bridge.FrontLocation = 5000;
    bridge.BridgingLocation = 5600;
    bridge.BridgingTime = 0;
    NodeRecord next;
    SetNodeDefaults(&next);
    next.Chainage = 6000;
    const std::vector<FieldRange> outputs = DeclaredOutputs();
    auto declared = [&](size_t byte) {
        return std::any_of(outputs.begin(), outputs.end(),
                           [&](const FieldRange& f) { return byte >= f.Offset && byte < f.Offset + f.Size; });
    };
    // Two states a refresh goes between: (gross area, discharge).
    const double states[][2][2] = {
        {{60, 30}, {95, -12}}, {{95, -12}, {60, 30}}, {{0, 0}, {60, 30}}, {{60, 30}, {0, 0}}};

    for (int kind = 0; kind <= 5; ++kind) {
        SetModelDefaults();
        ModelControl& mc = g_ModelControl;
        mc.FileType = kind == 1 ? 1 : 0;
        mc.ThermalIceOn = kind == 3 ? 1 : 0;
        g_BridgingEvents = kind == 3 ? &bridge : nullptr;
        mc.BridgingEventCount = kind == 3 ? 1 : 0;
        for (const auto& pair : states) {
            NodeRecord node, before, atA;
            FillNode(&node, kind, &table, &next);
            node.HydroUnknowns[0] = pair[0][0];
            node.HydroUnknowns[1] = pair[0][1];
            std::memcpy(static_cast<void*>(&before), &node, sizeof node);
            UpdateNodeHydraulics(&node);
            const auto* b0 = reinterpret_cast<const unsigned char*>(&before);
            const auto* b1 = reinterpret_cast<const unsigned char*>(&node);
            for (size_t k = 0; k < sizeof node; ++k) {
                if (b0[k] != b1[k]) {
                    ASSERT_TRUE(declared(k)) << "kind " << kind << ": undeclared byte " << k;
                }
            }

            // Save at A, refresh at B, restore: the node is byte for byte the node at A.
            std::memcpy(static_cast<void*>(&atA), &node, sizeof node);
            NodeHydraulicsCopy copy;
            SaveNodeHydraulics(&node, &copy);
            node.HydroUnknowns[0] = pair[1][0];
            node.HydroUnknowns[1] = pair[1][1];
            UpdateNodeHydraulics(&node);
            EXPECT_NE(std::memcmp(&node, &atA, sizeof node), 0) << kind;
            node.HydroUnknowns[0] = pair[0][0];
            node.HydroUnknowns[1] = pair[0][1];
            RestoreNodeHydraulics(&node, &copy);
            EXPECT_EQ(std::memcmp(&node, &atA, sizeof node), 0) << "kind " << kind;
        }
    }
    g_BridgingEvents = nullptr;
}

TEST_F(Hydraulics, LookupsFromTheLastRowGiveWhatAFreshSearchGives)
{
    // A node refreshed through a sequence of areas (between rows, on rows, beyond both ends,
    // back and forth) against a copy whose table search starts afresh each time.
    SectionNode node(Compound, 20, 40, -30, {0.03, 0.06, 0.05}, 1.1);
    const SectionColumn keys = node.Table.Column(TotalArea);
    const int last = node.Table.LevelCount - 1;
    std::vector<double> areas;
    for (int k = 1; k <= last; ++k) {
        areas.push_back(keys[k - 1] * 0.5 + keys[k] * 0.5);   // between rows
        areas.push_back(keys[k]);                             // on the next row
        areas.push_back(keys[k - 1]);                         // on the row below
    }
    for (double area : {keys[last] * 2, keys[12], 0.0, keys[1] * 0.5, keys[20] * 0.3 + keys[21] * 0.7})
        areas.push_back(area);
    for (double area : areas) {
        node.Node.HydroUnknowns[0] = area;
        node.Node.HydroUnknowns[1] = 40;
        UpdateNodeHydraulics(&node.Node);
        NodeRecord fresh = node.Node;
        node.Table.LocateHint = 0;
        UpdateNodeHydraulics(&fresh);
        EXPECT_EQ(std::memcmp(&fresh, &node.Node, sizeof fresh), 0) << area;
        node.Table.LocateHint = 17;
        UpdateNodeHydraulics(&fresh);
        EXPECT_EQ(std::memcmp(&fresh, &node.Node, sizeof fresh), 0) << area;
    }
}
