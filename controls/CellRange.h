// Addresses of a grid's cells: one cell (CCellID) and a block of cells (CellRange). Rows and
// columns count from 0, the fixed ones included; -1 means none.
#pragma once

struct CCellID
{
    int row = -1;
    int col = -1;
    constexpr CCellID() = default;
    constexpr CCellID(int r, int c) : row(r), col(c) {}
    // Both parts 0 or more (whether the cell lies in a grid is the grid's question).
    constexpr bool IsValid() const { return row >= 0 && col >= 0; }
    friend constexpr bool operator==(const CCellID&, const CCellID&) = default;
};

struct CellRange
{
    int minRow = -1;
    int minCol = -1;
    int maxRow = -1;
    int maxCol = -1;
    constexpr CellRange() = default;
    constexpr CellRange(int r0, int c0, int r1, int c1) : minRow(r0), minCol(c0), maxRow(r1), maxCol(c1) {}
    // All four bounds 0 or more and the maxima not below the minima.
    constexpr bool IsValid() const
    {
        return minRow >= 0 && minCol >= 0 && maxRow >= 0 && maxCol >= 0 && maxRow >= minRow && maxCol >= minCol;
    }
    constexpr bool InRange(int row, int col) const
    {
        return row >= minRow && row <= maxRow && col >= minCol && col <= maxCol;
    }
    constexpr CCellID TopLeft() const { return {minRow, minCol}; }
    friend constexpr bool operator==(const CellRange&, const CellRange&) = default;
};
