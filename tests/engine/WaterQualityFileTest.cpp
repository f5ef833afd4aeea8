// Water-quality files: the three types read by position into the engine and written back,
// refused input, and the all-or-nothing load.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "ModelFileMutation.h"
#include "ModelFilesTestSupport.h"
#include "engine/EngineData.h"
#include "engine/ModelSetup.h"
#include "engine/WaterQuality.h"
#include "engine/WaterQualityFile.h"

using namespace modelfiles_test;

namespace {

// Five rectangular nodes numbered 10 to 50 and four boundary elements: an inflow, a lateral
// inflow, one with both codes 0 and a stage hydrograph downstream.
const char* const RiverText = R"( File Type = 0
 Delta t (s) = 60
 Max Delta t (s) = 600
 Model Time (s) = 0
 Simulation Start DateTime (YYYY MM DD HH MM SS) = 2024 06 21 00 00 00
 Number of Nodes = 5
 Number of Elements = 4
 Number of  Boundary Elements = 4
 Number of Junctions = 0
 System of units = 1
 Hydrodynamics Upwinding Coefficient = 0.25
 Hydrodynamics Upwinding Updating = 0
 Hydrodynamics Theta = 0.6
 Hydrodynamics Tolerance = 1e-05
 Hydrodynamics Formulation = 0
 Hydrodynamics Alpha = 0.5
 Water Temperature (deg C) = 12
	10	4	0	1	0	0	0	10	0.03	20	0	12	30
	20	3	0	1	0	100	0.1	9.95	0.03	20	1	11.95	30
	30	2	0	1	0	200	0.2	9.9	0.03	20	1	11.9	31
	40	1	0	1	0	300	0.3	9.85	0.03	20	1	11.85	31
	50	0	0	1	0	400	0.4	9.8	0.03	20	0	11.8	31
	1	10	20	0	0	0	0	0
	2	20	30	0	0	0	0	0
	3	30	40	0	0	0	0	0
	4	40	50	0	0	0	0	0
	1	10	-1	0	1	2	0	30	100	30
	2	20	-1	0	99	2	0	1	100	1
	3	30	-1	0	0
	4	50	1	1	0	2	0	11.8	100	11.8
)";

using MC = ModelControl;

// The coefficients of each type in file order, as the format lists them.
const std::vector<double MC::*> NutrientFields = {
    &MC::PhiLatitude, &MC::Emax,     &MC::Ftd,   &MC::Eaf,    &MC::ThetaRear, &MC::Rresp,    &MC::ThetaResp,
    &MC::Pmax,        &MC::PmTwo,    &MC::KBOD,  &MC::ThetaBOD, &MC::Ks,      &MC::AOne,     &MC::EOne,
    &MC::ETwo,        &MC::EThree,   &MC::KSOD,  &MC::ThetaSOD, &MC::Ksus,    &MC::Ksed,     &MC::Ucrit,
    &MC::YBOD,        &MC::Un,       &MC::Ub,    &MC::NOne,   &MC::Knit,      &MC::ThetaNit, &MC::Ynit,
    &MC::Ksden,       &MC::NTwo,     &MC::Kden,  &MC::ThetaDen, &MC::Yp,      &MC::Up,       &MC::KPres,
    &MC::KPdep,       &MC::UPcrit,   &MC::Krel,  &MC::ThetaRel, &MC::Kads,    &MC::ThetaAds};
const std::vector<double MC::*> MetalFields = {&MC::Koc, &MC::Kw,    &MC::KsSediment, &MC::Focw, &MC::Focs,
                                               &MC::Dzf, &MC::Fdzds, &MC::Fbiot,      &MC::Mw,   &MC::RhoDs,
                                               &MC::Ps,  &MC::Ws,    &MC::Rs,         &MC::Rp,   &MC::Ucrit};
// Xenobiotic values after the metal ones; null marks the acid and the base flag.
const std::vector<double MC::*> XenobioticFields = {
    &MC::Kbw,  &MC::Kbs,  &MC::Khsw, &MC::Khss, &MC::ThetaB, &MC::AlphaL, &MC::Kpho, &MC::KH,  nullptr, nullptr,
    &MC::Pka,  &MC::Pkb,  &MC::Khac, &MC::Khne, &MC::Khal,   &MC::RG,     &MC::PHw,  &MC::PHs, &MC::Uwind};

// A water-quality file as lists of number tokens; labels carry no meaning to the reader, so the
// text gets a few words without digits between the sections only.
struct WQParts {
    int type = 0;
    std::vector<std::string> header;
    std::vector<std::string> coefficients;
    std::vector<std::vector<std::string>> nodes;
    std::vector<std::vector<std::string>> boundaries;

    std::string Text(const char* lineEnd = "\n") const
    {
        std::string t;
        const auto row = [&](const std::vector<std::string>& tokens) {
            for (const std::string& token : tokens) t += "\t" + token;
            t += std::string(" ") + lineEnd;
        };
        t += std::string(" WQ settings") + lineEnd;
        row(header);
        t += std::string(" coefficients") + lineEnd;
        for (const std::string& c : coefficients) t += " value = " + c + lineEnd;
        t += std::string(" Node Information") + lineEnd;
        for (const auto& n : nodes) row(n);
        t += std::string(" Boundary Element Information") + lineEnd;
        for (const auto& b : boundaries) row(b);
        return t;
    }
};

std::string Number(double v)
{
    char b[40];
    std::snprintf(b, sizeof b, "%.17g", v);
    return b;
}

int CoefficientCount(int type)
{
    return type == 0 ? 41 : type == 1 ? 15 : 34;
}

// Distinct values everywhere, so that a value read into the wrong place shows.
WQParts Parts(int type)
{
    WQParts p;
    p.type = type;
    p.header = {std::to_string(type), "5", "4", "0.3", "1", "0.6", "2e-05"};
    for (int i = 0; i < CoefficientCount(type); ++i)
        p.coefficients.push_back(type == 2 && (i == 23 || i == 24) ? (i == 23 ? "1" : "0") : Number(1.5 * i + 0.125));
    for (int n = 1; n <= 5; ++n) {
        std::vector<std::string> row = {std::to_string(10 * n)};
        for (int k = 0; k < 6; ++k) row.push_back(Number(n + 0.1 * k + 0.001));
        p.nodes.push_back(row);
    }
    const int values = type == 0 ? 6 : 3;
    const auto series = [&](std::vector<std::string> row, double base) {
        row.push_back("2");
        for (double hours : {0.0, 1.5}) {
            row.push_back(Number(hours));
            for (int k = 0; k < values; ++k) row.push_back(Number(base + hours + 0.01 * k));
        }
        return row;
    };
    p.boundaries = {series({"1", "10", "-1", "0", "1"}, 7), series({"2", "20", "-1", "0", "99"}, 3),
                    {"3", "30", "-1", "0", "0"}, {"4", "50", "1", "1", "0", "7"}};
    return p;
}

double Value(const std::string& token)
{
    return std::strtod(token.c_str(), nullptr);
}

FILE* WQStreamOver(const std::string& text)
{
    return StreamOver(text);
}

int ReadWQText(const std::string& text)
{
    QuietStdout quiet;
    return ReadWQFile(WQStreamOver(text));
}

std::string WriteWQText(int* code = nullptr)
{
    char* data = nullptr;
    size_t size = 0;
    FILE* f = open_memstream(&data, &size);
    int result = 0;
    {
        QuietStdout quiet;
        result = WriteWQFile(f);
    }
    if (code) *code = result;
    std::string text(data ? data : "", size);
    std::free(data);
    return text;
}

// What the engine holds of water quality beyond the node records: settings, coefficients and
// series (doubles as hex floats, so equal text means equal bits).
std::string WaterQualitySnapshot()
{
    std::string s;
    const auto real = [&](double v) {
        char b[64];
        std::snprintf(b, sizeof b, "%a ", v);
        s += b;
    };
    const ModelControl& mc = g_ModelControl;
    s += "type " + std::to_string(mc.WQFileType) + " on " + std::to_string(mc.WaterQualityOn) + "\n";
    for (const auto* fields : {&NutrientFields, &MetalFields, &XenobioticFields})
        for (double MC::*f : *fields)
            if (f) real(mc.*f);
    s += " flags " + std::to_string(mc.Bacid) + std::to_string(mc.Bbase) + "\n";
    const EquationSystem& wq = g_EquationSystems[WaterQualitySystem];
    real(wq.Upwinding);
    real(wq.Theta);
    real(wq.Tolerance);
    s += std::to_string(wq.UpwindingUpdating) + "\n";
    for (const BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next) {
        if (!b->WQHydrograph) {
            s += "no series\n";
            continue;
        }
        s += "series " + std::to_string(b->WQHydrograph->RowCount) + "\n";
        for (const auto& column : b->WQHydrograph->Columns)
            for (double v : column) real(v);
        s += "\n";
    }
    return s;
}

class WQFileTest : public ModelFileTest {
protected:
    void SetUp() override
    {
        ModelFileTest::SetUp();
        ASSERT_EQ(ReadTextQuietly(RiverText), 0);
        modelOnly_ = EngineSnapshot();
        modelOnlyWQ_ = WaterQualitySnapshot();
    }
    void TearDown() override
    {
        ReleaseWaterQuality();
        ModelFileTest::TearDown();
    }

    // The engine holds the model as it was read and no water-quality state at all.
    void ExpectNoWaterQuality() const
    {
        EXPECT_EQ(EngineSnapshot(), modelOnly_);
        EXPECT_EQ(WaterQualitySnapshot(), modelOnlyWQ_);
        EXPECT_EQ(g_ModelControl.WaterQualityOn, 0);
    }

    std::string modelOnly_, modelOnlyWQ_;
};

// Every number of the parts is where the format puts it.
void ExpectReadAsGiven(const WQParts& p)
{
    const ModelControl& mc = g_ModelControl;
    const EquationSystem& wq = g_EquationSystems[WaterQualitySystem];
    EXPECT_EQ(mc.WQFileType, p.type);
    EXPECT_EQ(mc.WaterQualityOn, 1);
    EXPECT_EQ(wq.Upwinding, Value(p.header[3]));
    EXPECT_EQ(wq.UpwindingUpdating, static_cast<int>(Value(p.header[4])));
    EXPECT_EQ(wq.Theta, Value(p.header[5]));
    EXPECT_EQ(wq.Tolerance, Value(p.header[6]));

    std::vector<double MC::*> fields = p.type == 0 ? NutrientFields : MetalFields;
    if (p.type == 2) fields.insert(fields.end(), XenobioticFields.begin(), XenobioticFields.end());
    ASSERT_EQ(fields.size(), p.coefficients.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        if (!fields[i]) continue;
        EXPECT_EQ(mc.*fields[i], Value(p.coefficients[i])) << "coefficient " << i;
    }
    if (p.type == 2) {
        EXPECT_EQ(mc.Bacid, static_cast<int>(Value(p.coefficients[23])));
        EXPECT_EQ(mc.Bbase, static_cast<int>(Value(p.coefficients[24])));
    }

    int row = 0;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next, ++row) {
        const double* values = p.type == 0 ? n->WQValues : n->MetalValues;
        const double* previous = p.type == 0 ? n->PreviousWQValues : n->PreviousMetalValues;
        const double* other = p.type == 0 ? n->MetalValues : n->WQValues;
        for (int k = 0; k < 6; ++k) {
            const double v = Value(p.nodes[row][k + 1]);
            EXPECT_EQ(values[k], v);
            EXPECT_EQ(previous[k], v);
            EXPECT_EQ(n->WQUnknowns[k], v);
            EXPECT_EQ(n->PreviousWQUnknowns[k], v);
            EXPECT_EQ(other[k], 0.0);
        }
    }

    int index = 0;
    const int first = p.type == 0 ? 1 : 7;
    const int values = p.type == 0 ? 6 : 3;
    for (const BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next, ++index) {
        const std::vector<std::string>& tokens = p.boundaries[index];
        const WQBoundaryHydrograph* h = b->WQHydrograph;
        if (b->StageCode == 0 && b->DischargeCode == 0) {
            EXPECT_EQ(h, nullptr);
            continue;
        }
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(h->Node, b->Node());
        const bool inflow = b->StageCode == 0 && (b->DischargeCode == 1 || b->DischargeCode == 99);
        const int rows = inflow ? static_cast<int>(Value(tokens[5])) : 0;
        ASSERT_EQ(h->RowCount, rows);
        for (int r = 0; r < rows; ++r) {
            const size_t at = 6 + static_cast<size_t>(r) * (values + 1);
            EXPECT_EQ(h->Columns[0][r], Value(tokens[at]) * 3600);
            for (int c = 1; c < WQBoundaryHydrographColumns; ++c) {
                const bool carried = c >= first && c < first + values;
                EXPECT_EQ(h->Columns[c][r], carried ? Value(tokens[at + 1 + c - first]) : 0.0) << c;
            }
        }
    }
}

TEST_F(WQFileTest, EachTypeReadsByPositionAndWritesBackTheSameFile)
{
    for (int type : {WQNutrients, WQHeavyMetals, WQXenobiotics}) {
        SCOPED_TRACE(type);
        const WQParts parts = Parts(type);
        ASSERT_EQ(ReadWQText(parts.Text()), 0) << WQReaderRefusal();
        ExpectReadAsGiven(parts);

        int code = -2;
        const std::string written = WriteWQText(&code);
        ASSERT_EQ(code, 0);
        EXPECT_EQ(written.find('\r'), std::string::npos);
        ASSERT_EQ(ReadWQText(written), 0) << WQReaderRefusal();
        EXPECT_EQ(WriteWQText(), written);

        // CR LF line ends read the same.
        ASSERT_EQ(ReadWQText(parts.Text("\r\n")), 0);
        EXPECT_EQ(WriteWQText(), written);

        // A comma-decimal locale changes no value read and no byte written.
        CommaLocale locale;
        if (locale.Active()) {
            ASSERT_EQ(ReadWQText(written), 0);
            code = -2;
            EXPECT_EQ(WriteWQText(&code), written);
            EXPECT_EQ(code, 0);
        }
    }
}

// A heavy-metal or xenobiotic file whose mole weight, dry sediment density or porosity is not
// above 0 cannot be run (the kinetics divide by them), but it reads and writes back like any.
TEST_F(WQFileTest, FilesThatCannotBeRunStillReadAndWriteBack)
{
    const struct {
        int type;
        size_t coefficient;   // Mw 8, RhoDs 9, Ps 10
        const char* value;
        const char* name;
    } cases[] = {
        {WQHeavyMetals, 8, "0", "Mw"},    {WQHeavyMetals, 9, "-250", "RhoDs"}, {WQHeavyMetals, 10, "0", "Ps"},
        {WQXenobiotics, 8, "-1", "Mw"},   {WQXenobiotics, 10, "0", "Ps"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WQParts parts = Parts(c.type);
        parts.coefficients[c.coefficient] = c.value;
        ASSERT_EQ(ReadWQText(parts.Text()), 0) << WQReaderRefusal();
        ExpectReadAsGiven(parts);
        double value = 1;
        EXPECT_STREQ(FindUnrunnableWQCoefficient(&value), c.name);
        EXPECT_EQ(value, Value(c.value));
        int code = -2;
        const std::string written = WriteWQText(&code);
        ASSERT_EQ(code, 0);
        ASSERT_EQ(ReadWQText(written), 0) << WQReaderRefusal();
        EXPECT_EQ(WriteWQText(), written);
    }
}

TEST_F(WQFileTest, WrittenLinesCarryTheFormatsLabelsAndBytes)
{
    struct Case {
        int type;
        std::vector<std::string> lines;
    } cases[] = {
        {WQNutrients,
         {" WQ File Type = 0\n\n Number of WQ Nodes = 5\n Number of WQ Boundary Elements = 4\n\n",
          "WQ Upwinding Coefficient = 0.3\n WQ Upwinding Updating = 1\n WQ Theta = 0.6\n WQ Tolerance = 2e-05\n\n",
          " Temperature : latitude(phi_latitude) = 0.125\n",
          " Oxygen Processes : Production / respiration equation order(pm'two') = 12.125\n",
          " Phosphorus processes : Temperature coefficient for formation(Theta_ads) = 60.125\n",
          "\n \tNode #\tDO (mg/L)\tAmmonia (mg/L)\tNitrate (mg/L)\tBOD (mg/L)\tOP (mg/L)\tPP (mg/L)\n\n",
          "\t10\t1.001\t1.101\t1.201\t1.301\t1.401\t1.501 \n",
          "\n \tBoundary Element Information \n\n \tBoundary Element #\tNode #\tBoundary condition codes\n\n",
          "\t1\t10\t-1\t0\t1\t2 \n\t0\t7\t7.01\t7.02\t7.03\t7.04\t7.05 \n\t1.5\t8.5\t8.51\t8.52\t8.53\t8.54\t8.55 \n \n \n",
          "\t3\t30\t-1\t0\t0 \n", "\t4\t50\t1\t1\t0\t0 \n \n \n"}},
        {WQHeavyMetals,
         {" Density of dry sediment (rho_ds) =  13.625\n",
          " Critical current velocity for sediment resuspension (Ucrit) =  21.125\n",
          "\n \tNode #\tCds (mg/L)\tCaw (mg/L)\tCss (mg/L)\tCds (g/m\xB2)\tCas (g/m\xB2)\tMs (g/m\xB2)\n\n",
          "\t2\t20\t-1\t0\t99\t2 \n\t0\t3\t3.01\t3.02 \n"}},
        {WQXenobiotics,
         {" Arrhenius temperature coefficient for biodegradation(Theta_B)  28.625\n",
          " Is the compound an acid[zero or one](bacid) =   1\n",
          " Is the compound a base[zero or one](bbase) =   0\n",
          " Universal gas constant(RG) =  45.125\n\n pH water(pHw) =  46.625\n",
          " Wind velocity(Uwind) =  49.625\n\n \tNode Information \n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        ASSERT_EQ(ReadWQText(Parts(c.type).Text()), 0) << WQReaderRefusal();
        const std::string written = WriteWQText();
        for (const std::string& line : c.lines) EXPECT_NE(written.find(line), std::string::npos) << line;
    }
}

TEST_F(WQFileTest, LoadCasesAndRefusals)
{
    struct Case {
        const char* name;
        int type;
        std::function<void(WQParts&)> change;
        int code;
        const char* message;   // part of the refusal's line
        std::function<void()> check;
    };
    const auto inflowRows = [](int rows) {
        return [rows](WQParts& p) {
            p.boundaries[0].resize(5);
            p.boundaries[0].push_back(std::to_string(rows));
        };
    };
    const Case cases[] = {
        {"heavy metals with a boundary of codes 0 and 0", WQHeavyMetals, [](WQParts&) {}, 0, "",
         [] { EXPECT_EQ(g_BoundaryElementBlock[2].WQHydrograph, nullptr); }},
        {"theta 2 is stored as 1", WQNutrients, [](WQParts& p) { p.header[5] = "2"; }, 0, "",
         [] { EXPECT_EQ(g_EquationSystems[WaterQualitySystem].Theta, 1.0); }},
        {"theta below 0 is stored as 0", WQNutrients, [](WQParts& p) { p.header[5] = "-0.5"; }, 0, "",
         [] { EXPECT_EQ(g_EquationSystems[WaterQualitySystem].Theta, 0.0); }},
        {"positions compare as whole numbers", WQNutrients, [](WQParts& p) { p.boundaries[0][2] = "-1.7"; }, 0, "",
         [] {}},
        {"an inflow series without rows", WQNutrients, inflowRows(0), 0, "",
         [] { EXPECT_EQ(g_BoundaryElementBlock[0].WQHydrograph->RowCount, 0); }},
        {"the header's counts are for people", WQNutrients,
         [](WQParts& p) {
             p.header[1] = "999";
             p.header[2] = "0";
         },
         0, "", [] {}},
        {"second boundary row names another node", WQNutrients, [](WQParts& p) { p.boundaries[1][1] = "30"; }, 2,
         "WQ boundary row 2 gives node 30 where the model's boundary element 2 is at node 20", nullptr},
        {"another boundary element number", WQNutrients, [](WQParts& p) { p.boundaries[0][0] = "9"; }, 1,
         "WQ boundary row 1 gives boundary element 9 where the model has 1", nullptr},
        {"another position", WQHeavyMetals, [](WQParts& p) { p.boundaries[3][2] = "-1"; }, 3,
         "WQ boundary row 4 gives position -1 where the model's boundary element 4 has 1", nullptr},
        {"another stage code", WQNutrients, [](WQParts& p) { p.boundaries[3][3] = "2"; }, 4,
         "WQ boundary row 4 gives stage code 2 where the model's boundary element 4 has 1", nullptr},
        {"another discharge code", WQXenobiotics, [](WQParts& p) { p.boundaries[1][4] = "1"; }, 5,
         "WQ boundary row 2 gives discharge code 1 where the model's boundary element 2 has 99", nullptr},
        {"a node row numbered 0", WQNutrients, [](WQParts& p) { p.nodes[0][0] = "0"; }, 6,
         "WQ node row 1 gives node 0 where the model has node 10", nullptr},
        {"node rows out of order", WQHeavyMetals, [](WQParts& p) { std::swap(p.nodes[1][0], p.nodes[2][0]); }, 6,
         "WQ node row 2 gives node 30 where the model has node 20", nullptr},
        {"file ends in the node rows", WQNutrients,
         [](WQParts& p) {
             p.nodes.pop_back();
             p.boundaries.clear();
         },
         7, "File ends early in the WQ node row 5", nullptr},
        {"file ends before the flags", WQXenobiotics,
         [](WQParts& p) {
             p.coefficients.resize(23);
             p.nodes.clear();
             p.boundaries.clear();
         },
         7, "File ends early in the WQ header", nullptr},
        {"a value too large for a double", WQNutrients, [](WQParts& p) { p.nodes[3][4] = "1e400"; }, 9,
         "Number 1e400 out of range in the WQ node row 4", nullptr},
        {"a node number too large for an int", WQNutrients, [](WQParts& p) { p.nodes[2][0] = "3e10"; }, 10,
         "Integer 3e10 out of range in the WQ node row 3", nullptr},
        {"WQ File Type 3", WQNutrients, [](WQParts& p) { p.header[0] = "3"; }, 11, "WQ File Type 3 is not 0, 1 or 2",
         nullptr},
        {"negative WQ File Type", WQNutrients, [](WQParts& p) { p.header[0] = "-1"; }, 11,
         "WQ File Type -1 is not 0, 1 or 2", nullptr},
        {"acid flag 2", WQXenobiotics, [](WQParts& p) { p.coefficients[23] = "2"; }, 12,
         "The acid flag 2 is not 0 or 1", nullptr},
        {"base flag -1", WQXenobiotics, [](WQParts& p) { p.coefficients[24] = "-1"; }, 12,
         "The base flag -1 is not 0 or 1", nullptr},
        {"tolerance 0", WQNutrients, [](WQParts& p) { p.header[6] = "0"; }, 13, "WQ Tolerance 0 is not above 0",
         nullptr},
        {"negative tolerance", WQHeavyMetals, [](WQParts& p) { p.header[6] = "-1e-5"; }, 13,
         "WQ Tolerance -1e-05 is not above 0", nullptr},
        {"more rows than a series holds", WQNutrients, inflowRows(100001), 29,
         "The WQ series of boundary element 1 has 100001 rows: not between 0 and 100000", nullptr},
        {"a negative row count", WQNutrients, inflowRows(-1), 29,
         "The WQ series of boundary element 1 has -1 rows: not between 0 and 100000", nullptr},
        {"fewer node rows than the model has nodes", WQNutrients, [](WQParts& p) { p.nodes.pop_back(); }, 14,
         "The WQ file has 4 node rows and the model 5 nodes: WQ node row 5 gives node 1, the number of its first "
         "boundary row",
         nullptr},
        {"series times that are equal", WQNutrients, [](WQParts& p) { p.boundaries[0][13] = "0"; }, 41,
         "The times of the WQ series of boundary element 1 do not increase: row 1 is at 0 h and row 2 at 0 h", nullptr},
        {"series times reversed", WQHeavyMetals,
         [](WQParts& p) {
             p.boundaries[1][6] = "1.5";
             p.boundaries[1][10] = "0";
         },
         41, "The times of the WQ series of boundary element 2 do not increase: row 1 is at 1.5 h and row 2 at 0 h",
         nullptr},
        {"a series time that is infinite in seconds", WQNutrients, [](WQParts& p) { p.boundaries[0][13] = "1e308"; },
         37, "Number 1e308 in the WQ series of boundary element 1 is out of range (time from -1e13 to 1e13 s)",
         nullptr},
        {"a row count out of range where no rows are read", WQNutrients,
         [](WQParts& p) { p.boundaries[3][5] = "200000"; }, 29, "The WQ series of boundary element 4 has 200000 rows",
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A load over an earlier one: a refusal leaves none of either behind.
        ASSERT_EQ(ReadWQText(Parts(WQXenobiotics).Text()), 0);
        WQParts parts = Parts(c.type);
        c.change(parts);
        const int code = ReadWQText(parts.Text());
        EXPECT_EQ(code, c.code) << WQReaderRefusal();
        if (c.code == 0) {
            EXPECT_EQ(g_ModelControl.WaterQualityOn, 1);
            EXPECT_STREQ(WQReaderRefusal(), "");
            if (c.check) c.check();
            continue;
        }
        EXPECT_EQ(std::string(WQReaderRefusal()).rfind(c.message, 0), 0u) << WQReaderRefusal();
        // The slopes of the earlier load's initialisation are model state, not water quality.
        for (NodeRecord& n : g_NodeBlock) n.SurfaceSlope = 0;
        ExpectNoWaterQuality();
    }
}

TEST_F(WQFileTest, FilesThatCannotBeReadLeaveNoWaterQuality)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("wq-files-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    struct Case {
        const char* name;
        std::filesystem::path path;
        int code;
        std::string message;
    } cases[] = {
        {"missing file", folder / "missing.nu", -1, "Unable to open that file"},
        {"a folder", folder, 35, folder.string() + " is not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ReadWQText(Parts(WQNutrients).Text()), 0);
        int code = 0;
        {
            QuietStdout quiet;
            code = LoadWQFile(c.path);
        }
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(WQReaderRefusal(), c.message);
        for (NodeRecord& n : g_NodeBlock) n.SurfaceSlope = 0;
        ExpectNoWaterQuality();
    }

    // A file needs a model to belong to.
    const std::filesystem::path file = folder / "river.nu";
    {
        FILE* f = std::fopen(file.c_str(), "wb");
        const std::string text = Parts(WQNutrients).Text();
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    {
        QuietStdout quiet;
        EXPECT_EQ(LoadWQFile(file), 0);
        ReleaseModel();
        SetModelDefaults();
        EXPECT_EQ(LoadWQFile(file), 34);
    }
    EXPECT_STREQ(WQReaderRefusal(), "No model is loaded to take the water-quality data");
    EXPECT_EQ(g_ModelControl.WaterQualityOn, 0);
    std::filesystem::remove_all(folder);
}

TEST_F(WQFileTest, TheWriterRefusesWhatItCannotWriteWhole)
{
    ASSERT_EQ(ReadWQText(Parts(WQNutrients).Text()), 0);
    const std::string good = WriteWQText();

    // A value that is not a finite number writes nothing.
    g_NodeBlock[2].WQValues[4] = std::nan("");
    int code = -2;
    EXPECT_EQ(WriteWQText(&code), "");
    EXPECT_EQ(code, 1);
    g_NodeBlock[2].WQValues[4] = 1;
    g_BoundaryElementBlock[1].WQHydrograph->Columns[3][1] = HUGE_VAL;
    EXPECT_EQ(WriteWQText(&code), "");
    EXPECT_EQ(code, 1);
    ASSERT_EQ(ReadWQText(good), 0);

    // A write error is reported.
    if (FILE* full = std::fopen("/dev/full", "wb")) {
        QuietStdout quiet;
        EXPECT_EQ(WriteWQFile(full), 3);
    }

    // An inflow without a series yet writes no rows and reads back as a series without rows.
    delete g_BoundaryElementBlock[0].WQHydrograph;
    g_BoundaryElementBlock[0].WQHydrograph = nullptr;
    const std::string text = WriteWQText(&code);
    ASSERT_EQ(code, 0);
    EXPECT_NE(text.find("\t1\t10\t-1\t0\t1\t0 \n \n \n\t2\t20"), std::string::npos);
    ASSERT_EQ(ReadWQText(text), 0);
    ASSERT_NE(g_BoundaryElementBlock[0].WQHydrograph, nullptr);
    EXPECT_EQ(g_BoundaryElementBlock[0].WQHydrograph->RowCount, 0);
    EXPECT_EQ(WriteWQText(), text);
}

TEST_F(WQFileTest, SavingReplacesTheFileOnlyWithAWholeOne)
{
    ASSERT_EQ(ReadWQText(Parts(WQHeavyMetals).Text()), 0);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("wq-save-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path target = folder / "river.hm";
    {
        FILE* f = std::fopen(target.c_str(), "wb");
        std::fputs("previous contents", f);
        std::fclose(f);
    }
    const auto leftovers = [&] {
        int files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) files += entry.path() != target;
        return files;
    };

    g_NodeBlock[0].MetalValues[0] = std::nan("");
    int code = 0;
    {
        QuietStdout quiet;
        code = SaveWQFile(target);
    }
    EXPECT_EQ(code, 1);
    EXPECT_EQ(ReadBytes(target.string()), "previous contents");
    EXPECT_EQ(leftovers(), 0);

    g_NodeBlock[0].MetalValues[0] = 2;
    {
        QuietStdout quiet;
        code = SaveWQFile(target);
    }
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadBytes(target.string()), WriteWQText());
    EXPECT_EQ(leftovers(), 0);

    {
        QuietStdout quiet;
        EXPECT_EQ(SaveWQFile(folder / "no-such-folder" / "river.hm"), -1);
    }
    std::filesystem::remove_all(folder);
}

// Seeded mutants of the three types (bytes, tokens, ranges, lines out of order): each is read
// or refused with a listed code, a refusal leaves no water quality, and what is read writes a
// file that reads again.
TEST_F(WQFileTest, MutatedFilesAreReadOrRefusedCleanly)
{
    const char* const given = std::getenv("VASQUIL_WQ_FUZZ_ITERATIONS");
    const int iterations = given && *given ? std::atoi(given) : 3000;
    const std::set<int> codes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 29, 32, 34, 37, 41};
    const std::vector<std::string> seeds = {Parts(WQNutrients).Text(), Parts(WQHeavyMetals).Text(),
                                            Parts(WQXenobiotics).Text()};
    int read = 0, refused = 0;
    std::vector<std::string> failures;
    for (int i = 0; i < iterations && failures.size() < 10; ++i) {
        std::mt19937 random(20251211u * 1000003u + static_cast<unsigned>(i));
        const std::string text = Mutate(seeds[random() % seeds.size()], random);
        const auto check = [&]() -> std::string {
            const int code = ReadWQText(text);
            if (!codes.count(code)) return "unlisted code " + std::to_string(code);
            if (code != 0) {
                ++refused;
                for (NodeRecord& n : g_NodeBlock) n.SurfaceSlope = 0;
                if (g_ModelControl.WaterQualityOn != 0 || EngineSnapshot() != modelOnly_ ||
                    WaterQualitySnapshot() != modelOnlyWQ_)
                    return "refused with code " + std::to_string(code) + " but water quality is left";
                return "";
            }
            ++read;
            int written = 0;
            const std::string saved = WriteWQText(&written);
            if (written != 0) return "";  // a value that cannot be written whole is refused by the writer
            if (const int again = ReadWQText(saved); again != 0)
                return "the written file is refused with code " + std::to_string(again) + ": " + WQReaderRefusal();
            return "";
        };
        if (const std::string what = check(); !what.empty())
            failures.push_back("iteration " + std::to_string(i) + ": " + what + "\n" + text);
    }
    for (const std::string& f : failures) ADD_FAILURE() << f;
    EXPECT_GT(read, iterations / 20) << "mutations should leave some files readable";
    EXPECT_GT(refused, iterations / 4);
}

}  // namespace
