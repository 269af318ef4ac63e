#pragma once

#include "ui/controls/ScheduleCells.h"

#include <QAccessibleWidget>
#include <QHash>

#include <vector>

class ScheduleView;

// The schedule as assistive technology reads it: a table with one row per
// resource (its name the row header) whose cells are the row's bookings and
// free slots in time order (ScheduleCells). Rows hold different numbers of
// cells: the table is as wide as the longest row, and a shorter row answers
// for the columns it lacks with an empty cell, so that no valid index is
// ever without one. Each cell's column header is the ruler's label over its
// start. The current cell (the keyboard's place) is the selected cell.
//
// Cell objects are made when asked for and kept until the rows, bars or
// shown dates change.
class ScheduleAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit ScheduleAccessible(ScheduleView* view);
    ~ScheduleAccessible() override;

    // Makes every ScheduleView answer with this interface; once per run.
    static void Install();

    ScheduleView* View() const;
    // The cell of a table position; null when the row has fewer cells.
    const ScheduleCells::Cell* CellData(int row, int column) const;
    QAccessibleInterface* RowHeader(int row) const;
    QAccessibleInterface* ColumnHeader(const QString& label) const;

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int columnCount() const override;
    int rowCount() const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

private:
    // Drops what was kept when the schedule changed since.
    void Sync() const;
    void Drop() const;
    const std::vector<std::vector<ScheduleCells::Cell>>& Rows() const;

    mutable quint64 m_generation = 0;
    mutable bool m_rowsRead = false;
    mutable int m_columns = 0;
    mutable std::vector<std::vector<ScheduleCells::Cell>> m_rows;
    mutable QHash<qint64, QAccessible::Id> m_cells; // row * 2^32 + column
    mutable QHash<int, QAccessible::Id> m_rowHeaders;
    mutable QHash<QString, QAccessible::Id> m_columnHeaders;
};
