#include "VelMainWindow.h"

#include "VelGradientView.h"

#include <util/VelSystemVersionTests.h>

#include <QApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

VelMainWindow::VelMainWindow(QWidget *parent)
    : QMainWindow(parent)
{
}

const QBrush &VelMainWindow::mainWindowBackgroundPattern()
{
    static const QBrush singletonMainWindowBackgroundColor(VelGradientView::gradientImageWithSize(QSize(10, 80)));
    return singletonMainWindowBackgroundColor;
}

QBrush VelMainWindow::backgroundColor() const
{
    const QBrush windowColor = QApplication::palette().brush(QPalette::Window);
    if (VelSystemIsLeopardOrNewer())
        return windowColor;
    if (isActiveWindow())
        return mainWindowBackgroundPattern();
    return windowColor;
}

void VelMainWindow::paintEvent(QPaintEvent *event)
{
    if (!VelSystemIsLeopardOrNewer()) {
        QPainter painter(this);
        painter.fillRect(event->rect(), backgroundColor());
    }
    QMainWindow::paintEvent(event);
}

bool VelMainWindow::event(QEvent *event)
{
    // Gradient views, the footer and the background follow the window's state.
    const QEvent::Type type = event->type();
    if (type == QEvent::WindowActivate || type == QEvent::WindowDeactivate || type == QEvent::ActivationChange)
        setContentNeedsDisplay();
    return QMainWindow::event(event);
}

void VelMainWindow::setContentNeedsDisplay()
{
    // Qt repaints only what it thinks changed with the window's state, so the
    // views that draw by that state are named one by one.
    update();
    for (QWidget *view : findChildren<QWidget *>()) {
        if (view->isVisible())
            view->update();
    }
}

std::optional<QString> VelMainWindow::solomonButtonAutoSaveName(const VelSolomonButton *) const
{
    return m_frameAutosaveName;
}

std::optional<qreal> VelMainWindow::solomonButtonLeftMinimumWidth(const VelSolomonButton *) const
{
    return 120.0;
}

std::optional<qreal> VelMainWindow::solomonButtonRightMinimumWidth(const VelSolomonButton *) const
{
    return 200.0;
}
