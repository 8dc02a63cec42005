// The window chrome by system version and window state: gradient views, the
// light gradient, the footer, the main window's background, the shared
// gradient images and the shadowed label.

#include <ui/VelGradientView.h>
#include <ui/VelLightGradientView.h>
#include <ui/VelMainWindow.h>
#include <ui/VelMainWindowFooterView.h>
#include <ui/VelShadowedTextField.h>
#include <util/VelSystemVersionTests.h>

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A main window with a gradient view, a light gradient view and a footer.
struct ChromeWindow {
    VelMainWindow window;
    VelGradientView *gradient = new VelGradientView;
    VelLightGradientView *light = new VelLightGradientView;
    VelMainWindowFooterView *footer = new VelMainWindowFooterView;

    ChromeWindow()
    {
        auto *central = new QWidget;
        auto *layout = new QVBoxLayout(central);
        layout->setContentsMargins(8, 8, 8, 0);
        for (QWidget *view : std::initializer_list<QWidget *> {gradient, light, footer}) {
            view->setFixedHeight(40);
            layout->addWidget(view);
        }
        window.setCentralWidget(central);
        window.resize(200, 160);
        window.show();
    }
};

QColor windowColor()
{
    return QApplication::palette().color(QPalette::Window);
}

QColor pixel(QWidget *widget, int x, int y)
{
    return widget->window()->grab().toImage().pixelColor(widget->mapTo(widget->window(), QPoint(x, y)));
}

void setSystemVersion(const char *version)
{
    qputenv("VELMORA_SYSTEM_VERSION", version);
    VelResetSystemVersionForTesting();
}

} // namespace

class TestWindowChrome : public QObject {
    Q_OBJECT

private slots:
    void chromeShouldFollowVersionAndWindowState_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<bool>("active");
        QTest::newRow("10.4 active") << QByteArray("10.4.11") << true;
        QTest::newRow("10.4 inactive") << QByteArray("10.4.11") << false;
        QTest::newRow("10.5 active") << QByteArray("10.5.8") << true;
        QTest::newRow("10.5 inactive") << QByteArray("10.5.8") << false;
    }
    void chromeShouldFollowVersionAndWindowState()
    {
        QFETCH(QByteArray, version);
        QFETCH(bool, active);
        setSystemVersion(version.constData());
        const bool tiger = version.startsWith("10.4");
        ChromeWindow chrome;
        QWidget other;
        chrome.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&chrome.window));
        if (!active) {
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        }
        const QRgb plain = windowColor().rgb();
        // The gradient view: the gradient (lighter at the top) only while active.
        const QColor top = pixel(chrome.gradient, 50, 1);
        const QColor bottom = pixel(chrome.gradient, 50, 38);
        QCOMPARE(top.lightness() > bottom.lightness(), active);
        if (!active)
            QCOMPARE(top.rgb(), plain);
        // The light gradient shows in any state.
        QVERIFY(pixel(chrome.light, 50, 1).lightness() > pixel(chrome.light, 50, 38).lightness());
        // The window's margin: the tiled gradient while active before 10.5.
        const QRgb margin = chrome.window.grab().toImage().pixel(2, 30);
        QCOMPARE(margin != plain, tiger && active);
        QCOMPARE(chrome.window.backgroundColor().textureImage().isNull(), !(tiger && active));
        // The footer: the gradient before 10.5; from 10.5 a light gray top
        // line while active, otherwise nothing over the window's background.
        if (tiger) {
            QCOMPARE(pixel(chrome.footer, 50, 1).lightness() > pixel(chrome.footer, 50, 38).lightness(), active);
        } else {
            QCOMPARE(
                pixel(chrome.footer, 50, 0).rgb(), active ? VelMainWindowFooterView::topLineColor().rgb() : margin);
            QCOMPARE(pixel(chrome.footer, 50, 20).rgb(), margin);
        }
    }

    void deactivationShouldRepaintTheContent()
    {
        setSystemVersion("10.4.11");
        ChromeWindow chrome;
        chrome.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&chrome.window));
        QVERIFY(QTest::qWaitForWindowExposed(&chrome.window));
        int paints = 0;
        struct PaintCounter : QObject {
            int &count;
            explicit PaintCounter(int &c)
                : count(c)
            {
            }
            bool eventFilter(QObject *, QEvent *event) override
            {
                count += event->type() == QEvent::Paint ? 1 : 0;
                return false;
            }
        } counter(paints);
        chrome.footer->installEventFilter(&counter);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTRY_VERIFY(paints > 0);
    }

    void gradientImageWithSizeShouldLeaveTheSharedImage()
    {
        const QSize shared = VelGradientView::gradientImage().size();
        QVERIFY(!shared.isEmpty());
        QCOMPARE(VelGradientView::gradientImageWithSize(QSize(10, 80)).size(), QSize(10, 80));
        QCOMPARE(VelLightGradientView::gradientImageWithSize(QSize(300, 15)).size(), QSize(300, 15));
        QCOMPARE(VelGradientView::gradientImage().size(), shared);
        QVERIFY(VelLightGradientView::gradientImage().pixel(0, 0) != VelGradientView::gradientImage().pixel(0, 0));
    }

    void shadowedTextShouldHaveALightCopyOnePointLower()
    {
        // Black text on black shows only the light copy.
        auto render = [](auto *label) {
            label->setAutoFillBackground(true);
            QPalette colors = label->palette();
            colors.setColor(QPalette::Window, Qt::black);
            label->setPalette(colors);
            label->setText(u"Il"_s);
            label->resize(60, 24);
            return label->grab().toImage();
        };
        VelShadowedTextField shadowed;
        shadowed.setTextColor(Qt::black);
        const QImage shadowOnly = render(&shadowed);
        QCOMPARE(shadowed.textColor(), QColor(Qt::black));
        VelShadowedTextField coloured;
        coloured.setTextColor(Qt::red);
        const QImage text = render(&coloured);
        // Below each lower end of the text (red), the shadow has ink.
        int matches = 0;
        int inked = 0;
        for (int y = 0; y + 1 < text.height(); ++y) {
            for (int x = 0; x < text.width(); ++x) {
                const auto isInk = [&text](int px, int py) {
                    const QColor color = text.pixelColor(px, py);
                    return color.red() > 200 && color.green() < 60;
                };
                // The shadow shows below the strokes' lower ends; the text covers the rest.
                if (isInk(x, y) && !isInk(x, y + 1)) {
                    ++inked;
                    matches += qGray(shadowOnly.pixel(x, y + 1)) > 60 ? 1 : 0;
                }
            }
        }
        QVERIFY(inked > 0);
        QCOMPARE(matches, inked);
        QCOMPARE(qGray(shadowOnly.pixel(0, 0)), 0);
    }
};

QTEST_MAIN(TestWindowChrome)
#include "tst_velwindowchrome.moc"
