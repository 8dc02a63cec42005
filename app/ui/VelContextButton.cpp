#include "VelContextButton.h"

#include "VelBundleImage.h"
#include "VelPlusDarker.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <memory>

namespace {

const QImage &buttonImage()
{
    return VelBundleArtworkNamed(QStringLiteral("VelContextButton"));
}

} // namespace

VelContextButton::VelContextButton(QWidget *parent)
    : QToolButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_NoSystemBackground);
}

QSize VelContextButton::sizeHint() const
{
    const QImage &image = buttonImage();
    return image.isNull() ? QSize(20, 20) : image.size();
}

void VelContextButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QToolButton::mousePressEvent(event);
        return;
    }
    std::unique_ptr<QMenu> menu(m_menuSource ? m_menuSource(this) : nullptr);
    if (!menu)
        return;
    setDown(true);
    repaint();
    menu->exec(mapToGlobal(popUpPoint()));
    setDown(false);
    update();
}

void VelContextButton::paintEvent(QPaintEvent *)
{
    const QImage &image = buttonImage();
    if (image.isNull())
        return;
    QPainter painter(this);
    // The image stands on the bottom edge.
    const QRectF target(0.0, height() - image.height(), image.width(), image.height());
    if (isEnabled() && isDown())
        VelDrawImagePlusDarker(painter, target, image);
    else
        painter.drawImage(target, image);
}
