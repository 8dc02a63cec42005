#include "ChangeListFile.h"

#include "RealFolder.h"
#include "UniqueFd.h"
#include "WorkerLog.h"

#include <plist/PropertyList.h>

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

void logRefusal(const QString &path, const QString &reason)
{
    workerLog(QStringLiteral("- cannot use the change list <%1>: %2").arg(path, reason));
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Why the open file must not be trusted, or an empty string.
QString checkListFile(const struct stat &st, uid_t requestingUser)
{
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("it is not a regular file");
    if (st.st_nlink != 1)
        return QStringLiteral("it has %1 hard links").arg(qulonglong(st.st_nlink));
    if (st.st_uid != requestingUser && st.st_uid != 0)
        return QStringLiteral("it is owned by uid %1, not by the user who saved (uid %2) or root")
            .arg(qulonglong(st.st_uid))
            .arg(qulonglong(requestingUser));
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("it is writable by group or others");
    if (st.st_size > kMaxChangeListSize)
        return QStringLiteral("it is too large (%1 bytes)").arg(qint64(st.st_size));
    return {};
}

} // namespace

std::optional<QByteArray> readAllFromDescriptor(int fd, qint64 maxSize)
{
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return bytes;
        if (bytes.size() + n > maxSize) {
            errno = EFBIG;
            return std::nullopt;
        }
        bytes.append(buffer, qsizetype(n));
    }
}

namespace {

// The list's file opened through its folders, or an invalid descriptor
// (failures other than a missing file logged).
UniqueFd openChangeList(const QString &homePath, const QString &path)
{
    UniqueFd home(::open(QFile::encodeName(homePath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!home.isValid()) {
        if (errno != ENOENT)
            logRefusal(path, QStringLiteral("the home folder: %1").arg(systemError(errno)));
        return UniqueFd();
    }
    const OpenedFolder folder = openRealFolderBelow(home.get(), homePath, QString::fromLatin1(kChangeListFolder));
    if (!folder.fd.isValid()) {
        if (folder.error != ENOENT)
            logRefusal(path, folder.reason);
        return UniqueFd();
    }
    // Non-blocking, so a FIFO put in its place cannot stall the open.
    UniqueFd fd(::openat(folder.fd.get(), kChangeListName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.isValid()) {
        if (errno == ELOOP)
            logRefusal(path, QStringLiteral("it is a symbolic link"));
        else if (errno != ENOENT)
            logRefusal(path, systemError(errno));
    }
    return fd;
}

} // namespace

std::optional<plist::ArrayPtr> readChangeList(const QString &homePath, uid_t requestingUser)
{
    const QString path = homePath + u'/' + QLatin1String(kChangeListFolder) + u'/' + QLatin1String(kChangeListName);
    const UniqueFd fd = openChangeList(homePath, path);
    if (!fd.isValid())
        return std::nullopt;
    struct stat st { };
    if (::fstat(fd.get(), &st) != 0) {
        logRefusal(path, systemError(errno));
        return std::nullopt;
    }
    if (const QString reason = checkListFile(st, requestingUser); !reason.isEmpty()) {
        logRefusal(path, reason);
        return std::nullopt;
    }
    const std::optional<QByteArray> bytes = readAllFromDescriptor(fd.get(), kMaxChangeListSize);
    if (!bytes) {
        logRefusal(path, systemError(errno));
        return std::nullopt;
    }
    plist::Format format = plist::Format::Xml;
    const plist::Value root = plist::read(*bytes, &format);
    if (!root.isNone() && format != plist::Format::Xml) {
        logRefusal(path, QStringLiteral("it is not an XML property list"));
        return std::nullopt;
    }
    if (!root.isArray()) {
        logRefusal(path, QStringLiteral("it is not a property list holding an array"));
        return std::nullopt;
    }
    return root.toArray();
}
