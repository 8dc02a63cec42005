#include "VelProvidersTableModel.h"

#include "VelTidyController.h"

#include <ui/VelItemRoles.h>

VelProvidersTableModel::VelProvidersTableModel(VelTidyController &controller, QObject *parent)
    : QAbstractTableModel(parent)
    , m_controller(controller)
{
}

int VelProvidersTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int VelProvidersTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant VelProvidersTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !checkIndex(index))
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return m_controller.tableViewObjectValue(VelTableKind::Providers, QString(), row);
    case Qt::DecorationRole: {
        // Asked only for the rows a view shows: icons are read as they scroll in.
        const QImage image = m_controller.providerCellForRow(row).image;
        return image.isNull() ? QVariant() : QVariant(image);
    }
    case Qt::ForegroundRole:
        return m_controller.providerCellForRow(row).textColor;
    case Qt::FontRole:
        return m_controller.providerCellForRow(row).font;
    case VelRevertTargetRole:
        return m_controller.providerCellForRow(row).revertTarget != nullptr;
    default:
        return {};
    }
}

Qt::ItemFlags VelProvidersTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !checkIndex(index))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void VelProvidersTableModel::reloadData()
{
    beginResetModel();
    m_rowCount = m_controller.numberOfRowsInTableView(VelTableKind::Providers);
    endResetModel();
}

void VelProvidersTableModel::setNeedsDisplay()
{
    if (m_rowCount > 0)
        emit dataChanged(index(0, 0), index(m_rowCount - 1, 0));
}
