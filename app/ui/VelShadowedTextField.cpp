#include "VelShadowedTextField.h"

#include <QPainter>
#include <QStyle>

VelShadowedTextField::VelShadowedTextField(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setContentsMargins(2, 0, 2, 0);
}

QColor VelShadowedTextField::shadowColor()
{
    static const QColor singletonShadowColor = QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.5f);
    return singletonShadowColor;
}

QColor VelShadowedTextField::textColor() const
{
    return palette().color(QPalette::WindowText);
}

void VelShadowedTextField::setTextColor(const QColor &color)
{
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, color);
    setPalette(colors);
}

void VelShadowedTextField::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect bounds = contentsRect();
    // The light copy first, so that the text itself covers it.
    drawText(painter, bounds.translated(0, 1), shadowColor());
    drawText(painter, bounds, textColor());
}

void VelShadowedTextField::drawText(QPainter &painter, const QRect &rect, const QColor &color) const
{
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, color);
    style()->drawItemText(&painter, rect, int(QStyle::visualAlignment(layoutDirection(), alignment())), colors,
        isEnabled(), text(), QPalette::WindowText);
}
