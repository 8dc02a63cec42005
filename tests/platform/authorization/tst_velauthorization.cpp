// The authorisation layer: its modes and the Mac's outcomes.

#include <authorization/VelAuthorization.h>
#include <log/VelLog.h>

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
    void shouldRunToolDirectlyWithPassedEnvironment();
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
    QVERIFY(!authorization->executeWithPrivileges(QStringLiteral("/bin/echo"), {}, {}));
}

void TestVelAuthorization::shouldRunToolDirectlyWithPassedEnvironment()
{
    qputenv("VELMORA_AUTHORIZATION", "direct");
    const auto authorization = VelAuthorization::create();
    QVERIFY(authorization && authorization->copyRights({}));
    QProcessEnvironment pass;
    pass.insert(QStringLiteral("VELMORA_HOME"), QStringLiteral("/Users/anna"));

    const std::unique_ptr<QProcess> tool = authorization->executeWithPrivileges(QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral("printf '%s|%s' \"$VELMORA_HOME\" \"$1\""), QStringLiteral("sh"),
            QStringLiteral("-go")},
        pass);

    QVERIFY(tool);
    QVERIFY(tool->waitForFinished());
    QCOMPARE(tool->readAllStandardOutput(), QByteArrayLiteral("/Users/anna|-go"));
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
    QVERIFY(!authorization->executeWithPrivileges(QStringLiteral("/bin/echo"), {}, {}));
}

QTEST_GUILESS_MAIN(TestVelAuthorization)
#include "tst_velauthorization.moc"
