#include "app/EditManningsDlg.h"

#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "resources/ResourceIds.h"

#include <cstdio>

using VQXDisplayLib::VQXDisplayNode;
using VQXGeometryDataLib::VQXRoughnessRow;

namespace {

constexpr const char* Headings[] = {"Node #", "Left Overbank", "Main Channel", "Right Overbank"};

std::string Formatted(double value)
{
    char text[512];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// Roughness row 0 of a node's cross section; null for a node without one.
VQXRoughnessRow* FirstRoughnessRow(VQXDisplayNode& node)
{
    return node.CrossSection ? node.CrossSection->GetRoughnessRow(0) : nullptr;
}

}  // namespace

const CRuntimeClass CEditManningsDlg::Runtime{"CEditManningsDlg", &CEditGridDlg::Runtime, nullptr};

CEditManningsDlg::CEditManningsDlg(VQXDisplayLib::VQXDisplayModel* displayModel, ModelState* state, CWnd* parent)
    : CEditGridDlg(IDD_EDIT_MANNINGS, IDC_MANNINGS_GRID, displayModel, state, parent)
{
}

bool CEditManningsDlg::FillGrid()
{
    nodes_.clear();
    if (DisplayModel != nullptr)
        for (VQXDisplayNode* n = DisplayModel->FirstNode(); n != nullptr; n = DisplayModel->NextNode())
            nodes_.push_back(n);
    Rows = int(nodes_.size()) + FixedRows;
    if (!PrepareGrid()) return false;
    for (int col = 0; col < Columns; ++col) PutCell(0, col, Headings[col]);
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
        VQXDisplayNode& n = *nodes_[i];
        const int row = int(i) + FixedRows;
        PutCell(row, 0, std::to_string(n.Number));
        if (const VQXRoughnessRow* r = FirstRoughnessRow(n)) {
            PutCell(row, 1, Formatted(r->LeftN));
            PutCell(row, 2, Formatted(r->ChannelN));
            PutCell(row, 3, Formatted(r->RightN));
            continue;
        }
        PutCell(row, 1, RectangularText, true);
        if (n.BedRoughness < 0) PutCell(row, 2, NodeTableText, true);
        else PutCell(row, 2, Formatted(n.BedRoughness));
        PutCell(row, 3, RectangularText, true);
    }
    FinishGrid();
    return true;
}

void CEditManningsDlg::WriteBack(int row, unsigned changed)
{
    const std::size_t i = std::size_t(row - FixedRows);
    if (i >= nodes_.size()) return;
    VQXDisplayNode& n = *nodes_[i];
    VQXRoughnessRow* r = FirstRoughnessRow(n);
    for (int col = 1; col <= 3; ++col) {
        if (!(changed & (1u << col))) continue;
        const double value = CellValue(row, col);
        if (r == nullptr) n.BedRoughness = value;
        else if (col == 1) r->LeftN = value;
        else if (col == 2) r->ChannelN = value;
        else r->RightN = value;
    }
    if (State == nullptr) return;
    if (n.CrossSection) {
        n.CrossSection->BuildPropertyTable(int(n.CrossSection->PropertyRows.size()));
        State->WriteCrossSectionToEngine(&n, nullptr);
    } else {
        // A rectangular channel's n lives in the node itself, which the section's write leaves.
        State->WriteBedRoughnessToEngine(&n);
    }
}
