// The multi-column list: rows from separated text, per-row tag, value,
// colour and three-state tick, selection from code versus the user's click.
#include "app/ColourUtil.h"
#include "ui/controls/ItemList.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

class TestItemList : public QObject {
    Q_OBJECT
private slots:
    void rowsFromSeparatedText_data();
    void rowsFromSeparatedText();
    void rowColourAndContrast_data();
    void rowColourAndContrast();
    void userTicksOnlyAvailableRows();
    void selectionFromCodeIsQuietClickIsReported();
    void headingShowsOnlyWithText();
};

void TestItemList::rowsFromSeparatedText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("cells");

    QTest::newRow("six cells") << "09:00 am;Check-up;Ann;a;b;c"
                               << QStringList{"09:00 am", "Check-up", "Ann", "a", "b", "c"};
    QTest::newRow("empty cells kept, fewer cells than columns")
        << ";Sat;;05 December 2026" << QStringList{"", "Sat", "", "05 December 2026", "", ""};
}

void TestItemList::rowsFromSeparatedText() {
    QFETCH(QString, text);
    QFETCH(QStringList, cells);
    ItemList list;
    for (int i = 0; i < 6; ++i)
        QCOMPARE(list.AddColumn(QStringLiteral("C%1").arg(i), 50), i);
    QCOMPARE(list.AddRow(QStringLiteral("first")), 0);
    QCOMPARE(list.AddRow(text), 1);
    QStringList got;
    for (int column = 0; column < 6; ++column)
        got << list.CellText(1, column);
    QCOMPARE(got, cells);
    // The list form keeps a separator and a line break inside a cell.
    const int row = list.AddRow(QStringList{"a;b", "x\ny"});
    QCOMPARE(list.CellText(row, 0) + "|" + list.CellText(row, 1), QStringLiteral("a;b|x\ny"));
    QCOMPARE(list.RowCount(), 3);
    list.Clear();
    QCOMPARE(list.RowCount(), 0);
    QCOMPARE(list.ColumnCount(), 6);
}

void TestItemList::rowColourAndContrast_data() {
    QTest::addColumn<qint32>("rgb");
    QTest::addColumn<QColor>("back");
    QTest::addColumn<QColor>("fore");

    QTest::newRow("pure red, stored red in the low byte")
        << qint32(0x0000FF) << QColor(255, 0, 0) << QColor(Qt::white);
    QTest::newRow("pale yellow") << qint32(0xC0FFFF) << QColor(255, 255, 192) << QColor(Qt::black);
}

void TestItemList::rowColourAndContrast() {
    QFETCH(qint32, rgb);
    QFETCH(QColor, back);
    QFETCH(QColor, fore);
    ItemList list;
    list.AddColumn(QStringLiteral("A"), 40);
    list.AddColumn(QStringLiteral("B"), 40);
    const int row = list.AddRow(QStringLiteral("a;b"));
    QCOMPARE(list.RowColour(row), qint32(0xFFFFFF));
    list.SetRowColour(row, rgb);
    list.SetRowTag(row, QStringLiteral("540"));
    list.SetRowValue(row, 77);
    QCOMPARE(list.RowColour(row), rgb);
    QTreeWidgetItem* item = list.Tree()->topLevelItem(row);
    for (int column = 0; column < 2; ++column) {
        QCOMPARE(item->background(column).color(), back);
        QCOMPARE(item->foreground(column).color(), fore);
    }
    QCOMPARE(list.RowTag(row) + "/" + QString::number(list.RowValue(row)),
             QStringLiteral("540/77"));
    QCOMPARE(list.RowTag(5) + "/" + QString::number(list.RowValue(5)), QStringLiteral("/0"));
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

void TestItemList::headingShowsOnlyWithText() {
    ItemList list;
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QLabel* heading = list.findChild<QLabel*>(QStringLiteral("Heading"));
    QVERIFY(heading);
    QVERIFY(!heading->isVisible());
    list.SetHeading(QStringLiteral("Saturday 5 December 2026"));
    QVERIFY(heading->isVisible());
    QCOMPARE(list.Heading(), QStringLiteral("Saturday 5 December 2026"));
    list.SetHeading(QString());
    QVERIFY(!heading->isVisible());
}

QTEST_MAIN(TestItemList)
#include "tst_itemlist.moc"
