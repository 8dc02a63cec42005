// The text form in which the Mac prints a property list in a log message:
//
//     {
//         NSMenuItem =     {
//             default = Foo;
//         };
//         NSPortName = "Bar Baz";
//     }
//
// A container nested at level n opens after n * 4 spaces (hence the wide gap
// after "="), its entries sit one level deeper, dictionary keys are sorted.
// Inside containers a string (or date) is quoted when it is empty or holds
// anything but ASCII letters, digits, _ and $ ("com.apple.Safari" and "1.0"
// are quoted, as on the Mac, and a leading // can never pass for a comment),
// and then non-ASCII characters are written as \Uxxxx. Booleans print as 1
// and 0, data as hex in groups of four bytes, dates as
// "yyyy-MM-dd HH:mm:ss +0000". A value on its own prints bare.

#include "PropertyList.h"

#include <algorithm>
#include <cmath>

namespace plist {

namespace {

constexpr int kIndentWidth = 4;

bool needsQuotes(const QString &s)
{
    if (s.isEmpty())
        return true;
    for (const QChar qc : s) {
        const char16_t c = qc.unicode();
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_'
            || c == u'$';
        if (!plain)
            return true;
    }
    return false;
}

QString quotedIfNeeded(const QString &s)
{
    if (!needsQuotes(s))
        return s;
    QString out;
    out.reserve(s.size() + 2);
    out += u'"';
    for (const QChar qc : s) {
        const char16_t c = qc.unicode();
        switch (c) {
        case u'"':
            out += u"\\\"";
            break;
        case u'\\':
            out += u"\\\\";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\t':
            out += u"\\t";
            break;
        case u'\r':
            out += u"\\r";
            break;
        default:
            if (c < 0x20 || c >= 0x7F)
                out += QStringLiteral("\\U%1").arg(uint(c), 4, 16, QLatin1Char('0'));
            else
                out += qc;
        }
    }
    out += u'"';
    return out;
}

QString dataDescription(const QByteArray &bytes)
{
    QString out = QStringLiteral("<");
    const QByteArray hex = bytes.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 8) {
        if (i > 0)
            out += u' ';
        out += QLatin1StringView(hex.mid(i, 8));
    }
    out += u'>';
    return out;
}

QString scalarDescription(const Value &v)
{
    switch (v.type()) {
    case Value::Type::Boolean:
        return v.toBoolean() ? QStringLiteral("1") : QStringLiteral("0");
    case Value::Type::Integer:
        return v.isUnsignedInteger() ? QString::number(v.toUnsigned()) : QString::number(v.toInteger());
    case Value::Type::Real: {
        const double d = v.toReal();
        if (d == 0 && std::signbit(d))
            return QStringLiteral("-0"); // QString::number drops the sign of zero
        return QString::number(d, 'g', QLocale::FloatingPointShortest);
    }
    case Value::Type::String:
        return *v.asString();
    case Value::Type::Data:
        return dataDescription(v.toData());
    case Value::Type::Date: {
        const QDateTime t = v.toDate().toDateTime();
        return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss '+0000'")) : QString();
    }
    default:
        return {};
    }
}

class Describer {
public:
    void describe(const Value &v, int level);
    QString m_out;

private:
    void describeArray(const Array &a, int level);
    void describeDictionary(const Dictionary &d, int level);
    void describeNested(const Value &v, int level);
    void indent(int level) { m_out += QString(level * kIndentWidth, u' '); }

    std::vector<const Value *> m_path;
};

void Describer::describe(const Value &v, int level)
{
    if (v.isString() || v.isDate()) {
        m_out += quotedIfNeeded(scalarDescription(v));
        return;
    }
    if (!v.isArray() && !v.isDictionary()) {
        m_out += scalarDescription(v);
        return;
    }
    // A container inside itself is printed once, then elided.
    const bool open = std::any_of(m_path.begin(), m_path.end(), [&](const Value *p) { return p->isSameObject(v); });
    if (level > kMaxDepth || open) {
        m_out += QStringLiteral("...");
        return;
    }
    m_path.push_back(&v);
    if (const ArrayPtr a = v.toArray())
        describeArray(*a, level);
    else
        describeDictionary(*v.toDictionary(), level);
    m_path.pop_back();
}

void Describer::describeNested(const Value &v, int level)
{
    if (v.isArray() || v.isDictionary())
        indent(level);
    describe(v, level);
}

void Describer::describeArray(const Array &a, int level)
{
    m_out += QStringLiteral("(\n");
    for (qsizetype i = 0; i < a.size(); ++i) {
        indent(level + 1);
        describeNested(a.at(i), level + 1);
        m_out += i + 1 < a.size() ? QStringLiteral(",\n") : QStringLiteral("\n");
    }
    indent(level);
    m_out += u')';
}

void Describer::describeDictionary(const Dictionary &d, int level)
{
    std::vector<const Dictionary::Entry *> entries;
    entries.reserve(d.entries().size());
    for (const Dictionary::Entry &e : d.entries())
        entries.push_back(&e);
    std::sort(entries.begin(), entries.end(), [](const auto *a, const auto *b) { return a->first < b->first; });

    m_out += QStringLiteral("{\n");
    for (const Dictionary::Entry *e : entries) {
        indent(level + 1);
        m_out += quotedIfNeeded(e->first);
        m_out += QStringLiteral(" = ");
        describeNested(e->second, level + 1);
        m_out += QStringLiteral(";\n");
    }
    indent(level);
    m_out += u'}';
}

} // namespace

QString describe(const Value &v)
{
    if (!v.isArray() && !v.isDictionary())
        return scalarDescription(v);
    Describer describer;
    describer.describe(v, 0);
    return describer.m_out;
}

} // namespace plist
