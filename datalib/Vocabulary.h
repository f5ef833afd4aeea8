// Shared vocabulary of the series variables, plot variables and node-table columns: unit
// suffixes and the twelve water-quality quantities. Labels are Windows-1252 text.
#pragma once

#include <string>

namespace VQXVocabulary {

// The unit a label or title takes in the metric and in the imperial system.
enum class Unit { None, Length, Discharge, Velocity, Station };

// " (m)" / " (ft)", " (cms)" / " (cfs)", " (m/s)" / " (ft/s)", " (km)" / " (mi)"; "" for None.
const char* UnitSuffix(Unit unit, bool metric);

// Labelled forms shared by series variables, plot variables and node-table columns.
inline constexpr const char* IceConcentrationLabel = "Ice Concentration (%)";
inline constexpr const char* FrazilConcentrationLabel = "Frazil Concentration (%)";
inline constexpr const char* WaterTemperatureLabel = "Water Temperature (\xB0" "C)";
inline constexpr const char* AirTemperatureLabel = "Air Temperature (\xB0" "C)";

struct WaterQualityQuantity {
    const char* Name;
    const char* Label;
};

inline constexpr int WaterQualityCount = 12;

// DO, NH3, NO3, BOD, OP, PP (nutrients), Cdw, Caw, Css, Cds, Cas, Ms (heavy metals and
// xenobiotics), in the order of the WQValues arrays.
inline constexpr WaterQualityQuantity WaterQuality[WaterQualityCount] = {
    {"DO", "DO (mg/L)"},   {"NH3", "NH3 (mg/L)"},        {"NO3", "NO3 (mg/L)"},
    {"BOD", "BOD (mg/L)"}, {"OP", "OP (mg/L)"},          {"PP", "PP (mg/L)"},
    {"Cdw", "Cdw (mg/L)"}, {"Caw", "Caw (mg/L)"},        {"Css", "Css (mg/L)"},
    {"Cds", "Cds (g/m\xB2)"}, {"Cas", "Cas (g/m\xB2)"}, {"Ms", "Ms (g/m\xB2)"},
};

// How a variable's axis label is formed.
struct VariableLabel {
    const char* Name;
    Unit LabelUnit;     // not None: the name with the unit suffix of the system asked for
    const char* Fixed;  // not null: the one labelled form
};

// The label of a variable for a units value: with a unit, 1 metric, 0 imperial and any other
// value the bare name; with a fixed form, -1 the bare name and any other value that form;
// with neither, always the bare name.
std::string ComposeLabel(const VariableLabel& label, int units);

}  // namespace VQXVocabulary
