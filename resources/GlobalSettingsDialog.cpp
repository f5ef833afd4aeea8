// The templates of Global Settings and File Options. Global Settings holds every row of every
// file type in its four columns; the dialog shows, hides and moves them by the model's type.
#include "resources/GlobalSettingsDialog.h"

#include "platform/Resources.h"
#include "resources/ResourceIds.h"

namespace {

constexpr int FieldWidth = 140;
constexpr int FieldHeight = 12;
// Two lines: the longest label ("Maximum Allowable Change in Discharge for Solution of JSE")
// wraps, on the last row of its column.
constexpr int LabelHeight = 18;
// Space between a label's end and its field.
constexpr int LabelGap = 4;
// The open list of a drop-down list.
constexpr int ComboListHeight = 60;
constexpr int ButtonWidth = 50;
constexpr int ButtonHeight = 14;

ControlKind KindOf(SettingsControl control)
{
    switch (control) {
    case SettingsControl::Combo: return ControlKind::ComboList;
    case SettingsControl::DateTime: return ControlKind::DateTimePicker;
    case SettingsControl::Number:
    case SettingsControl::Integer: break;
    }
    return ControlKind::Edit;
}

std::vector<ControlTemplate> GlobalSettingsControls()
{
    std::vector<ControlTemplate> controls;
    for (const GlobalSettingsRow& row : GlobalSettingsRows) {
        const int labelX = GlobalSettingsLabelX[row.column - 1];
        const int fieldX = GlobalSettingsFieldX[row.column - 1];
        controls.push_back({.id = row.id + GlobalSettingsLabelOffset, .kind = ControlKind::Static, .text = row.label,
                            .rect = {labelX, row.y + 2, fieldX - LabelGap - labelX, LabelHeight},
                            .style = WS_VISIBLE | SS_NOPREFIX});
        const ControlKind kind = KindOf(row.control);
        const int height = kind == ControlKind::ComboList ? ComboListHeight : FieldHeight;
        controls.push_back({.id = row.id, .kind = kind, .rect = {fieldX, row.y, FieldWidth, height},
                            .style = WS_VISIBLE | WS_TABSTOP | WS_BORDER});
    }
    controls.push_back({.id = IDOK, .kind = ControlKind::PushButton, .text = "OK",
                        .rect = {GlobalSettingsOkX, GlobalSettingsButtonY, ButtonWidth, ButtonHeight},
                        .style = WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON});
    controls.push_back({.id = IDCANCEL, .kind = ControlKind::PushButton, .text = "Cancel",
                        .rect = {GlobalSettingsCancelX, GlobalSettingsButtonY, ButtonWidth, ButtonHeight},
                        .style = WS_VISIBLE | WS_TABSTOP});
    return controls;
}

std::vector<ControlTemplate> FileOptionsControls()
{
    return {
        {.id = -1, .kind = ControlKind::Static, .text = "Vasquil File Type:", .rect = {31, 29, 72, 9}},
        {.id = IDC_FILE_TYPE_LIST, .kind = ControlKind::ComboList, .rect = {107, 26, 128, 153},
         .style = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL},
        {.id = IDOK, .kind = ControlKind::PushButton, .text = "OK", .rect = {154, 59, ButtonWidth, ButtonHeight},
         .style = WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
        {.id = IDCANCEL, .kind = ControlKind::PushButton, .text = "Cancel",
         .rect = {208, 59, ButtonWidth, ButtonHeight}, .style = WS_VISIBLE | WS_TABSTOP},
    };
}

}  // namespace

void RegisterGlobalSettingsDialogs()
{
    static const bool registered = [] {
        static const DialogTemplate dialogs[] = {
            {.id = IDD_GLOBAL_SETTINGS,
             .caption = "Global Settings",
             .size = {0, 0, GlobalSettingsWidth, GlobalSettingsHeight},
             .controls = GlobalSettingsControls()},
            {.id = IDD_FILE_OPTIONS, .caption = "File Options", .size = {0, 0, 265, 80}, .controls = FileOptionsControls()},
        };
        RegisterResources({.dialogs = dialogs, .menus = {}, .toolbars = {}, .accelerators = {}, .strings = {}, .images = {}});
        return true;
    }();
    (void)registered;
}
