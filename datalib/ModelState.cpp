// The model state: unit conversions and the display model built from the engine data.
#include "datalib/ModelState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "datalib/ModelStateRecords.h"
#include "engine/Hydraulics.h"
#include "engine/Units.h"

using namespace VQXDisplayLib;
using namespace ModelStateRecords;

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
