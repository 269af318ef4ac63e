#include "ui/controls/PressableAccessible.h"

#include <QMetaObject>

PressableAccessible::PressableAccessible(QWidget* widget)
    : QAccessibleWidget(widget, QAccessible::Button) {}

QStringList PressableAccessible::actionNames() const {
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void PressableAccessible::doAction(const QString& actionName) {
    if (actionName == pressAction())
        QMetaObject::invokeMethod(object(), "Activate");
    else
        QAccessibleWidget::doAction(actionName);
}
