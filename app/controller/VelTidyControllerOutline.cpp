// The services outline: its answers, toggling items, and the commands on the
// selection in the wider sense (expand or collapse all, enable or disable
// all, revert).

#include "VelTidyController.h"

#include "VelProvidersTableModel.h"
#include "VelServicesOutlineModel.h"
#include "VelServicesTableModel.h"

#include <model/VelServiceEntry.h>
#include <model/VelServiceKeys.h>

#include <bundles/VelBundle.h>
#include <defaults/VelUserDefaults.h>
#include <util/VelFormat.h>

#include <QTreeView>

namespace {

plist::ArrayPtr childrenOf(const plist::DictionaryPtr &folder)
{
    return folder->value(VelKey::Children).toArray();
}

} // namespace

int VelTidyController::outlineViewNumberOfChildrenOfItem(const plist::DictionaryPtr &item) const
{
    if (!item)
        return int(services()->size());
    if (!isFolderNode(item))
        return 0;
    const plist::ArrayPtr children = childrenOf(item);
    return children ? int(children->size()) : 0;
}

plist::DictionaryPtr VelTidyController::outlineViewChildOfItem(int index, const plist::DictionaryPtr &item) const
{
    if (item && isFolderNode(item)) {
        const plist::ArrayPtr children = childrenOf(item);
        return children ? children->at(index).toDictionary() : nullptr;
    }
    return services()->at(index).toDictionary();
}

bool VelTidyController::outlineViewIsItemExpandable(const plist::DictionaryPtr &item) const
{
    return item && isFolderNode(item);
}

QVariant VelTidyController::outlineViewObjectValue(const QString &column, const plist::DictionaryPtr &item) const
{
    if (!item)
        return {};
    if (column == VelKeyColumn)
        return serviceKeyEquivalentDescription(item);
    if (isFolderNode(item))
        return folderHasEnabledService(item) ? 1 : 0;
    return isServiceEnabled(item) ? 1 : 0;
}

void VelTidyController::outlineViewSetObjectValue(
    const QVariant &value, const QString &column, const plist::DictionaryPtr &item)
{
    if (!item || column == VelKeyColumn || m_saving)
        return;
    setServiceEnabledRecursively(item, value.toInt() > 0);
    m_outlineModel->setNeedsDisplay();
    m_providersModel->setNeedsDisplay();
    updateSaveButtonStatus();
    updateStatusTextField();
}

bool VelTidyController::outlineViewShouldEditTableColumn(const QString &column, const plist::DictionaryPtr &item)
{
    if (column != VelKeyColumn)
        return true;
    showInspectorForService(item, nullptr);
    return false;
}

VelServiceCellSettings VelTidyController::outlineCellForItem(const plist::DictionaryPtr &item) const
{
    VelServiceCellSettings cell;
    if (!item)
        return cell;
    if (isFolderNode(item)) {
        cell.enabled = containsEditableService(item);
        cell.title = item->value(VelKey::FolderName).toString();
        return cell;
    }
    const VelProviderPtr provider = m_catalogue.applicationForService(item);
    if (!provider) {
        cell.title = serviceMenuItemTitle(item).value_or(QString());
        return cell;
    }
    const QStringList components = provider->menuPathComponentsOfService(item);
    cell.title = components.isEmpty() ? QString() : components.last();
    if (VelUserDefaults::standardUserDefaults().boolForKey(QStringLiteral("Show Services Menu Sources")))
        cell.title = VelFormat(VelLocalizedString(QStringLiteral("%@ (Provider: %@)")), {cell.title, provider->name()});
    cell.enabled = provider->isServiceEditable(item);
    if (cell.enabled)
        cell.inspectorTarget = item;
    return cell;
}

// Commands.

void VelTidyController::expandAllServices()
{
    setServiceFoldersExpanded(true);
}

void VelTidyController::collapseAllServices()
{
    setServiceFoldersExpanded(false);
}

void VelTidyController::setServiceFoldersExpanded(bool expanded)
{
    for (const plist::Value &value : *services()) {
        const plist::DictionaryPtr item = value.toDictionary();
        if (!outlineViewIsItemExpandable(item))
            continue;
        const QModelIndex index = m_outlineModel->indexOfItem(item);
        if (!index.isValid())
            continue;
        if (expanded)
            m_servicesOutlineView->expand(index);
        else
            m_servicesOutlineView->collapse(index);
    }
}

void VelTidyController::enableSelectedApplicationServices()
{
    setSelectedServicesEnabled(true);
}

void VelTidyController::disableSelectedApplicationServices()
{
    setSelectedServicesEnabled(false);
}

std::vector<VelProviderPtr> VelTidyController::targetProviders() const
{
    if (const VelProviderPtr provider = selectedApplication())
        return {provider};
    return applications();
}

void VelTidyController::setSelectedServicesEnabled(bool enabled)
{
    if (m_saving)
        return;
    for (const VelProviderPtr &provider : targetProviders()) {
        const plist::ArrayPtr list = provider->services();
        if (!list)
            continue;
        for (const plist::Value &value : *list) {
            if (const plist::DictionaryPtr service = value.toDictionary())
                setServiceEnabled(service, enabled);
        }
    }
    rebuildTreeAndRefresh();
}

void VelTidyController::revertSelectedApplication()
{
    if (m_saving)
        return;
    for (const VelProviderPtr &provider : targetProviders())
        provider->revert();
    rebuildTreeAndRefresh();
}

void VelTidyController::revertApplication(const VelProviderPtr &provider)
{
    if (m_saving)
        return;
    if (provider)
        provider->revert();
    // The providers table is redrawn too: no button of its own does it here.
    rebuildTreeAndRefresh();
}

void VelTidyController::rebuildTreeAndRefresh()
{
    m_catalogue.rebuildServiceMenuRepresentation();
    reloadServicesViews();
    m_providersModel->setNeedsDisplay();
    updateSaveButtonStatus();
    updateStatusTextField();
}
