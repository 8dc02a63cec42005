#include "InfoPlistWriter.h"

#include "ChangeEntry.h"
#include "ChangeListFile.h"
#include "FileAttributes.h"
#include "UniqueFd.h"
#include "WorkerLog.h"

#include <plist/PropertyList.h>

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr qint64 kMaxInfoPlistSize = 64 * 1024 * 1024;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void logCannotGet(const QString &path)
{
    workerLog(QStringLiteral("- cannot get attributes for <%1>").arg(path));
}

void logCannotSet(const QString &path)
{
    workerLog(QStringLiteral("- cannot set attributes for <%1>").arg(path));
}

void logNotWritten(const QString &infoPath, const QString &reason)
{
    workerLog(QStringLiteral("- cannot write <%1>: %2").arg(infoPath, reason));
}

// Why openat on name failed, in words.
QString describeOpenFailure(int dirFd, const QByteArray &name, int error)
{
    struct stat st {};
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode))
            return QStringLiteral("<%1> is a symbolic link").arg(QFile::decodeName(name));
        if (error == ENOTDIR)
            return QStringLiteral("<%1> is not a folder").arg(QFile::decodeName(name));
    }
    return QStringLiteral("<%1>: %2").arg(QFile::decodeName(name), systemError(error));
}

UniqueFd openRealFolder(int dirFd, const QByteArray &name, QString *reason, int *error)
{
    UniqueFd fd(::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.isValid()) {
        *error = errno;
        *reason = describeOpenFailure(dirFd, name, *error);
    }
    return fd;
}

// The bundle and its Contents folder, both real folders.
struct BundleFolders {
    UniqueFd bundle;
    UniqueFd contents;
};

std::optional<BundleFolders> openBundleFolders(const ChangeEntry &entry)
{
    const QFileInfo bundleInfo(entry.packagePath);
    QString reason;
    int error = 0;
    // Links above the bundle are followed, as the application followed them
    // when it found the bundle; from the bundle down nothing is.
    UniqueFd parent(::open(QFile::encodeName(bundleInfo.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    BundleFolders folders;
    if (!parent.isValid()) {
        error = errno;
        reason = QStringLiteral("the folder holding the bundle: %1").arg(systemError(error));
    } else {
        folders.bundle = openRealFolder(parent.get(), QFile::encodeName(bundleInfo.fileName()), &reason, &error);
    }
    if (!folders.bundle.isValid()) {
        if (error == ENOENT) // the stamp would have read the bundle's attributes first
            logCannotGet(entry.packagePath);
        logNotWritten(entry.infoPath, QStringLiteral("the bundle cannot be used: %1").arg(reason));
        return std::nullopt;
    }
    folders.contents = openRealFolder(folders.bundle.get(), QByteArrayLiteral("Contents"), &reason, &error);
    if (!folders.contents.isValid()) {
        logNotWritten(entry.infoPath, QStringLiteral("the Contents folder cannot be used: %1").arg(reason));
        return std::nullopt;
    }
    return folders;
}

// What is on disk now: the attributes to carry over (none when there is no
// file) and whether its content allows the new one.
struct CurrentInfoPlist {
    std::optional<FileAttributes> attributes;
    bool refused = false;
};

QString checkCurrentContent(int fd, const ChangeEntry &entry)
{
    const std::optional<QByteArray> bytes = readAllFromDescriptor(fd, kMaxInfoPlistSize);
    if (!bytes)
        return QStringLiteral("the current file cannot be read: %1").arg(systemError(errno));
    const plist::DictionaryPtr current = plist::read(*bytes).toDictionary();
    if (!current)
        return QStringLiteral("the current file is not a property list holding a dictionary");
    const QString key = firstChangedKey(*current, *entry.info);
    if (!key.isNull())
        return QStringLiteral("the new content differs from the current file in \"%1\"").arg(key);
    return {};
}

CurrentInfoPlist examineCurrentInfoPlist(int contentsFd, const ChangeEntry &entry)
{
    CurrentInfoPlist result;
    const QByteArray name = QFile::encodeName(entry.infoFileName);
    UniqueFd fd(::openat(contentsFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.isValid()) {
        if (errno == ENOENT)
            return result; // a new file
        logNotWritten(entry.infoPath, describeOpenFailure(contentsFd, name, errno));
        result.refused = true;
        return result;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        logNotWritten(entry.infoPath, QStringLiteral("the current file is not a regular file"));
        result.refused = true;
        return result;
    }
    // Before the content is read, which may update the access date.
    result.attributes = readFileAttributes(fd.get());
    if (const QString reason = checkCurrentContent(fd.get(), entry); !reason.isEmpty()) {
        logNotWritten(entry.infoPath, reason);
        result.refused = true;
    }
    return result;
}

void stampBundle(int bundleFd, const QString &packagePath, const timespec &runTimestamp)
{
    std::optional<FileAttributes> attributes = readFileAttributes(bundleFd);
    if (!attributes) {
        logCannotGet(packagePath);
        return;
    }
    attributes->modificationDate = runTimestamp;
    if (!applyFileAttributes(bundleFd, *attributes))
        logCannotSet(packagePath);
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

UniqueFd createTemporaryFile(int dirFd, const QByteArray &finalName, QByteArray *temporaryName)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temporaryName = '.' + finalName + ".tidyworker-" + QByteArray::number(qint64(::getpid())) + '-'
            + QByteArray::number(attempt);
        UniqueFd fd(::openat(dirFd, temporaryName->constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (fd.isValid() || errno != EEXIST)
            return fd;
    }
    return UniqueFd();
}

// Writes bytes as contentsFd/name through a temporary file that receives the
// carried-over attributes before it takes the old file's place.
enum class WriteOutcome { Failed, Written, WrittenAttributesFailed };

WriteOutcome replaceAtomically(int contentsFd, const ChangeEntry &entry, const QByteArray &bytes,
                               const std::optional<FileAttributes> &carried)
{
    const QByteArray name = QFile::encodeName(entry.infoFileName);
    QByteArray temporaryName;
    UniqueFd fd = createTemporaryFile(contentsFd, name, &temporaryName);
    if (!fd.isValid()) {
        logNotWritten(entry.infoPath, QStringLiteral("no temporary file: %1").arg(systemError(errno)));
        return WriteOutcome::Failed;
    }
    bool written = writeAll(fd.get(), bytes);
    const bool attributesApplied = written && (!carried || applyFileAttributes(fd.get(), *carried));
    written = written && ::fsync(fd.get()) == 0;
    written = written && ::renameat(contentsFd, temporaryName.constData(), contentsFd, name.constData()) == 0;
    if (!written) {
        const int error = errno;
        ::unlinkat(contentsFd, temporaryName.constData(), 0);
        logNotWritten(entry.infoPath, systemError(error));
        return WriteOutcome::Failed;
    }
    ::fsync(contentsFd); // the rename itself on disk
    return attributesApplied ? WriteOutcome::Written : WriteOutcome::WrittenAttributesFailed;
}

} // namespace

EntryResult writeChangeEntry(const plist::Value &element, const timespec &runTimestamp)
{
    QString reason;
    const std::optional<ChangeEntry> entry = parseChangeEntry(element, &reason);
    if (!entry) {
        const QString *infoPath = element.toDictionary() ? element.toDictionary()->value(u"Info Path").asString()
                                                         : nullptr;
        logNotWritten(infoPath ? *infoPath : QStringLiteral("?"), reason);
        return EntryResult::Failed;
    }
    const std::optional<BundleFolders> folders = openBundleFolders(*entry);
    if (!folders)
        return EntryResult::Failed;
    CurrentInfoPlist current = examineCurrentInfoPlist(folders->contents.get(), *entry);
    if (current.refused)
        return EntryResult::Failed;
    const QByteArray bytes = plist::writeXml(plist::Value(entry->info));
    if (bytes.isEmpty()) {
        logNotWritten(entry->infoPath, QStringLiteral("\"Info\" cannot be written as a property list"));
        return EntryResult::Failed;
    }

    stampBundle(folders->bundle.get(), entry->packagePath, runTimestamp);
    if (current.attributes)
        current.attributes->modificationDate = runTimestamp;
    switch (replaceAtomically(folders->contents.get(), *entry, bytes, current.attributes)) {
    case WriteOutcome::Failed:
        return EntryResult::Failed;
    case WriteOutcome::WrittenAttributesFailed:
        logCannotSet(entry->infoPath);
        return EntryResult::AttributesNotApplied;
    case WriteOutcome::Written:
        break;
    }
    if (!current.attributes) {
        logCannotGet(entry->infoPath);
        return EntryResult::NoAttributesToCarry;
    }
    return EntryResult::AttributesCarried;
}

char characterForResult(EntryResult result)
{
    switch (result) {
    case EntryResult::AttributesCarried:
        return '0';
    case EntryResult::NoAttributesToCarry:
        return '1';
    case EntryResult::AttributesNotApplied:
        return '2';
    case EntryResult::Failed:
        break;
    }
    return '\0';
}
