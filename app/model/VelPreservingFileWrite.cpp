#include "VelPreservingFileWrite.h"

#include <plist/PropertyList.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr mode_t kNewFileMode = 0600;
constexpr mode_t kPermissionBits = 07777;

// Owner before mode: changing the owner clears set-id bits.
bool takeOwnership(int fd, const struct stat *old)
{
    if (!old)
        return ::fchmod(fd, kNewFileMode) == 0;
    if ((old->st_uid != ::geteuid() || old->st_gid != ::getegid()) && ::fchown(fd, old->st_uid, old->st_gid) != 0)
        return false;
    return ::fchmod(fd, old->st_mode & kPermissionBits) == 0;
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
    if (!makeFolder(QFileInfo(target).absolutePath(), error))
        return false;
    struct stat old { };
    const bool exists = ::stat(QFile::encodeName(target).constData(), &old) == 0;
    return plist::writeFileAtomically(
        target, bytes, error, [&](int fd) { return takeOwnership(fd, exists ? &old : nullptr); });
}
