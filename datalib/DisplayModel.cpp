#include "datalib/DisplayModel.h"

#include <cmath>

namespace VQXDisplayLib {

using VQXGeometryDataLib::DeleteAll;
using VQXGeometryDataLib::ItemList;

namespace {

// Links an item into a list that then owns it; the item comes back as its own type.
template <typename T>
T* AppendTo(ItemList& list, T* item)
{
    list.Append(item);
    return item;
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
    return AppendTo(NodeList, node);
}

VQXDisplayInteriorElement* VQXDisplayModel::AppendInteriorElement(VQXDisplayInteriorElement* element)
{
    return AppendTo(InteriorList, element);
}

VQXDisplayBoundaryElement* VQXDisplayModel::AppendBoundaryElement(VQXDisplayBoundaryElement* element)
{
    return AppendTo(BoundaryList, element);
}

VQXJunctionLink* VQXDisplayModel::AppendJunction(VQXJunctionLink* junction)
{
    return AppendTo(JunctionList, junction);
}

VQXAtmosphericZone* VQXDisplayModel::AppendZone(VQXAtmosphericZone* zone)
{
    return AppendTo(ZoneList, zone);
}

VQXBridgingEvent* VQXDisplayModel::AppendEvent(VQXBridgingEvent* event)
{
    return AppendTo(EventList, event);
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
