#include "VelTestVolume.h"

#include <model/VelFileRepresentation.h>
#include <model/VelServiceCatalogue.h>
#include <model/VelServiceEntry.h>
#include <model/VelServiceKeys.h>

#include <log/VelLog.h>
#include <plist/PropertyList.h>

#include <QTest>

using namespace Qt::StringLiterals;
using plist::ArrayPtr;
using plist::DictionaryPtr;

namespace {

// A provider listed in the shared catalogue, so its entries are editable.
VelProviderPtr listedProvider(const QString &path)
{
    VelProviderPtr provider = VelFileRepresentation::fileRepresentationWithPath(path);
    VelServiceCatalogue::shared().setApplications({provider});
    return provider;
}

// Writes what a save would write and lists a fresh provider read from it.
VelProviderPtr saveAndReload(const VelProviderPtr &provider)
{
    const DictionaryPtr cleaned = provider->cleanedInfoDictionaryForSaving();
    if (!cleaned || !plist::writeXmlFile(cleaned, *provider->infoDictionaryPath()))
        return nullptr;
    return listedProvider(provider->path());
}

} // namespace

class TestChangeTracking : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { VelServiceCatalogue::shared().setApplications({}); }

    void freshProviderShouldBeCleanAndNotRevertible()
    {
        VelTest::Volume volume;
        VelProviderPtr p = listedProvider(volume.addProvider(u"/A.app"_s, {VelTest::entry(u"One"_s)}));
        QVERIFY(!p->isDirty());
        QVERIFY(!p->canRevert());
        QVERIFY(!p->hasBeenDirtyBefore());
        VelProviderPtr none = listedProvider(volume.addBundle(u"/B.app"_s, VelTest::infoWithServices(nullptr)));
        QVERIFY(!none->isDirty());
    }

    void disablingShouldMoveTheEntryOutOfTheSavedServices()
    {
        VelTest::Volume volume;
        VelProviderPtr p
            = listedProvider(volume.addProvider(u"/A.app"_s, {VelTest::entry(u"One"_s), VelTest::entry(u"Two"_s)}));
        const DictionaryPtr one = p->serviceAtIndex(0);
        setServiceEnabled(one, false);
        QVERIFY(p->isDirty());
        QVERIFY(p->canRevert());

        const DictionaryPtr cleaned = p->cleanedInfoDictionaryForSaving();
        const ArrayPtr services = cleaned->value(VelKey::Services).toArray();
        QCOMPARE(services->size(), 1);
        QCOMPARE(serviceMenuItemTitle(services->at(0).toDictionary()), u"Two"_s);
        QVERIFY(!VelTest::hasMarkerKey(services->at(0).toDictionary()));
        const ArrayPtr all = cleaned->value(VelKey::AllServices).toArray();
        QVERIFY(all == p->services()); // the live list itself
        QVERIFY(all->at(0).toDictionary()->value(VelKey::IsDisabled).toBoolean());
        // The provider's own dictionary is not changed by building the copy.
        QVERIFY(!p->infoDictionary()->contains(VelKey::AllServices));
        QCOMPARE(p->infoDictionary()->value(VelKey::Services).toArray()->size(), 2);
        QCOMPARE(cleaned->value(u"CFBundleIdentifier").toString(), u"com.example.test"_s);

        setServiceEnabled(one, true);
        QVERIFY(!p->isDirty());
        QVERIFY(!p->canRevert());
        QCOMPARE(one->value(VelKey::IsDisabled).toBoolean(), false);
    }

    void changedTitleCaseOrKeyShouldMakeTheProviderDirty()
    {
        VelTest::Volume volume;
        VelProviderPtr p = listedProvider(volume.addProvider(u"/A.app"_s, {VelTest::entryWithKey(u"Title"_s, u"t"_s)}));
        const DictionaryPtr e = p->serviceAtIndex(0);
        setServiceMenuItemTitle(e, u"title"_s);
        QVERIFY(p->isDirty());
        QVERIFY(p->canRevert());
        setServiceMenuItemTitle(e, u"Title"_s);
        QVERIFY(!p->isDirty());
        setServiceKeyEquivalent(e, std::nullopt);
        QVERIFY(p->isDirty());
        const DictionaryPtr cleaned = p->cleanedInfoDictionaryForSaving();
        QVERIFY(cleaned->contains(VelKey::AllServices));
        QCOMPARE(cleaned->value(VelKey::Services).toArray()->size(), 1);
    }

    void missingPreviousMarkShouldBeLoggedAndIgnored()
    {
        VelTest::Volume volume;
        VelProviderPtr p = listedProvider(volume.addProvider(u"/A.app"_s, {VelTest::entry(u"T"_s)}));
        const DictionaryPtr e = p->serviceAtIndex(0);
        e->remove(VelKey::PreviousMenuItemTitle);
        setServiceMenuItemTitle(e, u"Changed"_s);
        VelLogCapture log;
        QVERIFY(!p->isDirty());
        QCOMPARE(log.messages().size(), 1);
        QVERIFY(log.messages()[0].startsWith(u"error -- cannot find previous state for service:\n"_s));
    }

    void savedDisabledEntryShouldRevertThroughASecondSave()
    {
        VelTest::Volume volume;
        VelProviderPtr p
            = listedProvider(volume.addProvider(u"/A.app"_s, {VelTest::entry(u"One"_s), VelTest::entry(u"Two"_s)}));
        setServiceEnabled(p->serviceAtIndex(0), false);
        p = saveAndReload(p);
        QVERIFY(p);
        QVERIFY(!p->isDirty());
        QVERIFY(p->canRevert());
        QVERIFY(p->hasBeenDirtyBefore());
        QVERIFY(!isServiceEnabled(p->serviceAtIndex(0)));

        p->revert();
        QVERIFY(isServiceEnabled(p->serviceAtIndex(0)));
        QVERIFY(p->isDirty());
        QVERIFY(!p->canRevert());

        p = saveAndReload(p);
        const DictionaryPtr onDisk = VelTest::readPlist(*p->infoDictionaryPath()).toDictionary();
        QVERIFY(!onDisk->contains(VelKey::AllServices));
        const ArrayPtr services = onDisk->value(VelKey::Services).toArray();
        QCOMPARE(services->size(), 2);
        for (const plist::Value &item : *services)
            QVERIFY(!VelTest::hasMarkerKey(item.toDictionary()));
        QVERIFY(!p->canRevert());
        QVERIFY(!p->hasBeenDirtyBefore());
    }

    void unsavedTitleChangeShouldBeDiscardedByRevert()
    {
        VelTest::Volume volume;
        VelProviderPtr p = listedProvider(volume.addProvider(u"/A.app"_s, {VelTest::entry(u"T"_s)}));
        const ArrayPtr before = p->services();
        setServiceMenuItemTitle(p->serviceAtIndex(0), u"Edited"_s);
        p->revert();
        QVERIFY(p->services() != before); // read again from disk
        QCOMPARE(serviceMenuItemTitle(p->serviceAtIndex(0)), u"T"_s);
        QVERIFY(!p->isDirty());
    }

    void savedTitleChangeShouldRevertToTheOriginalTitleAndKey()
    {
        VelTest::Volume volume;
        VelProviderPtr p = listedProvider(
            volume.addProvider(u"/A.app"_s, {VelTest::entryWithKey(u"Orig"_s, u"o"_s), VelTest::entry(u"Other"_s)}));
        DictionaryPtr e = p->serviceAtIndex(0);
        setServiceMenuItemTitle(e, u"Renamed"_s);
        setServiceKeyEquivalent(e, u"R"_s);
        p = saveAndReload(p);
        QVERIFY(!p->hasBeenDirtyBefore());
        QVERIFY(p->canRevert());

        p->revert();
        QVERIFY(p->isDirty());
        QVERIFY(!p->canRevert());
        p = saveAndReload(p);
        e = p->serviceAtIndex(0);
        QCOMPARE(serviceMenuItemTitle(e), u"Orig"_s);
        QCOMPARE(serviceKeyEquivalent(e), u"o"_s);
        QVERIFY(!p->canRevert());
        QVERIFY(!VelTest::readPlist(*p->infoDictionaryPath()).toDictionary()->contains(VelKey::AllServices));
    }

    void revertShouldLeaveAnUntitledEntryUntitled()
    {
        VelTest::Volume volume;
        VelProviderPtr p = listedProvider(
            volume.addProvider(u"/A.app"_s, {VelTest::entry(u"Titled"_s), VelTest::entry(QString(), u"P"_s)}));
        DictionaryPtr titled = p->serviceAtIndex(0);
        if (!serviceMenuItemTitle(titled))
            titled = p->serviceAtIndex(1);
        setServiceEnabled(titled, false);
        p = saveAndReload(p);
        p->revert();
        for (const plist::Value &item : *p->services()) {
            const DictionaryPtr entry = item.toDictionary();
            QVERIFY(isServiceEnabled(entry));
            QVERIFY(serviceMenuItemTitle(entry) != u"?"_s);
        }
    }

    void revertShouldEnableEntriesThatAreNotEditable()
    {
        VelTest::Volume volume;
        VelProviderPtr p = listedProvider(volume.addProvider(u"/A.app"_s, {VelTest::entry(QString(), u"P"_s)}));
        const DictionaryPtr e = p->serviceAtIndex(0);
        setServiceEnabled(e, false, true);
        p = saveAndReload(p);
        QVERIFY(!isServiceEnabled(p->serviceAtIndex(0)));
        p->revert();
        QVERIFY(isServiceEnabled(p->serviceAtIndex(0)));
    }

    void cleanCopyShouldDropOnlyTheCurrentMarks()
    {
        DictionaryPtr e = VelTest::entry(u"T"_s);
        for (const QString &key : {VelKey::IsDisabled, VelKey::WasDisabled, VelKey::OriginalMenuItemTitle,
                 VelKey::PreviousMenuItemTitle, VelKey::OriginalKeyEquivalent, VelKey::PreviousKeyEquivalent,
                 VelKey::OldIsDisabled, VelKey::OldApplicationName, VelKey::ApplicationName})
            e->set(key, u"x"_s);
        ArrayPtr target = plist::Array::create();
        VelFileRepresentation::addCleanCopyOfService(e, target);
        const DictionaryPtr copy = target->at(0).toDictionary();
        QVERIFY(copy != e);
        QVERIFY(copy->contains(VelKey::OldIsDisabled));
        QVERIFY(copy->contains(VelKey::OldApplicationName));
        QVERIFY(copy->contains(VelKey::ApplicationName));
        QVERIFY(!copy->contains(VelKey::IsDisabled));
        QVERIFY(!copy->contains(VelKey::PreviousKeyEquivalent));
        QVERIFY(copy->value(VelKey::MenuItem).toDictionary() != e->value(VelKey::MenuItem).toDictionary());
        QCOMPARE(e->size(), 13);
    }

    void invalidateShouldReadAgainOnlyWhenDirty()
    {
        VelTest::Volume volume;
        VelProviderPtr p = listedProvider(volume.addProvider(u"/A.app"_s, {VelTest::entry(u"T"_s)}));
        const ArrayPtr before = p->services();
        const DictionaryPtr infoBefore = p->infoDictionary();
        p->invalidate();
        QVERIFY(p->services() == before);
        QVERIFY(p->infoDictionary() == infoBefore);

        setServiceEnabled(p->serviceAtIndex(0), false);
        QVERIFY(plist::writeXmlFile(p->cleanedInfoDictionaryForSaving(), *p->infoDictionaryPath()));
        p->invalidate();
        QVERIFY(p->services() != before);
        QVERIFY(!p->isDirty());
        QVERIFY(p->canRevert());
    }

    // While a save runs, a confirmed file is read ahead; invalidate takes
    // what was read only while the file is still the one read.
    void invalidateShouldTakeTheFileReadAheadOnlyWhileItIsUnchanged_data()
    {
        QTest::addColumn<bool>("changedAfterwards");
        QTest::newRow("unchanged") << false;
        QTest::newRow("written again after the read") << true;
    }

    void invalidateShouldTakeTheFileReadAheadOnlyWhileItIsUnchanged()
    {
        QFETCH(bool, changedAfterwards);
        VelTest::Volume volume;
        VelProviderPtr p = listedProvider(volume.addProvider(u"/A.app"_s, {VelTest::entry(u"T"_s)}));
        const ArrayPtr before = p->services();
        setServiceEnabled(p->serviceAtIndex(0), false);
        const QString path = *p->infoDictionaryPath();
        QVERIFY(plist::writeXmlFile(p->cleanedInfoDictionaryForSaving(), path));

        p->readSavedInfoDictionaryAhead();
        QVERIFY(p->services() == before); // the provider's own state is left alone
        QVERIFY(p->isDirty());
        if (changedAfterwards) {
            QVERIFY(plist::writeXmlFile(
                VelTest::infoWithServices(VelTest::list({VelTest::entry(u"Changed elsewhere"_s)})), path));
        }
        p->invalidate();

        QVERIFY(!p->isDirty());
        QCOMPARE(serviceMenuItemTitle(p->serviceAtIndex(0)), changedAfterwards ? u"Changed elsewhere"_s : u"T"_s);
        QCOMPARE(isServiceEnabled(p->serviceAtIndex(0)), changedAfterwards);
    }
};

QTEST_GUILESS_MAIN(TestChangeTracking)
#include "tst_changetracking.moc"
