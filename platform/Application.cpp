#include "platform/Application.h"

#include "platform/CommonDialogs.h"
#include "platform/DeviceContext.h"
#include "platform/DocTemplate.h"
#include "platform/DocView.h"
#include "platform/Frame.h"
#include "platform/Menu.h"
#include "platform/Resources.h"
#include "platform/Text.h"
#include "platform/UiThread.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPrinter>
#include <QSettings>

#include <algorithm>
#include <clocale>

namespace {

CWinApp* g_app = nullptr;

// Settings group and keys of the recent-file list.
constexpr const char* RecentFileGroup = "Recent File List";
constexpr const char* RecentFileKey = "File%1";
// The text of the ID_FILE_MRU_FILE1 item in the menu template, kept on the entries that take
// its place, for when the list is empty again.
constexpr const char* PlaceholderProperty = "vasquil.recentFilePlaceholder";
// The program's fonts are 8-point "MS Shell Dlg" unless a window says otherwise.
constexpr const char* ApplicationFontFace = "MS Shell Dlg";
constexpr int ApplicationFontPoints = 8;
// Idle passes stop after this many, whatever OnIdle answers.
constexpr long MaxIdleCount = 16;

// The menu text of recent file index: its number and its name, with its folder after it when
// another entry of the list has the same name.
QString MenuTextOfRecentFile(const std::vector<std::filesystem::path>& files, std::size_t index)
{
    const std::filesystem::path& path = files[index];
    QString shown = QString::fromStdString(path.filename().string());
    const auto sameName = [&](const std::filesystem::path& other) { return other.filename() == path.filename(); };
    if (std::count_if(files.begin(), files.end(), sameName) > 1)
        shown += QStringLiteral(" (%1)").arg(QString::fromStdString(path.parent_path().string()));
    shown.replace(QLatin1String("&"), QLatin1String("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

bool IsFolder(const std::filesystem::path& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(path, error);
}

}  // namespace

const CRuntimeClass CWinApp::Runtime{"CWinApp", &CCmdTarget::Runtime, nullptr};

CWinApp* AfxGetApp()
{
    return g_app;
}

CWnd* AfxGetMainWnd()
{
    return g_app ? g_app->m_pMainWnd : nullptr;
}

int AfxMessageBox(const std::string& text, UINT type)
{
    if ((type & MB_ICONMASK) == 0) {
        switch (type & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL: type |= MB_ICONEXCLAMATION; break;
        case MB_YESNO:
        case MB_YESNOCANCEL: type |= MB_ICONQUESTION; break;
        default: break;
        }
    }
    return ShowMessageBox(AfxGetMainWnd(), text, g_app ? g_app->m_strAppName : std::string(), type);
}

CWinApp::CWinApp(const char* appName) : m_strAppName(appName ? appName : "")
{
    g_app = this;
    MapCommand(ID_APP_EXIT, &CWinApp::OnAppExit);
    MapCommandRange(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, &CWinApp::OnOpenRecentFile);
    MapUpdate(ID_FILE_MRU_FILE1, &CWinApp::OnUpdateRecentFileMenu);
}

CWinApp::~CWinApp()
{
    CloseAllDocuments(TRUE);
    template_.reset();
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

BOOL CWinApp::OnIdle(long count)
{
    if (count == 0) {
        CWnd* main = m_pMainWnd;
        if (main && main->IsKindOf(&CFrameWnd::Runtime)) static_cast<CFrameWnd*>(main)->OnIdleUpdateCmdUI();
    }
    return FALSE;
}

void CWinApp::RunIdle()
{
    for (long count = 0; count < MaxIdleCount; ++count) {
        if (!OnIdle(count)) break;
    }
}

int CWinApp::Run(int argc, char** argv)
{
    // The program makes its Qt application here; a test that has one already lends it.
    int qtArgc = argc;
    std::unique_ptr<PlatformApplication> qtApp;
    if (!QCoreApplication::instance()) qtApp = std::make_unique<PlatformApplication>(qtArgc, argv);
    // Numbers are read and written the same whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(ScreenFont(QString::fromLatin1(ApplicationFontFace), ApplicationFontPoints));
    if (m_strAppName.empty()) m_strAppName = LoadString(AFX_IDS_APP_TITLE);

    // Idle processing runs once the queue has emptied after some work was done.
    QObject runContext;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, &runContext, [this] { idleDue_ = true; });
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &runContext, [this] {
        if (std::exchange(idleDue_, false)) RunIdle();
    });

    // Without a main window there is nothing to wait for.
    if (InitInstance() && m_pMainWnd) {
        runContext_ = &runContext;
        QApplication::exec();
        runContext_ = nullptr;
    }
    const int code = ExitInstance();
    CloseAllDocuments(TRUE);
    if (m_pMainWnd) m_pMainWnd->DestroyWindow();
    template_.reset();
    printer_.reset();  // before the Qt application it needs
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}

void CWinApp::EndEventLoop()
{
    // Exit rather than quit: Qt's quit first asks every window to close again, and one that
    // refuses (a running run dialog) would keep the program running without its main window.
    // Queued on an object of Run, so that a request Run outlives is dropped with it.
    if (runContext_) QMetaObject::invokeMethod(runContext_, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void CWinApp::SetRegistryKey(const char* key)
{
    registryKey_ = key ? key : "";
}

std::unique_ptr<QSettings> CWinApp::OpenSettings() const
{
    if (registryKey_.empty()) return nullptr;
    return std::make_unique<QSettings>(Cp1252ToQString(registryKey_), Cp1252ToQString(m_strAppName));
}

void CWinApp::LoadStdProfileSettings(UINT maxRecentFiles)
{
    maxRecentFiles_ = std::min<UINT>(maxRecentFiles, ID_FILE_MRU_LAST - ID_FILE_MRU_FILE1 + 1);
    recentFiles_.clear();
    const std::unique_ptr<QSettings> settings = OpenSettings();
    if (!settings) return;
    settings->beginGroup(QString::fromLatin1(RecentFileGroup));
    for (UINT i = 0; i < maxRecentFiles_; ++i) {
        const QString file = settings->value(QString::fromLatin1(RecentFileKey).arg(i + 1)).toString();
        if (!file.isEmpty()) recentFiles_.emplace_back(file.toStdString());
    }
    settings->endGroup();
}

void CWinApp::SaveRecentFiles() const
{
    const std::unique_ptr<QSettings> settings = OpenSettings();
    if (!settings) return;
    settings->beginGroup(QString::fromLatin1(RecentFileGroup));
    settings->remove(QString());
    for (std::size_t i = 0; i < recentFiles_.size(); ++i)
        settings->setValue(QString::fromLatin1(RecentFileKey).arg(i + 1), QString::fromStdString(recentFiles_[i].string()));
    settings->endGroup();
}

void CWinApp::AddToRecentFileList(const std::filesystem::path& path)
{
    if (maxRecentFiles_ == 0 || path.empty()) return;
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(path, error);
    if (error) full = path;
    full = full.lexically_normal();
    std::erase(recentFiles_, full);
    recentFiles_.insert(recentFiles_.begin(), full);
    if (recentFiles_.size() > maxRecentFiles_) recentFiles_.resize(maxRecentFiles_);
    SaveRecentFiles();
}

void CWinApp::AddDocTemplate(CSingleDocTemplate* tmpl)
{
    template_.reset(tmpl);
}

CDocument* CWinApp::OpenDocumentFile(const std::filesystem::path& path)
{
    return template_ ? template_->OpenDocumentFile(path) : nullptr;
}

void CWinApp::CloseAllDocuments(BOOL endSession)
{
    if (template_) template_->CloseAllDocuments(endSession);
}

std::filesystem::path CWinApp::GetFileDialogFolder() const
{
    if (const CDocument* document = template_ ? template_->GetDocument() : nullptr) {
        const std::filesystem::path folder = document->GetPathName().parent_path();
        if (IsFolder(folder)) return folder;
    }
    if (IsFolder(lastChosenFolder_)) return lastChosenFolder_;
    if (!recentFiles_.empty() && IsFolder(recentFiles_.front().parent_path())) return recentFiles_.front().parent_path();
    return QDir::homePath().toStdString();
}

void CWinApp::SetLastChosenFile(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(path, error);
    if (error) full = path;
    lastChosenFolder_ = full.lexically_normal().parent_path();
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) const
{
    info = CCommandLineInfo();
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].startsWith(u'-')) continue;
        info.m_nShellCommand = CCommandLineInfo::FileOpen;
        info.m_strFileName = arguments[i].toStdString();
        return;
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info)
{
    switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        OnCmdMsg(ID_FILE_NEW, CN_COMMAND, nullptr, false);
        return m_pMainWnd ? TRUE : FALSE;
    case CCommandLineInfo::FileOpen: return OpenDocumentFile(info.m_strFileName) ? TRUE : FALSE;
    default: return TRUE;
    }
}

void CWinApp::OnFileNew()
{
    if (template_) template_->OpenDocumentFile(std::nullopt);
}

void CWinApp::OnFileOpen()
{
    const std::string filter = template_ ? template_->GetFilter() : LoadString(AFX_IDS_ALLFILTER) + "|*.*||";
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, filter.c_str(),
                       m_pMainWnd);
    if (dialog.DoModal() == IDOK) OpenDocumentFile(dialog.GetPathName());
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}

void CWinApp::OnOpenRecentFile(UINT id)
{
    const std::size_t index = id - ID_FILE_MRU_FILE1;
    if (index >= recentFiles_.size()) return;
    const std::filesystem::path path = recentFiles_[index];
    // The save question first, so that its Cancel is not taken for a file that failed.
    if (!template_) return;
    if (CDocument* document = template_->GetDocument(); document && !document->SaveModified()) return;
    // A file that no longer opens leaves the list.
    if (!template_->OpenDocumentFile(path, TRUE, FALSE)) {
        std::erase(recentFiles_, path);
        SaveRecentFiles();
    }
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI)
{
    QMenu* menu = pCmdUI->m_pMenu ? pCmdUI->m_pMenu->GetQMenu() : nullptr;
    if (!menu) {
        pCmdUI->Enable(!recentFiles_.empty());
        return;
    }
    const QList<QAction*> actions = menu->actions();
    const int index = int(pCmdUI->m_nIndex);
    if (index < 0 || index >= actions.size()) return;
    // The entries stand where the first one (or the placeholder) stands: the old ones go.
    int first = index;
    while (first > 0) {
        const UINT id = actions[first - 1]->data().toUInt();
        if (actions[first - 1]->isSeparator() || id < ID_FILE_MRU_FILE1 || id > ID_FILE_MRU_LAST) break;
        --first;
    }
    int end = index;
    while (end < actions.size()) {
        const UINT id = actions[end]->data().toUInt();
        if (actions[end]->isSeparator() || actions[end]->menu() || id < ID_FILE_MRU_FILE1 || id > ID_FILE_MRU_LAST) break;
        ++end;
    }
    QAction* before = end < actions.size() ? actions[end] : nullptr;
    const QVariant kept = actions[first]->property(PlaceholderProperty);
    const QString placeholder = kept.isValid() ? kept.toString() : actions[first]->text();
    for (int i = first; i < end; ++i) {
        menu->removeAction(actions[i]);
        actions[i]->deleteLater();
    }
    auto addEntry = [&](const QString& text, UINT id, bool enabled) {
        auto* action = new QAction(text, menu);
        action->setData(id);
        action->setEnabled(enabled);
        action->setProperty(PlaceholderProperty, placeholder);
        menu->insertAction(before, action);
    };
    if (recentFiles_.empty()) {
        addEntry(placeholder, ID_FILE_MRU_FILE1, false);
        pCmdUI->m_nIndex = UINT(first);
        return;
    }
    for (std::size_t i = 0; i < recentFiles_.size(); ++i)
        addEntry(MenuTextOfRecentFile(recentFiles_, i), ID_FILE_MRU_FILE1 + UINT(i), true);
    pCmdUI->m_nIndex = UINT(first + int(recentFiles_.size()) - 1);
}
