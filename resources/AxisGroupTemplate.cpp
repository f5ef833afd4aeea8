#include "resources/AxisGroupTemplate.h"

namespace {

constexpr DWORD Field = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD FirstOfGroup = Field | WS_GROUP;

}  // namespace

void AppendAxisGroup(std::vector<ControlTemplate>& controls, const char* title, int x, int y,
                     const AxisGroupControls& ids)
{
    controls.push_back({.id = ids.group,
                        .kind = ControlKind::GroupBox,
                        .text = title,
                        .rect = {x, y, AxisGroupWidth, AxisGroupHeight}});
    controls.push_back({.id = ids.automatic,
                        .kind = ControlKind::RadioButton,
                        .text = "Auto",
                        .rect = {x + 8, y + 17, 40, 10},
                        .style = FirstOfGroup});
    controls.push_back({.id = ids.fixed,
                        .kind = ControlKind::RadioButton,
                        .text = "Fixed",
                        .rect = {x + 8, y + 33, 40, 10},
                        .style = Field});
    controls.push_back(
        {.id = ids.minimumLabel, .kind = ControlKind::Static, .text = "Minimum:", .rect = {x + 52, y + 18, 40, 8}});
    controls.push_back(
        {.id = ids.minimum, .kind = ControlKind::Edit, .rect = {x + 94, y + 16, 55, 12}, .style = Field});
    controls.push_back(
        {.id = ids.maximumLabel, .kind = ControlKind::Static, .text = "Maximum:", .rect = {x + 52, y + 34, 40, 8}});
    controls.push_back(
        {.id = ids.maximum, .kind = ControlKind::Edit, .rect = {x + 94, y + 32, 55, 12}, .style = Field});
}
