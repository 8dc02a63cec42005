// The context button: the controller's menu pops up 20 points below the
// button's top-left corner, the button is drawn darker only while the menu
// is open, and no menu means no reaction.

#include <ui/VelContextButton.h>

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

class TestContextButton : public QObject {
    Q_OBJECT

private slots:
    void pressShouldPopUpTheMenuBelowTheButton()
    {
        QWidget window;
        auto *button = new VelContextButton(&window);
        button->setGeometry(30, 40, 32, 20);
        QWidget *asked = nullptr;
        button->setMenuSource([&asked](QWidget *asking) {
            asked = asking;
            auto *menu = new QMenu;
            menu->addAction(QStringLiteral("Enable all"));
            return menu;
        });
        window.resize(200, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage idle = button->grab().toImage();

        QPoint menuAt;
        bool downWhileOpen = false;
        QImage whileOpen;
        QTimer::singleShot(0, this, [&] {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                menuAt = popup->pos();
                downWhileOpen = button->isDown();
                whileOpen = button->grab().toImage();
                popup->close();
            }
        });
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));

        QCOMPARE(asked, button);
        QCOMPARE(menuAt, button->mapToGlobal(QPoint(0, 20)));
        QVERIFY(downWhileOpen);
        QVERIFY(!button->isDown());
        // Darker only while open: the bezel's middle loses brightness.
        const QPoint face(4, 10);
        QVERIFY(QColor(whileOpen.pixel(face)).lightness() < QColor(idle.pixel(face)).lightness());
        QCOMPARE(button->grab().toImage(), idle);
    }

    void noMenuShouldLeaveTheButtonAlone()
    {
        VelContextButton button;
        int asked = 0;
        button.setMenuSource([&asked](QWidget *) -> QMenu * {
            ++asked;
            return nullptr;
        });
        button.resize(32, 20);
        button.show();
        QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(asked, 1);
        QVERIFY(!button.isDown());
        QVERIFY(!QApplication::activePopupWidget());
    }
};

QTEST_MAIN(TestContextButton)
#include "tst_velcontextbutton.moc"
