// A small river put straight into the engine data, for tests of the model state and the
// result files: four nodes (node 2 with a surveyed cross section), three elements, an upstream
// discharge hydrograph, a downstream stage hydrograph, a boundary element without a table, and
// for thermal models one atmospheric zone and one bridging event.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/ModelSetup.h"

namespace testmodel {

// Releases the last engine model a test built when the test program ends.
class ReleaseEngineAtExit : public ::testing::Environment {
public:
    void TearDown() override { ReleaseModel(); }
};
inline ::testing::Environment* const ReleaseEngine = ::testing::AddGlobalTestEnvironment(new ReleaseEngineAtExit);

inline void SetUnits(int unitSystem)
{
    ModelControl& mc = g_ModelControl;
    mc.UnitSystem = unitSystem;
    mc.DistanceFactor = unitSystem != 0 ? 1000.0 : 5280.0;
    mc.LengthFactor = unitSystem != 0 ? 1.0 : 0.3048;
}

inline CrossSectionTable* MakeSection(int sectionCode)
{
    auto* t = new CrossSectionTable();
    t->Points = {{0, 104.1}, {4.3, 101.7}, {9.9, 98.3}, {15.2, 97.9}, {21.7, 100.6}, {27.1, 104.4}};
    t->PointCount = static_cast<int>(t->Points.size());
    t->LeftBankStation = 4.3;
    t->RightBankStation = 21.7;
    t->RoughnessRowCount = 2;
    t->RoughnessRows[0][0] = 97.9; t->RoughnessRows[1][0] = 0.031; t->RoughnessRows[2][0] = 0.055; t->RoughnessRows[3][0] = 0.061;
    t->RoughnessRows[0][1] = 101.3; t->RoughnessRows[1][1] = 0.029; t->RoughnessRows[2][1] = 0.05; t->RoughnessRows[3][1] = 0.058;
    t->SinuosityRowCount = 1;
    t->SinuosityRows[0][0] = 97.9; t->SinuosityRows[1][0] = 1.07;
    BuildCrossSectionTable(t, sectionCode);
    return t;
}

inline BoundaryHydrograph* MakeHydrograph(NodeRecord* node, const std::vector<std::vector<double>>& rows)
{
    auto* h = new BoundaryHydrograph();
    h->Node = node;
    h->RowCount = static_cast<int>(rows.size());
    for (auto& c : h->Columns)
        c.assign(rows.size(), 0.0);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            h->Columns[c][r] = rows[r][c];
    return h;
}

// Builds the river in engine units. Values are chosen so that none is a round number in feet.
inline void Build(int fileType, int unitSystem)
{
    ReleaseModel();
    SetModelDefaults();
    SetUnits(unitSystem);
    ModelControl& mc = g_ModelControl;
    mc.FileType = fileType;
    mc.HydrodynamicsOn = 1;
    mc.DynamicIceOn = fileType == 2;
    mc.ThermalIceOn = fileType == 3;
    mc.ModelTime = 7200.0;
    mc.FinalTime = 7200.0 + 2592000.0;
    mc.DeltaT = 36.0;
    mc.MaxDeltaT = 90.0;
    const int start[6] = {2020, 1, 1, 10, 30, 0};
    std::memcpy(mc.StartDate, start, sizeof start);
    std::memcpy(mc.CurrentDate, start, sizeof start);
    mc.CurrentDate[3] = 12;

    const int nodes = 4;
    mc.NodeCount = mc.NodeBlockCount = nodes;
    g_NodeBlock.resize(nodes);
    for (int i = 0; i < nodes; ++i) {
        NodeRecord& n = g_NodeBlock[static_cast<std::size_t>(i)];
        SetNodeDefaults(&n);
        n.Number = 10 + i;
        n.Index = i;
        n.RiverStation = 1200.5 - 100.25 * i;
        n.Reach = i < 2 ? 1 : 2;
        n.Easting = 1000.123 + 333.7 * i;
        n.Northing = 2000.789 - 41.3 * i;
        n.Chainage = 1609.344 * i + 17.3;
        n.Invert = 98.37 - 0.41 * i;
        n.ManningN = 0.031;
        n.RectWidth = 23.7;
        n.TopWidth = 23.7;
        n.HydroCode = i == 1 || i == 3 ? 0 : 1;
        n.Stage = 101.23 - 0.27 * i;
        n.Discharge = 1.0 + 0.37 * i;
        n.FluxDischarge = n.Discharge * 1.01;
        n.Velocity = 0.61 + 0.01 * i;
        n.HydraulicDepth = n.Stage - n.Invert;
        n.PeakStage = n.Stage + 0.5;
        n.PeakFluxDischarge = n.FluxDischarge + 2.0;
        n.PeakStageTime = 1800.0;
        n.PeakFluxTime = 5400.0;
        n.IceConcentration = 0.25;
        n.FrazilConcentration = 0.0125;
        n.IceThickness = 0.37;
        n.SlushThickness = 0.11;
        n.WaterTemp = 0.013;
        n.BorderWidthLeft = 1.7;
        n.BorderWidthRight = 2.3;
        n.BorderFraction = 4.0 / 23.7;
        n.IceCoveredWidth = (1.0 - n.BorderFraction) * 23.7;
        n.SolidIceArea = 0.77;
        n.SlushArea = 0.31;
        n.IceRoughness = 0.023;
        n.IceManningN = 0.027;
        n.ZoneNumber = 1;
        for (int k = 0; k < 6; ++k) {
            n.WQValues[k] = 1.5 + k;
            n.MetalValues[k] = 0.25 + k;
        }
        n.GrossArea = (n.Stage - n.Invert) * n.RectWidth;
        n.HydroUnknowns[0] = n.GrossArea;
        n.HydroUnknowns[1] = n.Discharge;
        n.Next = i + 1 < nodes ? &g_NodeBlock[static_cast<std::size_t>(i + 1)] : nullptr;
        n.Previous = i > 0 ? &g_NodeBlock[static_cast<std::size_t>(i - 1)] : nullptr;
    }
    NodeRecord& sectionNode = g_NodeBlock[1];
    sectionNode.SectionCode = -12;
    sectionNode.CrossSection = MakeSection(-12);
    sectionNode.Invert = sectionNode.CrossSection->LowestElevation;
    g_Nodes = &g_NodeBlock[0];
    RebuildNodeIndex();

    mc.ElementCount = mc.ElementBlockCount = nodes - 1;
    g_ElementBlock.resize(nodes - 1);
    for (int i = 0; i + 1 < nodes; ++i) {
        ElementRecord& e = g_ElementBlock[static_cast<std::size_t>(i)];
        e.Number = i + 1;
        e.Nodes[0] = &g_NodeBlock[static_cast<std::size_t>(i)];
        e.Nodes[1] = &g_NodeBlock[static_cast<std::size_t>(i + 1)];
        e.Next = i + 2 < nodes ? &g_ElementBlock[static_cast<std::size_t>(i + 1)] : nullptr;
    }
    g_Elements = &g_ElementBlock[0];

    mc.BoundaryElementCount = mc.BoundaryElementBlockCount = 3;
    g_BoundaryElementBlock.resize(3);
    BoundaryElementRecord& up = g_BoundaryElementBlock[0];
    up.Number = 1;
    up.Node() = &g_NodeBlock[0];
    up.Position = -1;
    up.DischargeCode = 1;
    up.Hydrograph = MakeHydrograph(up.Node(), {{0, 0, 1.0, 0.1, 0.02, 0.005, 0.3, 0.07, 0.21},
                                               {3600, 0, 2.7, 0.2, 0.03, 0.006, 0.35, 0.08, 0.22},
                                               {7237, 0, 3.9, 0.3, 0.04, 0.007, 0.4, 0.09, 0.23}});
    BoundaryElementRecord& down = g_BoundaryElementBlock[1];
    down.Number = 2;
    down.Node() = &g_NodeBlock[static_cast<std::size_t>(nodes - 1)];
    down.Position = 1;
    down.StageCode = 1;
    down.Hydrograph = MakeHydrograph(down.Node(), {{0, 100.37}, {86400, 100.91}});
    BoundaryElementRecord& plain = g_BoundaryElementBlock[2];  // both codes 0: no table
    plain.Number = 3;
    plain.Node() = &g_NodeBlock[2];
    plain.Position = -1;
    up.Next = &down;
    down.Next = &plain;
    g_BoundaryElements = &up;

    mc.JunctionCount = mc.JunctionBlockCount = 0;

    if (fileType == 3) {
        g_AtmosphericZoneBlock.resize(MaxAtmosphericZones);
        for (int i = 0; i < MaxAtmosphericZones; ++i)
            g_AtmosphericZoneBlock[static_cast<std::size_t>(i)].Number = i + 1;
        AtmosphericZoneRecord& z = g_AtmosphericZoneBlock[0];
        z.RowCount = 2;
        z.Time = {0, 31536000};
        z.AirTemperature = {-12.5, -3.25};
        z.SolarRadiation = {0, 150};
        mc.AtmosphericZoneCount = 1;
        g_AtmosphericZones = &z;
        LinkNodesToZones();

        g_BridgingEventBlock.resize(MaxBridgingEvents);
        BridgingEventRecord& e = g_BridgingEventBlock[0];
        e.Number = 1;
        e.BridgingLocation = 3218.688;
        e.FrontLocation = 1609.344;
        e.StepStartFront = 1609.344;
        e.BridgingTime = 36000;
        e.FrontStation = 12.5;
        mc.BridgingEventCount = 1;
        g_BridgingEvents = &e;
    }
}

}  // namespace testmodel
