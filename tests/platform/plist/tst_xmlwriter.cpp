#include "PlistTestHelpers.h"
#include "plist/PropertyList.h"

#include <QDirIterator>
#include <QFile>
#include <QTest>

#include <cmath>
#include <limits>

using namespace plist;
using namespace plisttest;

namespace {

const QByteArray kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                           "<plist version=\"1.0\">\n";

QByteArray body(const QByteArray &xml)
{
    if (!xml.startsWith(kHeader) || !xml.endsWith("</plist>\n"))
        return "(not a complete document)";
    return xml.sliced(kHeader.size(), xml.size() - kHeader.size() - 9);
}

QByteArray bytesCounting(int n)
{
    QByteArray bytes;
    for (int i = 0; i < n; ++i)
        bytes.append(char(i * 7));
    return bytes;
}

} // namespace

class TestXmlWriter : public QObject {
    Q_OBJECT

private slots:
    void shouldWriteTheMacLayout()
    {
        const Value v = dict(
            {{"b", array({str("x"), 1, true})}, {"a", dict({{"empty", dict({})}, {"list", array({})}})}, {"B", false}});
        const QByteArray expected = kHeader
            + "<dict>\n"
              "\t<key>B</key>\n"
              "\t<false/>\n"
              "\t<key>a</key>\n"
              "\t<dict>\n"
              "\t\t<key>empty</key>\n"
              "\t\t<dict/>\n"
              "\t\t<key>list</key>\n"
              "\t\t<array/>\n"
              "\t</dict>\n"
              "\t<key>b</key>\n"
              "\t<array>\n"
              "\t\t<string>x</string>\n"
              "\t\t<integer>1</integer>\n"
              "\t\t<true/>\n"
              "\t</array>\n"
              "</dict>\n"
              "</plist>\n";
        QCOMPARE(writeXml(v), expected);
    }

    void shouldSortKeysByUtf16CodeUnits()
    {
        // U+1F600 is written as the surrogates D83D DE00, so it sorts before U+FF21.
        const Value v = dict({{"\xf0\x9f\x98\x80", 1}, {"\xef\xbc\xa1", 2}, {"z", 3}, {"Z", 4}});
        QCOMPARE(body(writeXml(v)),
            QByteArray("<dict>\n\t<key>Z</key>\n\t<integer>4</integer>\n\t<key>z</key>\n\t<integer>3</integer>\n"
                       "\t<key>\xf0\x9f\x98\x80</key>\n\t<integer>1</integer>\n"
                       "\t<key>\xef\xbc\xa1</key>\n\t<integer>2</integer>\n</dict>\n"));
    }

    void shouldWriteScalars_data()
    {
        QTest::addColumn<Value>("value");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("escaped markup") << str("a<b>&\"'c") << QByteArray("<string>a&lt;b&gt;&amp;\"'c</string>\n");
        QTest::newRow("empty string") << str("") << QByteArray("<string></string>\n");
        QTest::newRow("control characters as they are")
            << str("\x1b\t\r\n") << QByteArray("<string>\x1b\t\r\n</string>\n");
        QTest::newRow("non-BMP text") << str("\xf0\x9f\x94\x97") << QByteArray("<string>\xf0\x9f\x94\x97</string>\n");
        QTest::newRow("negative integer")
            << Value(std::numeric_limits<qint64>::min()) << QByteArray("<integer>-9223372036854775808</integer>\n");
        QTest::newRow("unsigned integer") << Value::fromUnsigned(std::numeric_limits<quint64>::max())
                                          << QByteArray("<integer>18446744073709551615</integer>\n");
        QTest::newRow("whole real") << Value(345600.0) << QByteArray("<real>345600</real>\n");
        QTest::newRow("shortest real") << Value(0.1) << QByteArray("<real>0.1</real>\n");
        QTest::newRow("large real") << Value(1e300) << QByteArray("<real>1e+300</real>\n");
        QTest::newRow("nan") << Value(std::nan("")) << QByteArray("<real>nan</real>\n");
        QTest::newRow("infinity") << Value(std::numeric_limits<double>::infinity())
                                  << QByteArray("<real>+infinity</real>\n");
        QTest::newRow("minus infinity") << Value(-std::numeric_limits<double>::infinity())
                                        << QByteArray("<real>-infinity</real>\n");
        QTest::newRow("reference date") << Value(Date {0}) << QByteArray("<date>2001-01-01T00:00:00Z</date>\n");
        QTest::newRow("date truncated to the second")
            << Value(Date {730902896.75}) << QByteArray("<date>2024-02-29T12:34:56Z</date>\n");
        QTest::newRow("date before the reference date")
            << Value(Date {-0.5}) << QByteArray("<date>2000-12-31T23:59:59Z</date>\n");
        QTest::newRow("date before year 1")
            << Value(Date {-63145526401.0}) << QByteArray("<date>-001-12-31T23:59:59Z</date>\n");
        QTest::newRow("empty data") << data("") << QByteArray("<data>\n</data>\n");
        QTest::newRow("short data") << data("Hello") << QByteArray("<data>\nSGVsbG8=\n</data>\n");
    }

    void shouldWriteScalars()
    {
        QFETCH(Value, value);
        QFETCH(QByteArray, expected);
        QCOMPARE(body(writeXml(value)), expected);
    }

    void shouldBreakDataLinesAsTheMacDoes_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("lineLength");

        QTest::newRow("top level") << 0 << 76;
        QTest::newRow("in a dictionary") << 1 << 68;
        QTest::newRow("three levels down") << 3 << 52;
        QTest::newRow("indentation capped at eight") << 10 << 12;
    }

    void shouldBreakDataLinesAsTheMacDoes()
    {
        QFETCH(int, depth);
        QFETCH(int, lineLength);
        const QByteArray bytes = bytesCounting(200);
        Value v = Value::fromData(bytes);
        for (int i = 0; i < depth; ++i)
            v = array({v});
        const QList<QByteArray> lines = writeXml(v).split('\n');
        const QByteArray tabs(depth, '\t');
        const QByteArray lineTabs(std::min(depth, 8), '\t');
        const qsizetype open = lines.indexOf(tabs + "<data>");
        QVERIFY(open > 0);
        QByteArray encoded;
        qsizetype i = open + 1;
        for (; lines[i] != tabs + "</data>"; ++i) {
            QVERIFY2(lines[i].startsWith(lineTabs) && lines[i][lineTabs.size()] != '\t', lines[i].constData());
            const QByteArray text = lines[i].sliced(lineTabs.size());
            QVERIFY(text.size() <= lineLength);
            if (lines[i + 1] != tabs + "</data>")
                QCOMPARE(text.size(), lineLength);
            encoded += text;
        }
        QCOMPARE(encoded, bytes.toBase64());
    }

    void shouldWriteNothingForIncompleteValues_data()
    {
        QTest::addColumn<Value>("value");

        QTest::newRow("none") << Value();
        QTest::newRow("none in an array") << array({1, Value()});
        QTest::newRow("none in a dictionary") << dict({{"k", Value()}});
        QTest::newRow("date that is not finite") << Value(Date {std::nan("")});

        ArrayPtr cycle = Array::create();
        cycle->append(cycle);
        QTest::newRow("array holding itself") << Value(cycle);
    }

    void shouldWriteNothingForIncompleteValues()
    {
        QFETCH(Value, value);
        QVERIFY(writeXml(value).isEmpty());
        if (ArrayPtr a = value.toArray())
            a->clear(); // breaks the cycle, so the array is freed
    }

    void shouldReadBackWhatItWrote_data()
    {
        QTest::addColumn<Value>("value");

        QTest::newRow("every scalar type")
            << dict({{"s", str("a & b <c>")}, {"i", Value(std::numeric_limits<qint64>::min())},
                   {"u", Value::fromUnsigned(std::numeric_limits<quint64>::max())}, {"r", Value(0.30000000000000004)},
                   {"tiny", Value(5e-324)}, {"nan", Value(std::nan(""))}, {"t", true}, {"d", Value(Date {123456789})},
                   {"data", Value::fromData(bytesCounting(100))}});
        QTest::newRow("control characters")
            << array({str("\x01\x1b\x7f"), str("\r\n"), str(" lead and trail "), Value(QString(QChar(0)) + u'a')});
        QTest::newRow("text that looks like markup") << str("]]> <![CDATA[ &amp; <!-- -->");
        QTest::newRow("non-BMP text") << str("\xe2\xa4\xb4\xef\xb8\x8e\xe2\x9e\x9f\xf0\x9f\x94\x97");
        QTest::newRow("nested containers") << array({dict({{"a", array({array({}), dict({})})}})});
    }

    void shouldReadBackWhatItWrote()
    {
        QFETCH(Value, value);
        PLIST_COMPARE(readXml(writeXml(value)), value);
    }

    void shouldRoundTripEveryXmlFileOfTheCorpus()
    {
        if (!QFile::exists(corpusFolder()))
            QSKIP("the corpus of real property lists is not here");
        int files = 0;
        QDirIterator it(corpusFolder(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const Value v = readXml(file.readAll());
            if (v.isNone())
                continue;
            ++files;
            const QByteArray written = writeXml(v);
            QVERIFY2(contentEquals(readXml(written), v), qPrintable(file.fileName()));
            QCOMPARE(writeXml(readXml(written)), written);
        }
        QVERIFY(files >= 30);
    }
};

QTEST_GUILESS_MAIN(TestXmlWriter)
#include "tst_xmlwriter.moc"
