// Every key Velmora does not own comes out of a save exactly as it went in,
// judged by Python's plistlib, for real Info.plist files in XML and binary.

#include "WorkerTestVolume.h"

#include <QDirIterator>
#include <QStandardPaths>
#include <QTest>

namespace {

const char *const kCompareScript = R"(
import plistlib, sys
owned = {"NSServices", "Quillfen.Velmora.AllNSServices", "Quillfen.Korvane.AllNSServices"}
failures = 0
for before_path, after_path in zip(sys.argv[1::2], sys.argv[2::2]):
    with open(before_path, "rb") as f: before = plistlib.load(f)
    with open(after_path, "rb") as f: after = plistlib.load(f)
    keys = {k for k in before if k not in owned}
    if keys != {k for k in after if k not in owned}:
        print(after_path, "keys differ"); failures += 1; continue
    for k in keys:
        if before[k] != after[k]:
            print(after_path, "differs in", k); failures += 1
sys.exit(1 if failures else 0)
)";

QString corpusFolder()
{
    const QString shared = qEnvironmentVariable("VELMORA_SHARED_DIR", QStringLiteral(VELMORA_SOURCE_DIR "/../shared"));
    return shared + QStringLiteral("/corpus/real");
}

// Those of the paths that plistlib reads (it refuses some real files).
QStringList readableByPlistlib(const QString &python, const QStringList &paths)
{
    QProcess process;
    process.start(python, QStringList {QStringLiteral("-c"), QStringLiteral(R"(
import plistlib, sys
for path in sys.argv[1:]:
    try:
        with open(path, "rb") as f: plistlib.load(f)
        print(path)
    except Exception:
        pass
)")} + paths);
    if (!process.waitForFinished(60000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// The corpus files that declare services and that plistlib reads.
QStringList serviceDeclaringFiles(const QString &python)
{
    QStringList files;
    QDirIterator it(corpusFolder(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const plist::DictionaryPtr info = plist::readFile(path).toDictionary();
        if (info && info->value(u"NSServices").isArray())
            files << path;
    }
    files = readableByPlistlib(python, files);
    files.sort();
    return files;
}

// What the application saves for a provider whose first service is disabled.
plist::DictionaryPtr savedForm(const plist::DictionaryPtr &info)
{
    const plist::DictionaryPtr saved = plist::deepCopy(plist::Value(info)).toDictionary();
    const plist::ArrayPtr all = saved->value(u"NSServices").toArray();
    auto enabled = plist::Array::create();
    for (qsizetype i = 1; i < all->size(); ++i)
        enabled->append(plist::deepCopy(all->at(i)));
    saved->set(QStringLiteral("Quillfen.Velmora.AllNSServices"), plist::Value(all));
    saved->set(QStringLiteral("NSServices"), plist::Value(enabled));
    return saved;
}

} // namespace

class TestTidyWorkerFidelity : public QObject {
    Q_OBJECT

private slots:
    void shouldKeepEveryKeyItDoesNotOwn_data();
    void shouldKeepEveryKeyItDoesNotOwn();
};

void TestTidyWorkerFidelity::shouldKeepEveryKeyItDoesNotOwn_data()
{
    QTest::addColumn<bool>("binary");
    QTest::newRow("XML sources") << false;
    QTest::newRow("binary sources") << true;
}

void TestTidyWorkerFidelity::shouldKeepEveryKeyItDoesNotOwn()
{
    QFETCH(bool, binary);
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QSKIP("python3 is not installed");
    if (!QFileInfo::exists(corpusFolder()))
        QSKIP("the real Info.plist corpus is not beside the source tree");
    const QStringList files = serviceDeclaringFiles(python);
    QVERIFY(files.size() >= 10);

    WorkerTestVolume volume;
    std::vector<plist::Value> entries;
    QStringList comparePairs;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QByteArray original = fileBytes(files[i]);
        const plist::DictionaryPtr info = plist::read(original).toDictionary();
        const QString bundle = volume.makeBundle(QStringLiteral("Real%1").arg(i), nullptr);
        const QString before = volume.root() + QStringLiteral("/before-%1.plist").arg(i);
        const QByteArray source = binary ? plist::writeBinary(plist::Value(info)) : original;
        for (const QString &path : {before, WorkerTestVolume::infoPathOf(bundle)}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(source) == source.size());
        }
        entries.push_back(WorkerTestVolume::entry(bundle, savedForm(info)));
        comparePairs << before << WorkerTestVolume::infoPathOf(bundle);
    }
    QVERIFY(volume.writeChangeList(entries));

    const WorkerRun run = volume.run();

    QVERIFY2(run.status == 0, qPrintable(run.log));
    QCOMPARE(run.output, QByteArray(qsizetype(files.size()), '0'));
    QProcess compare;
    compare.start(python, QStringList {QStringLiteral("-c"), QString::fromLatin1(kCompareScript)} + comparePairs);
    QVERIFY(compare.waitForFinished(60000));
    QVERIFY2(compare.exitCode() == 0, compare.readAllStandardOutput().constData());
}

QTEST_GUILESS_MAIN(TestTidyWorkerFidelity)
#include "tst_tidyworkerfidelity.moc"
