#include "VelEventPump.h"

#include <QCoreApplication>

#include <algorithm>

VelEventPump::VelEventPump(int intervalMilliseconds)
    : m_interval(intervalMilliseconds)
{
    m_sinceLastRun.start();
}

void VelEventPump::pump()
{
    m_longestGap = std::max(m_longestGap, m_sinceLastRun.elapsed());
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_sinceLastRun.restart();
}

void VelEventPump::pumpIfDue()
{
    if (m_sinceLastRun.elapsed() >= m_interval)
        pump();
}
