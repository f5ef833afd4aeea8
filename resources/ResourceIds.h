// Ids of the program's resources and commands, shared by the resource tables, the code that
// handles them and the tests.
#pragma once

#include "platform/WinTypes.h"

// ---- Application start-up, the main frame, its menu, toolbars and status bar, and the About
// box. The framework's own commands (New, Open, Copy, About, ...) are in platform/WinTypes.h.

// The main frame: menu, accelerators, icon and the document type's string.
constexpr UINT IDR_MAINFRAME = 128;
// The standard toolbar in 256 colours (IDR_MAINFRAME is its 16-colour form).
constexpr UINT IDR_MAINFRAME_256 = 129;
constexpr UINT IDR_ZOOM_TOOLBAR = 306;
constexpr UINT IDR_TABLE_TOOLBAR = 307;
constexpr UINT IDR_EDITBC_TOOLBAR = 308;
// Button images of the toolbars (2000 + the toolbar's id).
constexpr UINT IDB_MAINFRAME_TOOLBAR = 2128;
constexpr UINT IDB_MAINFRAME_TOOLBAR_256 = 2129;
constexpr UINT IDB_ZOOM_TOOLBAR = 2306;
constexpr UINT IDB_TABLE_TOOLBAR = 2307;
constexpr UINT IDB_EDITBC_TOOLBAR = 2308;

// The About box, its picture and its icon.
constexpr UINT IDD_ABOUTBOX = 100;
constexpr UINT IDB_ABOUT_PICTURE = 312;
constexpr UINT IDI_ABOUT_ICON = 313;
constexpr int IDC_ABOUT_PICTURE = 1001;
constexpr int IDC_ABOUT_ICON = 1002;
constexpr int IDC_ABOUT_PURPOSE = 1003;
constexpr int IDC_ABOUT_UPDATED = 1004;

// Strings of the frame.
constexpr UINT IDS_TOOLBAR_STANDARD = 124;
constexpr UINT IDS_TOOLBAR_CUSTOMIZE = 125;
constexpr UINT IDS_EDIT_MENU = 306;

// The frame's customise command (the pane menu's last entry).
constexpr UINT ID_VIEW_CUSTOMIZE = 126;

// Commands of the main menu and the toolbars.
constexpr UINT ID_PROFILE_VIEW_OPTIONS = 32771;
constexpr UINT ID_SIMULATION_TRANSIENT = 32772;
constexpr UINT ID_SIMULATION_STEADY = 32773;
constexpr UINT ID_SIMULATION_OUTPUT_OPTIONS = 32774;
constexpr UINT ID_PLAN_VIEW_OPTIONS = 32775;
constexpr UINT ID_FILE_TYPE_OPTIONS = 32776;
constexpr UINT ID_ZOOM_SCALE_TO_FIT = 32777;
constexpr UINT ID_ZOOM_RECTANGLE = 32778;
constexpr UINT ID_ZOOM_POINT = 32779;
constexpr UINT ID_ZOOM_OUT = 32780;
constexpr UINT ID_TABLE_ACCEPT_CHANGES = 32781;
constexpr UINT ID_TABLE_REJECT_CHANGES = 32782;
constexpr UINT ID_TABLE_AUTO_SIZE = 32783;
constexpr UINT ID_TABLE_EXPAND_TO_FIT = 32784;
constexpr UINT ID_EDIT_BOUNDARY_CONDITIONS = 32789;
constexpr UINT ID_TABLE_SET_VALUES = 32790;
constexpr UINT ID_HYDROGRAPH_VIEW_OPTIONS = 32791;
constexpr UINT ID_FILE_CONVERT_HECRAS = 32792;
constexpr UINT ID_DISPLAY_QW_AS_QFLUX = 32794;
constexpr UINT ID_SIMULATION_GLOBAL_SETTINGS = 32795;
constexpr UINT ID_TABLE_SHOW_OUTPUT_NODES = 32796;
constexpr UINT ID_EDIT_ATMOSPHERIC_ZONE = 32797;
constexpr UINT ID_SIMULATION_EDIT_MANNINGS_N = 32798;
constexpr UINT ID_FILE_LOAD_MAP_IMAGERY = 32801;
constexpr UINT ID_WQ_OPEN_DATA = 32802;
constexpr UINT ID_WQ_TRANSIENT_SIMULATION = 32803;
constexpr UINT ID_WQ_GLOBAL_SETTINGS = 32804;
constexpr UINT ID_WQ_USE_DATABASE_SOLUTION = 32809;
constexpr UINT ID_WQ_LOAD_DATABASE_SOLUTION = 32811;
constexpr UINT ID_WQ_SAVE_DATA = 32814;
constexpr UINT ID_EDIT_WQ_BOUNDARY_CONDITIONS = 32816;
constexpr UINT ID_SIMULATION_EDIT_BRIDGING_EVENTS = 32821;

// ---- The New File dialog and its controls.
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

// ---- The HEC-RAS Geometry File Converter dialog and its controls.
constexpr UINT IDD_HECRAS_CONVERT = 205;
constexpr int IDC_HECRAS_GEOMETRY_PATH = 1147;
constexpr int IDC_HECRAS_OUTPUT_PATH = 1148;
constexpr int IDC_HECRAS_GEOMETRY_BROWSE = 1149;
constexpr int IDC_HECRAS_OUTPUT_BROWSE = 1150;
constexpr int IDC_HECRAS_METRIC = 1152;
constexpr int IDC_HECRAS_IMPERIAL = 1153;
constexpr int IDC_HECRAS_LENGTH_UNIT = 1154;
constexpr int IDC_HECRAS_DISCHARGE_UNIT = 1110;
constexpr int IDC_HECRAS_DEPTH = 1155;
constexpr int IDC_HECRAS_DISCHARGE = 1064;

// ---- The main tabbed view and the profile view.

// The main view's context menu: one popup "Edit" with Copy and Paste.
constexpr UINT IDR_POPUP_EDIT = 119;

// The Profile View Options dialog and its controls.
constexpr UINT IDD_PROFILE_VIEW_OPTIONS = 130;
constexpr int IDC_PROFILE_REACH_GROUP = 1178;
constexpr int IDC_PROFILE_REACH = 1145;
constexpr int IDC_PROFILE_TOP_CHART = 1134;
constexpr int IDC_PROFILE_TOP_VARIABLE_LABEL = 1176;
constexpr int IDC_PROFILE_TOP_VARIABLE = 1146;
constexpr int IDC_PROFILE_TOP_X_GROUP = 1195;
constexpr int IDC_PROFILE_TOP_X_AUTO = 1179;
constexpr int IDC_PROFILE_TOP_X_FIXED = 1180;
constexpr int IDC_PROFILE_TOP_X_MIN_LABEL = 1187;
constexpr int IDC_PROFILE_TOP_X_MAX_LABEL = 1188;
constexpr int IDC_PROFILE_TOP_X_MIN = 1101;
constexpr int IDC_PROFILE_TOP_X_MAX = 1103;
constexpr int IDC_PROFILE_TOP_Y_GROUP = 1196;
constexpr int IDC_PROFILE_TOP_Y_AUTO = 1181;
constexpr int IDC_PROFILE_TOP_Y_FIXED = 1182;
constexpr int IDC_PROFILE_TOP_Y_MIN_LABEL = 1189;
constexpr int IDC_PROFILE_TOP_Y_MAX_LABEL = 1190;
constexpr int IDC_PROFILE_TOP_Y_MIN = 1107;
constexpr int IDC_PROFILE_TOP_Y_MAX = 1108;
constexpr int IDC_PROFILE_BOTTOM_CHART = 1135;
constexpr int IDC_PROFILE_PARAMETER_CHART = 1174;
constexpr int IDC_PROFILE_ELEVATION_CHART = 1175;
constexpr int IDC_PROFILE_BOTTOM_VARIABLE_LABEL = 1177;
constexpr int IDC_PROFILE_BOTTOM_VARIABLE = 1147;
constexpr int IDC_PROFILE_SHOW_BED = 1083;
constexpr int IDC_PROFILE_SHOW_WATER_SURFACE = 1081;
constexpr int IDC_PROFILE_SHOW_ICE = 1084;
constexpr int IDC_PROFILE_BOTTOM_X_GROUP = 1197;
constexpr int IDC_PROFILE_BOTTOM_X_AUTO = 1183;
constexpr int IDC_PROFILE_BOTTOM_X_FIXED = 1184;
constexpr int IDC_PROFILE_BOTTOM_X_MIN_LABEL = 1191;
constexpr int IDC_PROFILE_BOTTOM_X_MAX_LABEL = 1192;
constexpr int IDC_PROFILE_BOTTOM_X_MIN = 1091;
constexpr int IDC_PROFILE_BOTTOM_X_MAX = 1092;
constexpr int IDC_PROFILE_BOTTOM_Y_GROUP = 1198;
constexpr int IDC_PROFILE_BOTTOM_Y_AUTO = 1185;
constexpr int IDC_PROFILE_BOTTOM_Y_FIXED = 1186;
constexpr int IDC_PROFILE_BOTTOM_Y_MIN_LABEL = 1199;
constexpr int IDC_PROFILE_BOTTOM_Y_MAX_LABEL = 1194;
constexpr int IDC_PROFILE_BOTTOM_Y_MIN = 1095;
constexpr int IDC_PROFILE_BOTTOM_Y_MAX = 1019;
constexpr int IDC_PROFILE_TITLE_GROUP = 1024;
constexpr int IDC_PROFILE_TITLE_REACH_NAME = 1022;
constexpr int IDC_PROFILE_TITLE_MODEL_TIME = 1023;
constexpr int IDC_PROFILE_TITLE_CALENDAR = 1393;
constexpr int IDC_PROFILE_EVENT_LINES = 1045;
constexpr int IDC_PROFILE_LEGEND = 1047;

// ---- The plan view: its cursors and its options dialog.

// The cursors of the zoom modes and of the edit modes.
constexpr UINT IDC_ZOOM_CURSOR = 316;
constexpr UINT IDC_EDIT_CURSOR = 322;

// The Plan View Options dialog and its controls.
constexpr UINT IDD_PLAN_VIEW_OPTIONS = 317;
constexpr int IDC_PLAN_REACH_GROUP = 1178;
constexpr int IDC_PLAN_REACH = 1145;
constexpr int IDC_PLAN_SHOW_PARAMETER = 1020;
constexpr int IDC_PLAN_VARIABLE = 1021;
constexpr int IDC_PLAN_SHOW_NODES = 1011;
constexpr int IDC_PLAN_SHOW_ELEMENTS = 1012;
constexpr int IDC_PLAN_SHOW_BOUNDARY_ELEMENTS = 1013;
constexpr int IDC_PLAN_SHOW_JUNCTIONS = 1014;
constexpr int IDC_PLAN_NODE_NUMBERS = 1015;
constexpr int IDC_PLAN_ELEMENT_NUMBERS = 1016;
constexpr int IDC_PLAN_BOUNDARY_ELEMENT_NUMBERS = 1017;
constexpr int IDC_PLAN_JUNCTION_NUMBERS = 1018;
constexpr int IDC_PLAN_NODE_STATIONING = 1027;
constexpr int IDC_PLAN_REACH_NUMBERS = 1028;
constexpr int IDC_PLAN_FLOW_ARROWS = 1019;
constexpr int IDC_PLAN_MAP_IMAGE = 1024;
constexpr int IDC_PLAN_LEGEND = 1022;
constexpr int IDC_PLAN_SCALE_BAR = 1023;
constexpr int IDC_PLAN_TITLE_GROUP = 1029;
constexpr int IDC_PLAN_TITLE_REACH_NAME = 1026;
constexpr int IDC_PLAN_TITLE_MODEL_TIME = 1025;
constexpr int IDC_PLAN_TITLE_CALENDAR = 1393;

// ---- The Load Georeferenced Map Imagery dialog and its controls.
constexpr UINT IDD_LOAD_MAP_IMAGERY = 334;
constexpr int IDC_MAP_IMAGE_PATH = 1198;
constexpr int IDC_MAP_IMAGE_BROWSE = 1199;
constexpr int IDC_MAP_WORLD_FILE_PATH = 1201;
constexpr int IDC_MAP_WORLD_FILE_BROWSE = 1203;

// ---- The run dialogs (steady and transient) and the Output Options dialog.
constexpr UINT IDD_RUN_TRANSIENT = 133;
constexpr UINT IDD_OUTPUT_OPTIONS = 137;
constexpr UINT IDD_RUN_STEADY = 146;

// Both run dialogs: Run, which reads Stop and Stopping... during a run; the line that names
// the series a run went past the end of.
constexpr int IDC_RUN_BUTTON = 1010;
constexpr int IDC_RUN_SERIES_ENDS = 1240;

// The transient run dialog: times, then the hydrodynamic and the additional (ice) solution.
constexpr int IDC_TRANS_PRESENT_TIME = 1003;
constexpr int IDC_TRANS_FINAL_TIME = 1004;
constexpr int IDC_TRANS_TIME_STEP = 1005;
constexpr int IDC_TRANS_MAX_TIME_STEP = 1006;
constexpr int IDC_TRANS_HYDRODYNAMICS = 1134;
constexpr int IDC_TRANS_HYDRO_THETA_LABEL = 1029;
constexpr int IDC_TRANS_HYDRO_THETA = 1009;
constexpr int IDC_TRANS_HYDRO_CHANGE_LABEL = 1205;
constexpr int IDC_TRANS_HYDRO_CHANGE = 1021;
constexpr int IDC_TRANS_HYDRO_TOLERANCE_LABEL = 1206;
constexpr int IDC_TRANS_HYDRO_TOLERANCE = 1158;
constexpr int IDC_TRANS_HYDRO_ITERATIONS_LABEL = 1207;
constexpr int IDC_TRANS_HYDRO_ITERATIONS = 1159;
constexpr int IDC_TRANS_HYDRO_MAX_ITERATIONS_LABEL = 1209;
constexpr int IDC_TRANS_HYDRO_MAX_ITERATIONS = 1160;
constexpr int IDC_TRANS_ADDITIONAL = 1135;
constexpr int IDC_TRANS_ADDITIONAL_CAPTION = 1032;
constexpr int IDC_TRANS_ADD_THETA_LABEL = 1027;
constexpr int IDC_TRANS_ADD_THETA = 1011;
constexpr int IDC_TRANS_ADD_CHANGE_LABEL = 1211;
constexpr int IDC_TRANS_ADD_CHANGE = 1014;
constexpr int IDC_TRANS_ADD_TOLERANCE_LABEL = 1212;
constexpr int IDC_TRANS_ADD_TOLERANCE = 1016;
constexpr int IDC_TRANS_ADD_ITERATIONS_LABEL = 1213;
constexpr int IDC_TRANS_ADD_ITERATIONS = 1013;
constexpr int IDC_TRANS_ADD_MAX_ITERATIONS_LABEL = 1215;
constexpr int IDC_TRANS_ADD_MAX_ITERATIONS = 1015;

// The steady run dialog.
constexpr int IDC_STEADY_PRESENT_STEP = 1030;
constexpr int IDC_STEADY_FINAL_STEP = 1031;
constexpr int IDC_STEADY_TIME_STEP = 1005;
constexpr int IDC_STEADY_MAX_TIME_STEP = 1006;
constexpr int IDC_STEADY_CHANGE = 1012;
constexpr int IDC_STEADY_TOLERANCE = 1008;
constexpr int IDC_STEADY_ITERATIONS = 1011;
constexpr int IDC_STEADY_MAX_ITERATIONS = 1007;
constexpr int IDC_STEADY_ICE_JAM = 1201;

// The Output Options dialog, output by output: its check box, path (a folder for the model
// files), Browse button, interval list and their labels.
constexpr int IDC_OUT_SERIES = 1012;
constexpr int IDC_OUT_SERIES_PATH_LABEL = 1032;
constexpr int IDC_OUT_SERIES_PATH = 1015;
constexpr int IDC_OUT_SERIES_BROWSE = 1016;
constexpr int IDC_OUT_SERIES_LIST_LABEL = 1033;
constexpr int IDC_OUT_SERIES_LIST = 1014;
constexpr int IDC_OUT_SERIES_FRAME = 1034;
constexpr int IDC_OUT_SNAPSHOT = 1013;
constexpr int IDC_OUT_SNAPSHOT_PATH_LABEL = 1035;
constexpr int IDC_OUT_SNAPSHOT_PATH = 1017;
constexpr int IDC_OUT_SNAPSHOT_BROWSE = 1018;
constexpr int IDC_OUT_SNAPSHOT_LIST_LABEL = 1036;
constexpr int IDC_OUT_SNAPSHOT_LIST = 1019;
constexpr int IDC_OUT_SNAPSHOT_FRAME = 1037;
constexpr int IDC_OUT_PEAK = 1020;
constexpr int IDC_OUT_PEAK_PATH_LABEL = 1038;
constexpr int IDC_OUT_PEAK_PATH = 1023;
constexpr int IDC_OUT_PEAK_BROWSE = 1022;
constexpr int IDC_OUT_ICE_FRONT = 1045;
constexpr int IDC_OUT_ICE_FRONT_PATH_LABEL = 1039;
constexpr int IDC_OUT_ICE_FRONT_PATH = 1021;
constexpr int IDC_OUT_ICE_FRONT_BROWSE = 1024;
constexpr int IDC_OUT_ICE_FRONT_LIST_LABEL = 1040;
constexpr int IDC_OUT_ICE_FRONT_LIST = 1025;
constexpr int IDC_OUT_STATE_FILES = 1046;
constexpr int IDC_OUT_STATE_FOLDER_LABEL = 1042;
constexpr int IDC_OUT_STATE_FOLDER = 1027;
constexpr int IDC_OUT_STATE_BROWSE = 1028;
constexpr int IDC_OUT_STATE_LIST_LABEL = 1041;
constexpr int IDC_OUT_STATE_LIST = 1026;
constexpr int IDC_OUT_DATABASE = 1047;
constexpr int IDC_OUT_DATABASE_PATH_LABEL = 1043;
constexpr int IDC_OUT_DATABASE_PATH = 1029;
constexpr int IDC_OUT_DATABASE_BROWSE = 1030;
constexpr int IDC_OUT_DATABASE_LIST_LABEL = 1044;
constexpr int IDC_OUT_DATABASE_LIST = 1031;
// What the last "Initialize Output" made.
constexpr int IDC_OUT_REPORT = 1241;
// The variable check boxes, in the order of the results writer's column flags; the last two
// time-series ones (the water-quality values) show only with a water-quality file loaded.
constexpr int IDC_OUT_SERIES_VARIABLES[] = {1161, 1162, 1169, 1163, 1170, 1164, 1165, 1166, 1167,
                                            1168, 1173, 1174, 1188, 1187, 1189, 1190, 1201, 1202};
constexpr int IDC_OUT_SNAPSHOT_VARIABLES[] = {1175, 1176, 1184, 1177, 1178, 1179, 1180, 1181,
                                              1182, 1183, 1185, 1186, 1191, 1192, 1193, 1194};

// ---- Water quality: the water-quality run dialog and the three settings dialogs.
constexpr UINT IDD_RUN_TRANSIENT_WQ = 335;
constexpr UINT IDD_WQ_GLOBAL_SETTINGS = 336;
constexpr UINT IDD_HM_GLOBAL_SETTINGS = 337;
constexpr UINT IDD_XE_GLOBAL_SETTINGS = 338;

// The water-quality run dialog: the transient dialog's controls (IDC_TRANS_...), the
// hydrodynamic solution's caption beside its check box, and the water-quality solution.
constexpr int IDC_WQRUN_HYDRO_CAPTION = 1031;
constexpr int IDC_WQRUN_WATER_QUALITY = 1203;
constexpr int IDC_WQRUN_THETA_LABEL = 1034;
constexpr int IDC_WQRUN_THETA = 1012;
constexpr int IDC_WQRUN_CHANGE_LABEL = 1217;
constexpr int IDC_WQRUN_CHANGE = 1017;
constexpr int IDC_WQRUN_TOLERANCE_LABEL = 1218;
constexpr int IDC_WQRUN_TOLERANCE = 1018;
constexpr int IDC_WQRUN_ITERATIONS_LABEL = 1219;
constexpr int IDC_WQRUN_ITERATIONS = 1019;
constexpr int IDC_WQRUN_MAX_ITERATIONS_LABEL = 1220;
constexpr int IDC_WQRUN_MAX_ITERATIONS = 1020;
// The settings dialogs' fields are listed with their labels in resources/WQSettingsDialogs.h.

// ---- The Hydrograph Options dialog and its controls: the output location and the variable
// shown, then the x and the y axis, each a group of Auto and Fixed with its two limits.
constexpr UINT IDD_HYDROGRAPH_VIEW_OPTIONS = 327;
constexpr int IDC_HYDRO_OUTPUT_GROUP = 1048;
constexpr int IDC_HYDRO_LOCATION = 1047;
constexpr int IDC_HYDRO_VARIABLE = 1034;
constexpr int IDC_HYDRO_X_GROUP = 1195;
constexpr int IDC_HYDRO_X_AUTO = 1179;
constexpr int IDC_HYDRO_X_FIXED = 1180;
constexpr int IDC_HYDRO_X_MIN_LABEL = 1187;
constexpr int IDC_HYDRO_X_MAX_LABEL = 1188;
constexpr int IDC_HYDRO_X_MIN = 1101;
constexpr int IDC_HYDRO_X_MAX = 1103;
constexpr int IDC_HYDRO_Y_GROUP = 1196;
constexpr int IDC_HYDRO_Y_AUTO = 1181;
constexpr int IDC_HYDRO_Y_FIXED = 1182;
constexpr int IDC_HYDRO_Y_MIN_LABEL = 1189;
constexpr int IDC_HYDRO_Y_MAX_LABEL = 1190;
constexpr int IDC_HYDRO_Y_MIN = 1107;
constexpr int IDC_HYDRO_Y_MAX = 1108;

// ---- The series editors: the inflow, outflow and water-quality inflow dialogs share one
// layout (the title above an options group holding the entry count and the grid); the
// atmospheric-zone dialog is wider and has ids of its own for its title, group and grid.
constexpr UINT IDD_EDIT_OUTFLOW_BC = 324;
constexpr UINT IDD_EDIT_INFLOW_BC = 325;
constexpr UINT IDD_EDIT_ATMOSPHERIC_ZONE = 329;
constexpr UINT IDD_EDIT_WQ_INFLOW_BC = 343;
constexpr int IDC_SERIES_TITLE = 1027;
constexpr int IDC_SERIES_GRID = 1044;
constexpr int IDC_SERIES_GROUP = 1046;
constexpr int IDC_SERIES_OUTFLOW_GROUP = 1039;
constexpr int IDC_SERIES_APPLY = 1057;
constexpr int IDC_SERIES_ENTRIES = 1391;
constexpr int IDC_SERIES_UPDATE_ENTRIES = 1392;
constexpr int IDC_ZONE_GROUP = 1157;
constexpr int IDC_ZONE_TITLE = 1158;
constexpr int IDC_ZONE_GRID = 1161;
// ---- The settings dialogs of a model and their editors of many items: Global Settings
// (its rows are listed in resources/GlobalSettingsDialog.h), File Options, Manning's n and
// the bridging events.
constexpr UINT IDD_FILE_OPTIONS = 318;
constexpr UINT IDD_GLOBAL_SETTINGS = 328;
constexpr UINT IDD_EDIT_MANNINGS = 330;
constexpr UINT IDD_EDIT_BRIDGING_EVENTS = 331;
constexpr int IDC_EDIT_APPLY = 1057;
constexpr int IDC_MANNINGS_GRID = 1196;
constexpr int IDC_BRIDGING_EVENTS_GRID = 1197;

// ---- The node table: the form of the Node Table Editor tab, one grid over all of it, and the
// Set Values dialog's one value.
constexpr UINT IDD_NODE_TABLE_VIEW = 310;
constexpr int IDC_NODE_TABLE_GRID = 1002;
constexpr UINT IDD_SET_NODE_TABLE_VALUES = 326;
constexpr int IDC_SET_VALUES_VALUE = 1033;
