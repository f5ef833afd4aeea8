// Ids of the program's resources and commands, shared by the resource tables, the code that
// handles them and the tests.
#pragma once

#include "platform/WinTypes.h"

// The document's commands that the framework does not name, and the New File dialog with its
// controls.
constexpr UINT ID_DISPLAY_QW_AS_QFLUX = 32794;

constexpr UINT IDD_NEW_FILE = 342;
constexpr int IDC_NEW_BOTTOM_WIDTH = 1333;
constexpr int IDC_NEW_BANK_HEIGHT = 1334;
constexpr int IDC_NEW_SIDE_SLOPE = 1335;
constexpr int IDC_NEW_INFLOW_INVERT = 1336;
constexpr int IDC_NEW_OUTFLOW_INVERT = 1337;
constexpr int IDC_NEW_ROUGHNESS = 1196;
constexpr int IDC_NEW_SPACING = 1197;
constexpr int IDC_NEW_NODE_COUNT = 1198;
constexpr int IDC_NEW_INFLOW_DISCHARGE = 1199;
constexpr int IDC_NEW_OUTFLOW_STAGE = 1200;
constexpr int IDC_NEW_PATH = 1349;
constexpr int IDC_NEW_BROWSE = 1350;
