// The single-document template: one document, one frame, one view, joined by their run-time
// classes and a resource id whose string describes the document type as
// "window title\ndocument name\nnew-file name\nfilter name\nextension\ntype id\ntype name".
#pragma once

#include "platform/CmdTarget.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class CDocument;
class CFrameWnd;

class CSingleDocTemplate : public CCmdTarget
{
public:
    enum DocStringIndex
    {
        windowTitle,
        docName,
        fileNewName,
        filterName,
        filterExt,
        regFileTypeId,
        regFileTypeName,
    };

    CSingleDocTemplate(UINT resourceId, const CRuntimeClass* documentClass, const CRuntimeClass* frameClass,
                       const CRuntimeClass* viewClass);
    ~CSingleDocTemplate() override;

    // Without a path: a new document (OnNewDocument, title "Untitled"); with one: the file
    // opened (OnOpenDocument, then the file becomes the document's and enters the recent-file
    // list). The first call creates the document, the frame and its view; later calls reuse
    // them, after the document's save question when askToSave (the caller has asked it
    // otherwise). On success the document is unmodified, the views get OnInitialUpdate and
    // the frame is shown when makeVisible. Returns the document, or null when it failed or
    // the save question was cancelled: a failed first call leaves nothing, a failed later one
    // leaves the document as it was (modified still, when it was).
    CDocument* OpenDocumentFile(const std::optional<std::filesystem::path>& path, BOOL makeVisible = TRUE,
                                BOOL askToSave = TRUE);

    // One field of the document string; empty when it has none.
    std::string GetDocString(DocStringIndex index) const;
    // The file dialog's filter of the document type: its own entry and "All Files (*.*)".
    std::string GetFilter() const;
    CDocument* GetDocument() const { return document_.get(); }
    CFrameWnd* GetFrame() const;
    UINT GetResourceId() const { return resourceId_; }

    // Closes the document (its frames first); the template can open a new one afterwards.
    void CloseAllDocuments(BOOL endSession);
    // Called by a closing document (not for the program's own use): deletes it.
    void ReleaseDocument(CDocument* document);

private:
    UINT resourceId_;
    const CRuntimeClass* documentClass_;
    const CRuntimeClass* frameClass_;
    const CRuntimeClass* viewClass_;
    std::unique_ptr<CDocument> document_;
    HWND frame_ = nullptr;
};
