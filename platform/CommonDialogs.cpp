#include "platform/CommonDialogs.h"

#include "platform/Application.h"
#include "platform/Resources.h"
#include "platform/TestHooks.h"
#include "platform/Text.h"
#include "platform/UiThread.h"
#include "platform/Window.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

// Message-box buttons: the type, its Qt buttons and the answers they give.
struct ButtonSet
{
    UINT type;
    QMessageBox::StandardButtons buttons;
};
constexpr ButtonSet ButtonSets[] = {
    {MB_OK, QMessageBox::Ok},
    {MB_OKCANCEL, QMessageBox::Ok | QMessageBox::Cancel},
    {MB_ABORTRETRYIGNORE, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore},
    {MB_YESNOCANCEL, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
    {MB_YESNO, QMessageBox::Yes | QMessageBox::No},
    {MB_RETRYCANCEL, QMessageBox::Retry | QMessageBox::Cancel},
};

struct Answer
{
    QMessageBox::StandardButton button;
    int id;
};
constexpr Answer Answers[] = {
    {QMessageBox::Ok, IDOK},         {QMessageBox::Cancel, IDCANCEL}, {QMessageBox::Abort, IDABORT},
    {QMessageBox::Retry, IDRETRY},   {QMessageBox::Ignore, IDIGNORE}, {QMessageBox::Yes, IDYES},
    {QMessageBox::No, IDNO},
};

QMessageBox::Icon IconOf(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONSTOP: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QWidget* OwnerWidget(CWnd* owner)
{
    if (owner && owner->GetWidget()) return owner->GetWidget();
    CWnd* main = AfxGetMainWnd();
    return main ? main->GetWidget() : nullptr;
}

QString QtFilter(const std::vector<std::pair<std::string, std::string>>& filters)
{
    QStringList entries;
    for (const auto& [name, patterns] : filters) {
        // Qt takes the patterns from the parentheses; both cases match, as on Windows.
        QStringList both;
        for (const QString& p : Cp1252ToQString(patterns).split(u';', Qt::SkipEmptyParts)) {
            both << p.trimmed().toLower();
            if (p.trimmed().toUpper() != p.trimmed().toLower()) both << p.trimmed().toUpper();
        }
        QString label = Cp1252ToQString(name);
        const qsizetype open = label.indexOf(u'(');
        if (open >= 0) label = label.left(open).trimmed();
        entries << label + QStringLiteral(" (") + both.join(u' ') + u')';
    }
    return entries.join(QStringLiteral(";;"));
}

// The name with the default extension when it has none.
// A chosen name without an extension gets the default one, unless the default is a pattern
// ("g*") rather than an extension.
std::filesystem::path WithExtension(std::filesystem::path path, const std::string& extension)
{
    if (extension.find_first_of("*?") != std::string::npos) return path;
    if (!extension.empty() && !path.empty() && !path.has_extension()) path += "." + extension;
    return path;
}

}  // namespace

int ShowMessageBox(CWnd* owner, const std::string& text, const std::string& caption, UINT type)
{
    AssertUiThread();
    if (MessageBoxSink* sink = ActiveMessageBoxSink())
        return sink->Answer({text, caption, type & MB_TYPEMASK, type & MB_ICONMASK});
    QMessageBox box(IconOf(type), Cp1252ToQString(caption), Cp1252ToQString(text), QMessageBox::NoButton,
                    OwnerWidget(owner));
    for (const ButtonSet& set : ButtonSets) {
        if (set.type == (type & MB_TYPEMASK)) box.setStandardButtons(set.buttons);
    }
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const Answer& answer : Answers) {
        if (answer.button == pressed) return answer.id;
    }
    // Closed without a button: the answer of Escape.
    const UINT buttons = type & MB_TYPEMASK;
    if (buttons == MB_YESNO) return IDNO;
    return buttons == MB_OK ? IDOK : IDCANCEL;
}

std::vector<std::pair<std::string, std::string>> ParseFileFilter(const std::string& filter)
{
    std::vector<std::pair<std::string, std::string>> entries;
    std::size_t start = 0;
    while (start < filter.size()) {
        const std::size_t bar = filter.find('|', start);
        if (bar == std::string::npos || bar == start) break;
        const std::size_t end = filter.find('|', bar + 1);
        const std::string name = filter.substr(start, bar - start);
        const std::string patterns = filter.substr(bar + 1, (end == std::string::npos ? filter.size() : end) - bar - 1);
        entries.emplace_back(name, patterns);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return entries;
}

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExtension, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : open_(openFileDialog != FALSE), defaultExtension_(defaultExtension ? defaultExtension : ""),
      fileName_(fileName ? fileName : ""), flags_(flags), filter_(filter ? filter : ""), parent_(parent)
{
}

int CFileDialog::DoModal()
{
    AssertUiThread();
    FileDialogRequest request;
    request.kind = open_ ? FileDialogRequest::Kind::Open : FileDialogRequest::Kind::Save;
    request.title = m_title;
    request.filters = ParseFileFilter(filter_);
    request.defaultExtension = defaultExtension_;
    request.initialFolder = m_initialFolder;
    if (request.initialFolder.empty())
        if (CWinApp* app = AfxGetApp()) request.initialFolder = app->GetFileDialogFolder();
    request.initialFile = fileName_;
    request.flags = flags_;

    for (;;) {
        std::filesystem::path chosen;
        if (FileDialogProvider* provider = ActiveFileDialogProvider()) {
            const std::optional<std::filesystem::path> answer = provider->Answer(request);
            if (!answer) return IDCANCEL;
            chosen = *answer;
        } else {
            QFileDialog dialog(OwnerWidget(parent_), Cp1252ToQString(m_title));
            dialog.setAcceptMode(open_ ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
            dialog.setFileMode(open_ && (flags_ & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
            dialog.setOption(QFileDialog::DontConfirmOverwrite);  // asked below, as for every save
            if (!request.filters.empty()) dialog.setNameFilter(QtFilter(request.filters));
            if (!request.initialFolder.empty()) dialog.setDirectory(QString::fromStdString(request.initialFolder.string()));
            if (!fileName_.empty()) dialog.selectFile(Cp1252ToQString(fileName_));
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return IDCANCEL;
            chosen = dialog.selectedFiles().first().toStdString();
        }
        // An open dialog keeps a chosen file that exists as it is named.
        if (!(open_ && std::filesystem::exists(chosen))) chosen = WithExtension(chosen, defaultExtension_);
        if (!open_ && (flags_ & OFN_OVERWRITEPROMPT) && std::filesystem::exists(chosen)) {
            std::string question = LoadString(AFX_IDS_REPLACEFILE);
            const std::size_t slot = question.find("%s");
            if (slot != std::string::npos)
                question.replace(slot, 2, QStringToCp1252(QString::fromStdString(chosen.filename().string())));
            const std::string caption = !m_title.empty() ? m_title : AfxGetApp() ? AfxGetApp()->m_strAppName : std::string();
            if (ShowMessageBox(parent_, question, caption, MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
                request.initialFile = chosen.filename();
                continue;  // back to the dialog
            }
        }
        path_ = chosen;
        if (CWinApp* app = AfxGetApp()) app->SetLastChosenFile(chosen);
        return IDOK;
    }
}

CFolderPickerDialog::CFolderPickerDialog(const std::filesystem::path& initialFolder, CWnd* parent)
    : initialFolder_(initialFolder), parent_(parent)
{
}

int CFolderPickerDialog::DoModal()
{
    AssertUiThread();
    if (initialFolder_.empty())
        if (CWinApp* app = AfxGetApp()) initialFolder_ = app->GetFileDialogFolder();
    if (FileDialogProvider* provider = ActiveFileDialogProvider()) {
        FileDialogRequest request;
        request.kind = FileDialogRequest::Kind::Folder;
        request.title = m_title;
        request.initialFolder = initialFolder_;
        const std::optional<std::filesystem::path> answer = provider->Answer(request);
        if (!answer || answer->empty()) return IDCANCEL;
        path_ = *answer;
        return IDOK;
    }
    const QString folder = QFileDialog::getExistingDirectory(OwnerWidget(parent_), Cp1252ToQString(m_title),
                                                             QString::fromStdString(initialFolder_.string()));
    if (folder.isEmpty()) return IDCANCEL;
    path_ = folder.toStdString();
    return IDOK;
}
