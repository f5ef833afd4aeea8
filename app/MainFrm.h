// The main frame: the menu bar, the Standard, Zoom, Table and Edit BC toolbars and the status
// bar, all dockable, with the pane menu and the toolbar customising dialog; it decides the
// enabling of the frame-level commands that depend on the active view and the run dialogs,
// and asks before the program closes.
#pragma once

#include "platform/Frame.h"

class CMainFrame : public CFrameWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    CMainFrame();
    ~CMainFrame() override;

    // What the frame's update rules read of the document: whether a model is loaded, and
    // the state of each run dialog (none exists before a model is opened).
    struct RunDialogState
    {
        bool exists = false;
        bool shown = false;
        bool running = false;
    };
    struct DocumentState
    {
        bool modelLoaded = false;
        int fileType = 0;  // the model state's file type (3: thermal ice)
        RunDialogState steady;
        RunDialogState transient;
        RunDialogState waterQuality;
    };
    // Exit, the close box and Alt+F4: the save question of a modified model, then whether to
    // close at all; Cancel or No to either leaves everything as it was. Yes stops a run that
    // is going and waits for its end before the program closes.
    BOOL CanCloseFrame() override;

    // The active document's state (a frame without one: nothing loaded).
    virtual DocumentState GetDocumentState() const;

    CToolBar StandardToolBar;
    CToolBar ZoomToolBar;
    CToolBar TableToolBar;
    CToolBar EditBCToolBar;
    CStatusBar StatusBar;

protected:
    // Makes the toolbars (the standard one from the 256-colour images when the application
    // asks for them), their titles, the status bar with the message pane and the CAP, NUM
    // and SCRL indicators, and the pane menu. -1 when a bar cannot be made.
    int OnCreate(CREATESTRUCT* cs) override;
    // A file dropped during a run is refused (the run works on the open model).
    void OnDropFiles(const std::vector<std::filesystem::path>& files) override;

private:
    void OnViewCustomize();
    void OnUpdateScaleToFit(CCmdUI* pCmdUI);
    void OnUpdateAutoSize(CCmdUI* pCmdUI);
    void OnUpdateSimulationSteady(CCmdUI* pCmdUI);
    void OnUpdateSimulationTransient(CCmdUI* pCmdUI);
    void OnUpdateEditBoundaryConditions(CCmdUI* pCmdUI);
    void OnUpdateEditAtmosphericZone(CCmdUI* pCmdUI);
    // True when the active view is of the named class (or derives from it).
    bool ActiveViewIs(const char* className) const;
};
