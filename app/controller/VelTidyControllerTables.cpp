// The providers table and the services table: their answers, toggling a
// service, the selection change and the swap of the right-hand pane.

#include "VelTidyController.h"

#include "VelProvidersTableModel.h"
#include "VelServicesOutlineModel.h"
#include "VelServicesTableModel.h"

#include <model/VelServiceEntry.h>
#include <model/gui/VelProviderIcon.h>
#include <ui/VelBundleImage.h>

#include <bundles/VelBundle.h>
#include <util/VelSystemVersionTests.h>

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QTreeView>

namespace {

const QImage &singletonMenuImage()
{
    static const QImage image = VelBundleImageNamed(QStringLiteral("VelMenu"));
    return image;
}

// The desktop's own font at its own size: the Mac's 12 points would be
// larger than every other text of a Linux desktop.
QFont systemFont(bool bold)
{
    QFont font = QApplication::font();
    font.setBold(bold);
    return font;
}

} // namespace

int VelTidyController::numberOfRowsInTableView(VelTableKind table) const
{
    if (table == VelTableKind::Services) {
        const VelProviderPtr provider = selectedApplication();
        const plist::ArrayPtr list = provider ? provider->services() : nullptr;
        return list ? int(list->size()) : 0;
    }
    return int(applications().size()) + 1;
}

QVariant VelTidyController::tableViewObjectValue(VelTableKind table, const QString &column, int row) const
{
    if (table == VelTableKind::Services) {
        const VelProviderPtr provider = selectedApplication();
        const plist::DictionaryPtr service = provider ? provider->serviceAtIndex(row) : nullptr;
        if (!service)
            return {};
        if (column == VelKeyColumn)
            return serviceKeyEquivalentDescription(service);
        return isServiceEnabled(service) ? 1 : 0;
    }
    if (row <= 0)
        return VelLocalizedString(QStringLiteral("Services Menu"));
    if (size_t(row - 1) >= applications().size())
        return {};
    return applications()[size_t(row - 1)]->name();
}

void VelTidyController::tableViewSetObjectValue(
    VelTableKind table, const QVariant &value, const QString &column, int row)
{
    // The running save wrote the providers' state as it was when it began.
    if (table != VelTableKind::Services || column == VelKeyColumn || m_saving)
        return;
    const VelProviderPtr provider = selectedApplication();
    const plist::DictionaryPtr service = provider ? provider->serviceAtIndex(row) : nullptr;
    if (!service)
        return;
    setServiceEnabled(service, value.toInt() > 0);
    m_servicesModel->setRowNeedsDisplay(row);
    m_providersModel->setNeedsDisplay();
    updateSaveButtonStatus();
    updateStatusTextField();
}

bool VelTidyController::tableViewShouldEditTableColumn(VelTableKind table, const QString &column, int row)
{
    if (table != VelTableKind::Services)
        return false;
    if (column != VelKeyColumn)
        return true;
    const VelProviderPtr provider = selectedApplication();
    if (provider)
        showInspectorForService(provider->serviceAtIndex(row), provider);
    return false;
}

int VelTidyController::tableViewHeightOfRow(VelTableKind table, int row, int rowHeight) const
{
    if (table == VelTableKind::Providers && row == 0 && VelSystemIsTigerOrNewer())
        return 34;
    return rowHeight;
}

VelProviderCell VelTidyController::providerCellForRow(int row) const
{
    VelProviderCell cell;
    if (row >= 1 && size_t(row - 1) < applications().size()) {
        const VelProviderPtr &provider = applications()[size_t(row - 1)];
        cell.revertTarget = provider->canRevert() ? provider : nullptr;
        cell.image = VelProviderIcon(*provider);
        cell.dirty = provider->isDirty();
    } else {
        cell.image = singletonMenuImage();
    }
    const QModelIndexList selected
        = m_applicationsTableView ? m_applicationsTableView->selectionModel()->selectedRows() : QModelIndexList();
    if (!selected.isEmpty() && selected.first().row() == row) {
        cell.textColor = Qt::white;
        cell.font = systemFont(true);
    } else {
        cell.textColor = cell.dirty ? QColor(Qt::darkGray) : QColor(Qt::black);
        cell.font = systemFont(false);
    }
    return cell;
}

VelServiceCellSettings VelTidyController::serviceCellForRow(int row) const
{
    VelServiceCellSettings cell;
    const VelProviderPtr provider = selectedApplication();
    const plist::DictionaryPtr service = provider ? provider->serviceAtIndex(row) : nullptr;
    if (!service)
        return cell;
    cell.title = provider->readableMenuPathOfService(service);
    cell.enabled = provider->isServiceEditable(service);
    if (cell.enabled)
        cell.inspectorTarget = service;
    return cell;
}

void VelTidyController::tableViewSelectionDidChange(VelTableKind table)
{
    if (table == VelTableKind::Services)
        return;
    if (selectedApplication())
        replaceTableView(m_servicesOutlineView, m_servicesTableView);
    else
        replaceTableView(m_servicesTableView, m_servicesOutlineView);
    reloadServicesViews();
    updateStatusTextField();
}

bool VelTidyController::isViewInWindow(const QWidget *view) const
{
    return view && m_mainWindow && view->window() == m_mainWindow && !view->isHidden();
}

void VelTidyController::replaceTableView(QAbstractItemView *viewToRemove, QAbstractItemView *viewToShow)
{
    // Both views live in the pane for the whole run; only one is shown.
    if (!viewToRemove || !viewToShow || isViewInWindow(viewToShow))
        return;
    viewToRemove->hide();
    viewToShow->show();
}

void VelTidyController::reloadServicesViews()
{
    m_servicesModel->reloadData();
    // A reload keeps the folders the user opened, as long as they are the same
    // folder nodes; a rebuilt tree has new ones and starts closed.
    std::vector<plist::DictionaryPtr> expanded;
    const QAbstractItemModel *outline = m_outlineModel.get();
    for (int row = 0; row < outline->rowCount(); ++row) {
        const QModelIndex index = outline->index(row, 0);
        if (m_servicesOutlineView->isExpanded(index))
            expanded.push_back(m_outlineModel->itemAt(index));
    }
    m_outlineModel->reloadData();
    for (const plist::DictionaryPtr &item : expanded) {
        const QModelIndex index = m_outlineModel->indexOfItem(item);
        if (index.isValid())
            m_servicesOutlineView->expand(index);
    }
}
