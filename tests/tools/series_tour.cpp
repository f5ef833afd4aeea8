// Shows the four series editors as a user meets them and saves the screen at every stop: the
// inflow editor, the thermal inflow and the water-quality inflow (both widened), the outflow
// rating curve in imperial units, the atmospheric zone, and a thermal inflow with edits in red
// before Apply and in black after it. Run it on a display (a virtual one under xvfb-run).
//
//   series_tour OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png; the exit status is 0 when every picture was saved and shows
// more than a blank screen.
#include "ScreenTour.h"

#include "app/EditAtmosphericZoneDlg.h"
#include "app/EditInflowBCDlg.h"
#include "app/EditOutflowBCDlg.h"
#include "app/EditWQInflowBCDlg.h"
#include "platform/Dialog.h"
#include "platform/UiThread.h"
#include "resources/ResourceIds.h"

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

using namespace screen_tour;
using VQXDisplayLib::VQXTimeSeries;
using VQXDisplayLib::VQXTimeSeriesEntry;

namespace {

// A day of hourly entries whose values change from row to row.
VQXTimeSeries Day()
{
    VQXTimeSeries series;
    for (int i = 0; i < 24; ++i) {
        VQXTimeSeriesEntry e;
        e.Time = i;
        e.Discharge = 120.0 + 7.5 * i;
        e.Stage = 101.25 + 0.05 * i;
        e.WaterTemperature = i < 12 ? 0.0 : 0.01 * (i - 12);
        e.FrazilConcentration = 0.5;
        e.IceVelocity = 0.8;
        e.IceConcentration = 35.0 + i;
        e.SlushThickness = 0.12;
        e.SolidIceThickness = 0.3;
        e.AirTemperature = -12.0 + 0.5 * i;
        e.SolarRadiation = i > 7 && i < 17 ? 180.0 : 0.0;
        for (int k = 0; k < 12; ++k) e.WQValues[k] = 0.25 * (k + 1) + 0.01 * i;
        e.WQValues[0] = 9.5 - 0.05 * i;
        series.push_back(e);
    }
    return series;
}

// Shows dialog modeless (as the program shows it modal) on the series.
void Show(CSeriesEditorDlg& dialog, UINT templateId, const char* title, int units, int columnSet)
{
    dialog.Title = title;
    dialog.Series = Day();
    dialog.Entries = int(dialog.Series.size());
    dialog.Units = units;
    dialog.ColumnSet = columnSet;
    if (!dialog.Create(templateId)) {
        std::fprintf(stderr, "no dialog %u\n", templateId);
        g_failed = true;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: series_tour OUTPUT_FOLDER\n");
        return 1;
    }
    g_folder = argv[1];
    std::filesystem::create_directories(g_folder);
    int qtArgc = 1;
    PlatformApplication app(qtArgc, argv);
    std::setlocale(LC_NUMERIC, "C");

    std::unique_ptr<CSeriesEditorDlg> dialog;
    const auto open = [&](std::unique_ptr<CSeriesEditorDlg> next, UINT id, const char* title, int units, int set) {
        if (dialog) dialog->DestroyWindow();
        dialog = std::move(next);
        Show(*dialog, id, title, units, set);
    };
    const std::vector<std::function<void()>> stops = {
        [&] {
            open(std::make_unique<CEditInflowBCDlg>(), IDD_EDIT_INFLOW_BC, "BC # 1    ( Type = Inflow Hydrograph )", 1,
                 0);
        },
        [] { SaveScreen("inflow"); },
        [&] {
            open(std::make_unique<CEditInflowBCDlg>(), IDD_EDIT_INFLOW_BC,
                 "BC # 2    ( Type = Lateral Flow Hydrograph )", 1, 3);
        },
        [] { SaveScreen("thermal-inflow-widened"); },
        [&] {
            open(std::make_unique<CEditWQInflowBCDlg>(), IDD_EDIT_WQ_INFLOW_BC,
                 "BC # 1    ( Type = Inflow Hydrograph )", 1, 0);
        },
        [] { SaveScreen("wq-inflow-widened"); },
        [&] {
            open(std::make_unique<CEditWQInflowBCDlg>(), IDD_EDIT_WQ_INFLOW_BC,
                 "BC # 1    ( Type = Inflow Hydrograph )", 1, 1);
        },
        [] { SaveScreen("wq-inflow-heavy-metals"); },
        [&] {
            auto outflow = std::make_unique<CEditOutflowBCDlg>();
            open(std::move(outflow), IDD_EDIT_OUTFLOW_BC, "BC # 4    ( Type = Outflow Rating Curve )", 0,
                 OutflowRatingCurveKind);
        },
        [] { SaveScreen("outflow-rating-curve-imperial"); },
        [&] { open(std::make_unique<CEditAtmosphericZoneDlg>(), IDD_EDIT_ATMOSPHERIC_ZONE, "Zone # 1", 1, 0); },
        [] { SaveScreen("atmospheric-zone"); },
        [&] {
            open(std::make_unique<CEditInflowBCDlg>(), IDD_EDIT_INFLOW_BC,
                 "BC # 2    ( Type = Lateral Flow Hydrograph )", 1, 3);
            dialog->Grid.SetCellTextChecked(3, 2, "300");
            dialog->Grid.SetCellTextChecked(4, 3, "0.25");
            dialog->Grid.SetCellTextChecked(5, 6, "80");
            dialog->Grid.Invalidate();
        },
        [] { SaveScreen("edits-in-red-before-apply"); },
        [&] { static_cast<CButton*>(dialog->GetDlgItem(IDC_SERIES_APPLY))->Click(); },
        [] { SaveScreen("edits-in-black-after-apply"); },
        [&] {
            if (dialog) dialog->DestroyWindow();
            QCoreApplication::quit();
        },
    };
    RunStops(stops);
    app.exec();
    return g_failed || g_shots == 0 ? 2 : 0;
}
