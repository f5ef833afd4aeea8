// The profile view on the fixtures of the four file types, read through the chart's scene:
// the reset after an open, the five layouts with their subsets, colours and legends, the axis
// labels and ranges, the event lines, the subtitle, and the chart's life with the view.
#include "ViewsTestSupport.h"

#include "platform/TestHooks.h"
#include "platform/WindowSurface.h"
#include "platform/chart/ChartRenderer.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>

namespace {

using namespace views_test;

constexpr QRgb Red = Colour(255, 0, 0);
constexpr QRgb Green = Colour(0, 255, 0);
constexpr QRgb Orange = Colour(255, 165, 0);
constexpr QRgb Blue = Colour(0, 0, 255);
constexpr QRgb Black = 0;
constexpr QRgb White = Colour(255, 255, 255);
constexpr QRgb AnchorIce = Colour(0, 200, 255);
constexpr QRgb MovingSlush = Colour(140, 140, 140);
constexpr QRgb StationarySlush = Colour(200, 200, 200);
constexpr QRgb SolidIce = Colour(0, 255, 255);

using VQXDisplayLib::PlotDischarge;
using VQXDisplayLib::PlotNone;
using VQXDisplayLib::PlotWaterVelocity;

class ProfileViewTest : public ViewsTest
{
protected:
    // New settings as the options dialog gives them: the chart goes, the next build makes one.
    void Choose(const std::function<void(ProfileViewSettings&)>& change)
    {
        change(Profile()->Options);
        ChartDestroy(Profile()->Chart);
        Profile()->Chart = nullptr;
    }
};

TEST_F(ProfileViewTest, AnOpenResetsTheSettingsForTheModelsFileTypeAndFirstReach)
{
    struct Case
    {
        const char* fixture;
        const char* topVariable;
        int showIce;
        int showEventLines;
    };
    const Case cases[] = {
        {"ft0-metric.vqx", "Discharge", 0, 0},
        {"ft1-imperial.vqx", "Discharge", 1, 0},
        {"ft2-metric.vqx", "Ice Velocity", 1, 0},
        {"ft3-metric.vqx", "Water Temperature", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        // Settings left over from the last model go.
        Profile()->Options.ShowLegend = 0;
        Profile()->Options.TopChart = 0;
        ASSERT_TRUE(Open(c.fixture));
        EXPECT_EQ(Doc()->ProfileViewReset, 0);  // the view's paint took it
        const ProfileViewSettings& o = Profile()->Options;
        EXPECT_EQ(o.TopVariable, VQXDisplayNode::FindPlotVariable(c.topVariable));
        EXPECT_EQ(o.ShowIce, c.showIce);
        EXPECT_EQ(o.ShowEventLines, c.showEventLines);
        EXPECT_EQ(o.ReachNumber, Doc()->DisplayModel->ReachNumbers.front());
        EXPECT_EQ(o.ReachName, "Reach " + std::to_string(o.ReachNumber));
        EXPECT_EQ(o.ShowLegend, 1);
        EXPECT_EQ(o.TopChart, 1);
        EXPECT_EQ(o.BottomKind, ElevationChart);
        EXPECT_EQ(o.BottomVariable, PlotNone);
    }
    // A water-quality file chooses its first value, whatever the file type.
    const std::pair<int, const char*> waterQuality[] = {{0, "DO"}, {1, "Cdw"}, {2, "Cdw"}};
    for (const auto& [type, name] : waterQuality) {
        Doc()->WaterQualityLoaded = 1;
        Doc()->State->WQType = type;
        Doc()->ProfileViewReset = 1;
        Build();
        EXPECT_EQ(Profile()->Options.TopVariable, VQXDisplayNode::FindPlotVariable(name)) << type;
        EXPECT_EQ(Doc()->ProfileViewReset, 0);
    }
}

TEST_F(ProfileViewTest, EachLayoutDrawsItsSubsetsInItsColoursWithItsLegend)
{
    using S = ProfileViewSettings;
    const std::vector<LayerLook> openWaterElevations = {
        {1, Black, Look::Thin},   {2, Black, Look::Thin},   {3, Black, Look::Thin},  {4, Black, Look::Thin},
        {5, Black, Look::Thin},   {6, Black, Look::Thin},   {7, Black, Look::Medium}, {8, Blue, Look::Medium},
        {9, Black, Look::Medium}, {10, Black, Look::Medium}};
    const std::vector<LayerLook> iceLayers = {{1, White, Look::Band},       {2, AnchorIce, Look::Band},
                                              {3, White, Look::Band},       {4, MovingSlush, Look::Band},
                                              {5, StationarySlush, Look::Band}, {6, SolidIce, Look::Band},
                                              {7, Black, Look::Medium},     {8, Blue, Look::Medium}};
    const auto with = [](std::vector<LayerLook> looks, std::vector<LayerLook> more) {
        looks.insert(looks.end(), more.begin(), more.end());
        return looks;
    };
    // D is B without its first subset: the same looks numbered one lower.
    const auto lower = [](std::vector<LayerLook> looks) {
        for (LayerLook& l : looks) --l.subset;
        return looks;
    };
    const std::vector<LayerLook> eventLines = {{9, Green, Look::Dashed}, {10, Orange, Look::Dashed}};
    const std::vector<LayerLook> blackEvents = {{9, Black, Look::Medium}, {10, Black, Look::Medium}};
    const std::vector<LayerLook> topParameter = {{0, Red, Look::Medium}};

    struct Case
    {
        const char* name;
        const char* fixture;
        std::function<void(S&)> change;
        std::vector<std::vector<LayerLook>> panes;
        std::vector<int> legend;
    };
    const Case cases[] = {
        {"B open water", "ft0-metric.vqx", [](S&) {}, {topParameter, openWaterElevations}, {7, 8}},
        {"B open water, bed only", "ft0-metric.vqx", [](S& o) { o.ShowWaterSurface = 0; },
         {topParameter, with({openWaterElevations.begin(), openWaterElevations.begin() + 7},
                             {{8, Black, Look::Medium}, {9, Black, Look::Medium}, {10, Black, Look::Medium}})},
         {7, 8}},
        {"B static ice", "ft1-imperial.vqx", [](S&) {}, {topParameter, with(iceLayers, blackEvents)}, {6, 7, 8}},
        {"B dynamic ice", "ft2-metric.vqx", [](S&) {}, {topParameter, with(iceLayers, blackEvents)}, {6, 7, 8}},
        {"B thermal with event lines", "ft3-metric.vqx", [](S&) {}, {topParameter, with(iceLayers, eventLines)},
         {2, 4, 5, 6, 7, 8, 9, 10}},
        {"B thermal without event lines", "ft3-metric.vqx", [](S& o) { o.ShowEventLines = 0; },
         {topParameter, with(iceLayers, blackEvents)}, {2, 4, 5, 6, 7, 8}},
        {"B without legend", "ft3-metric.vqx", [](S& o) { o.ShowLegend = 0; }, {topParameter, with(iceLayers, eventLines)}, {}},
        {"A thermal", "ft3-metric.vqx", [](S& o) { o.BottomChart = 0; },
         {{{0, Red, Look::Medium}, {1, Green, Look::Dashed}, {2, Orange, Look::Dashed}}}, {1, 2}},
        {"A open water", "ft0-metric.vqx", [](S& o) { o.BottomChart = 0; },
         {{{0, Red, Look::Medium}, {1, Green, Look::Dashed}, {2, Orange, Look::Dashed}}}, {}},
        {"C", "ft0-metric.vqx", [](S& o) { o.BottomKind = ParameterChart; o.BottomVariable = PlotWaterVelocity; },
         {topParameter, {{1, Red, Look::Medium}}}, {}},
        {"D thermal", "ft3-metric.vqx", [](S& o) { o.TopChart = 0; }, {lower(with(iceLayers, eventLines))},
         {1, 3, 4, 5, 6, 7, 8, 9}},
        {"D open water", "ft0-metric.vqx", [](S& o) { o.TopChart = 0; }, {lower(openWaterElevations)}, {6, 7}},
        {"D bed only", "ft0-metric.vqx", [](S& o) { o.TopChart = 0; o.ShowWaterSurface = 0; },
         {lower(with({openWaterElevations.begin(), openWaterElevations.begin() + 7},
                     {{8, Black, Look::Medium}, {9, Black, Look::Medium}, {10, Black, Look::Medium}}))},
         {}},
        {"E", "ft0-metric.vqx", [](S& o) { o.TopChart = 0; o.BottomKind = ParameterChart; o.BottomVariable = PlotWaterVelocity; },
         {{{0, Red, Look::Medium}}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Open(c.fixture));
        Choose(c.change);
        const ChartScene& scene = Build();
        ASSERT_EQ(scene.Panes.size(), c.panes.size());
        for (std::size_t p = 0; p < c.panes.size(); ++p) EXPECT_EQ(Looks(scene.Panes[p]), c.panes[p]) << "pane " << p;
        EXPECT_EQ(LegendSubsets(scene), c.legend);
    }
}

TEST_F(ProfileViewTest, LegendLabelsNameTheLayersAndTheEventLines)
{
    ASSERT_TRUE(Open("ft3-metric.vqx"));
    const ChartScene& scene = Build();
    QStringList labels;
    for (const ChartLegendEntry& entry : scene.Legend) labels << entry.Label;
    EXPECT_EQ(labels, (QStringList{"Anchor Ice", "Moving Frazil Slush", "Stationary Frazil Slush", "Solid Ice", "Bed",
                                   "Water Surface", "Ice Front Location", "Bridging Location"}));
    Choose([](ProfileViewSettings& o) { o.BottomChart = 0; });
    labels.clear();
    for (const ChartLegendEntry& entry : Build().Legend) labels << entry.Label;
    EXPECT_EQ(labels, (QStringList{"Ice Front Location", "Bridging Location"}));
    // Layout A also numbers every node of its curve.
    const std::vector<VQXDisplayNode*> nodes = ReachNodes(Profile()->Options.ReachNumber);
    ASSERT_EQ(Scene().Annotations.size(), nodes.size());
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        EXPECT_EQ(Scene().Annotations[k].Text, QString::number(nodes[k]->Number));
        EXPECT_EQ(Scene().Annotations[k].At.x(), nodes[k]->Station);
    }
}

TEST_F(ProfileViewTest, AxesAreLabelledInTheModelsUnits)
{
    const QString temperature = QString::fromLatin1("Water Temperature (\xB0" "C)");
    struct Case
    {
        const char* fixture;
        std::function<void(ProfileViewSettings&)> change;
        QStringList paneLabels;
        QString xLabel;
    };
    const Case cases[] = {
        {"ft0-metric.vqx", [](ProfileViewSettings&) {}, {"Discharge (cms)", "Elevation (m)"}, "Distance (km)"},
        {"ft1-imperial.vqx", [](ProfileViewSettings&) {}, {"Discharge (cfs)", "Elevation (ft)"}, "Distance (mile)"},
        {"ft3-metric.vqx", [](ProfileViewSettings&) {}, {temperature, "Elevation (m)"}, "Distance (km)"},
        {"ft0-metric.vqx", [](ProfileViewSettings& o) { o.ShowWaterSurface = 0; }, {"Discharge (cms)", "Bed Elevation (m)"},
         "Distance (km)"},
        {"ft1-imperial.vqx", [](ProfileViewSettings& o) { o.TopChart = 0; o.ShowWaterSurface = 0; o.ShowIce = 0; },
         {"Bed Elevation (ft)"}, "Distance (mile)"},
        {"ft1-imperial.vqx", [](ProfileViewSettings& o) { o.TopChart = 0; o.ShowWaterSurface = 0; },
         {"Elevation (ft)"}, "Distance (mile)"},
        {"ft0-metric.vqx", [](ProfileViewSettings& o) { o.BottomKind = ParameterChart; o.BottomVariable = PlotWaterVelocity; },
         {"Discharge (cms)", "Water Velocity (m/s)"}, "Distance (km)"},
        // A bottom variable that matched no name: an empty label.
        {"ft0-metric.vqx", [](ProfileViewSettings& o) { o.TopChart = 0; o.BottomKind = ParameterChart; o.BottomVariable = PlotNone; },
         {""}, "Distance (km)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture + (" " + c.paneLabels.join(", ").toStdString()));
        ASSERT_TRUE(Open(c.fixture));
        Choose(c.change);
        const ChartScene& scene = Build();
        QStringList labels;
        for (const ChartPane& pane : scene.Panes) labels << pane.YLabel;
        EXPECT_EQ(labels, c.paneLabels);
        EXPECT_EQ(scene.XLabel, c.xLabel);
    }
}

TEST_F(ProfileViewTest, WithoutWaterSurfaceOrIceTheElevationSubsetsLieOnTheBed)
{
    ASSERT_TRUE(Open("ft1-imperial.vqx"));
    Choose([](ProfileViewSettings& o) {
        o.TopChart = 0;
        o.ShowWaterSurface = 0;
        o.ShowIce = 0;
    });
    const ChartScene& scene = Build();
    const std::vector<VQXDisplayNode*> nodes = ReachNodes(Profile()->Options.ReachNumber);
    const ChartLayer* bed = LayerOf(scene, 6);
    ASSERT_NE(bed, nullptr);
    ASSERT_EQ(bed->Points.size(), nodes.size());
    for (std::size_t k = 0; k < nodes.size(); ++k) EXPECT_EQ(bed->Points[k], QPointF(nodes[k]->Station, nodes[k]->Invert));
    // Water surface, ice layers and (without event lines) the event subsets: all at the bed.
    for (int subset : {0, 1, 2, 3, 4, 5, 7, 8, 9}) {
        const ChartLayer* layer = LayerOf(scene, subset);
        ASSERT_NE(layer, nullptr) << subset;
        EXPECT_EQ(layer->Points, bed->Points) << subset;
    }
    // With the water surface on, its subset follows the stage.
    Choose([](ProfileViewSettings& o) { o.ShowWaterSurface = 1; });
    const ChartLayer* water = LayerOf(Build(), 7);
    ASSERT_NE(water, nullptr);
    for (std::size_t k = 0; k < nodes.size(); ++k) EXPECT_EQ(water->Points[k].y(), nodes[k]->Stage);
}

TEST_F(ProfileViewTest, AConstantVariableGetsARangeAroundIt)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    Choose([](ProfileViewSettings& o) {
        o.BottomChart = 0;
        o.TopVariable = PlotWaterVelocity;
    });
    struct Case
    {
        double value, min, max;
    };
    const Case cases[] = {{0.0, -0.1, 0.1}, {5.0, 4.6, 5.6}, {-3.0, -3.4, -2.8}, {0.5, 0.45, 0.65}, {1.0, 1.0, 1.2}};
    for (const Case& c : cases) {
        for (VQXDisplayNode* node : ReachNodes(Profile()->Options.ReachNumber)) node->Velocity = c.value;
        const ChartScene& scene = Build();
        EXPECT_NEAR(scene.Panes[0].Y.Min, c.min, 1e-12) << c.value;
        EXPECT_NEAR(scene.Panes[0].Y.Max, c.max, 1e-12) << c.value;
        EXPECT_EQ(Profile()->AutoMin, scene.Panes[0].Y.Min);
        EXPECT_EQ(Profile()->AutoMax, scene.Panes[0].Y.Max);
    }
}

TEST_F(ProfileViewTest, TheElevationRangeRunsFromTheLowestBedToTheHighestWaterSurface)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    double bedMin = 1e300, stageMax = -1e300, dischargeMin = 1e300, dischargeMax = -1e300;
    for (const VQXDisplayNode* node : ReachNodes(Profile()->Options.ReachNumber)) {
        bedMin = std::min(bedMin, node->Invert);
        stageMax = std::max(stageMax, node->Stage);
        dischargeMin = std::min(dischargeMin, node->GetPlotValue(PlotDischarge, Doc()->DisplayModel->UseFluxDischarge));
        dischargeMax = std::max(dischargeMax, node->GetPlotValue(PlotDischarge, Doc()->DisplayModel->UseFluxDischarge));
    }
    const ChartScene& scene = Build();
    ASSERT_EQ(scene.Panes.size(), 2u);
    EXPECT_DOUBLE_EQ(scene.Panes[0].Y.Min, dischargeMin - std::fabs((dischargeMin - 1) * 0.1));
    EXPECT_DOUBLE_EQ(scene.Panes[0].Y.Max, dischargeMax + std::fabs((dischargeMax + 1) * 0.1));
    EXPECT_DOUBLE_EQ(scene.Panes[1].Y.Min, bedMin - std::fabs((bedMin - 1) * 0.1));
    EXPECT_DOUBLE_EQ(scene.Panes[1].Y.Max, stageMax + std::fabs((stageMax + 1) * 0.1));
}

TEST_F(ProfileViewTest, FixedLimitsHoldAndTheBottomXRangeWinsWhenBothAreFixed)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    const auto fixAll = [](ProfileViewSettings& o) {
        o.TopXFixed = o.TopYFixed = o.BottomXFixed = o.BottomYFixed = 1;
        o.TopXMin = 0.25, o.TopXMax = 0.75, o.TopYMin = -5, o.TopYMax = 500;
        o.BottomXMin = 0.1, o.BottomXMax = 0.2, o.BottomYMin = 1, o.BottomYMax = 2;
    };
    struct Case
    {
        const char* name;
        std::function<void(ProfileViewSettings&)> layout;
        double xMin, xMax;
        std::vector<std::pair<double, double>> y;
    };
    const Case cases[] = {
        {"A", [](ProfileViewSettings& o) { o.BottomChart = 0; }, 0.25, 0.75, {{-5, 500}}},
        {"B", [](ProfileViewSettings&) {}, 0.1, 0.2, {{-5, 500}, {1, 2}}},
        {"C", [](ProfileViewSettings& o) { o.BottomKind = ParameterChart; o.BottomVariable = PlotWaterVelocity; }, 0.1, 0.2,
         {{-5, 500}, {1, 2}}},
        {"D", [](ProfileViewSettings& o) { o.TopChart = 0; }, 0.1, 0.2, {{1, 2}}},
        {"E", [](ProfileViewSettings& o) { o.TopChart = 0; o.BottomKind = ParameterChart; o.BottomVariable = PlotWaterVelocity; },
         0.1, 0.2, {{1, 2}}},
    };
    const ProfileViewSettings opened = Profile()->Options;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Choose([&](ProfileViewSettings& o) {
            o = opened;
            fixAll(o);
            c.layout(o);
        });
        const ChartScene& scene = Build();
        EXPECT_EQ(scene.X.Min, c.xMin);
        EXPECT_EQ(scene.X.Max, c.xMax);
        ASSERT_EQ(scene.Panes.size(), c.y.size());
        for (std::size_t p = 0; p < c.y.size(); ++p) {
            EXPECT_EQ(scene.Panes[p].Y.Min, c.y[p].first);
            EXPECT_EQ(scene.Panes[p].Y.Max, c.y[p].second);
        }
    }
}

TEST_F(ProfileViewTest, NonFiniteValuesStayOutOfTheRangeAndAreNotDrawn)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    Choose([](ProfileViewSettings& o) {
        o.BottomChart = 0;
        o.TopVariable = PlotWaterVelocity;
    });
    std::vector<VQXDisplayNode*> nodes = ReachNodes(Profile()->Options.ReachNumber);
    ASSERT_GE(nodes.size(), 4u);
    for (VQXDisplayNode* node : nodes) node->Velocity = 2.0;
    nodes[1]->Velocity = std::numeric_limits<double>::infinity();
    nodes[2]->Velocity = -std::numeric_limits<double>::infinity();
    nodes[3]->Velocity = std::numeric_limits<double>::quiet_NaN();
    const ChartScene& scene = Build();
    EXPECT_NEAR(scene.Panes[0].Y.Min, 1.9, 1e-12);
    EXPECT_NEAR(scene.Panes[0].Y.Max, 2.3, 1e-12);
    const ChartLayer* curve = LayerOf(scene, 0);
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->Points.size(), nodes.size() - 3);
    EXPECT_EQ(scene.Annotations.size(), nodes.size() - 3);
}

TEST_F(ProfileViewTest, EventLinesAreVerticalWhateverTheEventsNumbers)
{
    ASSERT_TRUE(Open("ft3-metric.vqx"));
    VQXDisplayModel& model = *Doc()->DisplayModel;
    ASSERT_EQ(model.EventList.Count, 3);
    // Numbers that skip: 1, 3, 4.
    const int numbers[] = {1, 3, 4};
    int i = 0;
    for (VQXBridgingEvent* e = model.FirstEvent(); e; e = model.NextEvent(), ++i) {
        e->Number = numbers[i];
        e->FrontLocation = 0.1 * (i + 1);
        e->BridgingLocation = 0.1 * (i + 1) + 0.05;
    }
    const ChartScene& scene = Build();
    const std::size_t n = ReachNodes(Profile()->Options.ReachNumber).size();
    for (int subset : {9, 10}) {
        const ChartLayer* layer = LayerOf(scene, subset);
        ASSERT_NE(layer, nullptr);
        ASSERT_EQ(layer->Points.size(), n);
        for (std::size_t k = 1; k < layer->Points.size(); ++k) {
            const QPointF a = layer->Points[k - 1], b = layer->Points[k];
            // Within an event a vertical line; between events a join far off the chart.
            const bool vertical = a.x() == b.x() && std::fabs(a.y()) == 1e11 && std::fabs(b.y()) == 1e11;
            const bool offChart = a.y() == b.y() && std::fabs(a.y()) == 1e11;
            EXPECT_TRUE(vertical || offChart) << subset << " point " << k;
        }
    }
}

TEST_F(ProfileViewTest, OnlyTheEventsWhoseEntriesFitTheNodesShow)
{
    ASSERT_TRUE(Open("ft3-metric.vqx"));
    VQXDisplayModel& model = *Doc()->DisplayModel;
    const std::size_t n = ReachNodes(Profile()->Options.ReachNumber).size();
    while (std::size_t(model.EventList.Count) * 2 <= n + 2) {
        auto* extra = new VQXBridgingEvent;
        extra->Number = model.EventList.Count + 1;
        model.AppendEvent(extra);
    }
    std::vector<double> fronts;
    int i = 0;
    for (VQXBridgingEvent* e = model.FirstEvent(); e; e = model.NextEvent(), ++i) {
        e->FrontLocation = 1.0 + i;
        fronts.push_back(e->FrontLocation);
    }
    const ChartLayer* front = LayerOf(Build(), 9);
    ASSERT_NE(front, nullptr);
    ASSERT_EQ(front->Points.size(), n);
    for (std::size_t k = 0; k < n; ++k) EXPECT_EQ(front->Points[k].x(), fronts[k / 2]) << k;

    // Fewer entries than nodes: the last one repeats.
    while (model.EventList.Count > 1) {
        VQXBridgingEvent* last = nullptr;
        for (VQXBridgingEvent* e = model.FirstEvent(); e; e = model.NextEvent()) last = e;
        model.EventList.Remove(last);
        delete last;
    }
    front = LayerOf(Build(), 9);
    ASSERT_NE(front, nullptr);
    ASSERT_EQ(front->Points.size(), n);
    for (std::size_t k = 2; k < n; ++k) EXPECT_EQ(front->Points[k], front->Points[1]) << k;
}

TEST_F(ProfileViewTest, EventLinesWithoutEventsDrawNothing)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    for (const bool top : {true, false}) {
        Choose([&](ProfileViewSettings& o) {
            o.ShowEventLines = 1;
            o.ShowIce = 1;
            o.BottomChart = top ? 0 : 1;
        });
        const ChartScene& scene = Build();
        const int front = top ? 1 : 9;
        for (int subset : {front, front + 1}) {
            const ChartLayer* layer = LayerOf(scene, subset);
            ASSERT_NE(layer, nullptr) << subset;
            EXPECT_TRUE(layer->Points.empty()) << subset;
        }
    }
}

TEST_F(ProfileViewTest, TheSubtitleCarriesTheReachNameAndTheTimeWhenAsked)
{
    ASSERT_TRUE(Open("ft3-metric.vqx"));
    Doc()->State->ModelTime = 26.5;
    Doc()->State->UpdateModelClock();
    const ModelState& state = *Doc()->State;
    char calendar[32];
    std::snprintf(calendar, sizeof calendar, "%.4d-%.2d-%.2d %.2d:%.2d:%.2d", state.CurrentDate[0], state.CurrentDate[1],
                  state.CurrentDate[2], state.CurrentDate[3], state.CurrentDate[4], state.CurrentDate[5]);
    struct Case
    {
        int reachName, modelTime, calendarTime;
        QString centre, right;
    };
    const QString reach = QString::fromStdString(Profile()->Options.ReachName);
    const Case cases[] = {
        {0, 0, 0, "", ""},
        {1, 0, 0, reach, ""},
        {1, 1, 0, reach, "26:30:00"},
        {0, 0, 1, "", calendar},
        {1, 1, 1, reach, "26:30:00"},  // the model time wins
    };
    for (const Case& c : cases) {
        Profile()->Options.TitleReachName = c.reachName;
        Profile()->Options.TitleModelTime = c.modelTime;
        Profile()->Options.TitleCalendar = c.calendarTime;
        const ChartScene& scene = Build();
        EXPECT_EQ(scene.SubtitleCentre, c.centre) << c.reachName << c.modelTime << c.calendarTime;
        EXPECT_EQ(scene.SubtitleRight, c.right) << c.reachName << c.modelTime << c.calendarTime;
    }
    // A long name is cut to 74 characters.
    Profile()->Options.ReachName = std::string(90, 'r');
    Profile()->Options.TitleReachName = 1;
    EXPECT_EQ(Build().SubtitleCentre, QString(74, 'r'));
}

// At every size, from a full screen down to a corner, each layout of the sample river with a
// titled subtitle keeps its texts apart: no two boxes of the texts drawn overlap, and at 520
// by 380 the two panes still carry their y titles.
TEST_F(ProfileViewTest, NoTextOfTheProfileCoversAnotherAtAnySize)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::filesystem::path river = std::filesystem::path(folder.path().toStdString()) / "sample-river.vqx";
    std::filesystem::copy_file(std::filesystem::path(VASQUIL_SOURCE_DIR) / "examples" / "sample-river.vqx", river);
    {
        QuietStdout quiet;
        ASSERT_NE(app_->OpenDocumentFile(river), nullptr);
    }
    ProcessEvents();

    struct Layout {
        const char* name;
        int top, bottom, kind, bottomVariable;
    };
    const Layout layouts[] = {
        {"A", 1, 0, ElevationChart, PlotNone},          {"B", 1, 1, ElevationChart, PlotNone},
        {"C", 1, 1, ParameterChart, PlotWaterVelocity}, {"D", 0, 1, ElevationChart, PlotNone},
        {"E", 0, 1, ParameterChart, PlotWaterVelocity},
    };
    const QSize sizes[] = {{1280, 800}, {800, 560}, {640, 480}, {520, 380}, {520, 200},  {420, 300},
                           {320, 240},  {200, 150}, {120, 90},  {60, 40},   {1280, 120}, {150, 800}};
    for (const Layout& layout : layouts) {
        Choose([&](ProfileViewSettings& o) {
            o.TopChart = layout.top;
            o.BottomChart = layout.bottom;
            o.BottomKind = layout.kind;
            o.BottomVariable = layout.bottomVariable;
            o.TitleReachName = 1;
            o.TitleModelTime = 1;
        });
        const ChartScene& scene = Build();
        for (const QSize size : sizes) {
            SCOPED_TRACE(std::string(layout.name) + " at " + std::to_string(size.width()) + "x" +
                         std::to_string(size.height()));
            QImage image(size, QImage::Format_RGB32);
            std::vector<QRectF> boxes;
            {
                QPainter painter(&image);
                PaintChart(painter, scene, size, ChartLineDetail::Reduced, &boxes);
            }
            for (size_t i = 0; i < boxes.size(); ++i)
                for (size_t j = i + 1; j < boxes.size(); ++j)
                    EXPECT_FALSE(boxes[i].intersects(boxes[j]))
                        << "text " << i << " (" << boxes[i].x() << ", " << boxes[i].y() << ", " << boxes[i].width()
                        << " x " << boxes[i].height() << ") covers text " << j << " (" << boxes[j].x() << ", "
                        << boxes[j].y() << ", " << boxes[j].width() << " x " << boxes[j].height() << ")";
            if (size == QSize(520, 380) || size == QSize(1280, 800)) {
                // The y titles are the upright boxes at the left edge.
                const auto upright = std::count_if(boxes.begin(), boxes.end(), [](const QRectF& b) {
                    return b.height() > 2.0 * b.width() && b.left() < 20.0;
                });
                EXPECT_EQ(upright, static_cast<long>(scene.Panes.size()));
            }
        }
    }
}

TEST_F(ProfileViewTest, TheChartShowsTheChosenReachInNodeOrder)
{
    ASSERT_TRUE(Open("ft3-imperial.vqx"));
    const std::vector<int>& reaches = Doc()->DisplayModel->ReachNumbers;
    ASSERT_GE(reaches.size(), 2u);
    for (int reach : reaches) {
        Profile()->Options.ReachNumber = reach;
        const std::vector<VQXDisplayNode*> nodes = ReachNodes(reach);
        const ChartLayer* bed = LayerOf(Build(), 7);
        ASSERT_NE(bed, nullptr);
        ASSERT_EQ(bed->Points.size(), nodes.size()) << reach;
        for (std::size_t k = 0; k < nodes.size(); ++k)
            EXPECT_EQ(bed->Points[k], QPointF(nodes[k]->Station, nodes[k]->Invert)) << reach;
    }
}

TEST_F(ProfileViewTest, EveryRepaintRebuildsTheChartFromTheDisplayModel)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    const int reach = Profile()->Options.ReachNumber;
    for (double rise : {0.5, 1.25, 2.0}) {
        for (VQXDisplayNode* node : ReachNodes(reach)) node->Stage = node->Invert + rise;
        Repaint();
        const ChartLayer* water = LayerOf(Scene(), 8);
        ASSERT_NE(water, nullptr);
        const std::vector<VQXDisplayNode*> nodes = ReachNodes(reach);
        for (std::size_t k = 0; k < nodes.size(); ++k) EXPECT_EQ(water->Points[k].y(), nodes[k]->Invert + rise);
    }
}

TEST_F(ProfileViewTest, SettingsWithoutAChartDrawTheChartWithoutDataAndAskNothing)
{
    ASSERT_TRUE(Open("ft3-metric.vqx"));
    ASSERT_FALSE(Scene().Panes.front().Layers.empty());
    MessageBoxSink boxes;
    Choose([](ProfileViewSettings& o) { o.TopChart = 0; o.BottomChart = 0; });
    Repaint();
    Build();
    EXPECT_TRUE(boxes.shown.empty());
    for (const ChartPane& pane : Scene().Panes) EXPECT_TRUE(pane.Layers.empty());
    EXPECT_TRUE(Scene().Legend.empty());
}

TEST_F(ProfileViewTest, WithoutAModelTheViewIsPaintedInItsGroundColourAndMakesNoChart)
{
    Repaint();
    EXPECT_EQ(Profile()->Chart, nullptr);
    const QImage& surface = Profile()->Surface()->image;
    ASSERT_FALSE(surface.isNull());
    for (const QPoint at : {QPoint(1, 1), QPoint(surface.width() / 2, surface.height() / 2),
                            QPoint(surface.width() - 2, surface.height() - 2)})
        EXPECT_EQ(surface.pixel(at) & 0xFFFFFF, Colour(240, 240, 240)) << at.x() << "," << at.y();
}

TEST_F(ProfileViewTest, TheChartCoversTheViewFollowsItsSizeAndGoesWithIt)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    ChartHandle chart = Profile()->Chart;
    ASSERT_NE(chart, nullptr);
    CWnd* window = Profile()->GetDlgItem(1001);
    ASSERT_NE(window, nullptr);
    const auto expectCovers = [&] {
        CRect view, placed;
        Profile()->GetClientRect(&view);
        window->GetWindowRect(&placed);
        CPoint corner = placed.TopLeft();
        Profile()->ScreenToClient(&corner);
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
    EXPECT_EQ(Profile()->Chart, chart);

    Profile()->DestroyWindow();
    ProcessEvents();
    EXPECT_EQ(ChartSceneOf(chart), nullptr);
}

}  // namespace
