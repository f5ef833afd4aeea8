// The Manning's n and bridging-event editors as a user works them: the cells they show, the
// edits they accept and refuse, and what Apply writes into the display, the engine and a saved
// file. Edits arrive as the grid hands over a typed, pasted or dropped text.
#include "RunTestSupport.h"

#include "app/EditBridgingEventsDlg.h"
#include "app/EditManningsDlg.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "engine/EngineData.h"
#include "engine/Units.h"

#include <QClipboard>
#include <QGuiApplication>

#include <map>

namespace {

using namespace run_test;

// The engine's node of a number.
NodeRecord* EngineNode(int number)
{
    for (NodeRecord* n = g_Nodes; n; n = n->Next)
        if (n->Number == number) return n;
    return nullptr;
}

class EditGridDialogsTest : public RunTest
{
protected:
    // Opens another model without the question about the changes made to the one open.
    bool Open(const std::filesystem::path& source, const std::string& name = "river.vqx")
    {
        if (CVasquilDoc* doc = Doc()) doc->SetModifiedFlag(FALSE);
        return RunTest::Open(source, name);
    }
    void TearDown() override
    {
        if (CVasquilDoc* doc = Doc()) doc->SetModifiedFlag(FALSE);
        RunTest::TearDown();
    }
    // ft0-metric with node 4's bed roughness negative: natural nodes (2, 3), rectangular ones
    // (1) and one whose n is edited in the node table (4).
    bool OpenMixedNodes()
    {
        std::string text = ReadFile(Data("ft0-metric.vqx"));
        const std::string row4 = "\t4\t19.4\t0\t1\t500600.1235\t6000000.5000\t0.6\t99.7\t0.03\t";
        const std::size_t at = text.find(row4);
        if (at == std::string::npos) return false;
        text.replace(at, row4.size(), "\t4\t19.4\t0\t1\t500600.1235\t6000000.5000\t0.6\t99.7\t-1\t");
        const std::filesystem::path source = folder_ / "mixed.vqx";
        std::ofstream(source, std::ios::binary) << text;
        return Open(source);
    }
    // Runs an editor through its command; act plays the user on the live dialog, then Close.
    template <class Dialog>
    void Edit(UINT command, UINT templateId, const std::function<void(Dialog&)>& act)
    {
        ModalDialogInterceptor interceptor;
        interceptor.scripts.push_back([&](CDialog& live) {
            act(static_cast<Dialog&>(live));
            Press(&live, IDCANCEL);
        });
        Doc()->CrossSectionViewReset = Doc()->NodeTableRebuild = Doc()->PlanViewReset = 0;
        Command(command);
        EXPECT_EQ(interceptor.shown, std::vector<UINT>{templateId});
    }
    static bool ApplyEnabled(CDialog& d) { return d.GetDlgItem(IDC_EDIT_APPLY)->IsWindowEnabled() != FALSE; }
    static bool ReadOnly(CGridCtrl& g, int row, int col) { return (g.CellState(row, col) & CellStateReadOnly) != 0; }
    static COLORREF TextColour(CGridCtrl& g, int row, int col) { return g.CellAt(row, col)->GetTextColor(); }
};

// The rows of Manning's n: roughness row 0 of a natural node, the bed roughness of a
// rectangular one between its two greyed overbanks, and a node edited in the node table.
TEST_F(EditGridDialogsTest, ManningsNShowsEachKindOfNode)
{
    ASSERT_TRUE(OpenMixedNodes());
    Edit<CEditManningsDlg>(ID_SIMULATION_EDIT_MANNINGS_N, IDD_EDIT_MANNINGS, [&](CEditManningsDlg& d) {
        CGridCtrl& g = d.Grid;
        EXPECT_FALSE(ApplyEnabled(d));
        ASSERT_EQ(g.RowCount(), 13);
        ASSERT_EQ(g.ColumnCount(), 4);
        EXPECT_EQ(g.FixedRowCount(), 1);
        EXPECT_EQ(g.FixedColumnCount(), 1);
        const std::vector<std::vector<std::string>> rows = {
            {"Node #", "Left Overbank", "Main Channel", "Right Overbank"},
            {"1", "Rect Channel NA", "0.030", "Rect Channel NA"},
            {"2", "0.032", "0.032", "0.032"},
            {"3", "0.060", "0.035", "0.050"},
            {"4", "Rect Channel NA", "Edit in Node Table", "Rect Channel NA"},
        };
        for (int row = 0; row < int(rows.size()); ++row)
            for (int col = 0; col < 4; ++col) EXPECT_EQ(g.CellText(row, col), rows[std::size_t(row)][std::size_t(col)]);
        for (int col : {1, 3}) {
            EXPECT_TRUE(ReadOnly(g, 1, col));
            EXPECT_EQ(TextColour(g, 1, col), RGB(133, 133, 133));
        }
        EXPECT_FALSE(ReadOnly(g, 1, 2));
        EXPECT_TRUE(ReadOnly(g, 4, 2));
        EXPECT_FALSE(ReadOnly(g, 3, 2));
        // A read-only cell takes no text.
        g.SetCellTextChecked(4, 2, "0.02");
        EXPECT_EQ(g.CellText(4, 2), "Edit in Node Table");
        EXPECT_FALSE(ApplyEnabled(d));
    });
}

// Digits and a point only, and a finite value: what passes shows three decimals, red and
// marked, and enables Apply; what does not leaves the cell as it was.
TEST_F(EditGridDialogsTest, AnEditIsANumberOfDigitsAndAPoint)
{
    ASSERT_TRUE(OpenMixedNodes());
    struct Case {
        std::string typed;
        std::string shown;  // empty: refused
    };
    const Case cases[] = {
        {"0.05", "0.050"}, {"2", "2.000"},  {"", "0.000"},     {".5", "0.500"},   {"-0.05", ""},
        {"1e3", ""},       {"0,05", ""},    {" 0.05", ""},     {"abc", ""},       {std::string(400, '9'), ""},
    };
    Edit<CEditManningsDlg>(ID_SIMULATION_EDIT_MANNINGS_N, IDD_EDIT_MANNINGS, [&](CEditManningsDlg& d) {
        CGridCtrl& g = d.Grid;
        for (const Case& c : cases) {
            SCOPED_TRACE(c.typed.substr(0, 12));
            const std::string before = g.CellText(2, 2);
            g.MarkModified(FALSE, 2, 2);
            g.SetCellTextChecked(2, 2, c.typed);
            if (c.shown.empty()) {
                EXPECT_EQ(g.CellText(2, 2), before);
                EXPECT_FALSE(g.CellState(2, 2) & CellStateModified);
            } else {
                EXPECT_EQ(g.CellText(2, 2), c.shown);
                EXPECT_TRUE(g.CellState(2, 2) & CellStateModified);
                EXPECT_EQ(TextColour(g, 2, 2), RGB(255, 0, 0));
                EXPECT_TRUE(ApplyEnabled(d));
            }
        }
    });
}

// Apply of one channel n rebuilds that node's table with its level count and leaves every
// other node's table as it was; a rectangular node's n reaches the engine and the saved file.
// Close after Apply is OK: the document rebuilds the cross-section editor and the node table.
TEST_F(EditGridDialogsTest, ApplyWritesTheChangedNodesOnly)
{
    ASSERT_TRUE(OpenMixedNodes());
    std::map<int, SectionStorage> tables;
    for (NodeRecord* n = g_Nodes; n; n = n->Next)
        if (n->CrossSection) tables[n->Number] = n->CrossSection->Properties;
    const int levels = EngineNode(3)->CrossSection->LevelCount;
    const double leftBefore = EngineNode(3)->CrossSection->Column(LeftN)[0];

    Edit<CEditManningsDlg>(ID_SIMULATION_EDIT_MANNINGS_N, IDD_EDIT_MANNINGS, [&](CEditManningsDlg& d) {
        d.Grid.SetCellTextChecked(3, 2, "0.04");
        d.Grid.SetCellTextChecked(1, 2, "0.05");
        Press(&d, IDC_EDIT_APPLY);
        EXPECT_FALSE(ApplyEnabled(d));
        EXPECT_EQ(TextColour(d.Grid, 3, 2), RGB(0, 0, 0));
        EXPECT_FALSE(d.Grid.CellState(3, 2) & CellStateModified);
    });
    EXPECT_EQ(Doc()->CrossSectionViewReset, 1);
    EXPECT_EQ(Doc()->NodeTableRebuild, 1);

    const CrossSectionTable* t = EngineNode(3)->CrossSection;
    ASSERT_EQ(t->LevelCount, levels);
    // Every level's channel n is the edited 0.04 (row 0 rules below the next row's elevation,
    // row 1 the levels above it): at least the lowest level takes it; the overbanks keep theirs.
    EXPECT_DOUBLE_EQ(t->Column(ChannelN)[0], 0.04);
    EXPECT_DOUBLE_EQ(t->Column(LeftN)[0], leftBefore);
    for (const auto& [number, properties] : tables)
        if (number != 3) {
            EXPECT_EQ(EngineNode(number)->CrossSection->Properties, properties) << number;
        }
    EXPECT_DOUBLE_EQ(EngineNode(1)->ManningN, 0.05);

    {
        MessageBoxSink boxes;
        Command(ID_FILE_SAVE);
        EXPECT_TRUE(boxes.shown.empty());
    }
    const std::filesystem::path saved = model_;
    ASSERT_TRUE(Open(saved, "reopened.vqx"));
    EXPECT_DOUBLE_EQ(EngineNode(1)->ManningN, 0.05);
    EXPECT_DOUBLE_EQ(Doc()->DisplayModel->FirstNode()->BedRoughness, 0.05);
}

// A block pasted into several cells is written by one Apply, and the model counts as modified;
// Close without Apply is Cancel and changes nothing.
TEST_F(EditGridDialogsTest, OneApplyWritesEveryMarkedCellAndCloseAloneCancels)
{
    ASSERT_TRUE(OpenMixedNodes());
    Edit<CEditManningsDlg>(ID_SIMULATION_EDIT_MANNINGS_N, IDD_EDIT_MANNINGS, [&](CEditManningsDlg& d) {
        d.Grid.SetCellTextChecked(2, 1, "0.041");
    });
    EXPECT_EQ(Doc()->CrossSectionViewReset, 0);
    EXPECT_DOUBLE_EQ(Doc()->DisplayModel->FirstNode()->BedRoughness, 0.03);

    EXPECT_FALSE(Doc()->IsModified());
    Edit<CEditManningsDlg>(ID_SIMULATION_EDIT_MANNINGS_N, IDD_EDIT_MANNINGS, [&](CEditManningsDlg& d) {
        // A block pasted from the top left of the selection: a refused field (the sign) keeps
        // its cell as it was.
        QGuiApplication::clipboard()->setText("0.041\t0.042\t0.043\r\n0.060\t0.035\t0.07\r\n-1\r\n");
        d.Grid.SetSelectedRange(2, 1, 2, 1);
        d.Grid.SetFocusCell(2, 1);
        CCmdUI paste;
        paste.m_nID = ID_EDIT_PASTE;
        paste.DoUpdate(&d, FALSE);
        EXPECT_TRUE(paste.m_enabled.value_or(false));
        d.SendMessage(WM_COMMAND, ID_EDIT_PASTE, 0);
        EXPECT_EQ(d.Grid.CellText(2, 2), "0.042");
        EXPECT_EQ(d.Grid.CellText(3, 3), "0.070");
        EXPECT_EQ(d.Grid.CellText(4, 1), "Rect Channel NA");
        EXPECT_TRUE(ApplyEnabled(d));
        Press(&d, IDC_EDIT_APPLY);
    });
    EXPECT_TRUE(Doc()->IsModified());
    VQXDisplayLib::VQXDisplayModel& dm = *Doc()->DisplayModel;
    dm.FirstNode();
    VQXDisplayLib::VQXDisplayNode* node2 = dm.NextNode();
    VQXDisplayLib::VQXDisplayNode* node3 = dm.NextNode();
    const auto* r2 = node2->CrossSection->GetRoughnessRow(0);
    EXPECT_DOUBLE_EQ(r2->LeftN, 0.041);
    EXPECT_DOUBLE_EQ(r2->ChannelN, 0.042);
    EXPECT_DOUBLE_EQ(r2->RightN, 0.043);
    EXPECT_DOUBLE_EQ(node3->CrossSection->GetRoughnessRow(0)->RightN, 0.07);
    EXPECT_DOUBLE_EQ(EngineNode(2)->CrossSection->Column(RightN)[0], 0.043);
}

// The bridging events: times in hours become seconds, locations in km or mi become metres;
// all three values of a changed row are written.
TEST_F(EditGridDialogsTest, BridgingEventsWriteMetresAndSeconds)
{
    struct Case {
        const char* model;
        const char* location;  // the heading of column 1
        double metresPerUnit;
    };
    const Case cases[] = {{"ft3-metric.vqx", "Bridging Location (km)", 1000.0},
                          {"ft3-imperial.vqx", "Bridging Location (mi)", 5280 * MetresPerFoot}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        ASSERT_TRUE(Open(Data(c.model)));
        const double front = g_BridgingEvents->FrontLocation;
        Edit<CEditBridgingEventsDlg>(
            ID_SIMULATION_EDIT_BRIDGING_EVENTS, IDD_EDIT_BRIDGING_EVENTS, [&](CEditBridgingEventsDlg& d) {
                CGridCtrl& g = d.Grid;
                EXPECT_EQ(g.RowCount(), 4);
                EXPECT_EQ(g.CellText(0, 0), "Bridging Event #");
                EXPECT_EQ(g.CellText(0, 1), c.location);
                EXPECT_EQ(g.CellText(0, 2), "Bridging Time (hrs)");
                EXPECT_EQ(g.CellText(1, 0), "1");
                g.SetCellTextChecked(1, 2, "2");
                EXPECT_EQ(g.CellText(1, 2), "2.000");
                EXPECT_EQ(TextColour(g, 1, 2), RGB(255, 0, 0));
                g.SetCellTextChecked(2, 1, "1.5");
                Press(&d, IDC_EDIT_APPLY);
                EXPECT_EQ(TextColour(g, 1, 2), RGB(0, 0, 0));
            });
        EXPECT_EQ(Doc()->PlanViewReset, 1);
        EXPECT_DOUBLE_EQ(g_BridgingEvents->BridgingTime, 7200.0);
        EXPECT_NEAR(g_BridgingEvents->FrontLocation, front, 1e-9 * std::fabs(front));
        EXPECT_NEAR(g_BridgingEvents->Next->BridgingLocation, 1.5 * c.metresPerUnit, 1e-9);
        EXPECT_DOUBLE_EQ(Doc()->DisplayModel->FirstEvent()->BridgingTime, 2.0);
    }
}

// A value longer than any buffer ("%.3f" of 1e299 has over 300 characters) is read whole.
TEST_F(EditGridDialogsTest, ALongValueIsReadWhole)
{
    ASSERT_TRUE(Open(Data("ft3-metric.vqx")));
    const std::string typed = "1" + std::string(299, '0');
    Edit<CEditBridgingEventsDlg>(ID_SIMULATION_EDIT_BRIDGING_EVENTS, IDD_EDIT_BRIDGING_EVENTS,
                                 [&](CEditBridgingEventsDlg& d) {
                                     d.Grid.SetCellTextChecked(1, 2, typed);
                                     EXPECT_GT(d.Grid.CellText(1, 2).size(), 300u);
                                     Press(&d, IDC_EDIT_APPLY);
                                 });
    EXPECT_DOUBLE_EQ(Doc()->DisplayModel->FirstEvent()->BridgingTime, 1e299);
}

// A thermal model without events shows the heading row only, and Apply changes nothing; the
// command waits for a thermal model.
TEST_F(EditGridDialogsTest, NoEventsShowTheHeadingsOnly)
{
    ASSERT_TRUE(Open(Data("ft0-metric.vqx")));
    EXPECT_FALSE(Enabled(ID_SIMULATION_EDIT_BRIDGING_EVENTS));
    EXPECT_TRUE(Enabled(ID_SIMULATION_EDIT_MANNINGS_N));
    ASSERT_TRUE(Open(Data("ft3-metric.vqx")));
    EXPECT_TRUE(Enabled(ID_SIMULATION_EDIT_BRIDGING_EVENTS));
    Doc()->State->PullGlobalSettings();
    Doc()->State->EventCount = 0;
    Doc()->State->PushGlobalSettings();
    ASSERT_EQ(Doc()->DisplayModel->EventList.Count, 0);
    Edit<CEditBridgingEventsDlg>(ID_SIMULATION_EDIT_BRIDGING_EVENTS, IDD_EDIT_BRIDGING_EVENTS,
                                 [&](CEditBridgingEventsDlg& d) {
                                     EXPECT_EQ(d.Grid.RowCount(), 1);
                                     EXPECT_EQ(d.Grid.CellText(0, 3), "Ice Front Location (km)");
                                     Press(&d, IDC_EDIT_APPLY);
                                 });
    EXPECT_EQ(g_ModelControl.BridgingEventCount, 0);
}

// The columns fill the grid's width, and a sort by the node numbers orders them as numbers
// (a text order would put 10, 11 and 12 straight after 1).
TEST_F(EditGridDialogsTest, ManningsNFillsTheWidthAndSortsByNumber)
{
    ASSERT_TRUE(OpenMixedNodes());
    Edit<CEditManningsDlg>(ID_SIMULATION_EDIT_MANNINGS_N, IDD_EDIT_MANNINGS, [&](CEditManningsDlg& d) {
        CGridCtrl& g = d.Grid;
        CRect client;
        g.GetClientRect(&client);
        EXPECT_EQ(g.TotalWidth(), client.Width());
        for (int col = 0; col < g.ColumnCount(); ++col) EXPECT_GT(g.ColumnWidth(col), 0) << col;
        g.SortByColumn(0, FALSE);
        EXPECT_EQ(g.CellText(1, 0), "12");
        g.SortByColumn(0, TRUE);
        for (int row = 1; row < g.RowCount(); ++row) EXPECT_EQ(g.CellText(row, 0), std::to_string(row)) << row;
    });
}

}  // namespace
