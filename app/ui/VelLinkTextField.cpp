#include "VelLinkTextField.h"

#include "VelMouseInRect.h"

#include <gui/VelBeep.h>
#include <gui/VelDesktop.h>
#include <log/VelLog.h>
#include <util/gui/VelShowInFinder.h>

#include <QGuiApplication>
#include <QMouseEvent>

namespace {

constexpr char16_t kLinkArrow = 0x27B2;

// The prefix test is case-sensitive, as the address schemes are written.
bool isAddress(const QString &link)
{
    for (const char *prefix : {"http://", "https://", "ftp://", "mailto:"}) {
        if (link.startsWith(QLatin1StringView(prefix)))
            return true;
    }
    return false;
}

QUrl urlForLink(const QString &link)
{
    if (isAddress(link))
        return QUrl(link, QUrl::StrictMode);
    return QUrl::fromLocalFile(link);
}

} // namespace

VelLinkTextField::VelLinkTextField(QWidget *parent)
    : VelShadowedTextField(parent)
{
    setMouseTracking(true);
}

QColor VelLinkTextField::highlightColor()
{
    static const QColor singletonHighlightColor = QColor::fromRgbF(0.0f, 0.2f, 0.5f, 1.0f);
    return singletonHighlightColor;
}

void VelLinkTextField::setStringValue(const QString &text)
{
    setStringValue(text, QString());
}

void VelLinkTextField::setStringValue(const QString &text, const QString &link)
{
    m_linkedURL = link.isNull() ? QUrl() : urlForLink(link);
    if (!m_linkedURL.isValid() || m_linkedURL.isEmpty())
        m_linkedURL = QUrl();
    QLabel::setText(m_linkedURL.isEmpty() ? text : text + u' ' + QChar(kLinkArrow));
    // A malformed address still shows what it was.
    setToolTip(link);
    resetCursorRects(mapFromGlobal(QCursor::pos()));
}

qreal VelLinkTextField::contentWidth() const
{
    const QMargins insets = contentsMargins();
    return insets.left() + fontMetrics().horizontalAdvance(text()) + insets.right();
}

QRectF VelLinkTextField::linkRect() const
{
    const qreal width = this->width();
    const qreal content = contentWidth();
    qreal left = content - 13.0;
    if (alignment() & Qt::AlignRight)
        left = width - 12.0;
    else if (alignment() & Qt::AlignHCenter)
        left = (content + width) * 0.5 - 15.0;
    return QRectF(left, 0.0, 12.0, height());
}

void VelLinkTextField::resetCursorRects(const QPointF &pointer)
{
    if (!m_linkedURL.isEmpty() && VelMouseInRect(pointer, linkRect()))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void VelLinkTextField::showInside(bool inside)
{
    if (inside == m_shownInside)
        return;
    setTextColor(inside ? highlightColor() : m_rememberedColor);
    repaint();
    m_shownInside = inside;
}

void VelLinkTextField::mousePressEvent(QMouseEvent *event)
{
    // The click that activates the window does not reach the field.
    if (event->button() != Qt::LeftButton || !window()->isActiveWindow() || m_tracking) {
        event->ignore();
        return;
    }
    m_tracking = true;
    m_live = !m_linkedURL.isEmpty();
    m_rememberedColor = textColor();
    m_shownInside = false;
    m_arrowCursorPushed = false;
    m_inside = m_live && VelMouseInRect(event->position(), linkRect());
    // Only a press that starts on the arrow can open the link.
    if (!m_inside)
        m_live = false;
    showInside(m_inside);
}

void VelLinkTextField::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_tracking) {
        resetCursorRects(event->position());
        return;
    }
    // Any movement with the button down cancels the link for this press.
    m_live = false;
    if (m_inside && !m_arrowCursorPushed) {
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        m_arrowCursorPushed = true;
    }
    m_inside = false;
    showInside(false);
}

void VelLinkTextField::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_tracking || event->button() != Qt::LeftButton)
        return;
    m_inside = m_live && VelMouseInRect(event->position(), linkRect());
    showInside(m_inside);
    if (m_inside)
        openLink();
    endPress();
}

void VelLinkTextField::openLink()
{
    if (m_linkedURL.isLocalFile()) {
        const QString path = m_linkedURL.toLocalFile();
        if (!showInFinder(path)) {
            VelLog(QStringLiteral("could not reveal <%1>").arg(path));
            VelBeep();
        }
        return;
    }
    (void)VelOpenURL(m_linkedURL);
}

void VelLinkTextField::endPress()
{
    setTextColor(m_rememberedColor);
    repaint();
    if (m_arrowCursorPushed)
        QGuiApplication::restoreOverrideCursor();
    m_tracking = false;
    m_shownInside = false;
    m_arrowCursorPushed = false;
}
