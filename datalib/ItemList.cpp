#include "datalib/ItemList.h"

namespace VQXGeometryDataLib {

int ItemList::BuildIndex()
{
    ReleaseIndex();
    if (Count <= 0)
        return Count;
    IndexArray.reserve(static_cast<std::size_t>(Count));
    for (Item* link = Head; link != nullptr && static_cast<int>(IndexArray.size()) < Count; link = link->Next) {
        Cursor = link;
        link->Index = static_cast<int>(IndexArray.size());
        IndexArray.push_back(link);
    }
    // A chain shorter than Count leaves the index stale rather than holding null entries.
    IndexStale = static_cast<int>(IndexArray.size()) == Count ? 0 : 1;
    return Count;
}

void ItemList::ReleaseIndex()
{
    std::vector<Item*>().swap(IndexArray);
    IndexStale = 1;
}

Item* ItemList::At(int position) const
{
    if (IndexStale || position < 0 || position >= static_cast<int>(IndexArray.size()))
        return nullptr;
    return IndexArray[static_cast<std::size_t>(position)];
}

Item* ItemList::First()
{
    if (Count <= 0)
        return nullptr;
    Cursor = Head;
    return Cursor;
}

Item* ItemList::Next()
{
    if (Count <= 0 || Cursor == nullptr)
        return nullptr;
    if (Cursor->Next == nullptr)
        return nullptr;  // the cursor stays on the last link
    Cursor = Cursor->Next;
    return Cursor;
}

Item* ItemList::Append(Item* item)
{
    if (item == nullptr)
        return nullptr;
    if (Head == nullptr) {
        Head = item;
        item->Next = nullptr;
        item->Previous = nullptr;
    } else {
        Item* last = Cursor != nullptr ? Cursor : Head;
        while (last->Next != nullptr)
            last = last->Next;
        last->Next = item;
        item->Previous = last;
        item->Next = nullptr;
    }
    Cursor = item;
    ++Count;
    IndexStale = 1;
    return item;
}

Item* ItemList::FindByNumber(int number)
{
    if (Count <= 0)
        return nullptr;
    for (Item* link = Head; link != nullptr; link = link->Next) {
        Cursor = link;
        if (link->Number == number)
            return link;
    }
    return nullptr;
}

void ItemList::Remove(Item* item)
{
    if (item == nullptr || Head == nullptr)
        return;
    const bool linkedHere = item == Head || (item->Previous != nullptr && item->Previous->Next == item);
    if (!linkedHere)
        return;

    Item* before = item->Previous;
    Item* after = item->Next;
    if (before != nullptr)
        before->Next = after;
    else
        Head = after;
    if (after != nullptr)
        after->Previous = before;

    if (Cursor == item)
        Cursor = before == nullptr ? Head : before;
    item->Next = nullptr;
    item->Previous = nullptr;
    --Count;
    IndexStale = 1;
}

}  // namespace VQXGeometryDataLib
