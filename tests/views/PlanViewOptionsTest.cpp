// The plan view's options: the reset after an open or a map image, the Plan View Options
// dialog (what it shows, its follow rules, what OK refuses) and what an accepted dialog does to
// the view; and the run dialogs that the chart views show again when they paint.
#include "PlanTestSupport.h"

#include "app/RunSteadyDlg.h"
#include "app/RunTransDlg.h"
#include "platform/Image.h"
#include "platform/TestHooks.h"
#include "views/PlanViewOptionsDlg.h"

#include <functional>
#include <optional>

namespace {

using namespace plan_test;

CButton* Button(CDialog& dialog, int id) { return static_cast<CButton*>(dialog.GetDlgItem(id)); }
CComboBox* Combo(CDialog& dialog, int id) { return static_cast<CComboBox*>(dialog.GetDlgItem(id)); }
bool Enabled(CDialog& dialog, int id) { return dialog.GetDlgItem(id)->IsWindowEnabled() != FALSE; }
std::string Selected(CDialog& dialog, int id)
{
    std::string text;
    if (Combo(dialog, id)->GetCurSel() >= 0) Combo(dialog, id)->GetLBText(Combo(dialog, id)->GetCurSel(), text);
    return text;
}

const std::vector<std::string> Variables = {"Bed Elevation", "Water Surface Elevation", "Discharge", "Water Velocity",
                                            "Froude Number"};

class PlanViewOptionsTest : public PlanViewTest
{
protected:
    // A dialog over three reaches with the view's default options.
    static void Prepare(CPlanViewOptionsDlg& dialog)
    {
        dialog.ReachNumbers = {1, 2, 5};
        dialog.ReachNames = {"Reach 1", "Reach 2", "Reach 5"};
        dialog.Variables = Variables;
        dialog.Settings.ReachName = "All Reaches";
        dialog.Settings.ShowElements = dialog.Settings.ShowBoundaryElements = dialog.Settings.ShowLegend = 1;
        dialog.VariableName = "Bed Elevation";
    }
    int Run(CPlanViewOptionsDlg& dialog, std::function<void(CDialog&)> script)
    {
        dialogs_.scripts.push_back(std::move(script));
        return dialog.DoModal();
    }
    ModalDialogInterceptor dialogs_;
    MessageBoxSink boxes_;
};

TEST_F(PlanViewOptionsTest, AResetKeepsThreeChoicesTakesTheMapImageAndFitsTheModel)
{
    CPlanView& view = *Plan();
    PlanViewSettings o;
    o.ReachNumber = 2;
    o.PlotVariable = VQXDisplayLib::PlotIceVelocity;
    o.ShowParameter = o.ShowNodes = o.ShowNodeNumbers = o.ShowNodeStationing = o.ShowElements = 1;
    o.ShowReachNumbers = o.ShowMapImage = o.ShowScaleBar = o.TitleCalendar = o.ShowFlowArrows = 1;
    view.Options = o;
    view.ParameterMin = 3;

    // Without a map image: the defaults, stationing and reach numbers kept, the image off.
    Show(MakeModel({{1, 100, 200}, {2, 1100, 700}}, {{1, 1, 2}}));
    EXPECT_EQ(Doc()->PlanViewReset, 0);
    const PlanViewSettings& r = view.Options;
    EXPECT_EQ(r.ReachNumber, 0);
    EXPECT_EQ(r.ReachName, "All Reaches");
    EXPECT_EQ(r.PlotVariable, VQXDisplayLib::PlotBedElevation);
    EXPECT_EQ(r.ShowParameter + r.ShowNodes + r.ShowNodeNumbers + r.ShowScaleBar + r.TitleCalendar + r.ShowFlowArrows, 0);
    EXPECT_EQ(r.ShowElements + r.ShowBoundaryElements + r.ShowLegend, 3);
    EXPECT_EQ(r.ShowNodeStationing, 1);
    EXPECT_EQ(r.ShowReachNumbers, 1);
    EXPECT_EQ(r.ShowMapImage, 0);
    EXPECT_EQ(view.ParameterMin, 0.0);
    // Fitted: 5 % of the extent beyond the model, then refitted to the area.
    EXPECT_LE(view.XMin, 50);
    EXPECT_GE(view.XMax, 1150);
    EXPECT_LE(view.YMin, 175);
    EXPECT_GE(view.YMax, 725);

    // With one: its corners by the world file; shown when the document asks, which it then no
    // longer does; a later reset keeps the choice.
    QImage map(30, 20, QImage::Format_RGB32);
    map.fill(Qt::darkGreen);
    const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) / ("vasquil-plan-reset-" + std::to_string(::getpid()) + ".png");
    ASSERT_TRUE(map.save(QString::fromStdString(path.string())));
    ASSERT_EQ(Doc()->MapImage.Load(path), S_OK);
    std::filesystem::remove(path);
    Doc()->WorldFile = {10, 0.5, 0.25, -5, 90, 710};
    Doc()->MapImageLoaded = 1;
    Doc()->PlanViewFitImage = 1;
    view.ResetOptions();
    EXPECT_EQ(view.Options.ShowMapImage, 1);
    EXPECT_EQ(Doc()->PlanViewFitImage, 0);
    EXPECT_EQ(view.MapWidth, 30);
    EXPECT_EQ(view.MapHeight, 20);
    EXPECT_EQ(view.ImageUpperLeft.Easting, 90);
    EXPECT_EQ(view.ImageUpperLeft.Northing, 710);
    EXPECT_EQ(view.ImageLowerRight.Easting, 90 + 30 * 10);
    EXPECT_EQ(view.ImageLowerRight.Northing, 710 - 20 * 5);
    view.Options.ShowMapImage = 0;
    view.ResetOptions();
    EXPECT_EQ(view.Options.ShowMapImage, 0);  // no request: the choice stays
    // The view keeps its own copy: the document's image may go.
    Doc()->MapImage.Destroy();
    EXPECT_EQ(view.MapBitmap.GetWidth(), 30);
    Doc()->MapImageLoaded = 0;
    view.ResetOptions();
    EXPECT_TRUE(view.MapBitmap.IsNull());
}

TEST_F(PlanViewOptionsTest, TheListsShowAllReachesFirstAndTheVariableWhoseNameMatches)
{
    struct Case
    {
        int reach;
        std::string variable;
        std::string shownReach, shownVariable;
    };
    const Case cases[] = {
        {0, "Bed Elevation", "All Reaches", "Bed Elevation"},
        {5, "discharge", "Reach 5", "Discharge"},  // ignoring case
        {9, "Water", "All Reaches", ""},           // an unknown reach: the first; only whole names match
        {2, "", "Reach 2", ""},                    // no variable (-1)
    };
    for (const Case& c : cases) {
        CPlanViewOptionsDlg dialog;
        Prepare(dialog);
        dialog.Settings.ReachNumber = c.reach;
        dialog.VariableName = c.variable;
        std::string reach, variable;
        int reaches = 0;
        Run(dialog, [&](CDialog& d) {
            reach = Selected(d, IDC_PLAN_REACH);
            variable = Selected(d, IDC_PLAN_VARIABLE);
            reaches = Combo(d, IDC_PLAN_REACH)->GetCount();
        });
        EXPECT_EQ(reach, c.shownReach) << c.reach;
        EXPECT_EQ(variable, c.shownVariable) << c.variable;
        EXPECT_EQ(reaches, 4);
    }
}

TEST_F(PlanViewOptionsTest, LabelsFollowTheirObjectsTheVariableItsCheckAndTheTimesExcludeEachOther)
{
    struct State
    {
        int id;
        bool enabled;
    };
    struct Case
    {
        const char* name;
        std::function<void(CPlanViewOptionsDlg&)> setUp;
        std::vector<int> clicks;
        std::vector<State> expected;
    };
    const auto none = [](CPlanViewOptionsDlg&) {};
    const Case cases[] = {
        {"the defaults", none, {},
         {{IDC_PLAN_NODE_NUMBERS, false}, {IDC_PLAN_NODE_STATIONING, false}, {IDC_PLAN_ELEMENT_NUMBERS, true},
          {IDC_PLAN_BOUNDARY_ELEMENT_NUMBERS, true}, {IDC_PLAN_JUNCTION_NUMBERS, false}, {IDC_PLAN_REACH_NUMBERS, true},
          {IDC_PLAN_VARIABLE, false}, {IDC_PLAN_MAP_IMAGE, false}, {IDC_PLAN_TITLE_MODEL_TIME, true},
          {IDC_PLAN_TITLE_CALENDAR, true}}},
        {"nodes and junctions on, elements off", none, {IDC_PLAN_SHOW_NODES, IDC_PLAN_SHOW_JUNCTIONS, IDC_PLAN_SHOW_ELEMENTS},
         {{IDC_PLAN_NODE_NUMBERS, true}, {IDC_PLAN_NODE_STATIONING, true}, {IDC_PLAN_JUNCTION_NUMBERS, true},
          {IDC_PLAN_ELEMENT_NUMBERS, false}, {IDC_PLAN_REACH_NUMBERS, true}}},
        {"boundary elements off", none, {IDC_PLAN_SHOW_BOUNDARY_ELEMENTS}, {{IDC_PLAN_BOUNDARY_ELEMENT_NUMBERS, false}}},
        {"the parameter on, then off", none, {IDC_PLAN_SHOW_PARAMETER}, {{IDC_PLAN_VARIABLE, true}}},
        {"the parameter off again", none, {IDC_PLAN_SHOW_PARAMETER, IDC_PLAN_SHOW_PARAMETER}, {{IDC_PLAN_VARIABLE, false}}},
        {"model time", none, {IDC_PLAN_TITLE_MODEL_TIME}, {{IDC_PLAN_TITLE_CALENDAR, false}, {IDC_PLAN_TITLE_MODEL_TIME, true}}},
        {"calendar", none, {IDC_PLAN_TITLE_CALENDAR}, {{IDC_PLAN_TITLE_MODEL_TIME, false}, {IDC_PLAN_TITLE_CALENDAR, true}}},
        {"a map image loaded", [](CPlanViewOptionsDlg& d) { d.MapImageLoaded = 1; }, {}, {{IDC_PLAN_MAP_IMAGE, true}}},
        {"options that were on", [](CPlanViewOptionsDlg& d) { d.Settings.ShowNodes = d.Settings.ShowParameter = d.Settings.TitleModelTime = 1; }, {},
         {{IDC_PLAN_NODE_NUMBERS, true}, {IDC_PLAN_VARIABLE, true}, {IDC_PLAN_TITLE_CALENDAR, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPlanViewOptionsDlg dialog;
        Prepare(dialog);
        c.setUp(dialog);
        std::vector<bool> got;
        Run(dialog, [&](CDialog& d) {
            for (int id : c.clicks) Button(d, id)->Click();
            for (const State& s : c.expected) got.push_back(Enabled(d, s.id));
        });
        ASSERT_EQ(got.size(), c.expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], c.expected[i].enabled) << c.expected[i].id;
    }

    // Every activation applies the rules to what the check boxes show.
    CPlanViewOptionsDlg dialog;
    Prepare(dialog);
    bool variable = false, numbers = false;
    Run(dialog, [&](CDialog& d) {
        Button(d, IDC_PLAN_SHOW_PARAMETER)->SetCheck(BST_CHECKED);  // as the program sets it
        Button(d, IDC_PLAN_SHOW_NODES)->SetCheck(BST_CHECKED);
        d.SendMessage(WM_ACTIVATE, WA_ACTIVE, 0);
        variable = Enabled(d, IDC_PLAN_VARIABLE);
        numbers = Enabled(d, IDC_PLAN_NODE_NUMBERS);
    });
    EXPECT_TRUE(variable);
    EXPECT_TRUE(numbers);
}

TEST_F(PlanViewOptionsTest, OkNeedsAReachAndGivesBackTheChecksTheReachAndTheVariable)
{
    CPlanViewOptionsDlg dialog;
    Prepare(dialog);
    bool stayed = false;
    EXPECT_EQ(Run(dialog,
                  [&](CDialog& d) {
                      Combo(d, IDC_PLAN_REACH)->SetCurSel(CB_ERR);
                      Button(d, IDOK)->Click();
                      stayed = d.IsWindowVisible() != FALSE;
                      Combo(d, IDC_PLAN_REACH)->SetCurSel(3);
                      Combo(d, IDC_PLAN_VARIABLE)->SetCurSel(2);
                      Button(d, IDC_PLAN_SHOW_PARAMETER)->Click();
                      Button(d, IDC_PLAN_FLOW_ARROWS)->Click();
                      Button(d, IDC_PLAN_SCALE_BAR)->Click();
                      Button(d, IDC_PLAN_SHOW_ELEMENTS)->Click();
                      Button(d, IDOK)->Click();
                  }),
              IDOK);
    EXPECT_TRUE(stayed);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "Please select a channel reach to display.");
    EXPECT_EQ(dialog.Settings.ReachNumber, 5);
    EXPECT_EQ(dialog.Settings.ReachName, "Reach 5");
    EXPECT_EQ(dialog.VariableName, "Discharge");
    EXPECT_EQ(dialog.Settings.ShowParameter, 1);
    EXPECT_EQ(dialog.Settings.ShowFlowArrows, 1);
    EXPECT_EQ(dialog.Settings.ShowScaleBar, 1);
    EXPECT_EQ(dialog.Settings.ShowElements, 0);
    EXPECT_EQ(dialog.Settings.ShowLegend, 1);
}

TEST_F(PlanViewOptionsTest, TheViewTakesAcceptedOptionsAndRepaintsEitherWay)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    Tabs().SetActiveTab(CVasquilView::PlanTab);
    ProcessEvents();
    CPlanView& view = *Plan();
    PaintCounter paints;
    std::vector<std::string> reaches;
    std::string variable;
    dialogs_.scripts.push_back([&](CDialog& d) {
        for (int i = 0; i < Combo(d, IDC_PLAN_REACH)->GetCount(); ++i) {
            std::string text;
            Combo(d, IDC_PLAN_REACH)->GetLBText(i, text);
            reaches.push_back(text);
        }
        variable = Selected(d, IDC_PLAN_VARIABLE);
        Combo(d, IDC_PLAN_REACH)->SetCurSel(2);
        Combo(d, IDC_PLAN_VARIABLE)->SetCurSel(Combo(d, IDC_PLAN_VARIABLE)->FindStringExact(-1, "Water Velocity"));
        Button(d, IDC_PLAN_SHOW_NODES)->Click();
        Button(d, IDOK)->Click();
    });
    Frame()->SendMessage(WM_COMMAND, ID_PLAN_VIEW_OPTIONS, 0);
    ProcessEvents();
    EXPECT_EQ(reaches, (std::vector<std::string>{"All Reaches", "Reach 1", "Reach 2", "Reach 3"}));
    EXPECT_EQ(variable, "Bed Elevation");
    EXPECT_EQ(view.Options.ReachNumber, 2);
    EXPECT_EQ(view.Options.ReachName, "Reach 2");
    EXPECT_EQ(view.Options.PlotVariable, VQXDisplayNode::FindPlotVariable("Water Velocity"));
    EXPECT_EQ(view.Options.ShowNodes, 1);
    EXPECT_GE(paints.paints[view.GetWidget()], 1);

    const int before = paints.paints[view.GetWidget()];
    dialogs_.scripts.push_back([](CDialog& d) {
        Button(d, IDC_PLAN_SHOW_NODES)->Click();
        Button(d, IDCANCEL)->Click();
    });
    Frame()->SendMessage(WM_COMMAND, ID_PLAN_VIEW_OPTIONS, 0);
    ProcessEvents();
    EXPECT_EQ(view.Options.ShowNodes, 1);
    EXPECT_GT(paints.paints[view.GetWidget()], before);

    // Opening a model again resets the options.
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    Tabs().SetActiveTab(CVasquilView::PlanTab);
    ProcessEvents();
    EXPECT_EQ(view.Options.ReachNumber, 0);
    EXPECT_EQ(view.Options.ShowNodes, 0);
}

// The chart views show the run dialogs whose windows are open whenever they paint.
TEST_F(PlanViewOptionsTest, ThePlanAndTheProfileShowAShownRunDialogAgain)
{
    ASSERT_TRUE(Open("ft0-metric.vqx"));
    Frame()->SendMessage(WM_COMMAND, ID_SIMULATION_TRANSIENT, 0);
    CRunTransDlg* transient = Doc()->TransientDialog;
    ASSERT_TRUE(transient->Shown);
    for (const int tab : {CVasquilView::PlanTab, CVasquilView::ProfileTab}) {
        SCOPED_TRACE(tab);
        Tabs().SetActiveTab(tab);
        ProcessEvents();
        transient->ShowWindow(SW_HIDE);
        Repaint();
        EXPECT_TRUE(transient->IsWindowVisible());
        EXPECT_FALSE(Doc()->SteadyDialog->IsWindowVisible());  // never opened: not shown
    }
    // Hiding them (as the node table will) leaves them shown: the next chart paint brings them back.
    Doc()->ShowRunDialogs(SW_HIDE);
    EXPECT_FALSE(transient->IsWindowVisible());
    EXPECT_TRUE(transient->Shown);
    Repaint();
    EXPECT_TRUE(transient->IsWindowVisible());
}

}  // namespace
