#pragma once

#include <QLabel>
#include <QPoint>

// One label of the legend (a colour box or an appointment type's name). A
// press moved by the drag distance is reported as DragStarted, so the window
// can start dragging that appointment type; a press let go in place is a
// click. An armed label is drawn pressed in.
//
// To assistive technology it is a button whose press does what a click does.
class LegendLabel : public QLabel {
    Q_OBJECT
    Q_CLASSINFO("AccessibleRole", "Button")
public:
    LegendLabel(int index, QWidget* parent = nullptr);
    int Index() const { return m_index; }
    qint32 Tag() const { return m_tag; }
    void SetTag(qint32 tag) { m_tag = tag; }
    bool Armed() const { return m_armed; }
    void SetArmed(bool armed);
    // What a click with the left button does.
    Q_INVOKABLE void Activate() { emit Clicked(m_index); }

signals:
    void DragStarted(int index);
    void Clicked(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_index;
    qint32 m_tag = 0;
    bool m_armed = false;
    int m_frameStyle = 0; // as drawn when not armed
    bool m_pressed = false;
    QPoint m_pressPoint;
};
