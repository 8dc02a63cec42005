// Times a save of many changed providers from the window, TidyWorker run
// directly, against the worker run alone on the same change list (what
// worker-bench times): the save from the Save command until the window is
// up to date and painted, and the longest stretch the GUI thread goes
// without running the event loop meanwhile. Wall-clock; the median of the
// rounds counts, and the stall's worst round is shown too.
//
//   window-save-bench [--providers N] [--rounds R] [--in FOLDER]
//   (QT_QPA_PLATFORM=offscreen; the volume lies in a temporary folder inside
//   FOLDER, by default the system's; /dev/shm keeps the disk's own delays,
//   which both runs pay alike, out of the comparison)

#include "BenchProviders.h"
#include "PaintedTiming.h"

#include <controller/VelTidyController.h>
#include <model/VelChangeList.h>
#include <model/VelServiceEntry.h>

#include <files/VelMacVolume.h>
#include <plist/PropertyList.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool makeVolume(const QString &root, int providers)
{
    for (int p = 0; p < providers; ++p) {
        const QString contents = root + QStringLiteral("/Applications/Provider %1.app/Contents").arg(p);
        if (!QDir().mkpath(contents)
            || !plist::writeXmlFile(plist::Value(bench::makeInfo(p)), contents + QStringLiteral("/Info.plist")))
            return false;
    }
    return true;
}

// Every provider changed: its first service switched over.
void changeEveryProvider(VelTidyController *controller)
{
    for (const VelProviderPtr &provider : controller->applications()) {
        const plist::DictionaryPtr service = provider->serviceAtIndex(0);
        setServiceEnabled(service, !isServiceEnabled(service));
    }
    controller->updateSaveButtonStatus();
}

double secondsForWorkerAlone(VelTidyController *controller)
{
    const VelChangeList changes = VelCollectChanges(controller->applications());
    QElapsedTimer timer;
    timer.start();
    const qint64 confirmed = runWorkerForChangedInfoPlists(changes.entries);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    return confirmed == changes.size() ? seconds : -1;
}

struct SaveFigures {
    PaintedTiming timing;
    bool saved = false;
};

SaveFigures saveFromWindow(VelTidyController *controller)
{
    const PaintedTiming timing = timeUntilPainted(controller, [controller] {
        QEventLoop untilSaved;
        QObject::connect(controller, &VelTidyController::saveFinished, &untilSaved, &QEventLoop::quit);
        controller->save();
        if (controller->isSaving())
            untilSaved.exec();
    });
    return {timing, !controller->saveButton()->isEnabled()};
}

int intOption(const QStringList &arguments, const QString &name, int fallback)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toInt() : fallback;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const int providers = std::max(1, intOption(arguments, QStringLiteral("--providers"), 500));
    const int rounds = std::max(1, intOption(arguments, QStringLiteral("--rounds"), 5));
    const qsizetype in = arguments.indexOf(QStringLiteral("--in"));
    QTemporaryDir volume = in >= 0 && in + 1 < arguments.size()
        ? QTemporaryDir(arguments.at(in + 1) + QStringLiteral("/window-save-bench-XXXXXX"))
        : QTemporaryDir();
    const QString home = volume.path() + QStringLiteral("/Users/bench");
    if (!QDir().mkpath(home + QStringLiteral("/Library")) || !makeVolume(volume.path(), providers)) {
        std::fprintf(stderr, "window-save-bench: cannot build the volume in %s\n", qPrintable(volume.path()));
        return 1;
    }
    qputenv("VELMORA_AUTHORIZATION", "direct");
    VelMacVolume::setRootOverride(volume.path());
    VelMacVolume::setHomeOverride(home);
    VelTidyController *controller = VelTidyController::init();
    if (!controller->loadMainInterface()) {
        std::fprintf(stderr, "window-save-bench: the main interface file cannot be loaded\n");
        return 1;
    }
    controller->mainWindow()->resize(900, 600);
    controller->mainWindow()->show();
    controller->reload();
    QCoreApplication::processEvents();

    std::vector<double> alone, fromWindow, ratios, stalls;
    for (int round = 0; round < rounds; ++round) {
        // The worker alone writes the files, but the providers stay changed
        // in memory: the window's save then writes the same list again.
        changeEveryProvider(controller);
        alone.push_back(secondsForWorkerAlone(controller));
        const SaveFigures figures = saveFromWindow(controller);
        if (alone.back() < 0 || !figures.saved) {
            std::fprintf(stderr, "window-save-bench: round %d did not save every provider\n", round + 1);
            return 1;
        }
        fromWindow.push_back(figures.timing.seconds);
        ratios.push_back(figures.timing.seconds / alone.back());
        stalls.push_back(figures.timing.longestStall);
    }

    const double workerSeconds = median(alone);
    const double windowSeconds = median(fromWindow);
    std::printf("providers saved: %zu\n", controller->applications().size());
    std::printf("worker run alone: %.3f s\n", workerSeconds);
    std::printf("save from the window until painted: %.3f s (%.2fx the worker alone; per round, median %.2fx)\n",
        windowSeconds, windowSeconds / workerSeconds, median(ratios));
    std::printf("longest GUI-thread stall during a save: median %.1f ms, worst %.1f ms (%d rounds)\n",
        median(stalls) * 1e3, *std::max_element(stalls.begin(), stalls.end()) * 1e3, rounds);
    controller->releaseInterface();
    return 0;
}
