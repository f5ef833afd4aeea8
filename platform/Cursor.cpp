#include "platform/Cursor.h"

#include "platform/Resources.h"
#include "platform/Window.h"

#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QWidget>

#include <map>
#include <memory>
#include <utility>

namespace {

struct CursorEntry {
    QCursor shape;
};

struct StandardCursor {
    UINT id;
    Qt::CursorShape shape;
};
constexpr StandardCursor StandardCursors[] = {
    {IDC_ARROW, Qt::ArrowCursor},
    {IDC_SIZEWE, Qt::SizeHorCursor},
    {IDC_SIZENS, Qt::SizeVerCursor},
};

// Cursors made so far, by resource id and by standard id (user-interface thread only).
std::map<UINT, std::unique_ptr<CursorEntry>> g_resourceCursors;
std::map<UINT, std::unique_ptr<CursorEntry>> g_standardCursors;
HCURSOR g_current = nullptr;
HWND g_pointerWindow = nullptr;  // the custom-drawn window the pointer last moved over
CPoint g_pointer;

HCURSOR HandleOf(const CursorEntry* entry)
{
    return reinterpret_cast<HCURSOR>(entry);
}

const CursorEntry* EntryOf(HCURSOR handle)
{
    return reinterpret_cast<const CursorEntry*>(handle);
}

}  // namespace

HCURSOR LoadCursor(UINT resourceId)
{
    if (const auto it = g_resourceCursors.find(resourceId); it != g_resourceCursors.end())
        return HandleOf(it->second.get());
    const CursorResource* resource = FindCursorResource(resourceId);
    if (!resource) return nullptr;
    QImage picture;
    if (!picture.loadFromData(resource->data, int(resource->size)) || picture.isNull()) return nullptr;
    auto entry = std::make_unique<CursorEntry>(
        CursorEntry{QCursor(QPixmap::fromImage(picture), resource->hotSpot.x, resource->hotSpot.y)});
    const HCURSOR handle = HandleOf(entry.get());
    g_resourceCursors.emplace(resourceId, std::move(entry));
    return handle;
}

HCURSOR LoadStandardCursor(UINT standardId)
{
    if (const auto it = g_standardCursors.find(standardId); it != g_standardCursors.end())
        return HandleOf(it->second.get());
    for (const StandardCursor& standard : StandardCursors) {
        if (standard.id != standardId) continue;
        auto entry = std::make_unique<CursorEntry>(CursorEntry{QCursor(standard.shape)});
        const HCURSOR handle = HandleOf(entry.get());
        g_standardCursors.emplace(standardId, std::move(entry));
        return handle;
    }
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    const HCURSOR previous = std::exchange(g_current, cursor);
    CWnd* window = CWnd::GetCapture();
    if (!window) window = CWnd::FromHandle(g_pointerWindow);
    if (window && window->GetWidget()) window->GetWidget()->setCursor(cursor_detail::Shape(cursor));
    return previous;
}

HCURSOR GetCursor()
{
    return g_current;
}

BOOL GetCursorPos(CPoint* point)
{
    if (!point) return FALSE;
    *point = g_pointer;
    return TRUE;
}

namespace cursor_detail {

void NotePointer(CWnd* window, const QPoint& screen)
{
    g_pointer = CPoint(screen.x(), screen.y());
    if (window) g_pointerWindow = window->GetSafeHwnd();
}

QCursor Shape(HCURSOR cursor)
{
    return cursor ? EntryOf(cursor)->shape : QCursor(Qt::BlankCursor);
}

}  // namespace cursor_detail
