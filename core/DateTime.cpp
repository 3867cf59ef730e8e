// Conversions between calendar fields and the day-count date-time type.
#include "core/DateTime.h"

#include <cmath>

namespace {
// Days from 0001-01-01 (proleptic Gregorian) to the given date.
long long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;  // days since 1970-01-01
}
void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}
const long long kEpoch1899 = DaysFromCivil(1899, 12, 30);
}  // namespace

TDateTime EncodeDate(int year, int month, int day) {
    return static_cast<double>(DaysFromCivil(year, month, day) - kEpoch1899);
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    return (((hour * 60.0 + min) * 60.0 + sec) * 1000.0 + msec) / 86400000.0;
}

void DecodeDate(TDateTime t, int& year, int& month, int& day) {
    CivilFromDays(static_cast<long long>(std::floor(t)) + kEpoch1899, year, month, day);
}

void DecodeTime(TDateTime t, int& hour, int& min, int& sec, int& msec) {
    double frac = std::fabs(t - std::trunc(t));
    long long ms = std::llround(frac * 86400000.0);
    if (ms >= 86400000) ms = 86399999;
    hour = static_cast<int>(ms / 3600000);
    min = static_cast<int>(ms / 60000 % 60);
    sec = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

TDateTime SystemTimeToDateTime(const TSystemTime& st) {
    return EncodeDate(st.Year, st.Month, st.Day) + EncodeTime(st.Hour, st.Minute, st.Second, st.Milliseconds);
}

TSystemTime DateTimeToSystemTime(TDateTime t) {
    TSystemTime st;
    int y, mo, d, h, mi, s, ms;
    DecodeDate(t, y, mo, d);
    DecodeTime(t, h, mi, s, ms);
    st.Year = static_cast<uint16_t>(y);
    st.Month = static_cast<uint16_t>(mo);
    st.Day = static_cast<uint16_t>(d);
    st.DayOfWeek = static_cast<uint16_t>(((static_cast<long long>(std::floor(t)) % 7) + 13) % 7);  // day 0 was a Saturday
    st.Hour = static_cast<uint16_t>(h);
    st.Minute = static_cast<uint16_t>(mi);
    st.Second = static_cast<uint16_t>(s);
    st.Milliseconds = static_cast<uint16_t>(ms);
    return st;
}
