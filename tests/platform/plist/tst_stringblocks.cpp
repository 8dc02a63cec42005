// The readers' string store: strings handed out must behave as ordinary
// QStrings whatever happens to the store and to the other strings of their
// block.
#include "plist/StringBlocks.h"

#include <QTest>

#include <vector>

namespace {

QString put(plist::StringBlocks &blocks, const QString &text)
{
    char16_t *units = blocks.newString(text.size());
    std::copy(text.utf16(), text.utf16() + text.size(), units);
    return blocks.handOut(blocks.count() - 1);
}

QString word(int i)
{
    return QStringLiteral("word-%1-").arg(i) + QString(i % 40, QChar(u'a' + i % 26));
}

} // namespace

class TestStringBlocks : public QObject {
    Q_OBJECT

private slots:
    // Thousands of short strings fill many shared blocks; with long ones
    // between them, and handed out far more often than one batch of
    // references, they all keep their text after the store is gone.
    void stringsShouldOutliveTheStore()
    {
        std::vector<QString> kept;
        {
            plist::StringBlocks blocks;
            for (int i = 0; i < 3000; ++i) {
                kept.push_back(put(blocks, word(i)));
                if (i % 500 == 0)
                    kept.push_back(put(blocks, QString(1000 + i, QChar(u'L'))));
            }
            for (int n = 0; n < 5000; ++n)
                kept.push_back(blocks.handOut(0));
        }
        int next = 0;
        for (int i = 0; i < 3000; ++i) {
            QCOMPARE(kept[size_t(next++)], word(i));
            if (i % 500 == 0)
                QCOMPARE(kept[size_t(next++)], QString(1000 + i, QChar(u'L')));
        }
        for (size_t n = kept.size() - 5000; n < kept.size(); ++n)
            QCOMPARE(kept[n], word(0));
    }

    // The last string left in its block may grow over its dead neighbours;
    // that must never reach a string of another block, nor a copy taken
    // while the neighbours still lived.
    void loneSurvivorShouldGrowWithoutTouchingOthers()
    {
        QString survivor;
        QString copyOfSurvivor;
        QString otherBlock;
        QString otherBlockCopy;
        {
            plist::StringBlocks blocks;
            survivor = put(blocks, QStringLiteral("first"));
            copyOfSurvivor = survivor;
            std::vector<QString> neighbours;
            for (int i = 0; i < 200; ++i) // enough to fill several blocks
                neighbours.push_back(put(blocks, word(i)));
            otherBlock = neighbours.back();
            otherBlockCopy = QString(otherBlock.constData(), otherBlock.size());
        }
        copyOfSurvivor = QString(); // the survivor now holds its block alone
        survivor.append(QString(100, QChar(u'x')));
        QCOMPARE(survivor, QStringLiteral("first") + QString(100, QChar(u'x')));
        QCOMPARE(otherBlock, otherBlockCopy);
        survivor.append(QString(5000, QChar(u'y'))); // beyond any block
        QCOMPARE(survivor.size(), 5105);
        QCOMPARE(otherBlock, otherBlockCopy);

        // A survivor whose block still has another living string copies first.
        QString a;
        QString b;
        {
            plist::StringBlocks blocks;
            a = put(blocks, QStringLiteral("aa"));
            b = put(blocks, QStringLiteral("bb"));
        }
        a.append(QStringLiteral("AAAA"));
        QCOMPARE(a, QStringLiteral("aaAAAA"));
        QCOMPARE(b, QStringLiteral("bb"));
    }

    void textComparisonAndAsciiShortcut()
    {
        plist::StringBlocks blocks;
        (void)put(blocks, QStringLiteral("same"));
        (void)put(blocks, QStringLiteral("same"));
        (void)put(blocks, QStringLiteral("sama"));
        QVERIFY(blocks.sameText(0, 1));
        QVERIFY(!blocks.sameText(0, 2));
        QCOMPARE(blocks.asciiString("plain ASCII, longer than sixteen bytes"),
            QStringLiteral("plain ASCII, longer than sixteen bytes"));
        QVERIFY(blocks.asciiString("caf\xc3\xa9").isNull());
        QVERIFY(blocks.asciiString("").isNull());
    }
};

QTEST_GUILESS_MAIN(TestStringBlocks)
#include "tst_stringblocks.moc"
