// Hydrodynamic equations (equation system 0).
#pragma once

struct NodeRecord;

int SolveHydrodynamicsStep();
void ComputeNodeFluxDischarge();
