#pragma once

#include <QAccessibleInterface>

// A painted part that assistive technology sees as an object of its own but
// that has no widget and no children: a palette swatch, a calendar day, a
// cell of the schedule. Subclasses give its name, place, role and state.
class LeafAccessible : public QAccessibleInterface {
public:
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
};
