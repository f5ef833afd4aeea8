// Defaults, lifetime and derived state of the engine data.
#pragma once

struct NodeRecord;

int SetModelDefaults();
void SetNodeDefaults(NodeRecord* node);
int RebuildNodeIndex();
void LinkNodesToZones();
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
