#include "VelLog.h"

#include <QMutex>
#include <QMutexLocker>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

QMutex &logMutex()
{
    static QMutex mutex;
    return mutex;
}

VelLogCapture *currentCapture = nullptr;

QString processName()
{
    // The executable's own name, as the Mac prints it; set before main runs.
    return QString::fromLocal8Bit(program_invocation_short_name);
}

} // namespace

QString VelLogLine(const QDateTime &time, const QString &processName, qint64 pid, const QString &message)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) + u' ' + processName + u'[' + QString::number(pid)
        + QStringLiteral("] ") + message;
}

void VelLog(const QString &message)
{
    const QString line = VelLogLine(QDateTime::currentDateTime(), processName(), qint64(::getpid()), message);
    QMutexLocker locker(&logMutex());
    if (currentCapture) {
        currentCapture->append(message, line);
        return;
    }
    // One write per line, so lines of concurrent processes do not interleave.
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

VelLogCapture::VelLogCapture()
{
    QMutexLocker locker(&logMutex());
    m_previous = currentCapture;
    currentCapture = this;
}

VelLogCapture::~VelLogCapture()
{
    QMutexLocker locker(&logMutex());
    // Unlink this capture even when a later one is still alive.
    for (VelLogCapture **link = &currentCapture; *link; link = &(*link)->m_previous) {
        if (*link == this) {
            *link = m_previous;
            break;
        }
    }
}

QStringList VelLogCapture::messages() const
{
    QMutexLocker locker(&logMutex());
    return m_messages;
}

QStringList VelLogCapture::lines() const
{
    QMutexLocker locker(&logMutex());
    return m_lines;
}

void VelLogCapture::clear()
{
    QMutexLocker locker(&logMutex());
    m_messages.clear();
    m_lines.clear();
}

void VelLogCapture::append(const QString &message, const QString &line)
{
    m_messages.append(message);
    m_lines.append(line);
}
