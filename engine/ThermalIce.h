// Thermal ice processes (equation system 2).
#pragma once

struct NodeRecord;

int SolveThermalIceStep();
void ApplyAtmosphericForcing();
int UpdateNodeThermalState(NodeRecord* node);
