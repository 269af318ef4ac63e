#include "ui/controls/ItemList.h"

#include "base/ColourUtil.h"
#include "ui/controls/ItemListDelegate.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int kTagRole = Qt::UserRole;
constexpr int kValueRole = Qt::UserRole + 1;
constexpr int kColourRole = Qt::UserRole + 2;
constexpr int kTickRole = Qt::UserRole + 3;
constexpr int kTextRole = Qt::UserRole + 4; // the exact cell text
constexpr qint32 kWhite = 0xFFFFFF;
// Cells longer than this carry their whole text as a tool tip too.
constexpr int kTipLength = 30;

// The text a cell shows: line breaks would be drawn as several lines clipped
// by the row, so they appear as a return sign; the exact text stays in the
// cell (CellText) and in its tool tip.
QString DisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral(" \u21b5 "));
    shown.replace(QLatin1Char('\n'), QStringLiteral(" \u21b5 "));
    shown.replace(QLatin1Char('\r'), QStringLiteral(" \u21b5 "));
    return shown;
}

Qt::CheckState CheckStateOf(int tick) {
    switch (tick) {
    case ItemList::Ticked:
        return Qt::Checked;
    case ItemList::Unavailable:
        return Qt::PartiallyChecked;
    default:
        return Qt::Unchecked;
    }
}
} // namespace

ItemList::ItemList(QWidget* parent) : QWidget(parent) {
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("Heading"));
    m_heading->setAlignment(Qt::AlignCenter);
    m_heading->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    m_heading->setMargin(2);
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    m_heading->setVisible(false);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("Rows"));
    m_tree->setColumnCount(0);
    m_tree->setRootIsDecorated(false);
    m_tree->setItemsExpandable(false);
    m_tree->setUniformRowHeights(true);
    m_tree->setAllColumnsShowFocus(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->header()->setStretchLastSection(true);
    m_tree->header()->setSectionsMovable(false);
    m_tree->installEventFilter(this);
    m_delegate = new ItemListDelegate(m_tree);
    m_tree->setItemDelegate(m_delegate);
    SetGridLines(true);

    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int column) {
        const int row = RowOf(item);
        if (row >= 0)
            emit ItemClick(row, column);
    });
    // However the user moved the highlight (a press, a drag that ends on
    // another row, the keys), the window hears of the row now highlighted.
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, [this] {
        const int row = SelectedRow();
        if (m_quiet == 0 && row >= 0)
            emit UserRowChange(row);
    });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int column) {
                const int row = RowOf(item);
                if (row >= 0)
                    emit ItemDblClick(row, column);
            });
    connect(m_tree, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item, int column) { OnItemChanged(item, column); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_heading);
    layout->addWidget(m_tree, 1);
    setFocusProxy(m_tree);
}

int ItemList::AddColumn(const QString& title, int width) {
    const int column = m_tree->columnCount();
    m_tree->setColumnCount(column + 1);
    QTreeWidgetItem* header = m_tree->headerItem();
    header->setText(column, title);
    m_tree->setColumnWidth(column, width);
    return column;
}

void ItemList::FitColumnToContents(int column) {
    if (column < 0 || column >= m_tree->columnCount())
        return;
    const int width = m_tree->columnWidth(column);
    m_tree->resizeColumnToContents(column);
    if (m_tree->columnWidth(column) < width)
        m_tree->setColumnWidth(column, width);
}

int ItemList::ColumnCount() const { return m_tree->columnCount(); }

void ItemList::ClearColumns() {
    Clear();
    m_tree->setColumnCount(0);
    m_tickColumn = -1;
}

int ItemList::AddRow(const QString& cells) { return AddRow(cells.split(QLatin1Char(';'))); }

int ItemList::AddRow(const QStringList& cells) {
    auto* item = new QTreeWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    for (int column = 0; column < cells.size(); ++column) {
        item->setData(column, kTextRole, cells[column]);
        item->setText(column, DisplayText(cells[column]));
        if (cells[column].size() > kTipLength || DisplayText(cells[column]) != cells[column])
            item->setToolTip(column, cells[column]);
    }
    item->setData(0, kTagRole, QString());
    item->setData(0, kValueRole, 0);
    item->setData(0, kColourRole, kWhite);
    item->setData(0, kTickRole, int(Unticked));
    m_settingTick = true;
    m_tree->addTopLevelItem(item);
    if (m_tickColumn >= 0)
        ApplyTick(item, Unticked);
    m_settingTick = false;
    return m_tree->topLevelItemCount() - 1;
}

void ItemList::Clear() {
    ++m_quiet;
    m_tree->clear();
    --m_quiet;
}

int ItemList::RowCount() const { return m_tree->topLevelItemCount(); }

QString ItemList::CellText(int row, int column) const {
    const QTreeWidgetItem* item = Item(row);
    return item ? item->data(column, kTextRole).toString() : QString();
}

void ItemList::SetCellText(int row, int column, const QString& text) {
    if (QTreeWidgetItem* item = Item(row)) {
        item->setData(column, kTextRole, text);
        item->setText(column, DisplayText(text));
        item->setToolTip(column, text.size() > kTipLength || DisplayText(text) != text
                                     ? text
                                     : QString());
    }
}

QString ItemList::RowTag(int row) const {
    const QTreeWidgetItem* item = Item(row);
    return item ? item->data(0, kTagRole).toString() : QString();
}

void ItemList::SetRowTag(int row, const QString& tag) {
    if (QTreeWidgetItem* item = Item(row))
        item->setData(0, kTagRole, tag);
}

qint32 ItemList::RowValue(int row) const {
    const QTreeWidgetItem* item = Item(row);
    return item ? item->data(0, kValueRole).toInt() : 0;
}

void ItemList::SetRowValue(int row, qint32 value) {
    if (QTreeWidgetItem* item = Item(row))
        item->setData(0, kValueRole, value);
}

qint32 ItemList::RowColour(int row) const {
    const QTreeWidgetItem* item = Item(row);
    return item ? item->data(0, kColourRole).toInt() : kWhite;
}

void ItemList::SetRowColour(int row, qint32 rgb) {
    if (QTreeWidgetItem* item = Item(row))
        ApplyColour(item, rgb);
}

void ItemList::ApplyColour(QTreeWidgetItem* item, qint32 rgb) {
    item->setData(0, kColourRole, rgb);
    const QColor back = ColourUtil::ToColor(rgb);
    // Black or white text, whichever contrasts more with the row.
    const QColor fore = ColourUtil::TextOn(back);
    for (int column = 0; column < qMax(m_tree->columnCount(), item->columnCount()); ++column) {
        item->setBackground(column, back);
        item->setForeground(column, fore);
    }
}

void ItemList::SetTickColumn(int column) {
    m_tickColumn = column;
    m_settingTick = true;
    for (int row = 0; row < RowCount(); ++row)
        ApplyTick(Item(row), RowTick(row));
    m_settingTick = false;
}

int ItemList::RowTick(int row) const {
    const QTreeWidgetItem* item = Item(row);
    return item ? item->data(0, kTickRole).toInt() : int(Unticked);
}

void ItemList::SetRowTick(int row, int state) {
    QTreeWidgetItem* item = Item(row);
    if (!item)
        return;
    if (state != Ticked && state != Unavailable)
        state = Unticked;
    m_settingTick = true;
    item->setData(0, kTickRole, state);
    if (m_tickColumn >= 0)
        ApplyTick(item, state);
    m_settingTick = false;
}

void ItemList::ApplyTick(QTreeWidgetItem* item, int state) {
    if (!item || m_tickColumn < 0)
        return;
    Qt::ItemFlags flags = item->flags();
    if (state == Unavailable)
        flags &= ~Qt::ItemIsUserCheckable;
    else
        flags |= Qt::ItemIsUserCheckable;
    item->setFlags(flags);
    item->setCheckState(m_tickColumn, CheckStateOf(state));
}

void ItemList::OnItemChanged(QTreeWidgetItem* item, int column) {
    if (m_settingTick || column != m_tickColumn || !item)
        return;
    const int before = item->data(0, kTickRole).toInt();
    if (before == Unavailable) {
        // Taken rows keep their mark whatever happens to the box.
        m_settingTick = true;
        ApplyTick(item, Unavailable);
        m_settingTick = false;
        return;
    }
    const int state = item->checkState(m_tickColumn) == Qt::Checked ? Ticked : Unticked;
    if (state == before)
        return;
    item->setData(0, kTickRole, state);
    emit TickChanged(RowOf(item), state);
}

int ItemList::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    return selected.isEmpty() ? -1 : RowOf(selected.first());
}

void ItemList::SetSelectedRow(int row) {
    ++m_quiet;
    if (QTreeWidgetItem* item = Item(row)) {
        m_tree->setCurrentItem(item);
        item->setSelected(true);
    } else {
        m_tree->clearSelection();
    }
    --m_quiet;
}

void ItemList::EnsureRowVisible(int row) {
    if (QTreeWidgetItem* item = Item(row))
        m_tree->scrollToItem(item, QAbstractItemView::PositionAtCenter);
}

QString ItemList::Heading() const { return m_heading->text(); }

void ItemList::SetHeading(const QString& text) {
    m_heading->setText(text);
    m_heading->setVisible(!text.isEmpty());
}

void ItemList::SetGridLines(bool on) {
    m_gridLines = on;
    m_delegate->SetGridLines(on);
    m_tree->viewport()->update();
}

bool ItemList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter on the current row is the keyboard's click.
            const int row = RowOf(m_tree->currentItem());
            if (row >= 0) {
                SetSelectedRow(row);
                emit ItemClick(row, 0);
                return true;
            }
        }
        // Arrow, page, Home and End keys move the highlighted row (the
        // selection signal tells the window). A key the tree does not take
        // goes on to the window (Escape, say).
        static_cast<QObject*>(m_tree)->event(event);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QTreeWidgetItem* ItemList::Item(int row) const {
    if (row < 0 || row >= m_tree->topLevelItemCount())
        return nullptr;
    return m_tree->topLevelItem(row);
}

int ItemList::RowOf(const QTreeWidgetItem* item) const {
    return item ? m_tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1;
}
