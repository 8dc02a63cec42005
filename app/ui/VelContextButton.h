#pragma once

// A button that shows a context menu below itself when pressed: the menu
// opens 20 points below the button's top-left corner, the lower-left corner
// of a button 20 points high. The button draws only its image, darker while
// the menu is open.

#include <QToolButton>

#include <functional>

class QMenu;

class VelContextButton : public QToolButton {
    Q_OBJECT

public:
    // Builds the menu for the asking widget; the button owns what it gets.
    // None makes the press do nothing.
    using MenuSource = std::function<QMenu *(QWidget *asking)>;

    explicit VelContextButton(QWidget *parent = nullptr);

    void setMenuSource(MenuSource source) { m_menuSource = std::move(source); }

    // Where the menu opens, in the button's coordinates.
    [[nodiscard]] static QPoint popUpPoint() { return {0, 20}; }

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    MenuSource m_menuSource;
};
