// The user's pbs.plist: read in any format, edited entry by entry, written
// back as binary with everything else kept value for value.

#include "VelTestVolume.h"

#include <model/VelPbsStatusFile.h>

#include <plist/PropertyList.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString kFinder = u"com.apple.finder - Finder/Reveal - reveal"_s;
const QString kWorkflow = u"(null) - Make Plain Text - runWorkflowAsService"_s;
const QString kShortcut = u"(null) - 0F3C5D7A-2B6E-4C1D-9A8F-1E2D3C4B5A69 - runShortcutAsService"_s;

// A file in the shape the Mac writes: partial entries, (null) keys, flags as
// integers and strings, extra presentation modes and top-level keys of its own.
plist::DictionaryPtr macStatusFile()
{
    plist::DictionaryPtr status = VelTest::dictionary({
        {kFinder, VelTest::dictionary({{u"key_equivalent"_s, u"@$r"_s}})},
        {kWorkflow,
            VelTest::dictionary({{u"enabled_services_menu"_s, 1}, {u"enabled_context_menu"_s, u"0"_s},
                {u"presentation_modes"_s,
                    VelTest::dictionary({{u"ContextMenu"_s, false}, {u"ServicesMenu"_s, true}, {u"TouchBar"_s, true},
                        {u"FinderPreview"_s, false}})}})},
        {kShortcut, VelTest::dictionary({{u"enabled_services_menu"_s, false}, {u"key_equivalent"_s, u"@~Space"_s}})},
    });
    plist::ArrayPtr ordering = plist::Array::create();
    ordering->append(u"Écrire “ça”"_s);
    ordering->append(plist::Value::fromUnsigned(18446744073709551615ULL));
    ordering->append(2.5);
    return VelTest::dictionary({{u"NSServicesStatus"_s, status},
        {u"FinderActive"_s, VelTest::dictionary({{u"Open"_s, true}})}, {u"FinderOrdering"_s, ordering},
        {u"ServicesShortcutsPresent"_s, true}, {u"NSServicesUserDirectoryModDate"_s, plist::Date {700000000.25}},
        {u"SomethingNew"_s, plist::Value::fromData(QByteArray("\x00\x01\xff", 3))}});
}

QString writeFixture(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(u"pbs.plist"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Python's plistlib reads the saved file and compares it with the original
// once the edited entry is taken out of both.
const char kPlistlibCheck[] = R"(
import plistlib, sys
with open(sys.argv[1], 'rb') as f: before = plistlib.load(f)
with open(sys.argv[2], 'rb') as f: raw = f.read()
after = plistlib.loads(raw)
assert raw.startswith(b'bplist00'), 'not binary'
edited = sys.argv[3]
assert edited in after['NSServicesStatus'], 'edit missing'
before['NSServicesStatus'].pop(edited, None)
after['NSServicesStatus'].pop(edited)
assert before == after, (before, after)
)";

} // namespace

class TestPbsStatusFile : public QObject {
    Q_OBJECT

private slots:
    void shouldReadEveryFormat_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("binary") << plist::writeBinary(macStatusFile());
        QTest::newRow("xml") << plist::writeXml(macStatusFile());
        QTest::newRow("text")
            << u"{ NSServicesStatus = { \"%1\" = { key_equivalent = \"@$r\"; }; }; }"_s.arg(kFinder).toUtf8();
    }

    void shouldReadEveryFormat()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        VelPbsStatusFile status;
        QString error;
        QCOMPARE(status.load(writeFixture(dir, bytes), &error), VelPbsStatusFile::LoadResult::Loaded);
        QVERIFY(status.entry(kFinder));
        QCOMPARE(status.entry(kFinder)->value(u"key_equivalent").toString(), u"@$r"_s);
    }

    void shouldTreatAMissingFileAsEmpty()
    {
        QTemporaryDir dir;
        VelPbsStatusFile status;
        QString error;
        QCOMPARE(status.load(dir.filePath(u"pbs.plist"_s), &error), VelPbsStatusFile::LoadResult::Absent);
        QCOMPARE(status.entryCount(), 0);
        QVERIFY(status.isLoaded());
    }

    void shouldRefuseAFileItCannotRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("garbage") << "bplist00\x01\x02garbage"_ba;
        QTest::newRow("an array") << plist::writeBinary(plist::Array::create());
        QTest::newRow("status is no dictionary")
            << plist::writeXml(VelTest::dictionary({{u"NSServicesStatus"_s, u"x"_s}}));
    }

    void shouldRefuseAFileItCannotRead()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = writeFixture(dir, bytes);
        VelPbsStatusFile status;
        QString error;
        QCOMPARE(status.load(path, &error), VelPbsStatusFile::LoadResult::Unreadable);
        QVERIFY(error.contains(path));
        QVERIFY(!status.save(path, &error));
        QCOMPARE(fileBytes(path), bytes);
    }

    void enablingShouldWriteBothFlagsAndKeepOtherModes()
    {
        QTemporaryDir dir;
        VelPbsStatusFile status;
        QString error;
        QVERIFY(status.load(writeFixture(dir, plist::writeBinary(macStatusFile())), &error)
            == VelPbsStatusFile::LoadResult::Loaded);
        status.setEnabled(kWorkflow, false);
        const plist::Dictionary *entry = status.entry(kWorkflow);
        QCOMPARE(entry->value(u"enabled_services_menu").isBoolean(), true);
        QCOMPARE(entry->value(u"enabled_services_menu").toBoolean(), false);
        QCOMPARE(entry->value(u"enabled_context_menu").toBoolean(), false);
        const plist::Dictionary *modes = entry->value(u"presentation_modes").asDictionary();
        QCOMPARE(modes->value(u"ServicesMenu").toBoolean(), false);
        QCOMPARE(modes->value(u"TouchBar").toBoolean(), true);
        QVERIFY(modes->contains(u"FinderPreview"));
    }

    void editsShouldChangeOnlyTheirOwnFields()
    {
        VelPbsStatusFile status;
        QString error;
        QTemporaryDir dir;
        QVERIFY(status.load(writeFixture(dir, plist::writeBinary(macStatusFile())), &error)
            == VelPbsStatusFile::LoadResult::Loaded);
        status.setKeyEquivalent(kFinder, u"@k"_s);
        QCOMPARE(status.entry(kFinder)->size(), 1);
        QVERIFY(status.removeEntry(kShortcut));
        QVERIFY(!status.entry(kShortcut));
        QVERIFY(!status.removeEntry(kShortcut));
        QVERIFY(status.moveEntry(kFinder, u"com.apple.finder - Finder/Show - reveal"_s));
        QVERIFY(!status.entry(kFinder));
        QCOMPARE(
            status.entry(u"com.apple.finder - Finder/Show - reveal"_s)->value(u"key_equivalent").toString(), u"@k"_s);
    }

    void savingShouldKeepEverythingNotEditedValueForValue()
    {
        const QString python = QStandardPaths::findExecutable(u"python3"_s);
        if (python.isEmpty())
            QSKIP("python3 is not installed");
        QTemporaryDir dir;
        const QString original = dir.filePath(u"original.plist"_s);
        QVERIFY(plist::writeFileAtomically(original, plist::writeBinary(macStatusFile())));
        const QString path = writeFixture(dir, fileBytes(original));
        VelPbsStatusFile status;
        QString error;
        QVERIFY(status.load(path, &error) == VelPbsStatusFile::LoadResult::Loaded);
        status.setEnabled(kFinder, true);
        QVERIFY2(status.save(path, &error), qPrintable(error));
        QProcess check;
        check.start(python, {u"-c"_s, QString::fromLatin1(kPlistlibCheck), original, path, kFinder});
        QVERIFY(check.waitForFinished(30000));
        QVERIFY2(check.exitCode() == 0, check.readAllStandardError().constData());
    }

    void savingShouldKeepTheFilesModeAndOwner()
    {
        QTemporaryDir dir;
        const QString path = writeFixture(dir, plist::writeBinary(macStatusFile()));
        const QByteArray native = QFile::encodeName(path);
        QCOMPARE(::chmod(native.constData(), 0640), 0);
        const bool root = ::geteuid() == 0;
        if (root)
            QCOMPARE(::chown(native.constData(), 4321, 5432), 0);
        VelPbsStatusFile status;
        QString error;
        QVERIFY(status.load(path, &error) == VelPbsStatusFile::LoadResult::Loaded);
        status.setEnabled(kFinder, false);
        QVERIFY2(status.save(path, &error), qPrintable(error));
        struct stat st { };
        QCOMPARE(::stat(native.constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
        if (root) {
            QCOMPARE(st.st_uid, uid_t(4321));
            QCOMPARE(st.st_gid, gid_t(5432));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void aNewFileShouldBeTheOwnersAloneInANewFolder()
    {
        QTemporaryDir dir;
        const QString path = VelPbsStatusFile::pathInHome(dir.path());
        VelPbsStatusFile status;
        QString error;
        QVERIFY(status.load(path, &error) == VelPbsStatusFile::LoadResult::Absent);
        status.setKeyEquivalent(kFinder, u"@k"_s);
        QVERIFY2(status.save(path, &error), qPrintable(error));
        QVERIFY(fileBytes(path).startsWith("bplist00"));
        struct stat st { };
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0600));
    }
};

QTEST_GUILESS_MAIN(TestPbsStatusFile)
#include "tst_pbsstatusfile.moc"
