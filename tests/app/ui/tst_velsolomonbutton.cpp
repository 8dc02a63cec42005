// The divider between two views: its split arithmetic, the delegate's
// minimums and autosave name, dragging with the mouse, the stored width and
// the window's resizes.

#include "VelTestVolume.h"

#include <defaults/VelUserDefaults.h>
#include <ui/VelMainWindow.h>
#include <ui/VelSolomonButton.h>
#include <ui/VelSolomonButtonDelegate.h>
#include <ui/VelSplitView.h>

#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

struct AnsweringDelegate : VelSolomonButtonDelegate {
    std::optional<QString> name;
    std::optional<qreal> left;
    std::optional<qreal> right;
    std::optional<QString> solomonButtonAutoSaveName(const VelSolomonButton *) const override { return name; }
    std::optional<qreal> solomonButtonLeftMinimumWidth(const VelSolomonButton *) const override { return left; }
    std::optional<qreal> solomonButtonRightMinimumWidth(const VelSolomonButton *) const override { return right; }
};

// A main window holding a split view of two panes 600 points wide in all,
// and the divider beside them.
struct SplitWindow {
    VelMainWindow window;
    VelSplitView *split = new VelSplitView;
    QWidget *left = new QWidget(split);
    QWidget *right = new QWidget(split);
    VelSolomonButton *button = new VelSolomonButton;

    explicit SplitWindow(const QString &autosaveName, int leftWidth = 250)
    {
        auto *central = new QWidget;
        auto *layout = new QVBoxLayout(central);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(split, 1);
        layout->addWidget(button);
        window.setCentralWidget(central);
        window.setFrameAutosaveName(autosaveName);
        left->setObjectName(u"left"_s);
        right->setObjectName(u"right"_s);
        left->setGeometry(0, 0, leftWidth, 100);
        right->setGeometry(leftWidth + 1, 0, 600 - leftWidth, 100);
        button->setLeftViewName(u"left"_s);
        button->setRightViewName(u"right"_s);
        button->setFixedSize(15, 20);
        window.resize(601, 120);
        window.show();
        button->awakeFromNib();
    }
    [[nodiscard]] int total() const { return left->width() + right->width(); }
};

} // namespace

class TestSolomonButton : public QObject {
    Q_OBJECT

    VelTest::Volume volume; // the user defaults live in its home
    const QString key = u"VelSolomonButton Left Width Main"_s;

private slots:
    void init() { VelUserDefaults::standardUserDefaults().removeObjectForKey(key); }

    void splitArithmeticShouldKeepTheSumAndTheMinimums_data()
    {
        QTest::addColumn<qreal>("leftMinimum");
        QTest::addColumn<qreal>("rightMinimum");
        QTest::addColumn<qreal>("originalLeft");
        QTest::addColumn<qreal>("originalRight");
        QTest::addColumn<qreal>("difference");
        QTest::addColumn<qreal>("left");
        QTest::addColumn<qreal>("right");
        QTest::newRow("right gives width") << 120.0 << 200.0 << 250.0 << 350.0 << 50.0 << 300.0 << 300.0;
        QTest::newRow("left gives width") << 120.0 << 200.0 << 250.0 << 350.0 << -50.0 << 200.0 << 400.0;
        QTest::newRow("left stops at its minimum") << 120.0 << 200.0 << 250.0 << 350.0 << -500.0 << 120.0 << 480.0;
        QTest::newRow("right stops at its minimum") << 120.0 << 200.0 << 250.0 << 350.0 << 500.0 << 400.0 << 200.0;
        QTest::newRow("exactly at the minimum") << 120.0 << 200.0 << 250.0 << 350.0 << 150.0 << 400.0 << 200.0;
        QTest::newRow("both cannot be met: left wins") << 120.0 << 200.0 << 100.0 << 150.0 << 0.0 << 120.0 << 130.0;
        QTest::newRow("defaults without a delegate") << -1.0 << -1.0 << 250.0 << 350.0 << -100.0 << 200.0 << 400.0;
    }
    void splitArithmeticShouldKeepTheSumAndTheMinimums()
    {
        QFETCH(qreal, leftMinimum);
        QFETCH(qreal, rightMinimum);
        QFETCH(qreal, originalLeft);
        QFETCH(qreal, originalRight);
        QFETCH(qreal, difference);
        QFETCH(qreal, left);
        QFETCH(qreal, right);
        AnsweringDelegate delegate;
        delegate.left = leftMinimum;
        delegate.right = rightMinimum;
        VelSolomonButton button;
        if (leftMinimum >= 0)
            button.setDelegate(&delegate);
        const QRectF ol(10, 5, originalLeft, 40);
        const QRectF orig(10 + originalLeft + 1, 5, originalRight, 40);
        QRectF l = ol;
        QRectF r = orig;
        button.tileLeftFrame(l, ol, r, orig, difference);
        QCOMPARE(l.width(), left);
        QCOMPARE(r.width(), right);
        QCOMPARE(l.x(), ol.x());
        QCOMPARE(r.x() + r.width(), orig.x() + orig.width()); // the right edge stays
        QCOMPARE(r.y(), orig.y());
    }

    void delegateShouldSupplyMinimumsAndKey_data()
    {
        QTest::addColumn<bool>("withDelegate");
        QTest::addColumn<QString>("name"); // "-" for no answer
        QTest::addColumn<QString>("key"); // "-" for none
        QTest::newRow("no delegate") << false << u"-"_s << u"-"_s;
        QTest::newRow("no answer") << true << u"-"_s << u"-"_s;
        QTest::newRow("named") << true << u"Main"_s << u"VelSolomonButton Left Width Main"_s;
        QTest::newRow("empty name") << true << QString() << u"VelSolomonButton Left Width "_s;
    }
    void delegateShouldSupplyMinimumsAndKey()
    {
        QFETCH(bool, withDelegate);
        QFETCH(QString, name);
        QFETCH(QString, key);
        AnsweringDelegate delegate;
        if (name != u"-"_s)
            delegate.name = name;
        VelSolomonButton button;
        if (withDelegate)
            button.setDelegate(&delegate);
        QCOMPARE(button.autoSaveName().value_or(u"-"_s), key);
        QCOMPARE(button.leftMinimumWidth(), 200.0);
        QCOMPARE(button.rightMinimumWidth(), 200.0);
    }

    void mainWindowShouldAnswerForItsDivider()
    {
        SplitWindow split(u"Main"_s);
        QCOMPARE(split.button->delegate(), static_cast<VelSolomonButtonDelegate *>(&split.window));
        QCOMPARE(split.button->leftMinimumWidth(), 120.0);
        QCOMPARE(split.button->rightMinimumWidth(), 200.0);
        QCOMPARE(split.button->autoSaveName(), std::optional<QString>(key));
    }

    void dragShouldStopAtTheMinimumsAndStoreTheWidth_data()
    {
        QTest::addColumn<QList<int>>("moves"); // pointer x steps from the press
        QTest::addColumn<int>("left");
        QTest::newRow("far left") << QList<int> {-40, -500} << 120;
        QTest::newRow("far right") << QList<int> {40, 500} << 400;
        QTest::newRow("back and forth") << QList<int> {-500, 30} << 280;
        QTest::newRow("no movement") << QList<int> {} << 250;
    }
    void dragShouldStopAtTheMinimumsAndStoreTheWidth()
    {
        QFETCH(QList<int>, moves);
        QFETCH(int, left);
        SplitWindow split(u"Main"_s);
        QCOMPARE(split.left->width(), 250);
        const QPoint press(5, 5);
        QTest::mousePress(split.button, Qt::LeftButton, {}, press);
        QVERIFY(split.button->isDown());
        for (int x : moves) {
            QTest::mouseMove(split.button, press + QPoint(x, 0));
            QCOMPARE(split.total(), 600);
        }
        QTest::mouseRelease(split.button, Qt::LeftButton, {}, press + QPoint(moves.value(moves.size() - 1), 0));
        QVERIFY(!split.button->isDown());
        QCOMPARE(split.left->width(), left);
        QCOMPARE(split.total(), 600);
        QCOMPARE(split.right->x() + split.right->width(), 601);
        QCOMPARE(VelUserDefaults::standardUserDefaults().doubleForKey(key), double(left));
    }

    void storedWidthShouldBeRestored_data()
    {
        QTest::addColumn<QVariant>("stored"); // invalid: nothing stored
        QTest::addColumn<int>("left");
        QTest::newRow("stored") << QVariant(330.0) << 330;
        QTest::newRow("nothing stored") << QVariant() << 250;
        QTest::newRow("below the minimum") << QVariant(20.0) << 120;
        QTest::newRow("leaves the right too narrow") << QVariant(590.0) << 400;
    }
    void storedWidthShouldBeRestored()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, left);
        if (stored.isValid())
            VelUserDefaults::standardUserDefaults().setObject(plist::Value(stored.toDouble()), key);
        SplitWindow split(u"Main"_s);
        QCOMPARE(split.left->width(), left);
        QCOMPARE(split.total(), 600);
    }

    void windowResizeShouldReapplyTheMinimums_data()
    {
        QTest::addColumn<int>("windowWidth");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::newRow("wider: the right view grows") << 801 << 250 << 550;
        QTest::newRow("right would drop below 200") << 401 << 200 << 200;
        QTest::newRow("both cannot be met") << 281 << 120 << 160;
    }
    void windowResizeShouldReapplyTheMinimums()
    {
        QFETCH(int, windowWidth);
        QFETCH(int, left);
        QFETCH(int, right);
        SplitWindow split(u"Main"_s);
        split.window.resize(windowWidth, 120);
        QCOMPARE(split.left->width(), left);
        QCOMPARE(split.right->width(), right);
        QCOMPARE(split.right->x(), left + 1);
    }
};

QTEST_MAIN(TestSolomonButton)
#include "tst_velsolomonbutton.moc"
