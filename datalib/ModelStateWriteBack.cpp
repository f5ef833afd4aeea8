// The model state: edits of the display model written back into the engine records.
#include "datalib/ModelState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "datalib/ModelStateRecords.h"
#include "engine/Hydraulics.h"
#include "engine/IceFront.h"
#include "engine/ThermalIce.h"
#include "engine/Units.h"
#include "engine/WaterQuality.h"
#include "engine/WaterQualityFile.h"

using namespace VQXDisplayLib;
using namespace ModelStateRecords;

int ModelState::WriteNodeToEngine(VQXDisplayNode* d)
{
    if (d == nullptr)
        return ModelStateNotInEngine;
    NodeRecord* n = EngineNodeByNumber(d->Number, d->Index);
    if (n == nullptr)
        return ModelStateNotInEngine;
    const ModelControl& mc = g_ModelControl;

    bool sectionChanged = false;
    if (d->SectionCode != n->SectionCode) {
        const int result = WriteCrossSectionToEngine(d, n);
        if (result != ModelStateOk)
            return result;
        sectionChanged = true;
    }
    n->RiverStation = d->RiverStation;

    PutInt(n->Reach, d->Reach);
    PutLength(n->Easting, d->Easting);
    PutLength(n->Northing, d->Northing);
    PutStation(n->Chainage, d->Station);
    PutInt(n->HydroCode, d->HydroCode);
    PutPlain(n->ManningN, d->BedRoughness);
    // The water-surface width the ice lies on changes with a rectangle's width and with the
    // stage of a section, as a read of the node gives it.
    bool widthChanged = false;
    if (d->SectionCode == 0) {
        // A rectangular node shows its water-surface width, which is its channel width; a node
        // that has just become rectangular takes the width shown as its channel width.
        if (sectionChanged || !Same(d->Width, Len(n->TopWidth))) {
            n->RectWidth = n->TopWidth = LengthToEngine(d->Width);
            n->MinFlowArea = n->RectWidth * mc.MinWaterDepth;
            widthChanged = true;
        }
        PutLength(n->Invert, d->Invert);
    }

    const bool stageChanged = !Same(d->Stage, Len(n->Stage));
    if (stageChanged) {
        n->Stage = LengthToEngine(d->Stage);
        double area;
        if (HasSection(*n) && n->CrossSection->LevelCount > 0) {
            const CrossSectionTable& t = *n->CrossSection;
            area = InterpolateTable(t.Column(StageLevel), t.Column(TotalArea), n->Stage, t.LevelCount);
            n->TopWidth = InterpolateTable(t.Column(TotalArea), t.Column(ChannelWidth), area, t.LevelCount);
            widthChanged = true;
        } else {
            area = (n->Stage - n->Invert) * n->RectWidth;
        }
        n->GrossArea = area;
        n->HydroUnknowns[0] = area;
    }
    if (!Same(d->Discharge, DischargeToDisplay(n->Discharge))) {
        n->Discharge = DischargeToEngine(d->Discharge);
        n->HydroUnknowns[1] = n->Discharge;
    }

    bool layers = false;

    if (mc.FileType == FileTypeStaticIce) {
        const bool concentration = PutPercent(n->IceConcentration, d->IceConcentrationPercent);
        bool thickness = false;
        if (!Same(d->SolidIceThickness, Len(n->IceThickness))) {
            n->IceThickness = LengthToEngine(d->SolidIceThickness);
            thickness = true;
        }
        if (!Same(d->IceRoughness, n->IceManningN))
            n->IceRoughness = d->IceRoughness;
        n->IceRoughnessMode = d->IceRoughnessMode;
        if (concentration || thickness)
            n->SolidIceArea = n->IceThickness * n->IceConcentration * n->IceCoveredWidth;
        n->JamFlag = d->JamFlag;
        layers = thickness;
    } else if (mc.FileType == FileTypeThermalIce) {
        bool changed = false;
        const bool thickness = PutLength(n->IceThickness, d->SolidIceThickness);
        if (!Same(d->IceRoughness, n->IceManningN)) {
            n->IceRoughness = d->IceRoughness;
            changed = true;
        }
        changed |= PutInt(n->IceRoughnessMode, d->IceRoughnessMode);
        const bool temperature = PutPlain(n->WaterTemp, d->WaterTemperature);
        const bool frazil = PutPercent(n->FrazilConcentration, d->FrazilPercent);
        const bool concentration = PutPercent(n->IceConcentration, d->IceConcentrationPercent);
        const bool anchor = PutLength(n->AnchorIceThickness, d->AnchorIceThickness);
        changed |= anchor;
        const bool slush = PutLength(n->SlushThickness, d->SlushThickness);
        bool borders = PutLength(n->BorderWidthLeft, d->LeftBorderWidth);
        borders = PutLength(n->BorderWidthRight, d->RightBorderWidth) || borders;
        const double w = n->TopWidth;
        borders = borders || widthChanged;
        if (borders) {
            SetBorderIceFraction(n, w);
            n->IceCoveredWidth = (1.0 - n->BorderFraction) * w;
        }
        // Derived areas follow only the values they are made of, so an unedited node keeps
        // the areas it was read or solved with.
        if (slush || concentration || borders)
            n->SlushArea = n->SlushThickness * n->IceConcentration * n->IceCoveredWidth;
        if (thickness || concentration || borders)
            n->SolidIceArea = n->IceConcentration * n->IceThickness * n->IceCoveredWidth;
        // Anchor ice is kept as its area, over the perimeter of the bed under the water and the
        // solid anchor ice (the gross area less the floating ice), as the model file keeps it.
        if (anchor) {
            const double floating = std::max(0.0, n->BorderIceArea + (1.0 - mc.FrazilSlushPorosity) * n->SlushArea +
                                                      n->SolidIceArea);
            n->WettedPerimeter = ComputeBedPerimeterUnder(n, n->GrossArea - mc.IceSpecificGravity * floating);
            n->AnchorIceArea = n->AnchorIceThickness * n->WettedPerimeter * mc.AnchorIceBedFraction;
        }
        if (temperature || frazil)
            n->ThermalEnergy = ComputeNodeThermalEnergy(n->WaterTemp, n->FrazilConcentration);
        // The thicknesses the areas give, as a read of the node derives them (the slush under
        // the cover and the border ice keep their areas over a changed width).
        layers = thickness || anchor || slush || borders;
        if (layers)
            ComputeIceThicknessesFromAreas(n);
        if (d->ZoneNumber != n->ZoneNumber) {
            n->ZoneNumber = d->ZoneNumber;
            if (n->ZoneNumber < 1)
                n->Zone = nullptr;
            else if (AtmosphericZoneRecord* z = EngineZoneByNumber(n->ZoneNumber); z != nullptr)
                n->Zone = z;
            changed = true;
        }
        changed |= PutPlain(n->Hwa, d->Hwa);
        changed |= PutPlain(n->Jwa, d->Jwa);
        changed |= PutPlain(n->Kwa, d->Kwa);
        changed |= PutPlain(n->Hia, d->Hia);
        changed |= PutPlain(n->FroudeMax, d->MaxFroude);
        if (changed || thickness || temperature || frazil || concentration || slush || borders) {
            n->ThermalUnknowns[0] = n->ThermalEnergy;
            n->ThermalUnknowns[1] = n->FrazilConcentration;
            n->ThermalUnknowns[3] = n->IceConcentration;
            n->ThermalUnknowns[4] = n->SlushArea;
            n->ThermalUnknowns[5] = n->SolidIceArea;
        }
    }

    if (WQLoaded) {
        if (WQType == WQNutrients)
            for (int k = 0; k < 6; ++k)
                PutPlain(n->WQValues[k], d->WQValues[k]);
        else if (WQType == WQHeavyMetals || WQType == WQXenobiotics)
            for (int k = 0; k < 6; ++k)
                PutPlain(n->MetalValues[k], d->WQValues[k + 6]);
    }

    // The ice layers follow the thicknesses and the stage they are made of, as they do when the
    // node is read and the model initialised.
    if (mc.FileType != FileTypeOpenWater && (layers || stageChanged)) {
        ComputeIceLayersFromThicknesses(n);
        UpdateNodeIceElevations(n);
    }
    return ModelStateOk;
}

int ModelState::WriteBridgingEventToEngine(const VQXBridgingEvent* d)
{
    if (d == nullptr)
        return ModelStateNotInEngine;
    int count = 0;
    for (BridgingEventRecord* e = g_BridgingEvents; e != nullptr && count < g_ModelControl.BridgingEventCount;
         e = e->Next, ++count) {
        if (e->Number != d->Number)
            continue;
        e->BridgingLocation = StationToEngine(d->BridgingLocation);
        e->FrontLocation = StationToEngine(d->FrontLocation);
        e->BridgingTime = HoursToSeconds(d->BridgingTime);
        return ModelStateOk;
    }
    return ModelStateNotInEngine;
}

int ModelState::WriteBedRoughnessToEngine(VQXDisplayNode* d)
{
    NodeRecord* n = d != nullptr ? EngineNodeByNumber(d->Number, d->Index) : nullptr;
    if (n == nullptr)
        return ModelStateNotInEngine;
    PutPlain(n->ManningN, d->BedRoughness);
    return ModelStateOk;
}

int ModelState::WriteCrossSectionToEngine(VQXDisplayNode* d, NodeRecord* n)
{
    if (d == nullptr)
        return ModelStateNotInEngine;
    if (n == nullptr)
        n = EngineNodeByNumber(d->Number, d->Index);
    if (n == nullptr)
        return ModelStateNotInEngine;

    const VQXCrossSection* cs = d->CrossSection.get();
    if (cs == nullptr) {
        n->SectionCode = d->SectionCode;
        delete n->CrossSection;
        n->CrossSection = nullptr;
        return ModelStateOk;
    }
    // The engine's table has fixed room; a section beyond it is refused whole.
    const int levels = d->SectionCode < 0 ? -d->SectionCode : d->SectionCode;
    const int points = static_cast<int>(cs->Points.size());
    const int roughness = static_cast<int>(cs->RoughnessRows.size());
    const int sinuosity = static_cast<int>(cs->SinuosityRows.size());
    if (points > MaxSectionPoints || roughness > MaxRoughnessRows || sinuosity > MaxSinuosityRows ||
        levels > MaxSectionLevels)
        return ModelStateOverCapacity;
    if (points < 2 || roughness < 1 || sinuosity < 1 || levels < 2)
        return ModelStateInvalidSection;

    CrossSectionTable* t = n->CrossSection;
    if (t == nullptr) {
        t = new (std::nothrow) CrossSectionTable();
        if (t == nullptr)
            return ModelStateNoMemory;
        n->CrossSection = t;
    }
    n->SectionCode = d->SectionCode;
    t->PointCount = points;
    PutLength(t->LeftBankStation, cs->LeftBankStation);
    PutLength(t->RightBankStation, cs->RightBankStation);
    t->Points.resize(static_cast<std::size_t>(points), SectionPoint{0.0, 0.0});
    for (int i = 0; i < points; ++i) {
        SectionPoint& p = t->Points[static_cast<std::size_t>(i)];
        PutLength(p.Station, cs->Points[static_cast<std::size_t>(i)].Station);
        PutLength(p.Elevation, cs->Points[static_cast<std::size_t>(i)].Elevation);
    }
    t->RoughnessRowCount = roughness;
    for (int i = 0; i < MaxRoughnessRows; ++i) {
        if (i >= roughness) {
            for (auto& column : t->RoughnessRows)
                column[i] = 0.0;
            continue;
        }
        const auto& r = cs->RoughnessRows[static_cast<std::size_t>(i)];
        PutLength(t->RoughnessRows[0][i], r.Elevation);
        t->RoughnessRows[1][i] = r.ChannelN;
        t->RoughnessRows[2][i] = r.LeftN;
        t->RoughnessRows[3][i] = r.RightN;
    }
    t->SinuosityRowCount = sinuosity;
    for (int i = 0; i < MaxSinuosityRows; ++i) {
        if (i >= sinuosity) {
            t->SinuosityRows[0][i] = t->SinuosityRows[1][i] = 0.0;
            continue;
        }
        const auto& r = cs->SinuosityRows[static_cast<std::size_t>(i)];
        PutLength(t->SinuosityRows[0][i], r.Elevation);
        t->SinuosityRows[1][i] = r.Sinuosity;
    }
    BuildCrossSectionTable(t, n->SectionCode);
    n->Invert = t->LowestElevation;
    n->MinFlowArea = ComputeMinimumFlowArea(n);
    // The display's bed follows the new table, as a read of the node gives it.
    d->Invert = Len(n->Invert);
    return ModelStateOk;
}

int ModelState::WriteBoundarySeriesToEngine(VQXDisplayBoundaryElement* d)
{
    if (d == nullptr)
        return ModelStateNotInEngine;
    BoundaryElementRecord* b = EngineBoundaryByNumber(d->Number);
    if (b == nullptr)
        return ModelStateNotInEngine;
    const VQXTimeSeries& series = d->FlowSeries;
    // An element without a table (both codes 0) gets one only when there is something to keep.
    int status = ModelStateOk;
    BoundaryHydrograph* table = SizeBoundaryTable(b, &BoundaryElementRecord::Hydrograph, series.size(), &status);
    if (table == nullptr)
        return status;
    BoundaryHydrograph& h = *table;
    const int rows = h.RowCount;
    const bool inflow = d->Kind == 0 || d->Kind == 1;
    for (int i = 0; i < rows; ++i) {
        const std::size_t r = static_cast<std::size_t>(i);
        const VQXTimeSeriesEntry& e = series[r];
        PutTime(h.Columns[0][r], e.Time);
        PutDischarge(h.Columns[2][r], e.Discharge);
        if (inflow) {
            if (FileType == FileTypeThermalIce) {
                PutLength(h.Columns[3][r], e.IceVelocity);
                PutPlain(h.Columns[4][r], e.WaterTemperature);
                PutPercent(h.Columns[5][r], e.FrazilConcentration);
                PutPercent(h.Columns[6][r], e.IceConcentration);
                PutLength(h.Columns[7][r], e.SlushThickness);
                PutLength(h.Columns[8][r], e.SolidIceThickness);
            }
        } else {
            PutLength(h.Columns[1][r], e.Stage);
        }
    }
    ResetCursorOutside(h);
    return ModelStateOk;
}

int ModelState::WriteZoneSeriesToEngine(VQXAtmosphericZone* zone)
{
    if (zone == nullptr)
        return ModelStateNotInEngine;
    AtmosphericZoneRecord* z = EngineZoneByNumber(zone->Number);
    if (z == nullptr)
        return ModelStateNotInEngine;
    if (zone->Series.size() > static_cast<std::size_t>(MaxSeriesEntries))
        return ModelStateOverCapacity;
    const int rows = static_cast<int>(zone->Series.size());
    ResizeColumn(z->Time, rows);
    ResizeColumn(z->AirTemperature, rows);
    ResizeColumn(z->SolarRadiation, rows);
    z->RowCount = rows;
    for (int i = 0; i < rows; ++i) {
        const std::size_t r = static_cast<std::size_t>(i);
        PutTime(z->Time[r], zone->Series[r].Time);
        PutPlain(z->AirTemperature[r], zone->Series[r].AirTemperature);
        PutPlain(z->SolarRadiation[r], zone->Series[r].SolarRadiation);
    }
    return ModelStateOk;
}

int ModelState::WriteBoundaryWaterQualityToEngine(VQXDisplayBoundaryElement* d)
{
    if (d == nullptr || (d->Kind != 0 && d->Kind != 1))
        return ModelStateOk;
    BoundaryElementRecord* b = EngineBoundaryByNumber(d->Number);
    if (b == nullptr)
        return ModelStateNotInEngine;
    const VQXTimeSeries& series = d->WQSeries;
    int status = ModelStateOk;
    WQBoundaryHydrograph* table = SizeBoundaryTable(b, &BoundaryElementRecord::WQHydrograph, series.size(), &status);
    if (table == nullptr)
        return status;
    WQBoundaryHydrograph& h = *table;
    const int rows = h.RowCount;
    const WQSeriesLayout layout = WQSeriesLayoutOf(WQType);
    for (int i = 0; i < rows; ++i) {
        const std::size_t r = static_cast<std::size_t>(i);
        PutTime(h.Columns[0][r], series[r].Time);
        for (int k = 0; k < layout.Count; ++k)
            PutPlain(h.Columns[static_cast<std::size_t>(layout.FirstColumn + k)][r],
                     series[r].WQValues[layout.FirstValue + k]);
    }
    ResetCursorOutside(h);
    return ModelStateOk;
}
