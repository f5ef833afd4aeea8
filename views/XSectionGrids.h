// The cross-section editor's five grids: how each is filled from a node's cross section (the
// points, the roughness and sinuosity rows, the property table and the bank stations), and how
// an entry count changes the rows of one.
//
// Every fill starts alike: no drag and drop, light yellow cells, no cells left, no virtual
// mode, editing and column resizing on, then the counts; every cell gets its text centred on
// one line. Numbers are written "%.3f" (locale-free), row numbers "%d" from 1. A fill that runs
// out of memory reports it and leaves the grid without content. User-interface thread only.
#pragma once

#include "platform/WinTypes.h"

#include <string>

class CGridCtrl;

namespace VQXGeometryDataLib {
class VQXCrossSection;
}

// The light yellow of the editor's cells.
inline constexpr COLORREF XSectionCellColour = RGB(255, 255, 224);
// Edited cells show red until they are applied, then black.
inline constexpr COLORREF XSectionEditedColour = RGB(255, 0, 0);
inline constexpr COLORREF XSectionAppliedColour = RGB(0, 0, 0);

// The columns of the points, roughness, sinuosity and bank grids.
inline constexpr int XSectionStationColumn = 1;
inline constexpr int XSectionPointElevationColumn = 2;
inline constexpr int XSectionRoughnessElevationColumn = 1;
inline constexpr int XSectionLeftNColumn = 2;
inline constexpr int XSectionChannelNColumn = 3;
inline constexpr int XSectionRightNColumn = 4;
inline constexpr int XSectionSinuosityElevationColumn = 1;
inline constexpr int XSectionSinuosityColumn = 2;
inline constexpr int XSectionBankRow = 1;
inline constexpr int XSectionLeftBankColumn = 0;
inline constexpr int XSectionRightBankColumn = 1;

// The unit texts of the headers: "(m)" and "(sqm)" for metric models, "(ft)" and "(sqft)".
struct XSectionUnits {
    std::string Length;
    std::string Area;
};
XSectionUnits XSectionUnitsFor(int metric);

// The fills. A null section gives the headers alone (the bank grid an empty data row). Each
// returns FALSE when memory ran out; the grid is then left without content.
BOOL FillPointsGrid(CGridCtrl& grid, const VQXGeometryDataLib::VQXCrossSection* section, const XSectionUnits& units);
BOOL FillRoughnessGrid(CGridCtrl& grid, const VQXGeometryDataLib::VQXCrossSection* section, const XSectionUnits& units);
BOOL FillSinuosityGrid(CGridCtrl& grid, const VQXGeometryDataLib::VQXCrossSection* section, const XSectionUnits& units);
// Every cell read-only, the header row too.
BOOL FillPropertiesGrid(CGridCtrl& grid, const VQXGeometryDataLib::VQXCrossSection* section,
                        const XSectionUnits& units);
BOOL FillBankGrid(CGridCtrl& grid, const VQXGeometryDataLib::VQXCrossSection* section, const XSectionUnits& units);

// An entry count changed: the grid gets entries + 1 rows, rows added or removed at the end; each
// new row gets its number in column 0 and centred empty cells. FALSE (reported) when memory
// ran out; the grid then holds the rows it could keep.
BOOL SetEntryRows(CGridCtrl& grid, int entries);

// The sizing after a fill or a count change: the points grid fits its texts and spreads its
// columns over its width, the roughness and sinuosity grids fit their texts and widen their
// last column to the width, the property table spreads its columns and the bank grid spreads
// columns and rows.
void SizePointsGrid(CGridCtrl& grid);
void SizeTableGrid(CGridCtrl& grid);
void SizePropertiesGrid(CGridCtrl& grid);
void SizeBankGrid(CGridCtrl& grid);

// The text of a cell number: "%.3f" in the C locale.
std::string FormatXSectionNumber(double value);
