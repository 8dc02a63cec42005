#include "VelApplicationMain.h"

#include "VelTidyController.h"

#include <files/VelMacVolume.h>
#include <log/VelLog.h>
#include <update/VelOrbUpdateChecker.h>

#include <QApplication>
#include <QTimer>

#include <cstdio>

int VelApplicationMain(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    // Quitting goes through the controller, which may ask to save first.
    QApplication::setQuitOnLastWindowClosed(false);

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const QStringList unknown = VelMacVolume::applyCommandLineOptions(arguments);
    if (!unknown.isEmpty()) {
        std::fprintf(stderr, "usage: Velmora [--root DIR] [--home DIR]\n");
        return 2;
    }

    VelTidyController *controller = VelTidyController::init();
    controller->setAutomaticUpdateCheck(
        [] { VelOrbUpdateChecker::updateChecker().checkForUpdatesWithAutomaticRequest(true); });
    if (!controller->loadMainInterface()) {
        VelLog(QStringLiteral("cannot load nib file"));
        return 1;
    }
    controller->applicationWillFinishLaunching();
    // Launching has finished once the event loop runs.
    QTimer::singleShot(0, controller, &VelTidyController::applicationDidFinishLaunching);
    const int status = QApplication::exec();
    controller->releaseInterface();
    return status;
}
