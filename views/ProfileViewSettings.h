// What the profile view shows: the reach, the top and bottom charts with their variables and
// axis limits, the items of the elevation chart, the subtitle, the event lines and the
// legend. The view keeps them for its life (they are not saved with the model); the options
// dialog edits a copy.
#pragma once

#include "datalib/DisplayNode.h"

#include <string>

// BottomKind.
constexpr int ParameterChart = 0;
constexpr int ElevationChart = 1;

struct ProfileViewSettings
{
    // Fixed axis limits in display units (stations in km or mi, values in the variable's unit).
    double BottomXMin = 0.0;
    double BottomXMax = 0.0;
    double BottomYMin = 0.0;
    double BottomYMax = 0.0;
    double TopXMin = 0.0;
    double TopXMax = 0.0;
    double TopYMin = 0.0;
    double TopYMax = 0.0;
    int ReachNumber = 0;
    std::string ReachName;  // the document's name of the reach, "Reach %d"
    int TopChart = 1;
    int TopVariable = VQXDisplayLib::PlotBedElevation;  // plot variable
    int TopXFixed = 0;      // 0 automatic, 1 fixed
    int TopYFixed = 0;
    int BottomChart = 1;
    int BottomKind = ElevationChart;
    int BottomVariable = VQXDisplayLib::PlotNone;  // plot variable
    int BottomXFixed = 0;
    int BottomYFixed = 0;
    // Items of the elevation chart; the bed is drawn whatever ShowBed says.
    int ShowBed = 1;
    int ShowWaterSurface = 1;
    int ShowIce = 0;
    // What the chart's subtitle carries.
    int TitleReachName = 0;
    int TitleModelTime = 0;
    int TitleCalendar = 0;
    // Vertical lines at the ice-front and bridging locations of the bridging events.
    int ShowEventLines = 0;
    int ShowLegend = 1;
};
