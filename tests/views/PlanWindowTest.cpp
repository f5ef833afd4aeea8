// The plan view's world window: fitting it to the model and to the drawing area, the zoom
// commands and clicks, the rubber band, the arrow keys, the cursors of the modes, the status
// bar, and what the view does with windows too small, too deep or without extent.
#include "PlanTestSupport.h"

#include "platform/Frame.h"
#include "platform/TestHooks.h"

#include <QKeyEvent>
#include <QTest>

#include <limits>

namespace {

using namespace plan_test;

// The window a test sets: x from, x to, y from, y to.
struct Window
{
    double xMin, xMax, yMin, yMax;
};

void SetWindow(CPlanView& view, const Window& w)
{
    view.XMin = w.xMin;
    view.XMax = w.xMax;
    view.YMin = w.yMin;
    view.YMax = w.yMax;
}

TEST_F(PlanViewTest, FittingToTheAreaGivesBothAxesOneScaleAboutTheCentre)
{
    struct Case
    {
        const char* name;
        Window window;
        int width, height, margin;
        bool fits;
        double scale;
        Window after;
    };
    const Case cases[] = {
        // U = V = 1000: x is the wider range (m = 2 > r = 1), so y grows by 500 on each side.
        {"x decides", {0, 2000, 0, 1000}, 1360, -1360, 180, true, 2.0, {0, 2000, -500, 1500}},
        // U = 2000, V = 1000, r = 1 > m = 0.5: x grows by 500 on each side.
        {"y decides", {0, 1000, 0, 1000}, 2360, 1360, 180, true, 1.0, {-500, 1500, 0, 1000}},
        // A tie takes the y branch, which grows x by nothing.
        {"a tie", {10, 20, 30, 40}, 1010, 1010, 5, true, 0.01, {10, 20, 30, 40}},
        {"no width left", {0, 1000, 0, 1000}, 360, -2000, 180, false, 7.0, {0, 1000, 0, 1000}},
        {"no height left", {0, 1000, 0, 1000}, 2000, 300, 180, false, 7.0, {0, 1000, 0, 1000}},
        {"no extent", {5, 5, 7, 7}, 2000, 2000, 180, false, 7.0, {5, 5, 7, 7}},
        {"an infinite extent", {0, std::numeric_limits<double>::infinity(), 0, 1}, 2000, 2000, 180, false, 7.0,
         {0, std::numeric_limits<double>::infinity(), 0, 1}},
    };
    CPlanView& view = *Plan();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetWindow(view, c.window);
        view.Scale = 7.0;
        EXPECT_EQ(view.FitWindowToArea(c.width, c.height, c.margin, c.margin, c.margin, c.margin), c.fits);
        EXPECT_DOUBLE_EQ(view.Scale, c.scale);
        EXPECT_DOUBLE_EQ(view.XMin, c.after.xMin);
        EXPECT_DOUBLE_EQ(view.XMax, c.after.xMax);
        EXPECT_DOUBLE_EQ(view.YMin, c.after.yMin);
        EXPECT_DOUBLE_EQ(view.YMax, c.after.yMax);
        if (!c.fits) continue;
        // The left margin lies left of XMin and the top margin above YMax.
        EXPECT_DOUBLE_EQ(view.OriginX, c.after.xMin - c.margin * c.scale);
        EXPECT_DOUBLE_EQ(view.OriginY, c.after.yMax + c.margin * c.scale);
        double x = 0, y = 0;
        view.LogicalToWorld(CPoint(c.margin, -c.margin), &x, &y);
        EXPECT_DOUBLE_EQ(x, c.after.xMin);
        EXPECT_DOUBLE_EQ(y, c.after.yMax);
    }
}

TEST_F(PlanViewTest, WorldPointsRoundToLogicalOnesTowardZeroAndStayWithinReach)
{
    CPlanView& view = *Plan();
    view.OriginX = 100.0;
    view.OriginY = 50.0;
    view.Scale = 0.5;
    struct Case
    {
        double x, y;
        CPoint logical;
        bool inside;
    };
    SetWindow(view, {100, 200, 0, 50});
    const Case cases[] = {
        {100.0, 50.0, {0, 0}, false},     // on the window's corner: not inside (strict)
        {150.2, 20.0, {100, -59}, true},  // 100.9 -> 100; -59.5 -> -59 (toward zero)
        {150.3, 49.9, {101, 0}, true},
        {1e300, -1e300, {1000000000, -1000000000}, false},  // kept within a billion twips
    };
    for (const Case& c : cases) {
        EXPECT_EQ(view.WorldToLogical(c.x, c.y), c.logical) << c.x << "," << c.y;
        EXPECT_EQ(view.IsInWindow(c.x, c.y), c.inside) << c.x << "," << c.y;
    }
}

TEST_F(PlanViewTest, ScaleToFitShowsTheModelWithAMarginAndEveryModelGetsAWindow)
{
    // Without a model: 1000 to 3000 on both axes.
    SetWindow(*Plan(), {0, 1, 0, 1});
    Plan()->OnScaleToFit();  // (the frame enables the command only with a model)
    EXPECT_EQ(Plan()->XMin, 1000.0);
    EXPECT_EQ(Plan()->XMax, 3000.0);
    EXPECT_EQ(Plan()->YMin, 1000.0);
    EXPECT_EQ(Plan()->YMax, 3000.0);

    struct Case
    {
        const char* name;
        std::vector<NodeSpec> nodes;
        Window fitted;
    };
    const Case cases[] = {
        {"5 % of the extent on every side", {{1, 1000, 200}, {2, 3000, 1200}}, {900, 3100, 150, 1250}},
        // A straight river east-west has no height: it gets 100 units about its line.
        {"no height", {{1, 0, 500}, {2, 4000, 500}}, {-200, 4200, 450, 550}},
        // Every node at one point: the window is 100 units square about it, not empty.
        {"one point", {{1, 700, 300}, {2, 700, 300}, {3, 700, 300}}, {650, 750, 250, 350}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Show(MakeModel(c.nodes, {{1, 1, 2}}));
        SetWindow(*Plan(), {0, 1, 0, 1});
        Frame()->SendMessage(WM_COMMAND, ID_ZOOM_SCALE_TO_FIT, 0);
        EXPECT_DOUBLE_EQ(Plan()->XMin, c.fitted.xMin);
        EXPECT_DOUBLE_EQ(Plan()->XMax, c.fitted.xMax);
        EXPECT_DOUBLE_EQ(Plan()->YMin, c.fitted.yMin);
        EXPECT_DOUBLE_EQ(Plan()->YMax, c.fitted.yMax);
        // The paint refits to the area with a finite scale; the first node is drawn at its place.
        Options([](PlanViewSettings& o) {
            o.ShowNodes = 1;
            o.ShowLegend = 0;
        });
        EXPECT_TRUE(std::isfinite(Plan()->Scale) && Plan()->Scale > 0);
        EXPECT_EQ(PixelAt(c.nodes[0].x, c.nodes[0].y), 0xC0C0C0u);
    }
}

TEST_F(PlanViewTest, ZoomsRecentreHalveAndDoubleTheWindowAndTheArrowKeysShiftIt)
{
    Show(Chain({1, 1, 1}));
    CPlanView& view = *Plan();
    QWidget* widget = view.GetWidget();

    // Zoom In On Point at (x, y) on a window 0..1000 x 0..500: x - 250 .. x + 250 and
    // y - 125 .. y + 125 before the next paint refits it.
    Frame()->SendMessage(WM_COMMAND, ID_ZOOM_POINT, 0);
    ASSERT_EQ(view.Mode, PlanModeZoomPoint);
    SetWindow(view, {0, 1000, 0, 500});
    const QPoint at(200, 150);
    CPoint logical(at.x(), at.y());
    CDC dc(static_cast<QPaintDevice*>(nullptr));
    view.OnPrepareDC(&dc);
    dc.DPtoLP(&logical);
    double x = 0, y = 0;
    view.LogicalToWorld(logical, &x, &y);
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_DOUBLE_EQ(view.XMin, x - 250);
    EXPECT_DOUBLE_EQ(view.XMax, x + 250);
    EXPECT_DOUBLE_EQ(view.YMin, y - 125);
    EXPECT_DOUBLE_EQ(view.YMax, y + 125);
    EXPECT_EQ(view.Mode, PlanModeNone);

    // Zoom Out doubles both ranges about their centres.
    SetWindow(view, {100, 300, -50, 50});
    Frame()->SendMessage(WM_COMMAND, ID_ZOOM_OUT, 0);
    EXPECT_DOUBLE_EQ(view.XMin, 0);
    EXPECT_DOUBLE_EQ(view.XMax, 400);
    EXPECT_DOUBLE_EQ(view.YMin, -100);
    EXPECT_DOUBLE_EQ(view.YMax, 100);

    // The arrows shift by (1/2 - 1/2.1) of the extent: left on 0..2100 moves to -50..2050.
    struct Key
    {
        int key;
        Window after;
    };
    const double shift = 2100 * (0.5 - 1 / 2.1);
    const Key keys[] = {
        {Qt::Key_Left, {-shift, 2100 - shift, 0, 1000}},
        {Qt::Key_Right, {shift, 2100 + shift, 0, 1000}},
        {Qt::Key_Down, {0, 2100, -1000 * (0.5 - 1 / 2.1), 1000 - 1000 * (0.5 - 1 / 2.1)}},
        {Qt::Key_Up, {0, 2100, 1000 * (0.5 - 1 / 2.1), 1000 + 1000 * (0.5 - 1 / 2.1)}},
        {Qt::Key_Home, {0, 2100, 0, 1000}},
    };
    EXPECT_NEAR(shift, 50.0, 1e-9);
    for (const Key& k : keys) {
        SetWindow(view, {0, 2100, 0, 1000});
        QKeyEvent release(QEvent::KeyRelease, k.key, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &release);
        EXPECT_NEAR(view.XMin, k.after.xMin, 1e-9) << k.key;
        EXPECT_NEAR(view.XMax, k.after.xMax, 1e-9) << k.key;
        EXPECT_NEAR(view.YMin, k.after.yMin, 1e-9) << k.key;
        EXPECT_NEAR(view.YMax, k.after.yMax, 1e-9) << k.key;
    }
}

TEST_F(PlanViewTest, FortyZoomsInStopAtAHundredthOfAUnitAndStillDraw)
{
    // A map image too: its corners lie far outside a window this deep.
    QImage map(400, 200, QImage::Format_RGB32);
    map.fill(QColor(0x40, 0x80, 0x40));
    const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) / ("vasquil-plan-deep-" + std::to_string(::getpid()) + ".png");
    ASSERT_TRUE(map.save(QString::fromStdString(path.string())));
    ASSERT_EQ(Doc()->MapImage.Load(path), S_OK);
    std::filesystem::remove(path);
    Doc()->MapImageLoaded = 1;
    Doc()->PlanViewFitImage = 1;
    Doc()->WorldFile = {5, 0, 0, -5, -500, 500};
    Show(Chain({1, 2, 3}));
    ASSERT_EQ(Plan()->Options.ShowMapImage, 1);
    Options([](PlanViewSettings& o) {
        o.ShowNodes = o.ShowParameter = o.ShowFlowArrows = o.ShowNodeNumbers = o.ShowScaleBar = 1;
        o.ShowLegend = 0;  // its frame would cover the left of a small view
    });
    CPlanView& view = *Plan();
    for (int zoom = 0; zoom < 40; ++zoom) {
        Frame()->SendMessage(WM_COMMAND, ID_ZOOM_POINT, 0);
        QTest::mouseClick(view.GetWidget(), Qt::LeftButton, Qt::NoModifier, Client(1000.004, 0.002));
        Paint();
        ASSERT_GE(view.XMax - view.XMin, 0.01 * (1 - 1e-9)) << zoom;
        ASSERT_GE(view.YMax - view.YMin, 0.01 * (1 - 1e-9)) << zoom;
        ASSERT_TRUE(std::isfinite(view.Scale) && view.Scale > 0) << zoom;
    }
    // The smaller range is a hundredth of a unit across; node 2 is still drawn at its place
    // (its circle is as large as the clamped sizes allow), and the image is left out.
    EXPECT_NEAR(std::min(view.XMax - view.XMin, view.YMax - view.YMin), 0.01, 1e-9);
    EXPECT_EQ(PixelAt(1000.0, 0.0), 0xC0C0C0u);
    EXPECT_EQ(Picture().pixel(Picture().width() - 2, Picture().height() - 2) & 0xFFFFFF, White);
    Doc()->MapImage.Destroy();
    Doc()->MapImageLoaded = 0;
}

TEST_F(PlanViewTest, ZoomOutStopsBeforeTheWindowLosesItsNumbers)
{
    Show(Chain({1, 1}));
    for (int i = 0; i < 2000; ++i) Plan()->OnZoomOut();
    Paint();
    EXPECT_TRUE(std::isfinite(Plan()->XMax - Plan()->XMin));
    EXPECT_LE(Plan()->XMax - Plan()->XMin, 1e15);
    EXPECT_TRUE(std::isfinite(Plan()->Scale));
}

TEST_F(PlanViewTest, AnAreaOfNoRoomInsideTheMarginsDrawsOnlyWhiteAndRefitsNothing)
{
    Show(Chain({1, 2}));
    CPlanView& view = *Plan();
    const Window before{view.XMin, view.XMax, view.YMin, view.YMax};
    const double scale = view.Scale;
    // A view of 24 x 24 pixels (360 twips): the margins of 2 x 180 twips leave nothing.
    QImage picture(24, 24, QImage::Format_RGB32);
    picture.setDotsPerMeterX(3780);  // 96 dots per inch, as the views' surfaces
    picture.setDotsPerMeterY(3780);
    picture.fill(Qt::red);
    {
        CDC dc(&picture);
        dc.SetMapMode(MM_TWIPS);
        view.DrawRect = CRect(0, 0, 360, -360);
        view.DrawPlan(&dc);
    }
    for (const QPoint p : {QPoint(0, 0), QPoint(12, 12), QPoint(23, 23)}) EXPECT_EQ(picture.pixel(p) & 0xFFFFFF, White);
    EXPECT_EQ(view.Scale, scale);
    EXPECT_EQ(view.XMin, before.xMin);
    EXPECT_EQ(view.XMax, before.xMax);
    EXPECT_EQ(view.YMin, before.yMin);
    EXPECT_EQ(view.YMax, before.yMax);
    Paint();  // the view's own area again
}

// The rubber band: the XOR band's pixels on the view, what the release zooms to.
class PlanBandTest : public PlanViewTest
{
protected:
    void SetUp() override
    {
        PlanViewTest::SetUp();
        Show(Chain({1, 1, 1, 1, 1}));
        Options([](PlanViewSettings& o) { o.ShowLegend = o.ShowElements = o.ShowBoundaryElements = 0; });
        Frame()->SendMessage(WM_COMMAND, ID_ZOOM_RECTANGLE, 0);
        ASSERT_EQ(Plan()->Mode, PlanModeZoomRectangle);
    }
    QWidget* Widget() const { return Plan()->GetWidget(); }
    // The pixel of the picture at a client point.
    QRgb At(QPoint p) const { return Picture().pixel(p) & 0xFFFFFF; }
    // The band's edge on white: the pen RGB(127,127,127) in XOR.
    static constexpr QRgb BandOnWhite = 0x808080;
};

TEST_F(PlanBandTest, TheBandFollowsThePointerAndItsReleaseZoomsToIt)
{
    const QPoint from(100, 80);
    const QPoint middle(160, 120);
    const QPoint to(220, 170);
    double x0, y0, x1, y1;
    {
        CDC dc(static_cast<QPaintDevice*>(nullptr));
        Plan()->OnPrepareDC(&dc);
        CPoint a(from.x(), from.y()), b(to.x(), to.y());
        dc.DPtoLP(&a);
        dc.DPtoLP(&b);
        Plan()->LogicalToWorld(a, &x0, &y0);
        Plan()->LogicalToWorld(b, &x1, &y1);
    }
    QTest::mousePress(Widget(), Qt::LeftButton, Qt::NoModifier, from);
    EXPECT_EQ(CWnd::GetCapture(), Plan());
    QTest::mouseMove(Widget(), middle);
    EXPECT_EQ(At(QPoint(130, 80)), BandOnWhite);
    EXPECT_EQ(At(QPoint(100, 100)), BandOnWhite);
    EXPECT_EQ(At(QPoint(130, 100)), White);  // the black brush in XOR leaves the inside
    QTest::mouseMove(Widget(), to);
    EXPECT_EQ(At(QPoint(130, 119)), White);  // the old band's bottom is erased
    EXPECT_EQ(At(QPoint(190, 169)), BandOnWhite);

    // A repaint during the drag (as a run's steps make) draws the band again, so the next move
    // erases it and leaves nothing behind.
    Paint();
    EXPECT_EQ(At(QPoint(190, 169)), BandOnWhite);
    QTest::mouseMove(Widget(), middle);
    EXPECT_EQ(At(QPoint(190, 169)), White);
    QTest::mouseMove(Widget(), to);

    QTest::mouseRelease(Widget(), Qt::LeftButton, Qt::NoModifier, to);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    EXPECT_EQ(Plan()->BandDC, nullptr);
    EXPECT_DOUBLE_EQ(Plan()->XMin, std::min(x0, x1));
    EXPECT_DOUBLE_EQ(Plan()->XMax, std::max(x0, x1));
    EXPECT_DOUBLE_EQ(Plan()->YMin, std::min(y0, y1));
    EXPECT_DOUBLE_EQ(Plan()->YMax, std::max(y0, y1));
    EXPECT_EQ(Plan()->Mode, PlanModeNone);
    EXPECT_EQ(Plan()->Cursor, LoadStandardCursor(IDC_ARROW));
}

TEST_F(PlanBandTest, ABandOfNoSizeNoBandAtAllAndALostCaptureChangeNothing)
{
    const Window before{Plan()->XMin, Plan()->XMax, Plan()->YMin, Plan()->YMax};
    // (A paint in between refits the window within rounding.)
    const double tolerance = 1e-9 * (before.xMax - before.xMin);
    const auto unchanged = [&] {
        EXPECT_NEAR(Plan()->XMin, before.xMin, tolerance);
        EXPECT_NEAR(Plan()->XMax, before.xMax, tolerance);
        EXPECT_NEAR(Plan()->YMin, before.yMin, tolerance);
        EXPECT_NEAR(Plan()->YMax, before.yMax, tolerance);
    };

    // Released where it was pressed: the mode ends, the window stays.
    QTest::mousePress(Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
    QTest::mouseRelease(Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
    unchanged();
    EXPECT_EQ(Plan()->Mode, PlanModeNone);

    // A release without a press in mode 2 (the press fell elsewhere): nothing at all.
    Frame()->SendMessage(WM_COMMAND, ID_ZOOM_RECTANGLE, 0);
    Plan()->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(150, 160));
    unchanged();
    EXPECT_EQ(Plan()->Mode, PlanModeZoomRectangle);

    // Another window takes the capture during the drag: the band goes, and so does its picture.
    RecordingWindow other;
    ASSERT_TRUE(other.Create(nullptr, "other", WS_OVERLAPPED, CRect(0, 0, 20, 20), nullptr, 0));
    QTest::mousePress(Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 80));
    QTest::mouseMove(Widget(), QPoint(160, 120));
    ASSERT_EQ(At(QPoint(130, 80)), BandOnWhite);
    other.SetCapture();
    EXPECT_EQ(Plan()->BandDC, nullptr);
    EXPECT_EQ(At(QPoint(130, 80)), White);
    CWnd::ReleaseCapture();
    Plan()->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(160, 120));
    unchanged();
    EXPECT_EQ(Plan()->Mode, PlanModeZoomRectangle);
}

TEST_F(PlanViewTest, EachModeShowsItsCursorAndAZoomChosenTwiceEndsInModeZero)
{
    Show(Chain({1, 1}));
    CPlanView& view = *Plan();
    const HCURSOR arrow = LoadStandardCursor(IDC_ARROW);
    const HCURSOR zoom = LoadCursor(IDC_ZOOM_CURSOR);
    const HCURSOR edit = LoadCursor(IDC_EDIT_CURSOR);
    ASSERT_NE(zoom, nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(view.Cursor, arrow);

    Frame()->SendMessage(WM_COMMAND, ID_ZOOM_POINT, 0);
    Frame()->SendMessage(WM_COMMAND, ID_ZOOM_POINT, 0);
    EXPECT_EQ(view.Mode, PlanModeZoomPoint);
    EXPECT_EQ(view.PreviousMode, PlanModeZoomPoint);
    EXPECT_EQ(view.Cursor, zoom);
    // The pointer over the view shows the zoom cursor (hot spot at the lens's centre).
    QTest::mouseMove(view.GetWidget(), QPoint(40, 40));
    EXPECT_EQ(GetCursor(), zoom);
    EXPECT_EQ(view.GetWidget()->cursor().hotSpot(), QPoint(12, 12));
    QTest::mouseClick(view.GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    EXPECT_EQ(view.Mode, PlanModeNone);
    EXPECT_EQ(view.Cursor, arrow);

    // An edit mode chosen twice keeps what it returns to; a zoom from it returns to it.
    Frame()->SendMessage(WM_COMMAND, ID_EDIT_BOUNDARY_CONDITIONS, 0);
    Frame()->SendMessage(WM_COMMAND, ID_EDIT_BOUNDARY_CONDITIONS, 0);
    EXPECT_EQ(view.Mode, PlanModeEditBoundary);
    EXPECT_EQ(view.PreviousMode, PlanModeNone);
    EXPECT_EQ(view.Cursor, edit);
    Frame()->SendMessage(WM_COMMAND, ID_ZOOM_OUT, 0);  // no mode of its own
    EXPECT_EQ(view.Mode, PlanModeEditBoundary);
    Frame()->SendMessage(WM_COMMAND, ID_ZOOM_POINT, 0);
    QTest::mouseClick(view.GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    EXPECT_EQ(view.Mode, PlanModeEditBoundary);
    EXPECT_EQ(view.Cursor, edit);
}

TEST_F(PlanViewTest, ThePointersWorldPointShowsInTheStatusBarWhileAModelIsLoaded)
{
    CStatusBar* status = Frame()->GetStatusBar();
    ASSERT_NE(status, nullptr);
    status->SetPaneText(0, "Ready");
    QTest::mouseMove(Plan()->GetWidget(), QPoint(30, 30));
    EXPECT_EQ(status->GetPaneText(0), "Ready");  // no model: nothing

    Show(Chain({1, 1}));
    const QPoint at(120, 90);
    QTest::mouseMove(Plan()->GetWidget(), at);
    CPoint logical(at.x(), at.y());
    CDC dc(static_cast<QPaintDevice*>(nullptr));
    Plan()->OnPrepareDC(&dc);
    dc.DPtoLP(&logical);
    double x = 0, y = 0;
    Plan()->LogicalToWorld(logical, &x, &y);
    char expected[96];
    std::snprintf(expected, sizeof expected, "x = %f, y = %f", x, y);
    EXPECT_EQ(status->GetPaneText(0), expected);
}

TEST_F(PlanViewTest, ZoomAndOptionsCommandsNeedAModel)
{
    const auto enabled = [this](UINT id) {
        CCmdUI state;
        state.m_nID = id;
        state.DoUpdate(Frame(), TRUE);
        return state.m_enabled.value_or(false);
    };
    for (UINT id : {ID_PLAN_VIEW_OPTIONS, ID_ZOOM_RECTANGLE, ID_ZOOM_POINT, ID_ZOOM_OUT, ID_ZOOM_SCALE_TO_FIT})
        EXPECT_FALSE(enabled(id)) << id;
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    Tabs().SetActiveTab(CVasquilView::PlanTab);
    for (UINT id : {ID_PLAN_VIEW_OPTIONS, ID_ZOOM_RECTANGLE, ID_ZOOM_POINT, ID_ZOOM_OUT, ID_ZOOM_SCALE_TO_FIT})
        EXPECT_TRUE(enabled(id)) << id;
}

}  // namespace
