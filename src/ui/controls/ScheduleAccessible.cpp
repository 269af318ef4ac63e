#include "ui/controls/ScheduleAccessible.h"

#include "ui/controls/ScheduleCellAccessible.h"
#include "ui/controls/ScheduleView.h"

#include <algorithm>

namespace {
qint64 CellKey(int row, int column) { return (qint64(row) << 32) | quint32(column); }

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className == QLatin1String("ScheduleView") && object && object->isWidgetType())
        return new ScheduleAccessible(static_cast<ScheduleView*>(object));
    return nullptr;
}
} // namespace

ScheduleAccessible::ScheduleAccessible(ScheduleView* view)
    : QAccessibleWidget(view, QAccessible::Table) {
    m_generation = view->CellsGeneration();
}

ScheduleAccessible::~ScheduleAccessible() { Drop(); }

void ScheduleAccessible::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    Q_UNUSED(installed);
}

ScheduleView* ScheduleAccessible::View() const { return static_cast<ScheduleView*>(widget()); }

void ScheduleAccessible::Drop() const {
    for (const QAccessible::Id id : std::as_const(m_cells))
        QAccessible::deleteAccessibleInterface(id);
    for (const QAccessible::Id id : std::as_const(m_rowHeaders))
        QAccessible::deleteAccessibleInterface(id);
    for (const QAccessible::Id id : std::as_const(m_columnHeaders))
        QAccessible::deleteAccessibleInterface(id);
    m_cells.clear();
    m_rowHeaders.clear();
    m_columnHeaders.clear();
    m_rows.clear();
    m_rowsRead = false;
    m_columns = 0;
}

void ScheduleAccessible::Sync() const {
    if (!isValid() || View()->CellsGeneration() == m_generation)
        return;
    m_generation = View()->CellsGeneration();
    Drop();
}

const std::vector<std::vector<ScheduleCells::Cell>>& ScheduleAccessible::Rows() const {
    Sync();
    if (!m_rowsRead && isValid()) {
        m_rowsRead = true;
        const ScheduleView* view = View();
        m_rows.resize(size_t(std::max(0, view->RowCount() - 1)));
        for (size_t i = 0; i < m_rows.size(); ++i) {
            m_rows[i] = view->RowCells(int(i) + 1);
            m_columns = std::max(m_columns, int(m_rows[i].size()));
        }
    }
    return m_rows;
}

const ScheduleCells::Cell* ScheduleAccessible::CellData(int row, int column) const {
    const auto& rows = Rows();
    if (row < 0 || row >= int(rows.size()) || column < 0 || column >= int(rows[size_t(row)].size()))
        return nullptr;
    return &rows[size_t(row)][size_t(column)];
}

void ScheduleAccessible::modelChange(QAccessibleTableModelChangeEvent* event) {
    Q_UNUSED(event);
    Drop();
    if (isValid())
        m_generation = View()->CellsGeneration();
}

void* ScheduleAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString ScheduleAccessible::text(QAccessible::Text t) const {
    const QString own = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && own.isEmpty())
        return QStringLiteral("Schedule");
    return own;
}

int ScheduleAccessible::rowCount() const { return int(Rows().size()); }

int ScheduleAccessible::columnCount() const {
    Rows();
    return m_columns;
}

int ScheduleAccessible::childCount() const { return rowCount() * columnCount(); }

QAccessibleInterface* ScheduleAccessible::child(int index) const {
    const int columns = columnCount();
    if (index < 0 || columns == 0 || index >= rowCount() * columns)
        return nullptr;
    return cellAt(index / columns, index % columns);
}

int ScheduleAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (!child || child->parent() != this || child->role() != QAccessible::Cell)
        return -1;
    const QAccessibleTableCellInterface* cell =
        const_cast<QAccessibleInterface*>(child)->tableCellInterface();
    return cell ? cell->rowIndex() * columnCount() + cell->columnIndex() : -1;
}

QAccessibleInterface* ScheduleAccessible::childAt(int x, int y) const {
    if (!isValid())
        return nullptr;
    const ScheduleView* view = View();
    const QPoint point = view->viewport()->mapFromGlobal(QPoint(x, y));
    const auto& rows = Rows();
    for (size_t row = 0; row < rows.size(); ++row) {
        for (size_t column = 0; column < rows[row].size(); ++column) {
            if (view->CellRect(int(row) + 1, rows[row][column]).contains(point))
                return cellAt(int(row), int(column));
        }
    }
    return nullptr;
}

QAccessibleInterface* ScheduleAccessible::cellAt(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return nullptr;
    const qint64 key = CellKey(row, column);
    if (const QAccessible::Id id = m_cells.value(key))
        return QAccessible::accessibleInterface(id);
    auto* cell = new ScheduleCellAccessible(this, ScheduleCellAccessible::Cell, row, column);
    m_cells.insert(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

QAccessibleInterface* ScheduleAccessible::RowHeader(int row) const {
    if (row < 0 || row >= rowCount())
        return nullptr;
    if (const QAccessible::Id id = m_rowHeaders.value(row))
        return QAccessible::accessibleInterface(id);
    auto* header = new ScheduleCellAccessible(this, ScheduleCellAccessible::RowHeader, row, 0);
    m_rowHeaders.insert(row, QAccessible::registerAccessibleInterface(header));
    return header;
}

QAccessibleInterface* ScheduleAccessible::ColumnHeader(const QString& label) const {
    Sync();
    if (const QAccessible::Id id = m_columnHeaders.value(label))
        return QAccessible::accessibleInterface(id);
    auto* header =
        new ScheduleCellAccessible(this, ScheduleCellAccessible::ColumnHeader, -1, -1, label);
    m_columnHeaders.insert(label, QAccessible::registerAccessibleInterface(header));
    return header;
}

int ScheduleAccessible::selectedCellCount() const { return int(selectedCells().size()); }

QList<QAccessibleInterface*> ScheduleAccessible::selectedCells() const {
    if (!isValid())
        return {};
    const ScheduleView::CellRef current = View()->CurrentCell();
    QAccessibleInterface* cell = current.index >= 0 ? cellAt(current.row - 1, current.index) : nullptr;
    return cell ? QList<QAccessibleInterface*>{cell} : QList<QAccessibleInterface*>{};
}

QString ScheduleAccessible::columnDescription(int column) const {
    // Rows differ in their cells: the column reads as the current row's cell.
    if (!isValid())
        return QString();
    const ScheduleCells::Cell* cell = CellData(View()->CurrentCell().row - 1, column);
    return cell ? View()->RulerLabel(cell->startKey) : QString();
}

QString ScheduleAccessible::rowDescription(int row) const {
    return isValid() && row >= 0 && row < rowCount() ? View()->CellText(row + 1, 1) : QString();
}
