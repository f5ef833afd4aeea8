// The sizes along one axis of a grid (row heights or column widths) with their running sums,
// so that positions and the row or column at a position are found in logarithmic time
// whatever the count (a series grid has 100,001 rows): a Fenwick tree over the sizes, rebuilt
// once after the count changes and kept up to date by each single change.
#pragma once

#include <cstdint>
#include <vector>

class GridAxis
{
public:
    int Count() const { return int(sizes_.size()); }
    // The size of entry i; -1 outside.
    int Size(int i) const { return i >= 0 && i < Count() ? sizes_[std::size_t(i)] : -1; }
    // Sets entry i (negative sizes count as 0); nothing outside.
    void SetSize(int i, int size);
    // Exchanges two entries' sizes.
    void Swap(int i, int j);
    // n entries; the ones added have size. Throws std::bad_alloc when memory runs out, with the
    // entries as they were.
    void Resize(int n, int size);
    void Clear();

    // The sum of the sizes of entries 0 .. i - 1 (i clamped to 0 .. Count()).
    std::int64_t Prefix(int i) const;
    std::int64_t Total() const { return Prefix(Count()); }
    // The first entry whose end (Prefix(k + 1)) exceeds value; Count() when none does.
    int FirstEndAbove(std::int64_t value) const;

private:
    void Rebuild() const;

    std::vector<int> sizes_;
    mutable std::vector<std::int64_t> tree_;  // 1-based Fenwick tree of sizes_
    mutable bool stale_ = false;
};
