// The services table and outline: no focus and no visible selection, the
// service cell's inspector button (drawing and tracking) and box, the
// outline's first column filling the width, and the fake header.

#include <ui/VelFakeTableHeaderView.h>
#include <ui/VelItemRoles.h>
#include <ui/VelServiceCell.h>
#include <ui/VelServicesOutlineView.h>
#include <ui/VelServicesTableView.h>

#include <QHeaderView>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Row 0 editable (inspector button), row 1 a plain box, row 2 disabled.
struct Services {
    QStandardItemModel model {3, 2};
    VelServicesTableView view;

    Services()
    {
        for (int row = 0; row < 3; ++row) {
            QStandardItem *item = model.item(row, 0) ? model.item(row, 0) : new QStandardItem;
            model.setItem(row, 0, item);
            item->setText(u"Service %1"_s.arg(row));
            item->setCheckable(true);
            item->setCheckState(Qt::Checked);
            item->setEnabled(row != 2);
            item->setData(row == 0, VelInspectorTargetRole);
            model.setItem(row, 1, new QStandardItem(u"[command]-K"_s));
        }
        view.setModel(&model);
        view.verticalHeader()->setDefaultSectionSize(18);
        view.horizontalHeader()->resizeSection(0, 200);
        view.horizontalHeader()->resizeSection(1, 80);
        view.resize(320, 120);
        view.show();
    }
    [[nodiscard]] QRect cell(int row) const { return view.visualRect(model.index(row, 0)); }
    [[nodiscard]] Qt::CheckState state(int row) const { return model.item(row, 0)->checkState(); }
    [[nodiscard]] QImage shot() const { return view.viewport()->grab().toImage(); }
};

} // namespace

class TestServicesViews : public QObject {
    Q_OBJECT

private slots:
    void viewsShouldTakeNoFocusAndShowNoSelection()
    {
        Services services;
        QCOMPARE(services.view.focusPolicy(), Qt::NoFocus);
        VelServicesOutlineView outline;
        QCOMPARE(outline.focusPolicy(), Qt::NoFocus);
        const QImage before = services.shot();
        services.view.selectionModel()->select(
            services.model.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(services.shot(), before);
    }

    void clicksShouldOpenTheInspectorOrToggleTheBox_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<QPoint>>("path"); // from the cell's top-right corner: press, moves..., release
        QTest::addColumn<int>("inspected");
        QTest::addColumn<Qt::CheckState>("state");
        const QPoint button(-8, 9);
        const QPoint title(-150, 9);
        const QPoint outside(-8, 60);
        QTest::newRow("inspector button") << 0 << QList<QPoint> {button, button} << 1 << Qt::Checked;
        QTest::newRow("pressed on it, released beside")
            << 0 << QList<QPoint> {button, title, title} << 0 << Qt::Unchecked;
        QTest::newRow("title") << 0 << QList<QPoint> {title, title} << 0 << Qt::Unchecked;
        QTest::newRow("dragged out of the cell")
            << 0 << QList<QPoint> {button, outside, button, button} << 0 << Qt::Checked;
        QTest::newRow("no button: right edge toggles") << 1 << QList<QPoint> {button, button} << 0 << Qt::Unchecked;
        QTest::newRow("disabled") << 2 << QList<QPoint> {title, title} << 0 << Qt::Checked;
    }
    void clicksShouldOpenTheInspectorOrToggleTheBox()
    {
        QFETCH(int, row);
        QFETCH(QList<QPoint>, path);
        QFETCH(int, inspected);
        QFETCH(Qt::CheckState, state);
        Services services;
        QSignalSpy spy(&services.view, &VelServicesTableView::inspectorRequested);
        const QPoint origin = services.cell(row).topRight() + QPoint(1, 0);
        QWidget *viewport = services.view.viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, origin + path.first());
        for (qsizetype i = 1; i + 1 < path.size(); ++i)
            QTest::mouseMove(viewport, origin + path[i]);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, origin + path.last());
        QCOMPARE(spy.size(), inspected);
        if (inspected)
            QCOMPARE(spy.first().first().toModelIndex(), services.model.index(row, 0));
        QCOMPARE(services.state(row), state);
    }

    void heldInspectorButtonShouldBeDarkerAndTheBoxUnpressed()
    {
        Services services;
        VelServiceCell *cell = services.view.serviceCell();
        const QModelIndex index = services.model.index(0, 0);
        const QPoint origin = services.cell(0).topRight() + QPoint(1, 0);
        const QRect buttonFrame
            = VelServiceCell::inspectorButtonFrame(services.cell(0), VelServiceCell::inspectorIcon().size()).toRect();
        const QPoint buttonMiddle = buttonFrame.topLeft() + QPoint(2, 6); // gray, beside the "i"
        const QImage idle = services.shot();
        QWidget *viewport = services.view.viewport();

        QTest::mousePress(viewport, Qt::LeftButton, {}, origin + QPoint(-8, 9));
        QVERIFY(cell->isInspectorButtonHighlighted(index));
        QVERIFY(!cell->isHighlighted(index));
        const QImage held = services.shot();
        QVERIFY(QColor(held.pixel(buttonMiddle)).lightness() < QColor(idle.pixel(buttonMiddle)).lightness());
        // The box and title look as they do unpressed.
        const QRect box(0, services.cell(0).top(), buttonFrame.left() - 2, 18);
        QCOMPARE(held.copy(box), idle.copy(box));

        QTest::mouseMove(viewport, origin + QPoint(-150, 9));
        QVERIFY(!cell->isInspectorButtonHighlighted(index));
        QVERIFY(cell->isHighlighted(index));
        QCOMPARE(services.shot().pixel(buttonMiddle), idle.pixel(buttonMiddle));
        QTest::mouseMove(viewport, origin + QPoint(-8, 60));
        QVERIFY(!cell->isHighlighted(index));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, origin + QPoint(-8, 60));
    }

    void serviceWithoutInspectorShouldUseTheFullWidth_data()
    {
        QTest::addColumn<bool>("button");
        QTest::addColumn<QRectF>("box");
        QTest::newRow("inspector button") << true << QRectF(10, 20, 183, 18);
        QTest::newRow("none") << false << QRectF(10, 20, 200, 18);
    }
    void serviceWithoutInspectorShouldUseTheFullWidth()
    {
        QFETCH(bool, button);
        QFETCH(QRectF, box);
        const QRectF cell(10, 20, 200, 18);
        QCOMPARE(VelServiceCell::checkboxFrameForCellFrame(cell, button), box);
        // Bottom-left corner 15 points left of the right edge and 3 above the bottom.
        QCOMPARE(VelServiceCell::inspectorButtonFrame(cell, QSizeF(13, 13)), QRectF(195, 22, 13, 13));
    }

    void outlineFirstColumnShouldFillTheWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("spacing");
        QTest::newRow("no spacing") << 400 << 0;
        QTest::newRow("spacing 3") << 400 << 3;
        QTest::newRow("resized narrower") << 260 << 3;
    }
    void outlineFirstColumnShouldFillTheWidth()
    {
        QFETCH(int, width);
        QFETCH(int, spacing);
        QStandardItemModel model(2, 2);
        VelServicesOutlineView outline;
        outline.setModel(&model);
        outline.header()->resizeSection(1, 90);
        outline.setIntercellSpacing(QSize(spacing, 2));
        outline.resize(500, 150);
        outline.show();
        outline.resize(width, 150);
        QCOMPARE(outline.columnWidth(0), outline.viewport()->width() - 90 - 2 * spacing);
        QCOMPARE(outline.columnWidth(1), 90);
    }

    void fakeHeaderShouldKeepGrayCorners()
    {
        VelFakeTableHeaderView header;
        header.resize(60, 17);
        const QImage image = header.grab().toImage();
        const QRgb gray = VelFakeTableHeaderView::gray().rgb();
        const QRgb lightGray = VelFakeTableHeaderView::lightGray().rgb();
        for (const QPoint corner : {QPoint(0, 0), QPoint(59, 0), QPoint(0, 16), QPoint(59, 16)})
            QCOMPARE(image.pixel(corner), gray);
        QCOMPARE(image.pixel(0, 8), lightGray);
        QCOMPARE(image.pixel(59, 8), lightGray);
        // The face covers the rest: its top is lighter than the light gray.
        QVERIFY(QColor(image.pixel(30, 2)).lightness() > QColor(lightGray).lightness());
    }
};

QTEST_MAIN(TestServicesViews)
#include "tst_velservicesviews.moc"
