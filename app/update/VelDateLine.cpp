#include "VelDateLine.h"

#include <optional>

namespace {

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

int twelveHourClock(int hour)
{
    const int hour12 = hour % 12;
    return hour12 == 0 ? 12 : hour12;
}

// The text of one code; none when the code is not known.
std::optional<QString> fieldText(QChar code, bool withoutLeadingZero, const QDateTime &time, const QLocale &locale)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    const auto number
        = [withoutLeadingZero](int value) { return withoutLeadingZero ? QString::number(value) : twoDigits(value); };
    switch (code.unicode()) {
    case 'B':
        return locale.monthName(date.month(), QLocale::LongFormat);
    case 'b':
        return locale.monthName(date.month(), QLocale::ShortFormat);
    case 'A':
        return locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
    case 'a':
        return locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
    case 'd':
        return number(date.day());
    case 'm':
        return number(date.month());
    case 'Y':
        return QString::number(date.year());
    case 'y':
        return twoDigits(date.year() % 100);
    case 'H':
        return number(clock.hour());
    case 'I':
        return number(twelveHourClock(clock.hour()));
    case 'M':
        return twoDigits(clock.minute());
    case 'S':
        return twoDigits(clock.second());
    case 'p':
        return clock.hour() < 12 ? locale.amText() : locale.pmText();
    case '%':
        return QStringLiteral("%");
    default:
        return std::nullopt;
    }
}

} // namespace

QString VelFormatDateLine(const QString &format, const QDateTime &time, const QLocale &locale)
{
    QString line;
    line.reserve(format.size() + 16);
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != u'%' || i + 1 == format.size()) {
            line += format[i];
            continue;
        }
        const bool withoutLeadingZero = format[i + 1] == u'1' && i + 2 < format.size();
        const qsizetype codeIndex = withoutLeadingZero ? i + 2 : i + 1;
        const std::optional<QString> text = fieldText(format[codeIndex], withoutLeadingZero, time, locale);
        if (!text) {
            line += format[i];
            continue;
        }
        line += *text;
        i = codeIndex;
    }
    return line;
}
