// Equation systems and processes that the engine does not compute yet. Each entry keeps the
// data untouched and reports that nothing was solved, so a model of any file type still
// loads, saves and steps its hydrodynamics. An entry goes away when its system is built.
#include <algorithm>
#include <iterator>

#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/Junctions.h"
#include "engine/TimeStepping.h"
#include "engine/WaterQuality.h"

// Water quality: no kinetics and no transport yet. The kinetics only bring the unknowns into
// the node's values, with no sources or sinks; each element holds the values of its nodes
// (row = previous - current), so a Newton iteration converges at once and a water-quality run
// goes end to end with its values unchanged.
void ComputeWQKinetics(NodeRecord* node)
{
    StoreWQUnknowns(node);
    std::fill(std::begin(node->WQRates), std::end(node->WQRates), 0.0);
    std::fill(std::begin(node->MetalRates), std::end(node->MetalRates), 0.0);
}
void ComputeWQElementResidual(ElementRecord* element)
{
    const int upn = g_EquationSystems[WaterQualitySystem].UnknownsPerNode;
    double* rows = g_ModelControl.ElementVector.data();
    for (int a = 0; a < element->NodeCount && a < 2; ++a) {
        const NodeRecord* node = element->Nodes[a];
        for (int j = 0; j < upn && j < 6; ++j) rows[a * upn + j] = node->PreviousWQUnknowns[j] - node->WQUnknowns[j];
    }
}
void ComputeWQBoundaryResidual(BoundaryElementRecord*) {}
