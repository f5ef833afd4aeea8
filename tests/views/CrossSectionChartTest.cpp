// The cross-section chart on a small host dialog with the editor's points and bank grids, read
// through the chart's property store and its scene: the bed, the bank points, the water line
// in its four cases, border ice and its edges, the legend by file type, the station range, and
// a chart built again when the file type changes.
#include "../platform/GuiTestSupport.h"

#include "controls/GridCtrl.h"
#include "datalib/DisplayNode.h"
#include "datalib/ModelState.h"
#include "engine/EngineData.h"
#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "platform/Resources.h"
#include "platform/chart/ChartScene.h"
#include "platform/chart/ChartWindow.h"
#include "views/CrossSectionChart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using VQXDisplayLib::VQXDisplayNode;
using VQXGeometryDataLib::VQXCrossSection;

constexpr UINT HostId = 9471;
constexpr int PointsId = 1005;
constexpr int BankId = 1013;
constexpr int ChartId = 1006;

const DialogTemplate HostTemplates[] = {
    {.id = HostId,
     .caption = "Cross Section",
     .size = {0, 0, 500, 300},
     .controls =
         {
             {.id = PointsId, .kind = ControlKind::Custom, .rect = {7, 7, 160, 280}, .className = GridWindowClass},
             {.id = BankId, .kind = ControlKind::Custom, .rect = {180, 7, 148, 30}, .className = GridWindowClass},
             {.id = ChartId,
              .kind = ControlKind::Custom,
              .rect = {180, 50, 310, 240},
              .className = CrossSectionChartWindowClass},
         }},
};

class HostDlg : public CDialog
{
public:
    HostDlg() : CDialog(HostId)
    {
        static bool registered = false;
        if (!registered) RegisterResources({.dialogs = HostTemplates});
        registered = true;
        CCrossSectionChart::RegisterWindowClass();
        Chart.DrawFlag = 10;
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, PointsId, Points);
        DDX_Control(pDX, BankId, Banks);
        DDX_Control(pDX, ChartId, Chart);
    }
    CGridCtrl Points;
    CGridCtrl Banks;
    CCrossSectionChart Chart;
};

// A grid row's texts; an empty text is a blank cell.
using Row = std::pair<std::string, std::string>;

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
constexpr double Off = XSectionPointOffset;

class CrossSectionChartTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host_.Create(HostId));
        ProcessEvents();
        state_.FileType = FileTypeOpenWater;
        host_.Chart.PointsGrid = &host_.Points;
        host_.Chart.BankGrid = &host_.Banks;
        host_.Chart.State = &state_;
    }
    void TearDown() override
    {
        host_.DestroyWindow();
        ProcessEvents();
    }

    // The grids as the editor fills them: headers, then one row per entry; banks in row 1.
    void Fill(const std::vector<Row>& rows, const std::string& left, const std::string& right)
    {
        CGridCtrl& p = host_.Points;
        p.RemoveAll();
        p.SetNumRows(int(rows.size()) + 1);
        p.SetNumColumns(3);
        p.SetNumFixedRows(1);
        p.SetNumFixedColumns(1);
        p.SetCellText(0, 1, "    Station (m)    ");
        p.SetCellText(0, 2, "   Elevation (m)   ");
        for (int r = 1; r <= int(rows.size()); ++r) {
            p.SetCellText(r, 0, std::to_string(r));
            p.SetCellText(r, 1, rows[std::size_t(r - 1)].first);
            p.SetCellText(r, 2, rows[std::size_t(r - 1)].second);
        }
        CGridCtrl& b = host_.Banks;
        b.RemoveAll();
        b.SetNumRows(2);
        b.SetNumColumns(2);
        b.SetNumFixedRows(1);
        b.SetCellText(1, 0, left);
        b.SetCellText(1, 1, right);
    }

    // A node at stage h whose section has the given points and bank stations, with border-ice
    // edges at l and r.
    VQXDisplayNode& MakeNode(const std::vector<std::pair<double, double>>& points, double left, double right, double h,
                             double l = 0.0, double r = 0.0)
    {
        auto section = std::make_unique<VQXCrossSection>();
        for (const auto& [s, e] : points) section->AddPoint(s, e);
        section->LeftBankStation = left;
        section->RightBankStation = right;
        section->FindBankPoints();
        node_.CrossSection = std::move(section);
        node_.Stage = h;
        node_.LeftBorderEdge = l;
        node_.RightBorderEdge = r;
        host_.Chart.Node = &node_;
        return node_;
    }

    ChartPropertyStore& Store() { return host_.Chart.ChartWindow->Properties(); }
    // The set points of a subset, as (point, x, y) for the cells that hold an x.
    std::vector<std::vector<double>> SetPoints(int subset)
    {
        std::vector<std::vector<double>> points;
        for (int k = 0; k < Store().PointCount(); ++k) {
            const double x = Store().PointX(subset, k);
            if (!std::isnan(x)) points.push_back({double(k), x, Store().PointY(subset, k)});
        }
        return points;
    }
    const ChartScene& Scene()
    {
        scene_ = ChartSceneOf(host_.Chart.ChartWindow);
        if (!scene_) {
            ADD_FAILURE() << "the chart has no scene";
            static const ChartScene none;
            return none;
        }
        return *scene_;
    }
    // The layer of a subset in the scene; null when it is not drawn.
    const ChartLayer* LayerOf(int subset)
    {
        for (const ChartPane& pane : Scene().Panes) {
            for (const ChartLayer& layer : pane.Layers) {
                if (layer.Subset == subset) return &layer;
            }
        }
        return nullptr;
    }
    std::vector<int> LegendSubsets()
    {
        std::vector<int> subsets;
        for (const ChartLegendEntry& entry : Scene().Legend) subsets.push_back(entry.Subset);
        return subsets;
    }

    HostDlg host_;
    ModelState state_{nullptr};
    VQXDisplayNode node_;
    std::shared_ptr<const ChartScene> scene_;
};

// A V-shaped section with banks at 10 and 30, both bank points at elevation 5.
const std::vector<std::pair<double, double>> Valley = {{0, 10}, {10, 5}, {20, 0}, {30, 5}, {40, 10}};
const std::vector<Row> ValleyRows = {
    {"0.000", "10.000"}, {"10.000", "5.000"}, {"20.000", "0.000"}, {"30.000", "5.000"}, {"40.000", "10.000"}};

TEST_F(CrossSectionChartTest, TheBedAndTheBankPointsComeFromTheGridsRowsWithBothTexts)
{
    struct Case {
        const char* name;
        std::vector<Row> rows;
        std::string left, right;
        std::vector<std::vector<double>> bed, banks;
        double xMin, xMax;
    };
    const Case cases[] = {
        {"all rows blank", {{"", ""}, {"", ""}}, "10", "30", {}, {}, 0.0, 0.0},
        {"a row without an elevation is left out, but its station counts in the range",
         {{"0", "4"}, {"50", ""}, {"10", "2"}},
         "0",
         "10",
         {{0, 0 + Off, 4 + Off}, {1, 10 + Off, 2 + Off}},
         {{0, 0 + Off, 4 + Off}, {1, 10 + Off, 2 + Off}},
         0 - 2.5,
         50 + 2.5},
        {"a bank that matches no station",
         ValleyRows,
         "15",
         "30",
         {{0, Off, 10 + Off},
          {1, 10 + Off, 5 + Off},
          {2, 20 + Off, Off},
          {3, 30 + Off, 5 + Off},
          {4, 40 + Off, 10 + Off}},
         {{1, 30 + Off, 5 + Off}},
         -2.0,
         42.0},
        {"the last of two rows at a bank station wins",
         {{"10", "5"}, {"10", "6"}, {"20", "1"}},
         "10",
         "20",
         {{0, 10 + Off, 5 + Off}, {1, 10 + Off, 6 + Off}, {2, 20 + Off, 1 + Off}},
         {{0, 10 + Off, 6 + Off}, {1, 20 + Off, 1 + Off}},
         9.5,
         20.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fill(c.rows, c.left, c.right);
        host_.Chart.DiscardChart();
        host_.Chart.DrawChart();
        ASSERT_NE(host_.Chart.ChartWindow, nullptr);
        EXPECT_EQ(Store().SubsetCount(), XSectionSubsetCount);
        EXPECT_EQ(Store().PointCount(), int(c.bed.size()));
        EXPECT_EQ(SetPoints(XSectionBed), c.bed);
        // The points of the bank subset are numbered 0 (left) and 1 (right).
        std::vector<std::vector<double>> banks;
        for (int k = 0; k < 2 && k < Store().PointCount(); ++k) {
            if (!std::isnan(Store().PointX(XSectionBankStations, k)))
                banks.push_back(
                    {double(k), Store().PointX(XSectionBankStations, k), Store().PointY(XSectionBankStations, k)});
        }
        EXPECT_EQ(banks, c.banks);
        EXPECT_DOUBLE_EQ(Store().Number(ChartXMinimum), c.xMin);
        EXPECT_DOUBLE_EQ(Store().Number(ChartXMaximum), c.xMax);
        EXPECT_EQ(Store().Text(ChartXAxisLabel), "    Station (m)    ");
        EXPECT_EQ(Store().Text(ChartYAxisLabel), "   Elevation (m)   ");
        // Without a node there is no water line and no ice.
        for (int subset : {XSectionWaterSurface, XSectionBorderIce, XSectionBorderEdges})
            EXPECT_TRUE(SetPoints(subset).empty()) << subset;
    }
}

TEST_F(CrossSectionChartTest, TheWaterLineRunsBetweenTheBanksOrToTheEndsWhereTheWaterStandsAbove)
{
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> section;  // the node's, with banks 10 and 30
        double stage;
        std::vector<double> stations;  // of the water line's points
    };
    const std::vector<std::pair<double, double>> lowLeft = {{0, 10}, {10, 3}, {20, 0}, {30, 5}, {40, 10}};
    const Case cases[] = {
        {"above both bank points", Valley, 7.0, {0, 40}},
        {"below both bank points", Valley, 3.0, {10, 30}},
        {"above the left bank only", lowLeft, 4.0, {0, 30}},
        // The grid holds the edit; the bank elevations come from the node's section.
        {"at a bank point's elevation exactly", Valley, 5.0, {}},
    };
    Fill(ValleyRows, "10.000", "30.000");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeNode(c.section, 10, 30, c.stage);
        host_.Chart.DiscardChart();
        host_.Chart.DrawChart();
        std::vector<double> stations;
        for (const auto& p : SetPoints(XSectionWaterSurface)) {
            stations.push_back(p[1] - Off);
            EXPECT_DOUBLE_EQ(p[2], c.stage);
        }
        ASSERT_EQ(stations.size(), c.stations.size());
        for (std::size_t i = 0; i < stations.size(); ++i) EXPECT_NEAR(stations[i], c.stations[i], 1e-9);
        // Open water: no border ice drawn, nor its edges, and the legend has three entries.
        EXPECT_EQ(LayerOf(XSectionBorderIce), nullptr);
        EXPECT_EQ(LayerOf(XSectionBorderEdges), nullptr);
        EXPECT_EQ(LegendSubsets(), (std::vector<int>{0, 1, 2}));
    }
}

TEST_F(CrossSectionChartTest, ANodeWithoutASectionOrBankPointDrawsNoWaterLine)
{
    Fill(ValleyRows, "10.000", "30.000");
    MakeNode(Valley, 10, 30, 7.0);
    node_.CrossSection.reset();
    host_.Chart.DrawChart();
    EXPECT_TRUE(SetPoints(XSectionWaterSurface).empty());
    EXPECT_TRUE(SetPoints(XSectionBorderIce).empty());
    EXPECT_EQ(SetPoints(XSectionBed).size(), 5u);

    MakeNode(Valley, 10, 30, 7.0);
    node_.CrossSection->RightBankPoint = -1;
    host_.Chart.DiscardChart();
    host_.Chart.DrawChart();
    EXPECT_TRUE(SetPoints(XSectionWaterSurface).empty());
}

TEST_F(CrossSectionChartTest, ThermalModelsShowBorderIceUnderWaterBetweenEachBankAndItsEdge)
{
    state_.FileType = FileTypeThermalIce;
    const std::vector<std::pair<double, double>> section = {{0, 10}, {10, 5}, {12, 2}, {20, 0},
                                                            {28, 2}, {30, 5}, {40, 10}};
    Fill({{"0", "10"}, {"10", "5"}, {"12", "2"}, {"20", "0"}, {"28", "2"}, {"30", "5"}, {"40", "10"}}, "10", "30");
    MakeNode(section, 10, 30, 3.0, 13.0, 27.0);
    host_.Chart.DrawChart();

    const auto ice = SetPoints(XSectionBorderIce);
    ASSERT_EQ(ice.size(), 2u);
    EXPECT_EQ(ice[0][0], 2);  // station 12, between the left bank 10 and the edge 13
    EXPECT_EQ(ice[1][0], 4);  // station 28, between the edge 27 and the right bank 30
    EXPECT_DOUBLE_EQ(ice[0][2], 3.0);
    // The edges at the stage; the bank points themselves lie above the water.
    EXPECT_EQ(SetPoints(XSectionBorderEdges), (std::vector<std::vector<double>>{{0, 13.0, 3.0}, {1, 27.0, 3.0}}));

    const ChartScene& scene = Scene();
    EXPECT_EQ(LegendSubsets(), (std::vector<int>{0, 1, 2, 3}));
    const ChartLayer* iceLayer = LayerOf(XSectionBorderIce);
    ASSERT_NE(iceLayer, nullptr);
    EXPECT_EQ(iceLayer->Kind, ChartLayerKind::Markers);
    EXPECT_EQ(iceLayer->Colour & 0xFFFFFF, 0x00FF00u);
    ASSERT_NE(LayerOf(XSectionBorderEdges), nullptr);
    EXPECT_EQ(LayerOf(XSectionBed)->Kind, ChartLayerKind::Line);
    EXPECT_EQ(LayerOf(XSectionBed)->Colour & 0xFFFFFF, 0u);
    EXPECT_EQ(LayerOf(XSectionWaterSurface)->Colour & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(LayerOf(XSectionBankStations)->Kind, ChartLayerKind::Markers);
    EXPECT_EQ(LayerOf(XSectionBankStations)->Colour & 0xFFFFFF, 0xFF0000u);
    ASSERT_EQ(scene.Legend.size(), 4u);
    EXPECT_EQ(scene.Legend[3].Label, "Border Ice");

    // Another file type: the chart is made again, and the two colours of the thermal build
    // do not stay to draw the ice.
    state_.FileType = FileTypeDynamicIce;
    host_.Chart.DrawChart();
    EXPECT_EQ(SetPoints(XSectionBorderIce).size(), 2u);  // the points are given all the same
    EXPECT_EQ(LayerOf(XSectionBorderIce), nullptr);
    EXPECT_EQ(LayerOf(XSectionBorderEdges), nullptr);
    EXPECT_EQ(LegendSubsets(), (std::vector<int>{0, 1, 2}));
}

TEST_F(CrossSectionChartTest, ThePaintBuildsTheChartOverTheControlAndFollowsItsSize)
{
    Fill(ValleyRows, "10.000", "30.000");
    host_.Chart.Invalidate();
    ASSERT_TRUE(WaitUntil([&] { return host_.Chart.ChartWindow != nullptr; }));
    CRect client;
    host_.Chart.GetClientRect(&client);
    EXPECT_EQ(host_.Chart.ChartWindow->size(), QSize(client.Width(), client.Height()));
    host_.Chart.MoveWindow(10, 10, 300, 200);
    ProcessEvents();
    host_.Chart.GetClientRect(&client);
    EXPECT_EQ(host_.Chart.ChartWindow->size(), QSize(client.Width(), client.Height()));
    EXPECT_EQ(client.Width(), 300);
}

}  // namespace
