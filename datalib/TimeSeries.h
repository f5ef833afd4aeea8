// Time-series records and the series variables of the hydrograph view and series dialogs.
//
// Values are in display units: lengths in m or ft, discharges in cms or cfs, times in hours,
// temperatures in degrees C, frazil and ice concentrations in percent.
#pragma once

#include <span>
#include <type_traits>
#include <vector>

namespace VQXDisplayLib {

// One time and its values. Boundary-condition series use Time, Discharge and Stage (thermal
// models also the ice and temperature values); water-quality boundary series Time and
// WQValues 0-5 (nutrients) or 6-8 (heavy metals and xenobiotics: Cdw, Caw, Css);
// atmospheric-zone series Time, AirTemperature and SolarRadiation; node
// histories every value but SolarRadiation.
struct VQXTimeSeriesEntry {
    double Time = 0.0;  // h
    double Discharge = 0.0;      // nodal discharge Qw
    double FluxDischarge = 0.0;  // element-flux discharge Qflux
    double Stage = 0.0;
    double Velocity = 0.0;
    double SolidIceThickness = 0.0;
    double IceVelocity = 0.0;
    double IceConcentration = 0.0;  // %
    double WaterTemperature = 0.0;
    double FrazilConcentration = 0.0;  // %
    double AnchorIceThickness = 0.0;
    double SlushThickness = 0.0;
    double BorderIceFraction = 0.0;
    double BorderIceWidth = 0.0;
    double AirTemperature = 0.0;
    double Depth = 0.0;
    double SolarRadiation = 0.0;
    // DO, NH3, NO3, BOD, OP, PP, Cdw, Caw, Css, Cds, Cas, Ms
    double WQValues[12] = {};
};

static_assert(sizeof(VQXTimeSeriesEntry) == 232, "a time-series entry is one time and 28 values");
static_assert(std::is_standard_layout_v<VQXTimeSeriesEntry>);

using VQXTimeSeries = std::vector<VQXTimeSeriesEntry>;

// A node's result history: at most Capacity entries, oldest first. An append to a full
// history drops the oldest entry in constant time.
class VQXNodeHistory {
public:
    static constexpr int Capacity = 100000;

    int Size() const { return static_cast<int>(Entries.size()); }
    bool Empty() const { return Entries.empty(); }
    // Entry i counted from the oldest; i must lie in [0, Size()).
    const VQXTimeSeriesEntry& operator[](int i) const;
    const VQXTimeSeriesEntry& Back() const;
    void Append(const VQXTimeSeriesEntry& entry);
    // Empties the history and frees its storage.
    void Release();
    // A copy in time order, for the charts.
    VQXTimeSeries ToSeries() const;

private:
    std::vector<VQXTimeSeriesEntry> Entries;
    int Oldest = 0;  // position of the oldest entry once the history is full
};

// Series-variable indices, in the order of the series-variable table (GetSeriesValue,
// SeriesVariableName). The twelve water-quality values run from SeriesDO in the order of
// VQXTimeSeriesEntry::WQValues.
enum VQXSeriesVariableId {
    SeriesNone = -1,  // no variable: an empty label, the value 0
    SeriesWaterSurfaceElevation = 0,
    SeriesDischarge,
    SeriesWaterVelocity,
    SeriesSolidIceThickness,
    SeriesIceVelocity,
    SeriesSurfaceIceConcentration,
    SeriesWaterTemperature,
    SeriesSuspendedFrazilConcentration,
    SeriesAnchorIceThickness,
    SeriesFrazilSlushThickness,
    SeriesBorderIceFraction,
    SeriesBorderIceWidth,
    SeriesAirTemperature,
    SeriesDepthOfFlow,
    SeriesDO,
    SeriesNH3,
    SeriesNO3,
    SeriesBOD,
    SeriesOP,
    SeriesPP,
    SeriesCdw,
    SeriesCaw,
    SeriesCss,
    SeriesCds,
    SeriesCas,
    SeriesMs,
};

inline constexpr int SeriesVariableCount = SeriesMs + 1;

// Appends one entry whose other values are 0.
void AppendFlowEntry(VQXTimeSeries& series, double time, double discharge, double stage);
void AppendWeatherEntry(VQXTimeSeries& series, double time, double airTemperature, double solarRadiation);

// The value of series variable 0..25 in one entry; variable 1 (discharge) gives
// FluxDischarge when useFlux is non-zero, else Discharge; any other variable gives 0.
double GetEntryValue(const VQXTimeSeriesEntry& entry, int variable, int useFlux);

// The value of series variable 0..25 in entry i; 0 for an entry or variable out of range.
double GetSeriesValue(const VQXTimeSeries& series, int i, int variable, int useFlux);
double GetSeriesValue(const VQXNodeHistory& history, int i, int variable, int useFlux);

// The index of the series variable whose name equals name exactly, or -1.
int FindSeriesVariable(const char* name);

// The name of series variable 0..25, or null.
const char* SeriesVariableName(int variable);

// Writes the axis label of a series variable. Variables with a metric and an imperial
// label: units 1 metric, 0 imperial, any other value the bare name. Variables with one
// labelled form: -1 the bare name, any other value the labelled form. A negative variable
// gives an empty text; a variable above 25 leaves the buffer as it was.
void FormatSeriesVariableLabel(int variable, std::span<char> buffer, int units);

// Empties a series and frees its storage.
void ReleaseSeries(VQXTimeSeries& series);

}  // namespace VQXDisplayLib
