// Data exchanged as plain text with the clipboard and by drag and drop: a data source that
// offers text (the clipboard's new content, or what a drag carries) and a data object that
// reads the text offered by the clipboard or by a drop. Text travels as CF_TEXT only, in
// Windows-1252 through the one Qt crossing (platform/Text.h), by its length: no NUL ends it.
#pragma once

#include "platform/WinTypes.h"

#include <string>

class QMimeData;

using CLIPFORMAT = UINT;
constexpr CLIPFORMAT CF_TEXT = 1;

// What a drop does with the dragged data (bits).
using DROPEFFECT = DWORD;
constexpr DROPEFFECT DROPEFFECT_NONE = 0;
constexpr DROPEFFECT DROPEFFECT_COPY = 1;
constexpr DROPEFFECT DROPEFFECT_MOVE = 2;

class COleDataSource
{
public:
    // Offers text as CF_TEXT (the bytes as given; a NUL among them ends nothing).
    void CacheText(std::string text);
    BOOL HasText() const { return hasText_; }
    const std::string& Text() const { return text_; }
    // Puts the offered text on the clipboard, which keeps its own copy (this object may go).
    // FALSE without text or without the Qt application.
    BOOL SetClipboard() const;
    // The text as Qt drag data (the caller owns it).
    QMimeData* MakeMimeData() const;

private:
    std::string text_;
    BOOL hasText_ = FALSE;
};

class COleDataObject
{
public:
    // Reads from the clipboard from now on. TRUE.
    BOOL AttachClipboard();
    // Reads the text of drag data (not owned; it must outlive the reads).
    void Attach(const QMimeData* data);
    // A fixed text, as a drop of that text would bring (also for tests).
    void AttachText(std::string text);
    // Whether the data offers format (CF_TEXT only).
    BOOL IsDataAvailable(CLIPFORMAT format) const;
    // The offered text, every byte of it; FALSE (text emptied) when none is offered.
    BOOL GetText(std::string* text) const;

private:
    enum class Source { None, Clipboard, Mime, Text };
    Source source_ = Source::None;
    const QMimeData* mime_ = nullptr;
    std::string text_;
};

// Whether the clipboard holds text, kept up to date as the clipboard changes (cheap enough for
// update handlers run when idle). FALSE without the Qt application.
BOOL ClipboardHasText();
