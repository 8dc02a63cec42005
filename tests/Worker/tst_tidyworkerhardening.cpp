// TidyWorker refuses entries that would let a changed list write somewhere
// else or something else than the services the user approved.

#include "WorkerTestVolume.h"

#include <QTest>

#include <sys/stat.h>

enum class Sabotage {
    LinkedBundle,
    LinkedContents,
    LinkedInfoPlist,
    InfoPlistIsFolder,
    InfoPlistIsFifo,
    InfoPathOfOtherBundle,
    InfoPathWithOtherName,
    PackagePathNotClean,
    PackagePathRelative,
    InfoIsArray,
    InfoMissing,
    EntryIsString,
    OtherKeyChanged,
    OtherKeyAdded,
    OtherKeyRemoved,
    CurrentFileNotPropertyList,
};
Q_DECLARE_METATYPE(Sabotage)

namespace {

struct Scenario {
    QStringList bundles;             // the three bundles; the second is the target
    QString victim;                  // the bundle a refused entry would have written into
    std::vector<plist::Value> entries;
};

plist::DictionaryPtr dictionaryOf(const plist::Value &entry)
{
    return entry.toDictionary();
}

bool symlinkTo(const QString &target, const QString &link)
{
    return QFile::link(target, link);
}

// Three good entries; then the second one is spoiled.
Scenario makeScenario(WorkerTestVolume &volume)
{
    Scenario s;
    for (const QString &name : {QStringLiteral("First"), QStringLiteral("Target"), QStringLiteral("Last")}) {
        const plist::DictionaryPtr info = WorkerTestVolume::sampleInfo(name);
        s.bundles << volume.makeBundle(name, info);
        s.entries.push_back(WorkerTestVolume::entry(s.bundles.last(), WorkerTestVolume::changedInfo(info)));
    }
    s.victim = s.bundles[1];
    return s;
}

// A second bundle with the target's content, which a link may point to.
QString makeTwin(WorkerTestVolume &volume)
{
    return volume.makeBundle(QStringLiteral("Twin"), WorkerTestVolume::sampleInfo(QStringLiteral("Target")));
}

bool sabotage(WorkerTestVolume &volume, Scenario &s, Sabotage kind)
{
    const QString target = s.bundles[1];
    const plist::DictionaryPtr entry = dictionaryOf(s.entries[1]);
    const plist::DictionaryPtr newInfo = entry->value(u"Info").toDictionary();
    const QString applications = volume.root() + QStringLiteral("/Applications");
    switch (kind) {
    case Sabotage::LinkedBundle: {
        s.victim = makeTwin(volume);
        const QString link = applications + QStringLiteral("/Link.app");
        s.entries[1] = WorkerTestVolume::entry(link, newInfo);
        return symlinkTo(s.victim, link);
    }
    case Sabotage::LinkedContents:
        s.victim = makeTwin(volume);
        return QDir(target + QStringLiteral("/Contents")).removeRecursively()
            && symlinkTo(s.victim + QStringLiteral("/Contents"), target + QStringLiteral("/Contents"));
    case Sabotage::LinkedInfoPlist:
        s.victim = makeTwin(volume);
        return QFile::remove(WorkerTestVolume::infoPathOf(target))
            && symlinkTo(WorkerTestVolume::infoPathOf(s.victim), WorkerTestVolume::infoPathOf(target));
    case Sabotage::InfoPlistIsFolder:
        return QFile::remove(WorkerTestVolume::infoPathOf(target)) && QDir().mkdir(WorkerTestVolume::infoPathOf(target));
    case Sabotage::InfoPlistIsFifo:
        return QFile::remove(WorkerTestVolume::infoPathOf(target))
            && ::mkfifo(QFile::encodeName(WorkerTestVolume::infoPathOf(target)).constData(), 0644) == 0;
    case Sabotage::InfoPathOfOtherBundle:
        s.victim = makeTwin(volume);
        entry->set(QStringLiteral("Info Path"), WorkerTestVolume::infoPathOf(s.victim));
        return true;
    case Sabotage::InfoPathWithOtherName:
        entry->set(QStringLiteral("Info Path"), WorkerTestVolume::infoPathOf(target, QStringLiteral("version.plist")));
        return true;
    case Sabotage::PackagePathNotClean: {
        const QString unclean = applications + QStringLiteral("/First.app/../Target.app");
        entry->set(QStringLiteral("Package Path"), unclean);
        entry->set(QStringLiteral("Info Path"), WorkerTestVolume::infoPathOf(unclean));
        return true;
    }
    case Sabotage::PackagePathRelative:
        entry->set(QStringLiteral("Package Path"), QStringLiteral("Target.app"));
        entry->set(QStringLiteral("Info Path"), QStringLiteral("Target.app/Contents/Info.plist"));
        return true;
    case Sabotage::InfoIsArray:
        entry->set(QStringLiteral("Info"), plist::Value(plist::Array::create()));
        return true;
    case Sabotage::InfoMissing:
        entry->remove(u"Info");
        return true;
    case Sabotage::EntryIsString:
        s.entries[1] = plist::Value(WorkerTestVolume::infoPathOf(target));
        return true;
    case Sabotage::OtherKeyChanged:
        newInfo->set(QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.example.evil"));
        return true;
    case Sabotage::OtherKeyAdded:
        newInfo->set(QStringLiteral("LSEnvironment"), QStringLiteral("DYLD_INSERT_LIBRARIES=/tmp/x"));
        return true;
    case Sabotage::OtherKeyRemoved:
        newInfo->remove(u"LSMinimumSystemVersion");
        return true;
    case Sabotage::CurrentFileNotPropertyList: {
        QFile file(WorkerTestVolume::infoPathOf(target));
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("not a property list") > 0;
    }
    }
    return false;
}

} // namespace

class TestTidyWorkerHardening : public QObject {
    Q_OBJECT

private slots:
    void shouldRefuseEntryAndStopThere_data();
    void shouldRefuseEntryAndStopThere();
    void shouldAcceptServicesOnlyChanges_data();
    void shouldAcceptServicesOnlyChanges();
};

void TestTidyWorkerHardening::shouldRefuseEntryAndStopThere_data()
{
    QTest::addColumn<Sabotage>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("linked bundle") << Sabotage::LinkedBundle << "is a symbolic link";
    QTest::newRow("linked Contents") << Sabotage::LinkedContents << "is a symbolic link";
    QTest::newRow("linked Info.plist") << Sabotage::LinkedInfoPlist << "is a symbolic link";
    QTest::newRow("Info.plist is a folder") << Sabotage::InfoPlistIsFolder << "not a regular file";
    QTest::newRow("Info.plist is a FIFO") << Sabotage::InfoPlistIsFifo << "not a regular file";
    QTest::newRow("Info Path of another bundle") << Sabotage::InfoPathOfOtherBundle << "is not the Info.plist";
    QTest::newRow("Info Path with another name") << Sabotage::InfoPathWithOtherName << "is not the Info.plist";
    QTest::newRow("Package Path not clean") << Sabotage::PackagePathNotClean << "not a plain absolute path";
    QTest::newRow("Package Path relative") << Sabotage::PackagePathRelative << "not a plain absolute path";
    QTest::newRow("Info is an array") << Sabotage::InfoIsArray << "not a dictionary";
    QTest::newRow("Info missing") << Sabotage::InfoMissing << "not a dictionary";
    QTest::newRow("entry is a string") << Sabotage::EntryIsString << "not a dictionary";
    QTest::newRow("other key changed") << Sabotage::OtherKeyChanged << "differs from the current file in \"CFBundleIdentifier\"";
    QTest::newRow("other key added") << Sabotage::OtherKeyAdded << "differs from the current file in \"LSEnvironment\"";
    QTest::newRow("other key removed") << Sabotage::OtherKeyRemoved << "differs from the current file in \"LSMinimumSystemVersion\"";
    QTest::newRow("current file not a property list") << Sabotage::CurrentFileNotPropertyList << "not a property list";
}

void TestTidyWorkerHardening::shouldRefuseEntryAndStopThere()
{
    QFETCH(Sabotage, kind);
    QFETCH(QString, reason);
    WorkerTestVolume volume;
    Scenario s = makeScenario(volume);
    QVERIFY(sabotage(volume, s, kind));
    QVERIFY(volume.writeChangeList(s.entries));
    const QByteArray victimBytes = fileBytes(WorkerTestVolume::infoPathOf(s.victim));
    const timespec victimDate = modificationDateOf(s.victim);
    const timespec targetDate = modificationDateOf(s.bundles[1]);
    const QByteArray lastBytes = fileBytes(WorkerTestVolume::infoPathOf(s.bundles[2]));
    QTest::qSleep(20);

    const WorkerRun run = volume.run();

    QCOMPARE(run.status, 2);
    QCOMPARE(run.output, QByteArrayLiteral("0"));
    QVERIFY2(run.log.contains(reason), qPrintable(run.log));
    QCOMPARE(fileBytes(WorkerTestVolume::infoPathOf(s.victim)), victimBytes);
    QVERIFY(sameInstant(modificationDateOf(s.victim), victimDate));
    QVERIFY(sameInstant(modificationDateOf(s.bundles[1]), targetDate)); // checked before it is stamped
    QCOMPARE(fileBytes(WorkerTestVolume::infoPathOf(s.bundles[2])), lastBytes);
    const QStringList leftovers = QDir(s.victim + QStringLiteral("/Contents")).entryList(QDir::Hidden | QDir::Files);
    QVERIFY(leftovers.filter(QStringLiteral("tidyworker")).isEmpty());
}

void TestTidyWorkerHardening::shouldAcceptServicesOnlyChanges_data()
{
    QTest::addColumn<bool>("binaryOnDisk");
    QTest::addColumn<bool>("olderMarkOnDisk");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("XML on disk") << false << false << "Info.plist";
    QTest::newRow("binary on disk, same content") << true << false << "Info.plist";
    QTest::newRow("older services key on disk") << false << true << "Info.plist";
    QTest::newRow("Info-MacOS.plist") << false << false << "Info-MacOS.plist";
    QTest::newRow("info.plist") << true << false << "info.plist";
}

void TestTidyWorkerHardening::shouldAcceptServicesOnlyChanges()
{
    QFETCH(bool, binaryOnDisk);
    QFETCH(bool, olderMarkOnDisk);
    QFETCH(QString, fileName);
    WorkerTestVolume volume;
    const plist::DictionaryPtr onDisk = WorkerTestVolume::sampleInfo(QStringLiteral("Mixed"));
    if (olderMarkOnDisk)
        onDisk->set(QStringLiteral("Quillfen.Korvane.AllNSServices"), onDisk->value(u"NSServices"));
    const QString bundle = volume.makeBundle(QStringLiteral("Mixed"), nullptr);
    QFile file(WorkerTestVolume::infoPathOf(bundle, fileName));
    const QByteArray bytes = binaryOnDisk ? plist::writeBinary(plist::Value(onDisk)) : plist::writeXml(plist::Value(onDisk));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    const plist::DictionaryPtr newInfo = WorkerTestVolume::changedInfo(WorkerTestVolume::sampleInfo(QStringLiteral("Mixed")));
    const plist::Value entry = WorkerTestVolume::entry(bundle, newInfo);
    entry.toDictionary()->set(QStringLiteral("Info Path"), WorkerTestVolume::infoPathOf(bundle, fileName));
    QVERIFY(volume.writeChangeList({entry}));

    const WorkerRun run = volume.run();

    QVERIFY2(run.status == 0, qPrintable(run.log));
    QCOMPARE(run.output, QByteArrayLiteral("0"));
    plist::Format format = plist::Format::Binary;
    QVERIFY(plist::contentEquals(plist::readFile(file.fileName(), &format), plist::Value(newInfo)));
    QCOMPARE(format, plist::Format::Xml);
}

QTEST_GUILESS_MAIN(TestTidyWorkerHardening)
#include "tst_tidyworkerhardening.moc"
