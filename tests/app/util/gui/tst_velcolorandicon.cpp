#include "defaults/VelUserDefaults.h"
#include "files/VelMacVolume.h"
#include "plist/PropertyList.h"
#include "util/gui/VelColorDefaults.h"
#include "util/gui/VelFileIcon.h"
#include "util/gui/VelImageFitting.h"

#include <QDir>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

bool makeBundleWithIcon(
    const QString &path, const QString &iconFile, const QString &fileOnDisk, const QByteArray &format)
{
    plist::DictionaryPtr info = plist::Dictionary::create();
    info->set(u"CFBundleIconFile"_s, iconFile);
    if (!QDir().mkpath(path + u"/Contents/Resources"_s)
        || !plist::writeXmlFile(plist::Value(info), path + u"/Contents/Info.plist"_s))
        return false;
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(QColor(0, 200, 0));
    return image.save(path + u"/Contents/Resources/"_s + fileOnDisk, format.constData());
}

} // namespace

class TestVelColorAndIcon : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_home;

private slots:
    void initTestCase() { VelMacVolume::setHomeOverride(m_home.path()); }

    void colorsShouldRoundTrip_data()
    {
        QTest::addColumn<QColor>("color");
        QTest::newRow("opaque") << QColor(10, 20, 30);
        QTest::newRow("translucent") << QColor(255, 0, 128, 40);
        QTest::newRow("16-bit channels") << QColor(QRgba64::fromRgba64(1, 2, 65534, 65535));
        QTest::newRow("transparent black") << QColor(0, 0, 0, 0);
    }

    void colorsShouldRoundTrip()
    {
        QFETCH(QColor, color);
        VelUserDefaults defaults(u"com.example.Colors"_s);
        setColorForKey(defaults, color, u"VelOrbUpdateCheckerStatusColor"_s);
        QCOMPARE(colorForKey(VelUserDefaults(u"com.example.Colors"_s), u"VelOrbUpdateCheckerStatusColor"_s), color);
    }

    void invalidColorShouldStoreNothing()
    {
        VelUserDefaults defaults(u"com.example.Colors"_s);
        setColorForKey(defaults, QColor(), u"Invalid"_s);
        QVERIFY(!defaults.hasPersistentValueForKey(u"Invalid"_s));
        QVERIFY(!colorForKey(defaults, u"Invalid"_s).isValid());
    }

    void somethingElseUnderTheKeyShouldGiveNoColor()
    {
        VelUserDefaults defaults(u"com.example.Colors"_s);
        QVERIFY(defaults.setObject(u"red"_s, u"Text"_s));
        QVERIFY(!colorForKey(defaults, u"Text"_s).isValid());
        plist::DictionaryPtr wrong = plist::Dictionary::create();
        wrong->set(u"VelColor"_s,
            plist::Array::create({plist::Value(1), plist::Value(70000), plist::Value(0), plist::Value(0)}));
        QVERIFY(defaults.setObject(plist::Value::fromData(plist::writeBinary(plist::Value(wrong))), u"OutOfRange"_s));
        QVERIFY(!colorForKey(defaults, u"OutOfRange"_s).isValid());
    }

    void bundleIconShouldComeFromItsResources_data()
    {
        QTest::addColumn<QString>("iconFile");
        QTest::addColumn<QString>("fileOnDisk");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("icns without extension") << u"AppIcon"_s << u"AppIcon.icns"_s << "icns"_ba;
        QTest::newRow("icns named in full") << u"AppIcon.icns"_s << u"AppIcon.icns"_s << "icns"_ba;
        QTest::newRow("png") << u"AppIcon.png"_s << u"AppIcon.png"_s << "png"_ba;
    }

    void bundleIconShouldComeFromItsResources()
    {
        QFETCH(QString, iconFile);
        QFETCH(QString, fileOnDisk);
        QFETCH(QByteArray, format);
        if (!QImageWriter::supportedImageFormats().contains(format))
            QSKIP("no image plugin writes this format");
        QTemporaryDir dir;
        const QString bundle = dir.filePath(u"Green.app"_s);
        QVERIFY(makeBundleWithIcon(bundle, iconFile, fileOnDisk, format));
        const QImage image = icon(bundle);
        QCOMPARE(image.size(), QSize(16, 16));
        QCOMPARE(QColor(image.pixel(8, 8)), QColor(0, 200, 0));
        QCOMPARE(qAlpha(image.pixel(0, 0)), 255);
    }

    void sampleApplicationShouldShowItsOwnIcon()
    {
        const QString textEdit = QStringLiteral(VELMORA_SOURCE_DIR "/examples/Applications/TextEdit.app");
        const QImage own(textEdit + u"/Contents/Resources/Edit.icns"_s);
        QVERIFY(!own.isNull());
        QCOMPARE(icon(textEdit), imageWithMaxSize(own, QSizeF(16, 16)));
    }

    void filesWithoutTheirOwnIconShouldGetAGenericOne()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath(u"NoIcon.app/Contents"_s)));
        for (const QString &path : {dir.filePath(u"NoIcon.app"_s), dir.path(), dir.filePath(u"missing.txt"_s)}) {
            const QImage image = icon(path);
            QCOMPARE(image.size(), QSize(16, 16));
            bool painted = false;
            for (int y = 0; y < 16 && !painted; ++y) {
                for (int x = 0; x < 16 && !painted; ++x)
                    painted = qAlpha(image.pixel(x, y)) != 0;
            }
            QVERIFY2(painted, qPrintable(path));
        }
    }
};

QTEST_MAIN(TestVelColorAndIcon)
#include "tst_velcolorandicon.moc"
