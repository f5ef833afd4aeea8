// Thermal ice processes (equation system 2).
#pragma once

struct NodeRecord;
struct ElementRecord;
struct BoundaryElementRecord;

int SolveThermalIceStep();
void ApplyAtmosphericForcing();
int UpdateNodeThermalState(NodeRecord* node);
void ComputeThermalElementResidual(ElementRecord* element);
void ComputeThermalBoundaryResidual(BoundaryElementRecord* element);
