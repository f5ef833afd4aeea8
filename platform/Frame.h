// Frame windows: the main window with its menu bar, toolbars, status bar and active view.
// Commands reach the active view (and its document) first, then the frame, then the
// application. The layout of toolbars and the window's placement are kept in the
// application's settings from one run to the next. A toolbar's control id is also a command
// of its frame, which shows or hides the bar (ticked while it shows).
#pragma once

#include "platform/Window.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class CDocument;
class CMenu;
class CView;
class QMainWindow;
struct CCreateContext;

class CToolBar : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // A toolbar docked along the top of frame, movable to any side or floating.
    BOOL Create(class CFrameWnd* frame, UINT id = AFX_IDW_TOOLBAR);
    // Buttons of a toolbar template: images from its strip, tooltips and status prompts
    // from the commands' strings ("prompt\ntip"). FALSE when the template is not registered.
    BOOL LoadToolBar(UINT resourceId);
    int GetCount() const;                // buttons and separators
    UINT GetItemID(int index) const;     // ID_SEPARATOR for a separator
    // Update handlers of the buttons through target; a button whose command no target
    // handles is disabled.
    void UpdateButtons(CCmdTarget* target);
};

class CStatusBar : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    BOOL Create(class CFrameWnd* frame, UINT id = AFX_IDW_STATUS_BAR);
    // Panes by id: ID_SEPARATOR is the message pane (prompts of menu items and toolbar
    // buttons while the pointer is on them, else its own text, "Ready" at first); the others
    // are indicator panes.
    BOOL SetIndicators(const UINT* ids, int count);
    BOOL SetPaneText(int index, const std::string& text);
    std::string GetPaneText(int index) const;
};

class CFrameWnd : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Enters the status-bar command into the frame's table.
    CFrameWnd();
    ~CFrameWnd() override;

    // Creates the frame with the menu, accelerators and icon (an image resource) of
    // resourceId and the title of its string (up to the first "\n"); OnCreate then makes the
    // bars and OnCreateClient the view of context. Restores the saved layout. The frame is
    // not shown yet. Alt+F4 sends WM_CLOSE, as the window system's close does.
    virtual BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW, CWnd* parent = nullptr,
                           CCreateContext* context = nullptr);
    // Default: the view of the context (CreateView).
    virtual BOOL OnCreateClient(CREATESTRUCT* cs, CCreateContext* context);
    // Creates a view of the context's class as the frame's client, attached to the context's
    // document; null when that fails.
    CView* CreateView(CCreateContext* context, UINT id = AFX_IDW_PANE_FIRST);

    CView* GetActiveView() const;
    // Makes view the active view; with notify, the old one and then the new one hear of it.
    void SetActiveView(CView* view, BOOL notify = TRUE);
    CDocument* GetActiveDocument() const;
    // After a document was created or opened: the views' OnInitialUpdate, the active view,
    // the caption, and the frame shown when makeVisible.
    void InitialUpdateFrame(CDocument* document, BOOL makeVisible);
    void ActivateFrame(int nCmdShow = -1);
    // Caption: "<document title> - <frame title>", with a "*" before a modified document's
    // title, or the frame title without a document.
    virtual void OnUpdateFrameTitle(BOOL addToTitle);
    // Text of the status bar's message pane.
    void SetMessageText(const std::string& text);
    CMenu* GetMenu() const { return menu_.get(); }
    CStatusBar* GetStatusBar() const;

    // Files dropped on the frame arrive as WM_DROPFILES (OnDropFiles) while accepted.
    void DragAcceptFiles(BOOL accept = TRUE);
    // Default: opens each file through the application (after the save question).
    virtual void OnDropFiles(const std::vector<std::filesystem::path>& files);

    // Whether the frame may close: for the main frame the save question of its document
    // (SaveModified); TRUE for another frame.
    virtual BOOL CanCloseFrame();

    // The update handlers of the toolbar buttons (the application calls this when idle).
    void OnIdleUpdateCmdUI();

    BOOL OnCmdMsg(UINT nID, int nCode, CCmdUI* pCmdUI, bool probeOnly) override;

    // The pane menu: a right click on a toolbar or on the menu bar shows the frame's
    // toolbars by title (a choice shows or hides one) and then the customise command with
    // its text (Windows-1252); the item toolbarsMenuId of the frame's menu gives its place
    // to the same entries. Call once the toolbars have their titles.
    void EnablePaneMenu(BOOL enable, UINT customizeCommand, const std::string& customizeText, UINT toolbarsMenuId);
    // What a right click on a bar shows, at a screen point (the popup-menu chooser, when
    // installed, chooses).
    void ShowPaneMenu(CPoint screenPoint);
    // The modeless toolbar customising dialog of this frame: it shows and hides the
    // toolbars and resets the bars to the layout the frame was created with. One at a time;
    // it deletes itself when closed.
    void ShowToolbarCustomizeDialog();
    // Puts every bar back where OnCreate put it, shown.
    void ResetToolbarLayout();

    // ID_VIEW_STATUS_BAR: shows or hides the status bar; its item is ticked while it shows.
    void OnViewStatusBar();
    void OnUpdateViewStatusBar(CCmdUI* pCmdUI);

    // The frame's own part of the caption (the application's title).
    std::string m_strTitle;

    // Called by the frame's bars (not for the program's own use).
    void AddToolBar(CToolBar* bar);
    void SetStatusBarObject(CStatusBar* bar);
    QMainWindow* GetMainWindow() const;

protected:
    int OnCreate(CREATESTRUCT* cs) override;
    // Default: when CanCloseFrame allows it, the main frame closes every document (and so
    // itself); another frame closes.
    void OnClose() override;
    void OnDestroy() override;
    // Frames delete themselves when their window is gone; the main frame's end ends the program.
    void PostNcDestroy() override;
    bool HandleKindEvent(QEvent* event) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    void SaveLayout();
    void RestoreLayout();
    CToolBar* ToolBarOfCommand(UINT id) const;

    HWND activeView_ = nullptr;
    HWND statusBar_ = nullptr;
    std::vector<HWND> toolbars_;
    std::unique_ptr<CMenu> menu_;
    std::string createdLayout_;  // the bars' state as OnCreate made them
    bool paneMenu_ = false;
    UINT customizeCommand_ = 0;
    std::string customizeText_;
};
