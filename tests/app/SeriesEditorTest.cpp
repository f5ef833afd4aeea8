// The series editors on live dialogs, played through the modal-dialog interceptor: what a
// typed value becomes, what Apply accepts and refuses, the entry count, and what Close hands
// back.
#include "app/EditAtmosphericZoneDlg.h"
#include "app/EditInflowBCDlg.h"
#include "app/EditOutflowBCDlg.h"
#include "app/EditWQInflowBCDlg.h"
#include "datalib/TimeSeries.h"
#include "platform/Dialog.h"
#include "platform/OleData.h"
#include "platform/TestHooks.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>

namespace {

using VQXDisplayLib::VQXTimeSeries;
using VQXDisplayLib::VQXTimeSeriesEntry;

constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Black = RGB(0, 0, 0);

enum class Kind { Inflow, ThermalInflow, WQNutrients, WQMetals, Outflow, Rating, Zone };

// A series of n entries one hour apart whose values differ from row to row in every field.
VQXTimeSeries Ramp(int n)
{
    VQXTimeSeries series;
    for (int i = 0; i < n; ++i) {
        VQXTimeSeriesEntry e;
        e.Time = i;
        e.Discharge = 10.0 + i;
        e.Stage = 100.0 + 0.5 * i;
        e.WaterTemperature = 0.1 * i;
        e.FrazilConcentration = 0.2 * i;
        e.IceVelocity = 0.3 * i;
        e.IceConcentration = 0.4 * i;
        e.SlushThickness = 0.01 * i;
        e.SolidIceThickness = 0.02 * i;
        e.AirTemperature = -5.0 + i;
        e.SolarRadiation = 50.0 * i;
        for (int k = 0; k < 12; ++k) e.WQValues[k] = k + 0.25 * i;
        series.push_back(e);
    }
    return series;
}

std::unique_ptr<CSeriesEditorDlg> MakeDialog(Kind kind, VQXTimeSeries series)
{
    std::unique_ptr<CSeriesEditorDlg> d;
    switch (kind) {
    case Kind::Inflow: d = std::make_unique<CEditInflowBCDlg>(); break;
    case Kind::ThermalInflow:
        d = std::make_unique<CEditInflowBCDlg>();
        d->ColumnSet = 3;
        break;
    case Kind::WQNutrients: d = std::make_unique<CEditWQInflowBCDlg>(); break;
    case Kind::WQMetals:
        d = std::make_unique<CEditWQInflowBCDlg>();
        d->ColumnSet = 1;
        break;
    case Kind::Outflow: d = std::make_unique<CEditOutflowBCDlg>(); break;
    case Kind::Rating:
        d = std::make_unique<CEditOutflowBCDlg>();
        d->ColumnSet = OutflowRatingCurveKind;
        break;
    case Kind::Zone: d = std::make_unique<CEditAtmosphericZoneDlg>(); break;
    }
    d->Title = "BC # 1    ( Type = Inflow Hydrograph )";
    d->Entries = int(series.size());
    d->Series = std::move(series);
    return d;
}

void Press(CDialog& d, int id)
{
    static_cast<CButton*>(d.GetDlgItem(id))->Click();
}

bool ApplyEnabled(CDialog& d)
{
    return d.GetDlgItem(IDC_SERIES_APPLY)->IsWindowEnabled() != FALSE;
}

// Runs the dialog with script on it; returns DoModal's result.
int RunDialog(CSeriesEditorDlg& dialog, const std::function<void(CSeriesEditorDlg&)>& script)
{
    ModalDialogInterceptor interceptor;
    interceptor.scripts.push_back([&](CDialog& d) { script(static_cast<CSeriesEditorDlg&>(d)); });
    return dialog.DoModal();
}

TEST(SeriesEditorTest, TypedValuesAreFilteredAndShownInRed)
{
    struct Case {
        Kind kind;
        int row;
        int col;
        const char* typed;
        const char* shown;  // the old text when refused
        bool accepted;
    };
    static const std::string nines(310, '9');
    const Case cases[] = {
        {Kind::Inflow, 1, 1, "5", "0.00", true},  // the first time is always 0
        {Kind::Inflow, 2, 1, "5", "5.00", true},
        {Kind::Inflow, 2, 2, "-3", "0.0000", true},     // clamped to the lower bound
        {Kind::Inflow, 2, 2, "2e9", "11.0000", false},  // no exponent
        {Kind::Inflow, 2, 2, "1.2.3", "1.2000", true},  // the leading number
        {Kind::Inflow, 2, 2, "", "0.0000", true},       // empty reads 0
        {Kind::Inflow, 2, 2, "5000000000", "1000000000.0000", true},
        {Kind::Inflow, 2, 2, nines.c_str(), "11.0000", false},     // beyond a double
        {Kind::ThermalInflow, 2, 5, "-1.23456", "-1.2346", true},  // not clamped
        {Kind::WQNutrients, 2, 2, "-1", "0.0000", true},
        {Kind::WQMetals, 2, 4, "7.5", "7.5000", true},
        {Kind::Outflow, 2, 2, "-3", "100.500", false},  // no minus sign
        {Kind::Outflow, 2, 2, "12.34567", "12.346", true},
        {Kind::Outflow, 2, 2, "12.3454", "12.345", true},
        {Kind::Outflow, 1, 1, "7", "0.00", true},
        {Kind::Rating, 1, 1, "7.12345", "7.123", true},  // a rating discharge keeps its value
        {Kind::Zone, 2, 2, "-12.3456", "-12.346", true},
        {Kind::Zone, 1, 1, "3", "0.00", true},
        {Kind::Zone, 2, 3, "1a", "50.000", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " at " + std::to_string(c.row) + "," + std::to_string(c.col));
        auto dialog = MakeDialog(c.kind, Ramp(3));
        RunDialog(*dialog, [&](CSeriesEditorDlg& d) {
            EXPECT_FALSE(ApplyEnabled(d));
            d.Grid.SetCellTextChecked(c.row, c.col, c.typed);
            EXPECT_EQ(d.Grid.CellText(c.row, c.col), c.shown);
            EXPECT_EQ(ApplyEnabled(d), c.accepted);
            if (c.accepted) {
                EXPECT_EQ(d.Grid.CellAt(c.row, c.col)->GetTextColor(), Red);
            }
        });
    }
}

TEST(SeriesEditorTest, FillShowsHeadingsFormatsAndCentredCells)
{
    struct Case {
        Kind kind;
        int units;
        std::vector<std::string> headings;
        std::vector<std::string> row2;
    };
    const Case cases[] = {
        {Kind::Inflow, 1, {"", "Time (hours)", "Discharge (cms)"}, {"2", "1.00", "11.0000"}},
        {Kind::Inflow, 0, {"", "Time (hours)", "Discharge (cfs)"}, {"2", "1.00", "11.0000"}},
        {Kind::ThermalInflow,
         0,
         {"", "Time (hours)", "Discharge (cfs)",
          "Water Temperature (\xB0"
          "C)",
          "Frazil Concentration (%)", "Ice Velocity (ft/s)", "Ice Concentration (%)", "Frazil Slush Thickness (ft)",
          "Solid Ice Thickness (ft)"},
         {"2", "1.00", "11.0000", "0.100", "0.200", "0.300", "0.400", "0.010", "0.020"}},
        {Kind::WQNutrients,
         1,
         {"", "Time (hours)", "DO (mg/L)", "NH3 (mg/L)", "NO3 (mg/L)", "BOD (mg/L)", "OP (mg/L)", "PP (mg/L)"},
         {"2", "1.00", "0.250", "1.250", "2.250", "3.250", "4.250", "5.250"}},
        {Kind::WQMetals,
         1,
         {"", "Time (hours)", "Cdw (mg/L)", "Caw (mg/L)", "Css (mg/L)", "", "", ""},
         {"2", "1.00", "6.250", "7.250", "8.250", "", "", ""}},
        {Kind::Outflow, 1, {"", "Time (hours)", "  WSE (m)  "}, {"2", "1.00", "100.500"}},
        {Kind::Rating, 0, {"", "Discharge (cfs)", "  WSE (ft)  "}, {"2", "11.000", "100.500"}},
        {Kind::Zone,
         1,
         {"", "Time (hrs)",
          "Air Temperature (\xB0"
          "C)",
          "Solar Radiation (W/m\xB2)"},
         {"2", "1.00", "-4.000", "50.000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headings.back());
        auto dialog = MakeDialog(c.kind, Ramp(3));
        dialog->Units = c.units;
        RunDialog(*dialog, [&](CSeriesEditorDlg& d) {
            ASSERT_EQ(d.Grid.ColumnCount(), int(c.headings.size()));
            ASSERT_EQ(d.Grid.RowCount(), 4);
            for (int col = 0; col < d.Grid.ColumnCount(); ++col) {
                EXPECT_EQ(d.Grid.CellText(0, col), c.headings[std::size_t(col)]);
                EXPECT_EQ(d.Grid.CellText(2, col), c.row2[std::size_t(col)]);
                EXPECT_EQ(d.Grid.CellAt(0, col)->GetFormat() & DT_CENTER, UINT(DT_CENTER));
                EXPECT_EQ(d.Grid.CellAt(3, col)->GetFormat() & DT_CENTER, UINT(DT_CENTER));
            }
            EXPECT_EQ(d.Grid.FixedRowCount(), 1);
            EXPECT_EQ(d.Grid.FixedColumnCount(), 1);
            EXPECT_FALSE(d.Grid.ColumnResize);
            const bool drags = c.kind == Kind::Inflow || c.kind == Kind::ThermalInflow || c.kind == Kind::WQNutrients ||
                               c.kind == Kind::WQMetals;
            EXPECT_EQ(d.Grid.DragAndDrop != FALSE, drags);
            EXPECT_EQ(d.GetDlgItem(IDC_SERIES_ENTRIES)->GetWindowText(), "3");
        });
    }
}

// The water-quality dialog always, the inflow dialog for a thermal-ice model: three times as
// wide, the buttons one width to the right, the grid and its group two widths wider.
TEST(SeriesEditorTest, ManyColumnsWidenTheDialog)
{
    struct Placement {
        CRect window, client, apply, close, grid, group;
    };
    const auto measure = [](Kind kind) {
        Placement p;
        auto dialog = MakeDialog(kind, Ramp(3));
        RunDialog(*dialog, [&](CSeriesEditorDlg& d) {
            d.GetWindowRect(&p.window);
            d.GetClientRect(&p.client);
            d.GetDlgItem(IDC_SERIES_APPLY)->GetWindowRect(&p.apply);
            d.GetDlgItem(IDCANCEL)->GetWindowRect(&p.close);
            d.GetDlgItem(IDC_SERIES_GRID)->GetWindowRect(&p.grid);
            d.GetDlgItem(IDC_SERIES_GROUP)->GetWindowRect(&p.group);
        });
        return p;
    };
    const Placement plain = measure(Kind::Inflow);
    for (Kind kind : {Kind::ThermalInflow, Kind::WQNutrients, Kind::WQMetals}) {
        const Placement wide = measure(kind);
        // Headless, the window has no frame: its width is the client's.
        const int w = plain.client.Width();
        EXPECT_EQ(wide.client.Width(), 3 * w);
        EXPECT_EQ(wide.client.Height(), plain.client.Height());
        EXPECT_EQ(wide.apply.left - wide.window.left, plain.apply.left - plain.window.left + w);
        EXPECT_EQ(wide.close.left - wide.window.left, plain.close.left - plain.window.left + w);
        EXPECT_EQ(wide.apply.Width(), plain.apply.Width());
        EXPECT_EQ(wide.grid.Width(), plain.grid.Width() + 2 * w);
        EXPECT_EQ(wide.group.Width(), plain.group.Width() + 2 * w);
        EXPECT_EQ(wide.grid.left - wide.window.left, plain.grid.left - plain.window.left);
    }
}

// Apply's outcomes: the message of the first failing check (none for a pass), and what the
// series holds after it.
TEST(SeriesEditorTest, ApplyChecksInOrderAndRebuildsTheSeries)
{
    struct Case {
        const char* name;
        Kind kind;
        int entries;
        std::function<void(CSeriesEditorDlg&)> edit;
        const char* message;  // null: applied
        std::function<void(const VQXTimeSeries&)> check;
    };
    const auto count = [](const char* n) {
        return [n](CSeriesEditorDlg& d) {
            d.GetDlgItem(IDC_SERIES_ENTRIES)->SetWindowText(n);
            Press(d, IDC_SERIES_UPDATE_ENTRIES);
        };
    };
    const Case cases[] = {
        {"one row", Kind::Inflow, 1, nullptr, "The hydrograph must consist of at least two entries.", nullptr},
        {"one rating row", Kind::Rating, 1, nullptr, "The rating curve must consist of at least two entries.", nullptr},
        {"one zone row", Kind::Zone, 1, nullptr, "The zone data must consist of at least two entries.", nullptr},
        {"blank time in a new row", Kind::Inflow, 3, count("4"),
         "One or more of of the hydrograph entries is blank.\n Please ensure all cells have values.", nullptr},
        {"blank outflow stage", Kind::Outflow, 3,
         [&](CSeriesEditorDlg& d) {
             count("4")(d);
             d.Grid.SetCellTextChecked(4, 1, "9");
         },
         "One or more of of the entries is blank.\n Please ensure all cells have values.", nullptr},
        {"blank zone cell", Kind::Zone, 3, count("4"),
         "One or more of of the zone data entries is blank.\n Please ensure all cells have values.", nullptr},
        {"equal times", Kind::Inflow, 3, [](CSeriesEditorDlg& d) { d.Grid.SetCellTextChecked(2, 1, "0"); },
         "Not all of the time values are in increasing order.\n Please ensure time value increase from top to bottom.",
         nullptr},
        {"falling outflow times", Kind::Outflow, 3, [](CSeriesEditorDlg& d) { d.Grid.SetCellTextChecked(3, 1, "0.5"); },
         "Not all of the time values are in increasing order.\n Please ensure time value increase from top to bottom "
         "with the first time value set to 0 hrs.",
         nullptr},
        {"falling rating discharges", Kind::Rating, 3,
         [](CSeriesEditorDlg& d) { d.Grid.SetCellTextChecked(3, 1, "10.5"); },
         "Not all of the discharge values are in increasing order.\n Please ensure discharge values increase from top "
         "to bottom.",
         nullptr},
        {"equal rating discharges pass", Kind::Rating, 3,
         [](CSeriesEditorDlg& d) { d.Grid.SetCellTextChecked(3, 1, "11"); }, nullptr,
         [](const VQXTimeSeries& s) {
             ASSERT_EQ(s.size(), 3u);
             EXPECT_EQ(s[2].Discharge, 11.0);
             EXPECT_EQ(s[2].Time, 0.0);  // a rating curve keeps no time
             EXPECT_EQ(s[2].Stage, 101.0);
         }},
        {"blank column 3 stored as 0", Kind::ThermalInflow, 3,
         [&](CSeriesEditorDlg& d) {
             count("4")(d);
             d.Grid.SetCellTextChecked(4, 1, "7");
             d.Grid.SetCellTextChecked(4, 2, "12.5");
         },
         nullptr,
         [](const VQXTimeSeries& s) {
             ASSERT_EQ(s.size(), 4u);
             EXPECT_EQ(s[3].Time, 7.0);
             EXPECT_EQ(s[3].Discharge, 12.5);
             EXPECT_EQ(s[3].WaterTemperature, 0.0);
             EXPECT_EQ(s[1].WaterTemperature, 0.1);  // untouched: exact
         }},
        {"metal concentrations kept", Kind::WQMetals, 3,
         [](CSeriesEditorDlg& d) { d.Grid.SetCellTextChecked(2, 3, "4.5"); }, nullptr,
         [](const VQXTimeSeries& s) {
             ASSERT_EQ(s.size(), 3u);
             EXPECT_EQ(s[1].WQValues[6], 6.25);
             EXPECT_EQ(s[1].WQValues[7], 4.5);
             EXPECT_EQ(s[2].WQValues[8], 8.5);
             EXPECT_EQ(s[2].WQValues[0], 0.0);  // nutrients are no metal inflow's
         }},
        {"nutrients", Kind::WQNutrients, 3, [](CSeriesEditorDlg& d) { d.Grid.SetCellTextChecked(3, 7, "1.23456"); },
         nullptr,
         [](const VQXTimeSeries& s) {
             ASSERT_EQ(s.size(), 3u);
             EXPECT_EQ(s[2].WQValues[5], 1.2346);
             EXPECT_EQ(s[2].WQValues[0], 0.5);
             EXPECT_EQ(s[2].Discharge, 0.0);
         }},
        {"zone", Kind::Zone, 3, [](CSeriesEditorDlg& d) { d.Grid.SetCellTextChecked(2, 3, "77.7777"); }, nullptr,
         [](const VQXTimeSeries& s) {
             ASSERT_EQ(s.size(), 3u);
             EXPECT_EQ(s[1].SolarRadiation, 77.778);
             EXPECT_EQ(s[2].AirTemperature, -3.0);
             EXPECT_EQ(s[2].Discharge, 0.0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto dialog = MakeDialog(c.kind, Ramp(c.entries));
        const VQXTimeSeries given = dialog->Series;
        MessageBoxSink boxes;
        const int result = RunDialog(*dialog, [&](CSeriesEditorDlg& d) {
            // Apply is enabled by an edit.
            if (c.edit) c.edit(d);
            else d.Grid.SetCellTextChecked(1, 2, "10");
            Press(d, IDC_SERIES_APPLY);
            // A passed Apply disables itself; a failed one leaves the grid as it was.
            EXPECT_EQ(ApplyEnabled(d), c.message != nullptr);
            if (!c.message) {
                for (int row = 1; row < d.Grid.RowCount(); ++row)
                    EXPECT_EQ(d.Grid.CellAt(row, 1)->GetTextColor(), Black);
            }
            Press(d, IDCANCEL);
        });
        EXPECT_EQ(result, IDOK);  // Apply was pressed
        if (c.message) {
            ASSERT_EQ(boxes.shown.size(), 1u);
            EXPECT_EQ(boxes.shown[0].text, c.message);
            EXPECT_EQ(dialog->Series.size(), given.size());  // the series as it was given
        } else {
            EXPECT_TRUE(boxes.shown.empty()) << boxes.shown[0].text;
            c.check(dialog->Series);
        }
    }
}

// Untouched cells give back the values they were filled from, however the display rounds them:
// a 30-second series keeps distinct times and applies again.
TEST(SeriesEditorTest, UntouchedCellsKeepTheirExactValues)
{
    VQXTimeSeries series;
    for (int i = 0; i < 5; ++i) {
        VQXTimeSeriesEntry e;
        e.Time = i / 120.0;
        e.Discharge = 1.0 / 3.0 + i;
        e.SlushThickness = 0.0004 * i;
        series.push_back(e);
    }
    auto dialog = MakeDialog(Kind::ThermalInflow, series);
    MessageBoxSink boxes;
    const int result = RunDialog(*dialog, [&](CSeriesEditorDlg& d) {
        EXPECT_EQ(d.Grid.CellText(2, 1), "0.01");
        EXPECT_EQ(d.Grid.CellText(3, 1), "0.02");
        d.Grid.SetCellTextChecked(5, 2, "9");
        Press(d, IDC_SERIES_APPLY);
        d.Grid.SetCellTextChecked(4, 2, "8");  // a second Apply after the first
        Press(d, IDC_SERIES_APPLY);
        Press(d, IDCANCEL);
    });
    EXPECT_TRUE(boxes.shown.empty());
    ASSERT_EQ(result, IDOK);
    ASSERT_EQ(dialog->Series.size(), series.size());
    for (std::size_t i = 0; i < series.size(); ++i) {
        EXPECT_EQ(dialog->Series[i].Time, series[i].Time);
        EXPECT_EQ(dialog->Series[i].SlushThickness, series[i].SlushThickness);
        if (i < 3) {
            EXPECT_EQ(dialog->Series[i].Discharge, series[i].Discharge);
        }
    }
    EXPECT_EQ(dialog->Series[3].Discharge, 8.0);
    EXPECT_EQ(dialog->Series[4].Discharge, 9.0);
}

TEST(SeriesEditorTest, EntryCountTakesTwoToOneHundredThousand)
{
    constexpr const char* Refusal = "Number of entries must be between 2 and 100000.";
    struct Case {
        const char* typed;
        int rows;  // after the command; 4 when refused
    };
    const Case cases[] = {
        {"1", 4},  {"0", 4}, {"100001", 4}, {"text", 4},        {"4294967298", 4},
        {"-5", 4}, {"2", 3}, {"6", 7},      {"100000", 100001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        auto dialog = MakeDialog(Kind::Inflow, Ramp(3));
        MessageBoxSink boxes;
        RunDialog(*dialog, [&](CSeriesEditorDlg& d) {
            d.GetDlgItem(IDC_SERIES_ENTRIES)->SetWindowText(c.typed);
            Press(d, IDC_SERIES_UPDATE_ENTRIES);
            EXPECT_EQ(d.Grid.RowCount(), c.rows);
            if (c.rows == 4) {
                ASSERT_EQ(boxes.shown.size(), 1u);
                EXPECT_EQ(boxes.shown[0].text, Refusal);
                EXPECT_FALSE(ApplyEnabled(d));
                EXPECT_EQ(d.Grid.CellText(3, 2), "12.0000");
            } else {
                EXPECT_TRUE(boxes.shown.empty());
                EXPECT_TRUE(ApplyEnabled(d));
                const int last = d.Grid.RowCount() - 1;
                EXPECT_EQ(d.Grid.CellText(last, 0), std::to_string(last));
                if (last > 3) {
                    EXPECT_EQ(d.Grid.CellText(last, 1), "");
                }
                EXPECT_EQ(d.Grid.CellText(2, 2), "11.0000");
            }
        });
        EXPECT_EQ(dialog->Series.size(), 3u);  // only Apply changes the series
    }
}

TEST(SeriesEditorTest, CloseEndsWithOkOnlyOnceApplyWasPressed)
{
    // Never applied: Cancel, even after edits.
    auto untouched = MakeDialog(Kind::Zone, Ramp(3));
    EXPECT_EQ(RunDialog(*untouched,
                        [](CSeriesEditorDlg& d) {
                            d.Grid.SetCellTextChecked(2, 2, "4");
                            Press(d, IDCANCEL);
                        }),
              IDCANCEL);
    EXPECT_FALSE(untouched->Applied);

    // A failed Apply, then Close: OK with the series as it was given.
    auto failed = MakeDialog(Kind::Outflow, Ramp(3));
    MessageBoxSink boxes;
    EXPECT_EQ(RunDialog(*failed,
                        [](CSeriesEditorDlg& d) {
                            d.Grid.SetCellTextChecked(3, 1, "0.5");
                            Press(d, IDC_SERIES_APPLY);
                            Press(d, IDCANCEL);
                        }),
              IDOK);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(failed->Applied);
    const VQXTimeSeries given = Ramp(3);
    ASSERT_EQ(failed->Series.size(), 3u);
    EXPECT_EQ(failed->Series[2].Time, given[2].Time);

    // A good Apply, a later failed one: the last good series.
    auto both = MakeDialog(Kind::Inflow, Ramp(3));
    EXPECT_EQ(RunDialog(*both,
                        [](CSeriesEditorDlg& d) {
                            d.Grid.SetCellTextChecked(2, 2, "42");
                            Press(d, IDC_SERIES_APPLY);
                            d.Grid.SetCellTextChecked(3, 1, "0");
                            Press(d, IDC_SERIES_APPLY);
                            Press(d, IDCANCEL);
                        }),
              IDOK);
    ASSERT_EQ(both->Series.size(), 3u);
    EXPECT_EQ(both->Series[1].Discharge, 42.0);
    EXPECT_EQ(both->Series[2].Time, 2.0);

    // A count that is no integer keeps the dialog open on Close after Apply.
    auto typed = MakeDialog(Kind::Inflow, Ramp(3));
    MessageBoxSink more;
    bool stayed = false;
    EXPECT_EQ(RunDialog(*typed,
                        [&](CSeriesEditorDlg& d) {
                            d.Grid.SetCellTextChecked(2, 2, "4");
                            Press(d, IDC_SERIES_APPLY);
                            d.GetDlgItem(IDC_SERIES_ENTRIES)->SetWindowText("x");
                            Press(d, IDCANCEL);
                            stayed = d.GetSafeHwnd() != nullptr;
                            d.GetDlgItem(IDC_SERIES_ENTRIES)->SetWindowText("3");
                            Press(d, IDCANCEL);
                        }),
              IDOK);
    EXPECT_TRUE(stayed);
    ASSERT_FALSE(more.shown.empty());
    EXPECT_EQ(more.shown.back().text, "Enter an integer.");
}

// A paste longer than the grid grows it first, up to the largest series; a longer block is
// refused whole.
TEST(SeriesEditorTest, APasteGrowsTheGridToHoldEveryLine)
{
    const auto lines = [](int n) {
        std::string text;
        for (int i = 0; i < n; ++i) text += std::to_string(i) + "\t" + std::to_string(2 * i) + ".5\n";
        return text;
    };
    auto dialog = MakeDialog(Kind::Inflow, Ramp(2));
    MessageBoxSink boxes;
    const int result = RunDialog(*dialog, [&](CSeriesEditorDlg& d) {
        COleDataObject block;
        block.AttachText(lines(500));
        EXPECT_TRUE(d.Grid.PasteText(1, 1, &block, TRUE));
        EXPECT_EQ(d.Grid.RowCount(), 501);
        EXPECT_EQ(d.Grid.CellText(500, 0), "500");
        EXPECT_EQ(d.Grid.CellText(500, 1), "499.00");
        EXPECT_EQ(d.Grid.CellText(500, 2), "998.5000");
        EXPECT_TRUE(ApplyEnabled(d));
        COleDataObject tooLong;
        tooLong.AttachText(lines(100001));
        EXPECT_FALSE(d.Grid.PasteText(1, 1, &tooLong, TRUE));
        EXPECT_EQ(d.Grid.RowCount(), 501);
        EXPECT_EQ(d.Grid.CellText(2, 1), "1.00");
        Press(d, IDC_SERIES_APPLY);
        Press(d, IDCANCEL);
    });
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "The pasted text holds 100001 rows; a series holds at most 100000 entries.");
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(dialog->Series.size(), 500u);
    EXPECT_EQ(dialog->Series[0].Time, 0.0);
    EXPECT_EQ(dialog->Series[499].Discharge, 998.5);
}

// The largest thermal inflow opens, reaches its last row, takes an edit there and applies.
TEST(SeriesEditorTest, TheLargestThermalInflowTakesAnEditAtItsEnd)
{
    auto dialog = MakeDialog(Kind::ThermalInflow, Ramp(100000));
    MessageBoxSink boxes;
    const int result = RunDialog(*dialog, [&](CSeriesEditorDlg& d) {
        ASSERT_EQ(d.Grid.RowCount(), 100001);
        d.Grid.ScrollCellIntoView(100000, 8);
        EXPECT_TRUE(d.Grid.IsCellVisible(100000, 8));
        d.Grid.SetCellTextChecked(100000, 8, "0.5");
        Press(d, IDC_SERIES_APPLY);
        Press(d, IDCANCEL);
    });
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(dialog->Series.size(), 100000u);
    EXPECT_EQ(dialog->Series[99999].SolidIceThickness, 0.5);
    EXPECT_EQ(dialog->Series[99998].SolidIceThickness, 0.02 * 99998);
}

TEST(SeriesEditorTest, ReadCountSaturates)
{
    EXPECT_EQ(CSeriesEditorDlg::ReadCount("4294967298"), INT_MAX);
    EXPECT_EQ(CSeriesEditorDlg::ReadCount(" 12abc"), 12);
    EXPECT_EQ(CSeriesEditorDlg::ReadCount("abc"), 0);
    EXPECT_EQ(CSeriesEditorDlg::ReadCount("-7"), -7);
}

}  // namespace
