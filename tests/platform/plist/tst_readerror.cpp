// A failed read says what was wrong and where: the message, the line of a
// text format and the byte offset in the bytes given.

#include "BplistBuilder.h"

#include "plist/PropertyList.h"

#include <QStringEncoder>
#include <QTest>

using namespace Qt::StringLiterals;
using plisttest::Bplist;
using plisttest::obj;

namespace {

QByteArray utf16le(const QString &text)
{
    QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    return encoder.encode(text);
}

} // namespace

class tst_ReadError : public QObject {
    Q_OBJECT

private slots:
    void shouldSayWhatAndWhere_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::addColumn<qsizetype>("offset");

        // XML
        QTest::newRow("unknown tag") << "<plist><dict>\n<key>a</key>\n<strin>x</strin></dict></plist>"_ba
                                     << u"Encountered unknown tag strin at line 3"_s << qsizetype(27);
        QTest::newRow("value missing") << "<plist><dict><key>a</key>\n</dict></plist>"_ba
                                       << u"Value missing for key inside <dict> at line 2"_s << qsizetype(26);
        QTest::newRow("non-key in dict") << "<plist><dict><string>a</string></dict></plist>"_ba
                                         << u"Found non-key inside <dict> at line 1"_s << qsizetype(13);
        QTest::newRow("close tag mismatch")
            << "<plist><array>\n<string>a</array></plist>"_ba
            << u"Close tag does not match open tag <string> at line 2"_s << qsizetype(24);
        QTest::newRow("bad integer") << "<plist>\r\n<integer>12x</integer></plist>"_ba
                                     << u"Could not interpret <integer> at line 2"_s << qsizetype(18);
        QTest::newRow("unknown entity") << "<plist><string>a &bogus; b</string></plist>"_ba
                                        << u"Unknown ampersand-escape sequence at line 1"_s << qsizetype(17);
        QTest::newRow("xml cut short") << "<plist><dict><key>a</key><string>abc"_ba
                                       << u"Encountered unexpected EOF at line 1"_s << qsizetype(-2);
        QTest::newRow("invalid utf-8") << "<plist>\n<string>a\xff</string></plist>"_ba
                                       << u"Encountered an invalid UTF-8 sequence at line 2"_s << qsizetype(17);
        QTest::newRow("two values") << "<plist><string>a</string><string>b</string></plist>"_ba
                                    << u"Encountered unexpected element (plist can only include one object) at line 1"_s
                                    << qsizetype(25);
        QTest::newRow("utf-8 mark counted")
            << "\xEF\xBB\xBF<plist><foo/></plist>"_ba << u"Encountered unknown tag foo at line 1"_s << qsizetype(10);
        QTest::newRow("utf-16 xml") << utf16le(u"<plist>\n<foo/></plist>"_s)
                                    << u"Encountered unknown tag foo at line 2"_s << qsizetype(2 + 2 * 8);

        // Old-style text
        QTest::newRow("array not closed") << "{\n a = 1;\n b = 2;\n c = 3;\n d = 4;\n e = 5;\n f = (x, y\n}"_ba
                                          << u"Expected terminating ')' for array at line 7"_s << qsizetype(47);
        QTest::newRow("string not closed")
            << "{ a = \"abc; }"_ba << u"Unexpected EOF while parsing string at line 1"_s << qsizetype(6);
        QTest::newRow("missing semicolon") << "{ a = b }"_ba << u"Missing ';' at line 1"_s << qsizetype(8);
        QTest::newRow("junk after") << "(a) b"_ba << u"Junk after plist at line 1"_s << qsizetype(4);
        QTest::newRow("odd data") << "<0fa>"_ba << u"Malformed data byte group; uneven length at line 1"_s
                                  << qsizetype(3);
        QTest::newRow("utf-16 strings") << utf16le(u"\"a\" = \"b\";\n\"c\" = ;"_s)
                                        << u"Unexpected character ';' at line 2"_s << qsizetype(2 + 2 * 17);
        QTest::newRow("non-ascii before fault") << "{ \"é\" = x }"_ba << u"Missing ';' at line 1"_s << qsizetype(11);
        // Once taken for the end of the list, and the list read as complete.
        QTest::newRow("unclosed dict in array")
            << "(a, {)"_ba << u"Expected terminating '}' for dictionary at line 1"_s << qsizetype(4);
        QTest::newRow("strings file cut in a key")
            << "\"a\" = \"b\";\n\"c"_ba << u"Unexpected EOF while parsing string at line 2"_s << qsizetype(11);

        // Binary
        QTest::newRow("too short") << "bplist00\x01\x02"_ba
                                   << u"Too short for a binary property list at byte offset 10"_s << qsizetype(10);
        QTest::newRow("reference out of range") << Bplist({obj({0xA1, 0x05})}).bytes()
                                                << u"Object reference out of range at byte offset 9"_s << qsizetype(9);
        QTest::newRow("key not a string") << Bplist({obj({0xD1, 0x01, 0x02}), obj({0x10, 5}), obj({0x10, 6})}).bytes()
                                          << u"Dictionary key is not a string at byte offset 11"_s << qsizetype(11);
        QTest::newRow("unknown marker") << Bplist({obj({0xA1, 0x01}), obj({0x70})}).bytes()
                                        << u"Unknown object type 0x70 at byte offset 10"_s << qsizetype(10);
        QTest::newRow("cycle") << Bplist({obj({0xA1, 0x00})}).bytes() << u"Container contains itself at byte offset 8"_s
                               << qsizetype(8);
        QTest::newRow("integer cut short") << Bplist({obj({0xA1, 0x01}), obj({0x13, 0x00})}).bytes()
                                           << u"Malformed integer object at byte offset 10"_s << qsizetype(10);
        Bplist badTrailer({obj({0x08})});
        badTrailer.refSize = 0;
        QTest::newRow("bad trailer") << badTrailer.bytes()
                                     << u"Invalid trailer: offset or reference size out of range at byte offset 10"_s
                                     << qsizetype(10);
    }

    // An offset of -2 means "anywhere": the message alone is checked.
    void shouldSayWhatAndWhere()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QFETCH(qsizetype, offset);
        plist::ReadError error;
        QVERIFY(plist::read(bytes, nullptr, &error).isNone());
        QCOMPARE(error.message, message);
        if (offset != -2)
            QCOMPARE(error.offset, offset);
        // Readers without the out-parameter fail just the same.
        QVERIFY(plist::read(bytes).isNone());
    }

    void successShouldLeaveTheErrorAlone()
    {
        plist::ReadError error {u"untouched"_s, 7, 3};
        for (const QByteArray &bytes : {"<plist><true/></plist>"_ba, "{ a = b; }"_ba, "\"k\" = \"v\";"_ba})
            QVERIFY(!plist::read(bytes, nullptr, &error).isNone());
        QCOMPARE(error.message, u"untouched"_s);
        QCOMPARE(error.offset, qsizetype(7));
    }
};

QTEST_GUILESS_MAIN(tst_ReadError)
#include "tst_readerror.moc"
