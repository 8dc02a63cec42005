#include "plist/PropertyList.h"

#include <QTest>

using namespace plist;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(plist::Value)

class TestDescription : public QObject {
    Q_OBJECT

private slots:
    void shouldPrintNestedDictionariesAsTheMacLogsThem()
    {
        DictionaryPtr item = Dictionary::create();
        item->set(u"default"_s, u"Foo"_s);
        DictionaryPtr d = Dictionary::create();
        d->set(u"NSPortName"_s, u"Bar"_s);
        d->set(u"NSMenuItem"_s, item);
        QCOMPARE(describe(d), u"{\n    NSMenuItem =     {\n        default = Foo;\n    };\n    NSPortName = Bar;\n}"_s);
    }

    void shouldPrintArraysWithCommasBetweenItems()
    {
        DictionaryPtr entry = Dictionary::create();
        entry->set(u"k"_s, 1);
        const Value a = Array::create({Value(u"a"_s), Value(entry), Value(Array::create())});
        QCOMPARE(describe(a), u"(\n    a,\n        {\n        k = 1;\n    },\n        (\n    )\n)"_s);
    }

    void shouldQuoteStringsThatNeedIt_data()
    {
        QTest::addColumn<QString>("string");
        QTest::addColumn<QString>("printed");
        QTest::newRow("plain") << u"NSString_Pboard$Type9"_s << u"NSString_Pboard$Type9"_s;
        QTest::newRow("bundle identifier") << u"com.apple.Safari"_s << u"\"com.apple.Safari\""_s;
        QTest::newRow("version") << u"1.0"_s << u"\"1.0\""_s;
        QTest::newRow("slashes that would start a comment") << u"//x"_s << u"\"//x\""_s;
        QTest::newRow("empty") << QString() << u"\"\""_s;
        QTest::newRow("space") << u"Open File"_s << u"\"Open File\""_s;
        QTest::newRow("quote and backslash") << u"a\"b\\c"_s << u"\"a\\\"b\\\\c\""_s;
        QTest::newRow("newline and tab") << u"a\nb\tc"_s << u"\"a\\nb\\tc\""_s;
        QTest::newRow("non-ascii") << u"é🔗"_s << u"\"\\U00e9\\Ud83d\\Udd17\""_s;
        QTest::newRow("control character") << u"\x1b"_s << u"\"\\U001b\""_s;
    }

    void shouldQuoteStringsThatNeedIt()
    {
        QFETCH(QString, string);
        QFETCH(QString, printed);
        const Value a = Array::create({Value(string)});
        QCOMPARE(describe(a), u"(\n    "_s + printed + u"\n)"_s);
    }

    void shouldPrintScalarsPlainly_data()
    {
        QTest::addColumn<Value>("value");
        QTest::addColumn<QString>("printed");
        QTest::newRow("true") << Value(true) << u"1"_s;
        QTest::newRow("false") << Value(false) << u"0"_s;
        QTest::newRow("negative") << Value(-42) << u"-42"_s;
        QTest::newRow("unsigned") << Value::fromUnsigned(18446744073709551615ULL) << u"18446744073709551615"_s;
        QTest::newRow("real") << Value(0.1) << u"0.1"_s;
        QTest::newRow("negative zero") << Value(-0.0) << u"-0"_s;
        QTest::newRow("data") << Value::fromData(QByteArray("\x0f\xbd\x77\x77\x01", 5)) << u"<0fbd7777 01>"_s;
        QTest::newRow("date") << Value(Date {0}) << u"2001-01-01 00:00:00 +0000"_s;
        QTest::newRow("string on its own is bare") << Value(u"a b"_s) << u"a b"_s;
    }

    void shouldPrintScalarsPlainly()
    {
        QFETCH(Value, value);
        QFETCH(QString, printed);
        QCOMPARE(describe(value), printed);
    }

    void shouldSortKeys()
    {
        DictionaryPtr d = Dictionary::create();
        d->set(u"b"_s, 1);
        d->set(u"a"_s, 2);
        QCOMPARE(describe(d), u"{\n    a = 2;\n    b = 1;\n}"_s);
    }

    void shouldElideAContainerInsideItself()
    {
        ArrayPtr a = Array::create();
        a->append(u"x"_s);
        a->append(a);
        const QString text = describe(a);
        a->clear(); // break the cycle so the array can be freed
        QCOMPARE(text, u"(\n    x,\n        ...\n)"_s);
    }
};

QTEST_GUILESS_MAIN(TestDescription)
#include "tst_description.moc"
