// The leading number of a typed or pasted text, read as atof reads it but refusing what would
// be a number that is not finite.
#include "datalib/TextFormat.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

TEST(LeadingNumber, ReadsAsAtofAndRefusesWhatIsNotFinite)
{
    struct Case {
        const char* text;
        bool finite;
        double value;
    };
    const Case cases[] = {
        {"12abc", true, 12.0},     {"  -3.5e2x", true, -350.0},
        {".5", true, 0.5},         {"abc", true, 0.0},
        {"", true, 0.0},           {"-", true, 0.0},
        {".", true, 0.0},          {"1,5", true, 1.0},
        {"1e-999", true, 0.0},     {"0.0000e999", true, 0.0},
        {"1e999", false, 0.0},     {"-1e999", false, 0.0},
        {"0.001e312", false, 0.0}, {"inf", false, 0.0},
        {"-Infinity", false, 0.0}, {" NaN", false, 0.0},
        {"1e", true, 1.0},
    };
    for (const Case& c : cases) {
        double value = -1.0;
        EXPECT_EQ(VQXTextFormat::ReadLeadingDouble(c.text, value), c.finite) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    // A comma-decimal locale changes nothing.
    const char* before = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    double value = 0.0;
    EXPECT_TRUE(VQXTextFormat::ReadLeadingDouble("2.25", value));
    EXPECT_EQ(value, 2.25);
    if (before) std::setlocale(LC_NUMERIC, "C");
}

}  // namespace
