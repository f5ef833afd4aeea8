#include "platform/OleData.h"

#include "platform/Text.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

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
