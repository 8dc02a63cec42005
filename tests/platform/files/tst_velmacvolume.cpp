#include "files/VelMacVolume.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestVelMacVolume : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        VelMacVolume::clearOverrides();
        qunsetenv("VELMORA_ROOT");
        qunsetenv("VELMORA_HOME");
        qunsetenv("VELMORA_VOLUME_NAME");
    }

    void shouldDefaultToTheMachinesRootAndHome()
    {
        QCOMPARE(VelMacVolume::root(), u"/"_s);
        QCOMPARE(VelMacVolume::home(), QDir::cleanPath(QDir::homePath()));
        QCOMPARE(VelMacVolume::volumeName(), u"Macintosh HD"_s);
        QCOMPARE(VelMacVolume::macPath(u"/Library/Services"_s), u"/Library/Services"_s);
        QCOMPARE(VelMacVolume::macPath(u"/Volumes/"_s), u"/Volumes/"_s);
        QCOMPARE(VelMacVolume::macPath(u"/"_s), u"/"_s);
    }

    void shouldTakeSettingsFromTheEnvironment()
    {
        qputenv("VELMORA_ROOT", "/srv/mac/");
        qputenv("VELMORA_HOME", "/srv/mac/Users/anna");
        qputenv("VELMORA_VOLUME_NAME", "Backup");
        QCOMPARE(VelMacVolume::root(), u"/srv/mac"_s);
        QCOMPARE(VelHomeDirectory(), u"/srv/mac/Users/anna"_s);
        QCOMPARE(VelMacVolume::volumeName(), u"Backup"_s);
        QCOMPARE(VelMacVolume::macPath(u"/Library/Services"_s), u"/srv/mac/Library/Services"_s);
        QCOMPARE(VelMacVolume::macPath(u"Applications"_s), u"/srv/mac/Applications"_s);
        QCOMPARE(VelMacVolume::macPath(u"/"_s), u"/srv/mac"_s);
        QCOMPARE(VelMacVolume::macPath(u"/Volumes/"_s), u"/srv/mac/Volumes/"_s);
        QCOMPARE(VelMacVolume::macPath(u"/../../etc/passwd"_s), u"/srv/mac/etc/passwd"_s);
    }

    void commandLineOptionsShouldOverrideTheEnvironment()
    {
        qputenv("VELMORA_ROOT", "/env/root");
        const QStringList rest = VelMacVolume::applyCommandLineOptions(
            {u"velmoractl"_s, u"--root"_s, u"/opt/vol"_s, u"list"_s, u"--home=/h/me"_s});
        QCOMPARE(rest, (QStringList {u"velmoractl"_s, u"list"_s}));
        QCOMPARE(VelMacVolume::root(), u"/opt/vol"_s);
        QCOMPARE(VelMacVolume::home(), u"/h/me"_s);
        VelMacVolume::setRootOverride(QString());
        QCOMPARE(VelMacVolume::root(), u"/env/root"_s);
    }

    void optionWithoutItsValueShouldStayAnArgument()
    {
        const QStringList rest = VelMacVolume::applyCommandLineOptions({u"x"_s, u"--root"_s});
        QCOMPARE(rest, (QStringList {u"x"_s, u"--root"_s}));
        QCOMPARE(VelMacVolume::root(), u"/"_s);
    }

    void expandTilde_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expanded");
        QTest::newRow("tilde alone") << u"~"_s << u"/home/anna"_s;
        QTest::newRow("tilde slash") << u"~/Library/Services"_s << u"/home/anna/Library/Services"_s;
        QTest::newRow("absolute") << u"/Library/Services"_s << u"/Library/Services"_s;
        QTest::newRow("tilde inside") << u"/a/~/b"_s << u"/a/~/b"_s;
        QTest::newRow("other user") << u"~bob/x"_s << u"~bob/x"_s;
        QTest::newRow("empty") << QString() << QString();
    }

    void expandTilde()
    {
        QFETCH(QString, path);
        QFETCH(QString, expanded);
        VelMacVolume::setHomeOverride(u"/home/anna"_s);
        QCOMPARE(VelMacVolume::expandTilde(path), expanded);
    }

    void containsPathShouldCompareWholeComponents()
    {
        VelMacVolume::setRootOverride(u"/srv/mac"_s);
        QVERIFY(VelMacVolume::containsPath(u"/srv/mac"_s));
        QVERIFY(VelMacVolume::containsPath(u"/srv/mac/Applications"_s));
        QVERIFY(!VelMacVolume::containsPath(u"/srv/macintosh/Applications"_s));
        QVERIFY(!VelMacVolume::containsPath(u"/etc"_s));
    }
};

QTEST_GUILESS_MAIN(TestVelMacVolume)
#include "tst_velmacvolume.moc"
