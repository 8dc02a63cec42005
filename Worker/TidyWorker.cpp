#include "TidyWorker.h"

#include "ChangeListFile.h"
#include "InfoPlistWriter.h"

#include <QIODevice>

#include <ctime>

QString changeListPath(const QString &homePath)
{
    return homePath + QStringLiteral("/Library/Application Support/Velmora/Changes.plist");
}

int runTidyWorker(const TidyWorkerOptions &options, QIODevice &out)
{
    const std::optional<plist::ArrayPtr> entries = readChangeList(changeListPath(options.homePath),
                                                                  options.requestingUser);
    if (!entries)
        return TidyWorkerListUnreadable;

    // One instant for every date this run sets.
    timespec runTimestamp{};
    ::clock_gettime(CLOCK_REALTIME, &runTimestamp);

    for (const plist::Value &element : **entries) {
        const EntryResult result = writeChangeEntry(element, runTimestamp);
        if (result == EntryResult::Failed)
            return TidyWorkerWriteFailed;
        // Unbuffered: the application advances its progress bar per character.
        out.putChar(characterForResult(result));
    }
    return TidyWorkerFinished;
}
