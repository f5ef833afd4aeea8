// The Hydrograph Options dialog's template (IDD_HYDROGRAPH_VIEW_OPTIONS): the output location
// and the variable shown, and the two axes with their limits.
#pragma once

#include "resources/AxisGroupTemplate.h"
#include "resources/ResourceIds.h"

// The x axis (time), then the y axis (the variable).
inline constexpr AxisGroupControls HydrographAxes[] = {
    {IDC_HYDRO_X_GROUP, IDC_HYDRO_X_AUTO, IDC_HYDRO_X_FIXED, IDC_HYDRO_X_MIN_LABEL, IDC_HYDRO_X_MAX_LABEL,
     IDC_HYDRO_X_MIN, IDC_HYDRO_X_MAX},
    {IDC_HYDRO_Y_GROUP, IDC_HYDRO_Y_AUTO, IDC_HYDRO_Y_FIXED, IDC_HYDRO_Y_MIN_LABEL, IDC_HYDRO_Y_MAX_LABEL,
     IDC_HYDRO_Y_MIN, IDC_HYDRO_Y_MAX},
};

// Registers the template; later calls do nothing.
void RegisterHydrographViewOptionsDialog();
