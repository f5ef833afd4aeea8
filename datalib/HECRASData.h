// Nodes and data set of a HEC-RAS geometry conversion.
#pragma once

#include <vector>

#include "datalib/GeometryData.h"

namespace VQXHECRASDataLib {

struct VQXPlanPoint {
    double X = 0.0;
    double Y = 0.0;
};

// A node read from a HEC-RAS geometry file.
class VQXHECRASNode : public VQXGeometryDataLib::VQXNode {
public:
    double RiverStation = 0.0;
    double LeftReachLength = 0.0;     // downstream reach lengths of the left overbank,
    double ChannelReachLength = 0.0;  // the channel
    double RightReachLength = 0.0;    // and the right overbank
    double LeftN = 0.0;
    double ChannelN = 0.0;
    double RightN = 0.0;
    int HydroCode = 1;
    double InitialStage = 0.0;
    double InitialDischarge = 0.0;
    std::vector<VQXPlanPoint> CutLine;  // the cross-section cut line in plan
};

// The conversion's data set; its nodes live in NodeVector.
class VQXHECRASDataSet : public VQXGeometryDataLib::VQXGeometryDataSet {
public:
    double DistanceFactor = 1000.0;  // length units per station unit: 1000 metric, 5280 imperial
    double InitialDepth = 0.0;
    double InitialDischarge = 0.0;
    int PropertyLevels = 100;        // levels of each property table
};

}  // namespace VQXHECRASDataLib
