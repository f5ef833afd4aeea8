// Dynamic ice (equation system 1).
#pragma once

struct NodeRecord;
struct ElementRecord;
struct BoundaryElementRecord;

int SolveDynamicIceStep();
int UpdateNodeIceState(NodeRecord* node);
void DynamicIceElementResidual(ElementRecord* element);
void DynamicIceBoundaryResidual(BoundaryElementRecord* element);
