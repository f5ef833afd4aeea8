// Test hooks for every modal interaction, so the program runs headless under test. Each hook
// is installed while its object lives (the newest one wins) and records what it was asked;
// with no hook installed the real Qt dialog runs.
#pragma once

#include "platform/WinTypes.h"

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
    std::filesystem::path initialFolder;
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

// The installed hooks (null for none).
MessageBoxSink* ActiveMessageBoxSink();
FileDialogProvider* ActiveFileDialogProvider();
ModalDialogInterceptor* ActiveModalDialogInterceptor();
PopupMenuChooser* ActivePopupMenuChooser();
DragDropPlayer* ActiveDragDropPlayer();
