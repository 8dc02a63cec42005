// Reader for old-style (OpenStep) text property lists and strings files, read
// the way CoreFoundation reads them: the bytes are decoded to UTF-16 first,
// then parsed by recursive descent, one function per construct.
//
// Accepted: { key = value; } dictionaries (a value may be left out, `key;`,
// and then equals the key), ( a, b ) arrays with an optional trailing comma,
// quoted strings ("…" or '…') with C escapes, \U and four hex digits, and
// octal escapes in the NeXTSTEP character set, unquoted strings of letters,
// digits and _$/:.-, <hex data>, // and /* */ comments. A top-level string
// followed by more text starts a strings file: key = value pairs without
// braces. A file of nothing but space and comments is an empty dictionary.
// Everything in the text form is a string, data, array or dictionary.

#include "PropertyList.h"
#include "ReadError_p.h"

#include <QStringDecoder>

namespace plist {

namespace {

// NeXTSTEP code points 0x80-0xFF, which octal escapes above \177 name.
constexpr char16_t kNextStepHighHalf[128] = {
    0x00A0,
    0x00C0,
    0x00C1,
    0x00C2,
    0x00C3,
    0x00C4,
    0x00C5,
    0x00C7,
    0x00C8,
    0x00C9,
    0x00CA,
    0x00CB,
    0x00CC,
    0x00CD,
    0x00CE,
    0x00CF,
    0x00D0,
    0x00D1,
    0x00D2,
    0x00D3,
    0x00D4,
    0x00D5,
    0x00D6,
    0x00D9,
    0x00DA,
    0x00DB,
    0x00DC,
    0x00DD,
    0x00DE,
    0x00B5,
    0x00D7,
    0x00F7,
    0x00A9,
    0x00A1,
    0x00A2,
    0x00A3,
    0x2044,
    0x00A5,
    0x0192,
    0x00A7,
    0x00A4,
    0x2019,
    0x201C,
    0x00AB,
    0x2039,
    0x203A,
    0xFB01,
    0xFB02,
    0x00AE,
    0x2013,
    0x2020,
    0x2021,
    0x00B7,
    0x00A6,
    0x00B6,
    0x2022,
    0x201A,
    0x201E,
    0x201D,
    0x00BB,
    0x2026,
    0x2030,
    0x00AC,
    0x00BF,
    0x00B9,
    0x02CB,
    0x00B4,
    0x02C6,
    0x02DC,
    0x00AF,
    0x02D8,
    0x02D9,
    0x00A8,
    0x00B2,
    0x02DA,
    0x00B8,
    0x00B3,
    0x02DD,
    0x02DB,
    0x02C7,
    0x2014,
    0x00B1,
    0x00BC,
    0x00BD,
    0x00BE,
    0x00E0,
    0x00E1,
    0x00E2,
    0x00E3,
    0x00E4,
    0x00E5,
    0x00E7,
    0x00E8,
    0x00E9,
    0x00EA,
    0x00EB,
    0x00EC,
    0x00C6,
    0x00ED,
    0x00AA,
    0x00EE,
    0x00EF,
    0x00F0,
    0x00F1,
    0x0141,
    0x00D8,
    0x0152,
    0x00BA,
    0x00F2,
    0x00F3,
    0x00F4,
    0x00F5,
    0x00F6,
    0x00E6,
    0x00F9,
    0x00FA,
    0x00FB,
    0x0131,
    0x00FC,
    0x00FD,
    0x0142,
    0x00F8,
    0x0153,
    0x00DF,
    0x00FE,
    0x00FF,
    0xFFFD,
    0xFFFD,
};

bool isUnquotedCharacter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'$'
        || c == u'/' || c == u':' || c == u'.' || c == u'-';
}

int hexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Byte-order marks decide; without one, a zero byte among the first two
// means UTF-16 (its place gives the byte order), anything else is UTF-8.
QString decodeText(QByteArrayView bytes, bool *ok)
{
    *ok = true;
    const auto *b = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    bool utf16 = false;
    bool bigEndian = false;
    qsizetype skip = 0;
    if (n >= 2 && ((b[0] == 0xFE && b[1] == 0xFF) || (b[0] == 0xFF && b[1] == 0xFE))) {
        utf16 = true;
        bigEndian = b[0] == 0xFE;
        skip = 2;
    } else if (n >= 2 && (b[0] == 0 || b[1] == 0)) {
        utf16 = true;
        bigEndian = b[0] == 0;
    }
    if (!utf16) {
        if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
            skip = 3;
        // Only the first mark is one; Qt would drop a second one too.
        QStringDecoder decoder(
            QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        QString text = decoder.decode(bytes.sliced(skip));
        *ok = !decoder.hasError();
        return text;
    }
    // Units are taken as they are, unpaired surrogates included; an odd last
    // byte is dropped.
    const qsizetype units = (n - skip) / 2;
    QString text(units, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < units; ++i) {
        const uchar hi = b[skip + 2 * i + (bigEndian ? 0 : 1)];
        const uchar lo = b[skip + 2 * i + (bigEndian ? 1 : 0)];
        out[i] = char16_t((hi << 8) | lo);
    }
    return text;
}

// The offset in the file's bytes of the unit-th character of the text
// decodeText made of them.
qsizetype byteOffset(QByteArrayView bytes, const QString &text, qsizetype unit)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes.data());
    const bool bom16 = bytes.size() >= 2 && ((b[0] == 0xFE && b[1] == 0xFF) || (b[0] == 0xFF && b[1] == 0xFE));
    if (bom16)
        return 2 + 2 * unit;
    if (bytes.size() >= 2 && (b[0] == 0 || b[1] == 0))
        return 2 * unit;
    const qsizetype bom8 = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    return bom8 + QStringView(text).first(std::min(unit, text.size())).toUtf8().size();
}

struct ParseState {
    const char16_t *begin = nullptr;
    const char16_t *curr = nullptr;
    const char16_t *end = nullptr;
};

class TextParser {
public:
    explicit TextParser(const QString &text)
    {
        m_p.begin = m_p.curr = reinterpret_cast<const char16_t *>(text.constData());
        m_p.end = m_p.begin + text.size();
    }

    [[nodiscard]] Value parseTopLevel();
    // Where the fault lies, in units of the text, and what it was.
    [[nodiscard]] qsizetype failedAt() const { return (m_failedAt ? m_failedAt : m_p.curr) - m_p.begin; }
    [[nodiscard]] QString failure() const
    {
        return m_failedAt ? m_failure : QStringLiteral("Unexpected EOF while parsing plist");
    }

private:
    using Failed = detail::Failed;
    // The first fault recorded is the innermost, the most precise; the
    // steps that called the failing one only pass the failure on.
    Failed failAt(const char16_t *at, const QString &reason)
    {
        if (!m_failedAt) {
            m_failedAt = at;
            m_failure = reason;
        }
        return {};
    }
    Failed fail(const char *reason) { return failAt(m_p.curr, QString::fromLatin1(reason)); }
    Failed failUnexpectedEnd() { return fail("Unexpected EOF while parsing plist"); }
    Failed failUnexpectedCharacter();

    [[nodiscard]] bool advanceToNonSpace();
    void skipComment();
    [[nodiscard]] bool atEnd() const { return m_p.curr >= m_p.end; }
    [[nodiscard]] char16_t peek() const { return *m_p.curr; }

    [[nodiscard]] bool atValueStart();
    [[nodiscard]] Value parseObject(int depth);
    [[nodiscard]] Value parseString();
    [[nodiscard]] Value parseQuotedString(char16_t quote);
    [[nodiscard]] bool appendEscaped(QString *out);
    [[nodiscard]] Value parseUnquotedString();
    [[nodiscard]] Value parseArray(int depth);
    [[nodiscard]] Value parseDictionaryContent(int depth);
    [[nodiscard]] Value parseDictionary(int depth);
    [[nodiscard]] Value parseData();

    ParseState m_p;
    const char16_t *m_failedAt = nullptr;
    QString m_failure;
};

TextParser::Failed TextParser::failUnexpectedCharacter()
{
    const char16_t c = peek();
    const QString shown = c >= 0x20 && c < 0x7f ? QStringLiteral("'%1'").arg(QChar(c))
                                                : QStringLiteral("0x%1").arg(uint(c), 4, 16, QLatin1Char('0'));
    return failAt(m_p.curr, QStringLiteral("Unexpected character %1").arg(shown));
}

// Skips white space and comments; answers whether anything is left.
bool TextParser::advanceToNonSpace()
{
    while (!atEnd()) {
        const char16_t c = peek();
        if ((c >= 0x09 && c <= 0x0D) || c == u' ' || c == 0x2028 || c == 0x2029) {
            ++m_p.curr;
        } else if (c == u'/' && m_p.curr + 1 < m_p.end && (m_p.curr[1] == u'/' || m_p.curr[1] == u'*')) {
            skipComment();
        } else {
            return true;
        }
    }
    return false;
}

// An unterminated /* comment runs to the end of the text.
void TextParser::skipComment()
{
    const bool line = m_p.curr[1] == u'/';
    m_p.curr += 2;
    while (!atEnd()) {
        const char16_t c = peek();
        if (line && (c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029))
            return;
        ++m_p.curr;
        if (!line && c == u'*' && !atEnd() && peek() == u'/') {
            ++m_p.curr;
            return;
        }
    }
}

Value TextParser::parseObject(int depth)
{
    if (depth > kMaxDepth)
        return fail("Too deeply nested");
    if (!advanceToNonSpace())
        return failUnexpectedEnd();
    const char16_t c = peek();
    switch (c) {
    case u'{':
        ++m_p.curr;
        return parseDictionary(depth);
    case u'(':
        ++m_p.curr;
        return parseArray(depth);
    case u'<':
        ++m_p.curr;
        return parseData();
    case u'"':
    case u'\'':
        ++m_p.curr;
        return parseQuotedString(c);
    default:
        return isUnquotedCharacter(c) ? parseUnquotedString() : Value(failUnexpectedCharacter());
    }
}

Value TextParser::parseString()
{
    if (!advanceToNonSpace())
        return failUnexpectedEnd();
    const char16_t c = peek();
    if (c == u'"' || c == u'\'') {
        ++m_p.curr;
        return parseQuotedString(c);
    }
    return isUnquotedCharacter(c) ? parseUnquotedString() : Value(failUnexpectedCharacter());
}

Value TextParser::parseQuotedString(char16_t quote)
{
    QString s;
    const char16_t *opening = m_p.curr - 1;
    const char16_t *mark = m_p.curr;
    while (!atEnd() && peek() != quote) {
        if (peek() != u'\\') {
            ++m_p.curr;
            continue;
        }
        s.append(QStringView(mark, m_p.curr));
        ++m_p.curr;
        if (!appendEscaped(&s))
            return failAt(m_p.curr - 1, QStringLiteral("Unterminated backslash sequence"));
        mark = m_p.curr;
    }
    if (atEnd())
        return failAt(opening, QStringLiteral("Unexpected EOF while parsing string"));
    s.append(QStringView(mark, m_p.curr));
    ++m_p.curr;
    return Value(std::move(s));
}

// The character after a backslash; answers false at the end of the text.
bool TextParser::appendEscaped(QString *out)
{
    if (atEnd())
        return false;
    const char16_t c = peek();
    ++m_p.curr;
    if (c >= u'0' && c <= u'7') {
        unsigned code = c - u'0';
        for (int i = 0; i < 2 && !atEnd() && peek() >= u'0' && peek() <= u'7'; ++i)
            code = (code << 3) + (*m_p.curr++ - u'0');
        code &= 0xFF; // three octal digits can exceed a byte; the byte is kept
        out->append(QChar(code < 0x80 ? char16_t(code) : kNextStepHighHalf[code - 0x80]));
        return true;
    }
    if (c == u'U') {
        unsigned code = 0;
        for (int i = 0; i < 4 && !atEnd() && hexDigitValue(peek()) >= 0; ++i)
            code = (code << 4) + unsigned(hexDigitValue(*m_p.curr++));
        out->append(QChar(char16_t(code)));
        return true;
    }
    char16_t result = c;
    switch (c) {
    case u'a':
        result = u'\a';
        break;
    case u'b':
        result = u'\b';
        break;
    case u'f':
        result = u'\f';
        break;
    case u'n':
        result = u'\n';
        break;
    case u'r':
        result = u'\r';
        break;
    case u't':
        result = u'\t';
        break;
    case u'v':
        result = u'\v';
        break;
    default:
        break; // \" \\ \' and any other character stand for themselves
    }
    out->append(QChar(result));
    return true;
}

Value TextParser::parseUnquotedString()
{
    const char16_t *mark = m_p.curr;
    while (!atEnd() && isUnquotedCharacter(peek()))
        ++m_p.curr;
    if (m_p.curr == mark)
        return failUnexpectedCharacter();
    return Value(QString(reinterpret_cast<const QChar *>(mark), m_p.curr - mark));
}

// Whether a value starts at the next character that is not space.
bool TextParser::atValueStart()
{
    if (!advanceToNonSpace())
        return false;
    const char16_t c = peek();
    return c == u'{' || c == u'(' || c == u'<' || c == u'"' || c == u'\'' || isUnquotedCharacter(c);
}

Value TextParser::parseArray(int depth)
{
    const char16_t *opening = m_p.curr - 1;
    ArrayPtr array = Array::create();
    // Items up to anything that cannot start one: the closing parenthesis,
    // after a trailing comma too. A fault inside an item fails the array.
    while (atValueStart()) {
        Value item = parseObject(depth + 1);
        if (item.isNone())
            return {};
        array->append(std::move(item));
        if (!advanceToNonSpace() || peek() != u',')
            break;
        ++m_p.curr;
    }
    if (!advanceToNonSpace() || peek() != u')')
        return failAt(opening, QStringLiteral("Expected terminating ')' for array"));
    ++m_p.curr;
    return array;
}

// key = value; pairs up to the first thing that is not a key. Used inside
// braces and, at the top level, for strings files.
Value TextParser::parseDictionaryContent(int depth)
{
    DictionaryPtr dict = Dictionary::create();
    while (atValueStart() && peek() != u'{' && peek() != u'(' && peek() != u'<') {
        const Value key = parseString();
        if (key.isNone())
            return {};
        if (!advanceToNonSpace())
            return failUnexpectedEnd();
        Value value;
        if (peek() == u';') {
            value = key;
        } else if (peek() == u'=') {
            ++m_p.curr;
            value = parseObject(depth + 1);
            if (value.isNone())
                return {};
        } else {
            return fail("Expected ';' or '=' after key");
        }
        dict->set(*key.asString(), std::move(value));
        if (!advanceToNonSpace() || peek() != u';')
            return fail("Missing ';'");
        ++m_p.curr;
    }
    return dict;
}

Value TextParser::parseDictionary(int depth)
{
    const char16_t *opening = m_p.curr - 1;
    Value dict = parseDictionaryContent(depth);
    if (dict.isNone())
        return {};
    if (!advanceToNonSpace() || peek() != u'}')
        return failAt(opening, QStringLiteral("Expected terminating '}' for dictionary"));
    ++m_p.curr;
    return dict;
}

Value TextParser::parseData()
{
    const char16_t *opening = m_p.curr - 1;
    QByteArray bytes;
    while (!atEnd() && peek() != u'>') {
        const char16_t c = peek();
        if (c == u' ' || c == u'\n' || c == u'\t' || c == u'\r' || c == 0x2028 || c == 0x2029) {
            ++m_p.curr;
            continue;
        }
        const int high = hexDigitValue(c);
        if (high < 0)
            return fail("Malformed data byte group; invalid hex digit");
        const int low = m_p.curr + 1 < m_p.end ? hexDigitValue(m_p.curr[1]) : -1;
        if (low < 0)
            return fail("Malformed data byte group; uneven length");
        bytes.append(char((high << 4) | low));
        m_p.curr += 2;
    }
    if (atEnd())
        return failAt(opening, QStringLiteral("Expected terminating '>' for data"));
    ++m_p.curr;
    return Value::fromData(std::move(bytes));
}

Value TextParser::parseTopLevel()
{
    if (!advanceToNonSpace())
        return Dictionary::create();
    const char16_t *start = m_p.curr;
    Value result = parseObject(0);
    if (result.isNone() || !advanceToNonSpace())
        return result;
    if (!result.isString())
        return fail("Junk after plist");
    m_p.curr = start;
    return parseDictionaryContent(0);
}

} // namespace

Value readText(QByteArrayView bytes, ReadError *error)
{
    if (bytes.isEmpty()) {
        detail::setReadError(error, QStringLiteral("Cannot parse a zero-length property list"), 0, 1);
        return {};
    }
    bool ok = false;
    const QString text = decodeText(bytes, &ok);
    if (!ok) {
        const qsizetype at = detail::firstInvalidUtf8(bytes);
        detail::setReadError(
            error, QStringLiteral("Encountered an invalid UTF-8 sequence"), at, detail::lineAt(bytes, at));
        return {};
    }
    if (text.isEmpty()) {
        detail::setReadError(error, QStringLiteral("Cannot parse a zero-length property list"), 0, 1);
        return {};
    }
    TextParser parser(text);
    Value v = parser.parseTopLevel();
    if (v.isNone() && error) {
        const qsizetype unit = parser.failedAt();
        detail::setReadError(error, parser.failure(), byteOffset(bytes, text, unit), detail::lineAt(text, unit));
    }
    return v;
}

} // namespace plist
