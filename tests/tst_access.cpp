// The schedule for assistive technology and the keyboard: the table it
// reads, the events it hears, a booking's whole life by keys alone, and the
// legend's armed type.
#include "MainFixture.h"

#include "ui/booking/DlgAppt.h"
#include "ui/controls/ItemList.h"
#include "ui/controls/ScheduleView.h"
#include "ui/controls/SpinButtons.h"
#include "ui/main/DlgMain.h"
#include "ui/main/LegendLabel.h"

#include <QAccessible>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace {
constexpr qint32 kToday = MainFixture::kToday;

// Events sent to assistive technology: the type and the name of what they are about.
QStringList g_events;
void Record(QAccessibleEvent* event) {
    QAccessibleInterface* iface = event->accessibleInterface();
    g_events << QStringLiteral("%1 %2").arg(int(event->type())).arg(iface ? iface->text(QAccessible::Name) : QString());
}

// Counts the mouse events the application delivers.
class MouseCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: case QEvent::MouseMove:
            ++count;
            break;
        default:
            break;
        }
        return false;
    }
};

void OpenFocused(MainFixture& f) {
    f.Clinic();
    f.Open();
    f.main->show();
    QVERIFY(QTest::qWaitForWindowActive(f.main.get()));
    f.Sched()->setFocus();
    QTRY_VERIFY(f.Sched()->hasFocus());
}

QString Stored(MainFixture& f, const QString& where) {
    return f.env.Sql("select ResourceId || ' ' || TaskId || ' ' || BookingStart || '-' || BookingEnd "
                     "from tblBookings where " + where).toString();
}
} // namespace

class TestAccess : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        REQUIRE_TEST_ENGINE();
        QAccessible::installUpdateHandler(&Record);
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    }
    void scheduleIsATable();
    void rebuildAndKeysAreHeard();
    void keysMoveTheCurrentCell_data();
    void keysMoveTheCurrentCell();
    void bookingLifeByKeysAlone();
    void cellMenu();
    void armedLegendType_data();
    void armedLegendType();
    void bookingDialogTabOrder();
};

void TestAccess::scheduleIsATable() {
    MainFixture f;
    OpenFocused(f);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(f.Sched());
    QVERIFY(iface && iface->tableInterface());
    QCOMPARE(iface->role(), QAccessible::Table);
    QAccessibleTableInterface* table = iface->tableInterface();
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->rowDescription(0), QStringLiteral("Room A"));
    QCOMPARE(table->rowDescription(1), QStringLiteral("Room B"));
    // Room A: free 08:00 to 09:00 by quarters, Surgery 09:00 to 09:30, free
    // until 10:00, the booking 10:00 to 11:00, free to the day end 18:15.
    const struct { int column; const char* name; const char* header; } cells[] = {
        {0, "Free, 08:00 am to 08:15 am, Room A", "8 am"},
        {4, "Surgery, 09:00 am to 09:30 am, Room A, Saturday 5 December 2026", "9 am"},
        {7, "Check-up, Zoë O'Neil, 10:00 am to 11:00 am, Room A, Saturday 5 December 2026", "10 am"},
        {8, "Free, 11:00 am to 11:15 am, Room A", "11 am"},
        {12, "Free, 12:00 pm to 12:15 pm, Room A", "12 pm"},
        {36, "Free, 06:00 pm to 06:15 pm, Room A", "6 pm"}};
    for (const auto& c : cells) {
        QAccessibleInterface* cell = table->cellAt(0, c.column);
        QVERIFY(cell && cell->tableCellInterface());
        QCOMPARE(cell->text(QAccessible::Name), QString::fromUtf8(c.name));
        QCOMPARE(cell->tableCellInterface()->rowHeaderCells().value(0)->text(QAccessible::Name),
                 QStringLiteral("Room A"));
        // A screen reader meets the same header object each time.
        QCOMPARE(cell->tableCellInterface()->rowHeaderCells().value(0), table->cellAt(0, 0)->tableCellInterface()->rowHeaderCells().value(0));
        QCOMPARE(cell->tableCellInterface()->columnHeaderCells().value(0)->text(QAccessible::Name),
                 QString::fromLatin1(c.header));
    }
    // Every position has a cell, the short rows' extra ones empty; one cell is current.
    QCOMPARE(table->columnCount(), 41); // Room B: 41 free quarters
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < table->columnCount(); ++column)
            QVERIFY(table->cellAt(row, column));
    QCOMPARE(table->cellAt(0, 40)->text(QAccessible::Name), QString());
    QCOMPARE(iface->childCount(), 2 * 41);
    QCOMPARE(table->selectedCellCount(), 1);
    // A column reads as the current row's cell: Room A's at 11:00.
    QCOMPARE(table->columnDescription(8), QStringLiteral("11 am"));
}

void TestAccess::rebuildAndKeysAreHeard() {
    MainFixture f;
    OpenFocused(f);
    g_events.clear();
    f.main->ShowResources(0);
    QTRY_VERIFY(g_events.contains(QStringLiteral("%1 Schedule").arg(int(QAccessible::TableModelChanged))));
    QTest::keyClick(f.Sched(), Qt::Key_Home, Qt::ControlModifier);
    g_events.clear();
    QTest::keyClick(f.Sched(), Qt::Key_Right);
    QTest::keyClick(f.Sched(), Qt::Key_Down);
    const QString focus = QString::number(int(QAccessible::Focus)) + ' ';
    QCOMPARE(g_events, (QStringList{focus + "Free, 08:15 am to 08:30 am, Room A",
                                    focus + "Free, 08:15 am to 08:30 am, Room B"}));
}

void TestAccess::keysMoveTheCurrentCell_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("scrolled"); // the view had to scroll to show it
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("right to the booking") << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right} << 1 << 4 << false;
    QTest::newRow("left stops at the first") << QList<int>{Qt::Key_Left} << 1 << 0 << false;
    QTest::newRow("down keeps the time") << QList<int>{Qt::Key_End, Qt::Key_Down} << 2 << 40 << true;
    QTest::newRow("up into a booking") << QList<int>{Qt::Key_Down, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Up} << 1 << 4 << false;
    QTest::newRow("ctrl end") << QList<int>{ctrl | Qt::Key_End} << 2 << 40 << true;
    QTest::newRow("end then home") << QList<int>{Qt::Key_End, Qt::Key_Home} << 1 << 0 << false;
    QTest::newRow("page down") << QList<int>{Qt::Key_PageDown} << 2 << 0 << false;
}

void TestAccess::keysMoveTheCurrentCell() {
    QFETCH(QList<int>, keys);
    QFETCH(int, row);
    QFETCH(int, index);
    QFETCH(bool, scrolled);
    MainFixture f;
    f.Setting("Sched", "TimeDistance", 200); // wider than the window: the view scrolls
    OpenFocused(f);
    ScheduleView* view = f.Sched();
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    const int scroll = view->horizontalScrollBar()->value();
    for (const int key : keys)
        QTest::keyClick(view, Qt::Key(key & ~Qt::KeyboardModifierMask),
                        Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
    const ScheduleView::CellRef current = view->CurrentCell();
    QCOMPARE(current.row, row);
    QCOMPARE(current.index, index);
    QCOMPARE(view->horizontalScrollBar()->value() != scroll, scrolled);
    // Shown whole, right of the names and below the ruler.
    const QRect rect = view->CellRect(current.row, current.cell);
    QVERIFY(!rect.isEmpty() && rect.left() >= view->ListWidth() && rect.top() >= view->HeaderHeight());
    QVERIFY(rect.right() < view->viewport()->width());
}

void TestAccess::bookingLifeByKeysAlone() {
    MainFixture f;
    OpenFocused(f);
    MouseCounter mice;
    qApp->installEventFilter(&mice);
    ScheduleView* view = f.Sched();
    // Each opening of the booding dialog runs the next of these on it.
    QList<std::function<void(DlgAppt*)>> steps = {
        [](DlgAppt* d) { // a Check-up at 08:00
            QTest::keyClick(d->CbTask(), Qt::Key_Down);
            QTest::keyClick(d->BtnTask(0), Qt::Key_Space);
        },
        [](DlgAppt* d) { // moved two slots later, then made a quarter longer
            QTest::keyClick(d->BtnTask(3), Qt::Key_Space);
            QTest::keyClick(d->LbTimeSlot()->Tree(), Qt::Key_Down);
            QTest::keyClick(d->LbTimeSlot()->Tree(), Qt::Key_Down);
            QTest::keyClick(d->LbTimeSlot()->Tree(), Qt::Key_Return);
            QTest::keyClick(d->SpinEnd()->IncreaseButton(), Qt::Key_Space);
            QTest::keyClick(d->BtnTask(0), Qt::Key_Space);
        }};
    f.env.onModal = [&](QDialog* dialog) {
        auto* appt = qobject_cast<DlgAppt*>(dialog);
        if (!appt || steps.isEmpty())
            return int(QDialog::Rejected);
        appt->show();
        steps.takeFirst()(appt);
        appt->hide();
        return int(QDialog::Accepted);
    };
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(Stored(f, "BookingDate = 46359 and ResourceId = 10 and BookingStart = 480"),
             QStringLiteral("10 20 480-495"));
    QCOMPARE(view->CurrentCell().cell.bar, 1);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(Stored(f, "TaskId = 20 and BookingDate = 46359 and ResourceId = 10 and BookingStart < 600"),
             QStringLiteral("10 20 510-540"));
    // Back to it by keys, and deleted after the confirmation.
    QTest::keyClick(view, Qt::Key_Right);
    QTest::keyClick(view, Qt::Key_Right);
    QCOMPARE(view->CurrentCell().cell.StartMinute(), 510);
    f.env.confirmAnswers = {true};
    QTest::keyClick(view, Qt::Key_Delete);
    QVERIFY(f.env.boxes.value(0).text.startsWith("Do you wish to delete this appointment?"));
    QCOMPARE(f.env.Count("tblBookings where BookingStart < 540 and ResourceId = 10"), 0);
    QCOMPARE(view->CurrentCell().row, 1);
    qApp->removeEventFilter(&mice);
    QCOMPARE(mice.count, 0);
}

void TestAccess::cellMenu() {
    MainFixture f;
    OpenFocused(f);
    ScheduleView* view = f.Sched();
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    const struct { QKeyCombination key; int rights; QStringList entries; } menus[] = {
        {Qt::Key_Menu, 0, {"&Book Here...\tEnter", "&History..."}},
        {Qt::ShiftModifier | Qt::Key_F10, 4,
         {"&Open Booking...\tEnter", "&Delete Booking\tDel", "&History..."}}};
    for (const auto& m : menus) {
        for (int i = 0; i < m.rights; ++i)
            QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClick(view, m.key.key(), m.key.keyboardModifiers());
        auto* menu = f.main->findChild<QMenu*>(QStringLiteral("SchedCellMenu"));
        QVERIFY(menu);
        QStringList entries;
        for (QAction* action : menu->actions())
            entries << action->text();
        QCOMPARE(entries, m.entries);
        menu->close();
    }
    // The booking's Delete entry asks as the booking dialog does.
    QTest::keyClick(view, Qt::Key_Menu);
    f.main->findChild<QMenu*>(QStringLiteral("SchedCellMenu"))->actions().value(1)->trigger();
    QVERIFY(f.env.boxes.value(0).text.startsWith("Do you wish to delete this appointment?"));
    QCOMPARE(f.env.Count("tblBookings where BookingId = 101"), 1);
}

void TestAccess::armedLegendType_data() {
    // Clicks: "t" the first type, "f" free time at 12:00, "b" the booking at 10:00, "esc".
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<bool>("armed");
    QTest::addColumn<QString>("opened"); // start, resource and type the booking dialog got
    QTest::newRow("armed, free time books") << QStringList{"t", "f"} << true << "720 10 20";
    QTest::newRow("second click disarms") << QStringList{"t", "t", "f"} << false << "";
    QTest::newRow("escape disarms") << QStringList{"t", "esc", "f"} << false << "";
    QTest::newRow("a booking is no free time") << QStringList{"t", "b"} << true << "";
}

void TestAccess::armedLegendType() {
    QFETCH(QStringList, clicks);
    QFETCH(bool, armed);
    QFETCH(QString, opened);
    MainFixture f;
    OpenFocused(f);
    QString seen;
    f.env.onModal = [&seen](QDialog* dialog) {
        if (auto* a = qobject_cast<DlgAppt*>(dialog))
            seen = QStringLiteral("%1 %2 %3").arg(a->StartTime()).arg(a->ResourceId()).arg(a->TaskId());
        return int(QDialog::Rejected);
    };
    ScheduleView* view = f.Sched();
    QWidget* port = view->viewport();
    for (const QString& click : clicks) {
        if (click == "t")
            QTest::mouseClick(f.main->LblLegend()[0], Qt::LeftButton);
        else if (click == "esc")
            QTest::keyClick(f.main.get(), Qt::Key_Escape);
        else
            QTest::mouseClick(port, Qt::LeftButton, {},
                              port->mapFrom(view, view->PointForTime(1, kToday, click == "f" ? 725 : 630)));
    }
    QCOMPARE(f.main->LblColor()[0]->Armed(), armed);
    QCOMPARE(f.main->LblLegend()[0]->frameShadow(), armed ? QFrame::Sunken : QFrame::Plain);
    QCOMPARE(seen, opened);
}

void TestAccess::bookingDialogTabOrder() {
    // Tab goes through the booking dialog in reading order: the resource and
    // its day on the left, then the form from top to bottom, left to right.
    MainFixture f;
    f.Clinic();
    f.Open();
    QStringList order;
    f.env.onModal = [&order](QDialog* dialog) {
        dialog->show();
        QWidget* first = dialog->findChild<QWidget*>(QStringLiteral("CbResource"));
        for (QWidget* w = first; w && (order.isEmpty() || w != first); w = w->nextInFocusChain())
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(dialog))
                order << w->parentWidget()->objectName() + '/' + w->objectName();
        dialog->hide();
        return int(QDialog::Rejected);
    };
    f.main->OpenBooking(600, 10, 0, kToday);
    QCOMPARE(order, QString("Frame1_0/CbResource SpinDate/Decrease SpinDate/Increase LbTimeSlot/Rows "
                            "Frame1_1/CbTask Frame1_1/CbCustomer Frame1_1/TxtRef01 Frame1_1/TxtRef02 "
                            "Frame1_1/TxtRef03 Frame1_1/TxtComments SpinStart/Increase SpinStart/Decrease "
                            "SpinEnd/Increase SpinEnd/Decrease Frame1_1/BtnTask0 Frame1_1/BtnTask1 "
                            "Frame1_1/BtnTask2 Frame1_1/BtnTask3 Frame1_1/BtnFreeSlot "
                            "Frame1_1/ChkAnyResource").split(' '));
}

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
