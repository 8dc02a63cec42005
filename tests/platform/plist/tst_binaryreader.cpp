#include "BplistBuilder.h"

#include "plist/PropertyList.h"

#include <QTest>
#include <QVariant>

#include <limits>

using namespace plist;
using namespace Qt::StringLiterals;
using plisttest::Bplist;
using plisttest::obj;

namespace {

// n arrays, each holding the next; the last is empty.
QByteArray nestedArrays(int n)
{
    Bplist p;
    p.refSize = 2;
    p.offsetSize = 4;
    for (int i = 0; i < n - 1; ++i)
        p.objects.append(obj({0xA1}) + Bplist::be(quint64(i + 1), 2));
    p.objects.append(obj({0xA0}));
    return p.bytes();
}

// A dictionary whose keys are the given strings (ASCII, or UTF-16 when
// utf16 is set) and whose values are the integers 0, 1, 2... Keys listed
// as an integer reuse the key object of that earlier position.
QByteArray dictionaryWithKeys(const QList<QVariant> &keys, bool utf16 = false)
{
    Bplist p;
    p.refSize = 2;
    p.offsetSize = 2;
    const int n = int(keys.size());
    QByteArray refs;
    for (int i = 0; i < n; ++i)
        refs += Bplist::be(quint64(keys[i].typeId() == QMetaType::Int ? 1 + keys[i].toInt() : 1 + i), 2);
    for (int i = 0; i < n; ++i)
        refs += Bplist::be(quint64(1 + n + i), 2);
    p.objects.append(obj({0xDF, 0x10, n}) + refs);
    for (int i = 0; i < n; ++i) {
        const QByteArray text = keys[i].toString().toLatin1();
        QByteArray key = obj({(utf16 ? 0x60 : 0x50) | int(text.size())});
        for (char c : text)
            key += utf16 ? obj({0, c}) : obj({c});
        p.objects.append(key);
    }
    for (int i = 0; i < n; ++i)
        p.objects.append(obj({0x10, i}));
    return p.bytes();
}

QList<QVariant> distinctKeys(int n)
{
    QList<QVariant> keys;
    for (int i = 0; i < n; ++i)
        keys.append(u"key%1"_s.arg(i));
    return keys;
}

} // namespace

class TestBinaryReader : public QObject {
    Q_OBJECT

private slots:
    void shouldReadEveryScalarKind()
    {
        DictionaryPtr d = Dictionary::create();
        d->set(u"true"_s, true);
        d->set(u"false"_s, false);
        d->set(u"min"_s, std::numeric_limits<qint64>::min());
        d->set(u"max"_s, std::numeric_limits<qint64>::max());
        d->set(u"umax"_s, Value::fromUnsigned(std::numeric_limits<quint64>::max()));
        d->set(u"real"_s, -0.0);
        d->set(u"tiny"_s, 5e-324);
        d->set(u"date"_s, Date {123456.75});
        d->set(u"data"_s, Value::fromData(QByteArray("\0\1\2\xff", 4)));
        d->set(u"emoji é"_s, u"🔗 Link"_s);
        d->set(u"empty"_s, QString());
        const Value back = readBinary(writeBinary(d));
        QVERIFY(contentEquals(back, d));
        QCOMPARE(back.toDictionary()->keys(), d->keys());
        QVERIFY(back.toDictionary()->value(u"umax").isUnsignedInteger());
        QVERIFY(std::signbit(back.toDictionary()->value(u"real").toReal()));
    }

    void shouldReadIntegersAsCoreFoundationWritesThem_data()
    {
        QTest::addColumn<QByteArray>("object");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<bool>("unsignedValue");
        QTest::newRow("one byte is unsigned") << obj({0x10, 0xFF}) << qint64(255) << false;
        QTest::newRow("two bytes are unsigned") << obj({0x11, 0xFF, 0xFE}) << qint64(0xFFFE) << false;
        QTest::newRow("four bytes are unsigned") << obj({0x12, 0xFF, 0xFF, 0xFF, 0xFF}) << qint64(0xFFFFFFFF) << false;
        QTest::newRow("eight bytes are signed")
            << obj({0x13, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}) << qint64(-2) << false;
        QTest::newRow("sixteen bytes, unsigned above INT64_MAX")
            << obj({0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 1}) << qint64(0x8000000000000001ULL) << true;
        QTest::newRow("sixteen bytes, sign-extended negative") << obj(
            {0x14, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFB})
                                                               << qint64(-5) << false;
    }

    void shouldReadIntegersAsCoreFoundationWritesThem()
    {
        QFETCH(QByteArray, object);
        QFETCH(qint64, expected);
        QFETCH(bool, unsignedValue);
        const Value v = readBinary(Bplist {{object}}.bytes());
        QVERIFY(v.isInteger());
        QCOMPARE(v.toInteger(), expected);
        QCOMPARE(v.isUnsignedInteger(), unsignedValue);
    }

    void shouldReadSinglePrecisionReals()
    {
        const Value v = readBinary(Bplist {{obj({0x22, 0x3F, 0xC0, 0, 0})}}.bytes());
        QVERIFY(v.isReal());
        QCOMPARE(v.toReal(), 1.5);
    }

    void shouldReadUidAsCoreFoundationDictionary()
    {
        const Value v = readBinary(Bplist {{obj({0x81, 0x01, 0x02})}}.bytes());
        QVERIFY(v.isDictionary());
        QCOMPARE(v.toDictionary()->size(), 1);
        QCOMPARE(v.toDictionary()->value(u"CF$UID").toInteger(), 0x102);
    }

    void shouldReadSetAsArray()
    {
        const Value v = readBinary(Bplist {{obj({0xC2, 1, 2}), obj({0x10, 7}), obj({0x51, 'x'})}}.bytes());
        QVERIFY(v.isArray());
        QCOMPARE(v.toArray()->size(), 2);
        QCOMPARE(v.toArray()->at(1).toString(), u"x"_s);
    }

    void shouldKeepUnpairedSurrogatesOfUtf16Strings()
    {
        const Value v = readBinary(Bplist {{obj({0x62, 0xD8, 0x3D, 0x00, 0x41})}}.bytes());
        QVERIFY(v.isString());
        QCOMPARE(v.toString().size(), 2);
        QCOMPARE(v.toString().at(0).unicode(), char16_t(0xD83D));
        QCOMPARE(v.toString().at(1), u'A');
    }

    void shouldReadLongCountsThatFollowTheMarker()
    {
        const QByteArray text(20, 'a');
        const Value v = readBinary(Bplist {{obj({0x5F, 0x10, 20}) + text}}.bytes());
        QCOMPARE(v.toString(), QString::fromLatin1(text));
    }

    void shouldDecodeASharedContainerAsSeparateObjects()
    {
        // [inner, inner] where inner = ["x"]
        const Value v = readBinary(Bplist {{obj({0xA2, 1, 1}), obj({0xA1, 2}), obj({0x51, 'x'})}}.bytes());
        QVERIFY(v.isArray());
        const Value a = v.toArray()->at(0), b = v.toArray()->at(1);
        QVERIFY(contentEquals(a, b));
        QVERIFY(!a.isSameObject(b));
    }

    void shouldLetALaterValueReplaceAnEarlierOneUnderTheSameKey_data()
    {
        QTest::addColumn<QList<QVariant>>("keys");
        QTest::addColumn<bool>("utf16");
        QTest::addColumn<QStringList>("expectedKeys");
        QTest::addColumn<QList<int>>("expectedValues");
        QTest::newRow("same key object") << QList<QVariant> {u"a"_s, u"b"_s, 0} << false << QStringList {u"a"_s, u"b"_s}
                                         << QList<int> {2, 1};
        QTest::newRow("equal key texts") << QList<QVariant> {u"a"_s, u"b"_s, u"b"_s} << false
                                         << QStringList {u"a"_s, u"b"_s} << QList<int> {0, 2};
        QTest::newRow("equal UTF-16 texts")
            << QList<QVariant> {u"ab"_s, u"ab"_s} << true << QStringList {u"ab"_s} << QList<int> {1};
        QList<QVariant> many = distinctKeys(40);
        many.append(3);
        QStringList manyKeys;
        QList<int> manyValues;
        for (int i = 0; i < 40; ++i) {
            manyKeys.append(u"key%1"_s.arg(i));
            manyValues.append(i == 3 ? 40 : i);
        }
        QTest::newRow("large dictionary") << many << false << manyKeys << manyValues;
    }

    void shouldLetALaterValueReplaceAnEarlierOneUnderTheSameKey()
    {
        QFETCH(QList<QVariant>, keys);
        QFETCH(bool, utf16);
        QFETCH(QStringList, expectedKeys);
        QFETCH(QList<int>, expectedValues);
        const DictionaryPtr d = readBinary(dictionaryWithKeys(keys, utf16)).toDictionary();
        QVERIFY(d);
        QCOMPARE(d->keys(), expectedKeys);
        for (qsizetype i = 0; i < expectedKeys.size(); ++i)
            QCOMPARE(d->value(expectedKeys[i]).toInteger(), expectedValues[i]);
    }

    void shouldFindEveryKeyOfADictionary_data()
    {
        QTest::addColumn<int>("count");
        for (int n : {1, 16, 17, 32, 33, 100})
            QTest::addRow("%d keys", n) << n;
    }

    void shouldFindEveryKeyOfADictionary()
    {
        QFETCH(int, count);
        const DictionaryPtr d = readBinary(dictionaryWithKeys(distinctKeys(count))).toDictionary();
        QVERIFY(d);
        QCOMPARE(d->size(), count);
        for (int i = 0; i < count; ++i)
            QCOMPARE(d->value(u"key%1"_s.arg(i)).toInteger(), i);
        QVERIFY(!d->contains(u"key%1"_s.arg(count)));
    }

    void shouldGiveEveryStringItsOwnLifetimeAndText_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("utf16");
        for (int length : {1, 63, 64, 65, 300}) {
            QTest::addRow("ASCII, %d", length) << length << false;
            QTest::addRow("UTF-16, %d", length) << length << true;
        }
    }

    void shouldGiveEveryStringItsOwnLifetimeAndText()
    {
        QFETCH(int, length);
        QFETCH(bool, utf16);
        // An array of 100 distinct strings: more text than one shared block.
        constexpr int kCount = 100;
        Bplist p;
        p.refSize = 2;
        p.offsetSize = 4;
        QByteArray refs;
        for (int i = 0; i < kCount; ++i)
            refs += Bplist::be(quint64(i + 1), 2);
        p.objects.append(obj({0xAF, 0x10, kCount}) + refs);
        QStringList expected;
        for (int i = 0; i < kCount; ++i) {
            const QString text = (u"%1:"_s.arg(i) + QString(length, u'x')).left(length);
            const QByteArray latin1 = text.toLatin1();
            QByteArray o = obj({(utf16 ? 0x6F : 0x5F), 0x11}) + Bplist::be(quint64(length), 2);
            for (char c : latin1)
                o += utf16 ? obj({0, c}) : obj({c});
            p.objects.append(o);
            expected.append(text);
        }
        QStringList kept;
        {
            const ArrayPtr a = readBinary(p.bytes()).toArray();
            QVERIFY(a);
            for (const Value &v : *a)
                kept.append(v.toString());
        }
        // Growing one string in place must not reach into its neighbours.
        kept[10].append(u"-changed"_s);
        kept[10].prepend(u'<');
        kept[11].clear();
        for (int i = 0; i < kCount; ++i) {
            const QString want = i == 10 ? u'<' + expected[i] + u"-changed"_s : i == 11 ? QString() : expected[i];
            QCOMPARE(kept[i], want);
            QCOMPARE(QString::fromUtf16(reinterpret_cast<const char16_t *>(kept[i].utf16())),
                want); // zero-terminated where it ends
        }
    }

    // One string object referenced thousands of times: each copy holds its
    // text on its own, whether the copies are dropped before or after the
    // array, and a read that fails half-way leaves nothing behind (the
    // sanitizer run checks for leaks and use after free).
    void shouldKeepAStringReferencedManyTimesAlive_data()
    {
        QTest::addColumn<bool>("failAtEnd");
        QTest::newRow("complete") << false;
        QTest::newRow("failing at the last element") << true;
    }

    void shouldKeepAStringReferencedManyTimesAlive()
    {
        QFETCH(bool, failAtEnd);
        constexpr int kCount = 5000;
        Bplist p;
        p.refSize = 2;
        p.offsetSize = 2;
        QByteArray refs;
        for (int i = 0; i < kCount; ++i)
            refs += Bplist::be(i % 2 == 0 ? 1 : 2, 2);
        if (failAtEnd)
            refs += Bplist::be(99, 2);
        p.objects.append(obj({0xAF, 0x11}) + Bplist::be(quint64(refs.size() / 2), 2) + refs);
        p.objects.append(obj({0x55, 'a', 'l', 'p', 'h', 'a'}));
        p.objects.append(obj({0x54, 'b', 'e', 't', 'a'}));
        if (failAtEnd) {
            QVERIFY(readBinary(p.bytes()).isNone());
            return;
        }
        QStringList survivors;
        {
            const ArrayPtr a = readBinary(p.bytes()).toArray();
            QVERIFY(a);
            QCOMPARE(a->size(), kCount);
            QCOMPARE(a->at(kCount - 2).toString(), u"alpha"_s);
            for (int i = 1; i < kCount; i += 1000)
                survivors.append(a->at(i).toString());
        } // the array and every other copy go here
        QCOMPARE(survivors, QStringList(5, u"beta"_s));
        survivors.first().append(u"!"_s);
        QCOMPARE(survivors.first(), u"beta!"_s);
        QCOMPARE(survivors.last(), u"beta"_s);
    }

    void shouldReadEmptyStringsAsEmptyNotNull()
    {
        const ArrayPtr a = readBinary(Bplist {{obj({0xA2, 1, 2}), obj({0x50}), obj({0x60})}}.bytes()).toArray();
        QVERIFY(a);
        for (const Value &v : *a) {
            QVERIFY(v.isString());
            QVERIFY(v.asString()->isEmpty());
            QVERIFY(!v.asString()->isNull());
        }
    }

    void shouldAcceptNestingUpToTheLimit()
    {
        QVERIFY(readBinary(nestedArrays(kMaxDepth + 1)).isArray());
        QVERIFY(readBinary(nestedArrays(kMaxDepth + 2)).isNone());
    }

    void shouldRefuseMalformedInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = Bplist {{obj({0xA1, 1}), obj({0x51, 'x'})}}.bytes();
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("header only") << QByteArray("bplist00");
        QTest::newRow("truncated trailer") << good.chopped(1);
        QTest::newRow("other version") << QByteArray(good).replace(0, 8, "bplist01");

        Bplist p {{obj({0xA1, 1}), obj({0x51, 'x'})}};
        p.refSize = 0;
        QTest::newRow("ref size 0") << p.bytes();
        p.refSize = 9;
        QTest::newRow("ref size 9") << p.bytes();
        p = Bplist {{obj({0xA1, 1}), obj({0x51, 'x'})}};
        p.offsetSize = 0;
        QTest::newRow("offset size 0") << p.bytes();
        p = Bplist {{obj({0x51, 'x'})}};
        p.top = 1;
        QTest::newRow("top object past the count") << p.bytes();
        p = Bplist {{obj({0x51, 'x'})}};
        p.forcedCount = 0;
        QTest::newRow("no objects") << p.bytes();
        p.forcedCount = qint64(0x2000000000000000LL);
        QTest::newRow("count overflowing the offset table") << p.bytes();
        p.forcedCount = 300;
        QTest::newRow("count that one-byte refs cannot address") << p.bytes();
        p = Bplist {{obj({0x51, 'x'})}};
        p.forcedTableOffset = 4;
        QTest::newRow("offset table inside the header") << p.bytes();
        p.forcedTableOffset = qint64(0x7FFFFFFFFFFFFFF0LL);
        QTest::newRow("offset table past the end") << p.bytes();

        QByteArray badOffset = good;
        badOffset[10] = char(0xF0); // second offset entry points into the trailer
        QTest::newRow("object offset past the objects") << badOffset;
        badOffset[10] = 2;
        QTest::newRow("object offset inside the header") << badOffset;

        QTest::newRow("ref past the count") << Bplist {{obj({0xA1, 5})}}.bytes();
        QTest::newRow("array holding itself") << Bplist {{obj({0xA1, 0})}}.bytes();
        QTest::newRow("indirect cycle") << Bplist {{obj({0xA1, 1}), obj({0xD1, 2, 0}), obj({0x51, 'k'})}}.bytes();
        QTest::newRow("array count larger than the file")
            << Bplist {{obj({0xAF, 0x13, 0x40, 0, 0, 0, 0, 0, 0, 0})}}.bytes();
        QTest::newRow("data count larger than the file")
            << Bplist {{obj({0x4F, 0x12, 0x7F, 0xFF, 0xFF, 0xFF})}}.bytes();
        QTest::newRow("utf16 count larger than the file") << Bplist {{obj({0x6F, 0x11, 0xFF, 0xFF})}}.bytes();
        QTest::newRow("dict count larger than the file") << Bplist {{obj({0xDF, 0x10, 0xFF})}}.bytes();
        QTest::newRow("count with a non-integer marker") << Bplist {{obj({0x5F, 0x51, 'x'})}}.bytes();
        QTest::newRow("count marker at the end") << Bplist {{obj({0x5F})}}.bytes();
        QTest::newRow("integer cut short") << Bplist {{obj({0x13, 1, 2})}}.bytes();
        QTest::newRow("32-byte integer") << Bplist {{obj({0x15}) + QByteArray(32, '\0')}}.bytes();
        QTest::newRow("16-byte integer beyond 64 bits")
            << Bplist {{obj({0x14, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0})}}.bytes();
        QTest::newRow("2-byte real") << Bplist {{obj({0x21, 0, 0})}}.bytes();
        QTest::newRow("date with 4 bytes") << Bplist {{obj({0x32, 0, 0, 0, 0})}}.bytes();
        QTest::newRow("date that is not a number")
            << Bplist {{obj({0x33, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF8})}}.bytes();
        QTest::newRow("infinite date") << Bplist {{obj({0x33, 0x7F, 0xF0, 0, 0, 0, 0, 0, 0})}}.bytes();
        QTest::newRow("null") << Bplist {{obj({0x00})}}.bytes();
        QTest::newRow("fill") << Bplist {{obj({0x0F})}}.bytes();
        QTest::newRow("unused marker") << Bplist {{obj({0x70})}}.bytes();
        QTest::newRow("ordered set") << Bplist {{obj({0xB0})}}.bytes();
        QTest::newRow("non-ascii byte in an ascii string") << Bplist {{obj({0x51, 0xE9})}}.bytes();
        QTest::newRow("uid above 32 bits") << Bplist {{obj({0x84, 1, 0, 0, 0, 0})}}.bytes();
        QTest::newRow("integer key") << Bplist {{obj({0xD1, 1, 1}), obj({0x10, 1})}}.bytes();
        QTest::newRow("container key") << Bplist {{obj({0xD1, 1, 2}), obj({0xA0}), obj({0x10, 1})}}.bytes();
        QTest::newRow("null inside an array") << Bplist {{obj({0xA1, 1}), obj({0x00})}}.bytes();
        QTest::newRow("nesting too deep") << nestedArrays(kMaxDepth + 2);

        // Each array holds the next one twice: 2^40 values from 41 objects.
        Bplist bomb;
        for (int i = 0; i < 40; ++i)
            bomb.objects.append(obj({0xA2, i + 1, i + 1}));
        bomb.objects.append(obj({0xA0}));
        QTest::newRow("shared containers expanding exponentially") << bomb.bytes();
    }

    void shouldRefuseMalformedInput()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(readBinary(bytes).isNone());
    }

    void shouldRefuseEveryTruncationOfAValidFile()
    {
        DictionaryPtr d = Dictionary::create();
        d->set(u"NSServices"_s, Array::create({Value(u"a"_s), Value(1), Value(2.5)}));
        const QByteArray bytes = writeBinary(d);
        QVERIFY(readBinary(bytes).isDictionary());
        for (qsizetype n = 0; n < bytes.size(); ++n)
            QVERIFY2(readBinary(bytes.first(n)).isNone(), qPrintable(QString::number(n)));
    }
};

QTEST_GUILESS_MAIN(TestBinaryReader)
#include "tst_binaryreader.moc"
