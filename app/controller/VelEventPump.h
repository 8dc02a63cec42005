#pragma once

// Lets the event loop run now and then while the GUI thread does a long job
// (the scan for providers), so that the window keeps painting and the
// progress indicator keeps moving. User input waits until the job is done:
// the job owns the catalogue meanwhile, and a click must not act on a list
// that is half refilled. Qt keeps those events and delivers them afterwards.

#include <QElapsedTimer>

class VelEventPump {
public:
    // Runs the event loop at most once per interval.
    explicit VelEventPump(int intervalMilliseconds = 8);

    // Runs the pending events now.
    void pump();
    // Runs them when the interval has passed since the last run.
    void pumpIfDue();

    // The longest time between two runs so far.
    [[nodiscard]] qint64 longestGapMilliseconds() const { return m_longestGap; }

private:
    QElapsedTimer m_sinceLastRun;
    int m_interval;
    qint64 m_longestGap = 0;
};
