#include "ui/main/LegendLabel.h"

#include <QApplication>
#include <QMouseEvent>

LegendLabel::LegendLabel(int index, QWidget* parent) : QLabel(parent), m_index(index) {
    setCursor(Qt::OpenHandCursor);
}

void LegendLabel::SetArmed(bool armed) {
    if (armed == m_armed)
        return;
    if (armed)
        m_frameStyle = frameStyle();
    m_armed = armed;
    setFrameStyle(armed ? QFrame::Panel | QFrame::Sunken : m_frameStyle);
    setLineWidth(armed ? 2 : 1);
}

void LegendLabel::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    m_pressPoint = event->position().toPoint();
    event->accept();
}

void LegendLabel::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed || !(event->buttons() & Qt::LeftButton) ||
        (event->position().toPoint() - m_pressPoint).manhattanLength() <
            QApplication::startDragDistance())
        return;
    m_pressed = false;
    emit DragStarted(m_index);
}

void LegendLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton;
    m_pressed = false;
    event->accept();
    if (click)
        emit Clicked(m_index);
}
