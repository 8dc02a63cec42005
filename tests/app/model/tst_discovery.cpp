#include "VelTestVolume.h"

#include <model/VelServiceCatalogue.h>
#include <model/VelServiceEntry.h>
#include <model/VelServiceSorting.h>

#include <defaults/VelUserDefaults.h>
#include <files/VelMacVolume.h>
#include <plist/PropertyList.h>

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QStringList listedPaths(const VelTest::Volume &volume)
{
    QStringList paths;
    for (const VelProviderPtr &p : VelServiceCatalogue::shared().applications())
        paths << p->path().mid(volume.root().size());
    return paths;
}

QStringList listedNames()
{
    QStringList names;
    for (const VelProviderPtr &p : VelServiceCatalogue::shared().applications())
        names << p->name();
    return names;
}

} // namespace

class TestDiscovery : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { VelServiceCatalogue::shared().setApplications({}); }

    void shouldFindApplicationsAndServiceFoldersOnce()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/Mail.app"_s, {VelTest::entry(u"Mail/Send"_s)});
        volume.addProvider(u"/Applications/Utilities/Terminal.app"_s, {VelTest::entry(u"Open Here"_s)});
        volume.addProvider(u"/System/Library/CoreServices/Finder.app"_s, {VelTest::entry(u"Reveal"_s)});
        volume.addProvider(u"/Users/tester/Applications/Mine.app"_s, {VelTest::entry(u"Mine"_s)});
        volume.addProvider(u"/System/Library/Services/Spot.service"_s, {VelTest::entry(u"Spot"_s)});
        volume.addProvider(u"/Library/Services/Count.service"_s, {VelTest::entry(u"Count"_s)});
        volume.addProvider(u"/Users/tester/Library/Services/Rev.service"_s, {VelTest::entry(u"Rev"_s)});
        volume.addProvider(u"/Users/tester/Library/Services/Make Plain.workflow"_s, {VelTest::entry(u"Make Plain"_s)});
        volume.addProvider(u"/Library/Services/Shared.WORKFLOW"_s, {VelTest::entry(u"Shared"_s)});
        volume.addProvider(u"/Applications/Empty.app"_s, {});
        volume.addBundle(u"/Applications/NoServices.app"_s, VelTest::infoWithServices(nullptr));

        int steps = 0;
        QStringList statuses;
        VelServiceCatalogue::shared().reloadApplications({[&](const QString &s) { statuses << s; }, [&] { ++steps; }});
        QCOMPARE(statuses, QStringList {u"Looking for service providers..."_s});
        QCOMPARE(steps, 5); // the application providers only
        QCOMPARE(listedNames(),
            (QStringList {u"Count"_s, u"Empty"_s, u"Finder"_s, u"Mail"_s, u"Make Plain"_s, u"Mine"_s, u"Rev"_s,
                u"Shared"_s, u"Spot"_s, u"Terminal"_s}));
    }

    void shouldSkipTrashPrintCenterAliasesPlainFoldersAndDeeperBundles()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/Utilities/Print Center.app"_s, {VelTest::entry(u"Print"_s)});
        volume.addProvider(u"/Users/tester/.Trash/Gone.app"_s, {VelTest::entry(u"Gone"_s)});
        volume.addProvider(u"/Users/tester/Library/Services/More/Deep.service"_s, {VelTest::entry(u"Deep"_s)});
        volume.addProvider(u"/Library/Services/Plain"_s, {VelTest::entry(u"Plain"_s)});
        volume.addProvider(u"/Users/tester/Documents/Target.service"_s, {VelTest::entry(u"Target"_s)});
        volume.makeLink(u"/Library/Services/Alias.service"_s, volume.path(u"/Users/tester/Documents/Target.service"_s));
        volume.addProvider(u"/Library/Services/Kept.service"_s, {VelTest::entry(u"Kept"_s)});
        // The Trash holds applications too when the home folder is searched.
        volume.addProvider(u"/Users/tester/Applications/Fine.app"_s, {VelTest::entry(u"Fine"_s)});

        VelServiceCatalogue::shared().reloadApplications();
        QCOMPARE(listedPaths(volume),
            (QStringList {u"/Users/tester/Applications/Fine.app"_s, u"/Library/Services/Kept.service"_s}));
    }

    // Launch Services lists applications in the Trash too; here a home folder
    // inside Applications puts its Trash into the application list.
    void applicationsInTheTrashShouldBeSkipped()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/Home/.Trash/Trashed.app"_s, {VelTest::entry(u"Trashed"_s)});
        volume.addProvider(u"/Applications/Home/.Trash/Deeper/Old.app"_s, {VelTest::entry(u"Old"_s)});
        volume.addProvider(u"/Applications/Home/Applications/Kept.app"_s, {VelTest::entry(u"Kept"_s)});
        VelMacVolume::setHomeOverride(volume.path(u"/Applications/Home"_s));
        VelServiceCatalogue::shared().reloadApplications();
        VelMacVolume::setHomeOverride(volume.home());
        QCOMPARE(listedPaths(volume), QStringList {u"/Applications/Home/Applications/Kept.app"_s});
    }

    void folderScanShouldSkipPathsAlreadySeen()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/Both.app"_s, {VelTest::entry(u"Both"_s)});
        volume.addProvider(u"/Applications/Other.service"_s, {VelTest::entry(u"Other"_s)});
        VelServiceCatalogue &catalogue = VelServiceCatalogue::shared();
        catalogue.reloadApplications();
        QCOMPARE(listedPaths(volume), QStringList {u"/Applications/Both.app"_s});

        // Scanning the applications folder as a service folder adds only the new bundle.
        VelPathSet seen {volume.path(u"/Applications/Both.app"_s)};
        catalogue.addServicesFromDirectory(volume.path(u"/Applications"_s), seen);
        QCOMPARE(listedPaths(volume), (QStringList {u"/Applications/Both.app"_s, u"/Applications/Other.service"_s}));
        QVERIFY(seen.contains(volume.path(u"/Applications/Other.service"_s)));
    }

    void bootVolumeOnlyShouldDropOtherVolumes()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/Here.app"_s, {VelTest::entry(u"Here"_s)});
        volume.addProvider(u"/Volumes/Backup/Applications/There.app"_s, {VelTest::entry(u"There"_s)});
        VelServiceCatalogue::shared().reloadApplications();
        QCOMPARE(listedNames(), (QStringList {u"Here"_s, u"There"_s}));

        VelUserDefaults::standardUserDefaults().setBool(true, u"Boot Volume Services Only"_s);
        VelServiceCatalogue::shared().reloadApplications();
        VelUserDefaults::standardUserDefaults().removeObjectForKey(u"Boot Volume Services Only"_s);
        QCOMPARE(listedNames(), QStringList {u"Here"_s});
    }

    void providersShouldBeSortedByNameIgnoringCase()
    {
        VelTest::Volume volume;
        for (const QString &name : {u"gamma"_s, u"Beta"_s, u"alpha"_s})
            volume.addProvider(u"/Applications/%1.app"_s.arg(name), {VelTest::entry(name)});
        VelServiceCatalogue::shared().reloadApplications();
        QCOMPARE(listedNames(), (QStringList {u"alpha"_s, u"Beta"_s, u"gamma"_s}));
    }

    // The order is Qt's case-insensitive order, accented names included.
    void providersShouldSortAsQtComparesWithoutCase()
    {
        VelTest::Volume volume;
        const QStringList names {u"zeta"_s, u"Émile"_s, u"emile"_s, u"_under"_s, u"Ärger"_s, u"apple 2"_s, u"Apple"_s,
            u"apple"_s, u"été"_s, u"ETA"_s, u"Ωmega"_s, u"[bracket]"_s, u"10 Tools"_s};
        for (const QString &name : names)
            volume.addProvider(u"/Applications/%1.app"_s.arg(name), {VelTest::entry(name)});
        VelServiceCatalogue::shared().reloadApplications();
        const QStringList listed = listedNames();
        QCOMPARE(listed.size(), names.size());
        for (qsizetype i = 0; i + 1 < listed.size(); ++i)
            QVERIFY2(QString::compare(listed[i], listed[i + 1], Qt::CaseInsensitive) <= 0,
                qPrintable(listed[i] + u" before "_s + listed[i + 1]));
    }

    void ownerLookupShouldUseIdentity()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/A.app"_s, {VelTest::entry(u"One"_s)});
        VelServiceCatalogue &catalogue = VelServiceCatalogue::shared();
        catalogue.reloadApplications();
        const plist::DictionaryPtr e = catalogue.applications()[0]->serviceAtIndex(0);
        QCOMPARE(catalogue.applicationForService(e), catalogue.applications()[0]);
        QVERIFY(!catalogue.applicationForService(plist::deepCopy(e).toDictionary()));
        QVERIFY(!catalogue.applicationForService(makeFolderNode(u"One"_s)));

        // A provider that reads its list again owns the new entries only.
        setServiceMenuItemTitle(e, u"Edited"_s);
        catalogue.applications()[0]->revert();
        const plist::DictionaryPtr fresh = catalogue.applications()[0]->serviceAtIndex(0);
        QVERIFY(fresh != e);
        QVERIFY(!catalogue.applicationForService(e));
        QCOMPARE(catalogue.applicationForService(fresh), catalogue.applications()[0]);
    }

    void folderNodesShouldSortAmongEntriesByName()
    {
        VelTest::Volume volume;
        const QString path = volume.addProvider(
            u"/Applications/A.app"_s, {VelTest::entry(u"Send"_s), VelTest::entry(u"TextEdit/Convert"_s)});
        VelServiceCatalogue::shared().reloadApplications();
        VelProviderPtr p = VelServiceCatalogue::shared().applications()[0];
        plist::DictionaryPtr send = p->serviceAtIndex(0);
        plist::DictionaryPtr textEdit = p->serviceAtIndex(1);
        plist::DictionaryPtr folder = makeFolderNode(u"Text"_s);
        QCOMPARE(VelSortServices(send, folder, p.get()), -1);
        QCOMPARE(VelSortServices(folder, textEdit, p.get()), -1);
        QCOMPARE(VelSortServices(textEdit, folder, nullptr), 1);
        QCOMPARE(VelSortServices(folder, makeFolderNode(u"TEXT"_s), nullptr), 0);
        Q_UNUSED(path);
    }
};

QTEST_GUILESS_MAIN(TestDiscovery)
#include "tst_discovery.moc"
