// The context menu of the services pane in both modes, and the commands it
// and the window's menus send.

#include "WindowTestSupport.h"

#include <gui/VelDesktop.h>

#include <QMenu>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace WindowTest;

namespace {

// "Title" for an enabled item, "(Title)" for a disabled one, "-" for a separator.
QStringList itemsOf(const QMenu *menu)
{
    QStringList items;
    for (const QAction *action : menu->actions()) {
        if (action->isSeparator())
            items << u"-"_s;
        else
            items << (action->isEnabled() ? action->text() : u'(' + action->text() + u')');
    }
    return items;
}

} // namespace

class TestContextMenu : public QObject {
    Q_OBJECT

    VelTidyController *c = nullptr;

private slots:
    void initTestCase()
    {
        c = window();
        QVERIFY(c);
        attachModelTesters(c, this);
        c->mainWindow()->show();
    }
    void cleanupTestCase() { c->releaseInterface(); }

    void menuShouldOfferWhatItsCommandsWouldChange_data()
    {
        QTest::addColumn<QString>("view"); // outline, table or button
        QTest::addColumn<QString>("provider");
        QTest::addColumn<int>("expandedFolders");
        QTest::addColumn<QString>("disabledService");
        QTest::addColumn<QStringList>("items");
        const QString menuMode = u"%1,%2,-,(Enable all),Disable all,-,(Revert all)"_s;
        QTest::newRow("outline, all collapsed")
            << u"outline"_s << QString() << 0 << QString()
            << menuMode.arg(u"Expand all submenus"_s, u"(Collapse all submenus)"_s).split(u',');
        QTest::newRow("outline, one of two expanded")
            << u"outline"_s << QString() << 1 << QString()
            << menuMode.arg(u"Expand all submenus"_s, u"Collapse all submenus"_s).split(u',');
        QTest::newRow("outline, all expanded")
            << u"outline"_s << QString() << 2 << QString()
            << menuMode.arg(u"(Expand all submenus)"_s, u"Collapse all submenus"_s).split(u',');
        QTest::newRow("button on the services menu row")
            << u"button"_s << QString() << 0 << QString()
            << menuMode.arg(u"Expand all submenus"_s, u"(Collapse all submenus)"_s).split(u',');
        QTest::newRow("table, all enabled")
            << u"table"_s << u"Alpha"_s << 0 << QString() << u"(Enable all),Disable all,-,(Revert all)"_s.split(u',');
        QTest::newRow("button on a provider")
            << u"button"_s << u"Alpha"_s << 0 << QString() << u"(Enable all),Disable all,-,(Revert all)"_s.split(u',');
        QTest::newRow("table, one disabled")
            << u"table"_s << u"Beta"_s << 0 << u"Beta"_s << u"Enable all,Disable all,-,Revert all"_s.split(u',');
        QTest::newRow("table, untitled services only")
            << u"table"_s << u"Gamma"_s << 0 << QString() << u"(Enable all),(Disable all),-,(Revert all)"_s.split(u',');
    }
    void menuShouldOfferWhatItsCommandsWouldChange()
    {
        QFETCH(QString, view);
        QFETCH(QString, provider);
        QFETCH(int, expandedFolders);
        QFETCH(QString, disabledService);
        QFETCH(QStringList, items);
        SampleVolume volume;
        c->reload();
        selectProvider(c, provider);
        if (!disabledService.isEmpty())
            setServiceEnabled(WindowTest::provider(c, disabledService)->serviceAtIndex(0), false);
        const QStringList folders = {u"Mail"_s, u"Text"_s};
        for (int i = 0; i < expandedFolders; ++i)
            c->servicesOutlineView()->expand(outlineRow(c, folders[i]));

        QWidget *asking = view == u"outline"_s ? static_cast<QWidget *>(c->servicesOutlineView())
            : view == u"table"_s               ? static_cast<QWidget *>(c->servicesTableView())
                                               : c->mainWindow()->findChild<QToolButton *>(u"contextButton"_s);
        QVERIFY(asking);
        std::unique_ptr<QMenu> menu(c->contextMenuForView(asking));
        QCOMPARE(menu->title(), u"EnableDisable"_s);
        QCOMPARE(itemsOf(menu.get()), items);
    }

    void expandAllShouldOpenTheTopLevelOnly()
    {
        SampleVolume volume;
        c->reload();
        c->expandAllServices();
        QTreeView *outline = c->servicesOutlineView();
        const QModelIndex text = outlineRow(c, u"Text"_s);
        QVERIFY(outline->isExpanded(text));
        QVERIFY(outline->isExpanded(outlineRow(c, u"Mail"_s)));
        const QModelIndex nested = c->outlineModel()->index(0, 0, text);
        QCOMPARE(nested.data().toString(), u"Case"_s);
        QVERIFY(!outline->isExpanded(nested));
        // A selection change keeps the folders open; a rebuilt tree starts closed.
        selectProvider(c, u"Beta"_s);
        selectProvider(c, QString());
        QVERIFY(outline->isExpanded(outlineRow(c, u"Text"_s)));
        c->collapseAllServices();
        QVERIFY(!outline->isExpanded(outlineRow(c, u"Text"_s)));
    }

    void commandsShouldActOnTheSelection_data()
    {
        QTest::addColumn<QString>("provider");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QList<int>>("enabledCounts"); // Alpha, Beta, Delta
        QTest::addColumn<bool>("dirty");
        QTest::newRow("disable all of one provider") << u"Beta"_s << u"disable"_s << QList<int> {2, 0, 1} << true;
        QTest::newRow("disable all of the menu") << QString() << u"disable"_s << QList<int> {0, 0, 0} << true;
        QTest::newRow("enable all of the menu") << QString() << u"enable"_s << QList<int> {3, 2, 1} << false;
        QTest::newRow("revert all of the menu") << QString() << u"revert"_s << QList<int> {3, 2, 1} << false;
        QTest::newRow("revert one provider") << u"Beta"_s << u"revert"_s << QList<int> {2, 2, 1} << true;
    }
    void commandsShouldActOnTheSelection()
    {
        QFETCH(QString, provider);
        QFETCH(QString, command);
        QFETCH(QList<int>, enabledCounts);
        QFETCH(bool, dirty);
        SampleVolume volume;
        c->reload();
        // One service of Alpha and one of Beta start disabled.
        setServiceEnabled(WindowTest::provider(c, u"Alpha"_s)->serviceAtIndex(0), false);
        setServiceEnabled(WindowTest::provider(c, u"Beta"_s)->serviceAtIndex(0), false);
        selectProvider(c, provider);
        if (command == u"disable"_s)
            c->disableSelectedApplicationServices();
        else if (command == u"enable"_s)
            c->enableSelectedApplicationServices();
        else
            c->revertSelectedApplication();

        const QList<int> counts = {enabledServiceCount(WindowTest::provider(c, u"Alpha"_s)),
            enabledServiceCount(WindowTest::provider(c, u"Beta"_s)),
            enabledServiceCount(WindowTest::provider(c, u"Delta"_s))};
        QCOMPARE(counts, enabledCounts);
        QCOMPARE(c->saveButton()->isEnabled(), dirty);
        QCOMPARE(c->mainWindow()->isWindowModified(), dirty);
        // The outline shows the rebuilt tree.
        QCOMPARE(c->outlineModel()->rowCount(), 4);
    }

    void webPagesShouldOpenTheBundlesAddresses_data()
    {
        QTest::addColumn<bool>("donation");
        QTest::addColumn<QString>("address");
        QTest::newRow("home") << false << u"https://www.quillfen.com/velmora/"_s;
        QTest::newRow("donate") << true
                                << u"https://www.paypal.com/xclick/business=donations%40quillfen.com&item_name=Velmora"
                                   "&no_shipping=1&tax=0&currency_code=USD"_s;
    }
    void webPagesShouldOpenTheBundlesAddresses()
    {
        QFETCH(bool, donation);
        QFETCH(QString, address);
        const VelDesktopCapture desktop;
        if (donation)
            c->donate();
        else
            c->goHome();
        QCOMPARE(desktop.openedUrls().size(), 1);
        QCOMPARE(desktop.openedUrls().first().toString(QUrl::FullyEncoded), address);
    }
};

QTEST_MAIN(TestContextMenu)
#include "tst_contextmenu.moc"
