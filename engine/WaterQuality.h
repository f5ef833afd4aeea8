// Water-quality step, kinetics and equations (equation system 3).
#pragma once

struct NodeRecord;

void ComputeWQKinetics(NodeRecord* node);
