#include "bundles/VelBundle.h"
#include "files/VelMacVolume.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The main bundle is fixed for the life of the process, so this program
// names it before anything asks for it.
class TestVelLocalizedString : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        const QString bundle = m_dir.filePath(u"Velmora.app"_s);
        QVERIFY(QDir().mkpath(bundle + u"/Contents/Resources/fr.lproj"_s));
        QVERIFY(QDir().mkpath(bundle + u"/Contents/Resources/en.lproj"_s));
        QFile french(bundle + u"/Contents/Resources/fr.lproj/Localizable.strings"_s);
        QVERIFY(french.open(QIODevice::WriteOnly));
        french.write("/* the separator of readable paths */\n"
                     "\" -> \" = \" \xe2\x86\x92 \";\n"
                     "\"[command]-[%@]\" = \"[commande]-[%@]\";\n");
        french.close();
        qputenv("VELMORA_BUNDLE", bundle.toUtf8());
        qputenv("LANGUAGE", "fr_FR");
        VelMacVolume::setHomeOverride(m_dir.filePath(u"home"_s));
    }

    void mainBundleShouldBeTheNamedOne()
    {
        QCOMPARE(VelBundle::mainBundle().bundlePath(), QDir::cleanPath(m_dir.filePath(u"Velmora.app"_s)));
    }

    void translatedTextsShouldComeFromTheTable()
    {
        QCOMPARE(VelLocalizedString(u" -> "_s), u" \u2192 "_s);
        QCOMPARE(VelLocalizedString(u"[command]-[%@]"_s), u"[commande]-[%@]"_s);
    }

    void untranslatedTextShouldStayEnglish()
    {
        QCOMPARE(VelLocalizedString(u"Services Menu"_s), u"Services Menu"_s);
        QCOMPARE(VelLocalizedString(QString()), QString());
    }
};

QTEST_GUILESS_MAIN(TestVelLocalizedString)
#include "tst_vellocalizedstring.moc"
