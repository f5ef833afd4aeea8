#include "controls/GridCell.h"

#include "controls/GridCtrl.h"
#include "controls/InPlaceEdit.h"

#include "platform/SystemInfo.h"

const CRuntimeClass CGridCell::Runtime{"CGridCell", &CGridCellBase::Runtime, &CreateRuntimeObject<CGridCell>};
const CRuntimeClass CGridDefaultCell::Runtime{"CGridDefaultCell", &CGridCell::Runtime,
                                              &CreateRuntimeObject<CGridDefaultCell>};

namespace {

// The one font object of every cell with a font of its own: made again from the asking cell's
// LOGFONT at each call (the font keeps its resolved Qt font while the LOGFONT stays the same).
CFont& SharedCellFont()
{
    static CFont font;
    return font;
}

// Sizes of the default cells without a screen to measure on.
constexpr int UnmeasuredMargin = 3;
constexpr int UnmeasuredWidth = 40;
constexpr int UnmeasuredHeight = 16;
// The texts that measure a default cell's margin and width.
constexpr const char* MarginSample = " ";
constexpr const char* WidthSample = " XXXXXXXXXXXX ";

}  // namespace

CGridCell::~CGridCell() = default;

void CGridCell::SetFont(const LOGFONT* font)
{
    if (!font) {
        font_.reset();
        return;
    }
    if (!font_) font_ = std::make_unique<LOGFONT>();
    *font_ = *font;
}

UINT CGridCell::GetFormat() const
{
    if (format_ != FormatDefault) return format_;
    const CGridDefaultCell* defaults = GetDefaultCell();
    return defaults && defaults != this ? defaults->GetFormat() : 0;
}

const LOGFONT* CGridCell::GetFont() const
{
    if (font_) return font_.get();
    const CGridDefaultCell* defaults = GetDefaultCell();
    return defaults && defaults != this ? defaults->GetFont() : nullptr;
}

CFont* CGridCell::GetFontObject() const
{
    if (font_) {
        CFont& shared = SharedCellFont();
        shared.CreateFontIndirect(font_.get());
        return &shared;
    }
    const CGridDefaultCell* defaults = GetDefaultCell();
    return defaults && defaults != this ? defaults->GetFontObject() : nullptr;
}

int CGridCell::GetMargin() const
{
    if (margin_ != -1) return margin_;
    const CGridDefaultCell* defaults = GetDefaultCell();
    return defaults && defaults != this ? defaults->GetMargin() : 0;
}

void CGridCell::Reset()
{
    CGridCellBase::Reset();
    text_.clear();
    data_ = 0;
    image_ = -1;
    format_ = FormatDefault;
    textColour_ = ColorDefault;
    backColour_ = ColorDefault;
    font_.reset();
    margin_ = -1;
    editing_ = FALSE;
    grid_ = nullptr;
    editWnd_ = nullptr;
}

BOOL CGridCell::Edit(int row, int col, CRect rect, CPoint, UINT id, UINT firstChar)
{
    if (editing_) {
        if (editWnd_) editWnd_->SendMessage(WM_CHAR, firstChar, 1);
        return TRUE;
    }
    const UINT format = GetFormat();
    DWORD style = ES_LEFT;
    if (format & DT_RIGHT) style = ES_RIGHT;
    else if (format & DT_CENTER) style = ES_CENTER;
    editing_ = TRUE;
    editWnd_ = nullptr;
    if (!grid_) return TRUE;
    auto* editor = new CInPlaceEdit(grid_, rect, style, id, row, col, GetText(), firstChar, grid_->IsFollowOnEdit());
    if (editor->IsWindowCreated()) editWnd_ = editor;
    else delete editor;
    return TRUE;
}

void CGridCell::EndEdit()
{
    if (auto* editor = dynamic_cast<CInPlaceEdit*>(editWnd_)) editor->EndEdit();
}

void CGridCell::OnEndEdit()
{
    editing_ = FALSE;
    editWnd_ = nullptr;
}

CGridDefaultCell::CGridDefaultCell()
{
    SetFormat(DefaultCellFormat);
    SetTextColor(ColorDefault);
    SetBackColor(ColorDefault);
    NONCLIENTMETRICS metrics;
    if (SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) SetFont(&metrics.lfMessageFont);
}

CGridDefaultCell::~CGridDefaultCell() = default;

void CGridDefaultCell::SetFont(const LOGFONT* font)
{
    if (!font) return;
    fontObject_.CreateFontIndirect(font);
    CGridCell::SetFont(font);
    CScreenDC dc;
    if (!dc.IsValid()) {
        SetMargin(UnmeasuredMargin);
        width_ = UnmeasuredWidth;
        height_ = UnmeasuredHeight;
        return;
    }
    CFont* old = dc.SelectObject(&fontObject_);
    SetMargin(dc.GetTextExtent(MarginSample).cx);
    const CSize size = dc.GetTextExtent(WidthSample);
    width_ = size.cx;
    height_ = size.cy * 3 / 2;
    dc.SelectObject(old);
}
