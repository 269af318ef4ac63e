// The booking dialog driven as a user does: the time-slot list, the opening
// sequence, slot clicks, spins, every command against the database with the
// message seam answering the questions, moving, repeating, appointment types
// and contacts, the window state, and the main window following the dialog.
#include "MainFixture.h"
#include "TestEnv.h"

#include "app/ClsForms.h"
#include "app/ClsIni.h"
#include "model/ClsBooking.h"
#include "model/ClsCustomer.h"
#include "model/ClsDate.h"
#include "model/ClsTask.h"
#include "ui/booking/DlgAppt.h"
#include "ui/booking/DlgCalendar.h"
#include "ui/booking/DlgRepeat.h"
#include "ui/controls/ItemList.h"
#include "ui/controls/MarkedCalendar.h"
#include "ui/controls/ScheduleView.h"
#include "ui/controls/SpinButtons.h"
#include "ui/definitions/DlgApptType.h"
#include "ui/definitions/DlgContact.h"
#include "ui/main/DlgMain.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

namespace {
const qint32 kDay = 46359; // Saturday 5 December 2026
const qint32 kGreen = 0x00C000;
const qint32 kRed = 0x0000FF;

// The clinic: working day 09:00 to 17:00 in 30-minute slots, two rooms, two
// appointment types (Check-up 30 to 120 minutes, Surgery 30 to 240 starting
// with 60) and two contacts of the group.
struct Clinic {
    TestEnv env;
    DlgAppt* dlg = nullptr;

    explicit Clinic(bool military = false) {
        if (!env.Start())
            qFatal("no database");
        if (military)
            ModMain::Ini().WriteValue(QStringLiteral("Options"), QStringLiteral("UseMilitaryTime"), 1);
        Sql("insert into tblGroups (GroupId, GroupName, DayStart, DayEnd, Interval) values "
            "(1, 'Clinic', 540, 1020, 30)");
        Sql("insert into tblResources (ResourceId, GroupId, ResourceName, MinTime, MaxTime, "
            "InitTime) values (10, 1, 'Room A', 30, 480, 30), (11, 1, 'Room B', 30, 480, 30)");
        Sql(QStringLiteral("insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, "
                           "MaxTime, InitTime) values (20, 1, 'Check-up', %1, 30, 120, 30), "
                           "(21, 1, 'Surgery', %2, 30, 240, 60)")
                .arg(kGreen)
                .arg(kRed));
        Sql("insert into tblCustomers (CustomerId, CustomerName, Ref01, Ref02, Ref03) values "
            "(30, 'Zoë O''Neil', 'Z1', 'Z2', 'Z3'), (31, 'Ben', 'B1', '', '')");
        Sql("insert into tblCustomerGroups (CustomerId, GroupId) values (30, 1), (31, 1)");
        // The main window holds the group it shows in the shared group record.
        ModMain::Group().Load(1);
    }
    ~Clinic() {
        DlgAppt::Release();
        DlgCalendar::Release();
    }
    QVariant Sql(const QString& sql) { return env.Sql(sql); }
    void Book(int id, int resource, int task, int customer, qint32 date, int start, int end,
              int repeat = 0, const QString& refs = QStringLiteral("'', '', ''")) {
        Sql(QStringLiteral("insert into tblBookings (BookingId, ResourceId, TaskId, CustomerId, "
                           "BookingDate, BookingStart, BookingEnd, RepeatId, Ref01, Ref02, Ref03, "
                           "Comments) values (%1, %2, %3, %4, %5, %6, %7, %8, %9, 'note')")
                .arg(id).arg(resource).arg(task).arg(customer).arg(date).arg(start).arg(end)
                .arg(repeat).arg(refs));
    }
    // The opening sequence of the main window, then the first activation.
    void Open(int start = 540, int task = 0, qint32 date = kDay, int resource = 10) {
        dlg = &DlgAppt::Instance();
        dlg->SetGroupId(1);
        dlg->SetStartTime(qint16(start));
        dlg->SetResourceId(resource);
        dlg->SetTaskId(task);
        dlg->SetApptDate(date);
        dlg->Form_Activate();
    }
    ItemList* List() const { return dlg->LbTimeSlot(); }
    int RowOf(int minutes) const {
        for (int row = 0; row < List()->RowCount(); ++row)
            if (List()->RowTag(row).toInt() == minutes)
                return row;
        return -1;
    }
    void Click(int minutes) { dlg->LbTimeslot_ItemClick(RowOf(minutes), 1); }
    QString Row(int row) const {
        QStringList cells;
        for (int column = 0; column < 6; ++column)
            cells << List()->CellText(row, column);
        return cells.join(QLatin1Char('|')) + QStringLiteral(" #%1 v%2 c%3")
                                                  .arg(List()->RowTag(row))
                                                  .arg(List()->RowValue(row))
                                                  .arg(List()->RowColour(row), 0, 16);
    }
    QString Times() const {
        return QString::number(ModMain::Booking().BookingStart()) + QLatin1Char('-') +
               QString::number(ModMain::Booking().BookingEnd());
    }
    QString Stored(int id) {
        return Sql(QStringLiteral("select ResourceId || ' ' || BookingDate || ' ' || BookingStart "
                                  "|| '-' || BookingEnd from tblBookings where BookingId = %1")
                       .arg(id))
            .toString();
    }
    int Count() { return Sql("select count(*) from tblBookings").toInt(); }
    QStringList BoxTexts() const {
        QStringList texts;
        for (const TestEnv::Box& box : env.boxes)
            texts << box.title + QStringLiteral(": ") + box.text;
        return texts;
    }
};
} // namespace

class TestBooking : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_TEST_ENGINE(); }
    void slotList_data();
    void slotList();
    void openingSelectsStartSlot_data();
    void openingSelectsStartSlot();
    void clickFillsFormFromBookingOrSlot();
    void submitStoresTextsExactly();
    void submitRefusals_data();
    void submitRefusals();
    void submitOfClashWarnsAndKeepsForm_data();
    void submitOfClashWarnsAndKeepsForm();
    void keyboardMovesFormWithHighlight();
    void deleteCommand_data();
    void deleteCommand();
    void moveShortensOrWarns_data();
    void moveShortensOrWarns();
    void moveModeLayoutAndCancel();
    void spins_data();
    void spins();
    void dateSpin_data();
    void dateSpin();
    void enablingRule_data();
    void enablingRule();
    void repeatHandsOverTheAppointment();
    void appointmentTypesFromTheDialog();
    void contactsFromTheDialog();
    void windowStateKeptInSettings();
    void timerRefreshShowsOtherWorkstationsBooking();
    void mainWindowFollowsDialog();
};

// ---------------------------------------------------------------------------
// The time-slot list

void TestBooking::slotList_data() {
    QTest::addColumn<bool>("military");
    QTest::addColumn<QStringList>("bookings"); // id#resource#task#customer#day#start#end#refs
    QTest::addColumn<int>("firstRow");
    QTest::addColumn<QStringList>("rows");

    const QString free = QStringLiteral("|||||");
    QTest::newRow("empty day, last row 17:00 to 17:30")
        << true << QStringList() << 15
        << QStringList{"16:30 to 17:00" + free + " #990 v0 cffffff",
                       "17:00 to 17:30" + free + " #1020 v0 cffffff"};
    QTest::newRow("90-minute booking over three rows")
        << false << QStringList{"100#10#20#30#0#540#630#'a', 'b', 'c'"} << 0
        << QStringList{"09:00 am|Check-up|Zoë O'Neil|a|b|c #540 v100 cc000",
                       "09:30 am|~|~||| #570 v100 cc000", "10:00 am|~|~||| #600 v100 cc000",
                       "10:30 am" + free + " #630 v0 cffffff"};
    QTest::newRow("adjacent bookings each start a full row")
        << false
        << QStringList{"100#10#20#31#0#540#570#'x', '', ''", "101#10#20#0#0#570#600#'y', '', ''"}
        << 0
        << QStringList{"09:00 am|Check-up|Ben|x|| #540 v100 cc000",
                       "09:30 am|Check-up|?|y|| #570 v101 cc000",
                       "10:00 am" + free + " #600 v0 cffffff"};
    QTest::newRow("texts with separators stay in their cells")
        << true << QStringList{"100#10#21#30#0#600#630#'a;b', '~', 'x\ny'"} << 2
        << QStringList{"10:00 to 10:30|Surgery|Zoë O'Neil|a;b|~|x\ny #600 v100 cff"};
    QTest::newRow("other room and other day leave the slot free")
        << false << QStringList{"100#11#20#30#0#540#600#'', '', ''", "101#10#20#30#1#540#600#'', '', ''"}
        << 0 << QStringList{"09:00 am" + free + " #540 v0 cffffff"};
}

void TestBooking::slotList() {
    QFETCH(bool, military);
    QFETCH(QStringList, bookings);
    QFETCH(int, firstRow);
    QFETCH(QStringList, rows);
    Clinic c(military);
    for (const QString& b : bookings) {
        const QStringList f = b.split(QLatin1Char('#'));
        c.Book(f[0].toInt(), f[1].toInt(), f[2].toInt(), f[3].toInt(), kDay + f[4].toInt(),
               f[5].toInt(), f[6].toInt(), 0, f[7]);
    }
    c.Open();
    QCOMPARE(c.List()->RowCount(), 17);
    QCOMPARE(c.List()->Heading(), QStringLiteral("Saturday 5 December 2026"));
    QStringList got;
    for (int row = firstRow; row < firstRow + rows.size(); ++row)
        got << c.Row(row);
    QCOMPARE(got, rows);
}

void TestBooking::openingSelectsStartSlot_data() {
    QTest::addColumn<bool>("military");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("times");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("task");

    QTest::newRow("12-hour display") << false << 600 << 2 << "600-630" << "10:00 am" << 21;
    QTest::newRow("24-hour display") << true << 600 << 2 << "600-630" << "10:00" << 21;
    QTest::newRow("time inside a slot") << false << 610 << 2 << "600-630" << "10:00 am" << 21;
    QTest::newRow("last slot of the day") << false << 1020 << 16 << "1020-1050" << "05:00 pm" << 21;
    QTest::newRow("before the working day") << false << 500 << -1 << "0-0" << "09:00 am" << 0;
}

void TestBooking::openingSelectsStartSlot() {
    QFETCH(bool, military);
    QFETCH(int, start);
    QFETCH(int, row);
    QFETCH(QString, times);
    QFETCH(QString, label);
    QFETCH(int, task);
    Clinic c(military);
    ModMain::Booking().InitBfr();
    c.Open(start, 21);
    QCOMPARE(c.List()->SelectedRow(), row);
    QCOMPARE(c.Times(), times);
    QCOMPARE(c.dlg->LblStart()->text(), label);
    QCOMPARE(ClsForms::GetItemId(c.dlg->CbTask()), task);
    QCOMPARE(c.dlg->CbResource()->currentText(), QStringLiteral("Room A"));
}

void TestBooking::clickFillsFormFromBookingOrSlot() {
    Clinic c;
    c.Book(100, 10, 21, 30, kDay, 540, 630, 0, QStringLiteral("'own 1', 'own 2', ''"));
    c.Open();
    ClsForms::SelectItemId(c.dlg->CbCustomer(), 31);
    c.Click(570); // a continuation row of the booking
    QCOMPARE(ModMain::Booking().BookingId(), 100);
    QCOMPARE(c.dlg->LblStart()->text() + " " + c.dlg->LblEnd()->text(),
             QStringLiteral("09:00 am 10:30 am"));
    QCOMPARE(c.dlg->CbTask()->currentText(), QStringLiteral("Surgery"));
    QCOMPARE(c.dlg->CbCustomer()->currentText(), QStringLiteral("Zoë O'Neil"));
    QCOMPARE(c.dlg->TxtRef01()->text() + "|" + c.dlg->TxtRef02()->text() + "|" +
                 c.dlg->TxtRef03()->text(),
             QStringLiteral("own 1|own 2|"));
    QCOMPARE(c.dlg->TxtComments()->toPlainText(), QStringLiteral("note"));
    // Submit stores the changes in the same booking.
    ClsForms::SelectItemId(c.dlg->CbTask(), 20);
    c.dlg->TxtComments()->setPlainText(QStringLiteral("changed"));
    c.dlg->BtnTask_Click(0);
    QCOMPARE(c.BoxTexts(), QStringList());
    QCOMPARE(c.Count(), 1);
    QCOMPARE(c.Sql("select TaskId || ' ' || Comments from tblBookings where BookingId = 100")
                 .toString(),
             QStringLiteral("20 changed"));
    QCOMPARE(c.Row(0), QStringLiteral("09:00 am|Check-up|Zoë O'Neil|own 1|own 2| #540 v100 cc000"));
    // A free slot takes the chosen type's initial length; the form stays.
    ClsForms::SelectItemId(c.dlg->CbTask(), 21);
    c.Click(660);
    QCOMPARE(ModMain::Booking().BookingId(), 0);
    QCOMPARE(c.Times(), QStringLiteral("660-720"));
    QCOMPARE(c.dlg->TxtRef01()->text(), QStringLiteral("own 1"));
    QVERIFY(c.dlg->BtnTask(0)->isEnabled());
}

// ---------------------------------------------------------------------------
// Submit

void TestBooking::submitStoresTextsExactly() {
    Clinic c;
    c.Open(600, 20);
    const QString ref1 = QStringLiteral("O'Brien \"Ltd\"; x\ny ~ Ærø");
    const QString comment = QStringLiteral("line 1\nline 2 '; drop table tblBookings; -- ü");
    ClsForms::SelectItemId(c.dlg->CbCustomer(), 30);
    c.dlg->TxtRef01()->setText(QStringLiteral("  ") + ref1 + QStringLiteral("  "));
    c.dlg->TxtRef02()->setText(QStringLiteral("~"));
    c.dlg->TxtRef03()->setText(QString());
    c.dlg->TxtComments()->setPlainText(comment);
    c.dlg->BtnTask_Click(0);
    QCOMPARE(c.BoxTexts(), QStringList());
    const auto stored = [&] {
        return c.Sql("select ResourceId || ' ' || BookingDate || ' ' || BookingStart || '-' || "
                     "BookingEnd || '|' || CustomerId || ' ' || TaskId || '|' || Ref01 || '|' || "
                     "Ref02 || '|' || Ref03 || '|' || Comments from tblBookings")
            .toString();
    };
    QCOMPARE(stored(), "10 46359 600-630|30 20|" + ref1 + "|~||" + comment);
    // The rebuilt list shows the texts, and a click brings them back unchanged.
    QCOMPARE(c.List()->SelectedRow(), -1);
    QCOMPARE(c.List()->CellText(c.RowOf(600), 3), ref1);
    c.dlg->TxtRef01()->clear();
    c.Click(600);
    QCOMPARE(c.dlg->TxtRef01()->text(), ref1);
    QCOMPARE(c.dlg->TxtComments()->toPlainText(), comment);
    // Line breaks written elsewhere as CR LF stay so when the comment is not edited.
    c.Sql(QStringLiteral("update tblBookings set Comments = 'a\r\nb'"));
    c.Click(600);
    c.dlg->TxtRef02()->setText(QStringLiteral("edited"));
    c.dlg->BtnTask_Click(0);
    QCOMPARE(stored(), "10 46359 600-630|30 20|" + ref1 + "|edited||a\r\nb");
}

void TestBooking::submitRefusals_data() {
    QTest::addColumn<int>("command"); // 0: Submit, 1: Repeat
    QTest::addColumn<int>("task");
    QTest::addColumn<QString>("missing"); // "slot": none selected; "span": the booking has none
    QTest::addColumn<QString>("box");

    const QString noSlot = QStringLiteral("Information: Please select the timeslot!");
    const QString noTask = QStringLiteral("Error!: No task selected!");
    QTest::newRow("Submit, no slot selected") << 0 << 20 << "slot" << noSlot;
    QTest::newRow("Submit, no appointment type") << 0 << 0 << "" << noTask;
    QTest::newRow("Submit, empty span") << 0 << 20 << "span" << noSlot;
    QTest::newRow("Repeat, no appointment type") << 1 << 0 << "" << noTask;
    QTest::newRow("Repeat, empty span") << 1 << 20 << "span" << noSlot;
}

void TestBooking::submitRefusals() {
    QFETCH(int, command);
    QFETCH(int, task);
    QFETCH(QString, missing);
    QFETCH(QString, box);
    Clinic c;
    c.Open(540, task);
    if (missing == QLatin1String("slot"))
        c.List()->SetSelectedRow(-1);
    if (missing == QLatin1String("span"))
        ModMain::Booking().InitBfr();
    c.dlg->BtnTask_Click(command);
    QCOMPARE(c.BoxTexts(), QStringList{box});
    QVERIFY(c.env.modalsShown.isEmpty());
    QCOMPARE(c.Count(), 0);
}

void TestBooking::submitOfClashWarnsAndKeepsForm_data() {
    QTest::addColumn<bool>("existing");
    QTest::newRow("new booking") << false;
    QTest::newRow("stored booking stretched over the next") << true;
}

void TestBooking::submitOfClashWarnsAndKeepsForm() {
    QFETCH(bool, existing);
    Clinic c;
    c.Book(101, 10, 21, 31, kDay, 630, 690);
    if (existing)
        c.Book(100, 10, 21, 0, kDay, 600, 630);
    c.Open(540, 21);
    c.Click(600); // Surgery starts with 60 minutes: 10:00 to 11:00
    ModMain::Booking().SetBookingEnd(660);
    c.dlg->TxtRef01()->setText(QStringLiteral("typed"));
    c.dlg->BtnTask_Click(0);
    QCOMPARE(c.BoxTexts(),
             QStringList{"Warning!: Unable to save appointment!\r\n\r\nConflict with another "
                         "appointment: Surgery from 10:30 am to 11:30 am (Ben)"});
    QCOMPARE(c.Count(), existing ? 2 : 1);
    if (existing)
        QCOMPARE(c.Stored(100), QStringLiteral("10 46359 600-630"));
    QCOMPARE(c.List()->SelectedRow(), c.RowOf(600));
    QCOMPARE(c.dlg->TxtRef01()->text(), QStringLiteral("typed"));
    QCOMPARE(c.Times(), QStringLiteral("600-660"));
}

void TestBooking::keyboardMovesFormWithHighlight() {
    Clinic c;
    c.Book(100, 10, 20, 0, kDay, 540, 600);
    c.Book(101, 10, 21, 0, kDay, 660, 690);
    c.Open();
    c.Click(540);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(c.List()->Tree(), Qt::Key_Down);
    QCOMPARE(c.List()->SelectedRow(), c.RowOf(660));
    QCOMPARE(ModMain::Booking().BookingId(), 101);
    QCOMPARE(c.dlg->CbTask()->currentText(), QStringLiteral("Surgery"));
    // While moving, the keys only choose the slot; Enter moves the booking there.
    c.dlg->BtnTask_Click(3);
    QTest::keyClick(c.List()->Tree(), Qt::Key_Down);
    QCOMPARE(c.Stored(101), QStringLiteral("10 46359 660-690"));
    QTest::keyClick(c.List()->Tree(), Qt::Key_Return);
    QCOMPARE(c.Stored(101), QStringLiteral("10 46359 690-720"));
    // Delete acts on the highlighted booking.
    c.Click(540);
    QTest::keyClick(c.List()->Tree(), Qt::Key_Down);
    QTest::keyClick(c.List()->Tree(), Qt::Key_Down);
    c.env.confirmAnswers = {true};
    c.dlg->BtnTask_Click(2);
    QCOMPARE(c.Stored(100), QStringLiteral("10 46359 540-600"));
    QCOMPARE(c.Count(), 2);
}

// ---------------------------------------------------------------------------
// Delete

void TestBooking::deleteCommand_data() {
    QTest::addColumn<int>("repeat");
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("viaMenu");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QString>("remaining");

    QTest::newRow("single booking") << 0 << 540 << false << QList<bool>{true} << 1 << "101,102,103";
    QTest::newRow("single booking, answered no") << 0 << 540 << false << QList<bool>{false} << 1
                                                 << "100,101,102,103";
    QTest::newRow("whole series") << 7 << 540 << false << QList<bool>{true, true} << 2 << "101";
    QTest::newRow("one booking of a series") << 7 << 540 << false << QList<bool>{true, false} << 2
                                             << "101,102,103";
    QTest::newRow("menu entry Delete Booking") << 0 << 540 << true << QList<bool>{true} << 1
                                               << "101,102,103";
    QTest::newRow("free slot") << 7 << 660 << false << QList<bool>{true, true} << 0
                               << "100,101,102,103";
}

void TestBooking::deleteCommand() {
    QFETCH(int, repeat);
    QFETCH(int, slot);
    QFETCH(bool, viaMenu);
    QFETCH(QList<bool>, answers);
    QFETCH(int, questions);
    QFETCH(QString, remaining);
    Clinic c;
    c.Book(100, 10, 20, 0, kDay, 540, 600, repeat);
    c.Book(101, 10, 20, 0, kDay, 600, 630);
    c.Book(102, 10, 20, 0, kDay + 7, 540, 600, repeat);
    c.Book(103, 11, 20, 0, kDay + 14, 540, 600, repeat);
    c.Open();
    c.Click(slot);
    c.env.confirmAnswers = answers;
    if (viaMenu)
        c.dlg->MenuAction(QStringLiteral("mnuBookingDelete"))->trigger();
    else
        c.dlg->BtnTask_Click(2);
    QCOMPARE(c.env.boxes.size(), questions);
    QVERIFY(c.env.modalsShown.isEmpty());
    if (questions > 0)
        QCOMPARE(c.env.boxes[0].text, QStringLiteral("Do you wish to delete this appointment?"));
    if (questions > 1)
        QCOMPARE(c.env.boxes[1].text,
                 QStringLiteral("This appointment is part of a repeated sequence.\r\nDo you wish "
                                "to delete all repeated appointments?"));
    QCOMPARE(c.Sql("select group_concat(BookingId) from (select BookingId from tblBookings order "
                   "by BookingId) as listed")
                 .toString(),
             remaining);
    QCOMPARE(c.List()->RowValue(0), remaining.startsWith("100") ? 100 : 0);
}

// ---------------------------------------------------------------------------
// Move

void TestBooking::moveShortensOrWarns_data() {
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("resource"); // chosen after Move; 0: the same room
    QTest::addColumn<int>("days"); // date spin clicks after Move
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("boxes");

    // Booking 100 lasts 60 minutes; booking 101 runs from 11:30 to 12:00.
    QTest::newRow("room for the whole length") << 600 << 0 << 0 << "10 46359 600-660" << QStringList();
    QTest::newRow("shortened before the next booking")
        << 660 << 0 << 0 << "10 46359 660-690" << QStringList();
    QTest::newRow("no room at all")
        << 690 << 0 << 0 << "10 46359 540-600"
        << QStringList{"Warning!: Unable to move appointment!\r\n\r\nConflict with another "
                       "appointment!"};
    QTest::newRow("cut at the end of the working day")
        << 1020 << 0 << 0 << "10 46359 1020-1050" << QStringList();
    QTest::newRow("room and date shown at the click")
        << 570 << 11 << 1 << "11 46360 570-630" << QStringList();
}

void TestBooking::moveShortensOrWarns() {
    QFETCH(int, target);
    QFETCH(int, resource);
    QFETCH(int, days);
    QFETCH(QString, stored);
    QFETCH(QStringList, boxes);
    Clinic c;
    c.Book(100, 10, 20, 0, kDay, 540, 600);
    c.Book(101, 10, 20, 0, kDay, 690, 720);
    c.Open();
    c.Click(540);
    c.dlg->BtnTask_Click(3);
    QVERIFY(c.dlg->MoveMode());
    QCOMPARE(c.dlg->BtnTask(3)->text(), QStringLiteral("&Cancel"));
    if (resource)
        ClsForms::SelectItemId(c.dlg->CbResource(), resource);
    for (int i = 0; i < days; ++i)
        c.dlg->SpinDate_Click(1);
    c.Click(target);
    QCOMPARE(c.BoxTexts(), boxes);
    QCOMPARE(c.Stored(100), stored);
    QCOMPARE(c.Stored(101), QStringLiteral("10 46359 690-720"));
    QVERIFY(!c.dlg->MoveMode());
    QCOMPARE(c.dlg->BtnTask(3)->text(), QStringLiteral("&Move"));
    // The list shows the booking where it went.
    QCOMPARE(c.List()->RowValue(c.RowOf(stored.section('-', 0, 0).section(' ', 2).toInt())), 100);
}

void TestBooking::moveModeLayoutAndCancel() {
    Clinic c;
    c.Book(100, 10, 20, 0, kDay, 540, 600);
    c.Open();
    c.dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(c.dlg));
    c.Click(540);
    const int fullHeight = c.List()->height();
    c.dlg->BtnTask_Click(3);
    QCoreApplication::processEvents();
    QVERIFY(c.dlg->LblMove()->isVisible());
    QVERIFY(c.List()->height() <= fullHeight - 24);
    QVERIFY(c.dlg->LblMove()->geometry().top() >= c.List()->geometry().bottom());
    QCOMPARE(c.dlg->LblMove()->width(), c.List()->width());
    QCOMPARE(c.dlg->LblMove()->text(), QStringLiteral("Move Appointment"));
    c.dlg->BtnTask_Click(3); // cancel
    QCoreApplication::processEvents();
    QVERIFY(!c.dlg->LblMove()->isVisible());
    QCOMPARE(c.List()->height(), fullHeight);
    QCOMPARE(c.dlg->BtnTask(3)->text(), QStringLiteral("&Move"));
    c.Click(660);
    QCOMPARE(c.Stored(100), QStringLiteral("10 46359 540-600"));
    c.dlg->hide();
}

// ---------------------------------------------------------------------------
// Spins

void TestBooking::spins_data() {
    QTest::addColumn<int>("task");
    QTest::addColumn<QString>("neighbour"); // start-end of another booking, or empty
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("spin");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("after");

    QTest::newRow("end later") << 20 << "" << "600-630" << "end" << 0 << "600-660";
    QTest::newRow("end later stops at the next booking")
        << 20 << "645-700" << "600-630" << "end" << 0 << "600-645";
    QTest::newRow("end later held by the longest length")
        << 20 << "" << "600-720" << "end" << 0 << "600-720";
    QTest::newRow("end earlier") << 20 << "" << "600-690" << "end" << 1 << "600-660";
    QTest::newRow("end earlier at one slot stays") << 20 << "" << "600-630" << "end" << 1 << "600-630";
    QTest::newRow("end never passes midnight") << 20 << "" << "1410-1440" << "end" << 0 << "1410-1440";
    QTest::newRow("start earlier") << 20 << "" << "600-630" << "start" << 1 << "570-630";
    QTest::newRow("start earlier stops at the previous booking")
        << 20 << "500-580" << "600-630" << "start" << 1 << "580-630";
    QTest::newRow("start earlier held by the longest length")
        << 20 << "" << "600-720" << "start" << 1 << "600-720";
    QTest::newRow("start later") << 20 << "" << "600-690" << "start" << 0 << "630-690";
    QTest::newRow("start later at one slot stays") << 20 << "" << "600-630" << "start" << 0 << "600-630";
    QTest::newRow("start never before midnight") << 20 << "" << "0-30" << "start" << 1 << "0-30";
    QTest::newRow("end raised to the shortest length stops at the next booking")
        << 23 << "645-700" << "600-640" << "end" << 1 << "600-645";
    QTest::newRow("start lowered to the shortest length stops at the previous booking")
        << 23 << "540-585" << "590-640" << "start" << 0 << "585-640";
    QTest::newRow("zero longest length never empties the booking")
        << 22 << "" << "600-630" << "end" << 0 << "600-630";
    QTest::newRow("zero shortest length never empties the booking")
        << 22 << "" << "600-630" << "start" << 0 << "600-630";
}

void TestBooking::spins() {
    QFETCH(int, task);
    QFETCH(QString, neighbour);
    QFETCH(QString, before);
    QFETCH(QString, spin);
    QFETCH(int, direction);
    QFETCH(QString, after);
    Clinic c;
    c.Sql("insert into tblTasks (TaskId, GroupId, TaskName, Colour, MinTime, MaxTime, InitTime) "
          "values (22, 1, 'Odd', 0, 0, 0, 30), (23, 1, 'Long', 0, 60, 240, 60)");
    if (!neighbour.isEmpty())
        c.Book(100, 10, 20, 0, kDay, neighbour.section('-', 0, 0).toInt(),
               neighbour.section('-', 1, 1).toInt());
    c.Open(540, task);
    ClsBooking& booking = ModMain::Booking();
    booking.SetBookingStart(qint16(before.section('-', 0, 0).toInt()));
    booking.SetBookingEnd(qint16(before.section('-', 1, 1).toInt()));
    if (spin == QLatin1String("end"))
        c.dlg->SpinEnd_Click(direction);
    else
        c.dlg->SpinStart_Click(direction);
    QCOMPARE(c.Times(), after);
    if (spin == QLatin1String("end"))
        QCOMPARE(c.dlg->LblEnd()->text(), ClsDate::ShowTime(booking.BookingEnd(), true));
    else
        QCOMPARE(c.dlg->LblStart()->text(), ClsDate::ShowTime(booking.BookingStart(), true));
    QCOMPARE(c.Count(), neighbour.isEmpty() ? 0 : 1);
}

void TestBooking::dateSpin_data() {
    QTest::addColumn<qint32>("start");
    QTest::addColumn<int>("direction"); // of the date spin; -1: the calendar command
    QTest::addColumn<qint32>("shown");
    QTest::addColumn<QString>("heading");

    QTest::newRow("back from 1 March") << 46445 << 0 << 46444 << "Sunday 28 February 2027";
    QTest::newRow("forward over the year end") << 46385 << 1 << 46386 << "Friday 1 January 2027";
    QTest::newRow("calendar command") << kDay << -1 << kDay + 3 << "Tuesday 8 December 2026";
}

void TestBooking::dateSpin() {
    QFETCH(qint32, start);
    QFETCH(int, direction);
    QFETCH(qint32, shown);
    QFETCH(QString, heading);
    Clinic c;
    c.Book(100, 10, 20, 0, shown, 540, 570);
    c.Open(540, 0, start);
    QCOMPARE(c.List()->RowValue(0), 0);
    if (direction >= 0) {
        c.dlg->SpinDate_Click(direction);
    } else {
        c.env.onModal = [&](QDialog* dialog) {
            auto* calendar = qobject_cast<DlgCalendar*>(dialog);
            if (!calendar)
                return int(QDialog::Rejected);
            calendar->Cal()->SetDayNumber(shown);
            calendar->BtnCalendar_Click(0);
            return int(QDialog::Accepted);
        };
        c.dlg->MenuAction(QStringLiteral("mnuBookingChangeDate"))->trigger();
        QVERIFY(c.dlg->ToolbarAction(QStringLiteral("Calendar"))->isEnabled());
    }
    QCOMPARE(c.dlg->ApptDate(), shown);
    QCOMPARE(DlgCalendar::Instance().SelDate(), shown);
    QCOMPARE(c.List()->Heading(), heading);
    QCOMPARE(c.List()->RowValue(0), 100);
}

void TestBooking::enablingRule_data() {
    QTest::addColumn<int>("required");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<int>("task");
    QTest::addColumn<int>("customer");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("slot and type") << 0 << true << 21 << 0 << true;
    QTest::newRow("slot without type") << 0 << true << 0 << 30 << false;
    QTest::newRow("no slot, type only") << 0 << false << 21 << 0 << false;
    QTest::newRow("no slot, type and contact") << 0 << false << 21 << 30 << true;
    QTest::newRow("contact required, missing") << 1 << true << 21 << 0 << false;
    QTest::newRow("contact required, given") << 1 << true << 21 << 30 << true;
}

void TestBooking::enablingRule() {
    QFETCH(int, required);
    QFETCH(bool, selected);
    QFETCH(int, task);
    QFETCH(int, customer);
    QFETCH(bool, enabled);
    Clinic c;
    ModMain::Ini().WriteValue(QStringLiteral("Options"), QStringLiteral("CustomerRequired"), required);
    c.Open();
    if (!selected)
        c.List()->SetSelectedRow(-1);
    ClsForms::SelectItemId(c.dlg->CbTask(), task);
    ClsForms::SelectItemId(c.dlg->CbCustomer(), customer);
    QString states;
    for (int i = 0; i < 4; ++i)
        states += c.dlg->BtnTask(i)->isEnabled() ? '1' : '0';
    states += c.dlg->SpinStart()->isEnabled() ? '1' : '0';
    states += c.dlg->SpinEnd()->isEnabled() ? '1' : '0';
    QCOMPARE(states, QString(6, enabled ? '1' : '0'));
    // A move under way can always be cancelled, whatever the rule says.
    c.List()->SetSelectedRow(0);
    c.dlg->BtnTask_Click(3);
    c.List()->SetSelectedRow(-1);
    ClsForms::SelectItemId(c.dlg->CbCustomer(), 0);
    QVERIFY(!c.dlg->BtnTask(0)->isEnabled());
    QVERIFY(c.dlg->BtnTask(3)->isEnabled());
}

// ---------------------------------------------------------------------------
// Repeat

void TestBooking::repeatHandsOverTheAppointment() {
    Clinic c;
    c.Book(100, 10, 20, 0, kDay + 7, 600, 630);
    c.Open(540, 21);
    ClsForms::SelectItemId(c.dlg->CbCustomer(), 31);
    c.Click(600);
    c.dlg->TxtRef02()->setText(QStringLiteral("  r2 "));
    QString seen;
    c.env.onModal = [&](QDialog* dialog) {
        auto* repeat = qobject_cast<DlgRepeat*>(dialog);
        if (!repeat)
            return int(QDialog::Rejected);
        seen = repeat->LblStartTime()->text() + "|" + repeat->LblEndTime()->text() + "|" +
               repeat->LblTask()->text() + "|" + repeat->LblCustomer()->text() + "|" +
               repeat->LbTimeSlot()->CellText(0, 2) + "|" +
               QString::number(repeat->LbTimeSlot()->RowTick(1));
        repeat->BtnSelect_Click(0);
        repeat->BtnRepeat_Click(0);
        return int(QDialog::Accepted);
    };
    c.dlg->BtnTask_Click(1);
    QCOMPARE(seen, QStringLiteral("10:00 am|11:00 am|Surgery|Ben|05 December 2026|2"));
    QCOMPARE(c.Sql("select count(*) from tblBookings where RepeatId > 0 and BookingStart = 600 "
                   "and BookingEnd = 660 and TaskId = 21 and CustomerId = 31 and Ref01 = 'B1' and "
                   "Ref02 = 'r2'")
                 .toInt(),
             49);
    QCOMPARE(c.List()->RowValue(c.RowOf(600)) != 0, true);
    QVERIFY(c.dlg->ToolbarAction(QStringLiteral("Calendar"))->isEnabled());
}

// ---------------------------------------------------------------------------
// Appointment types and contacts

void TestBooking::appointmentTypesFromTheDialog() {
    Clinic c;
    c.Book(100, 10, 21, 0, kDay, 540, 600);
    c.Open();
    c.env.onModal = [&](QDialog* dialog) {
        if (auto* type = qobject_cast<DlgApptType*>(dialog)) {
            ModMain::Task().SetTaskName(QStringLiteral("Massage"));
            type->Form_Load();
            type->BtnTask_Click(0);
            return int(QDialog::Accepted);
        }
        return int(QDialog::Rejected);
    };
    c.dlg->ToolbarAction(QStringLiteral("TaskDef"))->trigger();
    QCOMPARE(c.dlg->CbTask()->currentText(), QStringLiteral("Massage"));
    QCOMPARE(c.Sql("select GroupId from tblTasks where TaskName = 'Massage'").toInt(), 1);
    // Deleting with "< No Booking >" chosen asks nothing.
    ClsForms::SelectItemId(c.dlg->CbTask(), 0);
    c.dlg->Toolbar1_ButtonMenuClick(QStringLiteral("DeleteTask"));
    QVERIFY(c.env.boxes.isEmpty());
    // Deleting Surgery takes its booking out of the database and the list.
    ClsForms::SelectItemId(c.dlg->CbTask(), 21);
    c.env.confirmAnswers = {true};
    c.dlg->MenuAction(QStringLiteral("mnuTaskDelete"))->trigger();
    QCOMPARE(c.BoxTexts(), QStringList{"Confirm: Confirm delete selected task?"});
    QCOMPARE(c.Sql("select count(*) from tblTasks where TaskId = 21").toInt(), 0);
    QCOMPARE(c.Count(), 0);
    QCOMPARE(c.dlg->CbTask()->currentIndex(), 0);
    QCOMPARE(c.List()->RowValue(0), 0);
    QVERIFY(c.dlg->ToolbarAction(QStringLiteral("TaskDef"))->isEnabled());
}

void TestBooking::contactsFromTheDialog() {
    Clinic c;
    c.Book(100, 10, 20, 31, kDay, 540, 600);
    c.Open();
    c.env.onModal = [&](QDialog* dialog) {
        if (auto* contact = qobject_cast<DlgContact*>(dialog)) {
            ModMain::Customer().SetCustomerName(QStringLiteral("Ann"));
            ModMain::Customer().SetRef01(QStringLiteral("A-1"));
            contact->Form_Load();
            contact->BtnCustomer_Click(0);
            return int(QDialog::Accepted);
        }
        return int(QDialog::Rejected);
    };
    c.dlg->ToolbarAction(QStringLiteral("People"))->trigger();
    QCOMPARE(c.dlg->CbCustomer()->currentText(), QStringLiteral("Ann"));
    QCOMPARE(c.dlg->TxtRef01()->text(), QStringLiteral("A-1"));
    QCOMPARE(c.Sql("select count(*) from tblCustomerGroups where GroupId = 1 and CustomerId = "
                   "(select CustomerId from tblCustomers where CustomerName = 'Ann')")
                 .toInt(),
             1);
    ClsForms::SelectItemId(c.dlg->CbCustomer(), 31);
    c.env.confirmAnswers = {true};
    c.dlg->Toolbar1_ButtonMenuClick(QStringLiteral("DeleteCustomer"));
    QCOMPARE(c.BoxTexts(), QStringList{"Confirm: Confirm selected customer?"});
    QCOMPARE(c.dlg->CbCustomer()->currentText(), QStringLiteral("< No Customer >"));
    QCOMPARE(c.Sql("select count(*) from tblCustomers where CustomerId = 31").toInt(), 0);
    QCOMPARE(c.Count(), 0);
    QCOMPARE(c.List()->RowValue(0), 0);
}

// ---------------------------------------------------------------------------
// Date, window state, refresh and the main window

void TestBooking::windowStateKeptInSettings() {
    Clinic c;
    c.Open();
    c.dlg->ToolbarAction(QStringLiteral("Exit"))->trigger();
    QVERIFY(!c.dlg->IsLoaded());
    ClsIni& ini = ModMain::Ini();
    for (const char* key : {"Height", "Width", "Left", "Top", "WindowState"})
        QVERIFY2(!ini.GetValue("DlgAppt", key, QString()).isEmpty(), key);
    QCOMPARE(ini.GetValue("DlgAppt", "WindowState", -1).toInt(), 0);
    QCOMPARE(ini.GetValue("DlgAppt", "Width", 0).toInt(), c.dlg->frameGeometry().width());
    ini.WriteValue("DlgAppt", "WindowState", 2);
    c.Open();
    QVERIFY(c.dlg->windowState() & Qt::WindowMaximized);
    QVERIFY(c.dlg->ToolbarAction(QStringLiteral("Exit"))->isEnabled());
    QCOMPARE(c.List()->RowCount(), 17);
}

void TestBooking::timerRefreshShowsOtherWorkstationsBooking() {
    Clinic c;
    c.Open();
    c.Book(100, 10, 20, 0, kDay, 600, 630); // another workstation
    QCOMPARE(c.List()->RowValue(c.RowOf(600)), 0);
    c.dlg->ReselectResource();
    QCOMPARE(c.List()->RowValue(c.RowOf(600)), 100);
    QCOMPARE(c.dlg->CbResource()->currentText(), QStringLiteral("Room A"));
}

void TestBooking::mainWindowFollowsDialog() {
    MainFixture f;
    f.Clinic(); // nothing booked the next day
    f.Open();
    DlgAppt& dlg = DlgAppt::Instance();
    dlg.SetGroupId(1);
    dlg.SetStartTime(600);
    dlg.SetResourceId(10);
    dlg.SetTaskId(20);
    dlg.SetApptDate(f.main->CurrentDate());
    dlg.show();
    dlg.SpinDate_Click(1);
    QCOMPARE(f.main->CurrentDate(), kDay + 1);
    QCOMPARE(ModMain::Ini().GetValue("Config", "LastDate", 0).toInt(), kDay + 1);
    dlg.LbTimeslot_ItemClick(2, 1);
    dlg.BtnTask_Click(0);
    QCOMPARE(f.env.boxes.size(), 0);
    QStringList keys;
    for (int row = 1; row < f.Sched()->RowCount(); ++row)
        for (int bar = 1; bar <= f.Sched()->BarCount(row); ++bar)
            keys << f.Sched()->BarKey(row, bar);
    QCOMPARE(keys, QStringList{QStringLiteral("B%1").arg(
                       f.env.Sql("select max(BookingId) from tblBookings").toInt())});
    dlg.hide();
}

QTEST_MAIN(TestBooking)
#include "tst_booking.moc"
