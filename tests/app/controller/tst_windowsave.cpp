// Saving from the main window: the real TidyWorker run directly, refused
// rights, a provider that vanished, and a worker that confirms its files one
// at a time while the test watches the window.

#include "WindowTestSupport.h"

#include <model/VelServiceKeys.h>
#include <ui/VelInspectorWindow.h>

#include <gui/VelBeep.h>
#include <log/VelLog.h>
#include <util/VelPathUtilities.h>
#include <workspace/VelWorkspace.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace WindowTest;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString writeScript(const QString &path, const QByteArray &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return {};
    file.close();
    return ::chmod(QFile::encodeName(path).constData(), 0755) == 0 ? path : QString();
}

// Counts the times a widget is shown.
class ShowCounter : public QObject {
public:
    explicit ShowCounter(QWidget *widget) { widget->installEventFilter(this); }
    int shown = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            ++shown;
        return false;
    }
};

// Three providers with one service each, every one switched off.
struct ThreeDirtyProviders {
    VelTest::Volume volume;
    QStringList bundles;

    explicit ThreeDirtyProviders(VelTidyController *c)
    {
        for (const QString &name : {u"A"_s, u"B"_s, u"C"_s})
            bundles << volume.addProvider(u"/Applications/%1.app"_s.arg(name), {VelTest::entry(u"Do "_s + name)});
        c->reload();
        for (const VelProviderPtr &p : c->applications())
            setServiceEnabled(p->serviceAtIndex(0), false);
        c->updateSaveButtonStatus();
        // The reload's indicator goes with the next pass of the event loop.
        QTRY_VERIFY(!c->progressIndicator()->isVisible());
    }
    [[nodiscard]] QString infoPath(int i) const { return bundles.at(i) + u"/Contents/Info.plist"_s; }
};

} // namespace

class TestWindowSave : public QObject {
    Q_OBJECT

    VelTidyController *c = nullptr;

    void saveAndWait()
    {
        QSignalSpy finished(c, &VelTidyController::saveFinished);
        c->save();
        if (finished.isEmpty())
            QVERIFY(finished.wait(20000));
        QCOMPARE(finished.count(), 1);
        QVERIFY(!c->isSaving());
        QVERIFY(c->reloadButton()->isEnabled());
    }

private slots:
    void initTestCase()
    {
        c = window();
        QVERIFY(c);
        attachModelTesters(c, this);
        c->mainWindow()->show();
    }
    void init() { qputenv("VELMORA_AUTHORIZATION", "direct"); }
    void cleanup()
    {
        qunsetenv("VELMORA_AUTHORIZATION");
        c->setWorkerRunPlaces(std::nullopt);
        // Only the first test waits the second the indicator stays.
        c->delayedHideProgressIndicator();
    }
    void cleanupTestCase() { c->releaseInterface(); }

    void editsShouldReachTheFilesOnDisk()
    {
        ThreeDirtyProviders volume(c);
        // A's service is switched on again, renamed into a submenu and given
        // a shortcut in the inspector, as a user does it.
        selectProvider(c, u"A"_s);
        c->tableViewSetObjectValue(VelTableKind::Services, 1, VelServiceColumn, 0);
        c->tableViewShouldEditTableColumn(VelTableKind::Services, VelKeyColumn, 0);
        QVERIFY(c->inspectorSheet() && c->inspectorSheet()->isVisible());
        c->serviceMenuItemTextField()->setText(u"Renamed"_s);
        c->serviceSubmenuTextField()->setText(u"Tools"_s);
        QTest::keyClick(c->serviceKeyEquivalentTextField(), 'K');
        c->inspectorSheet()->findChild<QPushButton *>(u"inspectorOKButton"_s)->click();
        selectProvidersRow(c, 0);
        const ShowCounter bar(c->progressIndicator());
        const int refreshes = NSUpdateDynamicServicesCallCount();
        const int beeps = VelBeepCount();

        saveAndWait();

        const plist::DictionaryPtr onDisk = VelTest::readPlist(volume.infoPath(0)).toDictionary();
        const plist::DictionaryPtr written = onDisk->value(VelKey::Services).toArray()->at(0).toDictionary();
        QCOMPARE(written->value(u"NSMenuItem"_s).toDictionary()->value(u"default"_s).toString(), u"Tools/Renamed"_s);
        QCOMPARE(written->value(u"NSKeyEquivalent"_s).toDictionary()->value(u"default"_s).toString(), u"K"_s);
        QCOMPARE(VelTest::readPlist(volume.infoPath(2)).toDictionary()->value(VelKey::Services).toArray()->size(), 0);
        for (const VelProviderPtr &p : c->applications())
            QVERIFY(!p->isDirty());
        QCOMPARE(provider(c, u"A"_s)->readableMenuPathOfService(provider(c, u"A"_s)->serviceAtIndex(0)),
            u"Tools -> Renamed"_s);
        QCOMPARE(bar.shown, 1);
        QCOMPARE(c->progressIndicator()->value(), 3);
        QCOMPARE(VelBeepCount(), beeps);
        QCOMPARE(NSUpdateDynamicServicesCallCount(), refreshes + 1);
        QVERIFY(!c->saveButton()->isEnabled());
        QVERIFY(!c->mainWindow()->isWindowModified());
        QCOMPARE(c->statusTextField()->text(), c->catalogue().servicesStatusText());
        QVERIFY(outlineRow(c, u"Tools"_s).isValid());
        // The bar stays a second after the last file, then goes.
        QVERIFY(c->progressIndicator()->isVisible());
        QTRY_VERIFY(!c->progressIndicator()->isVisible());
    }

    void failedSaveShouldBeepAndKeepTheChanges_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<int>("beeps");
        QTest::newRow("nothing to save") << u"nothing dirty"_s << 2;
        QTest::newRow("worker missing") << u"no worker"_s << 2;
        QTest::newRow("rights denied") << u"deny"_s << 1;
        QTest::newRow("password dialog cancelled") << u"pkexec cancelled"_s << 1;
    }
    void failedSaveShouldBeepAndKeepTheChanges()
    {
        QFETCH(QString, failure);
        QFETCH(int, beeps);
        ThreeDirtyProviders volume(c);
        if (failure == u"nothing dirty"_s) {
            c->revertSelectedApplication();
            QVERIFY(!c->saveButton()->isEnabled());
        }
        if (failure == u"no worker"_s)
            c->setWorkerRunPlaces(
                VelWorkerRunPlaces {volume.volume.path(u"/nowhere/TidyWorker"_s), volume.volume.home()});
        if (failure == u"deny"_s)
            qputenv("VELMORA_AUTHORIZATION", "deny");
        // polkit's agent cancelled: pkexec ends with 126 and the worker never runs.
        QTemporaryDir bin;
        const QByteArray path = qgetenv("PATH");
        if (failure == u"pkexec cancelled"_s) {
            QVERIFY(!writeScript(bin.filePath(u"pkexec"_s), "#!/bin/sh\nexit 126\n").isEmpty());
            qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
            qputenv("VELMORA_AUTHORIZATION", "pkexec");
        }
        const QByteArray before = bytesOf(volume.infoPath(0));
        const ShowCounter bar(c->progressIndicator());
        const int refreshes = NSUpdateDynamicServicesCallCount();
        const int beepsBefore = VelBeepCount();
        const bool wasDirty = c->saveButton()->isEnabled();

        saveAndWait();
        qputenv("PATH", path);

        QCOMPARE(VelBeepCount() - beepsBefore, beeps);
        QCOMPARE(bar.shown, 0);
        QCOMPARE(bytesOf(volume.infoPath(0)), before);
        QCOMPARE(c->saveButton()->isEnabled(), wasDirty);
        QCOMPARE(c->mainWindow()->isWindowModified(), wasDirty);
        for (const VelProviderPtr &p : c->applications())
            QCOMPARE(p->isDirty(), wasDirty);
        QCOMPARE(NSUpdateDynamicServicesCallCount(), refreshes);
        QCOMPARE(c->statusTextField()->text(), c->catalogue().servicesStatusText());
    }

    void vanishedProviderShouldReloadTheCatalogue()
    {
        ThreeDirtyProviders volume(c);
        QVERIFY(QDir(volume.bundles.at(1)).removeRecursively());
        const int refreshes = NSUpdateDynamicServicesCallCount();
        const VelLogCapture log;

        saveAndWait();

        QVERIFY(log.messages().contains(u"<%1> appears to have been removed"_s.arg(volume.bundles.at(1))));
        QVERIFY(VelTest::readPlist(volume.infoPath(0)).toDictionary()->contains(VelKey::AllServices));
        QVERIFY(VelTest::readPlist(volume.infoPath(2)).toDictionary()->contains(VelKey::AllServices));
        QCOMPARE(c->applications().size(), size_t(2));
        QVERIFY(!provider(c, u"B"_s));
        QVERIFY(!c->saveButton()->isEnabled());
        QCOMPARE(NSUpdateDynamicServicesCallCount(), refreshes);
    }

    // The worker prints one character, then waits for the test before the
    // next: the window must show each file while the worker still runs.
    void providersShouldBeConfirmedOneByOne()
    {
        ThreeDirtyProviders volume(c);
        QTemporaryDir gates;
        for (const char *gate : {"/go2", "/go3"})
            QCOMPARE(::mkfifo(QFile::encodeName(gates.path() + QLatin1String(gate)).constData(), 0600), 0);
        const QString worker = writeScript(gates.filePath(u"worker"_s),
            "#!/bin/sh\nprintf 0\nread gate < \"" + QFile::encodeName(gates.path()) + "/go2\"\nprintf 0\nread gate < \""
                + QFile::encodeName(gates.path()) + "/go3\"\nprintf 0\n");
        QVERIFY(!worker.isEmpty());
        c->setWorkerRunPlaces(VelWorkerRunPlaces {worker, volume.volume.home()});
        QList<std::pair<int, QString>> steps;
        const QMetaObject::Connection watch
            = connect(c->progressIndicator(), &QProgressBar::valueChanged, this, [this, &steps](int value) {
                  if (value > 0)
                      steps.append({value, c->statusTextField()->text()});
              });
        QSignalSpy finished(c, &VelTidyController::saveFinished);

        c->save();
        for (int step = 1; step <= 3; ++step) {
            QTRY_COMPARE(steps.size(), step);
            QCOMPARE(c->isSaving(), step < 3 || finished.isEmpty());
            QVERIFY(c->progressIndicator()->isVisible());
            if (step < 3) {
                QFile gate(gates.filePath(u"go%1"_s.arg(step + 1)));
                QVERIFY(gate.open(QIODevice::WriteOnly));
                gate.write("\n");
            }
        }
        QVERIFY(finished.count() == 1 || finished.wait(20000));
        disconnect(watch);

        const QList<std::pair<int, QString>> expected = {{1, readablePathRepresentation(volume.infoPath(0))},
            {2, readablePathRepresentation(volume.infoPath(1))}, {3, readablePathRepresentation(volume.infoPath(2))}};
        QCOMPARE(steps, expected);
        QCOMPARE(c->progressIndicator()->maximum(), 3);
        QVERIFY(!c->saveButton()->isEnabled());
    }

    // Nothing may change the catalogue while the worker writes what it held,
    // and a request to quit is answered once the save is over.
    void commandsShouldWaitForTheRunningSave_data()
    {
        QTest::addColumn<bool>("quit");
        QTest::newRow("edits and reload") << false;
        QTest::newRow("quit") << true;
    }
    void commandsShouldWaitForTheRunningSave()
    {
        QFETCH(bool, quit);
        ThreeDirtyProviders volume(c);
        QTemporaryDir gates;
        QCOMPARE(::mkfifo(QFile::encodeName(gates.filePath(u"go"_s)).constData(), 0600), 0);
        const QString worker = writeScript(gates.filePath(u"worker"_s),
            "#!/bin/sh\nread gate < \"" + QFile::encodeName(gates.filePath(u"go"_s)) + "\"\nprintf 000\n");
        c->setWorkerRunPlaces(VelWorkerRunPlaces {worker, volume.volume.home()});
        QSignalSpy finished(c, &VelTidyController::saveFinished);
        QSignalSpy quitting(c, &VelTidyController::applicationWillTerminate);

        const VelProviderPtr a = provider(c, u"A"_s);
        c->save();
        QVERIFY(c->isSaving());
        if (quit) {
            c->terminate();
            QVERIFY(!c->saveChangesSheet());
        } else {
            selectProvider(c, u"A"_s);
            c->tableViewSetObjectValue(VelTableKind::Services, 1, VelServiceColumn, 0);
            c->enableSelectedApplicationServices();
            c->reload();
        }
        QCOMPARE(provider(c, u"A"_s), a);
        QCOMPARE(enabledServiceCount(a), 0);
        QCOMPARE(quitting.count(), 0);
        // The bar appears as the worker starts: only then has the gate a reader.
        QTRY_VERIFY(c->progressIndicator()->isVisible());
        QFile gate(gates.filePath(u"go"_s));
        QVERIFY(gate.open(QIODevice::WriteOnly));
        gate.write("\n");
        gate.close();
        QVERIFY(finished.wait(20000));

        QVERIFY(!c->saveButton()->isEnabled());
        QCOMPARE(quitting.count(), quit ? 1 : 0);
    }
};

QTEST_MAIN(TestWindowSave)
#include "tst_windowsave.moc"
