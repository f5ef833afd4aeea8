// The stock modal services: message boxes and the file and folder dialogs. Each asks its test
// hook when one is installed (TestHooks.h), else shows Qt's own dialog.
#pragma once

#include "platform/WinTypes.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

class CWnd;

// A message box with the given text and caption (Windows-1252) and MB_ type; returns the
// button pressed (IDOK, IDCANCEL, IDYES, IDNO, ...).
int ShowMessageBox(CWnd* owner, const std::string& text, const std::string& caption, UINT type);

// Entries of a filter "Name (*.a)|*.A|All Files|*.*||": (name, patterns separated by ';').
std::vector<std::pair<std::string, std::string>> ParseFileFilter(const std::string& filter);

class CFileDialog
{
public:
    // An open or a save dialog. defaultExtension (without the dot) is added to a chosen name
    // that has none; fileName is the initial name; flags are OFN_ flags; filter as above.
    CFileDialog(BOOL openFileDialog, const char* defaultExtension = nullptr, const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* parent = nullptr);

    // IDOK with a chosen file, else IDCANCEL. With OFN_OVERWRITEPROMPT a save dialog asks
    // before it chooses a file that exists; No goes back to the dialog.
    int DoModal();
    std::filesystem::path GetPathName() const { return path_; }

    std::string m_title;                   // the dialog's title; empty for the default
    // Where the dialog starts; empty for CWinApp::GetFileDialogFolder. The chosen file's folder
    // becomes the application's last file folder.
    std::filesystem::path m_initialFolder;

private:
    bool open_;
    std::string defaultExtension_;
    std::string fileName_;
    DWORD flags_;
    std::string filter_;
    CWnd* parent_;
    std::filesystem::path path_;
};

class CFolderPickerDialog
{
public:
    // An empty initialFolder starts where CWinApp::GetFileDialogFolder says.
    explicit CFolderPickerDialog(const std::filesystem::path& initialFolder = {}, CWnd* parent = nullptr);
    // IDOK with a chosen folder, else IDCANCEL.
    int DoModal();
    std::filesystem::path GetPathName() const { return path_; }

    std::string m_title;

private:
    std::filesystem::path initialFolder_;
    CWnd* parent_;
    std::filesystem::path path_;
};
