// Edit User Defined Bridging Events: a row per bridging event of the display model, in list
// order, with its location, its time and the location of the ice front. Apply writes each
// changed row into the display event and into the engine record of its number.
#pragma once

#include "app/EditGridDlg.h"

#include <vector>

namespace VQXDisplayLib {
class VQXBridgingEvent;
}

class CEditBridgingEventsDlg : public CEditGridDlg
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    CEditBridgingEventsDlg(VQXDisplayLib::VQXDisplayModel* displayModel, ModelState* state, CWnd* parent = nullptr);

    // The heading row ("Bridging Event #", the locations in km or mi by the model's units, the
    // time in hours) and a row per event: its number, then its values with "%.3f".
    bool FillGrid() override;

protected:
    // The changed values into the event (km or mi, h), then all three into the engine record
    // of the event's number (metres and seconds).
    void WriteBack(int row, unsigned changed) override;

private:
    std::vector<VQXDisplayLib::VQXBridgingEvent*> events_;  // by row, from row 1
};
