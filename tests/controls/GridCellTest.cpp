// The grid's cells: what defers to the default cells, what a default cell measures, copying,
// and the sizes cells ask for.
#include "GridTestSupport.h"

#include "controls/GridCell.h"

#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

#include <cstring>

using namespace gridtest;

namespace {

// The Qt metrics of the layer's GUI font, measured here independently of the cells.
QFontMetrics GuiMetrics()
{
    QFont font(ResolveFontFamily(QString::fromLatin1(DefaultGuiLogFont().lfFaceName)));
    font.setPixelSize(-DefaultGuiLogFont().lfHeight);
    return QFontMetrics(font);
}

LOGFONT Font(int height, int escapement = 0)
{
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfEscapement = escapement;
    std::strcpy(lf.lfFaceName, "Arial");
    return lf;
}

}  // namespace

TEST(GridCellTest, ADefaultCellMeasuresTheMessageBoxFontAndIsAlwaysReadOnly)
{
    CGridDefaultCell cell;
    const QFontMetrics fm = GuiMetrics();
    EXPECT_EQ(cell.GetMargin(), fm.horizontalAdvance(QStringLiteral(" ")));
    EXPECT_EQ(cell.GetWidth(), fm.horizontalAdvance(QStringLiteral(" XXXXXXXXXXXX ")));
    EXPECT_EQ(cell.GetHeight(), fm.height() * 3 / 2);
    EXPECT_EQ(cell.GetFormat(), UINT(0x8824));
    EXPECT_EQ(cell.GetTextColor(), ColorDefault);
    EXPECT_EQ(std::string(cell.GetFont()->lfFaceName), "MS Shell Dlg");
    EXPECT_EQ(cell.GetFontObject()->m_logFont.lfHeight, DefaultGuiLogFont().lfHeight);

    EXPECT_TRUE(cell.GetState() & CellStateReadOnly);
    cell.SetState(CellStateSelected);
    EXPECT_EQ(cell.GetState(), CellStateSelected | CellStateReadOnly);
    EXPECT_EQ(cell.IsReadOnly(), CellStateReadOnly);  // the bit itself, not 1

    const int width = cell.GetWidth();
    cell.SetFont(nullptr);  // ignored
    EXPECT_EQ(cell.GetWidth(), width);
    const LOGFONT big = Font(-20);
    cell.SetFont(&big);
    EXPECT_GT(cell.GetWidth(), width);
    EXPECT_EQ(cell.GetFont()->lfHeight, -20);
}

TEST(GridCellTest, WhatACellLeavesOpenComesFromItsDefaultCellAtOnce)
{
    CGridCtrl grid;
    grid.SetNumRows(3);
    grid.SetNumColumns(3);
    grid.SetNumFixedRows(1);
    grid.SetNumFixedColumns(1);
    CGridCellBase* cell = grid.CellAt(2, 2);
    CGridCellBase* heading = grid.CellAt(0, 2);
    CGridDefaultCell* ordinary = grid.GetDefaultCell(FALSE, FALSE);
    CGridDefaultCell* fixedRow = grid.GetDefaultCell(TRUE, FALSE);
    EXPECT_EQ(cell->GetDefaultCell(), ordinary);
    EXPECT_EQ(heading->GetDefaultCell(), fixedRow);
    EXPECT_EQ(grid.CellAt(2, 0)->GetDefaultCell(), grid.GetDefaultCell(FALSE, TRUE));
    EXPECT_EQ(grid.CellAt(0, 0)->GetDefaultCell(), grid.GetDefaultCell(TRUE, TRUE));

    // The margin and the font defer; the format was copied when the cell was made; setting
    // FormatDefault defers it too.
    ordinary->SetMargin(7);
    EXPECT_EQ(cell->GetMargin(), 7);
    EXPECT_EQ(heading->GetMargin(), fixedRow->GetMargin());
    cell->SetFormat(FormatDefault);
    ordinary->SetFormat(DT_RIGHT | DT_SINGLELINE);
    EXPECT_EQ(cell->GetFormat(), UINT(DT_RIGHT | DT_SINGLELINE));
    const LOGFONT big = Font(-20);
    ordinary->SetFont(&big);
    EXPECT_EQ(cell->GetFont()->lfHeight, -20);
    EXPECT_TRUE(cell->IsDefaultFont());
    EXPECT_EQ(cell->GetFontObject(), ordinary->GetFontObject());
    EXPECT_EQ(cell->GetTextColor(), ColorDefault);  // the stored value: Draw asks the default

    // The cell's own values win.
    cell->SetMargin(1);
    cell->SetFormat(DT_CENTER);
    const LOGFONT small = Font(-9);
    cell->SetFont(&small);
    EXPECT_EQ(cell->GetMargin(), 1);
    EXPECT_EQ(cell->GetFormat(), UINT(DT_CENTER));
    EXPECT_FALSE(cell->IsDefaultFont());
    EXPECT_EQ(cell->GetFontObject()->m_logFont.lfHeight, -9);
    cell->SetFont(nullptr);
    EXPECT_EQ(cell->GetFont()->lfHeight, -20);

    // Without a grid nothing is there to defer to.
    CGridCell lone;
    EXPECT_EQ(lone.GetFormat(), 0u);
    EXPECT_EQ(lone.GetMargin(), 0);
    EXPECT_EQ(lone.GetFont(), nullptr);
    EXPECT_EQ(lone.GetFontObject(), nullptr);
    EXPECT_FALSE(lone.Draw(nullptr, 0, 0, CRect(0, 0, 10, 10)));
}

TEST(GridCellTest, CopyFromTakesEveryFieldAndResetForgetsThem)
{
    CGridCtrl grid;
    CGridCell source;
    source.SetGrid(&grid);
    source.SetText("12.5");
    source.SetImage(2);
    source.SetData(77);
    source.SetState(CellStateModified | CellStateFixed);
    source.SetFormat(DT_RIGHT);
    source.SetTextColor(RGB(255, 0, 0));
    source.SetBackColor(RGB(255, 255, 224));
    const LOGFONT font = Font(-14);
    source.SetFont(&font);
    source.SetMargin(5);

    CGridCell copy;
    copy.CopyFrom(&source);
    EXPECT_EQ(copy.GetGrid(), &grid);
    EXPECT_STREQ(copy.GetText(), "12.5");
    EXPECT_EQ(copy.GetImage(), 2);
    EXPECT_EQ(copy.GetData(), 77);
    EXPECT_EQ(copy.GetState(), CellStateModified | CellStateFixed);
    EXPECT_EQ(copy.GetFormat(), UINT(DT_RIGHT));
    EXPECT_EQ(copy.GetTextColor(), RGB(255, 0, 0));
    EXPECT_EQ(copy.GetBackColor(), RGB(255, 255, 224));
    ASSERT_NE(copy.GetFont(), nullptr);
    EXPECT_EQ(copy.GetFont()->lfHeight, -14);
    EXPECT_NE(copy.GetFont(), source.GetFont());  // a copy of its own
    EXPECT_EQ(copy.GetMargin(), 5);

    copy.SetText(nullptr);
    EXPECT_STREQ(copy.GetText(), "");
    copy.Reset();
    EXPECT_EQ(copy.GetGrid(), nullptr);
    EXPECT_EQ(copy.GetState(), 0u);
    EXPECT_EQ(copy.GetImage(), -1);
    EXPECT_TRUE(copy.IsDefaultFont());
    EXPECT_EQ(copy.GetTextColor(), ColorDefault);
}

TEST(GridCellTest, TextExtentsCountLinesMarginsAndTurnForVerticalFonts)
{
    CGridCtrl grid;
    grid.SetNumRows(2);
    grid.SetNumColumns(2);
    grid.SetNumFixedRows(1);
    QImage image(10, 10, QImage::Format_RGB32);
    CDC dc(&image);
    const QFontMetrics fm = GuiMetrics();
    CGridCellBase* cell = grid.CellAt(1, 1);
    const int margin = cell->GetMargin();

    struct Case
    {
        const char* name;
        const char* text;
        UINT format;
        int escapement;
        CSize want;
    };
    const int line = fm.height();
    const int ab = fm.horizontalAdvance(QStringLiteral("ab"));
    const int wide = fm.horizontalAdvance(QStringLiteral("abc"));
    const CGridDefaultCell* defaults = grid.GetDefaultCell(FALSE, FALSE);
    const Case cases[] = {
        {"one line", "ab", DefaultCellFormat, 0, {ab + 2 * margin, line + 2 * margin}},
        {"a line end without DT_WORDBREAK is one line", "ab\nabc", DT_LEFT, 0,
         {fm.horizontalAdvance(QStringLiteral("ab\nabc")) + 2 * margin, line + 2 * margin}},
        {"DT_WORDBREAK: the widest of two lines", "ab\nabc", DT_LEFT | DT_WORDBREAK, 0, {wide + 2 * margin, 2 * line + 2 * margin}},
        {"no text: the default cell's size", "", DefaultCellFormat, 0, {defaults->GetWidth(), defaults->GetHeight()}},
        {"escapement 900 turns the size", "ab", DefaultCellFormat, 900, {line + 2 * margin, ab + 2 * margin + 4 * margin}},
        {"escapement -900 as well", "ab", DefaultCellFormat, -900, {line + 2 * margin, ab + 2 * margin + 4 * margin}},
    };
    for (const Case& c : cases) {
        cell->SetFormat(c.format);
        const LOGFONT font = [&] {
            LOGFONT lf = DefaultGuiLogFont();
            lf.lfEscapement = c.escapement;
            return lf;
        }();
        cell->SetFont(&font);
        EXPECT_EQ(cell->GetTextExtent(c.text, &dc), c.want) << c.name;
    }

    // A whole cell: one pixel more each way, and one more for a fixed cell's edge.
    cell->SetFont(nullptr);
    cell->SetFormat(DefaultCellFormat);
    cell->SetText("ab");
    EXPECT_EQ(cell->GetCellExtent(&dc), CSize(ab + 2 * margin + 1, line + 2 * margin + 1));
    CGridCellBase* heading = grid.CellAt(0, 1);
    heading->SetText("ab");
    const int headingMargin = heading->GetMargin();
    EXPECT_EQ(heading->GetCellExtent(&dc), CSize(ab + 2 * headingMargin + 2, line + 2 * headingMargin + 2));
}
