#include "datalib/GeometryData.h"

#include <algorithm>

#include "datalib/DisplayModel.h"

namespace VQXGeometryDataLib {

VQXNode::~VQXNode() = default;

void VQXNode::InterpolatePosition(int count, std::vector<VQXNode*> nodes, const double* weights)
{
    Easting = 0.0;
    Northing = 0.0;
    if (weights == nullptr)
        return;
    const int n = std::min(count, static_cast<int>(nodes.size()));
    for (int i = 0; i < n; ++i) {
        const VQXNode* node = nodes[static_cast<std::size_t>(i)];
        if (node == nullptr)
            continue;
        Easting += weights[i] * node->Easting;
        Northing += weights[i] * node->Northing;
    }
}

VQXElement::~VQXElement() = default;

double VQXElement::DeltaX() const
{
    const VQXNode* one = NodeOne();
    const VQXNode* two = NodeTwo();
    if (one == nullptr || two == nullptr)
        return 0.0;
    return one->Easting - two->Easting;
}

double VQXElement::DeltaY() const
{
    const VQXNode* one = NodeOne();
    const VQXNode* two = NodeTwo();
    if (one == nullptr || two == nullptr)
        return 0.0;
    return one->Northing - two->Northing;
}

void VQXElement::PlaceNodeAlong(double t, VQXNode* node) const
{
    if (node == nullptr)
        return;
    double weights[2] = {1.0 - t, t};
    if (t <= 0.0) {
        weights[0] = 1.0;
        weights[1] = 0.0;
    } else if (t >= 1.0) {
        weights[0] = 0.0;
        weights[1] = 1.0;
    }
    node->InterpolatePosition(2, Nodes, weights);
}

VQXInteriorElement::VQXInteriorElement(int number, VQXNode* nodeOne, VQXNode* nodeTwo)
{
    Number = number;
    Nodes = {nodeOne, nodeTwo};
    Codes = {0, 0};
    Kind = 0;
}

VQXBoundaryElement::VQXBoundaryElement(int number, VQXNode* node)
{
    Number = number;
    Nodes = {node};
    Codes = {0};
    Kind = 0;
}

VQXGeometryDataSet::~VQXGeometryDataSet()
{
    NodeVector.clear();
    InteriorVector.clear();
    BoundaryVector.clear();
    ReachNumbers.clear();
    DeleteAll<VQXNode>(NodeList);
    DeleteAll<VQXBoundaryElement>(BoundaryList);
    DeleteAll<VQXInteriorElement>(InteriorList);
    DeleteAll<VQXDisplayLib::VQXJunctionLink>(JunctionList);
}

VQXNode* VQXGeometryDataSet::FirstNode() { return static_cast<VQXNode*>(NodeList.First()); }
VQXNode* VQXGeometryDataSet::NextNode() { return static_cast<VQXNode*>(NodeList.Next()); }

VQXInteriorElement* VQXGeometryDataSet::FirstInteriorElement()
{
    return static_cast<VQXInteriorElement*>(InteriorList.First());
}

VQXInteriorElement* VQXGeometryDataSet::NextInteriorElement()
{
    return static_cast<VQXInteriorElement*>(InteriorList.Next());
}

VQXBoundaryElement* VQXGeometryDataSet::FirstBoundaryElement()
{
    return static_cast<VQXBoundaryElement*>(BoundaryList.First());
}

VQXBoundaryElement* VQXGeometryDataSet::NextBoundaryElement()
{
    return static_cast<VQXBoundaryElement*>(BoundaryList.Next());
}

VQXDisplayLib::VQXJunctionLink* VQXGeometryDataSet::FirstJunction()
{
    return static_cast<VQXDisplayLib::VQXJunctionLink*>(JunctionList.First());
}

VQXDisplayLib::VQXJunctionLink* VQXGeometryDataSet::NextJunction()
{
    return static_cast<VQXDisplayLib::VQXJunctionLink*>(JunctionList.Next());
}

void VQXGeometryDataSet::CollectReachNumbers()
{
    for (VQXNode* node = FirstNode(); node != nullptr; node = NextNode())
        if (std::find(ReachNumbers.begin(), ReachNumbers.end(), node->Reach) == ReachNumbers.end())
            ReachNumbers.push_back(node->Reach);
    std::sort(ReachNumbers.begin(), ReachNumbers.end());
}

VQXBounds VQXGeometryDataSet::ComputeBounds(double fraction)
{
    bool first = true;
    for (VQXNode* node = FirstNode(); node != nullptr; node = NextNode()) {
        if (first) {
            MinX = MaxX = node->Easting;
            MinY = MaxY = node->Northing;
            first = false;
            continue;
        }
        MinX = std::min(MinX, node->Easting);
        MaxX = std::max(MaxX, node->Easting);
        MinY = std::min(MinY, node->Northing);
        MaxY = std::max(MaxY, node->Northing);
    }
    const double dx = (MaxX - MinX) * fraction;
    const double dy = (MaxY - MinY) * fraction;
    MinX -= dx;
    MaxX += dx;
    MinY -= dy;
    MaxY += dy;
    return {MinX, MinY, MaxX, MaxY};
}

}  // namespace VQXGeometryDataLib
