#include "InfoPlistWriter.h"

#include "BundleFolders.h"
#include "ChangeEntry.h"
#include "CurrentInfoPlist.h"
#include "FileAttributes.h"
#include "ReplacementSteps.h"
#include "TemporaryFileNames.h"
#include "UniqueFd.h"
#include "WorkerLog.h"

#include <plist/PropertyList.h>

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// A newly created Info.plist: readable by all, written by its owner, as a
// bundle's files are.
constexpr mode_t kNewInfoPlistPermissions = 0644;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void stampBundle(int bundleFd, const QString &packagePath, const timespec &runTimestamp)
{
    std::optional<FileAttributes> attributes = readFileAttributes(bundleFd);
    if (!attributes) {
        logCannotGetAttributes(packagePath);
        return;
    }
    attributes->modificationDate = runTimestamp;
    if (!applyFileAttributes(bundleFd, *attributes))
        logCannotSetAttributes(packagePath);
}

UniqueFd createTemporaryFile(
    ReplacementSteps &steps, int folderFd, const QByteArray &finalName, QByteArray *temporaryName)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temporaryName = temporaryFileName(finalName, ::getpid(), attempt);
        UniqueFd fd(steps.createExclusive(folderFd, *temporaryName));
        if (fd.isValid() || errno != EEXIST)
            return fd;
    }
    return UniqueFd();
}

// The attributes the new file takes just before it replaces the old one: the
// old file's, or when there are none to carry the owner and group of its
// Contents folder, as a file made there by the bundle's owner would have.
bool applyFinalAttributes(int fd, int contentsFd, const CurrentInfoPlist &current)
{
    if (current.attributes)
        return applyFileAttributes(fd, *current.attributes);
    struct stat contents { };
    return ::fstat(contentsFd, &contents) == 0
        && applyOwnership(fd, contents.st_uid, contents.st_gid, kNewInfoPlistPermissions);
}

enum class WriteOutcome { Failed, Written, WrittenAttributesFailed };

// Writes bytes as contentsFd/name through a temporary file that only its
// owner can open until its content is on disk; no temporary file outlives a
// failure.
WriteOutcome replaceAtomically(ReplacementSteps &steps, int contentsFd, const ChangeEntry &entry,
    const QByteArray &bytes, const CurrentInfoPlist &current)
{
    const QByteArray name = QFile::encodeName(entry.infoFileName);
    QByteArray temporaryName;
    UniqueFd fd = createTemporaryFile(steps, contentsFd, name, &temporaryName);
    if (!fd.isValid()) {
        logNotWritten(entry.infoPath, QStringLiteral("no temporary file: %1").arg(systemError(errno)));
        return WriteOutcome::Failed;
    }
    bool written = steps.writeAll(fd.get(), bytes) && steps.flush(fd.get());
    const bool attributesApplied = written && applyFinalAttributes(fd.get(), contentsFd, current);
    // A new file never replaces one that appeared meanwhile.
    written = written && steps.rename(contentsFd, temporaryName, name, !current.exists);
    if (!written) {
        const int error = errno;
        steps.remove(contentsFd, temporaryName);
        logNotWritten(entry.infoPath, systemError(error));
        return WriteOutcome::Failed;
    }
    ::fsync(contentsFd); // the rename itself on disk
    return attributesApplied ? WriteOutcome::Written : WriteOutcome::WrittenAttributesFailed;
}

void logRefusedElement(const plist::Value &element, const QString &reason)
{
    const plist::DictionaryPtr dictionary = element.toDictionary();
    const QString *infoPath = dictionary ? dictionary->value(u"Info Path").asString() : nullptr;
    logNotWritten(infoPath ? *infoPath : QStringLiteral("?"), reason);
}

} // namespace

EntryResult writeChangeEntry(const plist::Value &element, const timespec &runTimestamp, ReplacementSteps &steps)
{
    QString reason;
    const std::optional<ChangeEntry> entry = parseChangeEntry(element, &reason);
    if (!entry) {
        logRefusedElement(element, reason);
        return EntryResult::Failed;
    }
    const QByteArray bytes = plist::writeXml(plist::Value(entry->info));
    if (bytes.isEmpty()) {
        logNotWritten(entry->infoPath, QStringLiteral("\"Info\" cannot be written as a property list"));
        return EntryResult::Failed;
    }
    const std::optional<BundleFolders> folders = openBundleFolders(*entry);
    if (!folders)
        return EntryResult::Failed;
    CurrentInfoPlist current = examineCurrentInfoPlist(folders->contents.get(), *entry, bytes);
    if (current.refused)
        return EntryResult::Failed;

    stampBundle(folders->bundle.get(), entry->packagePath, runTimestamp);
    if (current.attributes)
        current.attributes->modificationDate = runTimestamp;
    removeStaleTemporaryFiles(folders->contents.get());
    const WriteOutcome outcome = replaceAtomically(steps, folders->contents.get(), *entry, bytes, current);
    if (outcome == WriteOutcome::Failed)
        return EntryResult::Failed;
    if (outcome == WriteOutcome::WrittenAttributesFailed)
        logCannotSetAttributes(entry->infoPath);
    if (!current.attributes) {
        logCannotGetAttributes(entry->infoPath);
        return EntryResult::NoAttributesToCarry;
    }
    return outcome == WriteOutcome::Written ? EntryResult::AttributesCarried : EntryResult::AttributesNotApplied;
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
