// The Profile View Options dialog's template (IDD_PROFILE_VIEW_OPTIONS): the reach shown, the
// top and bottom charts with their variables and axis limits, the chart subtitle, the event
// lines and the legend.
#pragma once

#include "resources/AxisGroupTemplate.h"
#include "resources/ResourceIds.h"

// The controls of one axis of a chart.
using ProfileAxisControls = AxisGroupControls;
// The x and y axes of the top chart, then of the bottom chart.
inline constexpr ProfileAxisControls ProfileTopAxes[] = {
    {IDC_PROFILE_TOP_X_GROUP, IDC_PROFILE_TOP_X_AUTO, IDC_PROFILE_TOP_X_FIXED, IDC_PROFILE_TOP_X_MIN_LABEL,
     IDC_PROFILE_TOP_X_MAX_LABEL, IDC_PROFILE_TOP_X_MIN, IDC_PROFILE_TOP_X_MAX},
    {IDC_PROFILE_TOP_Y_GROUP, IDC_PROFILE_TOP_Y_AUTO, IDC_PROFILE_TOP_Y_FIXED, IDC_PROFILE_TOP_Y_MIN_LABEL,
     IDC_PROFILE_TOP_Y_MAX_LABEL, IDC_PROFILE_TOP_Y_MIN, IDC_PROFILE_TOP_Y_MAX},
};
inline constexpr ProfileAxisControls ProfileBottomAxes[] = {
    {IDC_PROFILE_BOTTOM_X_GROUP, IDC_PROFILE_BOTTOM_X_AUTO, IDC_PROFILE_BOTTOM_X_FIXED, IDC_PROFILE_BOTTOM_X_MIN_LABEL,
     IDC_PROFILE_BOTTOM_X_MAX_LABEL, IDC_PROFILE_BOTTOM_X_MIN, IDC_PROFILE_BOTTOM_X_MAX},
    {IDC_PROFILE_BOTTOM_Y_GROUP, IDC_PROFILE_BOTTOM_Y_AUTO, IDC_PROFILE_BOTTOM_Y_FIXED, IDC_PROFILE_BOTTOM_Y_MIN_LABEL,
     IDC_PROFILE_BOTTOM_Y_MAX_LABEL, IDC_PROFILE_BOTTOM_Y_MIN, IDC_PROFILE_BOTTOM_Y_MAX},
};

// Registers the template; later calls do nothing.
void RegisterProfileViewOptionsDialog();
