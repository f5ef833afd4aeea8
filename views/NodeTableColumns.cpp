#include "views/NodeTableColumns.h"

#include "datalib/TextFormat.h"
#include "engine/EngineData.h"
#include "engine/WaterQualityFile.h"

#include <iterator>

namespace NodeTableColumns {

namespace {

// Every list starts with these: number, river station, section code, reach, easting,
// northing, station, invert, bed roughness, width Bws, hydro code, stage H, velocity,
// nodal discharge Qw, Qflux.
constexpr int BaseColumns[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 32, 12, 13};
// Ice concentration, solid ice, ice roughness, its mode, jam flag.
constexpr int StaticIceColumns[] = {19, 14, 15, 38, 39};
// Ice velocity, ice concentration, solid ice, ice roughness, its mode.
constexpr int DynamicIceColumns[] = {16, 19, 14, 15, 38};
// Solid ice, ice roughness and mode, the thermal values, border ice, zone, heat exchange,
// maximum Froude number.
constexpr int ThermalIceColumns[] = {14, 15, 38, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 36};
// DO, NH3, NO3, BOD, OP, PP.
constexpr int NutrientColumns[] = {41, 42, 43, 44, 45, 46};
// Cdw, Caw, Css, Cds, Cas, Ms.
constexpr int MetalColumns[] = {47, 48, 49, 50, 51, 52};
// The check variable, shown after the nutrients of an open-water model only.
constexpr int CheckVariableColumn = 40;

template <std::size_t N> void Append(std::vector<int>& ids, const int (&columns)[N])
{
    ids.insert(ids.end(), std::begin(columns), std::end(columns));
}

}  // namespace

std::vector<int> ColumnIds(int fileType, bool waterQualityLoaded, int wqType)
{
    std::vector<int> ids;
    Append(ids, BaseColumns);
    switch (fileType) {
    case FileTypeOpenWater: break;
    case FileTypeStaticIce: Append(ids, StaticIceColumns); break;
    case FileTypeDynamicIce: Append(ids, DynamicIceColumns); return ids;  // no water quality
    case FileTypeThermalIce: Append(ids, ThermalIceColumns); break;
    default: return ids;
    }
    if (!waterQualityLoaded) return ids;
    if (wqType == WQNutrients) {
        Append(ids, NutrientColumns);
        if (fileType == FileTypeOpenWater) ids.push_back(CheckVariableColumn);
    } else if (wqType == WQHeavyMetals || wqType == WQXenobiotics) {
        Append(ids, MetalColumns);
    }
    return ids;
}

std::optional<double> EditedCellValue(std::string_view text)
{
    if (text.find_first_not_of("0.") == std::string_view::npos) return 0.0;
    // The reader gives 0 for a text without a leading number and for one that reads infinite
    // or not a number: such texts are refused.
    const double value = VQXTextFormat::ParseLeadingDouble(text);
    if (value == 0.0) return std::nullopt;
    return value;
}

std::string CellText(double value, int decimals)
{
    std::string text;
    VQXTextFormat::AppendFixed(text, value, decimals);
    return text;
}

}  // namespace NodeTableColumns
