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

// Sign matrix of the flow Jacobian at velocity v and celerity c, row-major (S11, S12, S21, S22);
// zero without celerity.
void ComputeHydroUpwindingMatrix(double v, double c, double s[4]);

void AddRectConservationTerms(const GaussPointRecord* point, ElementRecord* element);
void AddNaturalChannelTerms(const GaussPointRecord* point, ElementRecord* element);
void AddNaturalConservationTerms(const GaussPointRecord* point, ElementRecord* element);
void AddRectBoundaryTerms(BoundaryElementRecord* element);
void AddNaturalBoundaryTerms(BoundaryElementRecord* element);
void AddNaturalConservationBoundaryTerms(BoundaryElementRecord* element);
