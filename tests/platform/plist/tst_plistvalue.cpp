#include "plist/PlistValue.h"

#include <QTest>

#include <limits>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace plist;
using namespace Qt::StringLiterals;

class TestPlistValue : public QObject {
    Q_OBJECT

private slots:
    void dictionaryShouldKeepKeyOrderAndReplaceInPlace()
    {
        DictionaryPtr d = Dictionary::create();
        d->set(u"b"_s, 1);
        d->set(u"a"_s, 2);
        d->set(u"c"_s, 3);
        d->set(u"a"_s, 20);
        QCOMPARE(d->keys(), (QStringList {u"b"_s, u"a"_s, u"c"_s}));
        QCOMPARE(d->value(u"a").toInteger(), 20);
        QVERIFY(d->remove(u"b"));
        QVERIFY(!d->remove(u"b"));
        QCOMPARE(d->keys(), (QStringList {u"a"_s, u"c"_s}));
        QVERIFY(d->value(u"missing").isNone());
    }

    void largeDictionaryShouldStayConsistentThroughRemovals()
    {
        DictionaryPtr d = Dictionary::create();
        for (int i = 0; i < 100; ++i)
            d->set(QString::number(i), i);
        for (int i = 0; i < 100; i += 3)
            QVERIFY(d->remove(QString::number(i)));
        d->set(u"50"_s, -1);
        d->set(u"new"_s, 7);
        for (int i = 0; i < 100; ++i) {
            const Value &v = d->value(QString::number(i));
            if (i % 3 == 0)
                QVERIFY(v.isNone());
            else
                QCOMPARE(v.toInteger(), i == 50 ? -1 : i);
        }
        QCOMPARE(d->keys().last(), u"new"_s);
    }

    void largeDictionaryShouldFindKeysAppendedUnchecked()
    {
        DictionaryPtr d = Dictionary::create();
        for (int i = 0; i < 40; ++i)
            d->appendUnchecked(QString::number(i), i);
        QCOMPARE(d->value(u"39").toInteger(), 39); // builds the index
        d->appendUnchecked(u"new"_s, 7);
        d->set(u"new"_s, 8);
        QCOMPARE(d->size(), 41);
        QCOMPARE(d->value(u"new").toInteger(), 8);
        QCOMPARE(d->value(u"0").toInteger(), 0);
    }

    // The index is kept up to date while the dictionary grows well past its
    // first size, whichever way keys are added.
    void largeDictionaryShouldFindEveryKeyWhileGrowing()
    {
        DictionaryPtr d = Dictionary::create();
        for (int i = 0; i < 1000; ++i) {
            if (i % 2 == 0)
                d->set(u"key %1"_s.arg(i), i);
            else
                d->appendUnchecked(u"key %1"_s.arg(i), i);
            if (i > 16 && i % 7 == 0) {
                QCOMPARE(d->value(u"key %1"_s.arg(i)).toInteger(), i);
                QVERIFY(!d->contains(u"key %1"_s.arg(i + 1)));
            }
        }
        for (int i = 0; i < 1000; ++i)
            QCOMPARE(d->value(u"key %1"_s.arg(i)).toInteger(), i);
        QVERIFY(d->remove(u"key 500"_s));
        QVERIFY(!d->contains(u"key 500"_s));
        QCOMPARE(d->value(u"key 999"_s).toInteger(), 999);
    }

    void containersShouldBeSharedByReference()
    {
        DictionaryPtr entry = Dictionary::create();
        ArrayPtr list = Array::create();
        list->append(entry);
        entry->set(u"k"_s, true);
        QVERIFY(list->at(0).toDictionary()->value(u"k").toBoolean());
        QVERIFY(list->at(0).isSameObject(Value(entry)));

        DictionaryPtr twin = Dictionary::create();
        twin->set(u"k"_s, true);
        QVERIFY(contentEquals(Value(twin), Value(entry)));
        QVERIFY(!Value(twin).isSameObject(Value(entry)));
        QCOMPARE(list->indexOfObject(Value(twin)), -1);
        QCOMPARE(list->indexOfObject(Value(entry)), 0);
    }

    void integersShouldKeepEverySixtyFourBitValue()
    {
        const Value big = Value::fromUnsigned(std::numeric_limits<quint64>::max());
        QVERIFY(big.isInteger());
        QVERIFY(big.isUnsignedInteger());
        QCOMPARE(big.toUnsigned(), std::numeric_limits<quint64>::max());
        QVERIFY(!contentEquals(big, Value(qint64(-1))));

        const Value small = Value::fromUnsigned(5);
        QVERIFY(!small.isUnsignedInteger());
        QVERIFY(contentEquals(small, Value(5)));
        QVERIFY(contentEquals(Value(std::numeric_limits<qint64>::min()), Value(std::numeric_limits<qint64>::min())));
    }

    void contentEqualsShouldTellTypesApart()
    {
        QVERIFY(!contentEquals(Value(1), Value(1.0)));
        QVERIFY(!contentEquals(Value(true), Value(1)));
        QVERIFY(!contentEquals(Value(u"x"_s), Value::fromData(QByteArrayLiteral("x"))));
        QVERIFY(contentEquals(Value(std::nan("")), Value(std::nan(""))));
        QVERIFY(contentEquals(Value(), Value()));
    }

    void dictionariesShouldCompareRegardlessOfKeyOrder()
    {
        DictionaryPtr a = Dictionary::create(), b = Dictionary::create();
        a->set(u"x"_s, 1);
        a->set(u"y"_s, 2);
        b->set(u"y"_s, 2);
        b->set(u"x"_s, 1);
        QVERIFY(contentEquals(Value(a), Value(b)));
        b->set(u"x"_s, 3);
        QVERIFY(!contentEquals(Value(a), Value(b)));
    }

    void deepCopyShouldShareNothing()
    {
        DictionaryPtr inner = Dictionary::create();
        inner->set(u"default"_s, u"Title"_s);
        DictionaryPtr entry = Dictionary::create();
        entry->set(u"NSMenuItem"_s, inner);
        entry->set(u"when"_s, Date {12.5});
        ArrayPtr list = Array::create();
        list->append(entry);

        const Value copy = deepCopy(list);
        QVERIFY(contentEquals(copy, Value(list)));
        DictionaryPtr copiedEntry = copy.toArray()->at(0).toDictionary();
        QVERIFY(copiedEntry != entry);
        QVERIFY(copiedEntry->value(u"NSMenuItem").toDictionary() != inner);
        copiedEntry->value(u"NSMenuItem").toDictionary()->set(u"default"_s, u"Other"_s);
        QCOMPARE(inner->value(u"default").toString(), u"Title"_s);
    }

    void deepCopyShouldRefuseCyclesAndNones()
    {
        ArrayPtr a = Array::create();
        a->append(a); // a cycle only a program can build
        QVERIFY(deepCopy(a).isNone());
        QVERIFY(!contentEquals(Value(a), deepCopy(a)));
        a->clear(); // break the cycle so the array is freed

        DictionaryPtr d = Dictionary::create();
        d->set(u"hole"_s, Value());
        QVERIFY(deepCopy(d).isNone());
    }

    void datesShouldConvertAroundTheReferenceDate()
    {
        const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
        QCOMPARE(Date {0}.toDateTime(), reference);
        QCOMPARE(Date {-86400}.toDateTime(), reference.addDays(-1));
        QCOMPARE(Date::fromDateTime(reference.addSecs(90)).secondsSinceReferenceDate, 90.0);
        QVERIFY(!Date {1e300}.toDateTime().isValid());
    }

    void typedAccessShouldAnswerEmptyForOtherTypes()
    {
        const Value s(u"text"_s);
        QVERIFY(s.asString());
        QVERIFY(!s.toDictionary());
        QVERIFY(!s.toArray());
        QCOMPARE(s.toInteger(), 0);
        QVERIFY(!Value(1).asString());
        QCOMPARE(Value(2.9).toInteger(), 2);
        QVERIFY(Value(DictionaryPtr()).isNone());
    }

    // A reader that misjudged its keys as distinct would leave a dictionary
    // answering for only one of two equal keys; checked builds stop there.
    void appendingAPresentKeyShouldStopACheckedBuild()
    {
#ifndef VELMORA_CHECKED
        QSKIP("only checked builds (debug, sanitizers) verify appendUnchecked");
#else
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(STDERR_FILENO);
            plist::Dictionary d;
            d.appendUnchecked(QStringLiteral("k"), plist::Value(1));
            d.appendUnchecked(QStringLiteral("k"), plist::Value(2));
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT);
#endif
    }
};

QTEST_APPLESS_MAIN(TestPlistValue)
#include "tst_plistvalue.moc"
