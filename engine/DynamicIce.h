// Dynamic ice (equation system 1): a surface ice cover carried along the river by the flow.
// Its unknowns per node are the surface ice area Ad (m2) and the ice velocity Vi (m/s).
#pragma once

#include "engine/NodeCopy.h"

struct NodeRecord;
struct ElementRecord;
struct BoundaryElementRecord;
struct GaussPointRecord;

// Newton iterations of equation system 1 over the step whose clock the stepping has advanced,
// with the negative-ice correction after every update and once more after convergence.
// Returns 1 when converged; 0 when not; any other value is the assembly's error. A step that is
// not made is left as the failed attempt left it: the stepping (AdvanceTimeStep) takes it back.
int SolveDynamicIceStep();
// Removes negative ice: every negative ice area becomes 0 and its deficit is taken from the
// nodes whose ice area exceeds a single layer at the minimum concentration over their ice
// width, in proportion to that excess and never below it; what they cannot give is dropped.
// Each ice velocity is brought into [0, water velocity]. Then every node's ice state.
void CorrectNegativeIce();
// The node's ice fields from its unknowns: ice areas, ice velocity, ice width (top width of a
// section, width of a rectangle), concentration (area over a single layer across the ice
// width, capped at MaxSurfaceIceConcentration; 0 on a dry section of no width), thickness
// (the single layer, or thicker once the concentration is capped) and the ice drag. Sets
// NoIceFlag where the ice has stopped. Returns 1.
int UpdateNodeIceState(NodeRecord* node);

// Every node field UpdateNodeIceState writes (with the ice drag its shear split writes).
// Copying these fields out and back puts a node's ice state back to what it was before a
// refresh at other unknowns.
#define VASQUIL_NODE_ICE_OUTPUTS(X)                                                                 \
    X(double, DynamicIceArea) X(double, IceVelocity) X(double, SolidIceArea) X(double, FloatingIceArea) \
    X(double, IceCoveredWidth) X(double, IceConcentration) X(double, SolidEquivalentThickness)       \
    X(double, IceThickness) X(int, NoIceFlag) X(double, BedFriction) X(double, IceDrag)              \
    X(double, DynamicIceDrag)

struct NodeIceCopy {
    VASQUIL_NODE_ICE_OUTPUTS(VASQUIL_NODE_COPY_MEMBER)
};
// Copies the fields UpdateNodeIceState writes out of a node, and back into it.
void SaveNodeIceState(const NodeRecord* node, NodeIceCopy* copy);
void RestoreNodeIceState(NodeRecord* node, const NodeIceCopy* copy);
// Residual of an interior element into ElementVector: per node, the area row (transport by the
// ice velocity with diffusion) and the velocity row (ice momentum, tied to the water velocity).
void DynamicIceElementResidual(ElementRecord* element);
// Residual of a boundary element: the ice carried in at an upstream end (the series' ice
// thickness times its ice concentration over the ice width; none without a series) or out at
// a downstream end.
void DynamicIceBoundaryResidual(BoundaryElementRecord* element);
// The element residual's terms at one integration point.
void DynamicIceKernel(const GaussPointRecord* point, ElementRecord* element);
