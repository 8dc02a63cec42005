#include "plist/PropertyList.h"

#include <QTest>
#include <QtEndian>

#include <limits>

using namespace plist;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(plist::Value)

namespace {

// The object region of a one-object file: between the header and the
// offset table.
QByteArray soleObject(const QByteArray &file)
{
    const qsizetype tableOffset = qsizetype(qFromBigEndian<quint64>(file.constData() + file.size() - 8));
    return file.mid(8, tableOffset - 8);
}

} // namespace

class TestBinaryWriter : public QObject {
    Q_OBJECT

private slots:
    void shouldWriteIntegersInTheFewestBytes_data()
    {
        QTest::addColumn<Value>("value");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("0") << Value(0) << QByteArray("\x10\x00", 2);
        QTest::newRow("255") << Value(255) << QByteArray("\x10\xff", 2);
        QTest::newRow("256") << Value(256) << QByteArray("\x11\x01\x00", 3);
        QTest::newRow("65536") << Value(65536) << QByteArray("\x12\x00\x01\x00\x00", 5);
        QTest::newRow("2^32") << Value(qint64(1) << 32) << QByteArray("\x13\x00\x00\x00\x01\x00\x00\x00\x00", 9);
        QTest::newRow("-1") << Value(-1) << QByteArray("\x13\xff\xff\xff\xff\xff\xff\xff\xff", 9);
        QTest::newRow("2^64-1") << Value::fromUnsigned(std::numeric_limits<quint64>::max())
                                << QByteArray(
                                       "\x14\x00\x00\x00\x00\x00\x00\x00\x00\xff\xff\xff\xff\xff\xff\xff\xff", 17);
    }

    void shouldWriteIntegersInTheFewestBytes()
    {
        QFETCH(Value, value);
        QFETCH(QByteArray, encoded);
        QCOMPARE(soleObject(writeBinary(value)), encoded);
    }

    void shouldWriteStringsAsAsciiOrUtf16()
    {
        QCOMPARE(soleObject(writeBinary(Value(u"ab"_s))),
            "\x52"
            "ab"_ba);
        QCOMPARE(soleObject(writeBinary(Value(u"é"_s))), QByteArray("\x61\x00\xe9", 3));
        QCOMPARE(soleObject(writeBinary(Value(QString(15, u'x')))), "\x5f\x10\x0f"_ba + QByteArray(15, 'x'));
    }

    void shouldShareEqualStringsAndIntegers()
    {
        DictionaryPtr a = Dictionary::create();
        a->set(u"NSMessage"_s, u"NSMessage"_s);
        a->set(u"n"_s, 7);
        const Value v = Array::create({Value(a), Value(u"NSMessage"_s), Value(7)});
        const QByteArray file = writeBinary(v);
        QCOMPARE(file.count("NSMessage"), 1);
        QCOMPARE(qFromBigEndian<quint64>(file.constData() + file.size() - 24), quint64(5)); // array, dict, 2 keys, 7
        QVERIFY(contentEquals(readBinary(file), v));
    }

    void shouldWriteNothingForValuesWithoutABinaryForm()
    {
        QVERIFY(writeBinary(Value()).isEmpty());
        QVERIFY(writeBinary(Array::create({Value(1), Value()})).isEmpty());
        ArrayPtr cycle = Array::create();
        cycle->append(cycle);
        QVERIFY(writeBinary(cycle).isEmpty());
        cycle->clear();
        ArrayPtr deep = Array::create();
        ArrayPtr inner = deep;
        for (int i = 0; i < kMaxDepth + 1; ++i) {
            ArrayPtr next = Array::create();
            inner->append(next);
            inner = next;
        }
        QVERIFY(writeBinary(deep).isEmpty());
    }

    void shouldWriteASharedContainerTwice()
    {
        DictionaryPtr shared = Dictionary::create();
        shared->set(u"k"_s, true);
        const QByteArray file = writeBinary(Array::create({Value(shared), Value(shared)}));
        const Value back = readBinary(file);
        QCOMPARE(back.toArray()->size(), 2);
        QVERIFY(contentEquals(back.toArray()->at(0), back.toArray()->at(1)));
    }
};

QTEST_GUILESS_MAIN(TestBinaryWriter)
#include "tst_binarywriter.moc"
