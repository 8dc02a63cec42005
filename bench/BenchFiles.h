#pragma once

// What both benchmark programs share: loading every file below the folders
// given on the command line, timing a parser over them, and the one line of
// figures they print.

#include <QByteArray>
#include <QDirIterator>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace bench {

// Files are read into memory first, so that only parsing is timed.
inline std::vector<QByteArray> loadFiles(int argc, char **argv)
{
    std::vector<QByteArray> files;
    for (int i = 1; i < argc; ++i) {
        QDirIterator it(QString::fromLocal8Bit(argv[i]), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.open(QIODevice::ReadOnly))
                files.push_back(file.readAll());
        }
    }
    return files;
}

// Processor time of this thread: on a machine shared with other work it
// stays close to the parser's own cost, where wall-clock time does not.
inline double threadSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// parse(bytes) answers whether the file was read. Parses every file
// kPasses times and prints "parsed N files, B bytes in S s (X MB/s)" for the
// fastest pass, with S its processor time and 1 MB = 10^6 bytes: a pass over
// a few megabytes lasts a few milliseconds, which the machine's other work
// can stretch but never shorten.
template <typename Parse> int run(int argc, char **argv, Parse parse)
{
    constexpr int kPasses = 15;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR...\n", argv[0]);
        return 2;
    }
    const std::vector<QByteArray> files = loadFiles(argc, argv);
    qint64 parsedFiles = 0;
    qint64 parsedBytes = 0;
    std::vector<double> passSeconds;
    for (int pass = 0; pass < kPasses; ++pass) {
        parsedFiles = 0;
        parsedBytes = 0;
        const double start = threadSeconds();
        for (const QByteArray &bytes : files) {
            if (parse(bytes)) {
                ++parsedFiles;
                parsedBytes += bytes.size();
            }
        }
        passSeconds.push_back(threadSeconds() - start);
    }
    const double seconds = *std::min_element(passSeconds.begin(), passSeconds.end());
    std::printf("parsed %lld files, %lld bytes in %.4f s (%.1f MB/s)\n", parsedFiles, parsedBytes, seconds,
        seconds > 0 ? double(parsedBytes) / 1e6 / seconds : 0.0);
    return parsedFiles == qint64(files.size()) ? 0 : 1;
}

} // namespace bench
