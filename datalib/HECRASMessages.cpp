#include "datalib/HECRASMessages.h"

#include <cstdarg>
#include <cstdio>

namespace VQXHECRASDataLib {

namespace {

struct ConversionMessage {
    int code;
    const char* format;
};

// The reasons of every failure, by code, with their arguments in order.
constexpr ConversionMessage ConversionMessages[] = {
    // path, why
    {ConversionCannotOpen, "the geometry file '%s' cannot be opened: %s"},
    // line
    {ConversionReadFailed, "the geometry file could not be read after line %d"},
    // river station, count, what is counted, line
    {ConversionBadCount, "the cross section at river station %s announces %lld %s on line %d; a count cannot be negative"},
    // river station, count, line, capacity
    {ConversionTooManyPoints,
     "the cross section at river station %s has %lld points (line %d); a model's cross section holds at most %d"},
    // river station, count, what is counted, line, count held
    {ConversionCountNotHeld,
     "the cross section at river station %s announces %lld %s on line %d, but its lines hold only %lld"},
    // river station, count, what is counted, line, line with more
    {ConversionTooManyValues,
     "the cross section at river station %s announces %lld %s on line %d, but line %d holds more"},
    // line, field, river station
    {ConversionNotANumber, "line %d holds '%s' where a number of the cross section at river station %s belongs"},
    // line, text, river station
    {ConversionNotFinite, "line %d holds '%s', which is not a finite number (cross section at river station %s)"},
    // river station, station, line, station before
    {ConversionStationsGoBack,
     "in the cross section at river station %s, station %.12g on line %d lies left of the station %.12g before it"},
    // river station, line
    {ConversionNoPoints, "the cross section at river station %s (line %d) has no station/elevation points"},
    {ConversionTooFewPoints,
     "the cross section at river station %s (line %d) has only one station/elevation point; it needs two or more"},
    {ConversionNoRoughness, "the cross section at river station %s (line %d) gives no Manning's n values"},
    // river station, n, line
    {ConversionRoughnessNotPositive,
     "in the cross section at river station %s, Manning's n %.12g on line %d is not greater than 0"},
    // river station, line
    {ConversionNoBanks, "the cross section at river station %s (line %d) gives no bank stations"},
    // river station, "left" or "right", station, line, first station, last station
    {ConversionBankOutside,
     "in the cross section at river station %s, the %s bank station %.12g (line %d) lies outside its points, "
     "from %.12g to %.12g"},
    // river station, left bank, line, right bank
    {ConversionBanksReversed,
     "in the cross section at river station %s, the left bank station %.12g (line %d) is not left of the right bank "
     "station %.12g"},
    {ConversionNoSections, "the geometry file holds no cross section"},
    // reach name, the names of the file's reaches
    {ConversionNoSuchReach, "the geometry file holds no reach \"%s\"; its reaches are %s"},
    // reach name, count, plural ending
    {ConversionTooFewSections, "the reach %s holds %d cross section%s; a model needs two or more"},
    // river station, line, length, station unit
    {ConversionReachLengthNotPositive,
     "the cross section at river station %s (line %d) has a channel reach length of %.12g to the next one downstream; "
     "consecutive nodes need at least a millionth of a %s between them"},
    {ConversionDepthNotPositive, "the initial depth must be greater than 0"},
    {ConversionDischargeNotFinite, "the initial discharge must be a finite number"},
    // level count
    {ConversionBadLevels, "the property tables need 2 to 300 levels, not %d"},
    // factor
    {ConversionBadDistanceFactor, "the length units per station unit must be greater than 0, not %g"},
    // what, node number
    {ConversionValueNotFinite, "the %s of node %d would not be a finite number"},
    // river station, line, the section's own reason
    {ConversionSectionRefused, "the cross section at river station %s (line %d) gives no property table: %s"},
    // the reason that names the file
    {ConversionTargetRefused, "%s"},
    {ConversionCannotWrite, "%s"},
    {ConversionNotPrepared, "the nodes were not prepared for writing"},
    {ConversionCancelled, "the conversion was cancelled"},
};

}  // namespace

VQXConversionResult ConversionFailure(int code, ...)
{
    const char* format = "the geometry file could not be converted";
    for (const ConversionMessage& m : ConversionMessages)
        if (m.code == code) format = m.format;
    std::va_list args;
    va_start(args, code);
    std::va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    VQXConversionResult result;
    result.Code = code;
    if (length > 0) {
        result.Reason.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(result.Reason.data(), result.Reason.size(), format, again);
        result.Reason.resize(static_cast<std::size_t>(length));
    }
    va_end(again);
    return result;
}

std::string StationName(const std::string& riverStation)
{
    return riverStation.empty() ? "(none)" : riverStation;
}

}  // namespace VQXHECRASDataLib
