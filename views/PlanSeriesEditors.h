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

// Each shows its editor on a copy of the object's series and returns once the dialog has ended.
// On OK the series replaces the object's and goes to the engine (a boundary element's flow or
// water-quality series, followed by the run settings once applied; a zone's series once
// applied), and the document counts as modified. A series the engine does not take is reported, and display and engine keep the
// series they had. Nothing happens without a model state.
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
