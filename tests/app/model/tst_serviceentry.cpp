#include "VelTestVolume.h"

#include <model/VelServiceCatalogue.h>
#include <model/VelServiceEntry.h>
#include <model/VelServiceKeys.h>

#include <log/VelLog.h>
#include <plist/PropertyList.h>

#include <QTest>

using namespace Qt::StringLiterals;
using plist::DictionaryPtr;

namespace {

DictionaryPtr dictionaryWithDefault(const QString &value)
{
    DictionaryPtr d = plist::Dictionary::create();
    d->set(u"default"_s, value);
    return d;
}

} // namespace

class TestServiceEntry : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { VelServiceCatalogue::shared().setApplications({}); }

    void titleShouldComeFromTheFirstMenuItemSpellingPresent()
    {
        DictionaryPtr e = plist::Dictionary::create();
        QCOMPARE(serviceMenuItemTitle(e), std::nullopt);
        e->set(u"nsmenuitem"_s, dictionaryWithDefault(u"A/B"_s));
        QCOMPARE(serviceMenuItemTitle(e), u"A/B"_s);
        e->set(u"NSMenuitem"_s, dictionaryWithDefault(u"Middle"_s));
        QCOMPARE(serviceMenuItemTitle(e), u"Middle"_s);

        setServiceMenuItemTitle(e, u"C"_s);
        QCOMPARE(serviceMenuItemTitle(e), u"C"_s);
        QVERIFY(e->contains(u"nsmenuitem"));
        QVERIFY(e->contains(u"NSMenuitem"));
        const DictionaryPtr menuItem = e->value(VelKey::MenuItem).toDictionary();
        QCOMPARE(menuItem->keys(), QStringList {u"default"_s});
    }

    void settingATitleShouldReplaceTheWholeMenuItem()
    {
        DictionaryPtr e = VelTest::entry(u"Old"_s);
        e->value(VelKey::MenuItem).toDictionary()->set(u"whenEnabled"_s, u"x"_s);
        const DictionaryPtr before = e->value(VelKey::MenuItem).toDictionary();
        setServiceMenuItemTitle(e, u"New"_s);
        QVERIFY(e->value(VelKey::MenuItem).toDictionary() != before);
        QCOMPARE(e->value(VelKey::MenuItem).toDictionary()->size(), 1);
    }

    void missingOrEmptyTitleShouldBeStoredAsQuestionMark()
    {
        DictionaryPtr e = VelTest::entry(u"T"_s);
        setServiceMenuItemTitle(e, std::nullopt);
        QCOMPARE(serviceMenuItemTitle(e), u"?"_s);
        setServiceMenuItemTitle(e, u""_s);
        QCOMPARE(serviceMenuItemTitle(e), u"?"_s);
    }

    void malformedMenuItemShouldBeLoggedAndReadAsNoTitle()
    {
        VelLogCapture log;
        DictionaryPtr e = VelTest::entry(QString(), u"Mailer"_s);
        e->set(VelKey::MenuItem, u"Plain string"_s);
        QCOMPARE(serviceMenuItemTitle(e), std::nullopt);
        QCOMPARE(log.messages(), QStringList {u"<Mailer> has a malformed NSMenuItem"_s});
        QCOMPARE(e->value(VelKey::MenuItem).toString(), u"Plain string"_s); // reading never changes
    }

    void malformedKeyEquivalentShouldBeLoggedWithPortAndTitle()
    {
        VelLogCapture log;
        DictionaryPtr e = VelTest::entry(u"Send"_s, u"Mailer"_s);
        e->set(VelKey::KeyEquivalent, u"K"_s);
        QCOMPARE(serviceKeyEquivalent(e), std::nullopt);
        QCOMPARE(log.messages(), QStringList {u"<Mailer>'s <Send> service has a malformed NSKeyEquivalent"_s});
        QCOMPARE(serviceKeyEquivalentDescription(e), QString());
    }

    void missingOriginalMarksShouldBeLoggedAndAnsweredWithFallbacks()
    {
        VelLogCapture log;
        DictionaryPtr e = VelTest::entry(u"T"_s);
        QCOMPARE(originalServiceMenuItemTitle(e), u"(Missing Name)"_s);
        QCOMPARE(originalServiceKeyEquivalent(e), QString());
        QCOMPARE(log.messages().size(), 2);
        QVERIFY(log.messages()[0].startsWith(u"error -- could not find original menu item title for service:\n{"_s));
        QVERIFY(log.messages()[1].startsWith(u"error -- could not find original key equivalent for service:\n{"_s));
        QVERIFY(log.messages()[0].contains(u"NSMenuItem"_s));

        e->set(VelKey::OriginalMenuItemTitle, u""_s);
        QCOMPARE(originalServiceMenuItemTitle(e), QString());
    }

    void keyEquivalentShouldBeSetOnlyForOneCharacter_data()
    {
        QTest::addColumn<std::optional<QString>>("key");
        QTest::addColumn<std::optional<QString>>("stored");
        QTest::newRow("one letter") << std::optional<QString>(u"k"_s) << std::optional<QString>(u"k"_s);
        QTest::newRow("punctuation") << std::optional<QString>(u"("_s) << std::optional<QString>(u"("_s);
        QTest::newRow("empty") << std::optional<QString>(u""_s) << std::optional<QString>();
        QTest::newRow("none") << std::optional<QString>() << std::optional<QString>();
        QTest::newRow("two characters") << std::optional<QString>(u"ab"_s) << std::optional<QString>();
        QTest::newRow("surrogate pair") << std::optional<QString>(u"😀"_s) << std::optional<QString>();
    }

    void keyEquivalentShouldBeSetOnlyForOneCharacter()
    {
        QFETCH(std::optional<QString>, key);
        QFETCH(std::optional<QString>, stored);
        DictionaryPtr e = VelTest::entryWithKey(u"T"_s, u"x"_s);
        setServiceKeyEquivalent(e, key);
        QCOMPARE(serviceKeyEquivalent(e), stored);
        QCOMPARE(e->contains(VelKey::KeyEquivalent), stored.has_value());

        DictionaryPtr without = VelTest::entry(u"T"_s);
        const qsizetype keys = without->size();
        setServiceKeyEquivalent(without, key);
        QCOMPARE(without->size(), keys + (stored ? 1 : 0));
    }

    void storedKeyOfAnotherLengthShouldReadBackButNotBeDescribed()
    {
        DictionaryPtr e = VelTest::entryWithKey(u"T"_s, u"ab"_s);
        QCOMPARE(serviceKeyEquivalent(e), u"ab"_s);
        QCOMPARE(serviceKeyEquivalentDescription(e), QString());
    }

    void keyEquivalentDescription_data()
    {
        QTest::addColumn<std::optional<QString>>("key");
        QTest::addColumn<QString>("description");
        QTest::newRow("lower case") << std::optional<QString>(u"k"_s) << u"[command]-[k]"_s;
        QTest::newRow("upper case") << std::optional<QString>(u"K"_s) << u"[shift]-[command]-[K]"_s;
        QTest::newRow("digit") << std::optional<QString>(u"1"_s) << u"[command]-[1]"_s;
        QTest::newRow("non-ASCII upper") << std::optional<QString>(u"É"_s) << u"[shift]-[command]-[É]"_s;
        QTest::newRow("escape sign") << std::optional<QString>(u"⎋"_s) << u"[command]-[⎋]"_s;
        QTest::newRow("empty") << std::optional<QString>(u""_s) << QString();
        QTest::newRow("none") << std::optional<QString>() << QString();
    }

    void keyEquivalentDescription()
    {
        QFETCH(std::optional<QString>, key);
        QFETCH(QString, description);
        QCOMPARE(VelServiceKeyEquivalentDescription(key), description);
    }

    void entriesOfNoListedProviderShouldNotBeEditable()
    {
        DictionaryPtr e = VelTest::entry(u"T"_s);
        QVERIFY(!isServiceEditable(e));
        setServiceEnabled(e, false);
        QVERIFY(!e->contains(VelKey::IsDisabled));
        QVERIFY(isServiceEnabled(e));
        setServiceEnabled(e, false, true);
        QVERIFY(!isServiceEnabled(e));
        QCOMPARE(e->value(VelKey::IsDisabled).toBoolean(), true);
    }

    void enablingAnEditableEntryShouldWriteFalse()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/A.app"_s, {VelTest::entry(u"One"_s)});
        VelServiceCatalogue &catalogue = VelServiceCatalogue::shared();
        catalogue.setApplications(
            {VelFileRepresentation::fileRepresentationWithPath(volume.path(u"/Applications/A.app"_s))});
        const DictionaryPtr e = catalogue.applications()[0]->serviceAtIndex(0);
        QVERIFY(isServiceEditable(e));
        setServiceEnabled(e, true);
        QVERIFY(e->value(VelKey::IsDisabled).isBoolean());
        QCOMPARE(e->value(VelKey::IsDisabled).toBoolean(), false);
        setServiceEnabled(e, false);
        QVERIFY(!isServiceEnabled(e));
    }

    void truthValueOfTheDisabledMarkShouldDecideTheState_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("string YES") << u"<string>YES</string>"_s << false;
        QTest::newRow("string no") << u"<string>no</string>"_s << true;
        QTest::newRow("integer 1") << u"<integer>1</integer>"_s << false;
        QTest::newRow("integer 0") << u"<integer>0</integer>"_s << true;
        QTest::newRow("array") << u"<array/>"_s << true;
    }

    void truthValueOfTheDisabledMarkShouldDecideTheState()
    {
        QFETCH(QString, xml);
        QFETCH(bool, enabled);
        const QString doc
            = u"<plist version=\"1.0\"><dict><key>Quillfen.Velmora.IsDisabled</key>%1</dict></plist>"_s.arg(xml);
        const DictionaryPtr e = plist::readXml(doc.toUtf8()).toDictionary();
        QVERIFY(e);
        QCOMPARE(isServiceEnabled(e), enabled);
    }

    void equalEntriesOfTwoProvidersShouldEachAnswerForTheirOwnOwner()
    {
        VelTest::Volume volume;
        const QString firstPath = volume.addProvider(u"/Applications/First.app"_s, {VelTest::entry(u"Same"_s)});
        const QString secondPath = volume.addProvider(u"/Applications/Second.app"_s, {VelTest::entry(u"Same"_s)});
        VelProviderPtr firstProvider = VelFileRepresentation::fileRepresentationWithPath(firstPath);
        VelProviderPtr secondProvider = VelFileRepresentation::fileRepresentationWithPath(secondPath);
        VelServiceCatalogue::shared().setApplications({firstProvider, secondProvider});
        const DictionaryPtr a = firstProvider->serviceAtIndex(0);
        const DictionaryPtr b = secondProvider->serviceAtIndex(0);
        QVERIFY(plist::contentEquals(a, b));
        QCOMPARE(VelServiceCatalogue::shared().applicationForService(a), firstProvider);
        QCOMPARE(VelServiceCatalogue::shared().applicationForService(b), secondProvider);
        // An untitled twin stays uneditable while its owner's titled entry is editable.
        setServiceMenuItemTitle(a, u"Same"_s);
        b->remove(VelKey::MenuItem);
        QVERIFY(isServiceEditable(a));
        QVERIFY(!isServiceEditable(b));
    }

    void folderShouldCountOnlyDirectChildEntries()
    {
        VelTest::Volume volume;
        const QString path = volume.addProvider(u"/Applications/A.app"_s, {VelTest::entry(u"Top/Sub/One"_s)});
        VelProviderPtr provider = VelFileRepresentation::fileRepresentationWithPath(path);
        VelServiceCatalogue::shared().setApplications({provider});
        const DictionaryPtr e = provider->serviceAtIndex(0);

        DictionaryPtr sub = makeFolderNode(u"Sub"_s);
        sub->value(VelKey::Children).toArray()->append(e);
        DictionaryPtr top = makeFolderNode(u"Top"_s);
        top->value(VelKey::Children).toArray()->append(sub);
        QVERIFY(containsEditableService(sub));
        QVERIFY(!containsEditableService(top));
        QVERIFY(!isServiceEditable(top));

        setServiceEnabledRecursively(top, false);
        QVERIFY(!isServiceEnabled(e));
        setServiceEnabledRecursively(top, true);
        QVERIFY(isServiceEnabled(e));
    }
};

QTEST_GUILESS_MAIN(TestServiceEntry)
#include "tst_serviceentry.moc"
