#include "views/XSectionGrids.h"

#include "controls/GridCtrl.h"
#include "datalib/CrossSection.h"
#include "datalib/TextFormat.h"
#include "platform/Application.h"

#include <array>
#include <span>
#include <vector>

using VQXGeometryDataLib::VQXCrossSection;

namespace {

constexpr UINT CellFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
constexpr UINT NewRowFormat = DT_CENTER;

// The framework's report of an exhausted memory.
constexpr const char* OutOfMemoryText = "Out of memory.";

// A header with "%s" standing for a unit text.
struct Header {
    const char* Before;
    const char* After;
    bool Area = false;
    bool Unit = true;
};

std::string HeaderText(const Header& h, const XSectionUnits& units)
{
    std::string text = h.Before;
    if (h.Unit) {
        text += h.Area ? units.Area : units.Length;
        text += h.After;
    }
    return text;
}

constexpr Header NoUnit(const char* text)
{
    return {text, "", false, false};
}

constexpr Header PointsHeaders[] = {NoUnit("           "), {"    Station ", "    "}, {"   Elevation ", "   "}};
constexpr Header RoughnessHeaders[] = {NoUnit("      "),
                                       {"  Elevation ", "  "},
                                       NoUnit(" Manning's LOB "),
                                       NoUnit(" Manning's Channel "),
                                       NoUnit(" Manning's ROB ")};
constexpr Header SinuosityHeaders[] = {NoUnit("      "), {"  Elevation ", "  "}, NoUnit(" Sinuosity ")};
constexpr Header PropertiesHeaders[] = {NoUnit("      "), {"Elevation ", ""},          {"Ac ", "", true}, {"Twc ", ""},
                                        {"Pc ", ""},      NoUnit("Manning's Channel"), {"Al ", "", true}, {"Twl ", ""},
                                        {"Pl ", ""},      NoUnit("Manning's LOB"),     {"Ar ", "", true}, {"Twr ", ""},
                                        {"Pr ", ""},      NoUnit("Manning's ROB")};
constexpr Header BankHeaders[] = {{"  Left Bank ", "  "}, {"  Right Bank ", "  "}};

// The property-row columns that the property table's columns 1 to 13 show.
constexpr int PropertyColumns[] = {
    VQXGeometryDataLib::PropertyLevel,        VQXGeometryDataLib::PropertyChannelArea,
    VQXGeometryDataLib::PropertyChannelWidth, VQXGeometryDataLib::PropertyChannelPerimeter,
    VQXGeometryDataLib::PropertyChannelN,     VQXGeometryDataLib::PropertyLeftArea,
    VQXGeometryDataLib::PropertyLeftWidth,    VQXGeometryDataLib::PropertyLeftPerimeter,
    VQXGeometryDataLib::PropertyLeftN,        VQXGeometryDataLib::PropertyRightArea,
    VQXGeometryDataLib::PropertyRightWidth,   VQXGeometryDataLib::PropertyRightPerimeter,
    VQXGeometryDataLib::PropertyRightN,
};

std::string RowNumber(int row)
{
    std::string text;
    VQXTextFormat::AppendInt(text, row);
    return text;
}

// The common start of every fill, up to the counts; FALSE (reported, the grid emptied) when
// memory runs out.
BOOL StartFill(CGridCtrl& grid, int rows, int cols, int fixedRows, int fixedCols)
{
    grid.DragAndDrop = FALSE;
    grid.GetDefaultCell(FALSE, FALSE)->SetBackColor(XSectionCellColour);
    grid.RemoveAll();
    grid.VirtualMode = FALSE;
    grid.Editable = TRUE;
    grid.ColumnResize = TRUE;
    if (grid.SetNumRows(rows) && grid.SetNumColumns(cols) && grid.SetNumFixedRows(fixedRows) &&
        grid.SetNumFixedColumns(fixedCols))
        return TRUE;
    grid.RemoveAll();
    AfxMessageBox(OutOfMemoryText, MB_OK | MB_ICONSTOP);
    return FALSE;
}

void PutCell(CGridCtrl& grid, int row, int col, const std::string& text, UINT format = CellFormat)
{
    GridItem item;
    item.mask = ItemMaskText | ItemMaskFormat;
    item.row = row;
    item.column = col;
    item.format = format;
    item.text = text;
    grid.ApplyItem(&item);
}

void PutHeaders(CGridCtrl& grid, std::span<const Header> headers, const XSectionUnits& units)
{
    for (int col = 0; col < int(headers.size()); ++col)
        PutCell(grid, 0, col, HeaderText(headers[std::size_t(col)], units));
}

// The rows of numbers after the header: the row number, then the values.
template <std::size_t N> void PutNumberRows(CGridCtrl& grid, const std::vector<std::array<double, N>>& rows)
{
    for (int r = 1; r <= int(rows.size()); ++r) {
        PutCell(grid, r, 0, RowNumber(r));
        const auto& values = rows[std::size_t(r - 1)];
        for (std::size_t c = 0; c < N; ++c) PutCell(grid, r, int(c) + 1, FormatXSectionNumber(values[c]));
    }
}

// The end of every fill: header clicks select, a column dragged to nothing hides, and rows
// sort by the numbers their cells start with.
void FinishFill(CGridCtrl& grid)
{
    grid.ColumnHeaderClickSelects = TRUE;
    grid.RowHeaderClickSelects = TRUE;
    grid.HideColumnsByResize = TRUE;
    grid.CompareFunc = &CGridCtrl::CompareCellNumbers;
}

void Refresh(CGridCtrl& grid)
{
    if (!grid.GetSafeHwnd()) return;
    grid.UpdateScrollBars();
    grid.Invalidate();
}

}  // namespace

std::string FormatXSectionNumber(double value)
{
    std::string text;
    VQXTextFormat::AppendFixed(text, value, 3);
    return text;
}

XSectionUnits XSectionUnitsFor(int metric)
{
    return metric ? XSectionUnits{"(m)", "(sqm)"} : XSectionUnits{"(ft)", "(sqft)"};
}

BOOL FillPointsGrid(CGridCtrl& grid, const VQXCrossSection* section, const XSectionUnits& units)
{
    std::vector<std::array<double, 2>> rows;
    if (section) {
        for (const auto& p : section->Points) rows.push_back({p.Station, p.Elevation});
    }
    if (!StartFill(grid, int(rows.size()) + 1, 3, 1, 1)) return FALSE;
    PutHeaders(grid, PointsHeaders, units);
    PutNumberRows(grid, rows);
    FinishFill(grid);
    SizePointsGrid(grid);
    return TRUE;
}

BOOL FillRoughnessGrid(CGridCtrl& grid, const VQXCrossSection* section, const XSectionUnits& units)
{
    std::vector<std::array<double, 4>> rows;
    if (section) {
        for (const auto& r : section->RoughnessRows) rows.push_back({r.Elevation, r.LeftN, r.ChannelN, r.RightN});
    }
    if (!StartFill(grid, int(rows.size()) + 1, 5, 1, 1)) return FALSE;
    PutHeaders(grid, RoughnessHeaders, units);
    PutNumberRows(grid, rows);
    FinishFill(grid);
    SizeTableGrid(grid);
    return TRUE;
}

BOOL FillSinuosityGrid(CGridCtrl& grid, const VQXCrossSection* section, const XSectionUnits& units)
{
    std::vector<std::array<double, 2>> rows;
    if (section) {
        for (const auto& r : section->SinuosityRows) rows.push_back({r.Elevation, r.Sinuosity});
    }
    if (!StartFill(grid, int(rows.size()) + 1, 3, 1, 1)) return FALSE;
    PutHeaders(grid, SinuosityHeaders, units);
    PutNumberRows(grid, rows);
    FinishFill(grid);
    SizeTableGrid(grid);
    return TRUE;
}

BOOL FillPropertiesGrid(CGridCtrl& grid, const VQXCrossSection* section, const XSectionUnits& units)
{
    constexpr std::size_t Columns = std::size(PropertyColumns);
    std::vector<std::array<double, Columns>> rows;
    if (section) {
        for (const auto& level : section->PropertyRows) {
            std::array<double, Columns> values{};
            for (std::size_t c = 0; c < Columns; ++c) values[c] = level[std::size_t(PropertyColumns[c])];
            rows.push_back(values);
        }
    }
    if (!StartFill(grid, int(rows.size()) + 1, int(Columns) + 1, 1, 1)) return FALSE;
    PutHeaders(grid, PropertiesHeaders, units);
    PutNumberRows(grid, rows);
    for (int r = 0; r < grid.RowCount(); ++r) {
        for (int c = 0; c < grid.ColumnCount(); ++c) grid.SetCellState(r, c, grid.CellState(r, c) | CellStateReadOnly);
    }
    FinishFill(grid);
    SizePropertiesGrid(grid);
    return TRUE;
}

BOOL FillBankGrid(CGridCtrl& grid, const VQXCrossSection* section, const XSectionUnits& units)
{
    if (!StartFill(grid, 2, 2, 1, 0)) return FALSE;
    PutHeaders(grid, BankHeaders, units);
    const auto* left = section ? section->LeftBankPointRef() : nullptr;
    const auto* right = section ? section->RightBankPointRef() : nullptr;
    PutCell(grid, XSectionBankRow, XSectionLeftBankColumn, left ? FormatXSectionNumber(left->Station) : std::string());
    PutCell(grid, XSectionBankRow, XSectionRightBankColumn,
            right ? FormatXSectionNumber(right->Station) : std::string());
    FinishFill(grid);
    SizeBankGrid(grid);
    return TRUE;
}

BOOL SetEntryRows(CGridCtrl& grid, int entries)
{
    const int before = grid.RowCount();
    if (!grid.SetNumRows(entries + 1)) {
        AfxMessageBox(OutOfMemoryText, MB_OK | MB_ICONSTOP);
        return FALSE;
    }
    for (int r = before; r < grid.RowCount(); ++r) {
        for (int c = 0; c < grid.ColumnCount(); ++c)
            PutCell(grid, r, c, c == 0 ? RowNumber(r) : std::string(), NewRowFormat);
    }
    Refresh(grid);
    return TRUE;
}

void SizePointsGrid(CGridCtrl& grid)
{
    grid.FitAllToText();
    grid.StretchColumnsToWidth();
}

void SizeTableGrid(CGridCtrl& grid)
{
    grid.FitAllToText();
    grid.StretchLastColumn();
}

void SizePropertiesGrid(CGridCtrl& grid)
{
    grid.StretchColumnsToWidth();
}

void SizeBankGrid(CGridCtrl& grid)
{
    grid.StretchColumnsToWidth();
    grid.StretchRowsToHeight();
}
