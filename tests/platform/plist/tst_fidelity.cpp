// Fidelity against Python's plistlib: Python writes a varied corpus in XML
// and binary, we read every file and write it again in both formats, and
// Python reads our files back and compares them value by value with what it
// wrote (fidelity.py). Skipped when python3 is not installed.

#include "plist/PropertyList.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace plist;
using namespace Qt::StringLiterals;

namespace {

const QString kScript = QStringLiteral(VELMORA_SOURCE_DIR "/tests/platform/plist/fidelity.py");

struct PythonRun {
    bool finished = false;
    int exitCode = -1;
    QString output;
};

PythonRun runPython(const QString &python, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(python, QStringList {kScript} + arguments);
    PythonRun run;
    run.finished = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.output = QString::fromUtf8(process.readAll());
    return run;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return !bytes.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestFidelity : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_python = QStandardPaths::findExecutable(u"python3"_s);
        if (m_python.isEmpty())
            QSKIP("python3 is not installed");
        QVERIFY(m_dir.isValid());
        const PythonRun run = runPython(m_python, {u"generate"_s, m_dir.path()});
        QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.output));
    }

    void shouldReadAndRewriteWhatPlistlibWrites()
    {
        const QStringList files = QDir(m_dir.path()).entryList({u"*.xml"_s, u"*.bplist"_s}, QDir::Files);
        QVERIFY(files.size() >= 20);
        for (const QString &name : files) {
            const QString path = m_dir.filePath(name);
            Format format = Format::Text;
            const Value v = readFile(path, &format);
            QVERIFY2(!v.isNone(), qPrintable(name));
            QCOMPARE(format, name.endsWith(u".xml"_s) ? Format::Xml : Format::Binary);
            QVERIFY2(writeFile(path + u".ours.xml"_s, writeXml(v)), qPrintable(name));
            QVERIFY2(writeFile(path + u".ours.bplist"_s, writeBinary(v)), qPrintable(name));
        }
    }

    void plistlibShouldReadBackEveryValueUnchanged()
    {
        const PythonRun run = runPython(m_python, {u"verify"_s, m_dir.path()});
        QVERIFY(run.finished);
        QVERIFY2(run.output.contains(u"VERDICT: PASS"_s), qPrintable(run.output));
        QCOMPARE(run.exitCode, 0);
    }

    void bothReadersShouldAgree()
    {
        // The same values from both formats, apart from dates, which XML holds
        // to the second only.
        for (const QString &name : QDir(m_dir.path()).entryList({u"*.bplist"_s}, QDir::Files)) {
            if (name.contains(u".ours."_s) || name.startsWith(u"dates"_s) || name.startsWith(u"mixed"_s))
                continue;
            const Value fromBinary = readFile(m_dir.filePath(name));
            const Value fromXml = readFile(m_dir.filePath(QString(name).replace(u".bplist"_s, u".xml"_s)));
            QVERIFY2(contentEquals(fromBinary, fromXml), qPrintable(name));
        }
    }

private:
    QString m_python;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestFidelity)
#include "tst_fidelity.moc"
