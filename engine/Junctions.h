// Junctions of branched river networks.
#pragma once

struct JunctionRecord;
struct NodeRecord;
struct ElementRecord;
struct GaussPointRecord;

void ComputeJunctionBranchAngles(JunctionRecord* junction);
void UpdateJunctionFlowDirections();
void ComputeJunctionBranchResidual(ElementRecord* element, JunctionRecord* junction);

// Gauss-point kernels of a side branch, reading the nodes' junction work copies: rectangular
// formulation; natural formulations.
void AddRectJunctionTerms(const GaussPointRecord* point, ElementRecord* element);
void AddNaturalJunctionTerms(const GaussPointRecord* point, ElementRecord* element);

// The anchor width (m) among a node's junction work copies, as the last side-branch residual
// that included the node left it.
double JunctionWorkAnchorWidth(const NodeRecord* node);
