// Nodes, elements and the container of a river's object model.
//
// A node owns its cross section. A data set owns every object in its vectors and its lists;
// nodes and elements are deleted through their base class, whose destructor is virtual, so
// each is cleaned up as its own class.
#pragma once

#include <memory>
#include <vector>

#include "datalib/CrossSection.h"
#include "datalib/ItemList.h"

namespace VQXDisplayLib {
class VQXJunctionLink;
}

namespace VQXGeometryDataLib {

class VQXNode : public Item {
public:
    // 0 rectangular channel; otherwise the level count of the node's property table with the
    // sign of the model file (negative: the overbanks belong to the key area).
    int SectionCode = 0;
    int Reach = 1;
    double Easting = 0.0;
    double Northing = 0.0;
    double Station = 0.0;  // along the river, km or mi
    double Invert = 0.0;
    double Width = 0.0;    // channel width at the water surface ("Bws")
    std::unique_ptr<VQXCrossSection> CrossSection;  // null for a rectangular node

    VQXNode() = default;
    VQXNode(const VQXNode&) = delete;
    VQXNode& operator=(const VQXNode&) = delete;
    virtual ~VQXNode();

    // Sets the position to the weighted sum of the positions of the first count nodes
    // (null nodes skipped).
    virtual void InterpolatePosition(int count, std::vector<VQXNode*> nodes, const double* weights);
};

class VQXElement : public Item {
public:
    std::vector<VQXNode*> Nodes;  // node one and two of an interior element; the one node of a boundary element
    std::vector<int> Codes;       // one code per node, all 0
    // Interior elements: junction branch (0 ordinary, 1 AC, 2 AB, 3 AD). Boundary elements:
    // 0 upstream discharge hydrograph, 1 upstream lateral inflow, 2 downstream stage
    // hydrograph, 3 downstream rating curve.
    int Kind = 0;

    VQXElement() = default;
    VQXElement(const VQXElement&) = delete;
    VQXElement& operator=(const VQXElement&) = delete;
    virtual ~VQXElement();

    VQXNode* NodeOne() const { return Nodes.empty() ? nullptr : Nodes[0]; }
    VQXNode* NodeTwo() const { return Nodes.size() < 2 ? nullptr : Nodes[1]; }

    // Easting (northing) of node one minus that of node two; 0 when either is missing.
    double DeltaX() const;
    double DeltaY() const;

    // Puts node at fraction t (clamped to [0, 1]) of the way from node one to node two.
    void PlaceNodeAlong(double t, VQXNode* node) const;
};

class VQXInteriorElement : public VQXElement {
public:
    // An ordinary element (Kind 0) of the number from node one to node two (either may be null).
    VQXInteriorElement(int number, VQXNode* nodeOne, VQXNode* nodeTwo);
};

class VQXBoundaryElement : public VQXElement {
public:
    // A boundary element (Kind 0) of the number at the node (which may be null).
    VQXBoundaryElement(int number, VQXNode* node);
};

struct VQXBounds {
    double MinX = 0.0;
    double MinY = 0.0;
    double MaxX = 0.0;
    double MaxY = 0.0;
};

class VQXGeometryDataSet {
public:
    // Owned objects kept outside the lists.
    std::vector<std::unique_ptr<VQXNode>> NodeVector;
    std::vector<std::unique_ptr<VQXInteriorElement>> InteriorVector;
    std::vector<std::unique_ptr<VQXBoundaryElement>> BoundaryVector;
    double MinX = 0.0;
    double MinY = 0.0;
    double MaxX = 0.0;
    double MaxY = 0.0;
    std::vector<int> ReachNumbers;  // distinct, ascending
    int UnitSystem = 1;             // 1 metric, 0 imperial
    // Owned objects in river order. NodeList holds VQXNode objects (display nodes in a
    // display model), InteriorList VQXInteriorElement, BoundaryList VQXBoundaryElement,
    // JunctionList VQXJunctionLink records.
    ItemList NodeList;
    ItemList BoundaryList;
    ItemList InteriorList;
    ItemList JunctionList;

    VQXGeometryDataSet() = default;
    VQXGeometryDataSet(const VQXGeometryDataSet&) = delete;
    VQXGeometryDataSet& operator=(const VQXGeometryDataSet&) = delete;
    // Deletes every object of the vectors and of the node, element and junction lists.
    ~VQXGeometryDataSet();

    // Walks over the lists; each returns null at the end or for an empty list. Each walk
    // moves the list's one cursor.
    VQXNode* FirstNode();
    VQXNode* NextNode();
    VQXInteriorElement* FirstInteriorElement();
    VQXInteriorElement* NextInteriorElement();
    VQXBoundaryElement* FirstBoundaryElement();
    VQXBoundaryElement* NextBoundaryElement();
    VQXDisplayLib::VQXJunctionLink* FirstJunction();
    VQXDisplayLib::VQXJunctionLink* NextJunction();

    // Adds every reach number of the listed nodes not yet known, then sorts ascending.
    // Numbers already present stay.
    void CollectReachNumbers();

    // The box of the listed nodes' positions, each side widened by fraction times the extent;
    // stored in the set and returned. Without nodes the stored box is widened.
    VQXBounds ComputeBounds(double fraction);
};

}  // namespace VQXGeometryDataLib
