#pragma once

#include <QLabel>

// One label of the legend (a colour box or an appointment type's name). A
// press of any mouse button is reported with the label's index, so the
// window can start dragging that appointment type.
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
    // What a click with the left button does.
    Q_INVOKABLE void Activate() { emit Pressed(m_index, Qt::LeftButton); }

signals:
    void Pressed(int index, Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    int m_index;
    qint32 m_tag = 0;
};
