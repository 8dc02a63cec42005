#pragma once

// The divider handle between two views: dragging it moves width from one
// view to the other, within minimum widths the delegate supplies (200 points
// each without one). The left view's x stays, the right view's right edge
// stays, and the sum of their widths never changes. The left width is
// stored in the user defaults under the delegate's autosave name after
// every drag and restored when the interface file is loaded; after every
// resize of the window the minimums are applied again.
//
// The interface file names the two views (properties leftViewName and
// rightViewName); the window is the delegate when it answers the questions.

#include "VelAwakeFromNib.h"

#include <QAbstractButton>
#include <QPointer>
#include <QRectF>

#include <optional>

class VelSolomonButtonDelegate;

class VelSolomonButton : public QAbstractButton, public VelAwakeFromNib {
    Q_OBJECT
    Q_PROPERTY(QString leftViewName READ leftViewName WRITE setLeftViewName)
    Q_PROPERTY(QString rightViewName READ rightViewName WRITE setRightViewName)

public:
    explicit VelSolomonButton(QWidget *parent = nullptr);

    [[nodiscard]] QWidget *leftView() const { return m_leftView; }
    [[nodiscard]] QWidget *rightView() const { return m_rightView; }
    void setLeftView(QWidget *view) { m_leftView = view; }
    void setRightView(QWidget *view) { m_rightView = view; }
    [[nodiscard]] QString leftViewName() const { return m_leftViewName; }
    [[nodiscard]] QString rightViewName() const { return m_rightViewName; }
    void setLeftViewName(const QString &name) { m_leftViewName = name; }
    void setRightViewName(const QString &name) { m_rightViewName = name; }

    [[nodiscard]] VelSolomonButtonDelegate *delegate() const { return m_delegate; }
    void setDelegate(VelSolomonButtonDelegate *delegate) { m_delegate = delegate; }

    // The user-defaults key of the left width; none without a name.
    [[nodiscard]] std::optional<QString> autoSaveName() const;
    [[nodiscard]] static qreal defaultMinimumWidth() { return 200.0; }
    [[nodiscard]] qreal leftMinimumWidth() const;
    [[nodiscard]] qreal rightMinimumWidth() const;

    // The split arithmetic: left and right start as copies of the original
    // frames; only their widths and the right x are written. A positive
    // difference moves width from the right view to the left one.
    void tileLeftFrame(QRectF &left, const QRectF &originalLeft, QRectF &right, const QRectF &originalRight,
        qreal widthDifference) const;
    // The split applied to the views' current frames.
    void tileWithWidthDifference(qreal widthDifference);

    // Restores the stored width, enforces the minimums and starts following
    // the window's resizes.
    void awakeFromNib() override;

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setFrames(const QRectF &left, const QRectF &right);
    void dragTo(qreal windowX);
    void windowDidResize();

    QPointer<QWidget> m_leftView;
    QPointer<QWidget> m_rightView;
    QString m_leftViewName;
    QString m_rightViewName;
    VelSolomonButtonDelegate *m_delegate = nullptr;
    QPointer<QWidget> m_watchedWindow;

    // The drag in progress: the press's window x and the frames at the press.
    bool m_dragging = false;
    qreal m_pressX = 0.0;
    QRectF m_originalLeft;
    QRectF m_originalRight;
    QRectF m_left;
};
