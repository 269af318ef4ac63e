#include "ui/main/LegendLabel.h"

#include <QMouseEvent>

LegendLabel::LegendLabel(int index, QWidget* parent) : QLabel(parent), m_index(index) {
    setCursor(Qt::OpenHandCursor);
}

void LegendLabel::mousePressEvent(QMouseEvent* event) {
    emit Pressed(m_index, event->button());
    event->accept();
}
