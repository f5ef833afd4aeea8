// The application object: start-up, the event loop with idle processing, the document
// template, the recent-file list, the settings store and the framework's file commands.
#pragma once

#include "platform/CmdTarget.h"
#include "platform/WinTypes.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class CDocument;
class CSingleDocTemplate;
class CWnd;
class QPrinter;
class QSettings;

class CCommandLineInfo
{
public:
    enum ShellCommand { FileNew, FileOpen, FileNothing };
    ShellCommand m_nShellCommand = FileNew;
    std::filesystem::path m_strFileName;
};

class CWinApp : public CCmdTarget
{
public:
    static const CRuntimeClass Runtime;
    const CRuntimeClass* GetRuntimeClass() const override { return &Runtime; }

    // The one application object of the process (AfxGetApp); enters the recent-file
    // commands and Exit into its table.
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // Returns the program's exit code.
    virtual int ExitInstance();
    // Called when the event queue has emptied, with count 0, 1, ... while it returns TRUE.
    // Default: at count 0 the main frame's toolbars take their update handlers' state.
    virtual BOOL OnIdle(long count);

    // The program's life: the Qt application (with the C numeric locale), InitInstance, the
    // event loop until the main window is gone (none when InitInstance failed or made no main
    // window), ExitInstance, and the documents closed.
    // Returns ExitInstance's code.
    int Run(int argc, char** argv);

    // Ends Run's event loop once the events being handled are done (the main window is gone);
    // nothing outside Run.
    void EndEventLoop();

    // Settings live under key (the organisation) and the application's name.
    void SetRegistryKey(const char* key);
    std::unique_ptr<QSettings> OpenSettings() const;
    // Reads the recent-file list (at most maxRecentFiles entries) from the settings.
    void LoadStdProfileSettings(UINT maxRecentFiles = 4);

    // Takes ownership of the program's one document template.
    void AddDocTemplate(CSingleDocTemplate* tmpl);
    CSingleDocTemplate* GetDocTemplate() const { return template_.get(); }
    virtual CDocument* OpenDocumentFile(const std::filesystem::path& path);
    void CloseAllDocuments(BOOL endSession);

    // The recent-file list, newest first; it is saved in the settings at every change.
    virtual void AddToRecentFileList(const std::filesystem::path& path);
    const std::vector<std::filesystem::path>& GetRecentFiles() const { return recentFiles_; }

    // Where a file or folder dialog that names no folder of its own starts: the folder of the
    // document's file, else the folder of the last file chosen in a file dialog, else that of
    // the newest recent file, else the home folder (never the working folder the program was
    // started in). Folders that no longer exist are passed over.
    std::filesystem::path GetFileDialogFolder() const;
    // A file dialog chose path: its folder becomes the last file's folder.
    void SetLastChosenFile(const std::filesystem::path& path);

    // The first argument that is not an option names a file to open.
    void ParseCommandLine(CCommandLineInfo& info) const;
    // New (through ID_FILE_NEW) or open the file; FALSE when that failed or left no main window.
    BOOL ProcessShellCommand(CCommandLineInfo& info);

    // Framework commands. New and Open are entered into the table by the program.
    void OnFileNew();
    void OnFileOpen();  // the open dialog with the template's filter, then OpenDocumentFile
    void OnAppExit();   // WM_CLOSE to the main window
    void OnOpenRecentFile(UINT id);
    // Print Setup: the page setup dialog over the session's printer; the paper and
    // orientation chosen hold for later prints. Cancel changes nothing.
    void OnFilePrintSetup();
    // The session's printer, made at the first call (a Qt application must exist).
    QPrinter* GetPrinter();
    // Shows the recent files in place of the ID_FILE_MRU_FILE1 item ("Recent File", greyed,
    // when the list is empty).
    void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);

    CWnd* m_pMainWnd = nullptr;
    std::string m_strAppName;  // the title (Windows-1252)
    int m_nCmdShow = SW_SHOW;

private:
    void SaveRecentFiles() const;
    void RunIdle();

    std::unique_ptr<CSingleDocTemplate> template_;
    std::unique_ptr<QPrinter> printer_;
    std::string registryKey_;
    std::vector<std::filesystem::path> recentFiles_;
    UINT maxRecentFiles_ = 0;
    std::filesystem::path lastChosenFolder_;  // of the last file chosen in a file dialog
    bool idleDue_ = false;
    class QObject* runContext_ = nullptr;  // while Run's event loop runs
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// A message box owned by the main window with the application's title. Without an icon in
// type, OK boxes get the exclamation mark and Yes/No boxes the question mark. Returns the
// button pressed (IDOK, IDYES, ...).
int AfxMessageBox(const std::string& text, UINT type = MB_OK);
