#include "engine/SeriesLookup.h"

#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/Units.h"

#include <cstdio>
#include <new>

namespace {

struct SeriesKindText {
    int kind;
    const char* name;  // with the node's or the zone's number
    const char* held;  // what the run holds past the end
};
// In the order of SeriesKind.
constexpr SeriesKindText SeriesKindTexts[] = {
    {StageHydrographSeries, "the stage hydrograph of node %d", "its last stage is held"},
    {DischargeHydrographSeries, "the discharge hydrograph of node %d", "its last values are held"},
    {StageDischargeSeries, "the stage and discharge hydrograph of node %d", "its last values are held"},
    {LateralInflowSeries, "the lateral inflow hydrograph of node %d", "its last values are held"},
    {RatingCurveSeries, "the rating curve of node %d", "its last stage is held"},
    {BoundarySeries, "the boundary series of node %d", "its last values are held"},
    {AtmosphericZoneSeries, "the air temperature and solar radiation of atmospheric zone %d", "their last values are held"},
    {WaterQualitySeries, "the water-quality series of node %d", "its last concentrations are held"},
};
constexpr const char* ExtrapolationText = "The run went past the end of %s (%s); %s.";
constexpr const char* WarningText = "Array extrapolation has been requested! %s";
constexpr const char* TimeEndText = "%g hrs";
constexpr const char* RatingEndText = "its highest discharge";

const SeriesKindText& KindText(int kind)
{
    for (const SeriesKindText& t : SeriesKindTexts)
        if (t.kind == kind) return t;
    return SeriesKindTexts[BoundarySeries];
}
static_assert(SeriesKindTexts[BoundarySeries].kind == BoundarySeries);

// The run's record. Written by the engine's lookups (on whichever thread steps the engine) and
// read by the runner between steps; the runner's step handshake orders the two.
std::vector<ExtrapolatedSeries> g_Extrapolated;

void Note(const SeriesName& series, double lastKey)
{
    for (const ExtrapolatedSeries& e : g_Extrapolated)
        if (e.Series == series) return;
    try {
        g_Extrapolated.push_back({series, lastKey});
    } catch (const std::bad_alloc&) {
        // Without memory the series goes unnamed; its value is still the last one.
    }
}

int NodeNumber(const NodeRecord* node)
{
    return node ? node->Number : 0;
}

}  // namespace

SeriesName NameHydrograph(const BoundaryHydrograph* h)
{
    SeriesName name;
    if (!h) return name;
    name.Number = NodeNumber(h->Node);
    const BoundaryElementRecord* b = h->Node ? h->Node->BoundaryElement : nullptr;
    if (!b || b->Hydrograph != h) return name;
    const int sc = b->StageCode;
    const int dc = b->DischargeCode;
    if (sc == 1 && dc == 1) name.Kind = StageDischargeSeries;
    else if (sc == 1) name.Kind = StageHydrographSeries;
    else if (dc == 1) name.Kind = DischargeHydrographSeries;
    else if (dc == 99) name.Kind = LateralInflowSeries;
    return name;
}

SeriesName NameRatingCurve(const BoundaryElementRecord* element)
{
    return {RatingCurveSeries, element ? NodeNumber(element->Node()) : 0};
}

SeriesName NameZoneSeries(const AtmosphericZoneRecord* zone)
{
    return {AtmosphericZoneSeries, zone ? zone->Number : 0};
}

SeriesName NameWaterQualitySeries(const WQBoundaryHydrograph* h)
{
    return {WaterQualitySeries, h ? NodeNumber(h->Node) : 0};
}

double SeriesValueAt(const SeriesName& series, const double* keys, const double* values, double key, int count)
{
    bool beyond = false;
    const double value = InterpolateTableQuietly(keys, values, key, count, &beyond);
    if (beyond) Note(series, keys[(count < 0 ? -count : count) - 1]);
    return value;
}

void ResetExtrapolatedSeries()
{
    g_Extrapolated.clear();
}

const std::vector<ExtrapolatedSeries>& ExtrapolatedSeriesOfRun()
{
    return g_Extrapolated;
}

std::string DescribeSeries(const SeriesName& series)
{
    char text[160];
    std::snprintf(text, sizeof text, KindText(series.Kind).name, series.Number);
    return text;
}

std::string DescribeSeriesEnd(const ExtrapolatedSeries& entry)
{
    if (entry.Series.Kind == RatingCurveSeries) return RatingEndText;
    char text[64];
    std::snprintf(text, sizeof text, TimeEndText, entry.LastKey / SecondsPerHour);
    return text;
}

std::string DescribeExtrapolation(const ExtrapolatedSeries& entry)
{
    char text[400];
    std::snprintf(text, sizeof text, ExtrapolationText, DescribeSeries(entry.Series).c_str(),
                  DescribeSeriesEnd(entry).c_str(), KindText(entry.Series.Kind).held);
    return text;
}

std::string ExtrapolationWarning(const ExtrapolatedSeries& entry)
{
    char text[480];
    std::snprintf(text, sizeof text, WarningText, DescribeExtrapolation(entry).c_str());
    return text;
}
