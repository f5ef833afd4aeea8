#include "views/XSectionTables.h"

#include "views/XSectionGrids.h"

#include "controls/GridCtrl.h"
#include "datalib/CrossSection.h"
#include "datalib/DisplayNode.h"
#include "datalib/ModelState.h"
#include "datalib/TextFormat.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

using VQXDisplayLib::VQXDisplayNode;
using VQXGeometryDataLib::VQXCrossSection;

namespace {

// The messages of Apply Changes, by the check that fails.
enum XSectionCheck {
    CheckBlankPoints,
    CheckStationOrder,
    CheckTooFewPoints,
    CheckBlankRoughness,
    CheckBlankSinuosity,
    CheckLeftBank,
    CheckRightBank,
    CheckBankOrder,
};
struct CheckMessage {
    XSectionCheck Check;
    const char* Text;
};
constexpr CheckMessage XSectionMessages[] = {
    {CheckBlankPoints, "One or more of the cross section entries are blank.\n Please ensure all cells have values."},
    {CheckStationOrder, "Station data from entry %d to entry %d are not in increasing order.\n"
                        "Please ensure that all sequential station entries are increasing."},
    {CheckTooFewPoints, "A cross section needs at least two station entries."},
    {CheckBlankRoughness,
     "One or more of the Roughness Table entries are blank.\n Please ensure all cells have values."},
    {CheckBlankSinuosity,
     "One or more of the Sinuosity Table entries are blank.\n Please ensure all cells have values."},
    {CheckLeftBank, "The left bank station does not correspond to a station entry in the cross section table.\n"},
    {CheckRightBank, "The right bank station does not correspond to a station entry in the cross section table.\n"},
    {CheckBankOrder, "The left bank station must be less than the right bank station."},
};

// The model state's refusals of a section, by its result code.
struct WriteMessage {
    int Result;
    const char* Text;
};
constexpr WriteMessage WriteMessages[] = {
    {ModelStateNotInEngine, "The cross section was not applied: its node is not in the model."},
    {ModelStateOverCapacity, "The cross section was not applied: it holds more entries than the model can take."},
    {ModelStateInvalidSection, "The cross section was not applied: it needs two station entries, two levels and a "
                               "row in each table."},
    {ModelStateNoMemory, "The cross section was not applied: out of memory."},
};

std::string MessageOf(XSectionCheck check)
{
    for (const CheckMessage& m : XSectionMessages) {
        if (m.Check == check) return m.Text;
    }
    return {};
}

std::string WriteMessageOf(int result)
{
    for (const WriteMessage& m : WriteMessages) {
        if (m.Result == result) return m.Text;
    }
    return "The cross section was not applied.";
}

// The order message with its two entries in place of the two "%d".
std::string OrderMessage(int first, int second)
{
    std::string text = MessageOf(CheckStationOrder);
    for (const int entry : {first, second}) {
        std::string number;
        VQXTextFormat::AppendInt(number, entry);
        const std::size_t at = text.find("%d");
        if (at != std::string::npos) text.replace(at, 2, number);
    }
    return text;
}

// A cell's number, read as the edits write it; a number that is not finite (no edit leaves
// one) reads as 0.
double Number(const CGridCtrl& grid, int row, int col)
{
    double value = 0.0;
    if (!VQXTextFormat::ReadLeadingDouble(grid.CellText(row, col), value)) value = 0.0;
    return value;
}

bool AnyBlank(const CGridCtrl& grid, int firstCol, int lastCol)
{
    for (int r = 1; r < grid.RowCount(); ++r) {
        for (int c = firstCol; c <= lastCol; ++c) {
            if (grid.CellText(r, c).empty()) return true;
        }
    }
    return false;
}

bool IsStation(const CGridCtrl& points, double station)
{
    for (int r = 1; r < points.RowCount(); ++r) {
        if (Number(points, r, XSectionStationColumn) == station) return true;
    }
    return false;
}

// The data cells of columns firstCol to lastCol turn black.
void Blacken(CGridCtrl& grid, int firstRow, int firstCol, int lastCol)
{
    for (int r = firstRow; r < grid.RowCount(); ++r) {
        for (int c = firstCol; c <= lastCol; ++c) grid.SetCellTextColor(r, c, XSectionAppliedColour);
    }
    if (grid.GetSafeHwnd()) grid.Invalidate();
}

}  // namespace

bool RewriteEditedCell(CGridCtrl& grid, int row, int col)
{
    double value = 0.0;
    if (!grid.IsValid(row, col) || !VQXTextFormat::ReadLeadingDouble(grid.CellText(row, col), value)) return false;
    grid.SetCellText(row, col, FormatXSectionNumber(value));
    grid.SetCellTextColor(row, col, XSectionEditedColour);
    grid.MarkModified(TRUE, row, col);
    return true;
}

std::string ValidateTables(const XSectionTables& t)
{
    const CGridCtrl& points = t.Points;
    if (AnyBlank(points, XSectionStationColumn, XSectionPointElevationColumn)) return MessageOf(CheckBlankPoints);
    for (int i = 2; i < points.RowCount(); ++i) {
        if (!(Number(points, i - 1, XSectionStationColumn) < Number(points, i, XSectionStationColumn)))
            return OrderMessage(i - 1, i);
    }
    if (points.RowCount() - 1 < VQXGeometryDataLib::SectionMinLevels) return MessageOf(CheckTooFewPoints);
    if (AnyBlank(t.Roughness, XSectionRoughnessElevationColumn, XSectionRightNColumn))
        return MessageOf(CheckBlankRoughness);
    if (AnyBlank(t.Sinuosity, XSectionSinuosityElevationColumn, XSectionSinuosityColumn))
        return MessageOf(CheckBlankSinuosity);
    const double left = Number(t.Banks, XSectionBankRow, XSectionLeftBankColumn);
    const double right = Number(t.Banks, XSectionBankRow, XSectionRightBankColumn);
    if (!IsStation(points, left)) return MessageOf(CheckLeftBank);
    if (!IsStation(points, right)) return MessageOf(CheckRightBank);
    if (!(left < right)) return MessageOf(CheckBankOrder);
    return {};
}

std::string ApplyTables(const XSectionTables& t, int levels, VQXDisplayNode& node, ModelState& state)
{
    auto section = std::make_unique<VQXCrossSection>();
    section->LeftBankStation = Number(t.Banks, XSectionBankRow, XSectionLeftBankColumn);
    section->RightBankStation = Number(t.Banks, XSectionBankRow, XSectionRightBankColumn);
    for (int r = 1; r < t.Points.RowCount(); ++r)
        section->AddPoint(Number(t.Points, r, XSectionStationColumn),
                          Number(t.Points, r, XSectionPointElevationColumn));
    for (int r = 1; r < t.Roughness.RowCount(); ++r) {
        section->AddRoughnessRow(
            Number(t.Roughness, r, XSectionRoughnessElevationColumn), Number(t.Roughness, r, XSectionChannelNColumn),
            Number(t.Roughness, r, XSectionLeftNColumn), Number(t.Roughness, r, XSectionRightNColumn));
    }
    for (int r = 1; r < t.Sinuosity.RowCount(); ++r) {
        section->SinuosityRows.push_back({Number(t.Sinuosity, r, XSectionSinuosityElevationColumn),
                                          Number(t.Sinuosity, r, XSectionSinuosityColumn)});
    }
    section->FindBankPoints();
    section->FindThalweg();
    const VQXGeometryDataLib::VQXSectionError built = section->BuildPropertyTable(levels);
    if (!built.Ok()) return built.Message;

    // The new section goes on the node for the write, and stays only when the engine took it.
    const int oldCode = node.SectionCode;
    const double oldInvert = node.Invert;
    std::swap(node.CrossSection, section);
    node.SectionCode = -levels;
    const int result = state.WriteCrossSectionToEngine(&node, nullptr);
    if (result != ModelStateOk) {
        std::swap(node.CrossSection, section);
        node.SectionCode = oldCode;
        node.Invert = oldInvert;
        return WriteMessageOf(result);
    }
    Blacken(t.Banks, XSectionBankRow, XSectionLeftBankColumn, XSectionRightBankColumn);
    Blacken(t.Points, 1, XSectionStationColumn, XSectionPointElevationColumn);
    Blacken(t.Roughness, 1, XSectionRoughnessElevationColumn, XSectionRightNColumn);
    Blacken(t.Sinuosity, 1, XSectionSinuosityElevationColumn, XSectionSinuosityColumn);
    return {};
}
