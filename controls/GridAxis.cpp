#include "controls/GridAxis.h"

#include <algorithm>
#include <bit>

void GridAxis::SetSize(int i, int size)
{
    if (i < 0 || i >= Count()) return;
    size = std::max(size, 0);
    const int delta = size - sizes_[std::size_t(i)];
    sizes_[std::size_t(i)] = size;
    if (stale_ || delta == 0) return;
    for (std::size_t k = std::size_t(i) + 1; k < tree_.size(); k += k & (~k + 1)) tree_[k] += delta;
}

void GridAxis::Swap(int i, int j)
{
    if (i < 0 || j < 0 || i >= Count() || j >= Count() || i == j) return;
    const int a = sizes_[std::size_t(i)];
    const int b = sizes_[std::size_t(j)];
    SetSize(i, b);
    SetSize(j, a);
}

void GridAxis::Resize(int n, int size)
{
    sizes_.resize(std::size_t(std::max(n, 0)), std::max(size, 0));
    stale_ = true;
}

void GridAxis::Clear()
{
    sizes_.clear();
    tree_.clear();
    stale_ = false;
}

void GridAxis::Rebuild() const
{
    // Linear construction: each node passes its sum on to its parent.
    tree_.assign(sizes_.size() + 1, 0);
    for (std::size_t k = 1; k < tree_.size(); ++k) {
        tree_[k] += sizes_[k - 1];
        const std::size_t parent = k + (k & (~k + 1));
        if (parent < tree_.size()) tree_[parent] += tree_[k];
    }
    stale_ = false;
}

std::int64_t GridAxis::Prefix(int i) const
{
    if (stale_) Rebuild();
    std::int64_t sum = 0;
    for (std::size_t k = std::size_t(std::clamp(i, 0, Count())); k > 0; k -= k & (~k + 1)) sum += tree_[k];
    return sum;
}

int GridAxis::FirstEndAbove(std::int64_t value) const
{
    if (value < 0) return 0;
    if (stale_) Rebuild();
    // The largest m with Prefix(m) <= value: entry m is the first whose end exceeds value.
    const std::size_t n = sizes_.size();
    std::size_t m = 0;
    std::int64_t rest = value;
    for (std::size_t step = n ? std::bit_floor(n) : 0; step > 0; step >>= 1) {
        if (m + step <= n && tree_[m + step] <= rest) {
            m += step;
            rest -= tree_[m];
        }
    }
    return int(m);
}
