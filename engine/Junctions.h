// Junctions of branched river networks.
#pragma once

struct JunctionRecord;
struct ElementRecord;

void ComputeJunctionBranchAngles(JunctionRecord* junction);
void UpdateJunctionFlowDirections();
void ComputeJunctionBranchResidual(ElementRecord* element, JunctionRecord* junction);
