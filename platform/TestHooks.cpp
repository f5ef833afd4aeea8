#include "platform/TestHooks.h"

#include "platform/OleData.h"
#include "platform/Window.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

#include <memory>

namespace {

MessageBoxSink* g_messageBoxSink = nullptr;
FileDialogProvider* g_fileDialogProvider = nullptr;
ModalDialogInterceptor* g_modalDialogInterceptor = nullptr;
PopupMenuChooser* g_popupMenuChooser = nullptr;
DragDropPlayer* g_dragDropPlayer = nullptr;
PrintDialogProvider* g_printDialogProvider = nullptr;
PageSetupProvider* g_pageSetupProvider = nullptr;
PrintPreviewRecorder* g_printPreviewRecorder = nullptr;

// The answer a message box gives without a scripted one: its first button.
int DefaultAnswer(UINT buttons)
{
    switch (buttons) {
    case MB_ABORTRETRYIGNORE: return IDABORT;
    // The save question: a test that did not plan for it saves nothing over its files.
    case MB_YESNOCANCEL: return IDNO;
    case MB_YESNO: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    default: return IDOK;
    }
}

template <class T>
T TakeFront(std::deque<T>& queue, T fallback)
{
    if (queue.empty()) return fallback;
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
}

}  // namespace

MessageBoxSink::MessageBoxSink() : previous_(std::exchange(g_messageBoxSink, this)) {}
MessageBoxSink::~MessageBoxSink() { g_messageBoxSink = previous_; }

int MessageBoxSink::Answer(const MessageBoxRequest& request)
{
    shown.push_back(request);
    if (onShow) onShow(request);
    return TakeFront(answers, DefaultAnswer(request.buttons));
}

FileDialogProvider::FileDialogProvider() : previous_(std::exchange(g_fileDialogProvider, this)) {}
FileDialogProvider::~FileDialogProvider() { g_fileDialogProvider = previous_; }

std::optional<std::filesystem::path> FileDialogProvider::Answer(const FileDialogRequest& request)
{
    requests.push_back(request);
    return TakeFront(answers, std::optional<std::filesystem::path>());
}

ModalDialogInterceptor::ModalDialogInterceptor() : previous_(std::exchange(g_modalDialogInterceptor, this)) {}
ModalDialogInterceptor::~ModalDialogInterceptor() { g_modalDialogInterceptor = previous_; }

std::function<void(CDialog&)> ModalDialogInterceptor::NextScript(UINT templateId)
{
    shown.push_back(templateId);
    return TakeFront(scripts, std::function<void(CDialog&)>());
}

PrintDialogProvider::PrintDialogProvider() : previous_(std::exchange(g_printDialogProvider, this)) {}
PrintDialogProvider::~PrintDialogProvider() { g_printDialogProvider = previous_; }

std::optional<std::filesystem::path> PrintDialogProvider::Answer()
{
    ++shown;
    return TakeFront(answers, std::optional<std::filesystem::path>());
}

PageSetupProvider::PageSetupProvider() : previous_(std::exchange(g_pageSetupProvider, this)) {}
PageSetupProvider::~PageSetupProvider() { g_pageSetupProvider = previous_; }

std::optional<PageSetupChoice> PageSetupProvider::Answer(const QPageLayout& current)
{
    shown.push_back(current);
    return TakeFront(answers, std::optional<PageSetupChoice>());
}

PrintPreviewRecorder::PrintPreviewRecorder() : previous_(std::exchange(g_printPreviewRecorder, this)) {}
PrintPreviewRecorder::~PrintPreviewRecorder() { g_printPreviewRecorder = previous_; }

PopupMenuChooser::PopupMenuChooser() : previous_(std::exchange(g_popupMenuChooser, this)) {}
PopupMenuChooser::~PopupMenuChooser() { g_popupMenuChooser = previous_; }

UINT PopupMenuChooser::Answer(const PopupMenuRequest& request)
{
    requests.push_back(request);
    const UINT chosen = TakeFront(answers, 0u);
    for (const PopupMenuItem& item : request.items) {
        if (item.id == chosen && item.id != 0 && item.enabled) return chosen;
    }
    return 0;
}

MessageBoxSink* ActiveMessageBoxSink() { return g_messageBoxSink; }
FileDialogProvider* ActiveFileDialogProvider() { return g_fileDialogProvider; }
ModalDialogInterceptor* ActiveModalDialogInterceptor() { return g_modalDialogInterceptor; }
PopupMenuChooser* ActivePopupMenuChooser() { return g_popupMenuChooser; }

DragDropPlayer::DragDropPlayer() : previous_(std::exchange(g_dragDropPlayer, this)) {}
DragDropPlayer::~DragDropPlayer()
{
    g_dragDropPlayer = previous_;
}

DROPEFFECT DragDropPlayer::Play(const COleDataSource& data, DROPEFFECT allowed)
{
    ++drags;
    return play ? play(data, allowed) : DROPEFFECT_NONE;
}

DragDropPlayer* ActiveDragDropPlayer()
{
    return g_dragDropPlayer;
}

DROPEFFECT PlayDrop(CWnd* target, const COleDataSource& data, CPoint point, DWORD keyState, DROPEFFECT allowed)
{
    QWidget* client = target ? target->GetClientWidget() : nullptr;
    if (!client) return DROPEFFECT_NONE;
    const std::unique_ptr<QMimeData> mime(data.MakeMimeData());
    Qt::DropActions actions;
    if (allowed & DROPEFFECT_COPY) actions |= Qt::CopyAction;
    if (allowed & DROPEFFECT_MOVE) actions |= Qt::MoveAction;
    const Qt::KeyboardModifiers modifiers = (keyState & MK_CONTROL) ? Qt::ControlModifier : Qt::NoModifier;
    const QPointF at(point.x, point.y);
    QDragEnterEvent enter(at.toPoint(), actions, mime.get(), Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(client, &enter);
    if (!enter.isAccepted()) return DROPEFFECT_NONE;
    QDragMoveEvent move(at.toPoint(), actions, mime.get(), Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(client, &move);
    QDropEvent drop(at, actions, mime.get(), Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(client, &drop);
    if (!drop.isAccepted()) return DROPEFFECT_NONE;
    if (drop.dropAction() == Qt::MoveAction) return DROPEFFECT_MOVE;
    if (drop.dropAction() == Qt::CopyAction) return DROPEFFECT_COPY;
    return DROPEFFECT_NONE;
}

PrintDialogProvider* ActivePrintDialogProvider()
{
    return g_printDialogProvider;
}

PageSetupProvider* ActivePageSetupProvider()
{
    return g_pageSetupProvider;
}

PrintPreviewRecorder* ActivePrintPreviewRecorder()
{
    return g_printPreviewRecorder;
}
