#include "controls/GridCellBase.h"

#include "controls/GridCell.h"
#include "controls/GridCtrl.h"

#include "platform/ImageList.h"
#include "platform/SystemInfo.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

const CRuntimeClass CGridCellBase::Runtime{"CGridCellBase", &CObject::Runtime, nullptr};

namespace {

// The sort arrow keeps this many pixels of the "M" height free, and stands this far above the
// text rectangle's bottom.
constexpr int ArrowInset = 4;
constexpr int ArrowLift = 2;

// The image of index in the grid's list and its size; false without one.
bool ImageSize(const CGridCtrl* grid, int image, CSize* size)
{
    if (!grid || !grid->ImageList || image < 0) return false;
    IMAGEINFO info;
    if (!grid->ImageList->GetImageInfo(image, &info)) return false;
    *size = info.rcImage.Size();
    return true;
}

// A triangle through three points and back to the first, in pen.
void Triangle(CDC* pDC, CPen* pen, CPoint a, CPoint b, CPoint c)
{
    CPen* old = pDC->SelectObject(pen);
    pDC->MoveTo(a);
    pDC->LineTo(b);
    pDC->LineTo(c);
    pDC->LineTo(a);
    pDC->SelectObject(old);
}

}  // namespace

CGridDefaultCell* CGridCellBase::GetDefaultCell() const
{
    const CGridCtrl* grid = GetGrid();
    if (!grid) return nullptr;
    return grid->GetDefaultCell(IsFixedRow() ? TRUE : FALSE, IsFixedCol() ? TRUE : FALSE);
}

void CGridCellBase::CopyFrom(const CGridCellBase* source)
{
    if (!source || source == this) return;
    SetGrid(source->GetGrid());
    SetText(source->GetText());
    SetImage(source->GetImage());
    SetData(source->GetData());
    SetState(source->GetState());
    SetFormat(source->GetFormat());
    SetTextColor(source->GetTextColor());
    SetBackColor(source->GetBackColor());
    SetFont(source->IsDefaultFont() ? nullptr : source->GetFont());
    SetMargin(source->GetMargin());
}

BOOL CGridCellBase::Draw(CDC* pDC, int row, int col, CRect rect, BOOL eraseBackground)
{
    CGridCtrl* grid = GetGrid();
    if (!grid || !pDC || rect.right - rect.left <= 0 || rect.bottom - rect.top <= 0) return FALSE;
    const int saved = pDC->SaveDC();
    pDC->SetBkMode(TRANSPARENT);
    CGridDefaultCell* defaults = GetDefaultCell();
    if (!defaults) {
        pDC->RestoreDC(saved);
        return FALSE;
    }

    COLORREF textColour = GetTextColor() == ColorDefault ? defaults->GetTextColor() : GetTextColor();
    COLORREF backColour = defaults->GetBackColor();
    BOOL erase = eraseBackground;
    if (GetBackColor() != ColorDefault) {
        backColour = GetBackColor();
        erase = TRUE;
    }
    const BOOL lines = grid->GridLines != GridLinesNone;

    if (IsFocused() || IsDropHighlighted()) {
        if (IsSelected()) {
            backColour = GetSysColor(COLOR_HIGHLIGHT);
            textColour = GetSysColor(COLOR_HIGHLIGHTTEXT);
            erase = TRUE;
        }
        rect.right++;
        rect.bottom++;
        if (erase) {
            CBrush brush(backColour);
            pDC->FillRect(rect, &brush);
        }
        // The frame stays inside the grid lines; without them it takes the whole cell.
        if (lines) {
            rect.right--;
            rect.bottom--;
        }
        if (grid->FrameFocusCell) {
            CBrush frame(textColour);
            pDC->FrameRect(rect, &frame);
        }
        pDC->SetTextColor(textColour);
        if (!lines) {
            rect.right--;
            rect.bottom--;
        }
    } else if (IsSelected()) {
        CBrush brush(GetSysColor(COLOR_HIGHLIGHT));
        pDC->FillRect(CRect(rect.left, rect.top, rect.right + 1, rect.bottom + 1), &brush);
        pDC->SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
        if (erase) {
            CBrush brush(backColour);
            pDC->FillRect(CRect(rect.left, rect.top, rect.right + 1, rect.bottom + 1), &brush);
        }
        pDC->SetTextColor(textColour);
    }

    if (IsFixed() && lines) {
        const CCellID focus = grid->GetFocusCell();
        if (grid->TrackFocusCell && grid->IsValid(focus) && (focus.row == row || focus.col == col)) {
            CRect edge(rect.left, rect.top, rect.right + 1, rect.bottom + 1);
            pDC->DrawEdge(&edge, BDR_SUNKENINNER, BF_RECT);
        } else {
            DrawRaisedEdge(pDC, rect);
        }
        rect.DeflateRect(1, 1);
    }

    if (!pDC->IsPrinting()) {
        if (CFont* font = GetFontObject()) pDC->SelectObject(font);
    }

    const int margin = GetMargin();
    rect.DeflateRect(margin, margin);
    rect.right++;
    rect.bottom++;

    CSize image;
    if (ImageSize(grid, GetImage(), &image)) {
        if (rect.left + image.cx <= rect.right && rect.top + image.cy <= rect.bottom)
            grid->ImageList->Draw(pDC, GetImage(), CPoint(rect.left, rect.top), ILD_NORMAL);
    }

    if (row == 0 && col == grid->SortColumn) {
        const LOGFONT* font = GetFont();
        const bool vertical = font && font->lfEscapement == VerticalEscapement;
        int s = pDC->GetTextExtent("M").cy - ArrowInset;
        if (s >= rect.Height()) s = rect.Height() - ArrowInset;
        if (rect.left + s < rect.right) {
            const int y0 = rect.bottom - s - ArrowLift;
            const int x0 = vertical ? (rect.left + rect.right - s) / 2 : rect.right - s;
            CPen light(PS_SOLID, 0, GetSysColor(COLOR_3DHIGHLIGHT));
            CPen shadow(PS_SOLID, 0, GetSysColor(COLOR_3DSHADOW));
            if (grid->SortAscending) {
                Triangle(pDC, &light, {x0 + 1, y0 + s + 1}, {x0 + s / 2 + 1, y0 + 1}, {x0 + s + 1, y0 + s + 1});
                Triangle(pDC, &shadow, {x0, y0 + s}, {x0 + s / 2, y0}, {x0 + s, y0 + s});
            } else {
                Triangle(pDC, &light, {x0 + 1, y0 + 1}, {x0 + s / 2 + 1, y0 + s + 1}, {x0 + s + 1, y0 + 1});
                Triangle(pDC, &shadow, {x0, y0}, {x0 + s / 2, y0 + s}, {x0 + s, y0});
            }
            if (!vertical) rect.right -= s;
        }
    }

    GetTextRect(&rect);
    rect.right++;
    rect.bottom++;
    pDC->DrawText(GetText(), &rect, GetFormat() | DT_NOPREFIX);

    pDC->RestoreDC(saved);
    return TRUE;
}

void CGridCellBase::DrawRaisedEdge(CDC* pDC, const CRect& rect)
{
    CPen light(PS_SOLID, 0, GetSysColor(COLOR_3DHIGHLIGHT));
    CPen dark(PS_SOLID, 0, GetSysColor(COLOR_3DDKSHADOW));
    CPen* old = pDC->SelectObject(&light);
    pDC->MoveTo(rect.right, rect.top);
    pDC->LineTo(rect.left, rect.top);
    pDC->LineTo(rect.left, rect.bottom);
    pDC->SelectObject(&dark);
    pDC->MoveTo(rect.right, rect.top);
    pDC->LineTo(rect.right, rect.bottom);
    pDC->LineTo(rect.left, rect.bottom);
    pDC->SelectObject(old);
}

BOOL CGridCellBase::GetTextRect(CRect* rect)
{
    CSize image;
    if (rect && ImageSize(GetGrid(), GetImage(), &image)) rect->left += image.cx + 1 + GetMargin();
    return TRUE;
}

CSize CGridCellBase::GetTextExtent(const char* text, CDC* pDC)
{
    CGridCtrl* grid = GetGrid();
    CGridDefaultCell* defaults = GetDefaultCell();
    const CSize defaultSize = defaults ? CSize(defaults->GetWidth(), defaults->GetHeight()) : CSize();
    if (!text || !*text) return defaultSize;
    std::unique_ptr<CClientDC> own;
    if (!pDC) {
        if (!grid || !grid->GetSafeHwnd()) return defaultSize;
        own = std::make_unique<CClientDC>(grid);
        pDC = own.get();
    }
    // Only the font changes: selected for the measurement and back after it.
    CFont* previousFont = nullptr;
    if (CFont* font = GetFontObject()) previousFont = pDC->SelectObject(font);
    CSize size;
    const UINT format = GetFormat();
    const std::string all(text);
    if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
        int widest = 0;
        for (std::size_t start = 0; start <= all.size();) {
            const std::size_t end = std::min(all.find('\n', start), all.size());
            widest = std::max(widest, pDC->GetTextExtent(all.substr(start, end - start)).cx);
            start = end + 1;
        }
        CRect box(0, 0, widest + 1, 0);
        pDC->DrawText(all, &box, format | DT_CALCRECT);
        size = box.Size();
    } else {
        size = pDC->GetTextExtent(all);
    }
    if (previousFont) pDC->SelectObject(previousFont);
    const int margin = GetMargin();
    size.cx += 2 * margin;
    size.cy += 2 * margin;
    const LOGFONT* font = GetFont();
    if (font && (font->lfEscapement == VerticalEscapement || font->lfEscapement == -VerticalEscapement))
        size = CSize(size.cy, size.cx + 4 * margin);
    return size;
}

CSize CGridCellBase::GetCellExtent(CDC* pDC)
{
    CSize size = GetTextExtent(GetText(), pDC);
    const int margin = GetMargin();
    CSize image;
    CSize imageWithMargins;
    if (ImageSize(GetGrid(), GetImage(), &image)) {
        imageWithMargins.cx = image.cx + (size.cx > 2 * margin ? margin : 0);
        imageWithMargins.cy = image.cy + 2 * margin;
    }
    size.cx += imageWithMargins.cx + 1;
    size.cy = std::max(size.cy, imageWithMargins.cy) + 1;
    if (IsFixed()) {
        size.cx++;
        size.cy++;
    }
    return size;
}

BOOL CGridCellBase::Edit(int, int, CRect, CPoint, UINT, UINT)
{
    return FALSE;
}

BOOL CGridCellBase::ValidateEdit(const char*)
{
    return TRUE;
}

BOOL CGridCellBase::OnSetCursor()
{
    return TRUE;
}
