#include "platform/OleData.h"

#include "platform/TestHooks.h"
#include "platform/Text.h"
#include "platform/Window.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QPixmap>
#include <QWidget>

namespace {

// The clipboard's "has text", read once per change of the clipboard.
struct ClipboardWatch {
    bool watching = false;
    bool hasText = false;
};

ClipboardWatch& Watch()
{
    static ClipboardWatch watch;
    return watch;
}

bool ReadHasText()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

}  // namespace

void COleDataSource::CacheText(std::string text)
{
    text_ = std::move(text);
    hasText_ = TRUE;
}

BOOL COleDataSource::SetClipboard() const
{
    if (!hasText_ || !qApp) return FALSE;
    QGuiApplication::clipboard()->setText(Cp1252ToQString(text_));
    return TRUE;
}

QMimeData* COleDataSource::MakeMimeData() const
{
    auto* data = new QMimeData;
    if (hasText_) data->setText(Cp1252ToQString(text_));
    return data;
}

void COleDataSource::SetDragImage(const QImage& image, CPoint hotSpot)
{
    dragImage_ = image;
    dragHotSpot_ = hotSpot;
}

BOOL COleDataObject::AttachClipboard()
{
    source_ = Source::Clipboard;
    mime_ = nullptr;
    return TRUE;
}

void COleDataObject::Attach(const QMimeData* data)
{
    source_ = Source::Mime;
    mime_ = data;
}

void COleDataObject::AttachText(std::string text)
{
    source_ = Source::Text;
    text_ = std::move(text);
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT format) const
{
    if (format != CF_TEXT) return FALSE;
    switch (source_) {
    case Source::Clipboard: return ClipboardHasText();
    case Source::Mime: return mime_ && mime_->hasText() ? TRUE : FALSE;
    case Source::Text: return TRUE;
    case Source::None: break;
    }
    return FALSE;
}

BOOL COleDataObject::GetText(std::string* text) const
{
    text->clear();
    if (!IsDataAvailable(CF_TEXT)) return FALSE;
    switch (source_) {
    case Source::Clipboard: *text = QStringToCp1252(QGuiApplication::clipboard()->text()); break;
    case Source::Mime: *text = QStringToCp1252(mime_->text()); break;
    case Source::Text: *text = text_; break;
    case Source::None: return FALSE;
    }
    return TRUE;
}

BOOL ClipboardHasText()
{
    if (!qApp) return FALSE;
    ClipboardWatch& watch = Watch();
    if (!watch.watching) {
        watch.watching = true;
        watch.hasText = ReadHasText();
        QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, qApp,
                         [] { Watch().hasText = ReadHasText(); });
    }
    return watch.hasText ? TRUE : FALSE;
}

namespace {

DWORD KeyState(Qt::KeyboardModifiers modifiers)
{
    DWORD state = 0;
    if (modifiers & Qt::ControlModifier) state |= MK_CONTROL;
    if (modifiers & Qt::ShiftModifier) state |= MK_SHIFT;
    return state;
}

Qt::DropActions ActionsOf(DROPEFFECT effects)
{
    Qt::DropActions actions;
    if (effects & DROPEFFECT_COPY) actions |= Qt::CopyAction;
    if (effects & DROPEFFECT_MOVE) actions |= Qt::MoveAction;
    return actions;
}

DROPEFFECT EffectOf(Qt::DropAction action)
{
    if (action == Qt::MoveAction) return DROPEFFECT_MOVE;
    if (action == Qt::CopyAction) return DROPEFFECT_COPY;
    return DROPEFFECT_NONE;
}

// Turns the drag events of a client widget into a drop target's hooks.
class DropFilter : public QObject
{
public:
    DropFilter(COleDropTarget* target, HWND window) : target_(target), window_(window) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        CWnd* window = CWnd::FromHandle(window_);
        if (!window) return false;
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            COleDataObject data;
            data.Attach(drag->mimeData());
            const QPoint p = drag->position().toPoint();
            const DWORD keys = KeyState(drag->modifiers());
            const DROPEFFECT effect = event->type() == QEvent::DragEnter
                                          ? target_->OnDragEnter(window, &data, keys, CPoint(p.x(), p.y()))
                                          : target_->OnDragOver(window, &data, keys, CPoint(p.x(), p.y()));
            if (effect == DROPEFFECT_NONE) {
                // Still entered, so that the moves over other cells are asked too.
                drag->setDropAction(Qt::IgnoreAction);
                if (event->type() == QEvent::DragEnter) drag->accept();
                else drag->ignore();
            } else {
                drag->setDropAction(effect == DROPEFFECT_MOVE ? Qt::MoveAction : Qt::CopyAction);
                drag->accept();
            }
            return true;
        }
        case QEvent::DragLeave: target_->OnDragLeave(window); return true;
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            COleDataObject data;
            data.Attach(drop->mimeData());
            const QPoint p = drop->position().toPoint();
            const DROPEFFECT wanted =
                target_->OnDragOver(window, &data, KeyState(drop->modifiers()), CPoint(p.x(), p.y()));
            if (wanted == DROPEFFECT_NONE || !target_->OnDrop(window, &data, wanted, CPoint(p.x(), p.y()))) {
                drop->ignore();
                return true;
            }
            drop->setDropAction(wanted == DROPEFFECT_MOVE ? Qt::MoveAction : Qt::CopyAction);
            drop->accept();
            return true;
        }
        default: return false;
        }
    }

private:
    COleDropTarget* target_;
    HWND window_;
};

}  // namespace

DROPEFFECT COleDataSource::DoDragDrop(DROPEFFECT allowed, CWnd* window) const
{
    if (CWnd::GetCapture()) CWnd::ReleaseCapture();
    if (DragDropPlayer* player = ActiveDragDropPlayer()) return player->Play(*this, allowed) & allowed;
    if (!window || !window->GetClientWidget()) return DROPEFFECT_NONE;
    auto* drag = new QDrag(window->GetClientWidget());
    drag->setMimeData(MakeMimeData());
    if (!dragImage_.isNull()) {
        drag->setPixmap(QPixmap::fromImage(dragImage_));
        drag->setHotSpot(QPoint(dragHotSpot_.x, dragHotSpot_.y));
    }
    const Qt::DropAction action = drag->exec(ActionsOf(allowed), Qt::MoveAction);
    return EffectOf(action) & allowed;
}

COleDropTarget::COleDropTarget() = default;

COleDropTarget::~COleDropTarget()
{
    Revoke();
}

BOOL COleDropTarget::Register(CWnd* window)
{
    if (filter_ || !window || !window->GetClientWidget()) return FALSE;
    QWidget* client = window->GetClientWidget();
    window_ = window->GetSafeHwnd();
    filter_ = new DropFilter(this, window_);
    filter_->setParent(client);
    client->installEventFilter(filter_);
    client->setAcceptDrops(true);
    return TRUE;
}

void COleDropTarget::Revoke()
{
    if (!filter_) return;
    // The filter goes with its widget when the window went first.
    if (CWnd* window = CWnd::FromHandle(window_)) {
        if (QWidget* client = window->GetClientWidget()) client->setAcceptDrops(false);
        delete filter_;
    }
    filter_ = nullptr;
    window_ = nullptr;
}

CWnd* COleDropTarget::RegisteredWindow() const
{
    return filter_ ? CWnd::FromHandle(window_) : nullptr;
}

DROPEFFECT COleDropTarget::OnDragEnter(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}

DROPEFFECT COleDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}

void COleDropTarget::OnDragLeave(CWnd*) {}

BOOL COleDropTarget::OnDrop(CWnd*, COleDataObject*, DROPEFFECT, CPoint)
{
    return FALSE;
}

DROPEFFECT COleDropTarget::OnDragScroll(CWnd*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}
