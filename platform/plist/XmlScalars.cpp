#include "XmlScalars.h"

#include "Base64.h"
#include "GregorianDate.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace plist::xml {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isSpace(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isSpace(text.back()))
        text.chop(1);
    return text;
}

bool equalsIgnoringCase(QByteArrayView text, QByteArrayView lowerWord)
{
    if (text.size() != lowerWord.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? char(c + 32) : c) != lowerWord[i])
            return false;
    }
    return true;
}

bool readDigits(QByteArrayView &text, int count, int &value)
{
    if (text.size() < count)
        return false;
    value = 0;
    for (int i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    text = text.sliced(count);
    return true;
}

bool readSeparator(QByteArrayView &text, char c)
{
    if (text.isEmpty() || text.front() != c)
        return false;
    text = text.sliced(1);
    return true;
}

} // namespace

Value integerFromText(QByteArrayView text)
{
    text = trimmed(text);
    bool negative = false;
    if (!text.isEmpty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text = text.sliced(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text = text.sliced(2);
    }
    if (text.isEmpty())
        return {};
    quint64 magnitude = 0;
    const auto [rest, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || rest != text.data() + text.size())
        return {};
    if (!negative)
        return Value::fromUnsigned(magnitude);
    constexpr quint64 kMinMagnitude = quint64(std::numeric_limits<qint64>::max()) + 1;
    if (magnitude > kMinMagnitude)
        return {};
    return Value(magnitude == kMinMagnitude ? std::numeric_limits<qint64>::min() : -qint64(magnitude));
}

Value realFromText(QByteArrayView text)
{
    text = trimmed(text);
    double sign = 1;
    QByteArrayView unsignedText = text;
    if (!text.isEmpty() && (text.front() == '-' || text.front() == '+')) {
        sign = text.front() == '-' ? -1 : 1;
        unsignedText = text.sliced(1);
    }
    if (equalsIgnoringCase(unsignedText, "nan"))
        return std::numeric_limits<double>::quiet_NaN();
    if (equalsIgnoringCase(unsignedText, "inf") || equalsIgnoringCase(unsignedText, "infinity"))
        return sign * std::numeric_limits<double>::infinity();
    // from_chars takes no '+' and would read "inf" or "nan(…)" by itself.
    if (unsignedText.isEmpty() || !(std::isdigit(uchar(unsignedText.front())) || unsignedText.front() == '.'))
        return {};
    double d = 0;
    const char *first = text.front() == '+' ? unsignedText.data() : text.data();
    const char *last = text.data() + text.size();
    const auto [rest, error] = std::from_chars(first, last, d);
    if (error != std::errc() || rest != last)
        return {};
    return d;
}

// YYYY-MM-DDTHH:MM:SSZ; the year may carry a minus sign, as the writer
// gives years before 1 ("-001").
Value dateFromText(QByteArrayView text)
{
    text = trimmed(text);
    GregorianDate date;
    const bool negative = readSeparator(text, '-');
    qsizetype yearDigits = 0;
    while (yearDigits < text.size() && text[yearDigits] >= '0' && text[yearDigits] <= '9')
        ++yearDigits;
    int year = 0;
    if (yearDigits < 1 || yearDigits > 8 || !readDigits(text, int(yearDigits), year))
        return {};
    date.year = negative ? -year : year;
    if (!readSeparator(text, '-') || !readDigits(text, 2, date.month) || !readSeparator(text, '-')
        || !readDigits(text, 2, date.day) || !readSeparator(text, 'T') || !readDigits(text, 2, date.hour)
        || !readSeparator(text, ':') || !readDigits(text, 2, date.minute) || !readSeparator(text, ':')
        || !readDigits(text, 2, date.second) || !readSeparator(text, 'Z') || !text.isEmpty())
        return {};
    const std::optional<double> seconds = date.secondsSinceReferenceDate();
    if (!seconds)
        return {};
    return plist::Date {*seconds};
}

Value dataFromText(QByteArrayView text)
{
    return Value::fromData(base64::decode(text));
}

} // namespace plist::xml
