// The series editors' templates. Apply is the default button, so Enter applies the edits;
// Close (IDCANCEL, also Escape) ends the dialog. The grid is a custom control of the grid's
// window class, below the entry count and its Update button.
#include "resources/SeriesEditorDialogs.h"

#include "platform/Resources.h"
#include "resources/ResourceIds.h"

#include <vector>

namespace {

// The window class the grid control registers.
constexpr const char* GridClass = "MFCGridCtrl";
constexpr DWORD Tab = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD EntriesStyle = Tab | WS_BORDER | ES_CENTER;

// The boundary-condition dialogs: caption, the options group's id and title.
std::vector<ControlTemplate> BoundaryControls(int groupId, const char* groupTitle, const char* titleText)
{
    return {
        {.id = IDC_SERIES_APPLY,
         .kind = ControlKind::PushButton,
         .text = "Apply",
         .rect = {68, 293, 50, 14},
         .style = Tab | BS_DEFPUSHBUTTON},
        {.id = IDCANCEL, .kind = ControlKind::PushButton, .text = "Close", .rect = {123, 293, 50, 14}, .style = Tab},
        {.id = IDC_SERIES_TITLE, .kind = ControlKind::Static, .text = titleText, .rect = {7, 16, 220, 8}},
        {.id = groupId, .kind = ControlKind::GroupBox, .text = groupTitle, .rect = {14, 35, 211, 252}},
        {.id = IDC_SERIES_GRID,
         .kind = ControlKind::Custom,
         .rect = {22, 99, 195, 180},
         .style = Tab,
         .className = GridClass},
        {.id = IDC_SERIES_ENTRIES, .kind = ControlKind::Edit, .rect = {22, 81, 40, 14}, .style = EntriesStyle},
        {.id = IDC_SERIES_UPDATE_ENTRIES,
         .kind = ControlKind::PushButton,
         .text = "Update # of Entries",
         .rect = {65, 81, 88, 14},
         .style = Tab},
    };
}

std::vector<ControlTemplate> ZoneControls()
{
    return {
        {.id = IDC_SERIES_APPLY,
         .kind = ControlKind::PushButton,
         .text = "Apply",
         .rect = {180, 294, 50, 14},
         .style = Tab | BS_DEFPUSHBUTTON},
        {.id = IDCANCEL, .kind = ControlKind::PushButton, .text = "Close", .rect = {235, 294, 50, 14}, .style = Tab},
        {.id = IDC_ZONE_TITLE, .kind = ControlKind::Static, .text = "Zone Name", .rect = {17, 16, 241, 8}},
        {.id = IDC_ZONE_GROUP,
         .kind = ControlKind::GroupBox,
         .text = "Atmospheric Zone Options",
         .rect = {14, 35, 309, 252}},
        {.id = IDC_ZONE_GRID,
         .kind = ControlKind::Custom,
         .rect = {20, 98, 296, 181},
         .style = Tab,
         .className = GridClass},
        {.id = IDC_SERIES_ENTRIES, .kind = ControlKind::Edit, .rect = {22, 76, 40, 14}, .style = EntriesStyle},
        {.id = IDC_SERIES_UPDATE_ENTRIES,
         .kind = ControlKind::PushButton,
         .text = "Update # of Entries",
         .rect = {65, 76, 88, 14},
         .style = Tab},
    };
}

}  // namespace

void RegisterSeriesEditorDialogs()
{
    static const bool registered = [] {
        static const DialogTemplate dialogs[] = {
            {.id = IDD_EDIT_INFLOW_BC,
             .caption = "Edit Inflow Boundary Condition",
             .size = {0, 0, 241, 315},
             .controls = BoundaryControls(IDC_SERIES_GROUP, "Inflow Boundary Options", "Boundary Name")},
            {.id = IDD_EDIT_WQ_INFLOW_BC,
             .caption = "Edit WQ Inflow Boundary Condition",
             .size = {0, 0, 241, 315},
             .controls = BoundaryControls(IDC_SERIES_GROUP, "Inflow Boundary Options", "Boundary Name")},
            {.id = IDD_EDIT_OUTFLOW_BC,
             .caption = "Edit Outflow Boundary Condition",
             .size = {0, 0, 241, 315},
             .controls = BoundaryControls(IDC_SERIES_OUTFLOW_GROUP, "Outflow Boundary Options", "Boundary Name")},
            {.id = IDD_EDIT_ATMOSPHERIC_ZONE,
             .caption = "Edit Atmospheric Zone",
             .size = {0, 0, 339, 315},
             .controls = ZoneControls()},
        };
        RegisterResources(
            {.dialogs = dialogs, .menus = {}, .toolbars = {}, .accelerators = {}, .strings = {}, .images = {}});
        return true;
    }();
    (void)registered;
}
