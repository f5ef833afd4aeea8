// Water-quality file reader and writer.
#include "engine/Units.h"
#include "engine/WaterQualityFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>

#include "engine/EngineData.h"
#include "engine/FileText.h"
#include "engine/ModelSetup.h"
#include "engine/WaterQuality.h"

namespace {

// The reader's own messages by code (the scanner prints those of codes 7-10).
struct WQMessage {
    int code;
    const char* format;
};
constexpr WQMessage WQMessages[] = {
    {WQReadNoStream, " Unable to open that file\n"},
    {WQBoundaryNumberDiffers, " WQ boundary row %d gives boundary element %d where the model has %d\n"},
    {WQBoundaryNodeDiffers, " WQ boundary row %d gives node %d where the model's boundary element %d is at node %d\n"},
    {WQPositionDiffers, " WQ boundary row %d gives position %g where the model's boundary element %d has %g\n"},
    {WQStageCodeDiffers, " WQ boundary row %d gives stage code %d where the model's boundary element %d has %d\n"},
    {WQDischargeCodeDiffers,
     " WQ boundary row %d gives discharge code %d where the model's boundary element %d has %d\n"},
    {WQNodeNumberDiffers, " WQ node row %d gives node %d where the model has node %d\n"},
    {WQNodeCountDiffers, " The WQ file has %d node rows and the model %d nodes: WQ node row %d gives node %d, the "
                         "number of its first boundary row\n"},
    {WQBadFileType, " WQ File Type %d is not 0, 1 or 2\n"},
    {WQBadFlag, " The %s flag %d is not 0 or 1\n"},
    {WQBadTolerance, " WQ Tolerance %g is not above 0\n"},
    {WQBadRowCount, " The WQ series of boundary element %d has %d rows: not between 0 and %d\n"},
    {WQOutOfMemory, " Not enough memory for the %s\n"},
    {WQNoModel, " No model is loaded to take the water-quality data\n"},
    {WQNotRegularFile, " %s is not a regular file\n"},
    {WQTimeOutOfRange, " Number %s in the %s is out of range (time from -1e13 to 1e13 s)\n"},
    {WQSeriesOutOfOrder,
     " The times of the WQ series of boundary element %d do not increase: row %d is at %.9g h and row %d at %.9g h\n"},
};

// The longest time of a series, s, either way: as the model file's times.
constexpr double MostSeriesSeconds = 1e13;

// Refuses with the code's message (arguments as its format asks); returns the scanner's code.
int Refuse(FieldScanner& s, int code, ...)
{
    const char* format = " Water-quality file refused\n";
    for (const WQMessage& m : WQMessages)
        if (m.code == code) format = m.format;
    std::va_list args;
    va_start(args, code);
    s.FailWith(code, format, args);
    va_end(args);
    return s.code;
}

// Ends a section reader: keeps the failure's line and returns the code.
int Finish(const FieldScanner& s)
{
    return s.code;
}

bool ModelLoaded()
{
    const ModelControl& mc = g_ModelControl;
    return g_Nodes && mc.NodeCount > 0 && static_cast<int>(g_NodeBlock.size()) >= mc.NodeCount &&
           static_cast<int>(g_BoundaryElementBlock.size()) >= mc.BoundaryElementCount;
}

// One coefficient line of the header: label, separator, value (a double or a 0/1 flag), end.
struct CoefficientLine {
    const char* label;
    double ModelControl::*real;
    int ModelControl::*flag;
    const char* separator;
    const char* end;
};

constexpr CoefficientLine Real(const char* label, double ModelControl::*field, const char* separator = " = ",
                               const char* end = "\n")
{
    return {label, field, nullptr, separator, end};
}

constexpr CoefficientLine Flag(const char* label, int ModelControl::*field)
{
    return {label, nullptr, field, " =   ", "\n"};
}

using MC = ModelControl;
constexpr const char* Wide = " =  ";

const CoefficientLine NutrientLines[] = {
    Real(" Temperature : latitude(phi_latitude)", &MC::PhiLatitude),
    Real(" Temperature : Maximum absorbed solar radiation(Emax)", &MC::Emax),
    Real(" Temperature : Displacement of solar radiation max from noon(ftd)", &MC::Ftd),
    Real(" Temperature : Emitted heat radiation(Eaf)", &MC::Eaf),
    Real(" Oxygen Processes : Reaeration temperature coefficient(Theta_rear)", &MC::ThetaRear),
    Real(" Oxygen Processes : Respiration of animals and plants(Rresp)", &MC::Rresp),
    Real(" Oxygen Processes : Respiration temperature coefficient(Theta_resp)", &MC::ThetaResp),
    Real(" Oxygen Processes : Max oxygen production by photosynthesis(Pmax)", &MC::Pmax),
    Real(" Oxygen Processes : Production / respiration equation order(pm'two')", &MC::PmTwo),
    Real(" Degradation : first order decay rate at twenty deg C(KBOD)", &MC::KBOD),
    Real(" Degradation : Temperature coefficient for decay rate(Theta_BOD)", &MC::ThetaBOD),
    Real(" Degradation : Half saturation oxygen concentration(Ks)", &MC::Ks),
    Real(" Oxygen Processes : Reaeration constant(a'one')", &MC::AOne),
    Real(" Oxygen Processes : Reaeration exponent flow velocity(e'one')", &MC::EOne),
    Real(" Oxygen Processes : Reaeration exponent water depth(e'two')", &MC::ETwo),
    Real(" Oxygen Processes : Reaeration exponent river slope(e'three')", &MC::EThree),
    Real(" Sediment processes : Sediment oxygen demand(KSOD)", &MC::KSOD),
    Real(" Sediment processes : Temperature coefficient SOD(Theta_SOD)", &MC::ThetaSOD),
    Real(" Sediment processes : Resuspension of organic matter(Ksus)", &MC::Ksus),
    Real(" Sediment processes : sedimentation rate for organic matter(Ksed)", &MC::Ksed),
    Real(" Sediment processes : Critical flow velocity(Ucrit)", &MC::Ucrit),
    Real(" Nitrogen Content : Ratio of ammonia released at BOD decay(YBOD)", &MC::YBOD),
    Real(" Nitrogen Content : Uptake of ammonia in plants(Un)", &MC::Un),
    Real(" Nitrogen Content : Uptake of ammonia in bacteria(Ub)", &MC::Ub),
    Real(" Nitrification : Reaction order one = first order process two = half order process(n'one')", &MC::NOne),
    Real(" Nitrification : Ammonia decay rate at twenty deg Celcius(Knit)", &MC::Knit),
    Real(" Nitrification : Temperature coefficient for nitrification(Theta_nit)", &MC::ThetaNit),
    Real(" Denitrification : Oxygen demand by nitrification(Ynit)", &MC::Ynit),
    Real(" Denitrification : Half saturation constant(Ksden)", &MC::Ksden),
    Real(" Denitrification : Reaction order one = first order process two = half order process(n'two')", &MC::NTwo),
    Real(" Denitrification : Denitrification rate conversion of nitrate into free nitrogen(Kden)", &MC::Kden),
    Real(" Denitrification : Temperature coefficient for denitrification(Theta_den)", &MC::ThetaDen),
    Real(" Phosphorus content : Ratio of phosphorus released at BOD decay(Yp)", &MC::Yp),
    Real(" Phosphorus content : Uptake of P in plants(Up)", &MC::Up),
    Real(" Phosphorus exchange with bed : Resuspension of particulate phosphorus(KPres)", &MC::KPres),
    Real(" Phosphorus exchange with bed : Deposition of particulate phosphorus(KPdep)", &MC::KPdep),
    Real(" Phosphorus exchange with bed : Critical velocity of flow(UPcrit)", &MC::UPcrit),
    Real(" Phosphorus processes : Decay constant for particulate phosphorus(Krel)", &MC::Krel),
    Real(" Phosphorus processes : Temperature coefficient for decay(Theta_rel)", &MC::ThetaRel),
    Real(" Phosphorus processes : Formation constant for particulate phosphorus(Kads)", &MC::Kads),
    Real(" Phosphorus processes : Temperature coefficient for formation(Theta_ads)", &MC::ThetaAds),
};

const CoefficientLine MetalLines[] = {
    Real(" Organic carbon partitioning coefficient (Koc)", &MC::Koc),
    Real(" Desorption rate in water (kw)", &MC::Kw),
    Real(" Desorption rate in sediment (ks)", &MC::KsSediment),
    Real(" Fraction of organic carbon in suspended solids SS (focw)", &MC::Focw),
    Real(" Fraction of organic carbon in sediment (focs)", &MC::Focs),
    Real(" Thickness of water film (dzf)", &MC::Dzf),
    Real(" Ratio between thickness of diffusion layer in sediment and sediment thickness (fdzds)", &MC::Fdzds),
    Real(" Factor for diffusion due to bioturbation etc (fbiot)", &MC::Fbiot),
    Real(" Moleweight of heavy metal (mw)", &MC::Mw),
    Real(" Density of dry sediment (rho_ds)", &MC::RhoDs, Wide),
    Real(" Porosity of sediment (ps)", &MC::Ps),
    Real(" Settling velocity of SS (Ws)", &MC::Ws, Wide),
    Real(" Resuspension rate (Rs)", &MC::Rs, Wide),
    Real(" Particle production rate (Rp)", &MC::Rp, Wide),
    Real(" Critical current velocity for sediment resuspension (Ucrit)", &MC::Ucrit, Wide),
};

const CoefficientLine XenobioticLines[] = {
    Real(" Biodecay rate water max(kbw)", &MC::Kbw, Wide),
    Real(" Biodecay rate sediment max(kbs)", &MC::Kbs, Wide),
    Real(" Half saturation constant biodecay water(Khsw)", &MC::Khsw, Wide),
    Real(" Half saturation constant biodecay sediment(Khss)", &MC::Khss, Wide),
    Real(" Arrhenius temperature coefficient for biodegradation(Theta_B)", &MC::ThetaB, "  "),
    Real(" Light attenuation water column(alpha_L)", &MC::AlphaL, Wide),
    Real(" Photolysis rate at surface(kpho)", &MC::Kpho, Wide),
    Real(" Henry's constant (KH)", &MC::KH, Wide),
    Flag(" Is the compound an acid[zero or one](bacid)", &MC::Bacid),
    Flag(" Is the compound a base[zero or one](bbase)", &MC::Bbase),
    Real(" Dissociation constant acid(pka)", &MC::Pka, Wide),
    Real(" Dissociation constant base(pkb)", &MC::Pkb, Wide),
    Real(" Hydrolysis constant acid(khac)", &MC::Khac, Wide),
    Real(" Hydrolysis constant neutral(khne)", &MC::Khne, Wide),
    Real(" Hydrolysis constant alkaline(khal)", &MC::Khal, Wide),
    Real(" Universal gas constant(RG)", &MC::RG, Wide, "\n\n"),
    Real(" pH water(pHw)", &MC::PHw, Wide),
    Real(" pH sediment(pHs)", &MC::PHs, Wide),
    Real(" Wind velocity(Uwind)", &MC::Uwind, Wide),
};

struct CoefficientTable {
    const CoefficientLine* lines;
    int count;
};

template <size_t N>
constexpr CoefficientTable TableOf(const CoefficientLine (&lines)[N])
{
    return {lines, static_cast<int>(N)};
}

// The coefficient tables of a type, in file order (at most two).
int CoefficientTablesOf(int type, CoefficientTable tables[2])
{
    switch (type) {
    case WQNutrients: tables[0] = TableOf(NutrientLines); return 1;
    case WQHeavyMetals: tables[0] = TableOf(MetalLines); return 1;
    case WQXenobiotics:
        tables[0] = TableOf(MetalLines);
        tables[1] = TableOf(XenobioticLines);
        return 2;
    default: return 0;
    }
}

// Concentration columns of a water-quality series: the first and their number.
int FirstSeriesColumn(int type)
{
    return type == WQNutrients ? WQNutrientSeriesColumn : WQMetalSeriesColumn;
}

int SeriesValueCount(int type)
{
    return type == WQNutrients ? WQNutrientSeriesValues : WQMetalSeriesValues;
}

bool IsInflow(const BoundaryElementRecord* b)
{
    return b->StageCode == 0 && (b->DischargeCode == 1 || b->DischargeCode == 99);
}

// The node's values of the loaded type (nutrients, or metals and xenobiotics) and their twins.
double* ValuesOf(NodeRecord* node, bool previous)
{
    if (g_ModelControl.WQFileType == WQNutrients) return previous ? node->PreviousWQValues : node->WQValues;
    return previous ? node->PreviousMetalValues : node->MetalValues;
}

const double* ValuesOf(const NodeRecord* node)
{
    return g_ModelControl.WQFileType == WQNutrients ? node->WQValues : node->MetalValues;
}

// ---------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------
struct WQText : ModelText {
    WQText() { fileKind = "water-quality file"; }
};

void FormatWQHeader(ModelText& t)
{
    const ModelControl& mc = g_ModelControl;
    const EquationSystem& wq = g_EquationSystems[WaterQualitySystem];
    t.Where("WQ header");
    CoefficientTable tables[2];
    const int count = CoefficientTablesOf(mc.WQFileType, tables);
    if (count == 0) {
        t.Fail(WriteIncomplete, " WQ File Type %d is not 0, 1 or 2: water-quality file not written\n", mc.WQFileType);
        return;
    }
    t.KeyInt(" WQ File Type", mc.WQFileType);
    t.Put("\n");
    t.KeyInt(" Number of WQ Nodes", mc.NodeCount);
    t.KeyInt(" Number of WQ Boundary Elements", mc.BoundaryElementCount);
    t.Put("\n");
    t.KeyReal(" WQ Upwinding Coefficient", wq.Upwinding);
    t.KeyInt(" WQ Upwinding Updating", wq.UpwindingUpdating);
    t.KeyReal(" WQ Theta", wq.Theta);
    t.KeyReal(" WQ Tolerance", wq.Tolerance);
    t.Put("\n");
    for (int k = 0; k < count; ++k) {
        for (int i = 0; i < tables[k].count; ++i) {
            const CoefficientLine& line = tables[k].lines[i];
            t.Put(line.label);
            t.Put(line.separator);
            if (line.flag)
                t.Int(mc.*line.flag);
            else
                t.Real(mc.*line.real, 8);
            t.Put(line.end);
        }
    }
}

void FormatWQBoundaryRow(ModelText& t, const BoundaryElementRecord* b)
{
    const int type = g_ModelControl.WQFileType;
    t.Where("WQ boundary row of boundary element %d", b->Number);
    t.TabInt(b->Number);
    t.TabInt(b->Node() ? b->Node()->Number : -1);
    t.TabReal(b->Position);
    t.TabInt(b->StageCode);
    t.TabInt(b->DischargeCode);
    if (b->StageCode <= 0 && b->DischargeCode <= 0) {
        t.Put(" \n");
        return;
    }
    // Rows belong to inflows only; an inflow without a series yet writes none.
    const WQBoundaryHydrograph* h = b->WQHydrograph;
    int rows = IsInflow(b) && h ? h->RowCount : 0;
    if (rows > 0) {
        for (const std::vector<double>& column : h->Columns)
            if (static_cast<int>(column.size()) < rows) {
                t.Fail(WriteIncomplete, " The WQ series of boundary element %d is missing rows: water-quality file not written\n",
                       b->Number);
                rows = 0;
            }
    }
    t.TabInt(rows);
    t.Put(" \n");
    const int first = FirstSeriesColumn(type);
    const int values = SeriesValueCount(type);
    for (int r = 0; r < rows; ++r) {
        t.TabReal(h->Columns[0][r] / SecondsPerHour);
        for (int k = 0; k < values; ++k) t.TabReal(h->Columns[first + k][r]);
        t.Put(" \n");
    }
    t.Put(" \n");
    t.Put(" \n");
}

void FormatWQFile(ModelText& t)
{
    const int type = g_ModelControl.WQFileType;
    FormatWQHeader(t);

    t.Put("\n \tNode Information \n");
    t.Put(type == WQNutrients
              ? "\n \tNode #\tDO (mg/L)\tAmmonia (mg/L)\tNitrate (mg/L)\tBOD (mg/L)\tOP (mg/L)\tPP (mg/L)"
              : "\n \tNode #\tCds (mg/L)\tCaw (mg/L)\tCss (mg/L)\tCds (g/m\xB2)\tCas (g/m\xB2)\tMs (g/m\xB2)");
    t.Put("\n\n");
    for (const NodeRecord* n = g_Nodes; n; n = n->Next) {
        t.Where("WQ node row of node %d", n->Number);
        t.TabInt(n->Number);
        const double* v = ValuesOf(n);
        for (int k = 0; k < 6; ++k) t.TabReal(v[k]);
        t.Put(" \n");
    }
    std::printf(" Done the nodes\n");

    t.Put("\n \tBoundary Element Information \n");
    t.Put("\n \tBoundary Element #\tNode #\tBoundary condition codes\n\n");
    for (const BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next) FormatWQBoundaryRow(t, b);
    std::printf(" Done the boundary conditions\n");
}

int NoStream()
{
    return ReportWriteFailure(WriteNoStream);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------------------
const char* WQReaderRefusal()
{
    return LastRefusal();
}

int ReadWQHeader(FILE* stream)
{
    ModelControl& mc = g_ModelControl;
    EquationSystem& wq = g_EquationSystems[WaterQualitySystem];
    FieldScanner s(stream);
    s.Where("WQ header");

    const int type = s.Integer();
    if (s.code) return Finish(s);
    CoefficientTable tables[2];
    const int count = CoefficientTablesOf(type, tables);
    if (count == 0) {
        Refuse(s, WQBadFileType, type);
        return Finish(s);
    }
    s.Integer();   // the numbers of nodes and boundary elements, written for people: the
    s.Integer();   // model's own counts decide
    const double upwinding = s.Real();
    const int updating = s.Integer();
    double theta = s.Real();
    const double tolerance = s.Real();
    if (s.code) return Finish(s);
    if (!(tolerance > 0)) {
        Refuse(s, WQBadTolerance, tolerance);
        return Finish(s);
    }
    theta = std::clamp(theta, 0.0, 1.0);
    wq.Upwinding = upwinding;
    wq.UpwindingUpdating = updating;
    wq.Theta = theta;
    wq.Tolerance = tolerance;
    mc.WQFileType = type;

    for (int k = 0; k < count && !s.code; ++k) {
        for (int i = 0; i < tables[k].count && !s.code; ++i) {
            const CoefficientLine& line = tables[k].lines[i];
            if (line.real) {
                mc.*line.real = s.Real();
                continue;
            }
            const int flag = s.Integer();
            if (!s.code && flag != 0 && flag != 1)
                Refuse(s, WQBadFlag, line.flag == &ModelControl::Bacid ? "acid" : "base", flag);
            mc.*line.flag = flag;
        }
    }
    if (s.code) return Finish(s);
    mc.WaterQualityOn = 1;
    return Finish(s);
}

int ReadWQNodeRow(FILE* stream, int index)
{
    FieldScanner s(stream);
    s.Where("WQ node row %d", index + 1);
    if (!ModelLoaded() || index < 0 || index >= g_ModelControl.NodeCount) {
        Refuse(s, WQNoModel);
        return Finish(s);
    }
    NodeRecord* node = &g_NodeBlock[index];
    const int number = s.Integer();
    double v[6];
    for (double& x : v) x = s.Real();
    if (s.code) return Finish(s);
    if (number != node->Number) {
        // The numbering starts again with that of the first boundary row: the node rows ended.
        const int previous = index > 0 ? g_NodeBlock[index - 1].Number : 0;
        const int firstBoundary = g_ModelControl.BoundaryElementCount > 0 ? g_BoundaryElementBlock[0].Number : 0;
        if (index > 0 && number <= previous && number == firstBoundary)
            Refuse(s, WQNodeCountDiffers, index, g_ModelControl.NodeCount, index + 1, number);
        else Refuse(s, WQNodeNumberDiffers, index + 1, number, node->Number);
        return Finish(s);
    }
    for (double* target : {ValuesOf(node, false), ValuesOf(node, true), node->WQUnknowns, node->PreviousWQUnknowns})
        std::copy(v, v + 6, target);
    return WQReadOk;
}

int ReadWQBoundaryRow(FILE* stream, int index)
{
    FieldScanner s(stream);
    s.Where("WQ boundary row %d", index + 1);
    if (!ModelLoaded() || index < 0 || index >= g_ModelControl.BoundaryElementCount) {
        Refuse(s, WQNoModel);
        return Finish(s);
    }
    BoundaryElementRecord* b = &g_BoundaryElementBlock[index];
    const int number = s.Integer();
    const int node = s.Integer();
    const double position = s.Real();
    const int stageCode = s.Integer();
    const int dischargeCode = s.Integer();
    if (s.code) return Finish(s);
    const int modelNode = b->Node() ? b->Node()->Number : -1;
    const int row = index + 1;
    if (number != b->Number)
        Refuse(s, WQBoundaryNumberDiffers, row, number, b->Number);
    else if (node != modelNode)
        Refuse(s, WQBoundaryNodeDiffers, row, node, b->Number, modelNode);
    else if (std::trunc(position) != std::trunc(b->Position))
        Refuse(s, WQPositionDiffers, row, position, b->Number, b->Position);
    else if (stageCode != b->StageCode)
        Refuse(s, WQStageCodeDiffers, row, stageCode, b->Number, b->StageCode);
    else if (dischargeCode != b->DischargeCode)
        Refuse(s, WQDischargeCodeDiffers, row, dischargeCode, b->Number, b->DischargeCode);
    if (s.code) return Finish(s);

    if (b->StageCode > 0 || b->DischargeCode > 0) return ReadWQBoundaryHydrograph(stream, b);
    delete b->WQHydrograph;
    b->WQHydrograph = nullptr;
    return WQReadOk;
}

int ReadWQBoundaryHydrograph(FILE* stream, BoundaryElementRecord* element)
{
    const int type = g_ModelControl.WQFileType;
    FieldScanner s(stream);
    s.Where("WQ series of boundary element %d", element->Number);
    std::unique_ptr<WQBoundaryHydrograph> table;
    try {
        table = std::make_unique<WQBoundaryHydrograph>();
    } catch (const std::bad_alloc&) {
        Refuse(s, WQOutOfMemory, s.where);
        return Finish(s);
    }
    NodeRecord* node = element->Node();
    std::printf("\tMemory allocated for boundary WQ hydrograph at node %d\n", node ? node->Number : 0);
    table->Cursor = 1;
    table->Node = node;

    const int rows = s.Integer();
    if (s.code) return Finish(s);
    if (rows < 0 || rows > MaxSeriesEntries) {
        Refuse(s, WQBadRowCount, element->Number, rows, MaxSeriesEntries);
        return Finish(s);
    }
    // Only an inflow carries rows; the count of any other boundary is read and not used.
    if (IsInflow(element)) {
        if (element->Position > 0) std::printf("\nDischarge hydrograph at downstream boundary! Are you sure?\n");
        if (element->DischargeCode == 99) std::printf("\nLateral inflow hydrograph\n");
        try {
            for (std::vector<double>& column : table->Columns) column.assign(static_cast<size_t>(rows), 0.0);
        } catch (const std::bad_alloc&) {
            Refuse(s, WQOutOfMemory, s.where);
            return Finish(s);
        }
        table->RowCount = rows;
        const int first = FirstSeriesColumn(type);
        const int values = SeriesValueCount(type);
        auto& c = table->Columns;
        for (int r = 0; r < rows && !s.code; ++r) {
            c[0][r] = s.Real() * SecondsPerHour;
            if (!s.code && !(std::fabs(c[0][r]) <= MostSeriesSeconds)) {
                Refuse(s, WQTimeOutOfRange, s.token, s.where);
                break;
            }
            for (int k = 0; k < values; ++k) c[first + k][r] = s.Real();
        }
        if (s.code) return Finish(s);
        // The engine looks the values up by binary search in time.
        for (int r = 1; r < rows; ++r)
            if (!(c[0][r] > c[0][r - 1])) {
                Refuse(s, WQSeriesOutOfOrder, element->Number, r, c[0][r - 1] / SecondsPerHour, r + 1,
                       c[0][r] / SecondsPerHour);
                return Finish(s);
            }
    }
    delete element->WQHydrograph;
    element->WQHydrograph = table.release();
    return WQReadOk;
}

int ReadWQFile(FILE* stream)
{
    const ModelControl& mc = g_ModelControl;
    ClearRefusal();
    ReleaseWaterQuality();
    FieldScanner s(stream);
    if (!stream) {
        Refuse(s, WQReadNoStream);
        return Finish(s);
    }
    int code = WQReadOk;
    if (!ModelLoaded()) {
        Refuse(s, WQNoModel);
        code = Finish(s);
    }
    if (code == WQReadOk) code = ReadWQHeader(stream);
    for (int i = 0; code == WQReadOk && i < mc.NodeCount; ++i) code = ReadWQNodeRow(stream, i);
    if (code == WQReadOk) std::printf(" Got the nodes\n");
    for (int i = 0; code == WQReadOk && i < mc.BoundaryElementCount; ++i) code = ReadWQBoundaryRow(stream, i);
    if (code == WQReadOk) std::printf(" Got the boundary conditions\n");
    if (!IsStandardStream(stream)) std::fclose(stream);

    if (code == WQReadOk && !RebuildNodeIndex()) {
        FieldScanner index(nullptr);
        Refuse(index, WQOutOfMemory, "node index");
        code = Finish(index);
    }
    if (code != WQReadOk) {
        ReleaseWaterQuality();
        return code;
    }
    InitialiseWaterQuality();
    return WQReadOk;
}

int LoadWQFile(const std::filesystem::path& path)
{
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        ClearRefusal();
        ReleaseWaterQuality();
        FieldScanner s(nullptr);
        Refuse(s, WQNotRegularFile, path.string().c_str());
        return Finish(s);
    }
#if defined(_WIN32)
    FILE* stream = _wfopen(path.c_str(), L"rb");
#else
    FILE* stream = std::fopen(path.c_str(), "rb");
#endif
    if (!stream) {
        const int error = errno;
        const int code = ReadWQFile(nullptr);
        errno = error;
        return code;
    }
    return ReadWQFile(stream);
}

// ---------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------
int WriteWQFile(FILE* stream)
{
    if (!stream) return NoStream();
    WQText t;
    FormatWQFile(t);
    return Emit(t, stream, true);
}

int SaveWQFile(const std::filesystem::path& path)
{
    return SaveFileReplacing(path, WriteWQFile, "water-quality data");
}

int WriteWQHeader(FILE* stream)
{
    if (!stream) return NoStream();
    WQText t;
    FormatWQHeader(t);
    return Emit(t, stream, false);
}

int WriteWQBoundaryRow(FILE* stream, const BoundaryElementRecord* element)
{
    if (!stream) return NoStream();
    WQText t;
    if (element) FormatWQBoundaryRow(t, element);
    return Emit(t, stream, false);
}
