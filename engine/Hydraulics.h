// Node hydraulics and cross-section property tables.
#pragma once

#include "engine/EngineData.h"
#include "engine/NodeCopy.h"

// True when the node is computed with its cross-section table, false for a rectangular channel.
bool NodeHasCrossSection(const NodeRecord* node);
// The value at x of the piecewise linear table (xs, ys) of |count| rows, xs ascending: the first
// value at or below the first key; the last at or above the last key (" Array extrapolation has
// been requested!" on standard output); -1 when no interval holds x (a key that is not a number;
// a line on standard error); 0 for an empty table or no ys.
double InterpolateTable(const double* xs, const double* ys, double x, int count);
// The same for two columns of a cross-section property table.
double InterpolateTable(SectionColumn xs, SectionColumn ys, double x, int count);
// The value at `stage` (m) of column `column` of the node's property table, as InterpolateTable
// gives it over the stage column and |SectionCode| levels; tried first at the row of the node's
// last lookup. 0 for a node without a table.
double SectionValueAtStage(const NodeRecord* node, int column, double stage);
// The value of InterpolateTable without its extrapolation message: *beyondEnd (when not null)
// becomes true when x lies above the last key, where the last value is given, and false
// otherwise (at the last key the last value is the table's own).
double InterpolateTableQuietly(const double* xs, const double* ys, double x, int count, bool* beyondEnd);
// Builds the property table of |count| levels of a cross section from its points, banks,
// roughness and sinuosity rows: bank points, the lowest point between the banks, levels evenly
// from it up to twice the section's height (and a last level far above), each level's widths,
// areas and perimeters of channel and overbanks, roughness and sinuosity, the key area
// (a negative count: compound, with both overbanks), first moments of area and the sinuosity
// sums. Sizes the table's storage; nothing is done for a null table.
void BuildCrossSectionTable(CrossSectionTable* table, int count);
// The widths, areas and perimeters of channel and overbanks at `level` (m) into row `row` of the
// table; nothing is done for a row outside it.
void ComputeSectionLevelProperties(CrossSectionTable* table, int row, double level);
// Asks the memory system ahead for what a refresh of the node will read: with `rows` false the
// node record's first lines (NodeNewtonBytes) and its section table's; with `rows` true (the
// first lines asked for some time before) the table's rows about its last lookup, its first and
// last rows, the sinuosity sums there and the section's points. Reads nothing the refresh
// depends on and writes nothing.
void PrefetchNodeHydraulics(const NodeRecord* node, bool rows);
// Every hydraulic quantity of the node from its hydrodynamic unknowns (gross area, discharge):
// the fields VASQUIL_NODE_HYDRAULICS_OUTPUTS lists. While the differencing runs (at the current
// state and at perturbed ones) under a resistance model other than 1 the bed friction and ice
// drag (BedFriction, IceDrag), which only that model's residuals read, are left as they were, and
// under every model the area between the borders and the free area (BorderGapArea, FreeArea),
// which no hydrodynamic residual reads. Returns 1.
int UpdateNodeHydraulics(NodeRecord* node);
// The same for a node whose discharge alone differs from the unknowns its hydraulics were taken
// at (its hydraulics are those of a refresh at its gross area): the discharge, velocities and
// friction terms, the rest kept; a compound section's channel friction slope is left as it was.
// Under resistance model 1, whose stresses take the velocity through the section's table, the
// whole refresh. Returns 1.
int UpdateNodeDischarge(NodeRecord* node);

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

struct NodeHydraulicsCopy {
    VASQUIL_NODE_HYDRAULICS_OUTPUTS(VASQUIL_NODE_COPY_MEMBER)
};
// Copies the fields UpdateNodeHydraulics writes out of a node, and back into it.
void SaveNodeHydraulics(const NodeRecord* node, NodeHydraulicsCopy* copy);
void RestoreNodeHydraulics(NodeRecord* node, const NodeHydraulicsCopy* copy);
// The flow area (m2) at a stage (m): the gross area less the submerged floating ice and the
// solid part of the anchor ice, or for a static cover the area below the cover's draught.
double ComputeFlowAreaFromStage(NodeRecord* node, double stage);
// The floating and the anchor ice area (m2) of the level before the previous one, as the
// continuity of the natural formulations stores them: the change of the ice from that level to
// the previous one displaces water. Ice that freezes or melts where it lies, frazil that rises to
// the cover and anchor ice that lifts off the bed neither bring nor take away water, so in
// thermal runs only the floating ice that the last thermal step carried to the node along the
// river (CarriedIceArea) counts as a change, and anchor ice, which never travels, not at all.
double ContinuityOlderFloatingIceArea(const NodeRecord* node);
double ContinuityOlderAnchorIceArea(const NodeRecord* node);
// The gross area (m2) at MinWaterDepth above the invert: the smallest flow area admitted.
double ComputeMinimumFlowArea(NodeRecord* node);
// The hydraulic depth (m) of a flow area (m2): area over the water-surface width at it.
double ComputeHydraulicDepth(NodeRecord* node, double area);
// The node's conveyance (m3/s) at its flow area, with ice; sets its momentum coefficient,
// sinuosity ratio, hydraulic radii, composite roughness and channel friction slope.
double ComputeConveyance(NodeRecord* node);
// Conveyance (m3/s) of a flow area (m2) of hydraulic radius `radius` (m): Manning's law for
// n > 0, the logarithmic law of a roughness height |n| (m) for n < 0, never negative; 0 for
// n = 0 or a dry area.
double ConveyanceLaw(double area, double radius, double n);
// The wetted perimeter (m) of the flow, the bed's below the anchor ice and the ice cover's
// (border ice, and the floating ice when it stands still).
double ComputeWettedPerimeterWithIce(NodeRecord* node);
// The node's composite Manning's n (or roughness height) of bed and ice cover, weighted by their
// wetted widths (RoughnessMixFactor); the bed's alone without ice or with mixed kinds.
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
// The ice cover's Manning's n: from the table of the node's ice-roughness mode (1 to 3) by the
// ice thickness, or the node's own IceRoughness for mode 0.
double LookUpIceRoughness(NodeRecord* node);
// The ratio of the ice shear to the bed shear of the node's flow (0 without flow, bed
// roughness or perimeter; 1 for a dry node).
double ComputeIceShearRatio(NodeRecord* node);
// The separate bed friction and ice drag of the flow: mode 1 sets BedFriction and IceDrag (the
// hydrodynamics), mode 0 DynamicIceDrag with at least the minimum ice concentration (the ice
// dynamics); all 0 for a dry node.
void ComputeSeparateBedIceShear(NodeRecord* node, int mode);
// The ice layers of the node after a step: anchor-ice bed, top and bottom of the floating ice
// and the slush elevations (m), a dynamic cover's thicknesses scaled by its concentration over
// the largest.
void UpdateNodeIceElevations(NodeRecord* node);
// The wetted perimeter (m) of the bed under `area` (m2), the area the water and the solid part
// of the anchor ice take together, as a model file's node state gives it: the section's channel
// perimeter at that key area, or a rectangle's 2 area / width + width.
double ComputeBedPerimeterUnder(const NodeRecord* node, double area);
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
// The wet area (m2) of the section between the two border-ice edges; 0 for a rectangle.
double ComputeAreaBetweenBorders(NodeRecord* node);
// Places the edge of the border ice of `width` (m) on side 1 (left bank) or 2 (right bank) of
// the section, measured along the water surface from the bank (the edge stays where it was when
// the surface is narrower), and returns the flow velocity at the edge (m/s): the node's velocity
// scaled by (depth there / hydraulic depth)^(2/3); the node's velocity for a rectangle, 0 for
// another side.
double LocateBorderIceEdge(NodeRecord* node, double width, int side);
