// Junctions of branched river networks.
#pragma once

struct JunctionRecord;
struct NodeRecord;
struct ElementRecord;
struct GaussPointRecord;

// The cosines of the side branches' angles to the through branch (AB, AC) of a junction of
// type 2, from the nodes' eastings and northings; 1 for another type or missing nodes.
void ComputeJunctionBranchAngles(JunctionRecord* junction);
// Every junction's flow signs from its branch nodes' flux discharges (held against flips of
// round-off size), and the arrangement of its branches (which is through, which are sides)
// that follows from them.
void UpdateJunctionFlowDirections();
// Every junction's share of branch AB in the side-branch flow from the discharges its nodes B
// and C hold (as a step takes it from the branch discharges), for a model whose junctions have
// not stepped yet: a state saved from a run then opens with the split it was saved with, not
// with equal shares.
void InitialiseJunctionShares();
// The hydrodynamic residual of an element into ElementVector: as a branch of the junction (the
// through branch with the node's own values, a side branch with its part of the junction node
// and the turn loss), or, for an element that is no branch of it or does not reach its node A,
// as an ordinary element. Nothing is done for an element without its nodes.
void ComputeJunctionBranchResidual(ElementRecord* element, JunctionRecord* junction);

// Gauss-point kernels of a side branch, reading the nodes' junction work copies: rectangular
// formulation; natural formulations.
void AddRectJunctionTerms(const GaussPointRecord* point, ElementRecord* element);
void AddNaturalJunctionTerms(const GaussPointRecord* point, ElementRecord* element);

// The anchor width (m) among a node's junction work copies, as the last side-branch residual
// that included the node left it.
double JunctionWorkAnchorWidth(const NodeRecord* node);

// How a branch element of a junction sees the junction node A, for the transport of other
// equation systems, as the hydrodynamic branch residual sees it: NodeA is A's place among the
// element's nodes (-1 when the element is no current branch of the junction or does not hold
// A); Sign is -1 when the flux discharges of A and of the branch's far node point opposite ways,
// else +1; a side branch carries DischargeShare of A's discharge through AreaShare of its
// section, FlowArea and PreviousFlowArea (m2) of its flow area at the two levels. The through
// branch sees all of A.
struct JunctionBranchView {
    int NodeA = -1;
    double Sign = 1.0;
    double DischargeShare = 1.0;
    double AreaShare = 1.0;
    double FlowArea = 0.0, PreviousFlowArea = 0.0;
};
JunctionBranchView ViewJunctionNodeFromBranch(const JunctionRecord* junction, const ElementRecord* element);
