#include "VelUpdateTestSupport.h"

#include "gui/VelDesktop.h"
#include "update/VelDateLine.h"
#include "util/gui/VelColorDefaults.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

enum class Server { Answers, Silent, Refuses };
Q_DECLARE_METATYPE(Server)

namespace {

const QColor kDarkGreen = QColor::fromRgbF(0.0f, 0.3f, 0.0f, 1.0f);
const QColor kDarkRed = QColor::fromRgbF(0.4f, 0.0f, 0.0f, 1.0f);
constexpr double kDay = 86400.0;

QColor defaultTextColor()
{
    return QApplication::palette().color(QPalette::WindowText);
}

} // namespace

class TestVelOrbUpdateChecker : public QObject {
    Q_OBJECT

private:
    VelUpdateFixture m_fixture;

    // Starts a check and waits for its status without blocking the loop.
    bool checkAndWait(VelOrbUpdateChecker &checker, bool automatic)
    {
        QSignalSpy statusChanges(&checker, &VelOrbUpdateChecker::statusChanged);
        if (!checker.checkForUpdatesWithAutomaticRequest(automatic))
            return false;
        return statusChanges.wait(10000) && !checker.isChecking();
    }

private slots:
    void init() { m_fixture.start(); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void checkShouldStoreTheOutcome_data()
    {
        QTest::addColumn<Server>("server");
        QTest::addColumn<QByteArray>("httpStatus");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("datePrefix");
        QTest::addColumn<QColor>("color");

        const QString failed = u"Connection failed."_s;
        const QString attempt = u"Last attempt: "_s;
        const QString check = u"Last check: "_s;
        QTest::newRow("up to date") << Server::Answers << "200 OK"_ba << versionFeed(u"2.0"_s)
                                    << u"Velmora is up to date."_s << check << QColor();
        QTest::newRow("newer") << Server::Answers << "200 OK"_ba << versionFeed(u"2.1"_s)
                               << u"Velmora 2.1 is now available!"_s << check << kDarkGreen;
        QTest::newRow("older") << Server::Answers << "200 OK"_ba << versionFeed(u"1.9"_s)
                               << u"Velmora 1.9 is now available!"_s << check << kDarkGreen;
        QTest::newRow("same number written otherwise") << Server::Answers << "200 OK"_ba << versionFeed(u"2.0.0"_s)
                                                       << u"Velmora 2.0.0 is now available!"_s << check << kDarkGreen;
        QTest::newRow("connection refused")
            << Server::Refuses << QByteArray() << QByteArray() << failed << attempt << kDarkRed;
        QTest::newRow("time-out") << Server::Silent << QByteArray() << QByteArray() << failed << attempt << kDarkRed;
        QTest::newRow("HTML error page") << Server::Answers << "404 Not Found"_ba
                                         << "<html><body><h1>Not Found</h1></body></html>"_ba << failed << attempt
                                         << kDarkRed;
        QTest::newRow("HTML page") << Server::Answers << "200 OK"_ba
                                   << "<html><body>Offline</body></html>"_ba << failed << attempt << kDarkRed;
        QTest::newRow("array root") << Server::Answers << "200 OK"_ba
                                    << plist::writeXml(plist::Value(plist::Array::create({plist::Value(u"2.1"_s)})))
                                    << failed << attempt << kDarkRed;
        QTest::newRow("no productVersion")
            << Server::Answers << "200 OK"_ba << versionFeed({{u"productPageURL"_s, u"http://127.0.0.1/velmora"_s}})
            << failed << attempt << kDarkRed;
        QTest::newRow("productVersion not text")
            << Server::Answers << "200 OK"_ba << versionFeed({{u"productVersion"_s, 2}}) << failed << attempt
            << kDarkRed;
        QTest::newRow("empty productVersion")
            << Server::Answers << "200 OK"_ba << versionFeed(u""_s) << failed << attempt << kDarkRed;
    }

    // Run as automatic checks that are due: the last-check date is stored
    // only when the feed answered.
    void checkShouldStoreTheOutcome()
    {
        QFETCH(Server, server);
        QFETCH(QByteArray, httpStatus);
        QFETCH(QByteArray, body);
        QFETCH(QString, status);
        QFETCH(QString, datePrefix);
        QFETCH(QColor, color);

        m_fixture.server().setPage("/velmora/version.plist", httpStatus, body);
        m_fixture.server().setSilent(server == Server::Silent);
        if (server == Server::Refuses)
            m_fixture.server().close();
        VelOrbUpdateChecker::Environment environment = m_fixture.environment();
        environment.fetchTimeoutMilliseconds = 300;
        VelOrbUpdateChecker checker(environment);
        m_fixture.defaults().setBool(true, u"VelOrbUpdateCheckerCheckAtStartup"_s);

        QSignalSpy statusChanges(&checker, &VelOrbUpdateChecker::statusChanged);
        const double before = VelOrbUpdateChecker::referenceDateSecondsNow();
        QElapsedTimer waited;
        waited.start();
        QVERIFY(checker.checkForUpdatesWithAutomaticRequest(true));
        // The check returns at once and answers later.
        QVERIFY(checker.isChecking());
        QCOMPARE(statusChanges.count(), 0);
        QVERIFY(statusChanges.wait(10000));
        QVERIFY(!checker.isChecking());
        // The checker's own time-out applies, not the 5 s default.
        QVERIFY(waited.elapsed() < 4000);

        VelUserDefaults stored(m_fixture.defaults().domain());
        QCOMPARE(stored.stringForKey(u"VelOrbUpdateCheckerStatus"_s), status);
        QVERIFY(stored.stringForKey(u"VelOrbUpdateCheckerStatusDate"_s).startsWith(datePrefix));
        QCOMPARE(stored.stringForKey(u"VelOrbUpdateCheckerStatusVersion"_s), u"2.0"_s);
        QCOMPARE(colorForKey(stored, u"VelOrbUpdateCheckerStatusColor"_s), color);
        QCOMPARE(checker.status(), status);
        QCOMPARE(checker.statusColor(), color.isValid() ? color : defaultTextColor());

        const bool answered = datePrefix.startsWith(u"Last check");
        QCOMPARE(stored.hasPersistentValueForKey(u"VelOrbUpdateCheckerLastCheckDate"_s), answered);
        if (answered)
            QVERIFY(stored.doubleForKey(u"VelOrbUpdateCheckerLastCheckDate"_s) >= before - 1.0);
        const bool available = color == kDarkGreen;
        QCOMPARE(checker.alertWindow() != nullptr, available);
        if (available)
            QVERIFY(checker.alertWindow()->isVisible());
    }

    void automaticCheckShouldRespectTheSwitchAndTheWeek_data()
    {
        QTest::addColumn<bool>("switchedOn");
        QTest::addColumn<bool>("hasLastCheck");
        QTest::addColumn<double>("lastCheckFromNow");
        QTest::addColumn<bool>("fetches");
        QTest::newRow("switched off") << false << false << 0.0 << false;
        QTest::newRow("switched off, checked long ago") << false << true << -30 * kDay << false;
        QTest::newRow("never checked") << true << false << 0.0 << true;
        QTest::newRow("six days ago") << true << true << -6 * kDay << false;
        QTest::newRow("seven days ago") << true << true << -7 * kDay << true;
        QTest::newRow("eight days ago") << true << true << -8 * kDay << true;
        QTest::newRow("an hour ahead") << true << true << 3600.0 << false;
        QTest::newRow("weeks ahead") << true << true << 30 * kDay << false;
    }

    void automaticCheckShouldRespectTheSwitchAndTheWeek()
    {
        QFETCH(bool, switchedOn);
        QFETCH(bool, hasLastCheck);
        QFETCH(double, lastCheckFromNow);
        QFETCH(bool, fetches);

        m_fixture.server().setPage("/velmora/version.plist", "200 OK", versionFeed(u"2.0"_s));
        VelOrbUpdateChecker checker(m_fixture.environment());
        m_fixture.defaults().setBool(switchedOn, u"VelOrbUpdateCheckerCheckAtStartup"_s);
        const double lastCheck = VelOrbUpdateChecker::referenceDateSecondsNow() + lastCheckFromNow;
        if (hasLastCheck)
            m_fixture.defaults().setObject(lastCheck, u"VelOrbUpdateCheckerLastCheckDate"_s);

        const double before = VelOrbUpdateChecker::referenceDateSecondsNow();
        QCOMPARE(checkAndWait(checker, true), fetches);
        QCOMPARE(m_fixture.server().requestCount(), fetches ? 1 : 0);
        const double stored = m_fixture.defaults().doubleForKey(u"VelOrbUpdateCheckerLastCheckDate"_s);
        if (fetches) {
            QVERIFY(stored >= before - 1.0);
            QVERIFY(stored <= VelOrbUpdateChecker::referenceDateSecondsNow() + 1.0);
        } else {
            QCOMPARE(stored, hasLastCheck ? lastCheck : 0.0);
            QVERIFY(checker.status().isEmpty());
        }
    }

    void manualCheckShouldNeverChangeTheLastCheckDate_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("up to date") << versionFeed(u"2.0"_s);
        QTest::newRow("available") << versionFeed(u"2.1"_s);
        QTest::newRow("failed") << "<html></html>"_ba;
    }

    void manualCheckShouldNeverChangeTheLastCheckDate()
    {
        QFETCH(QByteArray, body);
        m_fixture.server().setPage("/velmora/version.plist", "200 OK", body);
        VelOrbUpdateChecker checker(m_fixture.environment());
        const double lastCheck = VelOrbUpdateChecker::referenceDateSecondsNow() - 6 * kDay;
        m_fixture.defaults().setObject(lastCheck, u"VelOrbUpdateCheckerLastCheckDate"_s);

        QSignalSpy statusChanges(&checker, &VelOrbUpdateChecker::statusChanged);
        checker.checkForUpdatesAction()->trigger();
        QVERIFY(statusChanges.wait(10000));
        QCOMPARE(m_fixture.server().requestCount(), 1);
        QCOMPARE(m_fixture.defaults().doubleForKey(u"VelOrbUpdateCheckerLastCheckDate"_s), lastCheck);
    }

    void secondCheckShouldNotStartWhileOneWaits()
    {
        m_fixture.server().setPage("/velmora/version.plist", "200 OK", versionFeed(u"2.0"_s));
        VelOrbUpdateChecker checker(m_fixture.environment());
        QAction *checkNow = checker.checkForUpdatesAction();
        checkNow->trigger();
        QVERIFY(!checkNow->isEnabled());
        QVERIFY(!checker.checkForUpdatesWithAutomaticRequest(false));
        QTRY_VERIFY(checkNow->isEnabled());
        QCOMPARE(m_fixture.server().requestCount(), 1);
    }

    void toggleShouldStoreTheSwitchAndMakeTheNextCheckDue_data()
    {
        QTest::addColumn<bool>("on");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }

    void toggleShouldStoreTheSwitchAndMakeTheNextCheckDue()
    {
        QFETCH(bool, on);
        VelOrbUpdateChecker checker(m_fixture.environment());
        m_fixture.defaults().setBool(!on, u"VelOrbUpdateCheckerCheckAtStartup"_s);
        m_fixture.defaults().setObject(
            VelOrbUpdateChecker::referenceDateSecondsNow(), u"VelOrbUpdateCheckerLastCheckDate"_s);
        checker.toggleCheckAtStartup(on);
        VelUserDefaults stored(m_fixture.defaults().domain());
        QCOMPARE(stored.boolForKey(u"VelOrbUpdateCheckerCheckAtStartup"_s), on);
        QCOMPARE(checker.checkAtStartup(), on);
        const plist::Value lastCheck = stored.objectForKey(u"VelOrbUpdateCheckerLastCheckDate"_s);
        QVERIFY(lastCheck.isReal());
        QCOMPARE(lastCheck.toReal(), 0.0);
    }

    void dateLineShouldFollowTheFormat_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("line");
        const QString check = u"Last check: %B %1d, %Y - %1I:%M%p"_s;
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("morning") << check << QDateTime(QDate(2009, 3, 9), QTime(9, 7)) << english
                                 << u"Last check: March 9, 2009 - 9:07AM"_s;
        QTest::newRow("evening") << check << QDateTime(QDate(2010, 12, 25), QTime(21, 5)) << english
                                 << u"Last check: December 25, 2010 - 9:05PM"_s;
        QTest::newRow("after midnight") << check << QDateTime(QDate(2011, 1, 1), QTime(0, 30)) << english
                                        << u"Last check: January 1, 2011 - 12:30AM"_s;
        QTest::newRow("noon") << u"Last attempt: %B %1d, %Y - %1I:%M%p"_s << QDateTime(QDate(2011, 7, 31), QTime(12, 0))
                              << english << u"Last attempt: July 31, 2011 - 12:00PM"_s;
        QTest::newRow("user's locale") << check << QDateTime(QDate(2009, 3, 9), QTime(9, 7))
                                       << QLocale(QLocale::German, QLocale::Germany)
                                       << u"Last check: März 9, 2009 - 9:07"_s + QLocale(QLocale::German).amText();
        QTest::newRow("zero-padded codes, percent, unknown code")
            << u"%d.%m.%y %H:%M:%S 100%% %Q"_s << QDateTime(QDate(2009, 3, 9), QTime(9, 7, 5)) << english
            << u"09.03.09 09:07:05 100% %Q"_s;
    }

    void dateLineShouldFollowTheFormat()
    {
        QFETCH(QString, format);
        QFETCH(QDateTime, time);
        QFETCH(QLocale, locale);
        QFETCH(QString, line);
        QCOMPARE(VelFormatDateLine(format, time, locale), line);
    }

    void storedDateLineShouldUseTheUserLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        VelOrbUpdateChecker checker(m_fixture.environment());
        checker.setStatus(u"Velmora is up to date."_s, u"%B %Y"_s, QColor());
        const QDate today = QDate::currentDate();
        QCOMPARE(checker.statusDate(),
            QLocale(QLocale::German).monthName(today.month()) + u' ' + QString::number(today.year()));
    }

    void statusShouldBelongToTheVersionThatStoredIt_data()
    {
        QTest::addColumn<QString>("runningVersion");
        QTest::addColumn<bool>("current");
        QTest::newRow("same version") << u"2.0"_s << true;
        QTest::newRow("application replaced") << u"2.1"_s << false;
        QTest::newRow("version written otherwise") << u"2.0.0"_s << false;
    }

    void statusShouldBelongToTheVersionThatStoredIt()
    {
        QFETCH(QString, runningVersion);
        QFETCH(bool, current);
        VelOrbUpdateChecker old(m_fixture.environment(u"2.0"_s));
        QVERIFY(!old.isCurrentStatus());
        old.setStatus(u"Velmora 2.1 is now available!"_s, u"Last check: %Y"_s, kDarkGreen);

        VelOrbUpdateChecker running(m_fixture.environment(runningVersion));
        QCOMPARE(running.isCurrentStatus(), current);
        QCOMPARE(running.status(), current ? u"Velmora 2.1 is now available!"_s : QString());
        QCOMPARE(running.statusDate(),
            current ? u"Last check: "_s + QString::number(QDate::currentDate().year()) : QString());
        QCOMPARE(running.statusColor(), current ? kDarkGreen : defaultTextColor());
    }

    void noStatusShouldRemoveTheStoredOne()
    {
        VelOrbUpdateChecker checker(m_fixture.environment());
        checker.setStatus(u"Connection failed."_s, u"Last attempt"_s, kDarkRed);
        QSignalSpy statusChanges(&checker, &VelOrbUpdateChecker::statusChanged);
        checker.setStatus(std::nullopt, QString(), QColor());
        QCOMPARE(statusChanges.count(), 1);
        VelUserDefaults stored(m_fixture.defaults().domain());
        for (const QString &key : {u"VelOrbUpdateCheckerStatus"_s, u"VelOrbUpdateCheckerStatusDate"_s,
                 u"VelOrbUpdateCheckerStatusVersion"_s, u"VelOrbUpdateCheckerStatusColor"_s})
            QVERIFY2(!stored.hasPersistentValueForKey(key), qPrintable(key));
        QVERIFY(!checker.isCurrentStatus());
    }

    void URLFromAddressShouldFallBackToTheDefault_data()
    {
        QTest::addColumn<QVariant>("address");
        QTest::addColumn<QUrl>("url");
        const QUrl fallback(u"http://www.quillfen.com/velmora"_s);
        QTest::newRow("URL") << QVariant(QUrl(u"http://example.com/x"_s)) << QUrl(u"http://example.com/x"_s);
        QTest::newRow("http string") << QVariant(u"http://example.com/v/log.html"_s)
                                     << QUrl(u"http://example.com/v/log.html"_s);
        QTest::newRow("https string") << QVariant(u"https://example.com/"_s) << QUrl(u"https://example.com/"_s);
        QTest::newRow("string that is no URL") << QVariant(u"http://exa mple.com/"_s) << fallback;
        QTest::newRow("relative string") << QVariant(u"velmora/log.html"_s) << fallback;
        QTest::newRow("local file") << QVariant(u"file:///etc/passwd"_s) << fallback;
        QTest::newRow("other scheme") << QVariant(u"javascript:alert(1)"_s) << fallback;
        QTest::newRow("none") << QVariant() << fallback;
        QTest::newRow("number") << QVariant(42) << fallback;
    }

    void URLFromAddressShouldFallBackToTheDefault()
    {
        QFETCH(QVariant, address);
        QFETCH(QUrl, url);
        QCOMPARE(VelOrbUpdateChecker::URLFromAddress(address, u"http://www.quillfen.com/velmora"_s), url);
    }

    void feedAddressesShouldLastForTheRun()
    {
        VelLoopbackServer &server = m_fixture.server();
        VelOrbUpdateChecker checker(m_fixture.environment());
        QCOMPARE(checker.feedURL(), server.url(u"/velmora/version.plist"_s));
        QCOMPARE(checker.productPageURL(), server.url(u"/velmora"_s));
        QCOMPARE(checker.releaseNotesURL(), server.url(u"/velmora/log.html"_s));

        server.setPage("/velmora/version.plist", "200 OK",
            versionFeed({{u"productVersion"_s, u"2.0"_s}, {u"productPageURL"_s, u"http://example.com/page"_s},
                {u"productReleaseNotesURL"_s, u"http://example.com/notes.html"_s}}));
        QVERIFY(checkAndWait(checker, false));
        QCOMPARE(checker.productPageURL(), QUrl(u"http://example.com/page"_s));
        QCOMPARE(checker.releaseNotesURL(), QUrl(u"http://example.com/notes.html"_s));

        server.setPage("/velmora/version.plist", "200 OK",
            versionFeed({{u"productVersion"_s, u"2.0"_s}, {u"productPageURL"_s, 7}}));
        QVERIFY(checkAndWait(checker, false));
        QCOMPARE(checker.productPageURL(), server.url(u"/velmora"_s));
        QCOMPARE(checker.releaseNotesURL(), QUrl(u"http://example.com/notes.html"_s));

        VelDesktopCapture desktop;
        checker.visitWebSiteAction()->trigger();
        QCOMPARE(desktop.openedUrls(), QList<QUrl>({server.url(u"/velmora"_s)}));
    }

    void environmentShouldComeFromTheBundle()
    {
        QTemporaryDir folder;
        plist::DictionaryPtr info = plist::Dictionary::create();
        info->set(u"CFBundleShortVersionString"_s, u"3.1"_s);
        info->set(u"VelProductWebSite"_s, u"http://updates.example.com"_s);
        QVERIFY(QDir().mkpath(folder.path() + u"/Velmora.app/Contents"_s));
        QVERIFY(plist::writeXmlFile(plist::Value(info), folder.path() + u"/Velmora.app/Contents/Info.plist"_s));

        const auto environment = VelOrbUpdateChecker::Environment::forBundle(folder.path() + u"/Velmora.app"_s);
        QCOMPARE(environment.applicationVersion, u"3.1"_s);
        QCOMPARE(environment.productSite, QUrl(u"http://updates.example.com"_s));
        QCOMPARE(environment.resourceBundlePath, folder.path() + u"/Velmora.app"_s);
        QVERIFY(!environment.defaults);
        QCOMPARE(environment.fetchTimeoutMilliseconds, 5000);
        QCOMPARE(
            VelOrbUpdateChecker(environment).feedURL(), QUrl(u"http://updates.example.com/velmora/version.plist"_s));
    }

    void applicationBundleShouldNameTheSiteAndCarryTheAlert()
    {
        const QString bundle = u"" VELMORA_BINARY_DIR "/Velmora.app"_s;
        const auto environment = VelOrbUpdateChecker::Environment::forBundle(bundle);
        QVERIFY(!environment.applicationVersion.isEmpty());
        QVERIFY(environment.productSite.scheme().startsWith(u"http"_s));
        QVERIFY(!environment.productSite.host().isEmpty());
        QVERIFY(QFile::exists(bundle + u"/Contents/Resources/Update.ui"_s));
    }

    void sharedCheckerShouldBeOneWithTheDefaultTimeOut()
    {
        VelOrbUpdateChecker &shared = VelOrbUpdateChecker::updateChecker();
        QCOMPARE(&VelOrbUpdateChecker::updateChecker(), &shared);
        QCOMPARE(shared.environment().fetchTimeoutMilliseconds, 5000);
        QVERIFY(!shared.environment().defaults);
    }
};

QTEST_MAIN(TestVelOrbUpdateChecker)
#include "tst_velorbupdatechecker.moc"
