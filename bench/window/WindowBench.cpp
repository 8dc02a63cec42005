// Times the window on a large Mac volume (catalogue-make-volume): the
// catalogue scan alone, reload: until the window is painted with its lists
// filled, the longest stretch the GUI thread goes without running the event
// loop during that reload, and one toggle from the key press to the repainted
// row; then the peak memory. Times are wall-clock (the window's user waits in
// wall time); the best of five rounds counts, toggles report median and worst.
//
//   window-bench ROOT HOME    (run with QT_QPA_PLATFORM=offscreen)

#include "PaintedTiming.h"

#include <controller/VelServicesTableModel.h>
#include <controller/VelTidyController.h>

#include <files/VelMacVolume.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double secondsForScanAlone()
{
    VelServiceCatalogue &catalogue = VelServiceCatalogue::shared();
    QElapsedTimer timer;
    timer.start();
    catalogue.reloadApplications();
    catalogue.rebuildServiceMenuRepresentation();
    return double(timer.nsecsElapsed()) / 1e9;
}

PaintedTiming reloadUntilPainted(VelTidyController *controller)
{
    return timeUntilPainted(controller, [controller] { controller->reload(); });
}

std::vector<double> toggleTimes(VelTidyController *controller, int count)
{
    controller->applicationsTableView()->selectRow(1);
    QTableView *table = controller->servicesTableView();
    table->setFocus();
    table->setCurrentIndex(controller->servicesModel()->index(0, 0));
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(table, Qt::Key_Space);
        table->viewport()->repaint();
        times.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    return times;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: window-bench ROOT HOME\n");
        return 2;
    }
    VelMacVolume::setRootOverride(args[1]);
    VelMacVolume::setHomeOverride(args[2]);
    VelTidyController *controller = VelTidyController::init();
    if (!controller->loadMainInterface()) {
        std::fprintf(stderr, "window-bench: the main interface file cannot be loaded\n");
        return 1;
    }
    controller->mainWindow()->resize(900, 600);
    controller->mainWindow()->show();
    QCoreApplication::processEvents();

    // The scan alone runs before the window shows any provider: behind the
    // window's back it would leave the lists showing entries of a catalogue
    // that is gone.
    double scan = 1e9;
    for (int round = 0; round < 5; ++round) {
        VelServiceCatalogue::shared().setApplications({});
        scan = std::min(scan, secondsForScanAlone());
    }
    PaintedTiming best {1e9, 0};
    double worstStall = 0;
    for (int round = 0; round < 5; ++round) {
        const PaintedTiming figures = reloadUntilPainted(controller);
        best.seconds = std::min(best.seconds, figures.seconds);
        worstStall = std::max(worstStall, figures.longestStall);
    }
    const std::vector<double> toggles = toggleTimes(controller, 41);
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);

    std::printf("providers: %zu\n", controller->applications().size());
    std::printf("catalogue scan alone: %.3f s\n", scan);
    std::printf("reload until painted: %.3f s (%.2fx the scan)\n", best.seconds, best.seconds / scan);
    std::printf("longest GUI-thread stall during reload: %.1f ms (worst of 5 rounds)\n", worstStall * 1e3);
    std::printf("toggle to repainted row: median %.2f ms, worst %.2f ms\n", toggles[toggles.size() / 2] * 1e3,
        toggles.back() * 1e3);
    std::printf("peak memory: %.1f MB\n", double(usage.ru_maxrss) / 1024.0);
    controller->releaseInterface();
    return 0;
}
