// Data exchanged as plain text with the clipboard and by drag and drop: a data source that
// offers text (the clipboard's new content, or what a drag carries) and a data object that
// reads the text offered by the clipboard or by a drop. Text travels as CF_TEXT only, in
// Windows-1252 through the one Qt crossing (platform/Text.h), by its length: no NUL ends it.
#pragma once

#include "platform/WinTypes.h"

#include <QImage>

#include <string>

class CWnd;
class QMimeData;
class QObject;

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
    // The picture a drag shows under the pointer (transparent pixels let the screen show
    // through), the pointer at hotSpot in it; a null image shows the window system's own.
    void SetDragImage(const QImage& image, CPoint hotSpot);
    const QImage& DragImage() const { return dragImage_; }
    CPoint DragHotSpot() const { return dragHotSpot_; }
    // Drags the data from window (which gives up the mouse capture first: its window gets
    // WM_CAPTURECHANGED) until it is dropped or the drag is given up; returns the drop's effect
    // (one of allowed), DROPEFFECT_NONE when nothing took it. A DragDropPlayer (TestHooks.h),
    // when installed, plays the drag instead of the user.
    DROPEFFECT DoDragDrop(DROPEFFECT allowed, CWnd* window) const;

private:
    std::string text_;
    BOOL hasText_ = FALSE;
    QImage dragImage_;
    CPoint dragHotSpot_;
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

// Makes a window a target of drops: Qt's drag events over its client area come to the hooks,
// with client points and MK_CONTROL (Ctrl held) in the key state. The hooks' effect is what the
// drop does; DROPEFFECT_NONE refuses.
class COleDropTarget
{
public:
    COleDropTarget();
    virtual ~COleDropTarget();
    COleDropTarget(const COleDropTarget&) = delete;
    COleDropTarget& operator=(const COleDropTarget&) = delete;

    // FALSE without a window or when this target is registered already.
    BOOL Register(CWnd* window);
    void Revoke();
    CWnd* RegisteredWindow() const;

    virtual DROPEFFECT OnDragEnter(CWnd* window, COleDataObject* data, DWORD keyState, CPoint point);
    virtual DROPEFFECT OnDragOver(CWnd* window, COleDataObject* data, DWORD keyState, CPoint point);
    virtual void OnDragLeave(CWnd* window);
    virtual BOOL OnDrop(CWnd* window, COleDataObject* data, DROPEFFECT effect, CPoint point);
    // Asked while the drag lingers near the window's edge; default DROPEFFECT_NONE.
    virtual DROPEFFECT OnDragScroll(CWnd* window, DWORD keyState, CPoint point);

private:
    QObject* filter_ = nullptr;  // the event filter on the client widget
    HWND window_ = nullptr;
};

// Whether the clipboard holds text, kept up to date as the clipboard changes (cheap enough for
// update handlers run when idle). FALSE without the Qt application.
BOOL ClipboardHasText();
