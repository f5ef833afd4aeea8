#include "platform/DocView.h"

#include "platform/Application.h"
#include "platform/CommonDialogs.h"
#include "platform/DeviceContext.h"
#include "platform/DocTemplate.h"
#include "platform/Frame.h"
#include "platform/Resources.h"
#include "platform/Text.h"

#include <QApplication>
#include <QString>
#include <QWidget>

#include <algorithm>

const CRuntimeClass CDocument::Runtime{"CDocument", &CCmdTarget::Runtime, nullptr};
const CRuntimeClass CView::Runtime{"CView", &CWnd::Runtime, nullptr};

CDocument::CDocument()
{
    MapCommand(ID_FILE_SAVE, &CDocument::OnFileSave);
    MapCommand(ID_FILE_SAVE_AS, &CDocument::OnFileSaveAs);
}

CDocument::~CDocument()
{
    for (CView* view : views_) view->m_pDocument = nullptr;
}

BOOL CDocument::OnNewDocument()
{
    pathName_.clear();
    SetTitle(LoadString(AFX_IDS_UNTITLED));
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const std::filesystem::path&)
{
    return TRUE;
}

BOOL CDocument::OnSaveDocument(const std::filesystem::path&)
{
    return TRUE;
}

void CDocument::OnCloseDocument()
{
    // Destroying a frame destroys its views, which leave this list.
    std::vector<HWND> frames;
    for (CView* view : views_) {
        if (CFrameWnd* frame = view->GetParentFrame()) frames.push_back(frame->GetSafeHwnd());
    }
    for (HWND frame : frames) {
        if (CWnd* wnd = CWnd::FromHandle(frame)) wnd->DestroyWindow();
    }
    if (template_) template_->ReleaseDocument(this);  // deletes this document
}

void CDocument::SetModifiedFlag(BOOL modified)
{
    if (modified_ == (modified != FALSE)) return;
    modified_ = modified != FALSE;
    UpdateFrameTitles();
}

BOOL CDocument::SaveModified()
{
    if (!modified_) return TRUE;
    std::string question = LoadString(AFX_IDP_ASK_TO_SAVE);
    if (const std::size_t slot = question.find("%s"); slot != std::string::npos) question.replace(slot, 2, title_);
    switch (AfxMessageBox(question, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: return DoFileSave();
    case IDNO: return TRUE;
    default: return FALSE;
    }
}

BOOL CDocument::DoFileSave()
{
    return DoSave(pathName_);
}

void CDocument::OnFileSave()
{
    DoSave(pathName_);
}

void CDocument::OnFileSaveAs()
{
    DoSave({});
}

BOOL CDocument::DoSave(const std::filesystem::path& path, BOOL replace)
{
    std::filesystem::path target = path;
    if (target.empty()) {
        std::string extension = template_ ? template_->GetDocString(CSingleDocTemplate::filterExt) : std::string();
        if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
        const std::string initialName = pathName_.empty() ? title_ : QStringToCp1252(QString::fromStdString(pathName_.filename().string()));
        const std::string filter = template_ ? template_->GetFilter() : std::string();
        CFileDialog dialog(FALSE, extension.empty() ? nullptr : extension.c_str(), initialName.c_str(),
                           OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter.empty() ? nullptr : filter.c_str(),
                           AfxGetMainWnd());
        if (!pathName_.empty()) dialog.m_initialFolder = pathName_.parent_path();
        if (dialog.DoModal() != IDOK) return FALSE;
        target = dialog.GetPathName();
    }
    if (!OnSaveDocument(target)) return FALSE;
    if (replace) {
        modified_ = false;
        SetPathName(target);  // the captions change with it
    }
    return TRUE;
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CObject* hintObject)
{
    const std::vector<CView*> views = views_;  // a view may leave the list meanwhile
    for (CView* view : views) {
        if (view != sender && std::find(views_.begin(), views_.end(), view) != views_.end())
            view->OnUpdate(sender, hint, hintObject);
    }
}

void CDocument::AddView(CView* view)
{
    if (!view || std::find(views_.begin(), views_.end(), view) != views_.end()) return;
    views_.push_back(view);
    view->m_pDocument = this;
}

void CDocument::RemoveView(CView* view)
{
    const auto it = std::find(views_.begin(), views_.end(), view);
    if (it == views_.end()) return;
    views_.erase(it);
    view->m_pDocument = nullptr;
}

void CDocument::SetPathName(const std::filesystem::path& path, BOOL addToRecentFiles)
{
    pathName_ = path;
    SetTitle(QStringToCp1252(QString::fromStdString(path.filename().string())));
    if (addToRecentFiles) {
        if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(path);
    }
}

void CDocument::SetTitle(const std::string& title)
{
    title_ = title;
    UpdateFrameTitles();
}

void CDocument::UpdateFrameTitles()
{
    for (CView* view : views_) {
        if (CFrameWnd* frame = view->GetParentFrame()) frame->OnUpdateFrameTitle(TRUE);
    }
}

CView::CView() = default;

CView::~CView()
{
    if (m_pDocument) m_pDocument->RemoveView(this);
}

int CView::OnCreate(CREATESTRUCT* cs)
{
    if (CWnd::OnCreate(cs) == -1) return -1;
    CCreateContext* context = cs ? cs->lpCreateParams : nullptr;
    if (context && context->m_pCurrentDoc) context->m_pCurrentDoc->AddView(this);
    return 0;
}

void CView::OnPaint()
{
    CPaintDC dc(this);
    OnPrepareDC(&dc, nullptr);
    OnDraw(&dc);
}

void CView::OnPrepareDC(CDC*, CPrintInfo*) {}

void CView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, LPARAM, CObject*)
{
    Invalidate(TRUE);
}

void CView::OnActivateView(BOOL activate, CView* activateView, CView*)
{
    QWidget* focus = QApplication::focusWidget();
    if (activate && activateView == this && GetWidget() && focus != GetWidget() && !GetWidget()->isAncestorOf(focus))
        SetFocus();
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, CCmdUI* pCmdUI, bool probeOnly)
{
    if (CWnd::OnCmdMsg(nID, nCode, pCmdUI, probeOnly)) return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pCmdUI, probeOnly);
}

int CView::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message)
{
    const int result = CWnd::OnMouseActivate(pDesktopWnd, nHitTest, message);
    if (result == MA_NOACTIVATE || result == MA_NOACTIVATEANDEAT) return result;
    if (CFrameWnd* frame = GetParentFrame()) {
        if (frame->GetActiveView() == this) OnActivateView(TRUE, this, this);
        else frame->SetActiveView(this);
    }
    return result;
}

void CView::PostNcDestroy()
{
    delete this;
}
