#pragma once

#include "ui/controls/LeafAccessible.h"

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>

class PaintedAccessible;

// One painted part of a widget (a swatch, a day) to assistive technology:
// its name, place, state and a press action that does what a click does.
class PaintedItemAccessible : public LeafAccessible, public QAccessibleActionInterface {
public:
    PaintedItemAccessible(PaintedAccessible* parent, int index);

    bool isValid() const override;
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    PaintedAccessible* m_parent;
    int m_index;
};
