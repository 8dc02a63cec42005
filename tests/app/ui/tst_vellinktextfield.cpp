// The link text field: text, arrow and tooltip per link, the arrow's
// rectangle per alignment, and clicks that open or reveal the link only when
// pressed and released on the arrow without moving.

#include <gui/VelDesktop.h>
#include <ui/VelLinkTextField.h>

#include <QTest>

using namespace Qt::StringLiterals;

class TestLinkTextField : public QObject {
    Q_OBJECT

    // A field in an active window, its text ending in the arrow.
    struct Shown {
        QWidget window;
        VelLinkTextField *field = new VelLinkTextField(&window);
        explicit Shown(const QString &link)
        {
            field->setGeometry(10, 10, 300, 20);
            field->setStringValue(u"Macintosh HD -> Applications"_s, link);
            window.resize(320, 40);
            window.show();
            window.activateWindow();
        }
        [[nodiscard]] QPoint arrow() const { return field->linkRect().center().toPoint(); }
    };

private slots:
    void linkShouldDecideTextAndTooltip_data()
    {
        QTest::addColumn<QString>("link"); // "-" for none
        QTest::addColumn<bool>("linked");
        QTest::addColumn<QString>("url");
        QTest::newRow("none") << u"-"_s << false << QString();
        QTest::newRow("web") << u"https://example.org/a"_s << true << u"https://example.org/a"_s;
        QTest::newRow("mail") << u"mailto:me@example.org"_s << true << u"mailto:me@example.org"_s;
        QTest::newRow("ftp") << u"ftp://example.org"_s << true << u"ftp://example.org"_s;
        QTest::newRow("path") << u"/Applications/A.app"_s << true << u"file:///Applications/A.app"_s;
        QTest::newRow("capital prefix is a path") << u"HTTP://example.org"_s << true << u"file:HTTP://example.org"_s;
        QTest::newRow("malformed address") << u"http://exa mple.org"_s << false << QString();
    }
    void linkShouldDecideTextAndTooltip()
    {
        QFETCH(QString, link);
        QFETCH(bool, linked);
        QFETCH(QString, url);
        VelLinkTextField field;
        field.setStringValue(u"Text"_s, link == u"-"_s ? QString() : link);
        QCOMPARE(field.text(), linked ? u"Text \u27B2"_s : u"Text"_s);
        QCOMPARE(field.toolTip(), link == u"-"_s ? QString() : link);
        QCOMPARE(field.linkedURL().isEmpty(), !linked);
        if (linked && url.startsWith(u"file:"_s) && !url.startsWith(u"file://"_s))
            QCOMPARE(field.linkedURL().toLocalFile(), link);
        else
            QCOMPARE(field.linkedURL().toString(), url);
    }

    void plainTextShouldRemoveTheLink()
    {
        Shown shown(u"/Applications"_s);
        QTest::mouseMove(shown.field, shown.arrow());
        QCOMPARE(shown.field->cursor().shape(), Qt::PointingHandCursor);
        shown.field->setStringValue(u"3 services"_s);
        QCOMPARE(shown.field->text(), u"3 services"_s);
        QVERIFY(shown.field->toolTip().isEmpty());
        QVERIFY(shown.field->linkedURL().isEmpty());
        QCOMPARE(shown.field->cursor().shape(), Qt::ArrowCursor);
    }

    void linkRectShouldFollowTheAlignment_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QString>("expected"); // formula over S (content width) and w
        QTest::newRow("left") << int(Qt::AlignLeft) << u"S-13"_s;
        QTest::newRow("right") << int(Qt::AlignRight) << u"w-12"_s;
        QTest::newRow("centred") << int(Qt::AlignHCenter) << u"(S+w)/2-15"_s;
    }
    void linkRectShouldFollowTheAlignment()
    {
        QFETCH(int, alignment);
        QFETCH(QString, expected);
        VelLinkTextField field;
        field.resize(300, 18);
        field.setAlignment(Qt::Alignment(alignment) | Qt::AlignVCenter);
        field.setStringValue(u"Some provider"_s, u"/Applications"_s);
        const qreal s = field.contentWidth();
        const qreal w = 300.0;
        const qreal left = expected == u"S-13"_s ? s - 13.0 : expected == u"w-12"_s ? w - 12.0 : (s + w) * 0.5 - 15.0;
        QCOMPARE(field.linkRect(), QRectF(left, 0.0, 12.0, 18.0));
        QVERIFY(s > field.fontMetrics().horizontalAdvance(field.text()));
    }

    void clickShouldOpenOnlyOnTheArrow_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("revealed");
        const QString web = u"https://example.org/velmora"_s;
        const QString mail = u"mailto:me@example.org"_s;
        const QString folder = u"/Applications/Utilities"_s;
        QTest::newRow("web on the arrow") << web << u"click"_s << web << QString();
        QTest::newRow("mail on the arrow") << mail << u"click"_s << mail << QString();
        QTest::newRow("folder on the arrow") << folder << u"click"_s << QString() << folder;
        QTest::newRow("moved while pressed") << web << u"move"_s << QString() << QString();
        QTest::newRow("pressed beside, released on") << web << u"beside"_s << QString() << QString();
        QTest::newRow("inactive window") << web << u"inactive"_s << QString() << QString();
    }
    void clickShouldOpenOnlyOnTheArrow()
    {
        QFETCH(QString, link);
        QFETCH(QString, gesture);
        QFETCH(QString, opened);
        QFETCH(QString, revealed);
        VelDesktopCapture desktop;
        Shown shown(link);
        QVERIFY(QTest::qWaitForWindowActive(&shown.window));
        QWidget other;
        if (gesture == u"inactive"_s) {
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        }
        const QColor normal = shown.field->textColor();
        const QPoint arrow = shown.arrow();
        const QPoint press = gesture == u"beside"_s ? QPoint(5, 10) : arrow;
        QTest::mousePress(shown.field, Qt::LeftButton, {}, press);
        const bool pressedOnArrow = press == arrow && gesture != u"inactive"_s;
        QCOMPARE(shown.field->textColor(), pressedOnArrow ? VelLinkTextField::highlightColor() : normal);
        if (gesture == u"move"_s) {
            QTest::mouseMove(shown.field, arrow + QPoint(1, 0));
            QCOMPARE(shown.field->textColor(), normal);
        }
        QTest::mouseRelease(shown.field, Qt::LeftButton, {}, arrow);
        QCOMPARE(shown.field->textColor(), normal);
        QCOMPARE(desktop.openedUrls().value(0).toString(), opened);
        QCOMPARE(desktop.revealedPaths().value(0), revealed);
        QCOMPARE(desktop.openedUrls().size() + desktop.revealedPaths().size(), opened.size() + revealed.size() > 0);
    }
};

QTEST_MAIN(TestLinkTextField)
#include "tst_vellinktextfield.moc"
