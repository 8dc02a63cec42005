// The XML property-list writer, laid out byte for byte as CoreFoundation
// writes: tab indentation, dictionary keys sorted by UTF-16 code units, data
// in indented base64 lines.

#include "Base64.h"
#include "GregorianDate.h"
#include "PropertyList.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace plist {

namespace {

constexpr char kHeader[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                           "<plist version=\"1.0\">\n";
constexpr char kFooter[] = "</plist>\n";

// CFStringCompare's order: UTF-16 code units, so a character beyond the BMP
// (a surrogate pair) sorts before U+E000…U+FFFF.
bool precedesInUtf16(const QString &a, const QString &b)
{
    return std::lexicographical_compare(a.utf16(), a.utf16() + a.size(), b.utf16(), b.utf16() + b.size());
}

class XmlWriter {
public:
    explicit XmlWriter(QByteArray &out)
        : m_out(out)
    {
    }

    // False when the value is or holds a none, or nests deeper than kMaxDepth.
    [[nodiscard]] bool write(const Value &v, int depth);

private:
    void indent(int depth);
    void appendEscaped(const QString &text);
    void appendElement(QByteArrayView tag, QByteArrayView content);
    [[nodiscard]] bool writeArray(const Array &array, int depth);
    [[nodiscard]] bool writeDictionary(const Dictionary &dictionary, int depth);
    void writeString(const QString &s);
    void writeInteger(const Value &v);
    void writeReal(double d);
    [[nodiscard]] bool writeDate(plist::Date date);
    void writeData(const QByteArray &bytes, int depth);

    QByteArray &m_out;
};

void XmlWriter::indent(int depth)
{
    m_out.append(depth, '\t');
}

// Only the three characters markup needs are escaped; control characters go
// out as they are, as on the Mac, and the reader takes them back.
void XmlWriter::appendEscaped(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    const char *p = utf8.constData();
    const char *end = p + utf8.size();
    while (p < end) {
        const char *run = p;
        while (p < end && *p != '&' && *p != '<' && *p != '>')
            ++p;
        m_out.append(run, p - run);
        if (p == end)
            break;
        m_out.append(*p == '&' ? "&amp;" : *p == '<' ? "&lt;" : "&gt;");
        ++p;
    }
}

void XmlWriter::appendElement(QByteArrayView tag, QByteArrayView content)
{
    m_out.append('<').append(tag).append('>').append(content);
    m_out.append("</").append(tag).append(">\n");
}

bool XmlWriter::write(const Value &v, int depth)
{
    if (depth > kMaxDepth)
        return false;
    indent(depth);
    switch (v.type()) {
    case Value::Type::None:
        return false;
    case Value::Type::Boolean:
        m_out.append(v.toBoolean() ? "<true/>\n" : "<false/>\n");
        return true;
    case Value::Type::Integer:
        writeInteger(v);
        return true;
    case Value::Type::Real:
        writeReal(v.toReal());
        return true;
    case Value::Type::String:
        writeString(*v.asString());
        return true;
    case Value::Type::Data:
        writeData(v.toData(), depth);
        return true;
    case Value::Type::Date:
        return writeDate(v.toDate());
    case Value::Type::Array:
        return writeArray(*v.toArray(), depth);
    case Value::Type::Dictionary:
        return writeDictionary(*v.toDictionary(), depth);
    }
    return false;
}

bool XmlWriter::writeArray(const Array &array, int depth)
{
    if (array.isEmpty()) {
        m_out.append("<array/>\n");
        return true;
    }
    m_out.append("<array>\n");
    for (const Value &item : array) {
        if (!write(item, depth + 1))
            return false;
    }
    indent(depth);
    m_out.append("</array>\n");
    return true;
}

bool XmlWriter::writeDictionary(const Dictionary &dictionary, int depth)
{
    if (dictionary.isEmpty()) {
        m_out.append("<dict/>\n");
        return true;
    }
    std::vector<const Dictionary::Entry *> sorted;
    sorted.reserve(size_t(dictionary.size()));
    for (const Dictionary::Entry &e : dictionary.entries())
        sorted.push_back(&e);
    std::sort(sorted.begin(), sorted.end(),
        [](const Dictionary::Entry *a, const Dictionary::Entry *b) { return precedesInUtf16(a->first, b->first); });
    m_out.append("<dict>\n");
    for (const Dictionary::Entry *e : sorted) {
        indent(depth + 1);
        m_out.append("<key>");
        appendEscaped(e->first);
        m_out.append("</key>\n");
        if (!write(e->second, depth + 1))
            return false;
    }
    indent(depth);
    m_out.append("</dict>\n");
    return true;
}

void XmlWriter::writeString(const QString &s)
{
    m_out.append("<string>");
    appendEscaped(s);
    m_out.append("</string>\n");
}

void XmlWriter::writeInteger(const Value &v)
{
    char buffer[24];
    const auto result = v.isUnsignedInteger() ? std::to_chars(buffer, buffer + sizeof buffer, v.toUnsigned())
                                              : std::to_chars(buffer, buffer + sizeof buffer, v.toInteger());
    appendElement("integer", QByteArrayView(buffer, result.ptr - buffer));
}

// The shortest text that reads back as the same double.
void XmlWriter::writeReal(double d)
{
    if (std::isnan(d)) {
        appendElement("real", "nan");
    } else if (std::isinf(d)) {
        appendElement("real", d > 0 ? "+infinity" : "-infinity");
    } else {
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, d);
        appendElement("real", QByteArrayView(buffer, result.ptr - buffer));
    }
}

// Dates go out to the second, as the format holds them.
bool XmlWriter::writeDate(plist::Date date)
{
    const std::optional<GregorianDate> g = GregorianDate::fromSecondsSinceReferenceDate(date.secondsSinceReferenceDate);
    if (!g)
        return false;
    const QByteArray year = g->year < 0 ? "-" + QByteArray::number(-g->year).rightJustified(3, '0')
                                        : QByteArray::number(g->year).rightJustified(4, '0');
    char rest[24];
    std::snprintf(rest, sizeof rest, "-%02d-%02dT%02d:%02d:%02dZ", g->month, g->day, g->hour, g->minute, g->second);
    appendElement("date", year + rest);
    return true;
}

void XmlWriter::writeData(const QByteArray &bytes, int depth)
{
    m_out.append("<data>\n");
    base64::appendLines(m_out, bytes, depth);
    indent(depth);
    m_out.append("</data>\n");
}

} // namespace

QByteArray writeXml(const Value &v)
{
    QByteArray out;
    out.reserve(4096);
    out.append(kHeader);
    XmlWriter writer(out);
    if (!writer.write(v, 0))
        return {};
    out.append(kFooter);
    return out;
}

} // namespace plist
