// The node table, the Node Table Editor tab of the main view: a form view whose one grid lists
// the display model's nodes, one node a row and one node quantity a column (the columns of the
// model's file type and water-quality data). Edits stay in the grid, red and marked modified,
// until Accept Changes writes them into the nodes and the engine or Reject Changes gives the
// nodes' values back; meanwhile the document's NodeTableEdited flag makes Save ask and every
// run refuse to start. After a run's step the values follow the refreshed nodes.
//
// RowNodes point into the display model: while the document's NodeTableRebuild flag is set
// (an open replaces the display model) no handler reads them, and the next paint rebuilds.
#pragma once

#include "controls/GridCtrl.h"

#include "platform/DocView.h"

#include <string>
#include <vector>

class CCmdUI;
class CVasquilDoc;
namespace VQXDisplayLib {
class VQXDisplayNode;
}

class CNodeTableView : public CFormView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // The form of the node table's template, no rows and no columns yet.
    CNodeTableView();
    ~CNodeTableView() override;

    // The view's document when it is the program's, else null.
    CVasquilDoc* GetDocument() const;

    // Binds Grid to the template's grid control.
    void DoDataExchange(CDataExchange* pDX) override;
    // The form's initial update, the client size recorded, then BuildGrid.
    void OnInitialUpdate() override;

    // Only while the document's NodeTableRebuild flag is set and the view is shown, the flag
    // cleared first: the grid over the whole view; with a model, the columns of its file type
    // and water-quality data, the rows of all its nodes (or of its output nodes while the
    // display model's ShowAllNodes is 0) under one row of titles, every cell centred, the
    // cells the nodes do not take typed values in grey and read-only, each column fitted to
    // its texts and the columns widened to the grid's width when they leave some over (never
    // narrowed below their texts: the horizontal bar shows then). The rebuild drops every
    // pending edit and clears NodeTableEdited with them. The model state's refresh flag is
    // cleared. When memory runs out while the grid is sized, "Out of memory." is shown and the
    // grid stays unfilled until the next rebuild.
    void BuildGrid();
    // Rewrites every value cell (rows and columns from 1) from its node with its column's
    // decimals, except the cells whose edits wait, clears the model state's refresh flag and
    // redraws the grid. Nothing without rows, while a rebuild is due, or without a model.
    void RefreshValues();
    // Checks and rewrites the text of a value cell that was edited: see
    // NodeTableColumns::EditedCellValue. Accepted: the text becomes the number with the
    // column's decimals, red and marked modified, and the document edited; returns 0.
    // Refused: returns -1 and changes nothing (the grid gives the old text back).
    int ValidateEditedCell(int row, int col);

    // Accept Changes: the modified cells row by row, left to right, into their nodes, each
    // written row then into the engine once; the reach numbers, zones, output-node list and
    // reach names rebuilt; the profile and cross-section views told to re-initialise; the
    // table rebuilt and not edited. A row the engine refuses gets its node's values back (the
    // engine changed nothing), and a message names the node and why; the other rows stay
    // accepted.
    void AcceptChanges();
    // Reject Changes: the modified cells get their nodes' values again; not edited.
    void RejectChanges();
    // Set Values: the value the dialog asks written into every writable cell of the block the
    // selection spans (red and modified). "Please select a cell or range of cells." without a
    // valid selection; nothing on Cancel.
    void OnSetValues();
    // Show Output Nodes Only: the rows switch between all nodes and the output nodes.
    void OnShowOutputNodesOnly();
    // Auto Size: every column and row fitted to its cells' texts.
    void OnAutoSize();
    // Expand To Fit: the columns share the grid's width out.
    void OnExpandToFit();
    // Copy, Cut and Paste of the grid's selection; Cut and Paste (which pass the edit check
    // cell by cell) wait while a run goes.
    void OnEditCopy();
    void OnEditCut();
    void OnEditPaste();

    // Print and Print Preview print the grid: the print dialog (none for a preview), then the
    // grid's own pages, through its BeginPrint, PrintPage for each page and EndPrint. A rebuild
    // or a refresh of the values that waits for the next paint is done first, so the pages
    // hold what the table shows.
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;

    // Enabling of the table's commands. Accept, Reject and Set Values wait while a run goes;
    // Accept and Reject need pending edits; Auto Size, Expand To Fit, Print, Print Preview and
    // Show Output Nodes Only a model (and Show Output Nodes Only no pending edit, as it rebuilds the table),
    // ticked while only output nodes show.
    void OnUpdateAcceptChanges(CCmdUI* pCmdUI);
    void OnUpdateSetValues(CCmdUI* pCmdUI);
    void OnUpdateModelLoaded(CCmdUI* pCmdUI);
    void OnUpdateShowOutputNodesOnly(CCmdUI* pCmdUI);
    void OnUpdateEditCopy(CCmdUI* pCmdUI);
    void OnUpdateEditCutPaste(CCmdUI* pCmdUI);

    CGridCtrl Grid;
    int LastWidth = -1;
    int LastHeight = -1;
    std::vector<int> ColumnIds;
    std::vector<VQXDisplayLib::VQXDisplayNode*> RowNodes;

protected:
    // Hides the shown transient and steady run dialogs (this view covers what they show),
    // BuildGrid, then the values when the model state's refresh flag is set. Without a model
    // the grid is hidden and the view shows its ground only.
    void OnPaint() override;
    // The form's bars, then the size change given to the grid.
    void OnSize(UINT nType, int cx, int cy) override;
    // The grid's edit notifications: no edit while a run goes; an edited text is checked.
    void OnGridBeginEdit(NMHDR* header, LRESULT* result);
    void OnGridEndEdit(NMHDR* header, LRESULT* result);

private:
    // The child window's part of a size change of (dx, dy) packed in the LPARAM.
    static BOOL ResizeChildProc(HWND child, LPARAM lParam);
    // True when RowNodes belong to the display model the document holds now.
    bool RowsCurrent() const;
    // A cell written by an edit, by Set Values or back from its node: its text, its colour and
    // whether the edit waits.
    void WriteCell(int row, int col, const std::string& text, bool pending);
    // A value cell's text from its node.
    std::string NodeText(int row, int col) const;
    // True when the rows are current and no run goes: the cells may change.
    bool TakesEdits() const;
};
