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

} // namespace

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
    const QByteArray line = (workerLogPrefix() + message + QLatin1Char('\n')).toUtf8();
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
