// The program's start-up, its main frame (menus, toolbars, status bar, pane menu and the
// customising dialog), the question before it closes, and what it keeps from one run to the
// next; the program runs headless with the hooks playing the user.
#include "AppTestSupport.h"

#include "app/AboutDlg.h"
#include "app/MainFrm.h"
#include "app/PlaceholderView.h"
#include "app/VasquilApp.h"
#include "platform/DocTemplate.h"
#include "platform/DocView.h"
#include "platform/Resources.h"
#include "platform/TestHooks.h"
#include "resources/ResourceIds.h"
#include "tests/platform/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <filesystem>
#include <functional>
#include <memory>

namespace {

using namespace app_test;

class MainFrameTest : public ::testing::Test
{
protected:
    void SetUp() override { ClearProgramSettings(); }
    void TearDown() override
    {
        app_.reset();
        ProcessEvents();
    }

    // Starts the program; the About box is closed with OK by aboutScript's end.
    void Start(BOOL hiColorIcons = TRUE, std::function<void(CDialog&)> aboutScript = {})
    {
        app_ = std::make_unique<CVasquilApp>(&CPlaceholderView::Runtime);
        app_->HiColorIcons = hiColorIcons;
        about_.scripts.push_back([aboutScript](CDialog& dialog) {
            if (aboutScript) aboutScript(dialog);
            static_cast<CButton*>(dialog.GetDlgItem(IDOK))->Click();
        });
        ASSERT_TRUE(app_->InitInstance());
        ASSERT_NE(Frame(), nullptr);
    }
    CMainFrame* Frame() const { return app_ ? static_cast<CMainFrame*>(app_->m_pMainWnd) : nullptr; }
    QMainWindow* Window() const { return Frame()->GetMainWindow(); }

    ModalDialogInterceptor about_;
    std::unique_ptr<CVasquilApp> app_;
};

TEST_F(MainFrameTest, StartUpShowsTheFrameWithItsBarsThenTheAboutBoxOnce)
{
    bool frameShownFirst = false;
    std::string caption;
    std::vector<std::string> texts;
    Start(TRUE, [&](CDialog& dialog) {
        frameShownFirst = AfxGetMainWnd() && AfxGetMainWnd()->IsWindowVisible();
        caption = dialog.GetWindowText();
        for (int id : {IDC_ABOUT_PURPOSE, IDC_ABOUT_UPDATED}) texts.push_back(dialog.GetDlgItem(id)->GetWindowText());
        for (int id : {IDC_ABOUT_PICTURE, IDC_ABOUT_ICON}) {
            auto* picture = qobject_cast<QLabel*>(dialog.GetDlgItem(id)->GetWidget());
            EXPECT_FALSE(picture->pixmap().isNull()) << id;
        }
    });
    EXPECT_EQ(about_.shown, std::vector<UINT>{IDD_ABOUTBOX});
    EXPECT_TRUE(frameShownFirst);
    EXPECT_EQ(caption, "About Vasquil");
    EXPECT_EQ(texts, (std::vector<std::string>{"Vasquil for Modelling Natural and Rectangular Channels - Open Water Conditions, "
                                               "Static Ice Conditions, and Thermal Ice Processes ",
                                               "Last Updated: April 29, 2024"}));
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("Untitled - Vasquil"));
    EXPECT_FALSE(Window()->windowIcon().isNull());

    // The menu bar's popups, in order.
    QStringList popups;
    for (QAction* entry : Window()->menuBar()->actions()) popups << entry->text();
    EXPECT_EQ(popups, (QStringList{"&File", "&Edit", "&View", "&Display", "&Node Table", "&Simulation", "&Water Quality", "&Help"}));

    // Four toolbars with their titles and buttons; the status bar's four panes.
    struct Bar
    {
        const CToolBar* bar;
        const char* title;
        std::vector<UINT> buttons;
    };
    const Bar bars[] = {
        {&Frame()->StandardToolBar, "Standard",
         {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_SEPARATOR, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_SEPARATOR,
          ID_FILE_PRINT, ID_APP_ABOUT}},
        {&Frame()->ZoomToolBar, "Zoom", {ID_ZOOM_SCALE_TO_FIT, ID_ZOOM_RECTANGLE, ID_ZOOM_POINT, ID_ZOOM_OUT}},
        {&Frame()->TableToolBar, "Table",
         {ID_TABLE_ACCEPT_CHANGES, ID_TABLE_REJECT_CHANGES, ID_TABLE_EXPAND_TO_FIT, ID_TABLE_AUTO_SIZE}},
        {&Frame()->EditBCToolBar, "Edit BC", {ID_EDIT_BOUNDARY_CONDITIONS}},
    };
    for (const Bar& b : bars) {
        EXPECT_EQ(b.bar->GetWindowText(), b.title);
        EXPECT_FALSE(BarOf(*b.bar)->isHidden()) << b.title;
        std::vector<UINT> buttons;
        for (int i = 0; i < b.bar->GetCount(); ++i) buttons.push_back(b.bar->GetItemID(i));
        EXPECT_EQ(buttons, b.buttons) << b.title;
    }
    EXPECT_EQ(Button(Frame()->ZoomToolBar, ID_ZOOM_SCALE_TO_FIT)->toolTip(), QStringLiteral(" Scale To Fit"));
    EXPECT_EQ(Button(Frame()->ZoomToolBar, ID_ZOOM_SCALE_TO_FIT)->statusTip(), QStringLiteral("Scale To Fit In Window"));
    EXPECT_EQ(Frame()->StatusBar.GetWidget()->findChildren<QLabel*>().size(), 4);
    EXPECT_EQ(Frame()->StatusBar.GetPaneText(0), "Ready");

    // About again from its toolbar button: the box once more.
    app_->OnIdle(0);
    about_.scripts.push_back([](CDialog& dialog) { static_cast<CButton*>(dialog.GetDlgItem(IDOK))->Click(); });
    Button(Frame()->StandardToolBar, ID_APP_ABOUT)->trigger();
    EXPECT_EQ(about_.shown, (std::vector<UINT>{IDD_ABOUTBOX, IDD_ABOUTBOX}));
}

// A view class that cannot be made: the frame, and so the start-up, fails.
const CRuntimeClass UnmakeableView{"UnmakeableView", &CView::Runtime, nullptr};

TEST_F(MainFrameTest, AFailedStartUpLeavesNothingOpenAndEndsWithANonZeroStatus)
{
    app_ = std::make_unique<CVasquilApp>(&UnmakeableView);
    EXPECT_FALSE(app_->InitInstance());
    EXPECT_EQ(app_->m_pMainWnd, nullptr);
    EXPECT_EQ(app_->GetDocTemplate()->GetDocument(), nullptr);
    EXPECT_TRUE(about_.shown.empty());
    EXPECT_EQ(app_->ExitInstance(), CVasquilApp::StartupFailedStatus);
}

TEST_F(MainFrameTest, TheStandardToolbarTakesItsImagesFromTheStripTheApplicationAsksFor)
{
    struct Case
    {
        BOOL hiColorIcons;
        UINT strip;
    };
    for (const Case c : {Case{TRUE, IDB_MAINFRAME_TOOLBAR_256}, Case{FALSE, IDB_MAINFRAME_TOOLBAR}}) {
        SCOPED_TRACE(c.strip);
        Start(c.hiColorIcons);
        QImage strip;
        const ImageResource* image = FindImageResource(c.strip);
        ASSERT_NE(image, nullptr);
        ASSERT_TRUE(strip.loadFromData(QByteArrayView(image->data, qsizetype(image->size))));
        strip = strip.convertToFormat(QImage::Format_ARGB32);
        // Save, the third picture: every pixel of its cell shows, the button face none.
        const QImage icon =
            Button(Frame()->StandardToolBar, ID_FILE_SAVE)->icon().pixmap(QSize(16, 15)).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(icon.size(), QSize(16, 15));
        int drawn = 0;
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QRgb source = strip.pixel(32 + x, y);
                if (qAlpha(source) == 0 || source == 0xFFC0C0C0) {
                    EXPECT_EQ(qAlpha(icon.pixel(x, y)), 0) << x << "," << y;
                } else {
                    ++drawn;
                    EXPECT_EQ(icon.pixel(x, y), source) << x << "," << y;
                }
            }
        }
        EXPECT_GT(drawn, 100);
        app_.reset();
    }
}

TEST_F(MainFrameTest, ExitTheCloseBoxAndAltF4AskFirstAndNoChangesNothing)
{
    struct Case
    {
        const char* way;
        std::function<void(CMainFrame*)> close;
    };
    const Case ways[] = {
        {"Exit", [](CMainFrame* frame) { frame->SendMessage(WM_COMMAND, ID_APP_EXIT, 0); }},
        {"close box", [](CMainFrame* frame) { frame->GetWidget()->close(); }},
        {"Alt+F4",
         [](CMainFrame* frame) {
             frame->GetWidget()->activateWindow();  // the About box had it
             ASSERT_TRUE(QTest::qWaitForWindowActive(frame->GetWidget()));
             QTest::keyClick(frame->GetWidget(), Qt::Key_F4, Qt::AltModifier);
         }},
    };
    for (const Case& way : ways) {
        for (const int answer : {IDNO, IDYES}) {
            SCOPED_TRACE(std::string(way.way) + (answer == IDYES ? " Yes" : " No"));
            Start();
            MessageBoxSink boxes;
            boxes.answers = {answer};
            CDocument* document = Frame()->GetActiveDocument();
            way.close(Frame());
            ProcessEvents();
            ASSERT_EQ(boxes.shown.size(), 1u);
            EXPECT_EQ(boxes.shown[0].text, "Are you sure you want to close Vasquil?");
            EXPECT_EQ(boxes.shown[0].caption, "Vasquil");
            EXPECT_EQ(boxes.shown[0].buttons, MB_YESNO);
            EXPECT_EQ(boxes.shown[0].icon, MB_ICONSTOP);
            if (answer == IDNO) {
                ASSERT_NE(Frame(), nullptr);
                EXPECT_TRUE(Frame()->IsWindowVisible());
                EXPECT_EQ(Frame()->GetActiveDocument(), document);
            } else {
                EXPECT_EQ(app_->m_pMainWnd, nullptr);
                EXPECT_EQ(app_->GetDocTemplate()->GetDocument(), nullptr);
            }
            app_.reset();
            ProcessEvents();
        }
    }
}

TEST_F(MainFrameTest, ThePaneMenuAndTheViewMenuListTheToolbarsAndShowOrHideThem)
{
    Start();
    const UINT zoom = IDR_ZOOM_TOOLBAR;
    const std::vector<std::pair<UINT, std::string>> expected = {
        {AFX_IDW_TOOLBAR, "Standard"}, {IDR_ZOOM_TOOLBAR, "Zoom"}, {IDR_TABLE_TOOLBAR, "Table"},
        {IDR_EDITBC_TOOLBAR, "Edit BC"}, {0, ""}, {ID_VIEW_CUSTOMIZE, "Customize..."}};

    // A right click on a bar: the list, ticked while shown; a choice hides the bar.
    PopupMenuChooser chooser;
    chooser.answers = {zoom, 0};
    Frame()->ShowPaneMenu(CPoint(40, 40));
    ASSERT_EQ(chooser.requests.size(), 1u);
    std::vector<std::pair<UINT, std::string>> listed;
    for (const PopupMenuItem& item : chooser.requests[0].items) {
        listed.emplace_back(item.id, item.text);
        if (item.id) {
            EXPECT_TRUE(item.enabled) << item.text;
        }
        if (item.id && item.id != ID_VIEW_CUSTOMIZE) {
            EXPECT_TRUE(item.checked) << item.text;
        }
    }
    EXPECT_EQ(listed, expected);
    EXPECT_TRUE(BarOf(Frame()->ZoomToolBar)->isHidden());
    Frame()->ShowPaneMenu(CPoint(40, 40));
    EXPECT_FALSE(chooser.requests[1].items[1].checked);

    // View > Toolbars and Docking Windows holds the same entries in place of its placeholder.
    QMenu* toolbars = EntryByText(MenuBarPopup(*Frame(), "&View"), "&Toolbars and Docking Windows")->menu();
    ASSERT_NE(toolbars, nullptr);
    OpenMenu(toolbars);
    listed.clear();
    for (QAction* entry : toolbars->actions()) listed.emplace_back(entry->data().toUInt(), entry->text().toStdString());
    EXPECT_EQ(listed, expected);
    EXPECT_FALSE(MenuItem(toolbars, zoom)->isChecked());
    EXPECT_TRUE(MenuItem(toolbars, IDR_TABLE_TOOLBAR)->isChecked());
    emit Window()->menuBar()->triggered(MenuItem(toolbars, zoom));  // the user's choice, as the menu bar passes it on
    EXPECT_FALSE(BarOf(Frame()->ZoomToolBar)->isHidden());
}

TEST_F(MainFrameTest, TheCustomiseDialogShowsHidesAndResetsTheToolbars)
{
    Start();
    QToolBar* table = BarOf(Frame()->TableToolBar);
    Window()->addToolBar(Qt::LeftToolBarArea, BarOf(Frame()->ZoomToolBar));
    Frame()->SendMessage(WM_COMMAND, ID_VIEW_CUSTOMIZE, 0);
    auto* dialog = Window()->findChild<QDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    auto* list = dialog->findChild<QListWidget*>();
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("Table"));

    list->item(2)->setCheckState(Qt::Unchecked);
    EXPECT_TRUE(table->isHidden());
    Frame()->SendMessage(WM_COMMAND, IDR_TABLE_TOOLBAR, 0);  // shown again elsewhere: the row follows
    EXPECT_EQ(list->item(2)->checkState(), Qt::Checked);
    list->item(2)->setCheckState(Qt::Unchecked);

    // Reset: every bar back where the frame put it, shown.
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("&Reset All")) button->click();
    }
    EXPECT_FALSE(table->isHidden());
    EXPECT_EQ(Window()->toolBarArea(BarOf(Frame()->ZoomToolBar)), Qt::TopToolBarArea);
    EXPECT_EQ(list->item(2)->checkState(), Qt::Checked);

    // A second customise command raises the same dialog.
    Frame()->SendMessage(WM_COMMAND, ID_VIEW_CUSTOMIZE, 0);
    EXPECT_EQ(Window()->findChildren<QDialog*>().size(), 1);
}

TEST_F(MainFrameTest, TheToolbarLayoutAndTheRecentFilesSurviveARestart)
{
    Start();
    Window()->addToolBar(Qt::LeftToolBarArea, BarOf(Frame()->ZoomToolBar));
    BarOf(Frame()->TableToolBar)->hide();
    const std::filesystem::path river = std::filesystem::temp_directory_path() / "vasquil-restart-river.vqx";
    app_->AddToRecentFileList(river);
    MessageBoxSink yes;
    Frame()->SendMessage(WM_COMMAND, ID_APP_EXIT, 0);
    ASSERT_EQ(app_->m_pMainWnd, nullptr);
    app_.reset();
    ProcessEvents();

    Start();
    EXPECT_EQ(Window()->toolBarArea(BarOf(Frame()->ZoomToolBar)), Qt::LeftToolBarArea);
    EXPECT_TRUE(BarOf(Frame()->TableToolBar)->isHidden());
    EXPECT_FALSE(BarOf(Frame()->EditBCToolBar)->isHidden());
    EXPECT_EQ(app_->GetRecentFiles(), std::vector<std::filesystem::path>{river});
    QMenu* file = MenuBarPopup(*Frame(), "&File");
    OpenMenu(file);
    ASSERT_NE(MenuItem(file, ID_FILE_MRU_FILE1), nullptr);
    EXPECT_TRUE(MenuItem(file, ID_FILE_MRU_FILE1)->text().endsWith(QStringLiteral("vasquil-restart-river.vqx")));
}

}  // namespace
