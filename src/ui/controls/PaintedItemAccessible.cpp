#include "ui/controls/PaintedItemAccessible.h"

#include "ui/controls/PaintedAccessible.h"
#include "ui/controls/PaintedItems.h"

#include <QWidget>

PaintedItemAccessible::PaintedItemAccessible(PaintedAccessible* parent, int index)
    : m_parent(parent), m_index(index) {}

bool PaintedItemAccessible::isValid() const {
    return m_parent->isValid() && m_index < m_parent->Items()->ItemCount();
}

QWindow* PaintedItemAccessible::window() const { return m_parent->window(); }

QAccessibleInterface* PaintedItemAccessible::parent() const { return m_parent; }

QString PaintedItemAccessible::text(QAccessible::Text t) const {
    if (!isValid())
        return QString();
    if (t == QAccessible::Name)
        return m_parent->Items()->ItemName(m_index);
    if (t == QAccessible::Description)
        return m_parent->Items()->ItemDescription(m_index);
    return QString();
}

QRect PaintedItemAccessible::rect() const {
    if (!isValid())
        return QRect();
    const QWidget* widget = m_parent->PaintingWidget();
    const QRect local = m_parent->Items()->ItemRect(m_index);
    return QRect(widget->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::Role PaintedItemAccessible::role() const { return m_parent->Items()->ItemRole(); }

QAccessible::State PaintedItemAccessible::state() const {
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    const QWidget* widget = m_parent->PaintingWidget();
    s.focusable = true;
    s.selectable = true;
    s.invisible = !widget->isVisible();
    s.disabled = !widget->isEnabled();
    if (m_parent->Items()->ItemCurrent(m_index)) {
        s.selected = true;
        s.focused = widget->hasFocus();
    }
    return s;
}

void* PaintedItemAccessible::interface_cast(QAccessible::InterfaceType type) {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
}

QStringList PaintedItemAccessible::actionNames() const { return {pressAction()}; }

void PaintedItemAccessible::doAction(const QString& actionName) {
    if (actionName == pressAction() && isValid())
        m_parent->Items()->PressItem(m_index);
}
