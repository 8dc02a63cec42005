// The service inspector: a sheet in which one service's title, submenu and
// shortcut are edited. OK writes into the service entry itself; the change
// reaches the disk with the next save.

#include "VelTidyController.h"

#include "VelProvidersTableModel.h"
#include "VelServicesOutlineModel.h"
#include "VelServicesTableModel.h"

#include <model/VelServiceEntry.h>
#include <model/VelServiceSorting.h>
#include <ui/VelInspectorWindow.h>
#include <ui/VelInterfaceFile.h>
#include <ui/VelLinkLabel.h>

#include <gui/VelBeep.h>
#include <log/VelLog.h>
#include <util/VelFormat.h>
#include <util/VelPathUtilities.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

template <typename Widget> Widget *childNamed(QWidget *root, const char *name)
{
    return root->findChild<Widget *>(QLatin1StringView(name));
}

// A "/" typed into a field is part of the title, never another menu level.
QString withoutLevelSeparators(QString text)
{
    return text.replace(u'/', u'|');
}

} // namespace

bool VelTidyController::loadInspectorSheet()
{
    if (m_inspectorSheet)
        return true;
    auto *sheet = new VelInspectorWindow(m_mainWindow);
    QWidget *content = VelLoadInterfaceFile(QStringLiteral("Inspector"), sheet);
    auto *title = content ? childNamed<QLineEdit>(content, "serviceMenuItemTextField") : nullptr;
    auto *submenu = content ? childNamed<QLineEdit>(content, "serviceSubmenuTextField") : nullptr;
    auto *key = content ? childNamed<QLineEdit>(content, "serviceKeyEquivalentTextField") : nullptr;
    auto *provider = content ? childNamed<QLabel>(content, "inspectorApplicationTextField") : nullptr;
    auto *ok = content ? childNamed<QPushButton>(content, "inspectorOKButton") : nullptr;
    auto *cancel = content ? childNamed<QPushButton>(content, "inspectorCancelButton") : nullptr;
    if (!title || !submenu || !key || !provider || !ok || !cancel) {
        delete sheet;
        VelLog(QStringLiteral("cannot load nib file"));
        VelBeep();
        return false;
    }
    sheet->setContent(content);
    sheet->setKeyEquivalentTextField(key);
    m_inspectorSheet = sheet;
    m_serviceMenuItemTextField = title;
    m_serviceSubmenuTextField = submenu;
    m_serviceKeyEquivalentTextField = key;
    m_inspectorApplicationTextField = provider;
    m_inspectorRevertButton = childNamed<QPushButton>(content, "inspectorRevertButton");
    VelConnectLinkToFileManager(provider);
    connect(ok, &QPushButton::clicked, this, &VelTidyController::inspectorOK);
    connect(cancel, &QPushButton::clicked, this, &VelTidyController::inspectorCancel);
    if (m_inspectorRevertButton)
        connect(m_inspectorRevertButton, &QPushButton::clicked, this, &VelTidyController::revertInspectorService);
    return true;
}

void VelTidyController::showInspectorForEntry(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    plist::DictionaryPtr service;
    if (index.model() == m_servicesModel.get()) {
        const VelProviderPtr provider = selectedApplication();
        service = provider ? provider->serviceAtIndex(index.row()) : nullptr;
    } else if (index.model() == m_outlineModel.get()) {
        service = m_outlineModel->itemAt(index);
    }
    showInspectorForService(service, nullptr);
}

void VelTidyController::showInspectorForService(const plist::DictionaryPtr &service, const VelProviderPtr &provider)
{
    // Folder nodes and untitled entries have no title to edit.
    if (m_saving || !service || isFolderNode(service) || !serviceMenuItemTitle(service))
        return;
    const VelProviderPtr owner = provider ? provider : m_catalogue.applicationForService(service);
    if (!owner || !loadInspectorSheet())
        return;
    m_currentInspectorApplication = owner;
    m_currentInspectorService = service;
    if (!populateInspectorWithMenuPath(owner->localizedMenuItemTitleOfService(service), serviceKeyEquivalent(service)))
        return;
    VelSetStringValueLink(m_inspectorApplicationTextField, readablePathRepresentation(owner->path()), owner->path());
    showSheet(m_inspectorSheet);
}

bool VelTidyController::populateInspectorWithMenuPath(
    const std::optional<QString> &menuPath, const std::optional<QString> &keyEquivalent)
{
    const QStringList components
        = m_currentInspectorApplication->menuPathComponentsFromMenuPath(menuPath, m_currentInspectorService);
    if (components.isEmpty())
        return false;
    const QString &title = components.last();
    m_serviceMenuItemTextField->setText(title);
    m_serviceMenuItemTextField->setPlaceholderText(title);
    // Only the first level is shown: levels between it and the title are
    // dropped when OK stores the path.
    m_serviceSubmenuTextField->setText(components.size() >= 2 ? components.first() : QString());
    m_inspectorSheet->setKeyEquivalent(keyEquivalent);
    m_serviceKeyEquivalentTextField->setText(VelServiceKeyEquivalentDescription(keyEquivalent));
    return true;
}

void VelTidyController::revertInspectorService()
{
    if (!m_currentInspectorService || !m_inspectorSheet)
        return;
    const QString originalKey = originalServiceKeyEquivalent(m_currentInspectorService);
    (void)populateInspectorWithMenuPath(
        m_currentInspectorApplication->originalLocalizedMenuItemTitleOfService(m_currentInspectorService),
        originalKey.isEmpty() ? std::nullopt : std::optional(originalKey));
}

void VelTidyController::inspectorCancel()
{
    if (m_inspectorSheet)
        m_inspectorSheet->done(QDialog::Rejected);
}

void VelTidyController::inspectorOK()
{
    const plist::DictionaryPtr service = m_currentInspectorService;
    if (!m_inspectorSheet || !service || !isServiceEditable(service)) {
        inspectorCancel();
        return;
    }
    const QString typedTitle = m_serviceMenuItemTextField->text();
    const QString title
        = typedTitle.isEmpty() ? m_serviceMenuItemTextField->placeholderText() : withoutLevelSeparators(typedTitle);
    const QString submenu = m_serviceSubmenuTextField->text();
    QString menuPath
        = submenu.isEmpty() ? title : VelFormat(QStringLiteral("%@/%@"), {withoutLevelSeparators(submenu), title});
    // An unchanged translated title is stored as the untranslated original,
    // so the entry does not turn dirty for it.
    if (menuPath == m_currentInspectorApplication->originalLocalizedMenuItemTitleOfService(service))
        menuPath = originalServiceMenuItemTitle(service);
    setServiceMenuItemTitle(service, menuPath);
    setServiceKeyEquivalent(service, m_inspectorSheet->keyEquivalent());

    for (const VelProviderPtr &provider : applications())
        VelSortServiceList(provider->services(), provider.get());
    m_catalogue.rebuildServiceMenuRepresentation();
    m_providersModel->setNeedsDisplay();
    reloadServicesViews();
    updateSaveButtonStatus();
    updateStatusTextField();
    inspectorCancel();
}
