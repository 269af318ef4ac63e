#include "ui/controls/ScheduleCellAccessible.h"

#include "ui/controls/ScheduleAccessible.h"
#include "ui/controls/ScheduleView.h"

#include <QWidget>
#include <QWindow>

ScheduleCellAccessible::ScheduleCellAccessible(const ScheduleAccessible* table, Kind kind, int row,
                                               int column, const QString& label)
    : m_table(table), m_view(table->View()), m_kind(kind), m_row(row), m_column(column),
      m_label(label) {}

ScheduleView* ScheduleCellAccessible::View() const { return static_cast<ScheduleView*>(m_view.data()); }

bool ScheduleCellAccessible::isValid() const { return !m_view.isNull(); }

QWindow* ScheduleCellAccessible::window() const {
    return isValid() ? View()->window()->windowHandle() : nullptr;
}

QAccessibleInterface* ScheduleCellAccessible::parent() const {
    return isValid() ? const_cast<ScheduleAccessible*>(m_table) : nullptr;
}

QAccessibleInterface* ScheduleCellAccessible::table() const { return parent(); }

bool ScheduleCellAccessible::IsCurrent() const {
    if (!isValid() || m_kind != Cell)
        return false;
    const ScheduleView::CellRef current = View()->CurrentCell();
    return current.index >= 0 && current.row - 1 == m_row && current.index == m_column;
}

QString ScheduleCellAccessible::text(QAccessible::Text t) const {
    if (!isValid() || t != QAccessible::Name)
        return QString();
    switch (m_kind) {
    case RowHeader:
        return View()->CellText(m_row + 1, 1);
    case ColumnHeader:
        return m_label;
    case Cell:
        break;
    }
    const ScheduleCells::Cell* cell = m_table->CellData(m_row, m_column);
    return cell ? View()->CellName(m_row + 1, *cell) : QString();
}

QRect ScheduleCellAccessible::rect() const {
    if (!isValid() || m_kind == ColumnHeader)
        return QRect();
    const ScheduleView* view = View();
    QRect local;
    if (m_kind == RowHeader) {
        const QPoint middle = view->PointForTime(m_row + 1, view->FirstDate(), 0);
        local = QRect(view->viewport()->mapFrom(view, QPoint(0, middle.y() - view->RowHeight() / 2)),
                      QSize(view->ListWidth(), view->RowHeight()));
    } else if (const ScheduleCells::Cell* cell = m_table->CellData(m_row, m_column)) {
        local = view->CellRect(m_row + 1, *cell);
    }
    return local.isEmpty() ? QRect()
                           : QRect(view->viewport()->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::Role ScheduleCellAccessible::role() const {
    switch (m_kind) {
    case RowHeader:
        return QAccessible::RowHeader;
    case ColumnHeader:
        return QAccessible::ColumnHeader;
    case Cell:
        break;
    }
    return QAccessible::Cell;
}

QAccessible::State ScheduleCellAccessible::state() const {
    QAccessible::State state;
    if (!isValid())
        return state;
    if (m_kind == Cell) {
        state.focusable = true;
        state.selectable = true;
        state.selected = IsCurrent();
        state.focused = state.selected && View()->hasFocus();
    }
    if (rect().isEmpty()) {
        state.invisible = m_kind != ColumnHeader && !m_table->CellData(m_row, m_column);
        state.offscreen = true;
    }
    return state;
}

void* ScheduleCellAccessible::interface_cast(QAccessible::InterfaceType type) {
    return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this)
                                                   : nullptr;
}

bool ScheduleCellAccessible::isSelected() const { return IsCurrent(); }

QList<QAccessibleInterface*> ScheduleCellAccessible::columnHeaderCells() const {
    const ScheduleCells::Cell* cell =
        isValid() && m_kind == Cell ? m_table->CellData(m_row, m_column) : nullptr;
    if (!cell)
        return {};
    return {m_table->ColumnHeader(View()->RulerLabel(cell->startKey))};
}

QList<QAccessibleInterface*> ScheduleCellAccessible::rowHeaderCells() const {
    if (!isValid() || m_kind != Cell)
        return {};
    QAccessibleInterface* header = m_table->RowHeader(m_row);
    return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
}
