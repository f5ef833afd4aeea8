// The views' tests run the program's frame, document and main view headless: an application
// whose template joins the document to a main frame (whose run dialogs the tests may declare
// present) and the main tabbed view, with the program's resources. Helpers read the profile
// chart's scene as the component resolved it.
#pragma once

#include "../engine/ModelFilesTestSupport.h"
#include "../platform/GuiTestSupport.h"

#include "app/MainFrm.h"
#include "app/VasquilDoc.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "platform/Application.h"
#include "platform/DocTemplate.h"
#include "platform/chart/ChartCalls.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"
#include "views/HydrographView.h"
#include "views/NodeTableView.h"
#include "views/PlanView.h"
#include "views/ProfileView.h"
#include "views/VasquilView.h"
#include "views/XSectionView.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTabBar>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace views_test {

using modelfiles_test::FixturePath;
using modelfiles_test::QuietStdout;
using VQXDisplayLib::VQXBridgingEvent;
using VQXDisplayLib::VQXDisplayModel;
using VQXDisplayLib::VQXDisplayNode;

// The program's main frame whose run dialogs exist when the test says so (the frame's rules
// for Steady and Transient then depend on the active view alone).
class RunStateFrame : public CMainFrame
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    DocumentState GetDocumentState() const override
    {
        DocumentState state = CMainFrame::GetDocumentState();
        state.steady.exists = state.transient.exists = runDialogsExist;
        return state;
    }
    bool runDialogsExist = false;
};
inline const CRuntimeClass RunStateFrame::Runtime{"RunStateFrame", &CMainFrame::Runtime, &CreateRuntimeObject<RunStateFrame>};

// Starts as the program does, without the About box: the empty document in a frame whose view
// is the main view (or a class derived from it).
class ViewsTestApp : public CWinApp
{
public:
    explicit ViewsTestApp(const CRuntimeClass* view) : CWinApp("Vasquil"), view_(view)
    {
        MapCommand(ID_FILE_NEW, &CWinApp::OnFileNew);
        MapCommand(ID_FILE_OPEN, &CWinApp::OnFileOpen);
        MapCommand(ID_FILE_PRINT_SETUP, &CWinApp::OnFilePrintSetup);
    }
    BOOL InitInstance() override
    {
        RegisterProgramResources();
        SetRegistryKey("Vasquil Views Tests");
        OpenSettings()->clear();
        LoadStdProfileSettings(4);
        AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, &CVasquilDoc::Runtime, &RunStateFrame::Runtime, view_));
        CCommandLineInfo info;
        return ProcessShellCommand(info);
    }

private:
    const CRuntimeClass* view_;
};

// One layer of a pane as a test names it: the subset, its colour and how it is drawn.
enum class Look { Medium, Dashed, Thin, Band };
struct LayerLook
{
    int subset;
    QRgb colour;
    Look look;
    bool operator==(const LayerLook&) const = default;
};

inline Look LookOf(const ChartLayer& layer)
{
    if (layer.Kind == ChartLayerKind::Band) return Look::Band;
    if (layer.Pen.Dashed) return Look::Dashed;
    return layer.Pen.Width > 1.0 ? Look::Medium : Look::Thin;
}

// The pane's layers in subset order.
inline std::vector<LayerLook> Looks(const ChartPane& pane)
{
    std::vector<LayerLook> looks;
    for (const ChartLayer& layer : pane.Layers) looks.push_back({layer.Subset, layer.Colour & 0xFFFFFF, LookOf(layer)});
    std::sort(looks.begin(), looks.end(), [](const LayerLook& a, const LayerLook& b) { return a.subset < b.subset; });
    return looks;
}

inline const ChartLayer* LayerOf(const ChartScene& scene, int subset)
{
    for (const ChartPane& pane : scene.Panes) {
        for (const ChartLayer& layer : pane.Layers) {
            if (layer.Subset == subset) return &layer;
        }
    }
    return nullptr;
}

inline std::vector<int> LegendSubsets(const ChartScene& scene)
{
    std::vector<int> subsets;
    for (const ChartLegendEntry& entry : scene.Legend) subsets.push_back(entry.Subset);
    return subsets;
}

// A COLORREF-style colour as the scene holds it (0xRRGGBB).
constexpr QRgb Colour(int r, int g, int b) { return QRgb((r << 16) | (g << 8) | b); }

class ViewsTest : public ::testing::Test
{
protected:
    void SetUp() override { Start(MainViewClass()); }
    // The class of the frame's view.
    virtual const CRuntimeClass* MainViewClass() const { return &CVasquilView::Runtime; }
    void TearDown() override
    {
        app_.reset();
        ProcessEvents();
    }

    // The program on its empty document with a main view of class view, its frame shown.
    void Start(const CRuntimeClass* view)
    {
        app_ = std::make_unique<ViewsTestApp>(view);
        ASSERT_TRUE(app_->InitInstance());
        ASSERT_NE(Frame(), nullptr);
        Frame()->MoveWindow(0, 0, 1000, 700);
        Frame()->ShowWindow(SW_SHOW);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame()->GetWidget()));
        ProcessEvents();
    }

    RunStateFrame* Frame() const { return static_cast<RunStateFrame*>(app_->m_pMainWnd); }
    CVasquilDoc* Doc() const { return static_cast<CVasquilDoc*>(app_->GetDocTemplate()->GetDocument()); }
    CVasquilView* MainView() const { return static_cast<CVasquilView*>(Frame()->GetDlgItem(int(AFX_IDW_PANE_FIRST))); }
    CMFCTabCtrl& Tabs() const { return MainView()->TabControl; }
    CProfileView* Profile() const { return static_cast<CProfileView*>(Tabs().GetTabWnd(CVasquilView::ProfileTab)); }

    // Opens a fixture through the application, as File Open does; the reader's lines are silenced.
    bool Open(const std::string& fixture)
    {
        QuietStdout quiet;
        const bool opened = app_->OpenDocumentFile(FixturePath(fixture)) != nullptr;
        ProcessEvents();
        return opened;
    }
    // Every view repaints, as after a step of a run.
    void Repaint()
    {
        Doc()->UpdateAllViews(nullptr);
        ProcessEvents();
    }
    // The profile rebuilt now, and the scene it gave.
    const ChartScene& Build()
    {
        Profile()->BuildChart();
        return Scene();
    }
    const ChartScene& Scene()
    {
        scene_ = ChartSceneOf(Profile()->Chart);
        if (!scene_) {
            ADD_FAILURE() << "the profile has no chart";
            static const ChartScene none;
            return none;
        }
        return *scene_;
    }
    // The display nodes of a reach in list order.
    std::vector<VQXDisplayNode*> ReachNodes(int reach) const
    {
        std::vector<VQXDisplayNode*> nodes;
        VQXDisplayModel& model = *Doc()->DisplayModel;
        for (VQXDisplayNode* node = model.FirstNode(); node; node = model.NextNode()) {
            if (node->Reach == reach) nodes.push_back(node);
        }
        return nodes;
    }

    static QTabBar* Strip(CMFCTabCtrl& tabs) { return tabs.GetWidget()->findChild<QTabBar*>(); }
    // A left click on the strip at point (tab control coordinates), as the user makes it.
    void ClickStrip(CPoint point)
    {
        QTest::mouseClick(Strip(Tabs()), Qt::LeftButton, Qt::NoModifier, QPoint(point.x, point.y) - Strip(Tabs())->pos());
        ProcessEvents();
    }
    CPoint TabCentre(int index)
    {
        CRect r;
        EXPECT_TRUE(Tabs().GetTabRect(index, r));
        return r.CenterPoint();
    }

    std::unique_ptr<ViewsTestApp> app_;
    std::shared_ptr<const ChartScene> scene_;
};

}  // namespace views_test
