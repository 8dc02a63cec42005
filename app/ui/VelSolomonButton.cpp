#include "VelSolomonButton.h"

#include "VelBundleImage.h"
#include "VelPlusDarker.h"
#include "VelSolomonButtonDelegate.h"

#include <defaults/VelUserDefaults.h>

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

const QColor &singletonSolomonHighlightColor()
{
    static const QColor color = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.05f);
    return color;
}

const QImage &buttonImage()
{
    return VelBundleArtworkNamed(QStringLiteral("VelSolomonButton"));
}

} // namespace

VelSolomonButton::VelSolomonButton(QWidget *parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::SplitHCursor);
}

QSize VelSolomonButton::sizeHint() const
{
    const QImage &image = buttonImage();
    return image.isNull() ? QSize(15, 20) : image.size();
}

std::optional<QString> VelSolomonButton::autoSaveName() const
{
    if (!m_delegate)
        return std::nullopt;
    const std::optional<QString> name = m_delegate->solomonButtonAutoSaveName(this);
    if (!name)
        return std::nullopt;
    // An empty name still makes a key.
    return QStringLiteral("VelSolomonButton Left Width ") + *name;
}

qreal VelSolomonButton::leftMinimumWidth() const
{
    const std::optional<qreal> answer = m_delegate ? m_delegate->solomonButtonLeftMinimumWidth(this) : std::nullopt;
    return answer.value_or(defaultMinimumWidth());
}

qreal VelSolomonButton::rightMinimumWidth() const
{
    const std::optional<qreal> answer = m_delegate ? m_delegate->solomonButtonRightMinimumWidth(this) : std::nullopt;
    return answer.value_or(defaultMinimumWidth());
}

void VelSolomonButton::tileLeftFrame(
    QRectF &left, const QRectF &originalLeft, QRectF &right, const QRectF &originalRight, qreal widthDifference) const
{
    const qreal leftMinimum = leftMinimumWidth();
    const qreal rightMinimum = rightMinimumWidth();
    right.setWidth(originalRight.width() - widthDifference);
    if (rightMinimum > right.width())
        right.setWidth(rightMinimum);
    const qreal total = originalLeft.width() + originalRight.width();
    left.setWidth(total - right.width());
    // The left minimum comes last: when both cannot be met, the left view
    // keeps its minimum and the right view gets the rest.
    if (leftMinimum > left.width()) {
        left.setWidth(leftMinimum);
        right.setWidth(total - leftMinimum);
    }
    const qreal rightEdge = originalRight.x() + originalRight.width();
    right.moveLeft(rightEdge - right.width());
}

void VelSolomonButton::tileWithWidthDifference(qreal widthDifference)
{
    if (!m_leftView || !m_rightView)
        return;
    const QRectF originalLeft = m_leftView->geometry();
    const QRectF originalRight = m_rightView->geometry();
    QRectF left = originalLeft;
    QRectF right = originalRight;
    tileLeftFrame(left, originalLeft, right, originalRight, widthDifference);
    setFrames(left, right);
}

void VelSolomonButton::setFrames(const QRectF &left, const QRectF &right)
{
    m_leftView->setGeometry(left.toRect());
    m_rightView->setGeometry(right.toRect());
    m_leftView->update();
    m_rightView->update();
}

void VelSolomonButton::awakeFromNib()
{
    QWidget *root = window();
    if (!m_leftView && !m_leftViewName.isEmpty())
        m_leftView = root->findChild<QWidget *>(m_leftViewName);
    if (!m_rightView && !m_rightViewName.isEmpty())
        m_rightView = root->findChild<QWidget *>(m_rightViewName);
    if (!m_delegate)
        m_delegate = dynamic_cast<VelSolomonButtonDelegate *>(root);

    qreal difference = 0.0;
    const std::optional<QString> key = autoSaveName();
    if (key && m_leftView) {
        const plist::Value stored = VelUserDefaults::standardUserDefaults().objectForKey(*key);
        if (!stored.isNone())
            difference = VelUserDefaults::standardUserDefaults().doubleForKey(*key) - m_leftView->width();
    }
    tileWithWidthDifference(difference);
    if (m_watchedWindow != root) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = root;
        root->installEventFilter(this);
    }
}

bool VelSolomonButton::eventFilter(QObject *watched, QEvent *event)
{
    // Layouts have resized the views by the time the window's own event is
    // seen here.
    if (watched == m_watchedWindow && event->type() == QEvent::Resize)
        windowDidResize();
    return QAbstractButton::eventFilter(watched, event);
}

void VelSolomonButton::windowDidResize()
{
    tileWithWidthDifference(0.0);
}

void VelSolomonButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_leftView || !m_rightView) {
        event->ignore();
        return;
    }
    setDown(true);
    update();
    m_dragging = true;
    m_pressX = mapTo(window(), event->position()).x();
    m_originalLeft = m_leftView->geometry();
    m_originalRight = m_rightView->geometry();
    m_left = m_originalLeft;
}

void VelSolomonButton::dragTo(qreal windowX)
{
    // Every step starts from the frames at the press.
    QRectF left = m_originalLeft;
    QRectF right = m_originalRight;
    tileLeftFrame(left, m_originalLeft, right, m_originalRight, windowX - m_pressX);
    setFrames(left, right);
    m_leftView->repaint();
    m_rightView->repaint();
    m_left = left;
}

void VelSolomonButton::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        dragTo(mapTo(window(), event->position()).x());
}

void VelSolomonButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    // The release's position counts: the view may have moved the button.
    dragTo(mapTo(window(), event->position()).x());
    m_dragging = false;
    if (const std::optional<QString> key = autoSaveName())
        VelUserDefaults::standardUserDefaults().setObject(plist::Value(double(m_left.width())), *key);
    setDown(false);
    update();
}

void VelSolomonButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QImage &image = buttonImage();
    if (!image.isNull())
        painter.drawImage(QRectF(0.0, height() - image.height(), image.width(), image.height()), image);
    if (isEnabled() && isDown())
        VelFillRectPlusDarker(painter, rect(), singletonSolomonHighlightColor());
}
