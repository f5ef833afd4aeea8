// Round trips of the model file: what is read is written back and reads back the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ModelFilesTestSupport.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelHeader.h"

using namespace modelfiles_test;

namespace {

class RoundTrip : public ModelFileTest, public ::testing::WithParamInterface<const char*> {};

// Every setting of the header blocks of a model's file type, given a value of its own (a
// fraction below 1, a whole number for an int, a tolerance in range), is written under its key
// in the table's order and read back as it was.
TEST_F(ModelFileTest, EveryHeaderSettingOfEveryBlockIsWrittenUnderItsKeyAndReadBack)
{
    struct Row {
        const char* key;
        double* real;
        int* integer;
    };
    for (const char* fixture : {"ft0-metric.vqx", "ft1-metric.vqx", "ft2-metric.vqx", "ft3-metric.vqx"}) {
        SCOPED_TRACE(fixture);
        ASSERT_EQ(ReadTextQuietly(Fixture(fixture)), 0);
        std::vector<Row> rows;
#define VASQUIL_TEST_ROW(A, kind, owner, name, key, quantity, unit, value, style, rule) \
        rows.push_back(Row{key, VASQUIL_TEST_REAL_##kind(VASQUIL_HEADER_OWNER_##owner.name),      \
                           VASQUIL_TEST_INT_##kind(VASQUIL_HEADER_OWNER_##owner.name)});
#define VASQUIL_TEST_REAL_Real(field) &(field)
#define VASQUIL_TEST_REAL_Int(field) nullptr
#define VASQUIL_TEST_INT_Real(field) nullptr
#define VASQUIL_TEST_INT_Int(field) &(field)
        const int type = g_ModelControl.FileType;
        VASQUIL_HYDRO_HEADER(VASQUIL_TEST_ROW, _)
        if (HasWaterTemperatureBlock(type)) { VASQUIL_WATER_TEMPERATURE_HEADER(VASQUIL_TEST_ROW, _) }
        if (HasIceBlock(type)) { VASQUIL_ICE_HEADER(VASQUIL_TEST_ROW, _) }
        if (type == FileTypeStaticIce) { VASQUIL_STATIC_ICE_HEADER(VASQUIL_TEST_ROW, _) }
        if (type == FileTypeDynamicIce) { VASQUIL_DYNAMIC_ICE_HEADER(VASQUIL_TEST_ROW, _) }
        if (type == FileTypeThermalIce) { VASQUIL_THERMAL_ICE_HEADER(VASQUIL_TEST_ROW, _) }
#undef VASQUIL_TEST_ROW
#undef VASQUIL_TEST_REAL_Real
#undef VASQUIL_TEST_REAL_Int
#undef VASQUIL_TEST_INT_Real
#undef VASQUIL_TEST_INT_Int
        // Values in 64ths: below 1 (fractions, tolerances and the thermal model's pair of
        // surface-ice concentrations, which must rise from minimum to maximum) and written in
        // full by the writer's digits; a setting listed twice holds the value of its last row.
        ASSERT_LT(rows.size(), 64u);
        std::vector<double> reals;
        std::vector<int> ints;
        for (size_t k = 0; k < rows.size(); ++k) {
            if (rows[k].real) *rows[k].real = static_cast<double>(k + 1) / 64;
            if (rows[k].integer) *rows[k].integer = static_cast<int>(k % 2);
        }
        for (const Row& r : rows) {
            reals.push_back(r.real ? *r.real : 0);
            ints.push_back(r.integer ? *r.integer : 0);
        }
        int code = -2;
        const std::string text = WriteText(&code);
        ASSERT_EQ(code, 0);
        size_t at = 0;
        for (const Row& r : rows) {
            const size_t found = text.find(std::string(r.key) + " =", at);
            ASSERT_NE(found, std::string::npos) << r.key;
            at = found + 1;
        }
        ASSERT_EQ(ReadTextQuietly(text), 0);
        for (size_t k = 0; k < rows.size(); ++k) {
            SCOPED_TRACE(rows[k].key);
            if (rows[k].real) {
                EXPECT_EQ(*rows[k].real, reals[k]);
            }
            if (rows[k].integer) {
                EXPECT_EQ(*rows[k].integer, ints[k]);
            }
        }
    }
}

// One field of a first read is not what a file written from it gives back, by the engine's own
// rules: a section node carries its water-surface width in the Bws column (its rectangle width
// read back is that width). Nothing else may differ.
std::string SnapshotOfTheReadFields()
{
    std::vector<double> rectWidths;
    for (NodeRecord* n = g_Nodes; n; n = n->Next) {
        rectWidths.push_back(n->RectWidth);
        if (n->SectionCode != 0) n->RectWidth = 0;
    }
    std::string snapshot = EngineSnapshot();
    size_t k = 0;
    for (NodeRecord* n = g_Nodes; n; n = n->Next, ++k) n->RectWidth = rectWidths[k];
    return snapshot;
}

TEST_P(RoundTrip, WrittenFileReadsBackToTheSameDataAndBytes)
{
    const std::string original = Fixture(GetParam());
    ASSERT_FALSE(original.empty());
    int code = -2;

    ASSERT_EQ(ReadTextQuietly(original), 0);
    const std::string first = SnapshotOfTheReadFields();
    std::vector<double> topWidths;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next) topWidths.push_back(n->TopWidth);
    const std::string written1 = WriteText(&code);
    ASSERT_EQ(code, 0);

    ASSERT_EQ(ReadTextQuietly(written1), 0);
    EXPECT_EQ(SnapshotOfTheReadFields(), first);
    size_t k = 0;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next, ++k)
        if (n->SectionCode != 0) {
            // The width as printed: twelve significant digits in the file's length unit.
            const double L = g_ModelControl.LengthFactor;
            char printed[32];
            std::snprintf(printed, sizeof printed, "%.12g", topWidths[k] / L);
            EXPECT_EQ(n->RectWidth, std::strtod(printed, nullptr) * L) << "node " << n->Number;
        }
    const std::string second = EngineSnapshot();
    const std::string written2 = WriteText(&code);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(written2, written1);

    ASSERT_EQ(ReadTextQuietly(written2), 0);
    EXPECT_EQ(EngineSnapshot(), second);
}

TEST_P(RoundTrip, LabelsCarryNoMeaning)
{
    const std::string original = Fixture(GetParam());
    ASSERT_EQ(ReadTextQuietly(original), 0);
    const std::string expected = EngineSnapshot();

    const std::string withoutLetters =
        RewriteLabels(original, [](char c) { return std::isalpha(static_cast<unsigned char>(c)) ? "" : std::string(1, c); });
    ASSERT_NE(withoutLetters, original);
    ASSERT_EQ(ReadTextQuietly(withoutLetters), 0);
    EXPECT_EQ(EngineSnapshot(), expected);

    // Labels rewritten: other letters, brackets, the degree sign, tabs for blanks.
    const std::string rewritten = RewriteLabels(original, [](char c) -> std::string {
        if (std::isalpha(static_cast<unsigned char>(c))) return c == 'e' || c == 'E' ? "\xB0" : "Qx";
        if (c == ' ') return "\t(";
        if (c == '=') return ":";
        return std::string(1, c);
    });
    ASSERT_EQ(ReadTextQuietly(rewritten), 0);
    EXPECT_EQ(EngineSnapshot(), expected);
}

// The test name of a fixture: its file name with '_' for every character but letters and digits.
std::string FixtureTestName(const ::testing::TestParamInfo<const char*>& param)
{
    std::string name = param.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RoundTrip, ::testing::ValuesIn(AllFixtures), FixtureTestName);

// Files laid out exactly as the writer lays them out, with rectangular nodes only (whose
// written values are the values read): an open and a save without a run reproduce them byte
// for byte, in every file type.
class WriterLayout : public ModelFileTest, public ::testing::WithParamInterface<const char*> {};

// The text with column `column` (from 1) of every node row replaced by value(row), rows counted
// from 1.
std::string WithNodeColumn(const std::string& text, int column, std::string (*value)(int row))
{
    std::string out;
    size_t at = 0;
    bool nodeRows = false;
    int row = 0;
    while (at < text.size()) {
        const size_t end = std::min(text.find('\n', at), text.size());
        std::string line = text.substr(at, end - at);
        if (line.find("Node Information") != std::string::npos) nodeRows = true;
        else if (line.find("Element Information") != std::string::npos) nodeRows = false;
        // Node rows of the ice file types have at least eighteen columns; section lines fewer.
        if (nodeRows && line.size() > 1 && line[0] == '\t' && std::count(line.begin(), line.end(), '\t') >= 17) {
            size_t from = 0;
            for (int k = 0; k < column; ++k) from = line.find('\t', from) + 1;
            line.replace(from, line.find('\t', from) - from, value(++row));
        }
        out += line;
        if (end < text.size()) out += '\n';
        at = end + 1;
    }
    return out;
}

TEST_P(WriterLayout, OpenAndSaveReproduceTheFile)
{
    std::vector<std::string> texts = {Fixture(GetParam())};
    // A thermal model's ice velocities ("Uice", column 14) are the file's until a run computes
    // them; a static ice cover keeps its thickness whatever its concentration ("Cice", column
    // 14, from 0 to 1), inside the clamps of the surface concentration (0.01 to 1) or below.
    if (texts[0].find("\tUice (") != std::string::npos)
        texts.push_back(WithNodeColumn(texts[0], 14, [](int row) { return std::to_string(row) + ".5"; }));
    if (texts[0].find("\tCice\ttIce (") != std::string::npos)
        texts.push_back(WithNodeColumn(texts[0], 14, [](int row) { return std::string(row % 2 ? "0.005" : "1"); }));
    for (const std::string& original : texts) {
        ASSERT_EQ(ReadTextQuietly(original), 0);
        int code = -2;
        EXPECT_EQ(WriteText(&code), original);
        EXPECT_EQ(code, 0);
    }
    EXPECT_EQ(texts.size(), g_ModelControl.FileType == 1 || g_ModelControl.FileType == 3 ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, WriterLayout,
                         ::testing::Values("layout-ft0-metric.vqx", "layout-ft1-imperial.vqx", "layout-ft2-metric.vqx",
                                           "layout-ft3-imperial.vqx"),
                         FixtureTestName);

// The text with the value of the header line `key` (up to its line end) replaced by `value`.
std::string WithHeaderValue(std::string text, const std::string& key, const std::string& value)
{
    const size_t at = text.find(key);
    if (at == std::string::npos) return "";
    const size_t from = at + key.size();
    text.replace(from, text.find_first_of("\r\n", from) - from, value);
    return text;
}

// A header value with more digits than the eight that the header shows (typed, converted from
// other units, the model time of a long run) keeps them over an open and a save, and what the
// reader derives from it in the rows saves the same again: the concentration of a dynamic ice
// cover (from the single-layer thickness, or the largest concentration where the cover is
// packed) and border ice widths cut to the largest border fraction.
TEST_F(ModelFileTest, HeaderValuesKeepTheirDigitsOverASave)
{
    const struct {
        const char* fixture;
        const char* key;
        const char* value;
    } cases[] = {
        {"ft2-imperial.vqx", " Single Layer Ice Thickness (m) = ", "1.31233595801"},
        {"ft2-metric.vqx", " Maximum Surface Ice Concentration = ", "0.123456789"},
        {"ft3-metric.vqx", " Maximum Fraction of Channel Covered by Border Ice = ", "0.123456784"},
        {"ft1-metric.vqx", " Model Time (s) = ", "12345678.9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fixture) + c.key + c.value);
        const std::string text = WithHeaderValue(Fixture(c.fixture), c.key, c.value);
        ASSERT_FALSE(text.empty());
        ASSERT_EQ(ReadTextQuietly(text), 0);
        int code = -2;
        const std::string first = WriteText(&code);
        ASSERT_EQ(code, 0);
        EXPECT_NE(first.find(std::string(c.key) + c.value + "\n"), std::string::npos);
        ASSERT_EQ(ReadTextQuietly(first), 0);
        EXPECT_EQ(WriteText(&code), first);
    }
}

TEST_F(ModelFileTest, CarriageReturnLineEndsReadLikeLineFeeds)
{
    const std::string crlf = Fixture("ft2-imperial.vqx");
    ASSERT_NE(crlf.find("\r\n"), std::string::npos);
    std::string lf;
    for (char c : crlf)
        if (c != '\r') lf += c;
    ASSERT_EQ(ReadTextQuietly(lf), 0);
    const std::string expected = EngineSnapshot();
    ASSERT_EQ(ReadTextQuietly(crlf), 0);
    EXPECT_EQ(EngineSnapshot(), expected);
    // Written files use LF only.
    EXPECT_EQ(WriteText().find('\r'), std::string::npos);
}

TEST_F(ModelFileTest, AFileFromTheNewCommandReads)
{
    // The New command's layout: fixed three decimals, its own labels, section code -100.
    const std::string text = Fixture("new-command.vqx");
    ASSERT_EQ(ReadTextQuietly(text), 0);
    const ModelControl& mc = g_ModelControl;
    EXPECT_EQ(mc.NodeCount, 5);
    EXPECT_EQ(mc.ElementCount, 4);
    EXPECT_EQ(mc.BoundaryElementCount, 2);
    EXPECT_EQ(mc.Formulation, 1);
    EXPECT_EQ(g_EquationSystems[HydrodynamicSystem].Tolerance, 0.00001);
    EXPECT_EQ(mc.WaterTemperature, 4);
    const NodeRecord* last = g_NodeIndex[4];
    EXPECT_EQ(last->SectionCode, -100);
    ASSERT_NE(last->CrossSection, nullptr);
    EXPECT_EQ(last->CrossSection->PointCount, 4);
    EXPECT_EQ(last->CrossSection->RightBankStation, 140.0);
    EXPECT_EQ(last->Chainage, 400.0);
    EXPECT_EQ(last->Discharge, 300.0);
    const BoundaryElementRecord* down = &g_BoundaryElementBlock[1];
    EXPECT_EQ(down->Node(), last);
    ASSERT_NE(down->Hydrograph, nullptr);
    EXPECT_EQ(down->Hydrograph->RowCount, 2);
    EXPECT_EQ(down->Hydrograph->Columns[0][1], 100000.0 * 3600);
    EXPECT_EQ(down->Hydrograph->Columns[1][1], 2.0);
}

}  // namespace
