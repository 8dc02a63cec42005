// The service inspector: how it opens, what it shows, what OK stores, and
// the key capture of its shortcut field.

#include "WindowTestSupport.h"

#include <ui/VelInspectorWindow.h>
#include <ui/VelLinkLabel.h>

#include <plist/PropertyList.h>
#include <util/VelPathUtilities.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;
using namespace WindowTest;

namespace {

// Marks a field left as the sheet filled it.
const QString kKeep = u"<keep>"_s;

} // namespace

class TestInspector : public QObject {
    Q_OBJECT

    VelTidyController *c = nullptr;

    // A provider "A" with one service, its table shown.
    QString addProviderA(VelTest::Volume &volume, const QString &menuPath, const QString &key = u"c"_s)
    {
        const QString bundle = volume.addProvider(u"/Applications/A.app"_s, {VelTest::entryWithKey(menuPath, key)});
        c->reload();
        selectProvider(c, u"A"_s);
        return bundle;
    }
    plist::DictionaryPtr serviceOfA() { return provider(c, u"A"_s)->serviceAtIndex(0); }
    bool openFromKeyColumn()
    {
        c->tableViewShouldEditTableColumn(VelTableKind::Services, VelKeyColumn, 0);
        return c->inspectorSheet() && c->inspectorSheet()->isVisible();
    }
    void press(const QString &name) { c->inspectorSheet()->findChild<QPushButton *>(name)->click(); }
    void typeKeys(const QString &keys)
    {
        QLineEdit *field = c->serviceKeyEquivalentTextField();
        for (const QChar key : keys) {
            if (key == u'\b')
                QTest::keyClick(field, Qt::Key_Backspace);
            else
                QTest::keyClick(field, key.toLatin1());
        }
    }

private slots:
    void initTestCase()
    {
        c = window();
        QVERIFY(c);
        attachModelTesters(c, this);
        c->mainWindow()->show();
    }
    void cleanup()
    {
        if (c->inspectorSheet())
            c->inspectorCancel();
    }
    void cleanupTestCase() { c->releaseInterface(); }

    void openingShouldFindTheService_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<bool>("opens");
        QTest::newRow("double click on the key column") << u"double click"_s << true;
        QTest::newRow("outline, owner found") << u"outline"_s << true;
        QTest::newRow("service no provider owns") << u"copy"_s << false;
        QTest::newRow("untitled service") << u"untitled"_s << false;
    }
    void openingShouldFindTheService()
    {
        QFETCH(QString, from);
        QFETCH(bool, opens);
        VelTest::Volume volume;
        volume.addProvider(u"/Applications/B.app"_s, {VelTest::entry(QString())});
        const QString bundle = addProviderA(volume, u"Text/Count"_s);
        if (c->inspectorSheet())
            c->inspectorSheet()->hide();

        if (from == u"double click"_s) {
            QTableView *table = c->servicesTableView();
            QVERIFY(QTest::qWaitForWindowExposed(c->mainWindow()));
            const QModelIndex key = c->servicesModel()->index(0, 1);
            // The view acts on a double click only after a press on the same cell.
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(key).center());
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(key).center());
        } else if (from == u"outline"_s) {
            selectProvidersRow(c, 0);
            const QModelIndex folder = outlineRow(c, u"Text"_s);
            c->servicesOutlineView()->expand(folder);
            c->showInspectorForEntry(c->outlineModel()->index(0, 0, folder));
        } else if (from == u"copy"_s) {
            c->showInspectorForService(plist::deepCopy(plist::Value(serviceOfA())).toDictionary(), nullptr);
        } else {
            c->showInspectorForService(provider(c, u"B"_s)->serviceAtIndex(0), nullptr);
        }

        QCOMPARE(c->inspectorSheet() && c->inspectorSheet()->isVisible(), opens);
        if (!opens)
            return;
        QVERIFY(c->currentInspectorService() == serviceOfA());
        QCOMPARE(c->serviceMenuItemTextField()->text(), u"Count"_s);
        QCOMPARE(c->serviceMenuItemTextField()->placeholderText(), u"Count"_s);
        QCOMPARE(c->serviceSubmenuTextField()->text(), u"Text"_s);
        QVERIFY(
            c->inspectorApplicationTextField()->text().startsWith(readablePathRepresentation(bundle).toHtmlEscaped()));
        QCOMPARE(VelLinkedPath(c->inspectorApplicationTextField()), bundle);
    }

    void okShouldStoreTheMenuPath_data()
    {
        QTest::addColumn<QString>("menuPath");
        QTest::addColumn<QString>("shownTitle");
        QTest::addColumn<QString>("shownSubmenu");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("submenu");
        QTest::addColumn<QString>("stored");
        QTest::newRow("title and submenu")
            << u"Look Up"_s << u"Look Up"_s << QString() << kKeep << u"Text"_s << u"Text/Look Up"_s;
        QTest::newRow("slash in the title")
            << u"One"_s << u"One"_s << QString() << u"Foo/Bar"_s << kKeep << u"Foo|Bar"_s;
        QTest::newRow("slash in the submenu") << u"One"_s << u"One"_s << QString() << u"C"_s << u"A/B"_s << u"A|B/C"_s;
        QTest::newRow("middle levels dropped") << u"A/B/C"_s << u"C"_s << u"A"_s << kKeep << kKeep << u"A/C"_s;
        QTest::newRow("emptied title") << u"Text/Count"_s << u"Count"_s << u"Text"_s << QString() << u"Other"_s
                                       << u"Other/Count"_s;
        QTest::newRow("submenu removed") << u"Text/Count"_s << u"Count"_s << u"Text"_s << kKeep << QString()
                                         << u"Count"_s;
    }
    void okShouldStoreTheMenuPath()
    {
        QFETCH(QString, menuPath);
        QFETCH(QString, shownTitle);
        QFETCH(QString, shownSubmenu);
        QFETCH(QString, title);
        QFETCH(QString, submenu);
        QFETCH(QString, stored);
        VelTest::Volume volume;
        addProviderA(volume, menuPath);
        QVERIFY(openFromKeyColumn());
        QCOMPARE(c->serviceMenuItemTextField()->text(), shownTitle);
        QCOMPARE(c->serviceSubmenuTextField()->text(), shownSubmenu);

        if (title != kKeep)
            c->serviceMenuItemTextField()->setText(title);
        if (submenu != kKeep)
            c->serviceSubmenuTextField()->setText(submenu);
        press(u"inspectorOKButton"_s);

        QVERIFY(!c->inspectorSheet()->isVisible());
        QCOMPARE(serviceMenuItemTitle(serviceOfA()), std::optional(stored));
        QCOMPARE(provider(c, u"A"_s)->isDirty(), stored != menuPath);
        QCOMPARE(c->saveButton()->isEnabled(), stored != menuPath);
        // The tree and the table follow at once.
        QCOMPARE(c->servicesModel()->index(0, 0).data().toString(),
            provider(c, u"A"_s)->readableMenuPathOfService(serviceOfA()));
        if (stored.contains(u'/'))
            QVERIFY(outlineRow(c, stored.section(u'/', 0, 0)).isValid());
    }

    void unchangedTranslationShouldStoreTheOriginal()
    {
        VelTest::Volume volume;
        volume.addStrings(u"/Applications/A.app"_s, u"English"_s, {{u"Lingo/Translate"_s, u"Text/Translate"_s}});
        addProviderA(volume, u"Lingo/Translate"_s);
        QVERIFY(openFromKeyColumn());
        QCOMPARE(c->serviceSubmenuTextField()->text(), u"Text"_s);

        press(u"inspectorOKButton"_s);

        QCOMPARE(serviceMenuItemTitle(serviceOfA()), std::optional(u"Lingo/Translate"_s));
        QVERIFY(!provider(c, u"A"_s)->isDirty());
    }

    void keyFieldShouldCaptureTheShortcut_data()
    {
        QTest::addColumn<QString>("typed"); // "\b" is the Delete key
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("stored"); // empty: no shortcut
        QTest::newRow("as opened") << QString() << u"[command]-[c]"_s << u"c"_s;
        QTest::newRow("lower-case letter") << u"c"_s << u"[command]-[C]"_s << u"c"_s;
        QTest::newRow("capital letter") << u"C"_s << u"[shift]-[command]-[C]"_s << u"C"_s;
        QTest::newRow("each key replaces the last") << u"xQ7"_s << u"[command]-[7]"_s << u"7"_s;
        QTest::newRow("delete") << u"x\b"_s << QString() << QString();
    }
    void keyFieldShouldCaptureTheShortcut()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        VelTest::Volume volume;
        addProviderA(volume, u"One"_s, u"c"_s);
        QVERIFY(openFromKeyColumn());

        typeKeys(typed);
        QCOMPARE(c->serviceKeyEquivalentTextField()->text(), shown);
        QCOMPARE(c->inspectorSheet()->keyEquivalent().value_or(QString()), stored);
        press(u"inspectorOKButton"_s);

        QCOMPARE(serviceKeyEquivalent(serviceOfA()).value_or(QString()), stored);
        QCOMPARE(provider(c, u"A"_s)->isDirty(), stored != u"c"_s);
    }

    void pastedTextShouldRemoveTheShortcut()
    {
        VelTest::Volume volume;
        addProviderA(volume, u"One"_s, u"c"_s);
        QVERIFY(openFromKeyColumn());

        c->serviceKeyEquivalentTextField()->selectAll();
        c->serviceKeyEquivalentTextField()->insert(u"abc"_s);

        QCOMPARE(c->serviceKeyEquivalentTextField()->text(), QString());
        QCOMPARE(c->inspectorSheet()->keyEquivalent(), std::nullopt);
    }

    void revertShouldRefillTheFieldsOnly_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("key");
        QTest::newRow("revert, then cancel") << u"inspectorCancelButton"_s << u"Changed"_s << u"x"_s;
        QTest::newRow("revert, then OK") << u"inspectorOKButton"_s << u"One"_s << u"c"_s;
    }
    void revertShouldRefillTheFieldsOnly()
    {
        QFETCH(QString, button);
        QFETCH(QString, title);
        QFETCH(QString, key);
        VelTest::Volume volume;
        addProviderA(volume, u"One"_s, u"c"_s);
        setServiceMenuItemTitle(serviceOfA(), u"Changed"_s);
        setServiceKeyEquivalent(serviceOfA(), u"x"_s);
        QVERIFY(openFromKeyColumn());
        QCOMPARE(c->serviceMenuItemTextField()->text(), u"Changed"_s);

        press(u"inspectorRevertButton"_s);
        QCOMPARE(c->serviceMenuItemTextField()->text(), u"One"_s);
        QCOMPARE(c->serviceKeyEquivalentTextField()->text(), u"[command]-[c]"_s);
        QCOMPARE(serviceMenuItemTitle(serviceOfA()), std::optional(u"Changed"_s));
        press(button);

        QVERIFY(!c->inspectorSheet()->isVisible());
        QCOMPARE(serviceMenuItemTitle(serviceOfA()), std::optional(title));
        QCOMPARE(serviceKeyEquivalent(serviceOfA()), std::optional(key));
    }
};

QTEST_MAIN(TestInspector)
#include "tst_inspector.moc"
