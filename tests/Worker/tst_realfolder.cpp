// Folders are opened only when no component of their path is a symbolic
// link, by the kernel's check and by the walk that stands in for it.

#include <RealFolder.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

Q_DECLARE_METATYPE(LinkFreeResolution)

class TestRealFolder : public QObject {
    Q_OBJECT

private slots:
    void shouldOpenOnlyFoldersReachedWithoutLinks_data();
    void shouldOpenOnlyFoldersReachedWithoutLinks();
    void shouldRefuseLinkBelowOpenFolder();
};

void TestRealFolder::shouldOpenOnlyFoldersReachedWithoutLinks_data()
{
    QTest::addColumn<LinkFreeResolution>("how");
    QTest::addColumn<QString>("path"); // below the temporary folder
    QTest::addColumn<QString>("reason"); // empty when it opens
    QTest::addColumn<int>("error");
    for (const auto &[how, label] :
        {std::pair {LinkFreeResolution::Best, "best"}, std::pair {LinkFreeResolution::ComponentWalk, "walk"}}) {
        const QString suffix = QStringLiteral(", ") + QLatin1String(label);
        QTest::addRow("real folders%s", qPrintable(suffix)) << how << "real/inner" << QString() << 0;
        QTest::addRow("last component a link%s", qPrintable(suffix)) << how << "real/link"
                                                                     << "real/link> is a symbolic link" << ELOOP;
        QTest::addRow("link on the way%s", qPrintable(suffix)) << how << "linked/inner"
                                                               << "/linked> is a symbolic link" << ELOOP;
        QTest::addRow("file on the way%s", qPrintable(suffix)) << how << "file/inner"
                                                               << "/file> is not a folder" << ENOTDIR;
        QTest::addRow("missing%s", qPrintable(suffix)) << how << "real/missing"
                                                       << "real/missing>" << ENOENT;
        QTest::addRow("not clean%s", qPrintable(suffix)) << how << "real/../real/inner"
                                                         << "not a plain absolute path" << EINVAL;
    }
}

void TestRealFolder::shouldOpenOnlyFoldersReachedWithoutLinks()
{
    QFETCH(LinkFreeResolution, how);
    QFETCH(QString, path);
    QFETCH(QString, reason);
    QFETCH(int, error);
    QTemporaryDir dir;
    const QString base = dir.path();
    QVERIFY(QDir().mkpath(base + QStringLiteral("/real/inner")));
    QVERIFY(QFile::link(base + QStringLiteral("/real"), base + QStringLiteral("/linked")));
    QVERIFY(QFile::link(base + QStringLiteral("/real/inner"), base + QStringLiteral("/real/link")));
    QFile file(base + QStringLiteral("/file"));
    QVERIFY(file.open(QIODevice::WriteOnly));

    const OpenedFolder opened = openRealFolder(base + u'/' + path, how);

    QCOMPARE(opened.fd.isValid(), reason.isEmpty());
    QVERIFY2(opened.reason.contains(reason), qPrintable(opened.reason));
    QCOMPARE(opened.error, error);
}

void TestRealFolder::shouldRefuseLinkBelowOpenFolder()
{
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.path() + QStringLiteral("/real/inner")));
    QVERIFY(QFile::link(dir.path() + QStringLiteral("/real"), dir.path() + QStringLiteral("/linked")));
    const OpenedFolder base = openRealFolder(dir.path());
    QVERIFY(base.fd.isValid());

    QVERIFY(openRealFolderBelow(base.fd.get(), dir.path(), QStringLiteral("real/inner")).fd.isValid());
    const OpenedFolder linked = openRealFolderBelow(base.fd.get(), dir.path(), QStringLiteral("linked/inner"));
    QVERIFY(!linked.fd.isValid());
    QCOMPARE(linked.reason, QStringLiteral("<%1/linked> is a symbolic link").arg(dir.path()));
}

QTEST_GUILESS_MAIN(TestRealFolder)
#include "tst_realfolder.moc"
