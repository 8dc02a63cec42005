#include "files/VelMacVolume.h"
#include "util/VelPathUtilities.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestVelPathUtilities : public QObject {
    Q_OBJECT

private:
    QTemporaryDir *m_home = nullptr;

private slots:
    void init()
    {
        m_home = new QTemporaryDir;
        VelMacVolume::setHomeOverride(m_home->path());
    }

    void cleanup()
    {
        VelMacVolume::clearOverrides();
        delete m_home;
        m_home = nullptr;
    }

    void readablePathShouldJoinDisplayNames()
    {
        QTemporaryDir volume;
        VelMacVolume::setRootOverride(volume.path());
        VelMacVolume::setVolumeNameOverride(u"Macintosh HD"_s);
        QVERIFY(QDir().mkpath(volume.filePath(u"Applications/TextEdit.app"_s)));
        QCOMPARE(readablePathRepresentation(volume.filePath(u"Applications/TextEdit.app"_s)),
            u"Macintosh HD -> Applications -> TextEdit"_s);
    }

    void readablePathOfAMissingPathShouldBeThePath()
    {
        QCOMPARE(readablePathRepresentation(u"/no/such/place/X.app"_s), u"/no/such/place/X.app"_s);
    }

    void checkFolderShouldCreateOnlyTheLastFolder()
    {
        const QString support = u"~/Library/Application Support"_s;
        const QString velmora = u"~/Library/Application Support/Velmora"_s;
        QVERIFY(!checkFolder(velmora));
        QVERIFY(!QFileInfo::exists(m_home->path() + u"/Library/Application Support"_s));
        QVERIFY(QDir().mkpath(m_home->path() + u"/Library"_s));
        QVERIFY(checkFolder(support));
        QVERIFY(checkFolder(velmora));
        QVERIFY(QFileInfo(m_home->path() + u"/Library/Application Support/Velmora"_s).isDir());
        QVERIFY(checkFolder(velmora));
    }

    void checkFolderOnAFileShouldFail()
    {
        const QString file = m_home->path() + u"/file"_s;
        QVERIFY(writeBytes(file, "x"));
        QVERIFY(!checkFolder(file));
        QVERIFY(QFileInfo(file).isFile());
        QVERIFY(!checkFolder(QString()));
    }

    void aliasTest()
    {
        const QString base = m_home->path();
        QVERIFY(QDir().mkpath(base + u"/Target.service"_s));
        QVERIFY(QFile::link(base + u"/Target.service"_s, base + u"/Link"_s));
        QVERIFY(QFile::link(base + u"/Link"_s, base + u"/LinkToLink"_s));
        QVERIFY(QFile::link(base + u"/gone"_s, base + u"/Dangling"_s));
        QVERIFY(writeBytes(base + u"/Bookmark"_s, "book\0\0\0\0"_ba));
        QVERIFY(writeBytes(base + u"/Plain"_s, "plain"));
        QVERIFY(isAliasPath(base + u"/Link"_s));
        QVERIFY(isAliasPath(base + u"/LinkToLink"_s));
        QVERIFY(isAliasPath(base + u"/Bookmark"_s));
        QVERIFY(!isAliasPath(base + u"/Dangling"_s));
        QVERIFY(!isAliasPath(base + u"/Plain"_s));
        QVERIFY(!isAliasPath(base + u"/Target.service"_s));
        QVERIFY(!isAliasPath(base + u"/Missing"_s));
    }

    void directoryContentsShouldListEveryEntryAsAFullPath()
    {
        const QString base = m_home->path();
        QVERIFY(QDir().mkpath(base + u"/Services/Sub/Deeper"_s));
        QVERIFY(writeBytes(base + u"/Services/.hidden"_s, ""));
        QVERIFY(writeBytes(base + u"/Services/file.txt"_s, ""));
        QVERIFY(QFile::link(base + u"/nowhere"_s, base + u"/Services/broken"_s));
        QStringList listed = directoryContentPaths(base + u"/Services"_s);
        listed.sort();
        const QStringList expected = {base + u"/Services/.hidden"_s, base + u"/Services/Sub"_s,
            base + u"/Services/broken"_s, base + u"/Services/file.txt"_s};
        QCOMPARE(listed, expected);
        QCOMPARE(directoryContentPaths(base + u"/Services/"_s).size(), 4);
        QVERIFY(directoryContentPaths(base + u"/Missing"_s).isEmpty());
        QVERIFY(directoryContentPaths(base + u"/Services/file.txt"_s).isEmpty());
    }

    void replacement_data()
    {
        QTest::addColumn<QString>("receiver");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("result");
        QTest::newRow("every occurrence") << u"a/b/c"_s << u"/"_s << u"|"_s << u"a|b|c"_s;
        QTest::newRow("no overlaps") << u"aaaa"_s << u"aa"_s << u"b"_s << u"bb"_s;
        QTest::newRow("odd overlap left to right") << u"aaa"_s << u"aa"_s << u"b"_s << u"ba"_s;
        QTest::newRow("case-sensitive") << u"Text"_s << u"t"_s << u"T"_s << u"TexT"_s;
        QTest::newRow("longer replacement") << u"x"_s << u"x"_s << u"xx"_s << u"xx"_s;
        QTest::newRow("empty replacement") << u"a-b"_s << u"-"_s << QString() << u"ab"_s;
        QTest::newRow("not normalised") << u"e\u0301"_s << u"\u00e9"_s << u"E"_s << u"e\u0301"_s;
    }

    void replacement()
    {
        QFETCH(QString, receiver);
        QFETCH(QString, target);
        QFETCH(QString, replacement);
        QFETCH(QString, result);
        QCOMPARE(stringByReplacingString(receiver, target, replacement), result);
    }

    void replacementWithoutAnOccurrenceShouldAnswerTheReceiverItself()
    {
        const QString receiver = u"no slash here"_s;
        const QString result = stringByReplacingString(receiver, u"/"_s, u"|"_s);
        QCOMPARE(result.constData(), receiver.constData());
        QCOMPARE(stringByReplacingString(receiver, QString(), u"|"_s).constData(), receiver.constData());
    }
};

QTEST_GUILESS_MAIN(TestVelPathUtilities)
#include "tst_velpathutilities.moc"
