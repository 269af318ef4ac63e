#pragma once

#include <QWidget>

class QBoxLayout;
class QToolButton;

// A pair of arrow buttons standing in for a spin control. It holds no value:
// every click (and every repeat while an arrow is held down) is reported as
// one SpinClicked(direction), with Increase (0) for the increasing arrow and
// Decrease for the other. The window that owns it applies the step and the
// limits itself.
//
// Vertical: the increasing arrow is on top. Horizontal: the decreasing arrow
// is on the left, the increasing one on the right.
class SpinButtons : public QWidget {
    Q_OBJECT
public:
    static constexpr int Increase = 0;
    static constexpr int Decrease = 1;

    explicit SpinButtons(QWidget* parent = nullptr);
    explicit SpinButtons(Qt::Orientation orientation, QWidget* parent = nullptr);

    Qt::Orientation Orientation() const { return m_orientation; }
    void SetOrientation(Qt::Orientation orientation);

    // Held arrows repeat their click (on by default).
    bool AutoRepeat() const;
    void SetAutoRepeat(bool on);

    // The arrows' tool tips, which are their accessible names as well.
    void SetToolTips(const QString& increase, const QString& decrease);

    QToolButton* IncreaseButton() const { return m_increase; }
    QToolButton* DecreaseButton() const { return m_decrease; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void SpinClicked(int direction);

private:
    void ArrangeButtons();

    Qt::Orientation m_orientation = Qt::Vertical;
    QBoxLayout* m_layout = nullptr;
    QToolButton* m_increase = nullptr;
    QToolButton* m_decrease = nullptr;
};
