// Lookups in the model's series - the boundary hydrographs and rating curves, the atmospheric
// zones and the water-quality series - and the record of the series a run went past the end of.
//
// A series keyed by time gives its last value for every time after its last row, and a rating
// curve its last stage above its highest discharge: the run goes on holding that value. Each
// such series enters the run's record once, at its first lookup past the end, so that the
// runner can say so once per series (the lookups of a single step are many). The record is
// the caller's to reset when a run starts, and to read between steps: the engine itself prints
// nothing about it.
#pragma once

#include <string>
#include <vector>

struct BoundaryHydrograph;
struct BoundaryElementRecord;
struct AtmosphericZoneRecord;
struct WQBoundaryHydrograph;

// What a series gives, by which its message names it.
enum SeriesKind {
    StageHydrographSeries,      // stage at a boundary node, by time
    DischargeHydrographSeries,  // inflow discharge at a boundary node, by time
    StageDischargeSeries,       // stage and discharge at a boundary node, by time
    LateralInflowSeries,        // lateral inflow at a node, by time
    RatingCurveSeries,          // stage at a boundary node, by its discharge
    BoundarySeries,             // another series of a boundary node, by time
    AtmosphericZoneSeries,      // air temperature and solar radiation of a zone, by time
    WaterQualitySeries,         // concentrations entering at a boundary node, by time
};

// A series: its kind and the number of its node (of its zone for an atmospheric zone).
struct SeriesName {
    int Kind = BoundarySeries;
    int Number = 0;
    bool operator==(const SeriesName&) const = default;
};

// A series that a run went past the end of, and its last key (s for a series by time, m3/s
// for a rating curve).
struct ExtrapolatedSeries {
    SeriesName Series;
    double LastKey = 0.0;
};

// The names of the series of the model's records: a boundary hydrograph by the codes of its
// node's boundary element, its rating curve, an atmospheric zone, a water-quality series. A
// record without a node gives node number 0.
SeriesName NameHydrograph(const BoundaryHydrograph* hydrograph);
SeriesName NameRatingCurve(const BoundaryElementRecord* element);
SeriesName NameZoneSeries(const AtmosphericZoneRecord* zone);
SeriesName NameWaterQualitySeries(const WQBoundaryHydrograph* hydrograph);

// The value at key of the series' table (keys ascending, |count| rows) as InterpolateTable
// gives it, without its message: above the last key the last value, and the series enters the
// run's record when it is not in it yet.
double SeriesValueAt(const SeriesName& series, const double* keys, const double* values, double key, int count);

// Empties the run's record; a run starts with it.
void ResetExtrapolatedSeries();
// The series of the run's record, in the order the run went past their ends.
const std::vector<ExtrapolatedSeries>& ExtrapolatedSeriesOfRun();

// "the discharge hydrograph of node 1"
std::string DescribeSeries(const SeriesName& series);
// Where the series ends: "480 hrs" for a series by time, "its highest discharge" for a rating
// curve.
std::string DescribeSeriesEnd(const ExtrapolatedSeries& entry);
// "The run went past the end of the discharge hydrograph of node 1 (480 hrs); its last values
// are held."
std::string DescribeExtrapolation(const ExtrapolatedSeries& entry);
// The line a runner prints once for a series of the record: "Array extrapolation has been
// requested! " and DescribeExtrapolation.
std::string ExtrapolationWarning(const ExtrapolatedSeries& entry);
