// Node hydraulics and cross-section property tables.
#pragma once

struct NodeRecord;
struct CrossSectionTable;

// True when the node is computed with its cross-section table, false for a rectangular channel.
bool NodeHasCrossSection(const NodeRecord* node);
double InterpolateTable(const double* xs, const double* ys, double x, int count);
void BuildCrossSectionTable(CrossSectionTable* table, int count);
void ComputeSectionLevelProperties(CrossSectionTable* table, int row, double level);
int UpdateNodeHydraulics(NodeRecord* node);

// Every node field UpdateNodeHydraulics writes. A refresh reads nothing that another refresh of
// the node writes, except the hydrodynamic unknowns: copying these fields out and back puts a
// node's hydraulics back to what they were, as a refresh at its former unknowns would.
#define VASQUIL_NODE_HYDRAULICS_OUTPUTS(X)                                                      \
    X(double, GrossArea) X(double, Discharge) X(double, Stage) X(double, FloatingIceArea)      \
    X(double, FlowArea) X(double, Velocity) X(int, Bridged) X(double, IceVelocity)             \
    X(int, IceFrontAtNode) X(double, ThermalVelocity) X(double, BorderGapArea)                 \
    X(double, FreeArea) X(double, IceManningN) X(double, Conveyance)                           \
    X(double, MomentumCoefficient) X(double, SinuosityRatio) X(double, HydraulicRadius)        \
    X(double, CompositeN) X(double, BedHydraulicRadius) X(double, ChannelFrictionSlope)        \
    X(double, FrictionTerm) X(double, FrictionSlope) X(double, TopWidth) X(double, AnchorWidth) \
    X(double, IceLevelWidth) X(double, WettedPerimeter) X(int, OverbankFlag)                   \
    X(double, IceCoveredWidth) X(double, BedFriction) X(double, IceDrag)                       \
    X(double, DynamicIceDrag) X(double, CentroidDepth) X(double, HydraulicDepth)               \
    X(double, GrossHydraulicDepth) X(double, Froude)

#define VASQUIL_DECLARE_HYDRAULICS_OUTPUT(type, name) type name;
struct NodeHydraulicsCopy {
    VASQUIL_NODE_HYDRAULICS_OUTPUTS(VASQUIL_DECLARE_HYDRAULICS_OUTPUT)
};
#undef VASQUIL_DECLARE_HYDRAULICS_OUTPUT
// Copies the fields UpdateNodeHydraulics writes out of a node, and back into it.
void SaveNodeHydraulics(const NodeRecord* node, NodeHydraulicsCopy* copy);
void RestoreNodeHydraulics(NodeRecord* node, const NodeHydraulicsCopy* copy);
double ComputeFlowAreaFromStage(NodeRecord* node, double stage);
// The floating and the anchor ice area (m2) of the level before the previous one, as the
// continuity of the natural formulations stores them: the change of the ice from that level to
// the previous one displaces water. Ice that freezes or melts where it lies, frazil that rises to
// the cover and anchor ice that lifts off the bed neither bring nor take away water, so in
// thermal runs only the floating ice that the last thermal step carried to the node along the
// river (CarriedIceArea) counts as a change, and anchor ice, which never travels, not at all.
double ContinuityOlderFloatingIceArea(const NodeRecord* node);
double ContinuityOlderAnchorIceArea(const NodeRecord* node);
double ComputeMinimumFlowArea(NodeRecord* node);
double ComputeHydraulicDepth(NodeRecord* node, double area);
double ComputeConveyance(NodeRecord* node);
// Conveyance (m3/s) of a flow area (m2) of hydraulic radius `radius` (m): Manning's law for
// n > 0, the logarithmic law of a roughness height |n| (m) for n < 0, never negative; 0 for
// n = 0 or a dry area.
double ConveyanceLaw(double area, double radius, double n);
double ComputeWettedPerimeterWithIce(NodeRecord* node);
double ComputeCompositeRoughness(NodeRecord* node);
double LookUpIceRoughness(NodeRecord* node);
double ComputeIceShearRatio(NodeRecord* node);
void ComputeSeparateBedIceShear(NodeRecord* node, int mode);
void UpdateNodeIceElevations(NodeRecord* node);
double ComputeAreaBetweenBorders(NodeRecord* node);
double LocateBorderIceEdge(NodeRecord* node, double width, int side);
