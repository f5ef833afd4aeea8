#include "datalib/TimeSeries.h"

#include "datalib/Vocabulary.h"

namespace VQXDisplayLib {

using VQXVocabulary::Unit;
using VQXVocabulary::WaterQuality;

namespace {

using SeriesVariable = VQXVocabulary::Variable<VQXTimeSeriesEntry>;

#define VQX_FIELD(field) [](const VQXTimeSeriesEntry& e, int) { return e.field; }
#define VQX_WQ(k) {WaterQuality[k].Name, Unit::None, WaterQuality[k].Label}, [](const VQXTimeSeriesEntry& e, int) { return e.WQValues[k]; }

// The series variables by index: name, how the label is formed, and the value in an entry.
constexpr SeriesVariable SeriesVariables[SeriesVariableCount] = {
    {{"Water Surface Elevation", Unit::Length, nullptr}, VQX_FIELD(Stage)},
    {{"Discharge", Unit::Discharge, nullptr},
     [](const VQXTimeSeriesEntry& e, int useFlux) { return useFlux != 0 ? e.FluxDischarge : e.Discharge; }},
    {{"Water Velocity", Unit::Velocity, nullptr}, VQX_FIELD(Velocity)},
    {{"Solid Ice Thickness", Unit::Length, nullptr}, VQX_FIELD(SolidIceThickness)},
    {{"Ice Velocity", Unit::Velocity, nullptr}, VQX_FIELD(IceVelocity)},
    {{"Surface Ice Concentration", Unit::None, VQXVocabulary::IceConcentrationLabel}, VQX_FIELD(IceConcentration)},
    {{"Water Temperature", Unit::None, VQXVocabulary::WaterTemperatureLabel}, VQX_FIELD(WaterTemperature)},
    {{"Suspended Frazil Concentration", Unit::None, VQXVocabulary::FrazilConcentrationLabel}, VQX_FIELD(FrazilConcentration)},
    {{"Anchor Ice Thickness", Unit::Length, nullptr}, VQX_FIELD(AnchorIceThickness)},
    {{"Frazil Slush Thickness", Unit::Length, nullptr}, VQX_FIELD(SlushThickness)},
    {{"Border Ice Fraction", Unit::None, nullptr}, VQX_FIELD(BorderIceFraction)},
    {{"Border Ice Width", Unit::Length, nullptr}, VQX_FIELD(BorderIceWidth)},
    {{"Air Temperature", Unit::None, VQXVocabulary::AirTemperatureLabel}, VQX_FIELD(AirTemperature)},
    {{"Depth of Flow (Dw)", Unit::Length, nullptr}, VQX_FIELD(Depth)},
    {VQX_WQ(0)}, {VQX_WQ(1)}, {VQX_WQ(2)}, {VQX_WQ(3)}, {VQX_WQ(4)}, {VQX_WQ(5)},
    {VQX_WQ(6)}, {VQX_WQ(7)}, {VQX_WQ(8)}, {VQX_WQ(9)}, {VQX_WQ(10)}, {VQX_WQ(11)},
};

#undef VQX_WQ
#undef VQX_FIELD

}  // namespace

const VQXTimeSeriesEntry& VQXNodeHistory::operator[](int i) const
{
    std::size_t position = static_cast<std::size_t>(i);
    if (Entries.size() == static_cast<std::size_t>(Capacity)) {
        position += static_cast<std::size_t>(Oldest);
        if (position >= Entries.size())
            position -= Entries.size();
    }
    return Entries[position];
}

const VQXTimeSeriesEntry& VQXNodeHistory::Back() const
{
    return (*this)[Size() - 1];
}

void VQXNodeHistory::Append(const VQXTimeSeriesEntry& entry)
{
    if (Entries.size() < static_cast<std::size_t>(Capacity)) {
        Entries.push_back(entry);
        return;
    }
    // Full: the newest entry takes the place of the oldest.
    Entries[static_cast<std::size_t>(Oldest)] = entry;
    Oldest = Oldest + 1 == Capacity ? 0 : Oldest + 1;
}

void VQXNodeHistory::Release()
{
    std::vector<VQXTimeSeriesEntry>().swap(Entries);
    Oldest = 0;
}

VQXTimeSeries VQXNodeHistory::ToSeries() const
{
    VQXTimeSeries series;
    series.reserve(Entries.size());
    series.insert(series.end(), Entries.begin() + Oldest, Entries.end());
    series.insert(series.end(), Entries.begin(), Entries.begin() + Oldest);
    return series;
}

void AppendFlowEntry(VQXTimeSeries& series, double time, double discharge, double stage)
{
    VQXTimeSeriesEntry entry;
    entry.Time = time;
    entry.Discharge = discharge;
    entry.Stage = stage;
    series.push_back(entry);
}

void AppendWeatherEntry(VQXTimeSeries& series, double time, double airTemperature, double solarRadiation)
{
    VQXTimeSeriesEntry entry;
    entry.Time = time;
    entry.AirTemperature = airTemperature;
    entry.SolarRadiation = solarRadiation;
    series.push_back(entry);
}

double GetEntryValue(const VQXTimeSeriesEntry& entry, int variable, int useFlux)
{
    return VQXVocabulary::VariableValue(SeriesVariables, entry, variable, useFlux);
}

double GetSeriesValue(const VQXTimeSeries& series, int i, int variable, int useFlux)
{
    if (i < 0 || i >= static_cast<int>(series.size()))
        return 0.0;
    return GetEntryValue(series[static_cast<std::size_t>(i)], variable, useFlux);
}

double GetSeriesValue(const VQXNodeHistory& history, int i, int variable, int useFlux)
{
    if (i < 0 || i >= history.Size())
        return 0.0;
    return GetEntryValue(history[i], variable, useFlux);
}

int FindSeriesVariable(const char* name)
{
    return VQXVocabulary::FindVariable(SeriesVariables, name);
}

const char* SeriesVariableName(int variable)
{
    return VQXVocabulary::VariableName(SeriesVariables, variable);
}

void FormatSeriesVariableLabel(int variable, std::span<char> buffer, int units)
{
    VQXVocabulary::FormatVariableLabel(SeriesVariables, variable, buffer, units);
}

void ReleaseSeries(VQXTimeSeries& series)
{
    VQXTimeSeries().swap(series);
}

}  // namespace VQXDisplayLib
