// The cross-section editor's rules on its grids, apart from the view that shows them: the
// end of a cell edit, the checks of Apply Changes, the section built from the grids and its
// write into the node and the engine.
//
// The grids hold the only copy of edits not yet applied; nothing here changes the node or
// the engine unless it says so. User-interface thread only.
#pragma once

#include <memory>
#include <string>

class CGridCtrl;
class ModelState;

namespace VQXDisplayLib {
class VQXDisplayNode;
}
namespace VQXGeometryDataLib {
class VQXCrossSection;
}

// The four grids the user edits.
struct XSectionTables {
    CGridCtrl& Points;
    CGridCtrl& Roughness;
    CGridCtrl& Sinuosity;
    CGridCtrl& Banks;
};

// The end of an edit of a cell: the text becomes "%.3f" of its leading number (0.000 for a
// text without one), red and marked modified. Returns false, changing nothing, when the
// leading number is not finite ("1e999", "inf", "nan"): the grid then keeps the old text.
bool RewriteEditedCell(CGridCtrl& grid, int row, int col);

// The checks of Apply Changes in their order; the first failure's message, or "" when the
// grids make a section.
std::string ValidateTables(const XSectionTables& tables);

// Apply Changes after the checks: a new section from the grids (bank stations, points, the
// roughness rows from columns 1, 3, 2 and 4, the sinuosity rows), its bank points, thalweg and
// property table of levels levels; the node's section code becomes -levels and the section
// goes into the engine. Only when the model state accepts it does the section replace the
// node's (whose invert then is the engine table's lowest elevation) and the edited cells turn
// black. Returns "" on success, else the reason shown to the user; the node, the engine and
// the grids are then unchanged.
std::string ApplyTables(const XSectionTables& tables, int levels, VQXDisplayLib::VQXDisplayNode& node,
                        ModelState& state);
