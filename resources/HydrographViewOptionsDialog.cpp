// The Hydrograph Options dialog's template: the location and the variable in the output group
// across the top, the x and the y axis side by side below it.
#include "resources/HydrographViewOptionsDialog.h"

#include <vector>

namespace {

constexpr int Static = -1;
constexpr DWORD Field = WS_VISIBLE | WS_TABSTOP;

constexpr int LeftColumn = 7;
constexpr int RightColumn = LeftColumn + AxisGroupWidth + 6;
constexpr int FullWidth = RightColumn + AxisGroupWidth - LeftColumn;
constexpr int ListLeft = 62;
constexpr int ListWidth = LeftColumn + FullWidth - 8 - ListLeft;
constexpr int AxisRow = 62;
constexpr int ButtonRow = AxisRow + AxisGroupHeight + 8;

std::vector<ControlTemplate> Controls()
{
    std::vector<ControlTemplate> c = {
        {.id = IDC_HYDRO_OUTPUT_GROUP,
         .kind = ControlKind::GroupBox,
         .text = "Hydrograph Output",
         .rect = {LeftColumn, 5, FullWidth, 50}},
        {.id = Static, .kind = ControlKind::Static, .text = "Location", .rect = {LeftColumn + 8, 21, 48, 8}},
        {.id = IDC_HYDRO_LOCATION,
         .kind = ControlKind::ComboList,
         .rect = {ListLeft, 19, ListWidth, 120},
         .style = Field},
        {.id = Static, .kind = ControlKind::Static, .text = "Parameter", .rect = {LeftColumn + 8, 37, 48, 8}},
        {.id = IDC_HYDRO_VARIABLE,
         .kind = ControlKind::ComboList,
         .rect = {ListLeft, 35, ListWidth, 150},
         .style = Field},
    };
    AppendAxisGroup(c, "x-axis scale", LeftColumn, AxisRow, HydrographAxes[0]);
    AppendAxisGroup(c, "y-axis scale", RightColumn, AxisRow, HydrographAxes[1]);
    c.push_back({.id = IDOK,
                 .kind = ControlKind::PushButton,
                 .text = "OK",
                 .rect = {LeftColumn + FullWidth - 112, ButtonRow, 50, 14},
                 .style = Field | BS_DEFPUSHBUTTON});
    c.push_back({.id = IDCANCEL,
                 .kind = ControlKind::PushButton,
                 .text = "Cancel",
                 .rect = {LeftColumn + FullWidth - 50, ButtonRow, 50, 14},
                 .style = Field});
    return c;
}

}  // namespace

void RegisterHydrographViewOptionsDialog()
{
    static const DialogTemplate dialogs[] = {
        {.id = IDD_HYDROGRAPH_VIEW_OPTIONS,
         .caption = "Hydrograph Options",
         .size = {0, 0, LeftColumn + FullWidth + 7, ButtonRow + 22},
         .controls = Controls()},
    };
    static const bool registered = [] {
        RegisterResources(
            {.dialogs = dialogs, .menus = {}, .toolbars = {}, .accelerators = {}, .strings = {}, .images = {}});
        return true;
    }();
    (void)registered;
}
