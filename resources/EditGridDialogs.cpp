#include "resources/EditGridDialogs.h"

#include "platform/Resources.h"
#include "resources/ResourceIds.h"

namespace {

// The grid control's window class.
constexpr const char* GridClass = "MFCGridCtrl";

std::vector<ControlTemplate> GridDialogControls(int gridId, DialogUnits grid, int applyX, int closeX, int buttonY)
{
    return {
        {.id = IDC_EDIT_APPLY, .kind = ControlKind::PushButton, .text = "Apply", .rect = {applyX, buttonY, 50, 14},
         .style = WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
        {.id = IDCANCEL, .kind = ControlKind::PushButton, .text = "Close", .rect = {closeX, buttonY, 50, 14},
         .style = WS_VISIBLE | WS_TABSTOP},
        {.id = gridId, .kind = ControlKind::Custom, .rect = grid, .style = WS_VISIBLE | WS_TABSTOP | WS_BORDER,
         .className = GridClass},
    };
}

}  // namespace

void RegisterEditGridDialogs()
{
    static const bool registered = [] {
        static const DialogTemplate dialogs[] = {
            {.id = IDD_EDIT_BRIDGING_EVENTS,
             .caption = "Edit User Defined Bridging Events",
             .size = {0, 0, 477, 246},
             .controls = GridDialogControls(IDC_BRIDGING_EVENTS_GRID, {20, 23, 437, 193}, 353, 408, 224)},
            {.id = IDD_EDIT_MANNINGS,
             .caption = "Edit Natural Channel Manning's n Values",
             .size = {0, 0, 300, 315},
             .controls = GridDialogControls(IDC_MANNINGS_GRID, {20, 23, 260, 256}, 180, 235, 294)},
        };
        RegisterResources({.dialogs = dialogs, .menus = {}, .toolbars = {}, .accelerators = {}, .strings = {}, .images = {}});
        return true;
    }();
    (void)registered;
}
