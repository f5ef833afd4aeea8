// A view's print job: the steps in order, the pages on a PDF printer, the preview's pages, and
// Print Setup over the session's one printer.
#include "GuiTestSupport.h"
#include "PdfFacts.h"

#include "../TestFolder.h"

#include "platform/Application.h"
#include "platform/DeviceContext.h"
#include "platform/DocView.h"
#include "platform/Printing.h"
#include "platform/Resources.h"
#include "platform/TestHooks.h"

#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPainter>
#include <QPicture>
#include <QPrinter>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// A view of pages pages (or of a number it does not tell, with pages 0). Page k prints a
// black band at its k-th tenth of the printable height, so a picture shows which page it is.
class PagedView : public CView
{
public:
    void OnDraw(CDC*) override { log.push_back("draw"); }
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override
    {
        log.push_back(pInfo->m_bPreview ? "prepare preview" : "prepare");
        return CView::OnPreparePrinting(pInfo);
    }
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override
    {
        log.push_back("begin");
        printing = pDC->IsPrinting() != FALSE;
        if (pages > 0) pInfo->SetMaxPage(UINT(pages));
    }
    void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo) override
    {
        CView::OnPrepareDC(pDC, pInfo);
        if (pInfo && pInfo->m_bContinuePrinting) log.push_back("prepare page " + std::to_string(pInfo->m_nCurPage));
    }
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override
    {
        log.push_back("print " + std::to_string(pInfo->m_nCurPage));
        drawRect = pInfo->m_rectDraw;
        const CRect& r = pInfo->m_rectDraw;
        const int band = r.Height() / Bands;
        const int top = r.top + band * int(pInfo->m_nCurPage % Bands);
        pDC->FillSolidRect(CRect(r.left, top, r.right, top + band), RGB(0, 0, 0));
    }
    void OnEndPrinting(CDC*, CPrintInfo*) override { log.push_back("end"); }

    static constexpr int Bands = 10;
    int pages = 3;
    bool printing = false;
    CRect drawRect;
    std::vector<std::string> log;
};

class ViewPrintingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = FreshTestFolder("view-printing");
        // Each test starts from the printer's own defaults.
        QPrinter* printer = SessionPrinter();
        ASSERT_NE(printer, nullptr);
        printer->setPageSize(QPageSize(QPageSize::A4));
        printer->setPageOrientation(QPageLayout::Portrait);
    }
    std::vector<std::string> Steps(int pages) const
    {
        std::vector<std::string> steps{"prepare", "begin"};
        for (int page = 1; page <= pages; ++page) {
            steps.push_back("prepare page " + std::to_string(page));
            steps.push_back("print " + std::to_string(page));
        }
        steps.push_back("end");
        return steps;
    }

    CWinApp app{"Vasquil Test"};
    std::filesystem::path folder;
    PrintDialogProvider dialogs;
    MessageBoxSink boxes;
    PagedView view;
};

TEST_F(ViewPrintingTest, PrintRunsTheStepsOnceAndEveryPageGoesToThePdf)
{
    struct Case
    {
        const char* name;
        int pages;    // 0: the view does not tell
        int printed;  // what the PDF holds
    };
    const Case cases[] = {{"one page", 1, 1}, {"five pages", 5, 5}, {"a number not told prints one page", 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.log.clear();
        view.pages = c.pages;
        const std::filesystem::path pdf = folder / (std::to_string(c.pages) + ".pdf");
        dialogs.answers.push_back(pdf);
        view.OnFilePrint();
        EXPECT_EQ(view.log, Steps(c.printed));
        EXPECT_TRUE(view.printing) << "the job's context is a printer's";
        EXPECT_EQ(pdf_facts::PageCount(pdf), c.printed);
        // The printable area of the page in device pixels: A4 less the printer's margins at
        // its resolution.
        const QPrinter& printer = *SessionPrinter();
        EXPECT_EQ(view.drawRect, CRect(0, 0, printer.width(), printer.height()));
        EXPECT_GT(printer.resolution(), 300);
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ViewPrintingTest, CancelAndAPrinterThatCannotOpenPrintNothing)
{
    dialogs.answers.push_back(std::nullopt);
    view.OnFilePrint();
    EXPECT_EQ(view.log, std::vector<std::string>{"prepare"});
    EXPECT_TRUE(boxes.shown.empty());

    view.log.clear();
    const std::filesystem::path nowhere = folder / "no such folder" / "out.pdf";
    dialogs.answers.push_back(nowhere);
    view.OnFilePrint();
    EXPECT_EQ(view.log, std::vector<std::string>{"prepare"});
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, LoadString(AFX_IDP_FAILED_TO_START_PRINT));
    EXPECT_FALSE(std::filesystem::exists(nowhere));
    EXPECT_EQ(dialogs.shown, 2);
}

TEST_F(ViewPrintingTest, ThePreviewShowsThePagesOfTheSameStepsWithoutAPrintDialog)
{
    PrintPreviewRecorder preview;
    preview.dpi = 50;
    view.pages = 4;
    view.OnFilePrintPreview();
    EXPECT_EQ(dialogs.shown, 0);
    EXPECT_EQ(preview.previews, 1);
    EXPECT_EQ(preview.previewPages, 4) << "the preview window counted the pages";
    ASSERT_EQ(preview.pages.size(), 4u);
    ASSERT_FALSE(view.log.empty());
    EXPECT_EQ(view.log.front(), "prepare preview");
    // Each picture is its own page: its band, and white where the other pages have theirs.
    for (int page = 1; page <= 4; ++page) {
        const QImage& image = preview.pages[std::size_t(page - 1)];
        EXPECT_NEAR(image.width(), SessionPrinter()->pageLayout().paintRect(QPageLayout::Inch).width() * 50, 1);
        const int band = image.height() / PagedView::Bands;
        for (int other = 1; other <= 4; ++other) {
            const QRgb pixel = image.pixel(image.width() / 2, band * other + band / 2);
            EXPECT_EQ(qGray(pixel) < 64, other == page) << "page " << page << ", band " << other;
        }
    }
    // Twice: the pictures of the second preview only.
    view.pages = 2;
    view.OnFilePrintPreview();
    EXPECT_EQ(preview.previews, 2);
    EXPECT_EQ(preview.previewPages, 2);
    EXPECT_EQ(preview.pages.size(), 2u);
}

TEST_F(ViewPrintingTest, PrintSetupHoldsForLaterPrintsAndCancelKeepsIt)
{
    PageSetupProvider setup;
    setup.answers.push_back(PageSetupChoice{QPageSize(QPageSize::A5), QPageLayout::Landscape});
    app.OnFilePrintSetup();
    setup.answers.push_back(std::nullopt);
    app.OnFilePrintSetup();
    ASSERT_EQ(setup.shown.size(), 2u);
    EXPECT_EQ(setup.shown[0].orientation(), QPageLayout::Portrait);
    EXPECT_EQ(setup.shown[1].orientation(), QPageLayout::Landscape) << "the second dialog opens on the first's choice";
    EXPECT_EQ(setup.shown[1].pageSize().id(), QPageSize::A5);

    // Two prints later, both on landscape A5 (210 x 148 mm, 595 x 420 points).
    view.pages = 2;
    for (const char* name : {"first.pdf", "second.pdf"}) {
        dialogs.answers.push_back(folder / name);
        view.OnFilePrint();
        const std::vector<QSizeF> sizes = pdf_facts::PageSizes(folder / name);
        ASSERT_EQ(sizes.size(), 2u) << name;
        for (const QSizeF& size : sizes) {
            EXPECT_NEAR(size.width(), 595, 2) << name;
            EXPECT_NEAR(size.height(), 420, 2) << name;
        }
    }
    // The preview lays its pages out on the same paper.
    PrintPreviewRecorder preview;
    view.OnFilePrintPreview();
    ASSERT_FALSE(preview.pages.empty());
    EXPECT_GT(preview.pages[0].width(), preview.pages[0].height());
}

// A preview shows a printer's page much smaller than the printer draws it (as Qt's preview does,
// replaying the page scaled down): a printed thin line still shows there, every one of them.
TEST(PrintedLinesTest, ThinLinesOfAPrinterShowInAPreviewThatShowsThePageSmaller)
{
    constexpr int Lines = 20;
    constexpr int Spacing = 97;  // printer pixels between lines
    constexpr double PreviewScale = 0.11;
    QPicture page;
    {
        CDC dc(&page, CDC::AsPrinter{});
        for (int i = 0; i < Lines; ++i) {
            dc.MoveTo(0, Spacing * (i + 1));
            dc.LineTo(2000, Spacing * (i + 1));
        }
    }
    QImage preview(int(2000 * PreviewScale) + 10, int(Spacing * (Lines + 1) * PreviewScale) + 10, QImage::Format_RGB32);
    preview.fill(Qt::white);
    {
        QPainter painter(&preview);
        painter.scale(PreviewScale, PreviewScale);
        page.play(&painter);
    }
    int shown = 0;
    bool inLine = false;
    for (int y = 0; y < preview.height(); ++y) {
        const bool dark = qGray(preview.pixel(preview.width() / 2, y)) < 128;
        if (dark && !inLine) ++shown;
        inLine = dark;
    }
    EXPECT_EQ(shown, Lines);
}

}  // namespace
