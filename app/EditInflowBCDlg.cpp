#include "app/EditInflowBCDlg.h"

#include "datalib/ModelState.h"
#include "resources/ResourceIds.h"

using VQXDisplayLib::VQXTimeSeriesEntry;

namespace {

// The thermal-ice file type, whose inflows carry temperature and ice.
constexpr int ThermalColumnSet = FileTypeThermalIce;

constexpr const char* TooFewText = "The hydrograph must consist of at least two entries.";
constexpr const char* BlankText =
    "One or more of of the hydrograph entries is blank.\n Please ensure all cells have values.";
constexpr const char* OrderText =
    "Not all of the time values are in increasing order.\n Please ensure time value increase from top to bottom.";

}  // namespace

const CRuntimeClass CEditInflowBCDlg::Runtime{"CEditInflowBCDlg", &CSeriesEditorDlg::Runtime, nullptr};

CEditInflowBCDlg::CEditInflowBCDlg(CWnd* parent)
    : CSeriesEditorDlg(IDD_EDIT_INFLOW_BC, IDC_SERIES_TITLE, IDC_SERIES_GRID, IDC_SERIES_GROUP, parent)
{}

std::vector<SeriesColumn> CEditInflowBCDlg::ValueColumns() const
{
    const bool metric = Units == 1;
    std::vector<SeriesColumn> columns = {
        {"Time (hours)", [](VQXTimeSeriesEntry& e) { return &e.Time; }, "%.2f"},
        {metric ? "Discharge (cms)" : "Discharge (cfs)", [](VQXTimeSeriesEntry& e) { return &e.Discharge; }, "%.4f"},
    };
    if (ColumnSet == ThermalColumnSet) {
        columns.push_back({"Water Temperature (\xB0"
                           "C)",
                           [](VQXTimeSeriesEntry& e) { return &e.WaterTemperature; }});
        columns.push_back({"Frazil Concentration (%)", [](VQXTimeSeriesEntry& e) { return &e.FrazilConcentration; }});
        columns.push_back({metric ? "Ice Velocity (m/s)" : "Ice Velocity (ft/s)",
                           [](VQXTimeSeriesEntry& e) { return &e.IceVelocity; }});
        columns.push_back({"Ice Concentration (%)", [](VQXTimeSeriesEntry& e) { return &e.IceConcentration; }});
        columns.push_back({metric ? "Frazil Slush Thickness (m)" : "Frazil Slush Thickness (ft)",
                           [](VQXTimeSeriesEntry& e) { return &e.SlushThickness; }});
        columns.push_back({metric ? "Solid Ice Thickness (m)" : "Solid Ice Thickness (ft)",
                           [](VQXTimeSeriesEntry& e) { return &e.SolidIceThickness; }});
    }
    return columns;
}

SeriesChecks CEditInflowBCDlg::Checks() const
{
    return {TooFewText, BlankText, OrderText};
}

bool CEditInflowBCDlg::Widened() const
{
    return ColumnSet == ThermalColumnSet;
}
