// Ice-jam stability and the water-surface slopes it shares with the water-quality step.
#pragma once

// Every node's SurfaceSlope (m/m, positive where the surface falls downstream): the fall
// between a node's neighbours in chain order over their distance; at a discharge-driven
// upstream end or a stage-driven downstream end, the fall to the one neighbour; at the side
// branch nodes B and C of a junction, the fall between the branch's other neighbour and the
// junction node A over both distances. A node with one neighbour and no such boundary, and any
// pair of nodes at the same chainage, gives 0.
void ComputeSurfaceSlopes();
