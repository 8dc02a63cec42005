#include "XmlText_p.h"

#include "KeyHash_p.h"

#include <vector>

namespace plist::xml {

void appendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xc0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3f)));
    } else if (c < 0x10000) {
        out.append(char(0xe0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3f)));
        out.append(char(0x80 | (c & 0x3f)));
    } else {
        out.append(char(0xf0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3f)));
        out.append(char(0x80 | ((c >> 6) & 0x3f)));
        out.append(char(0x80 | (c & 0x3f)));
    }
}

// QString::fromUtf8 drops a byte-order mark at the start of the text, but
// in a property list it is a character of the value like any other.
QString decodeUtf8(QByteArrayView utf8)
{
    if (utf8.size() >= 3 && utf8[0] == char(0xef) && utf8[1] == char(0xbb) && utf8[2] == char(0xbf))
        return QChar(0xfeff) + QString::fromUtf8(utf8.sliced(3));
    return QString::fromUtf8(utf8);
}

// The same keys come back in file after file, so their strings are kept and
// shared rather than decoded and allocated again: a table per thread with
// room for kSlots / 2 keys, open addressing on the hash of the key's bytes.
// Probes are few and bounded, so a file made to collide costs only decoding
// its keys each time.
QString internedKey(QByteArrayView utf8)
{
    constexpr qsizetype kLongestKept = 64;
    constexpr size_t kSlots = 4096;
    constexpr size_t kMostProbes = 16;
    if (utf8.size() > kLongestKept)
        return decodeUtf8(utf8);
    struct Slot {
        size_t hash = 0;
        QByteArray bytes;
        QString key;
    };
    struct Table {
        std::vector<Slot> entries = std::vector<Slot>(kSlots);
        size_t used = 0;
    };
    thread_local Table table;
    const size_t hash = keyHash(utf8.data(), size_t(utf8.size())) | 1; // 0 marks a free slot
    size_t slot = hash & (kSlots - 1);
    for (size_t probe = 0; probe < kMostProbes; ++probe, slot = (slot + 1) & (kSlots - 1)) {
        Slot &candidate = table.entries[slot];
        if (candidate.hash == hash && candidate.bytes == utf8)
            return candidate.key;
        if (candidate.hash == 0) {
            QString key = decodeUtf8(utf8);
            if (table.used < kSlots / 2) {
                candidate = {hash, utf8.toByteArray(), key};
                ++table.used;
            }
            return key;
        }
    }
    return decodeUtf8(utf8);
}

} // namespace plist::xml
