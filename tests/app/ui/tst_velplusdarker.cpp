// Plus-darker compositing built from Qt's own modes: the destination loses
// the source's darkness, channel by channel, and pixels the source does not
// darken come back exactly.

#include <ui/VelPlusDarker.h>

#include <QPainter>
#include <QTest>

class TestPlusDarker : public QObject {
    Q_OBJECT

    static QImage filled(const QColor &color)
    {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(color);
        return image;
    }

private slots:
    void fillShouldSubtractTheColoursDarkness_data()
    {
        QTest::addColumn<QColor>("destination");
        QTest::addColumn<QColor>("source");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("white leaves it") << QColor(100, 150, 200) << QColor(Qt::white) << QColor(100, 150, 200);
        QTest::newRow("gray darkens") << QColor(231, 237, 246) << QColor(178, 178, 178) << QColor(154, 160, 169);
        QTest::newRow("clamped at black") << QColor(40, 40, 40) << QColor(60, 60, 60) << QColor(0, 0, 0);
        QTest::newRow("translucent black") << QColor(200, 200, 200) << QColor(0, 0, 0, 51) << QColor(149, 149, 149);
        QTest::newRow("transparent does nothing") << QColor(10, 20, 30) << QColor(0, 0, 0, 0) << QColor(10, 20, 30);
    }
    void fillShouldSubtractTheColoursDarkness()
    {
        QFETCH(QColor, destination);
        QFETCH(QColor, source);
        QFETCH(QColor, expected);
        QImage image = filled(destination);
        QPainter painter(&image);
        VelFillRectPlusDarker(painter, QRectF(1, 1, 2, 2), source);
        painter.end();
        const QColor inside = image.pixelColor(1, 1);
        QVERIFY2(qAbs(inside.red() - expected.red()) <= 1 && qAbs(inside.blue() - expected.blue()) <= 1,
            qPrintable(inside.name()));
        QCOMPARE(image.pixelColor(0, 0), destination);
        QCOMPARE(image.pixelColor(3, 3), destination);
    }

    void imageShouldDarkenOnlyWhereItIsDark()
    {
        QImage source(2, 1, QImage::Format_ARGB32);
        source.setPixelColor(0, 0, QColor(128, 128, 128));
        source.setPixelColor(1, 0, QColor(0, 0, 0, 0));
        QImage image = filled(QColor(200, 100, 50));
        QPainter painter(&image);
        VelDrawImagePlusDarker(painter, QRectF(0, 0, 2, 1), source);
        painter.end();
        QCOMPARE(image.pixelColor(0, 0), QColor(73, 0, 0));
        QCOMPARE(image.pixelColor(1, 0), QColor(200, 100, 50));
    }
};

QTEST_MAIN(TestPlusDarker)
#include "tst_velplusdarker.moc"
