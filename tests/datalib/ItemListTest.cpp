#include <gtest/gtest.h>

#include <array>

#include "datalib/ItemList.h"

using VQXGeometryDataLib::Item;
using VQXGeometryDataLib::ItemList;

namespace {

// A list over links owned by the fixture, numbered 10, 20, 30, ...
struct ListOf {
    std::array<Item, 5> links;
    ItemList list;

    explicit ListOf(int count)
    {
        for (int i = 0; i < static_cast<int>(links.size()); ++i)
            links[static_cast<std::size_t>(i)].Number = 10 * (i + 1);
        for (int i = 0; i < count; ++i)
            list.Append(&links[static_cast<std::size_t>(i)]);
    }
    Item* at(int i) { return &links[static_cast<std::size_t>(i)]; }
};

// Follows the chain both ways and checks it against the expected links and Count.
void ExpectChain(const ItemList& list, std::initializer_list<const Item*> expected)
{
    ASSERT_EQ(list.Count, static_cast<int>(expected.size()));
    const Item* link = list.Head;
    const Item* previous = nullptr;
    for (const Item* want : expected) {
        ASSERT_EQ(link, want);
        EXPECT_EQ(link->Previous, previous);
        previous = link;
        link = link->Next;
    }
    EXPECT_EQ(link, nullptr);
}

}  // namespace

TEST(ItemList, NewListIsEmptyAndStale)
{
    ItemList list;
    EXPECT_EQ(list.Head, nullptr);
    EXPECT_EQ(list.Cursor, nullptr);
    EXPECT_EQ(list.Count, 0);
    EXPECT_TRUE(list.IndexArray.empty());
    EXPECT_EQ(list.IndexStale, 1);
    EXPECT_EQ(list.First(), nullptr);
    EXPECT_EQ(list.Next(), nullptr);
    EXPECT_EQ(list.FindByNumber(1), nullptr);
    EXPECT_EQ(list.Cursor, nullptr);

    Item item;
    EXPECT_EQ(item.Number, 1);
    EXPECT_EQ(item.Index, -1);
    EXPECT_EQ(item.Next, nullptr);
    EXPECT_EQ(item.Previous, nullptr);
}

TEST(ItemList, NextPastTheEndKeepsTheCursorOnTheLastLinkSoAppendLinksAfterIt)
{
    ListOf f(3);
    EXPECT_EQ(f.list.First(), f.at(0));
    EXPECT_EQ(f.list.Next(), f.at(1));
    EXPECT_EQ(f.list.Next(), f.at(2));
    EXPECT_EQ(f.list.Next(), nullptr);
    EXPECT_EQ(f.list.Next(), nullptr);
    EXPECT_EQ(f.list.Cursor, f.at(2));

    f.list.BuildIndex();
    EXPECT_EQ(f.list.Append(f.at(3)), f.at(3));
    ExpectChain(f.list, {f.at(0), f.at(1), f.at(2), f.at(3)});
    EXPECT_EQ(f.list.Cursor, f.at(3));
    EXPECT_EQ(f.list.IndexStale, 1);
}

TEST(ItemList, AppendAfterAWalkStoppedInsideTheListStillLinksAtTheEnd)
{
    ListOf f(3);
    f.list.First();  // cursor on the head
    f.list.Append(f.at(3));
    ExpectChain(f.list, {f.at(0), f.at(1), f.at(2), f.at(3)});

    ASSERT_EQ(f.list.FindByNumber(20), f.at(1));
    f.list.Append(f.at(4));
    ExpectChain(f.list, {f.at(0), f.at(1), f.at(2), f.at(3), f.at(4)});
}

TEST(ItemList, FindByNumberMovesTheCursor)
{
    ListOf f(3);
    EXPECT_EQ(f.list.FindByNumber(20), f.at(1));
    EXPECT_EQ(f.list.Cursor, f.at(1));
    EXPECT_EQ(f.list.Next(), f.at(2));

    EXPECT_EQ(f.list.FindByNumber(99), nullptr);
    EXPECT_EQ(f.list.Cursor, f.at(2));

    // The first of equal numbers wins.
    f.at(2)->Number = 10;
    EXPECT_EQ(f.list.FindByNumber(10), f.at(0));
}

TEST(ItemList, BuildIndex)
{
    ItemList empty;
    EXPECT_EQ(empty.BuildIndex(), 0);
    EXPECT_TRUE(empty.IndexArray.empty());
    EXPECT_EQ(empty.IndexStale, 1);
    EXPECT_EQ(empty.At(0), nullptr);

    ListOf f(3);
    f.list.First();
    EXPECT_EQ(f.list.BuildIndex(), 3);
    EXPECT_EQ(f.list.IndexStale, 0);
    EXPECT_EQ(f.list.Cursor, f.at(2));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(f.list.At(i), f.at(i));
        EXPECT_EQ(f.at(i)->Index, i);
    }
    EXPECT_EQ(f.list.At(3), nullptr);
    EXPECT_EQ(f.list.At(-1), nullptr);

    // A rebuilt index follows the chain after a removal.
    f.list.Remove(f.at(0));
    EXPECT_EQ(f.list.IndexStale, 1);
    EXPECT_EQ(f.list.At(0), nullptr);
    EXPECT_EQ(f.list.BuildIndex(), 2);
    EXPECT_EQ(f.list.At(0), f.at(1));
    EXPECT_EQ(f.at(2)->Index, 1);
}

TEST(ItemList, RemoveTheOnlyLink)
{
    ListOf f(1);
    f.list.Remove(f.at(0));
    EXPECT_EQ(f.list.Head, nullptr);
    EXPECT_EQ(f.list.Cursor, nullptr);
    EXPECT_EQ(f.list.Count, 0);
    EXPECT_EQ(f.list.IndexStale, 1);
    EXPECT_EQ(f.list.First(), nullptr);
    // The emptied list takes a new link as its head.
    f.list.Append(f.at(1));
    ExpectChain(f.list, {f.at(1)});
}

TEST(ItemList, RemoveMovesACursorThatWasOnTheItem)
{
    {
        ListOf f(3);
        f.list.First();
        f.list.Remove(f.at(0));  // the head: its successor becomes head and cursor
        ExpectChain(f.list, {f.at(1), f.at(2)});
        EXPECT_EQ(f.list.Cursor, f.at(1));
    }
    {
        ListOf f(3);
        f.list.FindByNumber(20);
        f.list.Remove(f.at(1));  // inside: the cursor goes to the predecessor
        ExpectChain(f.list, {f.at(0), f.at(2)});
        EXPECT_EQ(f.list.Cursor, f.at(0));
        EXPECT_EQ(f.list.Next(), f.at(2));
    }
    {
        ListOf f(3);  // cursor on the last link after the appends
        f.list.Remove(f.at(2));
        ExpectChain(f.list, {f.at(0), f.at(1)});
        EXPECT_EQ(f.list.Cursor, f.at(1));
        f.list.Append(f.at(2));
        ExpectChain(f.list, {f.at(0), f.at(1), f.at(2)});
    }
    {
        ListOf f(3);
        f.list.First();
        f.list.Remove(f.at(2));  // a link elsewhere leaves the cursor alone
        EXPECT_EQ(f.list.Cursor, f.at(0));
        ExpectChain(f.list, {f.at(0), f.at(1)});
    }
}

TEST(ItemList, RemoveOfAnUnlinkedItemChangesNothing)
{
    ListOf f(2);
    Item stranger;
    f.list.Remove(&stranger);
    f.list.Remove(nullptr);
    ExpectChain(f.list, {f.at(0), f.at(1)});
    f.list.Remove(f.at(1));
    f.list.Remove(f.at(1));  // already removed
    ExpectChain(f.list, {f.at(0)});
}
