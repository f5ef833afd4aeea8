// The cross-section editor, the main view's fifth tab: a form in which the user picks a node
// that has a surveyed cross section, edits its points, roughness and sinuosity rows and bank
// stations in four grids, chooses the levels of its property table and applies the result,
// which the fifth grid then shows. The chart draws the section as the grids hold it, with the
// node's water surface and border ice, and follows a run step by step.
//
// Unapplied edits live only in the grids; while a run dialog runs the grids take no edits and
// Apply is disabled. User-interface thread only.
#pragma once

#include "views/CrossSectionChart.h"

#include "controls/GridCtrl.h"
#include "platform/Dialog.h"
#include "platform/DocView.h"

#include <string>

class CVasquilDoc;

namespace VQXDisplayLib {
class VQXDisplayNode;
}

class CXSectionView : public CFormView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Registers the window classes of the template's grids and chart and the template, then
    // sets the chart's draw flag.
    CXSectionView();
    ~CXSectionView() override;

    CVasquilDoc* GetDocument() const;

    // The re-initialisation when the document asks for it (CrossSectionViewReset, cleared at
    // once): units, the node list, the count lists, the node's section in the grids. At every
    // call: the client size, and the chart pointed at the grids and the node.
    void LoadFromDocument();
    // Node becomes the (last) listed node with a section whose caption is NodeLabel; unchanged
    // when none has.
    void FindSelectedNode();
    // The node's section into the four selections and their combos, then the five grids.
    void ShowNodeSection();

    // Handlers.
    void DoDataExchange(CDataExchange* pDX) override;
    void OnInitialUpdate() override;
    void OnPaint() override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnSelChangeNode();
    void OnSelChangePointCount();
    void OnSelChangeRoughnessCount();
    void OnSelChangeSinuosityCount();
    void OnSelChangeLevelCount();
    // Begin edit: refused while a run dialog runs. End edit: the sending grid's cell rewritten
    // (XSectionTables.h), the reply 0; -1 for a number that is not finite or during a run.
    void OnGridBeginEdit(NMHDR* header, LRESULT* result);
    void OnGridEndEdit(NMHDR* header, LRESULT* result);
    // Apply Changes: the checks, then the section into the node and the engine; a refusal is
    // shown and leaves Modified set.
    // Copy, Cut and Paste act on the grid among the five that has the focus (nothing with the
    // focus elsewhere, an in-place editor among them); Copy and Cut are enabled while the
    // points grid has selected cells, Paste while the clipboard offers text.
    void OnEditCopy();
    void OnEditCut();
    void OnEditPaste();
    void OnUpdateEditCopyCut(CCmdUI* pCmdUI);
    void OnUpdateEditPaste(CCmdUI* pCmdUI);
    // A typed character for any window of the view that is not a digit, '.', '-', carriage
    // return or backspace is swallowed: letters, blanks, Tab and Escape reach no grid editor
    // and no combo box.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnApplyChanges();
    void OnUpdateApplyChanges(CCmdUI* pCmdUI);

    CGridCtrl PointsGrid;
    CGridCtrl RoughnessGrid;
    CGridCtrl SinuosityGrid;
    CGridCtrl PropertiesGrid;
    CGridCtrl BankGrid;
    int LastWidth = -1;
    int LastHeight = -1;
    CCrossSectionChart Chart;
    CComboBox NodeCombo;
    CComboBox PointCountCombo;
    CComboBox RoughnessCountCombo;
    CComboBox SinuosityCountCombo;
    CComboBox LevelCountCombo;
    std::string NodeLabel;
    VQXDisplayLib::VQXDisplayNode* Node = nullptr;
    int NodeIndex = 0;
    int PointCountSel = 0;
    int RoughnessCountSel = 0;
    int SinuosityCountSel = 0;
    int LevelCountSel = 0;
    int NodeCount = 0;
    std::string LengthUnit;
    std::string AreaUnit;
    int Modified = 0;

private:
    // The grid of a control id among the four editable ones; null for another id.
    CGridCtrl* EditableGrid(UINT id);
    // The grid among the five whose window has the keyboard focus; null when none has.
    CGridCtrl* FocusGrid();
    bool RunGoing() const;
    void FillGrids();
    // Shows or hides every control: without a node that has a section the view shows nothing.
    void ShowControls(bool show);
    // The chart window discarded and the control invalidated: the next paint builds it anew.
    void RedrawChart();
    // A count combo changed: the grid's rows follow the selection (entries = selection + 1).
    void ChangeEntryCount(CComboBox& combo, int& stored, CGridCtrl& grid, bool table);
    // Lays one child out again after a resize.
    void ResizeChildProc(CWnd* child);

    bool controlsShown_ = true;
};
