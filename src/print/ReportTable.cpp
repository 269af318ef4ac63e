#include "print/ReportTable.h"

#include "print/ClsViewPro.h"

#include <algorithm>
#include <utility>

ReportTable::ReportTable(QVector<int> lines, QVector<Column> columns)
    : m_lines(std::move(lines)), m_columns(std::move(columns)) {}

int ReportTable::CellLeft(int column) const {
    const Column& c = m_columns.at(column);
    // A left-aligned text may start right on its line.
    int left = 0;
    for (int line : m_lines)
        if (line < c.x || (c.align == ClsViewPro::AlignLeft && line == c.x))
            left = std::max(left, line);
    return left;
}

int ReportTable::CellRight(int column) const {
    const Column& c = m_columns.at(column);
    int right = 1000;
    for (int line : m_lines)
        if (line > c.x)
            right = std::min(right, line);
    return right;
}

void ReportTable::DrawRow(ClsViewPro& view, int top, int bottom, int textY,
                          const QStringList& cells) const {
    view.DrawBox(0, top, 1000, bottom);
    for (int line : m_lines)
        view.DrawLine(line, top, line, bottom);
    for (int i = 0; i < ColumnCount() && i < cells.size(); ++i)
        view.DrawCellText(m_columns[i].x, textY, cells[i], m_columns[i].align, CellLeft(i),
                          CellRight(i));
}
