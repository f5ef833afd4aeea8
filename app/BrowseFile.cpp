#include "app/BrowseFile.h"

#include "platform/CommonDialogs.h"

bool BrowseSaveFile(CWnd* owner, const char* title, const char* filter, const char* extension,
                    std::filesystem::path& path)
{
    CFileDialog dialog(FALSE, extension, nullptr, BrowseFlags, filter, owner);
    if (title) dialog.m_title = title;
    dialog.m_initialFolder = path.parent_path();
    if (dialog.DoModal() != IDOK) return false;
    path = dialog.GetPathName();
    return true;
}
