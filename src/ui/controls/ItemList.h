#pragma once

#include <QStringList>
#include <QWidget>

class ItemListDelegate;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

// A multi-column list of rows. Each row carries, besides its cell texts, a
// text tag, a numeric value, a background colour (a stored RGB number; the
// text colour follows for contrast) and, when the list has a tick column, a
// three-state tick. A heading line above the column titles names what the
// list shows.
//
// Rows are addressed by their index from 0; -1 stands for "no row". Choosing
// a row from code (SetSelectedRow) selects it quietly; only the user's click
// (or Enter) reports ItemClick, and every other move of the highlighted row
// by the user (arrow keys, a press, a drag from one row to another) reports
// UserRowChange, so a window decides itself when its click handler runs and
// can always show what is highlighted.
class ItemList : public QWidget {
    Q_OBJECT
public:
    // The states of a row's tick.
    enum Tick { Unticked = 0, Ticked = 1, Unavailable = 2 };

    explicit ItemList(QWidget* parent = nullptr);

    // Columns.
    int AddColumn(const QString& title, int width);
    int ColumnCount() const;
    // Widens a column to show its longest text (never narrows it).
    void FitColumnToContents(int column);
    // Removes every row and every column.
    void ClearColumns();

    // Rows. AddRow takes the cells as one text separated by ";"; the list form
    // keeps a ";" inside a cell's text. Both return the index of the new row.
    int AddRow(const QString& cells);
    int AddRow(const QStringList& cells);
    void Clear();
    int RowCount() const;
    QString CellText(int row, int column) const;
    void SetCellText(int row, int column, const QString& text);

    QString RowTag(int row) const;
    void SetRowTag(int row, const QString& tag);
    qint32 RowValue(int row) const;
    void SetRowValue(int row, qint32 value);
    // Background colour as a stored RGB number; white until set.
    qint32 RowColour(int row) const;
    void SetRowColour(int row, qint32 rgb);

    // The column that shows each row's tick; -1 (the default) for none. A
    // user's click on a tick toggles it between Unticked and Ticked; an
    // Unavailable tick cannot be changed by the user.
    int TickColumn() const { return m_tickColumn; }
    void SetTickColumn(int column);
    int RowTick(int row) const;
    void SetRowTick(int row, int state);

    int SelectedRow() const;
    void SetSelectedRow(int row);
    void EnsureRowVisible(int row);

    QString Heading() const;
    void SetHeading(const QString& text);

    // Grid lines between the cells (on by default).
    bool GridLines() const { return m_gridLines; }
    void SetGridLines(bool on);

    QTreeWidget* Tree() const { return m_tree; }

signals:
    void ItemClick(int row, int column);
    void ItemDblClick(int row, int column);
    // The user moved the highlighted row (keyboard or mouse).
    void UserRowChange(int row);
    // A user's click changed the tick of a row.
    void TickChanged(int row, int state);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTreeWidgetItem* Item(int row) const;
    int RowOf(const QTreeWidgetItem* item) const;
    void ApplyColour(QTreeWidgetItem* item, qint32 rgb);
    void ApplyTick(QTreeWidgetItem* item, int state);
    void OnItemChanged(QTreeWidgetItem* item, int column);

    QLabel* m_heading = nullptr;
    QTreeWidget* m_tree = nullptr;
    ItemListDelegate* m_delegate = nullptr;
    int m_tickColumn = -1;
    bool m_gridLines = true;
    bool m_settingTick = false;
    // Above 0 while the program itself changes rows or the selection.
    int m_quiet = 0;
};
