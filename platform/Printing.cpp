// Printing: the session's printer, a view's print job (dialog, pages, preview) and Print Setup.
#include "platform/Printing.h"

#include "platform/Application.h"
#include "platform/DeviceContext.h"
#include "platform/DocView.h"
#include "platform/Resources.h"
#include "platform/TestHooks.h"
#include "platform/Text.h"
#include "platform/UiThread.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

constexpr double MetresPerInch = 0.0254;

// The window a dialog of wnd's belongs to: wnd's top-level window, else the main window's.
QWidget* DialogOwner(CWnd* wnd)
{
    if (wnd && wnd->GetWidget()) return wnd->GetWidget()->window();
    CWnd* main = AfxGetMainWnd();
    return main ? main->GetWidget() : nullptr;
}

// The steps of a job on dc, whose device holds the first page; nextPage moves the device on to
// a fresh page (FALSE when it cannot, which ends the job). Returns the number of pages printed.
int RunJob(CView& view, CPrintInfo& info, CDC& dc, const std::function<bool()>& nextPage)
{
    view.OnBeginPrinting(&dc, &info);
    const CRect printable(0, 0, dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
    int printed = 0;
    for (UINT page = info.GetFromPage(); page <= info.GetToPage() && page <= info.GetMaxPage(); ++page) {
        info.m_nCurPage = page;
        info.m_rectDraw = printable;
        view.OnPrepareDC(&dc, &info);
        if (!info.m_bContinuePrinting) break;
        if (printed > 0 && !nextPage()) break;
        view.OnPrint(&dc, &info);
        ++printed;
    }
    view.OnEndPrinting(&dc, &info);
    return printed;
}

// The job's pages as pictures of the printer's printable area at dpi dots per inch, white
// paper, through the same steps as on the printer.
std::vector<QImage> RenderPages(CView& view, const CPrintInfo& info, const QPrinter& printer, int dpi)
{
    std::vector<QImage> pages;
    const QRectF inches = printer.pageLayout().paintRect(QPageLayout::Inch);
    const int width = int(std::lround(inches.width() * dpi));
    const int height = int(std::lround(inches.height() * dpi));
    if (dpi <= 0 || width <= 0 || height <= 0) return pages;
    QImage page(width, height, QImage::Format_RGB32);
    page.setDotsPerMeterX(int(std::lround(dpi / MetresPerInch)));
    page.setDotsPerMeterY(int(std::lround(dpi / MetresPerInch)));
    page.fill(Qt::white);
    int printed = 0;
    {
        CDC dc(&page, CDC::AsPrinter{});
        CPrintInfo job = info;
        // The painter draws straight into the picture: a copy holds the finished page.
        printed = RunJob(view, job, dc, [&] {
            pages.push_back(page.copy());
            page.fill(Qt::white);
            return true;
        });
    }
    if (printed > 0) pages.push_back(page);
    return pages;
}

}  // namespace

QPrinter* CWinApp::GetPrinter()
{
    if (!printer_ && QCoreApplication::instance()) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return printer_.get();
}

QPrinter* SessionPrinter()
{
    CWinApp* app = AfxGetApp();
    return app ? app->GetPrinter() : nullptr;
}

void CWinApp::OnFilePrintSetup()
{
    AssertUiThread();
    QPrinter* printer = GetPrinter();
    if (!printer) return;
    if (PageSetupProvider* provider = ActivePageSetupProvider()) {
        const std::optional<PageSetupChoice> choice = provider->Answer(printer->pageLayout());
        if (!choice) return;
        printer->setPageSize(choice->paper);
        printer->setPageOrientation(choice->orientation);
        return;
    }
    // The dialog writes what is chosen into the printer when the user accepts.
    QPageSetupDialog dialog(printer, DialogOwner(m_pMainWnd));
    dialog.exec();
}

void CView::OnPrepareDC(CDC*, CPrintInfo* pInfo)
{
    if (pInfo) pInfo->m_bContinuePrinting = pInfo->GetMaxPage() != CPrintInfo::UnknownPages || pInfo->m_nCurPage == 1;
}

BOOL CView::OnPreparePrinting(CPrintInfo* pInfo)
{
    return DoPreparePrinting(pInfo);
}

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo)
{
    AssertUiThread();
    if (!pInfo) return FALSE;
    if (pInfo->m_bPreview) return TRUE;
    QPrinter* printer = SessionPrinter();
    if (!printer) return FALSE;
    if (PrintDialogProvider* provider = ActivePrintDialogProvider()) {
        const std::optional<std::filesystem::path> file = provider->Answer();
        if (!file) return FALSE;
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(file->string()));
        printer->setPrintRange(QPrinter::AllPages);
        pInfo->SetPageRange(1, CPrintInfo::UnknownPages);
        return TRUE;
    }
    QPrintDialog dialog(printer, DialogOwner(this));
    if (pInfo->GetMaxPage() != CPrintInfo::UnknownPages) dialog.setMinMax(1, int(pInfo->GetMaxPage()));
    if (dialog.exec() != QDialog::Accepted) return FALSE;
    if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0)
        pInfo->SetPageRange(UINT(printer->fromPage()), UINT(std::max(printer->fromPage(), printer->toPage())));
    else
        pInfo->SetPageRange(1, CPrintInfo::UnknownPages);
    return TRUE;
}

void CView::OnBeginPrinting(CDC*, CPrintInfo*) {}

void CView::OnPrint(CDC* pDC, CPrintInfo*)
{
    OnDraw(pDC);
}

void CView::OnEndPrinting(CDC*, CPrintInfo*) {}

void CView::OnFilePrint()
{
    AssertUiThread();
    CPrintInfo info;
    if (!OnPreparePrinting(&info)) return;
    QPrinter* printer = SessionPrinter();
    if (!printer) return;
    CDC dc(printer);
    if (!dc.CanDraw()) {
        AfxMessageBox(LoadString(AFX_IDP_FAILED_TO_START_PRINT), MB_OK | MB_ICONSTOP);
        return;
    }
    RunJob(*this, info, dc, [printer] { return printer->newPage(); });
}

void CView::OnFilePrintPreview()
{
    AssertUiThread();
    CPrintInfo info;
    info.m_bPreview = TRUE;
    if (!OnPreparePrinting(&info)) return;
    QPrinter* printer = SessionPrinter();
    if (!printer) return;
    QPrintPreviewDialog dialog(printer, DialogOwner(this));
    // The window asks for the pages whenever it lays them out (when it opens, after a change
    // of paper or orientation) and for its Print button, each time a job of its own.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [this, &info](QPrinter* target) {
        CPrintInfo job = info;
        CDC dc(target);
        if (dc.CanDraw()) RunJob(*this, job, dc, [target] { return target->newPage(); });
    });
    if (PrintPreviewRecorder* recorder = ActivePrintPreviewRecorder()) {
        ++recorder->previews;
        recorder->previewPages = 0;
        if (auto* pages = dialog.findChild<QPrintPreviewWidget*>()) {
            pages->updatePreview();
            recorder->previewPages = pages->pageCount();
        }
        recorder->pages = RenderPages(*this, info, *printer, recorder->dpi);
        return;
    }
    dialog.exec();
}

std::string LocalDateTimeText()
{
    return QStringToCp1252(QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
}
