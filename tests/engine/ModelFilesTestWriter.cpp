// The writer: values it refuses, failures it reports, saving beside the target.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <string>

#include <unistd.h>

#include "ModelFilesTestSupport.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"

using namespace modelfiles_test;

namespace {

class Writer : public ModelFileTest {
protected:
    void SetUp() override
    {
        ModelFileTest::SetUp();
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            if (c == '/') c = '_';
        directory_ = std::filesystem::temp_directory_path() /
                     ("vasquil-writer-" + std::to_string(getpid()) + "-" + name);
        std::filesystem::remove_all(directory_);
        std::filesystem::create_directories(directory_);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(directory_);
        ModelFileTest::TearDown();
    }
    // Names in the directory other than `keep`.
    std::vector<std::string> Others(const std::string& keep)
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(directory_))
            if (entry.path().filename() != keep) names.push_back(entry.path().filename().string());
        return names;
    }
    std::filesystem::path directory_;
};

struct Broken {
    const char* name;
    const char* fixture;
    void (*damage)();
    int code;
    const char* message;
};

const Broken BrokenModels[] = {
    {"StageNotANumber", "ft0-metric.vqx", [] { g_NodeIndex[2]->Stage = std::nan(""); }, 1,
     " Not a finite number in the row of node 3: model file not written\n"},
    {"InfiniteTimeStep", "ft0-metric.vqx", [] { g_ModelControl.DeltaT = std::numeric_limits<double>::infinity(); }, 1,
     " Not a finite number in the header: model file not written\n"},
    {"SectionPointNotANumber", "ft0-metric.vqx", [] { g_NodeIndex[1]->CrossSection->Points[2].Elevation = std::nan(""); },
     1, " Not a finite number in the cross section of node 2: model file not written\n"},
    {"SeriesValueInfinite", "ft3-metric.vqx",
     [] { g_BoundaryElementBlock[0].Hydrograph->Columns[7][2] = -std::numeric_limits<double>::infinity(); }, 1,
     " Not a finite number in the series of boundary element 1: model file not written\n"},
    {"ZoneValueNotANumber", "ft3-metric.vqx", [] { g_AtmosphericZoneBlock[1].SolarRadiation[0] = std::nan(""); }, 1,
     " Not a finite number in the atmospheric zone 2: model file not written\n"},
    {"BranchLengthNotANumber", "ft0-metric.vqx", [] { g_ElementBlock[8].GivenLength = std::nan(""); }, 1,
     " Not a finite number in the junction 1: model file not written\n"},
    {"MissingCrossSection", "ft0-metric.vqx",
     [] {
         delete g_NodeIndex[1]->CrossSection;
         g_NodeIndex[1]->CrossSection = nullptr;
     },
     2, " The cross section of node 2 is missing: model file not written\n"},
    {"SeriesWithoutRows", "ft0-metric.vqx", [] { g_BoundaryElementBlock[3].Hydrograph->RowCount = 0; }, 2,
     " The series of boundary element 4 has no rows: model file not written\n"},
    {"ZoneWithoutRows", "ft3-metric.vqx", [] { g_AtmosphericZoneBlock[0].RowCount = 0; }, 2,
     " Atmospheric zone 1 has no rows: model file not written\n"},
};

class RefusedToWrite : public Writer, public ::testing::WithParamInterface<Broken> {};

TEST_P(RefusedToWrite, WritesNothingAndSaysWhy)
{
    const Broken& b = GetParam();
    ASSERT_EQ(ReadTextQuietly(Fixture(b.fixture)), 0);
    b.damage();
    int code = -2;
    testing::internal::CaptureStdout();
    const std::string text = WriteText(&code);
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, b.code);
    EXPECT_TRUE(text.empty()) << "nothing reaches the stream";
    EXPECT_NE(output.find(b.message), std::string::npos) << output;

    // Saving over an existing file leaves it as it was, and no temporary file behind.
    const std::filesystem::path target = directory_ / "model.vqx";
    {
        std::FILE* f = std::fopen(target.c_str(), "wb");
        std::fputs("previous model", f);
        std::fclose(f);
    }
    {
        QuietStdout quiet;
        code = SaveModelFile(target);
    }
    EXPECT_EQ(code, b.code);
    EXPECT_EQ(ReadBytes(target.string()), "previous model");
    EXPECT_TRUE(Others("model.vqx").empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedToWrite, ::testing::ValuesIn(BrokenModels),
                         [](const ::testing::TestParamInfo<Broken>& param) { return std::string(param.param.name); });

TEST_F(Writer, NoStreamIsReported)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(WriteModelFile(nullptr), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " Unable to open that file\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(SaveModelFile(directory_ / "no-such-directory" / "model.vqx"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " Unable to open that file\n");
}

TEST_F(Writer, AWriteErrorIsReported)
{
    ASSERT_EQ(ReadTextQuietly(Fixture("ft1-metric.vqx")), 0);
    std::FILE* full = std::fopen("/dev/full", "w");
    if (!full) GTEST_SKIP() << "no /dev/full";
    testing::internal::CaptureStdout();
    EXPECT_EQ(WriteModelFile(full), 3);
    EXPECT_NE(testing::internal::GetCapturedStdout().find(" Error writing the model file\n"), std::string::npos);
}

TEST_F(Writer, ACloseErrorIsReported)
{
    ASSERT_EQ(ReadTextQuietly(Fixture("ft1-metric.vqx")), 0);
    cookie_io_functions_t functions{};
    functions.write = [](void*, const char*, size_t size) -> ssize_t { return static_cast<ssize_t>(size); };
    functions.close = [](void*) { return -1; };
    std::FILE* stream = fopencookie(nullptr, "w", functions);
    ASSERT_NE(stream, nullptr);
    testing::internal::CaptureStdout();
    EXPECT_EQ(WriteModelFile(stream), 4);
    EXPECT_NE(testing::internal::GetCapturedStdout().find(" Error closing the model file\n"), std::string::npos);
}

TEST_F(Writer, SavesBesideTheTargetAndReplacesIt)
{
    ASSERT_EQ(ReadTextQuietly(Fixture("ft3-imperial.vqx")), 0);
    const std::string expected = WriteText();
    const std::filesystem::path target = directory_ / "river model.vqx";
    {
        std::FILE* f = std::fopen(target.c_str(), "wb");
        std::fputs("previous model", f);
        std::fclose(f);
    }
    {
        QuietStdout quiet;
        EXPECT_EQ(SaveModelFile(target), 0);
    }
    EXPECT_EQ(ReadBytes(target.string()), expected);
    EXPECT_TRUE(Others("river model.vqx").empty());
    EXPECT_EQ(LoadModelFileQuietly(target), 0);
}

TEST_F(Writer, AFailedRenameKeepsWhatIsThere)
{
    ASSERT_EQ(ReadTextQuietly(Fixture("ft0-imperial.vqx")), 0);
    const std::filesystem::path target = directory_ / "occupied";
    std::filesystem::create_directories(target / "inside");
    testing::internal::CaptureStdout();
    EXPECT_EQ(SaveModelFile(target), 5);
    EXPECT_NE(testing::internal::GetCapturedStdout().find(" Unable to replace "), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(target / "inside"));
    EXPECT_TRUE(Others("occupied").empty());
}

// A model with junctions but no table still carries the table's count, so it reads back.
TEST_F(Writer, JunctionsWithoutATableWriteACountOfZero)
{
    ASSERT_EQ(ReadTextQuietly(Fixture("ft0-metric.vqx")), 0);
    delete g_JamTable;
    g_JamTable = nullptr;
    const std::string text = WriteText();
    const std::string tail = "\n \tIce Jam Stability Equation Calculation Table\n\n\t0\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    ASSERT_EQ(ReadTextQuietly(text), 0);
    EXPECT_EQ(g_JamTable, nullptr);
    EXPECT_EQ(g_ModelControl.JunctionCount, 2);
}

// A section node writes its water-surface width in the Bws column, a rectangle its own width.
TEST_F(Writer, BwsIsTheTopWidthOfASectionNode)
{
    ASSERT_EQ(ReadTextQuietly(Fixture("ft0-imperial.vqx")), 0);
    NodeRecord* section = g_NodeIndex[1];
    NodeRecord* rectangle = g_NodeIndex[0];
    ASSERT_NE(section->SectionCode, 0);
    ASSERT_EQ(rectangle->SectionCode, 0);
    section->TopWidth = 12.5 * 0.3048;
    section->RectWidth = 99;
    rectangle->TopWidth = 99;
    rectangle->RectWidth = 7.5 * 0.3048;
    const std::string text = WriteText();
    // Columns: number, station, code, reach, easting, northing, x, invert, n, Bws.
    const auto bws = [&](int number) {
        const size_t row = text.find("\n\t" + std::to_string(number) + "\t");
        size_t at = row + 1;
        for (int column = 0; column < 10; ++column) at = text.find('\t', at) + 1;
        return text.substr(at, text.find('\t', at) - at);
    };
    EXPECT_EQ(bws(2), "12.5");
    EXPECT_EQ(bws(1), "7.5");
}

// The section writer lays a block out as the reader's fixtures do: six pairs to a line.
TEST_F(Writer, CrossSectionBlockLayout)
{
    const std::string fixture = Fixture("ft0-metric.vqx");
    ASSERT_EQ(ReadTextQuietly(fixture), 0);
    char* data = nullptr;
    size_t size = 0;
    std::FILE* f = open_memstream(&data, &size);
    ASSERT_EQ(WriteCrossSection(f, g_NodeIndex[2]), 0);
    std::fclose(f);
    const std::string block(data, size);
    std::free(data);
    EXPECT_EQ(block,
              "\t11\t40\t70 \n\t0\t105.8\t10\t102.8\t25\t103\t40\t102.8\t45\t99.8\t55\t99.5 \n"
              "\t65\t99.8\t70\t102.8\t85\t102.9\t100\t102.8\t110\t105.8 \n"
              "\t2\t99.5\t0.035\t0.06\t0.05\t102.8\t0.033\t0.055\t0.05 \n\t2\t99.5\t1.1\t102.8\t1 \n\n");
    EXPECT_NE(fixture.find(block), std::string::npos);
}

// Header forms of the thermal keys: two blanks, "%8g", "%g" and the degree sign.
TEST_F(Writer, ThermalHeaderForms)
{
    ASSERT_EQ(ReadTextQuietly(Fixture("ft3-metric.vqx")), 0);
    g_ModelControl.BedMaterialDiameter = 0.0612345678;
    g_ModelControl.AnchorIceBedFraction = 0.123456789;
    const std::string text = WriteText();
    for (const char* line :
         {" Typical Frazil Particle Thickness (m) =  0.00025\n", " Typical Frazil Particle Radius (m) =  0.0012\n",
          " Fraction of Bed Width Covered by Anchor Ice = 0.123457\n", " Bed Material Average Diameter (m) = 0.0612346\n",
          " Density of Bed Material (kg/cu m) = 2650\n", " Thermal Conductivity of Water (W/m/\xB0" "C) = 0.566\n",
          " Thermal Ice Updwinding Updating = 1\n", " Simulation Start DateTime (YYYY MM DD HH MM SS) = 2021 03 14 06 30 00\n\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

}  // namespace

namespace {

// The writer's numbers are those of printf in the "C" locale: "%.12g" in rows, "%.4f" for
// eastings, "%.8g" in the header ("%.12g" for a value that "%.8g" would not give back), "%g"
// and "%8g" for two thermal keys.
TEST_F(Writer, NumbersHaveThePrintfForms)
{
    ASSERT_EQ(ReadTextQuietly(Fixture("ft3-metric.vqx")), 0);
    std::mt19937_64 random(17);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-310, 307);
    NodeRecord* node = g_NodeIndex[0];
    for (int k = 0; k < 400; ++k) {
        double v = mantissa(random) * std::pow(10.0, exponent(random) / (k % 3 == 0 ? 1 : 20));
        if (k % 50 == 0) v = k % 100 == 0 ? 0.0 : -0.0;
        if (!std::isfinite(v)) continue;
        if (k % 2) {   // every other value has eight significant digits, as typed header values have
            char eight[32];
            std::snprintf(eight, sizeof eight, "%.8g", v);
            v = std::strtod(eight, nullptr);
        }
        node->RiverStation = v;
        node->Easting = v > 1e300 || v < -1e300 ? 1.0 : v;   // keeps the fixed form within bounds
        g_ModelControl.DeltaT = v;
        g_ModelControl.BedMaterialDiameter = v;
        g_ModelControl.AnchorIceBedFraction = v;
        int code = -2;
        std::string text;
        {
            QuietStdout quiet;
            text = WriteText(&code);
        }
        ASSERT_EQ(code, 0);
        char expected[512];
        std::snprintf(expected, sizeof expected, "\n\t1\t%.12g\t0\t1\t%.4f\t", v, node->Easting);
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
        std::snprintf(expected, sizeof expected, " Delta t (s) = %.8g\n", v);
        if (std::strtod(expected + std::strlen(" Delta t (s) = "), nullptr) != v)
            std::snprintf(expected, sizeof expected, " Delta t (s) = %.12g\n", v);
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
        std::snprintf(expected, sizeof expected, " Bed Material Average Diameter (m) = %g\n", v);
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
        std::snprintf(expected, sizeof expected, " Fraction of Bed Width Covered by Anchor Ice = %8g\n", v);
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    }
}

// Given branch lengths of an imperial model survive repeated saving and opening.
TEST_F(Writer, ImperialBranchLengthsSurviveSavingAndOpening)
{
    ASSERT_EQ(ReadTextQuietly(Fixture("ft1-imperial.vqx")), 0);
    const double given = g_ElementBlock[8].GivenLength;
    EXPECT_NEAR(given, 0.25, 1e-12);
    for (int k = 0; k < 3; ++k) ASSERT_EQ(ReadTextQuietly(WriteText()), 0);
    EXPECT_EQ(g_ElementBlock[8].GivenLength, given);
    EXPECT_EQ(g_ElementBlock[8].Length, given);
    EXPECT_EQ(g_ElementBlock[1].GivenLength, 0);
    EXPECT_GT(g_ElementBlock[1].Length, 0);
}

}  // namespace
