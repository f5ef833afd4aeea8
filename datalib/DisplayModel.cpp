#include "datalib/DisplayModel.h"

#include <cmath>

namespace VQXDisplayLib {

using VQXGeometryDataLib::Item;
using VQXGeometryDataLib::ItemList;

namespace {

template <typename T>
void DeleteAll(ItemList& list)
{
    while (list.Head != nullptr) {
        Item* link = list.Head;
        list.Remove(link);
        delete static_cast<T*>(link);
    }
    list.ReleaseIndex();
}

}  // namespace

VQXDisplayModel::~VQXDisplayModel()
{
    // Nodes, elements and junction links go with the base; only zones and events are the
    // display model's own. Nodes keep non-owning zone references, which nothing reads again.
    DeleteAll<VQXAtmosphericZone>(ZoneList);
    DeleteAll<VQXBridgingEvent>(EventList);
}

VQXDisplayNode* VQXDisplayModel::AppendNode(VQXDisplayNode* node)
{
    NodeList.Append(node);
    return node;
}

VQXDisplayInteriorElement* VQXDisplayModel::AppendInteriorElement(VQXDisplayInteriorElement* element)
{
    InteriorList.Append(element);
    return element;
}

VQXDisplayBoundaryElement* VQXDisplayModel::AppendBoundaryElement(VQXDisplayBoundaryElement* element)
{
    BoundaryList.Append(element);
    return element;
}

VQXJunctionLink* VQXDisplayModel::AppendJunction(VQXJunctionLink* junction)
{
    JunctionList.Append(junction);
    return junction;
}

VQXAtmosphericZone* VQXDisplayModel::AppendZone(VQXAtmosphericZone* zone)
{
    ZoneList.Append(zone);
    return zone;
}

VQXBridgingEvent* VQXDisplayModel::AppendEvent(VQXBridgingEvent* event)
{
    EventList.Append(event);
    return event;
}

VQXDisplayNode* VQXDisplayModel::FirstNode() { return static_cast<VQXDisplayNode*>(VQXGeometryDataSet::FirstNode()); }
VQXDisplayNode* VQXDisplayModel::NextNode() { return static_cast<VQXDisplayNode*>(VQXGeometryDataSet::NextNode()); }

VQXDisplayInteriorElement* VQXDisplayModel::FirstInteriorElement()
{
    return static_cast<VQXDisplayInteriorElement*>(VQXGeometryDataSet::FirstInteriorElement());
}

VQXDisplayInteriorElement* VQXDisplayModel::NextInteriorElement()
{
    return static_cast<VQXDisplayInteriorElement*>(VQXGeometryDataSet::NextInteriorElement());
}

VQXDisplayBoundaryElement* VQXDisplayModel::FirstBoundaryElement()
{
    return static_cast<VQXDisplayBoundaryElement*>(VQXGeometryDataSet::FirstBoundaryElement());
}

VQXDisplayBoundaryElement* VQXDisplayModel::NextBoundaryElement()
{
    return static_cast<VQXDisplayBoundaryElement*>(VQXGeometryDataSet::NextBoundaryElement());
}

VQXAtmosphericZone* VQXDisplayModel::FirstZone() { return static_cast<VQXAtmosphericZone*>(ZoneList.First()); }
VQXAtmosphericZone* VQXDisplayModel::NextZone() { return static_cast<VQXAtmosphericZone*>(ZoneList.Next()); }
VQXBridgingEvent* VQXDisplayModel::FirstEvent() { return static_cast<VQXBridgingEvent*>(EventList.First()); }
VQXBridgingEvent* VQXDisplayModel::NextEvent() { return static_cast<VQXBridgingEvent*>(EventList.Next()); }

VQXDisplayNode* VQXDisplayModel::FindNode(int number)
{
    return static_cast<VQXDisplayNode*>(static_cast<VQXGeometryDataLib::VQXNode*>(NodeList.FindByNumber(number)));
}

VQXAtmosphericZone* VQXDisplayModel::FindZone(int number)
{
    return static_cast<VQXAtmosphericZone*>(ZoneList.FindByNumber(number));
}

VQXDisplayBoundaryElement* VQXDisplayModel::NearestBoundaryElement(double x, double y)
{
    VQXDisplayBoundaryElement* nearest = nullptr;
    double best = 0.0;
    for (VQXDisplayBoundaryElement* element = FirstBoundaryElement(); element != nullptr;
         element = NextBoundaryElement()) {
        const VQXDisplayNode* node = element->Node();
        if (node == nullptr)
            continue;
        const double dx = node->Easting - x;
        const double dy = node->Northing - y;
        const double distance = std::sqrt(dx * dx + dy * dy);
        if (nearest == nullptr || distance < best) {
            nearest = element;
            best = distance;
        }
    }
    return nearest;
}

void VQXDisplayModel::AttachNodeZones()
{
    if (ZoneList.Count <= 0)
        return;
    for (VQXDisplayNode* node = FirstNode(); node != nullptr; node = NextNode()) {
        if (node->ZoneNumber < 1) {
            node->Zone = nullptr;
            continue;
        }
        if (VQXAtmosphericZone* zone = FindZone(node->ZoneNumber); zone != nullptr)
            node->Zone = zone;
    }
}

VQXAtmosphericZone* VQXDisplayModel::NearestNodeZone(double x, double y)
{
    VQXDisplayNode* nearest = nullptr;
    double best = 0.0;
    for (VQXDisplayNode* node = FirstNode(); node != nullptr; node = NextNode()) {
        const double dx = node->Easting - x;
        const double dy = node->Northing - y;
        const double distance = std::sqrt(dx * dx + dy * dy);
        if (nearest == nullptr || distance < best) {
            nearest = node;
            best = distance;
        }
    }
    return nearest == nullptr ? nullptr : nearest->Zone;
}

}  // namespace VQXDisplayLib
