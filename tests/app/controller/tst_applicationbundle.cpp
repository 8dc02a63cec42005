// The application bundle: its layout, the string table's translation, and
// the failure path of an interface file that is missing. The program runs
// against a copy of the bundle that lacks the About and Preferences files.

#include "WindowTestSupport.h"

#include <bundles/VelBundle.h>
#include <gui/VelBeep.h>
#include <log/VelLog.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

const QString kBuiltBundle = QStringLiteral(VELMORA_BINARY_DIR "/Velmora.app");

bool copyFile(const QString &relativePath, const QString &bundle)
{
    const QString target = bundle + u'/' + relativePath;
    return QDir().mkpath(QFileInfo(target).path()) && QFile::copy(kBuiltBundle + u'/' + relativePath, target);
}

} // namespace

class TestApplicationBundle : public QObject {
    Q_OBJECT

    QTemporaryDir m_bundleFolder;
    VelTidyController *c = nullptr;

private slots:
    void initTestCase()
    {
        const QString bundle = m_bundleFolder.path() + u"/Velmora.app"_s;
        for (const char *file : {"Contents/Info.plist", "Contents/Resources/MainWindow.ui",
                 "Contents/Resources/de.lproj/Localizable.strings", "Contents/Resources/en.lproj/Localizable.strings"})
            QVERIFY(copyFile(QString::fromLatin1(file), bundle));
        qputenv("VELMORA_BUNDLE", QFile::encodeName(bundle));
        qputenv("LANGUAGE", "de");
        QCOMPARE(VelBundle::mainBundle().bundlePath(), bundle);
        c = WindowTest::window();
        QVERIFY(c);
    }
    void cleanupTestCase() { c->releaseInterface(); }

    void builtBundleShouldHoldTheProgramsAndItsIdentity()
    {
        for (const char *file : {"/Contents/MacOS/Velmora", "/Contents/Resources/TidyWorker",
                 "/Contents/Resources/MainWindow.ui", "/Contents/Resources/About.ui",
                 "/Contents/Resources/Preferences.ui", "/Contents/Resources/VelMenu.svg"})
            QVERIFY2(QFile::exists(kBuiltBundle + QString::fromLatin1(file)), file);
        const VelBundle built(kBuiltBundle);
        QCOMPARE(built.bundleIdentifier(), u"com.quillfen.velmora"_s);
        QVERIFY(!built.objectForInfoDictionaryKey(u"CFBundleShortVersionString"_s).toString().isEmpty());
        QCOMPARE(c->versionString(), built.objectForInfoDictionaryKey(u"CFBundleShortVersionString"_s).toString());
    }

    void textsShouldComeFromTheStringTable_data()
    {
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("shown");
        QTest::newRow("translated") << u"Services Menu"_s << u"Dienste-Menü"_s;
        QTest::newRow("translated format") << u"%d of %d services"_s << u"%d von %d Diensten"_s;
        QTest::newRow("no translation") << u"Not in the table"_s << u"Not in the table"_s;
    }
    void textsShouldComeFromTheStringTable()
    {
        QFETCH(QString, english);
        QFETCH(QString, shown);
        QCOMPARE(VelLocalizedString(english), shown);
    }

    void windowShouldShowTranslatedTexts()
    {
        QCOMPARE(c->providersModel()->index(0, 0).data().toString(), u"Dienste-Menü"_s);
        QCOMPARE(c->reloadButton()->text(), u"Neu laden"_s);
    }

    void missingSheetShouldBeLoggedAndBeeped_data()
    {
        QTest::addColumn<bool>("preferences");
        QTest::newRow("About") << false;
        QTest::newRow("Preferences") << true;
    }
    void missingSheetShouldBeLoggedAndBeeped()
    {
        QFETCH(bool, preferences);
        for (int attempt = 0; attempt < 2; ++attempt) { // each attempt tries the file again
            const VelLogCapture log;
            const int beeps = VelBeepCount();
            if (preferences)
                c->preferences();
            else
                c->about();
            QCOMPARE(log.messages(), QStringList {u"cannot load nib file"_s});
            QCOMPARE(VelBeepCount(), beeps + 1);
            QVERIFY(!c->aboutSheet() && !c->preferencesSheet());
        }
    }
};

QTEST_MAIN(TestApplicationBundle)
#include "tst_applicationbundle.moc"
