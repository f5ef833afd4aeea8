// What the files of ModelState share: the unit factors, the comparisons and writes that keep an
// engine value the display still shows, the lookups of engine records by number, and the
// copies of cross sections, series and run settings between the engine and the display. For
// the ModelState files only.
#pragma once

#include <algorithm>
#include <cstddef>
#include <new>
#include <unordered_map>
#include <vector>

#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "engine/EngineData.h"
#include "engine/Units.h"

namespace ModelStateRecords {

using VQXDisplayLib::VQXDisplayInteriorElement;
using VQXDisplayLib::VQXDisplayModel;
using VQXDisplayLib::VQXDisplayNode;
using VQXDisplayLib::VQXTimeSeries;
using VQXDisplayLib::VQXTimeSeriesEntry;
using VQXGeometryDataLib::VQXCrossSection;

// The model's length factor (m per length unit) and distance factor (length units per station
// unit).
inline double L() { return g_ModelControl.LengthFactor; }
inline double D() { return g_ModelControl.DistanceFactor; }
inline double Cube(double x) { return x * x * x; }
// An engine length (m) in display length units.
inline double Len(double metres) { return ModelState::LengthToDisplay(metres); }

// Two values that a display shows alike: equal within a relative 1e-9.
bool Same(double a, double b);
// Writes a display value into an engine field whose display value is field / factor, unless
// the field already shows it. Returns whether the field changed; so do the others below.
bool Put(double& field, double display, double factor);
bool PutPlain(double& field, double display);
bool PutInt(int& field, int display);
bool PutLength(double& field, double display);
bool PutStation(double& field, double display);
bool PutDischarge(double& field, double display);
bool PutTime(double& seconds, double hours);
bool PutPercent(double& fraction, double percent);

// First display node and display interior element of each number.
struct NumberMaps {
    std::unordered_map<int, VQXDisplayNode*> Nodes;
    std::unordered_map<int, VQXDisplayInteriorElement*> Elements;

    explicit NumberMaps(VQXDisplayModel& dm);
    VQXDisplayNode* Node(const NodeRecord* n) const;
    VQXDisplayInteriorElement* Element(const ElementRecord* e) const;
};

// True when the node has a cross-section table (a section code of two levels or more).
bool HasSection(const NodeRecord& n);
// The display cross section of an engine node's table, in display lengths.
void FillCrossSection(VQXCrossSection& cs, const CrossSectionTable& t, int sectionCode);

// The display series of a boundary table: one entry per row that every column holds, its time
// in hours and the rest as fill(entry, row) sets it.
template <typename Table, typename Fill>
VQXTimeSeries SeriesOf(const Table* h, Fill fill)
{
    VQXTimeSeries series;
    if (h == nullptr)
        return series;
    int rows = std::max(0, h->RowCount);
    for (const auto& column : h->Columns)
        rows = std::min(rows, static_cast<int>(column.size()));
    series.reserve(static_cast<std::size_t>(rows));
    for (int i = 0; i < rows; ++i) {
        const std::size_t r = static_cast<std::size_t>(i);
        VQXTimeSeriesEntry e;
        e.Time = h->Columns[0][r] / SecondsPerHour;
        fill(e, r);
        series.push_back(e);
    }
    return series;
}
// The display series of a boundary element's hydrograph, with the thermal columns of a
// thermal-ice model.
VQXTimeSeries FlowSeriesOf(const BoundaryElementRecord& b, int fileType);

// Where the concentrations of a water-quality series go in the display: the six nutrient
// columns into WQValues 0-5, the three metal or xenobiotic columns into WQValues 6-8 (the
// values of the node that they feed); another type has none.
struct WQSeriesLayout {
    int FirstColumn = 0;
    int Count = 0;
    int FirstValue = 0;
};
WQSeriesLayout WQSeriesLayoutOf(int wqType);
VQXTimeSeries WaterQualitySeriesOf(const BoundaryElementRecord& b, int wqType);

// Resizes a series column to rows entries; values of the rows kept stay, new rows are 0.
inline void ResizeColumn(std::vector<double>& column, int rows) { column.resize(static_cast<std::size_t>(rows), 0.0); }

// Sizes a boundary element's series table (its Hydrograph or WQHydrograph) to `entries` rows,
// allocating it on first use; an element without a table gets one only when there is
// something to keep. Returns the table to fill, or null with *status the result to return
// (ModelStateOk when there is nothing to keep).
template <typename Table>
Table* SizeBoundaryTable(BoundaryElementRecord* b, Table* BoundaryElementRecord::*member, std::size_t entries,
                         int* status)
{
    *status = ModelStateOk;
    if (entries > static_cast<std::size_t>(MaxSeriesEntries)) {
        *status = ModelStateOverCapacity;
        return nullptr;
    }
    const int rows = static_cast<int>(entries);
    Table*& table = b->*member;
    if (table == nullptr) {
        if (rows == 0)
            return nullptr;
        table = new (std::nothrow) Table();
        if (table == nullptr) {
            *status = ModelStateNoMemory;
            return nullptr;
        }
        table->Node = b->Node();
    }
    for (auto& column : table->Columns)
        ResizeColumn(column, rows);
    table->RowCount = rows;
    return table;
}

// A read cursor outside the table's intervals starts again at the first one.
template <typename Table>
void ResetCursorOutside(Table& h)
{
    if (h.Cursor < 1 || h.Cursor >= std::max(h.RowCount, 1))
        h.Cursor = 1;
}

// The display kind of a boundary element: 0 inflow, 1 lateral inflow, 2 stage, 3 rating curve.
int KindOf(const BoundaryElementRecord& b);

// The display list and the engine chain hold their nodes in the same order, so the node at the
// display item's position is tried first; the search by number is the fallback. Null when no
// engine record has the number; so for the others.
NodeRecord* EngineNodeByNumber(int number, int position = -1);
BoundaryElementRecord* EngineBoundaryByNumber(int number);
AtmosphericZoneRecord* EngineZoneByNumber(int number);

// The six per-system values a run setting group carries.
struct SystemValues {
    double* Norm;
    double* Tolerance;
    double* SteadyTolerance;
    int* Iterations;
    int* MaxIterations;
    double* Theta;
};
void PushSystem(EquationSystem& es, const SystemValues& v);
void PullSystem(const EquationSystem& es, const SystemValues& v);
// True for the systems a model runs besides the hydrodynamics (dynamic ice, thermal ice).
inline bool IsAdditionalSystem(int system) { return system == DynamicIceSystem || system == ThermalIceSystem; }

}  // namespace ModelStateRecords
