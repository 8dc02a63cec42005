#include "PlistTestHelpers.h"
#include "plist/PropertyList.h"

#include <QDirIterator>
#include <QFile>
#include <QTest>

#include <cmath>
#include <limits>

using namespace plist;
using namespace plisttest;
using namespace Qt::StringLiterals;

namespace {

QByteArray document(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n"
        + body + "\n</plist>\n";
}

QByteArray nested(int depth)
{
    return document(QByteArray("<array>").repeated(depth) + "<true/>" + QByteArray("</array>").repeated(depth));
}

Value readCorpusFile(const QString &relativePath)
{
    QFile file(corpusFolder() + u'/' + relativePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return readXml(file.readAll());
}

// The corpus folder holds strings files and text plists as well; markup is
// recognised by its first character after white space.
bool looksLikeXml(const QByteArray &bytes)
{
    return bytes.trimmed().startsWith('<');
}

// Follows a path such as "NSServices/0/NSKeyEquivalent/default".
Value valueAtPath(const Value &root, const QString &path)
{
    Value v = root;
    for (const QString &step : path.split(u'/')) {
        if (const ArrayPtr a = v.toArray()) {
            v = a->at(step.toInt());
        } else if (const DictionaryPtr d = v.toDictionary()) {
            v = d->value(step);
        } else {
            return {};
        }
    }
    return v;
}

} // namespace

class TestXmlReader : public QObject {
    Q_OBJECT

private slots:
    void shouldReadWellFormedInput_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<Value>("expected");

        QTest::newRow("dictionary with a string")
            << document("<dict><key>a</key><string>b</string></dict>") << dict({{"a", str("b")}});
        QTest::newRow("old doctype and version 0.9")
            << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE plist SYSTEM "
                          "\"file://localhost/System/Library/DTDs/PropertyList.dtd\">\n"
                          "<plist version=\"0.9\"><string>x</string></plist>")
            << str("x");
        QTest::newRow("Apple Computer doctype")
            << QByteArray("<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
                          "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\"><plist><true/></plist>")
            << Value(true);
        QTest::newRow("no declaration") << QByteArray("<plist><integer>1</integer></plist>") << Value(1);
        QTest::newRow("no plist element") << QByteArray("<dict><key>k</key><false/></dict>") << dict({{"k", false}});
        QTest::newRow("comment before the declaration")
            << QByteArray("<!-- licence -->\n\n<?xml version=\"1.0\"?>\n<plist><array/></plist>") << array({});
        QTest::newRow("comment hiding a dictionary")
            << document("<array><string>a</string>\n<!--<dict><key>x</key></dict>-->\n<string>b</string></array>")
            << array({str("a"), str("b")});
        QTest::newRow("comment between key and value")
            << document("<dict><key>k</key><!-- c --><string>v</string></dict>") << dict({{"k", str("v")}});
        QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbf<plist><string/></plist>") << str("");
        QTest::newRow("empty forms") << document(
            "<array><dict/><dict></dict><dict>\n</dict><array/><array></array><string/>"
            "<string></string><data/><data></data></array>")
                                     << array({dict({}), dict({}), dict({}), array({}), array({}), str(""), str(""),
                                            data(""), data("")});
        QTest::newRow("empty key") << document("<dict><key/><true/></dict>") << dict({{"", true}});
        QTest::newRow("attributes and spaces in tags")
            << document("<string xml:space='preserve' >a</string >") << str("a");
        QTest::newRow("whatever follows the root ignored") << document("<true/>") + "x</dict><plist>" << Value(true);
        QTest::newRow("key order kept") << document("<dict><key>z</key><true/><key>a</key><false/></dict>")
                                        << dict({{"z", true}, {"a", false}});
        QTest::newRow("duplicate key: last value, first place") << document(
            "<dict><key>a</key><integer>1</integer><key>b</key><integer>2</integer>"
            "<key>a</key><integer>3</integer></dict>") << dict({{"a", 3}, {"b", 2}});

        QTest::newRow("decimal integer") << document("<integer>42</integer>") << Value(42);
        QTest::newRow("negative integer") << document("<integer>-17</integer>") << Value(-17);
        QTest::newRow("integer with plus and spaces") << document("<integer> +5\n</integer>") << Value(5);
        QTest::newRow("hex integer") << document("<integer>0x1F</integer>") << Value(31);
        QTest::newRow("negative hex integer") << document("<integer>-0X10</integer>") << Value(-16);
        QTest::newRow("smallest integer")
            << document("<integer>-9223372036854775808</integer>") << Value(std::numeric_limits<qint64>::min());
        QTest::newRow("largest signed integer")
            << document("<integer>9223372036854775807</integer>") << Value(std::numeric_limits<qint64>::max());
        QTest::newRow("largest unsigned integer") << document("<integer>18446744073709551615</integer>")
                                                  << Value::fromUnsigned(std::numeric_limits<quint64>::max());

        QTest::newRow("real") << document("<real>345600</real>") << Value(345600.0);
        QTest::newRow("real with exponent") << document("<real>-1.5E-3</real>") << Value(-0.0015);
        QTest::newRow("real with plus") << document("<real>+2.5e2</real>") << Value(250.0);
        QTest::newRow("real nan") << document("<real>nan</real>") << Value(std::nan(""));
        QTest::newRow("real infinity") << document("<real>+infinity</real>")
                                       << Value(std::numeric_limits<double>::infinity());
        QTest::newRow("real minus inf") << document("<real>-INF</real>")
                                        << Value(-std::numeric_limits<double>::infinity());

        QTest::newRow("booleans") << document("<array><true/><false/><true></true><false> </false></array>")
                                  << array({true, false, true, false});
        QTest::newRow("reference date") << document("<date>2001-01-01T00:00:00Z</date>") << Value(Date {0});
        QTest::newRow("Unix epoch") << document("<date>1970-01-01T00:00:00Z</date>") << Value(Date {-978307200});
        QTest::newRow("leap day") << document("<date>2024-02-29T12:34:56Z</date>") << Value(Date {730902896});
        QTest::newRow("year before 1") << document("<date>-001-12-31T23:59:59Z</date>") << Value(Date {-63145526401.0});
        QTest::newRow("data with white space") << document("<data>\n\tSGVs\n\tbG8=\n</data>") << data("Hello");
        QTest::newRow("data skipping what is not base64") << document("<data>SGVs*bG\xc3\xa9"
                                                                      "8=</data>")
                                                          << data("Hello");
        QTest::newRow("data with an incomplete last group") << document("<data>SGVsbA</data>") << data("Hel");
        QTest::newRow("data with text after padding") << document("<data>SG==SG</data>") << data("H");

        QTest::newRow("predefined entities") << document("<string>&lt;&amp;&gt;&quot;&apos;</string>") << str("<&>\"'");
        QTest::newRow("character references") << document("<string>&#65;&#x20AC;&#x1F600;</string>")
                                              << Value(QStringLiteral("A\u20ac") + QString::fromUcs4(U"\U0001F600"));
        QTest::newRow("references at the edges of the surrogates and of Unicode")
            << document("<string>&#x1;&#xD7FF;&#xE000;&#x10FFFF;</string>")
            << Value(QStringLiteral("\u0001\ud7ff\ue000") + QString::fromUcs4(U"\U0010FFFF"));
        QTest::newRow("longest reference") << document("<string>&#00000000065;</string>") << str("A");
        QTest::newRow("CDATA") << document("<string>a<![CDATA[<b>&amp;]]>c</string>") << str("a<b>&amp;c");
        QTest::newRow("white space kept in strings")
            << document("<string>  a \n\tb\r\n </string>") << str("  a \n\tb\r\n ");
        QTest::newRow("raw control byte") << document("<string>\x1b</string>") << str("\x1b");
        QTest::newRow("non-ASCII text") << document("<string>\xce\xb2 \xc2\xa9 \xe2\x8e\x8b</string>")
                                        << str("\xce\xb2 \xc2\xa9 \xe2\x8e\x8b");
        plist::DictionaryPtr marked = plist::Dictionary::create();
        marked->set(QChar(0xfeff) + QStringLiteral("k"), QChar(0xfeff) + QStringLiteral("v"));
        QTest::newRow("byte-order mark starting a string and a key")
            << document("<dict><key>\xef\xbb\xbfk</key><string>\xef\xbb\xbfv</string></dict>") << Value(marked);
    }

    void shouldReadWellFormedInput()
    {
        QFETCH(QByteArray, xml);
        QFETCH(Value, expected);
        PLIST_COMPARE(readXml(xml), expected);
    }

    // Short ASCII strings share storage; each must still stand alone once
    // the document is gone, and growing one must leave its neighbours be.
    void shouldGiveEveryStringItsOwnLifetimeAndText()
    {
        QByteArray body = "<array>";
        QStringList expected;
        for (int i = 0; i < 200; ++i) {
            const QString text = i % 3 == 0 ? u"caf\u00e9 %1"_s.arg(i) : QString(i % 70, u'x') + QString::number(i);
            expected.append(text);
            body += "<string>" + text.toUtf8() + "</string>";
        }
        body += "<string></string><string/></array>";
        QStringList kept;
        {
            const ArrayPtr a = readXml(document(body)).toArray();
            QVERIFY(a);
            QCOMPARE(a->size(), 202);
            for (qsizetype i = 0; i < 200; ++i)
                kept.append(a->at(i).toString());
            QVERIFY(a->at(200).asString()->isEmpty());
        }
        kept[10].append(u"-changed"_s);
        kept[11].prepend(u'<');
        for (int i = 0; i < 200; ++i) {
            const QString want = i == 10 ? expected[i] + u"-changed"_s : i == 11 ? u'<' + expected[i] : expected[i];
            QCOMPARE(kept[i], want);
        }
    }

    void shouldReadNestingUpToTheDepthLimit()
    {
        Value v = readXml(nested(kMaxDepth));
        for (int i = 0; i < kMaxDepth; ++i) {
            QVERIFY(v.isArray());
            v = v.toArray()->at(0);
        }
        QVERIFY(v.toBoolean());
    }

    void shouldAnswerNoneForBadInput_data()
    {
        QTest::addColumn<QByteArray>("xml");

        QTest::newRow("empty input") << QByteArray();
        QTest::newRow("white space only") << QByteArray(" \n ");
        QTest::newRow("declaration only") << QByteArray("<?xml version=\"1.0\"?>");
        QTest::newRow("text before the root") << QByteArray("x<plist><true/></plist>");
        QTest::newRow("truncated in a string") << document("<string>abc").left(60);
        QTest::newRow("truncated after a dictionary") << QByteArray("<plist><dict></dict>");
        QTest::newRow("truncated in a tag") << QByteArray("<plist><dict");
        QTest::newRow("unbalanced end tag") << document("<array></dict>");
        QTest::newRow("end tag of another element") << document("<string>a</key>");
        QTest::newRow("unknown element") << document("<dict><key>a</key><foo/></dict>");
        QTest::newRow("tag names are case-sensitive") << document("<String>a</String>");
        QTest::newRow("key outside a dictionary") << document("<key>a</key>");
        QTest::newRow("value without a key") << document("<dict><string>a</string></dict>");
        QTest::newRow("key without a value") << document("<dict><key>a</key></dict>");
        QTest::newRow("text inside a dictionary") << document("<dict>x<key>a</key><true/></dict>");
        QTest::newRow("two values in plist") << document("<true/><false/>");
        QTest::newRow("empty plist") << QByteArray("<plist></plist>");
        QTest::newRow("self-closed plist") << QByteArray("<plist/>");
        QTest::newRow("internal DTD subset")
            << QByteArray("<!DOCTYPE plist [<!ENTITY e \"x\">]><plist><string>&e;</string></plist>");
        QTest::newRow("entity declaration") << QByteArray("<!ENTITY e \"x\"><plist><true/></plist>");
        QTest::newRow("undefined entity") << document("<string>&nbsp;</string>");
        QTest::newRow("unterminated reference") << document("<string>&amp</string>");
        QTest::newRow("reference to NUL") << document("<string>&#0;</string>");
        QTest::newRow("reference to a surrogate") << document("<string>&#xD800;</string>");
        QTest::newRow("reference to the last surrogate") << document("<string>&#xDFFF;</string>");
        QTest::newRow("reference one character too long") << document("<string>&#000000000065;</string>");
        QTest::newRow("reference beyond Unicode") << document("<string>&#x110000;</string>");
        QTest::newRow("empty reference") << document("<string>&#x;</string>");
        QTest::newRow("invalid UTF-8") << document("<string>\xff</string>");
        QTest::newRow("overlong UTF-8") << document("<string>\xc0\xaf</string>");
        QTest::newRow("UTF-8 surrogate") << document("<string>\xed\xa0\x80</string>");
        QTest::newRow("element inside a string") << document("<string>a<b/></string>");
        QTest::newRow("integer above 64 bits") << document("<integer>18446744073709551616</integer>");
        QTest::newRow("integer below 64 bits") << document("<integer>-9223372036854775809</integer>");
        QTest::newRow("empty integer") << document("<integer></integer>");
        QTest::newRow("self-closed integer") << document("<integer/>");
        QTest::newRow("integer with a fraction") << document("<integer>1.5</integer>");
        QTest::newRow("bare hex prefix") << document("<integer>0x</integer>");
        QTest::newRow("real that is text") << document("<real>abc</real>");
        QTest::newRow("real with trailing text") << document("<real>1.5kg</real>");
        QTest::newRow("hexadecimal real") << document("<real>0x1p3</real>");
        QTest::newRow("empty real") << document("<real/>");
        QTest::newRow("date without zone") << document("<date>2001-01-01T00:00:00</date>");
        QTest::newRow("date February 30th") << document("<date>2001-02-30T00:00:00Z</date>");
        QTest::newRow("date hour 24") << document("<date>2001-01-01T24:00:00Z</date>");
        QTest::newRow("boolean with content") << document("<true>yes</true>");
        QTest::newRow("unterminated comment") << document("<!-- <true/>");
        QTest::newRow("unterminated CDATA") << document("<string><![CDATA[abc</string>");
        QTest::newRow("unterminated attribute") << document("<string a=\"b>x</string>");
        QTest::newRow("depth one beyond the limit") << nested(kMaxDepth + 1);
        QTest::newRow("very deep nesting") << nested(200000);
    }

    void shouldAnswerNoneForBadInput()
    {
        QFETCH(QByteArray, xml);
        const Value v = readXml(xml);
        QVERIFY2(v.isNone(), qPrintable(dump(v)));
    }

    void shouldReadEveryXmlFileOfTheCorpus()
    {
        if (!QFile::exists(corpusFolder()))
            QSKIP("the corpus of real property lists is not here");
        int files = 0;
        QDirIterator it(corpusFolder(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            if (!looksLikeXml(bytes))
                continue;
            ++files;
            QVERIFY2(readXml(bytes).isDictionary(), qPrintable(file.fileName()));
        }
        QVERIFY(files >= 30);
    }

    void shouldReadCorpusValuesAsTheMacDoes_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("path");
        QTest::addColumn<Value>("expected");

        const QString quicksilver2007
            = QStringLiteral("quicksilver__Quicksilver/Quicksilver__PropertyLists__Quicksilver-Info.plist@c9993d7f");
        const QString quicksilver
            = QStringLiteral("quicksilver__Quicksilver/Quicksilver__PropertyLists__Quicksilver-Info.plist");
        const QString carbonEmacs = QStringLiteral("remacs__remacs/mac__Emacs.app__Contents__Info.plist@62c118f5");

        QTest::newRow("raw ESC key equivalent")
            << quicksilver2007 << QStringLiteral("NSServices/0/NSKeyEquivalent/default") << str("\x1b");
        QTest::newRow("empty key equivalent")
            << quicksilver2007 << QStringLiteral("NSServices/1/NSKeyEquivalent/default") << str("");
        QTest::newRow("escape symbol key equivalent")
            << quicksilver << QStringLiteral("NSServices/0/NSKeyEquivalent/default") << str("\xe2\x8e\x8b");
        QTest::newRow("apostrophe entities") << quicksilver << QStringLiteral("NSCalendarsUsageDescription")
                                             << str("Create events directly from Quicksilver (only used when the "
                                                    "'Calendar' plugin is enabled)");
        QTest::newRow("self-closed dictionary in version 0.9")
            << carbonEmacs << QStringLiteral("NSServices/0/NSKeyEquivalent") << dict({});
        QTest::newRow("self-closed array in version 0.9")
            << carbonEmacs << QStringLiteral("NSServices/0/NSReturnTypes") << array({});
        QTest::newRow("real") << QStringLiteral("scrod__nv/Info.plist") << QStringLiteral("SUScheduledCheckInterval")
                              << Value(345600.0);
        QTest::newRow("integer timeout") << QStringLiteral(
            "sveinbjornt__Platypus/ScriptExec__Resources__ScriptExec-Info.plist")
                                         << QStringLiteral("NSServices/0/NSTimeout") << Value(3000);
        QTest::newRow("multi-line string")
            << QStringLiteral("tempelmann__TextEdit/Info-TextEdit.plist") << QStringLiteral("NSHumanReadableCopyright")
            << str("Copyright \xc2\xa9 1995-2013, Apple Inc.\nAll rights reserved.");
        QTest::newRow("comment before the declaration")
            << QStringLiteral("remacs__remacs/mac__Emacs.app__Contents__Info.plist@3187ea63")
            << QStringLiteral("CFBundleDevelopmentRegion") << str("English");
    }

    void shouldReadCorpusValuesAsTheMacDoes()
    {
        if (!QFile::exists(corpusFolder()))
            QSKIP("the corpus of real property lists is not here");
        QFETCH(QString, file);
        QFETCH(QString, path);
        QFETCH(Value, expected);
        PLIST_COMPARE(valueAtPath(readCorpusFile(file), path), expected);
    }

    void shouldReadCommentBeforeTheDeclaration()
    {
        if (!QFile::exists(corpusFolder()))
            QSKIP("the corpus of real property lists is not here");
        const Value v = readCorpusFile(QStringLiteral("remacs__remacs/mac__Emacs.app__Contents__Info.plist@3187ea63"));
        QVERIFY(v.isDictionary());
        QCOMPARE(v.toDictionary()->value(u"CFBundleDevelopmentRegion").toString(), QStringLiteral("English"));
        QCOMPARE(v.toDictionary()->value(u"NSServices").toArray()->size(), 4);
    }

    void shouldSkipTheCommentedOutDictionary()
    {
        if (!QFile::exists(corpusFolder()))
            QSKIP("the corpus of real property lists is not here");
        const Value v = readCorpusFile(QStringLiteral("macvim-dev__macvim/src__MacVim__Info.plist"));
        const ArrayPtr types = v.toDictionary()->value(u"CFBundleDocumentTypes").toArray();
        QVERIFY(types);
        for (const Value &type : *types)
            QVERIFY(type.toDictionary()->value(u"CFBundleTypeName").toString() != u"Property list");
        QCOMPARE(v.toDictionary()->value(u"NSServices").toArray()->size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestXmlReader)
#include "tst_xmlreader.moc"
