// The file dialog behind the Browse buttons of the program's dialogs.
#pragma once

#include "platform/WinTypes.h"

#include <filesystem>

class CWnd;

// Hide read-only, ask before replacing, the folder must exist (the file only in open dialogs).
inline constexpr DWORD BrowseFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;

// A save dialog (title null: the default one) that starts in the folder of path (none when
// path names no folder); the chosen file becomes path. Returns true when one was chosen.
bool BrowseSaveFile(CWnd* owner, const char* title, const char* filter, const char* extension,
                    std::filesystem::path& path);
// The same with an open dialog (extension null: none added to a name without one).
bool BrowseOpenFile(CWnd* owner, const char* title, const char* filter, const char* extension,
                    std::filesystem::path& path);
