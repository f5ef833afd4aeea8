// The display node: a node's values in display units as the views, the node table and the
// editor dialogs read them, with the plot variables and the node-table columns.
#pragma once

#include <span>
#include <string_view>

#include "datalib/GeometryData.h"
#include "datalib/TimeSeries.h"

namespace VQXDisplayLib {

class VQXAtmosphericZone;

// Plot-variable indices, in the order of the plot-variable table (GetPlotValue,
// PlotVariableName). The twelve water-quality values run from PlotDO in the order of
// VQXTimeSeriesEntry::WQValues.
enum VQXPlotVariableId {
    PlotNone = -1,  // no variable: an empty label, the value 0
    PlotBedElevation = 0,
    PlotWaterSurfaceElevation,
    PlotDischarge,
    PlotWaterVelocity,
    PlotSolidIceThickness,
    PlotIceVelocity,
    PlotSurfaceIceConcentration,
    PlotWaterTemperature,
    PlotSuspendedFrazilConcentration,
    PlotAnchorIceThickness,
    PlotFrazilSlushThickness,
    PlotBorderIceFraction,
    PlotBorderIceWidth,
    PlotAirTemperature,
    PlotDepthOfFlow,
    PlotAtmosphericZoneNumber,
    PlotDO,
    PlotNH3,
    PlotNO3,
    PlotBOD,
    PlotOP,
    PlotPP,
    PlotCdw,
    PlotCaw,
    PlotCss,
    PlotCds,
    PlotCas,
    PlotMs,
    PlotCheckVariable,
    PlotFroudeNumber,
};

inline constexpr int PlotVariableCount = PlotFroudeNumber + 1;
inline constexpr int NodeColumnCount = 53;

// Node-table column ids with a rule of their own.
enum VQXNodeColumnId {
    ColumnNodeNumber = 0,
    ColumnSectionCode = 2,
    ColumnZoneNumber = 26,
};

class VQXDisplayNode : public VQXGeometryDataLib::VQXNode {
public:
    double RiverStation = 0.0;   // HEC-RAS river station
    double Depth = 0.0;          // depth of flow
    double Discharge = 0.0;      // nodal discharge Qw
    double FluxDischarge = 0.0;  // discharge from the element fluxes, Qflux
    double Stage = 0.0;          // water-surface elevation H
    double Velocity = 0.0;
    double BedRoughness = 0.0;   // Manning's n of a rectangular channel
    int HydroCode = 1;           // 0 marks an output node
    int OverbankFlag = 0;
    double PeakStage = 0.0;
    double PeakStageTime = 0.0;  // h
    double PeakDischarge = 0.0;  // highest Qflux
    double PeakDischargeTime = 0.0;
    double IceVelocity = 0.0;
    double WaterTemperature = 0.0;
    double FrazilPercent = 0.0;
    double IceConcentrationPercent = 0.0;
    double AnchorIceThickness = 0.0;
    double SlushThickness = 0.0;  // frazil slush thickness
    double SolidIceThickness = 0.0;
    double BorderIceFraction = 0.0;
    double BorderIceWidth = 0.0;    // sum of the two border widths
    double LeftBorderWidth = 0.0;   // at the left bank (LDB)
    double RightBorderWidth = 0.0;  // at the right bank (RDB)
    double MaxBorderIceThickness = 0.0;
    double LeftBorderEdge = 0.0;    // stations of the border-ice edges
    double RightBorderEdge = 0.0;
    double IceRoughness = 0.0;      // Manning's n of the ice underside
    double AirTemperature = 0.0;
    int ZoneNumber = 0;
    int ZoneCount = 0;              // zones of the model, the bound of ZoneNumber
    double Hwa = 0.0, Kwa = 0.0, Jwa = 0.0, Hia = 0.0;  // heat exchange, W/m2/degC
    double MaxFroude = 0.158;
    double IceTopElevation = 0.0;
    double SlushTopElevation = 0.0;
    double SlushBottomElevation = 0.0;
    double IceBottomElevation = 0.0;
    double AnchorBedElevation = 0.0;
    int IceRoughnessMode = 0;
    int JamFlag = 0;                // 1: the node takes part in the ice-jam solution
    double CheckVariable = 0.0;     // the engine's count of negative-area updates
    double Froude = 0.0;
    double WQValues[12] = {};       // in the order of VQXTimeSeriesEntry
    VQXNodeHistory History;         // the node's result history
    VQXAtmosphericZone* Zone = nullptr;  // not owned

    // The value of plot variable 0..29; variable 2 (discharge) gives FluxDischarge when
    // useFlux is non-zero, else Discharge; any other variable gives 0.
    double GetPlotValue(int variable, int useFlux) const;

    // The index of the plot variable whose name equals name exactly, or -1.
    static int FindPlotVariable(const char* name);
    // The name of plot variable 0..29, or null.
    static const char* PlotVariableName(int variable);
    // Writes the label of a plot variable: length, discharge and velocity variables take
    // the metric unit for units 1, the imperial for 0 and none otherwise; variables with
    // one labelled form give the bare name for -1 and that form otherwise; the others are
    // always bare. Variable -1 (any negative) gives an empty text; a variable above 29
    // leaves the buffer as it was.
    static void FormatPlotVariableLabel(int variable, std::span<char> buffer, int units);

    // Node-table columns 0..52. A column outside that range gives 0 and 0 decimals, changes
    // nothing when set and leaves a title buffer as it was.
    double GetColumnValue(int column) const;
    // Parses text (its leading number; int columns their leading integer) into the column's
    // field. The section-code column rebuilds or removes the cross section; the zone column
    // is bounded by 1 and ZoneCount.
    void SetColumnValue(int column, std::string_view text);
    static int ColumnDecimals(int column);
    static void FormatColumnTitle(int column, std::span<char> buffer, int metric);
    // Whether the node table shows this node's cell of a column read-only.
    bool IsColumnReadOnly(int column, int fileType) const;

    // "%d, RS %.2f, x = %.3f km" (mi when metric is 0) of Number, RiverStation and Station.
    void FormatCaption(std::span<char> buffer, int metric) const;

    // Applies a typed section code n: below 2 the node becomes rectangular; otherwise it
    // gets a property table of n levels (at most 300), with the default section shape
    // when it has none yet.
    void ApplySectionCode(int n);
};

}  // namespace VQXDisplayLib
