// The node table on the Node Table Editor tab of the program's frame: the columns of each file
// type, the check of an edited cell, Accept writing into the engine (seen through Save and a
// reopen), Reject, Set Values over grey cells, and Show Output Nodes Only.
#include "ViewsTestSupport.h"

#include "../TestFolder.h"

#include "controls/GridCtrl.h"
#include "engine/EngineData.h"
#include "engine/WaterQualityFile.h"
#include "platform/Dialog.h"
#include "platform/TestHooks.h"
#include "views/NodeTableColumns.h"

#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace views_test;

// Column ids as the node quantities name them.
constexpr int StageColumn = 11;
constexpr int DischargeColumn = 12;

class NodeTableViewTest : public ViewsTest
{
protected:
    CNodeTableView* Table() const { return static_cast<CNodeTableView*>(Tabs().GetTabWnd(CVasquilView::NodeTableTab)); }
    CGridCtrl& Grid() const { return Table()->Grid; }
    // Opens a copy of the fixture (Save and the question before another open never reach the
    // fixture itself) and shows the table.
    bool OpenOnTable(const std::string& fixture)
    {
        const std::filesystem::path copy = FreshTestFolder("node-table-open") / fixture;
        std::filesystem::copy_file(FixturePath(fixture), copy);
        {
            QuietStdout quiet;
            if (!app_->OpenDocumentFile(copy)) return false;
        }
        ProcessEvents();
        Tabs().SetActiveTab(CVasquilView::NodeTableTab);
        ProcessEvents();
        Table()->UpdateWindow();
        ProcessEvents();
        return Grid().RowCount() > 1;
    }
    // The grid column of a node quantity, -1 when the table does not show it.
    int ColumnOf(int id) const
    {
        const std::vector<int>& ids = Table()->ColumnIds;
        for (std::size_t j = 0; j < ids.size(); ++j)
            if (ids[j] == id) return int(j);
        return -1;
    }
    // The first row whose cell of col takes edits.
    int WritableRow(int col) const
    {
        for (int row = 1; row < Grid().RowCount(); ++row)
            if (!(Grid().CellState(row, col) & CellStateReadOnly)) return row;
        return -1;
    }
    bool Modified(int row, int col) const { return (Grid().CellState(row, col) & CellStateModified) != 0; }
    // A text into a cell as a finished edit or a paste gives it: the grid asks its owner.
    void Edit(int row, int col, const std::string& text)
    {
        Grid().SetCellTextChecked(row, col, text);
        ProcessEvents();
    }
    int NodeCount() const
    {
        int count = 0;
        for (VQXDisplayNode* n = Doc()->DisplayModel->FirstNode(); n; n = Doc()->DisplayModel->NextNode()) ++count;
        return count;
    }
    int OutputNodeCount() const
    {
        int count = 0;
        for (VQXDisplayNode* n = Doc()->DisplayModel->FirstNode(); n; n = Doc()->DisplayModel->NextNode())
            count += n->HydroCode == 0 ? 1 : 0;
        return count;
    }
    MessageBoxSink boxes_;
};

// The column lists: the base columns, those of the ice types, the water-quality columns, the
// check variable only after an open-water model's nutrients, and none for dynamic ice.
TEST(NodeTableColumnsTest, ListsByFileTypeAndWaterQuality)
{
    struct Case {
        int fileType;
        bool wq;
        int wqType;
        std::size_t count;
    };
    const Case cases[] = {
        {FileTypeOpenWater, false, WQNutrients, 15},  {FileTypeOpenWater, true, WQNutrients, 22},
        {FileTypeOpenWater, true, WQHeavyMetals, 21}, {FileTypeOpenWater, true, WQXenobiotics, 21},
        {FileTypeStaticIce, false, WQNutrients, 20},  {FileTypeStaticIce, true, WQNutrients, 26},
        {FileTypeStaticIce, true, WQHeavyMetals, 26}, {FileTypeDynamicIce, false, WQNutrients, 20},
        {FileTypeDynamicIce, true, WQNutrients, 20},  {FileTypeThermalIce, false, WQNutrients, 34},
        {FileTypeThermalIce, true, WQNutrients, 40},  {FileTypeThermalIce, true, WQHeavyMetals, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "file type " << c.fileType << " wq " << c.wq << " type " << c.wqType);
        const std::vector<int> ids = NodeTableColumns::ColumnIds(c.fileType, c.wq, c.wqType);
        EXPECT_EQ(ids.size(), c.count);
        ASSERT_FALSE(ids.empty());
        EXPECT_EQ(ids.front(), 0);  // the node number first
        const bool check = std::find(ids.begin(), ids.end(), 40) != ids.end();
        EXPECT_EQ(check, c.fileType == FileTypeOpenWater && c.wq && c.wqType == WQNutrients);
        std::vector<int> sorted = ids;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "a column twice";
    }
}

// The end-edit rule: texts of only zeros and points are 0, a nonzero leading number stands for
// itself, anything else is refused, an infinite or not-a-number reading too.
TEST(NodeTableColumnsTest, EditedCellValue)
{
    struct Case {
        const char* text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"0", 0.0},
        {"0.0", 0.0},
        {".", 0.0},
        {"", 0.0},
        {"12", 12.0},
        {"12abc", 12.0},
        {"-3.5", -3.5},
        {"2.5e2", 250.0},
        {"abc", std::nullopt},
        {"-0", std::nullopt},
        {" 0", std::nullopt},
        {"1e999", std::nullopt},
        {"-1e999", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"-", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        const std::optional<double> value = NodeTableColumns::EditedCellValue(c.text);
        ASSERT_EQ(value.has_value(), c.value.has_value());
        if (value) {
            EXPECT_DOUBLE_EQ(*value, *c.value);
        }
    }
    EXPECT_EQ(NodeTableColumns::CellText(3.14159, 3), "3.142");
    EXPECT_EQ(NodeTableColumns::CellText(-0.5, 0), "-0");
}

// Every fixture's table: a title row and a row per node, the columns of its file type, the
// node numbers grey and read-only.
TEST_F(NodeTableViewTest, GridOfEveryFileType)
{
    struct Case {
        const char* fixture;
        int fileType;
    };
    const Case cases[] = {
        {"ft0-metric.vqx", FileTypeOpenWater},  {"ft0-imperial.vqx", FileTypeOpenWater},
        {"ft1-metric.vqx", FileTypeStaticIce},  {"ft1-imperial.vqx", FileTypeStaticIce},
        {"ft2-metric.vqx", FileTypeDynamicIce}, {"ft2-imperial.vqx", FileTypeDynamicIce},
        {"ft3-metric.vqx", FileTypeThermalIce}, {"ft3-imperial.vqx", FileTypeThermalIce},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        ASSERT_TRUE(OpenOnTable(c.fixture));
        EXPECT_EQ(Doc()->State->FileType, c.fileType);
        EXPECT_EQ(Table()->ColumnIds, NodeTableColumns::ColumnIds(c.fileType, false, 0));
        EXPECT_EQ(Grid().ColumnCount(), int(Table()->ColumnIds.size()));
        EXPECT_EQ(Grid().RowCount(), NodeCount() + 1);
        EXPECT_EQ(Grid().FixedRowCount(), 1);
        EXPECT_FALSE(Grid().CellText(0, ColumnOf(StageColumn)).empty());
        for (int row = 1; row < Grid().RowCount(); ++row) {
            EXPECT_TRUE(Grid().CellState(row, 0) & CellStateReadOnly) << "row " << row;
            const VQXDisplayNode* node = Table()->RowNodes[std::size_t(row)];
            const int col = ColumnOf(StageColumn);
            EXPECT_EQ(Grid().CellText(row, col),
                      NodeTableColumns::CellText(node->GetColumnValue(StageColumn),
                                                 VQXDisplayNode::ColumnDecimals(StageColumn)));
        }
        EXPECT_EQ(Doc()->NodeTableEdited, 0);
    }
}

// An edit through the grid: accepted texts are rewritten with the column's decimals, red and
// marked; refused ones leave the cell; the node-number column takes none.
TEST_F(NodeTableViewTest, EndEditRule)
{
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    const int col = ColumnOf(StageColumn);
    const int row = WritableRow(col);
    ASSERT_GT(row, 0);
    const int decimals = VQXDisplayNode::ColumnDecimals(StageColumn);
    const std::string before = Grid().CellText(row, col);

    struct Case {
        const char* text;
        bool accepted;
        double value;
    };
    const Case cases[] = {
        {"abc", false, 0}, {"1e999", false, 0}, {"inf", false, 0},          {"nan", false, 0}, {"-0", false, 0},
        {" 0", false, 0},  {"12abc", true, 12}, {"3.14159", true, 3.14159}, {".", true, 0},    {"12", true, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        const std::string old = Grid().CellText(row, col);
        Edit(row, col, c.text);
        if (c.accepted) {
            EXPECT_EQ(Grid().CellText(row, col), NodeTableColumns::CellText(c.value, decimals));
            EXPECT_TRUE(Modified(row, col));
            EXPECT_EQ(Doc()->NodeTableEdited, 1);
        } else {
            EXPECT_EQ(Grid().CellText(row, col), old);
        }
    }
    // The node number is no value the table writes.
    const std::string number = Grid().CellText(row, 0);
    Edit(row, 0, "77");
    EXPECT_EQ(Grid().CellText(row, 0), number);
    EXPECT_FALSE(Modified(row, 0));

    // Reject gives the node's value back, unmarked, and the document is not edited.
    Table()->RejectChanges();
    EXPECT_EQ(Grid().CellText(row, col), before);
    EXPECT_FALSE(Modified(row, col));
    EXPECT_EQ(Doc()->NodeTableEdited, 0);
}

// A refresh after a step rewrites the values but keeps a waiting edit, which Accept writes.
TEST_F(NodeTableViewTest, RefreshKeepsWaitingEdits)
{
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    const int col = ColumnOf(StageColumn);
    const int row = WritableRow(col);
    Edit(row, col, "123.5");
    Doc()->State->RefreshFlag = 1;
    Table()->RefreshValues();
    EXPECT_TRUE(Modified(row, col));
    EXPECT_EQ(Grid().CellText(row, col),
              NodeTableColumns::CellText(123.5, VQXDisplayNode::ColumnDecimals(StageColumn)));
    EXPECT_EQ(Doc()->NodeTableEdited, 1);
}

// Accept writes a row's two edits into its node and the engine: saved and reopened, the file
// has them; the table is rebuilt clean and the document modified.
TEST_F(NodeTableViewTest, AcceptWritesToEngine)
{
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    const int stage = ColumnOf(StageColumn);
    const int discharge = ColumnOf(DischargeColumn);
    ASSERT_GE(stage, 0);
    ASSERT_GE(discharge, 0);
    int row = -1;
    for (int r = 1; r < Grid().RowCount() && row < 0; ++r)
        if (!(Grid().CellState(r, stage) & CellStateReadOnly) && !(Grid().CellState(r, discharge) & CellStateReadOnly))
            row = r;
    ASSERT_GT(row, 0);
    const int number = Table()->RowNodes[std::size_t(row)]->Number;
    Edit(row, stage, "101.25");
    Edit(row, discharge, "42.5");
    EXPECT_EQ(Doc()->NodeTableEdited, 1);

    Table()->AcceptChanges();
    EXPECT_EQ(Doc()->NodeTableEdited, 0);
    EXPECT_TRUE(Doc()->IsModified());
    EXPECT_FALSE(Modified(row, stage));
    EXPECT_FALSE(Modified(row, discharge));
    const VQXDisplayNode* node = Table()->RowNodes[std::size_t(row)];
    EXPECT_NEAR(node->GetColumnValue(StageColumn), 101.25, 1e-9);
    EXPECT_NEAR(node->GetColumnValue(DischargeColumn), 42.5, 1e-9);

    const std::filesystem::path saved = FreshTestFolder("node-table") / "accepted.vqx";
    {
        QuietStdout quiet;
        ASSERT_TRUE(Doc()->DoSave(saved));
        ASSERT_NE(app_->OpenDocumentFile(saved), nullptr);
    }
    ProcessEvents();
    const VQXDisplayNode* reopened = nullptr;
    for (VQXDisplayNode* n = Doc()->DisplayModel->FirstNode(); n; n = Doc()->DisplayModel->NextNode())
        if (n->Number == number) reopened = n;
    ASSERT_NE(reopened, nullptr);
    const double stageTolerance = std::pow(10.0, -VQXDisplayNode::ColumnDecimals(StageColumn));
    EXPECT_NEAR(reopened->GetColumnValue(StageColumn), 101.25, stageTolerance);
    EXPECT_NEAR(reopened->GetColumnValue(DischargeColumn), 42.5, 1e-3);
}

// A row the engine refuses keeps its node's values and names the node; the message says so.
TEST_F(NodeTableViewTest, AcceptReportsARefusedRow)
{
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    const int col = ColumnOf(StageColumn);
    const int row = WritableRow(col);
    VQXDisplayNode* node = Table()->RowNodes[std::size_t(row)];
    const double before = node->GetColumnValue(StageColumn);
    Edit(row, col, "321.5");
    // No engine node has this number, so the engine refuses the row.
    const int number = node->Number;
    node->Number = 987654;
    boxes_.shown.clear();
    Table()->AcceptChanges();
    node->Number = number;
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "Node 987654 is not in the model; its edits were not accepted.");
    EXPECT_DOUBLE_EQ(node->GetColumnValue(StageColumn), before);
    EXPECT_EQ(Doc()->NodeTableEdited, 0);
}

// The columns fill the grid's width after a build and after Expand To Fit; Auto Size fits
// them to their texts; a header sort orders rows by number.
TEST_F(NodeTableViewTest, SizingAndSorting)
{
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    CRect client;
    Grid().GetClientRect(&client);
    EXPECT_EQ(Grid().TotalWidth(), client.Width());
    EXPECT_EQ(Grid().CompareFunc, &CGridCtrl::CompareCellNumbers);
    Table()->OnAutoSize();
    for (int col = 0; col < Grid().ColumnCount(); ++col) EXPECT_GT(Grid().ColumnWidth(col), 1) << col;
    Table()->OnExpandToFit();
    EXPECT_EQ(Grid().TotalWidth(), client.Width());
}

// Cut of a block clears its writable cells through the edit check: each becomes 0, red and
// waiting; the node numbers stay.
TEST_F(NodeTableViewTest, CutOfABlock)
{
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    const int col = ColumnOf(StageColumn);
    const std::string first = Grid().CellText(1, 0);
    Grid().SetSelectedRange(1, 0, 2, col);
    Table()->OnEditCut();
    ProcessEvents();
    EXPECT_EQ(Grid().CellText(1, 0), first);
    for (int row = 1; row <= 2; ++row) {
        for (int c = 1; c <= col; ++c) {
            if (Grid().CellState(row, c) & CellStateReadOnly) continue;
            EXPECT_TRUE(Modified(row, c)) << row << ", " << c;
            EXPECT_EQ(
                Grid().CellText(row, c),
                NodeTableColumns::CellText(0.0, VQXDisplayNode::ColumnDecimals(Table()->ColumnIds[std::size_t(c)])));
        }
    }
    EXPECT_EQ(Doc()->NodeTableEdited, 1);
}

// Copy of a two-column block and Paste below it: the writable cells take the copied texts
// through the edit check (red and waiting); the grey ones keep theirs.
TEST_F(NodeTableViewTest, CopyAndPasteOfABlock)
{
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    const int col = ColumnOf(StageColumn);
    Grid().SetSelectedRange(1, col - 1, 1, col);
    Table()->OnEditCopy();
    const std::string left = Grid().CellText(1, col - 1);
    const std::string stage = Grid().CellText(1, col);
    const bool leftWritable = !(Grid().CellState(3, col - 1) & CellStateReadOnly);
    const std::string oldLeft = Grid().CellText(3, col - 1);
    Grid().SetSelectedRange(3, col - 1, 3, col - 1);
    Table()->OnEditPaste();
    ProcessEvents();
    EXPECT_EQ(Grid().CellText(3, col), stage);
    EXPECT_TRUE(Modified(3, col));
    EXPECT_EQ(Grid().CellText(3, col - 1), leftWritable ? left : oldLeft);
    EXPECT_EQ(Doc()->NodeTableEdited, 1);
}

// Set Values writes every writable cell of the selected block, grey cells kept; Cancel and a
// missing selection write nothing.
TEST_F(NodeTableViewTest, SetValues)
{
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    const int last = Grid().RowCount() - 1;
    const int maxCol = Grid().ColumnCount() - 1;

    Grid().SetSelectedRange(CellRange());
    boxes_.shown.clear();
    Table()->OnSetValues();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "Please select a cell or range of cells.");

    Grid().SetSelectedRange(1, 0, last, maxCol);
    {
        ModalDialogInterceptor dialogs;
        dialogs.scripts.push_back([](CDialog& d) {
            d.GetDlgItem(IDC_SET_VALUES_VALUE)->SetWindowText("7.5");
            static_cast<CButton*>(d.GetDlgItem(IDCANCEL))->Click();
        });
        Table()->OnSetValues();
        EXPECT_EQ(dialogs.shown, std::vector<UINT>{IDD_SET_NODE_TABLE_VALUES});
    }
    EXPECT_EQ(Doc()->NodeTableEdited, 0);
    for (int row = 1; row <= last; ++row)
        for (int col = 0; col <= maxCol; ++col) EXPECT_FALSE(Modified(row, col));

    Grid().SetSelectedRange(1, 0, last, maxCol);
    {
        ModalDialogInterceptor dialogs;
        dialogs.scripts.push_back([](CDialog& d) {
            d.GetDlgItem(IDC_SET_VALUES_VALUE)->SetWindowText("7.5");
            static_cast<CButton*>(d.GetDlgItem(IDOK))->Click();
        });
        Table()->OnSetValues();
    }
    EXPECT_EQ(Doc()->NodeTableEdited, 1);
    int written = 0;
    for (int row = 1; row <= last; ++row) {
        for (int col = 0; col <= maxCol; ++col) {
            const bool readOnly = (Grid().CellState(row, col) & CellStateReadOnly) != 0;
            EXPECT_EQ(Modified(row, col), !readOnly) << row << ", " << col;
            if (readOnly) continue;
            ++written;
            EXPECT_EQ(
                Grid().CellText(row, col),
                NodeTableColumns::CellText(7.5, VQXDisplayNode::ColumnDecimals(Table()->ColumnIds[std::size_t(col)])));
        }
    }
    EXPECT_GT(written, 0);
}

// Show Output Nodes Only switches to the output nodes and back; it waits while edits wait.
TEST_F(NodeTableViewTest, ShowOutputNodesOnlyTwice)
{
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    const int all = NodeCount();
    const int outputs = OutputNodeCount();
    ASSERT_LT(outputs, all) << "the fixture needs nodes that are no output nodes";
    Table()->OnShowOutputNodesOnly();
    EXPECT_EQ(Doc()->DisplayModel->ShowAllNodes, 0);
    EXPECT_EQ(Grid().RowCount(), outputs + 1);
    for (std::size_t i = 1; i < Table()->RowNodes.size(); ++i) EXPECT_EQ(Table()->RowNodes[i]->HydroCode, 0);
    Table()->OnShowOutputNodesOnly();
    EXPECT_EQ(Doc()->DisplayModel->ShowAllNodes, 1);
    EXPECT_EQ(Grid().RowCount(), all + 1);

    const int col = ColumnOf(StageColumn);
    Edit(WritableRow(col), col, "5");
    Table()->OnShowOutputNodesOnly();
    EXPECT_EQ(Doc()->DisplayModel->ShowAllNodes, 1) << "a waiting edit would be dropped";
    EXPECT_EQ(Doc()->NodeTableEdited, 1);
}

}  // namespace
