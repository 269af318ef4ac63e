#pragma once

#include <QAccessible>
#include <QRect>
#include <QString>

class QWidget;

// What a hand-painted control tells assistive technology about the parts a
// user acts on (the swatches of a palette, the days of a calendar): how many
// there are, their names, where they are drawn, which one is current, and
// what pressing one does. A widget that paints such parts implements it, or
// names an object that does in its "paintedItems" property; PaintedAccessible
// turns it into one accessible child per part.
class PaintedItems {
public:
    static constexpr const char* kProperty = "paintedItems";

    virtual ~PaintedItems() = default;

    // The widget that paints the parts.
    virtual const QWidget* ItemsWidget() const = 0;
    virtual int ItemCount() const = 0;
    virtual QString ItemName(int index) const = 0;
    virtual QString ItemDescription(int) const { return QString(); }
    // Where the part is drawn, in the coordinates of the painting widget.
    virtual QRect ItemRect(int index) const = 0;
    // The part the keyboard is on (and that Enter would choose).
    virtual bool ItemCurrent(int index) const = 0;
    // Does what a click on the part does.
    virtual void PressItem(int index) = 0;

    virtual QAccessible::Role ContainerRole() const { return QAccessible::Grouping; }
    virtual QAccessible::Role ItemRole() const { return QAccessible::Button; }
};
