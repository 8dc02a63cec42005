// Writer for binary property lists ("bplist00"), laid out as CoreFoundation
// lays them out: equal strings and integers are written once and shared,
// integers take the fewest bytes that hold them (values above INT64_MAX take
// 16 bytes), references and offsets take the fewest bytes that address every
// object.

#include "PropertyList.h"

#include <QHash>

#include <cstring>
#include <vector>

namespace plist {

namespace {

class BinaryWriter {
public:
    [[nodiscard]] QByteArray write(const Value &top);

private:
    struct Object {
        const Value *value;
        size_t firstRef; // into m_refs: an array's items, or a dictionary's keys then values
    };

    [[nodiscard]] bool flatten(const Value &v, int depth, quint64 *ref);
    [[nodiscard]] bool flattenContainer(const Value &v, int depth, quint64 ref);
    [[nodiscard]] bool flattenKey(const QString &key, quint64 *ref);

    void writeObject(const Object &object);
    void writeMarker(uchar kind, quint64 count);
    void writeInteger(const Value &v);
    void writeString(const QString &s);
    void writeRefs(size_t first, size_t count);
    void writeSized(quint64 v, int size);

    std::vector<Object> m_objects;
    std::vector<quint64> m_refs;
    std::vector<QString> m_keys; // keys are not Values; they live here
    QHash<QString, quint64> m_stringRefs;
    QHash<quint64, quint64> m_integerRefs; // signed values as their bits
    QHash<quint64, quint64> m_unsignedRefs;
    std::vector<const Value *> m_path; // containers being flattened
    int m_refSize = 1;
    QByteArray m_out;
};

int bytesNeeded(quint64 v)
{
    if (v <= 0xFF)
        return 1;
    if (v <= 0xFFFF)
        return 2;
    if (v <= 0xFFFFFFFFu)
        return 4;
    return 8;
}

bool BinaryWriter::flatten(const Value &v, int depth, quint64 *ref)
{
    if (depth > kMaxDepth || v.isNone())
        return false;
    if (const QString *s = v.asString())
        return flattenKey(*s, ref);
    if (v.isInteger()) {
        QHash<quint64, quint64> &seen = v.isUnsignedInteger() ? m_unsignedRefs : m_integerRefs;
        const auto it = seen.constFind(v.toUnsigned());
        if (it != seen.constEnd()) {
            *ref = it.value();
            return true;
        }
        seen.insert(v.toUnsigned(), m_objects.size());
    }
    *ref = m_objects.size();
    m_objects.push_back({&v, 0});
    if (v.isArray() || v.isDictionary())
        return flattenContainer(v, depth, *ref);
    return true;
}

bool BinaryWriter::flattenKey(const QString &key, quint64 *ref)
{
    const auto it = m_stringRefs.constFind(key);
    if (it != m_stringRefs.constEnd()) {
        *ref = it.value();
        return true;
    }
    *ref = m_objects.size();
    m_stringRefs.insert(key, *ref);
    m_objects.push_back({nullptr, m_keys.size()});
    m_keys.push_back(key);
    return true;
}

bool BinaryWriter::flattenContainer(const Value &v, int depth, quint64 ref)
{
    for (const Value *open : m_path) {
        if (open->isSameObject(v))
            return false; // a container inside itself has no property-list form
    }
    m_path.push_back(&v);
    std::vector<quint64> refs;
    if (const ArrayPtr a = v.toArray()) {
        refs.resize(size_t(a->size()));
        for (size_t i = 0; i < refs.size(); ++i) {
            if (!flatten(a->items()[i], depth + 1, &refs[i]))
                return false;
        }
    } else {
        const auto &entries = v.toDictionary()->entries();
        refs.resize(2 * entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            if (!flattenKey(entries[i].first, &refs[i])
                || !flatten(entries[i].second, depth + 1, &refs[entries.size() + i]))
                return false;
        }
    }
    m_path.pop_back();
    m_objects[ref].firstRef = m_refs.size();
    m_refs.insert(m_refs.end(), refs.begin(), refs.end());
    return true;
}

void BinaryWriter::writeSized(quint64 v, int size)
{
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
        m_out.append(char(uchar(v >> shift)));
}

void BinaryWriter::writeMarker(uchar kind, quint64 count)
{
    if (count < 15) {
        m_out.append(char((kind << 4) | count));
        return;
    }
    m_out.append(char((kind << 4) | 0xF));
    const int size = bytesNeeded(count);
    m_out.append(char(0x10 | (size == 1 ? 0 : size == 2 ? 1 : size == 4 ? 2 : 3)));
    writeSized(count, size);
}

void BinaryWriter::writeInteger(const Value &v)
{
    if (v.isUnsignedInteger()) {
        m_out.append(char(0x14));
        writeSized(0, 8);
        writeSized(v.toUnsigned(), 8);
        return;
    }
    const qint64 i = v.toInteger();
    const int size = i < 0 ? 8 : bytesNeeded(quint64(i));
    m_out.append(char(0x10 | (size == 1 ? 0 : size == 2 ? 1 : size == 4 ? 2 : 3)));
    writeSized(quint64(i), size);
}

void BinaryWriter::writeString(const QString &s)
{
    bool ascii = true;
    for (const QChar c : s) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        writeMarker(0x5, quint64(s.size()));
        m_out.append(s.toLatin1());
        return;
    }
    writeMarker(0x6, quint64(s.size()));
    for (const QChar c : s)
        writeSized(c.unicode(), 2);
}

void BinaryWriter::writeRefs(size_t first, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        writeSized(m_refs[first + i], m_refSize);
}

void BinaryWriter::writeObject(const Object &object)
{
    if (!object.value) {
        writeString(m_keys[object.firstRef]);
        return;
    }
    const Value &v = *object.value;
    switch (v.type()) {
    case Value::Type::Boolean:
        m_out.append(char(v.toBoolean() ? 0x09 : 0x08));
        break;
    case Value::Type::Integer:
        writeInteger(v);
        break;
    case Value::Type::Real:
    case Value::Type::Date: {
        const double d = v.isReal() ? v.toReal() : v.toDate().secondsSinceReferenceDate;
        quint64 bits;
        std::memcpy(&bits, &d, 8);
        m_out.append(char(v.isReal() ? 0x23 : 0x33));
        writeSized(bits, 8);
        break;
    }
    case Value::Type::Data: {
        const QByteArray data = v.toData();
        writeMarker(0x4, quint64(data.size()));
        m_out.append(data);
        break;
    }
    case Value::Type::String:
        writeString(*v.asString());
        break;
    case Value::Type::Array:
        writeMarker(0xA, quint64(v.toArray()->size()));
        writeRefs(object.firstRef, size_t(v.toArray()->size()));
        break;
    case Value::Type::Dictionary:
        writeMarker(0xD, quint64(v.toDictionary()->size()));
        writeRefs(object.firstRef, 2 * size_t(v.toDictionary()->size()));
        break;
    case Value::Type::None:
        break;
    }
}

QByteArray BinaryWriter::write(const Value &top)
{
    quint64 topRef = 0;
    if (!flatten(top, 0, &topRef))
        return {};
    m_refSize = bytesNeeded(m_objects.size());
    m_out = QByteArrayLiteral("bplist00");
    std::vector<quint64> offsets;
    offsets.reserve(m_objects.size());
    for (const Object &object : m_objects) {
        offsets.push_back(quint64(m_out.size()));
        writeObject(object);
    }
    const quint64 tableOffset = quint64(m_out.size());
    const int offsetSize = bytesNeeded(tableOffset);
    for (const quint64 offset : offsets)
        writeSized(offset, offsetSize);
    m_out.append(6, '\0');
    m_out.append(char(offsetSize));
    m_out.append(char(m_refSize));
    writeSized(m_objects.size(), 8);
    writeSized(topRef, 8);
    writeSized(tableOffset, 8);
    return m_out;
}

} // namespace

QByteArray writeBinary(const Value &v)
{
    return BinaryWriter().write(v);
}

} // namespace plist
