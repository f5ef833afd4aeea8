#include "app/BrowseFile.h"

#include "platform/CommonDialogs.h"

namespace {

bool Browse(BOOL open, CWnd* owner, const char* title, const char* filter, const char* extension,
            std::filesystem::path& path)
{
    CFileDialog dialog(open, extension, nullptr, BrowseFlags, filter, owner);
    if (title) dialog.m_title = title;
    dialog.m_initialFolder = path.parent_path();
    if (dialog.DoModal() != IDOK) return false;
    path = dialog.GetPathName();
    return true;
}

}  // namespace

bool BrowseSaveFile(CWnd* owner, const char* title, const char* filter, const char* extension,
                    std::filesystem::path& path)
{
    return Browse(FALSE, owner, title, filter, extension, path);
}

bool BrowseOpenFile(CWnd* owner, const char* title, const char* filter, const char* extension,
                    std::filesystem::path& path)
{
    return Browse(TRUE, owner, title, filter, extension, path);
}
