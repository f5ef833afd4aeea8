#include "app/EditBridgingEventsDlg.h"

#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "resources/ResourceIds.h"

#include <cstdio>

using VQXDisplayLib::VQXBridgingEvent;

namespace {

// The headings, by the model's system of units.
constexpr const char* MetricHeadings[] = {"Bridging Event #", "Bridging Location (km)", "Bridging Time (hrs)",
                                          "Ice Front Location (km)"};
constexpr const char* ImperialHeadings[] = {"Bridging Event #", "Bridging Location (mi)", "Bridging Time (hrs)",
                                            "Ice Front Location (mi)"};

std::string Formatted(const char* format, double value)
{
    char text[512];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

const CRuntimeClass CEditBridgingEventsDlg::Runtime{"CEditBridgingEventsDlg", &CEditGridDlg::Runtime, nullptr};

CEditBridgingEventsDlg::CEditBridgingEventsDlg(VQXDisplayLib::VQXDisplayModel* displayModel, ModelState* state,
                                               CWnd* parent)
    : CEditGridDlg(IDD_EDIT_BRIDGING_EVENTS, IDC_BRIDGING_EVENTS_GRID, displayModel, state, parent)
{
}

bool CEditBridgingEventsDlg::FillGrid()
{
    events_.clear();
    if (DisplayModel != nullptr)
        for (VQXBridgingEvent* e = DisplayModel->FirstEvent(); e != nullptr; e = DisplayModel->NextEvent())
            events_.push_back(e);
    Rows = int(events_.size()) + FixedRows;
    if (!PrepareGrid()) return false;
    const bool metric = State == nullptr || State->UnitSystem != 0;
    for (int col = 0; col < Columns; ++col) PutCell(0, col, metric ? MetricHeadings[col] : ImperialHeadings[col]);
    for (std::size_t i = 0; i < events_.size(); ++i) {
        const VQXBridgingEvent& e = *events_[i];
        const int row = int(i) + FixedRows;
        PutCell(row, 0, std::to_string(e.Number));
        PutCell(row, 1, Formatted("%.3f", e.BridgingLocation));
        PutCell(row, 2, Formatted("%.3f", e.BridgingTime));
        PutCell(row, 3, Formatted("%.3f", e.FrontLocation));
    }
    FinishGrid();
    return true;
}

void CEditBridgingEventsDlg::WriteBack(int row, unsigned changed)
{
    const std::size_t i = std::size_t(row - FixedRows);
    if (i >= events_.size()) return;
    VQXBridgingEvent& e = *events_[i];
    if (changed & (1u << 1)) e.BridgingLocation = CellValue(row, 1);
    if (changed & (1u << 2)) e.BridgingTime = CellValue(row, 2);
    if (changed & (1u << 3)) e.FrontLocation = CellValue(row, 3);
    if (State != nullptr) State->WriteBridgingEventToEngine(&e);
}
