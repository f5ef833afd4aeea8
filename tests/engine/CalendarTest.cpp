// The model clock against the standard library's civil calendar.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "engine/Calendar.h"
#include "engine/EngineData.h"
#include "engine/ModelSetup.h"
#include "engine/TimeStepping.h"

namespace {

using namespace std::chrono;

std::vector<int> Calendar(const std::vector<int>& start, double modelTime)
{
    SetModelDefaults();
    for (int i = 0; i < 6; ++i) g_ModelControl.StartDate[i] = start[i];
    g_ModelControl.ModelTime = modelTime;
    int date[6] = {-1, -1, -1, -1, -1, -1};
    ComputeCalendarDate(date);
    return std::vector<int>(date, date + 6);
}

// Independent reference: the start (fields may exceed their ranges) as a point on the system
// clock, plus the whole seconds of the model time, broken down again.
std::vector<int> Reference(const std::vector<int>& start, double modelTime)
{
    const sys_days firstOfMonth{year{start[0]} / month{static_cast<unsigned>(start[1])} / day{1}};
    const sys_seconds t = firstOfMonth + days{start[2] - 1} + hours{start[3]} + minutes{start[4]} +
                          seconds{start[5]} + seconds{static_cast<long long>(std::trunc(modelTime))};
    const sys_days d = floor<days>(t);
    const year_month_day ymd{d};
    const hh_mm_ss<seconds> clock{t - d};
    return {static_cast<int>(ymd.year()),          static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day())), static_cast<int>(clock.hours().count()),
            static_cast<int>(clock.minutes().count()), static_cast<int>(clock.seconds().count())};
}

TEST(ModelClock, RandomOffsetsAgreeWithTheCivilCalendar)
{
    std::mt19937_64 random(1234567);
    std::uniform_int_distribution<int> yearOf(1850, 2300), monthOf(1, 12), dayOf(1, 28), hourOf(0, 23),
        sixty(0, 59);
    // Offsets from seconds to three thousand years, with a fractional part that is dropped.
    std::uniform_real_distribution<double> exponent(0.0, 11.0);
    for (int i = 0; i < 20000; ++i) {
        const std::vector<int> start = {yearOf(random), monthOf(random), dayOf(random),
                                        hourOf(random), sixty(random),   sixty(random)};
        const double offset = std::pow(10.0, exponent(random)) + 0.75;
        ASSERT_EQ(Calendar(start, offset), Reference(start, offset))
            << start[0] << "-" << start[1] << "-" << start[2] << " + " << offset;
    }
}

TEST(ModelClock, StartFieldsBeyondTheirRangesAreCarried)
{
    std::mt19937 random(99);
    std::uniform_int_distribution<int> dayOf(1, 2000), hourOf(0, 500), minuteOf(0, 5000), offsetOf(0, 10000000);
    for (int i = 0; i < 2000; ++i) {
        const std::vector<int> start = {2020, 1 + i % 12, dayOf(random), hourOf(random), minuteOf(random),
                                        minuteOf(random)};
        const double offset = offsetOf(random);
        ASSERT_EQ(Calendar(start, offset), Reference(start, offset));
    }
}

TEST(ModelClock, MonthOutsideTheYearIsHeldToIt)
{
    struct Case {
        int month;
        int heldTo;
    } cases[] = {{0, 1}, {-3, 1}, {INT_MIN, 1}, {13, 12}, {1000, 12}, {INT_MAX, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.month);
        const std::vector<int> held = {2023, c.heldTo, 15, 6, 0, 0};
        EXPECT_EQ(Calendar({2023, c.month, 15, 6, 0, 0}, 90 * 86400.0), Reference(held, 90 * 86400.0));
    }
}

TEST(ModelClock, TimeThatCannotBeHeldLeavesTheStartDate)
{
    const std::vector<int> start = {2024, 3, 10, 12, 30, 15};
    EXPECT_EQ(Calendar(start, std::numeric_limits<double>::quiet_NaN()), start);
    EXPECT_EQ(Calendar(start, std::numeric_limits<double>::infinity()), start);
    EXPECT_EQ(Calendar(start, 1e300), start);
}

// The start-plus-seconds form that the document's clock uses agrees with the model clock, and
// holds a year that would leave the range of an int at its end.
TEST(ModelClock, StartPlusSecondsAgreesWithTheCivilCalendar)
{
    std::mt19937_64 random(7654321);
    std::uniform_int_distribution<int> yearOf(1600, 2400), monthOf(1, 12), dayOf(1, 28), sixty(0, 59);
    // Up to twenty thousand years: the reference holds years up to 32767.
    std::uniform_int_distribution<long long> secondsOf(0, 20000LL * 365 * 86400);
    for (int i = 0; i < 5000; ++i) {
        const int start[6] = {yearOf(random), monthOf(random), dayOf(random), sixty(random) % 24, sixty(random),
                              sixty(random)};
        const long long seconds = secondsOf(random);
        int date[6];
        ComputeCalendarDate(start, seconds, date);
        ASSERT_EQ(std::vector<int>(date, date + 6),
                  Reference(std::vector<int>(start, start + 6), static_cast<double>(seconds)))
            << start[0] << " + " << seconds << " s";
    }
    const int last[6] = {INT_MAX, 12, 31, 23, 59, 59};
    int date[6];
    ComputeCalendarDate(last, 1, date);
    EXPECT_EQ(date[0], INT_MAX);
}

TEST(ModelClock, DatesAreWrittenWithFixedWidthFields)
{
    struct Case {
        int date[6];
        const char* text;
    } cases[] = {
        {{2024, 3, 9, 7, 5, 0}, "2024-03-09 07:05:00"},
        {{987, 12, 31, 23, 59, 59}, "0987-12-31 23:59:59"},
        {{12345, 1, 1, 0, 0, 0}, "12345-01-01 00:00:00"},
    };
    for (const Case& c : cases) {
        char text[DateTextCapacity];
        EXPECT_STREQ(FormatCalendarDate(c.date, text, sizeof text), c.text);
    }
}

}  // namespace
