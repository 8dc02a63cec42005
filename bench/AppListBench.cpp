// Times the application list of a Mac volume: builds a volume with the given
// number of applications (default 5000) spread over nested folders, each
// with a helper application inside that must not be listed, then lists it.
//
//     applist-bench [COUNT]

#include "files/VelMacVolume.h"
#include "workspace/VelWorkspace.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

bool buildVolume(const QString &root, int count)
{
    for (int i = 0; i < count; ++i) {
        const QString folder
            = root + QStringLiteral("/Applications/Group %1/Sub %2/App %3.app").arg(i % 50).arg(i % 7).arg(i);
        if (!QDir().mkpath(folder + QStringLiteral("/Contents/Helpers/Helper.app/Contents"))
            || !QDir().mkpath(folder + QStringLiteral("/Contents/Resources/en.lproj")))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QTextStream out(stdout);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 5000;
    QTemporaryDir volume;
    if (!volume.isValid() || count <= 0 || !buildVolume(volume.path(), count)) {
        out << "could not build the test volume\n";
        return 1;
    }
    VelMacVolume::setRootOverride(volume.path());
    VelMacVolume::setHomeOverride(volume.path() + QStringLiteral("/Users/nobody"));

    constexpr int kRuns = 5;
    qint64 best = -1;
    qsizetype found = 0;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        found = VelWorkspace::allApplicationPaths().size();
        const qint64 elapsed = timer.nsecsElapsed();
        if (best < 0 || elapsed < best)
            best = elapsed;
    }
    out << "applications: " << found << " of " << count << "\n"
        << "best of " << kRuns << " runs: " << double(best) / 1e6 << " ms\n";
    return found == count ? 0 : 1;
}
