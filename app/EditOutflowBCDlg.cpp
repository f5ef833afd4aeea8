#include "app/EditOutflowBCDlg.h"

#include "resources/ResourceIds.h"

#include <cmath>

using VQXDisplayLib::VQXTimeSeriesEntry;

namespace {

constexpr const char* HydrographTooFewText = "The hydrograph must consist of at least two entries.";
constexpr const char* RatingTooFewText = "The rating curve must consist of at least two entries.";
constexpr const char* BlankText = "One or more of of the entries is blank.\n Please ensure all cells have values.";
constexpr const char* TimeOrderText =
    "Not all of the time values are in increasing order.\n Please ensure time value increase from top to bottom "
    "with the first time value set to 0 hrs.";
// The engine looks a rating curve's stage up by a binary search over its discharges, so they
// must not fall; equal ones pass.
constexpr const char* DischargeOrderText =
    "Not all of the discharge values are in increasing order.\n Please ensure discharge values increase from top "
    "to bottom.";

// Three decimals, halves up.
double RoundedToThousandths(double value)
{
    return std::floor((value + 0.0005) * 1000.0) / 1000.0;
}

}  // namespace

const CRuntimeClass CEditOutflowBCDlg::Runtime{"CEditOutflowBCDlg", &CSeriesEditorDlg::Runtime, nullptr};

CEditOutflowBCDlg::CEditOutflowBCDlg(CWnd* parent)
    : CSeriesEditorDlg(IDD_EDIT_OUTFLOW_BC, IDC_SERIES_TITLE, IDC_SERIES_GRID, IDC_SERIES_OUTFLOW_GROUP, parent)
{
    ColumnSet = OutflowHydrographKind;
    LowerBound = -1e9;
    UpperBound = 1e9;
}

std::vector<SeriesColumn> CEditOutflowBCDlg::ValueColumns() const
{
    const bool metric = Units == 1;
    const SeriesColumn stage = {metric ? "  WSE (m)  " : "  WSE (ft)  ",
                                [](VQXTimeSeriesEntry& e) { return &e.Stage; }};
    if (ColumnSet == OutflowRatingCurveKind)
        return {{metric ? "Discharge (cms)" : "Discharge (cfs)", [](VQXTimeSeriesEntry& e) { return &e.Discharge; }},
                stage};
    return {{"Time (hours)", [](VQXTimeSeriesEntry& e) { return &e.Time; }, "%.2f"}, stage};
}

const char* CEditOutflowBCDlg::FilterValue(int row, int col, double& value) const
{
    if (col == 1) {
        if (ColumnSet != OutflowRatingCurveKind) return TimeValue(row, value);
    } else {
        value = Clamped(value);
    }
    value = RoundedToThousandths(value);
    return "%.3f";
}

SeriesChecks CEditOutflowBCDlg::Checks() const
{
    if (ColumnSet == OutflowRatingCurveKind) return {RatingTooFewText, BlankText, DischargeOrderText, true};
    return {HydrographTooFewText, BlankText, TimeOrderText};
}
