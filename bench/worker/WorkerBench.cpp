// worker-bench [--providers N] [--runs R] [--keep]
//
// Builds a temporary Mac volume with N application bundles whose Info.plist
// files declare a few services each, then saves all of them R times through
// runWorkerForChangedInfoPlists with TidyWorker run directly: the change list
// written, the worker started, every Info.plist replaced with its attributes
// carried over, every character followed. Prints the time of each run and
// the time per file.

#include "BenchProviders.h"
#include "VelWorkerRun.h"

#include <plist/PropertyList.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The first service disabled the way the application saves it.
plist::DictionaryPtr changedInfo(const plist::DictionaryPtr &info)
{
    const plist::DictionaryPtr changed = plist::deepCopy(plist::Value(info)).toDictionary();
    const plist::ArrayPtr all = changed->value(u"NSServices").toArray();
    all->at(0).toDictionary()->set(QStringLiteral("Quillfen.Velmora.IsDisabled"), true);
    auto enabled = plist::Array::create();
    for (qsizetype i = 1; i < all->size(); ++i)
        enabled->append(plist::deepCopy(all->at(i)));
    changed->set(QStringLiteral("Quillfen.Velmora.AllNSServices"), plist::Value(all));
    changed->set(QStringLiteral("NSServices"), plist::Value(enabled));
    return changed;
}

plist::ArrayPtr makeVolume(const QString &root, int providers)
{
    auto list = plist::Array::create();
    for (int p = 0; p < providers; ++p) {
        const QString bundle = root + QStringLiteral("/Applications/Provider %1.app").arg(p);
        const QString infoPath = bundle + QStringLiteral("/Contents/Info.plist");
        QDir().mkpath(bundle + QStringLiteral("/Contents"));
        const plist::DictionaryPtr info = bench::makeInfo(p);
        if (!plist::writeXmlFile(plist::Value(info), infoPath))
            return nullptr;
        auto entry = plist::Dictionary::create();
        entry->set(QStringLiteral("Info"), plist::Value(changedInfo(info)));
        entry->set(QStringLiteral("Info Path"), infoPath);
        entry->set(QStringLiteral("Package Path"), bundle);
        list->append(plist::Value(entry));
    }
    return list;
}

int intOption(const QStringList &arguments, const QString &name, int fallback)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toInt() : fallback;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int providers = std::max(1, intOption(arguments, QStringLiteral("--providers"), 500));
    const int runs = std::max(1, intOption(arguments, QStringLiteral("--runs"), 3));
    QTemporaryDir volume;
    volume.setAutoRemove(!arguments.contains(QStringLiteral("--keep")));
    const QString home = volume.path() + QStringLiteral("/Users/bench");
    QDir().mkpath(home + QStringLiteral("/Library"));
    const plist::ArrayPtr list = makeVolume(volume.path(), providers);
    if (!list) {
        std::fprintf(stderr, "cannot build the volume in %s\n", qPrintable(volume.path()));
        return 1;
    }
    qputenv("VELMORA_AUTHORIZATION", "direct");
    const QByteArray listBytes = plist::writeXml(plist::Value(list));
    std::printf("%d providers, change list %.1f KB, volume %s\n", providers, listBytes.size() / 1024.0,
        qPrintable(volume.path()));

    std::vector<double> times;
    for (int run = 1; run <= runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const qint64 confirmed = runWorkerForChangedInfoPlists(list, {}, {QStringLiteral(VELMORA_WORKER_PATH), home});
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        times.push_back(ms);
        std::printf("run %d: %lld of %d confirmed in %.1f ms (%.3f ms per file)\n", run, (long long)confirmed,
            providers, ms, ms / providers);
        if (confirmed != providers)
            return 1;
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("median: %.1f ms, %.3f ms per file\n", median, median / providers);
    return 0;
}
