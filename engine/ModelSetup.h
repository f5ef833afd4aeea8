// Defaults, lifetime and derived state of the engine data.
#pragma once

struct NodeRecord;

// A fresh control block: every setting at its default (the model header's from
// engine/ModelHeader.h), counts, clock and schedules at 0, every equation system at its
// defaults. Returns 0.
int SetModelDefaults();
// A node as a fresh row has it: all 0 but its roughness, hydro code, zone and heat-exchange
// defaults.
void SetNodeDefaults(NodeRecord* node);
// g_NodeIndex from the node chain, NodeCount entries, each node's Index its place. Returns 1,
// or 0 (an empty index) when there is no memory for it.
int RebuildNodeIndex();
// Each node's Zone: the atmospheric zone of its ZoneNumber (null for a number below 1); nodes
// whose number names no zone keep theirs. Nothing is done without zones.
void LinkNodesToZones();
// The state a run starts from: the weather of the start for thermal ice, every node's
// hydraulics, ice, thermal and water-quality state, a time-level shift, and the profile
// structure of every system that is on (assembled once, flux discharges and junction flow
// directions after the hydrodynamics); a thermal model keeps the ice velocities it holds.
// Returns 0, or -1 when a system could not be assembled (its StructureBuilt stays 0; the rest
// is done).
int InitialiseModel();

// Releases the current model: cross sections, boundary tables, every record block, the node
// index, the zone and bridging blocks and the jam table; counts of records become 0.
void ReleaseModel();
// Releases only the zone block, the bridging block and the jam table (counts of zones and events 0).
void ReleaseThermalBlocks();

// The water-quality coefficients, WQ File Type, WaterQualityOn and equation system 3's settings
// as a fresh control block has them.
void SetWaterQualityDefaults();
// Releases the water-quality state of the loaded model: the boundary elements' water-quality
// series, every node's water-quality values, rates and unknowns (both levels, set to 0), system
// 3's matrix storage, and the settings of SetWaterQualityDefaults. The model itself stays.
void ReleaseWaterQuality();
