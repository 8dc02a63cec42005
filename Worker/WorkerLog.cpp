#include "WorkerLog.h"

#include <QDateTime>

#include <cerrno>

#include <unistd.h>

namespace {

QString &processName()
{
    static QString name = QStringLiteral("TidyWorker");
    return name;
}

QString escapeFor(char16_t c)
{
    switch (c) {
    case u'\0':
        return QStringLiteral("\\0");
    case u'\t':
        return QStringLiteral("\\t");
    case u'\n':
        return QStringLiteral("\\n");
    case u'\r':
        return QStringLiteral("\\r");
    default:
        break;
    }
    if (c < 0x100)
        return QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
    return QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
}

bool needsEscape(char16_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029;
}

} // namespace

QString escapedForLog(const QString &message)
{
    QString escaped;
    escaped.reserve(message.size());
    for (const QChar c : message) {
        if (needsEscape(c.unicode()))
            escaped += escapeFor(c.unicode());
        else
            escaped += c;
    }
    return escaped;
}

void setWorkerLogProcessName(const QString &name)
{
    if (!name.isEmpty())
        processName() = name;
}

QString workerLogPrefix()
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    return QStringLiteral("%1 %2[%3] ").arg(stamp, processName()).arg(qint64(::getpid()));
}

void workerLog(const QString &message)
{
    // One write per line, so lines of concurrent writers never interleave.
    const QByteArray line = (workerLogPrefix() + escapedForLog(message) + QLatin1Char('\n')).toUtf8();
    qsizetype done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(STDERR_FILENO, line.constData() + done, size_t(line.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += n;
    }
}

void logCannotGetAttributes(const QString &path)
{
    workerLog(QStringLiteral("- cannot get attributes for <%1>").arg(path));
}

void logCannotSetAttributes(const QString &path)
{
    workerLog(QStringLiteral("- cannot set attributes for <%1>").arg(path));
}

void logNotWritten(const QString &infoPath, const QString &reason)
{
    workerLog(QStringLiteral("- cannot write <%1>: %2").arg(infoPath, reason));
}
