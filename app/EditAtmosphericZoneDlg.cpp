#include "app/EditAtmosphericZoneDlg.h"

#include "resources/ResourceIds.h"

using VQXDisplayLib::VQXTimeSeriesEntry;

namespace {

constexpr const char* TooFewText = "The zone data must consist of at least two entries.";
constexpr const char* BlankText =
    "One or more of of the zone data entries is blank.\n Please ensure all cells have values.";
constexpr const char* OrderText =
    "Not all of the time values are in increasing order.\n Please ensure time value increase from top to bottom.";

}  // namespace

const CRuntimeClass CEditAtmosphericZoneDlg::Runtime{"CEditAtmosphericZoneDlg", &CSeriesEditorDlg::Runtime, nullptr};

CEditAtmosphericZoneDlg::CEditAtmosphericZoneDlg(CWnd* parent)
    : CSeriesEditorDlg(IDD_EDIT_ATMOSPHERIC_ZONE, IDC_ZONE_TITLE, IDC_ZONE_GRID, IDC_ZONE_GROUP, parent)
{}

std::vector<SeriesColumn> CEditAtmosphericZoneDlg::ValueColumns() const
{
    return {
        {"Time (hrs)", [](VQXTimeSeriesEntry& e) { return &e.Time; }, "%.2f"},
        {"Air Temperature (\xB0"
         "C)",
         [](VQXTimeSeriesEntry& e) { return &e.AirTemperature; }},
        {"Solar Radiation (W/m\xB2)", [](VQXTimeSeriesEntry& e) { return &e.SolarRadiation; }},
    };
}

const char* CEditAtmosphericZoneDlg::FilterValue(int row, int col, double& value) const
{
    if (col == 1) return TimeValue(row, value);
    return "%.3f";
}

SeriesChecks CEditAtmosphericZoneDlg::Checks() const
{
    return {TooFewText, BlankText, OrderText};
}
