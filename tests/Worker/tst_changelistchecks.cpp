// TidyWorker trusts Changes.plist only when nobody but the user who saved,
// or root, can have written it.

#include "WorkerTestVolume.h"

#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

enum class ListProblem {
    GroupWritable,
    OthersWritable,
    HardLinked,
    SymbolicLink,
    Folder,
    Fifo,
    TooLarge,
    ForeignOwner,
    Binary,
    Text,
    LinkedVelmoraFolder,
    LinkedLibraryFolder,
};
Q_DECLARE_METATYPE(ListProblem)

class TestChangeListChecks : public QObject {
    Q_OBJECT

private slots:
    void shouldRefuseUntrustworthyList_data();
    void shouldRefuseUntrustworthyList();
    void shouldAcceptListOfRequestingUser_data();
    void shouldAcceptListOfRequestingUser();

private:
    struct Fixture {
        WorkerTestVolume volume;
        QString bundle;
        QByteArray listPath;
    };
    static void prepare(Fixture &f);
};

void TestChangeListChecks::prepare(Fixture &f)
{
    const plist::DictionaryPtr info = WorkerTestVolume::sampleInfo(QStringLiteral("Listed"));
    f.bundle = f.volume.makeBundle(QStringLiteral("Listed"), info);
    QVERIFY(f.volume.writeChangeList({WorkerTestVolume::entry(f.bundle, WorkerTestVolume::changedInfo(info))}));
    f.listPath = QFile::encodeName(f.volume.changeListPath());
}

void TestChangeListChecks::shouldRefuseUntrustworthyList_data()
{
    QTest::addColumn<ListProblem>("problem");
    QTest::addColumn<QString>("reason");
    QTest::newRow("group-writable") << ListProblem::GroupWritable << "writable by group or others";
    QTest::newRow("writable by others") << ListProblem::OthersWritable << "writable by group or others";
    QTest::newRow("hard-linked") << ListProblem::HardLinked << "2 hard links";
    QTest::newRow("symbolic link") << ListProblem::SymbolicLink << "is a symbolic link";
    QTest::newRow("folder") << ListProblem::Folder << "not a regular file";
    QTest::newRow("FIFO, which must not stall the worker") << ListProblem::Fifo << "not a regular file";
    QTest::newRow("too large") << ListProblem::TooLarge << "too large";
    QTest::newRow("foreign owner") << ListProblem::ForeignOwner << "owned by uid 4321";
    QTest::newRow("binary list") << ListProblem::Binary << "not an XML property list";
    QTest::newRow("text list") << ListProblem::Text << "not an XML property list";
    QTest::newRow("Velmora folder a symbolic link")
        << ListProblem::LinkedVelmoraFolder << "Application Support/Velmora> is a symbolic link";
    QTest::newRow("Library folder a symbolic link")
        << ListProblem::LinkedLibraryFolder << "tester/Library> is a symbolic link";
}

void TestChangeListChecks::shouldRefuseUntrustworthyList()
{
    QFETCH(ListProblem, problem);
    QFETCH(QString, reason);
    Fixture f;
    prepare(f);
    const QString path = f.volume.changeListPath();
    switch (problem) {
    case ListProblem::GroupWritable:
        QCOMPARE(::chmod(f.listPath.constData(), 0664), 0);
        break;
    case ListProblem::OthersWritable:
        QCOMPARE(::chmod(f.listPath.constData(), 0646), 0);
        break;
    case ListProblem::HardLinked:
        QCOMPARE(
            ::link(f.listPath.constData(), QFile::encodeName(f.volume.root() + QStringLiteral("/copy")).constData()),
            0);
        break;
    case ListProblem::SymbolicLink:
        QVERIFY(QFile::rename(path, f.volume.root() + QStringLiteral("/real.plist")));
        QVERIFY(QFile::link(f.volume.root() + QStringLiteral("/real.plist"), path));
        break;
    case ListProblem::Folder:
        QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        break;
    case ListProblem::Fifo:
        QVERIFY(QFile::remove(path));
        QCOMPARE(::mkfifo(f.listPath.constData(), 0600), 0);
        break;
    case ListProblem::TooLarge: {
        // Still a valid list, so only the size can refuse it.
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        QVERIFY(file.write(QByteArray(64 * 1024 * 1024, ' ')) > 0);
        break;
    }
    case ListProblem::Binary:
    case ListProblem::Text: {
        // The same entries, as a list Velmora never writes.
        const plist::Value list = plist::readFile(path);
        const QByteArray bytes
            = problem == ListProblem::Binary ? plist::writeBinary(list) : plist::describe(list).toUtf8();
        QVERIFY(plist::contentEquals(plist::read(bytes), list));
        QVERIFY(f.volume.writeChangeListBytes(bytes));
        break;
    }
    case ListProblem::LinkedVelmoraFolder:
    case ListProblem::LinkedLibraryFolder: {
        // The same list, reached through a link.
        const QString linked = problem == ListProblem::LinkedVelmoraFolder
            ? f.volume.home() + QStringLiteral("/Library/Application Support/Velmora")
            : f.volume.home() + QStringLiteral("/Library");
        const QString real = f.volume.root() + QStringLiteral("/real");
        QVERIFY(QDir().rename(linked, real));
        QVERIFY(QFile::link(real, linked));
        QVERIFY(QFileInfo::exists(path));
        break;
    }
    case ListProblem::ForeignOwner:
        if (::geteuid() != 0)
            QSKIP("giving a file away needs root");
        QCOMPARE(::chown(f.listPath.constData(), 4321, 4321), 0);
        break;
    }
    const QByteArray before = fileBytes(WorkerTestVolume::infoPathOf(f.bundle));
    const timespec bundleDate = modificationDateOf(f.bundle);

    const WorkerRun run = f.volume.run();

    QCOMPARE(run.status, 1);
    QCOMPARE(run.output, QByteArray());
    QVERIFY2(run.log.contains(reason), qPrintable(run.log));
    QCOMPARE(fileBytes(WorkerTestVolume::infoPathOf(f.bundle)), before);
    QVERIFY(sameInstant(modificationDateOf(f.bundle), bundleDate));
}

void TestChangeListChecks::shouldAcceptListOfRequestingUser_data()
{
    QTest::addColumn<uint>("listOwner");
    QTest::addColumn<uint>("homeOwner");
    QTest::addColumn<QString>("variable");
    QTest::addColumn<uint>("elevatingUser");
    QTest::addColumn<int>("status");
    QTest::newRow("root's own list") << 0u << 0u << QString() << 0u << 0;
    QTest::newRow("list of the home's owner") << 4321u << 4321u << QString() << 0u << 0;
    QTest::newRow("list of another than the home's owner") << 4321u << 5432u << QString() << 0u << 1;
    QTest::newRow("list of the pkexec user") << 4321u << 0u << "PKEXEC_UID" << 4321u << 0;
    QTest::newRow("list of the sudo user") << 4321u << 0u << "SUDO_UID" << 4321u << 0;
    QTest::newRow("list of root for the pkexec user") << 0u << 0u << "PKEXEC_UID" << 4321u << 0;
    QTest::newRow("list of another than the pkexec user") << 5432u << 5432u << "PKEXEC_UID" << 4321u << 1;
}

void TestChangeListChecks::shouldAcceptListOfRequestingUser()
{
    QFETCH(uint, listOwner);
    QFETCH(uint, homeOwner);
    QFETCH(QString, variable);
    QFETCH(uint, elevatingUser);
    QFETCH(int, status);
    if (::geteuid() != 0)
        QSKIP("acting for another user needs root");
    Fixture f;
    prepare(f);
    QCOMPARE(::chown(f.listPath.constData(), listOwner, listOwner), 0);
    QCOMPARE(::chown(QFile::encodeName(f.volume.home()).constData(), homeOwner, homeOwner), 0);
    QProcessEnvironment extra;
    if (!variable.isEmpty())
        extra.insert(variable, QString::number(elevatingUser));

    const WorkerRun run = f.volume.run({QStringLiteral("-go")}, extra);

    QVERIFY2(run.status == status, qPrintable(run.log));
    QCOMPARE(run.output, status == 0 ? QByteArrayLiteral("0") : QByteArray());
}

QTEST_GUILESS_MAIN(TestChangeListChecks)
#include "tst_changelistchecks.moc"
