// The Profile View Options dialog: what it shows of the settings, its enabling rules, the
// reasons OK refuses, and what an accepted dialog does to the profile.
#include "ViewsTestSupport.h"

#include "platform/TestHooks.h"
#include "views/ProfileViewOptionsDlg.h"

#include <functional>
#include <optional>

namespace {

using namespace views_test;

const std::vector<std::string> OpenWaterVariables = {"Bed Elevation", "Water Surface Elevation", "Discharge",
                                                     "Water Velocity", "Froude Number"};

CButton* Button(CDialog& dialog, int id) { return static_cast<CButton*>(dialog.GetDlgItem(id)); }
CComboBox* Combo(CDialog& dialog, int id) { return static_cast<CComboBox*>(dialog.GetDlgItem(id)); }
bool Checked(CDialog& dialog, int id) { return Button(dialog, id)->GetCheck() == BST_CHECKED; }
bool Enabled(CDialog& dialog, int id) { return dialog.GetDlgItem(id)->IsWindowEnabled() != FALSE; }
bool ReadOnly(CDialog& dialog, int id) { return static_cast<CEdit*>(dialog.GetDlgItem(id))->IsReadOnly() != FALSE; }
std::string Selected(CDialog& dialog, int id)
{
    CComboBox* combo = Combo(dialog, id);
    std::string text;
    if (combo->GetCurSel() >= 0) combo->GetLBText(combo->GetCurSel(), text);
    return text;
}

// A script that fixes a scale and types its two limits.
std::function<void(CDialog&)> FixLimits(int fixed, int minimum, const char* low, int maximum, const char* high)
{
    return [=](CDialog& d) {
        Button(d, fixed)->Click();
        d.GetDlgItem(minimum)->SetWindowText(low);
        d.GetDlgItem(maximum)->SetWindowText(high);
    };
}

class ProfileViewOptionsTest : public ViewsTest
{
protected:
    // A dialog over an open-water model of three reaches with the default settings.
    static void Prepare(CProfileViewOptionsDlg& dialog)
    {
        dialog.ReachNumbers = {1, 2, 5};
        dialog.ReachNames = {"Reach 1", "Reach 2", "Reach 5"};
        dialog.Variables = OpenWaterVariables;
        dialog.Settings.ReachNumber = 1;
        dialog.Settings.ReachName = "Reach 1";
        dialog.TopVariableName = "Discharge";
    }
    // Runs the dialog with script playing the user; returns DoModal's result.
    int Run(CProfileViewOptionsDlg& dialog, std::function<void(CDialog&)> script)
    {
        dialogs_.scripts.push_back(std::move(script));
        return int(dialog.DoModal());
    }

    ModalDialogInterceptor dialogs_;
    MessageBoxSink boxes_;
};

TEST_F(ProfileViewOptionsTest, TheListsShowTheReachAndTheVariablesWhoseNamesMatchIgnoringCase)
{
    struct Case
    {
        int reach;
        std::string top, bottom;
        std::string shownReach, shownTop, shownBottom;
    };
    const Case cases[] = {
        {5, "Discharge", "Water Velocity", "Reach 5", "Discharge", "Water Velocity"},
        {9, "water surface elevation", "", "Reach 1", "Water Surface Elevation", ""},  // an unknown reach: the first
        {2, "Water", "Froude number", "Reach 2", "", "Froude Number"},  // only whole names match
    };
    for (const Case& c : cases) {
        CProfileViewOptionsDlg dialog;
        Prepare(dialog);
        dialog.Settings.ReachNumber = c.reach;
        dialog.TopVariableName = c.top;
        dialog.BottomVariableName = c.bottom;
        std::string reach, top, bottom;
        int items = 0;
        Run(dialog, [&](CDialog& d) {
            reach = Selected(d, IDC_PROFILE_REACH);
            top = Selected(d, IDC_PROFILE_TOP_VARIABLE);
            bottom = Selected(d, IDC_PROFILE_BOTTOM_VARIABLE);
            items = Combo(d, IDC_PROFILE_BOTTOM_VARIABLE)->GetCount();
        });
        EXPECT_EQ(reach, c.shownReach) << c.reach;
        EXPECT_EQ(top, c.shownTop) << c.top;
        EXPECT_EQ(bottom, c.shownBottom) << c.bottom;
        EXPECT_EQ(items, int(OpenWaterVariables.size()));
    }
}

TEST_F(ProfileViewOptionsTest, ControlsFollowTheChartsTheirKindAndTheirItems)
{
    // A control's expected state: enabled, and for check boxes checked, for edits read-only.
    struct State
    {
        int id;
        bool enabled;
        std::optional<bool> checkedOrReadOnly = std::nullopt;
    };
    struct Case
    {
        const char* name;
        std::function<void(CProfileViewOptionsDlg&)> setUp;
        std::vector<int> clicks;
        std::vector<State> expected;
    };
    const auto none = [](CProfileViewOptionsDlg&) {};
    const Case cases[] = {
        {"defaults", none, {},
         {{IDC_PROFILE_TOP_VARIABLE, true}, {IDC_PROFILE_TOP_X_MIN, true, true}, {IDC_PROFILE_TOP_Y_MAX, true, true},
          {IDC_PROFILE_BOTTOM_VARIABLE_LABEL, false}, {IDC_PROFILE_BOTTOM_VARIABLE, false}, {IDC_PROFILE_SHOW_BED, false, true},
          {IDC_PROFILE_SHOW_WATER_SURFACE, true, true}, {IDC_PROFILE_SHOW_ICE, false, false}, {IDC_PROFILE_EVENT_LINES, false},
          {IDC_PROFILE_BOTTOM_X_GROUP, true}, {IDC_PROFILE_BOTTOM_Y_MIN, true, true}, {IDC_PROFILE_TITLE_CALENDAR, true},
          {IDC_PROFILE_TITLE_MODEL_TIME, true}}},
        {"top chart off", none, {IDC_PROFILE_TOP_CHART},
         {{IDC_PROFILE_TOP_VARIABLE_LABEL, false}, {IDC_PROFILE_TOP_VARIABLE, false}, {IDC_PROFILE_TOP_X_GROUP, false},
          {IDC_PROFILE_TOP_X_AUTO, false}, {IDC_PROFILE_TOP_X_MIN_LABEL, false}, {IDC_PROFILE_TOP_Y_FIXED, false},
          {IDC_PROFILE_TOP_Y_MAX, false}, {IDC_PROFILE_BOTTOM_Y_MAX, true}}},
        {"top chart off and on again", none, {IDC_PROFILE_TOP_CHART, IDC_PROFILE_TOP_CHART},
         {{IDC_PROFILE_TOP_VARIABLE, true}, {IDC_PROFILE_TOP_X_MAX_LABEL, true}, {IDC_PROFILE_TOP_Y_MIN, true, true}}},
        {"bottom chart off", none, {IDC_PROFILE_BOTTOM_CHART},
         {{IDC_PROFILE_PARAMETER_CHART, false}, {IDC_PROFILE_ELEVATION_CHART, false}, {IDC_PROFILE_SHOW_BED, false},
          {IDC_PROFILE_SHOW_WATER_SURFACE, false}, {IDC_PROFILE_BOTTOM_X_GROUP, false}, {IDC_PROFILE_BOTTOM_Y_MAX_LABEL, false},
          {IDC_PROFILE_BOTTOM_Y_FIXED, false}, {IDC_PROFILE_TOP_VARIABLE, true}}},
        {"parameter chart", none, {IDC_PROFILE_PARAMETER_CHART},
         {{IDC_PROFILE_BOTTOM_VARIABLE_LABEL, true}, {IDC_PROFILE_BOTTOM_VARIABLE, true}, {IDC_PROFILE_SHOW_BED, false},
          {IDC_PROFILE_SHOW_WATER_SURFACE, false}, {IDC_PROFILE_SHOW_ICE, false}}},
        {"parameter chart, then elevation chart", none, {IDC_PROFILE_PARAMETER_CHART, IDC_PROFILE_ELEVATION_CHART},
         {{IDC_PROFILE_BOTTOM_VARIABLE, false}, {IDC_PROFILE_SHOW_BED, false, true}, {IDC_PROFILE_SHOW_WATER_SURFACE, true, true}}},
        {"water surface off", none, {IDC_PROFILE_SHOW_WATER_SURFACE},
         {{IDC_PROFILE_SHOW_BED, true, true}, {IDC_PROFILE_SHOW_WATER_SURFACE, true, false}}},
        {"ice thickness on", [](CProfileViewOptionsDlg& d) { d.IceFile = 1; d.Settings.ShowWaterSurface = 0; },
         {IDC_PROFILE_SHOW_ICE},
         {{IDC_PROFILE_SHOW_ICE, true, true}, {IDC_PROFILE_SHOW_BED, false, true}, {IDC_PROFILE_SHOW_WATER_SURFACE, false, true}}},
        {"ice thickness off", [](CProfileViewOptionsDlg& d) { d.IceFile = 1; d.Settings.ShowIce = 1; },
         {IDC_PROFILE_SHOW_ICE},
         {{IDC_PROFILE_SHOW_ICE, true, false}, {IDC_PROFILE_SHOW_WATER_SURFACE, true, true}, {IDC_PROFILE_SHOW_BED, false, true}}},
        {"fixed axes", none, {IDC_PROFILE_TOP_X_FIXED, IDC_PROFILE_BOTTOM_Y_FIXED},
         {{IDC_PROFILE_TOP_X_MIN, true, false}, {IDC_PROFILE_TOP_X_MAX, true, false}, {IDC_PROFILE_TOP_Y_MIN, true, true},
          {IDC_PROFILE_BOTTOM_Y_MIN, true, false}, {IDC_PROFILE_BOTTOM_Y_MAX, true, false}, {IDC_PROFILE_BOTTOM_X_MIN, true, true}}},
        {"fixed and back to auto", [](CProfileViewOptionsDlg& d) { d.Settings.TopYFixed = 1; }, {IDC_PROFILE_TOP_Y_AUTO},
         {{IDC_PROFILE_TOP_Y_MIN, true, true}}},
        {"model time", none, {IDC_PROFILE_TITLE_MODEL_TIME},
         {{IDC_PROFILE_TITLE_CALENDAR, false}, {IDC_PROFILE_TITLE_MODEL_TIME, true, true}}},
        {"model time off again", none, {IDC_PROFILE_TITLE_MODEL_TIME, IDC_PROFILE_TITLE_MODEL_TIME},
         {{IDC_PROFILE_TITLE_CALENDAR, true}}},
        {"calendar", [](CProfileViewOptionsDlg& d) { d.Settings.TitleCalendar = 1; }, {},
         {{IDC_PROFILE_TITLE_MODEL_TIME, false}, {IDC_PROFILE_TITLE_CALENDAR, true, true}}},
        // What the model has decides these two, whatever the bottom chart's rules gave.
        {"events and an ice file", [](CProfileViewOptionsDlg& d) { d.EventsExist = 1; d.IceFile = 1; d.Settings.BottomChart = 0; },
         {}, {{IDC_PROFILE_EVENT_LINES, true}, {IDC_PROFILE_SHOW_ICE, true}, {IDC_PROFILE_SHOW_BED, false}}},
        {"ice file, parameter chart", [](CProfileViewOptionsDlg& d) { d.IceFile = 1; d.Settings.BottomKind = ParameterChart; },
         {}, {{IDC_PROFILE_SHOW_ICE, true}, {IDC_PROFILE_SHOW_WATER_SURFACE, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CProfileViewOptionsDlg dialog;
        Prepare(dialog);
        c.setUp(dialog);
        Run(dialog, [&](CDialog& d) {
            for (int id : c.clicks) Button(d, id)->Click();
            for (const State& s : c.expected) {
                EXPECT_EQ(Enabled(d, s.id), s.enabled) << s.id;
                if (!s.checkedOrReadOnly) continue;
                if (d.GetDlgItem(s.id)->IsKindOf(&CEdit::Runtime)) EXPECT_EQ(ReadOnly(d, s.id), *s.checkedOrReadOnly) << s.id;
                else EXPECT_EQ(Checked(d, s.id), *s.checkedOrReadOnly) << s.id;
            }
        });
    }
}

TEST_F(ProfileViewOptionsTest, IceThicknessIsHiddenWhenTheListOffersNoIceVariables)
{
    CProfileViewOptionsDlg dialog;
    Prepare(dialog);
    dialog.Variables = {"Bed Elevation", "Water Surface Elevation", "Discharge"};
    dialog.IceFile = 1;
    bool visible = true;
    Run(dialog, [&](CDialog& d) { visible = d.GetDlgItem(IDC_PROFILE_SHOW_ICE)->IsWindowVisible() != FALSE; });
    EXPECT_FALSE(visible);
}

TEST_F(ProfileViewOptionsTest, OkRefusesWithoutAReachAChartOrTheBedOrWithTurnedOverLimitsAndStaysOpen)
{
    struct Case
    {
        const char* name;
        std::function<void(CDialog&)> play;
        const char* message;  // null: accepted
    };
    const Case cases[] = {
        {"no reach", [](CDialog& d) { Combo(d, IDC_PROFILE_REACH)->SetCurSel(-1); },
         "Please select a channel reach to display."},
        {"no chart", [](CDialog& d) { Button(d, IDC_PROFILE_TOP_CHART)->Click(); Button(d, IDC_PROFILE_BOTTOM_CHART)->Click(); },
         "Please select at least one chart to display."},
        {"no reach and no chart: the reach first",
         [](CDialog& d) {
             Combo(d, IDC_PROFILE_REACH)->SetCurSel(-1);
             Button(d, IDC_PROFILE_TOP_CHART)->Click();
             Button(d, IDC_PROFILE_BOTTOM_CHART)->Click();
         },
         "Please select a channel reach to display."},
        {"elevations without the bed",
         [](CDialog& d) { Button(d, IDC_PROFILE_SHOW_WATER_SURFACE)->Click(); Button(d, IDC_PROFILE_SHOW_BED)->Click(); },
         "Please select at least one profile chart to display"},
        {"a parameter chart needs no bed",
         [](CDialog& d) {
             Button(d, IDC_PROFILE_SHOW_WATER_SURFACE)->Click();
             Button(d, IDC_PROFILE_SHOW_BED)->Click();
             Button(d, IDC_PROFILE_PARAMETER_CHART)->Click();
         },
         nullptr},
        {"a limit that is no number", [](CDialog& d) { d.GetDlgItem(IDC_PROFILE_TOP_X_MIN)->SetWindowText("1,5"); },
         "Enter a number."},
        {"top x fixed from 5 to 2", FixLimits(IDC_PROFILE_TOP_X_FIXED, IDC_PROFILE_TOP_X_MIN, "5", IDC_PROFILE_TOP_X_MAX, "2"),
         "Please enter a minimum below the maximum for the top chart's fixed x-axis scale."},
        {"top y fixed from 41 to 39",
         FixLimits(IDC_PROFILE_TOP_Y_FIXED, IDC_PROFILE_TOP_Y_MIN, "41", IDC_PROFILE_TOP_Y_MAX, "39"),
         "Please enter a minimum below the maximum for the top chart's fixed y-axis scale."},
        {"bottom x fixed from 3 to 3",
         FixLimits(IDC_PROFILE_BOTTOM_X_FIXED, IDC_PROFILE_BOTTOM_X_MIN, "3", IDC_PROFILE_BOTTOM_X_MAX, "3"),
         "Please enter a minimum below the maximum for the bottom chart's fixed x-axis scale."},
        {"bottom y fixed from 130 to -5",
         FixLimits(IDC_PROFILE_BOTTOM_Y_FIXED, IDC_PROFILE_BOTTOM_Y_MIN, "130", IDC_PROFILE_BOTTOM_Y_MAX, "-5"),
         "Please enter a minimum below the maximum for the bottom chart's fixed y-axis scale."},
        {"limits turned over but automatic",
         [](CDialog& d) {
             FixLimits(IDC_PROFILE_TOP_Y_FIXED, IDC_PROFILE_TOP_Y_MIN, "41", IDC_PROFILE_TOP_Y_MAX, "39")(d);
             Button(d, IDC_PROFILE_TOP_Y_AUTO)->Click();
         },
         nullptr},
        {"limits turned over on a chart not shown",
         [](CDialog& d) {
             FixLimits(IDC_PROFILE_BOTTOM_Y_FIXED, IDC_PROFILE_BOTTOM_Y_MIN, "130", IDC_PROFILE_BOTTOM_Y_MAX, "-5")(d);
             Button(d, IDC_PROFILE_BOTTOM_CHART)->Click();
         },
         nullptr},
        {"fixed limits in order", FixLimits(IDC_PROFILE_TOP_Y_FIXED, IDC_PROFILE_TOP_Y_MIN, "-0.5", IDC_PROFILE_TOP_Y_MAX, "1e3"),
         nullptr},
        {"no chart before turned-over limits",
         [](CDialog& d) {
             FixLimits(IDC_PROFILE_TOP_X_FIXED, IDC_PROFILE_TOP_X_MIN, "5", IDC_PROFILE_TOP_X_MAX, "2")(d);
             Button(d, IDC_PROFILE_TOP_CHART)->Click();
             Button(d, IDC_PROFILE_BOTTOM_CHART)->Click();
         },
         "Please select at least one chart to display."},
        {"all well", [](CDialog&) {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CProfileViewOptionsDlg dialog;
        Prepare(dialog);
        boxes_.shown.clear();
        bool open = false;
        const int result = Run(dialog, [&](CDialog& d) {
            c.play(d);
            Button(d, IDOK)->Click();
            open = d.GetSafeHwnd() != nullptr && d.IsWindowVisible();
        });
        if (c.message) {
            ASSERT_EQ(boxes_.shown.size(), 1u);
            EXPECT_EQ(boxes_.shown[0].text, c.message);
            EXPECT_TRUE(open);
            EXPECT_EQ(result, IDCANCEL);
        } else {
            EXPECT_TRUE(boxes_.shown.empty());
            EXPECT_EQ(result, IDOK);
        }
    }
}

TEST_F(ProfileViewOptionsTest, AcceptedOptionsGoBackToTheViewWhichMakesANewChart)
{
    ASSERT_TRUE(Open("ft3-metric.vqx"));
    ChartHandle before = Profile()->Chart;
    ASSERT_NE(before, nullptr);
    std::vector<std::string> offered;
    bool eventLines = false, ice = false;
    dialogs_.scripts.push_back([&](CDialog& d) {
        for (int i = 0; i < Combo(d, IDC_PROFILE_TOP_VARIABLE)->GetCount(); ++i) {
            std::string name;
            Combo(d, IDC_PROFILE_TOP_VARIABLE)->GetLBText(i, name);
            offered.push_back(name);
        }
        eventLines = Enabled(d, IDC_PROFILE_EVENT_LINES);
        ice = Checked(d, IDC_PROFILE_SHOW_ICE);
        EXPECT_EQ(Selected(d, IDC_PROFILE_TOP_VARIABLE), "Water Temperature");
        EXPECT_EQ(Selected(d, IDC_PROFILE_BOTTOM_VARIABLE), "");
        Button(d, IDC_PROFILE_BOTTOM_CHART)->Click();
        Combo(d, IDC_PROFILE_TOP_VARIABLE)->SetCurSel(Combo(d, IDC_PROFILE_TOP_VARIABLE)->FindStringExact(-1, "Water Velocity"));
        Button(d, IDC_PROFILE_TITLE_REACH_NAME)->Click();
        Button(d, IDC_PROFILE_TOP_Y_FIXED)->Click();
        d.GetDlgItem(IDC_PROFILE_TOP_Y_MIN)->SetWindowText("-1");
        d.GetDlgItem(IDC_PROFILE_TOP_Y_MAX)->SetWindowText("3.5");
        Button(d, IDOK)->Click();
    });
    Frame()->SendMessage(WM_COMMAND, ID_PROFILE_VIEW_OPTIONS, 0);
    EXPECT_EQ(offered, Doc()->ProfileVariables);
    EXPECT_TRUE(eventLines);
    EXPECT_TRUE(ice);

    const ProfileViewSettings& o = Profile()->Options;
    EXPECT_EQ(o.BottomChart, 0);
    EXPECT_EQ(o.TopVariable, VQXDisplayNode::FindPlotVariable("Water Velocity"));
    EXPECT_EQ(o.BottomVariable, VQXDisplayLib::PlotNone);
    EXPECT_EQ(o.TitleReachName, 1);
    EXPECT_EQ(o.TopYFixed, 1);
    EXPECT_EQ(o.TopYMin, -1.0);
    EXPECT_EQ(o.TopYMax, 3.5);
    EXPECT_EQ(ChartSceneOf(before), nullptr);  // the old chart is gone
    ProcessEvents();
    const ChartScene& scene = Scene();
    ASSERT_EQ(scene.Panes.size(), 1u);
    EXPECT_EQ(scene.Panes[0].YLabel, "Water Velocity (m/s)");
    EXPECT_EQ(scene.Panes[0].Y.Min, -1.0);
    EXPECT_EQ(scene.Panes[0].Y.Max, 3.5);
    EXPECT_EQ(scene.SubtitleCentre, QString::fromStdString(o.ReachName));

    // Cancel keeps the settings and the chart.
    ChartHandle kept = Profile()->Chart;
    dialogs_.scripts.push_back([](CDialog& d) {
        Button(d, IDC_PROFILE_BOTTOM_CHART)->Click();
        Button(d, IDCANCEL)->Click();
    });
    Frame()->SendMessage(WM_COMMAND, ID_PROFILE_VIEW_OPTIONS, 0);
    EXPECT_EQ(Profile()->Options.BottomChart, 0);
    EXPECT_EQ(Profile()->Chart, kept);
}

TEST_F(ProfileViewOptionsTest, EveryActivationAppliesTheRulesToWhatTheChecksShow)
{
    CProfileViewOptionsDlg dialog;
    Prepare(dialog);
    bool topVariable = true, calendar = true;
    Run(dialog, [&](CDialog& d) {
        // Set as the program sets them, without a click's notification.
        Button(d, IDC_PROFILE_TOP_CHART)->SetCheck(BST_UNCHECKED);
        Button(d, IDC_PROFILE_TITLE_MODEL_TIME)->SetCheck(BST_CHECKED);
        d.SendMessage(WM_ACTIVATE, WA_ACTIVE, 0);
        topVariable = Enabled(d, IDC_PROFILE_TOP_VARIABLE);
        calendar = Enabled(d, IDC_PROFILE_TITLE_CALENDAR);
    });
    EXPECT_FALSE(topVariable);
    EXPECT_FALSE(calendar);
}

}  // namespace
