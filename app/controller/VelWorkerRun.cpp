#include "VelWorkerRun.h"

#include <authorization/VelAuthorization.h>
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

// Reads the worker's output one byte at a time as it arrives.
qint64 followOutput(QProcess &worker, const plist::Array &changeList, const VelWorkerRunObserver &observer)
{
    qint64 received = 0;
    for (;;) {
        char character = 0;
        if (worker.bytesAvailable() == 0 && !worker.waitForReadyRead(-1) && worker.bytesAvailable() == 0)
            break;
        if (!worker.getChar(&character))
            break;
        ++received;
        if (received <= changeList.size() && observer.entryConfirmed)
            observer.entryConfirmed(received, infoPathOfEntry(changeList, received));
    }
    worker.waitForFinished(-1);
    return received;
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

qint64 runWorkerForChangedInfoPlists(
    const plist::ArrayPtr &changeList, const VelWorkerRunObserver &observer, const VelWorkerRunPlaces &places)
{
    if (!QFileInfo::exists(places.workerPath))
        return VelWorkerMissing;
    const QString support = places.homePath + supportFolderName();
    const QString velmoraSupport = support + QStringLiteral("/Velmora");
    if (!checkFolder(support) || !checkFolder(velmoraSupport))
        return VelWorkerListNotWritten;
    if (!writeChangeList(changeList, velmoraSupport + QStringLiteral("/Changes.plist")))
        return VelWorkerListNotWritten;
    const qsizetype n = changeList->size();

    const std::unique_ptr<VelAuthorization> authorization = VelAuthorization::create();
    if (!authorization)
        return VelWorkerNoAuthorization;
    if (!authorization->copyRights(VelPathsToWrite(*changeList)))
        return VelWorkerNothingConfirmed;

    if (observer.progressShown)
        observer.progressShown(n);
    QProcessEnvironment pass;
    pass.insert(QStringLiteral("VELMORA_HOME"), places.homePath);
    qint64 received = 0;
    if (const std::unique_ptr<QProcess> worker
        = authorization->executeWithPrivileges(places.workerPath, {QStringLiteral("-go")}, pass)) {
        received = followOutput(*worker, *changeList, observer);
    }
    if (observer.progressHidden)
        observer.progressHidden(1.0);
    return received;
}
