// The date-time type: days since 1899-12-30 00:00 as a double, the time of day
// being the fraction (1900-01-01 00:00 is day 2).
#pragma once
#include <cstdint>

using TDateTime = double;

struct TSystemTime {  // calendar fields, as the clock seam reports and sets them
    uint16_t Year = 1899, Month = 12, DayOfWeek = 0, Day = 30;
    uint16_t Hour = 0, Minute = 0, Second = 0, Milliseconds = 0;
};

TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
void DecodeDate(TDateTime t, int& year, int& month, int& day);
void DecodeTime(TDateTime t, int& hour, int& min, int& sec, int& msec);
TDateTime SystemTimeToDateTime(const TSystemTime& st);
TSystemTime DateTimeToSystemTime(TDateTime t);
