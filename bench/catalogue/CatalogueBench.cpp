// Times a full discovery plus tree build on a Mac volume against reading the
// bytes of the same Info.plist and strings files, with a warm file cache, and
// reports the peak memory of the process. Times are the processor time of the
// thread (user and system), which stays steady on a busy machine; the best of
// nine rounds counts.
//
//   catalogue-bench ROOT HOME

#include <model/VelServiceCatalogue.h>

#include <files/VelMacVolume.h>

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>

namespace {

double threadSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

QStringList filesToRead(const QString &root)
{
    QStringList files;
    QDirIterator it(root, {QStringLiteral("Info.plist"), QStringLiteral("ServicesMenu.strings")}, QDir::Files,
        QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

double secondsToRead(const QStringList &files, qint64 *bytes)
{
    const double start = threadSeconds();
    qint64 total = 0;
    for (const QString &path : files) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            total += file.readAll().size();
    }
    *bytes = total;
    return threadSeconds() - start;
}

double secondsToLoadCatalogue(qsizetype *providers, qsizetype *topLevelItems)
{
    // The previous round's providers are let go first: a discovery does not
    // pay for freeing the catalogue it replaces the first time it runs.
    VelServiceCatalogue &catalogue = VelServiceCatalogue::shared();
    catalogue.setApplications({});
    catalogue.rebuildServiceMenuRepresentation();
    const double start = threadSeconds();
    catalogue.reloadApplications();
    catalogue.rebuildServiceMenuRepresentation();
    const double seconds = threadSeconds() - start;
    *providers = qsizetype(catalogue.applications().size());
    *topLevelItems = catalogue.services()->size();
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: catalogue-bench ROOT HOME\n");
        return 2;
    }
    VelMacVolume::setRootOverride(args[1]);
    VelMacVolume::setHomeOverride(args[2]);

    const QStringList files = filesToRead(args[1]);
    qint64 bytes = 0;
    double readSeconds = 1e9;
    double loadSeconds = 1e9;
    qsizetype providers = 0;
    qsizetype topLevel = 0;
    for (int round = 0; round < 9; ++round) { // the first round warms the file cache
        readSeconds = std::min(readSeconds, secondsToRead(files, &bytes));
        loadSeconds = std::min(loadSeconds, secondsToLoadCatalogue(&providers, &topLevel));
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("read %lld files, %lld bytes in %.3f s\n", qlonglong(files.size()), qlonglong(bytes), readSeconds);
    std::printf("discovery and tree: %lld providers, %lld top-level items in %.3f s (%.2fx reading)\n",
        qlonglong(providers), qlonglong(topLevel), loadSeconds, loadSeconds / readSeconds);
    std::printf("peak memory %.1f MB\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
