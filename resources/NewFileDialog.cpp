// The New File dialog's template. Labels carry fixed units: a new model is always metric.
#include "resources/NewFileDialog.h"

#include "platform/Resources.h"
#include "resources/ResourceIds.h"

namespace {

constexpr int Static = -1;
constexpr DWORD Field = WS_VISIBLE | WS_TABSTOP;

// Rows of the ten numbers: labels at x 10, edits 65 x 12 at x 151.
constexpr int FirstRow = 36;
constexpr int RowStep = 15;
constexpr int LabelX = 10;
constexpr int LabelWidth = 138;
constexpr int EditX = 151;

ControlTemplate Label(int row, const char* text)
{
    return {.id = Static, .kind = ControlKind::Static, .text = text, .rect = {LabelX, FirstRow + row * RowStep + 2, LabelWidth, 8}};
}

ControlTemplate Number(int row, int id)
{
    return {.id = id, .kind = ControlKind::Edit, .rect = {EditX, FirstRow + row * RowStep, 65, 12}, .style = Field};
}

const DialogTemplate Dialogs[] = {
    {.id = IDD_NEW_FILE,
     .caption = "New File Dialog",
     .size = {0, 0, 223, 275},
     .controls = {
         {.id = Static, .kind = ControlKind::Static, .text = "Trapezoidal Channel File Inputs:", .rect = {10, 22, 150, 8}},
         Label(0, "Bottom Width (m)"),
         Number(0, IDC_NEW_BOTTOM_WIDTH),
         Label(1, "Bank Height, above channel bottom (m)"),
         Number(1, IDC_NEW_BANK_HEIGHT),
         Label(2, "Side Slope (H/V)"),
         Number(2, IDC_NEW_SIDE_SLOPE),
         Label(3, "Invert Elevation at Inflow (m)"),
         Number(3, IDC_NEW_INFLOW_INVERT),
         Label(4, "Invert Elevation at Outflow (m)"),
         Number(4, IDC_NEW_OUTFLOW_INVERT),
         Label(5, "Manning's Roughness"),
         Number(5, IDC_NEW_ROUGHNESS),
         Label(6, "Discretization, \u0394x (km)"),
         Number(6, IDC_NEW_SPACING),
         Label(7, "Number of Nodes"),
         Number(7, IDC_NEW_NODE_COUNT),
         Label(8, "Inflow Discharge (cms)"),
         Number(8, IDC_NEW_INFLOW_DISCHARGE),
         Label(9, "Outflow Water Surface Elevation  (m)"),
         Number(9, IDC_NEW_OUTFLOW_STAGE),
         {.id = Static, .kind = ControlKind::Static, .text = "Vasquil file name:", .rect = {10, 194, 120, 8}},
         {.id = IDC_NEW_PATH, .kind = ControlKind::Edit, .rect = {10, 205, 206, 14}, .style = WS_VISIBLE | ES_READONLY},
         {.id = IDC_NEW_BROWSE, .kind = ControlKind::PushButton, .text = "Browse...", .rect = {166, 221, 50, 14}, .style = Field},
         {.id = IDOK, .kind = ControlKind::PushButton, .text = "Create", .rect = {45, 247, 50, 14}, .style = Field | BS_DEFPUSHBUTTON},
         {.id = IDCANCEL, .kind = ControlKind::PushButton, .text = "Cancel", .rect = {127, 247, 50, 14}, .style = Field},
     }},
};

}  // namespace

void RegisterNewFileDialog()
{
    static const bool registered = [] {
        RegisterResources({.dialogs = Dialogs, .menus = {}, .toolbars = {}, .accelerators = {}, .strings = {}, .images = {}});
        return true;
    }();
    (void)registered;
}
