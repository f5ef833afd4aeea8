// Dynamic ice (equation system 1).
#pragma once

struct NodeRecord;

int SolveDynamicIceStep();
int UpdateNodeIceState(NodeRecord* node);
