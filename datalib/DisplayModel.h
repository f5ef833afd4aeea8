// The document's object model of the open river: display elements, junction links,
// atmospheric zones, bridging events and the display model that holds them.
//
// The model state fills a display model from the engine data; its lists hold their items in
// the order of the engine's chains, so a refresh pairs them by position.
#pragma once

#include "datalib/DisplayNode.h"
#include "datalib/GeometryData.h"
#include "datalib/TimeSeries.h"

namespace VQXDisplayLib {

class VQXDisplayInteriorElement : public VQXGeometryDataLib::VQXInteriorElement {
public:
    VQXDisplayInteriorElement(int number, VQXDisplayNode* nodeOne, VQXDisplayNode* nodeTwo)
        : VQXInteriorElement(number, nodeOne, nodeTwo) {}
};

class VQXDisplayBoundaryElement : public VQXGeometryDataLib::VQXBoundaryElement {
public:
    VQXTimeSeries FlowSeries;  // discharge, stage and thermal inflow series
    VQXTimeSeries WQSeries;    // water-quality series

    VQXDisplayBoundaryElement(int number, VQXDisplayNode* node) : VQXBoundaryElement(number, node) {}

    VQXDisplayNode* Node() const { return static_cast<VQXDisplayNode*>(NodeOne()); }

    void SetFlowSeries(VQXTimeSeries series) { FlowSeries = std::move(series); }
    void SetWaterQualitySeries(VQXTimeSeries series) { WQSeries = std::move(series); }
};

// The current flow arrangement of a junction; any reference may be null.
class VQXJunctionLink : public VQXGeometryDataLib::Item {
public:
    VQXDisplayNode* NodeA = nullptr;
    VQXDisplayNode* NodeB = nullptr;
    VQXDisplayNode* NodeC = nullptr;
    VQXDisplayNode* NodeD = nullptr;
    VQXDisplayInteriorElement* ElementAC = nullptr;
    VQXDisplayInteriorElement* ElementAB = nullptr;
    VQXDisplayInteriorElement* ElementAD = nullptr;
};

// An atmospheric zone: its series carries time (h), air temperature and solar radiation.
class VQXAtmosphericZone : public VQXGeometryDataLib::Item {
public:
    VQXTimeSeries Series;
};

class VQXBridgingEvent : public VQXGeometryDataLib::Item {
public:
    double FrontLocation = 0.0;     // km or mi
    double BridgingTime = 0.0;      // h
    double BridgingLocation = 0.0;  // km or mi
    double FrontStation = 0.0;      // river station of the ice front
};

// The lists of a display model hold only display objects: NodeList VQXDisplayNode,
// InteriorList VQXDisplayInteriorElement, BoundaryList VQXDisplayBoundaryElement, ZoneList
// VQXAtmosphericZone, EventList VQXBridgingEvent. The Append functions take ownership.
class VQXDisplayModel : public VQXGeometryDataLib::VQXGeometryDataSet {
public:
    int UseFluxDischarge = 1;  // 1: the discharge shown and plotted is Qflux; 0: nodal Qw
    int ShowAllNodes = 1;      // 1: the node table lists all nodes; 0: output nodes only
    VQXGeometryDataLib::ItemList ZoneList;
    VQXGeometryDataLib::ItemList EventList;

    VQXDisplayModel() = default;
    // Deletes the zones and events; the base deletes the nodes, elements and junction links.
    ~VQXDisplayModel();

    // Each appends the object at the end of its list, takes ownership and returns it.
    VQXDisplayNode* AppendNode(VQXDisplayNode* node);
    VQXDisplayInteriorElement* AppendInteriorElement(VQXDisplayInteriorElement* element);
    VQXDisplayBoundaryElement* AppendBoundaryElement(VQXDisplayBoundaryElement* element);
    VQXJunctionLink* AppendJunction(VQXJunctionLink* junction);
    VQXAtmosphericZone* AppendZone(VQXAtmosphericZone* zone);
    VQXBridgingEvent* AppendEvent(VQXBridgingEvent* event);

    // Walks over the lists as display objects (each moves that list's cursor).
    VQXDisplayNode* FirstNode();
    VQXDisplayNode* NextNode();
    VQXDisplayInteriorElement* FirstInteriorElement();
    VQXDisplayInteriorElement* NextInteriorElement();
    VQXDisplayBoundaryElement* FirstBoundaryElement();
    VQXDisplayBoundaryElement* NextBoundaryElement();
    VQXAtmosphericZone* FirstZone();
    VQXAtmosphericZone* NextZone();
    VQXBridgingEvent* FirstEvent();
    VQXBridgingEvent* NextEvent();

    // The first node (zone) of a number; null when none has it. Moves that list's cursor.
    VQXDisplayNode* FindNode(int number);
    VQXAtmosphericZone* FindZone(int number);

    // The boundary element whose node lies nearest to (x, y); the first wins on equal
    // distances; elements without a node are skipped. Null when there is none.
    VQXDisplayBoundaryElement* NearestBoundaryElement(double x, double y);

    // Links every display node to the zone of its zone number (null below 1, unchanged when
    // no zone has the number). Nothing changes while there are no zones.
    void AttachNodeZones();

    // The zone of the display node nearest to (x, y) (the first minimum wins); null for an
    // empty node list.
    VQXAtmosphericZone* NearestNodeZone(double x, double y);
};

}  // namespace VQXDisplayLib
