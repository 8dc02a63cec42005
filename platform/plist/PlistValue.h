#pragma once

// The property-list value model: dictionaries (string keys, key order kept as
// read), arrays, strings, integers (every signed and unsigned 64-bit value),
// reals, booleans, data and dates.
//
// Scalars are held by value. Dictionaries and arrays are mutable objects held
// through shared handles, so one entry can live in a provider's array and in
// the services menu tree at once: identity is a pointer comparison
// (Value::isSameObject), content comparison has its own name (contentEquals)
// so that nobody compares contents by accident.

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

namespace plist {

class Array;
class Dictionary;
using ArrayPtr = std::shared_ptr<Array>;
using DictionaryPtr = std::shared_ptr<Dictionary>;

// Containers nested deeper than this are refused by every reader and by the
// recursive operations below, so hostile input cannot exhaust the stack.
inline constexpr int kMaxDepth = 512;

// Readers compare the keys of a dictionary of up to this many entries pair by
// pair and, when all differ (nearly always), add them with appendUnchecked,
// without a lookup each; larger ones, or any with a repeated key, go through
// set(), where a later value replaces an earlier one in its place.
inline constexpr qsizetype kDistinctKeysCheckLimit = 64;

// An absolute time, as seconds since 2001-01-01 00:00:00 UTC (the Mac's
// reference date), which is what binary property lists store.
struct Date {
    double secondsSinceReferenceDate = 0;

    [[nodiscard]] QDateTime toDateTime() const;
    [[nodiscard]] static Date fromDateTime(const QDateTime &dateTime);
    [[nodiscard]] static Date now();
    friend bool operator==(const Date &, const Date &) = default;
};

class Value {
public:
    enum class Type { None, Boolean, Integer, Real, String, Data, Date, Array, Dictionary };

    Value() = default; // none
    Value(bool b)
        : m_v(b)
    {
    }
    Value(int i)
        : m_v(qint64(i))
    {
    }
    Value(qint64 i)
        : m_v(i)
    {
    }
    Value(double d)
        : m_v(d)
    {
    }
    Value(const QString &s)
        : m_v(s)
    {
    }
    Value(QString &&s)
        : m_v(std::move(s))
    {
    }
    Value(const char16_t *s)
        : m_v(QString::fromUtf16(s))
    {
    }
    Value(const plist::Date &d)
        : m_v(d)
    {
    }
    Value(ArrayPtr a);
    Value(DictionaryPtr d);
    Value(const char *) = delete; // say whether it is text or data:
    Value(const QByteArray &) = delete; // QString for text, fromData for bytes

    // Integers above INT64_MAX keep their unsigned value.
    [[nodiscard]] static Value fromUnsigned(quint64 u);
    [[nodiscard]] static Value fromData(QByteArray bytes);

    [[nodiscard]] Type type() const;
    [[nodiscard]] bool isNone() const { return std::holds_alternative<std::monostate>(m_v); }
    [[nodiscard]] bool isBoolean() const { return std::holds_alternative<bool>(m_v); }
    [[nodiscard]] bool isInteger() const;
    [[nodiscard]] bool isReal() const { return std::holds_alternative<double>(m_v); }
    [[nodiscard]] bool isNumber() const { return isInteger() || isReal(); }
    [[nodiscard]] bool isString() const { return std::holds_alternative<QString>(m_v); }
    [[nodiscard]] bool isData() const { return std::holds_alternative<DataBytes>(m_v); }
    [[nodiscard]] bool isDate() const { return std::holds_alternative<plist::Date>(m_v); }
    [[nodiscard]] bool isArray() const { return std::holds_alternative<ArrayPtr>(m_v); }
    [[nodiscard]] bool isDictionary() const { return std::holds_alternative<DictionaryPtr>(m_v); }

    // Typed access. The pointer forms answer nullptr for another type and
    // copy nothing; the to… forms answer an empty or zero value instead.
    [[nodiscard]] const QString *asString() const { return std::get_if<QString>(&m_v); }
    [[nodiscard]] QString toString() const;
    [[nodiscard]] bool toBoolean() const; // false unless a boolean true
    [[nodiscard]] qint64 toInteger() const; // integers (unsigned ones wrap), reals truncated
    [[nodiscard]] bool isUnsignedInteger() const; // an integer above INT64_MAX
    [[nodiscard]] quint64 toUnsigned() const; // the bits of an integer as unsigned
    [[nodiscard]] double toReal() const; // integers converted, reals as they are
    [[nodiscard]] QByteArray toData() const;
    [[nodiscard]] plist::Date toDate() const;
    [[nodiscard]] ArrayPtr toArray() const; // nullptr unless an array
    [[nodiscard]] DictionaryPtr toDictionary() const; // nullptr unless a dictionary
    // The dictionary itself without taking a share in it, for a look inside
    // while this value holds it; nullptr unless a dictionary.
    [[nodiscard]] const Dictionary *asDictionary() const
    {
        const DictionaryPtr *d = std::get_if<DictionaryPtr>(&m_v);
        return d ? d->get() : nullptr;
    }

    // Containers: the same object. Scalars: equal content.
    [[nodiscard]] bool isSameObject(const Value &other) const;

    // Deliberately no operator==: use contentEquals or isSameObject.
    bool operator==(const Value &) const = delete;

private:
    struct DataBytes {
        QByteArray bytes;
    };
    struct UnsignedInteger {
        quint64 value;
    };
    std::variant<std::monostate, bool, qint64, UnsignedInteger, double, QString, DataBytes, plist::Date, ArrayPtr,
        DictionaryPtr>
        m_v;
};

class Array {
public:
    [[nodiscard]] static ArrayPtr create() { return std::make_shared<Array>(); }
    [[nodiscard]] static ArrayPtr create(std::vector<Value> items);

    [[nodiscard]] qsizetype size() const { return qsizetype(m_items.size()); }
    [[nodiscard]] bool isEmpty() const { return m_items.empty(); }
    // Out of range answers a none value.
    [[nodiscard]] const Value &at(qsizetype index) const;
    void append(Value v) { m_items.push_back(std::move(v)); }
    void insert(qsizetype index, Value v);
    void removeAt(qsizetype index);
    void replace(qsizetype index, Value v);
    void clear() { m_items.clear(); }
    void reserve(qsizetype n) { m_items.reserve(size_t(n)); }

    // Index of the element that is this very object (containers) or equal
    // scalar, or -1.
    [[nodiscard]] qsizetype indexOfObject(const Value &v) const;

    [[nodiscard]] std::vector<Value> &items() { return m_items; }
    [[nodiscard]] const std::vector<Value> &items() const { return m_items; }
    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<Value> m_items;
};

class Dictionary {
public:
    using Entry = std::pair<QString, Value>;

    [[nodiscard]] static DictionaryPtr create() { return std::make_shared<Dictionary>(); }

    [[nodiscard]] qsizetype size() const { return qsizetype(m_entries.size()); }
    [[nodiscard]] bool isEmpty() const { return m_entries.empty(); }
    [[nodiscard]] bool contains(QStringView key) const { return indexOf(key) >= 0; }
    // Absent keys answer a none value.
    [[nodiscard]] const Value &value(QStringView key) const;
    // A replaced key keeps its place; a new key goes last.
    void set(const QString &key, Value v);
    // Adds a key that is known not to be present, without looking it up: for
    // readers that have checked their keys are distinct. A duplicate key
    // here would leave the dictionary answering for only one of the two.
    // Checked builds (debug, sanitizers) stop at such a misuse.
    void appendUnchecked(QString &&key, Value &&v)
    {
#ifdef VELMORA_CHECKED
        if (contains(key))
            qFatal("plist::Dictionary::appendUnchecked: the key \"%s\" is already present", qPrintable(key));
#endif
        m_entries.emplace_back(std::move(key), std::move(v));
        if (!m_slots.empty()) [[unlikely]]
            indexLastEntry();
    }
    // Answers whether the key was there.
    bool remove(QStringView key);
    void clear();
    void reserve(qsizetype n)
    {
        m_entries.reserve(size_t(n));
    }

    [[nodiscard]] QStringList keys() const;
    [[nodiscard]] const std::vector<Entry> &entries() const
    {
        return m_entries;
    }

private:
    [[nodiscard]] qsizetype indexOf(QStringView key) const;
    void rebuildIndex() const;
    void addToIndex(size_t position) const;
    void indexLastEntry();

    std::vector<Entry> m_entries;
    // Large dictionaries are searched through a hash table of positions + 1
    // (0 marks a free slot; linear probing, at most half full), built on the
    // first lookup, kept up to date by appends and dropped by removals;
    // small ones are searched in order. Lookups allocate nothing.
    mutable std::vector<quint32> m_slots;
};

// Deep content comparison. Reals compare by value with NaN equal to NaN;
// an integer never equals a real; dictionaries compare regardless of key
// order. Structures deeper than kMaxDepth compare unequal.
[[nodiscard]] bool contentEquals(const Value &a, const Value &b);

// A complete copy in which every container is new. None when the value is
// none, holds a none, or nests deeper than kMaxDepth (which includes cycles).
[[nodiscard]] Value deepCopy(const Value &v);

} // namespace plist
