#include "bundles/VelBundle.h"
#include "files/VelMacVolume.h"
#include "plist/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A bundle with one resource in several localisations.
bool makeBundle(const QString &path, const QStringList &localizations)
{
    plist::DictionaryPtr info = plist::Dictionary::create();
    info->set(u"CFBundleIdentifier"_s, u"com.example.Sample"_s);
    info->set(u"CFBundleDevelopmentRegion"_s, u"English"_s);
    bool ok = writeBytes(path + u"/Contents/Info.plist"_s, plist::writeXml(plist::Value(info)));
    for (const QString &folder : localizations) {
        ok = ok && writeBytes(path + u"/Contents/Resources/"_s + folder + u"/ServicesMenu.strings"_s, folder.toUtf8());
    }
    return ok;
}

QString folderOf(const QString &resourcePath)
{
    return QFileInfo(resourcePath).dir().dirName();
}

} // namespace

class TestVelBundle : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        // Nothing from the machine's own preferences may decide the language.
        VelMacVolume::setHomeOverride(m_home.path());
    }

    void init()
    {
        for (const char *variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
            qunsetenv(variable);
        QFile::remove(m_home.path() + u"/Library/Preferences/.GlobalPreferences.plist"_s);
    }

    void preferredLanguagesShouldFollowTheEnvironment_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QStringList>("languages");
        QTest::newRow("nothing set") << QByteArray() << QByteArray() << QStringList {u"en"_s};
        QTest::newRow("LANGUAGE list") << "LANGUAGE"_ba
                                       << "de_DE:fr"_ba << QStringList {u"de_DE"_s, u"fr"_s};
        QTest::newRow("LANG with codeset") << "LANG"_ba
                                           << "fr_FR.UTF-8"_ba << QStringList {u"fr_FR"_s};
        QTest::newRow("LC_ALL with modifier") << "LC_ALL"_ba
                                              << "de_DE@euro"_ba << QStringList {u"de_DE"_s};
        QTest::newRow("C locale") << "LANG"_ba
                                  << "C.UTF-8"_ba << QStringList {u"en"_s};
    }

    void preferredLanguagesShouldFollowTheEnvironment()
    {
        QFETCH(QByteArray, variable);
        QFETCH(QByteArray, value);
        QFETCH(QStringList, languages);
        if (!variable.isEmpty())
            qputenv(variable.constData(), value);
        QCOMPARE(VelPreferredLanguages(), languages);
    }

    void appleLanguagesShouldComeFirst()
    {
        qputenv("LANG", "fr_FR.UTF-8");
        plist::DictionaryPtr global = plist::Dictionary::create();
        global->set(u"AppleLanguages"_s, plist::Array::create({plist::Value(u"ja"_s), plist::Value(u"de"_s)}));
        QVERIFY(writeBytes(
            m_home.path() + u"/Library/Preferences/.GlobalPreferences.plist"_s, plist::writeXml(plist::Value(global))));
        QCOMPARE(VelPreferredLanguages(), (QStringList {u"ja"_s, u"de"_s}));
    }

    void folderNamesShouldCoverEveryNamingStyle()
    {
        QCOMPARE(VelLocalizationFolderNames(u"de_DE"_s), (QStringList {u"de_DE"_s, u"de-DE"_s, u"de"_s, u"German"_s}));
        QCOMPARE(VelLocalizationFolderNames(u"en"_s), (QStringList {u"en"_s, u"English"_s}));
        QCOMPARE(
            VelLocalizationFolderNames(u"pt-BR"_s), (QStringList {u"pt-BR"_s, u"pt_BR"_s, u"pt"_s, u"Portuguese"_s}));
    }

    void resourceLookup_data()
    {
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<QStringList>("localizations");
        QTest::addColumn<QString>("found");
        const QStringList all {u"en.lproj"_s, u"German.lproj"_s, u"fr.lproj"_s, u"Base.lproj"_s};
        QTest::newRow("old-style name") << "de"_ba << all << u"German.lproj"_s;
        QTest::newRow("region falls back to language") << "fr_CA"_ba << all << u"fr.lproj"_s;
        QTest::newRow("English by default") << QByteArray() << all << u"en.lproj"_s;
        QTest::newRow("missing language uses Base")
            << "ja"_ba << QStringList {u"en.lproj"_s, u"Base.lproj"_s} << u"Base.lproj"_s;
        QTest::newRow("development region last") << "ja"_ba << QStringList {u"English.lproj"_s} << u"English.lproj"_s;
        QTest::newRow("folder name case ignored") << "de"_ba << QStringList {u"german.lproj"_s} << u"german.lproj"_s;
        QTest::newRow("second preference") << "ja:fr"_ba << all << u"fr.lproj"_s;
    }

    void resourceLookup()
    {
        QFETCH(QByteArray, language);
        QFETCH(QStringList, localizations);
        QFETCH(QString, found);
        if (!language.isEmpty())
            qputenv("LANGUAGE", language);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Sample.app"_s);
        QVERIFY(makeBundle(path, localizations));
        const VelBundle bundle(path);
        QCOMPARE(folderOf(bundle.pathForResource(u"ServicesMenu"_s, u"strings"_s)), found);
    }

    void resourcesFolderItselfShouldComeFirst()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Sample.service"_s);
        QVERIFY(makeBundle(path, {u"en.lproj"_s}));
        QVERIFY(writeBytes(path + u"/Contents/Resources/ServicesMenu.strings"_s, "top"));
        const VelBundle bundle(path);
        QCOMPARE(bundle.pathForResource(u"ServicesMenu"_s, u"strings"_s),
            path + u"/Contents/Resources/ServicesMenu.strings"_s);
        QCOMPARE(bundle.pathForResource(u"ServicesMenu.strings"_s, QString()),
            path + u"/Contents/Resources/ServicesMenu.strings"_s);
        QVERIFY(bundle.pathForResource(u"Missing"_s, u"strings"_s).isEmpty());
        QVERIFY(VelBundle(dir.filePath(u"None.app"_s)).pathForResource(u"x"_s, u"y"_s).isEmpty());
    }

    void newLocalizationFolderShouldBeSeen()
    {
        qputenv("LANGUAGE", "de");
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Sample.app"_s);
        QVERIFY(makeBundle(path, {u"en.lproj"_s}));
        // An old modification time for the resources folder, so that adding
        // a folder to it surely changes its time.
        const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path + u"/Contents/Resources"_s).constData(), past, 0), 0);
        const VelBundle bundle(path);
        QCOMPARE(folderOf(bundle.pathForResource(u"ServicesMenu"_s, u"strings"_s)), u"en.lproj"_s);
        QVERIFY(writeBytes(path + u"/Contents/Resources/de.lproj/ServicesMenu.strings"_s, "de"));
        QCOMPARE(folderOf(bundle.pathForResource(u"ServicesMenu"_s, u"strings"_s)), u"de.lproj"_s);
    }

    void infoDictionaryShouldBeReadFromContents()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Sample.app"_s);
        QVERIFY(makeBundle(path, {}));
        const VelBundle bundle(path);
        QCOMPARE(bundle.bundleIdentifier(), u"com.example.Sample"_s);
        QCOMPARE(bundle.objectForInfoDictionaryKey(u"CFBundleDevelopmentRegion"_s).toString(), u"English"_s);
        QVERIFY(bundle.objectForInfoDictionaryKey(u"Missing"_s).isNone());
        const VelBundle empty(dir.filePath(u"Nothing.app"_s));
        QVERIFY(empty.infoDictionary());
        QVERIFY(empty.infoDictionary()->isEmpty());
        QVERIFY(empty.bundleIdentifier().isEmpty());
    }

    void localizedStringShouldFallBackToValueThenKey()
    {
        qputenv("LANGUAGE", "de");
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Sample.app"_s);
        QVERIFY(makeBundle(path, {}));
        QVERIFY(writeBytes(path + u"/Contents/Resources/de.lproj/Localizable.strings"_s,
            "\"Save\" = \"Sichern\";\n\"Revert\" = (a);\n"));
        const VelBundle bundle(path);
        QCOMPARE(bundle.localizedStringForKey(u"Save"_s, QString(), QString()), u"Sichern"_s);
        QCOMPARE(bundle.localizedStringForKey(u"Revert"_s, QString(), QString()), u"Revert"_s);
        QCOMPARE(bundle.localizedStringForKey(u"Quit"_s, QString(), QString()), u"Quit"_s);
        QCOMPARE(bundle.localizedStringForKey(u"Quit"_s, u"Beenden"_s, QString()), u"Beenden"_s);
        QCOMPARE(bundle.localizedStringForKey(u"Save"_s, QString(), u"Other"_s), u"Save"_s);
    }

    void mainBundlePath_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("bundle");
        QTest::newRow("inside a bundle") << u"/opt/Velmora.app/Contents/MacOS/Velmora"_s << u"/opt/Velmora.app"_s;
        QTest::newRow("plain tool") << u"/usr/local/bin/tool"_s << u"/usr/local/bin"_s;
        QTest::newRow("MacOS folder outside Contents") << u"/x/MacOS/tool"_s << u"/x/MacOS"_s;
    }

    void mainBundlePath()
    {
        QFETCH(QString, executable);
        QFETCH(QString, bundle);
        qunsetenv("VELMORA_BUNDLE");
        QCOMPARE(VelBundle::mainBundlePathForExecutable(executable), bundle);
    }

    void mainBundleShouldBeFoundBesideABuildTree()
    {
        qunsetenv("VELMORA_BUNDLE");
        QTemporaryDir build;
        QVERIFY(QDir().mkpath(build.filePath(u"Velmora.app/Contents"_s)));
        QCOMPARE(VelBundle::mainBundlePathForExecutable(build.filePath(u"bin/velmoractl"_s)),
            build.filePath(u"Velmora.app"_s));
        qputenv("VELMORA_BUNDLE", "/elsewhere/Velmora.app");
        QCOMPARE(
            VelBundle::mainBundlePathForExecutable(build.filePath(u"bin/velmoractl"_s)), u"/elsewhere/Velmora.app"_s);
        QCOMPARE(VelBundle::mainBundlePathForExecutable(u"/opt/Velmora.app/Contents/MacOS/Velmora"_s),
            u"/opt/Velmora.app"_s);
        qunsetenv("VELMORA_BUNDLE");
    }
};

QTEST_GUILESS_MAIN(TestVelBundle)
#include "tst_velbundle.moc"
