#include "VelWorkerRunner.h"

#include "VelWorkerRun_p.h"

#include <QThread>

namespace {

constexpr int kReadPauseMilliseconds = 16;

} // namespace

VelWorkerRunner::VelWorkerRunner(QObject *parent)
    : QObject(parent)
{
    m_readPause.setSingleShot(true);
    m_readPause.setInterval(kReadPauseMilliseconds);
    connect(&m_readPause, &QTimer::timeout, this, &VelWorkerRunner::outputArrived);
}

VelWorkerRunner::~VelWorkerRunner()
{
    if (m_listWriter) {
        m_listWriter->disconnect(this);
        m_listWriter->wait();
        delete m_listWriter;
    }
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
    m_changeList = changeList;
    m_places = places;
    if (const qint64 failure = VelCheckWorkerRunPlaces(places)) {
        finish(failure);
        return true;
    }
    // Writing the list of hundreds of Info.plist files takes longer than the
    // window may stand still; a thread writes it while the window paints.
    m_listWritten = false;
    m_listWriter = QThread::create([this] { m_listWritten = VelWriteChangeList(m_changeList, m_places); });
    connect(m_listWriter, &QThread::finished, this, &VelWorkerRunner::listWriterEnded);
    m_listWriter->start();
    return true;
}

void VelWorkerRunner::listWriterEnded()
{
    // The thread's result is read after its end was delivered here.
    m_listWriter->deleteLater();
    m_listWriter = nullptr;
    if (!m_listWritten) {
        finish(VelWorkerListNotWritten);
        return;
    }
    VelWorkerRunPreparation preparation = VelAuthorizeWorkerRun(m_changeList);
    if (!preparation.isReady()) {
        finish(preparation.failure);
        return;
    }
    m_authorization = std::move(preparation.authorization);
    m_follower = std::make_unique<VelWorkerOutputFollower>(m_changeList, m_observer);
    if (m_authorization->rightsKnownBeforeStart())
        m_follower->rightsKnownGranted();
    std::unique_ptr<QProcess> worker = VelStartWorker(*m_authorization, m_places);
    if (!worker) {
        finish(m_follower->outputEnded());
        return;
    }
    m_worker = worker.release();
    connect(m_worker, &QProcess::readyReadStandardOutput, this, &VelWorkerRunner::outputArrived);
    connect(m_worker, &QProcess::finished, this, &VelWorkerRunner::workerEnded);
    // Output that came before the connections is read now.
    readOutput();
}

void VelWorkerRunner::outputArrived()
{
    if (m_readPause.isActive() || !m_worker || m_worker->bytesAvailable() == 0)
        return;
    readOutput();
    m_readPause.start();
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
    m_readPause.stop();
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
    m_changeList.reset();
    m_running = false;
    emit finished(result);
}
