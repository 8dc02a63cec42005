#pragma once

// What the blocking run and VelWorkerRunner share: everything before the
// worker starts, the start itself and the reading of its characters.

#include "VelWorkerRun.h"

#include <authorization/VelAuthorization.h>

#include <QProcess>

#include <memory>

// Steps 1 and 2: the worker found, the support folders made. 0, or
// VelWorkerMissing or VelWorkerListNotWritten.
[[nodiscard]] qint64 VelCheckWorkerRunPlaces(const VelWorkerRunPlaces &places);

// Step 3: Changes.plist written, kept from group and others. Touches nothing
// but the list and the file, so it may run on another thread as long as
// nobody changes the list meanwhile.
[[nodiscard]] bool VelWriteChangeList(const plist::ArrayPtr &changeList, const VelWorkerRunPlaces &places);

// Up to the grant: either a failure (VelWorkerNoAuthorization, or
// VelWorkerNothingConfirmed when the right was refused) or an authorization
// holding the right.
struct VelWorkerRunPreparation {
    qint64 failure = VelWorkerNothingConfirmed;
    std::unique_ptr<VelAuthorization> authorization;

    [[nodiscard]] bool isReady() const { return authorization != nullptr; }
};

[[nodiscard]] VelWorkerRunPreparation VelAuthorizeWorkerRun(const plist::ArrayPtr &changeList);

// Starts the worker with "-go" and the home folder; none when it could not
// be started.
[[nodiscard]] std::unique_ptr<QProcess> VelStartWorker(
    VelAuthorization &authorization, const VelWorkerRunPlaces &places);

// Follows the characters of one run and tells the observer. The progress
// indicator appears when the right is known to be granted: at once where
// copyRights settled it, else with the first character, since under pkexec a
// cancelled password dialog ends the worker before it prints anything.
class VelWorkerOutputFollower {
public:
    VelWorkerOutputFollower(const plist::ArrayPtr &changeList, const VelWorkerRunObserver &observer);

    void rightsKnownGranted();
    void characterReceived();
    // The output ended; answers the number of characters.
    qint64 outputEnded();

private:
    plist::ArrayPtr m_changeList;
    const VelWorkerRunObserver &m_observer;
    qint64 m_received = 0;
    bool m_shown = false;
};
