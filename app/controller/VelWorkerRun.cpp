#include "VelWorkerRun_p.h"

#include <bundles/VelBundle.h>
#include <files/VelMacVolume.h>
#include <plist/PropertyList.h>
#include <util/VelPathUtilities.h>

#include <QFileInfo>

#include <sys/stat.h>

namespace {

const QString &supportFolderName()
{
    static const QString name = QStringLiteral("/Library/Application Support");
    return name;
}

// The worker trusts the list only when neither group nor others could have
// written it, so it is never created with such rights, whatever the umask.
// The umask is the process's: a file another thread creates meanwhile is at
// worst kept from group and others too.
bool writeChangeList(const plist::ArrayPtr &changeList, const QString &path)
{
    const mode_t previous = ::umask(022);
    ::umask(previous | 022);
    const bool written = plist::writeXmlFile(plist::Value(changeList), path);
    ::umask(previous);
    return written;
}

QString infoPathOfEntry(const plist::Array &changeList, qsizetype k)
{
    const plist::DictionaryPtr entry = changeList.at(k - 1).toDictionary();
    return entry ? entry->value(u"Info Path").toString() : QString();
}

// Reads the worker's output one byte at a time as it arrives, blocking.
void followOutputBlocking(QProcess &worker, VelWorkerOutputFollower &follower)
{
    for (;;) {
        char character = 0;
        if (worker.bytesAvailable() == 0 && !worker.waitForReadyRead(-1) && worker.bytesAvailable() == 0)
            break;
        if (!worker.getChar(&character))
            break;
        follower.characterReceived();
    }
    worker.waitForFinished(-1);
}

} // namespace

VelWorkerRunPlaces VelWorkerRunPlaces::standard()
{
    // The main bundle is found from the running program, also for
    // velmoractl and the tests, which run beside the application bundle.
    return {VelBundle::mainBundle().resourcePath() + QStringLiteral("/TidyWorker"), VelHomeDirectory()};
}

QStringList VelPathsToWrite(const plist::Array &changeList)
{
    QStringList paths;
    for (const plist::Value &element : changeList) {
        const plist::DictionaryPtr entry = element.toDictionary();
        if (!entry)
            continue;
        const QString bundle = entry->value(u"Package Path").toString();
        paths << bundle << bundle + QStringLiteral("/Contents") << entry->value(u"Info Path").toString();
    }
    return paths;
}

QString VelChangeListFolder(const VelWorkerRunPlaces &places)
{
    return places.homePath + supportFolderName() + QStringLiteral("/Velmora");
}

qint64 VelCheckWorkerRunPlaces(const VelWorkerRunPlaces &places)
{
    if (!QFileInfo::exists(places.workerPath))
        return VelWorkerMissing;
    if (!checkFolder(places.homePath + supportFolderName()) || !checkFolder(VelChangeListFolder(places)))
        return VelWorkerListNotWritten;
    return 0;
}

bool VelWriteChangeList(const plist::ArrayPtr &changeList, const VelWorkerRunPlaces &places)
{
    return writeChangeList(changeList, VelChangeListFolder(places) + QStringLiteral("/Changes.plist"));
}

VelWorkerRunPreparation VelAuthorizeWorkerRun(const plist::ArrayPtr &changeList)
{
    VelWorkerRunPreparation preparation;
    std::unique_ptr<VelAuthorization> authorization = VelAuthorization::create();
    if (!authorization) {
        preparation.failure = VelWorkerNoAuthorization;
        return preparation;
    }
    if (authorization->copyRights(VelPathsToWrite(*changeList)))
        preparation.authorization = std::move(authorization);
    return preparation;
}

std::unique_ptr<QProcess> VelStartWorker(VelAuthorization &authorization, const VelWorkerRunPlaces &places)
{
    return authorization.executeWithPrivileges(
        places.workerPath, {QStringLiteral("-go"), QString::fromLatin1(kTidyWorkerHomeArgument), places.homePath});
}

VelWorkerOutputFollower::VelWorkerOutputFollower(
    const plist::ArrayPtr &changeList, const VelWorkerRunObserver &observer)
    : m_changeList(changeList)
    , m_observer(observer)
{
}

void VelWorkerOutputFollower::rightsKnownGranted()
{
    if (m_shown)
        return;
    m_shown = true;
    if (m_observer.progressShown)
        m_observer.progressShown(m_changeList->size());
}

void VelWorkerOutputFollower::characterReceived()
{
    rightsKnownGranted();
    ++m_received;
    if (m_received <= m_changeList->size() && m_observer.entryConfirmed)
        m_observer.entryConfirmed(m_received, infoPathOfEntry(*m_changeList, m_received));
}

qint64 VelWorkerOutputFollower::outputEnded()
{
    if (m_observer.progressHidden)
        m_observer.progressHidden(1.0);
    return m_received;
}

qint64 runWorkerForChangedInfoPlists(
    const plist::ArrayPtr &changeList, const VelWorkerRunObserver &observer, const VelWorkerRunPlaces &places)
{
    if (const qint64 failure = VelCheckWorkerRunPlaces(places))
        return failure;
    if (!VelWriteChangeList(changeList, places))
        return VelWorkerListNotWritten;
    VelWorkerRunPreparation preparation = VelAuthorizeWorkerRun(changeList);
    if (!preparation.isReady())
        return preparation.failure;
    VelWorkerOutputFollower follower(changeList, observer);
    if (preparation.authorization->rightsKnownBeforeStart())
        follower.rightsKnownGranted();
    if (const std::unique_ptr<QProcess> worker = VelStartWorker(*preparation.authorization, places))
        followOutputBlocking(*worker, follower);
    return follower.outputEnded();
}
