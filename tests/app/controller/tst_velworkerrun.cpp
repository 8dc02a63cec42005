// runWorkerForChangedInfoPlists with the real TidyWorker, run directly.

#include "VelWorkerRun.h"

#include <log/VelLog.h>
#include <plist/PropertyList.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString kWorker = QStringLiteral(VELMORA_BINARY_DIR "/Velmora.app/Contents/Resources/TidyWorker");

struct Events {
    QList<qsizetype> shown;
    QList<QPair<qsizetype, QString>> confirmed;
    QList<double> hidden;

    [[nodiscard]] VelWorkerRunObserver observer()
    {
        return {[this](qsizetype maximum) { shown << maximum; },
            [this](qsizetype k, const QString &path) { confirmed << qMakePair(k, path); },
            [this](double delay) { hidden << delay; }};
    }
};

plist::DictionaryPtr infoFor(const QString &name)
{
    auto info = plist::Dictionary::create();
    info->set(QStringLiteral("CFBundleName"), name);
    info->set(QStringLiteral("NSServices"), plist::Value(plist::Array::create()));
    return info;
}

} // namespace

class TestVelWorkerRun : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void shouldAnswerMinusOneWhenWorkerIsMissing();
    void shouldAnswerMinusTwoWhenSupportFolderFails_data();
    void shouldAnswerMinusTwoWhenSupportFolderFails();
    void shouldAnswerMinusThreeWhenReferenceCannotBeCreated();
    void shouldAnswerZeroAndWriteNothingWhenUserCancels();
    void shouldReportEveryConfirmedEntryInOrder();
    void shouldCountOnlyWhatTheWorkerConfirmed();
    void shouldWriteListNobodyElseMayWrite();
    void shouldListBundleContentsAndInfoPlistAsPathsToWrite();
    void shouldFindWorkerInResourcesOfApplicationBundle();

private:
    // Bundles with Info.plist files and the change list that disables
    // nothing but rewrites their services.
    plist::ArrayPtr makeBundles(int count);
    [[nodiscard]] VelWorkerRunPlaces places() const { return {kWorker, m_home}; }
    [[nodiscard]] QString listPath() const
    {
        return m_home + QStringLiteral("/Library/Application Support/Velmora/Changes.plist");
    }

    std::unique_ptr<QTemporaryDir> m_volume;
    QString m_home;
};

void TestVelWorkerRun::init()
{
    m_volume = std::make_unique<QTemporaryDir>();
    m_home = m_volume->filePath(QStringLiteral("Users/tester"));
    QVERIFY(QDir().mkpath(m_home + QStringLiteral("/Library")));
    qputenv("VELMORA_AUTHORIZATION", "direct");
}

void TestVelWorkerRun::cleanup()
{
    qunsetenv("VELMORA_AUTHORIZATION");
    m_volume.reset();
}

plist::ArrayPtr TestVelWorkerRun::makeBundles(int count)
{
    auto list = plist::Array::create();
    for (int i = 1; i <= count; ++i) {
        const QString bundle = m_volume->filePath(QStringLiteral("Applications/App%1.app").arg(i));
        const QString infoPath = bundle + QStringLiteral("/Contents/Info.plist");
        QDir().mkpath(bundle + QStringLiteral("/Contents"));
        const plist::DictionaryPtr info = infoFor(QStringLiteral("App%1").arg(i));
        if (!plist::writeXmlFile(plist::Value(info), infoPath))
            qWarning("cannot write the test bundle");
        const plist::DictionaryPtr changed = plist::deepCopy(plist::Value(info)).toDictionary();
        changed->set(QStringLiteral("Quillfen.Velmora.AllNSServices"), plist::Value(plist::Array::create()));
        auto entry = plist::Dictionary::create();
        entry->set(QStringLiteral("Info"), plist::Value(changed));
        entry->set(QStringLiteral("Info Path"), infoPath);
        entry->set(QStringLiteral("Package Path"), bundle);
        list->append(plist::Value(entry));
    }
    return list;
}

void TestVelWorkerRun::shouldAnswerMinusOneWhenWorkerIsMissing()
{
    Events events;

    const qint64 result = runWorkerForChangedInfoPlists(
        makeBundles(1), events.observer(), {m_volume->filePath(QStringLiteral("TidyWorker")), m_home});

    QCOMPARE(result, qint64(VelWorkerMissing));
    QVERIFY(!QFile::exists(listPath()));
    QVERIFY(events.shown.isEmpty() && events.hidden.isEmpty());
}

void TestVelWorkerRun::shouldAnswerMinusTwoWhenSupportFolderFails_data()
{
    QTest::addColumn<QString>("blocker"); // made a file, below the home folder
    QTest::addColumn<bool>("removeLibrary");
    QTest::newRow("no Library folder") << QString() << true;
    QTest::newRow("Application Support is a file") << "Library/Application Support" << false;
    QTest::newRow("Velmora is a file") << "Library/Application Support/Velmora" << false;
    QTest::newRow("Changes.plist is a folder") << QString() << false;
}

void TestVelWorkerRun::shouldAnswerMinusTwoWhenSupportFolderFails()
{
    QFETCH(QString, blocker);
    QFETCH(bool, removeLibrary);
    const plist::ArrayPtr list = makeBundles(1);
    if (removeLibrary)
        QVERIFY(QDir(m_home + QStringLiteral("/Library")).removeRecursively());
    if (!blocker.isEmpty()) {
        QDir().mkpath(QFileInfo(m_home + u'/' + blocker).path());
        QFile file(m_home + u'/' + blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    if (!removeLibrary && blocker.isEmpty())
        QVERIFY(QDir().mkpath(listPath() + QStringLiteral("/inside")));
    qputenv("VELMORA_AUTHORIZATION", "always"); // never reached

    QCOMPARE(runWorkerForChangedInfoPlists(list, {}, places()), qint64(VelWorkerListNotWritten));
}

void TestVelWorkerRun::shouldAnswerMinusThreeWhenReferenceCannotBeCreated()
{
    qputenv("VELMORA_AUTHORIZATION", "always");
    Events events;
    const VelLogCapture capture;

    QCOMPARE(
        runWorkerForChangedInfoPlists(makeBundles(2), events.observer(), places()), qint64(VelWorkerNoAuthorization));
    QVERIFY(QFile::exists(listPath()));
    QVERIFY(events.shown.isEmpty());
}

void TestVelWorkerRun::shouldAnswerZeroAndWriteNothingWhenUserCancels()
{
    qputenv("VELMORA_AUTHORIZATION", "deny");
    const plist::ArrayPtr list = makeBundles(2);
    const QString firstInfo = list->at(0).toDictionary()->value(u"Info Path").toString();
    QFile file(firstInfo);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    Events events;

    QCOMPARE(runWorkerForChangedInfoPlists(list, events.observer(), places()), qint64(0));

    QVERIFY(events.shown.isEmpty() && events.confirmed.isEmpty() && events.hidden.isEmpty());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QVERIFY(plist::contentEquals(plist::readFile(listPath()), plist::Value(list)));
}

void TestVelWorkerRun::shouldReportEveryConfirmedEntryInOrder()
{
    const plist::ArrayPtr list = makeBundles(3);
    Events events;

    const qint64 result = runWorkerForChangedInfoPlists(list, events.observer(), places());

    QCOMPARE(result, qint64(3));
    QCOMPARE(events.shown, QList<qsizetype> {3});
    QCOMPARE(events.confirmed.size(), 3);
    for (qsizetype k = 1; k <= 3; ++k) {
        QCOMPARE(events.confirmed[k - 1].first, k);
        QCOMPARE(events.confirmed[k - 1].second, list->at(k - 1).toDictionary()->value(u"Info Path").toString());
        const plist::Value written = plist::readFile(events.confirmed[k - 1].second);
        QVERIFY(written.toDictionary() && written.toDictionary()->contains(u"Quillfen.Velmora.AllNSServices"));
    }
    QCOMPARE(events.hidden, QList<double> {1.0});
}

void TestVelWorkerRun::shouldCountOnlyWhatTheWorkerConfirmed()
{
    const plist::ArrayPtr list = makeBundles(3);
    // The second entry now tries to change a key Velmora does not own.
    list->at(1).toDictionary()->value(u"Info").toDictionary()->set(QStringLiteral("CFBundleName"), QStringLiteral("X"));
    Events events;

    const qint64 result = runWorkerForChangedInfoPlists(list, events.observer(), places());

    QCOMPARE(result, qint64(1));
    QCOMPARE(events.confirmed.size(), 1);
    QCOMPARE(events.hidden, QList<double> {1.0});
}

void TestVelWorkerRun::shouldWriteListNobodyElseMayWrite()
{
    qputenv("VELMORA_AUTHORIZATION", "deny");
    const mode_t previous = ::umask(0);

    const qint64 result = runWorkerForChangedInfoPlists(makeBundles(1), {}, places());

    ::umask(previous);
    QCOMPARE(result, qint64(0));
    struct stat st { };
    QCOMPARE(::stat(QFile::encodeName(listPath()).constData(), &st), 0);
    QCOMPARE(st.st_mode & (S_IWGRP | S_IWOTH), mode_t(0));
    QVERIFY(st.st_mode & S_IRUSR);
}

void TestVelWorkerRun::shouldListBundleContentsAndInfoPlistAsPathsToWrite()
{
    const plist::ArrayPtr list = makeBundles(1);
    const QString bundle = list->at(0).toDictionary()->value(u"Package Path").toString();

    QCOMPARE(VelPathsToWrite(*list),
        (QStringList {bundle, bundle + QStringLiteral("/Contents"), bundle + QStringLiteral("/Contents/Info.plist")}));
}

void TestVelWorkerRun::shouldFindWorkerInResourcesOfApplicationBundle()
{
    if (qEnvironmentVariableIsSet("VELMORA_BUNDLE"))
        QSKIP("the main bundle is named from outside");

    // The tests live beside Velmora.app in the build tree.
    QCOMPARE(QFileInfo(VelWorkerRunPlaces::standard().workerPath).canonicalFilePath(),
        QFileInfo(kWorker).canonicalFilePath());
}

QTEST_GUILESS_MAIN(TestVelWorkerRun)
#include "tst_velworkerrun.moc"
