// A whole engine model held aside, so that another model file can be read into the engine and,
// when the file is refused, the model that was open before comes back exactly as it was.
//
// Holding moves the records, the control block and the equation systems out of the engine in
// constant time (the record blocks keep their storage, so every link between records stays
// valid); nothing is copied or formatted.
#pragma once

#include <vector>

#include "engine/EngineData.h"

struct JamStabilityTable;

// What the engine's process-wide data hold for one model. Owned by whoever holds it: its
// destructor releases a model still held.
struct HeldModel {
    ModelControl Control{};
    EquationSystem Systems[EquationSystemCount]{};
    ::NodeBlock NodeBlock;
    ::ElementBlock ElementBlock;
    std::vector<BoundaryElementRecord> BoundaryElementBlock;
    std::vector<JunctionRecord> JunctionBlock;
    std::vector<AtmosphericZoneRecord> AtmosphericZoneBlock;
    std::vector<BridgingEventRecord> BridgingEventBlock;
    NodeRecord* Nodes = nullptr;
    ElementRecord* Elements = nullptr;
    BoundaryElementRecord* BoundaryElements = nullptr;
    JunctionRecord* Junctions = nullptr;
    AtmosphericZoneRecord* AtmosphericZones = nullptr;
    BridgingEventRecord* BridgingEvents = nullptr;
    std::vector<NodeRecord*> NodeIndex;
    JamStabilityTable* JamTable = nullptr;
    int Holding = 0;  // 1 while a model is held

    HeldModel() = default;
    ~HeldModel();
    HeldModel(const HeldModel&) = delete;
    HeldModel& operator=(const HeldModel&) = delete;
};

// Moves the engine's model into held and leaves the engine without a model, as a refused read
// leaves it (SetModelDefaults, metric units, no dates). Nothing happens when held already holds
// a model. Not to be called while a run uses the engine.
void HoldModel(HeldModel* held);
// Releases the engine's present model and puts the held one back in its place, exactly as it
// was held; held then holds nothing. Nothing happens when held holds no model.
void RestoreHeldModel(HeldModel* held);
// Releases the held model (cross sections, series, tables, blocks); the engine's present model
// stays. Nothing happens when held holds no model.
void ReleaseHeldModel(HeldModel* held);
