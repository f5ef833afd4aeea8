#include "app/VasquilApp.h"

#include "app/AboutDlg.h"
#include "app/MainFrm.h"
#include "app/VasquilDoc.h"
#include "platform/DocTemplate.h"
#include "platform/Frame.h"
#include "platform/Resources.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"

namespace {

// Where the settings live: the organisation and, under it, the program's title.
constexpr const char* RegistryKey = "Local AppWizard-Generated Applications";
constexpr UINT RecentFileCount = 4;

}  // namespace

const CRuntimeClass CVasquilApp::Runtime{"CVasquilApp", &CWinApp::Runtime, nullptr};

CVasquilApp::CVasquilApp(const CRuntimeClass* viewClass) : viewClass_(viewClass)
{
    MapCommand(ID_APP_ABOUT, &CVasquilApp::OnAppAbout);
    // The document takes New from the menu; this one makes the empty document at start-up.
    MapCommand(ID_FILE_NEW, &CWinApp::OnFileNew);
    MapCommand(ID_FILE_OPEN, &CWinApp::OnFileOpen);
    MapCommand(ID_FILE_PRINT_SETUP, &CWinApp::OnFilePrintSetup);
}

CVasquilApp::~CVasquilApp() = default;

BOOL CVasquilApp::InitInstance()
{
    // The common controls, OLE and the control container need no start-up here.
    CWinApp::InitInstance();
    startupFailed_ = false;
    RegisterProgramResources();
    m_strAppName = LoadString(AFX_IDS_APP_TITLE);

    SetRegistryKey(RegistryKey);
    LoadStdProfileSettings(RecentFileCount);

    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, &CVasquilDoc::Runtime, &CMainFrame::Runtime, viewClass_));

    // The document type's registration with the desktop is the installed desktop entry and
    // MIME type.
    CCommandLineInfo commandLine;
    ParseCommandLine(commandLine);
    if (!ProcessShellCommand(commandLine) || !m_pMainWnd) {
        // A file refused on the command line (the desktop's "open with" included) has said
        // why: the program starts without a model, as when it is given none.
        CCommandLineInfo withoutFile;
        if (commandLine.m_nShellCommand != CCommandLineInfo::FileOpen || !ProcessShellCommand(withoutFile) ||
            !m_pMainWnd) {
            startupFailed_ = true;
            return FALSE;
        }
    }

    m_pMainWnd->ShowWindow(SW_SHOW);
    m_pMainWnd->UpdateWindow();
    static_cast<CFrameWnd*>(m_pMainWnd)->DragAcceptFiles();

    OnAppAbout();
    return TRUE;
}

int CVasquilApp::ExitInstance()
{
    const int status = CWinApp::ExitInstance();
    return startupFailed_ ? StartupFailedStatus : status;
}

void CVasquilApp::OnAppAbout()
{
    CAboutDlg about;
    about.DoModal();
}
