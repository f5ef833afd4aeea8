#include "platform/DocView.h"

#include "platform/Application.h"
#include "platform/CommonDialogs.h"
#include "platform/DataExchange.h"
#include "platform/DeviceContext.h"
#include "platform/Dialog.h"
#include "platform/DocTemplate.h"
#include "platform/Frame.h"
#include "platform/Resources.h"
#include "platform/SystemInfo.h"
#include "platform/TemplateControls.h"
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

const CRuntimeClass CFormView::Runtime{"CFormView", &CView::Runtime, nullptr};

namespace {

// A line of a form's scroll bar is this part of the template's extent.
constexpr int LinesPerTemplate = 100;
// Passes of the bars' layout: showing one bar can make the other necessary, no more.
constexpr int BarLayoutPasses = 3;

}  // namespace

CFormView::CFormView(UINT templateId) : templateId_(templateId) {}

CFormView::~CFormView() = default;

BOOL CFormView::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.style |= WS_HSCROLL | WS_VSCROLL;
    return CView::PreCreateWindow(cs);
}

int CFormView::OnCreate(CREATESTRUCT* cs)
{
    const DialogTemplate* tmpl = FindDialogTemplate(templateId_);
    if (!tmpl) return -1;
    if (CView::OnCreate(cs) == -1) return -1;
    const QFont font = ScreenFont(QString::fromUtf8(tmpl->fontFace), tmpl->fontPoints);
    GetWidget()->setFont(font);
    baseUnits_ = DialogBaseUnits(font);
    const QRect total = DialogUnitsToPixels(DialogUnits{0, 0, tmpl->size.cx, tmpl->size.cy}, baseUnits_);
    totalSize_ = CSize(total.width(), total.height());
    scrollPos_ = CPoint(0, 0);
    controls_.clear();
    if (!BuildTemplateControls(*tmpl, GetClientWidget(), baseUnits_, controls_)) return -1;
    // Hide both bars until the first size says which are needed.
    ShowScrollBar(SB_BOTH, FALSE);
    return 0;
}

BOOL CFormView::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange exchange(this, bSaveAndValidate);
    DoDataExchange(&exchange);
    return exchange.m_bFailed ? FALSE : TRUE;
}

void CFormView::DoDataExchange(CDataExchange*) {}

void CFormView::OnInitialUpdate()
{
    UpdateData(FALSE);
    CView::OnInitialUpdate();
}

void CFormView::OnDraw(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(client, GetSysColor(COLOR_BTNFACE));
}

void CFormView::UpdateDialogControls(CCmdTarget* target, BOOL disableIfNoHandler)
{
    if (!GetSafeHwnd()) return;
    // By handle, as a handler may destroy a button; among the client's children, as a
    // subclassed control has another object than the one made for the template.
    std::vector<HWND> buttons;
    for (QObject* child : GetClientWidget()->children()) {
        CWnd* control = child->isWidgetType() ? FromWidget(static_cast<QWidget*>(child)) : nullptr;
        if (control && control->IsKindOf(&CButton::Runtime)) buttons.push_back(control->GetSafeHwnd());
    }
    for (HWND handle : buttons) {
        CWnd* button = FromHandle(handle);
        if (!button || button->GetDlgCtrlID() <= 0) continue;
        CCmdUI state;
        state.m_nID = UINT(button->GetDlgCtrlID());
        state.DoUpdate(target, disableIfNoHandler);
        if (!FromHandle(handle)) continue;
        if (state.m_enabled) button->EnableWindow(*state.m_enabled ? TRUE : FALSE);
        if (state.m_check) static_cast<CButton*>(button)->SetCheck(*state.m_check ? BST_CHECKED : BST_UNCHECKED);
    }
}

void CFormView::MapDialogRect(CRect* rect) const
{
    const QRect r = DialogUnitsToPixels(DialogUnits{rect->left, rect->top, rect->Width(), rect->Height()}, baseUnits_);
    *rect = CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

void CFormView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    UpdateBars();
}

void CFormView::UpdateBars()
{
    if (updatingBars_ || !GetSafeHwnd()) return;
    updatingBars_ = true;
    const std::shared_ptr<bool> alive = LifeToken().lock();
    CSize last(-1, -1);
    for (int pass = 0; pass < BarLayoutPasses; ++pass) {
        CRect client;
        GetClientRect(&client);
        if (client.Size() == last) break;
        last = client.Size();
        const int extents[2] = {totalSize_.cx, totalSize_.cy};
        const int pages[2] = {client.Width(), client.Height()};
        for (int bar : {SB_HORZ, SB_VERT}) {
            SCROLLINFO info;
            info.fMask = SIF_RANGE | SIF_PAGE;
            info.nMin = 0;
            info.nMax = std::max(extents[bar] - 1, 0);
            info.nPage = UINT(std::max(pages[bar], 0));
            SetScrollInfo(bar, &info);
            if (!alive || !*alive || !GetSafeHwnd()) return;
        }
    }
    updatingBars_ = false;
    // The bars cut their positions to what the new page leaves.
    ScrollTo(CPoint(GetScrollPos(SB_HORZ), GetScrollPos(SB_VERT)));
}

void CFormView::OnHScroll(UINT nSBCode, UINT, CScrollBar*)
{
    Scroll(SB_HORZ, nSBCode);
}

void CFormView::OnVScroll(UINT nSBCode, UINT, CScrollBar*)
{
    Scroll(SB_VERT, nSBCode);
}

void CFormView::Scroll(int nBar, UINT code)
{
    SCROLLINFO info;
    if (!GetScrollInfo(nBar, &info, SIF_ALL)) return;
    const int extent = nBar == SB_HORZ ? totalSize_.cx : totalSize_.cy;
    const int line = std::max(extent / LinesPerTemplate, 1);
    const int page = std::max(int(info.nPage), 1);
    int position = info.nPos;
    switch (code) {
    case SB_LINEUP: position -= line; break;
    case SB_LINEDOWN: position += line; break;
    case SB_PAGEUP: position -= page; break;
    case SB_PAGEDOWN: position += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: position = info.nTrackPos; break;
    case SB_TOP: position = info.nMin; break;
    case SB_BOTTOM: position = info.nMax; break;
    default: return;
    }
    SetScrollPos(nBar, position);
    ScrollTo(CPoint(GetScrollPos(SB_HORZ), GetScrollPos(SB_VERT)));
}

void CFormView::ScrollTo(CPoint position)
{
    if (position == scrollPos_ || !GetSafeHwnd()) return;
    const QPoint delta(scrollPos_.x - position.x, scrollPos_.y - position.y);
    scrollPos_ = position;
    for (QObject* child : GetClientWidget()->children()) {
        if (child->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(child);
            widget->move(widget->pos() + delta);
        }
    }
    Invalidate();
}

void CFormView::PostNcDestroy()
{
    controls_.clear();
    CView::PostNcDestroy();
}
