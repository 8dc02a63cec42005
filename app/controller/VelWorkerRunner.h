#pragma once

// The worker run for the window: the same steps and results as
// runWorkerForChangedInfoPlists, but the worker's output is read as it
// arrives through the event loop, so the window keeps painting and the
// progress bar moves one step per confirmed file while the worker runs (and
// while the system's password dialog waits under pkexec).

#include "VelWorkerRun.h"

#include <QObject>

#include <memory>

class QProcess;
class VelAuthorization;
class VelWorkerOutputFollower;

class VelWorkerRunner : public QObject {
    Q_OBJECT

public:
    explicit VelWorkerRunner(QObject *parent = nullptr);
    ~VelWorkerRunner() override;

    // Starts a run. Whatever happens, finished() follows exactly once: before
    // start returns when nothing was started (worker missing, list not
    // written, right refused), else when the worker's output ends. The
    // observer's calls come in between. False when a run is already going.
    bool start(const plist::ArrayPtr &changeList, const VelWorkerRunObserver &observer,
        const VelWorkerRunPlaces &places = VelWorkerRunPlaces::standard());

    [[nodiscard]] bool isRunning() const { return m_running; }

signals:
    // One of the results of runWorkerForChangedInfoPlists.
    void finished(qint64 result);

private:
    void readOutput();
    void workerEnded();
    void finish(qint64 result);

    bool m_running = false;
    VelWorkerRunObserver m_observer;
    std::unique_ptr<VelAuthorization> m_authorization;
    std::unique_ptr<VelWorkerOutputFollower> m_follower;
    QProcess *m_worker = nullptr;
};
