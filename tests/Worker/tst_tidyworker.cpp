// TidyWorker end to end: the real program on temporary Mac volumes.

#include "WorkerTestVolume.h"

#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>

namespace {

// Makes a folder refuse new entries, also for root: immutable when we are
// root, read-only otherwise. Undone when it goes.
class LockedFolder {
public:
    explicit LockedFolder(const QString &path)
        : m_path(path)
    {
        if (::geteuid() == 0)
            m_locked = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
        else
            m_locked = ::chmod(QFile::encodeName(path).constData(), 0555) == 0;
    }
    ~LockedFolder()
    {
        if (!m_locked)
            return;
        if (::geteuid() == 0)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        else
            ::chmod(QFile::encodeName(m_path).constData(), 0755);
    }
    LockedFolder(const LockedFolder &) = delete;
    LockedFolder &operator=(const LockedFolder &) = delete;
    [[nodiscard]] bool isLocked() const { return m_locked; }

private:
    QString m_path;
    bool m_locked = false;
};

} // namespace

class TestTidyWorker : public QObject {
    Q_OBJECT

private slots:
    void shouldPrintNothingWhenListIsEmpty();
    void shouldFailWithStatusOneWhenRootIsDictionary();
    void shouldFailWithStatusOneWhenListIsMissing();
    void shouldStopAtEntryWhoseWriteFails();
    void shouldCreateNewInfoPlistAndPrintOne();
    void shouldStopWhenBundleIsMissing();
    void shouldGiveEveryFileTheSameRunTimestamp();
    void shouldIgnoreArguments_data();
    void shouldIgnoreArguments();
    void shouldKeepAttributesOfReplacedFile();
    void shouldWriteEveryValueOfTheNewContent();
};

void TestTidyWorker::shouldPrintNothingWhenListIsEmpty()
{
    WorkerTestVolume volume;
    const QString bundle
        = volume.makeBundle(QStringLiteral("Calm"), WorkerTestVolume::sampleInfo(QStringLiteral("Calm")));
    QVERIFY(ageFile(bundle));
    QVERIFY(volume.writeChangeList(std::vector<plist::Value> {}));

    const WorkerRun run = volume.run();

    QCOMPARE(run.status, 0);
    QCOMPARE(run.output, QByteArray());
    QVERIFY(sameInstant(modificationDateOf(bundle), kLongAgo));
}

void TestTidyWorker::shouldFailWithStatusOneWhenRootIsDictionary()
{
    WorkerTestVolume volume;
    const QString bundle = volume.makeBundle(QStringLiteral("A"), WorkerTestVolume::sampleInfo(QStringLiteral("A")));
    auto root = plist::Dictionary::create();
    root->set(QStringLiteral("0"),
        volume.entry(bundle, WorkerTestVolume::changedInfo(WorkerTestVolume::sampleInfo(QStringLiteral("A")))));
    const QByteArray before = fileBytes(WorkerTestVolume::infoPathOf(bundle));
    QVERIFY(volume.writeChangeListRoot(plist::Value(root)));

    const WorkerRun run = volume.run();

    QCOMPARE(run.status, 1);
    QCOMPARE(run.output, QByteArray());
    QCOMPARE(fileBytes(WorkerTestVolume::infoPathOf(bundle)), before);
}

void TestTidyWorker::shouldFailWithStatusOneWhenListIsMissing()
{
    WorkerTestVolume volume;

    const WorkerRun run = volume.run();

    QCOMPARE(run.status, 1);
    QCOMPARE(run.output, QByteArray());
}

void TestTidyWorker::shouldStopAtEntryWhoseWriteFails()
{
    WorkerTestVolume volume;
    std::vector<plist::Value> entries;
    QStringList bundles;
    for (int i = 1; i <= 5; ++i) {
        const QString name = QStringLiteral("App%1").arg(i);
        const plist::DictionaryPtr info = WorkerTestVolume::sampleInfo(name);
        bundles << volume.makeBundle(name, info);
        entries.push_back(WorkerTestVolume::entry(bundles.last(), WorkerTestVolume::changedInfo(info)));
    }
    QVERIFY(volume.writeChangeList(entries));
    for (const QString &bundle : bundles)
        QVERIFY(ageFile(bundle)); // so that a new date differs from the old ones
    const QByteArray fourth = fileBytes(WorkerTestVolume::infoPathOf(bundles[3]));
    const QByteArray fifth = fileBytes(WorkerTestVolume::infoPathOf(bundles[4]));

    WorkerRun run;
    {
        const LockedFolder locked(bundles[2] + QStringLiteral("/Contents"));
        if (!locked.isLocked())
            QSKIP("cannot make a folder unwritable here");
        run = volume.run();
    }

    QCOMPARE(run.status, 2);
    QCOMPARE(run.output, QByteArrayLiteral("00"));
    QVERIFY(sameInstant(modificationDateOf(bundles[2]), modificationDateOf(bundles[0])));
    QVERIFY(!sameInstant(modificationDateOf(bundles[2]), kLongAgo));
    QVERIFY(sameInstant(modificationDateOf(bundles[3]), kLongAgo));
    QVERIFY(sameInstant(modificationDateOf(bundles[4]), kLongAgo));
    QCOMPARE(fileBytes(WorkerTestVolume::infoPathOf(bundles[3])), fourth);
    QCOMPARE(fileBytes(WorkerTestVolume::infoPathOf(bundles[4])), fifth);
    QVERIFY(run.log.contains(WorkerTestVolume::infoPathOf(bundles[2])));
}

void TestTidyWorker::shouldCreateNewInfoPlistAndPrintOne()
{
    WorkerTestVolume volume;
    const QString bundle = volume.makeBundle(QStringLiteral("Fresh"), nullptr);
    const plist::DictionaryPtr info = WorkerTestVolume::sampleInfo(QStringLiteral("Fresh"));
    QVERIFY(volume.writeChangeList({WorkerTestVolume::entry(bundle, info)}));

    const WorkerRun run = volume.run();

    QCOMPARE(run.status, 0);
    QCOMPARE(run.output, QByteArrayLiteral("1"));
    QVERIFY(
        run.log.contains(QStringLiteral("- cannot get attributes for <%1>").arg(WorkerTestVolume::infoPathOf(bundle))));
    QVERIFY(plist::contentEquals(plist::readFile(WorkerTestVolume::infoPathOf(bundle)), plist::Value(info)));
}

void TestTidyWorker::shouldStopWhenBundleIsMissing()
{
    // Without the bundle there is no Contents folder to write into.
    WorkerTestVolume volume;
    const QString missing = volume.root() + QStringLiteral("/Applications/Gone.app");
    QVERIFY(volume.writeChangeList(
        {WorkerTestVolume::entry(missing, WorkerTestVolume::sampleInfo(QStringLiteral("Gone")))}));

    const WorkerRun run = volume.run();

    QCOMPARE(run.status, 2);
    QCOMPARE(run.output, QByteArray());
    QVERIFY(run.log.contains(QStringLiteral("- cannot get attributes for <%1>").arg(missing)));
    QVERIFY(!QFileInfo::exists(missing));
}

void TestTidyWorker::shouldGiveEveryFileTheSameRunTimestamp()
{
    WorkerTestVolume volume;
    std::vector<plist::Value> entries;
    QStringList bundles;
    for (const QString &name : {QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")}) {
        const plist::DictionaryPtr info = WorkerTestVolume::sampleInfo(name);
        bundles << volume.makeBundle(name, info);
        entries.push_back(WorkerTestVolume::entry(bundles.last(), WorkerTestVolume::changedInfo(info)));
    }
    QVERIFY(volume.writeChangeList(entries));

    const WorkerRun run = volume.run();

    QCOMPARE(run.status, 0);
    QCOMPARE(run.output, QByteArrayLiteral("000"));
    const timespec stamp = modificationDateOf(bundles.first());
    for (const QString &bundle : bundles) {
        QVERIFY(sameInstant(modificationDateOf(bundle), stamp));
        QVERIFY(sameInstant(modificationDateOf(WorkerTestVolume::infoPathOf(bundle)), stamp));
    }
}

void TestTidyWorker::shouldIgnoreArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("-go") << QStringList {QStringLiteral("-go")};
    QTest::newRow("none") << QStringList {};
    QTest::newRow("others") << QStringList {QStringLiteral("--help"), QStringLiteral("-v")};
}

void TestTidyWorker::shouldIgnoreArguments()
{
    QFETCH(QStringList, arguments);
    WorkerTestVolume volume;
    const plist::DictionaryPtr info = WorkerTestVolume::sampleInfo(QStringLiteral("Args"));
    const QString bundle = volume.makeBundle(QStringLiteral("Args"), info);
    const plist::DictionaryPtr changed = WorkerTestVolume::changedInfo(info);
    QVERIFY(volume.writeChangeList({WorkerTestVolume::entry(bundle, changed)}));

    const WorkerRun run = volume.run(arguments);

    QCOMPARE(run.status, 0);
    QCOMPARE(run.output, QByteArrayLiteral("0"));
    QVERIFY(plist::contentEquals(plist::readFile(WorkerTestVolume::infoPathOf(bundle)), plist::Value(changed)));
}

void TestTidyWorker::shouldKeepAttributesOfReplacedFile()
{
    WorkerTestVolume volume;
    const plist::DictionaryPtr info = WorkerTestVolume::sampleInfo(QStringLiteral("Kept"));
    const QString bundle = volume.makeBundle(QStringLiteral("Kept"), info);
    const QByteArray infoPath = QFile::encodeName(WorkerTestVolume::infoPathOf(bundle));
    const bool root = ::geteuid() == 0;
    QCOMPARE(::chmod(infoPath.constData(), 0640), 0);
    if (root)
        QCOMPARE(::chown(infoPath.constData(), 4321, 5432), 0);
    const timespec dates[2] = {{1000000000, 123456789}, {1100000000, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, infoPath.constData(), dates, 0), 0);
    const QByteArray tag("kept across the save");
    const bool xattrs
        = ::setxattr(infoPath.constData(), "user.velmora.test", tag.constData(), size_t(tag.size()), 0) == 0;
    QVERIFY(xattrs || errno == ENOTSUP);
    QVERIFY(volume.writeChangeList({WorkerTestVolume::entry(bundle, WorkerTestVolume::changedInfo(info))}));

    const WorkerRun run = volume.run();

    QCOMPARE(run.status, 0);
    QCOMPARE(run.output, QByteArrayLiteral("0"));
    struct stat st { };
    QCOMPARE(::lstat(infoPath.constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
    if (root) {
        QCOMPARE(st.st_uid, uid_t(4321));
        QCOMPARE(st.st_gid, gid_t(5432));
    }
    QCOMPARE(st.st_atim.tv_sec, dates[0].tv_sec);
    QCOMPARE(st.st_atim.tv_nsec, dates[0].tv_nsec);
    QVERIFY(sameInstant(st.st_mtim, modificationDateOf(bundle)));
    QVERIFY(st.st_mtim.tv_sec > dates[1].tv_sec);
    if (xattrs) {
        char value[64] = {};
        const ssize_t size = ::getxattr(infoPath.constData(), "user.velmora.test", value, sizeof value);
        QCOMPARE(QByteArray(value, int(qMax<ssize_t>(size, 0))), tag);
    }
    QCOMPARE(
        QDir(bundle + QStringLiteral("/Contents")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList {QStringLiteral("Info.plist")});
}

void TestTidyWorker::shouldWriteEveryValueOfTheNewContent()
{
    WorkerTestVolume volume;
    const plist::DictionaryPtr info = WorkerTestVolume::sampleInfo(QStringLiteral("Values"));
    info->set(QStringLiteral("Blob"), plist::Value::fromData(QByteArray("\x00\x01\xff", 3)));
    info->set(QStringLiteral("Text"), QStringLiteral("caf\u00e9 \U0001F600 <&>"));
    info->set(QStringLiteral("Ratio"), 0.1);
    const QString bundle = volume.makeBundle(QStringLiteral("Values"), info);
    const plist::DictionaryPtr changed = WorkerTestVolume::changedInfo(info);
    QVERIFY(volume.writeChangeList({WorkerTestVolume::entry(bundle, changed)}));

    const WorkerRun run = volume.run();

    QCOMPARE(run.output, QByteArrayLiteral("0"));
    plist::Format format = plist::Format::Binary;
    const plist::Value written = plist::readFile(WorkerTestVolume::infoPathOf(bundle), &format);
    QVERIFY(plist::contentEquals(written, plist::Value(changed)));
    QCOMPARE(format, plist::Format::Xml);
}

QTEST_GUILESS_MAIN(TestTidyWorker)
#include "tst_tidyworker.moc"
