// Printing a grid: the layout in pages, each page's header, headings, cells and footer, and
// how a cell prints.
#include "controls/GridCellBase.h"
#include "controls/GridCtrl.h"

#include "platform/ImageList.h"
#include "platform/Resources.h"
#include "platform/SystemInfo.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The letters whose average width is the printer font's character width.
constexpr const char* AverageLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr int AverageLetterCount = 52;

// What a two-colour printer makes of a text colour without a fill: each channel weighed as
// its share of brightness.
constexpr double MonoRed = 0.3;
constexpr double MonoGreen = 0.59;
constexpr double MonoBlue = 0.11;

// The first index of each page when the sizes of [first, end) are laid into pages of area:
// a page takes indexes while their sum fits, and every page takes at least one, so an index
// larger than the area gets a page of its own (clipped when printed).
template <typename SizeOf> std::vector<int> PageStarts(int first, int end, int area, SizeOf sizeOf)
{
    std::vector<int> starts{first};
    long long sum = 0;
    for (int i = first; i < end; ++i) {
        const int size = std::max(0, sizeOf(i));
        if (sum > 0 && sum + size > area) {
            starts.push_back(i);
            sum = size;
        } else {
            sum += size;
        }
    }
    return starts;
}

void HorizontalLine(CDC* pDC, int left, int right, int y)
{
    pDC->MoveTo(left, y);
    pDC->LineTo(right, y);
}

// The header's and footer's texts: one line, centred in its height, "&" printed as it is.
constexpr UINT PrintLineFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;

// Makes bold a bold twin of the printer font and selects it with black text on a transparent
// background, as the header and footer print; returns the font it replaced.
CFont* SelectBoldBlackText(CDC* pDC, const CFont& font, CFont& bold)
{
    LOGFONT lf = font.m_logFont;
    lf.lfWeight = FW_BOLD;
    bold.CreateFontIndirect(&lf);
    CFont* old = pDC->SelectObject(&bold);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(RGB(0, 0, 0));
    return old;
}

void VerticalLine(CDC* pDC, int x, int top, int bottom)
{
    pDC->MoveTo(x, top);
    pDC->LineTo(x, bottom);
}

}  // namespace

BOOL CGridCellBase::PrintCell(CDC* pDC, int row, int col, CRect rect)
{
    (void)row;
    (void)col;
    CGridCtrl* grid = GetGrid();
    if (!grid || !pDC || rect.right - rect.left <= 0 || rect.bottom - rect.top <= 0) return FALSE;
    const int saved = pDC->SaveDC();
    pDC->SetBkMode(TRANSPARENT);

    COLORREF textColour = RGB(0, 0, 0);
    CGridDefaultCell* defaults = GetDefaultCell();
    if (grid->PrintColors && defaults) {
        COLORREF backColour = ColorDefault;
        if (IsFixed()) backColour = GetBackColor() == ColorDefault ? defaults->GetBackColor() : GetBackColor();
        else if (GetBackColor() != ColorDefault && GetBackColor() != defaults->GetBackColor())
            backColour = GetBackColor();
        textColour = GetTextColor() == ColorDefault ? defaults->GetTextColor() : GetTextColor();
        if (backColour != ColorDefault) {
            CBrush brush(backColour);
            pDC->FillRect(CRect(rect.left, rect.top, rect.right + 1, rect.bottom + 1), &brush);
        } else if (pDC->GetDeviceCaps(NUMCOLORS) == 2) {
            textColour = RGB(BYTE(GetRValue(textColour) * MonoRed), BYTE(GetGValue(textColour) * MonoGreen),
                             BYTE(GetBValue(textColour) * MonoBlue));
        }
    }
    pDC->SetTextColor(textColour);
    if (CFont* font = GetFontObject()) pDC->SelectObject(font);

    if (IsFixed() && grid->GridLines != GridLinesNone) {
        DrawRaisedEdge(pDC, rect);
        rect.DeflateRect(1, 1);
    }

    const int margin = GetMargin();
    rect.left += margin;
    rect.right -= margin;
    CSize image;
    if (grid->ImageList && GetImage() >= 0) {
        IMAGEINFO info;
        if (grid->ImageList->GetImageInfo(GetImage(), &info)) {
            image = info.rcImage.Size();
            grid->ImageList->Draw(pDC, GetImage(), CPoint(rect.left, rect.top), ILD_NORMAL);
            rect.left += image.cx + margin;
        }
    }
    CRect text(rect.left, rect.top, rect.right + 1, rect.bottom + 1);
    // A text the screen shows whole prints whole. The printer draws the font from its outlines,
    // a little wider than the screen's hinted glyphs, and would cut every column fitted to its
    // texts ("Nod..." for "Node #"); whole, such a text reaches less than a unit into the margin.
    UINT format = GetFormat() | DT_NOPREFIX;
    if ((format & DT_END_ELLIPSIS) && (format & DT_SINGLELINE)) {
        const int onScreen = grid->ScreenTextWidth(GetFontObject(), GetText());
        if (onScreen > 0 && onScreen <= text.right - text.left) format &= ~UINT(DT_END_ELLIPSIS);
    }
    pDC->DrawText(GetText(), &text, format);
    pDC->RestoreDC(saved);
    return TRUE;
}

void CGridCtrl::BeginPrint(CDC* pDC, CPrintInfo* pInfo)
{
    if (!pDC || !pInfo) return;
    CScreenDC screen;
    if (!screen.IsValid()) return;
    print_ = GridPrintLayout{};
    const int printerX = pDC->GetDeviceCaps(LOGPIXELSX);
    const int printerY = pDC->GetDeviceCaps(LOGPIXELSY);
    const int screenX = screen.GetDeviceCaps(LOGPIXELSX);
    const int screenY = screen.GetDeviceCaps(LOGPIXELSY);
    const int paperWidth = pDC->GetDeviceCaps(HORZRES);
    const int paperHeight = pDC->GetDeviceCaps(VERTRES);
    if (printerX <= 0 || printerY <= 0 || paperWidth <= 0 || paperHeight <= 0) return;

    LOGFONT lf;
    lf.lfHeight = PrintFontHeight;
    lf.lfWeight = FW_NORMAL;
    std::strncpy(lf.lfFaceName, "Arial", LF_FACESIZE - 1);
    print_.font = std::make_unique<CFont>();
    print_.font->CreateFontIndirect(&lf);
    CFont* oldFont = pDC->SelectObject(print_.font.get());
    const CSize letters = pDC->GetTextExtent(AverageLetters);
    print_.charWidth = letters.cx / AverageLetterCount;
    print_.charHeight = letters.cy;
    print_.paperWidth = paperWidth;
    print_.paperHeight = paperHeight;

    const int margins = (PrintLeftMargin + PrintRightMargin) * print_.charWidth;
    if (PrintAtScreenScale) {
        print_.pageWidth = paperWidth * screenX / printerX * ScreenScaleNumerator / ScreenScaleDenominator;
        print_.pageHeight = paperHeight * screenY / printerY * ScreenScaleNumerator / ScreenScaleDenominator;
    } else {
        print_.pageWidth = TotalWidth() + margins;
        print_.pageHeight = int(std::lround(double(print_.pageWidth) * paperHeight / paperWidth));
    }
    print_.pageWidth = std::max(1, print_.pageWidth);
    print_.pageHeight = std::max(1, print_.pageHeight);
    print_.rowAreaHeight = print_.pageHeight -
                           (PrintHeaderLines + PrintFooterLines + 2 * PrintGapLines) * print_.charHeight -
                           FixedRowsHeight();
    print_.columnAreaWidth = print_.pageWidth - (FixedColumnsWidth() + margins);
    print_.rowPageStarts = PageStarts(FixedRowCount(), RowCount(), print_.rowAreaHeight,
                                      [this](int row) { return RowHeight(row); });
    if (PrintAtScreenScale)
        print_.columnPageStarts = PageStarts(FixedColumnCount(), ColumnCount(), print_.columnAreaWidth,
                                             [this](int col) { return ColumnWidth(col); });
    else
        print_.columnPageStarts = {FixedColumnCount()};
    print_.pagesDown = int(print_.rowPageStarts.size());
    print_.pagesAcross = int(print_.columnPageStarts.size());
    pInfo->SetMaxPage(UINT(print_.pagesDown * print_.pagesAcross));
    pInfo->m_nCurPage = 1;
    pDC->SelectObject(oldFont);
    print_.screen = std::make_unique<CScreenDC>();
}

void CGridCtrl::PrintPage(CDC* pDC, CPrintInfo* pInfo)
{
    if (!pDC || !pInfo || !print_.font || print_.pagesAcross < 1) return;
    const int page = int(pInfo->m_nCurPage);
    if (page < 1 || page > print_.pagesDown * print_.pagesAcross) return;
    const int saved = pDC->SaveDC();
    pDC->SelectObject(print_.font.get());
    pDC->SetMapMode(MM_ANISOTROPIC);
    pDC->SetWindowExt(print_.pageWidth, print_.pageHeight);
    pDC->SetViewportExt(print_.paperWidth, print_.paperHeight);
    const int leftOffset = PrintLeftMargin * print_.charWidth;
    pDC->SetWindowOrg(-leftOffset, 0);
    const int width = print_.pageWidth - (PrintLeftMargin + PrintRightMargin) * print_.charWidth;

    pInfo->m_rectDraw = CRect(0, 0, width, print_.charHeight * PrintHeaderLines);
    PrintHeader(pDC, pInfo);

    const int rowPage = (page + print_.pagesAcross - 1) / print_.pagesAcross;
    int columnPage = page % print_.pagesAcross;
    if (columnPage == 0) columnPage = print_.pagesAcross;
    const auto index = [](int n) { return std::size_t(n - 1); };
    print_.firstRow = print_.rowPageStarts[index(rowPage)];
    print_.endRow = rowPage < print_.pagesDown ? print_.rowPageStarts[index(rowPage + 1)] : RowCount();
    print_.firstColumn = print_.columnPageStarts[index(columnPage)];
    print_.endColumn =
        columnPage < print_.pagesAcross ? print_.columnPageStarts[index(columnPage + 1)] : ColumnCount();
    print_.headingsTop = (PrintHeaderLines + PrintGapLines) * print_.charHeight;

    pDC->SelectStockObject(BLACK_PEN);
    // Rows and columns larger than their area are cut at its edge.
    const int bodyTop = print_.headingsTop + FixedRowsHeight();
    const int areaRight = PrintAtScreenScale ? FixedColumnsWidth() + print_.columnAreaWidth : width;
    pDC->SaveDC();
    pDC->IntersectClipRect(CRect(0, print_.headingsTop, areaRight, bodyTop + print_.rowAreaHeight));
    PrintRowHeadings(pDC, pInfo);
    PrintColumnHeadings(pDC, pInfo);
    int top = bodyTop;
    for (int row = print_.firstRow; row < print_.endRow; ++row) {
        const int height = RowHeight(row);
        if (height <= 0) continue;
        int left = FixedColumnsWidth();
        for (int col = print_.firstColumn; col < print_.endColumn; ++col) {
            const int w = ColumnWidth(col);
            if (w <= 0) continue;
            PrintGridCell(pDC, row, col, CRect(left, top, left + w - 1, top + height - 1));
            left += w;
        }
        top += height;
    }
    pDC->RestoreDC(-1);

    pInfo->m_rectDraw = CRect(0, 0, width, print_.charHeight * PrintFooterLines);
    pDC->SetWindowOrg(-leftOffset, -(print_.pageHeight - print_.charHeight * PrintFooterLines));
    PrintFooter(pDC, pInfo);
    pDC->SetWindowOrg(0, 0);
    pDC->RestoreDC(saved);
}

void CGridCtrl::EndPrint(CDC*, CPrintInfo*)
{
    print_ = GridPrintLayout{};
}

int CGridCtrl::ScreenTextWidth(const CFont* font, const std::string& text)
{
    if (!print_.screen) return 0;
    if (!font) font = print_.font.get();
    if (!font || text.empty()) return 0;
    std::unique_ptr<CFont>& copy = print_.screenFonts[font];
    if (!copy) copy = std::make_unique<CFont>();
    copy->m_logFont = font->m_logFont;  // the same face and height: its resolution stays
    print_.screen->SelectObject(copy.get());
    return print_.screen->GetTextExtent(text).cx;
}

void CGridCtrl::PrintGridCell(CDC* pDC, int row, int col, const CRect& rect)
{
    if (CGridCellBase* cell = CellAt(row, col)) cell->PrintCell(pDC, row, col, rect);
    // The lines close the printed block on every page: along the top of its first row and the
    // left of its first column as well. A line runs on to where the next cell's starts; a
    // logical unit is several printer pixels, so the lines of the page's last row and column
    // end on the cell's own last unit, where the lines across meet them, not one unit beyond.
    const int topRow = FixedRowCount() > 0 ? 0 : print_.firstRow;
    const int leftColumn = FixedColumnCount() > 0 ? 0 : print_.firstColumn;
    const int right = col == print_.endColumn - 1 ? rect.right : rect.right + 1;
    const int bottom = row == print_.endRow - 1 ? rect.bottom : rect.bottom + 1;
    if (GridLines == GridLinesHorizontal || GridLines == GridLinesBoth) {
        HorizontalLine(pDC, rect.left, right, rect.bottom);
        if (row == topRow) HorizontalLine(pDC, rect.left, right, rect.top);
    }
    if (GridLines == GridLinesVertical || GridLines == GridLinesBoth) {
        VerticalLine(pDC, rect.right, rect.top, bottom);
        if (col == leftColumn) VerticalLine(pDC, rect.left, rect.top, bottom);
    }
}

void CGridCtrl::PrintRowHeadings(CDC* pDC, CPrintInfo*)
{
    int top = print_.headingsTop + FixedRowsHeight();
    for (int row = print_.firstRow; row < print_.endRow; ++row) {
        const int height = RowHeight(row);
        if (height <= 0) continue;
        int left = 0;
        for (int col = 0; col < FixedColumnCount(); ++col) {
            const int w = ColumnWidth(col);
            if (w <= 0) continue;
            PrintGridCell(pDC, row, col, CRect(left, top, left + w - 1, top + height - 1));
            left += w;
        }
        top += height;
    }
}

void CGridCtrl::PrintColumnHeadings(CDC* pDC, CPrintInfo* pInfo)
{
    int top = print_.headingsTop;
    for (int row = 0; row < FixedRowCount(); ++row) {
        const int height = RowHeight(row);
        if (height <= 0) continue;
        int left = 0;
        PrintFixedRowCells(row, 0, FixedColumnCount() - 1, top, left, pDC, pInfo);
        PrintFixedRowCells(row, print_.firstColumn, print_.endColumn - 1, top, left, pDC, pInfo);
        top += height;
    }
}

void CGridCtrl::PrintFixedRowCells(int row, int firstCol, int lastCol, int top, int& left, CDC* pDC, CPrintInfo*)
{
    const int height = RowHeight(row);
    for (int col = firstCol; col <= lastCol; ++col) {
        const int w = ColumnWidth(col);
        if (w <= 0) continue;
        PrintGridCell(pDC, row, col, CRect(left, top, left + w - 1, top + height - 1));
        left += w;
    }
}

void CGridCtrl::PrintHeader(CDC* pDC, CPrintInfo* pInfo)
{
    if (!print_.font) return;
    CFont bold;
    CFont* oldFont = SelectBoldBlackText(pDC, *print_.font, bold);
    std::string caption;
    for (CWnd* window = GetParent(); window && caption.empty(); window = window->GetParent())
        caption = window->GetWindowText();
    CRect rect = pInfo->m_rectDraw;
    pDC->DrawText(caption, &rect, DT_CENTER | PrintLineFormat);
    rect = pInfo->m_rectDraw;
    pDC->DrawText(LoadString(AFX_IDS_APP_TITLE), &rect, DT_RIGHT | PrintLineFormat);
    pDC->SelectStockObject(BLACK_PEN);
    HorizontalLine(pDC, pInfo->m_rectDraw.left, pInfo->m_rectDraw.right, pInfo->m_rectDraw.bottom);
    pDC->SelectObject(oldFont);
}

void CGridCtrl::PrintFooter(CDC* pDC, CPrintInfo* pInfo)
{
    if (!print_.font) return;
    pDC->SelectStockObject(BLACK_PEN);
    HorizontalLine(pDC, pInfo->m_rectDraw.left, pInfo->m_rectDraw.right, pInfo->m_rectDraw.top);
    CFont bold;
    CFont* oldFont = SelectBoldBlackText(pDC, *print_.font, bold);
    char page[64];
    std::snprintf(page, sizeof page, "Page %u of %u", pInfo->m_nCurPage, pInfo->GetMaxPage());
    CRect rect = pInfo->m_rectDraw;
    pDC->DrawText(page, &rect, DT_LEFT | PrintLineFormat);
    rect = pInfo->m_rectDraw;
    pDC->DrawText(LocalDateTimeText(), &rect, DT_RIGHT | PrintLineFormat);
    pDC->SelectObject(oldFont);
}
