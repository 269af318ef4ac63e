// The list and window helpers on real widgets.

#include "TestEnv.h"

#include "ui/common/ClsForms.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <memory>

class TstForms : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> env;

private slots:
    void init() {
        env = std::make_unique<TestEnv>();
        QVERIFY(env->Start());
        env->Sql("insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) values "
                 "(3, 'Rooms', 0, 1440, 5), (1, 'Staff', 0, 1440, 5), (2, 'Zoë''s', 0, 1440, 5), "
                 "(4, NULL, 0, 1440, 5)");
        env->Sql("insert into tblCustomerGroups (CustomerId, GroupId) values (1, 1), (1, 1), "
                 "(1, 2), (2, 3)");
    }
    void cleanup() { env.reset(); }

    void fillLists_data();
    void fillLists();
    void selectItemId_data();
    void selectItemId();
    void fitOnScreen_data();
    void fitOnScreen();
    void enableToolbar();
};

void TstForms::fillLists_data() {
    QTest::addColumn<QString>("list"); // "combo", "combo cleared first" or "check list"
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("expected"); // text:id, "+" when ticked
    const QString byName = "select GroupName, GroupId from tblGroups where GroupName is not null "
                           "order by GroupName";
    QTest::newRow("combo cleared first")
        << "combo cleared first" << byName << QStringList{"Rooms:3", "Staff:1", "Zoë's:2"};
    QTest::newRow("combo: a row without text is left out")
        << "combo cleared first"
        << "select GroupName, GroupId from tblGroups order by GroupId"
        << QStringList{"Staff:1", "Zoë's:2", "Rooms:3"};
    QTest::newRow("combo: failing query, kept")
        << "combo"
        << "select nothing from nowhere" << QStringList{"< None >:0"};
    // Column 0 counts the links of contact 1 to the group: 2 for Staff.
    QTest::newRow("check list ticked where the count is not 0")
        << "check list"
        << "select (select count(*) from tblCustomerGroups where GroupId = tblGroups.GroupId "
           "and CustomerId = 1), GroupName, GroupId from tblGroups where GroupName is not null "
           "order by GroupName"
        << QStringList{"Rooms:3", "Staff:1+", "Zoë's:2+"};
    QTest::newRow("check list: negative counts tick")
        << "check list"
        << "select -1, 'Minus', 7" << QStringList{"Minus:7+"};
    QTest::newRow("check list: failing query empties it")
        << "check list"
        << "select nothing from nowhere" << QStringList{};
}

void TstForms::fillLists() {
    QFETCH(QString, list);
    QFETCH(QString, sql);
    QFETCH(QStringList, expected);
    QStringList entries;
    if (list == "check list") {
        QListWidget widget;
        ClsForms::AddListItem(&widget, QStringLiteral("old"), 99);
        ClsForms::FillCheckList(&widget, sql);
        for (int i = 0; i < widget.count(); ++i) {
            const QListWidgetItem* item = widget.item(i);
            QVERIFY(item->flags() & Qt::ItemIsUserCheckable); // the user ticks and unticks
            entries << item->text() + ":" + QString::number(ClsForms::ItemId(&widget, i)) +
                           (item->checkState() == Qt::Checked ? "+" : "");
        }
    } else {
        QComboBox combo;
        ClsForms::AddListItem(&combo, QStringLiteral("< None >"), 0);
        ClsForms::FillCombo(&combo, sql, list == "combo cleared first");
        for (int i = 0; i < combo.count(); ++i)
            entries << combo.itemText(i) + ":" +
                           QString::number(combo.itemData(i, ClsForms::ItemRole).toInt());
    }
    QCOMPARE(entries, expected);
}

void TstForms::selectItemId_data() {
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("expectedIndex");

    QTest::newRow("found") << QList<int>{4, -8, 15} << -8 << 1;
    QTest::newRow("missing selects the first") << QList<int>{4, 8, 15} << 16 << 0;
    QTest::newRow("two of the same: the earlier") << QList<int>{4, 8, 8} << 8 << 1;
    QTest::newRow("the entry already current") << QList<int>{4, 8, 15} << 15 << 2;
    QTest::newRow("empty list stays without selection") << QList<int>{} << 8 << -1;
}

void TstForms::selectItemId() {
    QFETCH(QList<int>, ids);
    QFETCH(int, id);
    QFETCH(int, expectedIndex);
    QComboBox combo;
    for (int i = 0; i < ids.size(); ++i)
        ClsForms::AddListItem(&combo, QStringLiteral("entry %1").arg(i), ids[i]);
    combo.setCurrentIndex(ids.isEmpty() ? -1 : int(ids.size()) - 1);
    QSignalSpy clicks(&combo, &QComboBox::activated);
    ClsForms::SelectItemId(&combo, id);
    QCOMPARE(combo.currentIndex(), expectedIndex);
    // A window's handler hears of a user's choice by this signal: it comes once
    // for the entry selected, also when it was already current, and not for an empty list.
    QCOMPARE(clicks.size(), expectedIndex < 0 ? 0 : 1);
    if (expectedIndex >= 0)
        QCOMPARE(clicks.first().first().toInt(), expectedIndex);
    QCOMPARE(ClsForms::GetItemId(&combo), expectedIndex < 0 ? 0 : ids[expectedIndex]);
    QCOMPARE(ClsForms::GetItemId(nullptr), 0);
}

void TstForms::fitOnScreen_data() {
    QTest::addColumn<QRect>("placement");
    QTest::addColumn<QRect>("fitted");
    // The available area is 0,0 1000x700 (the task bar below it).
    QTest::newRow("inside stays") << QRect(10, 20, 300, 200) << QRect(10, 20, 300, 200);
    QTest::newRow("right of it moves in") << QRect(1800, 20, 300, 200) << QRect(700, 20, 300, 200);
    QTest::newRow("above and left moves in") << QRect(-500, -90, 300, 200) << QRect(0, 0, 300, 200);
    QTest::newRow("larger shrinks") << QRect(50, 50, 1600, 1200) << QRect(0, 0, 1000, 700);
}

void TstForms::fitOnScreen() {
    QFETCH(QRect, placement);
    QFETCH(QRect, fitted);
    QCOMPARE(ClsForms::FitOnScreen(placement, QRect(0, 0, 1000, 700)), fitted);
}

// Commands are switched off while a transfer runs, whatever kind of button they have.
void TstForms::enableToolbar() {
    QToolBar toolbar;
    auto* menuButton = toolbar.addAction(QStringLiteral("View"));
    menuButton->setMenu(new QMenu(&toolbar));
    auto* widgetButton = new QToolButton;
    const QList<QAction*> actions{toolbar.addAction(QStringLiteral("Print")), menuButton,
                                  toolbar.addWidget(widgetButton)};
    for (bool enabled : {false, true}) {
        ClsForms::EnableToolbar(&toolbar, enabled);
        for (QAction* action : actions)
            QCOMPARE(action->isEnabled(), enabled);
        QCOMPARE(widgetButton->isEnabled(), enabled);
    }
}

QTEST_MAIN(TstForms)
#include "tst_forms.moc"
