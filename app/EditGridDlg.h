// What the two editors of many items at once share (the bridging events and Manning's n): a
// grid with one heading row and one column of item numbers, and an Apply button. An edit of a
// cell is accepted as a number of digits and a point only, shown with three decimals in red
// and marked; Apply writes the marked cells back and shows them black again. Close ends with
// IDOK once Apply has been pressed, else with IDCANCEL; what Apply wrote stays written.
#pragma once

#include "controls/GridCtrl.h"
#include "platform/Dialog.h"

#include <string>

class ModelState;
namespace VQXDisplayLib {
class VQXDisplayModel;
}

class CEditGridDlg : public CDialog
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Binds the grid.
    void DoDataExchange(CDataExchange* pDX) override;
    // Fills the grid (FillGrid) and disables Apply.
    BOOL OnInitDialog() override;
    // Close and Escape: IDOK when Apply was pressed, else IDCANCEL.
    void OnCancel() override;
    // The grid's end of an edit: refuses (reply -1, the old text back) a text with a character
    // other than digits and the point, or whose value is no finite number; else shows the value
    // with "%.3f" (an empty text is 0.000), marks the cell, turns it red, enables Apply, reply 0.
    void OnGridEndEdit(NMHDR* header, LRESULT* result);
    // Copy, Cut and Paste forwarded to the grid: Copy and Cut while cells are selected, Paste
    // while the clipboard offers text.
    void OnEditCopy();
    void OnEditCut();
    void OnEditPaste();
    void OnUpdateEditCopy(CCmdUI* pCmdUI);
    void OnUpdateEditCut(CCmdUI* pCmdUI);
    void OnUpdateEditPaste(CCmdUI* pCmdUI);

    // The rows of the items; false when the grid had no memory for them (it is left empty).
    virtual bool FillGrid() = 0;
    // Apply: writes every marked cell back (WriteBack), clears the marks and the red, and
    // disables Apply.
    void OnApply();

    CGridCtrl Grid;
    int FixedRows = 1;
    int FixedColumns = 1;
    int Columns = 4;
    int Rows = 1;
    VQXDisplayLib::VQXDisplayModel* DisplayModel;  // not owned
    ModelState* State;                            // not owned
    bool Applied = false;

    // The back colour of the cells, the colour of a changed text and of a cell that cannot be
    // edited here.
    static constexpr COLORREF CellColour = RGB(255, 255, 224);
    static constexpr COLORREF ChangedColour = RGB(255, 0, 0);
    static constexpr COLORREF ReadOnlyColour = RGB(133, 133, 133);

protected:
    CEditGridDlg(UINT templateId, int gridId, VQXDisplayLib::VQXDisplayModel* displayModel, ModelState* state,
                 CWnd* parent);

    // Empties the grid and sets its counts from Rows and Columns; false when memory ran out.
    bool PrepareGrid();
    // A cell of text, centred and unmarked; grey and read-only when asked.
    void PutCell(int row, int col, const std::string& text, bool readOnly = false);
    // After the cells: header clicks select, columns fit their texts, header clicks sort by
    // number and the columns share the width.
    void FinishGrid();
    // The value of a cell's text (its whole text).
    double CellValue(int row, int col) const;
    // Writes back the marked cells of one row (columns 1 to 3 whose bits are in changed: bit
    // c for column c); called by OnApply for every row with at least one.
    virtual void WriteBack(int row, unsigned changed) = 0;

private:
    int gridId_;
};
