#pragma once

// A label whose text has a soft light copy one point below it, the engraved
// look of labels on a textured window. The text is plain and drawn inside
// the contents rectangle, two points in from each side like the Mac's text
// cells.

#include <QColor>
#include <QLabel>

class VelShadowedTextField : public QLabel {
    Q_OBJECT

public:
    explicit VelShadowedTextField(QWidget *parent = nullptr);

    // White at half strength.
    [[nodiscard]] static QColor shadowColor();

    [[nodiscard]] QColor textColor() const;
    void setTextColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void drawText(QPainter &painter, const QRect &rect, const QColor &color) const;
};
