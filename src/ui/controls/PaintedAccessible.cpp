#include "ui/controls/PaintedAccessible.h"

#include "ui/controls/PaintedItems.h"
#include "ui/controls/PaintedItemAccessible.h"
#include "ui/controls/PressableAccessible.h"

#include <QMetaClassInfo>
#include <QWidget>

PaintedAccessible::PaintedAccessible(QWidget* widget, PaintedItems* items)
    : QAccessibleWidget(widget, items->ContainerRole()), m_items(items) {}

PaintedAccessible::~PaintedAccessible() {
    for (QAccessible::Id id : std::as_const(m_children))
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* PaintedAccessible::Factory(const QString&, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    PaintedItems* items = dynamic_cast<PaintedItems*>(object);
    if (!items)
        items = dynamic_cast<PaintedItems*>(object->property(PaintedItems::kProperty).value<QObject*>());
    if (items && items->ItemsWidget() == widget)
        return new PaintedAccessible(widget, items);
    const QMetaObject* meta = object->metaObject();
    const int role = meta->indexOfClassInfo("AccessibleRole");
    if (role >= 0 && qstrcmp(meta->classInfo(role).value(), "Button") == 0)
        return new PressableAccessible(widget);
    return nullptr;
}

void PaintedAccessible::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(&PaintedAccessible::Factory);
        return true;
    }();
    Q_UNUSED(installed);
}

int PaintedAccessible::childCount() const { return m_items->ItemCount(); }

QAccessibleInterface* PaintedAccessible::child(int index) const {
    if (index < 0 || index >= m_items->ItemCount())
        return nullptr;
    while (m_children.size() <= index) {
        auto* item = new PaintedItemAccessible(const_cast<PaintedAccessible*>(this),
                                               int(m_children.size()));
        m_children.append(QAccessible::registerAccessibleInterface(item));
    }
    return QAccessible::accessibleInterface(m_children.at(index));
}

int PaintedAccessible::indexOfChild(const QAccessibleInterface* child) const {
    return m_children.indexOf(QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child)));
}

QAccessibleInterface* PaintedAccessible::childAt(int x, int y) const {
    const QPoint local = widget()->mapFromGlobal(QPoint(x, y));
    for (int i = 0; i < m_items->ItemCount(); ++i)
        if (m_items->ItemRect(i).contains(local))
            return child(i);
    return nullptr;
}

QAccessibleInterface* PaintedAccessible::focusChild() const {
    if (widget()->hasFocus())
        for (int i = 0; i < m_items->ItemCount(); ++i)
            if (m_items->ItemCurrent(i))
                return child(i);
    return QAccessibleWidget::focusChild();
}
