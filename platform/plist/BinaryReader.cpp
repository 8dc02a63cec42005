// Reader for binary property lists ("bplist00").
//
// Nothing in the file is trusted: the trailer is checked before anything else,
// every offset and count is checked against the bytes that hold objects (the
// region between the header and the offset table) before it is used, and
// nothing is allocated from a count that could not fit in those bytes.
//
// Choices where the format leaves room:
// - 1, 2 and 4-byte integers are unsigned and 8-byte ones signed, as
//   CoreFoundation writes and reads them; a 16-byte integer is accepted when
//   its value fits 64 bits (CoreFoundation writes unsigned values above
//   INT64_MAX that way).
// - A UID (keyed-archiver reference) reads as the dictionary {"CF$UID" = n},
//   which is how CoreFoundation converts it to XML.
// - Null and fill objects have no property-list value, nor has a date that
//   is not a finite number: the read fails.
// - UTF-16 strings are kept unit by unit, lone surrogates included, as
//   CoreFoundation keeps them.
// - A container referenced twice (not a cycle) is decoded each time, so every
//   container in the result is a distinct object: containers are mutable and
//   must not alias. Strings and data are decoded once and shared, which is
//   safe because they copy on write; CoreFoundation and Python write each
//   distinct string, number, date and data once and reference it from every
//   place that holds it.
//
// Memory is bounded by the input. Every allocation the result holds is
// charged as it is made (a container with its slots, a string or data the
// first time it is decoded, the dictionary of a UID), and a read whose
// charges would pass kBytesPerInputByte per input byte plus kFixedAllowance
// fails. So reading N bytes never holds more than 40 * N + 64 KiB for its
// values, plus 4 bytes per object of the offset table for the reader's own
// bookkeeping. A file in which no container is referenced twice always fits:
// its costliest parts, an array slot or a dictionary entry of one-byte
// references, take 32 and 36 bytes per input byte. A small container
// referenced from many places, which would expand far beyond that, is refused
// when the budget runs out, as is a UID referenced from many places (each
// reference becomes a dictionary of its own).

#include "PropertyList.h"
#include "ReadError_p.h"
#include "StringBlocks.h"

#include <QVarLengthArray>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace plist {

namespace {

constexpr qsizetype kHeaderSize = 8;
constexpr qsizetype kTrailerSize = 32;
// Dictionaries up to this size have their keys checked pairwise; larger ones
// rely on the dictionary's own lookup (which indexes them) for each key.
constexpr quint64 kSmallDictionary = quint64(kDistinctKeysCheckLimit);

// The memory budget, and what is charged against it: sizes as the allocator
// hands them out, with 16 bytes of its own per block.
constexpr quint64 kBytesPerInputByte = 40;
constexpr quint64 kFixedAllowance = 64 * 1024;
constexpr quint64 kBlockOverhead = 16;
// A shared container: the object, its reference counts and the block.
constexpr quint64 kArrayCost = sizeof(Array) + 16 + kBlockOverhead;
constexpr quint64 kDictionaryCost = sizeof(Dictionary) + 16 + kBlockOverhead;
constexpr quint64 kArraySlotCost = sizeof(Value);
// An entry and its share of the lookup index of a large dictionary (at most
// four slots of four bytes each).
constexpr quint64 kDictionarySlotCost = sizeof(Dictionary::Entry) + 16;
// A string's record in the string store, and a data's shared header.
constexpr quint64 kStringCost = 16 + 2 * sizeof(char16_t);
constexpr quint64 kDataCost = 32;

struct Trailer {
    int offsetIntSize = 0;
    int objectRefSize = 0;
    quint64 objectCount = 0;
    quint64 topObject = 0;
    quint64 offsetTableOffset = 0;
};

Q_ALWAYS_INLINE quint64 readBigEndian(const uchar *p, int size)
{
    switch (size) {
    case 1:
        return p[0];
    case 2:
        return qFromBigEndian<quint16>(p);
    case 4:
        return qFromBigEndian<quint32>(p);
    case 8:
        return qFromBigEndian<quint64>(p);
    default:
        break;
    }
    quint64 v = 0;
    for (int i = 0; i < size; ++i)
        v = (v << 8) | p[i];
    return v;
}

class BinaryReader {
public:
    explicit BinaryReader(QByteArrayView bytes)
        : m_data(reinterpret_cast<const uchar *>(bytes.data()))
        , m_size(quint64(bytes.size()))
    {
    }
    BinaryReader(const BinaryReader &) = delete;
    BinaryReader &operator=(const BinaryReader &) = delete;

    [[nodiscard]] Value read();
    void reportFailure(ReadError *error) const;

private:
    enum Marker : uchar {
        kSimple = 0x0,
        kInteger = 0x1,
        kReal = 0x2,
        kDate = 0x3,
        kData = 0x4,
        kAsciiString = 0x5,
        kUtf16String = 0x6,
        kUid = 0x8,
        kArray = 0xA,
        kSet = 0xC,
        kDictionary = 0xD,
    };

    using Failed = detail::Failed;
    // The first fault recorded is the innermost, the most precise; the
    // steps that called the failing one only pass the failure on. Only
    // failing paths record, so reading a sound file costs nothing more.
    Q_DECL_COLD_FUNCTION Failed fail(const QString &reason, quint64 at) const;
    Q_DECL_COLD_FUNCTION Failed failTrailer(const char *what) const;
    Q_DECL_COLD_FUNCTION Failed failObject(quint64 pos) const;
    // A reference out of range is found by the object read, but its place
    // is known to the container that holds it.
    Q_DECL_COLD_FUNCTION Failed failReference() const;
    Q_DECL_COLD_FUNCTION Failed placeReference(quint64 at) const;

    [[nodiscard]] bool readTrailer();
    [[nodiscard]] bool charge(quint64 bytes, quint64 pos)
    {
        if (bytes > m_budget)
            return fail(QStringLiteral("Object would take more memory than a file of this size may"), pos);
        m_budget -= bytes;
        return true;
    }
    [[nodiscard]] bool objectOffset(quint64 ref, quint64 *offset) const;
    [[nodiscard]] bool readCount(quint64 *pos, uchar info, quint64 *count) const;
    [[nodiscard]] quint64 bytesLeft(quint64 pos) const { return m_t.offsetTableOffset - pos; }
    [[nodiscard]] quint64 refAt(quint64 pos, quint64 index) const;

    [[nodiscard]] Value readObject(quint64 ref, int depth);
    [[nodiscard]] Value readScalar(quint64 pos, uchar marker);
    [[nodiscard]] Value readInteger(quint64 pos, uchar info) const;
    [[nodiscard]] Value readReal(quint64 pos, uchar info) const;
    [[nodiscard]] Value readDate(quint64 pos, uchar info) const;
    [[nodiscard]] Value readData(quint64 ref, quint64 pos, uchar info);
    [[nodiscard]] bool stringIndex(quint64 ref, quint32 *index);
    [[nodiscard]] bool decodeString(quint64 pos);
    [[nodiscard]] Value readUid(quint64 pos, uchar info);
    [[nodiscard]] Value readArray(quint64 pos, uchar info, int depth);
    [[nodiscard]] Value readDictionary(quint64 pos, uchar info, int depth);
    [[nodiscard]] bool readSmallDictionary(quint64 pos, quint64 count, int depth, Dictionary *dict);

    const uchar *m_data;
    quint64 m_size;
    Trailer m_t;
    // Per object: kOnPath while a container is being decoded (a cycle when it
    // comes up again); for a string already decoded its index + 1 in
    // m_strings (keys repeat in every dictionary of a kind, and sharing them
    // saves an allocation each); for data already decoded kFirstData + its
    // index in m_dataObjects. Four bytes per object keep a hostile count
    // cheap; typical files fit the inline buffers and allocate nothing here.
    static constexpr quint32 kOnPath = 0xFFFFFFFF;
    static constexpr quint32 kFirstData = 0x80000000;
    static constexpr quint64 kMostObjects = kFirstData - 1;
    QVarLengthArray<quint32, 2048> m_objectState;
    StringBlocks m_strings;
    std::vector<QByteArray> m_dataObjects;
    quint64 m_budget = 0;
    static constexpr quint64 kNoPlace = ~quint64(0);
    mutable QString m_failure;
    mutable quint64 m_failedAt = 0;
};

Value BinaryReader::read()
{
    if (!readTrailer())
        return {};
    m_objectState.resize(qsizetype(m_t.objectCount));
    std::fill(m_objectState.begin(), m_objectState.end(), 0);
    m_budget = kBytesPerInputByte * m_size + kFixedAllowance;
    return readObject(m_t.topObject, 0);
}

bool BinaryReader::readTrailer()
{
    if (m_size < 8 || std::memcmp(m_data, "bplist00", 8) != 0)
        return fail(QStringLiteral("Missing the \"bplist00\" header"), 0);
    if (m_size < quint64(kHeaderSize + 1 + kTrailerSize))
        return fail(QStringLiteral("Too short for a binary property list"), m_size);
    const uchar *t = m_data + m_size - kTrailerSize;
    m_t.offsetIntSize = t[6];
    m_t.objectRefSize = t[7];
    m_t.objectCount = readBigEndian(t + 8, 8);
    m_t.topObject = readBigEndian(t + 16, 8);
    m_t.offsetTableOffset = readBigEndian(t + 24, 8);

    if (m_t.offsetIntSize < 1 || m_t.offsetIntSize > 8 || m_t.objectRefSize < 1 || m_t.objectRefSize > 8)
        return failTrailer("Invalid trailer: offset or reference size out of range");
    if (m_t.objectCount < 1 || m_t.objectCount > kMostObjects || m_t.topObject >= m_t.objectCount)
        return failTrailer("Invalid trailer: object count or top object out of range");
    const quint64 tableEnd = m_size - kTrailerSize;
    // Division instead of multiplication: the count is untrusted and may overflow.
    if (m_t.offsetTableOffset < quint64(kHeaderSize + 1) || m_t.offsetTableOffset > tableEnd
        || m_t.objectCount > (tableEnd - m_t.offsetTableOffset) / quint64(m_t.offsetIntSize))
        return failTrailer("Invalid trailer: offset table out of range");
    // A reference must be able to name every object.
    if (m_t.objectRefSize < 8 && ((m_t.objectCount - 1) >> (8 * m_t.objectRefSize)) != 0)
        return failTrailer("Invalid trailer: references too small for the object count");
    return true;
}

Q_ALWAYS_INLINE bool BinaryReader::objectOffset(quint64 ref, quint64 *offset) const
{
    if (ref >= m_t.objectCount)
        return failReference();
    const quint64 entryAt = m_t.offsetTableOffset + ref * quint64(m_t.offsetIntSize);
    *offset = readBigEndian(m_data + entryAt, m_t.offsetIntSize);
    return (*offset >= quint64(kHeaderSize) && *offset < m_t.offsetTableOffset)
        || fail(QStringLiteral("Offset of object %1 out of range").arg(ref), entryAt);
}

// Reads the element count of a data, string or container object whose
// marker is at *pos, and leaves *pos at its first content byte. Counts of 15
// and more follow the marker as an integer object.
bool BinaryReader::readCount(quint64 *pos, uchar info, quint64 *count) const
{
    *pos += 1;
    if (info != 0xF) {
        *count = info;
        return true;
    }
    if (*pos >= m_t.offsetTableOffset)
        return false;
    const uchar marker = m_data[*pos];
    if (marker >> 4 != kInteger || (marker & 0xF) > 3)
        return false;
    const int size = 1 << (marker & 0xF);
    if (bytesLeft(*pos + 1) < quint64(size))
        return false;
    *count = readBigEndian(m_data + *pos + 1, size);
    *pos += 1 + quint64(size);
    return true;
}

Q_ALWAYS_INLINE quint64 BinaryReader::refAt(quint64 pos, quint64 index) const
{
    return readBigEndian(m_data + pos + index * quint64(m_t.objectRefSize), m_t.objectRefSize);
}

// Every call fills a slot its container has paid for, so the number of
// calls is bounded by the budget too.
Value BinaryReader::readObject(quint64 ref, int depth)
{
    if (ref >= m_t.objectCount)
        return failReference();
    if (depth > kMaxDepth) {
        quint64 at = 0;
        return objectOffset(ref, &at) ? fail(QStringLiteral("Too deeply nested"), at) : Failed();
    }
    const quint32 state = m_objectState[qsizetype(ref)];
    if (state != 0 && state != kOnPath) {
        if (state < kFirstData)
            return m_strings.handOut(state - 1); // a string decoded before
        return Value::fromData(m_dataObjects[state - kFirstData]);
    }
    quint64 pos = 0;
    if (!objectOffset(ref, &pos))
        return {};
    const uchar marker = m_data[pos];
    switch (marker >> 4) {
    case kAsciiString:
    case kUtf16String: {
        quint32 index = 0;
        return stringIndex(ref, &index) ? Value(m_strings.handOut(index)) : Value(failObject(pos));
    }
    case kData:
        return readData(ref, pos, marker & 0xF);
    case kArray:
    case kSet:
    case kDictionary: {
        if (m_objectState[qsizetype(ref)] == kOnPath)
            return fail(QStringLiteral("Container contains itself"), pos);
        m_objectState[qsizetype(ref)] = kOnPath;
        Value v = marker >> 4 == kDictionary ? readDictionary(pos, marker & 0xF, depth)
                                             : readArray(pos, marker & 0xF, depth);
        m_objectState[qsizetype(ref)] = 0;
        return v;
    }
    default:
        return readScalar(pos, marker);
    }
}

BinaryReader::Failed BinaryReader::fail(const QString &reason, quint64 at) const
{
    if (m_failure.isNull()) {
        m_failure = reason;
        m_failedAt = at;
    }
    return {};
}

BinaryReader::Failed BinaryReader::failTrailer(const char *what) const
{
    return fail(QString::fromLatin1(what), m_size - kTrailerSize);
}

BinaryReader::Failed BinaryReader::failReference() const
{
    return fail(QStringLiteral("Object reference out of range"), kNoPlace);
}

BinaryReader::Failed BinaryReader::placeReference(quint64 at) const
{
    if (m_failedAt == kNoPlace)
        m_failedAt = at;
    return {};
}

// Names the object at pos when nothing more precise was found.
BinaryReader::Failed BinaryReader::failObject(quint64 pos) const
{
    static constexpr const char *kKinds[16] = {"simple value", "integer", "real", "date", "data", "ASCII string",
        "UTF-16 string", nullptr, "UID", nullptr, "array", nullptr, "set", "dictionary", nullptr, nullptr};
    const uchar marker = m_data[pos];
    const char *kind = kKinds[marker >> 4];
    if (!kind || (marker >> 4 == kSimple && marker != 0x08 && marker != 0x09))
        return fail(QStringLiteral("Unknown object type 0x%1").arg(uint(marker), 2, 16, QLatin1Char('0')), pos);
    return fail(QStringLiteral("Malformed %1 object").arg(QLatin1StringView(kind)), pos);
}

Value BinaryReader::readScalar(quint64 pos, uchar marker)
{
    const uchar info = marker & 0xF;
    switch (marker >> 4) {
    case kSimple:
        if (marker == 0x08 || marker == 0x09)
            return Value(marker == 0x09);
        return failObject(pos);
    case kInteger:
        return readInteger(pos, info);
    case kReal:
        return readReal(pos, info);
    case kDate:
        return readDate(pos, info);
    case kUid:
        return readUid(pos, info);
    default:
        return failObject(pos);
    }
}

Value BinaryReader::readInteger(quint64 pos, uchar info) const
{
    if (info > 4)
        return failObject(pos);
    const int size = 1 << info;
    if (bytesLeft(pos + 1) < quint64(size))
        return failObject(pos);
    const uchar *p = m_data + pos + 1;
    if (size < 8)
        return Value(qint64(readBigEndian(p, size)));
    if (size == 8)
        return Value(qint64(readBigEndian(p, 8)));
    const quint64 high = readBigEndian(p, 8);
    const quint64 low = readBigEndian(p + 8, 8);
    if (high == 0)
        return Value::fromUnsigned(low);
    if (high == ~quint64(0) && (low >> 63) != 0)
        return Value(qint64(low)); // a negative value written sign-extended
    return fail(QStringLiteral("Integer out of range"), pos);
}

Value BinaryReader::readReal(quint64 pos, uchar info) const
{
    if (info != 2 && info != 3)
        return failObject(pos);
    const int size = 1 << info;
    if (bytesLeft(pos + 1) < quint64(size))
        return failObject(pos);
    const quint64 bits = readBigEndian(m_data + pos + 1, size);
    if (size == 4) {
        const quint32 bits32 = quint32(bits);
        float f;
        std::memcpy(&f, &bits32, 4);
        return Value(double(f));
    }
    double d;
    std::memcpy(&d, &bits, 8);
    return Value(d);
}

Value BinaryReader::readDate(quint64 pos, uchar info) const
{
    if (info != 3 || bytesLeft(pos + 1) < 8)
        return failObject(pos);
    const quint64 bits = readBigEndian(m_data + pos + 1, 8);
    double seconds;
    std::memcpy(&seconds, &bits, 8);
    if (!std::isfinite(seconds))
        return fail(QStringLiteral("Date is not a number"), pos); // no other format could hold it
    return Value(plist::Date {seconds});
}

// Decoded on first use and shared from then on, like strings.
Value BinaryReader::readData(quint64 ref, quint64 pos, uchar info)
{
    const quint64 at = pos;
    quint64 count = 0;
    if (!readCount(&pos, info, &count) || count > bytesLeft(pos) || !charge(count + kDataCost, at))
        return failObject(at);
    QByteArray bytes(reinterpret_cast<const char *>(m_data + pos), qsizetype(count));
    m_objectState[qsizetype(ref)] = kFirstData + quint32(m_dataObjects.size());
    m_dataObjects.push_back(bytes);
    return Value::fromData(std::move(bytes));
}

// The position in m_strings of a string object, decoded on first use.
bool BinaryReader::stringIndex(quint64 ref, quint32 *index)
{
    if (ref >= m_t.objectCount)
        return failReference();
    const quint32 state = m_objectState[qsizetype(ref)];
    if (state != 0 && state < kFirstData) {
        *index = state - 1;
        return true;
    }
    quint64 pos = 0;
    if (!objectOffset(ref, &pos))
        return false;
    if (state != 0) // data, or a container being decoded
        return fail(QStringLiteral("Dictionary key is not a string"), pos);
    if (!decodeString(pos))
        return false;
    *index = m_strings.count() - 1;
    m_objectState[qsizetype(ref)] = *index + 1;
    return true;
}

// Decodes the string object at pos into a block and appends it to m_strings.
bool BinaryReader::decodeString(quint64 pos)
{
    const quint64 at = pos;
    const uchar kind = m_data[pos] >> 4;
    quint64 count = 0;
    if (kind != kAsciiString && kind != kUtf16String)
        return fail(QStringLiteral("Dictionary key is not a string"), at);
    if (!readCount(&pos, m_data[pos] & 0xF, &count))
        return failObject(at);
    const uchar *p = m_data + pos;
    if (kind == kAsciiString) {
        return (count <= bytesLeft(pos) && charge(2 * count + kStringCost, at)
                   && StringBlocks::widenAscii(p, count, m_strings.newString(qsizetype(count))))
            || failObject(at);
    }
    if (count > bytesLeft(pos) / 2 || !charge(2 * count + kStringCost, at))
        return failObject(at);
    char16_t *units = m_strings.newString(qsizetype(count));
    for (quint64 i = 0; i < count; ++i)
        units[i] = char16_t((p[2 * i] << 8) | p[2 * i + 1]);
    return true;
}

Value BinaryReader::readUid(quint64 pos, uchar info)
{
    const int size = info + 1;
    if (size > 8 || bytesLeft(pos + 1) < quint64(size)
        || !charge(kDictionaryCost + kDictionarySlotCost + kBlockOverhead, pos))
        return failObject(pos);
    const quint64 uid = readBigEndian(m_data + pos + 1, size);
    if (uid > 0xFFFFFFFFu)
        return fail(QStringLiteral("UID out of range"), pos);
    DictionaryPtr d = Dictionary::create();
    d->set(QStringLiteral("CF$UID"), Value(qint64(uid)));
    return d;
}

Value BinaryReader::readArray(quint64 pos, uchar info, int depth)
{
    const quint64 at = pos;
    quint64 count = 0;
    if (!readCount(&pos, info, &count) || count > bytesLeft(pos) / quint64(m_t.objectRefSize)
        || !charge(kArrayCost + (count == 0 ? 0 : count * kArraySlotCost + kBlockOverhead), at))
        return failObject(at);
    ArrayPtr array = Array::create();
    std::vector<Value> &items = array->items();
    items.reserve(size_t(count));
    for (quint64 i = 0; i < count; ++i) {
        if (items.emplace_back(readObject(refAt(pos, i), depth + 1)).isNone())
            return placeReference(pos + i * quint64(m_t.objectRefSize));
    }
    return array;
}

Value BinaryReader::readDictionary(quint64 pos, uchar info, int depth)
{
    const quint64 at = pos;
    quint64 count = 0;
    if (!readCount(&pos, info, &count) || count > bytesLeft(pos) / quint64(2 * m_t.objectRefSize)
        || !charge(kDictionaryCost + (count == 0 ? 0 : count * kDictionarySlotCost + kBlockOverhead), at))
        return failObject(at);
    DictionaryPtr dict = Dictionary::create();
    dict->reserve(qsizetype(count));
    if (count <= kSmallDictionary)
        return readSmallDictionary(pos, count, depth, dict.get()) ? Value(std::move(dict)) : Value();
    const quint64 valuesPos = pos + count * quint64(m_t.objectRefSize);
    for (quint64 i = 0; i < count; ++i) {
        const quint64 keyRef = refAt(pos, i);
        quint32 key = 0;
        if (!stringIndex(keyRef, &key))
            return placeReference(pos + i * quint64(m_t.objectRefSize));
        Value value = readObject(refAt(valuesPos, i), depth + 1);
        if (value.isNone())
            return placeReference(valuesPos + i * quint64(m_t.objectRefSize));
        dict->set(m_strings.handOut(key), std::move(value));
    }
    return dict;
}

// The common case: all keys are read and compared first, so that distinct
// keys (nearly always) go in without a lookup each; repeated keys keep the
// general rule that a later value replaces an earlier one in its place.
bool BinaryReader::readSmallDictionary(quint64 pos, quint64 count, int depth, Dictionary *dict)
{
    quint32 keys[kSmallDictionary];
    bool distinct = true;
    for (quint64 i = 0; i < count; ++i) {
        const quint64 keyRef = refAt(pos, i);
        if (!stringIndex(keyRef, &keys[i]))
            return placeReference(pos + i * quint64(m_t.objectRefSize));
        for (quint64 j = 0; j < i && distinct; ++j)
            distinct = keys[j] != keys[i] && !m_strings.sameText(keys[j], keys[i]);
    }
    const quint64 valuesPos = pos + count * quint64(m_t.objectRefSize);
    for (quint64 i = 0; i < count; ++i) {
        if (distinct) {
            // Read straight into place; a failed read discards the dictionary.
            dict->appendUnchecked(m_strings.handOut(keys[i]), readObject(refAt(valuesPos, i), depth + 1));
            if (dict->entries().back().second.isNone())
                return placeReference(valuesPos + i * quint64(m_t.objectRefSize));
            continue;
        }
        Value value = readObject(refAt(valuesPos, i), depth + 1);
        if (value.isNone())
            return placeReference(valuesPos + i * quint64(m_t.objectRefSize));
        dict->set(m_strings.handOut(keys[i]), std::move(value));
    }
    return true;
}

void BinaryReader::reportFailure(ReadError *error) const
{
    const QString reason = m_failure.isNull() ? QStringLiteral("Malformed binary property list") : m_failure;
    detail::setReadError(error, reason, m_failedAt == kNoPlace ? qsizetype(-1) : qsizetype(m_failedAt), 0);
}

} // namespace

Value readBinary(QByteArrayView bytes, ReadError *error)
{
    BinaryReader reader(bytes);
    Value v = reader.read();
    if (v.isNone() && error)
        reader.reportFailure(error);
    return v;
}

} // namespace plist
