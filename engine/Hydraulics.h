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
double ComputeMinimumFlowArea(NodeRecord* node);
double ComputeHydraulicDepth(NodeRecord* node, double area);
double ComputeConveyance(NodeRecord* node);
// Conveyance (m3/s) of a flow area (m2) of hydraulic radius `radius` (m): Manning's law for
// n > 0, the logarithmic law of a roughness height |n| (m) for n < 0, never negative; 0 for
// n = 0 or a dry area.
double ConveyanceLaw(double area, double radius, double n);
double ComputeWettedPerimeterWithIce(NodeRecord* node);
double ComputeCompositeRoughness(NodeRecord* node);
// The factor by which the composite roughness of a bed of roughness nb and an ice cover of
// roughness ni, whose wetted widths stand in the ratio r (ice over bed), exceeds the bed's:
// for Manning's n (both above 0) ((1 + r (ni/nb)^1.5) / (1 + r))^(2/3), for roughness heights
// (both below 0, m) ((1 + r (ni/nb)^0.25) / (1 + r))^4; 1 for any other pair.
double RoughnessMixFactor(double nb, double ni, double r);
// The Chezy coefficient over sqrt(g) (dimensionless) of flow of hydraulic radius `radius` (m)
// over a bed of roughness n whose composite roughness is n times `mix` (1 without ice): Manning's
// n (above 0) gives R^(1/6) / (sqrt(g) n mix), a roughness height (below 0, m) 5.75 log10(|R / (n
// mix)|) + 6.2; 0 for n = 0.
double ComputeChezyFactor(double radius, double n, double mix);
double LookUpIceRoughness(NodeRecord* node);
double ComputeIceShearRatio(NodeRecord* node);
void ComputeSeparateBedIceShear(NodeRecord* node, int mode);
void UpdateNodeIceElevations(NodeRecord* node);
// The ice thicknesses (m) of a node from its ice areas, as a model file gives the state: anchor
// ice over the wetted perimeter and AnchorIceBedFraction, border ice over the two borders, and
// solid ice (not for a static cover, whose thickness is the file's own), surface slush and slush
// under the cover over the ice-covered width times the concentration held to the surface-ice
// concentration limits; a width or concentration of 0 leaves the last three as they are. No
// thickness is left below 0. Needs WettedPerimeter and IceCoveredWidth.
void ComputeIceThicknessesFromAreas(NodeRecord* node);
// The ice layers of a node from its thicknesses and stage: the anchor-ice bed, the
// solid-equivalent and effective thicknesses of the cover and the top and bottom of the floating
// ice (m), as the state of a model file is read (without the dynamic-ice concentration factor
// of UpdateNodeIceElevations).
void ComputeIceLayersFromThicknesses(NodeRecord* node);
double ComputeAreaBetweenBorders(NodeRecord* node);
double LocateBorderIceEdge(NodeRecord* node, double width, int side);
