#include "datalib/ModelState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <climits>
#include <cstring>
#include <new>
#include <unordered_map>

#include "datalib/TextFormat.h"
#include "engine/Calendar.h"
#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/IceFront.h"
#include "engine/ModelSetup.h"
#include "engine/ThermalIce.h"
#include "engine/Units.h"
#include "engine/WaterQualityFile.h"

using namespace VQXDisplayLib;
using VQXGeometryDataLib::VQXCrossSection;

namespace {

constexpr double ZoneSeriesDefaultTemperature = 10.0;
constexpr double NewEventDelaySeconds = 10 * SecondsPerHour;  // a new bridging event lies 10 h ahead

double L() { return g_ModelControl.LengthFactor; }
double D() { return g_ModelControl.DistanceFactor; }
double Cube(double x) { return x * x * x; }

// Two values that a display shows alike: equal within a relative 1e-9.
bool Same(double a, double b)
{
    if (a == b)
        return true;
    return std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), std::fabs(b));
}

// Writes a display value into an engine field whose display value is field / factor, unless
// the field already shows it. Returns whether the field changed.
bool Put(double& field, double display, double factor)
{
    if (Same(display, field / factor))
        return false;
    field = display * factor;
    return true;
}

bool PutPlain(double& field, double display)
{
    if (Same(display, field))
        return false;
    field = display;
    return true;
}

bool PutInt(int& field, int display)
{
    if (field == display)
        return false;
    field = display;
    return true;
}

bool PutLength(double& field, double display) { return Put(field, display, L()); }

bool PutStation(double& field, double display)
{
    if (Same(display, ModelState::StationToDisplay(field)))
        return false;
    field = ModelState::StationToEngine(display);
    return true;
}

bool PutDischarge(double& field, double display)
{
    if (Same(display, ModelState::DischargeToDisplay(field)))
        return false;
    field = ModelState::DischargeToEngine(display);
    return true;
}

bool PutTime(double& seconds, double hours)
{
    if (Same(hours, seconds / SecondsPerHour))
        return false;
    seconds = ModelState::HoursToSeconds(hours);
    return true;
}

bool PutPercent(double& fraction, double percent) { return Put(fraction, percent, 0.01); }

double Len(double metres) { return ModelState::LengthToDisplay(metres); }

// First display node and display interior element of each number.
struct NumberMaps {
    std::unordered_map<int, VQXDisplayNode*> Nodes;
    std::unordered_map<int, VQXDisplayInteriorElement*> Elements;

    explicit NumberMaps(VQXDisplayModel& dm)
    {
        Nodes.reserve(static_cast<std::size_t>(std::max(dm.NodeList.Count, 0)));
        for (VQXDisplayNode* n = dm.FirstNode(); n != nullptr; n = dm.NextNode())
            Nodes.emplace(n->Number, n);
        for (VQXDisplayInteriorElement* e = dm.FirstInteriorElement(); e != nullptr; e = dm.NextInteriorElement())
            Elements.emplace(e->Number, e);
    }
    VQXDisplayNode* Node(const NodeRecord* n) const
    {
        if (n == nullptr)
            return nullptr;
        const auto it = Nodes.find(n->Number);
        return it == Nodes.end() ? nullptr : it->second;
    }
    VQXDisplayInteriorElement* Element(const ElementRecord* e) const
    {
        if (e == nullptr)
            return nullptr;
        const auto it = Elements.find(e->Number);
        return it == Elements.end() ? nullptr : it->second;
    }
};

// The display cross section of an engine node's table, in display lengths.
void FillCrossSection(VQXCrossSection& cs, const CrossSectionTable& t, int sectionCode)
{
    cs.Clear();
    cs.LeftBankStation = Len(t.LeftBankStation);
    cs.RightBankStation = Len(t.RightBankStation);
    const int points = std::max(0, std::min(t.PointCount, static_cast<int>(t.Points.size())));
    cs.Points.reserve(static_cast<std::size_t>(points));
    for (int i = 0; i < points; ++i)
        cs.AddPoint(Len(t.Points[static_cast<std::size_t>(i)].Station), Len(t.Points[static_cast<std::size_t>(i)].Elevation));
    const int roughness = std::clamp(t.RoughnessRowCount, 0, MaxRoughnessRows);
    for (int i = 0; i < roughness; ++i)
        cs.AddRoughnessRow(Len(t.RoughnessRows[0][i]), t.RoughnessRows[1][i], t.RoughnessRows[2][i], t.RoughnessRows[3][i]);
    const int sinuosity = std::clamp(t.SinuosityRowCount, 0, MaxSinuosityRows);
    for (int i = 0; i < sinuosity; ++i)
        cs.SinuosityRows.push_back({Len(t.SinuosityRows[0][i]), t.SinuosityRows[1][i]});
    cs.FindBankPoints();
    cs.FindThalweg();
    cs.BuildPropertyTable(sectionCode < 0 ? -sectionCode : sectionCode);
}

bool HasSection(const NodeRecord& n) { return (n.SectionCode > 1 || n.SectionCode < -1) && n.CrossSection != nullptr; }

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

VQXTimeSeries FlowSeriesOf(const BoundaryElementRecord& b, int fileType)
{
    const BoundaryHydrograph* h = b.Hydrograph;
    return SeriesOf(h, [&](VQXTimeSeriesEntry& e, std::size_t r) {
        e.Discharge = ModelState::DischargeToDisplay(h->Columns[2][r]);
        e.Stage = Len(h->Columns[1][r]);
        if (fileType == FileTypeThermalIce) {
            e.IceVelocity = Len(h->Columns[3][r]);
            e.WaterTemperature = h->Columns[4][r];
            e.FrazilConcentration = h->Columns[5][r] * 100.0;
            e.IceConcentration = h->Columns[6][r] * 100.0;
            e.SlushThickness = Len(h->Columns[7][r]);
            e.SolidIceThickness = Len(h->Columns[8][r]);
        }
    });
}

// Where the concentrations of a water-quality series go in the display: the six nutrient
// columns into WQValues 0-5, the three metal or xenobiotic columns into WQValues 6-8 (the
// values of the node that they feed); another type has none.
struct WQSeriesLayout {
    int FirstColumn = 0;
    int Count = 0;
    int FirstValue = 0;
};

WQSeriesLayout WQSeriesLayoutOf(int wqType)
{
    if (wqType == WQNutrients)
        return {WQNutrientSeriesColumn, WQNutrientSeriesValues, 0};
    if (wqType == WQHeavyMetals || wqType == WQXenobiotics)
        return {WQMetalSeriesColumn, WQMetalSeriesValues, 6};
    return {};
}

VQXTimeSeries WaterQualitySeriesOf(const BoundaryElementRecord& b, int wqType)
{
    const WQBoundaryHydrograph* h = b.WQHydrograph;
    const WQSeriesLayout layout = WQSeriesLayoutOf(wqType);
    return SeriesOf(h, [&](VQXTimeSeriesEntry& e, std::size_t r) {
        for (int k = 0; k < layout.Count; ++k)
            e.WQValues[layout.FirstValue + k] = h->Columns[static_cast<std::size_t>(layout.FirstColumn + k)][r];
    });
}

// Resizes a series column to rows entries; values of the rows kept stay, new rows are 0.
void ResizeColumn(std::vector<double>& column, int rows) { column.resize(static_cast<std::size_t>(rows), 0.0); }

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

int KindOf(const BoundaryElementRecord& b)
{
    if (b.Position == -1.0 && b.DischargeCode == 1)
        return 0;
    if (b.Position == -1.0 && b.DischargeCode == 99)
        return 1;
    if (b.Position == 1.0 && b.StageCode == 1)
        return 2;
    if (b.Position == 1.0 && b.StageCode == 2)
        return 3;
    return 0;
}

// The display list and the engine chain hold their nodes in the same order, so the node at the
// display item's position is tried first; the search by number is the fallback.
NodeRecord* EngineNodeByNumber(int number, int position = -1)
{
    if (position >= 0 && position < static_cast<int>(g_NodeIndex.size()) && g_NodeIndex[position] != nullptr &&
        g_NodeIndex[position]->Number == number)
        return g_NodeIndex[position];
    int count = 0;
    for (NodeRecord* n = g_Nodes; n != nullptr && count < g_ModelControl.NodeCount; n = n->Next, ++count)
        if (n->Number == number)
            return n;
    return nullptr;
}

BoundaryElementRecord* EngineBoundaryByNumber(int number)
{
    int count = 0;
    for (BoundaryElementRecord* b = g_BoundaryElements; b != nullptr && count < g_ModelControl.BoundaryElementCount;
         b = b->Next, ++count)
        if (b->Number == number)
            return b;
    return nullptr;
}

AtmosphericZoneRecord* EngineZoneByNumber(int number)
{
    int count = 0;
    for (AtmosphericZoneRecord* z = g_AtmosphericZones; z != nullptr && count < MaxAtmosphericZones; z = z->Next, ++count)
        if (z->Number == number)
            return z;
    return nullptr;
}

// The six per-system values a run setting group carries.
struct SystemValues {
    double* Norm;
    double* Tolerance;
    double* SteadyTolerance;
    int* Iterations;
    int* MaxIterations;
    double* Theta;
};

void PushSystem(EquationSystem& es, const SystemValues& v)
{
    es.LastNorm = *v.Norm;
    es.Tolerance = *v.Tolerance;
    es.SteadyTolerance = *v.SteadyTolerance;
    es.IterationCount = *v.Iterations;
    es.MaxIterations = *v.MaxIterations;
    es.Theta = *v.Theta;
}

void PullSystem(const EquationSystem& es, const SystemValues& v)
{
    *v.Norm = es.LastNorm;
    *v.Tolerance = es.Tolerance;
    *v.SteadyTolerance = es.SteadyTolerance;
    *v.Iterations = es.IterationCount;
    *v.MaxIterations = es.MaxIterations;
    *v.Theta = es.Theta;
}

bool IsAdditionalSystem(int system) { return system == DynamicIceSystem || system == ThermalIceSystem; }

}  // namespace

// ---------------------------------------------------------------------------------------
// Units
// ---------------------------------------------------------------------------------------
double ModelState::LengthToDisplay(double metres) { return metres / L(); }
double ModelState::LengthToEngine(double length) { return length * L(); }
double ModelState::StationToDisplay(double metres) { return metres / D() / L(); }
double ModelState::StationToEngine(double station) { return station * D() * L(); }
double ModelState::DischargeToDisplay(double q) { return q / Cube(L()); }
double ModelState::DischargeToEngine(double q) { return q * Cube(L()); }

double ModelState::HoursToSeconds(double hours)
{
    // Whole seconds stay whole: 1/60 h is 60 s exactly, not 60 s and a rounding step.
    const double seconds = hours * SecondsPerHour;
    const double whole = std::nearbyint(seconds);
    if (std::fabs(seconds - whole) <= 1e-6)
        return whole;
    return seconds;
}

long long ModelState::WholeSeconds(double hours)
{
    const double seconds = hours * SecondsPerHour;
    if (!std::isfinite(seconds) || std::fabs(seconds) >= 9e15)
        return 0;
    const double whole = std::nearbyint(seconds);
    if (std::fabs(seconds - whole) <= 1e-6)
        return static_cast<long long>(whole);
    return static_cast<long long>(std::trunc(seconds));
}

// ---------------------------------------------------------------------------------------
// Construction and the display model
// ---------------------------------------------------------------------------------------
ModelState::ModelState(VQXDisplayModel* displayModel) : DisplayModel(displayModel) {}

void ModelState::BuildDisplayModel()
{
    if (DisplayModel == nullptr)
        return;
    VQXDisplayModel& dm = *DisplayModel;
    const ModelControl& mc = g_ModelControl;
    dm.UnitSystem = mc.UnitSystem;

    int count = 0;
    for (const NodeRecord* n = g_Nodes; n != nullptr && count < mc.NodeCount; n = n->Next, ++count) {
        auto* d = new VQXDisplayNode();
        d->Number = n->Number;
        d->RiverStation = n->RiverStation;
        d->SectionCode = n->SectionCode;
        d->Reach = n->Reach;
        d->HydroCode = n->HydroCode;
        d->ZoneNumber = n->ZoneNumber;
        d->Easting = Len(n->Easting);
        d->Northing = Len(n->Northing);
        d->Invert = Len(n->Invert);
        d->Station = StationToDisplay(n->Chainage);
        d->BedRoughness = n->ManningN;
        d->Width = Len(n->TopWidth);
        d->ZoneCount = mc.AtmosphericZoneCount;
        if (HasSection(*n)) {
            d->CrossSection = std::make_unique<VQXCrossSection>();
            FillCrossSection(*d->CrossSection, *n->CrossSection, n->SectionCode);
        }
        dm.AppendNode(d);
    }
    dm.NodeList.BuildIndex();

    NumberMaps maps(dm);
    count = 0;
    for (const ElementRecord* e = g_Elements; e != nullptr && count < mc.ElementCount; e = e->Next, ++count) {
        auto* d = new VQXDisplayInteriorElement(e->Number, maps.Node(e->Nodes[0]), maps.Node(e->Nodes[1]));
        d->Kind = e->JunctionBranch;
        dm.AppendInteriorElement(d);
    }
    dm.InteriorList.BuildIndex();
    maps = NumberMaps(dm);

    count = 0;
    for (const BoundaryElementRecord* b = g_BoundaryElements; b != nullptr && count < mc.BoundaryElementCount;
         b = b->Next, ++count) {
        auto* d = new VQXDisplayBoundaryElement(b->Number, maps.Node(b->Node()));
        d->Kind = KindOf(*b);
        d->SetFlowSeries(FlowSeriesOf(*b, 0));
        dm.AppendBoundaryElement(d);
    }
    dm.BoundaryList.BuildIndex();

    count = 0;
    for (const AtmosphericZoneRecord* z = g_AtmosphericZones; z != nullptr && count < mc.AtmosphericZoneCount;
         z = z->Next, ++count) {
        auto* d = new VQXAtmosphericZone();
        d->Number = z->Number;
        const int rows = std::max(0, std::min({z->RowCount, static_cast<int>(z->Time.size()),
                                               static_cast<int>(z->AirTemperature.size()),
                                               static_cast<int>(z->SolarRadiation.size())}));
        d->Series.reserve(static_cast<std::size_t>(rows));
        for (int i = 0; i < rows; ++i) {
            const std::size_t r = static_cast<std::size_t>(i);
            AppendWeatherEntry(d->Series, z->Time[r] / SecondsPerHour, z->AirTemperature[r], z->SolarRadiation[r]);
        }
        dm.AppendZone(d);
    }
    dm.ZoneList.BuildIndex();

    count = 0;
    for (const JunctionRecord* j = g_Junctions; j != nullptr && count < mc.JunctionCount; j = j->Next, ++count) {
        auto* d = new VQXJunctionLink();
        d->Number = j->Number;
        dm.AppendJunction(d);
    }
    dm.JunctionList.BuildIndex();
    RefreshJunctionLinks();

    count = 0;
    for (const BridgingEventRecord* e = g_BridgingEvents; e != nullptr && count < mc.BridgingEventCount;
         e = e->Next, ++count) {
        auto* d = new VQXBridgingEvent();
        d->Number = e->Number;
        d->FrontLocation = StationToDisplay(e->FrontLocation);
        d->BridgingLocation = StationToDisplay(e->BridgingLocation);
        d->BridgingTime = e->BridgingTime / SecondsPerHour;
        d->FrontStation = e->FrontStation;
        dm.AppendEvent(d);
    }
    dm.EventList.BuildIndex();

    dm.CollectReachNumbers();
    dm.AttachNodeZones();

    FileType = mc.FileType;
    FileTypeAsOpened = mc.FileType;
    UnitSystem = mc.UnitSystem;
    MaxDeltaT = mc.MaxDeltaT / SecondsPerHour;

    PullRunSettings();
    PullGlobalSettings();
    RefreshNodeResults();
    RefreshBoundarySeries();
}

// ---------------------------------------------------------------------------------------
// Refreshes
// ---------------------------------------------------------------------------------------
void ModelState::RefreshNodeResults()
{
    if (DisplayModel == nullptr)
        return;
    const ModelControl& mc = g_ModelControl;
    int count = 0;
    VQXDisplayNode* d = DisplayModel->FirstNode();
    for (const NodeRecord* n = g_Nodes; n != nullptr && d != nullptr && count < mc.NodeCount;
         n = n->Next, d = DisplayModel->NextNode(), ++count) {
        d->Depth = Len(n->HydraulicDepth);
        d->SectionCode = n->SectionCode;
        d->Stage = Len(n->Stage);
        d->Discharge = DischargeToDisplay(n->Discharge);
        d->FluxDischarge = DischargeToDisplay(n->FluxDischarge);
        d->Velocity = Len(n->Velocity);
        d->Width = Len(n->TopWidth);
        d->OverbankFlag = n->OverbankFlag;
        d->CheckVariable = n->NegativeAreaCount;
        d->Froude = n->Froude;
        d->PeakStage = Len(n->PeakStage);
        d->PeakDischarge = DischargeToDisplay(n->PeakFluxDischarge);
        d->PeakStageTime = n->PeakStageTime / SecondsPerHour;
        d->PeakDischargeTime = n->PeakFluxTime / SecondsPerHour;
        d->IceVelocity = Len(n->IceVelocity);
        d->WaterTemperature = n->WaterTemp;
        d->FrazilPercent = n->FrazilConcentration * 100.0;
        d->IceConcentrationPercent = n->IceConcentration * 100.0;
        d->AnchorIceThickness = Len(n->AnchorIceThickness);
        d->SlushThickness = Len(n->SlushThickness);
        d->SolidIceThickness = Len(n->IceThickness);
        d->BorderIceFraction = n->BorderFraction;
        d->BorderIceWidth = Len(n->BorderWidthLeft + n->BorderWidthRight);
        d->LeftBorderWidth = Len(n->BorderWidthLeft);
        d->RightBorderWidth = Len(n->BorderWidthRight);
        d->MaxBorderIceThickness = Len(n->BorderIceThickness);
        d->LeftBorderEdge = Len(n->BorderEdgeStations[0]);
        d->RightBorderEdge = Len(n->BorderEdgeStations[1]);
        d->AirTemperature = n->AirTemperature;
        d->ZoneNumber = n->ZoneNumber;
        d->ZoneCount = mc.AtmosphericZoneCount;
        d->Hwa = n->Hwa;
        d->Kwa = n->Kwa;
        d->Jwa = n->Jwa;
        d->Hia = n->Hia;
        d->MaxFroude = n->FroudeMax;
        d->IceRoughness = n->IceManningN;
        d->IceRoughnessMode = n->IceRoughnessMode;
        d->JamFlag = n->JamFlag;
        d->RiverStation = n->RiverStation;
        d->IceTopElevation = Len(n->IceTopElevation);
        d->SlushTopElevation = Len(n->SlushElevations[0]);
        d->SlushBottomElevation = Len(n->SlushElevations[1]);
        d->IceBottomElevation = Len(n->IceBottomElevation);
        d->AnchorBedElevation = Len(n->AnchorBedElevation);
        for (int k = 0; k < 6; ++k) {
            d->WQValues[k] = n->WQValues[k];
            d->WQValues[k + 6] = n->MetalValues[k];
        }
    }
    RefreshFlag = 1;
}

void ModelState::RefreshNodeGeometry()
{
    if (DisplayModel == nullptr)
        return;
    int count = 0;
    VQXDisplayNode* d = DisplayModel->FirstNode();
    for (const NodeRecord* n = g_Nodes; n != nullptr && d != nullptr && count < g_ModelControl.NodeCount;
         n = n->Next, d = DisplayModel->NextNode(), ++count) {
        d->Reach = n->Reach;
        d->Easting = Len(n->Easting);
        d->Northing = Len(n->Northing);
        d->Station = StationToDisplay(n->Chainage);
        d->Invert = Len(n->Invert);
        if (HasSection(*n)) {
            if (!d->CrossSection)
                d->CrossSection = std::make_unique<VQXCrossSection>();
            FillCrossSection(*d->CrossSection, *n->CrossSection, n->SectionCode);
        }
    }
    RefreshFlag = 1;
}

void ModelState::RefreshBoundarySeries()
{
    if (DisplayModel == nullptr)
        return;
    int count = 0;
    VQXDisplayBoundaryElement* d = DisplayModel->FirstBoundaryElement();
    for (const BoundaryElementRecord* b = g_BoundaryElements;
         b != nullptr && d != nullptr && count < g_ModelControl.BoundaryElementCount;
         b = b->Next, d = DisplayModel->NextBoundaryElement(), ++count) {
        d->SetFlowSeries(FlowSeriesOf(*b, FileType));
        // Without water-quality data the engine holds no such series: neither does the display.
        d->SetWaterQualitySeries(WQLoaded ? WaterQualitySeriesOf(*b, WQType) : VQXTimeSeries{});
    }
}

void ModelState::RefreshJunctionLinks()
{
    if (DisplayModel == nullptr || g_Junctions == nullptr || DisplayModel->JunctionList.Count == 0)
        return;
    NumberMaps maps(*DisplayModel);
    int count = 0;
    VQXJunctionLink* d = DisplayModel->FirstJunction();
    for (const JunctionRecord* j = g_Junctions; j != nullptr && d != nullptr && count < g_ModelControl.JunctionCount;
         j = j->Next, d = DisplayModel->NextJunction(), ++count) {
        d->NodeA = maps.Node(j->NodeA);
        d->NodeB = maps.Node(j->NodeB);
        d->NodeC = maps.Node(j->NodeC);
        d->NodeD = maps.Node(j->NodeD);
        d->ElementAC = maps.Element(j->ElementAC);
        d->ElementAB = maps.Element(j->ElementAB);
        d->ElementAD = maps.Element(j->ElementAD);
    }
}

// ---------------------------------------------------------------------------------------
// Write-backs
// ---------------------------------------------------------------------------------------
int ModelState::WriteNodeToEngine(VQXDisplayNode* d)
{
    if (d == nullptr)
        return ModelStateNotInEngine;
    NodeRecord* n = EngineNodeByNumber(d->Number, d->Index);
    if (n == nullptr)
        return ModelStateNotInEngine;
    const ModelControl& mc = g_ModelControl;

    bool sectionChanged = false;
    if (d->SectionCode != n->SectionCode) {
        const int result = WriteCrossSectionToEngine(d, n);
        if (result != ModelStateOk)
            return result;
        sectionChanged = true;
    }
    n->RiverStation = d->RiverStation;

    PutInt(n->Reach, d->Reach);
    PutLength(n->Easting, d->Easting);
    PutLength(n->Northing, d->Northing);
    PutStation(n->Chainage, d->Station);
    PutInt(n->HydroCode, d->HydroCode);
    PutPlain(n->ManningN, d->BedRoughness);
    if (d->SectionCode == 0) {
        // A rectangular node shows its water-surface width, which is its channel width; a node
        // that has just become rectangular takes the width shown as its channel width.
        if (sectionChanged || !Same(d->Width, Len(n->TopWidth))) {
            n->RectWidth = LengthToEngine(d->Width);
            n->MinFlowArea = n->RectWidth * mc.MinWaterDepth;
        }
        PutLength(n->Invert, d->Invert);
    }

    if (mc.FileType == FileTypeStaticIce) {
        const bool concentration = PutPercent(n->IceConcentration, d->IceConcentrationPercent);
        bool thickness = false;
        if (!Same(d->SolidIceThickness, Len(n->IceThickness))) {
            n->IceThickness = LengthToEngine(d->SolidIceThickness);
            ComputeIceLayersFromThicknesses(n);
            thickness = true;
        }
        if (!Same(d->IceRoughness, n->IceManningN))
            n->IceRoughness = d->IceRoughness;
        n->IceRoughnessMode = d->IceRoughnessMode;
        if (concentration || thickness)
            n->SolidIceArea = n->IceThickness * n->IceConcentration * n->IceCoveredWidth;
        n->JamFlag = d->JamFlag;
    } else if (mc.FileType == FileTypeThermalIce) {
        bool changed = false;
        const bool thickness = PutLength(n->IceThickness, d->SolidIceThickness);
        if (!Same(d->IceRoughness, n->IceManningN)) {
            n->IceRoughness = d->IceRoughness;
            changed = true;
        }
        changed |= PutInt(n->IceRoughnessMode, d->IceRoughnessMode);
        const bool temperature = PutPlain(n->WaterTemp, d->WaterTemperature);
        const bool frazil = PutPercent(n->FrazilConcentration, d->FrazilPercent);
        const bool concentration = PutPercent(n->IceConcentration, d->IceConcentrationPercent);
        const bool anchor = PutLength(n->AnchorIceThickness, d->AnchorIceThickness);
        changed |= anchor;
        const bool slush = PutLength(n->SlushThickness, d->SlushThickness);
        bool borders = PutLength(n->BorderWidthLeft, d->LeftBorderWidth);
        borders = PutLength(n->BorderWidthRight, d->RightBorderWidth) || borders;
        const double w = n->TopWidth;
        if (borders) {
            SetBorderIceFraction(n, w);
            n->IceCoveredWidth = (1.0 - n->BorderFraction) * w;
        }
        // Derived areas follow only the values they are made of, so an unedited node keeps
        // the areas it was read or solved with.
        if (slush || concentration || borders)
            n->SlushArea = n->SlushThickness * n->IceConcentration * n->IceCoveredWidth;
        if (thickness || concentration || borders)
            n->SolidIceArea = n->IceConcentration * n->IceThickness * n->IceCoveredWidth;
        if (temperature || frazil)
            n->ThermalEnergy = ComputeNodeThermalEnergy(n->WaterTemp, n->FrazilConcentration);
        // The ice layers follow the thicknesses they are made of, as they do when the node is read.
        if (thickness || anchor || slush)
            ComputeIceLayersFromThicknesses(n);
        if (d->ZoneNumber != n->ZoneNumber) {
            n->ZoneNumber = d->ZoneNumber;
            if (n->ZoneNumber < 1)
                n->Zone = nullptr;
            else if (AtmosphericZoneRecord* z = EngineZoneByNumber(n->ZoneNumber); z != nullptr)
                n->Zone = z;
            changed = true;
        }
        changed |= PutPlain(n->Hwa, d->Hwa);
        changed |= PutPlain(n->Jwa, d->Jwa);
        changed |= PutPlain(n->Kwa, d->Kwa);
        changed |= PutPlain(n->Hia, d->Hia);
        changed |= PutPlain(n->FroudeMax, d->MaxFroude);
        if (changed || thickness || temperature || frazil || concentration || slush || borders) {
            n->ThermalUnknowns[0] = n->ThermalEnergy;
            n->ThermalUnknowns[1] = n->FrazilConcentration;
            n->ThermalUnknowns[3] = n->IceConcentration;
            n->ThermalUnknowns[4] = n->SlushArea;
            n->ThermalUnknowns[5] = n->SolidIceArea;
        }
    }

    if (WQLoaded) {
        if (WQType == WQNutrients)
            for (int k = 0; k < 6; ++k)
                PutPlain(n->WQValues[k], d->WQValues[k]);
        else if (WQType == WQHeavyMetals || WQType == WQXenobiotics)
            for (int k = 0; k < 6; ++k)
                PutPlain(n->MetalValues[k], d->WQValues[k + 6]);
    }

    if (!Same(d->Stage, Len(n->Stage))) {
        n->Stage = LengthToEngine(d->Stage);
        double area;
        if (HasSection(*n) && n->CrossSection->LevelCount > 0) {
            const CrossSectionTable& t = *n->CrossSection;
            area = InterpolateTable(t.Column(StageLevel), t.Column(TotalArea), n->Stage, t.LevelCount);
        } else {
            area = (n->Stage - n->Invert) * n->RectWidth;
        }
        n->GrossArea = area;
        n->HydroUnknowns[0] = area;
    }
    if (!Same(d->Discharge, DischargeToDisplay(n->Discharge))) {
        n->Discharge = DischargeToEngine(d->Discharge);
        n->HydroUnknowns[1] = n->Discharge;
    }
    return ModelStateOk;
}

int ModelState::WriteCrossSectionToEngine(VQXDisplayNode* d, NodeRecord* n)
{
    if (d == nullptr)
        return ModelStateNotInEngine;
    if (n == nullptr)
        n = EngineNodeByNumber(d->Number, d->Index);
    if (n == nullptr)
        return ModelStateNotInEngine;

    const VQXCrossSection* cs = d->CrossSection.get();
    if (cs == nullptr) {
        n->SectionCode = d->SectionCode;
        delete n->CrossSection;
        n->CrossSection = nullptr;
        return ModelStateOk;
    }
    // The engine's table has fixed room; a section beyond it is refused whole.
    const int levels = d->SectionCode < 0 ? -d->SectionCode : d->SectionCode;
    const int points = static_cast<int>(cs->Points.size());
    const int roughness = static_cast<int>(cs->RoughnessRows.size());
    const int sinuosity = static_cast<int>(cs->SinuosityRows.size());
    if (points > MaxSectionPoints || roughness > MaxRoughnessRows || sinuosity > MaxSinuosityRows ||
        levels > MaxSectionLevels)
        return ModelStateOverCapacity;
    if (points < 2 || roughness < 1 || sinuosity < 1 || levels < 2)
        return ModelStateInvalidSection;

    CrossSectionTable* t = n->CrossSection;
    if (t == nullptr) {
        t = new (std::nothrow) CrossSectionTable();
        if (t == nullptr)
            return ModelStateNoMemory;
        n->CrossSection = t;
    }
    n->SectionCode = d->SectionCode;
    t->PointCount = points;
    PutLength(t->LeftBankStation, cs->LeftBankStation);
    PutLength(t->RightBankStation, cs->RightBankStation);
    t->Points.resize(static_cast<std::size_t>(points), SectionPoint{0.0, 0.0});
    for (int i = 0; i < points; ++i) {
        SectionPoint& p = t->Points[static_cast<std::size_t>(i)];
        PutLength(p.Station, cs->Points[static_cast<std::size_t>(i)].Station);
        PutLength(p.Elevation, cs->Points[static_cast<std::size_t>(i)].Elevation);
    }
    t->RoughnessRowCount = roughness;
    for (int i = 0; i < MaxRoughnessRows; ++i) {
        if (i >= roughness) {
            for (auto& column : t->RoughnessRows)
                column[i] = 0.0;
            continue;
        }
        const auto& r = cs->RoughnessRows[static_cast<std::size_t>(i)];
        PutLength(t->RoughnessRows[0][i], r.Elevation);
        t->RoughnessRows[1][i] = r.ChannelN;
        t->RoughnessRows[2][i] = r.LeftN;
        t->RoughnessRows[3][i] = r.RightN;
    }
    t->SinuosityRowCount = sinuosity;
    for (int i = 0; i < MaxSinuosityRows; ++i) {
        if (i >= sinuosity) {
            t->SinuosityRows[0][i] = t->SinuosityRows[1][i] = 0.0;
            continue;
        }
        const auto& r = cs->SinuosityRows[static_cast<std::size_t>(i)];
        PutLength(t->SinuosityRows[0][i], r.Elevation);
        t->SinuosityRows[1][i] = r.Sinuosity;
    }
    BuildCrossSectionTable(t, n->SectionCode);
    n->Invert = t->LowestElevation;
    n->MinFlowArea = ComputeMinimumFlowArea(n);
    return ModelStateOk;
}

int ModelState::WriteBoundarySeriesToEngine(VQXDisplayBoundaryElement* d)
{
    if (d == nullptr)
        return ModelStateNotInEngine;
    BoundaryElementRecord* b = EngineBoundaryByNumber(d->Number);
    if (b == nullptr)
        return ModelStateNotInEngine;
    const VQXTimeSeries& series = d->FlowSeries;
    // An element without a table (both codes 0) gets one only when there is something to keep.
    int status = ModelStateOk;
    BoundaryHydrograph* table = SizeBoundaryTable(b, &BoundaryElementRecord::Hydrograph, series.size(), &status);
    if (table == nullptr)
        return status;
    BoundaryHydrograph& h = *table;
    const int rows = h.RowCount;
    const bool inflow = d->Kind == 0 || d->Kind == 1;
    for (int i = 0; i < rows; ++i) {
        const std::size_t r = static_cast<std::size_t>(i);
        const VQXTimeSeriesEntry& e = series[r];
        PutTime(h.Columns[0][r], e.Time);
        PutDischarge(h.Columns[2][r], e.Discharge);
        if (inflow) {
            if (FileType == FileTypeThermalIce) {
                PutLength(h.Columns[3][r], e.IceVelocity);
                PutPlain(h.Columns[4][r], e.WaterTemperature);
                PutPercent(h.Columns[5][r], e.FrazilConcentration);
                PutPercent(h.Columns[6][r], e.IceConcentration);
                PutLength(h.Columns[7][r], e.SlushThickness);
                PutLength(h.Columns[8][r], e.SolidIceThickness);
            }
        } else {
            PutLength(h.Columns[1][r], e.Stage);
        }
    }
    ResetCursorOutside(h);
    return ModelStateOk;
}

int ModelState::WriteZoneSeriesToEngine(VQXAtmosphericZone* zone)
{
    if (zone == nullptr)
        return ModelStateNotInEngine;
    AtmosphericZoneRecord* z = EngineZoneByNumber(zone->Number);
    if (z == nullptr)
        return ModelStateNotInEngine;
    if (zone->Series.size() > static_cast<std::size_t>(MaxSeriesEntries))
        return ModelStateOverCapacity;
    const int rows = static_cast<int>(zone->Series.size());
    ResizeColumn(z->Time, rows);
    ResizeColumn(z->AirTemperature, rows);
    ResizeColumn(z->SolarRadiation, rows);
    z->RowCount = rows;
    for (int i = 0; i < rows; ++i) {
        const std::size_t r = static_cast<std::size_t>(i);
        PutTime(z->Time[r], zone->Series[r].Time);
        PutPlain(z->AirTemperature[r], zone->Series[r].AirTemperature);
        PutPlain(z->SolarRadiation[r], zone->Series[r].SolarRadiation);
    }
    return ModelStateOk;
}

int ModelState::WriteBoundaryWaterQualityToEngine(VQXDisplayBoundaryElement* d)
{
    if (d == nullptr || (d->Kind != 0 && d->Kind != 1))
        return ModelStateOk;
    BoundaryElementRecord* b = EngineBoundaryByNumber(d->Number);
    if (b == nullptr)
        return ModelStateNotInEngine;
    const VQXTimeSeries& series = d->WQSeries;
    int status = ModelStateOk;
    WQBoundaryHydrograph* table = SizeBoundaryTable(b, &BoundaryElementRecord::WQHydrograph, series.size(), &status);
    if (table == nullptr)
        return status;
    WQBoundaryHydrograph& h = *table;
    const int rows = h.RowCount;
    const WQSeriesLayout layout = WQSeriesLayoutOf(WQType);
    for (int i = 0; i < rows; ++i) {
        const std::size_t r = static_cast<std::size_t>(i);
        PutTime(h.Columns[0][r], series[r].Time);
        for (int k = 0; k < layout.Count; ++k)
            PutPlain(h.Columns[static_cast<std::size_t>(layout.FirstColumn + k)][r],
                     series[r].WQValues[layout.FirstValue + k]);
    }
    ResetCursorOutside(h);
    return ModelStateOk;
}

// ---------------------------------------------------------------------------------------
// Zones and bridging events
// ---------------------------------------------------------------------------------------
void ModelState::ResizeBridgingEvents()
{
    ModelControl& mc = g_ModelControl;
    EventCount = std::clamp(EventCount, 0, MaxBridgingEvents);
    const int n = std::clamp(mc.BridgingEventCount, 0, MaxBridgingEvents);
    mc.BridgingEventCount = n;

    // The block holds every slot before any slot is written.
    if (g_BridgingEventBlock.size() < static_cast<std::size_t>(MaxBridgingEvents))
        g_BridgingEventBlock.resize(static_cast<std::size_t>(MaxBridgingEvents));
    for (int i = n; i < MaxBridgingEvents; ++i) {
        BridgingEventRecord& e = g_BridgingEventBlock[static_cast<std::size_t>(i)];
        e.Number = 0;
        e.FrontLocation = e.StepStartFront = e.BridgingLocation = 0.0;
        e.FrontStation = 0.0;
        e.BridgingTime = mc.ModelTime + NewEventDelaySeconds;
        e.Next = nullptr;
    }

    if (DisplayModel != nullptr) {
        VQXDisplayModel& dm = *DisplayModel;
        while (dm.EventList.Count > EventCount) {
            dm.EventList.BuildIndex();
            VQXGeometryDataLib::Item* last = dm.EventList.At(dm.EventList.Count - 1);
            dm.EventList.Remove(last);
            delete static_cast<VQXBridgingEvent*>(last);
            dm.EventList.BuildIndex();
        }
        while (dm.EventList.Count < EventCount) {
            auto* e = new VQXBridgingEvent();
            e->Number = dm.EventList.Count + 1;
            e->BridgingTime = (mc.ModelTime + NewEventDelaySeconds) / SecondsPerHour;
            dm.AppendEvent(e);
            dm.EventList.BuildIndex();
        }
    }

    g_BridgingEvents = n > 0 ? &g_BridgingEventBlock[0] : nullptr;
    VQXBridgingEvent* d = DisplayModel != nullptr ? DisplayModel->FirstEvent() : nullptr;
    for (int i = 0; i < n; ++i) {
        BridgingEventRecord& e = g_BridgingEventBlock[static_cast<std::size_t>(i)];
        e.Next = i + 1 < n ? &g_BridgingEventBlock[static_cast<std::size_t>(i + 1)] : nullptr;
        if (d == nullptr)
            continue;
        e.Number = d->Number;
        PutStation(e.BridgingLocation, d->BridgingLocation);
        PutStation(e.FrontLocation, d->FrontLocation);
        PutTime(e.BridgingTime, d->BridgingTime);
        d = DisplayModel->NextEvent();
    }
}

void ModelState::ResizeAtmosphericZones()
{
    ModelControl& mc = g_ModelControl;
    ZoneCount = std::clamp(ZoneCount, 0, MaxAtmosphericZones);
    const int n = std::clamp(mc.AtmosphericZoneCount, 0, MaxAtmosphericZones);
    mc.AtmosphericZoneCount = n;

    // The block holds every slot before any slot is written. Growing it moves the records,
    // so the nodes' zone links are made again below.
    if (g_AtmosphericZoneBlock.size() < static_cast<std::size_t>(MaxAtmosphericZones))
        g_AtmosphericZoneBlock.resize(static_cast<std::size_t>(MaxAtmosphericZones));
    for (int i = n; i < MaxAtmosphericZones; ++i) {
        AtmosphericZoneRecord& z = g_AtmosphericZoneBlock[static_cast<std::size_t>(i)];
        z.Number = i + 1;
        z.RowCount = 0;  // an unused slot keeps no rows
        z.Time = {};
        z.AirTemperature = {};
        z.SolarRadiation = {};
        z.Next = nullptr;
    }

    if (DisplayModel != nullptr) {
        VQXDisplayModel& dm = *DisplayModel;
        while (dm.ZoneList.Count > ZoneCount) {
            dm.ZoneList.BuildIndex();
            auto* last = static_cast<VQXAtmosphericZone*>(dm.ZoneList.At(dm.ZoneList.Count - 1));
            for (VQXDisplayNode* node = dm.FirstNode(); node != nullptr; node = dm.NextNode())
                if (node->Zone == last)
                    node->Zone = nullptr;
            dm.ZoneList.Remove(last);
            delete last;
            dm.ZoneList.BuildIndex();
        }
        while (dm.ZoneList.Count < ZoneCount) {
            auto* z = new VQXAtmosphericZone();
            z->Number = dm.ZoneList.Count + 1;
            AppendWeatherEntry(z->Series, 0.0, ZoneSeriesDefaultTemperature, 0.0);
            AppendWeatherEntry(z->Series, 8760.0, ZoneSeriesDefaultTemperature, 0.0);
            dm.AppendZone(z);
            dm.ZoneList.BuildIndex();
        }
    }

    g_AtmosphericZones = n > 0 ? &g_AtmosphericZoneBlock[0] : nullptr;
    for (int i = 0; i < n; ++i)
        g_AtmosphericZoneBlock[static_cast<std::size_t>(i)].Next =
            i + 1 < n ? &g_AtmosphericZoneBlock[static_cast<std::size_t>(i + 1)] : nullptr;
    if (DisplayModel != nullptr) {
        VQXAtmosphericZone* d = DisplayModel->FirstZone();
        for (int i = 0; i < n && d != nullptr; ++i, d = DisplayModel->NextZone())
            g_AtmosphericZoneBlock[static_cast<std::size_t>(i)].Number = d->Number;
        // Each write finds its engine zone by number along the chain, which does not touch
        // the display zone list's cursor; walk by position all the same.
        for (int i = 0; i < DisplayModel->ZoneList.Count && i < n; ++i)
            WriteZoneSeriesToEngine(static_cast<VQXAtmosphericZone*>(DisplayModel->ZoneList.At(i)));
    }

    for (NodeRecord& node : g_NodeBlock)
        node.Zone = nullptr;
    LinkNodesToZones();
}

// ---------------------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------------------
void ModelState::UpdateSolutionCaption()
{
    const char* caption;
    if (FileType == FileTypeDynamicIce) {
        HasAdditionalSystem = 1;
        AdditionalSystem = DynamicIceSystem;
        AdditionalOn = DynamicIceOn;
        caption = "Dynamic Ice Process Solution";
    } else {
        AdditionalSystem = ThermalIceSystem;
        if (FileType == FileTypeThermalIce) {
            HasAdditionalSystem = 1;
            AdditionalOn = ThermalIceOn;
            const int unknowns = g_EquationSystems[ThermalIceSystem].UnknownsPerNode;
            caption = unknowns < 2    ? "Thermal Processes Solution (Tw Equation)"
                      : unknowns == 2 ? "Thermal Processes Solution (Tw and Cf Eqns)"
                                      : "Thermal Processes Solution (All Equations)";
        } else {
            HasAdditionalSystem = 0;
            AdditionalOn = 0;
            caption = "Ice Process Solution";
        }
    }
    VQXTextFormat::CopyToBuffer(SolutionCaption, caption);
}

void ModelState::PushRunSettings()
{
    ModelControl& mc = g_ModelControl;
    PutTime(mc.ModelTime, ModelTime);
    PutTime(mc.FinalTime, FinalTime);
    PutTime(mc.DeltaT, DeltaT);
    PutTime(mc.MaxDeltaT, MaxDeltaT);
    PutTime(mc.SeriesInterval, SeriesInterval);
    PutTime(mc.SnapshotInterval, SnapshotInterval);
    PutTime(mc.IceFrontInterval, IceFrontInterval);
    PutTime(mc.StateFileInterval, StateFileInterval);
    PutTime(mc.DatabaseInterval, DatabaseInterval);

    if (FileType == FileTypeDynamicIce) {
        DynamicIceOn = AdditionalOn != 0;
        ThermalIceOn = 0;
    } else if (FileType == FileTypeThermalIce) {
        ThermalIceOn = AdditionalOn != 0;
        DynamicIceOn = 0;
    } else {
        DynamicIceOn = 0;
        ThermalIceOn = 0;
    }
    mc.HydrodynamicsOn = HydrodynamicsOn;
    mc.DynamicIceOn = DynamicIceOn;
    mc.ThermalIceOn = ThermalIceOn;
    mc.WaterQualityOn = WaterQualityOn;

    PushSystem(g_EquationSystems[HydrodynamicSystem],
               {&HydroNorm, &HydroTolerance, &HydroSteadyTolerance, &HydroIterations, &HydroMaxIterations, &HydroTheta});
    mc.SteadyIteration = SteadyIteration;
    if (IsAdditionalSystem(AdditionalSystem))
        PushSystem(g_EquationSystems[AdditionalSystem],
                   {&AddNorm, &AddTolerance, &AddSteadyTolerance, &AddIterations, &AddMaxIterations, &AddTheta});
    PushSystem(g_EquationSystems[WaterQualitySystem],
               {&WQNorm, &WQTolerance, &WQSteadyTolerance, &WQIterations, &WQMaxIterations, &WQTheta});

    std::copy(std::begin(StartDate), std::end(StartDate), mc.StartDate);
    UpdateModelClock();
    std::copy(std::begin(CurrentDate), std::end(CurrentDate), mc.CurrentDate);
}

void ModelState::PullRunSettings()
{
    const ModelControl& mc = g_ModelControl;
    ModelTime = mc.ModelTime / SecondsPerHour;
    FinalTime = mc.FinalTime / SecondsPerHour;
    DeltaT = mc.DeltaT / SecondsPerHour;
    std::copy(std::begin(mc.StartDate), std::end(mc.StartDate), StartDate);
    std::copy(std::begin(mc.CurrentDate), std::end(mc.CurrentDate), CurrentDate);
    SeriesDue = mc.SeriesDue;
    SnapshotDue = mc.SnapshotDue;
    IceFrontDue = mc.IceFrontDue;
    StateFileDue = mc.StateFileDue;
    DatabaseDue = mc.DatabaseDue;
    IceFrontStarted = mc.IceFrontStarted;

    if (DisplayModel != nullptr) {
        int count = 0;
        VQXBridgingEvent* d = DisplayModel->FirstEvent();
        for (const BridgingEventRecord* e = g_BridgingEvents; e != nullptr && d != nullptr && count < mc.BridgingEventCount;
             e = e->Next, d = DisplayModel->NextEvent(), ++count) {
            d->FrontLocation = StationToDisplay(e->FrontLocation);
            d->FrontStation = e->FrontStation;
        }
    }

    HydrodynamicsOn = mc.HydrodynamicsOn > 0;
    DynamicIceOn = mc.DynamicIceOn > 0;
    ThermalIceOn = mc.ThermalIceOn > 0;
    WaterQualityOn = mc.WaterQualityOn > 0;
    UpdateSolutionCaption();

    PullSystem(g_EquationSystems[HydrodynamicSystem],
               {&HydroNorm, &HydroTolerance, &HydroSteadyTolerance, &HydroIterations, &HydroMaxIterations, &HydroTheta});
    if (IsAdditionalSystem(AdditionalSystem))
        PullSystem(g_EquationSystems[AdditionalSystem],
                   {&AddNorm, &AddTolerance, &AddSteadyTolerance, &AddIterations, &AddMaxIterations, &AddTheta});
    PullSystem(g_EquationSystems[WaterQualitySystem],
               {&WQNorm, &WQTolerance, &WQSteadyTolerance, &WQIterations, &WQMaxIterations, &WQTheta});
    SteadyIteration = mc.SteadyIteration;
}

void ModelState::PullGlobalSettings()
{
    const ModelControl& mc = g_ModelControl;
    UnitSystem = mc.UnitSystem;
    ZoneCount = mc.AtmosphericZoneCount;
    EventCount = mc.BridgingEventCount;
    HydroUpwinding = g_EquationSystems[HydrodynamicSystem].Upwinding;
    HydroUpwindingUpdating = g_EquationSystems[HydrodynamicSystem].UpwindingUpdating;
    if (IsAdditionalSystem(AdditionalSystem)) {
        AddUpwinding = g_EquationSystems[AdditionalSystem].Upwinding;
        AddUpwindingUpdating = g_EquationSystems[AdditionalSystem].UpwindingUpdating;
    }
#define VASQUIL_PULL_SETTING(type, name) name = mc.name;
    VASQUIL_GLOBAL_SETTINGS(VASQUIL_PULL_SETTING)
#undef VASQUIL_PULL_SETTING
}

void ModelState::PushGlobalSettings()
{
    ModelControl& mc = g_ModelControl;
    mc.UnitSystem = UnitSystem;
    if (UnitSystem != 0) {
        mc.DistanceFactor = 1000.0;
        mc.LengthFactor = 1.0;
    } else {
        mc.DistanceFactor = 5280.0;
        mc.LengthFactor = MetresPerFoot;
    }
    g_EquationSystems[HydrodynamicSystem].Upwinding = HydroUpwinding;
    g_EquationSystems[HydrodynamicSystem].UpwindingUpdating = HydroUpwindingUpdating;
    if (IsAdditionalSystem(AdditionalSystem)) {
        g_EquationSystems[AdditionalSystem].Upwinding = AddUpwinding;
        g_EquationSystems[AdditionalSystem].UpwindingUpdating = AddUpwindingUpdating;
    }

    ZoneCount = std::clamp(ZoneCount, 0, MaxAtmosphericZones);
    if (ZoneCount != mc.AtmosphericZoneCount) {
        mc.AtmosphericZoneCount = ZoneCount;
        ResizeAtmosphericZones();
    }
    EventCount = std::clamp(EventCount, 0, MaxBridgingEvents);
    if (EventCount != mc.BridgingEventCount) {
        mc.BridgingEventCount = EventCount;
        ResizeBridgingEvents();
    }

#define VASQUIL_PUSH_SETTING(type, name) mc.name = name;
    VASQUIL_GLOBAL_SETTINGS(VASQUIL_PUSH_SETTING)
#undef VASQUIL_PUSH_SETTING
    mc.IceDensity = IceSpecificGravity * mc.WaterDensity;
    InitialiseModel();
}

void ModelState::PullWaterQualitySettings()
{
    const ModelControl& mc = g_ModelControl;
    WQType = mc.WQFileType;
#define VASQUIL_PULL_WQ(type, name) WQCoefficients.name = mc.name;
    VASQUIL_WQ_COEFFICIENTS(VASQUIL_PULL_WQ)
#undef VASQUIL_PULL_WQ
}

void ModelState::PushWaterQualitySettings()
{
    ModelControl& mc = g_ModelControl;
    mc.WQFileType = WQType;
#define VASQUIL_PUSH_WQ(type, name) mc.name = WQCoefficients.name;
    VASQUIL_WQ_COEFFICIENTS(VASQUIL_PUSH_WQ)
#undef VASQUIL_PUSH_WQ
    InitialiseModel();
}

// ---------------------------------------------------------------------------------------
// Clock and time titles
// ---------------------------------------------------------------------------------------
void ModelState::UpdateModelClock()
{
    ComputeCalendarDate(StartDate, WholeSeconds(ModelTime), CurrentDate);
}

namespace {

// Hours, minutes and seconds of the elapsed model time, from its whole seconds.
void ElapsedParts(double hours, long long& h, long long& m, long long& s)
{
    const long long total = ModelState::WholeSeconds(hours);
    constexpr long long WholeSecondsPerHour = static_cast<long long>(SecondsPerHour);
    h = total / WholeSecondsPerHour;
    m = (total % WholeSecondsPerHour) / 60;
    s = total % 60;
}

}  // namespace

void ModelState::FormatChartSubtitle(const char* title, int elapsed, int calendar)
{
    if (title == nullptr)
        title = "";
    if (elapsed) {
        long long h, m, s;
        ElapsedParts(ModelTime, h, m, s);
        std::snprintf(Subtitle, sizeof Subtitle, "|%s|%.2lld:%.2lld:%.2lld      ", title, h, m, s);
    } else if (calendar) {
        char date[DateTextCapacity];
        std::snprintf(Subtitle, sizeof Subtitle, "|%s|%s      ", title,
                      FormatCalendarDate(CurrentDate, date, sizeof date));
    } else {
        std::snprintf(Subtitle, sizeof Subtitle, "|%s|", title);
    }
}

void ModelState::FormatClockText(int elapsed, int calendar)
{
    if (elapsed) {
        long long h, m, s;
        ElapsedParts(ModelTime, h, m, s);
        std::snprintf(ClockText, sizeof ClockText, "%.2lld:%.2lld:%.2lld      ", h, m, s);
    } else if (calendar) {
        char date[DateTextCapacity];
        std::snprintf(ClockText, sizeof ClockText, "%s      ", FormatCalendarDate(CurrentDate, date, sizeof date));
    }
}
