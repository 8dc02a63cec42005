#pragma once

// Timing a job of the window until the window is painted, with the longest
// stretch the GUI thread went without running its event loop meanwhile.

#include <controller/VelTidyController.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <vector>

struct PaintedTiming {
    double seconds = 0;
    double longestStall = 0;
};

// A one-millisecond timer runs on the passes of the event loop; the longest
// gap between its runs (from the job's start to the pass after the paint) is
// the longest stall, to the millisecond. A zero timer would measure to the
// pass, but it keeps the loop spinning, a whole core taken from the worker.
// job() returns once the window's state is final, running the event loop
// itself when the work is asynchronous.
template <typename Job> PaintedTiming timeUntilPainted(VelTidyController *controller, Job job)
{
    QElapsedTimer clock;
    std::vector<qint64> passes;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { passes.push_back(clock.nsecsElapsed()); });
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.start(1);
    clock.start();
    passes.push_back(0);
    job();
    controller->mainWindow()->repaint();
    const qint64 painted = clock.nsecsElapsed();
    QCoreApplication::processEvents();
    passes.push_back(clock.nsecsElapsed());
    ticker.stop();
    qint64 longest = 0;
    for (size_t i = 1; i < passes.size(); ++i)
        longest = std::max(longest, passes[i] - passes[i - 1]);
    return {double(painted) / 1e9, double(longest) / 1e9};
}
