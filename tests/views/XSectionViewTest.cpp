// The cross-section editor on the Cross Section Editor tab of the program's frame: the reset
// after an open, edits ended by the grid that sends them, the count combos, the node change
// and its question, Apply and its button, the chart following the node's stage, a model without
// a sectioned node, and a run that leaves the editor to watch.
#include "ViewsTestSupport.h"

#include "app/RunTransDlg.h"
#include "controls/GridCtrl.h"
#include "datalib/CrossSection.h"
#include "datalib/TextFormat.h"
#include "platform/TestHooks.h"
#include "resources/XSectionViewTemplate.h"
#include "views/CrossSectionChart.h"
#include "views/XSectionGrids.h"

#include <QApplication>

#include <string>
#include <vector>

namespace {

using namespace views_test;
using VQXGeometryDataLib::VQXCrossSection;

const std::string BlankPoints =
    "One or more of the cross section entries are blank.\n Please ensure all cells have values.";

class XSectionViewTest : public ViewsTest
{
protected:
    void SetUp() override
    {
        ViewsTest::SetUp();
        ASSERT_TRUE(Open("ft0-metric.vqx"));
        ShowEditor();
    }
    CXSectionView* Editor() const
    {
        return static_cast<CXSectionView*>(Tabs().GetTabWnd(CVasquilView::CrossSectionTab));
    }
    void ShowEditor()
    {
        Tabs().SetActiveTab(CVasquilView::CrossSectionTab);
        ProcessEvents();
    }
    // The listed nodes with a section, in list order.
    std::vector<VQXDisplayNode*> SectionNodes() const
    {
        std::vector<VQXDisplayNode*> nodes;
        for (VQXDisplayNode* n = Doc()->DisplayModel->FirstNode(); n; n = Doc()->DisplayModel->NextNode())
            if (n->CrossSection) nodes.push_back(n);
        return nodes;
    }
    // A text into a cell as a paste or a finished edit gives it: the grid asks its owner.
    void Edit(CGridCtrl& grid, int row, int col, const std::string& text)
    {
        grid.SetCellTextChecked(row, col, text);
        ProcessEvents();
    }
    void Select(CComboBox& combo, int index, void (CXSectionView::*handler)())
    {
        combo.SetCurSel(index);
        (Editor()->*handler)();
        ProcessEvents();
    }
    // Keys into whatever has the focus, one per character, as the user types them.
    void Type(const std::string& text)
    {
        for (const char c : text) {
            QWidget* target = QApplication::focusWidget();
            if (!target) {
                ADD_FAILURE() << "nothing has the focus";
                return;
            }
            if (c == '\r') QTest::keyClick(target, Qt::Key_Return);
            else QTest::keyClick(target, c);
            ProcessEvents();
        }
    }
    bool Enabled(UINT command)
    {
        CCmdUI ui;
        ui.m_nID = command;
        ui.DoUpdate(Editor(), FALSE);
        return ui.m_enabled.value_or(false);
    }
    bool ApplyEnabled()
    {
        Editor()->UpdateDialogControls(Editor(), FALSE);
        return Editor()->GetDlgItem(IDC_XSECTION_APPLY)->IsWindowEnabled() != FALSE;
    }
    std::shared_ptr<const ChartScene> EditorScene() const { return ChartSceneOf(Editor()->Chart.ChartWindow); }
    std::vector<QPointF> Layer(int subset) const
    {
        const auto scene = EditorScene();
        if (!scene) return {};
        for (const ChartPane& pane : scene->Panes)
            for (const ChartLayer& layer : pane.Layers)
                if (layer.Subset == subset) return layer.Points;
        return {};
    }

    MessageBoxSink boxes_;
};

TEST_F(XSectionViewTest, AnOpenListsTheSectionedNodesAndShowsTheFirst)
{
    CXSectionView& v = *Editor();
    const std::vector<VQXDisplayNode*> nodes = SectionNodes();
    ASSERT_FALSE(nodes.empty());
    EXPECT_EQ(Doc()->CrossSectionViewReset, 0);
    EXPECT_EQ(v.NodeCount, int(nodes.size()));
    EXPECT_EQ(v.NodeCombo.GetCount(), int(nodes.size()));
    EXPECT_EQ(v.Node, nodes.front());
    EXPECT_EQ(v.NodeIndex, 0);
    std::string caption;
    v.NodeCombo.GetLBText(1, caption);
    char expected[80] = {};
    nodes[1]->FormatCaption(expected, 1);
    EXPECT_EQ(caption, expected);
    EXPECT_EQ(v.LengthUnit, "(m)");
    EXPECT_EQ(v.AreaUnit, "(sqm)");
    EXPECT_EQ(v.PointCountCombo.GetCount(), 1000);
    EXPECT_EQ(v.RoughnessCountCombo.GetCount(), 10);
    EXPECT_EQ(v.SinuosityCountCombo.GetCount(), 10);
    EXPECT_EQ(v.LevelCountCombo.GetCount(), 299);
    std::string entry;
    v.LevelCountCombo.GetLBText(0, entry);
    EXPECT_EQ(entry, "Number of Entries = 2");
    const VQXCrossSection& s = *v.Node->CrossSection;
    EXPECT_EQ(v.PointCountSel, int(s.Points.size()) - 1);
    EXPECT_EQ(v.PointCountCombo.GetCurSel(), v.PointCountSel);
    EXPECT_EQ(v.LevelCountSel, int(s.PropertyRows.size()) - 2);
    EXPECT_EQ(v.PointsGrid.RowCount(), int(s.Points.size()) + 1);
    EXPECT_EQ(v.PropertiesGrid.RowCount(), int(s.PropertyRows.size()) + 1);
    EXPECT_EQ(v.Modified, 0);
    EXPECT_FALSE(ApplyEnabled());
    // The chart shows the bed, the two bank points and the water line at the node's stage.
    EXPECT_EQ(Layer(XSectionBed).size(), s.Points.size());
    EXPECT_EQ(Layer(XSectionBankStations).size(), 2u);
    const std::vector<QPointF> water = Layer(XSectionWaterSurface);
    ASSERT_GE(water.size(), 2u);
    for (const QPointF& p : water) EXPECT_DOUBLE_EQ(p.y(), v.Node->Stage);
}

TEST_F(XSectionViewTest, TheGridThatSentTheEditIsTheOneTreatedWhereverTheFocusIs)
{
    CXSectionView& v = *Editor();
    // The focus in the points grid; the roughness grid's edit ends (a click moved on).
    v.PointsGrid.SetFocus();
    const std::string pointBefore = v.PointsGrid.CellText(1, 1);
    Edit(v.RoughnessGrid, 1, 1, "12abc");
    EXPECT_EQ(v.RoughnessGrid.CellText(1, 1), "12.000");
    EXPECT_EQ(v.RoughnessGrid.CellAt(1, 1)->GetTextColor(), XSectionEditedColour);
    EXPECT_EQ(v.PointsGrid.CellText(1, 1), pointBefore);
    EXPECT_EQ(v.Modified, 1);
    EXPECT_TRUE(ApplyEnabled());
    // The focus on Apply Changes: the bank grid's edit is kept all the same.
    v.GetDlgItem(IDC_XSECTION_APPLY)->SetFocus();
    Edit(v.BankGrid, 1, 0, v.PointsGrid.CellText(2, 1));
    EXPECT_EQ(v.BankGrid.CellAt(1, 0)->GetTextColor(), XSectionEditedColour);
    // A pasted number beyond a double is refused: the cell keeps its text.
    const std::string n = v.RoughnessGrid.CellText(1, 3);
    Edit(v.RoughnessGrid, 1, 3, "1e999");
    EXPECT_EQ(v.RoughnessGrid.CellText(1, 3), n);
    // The property table takes no edit.
    const std::string level = v.PropertiesGrid.CellText(1, 1);
    Edit(v.PropertiesGrid, 1, 1, "5");
    EXPECT_EQ(v.PropertiesGrid.CellText(1, 1), level);
}

TEST_F(XSectionViewTest, AnEditEndedByTheFocusMovingToAnotherGridOrApplyLandsInItsOwnCell)
{
    CXSectionView& v = *Editor();
    v.PointsGrid.SetFocus();
    v.PointsGrid.SetFocusCell(1, 2);
    ProcessEvents();
    Type("101");
    const std::string roughness = v.RoughnessGrid.CellText(1, 2);
    // The focus goes to the roughness grid, as a click into it takes it.
    v.RoughnessGrid.SetFocus();
    ProcessEvents();
    EXPECT_EQ(v.PointsGrid.CellText(1, 2), "101.000");
    EXPECT_EQ(v.RoughnessGrid.CellText(1, 2), roughness);
    EXPECT_EQ(v.RoughnessGrid.CellAt(1, 2)->GetTextColor(), v.RoughnessGrid.CellAt(1, 1)->GetTextColor());
    EXPECT_EQ(v.Modified, 1);
    // Typed again and ended by a click on Apply Changes: the edit is kept and applied.
    v.PointsGrid.SetFocus();
    v.PointsGrid.SetFocusCell(2, 2);
    ProcessEvents();
    Type("102");
    // The focus goes to Apply Changes, then it is pressed.
    CWnd* apply = v.GetDlgItem(IDC_XSECTION_APPLY);
    apply->SetFocus();
    ProcessEvents();
    v.UpdateDialogControls(&v, FALSE);
    ASSERT_TRUE(apply->IsWindowEnabled());
    static_cast<CButton*>(apply)->Click();
    ProcessEvents();
    EXPECT_EQ(v.PointsGrid.CellText(2, 2), "102.000");
    EXPECT_DOUBLE_EQ(v.Node->CrossSection->Points[1].Elevation, 102.0);
    EXPECT_DOUBLE_EQ(v.Node->CrossSection->Points[0].Elevation, 101.0);
    EXPECT_EQ(v.Modified, 0);
}

TEST_F(XSectionViewTest, LettersTypedIntoACellNeverReachItsEditor)
{
    CXSectionView& v = *Editor();
    v.RoughnessGrid.SetFocus();
    v.RoughnessGrid.SetFocusCell(1, 2);
    ProcessEvents();
    Type("12abc \r");
    EXPECT_EQ(v.RoughnessGrid.CellText(1, 2), "12.000");
    EXPECT_EQ(v.RoughnessGrid.CellAt(1, 2)->GetTextColor(), XSectionEditedColour);
    EXPECT_EQ(v.Modified, 1);
    // A letter alone starts no edit.
    const std::string before = v.RoughnessGrid.CellText(1, 3);
    v.RoughnessGrid.SetFocusCell(1, 3);
    Type("x\r");
    EXPECT_EQ(v.RoughnessGrid.CellText(1, 3), before);
}

TEST_F(XSectionViewTest, LettersTypedIntoACountListChooseNoEntry)
{
    CXSectionView& v = *Editor();
    const int count = v.PointCountSel;
    ASSERT_GT(count, 0);
    v.PointCountCombo.SetFocus();
    ProcessEvents();
    // "N" would choose the first "Number of Entries" entry if it reached the list.
    Type("N");
    EXPECT_EQ(v.PointCountCombo.GetCurSel(), count);
    EXPECT_EQ(v.PointCountSel, count);
    EXPECT_EQ(v.Modified, 0);
}

TEST_F(XSectionViewTest, AnEntryChosenInACountListChangesTheRows)
{
    CXSectionView& v = *Editor();
    const int rows = v.SinuosityGrid.RowCount();
    auto* combo = v.SinuosityCountCombo.GetWidget();
    combo->setFocus();
    ProcessEvents();
    QTest::keyClick(combo, Qt::Key_Down);
    ProcessEvents();
    EXPECT_EQ(v.SinuosityGrid.RowCount(), rows + 1);
    EXPECT_EQ(v.SinuosityCountSel, rows - 1);
    EXPECT_EQ(v.Modified, 1);
}

TEST_F(XSectionViewTest, CopyAndCutFollowThePointsGridsSelectionAndActOnTheFocusedGrid)
{
    CXSectionView& v = *Editor();
    v.RoughnessGrid.SetFocus();
    v.RoughnessGrid.SetSelectedRange(1, 1, 1, 4);
    ProcessEvents();
    EXPECT_FALSE(Enabled(ID_EDIT_COPY));
    EXPECT_FALSE(Enabled(ID_EDIT_CUT));
    v.PointsGrid.SetSelectedRange(1, 1, 1, 2);
    EXPECT_TRUE(Enabled(ID_EDIT_COPY));
    EXPECT_TRUE(Enabled(ID_EDIT_CUT));
    // Cut in the roughness grid, which has the focus: its cells go to the clipboard and empty.
    const std::string elevation = v.RoughnessGrid.CellText(1, 1);
    Frame()->SendMessage(WM_COMMAND, ID_EDIT_CUT, 0);
    ProcessEvents();
    EXPECT_EQ(v.RoughnessGrid.CellText(1, 1), "0.000");  // an emptied cell passes the end of an edit
    EXPECT_NE(v.PointsGrid.CellText(1, 1), "");
    EXPECT_TRUE(Enabled(ID_EDIT_PASTE));
    // Pasted back into the focused grid.
    v.RoughnessGrid.SetFocusCell(1, 1);
    Frame()->SendMessage(WM_COMMAND, ID_EDIT_PASTE, 0);
    ProcessEvents();
    EXPECT_EQ(v.RoughnessGrid.CellText(1, 1), elevation);
    EXPECT_EQ(v.Modified, 1);
}

TEST_F(XSectionViewTest, ATypedPointMovesTheChartAtOnce)
{
    CXSectionView& v = *Editor();
    const double lower = VQXTextFormat::ParseLeadingDouble(v.PointsGrid.CellText(2, 2)) - 0.5;
    Edit(v.PointsGrid, 2, 2, FormatXSectionNumber(lower));
    const std::vector<QPointF> bed = Layer(XSectionBed);
    ASSERT_GE(bed.size(), 2u);
    EXPECT_NEAR(bed[1].y(), lower + XSectionPointOffset, 1e-9);
    // The water line stays at the node's stage, not at anything of the edited section.
    for (const QPointF& p : Layer(XSectionWaterSurface)) EXPECT_DOUBLE_EQ(p.y(), v.Node->Stage);
}

TEST_F(XSectionViewTest, ARaisedPointCountFailsApplyUntilTheNewRowsAreFilled)
{
    CXSectionView& v = *Editor();
    const int before = v.PointsGrid.RowCount() - 1;
    Select(v.PointCountCombo, before + 1, &CXSectionView::OnSelChangePointCount);
    EXPECT_EQ(v.PointsGrid.RowCount(), before + 3);
    EXPECT_EQ(v.PointsGrid.CellText(before + 2, 0), std::to_string(before + 2));
    EXPECT_EQ(v.PointsGrid.CellText(before + 2, 1), "");
    EXPECT_EQ(v.Modified, 1);
    v.OnApplyChanges();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, BlankPoints);
    EXPECT_EQ(v.Modified, 1);
    EXPECT_TRUE(ApplyEnabled());

    const double last = VQXTextFormat::ParseLeadingDouble(v.PointsGrid.CellText(before, 1));
    for (int k = 1; k <= 2; ++k) {
        Edit(v.PointsGrid, before + k, 1, FormatXSectionNumber(last + 3.0 * k));
        Edit(v.PointsGrid, before + k, 2, FormatXSectionNumber(110.0 + k));
    }
    // Two levels: the first entry of the level combo.
    Select(v.LevelCountCombo, 0, &CXSectionView::OnSelChangeLevelCount);
    v.OnApplyChanges();
    ProcessEvents();
    EXPECT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(v.Modified, 0);
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_EQ(v.Node->SectionCode, -2);
    EXPECT_EQ(int(v.Node->CrossSection->Points.size()), before + 2);
    EXPECT_EQ(v.PropertiesGrid.RowCount(), 3);
    EXPECT_EQ(Doc()->State->RefreshFlag, 1);
    EXPECT_TRUE(Doc()->IsModified());
    EXPECT_EQ(v.PointsGrid.CellAt(before + 1, 1)->GetTextColor(), XSectionAppliedColour);
}

TEST_F(XSectionViewTest, ADeclinedNodeChangeKeepsTheNodeAndItsEdits)
{
    CXSectionView& v = *Editor();
    VQXDisplayNode* first = v.Node;
    Edit(v.PointsGrid, 1, 2, "123.5");
    ASSERT_EQ(v.Modified, 1);
    std::string second;
    v.NodeCombo.GetLBText(1, second);
    const std::string firstLabel = v.NodeLabel;

    boxes_.answers = {IDNO};
    Select(v.NodeCombo, 1, &CXSectionView::OnSelChangeNode);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text,
              "WARNING: All Changes to " + firstLabel + " will be lost. Do you want to proceed to " + second + "?");
    EXPECT_EQ(boxes_.shown[0].buttons, UINT(MB_YESNO));
    EXPECT_EQ(boxes_.shown[0].icon, UINT(MB_ICONSTOP));
    EXPECT_EQ(v.Node, first);
    EXPECT_EQ(v.NodeIndex, 0);
    EXPECT_EQ(v.NodeCombo.GetCurSel(), 0);
    EXPECT_EQ(v.NodeLabel, firstLabel);
    EXPECT_EQ(v.PointsGrid.CellText(1, 2), "123.500");
    EXPECT_EQ(v.Modified, 1);

    boxes_.answers = {IDYES};
    Select(v.NodeCombo, 1, &CXSectionView::OnSelChangeNode);
    EXPECT_EQ(v.Node, SectionNodes()[1]);
    EXPECT_EQ(v.NodeLabel, second);
    EXPECT_EQ(v.Modified, 0);
    EXPECT_EQ(v.PointsGrid.RowCount(), int(v.Node->CrossSection->Points.size()) + 1);
    EXPECT_EQ(Layer(XSectionBed).size(), v.Node->CrossSection->Points.size());
}

TEST_F(XSectionViewTest, EachPaintDrawsTheWaterLineAtTheNodesPresentStage)
{
    CXSectionView& v = *Editor();
    v.Node->Stage += 0.25;
    Repaint();
    const std::vector<QPointF> water = Layer(XSectionWaterSurface);
    ASSERT_FALSE(water.empty());
    for (const QPointF& p : water) EXPECT_DOUBLE_EQ(p.y(), v.Node->Stage);
}

TEST_F(XSectionViewTest, WhileARunGoesTheEditorTakesNoEditAndApplyIsGrey)
{
    CXSectionView& v = *Editor();
    Edit(v.PointsGrid, 1, 2, "101");
    ASSERT_TRUE(ApplyEnabled());
    // The run dialog is shown from the profile, as the editor disables Transient.
    Tabs().SetActiveTab(CVasquilView::ProfileTab);
    ProcessEvents();
    Frame()->SendMessage(WM_COMMAND, ID_SIMULATION_TRANSIENT, 0);
    ShowEditor();
    ASSERT_NE(Doc()->TransientDialog, nullptr);
    Doc()->TransientDialog->Running = 1;
    const std::string before = v.PointsGrid.CellText(2, 2);
    Edit(v.PointsGrid, 2, 2, "99");
    EXPECT_EQ(v.PointsGrid.CellText(2, 2), before);
    EXPECT_FALSE(ApplyEnabled());
    const int count = v.PointCountSel;
    Select(v.PointCountCombo, count + 1, &CXSectionView::OnSelChangePointCount);
    EXPECT_EQ(v.PointCountSel, count);
    EXPECT_EQ(v.PointCountCombo.GetCurSel(), count);
    Doc()->TransientDialog->Running = 0;
    EXPECT_TRUE(ApplyEnabled());
}

TEST_F(XSectionViewTest, AModelWithoutASectionedNodeShowsNothingAndKeepsNoNode)
{
    ASSERT_TRUE(Open("steady-channel.vqx"));
    ShowEditor();
    CXSectionView& v = *Editor();
    EXPECT_EQ(v.NodeCount, 0);
    EXPECT_EQ(v.Node, nullptr);
    EXPECT_EQ(v.Chart.Node, nullptr);
    EXPECT_TRUE(v.IsWindowVisible());
    EXPECT_FALSE(v.PointsGrid.IsWindowVisible());
    EXPECT_FALSE(v.GetDlgItem(IDC_XSECTION_APPLY)->IsWindowVisible());
    // And back to a model with sections: the controls show again.
    ASSERT_TRUE(Open("ft1-metric.vqx"));
    ShowEditor();
    EXPECT_GT(v.NodeCount, 0);
    EXPECT_TRUE(v.PointsGrid.IsWindowVisible());
}

}  // namespace
