#include <util/VelFormat.h>

#include <QTest>

using namespace Qt::StringLiterals;

class TestVelFormat : public QObject {
    Q_OBJECT

private slots:
    void shouldFillPlaceholdersInOrder_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("result");
        QTest::newRow("object and object")
            << u"Untitled Service: [%@ %@]"_s << QStringList {u"Port"_s, u"msg"_s} << u"Untitled Service: [Port msg]"_s;
        QTest::newRow("integers") << u"%d of %d services"_s << QStringList {u"5"_s, u"12"_s} << u"5 of 12 services"_s;
        QTest::newRow("percent sign") << u"100%% of %d"_s << QStringList {u"3"_s} << u"100% of 3"_s;
        QTest::newRow("argument holding a placeholder")
            << u"[%@]-[%@]"_s << QStringList {u"%@"_s, u"x"_s} << u"[%@]-[x]"_s;
        QTest::newRow("missing argument") << u"%@ and %@"_s << QStringList {u"one"_s} << u"one and "_s;
        QTest::newRow("trailing percent") << u"50%"_s << QStringList {} << u"50%"_s;
        QTest::newRow("other directive kept") << u"%s"_s << QStringList {u"x"_s} << u"%s"_s;
    }

    void shouldFillPlaceholdersInOrder()
    {
        QFETCH(QString, format);
        QFETCH(QStringList, arguments);
        QFETCH(QString, result);
        QCOMPARE(VelFormat(format, arguments), result);
    }
};

QTEST_APPLESS_MAIN(TestVelFormat)
#include "tst_velformat.moc"
