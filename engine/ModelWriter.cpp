// Model file writer: the engine data as a model file that the reader takes back.
//
// The whole file is formatted in memory first, so a value that cannot be written leaves the
// stream untouched (numbers formatted independently of the locale, engine/FileText.h).
#include "engine/ModelFiles.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/EngineData.h"
#include "engine/FileText.h"
#include "engine/ModelHeader.h"
#include "engine/Units.h"

namespace {

bool IsMetric()
{
    return g_ModelControl.UnitSystem != 0;
}

// One setting of a header block (a row of the tables of engine/ModelHeader.h).
void PutHeaderRow(ModelText& t, const char* key, double v, HeaderRowStyle style)
{
    switch (style) {
    case WideKeyStyle: t.KeyReal(key, v, " =  "); break;
    case SixDigitsStyle:
    case SixDigitsWideStyle:
        t.Put(key);
        t.Put(" = ");
        t.Real(v, 6, false, style == SixDigitsWideStyle ? 8 : 0);
        t.Put("\n");
        break;
    default: t.KeyReal(key, v); break;
    }
}

void PutHeaderRow(ModelText& t, const char* key, int v, HeaderRowStyle)
{
    t.KeyInt(key, v);
}

#define VASQUIL_WRITE_HEADER_ROW(text, kind, owner, name, key, quantity, unit, value, style, rule) \
    PutHeaderRow(text, key, VASQUIL_HEADER_OWNER_##owner.name, style);

void FormatHeader(ModelText& t)
{
    const ModelControl& mc = g_ModelControl;
    t.Where("header");
    t.KeyInt(" File Type", mc.FileType);
    t.KeyReal(" Delta t (s)", mc.DeltaT);
    t.KeyReal(" Max Delta t (s)", mc.MaxDeltaT);
    t.KeyReal(" Model Time (s)", mc.ModelTime);
    char date[96];
    std::snprintf(date, sizeof date, " Simulation Start DateTime (YYYY MM DD HH MM SS) = %4d %02d %02d %02d %02d %02d\n\n",
                  mc.StartDate[0], mc.StartDate[1], mc.StartDate[2], mc.StartDate[3], mc.StartDate[4],
                  mc.StartDate[5]);
    t.Put(date);
    t.KeyInt(" Number of Nodes", mc.NodeCount);
    t.KeyInt(" Number of Elements", mc.ElementCount);
    t.KeyInt(" Number of  Boundary Elements", mc.BoundaryElementCount);
    t.KeyInt(" Number of Junctions", mc.JunctionCount);
    t.KeyInt(" System of units", mc.UnitSystem);
    t.Put("\n");
    VASQUIL_HYDRO_HEADER(VASQUIL_WRITE_HEADER_ROW, t)
    t.Put("\n");

    if (HasWaterTemperatureBlock(mc.FileType)) {
        VASQUIL_WATER_TEMPERATURE_HEADER(VASQUIL_WRITE_HEADER_ROW, t)
    }
    if (HasIceBlock(mc.FileType)) {
        VASQUIL_ICE_HEADER(VASQUIL_WRITE_HEADER_ROW, t)
    }
    if (mc.FileType == FileTypeStaticIce) {
        VASQUIL_STATIC_ICE_HEADER(VASQUIL_WRITE_HEADER_ROW, t)
    } else if (mc.FileType == FileTypeDynamicIce) {
        VASQUIL_DYNAMIC_ICE_HEADER(VASQUIL_WRITE_HEADER_ROW, t)
        t.Put("\n");
    } else if (mc.FileType == FileTypeThermalIce) {
        t.KeyInt(" Number of Atmospheric Zones", mc.AtmosphericZoneCount);
        t.KeyInt(" Number of User Defined Bridging Events", mc.BridgingEventCount);
        VASQUIL_THERMAL_ICE_HEADER(VASQUIL_WRITE_HEADER_ROW, t)
        t.Put("\n");
    }
}
#undef VASQUIL_WRITE_HEADER_ROW

void FormatCrossSection(ModelText& t, const NodeRecord* node)
{
    const double L = g_ModelControl.LengthFactor;
    const CrossSectionTable* cs = node->CrossSection;
    t.Where("cross section of node %d", node->Number);
    if (!cs) {
        t.Fail(WriteIncomplete, " The cross section of node %d is missing: model file not written\n", node->Number);
        return;
    }
    const int points = std::min(cs->PointCount, static_cast<int>(cs->Points.size()));
    t.TabInt(points);
    t.TabReal(cs->LeftBankStation / L);
    t.TabReal(cs->RightBankStation / L);
    t.Put(" \n");
    for (int i = 0; i < points; ++i) {
        t.TabReal(cs->Points[i].Station / L);
        t.TabReal(cs->Points[i].Elevation / L);
        if ((i + 1) % 6 == 0 && i + 1 < points) t.Put(" \n");
    }
    t.Put(" \n");
    const int roughness = std::clamp(cs->RoughnessRowCount, 0, MaxRoughnessRows);
    t.TabInt(roughness);
    for (int r = 0; r < roughness; ++r) {
        t.TabReal(cs->RoughnessRows[0][r] / L);
        for (int k = 1; k < 4; ++k) t.TabReal(cs->RoughnessRows[k][r]);
    }
    t.Put(" \n");
    const int sinuosity = std::clamp(cs->SinuosityRowCount, 0, MaxSinuosityRows);
    t.TabInt(sinuosity);
    for (int r = 0; r < sinuosity; ++r) {
        t.TabReal(cs->SinuosityRows[0][r] / L);
        t.TabReal(cs->SinuosityRows[1][r]);
    }
    t.Put(" \n\n");
}

void FormatNodeRow(ModelText& t, const NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    const double L = mc.LengthFactor;
    const double L2 = L * L;
    const double L3 = L * L * L;
    const double X = mc.DistanceFactor * L;
    t.Where("row of node %d", node->Number);
    t.TabInt(node->Number);
    t.TabReal(node->RiverStation);
    t.TabInt(node->SectionCode);
    t.TabInt(node->Reach);
    t.TabFixed(node->Easting / L);
    t.TabFixed(node->Northing / L);
    t.TabReal(node->Chainage / X);
    t.TabReal(node->Invert / L);
    t.TabReal(node->ManningN);
    t.TabReal((node->SectionCode != 0 ? node->TopWidth : node->RectWidth) / L);
    t.TabInt(node->HydroCode);
    t.TabReal(node->Stage / L);
    t.TabReal(node->Discharge / L3);
    switch (mc.FileType) {
    case FileTypeStaticIce:
        t.TabReal(node->IceConcentration);
        t.TabReal(node->IceThickness / L);
        t.TabReal(node->IceRoughness);
        t.TabInt(node->IceRoughnessMode);
        t.TabInt(node->JamFlag);
        break;
    case FileTypeDynamicIce:
        t.TabReal(node->IceVelocity / L);
        t.TabReal(node->IceConcentration);
        t.TabReal(node->SolidIceArea / L2);
        t.TabReal(node->IceRoughness);
        t.TabInt(node->IceRoughnessMode);
        break;
    case FileTypeThermalIce:
        t.TabReal(node->IceVelocity / L);
        t.TabReal(node->WaterTemp);
        t.TabReal(node->FrazilConcentration);
        t.TabReal(node->AnchorIceArea / L2);
        t.TabReal(node->IceConcentration);
        t.TabReal(node->SlushArea / L2);
        t.TabReal(node->UnderSlushArea / L2);
        t.TabReal(node->SolidIceArea / L2);
        t.TabReal(node->BorderWidthLeft / L);
        t.TabReal(node->BorderWidthRight / L);
        t.TabReal(node->BorderIceArea / L2);
        t.TabReal(node->IceRoughness);
        t.TabInt(node->IceRoughnessMode);
        t.TabInt(node->ZoneNumber);
        t.TabReal(node->Hwa);
        t.TabReal(node->Jwa);
        t.TabReal(node->Kwa);
        t.TabReal(node->FroudeMax);
        t.TabReal(node->Hia);
        break;
    default:
        break;
    }
    t.Put(" \n");
    if (node->SectionCode >= 2 || node->SectionCode <= -2) {
        FormatCrossSection(t, node);
        t.Put(" \n");
    }
}

// The rows a boundary series carries for the element's codes, or none.
enum SeriesLayout { InflowRows, StageRows, StageAndDischargeRows, RatingRows, NoSeriesRows };

SeriesLayout LayoutOf(const BoundaryElementRecord* b)
{
    const int sc = b->StageCode;
    const int dc = b->DischargeCode;
    if (sc == 0 && (dc == 1 || dc == 99)) return InflowRows;
    if (sc == 1 && dc == 0) return StageRows;
    if (sc == 1 && dc == 1) return StageAndDischargeRows;
    if (sc == 2 || dc == 2) return RatingRows;
    return NoSeriesRows;
}

void FormatBoundaryHydrograph(ModelText& t, const BoundaryElementRecord* b)
{
    const ModelControl& mc = g_ModelControl;
    const double L = mc.LengthFactor;
    const double L3 = L * L * L;
    const BoundaryHydrograph* h = b->Hydrograph;
    const SeriesLayout layout = LayoutOf(b);
    t.Where("series of boundary element %d", b->Number);
    int rows = h ? h->RowCount : 0;
    if (h)
        for (const std::vector<double>& column : h->Columns) rows = std::min(rows, static_cast<int>(column.size()));
    if (layout != NoSeriesRows && rows < 1) {
        t.Fail(WriteIncomplete, " The series of boundary element %d has no rows: model file not written\n", b->Number);
        return;
    }
    if (layout == NoSeriesRows) rows = 0;
    t.TabInt(rows);
    t.Put(" \n");
    for (int r = 0; r < rows; ++r) {
        const auto& c = h->Columns;
        switch (layout) {
        case InflowRows:
            t.TabReal(c[0][r] / SecondsPerHour);
            t.TabReal(c[2][r] / L3);
            if (mc.FileType == FileTypeDynamicIce) {
                t.TabReal(c[3][r] / L);
                t.TabReal(c[6][r]);
                t.TabReal(c[8][r] / L);
            } else if (mc.FileType == FileTypeThermalIce) {
                t.TabReal(c[3][r] / L);
                t.TabReal(c[4][r]);
                t.TabReal(c[5][r]);
                t.TabReal(c[6][r]);
                t.TabReal(c[7][r] / L);
                t.TabReal(c[8][r] / L);
            }
            break;
        case StageRows:
            t.TabReal(c[0][r] / SecondsPerHour);
            t.TabReal(c[1][r] / L);
            break;
        case StageAndDischargeRows:
            t.TabReal(c[0][r] / SecondsPerHour);
            t.TabReal(c[2][r] / L3);
            t.TabReal(c[1][r] / L);
            break;
        default:
            t.TabReal(c[1][r] / L);
            t.TabReal(c[2][r] / L3);
            break;
        }
        t.Put(" \n");
    }
    t.Put(" \n");
}

int NumberOf(const NodeRecord* node)
{
    return node ? node->Number : -1;
}

void FormatModel(ModelText& t)
{
    const ModelControl& mc = g_ModelControl;
    const bool metric = IsMetric();
    const double L = mc.LengthFactor;
    const double X = mc.DistanceFactor * L;
    FormatHeader(t);

    t.Put("\n \tNode Information \n");
    t.Put(metric ? "\n \tNode #\tHECRAS RS\tsection code\treach #\teasting (m)\tnorthing (m)\tx (km)\t invert (m)\tnRect"
                   "\tBws (m)\thydro code\tWSE (m)\tQ (cms)"
                 : "\n \tNode #\tHECRAS RS\tsection code\treach #\teasting (ft)\tnorthing (ft)\tx (mi)\t invert (ft)"
                   "\tnRect\tBws (ft)\thydro code\tWSE (ft)\tQ (cfs)");
    if (mc.FileType == FileTypeStaticIce)
        t.Put(metric ? "\tCice\ttIce (m)\ticeroughness\ticeroughness mode\tjam flag"
                     : "\tCice\ttIce (ft)\ticeroughness\ticeroughness mode\tjam flag");
    else if (mc.FileType == FileTypeDynamicIce)
        t.Put(metric ? "\tUIce (m/s)\tCice\tASolid (m)\ticeroughness\ticeroughness mode"
                     : "\tUIce (ft/s)\tCice\tASolid (ft)\ticeroughness\ticeroughness mode");
    else if (mc.FileType == FileTypeThermalIce)
        t.Put(metric ? "\tUice (m/s)\tTw (degC)\tCfrazil\tAAnchor (sqm)\tCice\tASlush (sqm)\tAUnderSlush (sqm)"
                       "\tASolid (sqm)\tBborderLDB (m)\tBborderRDB (m)\tABorder (sqm)\ticeroughness"
                       "\ticeroughness mode\tzonenumber\thwa (W/Sq m/degC)\tjwa (W/Sq m/degC)\tkwa (W/Sq m/degC)"
                       "\tFroudemax\thia (W/Sq m /degC)"
                     : "\tUice (ft/s)\tTw (degC)\tCfrazil\tAAnchor (sqft)\tCice\tASlush (sqft)\tAUnderSlush (sqft)"
                       "\tASolid (sqft)\tBborderLDB (ft)\tBborderRDB (ft)\tABorder (sqft)\ticeroughness"
                       "\ticeroughness mode\tzonenumber\thwa (W/Sq m/degC)\tjwa (W/Sq m/degC)\tkwa (W/Sq m/degC)"
                       "\tFroudemax\thia (W/Sq m /degC)");
    t.Put("\n\n");
    for (const NodeRecord* n = g_Nodes; n; n = n->Next) FormatNodeRow(t, n);
    std::printf(" Done the nodes\n");

    t.Put("\n \tElement Information \n");
    t.Put("\n \tElement #\tNode one\tNode two\tElement Codes\n\n");
    for (const ElementRecord* e = g_Elements; e; e = e->Next) {
        t.Where("element %d", e->Number);
        t.TabInt(e->Number);
        t.TabInt(NumberOf(e->Nodes[0]));
        t.TabInt(NumberOf(e->Nodes[1]));
        for (double c : e->Codes) t.TabReal(c);
        t.Put(" \n");
    }
    std::printf(" Done the elements\n");

    t.Put("\n \tBoundary Element Information \n");
    t.Put("\n \tBoundary Element #\tNode #\tBoundary condition codes\n\n");
    for (const BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next) {
        t.Where("boundary element %d", b->Number);
        t.TabInt(b->Number);
        t.TabInt(NumberOf(b->Node()));
        t.TabReal(b->Position);
        t.TabInt(b->StageCode);
        t.TabInt(b->DischargeCode);
        if (b->StageCode > 0 || b->DischargeCode > 0) FormatBoundaryHydrograph(t, b);
        t.Put(" \n");
    }
    std::printf(" Done the boundary conditions\n");

    if (mc.JunctionCount > 0) {
        t.Put("\n \tJunction #\tJunction type\tnodeA\tnodeB\tnodeC\tnodeD\telementAB\telementAC\telementAD"
              "\tlengthAB\tlengthAC\tlengthAD\n\n");
        for (const JunctionRecord* j = g_Junctions; j; j = j->Next) {
            t.Where("junction %d", j->Number);
            t.TabInt(j->Number);
            t.TabInt(j->ReadType);
            for (const NodeRecord* n : j->ReadNodes) t.TabInt(NumberOf(n));
            for (const ElementRecord* e : j->ReadElements) t.TabInt(e ? e->Number : -1);
            for (const ElementRecord* e : j->ReadElements) t.TabReal(e ? e->GivenLength / L : 0.0);
            t.Put(" \n");
        }
    }

    // Zones and events belong to thermal ice: a model saved as another type leaves them out,
    // and the engine keeps them for a change back to thermal ice.
    const bool thermal = mc.FileType == FileTypeThermalIce;
    if (thermal && mc.AtmosphericZoneCount > 0) {
        t.Put("\n \tAtmospheric Zone #\t# of values\n\n");
        const int zones = std::min(mc.AtmosphericZoneCount, static_cast<int>(g_AtmosphericZoneBlock.size()));
        if (zones < mc.AtmosphericZoneCount)
            t.Fail(WriteIncomplete, " Atmospheric zone %d has no rows: model file not written\n", zones + 1);
        for (int i = 0; i < zones; ++i) {
            const AtmosphericZoneRecord& z = g_AtmosphericZoneBlock[i];
            t.Where("atmospheric zone %d", z.Number);
            const int rows = std::min({z.RowCount, static_cast<int>(z.Time.size()),
                                       static_cast<int>(z.AirTemperature.size()),
                                       static_cast<int>(z.SolarRadiation.size())});
            if (rows < 1) t.Fail(WriteIncomplete, " Atmospheric zone %d has no rows: model file not written\n", z.Number);
            t.TabInt(z.Number);
            t.TabInt(rows);
            t.Put(" \n");
            for (int r = 0; r < rows; ++r) {
                t.TabReal(z.Time[r] / SecondsPerHour);
                t.TabReal(z.AirTemperature[r]);
                t.TabReal(z.SolarRadiation[r]);
                t.Put(" \n");
            }
            t.Put(" \n \n");
        }
    }

    if (thermal && mc.BridgingEventCount > 0) {
        t.Put(metric ? "\n \tBridging Event #\tBridging Location (km)\tBridging Time (hrs)\tIce Front Location (km)\n\n"
                     : "\n \tBridging Event #\tBridging Location (mi)\tBridging Time (hrs)\tIce Front Location (mi)\n\n");
        const int events = std::min(mc.BridgingEventCount, static_cast<int>(g_BridgingEventBlock.size()));
        for (int i = 0; i < events; ++i) {
            const BridgingEventRecord& e = g_BridgingEventBlock[i];
            t.Where("bridging event %d", e.Number);
            t.TabInt(e.Number);
            t.TabReal(e.BridgingLocation / X);
            t.TabReal(e.BridgingTime / SecondsPerHour);
            t.TabReal(e.FrontLocation / X);
            t.Put(" \n");
        }
    }

    // A model with junctions always carries the table's count, so the file reads back whole.
    if (g_JamTable || mc.JunctionCount > 0) {
        t.Put("\n \tIce Jam Stability Equation Calculation Table\n\n");
        const JamStabilityTable* jam = g_JamTable;
        const int rows = jam ? std::min({jam->RowCount, static_cast<int>(jam->RowType.size()),
                                         static_cast<int>(jam->Id.size())})
                             : 0;
        t.TabInt(std::max(rows, 0));
        t.Put("\n");
        for (int r = 0; r < rows; ++r) {
            t.TabInt(jam->RowType[r]);
            t.TabInt(jam->Id[r]);
            t.Put("\n");
        }
    }
}

int NoStream()
{
    return ReportWriteFailure(WriteNoStream);
}

// Writes what `format` puts into a fresh model text to the stream, closing it when `close` is
// set (see Emit); a stream that is not open writes nothing.
template <typename Format>
int FormatAndEmit(FILE* stream, bool close, Format format)
{
    if (!stream) return NoStream();
    ModelText t;
    format(t);
    return Emit(t, stream, close);
}

}  // namespace

int WriteModelFile(FILE* stream)
{
    return FormatAndEmit(stream, true, [](ModelText& t) { FormatModel(t); });
}

int SaveModelFile(const std::filesystem::path& path)
{
    return SaveFileReplacing(path, WriteModelFile, "model");
}

int WriteModelHeader(FILE* stream)
{
    return FormatAndEmit(stream, false, [](ModelText& t) { FormatHeader(t); });
}

int WriteNodeRow(FILE* stream, const NodeRecord* node)
{
    return FormatAndEmit(stream, false, [node](ModelText& t) {
        if (node) FormatNodeRow(t, node);
    });
}

int WriteCrossSection(FILE* stream, const NodeRecord* node)
{
    return FormatAndEmit(stream, false, [node](ModelText& t) {
        if (node) FormatCrossSection(t, node);
    });
}

int WriteBoundaryHydrograph(FILE* stream, const BoundaryElementRecord* element)
{
    return FormatAndEmit(stream, false, [element](ModelText& t) {
        if (element) FormatBoundaryHydrograph(t, element);
    });
}
