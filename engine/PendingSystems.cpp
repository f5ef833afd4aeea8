// Equation systems and processes that the engine does not compute yet. Each stub keeps the
// data untouched and reports that nothing was solved, so a model of any file type still
// loads, saves and steps its hydrodynamics; the table says which processes a run leaves out.
// When a system is built, its stubs and its entries in the table go away together.
#include "engine/PendingSystems.h"

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

int SolveDynamicIceStep() { return 1; }
int UpdateNodeIceState(NodeRecord*) { return 1; }
void DynamicIceElementResidual(ElementRecord*) {}
void DynamicIceBoundaryResidual(BoundaryElementRecord*) {}
int SolveThermalIceStep() { return 1; }
int UpdateNodeThermalState(NodeRecord*) { return 1; }
void ComputeThermalElementResidual(ElementRecord*) {}
void ComputeThermalBoundaryResidual(BoundaryElementRecord*) {}
void ComputeWQKinetics(NodeRecord*) {}
void ComputeWQElementResidual(ElementRecord*) {}
void ComputeWQBoundaryResidual(BoundaryElementRecord*) {}

namespace {

// Who needs a process: bit k for models of file type k, and the two bits below.
constexpr unsigned FileTypeBit(int fileType) { return 1u << fileType; }
constexpr unsigned SteadyRunsOnly = 1u << 4;         // with a file-type bit: only steady runs need it
constexpr unsigned WaterQualityModels = 1u << 5;     // runs with a water-quality model loaded

struct PendingProcess {
    unsigned neededBy;
    const char* name;
};

// One entry per process that is not computed yet; delete an entry when its system lands.
constexpr PendingProcess PendingProcessTable[] = {
    {FileTypeBit(1) | SteadyRunsOnly, "the ice jam stability solution"},
    {FileTypeBit(2), "dynamic ice (ice area and velocity)"},
    {FileTypeBit(3), "thermal ice (water temperature, frazil, anchor ice, slush and surface ice)"},
    {FileTypeBit(3), "border ice, the ice front and bridging events"},
    {WaterQualityModels, "water quality"},
};

}  // namespace

std::string PendingProcesses(int fileType, bool steadyRun, bool waterQuality)
{
    std::string names;
    for (const PendingProcess& p : PendingProcessTable) {
        const bool byFileType = fileType >= 0 && fileType <= 3 && (p.neededBy & FileTypeBit(fileType)) != 0 &&
                                (steadyRun || (p.neededBy & SteadyRunsOnly) == 0);
        const bool byWaterQuality = waterQuality && (p.neededBy & WaterQualityModels) != 0;
        if (!byFileType && !byWaterQuality) continue;
        if (!names.empty()) names += "; ";
        names += p.name;
    }
    return names;
}
