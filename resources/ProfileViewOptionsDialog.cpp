// The Profile View Options dialog's template: the top chart's controls in the left column, the
// bottom chart's in the right one, each axis a group of Auto and Fixed with its two limits.
#include "resources/ProfileViewOptionsDialog.h"

#include "platform/Resources.h"

#include <vector>

namespace {

constexpr int Static = -1;
constexpr DWORD Field = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD FirstOfGroup = Field | WS_GROUP;

// Columns of the two charts and the rows their axis groups share.
constexpr int TopColumn = 7;
constexpr int BottomColumn = 168;
constexpr int ColumnWidth = AxisGroupWidth;
constexpr int XAxisRow = 133;
constexpr int YAxisRow = 188;

std::vector<ControlTemplate> Controls()
{
    std::vector<ControlTemplate> c = {
        {.id = IDC_PROFILE_REACH_GROUP, .kind = ControlKind::GroupBox, .text = "Display Reach", .rect = {7, 5, 316, 36}},
        {.id = IDC_PROFILE_REACH, .kind = ControlKind::ComboList, .rect = {15, 21, 140, 100}, .style = Field},

        {.id = IDC_PROFILE_TOP_CHART, .kind = ControlKind::CheckBox, .text = "Top Chart", .rect = {TopColumn, 48, 80, 10}, .style = Field},
        {.id = IDC_PROFILE_TOP_VARIABLE_LABEL, .kind = ControlKind::Static, .text = "Display Parameter", .rect = {TopColumn + 8, 78, 100, 8}},
        {.id = IDC_PROFILE_TOP_VARIABLE, .kind = ControlKind::ComboList, .rect = {TopColumn + 8, 89, ColumnWidth - 8, 150}, .style = Field},
    };
    AppendAxisGroup(c, "x-axis scale", TopColumn, XAxisRow, ProfileTopAxes[0]);
    AppendAxisGroup(c, "y-axis scale", TopColumn, YAxisRow, ProfileTopAxes[1]);

    const std::vector<ControlTemplate> bottom = {
        {.id = IDC_PROFILE_BOTTOM_CHART, .kind = ControlKind::CheckBox, .text = "Bottom Chart", .rect = {BottomColumn, 48, 80, 10}, .style = Field},
        {.id = IDC_PROFILE_PARAMETER_CHART, .kind = ControlKind::RadioButton, .text = "Parameter Chart", .rect = {BottomColumn + 8, 62, 72, 10}, .style = FirstOfGroup},
        {.id = IDC_PROFILE_ELEVATION_CHART, .kind = ControlKind::RadioButton, .text = "Elevation Chart", .rect = {BottomColumn + 82, 62, 72, 10}, .style = Field},
        {.id = IDC_PROFILE_BOTTOM_VARIABLE_LABEL, .kind = ControlKind::Static, .text = "Display Parameter", .rect = {BottomColumn + 8, 78, 100, 8}},
        {.id = IDC_PROFILE_BOTTOM_VARIABLE, .kind = ControlKind::ComboList, .rect = {BottomColumn + 8, 89, ColumnWidth - 8, 150}, .style = Field},
        {.id = IDC_PROFILE_SHOW_BED, .kind = ControlKind::CheckBox, .text = "Bed Elevation", .rect = {BottomColumn + 8, 107, 72, 10}, .style = Field},
        {.id = IDC_PROFILE_SHOW_WATER_SURFACE, .kind = ControlKind::CheckBox, .text = "Water Surface", .rect = {BottomColumn + 82, 107, 72, 10}, .style = Field},
        {.id = IDC_PROFILE_SHOW_ICE, .kind = ControlKind::CheckBox, .text = "Ice Thickness", .rect = {BottomColumn + 8, 119, 72, 10}, .style = Field},
    };
    c.insert(c.end(), bottom.begin(), bottom.end());
    AppendAxisGroup(c, "x-axis scale", BottomColumn, XAxisRow, ProfileBottomAxes[0]);
    AppendAxisGroup(c, "y-axis scale", BottomColumn, YAxisRow, ProfileBottomAxes[1]);

    const std::vector<ControlTemplate> tail = {
        {.id = IDC_PROFILE_TITLE_GROUP, .kind = ControlKind::GroupBox, .text = "Title", .rect = {7, 244, 316, 32}},
        {.id = IDC_PROFILE_TITLE_REACH_NAME, .kind = ControlKind::CheckBox, .text = "Reach Name", .rect = {15, 261, 70, 10}, .style = Field},
        {.id = IDC_PROFILE_TITLE_MODEL_TIME, .kind = ControlKind::CheckBox, .text = "Model Time", .rect = {110, 261, 70, 10}, .style = Field},
        {.id = IDC_PROFILE_TITLE_CALENDAR, .kind = ControlKind::CheckBox, .text = "Calendar DateTime", .rect = {205, 261, 90, 10}, .style = Field},
        {.id = IDC_PROFILE_EVENT_LINES, .kind = ControlKind::CheckBox, .text = "Ice Front and Bridging Locations", .rect = {7, 284, 150, 10}, .style = Field},
        {.id = IDC_PROFILE_LEGEND, .kind = ControlKind::CheckBox, .text = "Legend", .rect = {BottomColumn, 284, 80, 10}, .style = Field},
        {.id = IDOK, .kind = ControlKind::PushButton, .text = "OK", .rect = {211, 302, 50, 14}, .style = Field | BS_DEFPUSHBUTTON},
        {.id = IDCANCEL, .kind = ControlKind::PushButton, .text = "Cancel", .rect = {273, 302, 50, 14}, .style = Field},
    };
    c.insert(c.end(), tail.begin(), tail.end());
    return c;
}

}  // namespace

void RegisterProfileViewOptionsDialog()
{
    static const DialogTemplate dialogs[] = {
        {.id = IDD_PROFILE_VIEW_OPTIONS, .caption = "Profile View Options", .size = {0, 0, 330, 324}, .controls = Controls()},
    };
    static const bool registered = [] {
        RegisterResources({.dialogs = dialogs, .menus = {}, .toolbars = {}, .accelerators = {}, .strings = {}, .images = {}});
        return true;
    }();
    (void)registered;
}
