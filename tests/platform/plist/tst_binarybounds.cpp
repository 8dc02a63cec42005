// Every check of the binary reader at its exact boundary: the last value it
// accepts and the first it refuses, so that a check off by one either way
// fails a row.
#include "BplistBuilder.h"
#include "PlistTestHelpers.h"

#include "plist/PropertyList.h"

#include <QTest>

using namespace plist;
using namespace Qt::StringLiterals;
using plisttest::Bplist;
using plisttest::obj;

namespace {

constexpr quint64 kProbe = 9;

// Nine small objects (0 and 2-8 `true`, 1 the string "k") and then the object
// under test, number 9 and the top object, ending where the offset table
// starts. The byte just past it is the table's first byte: with one-byte
// offsets 0x08 (object 0's offset), which reads as the marker `false`, as a
// reference to object 8 (`true`) or as ASCII content; with two-byte offsets
// 0x00, which reads as a count of zero. The trailer's unused bytes begin with
// offset 8 too, so an offset-table entry read one past the table names
// object 0. A check that lets a read run one byte too far therefore finds
// something valid, and the row notices.
Bplist probeFile(const QByteArray &probe, int offsetSize = 1)
{
    Bplist p;
    p.offsetSize = offsetSize;
    p.objects = {obj({0x09}), obj({0x51, 'k'})};
    for (int i = 2; i < 9; ++i)
        p.objects.append(obj({0x09}));
    p.objects.append(probe);
    p.top = kProbe;
    p.unused = (Bplist::be(8, offsetSize) + QByteArray(6, '\0')).first(6);
    return p;
}

QByteArray probe(const QByteArray &object, int offsetSize = 1)
{
    return probeFile(object, offsetSize).bytes();
}

// The probe file with object 9 placed at the given offset.
QByteArray probeAt(const QByteArray &object, quint64 offset)
{
    Bplist p = probeFile(object);
    quint64 at = 8;
    for (const QByteArray &o : p.objects) {
        p.forcedOffsets.append(at);
        at += quint64(o.size());
    }
    p.forcedOffsets.last() = offset;
    return p.bytes();
}

// [object 1], with references and offsets of the given sizes.
QByteArray withSizes(int refSize, int offsetSize)
{
    Bplist p;
    p.refSize = refSize;
    p.offsetSize = offsetSize;
    p.objects = {obj({0xA1}) + Bplist::be(1, refSize), obj({0x09})};
    return p.bytes();
}

// n objects for one-byte references: object 0 is an array holding object 1,
// all others are `true`.
QByteArray objectsWithOneByteRefs(int n)
{
    Bplist p;
    p.offsetSize = 2;
    p.objects.append(obj({0xA1, 0x01}));
    for (int i = 1; i < n; ++i)
        p.objects.append(obj({0x09}));
    return p.bytes();
}

// Data whose count marker would be the offset table's first byte. Object 0
// sits at offset 0x10, so that byte reads as the marker of a one-byte
// integer, and the next (object 1's offset, 8) as the count.
QByteArray countMarkerMissing()
{
    Bplist p;
    for (int i = 0; i < 9; ++i)
        p.objects.append(obj({0x09}));
    p.objects.append(obj({0x4F}));
    p.forcedOffsets = {16, 8, 9, 10, 11, 12, 13, 14, 15, 17};
    p.top = kProbe;
    return p.bytes();
}

Value data(std::initializer_list<int> bytes)
{
    return Value::fromData(obj(bytes));
}

} // namespace

class TestBinaryBounds : public QObject {
    Q_OBJECT

private slots:
    void shouldAcceptTheLastValidValueAndRefuseTheNext_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Value>("expected"); // none: refused

        const Value none;
        const Value yes(true);
        // Contents that end exactly at the offset table, and one byte short.
        QTest::newRow("2-byte integer ending at the table") << probe(obj({0x11, 0x01, 0x02})) << Value(258);
        QTest::newRow("2-byte integer one byte short") << probe(obj({0x11, 0x01})) << none;
        QTest::newRow("16-byte integer ending at the table")
            << probe(obj({0x14}) + QByteArray(15, '\0') + obj({5})) << Value(5);
        QTest::newRow("16-byte integer one byte short") << probe(obj({0x14}) + QByteArray(15, '\0')) << none;
        QTest::newRow("real ending at the table") << probe(obj({0x23, 0x3F, 0xF8, 0, 0, 0, 0, 0, 0})) << Value(1.5);
        QTest::newRow("real one byte short") << probe(obj({0x23, 0x3F, 0xF8, 0, 0, 0, 0, 0})) << none;
        QTest::newRow("date ending at the table") << probe(obj({0x33}) + QByteArray(8, '\0')) << Value(Date {0});
        QTest::newRow("date one byte short") << probe(obj({0x33}) + QByteArray(7, '\0')) << none;
        QTest::newRow("uid ending at the table")
            << probe(obj({0x81, 0x01, 0x02})) << plisttest::dict({{"CF$UID", Value(258)}});
        QTest::newRow("uid one byte short") << probe(obj({0x81, 0x01})) << none;
        QTest::newRow("data ending at the table") << probe(obj({0x42, 0xAA, 0xBB})) << data({0xAA, 0xBB});
        QTest::newRow("data one byte short") << probe(obj({0x42, 0xAA})) << none;
        QTest::newRow("ASCII string ending at the table") << probe(obj({0x52, 'a', 'b'})) << Value(u"ab"_s);
        QTest::newRow("ASCII string one byte short") << probe(obj({0x52, 'a'})) << none;
        QTest::newRow("UTF-16 string ending at the table") << probe(obj({0x61, 0x00, 'A'})) << Value(u"A"_s);
        QTest::newRow("UTF-16 string one byte short") << probe(obj({0x61, 0x00})) << none;
        QTest::newRow("array ending at the table") << probe(obj({0xA2, 0x00, 0x08})) << plisttest::array({yes, yes});
        QTest::newRow("array one reference short") << probe(obj({0xA2, 0x00})) << none;
        QTest::newRow("dictionary ending at the table")
            << probe(obj({0xD1, 0x01, 0x00})) << plisttest::dict({{"k", yes}});
        QTest::newRow("dictionary one reference short") << probe(obj({0xD1, 0x01})) << none;

        // Counts that follow the marker.
        QTest::newRow("count ending at the table") << probe(obj({0x4F, 0x10, 0x00}), 2) << data({});
        QTest::newRow("2-byte count one byte short") << probe(obj({0x4F, 0x11, 0x00}), 2) << none;
        QTest::newRow("count missing after its marker") << probe(obj({0x4F, 0x10}), 2) << none;
        QTest::newRow("count marker missing before the table") << countMarkerMissing() << none;
        QTest::newRow("count of 14 in the marker")
            << probe(obj({0x5E}) + QByteArray(14, 'a')) << Value(QString(14, u'a'));
        QTest::newRow("count of 15 after the marker")
            << probe(obj({0x5F, 0x10, 0x0F}) + QByteArray(15, 'a')) << Value(QString(15, u'a'));
        QTest::newRow("count in eight bytes")
            << probe(obj({0x4F, 0x13}) + Bplist::be(2, 8) + obj({0xAA, 0xBB})) << data({0xAA, 0xBB});
        QTest::newRow("count in sixteen bytes")
            << probe(obj({0x4F, 0x14}) + Bplist::be(0, 8) + Bplist::be(2, 8) + obj({0xAA, 0xBB})) << none;
        QTest::newRow("array count in two bytes")
            << probe(obj({0xAF, 0x11, 0x00, 0x02, 0x00, 0x08})) << plisttest::array({yes, yes});

        // Object offsets: the first byte after the header is object 0 in
        // every row; the last byte before the table holds the probe here.
        QTest::newRow("object at the last byte before the table") << probe(obj({0x09})) << yes;
        QTest::newRow("object at the offset table's first byte")
            << probeAt(obj({0x09}), probeFile(obj({0x09})).tableOffset()) << none;
        QTest::newRow("object at the header's last byte") << probeAt(obj({0x09}), 7) << none;
        QTest::newRow("object at the header's first byte") << probeAt(obj({0x09}), 0) << none;

        // References: object 9 is the last.
        QTest::newRow("reference to the last object")
            << probe(obj({0xA2, 0x08, 0x01})) << plisttest::array({yes, Value(u"k"_s)});
        QTest::newRow("reference one past the last object") << probe(obj({0xA1, 0x0A})) << none;
        QTest::newRow("key reference one past the last object") << probe(obj({0xD1, 0x0A, 0x00})) << none;
        QTest::newRow("UID of 32 bits") << probe(obj({0x83, 0xFF, 0xFF, 0xFF, 0xFF}))
                                        << plisttest::dict({{"CF$UID", Value(qint64(0xFFFFFFFF))}});
        QTest::newRow("UID of 9 bytes") << probe(obj({0x88}) + QByteArray(9, '\0')) << none;

        // The trailer.
        Bplist past = probeFile(obj({0xA1, 0x0A}));
        past.forcedCount = 11;
        QTest::newRow("object count one past the offset table") << past.bytes() << none;
        Bplist table = probeFile(obj({0x09}));
        const quint64 tableEnd = table.tableOffset() + 10;
        table.forcedTableOffset = qint64(tableEnd);
        QTest::newRow("offset table starting at the trailer") << table.bytes() << none;
        // Read from there, the entry of object 0 would be 8.
        table.forcedTableOffset = qint64(tableEnd + 1);
        table.unused = QByteArray(6, 8);
        table.top = 0;
        QTest::newRow("offset table starting one past the trailer's start") << table.bytes() << none;
        Bplist last = probeFile(obj({0x09}));
        last.top = 8;
        QTest::newRow("top object is the last but one") << last.bytes() << yes;
        last.top = 10;
        QTest::newRow("top object one past the last") << last.bytes() << none;
        QTest::newRow("1-byte references and offsets") << withSizes(1, 1) << plisttest::array({yes});
        QTest::newRow("8-byte references") << withSizes(8, 1) << plisttest::array({yes});
        QTest::newRow("9-byte references") << withSizes(9, 1) << none;
        QTest::newRow("3-byte offsets") << withSizes(1, 3) << plisttest::array({yes});
        QTest::newRow("8-byte offsets") << withSizes(1, 8) << plisttest::array({yes});
        QTest::newRow("9-byte offsets") << withSizes(1, 9) << none;
        QTest::newRow("256 objects named by one-byte references")
            << objectsWithOneByteRefs(256) << plisttest::array({yes});
        QTest::newRow("257 objects for one-byte references") << objectsWithOneByteRefs(257) << none;
    }

    void shouldAcceptTheLastValidValueAndRefuseTheNext()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Value, expected);
        PLIST_COMPARE(readBinary(bytes), expected);
    }
};

QTEST_GUILESS_MAIN(TestBinaryBounds)
#include "tst_binarybounds.moc"
