#pragma once

#include <QStringList>
#include <QVector>

class ClsViewPro;

// The columns of a printed table, in thousandths of the page width: the
// vertical lines between the cells and, for each column, where its text is
// anchored and how it is aligned (ClsViewPro::Align). A row is a box across
// the page with the vertical lines inside it and one text per cell; a text
// too wide for its cell is cut short inside it.
class ReportTable {
public:
    struct Column {
        int x;
        int align;
    };

    ReportTable(QVector<int> lines, QVector<Column> columns);

    int ColumnCount() const { return int(m_columns.size()); }
    // The lines on either side of a column's text.
    int CellLeft(int column) const;
    int CellRight(int column) const;

    // Draws the box from top to bottom, the vertical lines and the cells'
    // texts at textY; missing cells stay empty.
    void DrawRow(ClsViewPro& view, int top, int bottom, int textY, const QStringList& cells) const;

private:
    QVector<int> m_lines;
    QVector<Column> m_columns;
};
