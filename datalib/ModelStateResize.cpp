// The model state: the engine's atmospheric zones and bridging events resized to the settings' counts.
#include "datalib/ModelState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "datalib/ModelStateRecords.h"
#include "engine/ModelSetup.h"
#include "engine/Units.h"

using namespace VQXDisplayLib;
using namespace ModelStateRecords;

namespace {

constexpr double ZoneSeriesDefaultTemperature = 10.0;             // degC of a new zone's series
constexpr double NewEventDelaySeconds = 10 * SecondsPerHour;  // a new bridging event lies 10 h ahead

}  // namespace

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
