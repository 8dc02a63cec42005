// The application's own widgets in the real main window: the interface file
// creates them, and the controller's hooks make the revert button revert,
// the service cell's click toggle, its inspector button open the inspector,
// the context button show the controller's
// menu and the divider remember its width under the window's name.

#include "../controller/WindowTestSupport.h"

#include <ui/VelItemRoles.h>

#include <ui/VelApplicationCell.h>
#include <ui/VelApplicationsTableView.h>
#include <ui/VelContextButton.h>
#include <ui/VelLinkTextField.h>
#include <ui/VelMainWindow.h>
#include <ui/VelServicesOutlineView.h>
#include <ui/VelServicesTableView.h>
#include <ui/VelSolomonButton.h>

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace WindowTest;

class TestMainWindowWidgets : public QObject {
    Q_OBJECT

    VelTidyController *c = nullptr;

private slots:
    void initTestCase()
    {
        qputenv("VELMORA_SYSTEM_VERSION", "10.5.8");
        c = window();
        QVERIFY(c);
        c->mainWindow()->show();
    }
    void cleanupTestCase() { c->releaseInterface(); }

    void interfaceFileShouldCreateTheWidgets()
    {
        QVERIFY(qobject_cast<VelMainWindow *>(c->mainWindow()));
        QVERIFY(qobject_cast<VelApplicationsTableView *>(c->applicationsTableView()));
        QVERIFY(qobject_cast<VelServicesTableView *>(c->servicesTableView()));
        QVERIFY(qobject_cast<VelServicesOutlineView *>(c->servicesOutlineView()));
        QVERIFY(qobject_cast<VelLinkTextField *>(c->statusTextField()));
        auto *divider = c->mainWindow()->findChild<VelSolomonButton *>(u"solomonButton"_s);
        QVERIFY(divider && divider->leftView() && divider->rightView());
        QCOMPARE(divider->autoSaveName(), std::optional<QString>(u"VelSolomonButton Left Width Main Window"_s));
        QCOMPARE(c->applicationsTableView()->verticalHeader()->defaultSectionSize(), 18);
    }

    void revertButtonShouldRevertTheProvider()
    {
        SampleVolume volume;
        c->reload();
        const VelProviderPtr beta = provider(c, u"Beta"_s);
        setServiceEnabled(beta->serviceAtIndex(0), false);
        c->providersModel()->setNeedsDisplay();
        c->updateSaveButtonStatus();
        auto *table = static_cast<VelApplicationsTableView *>(c->applicationsTableView());
        const int row = rowOfProvider(c, u"Beta"_s);
        const QRect rect = table->rectOfRow(row);
        QVERIFY(c->providersModel()->index(row, 0).data(VelRevertTargetRole).toBool());
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, QPoint(rect.right() - 8, rect.center().y()));
        QCOMPARE(enabledServiceCount(beta), 2);
        QVERIFY(!c->saveButton()->isEnabled());
    }

    void serviceCellClickShouldToggleTheService()
    {
        SampleVolume volume;
        c->reload();
        selectProvider(c, u"Beta"_s);
        auto *table = static_cast<VelServicesTableView *>(c->servicesTableView());
        const QRect cell = table->visualRect(c->servicesModel()->index(0, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 60, cell.center().y()));
        QCOMPARE(enabledServiceCount(provider(c, u"Beta"_s)), 1);
        QVERIFY(c->saveButton()->isEnabled());
        QVERIFY(!c->servicesTableView()->hasFocus());
    }

    void inspectorButtonShouldOpenTheInspector()
    {
        SampleVolume volume;
        c->reload();
        selectProvider(c, u"Beta"_s);
        auto *table = static_cast<VelServicesTableView *>(c->servicesTableView());
        const QRect cell = table->visualRect(c->servicesModel()->index(0, 0));
        QVERIFY(c->servicesModel()->index(0, 0).data(VelInspectorTargetRole).toBool());
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 8, cell.center().y()));
        QVERIFY(c->inspectorSheet() && c->inspectorSheet()->isVisible());
        QCOMPARE(c->currentInspectorService(), provider(c, u"Beta"_s)->serviceAtIndex(0));
        QCOMPARE(enabledServiceCount(provider(c, u"Beta"_s)), 2); // the box was not toggled
        c->inspectorCancel();
        QTRY_VERIFY(!c->inspectorSheet()->isVisible());
    }

    void contextButtonShouldShowTheControllersMenu()
    {
        SampleVolume volume;
        c->reload();
        auto *button = c->mainWindow()->findChild<VelContextButton *>(u"contextButton"_s);
        QVERIFY(button);
        QString title;
        QTimer::singleShot(0, this, [&title] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                title = menu->title();
                menu->close();
            }
        });
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(title, u"EnableDisable"_s);
    }
};

QTEST_MAIN(TestMainWindowWidgets)
#include "tst_velmainwindowwidgets.moc"
