#pragma once

// Delegates of the main window's lists. They only adjust how Qt's own item
// drawing looks; everything they draw comes from the item models.

#include <QStyledItemDelegate>

// Provider rows: a selected row keeps the text colour the model gives it
// (white) instead of the style's highlighted-text colour.
class VelProviderItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

// Service cells: a box that does not react (a folder without an editable
// service, a service that may not be edited) is drawn disabled.
class VelServiceItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
