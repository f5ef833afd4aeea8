// Time-level copies and the calendar clock.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/EngineData.h"
#include "engine/TimeStepping.h"

void ShiftTimeLevel()
{
#define VASQUIL_SHIFT_TWIN(type, name) n->Previous##name = n->name;
#define VASQUIL_SHIFT_TWIN_ARRAY(name, count) std::memcpy(n->Previous##name, n->name, sizeof n->name);
    int& level = g_ModelControl.TimeLevel;
    level = level == std::numeric_limits<int>::max() ? 1 : level + 1;
    for (NodeRecord* n = g_Nodes; n; n = n->Next) {
        VASQUIL_NODE_TWINS(VASQUIL_SHIFT_TWIN)
        VASQUIL_NODE_TWIN_ARRAYS(VASQUIL_SHIFT_TWIN_ARRAY)
        n->OlderFloatingIceArea = n->PreviousFloatingIceArea;
        n->PreviousFloatingIceArea = n->FloatingIceArea;
        n->OlderAnchorIceArea = n->PreviousAnchorIceArea;
        n->PreviousAnchorIceArea = n->AnchorIceArea;
    }
#undef VASQUIL_SHIFT_TWIN
#undef VASQUIL_SHIFT_TWIN_ARRAY
}

void UnshiftTimeLevel()
{
#define VASQUIL_UNSHIFT_TWIN(type, name) n->name = n->Previous##name;
#define VASQUIL_UNSHIFT_TWIN_ARRAY(name, count) std::memcpy(n->name, n->Previous##name, sizeof n->name);
    for (NodeRecord* n = g_Nodes; n; n = n->Next) {
        VASQUIL_NODE_TWINS(VASQUIL_UNSHIFT_TWIN)
        VASQUIL_NODE_TWIN_ARRAYS(VASQUIL_UNSHIFT_TWIN_ARRAY)
        n->FloatingIceArea = n->PreviousFloatingIceArea;
        n->PreviousFloatingIceArea = n->OlderFloatingIceArea;
        n->AnchorIceArea = n->PreviousAnchorIceArea;
        n->PreviousAnchorIceArea = n->OlderAnchorIceArea;
    }
#undef VASQUIL_UNSHIFT_TWIN
#undef VASQUIL_UNSHIFT_TWIN_ARRAY
}

void RestorePreviousLevel()
{
    for (NodeRecord* n = g_Nodes; n; n = n->Next) {
        std::memcpy(n->HydroUnknowns, n->PreviousHydroUnknowns, sizeof n->HydroUnknowns);
        std::memcpy(n->IceUnknowns, n->PreviousIceUnknowns, sizeof n->IceUnknowns);
        std::memcpy(n->ThermalUnknowns, n->PreviousThermalUnknowns, sizeof n->ThermalUnknowns);
        std::memcpy(n->WQUnknowns, n->PreviousWQUnknowns, sizeof n->WQUnknowns);
    }
}

static bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

static int MonthLength(int year, int month)
{
    static const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year)) return 29;
    return lengths[month - 1];
}

void ComputeCalendarDate(int date[6])
{
    const ModelControl& mc = g_ModelControl;
    long long year = mc.StartDate[0];
    long long month = std::clamp(mc.StartDate[1], 1, 12);
    long long day = mc.StartDate[2];
    long long hour = mc.StartDate[3];
    long long minute = mc.StartDate[4];
    long long second = mc.StartDate[5];

    const double t = mc.ModelTime;
    // Whole seconds of the model time; a time that is not finite or that cannot be held in
    // the date leaves the clock at the start date.
    if (std::isfinite(t) && std::fabs(t) < 1e15) second += static_cast<long long>(std::trunc(t));

    if (second > 59) { minute += second / 60; second %= 60; }
    if (minute > 59) { hour += minute / 60; minute %= 60; }
    if (hour > 23) { day += hour / 24; hour %= 24; }
    // Whole 400-year cycles first (146097 days each), so a long run does not walk every month.
    if (day > 146097 + 31) {
        const long long cycles = (day - 31) / 146097;
        day -= cycles * 146097;
        year += cycles * 400;
    }
    while (day > MonthLength(static_cast<int>(year), static_cast<int>(month))) {
        day -= MonthLength(static_cast<int>(year), static_cast<int>(month));
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    date[0] = static_cast<int>(year);
    date[1] = static_cast<int>(month);
    date[2] = static_cast<int>(day);
    date[3] = static_cast<int>(hour);
    date[4] = static_cast<int>(minute);
    date[5] = static_cast<int>(second);
}

int ComputeDayOfYear(int year, int month, int day)
{
    const int last = std::clamp(month, 1, 12);
    int days = day;
    for (int m = 1; m < last; ++m) days += MonthLength(year, m);
    return days;
}
