// Ice front, border ice and bridging events.
#pragma once

struct NodeRecord;
struct BridgingEventRecord;

void LocateIceFrontStation(NodeRecord* node, BridgingEventRecord* event);
