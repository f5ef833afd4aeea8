// What the hydrograph view shows: the output location, the series variable and the axis
// limits. The view keeps them for its life (they are not saved with the model); the options
// dialog edits a copy.
#pragma once

#include "datalib/TimeSeries.h"

#include <string>

struct HydrographViewSettings {
    // Fixed axis limits: time in hours, the variable in its display unit.
    double XMin = 0.0;
    double XMax = 0.0;
    double YMin = 0.0;
    double YMax = 0.0;
    // Caption of the output node shown, as in the document's list of output nodes.
    std::string LocationName;
    int SeriesVariable = VQXDisplayLib::SeriesDischarge;  // SeriesNone when the chosen name is none
    int XFixed = 0;                                       // 0 automatic, 1 fixed
    int YFixed = 0;
};
