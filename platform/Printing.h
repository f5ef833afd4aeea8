// Printing: what a print job tells the code that prints its pages.
#pragma once

#include "platform/WinTypes.h"

#include <string>

// The state of a print job while its pages are printed.
struct CPrintInfo
{
    UINT m_nCurPage = 1;      // the page being printed, from 1
    CRect m_rectDraw;         // the page's printable area (logical units), set for each page
    BOOL m_bPreview = FALSE;  // the pages go to a preview, not a printer
    BOOL m_bContinuePrinting = TRUE;

    // The number of pages; 0xFFFF (not known yet) until set. A value below 1 counts as 1.
    void SetMaxPage(UINT pages) { maxPage_ = pages < 1 ? 1 : pages; }
    UINT GetMaxPage() const { return maxPage_; }

private:
    UINT maxPage_ = 0xFFFF;
};

// The current date and time in the user's locale (short format), Windows-1252.
std::string LocalDateTimeText();
