// Junctions of branched river networks.
#pragma once

struct JunctionRecord;
struct ElementRecord;
struct GaussPointRecord;

void ComputeJunctionBranchAngles(JunctionRecord* junction);
void UpdateJunctionFlowDirections();
void ComputeJunctionBranchResidual(ElementRecord* element, JunctionRecord* junction);

// Gauss-point kernels of a side branch, reading the nodes' junction work copies: rectangular
// formulation; natural formulations.
void AddRectJunctionTerms(const GaussPointRecord* point, ElementRecord* element);
void AddNaturalJunctionTerms(const GaussPointRecord* point, ElementRecord* element);
