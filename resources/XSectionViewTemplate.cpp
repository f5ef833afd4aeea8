// The cross-section editor's form: 831 x 476 dialog units, the five group boxes without text.
#include "resources/XSectionViewTemplate.h"

#include "platform/Resources.h"

#include <vector>

namespace {

constexpr int Static = -1;
constexpr DWORD Field = WS_VISIBLE | WS_TABSTOP;
constexpr DWORD List = Field | WS_VSCROLL;

// The window classes of the template's custom controls.
constexpr const char* GridClass = "MFCGridCtrl";
constexpr const char* ChartClass = "MFCXSectionChartCtrl";

std::vector<ControlTemplate> Controls()
{
    return {
        {.id = Static, .kind = ControlKind::Static, .text = "Node", .rect = {11, 9, 18, 8}},
        {.id = IDC_XSECTION_NODE, .kind = ControlKind::ComboList, .rect = {48, 7, 126, 57}, .style = List},
        {.id = IDC_XSECTION_APPLY,
         .kind = ControlKind::PushButton,
         .text = "Apply Changes",
         .rect = {737, 7, 87, 14},
         .style = Field},
        {.id = IDC_XSECTION_POINTS_GROUP, .kind = ControlKind::GroupBox, .rect = {7, 20, 169, 449}},
        {.id = Static, .kind = ControlKind::Static, .text = "Section Data", .rect = {11, 32, 50, 8}},
        {.id = IDC_XSECTION_POINT_COUNT, .kind = ControlKind::ComboList, .rect = {62, 28, 109, 57}, .style = List},
        {.id = IDC_XSECTION_POINTS,
         .kind = ControlKind::Custom,
         .rect = {7, 46, 164, 423},
         .style = Field,
         .className = GridClass},
        {.id = IDC_XSECTION_BANK_GROUP, .kind = ControlKind::GroupBox, .rect = {176, 20, 156, 88}},
        {.id = Static, .kind = ControlKind::Static, .text = "Bank Stations", .rect = {184, 32, 60, 8}},
        {.id = IDC_XSECTION_BANKS,
         .kind = ControlKind::Custom,
         .rect = {180, 46, 148, 30},
         .style = Field,
         .className = GridClass},
        {.id = IDC_XSECTION_ROUGHNESS_GROUP, .kind = ControlKind::GroupBox, .rect = {331, 20, 315, 88}},
        {.id = Static, .kind = ControlKind::Static, .text = "Roughness Table", .rect = {339, 32, 56, 8}},
        {.id = IDC_XSECTION_ROUGHNESS_COUNT, .kind = ControlKind::ComboList, .rect = {551, 28, 90, 57}, .style = List},
        {.id = IDC_XSECTION_ROUGHNESS,
         .kind = ControlKind::Custom,
         .rect = {335, 46, 306, 56},
         .style = Field,
         .className = GridClass},
        {.id = IDC_XSECTION_SINUOSITY_GROUP, .kind = ControlKind::GroupBox, .rect = {645, 20, 179, 88}},
        {.id = Static, .kind = ControlKind::Static, .text = "Sinuosity Table", .rect = {654, 32, 49, 8}},
        {.id = IDC_XSECTION_SINUOSITY_COUNT, .kind = ControlKind::ComboList, .rect = {727, 28, 90, 57}, .style = List},
        {.id = IDC_XSECTION_SINUOSITY,
         .kind = ControlKind::Custom,
         .rect = {650, 46, 168, 56},
         .style = Field,
         .className = GridClass},
        {.id = IDC_XSECTION_PROPERTIES_GROUP, .kind = ControlKind::GroupBox, .rect = {176, 104, 648, 143}},
        {.id = Static,
         .kind = ControlKind::Static,
         .text = "Cross Section Properties Table",
         .rect = {184, 115, 98, 8}},
        {.id = IDC_XSECTION_LEVEL_COUNT, .kind = ControlKind::ComboList, .rect = {715, 112, 109, 57}, .style = List},
        {.id = IDC_XSECTION_PROPERTIES,
         .kind = ControlKind::Custom,
         .rect = {180, 129, 644, 112},
         .style = Field,
         .className = GridClass},
        {.id = IDC_XSECTION_CHART,
         .kind = ControlKind::Custom,
         .rect = {180, 251, 644, 218},
         .style = WS_VISIBLE,
         .className = ChartClass},
    };
}

}  // namespace

void RegisterXSectionViewTemplate()
{
    static const DialogTemplate dialogs[] = {
        {.id = IDD_XSECTION_VIEW, .size = {0, 0, 831, 476}, .style = WS_CHILD, .controls = Controls()},
    };
    static const bool registered = [] {
        RegisterResources({.dialogs = dialogs});
        return true;
    }();
    (void)registered;
}
