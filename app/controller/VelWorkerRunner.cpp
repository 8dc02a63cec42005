#include "VelWorkerRunner.h"

#include "VelWorkerRun_p.h"

VelWorkerRunner::VelWorkerRunner(QObject *parent)
    : QObject(parent)
{
}

VelWorkerRunner::~VelWorkerRunner()
{
    if (m_worker) {
        // The worker is not killed: it may be halfway through replacing a
        // file, and stops by itself at the end of the list.
        m_worker->disconnect(this);
        m_worker->waitForFinished(-1);
        delete m_worker;
    }
}

bool VelWorkerRunner::start(
    const plist::ArrayPtr &changeList, const VelWorkerRunObserver &observer, const VelWorkerRunPlaces &places)
{
    if (m_running)
        return false;
    m_running = true;
    m_observer = observer;
    VelWorkerRunPreparation preparation = VelPrepareWorkerRun(changeList, places);
    if (!preparation.isReady()) {
        finish(preparation.failure);
        return true;
    }
    m_authorization = std::move(preparation.authorization);
    m_follower = std::make_unique<VelWorkerOutputFollower>(changeList, m_observer);
    if (m_authorization->rightsKnownBeforeStart())
        m_follower->rightsKnownGranted();
    std::unique_ptr<QProcess> worker = VelStartWorker(*m_authorization, places);
    if (!worker) {
        finish(m_follower->outputEnded());
        return true;
    }
    m_worker = worker.release();
    connect(m_worker, &QProcess::readyReadStandardOutput, this, &VelWorkerRunner::readOutput);
    connect(m_worker, &QProcess::finished, this, &VelWorkerRunner::workerEnded);
    // Output that came before the connections is read now.
    readOutput();
    return true;
}

void VelWorkerRunner::readOutput()
{
    if (!m_worker)
        return;
    char character = 0;
    while (m_worker->getChar(&character))
        m_follower->characterReceived();
}

void VelWorkerRunner::workerEnded()
{
    readOutput();
    QProcess *worker = m_worker;
    m_worker = nullptr;
    worker->disconnect(this);
    worker->deleteLater();
    finish(m_follower->outputEnded());
}

void VelWorkerRunner::finish(qint64 result)
{
    m_follower.reset();
    m_authorization.reset();
    m_running = false;
    emit finished(result);
}
