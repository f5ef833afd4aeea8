// What the files of ModelState share (datalib/ModelStateRecords.h).
#include "datalib/ModelStateRecords.h"

#include <algorithm>
#include <cmath>

#include "engine/Units.h"
#include "engine/WaterQuality.h"
#include "engine/WaterQualityFile.h"

namespace ModelStateRecords {

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

NumberMaps::NumberMaps(VQXDisplayModel& dm)
{
    Nodes.reserve(static_cast<std::size_t>(std::max(dm.NodeList.Count, 0)));
    for (VQXDisplayNode* n = dm.FirstNode(); n != nullptr; n = dm.NextNode())
        Nodes.emplace(n->Number, n);
    for (VQXDisplayInteriorElement* e = dm.FirstInteriorElement(); e != nullptr; e = dm.NextInteriorElement())
        Elements.emplace(e->Number, e);
}

VQXDisplayNode* NumberMaps::Node(const NodeRecord* n) const
{
    if (n == nullptr)
        return nullptr;
    const auto it = Nodes.find(n->Number);
    return it == Nodes.end() ? nullptr : it->second;
}

VQXDisplayInteriorElement* NumberMaps::Element(const ElementRecord* e) const
{
    if (e == nullptr)
        return nullptr;
    const auto it = Elements.find(e->Number);
    return it == Elements.end() ? nullptr : it->second;
}

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
NodeRecord* EngineNodeByNumber(int number, int position)
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

}  // namespace ModelStateRecords
