// Whose Changes.plist the worker reads, and how its log lines look.

#include "TidyWorker.h"
#include "WorkerLog.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const kVariables[] = {"VELMORA_HOME", "HOME", "PKEXEC_UID", "SUDO_UID"};

} // namespace

class TestWorkerIdentity : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void shouldUseVelmoraHomeFirst();
    void shouldFallBackToHome();
    void shouldTakeHomeFromArgumentsFirst_data();
    void shouldTakeHomeFromArgumentsFirst();
    void shouldUseHomeOfElevatingUserWhenRoot_data();
    void shouldUseHomeOfElevatingUserWhenRoot();
    void shouldIgnoreMalformedElevatingUser();
    void shouldTakeHomeOwnerAsRequestingUserWhenRootAlone();
    void shouldTakeRealUserWhenNotRoot();
    void shouldPlaceChangeListInSupportFolder();
    void shouldPrefixLogLinesLikeTheApplicationLog();

private:
    QHash<QByteArray, QByteArray> m_saved;
};

void TestWorkerIdentity::init()
{
    for (const char *name : kVariables) {
        if (qEnvironmentVariableIsSet(name))
            m_saved.insert(name, qgetenv(name));
        qunsetenv(name);
    }
}

void TestWorkerIdentity::cleanup()
{
    for (const char *name : kVariables)
        qunsetenv(name);
    for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it)
        qputenv(it.key().constData(), it.value());
    m_saved.clear();
}

void TestWorkerIdentity::shouldUseVelmoraHomeFirst()
{
    qputenv("VELMORA_HOME", "/Volumes/Mac/Users/anna");
    qputenv("HOME", "/root");
    qputenv("PKEXEC_UID", "0");

    QCOMPARE(TidyWorkerOptions::fromEnvironment().homePath, QStringLiteral("/Volumes/Mac/Users/anna"));
}

void TestWorkerIdentity::shouldFallBackToHome()
{
    qputenv("HOME", "/home/someone");

    QCOMPARE(TidyWorkerOptions::fromEnvironment().homePath, QStringLiteral("/home/someone"));
}

void TestWorkerIdentity::shouldTakeHomeFromArgumentsFirst_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("home");
    QTest::newRow("home given") << QStringList {"-go", "--home", "/Users/bert"} << "/Users/bert";
    QTest::newRow("only -go") << QStringList {"-go"} << "/Users/anna";
    QTest::newRow("option without folder") << QStringList {"-go", "--home"} << "/Users/anna";
    QTest::newRow("empty folder") << QStringList {"--home", ""} << "/Users/anna";
}

void TestWorkerIdentity::shouldTakeHomeFromArgumentsFirst()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, home);
    qputenv("VELMORA_HOME", "/Users/anna");

    QCOMPARE(TidyWorkerOptions::fromArguments(arguments).homePath, home);
}

void TestWorkerIdentity::shouldUseHomeOfElevatingUserWhenRoot_data()
{
    QTest::addColumn<QByteArray>("variable");
    QTest::newRow("pkexec") << QByteArray("PKEXEC_UID");
    QTest::newRow("sudo") << QByteArray("SUDO_UID");
}

void TestWorkerIdentity::shouldUseHomeOfElevatingUserWhenRoot()
{
    QFETCH(QByteArray, variable);
    if (::geteuid() != 0)
        QSKIP("only root acts for another user");
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody)
        QSKIP("no user \"nobody\" here");
    const uid_t uid = nobody->pw_uid;
    const QString home = QString::fromLocal8Bit(nobody->pw_dir);
    qputenv("HOME", "/root");
    qputenv(variable.constData(), QByteArray::number(qulonglong(uid)));

    const TidyWorkerOptions options = TidyWorkerOptions::fromEnvironment();

    QCOMPARE(options.homePath, home);
    QCOMPARE(options.requestingUser, uid);
}

void TestWorkerIdentity::shouldIgnoreMalformedElevatingUser()
{
    qputenv("HOME", "/home/someone");
    qputenv("PKEXEC_UID", "12abc");

    const TidyWorkerOptions options = TidyWorkerOptions::fromEnvironment();

    QCOMPARE(options.homePath, QStringLiteral("/home/someone"));
    QVERIFY(options.requestingUser != uid_t(12));
}

void TestWorkerIdentity::shouldTakeHomeOwnerAsRequestingUserWhenRootAlone()
{
    if (::geteuid() != 0)
        QSKIP("needs root");
    QTemporaryDir home;
    QCOMPARE(::chown(QFile::encodeName(home.path()).constData(), 4321, 4321), 0);
    qputenv("VELMORA_HOME", QFile::encodeName(home.path()));

    QCOMPARE(TidyWorkerOptions::fromEnvironment().requestingUser, uid_t(4321));
}

void TestWorkerIdentity::shouldTakeRealUserWhenNotRoot()
{
    if (::geteuid() == 0)
        QSKIP("runs as root");
    qputenv("PKEXEC_UID", "0");

    QCOMPARE(TidyWorkerOptions::fromEnvironment().requestingUser, ::getuid());
}

void TestWorkerIdentity::shouldPlaceChangeListInSupportFolder()
{
    QCOMPARE(changeListPath(QStringLiteral("/Users/anna")),
        QStringLiteral("/Users/anna/Library/Application Support/Velmora/Changes.plist"));
}

void TestWorkerIdentity::shouldPrefixLogLinesLikeTheApplicationLog()
{
    setWorkerLogProcessName(QStringLiteral("TidyWorker"));

    const QString prefix = workerLogPrefix();

    static const QRegularExpression pattern(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} TidyWorker\\[%1\\] $").arg(::getpid()));
    QVERIFY2(pattern.match(prefix).hasMatch(), qPrintable(prefix));
}

QTEST_GUILESS_MAIN(TestWorkerIdentity)
#include "tst_workeridentity.moc"
