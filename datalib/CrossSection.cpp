#include "datalib/CrossSection.h"

#include <cmath>
#include <locale>
#include <ostream>

#include "datalib/TextFormat.h"

namespace VQXGeometryDataLib {

namespace {

VQXSectionError Failure(int code, std::string message, int first = 0, int second = 0)
{
    VQXSectionError error;
    error.Code = code;
    error.FirstEntry = first;
    error.SecondEntry = second;
    error.Message = std::move(message);
    return error;
}

// Width, area and wetted perimeter of one segment below the level z.
struct SegmentShare {
    double Area = 0.0;
    double Perimeter = 0.0;
    double Width = 0.0;
};

SegmentShare WholeSegmentUnderWater(double dl, double dr, double dx, double de)
{
    return {(dl + dr) / 2.0 * dx, std::sqrt(de * de + dx * dx), dx};
}

// A segment between points (xi, ei) and (xj, ej) at level z. An end is under water when the
// level lies more than the tolerance above it. When exactly one end is under water, the
// waterline cuts the segment only if the other end lies at or above the level; if that end
// lies below the level by no more than the tolerance, the whole segment is under water and
// counts like one with both ends wet. So the width is always within [0, dx].
SegmentShare SegmentBelowLevel(double xi, double ei, double xj, double ej, double z)
{
    const double dl = z - ei;
    const double dr = z - ej;
    const double dx = xj - xi;
    const double de = ej - ei;
    const bool leftWet = dl > SectionWetTolerance;
    const bool rightWet = dr > SectionWetTolerance;
    if (leftWet && rightWet)
        return WholeSegmentUnderWater(dl, dr, dx, de);
    if (leftWet) {
        if (dr > 0.0)
            return WholeSegmentUnderWater(dl, dr, dx, de);
        const double s = dx / de;  // de >= dl > 0 here
        const double w = s * dl;
        return {dl * w / 2.0, std::sqrt(s * s + 1.0) * dl, w};
    }
    if (rightWet) {
        if (dl > 0.0)
            return WholeSegmentUnderWater(dl, dr, dx, de);
        const double s = dx / de;  // de <= -dr < 0 here
        const double w = s * (ej - z);
        return {dr * w / 2.0, std::sqrt(s * s + 1.0) * dr, w};
    }
    return {};
}

}  // namespace

void VQXCrossSection::AddPoint(double station, double elevation)
{
    Points.push_back({station, elevation});
}

void VQXCrossSection::AddRoughnessRow(double elevation, double channelN, double leftN, double rightN)
{
    RoughnessRows.push_back({elevation, channelN, leftN, rightN});
}

VQXRoughnessRow* VQXCrossSection::GetRoughnessRow(int i)
{
    if (i < 0 || i >= static_cast<int>(RoughnessRows.size()))
        return nullptr;
    return &RoughnessRows[static_cast<std::size_t>(i)];
}

const VQXRoughnessRow* VQXCrossSection::GetRoughnessRow(int i) const
{
    return const_cast<VQXCrossSection*>(this)->GetRoughnessRow(i);
}

const VQXSectionPoint* VQXCrossSection::LeftBankPointRef() const
{
    if (LeftBankPoint < 0 || LeftBankPoint >= static_cast<int>(Points.size()))
        return nullptr;
    return &Points[static_cast<std::size_t>(LeftBankPoint)];
}

const VQXSectionPoint* VQXCrossSection::RightBankPointRef() const
{
    if (RightBankPoint < 0 || RightBankPoint >= static_cast<int>(Points.size()))
        return nullptr;
    return &Points[static_cast<std::size_t>(RightBankPoint)];
}

void VQXCrossSection::Clear()
{
    ThalwegElevation = 0.0;
    LeftBankStation = 0.0;
    RightBankStation = 0.0;
    LeftBankPoint = -1;
    RightBankPoint = -1;
    Points.clear();
    PropertyRows.clear();
    RoughnessRows.clear();
    SinuosityRows.clear();
}

void VQXCrossSection::SetDefaultShape(double invert, double width)
{
    const double z = std::fabs(invert);
    const double b = std::fabs(width);
    Clear();
    LeftBankStation = 0.0;
    RightBankStation = b;
    AddPoint(0.0, z + 100.0);
    AddPoint(b / 4.0, z + 0.01);
    AddPoint(b / 2.0, z);
    AddPoint(3.0 * b / 4.0, z + 0.01);
    AddPoint(b, z + 100.0);
    AddRoughnessRow(z, 0.03, 0.15, 0.15);
    SinuosityRows.push_back({z, 1.0});
}

void VQXCrossSection::FindBankPoints()
{
    LeftBankPoint = -1;
    RightBankPoint = -1;
    for (int i = 0; i < static_cast<int>(Points.size()); ++i) {
        const VQXSectionPoint& p = Points[static_cast<std::size_t>(i)];
        if (p.Station == LeftBankStation) {
            if (LeftBankPoint < 0 || Points[static_cast<std::size_t>(LeftBankPoint)].Elevation < p.Elevation)
                LeftBankPoint = i;
        } else if (p.Station == RightBankStation) {
            if (RightBankPoint < 0 || Points[static_cast<std::size_t>(RightBankPoint)].Elevation < p.Elevation)
                RightBankPoint = i;
        }
    }
    if (LeftBankPoint >= 0)
        LeftBankIndex = LeftBankPoint;
    if (RightBankPoint >= 0)
        RightBankIndex = RightBankPoint;
}

double VQXCrossSection::FindThalweg()
{
    const int n = static_cast<int>(Points.size());
    if (n == 0) {
        ThalwegElevation = 0.0;
        return ThalwegElevation;
    }
    const int first = LeftBankPointRef() != nullptr ? LeftBankPoint : 0;
    const int last = RightBankPointRef() != nullptr ? RightBankPoint : n - 1;
    ThalwegIndex = first;
    ThalwegElevation = Points[static_cast<std::size_t>(first)].Elevation;
    for (int i = first + 1; i <= last; ++i) {
        const double e = Points[static_cast<std::size_t>(i)].Elevation;
        if (e < ThalwegElevation) {
            ThalwegElevation = e;
            ThalwegIndex = i;
        }
    }
    return ThalwegElevation;
}

double VQXCrossSection::TopElevation(int /*thalwegIndex*/) const
{
    if (Points.empty())
        return 0.0;
    double top = Points.front().Elevation;
    for (const VQXSectionPoint& p : Points)
        if (p.Elevation > top)
            top = p.Elevation;
    return top;
}

bool VQXCrossSection::ZoneValuesAt(double level, double& channelN, double& leftN, double& rightN,
                                   double& sinuosity) const
{
    if (RoughnessRows.empty() || SinuosityRows.empty())
        return false;
    const VQXRoughnessRow* rough = &RoughnessRows.front();
    for (const VQXRoughnessRow& r : RoughnessRows)
        if (level > r.Elevation)
            rough = &r;
    const VQXSinuosityRow* sin = &SinuosityRows.front();
    for (const VQXSinuosityRow& s : SinuosityRows)
        if (level > s.Elevation)
            sin = &s;
    channelN = rough->ChannelN;
    leftN = rough->LeftN;
    rightN = rough->RightN;
    sinuosity = sin->Sinuosity;
    return true;
}

VQXSectionError VQXCrossSection::BuildPropertyTable(int levelCount)
{
    VQXSectionError check = ValidateLevelCount(levelCount);
    if (!check.Ok())
        return check;
    if (Points.empty())
        return Failure(SectionTooFewPoints, "The cross section table needs at least two station entries.\n");
    if (ThalwegIndex < 0 || ThalwegIndex >= static_cast<int>(Points.size()))
        return Failure(SectionThalwegOutOfRange, "The thalweg of the cross section is not one of its station entries.\n");
    if (RoughnessRows.empty())
        return Failure(SectionNoRoughnessRow, "The Roughness Table needs at least one entry.\n");
    if (SinuosityRows.empty())
        return Failure(SectionNoSinuosityRow, "The Sinuosity Table needs at least one entry.\n");

    const int b = ThalwegIndex;
    const double c = Points[static_cast<std::size_t>(b)].Elevation;
    const double top = TopElevation(b);
    const double f = 2.0 * top - c;
    const int n = levelCount;

    PropertyRows.assign(static_cast<std::size_t>(n), VQXPropertyRow{});
    const VQXRoughnessRow& rough0 = RoughnessRows.front();
    const double sinuosity0 = SinuosityRows.front().Sinuosity;
    auto fill = [&](VQXPropertyRow& row, double level) {
        ComputeProperties(level, row);
        row[PropertyChannelN] = rough0.ChannelN;
        row[PropertyLeftN] = rough0.LeftN;
        row[PropertyRightN] = rough0.RightN;
        row[PropertySinuosity] = sinuosity0;
    };
    for (int k = 0; k <= n - 2; ++k) {
        // Row 0 lies at the thalweg; a two-level table has no spacing to divide.
        const double level = k == 0 ? c : c + k * (f - c) / (n - 2);
        fill(PropertyRows[static_cast<std::size_t>(k)], level);
    }
    fill(PropertyRows[static_cast<std::size_t>(n - 1)], f + 10000.0);

    for (const VQXRoughnessRow& r : RoughnessRows) {
        for (VQXPropertyRow& row : PropertyRows) {
            if (row[PropertyLevel] > r.Elevation) {
                row[PropertyChannelN] = r.ChannelN;
                row[PropertyLeftN] = r.LeftN;
                row[PropertyRightN] = r.RightN;
            }
        }
    }
    for (const VQXSinuosityRow& s : SinuosityRows)
        for (VQXPropertyRow& row : PropertyRows)
            if (row[PropertyLevel] > s.Elevation)
                row[PropertySinuosity] = s.Sinuosity;
    return {};
}

void VQXCrossSection::ComputeProperties(double level, VQXPropertyRow& row) const
{
    const double z = level;
    row[PropertyLevel] = z;
    for (int c = PropertyLeftArea; c <= PropertyTotalWidth; ++c)
        row[static_cast<std::size_t>(c)] = 0.0;
    const int n = static_cast<int>(Points.size());
    if (n < 2)
        return;

    double area = 0.0;
    double perimeter = 0.0;
    double width = 0.0;
    for (int i = 0; i + 1 < n; ++i) {
        if (i == LeftBankPoint) {
            row[PropertyLeftArea] = area;
            row[PropertyLeftPerimeter] = perimeter;
            row[PropertyLeftWidth] = width;
            area = perimeter = width = 0.0;
        }
        if (i == RightBankPoint) {
            row[PropertyChannelArea] = area;
            row[PropertyChannelPerimeter] = perimeter;
            row[PropertyChannelWidth] = width;
            area = perimeter = width = 0.0;
        }
        const VQXSectionPoint& p = Points[static_cast<std::size_t>(i)];
        const VQXSectionPoint& q = Points[static_cast<std::size_t>(i + 1)];
        const SegmentShare share = SegmentBelowLevel(p.Station, p.Elevation, q.Station, q.Elevation, z);
        area += share.Area;
        perimeter += share.Perimeter;
        width += share.Width;
        // Vertical walls at the two ends of the section.
        if (i == 0 && z - p.Elevation > SectionWetTolerance)
            perimeter += z - p.Elevation;
        if (i + 2 == n && z - q.Elevation > SectionWetTolerance)
            perimeter += z - q.Elevation;
    }

    // What remains after the right bank point is the right overbank; when the right bank
    // point was never reached (it is the last point, or missing) it is the channel.
    auto settle = [&row](int left, int channel, int right, double rest) {
        if (row[static_cast<std::size_t>(left)] < 0.0)
            return;
        if (row[static_cast<std::size_t>(channel)] > 0.0)
            row[static_cast<std::size_t>(right)] = rest;
        else if (row[static_cast<std::size_t>(channel)] == 0.0)
            row[static_cast<std::size_t>(channel)] = rest;
    };
    settle(PropertyLeftArea, PropertyChannelArea, PropertyRightArea, area);
    settle(PropertyLeftPerimeter, PropertyChannelPerimeter, PropertyRightPerimeter, perimeter);
    settle(PropertyLeftWidth, PropertyChannelWidth, PropertyRightWidth, width);

    row[PropertyTotalArea] = row[PropertyLeftArea] + row[PropertyChannelArea] + row[PropertyRightArea];
    row[PropertyTotalPerimeter] =
        row[PropertyLeftPerimeter] + row[PropertyChannelPerimeter] + row[PropertyRightPerimeter];
    row[PropertyTotalWidth] = row[PropertyLeftWidth] + row[PropertyChannelWidth] + row[PropertyRightWidth];

    // Water at or below a bank point's elevation leaves that overbank dry (totals stay).
    if (const VQXSectionPoint* left = LeftBankPointRef(); left != nullptr && z <= left->Elevation) {
        row[PropertyLeftArea] = 0.0;
        row[PropertyLeftPerimeter] = 0.0;
        row[PropertyLeftWidth] = 0.0;
    }
    if (const VQXSectionPoint* right = RightBankPointRef(); right != nullptr && z <= right->Elevation) {
        row[PropertyRightArea] = 0.0;
        row[PropertyRightPerimeter] = 0.0;
        row[PropertyRightWidth] = 0.0;
    }
}

VQXSectionError VQXCrossSection::WriteAsModelText(std::ostream& stream) const
{
    const std::locale previous = stream.imbue(std::locale::classic());
    VQXSectionError result;

    const VQXSectionPoint* left = LeftBankPointRef();
    const VQXSectionPoint* right = RightBankPointRef();
    if (left == nullptr)
        result = Failure(SectionLeftBankUnmatched,
                         "The left bank station does not correspond to a station entry in the cross section table.\n");
    else if (right == nullptr)
        result = Failure(SectionRightBankUnmatched,
                         "The right bank station does not correspond to a station entry in the cross section table.\n");

    const int n = static_cast<int>(Points.size());
    stream << '\t' << n << '\t' << (left != nullptr ? left->Station : LeftBankStation) << '\t'
           << (right != nullptr ? right->Station : RightBankStation) << '\n';
    stream << '\t';
    for (int i = 0; i < n; ++i) {
        const VQXSectionPoint& p = Points[static_cast<std::size_t>(i)];
        stream << p.Station << '\t' << p.Elevation << '\t';
        if ((i + 1) % 6 == 0 && i + 1 != n)
            stream << "\n\t";
    }
    stream << '\n';

    double channelN = 0.0, leftN = 0.0, rightN = 0.0, sinuosity = 0.0;
    if (!PropertyRows.empty()) {
        const VQXPropertyRow& row0 = PropertyRows.front();
        channelN = row0[PropertyChannelN];
        leftN = row0[PropertyLeftN];
        rightN = row0[PropertyRightN];
        sinuosity = row0[PropertySinuosity];
    } else if (!ZoneValuesAt(ThalwegElevation, channelN, leftN, rightN, sinuosity) && result.Ok()) {
        result = Failure(RoughnessRows.empty() ? SectionNoRoughnessRow : SectionNoSinuosityRow,
                         RoughnessRows.empty() ? "The Roughness Table needs at least one entry.\n"
                                               : "The Sinuosity Table needs at least one entry.\n");
    }
    stream << '\t' << 1 << '\t' << ThalwegElevation << '\t' << channelN << '\t' << leftN << '\t' << rightN << '\n';
    stream << '\t' << 1 << '\t' << ThalwegElevation << '\t' << sinuosity << "\n\n";

    stream.imbue(previous);
    return result;
}

VQXSectionError ValidateCrossSection(const VQXCrossSection& section)
{
    const std::vector<VQXSectionPoint>& points = section.Points;
    for (std::size_t i = 1; i < points.size(); ++i) {
        if (!(points[i - 1].Station < points[i].Station)) {
            const int first = static_cast<int>(i);
            const int second = static_cast<int>(i + 1);
            std::string text = "Station data from entry ";
            VQXTextFormat::AppendInt(text, first);
            text += " to entry ";
            VQXTextFormat::AppendInt(text, second);
            text += " are not in increasing order.\nPlease ensure that all sequential station entries are increasing.";
            return Failure(SectionStationsNotIncreasing, std::move(text), first, second);
        }
    }
    auto standsAtSomePoint = [&points](double station) {
        for (const VQXSectionPoint& p : points)
            if (p.Station == station)
                return true;
        return false;
    };
    if (!standsAtSomePoint(section.LeftBankStation))
        return Failure(SectionLeftBankUnmatched,
                       "The left bank station does not correspond to a station entry in the cross section table.\n");
    if (!standsAtSomePoint(section.RightBankStation))
        return Failure(SectionRightBankUnmatched,
                       "The right bank station does not correspond to a station entry in the cross section table.\n");
    if (points.size() < 2)
        return Failure(SectionTooFewPoints, "The cross section table needs at least two station entries.\n");
    if (points.size() > static_cast<std::size_t>(SectionMaxPoints))
        return Failure(SectionTooManyPoints, "The cross section table holds more than 1000 station entries.\n");
    if (section.RoughnessRows.empty())
        return Failure(SectionNoRoughnessRow, "The Roughness Table needs at least one entry.\n");
    if (section.RoughnessRows.size() > static_cast<std::size_t>(SectionMaxRoughnessRows))
        return Failure(SectionTooManyRoughnessRows, "The Roughness Table holds more than 10 entries.\n");
    if (section.SinuosityRows.empty())
        return Failure(SectionNoSinuosityRow, "The Sinuosity Table needs at least one entry.\n");
    if (section.SinuosityRows.size() > static_cast<std::size_t>(SectionMaxSinuosityRows))
        return Failure(SectionTooManySinuosityRows, "The Sinuosity Table holds more than 10 entries.\n");
    return {};
}

VQXSectionError ValidateLevelCount(int levelCount)
{
    if (levelCount < SectionMinLevels || levelCount > SectionMaxLevels)
        return Failure(SectionLevelCountOutOfRange, "The cross section properties table needs from 2 to 300 levels.\n");
    return {};
}

}  // namespace VQXGeometryDataLib
