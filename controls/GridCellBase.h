// The interface of a grid's cells: state bits, text and display attributes, and the painting
// and measuring every cell kind shares. Cell rectangles are inclusive: right and bottom are the
// cell's last pixel column and row (right = left + width - 1), where the grid lines of
// scrollable cells fall.
#pragma once

#include "platform/DeviceContext.h"
#include "platform/RuntimeClass.h"
#include "platform/Window.h"

class CGridCtrl;
class CGridDefaultCell;

// Cell state bits.
constexpr UINT CellStateFocused = 0x01;
constexpr UINT CellStateSelected = 0x02;  // kept in step with the grid's selected cells
constexpr UINT CellStateDropHighlighted = 0x04;
constexpr UINT CellStateReadOnly = 0x08;
constexpr UINT CellStateFixed = 0x10;
constexpr UINT CellStateFixedRow = 0x20;
constexpr UINT CellStateFixedCol = 0x40;
constexpr UINT CellStateModified = 0x80;

// Not a colour: stored as a cell's text or back colour it means "the default cell's colour".
constexpr COLORREF ColorDefault = 0xFF000000;
// Stored as a format, "the default cell's format".
constexpr UINT FormatDefault = 0xFFFFFFFF;

class CGridCellBase : public CObject
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    CGridCellBase() = default;
    ~CGridCellBase() override = default;

    virtual void SetText(const char* text) = 0;  // null gives ""
    virtual void SetImage(int image) = 0;
    virtual void SetData(LPARAM data) = 0;
    virtual void SetState(UINT state) { state_ = state; }
    virtual void SetFormat(UINT format) = 0;
    virtual void SetTextColor(COLORREF colour) = 0;
    virtual void SetBackColor(COLORREF colour) = 0;
    // Null: the cell takes the default cell's font again.
    virtual void SetFont(const LOGFONT* font) = 0;
    virtual void SetMargin(int margin) = 0;
    virtual void SetGrid(CGridCtrl* grid) = 0;
    // The grid tells a cell where it is whenever it places or moves it.
    virtual void SetCoords(int row, int col) = 0;

    virtual const char* GetText() const = 0;  // "" when empty
    virtual const char* GetTipText() const { return GetText(); }
    virtual int GetImage() const = 0;
    virtual LPARAM GetData() const = 0;
    virtual UINT GetState() const { return state_; }
    // The format, the default cell's when the cell's own is FormatDefault.
    virtual UINT GetFormat() const = 0;
    // The stored colours (ColorDefault included).
    virtual COLORREF GetTextColor() const = 0;
    virtual COLORREF GetBackColor() const = 0;
    // The cell's own LOGFONT, else the default cell's, else null.
    virtual const LOGFONT* GetFont() const = 0;
    // The font object of GetFont: for a cell with a font of its own one object shared by all
    // such cells and valid until the next call; null without a default cell.
    virtual CFont* GetFontObject() const = 0;
    virtual CGridCtrl* GetGrid() const = 0;
    virtual CWnd* GetEditWnd() const = 0;  // the open in-place editor, or null
    // The margin in pixels, the default cell's when the cell's own is -1.
    virtual int GetMargin() const = 0;
    // The grid's default cell for this cell's kind (corner, fixed row, fixed column, ordinary);
    // null without a grid.
    virtual CGridDefaultCell* GetDefaultCell() const;
    virtual BOOL IsDefaultFont() const = 0;
    virtual BOOL IsEditing() const = 0;
    // The masked state bit (nonzero when set).
    virtual UINT IsFocused() const { return GetState() & CellStateFocused; }
    virtual UINT IsFixed() const { return GetState() & CellStateFixed; }
    virtual UINT IsFixedCol() const { return GetState() & CellStateFixedCol; }
    virtual UINT IsFixedRow() const { return GetState() & CellStateFixedRow; }
    virtual UINT IsSelected() const { return GetState() & CellStateSelected; }
    virtual UINT IsReadOnly() const { return GetState() & CellStateReadOnly; }
    virtual UINT IsModified() const { return GetState() & CellStateModified; }
    virtual UINT IsDropHighlighted() const { return GetState() & CellStateDropHighlighted; }

    // Takes grid, text, image, data, state, format, colours, font and margin of source, in this
    // order, through the setters; nothing when source is this cell.
    virtual void CopyFrom(const CGridCellBase* source);
    // Back to the state of a new cell.
    virtual void Reset() { state_ = 0; }

    // Paints the cell into rect (inclusive) at (row, col); erase fills it even without a back
    // colour of its own. FALSE, drawing nothing, without a grid, a context or an area.
    virtual BOOL Draw(CDC* pDC, int row, int col, CRect rect, BOOL eraseBackground = TRUE);
    // Prints the cell into rect (inclusive, logical units of the printer's context): with the
    // grid's PrintColors its colours (other cells filled only by a back colour of their own),
    // without them black text and no fill; fixed cells raised when the grid has grid lines.
    // FALSE, printing nothing, without a grid, a context or an area.
    virtual BOOL PrintCell(CDC* pDC, int row, int col, CRect rect);
    // Draws the raised edge of a fixed cell along rect (inclusive): light top and left, dark
    // right and bottom, in the thinnest pen of pDC; the context's pen is left as it was.
    static void DrawRaisedEdge(CDC* pDC, const CRect& rect);
    // Narrows rect to where the text goes (right of an image); TRUE.
    virtual BOOL GetTextRect(CRect* rect);
    virtual BOOL GetTipTextRect(CRect* rect) { return GetTextRect(rect); }
    // The size text needs with margins, measured in pDC (the grid window's context without
    // one); the default cell's size without a text or a context.
    virtual CSize GetTextExtent(const char* text, CDC* pDC = nullptr);
    // The size the whole cell needs: text, image and, for fixed cells, their edges.
    virtual CSize GetCellExtent(CDC* pDC);
    // Starts the in-place editor over rect; the plain cell has none (FALSE).
    virtual BOOL Edit(int row, int col, CRect rect, CPoint point, UINT id, UINT firstChar);
    virtual BOOL ValidateEdit(const char* text);
    virtual void EndEdit() {}
    virtual void OnEndEdit() {}
    // Hooks of the grid's mouse handling; empty.
    virtual void OnMouseEnter() {}
    virtual void OnMouseOver() {}
    virtual void OnMouseLeave() {}
    virtual void OnClick(CPoint) {}
    virtual void OnClickDown(CPoint) {}
    virtual void OnRClick(CPoint) {}
    virtual void OnDblClick(CPoint) {}
    // The cursor over the cell: the arrow, which the grid's window shows unless told otherwise;
    // TRUE.
    virtual BOOL OnSetCursor();

private:
    UINT state_ = 0;
};

// The font of a LOGFONT is turned a quarter (vertical text) when its escapement is 900.
constexpr int VerticalEscapement = 900;
