// The multi-column list: rows from separated text, per-row tag, value,
// colour and three-state tick, selection from code versus the user's click.
#include "base/ColourUtil.h"
#include "ui/controls/ItemList.h"

#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

class TestItemList : public QObject {
    Q_OBJECT
private slots:
    void rowsHoldCellsTagValueAndColour();
    void userTicksOnlyAvailableRows();
    void selectionFromCodeIsQuietClickIsReported();
};

void TestItemList::rowsHoldCellsTagValueAndColour() {
    ItemList list;
    for (int i = 0; i < 6; ++i)
        QCOMPARE(list.AddColumn(QStringLiteral("C%1").arg(i), 50), i);
    QCOMPARE(list.AddRow(QStringLiteral("09:00 am;Check-up;Ann;a;b;c")), 0);
    QCOMPARE(list.AddRow(QStringLiteral(";Sat;;05 December 2026")), 1); // empty cells kept
    // The list form keeps a separator and a line break inside a cell.
    QCOMPARE(list.AddRow(QStringList{"a;b", "x\ny"}), 2);
    QStringList cells;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 6; ++column)
            cells << list.CellText(row, column);
    QCOMPARE(cells.join('|'),
             QStringLiteral("09:00 am|Check-up|Ann|a|b|c||Sat||05 December 2026|||a;b|x\ny||||"));

    // Colours are stored with red in the low byte; dark rows get white text,
    // light rows black text, in every column.
    QCOMPARE(list.RowColour(0), qint32(0xFFFFFF));
    list.SetRowColour(0, 0x800000);
    list.SetRowColour(1, 0xC0FFFF);
    QCOMPARE(list.RowColour(0), qint32(0x800000));
    const QTreeWidgetItem* dark = list.Tree()->topLevelItem(0);
    const QTreeWidgetItem* pale = list.Tree()->topLevelItem(1);
    for (int column = 0; column < 6; ++column) {
        QCOMPARE(dark->background(column).color(), QColor(0, 0, 128));
        QCOMPARE(dark->foreground(column).color(), QColor(Qt::white));
        QCOMPARE(pale->background(column).color(), QColor(255, 255, 192));
        QCOMPARE(pale->foreground(column).color(), QColor(Qt::black));
    }
    list.SetRowTag(0, QStringLiteral("540"));
    list.SetRowValue(0, 77);
    QCOMPARE(list.RowTag(0) + "/" + QString::number(list.RowValue(0)), QStringLiteral("540/77"));
    QCOMPARE(list.RowTag(5) + "/" + QString::number(list.RowValue(5)), QStringLiteral("/0"));

    list.Clear();
    QCOMPARE(list.RowCount(), 0);
    QCOMPARE(list.ColumnCount(), 6);
}

void TestItemList::userTicksOnlyAvailableRows() {
    ItemList list;
    list.AddColumn(QStringLiteral("X"), 20);
    list.AddColumn(QStringLiteral("Date"), 100);
    list.SetTickColumn(0);
    list.AddRow(QStringLiteral(";free"));
    list.AddRow(QStringLiteral(";taken"));
    list.SetRowTick(1, ItemList::Unavailable);
    QSignalSpy changed(&list, &ItemList::TickChanged);
    QTreeWidgetItem* free = list.Tree()->topLevelItem(0);
    QTreeWidgetItem* taken = list.Tree()->topLevelItem(1);
    QVERIFY(free->flags() & Qt::ItemIsUserCheckable);
    QVERIFY(!(taken->flags() & Qt::ItemIsUserCheckable));
    free->setCheckState(0, Qt::Checked); // what a user's click does
    taken->setCheckState(0, Qt::Unchecked);
    QCOMPARE(list.RowTick(0), int(ItemList::Ticked));
    QCOMPARE(list.RowTick(1), int(ItemList::Unavailable));
    QCOMPARE(taken->checkState(0), Qt::PartiallyChecked);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), 0);
    // Setting from code reports nothing.
    list.SetRowTick(0, ItemList::Unticked);
    QCOMPARE(free->checkState(0), Qt::Unchecked);
    QCOMPARE(changed.count(), 1);
}

void TestItemList::selectionFromCodeIsQuietClickIsReported() {
    ItemList list;
    list.AddColumn(QStringLiteral("A"), 60);
    list.AddColumn(QStringLiteral("B"), 60);
    for (int i = 0; i < 40; ++i)
        list.AddRow(QStringLiteral("r%1;x").arg(i));
    list.resize(200, 150);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy clicks(&list, &ItemList::ItemClick);
    QCOMPARE(list.SelectedRow(), -1);
    list.SetSelectedRow(30);
    list.EnsureRowVisible(30);
    QCOMPARE(list.SelectedRow(), 30);
    QCOMPARE(clicks.count(), 0);
    QTreeWidget* tree = list.Tree();
    const QRect cell = tree->visualItemRect(tree->topLevelItem(30));
    QVERIFY(tree->viewport()->rect().contains(cell.center()));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                      QPoint(tree->columnViewportPosition(1) + 5, cell.center().y()));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.at(0).at(0).toInt(), 30);
    QCOMPARE(clicks.at(0).at(1).toInt(), 1);
    QTest::keyClick(tree, Qt::Key_Down);
    QTest::keyClick(tree, Qt::Key_Return);
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(clicks.at(1).at(0).toInt(), 31);
    QCOMPARE(list.SelectedRow(), 31);
    list.SetSelectedRow(-1);
    QCOMPARE(list.SelectedRow(), -1);
}

QTEST_MAIN(TestItemList)
#include "tst_itemlist.moc"
