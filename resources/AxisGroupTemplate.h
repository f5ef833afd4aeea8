// The axis group of the chart views' options dialogs: a group box titled with the axis, its
// Auto and Fixed radios on the left and its labelled minimum and maximum on the right.
#pragma once

#include "platform/Resources.h"

#include <vector>

// The controls of one axis: its group, the Auto and Fixed radios, and the labels and edits of
// its two limits.
struct AxisGroupControls {
    int group, automatic, fixed, minimumLabel, maximumLabel, minimum, maximum;
};

// The group's size in dialog units.
inline constexpr int AxisGroupWidth = 155;
inline constexpr int AxisGroupHeight = 50;

// Appends the group titled title with its top left corner at (x, y), in dialog units; Auto
// starts the radio group.
void AppendAxisGroup(std::vector<ControlTemplate>& controls, const char* title, int x, int y,
                     const AxisGroupControls& ids);
