#include "GregorianDate.h"

#include <cmath>

namespace plist {

namespace {

constexpr qint64 kSecondsPerDay = 86400;
// Days from 1970-01-01 to 2001-01-01.
constexpr qint64 kReferenceDay = 11323;
// Dates beyond ±100 million years are refused; the arithmetic below stays
// far from overflow.
constexpr qint64 kYearLimit = 100'000'000;

// Howard Hinnant's days-from-civil algorithm: days since 1970-01-01.
qint64 daysFromCivil(qint64 y, int m, int d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(qint64 z, GregorianDate &date)
{
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    date.day = int(doy - (153 * mp + 2) / 5 + 1);
    date.month = int(mp < 10 ? mp + 3 : mp - 9);
    date.year = yoe + era * 400 + (date.month <= 2);
}

bool isLeapYear(qint64 y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(qint64 y, int m)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : kDays[m - 1];
}

} // namespace

std::optional<double> GregorianDate::secondsSinceReferenceDate() const
{
    if (year <= -kYearLimit || year >= kYearLimit || month < 1 || month > 12 || day < 1
        || day > daysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0
        || second > 59)
        return std::nullopt;
    const qint64 days = daysFromCivil(year, month, day) - kReferenceDay;
    return double(days * kSecondsPerDay + hour * 3600 + minute * 60 + second);
}

std::optional<GregorianDate> GregorianDate::fromSecondsSinceReferenceDate(double seconds)
{
    constexpr double kLimit = double(kYearLimit) * 366.0 * double(kSecondsPerDay);
    if (!std::isfinite(seconds) || std::fabs(seconds) > kLimit)
        return std::nullopt;
    const qint64 whole = qint64(std::floor(seconds));
    qint64 days = whole / kSecondsPerDay;
    qint64 rest = whole % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    GregorianDate date;
    civilFromDays(days + kReferenceDay, date);
    date.hour = int(rest / 3600);
    date.minute = int(rest / 60 % 60);
    date.second = int(rest % 60);
    return date;
}

} // namespace plist
