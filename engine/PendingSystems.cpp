// Equation systems and processes that the engine does not compute yet. Each entry keeps the
// data untouched and reports that nothing was solved, so a model of any file type still
// loads, saves and steps its hydrodynamics. An entry goes away when its system is built.
#include "engine/DynamicIce.h"
#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/IceFront.h"
#include "engine/Junctions.h"
#include "engine/ThermalIce.h"
#include "engine/TimeStepping.h"
#include "engine/WaterQuality.h"

int AssembleProfileMatrix(int) { return 0; }
int SolveHydrodynamicsStep() { return 1; }
void ComputeNodeFluxDischarge() {}
int TransientStep() { return 0; }
int SolveDynamicIceStep() { return 1; }
int UpdateNodeIceState(NodeRecord*) { return 1; }
int SolveThermalIceStep() { return 1; }
int UpdateNodeThermalState(NodeRecord*) { return 1; }
void ComputeWQKinetics(NodeRecord*) {}

double InterpolateTable(const double*, const double*, double, int) { return 0; }
void BuildCrossSectionTable(CrossSectionTable*, int) {}
void ComputeSectionLevelProperties(CrossSectionTable*, int, double) {}
int UpdateNodeHydraulics(NodeRecord*) { return 1; }
double ComputeFlowAreaFromStage(NodeRecord*, double) { return 0; }
double ComputeMinimumFlowArea(NodeRecord*) { return 0; }
double ComputeHydraulicDepth(NodeRecord*, double) { return 0; }
double ComputeConveyance(NodeRecord*) { return 0; }
double ComputeWettedPerimeterWithIce(NodeRecord*) { return 0; }
double ComputeCompositeRoughness(NodeRecord*) { return 0; }
double LookUpIceRoughness(NodeRecord*) { return 0; }
double ComputeIceShearRatio(NodeRecord*) { return 0; }
void ComputeSeparateBedIceShear(NodeRecord*, int) {}
void UpdateNodeIceElevations(NodeRecord*) {}
double ComputeAreaBetweenBorders(NodeRecord*) { return 0; }
double LocateBorderIceEdge(NodeRecord*, double, int) { return 0; }
