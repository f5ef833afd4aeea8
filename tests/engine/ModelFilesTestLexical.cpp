// The number scanner and the conversion of tokens.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "ModelFilesTestSupport.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"

using namespace modelfiles_test;

namespace {

std::vector<std::string> Tokens(const std::string& text, int capacity = 64)
{
    FILE* f = StreamOver(text);
    std::vector<std::string> tokens;
    std::vector<char> buffer(capacity, 'x');
    for (;;) {
        const int n = ReadNumberToken(f, buffer.data(), capacity);
        if (n == 0) break;
        tokens.push_back(n < 0 ? "<too long:" + std::string(buffer.data()) + ">" : std::string(buffer.data(), n));
        if (n < 0) break;
    }
    std::fclose(f);
    return tokens;
}

TEST(NumberTokens, StartAtDigitsSignsAndPointsAndRunOverExponents)
{
    const std::vector<std::string> expected = {"10-20", "3.5e+2", "-.5", ".e5", "+7", "1e999", "5", "6", "5-6", "2.1"};
    EXPECT_EQ(Tokens(" Delta (s) = 10-20x3.5e+2,  -.5#.e5 +7\t1e999\xB0" "5x6 5-6 Version v2.1"), expected);
}

TEST(NumberTokens, LettersAndSymbolsNeverStartOne)
{
    EXPECT_TRUE(Tokens("abc eE xyz (one/s) [ ] # = / \xB0\xB2 \r\n\t").empty());
    // An exponent letter without a number before it is skipped like any label letter.
    EXPECT_EQ(Tokens("e5 E-3"), (std::vector<std::string>{"5", "-3"}));
}

TEST(NumberTokens, EndOfFileEndsATokenAndThenReturnsZeroLeavingTheBuffer)
{
    FILE* f = StreamOver("  42");
    char buffer[16];
    ASSERT_EQ(ReadNumberToken(f, buffer, sizeof buffer), 2);
    EXPECT_STREQ(buffer, "42");
    std::strcpy(buffer, "kept");
    EXPECT_EQ(ReadNumberToken(f, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "kept");
    std::fclose(f);
}

TEST(NumberTokens, AreBoundedByTheBuffer)
{
    EXPECT_EQ(Tokens("1234567 8", 8), (std::vector<std::string>{"1234567", "8"}));
    EXPECT_EQ(Tokens("12345678 9", 8), (std::vector<std::string>{"<too long:1234567>"}));
    FILE* f = StreamOver("");
    char buffer[4] = "abc";
    EXPECT_EQ(ReadNumberToken(f, buffer, sizeof buffer), 0);
    EXPECT_EQ(ReadNumberToken(nullptr, buffer, sizeof buffer), 0);
    std::fclose(f);
}

// The header of a small model with one token in place of the model time (a field that takes
// any number).
std::string HeaderWith(const std::string& modelTime)
{
    const std::string text = Fixture("ft0-metric.vqx");
    std::string header = text.substr(0, text.find("\n \tNode Information"));
    const std::string find = "Model Time (s) = 0";
    return header.replace(header.find(find), find.size(), "Model Time (s) = " + modelTime);
}

int ReadHeaderOnly(const std::string& text)
{
    QuietStdout quiet;
    SetModelDefaults();
    FILE* f = StreamOver(text);
    const int code = ReadModelHeader(f);
    std::fclose(f);
    return code;
}

class Conversion : public ModelFileTest {};

TEST_F(Conversion, TokensConvertLikeTheCLibraryInTheCLocale)
{
    const char* cases[] = {"10-20", "1e", "1e+", "1e-", "-", "+", ".", "-.", "+.", "+-5", "-+5", "--5", "++5", ".e5",
                           "5.", "-0", "+0.5", "1.2.3", "1e5e3", "1E+03", "0.000", "007", "-.5e-3", "1e-400", "-1e-400",
                           "1e-310", "4.9e-324", "2e-324", "1.7976931348623157e308", "123456789012345678901234567890"};
    for (const char* token : cases) {
        ASSERT_EQ(ReadHeaderOnly(HeaderWith(token)), 0) << token;
        const double expected = std::strtod(token, nullptr);
        EXPECT_EQ(std::signbit(g_ModelControl.ModelTime), std::signbit(expected)) << token;
        EXPECT_EQ(g_ModelControl.ModelTime, expected) << token;
        EXPECT_EQ(g_ModelControl.StartDate[0], 2021) << token << ": the next field is read whole";
    }
}

TEST_F(Conversion, RandomTokensConvertLikeTheCLibrary)
{
    std::mt19937 random(20240611);
    const std::string first = "0123456789+-.";
    const std::string rest = "0123456789012345678901234567890123456789.eE+-";
    for (int iteration = 0; iteration < 3000; ++iteration) {
        std::string token(1, first[random() % first.size()]);
        const int length = static_cast<int>(random() % 24);
        for (int k = 0; k < length; ++k) token += rest[random() % rest.size()];
        errno = 0;
        const double expected = std::strtod(token.c_str(), nullptr);
        const bool overflow = errno == ERANGE && std::isinf(expected);
        const int code = ReadHeaderOnly(HeaderWith(token));
        if (overflow) {
            EXPECT_EQ(code, 9) << token;
            continue;
        }
        ASSERT_EQ(code, 0) << token;
        EXPECT_EQ(g_ModelControl.ModelTime, expected) << token;
        EXPECT_EQ(std::signbit(g_ModelControl.ModelTime), std::signbit(expected)) << token;
    }
}

TEST_F(Conversion, TheLongestTokenIsReadAndOneMoreIsRefused)
{
    // 400 characters: "0." and 397 zeros and a 3 underflow to zero; 1 and 399 zeros overflow.
    const std::string tiny = "0." + std::string(397, '0') + "3";
    ASSERT_EQ(tiny.size(), 400u);
    ASSERT_EQ(ReadHeaderOnly(HeaderWith(tiny)), 0);
    EXPECT_EQ(g_ModelControl.ModelTime, 0.0);
    EXPECT_EQ(ReadHeaderOnly(HeaderWith("1" + std::string(399, '0'))), 9);
    EXPECT_EQ(ReadHeaderOnly(HeaderWith(std::string(401, '1'))), 8);
    // The widest fixed-point number the writer can produce is shorter than the limit.
    char widest[512];
    std::snprintf(widest, sizeof widest, "%.4f", -1.7976931348623157e308);
    EXPECT_LT(std::strlen(widest), 400u);
}

TEST_F(Conversion, IntegerFieldsTruncateTowardZero)
{
    const std::string text = HeaderWith("0");
    const auto withJunctions = [&](const std::string& count) {
        std::string t = text;
        const std::string find = "Number of Junctions = 2";
        return t.replace(t.find(find), find.size(), "Number of Junctions = " + count);
    };
    ASSERT_EQ(ReadHeaderOnly(withJunctions("2.9")), 0);
    EXPECT_EQ(g_ModelControl.JunctionCount, 2);
    ASSERT_EQ(ReadHeaderOnly(withJunctions("-0.9")), 0);
    EXPECT_EQ(g_ModelControl.JunctionCount, 0);
    EXPECT_EQ(ReadHeaderOnly(withJunctions("-1.5")), 13);
    ASSERT_EQ(ReadHeaderOnly(withJunctions("2147483647.9")), 0);
    EXPECT_EQ(g_ModelControl.JunctionCount, 2147483647);
    EXPECT_EQ(ReadHeaderOnly(withJunctions("2147483648")), 10);
    ReleaseModel();
}

// A label holding a number injects it: every field after it shifts by one.
TEST_F(Conversion, ADigitInALabelShiftsTheFields)
{
    std::string text = HeaderWith("0");
    const std::string find = " Hydrodynamics Upwinding Coefficient =";
    text.replace(text.find(find), find.size(), " Hydrodynamics Upwinding Coefficient v2.1 =");
    ASSERT_EQ(ReadHeaderOnly(text), 0);
    const EquationSystem& hydro = g_EquationSystems[HydrodynamicSystem];
    EXPECT_EQ(hydro.Upwinding, 2.1);
    EXPECT_EQ(hydro.UpwindingUpdating, 0);   // 0.25
    EXPECT_EQ(hydro.Theta, 0);               // the updating flag
    EXPECT_EQ(hydro.Tolerance, 0.6);         // the theta
    EXPECT_EQ(g_ModelControl.Formulation, 0);
    EXPECT_EQ(hydro.Alpha, 1);
    EXPECT_EQ(g_ModelControl.WaterTemperature, 0.5);
    ReleaseModel();
}

}  // namespace
