// Equation systems and processes that the engine does not compute yet. Each entry keeps the
// data untouched and reports that nothing was solved, so a model of any file type still
// loads, saves and steps its hydrodynamics. An entry goes away when its system is built.
#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/IceFront.h"
#include "engine/Junctions.h"
#include "engine/ThermalIce.h"
#include "engine/TimeStepping.h"

int SolveThermalIceStep() { return 1; }
int UpdateNodeThermalState(NodeRecord*) { return 1; }
void ComputeThermalElementResidual(ElementRecord*) {}
void ComputeThermalBoundaryResidual(BoundaryElementRecord*) {}
