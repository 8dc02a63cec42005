#pragma once

// What the blocking run and VelWorkerRunner share: everything before the
// worker starts, the start itself and the reading of its characters.

#include "VelWorkerRun.h"

#include <authorization/VelAuthorization.h>

#include <QProcess>

#include <memory>

// Steps up to the grant: the worker found, Changes.plist written, the right
// asked for. Either a failure (one of the negative results, or
// VelWorkerNothingConfirmed when the right was refused) or an authorization
// holding the right.
struct VelWorkerRunPreparation {
    qint64 failure = VelWorkerNothingConfirmed;
    std::unique_ptr<VelAuthorization> authorization;

    [[nodiscard]] bool isReady() const { return authorization != nullptr; }
};

[[nodiscard]] VelWorkerRunPreparation VelPrepareWorkerRun(
    const plist::ArrayPtr &changeList, const VelWorkerRunPlaces &places);

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
