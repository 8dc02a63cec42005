#pragma once

// Hand-made binary property lists for reader tests: objects encoded byte by
// byte, with an offset table and trailer computed from them unless forced.

#include <QByteArray>
#include <QList>

#include <initializer_list>
#include <utility>

namespace plisttest {

inline QByteArray bigEndian(quint64 v, int size)
{
    QByteArray out;
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
        out += char(shift < 64 ? uchar(v >> shift) : 0); // a field wider than 64 bits starts with zeros
    return out;
}

inline QByteArray obj(std::initializer_list<int> bytes)
{
    QByteArray out;
    for (int b : bytes)
        out += char(uchar(b));
    return out;
}

// A bplist00 file made of the given encoded objects, in that order.
struct Bplist {
    Bplist() = default;
    Bplist(QList<QByteArray> objectList)
        : objects(std::move(objectList))
    {
    }

    QList<QByteArray> objects;
    int refSize = 1;
    int offsetSize = 1;
    quint64 top = 0;
    qint64 forcedCount = -1;
    qint64 forcedTableOffset = -1;
    // Replaces the offset table's entries when not empty.
    QList<quint64> forcedOffsets;
    // The trailer's six unused bytes, which readers ignore.
    QByteArray unused = QByteArray(6, '\0');

    // Where the offset table starts: after the header and every object.
    [[nodiscard]] quint64 tableOffset() const
    {
        quint64 at = 8;
        for (const QByteArray &o : objects)
            at += quint64(o.size());
        return at;
    }

    [[nodiscard]] QByteArray bytes() const
    {
        QByteArray out("bplist00");
        QList<quint64> offsets;
        for (const QByteArray &o : objects) {
            offsets.append(quint64(out.size()));
            out += o;
        }
        const quint64 table = quint64(out.size());
        for (quint64 off : forcedOffsets.isEmpty() ? offsets : forcedOffsets)
            out += be(off, offsetSize);
        out += unused;
        out += char(offsetSize);
        out += char(refSize);
        out += be(forcedCount >= 0 ? quint64(forcedCount) : quint64(objects.size()), 8);
        out += be(top, 8);
        out += be(forcedTableOffset >= 0 ? quint64(forcedTableOffset) : table, 8);
        return out;
    }

    [[nodiscard]] static QByteArray be(quint64 v, int size) { return bigEndian(v, size); }
};

} // namespace plisttest
