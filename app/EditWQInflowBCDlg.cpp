#include "app/EditWQInflowBCDlg.h"

#include "resources/ResourceIds.h"

using VQXDisplayLib::VQXTimeSeriesEntry;

namespace {

constexpr int NutrientColumnSet = 0;
// The grid's value columns whatever the water-quality type: a time and six concentrations.
constexpr int WQValueColumns = 7;

constexpr const char* TooFewText = "The hydrograph must consist of at least two entries.";
constexpr const char* BlankText =
    "One or more of of the hydrograph entries is blank.\n Please ensure all cells have values.";
constexpr const char* OrderText =
    "Not all of the time values are in increasing order.\n Please ensure time value increase from top to bottom.";

// The field of WQValues[Index].
template <int Index> double* WQValue(VQXTimeSeriesEntry& e)
{
    return &e.WQValues[Index];
}

}  // namespace

const CRuntimeClass CEditWQInflowBCDlg::Runtime{"CEditWQInflowBCDlg", &CSeriesEditorDlg::Runtime, nullptr};

CEditWQInflowBCDlg::CEditWQInflowBCDlg(CWnd* parent)
    : CSeriesEditorDlg(IDD_EDIT_WQ_INFLOW_BC, IDC_SERIES_TITLE, IDC_SERIES_GRID, IDC_SERIES_GROUP, parent)
{}

std::vector<SeriesColumn> CEditWQInflowBCDlg::ValueColumns() const
{
    std::vector<SeriesColumn> columns = {{"Time (hours)", [](VQXTimeSeriesEntry& e) { return &e.Time; }, "%.2f"}};
    if (ColumnSet == NutrientColumnSet) {
        columns.push_back({"DO (mg/L)", WQValue<0>});
        columns.push_back({"NH3 (mg/L)", WQValue<1>});
        columns.push_back({"NO3 (mg/L)", WQValue<2>});
        columns.push_back({"BOD (mg/L)", WQValue<3>});
        columns.push_back({"OP (mg/L)", WQValue<4>});
        columns.push_back({"PP (mg/L)", WQValue<5>});
    } else {
        // Heavy metals and xenobiotics: the dissolved, adsorbed and suspended-solid
        // concentrations their inflows carry, then empty columns.
        columns.push_back({"Cdw (mg/L)", WQValue<6>});
        columns.push_back({"Caw (mg/L)", WQValue<7>});
        columns.push_back({"Css (mg/L)", WQValue<8>});
    }
    columns.resize(WQValueColumns, SeriesColumn{"", nullptr, "%.3f"});
    return columns;
}

SeriesChecks CEditWQInflowBCDlg::Checks() const
{
    return {TooFewText, BlankText, OrderText};
}
