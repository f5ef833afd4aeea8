// Water-quality step, kinetics and equations (equation system 3).
#pragma once

struct NodeRecord;
struct ElementRecord;
struct BoundaryElementRecord;

void ComputeWQKinetics(NodeRecord* node);
void ComputeWQElementResidual(ElementRecord* element);
void ComputeWQBoundaryResidual(BoundaryElementRecord* element);
