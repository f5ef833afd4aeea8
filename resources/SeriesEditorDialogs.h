// The templates of the four series editors: the inflow, the water-quality inflow and the
// outflow boundary-condition dialogs (one layout, the outflow dialog's group with an id and
// title of its own) and the wider atmospheric-zone dialog.
#pragma once

// Registers IDD_EDIT_INFLOW_BC, IDD_EDIT_WQ_INFLOW_BC, IDD_EDIT_OUTFLOW_BC and
// IDD_EDIT_ATMOSPHERIC_ZONE; later calls do nothing.
void RegisterSeriesEditorDialogs();
