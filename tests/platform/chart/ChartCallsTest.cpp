// The chart calls themselves: handles, value kinds, capacities and ids the component ignores.
#include "ChartReplay.h"
#include "ChartTestSupport.h"
#include "ChartWindow.h"

#include "platform/Window.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using chart_test::Chart;

TEST(ChartCalls, CreateMakesAChildWindowOverTheRectangle)
{
    auto* parent = new QWidget;
    parent->resize(640, 480);
    parent->show();
    ChartHandle shown = ChartCreate(ChartObjectGraph, ChartStyleVisible, QRect(10, 20, 300, 200), parent, 1001);
    ChartHandle hidden = ChartCreate(ChartObjectGraph, 0, QRect(0, 0, 50, 40), parent, 1000);
    ASSERT_NE(shown, nullptr);
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(shown->parentWidget(), parent);
    EXPECT_EQ(shown->geometry(), QRect(10, 20, 300, 200));
    EXPECT_EQ(shown->ControlId(), 1001);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(hidden->isVisible());
    EXPECT_EQ(ChartImageOf(shown).size(), QSize(300, 200));
    EXPECT_EQ(ChartCreate(305, ChartStyleVisible, QRect(0, 0, 10, 10), parent, 1001), nullptr) << "unknown object type";

    // The owner moves the chart over its whole client area on every resize; the image follows.
    shown->setGeometry(0, 0, 640, 480);
    EXPECT_EQ(ChartImageOf(shown).size(), QSize(640, 480));

    // A chart dies with its parent; its handle is refused afterwards, never followed.
    delete parent;
    EXPECT_EQ(ChartSetInt(shown, ChartSubsetCount, 1), 0);
    EXPECT_EQ(ChartDestroy(hidden), 0);
}

TEST(ChartCalls, OverAPlatformWindowTheChartIsOneOfItsChildWindows)
{
    CWnd parent;
    EXPECT_EQ(ChartCreate(ChartObjectGraph, WS_VISIBLE, CRect(0, 0, 10, 10), &parent, 1001), nullptr) << "no window yet";
    ASSERT_TRUE(parent.Create(nullptr, "view", WS_VISIBLE, CRect(0, 0, 640, 480), nullptr, 0));
    ChartHandle chart = ChartCreate(ChartObjectGraph, WS_VISIBLE, CRect(0, 0, 300, 200), &parent, 1001);
    ChartHandle other = ChartCreate(ChartObjectGraph, WS_VISIBLE, CRect(0, 0, 30, 20), &parent, 1000);
    ASSERT_NE(chart, nullptr);
    CWnd* window = CWnd::FromWidget(chart);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(parent.GetDlgItem(1001), window);
    EXPECT_EQ(window->GetParent(), &parent);
    EXPECT_TRUE(window->IsWindowVisible());

    // The owner's resize moves it through the platform's call; the image follows.
    window->MoveWindow(0, 0, 640, 480, FALSE);
    EXPECT_EQ(ChartImageOf(chart).size(), QSize(640, 480));

    // Destroyed by the call, it leaves its parent's windows; destroyed with its parent, its
    // handle is refused afterwards.
    EXPECT_EQ(ChartDestroy(chart), 1);
    EXPECT_EQ(parent.GetDlgItem(1001), nullptr);
    ASSERT_NE(parent.GetDlgItem(1000), nullptr);
    parent.DestroyWindow();
    EXPECT_EQ(ChartSetInt(other, ChartSubsetCount, 1), 0);
}

TEST(ChartCalls, EveryCallRefusesADeadHandle)
{
    ChartHandle dead = ChartCreate(ChartObjectGraph, 0, QRect(0, 0, 100, 100), nullptr, 1001);
    ASSERT_EQ(ChartDestroy(dead), 1);
    const int one = 1;
    const double x = 1.0;
    const std::function<int(ChartHandle)> calls[] = {
        [](ChartHandle h) { return ChartDestroy(h); },
        [](ChartHandle h) { return ChartSetInt(h, ChartSubsetCount, 1); },
        [](ChartHandle h) { return ChartSetText(h, ChartXAxisLabel, "x"); },
        [&](ChartHandle h) { return ChartSetArray(h, ChartLegendSubsets, &one, 1); },
        [&](ChartHandle h) { return ChartSetCell(h, ChartSubsetColours, 0, &one); },
        [&](ChartHandle h) { return ChartSetPointCell(h, ChartXData, 0, 0, &x); },
        [&](ChartHandle h) { return ChartSetCellRange(h, ChartSubsetColours, 0, 1, &one, 0); },
        [](ChartHandle h) { return ChartReinitialize(h); },
        [](ChartHandle h) { return ChartResetImage(h, 0, 0); },
    };
    for (const auto& call : calls) {
        EXPECT_EQ(call(dead), 0);
        EXPECT_EQ(call(nullptr), 0);
    }
    EXPECT_EQ(ChartSceneOf(dead), nullptr);
    EXPECT_TRUE(ChartImageOf(dead).isNull());
}

TEST(ChartCalls, ArrayWithCountZeroTakesOneDoubleOrOneFloat)
{
    Chart chart;
    ChartPropertyStore& store = ChartWindow::FromHandle(chart)->Properties();
    const double minimum = -12.345678901234;
    const float scale = 0.5f;
    EXPECT_EQ(ChartSetArray(chart, ChartYMinimum, &minimum, 0), 1);
    EXPECT_EQ(ChartSetArray(chart, ChartLegendSpacing, &scale, 0), 1);  // read as a float, not past its four bytes
    EXPECT_EQ(store.Number(ChartYMinimum), minimum);
    EXPECT_EQ(store.Number(ChartLegendSpacing), 0.5);
    const int legend[] = {3, 1, 2};
    EXPECT_EQ(ChartSetArray(chart, ChartLegendSubsets, legend, 3), 1);
    const int none[] = {-1};
    EXPECT_EQ(ChartSetArray(chart, ChartLegendSubsets, none, 1), 1);
    EXPECT_EQ(store.Numbers(ChartLegendSubsets), std::vector<double>{-1.0}) << "an array replaces the whole list";
    const int colours[] = {0xFF, 0xFF00};
    EXPECT_EQ(ChartSetCellRange(chart, ChartSubsetColours, 1, 2, colours, 0), 1);
    EXPECT_TRUE(std::isnan(store.NumberCell(ChartSubsetColours, 0))) << "a range leaves other cells alone";
    EXPECT_EQ(store.NumberCell(ChartSubsetColours, 2), 0xFF00);
}

TEST(ChartCalls, UnknownIdsAreStoredAndChangeNothingDrawn)
{
    Chart chart({400, 300});
    chart_replay::Hydrograph h;
    h.Time = {0, 1, 2, 3};
    h.Value = {4, 6, 5, 7};
    chart_replay::BuildHydrograph(chart, h);
    const QImage before = chart.Image();

    const int values[] = {7, 8};
    const double d = 2.5;
    EXPECT_EQ(ChartSetInt(chart, 9001, 5), 1);
    EXPECT_EQ(ChartSetText(chart, 9002, "text"), 1);
    EXPECT_EQ(ChartSetArray(chart, 9003, values, 2), 1);
    EXPECT_EQ(ChartSetArray(chart, 9004, &d, 0), 1);
    EXPECT_EQ(ChartSetCell(chart, 9005, 0, &values[0]), 0) << "the kind of an unknown cell cannot be told";
    ChartReinitialize(chart);
    ChartResetImage(chart, 0, 0);

    const ChartPropertyStore& store = ChartWindow::FromHandle(chart)->Properties();
    EXPECT_EQ(store.Number(9001), 5);
    EXPECT_EQ(store.Text(9002), "text");
    EXPECT_EQ(store.Numbers(9003), (std::vector<double>{7, 8}));
    EXPECT_EQ(store.Number(9004), 2.5);
    EXPECT_EQ(chart.Image(), before);
}

TEST(ChartCalls, CountsAndCellsBeyondTheCapacitiesAreRefused)
{
    Chart chart;
    const ChartPropertyStore& store = ChartWindow::FromHandle(chart)->Properties();
    const double v = 1.0;
    const int n = 1;
    struct Case {
        const char* Name;
        std::function<int()> Call;
        int Expected;
    };
    const Case cases[] = {
        {"negative subset count", [&] { return ChartSetInt(chart, ChartSubsetCount, -1); }, 0},
        {"subsets above capacity", [&] { return ChartSetInt(chart, ChartSubsetCount, ChartMaxSubsets + 1); }, 0},
        {"points above capacity", [&] { return ChartSetInt(chart, ChartPointCount, ChartMaxPoints + 1); }, 0},
        {"three subsets", [&] { return ChartSetInt(chart, ChartSubsetCount, 3); }, 1},
        {"four points", [&] { return ChartSetInt(chart, ChartPointCount, 4); }, 1},
        {"point inside", [&] { return ChartSetPointCell(chart, ChartYData, 2, 3, &v); }, 1},
        {"point past the count", [&] { return ChartSetPointCell(chart, ChartYData, 2, 4, &v); }, 0},
        {"subset past the count", [&] { return ChartSetPointCell(chart, ChartXData, 3, 0, &v); }, 0},
        {"negative point", [&] { return ChartSetPointCell(chart, ChartXData, 0, -1, &v); }, 0},
        {"point cell of another id", [&] { return ChartSetPointCell(chart, ChartSubsetColours, 0, 0, &v); }, 0},
        {"third axis", [&] { return ChartSetInt(chart, ChartWorkingAxis, ChartAxisCount); }, 0},
        {"cell index at capacity", [&] { return ChartSetCell(chart, ChartSubsetColours, ChartMaxCells, &n); }, 0},
        {"negative range start", [&] { return ChartSetCellRange(chart, ChartSubsetColours, -1, 1, &n, 0); }, 0},
        {"negative array count", [&] { return ChartSetArray(chart, ChartLegendSubsets, &n, -1); }, 0},
        {"point cells beyond the data capacity",
         [&] {
             ChartSetInt(chart, ChartSubsetCount, ChartMaxSubsets);
             ChartSetInt(chart, ChartPointCount, ChartMaxPoints);
             return ChartSetPointCell(chart, ChartXData, 0, 0, &v);
         },
         0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.Call(), c.Expected) << c.Name;
    EXPECT_EQ(store.WorkingAxis(), 0);
    // A refused count leaves the data as it was; the accepted large counts hold no points.
    ChartReinitialize(chart);
    EXPECT_EQ(ChartSceneOf(chart)->Panes.size(), 1u);
}

TEST(ChartCalls, SettingACountClearsEveryPoint)
{
    Chart chart;
    const ChartPropertyStore& store = ChartWindow::FromHandle(chart)->Properties();
    for (const int id : {ChartSubsetCount, ChartPointCount}) {
        ChartSetInt(chart, ChartSubsetCount, 2);
        ChartSetInt(chart, ChartPointCount, 3);
        chart_replay::SetPoint(chart, 1, 2, 5.0, 6.0);
        ASSERT_EQ(store.PointY(1, 2), 6.0);
        ChartSetInt(chart, id, id == ChartSubsetCount ? 2 : 3);  // the same count again
        EXPECT_TRUE(std::isnan(store.PointX(1, 2))) << id;
        EXPECT_TRUE(std::isnan(store.PointY(1, 2))) << id;
    }
}

}  // namespace
