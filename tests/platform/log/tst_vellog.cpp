#include "log/VelLog.h"

#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTest>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Runs the function with standard error sent to a file and answers what was written.
template <typename Function> QByteArray captureStandardError(Function function)
{
    QTemporaryFile file;
    if (!file.open())
        return {};
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(file.handle(), STDERR_FILENO);
    function();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    file.seek(0);
    return file.readAll();
}

} // namespace

class TestVelLog : public QObject {
    Q_OBJECT

private slots:
    void lineShouldReadLikeTheMacConsoleLog()
    {
        const QDateTime time(QDate(2026, 12, 7), QTime(17, 5, 21, 123));
        QCOMPARE(VelLogLine(time, u"velmoractl"_s, 1234, u"message"_s),
            u"2026-12-07 17:05:21.123 velmoractl[1234] message"_s);
    }

    void shouldWriteOneStampedLineToStandardError()
    {
        const QByteArray written = captureStandardError([] { VelLog(u"hello \u00e9 world"_s); });
        const QString text = QString::fromUtf8(written);
        static const QRegularExpression pattern(
            uR"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} tst_vellog\[(\d+)\] hello é world\n$)"_s);
        const QRegularExpressionMatch match = pattern.match(text);
        QVERIFY2(match.hasMatch(), qPrintable(text));
        QCOMPARE(match.captured(1).toLongLong(), qint64(::getpid()));
    }

    void captureShouldCollectMessagesInsteadOfWritingThem()
    {
        QByteArray written;
        QStringList messages;
        QStringList lines;
        written = captureStandardError([&] {
            VelLogCapture capture;
            VelLog(u"first"_s);
            VelLog(u"second\nline"_s);
            messages = capture.messages();
            lines = capture.lines();
        });
        QVERIFY(written.isEmpty());
        QCOMPARE(messages, (QStringList {u"first"_s, u"second\nline"_s}));
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.at(0).endsWith(u"] first"_s));
        QVERIFY(lines.at(0).contains(u" tst_vellog["_s));
    }

    void innermostCaptureShouldCollectAndOuterShouldResume()
    {
        VelLogCapture outer;
        VelLog(u"a"_s);
        {
            VelLogCapture inner;
            VelLog(u"b"_s);
            QCOMPARE(inner.messages(), QStringList {u"b"_s});
        }
        VelLog(u"c"_s);
        QCOMPARE(outer.messages(), (QStringList {u"a"_s, u"c"_s}));
        outer.clear();
        QVERIFY(outer.messages().isEmpty());
    }

    void captureEndedOutOfOrderShouldNotLeaveADanglingSink()
    {
        VelLogCapture outermost;
        auto *middle = new VelLogCapture;
        VelLogCapture *inner = new VelLogCapture;
        delete middle;
        VelLog(u"to inner"_s);
        QCOMPARE(inner->messages(), QStringList {u"to inner"_s});
        delete inner;
        VelLog(u"to outermost"_s);
        QCOMPARE(outermost.messages(), QStringList {u"to outermost"_s});
    }
};

QTEST_GUILESS_MAIN(TestVelLog)
#include "tst_vellog.moc"
