#include "datalib/Vocabulary.h"

namespace VQXVocabulary {

const char* UnitSuffix(Unit unit, bool metric)
{
    switch (unit) {
    case Unit::Length: return metric ? " (m)" : " (ft)";
    case Unit::Discharge: return metric ? " (cms)" : " (cfs)";
    case Unit::Velocity: return metric ? " (m/s)" : " (ft/s)";
    case Unit::Station: return metric ? " (km)" : " (mi)";
    case Unit::None: break;
    }
    return "";
}

std::string ComposeLabel(const VariableLabel& label, int units)
{
    std::string text = label.Name;
    if (label.LabelUnit != Unit::None) {
        if (units == 1 || units == 0)
            text += UnitSuffix(label.LabelUnit, units == 1);
    } else if (label.Fixed != nullptr && units != -1) {
        text = label.Fixed;
    }
    return text;
}

}  // namespace VQXVocabulary
