// The XML property-list reader: one pass over the raw UTF-8 bytes, reading
// exactly the markup CoreFoundation reads. Anything else answers none.

#include "Base64.h"
#include "GregorianDate.h"
#include "PropertyList.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace plist {

namespace {

enum class Tag { Unknown, Plist, Dict, Array, Key, String, Integer, Real, True, False, Date, Data };

struct StartTag {
    Tag tag = Tag::Unknown;
    bool empty = false; // <tag/>
};

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool startsWith(const char *p, const char *end, QByteArrayView prefix)
{
    return end - p >= prefix.size() && std::memcmp(p, prefix.data(), size_t(prefix.size())) == 0;
}

Tag tagFromName(QByteArrayView name)
{
    switch (name.size()) {
    case 3:
        return name == "key" ? Tag::Key : Tag::Unknown;
    case 4:
        if (name == "dict")
            return Tag::Dict;
        if (name == "real")
            return Tag::Real;
        if (name == "true")
            return Tag::True;
        if (name == "date")
            return Tag::Date;
        if (name == "data")
            return Tag::Data;
        return Tag::Unknown;
    case 5:
        if (name == "array")
            return Tag::Array;
        if (name == "plist")
            return Tag::Plist;
        if (name == "false")
            return Tag::False;
        return Tag::Unknown;
    case 6:
        return name == "string" ? Tag::String : Tag::Unknown;
    case 7:
        return name == "integer" ? Tag::Integer : Tag::Unknown;
    }
    return Tag::Unknown;
}

QByteArrayView tagName(Tag tag)
{
    switch (tag) {
    case Tag::Plist:
        return "plist";
    case Tag::Dict:
        return "dict";
    case Tag::Array:
        return "array";
    case Tag::Key:
        return "key";
    case Tag::String:
        return "string";
    case Tag::Integer:
        return "integer";
    case Tag::Real:
        return "real";
    case Tag::True:
        return "true";
    case Tag::False:
        return "false";
    case Tag::Date:
        return "date";
    case Tag::Data:
        return "data";
    case Tag::Unknown:
        break;
    }
    return {};
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isSpace(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isSpace(text.back()))
        text.chop(1);
    return text;
}

void appendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xc0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3f)));
    } else if (c < 0x10000) {
        out.append(char(0xe0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3f)));
        out.append(char(0x80 | (c & 0x3f)));
    } else {
        out.append(char(0xf0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3f)));
        out.append(char(0x80 | ((c >> 6) & 0x3f)));
        out.append(char(0x80 | (c & 0x3f)));
    }
}

// --- Scalars ----------------------------------------------------------------

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
        || !readDigits(text, 2, date.day) || !readSeparator(text, 'T')
        || !readDigits(text, 2, date.hour) || !readSeparator(text, ':')
        || !readDigits(text, 2, date.minute) || !readSeparator(text, ':')
        || !readDigits(text, 2, date.second) || !readSeparator(text, 'Z') || !text.isEmpty())
        return {};
    const std::optional<double> seconds = date.secondsSinceReferenceDate();
    if (!seconds)
        return {};
    return plist::Date{*seconds};
}

Value dataFromText(QByteArrayView text)
{
    std::optional<QByteArray> bytes = base64::decode(text);
    if (!bytes)
        return {};
    return Value::fromData(std::move(*bytes));
}

// --- Markup -----------------------------------------------------------------

class XmlParser {
public:
    explicit XmlParser(QByteArrayView bytes) : m_p(bytes.data()), m_end(bytes.data() + bytes.size()) {}

    [[nodiscard]] Value readDocument();

private:
    [[nodiscard]] bool skipProlog();
    [[nodiscard]] bool skipDoctype();
    [[nodiscard]] bool skipMisc();
    [[nodiscard]] bool skipPast(QByteArrayView terminator);
    [[nodiscard]] bool readStartTag(StartTag &tag);
    [[nodiscard]] bool readEndTag(Tag tag);
    [[nodiscard]] bool atEndTag() const { return m_end - m_p >= 2 && m_p[0] == '<' && m_p[1] == '/'; }
    [[nodiscard]] bool readCharacterData(Tag tag, QByteArrayView &text);
    [[nodiscard]] bool appendReference(QByteArray &out);
    [[nodiscard]] bool readString(const StartTag &start, QString &out);

    [[nodiscard]] Value readValue(const StartTag &start, int depth);
    [[nodiscard]] Value readDictionary(const StartTag &start, int depth);
    [[nodiscard]] Value readArray(const StartTag &start, int depth);
    [[nodiscard]] Value readBoolean(const StartTag &start, bool value);
    [[nodiscard]] Value readScalar(const StartTag &start, Value (*convert)(QByteArrayView));

    const char *m_p;
    const char *m_end;
    QByteArray m_scratch;
};

Value XmlParser::readDocument()
{
    if (startsWith(m_p, m_end, "\xef\xbb\xbf"))
        m_p += 3;
    StartTag root;
    if (!skipProlog() || !readStartTag(root))
        return {};
    Value result;
    if (root.tag == Tag::Plist) {
        StartTag start;
        if (root.empty || !skipMisc() || atEndTag() || !readStartTag(start))
            return {};
        result = readValue(start, 0);
        if (result.isNone() || !skipMisc() || !readEndTag(Tag::Plist))
            return {};
    } else {
        result = readValue(root, 0);
    }
    if (result.isNone() || !skipMisc() || m_p != m_end)
        return {};
    return result;
}

// White space, the XML declaration, processing instructions, comments and
// the DOCTYPE, in any order, up to the first element.
bool XmlParser::skipProlog()
{
    for (;;) {
        if (!skipMisc())
            return false;
        if (startsWith(m_p, m_end, "<!DOCTYPE")) {
            if (!skipDoctype())
                return false;
            continue;
        }
        return m_p < m_end && *m_p == '<' && m_end - m_p > 1 && m_p[1] != '!' && m_p[1] != '/';
    }
}

// An internal subset could declare entities; such documents are refused.
bool XmlParser::skipDoctype()
{
    m_p += 9;
    while (m_p < m_end) {
        const char c = *m_p++;
        if (c == '>')
            return true;
        if (c == '[' || c == '<')
            return false;
        if (c == '"' || c == '\'') {
            const void *quote = std::memchr(m_p, c, size_t(m_end - m_p));
            if (!quote)
                return false;
            m_p = static_cast<const char *>(quote) + 1;
        }
    }
    return false;
}

// White space, comments and processing instructions between elements.
bool XmlParser::skipMisc()
{
    for (;;) {
        while (m_p < m_end && isSpace(*m_p))
            ++m_p;
        if (startsWith(m_p, m_end, "<!--")) {
            m_p += 4;
            if (!skipPast("-->"))
                return false;
        } else if (startsWith(m_p, m_end, "<?")) {
            m_p += 2;
            if (!skipPast("?>"))
                return false;
        } else {
            return true;
        }
    }
}

bool XmlParser::skipPast(QByteArrayView terminator)
{
    const QByteArrayView rest(m_p, m_end - m_p);
    const qsizetype at = rest.indexOf(terminator);
    if (at < 0)
        return false;
    m_p += at + terminator.size();
    return true;
}

bool XmlParser::readStartTag(StartTag &start)
{
    if (m_p >= m_end || *m_p != '<')
        return false;
    const char *name = ++m_p;
    while (m_p < m_end && !isSpace(*m_p) && *m_p != '>' && *m_p != '/')
        ++m_p;
    start.tag = tagFromName(QByteArrayView(name, m_p - name));
    if (start.tag == Tag::Unknown)
        return false;
    while (m_p < m_end) {
        const char c = *m_p++;
        if (c == '>') {
            start.empty = false;
            return true;
        }
        if (c == '/') {
            start.empty = true;
            return m_p < m_end && *m_p++ == '>';
        }
        if (c == '"' || c == '\'') {
            const void *quote = std::memchr(m_p, c, size_t(m_end - m_p));
            if (!quote)
                return false;
            m_p = static_cast<const char *>(quote) + 1;
        } else if (c == '<') {
            return false;
        }
    }
    return false;
}

bool XmlParser::readEndTag(Tag tag)
{
    const QByteArrayView name = tagName(tag);
    if (!atEndTag() || m_end - m_p < 2 + name.size()
        || std::memcmp(m_p + 2, name.data(), size_t(name.size())) != 0)
        return false;
    m_p += 2 + name.size();
    while (m_p < m_end && isSpace(*m_p))
        ++m_p;
    return m_p < m_end && *m_p++ == '>';
}

// The text up to the end tag, with references, CDATA sections and comments
// resolved. The answer points into the input when nothing needed resolving.
bool XmlParser::readCharacterData(Tag tag, QByteArrayView &text)
{
    const char *start = m_p;
    const void *lt = std::memchr(m_p, '<', size_t(m_end - m_p));
    if (!lt)
        return false;
    m_p = static_cast<const char *>(lt);
    if (atEndTag() && !std::memchr(start, '&', size_t(m_p - start))) {
        text = QByteArrayView(start, m_p - start);
        return readEndTag(tag);
    }
    m_p = start;
    m_scratch.clear();
    while (m_p < m_end) {
        const char *run = m_p;
        while (m_p < m_end && *m_p != '<' && *m_p != '&')
            ++m_p;
        m_scratch.append(run, m_p - run);
        if (m_p >= m_end)
            return false;
        if (*m_p == '&') {
            if (!appendReference(m_scratch))
                return false;
        } else if (atEndTag()) {
            text = m_scratch;
            return readEndTag(tag);
        } else if (startsWith(m_p, m_end, "<![CDATA[")) {
            m_p += 9;
            const char *content = m_p;
            if (!skipPast("]]>"))
                return false;
            m_scratch.append(content, m_p - 3 - content);
        } else if (startsWith(m_p, m_end, "<!--")) {
            m_p += 4;
            if (!skipPast("-->"))
                return false;
        } else {
            return false;
        }
    }
    return false;
}

// The five predefined entities and character references; no others exist
// here, since entity declarations are refused.
bool XmlParser::appendReference(QByteArray &out)
{
    const char *semicolon = m_p + 1;
    while (semicolon < m_end && semicolon - m_p <= 12 && *semicolon != ';')
        ++semicolon;
    if (semicolon >= m_end || *semicolon != ';')
        return false;
    const QByteArrayView name(m_p + 1, semicolon - m_p - 1);
    m_p = semicolon + 1;
    static constexpr struct {
        const char *name;
        char c;
    } kPredefined[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto &entity : kPredefined) {
        if (name == entity.name) {
            out.append(entity.c);
            return true;
        }
    }
    if (name.size() < 2 || name.front() != '#')
        return false;
    const bool hex = name[1] == 'x';
    const QByteArrayView digits = name.sliced(hex ? 2 : 1);
    quint32 code = 0;
    const auto [rest, error]
        = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (digits.isEmpty() || error != std::errc() || rest != digits.data() + digits.size()
        || code == 0 || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return false;
    appendUtf8(out, char32_t(code));
    return true;
}

bool XmlParser::readString(const StartTag &start, QString &out)
{
    if (start.empty) {
        out = QString();
        return true;
    }
    QByteArrayView text;
    if (!readCharacterData(start.tag, text))
        return false;
    out = QString::fromUtf8(text);
    return true;
}

Value XmlParser::readValue(const StartTag &start, int depth)
{
    if (depth > kMaxDepth)
        return {};
    switch (start.tag) {
    case Tag::Dict:
        return readDictionary(start, depth);
    case Tag::Array:
        return readArray(start, depth);
    case Tag::String: {
        QString s;
        if (!readString(start, s))
            return {};
        return Value(std::move(s));
    }
    case Tag::Integer:
        return readScalar(start, integerFromText);
    case Tag::Real:
        return readScalar(start, realFromText);
    case Tag::Date:
        return readScalar(start, dateFromText);
    case Tag::Data:
        return start.empty ? Value::fromData({}) : readScalar(start, dataFromText);
    case Tag::True:
        return readBoolean(start, true);
    case Tag::False:
        return readBoolean(start, false);
    case Tag::Key:
    case Tag::Plist:
    case Tag::Unknown:
        break;
    }
    return {};
}

Value XmlParser::readDictionary(const StartTag &start, int depth)
{
    DictionaryPtr dictionary = Dictionary::create();
    if (start.empty)
        return dictionary;
    for (;;) {
        if (!skipMisc())
            return {};
        if (atEndTag())
            return readEndTag(Tag::Dict) ? Value(dictionary) : Value();
        StartTag keyTag;
        QString key;
        if (!readStartTag(keyTag) || keyTag.tag != Tag::Key || !readString(keyTag, key))
            return {};
        StartTag valueTag;
        if (!skipMisc() || !readStartTag(valueTag))
            return {};
        Value value = readValue(valueTag, depth + 1);
        if (value.isNone())
            return {};
        dictionary->set(key, std::move(value));
    }
}

Value XmlParser::readArray(const StartTag &start, int depth)
{
    ArrayPtr array = Array::create();
    if (start.empty)
        return array;
    for (;;) {
        if (!skipMisc())
            return {};
        if (atEndTag())
            return readEndTag(Tag::Array) ? Value(array) : Value();
        StartTag itemTag;
        if (!readStartTag(itemTag))
            return {};
        Value item = readValue(itemTag, depth + 1);
        if (item.isNone())
            return {};
        array->append(std::move(item));
    }
}

Value XmlParser::readBoolean(const StartTag &start, bool value)
{
    if (start.empty)
        return value;
    while (m_p < m_end && isSpace(*m_p))
        ++m_p;
    return readEndTag(start.tag) ? Value(value) : Value();
}

Value XmlParser::readScalar(const StartTag &start, Value (*convert)(QByteArrayView))
{
    QByteArrayView text;
    if (!start.empty && !readCharacterData(start.tag, text))
        return {};
    return convert(text);
}

} // namespace

Value readXml(QByteArrayView bytes)
{
    if (!bytes.isValidUtf8())
        return {};
    XmlParser parser(bytes);
    return parser.readDocument();
}

} // namespace plist
