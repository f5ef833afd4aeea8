// The file dialogs behind the Browse buttons of the program's dialogs.
#pragma once

#include "platform/WinTypes.h"

#include <filesystem>

class CWnd;

// Hide read-only, ask before replacing, the folder must exist (the file only in open dialogs).
inline constexpr DWORD BrowseFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;

// The filter and default extension of the dialogs that choose a model file to write.
inline constexpr const char* ModelFileFilter = "Vasquil files (*.vqx)|*.VQX|All Files|*.*||";
inline constexpr const char* ModelFileExtension = "vqx";

// A save dialog (title null: the default one) that starts in the folder of path (none when
// path names no folder); the chosen file becomes path. Returns true when one was chosen.
bool BrowseSaveFile(CWnd* owner, const char* title, const char* filter, const char* extension,
                    std::filesystem::path& path);

// The same with an open dialog: the chosen file, which exists, becomes path.
bool BrowseOpenFile(CWnd* owner, const char* title, const char* filter, const char* extension,
                    std::filesystem::path& path);
