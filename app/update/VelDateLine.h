#pragma once

// Dates written with the calendar-date format codes of the status lines:
// %B full month name, %b short month name, %A full and %a short weekday
// name, %d day and %m month with two digits (%1d, %1m without the leading
// zero), %Y four-digit and %y two-digit year, %H hour on the 24-hour clock
// and %I on the 12-hour clock (%1H, %1I without the leading zero), %M minutes,
// %S seconds, %p the locale's morning or afternoon designation, %% a percent
// sign. Any other code stays as written.

#include <QDateTime>
#include <QLocale>
#include <QString>

[[nodiscard]] QString VelFormatDateLine(const QString &format, const QDateTime &time, const QLocale &locale);
