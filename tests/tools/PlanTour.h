// A walk through the plan view as a user takes it, on the program with a model open: a map
// image and its world file made under the river are loaded, the options colour the elements by
// the water surface with arrows, node numbers, legend and scale bar, the window is zoomed by a
// dragged rectangle, on a point, out, panned by an arrow key and fitted again; the results
// database is set to every time step and a two-hour transient run is made, after each of whose
// steps the colour beside every element line must be the class of that step's stored stages.
//
// The acceptance test runs it headless; the plan tour runs it on a (virtual) display and saves
// the screen at its stops. Both report every check that fails.
#pragma once

#include "TourSteps.h"

#include "app/OutputOptionsDlg.h"
#include "app/RunTransDlg.h"
#include "app/VasquilDoc.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "engine/EngineData.h"
#include "platform/Application.h"
#include "platform/Dialog.h"
#include "platform/Frame.h"
#include "platform/TestHooks.h"
#include "platform/WindowSurface.h"
#include "resources/ResourceIds.h"
#include "views/PlanView.h"
#include "views/VasquilView.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QThread>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace plan_tour {

using Observer = tour_steps::Observer;

// The map's ground and its river, and the class colours of the water surface (blue to red).
constexpr QRgb Land = 0xFFE6DEC8;
constexpr QRgb RiverWater = 0xFF9CC3E6;
constexpr double MapPixel = 4.0;  // metres per pixel
constexpr std::array<QRgb, 10> Classes = {0xFF0000B4, 0xFF0082FF, 0xFF00FFFF, 0xFF00FF82, 0xFF00B400,
                                          0xFF82FF00, 0xFFFFFF00, 0xFFFF8200, 0xFFB40000, 0xFF820000};

class Tour : private tour_steps::TourSteps
{
public:
    Tour(const std::filesystem::path& work, Observer& observer) : TourSteps(observer), work_(work) {}

    // Runs every stop; true when every check held.
    bool Run()
    {
        frame_ = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
        Expect(frame_ != nullptr, "the program has a main frame");
        if (!frame_) return false;
        main_ = dynamic_cast<CVasquilView*>(frame_->GetDlgItem(int(AFX_IDW_PANE_FIRST)));
        plan_ = main_ ? dynamic_cast<CPlanView*>(main_->TabControl.GetTabWnd(CVasquilView::PlanTab)) : nullptr;
        doc_ = plan_ ? plan_->GetDocument() : nullptr;
        Expect(doc_ && doc_->DisplayModel, "the plan view is the second tab and a model is open");
        if (!doc_ || !doc_->DisplayModel) return false;
        std::filesystem::create_directories(work_);

        LoadMap();
        ChooseOptions();
        Zoom();
        RunTransient();
        for (const MessageBoxRequest& box : boxes_.shown) Expect(false, "no message box, but: " + box.text);
        return failures_ == 0;
    }

private:
    static void Check(CDialog& dialog, int id, bool on)
    {
        if ((Button(dialog, id)->GetCheck() == BST_CHECKED) != on) Button(dialog, id)->Click();
    }

    // The pixel of the plan view's picture at a logical point; 0 outside it.
    QRgb PixelAt(CPoint logical) const
    {
        CDC dc(static_cast<QPaintDevice*>(nullptr));
        plan_->OnPrepareDC(&dc);
        dc.LPtoDP(&logical);
        const QImage& picture = plan_->Surface()->image;
        if (!picture.rect().contains(logical.x, logical.y)) return 0;
        return picture.pixel(logical.x, logical.y);
    }
    QRgb PixelAtWorld(double x, double y) const { return PixelAt(plan_->WorldToLogical(x, y)); }
    // The client point of a world point.
    QPoint ClientPoint(double x, double y) const
    {
        CPoint p = plan_->WorldToLogical(x, y);
        CDC dc(static_cast<QPaintDevice*>(nullptr));
        plan_->OnPrepareDC(&dc);
        dc.LPtoDP(&p);
        return QPoint(p.x, p.y);
    }
    // The world point of a client point.
    void WorldOf(QPoint client, double* x, double* y) const
    {
        CPoint p(client.x(), client.y());
        CDC dc(static_cast<QPaintDevice*>(nullptr));
        plan_->OnPrepareDC(&dc);
        dc.DPtoLP(&p);
        plan_->LogicalToWorld(p, x, y);
    }
    void Repaint()
    {
        plan_->Invalidate();
        plan_->UpdateWindow();
        Events();
    }

    // A map 10 % wider than the model on every side: land with the river drawn along every
    // element, georeferenced by a world file of 4 m pixels.
    void LoadMap()
    {
        VQXDisplayLib::VQXDisplayModel& model = *doc_->DisplayModel;
        const VQXGeometryDataLib::VQXBounds box = model.ComputeBounds(0.1);
        const double east = std::floor(box.MinX);
        const double north = std::ceil(box.MaxY);
        QImage map(int(std::ceil((box.MaxX - east) / MapPixel)), int(std::ceil((north - box.MinY) / MapPixel)),
                   QImage::Format_RGB32);
        map.fill(Land);
        {
            QPainter g(&map);
            g.setPen(QPen(QColor(RiverWater), 40.0 / MapPixel, Qt::SolidLine, Qt::RoundCap));
            for (auto* e = model.FirstInteriorElement(); e; e = model.NextInteriorElement()) {
                const auto* one = e->NodeOne();
                const auto* two = e->NodeTwo();
                g.drawLine(QPointF((one->Easting - east) / MapPixel, (north - one->Northing) / MapPixel),
                           QPointF((two->Easting - east) / MapPixel, (north - two->Northing) / MapPixel));
            }
        }
        const std::filesystem::path image = work_ / "river-map.png";
        const std::filesystem::path world = work_ / "river-map.pgw";
        Expect(map.save(QString::fromStdString(image.string())), "the map image is written");
        char text[200];
        std::snprintf(text, sizeof text, "%.1f\n0.0\n0.0\n%.1f\n%.1f\n%.1f\n", MapPixel, -MapPixel, east, north);
        std::ofstream(world) << text;

        files_.answers = {image, world};
        dialogs_.scripts.push_back([this](CDialog& d) {
            Button(d, IDC_MAP_IMAGE_BROWSE)->Click();
            Button(d, IDC_MAP_WORLD_FILE_BROWSE)->Click();
            Expect(d.GetDlgItem(IDOK)->IsWindowEnabled() != FALSE, "Load is enabled once both files are chosen");
            Shot("load-map-imagery");
            Button(d, IDOK)->Click();
        });
        Command(ID_FILE_LOAD_MAP_IMAGERY);
        Repaint();
        Expect(main_->TabControl.GetActiveTab() == CVasquilView::PlanTab, "the Plan tab comes forward");
        Expect(frame_->GetActiveView() == plan_, "the plan view is the active view");
        Expect(plan_->Options.ShowMapImage == 1 && doc_->PlanViewFitImage == 0, "the plan view shows the map");
        // Land below the lowest node, where no element lies.
        Expect(PixelAtWorld((box.MinX + box.MaxX) / 2, model.MinY + 0.02 * (model.MaxY - model.MinY)) == Land,
               "the map shows under the river");
        Shot("plan-over-map");
    }

    void ChooseOptions()
    {
        dialogs_.scripts.push_back([this](CDialog& d) {
            Check(d, IDC_PLAN_SHOW_PARAMETER, true);
            auto* variables = static_cast<CComboBox*>(d.GetDlgItem(IDC_PLAN_VARIABLE));
            variables->SetCurSel(variables->FindStringExact(-1, "Water Surface Elevation"));
            Check(d, IDC_PLAN_FLOW_ARROWS, true);
            Check(d, IDC_PLAN_SHOW_NODES, true);
            Check(d, IDC_PLAN_NODE_NUMBERS, true);
            Check(d, IDC_PLAN_SCALE_BAR, true);
            Expect(Button(d, IDC_PLAN_LEGEND)->GetCheck() == BST_CHECKED, "the legend is on at first");
            Shot("plan-options");
            Button(d, IDOK)->Click();
        });
        Command(ID_PLAN_VIEW_OPTIONS);
        Repaint();
        const PlanViewSettings& o = plan_->Options;
        Expect(o.ShowParameter == 1 && o.PlotVariable == VQXDisplayLib::PlotWaterSurfaceElevation &&
                   o.ShowFlowArrows == 1 && o.ShowNodeNumbers == 1 && o.ShowLegend == 1 && o.ShowScaleBar == 1,
               "the options dialog sets the colouring, arrows, numbers, legend and scale bar");
        Shot("plan-coloured");
    }

    void Zoom()
    {
        QWidget* view = plan_->GetWidget();
        const double width = plan_->XMax - plan_->XMin;

        // A rectangle dragged over the confluence.
        Command(ID_ZOOM_RECTANGLE);
        Expect(plan_->Mode == PlanModeZoomRectangle, "Zoom In On Rectangle is mode 2");
        const QPoint from = ClientPoint(501500, 6000500);
        const QPoint to = ClientPoint(502500, 5999700);
        double x0, y0, x1, y1;
        WorldOf(from, &x0, &y0);
        WorldOf(to, &x1, &y1);
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(view, (from + to) / 2);
        QTest::mouseMove(view, to);
        Expect(plan_->BandDC != nullptr, "the band follows the drag");
        Shot("zoom-rectangle-drag");
        QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, to);
        Repaint();
        const double tolerance = 2 * plan_->Scale;
        Expect(std::abs((plan_->XMin + plan_->XMax) / 2 - (x0 + x1) / 2) < tolerance &&
                   std::abs((plan_->YMin + plan_->YMax) / 2 - (y0 + y1) / 2) < tolerance,
               "the window is centred on the band");
        Expect(plan_->XMin <= std::min(x0, x1) + tolerance && plan_->XMax >= std::max(x0, x1) - tolerance &&
                   plan_->YMin <= std::min(y0, y1) + tolerance && plan_->YMax >= std::max(y0, y1) - tolerance,
               "the band fills the window");
        Expect(plan_->Mode == PlanModeNone && plan_->BandDC == nullptr, "the zoom ends mode 2");
        Shot("zoomed-on-rectangle");

        // A point zoom halves the window about the click.
        Command(ID_ZOOM_POINT);
        const double before = plan_->XMax - plan_->XMin;
        const QPoint at = ClientPoint(502000, 6000000);
        double cx, cy;
        WorldOf(at, &cx, &cy);
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, at);
        Repaint();
        Expect(std::abs((plan_->XMin + plan_->XMax) / 2 - cx) < 1e-6 * before &&
                   std::abs(plan_->XMax - plan_->XMin - before / 2) < 1e-6 * before,
               "Zoom In On Point halves the window about the click");
        Shot("zoomed-on-point");

        Command(ID_ZOOM_OUT);
        Repaint();
        Expect(std::abs(plan_->XMax - plan_->XMin - before) < 1e-6 * before, "Zoom Out doubles the window");

        const double left = plan_->XMin;
        QTest::keyClick(view, Qt::Key_Left);
        Repaint();
        Expect(std::abs(plan_->XMin - (left - (0.5 - 1 / 2.1) * before)) < 1e-6 * before,
               "the left arrow moves the window west");
        Shot("panned-west");

        Command(ID_ZOOM_SCALE_TO_FIT);
        Repaint();
        Expect(std::abs(plan_->XMax - plan_->XMin - width) < 1e-6 * width, "Scale To Fit shows the whole model again");
    }

    // The distance of a point from the segment p q (logical units).
    static double Distance(CPoint at, CPoint p, CPoint q)
    {
        const double dx = q.x - p.x, dy = q.y - p.y;
        const double along = dx * dx + dy * dy > 0
                                 ? std::clamp(((at.x - p.x) * dx + (at.y - p.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0)
                                 : 0.0;
        return std::hypot(at.x - (p.x + along * dx), at.y - (p.y + along * dy));
    }

    // The stages of the database rows of one time (s), by node.
    std::map<int, double> StoredStages(double time) const
    {
        std::map<int, double> stages;
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(database_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* query = nullptr;
            if (sqlite3_prepare_v2(db, "SELECT node_id, H_m FROM time_series WHERE time_s = ?", -1, &query, nullptr) ==
                SQLITE_OK) {
                sqlite3_bind_double(query, 1, time);
                while (sqlite3_step(query) == SQLITE_ROW)
                    stages[sqlite3_column_int(query, 0)] = sqlite3_column_double(query, 1);
            }
            sqlite3_finalize(query);
        }
        sqlite3_close(db);
        return stages;
    }

    // Beside each element line (off the legend), the colour of the class of the mean of its
    // nodes' stored stages among all stored stages. Returns the elements checked.
    int CheckColouring(double time, int step)
    {
        const std::map<int, double> stages = StoredStages(time);
        VQXDisplayLib::VQXDisplayModel& model = *doc_->DisplayModel;
        Expect(int(stages.size()) == model.NodeList.Count, "step " + std::to_string(step) + " stored every node");
        if (stages.empty()) return 0;
        double low = 1e11, high = -1e11;
        for (const auto& [node, stage] : stages) {
            low = std::min(low, stage);
            high = std::max(high, stage);
        }
        const double w = (high - low) / 10;
        // Each element's line, class and whether its value lies on a class boundary (where the
        // view's arithmetic may put it on either side).
        struct Line {
            int number;
            CPoint a, b;
            int cls;
            bool boundary;
        };
        std::vector<Line> lines;
        for (auto* e = model.FirstInteriorElement(); e; e = model.NextInteriorElement()) {
            const auto* one = e->NodeOne();
            const auto* two = e->NodeTwo();
            if (!stages.count(one->Number) || !stages.count(two->Number)) continue;
            const double value = (stages.at(one->Number) + stages.at(two->Number)) / 2;
            const double position = w > 0 ? (value - low) / w : 0.0;
            lines.push_back({e->Number, plan_->WorldToLogical(*one), plan_->WorldToLogical(*two),
                             std::clamp(int(std::floor(position)), 0, 9),
                             w > 0 && std::abs(position - std::round(position)) < 1e-6});
        }
        // Half way between the element line's edge and the colouring's edge, in twips, with the
        // widths the window gives the two pens.
        const double perScale = std::floor(std::min(10.0 / plan_->Scale, 1e6));
        const double colourPen = std::clamp(perScale * 150.0, 150.0, 450.0);
        const double elementPen = std::clamp(perScale * 25.0, 25.0, 100.0);
        const double beside = (colourPen + elementPen) / 4.0;
        const int m = plan_->DrawMargin;
        const PlanViewSettings& o = plan_->Options;
        const int legendHeight = 3900 + 400 * o.ShowNodes + 1200 * o.ShowBoundaryElements + 400 * o.ShowJunctionNodes +
                                 800 * o.ShowFlowArrows + 900 * o.ShowScaleBar;
        int checked = 0;
        for (const Line& line : lines) {
            const double length = std::hypot(double(line.b.x - line.a.x), double(line.b.y - line.a.y));
            if (length <= 0) continue;
            // A side of the line that no other element's colouring of another class reaches (a
            // line's square ends reach half its width beyond it, corners included).
            CPoint at;
            bool clear = false;
            for (const double side : {1.0, -1.0}) {
                at = CPoint(int((line.a.x + line.b.x) / 2 - side * (line.b.y - line.a.y) / length * beside),
                            int((line.a.y + line.b.y) / 2 + side * (line.b.x - line.a.x) / length * beside));
                clear = true;
                for (const Line& other : lines) {
                    if (other.number != line.number && other.cls != line.cls &&
                        Distance(at, other.a, other.b) < colourPen * 0.75 + 30)
                        clear = false;
                }
                if (clear) break;
            }
            if (!clear) continue;
            if (at.x < m + 4100 && at.y > -(m + legendHeight + 100)) continue;  // under the legend
            const QRgb shown = PixelAt(at) | 0xFF000000u;
            if (shown == 0xFF000000u && !plan_->Surface()->image.rect().contains(ClientPointOf(at)))
                continue;  // off the view
            const int cls = line.cls;
            const bool near = shown == Classes[std::size_t(cls)] ||
                              (line.boundary && ((cls > 0 && shown == Classes[std::size_t(cls - 1)]) ||
                                                 (cls < 9 && shown == Classes[std::size_t(cls + 1)])));
            char what[160];
            std::snprintf(what, sizeof what, "step %d, element %d: class %d (%08X), shown %08X", step, line.number, cls,
                          Classes[std::size_t(cls)], shown);
            Expect(near, what);
            ++checked;
        }
        return checked;
    }
    QPoint ClientPointOf(CPoint logical) const
    {
        CDC dc(static_cast<QPaintDevice*>(nullptr));
        plan_->OnPrepareDC(&dc);
        dc.LPtoDP(&logical);
        return QPoint(logical.x, logical.y);
    }

    void RunTransient()
    {
        // The colouring alone beside the lines: arrows and numbers off for the run.
        dialogs_.scripts.push_back([](CDialog& d) {
            Check(d, IDC_PLAN_FLOW_ARROWS, false);
            Check(d, IDC_PLAN_NODE_NUMBERS, false);
            Check(d, IDC_PLAN_TITLE_MODEL_TIME, true);
            Button(d, IDOK)->Click();
        });
        Command(ID_PLAN_VIEW_OPTIONS);

        database_ = work_ / "plan-run.db";
        ChooseDatabaseEveryStep(dialogs_, files_, database_);
        Expect(doc_->Results && doc_->Results->DatabaseEveryStep == 1, "the database takes every time step");

        Command(ID_SIMULATION_TRANSIENT);
        CRunTransDlg* dialog = doc_->TransientDialog;
        Expect(dialog && dialog->Shown, "Simulation > Transient shows the run dialog");
        if (!dialog || !dialog->Shown) return;
        // The dialog moved below the frame, as a user drags it off the map.
        CRect box;
        dialog->GetWindowRect(&box);
        frame_->MoveWindow(0, 0, 1280, 800 - box.Height() - 10);
        dialog->MoveWindow((1280 - box.Width()) / 2, 800 - box.Height() - 5, box.Width(), box.Height());
        Events();
        const double present = std::stod(dialog->GetDlgItem(IDC_TRANS_PRESENT_TIME)->GetWindowText());
        dialog->GetDlgItem(IDC_TRANS_FINAL_TIME)->SetWindowText(std::to_string(present + 2.0));
        int steps = 0, checked = 0;
        dialog->StepHandledHook = [&](int handled) {
            ++steps;
            checked += CheckColouring(g_ModelControl.ModelTime, handled);
            if (handled == 1 || handled % 25 == 0) Shot("run-step-" + std::to_string(handled));
        };
        Shot("run-dialog");
        Expect(RunUntilEnded(*dialog, 120000), "the run ends");
        Events();
        dialog->StepHandledHook = nullptr;
        // The legend covers a quarter of the river, and a few lines lie too close to others.
        Expect(steps > 0 && checked >= 5 * steps, "every step's colouring was checked on the elements (" +
                                                      std::to_string(checked) + " checks in " + std::to_string(steps) +
                                                      " steps)");
        Expect(std::abs(g_ModelControl.ModelTime / 3600.0 - (present + 2.0)) < 1e-6, "the run reached its final time");
        Shot("after-run");
    }

    std::filesystem::path work_;
    CVasquilView* main_ = nullptr;
    CPlanView* plan_ = nullptr;
    CVasquilDoc* doc_ = nullptr;
    std::filesystem::path database_;
    ModalDialogInterceptor dialogs_;
    FileDialogProvider files_;
    MessageBoxSink boxes_;
};

}  // namespace plan_tour
