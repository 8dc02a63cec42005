#include "gui/VelDesktop.h"
#include "util/gui/VelCheckBoxState.h"
#include "util/gui/VelImageFitting.h"
#include "util/gui/VelShowInFinder.h"

#include <QCheckBox>
#include <QPainter>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QImage solidImage(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

// The rectangle of pixels that are not fully transparent.
QRect paintedRect(const QImage &image)
{
    QRect painted;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0)
                painted |= QRect(x, y, 1, 1);
        }
    }
    return painted;
}

} // namespace

class TestVelGuiUtilities : public QObject {
    Q_OBJECT

private slots:
    void fittingShouldPlaceTheImageExactly_data()
    {
        QTest::addColumn<QSize>("imageSize");
        QTest::addColumn<QRect>("painted");
        QTest::newRow("32x32 fills the canvas") << QSize(32, 32) << QRect(0, 0, 16, 16);
        QTest::newRow("32x16 drawn 16x8, 4 above and below") << QSize(32, 16) << QRect(0, 4, 16, 8);
        QTest::newRow("16x32 drawn 8x16, 4 left and right") << QSize(16, 32) << QRect(4, 0, 8, 16);
        QTest::newRow("10x10 unscaled, 3 on every side") << QSize(10, 10) << QRect(3, 3, 10, 10);
        QTest::newRow("16x16 as it is") << QSize(16, 16) << QRect(0, 0, 16, 16);
        QTest::newRow("64x8 drawn 16x2") << QSize(64, 8) << QRect(0, 7, 16, 2);
    }

    void fittingShouldPlaceTheImageExactly()
    {
        QFETCH(QSize, imageSize);
        QFETCH(QRect, painted);
        const QImage fitted
            = imageWithMaxSize(solidImage(imageSize.width(), imageSize.height(), Qt::red), QSizeF(16, 16));
        QCOMPARE(fitted.size(), QSize(16, 16));
        QCOMPARE(paintedRect(fitted), painted);
        for (int y = painted.top(); y <= painted.bottom(); ++y) {
            for (int x = painted.left(); x <= painted.right(); ++x)
                QCOMPARE(fitted.pixel(x, y), qRgba(255, 0, 0, 255));
        }
    }

    void imageThatFitsShouldKeepEveryPixel()
    {
        QImage pattern(10, 10, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x)
                pattern.setPixel(x, y, qRgba(x * 20, y * 20, 100, 255));
        }
        const QImage fitted = imageWithMaxSize(pattern, QSizeF(16, 16));
        QCOMPARE(fitted.copy(3, 3, 10, 10).convertToFormat(pattern.format()), pattern);
    }

    void fittingShouldLeaveTheSourceUnchanged()
    {
        const QImage source = solidImage(32, 16, Qt::blue);
        const QImage copy = source.copy();
        (void)imageWithMaxSize(source, QSizeF(16, 16));
        QCOMPARE(source, copy);
    }

    void emptyImageShouldGiveATransparentCanvas()
    {
        const QImage fitted = imageWithMaxSize(QImage(), QSizeF(16, 16));
        QCOMPARE(fitted.size(), QSize(16, 16));
        QVERIFY(paintedRect(fitted).isNull());
        QCOMPARE(fittedImageSize(QSizeF(0, 0), QSizeF(0, 0)).height(), 0.0);
    }

    void checkBoxStateShouldTreatMixedAsNotOn()
    {
        QCheckBox box;
        box.setTristate(true);
        setNSOnState(&box, true);
        QCOMPARE(box.checkState(), Qt::Checked);
        QVERIFY(isStateNSOnState(&box));
        box.setCheckState(Qt::PartiallyChecked);
        QVERIFY(!isStateNSOnState(&box));
        setNSOnState(&box, false);
        QCOMPARE(box.checkState(), Qt::Unchecked);
        QVERIFY(!isStateNSOnState(&box));
        QVERIFY(!isStateNSOnState(nullptr));
    }

    void showInFinderShouldPassThePathUnchanged()
    {
        VelDesktopCapture capture;
        QVERIFY(showInFinder(u"~/Library/Services/Odd \"name\".service"_s));
        QCOMPARE(capture.revealedPaths(), QStringList {u"~/Library/Services/Odd \"name\".service"_s});
        QVERIFY(!showInFinder(QString()));
        QCOMPARE(capture.revealedPaths().size(), 1);
    }
};

QTEST_MAIN(TestVelGuiUtilities)
#include "tst_velguiutilities.moc"
