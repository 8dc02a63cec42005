// The providers table: the pinned row 0 with its strip, hit-testing and
// scrolling around it, the selection's two looks, and the revert button of a
// provider row (geometry, drawing and tracking).

#include <ui/VelApplicationCell.h>
#include <ui/VelApplicationsTableView.h>
#include <ui/VelCellButtonTracker.h>
#include <ui/VelItemRoles.h>
#include <util/VelSystemVersionTests.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRows = 40;
constexpr int kWidth = 220;

// A window with the table of kRows rows; rows 3 and 4 can be reverted.
struct Table {
    QWidget window;
    QStandardItemModel model {kRows, 1};
    VelApplicationsTableView *view = new VelApplicationsTableView(&window);
    QLineEdit *elsewhere = new QLineEdit(&window);

    explicit Table(bool tiger = true)
    {
        QImage icon(16, 16, QImage::Format_ARGB32_Premultiplied);
        icon.fill(Qt::darkGreen);
        for (int row = 0; row < kRows; ++row) {
            model.setData(model.index(row, 0), row == 0 ? u"Services Menu"_s : u"Provider %1"_s.arg(row));
            model.setData(model.index(row, 0), icon, Qt::DecorationRole);
            model.setData(model.index(row, 0), row == 3 || row == 4, VelRevertTargetRole);
        }
        view->setModel(&model);
        view->verticalHeader()->setDefaultSectionSize(18);
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view->verticalHeader()->resizeSection(0, tiger ? 34 : 18);
        view->setFrameShape(QFrame::NoFrame);
        view->setGeometry(0, 0, kWidth, 200);
        elsewhere->setGeometry(0, 210, 100, 20);
        window.resize(kWidth, 240);
        window.show();
        window.activateWindow();
        view->setFocus();
    }
    [[nodiscard]] QWidget *viewport() const { return view->viewport(); }
    [[nodiscard]] int width() const { return view->viewport()->width(); }
    [[nodiscard]] QColor pixel(int x, int y) const { return view->viewport()->grab().toImage().pixelColor(x, y); }
    [[nodiscard]] int selectedRow() const
    {
        const QModelIndexList rows = view->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }
    void scrollTo(int offset) const { view->verticalScrollBar()->setValue(offset); }
};

void setSystemVersion(const char *version)
{
    qputenv("VELMORA_SYSTEM_VERSION", version);
    VelResetSystemVersionForTesting();
}

bool isSelectionBlue(const QColor &color)
{
    return color.blue() > color.red() + 60;
}

} // namespace

class TestApplicationsTableView : public QObject {
    Q_OBJECT

private slots:
    void init() { setSystemVersion("10.5.8"); }

    void pinnedRowShouldStayAtTheTop_data()
    {
        QTest::addColumn<int>("offset");
        QTest::newRow("not scrolled") << 0;
        QTest::newRow("scrolled a little") << 25;
        QTest::newRow("scrolled far") << 300;
    }
    void pinnedRowShouldStayAtTheTop()
    {
        QFETCH(int, offset);
        Table table;
        table.scrollTo(offset);
        QCOMPARE(table.view->verticalScrollBar()->value(), offset);
        QCOMPARE(table.view->rectOfRow(0), QRect(0, 0, table.width(), 34));
        QCOMPARE(table.view->rectOfRow(5), QRect(0, 34 + 4 * 18 - offset, table.width(), 18));
        // Over the pinned row the answer is 0, never the row beneath it.
        QCOMPARE(table.view->rowAtPoint(QPoint(10, 33)), 0);
        QCOMPARE(table.view->indexAt(QPoint(10, 5)).row(), 0);
        QCOMPARE(table.view->rowAtPoint(QPoint(10, 34)), table.view->rowAt(34));
        QCOMPARE(table.view->rowAtPoint(QPoint(table.width() + 5, 50)), -1);
    }

    void pressesShouldSelectExceptOnTheStrip_data()
    {
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("selected");
        QTest::newRow("services menu part") << 5 << 0;
        QTest::newRow("row height exactly") << 18 << 0;
        QTest::newRow("strip") << 19 << 2;
        QTest::newRow("strip's lower line") << 33 << 2;
        QTest::newRow("first row below the strip") << 40 << 1;
    }
    void pressesShouldSelectExceptOnTheStrip()
    {
        QFETCH(int, y);
        QFETCH(int, selected);
        Table table;
        table.view->selectRow(2);
        QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, QPoint(40, y));
        QCOMPARE(table.selectedRow(), selected);
    }

    void keyboardSelectionShouldScrollTheRowOutFromUnderThePin_data()
    {
        QTest::addColumn<int>("hiddenBy"); // points of the row's top under the pinned row
        QTest::newRow("top hidden by 1") << 1;
        QTest::newRow("top hidden by 20") << 20;
        QTest::newRow("not hidden") << 0;
    }
    void keyboardSelectionShouldScrollTheRowOutFromUnderThePin()
    {
        QFETCH(int, hiddenBy);
        Table table;
        table.view->selectRow(10);
        // Row 11's top at 34 - hiddenBy in the viewport.
        table.scrollTo(34 + 10 * 18 - (34 - hiddenBy));
        const int before = table.view->verticalScrollBar()->value();
        QTest::keyClick(table.view, Qt::Key_Down);
        QCOMPARE(table.selectedRow(), 11);
        QCOMPARE(table.view->rectOfRow(11).top(), 34 - (hiddenBy ? 0 : hiddenBy));
        QCOMPARE(table.view->verticalScrollBar()->value(), before - hiddenBy);
    }

    void selectionShouldBeDrawnFromTheImageOnlyWhenFocused_data()
    {
        QTest::addColumn<bool>("focused");
        QTest::addColumn<int>("row");
        QTest::newRow("focused, services menu") << true << 0;
        QTest::newRow("focused, provider") << true << 6;
        QTest::newRow("unfocused, services menu") << false << 0;
        QTest::newRow("unfocused, provider") << false << 6;
    }
    void selectionShouldBeDrawnFromTheImageOnlyWhenFocused()
    {
        QFETCH(bool, focused);
        QFETCH(int, row);
        Table table;
        QVERIFY(QTest::qWaitForWindowActive(&table.window));
        if (!focused)
            table.elsewhere->setFocus();
        table.view->selectRow(row);
        QCOMPARE(table.view->drawsFocusedSelection(), focused);
        const int y = table.view->rectOfRow(row).top() + 9;
        const QColor selection = table.pixel(table.width() - 4, y);
        if (focused)
            QVERIFY2(isSelectionBlue(selection), qPrintable(selection.name()));
        else
            QCOMPARE(selection.rgb(), VelApplicationsTableView::sourceListInactiveSelectionColor().rgb());
        // The strip of row 0 is never highlighted.
        const QColor strip = table.pixel(table.width() - 4, 26);
        table.view->selectRow(1);
        QCOMPARE(table.pixel(table.width() - 4, 26), strip);
    }

    void stripShouldBeDrawnFrom10Point4On_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<bool>("strip");
        QTest::newRow("10.3") << QByteArray("10.3.9") << false;
        QTest::newRow("10.4") << QByteArray("10.4.11") << true;
        QTest::newRow("10.5") << QByteArray("10.5.8") << true;
    }
    void stripShouldBeDrawnFrom10Point4On()
    {
        QFETCH(QByteArray, version);
        QFETCH(bool, strip);
        setSystemVersion(version.constData());
        Table table(strip);
        table.view->clearSelection();
        const QColor background = VelApplicationsTableView::sourceListBackgroundColor().toRgb();
        // The first line closes the "Services Menu" part: background less 0.3.
        const QColor line = table.pixel(table.width() - 4, 17);
        QVERIFY2(qAbs(line.red() - (background.red() - 77)) <= 2, qPrintable(line.name()));
        QCOMPARE(table.pixel(table.width() - 4, 16).rgb(), background.rgb());
        QCOMPARE(table.pixel(table.width() - 4, 33) == line, strip);
        if (strip) {
            // The strip's gradient darkens towards its bottom.
            QVERIFY(table.pixel(table.width() - 4, 31).lightness() < table.pixel(table.width() - 4, 19).lightness());
        }
    }

    void scrolledRowsShouldSlideUnderThePinnedRow()
    {
        Table table;
        table.view->clearSelection();
        const QImage before = table.viewport()->grab().toImage().copy(0, 0, table.width(), 34);
        table.scrollTo(60);
        QCOMPARE(table.viewport()->grab().toImage().copy(0, 0, table.width(), 34), before);
    }

    void cellGeometryShouldFollowIconAndButton_data()
    {
        QTest::addColumn<QSizeF>("icon");
        QTest::addColumn<bool>("revert");
        QTest::addColumn<QRectF>("image");
        QTest::addColumn<QRectF>("editing");
        QTest::addColumn<QRectF>("text");
        const QRectF cell(10, 20, 200, 18);
        QTest::newRow("icon and button") << QSizeF(16, 16) << true << QRectF(13, 21, 16, 16) << QRectF(32, 20, 178, 18)
                                         << QRectF(32, 20, 161, 18);
        QTest::newRow("icon, no button") << QSizeF(16, 16) << false << QRectF(13, 21, 16, 16) << QRectF(32, 20, 178, 18)
                                         << QRectF(32, 20, 178, 18);
        QTest::newRow("odd icon") << QSizeF(12, 11) << false << QRectF(13, 24, 12, 11) << QRectF(28, 20, 182, 18)
                                  << QRectF(28, 20, 182, 18);
        QTest::newRow("no icon") << QSizeF() << true << QRectF() << cell << QRectF(10, 20, 183, 18);
    }
    void cellGeometryShouldFollowIconAndButton()
    {
        QFETCH(QSizeF, icon);
        QFETCH(bool, revert);
        QFETCH(QRectF, image);
        QFETCH(QRectF, editing);
        QFETCH(QRectF, text);
        const QRectF cell(10, 20, 200, 18);
        QCOMPARE(VelApplicationCell::imageFrameForCellFrame(cell, icon), image);
        QCOMPARE(VelApplicationCell::editingFrameForCellFrame(cell, icon), editing);
        QCOMPARE(VelApplicationCell::textFrameForCellFrame(cell, icon, revert), text);
        if (revert) {
            // 15 points left of the cell's right edge, 3 above its bottom.
            QCOMPARE(VelApplicationCell::revertButtonFrame(text, QSizeF(13, 13)), QRectF(195, 22, 13, 13));
        }
        QCOMPARE(VelCellButtonTracker::hotZone(cell), QRectF(190, 20, 20, 18));
    }

    void revertButtonShouldShowOnRevertableRowsOnly()
    {
        Table table;
        table.view->clearSelection();
        const QColor background = VelApplicationsTableView::sourceListBackgroundColor().toRgb();
        const int buttonX = table.width() - 15 + 6;
        QVERIFY(table.pixel(buttonX, table.view->rectOfRow(3).top() + 9).lightness() < background.lightness() - 30);
        QCOMPARE(table.pixel(buttonX, table.view->rectOfRow(5).top() + 9).rgb(), background.rgb());
    }

    void revertButtonShouldTrackThePress_data()
    {
        QTest::addColumn<QList<QPoint>>("path"); // press, moves..., release; x from the right edge
        QTest::addColumn<QList<bool>>("highlighted"); // after the press and after each move
        QTest::addColumn<int>("reverts");
        const QPoint button(-8, 9);
        const QPoint beside(-60, 9);
        const QPoint outside(-8, 40);
        QTest::newRow("click") << QList<QPoint> {button, button} << QList<bool> {true} << 1;
        QTest::newRow("off and back") << QList<QPoint> {button, beside, button, button}
                                      << QList<bool> {true, false, true} << 1;
        QTest::newRow("released beside") << QList<QPoint> {button, beside, beside} << QList<bool> {true, false} << 0;
        // The release's own position decides, as every other pass of the tracking.
        QTest::newRow("pressed beside, released on it") << QList<QPoint> {beside, button} << QList<bool> {false} << 1;
        QTest::newRow("left the cell") << QList<QPoint> {button, outside, button, button}
                                       << QList<bool> {true, false, false} << 0;
    }
    void revertButtonShouldTrackThePress()
    {
        QFETCH(QList<QPoint>, path);
        QFETCH(QList<bool>, highlighted);
        QFETCH(int, reverts);
        Table table;
        QSignalSpy spy(table.view, &VelApplicationsTableView::revertRequested);
        const QModelIndex row = table.model.index(3, 0);
        const QPoint origin(table.width(), table.view->rectOfRow(3).top());
        QTest::mousePress(table.viewport(), Qt::LeftButton, {}, origin + path.first());
        QCOMPARE(table.view->cell()->isRevertButtonHighlighted(row), highlighted.first());
        const QColor pressed = table.pixel(table.width() - 9, origin.y() + 9);
        for (qsizetype i = 1; i + 1 < path.size(); ++i) {
            QTest::mouseMove(table.viewport(), origin + path[i]);
            QCOMPARE(table.view->cell()->isRevertButtonHighlighted(row), highlighted[i]);
        }
        QTest::mouseRelease(table.viewport(), Qt::LeftButton, {}, origin + path.last());
        QVERIFY(!table.view->cell()->isRevertButtonHighlighted(row));
        QCOMPARE(spy.size(), reverts);
        if (reverts)
            QCOMPARE(spy.first().first().toModelIndex(), row);
        // The pressed overlay darkens the button of the selected row.
        if (highlighted.first())
            QVERIFY(pressed.lightness() < table.pixel(table.width() - 9, origin.y() + 9).lightness());
    }
};

QTEST_MAIN(TestApplicationsTableView)
#include "tst_velapplicationstableview.moc"
