#pragma once

#include <QStyledItemDelegate>

// Paints the cells of an ItemList: the row's own background and text colours
// (also on a selected row, which is marked by a frame instead of being
// repainted in the selection colour, so a booking keeps its colour), and,
// when asked, thin grid lines between the cells.
class ItemListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit ItemListDelegate(QObject* parent = nullptr);

    bool GridLines() const { return m_gridLines; }
    void SetGridLines(bool on) { m_gridLines = on; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // A little air above and below the text of each row.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    bool m_gridLines = true;
};
