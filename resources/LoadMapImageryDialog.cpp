// The Load Georeferenced Map Imagery dialog's template: the image's and the world file's names
// (read-only) with their Browse buttons, Load and Cancel.
#include "resources/LoadMapImageryDialog.h"

#include "platform/Resources.h"
#include "resources/ResourceIds.h"

namespace {

constexpr int Static = -1;
constexpr DWORD Field = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD ReadOnly = WS_VISIBLE | ES_READONLY;

const DialogTemplate Dialogs[] = {
    {.id = IDD_LOAD_MAP_IMAGERY,
     .caption = "Load Georeferenced Map Imagery",
     .size = {0, 0, 199, 176},
     .controls = {
         {.id = Static, .kind = ControlKind::Static, .text = "Map Imagery file name:", .rect = {10, 14, 150, 8}},
         {.id = IDC_MAP_IMAGE_PATH, .kind = ControlKind::Edit, .rect = {10, 25, 179, 14}, .style = ReadOnly},
         {.id = IDC_MAP_IMAGE_BROWSE, .kind = ControlKind::PushButton, .text = "Browse...", .rect = {139, 43, 50, 14}, .style = Field},
         {.id = Static, .kind = ControlKind::Static, .text = "World file name:", .rect = {10, 74, 150, 8}},
         {.id = IDC_MAP_WORLD_FILE_PATH, .kind = ControlKind::Edit, .rect = {10, 85, 179, 14}, .style = ReadOnly},
         {.id = IDC_MAP_WORLD_FILE_BROWSE, .kind = ControlKind::PushButton, .text = "Browse...", .rect = {139, 103, 50, 14}, .style = Field},
         {.id = IDOK, .kind = ControlKind::PushButton, .text = "Load", .rect = {43, 148, 50, 14}, .style = Field | BS_DEFPUSHBUTTON},
         {.id = IDCANCEL, .kind = ControlKind::PushButton, .text = "Cancel", .rect = {106, 148, 50, 14}, .style = Field},
     }},
};

}  // namespace

void RegisterLoadMapImageryDialog()
{
    static const bool registered = [] {
        RegisterResources({.dialogs = Dialogs});
        return true;
    }();
    (void)registered;
}
