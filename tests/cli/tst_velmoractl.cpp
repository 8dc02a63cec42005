// velmoractl run as a separate program, as scripts run it.

#include "plist/PropertyList.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run velmoractl(
    const QStringList &arguments, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VELMORA_BINARY_DIR "/bin/velmoractl"), arguments);
    Run run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(bytes);
    return file.fileName();
}

plist::Value sample()
{
    plist::DictionaryPtr item = plist::Dictionary::create();
    item->set(u"default"_s, u"Lingo/Look Up “é”"_s);
    plist::DictionaryPtr d = plist::Dictionary::create();
    d->set(u"NSMenuItem"_s, item);
    d->set(u"Count"_s, qint64(-7));
    d->set(u"Big"_s, plist::Value::fromUnsigned(18446744073709551615ULL));
    return d;
}

} // namespace

class TestVelmoractl : public QObject {
    Q_OBJECT

private slots:
    void plistShouldPrintAnyFormatAsXml_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("xml") << plist::writeXml(sample());
        QTest::newRow("binary") << plist::writeBinary(sample());
        QTest::newRow("text") << "{ NSMenuItem = { default = \"Lingo/Look Up \\U201c\\U00e9\\U201d\"; }; "
                                 "Count = -7; Big = 18446744073709551615; }"_ba;
    }

    void plistShouldPrintAnyFormatAsXml()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const Run run = velmoractl({u"plist"_s, writeFile(dir, u"Info.plist"_s, bytes)});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.isEmpty());
        QVERIFY(run.out.startsWith("<?xml"));
        plist::Format format = plist::Format::Text;
        const plist::Value back = plist::read(run.out, &format);
        QCOMPARE(format, plist::Format::Xml);
        const plist::Value expected = plist::read(bytes);
        QVERIFY(plist::contentEquals(back, expected));
        QCOMPARE(back.toDictionary()->value(u"NSMenuItem").toDictionary()->value(u"default").toString(),
            u"Lingo/Look Up “é”"_s);
    }

    void plistShouldFailWithOneLineWhenTheFileIsNoPropertyList_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("reason");
        QTest::newRow("missing file") << QString() << QByteArray() << "no such file"_ba;
        QTest::newRow("not a property list") << u"notes.txt"_s << "hello world, this is { not"_ba
                                             << "Expected ';' or '=' after key at line 1"_ba;
        QTest::newRow("broken binary") << u"Info.plist"_s << "bplist00\x01\x02"_ba
                                       << "Too short for a binary property list at byte offset 10"_ba;
        QTest::newRow("broken xml") << u"Info.plist"_s << "<plist>\n<dict>\n<key>a</key>\n</dict></plist>"_ba
                                    << "Value missing for key inside <dict> at line 4"_ba;
        QTest::newRow("empty file") << u"empty.plist"_s << QByteArray()
                                    << "Cannot parse a zero-length property list"_ba;
    }

    void plistShouldFailWithOneLineWhenTheFileIsNoPropertyList()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, reason);
        QTemporaryDir dir;
        const QString path = name.isEmpty() ? dir.filePath(u"missing.plist"_s) : writeFile(dir, name, bytes);
        const Run run = velmoractl({u"plist"_s, path});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY(run.err.contains(path.toUtf8()));
        QVERIFY2(run.err.contains(reason), run.err.constData());
    }

    void plistShouldFailOnAFolder()
    {
        QTemporaryDir dir;
        const Run run = velmoractl({u"plist"_s, dir.path()});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.count('\n'), 1);
    }

    void shouldAcceptTheGlobalOptions()
    {
        QTemporaryDir dir;
        const QString file = writeFile(dir, u"a.plist"_s, "{ a = b; }"_ba);
        for (const QStringList &args :
            {QStringList {u"--root"_s, dir.path(), u"--home"_s, dir.path(), u"--json"_s, u"plist"_s, file},
                QStringList {u"plist"_s, u"--root="_s + dir.path(), file}}) {
            const Run run = velmoractl(args);
            QCOMPARE(run.exitCode, 0);
            QVERIFY(run.out.contains("<key>a</key>"));
        }
    }

    void shouldAnswerUsageErrorsWithStatusTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("nothing") << QStringList();
        QTest::newRow("unknown command") << QStringList {u"frobnicate"_s};
        QTest::newRow("unknown option") << QStringList {u"--frob"_s, u"plist"_s, u"x"_s};
        QTest::newRow("option without its value") << QStringList {u"plist"_s, u"x"_s, u"--root"_s};
        QTest::newRow("plist without a file") << QStringList {u"plist"_s};
        QTest::newRow("plist with two files") << QStringList {u"plist"_s, u"a"_s, u"b"_s};
        QTest::newRow("help on an unknown command") << QStringList {u"help"_s, u"frobnicate"_s};
        QTest::newRow("--help of an unknown command") << QStringList {u"frobnicate"_s, u"--help"_s};
        QTest::newRow("help on two commands") << QStringList {u"help"_s, u"menu"_s, u"status"_s};
    }

    void shouldAnswerUsageErrorsWithStatusTwo()
    {
        QFETCH(QStringList, arguments);
        const Run run = velmoractl(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY(!run.err.isEmpty());
    }

    void helpShouldDescribeEveryCommandOnStandardOutput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("--help") << QStringList {u"--help"_s};
        QTest::newRow("-h") << QStringList {u"-h"_s};
        QTest::newRow("help") << QStringList {u"help"_s};
        QTest::newRow("--help among options") << QStringList {u"--json"_s, u"--help"_s, u"--dry-run"_s};
    }

    void helpShouldDescribeEveryCommandOnStandardOutput()
    {
        QFETCH(QStringList, arguments);
        const Run run = velmoractl(arguments);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.isEmpty());
        QVERIFY(run.out.startsWith("usage: velmoractl"));
        // Each command and option on a line of its own, a description after it.
        for (const QString &item : {u"providers"_s, u"services PROVIDER"_s, u"menu"_s, u"status"_s,
                 u"enable PROVIDER SERVICE"_s, u"disable PROVIDER SERVICE"_s, u"rename PROVIDER SERVICE NEW-TITLE"_s,
                 u"shortcut PROVIDER SERVICE KEY"_s, u"enable-all [PROVIDER]"_s, u"disable-all [PROVIDER]"_s,
                 u"revert [PROVIDER]"_s, u"plist FILE"_s, u"help [COMMAND]"_s, u"--root DIR"_s, u"-h, --help"_s,
                 u"--version"_s}) {
            const QRegularExpression line(
                u"^  "_s + QRegularExpression::escape(item) + u"  +[a-z]"_s, QRegularExpression::MultilineOption);
            QVERIFY2(line.match(QString::fromUtf8(run.out)).hasMatch(), qPrintable(item));
        }
    }

    void commandHelpShouldDescribeThatCommandAlone_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("usage");
        const QByteArray rename = "usage: velmoractl [OPTIONS] rename PROVIDER SERVICE NEW-TITLE\n";
        QTest::newRow("help COMMAND") << QStringList {u"help"_s, u"rename"_s} << rename;
        QTest::newRow("COMMAND --help") << QStringList {u"rename"_s, u"--help"_s} << rename;
        QTest::newRow("COMMAND -h with arguments") << QStringList {u"rename"_s, u"a"_s, u"-h"_s} << rename;
        QTest::newRow("--help COMMAND") << QStringList {u"--help"_s, u"plist"_s}
                                        << "usage: velmoractl [OPTIONS] plist FILE\n"_ba;
        QTest::newRow("help help") << QStringList {u"help"_s, u"help"_s}
                                   << "usage: velmoractl [OPTIONS] help [COMMAND]\n"_ba;
    }

    void commandHelpShouldDescribeThatCommandAlone()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, usage);
        const Run run = velmoractl(arguments);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.isEmpty());
        QVERIFY2(run.out.startsWith(usage), run.out.constData());
        QCOMPARE(run.out.count("usage:"), 1);
        QVERIFY(!run.out.contains("  providers "));
    }

    void versionShouldComeFromTheBundlesInfoPlist_data()
    {
        QTest::addColumn<QByteArray>("info"); // none: the build's own bundle
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        const plist::DictionaryPtr built
            = plist::readFile(QStringLiteral(VELMORA_BINARY_DIR "/Velmora.app/Contents/Info.plist")).toDictionary();
        QTest::newRow("the build's bundle")
            << QByteArray() << 0
            << "velmoractl " + built->value(u"CFBundleShortVersionString"_s).toString().toUtf8() + '\n';
        plist::DictionaryPtr other = plist::Dictionary::create();
        other->set(u"CFBundleShortVersionString"_s, u"9.8.7"_s);
        QTest::newRow("the bundle VELMORA_BUNDLE names") << plist::writeXml(other) << 0 << "velmoractl 9.8.7\n"_ba;
        other->remove(u"CFBundleShortVersionString"_s);
        QTest::newRow("a bundle without a version") << plist::writeXml(other) << 1 << QByteArray();
    }

    void versionShouldComeFromTheBundlesInfoPlist()
    {
        QFETCH(QByteArray, info);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QTemporaryDir bundle;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"VELMORA_BUNDLE"_s);
        if (!info.isNull()) {
            QVERIFY(QDir(bundle.path()).mkpath(u"Contents"_s));
            QVERIFY(!writeFile(bundle, u"Contents/Info.plist"_s, info).isEmpty());
            environment.insert(u"VELMORA_BUNDLE"_s, bundle.path());
        }
        const Run run = velmoractl({u"--version"_s}, environment);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out, out);
        QCOMPARE(run.err.isEmpty(), exitCode == 0);
    }
};

QTEST_GUILESS_MAIN(TestVelmoractl)
#include "tst_velmoractl.moc"
