// The plan view's edit modes: a click opens the editor of the object nearest to it (through
// the view's open functions, here the test's own), ends the mode when it found one and keeps
// it otherwise, and opens nothing while a run goes.
#include "PlanTestSupport.h"

#include "app/RunTransDlg.h"

#include <QTest>

#include <string>

namespace {

using namespace plan_test;

// Boundary elements 1 (inflow at node 1), 2 (lateral inflow at node 8), 3 (stage hydrograph
// at node 7), 4 (rating curve at node 5) and 5 (of no known kind, at node 2); zone 2 holds
// the tributary's nodes 8 to 10, the main river has no zone.
std::unique_ptr<VQXDisplayModel> Network()
{
    std::vector<NodeSpec> nodes;
    for (int i = 1; i <= 7; ++i) nodes.push_back({i, 200.0 * (i - 1), 0});
    nodes.push_back({8, 600, 600, 0, 2});
    nodes.push_back({9, 600, 400, 0, 2});
    nodes.push_back({10, 600, 200, 0, 2});
    std::vector<ElementSpec> elements;
    for (int i = 1; i <= 6; ++i) elements.push_back({i, i, i + 1});
    elements.push_back({7, 8, 9});
    elements.push_back({8, 9, 10});
    elements.push_back({9, 10, 4});
    std::unique_ptr<VQXDisplayModel> model =
        MakeModel(nodes, elements, {{1, 1, 0}, {2, 8, 1}, {3, 7, 2}, {4, 5, 3}, {5, 2, 7}});
    auto* zone = new VQXAtmosphericZone();
    zone->Number = 2;
    model->AppendZone(zone);
    for (int n : {8, 9, 10}) model->FindNode(n)->Zone = zone;
    return model;
}

class PlanEditModesTest : public PlanViewTest
{
protected:
    void SetUp() override
    {
        PlanViewTest::SetUp();
        Show(Network());
        CPlanView& view = *Plan();
        programs = view.Editors;
        view.Editors.Inflow = [this](VQXDisplayBoundaryElement& e) { opened.push_back("inflow " + std::to_string(e.Number)); };
        view.Editors.Outflow = [this](VQXDisplayBoundaryElement& e) { opened.push_back("outflow " + std::to_string(e.Number)); };
        view.Editors.Zone = [this](VQXAtmosphericZone& z) { opened.push_back("zone " + std::to_string(z.Number)); };
        view.Editors.WQInflow = [this](VQXDisplayBoundaryElement& e) { opened.push_back("wq " + std::to_string(e.Number)); };
    }
    void Click(double x, double y)
    {
        QTest::mouseClick(Plan()->GetWidget(), Qt::LeftButton, Qt::NoModifier, Client(x, y));
        ProcessEvents();
    }
    std::vector<std::string> opened;
    PlanSeriesEditors programs;  // the view's own open functions
};

TEST_F(PlanEditModesTest, AClickOpensTheNearestObjectsEditorAndAHitEndsTheMode)
{
    struct Case
    {
        const char* name;
        UINT command;
        int mode;
        double x, y;
        std::string editor;  // empty: nothing opens and the mode stays
    };
    const Case cases[] = {
        {"inflow", ID_EDIT_BOUNDARY_CONDITIONS, PlanModeEditBoundary, 10, 15, "inflow 1"},
        {"lateral inflow", ID_EDIT_BOUNDARY_CONDITIONS, PlanModeEditBoundary, 620, 580, "inflow 2"},
        {"stage hydrograph", ID_EDIT_BOUNDARY_CONDITIONS, PlanModeEditBoundary, 1190, -20, "outflow 3"},
        {"rating curve", ID_EDIT_BOUNDARY_CONDITIONS, PlanModeEditBoundary, 790, 10, "outflow 4"},
        {"a kind of no editor", ID_EDIT_BOUNDARY_CONDITIONS, PlanModeEditBoundary, 210, 0, ""},
        {"water quality at an inflow", ID_EDIT_WQ_BOUNDARY_CONDITIONS, PlanModeEditWQBoundary, 0, 30, "wq 1"},
        {"water quality at a lateral inflow", ID_EDIT_WQ_BOUNDARY_CONDITIONS, PlanModeEditWQBoundary, 600, 620, "wq 2"},
        {"water quality at an outflow", ID_EDIT_WQ_BOUNDARY_CONDITIONS, PlanModeEditWQBoundary, 1200, 0, ""},
        {"the zone of the nearest node", ID_EDIT_ATMOSPHERIC_ZONE, PlanModeEditZone, 590, 410, "zone 2"},
        {"a node without a zone", ID_EDIT_ATMOSPHERIC_ZONE, PlanModeEditZone, 400, 20, ""},
    };
    CPlanView& view = *Plan();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        opened.clear();
        view.Mode = PlanModeNone;
        view.Cursor = LoadStandardCursor(IDC_ARROW);
        // The atmospheric-zone editor is the frame's for thermal models only: the view's
        // command itself is called.
        if (c.command == ID_EDIT_ATMOSPHERIC_ZONE) view.OnEditAtmosphericZone();
        else Frame()->SendMessage(WM_COMMAND, c.command, 0);
        ASSERT_EQ(view.Mode, c.mode);
        ASSERT_EQ(view.Cursor, LoadCursor(IDC_EDIT_CURSOR));
        Click(c.x, c.y);
        if (c.editor.empty()) {
            EXPECT_TRUE(opened.empty());
            EXPECT_EQ(view.Mode, c.mode);
            EXPECT_EQ(view.Cursor, LoadCursor(IDC_EDIT_CURSOR));
        } else {
            EXPECT_EQ(opened, std::vector<std::string>{c.editor});
            EXPECT_EQ(view.Mode, PlanModeNone);
            EXPECT_EQ(view.Cursor, LoadStandardCursor(IDC_ARROW));
        }
    }
}

TEST_F(PlanEditModesTest, AHitReturnsToTheModeBeforeAndTheEditorsWithoutDialogsDoNothing)
{
    CPlanView& view = *Plan();
    Frame()->SendMessage(WM_COMMAND, ID_ZOOM_RECTANGLE, 0);
    Frame()->SendMessage(WM_COMMAND, ID_EDIT_BOUNDARY_CONDITIONS, 0);
    Click(0, 0);
    EXPECT_EQ(opened, std::vector<std::string>{"inflow 1"});
    EXPECT_EQ(view.Mode, PlanModeZoomRectangle);
    EXPECT_EQ(view.Cursor, LoadCursor(IDC_ZOOM_CURSOR));

    // The program's own open functions (without a model state they show no dialog): a hit still
    // counts.
    view.Editors = programs;
    for (const auto& at : {std::pair{0.0, 0.0}, std::pair{1200.0, 0.0}}) {
        EXPECT_EQ(view.EditBoundaryConditionAt(at.first, at.second), 1);
        EXPECT_EQ(view.EditWQBoundaryConditionAt(at.first, at.second), at.first == 0.0 ? 1 : 0);
    }
    EXPECT_EQ(view.EditAtmosphericZoneAt(600, 600), 1);
    // No boundary elements at all: nothing is near.
    Show(MakeModel({{1, 0, 0}, {2, 100, 0}}, {{1, 1, 2}}));
    EXPECT_EQ(view.EditBoundaryConditionAt(0, 0), 0);
    EXPECT_EQ(view.EditWQBoundaryConditionAt(0, 0), 0);
    EXPECT_EQ(view.EditAtmosphericZoneAt(0, 0), 0);
}

TEST_F(PlanEditModesTest, WhileARunGoesAClickOpensNothingAndKeepsTheMode)
{
    CPlanView& view = *Plan();
    Frame()->SendMessage(WM_COMMAND, ID_EDIT_BOUNDARY_CONDITIONS, 0);
    ASSERT_EQ(view.Mode, PlanModeEditBoundary);
    // A run of the transient dialog: the mode chosen before it stays, but a hit would write a
    // series into the engine while the worker steps.
    Doc()->TransientDialog = new CRunTransDlg(Doc());
    Doc()->TransientDialog->Running = 1;
    ASSERT_TRUE(Doc()->IsRunning());
    Click(0, 0);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(view.Mode, PlanModeEditBoundary);
    // The run over, the same click opens the editor.
    Doc()->TransientDialog->Running = 0;
    Click(0, 0);
    EXPECT_EQ(opened, std::vector<std::string>{"inflow 1"});
    EXPECT_EQ(view.Mode, PlanModeNone);
}

}  // namespace
