#pragma once

// The worker run for the window: the same steps and results as
// runWorkerForChangedInfoPlists, but the worker's output is read as it
// arrives through the event loop, so the window keeps painting and the
// progress bar moves one step per confirmed file while the worker runs (and
// while the system's password dialog waits under pkexec).

#include "VelWorkerRun.h"

#include <QObject>
#include <QTimer>

#include <memory>

class QProcess;
class QThread;
class VelAuthorization;
class VelWorkerOutputFollower;

class VelWorkerRunner : public QObject {
    Q_OBJECT

public:
    explicit VelWorkerRunner(QObject *parent = nullptr);
    ~VelWorkerRunner() override;

    // Starts a run. Whatever happens, finished() follows exactly once: before
    // start returns when the worker or a support folder is missing, else
    // from the event loop (list not written, right refused, or the worker's
    // output ended). The observer's calls come in between. False when a run
    // is already going. The list is written to Changes.plist on another
    // thread: nothing else may hold or change its values until finished().
    bool start(const plist::ArrayPtr &changeList, const VelWorkerRunObserver &observer,
        const VelWorkerRunPlaces &places = VelWorkerRunPlaces::standard());

    [[nodiscard]] bool isRunning() const { return m_running; }

signals:
    // One of the results of runWorkerForChangedInfoPlists.
    void finished(qint64 result);

private:
    void listWriterEnded();
    void outputArrived();
    void readOutput();
    void workerEnded();
    void finish(qint64 result);

    bool m_running = false;
    VelWorkerRunObserver m_observer;
    plist::ArrayPtr m_changeList;
    VelWorkerRunPlaces m_places;
    QThread *m_listWriter = nullptr;
    bool m_listWritten = false;
    std::unique_ptr<VelAuthorization> m_authorization;
    std::unique_ptr<VelWorkerOutputFollower> m_follower;
    QProcess *m_worker = nullptr;
    // Characters are read at most once a frame: each still counts on its
    // own, but the window paints once for all that came meanwhile rather
    // than once per file, which would take the processor from the worker.
    QTimer m_readPause;
};
