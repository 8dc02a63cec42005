#include "defaults/VelTruthValue.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestVelTruthValue : public QObject {
    Q_OBJECT

private slots:
    void strings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("truth");
        QTest::newRow("YES") << u"YES"_s << true;
        QTest::newRow("yes") << u"yes"_s << true;
        QTest::newRow("true") << u"true"_s << true;
        QTest::newRow("T") << u"T"_s << true;
        QTest::newRow("one") << u"1"_s << true;
        QTest::newRow("nine") << u"9"_s << true;
        QTest::newRow("leading zeros then digit") << u"0007"_s << true;
        QTest::newRow("white space and sign") << u" \t\n+1"_s << true;
        QTest::newRow("negative") << u"-3"_s << true;
        QTest::newRow("sign then y") << u"-yes"_s << true;
        QTest::newRow("zero") << u"0"_s << false;
        QTest::newRow("zeros") << u"000"_s << false;
        QTest::newRow("zero point five") << u"0.5"_s << false;
        QTest::newRow("NO") << u"NO"_s << false;
        QTest::newRow("false") << u"false"_s << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("white space only") << u"   "_s << false;
        QTest::newRow("two signs") << u"+-1"_s << false;
        QTest::newRow("word") << u"enabled"_s << false;
        QTest::newRow("zeros then letter") << u"00y"_s << true;
    }

    void strings()
    {
        QFETCH(QString, text);
        QFETCH(bool, truth);
        QCOMPARE(VelStringTruthValue(text), truth);
        QCOMPARE(VelTruthValue(plist::Value(text)), truth);
    }

    void otherKinds_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("truth");
        QTest::newRow("none") << 0 << false;
        QTest::newRow("true") << 1 << true;
        QTest::newRow("false") << 2 << false;
        QTest::newRow("integer 1") << 3 << true;
        QTest::newRow("integer 0") << 4 << false;
        QTest::newRow("integer -1") << 5 << true;
        QTest::newRow("real 0.5") << 6 << true;
        QTest::newRow("real 0") << 7 << false;
        QTest::newRow("huge unsigned") << 8 << true;
        QTest::newRow("array") << 9 << false;
        QTest::newRow("dictionary") << 10 << false;
        QTest::newRow("data") << 11 << false;
        QTest::newRow("date") << 12 << false;
        QTest::newRow("non-empty array") << 13 << false;
    }

    void otherKinds()
    {
        QFETCH(int, row);
        QFETCH(bool, truth);
        plist::ArrayPtr filled = plist::Array::create();
        filled->append(true);
        const std::vector<plist::Value> values = {
            plist::Value(),
            plist::Value(true),
            plist::Value(false),
            plist::Value(1),
            plist::Value(0),
            plist::Value(-1),
            plist::Value(0.5),
            plist::Value(0.0),
            plist::Value::fromUnsigned(quint64(1) << 63),
            plist::Value(plist::Array::create()),
            plist::Value(plist::Dictionary::create()),
            plist::Value::fromData("YES"),
            plist::Value(plist::Date {1.0}),
            plist::Value(filled),
        };
        QCOMPARE(VelTruthValue(values.at(size_t(row))), truth);
    }
};

QTEST_GUILESS_MAIN(TestVelTruthValue)
#include "tst_veltruthvalue.moc"
