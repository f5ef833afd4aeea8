// Junctions of branched river networks.
#pragma once

struct JunctionRecord;

void ComputeJunctionBranchAngles(JunctionRecord* junction);
