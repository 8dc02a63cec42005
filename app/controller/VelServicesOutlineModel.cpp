#include "VelServicesOutlineModel.h"

#include "VelTidyController.h"

#include <bundles/VelBundle.h>
#include <ui/VelItemRoles.h>

struct VelServicesOutlineModel::Node {
    plist::DictionaryPtr item; // none for the root
    Node *parent = nullptr;
    int row = 0;
    std::vector<std::unique_ptr<Node>> children;
};

VelServicesOutlineModel::VelServicesOutlineModel(VelTidyController &controller, QObject *parent)
    : QAbstractItemModel(parent)
    , m_controller(controller)
    , m_root(std::make_unique<Node>())
{
}

VelServicesOutlineModel::~VelServicesOutlineModel() = default;

void VelServicesOutlineModel::addChildren(Node &node)
{
    const int count = m_controller.outlineViewNumberOfChildrenOfItem(node.item);
    node.children.reserve(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        auto child = std::make_unique<Node>();
        child->item = m_controller.outlineViewChildOfItem(i, node.item);
        child->parent = &node;
        child->row = i;
        // An item is held once in the tree; a second sighting (a damaged tree)
        // is shown but not expanded again, so a cycle cannot recurse forever.
        const bool seen = !child->item || m_nodeOfItem.contains(child->item.get());
        if (!seen)
            m_nodeOfItem.insert(child->item.get(), child.get());
        if (!seen && m_controller.outlineViewIsItemExpandable(child->item))
            addChildren(*child);
        node.children.push_back(std::move(child));
    }
}

VelServicesOutlineModel::Node *VelServicesOutlineModel::nodeAt(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : m_root.get();
}

QModelIndex VelServicesOutlineModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    Node *node = nodeAt(parent);
    return createIndex(row, column, node->children[size_t(row)].get());
}

QModelIndex VelServicesOutlineModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    const Node *parentNode = nodeAt(child)->parent;
    if (!parentNode || parentNode == m_root.get())
        return {};
    return createIndex(parentNode->row, 0, const_cast<Node *>(parentNode));
}

int VelServicesOutlineModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    return int(nodeAt(parent)->children.size());
}

int VelServicesOutlineModel::columnCount(const QModelIndex &) const
{
    return 2;
}

bool VelServicesOutlineModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

plist::DictionaryPtr VelServicesOutlineModel::itemAt(const QModelIndex &index) const
{
    return index.isValid() ? nodeAt(index)->item : nullptr;
}

QModelIndex VelServicesOutlineModel::indexOfItem(const plist::DictionaryPtr &item, int column) const
{
    Node *node = item ? m_nodeOfItem.value(item.get()) : nullptr;
    return node ? createIndex(node->row, column, node) : QModelIndex();
}

QVariant VelServicesOutlineModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !checkIndex(index))
        return {};
    const plist::DictionaryPtr item = itemAt(index);
    if (index.column() == KeyColumn) {
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return m_controller.outlineViewObjectValue(VelKeyColumn, item);
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return m_controller.outlineCellForItem(item).title;
    case Qt::CheckStateRole:
        return m_controller.outlineViewObjectValue(VelServiceColumn, item).toInt() > 0 ? Qt::Checked : Qt::Unchecked;
    case VelInspectorTargetRole:
        return m_controller.outlineCellForItem(item).inspectorTarget != nullptr;
    default:
        return {};
    }
}

bool VelServicesOutlineModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || !checkIndex(index) || index.column() != ServiceColumn || role != Qt::CheckStateRole)
        return false;
    const int enabled = value.value<Qt::CheckState>() == Qt::Checked ? 1 : 0;
    m_controller.outlineViewSetObjectValue(enabled, VelServiceColumn, itemAt(index));
    return true;
}

Qt::ItemFlags VelServicesOutlineModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !checkIndex(index))
        return Qt::NoItemFlags;
    const plist::DictionaryPtr item = itemAt(index);
    const bool folder = m_controller.outlineViewIsItemExpandable(item);
    Qt::ItemFlags flags = Qt::ItemIsSelectable;
    if (!folder)
        flags |= Qt::ItemNeverHasChildren;
    if (index.column() == KeyColumn)
        return flags | Qt::ItemIsEnabled;
    const bool editable = m_controller.outlineCellForItem(item).enabled;
    // Folders stay enabled, so that keyboard users can reach and open them;
    // their box reacts only when they hold an editable service. An entry that
    // may not be edited keeps a disabled box that still shows its state.
    if (folder)
        return flags | Qt::ItemIsEnabled | (editable ? Qt::ItemIsUserCheckable : Qt::NoItemFlags);
    return flags | Qt::ItemIsUserCheckable | (editable ? Qt::ItemIsEnabled : Qt::NoItemFlags);
}

QVariant VelServicesOutlineModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 1)
        return {};
    return VelLocalizedString(section == KeyColumn ? QStringLiteral("Shortcut") : QStringLiteral("Service"));
}

void VelServicesOutlineModel::reloadData()
{
    beginResetModel();
    m_nodeOfItem.clear();
    m_root = std::make_unique<Node>();
    addChildren(*m_root);
    endResetModel();
}

void VelServicesOutlineModel::announceChildrenChanged(const Node &node, const QModelIndex &parentIndex)
{
    if (node.children.empty())
        return;
    emit dataChanged(index(0, 0, parentIndex), index(int(node.children.size()) - 1, 1, parentIndex));
    for (const auto &child : node.children) {
        if (!child->children.empty())
            announceChildrenChanged(*child, createIndex(child->row, 0, child.get()));
    }
}

void VelServicesOutlineModel::setNeedsDisplay()
{
    announceChildrenChanged(*m_root, {});
}
