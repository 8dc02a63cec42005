#include "files/VelMacVolume.h"
#include "workspace/VelWorkspace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

bool makeFolder(const QString &path)
{
    return QDir().mkpath(path);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestVelWorkspace : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { VelMacVolume::clearOverrides(); }

    void packageTest_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<bool>("isPackage");
        QTest::newRow("application") << u"TextEdit.app"_s << true << true;
        QTest::newRow("upper case") << u"OLD.APP"_s << true << true;
        QTest::newRow("service") << u"Spell.service"_s << true << true;
        QTest::newRow("framework") << u"Kit.framework"_s << true << true;
        QTest::newRow("preference pane") << u"Pane.prefPane"_s << true << true;
        QTest::newRow("widget") << u"Clock.wdgt"_s << true << true;
        QTest::newRow("Automator workflow") << u"Make Plain Text.workflow"_s << true << true;
        QTest::newRow("plain folder") << u"Utilities"_s << true << false;
        QTest::newRow("other extension") << u"Photos.library"_s << true << false;
        QTest::newRow("extension only") << u".app"_s << true << false;
        QTest::newRow("file named like an app") << u"Fake.app"_s << false << false;
    }

    void packageTest()
    {
        QFETCH(QString, name);
        QFETCH(bool, isFolder);
        QFETCH(bool, isPackage);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(isFolder ? makeFolder(path) : writeFile(path, "x"));
        QCOMPARE(VelWorkspace::isFilePackageAtPath(path), isPackage);
    }

    void missingPathShouldBeNoPackage() { QVERIFY(!VelWorkspace::isFilePackageAtPath(u"/nonexistent/Missing.app"_s)); }

    void aliasTest_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("isAlias");
        QTest::newRow("bookmark") << QByteArray("book\0\0\0\0mark", 12) << true;
        QTest::newRow("classic alias") << QByteArray("alis\x01\x02") << true;
        QTest::newRow("any data beginning with book") << QByteArray("bookkeeping") << true;
        QTest::newRow("plain text") << QByteArray("hello") << false;
        QTest::newRow("short") << QByteArray("boo") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("upper case magic") << QByteArray("BOOK") << false;
    }

    void aliasTest()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, isAlias);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"file"_s);
        QVERIFY(writeFile(path, contents));
        QCOMPARE(VelWorkspace::isAliasFileAtPath(path), isAlias);
    }

    void symbolicLinksShouldBeAliasesEvenWhenDangling()
    {
        QTemporaryDir dir;
        QVERIFY(makeFolder(dir.filePath(u"Target.service"_s)));
        QVERIFY(QFile::link(dir.filePath(u"Target.service"_s), dir.filePath(u"Link.service"_s)));
        QVERIFY(QFile::link(dir.filePath(u"gone"_s), dir.filePath(u"Dangling"_s)));
        QVERIFY(VelWorkspace::isAliasFileAtPath(dir.filePath(u"Link.service"_s)));
        QVERIFY(VelWorkspace::isAliasFileAtPath(dir.filePath(u"Dangling"_s)));
        QVERIFY(!VelWorkspace::isAliasFileAtPath(dir.filePath(u"Target.service"_s)));
        QVERIFY(!VelWorkspace::isAliasFileAtPath(dir.filePath(u"missing"_s)));
    }

    void applicationListShouldCoverEveryApplicationFolderWithoutEnteringPackages()
    {
        QTemporaryDir volume;
        QTemporaryDir home;
        VelMacVolume::setRootOverride(volume.path());
        VelMacVolume::setHomeOverride(home.path());
        const QString root = volume.path();
        const QStringList folders = {
            u"Applications/TextEdit.app/Contents"_s,
            u"Applications/Utilities/Terminal.app"_s,
            u"Applications/Utilities/Deep/Er/Tool.APP"_s,
            u"Applications/Suite.app/Contents/Helpers/Helper.app"_s,
            u"Applications/Kit.framework/Versions/A/Inner.app"_s,
            u"System/Applications/Calculator.app"_s,
            u"System/Library/CoreServices/Finder.app"_s,
            u"Developer/Applications/Xcode.app"_s,
            u"Volumes/Backup/Applications/Old.app"_s,
            u"Volumes/Backup/Applications/Sub/Hidden.app"_s,
            u"Volumes/Backup/Other/Elsewhere.app"_s,
            u"Library/Services/NotAnApp.app"_s,
        };
        for (const QString &folder : folders)
            QVERIFY(makeFolder(root + u'/' + folder));
        QVERIFY(makeFolder(home.path() + u"/Applications/Mine.app"_s));
        QVERIFY(writeFile(root + u"/Applications/File.app"_s, "not a folder"));
        QVERIFY(QFile::link(root + u"/Applications"_s, root + u"/Applications/Loop"_s));

        const QStringList expected = {
            root + u"/Applications/Suite.app"_s,
            root + u"/Applications/TextEdit.app"_s,
            root + u"/Applications/Utilities/Deep/Er/Tool.APP"_s,
            root + u"/Applications/Utilities/Terminal.app"_s,
            root + u"/System/Applications/Calculator.app"_s,
            root + u"/System/Library/CoreServices/Finder.app"_s,
            root + u"/Developer/Applications/Xcode.app"_s,
            home.path() + u"/Applications/Mine.app"_s,
            root + u"/Volumes/Backup/Applications/Old.app"_s,
        };
        QCOMPARE(VelWorkspace::allApplicationPaths(), expected);
    }

    void applicationListOfAnEmptyVolumeShouldBeEmpty()
    {
        QTemporaryDir volume;
        VelMacVolume::setRootOverride(volume.path());
        VelMacVolume::setHomeOverride(volume.path() + u"/nohome"_s);
        QVERIFY(VelWorkspace::allApplicationPaths().isEmpty());
    }

    void rescanCallsShouldBeCounted()
    {
        const int finds = VelWorkspace::findApplicationsCallCount();
        const int updates = NSUpdateDynamicServicesCallCount();
        VelWorkspace::findApplications();
        NSUpdateDynamicServices();
        NSUpdateDynamicServices();
        QCOMPARE(VelWorkspace::findApplicationsCallCount(), finds + 1);
        QCOMPARE(NSUpdateDynamicServicesCallCount(), updates + 2);
    }
};

QTEST_GUILESS_MAIN(TestVelWorkspace)
#include "tst_velworkspace.moc"
