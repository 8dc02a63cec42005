#include "VelPreservingFileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr mode_t kNewFileMode = 0600;
constexpr mode_t kPermissionBits = 07777;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

int createTemporaryFile(const QString &target, QByteArray *tempPath)
{
    const QFileInfo info(target);
    const QByteArray prefix
        = QFile::encodeName(info.absolutePath()) + "/." + QFile::encodeName(info.fileName()).left(200) + ".tmp-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        *tempPath = prefix + QByteArray::number(QRandomGenerator::global()->generate64() & 0xffffffffffffULL, 36);
        const int fd = ::open(tempPath->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// Owner before mode: changing the owner clears set-id bits.
bool takeOwnership(int fd, const struct stat *old)
{
    if (!old)
        return ::fchmod(fd, kNewFileMode) == 0;
    if ((old->st_uid != ::geteuid() || old->st_gid != ::getegid()) && ::fchown(fd, old->st_uid, old->st_gid) != 0)
        return false;
    return ::fchmod(fd, old->st_mode & kPermissionBits) == 0;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The file a link names, so that the link itself survives.
QString targetOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return info.absoluteFilePath();
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

bool makeFolder(const QString &folder, QString *error)
{
    if (QFileInfo(folder).isDir())
        return true;
    if (!QDir().mkpath(folder)
        || !QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        *error = u"cannot create the folder %1"_s.arg(folder);
        return false;
    }
    return true;
}

} // namespace

bool VelReplaceFilePreservingOwnership(const QString &path, const QByteArray &bytes, QString *error)
{
    const QString target = targetOf(path);
    const QString folder = QFileInfo(target).absolutePath();
    if (!makeFolder(folder, error))
        return false;
    struct stat old { };
    const bool exists = ::stat(QFile::encodeName(target).constData(), &old) == 0;
    QByteArray tempPath;
    const int fd = createTemporaryFile(target, &tempPath);
    if (fd < 0) {
        *error = u"cannot create a temporary file in %1: %2"_s.arg(folder, systemError(errno));
        return false;
    }
    bool ok = takeOwnership(fd, exists ? &old : nullptr);
    int failure = ok ? 0 : errno;
    if (ok && !(writeAll(fd, bytes) && ::fsync(fd) == 0)) {
        ok = false;
        failure = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (ok && ::rename(tempPath.constData(), QFile::encodeName(target).constData()) != 0) {
        ok = false;
        failure = errno;
    }
    if (!ok) {
        ::unlink(tempPath.constData());
        *error = u"cannot write %1: %2"_s.arg(target, systemError(failure));
        return false;
    }
    syncFolder(folder);
    return true;
}
