// A set of grid cells keyed by their whole row and column (a series grid has more rows than 16
// bits hold), in which a cell is once at most: the selected cells of a grid and the selection
// saved when a Ctrl-click began.
#pragma once

#include "controls/CellRange.h"

#include <cstddef>
#include <cstdint>
#include <unordered_set>

class SelectedCellMap
{
public:
    bool Contains(int row, int col) const { return keys_.count(Key(row, col)) != 0; }
    void Insert(int row, int col) { keys_.insert(Key(row, col)); }
    void Erase(int row, int col) { keys_.erase(Key(row, col)); }
    bool Empty() const { return keys_.empty(); }
    std::size_t Size() const { return keys_.size(); }
    void Clear() { keys_.clear(); }
    // Room for count cells without rehashing.
    void Reserve(std::size_t count) { keys_.reserve(count); }
    void Swap(SelectedCellMap& other) noexcept { keys_.swap(other.keys_); }

    // The smallest block holding every cell; invalid (-1, -1, -1, -1) when empty.
    CellRange Bounds() const;
    // Calls f(row, col) for every cell, in no particular order; f must not change the set.
    template <class F>
    void ForEach(F f) const
    {
        for (const std::uint64_t key : keys_) f(Row(key), Col(key));
    }

private:
    static std::uint64_t Key(int row, int col)
    {
        return (std::uint64_t(std::uint32_t(col)) << 32) | std::uint32_t(row);
    }
    static int Row(std::uint64_t key) { return int(std::uint32_t(key & 0xFFFFFFFFu)); }
    static int Col(std::uint64_t key) { return int(std::uint32_t(key >> 32)); }

    std::unordered_set<std::uint64_t> keys_;
};
