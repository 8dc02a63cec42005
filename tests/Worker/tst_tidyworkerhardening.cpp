// TidyWorker refuses entries that would let a changed list write somewhere
// else or something else than the services the user approved.

#include "WorkerTestVolume.h"

#include <QRegularExpression>
#include <QTest>

#include <sys/stat.h>

#include <algorithm>

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
    LinkAboveBundle,
    NamesInfoMacOSBesideInfoPlist,
    NamesInfoMacosBesideInfoPlist,
    NamesLowerInfoBesideInfoPlist,
    NewFileNotInfoPlist,
    LinkLoopBesideLowerInfo,
    DanglingInfoPlistLink,
    HardLinkedInfoPlist,
    LoneSurrogateInOtherKey,
    SubSecondDateInOtherKey,
    LoneSurrogateInPath,
    ControlCharactersInPath,
    NulInInfoPath,
};
Q_DECLARE_METATYPE(Sabotage)

namespace {

struct Scenario {
    QStringList bundles; // the three bundles; the second is the target
    QString victim; // the bundle a refused entry would have written into
    QString victimFile; // the file there that must keep its bytes; its Info.plist when empty
    std::vector<plist::Value> entries;
};

// Gives the entry another "Info Path" inside its own bundle.
void nameInfoFile(const plist::DictionaryPtr &entry, const QString &bundle, const QString &name)
{
    entry->set(QStringLiteral("Info Path"), WorkerTestVolume::infoPathOf(bundle, name));
}

// Replaces the bundle's Info.plist with a binary one holding info plus the
// key, and puts the same key into the new content.
bool addKeyOnBothSides(
    const QString &bundle, const plist::DictionaryPtr &newInfo, const QString &key, const plist::Value &value)
{
    const plist::DictionaryPtr onDisk = plist::readFile(WorkerTestVolume::infoPathOf(bundle)).toDictionary();
    if (!onDisk)
        return false;
    onDisk->set(key, value);
    newInfo->set(key, value);
    const QByteArray bytes = plist::writeBinary(plist::Value(onDisk));
    QFile file(WorkerTestVolume::infoPathOf(bundle));
    return !bytes.isEmpty() && file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

// The same entry for a bundle at another path.
void movePackagePath(const plist::DictionaryPtr &entry, const QString &bundle)
{
    entry->set(QStringLiteral("Package Path"), bundle);
    entry->set(QStringLiteral("Info Path"), WorkerTestVolume::infoPathOf(bundle));
}

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
        return QFile::remove(WorkerTestVolume::infoPathOf(target))
            && QDir().mkdir(WorkerTestVolume::infoPathOf(target));
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
    case Sabotage::LinkAboveBundle: {
        // Real/Target.app has the target's content; the entry reaches it
        // through Linked -> Real.
        QDir().mkpath(applications + QStringLiteral("/Real"));
        s.victim = applications + QStringLiteral("/Real/Target.app");
        movePackagePath(entry, applications + QStringLiteral("/Linked/Target.app"));
        return QDir().rename(target, s.victim)
            && symlinkTo(applications + QStringLiteral("/Real"), applications + QStringLiteral("/Linked"))
            && QDir().mkpath(target + QStringLiteral("/Contents"));
    }
    case Sabotage::NamesInfoMacOSBesideInfoPlist:
        nameInfoFile(entry, target, QStringLiteral("Info-MacOS.plist"));
        return true;
    case Sabotage::NamesInfoMacosBesideInfoPlist:
        nameInfoFile(entry, target, QStringLiteral("Info-macos.plist"));
        return true;
    case Sabotage::NamesLowerInfoBesideInfoPlist:
        nameInfoFile(entry, target, QStringLiteral("info.plist"));
        return true;
    case Sabotage::NewFileNotInfoPlist:
        nameInfoFile(entry, target, QStringLiteral("Info-macos.plist"));
        return QFile::remove(WorkerTestVolume::infoPathOf(target));
    case Sabotage::LinkLoopBesideLowerInfo:
        // The catalogue reads info.plist: a loop does not exist.
        s.victimFile = WorkerTestVolume::infoPathOf(target, QStringLiteral("info.plist"));
        return QFile::rename(WorkerTestVolume::infoPathOf(target), s.victimFile)
            && symlinkTo(QStringLiteral("Info.plist"), WorkerTestVolume::infoPathOf(target));
    case Sabotage::DanglingInfoPlistLink:
        return QFile::remove(WorkerTestVolume::infoPathOf(target))
            && symlinkTo(volume.root() + QStringLiteral("/nowhere"), WorkerTestVolume::infoPathOf(target));
    case Sabotage::HardLinkedInfoPlist:
        return ::link(QFile::encodeName(WorkerTestVolume::infoPathOf(target)).constData(),
                   QFile::encodeName(volume.root() + QStringLiteral("/elsewhere.plist")).constData())
            == 0;
    case Sabotage::LoneSurrogateInOtherKey:
        return addKeyOnBothSides(target, newInfo, QStringLiteral("CFBundleGetInfoString"),
            QStringLiteral("a") + QChar(0xd800) + QStringLiteral("b"));
    case Sabotage::SubSecondDateInOtherKey:
        return addKeyOnBothSides(target, newInfo, QStringLiteral("BuildDate"), plist::Date {123456789.25});
    case Sabotage::LoneSurrogateInPath:
        movePackagePath(entry, applications + QStringLiteral("/Target") + QChar(0xdc00) + QStringLiteral(".app"));
        return true;
    case Sabotage::ControlCharactersInPath:
        movePackagePath(
            entry, applications + QStringLiteral("/Gone\n2001-01-01 00:00:00.000 TidyWorker[1] forged\x1b[2J.app"));
        return true;
    case Sabotage::NulInInfoPath:
        entry->set(QStringLiteral("Info Path"), WorkerTestVolume::infoPathOf(target) + QChar(0) + QStringLiteral("x"));
        return true;
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

// Every line starts with the log's own prefix, so no path broke a line.
bool everyLineIsALogLine(const QString &log)
{
    static const QRegularExpression prefix(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\S+\\[\\d+\\] "));
    const QStringList lines = log.split(u'\n', Qt::SkipEmptyParts);
    return std::all_of(lines.begin(), lines.end(), [](const QString &line) { return prefix.match(line).hasMatch(); })
        && !log.contains(QChar(0x1b)) && !log.contains(QChar(0));
}

void TestTidyWorkerHardening::shouldRefuseEntryAndStopThere_data()
{
    QTest::addColumn<Sabotage>("kind");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("inProcess"); // for lists that no XML file can carry
    QTest::newRow("linked bundle") << Sabotage::LinkedBundle << "is a symbolic link" << false;
    QTest::newRow("linked Contents") << Sabotage::LinkedContents << "is a symbolic link" << false;
    QTest::newRow("linked Info.plist") << Sabotage::LinkedInfoPlist << "is a symbolic link" << false;
    QTest::newRow("Info.plist is a folder") << Sabotage::InfoPlistIsFolder << "not a regular file" << false;
    QTest::newRow("Info.plist is a FIFO") << Sabotage::InfoPlistIsFifo << "not a regular file" << false;
    QTest::newRow("Info Path of another bundle") << Sabotage::InfoPathOfOtherBundle << "is not the Info.plist" << false;
    QTest::newRow("Info Path with another name") << Sabotage::InfoPathWithOtherName << "is not the Info.plist" << false;
    QTest::newRow("Package Path not clean") << Sabotage::PackagePathNotClean << "not a plain absolute path" << false;
    QTest::newRow("Package Path relative") << Sabotage::PackagePathRelative << "not a plain absolute path" << false;
    QTest::newRow("Info is an array") << Sabotage::InfoIsArray << "not a dictionary" << false;
    QTest::newRow("Info missing") << Sabotage::InfoMissing << "not a dictionary" << false;
    QTest::newRow("entry is a string") << Sabotage::EntryIsString << "not a dictionary" << false;
    QTest::newRow("other key changed") << Sabotage::OtherKeyChanged
                                       << "differs from the current file in \"CFBundleIdentifier\"" << false;
    QTest::newRow("other key added") << Sabotage::OtherKeyAdded << "differs from the current file in \"LSEnvironment\""
                                     << false;
    QTest::newRow("other key removed") << Sabotage::OtherKeyRemoved
                                       << "differs from the current file in \"LSMinimumSystemVersion\"" << false;
    QTest::newRow("current file not a property list")
        << Sabotage::CurrentFileNotPropertyList << "not a property list" << false;
    QTest::newRow("link above the bundle")
        << Sabotage::LinkAboveBundle << "/Applications/Linked> is a symbolic link" << false;
    QTest::newRow("Info-MacOS.plist beside Info.plist")
        << Sabotage::NamesInfoMacOSBesideInfoPlist << "which is <Info.plist>" << false;
    QTest::newRow("Info-macos.plist beside Info.plist")
        << Sabotage::NamesInfoMacosBesideInfoPlist << "which is <Info.plist>" << false;
    QTest::newRow("info.plist beside Info.plist")
        << Sabotage::NamesLowerInfoBesideInfoPlist << "which is <Info.plist>" << false;
    QTest::newRow("new file not named Info.plist")
        << Sabotage::NewFileNotInfoPlist << "a new one may only be <Info.plist>" << false;
    QTest::newRow("Info.plist a link loop beside info.plist")
        << Sabotage::LinkLoopBesideLowerInfo << "which is <info.plist>" << false;
    QTest::newRow("Info.plist a dangling link")
        << Sabotage::DanglingInfoPlistLink << "<Info.plist> is a symbolic link" << false;
    QTest::newRow("hard-linked Info.plist") << Sabotage::HardLinkedInfoPlist << "has 2 hard links" << false;
    QTest::newRow("lone surrogate in another key")
        << Sabotage::LoneSurrogateInOtherKey << "cannot be written exactly: \"CFBundleGetInfoString\"" << true;
    QTest::newRow("sub-second date in another key")
        << Sabotage::SubSecondDateInOtherKey << "cannot be written exactly: \"BuildDate\"" << true;
    QTest::newRow("lone surrogate in a path") << Sabotage::LoneSurrogateInPath << "is not valid text" << true;
    QTest::newRow("control characters in a path")
        << Sabotage::ControlCharactersInPath << "Gone\\n2001-01-01 00:00:00.000 TidyWorker[1] forged\\x1b[2J.app>"
        << false;
    QTest::newRow("NUL in a path") << Sabotage::NulInInfoPath << "Info.plist\\0x>" << true;
}

void TestTidyWorkerHardening::shouldRefuseEntryAndStopThere()
{
    QFETCH(Sabotage, kind);
    QFETCH(QString, reason);
    QFETCH(bool, inProcess);
    WorkerTestVolume volume;
    Scenario s = makeScenario(volume);
    QVERIFY(sabotage(volume, s, kind));
    QVERIFY(inProcess || volume.writeChangeList(s.entries));
    const QString victimFile = s.victimFile.isEmpty() ? WorkerTestVolume::infoPathOf(s.victim) : s.victimFile;
    const QByteArray victimBytes = fileBytes(victimFile);
    const QStringList victimContents = folderEntries(s.victim + QStringLiteral("/Contents"));
    const QStringList targetContents = folderEntries(s.bundles[1] + QStringLiteral("/Contents"));
    QVERIFY(ageFile(s.victim) && ageFile(s.bundles[1]));
    const QByteArray lastBytes = fileBytes(WorkerTestVolume::infoPathOf(s.bundles[2]));

    const WorkerRun run = inProcess ? WorkerTestVolume::runInProcess(s.entries) : volume.run();

    QCOMPARE(run.status, 2);
    QCOMPARE(run.output, QByteArrayLiteral("0"));
    QVERIFY2(run.log.contains(reason), qPrintable(run.log));
    QVERIFY2(everyLineIsALogLine(run.log), qPrintable(run.log));
    QCOMPARE(fileBytes(victimFile), victimBytes);
    QVERIFY(sameInstant(modificationDateOf(s.victim), kLongAgo));
    QVERIFY(sameInstant(modificationDateOf(s.bundles[1]), kLongAgo)); // checked before it is stamped
    QCOMPARE(fileBytes(WorkerTestVolume::infoPathOf(s.bundles[2])), lastBytes);
    QCOMPARE(folderEntries(s.victim + QStringLiteral("/Contents")), victimContents);
    QCOMPARE(folderEntries(s.bundles[1] + QStringLiteral("/Contents")), targetContents);
}

void TestTidyWorkerHardening::shouldAcceptServicesOnlyChanges_data()
{
    QTest::addColumn<bool>("binaryOnDisk");
    QTest::addColumn<bool>("olderMarkOnDisk");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("infoPlistLinkTarget"); // Contents/Info.plist as a link that leads nowhere
    QTest::newRow("XML on disk") << false << false << "Info.plist" << QString();
    QTest::newRow("binary on disk, same content") << true << false << "Info.plist" << QString();
    QTest::newRow("older services key on disk") << false << true << "Info.plist" << QString();
    QTest::newRow("Info-MacOS.plist") << false << false << "Info-MacOS.plist" << QString();
    QTest::newRow("info.plist") << true << false << "info.plist" << QString();
    QTest::newRow("info.plist beside an Info.plist link loop") << true << false << "info.plist"
                                                               << "Info.plist";
    QTest::newRow("Info-macos.plist beside a dangling Info.plist") << false << false << "Info-macos.plist"
                                                                   << "../missing";
}

void TestTidyWorkerHardening::shouldAcceptServicesOnlyChanges()
{
    QFETCH(bool, binaryOnDisk);
    QFETCH(bool, olderMarkOnDisk);
    QFETCH(QString, fileName);
    QFETCH(QString, infoPlistLinkTarget);
    WorkerTestVolume volume;
    const plist::DictionaryPtr onDisk = WorkerTestVolume::sampleInfo(QStringLiteral("Mixed"));
    if (olderMarkOnDisk)
        onDisk->set(QStringLiteral("Quillfen.Korvane.AllNSServices"), onDisk->value(u"NSServices"));
    const QString bundle = volume.makeBundle(QStringLiteral("Mixed"), nullptr);
    QFile file(WorkerTestVolume::infoPathOf(bundle, fileName));
    const QByteArray bytes
        = binaryOnDisk ? plist::writeBinary(plist::Value(onDisk)) : plist::writeXml(plist::Value(onDisk));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    if (!infoPlistLinkTarget.isEmpty())
        QVERIFY(QFile::link(infoPlistLinkTarget, WorkerTestVolume::infoPathOf(bundle)));
    const plist::DictionaryPtr newInfo
        = WorkerTestVolume::changedInfo(WorkerTestVolume::sampleInfo(QStringLiteral("Mixed")));
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
