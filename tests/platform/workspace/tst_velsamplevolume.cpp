#include "files/VelDisplayNames.h"
#include "files/VelMacVolume.h"
#include "files/VelSystemVersion.h"
#include "workspace/VelWorkspace.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The platform layer's view of the sample volume shipped in examples/.
class TestVelSampleVolume : public QObject {
    Q_OBJECT

private:
    const QString m_root = QDir::cleanPath(QStringLiteral(VELMORA_SOURCE_DIR "/examples"));

private slots:
    void initTestCase()
    {
        qunsetenv("VELMORA_SYSTEM_VERSION");
        VelMacVolume::setRootOverride(m_root);
        VelMacVolume::setHomeOverride(m_root + u"/Users/jane"_s);
        VelMacVolume::setVolumeNameOverride(u"Macintosh HD"_s);
    }

    void applicationListShouldHoldEveryApplicationOfTheVolume()
    {
        const QStringList expected = {
            m_root + u"/Applications/Calculator.app"_s,
            m_root + u"/Applications/Clipper.app"_s,
            m_root + u"/Applications/Games/Chess.app"_s,
            m_root + u"/Applications/Grabber.app"_s,
            m_root + u"/Applications/Lingo.app"_s,
            m_root + u"/Applications/Mail.app"_s,
            m_root + u"/Applications/Notes.app"_s,
            m_root + u"/Applications/Postbox.app"_s,
            m_root + u"/Applications/Skimmer.app"_s,
            m_root + u"/Applications/Stickies.app"_s,
            m_root + u"/Applications/TextEdit.app"_s,
            m_root + u"/Applications/Tool 2.5.app"_s,
            m_root + u"/Applications/Utilities/Print Center.app"_s,
            m_root + u"/Applications/Utilities/Terminal.app"_s,
            m_root + u"/System/Library/CoreServices/Finder.app"_s,
            m_root + u"/Users/jane/Applications/Jotter.app"_s,
            m_root + u"/Volumes/Backup/Applications/OldMail.app"_s,
        };
        QCOMPARE(VelWorkspace::allApplicationPaths(), expected);
    }

    void linkInTheServicesFolderShouldBeAnAlias()
    {
        const QString link = m_root + u"/Library/Services/Linked Alias.service"_s;
        QVERIFY(VelWorkspace::isAliasFileAtPath(link));
        QVERIFY(!VelWorkspace::isAliasFileAtPath(m_root + u"/Library/Services/Encoder.service"_s));
        QVERIFY(!VelWorkspace::isFilePackageAtPath(m_root + u"/Library/Services/NotAPackage"_s));
    }

    void namesShouldReadAsInTheFileBrowser()
    {
        QCOMPARE(VelComponentsToDisplayForPath(m_root + u"/Applications/Tool 2.5.app"_s),
            (QStringList {u"Macintosh HD"_s, u"Applications"_s, u"Tool 2.5"_s}));
        QCOMPARE(VelComponentsToDisplayForPath(m_root + u"/Volumes/Backup/Applications/OldMail.app"_s),
            (QStringList {u"Backup"_s, u"Applications"_s, u"OldMail"_s}));
    }

    void systemVersionShouldComeFromTheVolume() { QCOMPARE(VelLookUpSystemVersion(), std::optional<unsigned>(0x1058)); }
};

QTEST_GUILESS_MAIN(TestVelSampleVolume)
#include "tst_velsamplevolume.moc"
