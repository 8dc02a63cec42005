#pragma once

// Holds two views side by side, the first two child widgets in the order
// the interface file creates them, with a fixed gap between them. When it
// is resized, the left view keeps its x and width and the right view keeps
// its x while its right edge follows; both take the full height. Who moves
// the split (a divider) sets the views' frames directly.

#include <QWidget>

class VelSplitView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int gap READ gap WRITE setGap)

public:
    explicit VelSplitView(QWidget *parent = nullptr);

    [[nodiscard]] int gap() const { return m_gap; }
    void setGap(int gap) { m_gap = gap; }

    [[nodiscard]] QWidget *leftView() const;
    [[nodiscard]] QWidget *rightView() const;

    // The views' sizes decide nothing about the window's size.
    [[nodiscard]] QSize sizeHint() const override { return {400, 200}; }
    [[nodiscard]] QSize minimumSizeHint() const override { return {0, 0}; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    [[nodiscard]] QWidget *childView(int position) const;

    int m_gap = 1;
};
