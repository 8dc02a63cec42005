#include "gui/VelBeep.h"
#include "gui/VelDesktop.h"

#include <QApplication>
#include <QTest>

using namespace Qt::StringLiterals;

class TestVelDesktop : public QObject {
    Q_OBJECT

private slots:
    void beepsShouldBeCounted()
    {
        const int before = VelBeepCount();
        VelBeep();
        VelBeep();
        QCOMPARE(VelBeepCount(), before + 2);
    }

    void captureShouldRecordRequestsInsteadOfSendingThem()
    {
        VelDesktopCapture capture;
        QVERIFY(VelOpenURL(QUrl(u"https://example.org/velmora/"_s)));
        QVERIFY(VelRevealInFileManager(u"/Applications/TextEdit.app"_s));
        QCOMPARE(capture.openedUrls(), QList<QUrl> {QUrl(u"https://example.org/velmora/"_s)});
        QCOMPARE(capture.revealedPaths(), QStringList {u"/Applications/TextEdit.app"_s});
    }

    void innerCaptureShouldHandBackToTheOuterOne()
    {
        VelDesktopCapture outer;
        {
            VelDesktopCapture inner;
            VelRevealInFileManager(u"/a"_s);
            QCOMPARE(inner.revealedPaths().size(), 1);
        }
        VelRevealInFileManager(u"/b"_s);
        QCOMPARE(outer.revealedPaths(), QStringList {u"/b"_s});
    }
};

QTEST_MAIN(TestVelDesktop)
#include "tst_veldesktop.moc"
