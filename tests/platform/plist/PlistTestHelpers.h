#pragma once

// Small builders and a printer for property-list values in tests.

#include "plist/PlistValue.h"

#include <QMetaType>
#include <QString>

#include <initializer_list>
#include <utility>

Q_DECLARE_METATYPE(plist::Value)

namespace plisttest {

inline plist::Value dict(std::initializer_list<std::pair<const char *, plist::Value>> entries)
{
    plist::DictionaryPtr d = plist::Dictionary::create();
    for (const auto &[key, value] : entries)
        d->set(QString::fromUtf8(key), value);
    return d;
}

inline plist::Value array(std::initializer_list<plist::Value> items)
{
    return plist::Array::create(std::vector<plist::Value>(items));
}

inline plist::Value str(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

inline plist::Value data(const char *bytes)
{
    return plist::Value::fromData(QByteArray(bytes));
}

// The real-world property lists kept beside the source tree; VELMORA_SHARED_DIR
// names another place for them.
inline QString corpusFolder()
{
    const QString shared = qEnvironmentVariable("VELMORA_SHARED_DIR", QStringLiteral(VELMORA_SOURCE_DIR "/../shared"));
    return shared + QStringLiteral("/corpus/real");
}

// The value in an XML-like shorthand, so that a failed comparison reads well.
inline QString dump(const plist::Value &v)
{
    using plist::Value;
    switch (v.type()) {
    case Value::Type::None:
        return QStringLiteral("none");
    case Value::Type::Boolean:
        return v.toBoolean() ? QStringLiteral("true") : QStringLiteral("false");
    case Value::Type::Integer:
        return v.isUnsignedInteger() ? QString::number(v.toUnsigned()) : QString::number(v.toInteger());
    case Value::Type::Real:
        return QStringLiteral("real(%1)").arg(v.toReal(), 0, 'g', 17);
    case Value::Type::String:
        return u'"' + v.toString() + u'"';
    case Value::Type::Data:
        return QStringLiteral("data(%1)").arg(QString::fromLatin1(v.toData().toHex()));
    case Value::Type::Date:
        return QStringLiteral("date(%1)").arg(v.toDate().secondsSinceReferenceDate, 0, 'f', 3);
    case Value::Type::Array: {
        QStringList items;
        for (const Value &item : *v.toArray())
            items << dump(item);
        return u'(' + items.join(u", ") + u')';
    }
    case Value::Type::Dictionary: {
        QStringList items;
        for (const auto &[key, value] : v.toDictionary()->entries())
            items << key + QStringLiteral(" = ") + dump(value);
        return u'{' + items.join(u"; ") + u'}';
    }
    }
    return {};
}

} // namespace plisttest

#define PLIST_COMPARE(actual, expected)                                                                                \
    do {                                                                                                               \
        const plist::Value a_ = (actual), e_ = (expected);                                                             \
        if (!plist::contentEquals(a_, e_))                                                                             \
            QFAIL(qPrintable(                                                                                          \
                QStringLiteral("got ") + plisttest::dump(a_) + QStringLiteral("\nexpected ") + plisttest::dump(e_)));  \
    } while (false)
