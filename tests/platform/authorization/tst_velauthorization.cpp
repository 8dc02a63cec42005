// The authorisation layer: its modes and the Mac's outcomes.

#include <authorization/VelAuthorization.h>
#include <log/VelLog.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestVelAuthorization : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv("VELMORA_AUTHORIZATION"); }
    void shouldReadModeNames_data();
    void shouldReadModeNames();
    void shouldNotCreateReferenceForUnknownMode();
    void shouldDefaultToAuto();
    void shouldRefuseRightsWhenDenied();
    void shouldRunToolDirectlyWithItsArguments();
    void shouldElevateTheToolItselfUnderPkexec();
    void shouldRunDirectlyInAutoModeWhenEverythingIsWritable();
    void shouldChoosePkexecInAutoModeWhenSomethingIsNotWritable();
    void shouldSkipMissingPathsWhenCheckingWritability();
    void shouldRefuseSudoWithoutAskpassHelper();
};

void TestVelAuthorization::shouldReadModeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("mode"); // -1: none
    QTest::newRow("empty") << QString() << int(VelAuthorization::Mode::Auto);
    QTest::newRow("auto") << "auto" << int(VelAuthorization::Mode::Auto);
    QTest::newRow("direct") << "direct" << int(VelAuthorization::Mode::Direct);
    QTest::newRow("pkexec") << "pkexec" << int(VelAuthorization::Mode::Pkexec);
    QTest::newRow("sudo") << "sudo" << int(VelAuthorization::Mode::Sudo);
    QTest::newRow("deny") << "deny" << int(VelAuthorization::Mode::Deny);
    QTest::newRow("capitalised") << "Direct" << -1;
    QTest::newRow("unknown") << "root" << -1;
}

void TestVelAuthorization::shouldReadModeNames()
{
    QFETCH(QString, name);
    QFETCH(int, mode);

    const std::optional<VelAuthorization::Mode> parsed = VelAuthorization::modeFromName(name);

    QCOMPARE(parsed ? int(*parsed) : -1, mode);
}

void TestVelAuthorization::shouldNotCreateReferenceForUnknownMode()
{
    qputenv("VELMORA_AUTHORIZATION", "always");
    const VelLogCapture capture;

    QVERIFY(!VelAuthorization::create());
    QCOMPARE(capture.messages(),
        QStringList {QStringLiteral("unknown authorization mode \"always\" in VELMORA_AUTHORIZATION")});
}

void TestVelAuthorization::shouldDefaultToAuto()
{
    qunsetenv("VELMORA_AUTHORIZATION");
    const auto authorization = VelAuthorization::create();
    QVERIFY(authorization);
    QCOMPARE(authorization->requestedMode(), VelAuthorization::Mode::Auto);
}

void TestVelAuthorization::shouldRefuseRightsWhenDenied()
{
    qputenv("VELMORA_AUTHORIZATION", "deny");
    const auto authorization = VelAuthorization::create();
    QVERIFY(authorization);

    QVERIFY(!authorization->copyRights({}));
    QVERIFY(!authorization->executeWithPrivileges(QStringLiteral("/bin/echo"), {}));
}

void TestVelAuthorization::shouldRunToolDirectlyWithItsArguments()
{
    qputenv("VELMORA_AUTHORIZATION", "direct");
    const auto authorization = VelAuthorization::create();
    QVERIFY(authorization && authorization->copyRights({}));
    QVERIFY(authorization->rightsKnownBeforeStart());

    const std::unique_ptr<QProcess> tool = authorization->executeWithPrivileges(QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral("printf '%s|%s' \"$1\" \"$2\""), QStringLiteral("sh"),
            QStringLiteral("-go"), QStringLiteral("/Users/anna")});

    QVERIFY(tool);
    QVERIFY(tool->waitForFinished());
    QCOMPARE(tool->readAllStandardOutput(), QByteArrayLiteral("-go|/Users/anna"));
}

// pkexec must be given the tool itself, so that its dialog and a polkit
// action name the tool rather than a helper that passes the environment on.
void TestVelAuthorization::shouldElevateTheToolItselfUnderPkexec()
{
    QTemporaryDir bin;
    const QString fakePkexec = bin.filePath(QStringLiteral("pkexec"));
    QFile script(fakePkexec);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nIFS='|'; printf '%s' \"$*\"\n");
    script.close();
    QVERIFY(::chmod(QFile::encodeName(fakePkexec).constData(), 0755) == 0);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
    qputenv("VELMORA_AUTHORIZATION", "pkexec");
    const auto authorization = VelAuthorization::create();

    const bool granted = authorization && authorization->copyRights({});
    const std::unique_ptr<QProcess> tool = granted
        ? authorization->executeWithPrivileges(
            QStringLiteral("/opt/TidyWorker"), {QStringLiteral("-go"), QStringLiteral("--home"), QStringLiteral("/h")})
        : nullptr;

    qputenv("PATH", path);
    QVERIFY(granted);
    QVERIFY(!authorization->rightsKnownBeforeStart());
    QVERIFY(tool);
    QVERIFY(tool->waitForFinished());
    QCOMPARE(tool->readAllStandardOutput(), QByteArrayLiteral("/opt/TidyWorker|-go|--home|/h"));
}

void TestVelAuthorization::shouldRunDirectlyInAutoModeWhenEverythingIsWritable()
{
    QTemporaryDir dir;
    const auto authorization = VelAuthorization::create();
    QVERIFY(authorization);

    QVERIFY(authorization->copyRights({dir.path(), dir.filePath(QStringLiteral("Contents/Info.plist"))}));
    QCOMPARE(authorization->grantedMode(), std::optional(VelAuthorization::Mode::Direct));
}

void TestVelAuthorization::shouldChoosePkexecInAutoModeWhenSomethingIsNotWritable()
{
    if (::geteuid() == 0)
        QSKIP("root may write everything and always runs directly");
    const auto authorization = VelAuthorization::create();
    QVERIFY(authorization);

    const bool granted = authorization->copyRights({QStringLiteral("/")});

    QCOMPARE(granted, authorization->grantedMode().has_value());
    if (granted)
        QCOMPARE(authorization->grantedMode(), std::optional(VelAuthorization::Mode::Pkexec));
}

void TestVelAuthorization::shouldSkipMissingPathsWhenCheckingWritability()
{
    QTemporaryDir dir;
    QVERIFY(VelAllPathsWritable({dir.path(), dir.filePath(QStringLiteral("missing/Info.plist"))}));
    if (::geteuid() != 0) {
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0555) == 0);
        QVERIFY(!VelAllPathsWritable({dir.path()}));
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
    }
}

void TestVelAuthorization::shouldRefuseSudoWithoutAskpassHelper()
{
    qputenv("VELMORA_AUTHORIZATION", "sudo");
    const QByteArray path = qgetenv("PATH");
    const QByteArray askpass = qgetenv("SUDO_ASKPASS");
    QTemporaryDir empty;
    qputenv("PATH", QFile::encodeName(empty.path()));
    qunsetenv("SUDO_ASKPASS");
    const auto authorization = VelAuthorization::create();

    const bool granted = authorization && authorization->copyRights({});

    qputenv("PATH", path);
    if (!askpass.isEmpty())
        qputenv("SUDO_ASKPASS", askpass);
    QVERIFY(authorization);
    QVERIFY(!granted);
    QVERIFY(!authorization->executeWithPrivileges(QStringLiteral("/bin/echo"), {}));
}

QTEST_GUILESS_MAIN(TestVelAuthorization)
#include "tst_velauthorization.moc"
