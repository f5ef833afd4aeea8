// Edit Natural Channel Manning's n Values: a row per display node, in list order, with the
// Manning's n of its left overbank, main channel and right overbank (roughness row 0 of its
// cross section). A rectangular node has only its bed roughness, in the main channel's
// column; one whose bed roughness is negative is edited in the node table. Apply writes each
// changed row into the node and the engine, rebuilding the node's property table.
#pragma once

#include "app/EditGridDlg.h"

#include <vector>

namespace VQXDisplayLib {
class VQXDisplayNode;
}

class CEditManningsDlg : public CEditGridDlg
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    CEditManningsDlg(VQXDisplayLib::VQXDisplayModel* displayModel, ModelState* state, CWnd* parent = nullptr);

    // The heading row ("Node #", "Left Overbank", "Main Channel", "Right Overbank") and a row
    // per node: its number, then its n values with "%.3f"; a rectangular node shows "Rect
    // Channel NA" on both overbanks (grey, read-only) and its bed roughness in the channel, or
    // "Edit in Node Table" (grey, read-only) when that is negative.
    bool FillGrid() override;

    static constexpr const char* RectangularText = "Rect Channel NA";
    static constexpr const char* NodeTableText = "Edit in Node Table";

protected:
    // The changed values into roughness row 0 (or the bed roughness of a rectangular node);
    // a node with a cross section gets its property table rebuilt with the levels it has and
    // is written into the engine, a rectangular one its bed roughness.
    void WriteBack(int row, unsigned changed) override;

private:
    std::vector<VQXDisplayLib::VQXDisplayNode*> nodes_;  // by row, from row 1
};
