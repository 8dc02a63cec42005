// The main window driven as a user drives it: start-up, selection and the
// right-hand pane, toggles with the Save button and the edited mark, the
// status line, reload, quitting and the preferences.

#include "WindowTestSupport.h"

#include <defaults/VelUserDefaults.h>
#include <plist/PropertyList.h>
#include <ui/VelLinkLabel.h>
#include <update/VelOrbUpdateChecker.h>
#include <util/VelPathUtilities.h>
#include <workspace/VelWorkspace.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QCheckBox>
#include <QColor>
#include <QDialog>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>

using namespace Qt::StringLiterals;
using namespace WindowTest;

class TestMainWindow : public QObject {
    Q_OBJECT

    VelTidyController *c = nullptr;

private slots:
    void initTestCase()
    {
        qputenv("VELMORA_SYSTEM_VERSION", "10.5.8");
        c = window();
        QVERIFY(c);
        attachModelTesters(c, this);
    }
    void cleanupTestCase() { c->releaseInterface(); }

    void startUpShouldDependOnTheStoredVersion_data()
    {
        QTest::addColumn<QString>("storedVersion");
        QTest::addColumn<bool>("firstRun");
        QTest::newRow("first run") << QString() << true;
        QTest::newRow("same version") << c->versionString() << false;
        QTest::newRow("older version") << u"0.0.1"_s << false;
    }
    void startUpShouldDependOnTheStoredVersion()
    {
        QFETCH(QString, storedVersion);
        QFETCH(bool, firstRun);
        SampleVolume volume;
        VelUserDefaults &defaults = VelUserDefaults::standardUserDefaults();
        if (!storedVersion.isEmpty())
            defaults.setObject(storedVersion, u"Version"_s);
        c->mainWindow()->move(0, 0);
        const int finds = VelWorkspace::findApplicationsCallCount();
        const int menuUpdates = NSUpdateDynamicServicesCallCount();

        c->applicationDidFinishLaunching();

        QCOMPARE(defaults.stringForKey(u"Version"_s), c->versionString());
        QCOMPARE(VelWorkspace::findApplicationsCallCount(), finds + 1);
        QCOMPARE(NSUpdateDynamicServicesCallCount(), menuUpdates + 1);
        QVERIFY(c->mainWindow()->isVisible());
        QCOMPARE(c->applicationsTableView()->selectionModel()->selectedRows().value(0).row(), 0);
        const QPoint offCentre
            = c->mainWindow()->frameGeometry().center() - c->mainWindow()->screen()->availableGeometry().center();
        // The frame is added when the window is first shown, after centring.
        QCOMPARE(offCentre.manhattanLength() <= 8, firstRun);
        QCOMPARE(c->aboutSheet() && c->aboutSheet()->isVisible(), firstRun);
        if (firstRun) {
            QVERIFY(c->aboutTextField()->text().startsWith(u"Version "_s + c->versionString() + u' '));
            c->aboutOK();
            QVERIFY(!c->aboutSheet()->isVisible());
        }
    }

    void selectionShouldChooseThePane_data()
    {
        QTest::addColumn<QString>("provider"); // "" for the Services Menu row, "-" for none
        QTest::addColumn<bool>("tableShown");
        QTest::addColumn<QString>("firstService");
        QTest::newRow("services menu row") << QString() << false << QString();
        QTest::newRow("no selection") << u"-"_s << false << QString();
        QTest::newRow("provider") << u"Beta"_s << true << u"Text -> Reverse"_s;
    }
    void selectionShouldChooseThePane()
    {
        QFETCH(QString, provider);
        QFETCH(bool, tableShown);
        QFETCH(QString, firstService);
        SampleVolume volume;
        c->reload();
        QCOMPARE(c->providersModel()->rowCount(), 5);
        selectProvider(c, u"Alpha"_s); // the pane swaps away from the outline first
        if (provider == u"-"_s)
            selectProvidersRow(c, -1);
        else
            selectProvider(c, provider);

        QCOMPARE(!c->servicesTableView()->isHidden(), tableShown);
        QCOMPARE(!c->servicesOutlineView()->isHidden(), !tableShown);
        if (tableShown) {
            QCOMPARE(c->servicesModel()->rowCount(), 2);
            const QStringList titles = {
                c->servicesModel()->index(0, 0).data().toString(), c->servicesModel()->index(1, 0).data().toString()};
            QVERIFY(titles.contains(firstService));
            QVERIFY(c->statusTextField()->text().contains(readablePathRepresentation(volume.beta)));
            QCOMPARE(VelLinkedPath(c->statusTextField()), volume.beta);
        } else {
            QCOMPARE(c->servicesModel()->rowCount(), 0);
            QCOMPARE(c->statusTextField()->text(), u"6 services"_s);
            QVERIFY(VelLinkedPath(c->statusTextField()).isEmpty());
        }
    }

    void toggleShouldMarkTheWindowEdited_data()
    {
        QTest::addColumn<bool>("inOutline");
        QTest::addColumn<QString>("status");
        QTest::newRow("service in the table") << false << u"Beta"_s;
        QTest::newRow("submenu in the outline") << true << u"3 of 6 services"_s;
    }
    void toggleShouldMarkTheWindowEdited()
    {
        QFETCH(bool, inOutline);
        QFETCH(QString, status);
        SampleVolume volume;
        c->reload();
        const VelProviderPtr beta = provider(c, u"Beta"_s);
        QAbstractItemView *view = c->servicesTableView();
        QModelIndex cell;
        if (inOutline) {
            view = c->servicesOutlineView();
            cell = outlineRow(c, u"Text"_s);
        } else {
            selectProvider(c, u"Beta"_s);
            cell = c->servicesModel()->index(0, 0);
        }
        pressSpaceOn(view, cell);

        QCOMPARE(cell.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
        QCOMPARE(enabledServiceCount(beta), 1);
        QVERIFY(c->saveButton()->isEnabled());
        QVERIFY(c->mainWindow()->isWindowModified());
        QVERIFY(c->statusTextField()->text().contains(status));
        const QModelIndex betaRow = c->providersModel()->index(rowOfProvider(c, u"Beta"_s), 0);
        QCOMPARE(betaRow.data(Qt::ForegroundRole).value<QColor>(),
            inOutline ? QColor(Qt::darkGray) : QColor(Qt::white)); // white while selected
        QCOMPARE(betaRow.data(Qt::FontRole).value<QFont>().bold(), !inOutline);

        pressSpaceOn(view, cell);
        QCOMPARE(enabledServiceCount(beta), 2);
        QVERIFY(!c->saveButton()->isEnabled());
        QVERIFY(!c->mainWindow()->isWindowModified());
        QCOMPARE(betaRow.data(Qt::ForegroundRole).value<QColor>(), inOutline ? QColor(Qt::black) : QColor(Qt::white));
    }

    void statusLineShouldCountTitledServices_data()
    {
        QTest::addColumn<int>("disabled");
        QTest::addColumn<QString>("status");
        QTest::newRow("all enabled") << 0 << u"6 services"_s;
        QTest::newRow("some disabled") << 2 << u"4 of 6 services"_s;
        QTest::newRow("all disabled") << 6 << u"6 services"_s;
    }
    void statusLineShouldCountTitledServices()
    {
        QFETCH(int, disabled);
        QFETCH(QString, status);
        SampleVolume volume;
        c->reload();
        int left = disabled;
        for (const VelProviderPtr &p : c->applications()) {
            for (const plist::Value &value : *p->services()) {
                if (left > 0 && serviceMenuItemTitle(value.toDictionary())) {
                    setServiceEnabled(value.toDictionary(), false);
                    --left;
                }
            }
        }
        c->updateStatusTextField();
        QCOMPARE(c->statusTextField()->text(), status);
    }

    void reloadShouldStartAfresh_data()
    {
        QTest::addColumn<bool>("withProviders");
        QTest::newRow("sample volume") << true;
        QTest::newRow("empty volume") << false;
    }
    void reloadShouldStartAfresh()
    {
        QFETCH(bool, withProviders);
        std::optional<SampleVolume> sample;
        std::optional<VelTest::Volume> empty;
        if (withProviders)
            sample.emplace();
        else
            empty.emplace();
        c->reload();
        if (withProviders) {
            selectProvider(c, u"Beta"_s);
            c->tableViewSetObjectValue(VelTableKind::Services, 0, VelServiceColumn, 0);
            QVERIFY(c->saveButton()->isEnabled());
        }
        // The scan lets the event loop run: a zero timer fires during it.
        int timerRuns = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&timerRuns] { ++timerRuns; });
        ticker.start(0);
        c->reload();
        QVERIFY(timerRuns > 0);

        QVERIFY(!c->saveButton()->isEnabled());
        QVERIFY(!c->mainWindow()->isWindowModified());
        QVERIFY(c->reloadButton()->isEnabled());
        QCOMPARE(c->providersModel()->rowCount(), withProviders ? 5 : 1);
        const QModelIndexList selected = c->applicationsTableView()->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), withProviders ? 1 : 0);
        QCOMPARE(c->applicationsTableView()->rowHeight(0), 34);
        QCOMPARE(c->statusTextField()->text(), withProviders ? u"6 services"_s : u"0 services"_s);
        if (withProviders)
            QCOMPARE(enabledServiceCount(provider(c, u"Beta"_s)), 2);
        QTRY_VERIFY(!c->progressIndicator()->isVisible());
    }

    void quittingShouldFollowTheAnswer_data()
    {
        QTest::addColumn<bool>("dirty");
        QTest::addColumn<bool>("byClosingTheWindow");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("quits");
        QTest::addColumn<bool>("written");
        QTest::newRow("nothing to save") << false << true << QString() << true << false;
        QTest::newRow("cancel") << true << true << u"saveChangesCancelButton"_s << false << false;
        QTest::newRow("don't save") << true << false << u"saveChangesDontSaveButton"_s << true << false;
        QTest::newRow("save") << true << false << u"saveChangesSaveButton"_s << true << true;
    }
    void quittingShouldFollowTheAnswer()
    {
        QFETCH(bool, dirty);
        QFETCH(bool, byClosingTheWindow);
        QFETCH(QString, button);
        QFETCH(bool, quits);
        QFETCH(bool, written);
        qputenv("VELMORA_AUTHORIZATION", "direct");
        SampleVolume volume;
        c->reload();
        if (dirty) {
            selectProvider(c, u"Beta"_s);
            c->tableViewSetObjectValue(VelTableKind::Services, 0, VelServiceColumn, 0);
        }
        QSignalSpy quitting(c, &VelTidyController::applicationWillTerminate);
        if (byClosingTheWindow)
            QVERIFY(!c->mainWindow()->close());
        else
            c->terminate();

        if (!button.isEmpty()) {
            QVERIFY(c->saveChangesSheet() && c->saveChangesSheet()->isVisible());
            QCOMPARE(quitting.count(), 0);
            c->saveChangesSheet()->findChild<QPushButton *>(button)->click();
        } else {
            QVERIFY(!c->saveChangesSheet());
        }
        // A save answers the question when the worker is done.
        QTRY_COMPARE(quitting.count(), quits ? 1 : 0);
        QVERIFY(!c->isSaving());
        QCOMPARE(c->saveButton()->isEnabled(), dirty && !written);
        const plist::Value info = VelTest::readPlist(volume.beta + u"/Contents/Info.plist"_s);
        QCOMPARE(info.toDictionary()->value(u"Quillfen.Velmora.AllNSServices"_s).isArray(), written);
        QTRY_VERIFY(!c->saveChangesSheet());
        qunsetenv("VELMORA_AUTHORIZATION");
    }

    void preferencesShouldApplyOnOK()
    {
        SampleVolume volume;
        c->reload();
        c->preferences();
        QVERIFY(c->preferencesSheet()->isVisible());
        QVERIFY(!c->restrictSourceSwitch()->isChecked());
        QVERIFY(!c->showSourceSwitch()->isChecked());
        c->restrictSourceSwitch()->setChecked(true);
        c->showSourceSwitch()->setChecked(true);
        c->preferencesSheet()->findChild<QPushButton *>(u"preferencesOKButton"_s)->click();

        QVERIFY(!c->preferencesSheet()->isVisible());
        QCOMPARE(c->providersModel()->rowCount(), 4); // Delta, on another volume, is gone
        QVERIFY(VelUserDefaults::standardUserDefaults().boolForKey(u"Boot Volume Services Only"_s));
        QCOMPARE(outlineRow(c, u"Send Alpha"_s).data().toString(), u"Send Alpha (Provider: Alpha)"_s);

        // The sheet opens again as it was left; only a changed restriction reloads.
        c->preferences();
        QVERIFY(c->restrictSourceSwitch()->isChecked());
        QVERIFY(c->showSourceSwitch()->isChecked());
        selectProvider(c, u"Beta"_s);
        c->tableViewSetObjectValue(VelTableKind::Services, 0, VelServiceColumn, 0);
        c->showSourceSwitch()->setChecked(false);
        c->preferencesOK();
        QVERIFY(c->saveButton()->isEnabled());
        QCOMPARE(outlineRow(c, u"Send Alpha"_s).data().toString(), u"Send Alpha"_s);
    }

    // The update checker's switch and status live in the preferences: a
    // click stores the switch, a new status shows at once.
    void preferencesShouldCarryTheUpdateChecker()
    {
        SampleVolume volume;
        c->preferences();
        QDialog *sheet = c->preferencesSheet();
        auto *checkAtStartup = sheet->findChild<QCheckBox *>(u"autoUpdateCheckingSwitch"_s);
        auto *status = sheet->findChild<QLabel *>(u"statusTextField"_s);
        QVERIFY(checkAtStartup && status && sheet->findChild<QLabel *>(u"statusDateTextField"_s));
        QVERIFY(sheet->findChild<QPushButton *>(u"checkNowButton"_s)->isEnabled());
        VelOrbUpdateChecker &checker = VelOrbUpdateChecker::updateChecker();
        const bool wasOn = checker.checkAtStartup();
        QCOMPARE(checkAtStartup->isChecked(), wasOn);
        checkAtStartup->click();
        QCOMPARE(checker.checkAtStartup(), !wasOn);
        checker.setStatus(u"Velmora 9.9 is now available!"_s, u"%Y"_s, QColor(Qt::red));
        QCOMPARE(status->text(), u"Velmora 9.9 is now available!"_s);
        checker.setStatus(std::nullopt, QString(), QColor());
        checkAtStartup->click();
        c->preferencesOK();
    }

    void everyControlShouldBeReadable()
    {
        SampleVolume volume;
        c->reload();
        for (QWidget *widget : c->mainWindow()->findChildren<QWidget *>()) {
            const QString name = widget->objectName();
            if (name.isEmpty() || name.startsWith(u"qt_"_s))
                continue;
            if (qobject_cast<QAbstractButton *>(widget) || qobject_cast<QAbstractItemView *>(widget)
                || widget == c->statusTextField() || widget == c->progressIndicator())
                QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
        }
        selectProvider(c, u"Beta"_s);
        c->tableViewSetObjectValue(VelTableKind::Services, 0, VelServiceColumn, 1);
        QAccessibleInterface *table = QAccessible::queryAccessibleInterface(c->servicesTableView());
        QVERIFY(table && table->tableInterface());
        for (int row = 0; row < 2; ++row) {
            QAccessibleInterface *cell = table->tableInterface()->cellAt(row, 0);
            QVERIFY(cell);
            QVERIFY(cell->state().checkable);
            QCOMPARE(bool(cell->state().checked), row == 0);
            QCOMPARE(cell->text(QAccessible::Name), c->servicesModel()->index(row, 0).data().toString());
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
