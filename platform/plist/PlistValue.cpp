#include "PlistValue.h"

#include "KeyHash_p.h"

#include <QTimeZone>

#include <cmath>
#include <limits>

namespace plist {

namespace {

const Value &noneValue()
{
    static const Value none;
    return none;
}

// 2001-01-01T00:00:00Z in milliseconds since the Unix epoch.
constexpr qint64 kReferenceDateMSecs = 978307200000LL;

// Dictionaries up to this size are searched in order; a hash index beyond.
constexpr size_t kIndexThreshold = 16;

size_t hashOf(QStringView key)
{
    return keyHash(key.data(), size_t(key.size()) * sizeof(QChar));
}

} // namespace

// --- Date ---------------------------------------------------------------

QDateTime Date::toDateTime() const
{
    const double msecs = secondsSinceReferenceDate * 1000.0 + double(kReferenceDateMSecs);
    if (!std::isfinite(msecs) || std::fabs(msecs) > 9.0e15)
        return {};
    return QDateTime::fromMSecsSinceEpoch(qint64(std::floor(msecs)), Qt::UTC);
}

Date Date::fromDateTime(const QDateTime &dateTime)
{
    return Date {double(dateTime.toMSecsSinceEpoch() - kReferenceDateMSecs) / 1000.0};
}

Date Date::now()
{
    return fromDateTime(QDateTime::currentDateTimeUtc());
}

// --- Value --------------------------------------------------------------

Value::Value(ArrayPtr a)
    : m_v(std::move(a))
{
    if (!std::get<ArrayPtr>(m_v))
        m_v = std::monostate {};
}

Value::Value(DictionaryPtr d)
    : m_v(std::move(d))
{
    if (!std::get<DictionaryPtr>(m_v))
        m_v = std::monostate {};
}

Value Value::fromUnsigned(quint64 u)
{
    Value v;
    if (u <= quint64(std::numeric_limits<qint64>::max()))
        v.m_v = qint64(u);
    else
        v.m_v = UnsignedInteger {u};
    return v;
}

Value Value::fromData(QByteArray bytes)
{
    Value v;
    v.m_v = DataBytes {std::move(bytes)};
    return v;
}

Value::Type Value::type() const
{
    return std::visit(
        [](const auto &x) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return Type::None;
            else if constexpr (std::is_same_v<T, bool>)
                return Type::Boolean;
            else if constexpr (std::is_same_v<T, qint64> || std::is_same_v<T, UnsignedInteger>)
                return Type::Integer;
            else if constexpr (std::is_same_v<T, double>)
                return Type::Real;
            else if constexpr (std::is_same_v<T, QString>)
                return Type::String;
            else if constexpr (std::is_same_v<T, DataBytes>)
                return Type::Data;
            else if constexpr (std::is_same_v<T, plist::Date>)
                return Type::Date;
            else if constexpr (std::is_same_v<T, ArrayPtr>)
                return Type::Array;
            else
                return Type::Dictionary;
        },
        m_v);
}

bool Value::isInteger() const
{
    return std::holds_alternative<qint64>(m_v) || std::holds_alternative<UnsignedInteger>(m_v);
}

QString Value::toString() const
{
    const QString *s = asString();
    return s ? *s : QString();
}

bool Value::toBoolean() const
{
    const bool *b = std::get_if<bool>(&m_v);
    return b && *b;
}

qint64 Value::toInteger() const
{
    if (const qint64 *i = std::get_if<qint64>(&m_v))
        return *i;
    if (const UnsignedInteger *u = std::get_if<UnsignedInteger>(&m_v))
        return qint64(u->value);
    if (const double *d = std::get_if<double>(&m_v)) {
        if (!std::isfinite(*d) || *d >= 9.2e18 || *d <= -9.2e18)
            return 0;
        return qint64(*d);
    }
    return 0;
}

bool Value::isUnsignedInteger() const
{
    return std::holds_alternative<UnsignedInteger>(m_v);
}

quint64 Value::toUnsigned() const
{
    if (const UnsignedInteger *u = std::get_if<UnsignedInteger>(&m_v))
        return u->value;
    return quint64(toInteger());
}

double Value::toReal() const
{
    if (const double *d = std::get_if<double>(&m_v))
        return *d;
    if (const qint64 *i = std::get_if<qint64>(&m_v))
        return double(*i);
    if (const UnsignedInteger *u = std::get_if<UnsignedInteger>(&m_v))
        return double(u->value);
    return 0;
}

QByteArray Value::toData() const
{
    const DataBytes *d = std::get_if<DataBytes>(&m_v);
    return d ? d->bytes : QByteArray();
}

plist::Date Value::toDate() const
{
    const plist::Date *d = std::get_if<plist::Date>(&m_v);
    return d ? *d : plist::Date {};
}

ArrayPtr Value::toArray() const
{
    const ArrayPtr *a = std::get_if<ArrayPtr>(&m_v);
    return a ? *a : nullptr;
}

DictionaryPtr Value::toDictionary() const
{
    const DictionaryPtr *d = std::get_if<DictionaryPtr>(&m_v);
    return d ? *d : nullptr;
}

bool Value::isSameObject(const Value &other) const
{
    if (isArray() || other.isArray())
        return toArray() == other.toArray();
    if (isDictionary() || other.isDictionary())
        return toDictionary() == other.toDictionary();
    return contentEquals(*this, other);
}

// --- Array --------------------------------------------------------------

ArrayPtr Array::create(std::vector<Value> items)
{
    ArrayPtr a = create();
    a->m_items = std::move(items);
    return a;
}

const Value &Array::at(qsizetype index) const
{
    if (index < 0 || index >= size())
        return noneValue();
    return m_items[size_t(index)];
}

void Array::insert(qsizetype index, Value v)
{
    index = std::clamp<qsizetype>(index, 0, size());
    m_items.insert(m_items.begin() + index, std::move(v));
}

void Array::removeAt(qsizetype index)
{
    if (index >= 0 && index < size())
        m_items.erase(m_items.begin() + index);
}

void Array::replace(qsizetype index, Value v)
{
    if (index >= 0 && index < size())
        m_items[size_t(index)] = std::move(v);
}

qsizetype Array::indexOfObject(const Value &v) const
{
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].isSameObject(v))
            return qsizetype(i);
    }
    return -1;
}

// --- Dictionary ---------------------------------------------------------

qsizetype Dictionary::indexOf(QStringView key) const
{
    if (m_entries.size() <= kIndexThreshold) {
        // Lengths first: most keys differ in length, and comparing them
        // inline saves a call per key.
        for (size_t i = 0; i < m_entries.size(); ++i) {
            const QString &candidate = m_entries[i].first;
            if (candidate.size() == key.size() && QStringView(candidate) == key)
                return qsizetype(i);
        }
        return -1;
    }
    if (m_slots.empty())
        rebuildIndex();
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = hashOf(key) & mask;; slot = (slot + 1) & mask) {
        const quint32 position = m_slots[slot];
        if (position == 0)
            return -1;
        if (m_entries[position - 1].first == key)
            return qsizetype(position - 1);
    }
}

void Dictionary::rebuildIndex() const
{
    size_t capacity = 64;
    while (capacity < 2 * m_entries.size())
        capacity *= 2;
    m_slots.assign(capacity, 0);
    for (size_t i = 0; i < m_entries.size(); ++i)
        addToIndex(i);
}

// A key that occurs twice (which appendUnchecked's callers rule out) keeps
// answering for its first position, as the search in order does.
void Dictionary::addToIndex(size_t position) const
{
    const size_t mask = m_slots.size() - 1;
    size_t slot = hashOf(m_entries[position].first) & mask;
    while (m_slots[slot] != 0)
        slot = (slot + 1) & mask;
    m_slots[slot] = quint32(position + 1);
}

void Dictionary::indexLastEntry()
{
    if (2 * m_entries.size() > m_slots.size())
        rebuildIndex();
    else
        addToIndex(m_entries.size() - 1);
}

const Value &Dictionary::value(QStringView key) const
{
    const qsizetype i = indexOf(key);
    return i < 0 ? noneValue() : m_entries[size_t(i)].second;
}

void Dictionary::set(const QString &key, Value v)
{
    const qsizetype i = indexOf(key);
    if (i >= 0) {
        m_entries[size_t(i)].second = std::move(v);
        return;
    }
    m_entries.emplace_back(key, std::move(v));
    if (!m_slots.empty())
        indexLastEntry();
}

bool Dictionary::remove(QStringView key)
{
    const qsizetype i = indexOf(key);
    if (i < 0)
        return false;
    m_entries.erase(m_entries.begin() + i);
    m_slots.clear(); // positions moved; rebuilt on the next large lookup
    return true;
}

void Dictionary::clear()
{
    m_entries.clear();
    m_slots.clear();
}

QStringList Dictionary::keys() const
{
    QStringList keys;
    keys.reserve(qsizetype(m_entries.size()));
    for (const Entry &e : m_entries)
        keys.append(e.first);
    return keys;
}

// --- Deep operations ----------------------------------------------------

namespace {

bool equalsAtDepth(const Value &a, const Value &b, int depth)
{
    if (depth > kMaxDepth || a.type() != b.type())
        return false;
    switch (a.type()) {
    case Value::Type::None:
        return true;
    case Value::Type::Boolean:
        return a.toBoolean() == b.toBoolean();
    case Value::Type::Integer:
        return a.toUnsigned() == b.toUnsigned() && a.isUnsignedInteger() == b.isUnsignedInteger();
    case Value::Type::Real: {
        const double x = a.toReal(), y = b.toReal();
        return x == y || (std::isnan(x) && std::isnan(y));
    }
    case Value::Type::String:
        return *a.asString() == *b.asString();
    case Value::Type::Data:
        return a.toData() == b.toData();
    case Value::Type::Date:
        return a.toDate() == b.toDate();
    case Value::Type::Array: {
        const ArrayPtr x = a.toArray(), y = b.toArray();
        if (x == y)
            return true;
        if (x->size() != y->size())
            return false;
        for (qsizetype i = 0; i < x->size(); ++i) {
            if (!equalsAtDepth(x->at(i), y->at(i), depth + 1))
                return false;
        }
        return true;
    }
    case Value::Type::Dictionary: {
        const DictionaryPtr x = a.toDictionary(), y = b.toDictionary();
        if (x == y)
            return true;
        if (x->size() != y->size())
            return false;
        for (const Dictionary::Entry &e : x->entries()) {
            const Value &other = y->value(e.first);
            if (other.isNone() || !equalsAtDepth(e.second, other, depth + 1))
                return false;
        }
        return true;
    }
    }
    return false;
}

Value copyAtDepth(const Value &v, int depth)
{
    if (depth > kMaxDepth)
        return {};
    if (const ArrayPtr a = v.toArray()) {
        ArrayPtr copy = Array::create();
        copy->reserve(a->size());
        for (const Value &item : *a) {
            Value c = copyAtDepth(item, depth + 1);
            if (c.isNone())
                return {};
            copy->append(std::move(c));
        }
        return copy;
    }
    if (const DictionaryPtr d = v.toDictionary()) {
        DictionaryPtr copy = Dictionary::create();
        copy->reserve(d->size());
        for (const Dictionary::Entry &e : d->entries()) {
            Value c = copyAtDepth(e.second, depth + 1);
            if (c.isNone())
                return {};
            copy->appendUnchecked(QString(e.first), std::move(c)); // the keys differ already
        }
        return copy;
    }
    return v;
}

} // namespace

bool contentEquals(const Value &a, const Value &b)
{
    return equalsAtDepth(a, b, 0);
}

Value deepCopy(const Value &v)
{
    return copyAtDepth(v, 0);
}

} // namespace plist
