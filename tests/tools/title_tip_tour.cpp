// Starts vasquil on a copy of the sample river as a user would, narrows a column of the node
// table until the longest text in it no longer fits, and rests the pointer on that cell: the
// title tip shows the whole text over the cell. Saves the screen with the tip, a close-up of it,
// and the screen once the pointer has left. Run it on a display (a virtual one under xvfb-run).
//
//   title_tip_tour EXAMPLES_FOLDER OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/NN-name.png (the model copy goes to OUTPUT_FOLDER/model); the exit status
// is 0 when every check held and every picture was saved.
#include "ScreenTour.h"

#include "app/VasquilApp.h"
#include "controls/GridCtrl.h"
#include "controls/TitleTip.h"
#include "platform/DeviceContext.h"
#include "platform/TestHooks.h"
#include "views/NodeTableView.h"
#include "views/VasquilView.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

void Check(bool held, const std::string& what)
{
    if (held) return;
    std::fprintf(stderr, "failed: %s\n", what.c_str());
    screen_tour::g_failed = true;
}

CVasquilView* MainView()
{
    CWnd* frame = AfxGetMainWnd();
    return frame ? static_cast<CVasquilView*>(frame->GetDlgItem(int(AFX_IDW_PANE_FIRST))) : nullptr;
}

CNodeTableView* Table()
{
    CVasquilView* view = MainView();
    return view ? static_cast<CNodeTableView*>(view->TabControl.GetTabWnd(CVasquilView::NodeTableTab)) : nullptr;
}

CTitleTip* FindTip()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* tip = dynamic_cast<CTitleTip*>(CWnd::FromWidget(w))) return tip;
    }
    return nullptr;
}

// The cell the tour rests on and its text.
struct Target
{
    int row = -1;
    int col = -1;
    std::string text;
};
Target g_target;

// The widest body text of the grid's visible part, measured in the grid's font.
Target WidestCell(CGridCtrl& grid)
{
    Target widest;
    int widestPixels = 0;
    CClientDC dc(&grid);
    CFont* old = dc.SelectObject(CFont::FromHandle(HFONT(grid.SendMessage(WM_GETFONT))));
    for (int row = grid.FixedRowCount(); row < std::min(grid.RowCount(), grid.FixedRowCount() + 8); ++row) {
        for (int col = grid.FixedColumnCount(); col < std::min(grid.ColumnCount(), 6); ++col) {
            const std::string text = grid.CellText(row, col);
            const int pixels = dc.GetTextExtent(text).cx;
            if (pixels > widestPixels) {
                widestPixels = pixels;
                widest = {row, col, text};
            }
        }
    }
    if (old) dc.SelectObject(old);
    return widest;
}

// Puts the pointer on the centre of a cell (the window system sends the moves).
void PointAt(CGridCtrl& grid, int row, int col)
{
    CRect rect;
    grid.GetCellRect(row, col, &rect);
    CPoint centre((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    grid.ClientToScreen(&centre);
    QCursor::setPos(centre.x, centre.y);
}

// The tip's neighbourhood on the screen, three times as large.
void SaveCloseUp(const std::string& name)
{
    CTitleTip* tip = FindTip();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!tip || !screen) return;
    CRect placed;
    tip->GetWindowRect(&placed);
    const QRect around(placed.left - 40, placed.top - 30, placed.Width() + 80, placed.Height() + 60);
    const QImage shot = screen->grabWindow(0).toImage().copy(around);
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%02d-", ++screen_tour::g_shots);
    const std::filesystem::path path = screen_tour::g_folder / (prefix + name + ".png");
    const QImage large = shot.scaled(shot.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (large.isNull() || !large.save(QString::fromStdString(path.string()), "PNG")) {
        std::fprintf(stderr, "no picture for %s\n", path.c_str());
        screen_tour::g_failed = true;
        return;
    }
    std::printf("%s\n", path.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: title_tip_tour EXAMPLES_FOLDER OUTPUT_FOLDER\n");
        return 1;
    }
    const std::filesystem::path examples = argv[1];
    screen_tour::g_folder = argv[2];
    std::filesystem::create_directories(screen_tour::g_folder);
    // The program opens a copy: the example stays as it is.
    const std::filesystem::path model = screen_tour::g_folder / "model";
    std::filesystem::create_directories(model);
    for (const char* name : {"sample-river.vqx", "sample-river.nu"}) {
        if (std::filesystem::exists(examples / name))
            std::filesystem::copy_file(examples / name, model / name, std::filesystem::copy_options::overwrite_existing);
    }
    const std::string river = (model / "sample-river.vqx").string();

    CVasquilApp app(&CVasquilView::Runtime);
    ModalDialogInterceptor dialogs;
    MessageBoxSink boxes;  // the question before closing is answered with its first button

    const std::vector<std::function<void()>> stops = {
        [] {
            AfxGetMainWnd()->MoveWindow(0, 0, 1280, 800);
            CVasquilView* view = MainView();
            Check(view != nullptr, "the main view is there");
            if (view) view->TabControl.SetActiveTab(CVasquilView::NodeTableTab);
        },
        [] {
            CNodeTableView* table = Table();
            Check(table && table->Grid.RowCount() > table->Grid.FixedRowCount(), "the table lists the nodes");
            if (!table) return;
            CGridCtrl& grid = table->Grid;
            g_target = WidestCell(grid);
            Check(g_target.row >= 0 && !g_target.text.empty(), "a cell with text");
            if (g_target.row < 0) return;
            // Narrowed as a user drags the divider: the text no longer fits.
            CClientDC dc(&grid);
            CFont* old = dc.SelectObject(CFont::FromHandle(HFONT(grid.SendMessage(WM_GETFONT))));
            const int pixels = dc.GetTextExtent(g_target.text).cx;
            if (old) dc.SelectObject(old);
            grid.SetColumnWidth(g_target.col, std::max(pixels * 2 / 3, 8));
            grid.UpdateScrollBars();
            grid.Invalidate();
            grid.SetFocus();
            QCursor::setPos(5, 795);  // away from the table first
        },
        [] {
            CNodeTableView* table = Table();
            if (!table || g_target.row < 0) return;
            Check(CWnd::GetFocus() == &table->Grid, "the table has the keyboard focus");
            PointAt(table->Grid, g_target.row, g_target.col);
        },
        [] {
            CNodeTableView* table = Table();
            if (!table || g_target.row < 0) return;
            CTitleTip* tip = FindTip();
            Check(tip && tip->IsWindowVisible(), "the title tip shows over the narrow cell");
            if (tip) {
                Check(tip->TipText() == " " + g_target.text + " ", "the tip holds the whole text");
                CRect cell;
                table->Grid.GetCellRect(g_target.row, g_target.col, &cell);
                CPoint corner = cell.TopLeft();
                table->Grid.ClientToScreen(&corner);
                CRect placed;
                tip->GetWindowRect(&placed);
                Check(placed.TopLeft() == corner, "the tip lies at the cell's top left");
                Check(placed.Height() == cell.Height(), "the tip is as high as the cell");
            }
            Check(QApplication::activeWindow() == AfxGetMainWnd()->GetWidget(), "the main window stays active");
            screen_tour::SaveScreen("title-tip");
            SaveCloseUp("title-tip-close-up");
        },
        [] {
            CNodeTableView* table = Table();
            if (!table || g_target.row < 0) return;
            // Off the cell, onto the next row's fixed column: the tip goes.
            PointAt(table->Grid, g_target.row + 1, 0);
        },
        [] {
            CTitleTip* tip = FindTip();
            Check(!tip || !tip->IsWindowVisible(), "the tip goes when the pointer leaves the cell");
            screen_tour::SaveScreen("title-tip-gone");
        },
        [] { AfxGetMainWnd()->PostMessage(WM_CLOSE); },
    };
    screen_tour::RunStopsInProgram(app, dialogs, stops, argv[0], river.c_str());
    return screen_tour::g_failed || screen_tour::g_shots == 0 ? 2 : 0;
}
