// The plan view's picture, read back from the view's own surface at the world points of what
// it draws: the colouring's classes, the element lines over a map image, the map image itself,
// the objects and arrows, the legend and the scale bar.
#include "PlanTestSupport.h"

#include "platform/Image.h"

#include <QImage>

#include <cstring>
#include <limits>
#include <string>

namespace {

using namespace plan_test;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr int WaterSurface = VQXDisplayLib::PlotWaterSurfaceElevation;
constexpr int SolidIceThickness = VQXDisplayLib::PlotSolidIceThickness;
constexpr QRgb NodeGrey = 0xC0C0C0;
constexpr QRgb OverImage = 0xC8C8C8;  // element lines over a map image under a colouring
constexpr QRgb Land = 0x287828;

// Only the elements and their colouring by the water surface.
void ColouringOnly(PlanViewSettings& o)
{
    o.ShowParameter = 1;
    o.PlotVariable = WaterSurface;
    o.ShowLegend = o.ShowBoundaryElements = o.ShowNodes = 0;
}

TEST_F(PlanViewTest, EachElementTakesTheClassOfItsMeanValue)
{
    struct Case
    {
        const char* name;
        std::vector<double> stages;
        std::vector<int> classes;  // by element; -1: no colour line
    };
    const Case cases[] = {
        // One value everywhere: w = 0, every element class 0.
        {"one value", {5, 5, 5, 5}, {0, 0, 0}},
        // Means 0.5 .. 9.5 over a range of 10: one element per class.
        {"spread", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        // A mean equal to the maximum is class 9, not 10.
        {"the maximum", {0, 0, 10, 10}, {0, 5, 9}},
        // A value that is no number stays out of the range, and its elements get no line.
        {"not a number", {0, NaN, 4, 8}, {-1, -1, 7}},
        {"negative values", {-30, -20, -10}, {2, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Show(Chain(c.stages));
        Options(ColouringOnly);
        for (std::size_t e = 0; e < c.classes.size(); ++e) {
            const QRgb expected = c.classes[e] < 0 ? White : BlueToRed[c.classes[e]];
            EXPECT_EQ(BesideMiddle(1000.0 * double(e), 1000.0 * double(e + 1), 0.0), expected) << "element " << e + 1;
        }
        double low = 1e11, high = -1e11;
        for (double v : c.stages) {
            if (std::isfinite(v)) low = std::min(low, v), high = std::max(high, v);
        }
        EXPECT_EQ(Plan()->ParameterMin, low);
        EXPECT_EQ(Plan()->ParameterMax, high);
    }
}

TEST_F(PlanViewTest, AnIceVariableUsesTheIcePaletteAndDrawsNoLineWhereThereIsNoIce)
{
    std::unique_ptr<VQXDisplayModel> model = Chain({0, 0, 0, 0, 0});
    const double ice[] = {0.5, 0.0, 1.0, 2.0, 2.0};
    for (int n = 1; n <= 5; ++n) model->FindNode(n)->SolidIceThickness = ice[n - 1];
    Show(std::move(model));
    Options([](PlanViewSettings& o) {
        ColouringOnly(o);
        o.PlotVariable = SolidIceThickness;
    });
    // The range is 0 .. 2 (w = 0.2): elements 1 and 2 touch the node without ice.
    EXPECT_EQ(BesideMiddle(0, 1000, 0), White);
    EXPECT_EQ(BesideMiddle(1000, 2000, 0), White);
    EXPECT_EQ(BesideMiddle(2000, 3000, 0), IcePalette[7]);  // mean 1.5
    EXPECT_EQ(BesideMiddle(3000, 4000, 0), IcePalette[9]);  // mean 2, the maximum
}

// A map image under a chain of nodes: 2 m pixels of land from (-1000, 1000) to (11000, -1000).
class PlanImageTest : public PlanViewTest
{
protected:
    void SetUp() override
    {
        PlanViewTest::SetUp();
        QImage map(6000, 1000, QImage::Format_RGB32);
        map.fill(QColor::fromRgb(Land));
        const std::filesystem::path path =
            std::filesystem::path(::testing::TempDir()) / ("vasquil-plan-map-" + std::to_string(::getpid()) + ".png");
        ASSERT_TRUE(map.save(QString::fromStdString(path.string())));
        ASSERT_EQ(Doc()->MapImage.Load(path), S_OK);
        std::filesystem::remove(path);
        Doc()->WorldFile = {2, 0, 0, -2, -1000, 1000};
        Doc()->MapImageLoaded = 1;
        Doc()->PlanViewFitImage = 1;
        Show(Chain({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        ASSERT_EQ(Doc()->PlanViewFitImage, 0);  // the view took the request
        ASSERT_EQ(Plan()->Options.ShowMapImage, 1);
        Options([](PlanViewSettings& o) { o.ShowLegend = o.ShowBoundaryElements = 0; });
    }
    void TearDown() override
    {
        Doc()->MapImage.Destroy();
        Doc()->MapImageLoaded = 0;
        PlanViewTest::TearDown();
    }
};

TEST_F(PlanImageTest, ElementLinesTakeTheColoursThatShowOverTheImage)
{
    struct Case
    {
        const char* name;
        int showParameter;
        int showImage;
        QRgb line;  // on element 5's line
        QRgb land;  // 300 m beside it
    };
    const Case cases[] = {
        {"over the image", 0, 1, White, Land},
        {"over the image, coloured", 1, 1, OverImage, Land},
        {"without the image", 0, 0, Black, White},
        {"without the image, coloured", 1, 0, Black, White},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Options([&c](PlanViewSettings& o) {
            o.ShowParameter = c.showParameter;
            o.PlotVariable = WaterSurface;
            o.ShowMapImage = c.showImage;
        });
        EXPECT_EQ(PixelAt(4500, 0), c.line);
        EXPECT_EQ(PixelAt(4500, 300), c.land);
        EXPECT_EQ(BesideMiddle(4000, 5000, 0), c.showParameter ? BlueToRed[4] : c.land);
    }
}

TEST_F(PlanImageTest, ZoomingPastSevenAndAHalfPixelsPerImagePixelLeavesTheImageOut)
{
    // Coarser pixels of 20 m, so that elements still lie in windows deep enough to leave it out.
    Doc()->WorldFile = {20, 0, 0, -20, -1000, 1000};
    Doc()->PlanViewFitImage = 1;
    Plan()->ResetOptions();
    Options([](PlanViewSettings& o) { o.ShowLegend = o.ShowBoundaryElements = 0; });
    // Windows of decreasing width about (4500, 300): the image shows while one image pixel
    // takes fewer than 7.5 device pixels, and the element lines are white over it.
    int shownCount = 0;
    for (const double width : {10000.0, 4000.0, 2500.0, 1500.0, 1200.0}) {
        SCOPED_TRACE(width);
        CPlanView& view = *Plan();
        view.XMin = 4500 - width / 2;
        view.XMax = 4500 + width / 2;
        view.YMin = 300 - width / 2;
        view.YMax = 300 + width / 2;
        Paint();
        CPoint probe[2] = {CPoint(0, 0), CPoint(1440, 0)};
        CDC dc(static_cast<QPaintDevice*>(nullptr));
        view.OnPrepareDC(&dc);
        dc.LPtoDP(probe, 2);
        const double pixelsPerImagePixel = 20.0 / view.Scale * (probe[1].x - probe[0].x) / 1440.0;
        const bool shown = pixelsPerImagePixel < 7.5;
        shownCount += shown;
        EXPECT_EQ(PixelAt(4500, 300), shown ? Land : White) << pixelsPerImagePixel;
        EXPECT_EQ(PixelAt(4500, 0), shown ? White : Black) << pixelsPerImagePixel;
    }
    EXPECT_GT(shownCount, 0);
    EXPECT_LT(shownCount, 5);
}

TEST_F(PlanImageTest, TheImageIsPlacedByItsWorldFile)
{
    Options([](PlanViewSettings& o) { o.ShowElements = 0; });
    // The image runs from x = -1000 to 11000 and y = 1000 down to -1000; the view's window is
    // wider, so beyond the corners lies the white ground.
    CPlanView& view = *Plan();
    ASSERT_LT(view.YMin, -1200);
    ASSERT_GT(view.YMax, 1200);
    EXPECT_EQ(PixelAt(5000, 900), Land);
    EXPECT_EQ(PixelAt(5000, -900), Land);
    EXPECT_EQ(PixelAt(5000, 1100), White);
    EXPECT_EQ(PixelAt(5000, -1100), White);
}

// A small network: a main river of nodes 1 .. 7 (200 m apart, west to east), a tributary of
// nodes 8 .. 10 joining at node 4 from the north, boundary elements of every kind and one
// junction at node 4. Flow runs east except on element 5 (node two 6 has a negative Qflux).
std::unique_ptr<VQXDisplayModel> Network(int units = 1)
{
    std::vector<NodeSpec> nodes;
    for (int i = 1; i <= 7; ++i) nodes.push_back({i, 200.0 * (i - 1), 0, 100, 1, i == 6 ? -5.0 : 5.0});
    nodes.push_back({8, 600, 600, 100, 2, 2.0});
    nodes.push_back({9, 600, 400, 100, 2, 2.0});
    nodes.push_back({10, 600, 200, 100, 2, 2.0});
    std::vector<ElementSpec> elements;
    for (int i = 1; i <= 6; ++i) elements.push_back({i, i, i + 1, i == 3 ? 1 : 0});
    elements.push_back({7, 8, 9});
    elements.push_back({8, 9, 10});
    elements.push_back({9, 10, 4, 2});
    return MakeModel(nodes, elements, {{1, 1, 0}, {2, 8, 1}, {3, 7, 2}, {4, 5, 3}, {5, 2, 7}},
                     {{1, 4, 10, 3, 5, 3, 9, 4}}, units);
}

TEST_F(PlanViewTest, ObjectsAndFlowArrowsTakeTheirColours)
{
    Show(Network());
    Options([](PlanViewSettings& o) {
        o.ShowLegend = 0;
        o.ShowNodes = o.ShowJunctionNodes = o.ShowFlowArrows = 1;
    });
    CPlanView& view = *Plan();
    ASSERT_LE(view.Scale, 0.8);  // the arrows' factor is then 0.8
    struct Object
    {
        const char* name;
        double x, y;
        QRgb colour;
    };
    const Object objects[] = {
        {"node 3", 400, 0, NodeGrey},
        {"inflow boundary at node 1", 0, 0, 0x0000B4},
        {"lateral boundary at node 8", 600, 600, 0xFF8200},
        {"outflow hydrograph at node 7", 1200, 0, 0xB40000},
        {"rating curve at node 5", 800, 0, 0xB40000},
        {"a boundary of no known kind at node 2", 200, 0, White},
        {"junction at node 4", 600, 0, 0xFFFF00},
    };
    for (const Object& o : objects) EXPECT_EQ(PixelAt(o.x, o.y), o.colour) << o.name;

    // Arrows: a triangle from its tip, 3/4 along a positive element (1/4 along a negative
    // one), back 0.8 x 0.711 of the element's length, 0.8 x 1/6 of it wide on either side: a
    // point 0.6 of the element's length back from the tip, off the element line, is inside.
    const auto inside = [&view](double x1, double y1, double x2, double y2, bool positive) {
        const double dx = x2 - x1, dy = y2 - y1;
        const double length = std::hypot(dx, dy);
        const double t = positive ? 0.75 - 0.8 * 0.6 : 0.25 + 0.8 * 0.6;
        const double off = 85 * view.Scale;  // 85 twips: past the line's half width of 50
        return std::pair{x1 + t * dx - dy / length * off, y1 + t * dy + dx / length * off};
    };
    struct Arrow
    {
        const char* name;
        double x1, y1, x2, y2;
        bool positive;
        QRgb colour;  // White: no arrow
    };
    const Arrow arrows[] = {
        {"element 2, node two 3", 200, 0, 400, 0, true, 0x00B400},
        {"element 5, node two 6 flows back", 800, 0, 1000, 0, false, 0xB40000},
        {"element 3, a junction branch (AC), decided by C = 3", 400, 0, 600, 0, true, 0x00B400},
        {"element 9 (AB), decided by B = 10: no multiple of 3", 600, 200, 600, 0, true, White},
        {"element 8, node two 10: no multiple of 3", 600, 400, 600, 200, true, White},
        {"element 6, node two 7: no multiple of 3", 1000, 0, 1200, 0, true, White},
    };
    for (const Arrow& a : arrows) {
        const auto [x, y] = inside(a.x1, a.y1, a.x2, a.y2, a.positive);
        EXPECT_EQ(PixelAt(x, y), a.colour) << a.name;
    }

    // A reach shown alone: the other's nodes and boundary elements are not drawn.
    Options([](PlanViewSettings& o) { o.ReachNumber = 2; });
    EXPECT_EQ(PixelAt(400, 0), White);
    EXPECT_EQ(PixelAt(0, 0), White);
    EXPECT_EQ(PixelAt(600, 400), NodeGrey);
    EXPECT_EQ(PixelAt(600, 600), 0xFF8200u);
}

// The legend's rows in order, each with its symbol's colour; the colour scale's swatches.
TEST_F(PlanViewTest, TheLegendListsWhatIsShownInItsOrder)
{
    Show(Network());
    struct Case
    {
        const char* name;
        std::function<void(PlanViewSettings&)> set;
        std::vector<QRgb> rows;
        int height;  // of the frame below the margin
    };
    const std::vector<QRgb> boundaries = {0x0000B4, 0xFF8200, 0xB40000};
    const Case cases[] = {
        {"the defaults", [](PlanViewSettings&) {}, boundaries, 300 + 1200},
        {"everything",
         [](PlanViewSettings& o) { o.ShowNodes = o.ShowJunctionNodes = o.ShowFlowArrows = o.ShowScaleBar = o.ShowParameter = 1; },
         {NodeGrey, 0x0000B4, 0xFF8200, 0xB40000, 0xFFFF00, 0x00B400, 0xB40000}, 3900 + 400 + 1200 + 400 + 800 + 900},
        {"nodes and arrows",
         [](PlanViewSettings& o) {
             o.ShowNodes = o.ShowFlowArrows = 1;
             o.ShowBoundaryElements = 0;
         },
         {NodeGrey, 0x00B400, 0xB40000}, 300 + 400 + 800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Plan()->ResetOptions();
        Options(c.set);
        const PlanViewSettings& o = Plan()->Options;
        const int m = Plan()->DrawMargin;
        int offset = o.ShowParameter ? 3900 : 200;
        const int arrowRows = o.ShowFlowArrows ? 2 : 0;
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            const int y = -240 - m - offset;
            const bool arrow = i + arrowRows >= c.rows.size();
            EXPECT_EQ(PixelAtLogical(CPoint(arrow ? m + 250 : m + 300, y)), c.rows[i]) << "row " << i;
            offset += 400;
        }
        // The frame: white inside, with its outline on the row of its bottom edge.
        EXPECT_EQ(PixelAtLogical(CPoint(m + 3000, -(m + c.height) + 60)), White);
        bool outline = false;
        for (int k = -2; k <= 2; ++k) outline = outline || PixelAtLogical(CPoint(m + 3000, -(m + c.height) + 15 * k)) == Black;
        EXPECT_TRUE(outline);
        if (!o.ShowParameter) continue;
        // The swatches, class 9 on top.
        for (int i = 0; i < 10; ++i) EXPECT_EQ(PixelAtLogical(CPoint(m + 400, 300 * i - m - 3450)), BlueToRed[i]) << i;
    }
}

// The text a context draws at a logical point in a font like the plan view's, on white, and
// the pixels the text covers in the view: the same picture.
void ExpectText(const QImage& shown, CPoint at, int fontHeight, const std::vector<std::string>& texts)
{
    QImage expected(shown.size(), QImage::Format_RGB32);
    expected.setDotsPerMeterX(3780);
    expected.setDotsPerMeterY(3780);
    expected.fill(Qt::white);
    CSize extent;
    {
        CDC dc(&expected);
        dc.SetMapMode(MM_TWIPS);
        LOGFONT lf;
        lf.lfHeight = fontHeight;
        lf.lfWeight = 600;
        lf.lfPitchAndFamily = 0x20;
        std::strcpy(lf.lfFaceName, "Arial");
        CFont font;
        font.CreateFontIndirect(&lf);
        dc.SelectObject(&font);
        for (const std::string& text : texts) {
            dc.TextOut(at.x, at.y, text);
            const CSize size = dc.GetTextExtent(text);
            extent = CSize(std::max(extent.cx, size.cx), std::max(extent.cy, size.cy));
        }
        CPoint corners[2] = {at, CPoint(at.x + extent.cx, at.y - extent.cy)};
        dc.LPtoDP(corners, 2);
        int differing = 0, ink = 0;
        for (int y = corners[0].y; y < corners[1].y; ++y) {
            for (int x = corners[0].x; x < corners[1].x; ++x) {
                differing += shown.pixel(x, y) != expected.pixel(x, y);
                ink += (expected.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
            }
        }
        EXPECT_GT(ink, 10) << texts.back();
        EXPECT_EQ(differing, 0) << texts.back();
    }
}

TEST_F(PlanViewTest, TheScaleBarIsNineteenTenTwipsLongAndSaysHowFarThatIs)
{
    for (const int units : {1, 0}) {
        SCOPED_TRACE(units ? "metric" : "imperial");
        Show(Network(units));
        Options([](PlanViewSettings& o) {
            o.ShowLegend = 0;
            o.ShowScaleBar = 1;
        });
        const int m = Plan()->DrawMargin;
        const int length = m + 1730;
        ASSERT_EQ(length, 1910);
        // Without the legend the bar lies 200 twips lower than the legend's top.
        const int x0 = m + 350;
        const int y0 = -520 - m - 200;
        EXPECT_EQ(PixelAtLogical(CPoint(x0 + 700, y0)), Black);
        EXPECT_EQ(PixelAtLogical(CPoint(x0 + length - 20, y0)), Black);
        EXPECT_EQ(PixelAtLogical(CPoint(x0 + length + 40, y0)), White);
        EXPECT_EQ(PixelAtLogical(CPoint(x0 + length, y0 + 60)), Black);          // the end's tick
        EXPECT_EQ(PixelAtLogical(CPoint(x0 + length / 10, y0 + 60)), White);     // a short tick ends lower
        EXPECT_EQ(PixelAtLogical(CPoint(x0 + length / 10, y0 + 20)), Black);
        char label[64];
        std::snprintf(label, sizeof label, "%.1f %s", 1910 * Plan()->Scale, units ? "m" : "ft");
        ExpectText(Picture(), CPoint(m + 300, -540 - m - 200), 280, {label});
        ExpectText(Picture(), CPoint(m + 300, -100 - m - 200), 280, {"Distance"});
    }
}

TEST_F(PlanViewTest, LabelsStandBesideTheirObjectsAndTheJunctionsNumberBeforeItsA)
{
    Show(Network());
    Options([](PlanViewSettings& o) {
        o.ShowLegend = 0;
        o.ShowNodes = o.ShowNodeNumbers = 1;
        o.ShowJunctionNodes = o.ShowJunctionNumbers = 1;
    });
    const int r = 50, h = 100;  // the node's and the junction's radius at this zoom
    const CPoint node2 = Plan()->WorldToLogical(200, 0);
    ExpectText(Picture(), CPoint(node2.x + r + 20, node2.y + r + 20), 240, {"2"});
    // At node 4 the junction's "     A" is covered in front by its number 1 (the node's own
    // number 4 is covered by both, drawn earlier at the smaller radius).
    const CPoint node4 = Plan()->WorldToLogical(600, 0);
    ExpectText(Picture(), CPoint(node4.x + h + 20, node4.y + h + 20), 240, {"     A", "1"});
    const CPoint node10 = Plan()->WorldToLogical(600, 200);  // node B
    ExpectText(Picture(), CPoint(node10.x + h + 20, node10.y + h + 20), 240, {"B"});
}

}  // namespace
