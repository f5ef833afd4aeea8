// The model's calendar.
#include "engine/Calendar.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "engine/EngineData.h"

namespace {

// Days of 400 Gregorian years: the calendar repeats after them.
constexpr long long DaysPer400Years = 146097;

}  // namespace

bool IsLeapYear(long long year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int MonthLength(long long year, int month)
{
    static const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year)) return 29;
    return lengths[month - 1];
}

void ComputeCalendarDate(const int start[6], long long seconds, int date[6])
{
    long long year = start[0];
    int month = std::clamp(start[1], 1, 12);
    long long day = start[2];
    long long hour = start[3];
    long long minute = start[4];
    long long second = static_cast<long long>(start[5]) + seconds;

    if (second > 59) { minute += second / 60; second %= 60; }
    if (minute > 59) { hour += minute / 60; minute %= 60; }
    if (hour > 23) { day += hour / 24; hour %= 24; }
    // Whole 400-year cycles first, so a long run does not walk every month.
    if (day > DaysPer400Years + 31) {
        const long long cycles = (day - 31) / DaysPer400Years;
        day -= cycles * DaysPer400Years;
        year += cycles * 400;
    }
    while (day > MonthLength(year, month)) {
        day -= MonthLength(year, month);
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    const long long values[6] = {year, month, day, hour, minute, second};
    for (int i = 0; i < 6; ++i) date[i] = static_cast<int>(std::clamp<long long>(values[i], INT_MIN, INT_MAX));
}

void ComputeCalendarDate(int date[6])
{
    const ModelControl& mc = g_ModelControl;
    const double t = mc.ModelTime;
    const long long seconds = std::isfinite(t) && std::fabs(t) < 1e15 ? static_cast<long long>(std::trunc(t)) : 0;
    ComputeCalendarDate(mc.StartDate, seconds, date);
}

int ComputeDayOfYear(int year, int month, int day)
{
    const int last = std::clamp(month, 1, 12);
    int days = day;
    for (int m = 1; m < last; ++m) days += MonthLength(year, m);
    return days;
}

char* FormatCalendarDate(const int date[6], char* text, std::size_t size)
{
    std::snprintf(text, size, "%04d-%02d-%02d %02d:%02d:%02d", date[0], date[1], date[2], date[3], date[4], date[5]);
    return text;
}
