// Printing: what a print job tells the code that prints its pages, and the session's printer.
// A view prints through CView::OnFilePrint and CView::OnFilePrintPreview (DocView.h); Print
// Setup is CWinApp::OnFilePrintSetup.
#pragma once

#include "platform/WinTypes.h"

#include <string>

class QPrinter;

// The state of a print job while its pages are printed.
struct CPrintInfo
{
    UINT m_nCurPage = 1;      // the page being printed, from 1
    CRect m_rectDraw;         // the page's printable area (logical units), set for each page
    BOOL m_bPreview = FALSE;  // the pages go to a preview, not a printer
    // Cleared by OnPrepareDC to end the job before the current page (by default when the
    // number of pages is not known, after the first page).
    BOOL m_bContinuePrinting = TRUE;

    // The number of pages; 0xFFFF (not known yet) until set. A value below 1 counts as 1.
    void SetMaxPage(UINT pages) { maxPage_ = pages < 1 ? 1 : pages; }
    UINT GetMaxPage() const { return maxPage_; }
    // The pages the user asked for, [from, to] (1 to 0xFFFF: all).
    UINT GetFromPage() const { return fromPage_; }
    UINT GetToPage() const { return toPage_; }
    void SetPageRange(UINT from, UINT to)
    {
        fromPage_ = from < 1 ? 1 : from;
        toPage_ = to < fromPage_ ? fromPage_ : to;
    }

    static constexpr UINT UnknownPages = 0xFFFF;

private:
    UINT maxPage_ = UnknownPages;
    UINT fromPage_ = 1;
    UINT toPage_ = UnknownPages;
};

// The session's one printer, made at the first use (a Qt application must exist): the
// printer, paper and orientation chosen in the print dialog or in Print Setup hold for every
// later print and preview until the program ends. Null without an application object.
QPrinter* SessionPrinter();

// The current date and time in the user's locale (short format), Windows-1252.
std::string LocalDateTimeText();
