// A walk through the hydrograph view as a user takes it, on the program with the sample river
// open: the Hydrograph tab; the options show the second output node's water surface; Output
// Options leave the time series off (so the histories grow every step) and write the results
// database every time step; a transient run to 6 h, after each of whose steps the line must
// have one point per history entry and end on that node's newest database row; then the
// discharge, drawn from the rows' flux discharge while Display Qw as Qflux is ticked and from
// their nodal discharge once it is not. Then the sample thermal river runs to 72 h with the
// air temperature shown, every point inside the y range after every step.
//
// The acceptance test runs it headless; the hydrograph tour runs it on a (virtual) display and
// saves the screen at its stops. Both report every check that fails.
#pragma once

#include "TourSteps.h"

#include "app/OutputOptionsDlg.h"
#include "app/RunTransDlg.h"
#include "app/VasquilDoc.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "datalib/TimeSeries.h"
#include "engine/EngineData.h"
#include "platform/Application.h"
#include "platform/Dialog.h"
#include "platform/DocTemplate.h"
#include "platform/Frame.h"
#include "platform/TestHooks.h"
#include "platform/chart/ChartCalls.h"
#include "resources/ResourceIds.h"
#include "views/HydrographView.h"
#include "views/VasquilView.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace hydrograph_tour {

using Observer = tour_steps::Observer;

// A node's values in the results database at one time.
struct StoredRow {
    double Hours = 0.0;          // time_s / 3600
    double Stage = 0.0;          // H_m
    double Discharge = 0.0;      // Qw_cms
    double FluxDischarge = 0.0;  // Qf_cms
};

class Tour : private tour_steps::TourSteps
{
public:
    // thermal: the thermal sample's model file, opened after the sample river's run.
    Tour(const std::filesystem::path& work, const std::filesystem::path& thermal, Observer& observer)
        : TourSteps(observer), work_(work), thermal_(thermal)
    {}

    // Runs every stop on the model open; true when every check held.
    bool Run()
    {
        if (!Find()) return false;
        std::filesystem::create_directories(work_);
        ShowTab();
        Shot("river-hydrograph-open");
        ChooseOptions(1, "Water Surface Elevation", "river-options");
        Expect(doc_->Results != nullptr, "the model has a results writer");
        if (!doc_->Results) return false;
        SetOutputs();
        RunRiver();
        ShowDischarge();
        RunThermal();
        for (const MessageBoxRequest& box : boxes_.shown) Expect(false, "no message box, but: " + box.text);
        return failures_ == 0;
    }

private:

    // The frame, the main view, the hydrograph view and the document.
    bool Find()
    {
        frame_ = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
        main_ = frame_ ? dynamic_cast<CVasquilView*>(frame_->GetDlgItem(int(AFX_IDW_PANE_FIRST))) : nullptr;
        view_ =
            main_ ? dynamic_cast<CHydrographView*>(main_->TabControl.GetTabWnd(CVasquilView::HydrographTab)) : nullptr;
        doc_ = view_ ? view_->GetDocument() : nullptr;
        Expect(doc_ && doc_->DisplayModel, "the hydrograph view is the third tab and a model is open");
        return doc_ && doc_->DisplayModel;
    }
    // The Hydrograph tab to the front, as a click on it brings it.
    void ShowTab()
    {
        main_->TabControl.SetActiveTab(CVasquilView::HydrographTab);
        Events();
        Expect(frame_->GetActiveView() == view_, "the hydrograph view is the active view");
        Expect(view_->Chart != nullptr, "the hydrograph view shows a chart");
        Expect(doc_->HydrographViewReset == 0, "the view took the reset");
    }
    std::shared_ptr<const ChartScene> Scene() const { return ChartSceneOf(view_->Chart); }
    // The points of the line, none without a scene.
    std::vector<QPointF> Line() const
    {
        const std::shared_ptr<const ChartScene> scene = Scene();
        if (!scene || scene->Panes.empty() || scene->Panes[0].Layers.empty()) return {};
        return scene->Panes[0].Layers[0].Points;
    }
    std::vector<VQXDisplayLib::VQXDisplayNode*> OutputNodes() const
    {
        std::vector<VQXDisplayLib::VQXDisplayNode*> nodes;
        VQXDisplayLib::VQXDisplayModel& model = *doc_->DisplayModel;
        for (auto* node = model.FirstNode(); node; node = model.NextNode())
            if (node->HydroCode == 0) nodes.push_back(node);
        return nodes;
    }

    // Display > Hydrograph View Options: the output location of the given place in the list
    // and the variable.
    void ChooseOptions(int location, const std::string& variable, const std::string& shot)
    {
        const std::vector<VQXDisplayLib::VQXDisplayNode*> outputs = OutputNodes();
        Expect(int(outputs.size()) > location && int(doc_->OutputNodeLabels.size()) > location,
               "the model has output node " + std::to_string(location + 1));
        if (int(outputs.size()) <= location || int(doc_->OutputNodeLabels.size()) <= location) return;
        dialogs_.scripts.push_back([&](CDialog& d) {
            Combo(d, IDC_HYDRO_LOCATION)->SetCurSel(location);
            CComboBox* variables = Combo(d, IDC_HYDRO_VARIABLE);
            variables->SetCurSel(variables->FindStringExact(-1, variable));
            Expect(variables->GetCurSel() >= 0, "the options offer " + variable);
            Shot(shot);
            Button(d, IDOK)->Click();
        });
        Command(ID_HYDROGRAPH_VIEW_OPTIONS);
        Events();
        Expect(view_->Node == outputs[std::size_t(location)],
               "the options show output node " + std::to_string(location + 1));
        Expect(view_->Options.LocationName == doc_->OutputNodeLabels[std::size_t(location)],
               "the location is its caption");
        Expect(view_->Options.SeriesVariable == VQXDisplayLib::FindSeriesVariable(variable.c_str()),
               "the options show " + variable);
        const std::shared_ptr<const ChartScene> scene = Scene();
        Expect(scene && scene->SubtitleCentre.toStdString() == view_->Options.LocationName,
               "the subtitle names the location");
    }

    // Output Options: no time series, the results database every time step.
    void SetOutputs()
    {
        database_ = work_ / "hydrograph-run.db";
        ChooseDatabaseEveryStep(dialogs_, files_, database_, true);
        Expect(doc_->Results->SeriesEnabled == 0, "no time series is written");
        Expect(doc_->Results->DatabaseEnabled == 1 && doc_->Results->DatabaseEveryStep == 1,
               "the database takes every time step");
    }

    // The rows of one node in the database, by time.
    std::vector<StoredRow> StoredRows(int node) const
    {
        std::vector<StoredRow> rows;
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(database_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* query = nullptr;
            if (sqlite3_prepare_v2(
                    db, "SELECT time_s, H_m, Qw_cms, Qf_cms FROM time_series WHERE node_id = ? ORDER BY time_s", -1,
                    &query, nullptr) == SQLITE_OK) {
                sqlite3_bind_int(query, 1, node);
                while (sqlite3_step(query) == SQLITE_ROW)
                    rows.push_back({sqlite3_column_double(query, 0) / 3600.0, sqlite3_column_double(query, 1),
                                    sqlite3_column_double(query, 2), sqlite3_column_double(query, 3)});
            }
            sqlite3_finalize(query);
        }
        sqlite3_close(db);
        return rows;
    }

    // Simulation > Transient to the given hours, Run, with a check after every step and
    // pictures after the first and the shotStep-th; the dialog is moved below the frame, as a
    // user drags it off the chart. Returns the steps.
    int RunTransient(double hours, const std::string& name, int shotStep, const std::function<void(int step)>& check)
    {
        Command(ID_SIMULATION_TRANSIENT);
        CRunTransDlg* dialog = doc_->TransientDialog;
        Expect(dialog && dialog->Shown, "Simulation > Transient shows the run dialog");
        if (!dialog || !dialog->Shown) return 0;
        CRect box;
        dialog->GetWindowRect(&box);
        frame_->MoveWindow(0, 0, 1280, 800 - box.Height() - 10);
        dialog->MoveWindow((1280 - box.Width()) / 2, 800 - box.Height() - 5, box.Width(), box.Height());
        Events();
        dialog->GetDlgItem(IDC_TRANS_FINAL_TIME)->SetWindowText(Text(hours));
        int steps = 0;
        dialog->StepHandledHook = [&](int handled) {
            ++steps;
            check(handled);
            if (handled == 1 || handled == shotStep) Shot(name + "-step-" + std::to_string(handled));
        };
        Shot(name + "-run-dialog");
        Expect(RunUntilEnded(*dialog, 300000), name + ": the run ends");
        Events();
        dialog->StepHandledHook = nullptr;
        Expect(std::abs(g_ModelControl.ModelTime / 3600.0 - hours) < 1e-6,
               name + ": the run reached " + Text(hours) + " h");
        Shot(name + "-after-run");
        dialog->OnCancel();
        frame_->MoveWindow(0, 0, 1280, 800);
        Events();
        return steps;
    }

    void RunRiver()
    {
        VQXDisplayLib::VQXDisplayNode* node = view_->Node;
        if (!node) return;
        int checked = 0;
        const int steps = RunTransient(6.0, "river", 40, [&](int step) {
            const std::string at = "step " + std::to_string(step);
            const std::vector<QPointF> line = Line();
            Expect(int(line.size()) == node->History.Size(), at + ": one point per history entry (" +
                                                                 std::to_string(line.size()) + " points, " +
                                                                 std::to_string(node->History.Size()) + " entries)");
            const std::vector<StoredRow> rows = StoredRows(node->Number);
            Expect(!rows.empty(), at + ": the database has the node's rows");
            if (line.empty() || rows.empty()) return;
            const StoredRow& newest = rows.back();
            Expect(std::abs(newest.Hours - g_ModelControl.ModelTime / 3600.0) < 1e-9,
                   at + ": the newest row is the step's");
            Expect(std::abs(line.back().x() - newest.Hours) < 1e-9 && std::abs(line.back().y() - newest.Stage) < 1e-9,
                   at + ": the line ends on (" + Text(newest.Hours) + " h, " + Text(newest.Stage) + " m), not (" +
                       Text(line.back().x()) + ", " + Text(line.back().y()) + ")");
            ++checked;
        });
        Expect(steps > 10 && checked == steps, "every step of the river's run was checked (" + std::to_string(checked) +
                                                   " of " + std::to_string(steps) + ")");
    }

    // The line's points against the rows of the same times: their flux discharge or their
    // nodal discharge. Returns the points checked.
    int CheckDischarge(bool flux, const std::string& what)
    {
        const VQXDisplayLib::VQXDisplayNode* node = view_->Node;
        if (!node) return 0;
        const std::vector<QPointF> line = Line();
        Expect(int(line.size()) == node->History.Size(), what + ": one point per history entry");
        std::map<double, StoredRow> rows;
        for (const StoredRow& row : StoredRows(node->Number)) rows[row.Hours] = row;
        int checked = 0, wrong = 0;
        for (const QPointF& p : line) {
            const auto row = rows.lower_bound(p.x() - 1e-9);
            if (row == rows.end() || std::abs(row->first - p.x()) > 1e-9) continue;
            ++checked;
            const double stored = flux ? row->second.FluxDischarge : row->second.Discharge;
            wrong += std::abs(p.y() - stored) > 1e-9 * std::max(1.0, std::abs(stored)) ? 1 : 0;
        }
        Expect(wrong == 0, what + ": " + std::to_string(wrong) + " of " + std::to_string(checked) + " points differ");
        Expect(checked + 1 >= int(line.size()) && checked > 10, what + ": the points have their rows (" +
                                                                    std::to_string(checked) + " of " +
                                                                    std::to_string(line.size()) + ")");
        return checked;
    }

    void ShowDischarge()
    {
        ChooseOptions(1, "Discharge", "river-discharge-options");
        Expect(doc_->DisplayModel->UseFluxDischarge == 1, "Display Qw as Qflux is ticked at first");
        const std::shared_ptr<const ChartScene> scene = Scene();
        Expect(scene && scene->Panes[0].YLabel == "Discharge (cms)", "the axis reads Discharge (cms)");
        CheckDischarge(true, "Qflux");
        Shot("river-discharge-qflux");
        Command(ID_DISPLAY_QW_AS_QFLUX);
        Events();
        Expect(doc_->DisplayModel->UseFluxDischarge == 0, "Display Qw as Qflux is not ticked");
        CheckDischarge(false, "nodal Qw");
        Shot("river-discharge-qw");
    }

    void RunThermal()
    {
        // The river's run is unsaved: its save question is answered No, keeping the example.
        const std::size_t boxesBefore = boxes_.shown.size();
        boxes_.answers.push_back(IDNO);
        CDocument* opened = AfxGetApp()->OpenDocumentFile(thermal_);
        Events();
        Expect(boxes_.shown.size() == boxesBefore + 1 && boxes_.shown.back().text.rfind("Save changes to ", 0) == 0,
               "the river's run asks to be saved first");
        boxes_.shown.resize(std::min(boxes_.shown.size(), boxesBefore));
        Expect(opened == doc_, "the thermal sample opens");
        if (opened != doc_ || !doc_->DisplayModel) return;
        ShowTab();
        Shot("thermal-hydrograph-open");
        ChooseOptions(0, "Air Temperature", "thermal-options");
        const VQXDisplayLib::VQXDisplayNode* node = view_->Node;
        if (!node) return;
        double coldest = 1e300, warmest = -1e300;
        int inside = 0;
        const int steps = RunTransient(72.0, "thermal", 250, [&](int step) {
            const std::shared_ptr<const ChartScene> scene = Scene();
            const std::vector<QPointF> line = Line();
            Expect(int(line.size()) == node->History.Size(),
                   "thermal step " + std::to_string(step) + ": one point per history entry");
            if (!scene || line.empty()) return;
            const ChartRange& y = scene->Panes[0].Y;
            int outside = 0;
            for (const QPointF& p : line) {
                outside += p.y() < y.Min || p.y() > y.Max ? 1 : 0;
                coldest = std::min(coldest, p.y());
                warmest = std::max(warmest, p.y());
            }
            Expect(outside == 0, "thermal step " + std::to_string(step) + ": " + std::to_string(outside) +
                                     " points outside " + Text(y.Min) + " .. " + Text(y.Max));
            inside += outside == 0 ? 1 : 0;
        });
        Expect(steps > 10 && inside == steps, "every step of the thermal run kept its line inside its range");
        Expect(coldest < 0.0 && warmest > 0.0,
               "the air temperature crosses zero (" + Text(coldest) + " .. " + Text(warmest) + " \u00B0C)");
        const std::shared_ptr<const ChartScene> scene = Scene();
        Expect(scene && scene->Panes[0].YLabel == QString::fromUtf8("Air Temperature (\u00B0C)"),
               "the axis reads Air Temperature (\u00B0C)");
    }

    std::filesystem::path work_;
    std::filesystem::path thermal_;
    CVasquilView* main_ = nullptr;
    CHydrographView* view_ = nullptr;
    CVasquilDoc* doc_ = nullptr;
    std::filesystem::path database_;
    ModalDialogInterceptor dialogs_;
    FileDialogProvider files_;
    MessageBoxSink boxes_;
};

}  // namespace hydrograph_tour
