// The Plan View Options dialog's template (IDD_PLAN_VIEW_OPTIONS): the reach shown, the plot
// variable, the objects and their labels, the map image, the legend, the scale bar and the
// title.
#pragma once

#include "resources/ResourceIds.h"

// Each object's check box and the check boxes of its labels, which follow it.
struct PlanObjectControls
{
    int object;
    int labels[2];  // 0 where the object has one label
};
inline constexpr PlanObjectControls PlanObjects[] = {
    {IDC_PLAN_SHOW_NODES, {IDC_PLAN_NODE_NUMBERS, IDC_PLAN_NODE_STATIONING}},
    {IDC_PLAN_SHOW_ELEMENTS, {IDC_PLAN_ELEMENT_NUMBERS, 0}},
    {IDC_PLAN_SHOW_BOUNDARY_ELEMENTS, {IDC_PLAN_BOUNDARY_ELEMENT_NUMBERS, 0}},
    {IDC_PLAN_SHOW_JUNCTIONS, {IDC_PLAN_JUNCTION_NUMBERS, 0}},
};

// Registers the template; later calls do nothing.
void RegisterPlanViewOptionsDialog();
