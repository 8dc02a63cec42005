#pragma once

// Saving's run of the privileged worker: the change list goes to
// Changes.plist, administrator rights are obtained, TidyWorker is started
// with "-go --home HOME" and its output is followed one character at a time.
// This is the blocking run, for programs without a window; the window uses
// VelWorkerRunner, which follows the output through the event loop.

#include <plist/PlistValue.h>

#include <QString>

#include <functional>

// What the window shows while the worker runs. Every member may be empty.
struct VelWorkerRunObserver {
    // Rights known to be granted (under pkexec: the first character came):
    // show the progress indicator at once, determinate, from 0 to maximum,
    // at 0.
    std::function<void(qsizetype maximum)> progressShown;
    // The worker confirmed entry k (1 ≤ k ≤ n), whose "Info Path" this is.
    std::function<void(qsizetype k, const QString &infoPath)> entryConfirmed;
    // The output ended: hide the progress indicator after this delay.
    std::function<void(double delaySeconds)> progressHidden;
};

// Where the run finds its files. The defaults: TidyWorker in the resources
// folder of the application's bundle, the user's home folder.
struct VelWorkerRunPlaces {
    QString workerPath;
    QString homePath;

    [[nodiscard]] static VelWorkerRunPlaces standard();
};

// The option before the home folder on the worker's command line.
inline constexpr char kTidyWorkerHomeArgument[] = "--home";

// The results besides a count of characters.
enum : qint64 {
    VelWorkerMissing = -1, // no TidyWorker in the resources folder
    VelWorkerListNotWritten = -2, // a support folder or Changes.plist failed
    VelWorkerNoAuthorization = -3, // the authorization reference failed
    VelWorkerNothingConfirmed = 0, // not granted, not started, or no output
};

// Answers one of the results above, or the number of characters the worker
// printed. The characters' values are not examined.
[[nodiscard]] qint64 runWorkerForChangedInfoPlists(const plist::ArrayPtr &changeList,
    const VelWorkerRunObserver &observer = {}, const VelWorkerRunPlaces &places = VelWorkerRunPlaces::standard());

// Every path the worker may write for this list: each bundle, its Contents
// folder and its Info.plist.
[[nodiscard]] QStringList VelPathsToWrite(const plist::Array &changeList);
