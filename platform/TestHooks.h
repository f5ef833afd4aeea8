// Test hooks for every modal interaction, so the program runs headless under test. Each hook
// is installed while its object lives (the newest one wins) and records what it was asked;
// with no hook installed the real Qt dialog runs.
#pragma once

#include "platform/WinTypes.h"

#include <QImage>
#include <QPageLayout>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class CDialog;
class COleDataSource;
class CWnd;
using DROPEFFECT = DWORD;

struct MessageBoxRequest
{
    std::string text;     // Windows-1252
    std::string caption;  // Windows-1252
    UINT buttons = 0;     // MB_OK, MB_YESNO, ... (type & MB_TYPEMASK)
    UINT icon = 0;        // MB_ICONSTOP, ... (type & MB_ICONMASK)
};

// Answers message boxes from answers (front first); when none is left, with the box's first
// button (IDOK, IDYES, IDABORT or IDRETRY), but No to a Yes/No/Cancel box (the save
// question), so that a test saves no file it did not mean to.
class MessageBoxSink
{
public:
    MessageBoxSink();
    ~MessageBoxSink();
    MessageBoxSink(const MessageBoxSink&) = delete;
    MessageBoxSink& operator=(const MessageBoxSink&) = delete;

    int Answer(const MessageBoxRequest& request);
    std::vector<MessageBoxRequest> shown;
    std::deque<int> answers;
    // Called with every box before it is answered, while the program waits for the answer.
    std::function<void(const MessageBoxRequest&)> onShow;

private:
    MessageBoxSink* previous_;
};

struct FileDialogRequest
{
    enum class Kind { Open, Save, Folder };
    Kind kind = Kind::Open;
    std::string title;
    std::vector<std::pair<std::string, std::string>> filters;  // (name, patterns)
    std::string defaultExtension;
    std::filesystem::path initialFolder;  // where the dialog starts (see CWinApp::GetFileDialogFolder)
    std::filesystem::path initialFile;
    DWORD flags = 0;
};

// Answers file and folder dialogs from answers (front first): a path, or nullopt for Cancel;
// when none is left, Cancel.
class FileDialogProvider
{
public:
    FileDialogProvider();
    ~FileDialogProvider();
    FileDialogProvider(const FileDialogProvider&) = delete;
    FileDialogProvider& operator=(const FileDialogProvider&) = delete;

    std::optional<std::filesystem::path> Answer(const FileDialogRequest& request);
    std::vector<FileDialogRequest> requests;
    std::deque<std::optional<std::filesystem::path>> answers;

private:
    FileDialogProvider* previous_;
};

// Plays the user of modal dialogs: each DoModal takes the next script, which runs on the live
// dialog (controls filled by OnInitDialog) inside its modal loop and ends it as a user would
// (pressing OK, Cancel, ...). A dialog still open after its script, or shown with no script
// left, ends with IDCANCEL.
class ModalDialogInterceptor
{
public:
    ModalDialogInterceptor();
    ~ModalDialogInterceptor();
    ModalDialogInterceptor(const ModalDialogInterceptor&) = delete;
    ModalDialogInterceptor& operator=(const ModalDialogInterceptor&) = delete;

    std::function<void(CDialog&)> NextScript(UINT templateId);
    std::vector<UINT> shown;  // template ids, in order
    std::deque<std::function<void(CDialog&)>> scripts;

private:
    ModalDialogInterceptor* previous_;
};

struct PopupMenuItem
{
    UINT id = 0;  // 0 for a separator, MenuPopupId for a popup
    std::string text;
    bool enabled = true;
    bool checked = false;
};

struct PopupMenuRequest
{
    std::vector<PopupMenuItem> items;
    CPoint point;  // screen coordinates
};

// Chooses popup-menu commands from answers (front first; 0 dismisses the menu); when none is
// left, dismisses. A greyed or unknown command counts as dismissing.
class PopupMenuChooser
{
public:
    PopupMenuChooser();
    ~PopupMenuChooser();
    PopupMenuChooser(const PopupMenuChooser&) = delete;
    PopupMenuChooser& operator=(const PopupMenuChooser&) = delete;

    UINT Answer(const PopupMenuRequest& request);
    std::vector<PopupMenuRequest> requests;
    std::deque<UINT> answers;

private:
    PopupMenuChooser* previous_;
};

// Plays the user of drags (QDrag::exec returns at once without a real screen): each
// COleDataSource::DoDragDrop calls play with the data and the allowed effects, and takes its
// result as the drop's effect (DROPEFFECT_NONE without play). PlayDrop is how a script drops.
class DragDropPlayer
{
public:
    DragDropPlayer();
    ~DragDropPlayer();
    DragDropPlayer(const DragDropPlayer&) = delete;
    DragDropPlayer& operator=(const DragDropPlayer&) = delete;

    DROPEFFECT Play(const COleDataSource& data, DROPEFFECT allowed);
    std::function<DROPEFFECT(const COleDataSource& data, DROPEFFECT allowed)> play;
    int drags = 0;

private:
    DragDropPlayer* previous_;
};

// Drags data over target's client area to point and drops it there, as Qt's drag events would
// (enter, move, drop, with Ctrl when keyState has MK_CONTROL); returns the effect the target's
// drop took, DROPEFFECT_NONE when it refused.
DROPEFFECT PlayDrop(CWnd* target, const COleDataSource& data, CPoint point, DWORD keyState, DROPEFFECT allowed);

// Answers print dialogs from answers (front first): the PDF file the job writes, or nullopt
// for Cancel; when none is left, Cancel. A job answered with a file prints all its pages.
class PrintDialogProvider
{
public:
    PrintDialogProvider();
    ~PrintDialogProvider();
    PrintDialogProvider(const PrintDialogProvider&) = delete;
    PrintDialogProvider& operator=(const PrintDialogProvider&) = delete;

    std::optional<std::filesystem::path> Answer();
    int shown = 0;
    std::deque<std::optional<std::filesystem::path>> answers;

private:
    PrintDialogProvider* previous_;
};

// The paper and orientation a user picks in Print Setup.
struct PageSetupChoice
{
    QPageSize paper;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
};

// Answers Print Setup from answers (front first): the choice, or nullopt for Cancel; when none
// is left, Cancel. shown holds the printer's page layout as each dialog opened with it.
class PageSetupProvider
{
public:
    PageSetupProvider();
    ~PageSetupProvider();
    PageSetupProvider(const PageSetupProvider&) = delete;
    PageSetupProvider& operator=(const PageSetupProvider&) = delete;

    std::optional<PageSetupChoice> Answer(const QPageLayout& current);
    std::vector<QPageLayout> shown;
    std::deque<std::optional<PageSetupChoice>> answers;

private:
    PageSetupProvider* previous_;
};

// Takes the place of the print preview window: each preview has the preview's own widget lay
// out the job's pages (previewPages, the number it counted), renders every page at dpi dots per
// inch of the session's paper into pages (an earlier preview's pages replaced), and closes as
// a user would without printing. previews counts the previews.
class PrintPreviewRecorder
{
public:
    PrintPreviewRecorder();
    ~PrintPreviewRecorder();
    PrintPreviewRecorder(const PrintPreviewRecorder&) = delete;
    PrintPreviewRecorder& operator=(const PrintPreviewRecorder&) = delete;

    int dpi = 100;
    int previews = 0;
    int previewPages = 0;
    std::vector<QImage> pages;

private:
    PrintPreviewRecorder* previous_;
};

// The installed hooks (null for none).
MessageBoxSink* ActiveMessageBoxSink();
FileDialogProvider* ActiveFileDialogProvider();
ModalDialogInterceptor* ActiveModalDialogInterceptor();
PopupMenuChooser* ActivePopupMenuChooser();
DragDropPlayer* ActiveDragDropPlayer();
PrintDialogProvider* ActivePrintDialogProvider();
PageSetupProvider* ActivePageSetupProvider();
PrintPreviewRecorder* ActivePrintPreviewRecorder();
