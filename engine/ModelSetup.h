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
