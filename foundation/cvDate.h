// Date-time numbers: whole days since 30 December 1899 plus the time of day as a fraction.
#pragma once
#include <cstdint>

// The day number of a calendar date; false (and Days untouched) for an impossible date
// (years 1..9999, months 1..12, days within the month).
bool TryEncodeDate(int Year, int Month, int Day, double& Days);
// The calendar date of the whole part of a date-time number.
void DecodeDate(double DateTime, int& Year, int& Month, int& Day);
// Hours, minutes, seconds and milliseconds of the fraction of a date-time number.
void DecodeTime(double DateTime, int& Hour, int& Min, int& Sec, int& MSec);
// The current local date and time as a date-time number.
double NowDateTime();
