// velmoractl run as a separate program, as scripts run it.

#include "plist/PropertyList.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run velmoractl(const QStringList &arguments)
{
    QProcess process;
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
        QTest::newRow("missing file") << QString() << QByteArray();
        QTest::newRow("not a property list") << u"notes.txt"_s << "hello world, this is { not"_ba;
        QTest::newRow("broken binary") << u"Info.plist"_s << "bplist00\x01\x02"_ba;
        QTest::newRow("empty file") << u"empty.plist"_s << QByteArray();
    }

    void plistShouldFailWithOneLineWhenTheFileIsNoPropertyList()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = name.isEmpty() ? dir.filePath(u"missing.plist"_s) : writeFile(dir, name, bytes);
        const Run run = velmoractl({u"plist"_s, path});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY(run.err.contains(path.toUtf8()));
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
        for (const QStringList &args : {QStringList{u"--root"_s, dir.path(), u"--home"_s, dir.path(), u"--json"_s,
                                                    u"plist"_s, file},
                                        QStringList{u"plist"_s, u"--root="_s + dir.path(), file}}) {
            const Run run = velmoractl(args);
            QCOMPARE(run.exitCode, 0);
            QVERIFY(run.out.contains("<key>a</key>"));
        }
    }

    void shouldAnswerUsageErrorsWithStatusTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("nothing") << QStringList();
        QTest::newRow("unknown command") << QStringList{u"frobnicate"_s};
        QTest::newRow("unknown option") << QStringList{u"--frob"_s, u"plist"_s, u"x"_s};
        QTest::newRow("option without its value") << QStringList{u"plist"_s, u"x"_s, u"--root"_s};
        QTest::newRow("plist without a file") << QStringList{u"plist"_s};
        QTest::newRow("plist with two files") << QStringList{u"plist"_s, u"a"_s, u"b"_s};
    }

    void shouldAnswerUsageErrorsWithStatusTwo()
    {
        QFETCH(QStringList, arguments);
        const Run run = velmoractl(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY(!run.err.isEmpty());
    }

    void helpShouldListTheCommands()
    {
        const Run run = velmoractl({u"--help"_s});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains("plist FILE"));
    }
};

QTEST_GUILESS_MAIN(TestVelmoractl)
#include "tst_velmoractl.moc"
