// The HEC-RAS Geometry File Converter dialog's template. The unit texts stand beside the depth
// and discharge fields; the radio group lists Imperial first (choice 0), then Metric (1).
#include "resources/HECRASConvertDialog.h"

#include "platform/Resources.h"
#include "resources/ResourceIds.h"

namespace {

constexpr int Static = -1;
constexpr DWORD Field = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD FirstOfGroup = Field | WS_GROUP;
constexpr DWORD ReadOnly = WS_VISIBLE | ES_READONLY;

// The two number rows: label, field and unit text.
constexpr int DepthRow = 150;
constexpr int DischargeRow = 168;
constexpr int NumberX = 85;
constexpr int UnitX = 150;

const DialogTemplate Dialogs[] = {
    {.id = IDD_HECRAS_CONVERT,
     .caption = "HEC-RAS Geometry File Converter Dialog",
     .size = {0, 0, 201, 221},
     .controls = {
         {.id = Static, .kind = ControlKind::Static, .text = "HEC-RAS Geometry file name:", .rect = {10, 10, 150, 8}},
         {.id = IDC_HECRAS_GEOMETRY_PATH, .kind = ControlKind::Edit, .rect = {10, 21, 181, 14}, .style = ReadOnly},
         {.id = IDC_HECRAS_GEOMETRY_BROWSE, .kind = ControlKind::PushButton, .text = "Browse...", .rect = {141, 38, 50, 14}, .style = Field},
         {.id = Static, .kind = ControlKind::Static, .text = "Vasquil file name:", .rect = {10, 58, 150, 8}},
         {.id = IDC_HECRAS_OUTPUT_PATH, .kind = ControlKind::Edit, .rect = {10, 69, 181, 14}, .style = ReadOnly},
         {.id = IDC_HECRAS_OUTPUT_BROWSE, .kind = ControlKind::PushButton, .text = "Browse...", .rect = {141, 86, 50, 14}, .style = Field},
         {.id = Static, .kind = ControlKind::GroupBox, .text = "HEC-RAS Geometry file system of units", .rect = {10, 106, 181, 32}},
         {.id = IDC_HECRAS_IMPERIAL, .kind = ControlKind::RadioButton, .text = "Imperial", .rect = {24, 121, 60, 10}, .style = FirstOfGroup},
         {.id = IDC_HECRAS_METRIC, .kind = ControlKind::RadioButton, .text = "Metric", .rect = {110, 121, 60, 10}, .style = Field},
         {.id = Static, .kind = ControlKind::Static, .text = "Initial Depth", .rect = {10, DepthRow + 2, 70, 8}},
         {.id = IDC_HECRAS_DEPTH, .kind = ControlKind::Edit, .rect = {NumberX, DepthRow, 60, 12}, .style = Field},
         {.id = IDC_HECRAS_LENGTH_UNIT, .kind = ControlKind::Edit, .rect = {UnitX, DepthRow, 30, 12}, .style = ReadOnly},
         {.id = Static, .kind = ControlKind::Static, .text = "Initial Discharge", .rect = {10, DischargeRow + 2, 70, 8}},
         {.id = IDC_HECRAS_DISCHARGE, .kind = ControlKind::Edit, .rect = {NumberX, DischargeRow, 60, 12}, .style = Field},
         {.id = IDC_HECRAS_DISCHARGE_UNIT, .kind = ControlKind::Edit, .rect = {UnitX, DischargeRow, 30, 12}, .style = ReadOnly},
         {.id = IDOK, .kind = ControlKind::PushButton, .text = "Convert", .rect = {40, 197, 50, 14}, .style = Field | BS_DEFPUSHBUTTON},
         {.id = IDCANCEL, .kind = ControlKind::PushButton, .text = "Cancel", .rect = {111, 197, 50, 14}, .style = Field},
     }},
};

}  // namespace

void RegisterHECRASConvertDialog()
{
    static const bool registered = [] {
        RegisterResources({.dialogs = Dialogs, .menus = {}, .toolbars = {}, .accelerators = {}, .strings = {}, .images = {}});
        return true;
    }();
    (void)registered;
}
