// The change list names every bundle by its real path, whatever way the
// catalogue reached it, since the worker follows no symbolic link.

#include "VelTestVolume.h"

#include <files/VelMacVolume.h>
#include <model/VelChangeList.h>
#include <model/VelServiceEntry.h>
#include <model/VelServiceKeys.h>

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestChangeList : public QObject {
    Q_OBJECT

private slots:
    void shouldNameBundlesByTheirRealPaths_data();
    void shouldNameBundlesByTheirRealPaths();
    void unsharedListShouldHoldACopyOfTheStoredList();
};

void TestChangeList::shouldNameBundlesByTheirRealPaths_data()
{
    QTest::addColumn<QString>("infoName");
    QTest::addColumn<QString>("reachedAs"); // the path the provider has, on the volume
    QTest::newRow("real path") << "Info.plist"
                               << "/Applications/A.app";
    QTest::newRow("through a linked folder") << "Info.plist"
                                             << "/Linked/A.app";
    QTest::newRow("through a linked root") << "Info.plist"
                                           << "@root/Applications/A.app";
    QTest::newRow("bundle itself a link") << "Info.plist"
                                          << "/Applications/Alias.app";
    QTest::newRow("other Info name") << "info.plist"
                                     << "/Linked/A.app";
}

void TestChangeList::shouldNameBundlesByTheirRealPaths()
{
    QFETCH(QString, infoName);
    QFETCH(QString, reachedAs);
    VelTest::Volume volume;
    const QString real = volume.addBundle(u"/Applications/A.app"_s,
        VelTest::infoWithServices(VelTest::list({VelTest::entry(u"One"_s)})), VelTest::PlistFormat::Xml, infoName);
    QVERIFY(volume.makeLink(u"/Linked"_s, volume.path(u"/Applications"_s)));
    QVERIFY(volume.makeLink(u"/Applications/Alias.app"_s, real));
    const QString rootLink = volume.path(u"/RootLink"_s);
    QVERIFY(QFile::link(volume.root(), rootLink));
    const QString path = reachedAs.startsWith(u'@') ? rootLink + reachedAs.mid(5) : volume.path(reachedAs);
    const VelProviderPtr provider = VelFileRepresentation::fileRepresentationWithPath(path);
    QVERIFY(provider);
    setServiceEnabled(provider->serviceAtIndex(0), false, true);

    const VelChangeList changes = VelCollectChanges({provider});

    QCOMPARE(changes.size(), 1);
    const plist::DictionaryPtr entry = changes.entries->at(0).toDictionary();
    const QString canonical = QDir(volume.root()).canonicalPath() + u"/Applications/A.app"_s;
    QCOMPARE(entry->value(u"Package Path").toString(), canonical);
    QCOMPARE(entry->value(u"Info Path").toString(), canonical + u"/Contents/"_s + infoName);
}

// A list written on another thread must not hold the provider's live list.
void TestChangeList::unsharedListShouldHoldACopyOfTheStoredList()
{
    VelTest::Volume volume;
    const VelProviderPtr provider = VelFileRepresentation::fileRepresentationWithPath(
        volume.addProvider(u"/Applications/A.app"_s, {VelTest::entry(u"One"_s), VelTest::entry(u"Two"_s)}));
    setServiceEnabled(provider->serviceAtIndex(0), false, true);
    const auto storedList = [](const VelChangeList &changes) {
        return changes.entries->at(0).toDictionary()->value(u"Info").toDictionary()->value(VelKey::AllServices);
    };

    const plist::Value live = storedList(VelCollectChanges({provider}));
    const plist::Value copied = storedList(VelCollectChanges({provider}, VelChangeListSharing::Nothing));

    QVERIFY(live.toArray() == provider->services());
    QVERIFY(copied.toArray() && copied.toArray() != provider->services());
    QVERIFY(plist::contentEquals(copied, live));
    QVERIFY(copied.toArray()->at(0).toDictionary() != provider->serviceAtIndex(0));
}

QTEST_GUILESS_MAIN(TestChangeList)
#include "tst_changelist.moc"
