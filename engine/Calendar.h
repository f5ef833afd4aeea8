// The model's calendar: dates a number of seconds after a start date (Gregorian), and their
// text. A date is six ints: year, month, day, hour, minute, second.
#pragma once

#include <cstddef>

// True for a Gregorian leap year.
bool IsLeapYear(long long year);
// Days in a month (1-12) of a year.
int MonthLength(long long year, int month);

// The date `seconds` whole seconds after `start`. The start's hour, minute and second may lie
// beyond their ranges (they are carried); a month outside 1-12 is taken as the nearest of them;
// a negative number of seconds is not carried back. A field that would leave the range of an
// int is held at its end.
void ComputeCalendarDate(const int start[6], long long seconds, int date[6]);
// The model clock: StartDate advanced by the whole seconds of ModelTime (truncated; a time that
// is not finite or of 1e15 s or more leaves the clock at the start date).
void ComputeCalendarDate(int date[6]);
// Day of the year of a date (1 on 1 January; Gregorian leap years); a month outside 1-12 is
// taken as the nearest of them.
int ComputeDayOfYear(int year, int month, int day);

// Room for a date's text, its terminating zero included.
inline constexpr std::size_t DateTextCapacity = 80;
// A date as "YYYY-MM-DD HH:MM:SS" (as the result files, the database and the titles give it)
// into text (capacity `size`); returns text.
char* FormatCalendarDate(const int date[6], char* text, std::size_t size);
