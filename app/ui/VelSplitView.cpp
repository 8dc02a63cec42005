#include "VelSplitView.h"

VelSplitView::VelSplitView(QWidget *parent)
    : QWidget(parent)
{
}

QWidget *VelSplitView::childView(int position) const
{
    int found = 0;
    for (QObject *child : children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (widget && !widget->isWindow() && found++ == position)
            return widget;
    }
    return nullptr;
}

QWidget *VelSplitView::leftView() const
{
    return childView(0);
}

QWidget *VelSplitView::rightView() const
{
    return childView(1);
}

void VelSplitView::resizeEvent(QResizeEvent *)
{
    QWidget *left = leftView();
    QWidget *right = rightView();
    if (!left || !right)
        return;
    left->setGeometry(left->x(), 0, left->width(), height());
    const int rightX = left->x() + left->width() + m_gap;
    right->setGeometry(rightX, 0, std::max(0, width() - rightX), height());
}
