// The Plan View Options dialog's template: the reach and the variable on top, then the objects
// in rows with their labels beside them, the background and the decorations, and the title.
#include "resources/PlanViewOptionsDialog.h"

#include "platform/Resources.h"

#include <vector>

namespace {

constexpr int Static = -1;
constexpr DWORD Field = WS_VISIBLE | WS_TABSTOP;

// The three columns of the check boxes and the rows of the objects.
constexpr int ObjectColumn = 15;
constexpr int LabelColumn = 105;
constexpr int SecondLabelColumn = 200;
constexpr int FirstRow = 78;
constexpr int RowStep = 14;
constexpr int CheckHeight = 10;

ControlTemplate Check(int id, const char* text, int x, int row, int width)
{
    return {.id = id, .kind = ControlKind::CheckBox, .text = text, .rect = {x, FirstRow + row * RowStep, width, CheckHeight}, .style = Field};
}

std::vector<ControlTemplate> Controls()
{
    return {
        {.id = IDC_PLAN_REACH_GROUP, .kind = ControlKind::GroupBox, .text = "Display Reach", .rect = {7, 5, 266, 34}},
        {.id = IDC_PLAN_REACH, .kind = ControlKind::ComboList, .rect = {15, 19, 150, 100}, .style = Field},
        {.id = IDC_PLAN_SHOW_PARAMETER, .kind = ControlKind::CheckBox, .text = "Display Parameter", .rect = {7, 48, 90, CheckHeight}, .style = Field},
        {.id = IDC_PLAN_VARIABLE, .kind = ControlKind::ComboList, .rect = {105, 46, 168, 150}, .style = Field},
        {.id = Static, .kind = ControlKind::GroupBox, .text = "Display", .rect = {7, 64, 266, 124}},
        Check(IDC_PLAN_SHOW_NODES, "Nodes", ObjectColumn, 0, 85),
        Check(IDC_PLAN_NODE_NUMBERS, "Node Numbers", LabelColumn, 0, 90),
        Check(IDC_PLAN_NODE_STATIONING, "Node Stationing", SecondLabelColumn, 0, 70),
        Check(IDC_PLAN_SHOW_ELEMENTS, "Elements", ObjectColumn, 1, 85),
        Check(IDC_PLAN_ELEMENT_NUMBERS, "Element Numbers", LabelColumn, 1, 90),
        Check(IDC_PLAN_SHOW_BOUNDARY_ELEMENTS, "Boundary Elements", ObjectColumn, 2, 85),
        Check(IDC_PLAN_BOUNDARY_ELEMENT_NUMBERS, "Boundary Element Numbers", LabelColumn, 2, 110),
        Check(IDC_PLAN_SHOW_JUNCTIONS, "Junction Nodes", ObjectColumn, 3, 85),
        Check(IDC_PLAN_JUNCTION_NUMBERS, "Junction Node Numbers", LabelColumn, 3, 110),
        Check(IDC_PLAN_REACH_NUMBERS, "Reach Numbers", ObjectColumn, 4, 85),
        Check(IDC_PLAN_FLOW_ARROWS, " Flow Arrows", LabelColumn, 4, 90),
        Check(IDC_PLAN_MAP_IMAGE, "Georeferenced Map Imagery Background", ObjectColumn, 5, 180),
        Check(IDC_PLAN_LEGEND, "Legend", ObjectColumn, 6, 85),
        Check(IDC_PLAN_SCALE_BAR, "Scale Bar", LabelColumn, 6, 90),
        {.id = IDC_PLAN_TITLE_GROUP, .kind = ControlKind::GroupBox, .text = "Title", .rect = {7, 194, 266, 30}},
        {.id = IDC_PLAN_TITLE_REACH_NAME, .kind = ControlKind::CheckBox, .text = "Reach Name", .rect = {ObjectColumn, 208, 80, CheckHeight}, .style = Field},
        {.id = IDC_PLAN_TITLE_MODEL_TIME, .kind = ControlKind::CheckBox, .text = "Model Time", .rect = {LabelColumn, 208, 80, CheckHeight}, .style = Field},
        {.id = IDC_PLAN_TITLE_CALENDAR, .kind = ControlKind::CheckBox, .text = "Calendar DateTime", .rect = {SecondLabelColumn - 10, 208, 80, CheckHeight}, .style = Field},
        {.id = IDOK, .kind = ControlKind::PushButton, .text = "OK", .rect = {161, 232, 50, 14}, .style = Field | BS_DEFPUSHBUTTON},
        {.id = IDCANCEL, .kind = ControlKind::PushButton, .text = "Cancel", .rect = {223, 232, 50, 14}, .style = Field},
    };
}

}  // namespace

void RegisterPlanViewOptionsDialog()
{
    static const DialogTemplate dialogs[] = {
        {.id = IDD_PLAN_VIEW_OPTIONS, .caption = "Plan View Options", .size = {0, 0, 280, 254}, .controls = Controls()},
    };
    static const bool registered = [] {
        RegisterResources({.dialogs = dialogs});
        return true;
    }();
    (void)registered;
}
