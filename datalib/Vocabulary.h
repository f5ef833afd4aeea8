// Shared vocabulary of the series variables, plot variables and node-table columns: unit
// suffixes, the twelve water-quality quantities, and the lookups of a table of variables.
// Labels are Windows-1252 text.
#pragma once

#include <cstddef>
#include <cstring>
#include <span>
#include <string>

#include "datalib/TextFormat.h"

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

// A variable of a table over records of one type: how its label is formed and how its value
// is read from a record (useFlux, where the variable is a discharge: non-zero reads the flux
// discharge, zero the nodal one).
template <typename Record>
struct Variable {
    VariableLabel Label;
    double (*Value)(const Record&, int useFlux);
};

// The value of variable 0..N-1 of a table in a record; 0 for any other variable.
template <typename Record, std::size_t N>
double VariableValue(const Variable<Record> (&table)[N], const Record& record, int variable, int useFlux)
{
    if (variable < 0 || static_cast<std::size_t>(variable) >= N)
        return 0.0;
    return table[variable].Value(record, useFlux);
}

// The index of the variable of a table whose name equals name exactly; -1 for none or a null
// name.
template <typename Record, std::size_t N>
int FindVariable(const Variable<Record> (&table)[N], const char* name)
{
    if (name == nullptr)
        return -1;
    for (std::size_t k = 0; k < N; ++k)
        if (std::strcmp(table[k].Label.Name, name) == 0)
            return static_cast<int>(k);
    return -1;
}

// The name of variable 0..N-1 of a table, or null.
template <typename Record, std::size_t N>
const char* VariableName(const Variable<Record> (&table)[N], int variable)
{
    if (variable < 0 || static_cast<std::size_t>(variable) >= N)
        return nullptr;
    return table[variable].Label.Name;
}

// Writes the label (ComposeLabel) of variable 0..N-1 of a table; any negative variable writes
// an empty text, one above the table leaves the buffer as it was.
template <typename Record, std::size_t N>
void FormatVariableLabel(const Variable<Record> (&table)[N], int variable, std::span<char> buffer, int units)
{
    if (variable < 0) {
        VQXTextFormat::CopyToBuffer(buffer, "");
        return;
    }
    if (static_cast<std::size_t>(variable) >= N)
        return;
    VQXTextFormat::CopyToBuffer(buffer, ComposeLabel(table[variable].Label, units));
}

}  // namespace VQXVocabulary
