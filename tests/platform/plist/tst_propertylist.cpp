#include "plist/PropertyList.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include <sys/stat.h>

using namespace plist;
using namespace Qt::StringLiterals;

namespace {

const QString kXml = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n"
                     "<dict><key>k</key><string>é🔗</string></dict>\n</plist>\n"_s;

QByteArray utf16(const QString &s, bool bigEndian)
{
    QStringEncoder encoder(
        bigEndian ? QStringEncoder::Utf16BE : QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    return encoder.encode(s);
}

} // namespace

class TestPropertyList : public QObject {
    Q_OBJECT

private slots:
    void readingAFileShouldNeverWaitOnAFifo()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("Info.plist"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QByteArray bytes;
        int error = 0;
        QVERIFY(!plist::readFileBytes(fifo, &bytes, &error));
        QVERIFY(error != ENOENT);
        QVERIFY(plist::readFile(fifo).isNone());
        QVERIFY(!plist::readFileBytes(dir.filePath(QStringLiteral("missing")), &bytes, &error));
        QCOMPARE(error, ENOENT);
    }

    // One buffer serves many reads: each leaves exactly its own file's bytes,
    // and a copy taken earlier is not changed by a later read.
    void readingIntoOneBufferShouldGiveEachFileExactly()
    {
        QTemporaryDir dir;
        const QByteArray longer(5000, 'L');
        const QByteArray shorter = "short";
        for (const auto &[name, bytes] : {std::pair {u"long"_s, longer}, std::pair {u"short"_s, shorter}}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        QByteArray buffer;
        QVERIFY(plist::readFileBytes(dir.filePath(u"long"_s), &buffer));
        const QByteArray kept = buffer;
        QVERIFY(plist::readFileBytes(dir.filePath(u"short"_s), &buffer));
        QCOMPARE(buffer, shorter);
        QCOMPARE(kept, longer);
        QVERIFY(plist::readFileBytes(dir.filePath(u"long"_s), &buffer));
        QCOMPARE(buffer, longer);
    }

    void shouldDetectTheFormat_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("value");
        DictionaryPtr d = Dictionary::create();
        d->set(u"k"_s, u"é🔗"_s);
        const int xml = int(Format::Xml), text = int(Format::Text);
        QTest::newRow("binary") << writeBinary(d) << int(Format::Binary) << u"é🔗"_s;
        QTest::newRow("xml") << kXml.toUtf8() << xml << u"é🔗"_s;
        QTest::newRow("xml after a utf-8 bom and space") << "\xEF\xBB\xBF \n"_ba + kXml.toUtf8() << xml << u"é🔗"_s;
        QTest::newRow("xml starting with a comment")
            << "<!-- licence -->\n<plist><dict><key>k</key><string>v</string></dict></plist>"_ba << xml << u"v"_s;
        QTest::newRow("xml starting with a doctype")
            << "<!DOCTYPE plist SYSTEM \"x\"><plist><dict><key>k</key><string>v</string></dict></plist>"_ba << xml
            << u"v"_s;
        QTest::newRow("xml starting with plist")
            << "<plist><dict><key>k</key><string>v</string></dict></plist>"_ba << xml << u"v"_s;
        QTest::newRow("utf-16le xml") << utf16(kXml, false) << xml << u"é🔗"_s;
        QTest::newRow("utf-16be xml declaring utf-8") << utf16(kXml, true) << xml << u"é🔗"_s;
        QTest::newRow("utf-16le xml declaring utf-16")
            << utf16(QString(kXml).replace(u"UTF-8"_s, u"UTF-16"_s), false) << xml << u"é🔗"_s;
        QTest::newRow("text dictionary") << "{ k = v; }"_ba << text << u"v"_s;
        QTest::newRow("strings file") << "\"k\" = \"v\";"_ba << text << u"v"_s;
        QTest::newRow("utf-16 strings file") << utf16(u"\"k\" = \"é🔗\";"_s, true) << text << u"é🔗"_s;
    }

    void shouldDetectTheFormat()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, format);
        QFETCH(QString, value);
        Format detected = Format(-1);
        const Value v = read(bytes, &detected);
        QVERIFY(v.isDictionary());
        QCOMPARE(int(detected), format);
        QCOMPARE(v.toDictionary()->value(u"k").toString(), value);
    }

    void shouldReadTextDataThatStartsWithAnAngleBracket()
    {
        Format detected = Format::Xml;
        const Value v = read("<0fbd>"_ba, &detected);
        QCOMPARE(v.toData(), QByteArray("\x0f\xbd"));
        QCOMPARE(detected, Format::Text);
    }

    void shouldLeaveTheFormatAloneOnFailure()
    {
        Format detected = Format::Binary;
        QVERIFY(read("{ a = "_ba, &detected).isNone());
        QVERIFY(read("bplist00 broken"_ba, &detected).isNone());
        QVERIFY(read("<?xml version=\"1.0\"?><plist><dict>"_ba, &detected).isNone());
        QCOMPARE(detected, Format::Binary);
    }

    void shouldReadFiles()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(u"Info.plist"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kXml.toUtf8());
        file.close();
        Format detected = Format::Text;
        QCOMPARE(readFile(file.fileName(), &detected).toDictionary()->value(u"k").toString(), u"é🔗"_s);
        QCOMPARE(detected, Format::Xml);
    }

    void shouldRefuseMissingFoldersAndHugeFiles()
    {
        QTemporaryDir dir;
        QVERIFY(readFile(dir.filePath(u"missing.plist"_s)).isNone());
        QVERIFY(readFile(dir.path()).isNone());
        QFile huge(dir.filePath(u"huge.strings"_s));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        huge.write("\"k\" = \"v\";\n");
        QVERIFY(huge.resize(64 * 1024 * 1024 + 1)); // sparse: costs no disk space
        huge.close();
        QVERIFY(readFile(huge.fileName()).isNone());
    }
};

QTEST_GUILESS_MAIN(TestPropertyList)
#include "tst_propertylist.moc"
