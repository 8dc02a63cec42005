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
//
// What this relies on beyond Qt's public API (checked with Qt 6.4; the build
// stops on other versions until StringBlocks.cpp is checked against them):
// - QTypedArrayData<char16_t>::allocate and deallocate, and the reference
//   count ref_ of QArrayData, which the blocks set and adjust themselves;
// - QString(QString::DataPointer), which Qt marks internal, to make a string
//   whose characters lie inside a block it shares with other strings;
// - that such a string, once it holds the block's last reference, may grow in
//   place over its dead neighbours (QString sees the rest of the block as its
//   capacity), and that while any other reference exists it copies first.
// The build option VELMORA_PUBLIC_QSTRING makes every string a QString of
// its own through public API only (slower, same answers).

#include <QList>
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
#ifdef VELMORA_PUBLIC_QSTRING
    // Each string is a QString of its own; handing it out shares it.
    QList<QString> m_strings;
#else
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
#endif
};

} // namespace plist
