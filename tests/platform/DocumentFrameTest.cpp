#include "GuiTestSupport.h"
#include "TestResources.h"

#include "platform/Application.h"
#include "platform/CommonDialogs.h"
#include "platform/DeviceContext.h"
#include "platform/DocTemplate.h"
#include "platform/Dialog.h"
#include "platform/DocView.h"
#include "platform/Frame.h"
#include "platform/Menu.h"
#include "platform/TestHooks.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <filesystem>
#include <fstream>

namespace {

using namespace TestIds;

std::vector<std::string> g_log;  // handlers that ran, as "target command"

class TestDocument : public CDocument
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    TestDocument()
    {
        MapCommand(ViewCommand, &TestDocument::OnView);
        MapCommand(DocumentCommand, &TestDocument::OnDocument);
        MapCommand(Toggle, &TestDocument::OnToggle);
        MapUpdate(Toggle, &TestDocument::OnUpdateToggle);
    }
    BOOL OnOpenDocument(const std::filesystem::path& path) override
    {
        g_log.push_back("open " + path.filename().string());
        return std::filesystem::exists(path) ? TRUE : FALSE;
    }
    BOOL OnSaveDocument(const std::filesystem::path& path) override
    {
        g_log.push_back("save " + path.filename().string());
        if (failSave) return FALSE;
        std::ofstream(path) << "saved";
        return TRUE;
    }
    bool failSave = false;
    void OnView() { g_log.push_back("document view"); }
    void OnDocument() { g_log.push_back("document document"); }
    void OnToggle() { toggled = !toggled; }
    void OnUpdateToggle(CCmdUI* ui) { ui->SetCheck(toggled ? 1 : 0); }
    bool toggled = true;
};
const CRuntimeClass TestDocument::Runtime{"TestDocument", &CDocument::Runtime, &CreateRuntimeObject<TestDocument>};

class TestView : public CView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    TestView()
    {
        MapCommand(ViewCommand, &TestView::OnView);
        MapCommand(ID_EDIT_COPY, &TestView::OnCopy);
    }
    void OnDraw(CDC*) override { ++draws; }
    void OnInitialUpdate() override
    {
        ++initialUpdates;
        CView::OnInitialUpdate();
    }
    void OnView() { g_log.push_back("view view"); }
    void OnCopy() { g_log.push_back("view copy"); }
    int draws = 0;
    int initialUpdates = 0;
};
const CRuntimeClass TestView::Runtime{"TestView", &CView::Runtime, &CreateRuntimeObject<TestView>};

class TestFrame : public CFrameWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }
    TestFrame()
    {
        MapCommand(DocumentCommand, &TestFrame::OnDocument);
        MapCommand(FrameCommand, &TestFrame::OnFrame);
        MapCommand(PopupFirst, &TestFrame::OnPopup);
        MapCommand(PopupSecond, &TestFrame::OnPopup);
        MapUpdate(PopupFirst, &TestFrame::OnUpdatePopup);
        MapCommand(Disabled, &TestFrame::OnDisabled);
        MapUpdate(Disabled, &TestFrame::OnUpdateDisabled);
        MapUpdate(Renamed, &TestFrame::OnUpdateRenamed);
    }
    int OnCreate(CREATESTRUCT* cs) override
    {
        if (CFrameWnd::OnCreate(cs) == -1) return -1;
        if (!toolbar.Create(this) || !toolbar.LoadToolBar(Toolbar)) return -1;
        toolbar.SetWindowText("Standard");
        const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
        if (!status.Create(this) || !status.SetIndicators(indicators, 4)) return -1;
        return 0;
    }
    void OnDocument() { g_log.push_back("frame document"); }
    void OnFrame() { g_log.push_back("frame frame"); }
    void OnPopup() {}
    void OnDisabled() { g_log.push_back("frame disabled"); }
    // The popup entry greys while popupOff; plain First stays enabled (its handler sets only that).
    void OnUpdatePopup(CCmdUI* ui) { ui->Enable(ui->m_pSubMenu ? !popupOff : TRUE); }
    void OnUpdateDisabled(CCmdUI* ui) { ui->Enable(FALSE); }
    void OnUpdateRenamed(CCmdUI* ui) { ui->SetText("New \xB0Name"); }
    CToolBar toolbar;
    CStatusBar status;
    bool popupOff = false;
};
const CRuntimeClass TestFrame::Runtime{"TestFrame", &CFrameWnd::Runtime, &CreateRuntimeObject<TestFrame>};

class TestApp : public CWinApp
{
public:
    TestApp() : CWinApp("Vasquil Test")
    {
        MapCommand(ID_FILE_NEW, &CWinApp::OnFileNew);
        MapCommand(ID_FILE_OPEN, &CWinApp::OnFileOpen);
        MapCommand(FrameCommand, &TestApp::OnFrame);
        MapCommand(AppCommand, &TestApp::OnApp);
    }
    BOOL InitInstance() override
    {
        ++inits;
        SetRegistryKey("Vasquil Tests");
        LoadStdProfileSettings(4);
        AddDocTemplate(new CSingleDocTemplate(Frame, &TestDocument::Runtime, &TestFrame::Runtime, &TestView::Runtime));
        CCommandLineInfo info;
        ParseCommandLine(info);
        return ProcessShellCommand(info);
    }
    int ExitInstance() override { return 7; }
    BOOL OnIdle(long count) override
    {
        if (count == 0) ++idles;
        return CWinApp::OnIdle(count);
    }
    void OnFrame() { g_log.push_back("app frame"); }
    void OnApp() { g_log.push_back("app app"); }
    int inits = 0;
    int idles = 0;
};

class DocumentFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterTestResources();
        g_log.clear();
        folder_ = std::filesystem::temp_directory_path() /
                  ("vasquil-frame-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        app_ = std::make_unique<TestApp>();
        app_->SetRegistryKey("Vasquil Tests");
        app_->OpenSettings()->clear();
        ASSERT_TRUE(app_->InitInstance());
    }
    void TearDown() override
    {
        app_.reset();
        ProcessEvents();
        std::filesystem::remove_all(folder_);
    }

    std::filesystem::path File(const char* name, bool create = true) const
    {
        const std::filesystem::path path = folder_ / name;
        if (create) std::ofstream(path) << "model";
        return path;
    }
    TestFrame* Frame() const { return static_cast<TestFrame*>(app_->m_pMainWnd); }
    TestDocument* Document() const { return static_cast<TestDocument*>(app_->GetDocTemplate()->GetDocument()); }
    TestView* View() const { return static_cast<TestView*>(Frame()->GetActiveView()); }
    QString Caption() const { return Frame()->GetWidget()->windowTitle(); }
    QMenu* Popup(int index) const { return Frame()->GetMenu()->GetSubMenu(index)->GetQMenu(); }
    static QAction* Item(QMenu* menu, UINT id)
    {
        for (QAction* a : menu->actions()) {
            if (!a->isSeparator() && !a->menu() && a->data().toUInt() == id) return a;
        }
        return nullptr;
    }
    std::vector<std::filesystem::path> SavedRecentFiles() const
    {
        std::vector<std::filesystem::path> files;
        const auto settings = app_->OpenSettings();
        settings->beginGroup("Recent File List");
        for (int i = 1; i <= 4; ++i) {
            const QString file = settings->value(QStringLiteral("File%1").arg(i)).toString();
            if (!file.isEmpty()) files.emplace_back(file.toStdString());
        }
        return files;
    }

    std::filesystem::path folder_;
    std::unique_ptr<TestApp> app_;
};

}  // namespace

TEST_F(DocumentFrameTest, CommandsGoToTheViewTheDocumentTheFrameAndTheApplicationFirstHandlerWinning)
{
    struct Route
    {
        UINT command;
        std::vector<std::string> ran;
    };
    const Route routes[] = {
        {ViewCommand, {"view view"}},
        {DocumentCommand, {"document document"}},
        {FrameCommand, {"frame frame"}},
        {AppCommand, {"app app"}},
        {Unhandled, {}},
    };
    for (const Route& r : routes) {
        g_log.clear();
        Frame()->SendMessage(WM_COMMAND, MAKEWPARAM(r.command, 0), 0);
        EXPECT_EQ(g_log, r.ran) << r.command;
    }
}

TEST_F(DocumentFrameTest, MenusTakeTheirStateFromUpdateHandlersBeforeTheyShow)
{
    QMenu* commands = Popup(1);
    emit commands->aboutToShow();
    EXPECT_TRUE(Item(commands, ViewCommand)->isEnabled());
    EXPECT_TRUE(Item(commands, AppCommand)->isEnabled());
    EXPECT_FALSE(Item(commands, Unhandled)->isEnabled());  // no handler: grey
    EXPECT_FALSE(Item(commands, Disabled)->isEnabled());
    EXPECT_TRUE(Item(commands, Toggle)->isChecked());
    EXPECT_EQ(Item(commands, Renamed)->text(), QString::fromUtf8("New \u00B0Name"));
    EXPECT_FALSE(Item(commands, Renamed)->isEnabled());  // its text set, but no command handler
    QAction* popupEntry = commands->actions().last();
    ASSERT_NE(popupEntry->menu(), nullptr);
    EXPECT_TRUE(popupEntry->isEnabled());

    Frame()->SendMessage(WM_COMMAND, Toggle, 0);
    Frame()->popupOff = true;
    emit commands->aboutToShow();
    EXPECT_FALSE(Item(commands, Toggle)->isChecked());
    EXPECT_FALSE(popupEntry->isEnabled());  // the popup's first item stands for the popup
    emit popupEntry->menu()->aboutToShow();
    EXPECT_TRUE(Item(popupEntry->menu(), PopupFirst)->isEnabled());  // the item itself stays

    // The status-bar prompt is the command string's text before "\n".
    EXPECT_EQ(Item(commands, ViewCommand)->statusTip(), QStringLiteral("Do the view's command"));
}

TEST_F(DocumentFrameTest, ToolbarsTakeTheirStateWhenIdleAndShowTipsAndPrompts)
{
    app_->OnIdle(0);
    auto* bar = qobject_cast<QToolBar*>(Frame()->toolbar.GetWidget());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(Frame()->toolbar.GetCount(), 6);
    EXPECT_EQ(Frame()->toolbar.GetItemID(2), ID_SEPARATOR);
    for (QAction* a : bar->actions()) {
        if (a->isSeparator()) continue;
        const UINT id = a->data().toUInt();
        const bool enabled = id != Unhandled && id != Disabled;
        EXPECT_EQ(a->isEnabled(), enabled) << id;
        if (id == ViewCommand) {
            EXPECT_EQ(a->toolTip(), QStringLiteral("View Command"));
            EXPECT_EQ(a->statusTip(), QStringLiteral("Do the view's command"));
        }
    }
    EXPECT_EQ(Frame()->status.GetPaneText(0), "Ready");
    Frame()->SetMessageText("Converting HEC-RAS Geometry...");
    EXPECT_EQ(Frame()->status.GetPaneText(0), "Converting HEC-RAS Geometry...");

    // Fly-by: while the pointer is on a menu item or button its prompt shows, then the pane again.
    auto* statusBar = qobject_cast<QStatusBar*>(Frame()->status.GetWidget());
    QStatusTipEvent onItem(Item(Popup(1), ViewCommand)->statusTip());
    QCoreApplication::sendEvent(Frame()->GetWidget(), &onItem);
    EXPECT_EQ(statusBar->currentMessage(), QStringLiteral("Do the view's command"));
    QStatusTipEvent away{QString()};
    QCoreApplication::sendEvent(Frame()->GetWidget(), &away);
    EXPECT_EQ(statusBar->currentMessage(), QString());
    EXPECT_EQ(Frame()->status.GetPaneText(0), "Converting HEC-RAS Geometry...");

    // The status bar's own command hides and shows it, ticked while it shows.
    CCmdUI state;
    state.m_nID = ID_VIEW_STATUS_BAR;
    state.DoUpdate(Frame(), TRUE);
    EXPECT_EQ(state.m_check, 1);
    Frame()->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR, 0);
    EXPECT_FALSE(Frame()->status.IsWindowVisible());
    state.DoUpdate(Frame(), TRUE);
    EXPECT_EQ(state.m_check, 0);
    EXPECT_EQ(state.m_enabled, true);
}

TEST_F(DocumentFrameTest, AcceleratorsRunEnabledCommandsOnly)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(Frame()->GetWidget()));
    QTest::keyClick(Frame()->GetWidget(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(g_log, std::vector<std::string>{"app app"});
    g_log.clear();
    QTest::keyClick(Frame()->GetWidget(), Qt::Key_F7);  // handled, but its update handler disables it
    Frame()->SendMessage(WM_COMMAND, Disabled, 0);     // the same from a menu or toolbar
    EXPECT_TRUE(g_log.empty());
}

TEST_F(DocumentFrameTest, TheTemplateMakesOneDocumentFrameAndViewAndNamesTheCaption)
{
    EXPECT_EQ(Caption(), QStringLiteral("Untitled - Vasquil Test"));
    EXPECT_EQ(Document()->GetTitle(), "Untitled");
    EXPECT_TRUE(Frame()->IsWindowVisible());
    ASSERT_NE(View(), nullptr);
    EXPECT_EQ(View()->GetDocument(), Document());
    EXPECT_EQ(View()->initialUpdates, 1);
    TestDocument* document = Document();

    const std::filesystem::path river = File("river.tst");
    ASSERT_EQ(app_->OpenDocumentFile(river), document);  // the same document, opened again
    EXPECT_EQ(Caption(), QStringLiteral("river.tst - Vasquil Test"));
    EXPECT_EQ(View()->initialUpdates, 2);
    EXPECT_EQ(SavedRecentFiles(), std::vector<std::filesystem::path>{river});

    // A file that does not open leaves the document, its caption and the list as they were.
    EXPECT_EQ(app_->OpenDocumentFile(File("missing.tst", false)), nullptr);
    EXPECT_EQ(Document(), document);
    EXPECT_EQ(Document()->GetPathName(), river);
    EXPECT_EQ(Caption(), QStringLiteral("river.tst - Vasquil Test"));
    EXPECT_EQ(View()->initialUpdates, 2);
    EXPECT_EQ(SavedRecentFiles(), std::vector<std::filesystem::path>{river});

    // UpdateAllViews repaints the views: their paint draws.
    const int draws = View()->draws;
    Document()->UpdateAllViews(nullptr);
    ProcessEvents();
    EXPECT_GT(View()->draws, draws);
}

TEST_F(DocumentFrameTest, RecentFilesFillTheMenuOpenAndLeaveWhenTheyNoLongerOpen)
{
    QMenu* file = Popup(0);
    emit file->aboutToShow();
    QAction* placeholder = Item(file, ID_FILE_MRU_FILE1);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->text(), QStringLiteral("Recent File"));
    EXPECT_FALSE(placeholder->isEnabled());

    const std::filesystem::path a = File("a.tst");
    const std::filesystem::path b = File("b & c.tst");
    app_->OpenDocumentFile(a);
    app_->OpenDocumentFile(b);
    emit file->aboutToShow();
    ASSERT_NE(Item(file, ID_FILE_MRU_FILE1 + 1), nullptr);
    EXPECT_EQ(Item(file, ID_FILE_MRU_FILE1)->text(), QStringLiteral("&1 b && c.tst"));  // the name, its & doubled
    EXPECT_EQ(Item(file, ID_FILE_MRU_FILE1 + 1)->text(), QStringLiteral("&2 a.tst"));
    EXPECT_TRUE(Item(file, ID_FILE_MRU_FILE1 + 1)->isEnabled());
    EXPECT_EQ(Item(file, ID_FILE_MRU_FILE1 + 2), nullptr);

    Frame()->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1 + 1, 0);
    EXPECT_EQ(Document()->GetPathName(), a);
    EXPECT_EQ(SavedRecentFiles(), (std::vector<std::filesystem::path>{a, b}));

    std::filesystem::remove(b);
    Frame()->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1 + 1, 0);
    EXPECT_EQ(Document()->GetPathName(), a);
    EXPECT_EQ(SavedRecentFiles(), std::vector<std::filesystem::path>{a});
    EXPECT_EQ(app_->GetRecentFiles(), std::vector<std::filesystem::path>{a});
}

TEST_F(DocumentFrameTest, RecentFilesShowTheirNamesAndTheirFoldersWhereTwoShareAName)
{
    for (const char* sub : {"one", "two", "a much longer folder name than thirty characters"})
        std::filesystem::create_directories(folder_ / sub);
    const std::filesystem::path one = File("one/river.tst");
    const std::filesystem::path two = File("two/river.tst");
    const std::filesystem::path lake = File("a much longer folder name than thirty characters/lake.tst");
    const std::filesystem::path pond = File("pond.tst");
    for (const std::filesystem::path& p : {one, lake, pond, two}) ASSERT_NE(app_->OpenDocumentFile(p), nullptr);

    QMenu* file = Popup(0);
    const auto texts = [&] {
        emit file->aboutToShow();
        QStringList shown;
        for (UINT i = 0; i < 4; ++i)
            if (QAction* a = Item(file, ID_FILE_MRU_FILE1 + i)) shown << a->text();
        return shown;
    };
    const QString base = QString::fromStdString(folder_.string());
    // Short and long paths alike: the name; the two rivers with their folders.
    EXPECT_EQ(texts(), (QStringList{"&1 river.tst (" + base + "/two)", "&2 pond.tst", "&3 lake.tst",
                                    "&4 river.tst (" + base + "/one)"}));
    // Once one river has left the list, the other is known by its name alone.
    std::filesystem::remove(two);
    Frame()->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1, 0);
    EXPECT_EQ(texts(), (QStringList{"&1 pond.tst", "&2 lake.tst", "&3 river.tst"}));
}

TEST_F(DocumentFrameTest, FileDialogsStartInTheDocumentsFolderElseThatOfTheLastFileChosen)
{
    for (const char* sub : {"one", "two"}) std::filesystem::create_directories(folder_ / sub);
    const std::filesystem::path river = File("one/river.tst");
    const std::filesystem::path lake = File("two/lake.tst");
    FileDialogProvider files;
    const auto startsIn = [&](UINT command) {
        files.answers.push_back(std::nullopt);  // cancelled
        Frame()->SendMessage(WM_COMMAND, command, 0);
        return files.requests.empty() ? std::filesystem::path() : files.requests.back().initialFolder;
    };
    // Nothing chosen yet, no file, no recent file: the home folder, not the working folder.
    const std::filesystem::path home = QDir::homePath().toStdString();
    EXPECT_EQ(startsIn(ID_FILE_OPEN), home);

    files.answers.push_back(river);
    Frame()->SendMessage(WM_COMMAND, ID_FILE_OPEN, 0);
    ASSERT_EQ(Document()->GetPathName(), river);
    EXPECT_EQ(startsIn(ID_FILE_OPEN), folder_ / "one");
    EXPECT_EQ(startsIn(ID_FILE_SAVE_AS), folder_ / "one");

    // A file chosen elsewhere: the document's folder still comes first ...
    CFileDialog other(TRUE);
    files.answers.push_back(lake);
    ASSERT_EQ(other.DoModal(), IDOK);
    EXPECT_EQ(startsIn(ID_FILE_OPEN), folder_ / "one");
    // ... and without a document file, the last file's folder; a folder picker alike.
    Frame()->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
    ASSERT_TRUE(Document()->GetPathName().empty());
    EXPECT_EQ(startsIn(ID_FILE_OPEN), folder_ / "two");
    CFolderPickerDialog picker;
    files.answers.push_back(std::nullopt);
    picker.DoModal();
    EXPECT_EQ(files.requests.back().initialFolder, folder_ / "two");
    // A folder that is gone is passed over: the newest recent file's folder.
    std::filesystem::remove_all(folder_ / "two");
    EXPECT_EQ(startsIn(ID_FILE_OPEN), folder_ / "one");
    // A dialog given a folder of its own starts there.
    CFileDialog given(TRUE);
    given.m_initialFolder = "/data/runs";
    files.answers.push_back(std::nullopt);
    given.DoModal();
    EXPECT_EQ(files.requests.back().initialFolder, "/data/runs");
}

TEST_F(DocumentFrameTest, SaveAsAsksForANameAddsTheExtensionAndAsksBeforeReplacing)
{
    FileDialogProvider files;
    MessageBoxSink boxes;
    const std::filesystem::path existing = File("existing.tst");

    // A new name without extension: the template's extension is added.
    files.answers = {folder_ / "fresh"};
    Frame()->SendMessage(WM_COMMAND, ID_FILE_SAVE_AS, 0);
    ASSERT_EQ(files.requests.size(), 1u);
    const FileDialogRequest& request = files.requests[0];
    EXPECT_EQ(request.kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(request.defaultExtension, "tst");
    EXPECT_EQ(request.initialFile, "Untitled");
    EXPECT_EQ(request.flags, DWORD(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0], (std::pair<std::string, std::string>{"Test Files (*.tst)", "*.tst"}));
    EXPECT_EQ(request.filters[1], (std::pair<std::string, std::string>{"All Files (*.*)", "*.*"}));
    EXPECT_EQ(Document()->GetPathName(), folder_ / "fresh.tst");
    EXPECT_EQ(Caption(), QStringLiteral("fresh.tst - Vasquil Test"));
    EXPECT_TRUE(boxes.shown.empty());

    // An existing file: No goes back to the dialog (cancelled here), Yes replaces it.
    g_log.clear();
    files.answers = {existing, std::nullopt, existing};
    boxes.answers = {IDNO, IDYES};
    Frame()->SendMessage(WM_COMMAND, ID_FILE_SAVE_AS, 0);
    EXPECT_TRUE(g_log.empty());
    Frame()->SendMessage(WM_COMMAND, ID_FILE_SAVE_AS, 0);
    EXPECT_EQ(g_log, std::vector<std::string>{"save existing.tst"});
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "existing.tst already exists.\nDo you want to replace it?");
    EXPECT_EQ(boxes.shown[0].buttons, MB_YESNO);

    // Save with a file writes it without a dialog.
    g_log.clear();
    const std::size_t asked = files.requests.size();
    Frame()->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
    EXPECT_EQ(g_log, std::vector<std::string>{"save existing.tst"});
    EXPECT_EQ(files.requests.size(), asked);
}

TEST_F(DocumentFrameTest, OpenAndTheCommandLineOpenThroughTheTemplate)
{
    FileDialogProvider files;
    const std::filesystem::path chosen = File("chosen.tst");
    files.answers = {chosen};
    Frame()->SendMessage(WM_COMMAND, ID_FILE_OPEN, 0);
    ASSERT_EQ(files.requests.size(), 1u);
    EXPECT_EQ(files.requests[0].kind, FileDialogRequest::Kind::Open);
    EXPECT_TRUE(files.requests[0].flags & OFN_FILEMUSTEXIST);
    EXPECT_EQ(files.requests[0].filters.at(0).second, "*.tst");
    EXPECT_EQ(Document()->GetPathName(), chosen);
    Frame()->SendMessage(WM_COMMAND, ID_FILE_OPEN, 0);  // cancelled: nothing changes
    EXPECT_EQ(Document()->GetPathName(), chosen);

    CCommandLineInfo open;
    open.m_nShellCommand = CCommandLineInfo::FileOpen;
    open.m_strFileName = File("argument.tst");
    EXPECT_TRUE(app_->ProcessShellCommand(open));
    EXPECT_EQ(Document()->GetPathName(), open.m_strFileName);
    open.m_strFileName = File("absent.tst", false);
    EXPECT_FALSE(app_->ProcessShellCommand(open));

    CCommandLineInfo parsed;
    app_->ParseCommandLine(parsed);  // the test program has no file argument
    EXPECT_EQ(parsed.m_nShellCommand, CCommandLineInfo::FileNew);
}

TEST_F(DocumentFrameTest, FilesDroppedOnTheFrameOpen)
{
    const std::filesystem::path dropped = File("dropped.tst");
    Frame()->DragAcceptFiles(TRUE);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped.string()))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Frame()->GetWidget(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Frame()->GetWidget(), &drop);
    EXPECT_EQ(Document()->GetPathName(), dropped);
    EXPECT_TRUE(drop.isAccepted());
}

TEST_F(DocumentFrameTest, TheToolbarLayoutIsKeptFromOneFrameToTheNext)
{
    auto* window = Frame()->GetMainWindow();
    auto* bar = qobject_cast<QToolBar*>(Frame()->toolbar.GetWidget());
    window->addToolBar(Qt::LeftToolBarArea, bar);
    ASSERT_EQ(window->toolBarArea(bar), Qt::LeftToolBarArea);
    app_->CloseAllDocuments(FALSE);  // the frame goes and saves its layout
    EXPECT_EQ(app_->m_pMainWnd, nullptr);

    ASSERT_NE(app_->GetDocTemplate()->OpenDocumentFile(std::nullopt), nullptr);
    auto* again = qobject_cast<QToolBar*>(Frame()->toolbar.GetWidget());
    EXPECT_EQ(Frame()->GetMainWindow()->toolBarArea(again), Qt::LeftToolBarArea);
}

TEST_F(DocumentFrameTest, ContextMenusAreChosenThroughTheOwnersRouting)
{
    PopupMenuChooser chooser;
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(ContextMenu));
    CMenu* edit = menu.GetSubMenu(0);
    ASSERT_NE(edit, nullptr);
    chooser.answers = {ID_EDIT_COPY, ID_EDIT_PASTE};
    EXPECT_TRUE(edit->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, 100, 200, View()));
    EXPECT_EQ(g_log, std::vector<std::string>{"view copy"});
    ASSERT_EQ(chooser.requests.size(), 1u);
    const PopupMenuRequest& request = chooser.requests[0];
    EXPECT_EQ(request.point, CPoint(100, 200));
    ASSERT_EQ(request.items.size(), 2u);
    EXPECT_TRUE(request.items[0].enabled);
    EXPECT_FALSE(request.items[1].enabled);  // Paste: no handler in the view or its document
    // Choosing a greyed command chooses nothing.
    EXPECT_EQ(edit->TrackPopupMenu(TPM_RETURNCMD, 0, 0, View()), 0u);
    EXPECT_EQ(g_log.size(), 1u);
}

namespace {

// A modeless dialog that refuses to close, as a run dialog does while its run goes on.
class BusyDialog : public CDialog
{
public:
    BusyDialog() : CDialog(TestIds::RunDialog) {}
    void OnCancel() override {}
};

}  // namespace

TEST(Application, RunDrivesStartUpTheLoopWithIdleAndEndsWithTheMainWindowWhateverElseIsOpen)
{
    RegisterTestResources();
    struct Ending
    {
        std::function<void(CWnd*)> end;
        bool dialogRefusesToClose;
    };
    // File > Exit ends the program with its main window, even while a dialog refuses to close.
    // Qt's quit (the desktop session ending) first asks every window to close; a modeless
    // dialog that closes by hiding must not keep the program running.
    const Ending endings[] = {
        {[](CWnd* main) { main->PostMessage(WM_COMMAND, ID_APP_EXIT, 0); }, true},
        {[](CWnd*) { QCoreApplication::quit(); }, false},
    };
    for (const Ending& ending : endings) {
        TestApp app;
        app.SetRegistryKey("Vasquil Tests");
        app.OpenSettings()->clear();
        BusyDialog busy;
        CDialog plain(TestIds::RunDialog);
        CDialog& open = ending.dialogRefusesToClose ? static_cast<CDialog&>(busy) : plain;
        QTimer::singleShot(50, [&app, &open, &ending] {
            ASSERT_NE(app.m_pMainWnd, nullptr);
            ASSERT_TRUE(open.Create(TestIds::RunDialog));
            ending.end(app.m_pMainWnd);
        });
        bool hung = false;
        QTimer::singleShot(5000, [&hung] {  // a hang fails the test instead of blocking it
            hung = true;
            QCoreApplication::exit(99);
        });
        char name[] = "platform_tests";
        char* argv[] = {name, nullptr};
        EXPECT_EQ(app.Run(1, argv), 7);
        EXPECT_FALSE(hung);
        EXPECT_EQ(app.inits, 1);
        EXPECT_GT(app.idles, 0);
        EXPECT_EQ(app.m_pMainWnd, nullptr);
        ProcessEvents();
    }
}

TEST(MessageBoxes, TheSinkRecordsAndAnswersWithTheFirstButtonOrNoToTheSaveQuestionByDefault)
{
    MessageBoxSink sink;
    struct Case
    {
        UINT type;
        int answer;
        UINT icon;  // AfxMessageBox adds one when the type has none
    };
    const Case cases[] = {
        {MB_OK, IDOK, MB_ICONEXCLAMATION},
        {MB_OKCANCEL, IDOK, MB_ICONEXCLAMATION},
        {MB_YESNO, IDYES, MB_ICONQUESTION},
        {MB_YESNOCANCEL, IDNO, MB_ICONQUESTION},  // the save question: nothing saved unasked
        {MB_RETRYCANCEL, IDRETRY, 0},
        {MB_ABORTRETRYIGNORE, IDABORT, 0},
        {MB_YESNO | MB_ICONSTOP, IDYES, MB_ICONSTOP},
    };
    for (const Case& c : cases) EXPECT_EQ(AfxMessageBox("Are you sure you want to close?", c.type), c.answer);
    ASSERT_EQ(sink.shown.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(sink.shown[i].buttons, cases[i].type & MB_TYPEMASK);
        EXPECT_EQ(sink.shown[i].icon, cases[i].icon);
        EXPECT_EQ(sink.shown[i].text, "Are you sure you want to close?");
    }
    sink.answers = {IDNO};
    EXPECT_EQ(AfxMessageBox("Save?", MB_YESNO), IDNO);
    {
        MessageBoxSink inner;  // the newest sink answers, and the older one returns after it
        AfxMessageBox("inner");
        EXPECT_EQ(inner.shown.size(), 1u);
    }
    AfxMessageBox("outer");
    EXPECT_EQ(sink.shown.back().text, "outer");
}

TEST(FileDialogs, TheProviderRecordsTheRequestAndAnswersAPathOrCancel)
{
    FileDialogProvider provider;
    CFileDialog open(TRUE, "db", nullptr, 6150, "SQLite database files (*.db)|*.DB|All Files|*.*||");
    open.m_title = "Load Database";
    open.m_initialFolder = "/data/runs";
    provider.answers = {std::filesystem::path("/data/runs/solution.db")};
    ASSERT_EQ(open.DoModal(), IDOK);
    EXPECT_EQ(open.GetPathName(), "/data/runs/solution.db");
    const FileDialogRequest& r = provider.requests.at(0);
    EXPECT_EQ(r.kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(r.title, "Load Database");
    EXPECT_EQ(r.initialFolder, "/data/runs");
    EXPECT_EQ(r.flags, 6150u);
    EXPECT_EQ(r.filters, (std::vector<std::pair<std::string, std::string>>{{"SQLite database files (*.db)", "*.DB"},
                                                                           {"All Files", "*.*"}}));
    EXPECT_EQ(open.DoModal(), IDCANCEL);  // no answer left: Cancel

    CFolderPickerDialog folder("/data");
    folder.m_title = "Please select a folder for storing Vasquil files.";
    provider.answers = {std::filesystem::path("/data/states")};
    ASSERT_EQ(folder.DoModal(), IDOK);
    EXPECT_EQ(folder.GetPathName(), "/data/states");
    EXPECT_EQ(provider.requests.back().kind, FileDialogRequest::Kind::Folder);
    EXPECT_EQ(provider.requests.back().title, "Please select a folder for storing Vasquil files.");
    EXPECT_EQ(provider.requests.back().initialFolder, "/data");

    EXPECT_EQ(ParseFileFilter("Nutrients Files (*.nu)|*.NU| Heavy Metal Files (*.hm)|*.HM||").size(), 2u);
    EXPECT_TRUE(ParseFileFilter("").empty());
}

namespace {

// The contents of a file, empty when it cannot be read.
std::string Contents(const std::filesystem::path& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST_F(DocumentFrameTest, TheCaptionMarksAModifiedDocumentAndASaveOrAnOpenClearsIt)
{
    const std::filesystem::path river = File("river.tst");
    ASSERT_NE(app_->OpenDocumentFile(river), nullptr);
    EXPECT_FALSE(Document()->IsModified());
    Document()->SetModifiedFlag();
    EXPECT_TRUE(Document()->IsModified());
    EXPECT_EQ(Caption(), QStringLiteral("*river.tst - Vasquil Test"));
    Frame()->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
    EXPECT_FALSE(Document()->IsModified());
    EXPECT_EQ(Caption(), QStringLiteral("river.tst - Vasquil Test"));

    // A save that fails keeps the mark; so does a file that does not open.
    Document()->SetModifiedFlag();
    Document()->failSave = true;
    Frame()->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
    EXPECT_TRUE(Document()->IsModified());
    {
        MessageBoxSink boxes;
        boxes.answers = {IDNO};
        EXPECT_EQ(app_->OpenDocumentFile(File("absent.tst", false)), nullptr);
    }
    EXPECT_EQ(Caption(), QStringLiteral("*river.tst - Vasquil Test"));
    Document()->SetModifiedFlag(FALSE);
    EXPECT_EQ(Caption(), QStringLiteral("river.tst - Vasquil Test"));
}

// Every way the document is replaced or closed asks before it drops a modified document:
// Yes saves first (and a failed save stops it), No drops the changes, Cancel does nothing.
TEST_F(DocumentFrameTest, TheSaveQuestionComesBeforeNewOpenADropARecentFileAndClosing)
{
    struct Action
    {
        const char* name;
        std::function<void(const std::filesystem::path& other)> run;
        bool replaces;  // the document gets another file (else: New or closing)
    };
    const Action actions[] = {
        {"new", [this](const std::filesystem::path&) { Frame()->SendMessage(WM_COMMAND, ID_FILE_NEW, 0); },
         false},
        {"open",
         [this](const std::filesystem::path& other) {
             FileDialogProvider files;
             files.answers = {other};
             Frame()->SendMessage(WM_COMMAND, ID_FILE_OPEN, 0);
         },
         true},
        {"drop",
         [this](const std::filesystem::path& other) {
             std::vector<std::filesystem::path> dropped{other};
             Frame()->SendMessage(WM_DROPFILES, WPARAM(&dropped), 0);
         },
         true},
        {"recent",
         [this](const std::filesystem::path&) {
             Frame()->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1 + 1, 0);
         },
         true},
        {"close", [this](const std::filesystem::path&) { Frame()->SendMessage(WM_CLOSE); }, false},
    };
    enum Outcome { Unmodified, Yes, No, Cancel, YesSaveFails };
    struct Case
    {
        Outcome outcome;
        bool goesOn;              // the action was carried out
        const char* fileAfter;    // what the document's file holds afterwards
    };
    const Case cases[] = {
        {Unmodified, true, "model"},
        {Yes, true, "saved"},
        {No, true, "model"},
        {Cancel, false, "model"},
        {YesSaveFails, false, "model"},
    };
    for (const Action& action : actions) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(action.name) + " outcome " + std::to_string(c.outcome));
            if (!app_->m_pMainWnd) {
                ASSERT_NE(app_->GetDocTemplate()->OpenDocumentFile(std::nullopt), nullptr);
            }
            Document()->SetModifiedFlag(FALSE);  // the last case's changes are dropped
            const std::filesystem::path other = File("other.tst");
            const std::filesystem::path river = File("river.tst");
            ASSERT_NE(app_->OpenDocumentFile(river), nullptr);  // the recent files: river, other
            TestDocument* document = Document();
            MessageBoxSink boxes;
            if (c.outcome != Unmodified) document->SetModifiedFlag();
            document->failSave = c.outcome == YesSaveFails;
            boxes.answers = {c.outcome == No ? IDNO : c.outcome == Cancel ? IDCANCEL : IDYES};
            action.run(other);

            if (c.outcome == Unmodified) {
                EXPECT_TRUE(boxes.shown.empty());
            } else {
                ASSERT_FALSE(boxes.shown.empty());
                EXPECT_EQ(boxes.shown[0].text, "Save changes to river.tst?");
                EXPECT_EQ(boxes.shown[0].buttons, UINT(MB_YESNOCANCEL));
            }
            EXPECT_EQ(Contents(river), c.fileAfter);
            const bool closed = app_->m_pMainWnd == nullptr;
            if (!c.goesOn) {
                ASSERT_FALSE(closed);
                EXPECT_EQ(Document(), document);
                EXPECT_EQ(Document()->GetPathName(), river);
                EXPECT_TRUE(Document()->IsModified());
                EXPECT_EQ(Caption(), QStringLiteral("*river.tst - Vasquil Test"));
                continue;
            }
            if (std::string(action.name) == "close") {
                EXPECT_TRUE(closed);
                continue;
            }
            ASSERT_FALSE(closed);
            EXPECT_FALSE(Document()->IsModified());
            EXPECT_EQ(Document()->GetPathName(), action.replaces ? other : std::filesystem::path());
        }
    }
}
