// Ice front, border ice and bridging events of thermal-ice runs.
#pragma once

struct NodeRecord;
struct BridgingEventRecord;

// The node's border-ice fraction: the two border widths over `width` (m; kept as it was when
// width is not above 0), held to MaxBorderIceFraction by narrowing both borders in proportion.
void SetBorderIceFraction(NodeRecord* node, double width);
// Border ice of the node for the step: extension of the borders into slow water and thermal
// growth of their widths, the thickness from the previous level, area and covered fraction
// (never more than MaxBorderIceFraction). A rectangular node has no border ice.
void GrowBorderIce(NodeRecord* node);
// The event's ice front for the step: juxtaposition or an equilibrium jam moves it upstream, a
// fast reach stalls it, melt-out moves it one node downstream (never past the bridging
// location); an event outside its active period leaves it where it is. Sets FrontStation.
void AdvanceIceFront(BridgingEventRecord* event);
// Thickness (m) of the ice cover accumulating at a front x lying in the reach from `node` to the
// next node: between the next node's solid-equivalent thickness and the thicker of a narrow and
// an equilibrium jam at `node`, by the front's position. The node is left exactly as it was,
// whether or not the jam iterations converge (a jam that does not converge counts as 0).
double SolveIceFrontJam(NodeRecord* node, double front);
// River station at the event's front, interpolated in the reach of `node` (or, without a node, of
// the upstream-most reach that holds the front; the first node when none does).
void LocateIceFrontStation(NodeRecord* node, BridgingEventRecord* event);
