// Global Settings and File Type Options as a user works them: the dialog's rows and window by
// file type, its refusals, the values it gives back by file type, a change of the system of
// units, and changes of the file type with what a save then writes.
#include "RunTestSupport.h"

#include "app/EditBridgingEventsDlg.h"
#include "app/FileOptionsDlg.h"
#include "app/GlobalSettingsDlg.h"
#include "datalib/ModelState.h"
#include "engine/EngineData.h"
#include "engine/Units.h"
#include "resources/GlobalSettingsDialog.h"

#include <QLineEdit>

#include <cmath>
#include <set>

namespace {

using namespace run_test;

constexpr int Label(int id) { return id + GlobalSettingsLabelOffset; }

class GlobalSettingsTest : public RunTest
{
protected:
    // Opens another model without the question about the changes made to the one open.
    bool Open(const std::filesystem::path& source, const std::string& name = "river.vqx")
    {
        if (CVasquilDoc* doc = Doc()) doc->SetModifiedFlag(FALSE);
        return RunTest::Open(source, name);
    }
    void TearDown() override
    {
        if (CVasquilDoc* doc = Doc()) doc->SetModifiedFlag(FALSE);
        RunTest::TearDown();
    }
    // Global Settings through the Simulation menu: act plays the user on the live dialog, then
    // OK is pressed (and Cancel, should the dialog still be open). Returns the messages shown.
    std::vector<std::string> Settings(const std::function<void(CGlobalSettingsDlg&)>& act, bool* accepted = nullptr)
    {
        ModalDialogInterceptor interceptor;
        bool ended = false;
        interceptor.scripts.push_back([&](CDialog& live) {
            auto& dialog = static_cast<CGlobalSettingsDlg&>(live);
            act(dialog);
            Press(&dialog, IDOK);
            ended = !dialog.GetSafeHwnd() || !dialog.IsWindowVisible();
            if (!ended) Press(&dialog, IDCANCEL);
        });
        MessageBoxSink boxes;
        Command(ID_SIMULATION_GLOBAL_SETTINGS);
        EXPECT_EQ(interceptor.shown, std::vector<UINT>{IDD_GLOBAL_SETTINGS});
        if (accepted) *accepted = ended;
        std::vector<std::string> shown;
        for (const MessageBoxRequest& r : boxes.shown) shown.push_back(r.text);
        return shown;
    }
    // File Type Options: choose picks an entry of the list (-1 leaves it), then OK.
    void FileOptions(int entry)
    {
        ModalDialogInterceptor interceptor;
        interceptor.scripts.push_back([&](CDialog& live) {
            if (entry >= 0) static_cast<CComboBox*>(live.GetDlgItem(IDC_FILE_TYPE_LIST))->SetCurSel(entry);
            Press(&live, IDOK);
        });
        Command(ID_FILE_TYPE_OPTIONS);
        EXPECT_EQ(interceptor.shown, std::vector<UINT>{IDD_FILE_OPTIONS});
    }
    static bool Shown(CDialog& dialog, int id) { return !dialog.GetDlgItem(id)->GetWidget()->isHidden(); }
    static QRect Place(CDialog& dialog, int id) { return dialog.GetDlgItem(id)->GetWidget()->geometry(); }
    static QRect Pixels(CDialog& dialog, int x, int y, int cx, int cy)
    {
        CRect r(x, y, x + cx, y + cy);
        dialog.MapDialogRect(&r);
        return QRect(r.left, r.top, r.Width(), r.Height());
    }
};

// The rows each file type shows, the window's size and the buttons' places. The ice-jam and
// dynamic-ice rows sit in column 1 on their own rows; a file type the program does not know
// shows what open water shows, in a lower window.
TEST_F(GlobalSettingsTest, EachFileTypeShowsItsRowsInAWindowOfItsSize)
{
    const std::set<int> general = {1052, 1396, 1060, 1058, 1084, 1061};
    const std::set<int> ice = {1056, 1065};
    const std::set<int> jam = {1170, 1171, 1175, 1177, 1179, 1180, 1182};
    const std::set<int> dynamic = {1145, 1147, 1149, 1159, 1153, 1151, 1155, 1161, 1163, 1165, 1167, 1120};
    struct Case {
        int fileType;
        std::size_t rows;  // rows shown
        std::set<int> moved;
        int cx, cy;  // dialog units
    };
    const Case cases[] = {
        {0, 6, {}, 367, 165},    {1, 15, jam, 367, 300},  {2, 20, dynamic, 367, 367},
        {3, 54, {}, 707, 480},   {7, 6, {}, 367, 150},
    };
    RegisterGlobalSettingsDialogs();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileType);
        ModalDialogInterceptor interceptor;
        bool checked = false;
        interceptor.scripts.push_back([&](CDialog& live) {
            checked = true;
            std::size_t rows = 0;
            for (const GlobalSettingsRow& row : GlobalSettingsRows) {
                EXPECT_EQ(Shown(live, row.id), Shown(live, Label(row.id))) << row.id;
                if (!Shown(live, row.id)) continue;
                ++rows;
                if (c.fileType != 3) {
                    EXPECT_TRUE(general.count(row.id) || (c.fileType > 0 && c.fileType < 4 && ice.count(row.id)) ||
                                c.moved.count(row.id))
                        << row.id;
                }
                // A moved row keeps its row and takes column 1's places.
                const QRect field = Place(live, row.id);
                const int column = c.moved.count(row.id) ? 0 : row.column - 1;
                EXPECT_EQ(field.topLeft(), Pixels(live, GlobalSettingsFieldX[column], row.y, 1, 1).topLeft()) << row.id;
                EXPECT_EQ(Place(live, Label(row.id)).topLeft(),
                          Pixels(live, GlobalSettingsLabelX[column], row.y + 2, 1, 1).topLeft())
                    << row.id;
            }
            EXPECT_EQ(rows, c.rows);
            const QSize size = live.GetWidget()->size();
            EXPECT_EQ(size, Pixels(live, 0, 0, c.cx, c.cy).size());
            const QRect ok = Place(live, IDOK);
            const QRect cancel = Place(live, IDCANCEL);
            const QRect okTemplate = Pixels(live, GlobalSettingsOkX, GlobalSettingsButtonY, 50, 14);
            const QRect cancelTemplate = Pixels(live, GlobalSettingsCancelX, GlobalSettingsButtonY, 50, 14);
            if (c.fileType == 3) {
                EXPECT_EQ(ok.topLeft(), okTemplate.topLeft() + QPoint(size.width() / 4, 0));
                EXPECT_EQ(cancel.topLeft(), cancelTemplate.topLeft() + QPoint(size.width() / 4, 0));
            } else {
                const int shrank = Pixels(live, 0, 0, GlobalSettingsWidth, GlobalSettingsHeight).height() - size.height();
                EXPECT_EQ(ok.topLeft(), okTemplate.topLeft() - QPoint(0, shrank));
                EXPECT_EQ(cancel.topLeft(), cancelTemplate.topLeft() - QPoint(0, shrank));
            }
            // Every control shown lies inside the window.
            for (QWidget* w : live.GetWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (!w->isHidden()) {
                    EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(w->geometry())) << c.fileType;
                }
            const auto* temperature = qobject_cast<QLineEdit*>(live.GetDlgItem(1061)->GetWidget());
            EXPECT_EQ(temperature->isEnabled(), c.fileType != 3);
            if (c.fileType == 3) {
                EXPECT_EQ(temperature->text().toStdString(), "Not Applicable");
            }
        });
        CGlobalSettingsDlg dialog;
        dialog.FileType = c.fileType;
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_TRUE(checked);
    }
}

// OK checks the counts against their maxima and 0, then the picker; the first failure is
// shown and the dialog stays open. A field that is no finite number stops OK first.
TEST_F(GlobalSettingsTest, OkRefusesCountsOutOfRangeAndAMissingDate)
{
    ASSERT_TRUE(Open(Data("ft3-metric.vqx")));
    struct Case {
        const char* zones;
        const char* events;
        bool noDate;
        const char* field;  // typed into the hydrodynamic upwinding coefficient
        const char* message;  // nullptr: accepted
    };
    const Case cases[] = {
        {"21", "101", false, nullptr, "The maximum number of atmospheric zones is 20."},
        {"20", "101", false, nullptr, "The maximum number of bridging events is 100."},
        {"-1", "3", false, nullptr, "The number of atmospheric zones cannot be negative."},
        {"2", "-4", false, nullptr, "The number of bridging events cannot be negative."},
        {"2", "3", true, nullptr, "Please select a valid date and time."},
        {"21", "3", false, "nan", "Enter a number."},
        {"2", "3", false, "1e999", "Enter a number."},
        {"2", "3.5", false, nullptr, "Enter an integer."},
        {"20", "100", false, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.zones) + " " + c.events + " " + (c.field ? c.field : ""));
        const int zones = Doc()->State->ZoneCount;
        bool accepted = false;
        const auto shown = Settings(
            [&](CGlobalSettingsDlg& d) {
                Type(&d, IDC_GS_ZONES, c.zones);
                Type(&d, IDC_GS_EVENTS, c.events);
                if (c.noDate) d.StartPicker.SetTime(nullptr);
                if (c.field) Type(&d, IDC_GS_UPWINDING, c.field);
            },
            &accepted);
        if (c.message) {
            EXPECT_EQ(shown, std::vector<std::string>{c.message});
            EXPECT_FALSE(accepted);
            EXPECT_EQ(Doc()->State->ZoneCount, zones);
        } else {
            EXPECT_TRUE(shown.empty());
            EXPECT_TRUE(accepted);
            EXPECT_EQ(g_ModelControl.AtmosphericZoneCount, 20);
            EXPECT_EQ(g_ModelControl.BridgingEventCount, 100);
        }
    }
}

// The fields a pair shares: the model's file type decides which one is taken. The hydrodynamic
// upwinding updating goes back for every type, the thermal one only for thermal ice; the start
// date and time go back as they were picked.
TEST_F(GlobalSettingsTest, ThePairsGiveBackTheFieldOfTheModelsFileType)
{
    struct Case {
        const char* model;
        int fileType;
        double minimum;  // the minimum surface ice concentration after OK
    };
    const Case cases[] = {{"ft3-metric.vqx", 3, 0.2}, {"ft2-metric.vqx", 2, 0.3}, {"ft1-metric.vqx", 1, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        ASSERT_TRUE(Open(Data(c.model)));
        ASSERT_EQ(Doc()->State->FileType, c.fileType);
        const double before = g_ModelControl.MinSurfaceIceConcentration;
        const int thermalUpdating = g_EquationSystems[ThermalIceSystem].UpwindingUpdating;
        const auto shown = Settings([](CGlobalSettingsDlg& d) {
            EXPECT_EQ(Text(&d, IDC_GS_THERMAL_MIN_CONCENTRATION), Text(&d, IDC_GS_DYNAMIC_MIN_CONCENTRATION));
            Type(&d, IDC_GS_THERMAL_MIN_CONCENTRATION, "0.2");
            Type(&d, IDC_GS_DYNAMIC_MIN_CONCENTRATION, "0.3");
            d.UpwindingUpdatingList.SetCurSel(1);
            d.ThermalUpwindingUpdatingList.SetCurSel(1);
            SYSTEMTIME start{};
            start.wYear = 2021;
            start.wMonth = 2;
            start.wDay = 28;
            start.wHour = 23;
            start.wMinute = 5;
            start.wSecond = 9;
            d.StartPicker.SetTime(&start);
        });
        EXPECT_TRUE(shown.empty());
        EXPECT_EQ(g_ModelControl.MinSurfaceIceConcentration, c.minimum < 0 ? before : c.minimum);
        EXPECT_EQ(g_EquationSystems[HydrodynamicSystem].UpwindingUpdating, 1);
        EXPECT_EQ(g_EquationSystems[ThermalIceSystem].UpwindingUpdating, c.fileType == 3 ? 1 : thermalUpdating);
        const int start[6] = {2021, 2, 28, 23, 5, 9};
        EXPECT_TRUE(std::equal(std::begin(start), std::end(start), g_ModelControl.StartDate));
    }
}

// A change of the system of units: the display shows the nodes, the boundary series and the
// bridging events in the new units, and writing them back changes no engine value.
TEST_F(GlobalSettingsTest, AUnitsChangeShowsEverythingInTheNewUnits)
{
    ASSERT_TRUE(Open(Data("ft3-imperial.vqx")));
    ModelState& s = *Doc()->State;
    const auto* firstEvent = Doc()->DisplayModel->FirstEvent();
    ASSERT_NE(firstEvent, nullptr);
    EXPECT_DOUBLE_EQ(firstEvent->BridgingLocation, 0.5625);
    const double location = g_BridgingEvents->BridgingLocation;
    ASSERT_NE(g_BoundaryElements, nullptr);
    const std::vector<double> discharges = g_BoundaryElements->Hydrograph->Columns[2];

    EXPECT_TRUE(Settings([](CGlobalSettingsDlg& d) { d.UnitsList.SetCurSel(1); }).empty());
    EXPECT_EQ(g_ModelControl.UnitSystem, 1);
    EXPECT_EQ(Doc()->DisplayModel->UnitSystem, 1);
    EXPECT_EQ(Doc()->NodeTableRebuild, 1);
    // 0.5625 mi in km; the engine's metres as they were.
    EXPECT_NEAR(Doc()->DisplayModel->FirstEvent()->BridgingLocation, 0.5625 * 5280 * MetresPerFoot / 1000, 1e-12);
    EXPECT_DOUBLE_EQ(g_BridgingEvents->BridgingLocation, location);
    auto* boundary = Doc()->DisplayModel->FirstBoundaryElement();
    ASSERT_FALSE(boundary->FlowSeries.empty());
    EXPECT_NEAR(boundary->FlowSeries[0].Discharge, discharges[0], 1e-9 * std::fabs(discharges[0]));

    ASSERT_EQ(s.WriteBoundarySeriesToEngine(boundary), ModelStateOk);
    EXPECT_EQ(g_BoundaryElements->Hydrograph->Columns[2], discharges);

    // The bridging-event editor shows kilometres, and an Apply of the row writes the metres
    // the engine had.
    ModalDialogInterceptor interceptor;
    interceptor.scripts.push_back([](CDialog& live) {
        auto& d = static_cast<CEditBridgingEventsDlg&>(live);
        EXPECT_EQ(d.Grid.CellText(0, 1), "Bridging Location (km)");
        EXPECT_EQ(d.Grid.CellText(1, 1), "0.905");
        d.Grid.SetCellTextChecked(1, 2, "2.5");
        Press(&d, IDC_EDIT_APPLY);
        Press(&d, IDCANCEL);
    });
    Command(ID_SIMULATION_EDIT_BRIDGING_EVENTS);
    EXPECT_EQ(interceptor.shown, std::vector<UINT>{IDD_EDIT_BRIDGING_EVENTS});
    EXPECT_NEAR(g_BridgingEvents->BridgingLocation, location, 1e-9 * location);
    EXPECT_DOUBLE_EQ(g_BridgingEvents->BridgingTime, 9000.0);
}

// The list's entries by file type and back; dynamic ice shows as thermal ice processes.
TEST(FileOptionsEntries, TheListShowsEveryTypeAndGivesBackThreeTypes)
{
    const int entries[] = {0, 1, 2, 2};
    for (int type = 0; type < 4; ++type) EXPECT_EQ(CFileOptionsDlg::EntryOf(type), entries[type]) << type;
    const int types[] = {0, 1, 3};
    for (int entry = 0; entry < 3; ++entry) EXPECT_EQ(CFileOptionsDlg::FileTypeOf(entry), types[entry]) << entry;
}

// A dynamic-ice model opens on "Thermal Ice Processes" and OK keeps it dynamic ice; the same
// type changes nothing.
TEST_F(GlobalSettingsTest, OkOnTheEntryOpenedWithKeepsTheType)
{
    ASSERT_TRUE(Open(Data("ft2-metric.vqx")));
    Doc()->ProfileViewReset = 0;
    int entry = -1;
    {
        ModalDialogInterceptor interceptor;
        interceptor.scripts.push_back([&](CDialog& live) {
            entry = static_cast<CComboBox*>(live.GetDlgItem(IDC_FILE_TYPE_LIST))->GetCurSel();
            Press(&live, IDOK);
        });
        Command(ID_FILE_TYPE_OPTIONS);
    }
    EXPECT_EQ(entry, 2);
    EXPECT_EQ(Doc()->State->FileType, 2);
    EXPECT_EQ(g_ModelControl.FileType, 2);
    EXPECT_EQ(Doc()->ProfileViewReset, 0);

    FileOptions(1);
    EXPECT_EQ(Doc()->State->FileType, 1);
    EXPECT_EQ(g_ModelControl.FileType, 1);
    EXPECT_EQ(g_ModelControl.DynamicIceOn, 0);
    EXPECT_EQ(Doc()->ProfileViewReset, 1);
    // The hydrograph's names follow the type as the profile's do.
    EXPECT_EQ(std::count(Doc()->HydrographVariables.begin(), Doc()->HydrographVariables.end(), "Ice Velocity"), 0);
    EXPECT_EQ(std::count(Doc()->ProfileVariables.begin(), Doc()->ProfileVariables.end(), "Ice Velocity"), 0);
}

// Thermal ice taken to static ice and back keeps its zones with their series and its events;
// a model that had none gets one of each.
TEST_F(GlobalSettingsTest, ThermalToStaticAndBackKeepsZonesAndEvents)
{
    ASSERT_TRUE(Open(Data("ft3-imperial.vqx")));
    const int zones = g_ModelControl.AtmosphericZoneCount;
    const int events = g_ModelControl.BridgingEventCount;
    ASSERT_GT(zones, 1);
    ASSERT_GT(events, 1);
    const std::vector<double> air = g_AtmosphericZones->AirTemperature;
    FileOptions(1);
    EXPECT_EQ(g_ModelControl.FileType, 1);
    FileOptions(2);
    EXPECT_EQ(g_ModelControl.FileType, 3);
    EXPECT_EQ(g_ModelControl.ThermalIceOn, 1);
    EXPECT_EQ(g_ModelControl.AtmosphericZoneCount, zones);
    EXPECT_EQ(g_ModelControl.BridgingEventCount, events);
    EXPECT_EQ(Doc()->DisplayModel->EventList.Count, events);
    EXPECT_EQ(g_AtmosphericZones->AirTemperature, air);

    ASSERT_TRUE(Open(Data("ft1-metric.vqx")));
    FileOptions(2);
    EXPECT_EQ(g_ModelControl.AtmosphericZoneCount, 1);
    EXPECT_EQ(g_ModelControl.BridgingEventCount, 1);
}

// Saved as open water, a thermal network keeps its jam table and leaves out its zones and
// events; the save asks first, and No leaves the file as it was.
TEST_F(GlobalSettingsTest, AThermalModelSavedAsOpenWaterKeepsItsJamTable)
{
    ASSERT_TRUE(Open(Data("ft3-imperial.vqx")));
    ASSERT_NE(g_JamTable, nullptr);
    const int jamRows = g_JamTable->RowCount;
    ASSERT_EQ(jamRows, 5);
    FileOptions(0);
    const std::string bytes = ReadFile(model_);
    {
        MessageBoxSink boxes;
        boxes.answers.push_back(IDNO);
        Command(ID_FILE_SAVE);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_NE(boxes.shown[0].text.find("The current file type is not the same"), std::string::npos);
    }
    EXPECT_EQ(ReadFile(model_), bytes);
    {
        MessageBoxSink boxes;
        boxes.answers.push_back(IDYES);
        Command(ID_FILE_SAVE);
    }
    const std::string saved = ReadFile(model_);
    EXPECT_EQ(saved.find("Atmospheric Zone #"), std::string::npos);
    EXPECT_EQ(saved.find("Bridging Event #"), std::string::npos);
    const std::filesystem::path savedPath = model_;
    ASSERT_TRUE(Open(savedPath, "reopened.vqx"));
    EXPECT_EQ(g_ModelControl.FileType, 0);
    ASSERT_NE(g_JamTable, nullptr);
    EXPECT_EQ(g_JamTable->RowCount, jamRows);
}

// The commands wait for a model; the bridging events only for thermal ice.
TEST_F(GlobalSettingsTest, TheCommandsAreEnabledWhileIdle)
{
    EXPECT_FALSE(Enabled(ID_SIMULATION_GLOBAL_SETTINGS));
    EXPECT_FALSE(Enabled(ID_FILE_TYPE_OPTIONS));
    ASSERT_TRUE(Open(Data("ft0-metric.vqx")));
    EXPECT_TRUE(Enabled(ID_SIMULATION_GLOBAL_SETTINGS));
    EXPECT_TRUE(Enabled(ID_FILE_TYPE_OPTIONS));
}

}  // namespace
