// The main frame's enabling of the commands that depend on the active view and the run
// dialogs, read through the real menus (popup entries included) and toolbars. The views are
// stand-ins known by the class names the frame asks for; the document's state is set by the
// test, as a loaded model with its run dialogs would give it.
#include "AppTestSupport.h"

#include "app/MainFrm.h"
#include "app/PlaceholderView.h"
#include "app/VasquilDoc.h"
#include "platform/Application.h"
#include "platform/DocTemplate.h"
#include "platform/DocView.h"
#include "platform/Resources.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"
#include "tests/platform/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace app_test;
using State = CMainFrame::DocumentState;

State g_state;

// The main frame with the document's state the test sets.
class RuleFrame : public CMainFrame
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    State GetDocumentState() const override { return g_state; }
};
const CRuntimeClass RuleFrame::Runtime{"RuleFrame", &CMainFrame::Runtime, &CreateRuntimeObject<RuleFrame>};

template <const char* Name>
class StandInView : public CView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    void OnDraw(CDC*) override {}
};
constexpr char PlanViewName[] = "CPlanView";
constexpr char NodeTableViewName[] = "CNodeTableView";
constexpr char XSectionViewName[] = "CXSectionView";
template <const char* Name>
const CRuntimeClass StandInView<Name>::Runtime{Name, &CView::Runtime, &CreateRuntimeObject<StandInView<Name>>};

class RuleApp : public CWinApp
{
public:
    BOOL InitInstance() override
    {
        RegisterProgramResources();
        m_strAppName = LoadString(AFX_IDS_APP_TITLE);
        AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, &CVasquilDoc::Runtime, &RuleFrame::Runtime,
                                              &CPlaceholderView::Runtime));
        return GetDocTemplate()->OpenDocumentFile(std::nullopt) ? TRUE : FALSE;
    }
};

enum class Active { Placeholder, Plan, NodeTable, XSection };

State Model(int fileType)
{
    State s;
    s.modelLoaded = true;
    s.fileType = fileType;
    return s;
}

// A model opened: the three run dialogs exist, none shown.
State Opened(int fileType)
{
    State s = Model(fileType);
    s.steady.exists = s.transient.exists = s.waterQuality.exists = true;
    return s;
}

State With(State s, CMainFrame::RunDialogState State::*dialog, bool shown, bool running)
{
    (s.*dialog).shown = shown;
    (s.*dialog).running = running;
    return s;
}

struct Expected
{
    bool zoom = false;       // Scale To Fit, its popup and its button
    bool columns = false;    // Auto Size, its popup and its button
    bool steady = false;
    bool transient = false;
    bool boundary = false;   // Edit Boundary Conditions (menu and button) and Edit WQ Boundary Conditions
    bool zone = false;       // Edit Atmospheric Zone
};

struct Case
{
    const char* name;
    Active view;
    State state;
    Expected enabled;
};

class FrameUpdateRulesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearProgramSettings();
        g_state = State();
        app_ = std::make_unique<RuleApp>();
        ASSERT_TRUE(app_->InitInstance());
        frame_ = static_cast<CMainFrame*>(app_->m_pMainWnd);
        placeholder_ = frame_->GetActiveView();
        CCreateContext context;
        context.m_pCurrentDoc = frame_->GetActiveDocument();
        views_[0] = Make(new StandInView<PlanViewName>, &context, 1);
        views_[1] = Make(new StandInView<NodeTableViewName>, &context, 2);
        views_[2] = Make(new StandInView<XSectionViewName>, &context, 3);
    }
    void TearDown() override
    {
        app_.reset();
        ProcessEvents();
    }
    CView* Make(CView* view, CCreateContext* context, UINT id)
    {
        EXPECT_TRUE(view->Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), frame_, id, context));
        return view;
    }
    void Activate(Active view)
    {
        frame_->SetActiveView(view == Active::Placeholder ? placeholder_ : views_[int(view) - 1], FALSE);
    }

    // Every place a rule shows, as the user would open the menus and as the toolbars take
    // their state when idle; each group must agree within itself.
    Expected Read()
    {
        app_->OnIdle(0);
        QMenu* display = MenuBarPopup(*frame_, "&Display");
        QMenu* table = MenuBarPopup(*frame_, "&Node Table");
        QMenu* simulation = MenuBarPopup(*frame_, "&Simulation");
        QMenu* quality = MenuBarPopup(*frame_, "&Water Quality");
        for (QMenu* menu : {display, table, simulation, quality}) OpenMenu(menu);
        QAction* zoomPopup = EntryByText(display, "Plan View &Zoom / Scale");
        QAction* columnPopup = EntryByText(table, "&Column Width");
        OpenMenu(zoomPopup->menu());
        OpenMenu(columnPopup->menu());

        Expected e;
        e.zoom = zoomPopup->isEnabled();
        EXPECT_EQ(MenuItem(display, ID_ZOOM_SCALE_TO_FIT)->isEnabled(), e.zoom);
        EXPECT_EQ(Button(frame_->ZoomToolBar, ID_ZOOM_SCALE_TO_FIT)->isEnabled(), e.zoom);
        e.columns = columnPopup->isEnabled();
        EXPECT_EQ(MenuItem(table, ID_TABLE_AUTO_SIZE)->isEnabled(), e.columns);
        EXPECT_EQ(Button(frame_->TableToolBar, ID_TABLE_AUTO_SIZE)->isEnabled(), e.columns);
        e.steady = MenuItem(simulation, ID_SIMULATION_STEADY)->isEnabled();
        e.transient = MenuItem(simulation, ID_SIMULATION_TRANSIENT)->isEnabled();
        e.boundary = MenuItem(simulation, ID_EDIT_BOUNDARY_CONDITIONS)->isEnabled();
        EXPECT_EQ(Button(frame_->EditBCToolBar, ID_EDIT_BOUNDARY_CONDITIONS)->isEnabled(), e.boundary);
        EXPECT_EQ(MenuItem(quality, ID_EDIT_WQ_BOUNDARY_CONDITIONS)->isEnabled(), e.boundary);
        e.zone = MenuItem(simulation, ID_EDIT_ATMOSPHERIC_ZONE)->isEnabled();
        return e;
    }

    std::unique_ptr<RuleApp> app_;
    CMainFrame* frame_ = nullptr;
    CView* placeholder_ = nullptr;
    CView* views_[3] = {};
};

TEST_F(FrameUpdateRulesTest, CommandsFollowTheActiveViewTheModelAndTheRunDialogs)
{
    const Case cases[] = {
        {"no model, plan view", Active::Plan, State(), {}},
        {"model, plan view, no run dialogs yet", Active::Plan, Model(3), {.zoom = true}},
        {"model, node table", Active::NodeTable, Opened(3), {.columns = true}},
        {"model, cross-section editor", Active::XSection, Opened(3), {}},
        {"model, other view, idle", Active::Placeholder, Opened(0), {.steady = true, .transient = true}},
        {"plan view, thermal model, idle", Active::Plan, Opened(3),
         {.zoom = true, .steady = true, .transient = true, .boundary = true, .zone = true}},
        {"plan view, open-water model, idle", Active::Plan, Opened(0),
         {.zoom = true, .steady = true, .transient = true, .boundary = true}},
        {"transient dialog shown", Active::Plan, With(Opened(3), &State::transient, true, false),
         {.zoom = true, .transient = true, .boundary = true, .zone = true}},
        {"transient run going", Active::Plan, With(Opened(3), &State::transient, true, true),
         {.zoom = true, .transient = true}},
        {"steady dialog shown", Active::Plan, With(Opened(3), &State::steady, true, false),
         {.zoom = true, .steady = true, .boundary = true, .zone = true}},
        {"water-quality dialog shown", Active::Plan, With(Opened(3), &State::waterQuality, true, false),
         {.zoom = true, .boundary = true, .zone = true}},
        {"water-quality run going", Active::Placeholder, With(Opened(3), &State::waterQuality, true, true), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_state = c.state;
        Activate(c.view);
        const Expected got = Read();
        EXPECT_EQ(got.zoom, c.enabled.zoom);
        EXPECT_EQ(got.columns, c.enabled.columns);
        EXPECT_EQ(got.steady, c.enabled.steady);
        EXPECT_EQ(got.transient, c.enabled.transient);
        EXPECT_EQ(got.boundary, c.enabled.boundary);
        EXPECT_EQ(got.zone, c.enabled.zone);
    }
}

// The real frame reads the document: an empty one holds no model, so every rule is off.
TEST_F(FrameUpdateRulesTest, TheEmptyDocumentHoldsNoModel)
{
    EXPECT_FALSE(frame_->CMainFrame::GetDocumentState().modelLoaded);
    EXPECT_FALSE(frame_->CMainFrame::GetDocumentState().transient.exists);
}

}  // namespace
