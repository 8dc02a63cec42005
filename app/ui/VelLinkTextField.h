#pragma once

// A shadowed label that may carry one link: its text is then followed by a
// space and an arrow (U+27B2), the arrow shows a pointing hand, the raw link
// is the tooltip, and a click on the arrow opens the link. Web, FTP and mail
// addresses go to the desktop's application for them; anything else is a
// file path and is shown in the file manager.

#include "VelShadowedTextField.h"

#include <QUrl>

class VelLinkTextField : public VelShadowedTextField {
    Q_OBJECT

public:
    explicit VelLinkTextField(QWidget *parent = nullptr);

    // A null link removes the link; so does the one-argument form.
    void setStringValue(const QString &text, const QString &link);
    void setStringValue(const QString &text);

    [[nodiscard]] const QUrl &linkedURL() const { return m_linkedURL; }
    // The arrow's rectangle: 12 points wide, as high as the field.
    [[nodiscard]] QRectF linkRect() const;
    // The width the text needs within the field, insets included.
    [[nodiscard]] qreal contentWidth() const;

    // The text colour while the pointer is held down on the arrow.
    [[nodiscard]] static QColor highlightColor();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void resetCursorRects(const QPointF &pointer);
    void showInside(bool inside);
    void openLink();
    void endPress();

    QUrl m_linkedURL;

    // The press being tracked.
    bool m_tracking = false;
    bool m_live = false;
    bool m_inside = false;
    bool m_shownInside = false;
    bool m_arrowCursorPushed = false;
    QColor m_rememberedColor;
};
