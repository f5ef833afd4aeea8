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
double LookUpIceRoughness(NodeRecord* node);
double ComputeIceShearRatio(NodeRecord* node);
void ComputeSeparateBedIceShear(NodeRecord* node, int mode);
void UpdateNodeIceElevations(NodeRecord* node);
double ComputeAreaBetweenBorders(NodeRecord* node);
double LocateBorderIceEdge(NodeRecord* node, double width, int side);
