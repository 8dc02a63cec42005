#include "StringBlocks.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace plist {

#ifdef VELMORA_PUBLIC_QSTRING

StringBlocks::~StringBlocks() = default;

char16_t *StringBlocks::newString(qsizetype length)
{
    m_strings.append(QString(length, Qt::Uninitialized));
    return reinterpret_cast<char16_t *>(m_strings.last().data());
}

QString StringBlocks::handOut(quint32 index)
{
    return m_strings[index];
}

bool StringBlocks::sameText(quint32 a, quint32 b) const
{
    return m_strings[a] == m_strings[b];
}

#else

#if QT_VERSION < QT_VERSION_CHECK(6, 4, 0) || QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
// With another Qt, check this file and tst_stringblocks against it, then widen the range above.
#error "platform/plist/StringBlocks.cpp uses Qt internals checked with Qt 6.4 only (or use -DVELMORA_PUBLIC_QSTRING=ON)"
#endif

namespace {

constexpr qsizetype kSharedBlockMaxUnits = 64;
constexpr qsizetype kStringBlockUnits = 480;
constexpr int kReferenceBatch = 1024;

} // namespace

StringBlocks::~StringBlocks()
{
    for (const Block &block : m_blocks) {
        if (block.data->ref_.fetchAndSubOrdered(block.spare) == block.spare)
            QTypedArrayData<char16_t>::deallocate(block.data);
    }
}

char16_t *StringBlocks::newString(qsizetype length)
{
    const bool shared = length <= kSharedBlockMaxUnits;
    if (!shared || m_sharedBlock < 0 || m_sharedBlockUsed + length + 1 > kStringBlockUnits) {
        const qsizetype units = shared ? kStringBlockUnits : length + 1;
        auto [data, start] = QTypedArrayData<char16_t>::allocate(units);
        Q_CHECK_PTR(data);
        // Nobody else sees the block yet: the count starts at one batch.
        data->ref_.storeRelaxed(kReferenceBatch);
        m_blocks.push_back({data, start, kReferenceBatch});
        if (shared) {
            m_sharedBlock = m_blocks.size() - 1;
            m_sharedBlockUsed = 0;
        }
    }
    const qsizetype block = shared ? m_sharedBlock : m_blocks.size() - 1;
    char16_t *units = m_blocks[block].units + (shared ? m_sharedBlockUsed : 0);
    if (shared)
        m_sharedBlockUsed += length + 1;
    units[length] = u'\0';
    m_strings.push_back({quint32(block), quint32(length), units});
    return units;
}

QString StringBlocks::handOut(quint32 index)
{
    const Entry &s = m_strings[index];
    Block &block = m_blocks[s.block];
    // Keeping one reference back means the block stays while strings are
    // being handed out, even if every string handed out so far has gone.
    if (block.spare == 1) {
        block.data->ref_.fetchAndAddRelaxed(kReferenceBatch);
        block.spare += kReferenceBatch;
    }
    --block.spare;
    return QString(QString::DataPointer(block.data, s.units, qsizetype(s.length)));
}

bool StringBlocks::sameText(quint32 a, quint32 b) const
{
    const Entry &x = m_strings[a];
    const Entry &y = m_strings[b];
    return x.length == y.length && std::memcmp(x.units, y.units, x.length * sizeof(char16_t)) == 0;
}

#endif

bool StringBlocks::widenAscii(const uchar *p, quint64 count, char16_t *out)
{
    quint64 i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= count; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        if (_mm_movemask_epi8(bytes) != 0)
            return false;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i + 8), _mm_unpackhi_epi8(bytes, zero));
    }
    if (i + 8 <= count) {
        const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p + i));
        if (_mm_movemask_epi8(bytes) != 0)
            return false;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_unpacklo_epi8(bytes, zero));
        i += 8;
    }
#endif
    uchar high = 0;
    for (; i < count; ++i) {
        high |= p[i];
        out[i] = p[i];
    }
    return high < 0x80;
}

QString StringBlocks::asciiString(QByteArrayView text)
{
    const auto *bytes = reinterpret_cast<const uchar *>(text.data());
    qsizetype i = 0;
#ifdef __SSE2__
    for (; i + 16 <= text.size(); i += 16) {
        if (_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + i))) != 0)
            return {};
    }
#endif
    for (; i < text.size(); ++i) {
        if (bytes[i] >= 0x80)
            return {};
    }
    if (text.isEmpty())
        return {};
    (void)widenAscii(bytes, quint64(text.size()), newString(text.size()));
    return handOut(count() - 1);
}

} // namespace plist
