// Holding a model aside: the engine's data exchanged with a held model.
#include "engine/ModelHold.h"

#include <utility>

#include "engine/ModelSetup.h"

namespace {

// Exchanges everything the engine holds for a model with held. Swapping the blocks swaps their
// storage, so pointers into them (chains, the node index, zone and boundary links) stay valid.
void ExchangeWithEngine(HeldModel* held)
{
    std::swap(g_ModelControl, held->Control);
    for (int k = 0; k < EquationSystemCount; ++k) std::swap(g_EquationSystems[k], held->Systems[k]);
    g_NodeBlock.swap(held->NodeBlock);
    g_ElementBlock.swap(held->ElementBlock);
    g_BoundaryElementBlock.swap(held->BoundaryElementBlock);
    g_JunctionBlock.swap(held->JunctionBlock);
    g_AtmosphericZoneBlock.swap(held->AtmosphericZoneBlock);
    g_BridgingEventBlock.swap(held->BridgingEventBlock);
    std::swap(g_Nodes, held->Nodes);
    std::swap(g_Elements, held->Elements);
    std::swap(g_BoundaryElements, held->BoundaryElements);
    std::swap(g_Junctions, held->Junctions);
    std::swap(g_AtmosphericZones, held->AtmosphericZones);
    std::swap(g_BridgingEvents, held->BridgingEvents);
    g_NodeIndex.swap(held->NodeIndex);
    std::swap(g_JamTable, held->JamTable);
}

}  // namespace

HeldModel::~HeldModel()
{
    ReleaseHeldModel(this);
}

void HoldModel(HeldModel* held)
{
    if (!held || held->Holding) return;
    ExchangeWithEngine(held);  // the engine takes the held object's empty data
    held->Holding = 1;
    // No model, as a refused read leaves the engine: defaults, metric units (which agree with
    // the default length and distance factors), no dates.
    SetModelDefaults();
    g_ModelControl.UnitSystem = 1;
}

void RestoreHeldModel(HeldModel* held)
{
    if (!held || !held->Holding) return;
    ReleaseModel();
    ExchangeWithEngine(held);
    held->Holding = 0;
}

void ReleaseHeldModel(HeldModel* held)
{
    if (!held || !held->Holding) return;
    // The engine's own release frees a model: the held one takes the engine's place for it.
    HeldModel present;
    ExchangeWithEngine(&present);
    ExchangeWithEngine(held);
    ReleaseModel();
    ExchangeWithEngine(held);  // the released, empty data go back to held
    ExchangeWithEngine(&present);
    held->Holding = 0;
}
