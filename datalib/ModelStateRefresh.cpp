// The model state: the display model refreshed from the engine after a step or an edit.
#include "datalib/ModelState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "datalib/ModelStateRecords.h"
#include "engine/Units.h"

using namespace VQXDisplayLib;
using namespace ModelStateRecords;

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

void ModelState::RefreshBridgingEvents()
{
    if (DisplayModel == nullptr)
        return;
    int count = 0;
    VQXBridgingEvent* d = DisplayModel->FirstEvent();
    for (const BridgingEventRecord* e = g_BridgingEvents; e != nullptr && d != nullptr && count < g_ModelControl.BridgingEventCount;
         e = e->Next, d = DisplayModel->NextEvent(), ++count) {
        d->Number = e->Number;
        d->BridgingLocation = StationToDisplay(e->BridgingLocation);
        d->BridgingTime = e->BridgingTime / SecondsPerHour;
        d->FrontLocation = StationToDisplay(e->FrontLocation);
        d->FrontStation = e->FrontStation;
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
