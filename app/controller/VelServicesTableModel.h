#pragma once

// The services table as Qt sees it: the selected provider's services, the
// service column (check box and readable menu path) and the "key" column.
// Answers come from the controller; the row count is the one announced at the
// last reload.

#include <QAbstractTableModel>

class VelTidyController;

class VelServicesTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { ServiceColumn = 0, KeyColumn = 1 };

    explicit VelServicesTableModel(VelTidyController &controller, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    [[nodiscard]] static QString columnIdentifier(int column);

    void reloadData();
    void setRowNeedsDisplay(int row);

private:
    VelTidyController &m_controller;
    int m_rowCount = 0;
};
