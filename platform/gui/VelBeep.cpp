#include "VelBeep.h"

#include <QApplication>

#include <atomic>

namespace {
std::atomic<int> beeps = 0;
}

void VelBeep()
{
    ++beeps;
    // Without an application object there is no platform to beep through.
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::beep();
}

int VelBeepCount()
{
    return beeps;
}
