// What the plan view shows: the reach, the plot variable that colours the elements, the
// objects and their labels, the map image, the legend, the scale bar and the title. The view
// keeps them for its life (they are not saved with the model); the options dialog edits a copy.
// Each switch is 0 or 1.
#pragma once

#include <string>

struct PlanViewSettings {
    int ReachNumber = 0;    // 0: every reach
    std::string ReachName;  // "All Reaches" or the document's "Reach %d"
    int PlotVariable = 0;   // plot variable of the colouring (VQXPlotVariableId); -1 none
    int ShowParameter = 0;  // the elements coloured by the plot variable
    int ShowNodes = 0;
    int ShowNodeNumbers = 0;
    int ShowNodeStationing = 0;
    int ShowElements = 0;
    int ShowElementNumbers = 0;
    int ShowBoundaryElements = 0;
    int ShowBoundaryElementNumbers = 0;
    int ShowJunctionNodes = 0;
    int ShowJunctionNumbers = 0;
    int ShowFlowArrows = 0;
    int ShowMapImage = 0;
    int ShowLegend = 0;
    int ShowScaleBar = 0;
    int TitleReachName = 0;
    int TitleModelTime = 0;
    int TitleCalendar = 0;
    int ShowReachNumbers = 0;  // each node's reach number beside it
};
