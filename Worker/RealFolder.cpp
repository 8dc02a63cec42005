#include "RealFolder.h"

#include <QFile>
#include <QStringList>

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

OpenedFolder failure(int error, const QString &reason)
{
    OpenedFolder result;
    result.error = error;
    result.reason = reason;
    return result;
}

// A link met with O_DIRECTORY reports ENOTDIR; it is told apart as ELOOP.
OpenedFolder componentFailure(int folderFd, const QByteArray &name, const QString &shownPath, int error)
{
    struct stat st { };
    if (::fstatat(folderFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode))
            return failure(ELOOP, QStringLiteral("<%1> is a symbolic link").arg(shownPath));
        if (!S_ISDIR(st.st_mode))
            return failure(error, QStringLiteral("<%1> is not a folder").arg(shownPath));
    }
    return failure(error, QStringLiteral("<%1>: %2").arg(shownPath, QString::fromLocal8Bit(std::strerror(error))));
}

// shownPrefix is what the components are appended to in a reason.
OpenedFolder walkComponents(UniqueFd folder, const QStringList &components, QString shownPrefix)
{
    for (const QString &component : components) {
        const QByteArray name = QFile::encodeName(component);
        shownPrefix += (shownPrefix.endsWith(u'/') ? QString() : QStringLiteral("/")) + component;
        if (name.isEmpty() || name == "." || name == ".." || name.contains('/') || name.contains('\0'))
            return failure(EINVAL, QStringLiteral("<%1> is not a plain path").arg(shownPrefix));
        UniqueFd next(::openat(folder.get(), name.constData(), kFolderFlags));
        if (!next.isValid())
            return componentFailure(folder.get(), name, shownPrefix, errno);
        folder = std::move(next);
    }
    OpenedFolder result;
    result.fd = std::move(folder);
    return result;
}

OpenedFolder walkFromRoot(const QString &absolutePath)
{
    UniqueFd root(::open("/", kFolderFlags));
    if (!root.isValid()) {
        const int error = errno;
        return failure(error, QStringLiteral("</>: %1").arg(QString::fromLocal8Bit(std::strerror(error))));
    }
    return walkComponents(std::move(root), absolutePath.split(u'/', Qt::SkipEmptyParts), QStringLiteral("/"));
}

// -1 with errno ENOSYS where the kernel (or a filter in front of it) lacks openat2.
int openWithKernelCheck(const QByteArray &path)
{
    open_how how {};
    how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    for (;;) {
        const long fd = ::syscall(SYS_openat2, AT_FDCWD, path.constData(), &how, sizeof how);
        if (fd >= 0 || errno != EAGAIN)
            return int(fd);
    }
}

bool isCleanAbsolute(const QString &path)
{
    if (!path.startsWith(u'/') || path.contains(QChar(0)) || path.contains(QStringLiteral("//")))
        return false;
    const QStringList components = path.split(u'/', Qt::SkipEmptyParts);
    return !components.contains(QStringLiteral(".")) && !components.contains(QStringLiteral(".."));
}

} // namespace

OpenedFolder openRealFolder(const QString &absolutePath, LinkFreeResolution how)
{
    if (!isCleanAbsolute(absolutePath))
        return failure(EINVAL, QStringLiteral("<%1> is not a plain absolute path").arg(absolutePath));
    if (how == LinkFreeResolution::Best) {
        UniqueFd fd(openWithKernelCheck(QFile::encodeName(absolutePath)));
        if (fd.isValid()) {
            OpenedFolder result;
            result.fd = std::move(fd);
            return result;
        }
        const int error = errno;
        if (error != ENOSYS && error != EPERM) {
            // The walk names the component at fault; should the path have
            // changed meanwhile so that the walk succeeds, the kernel's
            // answer still stands.
            OpenedFolder walked = walkFromRoot(absolutePath);
            if (!walked.fd.isValid())
                return walked;
            return failure(
                error, QStringLiteral("<%1>: %2").arg(absolutePath, QString::fromLocal8Bit(std::strerror(error))));
        }
    }
    return walkFromRoot(absolutePath);
}

OpenedFolder openRealFolderBelow(int folderFd, const QString &folderPath, const QString &relativePath)
{
    UniqueFd start(::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!start.isValid()) {
        const int error = errno;
        return failure(error, QString::fromLocal8Bit(std::strerror(error)));
    }
    return walkComponents(std::move(start), relativePath.split(u'/', Qt::SkipEmptyParts), folderPath);
}
