// The XML property-list reader: one pass over the raw UTF-8 bytes, reading
// exactly the markup CoreFoundation reads. Anything else answers none.

#include "PropertyList.h"
#include "ReadError_p.h"
#include "StringBlocks.h"
#include "XmlScalars.h"
#include "XmlText_p.h"

#include <charconv>
#include <cstring>
#include <deque>
#include <vector>

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

// With the prefix's length known at compile time the comparison is inlined.
template <size_t N> bool startsWith(const char *p, const char *end, const char (&prefix)[N])
{
    return end - p >= qsizetype(N - 1) && std::memcmp(p, prefix, N - 1) == 0;
}

template <size_t N> bool isName(QByteArrayView name, const char (&word)[N])
{
    return std::memcmp(name.data(), word, N - 1) == 0;
}

Tag tagFromName(QByteArrayView name)
{
    switch (name.size()) {
    case 3:
        return isName(name, "key") ? Tag::Key : Tag::Unknown;
    case 4:
        if (isName(name, "dict"))
            return Tag::Dict;
        if (isName(name, "real"))
            return Tag::Real;
        if (isName(name, "true"))
            return Tag::True;
        if (isName(name, "date"))
            return Tag::Date;
        if (isName(name, "data"))
            return Tag::Data;
        return Tag::Unknown;
    case 5:
        if (isName(name, "array"))
            return Tag::Array;
        if (isName(name, "plist"))
            return Tag::Plist;
        if (isName(name, "false"))
            return Tag::False;
        return Tag::Unknown;
    case 6:
        return isName(name, "string") ? Tag::String : Tag::Unknown;
    case 7:
        return isName(name, "integer") ? Tag::Integer : Tag::Unknown;
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

// --- Markup -----------------------------------------------------------------

class XmlParser {
public:
    explicit XmlParser(QByteArrayView bytes)
        : m_begin(bytes.data())
        , m_p(bytes.data())
        , m_end(bytes.data() + bytes.size())
    {
    }

    [[nodiscard]] Value readDocument();
    void reportFailure(ReadError *error) const;

private:
    using Failed = detail::Failed;
    // The first fault recorded is the innermost, the most precise; the
    // steps that called the failing one only pass the failure on.
    Failed failAt(const char *at, const QString &reason)
    {
        if (!m_failedAt) {
            m_failedAt = at;
            m_failure = reason;
        }
        return {};
    }
    Failed fail(const char *reason) { return failAt(m_p, QString::fromLatin1(reason)); }
    Failed failUnexpectedEnd() { return fail("Encountered unexpected EOF"); }

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
    [[nodiscard]] bool readKey(QString &out);

    [[nodiscard]] Value readValue(const StartTag &start, int depth);
    [[nodiscard]] Value readDictionary(const StartTag &start, int depth);
    [[nodiscard]] Value readArray(const StartTag &start, int depth);
    [[nodiscard]] Value readBoolean(const StartTag &start, bool value);
    [[nodiscard]] Value readScalar(const StartTag &start, Value (*convert)(QByteArrayView));

    [[nodiscard]] std::vector<Dictionary::Entry> &gatheredEntries(int depth);
    [[nodiscard]] std::vector<Value> &gatheredItems(int depth);

    const char *m_begin;
    const char *m_p;
    const char *m_end;
    const char *m_failedAt = nullptr;
    QString m_failure;
    // Text with references or CDATA sections, once resolved.
    QByteArray m_scratch;
    StringBlocks m_strings;
    // Deques, so that growing them for a deeper level leaves the vectors of
    // the levels above where they are.
    std::deque<std::vector<Dictionary::Entry>> m_entries;
    std::deque<std::vector<Value>> m_items;
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
        if (root.empty || !skipMisc() || atEndTag())
            return root.empty || atEndTag() ? fail("Encountered empty plist tag") : Failed();
        if (!readStartTag(start))
            return {};
        result = readValue(start, 0);
        if (result.isNone() || !skipMisc())
            return {};
        if (!atEndTag())
            return fail("Encountered unexpected element (plist can only include one object)");
        if (!readEndTag(Tag::Plist))
            return {};
    } else {
        result = readValue(root, 0);
    }
    // Whatever follows the root element is ignored, as CoreFoundation does:
    // its reader stops there.
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
        if (m_p < m_end && *m_p == '<' && m_end - m_p > 1 && m_p[1] != '!' && m_p[1] != '/')
            return true;
        return m_p >= m_end ? failUnexpectedEnd() : fail("Expected an element");
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
        if (c == '[')
            return failAt(m_p - 1, QStringLiteral("Encountered a DOCTYPE with an internal subset, which is not read"));
        if (c == '<')
            return failAt(m_p - 1, QStringLiteral("Malformed DOCTYPE"));
        if (c == '"' || c == '\'') {
            const void *quote = std::memchr(m_p, c, size_t(m_end - m_p));
            if (!quote)
                return failUnexpectedEnd();
            m_p = static_cast<const char *>(quote) + 1;
        }
    }
    return failUnexpectedEnd();
}

// White space, comments and processing instructions between elements.
bool XmlParser::skipMisc()
{
    for (;;) {
        while (m_p < m_end && isSpace(*m_p))
            ++m_p;
        if (m_end - m_p < 2 || *m_p != '<' || (m_p[1] != '!' && m_p[1] != '?'))
            return true;
        if (startsWith(m_p, m_end, "<!--")) {
            m_p += 4;
            if (!skipPast("-->"))
                return failAt(m_p - 4, QStringLiteral("Unterminated comment"));
        } else if (startsWith(m_p, m_end, "<?")) {
            m_p += 2;
            if (!skipPast("?>"))
                return failAt(m_p - 2, QStringLiteral("Unterminated processing instruction"));
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
    if (m_p >= m_end)
        return failUnexpectedEnd();
    if (*m_p != '<')
        return fail("Expected an element");
    const char *tag = m_p;
    const char *name = ++m_p;
    while (m_p < m_end && !isSpace(*m_p) && *m_p != '>' && *m_p != '/')
        ++m_p;
    const QByteArrayView nameBytes(name, m_p - name);
    start.tag = tagFromName(nameBytes);
    if (start.tag == Tag::Unknown) {
        return failAt(tag,
            QStringLiteral("Encountered unknown tag %1")
                .arg(QString::fromUtf8(nameBytes.first(std::min<qsizetype>(nameBytes.size(), 40)))));
    }
    while (m_p < m_end) {
        const char c = *m_p++;
        if (c == '>') {
            start.empty = false;
            return true;
        }
        if (c == '/') {
            start.empty = true;
            return (m_p < m_end && *m_p++ == '>') || failAt(tag, QStringLiteral("Malformed tag"));
        }
        if (c == '"' || c == '\'') {
            const void *quote = std::memchr(m_p, c, size_t(m_end - m_p));
            if (!quote)
                return failUnexpectedEnd();
            m_p = static_cast<const char *>(quote) + 1;
        } else if (c == '<') {
            return failAt(tag, QStringLiteral("Malformed tag"));
        }
    }
    return failUnexpectedEnd();
}

bool XmlParser::readEndTag(Tag tag)
{
    const QByteArrayView name = tagName(tag);
    if (!atEndTag() || m_end - m_p < 2 + name.size() || std::memcmp(m_p + 2, name.data(), size_t(name.size())) != 0)
        return failAt(m_p, QStringLiteral("Close tag does not match open tag <%1>").arg(QLatin1StringView(name)));
    const char *closeTag = m_p;
    m_p += 2 + name.size();
    while (m_p < m_end && isSpace(*m_p))
        ++m_p;
    return (m_p < m_end && *m_p++ == '>') || failAt(closeTag, QStringLiteral("Malformed tag"));
}

// The text up to the end tag, with references, CDATA sections and comments
// resolved. The answer points into the input when nothing needed resolving.
bool XmlParser::readCharacterData(Tag tag, QByteArrayView &text)
{
    const char *start = m_p;
    const void *lt = std::memchr(m_p, '<', size_t(m_end - m_p));
    if (!lt)
        return failUnexpectedEnd();
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
            return failUnexpectedEnd();
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
                return failAt(content - 9, QStringLiteral("Unterminated CDATA section"));
            m_scratch.append(content, m_p - 3 - content);
        } else if (startsWith(m_p, m_end, "<!--")) {
            m_p += 4;
            if (!skipPast("-->"))
                return failAt(m_p - 4, QStringLiteral("Unterminated comment"));
        } else {
            return failAt(
                m_p, QStringLiteral("Encountered unexpected element inside <%1>").arg(QLatin1StringView(tagName(tag))));
        }
    }
    return failUnexpectedEnd();
}

// The five predefined entities and character references; no others exist
// here, since entity declarations are refused.
bool XmlParser::appendReference(QByteArray &out)
{
    const char *ampersand = m_p;
    const auto unknown = [&] { return failAt(ampersand, QStringLiteral("Unknown ampersand-escape sequence")); };
    const char *semicolon = m_p + 1;
    while (semicolon < m_end && semicolon - m_p <= 12 && *semicolon != ';')
        ++semicolon;
    if (semicolon >= m_end || *semicolon != ';')
        return unknown();
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
        return unknown();
    const bool hex = name[1] == 'x';
    const QByteArrayView digits = name.sliced(hex ? 2 : 1);
    quint32 code = 0;
    const auto [rest, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (digits.isEmpty() || error != std::errc() || rest != digits.data() + digits.size() || code == 0
        || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return unknown();
    xml::appendUtf8(out, char32_t(code));
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
    out = m_strings.asciiString(text);
    if (out.isNull())
        out = xml::decodeUtf8(text);
    return true;
}

bool XmlParser::readKey(QString &out)
{
    StartTag start;
    const char *tag = m_p;
    if (!readStartTag(start))
        return false;
    if (start.tag != Tag::Key)
        return failAt(tag, QStringLiteral("Found non-key inside <dict>"));
    QByteArrayView text;
    if (!start.empty && !readCharacterData(Tag::Key, text))
        return false;
    out = xml::internedKey(text);
    return true;
}

Value XmlParser::readValue(const StartTag &start, int depth)
{
    if (depth > kMaxDepth)
        return fail("Too deeply nested");
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
        return readScalar(start, xml::integerFromText);
    case Tag::Real:
        return readScalar(start, xml::realFromText);
    case Tag::Date:
        return readScalar(start, xml::dateFromText);
    case Tag::Data:
        return start.empty ? Value::fromData({}) : readScalar(start, xml::dataFromText);
    case Tag::True:
        return readBoolean(start, true);
    case Tag::False:
        return readBoolean(start, false);
    case Tag::Key:
    case Tag::Plist:
    case Tag::Unknown:
        break;
    }
    return fail(start.tag == Tag::Key ? "Found <key> outside a <dict>" : "Encountered unexpected <plist> tag");
}

// Keys nearly always differ, and knowing that lets them go in without a
// lookup each; a repeated key keeps the general rule that the later value
// replaces the earlier one in its place. Interned keys of the same text share
// their characters, so most pairs are told apart by length or by address.
// Large dictionaries are left to the dictionary's own index.
bool haveDistinctKeys(const std::vector<Dictionary::Entry> &entries)
{
    if (entries.size() > size_t(kDistinctKeysCheckLimit))
        return false;
    for (size_t i = 1; i < entries.size(); ++i) {
        const QString &key = entries[i].first;
        for (size_t j = 0; j < i; ++j) {
            const QString &other = entries[j].first;
            if (key.size() == other.size()
                && (key.constData() == other.constData()
                    || std::memcmp(key.constData(), other.constData(), size_t(key.size()) * sizeof(QChar)) == 0))
                return false;
        }
    }
    return true;
}

// Entries are gathered first, so that each container is allocated once at
// its final size; the gathering vectors are kept per depth and reused.
Value XmlParser::readDictionary(const StartTag &start, int depth)
{
    if (start.empty)
        return Dictionary::create();
    std::vector<Dictionary::Entry> &entries = gatheredEntries(depth);
    for (;;) {
        if (!skipMisc())
            return {};
        if (atEndTag())
            break;
        QString key;
        StartTag valueTag;
        if (!readKey(key) || !skipMisc())
            return {};
        if (atEndTag())
            return fail("Value missing for key inside <dict>");
        if (!readStartTag(valueTag))
            return {};
        Value value = readValue(valueTag, depth + 1);
        if (value.isNone())
            return {};
        entries.emplace_back(std::move(key), std::move(value));
    }
    if (!readEndTag(Tag::Dict))
        return {};
    DictionaryPtr dictionary = Dictionary::create();
    dictionary->reserve(qsizetype(entries.size()));
    if (haveDistinctKeys(entries)) {
        for (Dictionary::Entry &e : entries)
            dictionary->appendUnchecked(std::move(e.first), std::move(e.second));
    } else {
        for (Dictionary::Entry &e : entries)
            dictionary->set(e.first, std::move(e.second));
    }
    return dictionary;
}

Value XmlParser::readArray(const StartTag &start, int depth)
{
    if (start.empty)
        return Array::create();
    std::vector<Value> &items = gatheredItems(depth);
    for (;;) {
        if (!skipMisc())
            return {};
        if (atEndTag())
            break;
        StartTag itemTag;
        if (!readStartTag(itemTag))
            return {};
        Value item = readValue(itemTag, depth + 1);
        if (item.isNone())
            return {};
        items.push_back(std::move(item));
    }
    if (!readEndTag(Tag::Array))
        return {};
    return Array::create(
        std::vector<Value>(std::make_move_iterator(items.begin()), std::make_move_iterator(items.end())));
}

std::vector<Dictionary::Entry> &XmlParser::gatheredEntries(int depth)
{
    while (m_entries.size() <= size_t(depth))
        m_entries.emplace_back();
    m_entries[size_t(depth)].clear();
    return m_entries[size_t(depth)];
}

std::vector<Value> &XmlParser::gatheredItems(int depth)
{
    while (m_items.size() <= size_t(depth))
        m_items.emplace_back();
    m_items[size_t(depth)].clear();
    return m_items[size_t(depth)];
}

Value XmlParser::readBoolean(const StartTag &start, bool value)
{
    if (start.empty)
        return value;
    while (m_p < m_end && isSpace(*m_p))
        ++m_p;
    if (!atEndTag())
        return fail(value ? "Encountered non-empty <true> tag" : "Encountered non-empty <false> tag");
    return readEndTag(start.tag) ? Value(value) : Value();
}

Value XmlParser::readScalar(const StartTag &start, Value (*convert)(QByteArrayView))
{
    const char *content = m_p;
    QByteArrayView text;
    if (!start.empty && !readCharacterData(start.tag, text))
        return {};
    Value v = convert(text);
    if (v.isNone())
        return failAt(content, QStringLiteral("Could not interpret <%1>").arg(QLatin1StringView(tagName(start.tag))));
    return v;
}

void XmlParser::reportFailure(ReadError *error) const
{
    const char *at = m_failedAt ? m_failedAt : m_p;
    const QString reason = m_failedAt ? m_failure : QStringLiteral("Malformed property list");
    const QByteArrayView bytes(m_begin, m_end - m_begin);
    detail::setReadError(error, reason, at - m_begin, detail::lineAt(bytes, at - m_begin));
}

} // namespace

Value readXml(QByteArrayView bytes, ReadError *error)
{
    if (!bytes.isValidUtf8()) {
        const qsizetype at = detail::firstInvalidUtf8(bytes);
        detail::setReadError(
            error, QStringLiteral("Encountered an invalid UTF-8 sequence"), at, detail::lineAt(bytes, at));
        return {};
    }
    XmlParser parser(bytes);
    Value v = parser.readDocument();
    if (v.isNone() && error)
        parser.reportFailure(error);
    return v;
}

} // namespace plist
