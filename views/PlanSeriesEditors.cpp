#include "views/PlanSeriesEditors.h"

void OpenInflowSeriesEditor(CVasquilDoc&, VQXDisplayLib::VQXDisplayBoundaryElement&) {}

void OpenOutflowSeriesEditor(CVasquilDoc&, VQXDisplayLib::VQXDisplayBoundaryElement&) {}

void OpenZoneSeriesEditor(CVasquilDoc&, VQXDisplayLib::VQXAtmosphericZone&) {}

void OpenWQInflowSeriesEditor(CVasquilDoc&, VQXDisplayLib::VQXDisplayBoundaryElement&) {}
