// The node quantities that outputs write, checked for finite values.
#include "engine/FiniteResults.h"

#include <cmath>

#include "engine/EngineData.h"

namespace {

struct Quantity {
    const char* Name;
    double NodeRecord::*Field;
};

// Every double field of a node that a database row, a result-file column (directly or through
// the display values), the peak file or a model-state file's node row takes.
constexpr Quantity Quantities[] = {
    {"Stage", &NodeRecord::Stage},
    {"Discharge", &NodeRecord::Discharge},
    {"FluxDischarge", &NodeRecord::FluxDischarge},
    {"FlowArea", &NodeRecord::FlowArea},
    {"TopWidth", &NodeRecord::TopWidth},
    {"Velocity", &NodeRecord::Velocity},
    {"HydraulicDepth", &NodeRecord::HydraulicDepth},
    {"PeakStage", &NodeRecord::PeakStage},
    {"PeakFluxDischarge", &NodeRecord::PeakFluxDischarge},
    {"IceVelocity", &NodeRecord::IceVelocity},
    {"IceConcentration", &NodeRecord::IceConcentration},
    {"IceThickness", &NodeRecord::IceThickness},
    {"IceRoughness", &NodeRecord::IceRoughness},
    {"SolidIceArea", &NodeRecord::SolidIceArea},
    {"SlushArea", &NodeRecord::SlushArea},
    {"SlushThickness", &NodeRecord::SlushThickness},
    {"UnderSlushArea", &NodeRecord::UnderSlushArea},
    {"AnchorIceArea", &NodeRecord::AnchorIceArea},
    {"AnchorIceThickness", &NodeRecord::AnchorIceThickness},
    {"BorderIceArea", &NodeRecord::BorderIceArea},
    {"BorderIceThickness", &NodeRecord::BorderIceThickness},
    {"BorderFraction", &NodeRecord::BorderFraction},
    {"BorderWidthLeft", &NodeRecord::BorderWidthLeft},
    {"BorderWidthRight", &NodeRecord::BorderWidthRight},
    {"WaterTemp", &NodeRecord::WaterTemp},
    {"ThermalEnergy", &NodeRecord::ThermalEnergy},
    {"FrazilConcentration", &NodeRecord::FrazilConcentration},
    {"AirTemperature", &NodeRecord::AirTemperature},
    {"Hwa", &NodeRecord::Hwa},
    {"Jwa", &NodeRecord::Jwa},
    {"Kwa", &NodeRecord::Kwa},
    {"Hia", &NodeRecord::Hia},
    {"FroudeMax", &NodeRecord::FroudeMax},
};

constexpr const char* WQNames[] = {"WQValues[0]", "WQValues[1]", "WQValues[2]",
                                   "WQValues[3]", "WQValues[4]", "WQValues[5]"};
constexpr const char* MetalNames[] = {"MetalValues[0]", "MetalValues[1]", "MetalValues[2]",
                                      "MetalValues[3]", "MetalValues[4]", "MetalValues[5]"};

}  // namespace

int FindNonFiniteResult(const NodeRecord** node, const char** quantity, double* value)
{
    const auto found = [&](const NodeRecord* n, const char* name, double v) {
        *node = n;
        *quantity = name;
        *value = v;
        return 1;
    };
    for (const NodeRecord* n = g_Nodes; n; n = n->Next) {
        for (const Quantity& q : Quantities)
            if (!std::isfinite(n->*q.Field)) return found(n, q.Name, n->*q.Field);
        for (int k = 0; k < 6; ++k) {
            if (!std::isfinite(n->WQValues[k])) return found(n, WQNames[k], n->WQValues[k]);
            if (!std::isfinite(n->MetalValues[k])) return found(n, MetalNames[k], n->MetalValues[k]);
        }
    }
    return 0;
}
