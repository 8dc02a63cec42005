// Reading N bytes holds at most about 40 * N bytes: measured as the growth of
// the peak resident size of a child process that does nothing but the read.
#include "BplistBuilder.h"

#include "plist/PropertyList.h"

#include <QTest>

#include <cerrno>
#include <cstdio>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace plist;
using plisttest::Bplist;
using plisttest::obj;

namespace {

constexpr qsizetype kInputSize = 2 * 1024 * 1024;

// The stated bound is 40 bytes per input byte plus 4 per object of the
// offset table; the constant covers the allocator's and the page cache's
// granularity. AddressSanitizer's allocator adds a red zone to every block.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kSanitizerFactor = 2;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr long kSanitizerFactor = 2;
#else
constexpr long kSanitizerFactor = 1;
#endif
#else
constexpr long kSanitizerFactor = 1;
#endif

long allowanceKiB(qsizetype inputSize)
{
    return kSanitizerFactor * (44 * long(inputSize) / 1024 + 8 * 1024);
}

long peakKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct Outcome {
    long growthKiB = -1;
    qint64 arraySize = -1; // -1: the read failed
};

// Reads the bytes in a child process, which answers through a pipe. The
// child may use no more address space than a few times the allowance, so a
// reader without a bound fails instead of exhausting the machine.
bool readInChild(const QByteArray &bytes, Outcome *outcome)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        ::close(fds[0]);
        if (kSanitizerFactor == 1) {
            long pages = 0;
            if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
                if (std::fscanf(statm, "%ld", &pages) != 1)
                    pages = 0;
                std::fclose(statm);
            }
            const rlim_t limit
                = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + rlim_t(4) * rlim_t(allowanceKiB(bytes.size())) * 1024;
            const rlimit addressSpace {limit, limit};
            setrlimit(RLIMIT_AS, &addressSpace);
        }
        Outcome result;
        const long before = peakKiB();
        {
            const Value v = read(bytes);
            result.growthKiB = peakKiB() - before;
            if (!v.isNone())
                result.arraySize = v.isArray() ? v.toArray()->size() : 0;
        }
        const bool sent = ::write(fds[1], &result, sizeof result) == ssize_t(sizeof result);
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    ssize_t got = 0;
    do
        got = ::read(fds[0], outcome, sizeof *outcome);
    while (got < 0 && errno == EINTR);
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    return got == ssize_t(sizeof *outcome) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// An array of the given object referenced `count` times with one-byte
// references, then filler data that nothing references, up to the size.
QByteArray arrayOfOneObject(const QByteArray &object, qsizetype count, qsizetype size)
{
    Bplist p;
    p.offsetSize = 4;
    p.objects = {obj({0xAF, 0x12}) + Bplist::be(quint64(count), 4) + QByteArray(count, char(1)), object};
    const qsizetype rest = size - qsizetype(p.bytes().size()) - 6 - 4;
    if (rest > 0) {
        p.objects.append(obj({0x4F, 0x12}) + Bplist::be(quint64(rest), 4) + QByteArray(rest, 'f'));
    }
    return p.bytes();
}

// Five levels of arrays, each holding the next 64 times, around one empty
// dictionary: 64^5 dictionaries from a few hundred bytes, padded to the size
// with data that nothing references, so the whole budget is there to spend.
QByteArray sharedContainers(qsizetype size)
{
    Bplist p;
    p.offsetSize = 4;
    for (int level = 0; level < 5; ++level)
        p.objects.append(obj({0xAF, 0x10, 64}) + QByteArray(64, char(level + 1)));
    p.objects.append(obj({0xD0}));
    const qsizetype rest = size - qsizetype(p.bytes().size()) - 6 - 4;
    p.objects.append(obj({0x4F, 0x12}) + Bplist::be(quint64(rest), 4) + QByteArray(rest, 'f'));
    return p.bytes();
}

qsizetype itemsThatFit(const QByteArray &head, const QByteArray &item, const QByteArray &tail, qsizetype size)
{
    return (size - head.size() - tail.size()) / item.size();
}

// The head, as many items as fit in the size with the tail, and the tail.
QByteArray repeated(const QByteArray &head, const QByteArray &item, const QByteArray &tail, qsizetype size)
{
    return head + item.repeated(itemsThatFit(head, item, tail, size)) + tail;
}

} // namespace

class TestReaderMemory : public QObject {
    Q_OBJECT

private slots:
    void shouldHoldMemoryProportionalToTheInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("arraySize"); // -1: refused

        const qsizetype n = kInputSize;
        QTest::newRow("binary: one small container referenced from everywhere") << sharedContainers(n) << qint64(-1);
        QTest::newRow("binary: one number referenced from everywhere")
            << arrayOfOneObject(obj({0x10, 0x05}), n - 64, n) << qint64(n - 64);
        QTest::newRow("binary: one string referenced from everywhere")
            << arrayOfOneObject(obj({0x53, 'a', 'b', 'c'}), n - 64, n) << qint64(n - 64);
        QTest::newRow("binary: one data referenced from everywhere")
            << arrayOfOneObject(obj({0x4F, 0x11, 0x01, 0x00}) + QByteArray(256, 'd'), n / 2, n) << qint64(n / 2);
        const QByteArray xmlHead("<plist><array>"), xmlItem("<dict/>"), xmlTail("</array></plist>");
        QTest::newRow("XML: empty dictionaries")
            << repeated(xmlHead, xmlItem, xmlTail, n) << qint64(itemsThatFit(xmlHead, xmlItem, xmlTail, n));
        QTest::newRow("text: empty dictionaries")
            << repeated("(", "{},", ")", n) << qint64(itemsThatFit("(", "{},", ")", n));
    }

    void shouldHoldMemoryProportionalToTheInput()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, arraySize);
        Outcome outcome;
        QVERIFY2(readInChild(bytes, &outcome), "the reading process failed");
        QCOMPARE(outcome.arraySize, arraySize);
        const long allowance = allowanceKiB(bytes.size());
        QVERIFY2(outcome.growthKiB <= allowance,
            qPrintable(QStringLiteral("%1 KiB for %2 input bytes; at most %3 KiB allowed")
                           .arg(outcome.growthKiB)
                           .arg(bytes.size())
                           .arg(allowance)));
    }
};

QTEST_GUILESS_MAIN(TestReaderMemory)
#include "tst_readermemory.moc"
