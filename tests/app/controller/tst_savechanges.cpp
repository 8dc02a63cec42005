// Saving through the real TidyWorker, run directly, on temporary Mac volumes.

#include "VelTestVolume.h"

#include <controller/VelSaveChanges.h>
#include <model/VelServiceEntry.h>
#include <model/VelServiceKeys.h>

#include <log/VelLog.h>
#include <plist/PropertyList.h>

#include <QFile>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;
using plist::DictionaryPtr;

namespace {

const QString kWorker = QStringLiteral(VELMORA_BINARY_DIR "/Velmora.app/Contents/Resources/TidyWorker");

VelServiceCatalogue &reloaded()
{
    VelServiceCatalogue &catalogue = VelServiceCatalogue::shared();
    catalogue.reloadApplications();
    catalogue.rebuildServiceMenuRepresentation();
    return catalogue;
}

VelProviderPtr providerNamed(const QString &name)
{
    for (const VelProviderPtr &p : VelServiceCatalogue::shared().applications()) {
        if (p->name() == name)
            return p;
    }
    return nullptr;
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSaveChanges : public QObject {
    Q_OBJECT

    VelWorkerRunPlaces placesOf(const VelTest::Volume &volume) const { return {kWorker, volume.home()}; }

private slots:
    void init() { qputenv("VELMORA_AUTHORIZATION", "direct"); }
    void cleanup()
    {
        qunsetenv("VELMORA_AUTHORIZATION");
        VelServiceCatalogue::shared().setApplications({});
    }

    void nothingDirtyShouldRunNoWorker()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/A.app"_s, {VelTest::entry(u"One"_s)});
        const VelSaveResult result = VelSaveChanges(reloaded(), {}, placesOf(volume));
        QCOMPARE(result.outcome, VelSaveOutcome::NothingToSave);
        QCOMPARE(result.entries, 0);
        QVERIFY(!QFile::exists(volume.home() + u"/Library/Application Support/Velmora/Changes.plist"_s));
    }

    // Every kind of edit, alone, must be saved, re-read as stored and be
    // revertible to the original file.
    void savedProviderShouldFollowItsLifeCycle_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("enabledOnDisk");
        QTest::newRow("disabled") << u"disable"_s << 1;
        QTest::newRow("title alone") << u"title"_s << 2;
        QTest::newRow("shortcut alone") << u"key"_s << 2;
    }
    void savedProviderShouldFollowItsLifeCycle()
    {
        QFETCH(QString, edit);
        QFETCH(int, enabledOnDisk);
        VelTest::Volume volume;
        const QString path
            = volume.addProvider(u"/Applications/A.app"_s, {VelTest::entry(u"One"_s), VelTest::entry(u"Two"_s)});
        const QString infoPath = path + u"/Contents/Info.plist"_s;
        const DictionaryPtr original = VelTest::readPlist(infoPath).toDictionary();
        VelServiceCatalogue &catalogue = reloaded();
        VelProviderPtr provider = providerNamed(u"A"_s);
        const DictionaryPtr edited = provider->serviceAtIndex(0);
        if (edit == u"disable"_s)
            setServiceEnabled(edited, false);
        if (edit == u"title"_s)
            setServiceMenuItemTitle(edited, u"Renamed/One"_s);
        if (edit == u"key"_s)
            setServiceKeyEquivalent(edited, u"K"_s);
        QVERIFY(provider->isDirty());

        QList<qsizetype> confirmed;
        QStringList infoPaths;
        qsizetype shownMaximum = -1;
        double hiddenAfter = -1;
        const VelWorkerRunObserver observer {[&](qsizetype maximum) { shownMaximum = maximum; },
            [&](qsizetype k, const QString &info) {
                confirmed << k;
                infoPaths << info;
            },
            [&](double delay) { hiddenAfter = delay; }};
        VelSaveResult result = VelSaveChanges(catalogue, observer, placesOf(volume));
        QCOMPARE(result.outcome, VelSaveOutcome::Saved);
        QCOMPARE(result.entries, 1);
        QCOMPARE(result.confirmed, 1);
        QCOMPARE(shownMaximum, 1);
        QCOMPARE(confirmed, QList<qsizetype> {1});
        QCOMPARE(infoPaths, QStringList {infoPath});
        QCOMPARE(hiddenAfter, 1.0);

        // The provider re-read itself from the written file, and so does a
        // new catalogue.
        for (int pass = 0; pass < 2; ++pass) {
            QVERIFY(!provider->isDirty());
            QVERIFY(provider->canRevert());
            QCOMPARE(provider->hasBeenDirtyBefore(), edit == u"disable"_s); // stored disabled entries only
            reloaded();
            provider = providerNamed(u"A"_s);
        }
        const DictionaryPtr onDisk = VelTest::readPlist(infoPath).toDictionary();
        QCOMPARE(onDisk->value(VelKey::Services).toArray()->size(), enabledOnDisk);
        QCOMPARE(onDisk->value(VelKey::AllServices).toArray()->size(), 2);

        provider->revert();
        QVERIFY(provider->isDirty());
        result = VelSaveChanges(VelServiceCatalogue::shared(), {}, placesOf(volume));
        QCOMPARE(result.outcome, VelSaveOutcome::Saved);
        QVERIFY(plist::contentEquals(VelTest::readPlist(infoPath), original));
        QVERIFY(!provider->canRevert());
        QVERIFY(!provider->isDirty());
    }

    // The worker stops at an entry it refuses (here an Info.plist that is a
    // link); what it wrote before stays, but the save is not a success and
    // nothing is re-read as if it were.
    void refusedEntryShouldLeaveTheSaveIncomplete()
    {
        VelTest::Volume volume;
        const QString a = volume.addProvider(u"/Applications/A.app"_s, {VelTest::entry(u"One"_s)});
        const QString b = volume.addProvider(u"/Applications/B.app"_s, {VelTest::entry(u"Two"_s)});
        const QString elsewhere = volume.path(u"/Users/tester/B-Info.plist"_s);
        QVERIFY(QFile::rename(b + u"/Contents/Info.plist"_s, elsewhere));
        QVERIFY(QFile::link(elsewhere, b + u"/Contents/Info.plist"_s));
        VelServiceCatalogue &catalogue = reloaded();
        QCOMPARE(catalogue.applications().size(), size_t(2));
        for (const VelProviderPtr &p : catalogue.applications())
            setServiceEnabled(p->serviceAtIndex(0), false);
        const QByteArray beforeB = bytesOf(elsewhere);

        const VelSaveResult result = VelSaveChanges(catalogue, {}, placesOf(volume));
        QCOMPARE(result.outcome, VelSaveOutcome::Incomplete);
        QCOMPARE(result.entries, 2);
        QCOMPARE(result.confirmed, 1);
        QVERIFY(VelTest::readPlist(a + u"/Contents/Info.plist"_s).toDictionary()->contains(VelKey::AllServices));
        QCOMPARE(bytesOf(elsewhere), beforeB);
        for (const VelProviderPtr &p : catalogue.applications())
            QVERIFY(p->isDirty());
    }

    void cancelledAuthorisationShouldWriteNothingIntoBundles()
    {
        VelTest::Volume volume;
        const QString a = volume.addProvider(u"/Applications/A.app"_s, {VelTest::entry(u"One"_s)});
        const QString b = volume.addProvider(u"/Applications/B.app"_s, {VelTest::entry(u"Two"_s)});
        VelServiceCatalogue &catalogue = reloaded();
        for (const VelProviderPtr &p : catalogue.applications())
            setServiceEnabled(p->serviceAtIndex(0), false);
        const QByteArray beforeA = bytesOf(a + u"/Contents/Info.plist"_s);
        const QByteArray beforeB = bytesOf(b + u"/Contents/Info.plist"_s);

        qputenv("VELMORA_AUTHORIZATION", "deny");
        bool shown = false;
        const VelSaveResult result
            = VelSaveChanges(catalogue, {[&](qsizetype) { shown = true; }, {}, {}}, placesOf(volume));
        QCOMPARE(result.outcome, VelSaveOutcome::NotAuthorized);
        QCOMPARE(result.entries, 2);
        QCOMPARE(result.confirmed, 0);
        QVERIFY(!shown);
        QCOMPARE(bytesOf(a + u"/Contents/Info.plist"_s), beforeA);
        QCOMPARE(bytesOf(b + u"/Contents/Info.plist"_s), beforeB);
        for (const VelProviderPtr &p : catalogue.applications())
            QVERIFY(p->isDirty());
        // The change list itself was written before asking.
        QCOMPARE(VelTest::readPlist(volume.home() + u"/Library/Application Support/Velmora/Changes.plist"_s)
                     .toArray()
                     ->size(),
            2);
    }

    void vanishedProviderShouldBeLoggedAndTheOthersSaved()
    {
        VelTest::Volume volume;
        const QString gone = volume.addProvider(u"/Applications/Gone.app"_s, {VelTest::entry(u"One"_s)});
        const QString kept = volume.addProvider(u"/Applications/Kept.app"_s, {VelTest::entry(u"Two"_s)});
        VelServiceCatalogue &catalogue = reloaded();
        for (const VelProviderPtr &p : catalogue.applications())
            setServiceEnabled(p->serviceAtIndex(0), false);
        QVERIFY(QFile::remove(gone + u"/Contents/Info.plist"_s));

        VelLogCapture log;
        const VelSaveResult result = VelSaveChanges(catalogue, {}, placesOf(volume));
        QVERIFY(log.messages().contains(u"<%1> appears to have been removed"_s.arg(gone)));
        QVERIFY(result.providerVanished);
        QCOMPARE(result.outcome, VelSaveOutcome::Saved);
        QCOMPARE(result.entries, 1);
        QVERIFY(VelTest::readPlist(kept + u"/Contents/Info.plist"_s).toDictionary()->contains(VelKey::AllServices));
    }

    void missingWorkerShouldBeReportedBeforeAnythingIsAsked()
    {
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/A.app"_s, {VelTest::entry(u"One"_s)});
        VelServiceCatalogue &catalogue = reloaded();
        setServiceEnabled(catalogue.applications()[0]->serviceAtIndex(0), false);
        const VelSaveResult result
            = VelSaveChanges(catalogue, {}, {volume.path(u"/nowhere/TidyWorker"_s), volume.home()});
        QCOMPARE(result.outcome, VelSaveOutcome::WorkerMissing);
        QVERIFY(catalogue.applications()[0]->isDirty());
    }

    void keysVelmoraDoesNotOwnShouldSurviveASave_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("xml source") << u"FMT_XML"_s;
        QTest::newRow("binary source") << u"FMT_BINARY"_s;
    }

    void keysVelmoraDoesNotOwnShouldSurviveASave()
    {
        QFETCH(QString, format);
        VelTest::Volume volume;
        const QString info = volume.path(u"/Applications/Rich.app/Contents/Info.plist"_s);
        volume.makeFolder(u"/Applications/Rich.app/Contents"_s);
        const QString script
            = u"import plistlib, datetime, sys\n"
              "info = {'CFBundleIdentifier': 'com.example.rich', 'Big': 2**64 - 1, 'Small': -2**63,\n"
              "        'Real': 0.1, 'Tiny': 5e-324, 'Flag': True, 'Blob': bytes(range(256)),\n"
              "        'When': datetime.datetime(2003, 10, 24, 12, 30, 15), 'Text': 'caf\\u00e9 \\U0001F517 <&>',\n"
              "        'Nested': {'List': [1, 'two', [3.5, False]], 'Empty': {}},\n"
              "        'NSServices': [{'NSMenuItem': {'default': 'Rich/Do'}, 'NSMessage': 'doIt', 'NSPortName': "
              "'Rich',\n"
              "                        'NSUserData': 'x', 'NSSendTypes': ['NSStringPboardType']},\n"
              "                       {'NSMenuItem': {'default': 'Rich/Keep'}, 'NSMessage': 'keep'}]}\n"
              "with open(sys.argv[1], 'wb') as f: plistlib.dump(info, f, fmt=plistlib.%1)\n"_s.arg(format);
        QCOMPARE(QProcess::execute(u"python3"_s, {u"-c"_s, script, info}), 0);

        VelServiceCatalogue &catalogue = reloaded();
        VelProviderPtr provider = providerNamed(u"Rich"_s);
        QVERIFY(provider);
        setServiceEnabled(provider->serviceAtIndex(0), false);
        QCOMPARE(VelSaveChanges(catalogue, {}, placesOf(volume)).outcome, VelSaveOutcome::Saved);

        const QString check
            = u"import plistlib, sys\n"
              "new = plistlib.load(open(sys.argv[1], 'rb'))\n"
              "exec(sys.argv[2])  # the original dictionary, as info\n"
              "owned = {'NSServices', 'Quillfen.Velmora.AllNSServices'}\n"
              "bad = [k for k in set(info) | set(new) if k not in owned and info.get(k) != new.get(k)]\n"
              "entry = [e for e in new['NSServices']]\n"
              "ok = not bad and len(entry) == 1 and entry[0] == info['NSServices'][1]\n"
              "print('ok' if ok else 'differs: %s %s' % (bad, entry))\n"_s;
        const QString original = script.section(u"with open"_s, 0, 0)
                                     .replace(u"import plistlib, datetime, sys\n"_s, u"import datetime\n"_s);
        QProcess python;
        python.start(u"python3"_s, {u"-c"_s, check, info, original});
        QVERIFY(python.waitForFinished(30000));
        QCOMPARE(python.readAllStandardOutput().trimmed(), QByteArray("ok"));
    }
};

QTEST_GUILESS_MAIN(TestSaveChanges)
#include "tst_savechanges.moc"
