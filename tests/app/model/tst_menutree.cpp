#include "VelTestVolume.h"

#include <model/VelServiceCatalogue.h>
#include <model/VelServiceEntry.h>
#include <model/VelServiceKeys.h>

#include <QTest>

using namespace Qt::StringLiterals;
using plist::ArrayPtr;
using plist::DictionaryPtr;

namespace {

// The tree as text: folders as "Name/(...)", entries by title.
QString shape(const ArrayPtr &items)
{
    QStringList parts;
    for (const plist::Value &item : *items) {
        const DictionaryPtr d = item.toDictionary();
        if (isFolderNode(d))
            parts << d->value(VelKey::FolderName).toString() + u"/("_s + shape(d->value(VelKey::Children).toArray())
                    + u")"_s;
        else
            parts << serviceMenuItemTitle(d).value_or(u"<none>"_s);
    }
    return parts.join(u", "_s);
}

QString rebuiltShape()
{
    VelServiceCatalogue &catalogue = VelServiceCatalogue::shared();
    catalogue.reloadApplications();
    catalogue.rebuildServiceMenuRepresentation();
    return shape(catalogue.services());
}

} // namespace

class TestMenuTree : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { VelServiceCatalogue::shared().setApplications({}); }

    void sharedSubmenusShouldMergeInProviderOrder()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/Zed.app"_s, {VelTest::entry(u"Mail/Read"_s), VelTest::entry(u"Mail/Do"_s)});
        volume.addProvider(u"/Applications/Able.app"_s, {VelTest::entry(u"Mail/Send"_s)});
        QCOMPARE(rebuiltShape(), u"Mail/(Mail/Send, Mail/Do, Mail/Read)"_s);

        // A window keeps painting between providers and before the sort,
        // never inside a provider; the list itself stays the same object.
        VelServiceCatalogue &catalogue = VelServiceCatalogue::shared();
        const plist::ArrayPtr list = catalogue.services();
        QStringList seenBetween;
        catalogue.rebuildServiceMenuRepresentation([&] { seenBetween << shape(catalogue.services()); });
        QCOMPARE(seenBetween, (QStringList {u"Mail/(Mail/Send)"_s, u"Mail/(Mail/Send, Mail/Do, Mail/Read)"_s}));
        QVERIFY(catalogue.services() == list);
    }

    void treeShouldHoldTheProvidersOwnEntries()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/A.app"_s, {VelTest::entry(u"A/B/C"_s)});
        QCOMPARE(rebuiltShape(), u"A/(B/(A/B/C))"_s);
        const DictionaryPtr a = VelServiceCatalogue::shared().services()->at(0).toDictionary();
        const DictionaryPtr b = a->value(VelKey::Children).toArray()->at(0).toDictionary();
        const DictionaryPtr leaf = b->value(VelKey::Children).toArray()->at(0).toDictionary();
        QVERIFY(leaf == VelServiceCatalogue::shared().applications()[0]->serviceAtIndex(0));
        QCOMPARE(a->size(), 2);
    }

    void folderNamesShouldCompareExactly()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/A.app"_s, {VelTest::entry(u"Text/One"_s), VelTest::entry(u"text/Two"_s)});
        const QString tree = rebuiltShape();
        QVERIFY2(tree == u"Text/(Text/One), text/(text/Two)"_s || tree == u"text/(text/Two), Text/(Text/One)"_s,
            qPrintable(tree));
    }

    void translatedTitlesShouldMergeWithOtherProvidersFolders()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/Counter.app"_s, {VelTest::entry(u"Text/Count"_s)});
        volume.addProvider(u"/Applications/Lingo.app"_s, {VelTest::entry(u"Lingo/Translate"_s)});
        volume.addStrings(u"/Applications/Lingo.app"_s, u"English"_s, {{u"Lingo/Translate"_s, u"Text/Translate"_s}});
        QCOMPARE(rebuiltShape(), u"Text/(Text/Count, Lingo/Translate)"_s);
    }

    // Within one rebuild a strings file is checked once; the next rebuild,
    // and any lookup between operations, must see it changed.
    void changedTranslationShouldShowOnTheNextRebuild()
    {
        VelTest::Volume volume;
        volume.addProvider(
            u"/Applications/Lingo.app"_s, {VelTest::entry(u"Lingo/Translate"_s), VelTest::entry(u"Lingo/Speak"_s)});
        volume.addStrings(u"/Applications/Lingo.app"_s, u"English"_s, {{u"Lingo/Translate"_s, u"Text/Translate"_s}});
        VelServiceCatalogue &catalogue = VelServiceCatalogue::shared();
        QCOMPARE(rebuiltShape(), u"Lingo/(Lingo/Speak), Text/(Lingo/Translate)"_s);
        volume.addStrings(u"/Applications/Lingo.app"_s, u"English"_s,
            {{u"Lingo/Translate"_s, u"Words/Translate"_s}, {u"Lingo/Speak"_s, u"Words/Speak"_s}});
        const VelProviderPtr lingo = catalogue.applications()[0];
        QCOMPARE(lingo->localizedMenuItemTitle(u"Lingo/Speak"_s), u"Words/Speak"_s);
        volume.addStrings(u"/Applications/Lingo.app"_s, u"English"_s, {{u"Lingo/Speak"_s, u"Voice/Speak"_s}});
        catalogue.rebuildServiceMenuRepresentation();
        QCOMPARE(shape(catalogue.services()), u"Lingo/(Lingo/Translate), Voice/(Lingo/Speak)"_s);
        QCOMPARE(catalogue.lookupPass(), 0u);
    }

    // A provider that a reload replaced may still be held (by a view, say);
    // it must check its strings file on every lookup again.
    void providerLeftByAReloadShouldSeeChangedTranslations()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/Lingo.app"_s, {VelTest::entry(u"Lingo/Speak"_s)});
        volume.addStrings(u"/Applications/Lingo.app"_s, u"English"_s, {{u"Lingo/Speak"_s, u"Voice/Speak"_s}});
        (void)rebuiltShape();
        const VelProviderPtr held = VelServiceCatalogue::shared().applications()[0];
        (void)rebuiltShape();
        QCOMPARE(held->localizedMenuItemTitle(u"Lingo/Speak"_s), u"Voice/Speak"_s);
        volume.addStrings(u"/Applications/Lingo.app"_s, u"English"_s, {{u"Lingo/Speak"_s, u"Words/Speak"_s}});
        QCOMPARE(held->localizedMenuItemTitle(u"Lingo/Speak"_s), u"Words/Speak"_s);
    }

    void untitledEntriesShouldStayOutButEmptyTitlesShowAtTopLevel()
    {
        VelTest::Volume volume;
        volume.addProvider(
            u"/Applications/A.app"_s, {VelTest::entry(QString(), u"P"_s), VelTest::entry(u""_s, u"Port"_s, u"msg"_s)});
        VelServiceCatalogue &catalogue = VelServiceCatalogue::shared();
        QCOMPARE(rebuiltShape(), u""_s);
        QCOMPARE(catalogue.services()->size(), 1);
        const DictionaryPtr e = catalogue.services()->at(0).toDictionary();
        QCOMPARE(catalogue.applications()[0]->readableMenuPathOfService(e), u"Untitled Service: [Port msg]"_s);
    }

    void topLevelShouldSortFoldersAndEntriesTogether()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/A.app"_s, {VelTest::entry(u"Zip"_s), VelTest::entry(u"apple/Pie"_s)});
        volume.addProvider(u"/Applications/B.app"_s, {VelTest::entry(u"Mango"_s)});
        QCOMPARE(rebuiltShape(), u"apple/(apple/Pie), Mango, Zip"_s);
    }

    void changedTitleShouldMoveOnlyOnRebuild()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/A.app"_s, {VelTest::entry(u"A/X"_s)});
        VelServiceCatalogue &catalogue = VelServiceCatalogue::shared();
        QCOMPARE(rebuiltShape(), u"A/(A/X)"_s);
        setServiceMenuItemTitle(catalogue.applications()[0]->serviceAtIndex(0), u"B/X"_s);
        QCOMPARE(shape(catalogue.services()), u"A/(B/X)"_s);
        catalogue.rebuildServiceMenuRepresentation();
        QCOMPARE(shape(catalogue.services()), u"B/(B/X)"_s);
    }

    // Any application may put the tree's own keys into its entries; they
    // stay ordinary entries, and the tree is built around them.
    void entriesCarryingFolderKeysShouldStayEntries_data()
    {
        QTest::addColumn<int>("childrenKind");
        QTest::newRow("no children") << 0;
        QTest::newRow("children not a list") << 1;
        QTest::newRow("children list") << 2;
    }
    void entriesCarryingFolderKeysShouldStayEntries()
    {
        QFETCH(int, childrenKind);
        VelTest::Volume volume;
        const DictionaryPtr odd = VelTest::entry(u"Mail"_s);
        odd->set(VelKey::FolderName, u"Mail"_s);
        if (childrenKind == 1)
            odd->set(VelKey::Children, u"x"_s);
        if (childrenKind == 2)
            odd->set(VelKey::Children, plist::Array::create({plist::Value(u"y"_s)}));
        volume.addProvider(u"/Applications/Able.app"_s, {odd, VelTest::entry(u"Mail/Read"_s)});
        volume.addProvider(u"/Applications/Zed.app"_s, {VelTest::entry(u"Mail/Send"_s)});
        QCOMPARE(rebuiltShape(), u"Mail, Mail/(Mail/Read, Mail/Send)"_s);

        VelServiceCatalogue &catalogue = VelServiceCatalogue::shared();
        const DictionaryPtr entry = catalogue.applications()[0]->serviceAtIndex(0);
        QVERIFY(!isFolderNode(entry));
        QVERIFY(isServiceEditable(entry));
        setServiceEnabledRecursively(entry, false);
        QVERIFY(!isServiceEnabled(entry));
        QVERIFY(!folderHasEnabledService(entry) && !containsEditableService(entry));
    }
};

QTEST_GUILESS_MAIN(TestMenuTree)
#include "tst_menutree.moc"
