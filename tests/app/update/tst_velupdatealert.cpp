#include "VelUpdateTestSupport.h"

#include "gui/VelBeep.h"
#include "gui/VelDesktop.h"
#include "log/VelLog.h"
#include "update/VelUpdateAlert.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

using namespace Qt::StringLiterals;

namespace {

const QColor kDarkGreen = QColor::fromRgbF(0.0f, 0.3f, 0.0f, 1.0f);

template <typename Widget> Widget *alertPart(const VelOrbUpdateChecker &checker, const QString &name)
{
    return checker.alertWindow() ? checker.alertWindow()->findChild<Widget *>(name) : nullptr;
}

QString releaseNotesText(const VelOrbUpdateChecker &checker)
{
    const auto *notes = alertPart<QTextBrowser>(checker, u"alertWindowReleaseNotesWebView"_s);
    return notes ? notes->toPlainText() : QString();
}

} // namespace

class TestVelUpdateAlert : public QObject {
    Q_OBJECT

private:
    VelUpdateFixture m_fixture;

    void serveFeed(const QByteArray &feed) { m_fixture.server().setPage("/velmora/version.plist", "200 OK", feed); }

    bool checkAndWait(VelOrbUpdateChecker &checker)
    {
        QSignalSpy statusChanges(&checker, &VelOrbUpdateChecker::statusChanged);
        checker.checkForUpdates();
        return statusChanges.wait(10000);
    }

private slots:
    void init()
    {
        m_fixture.start();
        m_fixture.server().setPage(
            "/velmora/log.html", "200 OK", "<html><body><h1>Velmora 2.1</h1><p>Default notes</p></body></html>");
        m_fixture.server().setPage("/other/notes.html", "200 OK", "<html><body><p>Other notes</p></body></html>");
    }

    void alertShouldShowTheStatusAndTheReleaseNotes()
    {
        VelOrbUpdateChecker checker(m_fixture.environment());
        serveFeed(versionFeed(u"2.1"_s));
        QVERIFY(checkAndWait(checker));
        QWidget *alert = checker.alertWindow();
        QVERIFY(alert);
        QVERIFY(alert->isVisible());
        QVERIFY(!(alert->windowFlags() & Qt::WindowStaysOnTopHint));
        const auto *message = alertPart<QLabel>(checker, u"alertWindowMessageTextField"_s);
        QVERIFY(message);
        QCOMPARE(message->text(), u"Velmora 2.1 is now available!"_s);
        QCOMPARE(message->textFormat(), Qt::PlainText);
        QTRY_VERIFY(releaseNotesText(checker).contains(u"Default notes"_s));
    }

    // The first feed of a run without a release-notes address shows the
    // default page; an address from an earlier feed of the run stays in use.
    void releaseNotesShouldComeFromTheLatestFeedThatNamedThem()
    {
        VelLoopbackServer &server = m_fixture.server();
        VelOrbUpdateChecker checker(m_fixture.environment());
        serveFeed(versionFeed(u"2.1"_s));
        QVERIFY(checkAndWait(checker));
        QTRY_VERIFY(releaseNotesText(checker).contains(u"Default notes"_s));

        serveFeed(versionFeed({{u"productVersion"_s, u"2.2"_s},
            {u"productReleaseNotesURL"_s, server.url(u"/other/notes.html"_s).toString()}}));
        QVERIFY(checkAndWait(checker));
        QTRY_VERIFY(releaseNotesText(checker).contains(u"Other notes"_s));

        serveFeed(versionFeed(u"2.3"_s));
        QVERIFY(checkAndWait(checker));
        QTRY_COMPARE(server.requestCount("/other/notes.html"), 2);
        QTRY_VERIFY(releaseNotesText(checker).contains(u"Other notes"_s));
        QCOMPARE(server.requestCount("/velmora/log.html"), 1);
        QCOMPARE(
            alertPart<QLabel>(checker, u"alertWindowMessageTextField"_s)->text(), u"Velmora 2.3 is now available!"_s);
    }

    void alertShouldBeLoadedOnce()
    {
        VelOrbUpdateChecker checker(m_fixture.environment());
        checker.showAlert();
        QPointer<QWidget> first = checker.alertWindow();
        QVERIFY(first);
        first->close();
        checker.showAlert();
        QCOMPARE(checker.alertWindow(), first.data());
        QVERIFY(first->isVisible());
    }

    void missingInterfaceFileShouldBeLoggedWithABeep()
    {
        VelOrbUpdateChecker::Environment environment = m_fixture.environment();
        environment.resourceBundlePath = m_fixture.bareBundle();
        VelOrbUpdateChecker checker(environment);
        serveFeed(versionFeed(u"2.1"_s));
        VelLogCapture log;
        const int beeps = VelBeepCount();
        QVERIFY(checkAndWait(checker));
        QCOMPARE(log.messages(), QStringList({u"cannot load <Update.nib>"_s}));
        QCOMPARE(VelBeepCount(), beeps + 1);
        QVERIFY(!checker.alertWindow());
        QCOMPARE(checker.status(), u"Velmora 2.1 is now available!"_s);
    }

    void downloadButtonShouldFitItsTitleKeepingItsRightEdge()
    {
        QPushButton button(u"Download..."_s);
        button.setGeometry(100, 10, 40, 30);
        VelSizeButtonToFitWithExtraWidth(button, 10);
        QCOMPARE(button.width(), button.sizeHint().width() + 10);
        QCOMPARE(button.x() + button.width(), 140);

        VelOrbUpdateChecker checker(m_fixture.environment());
        checker.showAlert();
        auto *download = alertPart<QPushButton>(checker, u"alertWindowDownloadButton"_s);
        QVERIFY(download);
        QCOMPARE(download->text(), u"Download..."_s);
        QCOMPARE(download->width(), download->sizeHint().width() + 10);
        const QWidget *alert = checker.alertWindow();
        QCOMPARE(download->geometry().right(), alert->rect().right() - alert->layout()->contentsMargins().right());
    }

    void downloadShouldOpenTheProductPageAndCloseTheAlert()
    {
        VelOrbUpdateChecker checker(m_fixture.environment());
        checker.showAlert();
        VelDesktopCapture desktop;
        alertPart<QPushButton>(checker, u"alertWindowDownloadButton"_s)->click();
        QCOMPARE(desktop.openedUrls(), QList<QUrl>({m_fixture.server().url(u"/velmora"_s)}));
        QVERIFY(!checker.alertWindow()->isVisible());
    }

    void formShouldShowTheStoredStateAndSendTheSwitch()
    {
        VelUserDefaults &defaults = m_fixture.defaults();
        VelOrbUpdateChecker checker(m_fixture.environment());
        checker.setStatus(u"Velmora 2.1 is now available!"_s, u"Last check: %Y"_s, kDarkGreen);
        defaults.setBool(true, u"VelOrbUpdateCheckerCheckAtStartup"_s);
        defaults.setObject(1000.0, u"VelOrbUpdateCheckerLastCheckDate"_s);

        QWidget form;
        auto *checkBox = new QCheckBox(&form);
        checkBox->setObjectName(u"autoUpdateCheckingSwitch"_s);
        auto *status = new QLabel(&form);
        status->setObjectName(u"statusTextField"_s);
        auto *date = new QLabel(&form);
        date->setObjectName(u"statusDateTextField"_s);
        checker.awakeFromNib(&form);

        QVERIFY(checkBox->isChecked());
        QCOMPARE(defaults.doubleForKey(u"VelOrbUpdateCheckerLastCheckDate"_s), 1000.0);
        QCOMPARE(status->text(), u"Velmora 2.1 is now available!"_s);
        QCOMPARE(status->textFormat(), Qt::PlainText);
        QCOMPARE(status->palette().color(QPalette::WindowText), kDarkGreen);
        QCOMPARE(date->text(), u"Last check: "_s + QString::number(QDate::currentDate().year()));

        checkBox->click();
        QVERIFY(!defaults.boolForKey(u"VelOrbUpdateCheckerCheckAtStartup"_s));
        QCOMPARE(defaults.doubleForKey(u"VelOrbUpdateCheckerLastCheckDate"_s), 0.0);

        serveFeed(versionFeed(u"2.0"_s));
        QVERIFY(checkAndWait(checker));
        QCOMPARE(status->text(), u"Velmora is up to date."_s);
        QCOMPARE(status->palette().color(QPalette::WindowText), form.palette().color(QPalette::WindowText));
    }
};

QTEST_MAIN(TestVelUpdateAlert)
#include "tst_velupdatealert.moc"
