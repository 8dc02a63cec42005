#include "FileAttributes.h"

#include <QList>

#include <sys/xattr.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr mode_t kPermissionBits = 07777;

bool fileSystemLacksExtendedAttributes(int error)
{
    return error == ENOTSUP || error == ENOSYS;
}

// The names as the kernel lists them: NUL-terminated, one after another.
std::optional<QByteArray> listExtendedAttributeNames(int fd)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return fileSystemLacksExtendedAttributes(errno) ? std::optional(QByteArray()) : std::nullopt;
        QByteArray names(qsizetype(size), '\0');
        const ssize_t got = ::flistxattr(fd, names.data(), size_t(names.size()));
        if (got >= 0) {
            names.truncate(qsizetype(got));
            return names;
        }
        if (errno != ERANGE) // ERANGE: an attribute was added meanwhile
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<QByteArray> readExtendedAttribute(int fd, const QByteArray &name)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = ::fgetxattr(fd, name.constData(), nullptr, 0);
        if (size < 0)
            return std::nullopt;
        QByteArray value(qsizetype(size), '\0');
        const ssize_t got = ::fgetxattr(fd, name.constData(), value.data(), size_t(value.size()));
        if (got >= 0) {
            value.truncate(qsizetype(got));
            return value;
        }
        if (errno != ERANGE)
            return std::nullopt;
    }
    return std::nullopt;
}

bool readExtendedAttributes(int fd, FileAttributes &attributes)
{
    const std::optional<QByteArray> names = listExtendedAttributeNames(fd);
    if (!names)
        return false;
    for (const QByteArray &name : names->split('\0')) {
        if (name.isEmpty())
            continue;
        std::optional<QByteArray> value = readExtendedAttribute(fd, name);
        if (!value) {
            if (errno == ENODATA) // removed since it was listed
                continue;
            return false;
        }
        attributes.extendedAttributes.emplace_back(name, std::move(*value));
    }
    return true;
}

bool applyOwnerAndPermissions(int fd, uid_t owner, gid_t group, mode_t permissions)
{
    struct stat st { };
    if (::fstat(fd, &st) != 0)
        return false;
    bool ok = true;
    // Changing the owner clears the set-id bits, so the mode comes after it.
    if (st.st_uid != owner || st.st_gid != group) {
        ok = ::fchown(fd, owner, group) == 0;
        if (::fstat(fd, &st) != 0)
            return false;
    }
    if ((st.st_mode & kPermissionBits) != (permissions & kPermissionBits))
        ok = ::fchmod(fd, permissions & kPermissionBits) == 0 && ok;
    return ok;
}

bool applyExtendedAttributes(int fd, const FileAttributes &attributes)
{
    bool ok = true;
    for (const auto &[name, value] : attributes.extendedAttributes) {
        if (readExtendedAttribute(fd, name) == value)
            continue;
        if (::fsetxattr(fd, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            ok = false;
    }
    return ok;
}

} // namespace

std::optional<FileAttributes> readFileAttributes(int fd)
{
    struct stat st { };
    if (::fstat(fd, &st) != 0)
        return std::nullopt;
    FileAttributes attributes;
    attributes.owner = st.st_uid;
    attributes.group = st.st_gid;
    attributes.permissions = st.st_mode & kPermissionBits;
    attributes.accessDate = st.st_atim;
    attributes.modificationDate = st.st_mtim;
    if (!readExtendedAttributes(fd, attributes))
        return std::nullopt;
    return attributes;
}

bool applyFileAttributes(int fd, const FileAttributes &attributes)
{
    bool ok = applyOwnerAndPermissions(fd, attributes.owner, attributes.group, attributes.permissions);
    ok = applyExtendedAttributes(fd, attributes) && ok;
    // Dates last: nothing after this may touch the file.
    const timespec dates[2] = {attributes.accessDate, attributes.modificationDate};
    ok = ::futimens(fd, dates) == 0 && ok;
    return ok;
}

bool applyOwnership(int fd, uid_t owner, gid_t group, mode_t permissions)
{
    return applyOwnerAndPermissions(fd, owner, group, permissions);
}
