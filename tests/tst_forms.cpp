// The list and window helpers on real widgets.

#include "TestEnv.h"

#include "app/ClsForms.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <memory>

namespace {

QStringList Entries(const QComboBox& combo) {
    QStringList out;
    for (int i = 0; i < combo.count(); ++i)
        out << combo.itemText(i) + ":" +
                   QString::number(combo.itemData(i, ClsForms::ItemRole).toInt());
    return out;
}

QStringList Entries(const QListWidget& list) {
    QStringList out;
    for (int i = 0; i < list.count(); ++i) {
        const QListWidgetItem* item = list.item(i);
        out << item->text() + ":" + QString::number(ClsForms::ItemId(&list, i)) +
                   (item->checkState() == Qt::Checked ? "+" : "");
    }
    return out;
}

} // namespace

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

    void fillCombo_data();
    void fillCombo();
    void fillCheckList_data();
    void fillCheckList();
    void selectItemId_data();
    void selectItemId();
    void centreForm_data();
    void centreForm();
    void fitOnScreen_data();
    void fitOnScreen();
    void enableToolbar();
};

void TstForms::fillCombo_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("clearFirst");
    QTest::addColumn<QStringList>("expected");

    const QString byName = "select GroupName, GroupId from tblGroups where GroupName is not null "
                           "order by GroupName";
    QTest::newRow("cleared first")
        << byName << true << QStringList{"Rooms:3", "Staff:1", "Zoë's:2"};
    QTest::newRow("after a fixed first entry")
        << byName << false << QStringList{"< None >:0", "Rooms:3", "Staff:1", "Zoë's:2"};
    QTest::newRow("a row without text is left out")
        << "select GroupName, GroupId from tblGroups order by GroupId" << true
        << QStringList{"Staff:1", "Zoë's:2", "Rooms:3"};
    QTest::newRow("failing query, kept")
        << "select nothing from nowhere" << false << QStringList{"< None >:0"};
}

void TstForms::fillCombo() {
    QFETCH(QString, sql);
    QFETCH(bool, clearFirst);
    QFETCH(QStringList, expected);
    QComboBox combo;
    ClsForms::AddListItem(&combo, QStringLiteral("< None >"), 0);
    ClsForms::FillCombo(&combo, sql, clearFirst);
    QCOMPARE(Entries(combo), expected);
}

void TstForms::fillCheckList_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("expected");

    // Column 0 counts the links of contact 1 to the group: 2 for Staff.
    QTest::newRow("ticked where the count is not 0")
        << "select (select count(*) from tblCustomerGroups where GroupId = tblGroups.GroupId "
           "and CustomerId = 1), GroupName, GroupId from tblGroups where GroupName is not null "
           "order by GroupName"
        << QStringList{"Rooms:3", "Staff:1+", "Zoë's:2+"};
    QTest::newRow("negative counts tick") << "select -1, 'Minus', 7" << QStringList{"Minus:7+"};
    QTest::newRow("failing query empties the list")
        << "select nothing from nowhere" << QStringList{};
}

void TstForms::fillCheckList() {
    QFETCH(QString, sql);
    QFETCH(QStringList, expected);
    QListWidget list;
    ClsForms::AddListItem(&list, QStringLiteral("old"), 99);
    ClsForms::FillCheckList(&list, sql);
    QCOMPARE(Entries(list), expected);
    // Every entry can be ticked and unticked by the user.
    for (int i = 0; i < list.count(); ++i)
        QVERIFY(list.item(i)->flags() & Qt::ItemIsUserCheckable);
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
    QSignalSpy texts(&combo, &QComboBox::textActivated);
    ClsForms::SelectItemId(&combo, id);
    QCOMPARE(combo.currentIndex(), expectedIndex);
    // A window connects its handler to the signals of a user's choice: they
    // come once for the entry selected, also when it was already current, and
    // not for an empty list.
    QCOMPARE(clicks.size(), expectedIndex < 0 ? 0 : 1);
    QCOMPARE(texts.size(), clicks.size());
    if (expectedIndex >= 0) {
        QCOMPARE(clicks.first().first().toInt(), expectedIndex);
        QCOMPARE(texts.first().first().toString(), QString("entry %1").arg(expectedIndex));
    }
    QCOMPARE(ClsForms::GetItemId(&combo), expectedIndex < 0 ? 0 : ids[expectedIndex]);
    QCOMPARE(ClsForms::GetItemId(nullptr), 0);
}

void TstForms::centreForm_data() {
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("expected");

    QTest::newRow("odd width rounds the half down")
        << QRect(100, 50, 6000, 400) << QSize(3001, 200) << QPoint(100 + 3000 - 1500, 50 + 100);
    QTest::newRow("larger than the owner")
        << QRect(200, 200, 100, 100) << QSize(300, 300) << QPoint(100, 100);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    QTest::newRow("no owner: over the screen")
        << QRect() << QSize(301, 101) << QPoint(screen.width() / 2 - 150, screen.height() / 2 - 50);
}

void TstForms::centreForm() {
    QFETCH(QRect, owner);
    QFETCH(QSize, window);
    QFETCH(QPoint, expected);
    QWidget ownerWidget;
    ownerWidget.setGeometry(owner);
    QWidget windowWidget;
    windowWidget.resize(window);
    ClsForms::CentreForm(&windowWidget, owner.isNull() ? nullptr : &ownerWidget);
    QCOMPARE(windowWidget.frameGeometry().topLeft(), expected);
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

void TstForms::enableToolbar() {
    QToolBar toolbar;
    QAction* plain = toolbar.addAction(QStringLiteral("Print"));
    toolbar.addSeparator();
    auto* menu = new QMenu(&toolbar);
    menu->addAction(QStringLiteral("Hours"));
    auto* menuButton = toolbar.addAction(QStringLiteral("View"));
    menuButton->setMenu(menu);
    auto* widgetButton = new QToolButton;
    widgetButton->setText(QStringLiteral("Exit"));
    QAction* widgetAction = toolbar.addWidget(widgetButton);
    toolbar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&toolbar));

    ClsForms::EnableToolbar(&toolbar, false);
    for (QAction* action : {plain, menuButton, widgetAction})
        QVERIFY2(!action->isEnabled(), qPrintable(action->text()));
    QVERIFY(!widgetButton->isEnabled());
    // A click on a disabled button does nothing.
    QSignalSpy triggered(plain, &QAction::triggered);
    QTest::mouseClick(toolbar.widgetForAction(plain), Qt::LeftButton);
    QCOMPARE(triggered.size(), 0);

    ClsForms::EnableToolbar(&toolbar, true);
    for (QAction* action : {plain, menuButton, widgetAction})
        QVERIFY2(action->isEnabled(), qPrintable(action->text()));
    QVERIFY(widgetButton->isEnabled());
    QTest::mouseClick(toolbar.widgetForAction(plain), Qt::LeftButton);
    QCOMPARE(triggered.size(), 1);
}

QTEST_MAIN(TstForms)
#include "tst_forms.moc"
