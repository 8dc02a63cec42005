#include "TidyWorker.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

namespace {

QString environmentValue(const char *name)
{
    const char *value = std::getenv(name);
    return value ? QString::fromLocal8Bit(value) : QString();
}

std::optional<uid_t> uidFromEnvironment(const char *name)
{
    const QString text = environmentValue(name);
    bool ok = false;
    const qulonglong uid = text.toULongLong(&ok);
    if (!ok || uid > qulonglong(uid_t(-1) - 1))
        return std::nullopt;
    return uid_t(uid);
}

// The user on whose behalf pkexec or sudo started us.
std::optional<uid_t> elevatingUser()
{
    if (::geteuid() != 0)
        return std::nullopt;
    if (auto uid = uidFromEnvironment("PKEXEC_UID"))
        return uid;
    return uidFromEnvironment("SUDO_UID");
}

QString homeOfUser(uid_t uid)
{
    const passwd *entry = ::getpwuid(uid);
    return entry && entry->pw_dir ? QString::fromLocal8Bit(entry->pw_dir) : QString();
}

QString homeFromArguments(const QStringList &arguments)
{
    const qsizetype at = arguments.indexOf(QLatin1String(kTidyWorkerHomeOption));
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QString();
}

QString resolveHome(const QString &explicitHome)
{
    if (!explicitHome.isEmpty())
        return explicitHome;
    const QString environmentHome = environmentValue("VELMORA_HOME");
    if (!environmentHome.isEmpty())
        return environmentHome;
    if (const auto uid = elevatingUser()) {
        const QString home = homeOfUser(*uid);
        if (!home.isEmpty())
            return home;
    }
    const QString home = environmentValue("HOME");
    return home.isEmpty() ? homeOfUser(::getuid()) : home;
}

uid_t resolveRequestingUser(const QString &home)
{
    if (::geteuid() != 0)
        return ::getuid();
    if (const auto uid = elevatingUser())
        return *uid;
    struct stat st { };
    if (!home.isEmpty() && ::stat(QFile::encodeName(home).constData(), &st) == 0)
        return st.st_uid;
    return 0;
}

} // namespace

TidyWorkerOptions TidyWorkerOptions::fromEnvironment()
{
    return fromArguments({});
}

TidyWorkerOptions TidyWorkerOptions::fromArguments(const QStringList &arguments)
{
    TidyWorkerOptions options;
    options.homePath = resolveHome(homeFromArguments(arguments));
    options.requestingUser = resolveRequestingUser(options.homePath);
    return options;
}
