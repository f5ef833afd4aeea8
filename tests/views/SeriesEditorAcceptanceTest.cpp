// The series editors through the real program: a fixture of each file type, metric and
// imperial, opened; the plan view's edit mode; a click on a boundary element's node (or a
// zone's); the dialog played as a user would; the engine's rows in seconds and SI units (the
// thermal percentages as fractions); then Save, and the file read back.
#include "PlanTestSupport.h"

#include "../TestFolder.h"

#include "app/SeriesEditorDlg.h"
#include "engine/EngineData.h"
#include "platform/OleData.h"
#include "platform/TestHooks.h"
#include "resources/ResourceIds.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <cmath>
#include <filesystem>
#include <functional>

namespace {

using namespace plan_test;
using views_test::QuietStdout;

constexpr double FootInMetres = 0.3048;

const BoundaryElementRecord* EngineBoundary(int number)
{
    for (const BoundaryElementRecord& b : g_BoundaryElementBlock)
        if (b.Number == number) return &b;
    return nullptr;
}

const AtmosphericZoneRecord* EngineZone(int number)
{
    for (const AtmosphericZoneRecord& z : g_AtmosphericZoneBlock)
        if (z.Number == number) return &z;
    return nullptr;
}

class SeriesEditorAcceptance : public PlanViewTest
{
protected:
    void TearDown() override
    {
        PlanViewTest::TearDown();
        if (!folder_.empty()) std::filesystem::remove_all(folder_);
    }
    void Click(double x, double y)
    {
        QTest::mouseClick(Plan()->GetWidget(), Qt::LeftButton, Qt::NoModifier, Client(x, y));
        ProcessEvents();
    }
    // The first boundary element of one of the kinds; null without one.
    VQXDisplayBoundaryElement* Boundary(std::initializer_list<int> kinds) const
    {
        VQXDisplayModel& model = *Doc()->DisplayModel;
        for (auto* e = static_cast<VQXDisplayBoundaryElement*>(model.BoundaryList.First()); e;
             e = static_cast<VQXDisplayBoundaryElement*>(model.BoundaryList.Next())) {
            for (int kind : kinds)
                if (e->Kind == kind && e->Node() && e->FlowSeries.size() >= 2) return e;
        }
        return nullptr;
    }
    // Enters the edit mode of command, clicks at (x, y) and plays script on the dialog, which
    // then applies and closes; returns the template ids shown.
    std::vector<UINT> Edit(UINT command, double x, double y, const std::function<void(CSeriesEditorDlg&)>& script)
    {
        ModalDialogInterceptor dialogs;
        dialogs.scripts.push_back([&](CDialog& d) {
            auto& editor = static_cast<CSeriesEditorDlg&>(d);
            script(editor);
            static_cast<CButton*>(d.GetDlgItem(IDC_SERIES_APPLY))->Click();
            static_cast<CButton*>(d.GetDlgItem(IDCANCEL))->Click();
        });
        if (command == ID_EDIT_ATMOSPHERIC_ZONE) Plan()->OnEditAtmosphericZone();
        else Frame()->SendMessage(WM_COMMAND, command, 0);
        Click(x, y);
        return dialogs.shown;
    }
    // Opens the fixture and shows it on the plan view, fitted.
    bool OpenOnPlan(const char* fixture)
    {
        if (!Open(fixture)) return false;
        ShowPlan();
        return true;
    }
    void ShowPlan()
    {
        Tabs().SetActiveTab(CVasquilView::PlanTab);
        ProcessEvents();
        Doc()->PlanViewReset = 1;
        Paint();
    }
    // Saves the document under name and opens it again.
    void SaveAndReopen(const char* name)
    {
        if (folder_.empty()) folder_ = FreshTestFolder("vasquil-series-editors");
        const std::filesystem::path path = folder_ / name;
        ASSERT_TRUE(Doc()->DoSave(path));
        QuietStdout quiet;
        ASSERT_NE(app_->OpenDocumentFile(path), nullptr);
        ProcessEvents();
        ShowPlan();
    }
    std::filesystem::path folder_;
};

TEST_F(SeriesEditorAcceptance, AnEditedInflowAndOutflowReachTheEngineAndTheFile)
{
    for (const char* fixture : {"ft0-metric.vqx", "ft0-imperial.vqx", "ft1-metric.vqx", "ft1-imperial.vqx",
                                "ft2-metric.vqx", "ft2-imperial.vqx", "ft3-metric.vqx", "ft3-imperial.vqx"}) {
        SCOPED_TRACE(fixture);
        ASSERT_TRUE(OpenOnPlan(fixture));
        const bool metric = Doc()->DisplayModel->UnitSystem == 1;
        const double length = metric ? 1.0 : FootInMetres;
        const bool thermal = Doc()->State->FileType == FileTypeThermalIce;
        MessageBoxSink boxes;

        VQXDisplayBoundaryElement* inflow = Boundary({0, 1});
        ASSERT_NE(inflow, nullptr);
        const int inflowNumber = inflow->Number;
        const double inflowTime = inflow->FlowSeries[1].Time;
        EXPECT_EQ(Edit(ID_EDIT_BOUNDARY_CONDITIONS, inflow->Node()->Easting, inflow->Node()->Northing,
                       [&](CSeriesEditorDlg& d) {
                           EXPECT_EQ(d.GetWindowText(), "Edit Inflow Boundary Condition");
                           EXPECT_EQ(d.Grid.ColumnCount(), thermal ? 9 : 3);
                           d.Grid.SetCellTextChecked(2, 2, "123.5");
                           if (thermal) {
                               d.Grid.SetCellTextChecked(2, 4, "20");    // frazil, %
                               d.Grid.SetCellTextChecked(2, 8, "0.25");  // solid ice
                           }
                       }),
                  std::vector<UINT>{IDD_EDIT_INFLOW_BC});
        EXPECT_TRUE(boxes.shown.empty());
        const BoundaryElementRecord* engine = EngineBoundary(inflowNumber);
        ASSERT_TRUE(engine && engine->Hydrograph);
        const BoundaryHydrograph& h = *engine->Hydrograph;
        EXPECT_DOUBLE_EQ(h.Columns[0][1], inflowTime * 3600.0);
        EXPECT_DOUBLE_EQ(h.Columns[2][1], 123.5 * length * length * length);
        if (thermal) {
            EXPECT_DOUBLE_EQ(h.Columns[5][1], 0.20);
            EXPECT_DOUBLE_EQ(h.Columns[8][1], 0.25 * length);
        }

        VQXDisplayBoundaryElement* outflow = Boundary({2, 3});
        int outflowNumber = -1;
        if (outflow) {
            outflowNumber = outflow->Number;
            const bool rating = outflow->Kind == 3;
            EXPECT_EQ(Edit(ID_EDIT_BOUNDARY_CONDITIONS, outflow->Node()->Easting, outflow->Node()->Northing,
                           [&](CSeriesEditorDlg& d) {
                               EXPECT_EQ(d.GetWindowText(), "Edit Outflow Boundary Condition");
                               d.Grid.SetCellTextChecked(2, 2, "55.125");
                           }),
                      std::vector<UINT>{IDD_EDIT_OUTFLOW_BC});
            EXPECT_TRUE(boxes.shown.empty()) << (boxes.shown.empty() ? "" : boxes.shown[0].text);
            const BoundaryElementRecord* down = EngineBoundary(outflowNumber);
            ASSERT_TRUE(down && down->Hydrograph);
            EXPECT_DOUBLE_EQ(down->Hydrograph->Columns[1][1], 55.125 * length);
            (void)rating;
        }

        SaveAndReopen(fixture);
        VQXDisplayModel& model = *Doc()->DisplayModel;
        auto* reread = static_cast<VQXDisplayBoundaryElement*>(model.BoundaryList.FindByNumber(inflowNumber));
        ASSERT_NE(reread, nullptr);
        EXPECT_NEAR(reread->FlowSeries[1].Discharge, 123.5, 1e-6);
        EXPECT_NEAR(reread->FlowSeries[1].Time, inflowTime, 1e-9);
        if (thermal) {
            EXPECT_NEAR(reread->FlowSeries[1].FrazilConcentration, 20.0, 1e-6);
            EXPECT_NEAR(reread->FlowSeries[1].SolidIceThickness, 0.25, 1e-6);
        }
        if (outflowNumber > 0) {
            auto* down = static_cast<VQXDisplayBoundaryElement*>(model.BoundaryList.FindByNumber(outflowNumber));
            ASSERT_NE(down, nullptr);
            EXPECT_NEAR(down->FlowSeries[1].Stage, 55.125, 1e-6);
        }
    }
}

TEST_F(SeriesEditorAcceptance, AnEditedZoneReachesTheEngineAndTheFile)
{
    for (const char* fixture : {"ft3-metric.vqx", "ft3-imperial.vqx"}) {
        SCOPED_TRACE(fixture);
        ASSERT_TRUE(OpenOnPlan(fixture));
        VQXDisplayModel& model = *Doc()->DisplayModel;
        VQXDisplayNode* zoned = nullptr;
        for (VQXDisplayNode* n = model.FirstNode(); n && !zoned; n = model.NextNode())
            if (n->Zone && n->Zone->Series.size() >= 2) zoned = n;
        ASSERT_NE(zoned, nullptr);
        const int zone = zoned->Zone->Number;
        MessageBoxSink boxes;
        EXPECT_EQ(Edit(ID_EDIT_ATMOSPHERIC_ZONE, zoned->Easting, zoned->Northing,
                       [](CSeriesEditorDlg& d) {
                           EXPECT_EQ(d.GetWindowText(), "Edit Atmospheric Zone");
                           d.Grid.SetCellTextChecked(2, 2, "-12.5");
                           d.Grid.SetCellTextChecked(2, 3, "250");
                       }),
                  std::vector<UINT>{IDD_EDIT_ATMOSPHERIC_ZONE});
        EXPECT_TRUE(boxes.shown.empty());
        const AtmosphericZoneRecord* engine = EngineZone(zone);
        ASSERT_NE(engine, nullptr);
        EXPECT_DOUBLE_EQ(engine->AirTemperature[1], -12.5);
        EXPECT_DOUBLE_EQ(engine->SolarRadiation[1], 250.0);
        SaveAndReopen(fixture);
        auto* reread = static_cast<VQXAtmosphericZone*>(Doc()->DisplayModel->ZoneList.FindByNumber(zone));
        ASSERT_NE(reread, nullptr);
        EXPECT_NEAR(reread->Series[1].AirTemperature, -12.5, 1e-9);
        EXPECT_NEAR(reread->Series[1].SolarRadiation, 250.0, 1e-9);
    }
}

// The sample river with its nutrient data: the upstream inflow's water-quality series (two
// entries) takes a spreadsheet's three lines through the system clipboard and Ctrl+V, growing
// by a row, and one value dropped on a cell; Apply and Close put the series in the display
// model and, in seconds, in the engine.
TEST_F(SeriesEditorAcceptance, AWaterQualityInflowTakesAPasteByCtrlVAndADrop)
{
    folder_ = FreshTestFolder("vasquil-series-editors");
    const std::filesystem::path examples = std::filesystem::path(VASQUIL_SOURCE_DIR) / "examples";
    for (const char* name : {"sample-river.vqx", "sample-river.nu"})
        std::filesystem::copy_file(examples / name, folder_ / name);
    {
        QuietStdout quiet;
        ASSERT_NE(app_->OpenDocumentFile(folder_ / "sample-river.vqx"), nullptr);
    }
    ProcessEvents();
    MessageBoxSink boxes;
    {
        FileDialogProvider files;
        files.answers.push_back(folder_ / "sample-river.nu");
        QuietStdout quiet;
        Frame()->SendMessage(WM_COMMAND, ID_WQ_OPEN_DATA, 0);
    }
    ProcessEvents();
    ASSERT_EQ(Doc()->WaterQualityLoaded, 1);
    ShowPlan();
    auto* inflow = static_cast<VQXDisplayBoundaryElement*>(Doc()->DisplayModel->BoundaryList.FindByNumber(1));
    ASSERT_TRUE(inflow && inflow->Node());
    ASSERT_EQ(inflow->WQSeries.size(), 2u);

    const std::string block = "0\t9.5\t0.3\t1.2\t35\t0.04\t0.02\n"
                              "24\t9\t0.35\t1.4\t38\t0.045\t0.025\n"
                              "48\t8.5\t0.4\t1.6\t41\t0.05\t0.03\n";
    const auto centre = [](CGridCtrl& grid, int row, int col) {
        CRect rect;
        EXPECT_TRUE(grid.GetCellRect(row, col, &rect));
        return QPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    };
    EXPECT_EQ(Edit(ID_EDIT_WQ_BOUNDARY_CONDITIONS, inflow->Node()->Easting, inflow->Node()->Northing,
                   [&](CSeriesEditorDlg& d) {
                       EXPECT_EQ(d.Grid.RowCount(), 3);
                       EXPECT_EQ(d.Grid.CellText(0, 5), "BOD (mg/L)");
                       QGuiApplication::clipboard()->setText(QString::fromLatin1(block));
                       ProcessEvents();
                       QTest::mouseClick(d.Grid.GetClientWidget(), Qt::LeftButton, Qt::NoModifier, centre(d.Grid, 1, 1));
                       ProcessEvents();
                       QTest::keyClick(d.Grid.GetWidget(), Qt::Key_V, Qt::ControlModifier);
                       ProcessEvents();
                       EXPECT_EQ(d.Grid.RowCount(), 4);
                       EXPECT_EQ(d.Grid.CellText(3, 1), "48.00");
                       EXPECT_EQ(d.Grid.CellText(2, 2), "9.0000");
                       // A value dragged in from another program onto the last entry's BOD.
                       COleDataSource dragged;
                       dragged.CacheText("44.5");
                       const QPoint at = centre(d.Grid, 3, 5);
                       EXPECT_EQ(PlayDrop(&d.Grid, dragged, CPoint(at.x(), at.y()), 0, DROPEFFECT_COPY | DROPEFFECT_MOVE),
                                 DROPEFFECT_MOVE);
                       EXPECT_EQ(d.Grid.CellText(3, 5), "44.5000");
                   }),
              std::vector<UINT>{IDD_EDIT_WQ_INFLOW_BC});
    for (const MessageBoxRequest& box : boxes.shown) ADD_FAILURE() << box.text;

    const double times[] = {0.0, 24.0, 48.0};
    const double oxygen[] = {9.5, 9.0, 8.5};
    const double bod[] = {35.0, 38.0, 44.5};
    ASSERT_EQ(inflow->WQSeries.size(), 3u);
    const BoundaryElementRecord* engine = EngineBoundary(1);
    ASSERT_TRUE(engine && engine->WQHydrograph);
    const WQBoundaryHydrograph& h = *engine->WQHydrograph;
    ASSERT_EQ(h.RowCount, 3);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(inflow->WQSeries[i].Time, times[i]);
        EXPECT_DOUBLE_EQ(inflow->WQSeries[i].WQValues[0], oxygen[i]);
        EXPECT_DOUBLE_EQ(inflow->WQSeries[i].WQValues[3], bod[i]);
        EXPECT_DOUBLE_EQ(h.Columns[0][i], times[i] * 3600.0);
        EXPECT_DOUBLE_EQ(h.Columns[WQNutrientSeriesColumn][i], oxygen[i]);
        EXPECT_DOUBLE_EQ(h.Columns[WQNutrientSeriesColumn + 3][i], bod[i]);
    }
    EXPECT_DOUBLE_EQ(h.Columns[WQNutrientSeriesColumn + 5][2], 0.03);
}

}  // namespace
