#include "platform/DocTemplate.h"

#include "platform/Application.h"
#include "platform/DocView.h"
#include "platform/Frame.h"
#include "platform/Resources.h"

CSingleDocTemplate::CSingleDocTemplate(UINT resourceId, const CRuntimeClass* documentClass,
                                       const CRuntimeClass* frameClass, const CRuntimeClass* viewClass)
    : resourceId_(resourceId), documentClass_(documentClass), frameClass_(frameClass), viewClass_(viewClass)
{
}

CSingleDocTemplate::~CSingleDocTemplate()
{
    CloseAllDocuments(TRUE);
}

CFrameWnd* CSingleDocTemplate::GetFrame() const
{
    CWnd* wnd = CWnd::FromHandle(frame_);
    return wnd && wnd->IsKindOf(&CFrameWnd::Runtime) ? static_cast<CFrameWnd*>(wnd) : nullptr;
}

std::string CSingleDocTemplate::GetDocString(DocStringIndex index) const
{
    const std::string all = LoadString(resourceId_);
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = all.find('\n', start);
        if (start == std::string::npos) return {};
        ++start;
    }
    return all.substr(start, all.find('\n', start) - start);
}

std::string CSingleDocTemplate::GetFilter() const
{
    const std::string name = GetDocString(filterName);
    const std::string extension = GetDocString(filterExt);
    std::string filter;
    if (!name.empty() && !extension.empty()) filter = name + "|*" + extension + "|";
    return filter + LoadString(AFX_IDS_ALLFILTER) + "|*.*||";
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const std::optional<std::filesystem::path>& path, BOOL makeVisible,
                                                BOOL askToSave)
{
    bool created = false;
    if (document_ && askToSave && !document_->SaveModified()) return nullptr;
    if (!document_) {
        if (!documentClass_ || !documentClass_->IsDerivedFrom(&CDocument::Runtime) || !frameClass_ ||
            !frameClass_->IsDerivedFrom(&CFrameWnd::Runtime))
            return nullptr;
        document_.reset(static_cast<CDocument*>(documentClass_->CreateObject()));
        if (!document_) return nullptr;
        document_->SetDocTemplate(this);
        auto* frame = static_cast<CFrameWnd*>(frameClass_->CreateObject());
        if (!frame) {
            document_.reset();
            return nullptr;
        }
        CCreateContext context;
        context.m_pNewViewClass = viewClass_;
        context.m_pCurrentDoc = document_.get();
        context.m_pNewDocTemplate = this;
        context.m_pCurrentFrame = frame;
        const auto life = frame->LifeToken();
        if (!frame->LoadFrame(resourceId_, WS_OVERLAPPEDWINDOW, nullptr, &context)) {
            if (!life.expired()) delete frame;
            document_.reset();
            return nullptr;
        }
        frame_ = frame->GetSafeHwnd();
        if (CWinApp* app = AfxGetApp(); app && !app->m_pMainWnd) app->m_pMainWnd = frame;
        created = true;
    }

    CDocument* document = document_.get();
    const bool opened = path ? document->OnOpenDocument(*path) != FALSE : document->OnNewDocument() != FALSE;
    if (!opened) {
        // A failed first document leaves nothing; a failed later one leaves the document as
        // it was (its own message has told the user why).
        if (created) CloseAllDocuments(FALSE);
        return nullptr;
    }
    document->SetModifiedFlag(FALSE);
    if (path) document->SetPathName(*path);
    if (CFrameWnd* frame = GetFrame()) frame->InitialUpdateFrame(document, makeVisible);
    return document;
}

void CSingleDocTemplate::CloseAllDocuments(BOOL)
{
    if (document_) {
        document_->OnCloseDocument();  // destroys the frame and releases the document
        document_.reset();
    }
    if (CWnd* frame = CWnd::FromHandle(frame_)) frame->DestroyWindow();
    frame_ = nullptr;
}

void CSingleDocTemplate::ReleaseDocument(CDocument* document)
{
    if (document_.get() == document) document_.reset();
}
