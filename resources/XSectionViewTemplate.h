// The cross-section editor's form (IDD_XSECTION_VIEW): the node combo and Apply Changes at the
// top, the points grid down the left, the bank, roughness and sinuosity grids in a row, the
// property table across and the section's chart below it.
#pragma once

#include "platform/WinTypes.h"

constexpr UINT IDD_XSECTION_VIEW = 311;

constexpr int IDC_XSECTION_POINTS = 1005;
constexpr int IDC_XSECTION_CHART = 1006;
constexpr int IDC_XSECTION_ROUGHNESS = 1010;
constexpr int IDC_XSECTION_SINUOSITY = 1011;
constexpr int IDC_XSECTION_PROPERTIES = 1012;
constexpr int IDC_XSECTION_BANKS = 1013;
constexpr int IDC_XSECTION_NODE = 1035;
constexpr int IDC_XSECTION_ROUGHNESS_COUNT = 1036;
constexpr int IDC_XSECTION_SINUOSITY_COUNT = 1037;
constexpr int IDC_XSECTION_LEVEL_COUNT = 1038;
constexpr int IDC_XSECTION_APPLY = 1039;
constexpr int IDC_XSECTION_POINT_COUNT = 1040;
constexpr int IDC_XSECTION_BANK_GROUP = 1041;
constexpr int IDC_XSECTION_ROUGHNESS_GROUP = 1042;
constexpr int IDC_XSECTION_SINUOSITY_GROUP = 1043;
constexpr int IDC_XSECTION_PROPERTIES_GROUP = 1044;
constexpr int IDC_XSECTION_POINTS_GROUP = 1045;

// Registers the template; later calls do nothing. The window classes of its grids and chart
// must be registered before a form is built from it.
void RegisterXSectionViewTemplate();
