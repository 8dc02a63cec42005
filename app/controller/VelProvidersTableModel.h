#pragma once

// The providers table as Qt sees it: row 0 is "Services Menu", row r the
// provider r - 1. Every answer comes from the controller; the row count is
// the one announced at the last reload, so that a view never sees rows the
// model has not told it about while the catalogue is being refilled.

#include <QAbstractTableModel>

class VelTidyController;

class VelProvidersTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit VelProvidersTableModel(VelTidyController &controller, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Asks the controller for the rows again.
    void reloadData();
    // Every row may look different (dirty colours).
    void setNeedsDisplay();

private:
    VelTidyController &m_controller;
    int m_rowCount = 0;
};
