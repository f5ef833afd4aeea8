// The model state: the model clock and the time titles of the charts.
#include "datalib/ModelState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "datalib/ModelStateRecords.h"
#include "engine/Calendar.h"
#include "engine/Units.h"

using namespace VQXDisplayLib;
using namespace ModelStateRecords;

void ModelState::UpdateModelClock()
{
    ComputeCalendarDate(StartDate, WholeSeconds(ModelTime), CurrentDate);
}

namespace {

// Hours, minutes and seconds of the elapsed model time, from its whole seconds.
void ElapsedParts(double hours, long long& h, long long& m, long long& s)
{
    const long long total = ModelState::WholeSeconds(hours);
    constexpr long long WholeSecondsPerHour = static_cast<long long>(SecondsPerHour);
    h = total / WholeSecondsPerHour;
    m = (total % WholeSecondsPerHour) / 60;
    s = total % 60;
}

}  // namespace

void ModelState::FormatChartSubtitle(const char* title, int elapsed, int calendar)
{
    if (title == nullptr)
        title = "";
    if (elapsed) {
        long long h, m, s;
        ElapsedParts(ModelTime, h, m, s);
        std::snprintf(Subtitle, sizeof Subtitle, "|%s|%.2lld:%.2lld:%.2lld      ", title, h, m, s);
    } else if (calendar) {
        char date[DateTextCapacity];
        std::snprintf(Subtitle, sizeof Subtitle, "|%s|%s      ", title,
                      FormatCalendarDate(CurrentDate, date, sizeof date));
    } else {
        std::snprintf(Subtitle, sizeof Subtitle, "|%s|", title);
    }
}

void ModelState::FormatClockText(int elapsed, int calendar)
{
    if (elapsed) {
        long long h, m, s;
        ElapsedParts(ModelTime, h, m, s);
        std::snprintf(ClockText, sizeof ClockText, "%.2lld:%.2lld:%.2lld      ", h, m, s);
    } else if (calendar) {
        char date[DateTextCapacity];
        std::snprintf(ClockText, sizeof ClockText, "%s      ", FormatCalendarDate(CurrentDate, date, sizeof date));
    }
}
