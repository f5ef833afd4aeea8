// The node table's form and the Set Values dialog.
#include "resources/NodeTableDialogs.h"

#include "platform/Resources.h"

namespace {

constexpr int Static = -1;
constexpr DWORD Field = WS_VISIBLE | WS_TABSTOP;
// The grid's window class on templates (the grid registers it when the first grid is made).
constexpr const char* GridClass = "MFCGridCtrl";

}  // namespace

void RegisterNodeTableDialogs()
{
    static const DialogTemplate dialogs[] = {
        {.id = IDD_NODE_TABLE_VIEW,
         .caption = "",
         .size = {0, 0, 320, 200},
         .style = WS_CHILD,
         .controls = {{.id = IDC_NODE_TABLE_GRID,
                       .kind = ControlKind::Custom,
                       .rect = {0, 0, 320, 200},
                       .style = Field,
                       .className = GridClass}}},
        {.id = IDD_SET_NODE_TABLE_VALUES,
         .caption = "Dialog",
         .size = {0, 0, 186, 66},
         .controls = {{.id = Static,
                       .kind = ControlKind::Static,
                       .text = "Enter a value to set cells in the selected range",
                       .rect = {7, 9, 172, 8}},
                      {.id = IDC_SET_VALUES_VALUE, .kind = ControlKind::Edit, .rect = {7, 22, 100, 14}, .style = Field},
                      {.id = IDOK,
                       .kind = ControlKind::PushButton,
                       .text = "OK",
                       .rect = {74, 45, 50, 14},
                       .style = Field | BS_DEFPUSHBUTTON},
                      {.id = IDCANCEL,
                       .kind = ControlKind::PushButton,
                       .text = "Cancel",
                       .rect = {129, 45, 50, 14},
                       .style = Field}}},
    };
    static const bool registered = [] {
        RegisterResources({.dialogs = dialogs});
        return true;
    }();
    (void)registered;
}
