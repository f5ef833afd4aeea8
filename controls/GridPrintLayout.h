// How a grid lays itself out on printed pages. Sizes are logical units of the printed page,
// which are the grid's own pixel sizes scaled to the paper; lines and characters are those of
// the printer font.
#pragma once

#include "platform/DeviceContext.h"
#include "platform/Printing.h"

#include <map>
#include <memory>
#include <vector>

// The bands and margins of a printed grid page.
constexpr int PrintHeaderLines = 2;
constexpr int PrintFooterLines = 2;
constexpr int PrintGapLines = 1;      // between the header band and the fixed rows
constexpr int PrintLeftMargin = 4;    // character widths
constexpr int PrintRightMargin = 4;   // character widths
constexpr int PrintFontHeight = -10;  // the printer font, "Arial", logical units
// With PrintAtScreenScale a page shows what this part of the paper shows at screen size.
constexpr int ScreenScaleNumerator = 3;
constexpr int ScreenScaleDenominator = 4;

struct GridPrintLayout
{
    std::unique_ptr<CFont> font;  // the printer font while a job runs
    int charWidth = 0;
    int charHeight = 0;
    int pageWidth = 0;
    int pageHeight = 0;
    int paperWidth = 0;   // device pixels
    int paperHeight = 0;  // device pixels
    int rowAreaHeight = 0;
    int columnAreaWidth = 0;
    int pagesDown = 0;
    int pagesAcross = 0;
    // The first row of each row page and the first column of each column page: found once,
    // so that a page does not walk the rows before it.
    std::vector<int> rowPageStarts;
    std::vector<int> columnPageStarts;
    // The page being printed: its rows and columns [first, end).
    int firstRow = 0;
    int endRow = 0;
    int firstColumn = 0;
    int endColumn = 0;
    // The window origin's left offset (the left margin) and the top of the fixed rows.
    int headingsTop = 0;
    // Measures texts as the screen does, with a copy of each cell font (a font keeps only the
    // resolution it was last drawn at, the printer's while a job runs).
    std::unique_ptr<CScreenDC> screen;
    std::map<const CFont*, std::unique_ptr<CFont>> screenFonts;
};
