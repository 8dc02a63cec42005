#pragma once

// The services outline as Qt sees it. The model keeps its own node structure,
// built from the controller's answers at each reload; the nodes hold the
// tree's items themselves (folder nodes and the providers' own entries), so a
// toggle here edits the provider's dictionary.

#include <plist/PlistValue.h>

#include <QAbstractItemModel>
#include <QHash>

#include <memory>
#include <vector>

class VelTidyController;

class VelServicesOutlineModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Column { ServiceColumn = 0, KeyColumn = 1 };

    explicit VelServicesOutlineModel(VelTidyController &controller, QObject *parent = nullptr);
    ~VelServicesOutlineModel() override;

    [[nodiscard]] QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    [[nodiscard]] QModelIndex parent(const QModelIndex &child) const override;
    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] bool hasChildren(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    [[nodiscard]] plist::DictionaryPtr itemAt(const QModelIndex &index) const;
    // The index of this very item (identity, not content); invalid when the
    // last reload did not see it.
    [[nodiscard]] QModelIndex indexOfItem(const plist::DictionaryPtr &item, int column = 0) const;

    void reloadData();
    // Every item may show a new state (a folder's box follows its children).
    void setNeedsDisplay();

private:
    struct Node;

    void addChildren(Node &node);
    [[nodiscard]] Node *nodeAt(const QModelIndex &index) const;
    void announceChildrenChanged(const Node &node, const QModelIndex &parentIndex);

    VelTidyController &m_controller;
    std::unique_ptr<Node> m_root;
    QHash<const plist::Dictionary *, Node *> m_nodeOfItem;
};
