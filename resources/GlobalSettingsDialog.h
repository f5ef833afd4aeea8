// The templates of the Global Settings dialog (every global parameter of a model, in groups by
// file type) and of the File Options dialog (the file type itself).
//
// Global Settings lays its rows out in four columns: column 1 the general rows and the first
// thermal rows, column 2 the other thermal rows, column 3 the dynamic-ice rows and column 4
// the ice-jam rows, 15 dialog units apart. Every row is a label and its control; each label has
// an id of its own (the field's id plus GlobalSettingsLabelOffset), so that the dialog hides
// and moves a label with its field.
#pragma once

// What a row's control is.
enum class SettingsControl {
    Number,    // an edit field of a number
    Integer,   // an edit field of a whole number
    Combo,     // a drop-down list
    DateTime,  // a date-time picker
};

// Which file types show a row (the dialog's layout rules go by these).
enum class SettingsGroup {
    General,     // every file type: units to water temperature
    Ice,         // the ice types (1 to 3): resistance model and specific gravity
    Thermal,     // thermal ice (3), columns 1 and 2
    DynamicIce,  // dynamic ice (2), column 3
    IceJam,      // static ice (1), column 4
};

struct GlobalSettingsRow {
    int id;
    const char* label;  // UTF-8
    SettingsControl control;
    SettingsGroup group;
    int column;  // 1 to 4
    int y;       // dialog units from the top
};

inline constexpr int GlobalSettingsLabelOffset = 2000;

// The columns' x of labels and fields, by column (index 0 for column 1).
inline constexpr int GlobalSettingsLabelX[] = {15, 358, 700, 1040};
inline constexpr int GlobalSettingsFieldX[] = {215, 558, 900, 1240};

inline constexpr int IDC_GS_UNITS = 1052;
inline constexpr int IDC_GS_START = 1396;
inline constexpr int IDC_GS_FORMULATION = 1060;
inline constexpr int IDC_GS_UPWINDING = 1058;
inline constexpr int IDC_GS_UPWINDING_UPDATING = 1084;
inline constexpr int IDC_GS_WATER_TEMPERATURE = 1061;
inline constexpr int IDC_GS_RESISTANCE = 1056;
inline constexpr int IDC_GS_SPECIFIC_GRAVITY = 1065;
inline constexpr int IDC_GS_THERMAL_UPWINDING = 1092;
inline constexpr int IDC_GS_THERMAL_UPWINDING_UPDATING = 1070;
inline constexpr int IDC_GS_ZONES = 1063;
inline constexpr int IDC_GS_BORDER_ICE_VELOCITY = 1118;
inline constexpr int IDC_GS_THERMAL_MIN_CONCENTRATION = 1125;
inline constexpr int IDC_GS_THERMAL_MAX_CONCENTRATION = 1126;
inline constexpr int IDC_GS_THERMAL_ICE_FRICTION = 1135;
inline constexpr int IDC_GS_THERMAL_ICE_COHESION = 1136;
inline constexpr int IDC_GS_EVENTS = 1138;
inline constexpr int IDC_GS_DYNAMIC_UPWINDING = 1145;
inline constexpr int IDC_GS_DYNAMIC_MIN_CONCENTRATION = 1159;
inline constexpr int IDC_GS_DYNAMIC_MAX_CONCENTRATION = 1153;
inline constexpr int IDC_GS_SURFACE_ICE_DIFFUSION = 1120;
inline constexpr int IDC_GS_JAM_ICE_FRICTION = 1170;
inline constexpr int IDC_GS_JAM_ICE_COHESION = 1171;

// Every row, column by column from the top. The thermal upwinding updating (1070) sits under
// the thermal upwinding coefficient.
inline constexpr GlobalSettingsRow GlobalSettingsRows[] = {
    {IDC_GS_UNITS, "System of Units", SettingsControl::Combo, SettingsGroup::General, 1, 12},
    {IDC_GS_START, "Simulation Start DateTime", SettingsControl::DateTime, SettingsGroup::General, 1, 27},
    {IDC_GS_FORMULATION, "Hydrodynamics Formulation", SettingsControl::Combo, SettingsGroup::General, 1, 42},
    {IDC_GS_UPWINDING, "Hydrodynamics Upwinding Coefficient", SettingsControl::Number, SettingsGroup::General, 1, 57},
    {IDC_GS_UPWINDING_UPDATING, "Hydrodynamics Upwinding Updating", SettingsControl::Combo, SettingsGroup::General, 1,
     72},
    {IDC_GS_WATER_TEMPERATURE, "Water Temperature (\xC2\xB0" "C)", SettingsControl::Number, SettingsGroup::General, 1,
     87},
    {IDC_GS_RESISTANCE, "Hydrodynamics Flow Resistance Model", SettingsControl::Combo, SettingsGroup::Ice, 1, 102},
    {IDC_GS_SPECIFIC_GRAVITY, "Specific Gravity of Ice", SettingsControl::Number, SettingsGroup::Ice, 1, 117},

    {IDC_GS_THERMAL_UPWINDING, "Thermal Ice Upwinding Coefficient", SettingsControl::Number, SettingsGroup::Thermal, 1,
     132},
    {IDC_GS_THERMAL_UPWINDING_UPDATING, "Thermal Ice Upwinding Updating", SettingsControl::Combo,
     SettingsGroup::Thermal, 1, 147},
    {IDC_GS_ZONES, "Number of Atmospheric Zones", SettingsControl::Integer, SettingsGroup::Thermal, 1, 162},
    {1067, "Minimum Water Depth (m)", SettingsControl::Number, SettingsGroup::Thermal, 1, 177},
    {1071, "Frazil Seeding Concentration", SettingsControl::Number, SettingsGroup::Thermal, 1, 192},
    {1073, "Typical Frazil Particle Thickness (m)", SettingsControl::Number, SettingsGroup::Thermal, 1, 207},
    {1074, "Typical Frazil Particle Radius (m)", SettingsControl::Number, SettingsGroup::Thermal, 1, 222},
    {1077, "Nusselt Number for Typical Suspended Frazil Particle", SettingsControl::Number, SettingsGroup::Thermal, 1,
     237},
    {1079, "Coeff. of Turbulent Heat Exchange \xCE\xB1WI (Ws^0.8/m^2.6/\xC2\xB0" "C)", SettingsControl::Number,
     SettingsGroup::Thermal, 1, 252},
    {1117, "Coeff. of Turbulent Heat Exchange \xCE\xB1IW (Ws^0.8/m^2.6/\xC2\xB0" "C)", SettingsControl::Number,
     SettingsGroup::Thermal, 1, 267},
    {1088, "Rate of Frazil Rise (m/s)", SettingsControl::Number, SettingsGroup::Thermal, 1, 282},
    {1089, "Rate of Surface Ice Re-entrainment (1/s)", SettingsControl::Number, SettingsGroup::Thermal, 1, 297},
    {1140, "Re-entrainment Velocity Threshold (m/s)", SettingsControl::Number, SettingsGroup::Thermal, 1, 312},
    {1090, "Porosity of Frazil Slush", SettingsControl::Number, SettingsGroup::Thermal, 1, 327},
    {1091, "New Frazil Pan Thickness (m)", SettingsControl::Number, SettingsGroup::Thermal, 1, 342},
    {1093, "Solid Ice Initial Thickness (m)", SettingsControl::Number, SettingsGroup::Thermal, 1, 357},
    {1220, "Water Albedo", SettingsControl::Number, SettingsGroup::Thermal, 1, 372},
    {1217, "Ice Cover Albedo", SettingsControl::Number, SettingsGroup::Thermal, 1, 387},
    {1222, "Snow Thickness (m)", SettingsControl::Number, SettingsGroup::Thermal, 1, 402},

    {1193, "Thermal Conductivity of Snow (W/m/\xC2\xB0" "C)", SettingsControl::Number, SettingsGroup::Thermal, 2, 12},
    {1187, "Thermal Conductivity of Water (W/m/\xC2\xB0" "C)", SettingsControl::Number, SettingsGroup::Thermal, 2, 27},
    {1189, "Thermal Conductivity of Ice (W/m/\xC2\xB0" "C)", SettingsControl::Number, SettingsGroup::Thermal, 2, 42},
    {1094, "Frazil Particle Shape Factor", SettingsControl::Number, SettingsGroup::Thermal, 2, 57},
    {1095, "Average Diameter of Frazil Granules in Coverload (m)", SettingsControl::Number, SettingsGroup::Thermal, 2,
     72},
    {1096, "Critical Flow Strength", SettingsControl::Number, SettingsGroup::Thermal, 2, 87},
    {1184, "Minimum Water Temperature (\xC2\xB0" "C)", SettingsControl::Number, SettingsGroup::Thermal, 2, 102},
    {1097, "Porosity of Anchor Ice", SettingsControl::Number, SettingsGroup::Thermal, 2, 117},
    {1098, "Frazil Accretion Rate (m/s)", SettingsControl::Number, SettingsGroup::Thermal, 2, 132},
    {1099, "Fraction of Bed Covered by Anchor Ice", SettingsControl::Number, SettingsGroup::Thermal, 2, 147},
    {1121, "Bed Material Average Diameter (m)", SettingsControl::Number, SettingsGroup::Thermal, 2, 162},
    {1160, "Density of Bed Material (kg/m^3)", SettingsControl::Number, SettingsGroup::Thermal, 2, 177},
    {1100, "Border Ice Equation Coefficient a", SettingsControl::Number, SettingsGroup::Thermal, 2, 192},
    {1101, "Border Ice Equation Coefficient b", SettingsControl::Number, SettingsGroup::Thermal, 2, 207},
    {1102, "Border Ice Equation Coefficient c", SettingsControl::Number, SettingsGroup::Thermal, 2, 222},
    {1112, "Border Ice Equation Coefficient e ", SettingsControl::Number, SettingsGroup::Thermal, 2, 237},
    {1113, "Maximum Fraction of Channel Covered By Border Ice", SettingsControl::Number, SettingsGroup::Thermal, 2,
     252},
    {1142, "Maximum Velocity for Dynamic Border Ice Growth (m/s)", SettingsControl::Number, SettingsGroup::Thermal, 2,
     267},
    {IDC_GS_BORDER_ICE_VELOCITY, "Velocity Mode For Border Ice Growth", SettingsControl::Combo, SettingsGroup::Thermal,
     2, 282},
    {IDC_GS_THERMAL_MIN_CONCENTRATION, "Minimum Surface Ice Concentration", SettingsControl::Number,
     SettingsGroup::Thermal, 2, 297},
    {IDC_GS_THERMAL_MAX_CONCENTRATION, "Maximum Surface Ice Concentration", SettingsControl::Number,
     SettingsGroup::Thermal, 2, 312},
    {1127, "Maximum Froude Number for Juxtaposition", SettingsControl::Number, SettingsGroup::Thermal, 2, 327},
    {1186, "Maximum # of Iterations in Narrow/Equilibrium Jam Solution", SettingsControl::Integer,
     SettingsGroup::Thermal, 2, 342},
    {1134, "Porosity Between Ice Floes at Ice Front", SettingsControl::Number, SettingsGroup::Thermal, 2, 357},
    {IDC_GS_THERMAL_ICE_FRICTION, "Ice to Ice Friction Coefficient", SettingsControl::Number, SettingsGroup::Thermal,
     2, 372},
    {IDC_GS_THERMAL_ICE_COHESION, "Ice Cohesion (Pa)", SettingsControl::Number, SettingsGroup::Thermal, 2, 387},
    {IDC_GS_EVENTS, "Number of Ice Bridging Events", SettingsControl::Integer, SettingsGroup::Thermal, 2, 402},

    {IDC_GS_DYNAMIC_UPWINDING, "Ice Dynamics Upwinding Coefficient", SettingsControl::Number,
     SettingsGroup::DynamicIce, 3, 132},
    {1147, "Lateral Thrust Coefficient", SettingsControl::Number, SettingsGroup::DynamicIce, 3, 147},
    {1149, "Bank to Ice Friction Coefficient", SettingsControl::Number, SettingsGroup::DynamicIce, 3, 162},
    {IDC_GS_DYNAMIC_MIN_CONCENTRATION, "Minimum Surface Ice Concentration", SettingsControl::Number,
     SettingsGroup::DynamicIce, 3, 177},
    {IDC_GS_DYNAMIC_MAX_CONCENTRATION, "Maximum Surface Ice Concentration", SettingsControl::Number,
     SettingsGroup::DynamicIce, 3, 192},
    {1151, "Single Layer Ice Thickness", SettingsControl::Number, SettingsGroup::DynamicIce, 3, 207},
    {1155, "Internal Friction Angle of Ice (\xC2\xB0)", SettingsControl::Number, SettingsGroup::DynamicIce, 3, 222},
    {1161, "Critical Strain Rate (Constituitive Law)", SettingsControl::Number, SettingsGroup::DynamicIce, 3, 237},
    {1163, "Time Scale (Constituitive Law)", SettingsControl::Number, SettingsGroup::DynamicIce, 3, 252},
    {1165, "Power Law Exponent m (Constituitive Law)", SettingsControl::Number, SettingsGroup::DynamicIce, 3, 267},
    {1167, "Ice Pressure Term Exponent j", SettingsControl::Number, SettingsGroup::DynamicIce, 3, 282},
    {IDC_GS_SURFACE_ICE_DIFFUSION, "Surface Ice Diffusion Coefficient", SettingsControl::Number,
     SettingsGroup::DynamicIce, 3, 297},

    {IDC_GS_JAM_ICE_FRICTION, "Ice to Ice Friction Coefficient", SettingsControl::Number, SettingsGroup::IceJam, 4, 132},
    {IDC_GS_JAM_ICE_COHESION, "Ice Cohesion (Pa)", SettingsControl::Number, SettingsGroup::IceJam, 4, 147},
    {1175, "Jam Porosity", SettingsControl::Number, SettingsGroup::IceJam, 4, 162},
    {1177, "Erosion Velocity", SettingsControl::Number, SettingsGroup::IceJam, 4, 177},
    {1179, "Passive Pressure Coefficient, Kv", SettingsControl::Number, SettingsGroup::IceJam, 4, 192},
    {1180, "Ice Thickness Damping Factor", SettingsControl::Number, SettingsGroup::IceJam, 4, 207},
    {1182, "Maximum Allowable Change in Discharge for Solution of JSE", SettingsControl::Number, SettingsGroup::IceJam,
     4, 222},
};

// The entries of the six drop-down lists, index 0 first.
inline constexpr const char* UnitsEntries[] = {"Imperial", "Metric"};
inline constexpr const char* FormulationEntries[] = {"Rectangular Channel Conservation", "Natural Channel",
                                                     "Natural Channel Conservation"};
inline constexpr const char* UpwindingUpdatingEntries[] = {"Every Iteration", "Every Time Step"};
inline constexpr const char* ResistanceEntries[] = {"Composite Roughness", "Separate Bed and Ice Shear Stresses"};
inline constexpr const char* BorderIceVelocityEntries[] = {"Local Velocity At Edge of Border Ice",
                                                           "Cross Sectional Average Velocity"};

// The template's own size and the buttons' places, in dialog units.
inline constexpr int GlobalSettingsWidth = 1381;
inline constexpr int GlobalSettingsHeight = 470;
inline constexpr int GlobalSettingsOkX = 124;
inline constexpr int GlobalSettingsCancelX = 177;
inline constexpr int GlobalSettingsButtonY = 436;

// The picker's format.
inline constexpr const char* StartDateTimeFormat = "yyyy/MM/dd HH:mm:ss";

// File Options: the file-type list and its entries.
inline constexpr int IDC_FILE_TYPE_LIST = 1012;
inline constexpr const char* FileTypeEntries[] = {"Open Water", "Static Ice Conditions", "Thermal Ice Processes"};

// Registers the templates IDD_GLOBAL_SETTINGS and IDD_FILE_OPTIONS; later calls do nothing.
void RegisterGlobalSettingsDialogs();
