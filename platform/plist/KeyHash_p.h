#pragma once

// A quick hash for short strings: the keys of property lists in the readers'
// and dictionaries' own tables, and paths. Qt's hash of byte strings is
// built for any length and costs several times more on a few dozen bytes. Seeded
// per process, so a file cannot be made to collide on purpose in advance;
// the tables bound their probes besides.

#include <QHashSeed>

#include <cstring>

namespace plist {

inline size_t keyHash(const void *data, size_t size)
{
    static const quint64 seed = quint64(QHashSeed::globalSeed());
    const auto *bytes = static_cast<const unsigned char *>(data);
    quint64 h = seed ^ (quint64(size) * 0x9E3779B97F4A7C15ULL);
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, bytes + i, 8);
        h = (h ^ word) * 0xBF58476D1CE4E5B9ULL;
        h ^= h >> 29;
    }
    quint64 tail = 0;
    if (size > i) // an empty key may have no bytes at all to point to
        std::memcpy(&tail, bytes + i, size - i);
    h = (h ^ tail) * 0x94D049BB133111EBULL;
    return size_t(h ^ (h >> 31));
}

} // namespace plist
