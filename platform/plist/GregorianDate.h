#pragma once

// Calendar arithmetic for the dates of property lists (UTC, proleptic
// Gregorian calendar), independent of QDateTime's range.

#include <QtGlobal>

#include <optional>

namespace plist {

struct GregorianDate {
    qint64 year = 2001;
    int month = 1; // 1…12
    int day = 1; // 1…31
    int hour = 0;
    int minute = 0;
    int second = 0;

    // Seconds since 2001-01-01 00:00:00 UTC. None for an impossible date,
    // such as February 30th or hour 24.
    [[nodiscard]] std::optional<double> secondsSinceReferenceDate() const;
    // The date of a time, truncated to the second. None when the time is not
    // finite or too far away to name.
    [[nodiscard]] static std::optional<GregorianDate> fromSecondsSinceReferenceDate(double seconds);
};

} // namespace plist
