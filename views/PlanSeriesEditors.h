// The series editors a click of the plan view's edit modes opens on what it found: the inflow
// (and lateral inflow) editor, the outflow (stage hydrograph and rating curve) editor, the
// atmospheric-zone editor and the water-quality inflow editor. Each shows its dialog titled
// for the object, on a copy of its series, and writes an accepted series back into the display
// model and the engine.
#pragma once

#include <functional>

class CVasquilDoc;
namespace VQXDisplayLib {
class VQXAtmosphericZone;
class VQXDisplayBoundaryElement;
}  // namespace VQXDisplayLib

// Nothing yet: the series editor dialogs are still to come. Each returns once its dialog has
// ended, whether with OK or Cancel.
void OpenInflowSeriesEditor(CVasquilDoc& doc, VQXDisplayLib::VQXDisplayBoundaryElement& element);
void OpenOutflowSeriesEditor(CVasquilDoc& doc, VQXDisplayLib::VQXDisplayBoundaryElement& element);
void OpenZoneSeriesEditor(CVasquilDoc& doc, VQXDisplayLib::VQXAtmosphericZone& zone);
void OpenWQInflowSeriesEditor(CVasquilDoc& doc, VQXDisplayLib::VQXDisplayBoundaryElement& element);

// The editors a view opens, one per kind of object; tests put their own in place.
struct PlanSeriesEditors {
    std::function<void(VQXDisplayLib::VQXDisplayBoundaryElement&)> Inflow;
    std::function<void(VQXDisplayLib::VQXDisplayBoundaryElement&)> Outflow;
    std::function<void(VQXDisplayLib::VQXAtmosphericZone&)> Zone;
    std::function<void(VQXDisplayLib::VQXDisplayBoundaryElement&)> WQInflow;
};
