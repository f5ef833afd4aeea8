// Conversion constants shared by the engine, the data libraries and the user interface.
#pragma once

// Seconds in an hour: the engine keeps times in seconds, files and the user interface in hours.
inline constexpr double SecondsPerHour = 3600.0;

// Metres per foot: the length factor of an imperial model (a metric one has 1).
inline constexpr double MetresPerFoot = 0.3048;
