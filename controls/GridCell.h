// The grid's stored cell, whose format, margin, colours and font may defer to its default
// cell, and the default cells themselves (four per grid: ordinary, fixed column, fixed row,
// corner), which give new rows and columns their height and width.
#pragma once

#include "controls/GridCellBase.h"

#include <memory>
#include <string>

class CGridCell : public CGridCellBase
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    CGridCell() = default;
    ~CGridCell() override;

    void SetText(const char* text) override { text_ = text ? text : ""; }
    void SetImage(int image) override { image_ = image; }
    void SetData(LPARAM data) override { data_ = data; }
    void SetFormat(UINT format) override { format_ = format; }
    void SetTextColor(COLORREF colour) override { textColour_ = colour; }
    void SetBackColor(COLORREF colour) override { backColour_ = colour; }
    void SetFont(const LOGFONT* font) override;
    void SetMargin(int margin) override { margin_ = margin; }
    void SetGrid(CGridCtrl* grid) override { grid_ = grid; }
    void SetCoords(int, int) override {}

    const char* GetText() const override { return text_.c_str(); }
    int GetImage() const override { return image_; }
    LPARAM GetData() const override { return data_; }
    UINT GetFormat() const override;
    COLORREF GetTextColor() const override { return textColour_; }
    COLORREF GetBackColor() const override { return backColour_; }
    const LOGFONT* GetFont() const override;
    CFont* GetFontObject() const override;
    CGridCtrl* GetGrid() const override { return grid_; }
    CWnd* GetEditWnd() const override { return editWnd_; }
    int GetMargin() const override;
    BOOL IsDefaultFont() const override { return font_ ? FALSE : TRUE; }
    BOOL IsEditing() const override { return editing_; }

    void Reset() override;
    // Opens the in-place editor over rect (right-aligned for DT_RIGHT, centred for DT_CENTER)
    // with the cell's text and the first key; a cell already editing hands the key to its
    // editor as WM_CHAR. TRUE; the editor stays null when it cannot be made.
    BOOL Edit(int row, int col, CRect rect, CPoint point, UINT id, UINT firstChar) override;
    // Ends the open editor's edit, if any (its report reaches the grid).
    void EndEdit() override;
    void OnEndEdit() override;

protected:
    // The cell's own LOGFONT, null when it uses the default cell's.
    const LOGFONT* OwnFont() const { return font_.get(); }

private:
    std::string text_;
    LPARAM data_ = 0;
    int image_ = -1;
    UINT format_ = FormatDefault;
    COLORREF textColour_ = ColorDefault;
    COLORREF backColour_ = ColorDefault;
    std::unique_ptr<LOGFONT> font_;
    int margin_ = -1;
    BOOL editing_ = FALSE;
    CGridCtrl* grid_ = nullptr;
    CWnd* editWnd_ = nullptr;
};

class CGridDefaultCell : public CGridCell
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Format DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS, both colours
    // ColorDefault, then the system's message-box font (SetFont).
    CGridDefaultCell();
    ~CGridDefaultCell() override;

    // Takes the font (null is ignored) and measures it on the screen: margin = the width of
    // " ", width = that of " XXXXXXXXXXXX ", height = its text height x 3 / 2 (3, 40 and 16
    // without a screen).
    void SetFont(const LOGFONT* font) override;
    const LOGFONT* GetFont() const override { return OwnFont(); }
    CFont* GetFontObject() const override { return const_cast<CFont*>(&fontObject_); }
    // A default cell is never edited.
    UINT GetState() const override { return CGridCell::GetState() | CellStateReadOnly; }

    virtual LPARAM GetExtraValue() const { return extraValue_; }
    virtual void SetExtraValue(LPARAM value) { extraValue_ = value; }
    virtual int GetWidth() const { return width_; }
    virtual int GetHeight() const { return height_; }
    virtual void SetWidth(int width) { width_ = width; }
    virtual void SetHeight(int height) { height_ = height; }

private:
    int width_ = 30;
    int height_ = 10;
    CFont fontObject_;
    LPARAM extraValue_ = 0;
};

// The format a default cell starts with.
constexpr UINT DefaultCellFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
