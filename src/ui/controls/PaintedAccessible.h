#pragma once

#include <QAccessibleWidget>
#include <QVector>

class PaintedItems;

// The accessible face of a widget that paints parts a user acts on: the
// widget itself, named as any widget, with one child per painted part
// (PaintedItemAccessible). The children are made when first asked for and
// live as long as this interface.
class PaintedAccessible : public QAccessibleWidget {
public:
    PaintedAccessible(QWidget* widget, PaintedItems* items);
    ~PaintedAccessible() override;

    // The factory for QAccessible::installFactory: painted widgets, and the
    // widgets that act as buttons (Q_CLASSINFO "AccessibleRole" "Button"
    // with an invokable Activate()).
    static QAccessibleInterface* Factory(const QString& className, QObject* object);
    // Installs the factory once.
    static void Install();

    PaintedItems* Items() const { return m_items; }
    QWidget* PaintingWidget() const { return widget(); }

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    PaintedItems* m_items;
    mutable QVector<QAccessible::Id> m_children;
};
