#pragma once

// Where the readers put the strings they decode. Strings up to
// kSharedBlockMaxUnits UTF-16 units share blocks of kStringBlockUnits (each
// followed by its terminating zero, as QString expects) instead of an
// allocation each: a file's strings are mostly short, and allocating and
// freeing them one by one is a large part of the cost of reading. A block is
// freed with its last string; the size limits bound what one kept string can
// hold on to. Longer strings get a block of their own.
//
// Every string handed out holds a reference to its block. They are taken
// from the block's count in batches, one atomic addition per batch instead of
// one per string (a binary file hands out a key once per dictionary that
// uses it), and the unused part is given back when the StringBlocks goes.

#include <QString>
#include <QVarLengthArray>

namespace plist {

class StringBlocks {
public:
    StringBlocks() = default;
    ~StringBlocks();
    StringBlocks(const StringBlocks &) = delete;
    StringBlocks &operator=(const StringBlocks &) = delete;

    // Room for a string of the given length, which the caller fills in;
    // the string is number count() - 1.
    [[nodiscard]] char16_t *newString(qsizetype length);
    [[nodiscard]] quint32 count() const { return quint32(m_strings.size()); }
    // A string sharing the units of string number index.
    [[nodiscard]] QString handOut(quint32 index);
    [[nodiscard]] bool sameText(quint32 a, quint32 b) const;
    // The text as a string in a block when it is not empty and all ASCII;
    // a null string otherwise.
    [[nodiscard]] QString asciiString(QByteArrayView text);

    // Widens ASCII bytes to UTF-16 units; answers false if any byte is above
    // 0x7F (what was written to out by then is of no use).
    [[nodiscard]] static bool widenAscii(const uchar *p, quint64 count, char16_t *out);

private:
    struct Block {
        QTypedArrayData<char16_t> *data;
        char16_t *units;
        int spare; // references taken from the count and not handed out; never 0
    };
    struct Entry {
        quint32 block;
        quint32 length;
        char16_t *units;
    };
    QVarLengthArray<Block, 16> m_blocks;
    QVarLengthArray<Entry, 256> m_strings;
    // Where the next short string goes in the last shared block, if any.
    qsizetype m_sharedBlock = -1;
    qsizetype m_sharedBlockUsed = 0;
};

} // namespace plist
