// A walk through the node table as a user takes it, on copies of the sample river and its
// water-quality data in a work folder: the Node Table Editor tab lists every node with the
// water-quality columns; a stage typed key by key, a two-column block pasted and Set Values
// over a block wait in red; Save asks first and a run refuses to start; Accept, Save, Save WQ
// Data, and both files reopened show the values. Then the results database every time step
// and a two-hour Transient WQ Simulation started from the table: after every step each row's
// H and Qflux are that step's H_m and Qf_cms in the database with the column's decimals, no
// cell is red, typing and pasting are refused and Accept, Reject and Set Values are grey; after
// the run a typed value waits again. Last, a transient dialog the table hides shows again on
// the Profile tab.
//
// The acceptance test runs it headless; the node-table tour runs it on a (virtual) display and
// saves the screen at its stops. Both report every check that fails.
#pragma once

#include "TourSteps.h"

#include "app/RunTransDlg.h"
#include "app/RunTransWQDlg.h"
#include "app/VasquilDoc.h"
#include "controls/GridCtrl.h"
#include "controls/InPlaceEdit.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "datalib/TextFormat.h"
#include "engine/EngineData.h"
#include "platform/Application.h"
#include "platform/Dialog.h"
#include "platform/DocTemplate.h"
#include "platform/Frame.h"
#include "platform/TestHooks.h"
#include "resources/NodeTableDialogs.h"
#include "resources/ResourceIds.h"
#include "views/NodeTableColumns.h"
#include "views/NodeTableView.h"
#include "views/VasquilView.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>
#include <QThread>

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace node_table_tour {

using Observer = tour_steps::Observer;
using VQXDisplayLib::VQXDisplayNode;

// Column ids of the node quantities the tour edits and watches.
constexpr int StageId = 11;
constexpr int DischargeId = 12;
constexpr int FluxId = 13;
constexpr int VelocityId = 32;
constexpr int OxygenId = 41;
constexpr int AmmoniaId = 42;

constexpr COLORREF Red = RGB(255, 0, 0);

class Tour : private tour_steps::TourSteps
{
public:
    // work: where the copies, the run's database and the saved files go; examples: where the
    // sample river and its water-quality file are.
    Tour(const std::filesystem::path& work, const std::filesystem::path& examples, Observer& observer)
        : TourSteps(observer), work_(work), examples_(examples)
    {}

    bool Run()
    {
        std::filesystem::create_directories(work_);
        if (!OpenCopies()) return false;
        ShowTab(CVasquilView::NodeTableTab);
        CheckTable("the opened table");
        Shot("table-open");
        TypeStage();
        PasteBlock();
        SetValuesOverBlock();
        SaveAsksAndRunRefuses();
        AcceptSaveAndReopen();
        RunWaterQuality();
        EditAfterRun();
        HiddenDialogShowsOnProfile();
        SizeAndFilter();
        for (const MessageBoxRequest& box : boxes_.shown) {
            if (!Expected(box.text)) Expect(false, "no other message box, but: " + box.text);
        }
        return failures_ == 0;
    }

private:
    struct Edit {
        int node;  // number
        int id;    // column id
        double value;
    };

    bool Find()
    {
        frame_ = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
        main_ = frame_ ? dynamic_cast<CVasquilView*>(frame_->GetDlgItem(int(AFX_IDW_PANE_FIRST))) : nullptr;
        view_ = main_ ? dynamic_cast<CNodeTableView*>(main_->TabControl.GetTabWnd(CVasquilView::NodeTableTab))
                      : nullptr;
        doc_ = view_ ? view_->GetDocument() : nullptr;
        Expect(doc_ != nullptr, "the node table is the fourth tab of the program's view");
        return doc_ != nullptr;
    }

    // The sample river and its water-quality data copied into the work folder and opened.
    bool OpenCopies()
    {
        model_ = work_ / "sample-river.vqx";
        quality_ = work_ / "sample-river.nu";
        std::filesystem::copy_file(examples_ / "sample-river.vqx", model_,
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy_file(examples_ / "sample-river.nu", quality_,
                                   std::filesystem::copy_options::overwrite_existing);
        AfxGetApp()->OpenDocumentFile(model_);
        Events();
        if (!Find()) return false;
        Expect(doc_->DisplayModel != nullptr, "the copy of the sample river opens");
        if (!doc_->DisplayModel) return false;
        OpenQuality();
        return doc_->WaterQualityLoaded == 1;
    }
    void OpenQuality()
    {
        files_.answers = {quality_};
        Command(ID_WQ_OPEN_DATA);
        Expect(doc_->WaterQualityLoaded == 1, "the copy of the water-quality data loads");
    }
    void ShowTab(int tab)
    {
        main_->TabControl.SetActiveTab(tab);
        Events();
        Settle(100);
        if (tab == CVasquilView::NodeTableTab) view_->UpdateWindow();
        Events();
    }

    CGridCtrl& Grid() const { return view_->Grid; }
    int ColumnOf(int id) const
    {
        for (std::size_t j = 0; j < view_->ColumnIds.size(); ++j)
            if (view_->ColumnIds[j] == id) return int(j);
        return -1;
    }
    int RowOf(int number) const
    {
        for (std::size_t i = 1; i < view_->RowNodes.size(); ++i)
            if (view_->RowNodes[i]->Number == number) return int(i);
        return -1;
    }
    VQXDisplayNode* NodeOf(int number) const
    {
        for (VQXDisplayNode* n = doc_->DisplayModel->FirstNode(); n; n = doc_->DisplayModel->NextNode())
            if (n->Number == number) return n;
        return nullptr;
    }
    bool ReadOnly(int row, int col) const { return (Grid().CellState(row, col) & CellStateReadOnly) != 0; }
    bool Waiting(int row, int col) const
    {
        return (Grid().CellState(row, col) & CellStateModified) != 0 && Grid().CellAt(row, col) &&
               Grid().CellAt(row, col)->GetTextColor() == Red;
    }
    static std::string Cell(double value, int id)
    {
        return NodeTableColumns::CellText(value, VQXDisplayNode::ColumnDecimals(id));
    }
    static double Tolerance(int id) { return 0.51 * std::pow(10.0, -VQXDisplayNode::ColumnDecimals(id)); }

    // Every node a row under the titles, the columns of the model's file type with its
    // water-quality data, each value cell its node's value.
    void CheckTable(const std::string& what)
    {
        int nodes = 0;
        for (VQXDisplayNode* n = doc_->DisplayModel->FirstNode(); n; n = doc_->DisplayModel->NextNode()) ++nodes;
        Expect(Grid().RowCount() == nodes + 1, what + ": a row for each of the " + std::to_string(nodes) + " nodes");
        Expect(view_->ColumnIds == NodeTableColumns::ColumnIds(doc_->State->FileType, true, doc_->State->WQType),
               what + ": the columns of the file type and its water-quality data");
        Expect(ColumnOf(OxygenId) > 0, what + ": the water-quality columns show");
        if (Grid().RowCount() != nodes + 1) return;
        for (int row = 1; row < Grid().RowCount(); ++row) {
            const VQXDisplayNode* node = view_->RowNodes[std::size_t(row)];
            for (int col = 1; col < Grid().ColumnCount(); ++col) {
                const int id = view_->ColumnIds[std::size_t(col)];
                if (Grid().CellText(row, col) != Cell(node->GetColumnValue(id), id)) {
                    Expect(false, what + ": node " + std::to_string(node->Number) + "'s cell of column " +
                                      std::to_string(id) + " shows its value");
                    return;
                }
            }
        }
    }

    // Where a key goes: the cell's editor while one is open, else the grid (a user types with
    // the table in front, never into the run dialog).
    static QWidget* KeyTarget(CGridCtrl& grid)
    {
        CWnd* editor = grid.GetDlgItem(int(InPlaceEditId));
        if (editor && editor->GetWidget() && editor->GetWidget()->isVisible()) {
            QWidget* focus = QApplication::focusWidget();
            return focus && editor->GetWidget()->isAncestorOf(focus) ? focus : editor->GetWidget();
        }
        return grid.GetWidget();
    }
    static void Keys(const std::string& text, CGridCtrl& grid)
    {
        for (const char c : text) {
            QTest::keyClick(KeyTarget(grid), c);
            Events();
        }
    }
    static void Key(int key, CGridCtrl& grid)
    {
        QTest::keyClick(KeyTarget(grid), Qt::Key(key));
        Events();
    }
    // The cell selected and focused, the text typed key by key and Enter pressed.
    void Type(int row, int col, const std::string& text)
    {
        frame_->GetWidget()->activateWindow();
        Grid().SetFocus();
        Grid().SetSelectedRange(row, col, row, col);
        Grid().SetFocusCell(row, col);
        Events();
        Keys(text, Grid());
        Key(Qt::Key_Return, Grid());
    }

    void TypeStage()
    {
        const int col = ColumnOf(StageId);
        const int row = 2;
        VQXDisplayNode* node = view_->RowNodes[std::size_t(row)];
        // A stage of two decimals, as a user types it.
        const double stage = std::round((node->Stage + 0.25) * 100.0) / 100.0;
        char typed[32];
        std::snprintf(typed, sizeof typed, "%.2f", stage);
        Type(row, col, typed);
        Expect(Grid().CellText(row, col) == Cell(stage, StageId),
               "the typed stage shows with three decimals: " + Grid().CellText(row, col));
        Expect(Waiting(row, col), "the typed stage is red and waits");
        Expect(doc_->NodeTableEdited == 1, "a typed stage marks the table edited");
        Expect(node->Stage != stage, "the node keeps its stage until Accept");
        edits_.push_back({node->Number, StageId, stage});
        Shot("typed-stage");
    }

    // DO and ammonia of two rows, copied from a spreadsheet and pasted at the block's corner.
    void PasteBlock()
    {
        const int col = ColumnOf(OxygenId);
        const int row = 5;
        const double values[2][2] = {{9.25, 0.0625}, {9.125, 0.075}};
        std::ostringstream block;
        for (const auto& line : values) block << line[0] << '\t' << line[1] << "\r\n";
        QGuiApplication::clipboard()->setText(QString::fromStdString(block.str()));
        Grid().SetSelectedRange(row, col, row, col);
        Grid().SetFocusCell(row, col);
        Command(ID_EDIT_PASTE);
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 2; ++c) {
                const int id = c == 0 ? OxygenId : AmmoniaId;
                const std::string where = "pasted cell (" + std::to_string(row + r) + ", " + std::to_string(col + c) + ")";
                Expect(view_->ColumnIds[std::size_t(col + c)] == id, where + ": DO and ammonia stand side by side");
                Expect(Grid().CellText(row + r, col + c) == Cell(values[r][c], id),
                       where + " shows " + Cell(values[r][c], id) + ", not " + Grid().CellText(row + r, col + c));
                Expect(Waiting(row + r, col + c), where + " is red and waits");
                edits_.push_back({view_->RowNodes[std::size_t(row + r)]->Number, id, values[r][c]});
            }
        }
        Shot("pasted-block");
    }

    // The velocity, discharge and Qflux of three rows: only the discharge takes values; the two
    // grey columns keep theirs.
    void SetValuesOverBlock()
    {
        const int left = ColumnOf(VelocityId), right = ColumnOf(FluxId);
        Expect(left >= 0 && right == left + 2 && ColumnOf(DischargeId) == left + 1,
               "velocity, discharge and Qflux stand side by side");
        const int first = 8, last = 10;
        const double discharge = view_->RowNodes[std::size_t(first)]->Discharge + 1.5;
        std::vector<std::string> grey;
        for (int row = first; row <= last; ++row) {
            grey.push_back(Grid().CellText(row, left));
            grey.push_back(Grid().CellText(row, right));
        }
        Grid().SetSelectedRange(first, left, last, right);
        dialogs_.scripts.push_back([discharge](CDialog& d) {
            d.GetDlgItem(IDC_SET_VALUES_VALUE)->SetWindowText(Text(discharge));
            Button(d, IDOK)->Click();
        });
        const std::size_t shown = dialogs_.shown.size();
        Command(ID_TABLE_SET_VALUES);
        Expect(dialogs_.shown.size() == shown + 1 && dialogs_.shown.back() == IDD_SET_NODE_TABLE_VALUES,
               "Set Values asks for the value");
        for (int row = first; row <= last; ++row) {
            const std::string at = "Set Values, row " + std::to_string(row);
            Expect(ReadOnly(row, left) && ReadOnly(row, right), at + ": velocity and Qflux are grey");
            Expect(Grid().CellText(row, left) == grey[std::size_t(2 * (row - first))] &&
                       Grid().CellText(row, right) == grey[std::size_t(2 * (row - first) + 1)],
                   at + ": the grey cells keep their values");
            Expect(Grid().CellText(row, left + 1) == Cell(discharge, DischargeId) && Waiting(row, left + 1),
                   at + ": the discharge takes the value, red");
            edits_.push_back({view_->RowNodes[std::size_t(row)]->Number, DischargeId, discharge});
        }
        Shot("set-values");
    }

    static std::string Contents(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    void SaveAsksAndRunRefuses()
    {
        const std::string before = Contents(model_);
        const std::size_t shown = boxes_.shown.size();
        boxes_.answers.push_back(IDNO);
        Command(ID_FILE_SAVE);
        Expect(boxes_.shown.size() == shown + 1 && boxes_.shown.back().text == SaveQuestion,
               "Save asks before saving over waiting edits");
        Expect(Contents(model_) == before, "answered No, Save writes nothing");

        Command(ID_WQ_TRANSIENT_SIMULATION);
        CRunTransWQDlg* dialog = doc_->WaterQualityDialog;
        Expect(dialog && dialog->Shown, "Transient WQ Simulation shows its dialog over the table");
        if (!dialog || !dialog->Shown) return;
        dialog->GetDlgItem(IDC_TRANS_FINAL_TIME)->SetWindowText("2");
        Button(*dialog, IDC_RUN_BUTTON)->Click();
        Events();
        Expect(!dialog->Running, "the run does not start while edits wait");
        Expect(boxes_.shown.size() == shown + 2 && boxes_.shown.back().text == RunRefusal,
               "the run's refusal names the waiting edits");
        Shot("run-refused");
        dialog->OnCancel();
        Events();
        Expect(doc_->NodeTableEdited == 1, "the edits still wait");
    }

    void AcceptSaveAndReopen()
    {
        CCmdUI accept;
        accept.m_nID = ID_TABLE_ACCEPT_CHANGES;
        view_->OnUpdateAcceptChanges(&accept);
        Expect(accept.m_enabled && *accept.m_enabled, "Accept Changes is enabled while edits wait");
        Command(ID_TABLE_ACCEPT_CHANGES);
        Expect(doc_->NodeTableEdited == 0, "Accept leaves no edit waiting");
        for (int row = 1; row < Grid().RowCount(); ++row)
            for (int col = 0; col < Grid().ColumnCount(); ++col)
                if (Waiting(row, col)) Expect(false, "Accept leaves no red cell");
        CheckEdits("after Accept");
        Shot("accepted");

        const std::size_t shown = boxes_.shown.size();
        Command(ID_FILE_SAVE);
        Expect(boxes_.shown.size() == shown, "Save asks nothing once the edits are accepted");
        files_.answers = {quality_};
        Command(ID_WQ_SAVE_DATA);

        AfxGetApp()->OpenDocumentFile(model_);
        Events();
        OpenQuality();
        ShowTab(CVasquilView::NodeTableTab);
        CheckTable("the reopened table");
        CheckEdits("after Save and reopening both files");
        Shot("reopened");
    }

    // Each edit in its node, and in its cell of the table.
    void CheckEdits(const std::string& what)
    {
        for (const Edit& e : edits_) {
            const std::string at = what + ", node " + std::to_string(e.node) + " column " + std::to_string(e.id);
            const VQXDisplayNode* node = NodeOf(e.node);
            Expect(node != nullptr, at + ": the node is there");
            if (!node) continue;
            Expect(std::abs(node->GetColumnValue(e.id) - e.value) <= Tolerance(e.id),
                   at + ": holds " + Text(e.value) + ", not " + Text(node->GetColumnValue(e.id)));
            const int row = RowOf(e.node), col = ColumnOf(e.id);
            Expect(row > 0 && col > 0 && Grid().CellText(row, col) == Cell(e.value, e.id),
                   at + ": the cell shows " + Cell(e.value, e.id));
        }
    }

    // Output Options: the results database every time step.
    void SetOutputs()
    {
        database_ = work_ / "node-table-run.db";
        ChooseDatabaseEveryStep(dialogs_, files_, database_);
    }

    struct Stored {
        double stage;
        double flux;
    };
    // The rows of the newest time in the database by node, and that time (s); none when the
    // database cannot be read.
    std::map<int, Stored> NewestRows(double& time) const
    {
        std::map<int, Stored> rows;
        time = std::nan("");
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(database_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* query = nullptr;
            if (sqlite3_prepare_v2(db,
                                   "SELECT node_id, H_m, Qf_cms, time_s FROM time_series WHERE time_s = "
                                   "(SELECT MAX(time_s) FROM time_series)",
                                   -1, &query, nullptr) == SQLITE_OK) {
                while (sqlite3_step(query) == SQLITE_ROW) {
                    rows[sqlite3_column_int(query, 0)] = {sqlite3_column_double(query, 1),
                                                          sqlite3_column_double(query, 2)};
                    time = sqlite3_column_double(query, 3);
                }
            }
            sqlite3_finalize(query);
        }
        sqlite3_close(db);
        return rows;
    }

    void CheckStep(int step)
    {
        const std::string at = "wq step " + std::to_string(step);
        view_->UpdateWindow();
        Events();
        double time = 0;
        const std::map<int, Stored> stored = NewestRows(time);
        Expect(std::abs(time - g_ModelControl.ModelTime) < 1e-6,
               at + ": the database's newest rows are of the step's time " + Text(g_ModelControl.ModelTime));
        const int stage = ColumnOf(StageId), flux = ColumnOf(FluxId);
        int mismatches = 0;
        for (int row = 1; row < Grid().RowCount(); ++row) {
            const int number = view_->RowNodes[std::size_t(row)]->Number;
            const auto it = stored.find(number);
            if (it == stored.end()) {
                ++mismatches;
                continue;
            }
            if (Grid().CellText(row, stage) != Cell(it->second.stage, StageId) ||
                Grid().CellText(row, flux) != Cell(it->second.flux, FluxId)) {
                if (mismatches++ == 0)
                    Expect(false, at + ": node " + std::to_string(number) + " shows H " +
                                      Grid().CellText(row, stage) + " and Qflux " + Grid().CellText(row, flux) +
                                      ", the database " + Cell(it->second.stage, StageId) + " and " +
                                      Cell(it->second.flux, FluxId));
            }
            for (int col = 0; col < Grid().ColumnCount(); ++col) {
                if (Grid().CellAt(row, col) && Grid().CellAt(row, col)->GetTextColor() == Red)
                    Expect(false, at + ": no cell is red");
            }
        }
        Expect(mismatches == 0, at + ": every row shows the step's H and Qflux (" + std::to_string(mismatches) +
                                    " rows do not)");

        // Typing and pasting are refused; the table's edit commands are grey.
        const int row = 3;
        const std::string before = Grid().CellText(row, stage);
        Type(row, stage, "1234");
        Expect(Grid().CellText(row, stage) == before && doc_->NodeTableEdited == 0, at + ": typing is refused");
        Expect(dynamic_cast<CInPlaceEdit*>(CWnd::GetFocus()) == nullptr, at + ": no editor opens");
        QGuiApplication::clipboard()->setText("77\t88\r\n");
        Grid().SetSelectedRange(row, stage, row, stage);
        Command(ID_EDIT_PASTE);
        Expect(Grid().CellText(row, stage) == before && doc_->NodeTableEdited == 0, at + ": a paste is refused");
        for (const UINT id : {ID_TABLE_ACCEPT_CHANGES, ID_TABLE_REJECT_CHANGES, ID_TABLE_SET_VALUES}) {
            CCmdUI command;
            command.m_nID = id;
            if (id == ID_TABLE_SET_VALUES) view_->OnUpdateSetValues(&command);
            else view_->OnUpdateAcceptChanges(&command);
            Expect(command.m_enabled && !*command.m_enabled, at + ": command " + std::to_string(id) + " is grey");
        }
        ++checked_;
    }

    void RunWaterQuality()
    {
        SetOutputs();
        ShowTab(CVasquilView::NodeTableTab);
        Command(ID_WQ_TRANSIENT_SIMULATION);
        CRunTransWQDlg* dialog = doc_->WaterQualityDialog;
        Expect(dialog && dialog->Shown, "Transient WQ Simulation shows its dialog over the table");
        if (!dialog || !dialog->Shown) return;
        // The dialog over the right of the table, as a user drags it off the stages.
        CRect box;
        dialog->GetWindowRect(&box);
        dialog->MoveWindow(1280 - box.Width() - 20, 300, box.Width(), box.Height());
        Events();
        const double hours = 2.0;
        dialog->GetDlgItem(IDC_TRANS_FINAL_TIME)->SetWindowText(Text(hours));
        int steps = 0;
        dialog->StepHandledHook = [&](int handled) {
            ++steps;
            CheckStep(handled);
            if (handled == 1 || handled == 2) Shot("wq-step-" + std::to_string(handled));
        };
        Expect(RunUntilEnded(*dialog, 600000), "the water-quality run ends");
        Events();
        dialog->StepHandledHook = nullptr;
        Expect(std::abs(g_ModelControl.ModelTime / 3600.0 - hours) < 1e-6,
               "the water-quality run reached " + Text(hours) + " h");
        Expect(steps > 1 && checked_ == steps, "every step of the run was checked (" + std::to_string(checked_) +
                                                   " of " + std::to_string(steps) + ")");
        Shot("wq-run-ended");
        dialog->OnCancel();
        Events();
    }

    void EditAfterRun()
    {
        view_->UpdateWindow();
        Events();
        const int col = ColumnOf(StageId);
        const int row = 3;
        const double stage = view_->RowNodes[std::size_t(row)]->Stage + 0.125;
        char typed[32];
        std::snprintf(typed, sizeof typed, "%.3f", stage);
        Type(row, col, typed);
        Expect(Grid().CellText(row, col) == Cell(stage, StageId) && Waiting(row, col),
               "after the run a typed stage waits in red");
        Expect(doc_->NodeTableEdited == 1, "after the run the table takes edits");
        Shot("edit-after-run");
        Command(ID_TABLE_REJECT_CHANGES);
        Expect(doc_->NodeTableEdited == 0 && !Waiting(row, col), "Reject takes the edit back");
    }

    void HiddenDialogShowsOnProfile()
    {
        ShowTab(CVasquilView::ProfileTab);
        Command(ID_SIMULATION_TRANSIENT);
        CRunTransDlg* dialog = doc_->TransientDialog;
        Expect(dialog && dialog->Shown && dialog->IsWindowVisible(), "Transient shows its dialog on the Profile tab");
        if (!dialog || !dialog->Shown) return;
        ShowTab(CVasquilView::NodeTableTab);
        Expect(!dialog->IsWindowVisible(), "the table hides the transient dialog");
        Shot("transient-hidden");
        ShowTab(CVasquilView::ProfileTab);
        main_->TabControl.GetTabWnd(CVasquilView::ProfileTab)->UpdateWindow();
        Events();
        Expect(dialog->Shown && dialog->IsWindowVisible(), "the transient dialog shows again on the Profile tab");
        Shot("transient-again");
        dialog->OnCancel();
        Events();
    }

    // Auto Size, Expand To Fit, and Show Output Nodes Only on and off again.
    void SizeAndFilter()
    {
        ShowTab(CVasquilView::NodeTableTab);
        Command(ID_TABLE_AUTO_SIZE);
        for (int col = 0; col < Grid().ColumnCount(); ++col)
            if (Grid().ColumnWidth(col) <= 1) Expect(false, "Auto Size leaves every column shown");
        Shot("auto-size");
        Command(ID_TABLE_EXPAND_TO_FIT);
        CRect client;
        Grid().GetClientRect(&client);
        Expect(Grid().TotalWidth() == client.Width(), "Expand To Fit shares the width out");
        const int all = Grid().RowCount();
        Command(ID_TABLE_SHOW_OUTPUT_NODES);
        int outputs = 0;
        for (VQXDisplayNode* n = doc_->DisplayModel->FirstNode(); n; n = doc_->DisplayModel->NextNode())
            outputs += n->HydroCode == 0 ? 1 : 0;
        Expect(Grid().RowCount() == outputs + 1, "Show Output Nodes Only lists the output nodes");
        Shot("output-nodes-only");
        Command(ID_TABLE_SHOW_OUTPUT_NODES);
        Expect(Grid().RowCount() == all, "Show Output Nodes Only again lists every node");
    }

    bool Expected(const std::string& text) const
    {
        // The save question of the run's unsaved state is answered No by the sink.
        return text == SaveQuestion || text == RunRefusal || text.rfind("Save changes to ", 0) == 0 ||
               text == quality_.filename().string() + " already exists.\nDo you want to replace it?";
    }

    static constexpr const char* SaveQuestion =
        "EDITS HAVE BEEN MADE TO THE NODE TABLE!\n\n"
        "Do you want to save the file without accepting the\n"
        "changes in the Node Table Editor?\n";
    static constexpr const char* RunRefusal =
        "EDITS HAVE BEEN MADE TO THE NODE TABLE!\n\nPlease return to the Node Table Editor and \naccept or reject the "
        "changes.";

    std::filesystem::path work_;
    std::filesystem::path examples_;
    std::filesystem::path model_;
    std::filesystem::path quality_;
    std::filesystem::path database_;
    CVasquilView* main_ = nullptr;
    CNodeTableView* view_ = nullptr;
    CVasquilDoc* doc_ = nullptr;
    std::vector<Edit> edits_;
    int checked_ = 0;
    ModalDialogInterceptor dialogs_;
    FileDialogProvider files_;
    MessageBoxSink boxes_;
};

}  // namespace node_table_tour
