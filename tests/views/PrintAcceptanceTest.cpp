// Printing as a user meets it: the real program on a copy of the sample river prints its node
// table (Ctrl+P) into a PDF, one PDF page for each page the table's grid counts; the preview
// shows the same pages; Print Setup's landscape holds for the next print; in the other tabs
// Print and Print Preview are grey while Print Setup stays.
#include "ViewsTestSupport.h"

#include "../TestFolder.h"
#include "../app/AppTestSupport.h"
#include "../platform/PdfFacts.h"

#include "app/VasquilApp.h"
#include "platform/Dialog.h"
#include "platform/Printing.h"
#include "platform/TestHooks.h"

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <filesystem>
#include <map>

namespace {

using namespace views_test;

const std::filesystem::path Examples = std::filesystem::path(VASQUIL_SOURCE_DIR) / "examples";

class PrintAcceptanceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app_test::ClearProgramSettings();
        folder_ = FreshTestFolder("print-acceptance");
        dialogs_.scripts.push_back([](CDialog& about) { static_cast<CButton*>(about.GetDlgItem(IDOK))->Click(); });
        app_ = std::make_unique<CVasquilApp>(&CVasquilView::Runtime);
        ASSERT_TRUE(app_->InitInstance());
        Frame()->MoveWindow(0, 0, 1000, 700);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Frame()->GetWidget()));
        Open("sample-river.vqx");
    }
    // Opens a copy of the example in the test folder, as File Open does.
    void Open(const std::string& example)
    {
        const std::filesystem::path copy = folder_ / example;
        if (!std::filesystem::exists(copy)) std::filesystem::copy_file(Examples / example, copy);
        {
            QuietStdout quiet;
            ASSERT_NE(app_->OpenDocumentFile(copy), nullptr);
        }
        ProcessEvents();
    }
    void TearDown() override
    {
        app_.reset();
        ProcessEvents();
    }
    CMainFrame* Frame() const { return static_cast<CMainFrame*>(app_->m_pMainWnd); }
    CVasquilView* MainView() const { return static_cast<CVasquilView*>(Frame()->GetDlgItem(int(AFX_IDW_PANE_FIRST))); }
    CNodeTableView* Table() const
    {
        return static_cast<CNodeTableView*>(MainView()->TabControl.GetTabWnd(CVasquilView::NodeTableTab));
    }
    // The state the menus and the toolbar show, after the idle update.
    bool Enabled(UINT id) const
    {
        app_->OnIdle(0);
        CCmdUI state;
        state.m_nID = id;
        state.DoUpdate(Frame(), TRUE);
        const bool enabled = state.m_enabled.value_or(false);
        if (id == ID_FILE_PRINT) {
            EXPECT_EQ(app_test::Button(Frame()->StandardToolBar, id)->isEnabled(), enabled);
        }
        return enabled;
    }
    // The pages the table's grid lays out on the session's paper, counted by the grid itself on
    // a scratch printer of the same page layout.
    int GridPages() const
    {
        QPrinter scratch(QPrinter::HighResolution);
        scratch.setOutputFormat(QPrinter::PdfFormat);
        scratch.setOutputFileName(QString::fromStdString((folder_ / "scratch.pdf").string()));
        scratch.setPageLayout(SessionPrinter()->pageLayout());
        CDC dc(&scratch);
        CPrintInfo info;
        Table()->Grid.BeginPrint(&dc, &info);
        Table()->Grid.EndPrint(&dc, &info);
        return int(info.GetMaxPage());
    }
    // Ctrl+P, answered with a PDF file of the test folder.
    std::filesystem::path Print(const std::string& name)
    {
        const std::filesystem::path pdf = folder_ / name;
        printDialogs_.answers.push_back(pdf);
        QTest::keyClick(Frame()->GetWidget(), Qt::Key_P, Qt::ControlModifier);
        ProcessEvents();
        return pdf;
    }

    std::filesystem::path folder_;
    ModalDialogInterceptor dialogs_;
    MessageBoxSink boxes_;
    PrintDialogProvider printDialogs_;
    std::unique_ptr<CVasquilApp> app_;
};

TEST_F(PrintAcceptanceTest, TheNodeTablePrintsItsGridAndPrintSetupHoldsForTheNextPrint)
{
    // On the profile, nothing to print; Print Setup is there.
    ASSERT_EQ(MainView()->TabControl.GetActiveTab(), CVasquilView::ProfileTab);
    EXPECT_FALSE(Enabled(ID_FILE_PRINT));
    EXPECT_FALSE(Enabled(ID_FILE_PRINT_PREVIEW));
    EXPECT_TRUE(Enabled(ID_FILE_PRINT_SETUP));
    const std::filesystem::path nothing = Print("profile.pdf");
    EXPECT_EQ(printDialogs_.shown, 0) << "Ctrl+P does nothing while Print is grey";
    EXPECT_FALSE(std::filesystem::exists(nothing));
    printDialogs_.answers.clear();

    MainView()->TabControl.SetActiveTab(CVasquilView::NodeTableTab);
    ProcessEvents();
    ASSERT_EQ(Frame()->GetActiveView(), Table());
    EXPECT_TRUE(Enabled(ID_FILE_PRINT));
    EXPECT_TRUE(Enabled(ID_FILE_PRINT_PREVIEW));
    EXPECT_TRUE(Enabled(ID_FILE_PRINT_SETUP));
    ASSERT_GT(Table()->Grid.RowCount(), 1);

    const int portraitPages = GridPages();
    const std::filesystem::path portrait = Print("portrait.pdf");
    EXPECT_EQ(printDialogs_.shown, 1);
    const std::vector<QSizeF> portraitSizes = pdf_facts::PageSizes(portrait);
    ASSERT_EQ(int(portraitSizes.size()), portraitPages);
    for (const QSizeF& size : portraitSizes) EXPECT_LT(size.width(), size.height());

    // The preview: the same pages, without a print dialog.
    PrintPreviewRecorder preview;
    Frame()->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
    EXPECT_EQ(preview.previews, 1);
    EXPECT_EQ(preview.previewPages, portraitPages);
    EXPECT_EQ(int(preview.pages.size()), portraitPages);
    EXPECT_EQ(printDialogs_.shown, 1);

    // Print Setup to landscape, then Print: landscape pages, as many as the grid counts on them.
    PageSetupProvider setup;
    setup.answers.push_back(PageSetupChoice{SessionPrinter()->pageLayout().pageSize(), QPageLayout::Landscape});
    Frame()->SendMessage(WM_COMMAND, ID_FILE_PRINT_SETUP, 0);
    ASSERT_EQ(setup.shown.size(), 1u);
    const int landscapePages = GridPages();
    EXPECT_GE(landscapePages, portraitPages) << "a wide page holds no more rows of the same width";
    const std::vector<QSizeF> landscapeSizes = pdf_facts::PageSizes(Print("landscape.pdf"));
    ASSERT_EQ(int(landscapeSizes.size()), landscapePages);
    for (const QSizeF& size : landscapeSizes) EXPECT_GT(size.width(), size.height());
    Frame()->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
    ASSERT_EQ(int(preview.pages.size()), landscapePages);
    EXPECT_GT(preview.pages[0].width(), preview.pages[0].height());

    // Back on the profile: grey again, Print Setup still there.
    MainView()->TabControl.SetActiveTab(CVasquilView::ProfileTab);
    ProcessEvents();
    EXPECT_FALSE(Enabled(ID_FILE_PRINT));
    EXPECT_FALSE(Enabled(ID_FILE_PRINT_PREVIEW));
    EXPECT_TRUE(Enabled(ID_FILE_PRINT_SETUP));
    EXPECT_TRUE(boxes_.shown.empty());
}

// What the printed pages say, read back from the PDF by pdftotext (poppler-utils): every page
// under the window's caption, the program's name and the table's column titles, over its
// "Page k of n"; every node on one page, found by its river station (column 1). The dynamic-ice
// example's 81 nodes take two landscape pages.
TEST_F(PrintAcceptanceTest, EveryPrintedPageHasTheTitlesAndItsPageNumber)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext not found";
    PageSetupProvider setup;
    setup.answers.push_back(PageSetupChoice{QPageSize(QPageSize::A4), QPageLayout::Landscape});
    Frame()->SendMessage(WM_COMMAND, ID_FILE_PRINT_SETUP, 0);
    Open("sample-dynamic-ice.vqx");
    MainView()->TabControl.SetActiveTab(CVasquilView::NodeTableTab);
    ProcessEvents();
    const std::filesystem::path pdf = Print("table.pdf");
    const int pages = pdf_facts::PageCount(pdf);
    ASSERT_GT(pages, 1);
    CGridCtrl& grid = Table()->Grid;
    const QString stationTitle = QString::fromStdString(grid.CellText(0, 1));
    const QString caption = QString::fromStdString(Frame()->GetWindowText());
    std::map<QString, int> stationPages;  // river station -> pages it is printed on
    for (int page = 1; page <= pages; ++page) {
        QProcess process;
        process.start(pdftotext, {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                                  QStringLiteral("-l"), QString::number(page), QString::fromStdString(pdf.string()),
                                  QStringLiteral("-")});
        ASSERT_TRUE(process.waitForFinished(20000));
        const QString text = QString::fromUtf8(process.readAllStandardOutput());
        EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %2").arg(page).arg(pages))) << page;
        EXPECT_TRUE(text.contains(caption)) << page;
        EXPECT_TRUE(text.contains(QStringLiteral("Vasquil"))) << page;
        EXPECT_TRUE(text.contains(stationTitle)) << "page " << page << " repeats the column titles";
        for (const QString& word : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
            for (int row = 1; row < grid.RowCount(); ++row) {
                if (word == QString::fromStdString(grid.CellText(row, 1))) ++stationPages[word];
            }
        }
    }
    for (int row = 1; row < grid.RowCount(); ++row) {
        const std::string station = grid.CellText(row, 1);
        EXPECT_EQ(stationPages[QString::fromStdString(station)], 1) << "station " << station;
    }
}

}  // namespace
