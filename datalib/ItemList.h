// Intrusive doubly linked lists of the river's object model.
//
// Every node, element, junction link, zone and bridging event is an Item and sits in one
// ItemList. A list has exactly one cursor and every walk (First/Next, FindByNumber, Append,
// BuildIndex, Remove) moves it, so two walks of the same list must never be interleaved:
// code that walks a list must not call anything that walks the same list before it is done.
// A list does not own its links; the container that holds the list deletes them.
#pragma once

#include <vector>

namespace VQXGeometryDataLib {

class Item {
public:
    int Number = 1;            // node, element, junction, zone or event number
    int Index = -1;            // position in the list's index array; -1 until indexed
    Item* Next = nullptr;      // null after the last link
    Item* Previous = nullptr;  // null before the first link
};

class ItemList {
public:
    Item* Head = nullptr;
    Item* Cursor = nullptr;
    int Count = 0;
    std::vector<Item*> IndexArray;  // Count links in list order; empty when not built
    int IndexStale = 1;             // 1 when IndexArray no longer matches the chain

    ItemList() = default;
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;

    // Rebuilds the index array from the chain and writes each link's position into its
    // Index; the cursor ends on the last link. Returns Count.
    int BuildIndex();

    // Frees the index array and marks the list stale.
    void ReleaseIndex();

    // The link at a position of the index array, or null when the position is outside it or
    // the index is stale.
    Item* At(int position) const;

    Item* First();
    Item* Next();

    // Links the item after the last link (walking the cursor there) and makes it the cursor.
    Item* Append(Item* item);

    // The first link whose Number equals number, or null (cursor then on the last link).
    Item* FindByNumber(int number);

    // Unlinks the item; the list does not delete it. An item that is not linked into this
    // list's chain is left alone.
    void Remove(Item* item);
};

// Unlinks and deletes every link of the list as a T (the type the list holds) and frees its
// index; the list is then empty.
template <typename T>
void DeleteAll(ItemList& list)
{
    while (list.Head != nullptr) {
        Item* link = list.Head;
        list.Remove(link);
        delete static_cast<T*>(link);
    }
    list.ReleaseIndex();
}

}  // namespace VQXGeometryDataLib
