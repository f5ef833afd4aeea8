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

// How a branch element of a junction carries node A's flow, for the transport of other
// equation systems: NodeA is the place of node A among the element's nodes (-1 when the
// element is no current branch of the junction or does not hold A); Sign is -1 when the flux
// discharges of A and of the branch's far node point opposite ways, else +1; Share is the
// branch's share of A's flow (1 for the through branch AD, the step's side-branch share for AB
// and AC), as the hydrodynamic branch residual takes them.
struct JunctionBranchShare {
    int NodeA = -1;
    double Sign = 1.0;
    double Share = 1.0;
};
JunctionBranchShare ComputeJunctionBranchShare(const JunctionRecord* junction, const ElementRecord* element);
