#include "BundleFolders.h"

#include "RealFolder.h"
#include "WorkerLog.h"

#include <files/VelInfoPlistNames.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

std::optional<BundleFolders> openBundleFolders(const ChangeEntry &entry)
{
    // The application wrote real paths into the list, so any link on the way
    // was put there afterwards.
    OpenedFolder bundle = openRealFolder(entry.packagePath);
    if (!bundle.fd.isValid()) {
        if (bundle.error == ENOENT) // the stamp would have read the bundle's attributes first
            logCannotGetAttributes(entry.packagePath);
        logNotWritten(entry.infoPath, QStringLiteral("the bundle cannot be used: %1").arg(bundle.reason));
        return std::nullopt;
    }
    OpenedFolder contents = openRealFolderBelow(bundle.fd.get(), entry.packagePath, QStringLiteral("Contents"));
    if (!contents.fd.isValid()) {
        logNotWritten(entry.infoPath, QStringLiteral("the Contents folder cannot be used: %1").arg(contents.reason));
        return std::nullopt;
    }
    return BundleFolders {std::move(bundle.fd), std::move(contents.fd)};
}

std::optional<QByteArray> firstExistingInfoPlistName(int contentsFd)
{
    for (const std::string_view name : kVelInfoPlistNames) {
        const QByteArray candidate(name.data(), qsizetype(name.size()));
        struct stat st { };
        if (::fstatat(contentsFd, candidate.constData(), &st, 0) == 0)
            return candidate;
    }
    return std::nullopt;
}
