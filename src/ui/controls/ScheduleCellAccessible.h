#pragma once

#include "ui/controls/LeafAccessible.h"

#include <QAccessible>
#include <QPointer>
#include <QString>

class ScheduleAccessible;
class ScheduleView;

// One cell of the schedule's table for assistive technology: a booking or a
// free slot (or the empty filler of a short row), a row header (a resource's
// name) or a column header (a ruler label). It reads the schedule each time
// it is asked, so its name always tells what is drawn.
class ScheduleCellAccessible : public LeafAccessible, public QAccessibleTableCellInterface {
public:
    enum Kind { Cell, RowHeader, ColumnHeader };

    ScheduleCellAccessible(const ScheduleAccessible* table, Kind kind, int row, int column,
                           const QString& label = QString());

    Kind CellKind() const { return m_kind; }

    bool isValid() const override;
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override;
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

private:
    ScheduleView* View() const;
    bool IsCurrent() const;

    const ScheduleAccessible* m_table;
    QPointer<QObject> m_view;
    Kind m_kind;
    int m_row;    // table rows count from 0 (the schedule's row 1)
    int m_column; // the cell's place in its row
    QString m_label;
};
