// The settings of a model file's header, one table per header block, in file order. The tables
// drive the defaults of the engine records (SetModelDefaults), the model reader and writer and
// the model state's global settings, so a setting is added to a block in one place.
//
// A row is R(A, kind, owner, name, key, quantity, unit, default, style, rule):
//   kind      Real (a double) or Int (an int)
//   owner     the record holding the value: Control (g_ModelControl), ControlAgain (a control
//             value that an earlier block lists too: it is read and written again, but has its
//             default and its global setting once), or the equation system Hydro, DynamicIce or
//             ThermalIce (g_EquationSystems)
//   name      the field of the owner
//   key       the key the writer puts before the value
//   quantity  how the reader takes the value (engine/ModelReader.cpp): AsNumber unchanged,
//             AsTemperature degrees C, AsFraction 0 to 1; header values carry no unit conversion
//   unit      the value's unit ("" for a number without one)
//   default   the value of a fresh control block
//   style     how the writer writes it (HeaderRowStyle)
//   rule      what the reader checks as soon as it has the value (HeaderRowRule)
// A is handed through to R unchanged.
//
// The lines before the blocks (file type, time steps, model time, start date, the counts and the
// system of units) and the counts of atmospheric zones and bridging events at the head of the
// thermal block are structure, not settings: the reader and the writer handle them themselves.
#pragma once

#include "engine/EngineData.h"

// Which blocks the header of a file type holds, after the hydrodynamic block that every header
// holds: the water temperature, the ice block, then the block of the file type itself.
constexpr bool HasWaterTemperatureBlock(int fileType) { return fileType < FileTypeThermalIce; }
constexpr bool HasIceBlock(int fileType) { return fileType > FileTypeOpenWater; }

// How the writer writes a header value.
enum HeaderRowStyle {
    KeyStyle,            // key " = " value: "%.8g", or "%.12g" when needed to read back exactly
    WideKeyStyle,        // key " =  " value, as KeyStyle
    SixDigitsStyle,      // key " = " "%.6g"
    SixDigitsWideStyle,  // key " = " "%.6g" right-aligned in 8 characters
};

// What the reader checks of a header value once read.
enum HeaderRowRule {
    AnyValue,
    SoundTolerance,  // a Newton tolerance: at least MinimumTolerance and below 1 (IsSoundTolerance)
};

// The hydrodynamic settings, in every model.
#define VASQUIL_HYDRO_HEADER(R, A)                                                                         \
    R(A, Real, Hydro, Upwinding, " Hydrodynamics Upwinding Coefficient", AsNumber, "", 0.25, KeyStyle, AnyValue) \
    R(A, Int, Hydro, UpwindingUpdating, " Hydrodynamics Upwinding Updating", AsNumber, "", 0, KeyStyle, AnyValue) \
    R(A, Real, Hydro, Theta, " Hydrodynamics Theta", AsNumber, "", 0.5, KeyStyle, AnyValue)                    \
    R(A, Real, Hydro, Tolerance, " Hydrodynamics Tolerance", AsNumber, "", 1e-5, KeyStyle, SoundTolerance)    \
    R(A, Int, Control, Formulation, " Hydrodynamics Formulation", AsNumber, "", 0, KeyStyle, AnyValue)         \
    R(A, Real, Hydro, Alpha, " Hydrodynamics Alpha", AsNumber, "", 0.5, KeyStyle, AnyValue)

// The water temperature of a model without thermal ice processes (file types 0 to 2).
#define VASQUIL_WATER_TEMPERATURE_HEADER(R, A)                                                             \
    R(A, Real, Control, WaterTemperature, " Water Temperature (deg C)", AsTemperature, "degC", 0, KeyStyle, AnyValue)

// The settings of every ice model (file types 1 to 3).
#define VASQUIL_ICE_HEADER(R, A)                                                                           \
    R(A, Int, Control, ResistanceModel, " Hydrodynamics Flow Resistance Model", AsNumber, "", 0, KeyStyle, AnyValue) \
    R(A, Real, Control, IceSpecificGravity, " Specific Gravity of Ice", AsNumber, "", 0.917, KeyStyle, AnyValue)

// A static ice cover (file type 1) and its ice-jam stability equation.
#define VASQUIL_STATIC_ICE_HEADER(R, A)                                                                    \
    R(A, Real, Control, IceFriction, " Ice To Ice Friction Coefficient", AsNumber, "", 1.28, KeyStyle, AnyValue) \
    R(A, Real, Control, IceCohesion, " Ice Cohesion (Pa)", AsNumber, "Pa", 0, KeyStyle, AnyValue)              \
    R(A, Real, Control, JamPorosity, " Ice Jam Porosity", AsFraction, "", 0.4, KeyStyle, AnyValue)             \
    R(A, Real, Control, ErosionVelocity, " Erosion Velocity (m/s)", AsNumber, "m/s", 1.5, KeyStyle, AnyValue)  \
    R(A, Real, Control, PassivePressureCoefficient, " Passive Pressure Coefficient", AsNumber, "", 10, KeyStyle, \
      AnyValue)                                                                                            \
    R(A, Real, Control, IceThicknessDamping, " Ice Thickness Damping Factor", AsNumber, "", 0.3333333333333333, \
      KeyStyle, AnyValue)                                                                                  \
    R(A, Real, Control, MaxDischargeChangeJSE, " Maximum Allowable Change in Discharge for Solution of JSE",    \
      AsNumber, "", 0.01, KeyStyle, AnyValue)

// A dynamic ice cover (file type 2): the ice's constitutive law and equation system 1.
#define VASQUIL_DYNAMIC_ICE_HEADER(R, A)                                                                   \
    R(A, Real, Control, LateralThrustCoefficient, " Lateral Thrust Coefficient", AsNumber, "", 0.28005, KeyStyle, \
      AnyValue)                                                                                            \
    R(A, Real, Control, BankFriction, " Bank to Ice Friction Coefficient", AsNumber, "", 0.9, KeyStyle, AnyValue) \
    R(A, Real, Control, MinSurfaceIceConcentration, " Minimum Surface Ice Concentration", AsNumber, "", 0.01,   \
      KeyStyle, AnyValue)                                                                                  \
    R(A, Real, Control, MaxSurfaceIceConcentration, " Maximum Surface Ice Concentration", AsNumber, "", 1,      \
      KeyStyle, AnyValue)                                                                                  \
    R(A, Real, Control, SingleLayerIceThickness, " Single Layer Ice Thickness (m)", AsNumber, "m", 0.1, KeyStyle, \
      AnyValue)                                                                                            \
    R(A, Real, Control, IceInternalFrictionAngle, " Internal Friction Angle of Ice (deg)", AsNumber, "deg", 46, \
      KeyStyle, AnyValue)                                                                                  \
    R(A, Real, Control, CriticalStrainRate, " Critical Strain Rate (Consituitive Law)", AsNumber, "1/s", 1e-8,  \
      KeyStyle, AnyValue)                                                                                  \
    R(A, Real, Control, ConstitutiveTimeScale, " Time Scale (Consituitive Law)", AsNumber, "s", 1, KeyStyle,    \
      AnyValue)                                                                                            \
    R(A, Real, Control, PowerLawExponent, " Power Law Exponent m (Consituitive Law)", AsNumber, "", 7, KeyStyle, \
      AnyValue)                                                                                            \
    R(A, Real, Control, IcePressureExponent, " Ice Pressure Term Exponent j", AsNumber, "", 15, KeyStyle, AnyValue) \
    R(A, Real, Control, SurfaceIceDiffusion, " Surface Ice Diffusion Coefficient", AsNumber, "m2/s", 0, KeyStyle, \
      AnyValue)                                                                                            \
    R(A, Real, DynamicIce, Upwinding, " Ice Dynamics Upwinding Coefficient", AsNumber, "", 0.25, KeyStyle, AnyValue) \
    R(A, Real, DynamicIce, Theta, " Ice Dynamics Theta", AsNumber, "", 0.5, KeyStyle, AnyValue)

// Thermal ice processes (file type 3) and equation system 2, after the counts of atmospheric
// zones and bridging events.
#define VASQUIL_THERMAL_ICE_HEADER(R, A)                                                                   \
    R(A, Real, Control, MinWaterDepth, " Minimum Water Depth", AsNumber, "m", 0, KeyStyle, AnyValue)           \
    R(A, Real, Control, FrazilSeedingConcentration, " Frazil Seeding Concentration", AsNumber, "", 1e-5, KeyStyle, \
      AnyValue)                                                                                            \
    R(A, Real, Control, FrazilParticleThickness, " Typical Frazil Particle Thickness (m)", AsNumber, "m", 3e-4,  \
      WideKeyStyle, AnyValue)                                                                              \
    R(A, Real, Control, FrazilParticleRadius, " Typical Frazil Particle Radius (m)", AsNumber, "m", 0.001,      \
      WideKeyStyle, AnyValue)                                                                              \
    R(A, Real, Control, FrazilNusselt, " Nusselt for Typical Frazil Particle", AsNumber, "", 4, KeyStyle, AnyValue) \
    R(A, Real, Control, AlphaWI, " Coefficient of Turbulent Heat Exchange alphaWI", AsNumber, "", 1187, KeyStyle, \
      AnyValue)                                                                                            \
    R(A, Real, Control, AlphaIW, " Coefficient of Turbulent Heat Exchange alphaIW", AsNumber, "", 1187, KeyStyle, \
      AnyValue)                                                                                            \
    R(A, Real, Control, FrazilRiseRate, " Rate of Frazil Rise (m/s)", AsNumber, "m/s", 1e-4, KeyStyle, AnyValue) \
    R(A, Real, Control, ReentrainmentRate, " Rate of Surface Ice Reentrainment (one/s)", AsNumber, "1/s", 1e-5, \
      KeyStyle, AnyValue)                                                                                  \
    R(A, Real, Control, ReentrainmentVelocity, " Surface Ice Reentrainment Velocity Threshold (m/s)", AsNumber, \
      "m/s", 1, KeyStyle, AnyValue)                                                                        \
    R(A, Real, Control, FrazilSlushPorosity, " Frazil Slush Porosity", AsFraction, "", 0.4, KeyStyle, AnyValue)  \
    R(A, Real, Control, NewPanThickness, " New Pan Thickness (m)", AsNumber, "m", 0.3, KeyStyle, AnyValue)      \
    R(A, Real, Control, SolidIceInitialThickness, " Solid Ice Initial Thickness (m)", AsNumber, "m", 0.001,     \
      KeyStyle, AnyValue)                                                                                  \
    R(A, Real, Control, FrazilShapeFactor, " Undercover Transport Frazil particle shape factor", AsNumber, "", 1, \
      KeyStyle, AnyValue)                                                                                  \
    R(A, Real, Control, CoverloadGranuleDiameter,                                                          \
      " Undercover Transport Average Diameter of Frazil Granules in coverload", AsNumber, "m", 0.01, KeyStyle,  \
      AnyValue)                                                                                            \
    R(A, Real, Control, CriticalFlowStrength, " Undercover Transport Critical Flow Strength", AsNumber, "", 0.041, \
      KeyStyle, AnyValue)                                                                                  \
    R(A, Real, Control, AnchorIcePorosity, " Anchor Ice Porosity", AsFraction, "", 0.4, KeyStyle, AnyValue)      \
    R(A, Real, Control, FrazilAccretionRate, " Frazil Accretion Rate (m/s)", AsNumber, "m/s", 1e-4, KeyStyle,   \
      AnyValue)                                                                                            \
    R(A, Real, Control, AnchorIceBedFraction, " Fraction of Bed Width Covered by Anchor Ice", AsFraction, "", 0.25, \
      SixDigitsWideStyle, AnyValue)                                                                        \
    R(A, Real, Control, BedMaterialDiameter, " Bed Material Average Diameter (m)", AsNumber, "m", 0.05,         \
      SixDigitsStyle, AnyValue)                                                                            \
    R(A, Real, Control, BedMaterialDensity, " Density of Bed Material (kg/cu m)", AsNumber, "kg/m3", 2650,      \
      SixDigitsStyle, AnyValue)                                                                            \
    R(A, Real, Control, BorderIceCoefA, " Border Ice Equation Coefficient a", AsNumber, "", 14.1, KeyStyle, AnyValue) \
    R(A, Real, Control, BorderIceCoefB, " Border Ice Equation Coefficient b", AsNumber, "", 1.08, KeyStyle, AnyValue) \
    R(A, Real, Control, BorderIceCoefC, " Border Ice Equation Coefficient c", AsNumber, "", -0.93, KeyStyle,     \
      AnyValue)                                                                                            \
    R(A, Real, Control, BorderIceCoefE, " Border Ice Equation Coefficient e", AsNumber, "", 0, KeyStyle, AnyValue) \
    R(A, Real, Control, MaxBorderIceFraction, " Maximum Fraction of Channel Covered by Border Ice", AsFraction, "", \
      0.7, KeyStyle, AnyValue)                                                                             \
    R(A, Real, Control, MaxBorderIceVelocity, " Maximum Velocity for Border Ice Growth (m/s)", AsNumber, "m/s",  \
      1.2, KeyStyle, AnyValue)                                                                             \
    R(A, Int, Control, BorderIceVelocityMode, " Velocity Mode for Border Ice Growth", AsNumber, "", 0, KeyStyle, \
      AnyValue)                                                                                            \
    R(A, Real, ControlAgain, MinSurfaceIceConcentration, " Minimum Surface Ice Concentration", AsNumber, "", 0.01, \
      KeyStyle, AnyValue)                                                                                  \
    R(A, Real, ControlAgain, MaxSurfaceIceConcentration, " Maximum Surface Ice Concentration", AsNumber, "", 1,  \
      KeyStyle, AnyValue)                                                                                  \
    R(A, Real, Control, MaxJuxtapositionFroude, " Maximum Froude number for Juxtaposition", AsNumber, "", 0.06,  \
      KeyStyle, AnyValue)                                                                                  \
    R(A, Int, Control, MaxJamIterations, " Maximum Number of Iterations in Narrow/Equilibrium Jam Solution",     \
      AsNumber, "", 25, KeyStyle, AnyValue)                                                                \
    R(A, Real, Control, IceFrontFloePorosity, " Porosity Between Ice Floes at Ice Front", AsFraction, "", 0.4,  \
      KeyStyle, AnyValue)                                                                                  \
    R(A, Real, ControlAgain, IceFriction, " Ice To Ice Friction Coefficient", AsNumber, "", 1.28, KeyStyle,     \
      AnyValue)                                                                                            \
    R(A, Real, ControlAgain, IceCohesion, " Ice Cohesion (Pa)", AsNumber, "Pa", 0, KeyStyle, AnyValue)         \
    R(A, Real, Control, WaterAlbedo, " Water Albedo", AsFraction, "", 0.15, KeyStyle, AnyValue)                 \
    R(A, Real, Control, IceAlbedo, " Ice Cover Albedo", AsFraction, "", 0.5, KeyStyle, AnyValue)                \
    R(A, Real, Control, SnowThickness, " Snow Thickness (m)", AsNumber, "m", 0, KeyStyle, AnyValue)            \
    R(A, Real, Control, WaterConductivity, " Thermal Conductivity of Water (W/m/\xB0" "C)", AsNumber, "W/m/degC", \
      0.56594, KeyStyle, AnyValue)                                                                         \
    R(A, Real, Control, IceConductivity, " Thermal Conductivity of Ice (W/m/\xB0" "C)", AsNumber, "W/m/degC",    \
      2.24, KeyStyle, AnyValue)                                                                            \
    R(A, Real, Control, SnowConductivity, " Thermal Conductivity of Snow (W/m/\xB0" "C)", AsNumber, "W/m/degC",  \
      0.3, KeyStyle, AnyValue)                                                                             \
    R(A, Real, Control, MinWaterTemperature, " Minimum Water Temperature (degC)", AsTemperature, "degC", -0.05, \
      KeyStyle, AnyValue)                                                                                  \
    R(A, Real, ThermalIce, Upwinding, " Thermal Ice Upwinding Coefficient", AsNumber, "", 0.25, KeyStyle, AnyValue) \
    R(A, Int, ThermalIce, UpwindingUpdating, " Thermal Ice Updwinding Updating", AsNumber, "", 0, KeyStyle,      \
      AnyValue)                                                                                            \
    R(A, Real, ThermalIce, Theta, " Thermal Ice Theta", AsNumber, "", 0.5, KeyStyle, AnyValue)                  \
    R(A, Real, ThermalIce, Tolerance, " Thermal Ice Tolerance", AsNumber, "", 1e-5, KeyStyle, SoundTolerance)

// Every block, in file order.
#define VASQUIL_MODEL_HEADER(R, A)                                                                         \
    VASQUIL_HYDRO_HEADER(R, A)                                                                             \
    VASQUIL_WATER_TEMPERATURE_HEADER(R, A)                                                                 \
    VASQUIL_ICE_HEADER(R, A)                                                                               \
    VASQUIL_STATIC_ICE_HEADER(R, A)                                                                        \
    VASQUIL_DYNAMIC_ICE_HEADER(R, A)                                                                       \
    VASQUIL_THERMAL_ICE_HEADER(R, A)

// Helpers of the code that the tables generate.
// The record of an owner.
#define VASQUIL_HEADER_OWNER_Control g_ModelControl
#define VASQUIL_HEADER_OWNER_ControlAgain g_ModelControl
#define VASQUIL_HEADER_OWNER_Hydro g_EquationSystems[HydrodynamicSystem]
#define VASQUIL_HEADER_OWNER_DynamicIce g_EquationSystems[DynamicIceSystem]
#define VASQUIL_HEADER_OWNER_ThermalIce g_EquationSystems[ThermalIceSystem]
// How the messages name an equation system owner.
#define VASQUIL_HEADER_SYSTEM_Control ""
#define VASQUIL_HEADER_SYSTEM_ControlAgain ""
#define VASQUIL_HEADER_SYSTEM_Hydro "Hydrodynamics"
#define VASQUIL_HEADER_SYSTEM_DynamicIce "Ice Dynamics"
#define VASQUIL_HEADER_SYSTEM_ThermalIce "Thermal Ice"
// The C++ type of a kind.
#define VASQUIL_HEADER_TYPE_Real double
#define VASQUIL_HEADER_TYPE_Int int
// The code given, for a control value's first row only.
#define VASQUIL_HEADER_IF_CONTROL_Control(...) __VA_ARGS__
#define VASQUIL_HEADER_IF_CONTROL_ControlAgain(...)
#define VASQUIL_HEADER_IF_CONTROL_Hydro(...)
#define VASQUIL_HEADER_IF_CONTROL_DynamicIce(...)
#define VASQUIL_HEADER_IF_CONTROL_ThermalIce(...)
// The code given, for an equation system's rows only.
#define VASQUIL_HEADER_IF_SYSTEM_Control(...)
#define VASQUIL_HEADER_IF_SYSTEM_ControlAgain(...)
#define VASQUIL_HEADER_IF_SYSTEM_Hydro(...) __VA_ARGS__
#define VASQUIL_HEADER_IF_SYSTEM_DynamicIce(...) __VA_ARGS__
#define VASQUIL_HEADER_IF_SYSTEM_ThermalIce(...) __VA_ARGS__

// The control values of the header (each once) as X(type, name): the model state's global
// settings.
#define VASQUIL_HEADER_CONTROL_ROW(X, kind, owner, name, key, quantity, unit, value, style, rule) \
    VASQUIL_HEADER_IF_CONTROL_##owner(X(VASQUIL_HEADER_TYPE_##kind, name))
#define VASQUIL_HEADER_CONTROL_VALUES(X) VASQUIL_MODEL_HEADER(VASQUIL_HEADER_CONTROL_ROW, X)
