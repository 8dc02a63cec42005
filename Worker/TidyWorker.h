#pragma once

// TidyWorker's work: apply the prepared Info.plist contents listed in the
// user's Changes.plist, one character on the output per entry written.

#include <plist/PlistValue.h>

#include <QString>
#include <QStringList>

#include <sys/types.h>

class QIODevice;
class ReplacementSteps;

struct TidyWorkerOptions {
    // What "~" stands for: the home folder of the user who asked for the save.
    QString homePath;
    // That user, the only one besides root who may own Changes.plist.
    uid_t requestingUser = 0;

    // VELMORA_HOME, else (when running as root for someone) the home folder
    // of PKEXEC_UID or SUDO_UID, else HOME, else the password database's.
    // The user is the real uid, or when root the uid that elevation names,
    // else the home folder's owner.
    [[nodiscard]] static TidyWorkerOptions fromEnvironment();
    // As fromEnvironment, but the home folder named by "--home DIR" comes
    // first: pkexec clears the environment, so the application passes the
    // home on the command line. Trusting it is safe because the change list
    // is still checked against the requesting user, whom only elevation (or
    // the real uid) names. Every other argument is ignored.
    [[nodiscard]] static TidyWorkerOptions fromArguments(const QStringList &arguments);
};

// The option that names the home folder on the worker's command line.
inline constexpr char kTidyWorkerHomeOption[] = "--home";

enum TidyWorkerStatus {
    TidyWorkerFinished = 0, // every entry processed, whatever its character
    TidyWorkerListUnreadable = 1, // nothing changed, nothing printed
    TidyWorkerWriteFailed = 2, // the run stopped at that entry
};

// Process-wide settings for a privileged run, made before anything else:
// files the worker creates are open to nobody else (umask 077) until their
// final attributes are set, and a file-size limit makes a write fail
// (SIGXFSZ ignored) instead of killing the worker halfway.
void prepareWorkerProcess();

// "~/Library/Application Support/Velmora/Changes.plist" for this home.
[[nodiscard]] QString changeListPath(const QString &homePath);

// The whole run. Each character goes to out as soon as its entry is done.
[[nodiscard]] int runTidyWorker(const TidyWorkerOptions &options, QIODevice &out);

// The run once the list is read: every entry in order, stopping at the first
// that is refused or cannot be written.
[[nodiscard]] int applyChangeList(const plist::Array &entries, QIODevice &out, ReplacementSteps &steps);
