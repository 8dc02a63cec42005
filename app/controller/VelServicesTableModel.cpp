#include "VelServicesTableModel.h"

#include "VelTidyController.h"

#include <bundles/VelBundle.h>
#include <ui/VelItemRoles.h>

VelServicesTableModel::VelServicesTableModel(VelTidyController &controller, QObject *parent)
    : QAbstractTableModel(parent)
    , m_controller(controller)
{
}

QString VelServicesTableModel::columnIdentifier(int column)
{
    return column == KeyColumn ? VelKeyColumn : VelServiceColumn;
}

int VelServicesTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int VelServicesTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant VelServicesTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !checkIndex(index))
        return {};
    const int row = index.row();
    if (index.column() == KeyColumn) {
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return m_controller.tableViewObjectValue(VelTableKind::Services, VelKeyColumn, row);
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return m_controller.serviceCellForRow(row).title;
    case Qt::CheckStateRole:
        return m_controller.tableViewObjectValue(VelTableKind::Services, VelServiceColumn, row).toInt() > 0
            ? Qt::Checked
            : Qt::Unchecked;
    case VelInspectorTargetRole:
        return m_controller.serviceCellForRow(row).inspectorTarget != nullptr;
    default:
        return {};
    }
}

bool VelServicesTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || !checkIndex(index) || index.column() != ServiceColumn || role != Qt::CheckStateRole)
        return false;
    const int enabled = value.value<Qt::CheckState>() == Qt::Checked ? 1 : 0;
    m_controller.tableViewSetObjectValue(VelTableKind::Services, enabled, VelServiceColumn, index.row());
    return true;
}

Qt::ItemFlags VelServicesTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !checkIndex(index))
        return Qt::NoItemFlags;
    if (index.column() == KeyColumn)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    // A service that may not be edited keeps its box, disabled, so that its
    // state is still shown and read out.
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
    if (m_controller.serviceCellForRow(index.row()).enabled)
        flags |= Qt::ItemIsEnabled;
    return flags;
}

QVariant VelServicesTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 1)
        return {};
    return VelLocalizedString(section == KeyColumn ? QStringLiteral("Shortcut") : QStringLiteral("Service"));
}

void VelServicesTableModel::reloadData()
{
    beginResetModel();
    m_rowCount = m_controller.numberOfRowsInTableView(VelTableKind::Services);
    endResetModel();
}

void VelServicesTableModel::setRowNeedsDisplay(int row)
{
    if (row >= 0 && row < m_rowCount)
        emit dataChanged(index(row, 0), index(row, 1));
}
