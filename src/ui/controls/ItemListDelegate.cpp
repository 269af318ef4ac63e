#include "ui/controls/ItemListDelegate.h"

#include <QPainter>

ItemListDelegate::ItemListDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void ItemListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem plain(option);
    const bool selected = option.state & QStyle::State_Selected;
    plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    QStyledItemDelegate::paint(painter, plain, index);

    painter->save();
    if (selected) {
        // The row keeps its colour under a veil of the selection colour, with
        // a bar above and below it.
        QColor veil = option.palette.color(QPalette::Highlight);
        veil.setAlpha(70);
        painter->fillRect(option.rect, veil);
        const QColor bar = option.palette.color(QPalette::Highlight);
        painter->fillRect(QRect(option.rect.left(), option.rect.top(), option.rect.width(), 2), bar);
        painter->fillRect(
            QRect(option.rect.left(), option.rect.bottom() - 1, option.rect.width(), 2), bar);
    }
    if (m_gridLines) {
        painter->setPen(option.palette.color(QPalette::Midlight).darker(115));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    }
    painter->restore();
}

QSize ItemListDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(size.height() + 4);
    return size;
}
