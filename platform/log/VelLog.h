#pragma once

// The process log: one line per message on standard error, stamped the way
// the Mac's console log stamps it:
//     2026-12-07 17:05:21.123 velmoractl[1234] message

#include <QDateTime>
#include <QString>
#include <QStringList>

void VelLog(const QString &message);

// The full line for a message, without the trailing line break.
[[nodiscard]] QString VelLogLine(const QDateTime &time, const QString &processName, qint64 pid, const QString &message);

// While one of these lives, log messages are collected here instead of being
// written to standard error. Captures nest: the innermost one collects, and
// the one before it takes over again when it ends.
class VelLogCapture {
public:
    VelLogCapture();
    ~VelLogCapture();
    VelLogCapture(const VelLogCapture &) = delete;
    VelLogCapture &operator=(const VelLogCapture &) = delete;

    // The messages as passed to VelLog, in order.
    [[nodiscard]] QStringList messages() const;
    // The complete stamped lines.
    [[nodiscard]] QStringList lines() const;
    void clear();

private:
    friend void VelLog(const QString &message);
    void append(const QString &message, const QString &line);

    QStringList m_messages;
    QStringList m_lines;
    VelLogCapture *m_previous = nullptr;
};
