#include "controls/SelectedCellMap.h"

#include <algorithm>

CellRange SelectedCellMap::Bounds() const
{
    if (keys_.empty()) return {};
    CellRange range(Row(*keys_.begin()), Col(*keys_.begin()), Row(*keys_.begin()), Col(*keys_.begin()));
    ForEach([&](int row, int col) {
        range.minRow = std::min(range.minRow, row);
        range.maxRow = std::max(range.maxRow, row);
        range.minCol = std::min(range.minCol, col);
        range.maxCol = std::max(range.maxCol, col);
    });
    return range;
}
