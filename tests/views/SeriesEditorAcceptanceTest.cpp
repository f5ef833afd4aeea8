// The series editors through the real program: a fixture of each file type, metric and
// imperial, opened; the plan view's edit mode; a click on a boundary element's node (or a
// zone's); the dialog played as a user would; the engine's rows in seconds and SI units (the
// thermal percentages as fractions); then Save, and the file read back.
#include "PlanTestSupport.h"

#include "../TestFolder.h"

#include "app/SeriesEditorDlg.h"
#include "engine/EngineData.h"
#include "platform/TestHooks.h"
#include "resources/ResourceIds.h"

#include <QTest>

#include <cmath>
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

}  // namespace
