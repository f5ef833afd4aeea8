// Documents and their views. A document holds what the program works on and the list of
// views that show it; a view is a window whose paint draws the document (OnDraw).
#pragma once

#include "platform/Window.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class CDC;
class CDataExchange;
class CDocument;
class CFrameWnd;
class CSingleDocTemplate;
class CView;
struct CPrintInfo;

// What a frame is given to create its view and attach it to a document.
struct CCreateContext
{
    const CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CSingleDocTemplate* m_pNewDocTemplate = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
};

class CDocument : public CCmdTarget
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // Enters the framework's Save (ID_FILE_SAVE) and Save As (ID_FILE_SAVE_AS) commands.
    CDocument();
    ~CDocument() override;

    // The framework calls these for New, Open and Save; each returns FALSE on failure.
    // Default: no file and the title "Untitled"; TRUE.
    virtual BOOL OnNewDocument();
    // Default: TRUE (a document reads its file here).
    virtual BOOL OnOpenDocument(const std::filesystem::path& path);
    // Default: TRUE (a document writes its file here).
    virtual BOOL OnSaveDocument(const std::filesystem::path& path);
    // Destroys the frames of the views, then the document (through its template).
    virtual void OnCloseDocument();

    // Whether the document holds changes its file lacks. Set it after every change the user
    // accepted or a run made; New, Open and a successful save clear it. A change shows in
    // the frames' captions.
    void SetModifiedFlag(BOOL modified = TRUE);
    BOOL IsModified() const { return modified_ ? TRUE : FALSE; }
    // The save question before the document is replaced or closed: for a modified document
    // "Save changes to <title>?" with Yes (DoFileSave), No and Cancel. Returns TRUE when the
    // caller may go on (not modified, saved, or No); FALSE for Cancel or a save that failed,
    // the document and its file as they were then.
    virtual BOOL SaveModified();
    // Yes to the save question: Save (as OnFileSave does, without its own questions).
    // TRUE when saved.
    virtual BOOL DoFileSave();

    // Save: Save As when the document has no file yet, else OnSaveDocument on its file.
    void OnFileSave();
    // Save As: the save dialog (the template's filter and extension, the overwrite question),
    // then OnSaveDocument; on success the file becomes the document's file.
    void OnFileSaveAs();
    // Saves under path, or asks for a name first when path is empty. TRUE when saved; with
    // replace the file becomes the document's and the modified flag is cleared.
    BOOL DoSave(const std::filesystem::path& path, BOOL replace = TRUE);

    // Tells every view but sender (OnUpdate; by default each repaints).
    void UpdateAllViews(CView* sender, LPARAM hint = 0, CObject* hintObject = nullptr);
    void AddView(CView* view);
    void RemoveView(CView* view);
    const std::vector<CView*>& GetViews() const { return views_; }

    const std::filesystem::path& GetPathName() const { return pathName_; }
    // Sets the file, the title (the file's name) and the frames' captions; adds the file
    // to the recent-file list when asked.
    virtual void SetPathName(const std::filesystem::path& path, BOOL addToRecentFiles = TRUE);
    const std::string& GetTitle() const { return title_; }
    virtual void SetTitle(const std::string& title);  // Windows-1252

    CSingleDocTemplate* GetDocTemplate() const { return template_; }
    void SetDocTemplate(CSingleDocTemplate* tmpl) { template_ = tmpl; }

private:
    void UpdateFrameTitles();

    std::filesystem::path pathName_;
    std::string title_;
    std::vector<CView*> views_;
    CSingleDocTemplate* template_ = nullptr;
    bool modified_ = false;
};

class CView : public CWnd
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    CView();
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }

    // Draws the document: called by every paint with a context prepared by OnPrepareDC.
    virtual void OnDraw(CDC* pDC) = 0;
    // Prepares the context of a paint (pInfo null) or of a printed page. Default: nothing for
    // a paint; for a page, printing goes on while the job's number of pages is known, else
    // only for the first page (m_bContinuePrinting).
    virtual void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr);

    // Print: OnPreparePrinting (FALSE ends it there), the session's printer opened, and the
    // job's steps: OnBeginPrinting once, then for each page of the range the user asked that
    // the job has (m_nCurPage; m_rectDraw the printable area in device pixels) OnPrepareDC,
    // which may end the job, and OnPrint; OnEndPrinting at the end. A printer that cannot be
    // opened shows AFX_IDP_FAILED_TO_START_PRINT and prints nothing.
    void OnFilePrint();
    // Print Preview: OnPreparePrinting with m_bPreview set (FALSE ends it there), then the
    // preview window over the session's printer, whose pages come from the same steps as
    // Print's, each page a page of the window; its Print button prints them.
    void OnFilePrintPreview();
    // The first step of a job. Default: DoPreparePrinting.
    virtual BOOL OnPreparePrinting(CPrintInfo* pInfo);
    // The print dialog over the session's printer (not for a preview, which needs none).
    // TRUE when the user chose to print, the pages chosen in pInfo's range; FALSE for Cancel.
    BOOL DoPreparePrinting(CPrintInfo* pInfo);
    // Before the first page, with the job's context; the place to count the pages
    // (CPrintInfo::SetMaxPage). Default: nothing.
    virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
    // Prints page pInfo->m_nCurPage. Default: OnDraw.
    virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);
    // After the last page. Default: nothing.
    virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);
    // Once the frame and document are ready (and again after each open). Default: OnUpdate.
    virtual void OnInitialUpdate();
    // Default: repaint the whole view.
    virtual void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject);
    // The frame's active view changes; default: the view activated takes the focus.
    virtual void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView);

    // Commands go to the view, then to its document.
    BOOL OnCmdMsg(UINT nID, int nCode, CCmdUI* pCmdUI, bool probeOnly) override;

    CDocument* m_pDocument = nullptr;

protected:
    int OnCreate(CREATESTRUCT* cs) override;
    void OnPaint() override;
    // A click makes the view its frame's active view.
    int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) override;
    // Views delete themselves when their window is gone.
    void PostNcDestroy() override;
};

// A view whose child windows come from a dialog template (the custom controls of registered
// window classes included), with the dialogs' data exchange. While the client area is smaller
// than the template, scroll bars show and move the children over the view; the view's ground is
// the dialogs' face colour.
class CFormView : public CView
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    explicit CFormView(UINT templateId);
    ~CFormView() override;

    // TRUE: controls into members; FALSE: members into controls. Returns FALSE when a field
    // did not parse (the exchange stopped there, with its message shown).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);
    // Fills the controls from the members (UpdateData(FALSE)), then CView's initial update.
    void OnInitialUpdate() override;
    // Fills the client area with the face colour.
    void OnDraw(CDC* pDC) override;

    // The update handlers of the buttons among the controls, through target's routing: each
    // button takes the enabling and the check its handler gives (with disableIfNoHandler, a
    // button without a command handler is disabled). The frame calls this for its active form
    // view when idle, with the view as target and disableIfNoHandler FALSE.
    void UpdateDialogControls(CCmdTarget* target, BOOL disableIfNoHandler);

    UINT GetTemplateId() const { return templateId_; }
    // The template's size in pixels: what the scroll bars scroll over.
    CSize GetTotalSize() const { return totalSize_; }
    // The point of the template at the client area's top left corner (0, 0 unscrolled).
    CPoint GetScrollPosition() const { return scrollPos_; }
    // Converts a rectangle from the template's dialog units to pixels.
    void MapDialogRect(CRect* rect) const;

protected:
    // Adds WS_HSCROLL and WS_VSCROLL: the window has its bars, shown only when needed.
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // CView's creation, then the template's controls; -1 when the template is not registered
    // or one of its custom controls has no registered class.
    int OnCreate(CREATESTRUCT* cs) override;
    // The bars follow the new size: each shows while the client is smaller than the template
    // on its axis, and the children move back when the scroll position has to shrink.
    void OnSize(UINT nType, int cx, int cy) override;
    // Line (a hundredth of the template), page (the client), thumb, top and bottom; the
    // children move by the change.
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;
    // Lets go of the controls' objects, then the view deletes itself.
    void PostNcDestroy() override;

private:
    void UpdateBars();
    void Scroll(int nBar, UINT code);
    void ScrollTo(CPoint position);

    UINT templateId_;
    CSize baseUnits_{6, 12};
    CSize totalSize_{0, 0};
    CPoint scrollPos_{0, 0};
    bool updatingBars_ = false;
    std::vector<std::unique_ptr<CWnd>> controls_;  // objects of the template's controls
};
