#pragma once

// The main window. Before Mac OS X 10.5 it paints its textured look itself:
// a gradient pattern while it is the active window, the plain window colour
// otherwise; from 10.5 on the background is the platform's own. Its content
// is redrawn whenever it gains or loses that state, since gradient views and
// the footer follow it. It is the delegate of the divider between its panes.

#include "VelSolomonButtonDelegate.h"

#include <QBrush>
#include <QMainWindow>

class VelMainWindow : public QMainWindow, public VelSolomonButtonDelegate {
    Q_OBJECT
    Q_PROPERTY(QString frameAutosaveName READ frameAutosaveName WRITE setFrameAutosaveName)

public:
    explicit VelMainWindow(QWidget *parent = nullptr);

    [[nodiscard]] QString frameAutosaveName() const { return m_frameAutosaveName; }
    void setFrameAutosaveName(const QString &name) { m_frameAutosaveName = name; }

    // What the background is painted with now.
    [[nodiscard]] QBrush backgroundColor() const;
    // The gradient, 10 by 80 points, tiled over the window.
    [[nodiscard]] static const QBrush &mainWindowBackgroundPattern();

    [[nodiscard]] std::optional<QString> solomonButtonAutoSaveName(const VelSolomonButton *) const override;
    [[nodiscard]] std::optional<qreal> solomonButtonLeftMinimumWidth(const VelSolomonButton *) const override;
    [[nodiscard]] std::optional<qreal> solomonButtonRightMinimumWidth(const VelSolomonButton *) const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void setContentNeedsDisplay();

    QString m_frameAutosaveName;
};
