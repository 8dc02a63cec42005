#include "util/VelDeepCopy.h"
#include "util/VelDictionaryUtilities.h"

#include <QTest>

using namespace Qt::StringLiterals;
using plist::Array;
using plist::Dictionary;
using plist::Value;

namespace {

plist::DictionaryPtr entryNamed(const QString &name)
{
    plist::DictionaryPtr entry = Dictionary::create();
    entry->set(u"NSMessage"_s, name);
    return entry;
}

} // namespace

class TestVelDictionaryUtilities : public QObject {
    Q_OBJECT

private slots:
    void boolForKeyShouldApplyTheTruthTest()
    {
        plist::DictionaryPtr d = Dictionary::create();
        d->set(u"yes"_s, u"YES"_s);
        d->set(u"one"_s, 1);
        d->set(u"no"_s, u"NO"_s);
        d->set(u"array"_s, Array::create());
        QVERIFY(boolForKey(d, u"yes"));
        QVERIFY(boolForKey(d, u"one"));
        QVERIFY(!boolForKey(d, u"no"));
        QVERIFY(!boolForKey(d, u"array"));
        QVERIFY(!boolForKey(d, u"absent"));
        QVERIFY(!boolForKey(nullptr, u"yes"));
    }

    void setBoolForKeyShouldStoreABooleanInPlace()
    {
        plist::DictionaryPtr d = Dictionary::create();
        d->set(u"a"_s, u"text"_s);
        d->set(u"b"_s, 2);
        setBoolForKey(d, false, u"a"_s);
        QVERIFY(d->value(u"a").isBoolean());
        QVERIFY(!d->value(u"a").toBoolean());
        QCOMPARE(d->keys(), (QStringList {u"a"_s, u"b"_s}));
        setBoolForKey(d, true, u"c"_s);
        QVERIFY(d->value(u"c").toBoolean());
    }

    void tryToRemoveObjectForKeyShouldIgnoreAbsentKeys()
    {
        plist::DictionaryPtr d = Dictionary::create();
        d->set(u"a"_s, 1);
        tryToRemoveObjectForKey(d, u"missing");
        QCOMPARE(d->size(), 1);
        tryToRemoveObjectForKey(d, u"a");
        QVERIFY(d->isEmpty());
        tryToRemoveObjectForKey(nullptr, u"a");
    }

    void dictionaryWithStringForKeyShouldAnswerTheFirstExactMatch()
    {
        plist::ArrayPtr list = Array::create();
        list->append(u"not a dictionary"_s);
        list->append(Dictionary::create());
        plist::DictionaryPtr numeric = Dictionary::create();
        numeric->set(u"NSMessage"_s, 5);
        list->append(numeric);
        const plist::DictionaryPtr lower = entryNamed(u"sign"_s);
        const plist::DictionaryPtr first = entryNamed(u"Sign"_s);
        const plist::DictionaryPtr twin = entryNamed(u"Sign"_s);
        list->append(lower);
        list->append(first);
        list->append(twin);
        QCOMPARE(dictionaryWithStringForKey(list, u"Sign"_s, u"NSMessage"), first);
        QCOMPARE(dictionaryWithStringForKey(list, u"sign"_s, u"NSMessage"), lower);
        QCOMPARE(dictionaryWithStringForKey(list, u"SIGN"_s, u"NSMessage"), nullptr);
        QCOMPARE(dictionaryWithStringForKey(list, u"5"_s, u"NSMessage"), nullptr);
        QCOMPARE(dictionaryWithStringForKey(nullptr, u"Sign"_s, u"NSMessage"), nullptr);
    }

    void deepMutableCopyShouldShareNothingWithTheSource()
    {
        plist::DictionaryPtr item = Dictionary::create();
        item->set(u"default"_s, u"Text/Word Count"_s);
        plist::DictionaryPtr entry = Dictionary::create();
        entry->set(u"NSMenuItem"_s, item);
        plist::ArrayPtr types = Array::create({Value(u"NSStringPboardType"_s)});
        entry->set(u"NSSendTypes"_s, types);

        const plist::DictionaryPtr copy = deepMutableCopy(entry);
        QVERIFY(copy);
        QVERIFY(copy != entry);
        QVERIFY(plist::contentEquals(Value(copy), Value(entry)));
        copy->value(u"NSMenuItem").toDictionary()->set(u"default"_s, u"Changed"_s);
        copy->value(u"NSSendTypes").toArray()->append(u"more"_s);
        QCOMPARE(item->value(u"default").toString(), u"Text/Word Count"_s);
        QCOMPARE(types->size(), 1);
    }

    void deepMutableCopyShouldFailOnWhatAPropertyListCannotHold()
    {
        plist::DictionaryPtr withNone = Dictionary::create();
        withNone->set(u"x"_s, Value());
        QCOMPARE(deepMutableCopy(withNone), nullptr);

        plist::ArrayPtr cyclic = Array::create();
        cyclic->append(cyclic);
        QCOMPARE(deepMutableCopy(cyclic), nullptr);
        cyclic->clear(); // break the cycle so the array is freed
        QCOMPARE(deepMutableCopy(plist::ArrayPtr()), nullptr);
    }
};

QTEST_GUILESS_MAIN(TestVelDictionaryUtilities)
#include "tst_veldictionaryutilities.moc"
