#include "plist/PropertyList.h"

#include <QStringEncoder>
#include <QTest>

using namespace plist;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(plist::Value)

namespace {

Value dict(std::initializer_list<std::pair<QString, Value>> entries)
{
    DictionaryPtr d = Dictionary::create();
    for (const auto &[k, v] : entries)
        d->set(k, v);
    return d;
}

Value array(std::initializer_list<Value> items)
{
    return Array::create(std::vector<Value>(items));
}

QByteArray utf16(const QString &s, bool bigEndian, bool bom)
{
    QStringEncoder encoder(bigEndian ? QStringEncoder::Utf16BE : QStringEncoder::Utf16LE,
        bom ? QStringEncoder::Flag::WriteBom : QStringEncoder::Flag::Default);
    return encoder.encode(s);
}

} // namespace

class TestTextReader : public QObject {
    Q_OBJECT

private slots:
    void shouldReadAsCoreFoundationReads_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Value>("expected");

        QTest::newRow("dictionary") << "{ NSMenuItem = { default = Foo; }; NSPortName = Bar; }"_ba
                                    << dict({{u"NSMenuItem"_s, dict({{u"default"_s, u"Foo"_s}})},
                                           {u"NSPortName"_s, u"Bar"_s}});
        QTest::newRow("array with trailing comma") << "( a, \"b c\", )"_ba << array({u"a"_s, u"b c"_s});
        QTest::newRow("empty containers")
            << "{ a = (); b = {}; c = <>; }"_ba
            << dict({{u"a"_s, array({})}, {u"b"_s, dict({})}, {u"c"_s, Value::fromData({})}});
        QTest::newRow("data with spaces")
            << "<0fbd 7777\n AB>"_ba << Value::fromData(QByteArray("\x0f\xbd\x77\x77\xab", 5));
        QTest::newRow("unquoted characters") << "{ k = $a_b/c:d.e-f9; }"_ba << dict({{u"k"_s, u"$a_b/c:d.e-f9"_s}});
        QTest::newRow("single quotes") << "{ 'k' = 'it\"s'; }"_ba << dict({{u"k"_s, u"it\"s"_s}});
        QTest::newRow("c escapes") << "\"\\n\\t\\\"\\\\\\a\\b\\f\\r\\v\\'\\q\""_ba << Value(u"\n\t\"\\\a\b\f\r\v'q"_s);
        QTest::newRow("octal escapes") << "\"\\101\\0610\\351\""_ba << Value(u"A10\u00D8"_s);
        QTest::newRow("unicode escapes") << "\"\\U00e9\\UD83D\\UDD17\\U41\""_ba << Value(u"é🔗A"_s);
        QTest::newRow("escaped newline") << "\"a\\\nb\""_ba << Value(u"a\nb"_s);
        QTest::newRow("multi-line value") << "\"one\ntwo\""_ba << Value(u"one\ntwo"_s);
        QTest::newRow("comments") << "// head\n{ /* a */ k /**/ = // x\n v; } // tail"_ba << dict({{u"k"_s, u"v"_s}});
        QTest::newRow("unterminated block comment at the end") << "{ k = v; } /* open"_ba << dict({{u"k"_s, u"v"_s}});
        QTest::newRow("only space and comments is an empty dictionary") << " // nothing\n /* here */ "_ba << dict({});
        QTest::newRow("lone string") << "hello"_ba << Value(u"hello"_s);
        QTest::newRow("lone slash is a string") << "/"_ba << Value(u"/"_s);
        QTest::newRow("key without value means itself")
            << "{ a; b = c; }"_ba << dict({{u"a"_s, u"a"_s}, {u"b"_s, u"c"_s}});
        QTest::newRow("duplicate key keeps the last value") << "{ a = 1; a = 2; }"_ba << dict({{u"a"_s, u"2"_s}});
        QTest::newRow("numbers stay strings") << "( 1, 2.5, YES )"_ba << array({u"1"_s, u"2.5"_s, u"YES"_s});

        QTest::newRow("strings file") << "/* c */\n\"a\" = \"x\";\n\"b\"=\"y\";\nc = \"z\";\n"_ba
                                      << dict({{u"a"_s, u"x"_s}, {u"b"_s, u"y"_s}, {u"c"_s, u"z"_s}});
        QTest::newRow("strings file shortcut")
            << "\"Open\";\n\"Close\" = \"Fermer\";"_ba << dict({{u"Open"_s, u"Open"_s}, {u"Close"_s, u"Fermer"_s}});
        QTest::newRow("strings file ends at text that is no key") << "\"a\" = \"b\"; }"_ba << dict({{u"a"_s, u"b"_s}});
        QTest::newRow("utf-8 with bom") << "\xEF\xBB\xBF\"k\" = \"\xC3\xA9\";"_ba << dict({{u"k"_s, u"é"_s}});
        QTest::newRow("only the first byte-order mark is dropped")
            << "\xEF\xBB\xBF\"\xEF\xBB\xBFk\" = v;"_ba << dict({{u"\uFEFFk"_s, u"v"_s}});
        QTest::newRow("utf-16le with bom") << utf16(u"\"k\" = \"é🔗\";"_s, false, true) << dict({{u"k"_s, u"é🔗"_s}});
        QTest::newRow("utf-16be with bom") << utf16(u"\"k\" = \"é\";"_s, true, true) << dict({{u"k"_s, u"é"_s}});
        QTest::newRow("utf-16le without bom") << utf16(u"\"k\" = \"é\";"_s, false, false) << dict({{u"k"_s, u"é"_s}});
        QTest::newRow("utf-16be without bom") << utf16(u"{ k = \"é\"; }"_s, true, false) << dict({{u"k"_s, u"é"_s}});
    }

    void shouldReadAsCoreFoundationReads()
    {
        QFETCH(QByteArray, text);
        QFETCH(Value, expected);
        const Value v = readText(text);
        QVERIFY2(contentEquals(v, expected), qPrintable(describe(v)));
        if (const DictionaryPtr d = expected.toDictionary())
            QCOMPARE(v.toDictionary()->keys(), d->keys());
    }

    void shouldRefuseInvalidText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("missing semicolon") << "{ a = b }"_ba;
        QTest::newRow("missing value") << "{ a = ; }"_ba;
        QTest::newRow("missing brace") << "{ a = b;"_ba;
        QTest::newRow("missing parenthesis") << "( a, b"_ba;
        QTest::newRow("comma without item") << "( , )"_ba;
        QTest::newRow("unterminated string") << "{ a = \"b; }"_ba;
        QTest::newRow("backslash at the end") << "\"abc\\"_ba;
        QTest::newRow("odd hex digits") << "<abc>"_ba;
        QTest::newRow("bad hex digit") << "<zz>"_ba;
        QTest::newRow("unterminated data") << "<ab"_ba;
        QTest::newRow("junk after a dictionary") << "{ a = b; } c"_ba;
        QTest::newRow("junk after an array") << "( a ) b"_ba;
        QTest::newRow("strings file missing its last semicolon") << "\"a\" = \"b\";\n\"c\" = \"d\""_ba;
        QTest::newRow("strings file with a bad value") << "\"a\" = ;"_ba;
        QTest::newRow("invalid utf-8") << "{ a = \"\xC3\x28\"; }"_ba;
        QTest::newRow("unexpected character") << "@"_ba;
        QTest::newRow("non-string key") << "{ (a) = b; }"_ba;
        QTest::newRow("nesting too deep") << QByteArray(kMaxDepth + 2, '(') + QByteArray(kMaxDepth + 2, ')');
        QTest::newRow("nesting far too deep") << QByteArray(1000000, '{');
    }

    void shouldRefuseInvalidText()
    {
        QFETCH(QByteArray, text);
        QVERIFY(readText(text).isNone());
    }

    void shouldAcceptNestingUpToTheLimit()
    {
        const QByteArray ok = QByteArray(kMaxDepth + 1, '(') + QByteArray(kMaxDepth + 1, ')');
        QVERIFY(readText(ok).isArray());
    }

    void shouldKeepUnpairedSurrogatesFromUtf16()
    {
        const QByteArray bytes("\xFF\xFE\"\0\x3D\xD8\"\0", 8);
        const Value v = readText(bytes);
        QCOMPARE(v.toString().size(), 1);
        QCOMPARE(v.toString().at(0).unicode(), char16_t(0xD83D));
    }
};

QTEST_GUILESS_MAIN(TestTextReader)
#include "tst_textreader.moc"
