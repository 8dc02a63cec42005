// How TidyWorker puts a new Info.plist in place: the order of the steps,
// who can open the file at each of them, and what is left when a step fails
// or the run is cut short.

#include "WorkerTestVolume.h"

#include <TemporaryFileNames.h>

#include <QTest>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>

namespace {

// Restores the test's umask when it goes.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask)
        : m_previous(::umask(mask))
    {
    }
    ~ScopedUmask() { ::umask(m_previous); }
    ScopedUmask(const ScopedUmask &) = delete;
    ScopedUmask &operator=(const ScopedUmask &) = delete;

private:
    mode_t m_previous;
};

// The real steps, each recorded with the temporary file's owner and mode at
// that moment; one of them can be made to fail, and a hook can act just
// before the first write.
class WatchedSteps : public ReplacementSteps {
public:
    struct Step {
        QString name;
        mode_t permissions = 0;
        uid_t owner = 0;
    };
    std::vector<Step> steps;
    QString failing; // the name of the step that fails with EIO
    std::function<void()> beforeFirstWrite;

    [[nodiscard]] QStringList names() const
    {
        QStringList result;
        for (const Step &step : steps)
            result << step.name;
        return result;
    }

    int createExclusive(int folderFd, const QByteArray &name) override
    {
        if (fails(QStringLiteral("create")))
            return -1;
        const int fd = ReplacementSteps::createExclusive(folderFd, name);
        record(QStringLiteral("create"), fd);
        return fd;
    }
    bool writeAll(int fd, const QByteArray &bytes) override
    {
        if (beforeFirstWrite)
            std::exchange(beforeFirstWrite, {})();
        record(QStringLiteral("write"), fd);
        return !fails(QStringLiteral("write")) && ReplacementSteps::writeAll(fd, bytes);
    }
    bool flush(int fd) override
    {
        record(QStringLiteral("flush"), fd);
        return !fails(QStringLiteral("flush")) && ReplacementSteps::flush(fd);
    }
    bool rename(int folderFd, const QByteArray &from, const QByteArray &to, bool noReplace) override
    {
        struct stat st { };
        ::fstatat(folderFd, from.constData(), &st, AT_SYMLINK_NOFOLLOW);
        steps.push_back({QStringLiteral("rename"), st.st_mode & 07777, st.st_uid});
        return !fails(QStringLiteral("rename")) && ReplacementSteps::rename(folderFd, from, to, noReplace);
    }
    void remove(int folderFd, const QByteArray &name) override
    {
        steps.push_back({QStringLiteral("remove"), 0, 0});
        ReplacementSteps::remove(folderFd, name);
    }

private:
    bool fails(const QString &step) const
    {
        if (failing != step)
            return false;
        errno = EIO;
        return true;
    }
    void record(const QString &name, int fd)
    {
        struct stat st { };
        ::fstat(fd, &st);
        steps.push_back({name, st.st_mode & 07777, st.st_uid});
    }
};

bool isRoot()
{
    return ::geteuid() == 0;
}

} // namespace

class TestTidyWorkerWriteSteps : public QObject {
    Q_OBJECT

private slots:
    void shouldFlushBeforeGivingAttributesAndRenaming();
    void shouldLeaveNoTemporaryFileWhenAStepFails_data();
    void shouldLeaveNoTemporaryFileWhenAStepFails();
    void shouldWriteThroughFoldersOpenedOnce();
    void shouldCreateInfoPlistForTheContentsOwner();
    void shouldStopCleanlyAtTheFileSizeLimit();
    void shouldRemoveTemporaryFilesOfKilledRuns();
    void shouldKnowItsTemporaryFileNames_data();
    void shouldKnowItsTemporaryFileNames();
    void shouldPrepareProcessForPrivilegedRun();
};

void TestTidyWorkerWriteSteps::shouldFlushBeforeGivingAttributesAndRenaming()
{
    WorkerTestVolume volume;
    const plist::DictionaryPtr info = WorkerTestVolume::sampleInfo(QStringLiteral("Steps"));
    const QString bundle = volume.makeBundle(QStringLiteral("Steps"), info);
    const QByteArray infoPath = QFile::encodeName(WorkerTestVolume::infoPathOf(bundle));
    QCOMPARE(::chmod(infoPath.constData(), 0640), 0);
    const uid_t owner = isRoot() ? 4321 : ::geteuid();
    QCOMPARE(::chown(infoPath.constData(), owner, ::getegid()), 0);
    const ScopedUmask openToAll(0);
    WatchedSteps steps;

    const WorkerRun run
        = WorkerTestVolume::runInProcess({WorkerTestVolume::entry(bundle, WorkerTestVolume::changedInfo(info))}, steps);

    QVERIFY2(run.status == 0, qPrintable(run.log));
    QCOMPARE(steps.names(), (QStringList {"create", "write", "flush", "rename"}));
    for (qsizetype i = 0; i < 3; ++i) { // the worker's alone until flushed
        QCOMPARE(steps.steps[size_t(i)].permissions, mode_t(0600));
        QCOMPARE(steps.steps[size_t(i)].owner, ::geteuid());
    }
    QCOMPARE(steps.steps[3].permissions, mode_t(0640));
    QCOMPARE(steps.steps[3].owner, owner);
}

void TestTidyWorkerWriteSteps::shouldLeaveNoTemporaryFileWhenAStepFails_data()
{
    QTest::addColumn<QString>("failing");
    QTest::newRow("write") << "write";
    QTest::newRow("flush") << "flush";
    QTest::newRow("rename") << "rename";
}

void TestTidyWorkerWriteSteps::shouldLeaveNoTemporaryFileWhenAStepFails()
{
    QFETCH(QString, failing);
    WorkerTestVolume volume;
    const plist::DictionaryPtr info = WorkerTestVolume::sampleInfo(QStringLiteral("Stray"));
    const QString bundle = volume.makeBundle(QStringLiteral("Stray"), info);
    const QByteArray before = fileBytes(WorkerTestVolume::infoPathOf(bundle));
    WatchedSteps steps;
    steps.failing = failing;

    const WorkerRun run
        = WorkerTestVolume::runInProcess({WorkerTestVolume::entry(bundle, WorkerTestVolume::changedInfo(info))}, steps);

    QCOMPARE(run.status, 2);
    QCOMPARE(run.output, QByteArray());
    QVERIFY2(run.log.contains(QStringLiteral("- cannot write <%1>").arg(WorkerTestVolume::infoPathOf(bundle))),
        qPrintable(run.log));
    QCOMPARE(folderEntries(bundle + QStringLiteral("/Contents")), QStringList {QStringLiteral("Info.plist")});
    QCOMPARE(fileBytes(WorkerTestVolume::infoPathOf(bundle)), before);
}

void TestTidyWorkerWriteSteps::shouldWriteThroughFoldersOpenedOnce()
{
    // Once the worker has checked the bundle, its parent folder is swapped
    // for a link to a folder holding another bundle of the same name.
    WorkerTestVolume volume;
    const plist::DictionaryPtr info = WorkerTestVolume::sampleInfo(QStringLiteral("Target"));
    const QString parent = volume.root() + QStringLiteral("/Applications/Group");
    const QString other = volume.root() + QStringLiteral("/Other");
    QVERIFY(QDir().mkpath(parent) && QDir().mkpath(other));
    const QString bundle = volume.makeBundle(QStringLiteral("Target"), info);
    QVERIFY(QDir().rename(bundle, parent + QStringLiteral("/Target.app")));
    const QString twin = volume.makeBundle(QStringLiteral("Target"), info);
    QVERIFY(QDir().rename(twin, other + QStringLiteral("/Target.app")));
    const QByteArray twinBytes = fileBytes(WorkerTestVolume::infoPathOf(other + QStringLiteral("/Target.app")));
    const plist::DictionaryPtr changed = WorkerTestVolume::changedInfo(info);
    WatchedSteps steps;
    steps.beforeFirstWrite = [&] {
        QDir().rename(parent, parent + QStringLiteral(".old"));
        QFile::link(other, parent);
    };

    const WorkerRun run = WorkerTestVolume::runInProcess(
        {WorkerTestVolume::entry(parent + QStringLiteral("/Target.app"), changed)}, steps);

    QVERIFY2(run.status == 0, qPrintable(run.log));
    QVERIFY(QFileInfo(parent).isSymLink());
    QCOMPARE(fileBytes(WorkerTestVolume::infoPathOf(other + QStringLiteral("/Target.app"))), twinBytes);
    QVERIFY(
        plist::contentEquals(plist::readFile(WorkerTestVolume::infoPathOf(parent + QStringLiteral(".old/Target.app"))),
            plist::Value(changed)));
}

void TestTidyWorkerWriteSteps::shouldCreateInfoPlistForTheContentsOwner()
{
    WorkerTestVolume volume;
    const QString bundle = volume.makeBundle(QStringLiteral("Fresh"), nullptr);
    const QByteArray contents = QFile::encodeName(bundle + QStringLiteral("/Contents"));
    const uid_t owner = isRoot() ? 4321 : ::geteuid();
    const gid_t group = isRoot() ? 5432 : ::getegid();
    QCOMPARE(::chown(contents.constData(), owner, group), 0);
    QVERIFY(volume.writeChangeList(
        {WorkerTestVolume::entry(bundle, WorkerTestVolume::sampleInfo(QStringLiteral("Fresh")))}));

    WorkerRun run;
    {
        const ScopedUmask openToAll(0); // inherited by the worker
        run = volume.run();
    }

    QCOMPARE(run.status, 0);
    QCOMPARE(run.output, QByteArrayLiteral("1"));
    struct stat st { };
    QCOMPARE(::lstat(QFile::encodeName(WorkerTestVolume::infoPathOf(bundle)).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0644));
    QCOMPARE(st.st_uid, owner);
    QCOMPARE(st.st_gid, group);
}

void TestTidyWorkerWriteSteps::shouldStopCleanlyAtTheFileSizeLimit()
{
    WorkerTestVolume volume;
    const plist::DictionaryPtr info = WorkerTestVolume::sampleInfo(QStringLiteral("Limited"));
    const QString bundle = volume.makeBundle(QStringLiteral("Limited"), info);
    const QByteArray before = fileBytes(WorkerTestVolume::infoPathOf(bundle));
    QVERIFY(volume.writeChangeList({WorkerTestVolume::entry(bundle, WorkerTestVolume::changedInfo(info))}));

    const WorkerRun run = volume.run({QStringLiteral("-go")}, {}, [] {
        const rlimit limit {64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });

    QCOMPARE(run.status, 2); // not killed by SIGXFSZ
    QCOMPARE(run.output, QByteArray());
    QVERIFY2(run.log.contains(QStringLiteral("- cannot write <%1>").arg(WorkerTestVolume::infoPathOf(bundle))),
        qPrintable(run.log));
    QCOMPARE(folderEntries(bundle + QStringLiteral("/Contents")), QStringList {QStringLiteral("Info.plist")});
    QCOMPARE(fileBytes(WorkerTestVolume::infoPathOf(bundle)), before);
}

void TestTidyWorkerWriteSteps::shouldRemoveTemporaryFilesOfKilledRuns()
{
    WorkerTestVolume volume;
    const plist::DictionaryPtr info = WorkerTestVolume::sampleInfo(QStringLiteral("Killed"));
    const QString bundle = volume.makeBundle(QStringLiteral("Killed"), info);
    const QString contents = bundle + QStringLiteral("/Contents/");
    const QString stale = QStringLiteral(".Info.plist.tidyworker-2147483646-0"); // no such process
    const QString running = QStringLiteral(".Info.plist.tidyworker-%1-0").arg(::getpid());
    const QString foreign = QStringLiteral(".Info.plist.other");
    for (const QString &name : {stale, running, foreign}) {
        QFile file(contents + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(volume.writeChangeList({WorkerTestVolume::entry(bundle, WorkerTestVolume::changedInfo(info))}));

    const WorkerRun run = volume.run();

    QCOMPARE(run.output, QByteArrayLiteral("0"));
    QStringList expected {foreign, running, QStringLiteral("Info.plist")};
    expected.sort();
    QCOMPARE(folderEntries(contents), expected);
}

void TestTidyWorkerWriteSteps::shouldKnowItsTemporaryFileNames_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("owner"); // 0: not a name of the worker's
    QTest::newRow("own name") << temporaryFileName("Info.plist", 1234, 7) << 1234;
    QTest::newRow("other Info name") << QByteArray(".info.plist.tidyworker-99-0") << 99;
    QTest::newRow("other file") << QByteArray(".version.plist.tidyworker-99-0") << 0;
    QTest::newRow("no attempt") << QByteArray(".Info.plist.tidyworker-99") << 0;
    QTest::newRow("not a number") << QByteArray(".Info.plist.tidyworker-x-0") << 0;
    QTest::newRow("trailing text") << QByteArray(".Info.plist.tidyworker-99-0~") << 0;
    QTest::newRow("the file itself") << QByteArray("Info.plist") << 0;
}

void TestTidyWorkerWriteSteps::shouldKnowItsTemporaryFileNames()
{
    QFETCH(QByteArray, name);
    QFETCH(int, owner);
    QCOMPARE(temporaryFileOwner(name).value_or(0), pid_t(owner));
}

void TestTidyWorkerWriteSteps::shouldPrepareProcessForPrivilegedRun()
{
    struct sigaction previousAction { };
    QCOMPARE(::sigaction(SIGXFSZ, nullptr, &previousAction), 0);
    const ScopedUmask restored(0);

    prepareWorkerProcess();

    struct sigaction action { };
    QCOMPARE(::sigaction(SIGXFSZ, &previousAction, &action), 0);
    QVERIFY(action.sa_handler == SIG_IGN);
    QCOMPARE(::umask(0), mode_t(077));
}

QTEST_GUILESS_MAIN(TestTidyWorkerWriteSteps)
#include "tst_tidyworkerwritesteps.moc"
