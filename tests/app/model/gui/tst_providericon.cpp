#include "VelTestVolume.h"

#include <model/gui/VelProviderIcon.h>

#include <QDir>
#include <QGuiApplication>
#include <QTest>

using namespace Qt::StringLiterals;

class TestProviderIcon : public QObject {
    Q_OBJECT

private slots:
    void iconShouldBeFittedAndKeptByPath()
    {
        VelTest::Volume volume;
        const QString path = volume.addProvider(u"/Applications/A.app"_s, {VelTest::entry(u"One"_s)});
        VelProviderPtr provider = VelFileRepresentation::fileRepresentationWithPath(path);
        const QImage first = VelProviderIcon(*provider);
        QVERIFY(!first.isNull());
        QCOMPARE(first.size(), QSize(16, 16));

        // The cache answers by path even after the bundle is gone.
        QVERIFY(QDir(path).removeRecursively());
        QCOMPARE(VelProviderIcon(*provider).cacheKey(), first.cacheKey());
    }

    void bundleIconFileShouldBeUsed()
    {
        const QString sample = QStringLiteral(VELMORA_SOURCE_DIR "/examples/Applications/TextEdit.app");
        VelProviderPtr provider = VelFileRepresentation::fileRepresentationWithPath(sample);
        const QImage image = VelProviderIcon(*provider);
        QCOMPARE(image.size(), QSize(16, 16));
        // The sample's icon is a solid blue square.
        const QColor centre = image.pixelColor(8, 8);
        QVERIFY2(centre.blue() > 150 && centre.red() < 100, qPrintable(centre.name()));
    }
};

QTEST_MAIN(TestProviderIcon)
#include "tst_providericon.moc"
