// The hydrograph view read through the chart's scene: the reset after an open, the line of a
// node's history (also once it has wrapped), the axis ranges, titles and subtitle, the view
// without output nodes, the chart's life with the view, and the run dialogs a paint shows.
#include "ViewsTestSupport.h"

#include "app/RunSteadyDlg.h"
#include "app/RunTransDlg.h"
#include "datalib/TimeSeries.h"
#include "platform/CmdTarget.h"
#include "platform/TestHooks.h"
#include "platform/WindowSurface.h"
#include "views/ChartSupport.h"

#include <cmath>
#include <limits>

namespace {

using namespace views_test;
using VQXDisplayLib::FindSeriesVariable;
using VQXDisplayLib::VQXNodeHistory;
using VQXDisplayLib::VQXTimeSeriesEntry;

using VQXDisplayLib::SeriesWaterSurfaceElevation;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

class HydrographViewTest : public ViewsTest
{
protected:
    CHydrographView* Hydrograph() const
    {
        return static_cast<CHydrographView*>(Tabs().GetTabWnd(CVasquilView::HydrographTab));
    }
    // The hydrograph rebuilt now, and the scene it gave.
    const ChartScene& BuildHydrograph()
    {
        Hydrograph()->BuildChart();
        hydrographScene_ = ChartSceneOf(Hydrograph()->Chart);
        if (!hydrographScene_) {
            ADD_FAILURE() << "the hydrograph has no chart";
            static const ChartScene none;
            return none;
        }
        return *hydrographScene_;
    }
    // The output nodes in list order.
    std::vector<VQXDisplayNode*> OutputNodes() const
    {
        std::vector<VQXDisplayNode*> nodes;
        VQXDisplayModel& model = *Doc()->DisplayModel;
        for (VQXDisplayNode* node = model.FirstNode(); node; node = model.NextNode()) {
            if (node->HydroCode == 0) nodes.push_back(node);
        }
        return nodes;
    }
    // A history entry at time t (h) whose stage is stage, discharge q and flux discharge qf.
    static VQXTimeSeriesEntry Entry(double t, double stage, double q = 0.0, double qf = 0.0)
    {
        VQXTimeSeriesEntry e;
        e.Time = t;
        e.Stage = stage;
        e.Discharge = q;
        e.FluxDischarge = qf;
        return e;
    }
    bool OptionsEnabled()
    {
        CCmdUI state;
        state.m_nID = ID_HYDROGRAPH_VIEW_OPTIONS;
        Hydrograph()->OnUpdateHydrographViewOptions(&state);
        return state.m_enabled.value_or(false);
    }
    void ShowHydrographTab()
    {
        Tabs().SetActiveTab(CVasquilView::HydrographTab);
        ProcessEvents();
    }

    std::shared_ptr<const ChartScene> hydrographScene_;
};

TEST_F(HydrographViewTest, AnOpenResetsTheSettingsToTheDischargeOfTheFirstOutputNode)
{
    for (const char* fixture : {"ft0-metric.vqx", "ft3-imperial.vqx"}) {
        SCOPED_TRACE(fixture);
        // Settings left over from the last model go.
        HydrographViewSettings& o = Hydrograph()->Options;
        o.SeriesVariable = SeriesWaterSurfaceElevation;
        o.XFixed = o.YFixed = 1;
        o.YMax = 7;
        o.LocationName = "gone";
        ASSERT_TRUE(Open(fixture));
        EXPECT_EQ(Doc()->HydrographViewReset, 1) << "the flag waits for the view's next build";
        const ChartScene& scene = BuildHydrograph();
        EXPECT_EQ(Doc()->HydrographViewReset, 0);
        ASSERT_FALSE(Doc()->OutputNodeLabels.empty());
        EXPECT_EQ(o.LocationName, Doc()->OutputNodeLabels.front());
        EXPECT_EQ(Hydrograph()->Node, OutputNodes().front());
        EXPECT_EQ(o.SeriesVariable, FindSeriesVariable("Discharge"));
        EXPECT_EQ(o.XFixed, 0);
        EXPECT_EQ(o.YFixed, 0);
        EXPECT_EQ(o.YMax, 0.0);
        EXPECT_EQ(scene.SubtitleCentre.toStdString(), Doc()->OutputNodeLabels.front());
    }
    // A water-quality file chooses its first value, whatever the variables offered.
    const std::pair<int, const char*> waterQuality[] = {{0, "DO"}, {1, "Cdw"}, {2, "Cdw"}};
    for (const auto& [type, name] : waterQuality) {
        Doc()->WaterQualityLoaded = 1;
        Doc()->State->WQType = type;
        Doc()->HydrographViewReset = 1;
        const ChartScene& scene = BuildHydrograph();
        EXPECT_EQ(Hydrograph()->Options.SeriesVariable, FindSeriesVariable(name)) << type;
        EXPECT_EQ(scene.Panes[0].YLabel.toStdString(), std::string(name) + " (mg/L)");
        EXPECT_EQ(Doc()->HydrographViewReset, 0);
    }
}

TEST_F(HydrographViewTest, TheLineIsTheHistoryOldestFirstAlsoOnceItHasWrapped)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    BuildHydrograph();
    VQXDisplayNode* node = Hydrograph()->Node;
    ASSERT_NE(node, nullptr);
    // Discharge k and flux discharge -k at k / 10 h.
    const auto fill = [&](int entries) {
        node->History.Release();
        for (int k = 0; k < entries; ++k) node->History.Append(Entry(k / 10.0, 0.0, k, -k));
    };
    struct Case {
        const char* name;
        int entries;
        int oldest;  // the number of the oldest entry kept
        int useFlux;
    };
    const int capacity = VQXNodeHistory::Capacity;
    const Case cases[] = {
        {"a few entries", 5, 0, 0},
        {"a few entries, flux discharge", 5, 0, 1},
        {"full", capacity, 0, 0},
        {"wrapped", capacity + 1234, 1234, 0},
        {"wrapped, flux discharge", capacity + 1234, 1234, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fill(c.entries);
        Doc()->DisplayModel->UseFluxDischarge = c.useFlux;
        const ChartScene& scene = BuildHydrograph();
        ASSERT_EQ(scene.Panes.size(), 1u);
        ASSERT_EQ(scene.Panes[0].Layers.size(), 1u);
        const std::vector<QPointF>& points = scene.Panes[0].Layers[0].Points;
        ASSERT_EQ(int(points.size()), std::min(c.entries, capacity));
        int wrong = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const double k = double(c.oldest) + double(i);
            wrong += points[i] != QPointF(k / 10.0, c.useFlux ? -k : k);
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(points.front().x(), c.oldest / 10.0);
        EXPECT_EQ(points.back().x(), (c.entries - 1) / 10.0);
    }
}

TEST_F(HydrographViewTest, TheRangesFollowTheValuesOrTheFixedLimits)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    BuildHydrograph();
    CHydrographView& view = *Hydrograph();
    VQXDisplayNode* node = view.Node;
    ASSERT_NE(node, nullptr);
    const double finalTime = Doc()->State->FinalTime;
    struct Case {
        const char* name;
        std::vector<double> stages;  // one entry an hour
        bool fixed;
        double yMin, yMax;  // expected
        double xMin, xMax;
    };
    const Case cases[] = {
        {"empty history: up to the node's present stage", {}, false, 0.0, 42.0, -0.001, finalTime},
        {"positive", {2, 5, 3}, false, 1.8, 5.5, -0.001, finalTime},
        {"all negative: the line is not cut", {-4, -10, -6}, false, -11.0, -3.6, -0.001, finalTime},
        {"mixed", {-2, 0, 8}, false, -2.2, 8.8, -0.001, finalTime},
        {"constant", {3, 3, 3}, false, 2.7, 3.3, -0.001, finalTime},
        {"constant zero: widened by the chart", {0, 0}, false, -1.0, 1.0, -0.001, finalTime},
        {"a value that is no number stays out", {1, NaN, 4}, false, 0.9, 4.4, -0.001, finalTime},
        {"no value is a number: as without entries", {NaN, -NaN}, false, 0.0, 42.0, -0.001, finalTime},
        {"fixed", {2, 5, 3}, true, -5.0, 15.0, 2.0, 10.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        node->History.Release();
        for (std::size_t k = 0; k < c.stages.size(); ++k) node->History.Append(Entry(double(k), c.stages[k]));
        node->Stage = 42.0;
        view.Options.SeriesVariable = SeriesWaterSurfaceElevation;
        view.Options.XFixed = view.Options.YFixed = c.fixed ? 1 : 0;
        view.Options.XMin = 2.0;
        view.Options.XMax = 10.0;
        view.Options.YMin = -5.0;
        view.Options.YMax = 15.0;
        const ChartScene& scene = BuildHydrograph();
        const ChartRange& y = scene.Panes[0].Y;
        EXPECT_NEAR(y.Min, c.yMin, 1e-12);
        EXPECT_NEAR(y.Max, c.yMax, 1e-12);
        EXPECT_NEAR(scene.X.Min, c.xMin, 1e-12);
        EXPECT_NEAR(scene.X.Max, c.xMax, 1e-12);
        const std::vector<QPointF>& points = scene.Panes[0].Layers[0].Points;
        std::size_t finite = 0;
        for (const double v : c.stages) finite += std::isfinite(v) ? 1 : 0;
        EXPECT_EQ(points.size(), finite) << "values that are no number are not drawn";
        if (c.fixed) continue;
        for (const QPointF& p : points) {
            EXPECT_GE(p.y(), y.Min);
            EXPECT_LE(p.y(), y.Max);
        }
    }
}

TEST_F(HydrographViewTest, AxesAreTitledInTheModelsUnits)
{
    struct Case {
        const char* fixture;
        const char* variable;
        const char* label;
    };
    const Case cases[] = {
        {"ft0-metric.vqx", "Discharge", "Discharge (cms)"},
        {"ft0-imperial.vqx", "Discharge", "Discharge (cfs)"},
        {"ft0-metric.vqx", "Water Surface Elevation", "Water Surface Elevation (m)"},
        {"ft0-imperial.vqx", "Water Surface Elevation", "Water Surface Elevation (ft)"},
        {"ft3-imperial.vqx", "Water Velocity", "Water Velocity (ft/s)"},
        {"ft3-imperial.vqx", "Air Temperature", "Air Temperature (\u00B0C)"},
        {"ft3-metric.vqx", "Surface Ice Concentration", "Ice Concentration (%)"},
        {"ft3-metric.vqx", "Border Ice Fraction", "Border Ice Fraction"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fixture) + " " + c.variable);
        ASSERT_TRUE(Open(c.fixture));
        BuildHydrograph();
        Hydrograph()->Options.SeriesVariable = FindSeriesVariable(c.variable);
        const ChartScene& scene = BuildHydrograph();
        EXPECT_EQ(scene.Panes[0].YLabel, QString::fromUtf8(c.label));
        EXPECT_EQ(scene.XLabel, "Time (hours)");
        EXPECT_TRUE(scene.Legend.empty());
        ASSERT_EQ(scene.Panes[0].Layers.size(), 1u);
        EXPECT_EQ(LookOf(scene.Panes[0].Layers[0]), Look::Medium);
        EXPECT_EQ(scene.Panes[0].Layers[0].Colour & 0xFFFFFF, Colour(255, 0, 0));
    }
}

TEST_F(HydrographViewTest, TheSubtitleIsTheLocationCutTo74Characters)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    BuildHydrograph();
    const std::string caption = Doc()->OutputNodeLabels.front();
    EXPECT_EQ(BuildHydrograph().SubtitleCentre.toStdString(), caption);
    EXPECT_EQ(Doc()->State->Subtitle, "|" + caption + "|");
    const std::string longName(100, 'x');
    Hydrograph()->Options.LocationName = longName;
    BuildHydrograph();
    EXPECT_EQ(Doc()->State->Subtitle, "|" + longName.substr(0, 74) + "|");
}

TEST_F(HydrographViewTest, WithoutOutputNodesTheViewShowsItsGroundColourAndOffersNoOptions)
{
    ShowHydrographTab();
    const auto groundShown = [&] {
        const QImage& surface = Hydrograph()->Surface()->image;
        if (surface.isNull()) return false;
        for (const QPoint at : {QPoint(1, 1), QPoint(surface.width() / 2, surface.height() / 2),
                                QPoint(surface.width() - 2, surface.height() - 2)})
            if ((surface.pixel(at) & 0xFFFFFF) != Colour(240, 240, 240)) return false;
        return true;
    };
    // No model.
    Repaint();
    EXPECT_EQ(Hydrograph()->Chart, nullptr);
    EXPECT_TRUE(groundShown());
    EXPECT_FALSE(OptionsEnabled());

    ASSERT_TRUE(Open("ft0-metric.vqx"));
    ShowHydrographTab();
    Repaint();
    ASSERT_NE(Hydrograph()->Chart, nullptr);
    CWnd* chart = ChartWindowObject(Hydrograph()->Chart);
    EXPECT_TRUE(chart->IsWindowVisible());
    EXPECT_TRUE(OptionsEnabled());

    // The model's nodes are no output nodes any more: the chart of before does not cover the
    // ground, and comes back with output nodes.
    const std::vector<VQXDisplayNode*> outputs = OutputNodes();
    for (VQXDisplayNode* node : outputs) node->HydroCode = 1;
    Doc()->BuildOutputNodeList();
    Repaint();
    EXPECT_FALSE(chart->IsWindowVisible());
    EXPECT_TRUE(groundShown());
    EXPECT_FALSE(OptionsEnabled());
    for (VQXDisplayNode* node : outputs) node->HydroCode = 0;
    Doc()->BuildOutputNodeList();
    Repaint();
    EXPECT_TRUE(chart->IsWindowVisible());

    // Captions listed but no node marked: the reset finds no node, and the chart is empty.
    for (VQXDisplayNode* node : outputs) node->HydroCode = 1;
    Doc()->HydrographViewReset = 1;
    const ChartScene& scene = BuildHydrograph();
    EXPECT_EQ(Hydrograph()->Node, nullptr);
    ASSERT_EQ(scene.Panes.size(), 1u);
    ASSERT_EQ(scene.Panes[0].Layers.size(), 1u);
    EXPECT_TRUE(scene.Panes[0].Layers[0].Points.empty());
}

TEST_F(HydrographViewTest, TheChartCoversTheViewFollowsItsSizeAndGoesWithIt)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    ShowHydrographTab();
    ChartHandle chart = Hydrograph()->Chart;
    ASSERT_NE(chart, nullptr);
    CWnd* window = Hydrograph()->GetDlgItem(1001);
    ASSERT_NE(window, nullptr);
    const auto expectCovers = [&] {
        CRect view, placed;
        Hydrograph()->GetClientRect(&view);
        window->GetWindowRect(&placed);
        CPoint corner = placed.TopLeft();
        Hydrograph()->ScreenToClient(&corner);
        EXPECT_EQ(corner, CPoint(0, 0));
        EXPECT_EQ(placed.Width(), view.Width());
        EXPECT_EQ(placed.Height(), view.Height());
    };
    expectCovers();
    Frame()->MoveWindow(0, 0, 800, 560);
    ProcessEvents();
    expectCovers();
    // Each build reuses the chart.
    Repaint();
    EXPECT_EQ(Hydrograph()->Chart, chart);

    Hydrograph()->DestroyWindow();
    ProcessEvents();
    EXPECT_EQ(ChartSceneOf(chart), nullptr);
}

TEST_F(HydrographViewTest, APaintShowsTheShownRunDialogsAgain)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    Frame()->runDialogsExist = true;
    ShowHydrographTab();
    // Each run dialog in turn: shown by its command, hidden behind the program's back, shown
    // again by the next paint; closed, it stays closed.
    const std::pair<UINT, CRunDialog*> dialogs[] = {{ID_SIMULATION_TRANSIENT, Doc()->TransientDialog},
                                                    {ID_SIMULATION_STEADY, Doc()->SteadyDialog}};
    for (const auto& [command, dialog] : dialogs) {
        SCOPED_TRACE(command);
        Frame()->SendMessage(WM_COMMAND, command, 0);
        ProcessEvents();
        ASSERT_TRUE(dialog->Shown);
        dialog->ShowWindow(SW_HIDE);
        ProcessEvents();
        EXPECT_FALSE(dialog->IsWindowVisible());
        Repaint();
        EXPECT_TRUE(dialog->IsWindowVisible());
        dialog->OnCancel();
        Repaint();
        EXPECT_FALSE(dialog->Shown);
        EXPECT_EQ(dialog->GetSafeHwnd(), nullptr);
    }
}

}  // namespace
