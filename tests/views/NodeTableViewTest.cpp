// The node table on the Node Table Editor tab of the program's frame: the columns of each file
// type, the check of an edited cell, Accept writing into the engine (seen through Save and a
// reopen), Reject, Set Values over grey cells, and Show Output Nodes Only.
#include "ViewsTestSupport.h"

#include "../TestFolder.h"

#include "app/RunTransDlg.h"
#include "controls/GridCtrl.h"
#include "datalib/TextFormat.h"
#include "engine/EngineData.h"
#include "engine/WaterQualityFile.h"
#include "platform/Dialog.h"
#include "platform/OleData.h"
#include "platform/TestHooks.h"
#include "views/NodeTableColumns.h"
#include "views/XSectionGrids.h"

#include <QTest>

#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace views_test;

// Column ids as the node quantities name them.
constexpr int ReachColumn = 3;
constexpr int SectionCodeColumn = 2;
constexpr int InvertColumn = 7;
constexpr int BedRoughnessColumn = 8;
constexpr int WidthColumn = 9;
constexpr int StageColumn = 11;
constexpr int DischargeColumn = 12;
constexpr int FluxColumn = 13;
constexpr int IceRoughnessColumn = 15;
constexpr int IceVelocityColumn = 16;
constexpr int VelocityColumn = 32;
constexpr int IceRoughnessModeColumn = 38;
constexpr int OxygenColumn = 41;
constexpr int DissolvedMetalColumn = 47;

// A water-quality file of the type of templateFile (its settings) for the model the engine
// holds: one row of six values per node, the boundary elements as the model has them, without
// boundary series. Written to path; false when the template cannot be read.
bool WriteWaterQualityFor(const std::filesystem::path& templateFile, const std::filesystem::path& path)
{
    std::ifstream in(templateFile, std::ios::binary);
    std::string line, settings;
    int nodes = 0, boundaries = 0;
    for (NodeRecord* n = g_Nodes; n; n = n->Next) ++nodes;
    for (BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next) ++boundaries;
    while (std::getline(in, line)) {
        if (line.find("Node Information") != std::string::npos) break;
        if (line.find("Number of WQ Nodes") != std::string::npos) line = " Number of WQ Nodes = " + std::to_string(nodes);
        if (line.find("Number of WQ Boundary Elements") != std::string::npos)
            line = " Number of WQ Boundary Elements = " + std::to_string(boundaries);
        settings += line + "\n";
    }
    if (!in) return false;
    std::ostringstream out;
    out << settings << " \tNode Information \n\n \tNode #\ta\tb\tc\td\te\tf\n\n";
    for (NodeRecord* n = g_Nodes; n; n = n->Next) out << "\t" << n->Number << "\t5\t0.25\t1.5\t2\t0.03\t0.02 \n";
    out << "\n \tBoundary Element Information \n\n \tBoundary Element #\tNode #\tBoundary condition codes\n\n";
    for (BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next)
        out << "\t" << b->Number << "\t" << b->Node()->Number << "\t" << b->Position << "\t" << b->StageCode << "\t"
            << b->DischargeCode << "\t0 \n \n \n";
    std::ofstream file(path, std::ios::binary);
    file << out.str();
    return bool(file);
}

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
    // Loads the water-quality file through Open WQ Data, as the user picks it.
    bool OpenWaterQuality(const std::filesystem::path& file)
    {
        FileDialogProvider files;
        files.answers.push_back(file);
        boxes_.shown.clear();
        {
            QuietStdout quiet;
            Frame()->SendMessage(WM_COMMAND, ID_WQ_OPEN_DATA, 0);
        }
        ProcessEvents();
        Table()->UpdateWindow();
        ProcessEvents();
        // The water-quality data reset the profile, which the main view shows first.
        Tabs().SetActiveTab(CVasquilView::NodeTableTab);
        ProcessEvents();
        Table()->UpdateWindow();
        ProcessEvents();
        ProcessEvents();
        for (const MessageBoxRequest& box : boxes_.shown) ADD_FAILURE() << box.text;
        return Doc()->WaterQualityLoaded == 1;
    }
    bool ReadOnly(int row, int col) const { return (Grid().CellState(row, col) & CellStateReadOnly) != 0; }
    // The row of the first node the predicate holds for, -1 when none does.
    template <class Predicate> int RowWhere(Predicate holds) const
    {
        for (std::size_t i = 1; i < Table()->RowNodes.size(); ++i)
            if (holds(*Table()->RowNodes[i])) return int(i);
        return -1;
    }
    // The table's row of node number, after a rebuild.
    int RowOfNode(int number) const
    {
        return RowWhere([number](const VQXDisplayNode& n) { return n.Number == number; });
    }
    // Accept Changes as the menu gives it, and the table painted again.
    void Accept()
    {
        Frame()->SendMessage(WM_COMMAND, ID_TABLE_ACCEPT_CHANGES, 0);
        ProcessEvents();
        Table()->UpdateWindow();
        ProcessEvents();
    }
    void Key(int key)
    {
        Grid().SetFocus();
        QTest::keyClick(Grid().GetWidget(), Qt::Key(key));
        ProcessEvents();
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

// A build fits each column to its title and values and widens the columns to fill a wide view,
// but never narrows them below their texts in a narrow one (the horizontal bar shows then);
// Expand To Fit shares the width out in both; a header sort orders rows by number.
TEST_F(NodeTableViewTest, SizingAndSorting)
{
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    EXPECT_EQ(Grid().CompareFunc, &CGridCtrl::CompareCellNumbers);
    for (const int width : {1800, 600}) {
        SCOPED_TRACE(testing::Message() << "frame width " << width);
        Frame()->MoveWindow(0, 0, width, 700);
        ProcessEvents();
        Table()->OnAutoSize();
        std::vector<int> fitted;
        for (int col = 0; col < Grid().ColumnCount(); ++col) fitted.push_back(Grid().ColumnWidth(col));
        const int fittedTotal = Grid().TotalWidth();
        Doc()->NodeTableRebuild = 1;
        Table()->BuildGrid();
        ProcessEvents();
        CRect client;
        Grid().GetClientRect(&client);
        const bool wide = width > 1000;
        ASSERT_EQ(fittedTotal < client.Width(), wide) << "the frame widths must lie either side of the texts' width";
        if (wide) EXPECT_EQ(Grid().TotalWidth(), client.Width());
        else EXPECT_EQ(Grid().TotalWidth(), fittedTotal);
        for (int col = 0; col < Grid().ColumnCount(); ++col)
            EXPECT_GE(Grid().ColumnWidth(col), fitted[std::size_t(col)]) << "column " << col << " cut";
        EXPECT_EQ((Grid().ScrollBarsShown & ShownHorizontal) != 0, !wide);
        Table()->OnExpandToFit();
        Grid().GetClientRect(&client);
        EXPECT_EQ(Grid().TotalWidth(), client.Width());
    }
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

// Every fixture with nutrients and with heavy metals loaded: the columns of its file type and
// water-quality type (counted here by hand), titles in the model's units, the water-quality
// cells showing what the file gave. Dynamic ice lists no water-quality column.
TEST_F(NodeTableViewTest, ColumnsOfEveryFixtureWithWaterQuality)
{
    const std::filesystem::path examples = std::filesystem::path(VASQUIL_SOURCE_DIR) / "examples";
    const std::filesystem::path nutrients = examples / "sample-river.nu";
    const std::filesystem::path metals = FixturePath("tracer.hm");
    struct Case {
        const char* fixture;
        bool metric;
        bool metal;
        std::size_t columns;
        int firstQuality;  // column id, 0 for none
    };
    const Case cases[] = {
        {"ft0-metric.vqx", true, false, 22, OxygenColumn},    {"ft0-imperial.vqx", false, true, 21, DissolvedMetalColumn},
        {"ft0-imperial.vqx", false, false, 22, OxygenColumn}, {"ft0-metric.vqx", true, true, 21, DissolvedMetalColumn},
        {"ft1-metric.vqx", true, false, 26, OxygenColumn},    {"ft1-imperial.vqx", false, true, 26, DissolvedMetalColumn},
        {"ft2-metric.vqx", true, false, 20, 0},               {"ft2-imperial.vqx", false, true, 20, 0},
        {"ft3-metric.vqx", true, true, 40, DissolvedMetalColumn}, {"ft3-imperial.vqx", false, false, 40, OxygenColumn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fixture) + (c.metal ? " with heavy metals" : " with nutrients"));
        ASSERT_TRUE(OpenOnTable(c.fixture));
        const std::filesystem::path file = FreshTestFolder("node-table-wq") / (c.metal ? "quality.hm" : "quality.nu");
        ASSERT_TRUE(WriteWaterQualityFor(c.metal ? metals : nutrients, file));
        ASSERT_TRUE(OpenWaterQuality(file));
        EXPECT_EQ(Grid().ColumnCount(), int(c.columns));
        EXPECT_EQ(Table()->ColumnIds.size(), c.columns);
        EXPECT_EQ(Grid().RowCount(), NodeCount() + 1);
        EXPECT_EQ(Grid().CellText(0, ColumnOf(StageColumn)), c.metric ? "H (m)" : "H (ft)");
        EXPECT_EQ(Grid().CellText(0, ColumnOf(DischargeColumn)), c.metric ? "Nodal Qw (cms)" : "Nodal Qw (cfs)");
        const int other = c.metal ? OxygenColumn : DissolvedMetalColumn;
        EXPECT_EQ(ColumnOf(other), -1);
        if (c.firstQuality == 0) {
            for (int id : {OxygenColumn, DissolvedMetalColumn}) EXPECT_EQ(ColumnOf(id), -1);
            continue;
        }
        const int col = ColumnOf(c.firstQuality);
        ASSERT_GT(col, 0);
        EXPECT_FALSE(Grid().CellText(0, col).empty());
        // The file gives 5 for the first value of every node and 0.25 for the second.
        for (int row = 1; row < Grid().RowCount(); ++row) {
            EXPECT_EQ(Grid().CellText(row, col), NodeTableColumns::CellText(5.0, VQXDisplayNode::ColumnDecimals(c.firstQuality)));
            EXPECT_EQ(Grid().CellText(row, col + 1),
                      NodeTableColumns::CellText(0.25, VQXDisplayNode::ColumnDecimals(c.firstQuality + 1)));
            // Heavy metals and xenobiotics are results of the run only.
            EXPECT_EQ(ReadOnly(row, col), c.metal);
        }
    }
}

// Grey cells: the bed columns of a node with a cross section, the ice roughness while its mode
// is set, the ice velocity except in dynamic ice, the results the engine computes always. A
// section code or a mode accepted into a node greys or frees its cells at the rebuild.
TEST_F(NodeTableViewTest, ReadOnlyCellsBySectionCodeIceModeAndFileType)
{
    struct Case {
        const char* fixture;
        bool iceVelocityWritable;
        bool hasIceVelocity;  // the file type lists the ice velocity
    };
    const Case cases[] = {
        {"ft0-metric.vqx", false, false}, {"ft1-imperial.vqx", false, false},
        {"ft2-metric.vqx", true, true},   {"ft2-imperial.vqx", true, true},
        {"ft3-metric.vqx", false, true},  {"ft3-imperial.vqx", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        ASSERT_TRUE(OpenOnTable(c.fixture));
        const int ice = ColumnOf(IceVelocityColumn);
        EXPECT_EQ(ice >= 0, c.hasIceVelocity);
        for (int row = 1; row < Grid().RowCount(); ++row) {
            const VQXDisplayNode& node = *Table()->RowNodes[std::size_t(row)];
            for (int id : {InvertColumn, BedRoughnessColumn, WidthColumn})
                EXPECT_EQ(ReadOnly(row, ColumnOf(id)), node.SectionCode != 0) << "node " << node.Number << " column " << id;
            for (int id : {FluxColumn, VelocityColumn}) EXPECT_TRUE(ReadOnly(row, ColumnOf(id))) << node.Number;
            for (int id : {StageColumn, DischargeColumn, SectionCodeColumn}) EXPECT_FALSE(ReadOnly(row, ColumnOf(id)));
            if (ice >= 0) {
                EXPECT_EQ(ReadOnly(row, ice), !c.iceVelocityWritable) << node.Number;
            }
            if (ColumnOf(IceRoughnessModeColumn) >= 0) {
                EXPECT_EQ(ReadOnly(row, ColumnOf(IceRoughnessColumn)), node.IceRoughnessMode != 0) << node.Number;
            }
        }
    }

    // A rectangular node given a section of five levels: its bed cells turn grey; the section
    // code 0 frees them again.
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    int row = RowWhere([](const VQXDisplayNode& n) { return n.SectionCode == 0; });
    ASSERT_GT(row, 0) << "the fixture needs a rectangular node";
    const int number = Table()->RowNodes[std::size_t(row)]->Number;
    Edit(row, ColumnOf(SectionCodeColumn), "5");
    Accept();
    row = RowOfNode(number);
    ASSERT_GT(row, 0);
    EXPECT_EQ(Table()->RowNodes[std::size_t(row)]->SectionCode, -5);
    for (int id : {InvertColumn, BedRoughnessColumn, WidthColumn}) EXPECT_TRUE(ReadOnly(row, ColumnOf(id))) << id;
    Edit(row, ColumnOf(SectionCodeColumn), "0");
    Accept();
    row = RowOfNode(number);
    EXPECT_EQ(Table()->RowNodes[std::size_t(row)]->SectionCode, 0);
    for (int id : {InvertColumn, BedRoughnessColumn, WidthColumn}) EXPECT_FALSE(ReadOnly(row, ColumnOf(id))) << id;

    // The ice roughness mode set greys the ice roughness; cleared, frees it.
    ASSERT_TRUE(OpenOnTable("ft1-metric.vqx"));
    row = RowWhere([](const VQXDisplayNode& n) { return n.IceRoughnessMode == 0; });
    ASSERT_GT(row, 0);
    const int iceNode = Table()->RowNodes[std::size_t(row)]->Number;
    Edit(row, ColumnOf(IceRoughnessModeColumn), "1");
    Accept();
    row = RowOfNode(iceNode);
    EXPECT_TRUE(ReadOnly(row, ColumnOf(IceRoughnessColumn)));
    Edit(row, ColumnOf(IceRoughnessModeColumn), "0");
    Accept();
    row = RowOfNode(iceNode);
    EXPECT_FALSE(ReadOnly(row, ColumnOf(IceRoughnessColumn)));
}

// The table takes no drops: a text dragged over a writable cell is refused and a drop changes
// nothing.
TEST_F(NodeTableViewTest, DropsIntoTheTableAreRefused)
{
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    const int col = ColumnOf(StageColumn);
    const int row = WritableRow(col);
    CRect cell;
    ASSERT_TRUE(Grid().GetCellRect(row, col, &cell));
    const std::string before = Grid().CellText(row, col);
    COleDataObject data;
    data.AttachText("123.5");
    EXPECT_EQ(Grid().DragEnter(&data, 0, cell.CenterPoint()), DROPEFFECT(DROPEFFECT_NONE));
    EXPECT_EQ(Grid().DragOver(&data, MK_CONTROL, cell.CenterPoint()), DROPEFFECT(DROPEFFECT_NONE));
    EXPECT_FALSE(Grid().Drop(&data, DROPEFFECT_COPY, cell.CenterPoint()));
    ProcessEvents();
    EXPECT_EQ(Grid().CellText(row, col), before);
    EXPECT_FALSE(Modified(row, col));
    EXPECT_EQ(Doc()->NodeTableEdited, 0);
}

// Delete on a block clears its writable cells through the edit check: 0 with the column's
// decimals, red and waiting; the node numbers and the grey cells keep their texts.
TEST_F(NodeTableViewTest, DeleteOfABlock)
{
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    const int last = ColumnOf(FluxColumn);
    std::vector<std::vector<std::string>> before(3);
    for (int row = 1; row <= 2; ++row)
        for (int c = 0; c <= last; ++c) before[std::size_t(row)].push_back(Grid().CellText(row, c));
    Grid().SetSelectedRange(1, 0, 2, last);
    Grid().SetFocusCell(1, 0);
    Key(Qt::Key_Delete);
    int cleared = 0;
    for (int row = 1; row <= 2; ++row) {
        for (int c = 0; c <= last; ++c) {
            if (c == 0 || ReadOnly(row, c)) {
                EXPECT_EQ(Grid().CellText(row, c), before[std::size_t(row)][std::size_t(c)]) << row << ", " << c;
                EXPECT_FALSE(Modified(row, c));
                continue;
            }
            ++cleared;
            EXPECT_TRUE(Modified(row, c)) << row << ", " << c;
            EXPECT_EQ(Grid().CellAt(row, c)->GetTextColor(), RGB(255, 0, 0));
            EXPECT_EQ(Grid().CellText(row, c),
                      NodeTableColumns::CellText(0.0, VQXDisplayNode::ColumnDecimals(Table()->ColumnIds[std::size_t(c)])));
        }
    }
    EXPECT_GT(cleared, 0);
    EXPECT_EQ(Doc()->NodeTableEdited, 1);
}

// An Apply in the cross-section editor while node-table edits wait: the table shows the values
// the Apply refreshed but keeps the waiting edit, which Accept then writes.
TEST_F(NodeTableViewTest, CrossSectionApplyKeepsWaitingEdits)
{
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    const int col = ColumnOf(DischargeColumn);
    const int row = WritableRow(col);
    const int number = Table()->RowNodes[std::size_t(row)]->Number;
    Edit(row, col, "77.125");
    ASSERT_TRUE(Modified(row, col));

    Tabs().SetActiveTab(CVasquilView::CrossSectionTab);
    ProcessEvents();
    auto* editor = static_cast<CXSectionView*>(Tabs().GetTabWnd(CVasquilView::CrossSectionTab));
    editor->UpdateWindow();
    ProcessEvents();
    ASSERT_NE(editor->Node, nullptr) << "the fixture needs a node with a section";
    CGridCtrl& points = editor->PointsGrid;
    const double lower = VQXTextFormat::ParseLeadingDouble(points.CellText(2, 2)) - 0.5;
    points.SetFocusCell(2, 2);
    points.SetCellTextChecked(2, 2, FormatXSectionNumber(lower));
    ProcessEvents();
    ASSERT_EQ(editor->Modified, 1);
    editor->OnApplyChanges();
    ProcessEvents();
    EXPECT_EQ(editor->Modified, 0);

    Tabs().SetActiveTab(CVasquilView::NodeTableTab);
    ProcessEvents();
    Table()->UpdateWindow();
    ProcessEvents();
    EXPECT_EQ(Doc()->NodeTableEdited, 1);
    ASSERT_EQ(Table()->RowNodes[std::size_t(row)]->Number, number);
    EXPECT_TRUE(Modified(row, col));
    EXPECT_EQ(Grid().CellText(row, col), NodeTableColumns::CellText(77.125, VQXDisplayNode::ColumnDecimals(DischargeColumn)));
    // The applied node's bed shows its new lowest point.
    const int applied = RowOfNode(editor->Node->Number);
    ASSERT_GT(applied, 0);
    EXPECT_EQ(Grid().CellText(applied, ColumnOf(InvertColumn)),
              NodeTableColumns::CellText(editor->Node->Invert, VQXDisplayNode::ColumnDecimals(InvertColumn)));

    Accept();
    const int after = RowOfNode(number);
    EXPECT_NEAR(Table()->RowNodes[std::size_t(after)]->Discharge, 77.125, 1e-9);
    EXPECT_EQ(Doc()->NodeTableEdited, 0);
}

// A reach number accepted into a node: the display model's reach list and the document's reach
// names, which the options dialogs pair by position, both have the new reach in their order.
TEST_F(NodeTableViewTest, ReachNamesFollowAReachEdit)
{
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    const std::vector<int> before = Doc()->DisplayModel->ReachNumbers;
    ASSERT_FALSE(before.empty());
    const int reach = *std::max_element(before.begin(), before.end()) + 1;
    const int row = Grid().RowCount() - 1;
    Edit(row, ColumnOf(ReachColumn), std::to_string(reach));
    Accept();
    const std::vector<int>& numbers = Doc()->DisplayModel->ReachNumbers;
    EXPECT_NE(std::find(numbers.begin(), numbers.end(), reach), numbers.end());
    ASSERT_EQ(Doc()->ReachNames.size(), numbers.size());
    for (std::size_t k = 0; k < numbers.size(); ++k) EXPECT_EQ(Doc()->ReachNames[k], "Reach " + std::to_string(numbers[k]));
}

// While a run goes the table takes no edit by any road (typing, Delete, Cut, Paste, Set Values),
// its edit commands are grey, and the values still follow a refresh; afterwards it edits again.
TEST_F(NodeTableViewTest, EditsDuringARunAreRefused)
{
    ASSERT_TRUE(OpenOnTable("ft0-metric.vqx"));
    ASSERT_NE(Doc()->TransientDialog, nullptr);
    const int col = ColumnOf(StageColumn);
    const int row = WritableRow(col);
    const std::string before = Grid().CellText(row, col);
    Grid().SetSelectedRange(row, col, row, col);
    Table()->OnEditCopy();

    Doc()->TransientDialog->Running = 1;  // as Run sets it while the worker steps
    Edit(row, col, "12.5");
    Grid().SetSelectedRange(row, col - 1, row + 1, col);
    Grid().SetFocusCell(row, col);
    Key(Qt::Key_Delete);
    Frame()->SendMessage(WM_COMMAND, ID_EDIT_CUT, 0);
    Frame()->SendMessage(WM_COMMAND, ID_EDIT_PASTE, 0);
    ModalDialogInterceptor dialogs;
    Frame()->SendMessage(WM_COMMAND, ID_TABLE_SET_VALUES, 0);
    ProcessEvents();
    EXPECT_TRUE(dialogs.shown.empty()) << "Set Values asked for a value during the run";
    EXPECT_EQ(Grid().CellText(row, col), before);
    for (int r = 1; r < Grid().RowCount(); ++r)
        for (int c = 0; c < Grid().ColumnCount(); ++c) EXPECT_FALSE(Modified(r, c)) << r << ", " << c;
    EXPECT_EQ(Doc()->NodeTableEdited, 0);
    for (UINT id : {ID_TABLE_ACCEPT_CHANGES, ID_TABLE_REJECT_CHANGES, ID_TABLE_SET_VALUES, ID_EDIT_CUT, ID_EDIT_PASTE}) {
        CCmdUI command;
        command.m_nID = id;
        if (id == ID_TABLE_SET_VALUES) Table()->OnUpdateSetValues(&command);
        else if (id == ID_EDIT_CUT || id == ID_EDIT_PASTE) Table()->OnUpdateEditCutPaste(&command);
        else Table()->OnUpdateAcceptChanges(&command);
        ASSERT_TRUE(command.m_enabled.has_value()) << id;
        EXPECT_FALSE(*command.m_enabled) << id;
    }
    // The step's values still show.
    VQXDisplayNode* node = Table()->RowNodes[std::size_t(row)];
    node->Stage += 1.0;
    Doc()->State->RefreshFlag = 1;
    Table()->UpdateWindow();
    Table()->Invalidate();
    Table()->UpdateWindow();
    ProcessEvents();
    EXPECT_EQ(Grid().CellText(row, col), NodeTableColumns::CellText(node->Stage, VQXDisplayNode::ColumnDecimals(StageColumn)));

    Doc()->TransientDialog->Running = 0;
    Edit(row, col, "12.5");
    EXPECT_TRUE(Modified(row, col));
    EXPECT_EQ(Doc()->NodeTableEdited, 1);
}

}  // namespace
