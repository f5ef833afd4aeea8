#include "datalib/DisplayNode.h"

#include <algorithm>
#include <string>

#include "datalib/TextFormat.h"
#include "datalib/Vocabulary.h"
#include "engine/EngineData.h"

namespace VQXDisplayLib {

using VQXVocabulary::Unit;
using VQXVocabulary::WaterQuality;

namespace {

// ---------------------------------------------------------------------------------------
// Plot variables
// ---------------------------------------------------------------------------------------
using PlotVariable = VQXVocabulary::Variable<VQXDisplayNode>;

#define VQX_FIELD(field) [](const VQXDisplayNode& n, int) { return static_cast<double>(n.field); }
#define VQX_WQ(k) {WaterQuality[k].Name, Unit::None, WaterQuality[k].Label}, [](const VQXDisplayNode& n, int) { return n.WQValues[k]; }

constexpr PlotVariable PlotVariables[PlotVariableCount] = {
    {{"Bed Elevation", Unit::Length, nullptr}, VQX_FIELD(Invert)},
    {{"Water Surface Elevation", Unit::Length, nullptr}, VQX_FIELD(Stage)},
    {{"Discharge", Unit::Discharge, nullptr},
     [](const VQXDisplayNode& n, int useFlux) { return useFlux != 0 ? n.FluxDischarge : n.Discharge; }},
    {{"Water Velocity", Unit::Velocity, nullptr}, VQX_FIELD(Velocity)},
    {{"Solid Ice Thickness", Unit::Length, nullptr}, VQX_FIELD(SolidIceThickness)},
    {{"Ice Velocity", Unit::Velocity, nullptr}, VQX_FIELD(IceVelocity)},
    {{"Surface Ice Concentration", Unit::None, VQXVocabulary::IceConcentrationLabel}, VQX_FIELD(IceConcentrationPercent)},
    {{"Water Temperature", Unit::None, VQXVocabulary::WaterTemperatureLabel}, VQX_FIELD(WaterTemperature)},
    {{"Suspended Frazil Concentration", Unit::None, VQXVocabulary::FrazilConcentrationLabel}, VQX_FIELD(FrazilPercent)},
    {{"Anchor Ice Thickness", Unit::Length, nullptr}, VQX_FIELD(AnchorIceThickness)},
    {{"Frazil Slush Thickness", Unit::Length, nullptr}, VQX_FIELD(SlushThickness)},
    {{"Border Ice Fraction", Unit::None, nullptr}, VQX_FIELD(BorderIceFraction)},
    {{"Border Ice Width", Unit::Length, nullptr}, VQX_FIELD(BorderIceWidth)},
    {{"Air Temperature", Unit::None, VQXVocabulary::AirTemperatureLabel}, VQX_FIELD(AirTemperature)},
    {{"Depth of Flow (Dw)", Unit::Length, nullptr}, VQX_FIELD(Depth)},
    {{"Atmospheric Zone Number", Unit::None, nullptr}, VQX_FIELD(ZoneNumber)},
    {VQX_WQ(0)}, {VQX_WQ(1)}, {VQX_WQ(2)}, {VQX_WQ(3)}, {VQX_WQ(4)}, {VQX_WQ(5)},
    {VQX_WQ(6)}, {VQX_WQ(7)}, {VQX_WQ(8)}, {VQX_WQ(9)}, {VQX_WQ(10)}, {VQX_WQ(11)},
    {{"Check Variable", Unit::None, nullptr}, VQX_FIELD(CheckVariable)},
    {{"Froude Number", Unit::None, nullptr}, VQX_FIELD(Froude)},
};

#undef VQX_WQ
#undef VQX_FIELD

// ---------------------------------------------------------------------------------------
// Node-table columns
// ---------------------------------------------------------------------------------------
enum class Field { Real, Integer, WaterQuality, SectionCode, ZoneNumber, Empty };

// When the node table shows a column's cell read-only.
enum class ReadOnly { Never, Always, WhenSectioned, WhenIceRoughnessMode, UnlessDynamicIce };

struct Column {
    const char* Title;  // with TitleUnit not None: the title before its unit suffix
    Unit TitleUnit;
    Field Kind;
    double VQXDisplayNode::*Real;
    int VQXDisplayNode::*Integer;
    int WQ;
    int Decimals;
    ReadOnly Rule;
};

constexpr Column Real(const char* title, Unit unit, double VQXDisplayNode::*field, int decimals,
                      ReadOnly rule = ReadOnly::Never)
{
    return {title, unit, Field::Real, field, nullptr, 0, decimals, rule};
}

constexpr Column Integer(const char* title, int VQXDisplayNode::*field, ReadOnly rule = ReadOnly::Never)
{
    return {title, Unit::None, Field::Integer, nullptr, field, 0, 0, rule};
}

constexpr Column Quality(int k, int decimals, ReadOnly rule)
{
    return {WaterQuality[k].Label, Unit::None, Field::WaterQuality, nullptr, nullptr, k, decimals, rule};
}

constexpr Column Special(const char* title, Field kind, int decimals)
{
    return {title, Unit::None, kind, nullptr, nullptr, 0, decimals, ReadOnly::Never};
}

using N = VQXDisplayNode;

constexpr Column Columns[NodeColumnCount] = {
    Integer("Node #", &N::Number),
    Real("HEC-RAS RS", Unit::None, &N::RiverStation, 2),
    Special("Section Code", Field::SectionCode, 0),
    Integer("Reach #", &N::Reach),
    Real("Easting", Unit::Length, &N::Easting, 3),
    Real("Northing", Unit::Length, &N::Northing, 3),
    Real("Station", Unit::Station, &N::Station, 3),
    Real("Channel Invert", Unit::Length, &N::Invert, 3, ReadOnly::WhenSectioned),
    Real("Bed Roughness", Unit::None, &N::BedRoughness, 3, ReadOnly::WhenSectioned),
    Real("Bws", Unit::Length, &N::Width, 3, ReadOnly::WhenSectioned),
    Integer("Hydro Code", &N::HydroCode),
    Real("H", Unit::Length, &N::Stage, 3),
    Real("Nodal Qw", Unit::Discharge, &N::Discharge, 5),
    Real("Qflux", Unit::Discharge, &N::FluxDischarge, 5, ReadOnly::Always),
    Real("Solid Ice Thickness", Unit::Length, &N::SolidIceThickness, 3),
    Real("Ice Roughness", Unit::None, &N::IceRoughness, 3, ReadOnly::WhenIceRoughnessMode),
    Real("Ice Velocity", Unit::Velocity, &N::IceVelocity, 5, ReadOnly::UnlessDynamicIce),
    Real(VQXVocabulary::WaterTemperatureLabel, Unit::None, &N::WaterTemperature, 5),
    Real(VQXVocabulary::FrazilConcentrationLabel, Unit::None, &N::FrazilPercent, 5),
    Real(VQXVocabulary::IceConcentrationLabel, Unit::None, &N::IceConcentrationPercent, 5),
    Real("Anchor Ice Thickness", Unit::Length, &N::AnchorIceThickness, 3),
    Real("Frazil Slush Thickness", Unit::Length, &N::SlushThickness, 3),
    Real("Border Ice Fraction", Unit::None, &N::BorderIceFraction, 5, ReadOnly::Always),
    Real("Max Border Ice Thickness", Unit::Length, &N::MaxBorderIceThickness, 3),
    Real("LDB Border Ice Width", Unit::Length, &N::LeftBorderWidth, 3),
    Real("RDB Border Ice Width", Unit::Length, &N::RightBorderWidth, 3),
    Special("Atmospheric Zone Number", Field::ZoneNumber, 0),
    Real("hwa (W/Sq m/\xB0" "C)", Unit::None, &N::Hwa, 3),
    Real("jwa (W/Sq m/\xB0" "C)", Unit::None, &N::Jwa, 3),
    Real("kwa (W/Sq m/\xB0" "C)", Unit::None, &N::Kwa, 3),
    Real("hia (W/Sq m/\xB0" "C)", Unit::None, &N::Hia, 3),
    Real(VQXVocabulary::AirTemperatureLabel, Unit::None, &N::AirTemperature, 5, ReadOnly::Always),
    Real("Water Velocity", Unit::Velocity, &N::Velocity, 3, ReadOnly::Always),
    Special("empty", Field::Empty, 3),
    Special("empty", Field::Empty, 3),
    Integer("Overbank?", &N::OverbankFlag, ReadOnly::Always),
    Real("Max Froude", Unit::None, &N::MaxFroude, 3),
    Real("Depth of Flow", Unit::Length, &N::Depth, 3, ReadOnly::Always),
    Integer("Ice Roughness Mode", &N::IceRoughnessMode),
    Integer("Jam Flag", &N::JamFlag),
    Real("Check Variable", Unit::None, &N::CheckVariable, 5),
    Quality(0, 5, ReadOnly::Never),
    Quality(1, 5, ReadOnly::Never),
    Quality(2, 5, ReadOnly::Never),
    Quality(3, 5, ReadOnly::Never),
    Quality(4, 5, ReadOnly::Never),
    Quality(5, 5, ReadOnly::Never),
    Quality(6, 10, ReadOnly::Always),
    Quality(7, 10, ReadOnly::Always),
    Quality(8, 5, ReadOnly::Always),
    Quality(9, 10, ReadOnly::Always),
    Quality(10, 10, ReadOnly::Always),
    Quality(11, 5, ReadOnly::Always),
};

const Column* ColumnAt(int column)
{
    if (column < 0 || column >= NodeColumnCount)
        return nullptr;
    return &Columns[column];
}

}  // namespace

double VQXDisplayNode::GetPlotValue(int variable, int useFlux) const
{
    return VQXVocabulary::VariableValue(PlotVariables, *this, variable, useFlux);
}

int VQXDisplayNode::FindPlotVariable(const char* name)
{
    return VQXVocabulary::FindVariable(PlotVariables, name);
}

const char* VQXDisplayNode::PlotVariableName(int variable)
{
    return VQXVocabulary::VariableName(PlotVariables, variable);
}

void VQXDisplayNode::FormatPlotVariableLabel(int variable, std::span<char> buffer, int units)
{
    VQXVocabulary::FormatVariableLabel(PlotVariables, variable, buffer, units);
}

double VQXDisplayNode::GetColumnValue(int column) const
{
    const Column* c = ColumnAt(column);
    if (c == nullptr)
        return 0.0;
    switch (c->Kind) {
    case Field::Real: return this->*(c->Real);
    case Field::Integer: return this->*(c->Integer);
    case Field::WaterQuality: return WQValues[c->WQ];
    case Field::SectionCode: return -static_cast<double>(SectionCode);
    case Field::ZoneNumber: return ZoneNumber;
    case Field::Empty: break;
    }
    return 0.0;
}

void VQXDisplayNode::SetColumnValue(int column, std::string_view text)
{
    const Column* c = ColumnAt(column);
    if (c == nullptr)
        return;
    switch (c->Kind) {
    case Field::Real: this->*(c->Real) = VQXTextFormat::ParseLeadingDouble(text); break;
    case Field::Integer: this->*(c->Integer) = VQXTextFormat::ParseLeadingInt(text); break;
    case Field::WaterQuality: WQValues[c->WQ] = VQXTextFormat::ParseLeadingDouble(text); break;
    case Field::SectionCode: ApplySectionCode(VQXTextFormat::ParseLeadingInt(text)); break;
    case Field::ZoneNumber: {
        int zone = VQXTextFormat::ParseLeadingInt(text);
        if (zone <= 0)
            zone = 1;
        if (zone > ZoneCount)
            zone = ZoneCount;
        ZoneNumber = zone;
        break;
    }
    case Field::Empty: break;
    }
}

int VQXDisplayNode::ColumnDecimals(int column)
{
    const Column* c = ColumnAt(column);
    return c == nullptr ? 0 : c->Decimals;
}

void VQXDisplayNode::FormatColumnTitle(int column, std::span<char> buffer, int metric)
{
    const Column* c = ColumnAt(column);
    if (c == nullptr)
        return;
    std::string title = c->Title;
    title += VQXVocabulary::UnitSuffix(c->TitleUnit, metric != 0);
    VQXTextFormat::CopyToBuffer(buffer, title);
}

bool VQXDisplayNode::IsColumnReadOnly(int column, int fileType) const
{
    const Column* c = ColumnAt(column);
    if (c == nullptr)
        return false;
    switch (c->Rule) {
    case ReadOnly::Never: return false;
    case ReadOnly::Always: return true;
    case ReadOnly::WhenSectioned: return SectionCode != 0;
    case ReadOnly::WhenIceRoughnessMode: return IceRoughnessMode != 0;
    case ReadOnly::UnlessDynamicIce: return fileType != FileTypeDynamicIce;
    }
    return false;
}

void VQXDisplayNode::FormatCaption(std::span<char> buffer, int metric) const
{
    std::string text;
    VQXTextFormat::AppendInt(text, Number);
    text += ", RS ";
    VQXTextFormat::AppendFixed(text, RiverStation, 2);
    text += ", x = ";
    VQXTextFormat::AppendFixed(text, Station, 3);
    text += metric != 0 ? " km" : " mi";
    VQXTextFormat::CopyToBuffer(buffer, text);
}

void VQXDisplayNode::ApplySectionCode(int n)
{
    if (n < VQXGeometryDataLib::SectionMinLevels) {
        SectionCode = 0;
        CrossSection.reset();
        return;
    }
    const int levels = std::min(n, VQXGeometryDataLib::SectionMaxLevels);
    SectionCode = -levels;
    if (!CrossSection) {
        CrossSection = std::make_unique<VQXGeometryDataLib::VQXCrossSection>();
        CrossSection->SetDefaultShape(Invert, Width);
    }
    CrossSection->FindBankPoints();
    CrossSection->FindThalweg();
    CrossSection->BuildPropertyTable(levels);
}

}  // namespace VQXDisplayLib
