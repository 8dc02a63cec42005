// The context menu of the services pane, reload, the About and
// Preferences sheets and the web pages.

#include "VelTidyController.h"

#include "VelEventPump.h"
#include "VelProvidersTableModel.h"
#include "VelServicesOutlineModel.h"
#include "VelServicesTableModel.h"

#include <model/VelServiceEntry.h>
#include <ui/VelInterfaceFile.h>
#include <ui/VelLinkLabel.h>
#include <update/VelOrbUpdateChecker.h>

#include <bundles/VelBundle.h>
#include <defaults/VelUserDefaults.h>
#include <gui/VelBeep.h>
#include <gui/VelDesktop.h>
#include <log/VelLog.h>
#include <util/VelFormat.h>
#include <util/VelPathUtilities.h>
#include <util/gui/VelCheckBoxState.h>

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTreeView>
#include <QUrl>

namespace {

const QString kBootVolumeServicesOnly = QStringLiteral("Boot Volume Services Only");
const QString kShowServicesMenuSources = QStringLiteral("Show Services Menu Sources");
// The About sheet's version line: the version, then the copyright notice.
const QString kVersionFormat = QStringLiteral("Version %@ \u2014 \u00a9 2007\u20132025 Quillfen");

QString infoString(const char *key)
{
    return VelBundle::mainBundle().objectForInfoDictionaryKey(QLatin1StringView(key)).toString();
}

using Command = void (VelTidyController::*)();

// An item without a command is shown disabled.
void addMenuItem(QMenu *menu, VelTidyController *target, const QString &title, Command command)
{
    QAction *action = menu->addAction(VelLocalizedString(title));
    if (command)
        QObject::connect(action, &QAction::triggered, target, command);
    else
        action->setEnabled(false);
}

void logMissingInterfaceFile()
{
    VelLog(QStringLiteral("cannot load nib file"));
    VelBeep();
}

} // namespace

QMenu *VelTidyController::contextMenuForView(QWidget *view)
{
    auto *menu = new QMenu(QStringLiteral("EnableDisable"));
    bool providerMode = false;
    if (view && view == m_servicesTableView)
        providerMode = true;
    else if (view && view == m_servicesOutlineView)
        providerMode = false;
    else
        providerMode = isViewInWindow(m_servicesTableView);

    bool anyExpanded = false, anyCollapsed = false, anyRevertable = false, anyEnabled = false, anyDisabled = false;
    std::vector<VelProviderPtr> providers;
    if (!providerMode) {
        for (const plist::Value &value : *services()) {
            const plist::DictionaryPtr item = value.toDictionary();
            if (!outlineViewIsItemExpandable(item))
                continue;
            (m_servicesOutlineView->isExpanded(m_outlineModel->indexOfItem(item)) ? anyExpanded : anyCollapsed) = true;
            if (anyExpanded && anyCollapsed)
                break;
        }
        addMenuItem(menu, this, QStringLiteral("Expand all submenus"),
            anyCollapsed ? &VelTidyController::expandAllServices : nullptr);
        addMenuItem(menu, this, QStringLiteral("Collapse all submenus"),
            anyExpanded ? &VelTidyController::collapseAllServices : nullptr);
        menu->addSeparator();
        providers = applications();
    } else if (const VelProviderPtr provider = selectedApplication()) {
        providers = {provider};
    }

    for (const VelProviderPtr &provider : providers) {
        anyRevertable = anyRevertable || provider->canRevert();
        if (const plist::ArrayPtr list = provider->services()) {
            for (const plist::Value &value : *list) {
                const plist::DictionaryPtr service = value.toDictionary();
                if (service && serviceMenuItemTitle(service))
                    (isServiceEnabled(service) ? anyEnabled : anyDisabled) = true;
            }
        }
        if (anyRevertable && anyEnabled && anyDisabled)
            break;
    }
    addMenuItem(menu, this, QStringLiteral("Enable all"),
        anyDisabled ? &VelTidyController::enableSelectedApplicationServices : nullptr);
    addMenuItem(menu, this, QStringLiteral("Disable all"),
        anyEnabled ? &VelTidyController::disableSelectedApplicationServices : nullptr);
    menu->addSeparator();
    addMenuItem(menu, this, QStringLiteral("Revert all"),
        anyRevertable ? &VelTidyController::revertSelectedApplication : nullptr);
    return menu;
}

void VelTidyController::reload()
{
    // The scan lets the event loop run; a second reload must not start
    // inside it, nor one while a save is running.
    if (m_reloading || m_saving)
        return;
    m_reloading = true;
    m_mainWindow->setWindowModified(false);
    m_reloadButton->setEnabled(false);
    m_reloadButton->repaint();
    m_saveButton->setEnabled(false);
    m_saveButton->repaint();
    m_progressIndicator->setRange(0, 0);
    showProgressIndicator(true, 0.0);
    VelEventPump pump;
    m_applicationsTableView->clearSelection();
    pump.pump();

    runDiscoveryKeepingWindowAlive(pump);
    pump.pump();
    m_catalogue.rebuildServiceMenuRepresentation([&pump] { pump.pumpIfDue(); });
    pump.pump();
    m_providersModel->reloadData();
    if (!applications().empty()) {
        m_applicationsTableView->selectRow(0);
        m_applicationsTableView->scrollTo(m_providersModel->index(0, 0));
    }
    pump.pump();
    updateStatusTextField();
    showProgressIndicator(false, 0.0);
    m_reloadButton->setEnabled(true);
    m_reloading = false;
}

void VelTidyController::runDiscoveryKeepingWindowAlive(VelEventPump &pump)
{
    // The views are emptied before the scan refills the catalogue, since they
    // paint while it runs and must never show providers the models have not
    // announced. The old providers go now rather than after the scan, a few
    // at a time: freeing thousands of parsed Info.plist files at once would
    // hold the window still.
    std::vector<VelProviderPtr> oldProviders = applications();
    m_catalogue.setApplications({});
    m_catalogue.rebuildServiceMenuRepresentation();
    m_providersModel->reloadData();
    m_servicesModel->reloadData();
    m_outlineModel->reloadData();
    for (VelProviderPtr &provider : oldProviders) {
        provider.reset();
        pump.pumpIfDue();
    }

    VelDiscoveryProgress progress;
    progress.showStatus = [this, &pump](const QString &text) {
        VelSetStringValue(m_statusTextField, text);
        pump.pump();
    };
    progress.advance = [&pump] { pump.pumpIfDue(); };
    m_catalogue.reloadApplications(progress);
}

void VelTidyController::showSheet(QDialog *sheet)
{
    sheet->setWindowModality(Qt::WindowModal);
    sheet->open();
}

void VelTidyController::about()
{
    if (!m_aboutSheet) {
        QWidget *loaded = VelLoadInterfaceFile(QStringLiteral("About"), m_mainWindow);
        auto *sheet = qobject_cast<QDialog *>(loaded);
        auto *text = sheet ? sheet->findChild<QLabel *>(QStringLiteral("aboutTextField")) : nullptr;
        if (!text) {
            delete loaded;
            logMissingInterfaceFile();
            return;
        }
        m_aboutSheet = sheet;
        m_aboutTextField = text;
        VelSetStringValue(text, VelFormat(VelLocalizedString(kVersionFormat), {versionString()}));
        if (auto *ok = sheet->findChild<QPushButton *>(QStringLiteral("aboutOKButton")))
            connect(ok, &QPushButton::clicked, this, &VelTidyController::aboutOK);
    }
    showSheet(m_aboutSheet);
}

void VelTidyController::aboutOK()
{
    if (m_aboutSheet)
        m_aboutSheet->done(QDialog::Accepted);
}

void VelTidyController::preferences()
{
    // Its OK may reload the catalogue, which a running save still uses.
    if (m_saving)
        return;
    if (!m_preferencesSheet) {
        QWidget *loaded = VelLoadInterfaceFile(QStringLiteral("Preferences"), m_mainWindow);
        auto *sheet = qobject_cast<QDialog *>(loaded);
        auto *restrict = sheet ? sheet->findChild<QCheckBox *>(QStringLiteral("restrictSourceSwitch")) : nullptr;
        auto *show = sheet ? sheet->findChild<QCheckBox *>(QStringLiteral("showSourceSwitch")) : nullptr;
        if (!restrict || !show) {
            delete loaded;
            logMissingInterfaceFile();
            return;
        }
        m_preferencesSheet = sheet;
        m_restrictSourceSwitch = restrict;
        m_showSourceSwitch = show;
        const VelUserDefaults &defaults = VelUserDefaults::standardUserDefaults();
        setNSOnState(restrict, defaults.boolForKey(kBootVolumeServicesOnly));
        setNSOnState(show, defaults.boolForKey(kShowServicesMenuSources));
        if (auto *ok = sheet->findChild<QPushButton *>(QStringLiteral("preferencesOKButton")))
            connect(ok, &QPushButton::clicked, this, &VelTidyController::preferencesOK);
        connectUpdateChecker(sheet);
        // The sheet has no way to close without applying: Escape applies too.
        connect(sheet, &QDialog::rejected, this, &VelTidyController::preferencesOK);
    }
    showSheet(m_preferencesSheet);
}

// The sheet shows the shared update checker's switch and status; its two
// buttons run the checker's commands and follow their enabled state.
void VelTidyController::connectUpdateChecker(QWidget *sheet)
{
    VelOrbUpdateChecker &checker = VelOrbUpdateChecker::updateChecker();
    checker.awakeFromNib(sheet);
    const std::pair<const char *, QAction *> buttons[] = {
        {"checkNowButton", checker.checkForUpdatesAction()},
        {"visitWebSiteButton", checker.visitWebSiteAction()},
    };
    for (const auto &[name, action] : buttons) {
        auto *button = sheet->findChild<QPushButton *>(QLatin1String(name));
        if (!button)
            continue;
        connect(button, &QPushButton::clicked, action, &QAction::trigger);
        button->setEnabled(action->isEnabled());
        connect(action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
    }
}

void VelTidyController::preferencesOK()
{
    if (!m_preferencesSheet)
        return;
    VelUserDefaults &defaults = VelUserDefaults::standardUserDefaults();
    const bool restrict = isStateNSOnState(m_restrictSourceSwitch);
    if (restrict != defaults.boolForKey(kBootVolumeServicesOnly)) {
        defaults.setBool(restrict, kBootVolumeServicesOnly);
        reload();
    }
    defaults.setBool(isStateNSOnState(m_showSourceSwitch), kShowServicesMenuSources);
    m_outlineModel->setNeedsDisplay();
    if (m_preferencesSheet->isVisible())
        m_preferencesSheet->done(QDialog::Accepted);
}

void VelTidyController::goHome()
{
    VelOpenURL(QUrl(infoString("VelmoraProductPage")));
}

void VelTidyController::donate()
{
    // The parameters follow a further slash, without a question mark.
    const QString address = infoString("VelmoraDonationPage") + QStringLiteral("/business=")
        + QString::fromLatin1(QUrl::toPercentEncoding(infoString("VelmoraDonationPayee")))
        + QStringLiteral("&item_name=Velmora&no_shipping=1&tax=0&currency_code=")
        + VelLocalizedString(QStringLiteral("USD"));
    VelOpenURL(QUrl(address, QUrl::TolerantMode));
}

void VelTidyController::doNothing()
{
}
