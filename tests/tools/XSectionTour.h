// A walk through the cross-section editor as a user takes it, on the program with the sample
// river open: the Cross Section Editor tab shows the first sectioned node's bed, bank points
// and water line; a point typed into the points grid moves the chart at once; a raised point
// count fails Apply until the new rows are filled; Apply refreshes the property table and the
// node's section code and bed; Save and reopen keep the edit. Then the water-quality data of
// the sample river, the results database every time step and a two-hour Transient WQ
// Simulation started from this tab: after every step the water line lies at the node's stage
// in the database, Apply is grey and edits are refused. Last, the thermal sample run to 72 h
// from the Profile tab: the editor shows the border ice of a node that has some.
//
// The acceptance test runs it headless; the cross-section tour runs it on a (virtual) display
// and saves the screen at its stops. Both report every check that fails.
#pragma once

#include "TourSteps.h"

#include "app/OutputOptionsDlg.h"
#include "app/RunTransDlg.h"
#include "app/RunTransWQDlg.h"
#include "app/VasquilDoc.h"
#include "datalib/CrossSection.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "datalib/TextFormat.h"
#include "engine/EngineData.h"
#include "platform/Application.h"
#include "platform/Dialog.h"
#include "platform/DocTemplate.h"
#include "platform/Frame.h"
#include "platform/TestHooks.h"
#include "platform/chart/ChartCalls.h"
#include "resources/ResourceIds.h"
#include "resources/XSectionViewTemplate.h"
#include "views/CrossSectionChart.h"
#include "views/VasquilView.h"
#include "views/XSectionGrids.h"
#include "views/XSectionView.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace xsection_tour {

using Observer = tour_steps::Observer;

class Tour : private tour_steps::TourSteps
{
public:
    Tour(const std::filesystem::path& work, const std::filesystem::path& examples, Observer& observer)
        : TourSteps(observer), work_(work), examples_(examples)
    {}

    bool Run()
    {
        if (!Find()) return false;
        std::filesystem::create_directories(work_);
        ShowTab();
        Shot("editor-open");
        CheckChartShowsTheNode("the opened node");
        TypePoint();
        RaisePointCount();
        SaveAndReopen();
        RunWaterQuality();
        RunThermal();
        for (const MessageBoxRequest& box : boxes_.shown) {
            // The save question of the run's unsaved state is answered No by the sink.
            if (box.text != expectedBox_ && box.text.rfind("Save changes to ", 0) != 0)
                Expect(false, "no other message box, but: " + box.text);
        }
        return failures_ == 0;
    }

private:

    bool Find()
    {
        frame_ = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
        main_ = frame_ ? dynamic_cast<CVasquilView*>(frame_->GetDlgItem(int(AFX_IDW_PANE_FIRST))) : nullptr;
        view_ =
            main_ ? dynamic_cast<CXSectionView*>(main_->TabControl.GetTabWnd(CVasquilView::CrossSectionTab)) : nullptr;
        doc_ = view_ ? view_->GetDocument() : nullptr;
        Expect(doc_ && doc_->DisplayModel, "the cross-section editor is the fifth tab and a model is open");
        return doc_ && doc_->DisplayModel;
    }
    void ShowTab(int tab = CVasquilView::CrossSectionTab)
    {
        main_->TabControl.SetActiveTab(tab);
        Events();
        Settle(100);
    }

    std::shared_ptr<const ChartScene> Scene() const { return ChartSceneOf(view_->Chart.ChartWindow); }
    std::vector<QPointF> Layer(int subset) const
    {
        const std::shared_ptr<const ChartScene> scene = Scene();
        if (!scene) return {};
        for (const ChartPane& pane : scene->Panes)
            for (const ChartLayer& layer : pane.Layers)
                if (layer.Subset == subset) return layer.Points;
        return {};
    }

    void CheckChartShowsTheNode(const std::string& what)
    {
        Expect(view_->NodeCount > 0 && view_->Node && view_->Node->CrossSection, what + ": a node with a section");
        if (!view_->Node || !view_->Node->CrossSection) return;
        Expect(view_->Chart.ChartWindow != nullptr, what + ": the editor shows a chart");
        const auto& points = view_->Node->CrossSection->Points;
        const std::vector<QPointF> bed = Layer(XSectionBed);
        Expect(bed.size() == points.size(), what + ": the bed has the section's " + std::to_string(points.size()) +
                                                " points, not " + std::to_string(bed.size()));
        Expect(Layer(XSectionBankStations).size() == 2, what + ": the two bank points show");
        const std::vector<QPointF> water = Layer(XSectionWaterSurface);
        Expect(water.size() >= 2, what + ": the water line shows");
        for (const QPointF& p : water)
            Expect(std::abs(p.y() - view_->Node->Stage) < 1e-9, what + ": the water line lies at the node's stage");
    }

    // The text of a cell as the end of an edit has it: the grid hands it to the view.
    void Edit(CGridCtrl& grid, int row, int col, const std::string& text)
    {
        grid.SetFocusCell(row, col);
        grid.SetCellTextChecked(row, col, text);
        Events();
    }

    void TypePoint()
    {
        CGridCtrl& points = view_->PointsGrid;
        const int row = 2;
        const double lower = VQXTextFormat::ParseLeadingDouble(points.CellText(row, 2)) - 0.75;
        Edit(points, row, 2, FormatXSectionNumber(lower));
        Expect(view_->Modified == 1, "a typed point marks the editor modified");
        Expect(points.CellAt(row, 2)->GetTextColor() == XSectionEditedColour, "the typed point is red");
        const std::vector<QPointF> bed = Layer(XSectionBed);
        Expect(bed.size() > std::size_t(row - 1) &&
                   std::abs(bed[std::size_t(row - 1)].y() - (lower + XSectionPointOffset)) < 1e-9,
               "the chart's bed moves with the typed point at once");
        Shot("typed-point");
    }

    void RaisePointCount()
    {
        CGridCtrl& points = view_->PointsGrid;
        const int before = points.RowCount() - 1;
        view_->PointCountCombo.SetCurSel(before + 1);  // two entries more
        view_->OnSelChangePointCount();
        Events();
        Expect(points.RowCount() - 1 == before + 2, "two new rows in the points grid");
        expectedBox_ = "One or more of the cross section entries are blank.\n Please ensure all cells have values.";
        const std::size_t shown = boxes_.shown.size();
        view_->OnApplyChanges();
        Expect(boxes_.shown.size() == shown + 1 && boxes_.shown.back().text == expectedBox_,
               "Apply with blank rows is refused with the blank-entries message");
        Expect(view_->Modified == 1, "the refused Apply keeps the edits");
        Shot("raised-count-refused");
        const double last = VQXTextFormat::ParseLeadingDouble(points.CellText(before, 1));
        const double top = VQXTextFormat::ParseLeadingDouble(points.CellText(before, 2));
        for (int k = 1; k <= 2; ++k) {
            Edit(points, before + k, 1, FormatXSectionNumber(last + 5.0 * k));
            Edit(points, before + k, 2, FormatXSectionNumber(top + 0.5 * k));
        }
        const int levels = view_->LevelCountSel + 2;
        view_->OnApplyChanges();
        Events();
        Expect(boxes_.shown.size() == shown + 1, "the filled rows apply");
        Expect(view_->Modified == 0, "Apply clears the modified state");
        VQXDisplayLib::VQXDisplayNode* node = view_->Node;
        if (!node || !node->CrossSection) return;
        Expect(int(node->CrossSection->Points.size()) == before + 2, "the node's section has the new points");
        Expect(node->SectionCode == -levels, "the section code is minus the levels");
        Expect(view_->PropertiesGrid.RowCount() - 1 == levels, "the property table shows every level");
        double lowest = 1e300;
        for (const auto& p : node->CrossSection->Points) lowest = std::min(lowest, p.Elevation);
        Expect(std::abs(node->Invert - lowest) < 1e-9, "the node's bed is the section's lowest point");
        editedNode_ = node->Number;
        editedPoints_ = node->CrossSection->Points;
        CheckChartShowsTheNode("after Apply");
        Shot("applied");
    }

    void SaveAndReopen()
    {
        const std::filesystem::path saved = work_ / "edited-river.vqx";
        std::filesystem::remove(saved);
        files_.answers = {saved};
        Command(ID_FILE_SAVE_AS);
        Expect(std::filesystem::exists(saved), "Save As writes the edited model");
        CDocument* opened = AfxGetApp()->OpenDocumentFile(saved);
        Events();
        Expect(opened == doc_, "the saved model opens");
        ShowTab();
        VQXDisplayLib::VQXDisplayNode* node = nullptr;
        for (auto* n = doc_->DisplayModel->FirstNode(); n; n = doc_->DisplayModel->NextNode())
            if (n->Number == editedNode_) node = n;
        Expect(node && node->CrossSection && node->CrossSection->Points.size() == editedPoints_.size(),
               "the reopened node keeps the edited section");
        if (!node || !node->CrossSection || node->CrossSection->Points.size() != editedPoints_.size()) return;
        for (std::size_t i = 0; i < editedPoints_.size(); ++i) {
            Expect(std::abs(node->CrossSection->Points[i].Elevation - editedPoints_[i].Elevation) < 1e-6,
                   "point " + std::to_string(i + 1) + " keeps its elevation");
        }
        CheckChartShowsTheNode("after reopening");
    }

    // Output Options: the results database every time step.
    void SetOutputs()
    {
        database_ = work_ / "xsection-run.db";
        ChooseDatabaseEveryStep(dialogs_, files_, database_);
    }

    // The node's stage at the newest time of the database; NaN without a row.
    double StoredStage(int node) const
    {
        double stage = std::nan("");
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(database_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* query = nullptr;
            if (sqlite3_prepare_v2(db, "SELECT H_m FROM time_series WHERE node_id = ? ORDER BY time_s DESC LIMIT 1", -1,
                                   &query, nullptr) == SQLITE_OK) {
                sqlite3_bind_int(query, 1, node);
                if (sqlite3_step(query) == SQLITE_ROW) stage = sqlite3_column_double(query, 0);
            }
            sqlite3_finalize(query);
        }
        sqlite3_close(db);
        return stage;
    }

    // Runs the dialog to hours with a check after every step; returns the steps.
    int RunDialog(CRunDialog* dialog, int finalTimeId, double hours, const std::string& name,
                  const std::function<void(int)>& check)
    {
        Expect(dialog && dialog->Shown, name + ": the run dialog shows");
        if (!dialog || !dialog->Shown) return 0;
        // The dialog over the property table, as a user drags it off the chart.
        CRect box;
        dialog->GetWindowRect(&box);
        dialog->MoveWindow((1280 - box.Width()) / 2, 130, box.Width(), box.Height());
        Events();
        dialog->GetDlgItem(finalTimeId)->SetWindowText(Text(hours));
        int steps = 0;
        dialog->StepHandledHook = [&](int handled) {
            ++steps;
            check(handled);
            if (handled == 1 || handled == 20) Shot(name + "-step-" + std::to_string(handled));
        };
        Expect(RunUntilEnded(*dialog, 600000), name + ": the run ends");
        Events();
        dialog->StepHandledHook = nullptr;
        Expect(std::abs(g_ModelControl.ModelTime / 3600.0 - hours) < 1e-6,
               name + ": the run reached " + Text(hours) + " h");
        dialog->OnCancel();
        Events();
        return steps;
    }

    void RunWaterQuality()
    {
        files_.answers = {examples_ / "sample-river.nu"};
        Command(ID_WQ_OPEN_DATA);
        Expect(doc_->WaterQualityLoaded == 1, "the sample river's water-quality data load");
        SetOutputs();
        ShowTab();
        Command(ID_WQ_TRANSIENT_SIMULATION);
        VQXDisplayLib::VQXDisplayNode* node = view_->Node;
        if (!node) return;
        int checked = 0;
        const int steps = RunDialog(doc_->WaterQualityDialog, IDC_TRANS_FINAL_TIME, 2.0, "wq", [&](int step) {
            const std::string at = "wq step " + std::to_string(step);
            view_->UpdateWindow();
            Events();
            const double stored = StoredStage(node->Number);
            const std::vector<QPointF> water = Layer(XSectionWaterSurface);
            Expect(water.size() >= 2, at + ": the water line shows");
            for (const QPointF& p : water)
                Expect(std::abs(p.y() - stored) < 1e-9,
                       at + ": the water line lies at the stored stage " + Text(stored) + ", not " + Text(p.y()));
            CCmdUI apply;
            apply.m_nID = IDC_XSECTION_APPLY;
            view_->OnUpdateApplyChanges(&apply);
            Expect(apply.m_enabled && !*apply.m_enabled, at + ": Apply is grey");
            CGridCtrl& points = view_->PointsGrid;
            const std::string before = points.CellText(1, 2);
            points.SetCellTextChecked(1, 2, "1234");
            Expect(points.CellText(1, 2) == before && view_->Modified == 0, at + ": an edit is refused");
            ++checked;
        });
        Expect(steps > 5 && checked == steps, "every step of the water-quality run was checked (" +
                                                  std::to_string(checked) + " of " + std::to_string(steps) + ")");
    }

    void RunThermal()
    {
        CDocument* opened = AfxGetApp()->OpenDocumentFile(examples_ / "sample-thermal.vqx");
        Events();
        Expect(opened == doc_, "the thermal sample opens");
        if (opened != doc_ || !doc_->DisplayModel) return;
        ShowTab(CVasquilView::ProfileTab);
        Command(ID_SIMULATION_TRANSIENT);
        const int thermalSteps = RunDialog(doc_->TransientDialog, IDC_TRANS_FINAL_TIME, 72.0, "thermal", [](int) {});
        Expect(thermalSteps > 10, "the thermal sample runs to 72 h step by step");
        ShowTab();
        // The first listed node with border ice.
        int index = -1, position = 0;
        for (auto* n = doc_->DisplayModel->FirstNode(); n; n = doc_->DisplayModel->NextNode()) {
            if (!n->CrossSection) continue;
            if (index < 0 && (n->LeftBorderWidth > 0.0 || n->RightBorderWidth > 0.0)) index = position;
            ++position;
        }
        Expect(index >= 0, "a node has border ice after 72 h");
        if (index < 0) return;
        view_->NodeCombo.SetCurSel(index);
        view_->OnSelChangeNode();
        Events();
        Settle(100);
        Expect(!Layer(XSectionBorderIce).empty() || !Layer(XSectionBorderEdges).empty(),
               "the editor shows the node's border ice");
        Shot("thermal-border-ice");
    }

    std::filesystem::path work_;
    std::filesystem::path examples_;
    CVasquilView* main_ = nullptr;
    CXSectionView* view_ = nullptr;
    CVasquilDoc* doc_ = nullptr;
    std::filesystem::path database_;
    std::string expectedBox_;
    int editedNode_ = 0;
    std::vector<VQXGeometryDataLib::VQXSectionPoint> editedPoints_;
    ModalDialogInterceptor dialogs_;
    FileDialogProvider files_;
    MessageBoxSink boxes_;
};

}  // namespace xsection_tour
