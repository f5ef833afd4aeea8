// Ice-jam stability in static-ice models, and the water-surface slopes it shares with the
// water-quality step.
#pragma once

struct NodeRecord;
struct JunctionRecord;

// The jam thickness of every node whose JamFlag is 1, once the flow has settled: nothing
// happens unless the steady run has made a pass (SteadyIteration > 0) and the discharge at the
// node of the largest hydrodynamic increment changed by less than MaxDischargeChangeJSE (m3/s)
// over it. Then the jam is marched downstream along the reaches of the jam table (without one,
// along the node chain) and through its junctions, limited so that the flow under it is not
// faster than ErosionVelocity (no limit when that is 0 or less), and relaxed towards the
// previous iterate by IceThicknessDamping. Returns 1 when the jam was solved, 0 when the flow
// had not settled (no node changed). `largestChange`, when given, receives the largest change
// (m) of a jammed node's thickness from its previous iterate (0 when not solved).
int SolveIceJamStability(double* largestChange = nullptr);

// The jam thickness (m) at the downstream node d from the upstream node u's, over the distance
// `length` (m; 0 or less: the distance between their chainages), by the jam stability equation
// with the two nodes' flow, roughness, widths and slopes. d's IceConcentration becomes 1 and its
// SolidEquivalentThickness, IceThickness and EffectiveIceThickness the thickness, never below
// 0. A thickness that is not a finite number (no anchor width, a reverse friction slope) is not
// stored: d keeps its thickness, and that thickness is returned.
double JamStabilityThickness(NodeRecord* u, NodeRecord* d, double length);
// The same across a junction side branch: the widths are the nodes' junction work copies of
// their anchor widths, internal friction and cohesion act at three quarters, and the distance
// is |length| as given.
double JamStabilityThicknessAtJunction(NodeRecord* u, NodeRecord* d, double length);
// The jam through a junction in its current arrangement: the side branches' thicknesses at
// the junction node blended by their shares of the side-branch flow (equal shares when neither
// side branch flows), and the through branch, each only where both of its nodes are jammed.
void SolveJunctionJam(JunctionRecord* junction);

// Every node's SurfaceSlope (m/m, positive where the surface falls downstream): the fall
// between a node's neighbours in chain order over their distance; at a discharge-driven
// upstream end or a stage-driven downstream end, the fall to the one neighbour; at the side
// branch nodes B and C of a junction, the fall between the branch's other neighbour and the
// junction node A over both distances. A node with one neighbour and no such boundary, and any
// pair of nodes at the same chainage, gives 0.
void ComputeSurfaceSlopes();
