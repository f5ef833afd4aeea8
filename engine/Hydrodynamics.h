// Hydrodynamic equations (equation system 0).
#pragma once

struct NodeRecord;
struct ElementRecord;
struct BoundaryElementRecord;
struct GaussPointRecord;

// Newton iterations of one step: 1 converged, 0 step rejected (clock and unknowns back at the
// step start, DeltaT halved), any other value an assembly error.
int SolveHydrodynamicsStep();
void ComputeNodeFluxDischarge();
NodeRecord* FindLargestHydroIncrementNode();
void ComputeHydroElementResidual(ElementRecord* element);
void ComputeHydroBoundaryResidual(BoundaryElementRecord* element);

void AddRectConservationTerms(const GaussPointRecord* point, ElementRecord* element);
void AddNaturalChannelTerms(const GaussPointRecord* point, ElementRecord* element);
void AddNaturalConservationTerms(const GaussPointRecord* point, ElementRecord* element);
void AddRectBoundaryTerms(BoundaryElementRecord* element);
void AddNaturalBoundaryTerms(BoundaryElementRecord* element);
void AddNaturalConservationBoundaryTerms(BoundaryElementRecord* element);
