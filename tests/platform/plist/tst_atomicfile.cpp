#include "PlistTestHelpers.h"
#include "plist/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace plist;
using namespace plisttest;

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT

private slots:
    void shouldCreateANewFileWithUmaskPermissions()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Info.plist"));
        QString error;
        QVERIFY(writeFileAtomically(path, "new", &error));
        QVERIFY(error.isEmpty());
        QCOMPARE(contents(path), QByteArray("new"));
        struct stat info { };
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0666 & ~currentUmask());
    }

    void shouldReplaceTheOldContentAndLeaveNoTemporaryFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Changes.plist"));
        QVERIFY(writeFile(path, "old content that is longer"));
        QVERIFY(writeFileAtomically(path, "new"));
        QCOMPARE(contents(path), QByteArray("new"));
        QCOMPARE(entries(dir.path()), QStringList {QStringLiteral("Changes.plist")});
    }

    void shouldReplaceAFileWhoseNameIsAsLongAsAllowed()
    {
        QTemporaryDir dir;
        // 85 three-byte characters: 255 bytes, the most a name may hold.
        const QString path = dir.filePath(QString(85, QChar(0x20ac)));
        QVERIFY(writeFile(path, "old"));
        QVERIFY(writeFileAtomically(path, "new"));
        QCOMPARE(contents(path), QByteArray("new"));
        QCOMPARE(entries(dir.path()).size(), 1);
    }

    void shouldFailWithAReasonWhenTheFolderIsMissing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("missing/Info.plist"));
        QString error;
        QVERIFY(!writeFileAtomically(path, "x", &error));
        QVERIFY2(error.contains(dir.filePath(QStringLiteral("missing"))), qPrintable(error));
        QVERIFY(!QFile::exists(path));
    }

    void shouldKeepTheOldFileWhenTheFolderIsReadOnly()
    {
        if (::geteuid() == 0)
            QSKIP("the superuser writes into read-only folders");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Info.plist"));
        QVERIFY(writeFile(path, "old"));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        QString error;
        const bool written = writeFileAtomically(path, "new", &error);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!written);
        QVERIFY(!error.isEmpty());
        QCOMPARE(contents(path), QByteArray("old"));
    }

    void shouldRemoveTheTemporaryFileWhenTheRenameFails()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Info.plist"));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Info.plist/inner")));
        QString error;
        QVERIFY(!writeFileAtomically(path, "new", &error));
        QVERIFY2(error.contains(path), qPrintable(error));
        QCOMPARE(entries(dir.path()), QStringList {QStringLiteral("Info.plist")});
        QVERIFY(QFileInfo(path).isDir());
    }

    void shouldWriteAPropertyListThatReadsBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Info.plist"));
        const Value v = dict({{"NSServices", array({dict({{"NSMessage", str("run")}})})}});
        QVERIFY(writeXmlFile(v, path));
        PLIST_COMPARE(readXml(contents(path)), v);
    }

    void shouldNotTouchTheFileWhenTheValueIsIncomplete()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Info.plist"));
        QVERIFY(writeFile(path, "old"));
        QString error;
        QVERIFY(!writeXmlFile(dict({{"k", Value()}}), path, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(contents(path), QByteArray("old"));
        QCOMPARE(entries(dir.path()), QStringList {QStringLiteral("Info.plist")});
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
