// Node hydraulics: the property table of a surveyed cross section, and everything the equation
// kernels read about a node (stage, velocity, conveyance with ice, friction terms, widths,
// depths, bed and ice shear), computed from its gross area and discharge.
//
// A node with SectionCode 0 is a rectangular channel (RectWidth, ManningN); any other node with
// a built CrossSectionTable looks its geometry up in the table. A negative SectionCode makes the
// node a compound channel: the table's key area includes both overbanks and the conveyance is
// summed over channel and overbanks.
//
// Nothing here allocates except BuildCrossSectionTable, which sizes the table once per build.
#include "engine/Hydraulics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/EngineData.h"
#include "engine/Prefetch.h"
#include "engine/ThermalIce.h"

namespace {

// A point counts as under water when the level stands more than this above it.
constexpr double WetTolerance = 1e-6;

struct WetPart {
    double Width;
    double Area;
    double Perimeter;
    bool FromLeft;   // the wetted part starts at the segment's left point
};

// Wetted top width, area and perimeter of the segment (x0, y0)-(x1, y1) below a water level.
//
// Both ends under water: the whole segment. Exactly one end under water: the wedge between the
// wet end and the water line. A segment whose "dry" end lies below the level by no more than the
// tolerance is wet over its whole width: taking the wedge there would put the water line outside
// the segment (a negative width when the dry end is the right one, a width larger than the
// segment when it is the left one).
WetPart WetSegment(double x0, double y0, double x1, double y1, double level)
{
    const double dl = level - y0;
    const double dr = level - y1;
    const bool leftWet = dl > WetTolerance;
    const bool rightWet = dr > WetTolerance;
    if (!leftWet && !rightWet) return {0.0, 0.0, 0.0, false};
    const double dx = x1 - x0;
    if (dl > 0.0 && dr > 0.0) {
        const double dy = y0 - y1;
        return {dx, (level - (y0 + y1) / 2.0) * dx, std::sqrt(dx * dx + dy * dy), true};
    }
    // One end wet, the other at or above the level (so y0 != y1).
    const double m = dx / (y1 - y0);
    const double d = y1 >= level ? level - y0 : y1 - level;
    const double width = m * d;
    const double depth = std::fabs(d);
    return {width, depth * width / 2.0, std::sqrt(m * m + 1.0) * depth, leftWet};
}

// The area alone of WetSegment, by the same arithmetic.
double WetArea(double x0, double y0, double x1, double y1, double level)
{
    const double dl = level - y0;
    const double dr = level - y1;
    if (!(dl > WetTolerance) && !(dr > WetTolerance)) return 0.0;
    const double dx = x1 - x0;
    if (dl > 0.0 && dr > 0.0) return (level - (y0 + y1) / 2.0) * dx;
    const double m = dx / (y1 - y0);
    const double d = y1 >= level ? level - y0 : y1 - level;
    return std::fabs(d) * (m * d) / 2.0;
}

int PointsOf(const CrossSectionTable& t)
{
    return std::max(0, std::min(t.PointCount, static_cast<int>(t.Points.size())));
}

// The node's property table, or null when the node is computed as a rectangular channel.
const CrossSectionTable* SectionOf(const NodeRecord* node)
{
    const CrossSectionTable* t = node->CrossSection;
    if (node->SectionCode == 0 || !t || t->LevelCount <= 0) return nullptr;
    if (t->Properties.size() < static_cast<size_t>(SectionPropertyColumnCount) * t->LevelCount) return nullptr;
    return t;
}

// Where a key falls in an ascending key column: found once by binary search, then read for any
// number of value columns, each read giving what InterpolateTable gives for that column.
struct Bracket {
    enum Kind : unsigned char { Empty, AtOrBelowFirst, AtRow, Between, AtOrAboveLast, NotFound };
    Kind How = Empty;
    int Row = 0;
    double Offset = 0.0;   // key - xs[Row]
    double Span = 1.0;     // xs[Row + 1] - xs[Row]
};

// Keys: a column of keys read by row (a plain array or a table's column).
template <typename Keys>
Bracket Locate(Keys xs, double x, int count)
{
    const int n = count < 0 ? -count : count;
    Bracket b;
    if (n <= 0 || !xs) return b;
    if (x >= xs[n - 1]) {
        b.How = Bracket::AtOrAboveLast;
        b.Row = n - 1;
        return b;
    }
    if (x <= xs[0]) {
        b.How = Bracket::AtOrBelowFirst;
        return b;
    }
    int lo = 0, hi = n - 1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        if (xs[mid] == x) {
            b.How = Bracket::AtRow;
            b.Row = mid;
            return b;
        }
        if (x > xs[mid] && x < xs[mid + 1]) {
            b.How = Bracket::Between;
            b.Row = mid;
            b.Offset = x - xs[mid];
            b.Span = xs[mid + 1] - xs[mid];
            return b;
        }
        if (x > xs[mid]) lo = mid + 1;
        else hi = mid - 1;
    }
    b.How = Bracket::NotFound;   // the key is not a number
    return b;
}

// Locate in a node's table, first at the row its last lookup found: a key strictly between
// that row's key and the next one's is found there by the search too, so the bracket is the
// same. The refreshes of a node mostly look up nearly equal keys.
Bracket LocateInTable(const CrossSectionTable* t, int column, double x)
{
    // The key columns lie in the hot block (checked where the places are declared).
    const SectionColumn xs{t->Properties.data() + SectionColumnPlaces[column], SectionHotColumnCount};
    const int r = t->LocateHint;
    if (r >= 0 && r + 1 < t->LevelCount && x > xs[r] && x < xs[r + 1]) {
        Bracket b;
        b.How = Bracket::Between;
        b.Row = r;
        b.Offset = x - xs[r];
        b.Span = xs[r + 1] - xs[r];
        return b;
    }
    const Bracket b = Locate(xs, x, t->LevelCount);
    if (b.How == Bracket::Between) t->LocateHint = b.Row;
    return b;
}

// The value at a bracket of a column whose rows lie `stride` values apart.
// Inlined: the node refresh reads a dozen columns at each of its brackets.
[[gnu::always_inline]] inline double Read(const Bracket& b, const double* ys, int stride = 1)
{
    const size_t row = static_cast<size_t>(b.Row) * static_cast<size_t>(stride);
    switch (b.How) {
    case Bracket::AtOrBelowFirst:
        return ys[0];
    case Bracket::AtRow:
        return ys[row];
    case Bracket::Between:
        return ys[row] + (ys[row + stride] - ys[row]) * b.Offset / b.Span;
    case Bracket::AtOrAboveLast:
        std::fputs("\n Array extrapolation has been requested!\n\n", stdout);
        return ys[row];
    case Bracket::NotFound:
        std::fputs("Error: Interval not found for interpolation.\n", stderr);
        return -1.0;
    case Bracket::Empty:
        break;
    }
    return 0.0;
}

// Lookups in one node's table, with the three areas most lookups go by located once: the gross
// area, the flow area and the flow area with the solid anchor ice (on which bed perimeters are
// taken).
struct NodeTable {
    const CrossSectionTable* T = nullptr;   // null: rectangular channel
    Bracket Gross, Flow, Anchor;

    double At(const Bracket& b, int column) const
    {
        const SectionColumn ys = T->Column(column);
        return Read(b, ys.First, ys.Stride);
    }
    // The value of a column at a row.
    double Row(int row, int column) const { return T->Column(column)[row]; }
    double ByGross(int column) const { return At(Gross, column); }
    double ByFlow(int column) const { return At(Flow, column); }
    double ByAnchor(int column) const { return At(Anchor, column); }
    double ByArea(int column, double area) const { return At(LocateInTable(T, TotalArea, area), column); }
    double ByStage(int column, double stage) const { return At(LocateInTable(T, StageLevel, stage), column); }
};

double AnchorArea(const NodeRecord* node)
{
    return (1.0 - g_ModelControl.AnchorIcePorosity) * node->AnchorIceArea + node->FlowArea;
}

void LocateGrossArea(NodeTable& tab, const NodeRecord* node)
{
    if (tab.T) tab.Gross = LocateInTable(tab.T, TotalArea, node->GrossArea);
}

void LocateFlowAreas(NodeTable& tab, const NodeRecord* node)
{
    if (!tab.T) return;
    tab.Flow = LocateInTable(tab.T, TotalArea, node->FlowArea);
    tab.Anchor = LocateInTable(tab.T, TotalArea, AnchorArea(node));
}

NodeTable TableOf(const NodeRecord* node)
{
    NodeTable tab;
    tab.T = SectionOf(node);
    LocateGrossArea(tab, node);
    LocateFlowAreas(tab, node);
    return tab;
}

double RectBedPerimeter(const NodeRecord* node, double area)
{
    return area / node->RectWidth * 2.0 + node->RectWidth;
}

double Ratio(double a, double b) { return b > 0.0 ? a / b : 0.0; }

}  // namespace

// Conveyance of one flow area: Manning for n > 0, the logarithmic law for a roughness height
// (n < 0), none for n = 0 or a dry area. The logarithmic law falls to 0 at R = |n| / 12 and
// would turn negative in shallower flow; the flow carries nothing there.
double ConveyanceLaw(double area, double radius, double n)
{
    if (!(area > 0.0) || !(radius > 0.0)) return 0.0;
    if (n > 0.0) return area * std::pow(radius, 2.0 / 3.0) / n;
    if (n < 0.0) {
        const double k = 2.5 * std::log(12.0 * radius / -n) * area * std::sqrt(g_ModelControl.Gravity * radius);
        return k > 0.0 ? k : 0.0;
    }
    return 0.0;
}

namespace {

// Ice width on which the ice cover acts: this step's in thermal runs, the previous level's otherwise.
double IceWidth(const NodeRecord* node)
{
    return g_ModelControl.ThermalIceOn == 1 ? node->IceCoveredWidth : node->PreviousIceCoveredWidth;
}

// Sinuosity-weighted share of the flow area A: channel-area increments count with the sinuosity
// of the level they rise to, overbank increments unweighted.
double SinuosityRatioOf(const NodeTable& tab, double a)
{
    const CrossSectionTable* t = tab.T;
    const int n = t->LevelCount;
    const SectionColumn total = t->Column(TotalArea);
    const SectionColumn channel = t->Column(ChannelArea);
    const SectionColumn left = t->Column(LeftArea);
    const SectionColumn right = t->Column(RightArea);
    const SectionColumn sinuosity = t->Column(Sinuosity);

    // i = the first row from 1 on whose key area is not below A (n when there is none); the
    // rows passed below it are summed whole.
    int i = 1;
    double channelSum = 0.0, leftSum = 0.0, rightSum = 0.0;
    if (t->SinuosityAreaSums.size() == static_cast<size_t>(3) * n) {
        int lo = 1, hi = n;
        // An area strictly between the keys of the flow area's row and the next one has the
        // next row as the first not below it.
        const int r = tab.Flow.Row;
        if (tab.Flow.How == Bracket::Between && r + 1 < n && total[r] < a && a < total[r + 1]) lo = hi = r + 1;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (a > total[mid]) lo = mid + 1;
            else hi = mid;
        }
        i = lo;
        const double* sums = t->SinuosityAreaSums.data() + static_cast<size_t>(3) * (i - 1);
        channelSum = sums[0];
        leftSum = sums[1];
        rightSum = sums[2];
    } else {
        for (; i < n && a > total[i]; ++i) {
            channelSum += (channel[i] - channel[i - 1]) * sinuosity[i];
            leftSum += left[i] - left[i - 1];
            rightSum += right[i] - right[i - 1];
        }
    }
    const double ac = tab.ByFlow(ChannelArea);
    const double al = tab.ByFlow(LeftArea);
    const double ar = tab.ByFlow(RightArea);
    const double s = tab.ByFlow(Sinuosity);
    const double ratio = ((ac - tab.Row(i - 1, ChannelArea)) * s + channelSum + (al - tab.Row(i - 1, LeftArea)) +
                          leftSum + (ar - tab.Row(i - 1, RightArea)) + rightSum) /
                         (ac + al + ar);
    return std::isnan(ratio) ? 1.0 : ratio;
}

double HydraulicDepthOf(const NodeRecord* node, const NodeTable& tab, const Bracket& at, double area)
{
    if (!tab.T) return std::max(0.0, area / node->RectWidth);
    if (!(area > 0.0)) return 0.0;
    const double b = tab.At(at, LeftWidth) + tab.At(at, ChannelWidth) + tab.At(at, RightWidth);
    return b > 0.0 ? area / b : 0.0;
}

double WettedPerimeterWithIce(const NodeRecord* node, const NodeTable& tab)
{
    const double c = node->IceConcentration;
    const bool coverStill = node->IceVelocity == 0.0;
    if (tab.T) {
        const double pb = tab.ByAnchor(ChannelPerimeter);
        const double wb = node->BorderWidthLeft + node->BorderWidthRight;
        if (wb > 0.0) return coverStill ? pb + wb + IceWidth(node) * c : pb + wb;
        return coverStill ? pb + tab.ByAnchor(ChannelWidth) * c : pb;
    }
    const double pb = RectBedPerimeter(node, AnchorArea(node));
    return node->EffectiveIceThickness > 0.0 && coverStill ? pb + node->RectWidth * c : pb;
}

double CompositeRoughness(const NodeRecord* node, const NodeTable& tab)
{
    double pi = node->BorderWidthLeft + node->BorderWidthRight;
    if (node->IceVelocity == 0.0) pi += IceWidth(node) * node->IceConcentration;
    const double pb = tab.T ? tab.ByAnchor(ChannelPerimeter) : RectBedPerimeter(node, AnchorArea(node));
    const double nb = tab.T ? tab.ByAnchor(ChannelN) : node->ManningN;
    const double ni = node->IceManningN;
    // Bed and ice both given as Manning's n, or both as roughness heights.
    if (pi > 0.0 && pb > 0.0 && ((nb > 0.0 && ni > 0.0) || (nb < 0.0 && ni < 0.0)))
        return nb * RoughnessMixFactor(nb, ni, pi / pb);
    return nb;
}

double Conveyance(NodeRecord* node, const NodeTable& tab)
{
    const double a = node->FlowArea;
    const double q = node->Discharge;
    const double perimeter = WettedPerimeterWithIce(node, tab);
    const double r = a > 0.0 ? Ratio(a, perimeter) : 0.0;
    const double n = CompositeRoughness(node, tab);

    if (!tab.T) {
        const double k0 = ConveyanceLaw(a, r, n);
        node->MomentumCoefficient = 1.0;
        node->SinuosityRatio = 1.0;
        node->HydraulicRadius = r;
        node->CompositeN = n;
        const double rb = a / RectBedPerimeter(node, AnchorArea(node));
        node->BedHydraulicRadius = std::isnan(rb) ? 0.0 : rb;
        node->ChannelFrictionSlope = k0 > 0.0 ? q * std::fabs(q) / (k0 * k0) : 0.0;
        return k0;
    }

    node->MomentumCoefficient = 1.06;
    node->SinuosityRatio = SinuosityRatioOf(tab, a);

    if (node->SectionCode > 0) {
        // One section: the channel values are those of the whole flow area.
        const double k0 = ConveyanceLaw(a, r, n);
        node->HydraulicRadius = r;
        node->CompositeN = n;
        node->BedHydraulicRadius = a > 0.0 ? Ratio(a, tab.ByAnchor(ChannelPerimeter)) : 0.0;
        node->ChannelFrictionSlope = k0 > 0.0 ? q * std::fabs(q) / (k0 * k0) : 0.0;
        return k0;
    }

    // Compound channel: channel and overbank conveyances add up.
    const double ac = tab.ByFlow(ChannelArea);
    const double rc = ac > 0.0 ? Ratio(ac, perimeter) : 0.0;
    const double sr = node->SinuosityRatio > 0.0 ? node->SinuosityRatio : 1.0;
    const double kc = ConveyanceLaw(ac, rc, n) / std::sqrt(sr);
    node->CompositeN = n;
    node->HydraulicRadius = rc;
    node->BedHydraulicRadius = ac > 0.0 ? Ratio(ac, tab.ByAnchor(ChannelPerimeter)) : 0.0;
    const double qc = node->Velocity * ac;
    node->ChannelFrictionSlope = kc > 0.0 ? qc * std::fabs(qc) / (kc * kc) : 0.0;

    const double al = tab.ByFlow(LeftArea);
    const double kl = al > 0.0 ? ConveyanceLaw(al, Ratio(al, tab.ByAnchor(LeftPerimeter)), tab.ByAnchor(LeftN)) : 0.0;
    const double ar = tab.ByFlow(RightArea);
    const double kr = ar > 0.0 ? ConveyanceLaw(ar, Ratio(ar, tab.ByAnchor(RightPerimeter)), tab.ByAnchor(RightN)) : 0.0;
    const double k = kc + kl + kr;

    if (kl > 0.0 || kr > 0.0) {
        double sum = ac > 0.0 ? kc * kc / ac : 0.0;
        if (kl > 0.0) sum += kl * kl / al;
        if (kr > 0.0) sum += kr * kr / ar;
        const double beta = 1.06 * sum / (k * k / a);
        node->MomentumCoefficient = std::isfinite(beta) ? beta : 1.06;
    }
    return k;
}

double IceShearRatio(const NodeRecord* node, const NodeTable& tab)
{
    const ModelControl& mc = g_ModelControl;
    const double a = node->FlowArea;
    if (a <= 0.0) return 1.0;
    const double v = node->Velocity;
    const double nb = tab.T ? tab.ByFlow(ChannelN) : node->ManningN;
    const double b = tab.T ? tab.ByGross(ChannelWidth) : node->RectWidth;
    const double pb = tab.T ? tab.ByAnchor(ChannelPerimeter) : RectBedPerimeter(node, AnchorArea(node));
    if (!(nb > 0.0) || v == 0.0 || !(pb > 0.0)) return 0.0;
    const double u = (v - node->IceVelocity) * node->IceManningN / nb / v;
    const double ratio = std::pow(u * u * (1.0 - node->BorderFraction) *
                                      std::max(mc.MinSurfaceIceConcentration, node->PreviousIceConcentration),
                                  0.75) *
                         b / pb;
    return std::isnan(ratio) ? 0.0 : ratio;
}

void SeparateBedIceShear(NodeRecord* node, const NodeTable& tab, int mode)
{
    const ModelControl& mc = g_ModelControl;
    const double g = mc.Gravity;
    const double a = node->FlowArea;
    if (a <= 0.0) {
        node->BedFriction = 0.0;
        node->IceDrag = 0.0;
        node->DynamicIceDrag = 0.0;
        return;
    }
    double cp = node->PreviousIceConcentration;
    if (mode == 0 && cp < mc.MinSurfaceIceConcentration) cp = mc.MinSurfaceIceConcentration;
    const double v = node->Velocity;
    const double vi = node->IceVelocity;
    const double ni = node->IceManningN;
    const double sw = std::fabs(v - vi) * ni * ni;
    const double f = IceShearRatio(node, tab);
    const double q = node->Discharge;

    double ri = 0.0;
    double sinuosity = 1.0;
    if (tab.T) {
        const double ac = tab.ByFlow(ChannelArea);
        const double pc = tab.ByAnchor(ChannelPerimeter);
        const double b = tab.ByGross(ChannelWidth);
        double ab = 0.0, rb = 0.0;
        if (pc > 0.0 && b > 0.0) {
            ab = ac / (f + 1.0);
            rb = ab / pc;
            ri = f / (f + 1.0) * ac / b;
        }
        sinuosity = node->SinuosityRatio;
        if (mode == 1) {
            const double al = tab.ByFlow(LeftArea);
            const double ar = tab.ByFlow(RightArea);
            const double pl = tab.ByAnchor(LeftPerimeter);
            const double pr = tab.ByAnchor(RightPerimeter);
            const double sr = sinuosity > 0.0 ? sinuosity : 1.0;
            const double kb = ConveyanceLaw(ab, rb, tab.ByFlow(ChannelN)) / std::sqrt(sr) +
                              ConveyanceLaw(al, Ratio(al, pl), tab.ByFlow(LeftN)) +
                              ConveyanceLaw(ar, Ratio(ar, pr), tab.ByFlow(RightN));
            double ae = a;
            if (f != 0.0) {
                if (al != 0.0 || ar != 0.0) {
                    if (a < node->MinFlowArea) {
                        ae = node->MinFlowArea;
                    } else {
                        const double wet = ac / (f + 1.0) + al + ar;
                        ae = wet * wet * wet / (a * a);
                    }
                } else {
                    ae = a / ((f + 1.0) * (f + 1.0) * (f + 1.0));
                }
            }
            node->BedFriction = kb > 0.0 ? std::fabs(q) * ae * g / (kb * kb) : 0.0;
        }
    } else {
        const double pb = RectBedPerimeter(node, AnchorArea(node));
        if (mode == 1) {
            const double rb = a / (f + 1.0) / pb;
            node->BedFriction =
                rb > 0.0 ? g * node->ManningN * node->ManningN * std::fabs(v) * pb / (a * std::cbrt(rb)) : 0.0;
        }
        ri = f / (f + 1.0) * a / node->RectWidth;
    }
    const double drag = ri > 0.0 ? sw / std::cbrt(ri) * mc.WaterDensity * g * (v - vi) : 0.0;
    const double result = sinuosity * cp * drag * node->IceCoveredWidth;
    if (mode == 1) node->IceDrag = result;
    else node->DynamicIceDrag = result;
}

// Depth below the stage at a station inside the segment (x0, y0)-(x1, y1), never negative.
double DepthAt(double x0, double y0, double x1, double y1, double stage, double station)
{
    const double d0 = stage - y0;
    const double d1 = stage - y1;
    const double dx = x1 - x0;
    const double d = dx != 0.0 ? d0 + (d1 - d0) * (station - x0) / dx : std::max(d0, d1);
    return std::max(0.0, d);
}

}  // namespace

double InterpolateTable(const double* xs, const double* ys, double x, int count)
{
    if (!ys) return 0.0;
    return Read(Locate(xs, x, count), ys);
}

double InterpolateTable(SectionColumn xs, SectionColumn ys, double x, int count)
{
    if (!ys) return 0.0;
    return Read(Locate(xs, x, count), ys.First, ys.Stride);
}

double SectionValueAtStage(const NodeRecord* node, int column, double stage)
{
    const CrossSectionTable* t = node->CrossSection;
    if (!t || t->Properties.empty()) return 0.0;
    // The hint's search covers the table's levels; a code of another count is searched as given.
    const int count = node->SectionCode;
    if ((count < 0 ? -count : count) != t->LevelCount)
        return InterpolateTable(t->Column(StageLevel), t->Column(column), stage, count);
    const SectionColumn ys = t->Column(column);
    return Read(LocateInTable(t, StageLevel, stage), ys.First, ys.Stride);
}

double InterpolateTableQuietly(const double* xs, const double* ys, double x, int count, bool* beyondEnd)
{
    if (beyondEnd) *beyondEnd = false;
    if (!ys) return 0.0;
    const Bracket b = Locate(xs, x, count);
    if (b.How != Bracket::AtOrAboveLast) return Read(b, ys);
    if (beyondEnd) *beyondEnd = x > xs[b.Row];
    return ys[b.Row];
}

void ComputeSectionLevelProperties(CrossSectionTable* t, int row, double x)
{
    if (!t || row < 0 || row >= t->LevelCount) return;
    if (t->Properties.size() < static_cast<size_t>(SectionPropertyColumnCount) * t->LevelCount) return;
    const int np = PointsOf(*t);
    const SectionPoint* p = t->Points.data();

    double leftW = 0, leftA = 0, leftP = 0;
    double chanW = 0, chanA = 0, chanP = 0;
    double rightW = 0, rightA = 0, rightP = 0;
    double w = 0, a = 0, per = 0;
    for (int i = 0; i + 1 < np; ++i) {
        if (i == t->LeftBankPoint) {
            leftW = w; leftA = a; leftP = per;
            w = a = per = 0;
        }
        if (i == t->RightBankPoint) {
            chanW = w; chanA = a; chanP = per;
            w = a = per = 0;
        }
        const WetPart s = WetSegment(p[i].Station, p[i].Elevation, p[i + 1].Station, p[i + 1].Elevation, x);
        w += s.Width;
        a += s.Area;
        per += s.Perimeter;
        // Vertical walls at both ends of the section.
        if (i == 0 && x - p[0].Elevation > 0) per += x - p[0].Elevation;
        if (i + 2 == np && x - p[np - 1].Elevation > 0) per += x - p[np - 1].Elevation;
    }
    // What is left belongs to the right overbank, or to the channel when the right bank point was
    // never reached (it is the last point).
    if (leftW >= 0) { if (chanW > 0) rightW = w; else if (chanW == 0) chanW = w; }
    if (leftA >= 0) { if (chanA > 0) rightA = a; else if (chanA == 0) chanA = a; }
    if (leftP >= 0) { if (chanP > 0) rightP = per; else if (chanP == 0) chanP = per; }

    // Water at or below a bank does not spill into that overbank.
    if (t->LeftBankPoint >= 0 && t->LeftBankPoint < np && x <= p[t->LeftBankPoint].Elevation)
        leftW = leftA = leftP = 0;
    if (t->RightBankPoint >= 0 && t->RightBankPoint < np && x <= p[t->RightBankPoint].Elevation)
        rightW = rightA = rightP = 0;

    t->Column(StageLevel)[row] = x;
    t->Column(ChannelWidth)[row] = chanW;
    t->Column(LeftWidth)[row] = leftW;
    t->Column(RightWidth)[row] = rightW;
    t->Column(ChannelArea)[row] = chanA;
    t->Column(LeftArea)[row] = leftA;
    t->Column(RightArea)[row] = rightA;
    t->Column(ChannelPerimeter)[row] = chanP;
    t->Column(LeftPerimeter)[row] = leftP;
    t->Column(RightPerimeter)[row] = rightP;
}

void BuildCrossSectionTable(CrossSectionTable* t, int count)
{
    if (!t) return;
    const int n = count < 0 ? -count : count;
    const int np = PointsOf(*t);
    const SectionPoint* p = t->Points.data();

    // Bank points: the highest point standing exactly at each bank station; a point at a station
    // equal to both banks is the left bank.
    t->LeftBankPoint = -1;
    t->RightBankPoint = -1;
    for (int i = 0; i < np; ++i) {
        if (p[i].Station == t->LeftBankStation) {
            if (t->LeftBankPoint < 0 || p[i].Elevation > p[t->LeftBankPoint].Elevation) t->LeftBankPoint = i;
        } else if (p[i].Station == t->RightBankStation) {
            if (t->RightBankPoint < 0 || p[i].Elevation > p[t->RightBankPoint].Elevation) t->RightBankPoint = i;
        }
    }

    // Lowest point between the banks (a missing bank falls back to that end of the section).
    const int first = t->LeftBankPoint >= 0 ? t->LeftBankPoint : 0;
    const int last = t->RightBankPoint >= 0 ? t->RightBankPoint : np - 1;
    t->LowestElevation = np > 0 ? p[first].Elevation : 0.0;
    t->LowestPointIndex = 0;
    for (int i = first; i <= last && i < np; ++i) {
        if (p[i].Elevation < t->LowestElevation) {
            t->LowestElevation = p[i].Elevation;
            t->LowestPointIndex = i;
        }
    }
    double highest = np > 0 ? p[0].Elevation : t->LowestElevation;
    for (int i = 1; i < np; ++i) highest = std::max(highest, p[i].Elevation);
    t->TopLevel = 2.0 * highest - t->LowestElevation;

    t->LevelCount = n;
    t->Properties.assign(static_cast<size_t>(SectionPropertyColumnCount) * n, 0.0);
    t->SinuosityAreaSums.assign(static_cast<size_t>(3) * n, 0.0);
    if (n == 0) return;

    // Levels: evenly from the lowest point up to the top level, and a last row far above.
    const double step = n > 2 ? (t->TopLevel - t->LowestElevation) / (n - 2) : 0.0;
    double level = t->LowestElevation;
    for (int r = 0; r + 1 < n; ++r) {
        ComputeSectionLevelProperties(t, r, level);
        level += step;
    }
    ComputeSectionLevelProperties(t, n - 1, t->TopLevel + 10000.0 * g_ModelControl.LengthFactor);

    const MutableSectionColumn stage = t->Column(StageLevel);
    const MutableSectionColumn chanN = t->Column(ChannelN);
    const MutableSectionColumn leftN = t->Column(LeftN);
    const MutableSectionColumn rightN = t->Column(RightN);
    const MutableSectionColumn sinuosity = t->Column(Sinuosity);
    for (int r = 0; r < n; ++r) {
        chanN[r] = t->RoughnessRows[1][0];
        leftN[r] = t->RoughnessRows[2][0];
        rightN[r] = t->RoughnessRows[3][0];
        sinuosity[r] = t->SinuosityRows[1][0];
    }
    // Roughness and sinuosity zones: a level above a row's elevation takes its values; later rows win.
    const int roughnessRows = std::clamp(t->RoughnessRowCount, 0, MaxRoughnessRows);
    for (int z = 0; z < roughnessRows; ++z) {
        for (int r = 0; r < n; ++r) {
            if (stage[r] > t->RoughnessRows[0][z]) {
                chanN[r] = t->RoughnessRows[1][z];
                leftN[r] = t->RoughnessRows[2][z];
                rightN[r] = t->RoughnessRows[3][z];
            }
        }
    }
    const int sinuosityRows = std::clamp(t->SinuosityRowCount, 0, MaxSinuosityRows);
    for (int z = 0; z < sinuosityRows; ++z)
        for (int r = 0; r < n; ++r)
            if (stage[r] > t->SinuosityRows[0][z]) sinuosity[r] = t->SinuosityRows[1][z];

    // Key area: the channel, plus both overbanks for a compound channel.
    const MutableSectionColumn chanA = t->Column(ChannelArea);
    const MutableSectionColumn leftA = t->Column(LeftArea);
    const MutableSectionColumn rightA = t->Column(RightArea);
    const MutableSectionColumn total = t->Column(TotalArea);
    total[0] = 0.0;
    for (int r = 1; r < n; ++r) total[r] = count < 0 ? chanA[r] + leftA[r] + rightA[r] : chanA[r];

    // First moments of area about each level, sum over j <= k of (h_k - mid_j) x dA_j, formed as
    // h_k x sum dA_j - sum mid_j x dA_j with levels taken from row 0 so the two terms stay small.
    const MutableSectionColumn moment = t->Column(AreaMoment);
    const MutableSectionColumn leftMoment = t->Column(LeftAreaMoment);
    const MutableSectionColumn rightMoment = t->Column(RightAreaMoment);
    const MutableSectionColumn centroid = t->Column(CentroidDepthColumn);
    const double base = stage[0];
    double sumA = 0, sumMA = 0, sumL = 0, sumML = 0, sumR = 0, sumMR = 0;
    for (int k = 0; k < n; ++k) {
        const double hk = stage[k] - base;
        if (k > 0) {
            const double mid = (stage[k - 1] - base + hk) / 2.0;
            const double dA = total[k] - total[k - 1];
            sumA += dA;
            sumMA += mid * dA;
            if (count < 0) {
                const double dL = leftA[k] - leftA[k - 1];
                const double dR = rightA[k] - rightA[k - 1];
                sumL += dL;
                sumML += mid * dL;
                sumR += dR;
                sumMR += mid * dR;
            }
        }
        moment[k] = hk * sumA - sumMA;
        leftMoment[k] = count < 0 ? hk * sumL - sumML : 0.0;
        rightMoment[k] = count < 0 ? hk * sumR - sumMR : 0.0;
        centroid[k] = total[k] > 0 ? moment[k] / total[k] : 0.0;
    }

    // Running sums for the sinuosity ratio of a flow area.
    double* sums = t->SinuosityAreaSums.data();
    for (int k = 1; k < n; ++k) {
        sums[3 * k] = sums[3 * (k - 1)] + (chanA[k] - chanA[k - 1]) * sinuosity[k];
        sums[3 * k + 1] = sums[3 * (k - 1) + 1] + (leftA[k] - leftA[k - 1]);
        sums[3 * k + 2] = sums[3 * (k - 1) + 2] + (rightA[k] - rightA[k - 1]);
    }
}

bool NodeHasCrossSection(const NodeRecord* node) { return SectionOf(node) != nullptr; }

double ComputeFlowAreaFromStage(NodeRecord* node, double stage)
{
    const ModelControl& mc = g_ModelControl;
    const double s = mc.IceSpecificGravity;
    NodeTable tab;
    tab.T = SectionOf(node);
    if (mc.FileType == FileTypeStaticIce) {
        const double c = s * node->EffectiveIceThickness;
        if (tab.T) return tab.ByStage(TotalArea, stage - c);
        return (stage - node->Invert - c) * node->RectWidth;
    }
    const double gross = tab.T ? tab.ByStage(TotalArea, stage) : (stage - node->Invert) * node->RectWidth;
    return gross - s * node->FloatingIceArea - (1.0 - mc.AnchorIcePorosity) * node->AnchorIceArea;
}

double ContinuityOlderFloatingIceArea(const NodeRecord* node)
{
    if (g_ModelControl.ThermalIceOn != 1) return node->OlderFloatingIceArea;
    return node->PreviousFloatingIceArea - node->PreviousCarriedIceArea;
}

double ContinuityOlderAnchorIceArea(const NodeRecord* node)
{
    return g_ModelControl.ThermalIceOn == 1 ? node->PreviousAnchorIceArea : node->OlderAnchorIceArea;
}

double ComputeMinimumFlowArea(NodeRecord* node)
{
    const double depth = g_ModelControl.MinWaterDepth;
    NodeTable tab;
    tab.T = SectionOf(node);
    if (tab.T) return tab.ByStage(TotalArea, node->Invert + depth);
    return node->RectWidth * depth;
}

double ComputeHydraulicDepth(NodeRecord* node, double area)
{
    NodeTable tab;
    tab.T = SectionOf(node);
    Bracket at;
    if (tab.T) at = Locate(tab.T->Column(TotalArea), area, tab.T->LevelCount);
    return HydraulicDepthOf(node, tab, at, area);
}

double ComputeWettedPerimeterWithIce(NodeRecord* node) { return WettedPerimeterWithIce(node, TableOf(node)); }
double ComputeCompositeRoughness(NodeRecord* node) { return CompositeRoughness(node, TableOf(node)); }

double ComputeConveyance(NodeRecord* node) { return Conveyance(node, TableOf(node)); }
double ComputeIceShearRatio(NodeRecord* node) { return IceShearRatio(node, TableOf(node)); }
void ComputeSeparateBedIceShear(NodeRecord* node, int mode) { SeparateBedIceShear(node, TableOf(node), mode); }

double RoughnessMixFactor(double nb, double ni, double r)
{
    if (nb > 0.0 && ni > 0.0) return std::pow((1.0 + r * std::pow(ni / nb, 1.5)) / (1.0 + r), 2.0 / 3.0);
    if (nb < 0.0 && ni < 0.0) return std::pow((1.0 + r * std::pow(ni / nb, 0.25)) / (1.0 + r), 4.0);
    return 1.0;
}

double ComputeChezyFactor(double radius, double n, double mix)
{
    if (n > 0.0) return std::pow(std::fabs(radius), 1.0 / 6.0) / (std::sqrt(g_ModelControl.Gravity) * n * mix);
    if (n < 0.0) return 5.75 * std::log10(std::fabs(radius / (n * mix))) + 6.2;
    return 0.0;
}

double LookUpIceRoughness(NodeRecord* node)
{
    static constexpr double thickness[9] = {0.1, 0.3, 0.5, 0.7, 1.0, 1.5, 2.0, 3.0, 5.0};
    static constexpr double roughness[3][9] = {
        {0.01, 0.01, 0.01, 0.02, 0.03, 0.04, 0.04, 0.05, 0.06},
        {0.013, 0.013, 0.02, 0.03, 0.04, 0.06, 0.07, 0.08, 0.09},
        {0.015, 0.04, 0.05, 0.06, 0.07, 0.08, 0.09, 0.1, 0.1},
    };
    const int mode = node->IceRoughnessMode;
    if (mode < 1 || mode > 3) return node->IceRoughness;
    double t = node->IceVelocity == 0.0 ? node->IceThickness + node->SlushThickness : node->BorderIceThickness * 0.5;
    if (std::isnan(t)) return node->IceRoughness;
    t = std::clamp(t, thickness[0], thickness[8]);
    const double* n = roughness[mode - 1];
    int i = 0;
    while (i < 8 && t >= thickness[i + 1]) ++i;
    if (t == thickness[i]) return n[i];
    return n[i] + (n[i + 1] - n[i]) * (t - thickness[i]) / (thickness[i + 1] - thickness[i]);
}

void UpdateNodeIceElevations(NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    double a = 1.0;
    if (mc.FileType == FileTypeDynamicIce && mc.MaxSurfaceIceConcentration > 0.0) a = node->IceConcentration / mc.MaxSurfaceIceConcentration;
    const double s = mc.IceSpecificGravity;
    const double p = mc.FrazilSlushPorosity;
    node->AnchorBedElevation = node->Invert + node->AnchorIceThickness;
    node->IceTopElevation = node->Stage + a * (1.0 - s) *
                                              ((mc.WaterDensity * p / mc.IceDensity + (1.0 - p)) *
                                                   (node->UnderSlushThickness + node->SlushThickness) +
                                               node->IceThickness);
    node->IceBottomElevation =
        node->IceTopElevation - a * (node->IceThickness + node->SlushThickness + node->UnderSlushThickness);
    if (node->Bridged) {
        node->SlushElevations[1] = node->IceBottomElevation + a * node->UnderSlushThickness;
        node->SlushElevations[0] = node->SlushElevations[1] + a * node->SlushThickness;
    } else {
        node->SlushElevations[0] = node->SlushElevations[1] =
            node->IceBottomElevation + a * (node->UnderSlushThickness + node->SlushThickness);
    }
}

double ComputeBedPerimeterUnder(const NodeRecord* node, double area)
{
    if (const CrossSectionTable* t = SectionOf(node))
        return InterpolateTable(t->Column(TotalArea), t->Column(ChannelPerimeter), area, node->SectionCode);
    return 2 * area / node->RectWidth + node->RectWidth;
}

void ComputeIceThicknessesFromAreas(NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    node->AnchorIceThickness = mc.AnchorIceBedFraction > 0 && node->WettedPerimeter > 0
                                   ? node->AnchorIceArea / node->WettedPerimeter / mc.AnchorIceBedFraction
                                   : 0;
    const double borders = node->BorderWidthLeft + node->BorderWidthRight;
    if (borders > 0) node->BorderIceThickness = 2 * node->BorderIceArea / borders;
    if (node->IceCoveredWidth > 0) {
        const double c = std::max(mc.MinSurfaceIceConcentration,
                                  std::min(mc.MaxSurfaceIceConcentration, node->IceConcentration));
        const double w = node->IceCoveredWidth * c;
        if (mc.FileType == FileTypeStaticIce)
            node->SolidIceArea = node->IceThickness * node->IceConcentration * node->IceCoveredWidth;
        // No concentration leaves no width to spread the ice over: the thicknesses stay as they are.
        // A static ice cover's thickness is the file's own and its solid area follows from it;
        // taken back through the clamped concentration, the thickness would change at every
        // open and save of a node whose concentration lies outside the clamps.
        if (w > 0) {
            if (mc.FileType != FileTypeStaticIce) node->IceThickness = node->SolidIceArea / w;
            node->SlushThickness = node->SlushArea / w;
            node->UnderSlushThickness = node->UnderSlushArea / w;
        }
    }
    for (double* t : {&node->AnchorIceThickness, &node->BorderIceThickness, &node->IceThickness,
                      &node->SlushThickness, &node->UnderSlushThickness})
        if (*t < 0) *t = 0;
}

void ComputeIceLayersFromThicknesses(NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    node->AnchorBedElevation = node->Invert + node->AnchorIceThickness;
    const double porosity = mc.FrazilSlushPorosity;
    const double slush = node->SlushThickness + node->UnderSlushThickness;
    node->SolidEquivalentThickness = (1 - porosity) * slush + node->IceThickness;
    node->EffectiveIceThickness = (porosity * mc.WaterDensity / mc.IceDensity + 1 - porosity) * slush + node->IceThickness;
    node->IceTopElevation = node->Stage + (1 - mc.IceSpecificGravity) * node->EffectiveIceThickness;
    node->IceBottomElevation =
        node->IceTopElevation - (node->IceThickness + node->SlushThickness + node->UnderSlushThickness);
}

double ComputeAreaBetweenBorders(NodeRecord* node)
{
    const CrossSectionTable* t = SectionOf(node);
    if (!t) return 0.0;
    const int np = PointsOf(*t);
    if (np < 2) return 0.0;
    const SectionPoint* p = t->Points.data();
    const double stage = node->Stage;
    const double leftEdge = node->BorderEdgeStations[0];
    const double rightEdge = node->BorderEdgeStations[1];
    double area = 0.0;
    for (int i = 0; i + 1 < np; ++i) {
        double x0 = p[i].Station, y0 = p[i].Elevation;
        double x1 = p[i + 1].Station, y1 = p[i + 1].Elevation;
        const double xa = x0, ya = y0;
        if (leftEdge >= x0 && leftEdge < x1) {
            y0 = ya + (y1 - ya) * (leftEdge - xa) / (x1 - xa);
            x0 = leftEdge;
            area = 0.0;
        }
        bool last = false;
        if (rightEdge > x0 && rightEdge <= x1) {
            y1 = ya + (y1 - ya) * (rightEdge - xa) / (x1 - xa);
            x1 = rightEdge;
            last = true;
        }
        area += WetArea(x0, y0, x1, y1, stage);
        if (last) break;
    }
    return area;
}

double LocateBorderIceEdge(NodeRecord* node, double width, int side)
{
    const double w = width == 0.0 ? 1e-5 : width;
    const CrossSectionTable* t = SectionOf(node);
    if (!t) return node->Velocity;
    const int np = PointsOf(*t);
    const SectionPoint* p = t->Points.data();
    const double stage = node->Stage;

    int found = -1;
    double station = 0.0;
    double covered = 0.0;
    if (side == 1) {
        for (int i = 0; i + 1 < np && found < 0; ++i) {
            if (p[i].Station < t->LeftBankStation) continue;
            const WetPart s = WetSegment(p[i].Station, p[i].Elevation, p[i + 1].Station, p[i + 1].Elevation, stage);
            if (w > covered && covered + s.Width >= w) {
                station = s.FromLeft ? p[i].Station + (w - covered) : p[i + 1].Station - s.Width + (w - covered);
                found = i;
            }
            covered += s.Width;
        }
    } else if (side == 2) {
        for (int i = np - 2; i >= 0 && found < 0; --i) {
            if (p[i + 1].Station > t->RightBankStation) continue;
            const WetPart s = WetSegment(p[i].Station, p[i].Elevation, p[i + 1].Station, p[i + 1].Elevation, stage);
            if (w > covered && covered + s.Width >= w) {
                station = s.FromLeft ? p[i].Station + s.Width - (w - covered) : p[i + 1].Station - (w - covered);
                found = i;
            }
            covered += s.Width;
        }
    } else {
        return 0.0;
    }

    if (found >= 0) {
        node->BorderEdgeStations[side - 1] = station;
    } else {
        // The edge stays where it was; the velocity is the one at that station.
        station = node->BorderEdgeStations[side - 1];
        for (int i = 0; i + 1 < np; ++i) {
            if (station >= p[i].Station && station <= p[i + 1].Station && p[i + 1].Station > p[i].Station) {
                found = i;
                break;
            }
        }
    }
    if (found < 0) return 0.0;
    const double d = DepthAt(p[found].Station, p[found].Elevation, p[found + 1].Station, p[found + 1].Elevation,
                             stage, station);
    const double hd = node->HydraulicDepth;
    return hd > 0.0 ? node->Velocity * std::pow(d / hd, 2.0 / 3.0) : 0.0;
}

void PrefetchNodeHydraulics(const NodeRecord* node, bool rows)
{
    if (!rows) PrefetchBytes(node, NodeNewtonBytes);
    const CrossSectionTable* t = node->CrossSection;
    if (!t) return;
    if (!rows) {
        PrefetchBytes(t, 128);
        return;
    }
    const double* properties = t->Properties.data();
    const int n = t->LevelCount;
    if (!properties || n <= 0) return;
    const int r = std::clamp(t->LocateHint, 0, n - 1);
    const size_t level = SectionHotColumnCount;
    PrefetchBytes(properties + r * level, (r + 1 < n ? 2 : 1) * level * sizeof(double));
    PrefetchLine(properties);
    PrefetchLine(properties + (n - 1) * level);
    if (t->SinuosityAreaSums.size() >= static_cast<size_t>(3) * (r + 1))
        PrefetchBytes(t->SinuosityAreaSums.data() + 3 * r, 3 * sizeof(double));
    const size_t points = std::min(t->Points.size(), static_cast<size_t>(std::max(t->PointCount, 0)));
    if (points) PrefetchBytes(t->Points.data(), std::min<size_t>(points * sizeof(SectionPoint), 256));
}

int UpdateNodeHydraulics(NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    const double s = mc.IceSpecificGravity;
    const double p = mc.AnchorIcePorosity;
    const double g = mc.Gravity;
    NodeTable tab;
    tab.T = SectionOf(node);

    node->GrossArea = node->HydroUnknowns[0];
    node->Discharge = node->HydroUnknowns[1];
    const double gross = node->GrossArea;
    const double q = node->Discharge;
    LocateGrossArea(tab, node);

    node->Stage = std::max(node->Invert, tab.T ? tab.ByGross(StageLevel) : gross / node->RectWidth + node->Invert);

    if (mc.FileType == FileTypeStaticIce) {
        const double w = ComputeFlowAreaFromStage(node, node->Stage);
        node->FloatingIceArea = (gross - w) / s;
        node->FlowArea = w;
    } else {
        node->FlowArea = gross - s * node->FloatingIceArea - (1.0 - p) * node->AnchorIceArea;
    }
    node->FlowArea = std::max(node->FlowArea, node->MinFlowArea);
    node->Velocity = node->FlowArea > 0.0 ? q / node->FlowArea : 0.0;
    LocateFlowAreas(tab, node);

    if (mc.ThermalIceOn == 1) {
        node->Bridged = 0;
        // Ice drifts downstream with the water of the previous level. It stands (velocity 0) on
        // still water; as a cover closed across its ice-covered width, which is a standing
        // cover and no longer floes that the current carries; and where a bridging event holds
        // it (below).
        const bool still = !(std::fabs(node->PreviousVelocity) > StillVelocity);
        const bool closedCover = node->PreviousIceConcentration >= 1.0;
        node->IceVelocity = still || closedCover ? 0.0 : std::max(0.0, node->PreviousVelocity);
        int k = 0;
        for (const BridgingEventRecord* e = g_BridgingEvents; e && k < mc.BridgingEventCount; e = e->Next, ++k) {
            if (node->Chainage >= e->FrontLocation && node->Chainage <= e->BridgingLocation &&
                mc.ModelTime >= e->BridgingTime) {
                node->IceVelocity = 0.0;
                node->Bridged = 1;
                const double nextChainage = node->Next ? node->Next->Chainage : 0.0;
                if (nextChainage > e->BridgingLocation) node->IceFrontAtNode = 1;
            }
        }
    }
    node->ThermalVelocity = node->Velocity;

    const double open = 1.0 - node->BorderFraction;
    // The area between the borders (which the thermal update reads) and the free area enter no
    // residual of the hydrodynamics: the differencing leaves them as they were, at the current
    // state as at a perturbed one. The refresh of every node after the step's Newton iterations
    // takes them, and a step not made puts them back to the step start.
    if (mc.Differencing == NotDifferencing) {
        node->BorderGapArea = ComputeAreaBetweenBorders(node);
        node->FreeArea = std::max(
            0.0,
            node->BorderGapArea - (s * node->SolidIceEquivalentArea - (1.0 - p) * node->AnchorIceArea * open) -
                ((node->UnderSlushArea + node->SlushArea) * mc.FrazilSlushPorosity + p * node->AnchorIceArea * open));
    }

    node->IceManningN = LookUpIceRoughness(node);
    const double k = node->Conveyance = Conveyance(node, tab);
    if (k > 0.0) {
        node->FrictionTerm = std::fabs(q) * node->FlowArea * g / (k * k);
        node->FrictionSlope = q * std::fabs(q) / (k * k);
    } else {
        node->FrictionTerm = 0.0;
        node->FrictionSlope = 0.0;
    }

    if (const CrossSectionTable* t = tab.T) {
        node->TopWidth = tab.ByGross(ChannelWidth);
        node->AnchorWidth = tab.ByAnchor(ChannelWidth);
        node->IceLevelWidth = mc.FileType == FileTypeStaticIce ? tab.ByStage(ChannelWidth, node->EffectiveIceThickness)
                                               : tab.ByArea(ChannelWidth, node->FloatingIceArea + node->AnchorIceArea);
        node->WettedPerimeter = tab.ByAnchor(ChannelPerimeter);
        const int np = PointsOf(*t);
        const bool aboveLeft = t->LeftBankPoint >= 0 && t->LeftBankPoint < np &&
                               node->Stage > t->Points[t->LeftBankPoint].Elevation;
        const bool aboveRight = t->RightBankPoint >= 0 && t->RightBankPoint < np &&
                                node->Stage > t->Points[t->RightBankPoint].Elevation;
        node->OverbankFlag = aboveLeft || aboveRight ? 1 : 0;
        if (mc.ThermalIceOn != 1) node->IceCoveredWidth = open * std::max(node->TopWidth, node->IceLevelWidth);
    } else {
        node->TopWidth = node->RectWidth;
        node->AnchorWidth = node->RectWidth;
        node->IceLevelWidth = node->RectWidth;
        node->WettedPerimeter = RectBedPerimeter(node, AnchorArea(node));
        node->OverbankFlag = 0;
        if (mc.ThermalIceOn != 1) node->IceCoveredWidth = node->RectWidth;
    }

    // The bed friction and ice drag enter the residuals under resistance model 1 alone (the
    // junction branches' copies of them as well); under another model the differencing leaves
    // them as they were, as it leaves the area between the borders.
    if (mc.ResistanceModel == 1 || mc.Differencing == NotDifferencing) SeparateBedIceShear(node, tab, 1);

    node->CentroidDepth = tab.T ? tab.ByFlow(CentroidDepthColumn) : node->FlowArea / node->RectWidth * 0.5;
    node->HydraulicDepth = HydraulicDepthOf(node, tab, tab.Flow, node->FlowArea);
    node->GrossHydraulicDepth = HydraulicDepthOf(node, tab, tab.Gross, gross);
    const double wave = node->GrossHydraulicDepth * g;
    node->Froude = node->FlowArea > 0.0 && wave > 0.0 ? node->FluxDischarge / node->FlowArea / std::sqrt(wave) : 0.0;
    return 1;
}

int UpdateNodeDischarge(NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    // Resistance model 1 separates the bed and ice stresses by the velocity, through the
    // section's table at the flow area: the whole refresh.
    if (mc.ResistanceModel == 1) return UpdateNodeHydraulics(node);
    const double g = mc.Gravity;
    node->Discharge = node->HydroUnknowns[1];
    const double q = node->Discharge;
    node->Velocity = node->FlowArea > 0.0 ? q / node->FlowArea : 0.0;
    node->ThermalVelocity = node->Velocity;
    const double k = node->Conveyance;
    // A rectangle's or a single section's channel friction slope is that of the whole
    // conveyance; a compound section's, of its channel alone, is left as it was.
    if (!SectionOf(node) || node->SectionCode > 0)
        node->ChannelFrictionSlope = k > 0.0 ? q * std::fabs(q) / (k * k) : 0.0;
    if (k > 0.0) {
        node->FrictionTerm = std::fabs(q) * node->FlowArea * g / (k * k);
        node->FrictionSlope = q * std::fabs(q) / (k * k);
    } else {
        node->FrictionTerm = 0.0;
        node->FrictionSlope = 0.0;
    }
    return 1;
}

void SaveNodeHydraulics(const NodeRecord* node, NodeHydraulicsCopy* copy)
{
    VASQUIL_NODE_HYDRAULICS_OUTPUTS(VASQUIL_NODE_COPY_OUT)
}

void RestoreNodeHydraulics(NodeRecord* node, const NodeHydraulicsCopy* copy)
{
    VASQUIL_NODE_HYDRAULICS_OUTPUTS(VASQUIL_NODE_COPY_IN)
}
