#include "TidyWorker.h"

#include "ChangeListFile.h"
#include "InfoPlistWriter.h"
#include "ReplacementSteps.h"

#include <QIODevice>

#include <signal.h>
#include <sys/stat.h>

#include <ctime>

void prepareWorkerProcess()
{
    ::umask(077);
    ::signal(SIGXFSZ, SIG_IGN);
}

QString changeListPath(const QString &homePath)
{
    return homePath + u'/' + QLatin1String(kChangeListFolder) + u'/' + QLatin1String(kChangeListName);
}

int runTidyWorker(const TidyWorkerOptions &options, QIODevice &out)
{
    const std::optional<plist::ArrayPtr> entries = readChangeList(options.homePath, options.requestingUser);
    if (!entries)
        return TidyWorkerListUnreadable;
    return applyChangeList(**entries, out, ReplacementSteps::system());
}

int applyChangeList(const plist::Array &entries, QIODevice &out, ReplacementSteps &steps)
{
    // One instant for every date this run sets.
    timespec runTimestamp {};
    ::clock_gettime(CLOCK_REALTIME, &runTimestamp);

    for (const plist::Value &element : entries) {
        const EntryResult result = writeChangeEntry(element, runTimestamp, steps);
        if (result == EntryResult::Failed)
            return TidyWorkerWriteFailed;
        // Unbuffered: the application advances its progress bar per character.
        out.putChar(characterForResult(result));
    }
    return TidyWorkerFinished;
}
