// The Hydrograph Options dialog: what it shows of the settings, the Auto and Fixed rules of
// its axes, the reasons OK refuses, and what an accepted dialog does to the view.
#include "ViewsTestSupport.h"

#include "datalib/TimeSeries.h"
#include "platform/TestHooks.h"
#include "views/HydrographViewOptionsDlg.h"

#include <QCoreApplication>
#include <QEvent>

#include <functional>

namespace {

using namespace views_test;
using VQXDisplayLib::FindSeriesVariable;

const std::vector<std::string> Locations = {"1, RS 10.00, x = 0.000 km", "4, RS 7.00, x = 1.500 km",
                                            "9, RS 2.00, x = 4.000 km"};
const std::vector<std::string> OpenWaterVariables = {"Water Surface Elevation", "Discharge", "Water Velocity"};

CButton* Button(CDialog& dialog, int id)
{
    return static_cast<CButton*>(dialog.GetDlgItem(id));
}
CComboBox* Combo(CDialog& dialog, int id)
{
    return static_cast<CComboBox*>(dialog.GetDlgItem(id));
}
bool Enabled(CDialog& dialog, int id)
{
    return dialog.GetDlgItem(id)->IsWindowEnabled() != FALSE;
}
bool ReadOnly(CDialog& dialog, int id)
{
    return static_cast<CEdit*>(dialog.GetDlgItem(id))->IsReadOnly() != FALSE;
}
std::string Selected(CDialog& dialog, int id)
{
    CComboBox* combo = Combo(dialog, id);
    std::string text;
    if (combo->GetCurSel() >= 0) combo->GetLBText(combo->GetCurSel(), text);
    return text;
}

class HydrographViewOptionsTest : public ViewsTest
{
protected:
    // A dialog over three locations and the open-water variables, showing the second
    // location's discharge.
    static void Prepare(CHydrographViewOptionsDlg& dialog)
    {
        dialog.Locations = Locations;
        dialog.Variables = OpenWaterVariables;
        dialog.Settings.LocationName = Locations[1];
        dialog.VariableName = "Discharge";
    }
    int Run(CHydrographViewOptionsDlg& dialog, std::function<void(CDialog&)> script)
    {
        dialogs_.scripts.push_back(std::move(script));
        return int(dialog.DoModal());
    }
    CHydrographView* Hydrograph() const
    {
        return static_cast<CHydrographView*>(Tabs().GetTabWnd(CVasquilView::HydrographTab));
    }

    ModalDialogInterceptor dialogs_;
    MessageBoxSink boxes_;
};

TEST_F(HydrographViewOptionsTest, TheListsShowTheLocationByItsExactCaptionAndTheVariableIgnoringCase)
{
    struct Case {
        std::string location, variable;
        std::string shownLocation, shownVariable;
    };
    const Case cases[] = {
        {Locations[2], "Water Velocity", Locations[2], "Water Velocity"},
        {"4, rs 7.00, x = 1.500 KM", "discharge", Locations[0], "Discharge"},  // a caption compares case and all
        {"", "water surface elevation", Locations[0], "Water Surface Elevation"},
        {Locations[1], "Water", Locations[1], ""},  // only whole names match
        {Locations[1], "", Locations[1], ""},
        {Locations[1], "DO", Locations[1], ""},  // not offered
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.location + " / " + c.variable);
        CHydrographViewOptionsDlg dialog;
        Prepare(dialog);
        dialog.Settings.LocationName = c.location;
        dialog.VariableName = c.variable;
        std::string location, variable;
        int locations = 0, variables = 0;
        Run(dialog, [&](CDialog& d) {
            location = Selected(d, IDC_HYDRO_LOCATION);
            variable = Selected(d, IDC_HYDRO_VARIABLE);
            locations = Combo(d, IDC_HYDRO_LOCATION)->GetCount();
            variables = Combo(d, IDC_HYDRO_VARIABLE)->GetCount();
        });
        EXPECT_EQ(location, c.shownLocation);
        EXPECT_EQ(variable, c.shownVariable);
        EXPECT_EQ(locations, int(Locations.size()));
        EXPECT_EQ(variables, int(OpenWaterVariables.size()));
    }
}

TEST_F(HydrographViewOptionsTest, AutoDisablesAnAxissLimitsAndMakesThemReadOnlyAndFixedTheReverse)
{
    // What each limit must be: enabled and writable (fixed), or disabled and read-only.
    struct Case {
        const char* name;
        int xFixed, yFixed;
        std::function<void(CDialog&)> play;
        bool xLimitsFixed, yLimitsFixed;
    };
    const auto none = [](CDialog&) {};
    const auto click = [](int id) { return [id](CDialog& d) { Button(d, id)->Click(); }; };
    // A radio checked behind the dialog's back takes effect on the next activation.
    const auto activate = [](int id) {
        return [id](CDialog& d) {
            Button(d, id)->SetCheck(BST_CHECKED);
            Button(d, id == IDC_HYDRO_X_FIXED ? IDC_HYDRO_X_AUTO : IDC_HYDRO_Y_AUTO)->SetCheck(BST_UNCHECKED);
            QEvent activation(QEvent::WindowActivate);
            QCoreApplication::sendEvent(d.GetWidget(), &activation);
        };
    };
    const Case cases[] = {
        {"both automatic", 0, 0, none, false, false},
        {"both fixed", 1, 1, none, true, true},
        {"x fixed", 1, 0, none, true, false},
        {"Fixed clicked", 0, 0, click(IDC_HYDRO_Y_FIXED), false, true},
        {"Auto clicked", 1, 1, click(IDC_HYDRO_X_AUTO), false, true},
        {"Fixed, then Auto", 0, 0,
         [](CDialog& d) {
             Button(d, IDC_HYDRO_X_FIXED)->Click();
             Button(d, IDC_HYDRO_X_AUTO)->Click();
         },
         false, false},
        {"an activation", 0, 0, activate(IDC_HYDRO_X_FIXED), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CHydrographViewOptionsDlg dialog;
        Prepare(dialog);
        dialog.Settings.XFixed = c.xFixed;
        dialog.Settings.YFixed = c.yFixed;
        Run(dialog, [&](CDialog& d) {
            c.play(d);
            for (const int id : {IDC_HYDRO_X_MIN, IDC_HYDRO_X_MAX}) {
                EXPECT_EQ(Enabled(d, id), c.xLimitsFixed) << id;
                EXPECT_EQ(ReadOnly(d, id), !c.xLimitsFixed) << id;
            }
            for (const int id : {IDC_HYDRO_Y_MIN, IDC_HYDRO_Y_MAX}) {
                EXPECT_EQ(Enabled(d, id), c.yLimitsFixed) << id;
                EXPECT_EQ(ReadOnly(d, id), !c.yLimitsFixed) << id;
            }
        });
    }
}

TEST_F(HydrographViewOptionsTest, OkRefusesWithoutALocationOrAVariableAndStaysOpen)
{
    struct Case {
        const char* name;
        std::function<void(CDialog&)> play;
        const char* message;  // null: accepted
    };
    const Case cases[] = {
        {"no location", [](CDialog& d) { Combo(d, IDC_HYDRO_LOCATION)->SetCurSel(-1); },
         "Please select a hydrograph output location."},
        {"no variable", [](CDialog& d) { Combo(d, IDC_HYDRO_VARIABLE)->SetCurSel(-1); },
         "Please select a hydrograph display parameter."},
        {"neither: the location first",
         [](CDialog& d) {
             Combo(d, IDC_HYDRO_LOCATION)->SetCurSel(-1);
             Combo(d, IDC_HYDRO_VARIABLE)->SetCurSel(-1);
         },
         "Please select a hydrograph output location."},
        {"a limit that is no number",
         [](CDialog& d) {
             Button(d, IDC_HYDRO_Y_FIXED)->Click();
             d.GetDlgItem(IDC_HYDRO_Y_MAX)->SetWindowText("1,5");
         },
         "Enter a number."},
        {"all well", [](CDialog&) {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CHydrographViewOptionsDlg dialog;
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

TEST_F(HydrographViewOptionsTest, AcceptedOptionsGoBackToTheViewWithTheLastNodeOfTheCaption)
{
    ASSERT_TRUE(Open("../../examples/sample-river.vqx"));
    Tabs().SetActiveTab(CVasquilView::HydrographTab);
    ProcessEvents();
    CHydrographView& view = *Hydrograph();
    ASSERT_NE(view.Chart, nullptr);
    std::vector<VQXDisplayNode*> outputs;
    for (VQXDisplayNode* node = Doc()->DisplayModel->FirstNode(); node; node = Doc()->DisplayModel->NextNode())
        if (node->HydroCode == 0) outputs.push_back(node);
    ASSERT_GE(outputs.size(), 3u);
    // The last two output nodes share one caption.
    VQXDisplayNode& twin = *outputs[outputs.size() - 2];
    VQXDisplayNode& last = *outputs.back();
    twin.Number = last.Number;
    twin.RiverStation = last.RiverStation;
    twin.Station = last.Station;
    Doc()->BuildOutputNodeList();
    const std::string shared = Doc()->OutputNodeLabels.back();
    ASSERT_EQ(Doc()->OutputNodeLabels[Doc()->OutputNodeLabels.size() - 2], shared);

    std::vector<std::string> offered;
    dialogs_.scripts.push_back([&](CDialog& d) {
        for (int i = 0; i < Combo(d, IDC_HYDRO_VARIABLE)->GetCount(); ++i) {
            std::string name;
            Combo(d, IDC_HYDRO_VARIABLE)->GetLBText(i, name);
            offered.push_back(name);
        }
        EXPECT_EQ(Selected(d, IDC_HYDRO_LOCATION), Doc()->OutputNodeLabels.front());
        EXPECT_EQ(Selected(d, IDC_HYDRO_VARIABLE), "Discharge");
        Combo(d, IDC_HYDRO_LOCATION)->SetCurSel(int(Doc()->OutputNodeLabels.size()) - 2);  // the twin's entry
        Combo(d, IDC_HYDRO_VARIABLE)->SetCurSel(Combo(d, IDC_HYDRO_VARIABLE)->FindStringExact(-1, "Water Velocity"));
        Button(d, IDC_HYDRO_Y_FIXED)->Click();
        d.GetDlgItem(IDC_HYDRO_Y_MIN)->SetWindowText("-1");
        d.GetDlgItem(IDC_HYDRO_Y_MAX)->SetWindowText("3.5");
        Button(d, IDOK)->Click();
    });
    Frame()->SendMessage(WM_COMMAND, ID_HYDROGRAPH_VIEW_OPTIONS, 0);
    EXPECT_EQ(offered, Doc()->HydrographVariables);
    EXPECT_EQ(view.Options.LocationName, shared);
    EXPECT_EQ(view.Node, &last) << "of two equal captions, the last node";
    EXPECT_EQ(view.Options.SeriesVariable, FindSeriesVariable("Water Velocity"));
    EXPECT_EQ(view.Options.YFixed, 1);
    EXPECT_EQ(view.Options.YMin, -1.0);
    EXPECT_EQ(view.Options.YMax, 3.5);
    EXPECT_EQ(view.Options.XFixed, 0);
    // The view repaints with them.
    ProcessEvents();
    std::shared_ptr<const ChartScene> scene = ChartSceneOf(view.Chart);
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->Panes[0].YLabel, "Water Velocity (m/s)");
    EXPECT_EQ(scene->Panes[0].Y.Min, -1.0);
    EXPECT_EQ(scene->Panes[0].Y.Max, 3.5);
    EXPECT_EQ(scene->SubtitleCentre.toStdString(), shared);

    // A location no output node has (its node's caption changed since) keeps the node.
    VQXDisplayNode* shown = view.Node;
    last.Station += 1.0;
    twin.Station += 2.0;
    dialogs_.scripts.push_back([](CDialog& d) { Button(d, IDOK)->Click(); });
    Frame()->SendMessage(WM_COMMAND, ID_HYDROGRAPH_VIEW_OPTIONS, 0);
    EXPECT_EQ(view.Options.LocationName, shared);
    EXPECT_EQ(view.Node, shown);

    // Cancel keeps the settings, and the view repaints all the same.
    view.Options.YMax = 4.0;  // a change only a rebuild shows
    dialogs_.scripts.push_back([](CDialog& d) {
        Button(d, IDC_HYDRO_Y_AUTO)->Click();
        Button(d, IDCANCEL)->Click();
    });
    Frame()->SendMessage(WM_COMMAND, ID_HYDROGRAPH_VIEW_OPTIONS, 0);
    EXPECT_EQ(view.Options.YFixed, 1);
    ProcessEvents();
    scene = ChartSceneOf(view.Chart);
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->Panes[0].Y.Max, 4.0);
}

}  // namespace
