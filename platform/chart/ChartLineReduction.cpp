#include "ChartLineReduction.h"

#include <algorithm>
#include <cmath>

void ReduceToPixelColumns(std::span<const QPointF> line, std::vector<QPointF>& reduced)
{
    reduced.clear();
    const std::size_t n = line.size();
    reduced.reserve(n);
    std::size_t i = 0;
    while (i < n) {
        // The run of points in the column of point i.
        const double column = std::floor(line[i].x());
        const std::size_t first = i;
        std::size_t lowest = i, highest = i;
        for (++i; i < n && std::floor(line[i].x()) == column; ++i) {
            if (line[i].y() < line[lowest].y()) lowest = i;
            if (line[i].y() > line[highest].y()) highest = i;
        }
        const std::size_t last = i - 1;
        // first <= each extreme <= last, so the four in this order are in point order.
        const std::size_t picks[] = {first, std::min(lowest, highest), std::max(lowest, highest), last};
        reduced.push_back(line[picks[0]]);
        for (std::size_t k = 1; k < std::size(picks); ++k)
            if (picks[k] != picks[k - 1]) reduced.push_back(line[picks[k]]);
    }
}
