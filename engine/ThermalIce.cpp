// Thermal ice processes (equation system 2).
#include "engine/ThermalIce.h"

#include "engine/EngineData.h"
#include "engine/Hydraulics.h"

void ApplyAtmosphericForcing()
{
    const double t = g_ModelControl.ModelTime;
    for (NodeRecord* n = g_Nodes; n; n = n->Next) {
        const AtmosphericZoneRecord* z = n->Zone;
        // A zone without rows forces nothing: the node sees the no-zone values.
        if (z && z->RowCount > 0 && static_cast<int>(z->Time.size()) >= z->RowCount &&
            static_cast<int>(z->AirTemperature.size()) >= z->RowCount &&
            static_cast<int>(z->SolarRadiation.size()) >= z->RowCount) {
            n->AirTemperature = InterpolateTable(z->Time.data(), z->AirTemperature.data(), t, z->RowCount);
            n->SolarRadiation = InterpolateTable(z->Time.data(), z->SolarRadiation.data(), t, z->RowCount);
        } else {
            n->AirTemperature = 100;
            n->SolarRadiation = 0;
        }
    }
}
