// Time-level copies.
#include <cstring>
#include <limits>

#include "engine/EngineData.h"
#include "engine/TimeStepping.h"

void ShiftTimeLevel()
{
#define VASQUIL_SHIFT_TWIN(type, name) n->Previous##name = n->name;
#define VASQUIL_SHIFT_TWIN_ARRAY(name, count) std::memcpy(n->Previous##name, n->name, sizeof n->name);
    int& level = g_ModelControl.TimeLevel;
    level = level == std::numeric_limits<int>::max() ? 1 : level + 1;
    for (NodeRecord* n = g_Nodes; n; n = n->Next) {
        VASQUIL_NODE_TWINS(VASQUIL_SHIFT_TWIN)
        VASQUIL_NODE_TWIN_ARRAYS(VASQUIL_SHIFT_TWIN_ARRAY)
        n->OlderFloatingIceArea = n->PreviousFloatingIceArea;
        n->PreviousFloatingIceArea = n->FloatingIceArea;
        n->OlderAnchorIceArea = n->PreviousAnchorIceArea;
        n->PreviousAnchorIceArea = n->AnchorIceArea;
    }
#undef VASQUIL_SHIFT_TWIN
#undef VASQUIL_SHIFT_TWIN_ARRAY
}

void UnshiftTimeLevel()
{
#define VASQUIL_UNSHIFT_TWIN(type, name) n->name = n->Previous##name;
#define VASQUIL_UNSHIFT_TWIN_ARRAY(name, count) std::memcpy(n->name, n->Previous##name, sizeof n->name);
    for (NodeRecord* n = g_Nodes; n; n = n->Next) {
        VASQUIL_NODE_TWINS(VASQUIL_UNSHIFT_TWIN)
        VASQUIL_NODE_TWIN_ARRAYS(VASQUIL_UNSHIFT_TWIN_ARRAY)
        n->FloatingIceArea = n->PreviousFloatingIceArea;
        n->PreviousFloatingIceArea = n->OlderFloatingIceArea;
        n->AnchorIceArea = n->PreviousAnchorIceArea;
        n->PreviousAnchorIceArea = n->OlderAnchorIceArea;
    }
#undef VASQUIL_UNSHIFT_TWIN
#undef VASQUIL_UNSHIFT_TWIN_ARRAY
}

void RestorePreviousLevel()
{
    for (NodeRecord* n = g_Nodes; n; n = n->Next) {
        std::memcpy(n->HydroUnknowns, n->PreviousHydroUnknowns, sizeof n->HydroUnknowns);
        std::memcpy(n->IceUnknowns, n->PreviousIceUnknowns, sizeof n->IceUnknowns);
        std::memcpy(n->ThermalUnknowns, n->PreviousThermalUnknowns, sizeof n->ThermalUnknowns);
        std::memcpy(n->WQUnknowns, n->PreviousWQUnknowns, sizeof n->WQUnknowns);
    }
}
