#include "files/VelDisplayNames.h"
#include "files/VelMacVolume.h"
#include "plist/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestVelDisplayNames : public QObject {
    Q_OBJECT

private:
    QTemporaryDir *m_volume = nullptr;

    [[nodiscard]] QString onVolume(const QString &relative) const { return m_volume->path() + u'/' + relative; }

    void setShowAllExtensions(bool show)
    {
        plist::DictionaryPtr global = plist::Dictionary::create();
        global->set(u"AppleShowAllExtensions"_s, show);
        QVERIFY(QDir().mkpath(onVolume(u"Users/anna/Library/Preferences"_s)));
        QVERIFY(plist::writeXmlFile(
            plist::Value(global), onVolume(u"Users/anna/Library/Preferences/.GlobalPreferences.plist"_s)));
    }

private slots:
    void init()
    {
        m_volume = new QTemporaryDir;
        VelMacVolume::setRootOverride(m_volume->path());
        VelMacVolume::setHomeOverride(onVolume(u"Users/anna"_s));
        VelMacVolume::setVolumeNameOverride(u"Tiger HD"_s);
        QVERIFY(QDir().mkpath(onVolume(u"Applications/Tool 2.5.app/Contents"_s)));
        QVERIFY(QDir().mkpath(onVolume(u"Applications/Folder.with.dots"_s)));
        QVERIFY(QDir().mkpath(onVolume(u"Volumes/Backup/Applications/Old.app"_s)));
        QFile file(onVolume(u"Applications/Read Me.txt"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    void cleanup()
    {
        VelMacVolume::clearOverrides();
        delete m_volume;
        m_volume = nullptr;
    }

    void packageExtensionShouldBeHiddenUnlessAllAreShown()
    {
        const QString tool = onVolume(u"Applications/Tool 2.5.app"_s);
        QCOMPARE(VelDisplayNameAtPath(tool), u"Tool 2.5"_s);
        QCOMPARE(VelDisplayNameAtPath(tool, true), u"Tool 2.5.app"_s);
        setShowAllExtensions(true);
        QCOMPARE(VelDisplayNameAtPath(tool), u"Tool 2.5.app"_s);
        setShowAllExtensions(false);
        QCOMPARE(VelDisplayNameAtPath(tool), u"Tool 2.5"_s);
    }

    void otherNamesShouldStayWhole()
    {
        QCOMPARE(VelDisplayNameAtPath(onVolume(u"Applications/Read Me.txt"_s)), u"Read Me.txt"_s);
        QCOMPARE(VelDisplayNameAtPath(onVolume(u"Applications/Folder.with.dots"_s)), u"Folder.with.dots"_s);
    }

    void volumeRootShouldShowAsTheVolumeName()
    {
        QCOMPARE(VelDisplayNameAtPath(m_volume->path()), u"Tiger HD"_s);
        QCOMPARE(VelDisplayNameAtPath(m_volume->path() + u'/'), u"Tiger HD"_s);
    }

    void componentsOfAPathOnTheVolumeShouldStartWithItsName()
    {
        QCOMPARE(VelComponentsToDisplayForPath(onVolume(u"Applications/Tool 2.5.app"_s)),
            (QStringList {u"Tiger HD"_s, u"Applications"_s, u"Tool 2.5"_s}));
        QCOMPARE(VelComponentsToDisplayForPath(m_volume->path()), QStringList {u"Tiger HD"_s});
    }

    void componentsUnderVolumesShouldStartWithThatVolume()
    {
        QCOMPARE(VelComponentsToDisplayForPath(onVolume(u"Volumes/Backup/Applications/Old.app"_s)),
            (QStringList {u"Backup"_s, u"Applications"_s, u"Old"_s}));
    }

    void componentsOfAPathElsewhereShouldBeItsNames()
    {
        QTemporaryDir elsewhere;
        QVERIFY(QDir().mkpath(elsewhere.filePath(u"Services/Spell.service"_s)));
        QStringList expected = QDir::cleanPath(elsewhere.path()).split(u'/', Qt::SkipEmptyParts);
        expected << u"Services"_s << u"Spell"_s;
        QCOMPARE(VelComponentsToDisplayForPath(elsewhere.filePath(u"Services/Spell.service"_s)), expected);
    }

    void missingPathShouldHaveNoComponents()
    {
        QVERIFY(VelComponentsToDisplayForPath(onVolume(u"Applications/Missing.app"_s)).isEmpty());
        QVERIFY(VelComponentsToDisplayForPath(QString()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestVelDisplayNames)
#include "tst_veldisplaynames.moc"
