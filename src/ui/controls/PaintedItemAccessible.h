#pragma once

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>

class PaintedAccessible;

// One painted part of a widget (a swatch, a day) to assistive technology:
// its name, place, state and a press action that does what a click does.
class PaintedItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PaintedItemAccessible(PaintedAccessible* parent, int index);

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
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
