#include "CurrentInfoPlist.h"

#include "BundleFolders.h"
#include "ChangeListFile.h"
#include "UniqueFd.h"
#include "WorkerLog.h"

#include <files/VelInfoPlistNames.h>
#include <plist/PropertyList.h>

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr qint64 kMaxInfoPlistSize = 64 * 1024 * 1024;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString describeOpenFailure(int folderFd, const QByteArray &name, int error)
{
    struct stat st { };
    if (::fstatat(folderFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
        return QStringLiteral("<%1> is a symbolic link").arg(QFile::decodeName(name));
    return QStringLiteral("<%1>: %2").arg(QFile::decodeName(name), systemError(error));
}

// Why the entry may not use its "Info Path" in this bundle, or an empty string.
QString checkInfoFileName(const ChangeEntry &entry, const std::optional<QByteArray> &existing)
{
    const QByteArray named = QFile::encodeName(entry.infoFileName);
    if (existing && named != *existing)
        return QStringLiteral("\"Info Path\" is not the bundle's Info.plist, which is <%1>")
            .arg(QFile::decodeName(*existing));
    const QByteArray newName(kVelNewInfoPlistName.data(), qsizetype(kVelNewInfoPlistName.size()));
    if (!existing && named != newName)
        return QStringLiteral("the bundle has no Info.plist, and a new one may only be <%1>")
            .arg(QFile::decodeName(newName));
    return {};
}

// Why the new content may not be written, or an empty string. The writer
// cannot keep everything a dictionary may hold (a lone surrogate, a date's
// fraction of a second), so what counts is the content as it reads back.
QString checkNewContent(const plist::Dictionary *current, const ChangeEntry &entry, const QByteArray &newBytes)
{
    if (current) {
        const QString key = firstChangedKey(*current, *entry.info);
        if (!key.isNull())
            return QStringLiteral("the new content differs from the current file in \"%1\"").arg(key);
    }
    const plist::DictionaryPtr readBack = plist::read(newBytes).toDictionary();
    if (!readBack)
        return QStringLiteral("the new content does not read back from its XML form");
    const QString key = firstChangedKey(*entry.info, *readBack);
    if (!key.isNull())
        return QStringLiteral("the new content cannot be written exactly: \"%1\" would change in its XML form")
            .arg(key);
    return {};
}

QString checkCurrentFile(const struct stat &st)
{
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("the current file is not a regular file");
    if (st.st_nlink != 1)
        return QStringLiteral("the current file has %1 hard links").arg(qulonglong(st.st_nlink));
    return {};
}

CurrentInfoPlist refused(const ChangeEntry &entry, const QString &reason)
{
    logNotWritten(entry.infoPath, reason);
    CurrentInfoPlist result;
    result.refused = true;
    return result;
}

} // namespace

CurrentInfoPlist examineCurrentInfoPlist(int contentsFd, const ChangeEntry &entry, const QByteArray &newBytes)
{
    const std::optional<QByteArray> existing = firstExistingInfoPlistName(contentsFd);
    if (const QString reason = checkInfoFileName(entry, existing); !reason.isEmpty())
        return refused(entry, reason);
    const QByteArray name = QFile::encodeName(entry.infoFileName);
    UniqueFd fd(::openat(contentsFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.isValid()) {
        // A missing file is new only when no name at all exists; a name that
        // vanished since the lookup is not replaced by a guess.
        if (errno == ENOENT && !existing) {
            if (const QString reason = checkNewContent(nullptr, entry, newBytes); !reason.isEmpty())
                return refused(entry, reason);
            return {};
        }
        return refused(entry, describeOpenFailure(contentsFd, name, errno));
    }
    struct stat st { };
    if (::fstat(fd.get(), &st) != 0)
        return refused(entry, systemError(errno));
    if (const QString reason = checkCurrentFile(st); !reason.isEmpty())
        return refused(entry, reason);
    CurrentInfoPlist result;
    result.exists = true;
    // Before the content is read, which may update the access date.
    result.attributes = readFileAttributes(fd.get());
    const std::optional<QByteArray> bytes = readAllFromDescriptor(fd.get(), kMaxInfoPlistSize);
    if (!bytes)
        return refused(entry, QStringLiteral("the current file cannot be read: %1").arg(systemError(errno)));
    const plist::DictionaryPtr current = plist::read(*bytes).toDictionary();
    if (!current)
        return refused(entry, QStringLiteral("the current file is not a property list holding a dictionary"));
    if (const QString reason = checkNewContent(current.get(), entry, newBytes); !reason.isEmpty())
        return refused(entry, reason);
    return result;
}
